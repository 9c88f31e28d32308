import QtQuick
import QtTest
import Zem.Inkly

// Each row runs a few calls on a timer and compares the callback's calls
// right after them and once the timer has gone idle.
TestCase {
    id: testCase
    name: "Timing"

    Component { id: debounceComponent; Debounce {} }
    Component { id: throttleComponent; Throttle {} }
    Component { id: repeatComponent; Repeat {} }

    function test_timers_data() {
        const D = debounceComponent, T = throttleComponent, R = repeatComponent;
        const times = (n, call) => Array(n).fill(call);
        return [
            { tag: "debounce: a burst runs once, with the last arguments", kind: D, steps: [["trigger", "a", 1], ["trigger", "b", 2]], now: [], idle: [["b", 2]] },
            { tag: "debounce: flush runs the pending call once", kind: D, steps: [["trigger", "a"], ["trigger", "b", 2], ["flush"], ["flush"]], now: [["b", 2]], idle: [["b", 2]] },
            { tag: "debounce: cancel drops the pending call", kind: D, steps: [["trigger", "d"], ["cancel"], ["flush"]], now: [], idle: [] },
            { tag: "debounce: triggered again from its callback", kind: D, steps: [["trigger", "again"]], now: [], idle: [["again"], ["from callback"]] },
            { tag: "debounce: errors are caught", kind: D, steps: [["trigger", "boom"], ["until", 1], ["trigger", "boom"], ["flush"]], now: [["boom"], ["boom"]], idle: [["boom"], ["boom"]],
              warnings: ["Debounce callback error: Error: boom", "Debounce flush callback error: Error: boom"] },
            { tag: "throttle: leading and trailing calls", kind: T, steps: [["trigger", "first"], ["trigger", "second"], ["trigger", "third", 3]], now: [["first"]], idle: [["first"], ["third", 3]] },
            { tag: "throttle: flush runs the due trailing call", kind: T, steps: [["trigger", "a"], ["trigger", "b"], ["flush"], ["flush"]], now: [["a"], ["b"]], idle: [["a"], ["b"]] },
            { tag: "throttle: cancel drops the trailing call", kind: T, steps: [["trigger", "e"], ["trigger", "f"], ["cancel"]], now: [["e"]], idle: [["e"]] },
            { tag: "throttle: triggered again from the trailing call", kind: T, steps: [["trigger", "lead"], ["trigger", "again"]], now: [["lead"]], idle: [["lead"], ["again"], ["from callback"]] },
            { tag: "throttle: a failed call still opens the window", kind: T, steps: [["trigger", "boom"], ["trigger", "x"]], now: [["boom"]], idle: [["boom"], ["x"]],
              warnings: ["Throttle callback error: Error: boom"] },
            { tag: "repeat: count times from the timer", kind: R, props: { count: 4, immediate: false }, steps: [["start", "x", 1]], now: [], idle: times(4, ["x", 1]) },
            { tag: "repeat: immediately, then from the timer", kind: R, props: { count: 3 }, steps: [["start", "three"]], now: [["three"]], idle: times(3, ["three"]) },
            { tag: "repeat: start while running changes nothing", kind: R, props: { count: 3 }, steps: [["start", "first"], ["start", "second"]], now: [["first"]], idle: times(3, ["first"]),
              warnings: ["Repeat already running, use restart() to force restart"] },
            { tag: "repeat: restart begins a new sequence", kind: R, props: { count: 3 }, steps: [["start", "first"], ["restart", "third"]], now: [["first"], ["third"]], idle: [["first"]].concat(times(3, ["third"])) },
            { tag: "repeat: stopped from its own callback", kind: R, props: { count: 5, immediate: false }, steps: [["start", "stop"]], now: [], idle: [["stop"]] },
            { tag: "repeat: pause keeps the count for resume", kind: R, props: { count: 4, immediate: false }, steps: [["start", "pause"], ["until", 2], ["resume"]], now: times(2, ["pause"]), idle: times(4, ["pause"]) },
            { tag: "repeat: a failed run still counts", kind: R, props: { count: 3 }, steps: [["start", "boom"]], now: [["boom"]], idle: times(3, ["boom"]),
              warnings: times(3, "Repeat callback error: Error: boom") }
        ];
    }

    function test_timers(data) {
        const calls = [];
        const timer = createTemporaryObject(data.kind, testCase, Object.assign({ delay: 60, interval: 40 }, data.props || {}));
        // The first argument asks the callback for a side effect.
        timer.callback = function () {
            calls.push(Array.from(arguments));
            if (arguments[0] === "again" && calls.length < 3)
                timer.trigger("from callback");
            else if (arguments[0] === "stop")
                timer.stop();
            else if (arguments[0] === "pause" && calls.length === 2)
                timer.pause();
            else if (arguments[0] === "boom")
                throw new Error("boom");
        };
        for (const warning of data.warnings || [])
            ignoreWarning(warning);
        for (const [method, ...args] of data.steps) {
            if (method === "until")
                tryCompare(calls, "length", args[0], 5000);
            else
                timer[method](...args);
        }
        compare(calls, data.now, "right away");
        const idle = data.kind === throttleComponent ? () => !timer.throttled
                   : data.kind === repeatComponent ? () => !timer.running : () => !timer.timer.running;
        tryVerify(idle, 5000);
        compare(calls, data.idle, "once idle");
    }
}
