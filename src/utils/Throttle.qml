import QtQuick

// Runs the callback at once, then at most once per `delay` ms; the last
// trigger of a burst runs when the window ends and opens a new one.
QtObject {
    id: root

    property int delay: 300
    property var callback: null
    property var args: []
    property bool throttled: false
    property bool pending: false

    readonly property Timer timer: Timer {
        interval: root.delay
        repeat: false
        onTriggered: {
            if (!root.pending) {
                root.throttled = false;
                return;
            }
            // State first, so that a trigger from inside the callback is
            // queued for the next window instead of being lost.
            root.pending = false;
            root.timer.restart();
            root.invoke(root.args, "Throttle callback error:");
        }
    }

    // Takes any number of arguments.
    function trigger() {
        const values = Array.prototype.slice.call(arguments);
        root.args = values;
        if (root.throttled) {
            root.pending = true;
            return;
        }
        root.throttled = true;
        root.timer.restart();
        root.invoke(values, "Throttle callback error:");
    }

    function cancel() {
        root.timer.stop();
        root.throttled = false;
        root.pending = false;
        root.args = [];
    }

    // Runs a due trailing call now. An idle throttle or an open window with
    // nothing due has already run its latest arguments, so nothing is repeated.
    function flush() {
        const due = root.pending;
        const values = root.args;
        root.timer.stop();
        root.pending = false;
        root.throttled = false;
        root.args = [];
        if (due)
            root.invoke(values, "Throttle flush callback error:");
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
