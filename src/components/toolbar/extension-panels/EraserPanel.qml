import QtQuick
import Zem.Inkly

// The two erasers, in the order of the tool navigator's eraser row.
DrawingToolPanel {
    id: root

    options: [{
            "drawingTool": DrawingTool.EraserBrush,
            "source": Theme.iconToolbarDrawingEraser,
            "tooltip": qsTr("지우개")
        }, {
            "drawingTool": DrawingTool.EraserRectangle,
            "source": Theme.iconToolbarDrawingEraserRectangle,
            "tooltip": qsTr("영역 지우개")
        }]
}
