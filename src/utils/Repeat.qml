import QtQuick

// Runs the callback `count` times, `interval` ms apart; the first run is
// inside start() when `immediate` is set.
QtObject {
    id: root

    property int interval: 1000
    property int count: 1
    property bool immediate: true
    property var callback: null
    property var args: []
    property int currentCount: 0
    property bool running: false

    // Bumped by start() and stop(), so that a run whose callback stopped or
    // restarted this very Repeat does not count against the new state.
    property int sequence: 0

    readonly property Timer timer: Timer {
        interval: root.interval
        repeat: true
        onTriggered: {
            // The count may have been lowered while running.
            if (root.currentCount >= root.count) {
                root.stop();
                return;
            }
            const current = root.sequence;
            root.invoke();
            if (current !== root.sequence)
                return;
            root.currentCount += 1;
            if (root.currentCount >= root.count)
                root.stop();
        }
    }

    // Takes any number of arguments, handed to every run.
    function start() {
        const values = Array.prototype.slice.call(arguments);
        if (root.running) {
            console.warn("Repeat already running, use restart() to force restart");
            return;
        }
        root.sequence += 1;
        root.args = values;
        root.currentCount = 0;
        root.running = true;
        if (root.immediate && typeof root.callback === "function" && root.count > 0) {
            const current = root.sequence;
            root.invoke();
            if (current !== root.sequence)
                return;
            root.currentCount += 1;
            if (root.currentCount >= root.count) {
                root.running = false;
                return;
            }
        }
        if (root.count <= 0) {
            root.running = false;
            return;
        }
        root.timer.start();
    }

    function restart() {
        const values = Array.prototype.slice.call(arguments);
        if (root.running)
            root.stop();
        root.start.apply(root, values);
    }

    function stop() {
        root.sequence += 1;
        root.timer.stop();
        root.running = false;
        root.currentCount = 0;
        root.args = [];
    }

    function pause() {
        root.timer.stop();
        root.running = false;
    }

    function resume() {
        if (root.currentCount >= root.count)
            return;
        root.running = true;
        root.timer.start();
    }

    function invoke() {
        if (typeof root.callback !== "function")
            return;
        try {
            root.callback.apply(null, root.args);
        } catch (error) {
            console.warn("Repeat callback error:", error);
        }
    }
}
