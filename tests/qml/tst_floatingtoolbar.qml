import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "FloatingToolbar"
    width: 100
    height: 100
    visible: true
    when: windowShown

    // Screens and the cursor under the test's control.
    QtObject {
        id: screenSource

        property var list: []
        property point cursor: Qt.point(0, 0)

        function globalMousePosition(): point {
            return screenSource.cursor;
        }

        function invalid() {
            return {
                "geometry": Qt.rect(0, 0, 0, 0),
                "availableGeometry": Qt.rect(0, 0, 0, 0),
                "devicePixelRatio": 0,
                "isValid": () => false
            };
        }

        function contains(r, x, y): bool {
            return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
        }

        function screenAt(x, y) {
            for (const screen of screenSource.list) {
                if (screenSource.contains(screen.geometry, x, y))
                    return screen;
            }
            return screenSource.invalid();
        }

        function screenOfWindow(window) {
            return screenSource.screenAt(window.x + window.width / 2, window.y + window.height / 2);
        }

        function primaryScreen() {
            return screenSource.list.length > 0 ? screenSource.list[0] : screenSource.invalid();
        }

        function screens() {
            return screenSource.list;
        }
    }

    // Stands in for the capture product and its suite manager.
    QtObject {
        id: launcher

        property bool grabbitInstalled: false
        property bool launchSucceeds: true
        property bool managerInstalled: false
        property int installCalls: 0

        function isGrabbitInstalled(): bool {
            return launcher.grabbitInstalled;
        }
        function launchGrabbit(): bool {
            return launcher.launchSucceeds;
        }
        function isMaveloManagerInstalled(): bool {
            return launcher.managerInstalled;
        }
        function installGrabbit(): bool {
            launcher.installCalls += 1;
            return true;
        }
    }

    property var openedUrls: []

    Component {
        id: contextComponent

        DrawingContext {}
    }

    Component {
        id: settingsComponent

        AppSettings {}
    }

    Component {
        id: toolbarComponent

        FloatingToolbar {}
    }

    SignalSpy {
        id: expandSpy

        signalName: "appSwitchExpandCompleted"
    }

    SignalSpy {
        id: tipsSpy

        signalName: "usageTipsRequested"
    }

    property DrawingContext context: null
    property AppSettings settings: null
    property FloatingToolbar toolbar: null

    function makeScreen(x, y, width, height, taskBar, ratio) {
        return {
            "geometry": Qt.rect(x, y, width, height),
            "availableGeometry": Qt.rect(x, y, width, height - taskBar),
            "devicePixelRatio": ratio,
            "isValid": () => true
        };
    }

    function createToolbar(lastEdge) {
        if (!testCase.context)
            testCase.context = createTemporaryObject(contextComponent, testCase);
        if (!testCase.settings) {
            testCase.settings = createTemporaryObject(settingsComponent, testCase);
            testCase.settings.load();
        }
        if (lastEdge !== undefined)
            testCase.settings.lastPlaceAtScreenEdge = lastEdge;
        const bar = createTemporaryObject(toolbarComponent, testCase, {
            "drawingContext": testCase.context,
            "appSettings": testCase.settings,
            "screenSource": screenSource,
            "captureLauncher": launcher,
            "openUrl": url => testCase.openedUrls.push(String(url))
        });
        verify(bar);
        const placedAt = Qt.point(bar.x, bar.y);
        tryCompare(bar, "loaded", true);
        compare(Qt.point(bar.x, bar.y), placedAt, "placed before it could be shown");
        testCase.toolbar = bar;
        return bar;
    }

    function init() {
        screenSource.list = [makeScreen(0, 0, 1920, 1080, 48, 1)];
        screenSource.cursor = Qt.point(500, 500);
        launcher.grabbitInstalled = false;
        launcher.launchSucceeds = true;
        launcher.managerInstalled = false;
        launcher.installCalls = 0;
        testCase.openedUrls = [];
    }

    function cleanup() {
        if (testCase.toolbar) {
            for (const box of [testCase.toolbar.captureNotInstalledMessage, testCase.toolbar.captureErrorMessage]) {
                if (box)
                    box.close();
            }
        }
        testCase.toolbar = null;
        testCase.context = null;
        testCase.settings = null;
    }

    function place(bar, orientation, x, y) {
        bar.orientation = orientation;
        bar.forceLayout();
        bar.x = x;
        bar.y = y;
    }

    function test_sizes() {
        const bar = createToolbar("");
        compare(bar.title, "Inkly Floating Toolbar");
        compare(bar.shadowExtent, 8);
        compare(bar.snapOffset, 8);
        compare(bar.contentGrid.barItems.length, 18);
        compare(bar.orientation, Qt.Vertical);
        compare(bar.contentWidth, 52);
        compare(bar.contentHeight, 651);
        compare(bar.width, 68);
        compare(bar.height, 667);
        place(bar, Qt.Horizontal, 0, 0);
        compare(bar.width, 667);
        compare(bar.height, 68);
        verify(!bar.appOn, "a hidden toolbar is not on");
    }

    function test_placementRules_data() {
        const V = Qt.Vertical, H = Qt.Horizontal;
        const r = (x, y, w, h) => ({ "x": x, "y": y, "width": w, "height": h });
        const full = r(0, 0, 1920, 1032), narrow = r(0, 0, 1097, 569);
        const decided = (edge, orientation) => ({ "edge": edge, "orientation": orientation });
        return [
            { tag: "first start, ultra-wide", fn: "firstEdge", args: ["", r(0, 0, 2560, 1080), r(0, 0, 2560, 1040), 68, 667], expect: decided("bottom", H) },
            { tag: "first start, 16:9", fn: "firstEdge", args: ["", r(0, 0, 1920, 1080), full, 68, 667], expect: decided("right", V) },
            { tag: "remembered top", fn: "firstEdge", args: ["top", r(0, 0, 1080, 1920), r(0, 0, 1080, 1920), 68, 667], expect: decided("top", H) },
            { tag: "remembered left, too narrow", fn: "firstEdge", args: ["left", narrow, narrow, 68, 667], expect: decided("left", H) },
            { tag: "left edge", fn: "decideEdge", args: [{ "left": true }, full, H, 68, 667], expect: decided("left", V) },
            { tag: "left edge, too narrow", fn: "decideEdge", args: [{ "left": true }, narrow, H, 68, 667], expect: decided("left", H) },
            { tag: "bottom edge", fn: "decideEdge", args: [{ "bottom": true }, full, V, 68, 667], expect: decided("bottom", H) },
            { tag: "right-bottom corner keeps vertical", fn: "decideEdge", args: [{ "right": true, "bottom": true }, full, V, 68, 667], expect: decided("right", V) },
            { tag: "top-left corner keeps horizontal", fn: "decideEdge", args: [{ "left": true, "top": true }, full, H, 68, 667], expect: decided("left", H) },
            { tag: "corner, nothing fits, wide", fn: "decideEdge", args: [{ "left": true, "top": true }, r(0, 0, 600, 500), V, 68, 667], expect: decided("left", H) },
            { tag: "panels of a right bar", fn: "panelSide", args: [r(1844, 100, 68, 667), full, V], expect: "left" },
            { tag: "panels of a left bar", fn: "panelSide", args: [r(8, 100, 68, 667), full, V], expect: "right" },
            { tag: "panels of a centred bar", fn: "panelSide", args: [r(926, 100, 68, 667), r(0, 0, 1920, 1032), V], expect: "right" },
            { tag: "panels of a bottom bar", fn: "panelSide", args: [r(600, 956, 667, 68), full, H], expect: "above" },
            { tag: "panels of a top bar", fn: "panelSide", args: [r(600, 8, 667, 68), full, H], expect: "below" },
            { tag: "panels without a screen", fn: "panelSide", args: [r(0, 0, 68, 667), null, V], expect: "left" },
            { tag: "tooltip of panels below", fn: "tooltipPlacement", args: ["below"], expect: { "side": "above", "origin": "left" } },
            { tag: "tooltip of panels right", fn: "tooltipPlacement", args: ["right"], expect: { "side": "below", "origin": "right" } }
        ];
    }

    function test_placementRules(data) {
        compare(JSON.stringify(ToolbarPlacement[data.fn](...data.args)), JSON.stringify(data.expect));
    }

    function test_restoredEdges() {
        // The screen under the cursor wins over the primary one.
        screenSource.list = [makeScreen(0, 0, 2560, 1080, 0, 1), makeScreen(2560, 0, 1920, 1080, 48, 1)];
        screenSource.cursor = Qt.point(3000, 400);
        let bar = createToolbar("top");
        compare(bar.orientation, Qt.Horizontal);
        compare(bar.y, 8);
        compare(bar.x, 2560 + Math.round((1920 - 667) / 2));

        bar = createToolbar("left");
        compare(bar.orientation, Qt.Vertical);
        compare(bar.x, 2560 + 8);

        // No screen under the cursor: the primary one.
        screenSource.cursor = Qt.point(-500, -500);
        bar = createToolbar("bottom");
        compare(bar.orientation, Qt.Horizontal);
        compare(bar.y, 1080 - 68 - 8);
        verify(bar.x >= 0 && bar.x + bar.width <= 2560);

        // No screen at all: nothing moves, nothing breaks.
        screenSource.list = [];
        ignoreWarning("[FloatingToolbar] No screen available for the current window position");
        bar = createToolbar("right");
        verify(bar.loaded);
    }

    function test_drops_data() {
        return [{
                "tag": "vertical, upper two thirds near the bottom: turns",
                "orientation": Qt.Vertical,
                "at": [800, 580],
                "expect": [Qt.Horizontal, 800, 1032 - 68 - 8, "bottom"]
            }, {
                "tag": "vertical, only the end overhangs the bottom: pulled up",
                "orientation": Qt.Vertical,
                "at": [800, 500],
                "expect": [Qt.Vertical, 800, 1032 - 667 - 8, "right"]
            }, {
                "tag": "vertical, right and bottom corner: stays vertical at the right",
                "orientation": Qt.Vertical,
                "at": [1920 - 68 - 10, 580],
                "expect": [Qt.Vertical, 1920 - 68 - 8, 1032 - 667 - 8, "right"]
            }, {
                "tag": "horizontal, top-left corner: stays horizontal, stored as left",
                "orientation": Qt.Horizontal,
                "at": [10, 10],
                "expect": [Qt.Horizontal, 8, 8, "left"]
            }, {
                "tag": "middle of the screen: stays where it was dropped",
                "orientation": Qt.Vertical,
                "at": [800, 200],
                "expect": [Qt.Vertical, 800, 200, "right"]
            }];
    }

    function test_drops(data) {
        const bar = createToolbar("");
        compare(testCase.settings.lastPlaceAtScreenEdge, "right");
        place(bar, data.orientation, data.at[0], data.at[1]);
        screenSource.cursor = Qt.point(data.at[0] + 20, data.at[1] + 20);
        bar.finalizeDragPosition();
        compare(bar.orientation, data.expect[0]);
        compare(bar.x, data.expect[1]);
        compare(bar.y, data.expect[2]);
        compare(testCase.settings.lastPlaceAtScreenEdge, data.expect[3]);
    }

    function test_dockedGapAndRestart() {
        let bar = createToolbar("");
        // The visible body 16 px from the area's right edge.
        compare(1920 - (bar.x + bar.width - bar.shadowExtent), 16);
        place(bar, Qt.Horizontal, 10, 10);
        bar.finalizeDragPosition();
        compare(testCase.settings.lastPlaceAtScreenEdge, "left");
        bar = createToolbar();
        compare(bar.orientation, Qt.Vertical);
        compare(bar.x, 8);
    }

    function test_dragAcrossScales() {
        screenSource.list = [makeScreen(0, 0, 1920, 1080, 0, 1), makeScreen(1920, 0, 1280, 720, 0, 2)];
        const bar = createToolbar("");
        place(bar, Qt.Vertical, 100, 100);
        screenSource.cursor = Qt.point(2500, 300);
        bar.finalizeDragPosition();
        // The grip under the cursor, then turned onto the bottom edge nearby.
        compare(bar.x, 2476);
        compare(bar.orientation, Qt.Horizontal);
        compare(bar.y, 720 - 68 - 8);

        // The same scale: no jump to the cursor.
        place(bar, Qt.Vertical, 800, 200);
        screenSource.cursor = Qt.point(1000, 250);
        bar.finalizeDragPosition();
        compare(bar.x, 800);
        compare(bar.y, 200);
    }

    function test_onAnyScreenAndReposition() {
        const bar = createToolbar("");
        verify(bar.isOnAnyScreen());
        bar.x = 1920;
        verify(!bar.isOnAnyScreen(), "touching the edge does not count");
        bar.x = 1919;
        verify(bar.isOnAnyScreen());
        bar.x = 5000;
        bar.y = 5000;
        bar.reposition();
        verify(bar.isOnAnyScreen());
        compare(bar.x, 1920 - 68 - 8);
        compare(bar.width, 68, "invalidate restores the size");
    }

    function test_collapseAndExpand() {
        const bar = createToolbar("");
        expandSpy.target = bar;
        expandSpy.clear();
        bar.appSwitch.toggle();
        verify(bar.appSwitchAnimationPending);
        tryCompare(bar, "appSwitchAnimationPending", false);
        compare(bar.width, 68);
        compare(bar.height, 116);
        compare(bar.contentGrid.visibleLength, 100);
        compare(expandSpy.count, 0);

        bar.appSwitch.toggle();
        tryCompare(bar, "appSwitchAnimationPending", false);
        compare(expandSpy.count, 1);
        compare(bar.height, 667);
        compare(bar.contentGrid.visibleLength, 651);
        for (let i = 0; i < bar.contentGrid.barItems.length; ++i)
            compare(bar.contentGrid.barItems[i].opacity, 1);

        // Turned back midway: one completion, at the end of the new direction.
        bar.appSwitch.toggle();
        tryVerify(() => bar.visibleLengthAnimation.running);
        bar.appSwitch.toggle();
        tryCompare(bar, "appSwitchAnimationPending", false);
        compare(expandSpy.count, 2);
        compare(bar.height, 667);

        place(bar, Qt.Horizontal, 100, 100);
        bar.appSwitch.toggle();
        tryCompare(bar, "appSwitchAnimationPending", false);
        compare(bar.width, 116);
        compare(bar.height, 68);
    }

    function test_panelRules() {
        const bar = createToolbar("");
        bar.show();
        tryCompare(bar, "visible", true);
        bar.openExtensionPanels(bar.lineWidthPanel, ["lineWidth"]);
        tryVerify(() => bar.lineWidthPanel.opened);
        compare(bar.lineWidthPanel.preferredSide, "left");
        bar.openExtensionPanels(bar.shapePanel, ["shape"]);
        tryVerify(() => bar.shapePanel.opened);
        tryVerify(() => !bar.lineWidthPanel.opened);

        // Choosing a shape keeps the panel; the pen closes it.
        bar.shapePanel.clicked(DrawingTool.Star);
        compare(testCase.context.drawingTool, DrawingTool.Star);
        tryVerify(() => bar.shapePanel.opened);
        compare(bar.shapePanel.selectedIcon, String(Theme.iconToolbarDrawingStar));
        testCase.context.setDrawingTool(DrawingTool.Pen);
        tryVerify(() => !bar.shapePanel.opened);
        compare(bar.shapePanel.selected, DrawingTool.Star);

        // A width change brings the slider.
        bar.openExtensionPanels(bar.morePanel, ["more"]);
        testCase.context.setLineWidth(12);
        tryVerify(() => bar.lineWidthPanel.opened);
        tryVerify(() => !bar.morePanel.opened);

        // Its preview goes with it, without fading.
        bar.moveLineWidth(20);
        verify(bar.lineWidthPreviewPanel.visible);
        bar.closeExtensionPanels();
        tryVerify(() => !bar.lineWidthPanel.opened);
        verify(!bar.lineWidthPreviewPanel.visible);

        // Hiding the toolbar takes the panels and the tool with it.
        bar.openExtensionPanels(bar.eraserPanel, ["eraser"]);
        bar.close();
        verify(!bar.visible, "a close request only hides");
        tryCompare(testCase.context, "drawingTool", DrawingTool.None);
        tryCompare(bar.eraserPanel, "opened", false);
    }

    function test_buttons() {
        const bar = createToolbar("");
        const items = bar.contentGrid.barItems;
        const shapeButton = items[6];
        const eraserButton = items[7];
        const lineWidthButton = items[8];
        const palette = items[9];
        shapeButton.clicked();
        compare(testCase.context.drawingTool, DrawingTool.Rectangle);
        verify(shapeButton.checked);
        testCase.context.setDrawingTool(DrawingTool.Star);
        items[3].clicked();
        compare(testCase.context.drawingTool, DrawingTool.None);
        shapeButton.clicked();
        compare(testCase.context.drawingTool, DrawingTool.Star);
        eraserButton.clicked();
        compare(testCase.context.drawingTool, DrawingTool.EraserBrush);
        verify(!palette.enabled);
        items[5].clicked();
        compare(testCase.context.drawingTool, DrawingTool.Highlighter);
        verify(palette.enabled);
        items[3].clicked();
        lineWidthButton.clicked();
        compare(testCase.context.drawingTool, DrawingTool.Highlighter);
        lineWidthButton.clicked();
        compare(testCase.context.drawingTool, DrawingTool.Highlighter, "a tool with a width stays");
        items[3].clicked();
        palette.colorSelected("#339AEE");
        compare(testCase.context.drawingTool, DrawingTool.Highlighter);
        verify(Qt.colorEqual(testCase.context.lineColor, "#339AEE"));

        verify(!items[12].enabled && !items[13].enabled && !items[14].enabled);
    }

    function test_tooltips() {
        const bar = createToolbar("");
        bar.show();
        tryCompare(bar, "visible", true);
        const items = bar.contentGrid.barItems;
        bar.controlHovered(true, "실행 취소 Ctrl+Z", "");
        mouseMove(items[12], 20, 20);
        tryCompare(bar.tooltip, "text", "실행 취소 Ctrl+Z");
        mouseMove(items[13], 20, 20);
        tryCompare(bar.tooltip, "text", "다시 실행 Ctrl+Y / Ctrl+Shift+Z");
        mouseMove(items[14], 20, 20);
        tryCompare(bar.tooltip, "text", "모두 지우기 Ctrl+R");
        mouseMove(items[6], 20, 20);
        tryCompare(bar.shapePanel, "opened", true);
        mouseMove(items[4], 20, 20);
        tryCompare(bar.shapePanel, "opened", false);
        // Leaving closes only the tooltip that is still shown.
        bar.closeTooltip("도형");
        compare(bar.tooltip.text, "펜");
        verify(bar.tooltip.opened || bar.tooltip.waiting);
    }

    function test_shortcutsAndNavigation() {
        const bar = createToolbar("");
        const item = {
            "drawingTool": DrawingTool.Pen,
            "windowId": "DrawingOverlay_0",
            "lineColor": "#FF0000",
            "lineWidth": 5,
            "points": [0, 0, 10, 10]
        };
        testCase.context.pushDrawItem(item);
        keySequence("Ctrl+Z");
        compare(testCase.context.drawItems.length, 0);
        keySequence("Ctrl+Z");
        compare(testCase.context.canRedo, true);
        keySequence("Ctrl+Shift+Z");
        compare(testCase.context.drawItems.length, 1);
        keySequence("Ctrl+Z");
        keySequence("Ctrl+Y");
        compare(testCase.context.drawItems.length, 1);
        keySequence("Ctrl+R");
        compare(testCase.context.drawItems.length, 0);
        compare(testCase.context.canRedo, true);

        // Vertical bar, pointer tool: up wraps round to the eraser.
        testCase.context.setDrawingTool(DrawingTool.None);
        keyClick(Qt.Key_Up);
        compare(testCase.context.drawingTool, DrawingTool.EraserBrush);
        keyClick(Qt.Key_S);
        compare(testCase.context.drawingTool, DrawingTool.None);
        keyClick(Qt.Key_Down);
        compare(testCase.context.drawingTool, DrawingTool.Pen);
        // Horizontal: up and down stay.
        bar.orientation = Qt.Horizontal;
        keyClick(Qt.Key_W);
        compare(testCase.context.drawingTool, DrawingTool.Pen);
        keyClick(Qt.Key_Right);
        compare(testCase.context.drawingTool, DrawingTool.Highlighter);
        verify(bar.navigator.extensionForward);

        // A key that stays on the shape opens its panel, but not at a
        // collapsed bar, where nothing is there to open it at.
        bar.orientation = Qt.Vertical;
        bar.show();
        tryCompare(bar, "visible", true);
        testCase.context.setDrawingTool(DrawingTool.Rectangle);
        for (const on of [false, true]) {
            bar.appSwitch.checked = on;
            tryCompare(bar, "appSwitchAnimationPending", false);
            keyClick(Qt.Key_Left);
            compare(bar.shapePanel.visible, on);
        }
    }

    function test_middleDoubleClick() {
        const bar = createToolbar("");
        testCase.settings.wheelDoubleEnabled = true;
        testCase.context.setDrawingTool(DrawingTool.Highlighter);
        testCase.context.setDrawingTool(DrawingTool.None);
        RawInputHandler.middleDoubleClicked(Qt.point(10, 10));
        wait(0);
        compare(testCase.context.drawingTool, DrawingTool.None, "a hidden toolbar ignores it");
        bar.show();
        tryCompare(bar, "visible", true);
        RawInputHandler.middleDoubleClicked(Qt.point(10, 10));
        tryCompare(testCase.context, "drawingTool", DrawingTool.Highlighter);
        RawInputHandler.middleDoubleClicked(Qt.point(10, 10));
        tryCompare(testCase.context, "drawingTool", DrawingTool.None);
        testCase.settings.wheelDoubleEnabled = false;
        RawInputHandler.middleDoubleClicked(Qt.point(10, 10));
        wait(0);
        compare(testCase.context.drawingTool, DrawingTool.None);
    }

    function test_autoUsageTips() {
        const bar = createToolbar("");
        tipsSpy.target = bar;
        tipsSpy.clear();
        testCase.settings.autoUsageTipsEnabled = false;
        testCase.context.setDrawingTool(DrawingTool.Pen);
        compare(tipsSpy.count, 0);
        testCase.settings.autoUsageTipsEnabled = true;
        testCase.context.setDrawingTool(DrawingTool.None);
        compare(tipsSpy.count, 0, "the pointer tool does not count");
        testCase.context.setDrawingTool(DrawingTool.Highlighter);
        testCase.context.setDrawingTool(DrawingTool.Pen);
        compare(tipsSpy.count, 1);
        compare(bar.autoUsageTipsOpenedCount, 1);
    }

    function test_capture() {
        const bar = createToolbar("");
        bar.show();
        tryCompare(bar, "visible", true);
        bar.capture();
        const box = bar.captureNotInstalledMessage;
        verify(box);
        verify(box.visible);
        compare(box.text, "그래빗이 설치되어 있지 않습니다.");
        bar.capture();
        compare(bar.captureNotInstalledMessage, box, "one message at a time");

        // Accepted without the suite manager: the web page.
        box.confirm();
        compare(bar.captureNotInstalledMessage, null);
        compare(testCase.openedUrls, [AppConstants.captureInstallUrl]);
        verify(AppConstants.captureInstallUrl.indexOf("event=") > 0);

        // With it: the installation, no page.
        launcher.managerInstalled = true;
        bar.capture();
        verify(bar.captureNotInstalledMessage !== box);
        bar.captureNotInstalledMessage.confirm();
        compare(launcher.installCalls, 1);
        compare(testCase.openedUrls.length, 1);

        // Launch failures: one error message at a time.
        launcher.grabbitInstalled = true;
        launcher.launchSucceeds = false;
        bar.capture();
        bar.capture();
        const error = bar.captureErrorMessage;
        verify(error);
        compare(error.showCancel, false);
        error.close();
        compare(bar.captureErrorMessage, null);

        launcher.launchSucceeds = true;
        testCase.context.setDrawingTool(DrawingTool.Pen);
        bar.capture();
        compare(testCase.context.drawingTool, DrawingTool.None);
        compare(bar.captureErrorMessage, null);
    }
}
