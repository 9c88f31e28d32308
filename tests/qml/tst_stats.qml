import QtQuick
import QtTest
import Zem.Inkly

// No statistics library is loaded in the runner: every event still goes
// through the real TallyWrapper, which answers false.
TestCase {
    id: root
    name: "Stats"

    SignalSpy { id: sentSpy; target: Stats; signalName: "actionSent" }
    AppSettings { id: settings }

    function test_events_data() {
        const T = DrawingTool;
        const ids = (...numbers) => numbers.map(n => "inkly_100_" + String(n).padStart(3, "0"));
        return [
            { tag: "run", send: () => Stats.runStat(), ids: ids(1) },
            { tag: "drawing tools", send: () => [T.Pen, T.Highlighter, T.Rectangle, T.Ellipse, T.Star, T.Line, T.Arrow, T.DashedRectangle,
                                                 T.DashedEllipse, T.EraserBrush, T.EraserRectangle].forEach(Stats.drawingStat), ids: ids(2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12) },
            { tag: "tools without an event", send: () => [T.None, T.DashedLine, -1, 13].forEach(Stats.drawingStat), ids: [] },
            { tag: "capture", send: () => ["trigger", "run_success", "run_failure", "install", "homepage"].forEach(Stats.captureStat), ids: ids(13, 14, 15, 16, 17) },
            { tag: "unknown capture events", send: () => ["Trigger", "", "toString", "__proto__", "trigger "].forEach(Stats.captureStat), ids: [] },
            { tag: "settings on", settings: [true, true, true], send: () => Stats.settingsStat(settings), ids: ids(18, 20, 22) },
            { tag: "settings mixed", settings: [false, true, false], send: () => Stats.settingsStat(settings), ids: ids(19, 20, 23) }
        ];
    }

    function test_events(data) {
        if (data.settings)
            [settings.autoStartEnabled, settings.wheelDoubleEnabled, settings.autoUsageTipsEnabled] = data.settings;
        sentSpy.clear();
        data.send();
        compare(Array.from(sentSpy.signalArguments).map(args => args[0]), data.ids);
        verify(Array.from(sentSpy.signalArguments).every(args => args[1] === false), "no library took them");
    }
}
