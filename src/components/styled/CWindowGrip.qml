import QtQuick
import QtQuick.Controls.Basic
import Zem.Inkly

// A handle that moves its window: a drag, or a long touch or stylus press,
// hands the move to the window manager.
Control {
    id: root

    property Window targetWindow: null
    property int orientation: Qt.Vertical
    property bool dragging: false
    property real length: 40
    property real thickness: 16
    property real indicatorLength: 24
    property real indicatorThickness: 4

    signal dragStarted
    signal dragEnded

    function beginDrag() {
        if (root.dragging)
            return;
        root.dragging = true;
        root.dragStarted();
        if (root.targetWindow)
            root.targetWindow.startSystemMove();
    }

    function endDrag() {
        if (!root.dragging)
            return;
        root.dragging = false;
        root.dragEnded();
    }

    implicitWidth: root.orientation === Qt.Vertical ? root.thickness : root.length
    implicitHeight: root.orientation === Qt.Vertical ? root.length : root.thickness
    padding: 0
    hoverEnabled: true
    focusPolicy: Qt.NoFocus

    background: null
    contentItem: Item {
        Rectangle {
            anchors.centerIn: parent
            width: root.orientation === Qt.Vertical ? root.indicatorThickness : root.indicatorLength
            height: root.orientation === Qt.Vertical ? root.indicatorLength : root.indicatorThickness
            radius: 2
            color: root.hovered ? Theme.colorGripIndicatorHover : Theme.colorGripIndicator
        }
    }

    HoverHandler {
        cursorShape: Qt.SizeAllCursor
    }

    // Moves nothing itself: the window manager does the moving.
    DragHandler {
        id: dragHandler

        target: null
        onActiveChanged: {
            if (dragHandler.active)
                root.beginDrag();
            else
                root.endDrag();
        }
    }

    TapHandler {
        id: longPressHandler

        acceptedDevices: PointerDevice.TouchScreen | PointerDevice.Stylus
        gesturePolicy: TapHandler.WithinBounds
        longPressThreshold: 0.3
        onLongPressed: root.beginDrag()
        onPressedChanged: {
            // A drag that took over from the long press ends the move itself.
            if (!longPressHandler.pressed && !dragHandler.active)
                root.endDrag();
        }
    }
}
