import QtQuick
import Zem.Inkly

// An entry of a menu: icon and text from the left edge.
CButton {
    id: root

    signal triggered

    alignment: "left"
    icon.width: 16
    icon.height: 16
    leftPadding: 10
    rightPadding: 10
    topPadding: 8
    bottomPadding: 8

    onClicked: root.triggered()
}
