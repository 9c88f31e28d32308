import QtQuick
import Zem.Inkly

// The one control window: docked at a screen edge, it turns between a
// vertical and a horizontal bar, collapses to its grip and switch while the
// application is off, and keeps itself on screen and above the overlays.
Window {
    id: root

    required property DrawingContext drawingContext
    required property AppSettings appSettings

    readonly property int drawingTool: root.drawingContext ? root.drawingContext.drawingTool : DrawingTool.None
    readonly property real shadowExtent: frame.shadowExtent
    readonly property real contentWidth: grid.implicitWidth
    readonly property real contentHeight: grid.implicitHeight
    readonly property bool appOn: root.visible && appSwitch.checked
    property bool loaded: false
    property bool isInvalidating: false
    property bool appSwitchAnimationPending: false
    readonly property int snapOffset: Math.max(16 - root.shadowExtent, 0)
    // Fraction of the bar's length that counts when looking for an edge to
    // turn to, so that a bar only half over an edge does not flip.
    readonly property real snapDetectionRatio: 0.66
    readonly property int pinnedCount: 2

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
    property CMessageBox captureNotInstalledMessage: null
    property CMessageBox captureErrorMessage: null

    // Where screens, the cursor, the capture product and the browser come
    // from. Tests put their own in; null or unset means the real services.
    property var screenSource: null
    property var captureLauncher: Grabbit
    property var openUrl: url => Qt.openUrlExternally(url)

    readonly property alias appSwitch: appSwitch
    readonly property alias grip: grip
    readonly property alias contentGrid: grid
    readonly property alias tooltip: tooltip
    readonly property alias shapePanel: shapePanel
    readonly property alias eraserPanel: eraserPanel
    readonly property alias lineWidthPanel: lineWidthPanel
    readonly property alias lineWidthPreviewPanel: lineWidthPreviewPanel
    readonly property alias morePanel: morePanel
    readonly property alias navigator: navigator
    readonly property alias visibleLengthAnimation: visibleLengthAnimation

    signal usageTipsRequested
    signal aboutRequested
    signal settingsRequested
    signal restackRequested
    signal appSwitchExpandCompleted

    // --- Screens ----------------------------------------------------------

    function cursorPosition(): point {
        if (root.screenSource && root.screenSource.globalMousePosition)
            return root.screenSource.globalMousePosition();
        return MouseHelper.globalMousePosition();
    }

    function screenAtPoint(x: real, y: real): var {
        if (root.screenSource)
            return root.screenSource.screenAt(x, y);
        return ScreenMonitor.screenAt(Math.round(x), Math.round(y));
    }

    function windowScreen(): var {
        if (root.screenSource)
            return root.screenSource.screenOfWindow(root);
        return ScreenMonitor.screenAt(root);
    }

    function primaryScreen(): var {
        if (root.screenSource)
            return root.screenSource.primaryScreen();
        return ScreenMonitor.primaryScreen();
    }

    function allScreens(): var {
        if (root.screenSource)
            return root.screenSource.screens();
        return ScreenMonitor.screens();
    }

    function isUsable(screen): bool {
        return !!screen && screen.isValid();
    }

    // The given screen, or the window's own for null.
    function resolveScreen(screen): var {
        const resolved = screen ? screen : root.windowScreen();
        if (!root.isUsable(resolved)) {
            console.warn("[FloatingToolbar] No screen available for the current window position");
            return null;
        }
        return resolved;
    }

    // --- Geometry ---------------------------------------------------------

    function thickness(): real {
        return root.vertical ? container.implicitWidth : container.implicitHeight;
    }

    function length(): real {
        return root.vertical ? container.implicitHeight : container.implicitWidth;
    }

    function barSize(orientation: int): size {
        return orientation === Qt.Vertical ? Qt.size(root.thickness(), root.length())
                                           : Qt.size(root.length(), root.thickness());
    }

    function fits(orientation: int, area): bool {
        const size = root.barSize(orientation);
        return size.width <= area.width && size.height <= area.height;
    }

    function windowRect(): rect {
        return Qt.rect(root.x, root.y, container.implicitWidth, container.implicitHeight);
    }

    function moveTo(x: real, y: real) {
        root.x = Math.round(x);
        root.y = Math.round(y);
    }

    function forceLayout() {
        grid.forceLayout();
    }

    // --- Placement --------------------------------------------------------

    function initializePosition() {
        const cursor = root.cursorPosition();
        let screen = root.screenAtPoint(cursor.x, cursor.y);
        if (!root.isUsable(screen))
            screen = root.primaryScreen();
        if (!root.isUsable(screen)) {
            console.warn("[FloatingToolbar] No screen available for the current window position");
            return;
        }
        const area = screen.availableGeometry;
        const length = root.length();
        root.moveTo(area.x + (area.width - length) / 2, area.y + (area.height - length) / 2);

        const edge = root.appSettings ? root.appSettings.lastPlaceAtScreenEdge : "";
        if (edge !== "")
            console.info("[FloatingToolbar] Restoring lastPlaceAtScreenEdge: " + edge);
        let orientation = Qt.Vertical;
        let target = edge;
        if (edge === "left" || edge === "right") {
            orientation = Qt.Vertical;
        } else if (edge === "top" || edge === "bottom") {
            orientation = Qt.Horizontal;
        } else {
            const full = screen.geometry;
            const ultraWide = full.height > 0 && full.width / full.height >= 21 / 9;
            target = ultraWide ? "bottom" : "right";
            orientation = ultraWide ? Qt.Horizontal : Qt.Vertical;
        }
        // An edge remembered on a larger screen may not hold the bar in its
        // own orientation here; the other one keeps every button reachable.
        const other = orientation === Qt.Vertical ? Qt.Horizontal : Qt.Vertical;
        if (!root.fits(orientation, area) && root.fits(other, area))
            orientation = other;
        root.placeAtScreenEdge(screen, target, orientation);
    }

    function placeAtScreenEdge(screen, edge: string, orientation: int) {
        console.info("[FloatingToolbar] placeAtScreenEdge: edge=" + edge);
        const resolved = root.resolveScreen(screen);
        if (!resolved)
            return;
        const size = root.barSize(orientation);
        const target = Qt.rect(root.x, root.y, size.width, size.height);
        const position = Utils.placeAtEdge(target, resolved.availableGeometry, edge, root.snapOffset);
        root.orientation = orientation;
        root.forceLayout();
        root.moveTo(position.x, position.y);
        console.info("[FloatingToolbar] placed edge: " + edge + ", orientation: "
                     + (orientation === Qt.Vertical ? "vertical" : "horizontal"));
        if (root.appSettings)
            root.appSettings.lastPlaceAtScreenEdge = edge;
    }

    function snapToScreenEdge(screen) {
        console.info("[FloatingToolbar] snapToScreenEdge");
        const resolved = root.resolveScreen(screen);
        if (!resolved)
            return;
        const result = Utils.snapToEdge(root.windowRect(), resolved.availableGeometry, root.snapOffset + 20,
                                        root.snapOffset);
        if (!result.snapped)
            return;
        root.moveTo(result.x, result.y);
        console.info("[FloatingToolbar] snapped x: " + root.x + ", y: " + root.y);
    }

    function rotateToScreenEdge(screen) {
        console.info("[FloatingToolbar] rotateToScreenEdge");
        const resolved = root.resolveScreen(screen);
        if (!resolved)
            return;
        const along = root.length() * root.snapDetectionRatio;
        const across = root.thickness();
        const detection = root.vertical ? Qt.rect(root.x, root.y, across, along) : Qt.rect(root.x, root.y, along, across);
        const area = resolved.availableGeometry;
        const result = Utils.snapToEdge(detection, area, root.snapOffset + 20, root.snapOffset);
        if (!result.snapped)
            return;
        const decision = root.decideEdge(result.snapped, area);
        root.placeAtScreenEdge(resolved, decision.edge, decision.orientation);
    }

    // {edge, orientation} for the edges in `snapped`; the first of left,
    // right, top, bottom wins.
    function decideEdge(snapped, boundingRect): var {
        const fitsVertical = root.fits(Qt.Vertical, boundingRect);
        const fitsHorizontal = root.fits(Qt.Horizontal, boundingRect);
        const sides = snapped.left || snapped.right;
        const ends = snapped.top || snapped.bottom;
        let orientation = root.orientation;
        if (sides && !ends) {
            orientation = fitsVertical ? Qt.Vertical : Qt.Horizontal;
        } else if (ends && !sides) {
            orientation = fitsHorizontal ? Qt.Horizontal : Qt.Vertical;
        } else if (!root.fits(root.orientation, boundingRect)) {
            if (fitsVertical)
                orientation = Qt.Vertical;
            else if (fitsHorizontal)
                orientation = Qt.Horizontal;
            else
                orientation = boundingRect.width > boundingRect.height ? Qt.Horizontal : Qt.Vertical;
        }
        let edge = "";
        if (snapped.left)
            edge = "left";
        else if (snapped.right)
            edge = "right";
        else if (snapped.top)
            edge = "top";
        else if (snapped.bottom)
            edge = "bottom";
        return {
            "edge": edge,
            "orientation": orientation
        };
    }

    function finalizeDragPosition() {
        const cursor = root.cursorPosition();
        const cursorScreen = root.screenAtPoint(cursor.x, cursor.y);
        if (root.isUsable(cursorScreen)) {
            const ownScreen = root.windowScreen();
            const ownRatio = root.isUsable(ownScreen) ? ownScreen.devicePixelRatio : 0;
            // The move across scales leaves the window wherever the platform
            // put it; bring the grip back under the cursor first.
            if (cursorScreen.devicePixelRatio !== ownRatio)
                root.moveTo(cursor.x - 24, cursor.y - 24);
            root.rotateToScreenEdge(cursorScreen);
            root.snapToScreenEdge(cursorScreen);
        } else {
            root.rotateToScreenEdge(null);
            root.snapToScreenEdge(null);
        }
    }

    function endDragSettling() {
        if (!internal.dragSettling)
            return;
        internal.dragSettling = false;
        dragSettleTimer.stop();
        root.finalizeDragPosition();
    }

    function reposition() {
        console.info("[FloatingToolbar] reposition");
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
        const screens = root.allScreens();
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
        console.info("[FloatingToolbar] invalidate");
        root.isInvalidating = true;
        root.isInvalidating = false;
    }

    // --- Collapse and expand ----------------------------------------------

    function effectiveLength(count: int): real {
        const items = grid.barItems;
        const n = Math.min(count, items.length);
        let total = 0;
        for (let i = 0; i < n; ++i)
            total += root.vertical ? items[i].implicitHeight : items[i].implicitWidth;
        return total + grid.spacing * Math.max(n - 1, 0) + 2 * grid.padding;
    }

    function startAppSwitchAnimation() {
        const expanding = appSwitch.checked;
        const pinned = root.effectiveLength(root.pinnedCount);
        const full = root.effectiveLength(grid.barItems.length);
        internal.restartingAnimation = true;
        visibleLengthAnimation.stop();
        internal.restartingAnimation = false;
        visibleLengthAnimation.from = expanding ? pinned : full;
        visibleLengthAnimation.to = expanding ? full : pinned;
        internal.extraItemsShown = true;
        root.forceLayout();
        const topLeft = root.screenAtPoint(root.x, root.y);
        root.snapToScreenEdgeDebounce.trigger(root.isUsable(topLeft) ? topLeft : null);
        visibleLengthAnimation.start();
    }

    function finishAppSwitchAnimation() {
        const on = appSwitch.checked;
        internal.extraItemsShown = on;
        root.forceLayout();
        root.appSwitchAnimationPending = false;
        if (on)
            root.appSwitchExpandCompleted();
    }

    // Items show whole or not at all while the painted body grows or shrinks.
    function updateItemOpacities() {
        const items = grid.barItems;
        for (let i = root.pinnedCount; i < items.length; ++i) {
            const item = items[i];
            const inside = item.x + item.width <= grid.visibleWidth && item.y + item.height <= grid.visibleHeight;
            item.opacity = inside ? 1 : 0;
        }
    }

    // --- Extension panels -------------------------------------------------

    function panelByName(name: string): var {
        switch (name) {
        case "shape":
            return shapePanel;
        case "eraser":
            return eraserPanel;
        case "lineWidth":
            return lineWidthPanel;
        case "more":
            return morePanel;
        }
        return null;
    }

    function openExtensionPanels(panel, keepOpen) {
        root.closeExtensionPanels(keepOpen);
        // `visible` rather than `opened`: the latter follows a turn late.
        if (!panel || panel.visible)
            return;
        panel.preferredSide = root.decidePanelPreferredSide();
        panel.open();
    }

    function closeExtensionPanels(keepOpen) {
        const keep = keepOpen ? keepOpen : [];
        for (const name of ["shape", "eraser", "lineWidth", "more"]) {
            const panel = root.panelByName(name);
            if (!panel.visible || keep.includes(name))
                continue;
            if (name === "lineWidth")
                lineWidthPreviewPanel.closeWithoutFade();
            panel.close();
        }
    }

    function decidePanelPreferredSide(): string {
        const screen = root.windowScreen();
        if (!root.isUsable(screen))
            return root.vertical ? "left" : "above";
        const area = screen.availableGeometry;
        if (root.vertical) {
            const left = root.x - area.x;
            const right = area.x + area.width - (root.x + root.width);
            return left > right ? "left" : "right";
        }
        const above = root.y - area.y;
        const below = area.y + area.height - (root.y + root.height);
        return below > above ? "below" : "above";
    }

    function applyDrawingToolChange() {
        const tool = root.drawingTool;
        if (DrawingTool.isShape(tool))
            root.closeExtensionPanels(["shape", "lineWidth", "more"]);
        else if (DrawingTool.isEraser(tool))
            root.closeExtensionPanels(["eraser", "lineWidth", "more"]);
        else
            root.closeExtensionPanels(["lineWidth", "more"]);

        if (root.appSettings && root.appSettings.autoUsageTipsEnabled && root.autoUsageTipsOpenedCount < 1
                && DrawingTool.isDrawable(tool)) {
            root.autoUsageTipsOpenedCount += 1;
            root.usageTipsRequested();
        }
    }

    function showLineWidthPanel() {
        // A collapsed or hidden bar has no button to show the slider at.
        if (!root.visible || !internal.extraItemsShown)
            return;
        root.openExtensionPanels(lineWidthPanel, ["lineWidth"]);
    }

    function moveLineWidth(width: int) {
        if (!root.drawingContext)
            return;
        root.drawingContext.ensureLineWidthDrawingTool();
        root.drawingContext.setLineWidth(width);
        lineWidthPreviewPanel.open();
    }

    // --- Tooltip ----------------------------------------------------------

    function openTooltip(text: string) {
        if ((tooltip.visible || tooltip.waiting) && tooltip.text === text)
            return;
        tooltip.close();
        tooltip.text = text;
        const placement = root.decideTooltipPlacement();
        tooltip.preferredSide = placement.side;
        tooltip.transformOriginHorizontal = placement.origin;
        internal.pendingTooltipText = text;
        Qt.callLater(root.openPendingTooltip);
    }

    function openPendingTooltip() {
        if (internal.pendingTooltipText === "" || internal.pendingTooltipText !== tooltip.text)
            return;
        internal.pendingTooltipText = "";
        if (root.visible)
            tooltip.open();
    }

    function closeTooltip(text: string) {
        if (tooltip.text !== text)
            return;
        internal.pendingTooltipText = "";
        tooltip.close();
    }

    // {side, origin}: the tooltip keeps away from the side the panels use.
    function decideTooltipPlacement(): var {
        const panelSide = root.decidePanelPreferredSide();
        return {
            "side": panelSide === "below" ? "above" : "below",
            "origin": panelSide === "right" ? "right" : "left"
        };
    }

    // Hovering a control: its own panel (or none) stays, its tooltip is asked for.
    function controlHovered(hovered: bool, text: string, panelName: string) {
        if (!hovered) {
            root.closeTooltip(text);
            return;
        }
        if (panelName !== "")
            root.openExtensionPanels(root.panelByName(panelName), [panelName]);
        else
            root.closeExtensionPanels();
        root.openTooltip(text);
    }

    // --- Commands ---------------------------------------------------------

    // `settings` is only there so that bindings follow the stored colours.
    function toolColorText(tool: int, settings): string {
        if (!root.drawingContext || !settings)
            return "";
        return String(root.drawingContext.lineColorForTool(tool));
    }

    function setTool(tool: int) {
        if (root.drawingContext)
            root.drawingContext.setDrawingTool(tool);
    }

    function recentShape(): int {
        return root.drawingContext ? root.drawingContext.findRecentDrawingTool(tool => DrawingTool.isShape(tool),
                                                                                DrawingTool.Rectangle)
                                   : DrawingTool.Rectangle;
    }

    function recentEraser(): int {
        return root.drawingContext ? root.drawingContext.findRecentDrawingTool(tool => DrawingTool.isEraser(tool),
                                                                                DrawingTool.EraserBrush)
                                   : DrawingTool.EraserBrush;
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
        Stats.captureStat("trigger");
        if (root.captureLauncher.isGrabbitInstalled()) {
            if (root.captureLauncher.launchGrabbit()) {
                console.info("[FloatingToolbar] Launched Grabbit successfully");
                Stats.captureStat("run_success");
                root.setTool(DrawingTool.None);
            } else {
                console.warn("[FloatingToolbar] Failed to launch Grabbit");
                Stats.captureStat("run_failure");
                root.openCaptureErrorMessage();
            }
        } else {
            root.openCaptureNotInstalledMessage();
        }
    }

    // True when the suite manager took the installation over.
    function tryInstallCapture(): bool {
        if (root.captureLauncher.isMaveloManagerInstalled()) {
            if (root.captureLauncher.installGrabbit()) {
                console.info("[FloatingToolbar] Launched MaveloManager to install Grabbit");
                Stats.captureStat("install");
                return true;
            }
            console.warn("[FloatingToolbar] Failed to launch MaveloManager for Grabbit installation");
        } else {
            console.info("[FloatingToolbar] Grabbit or MaveloManager is not installed");
        }
        root.openUrl(AppConstants.captureInstallUrl);
        Stats.captureStat("homepage");
        return false;
    }

    function createMessageBox(component: Component, onClosed): var {
        const box = component.createObject(root, {
            "transientParent": root
        });
        if (!box) {
            console.warn("[FloatingToolbar] Failed to create a message box: " + component.errorString());
            return null;
        }
        box.closing.connect(() => {
            onClosed(box);
            Qt.callLater(() => box.destroy());
        });
        return box;
    }

    function openCaptureNotInstalledMessage() {
        if (root.captureNotInstalledMessage) {
            console.info("[FloatingToolbar] Capture not installed message is already open");
            return;
        }
        const box = root.createMessageBox(captureNotInstalledMessageComponent, closed => {
            if (root.captureNotInstalledMessage === closed)
                root.captureNotInstalledMessage = null;
        });
        root.captureNotInstalledMessage = box;
        if (box)
            box.open();
    }

    function openCaptureErrorMessage() {
        if (root.captureErrorMessage) {
            console.info("[FloatingToolbar] Capture error message is already open");
            return;
        }
        const box = root.createMessageBox(captureErrorMessageComponent, closed => {
            if (root.captureErrorMessage === closed)
                root.captureErrorMessage = null;
        });
        root.captureErrorMessage = box;
        if (box)
            box.open();
    }

    // --- Window -----------------------------------------------------------

    title: "Inkly Floating Toolbar"
    flags: Qt.Tool | Qt.FramelessWindowHint | Qt.WindowStaysOnTopHint
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

    onVisibleChanged: {
        if (!root.loaded)
            return;
        console.info("[FloatingToolbar] visible changed: " + root.visible);
        if (root.visible) {
            root.reposition();
        } else {
            root.closeExtensionPanels();
            tooltip.close();
            root.setTool(DrawingTool.None);
        }
    }

    onClosing: close => {
        console.info("[FloatingToolbar] closing event");
        close.accepted = false;
        root.hideToolbar();
    }

    onXChanged: {
        if (internal.dragSettling)
            dragSettleTimer.restart();
    }
    onYChanged: {
        if (internal.dragSettling)
            dragSettleTimer.restart();
    }

    onScreenChanged: {
        if (grip.dragging || internal.dragSettling)
            Qt.callLater(() => {
                root.snapToScreenEdge(null);
                root.invalidate();
            });
    }

    Component.onCompleted: {
        grid.visibleLength = root.effectiveLength(appSwitch.checked ? grid.barItems.length : root.pinnedCount);
        internal.extraItemsShown = appSwitch.checked;
        Qt.callLater(() => {
            console.info("[FloatingToolbar] Component completed (delayed via Qt.callLater)");
            root.initializePosition();
            root.loaded = true;
        });
    }

    QtObject {
        id: internal

        property bool extraItemsShown: true
        property bool restartingAnimation: false
        property string pendingTooltipText: ""
        // Under X11 the window manager moves the window after the grip has
        // already seen its drag end, and the client hears nothing of the
        // button's release: the drag is over when the pointer comes back,
        // or failing that once the window has stayed put for a while.
        readonly property bool asyncSystemMove: Qt.platform.pluginName !== "windows"
        property bool dragSettling: false
    }

    Timer {
        id: dragSettleTimer

        interval: 1500
        repeat: false
        onTriggered: root.endDragSettling()
    }

    Item {
        id: container

        anchors.fill: parent
        implicitWidth: grid.implicitWidth + 2 * root.shadowExtent
        implicitHeight: grid.implicitHeight + 2 * root.shadowExtent

        Item {
            id: body

            x: root.shadowExtent
            y: root.shadowExtent
            width: grid.implicitWidth
            height: grid.implicitHeight

            CWindowShadowFrame {
                id: frame

                contentWidth: grid.visibleWidth
                contentHeight: grid.visibleHeight
                color: Theme.colorBackground
                radius: 14
            }

            Grid {
                id: grid

                property real visibleLength: 0
                readonly property real visibleWidth: root.horizontal ? grid.visibleLength : grid.implicitWidth
                readonly property real visibleHeight: root.vertical ? grid.visibleLength : grid.implicitHeight
                readonly property list<Item> barItems: [grip, appSwitch, toolSpacer, cursorButton, penButton,
                    highlighterButton, shapeButton, eraserButton, lineWidthButton, palette, historySpacer,
                    historySeparator, undoButton, redoButton, clearButton, captureButton, moreSeparator,
                    moreButton]

                padding: 6
                spacing: 2
                // As many columns as shown items: Grid counts a spacing for
                // every further column even when no item fills it.
                columns: root.vertical ? 1 : internal.extraItemsShown ? grid.barItems.length : root.pinnedCount
                horizontalItemAlignment: Grid.AlignHCenter
                verticalItemAlignment: Grid.AlignVCenter

                onVisibleLengthChanged: Qt.callLater(root.updateItemOpacities)

                CWindowGrip {
                    id: grip

                    targetWindow: root
                    orientation: root.horizontal ? Qt.Vertical : Qt.Horizontal
                    length: 40
                    thickness: 16
                    onDragStarted: {
                        internal.dragSettling = false;
                        dragSettleTimer.stop();
                    }
                    onDragEnded: {
                        if (internal.asyncSystemMove) {
                            internal.dragSettling = true;
                            dragSettleTimer.restart();
                        } else {
                            root.finalizeDragPosition();
                        }
                    }
                }

                AppSwitch {
                    id: appSwitch

                    orientation: root.orientation
                    checked: true
                    onCheckedChanged: {
                        root.appSwitchAnimationPending = true;
                        Qt.callLater(root.startAppSwitchAnimation);
                    }
                    onHoveredChanged: root.controlHovered(appSwitch.hovered, qsTr("표시/숨기기"), "")
                }

                CSpacer {
                    id: toolSpacer

                    orientation: root.orientation
                    visible: internal.extraItemsShown
                }

                CToolButton {
                    id: cursorButton

                    visible: internal.extraItemsShown
                    icon.source: Theme.iconToolbarDrawingCursor
                    checked: DrawingTool.isNone(root.drawingTool)
                    onClicked: root.setTool(DrawingTool.None)
                    onHoveredChanged: root.controlHovered(cursorButton.hovered, qsTr("마우스 포인터"), "")
                }

                CToolButton {
                    id: penButton

                    visible: internal.extraItemsShown
                    icon.source: Theme.iconToolbarDrawingPen
                    svgReplacements: [{
                            "from": "#FF0000",
                            "to": root.toolColorText(DrawingTool.Pen, root.drawingContext
                                                     ? root.drawingContext.drawingToolSettings : null)
                        }]
                    checked: DrawingTool.isPen(root.drawingTool)
                    onClicked: root.setTool(DrawingTool.Pen)
                    onHoveredChanged: root.controlHovered(penButton.hovered, qsTr("펜"), "")
                }

                CToolButton {
                    id: highlighterButton

                    visible: internal.extraItemsShown
                    icon.source: Theme.iconToolbarDrawingHighlighter
                    svgReplacements: [{
                            "from": "#FFF600",
                            "to": root.toolColorText(DrawingTool.Highlighter, root.drawingContext
                                                     ? root.drawingContext.drawingToolSettings : null)
                        }]
                    checked: DrawingTool.isHighlighter(root.drawingTool)
                    onClicked: root.setTool(DrawingTool.Highlighter)
                    onHoveredChanged: root.controlHovered(highlighterButton.hovered, qsTr("형광펜"), "")
                }

                CToolButton {
                    id: shapeButton

                    visible: internal.extraItemsShown
                    extensible: true
                    icon.source: shapePanel.selectedIcon
                    checked: DrawingTool.isShape(root.drawingTool)
                    onClicked: root.setTool(shapePanel.selected)
                    onHoveredChanged: root.controlHovered(shapeButton.hovered, qsTr("도형"), "shape")
                }

                CToolButton {
                    id: eraserButton

                    visible: internal.extraItemsShown
                    extensible: true
                    icon.source: eraserPanel.selectedIcon
                    checked: DrawingTool.isEraser(root.drawingTool)
                    onClicked: root.setTool(eraserPanel.selected)
                    onHoveredChanged: root.controlHovered(eraserButton.hovered, qsTr("지우개"), "eraser")
                }

                CToolButton {
                    id: lineWidthButton

                    visible: internal.extraItemsShown
                    extensible: true
                    icon.source: Theme.iconToolbarDrawingLineWidth
                    onClicked: {
                        if (root.drawingContext)
                            root.drawingContext.ensureLineWidthDrawingTool();
                    }
                    onHoveredChanged: root.controlHovered(lineWidthButton.hovered, qsTr("선 굵기"), "lineWidth")
                }

                ColorPalette {
                    id: palette

                    visible: internal.extraItemsShown
                    orientation: root.orientation
                    colors: ["#FF0000", "#FFF600", "#3DBE5C", "#339AEE", "#222222", "#FFFFFF"]
                    color: root.drawingContext ? root.drawingContext.lineColor : AppConstants.defaultLineColor
                    enabled: !DrawingTool.isEraser(root.drawingTool)
                    onColorSelected: value => root.selectColor(value)
                    onHoveredChanged: root.controlHovered(palette.hovered, qsTr("색상 팔레트"), "")
                }

                CSpacer {
                    id: historySpacer

                    orientation: root.orientation
                    visible: internal.extraItemsShown
                }

                CSeparator {
                    id: historySeparator

                    visible: internal.extraItemsShown
                    orientation: root.horizontal ? Qt.Vertical : Qt.Horizontal
                }

                CToolButton {
                    id: undoButton

                    visible: internal.extraItemsShown
                    icon.source: Theme.iconToolbarHistoryUndo
                    enabled: root.drawingContext ? root.drawingContext.canUndo : false
                    onClicked: root.drawingContext.undo()
                    onHoveredChanged: root.controlHovered(undoButton.hovered,
                                                          qsTr("실행 취소") + " " + undoShortcut.sequence, "")
                }

                CToolButton {
                    id: redoButton

                    visible: internal.extraItemsShown
                    icon.source: Theme.iconToolbarHistoryRedo
                    enabled: root.drawingContext ? root.drawingContext.canRedo : false
                    onClicked: root.drawingContext.redo()
                    onHoveredChanged: root.controlHovered(redoButton.hovered,
                                                          qsTr("다시 실행") + " " + redoShortcut.sequences.join(" / "),
                                                          "")
                }

                CToolButton {
                    id: clearButton

                    visible: internal.extraItemsShown
                    icon.source: Theme.iconToolbarHistoryClear
                    enabled: root.drawingContext ? root.drawingContext.canClear : false
                    onClicked: root.drawingContext.clear()
                    onHoveredChanged: root.controlHovered(clearButton.hovered,
                                                          qsTr("모두 지우기") + " " + clearShortcut.sequence, "")
                }

                CToolButton {
                    id: captureButton

                    visible: internal.extraItemsShown
                    icon.source: Theme.iconToolbarMiscCapture
                    onClicked: root.capture()
                    onHoveredChanged: root.controlHovered(captureButton.hovered, qsTr("캡처"), "")
                }

                CSeparator {
                    id: moreSeparator

                    visible: internal.extraItemsShown
                    orientation: root.horizontal ? Qt.Vertical : Qt.Horizontal
                }

                CToolButton {
                    id: moreButton

                    visible: internal.extraItemsShown
                    extensible: true
                    icon.source: Theme.iconToolbarMiscMore
                    onHoveredChanged: root.controlHovered(moreButton.hovered, qsTr("더보기"), "more")
                }
            }
        }

        LineWidthStepper {
            drawingContext: root.drawingContext
        }

        // Pointer events reach the window again only once the window
        // manager has let the pointer go at the end of its move.
        HoverHandler {
            onPointChanged: {
                if (internal.dragSettling)
                    Qt.callLater(root.endDragSettling);
            }
        }
    }

    NumberAnimation {
        id: visibleLengthAnimation

        target: grid
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
            root.showLineWidthPanel();
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

    DrawingToolNavigator {
        id: navigator

        drawingContext: root.drawingContext
        orientation: root.orientation
        extended: (DrawingTool.isShape(root.drawingTool) && shapePanel.opened)
                  || (DrawingTool.isEraser(root.drawingTool) && eraserPanel.opened)
        extensionForward: shapePanel.opened ? shapePanel.layoutDirection === Qt.LeftToRight
                                            : eraserPanel.opened ? eraserPanel.layoutDirection === Qt.LeftToRight
                                                                 : true
        onOpenExtension: tool => {
            if (DrawingTool.isShape(tool))
                root.openExtensionPanels(shapePanel, ["shape"]);
            else if (DrawingTool.isEraser(tool))
                root.openExtensionPanels(eraserPanel, ["eraser"]);
        }
        onCloseExtension: tool => root.closeExtensionPanels()
    }

    CTooltip {
        id: tooltip

        parentWindow: root
    }

    ShapePanel {
        id: shapePanel

        anchorWindow: root
        anchorItem: shapeButton
        drawingContext: root.drawingContext
        drawingTool: root.drawingTool
        selected: root.drawingContext && root.drawingContext.recentDrawingTools ? root.recentShape() : DrawingTool.Rectangle
        anchorVertical: root.vertical ? "center" : "bottom"
        transformOriginVertical: root.vertical ? "center" : "top"
        closeOnPressOutsideExclusions: [shapeButton]
        onClicked: tool => root.setTool(tool)
        onOpenTooltip: text => root.openTooltip(text)
        onHideTooltip: text => root.closeTooltip(text)
    }

    EraserPanel {
        id: eraserPanel

        anchorWindow: root
        anchorItem: eraserButton
        drawingContext: root.drawingContext
        drawingTool: root.drawingTool
        selected: root.drawingContext && root.drawingContext.recentDrawingTools ? root.recentEraser() : DrawingTool.EraserBrush
        anchorVertical: root.vertical ? "center" : "bottom"
        transformOriginVertical: root.vertical ? "center" : "top"
        closeOnPressOutsideExclusions: [eraserButton]
        onClicked: tool => root.setTool(tool)
        onOpenTooltip: text => root.openTooltip(text)
        onHideTooltip: text => root.closeTooltip(text)
    }

    LineWidthPanel {
        id: lineWidthPanel

        anchorWindow: root
        anchorItem: lineWidthButton
        drawingContext: root.drawingContext
        lineWidth: root.drawingContext ? root.drawingContext.lineWidth : AppConstants.defaultLineWidth
        anchorVertical: root.vertical ? "center" : "bottom"
        transformOriginVertical: root.vertical ? "center" : "top"
        closeOnPressOutsideExclusions: [lineWidthButton]
        onMoved: width => root.moveLineWidth(width)
        onAboutToHide: lineWidthPreviewPanel.closeWithoutFade()
    }

    LineWidthPreviewPanel {
        id: lineWidthPreviewPanel

        anchorWindow: lineWidthPanel
        anchorItem: lineWidthPanel.contentItem
        drawingTool: root.drawingTool
        lineColor: root.drawingContext ? root.drawingContext.lineColor : AppConstants.defaultLineColor
        lineWidth: root.drawingContext ? root.drawingContext.lineWidth : AppConstants.defaultLineWidth
    }

    MorePanel {
        id: morePanel

        anchorWindow: root
        anchorItem: moreButton
        drawingContext: root.drawingContext
        anchorVertical: "top"
        closeOnPressOutsideExclusions: [moreButton]
        onUsageTipsRequested: root.usageTipsRequested()
        onSettingsRequested: root.settingsRequested()
        onAboutRequested: root.aboutRequested()
        onHomepageRequested: root.openUrl(AppConstants.homepageUrl)
        onCloseRequested: root.hideToolbar()
    }

    Component {
        id: captureNotInstalledMessageComponent

        CMessageBox {
            text: qsTr("그래빗이 설치되어 있지 않습니다.")
            detail: qsTr("캡처 기능을 사용하려면 그래빗을 설치해야 합니다.\n지금 설치하시겠습니까?")
            confirmText: qsTr("설치")
            cancelText: qsTr("취소")
            showCancel: true
            onAccepted: root.tryInstallCapture()
        }
    }

    Component {
        id: captureErrorMessageComponent

        CMessageBox {
            text: qsTr("캡처를 실행할 수 없습니다.")
            detail: qsTr("알 수 없는 오류가 발생했습니다.\n잠시 후 다시 시도해주세요.")
            confirmText: qsTr("닫기")
            showCancel: false
        }
    }
}
