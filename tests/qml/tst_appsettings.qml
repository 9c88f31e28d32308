import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "AppSettings"

    Component {
        id: settingsComponent
        AppSettings {}
    }

    function createSettings() {
        const settings = createTemporaryObject(settingsComponent, testCase);
        verify(settings !== null);
        return settings;
    }

    function compareProperties(settings, expected) {
        for (const key of Object.keys(expected))
            compare(settings[key], expected[key], key);
    }

    function init() {
        SettingsStore.setValue("app", null);
        SettingsStore.setObject("drawing", { pen: { lineWidth: 7 } });
        AutoStartHelper.disable();
    }

    function test_zeroValuesUntilLoadThenDefaults() {
        const settings = createSettings();
        compareProperties(settings, {
            autoStartEnabled: false, wheelDoubleEnabled: false, autoUsageTipsEnabled: false,
            lastRunAt: "", lastExitAt: "", lastPlaceAtScreenEdge: "", overviewShowCount: 0
        });
        settings.load();
        compareProperties(settings, {
            autoStartEnabled: true, wheelDoubleEnabled: true, autoUsageTipsEnabled: true,
            lastRunAt: "", lastExitAt: "", lastPlaceAtScreenEdge: "", overviewShowCount: 0
        });

        // "app" that is not an object also gives the defaults.
        SettingsStore.setValue("app", 12);
        settings.autoStartEnabled = false;
        settings.overviewShowCount = 4;
        settings.load();
        verify(settings.autoStartEnabled);
        compare(settings.overviewShowCount, 0);

        // The defaults cannot be changed through the object handed out.
        try {
            settings.defaults.general.autoStartEnabled = false;
        } catch (error) {}
        compare(settings.defaults.general.autoStartEnabled, true);
        compare(settings.defaults.runtime.overviewShowCount, 0);
    }

    function test_loadConvertsStoredValues() {
        SettingsStore.setObject("app", {
            general: { autoStartEnabled: "FALSE" },
            input: { wheelDoubleEnabled: 0 },
            help: { autoUsageTipsEnabled: "no" },
            runtime: { lastRunAt: 12, lastExitAt: "2025-11-01T02:32:15.123Z", lastPlaceAtScreenEdge: "left",
                       overviewShowCount: " 3 " }
        });
        const settings = createSettings();
        settings.load();
        compareProperties(settings, {
            autoStartEnabled: false, wheelDoubleEnabled: false, autoUsageTipsEnabled: true,
            lastRunAt: "12", lastExitAt: "2025-11-01T02:32:15.123Z", lastPlaceAtScreenEdge: "left",
            overviewShowCount: 3
        });

        // A group that is not an object counts as missing; so does a count
        // that is no number or does not fit.
        for (const count of ["many", "1e400", 1e12, -3e9]) {
            settings.overviewShowCount = 5;
            SettingsStore.setObject("app", { general: "on", runtime: { overviewShowCount: count } });
            settings.load();
            verify(settings.autoStartEnabled);
            compare(settings.overviewShowCount, 0, String(count));
        }
    }

    function test_conversions() {
        const settings = createSettings();
        const bools = [[undefined, true, true], [null, false, false], ["TRUE", false, true], ["False", true, false],
                       ["yes", false, true], ["", true, false], [0, true, false], [2, false, true]];
        for (const [value, fallback, expected] of bools)
            compare(settings.asBool(value, fallback), expected, String(value));

        const numbers = [[undefined, 4, 4], [null, "7", 7], [2.5, 0, 2.5], [" 3 ", 0, 3], ["", 9, 0],
                         ["x1", 9, 9], [true, 9, 9], [{}, 9, 9],
                         ["1e400", 9, 9], ["-Infinity", 9, 9], [NaN, 9, 9]];
        for (const [value, fallback, expected] of numbers)
            compare(settings.asNumber(value, fallback), expected, String(value));

        compare(settings.asString(undefined, undefined), "");
        compare(settings.asString(null, 5), "5");
        compare(settings.asString("top", "left"), "top");
        compare(settings.asString(false, "left"), "false");
    }

    function test_saveWritesTheGroupsAndKeepsOtherKeys() {
        SettingsStore.setObject("app", { general: { autoStartEnabled: false, retired: 1 }, legacy: true });
        const settings = createSettings();
        settings.load();
        settings.lastRunAt = "2025-11-01T02:32:15.123Z";
        settings.lastPlaceAtScreenEdge = "bottom";
        settings.overviewShowCount = 2;
        settings.save(false);

        compare(SettingsStore.getValue("app", null), {
            general: { autoStartEnabled: false },
            input: { wheelDoubleEnabled: true },
            help: { autoUsageTipsEnabled: true },
            runtime: { lastRunAt: "2025-11-01T02:32:15.123Z", lastExitAt: "", lastPlaceAtScreenEdge: "bottom",
                       overviewShowCount: 2 }
        });
        compare(SettingsStore.getValue("drawing.pen.lineWidth", null), 7);
        // Without its side effects, a save leaves the start at log-on alone.
        verify(!AutoStartHelper.isEnabled());

        const reread = createSettings();
        SettingsStore.reload();
        reread.load();
        compare(reread.lastPlaceAtScreenEdge, "bottom");
        compare(reread.overviewShowCount, 2);
    }

    function test_saveAppliesTheStartAtLogOn() {
        const settings = createSettings();
        settings.load();
        settings.save();
        verify(AutoStartHelper.isEnabled());
        compare(SettingsStore.getValue("app.general.autoStartEnabled", null), true);

        settings.autoStartEnabled = false;
        settings.save();
        verify(!AutoStartHelper.isEnabled());

        settings.autoStartEnabled = true;
        settings.apply();
        verify(AutoStartHelper.isEnabled());
        compare(SettingsStore.getValue("app.general.autoStartEnabled", null), false);

        settings.resetToDefaults();
        compareProperties(settings, { autoStartEnabled: true, overviewShowCount: 0, lastPlaceAtScreenEdge: "" });
    }
}
