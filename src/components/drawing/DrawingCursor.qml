import QtQuick
import Zem.Inkly

// The round brush cursor shown at the pointer: as wide as the line in the
// host canvas's units, translucent for the highlighter, a dashed rim for the
// eraser brush.
Canvas {
    id: root

    property int drawingTool: DrawingTool.None
    property color lineColor: "transparent"
    property real lineWidth: 10

    readonly property color fillColor: root.state === "eraser" ? Theme.colorEraserDrawPreviewFill
                                       : root.state === "highlighter" ? Utils.setAlpha(root.lineColor, AppConstants.highlighterAlpha)
                                       : root.lineColor
    readonly property color borderColor: root.state === "eraser" ? Theme.colorEraserDrawPreviewBorder : "transparent"
    readonly property real borderWidth: root.state === "eraser" ? 1 : 0
    readonly property bool dashEnabled: root.state === "eraser"
    readonly property var dashPattern: [4, 4]
    readonly property real radius: Math.max(0, root.lineWidth * 0.5)

    width: root.lineWidth
    height: root.lineWidth
    state: DrawingTool.isEraser(root.drawingTool) ? "eraser" : DrawingTool.isHighlighter(root.drawingTool) ? "highlighter" : ""
    states: [
        State {
            name: "eraser"
        },
        State {
            name: "highlighter"
        }
    ]

    onLineWidthChanged: root.requestPaint()
    onLineColorChanged: root.requestPaint()
    onDrawingToolChanged: root.requestPaint()
    onVisibleChanged: root.requestPaint()
    onStateChanged: root.requestPaint()

    onPaint: {
        if (!root.visible || root.width <= 0 || root.height <= 0)
            return;
        const ctx = root.getContext("2d");
        const centerX = root.width / 2;
        const centerY = root.height / 2;
        ctx.clearRect(0, 0, root.width, root.height);
        ctx.save();
        ctx.beginPath();
        ctx.arc(centerX, centerY, root.radius, 0, 2 * Math.PI);
        ctx.fillStyle = root.fillColor;
        ctx.fill();
        if (root.borderColor.a > 0 && root.borderWidth > 0) {
            ctx.beginPath();
            ctx.arc(centerX, centerY, Math.max(0, root.radius - root.borderWidth / 2), 0, 2 * Math.PI);
            ctx.lineWidth = root.borderWidth;
            ctx.strokeStyle = root.borderColor;
            ctx.setLineDash(root.dashEnabled ? root.dashPattern : []);
            ctx.stroke();
        }
        ctx.restore();
    }
}
