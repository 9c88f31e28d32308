import QtQuick

Item {
    id: root

    property int orientation: Qt.Vertical
    property real length: 8

    implicitWidth: root.orientation === Qt.Vertical ? 1 : root.length
    implicitHeight: root.orientation === Qt.Vertical ? root.length : 1
}
