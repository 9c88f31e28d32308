import QtQuick
import QtQuick.Controls.Basic
import Zem.Inkly

// A handle that moves its window with the pointer: a drag, or a long touch or
// stylus press. Where we may place windows (X11) the window follows the
// pointer from here and the drag ends with the release: a window manager's
// own move would end out of our sight, and without a manager never start.
// Windows and Wayland move the window themselves.
Control {
    id: root

    property Window targetWindow: null
    property int orientation: Qt.Vertical
    property bool dragging: false
    property real length: 40
    property real thickness: 16
    property real indicatorLength: 24
    property real indicatorThickness: 4

    readonly property bool systemMove: WindowHelper.systemMovesWindows

    signal dragStarted
    signal dragEnded

    // `grabOffset`: the pointer's place in the window at the press.
    function beginDrag(grabOffset: point) {
        if (root.dragging)
            return;
        root.dragging = true;
        internal.grabOffset = grabOffset;
        root.dragStarted();
        if (root.targetWindow && root.systemMove)
            root.targetWindow.startSystemMove();
    }

    function followPointer() {
        if (!root.dragging || root.systemMove || !root.targetWindow)
            return;
        // Asked of the server: event positions are relative to where the
        // window was, which lags behind the moves asked for.
        const cursor = MouseHelper.globalMousePosition();
        root.targetWindow.x = Math.round(cursor.x - internal.grabOffset.x);
        root.targetWindow.y = Math.round(cursor.y - internal.grabOffset.y);
    }

    function pointerOffset(): point {
        if (!root.targetWindow)
            return Qt.point(0, 0);
        const cursor = MouseHelper.globalMousePosition();
        return Qt.point(cursor.x - root.targetWindow.x, cursor.y - root.targetWindow.y);
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

    QtObject {
        id: internal

        property point grabOffset
    }

    HoverHandler {
        cursorShape: Qt.SizeAllCursor
    }

    // Moves no item: the window is what moves.
    DragHandler {
        id: dragHandler

        target: null
        onActiveChanged: {
            if (dragHandler.active) {
                // In its own window the scene is window space: the press
                // point itself, before the drag threshold was crossed.
                root.beginDrag(root.Window.window === root.targetWindow ? dragHandler.centroid.scenePressPosition
                                                                         : root.pointerOffset());
                root.followPointer();
            } else {
                root.endDrag();
            }
        }
        onCentroidChanged: root.followPointer()
    }

    TapHandler {
        id: longPressHandler

        acceptedDevices: PointerDevice.TouchScreen | PointerDevice.Stylus
        gesturePolicy: TapHandler.WithinBounds
        longPressThreshold: 0.3
        onLongPressed: root.beginDrag(root.pointerOffset())
        onPressedChanged: {
            // A drag that took over from the long press ends the move itself.
            if (!longPressHandler.pressed && !dragHandler.active)
                root.endDrag();
        }
    }
}
