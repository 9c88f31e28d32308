import QtQuick
import Zem.Inkly

// A text that behaves like a link: coloured by hover and press, `clicked` on
// a click.
CText {
    id: root

    property color textColor: Theme.colorButtonContained
    property color textColorHover: Theme.colorButtonContainedHover
    property color textColorPressed: Theme.colorButtonContainedPressed
    property bool hovered: false
    property bool pressed: false

    signal clicked

    color: root.pressed ? root.textColorPressed : root.hovered ? root.textColorHover : root.textColor

    MouseArea {
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onEntered: root.hovered = true
        onExited: {
            root.hovered = false;
            root.pressed = false;
        }
        onPressed: root.pressed = true
        onReleased: root.pressed = false
        onCanceled: root.pressed = false
        onClicked: root.clicked()
    }
}
