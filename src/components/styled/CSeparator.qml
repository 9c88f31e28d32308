import QtQuick
import QtQuick.Controls.Basic
import Zem.Inkly

Control {
    id: root

    property int orientation: Qt.Vertical
    property real length: 40
    property real thickness: 1
    property color color: Theme.colorSeparatorBackground

    padding: 0
    focusPolicy: Qt.NoFocus
    implicitWidth: root.orientation === Qt.Vertical ? root.thickness : root.length
    implicitHeight: root.orientation === Qt.Vertical ? root.length : root.thickness

    background: Rectangle {
        color: root.color
    }
}
