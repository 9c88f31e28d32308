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
        readonly property var none: ({ "geometry": Qt.rect(0, 0, 0, 0), "availableGeometry": Qt.rect(0, 0, 0, 0),
                                       "devicePixelRatio": 0, "isValid": () => false })

        function globalMousePosition(): point { return screenSource.cursor; }
        function screenAt(x, y) {
            return screenSource.list.find(s => x >= s.geometry.x && x < s.geometry.x + s.geometry.width
                                          && y >= s.geometry.y && y < s.geometry.y + s.geometry.height) || screenSource.none;
        }
        function screenOfWindow(w) { return screenSource.screenAt(w.x + w.width / 2, w.y + w.height / 2); }
        function primaryScreen() { return screenSource.list[0] || screenSource.none; }
        function screens() { return screenSource.list; }
    }

    // Stands in for the capture product and its suite manager.
    QtObject {
        id: launcher
        property bool grabbitInstalled; property bool launchSucceeds; property bool managerInstalled; property int installCalls
        function isGrabbitInstalled(): bool { return launcher.grabbitInstalled; }
        function launchGrabbit(): bool { return launcher.launchSucceeds; }
        function isMaveloManagerInstalled(): bool { return launcher.managerInstalled; }
        function installGrabbit(): bool { launcher.installCalls += 1; return true; }
    }

    property var openedUrls: []
    property DrawingContext context: null
    property AppSettings settings: null
    property FloatingToolbar toolbar: null

    Component { id: contextComponent; DrawingContext {} }
    Component { id: settingsComponent; AppSettings {} }
    Component { id: toolbarComponent; FloatingToolbar {} }

    function makeScreen(x, y, width, height, taskBar, ratio) {
        return { "geometry": Qt.rect(x, y, width, height), "availableGeometry": Qt.rect(x, y, width, height - taskBar),
                 "devicePixelRatio": ratio, "isValid": () => true };
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
            "drawingContext": testCase.context, "appSettings": testCase.settings, "screenSource": screenSource,
            "captureLauncher": launcher, "openUrl": url => testCase.openedUrls.push(String(url))
        });
        const placedAt = Qt.point(bar.x, bar.y);
        tryCompare(bar, "loaded", true);
        compare(Qt.point(bar.x, bar.y), placedAt, "placed before it could be shown");
        testCase.toolbar = bar;
        return bar;
    }

    function showToolbar() {
        const bar = createToolbar("");
        bar.show();
        tryCompare(bar, "visible", true);
        return bar;
    }

    function init() {
        screenSource.list = [makeScreen(0, 0, 1920, 1080, 48, 1)];
        screenSource.cursor = Qt.point(500, 500);
        Object.assign(launcher, { grabbitInstalled: false, launchSucceeds: true, managerInstalled: false, installCalls: 0 });
        testCase.openedUrls = [];
    }

    function cleanup() {
        for (const box of testCase.toolbar ? [testCase.toolbar.captureNotInstalledMessage, testCase.toolbar.captureErrorMessage] : [])
            box?.close();
        Object.assign(testCase, { toolbar: null, context: null, settings: null });
    }

    function place(bar, orientation, x, y) {
        bar.orientation = orientation;
        bar.forceLayout();
        bar.x = x;
        bar.y = y;
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

    function test_drops_data() {
        return [
            { tag: "vertical, upper two thirds near the bottom: turns", orientation: Qt.Vertical, at: [800, 580], expect: [Qt.Horizontal, 800, 1032 - 68 - 8, "bottom"] },
            { tag: "vertical, only the end overhangs the bottom: pulled up", orientation: Qt.Vertical, at: [800, 500], expect: [Qt.Vertical, 800, 1032 - 667 - 8, "right"] },
            { tag: "vertical, right and bottom corner: stays vertical", orientation: Qt.Vertical, at: [1920 - 68 - 10, 580], expect: [Qt.Vertical, 1920 - 68 - 8, 1032 - 667 - 8, "right"] },
            { tag: "horizontal, top-left corner: stored as left", orientation: Qt.Horizontal, at: [10, 10], expect: [Qt.Horizontal, 8, 8, "left"] },
            { tag: "middle of the screen: stays", orientation: Qt.Vertical, at: [800, 200], expect: [Qt.Vertical, 800, 200, "right"] },
            // The grip under the cursor on a screen of another scale, then onto the bottom edge.
            { tag: "onto a screen of scale 2", orientation: Qt.Vertical, at: [100, 100], cursor: [2500, 300], expect: [Qt.Horizontal, 2476, 720 - 68 - 8, "bottom"] }
        ];
    }

    function test_drops(data) {
        screenSource.list = [makeScreen(0, 0, 1920, 1080, 48, 1), makeScreen(1920, 0, 1280, 720, 0, 2)];
        const bar = createToolbar("");
        place(bar, data.orientation, data.at[0], data.at[1]);
        screenSource.cursor = data.cursor ? Qt.point(data.cursor[0], data.cursor[1]) : Qt.point(data.at[0] + 20, data.at[1] + 20);
        bar.finalizeDragPosition();
        compare([bar.orientation, bar.x, bar.y, testCase.settings.lastPlaceAtScreenEdge], data.expect);
    }

    function test_offScreenIsRepositioned() {
        let bar = createToolbar("");
        bar.x = 1920;
        verify(!bar.isOnAnyScreen(), "touching the edge does not count");
        bar.x = 5000;
        bar.y = 5000;
        bar.reposition();
        compare([bar.isOnAnyScreen(), bar.x, bar.width], [true, 1920 - 68 - 8, 68]);
        // No screen at all: nothing moves, nothing breaks.
        screenSource.list = [];
        ignoreWarning("[FloatingToolbar] No screen available for the current window position");
        bar = createToolbar("right");
    }

    function test_panelRules() {
        const bar = showToolbar();
        bar.openExtensionPanels(bar.lineWidthPanel, ["lineWidth"]);
        tryVerify(() => bar.lineWidthPanel.opened);
        bar.openExtensionPanels(bar.shapePanel, ["shape"]);
        tryVerify(() => bar.shapePanel.opened && !bar.lineWidthPanel.opened);

        // Choosing a shape keeps the panel; the pen closes it.
        bar.shapePanel.clicked(DrawingTool.Star);
        tryVerify(() => bar.shapePanel.opened && testCase.context.drawingTool === DrawingTool.Star);
        testCase.context.setDrawingTool(DrawingTool.Pen);
        tryVerify(() => !bar.shapePanel.opened);

        // A width change brings the slider and its preview.
        bar.openExtensionPanels(bar.morePanel, ["more"]);
        testCase.context.setLineWidth(12);
        tryVerify(() => bar.lineWidthPanel.opened && !bar.morePanel.opened);
        bar.moveLineWidth(20);
        verify(bar.lineWidthPreviewPanel.visible);
        bar.closeExtensionPanels();
        tryVerify(() => !bar.lineWidthPanel.opened);
        verify(!bar.lineWidthPreviewPanel.visible, "the preview goes without fading");

        // Hiding the toolbar takes the panels and the tool with it.
        bar.openExtensionPanels(bar.eraserPanel, ["eraser"]);
        bar.close();
        verify(!bar.visible, "a close request only hides");
        tryVerify(() => testCase.context.drawingTool === DrawingTool.None && !bar.eraserPanel.opened);
    }

    // Buttons by their place in the bar: 3 pointer, 4 pen, 5 highlighter,
    // 6 shape, 7 eraser, 8 line width, 9 palette.
    function test_buttons_data() {
        const T = DrawingTool;
        return [
            { tag: "shape starts with the rectangle", before: T.None, click: 6, tool: T.Rectangle },
            { tag: "shape brings back the last shape", recent: T.Star, before: T.None, click: 6, tool: T.Star },
            { tag: "eraser", before: T.None, click: 7, tool: T.EraserBrush, palette: false },
            { tag: "highlighter", before: T.None, click: 5, tool: T.Highlighter, palette: true },
            { tag: "line width keeps a tool with a width", before: T.Highlighter, click: 8, tool: T.Highlighter },
            { tag: "a colour from the pointer", before: T.None, color: "#339AEE", tool: T.Highlighter, recent: T.Highlighter }
        ];
    }

    function test_buttons(data) {
        const bar = createToolbar("");
        const items = bar.contentGrid.barItems;
        for (const tool of [data.recent, data.before].filter(tool => tool !== undefined))
            testCase.context.setDrawingTool(tool);
        if (data.color) {
            items[9].colorSelected(data.color);
            verify(Qt.colorEqual(testCase.context.lineColor, data.color));
        } else {
            items[data.click].clicked();
        }
        compare(testCase.context.drawingTool, data.tool);
        if (data.palette !== undefined)
            compare(items[9].enabled, data.palette);
        verify(!items[12].enabled && !items[13].enabled && !items[14].enabled, "nothing to undo, redo or clear");
    }

    function test_tooltips() {
        const bar = showToolbar();
        const items = bar.contentGrid.barItems;
        bar.controlHovered(true, "실행 취소 Ctrl+Z", "");
        for (const [index, text] of [[12, "실행 취소 Ctrl+Z"], [13, "다시 실행 Ctrl+Y / Ctrl+Shift+Z"], [14, "모두 지우기 Ctrl+R"]]) {
            mouseMove(items[index], 20, 20);
            tryCompare(bar.tooltip, "text", text);
        }
        mouseMove(items[6], 20, 20);
        tryCompare(bar.shapePanel, "opened", true);
        mouseMove(items[4], 20, 20);
        tryCompare(bar.shapePanel, "opened", false);
        // Leaving closes only the tooltip that is still shown.
        bar.closeTooltip("도형");
        verify(bar.tooltip.text === "펜" && (bar.tooltip.opened || bar.tooltip.waiting));
    }

    function test_historyShortcuts() {
        createToolbar("");
        const context = testCase.context;
        context.pushDrawItem({ "drawingTool": DrawingTool.Pen, "windowId": "DrawingOverlay_0", "lineColor": "#FF0000",
                               "lineWidth": 5, "points": [0, 0, 10, 10] });
        for (const [keys, count, canRedo] of [["Ctrl+Z", 0, true], ["Ctrl+Z", 0, true], ["Ctrl+Shift+Z", 1, false],
                                              ["Ctrl+Z", 0, true], ["Ctrl+Y", 1, false], ["Ctrl+R", 0, true]]) {
            keySequence(keys);
            compare([context.drawItems.length, context.canRedo], [count, canRedo], keys);
        }
    }

    // A key that stays on the shape opens its panel, but not at a collapsed
    // bar, where nothing is there to open it at. The switch shows its state.
    function test_arrowKeyOpensThePanelOfAnOpenBar() {
        const bar = showToolbar();
        testCase.context.setDrawingTool(DrawingTool.Rectangle);
        for (const on of [false, true]) {
            bar.appSwitch.checked = on;
            tryVerify(() => !bar.appSwitchAnimationPending && findChild(bar.appSwitch, "handleHolder").x === (on ? 30 : 0), 3000, "the switch's handle moves");
            keyClick(Qt.Key_Left);
            compare(bar.shapePanel.visible, on);
        }
    }

    // Handled on the next turn of the event loop; a hidden toolbar ignores it.
    function test_middleDoubleClick() {
        const bar = createToolbar("");
        testCase.context.setDrawingTool(DrawingTool.Highlighter);
        testCase.context.setDrawingTool(DrawingTool.None);
        for (const [shown, enabled, tool] of [[false, true, DrawingTool.None], [true, false, DrawingTool.None], [true, true, DrawingTool.Highlighter], [true, true, DrawingTool.None]]) {
            bar.visible = shown;
            testCase.settings.wheelDoubleEnabled = enabled;
            RawInputHandler.middleDoubleClicked(Qt.point(10, 10));
            wait(0);
            compare(testCase.context.drawingTool, tool, [shown, enabled].join());
        }
    }

    function test_capture() {
        const bar = showToolbar();
        bar.capture();
        const box = bar.captureNotInstalledMessage;
        bar.capture();
        compare([bar.captureNotInstalledMessage, box.visible, box.text], [box, true, "그래빗이 설치되어 있지 않습니다."], "one message at a time");
        // Accepted without the suite manager: the web page; with it, the installation.
        box.confirm();
        launcher.managerInstalled = true;
        bar.capture();
        bar.captureNotInstalledMessage.confirm();
        compare([launcher.installCalls, testCase.openedUrls], [1, [AppConstants.captureInstallUrl]]);

        // Launch failures: one error message; a launch ends the drawing.
        Object.assign(launcher, { grabbitInstalled: true, launchSucceeds: false });
        bar.capture();
        bar.capture();
        verify(bar.captureErrorMessage && !bar.captureErrorMessage.showCancel);
        bar.captureErrorMessage.close();
        launcher.launchSucceeds = true;
        testCase.context.setDrawingTool(DrawingTool.Pen);
        bar.capture();
        compare([testCase.context.drawingTool, bar.captureErrorMessage], [DrawingTool.None, null]);
    }
}
