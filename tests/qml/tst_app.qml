import QtQuick
import QtTest
import Zem.Inkly

// The root component with its real toolbar and overlays, offscreen.
TestCase {
    id: testCase
    name: "App"
    when: windowShown

    Component { id: appComponent; App {} }

    function test_overlaysFollowTheSwitch() {
        const app = createTemporaryObject(appComponent, testCase);
        tryVerify(() => app.floatingToolbar && app.floatingToolbar.visible, 10000);
        const count = Math.min(ScreenMonitor.screens().length, AppConstants.maxScreenCount);
        tryVerify(() => app.drawingOverlays.length === count, 10000);
        const first = app.drawingOverlays[0];
        // Off: hidden and kept for the dispose delay; on again with unchanged
        // screens: the same windows come back.
        app.floatingToolbar.appSwitch.toggle();
        tryVerify(() => !first.visible, 5000);
        app.floatingToolbar.appSwitch.toggle();
        tryVerify(() => first.visible, 10000);
        compare(app.drawingOverlays[0], first);

        // Off and the dispose delay over: gone, destroyed one turn later.
        app.floatingToolbar.appSwitch.toggle();
        tryVerify(() => !first.visible, 5000);
        app.disposeDrawingOverlaysDebounce.flush();
        compare(app.drawingOverlays.length, 0);
        tryCompare(app, "pendingOverlayDestroyCount", 0);

        // Hiding the toolbar destroys rebuilt overlays without the dispose delay.
        app.floatingToolbar.appSwitch.toggle();
        tryVerify(() => app.drawingOverlays.length === count, 10000);
        app.floatingToolbar.visible = false;
        tryVerify(() => app.drawingOverlays.length === 0, 5000);

        // Quitting stores what was chosen within the last second, once.
        app.drawingContext.setDrawingTool(DrawingTool.Pen);
        app.drawingContext.setLineWidth(42);
        app.prepareQuit();
        compare(SettingsStore.getValue("drawing.pen.lineWidth", null), 42);
        const stamp = app.appSettings.lastExitAt;
        verify(stamp.length > 0);
        tryVerify(() => Utils.isoNow() !== stamp);
        app.prepareQuit();
        compare(SettingsStore.getValue("app.runtime.lastExitAt", null), stamp);
    }
}
