import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "SecondaryWindows"
    width: 200
    height: 200
    when: windowShown
    visible: true

    Component {
        id: overviewComponent

        Overview {}
    }

    Component {
        id: tipsComponent

        UsageTips {}
    }

    Component {
        id: settingsComponent

        AppSettings {}
    }

    Component {
        id: settingsWindowComponent

        SettingsWindow {}
    }

    Component {
        id: aboutWindowComponent

        AboutWindow {}
    }

    SignalSpy {
        id: openSpy

        signalName: "openRequested"
    }

    function cleanup() {
        AutoStartHelper.disable();
        SettingsStore.setValue("app", null);
    }

    function test_overviewStartButton() {
        const overview = createTemporaryObject(overviewComponent, testCase);
        openSpy.target = overview;
        openSpy.clear();
        overview.open();
        tryVerify(() => overview.visible && overview.width === 720 + 2 * overview.shadowExtent);
        tryVerify(() => overview.startButton.activeFocus, 3000, "the start button takes the focus");

        // Escape and presses elsewhere leave it open: it waits for an answer.
        RawInputHandler.keyPressed(Qt.Key_Escape, 1, false, 0);
        RawInputHandler.leftPressed(Qt.point(overview.x - 50, overview.y - 50));
        verify(overview.visible);

        // Return right after opening starts the application.
        keyClick(Qt.Key_Return);
        compare(openSpy.count, 1);
        tryCompare(overview, "visible", false);

        // Reused: the same window opens again; its close button only hides it.
        overview.open();
        tryCompare(overview, "visible", true);
        mouseClick(overview.closeButton);
        tryCompare(overview, "visible", false);
        compare(openSpy.count, 1);

        overview.open();
        tryCompare(overview, "visible", true);
        mouseClick(overview.startButton);
        compare(openSpy.count, 2);
        tryCompare(overview, "visible", false);
    }

    function test_tipsCornerChoice() {
        const tips = createTemporaryObject(tipsComponent, testCase);
        const screen = ScreenMonitor.primaryScreen();
        verify(screen.isValid());
        const ag = screen.availableGeometry;
        tips.open();
        tryVerify(() => tips.contentWidth > 100 && tips.contentHeight > 50);
        const cw = tips.contentWidth;
        const ch = tips.contentHeight;
        compare(tips.shadowExtent, 0);
        const right = Math.round(ag.x + ag.width - cw - 16);
        const bottom = Math.round(ag.y + ag.height - ch - 16);
        const left = ag.x + 16;
        const top = ag.y + 16;

        function at(avoid, priority) {
            tips.avoidRect = avoid;
            tips.anchorCornerPriority = priority;
            return tips.anchorPosition(screen);
        }

        compare(at(null, ["bottomRight"]), Qt.point(right, bottom));
        compare(at(null, ["topLeft"]), Qt.point(left, top));
        compare(at(null, ["middle"]), Qt.point(right, bottom), "an unknown corner is bottom right");

        // The toolbar docked at each edge pushes the tips to the next corner
        // of the default order.
        const bottomBar = { x: ag.x, y: ag.y + ag.height - 40, width: ag.width, height: 40 };
        const rightBar = { x: ag.x + ag.width - 40, y: ag.y, width: 40, height: ag.height };
        const topRightBox = { x: right, y: top, width: 10, height: 10 };
        compare(at(bottomBar, []), Qt.point(right, top));
        compare(at(Qt.rect(bottomBar.x, bottomBar.y, bottomBar.width, bottomBar.height), []),
                Qt.point(right, top), "a rect value works as well");
        compare(at(rightBar, []), Qt.point(left, bottom));
        compare(at(topRightBox, ["topRight", "topLeft"]), Qt.point(left, top));
        compare(at({ x: right - 1, y: bottom - 1, width: 2, height: 2 }, []), Qt.point(right, top),
                "touching the body counts");
        compare(at({ x: right - 2, y: bottom - 2, width: 2, height: 2 }, []), Qt.point(right, bottom),
                "a rectangle that only meets the corner does not");

        // Covered everywhere: the first priority wins.
        compare(at(ag, []), Qt.point(right, bottom));
        compare(at(ag, ["topLeft", "bottomRight"]), Qt.point(left, top));

        // A display change moves open tips back to their corner.
        tips.avoidRect = null;
        tips.anchorCornerPriority = ["bottomRight"];
        tips.x = ag.x + 40;
        tips.y = ag.y + 40;
        ScreenMonitor.windowsDisplayChangeDetected();
        ScreenMonitor.windowsDisplayChangeDetected();
        tryCompare(tips, "x", right);
        tryCompare(tips, "y", bottom);
        verify(tips.visible);
    }

    function test_tipsAutoCloseRestartedByOpen() {
        const tips = createTemporaryObject(tipsComponent, testCase);
        compare(tips.autoCloseTimeout, 8000);
        verify(tips.flags & Qt.WindowTransparentForInput);
        tips.autoCloseTimeout = 3000;
        tips.open();
        tryCompare(tips, "visible", true);
        wait(2000);
        verify(tips.visible);
        tips.open();
        // Past the first opening's end (and its fade), still before the second's.
        wait(1500);
        verify(tips.visible, "a second open restarts the auto close");
        tryCompare(tips, "visible", false, 5000);
    }

    function test_settingsAppliedOnlyOnSave() {
        const settings = createTemporaryObject(settingsComponent, testCase);
        settings.load();
        settings.autoStartEnabled = true;
        settings.wheelDoubleEnabled = true;
        settings.autoUsageTipsEnabled = false;
        settings.save();
        verify(AutoStartHelper.isEnabled());

        let win = createTemporaryObject(settingsWindowComponent, testCase, { appSettings: settings });
        win.show();
        tryCompare(win, "visible", true);
        compare(win.autoStartText, "로그인 시 자동 실행");
        verify(win.autoStartSwitch.checked);
        verify(win.wheelDoubleSwitch.checked);
        verify(!win.autoUsageTipsSwitch.checked);

        mouseClick(win.autoStartSwitch);
        mouseClick(win.autoUsageTipsSwitch);
        verify(!win.autoStartSwitch.checked);
        compare(settings.autoStartEnabled, true, "switches are a draft until saved");
        compare(settings.autoUsageTipsEnabled, false);

        // Shown again without a close: the draft is still there.
        win.show();
        verify(!win.autoStartSwitch.checked);

        mouseClick(win.cancelButton);
        tryCompare(win, "visible", false);
        compare(settings.autoStartEnabled, true);
        verify(AutoStartHelper.isEnabled());
        compare(SettingsStore.getValue("app.general.autoStartEnabled", null), true);
        win.destroy();

        // A fresh window shows the stored values again; save applies them.
        win = createTemporaryObject(settingsWindowComponent, testCase, { appSettings: settings });
        win.show();
        tryCompare(win, "visible", true);
        verify(win.autoStartSwitch.checked);
        mouseClick(win.autoStartSwitch);
        mouseClick(win.wheelDoubleSwitch);
        mouseClick(win.autoUsageTipsSwitch);
        mouseClick(win.saveButton);
        tryCompare(win, "visible", false);
        compare(settings.autoStartEnabled, false);
        compare(settings.wheelDoubleEnabled, false);
        compare(settings.autoUsageTipsEnabled, true);
        verify(!AutoStartHelper.isEnabled(), "saving removes the start at log-on");
        compare(SettingsStore.getValue("app.general.autoStartEnabled", null), false);
        compare(SettingsStore.getValue("app.input.wheelDoubleEnabled", null), false);
        compare(SettingsStore.getValue("app.help.autoUsageTipsEnabled", null), true);

        // And switching it back on registers it again.
        win = createTemporaryObject(settingsWindowComponent, testCase, { appSettings: settings });
        win.show();
        tryCompare(win, "visible", true);
        mouseClick(win.autoStartSwitch);
        win.save();
        verify(AutoStartHelper.isEnabled());
        compare(SettingsStore.getValue("app.general.autoStartEnabled", null), true);
    }

    function test_aboutWindow() {
        const win = createTemporaryObject(aboutWindowComponent, testCase);
        compare(win.versionText, "v1.1");
        compare(win.appDir, AppInfo.appDir);
        verify(win.appDir !== "");

        win.appDir = "";
        win.show();
        tryCompare(win, "visible", true);
        ignoreWarning("[AboutWindow] Application directory is empty.");
        mouseClick(win.licenseLink);
        verify(win.visible);
    }
}
