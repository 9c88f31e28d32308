import QtQuick
import Zem.Inkly

// The seven shapes and the text, in the order of the tool navigator's shape
// row.
DrawingToolPanel {
    id: root

    options: [{
            "drawingTool": DrawingTool.Rectangle,
            "source": Theme.iconToolbarDrawingRectangle,
            "tooltip": qsTr("사각형")
        }, {
            "drawingTool": DrawingTool.Ellipse,
            "source": Theme.iconToolbarDrawingEllipse,
            "tooltip": qsTr("타원")
        }, {
            "drawingTool": DrawingTool.Star,
            "source": Theme.iconToolbarDrawingStar,
            "tooltip": qsTr("별")
        }, {
            "drawingTool": DrawingTool.DashedRectangle,
            "source": Theme.iconToolbarDrawingDashedRectangle,
            "tooltip": qsTr("점선 사각형")
        }, {
            "drawingTool": DrawingTool.DashedEllipse,
            "source": Theme.iconToolbarDrawingDashedEllipse,
            "tooltip": qsTr("점선 타원")
        }, {
            "drawingTool": DrawingTool.Line,
            "source": Theme.iconToolbarDrawingLine,
            "tooltip": qsTr("직선")
        }, {
            "drawingTool": DrawingTool.Arrow,
            "source": Theme.iconToolbarDrawingArrow,
            "tooltip": qsTr("화살표")
        }, {
            "drawingTool": DrawingTool.Text,
            "source": Theme.iconToolbarDrawingText,
            "tooltip": qsTr("텍스트") + " Ctrl+T"
        }]
}
