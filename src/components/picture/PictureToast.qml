import QtQuick
import Zem.Inkly

// A small note in the corner of a screen about a picture. Like the toolbar
// it floats above everything without taking the focus, and it is never part
// of a picture itself. A good outcome goes away by itself, a failure stays
// until closed.
Window {
    id: root

    property string text: ""
    property string detail: ""
    property bool warning: false
    property bool canOpenFolder: false
    readonly property int margin: 24

    signal openFolderRequested

    title: "Inkly Notice"
    flags: Qt.Tool | Qt.FramelessWindowHint | Qt.WindowStaysOnTopHint | Qt.WindowDoesNotAcceptFocus
           | WindowHelper.unmanagedFlag()
    color: Theme.colorBackground
    width: Math.min(480, Math.max(300, content.implicitWidth + 32))
    height: content.implicitHeight + 28

    // The screen area whose bottom right corner the note keeps to as its
    // texts change its size.
    property rect area: Qt.rect(0, 0, 0, 0)

    x: root.area.x + root.area.width - root.width - root.margin
    y: root.area.y + root.area.height - root.height - root.margin

    // In the corner of the screen under the pointer.
    function showNear(point: point) {
        const screen = ScreenMonitor.screenAt(point.x, point.y);
        root.area = screen.isValid() ? screen.availableGeometry : ScreenMonitor.primaryScreen().availableGeometry;
        root.show();
        root.raise();
        closeTimer.restart();
    }

    Timer {
        id: closeTimer

        interval: AppConstants.pictureNoticeDuration
        running: false
        onTriggered: {
            if (!root.warning)
                root.close();
        }
    }

    Rectangle {
        anchors.fill: parent
        color: "transparent"
        border.width: 1
        border.color: root.warning ? Theme.colorTextWarning : Theme.colorButtonOutlinedBorder
    }

    Column {
        id: content

        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 14
        spacing: 8

        CText {
            width: parent.width
            text: root.text
            color: root.warning ? Theme.colorTextWarning : Theme.colorText
            font.pixelSize: 13
            font.bold: true
            wrapMode: Text.Wrap
        }

        CText {
            width: parent.width
            visible: root.detail !== ""
            text: root.detail
            color: Theme.colorTextSecondary
            font.pixelSize: 11
            wrapMode: Text.WrapAnywhere
        }

        Row {
            anchors.right: parent.right
            spacing: 8

            CButton {
                objectName: "openFolderButton"
                visible: root.canOpenFolder
                height: 28
                variant: "contained"
                text: qsTr("폴더 열기")
                font.pixelSize: 12
                onClicked: {
                    root.openFolderRequested();
                    root.close();
                }
            }

            CButton {
                height: 28
                variant: "outlined"
                text: qsTr("닫기")
                font.pixelSize: 12
                onClicked: root.close()
            }
        }
    }
}
