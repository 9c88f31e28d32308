import QtQuick
import QtTest
import Zem.Inkly

// Timing is asserted by counts, order and arguments, with generous waits; the
// only clock checks are lower bounds, which a loaded machine cannot break.
TestCase {
    id: testCase
    name: "Timing"

    // tryCompare polls a property; the error tests count their runs here.
    property int runsSeen: 0

    Component {
        id: debounceComponent
        Debounce {}
    }
    Component {
        id: throttleComponent
        Throttle {}
    }
    Component {
        id: repeatComponent
        Repeat {}
    }

    // A callback that records its arguments and the time of each call.
    function recorder() {
        const calls = [];
        const times = [];
        const record = function () {
            calls.push(Array.prototype.slice.call(arguments));
            times.push(Date.now());
        };
        return {
            "calls": calls,
            "times": times,
            "record": record
        };
    }

    function test_debounceRunsOnceAfterTheLastOfABurst() {
        const rec = recorder();
        const debounce = createTemporaryObject(debounceComponent, testCase, {
            "delay": 250,
            "callback": rec.record
        });
        compare(debounce.timer.interval, 250);
        let lastTrigger = 0;
        for (let i = 1; i <= 10; ++i) {
            debounce.trigger("burst", i);
            lastTrigger = Date.now();
            if (i < 10)
                wait(10);
        }
        compare(rec.calls.length, 0);
        tryCompare(rec.calls, "length", 1, 5000);
        compare(rec.calls[0], ["burst", 10]);
        verify(rec.times[0] - lastTrigger >= 225, "ran " + (rec.times[0] - lastTrigger) + " ms after the last trigger");
        wait(500);
        compare(rec.calls.length, 1);
        compare(debounce.args, ["burst", 10], "arguments are kept after the call");

        // A callback may trigger its own debounce again.
        const again = [];
        const selfTriggering = createTemporaryObject(debounceComponent, testCase, {
            "delay": 20
        });
        selfTriggering.callback = function (n) {
            again.push(n);
            if (n === 1)
                selfTriggering.trigger(2);
        };
        selfTriggering.trigger(1);
        tryCompare(again, "length", 2, 5000);
        compare(again, [1, 2]);
        wait(100);
        compare(again.length, 2);
    }

    function test_debounceFlushAndCancel() {
        const rec = recorder();
        const debounce = createTemporaryObject(debounceComponent, testCase, {
            "delay": 100,
            "callback": rec.record
        });

        debounce.flush();
        compare(rec.calls.length, 0, "flush with nothing pending");

        debounce.trigger("a");
        debounce.trigger("b", 2);
        debounce.flush();
        compare(rec.calls, [["b", 2]]);
        verify(!debounce.timer.running);
        compare(debounce.args, []);
        debounce.flush();
        wait(300);
        compare(rec.calls.length, 1, "neither the timer nor a second flush calls again");

        debounce.trigger("c");
        tryCompare(rec.calls, "length", 2, 5000);
        debounce.flush();
        compare(rec.calls.length, 2, "flush after the delayed call has run");

        debounce.trigger("d");
        debounce.cancel();
        compare(debounce.args, []);
        debounce.flush();
        wait(300);
        compare(rec.calls.length, 2, "cancel drops the pending call");

        // No callback: the timing still runs, nothing is called, nothing warns.
        failOnWarning(/.*/);
        const silent = createTemporaryObject(debounceComponent, testCase, {
            "delay": 10
        });
        silent.trigger(1);
        tryCompare(silent.timer, "running", false, 5000);
        silent.trigger(2);
        silent.flush();
    }

    function test_debounceCallbackErrorsAreCaught() {
        let runs = 0;
        const debounce = createTemporaryObject(debounceComponent, testCase, {
            "delay": 10,
            "callback": function () {
                ++runs;
                testCase.runsSeen = runs;
                throw new Error("boom " + runs);
            }
        });
        testCase.runsSeen = 0;
        ignoreWarning(/^Debounce callback error: Error: boom 1$/);
        debounce.trigger();
        tryCompare(testCase, "runsSeen", 1, 5000);
        ignoreWarning(/^Debounce callback error: Error: boom 2$/);
        debounce.trigger();
        tryCompare(testCase, "runsSeen", 2, 5000);
        ignoreWarning(/^Debounce flush callback error: Error: boom 3$/);
        debounce.trigger();
        debounce.flush();
        compare(runs, 3);
        verify(!debounce.timer.running);
    }

    function test_throttleLeadingAndTrailing() {
        const rec = recorder();
        const throttle = createTemporaryObject(throttleComponent, testCase, {
            "delay": 150,
            "callback": rec.record
        });
        const start = Date.now();
        throttle.trigger("first");
        compare(rec.calls, [["first"]], "the leading call runs at once");
        verify(throttle.throttled);
        verify(!throttle.pending);
        throttle.trigger("second");
        throttle.trigger("third", 3);
        compare(rec.calls.length, 1);
        verify(throttle.pending);

        tryCompare(rec.calls, "length", 2, 5000);
        compare(rec.calls[1], ["third", 3], "only the latest arguments survive");
        verify(rec.times[1] - start >= 135);
        verify(!throttle.pending);
        verify(throttle.throttled, "the trailing call opens a new window");
        tryCompare(throttle, "throttled", false, 5000);
        wait(300);
        compare(rec.calls.length, 2, "the window closed with nothing due");

        // A single trigger: one call, no trailing call.
        throttle.trigger("alone");
        compare(rec.calls.length, 3);
        tryCompare(throttle, "throttled", false, 5000);
        wait(300);
        compare(rec.calls.length, 3);
    }

    function test_throttleRetriggerFromTheTrailingCall() {
        const calls = [];
        const throttle = createTemporaryObject(throttleComponent, testCase, {
            "delay": 50
        });
        throttle.callback = function (value) {
            calls.push(value);
            if (value === "trailing")
                throttle.trigger("from callback");
        };
        throttle.trigger("leading");
        throttle.trigger("trailing");
        tryCompare(calls, "length", 3, 5000);
        compare(calls, ["leading", "trailing", "from callback"]);
        tryCompare(throttle, "throttled", false, 5000);
        compare(calls.length, 3);
    }

    function test_throttleFlushAndCancel() {
        const rec = recorder();
        const throttle = createTemporaryObject(throttleComponent, testCase, {
            "delay": 150,
            "callback": rec.record
        });

        throttle.trigger("a");
        throttle.trigger("b");
        throttle.flush();
        compare(rec.calls, [["a"], ["b"]], "flush runs the due trailing call");
        verify(!throttle.throttled && !throttle.pending && !throttle.timer.running);
        compare(throttle.args, []);
        wait(300);
        compare(rec.calls.length, 2);

        // Nothing due: flushing must not repeat a call that already ran.
        throttle.flush();
        compare(rec.calls.length, 2, "idle");
        throttle.trigger("c");
        throttle.flush();
        compare(rec.calls.length, 3, "open window without a trailing call");
        verify(!throttle.throttled);
        throttle.trigger("d");
        compare(rec.calls.length, 4, "after flush the next trigger leads again");

        throttle.trigger("e");
        throttle.cancel();
        verify(!throttle.throttled && !throttle.pending);
        compare(throttle.args, []);
        wait(300);
        compare(rec.calls.length, 4, "cancel drops the trailing call");
        compare(rec.calls[3], ["d"]);
    }

    function test_throttleCallbackErrorsAreCaught() {
        let runs = 0;
        const throttle = createTemporaryObject(throttleComponent, testCase, {
            "delay": 50,
            "callback": function (tag) {
                ++runs;
                testCase.runsSeen = runs;
                throw new Error(tag);
            }
        });
        testCase.runsSeen = 0;
        ignoreWarning(/^Throttle callback error: Error: lead$/);
        throttle.trigger("lead");
        verify(throttle.throttled, "the window opens although the call failed");
        ignoreWarning(/^Throttle callback error: Error: trail$/);
        throttle.trigger("trail");
        tryCompare(testCase, "runsSeen", 2, 5000);
        ignoreWarning(/^Throttle flush callback error: Error: flushed$/);
        throttle.trigger("flushed");
        throttle.flush();
        compare(runs, 3);
        verify(!throttle.throttled && !throttle.pending);
    }

    function test_repeatRunsCountTimes() {
        const rec = recorder();
        const repeat = createTemporaryObject(repeatComponent, testCase, {
            "interval": 60,
            "count": 4,
            "immediate": false,
            "callback": rec.record
        });
        const start = Date.now();
        repeat.start("x", 1);
        compare(rec.calls.length, 0, "not immediate: every run comes from the timer");
        verify(repeat.running);
        tryCompare(repeat, "running", false, 5000);
        compare(rec.calls, [["x", 1], ["x", 1], ["x", 1], ["x", 1]]);
        verify(rec.times[0] - start >= 54);
        compare(repeat.currentCount, 0);
        verify(!repeat.timer.running);
        wait(200);
        compare(rec.calls.length, 4, "stopped by itself");

        // Immediate with one run: done inside start, the timer never starts.
        repeat.immediate = true;
        repeat.count = 1;
        repeat.start("once");
        compare(rec.calls.length, 5);
        compare(rec.calls[4], ["once"]);
        verify(!repeat.running);
        verify(!repeat.timer.running);

        // Immediate with three runs: one now, two from the timer.
        repeat.count = 3;
        repeat.start("three");
        compare(rec.calls.length, 6);
        verify(repeat.running);
        tryCompare(repeat, "running", false, 5000);
        compare(rec.calls.length, 8);
        compare(rec.calls[7], ["three"]);

        // A count of zero runs nothing at all.
        repeat.count = 0;
        repeat.immediate = false;
        repeat.start("none");
        verify(!repeat.running);
        wait(200);
        compare(rec.calls.length, 8);
    }

    function test_repeatStartWhileRunningAndRestart() {
        const rec = recorder();
        const repeat = createTemporaryObject(repeatComponent, testCase, {
            "interval": 80,
            "count": 3,
            "immediate": true,
            "callback": rec.record
        });
        repeat.start("first");
        compare(repeat.currentCount, 1);
        ignoreWarning("Repeat already running, use restart() to force restart");
        repeat.start("second");
        compare(repeat.currentCount, 1, "the running sequence is untouched");
        compare(repeat.args, ["first"]);
        compare(rec.calls.length, 1);

        repeat.restart("third");
        compare(rec.calls.length, 2);
        compare(rec.calls[1], ["third"]);
        compare(repeat.currentCount, 1, "restart begins a new sequence");
        tryCompare(repeat, "running", false, 5000);
        compare(rec.calls, [["first"], ["third"], ["third"], ["third"]]);

        repeat.start("fourth");
        repeat.stop();
        verify(!repeat.running);
        compare(repeat.currentCount, 0);
        compare(repeat.args, []);
        wait(250);
        compare(rec.calls.length, 5);
    }

    function test_repeatPauseAndResume() {
        const calls = [];
        const repeat = createTemporaryObject(repeatComponent, testCase, {
            "interval": 60,
            "count": 5,
            "immediate": false
        });
        repeat.callback = function (tag) {
            calls.push(tag);
            if (calls.length === 2)
                repeat.pause();
        };
        repeat.start("p");
        tryCompare(calls, "length", 2, 5000);
        verify(!repeat.running);
        compare(repeat.currentCount, 2, "pause keeps the count");
        wait(250);
        compare(calls.length, 2);

        const resumedAt = Date.now();
        let firstAfterResume = 0;
        repeat.callback = function (tag) {
            calls.push(tag);
            if (!firstAfterResume)
                firstAfterResume = Date.now();
        };
        repeat.resume();
        verify(repeat.running);
        compare(calls.length, 2, "the next run is one interval after resume");
        tryCompare(repeat, "running", false, 5000);
        compare(calls, ["p", "p", "p", "p", "p"]);
        verify(firstAfterResume - resumedAt >= 54);
        compare(repeat.currentCount, 0);

        // Nothing left to run: resume does nothing.
        repeat.count = 1;
        repeat.immediate = true;
        repeat.start("q");
        repeat.resume();
        verify(!repeat.running);
        compare(calls.length, 6);
    }

    // The overlay rebuild hands a debounce's trigger to a Repeat as its
    // callback: an object's method must work when called as a free function.
    function test_repeatDrivesADebounce() {
        const rec = recorder();
        const debounce = createTemporaryObject(debounceComponent, testCase, {
            "delay": 10,
            "callback": rec.record
        });
        const repeat = createTemporaryObject(repeatComponent, testCase, {
            "interval": 150,
            "count": 3,
            "immediate": false,
            "callback": debounce.trigger
        });
        repeat.start("rebuild", 2);
        tryCompare(repeat, "running", false, 5000);
        tryCompare(rec.calls, "length", 3, 5000);
        compare(rec.calls, [["rebuild", 2], ["rebuild", 2], ["rebuild", 2]]);
    }

    function test_repeatStoppedFromItsOwnCallback() {
        const calls = [];
        const repeat = createTemporaryObject(repeatComponent, testCase, {
            "interval": 40,
            "count": 5,
            "immediate": false
        });
        repeat.callback = function (n) {
            calls.push(n);
            repeat.stop();
        };
        repeat.start(7);
        tryCompare(calls, "length", 1, 5000);
        verify(!repeat.running);
        compare(repeat.currentCount, 0, "a stop from inside the run is not undone");
        wait(200);
        compare(calls, [7]);
    }

    function test_repeatCallbackErrorsAreCaught() {
        let runs = 0;
        const repeat = createTemporaryObject(repeatComponent, testCase, {
            "interval": 30,
            "count": 3,
            "immediate": true,
            "callback": function () {
                ++runs;
                testCase.runsSeen = runs;
                throw new Error("tick " + runs);
            }
        });
        testCase.runsSeen = 0;
        ignoreWarning(/^Repeat callback error: Error: tick 1$/);
        ignoreWarning(/^Repeat callback error: Error: tick 2$/);
        ignoreWarning(/^Repeat callback error: Error: tick 3$/);
        repeat.start();
        compare(repeat.currentCount, 1, "a failed run still counts");
        tryCompare(repeat, "running", false, 5000);
        compare(runs, 3);
    }
}
