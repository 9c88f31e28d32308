import QtQuick
import Zem.Inkly

// The toolbar's row of controls, laid out along the bar. It shows only its
// pinned grip and switch while collapsed, paints only `visibleLength` of
// itself, and reports hovers and requests to the window that holds it.
Grid {
    id: root

    property DrawingContext drawingContext: null
    property int orientation: Qt.Vertical
    readonly property bool vertical: root.orientation === Qt.Vertical
    readonly property bool horizontal: root.orientation === Qt.Horizontal
    readonly property int drawingTool: root.drawingContext ? root.drawingContext.drawingTool : DrawingTool.None
    property Window targetWindow: null
    // Icon and tool of the remembered shape and eraser.
    property string shapeIcon: ""
    property string eraserIcon: ""
    property int shapeTool: DrawingTool.Rectangle
    property int eraserTool: DrawingTool.EraserBrush
    property string undoShortcutText: ""
    property string redoShortcutText: ""
    property string clearShortcutText: ""

    readonly property int pinnedCount: 2
    property bool extraItemsShown: true
    property real visibleLength: 0
    readonly property real visibleWidth: root.horizontal ? root.visibleLength : root.implicitWidth
    readonly property real visibleHeight: root.vertical ? root.visibleLength : root.implicitHeight
    readonly property list<Item> barItems: [grip, appSwitch, toolSpacer, cursorButton, penButton, highlighterButton,
        shapeButton, eraserButton, lineWidthButton, palette, historySpacer, historySeparator, undoButton, redoButton,
        clearButton, captureButton, moreSeparator, moreButton]

    readonly property alias grip: grip
    readonly property alias appSwitch: appSwitch
    readonly property alias cursorButton: cursorButton
    readonly property alias shapeButton: shapeButton
    readonly property alias eraserButton: eraserButton
    readonly property alias lineWidthButton: lineWidthButton
    readonly property alias moreButton: moreButton

    // A control was entered or left; `panelName` names the panel it opens.
    signal controlHovered(bool hovered, string text, string panelName)
    signal toolRequested(int tool)
    signal colorSelected(color value)
    signal captureRequested
    signal dragEnded

    // Length along the bar of the first `count` items with padding and spacing.
    function effectiveLength(count: int): real {
        const items = root.barItems;
        const n = Math.min(count, items.length);
        let total = 0;
        for (let i = 0; i < n; ++i)
            total += root.vertical ? items[i].implicitHeight : items[i].implicitWidth;
        return total + root.spacing * Math.max(n - 1, 0) + 2 * root.padding;
    }

    // Items show whole or not at all while the painted body grows or shrinks.
    function updateItemOpacities() {
        const items = root.barItems;
        for (let i = root.pinnedCount; i < items.length; ++i) {
            const item = items[i];
            const inside = item.x + item.width <= root.visibleWidth && item.y + item.height <= root.visibleHeight;
            item.opacity = inside ? 1 : 0;
        }
    }

    // `settings` is only there so that bindings follow the stored colours.
    function toolColorText(tool: int, settings): string {
        if (!root.drawingContext || !settings)
            return "";
        return String(root.drawingContext.lineColorForTool(tool));
    }

    padding: 6
    spacing: 2
    // As many columns as shown items: Grid counts a spacing for every further
    // column even when no item fills it.
    columns: root.vertical ? 1 : root.extraItemsShown ? root.barItems.length : root.pinnedCount
    horizontalItemAlignment: Grid.AlignHCenter
    verticalItemAlignment: Grid.AlignVCenter

    onVisibleLengthChanged: Qt.callLater(root.updateItemOpacities)

    CWindowGrip {
        id: grip

        targetWindow: root.targetWindow
        orientation: root.horizontal ? Qt.Vertical : Qt.Horizontal
        length: 40
        thickness: 16
        onDragEnded: root.dragEnded()
    }

    AppSwitch {
        id: appSwitch

        orientation: root.orientation
        checked: true
        onHoveredChanged: root.controlHovered(appSwitch.hovered, qsTr("표시/숨기기"), "")
    }

    CSpacer {
        id: toolSpacer

        orientation: root.orientation
        visible: root.extraItemsShown
    }

    CToolButton {
        id: cursorButton

        visible: root.extraItemsShown
        extensible: true
        icon.source: DrawingTool.isLaser(root.drawingTool) ? Theme.iconToolbarDrawingLaser : Theme.iconToolbarDrawingCursor
        checked: DrawingTool.isNone(root.drawingTool) || DrawingTool.isLaser(root.drawingTool)
        onClicked: root.toolRequested(DrawingTool.None)
        onHoveredChanged: root.controlHovered(cursorButton.hovered, qsTr("마우스 포인터"), "pointer")
    }

    CToolButton {
        id: penButton

        visible: root.extraItemsShown
        icon.source: Theme.iconToolbarDrawingPen
        svgReplacements: [{
                "from": "#FF0000",
                "to": root.toolColorText(DrawingTool.Pen, root.drawingContext
                                         ? root.drawingContext.drawingToolSettings : null)
            }]
        checked: DrawingTool.isPen(root.drawingTool)
        onClicked: root.toolRequested(DrawingTool.Pen)
        onHoveredChanged: root.controlHovered(penButton.hovered, qsTr("펜"), "")
    }

    CToolButton {
        id: highlighterButton

        visible: root.extraItemsShown
        icon.source: Theme.iconToolbarDrawingHighlighter
        svgReplacements: [{
                "from": "#FFF600",
                "to": root.toolColorText(DrawingTool.Highlighter, root.drawingContext
                                         ? root.drawingContext.drawingToolSettings : null)
            }]
        checked: DrawingTool.isHighlighter(root.drawingTool)
        onClicked: root.toolRequested(DrawingTool.Highlighter)
        onHoveredChanged: root.controlHovered(highlighterButton.hovered, qsTr("형광펜"), "")
    }

    CToolButton {
        id: shapeButton

        visible: root.extraItemsShown
        extensible: true
        icon.source: root.shapeIcon
        checked: DrawingTool.inShapePanel(root.drawingTool)
        onClicked: root.toolRequested(root.shapeTool)
        onHoveredChanged: root.controlHovered(shapeButton.hovered, qsTr("도형"), "shape")
    }

    CToolButton {
        id: eraserButton

        visible: root.extraItemsShown
        extensible: true
        icon.source: root.eraserIcon
        checked: DrawingTool.isEraser(root.drawingTool)
        onClicked: root.toolRequested(root.eraserTool)
        onHoveredChanged: root.controlHovered(eraserButton.hovered, qsTr("지우개"), "eraser")
    }

    CToolButton {
        id: lineWidthButton

        visible: root.extraItemsShown
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

        visible: root.extraItemsShown
        orientation: root.orientation
        colors: ["#FF0000", "#FFF600", "#3DBE5C", "#339AEE", "#222222", "#FFFFFF"]
        color: root.drawingContext ? root.drawingContext.lineColor : AppConstants.defaultLineColor
        enabled: !DrawingTool.isEraser(root.drawingTool)
        onColorSelected: value => root.colorSelected(value)
        onHoveredChanged: root.controlHovered(palette.hovered, qsTr("색상 팔레트"), "")
    }

    CSpacer {
        id: historySpacer

        orientation: root.orientation
        visible: root.extraItemsShown
    }

    CSeparator {
        id: historySeparator

        visible: root.extraItemsShown
        orientation: root.horizontal ? Qt.Vertical : Qt.Horizontal
    }

    CToolButton {
        id: undoButton

        visible: root.extraItemsShown
        icon.source: Theme.iconToolbarHistoryUndo
        enabled: root.drawingContext ? root.drawingContext.canUndo : false
        onClicked: root.drawingContext.undo()
        onHoveredChanged: root.controlHovered(undoButton.hovered, qsTr("실행 취소") + " " + root.undoShortcutText, "")
    }

    CToolButton {
        id: redoButton

        visible: root.extraItemsShown
        icon.source: Theme.iconToolbarHistoryRedo
        enabled: root.drawingContext ? root.drawingContext.canRedo : false
        onClicked: root.drawingContext.redo()
        onHoveredChanged: root.controlHovered(redoButton.hovered, qsTr("다시 실행") + " " + root.redoShortcutText, "")
    }

    CToolButton {
        id: clearButton

        visible: root.extraItemsShown
        icon.source: Theme.iconToolbarHistoryClear
        enabled: root.drawingContext ? root.drawingContext.canClear : false
        onClicked: root.drawingContext.clear()
        onHoveredChanged: root.controlHovered(clearButton.hovered, qsTr("모두 지우기") + " " + root.clearShortcutText,
                                              "")
    }

    CToolButton {
        id: captureButton

        visible: root.extraItemsShown
        icon.source: Theme.iconToolbarMiscCapture
        onClicked: root.captureRequested()
        onHoveredChanged: root.controlHovered(captureButton.hovered, qsTr("캡처"), "")
    }

    CSeparator {
        id: moreSeparator

        visible: root.extraItemsShown
        orientation: root.horizontal ? Qt.Vertical : Qt.Horizontal
    }

    CToolButton {
        id: moreButton

        visible: root.extraItemsShown
        extensible: true
        icon.source: Theme.iconToolbarMiscMore
        onHoveredChanged: root.controlHovered(moreButton.hovered, qsTr("더보기"), "more")
    }
}
