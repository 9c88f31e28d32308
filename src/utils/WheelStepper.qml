import QtQuick

// Steps an integer by one step per wheel event, whatever the size of its
// delta, so a touchpad's stream of small events cannot race through the
// range. The owner applies the step; `value` follows through its binding.
WheelHandler {
    id: root

    property int value: 0
    property int minValue: 0
    property int maxValue: 100
    property int stepSize: 1

    signal stepped(int newValue)

    onWheel: function (event) {
        const delta = event.angleDelta.y;
        if (delta === 0)
            return;
        const direction = delta > 0 ? 1 : -1;
        const next = Math.max(root.minValue, Math.min(root.maxValue, root.value + direction * root.stepSize));
        if (next !== root.value)
            root.stepped(next);
    }
}
