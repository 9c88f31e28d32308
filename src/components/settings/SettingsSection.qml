import QtQuick
import Zem.Inkly

// One block of the settings window: a small header over a row with a label
// on the left and the control (the section's child) on the right.
Column {
    id: root

    property string header: ""
    property string text: ""
    default property alias control: controlSlot.data

    spacing: 6

    CText {
        text: root.header
        font.pixelSize: 11
        color: Theme.colorTextSecondary
    }

    Item {
        width: root.width
        height: 32

        CText {
            anchors.left: parent.left
            anchors.right: controlSlot.left
            anchors.rightMargin: 12
            anchors.verticalCenter: parent.verticalCenter
            text: root.text
            font.pixelSize: 13
            elide: Text.ElideRight
        }

        Item {
            id: controlSlot

            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            width: childrenRect.width
            height: childrenRect.height
        }
    }
}
