import QtQuick
import Zem.Inkly

// The toolbar's extension panels and its one tooltip, with the rules for
// which panel stays open and where panels and tooltip go. It draws nothing
// itself: every panel is a window of its own, anchored to its button.
Item {
    id: root

    required property Window toolbarWindow
    property DrawingContext drawingContext: null
    readonly property int drawingTool: root.drawingContext ? root.drawingContext.drawingTool : DrawingTool.None
    property bool vertical: true
    // False while the bar is collapsed: no button to open a panel at.
    property bool barExpanded: true
    property Item cursorButton: null
    property Item shapeButton: null
    property Item eraserButton: null
    property Item lineWidthButton: null
    property Item moreButton: null
    // Returns the side the panels open on; the toolbar knows its screen.
    property var decideSide: () => root.vertical ? "left" : "above"

    readonly property alias tooltip: tooltip
    readonly property alias pointerPanel: pointerPanel
    readonly property alias shapePanel: shapePanel
    readonly property alias eraserPanel: eraserPanel
    readonly property alias lineWidthPanel: lineWidthPanel
    readonly property alias lineWidthPreviewPanel: lineWidthPreviewPanel
    readonly property alias morePanel: morePanel

    signal toolRequested(int tool)
    signal usageTipsRequested
    signal settingsRequested
    signal aboutRequested
    signal homepageRequested
    signal hideRequested

    function panelByName(name: string): var {
        switch (name) {
        case "pointer":
            return pointerPanel;
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
        // `visible` rather than `opened`: the latter follows a turn late. The
        // same holds for the toolbar's, so it is read here, not bound.
        if (!panel || panel.visible || !root.toolbarWindow.visible || !root.barExpanded)
            return;
        panel.preferredSide = root.decideSide();
        panel.open();
    }

    function closeExtensionPanels(keepOpen) {
        const keep = keepOpen ? keepOpen : [];
        for (const name of ["pointer", "shape", "eraser", "lineWidth", "more"]) {
            const panel = root.panelByName(name);
            if (!panel.visible || keep.includes(name))
                continue;
            if (name === "lineWidth")
                lineWidthPreviewPanel.closeWithoutFade();
            panel.close();
        }
    }

    function closeAll() {
        root.closeExtensionPanels();
        tooltip.close();
    }

    // The panels that stay after a change to `tool`.
    function keepPanelsForTool(tool: int) {
        if (DrawingTool.inShapePanel(tool))
            root.closeExtensionPanels(["shape", "lineWidth", "more"]);
        else if (DrawingTool.isLaser(tool))
            root.closeExtensionPanels(["pointer", "lineWidth", "more"]);
        else if (DrawingTool.isEraser(tool))
            root.closeExtensionPanels(["eraser", "lineWidth", "more"]);
        else
            root.closeExtensionPanels(["lineWidth", "more"]);
    }

    // The tool navigator's request for the extension of `tool`.
    function openExtensionForTool(tool: int) {
        if (DrawingTool.inShapePanel(tool))
            root.openExtensionPanels(shapePanel, ["shape"]);
        else if (DrawingTool.isEraser(tool))
            root.openExtensionPanels(eraserPanel, ["eraser"]);
        else if (DrawingTool.isNone(tool) || DrawingTool.isLaser(tool))
            root.openExtensionPanels(pointerPanel, ["pointer"]);
    }

    function toggleBoard(name: string) {
        if (root.drawingContext)
            root.drawingContext.toggleBoard(name);
    }

    function showLineWidthPanel() {
        root.openExtensionPanels(lineWidthPanel, ["lineWidth"]);
    }

    function moveLineWidth(width: int) {
        if (!root.drawingContext)
            return;
        root.drawingContext.ensureLineWidthDrawingTool();
        root.drawingContext.setLineWidth(width);
        lineWidthPreviewPanel.open();
    }

    function recentTool(test, fallback: int): int {
        return root.drawingContext ? root.drawingContext.findRecentDrawingTool(test, fallback) : fallback;
    }

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
        if (root.toolbarWindow.visible)
            tooltip.open();
    }

    function closeTooltip(text: string) {
        if (tooltip.text !== text)
            return;
        internal.pendingTooltipText = "";
        tooltip.close();
    }

    function decideTooltipPlacement(): var {
        return ToolbarPlacement.tooltipPlacement(root.decideSide());
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

    QtObject {
        id: internal

        property string pendingTooltipText: ""
    }

    CTooltip {
        id: tooltip

        parentWindow: root.toolbarWindow
    }

    PointerPanel {
        id: pointerPanel

        anchorWindow: root.toolbarWindow
        anchorItem: root.cursorButton
        drawingContext: root.drawingContext
        drawingTool: root.drawingTool
        selected: DrawingTool.isLaser(root.drawingTool) ? DrawingTool.Laser : DrawingTool.None
        anchorVertical: root.vertical ? "center" : "bottom"
        transformOriginVertical: root.vertical ? "center" : "top"
        closeOnPressOutsideExclusions: [root.cursorButton]
        onClicked: tool => root.toolRequested(tool)
        onOpenTooltip: text => root.openTooltip(text)
        onHideTooltip: text => root.closeTooltip(text)
    }

    ShapePanel {
        id: shapePanel

        anchorWindow: root.toolbarWindow
        anchorItem: root.shapeButton
        drawingContext: root.drawingContext
        drawingTool: root.drawingTool
        selected: root.drawingContext && root.drawingContext.recentDrawingTools
                  ? root.recentTool(tool => DrawingTool.inShapePanel(tool), DrawingTool.Rectangle) : DrawingTool.Rectangle
        anchorVertical: root.vertical ? "center" : "bottom"
        transformOriginVertical: root.vertical ? "center" : "top"
        closeOnPressOutsideExclusions: [root.shapeButton]
        onClicked: tool => root.toolRequested(tool)
        onOpenTooltip: text => root.openTooltip(text)
        onHideTooltip: text => root.closeTooltip(text)
    }

    EraserPanel {
        id: eraserPanel

        anchorWindow: root.toolbarWindow
        anchorItem: root.eraserButton
        drawingContext: root.drawingContext
        drawingTool: root.drawingTool
        selected: root.drawingContext && root.drawingContext.recentDrawingTools
                  ? root.recentTool(tool => DrawingTool.isEraser(tool), DrawingTool.EraserBrush)
                  : DrawingTool.EraserBrush
        anchorVertical: root.vertical ? "center" : "bottom"
        transformOriginVertical: root.vertical ? "center" : "top"
        closeOnPressOutsideExclusions: [root.eraserButton]
        onClicked: tool => root.toolRequested(tool)
        onOpenTooltip: text => root.openTooltip(text)
        onHideTooltip: text => root.closeTooltip(text)
    }

    LineWidthPanel {
        id: lineWidthPanel

        anchorWindow: root.toolbarWindow
        anchorItem: root.lineWidthButton
        drawingContext: root.drawingContext
        lineWidth: root.drawingContext ? root.drawingContext.lineWidth : AppConstants.defaultLineWidth
        anchorVertical: root.vertical ? "center" : "bottom"
        transformOriginVertical: root.vertical ? "center" : "top"
        closeOnPressOutsideExclusions: [root.lineWidthButton]
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

        anchorWindow: root.toolbarWindow
        anchorItem: root.moreButton
        drawingContext: root.drawingContext
        anchorVertical: "top"
        closeOnPressOutsideExclusions: [root.moreButton]
        onUsageTipsRequested: root.usageTipsRequested()
        onSettingsRequested: root.settingsRequested()
        onAboutRequested: root.aboutRequested()
        onHomepageRequested: root.homepageRequested()
        onWhiteBoardRequested: root.toggleBoard("white")
        onBlackBoardRequested: root.toggleBoard("black")
        onCloseRequested: root.hideRequested()
        onSavePictureRequested: PictureHelper.savePicture()
        onCopyPictureRequested: PictureHelper.copyPicture()
    }
}
