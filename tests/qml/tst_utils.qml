import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "Utils"

    // Each row calls Utils[fn](...args) and compares the fields it names.
    function test_helpers_data() {
        const r = (x, y, w, h) => ({ "x": x, "y": y, "width": w, "height": h });
        const screen = r(0, 0, 1000, 800), desk = r(0, 0, 1920, 1040), bounds = r(0, 0, 1000, 1000);
        const edges = (left, right, top, bottom) => ({ "left": left, "right": right, "top": top, "bottom": bottom });
        const c = "center";
        return [
            { tag: "snap: out of reach", fn: "snapToEdge", args: [r(100, 100, 50, 300), screen, 28, 8], expect: { x: 100, y: 100, snapped: null } },
            { tag: "snap: clamped, then off the right edge", fn: "snapToEdge", args: [r(990, 100, 50, 300), screen, 28, 8], expect: { x: 942, y: 100, snapped: edges(false, true, false, false) } },
            { tag: "snap: bottom-left corner", fn: "snapToEdge", args: [r(20, 790, 50, 300), screen, 28, 8], expect: { x: 8, y: 492, snapped: edges(true, false, false, true) } },
            { tag: "snap: left over right, top over bottom", fn: "snapToEdge", args: [r(5, 5, 990, 790), screen, 28, 8], expect: { x: 8, y: 8, snapped: edges(true, false, true, false) } },
            { tag: "snap: pushed off the screen", fn: "snapToEdge", args: [r(-5000, 300, 50, 50), r(-1920, 0, 1920, 1080), 0, 8], expect: { x: -1912 } },
            { tag: "edge: bottom", fn: "placeAtEdge", args: [r(300, 900, 600, 60), desk, "bottom", 8], expect: { x: 300, y: 972 } },
            { tag: "edge: right", fn: "placeAtEdge", args: [r(300, 100, 60, 600), desk, "right", 8], expect: { x: 1852, y: 100 } },
            { tag: "edge: wider than the bounds, from the left", fn: "placeAtEdge", args: [r(-10, 0, 2000, 60), desk, "top", 0], expect: { x: 0 } },
            { tag: "edge: wider than the bounds, from the right", fn: "placeAtEdge", args: [r(10, 0, 2000, 60), desk, "top", 0], expect: { x: -80 } },
            { tag: "anchor: left", fn: "anchorPosition", args: [r(500, 500, 40, 40), bounds, c, c, c, c, "left", true, 200, 100, 6], expect: { x: 294, y: 470, finalSide: "left" } },
            { tag: "anchor: no room left, right", fn: "anchorPosition", args: [r(100, 500, 40, 40), bounds, c, c, c, c, "left", true, 200, 100, 6], expect: { x: 146, y: 470, finalSide: "right" } },
            { tag: "anchor: no fallback, clamped", fn: "anchorPosition", args: [r(100, 500, 40, 40), bounds, c, c, c, c, "left", false, 200, 100, 6], expect: { x: 0, finalSide: "left" } },
            { tag: "anchor: neither fits, the roomier side", fn: "anchorPosition", args: [r(0, 150, 1000, 40), bounds, "top", "left", "top", "left", "above", true, 300, 900], expect: { y: 100, finalSide: "below" } },
            { tag: "anchor: neither fits, kept below", fn: "anchorPosition", args: [r(0, 60, 1000, 40), bounds, "top", "left", "top", "left", "below", true, 300, 80], expect: { y: 104, finalSide: "below" } },
            { tag: "anchor: above, left-aligned", fn: "anchorPosition", args: [r(400, 500, 100, 20), bounds, "top", "left", "top", "left", "above", true, 200, 50], expect: { x: 400, y: 446, finalSide: "above" } },
            { tag: "anchor: below, centred", fn: "anchorPosition", args: [r(400, 500, 100, 20), bounds, "top", c, "top", c, "below", true, 200, 50], expect: { x: 350, y: 524, finalSide: "below" } },
            { tag: "anchor: clamped to the right border", fn: "anchorPosition", args: [r(960, 500, 40, 20), bounds, "bottom", "right", "bottom", "left", "below", true, 200, 50], expect: { x: 800 } },
            { tag: "anchor: right, bottom-aligned", fn: "anchorPosition", args: [r(500, 500, 40, 40), bounds, "top", "left", "bottom", "left", "right", true, 100, 60, 4], expect: { x: 544, y: 440, finalSide: "right" } },
            { tag: "intersect: touching sides", fn: "rectsIntersect", args: [r(0, 0, 10, 10), r(10, 0, 10, 10)], expect: false },
            { tag: "intersect: overlapping corner", fn: "rectsIntersect", args: [Qt.rect(0, 0, 10, 10), Qt.rect(9, 9, 10, 10)], expect: true },
            { tag: "colour: alpha first", fn: "toAARRGGBB", args: ["#339aeecc"], expect: "#CC339AEE" },
        ];
    }

    function test_helpers(data) {
        const result = Utils[data.fn](...data.args);
        if (data.expect === null || typeof data.expect !== "object")
            compare(result, data.expect);
        else
            compare(Object.keys(data.expect).map(key => result[key]), Object.values(data.expect));
    }

    Component { id: debounceComponent; Debounce {} }
    Component { id: throttleComponent; Throttle {} }
    Component { id: repeatComponent; Repeat {} }

    // Each row runs a few calls on a timer and compares the callback's calls
    // right after them and once the timer has gone idle.
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
            { tag: "repeat: start while running changes nothing", kind: R, props: { count: 3 }, steps: [["start", "first"], ["start", "second"]], now: [["first"]], idle: times(3, ["first"]),
              warnings: ["Repeat already running, use restart() to force restart"] },
            { tag: "repeat: restart begins a new sequence", kind: R, props: { count: 3 }, steps: [["start", "first"], ["restart", "third"]], now: [["first"], ["third"]], idle: [["first"]].concat(times(3, ["third"])) },
            { tag: "repeat: stopped from its own callback", kind: R, props: { count: 5, immediate: false }, steps: [["start", "stop"]], now: [], idle: [["stop"]] },
            { tag: "repeat: a failed run still counts", kind: R, props: { count: 3, immediate: false }, steps: [["start", "boom"]], now: [], idle: times(3, ["boom"]), warnings: times(3, "Repeat callback error: Error: boom") }
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
