import QtQuick
import QtTest
import Zem.Inkly

// The root component with its real toolbar and overlays, offscreen.
TestCase {
    id: testCase
    name: "App"
    when: windowShown

    Component { id: appComponent; App {} }

    function test_overlaysFollowTheToolbar() {
        const app = createTemporaryObject(appComponent, testCase);
        tryVerify(() => app.floatingToolbar && app.floatingToolbar.visible, 10000);
        const count = Math.min(ScreenMonitor.screens().length, AppConstants.maxScreenCount);
        tryVerify(() => app.drawingOverlays.length === count && app.drawingOverlays[0].visible, 10000);
        // Switched off the ink goes; once the dispose delay is over, the windows too.
        app.floatingToolbar.appSwitch.toggle();
        tryVerify(() => !app.drawingOverlays[0].visible, 5000);
        app.disposeDrawingOverlaysDebounce.flush();
        compare(app.drawingOverlays.length, 0);
        // Hiding the toolbar takes the overlays at once.
        app.floatingToolbar.appSwitch.toggle();
        tryVerify(() => app.drawingOverlays.length === count, 10000);
        app.floatingToolbar.visible = false;
        tryVerify(() => app.drawingOverlays.length === 0, 5000);
        tryCompare(app, "pendingOverlayDestroyCount", 0);
    }
}
