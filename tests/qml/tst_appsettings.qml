import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "AppSettings"

    Component { id: settingsComponent; AppSettings {} }

    readonly property var names: ["autoStartEnabled", "wheelDoubleEnabled", "autoUsageTipsEnabled", "lastRunAt", "lastExitAt",
                                  "lastPlaceAtScreenEdge", "overviewShowCount"]

    function init() {
        SettingsStore.setValue("app", null);
        SettingsStore.setObject("drawing", { pen: { lineWidth: 7 } });
        AutoStartHelper.disable();
    }

    // What a start makes of the stored "app" group: damaged or missing
    // values fall back to the defaults one by one.
    function test_load_data() {
        const defaults = [true, true, true, "", "", "", 0];
        return [
            { tag: "nothing stored", stored: undefined, expect: defaults },
            { tag: "not an object", stored: 12, expect: defaults },
            { tag: "converted values", stored: { general: { autoStartEnabled: "FALSE" }, input: { wheelDoubleEnabled: 0 }, help: { autoUsageTipsEnabled: "no" },
                                                 runtime: { lastRunAt: 12, lastExitAt: "2025-11-01T02:32:15.123Z", lastPlaceAtScreenEdge: "left", overviewShowCount: " 3 " } },
              expect: [false, false, true, "12", "2025-11-01T02:32:15.123Z", "left", 3] },
            { tag: "a group that is no object, a count that is no number", stored: { general: "on", runtime: { overviewShowCount: "many" } }, expect: defaults },
            { tag: "a count that does not fit", stored: { runtime: { overviewShowCount: "1e400" } }, expect: defaults },
            { tag: "a count far too large", stored: { runtime: { overviewShowCount: 1e12 } }, expect: defaults },
            { tag: "a count far too small", stored: { runtime: { overviewShowCount: -3e9 } }, expect: defaults }
        ];
    }

    function test_load(data) {
        if (data.stored !== undefined)
            SettingsStore.setValue("app", data.stored);
        const settings = createTemporaryObject(settingsComponent, testCase, { autoStartEnabled: false, overviewShowCount: 5 });
        settings.load();
        compare(testCase.names.map(name => settings[name]), data.expect);
    }

    function test_saveWritesTheGroupsAndKeepsOtherKeys() {
        SettingsStore.setObject("app", { general: { autoStartEnabled: false, retired: 1 }, legacy: true });
        const settings = createTemporaryObject(settingsComponent, testCase);
        settings.load();
        settings.lastRunAt = "2025-11-01T02:32:15.123Z";
        settings.lastPlaceAtScreenEdge = "bottom";
        settings.overviewShowCount = 2;
        settings.save(false);
        compare(SettingsStore.getValue("app", null), {
            general: { autoStartEnabled: false }, input: { wheelDoubleEnabled: true }, help: { autoUsageTipsEnabled: true },
            runtime: { lastRunAt: "2025-11-01T02:32:15.123Z", lastExitAt: "", lastPlaceAtScreenEdge: "bottom", overviewShowCount: 2 }
        });
        compare(SettingsStore.getValue("drawing.pen.lineWidth", null), 7);
        verify(!AutoStartHelper.isEnabled(), "without its side effects, a save leaves the start at log-on alone");
    }

    function test_saveAppliesTheStartAtLogOn() {
        const settings = createTemporaryObject(settingsComponent, testCase);
        settings.load();
        for (const [enabled, how, registered, stored] of [[true, "save", true, true], [false, "save", false, false], [true, "apply", true, false]]) {
            settings.autoStartEnabled = enabled;
            settings[how]();
            compare([AutoStartHelper.isEnabled(), SettingsStore.getValue("app.general.autoStartEnabled", null)], [registered, stored], how);
        }
    }
}
