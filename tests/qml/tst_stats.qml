import QtQuick
import QtTest
import Zem.Inkly

// No statistics library is loaded in the runner: every event still goes
// through the real TallyWrapper, which answers false.
TestCase {
    id: root

    name: "Stats"

    SignalSpy {
        id: sentSpy

        target: Stats
        signalName: "actionSent"
    }

    AppSettings {
        id: settings
    }

    function sentIds(): var {
        const ids = [];
        for (let i = 0; i < sentSpy.count; ++i)
            ids.push(sentSpy.signalArguments[i][0]);
        return ids;
    }

    function init() {
        sentSpy.clear();
    }

    function test_run() {
        verify(!TallyWrapper.initialized());
        compare(Stats.runStat(), false);
        compare(sentIds(), ["inkly_100_001"]);
        compare(sentSpy.signalArguments[0][1], false);
    }

    function test_drawingTools() {
        const results = [];
        for (let tool = -1; tool <= DrawingTool.EraserRectangle + 1; ++tool)
            results.push(Stats.drawingStat(tool));
        // None, DashedLine and values outside the enumeration send nothing.
        compare(sentIds(), ["inkly_100_002", "inkly_100_003", "inkly_100_004", "inkly_100_005",
                            "inkly_100_006", "inkly_100_007", "inkly_100_008", "inkly_100_009",
                            "inkly_100_010", "inkly_100_011", "inkly_100_012"]);
        verify(results.every(result => result === false));

        sentSpy.clear();
        compare(Stats.drawingStat(DrawingTool.DashedLine), false);
        compare(Stats.drawingStat(DrawingTool.None), false);
        compare(sentSpy.count, 0);
        Stats.drawingStat(DrawingTool.Star);
        compare(sentIds(), ["inkly_100_006"]);
    }

    function test_capture() {
        const events = ["trigger", "run_success", "run_failure", "install", "homepage",
                        "Trigger", "", "toString", "__proto__", "constructor", "trigger "];
        for (const event of events)
            compare(Stats.captureStat(event), false);
        compare(sentIds(), ["inkly_100_013", "inkly_100_014", "inkly_100_015", "inkly_100_016",
                            "inkly_100_017"]);
    }

    function test_settings_data() {
        return [
            { tag: "all on", autoStart: true, wheelDouble: true, autoUsageTips: true,
              ids: ["inkly_100_018", "inkly_100_020", "inkly_100_022"] },
            { tag: "all off", autoStart: false, wheelDouble: false, autoUsageTips: false,
              ids: ["inkly_100_019", "inkly_100_021", "inkly_100_023"] },
            { tag: "mixed", autoStart: false, wheelDouble: true, autoUsageTips: false,
              ids: ["inkly_100_019", "inkly_100_020", "inkly_100_023"] }
        ];
    }

    function test_settings(data) {
        settings.autoStartEnabled = data.autoStart;
        settings.wheelDoubleEnabled = data.wheelDouble;
        settings.autoUsageTipsEnabled = data.autoUsageTips;
        // True although no library took any of them.
        compare(Stats.settingsStat(settings), true);
        compare(sentIds(), data.ids);
        verify(sentSpy.signalArguments.every(args => args[1] === false));
    }

    function test_settingsMissing() {
        ignoreWarning("[Stats] settings not recorded: no settings given");
        compare(Stats.settingsStat(null), false);
        compare(sentSpy.count, 0);
    }
}
