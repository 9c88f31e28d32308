import QtQuick
import QtTest
import Zem.Inkly

// The root component with its real toolbar and overlays, offscreen.
TestCase {
    id: testCase
    name: "App"
    when: windowShown

    Component {
        id: appComponent

        App {}
    }

    function createApp() {
        const app = createTemporaryObject(appComponent, testCase);
        verify(app);
        tryVerify(() => app.floatingToolbar && app.floatingToolbar.visible, 10000);
        return app;
    }

    function test_screensEqual() {
        const app = createApp();
        const screens = ScreenMonitor.screens();
        verify(screens.length > 0);
        verify(app.screensEqual(null, null));
        verify(!app.screensEqual(screens, null));
        verify(!app.screensEqual(null, screens));
        verify(app.screensEqual(screens, ScreenMonitor.screens()));
        verify(!app.screensEqual(screens, []));
        // An entry that cannot be compared counts as a change.
        verify(!app.screensEqual(screens, [42]));
    }

    function test_overlaysFollowTheSwitch() {
        const app = createApp();
        const count = Math.min(ScreenMonitor.screens().length, AppConstants.maxScreenCount);
        tryVerify(() => app.drawingOverlays.length === count, 10000);
        compare(app.drawingOverlays[0].windowId, "DrawingOverlay_0");
        const first = app.drawingOverlays[0];

        // Off: hidden, kept for the dispose delay.
        app.floatingToolbar.appSwitch.toggle();
        tryVerify(() => !first.visible, 5000);
        compare(app.drawingOverlays.length, count);

        // On again with unchanged screens: the same windows come back.
        app.floatingToolbar.appSwitch.toggle();
        tryVerify(() => first.visible, 10000);
        compare(app.drawingOverlays[0], first);

        // Off and the dispose delay over: gone, destroyed one turn later.
        app.floatingToolbar.appSwitch.toggle();
        tryVerify(() => !first.visible, 5000);
        app.disposeDrawingOverlaysDebounce.flush();
        compare(app.drawingOverlays.length, 0);
        verify(app.pendingOverlayDestroyCount > 0);
        tryCompare(app, "pendingOverlayDestroyCount", 0);

        // Hiding the toolbar destroys rebuilt overlays without the dispose delay.
        app.floatingToolbar.appSwitch.toggle();
        tryVerify(() => app.drawingOverlays.length === count, 10000);
        app.floatingToolbar.visible = false;
        tryVerify(() => app.drawingOverlays.length === 0, 5000);
        tryCompare(app, "pendingOverlayDestroyCount", 0);
    }

    function test_secondaryWindowsAreRebuiltAfterClose() {
        const app = createApp();
        app.openSettingsWindow();
        const first = app.settingsWindow;
        verify(first);
        app.openSettingsWindow();
        compare(app.settingsWindow, first);
        first.close();
        tryCompare(app, "settingsWindow", null);
        app.appSettings.wheelDoubleEnabled = !app.appSettings.wheelDoubleEnabled;
        app.openSettingsWindow();
        verify(app.settingsWindow);
        verify(app.settingsWindow !== first);
    }

    function test_prepareQuitRunsOnce() {
        const app = createApp();
        // Chosen within the second before quitting: still stored.
        app.drawingContext.setDrawingTool(DrawingTool.Pen);
        app.drawingContext.setLineWidth(42);
        app.prepareQuit();
        compare(JSON.stringify(SettingsStore.getValue("drawing", null)).indexOf("42") >= 0, true);
        verify(app.isQuitPrepared);
        const stamp = app.appSettings.lastExitAt;
        verify(stamp.length > 0);
        wait(5);
        app.prepareQuit();
        compare(app.appSettings.lastExitAt, stamp);
        const stored = SettingsStore.getValue("app", null);
        compare(stored.runtime.lastExitAt, stamp);
    }
}
