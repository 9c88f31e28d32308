import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "App"
    width: 200
    height: 200
    when: windowShown
    visible: true

    Component { id: appComponent; App {} }
    Component { id: tipsComponent; UsageTips {} }
    Component { id: settingsComponent; AppSettings {} }
    Component { id: settingsWindowComponent; SettingsWindow {} }

    readonly property var names: ["autoStartEnabled", "wheelDoubleEnabled", "autoUsageTipsEnabled", "lastRunAt", "lastExitAt",
                                  "lastPlaceAtScreenEdge", "overviewShowCount"]

    function init() {
        SettingsStore.setValue("app", null);
        SettingsStore.setObject("drawing", { pen: { lineWidth: 7 } });
        AutoStartHelper.disable();
    }

    // The tips take the first free corner of their order; the toolbar
    // docked at an edge pushes them on.
    function test_tipsCorner_data() {
        const ag = ScreenMonitor.primaryScreen().availableGeometry;
        return [
            { tag: "bottom right", avoid: null, priority: ["bottomRight"], corner: ["right", "bottom"] },
            { tag: "bar at the bottom", avoid: Qt.rect(ag.x, ag.y + ag.height - 40, ag.width, 40), priority: [], corner: ["right", "top"] },
            { tag: "bar at the right", avoid: { x: ag.x + ag.width - 40, y: ag.y, width: 40, height: ag.height }, priority: [], corner: ["left", "bottom"] },
            { tag: "covered everywhere: the first", avoid: ag, priority: ["topLeft", "bottomRight"], corner: ["left", "top"] }
        ];
    }

    function test_tipsCorner(data) {
        const tips = createTemporaryObject(tipsComponent, testCase);
        const screen = ScreenMonitor.primaryScreen();
        const ag = screen.availableGeometry;
        tips.open();
        tryVerify(() => tips.contentWidth > 100 && tips.contentHeight > 50);
        const at = {
            "left": ag.x + 16, "top": ag.y + 16,
            "right": Math.round(ag.x + ag.width - tips.contentWidth - 16), "bottom": Math.round(ag.y + ag.height - tips.contentHeight - 16)
        };
        tips.avoidRect = data.avoid;
        tips.anchorCornerPriority = data.priority;
        compare(tips.anchorPosition(screen), Qt.point(at[data.corner[0]], at[data.corner[1]]));
    }

    function test_settingsAppliedOnlyOnSave() {
        const settings = createTemporaryObject(settingsComponent, testCase);
        settings.load();
        settings.save();
        const open = () => {
            const win = createTemporaryObject(settingsWindowComponent, testCase, { appSettings: settings });
            win.show();
            tryCompare(win, "visible", true);
            // The rows of keys are laid out with the first frame.
            waitForRendering(win.contentItem);
            return win;
        };
        let win = open();
        verify(win.autoStartSwitch.checked && win.wheelDoubleSwitch.checked && win.autoUsageTipsSwitch.checked);
        mouseClick(win.autoStartSwitch);
        compare(settings.autoStartEnabled, true, "switches are a draft until saved");
        win.show();
        verify(!win.autoStartSwitch.checked, "shown again without a close: the draft is still there");
        mouseClick(win.cancelButton);
        tryCompare(win, "visible", false);
        verify(AutoStartHelper.isEnabled());
        compare(SettingsStore.getValue("app.general.autoStartEnabled", null), true);
        win.destroy();

        // A fresh window shows the stored values again; save applies them.
        win = open();
        verify(win.autoStartSwitch.checked);
        for (const control of [win.autoStartSwitch, win.wheelDoubleSwitch, win.autoUsageTipsSwitch, win.saveButton])
            mouseClick(control);
        tryCompare(win, "visible", false);
        compare([settings.autoStartEnabled, settings.wheelDoubleEnabled, settings.autoUsageTipsEnabled], [false, false, false]);
        verify(!AutoStartHelper.isEnabled(), "saving removes the start at log-on");
        const stored = SettingsStore.getValue("app", null);
        compare([stored.general.autoStartEnabled, stored.input], [false, { wheelDoubleEnabled: false }]);
    }

    // The root component with its real toolbar and overlays, offscreen,
    // switched and edited by the commands a later start sends.
    function test_overlaysFollowTheToolbar() {
        const app = createTemporaryObject(appComponent, testCase);
        const command = (name, argument) => AppInstanceGuard.commandReceived(name, argument || "");
        tryVerify(() => app.floatingToolbar && app.floatingToolbar.visible, 10000);
        const count = Math.min(ScreenMonitor.screens().length, AppConstants.maxScreenCount);
        tryVerify(() => app.drawingOverlays.length === count && app.drawingOverlays[0].visible, 10000);
        // Display changes while locked are left to the unlock.
        ScreenMonitor.windowsDisplayChangeDetected();
        SessionChangeHandler.sessionLocked();
        ScreenMonitor.windowsDisplayChangeDetected();
        compare(app.drawingOverlays.length, 0);
        verify(!app.recreateDrawingOverlaysDebounce.timer.running && !app.recreateDrawingOverlaysDebounceRepeat.running,
               "a rebuild is pending behind the lock screen");
        SessionChangeHandler.sessionUnlocked();
        tryVerify(() => app.drawingOverlays.length === count && app.drawingOverlays[0].visible, 10000);
        // Switched off the ink goes; once the dispose delay is over, the windows too.
        command("off");
        verify(!app.floatingToolbar.appSwitch.checked);
        tryVerify(() => !app.drawingOverlays[0].visible, 5000);
        app.disposeDrawingOverlaysDebounce.flush();
        compare(app.drawingOverlays.length, 0);
        command("toggle");
        tryVerify(() => app.drawingOverlays.length === count, 10000);
        // Hiding the toolbar takes the overlays at once; "on" brings both back.
        app.floatingToolbar.visible = false;
        tryVerify(() => app.drawingOverlays.length === 0, 5000);
        tryCompare(app, "pendingOverlayDestroyCount", 0);
        command("on");
        tryVerify(() => app.floatingToolbar.appOn && app.drawingOverlays.length === count, 10000);

        // Every name the command line offers is a tool of the drawing engine.
        for (const name of CliConstants.toolNames) {
            command("tool", name);
            compare(DrawingTool.toString(app.drawingContext.drawingTool), name === "Pointer" ? "None" : name);
        }
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
        // A key that is no key stays as the user wrote it.
        SettingsStore.setObject("app", { general: { autoStartEnabled: false, retired: 1 }, legacy: true, hotkeys: { pen: "Ctrl+Frob", undo: "" } });
        const settings = createTemporaryObject(settingsComponent, testCase);
        settings.load();
        settings.lastRunAt = "2025-11-01T02:32:15.123Z";
        settings.lastPlaceAtScreenEdge = "bottom";
        settings.overviewShowCount = 2;
        settings.save(false);
        compare(SettingsStore.getValue("app", null), {
            general: { autoStartEnabled: false }, input: { wheelDoubleEnabled: true }, help: { autoUsageTipsEnabled: true },
            runtime: { lastRunAt: "2025-11-01T02:32:15.123Z", lastExitAt: "", lastPlaceAtScreenEdge: "bottom", overviewShowCount: 2 },
            hotkeys: Object.assign({}, settings.defaults.hotkeys, { pen: "Ctrl+Frob", undo: "" })
        });
        compare(SettingsStore.getValue("drawing.pen.lineWidth", null), 7);
        verify(!AutoStartHelper.isEnabled(), "without its side effects, a save leaves the start at log-on alone");
        // Applied without a save: registered, the stored value stays.
        settings.autoStartEnabled = true;
        settings.apply();
        compare([AutoStartHelper.isEnabled(), SettingsStore.getValue("app.general.autoStartEnabled", null)], [true, false]);
    }
}
