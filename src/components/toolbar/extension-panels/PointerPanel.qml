import QtQuick
import Zem.Inkly

// The mouse pointer and the laser pointer, in the order of the tool
// navigator's first row.
DrawingToolPanel {
    id: root

    options: [{
            "drawingTool": DrawingTool.None,
            "source": Theme.iconToolbarDrawingCursor,
            "tooltip": qsTr("마우스 포인터")
        }, {
            "drawingTool": DrawingTool.Laser,
            "source": Theme.iconToolbarDrawingLaser,
            "tooltip": qsTr("레이저 포인터") + " Ctrl+L"
        }]
}
