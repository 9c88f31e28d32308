import QtQuick

// Runs the callback once, `delay` ms after the last of a burst of triggers,
// with that last trigger's arguments.
QtObject {
    id: root

    property int delay: 300
    property var callback: null
    property var args: []

    readonly property Timer timer: Timer {
        interval: root.delay
        repeat: false
        onTriggered: root.invoke(root.args, "Debounce callback error:")
    }

    // Takes any number of arguments.
    function trigger() {
        const values = Array.prototype.slice.call(arguments);
        root.args = values;
        root.timer.restart();
    }

    function cancel() {
        root.timer.stop();
        root.args = [];
    }

    // Runs a pending call now; with nothing pending it does nothing.
    function flush() {
        const wasPending = root.timer.running;
        const values = root.args;
        root.timer.stop();
        // Cleared before the call so that a trigger from inside the callback
        // keeps its own arguments.
        root.args = [];
        if (wasPending)
            root.invoke(values, "Debounce flush callback error:");
    }

    function invoke(values, errorPrefix: string) {
        if (typeof root.callback !== "function")
            return;
        try {
            root.callback.apply(null, values);
        } catch (error) {
            console.warn(errorPrefix, error);
        }
    }
}
