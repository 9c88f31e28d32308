import QtQuick
import Zem.Inkly

// The one control window: docked at a screen edge, it turns between a
// vertical and a horizontal bar, collapses to its grip and switch while the
// application is off, and keeps itself on screen and above the overlays.
// The controls, the panels and the capture command are parts of their own;
// this window places them and wires them to the drawing state. The screens
// and the position the window was put at are kept by its docking part.
Window {
    id: root

    required property DrawingContext drawingContext
    required property AppSettings appSettings

    readonly property int drawingTool: root.drawingContext ? root.drawingContext.drawingTool : DrawingTool.None
    readonly property real shadowExtent: frame.shadowExtent
    readonly property real contentWidth: bar.implicitWidth
    readonly property real contentHeight: bar.implicitHeight
    readonly property bool appOn: root.visible && appSwitch.checked
    property bool loaded: false
    property bool isInvalidating: false
    property bool appSwitchAnimationPending: false
    readonly property int snapOffset: Math.max(16 - root.shadowExtent, 0)
    readonly property int pinnedCount: bar.pinnedCount

    readonly property Debounce repositionDebounce: Debounce {
        delay: 66
        callback: () => root.reposition()
    }
    readonly property Debounce snapToScreenEdgeDebounce: Debounce {
        delay: 66
        callback: screen => root.snapToScreenEdge(screen)
    }

    property int orientation: Qt.Vertical
    readonly property bool vertical: root.orientation === Qt.Vertical
    readonly property bool horizontal: root.orientation === Qt.Horizontal

    property int autoUsageTipsOpenedCount: 0
    property alias captureNotInstalledMessage: captureCommand.captureNotInstalledMessage
    property alias captureErrorMessage: captureCommand.captureErrorMessage

    // Where screens, the cursor, the capture product and the browser come
    // from. Tests put their own in; null or unset means the real services.
    property alias screenSource: docking.screenSource
    property var captureLauncher: Grabbit
    property var openUrl: url => Qt.openUrlExternally(url)

    readonly property alias appSwitch: bar.appSwitch
    readonly property alias grip: bar.grip
    readonly property alias contentGrid: bar
    readonly property alias panels: panels
    readonly property alias tooltip: panels.tooltip
    readonly property alias shapePanel: panels.shapePanel
    readonly property alias eraserPanel: panels.eraserPanel
    readonly property alias lineWidthPanel: panels.lineWidthPanel
    readonly property alias lineWidthPreviewPanel: panels.lineWidthPreviewPanel
    readonly property alias morePanel: panels.morePanel
    readonly property alias navigator: navigator
    readonly property alias visibleLengthAnimation: visibleLengthAnimation

    signal usageTipsRequested
    signal aboutRequested
    signal settingsRequested
    signal restackRequested
    signal appSwitchExpandCompleted

    // --- Placement --------------------------------------------------------

    function thickness(): real {
        return root.vertical ? container.implicitWidth : container.implicitHeight;
    }

    function length(): real {
        return root.vertical ? container.implicitHeight : container.implicitWidth;
    }

    function windowRect(): rect {
        return Qt.rect(root.x, root.y, container.implicitWidth, container.implicitHeight);
    }

    function forceLayout() {
        bar.forceLayout();
    }

    function initializePosition() {
        const cursor = docking.cursorPosition();
        let screen = docking.screenAtPoint(cursor.x, cursor.y);
        if (!docking.isUsable(screen))
            screen = docking.primaryScreen();
        if (!docking.isUsable(screen)) {
            console.warn("[FloatingToolbar] No screen available for the current window position");
            return;
        }
        const area = screen.availableGeometry;
        const length = root.length();
        docking.moveTo(area.x + (area.width - length) / 2, area.y + (area.height - length) / 2);

        const edge = root.appSettings ? root.appSettings.lastPlaceAtScreenEdge : "";
        if (edge !== "")
            console.debug("[FloatingToolbar] Restoring lastPlaceAtScreenEdge: " + edge);
        const first = ToolbarPlacement.firstEdge(edge, screen.geometry, area, root.thickness(), length);
        root.placeAtScreenEdge(screen, first.edge, first.orientation);
    }

    function placeAtScreenEdge(screen, edge: string, orientation: int) {
        console.debug("[FloatingToolbar] placeAtScreenEdge: edge=" + edge);
        const resolved = docking.resolveScreen(screen);
        if (!resolved)
            return;
        const size = ToolbarPlacement.barSize(root.thickness(), root.length(), orientation);
        const target = Qt.rect(root.x, root.y, size.width, size.height);
        const position = Utils.placeAtEdge(target, resolved.availableGeometry, edge, root.snapOffset);
        root.orientation = orientation;
        root.forceLayout();
        docking.moveTo(position.x, position.y);
        console.debug("[FloatingToolbar] placed edge: " + edge + ", orientation: "
                      + (orientation === Qt.Vertical ? "vertical" : "horizontal"));
        if (root.appSettings)
            root.appSettings.lastPlaceAtScreenEdge = edge;
    }

    function snapToScreenEdge(screen) {
        console.debug("[FloatingToolbar] snapToScreenEdge");
        const resolved = docking.resolveScreen(screen);
        if (!resolved)
            return;
        const result = Utils.snapToEdge(root.windowRect(), resolved.availableGeometry,
                                        root.snapOffset + ToolbarPlacement.snapReach, root.snapOffset);
        if (!result.snapped)
            return;
        docking.moveTo(result.x, result.y);
        console.debug("[FloatingToolbar] snapped x: " + root.x + ", y: " + root.y);
    }

    function rotateToScreenEdge(screen) {
        console.debug("[FloatingToolbar] rotateToScreenEdge");
        const resolved = docking.resolveScreen(screen);
        if (!resolved)
            return;
        const detection = ToolbarPlacement.detectionRect(root.x, root.y, root.thickness(), root.length(),
                                                         root.orientation);
        const area = resolved.availableGeometry;
        const result = Utils.snapToEdge(detection, area, root.snapOffset + ToolbarPlacement.snapReach,
                                        root.snapOffset);
        if (!result.snapped)
            return;
        const decision = root.decideEdge(result.snapped, area);
        root.placeAtScreenEdge(resolved, decision.edge, decision.orientation);
    }

    function decideEdge(snapped, boundingRect): var {
        return ToolbarPlacement.decideEdge(snapped, boundingRect, root.orientation, root.thickness(), root.length());
    }

    function finalizeDragPosition() {
        const cursor = docking.cursorPosition();
        const cursorScreen = docking.screenAtPoint(cursor.x, cursor.y);
        if (docking.isUsable(cursorScreen)) {
            const ownScreen = docking.windowScreen();
            const ownRatio = docking.isUsable(ownScreen) ? ownScreen.devicePixelRatio : 0;
            // The move across scales leaves the window wherever the platform
            // put it; bring the grip back under the cursor first.
            if (cursorScreen.devicePixelRatio !== ownRatio)
                docking.moveTo(cursor.x - 24, cursor.y - 24);
            root.rotateToScreenEdge(cursorScreen);
            root.snapToScreenEdge(cursorScreen);
        } else {
            root.rotateToScreenEdge(null);
            root.snapToScreenEdge(null);
        }
    }

    function reposition() {
        console.debug("[FloatingToolbar] reposition");
        if (!root.isOnAnyScreen())
            root.initializePosition();
        root.rotateToScreenEdge(null);
        root.snapToScreenEdge(null);
        root.invalidate();
    }

    function isOnAnyScreen(): bool {
        if (root.width <= 0 || root.height <= 0)
            return false;
        const bounds = Qt.rect(root.x, root.y, root.width, root.height);
        const screens = docking.allScreens();
        for (let i = 0; i < screens.length; ++i) {
            if (Utils.rectsIntersect(bounds, screens[i].geometry))
                return true;
        }
        return false;
    }

    // The size drops to 0 and back: the platform then lays out and paints
    // the whole transparent window again, which a move to a monitor of
    // another scale otherwise leaves half drawn.
    function invalidate() {
        console.debug("[FloatingToolbar] invalidate");
        root.isInvalidating = true;
        root.isInvalidating = false;
    }

    // --- Collapse and expand ----------------------------------------------

    function effectiveLength(count: int): real {
        return bar.effectiveLength(count);
    }

    function startAppSwitchAnimation() {
        const expanding = appSwitch.checked;
        const pinned = bar.effectiveLength(bar.pinnedCount);
        const full = bar.effectiveLength(bar.barItems.length);
        visibleLengthAnimation.stop();
        visibleLengthAnimation.from = expanding ? pinned : full;
        visibleLengthAnimation.to = expanding ? full : pinned;
        bar.extraItemsShown = true;
        root.forceLayout();
        const topLeft = docking.screenAtPoint(root.x, root.y);
        root.snapToScreenEdgeDebounce.trigger(docking.isUsable(topLeft) ? topLeft : null);
        visibleLengthAnimation.start();
    }

    function finishAppSwitchAnimation() {
        const on = appSwitch.checked;
        bar.extraItemsShown = on;
        root.forceLayout();
        root.appSwitchAnimationPending = false;
        if (on)
            root.appSwitchExpandCompleted();
    }

    // --- Panels and tooltip -----------------------------------------------

    function openExtensionPanels(panel, keepOpen) {
        panels.openExtensionPanels(panel, keepOpen);
    }

    function closeExtensionPanels(keepOpen) {
        panels.closeExtensionPanels(keepOpen);
    }

    function decidePanelPreferredSide(): string {
        const screen = docking.windowScreen();
        return ToolbarPlacement.panelSide(Qt.rect(root.x, root.y, root.width, root.height),
                                          docking.isUsable(screen) ? screen.availableGeometry : null, root.orientation);
    }

    function openTooltip(text: string) {
        panels.openTooltip(text);
    }

    function closeTooltip(text: string) {
        panels.closeTooltip(text);
    }

    function decideTooltipPlacement(): var {
        return panels.decideTooltipPlacement();
    }

    function controlHovered(hovered: bool, text: string, panelName: string) {
        panels.controlHovered(hovered, text, panelName);
    }

    function moveLineWidth(width: int) {
        panels.moveLineWidth(width);
    }

    // --- Commands ---------------------------------------------------------

    function applyDrawingToolChange() {
        const tool = root.drawingTool;
        panels.keepPanelsForTool(tool);
        if (root.appSettings && root.appSettings.autoUsageTipsEnabled && root.autoUsageTipsOpenedCount < 1
                && DrawingTool.isDrawable(tool)) {
            root.autoUsageTipsOpenedCount += 1;
            root.usageTipsRequested();
        }
    }

    function setTool(tool: int) {
        if (root.drawingContext)
            root.drawingContext.setDrawingTool(tool);
    }

    function switchToRecentDrawableOrNone() {
        if (!root.drawingContext)
            return;
        if (DrawingTool.isNone(root.drawingTool))
            root.setTool(root.drawingContext.findRecentDrawingTool(tool => DrawingTool.isDrawable(tool),
                                                                   DrawingTool.Pen));
        else
            root.setTool(DrawingTool.None);
    }

    function handleMiddleDoubleClick() {
        if (!root.visible || !root.appSettings || !root.appSettings.wheelDoubleEnabled)
            return;
        Qt.callLater(() => {
            root.switchToRecentDrawableOrNone();
            root.raise();
            if (!WindowHelper.waylandSession)
                root.requestActivate();
        });
    }

    function selectColor(value) {
        if (!root.drawingContext)
            return;
        root.drawingContext.ensureLineColorDrawingTool();
        root.drawingContext.setLineColor(value);
    }

    function hideToolbar() {
        root.closeExtensionPanels();
        root.hide();
    }

    function capture() {
        captureCommand.capture();
    }

    function tryInstallCapture(): bool {
        return captureCommand.tryInstallCapture();
    }

    // --- Window -----------------------------------------------------------

    title: "Inkly Floating Toolbar"
    flags: Qt.Tool | Qt.FramelessWindowHint | Qt.WindowStaysOnTopHint | WindowHelper.unmanagedFlag()
    color: "transparent"
    visible: false
    width: root.isInvalidating ? 0 : container.implicitWidth
    height: root.isInvalidating ? 0 : container.implicitHeight
    opacity: root.loaded ? 1 : 0

    Behavior on opacity {
        NumberAnimation {
            duration: Theme.animationDurationFast
            easing.type: Easing.OutCubic
        }
    }

    onXChanged: Qt.callLater(docking.keepPlacement)
    onYChanged: Qt.callLater(docking.keepPlacement)

    onVisibleChanged: {
        if (root.visible)
            docking.placementGuard.restart();
        if (!root.loaded)
            return;
        console.debug("[FloatingToolbar] visible changed: " + root.visible);
        if (root.visible) {
            root.reposition();
        } else {
            panels.closeAll();
            root.setTool(DrawingTool.None);
        }
    }

    onClosing: close => {
        console.debug("[FloatingToolbar] closing event");
        close.accepted = false;
        root.hideToolbar();
    }

    onScreenChanged: {
        if (!bar.grip.dragging)
            return;
        // A bar that moves with the pointer is pulled onto the screen at the
        // drop; snapped now, it would jump away from the pointer and back.
        const snap = bar.grip.systemMove;
        Qt.callLater(() => {
            if (snap)
                root.snapToScreenEdge(null);
            root.invalidate();
        });
    }

    Component.onCompleted: {
        bar.visibleLength = bar.effectiveLength(appSwitch.checked ? bar.barItems.length : bar.pinnedCount);
        bar.extraItemsShown = appSwitch.checked;
        // Placed before anyone can show it: mapped where the placement will
        // put it, never centred under a resting pointer first.
        root.forceLayout();
        root.initializePosition();
        const earlyLength = root.length();
        Qt.callLater(() => {
            console.debug("[FloatingToolbar] Component completed (delayed via Qt.callLater)");
            if (root.length() !== earlyLength)
                root.initializePosition();
            root.loaded = true;
        });
    }

    ToolbarDocking {
        id: docking

        window: root
        dragging: bar.grip.dragging
    }

    Item {
        id: container

        anchors.fill: parent
        implicitWidth: bar.implicitWidth + 2 * root.shadowExtent
        implicitHeight: bar.implicitHeight + 2 * root.shadowExtent

        Item {
            x: root.shadowExtent
            y: root.shadowExtent
            width: bar.implicitWidth
            height: bar.implicitHeight

            CWindowShadowFrame {
                id: frame

                contentWidth: bar.visibleWidth
                contentHeight: bar.visibleHeight
                color: Theme.colorBackground
                radius: 14
            }

            ToolbarButtonBar {
                id: bar

                drawingContext: root.drawingContext
                orientation: root.orientation
                targetWindow: root
                shapeIcon: panels.shapePanel.selectedIcon
                eraserIcon: panels.eraserPanel.selectedIcon
                shapeTool: panels.shapePanel.selected
                eraserTool: panels.eraserPanel.selected
                undoShortcutText: undoShortcut.sequence
                redoShortcutText: redoShortcut.sequences.join(" / ")
                clearShortcutText: clearShortcut.sequence
                onControlHovered: (hovered, text, panelName) => panels.controlHovered(hovered, text, panelName)
                onToolRequested: tool => root.setTool(tool)
                onColorSelected: value => root.selectColor(value)
                onCaptureRequested: captureCommand.capture()
                onDragEnded: root.finalizeDragPosition()
            }
        }

        LineWidthStepper {
            drawingContext: root.drawingContext
        }
    }

    Connections {
        target: bar.appSwitch

        function onCheckedChanged() {
            root.appSwitchAnimationPending = true;
            Qt.callLater(root.startAppSwitchAnimation);
        }
    }

    NumberAnimation {
        id: visibleLengthAnimation

        target: bar
        property: "visibleLength"
        duration: Theme.animationDurationNormal
        easing.type: Easing.OutCubic
        onFinished: root.finishAppSwitchAnimation()
    }

    // Another program in front would otherwise end up above the bar.
    Timer {
        interval: 1000
        repeat: true
        running: root.visible && Qt.application.state === Qt.ApplicationInactive
        onTriggered: root.restackRequested()
    }

    Connections {
        target: ScreenMonitor

        function onWindowsDisplayChangeDetected() {
            if (root.visible)
                root.repositionDebounce.trigger();
        }
    }

    Connections {
        target: RawInputHandler

        function onMiddleDoubleClicked(globalPos) {
            root.handleMiddleDoubleClick();
        }
    }

    Connections {
        target: root.drawingContext

        function onDrawingToolManuallyChanged() {
            root.applyDrawingToolChange();
        }

        function onLineWidthManuallyChanged() {
            panels.showLineWidthPanel();
        }
    }

    Shortcut {
        id: undoShortcut

        sequence: "Ctrl+Z"
        context: Qt.ApplicationShortcut
        enabled: root.drawingContext ? root.drawingContext.canUndo : false
        onActivated: root.drawingContext.undo()
    }

    Shortcut {
        id: redoShortcut

        sequences: ["Ctrl+Y", "Ctrl+Shift+Z"]
        context: Qt.ApplicationShortcut
        enabled: root.drawingContext ? root.drawingContext.canRedo : false
        onActivated: root.drawingContext.redo()
    }

    Shortcut {
        id: clearShortcut

        sequence: "Ctrl+R"
        context: Qt.ApplicationShortcut
        enabled: root.drawingContext ? root.drawingContext.canClear : false
        onActivated: root.drawingContext.clear()
    }

    Shortcut {
        id: textShortcut

        sequence: "Ctrl+T"
        context: Qt.ApplicationShortcut
        onActivated: root.setTool(DrawingTool.Text)
    }

    Shortcut {
        id: laserShortcut

        sequence: "Ctrl+L"
        context: Qt.ApplicationShortcut
        onActivated: root.setTool(DrawingTool.Laser)
    }

    Shortcut {
        id: whiteBoardShortcut

        sequence: "Ctrl+Shift+W"
        context: Qt.ApplicationShortcut
        onActivated: root.drawingContext.toggleBoard("white")
    }

    Shortcut {
        id: blackBoardShortcut

        sequence: "Ctrl+Shift+B"
        context: Qt.ApplicationShortcut
        onActivated: root.drawingContext.toggleBoard("black")
    }

    Shortcut {
        id: savePictureShortcut

        sequence: "Ctrl+S"
        context: Qt.ApplicationShortcut
        onActivated: PictureHelper.savePicture()
    }

    DrawingToolNavigator {
        id: navigator

        drawingContext: root.drawingContext
        orientation: root.orientation
        // Typed text keeps its letters.
        enabled: !(root.drawingContext && root.drawingContext.textEditing)
        extended: (DrawingTool.inShapePanel(root.drawingTool) && panels.shapePanel.opened)
                  || (DrawingTool.isEraser(root.drawingTool) && panels.eraserPanel.opened)
                  || ((DrawingTool.isNone(root.drawingTool) || DrawingTool.isLaser(root.drawingTool))
                      && panels.pointerPanel.opened)
        extensionForward: panels.shapePanel.opened ? panels.shapePanel.layoutDirection === Qt.LeftToRight
                                                   : panels.eraserPanel.opened
                                                     ? panels.eraserPanel.layoutDirection === Qt.LeftToRight
                                                     : panels.pointerPanel.opened
                                                       ? panels.pointerPanel.layoutDirection === Qt.LeftToRight : true
        onOpenExtension: tool => panels.openExtensionForTool(tool)
        onCloseExtension: tool => panels.closeExtensionPanels()
    }

    ToolbarPanels {
        id: panels

        toolbarWindow: root
        drawingContext: root.drawingContext
        vertical: root.vertical
        barExpanded: bar.extraItemsShown
        cursorButton: bar.cursorButton
        shapeButton: bar.shapeButton
        eraserButton: bar.eraserButton
        lineWidthButton: bar.lineWidthButton
        moreButton: bar.moreButton
        decideSide: () => root.decidePanelPreferredSide()
        onToolRequested: tool => root.setTool(tool)
        onUsageTipsRequested: root.usageTipsRequested()
        onSettingsRequested: root.settingsRequested()
        onAboutRequested: root.aboutRequested()
        onHomepageRequested: root.openUrl(AppConstants.homepageUrl)
        onHideRequested: root.hideToolbar()
    }

    CaptureCommand {
        id: captureCommand

        parentWindow: root
        captureLauncher: root.captureLauncher
        openUrl: root.openUrl
        onLaunched: root.setTool(DrawingTool.None)
    }
}
