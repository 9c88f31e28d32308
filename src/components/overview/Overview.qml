import QtQuick
import Zem.Inkly

// The start window: the product picture with a button that opens the
// application. It stays until the user answers it, so neither Escape nor a
// press elsewhere closes it.
CPopup {
    id: root

    property url backgroundImageSource: Theme.imageOverviewBackground
    property real backgroundImageWidth: 720
    property real backgroundImageHeight: 500
    readonly property alias startButton: startButton
    readonly property alias closeButton: closeButton

    signal openRequested

    function start() {
        root.openRequested();
        root.close();
    }

    function focusStartButton() {
        if (root.visible) {
            // Under XWayland only the compositor gives the keyboard.
            if (!WindowHelper.waylandSession)
                root.requestActivate();
            startButton.forceActiveFocus();
        }
    }

    closeOnEscape: false
    closeOnPressOutside: false
    fadeInEnabled: true
    fadeInDuration: Theme.animationDurationFast
    fadeOutEnabled: false

    onVisibleChanged: {
        if (root.visible)
            Qt.callLater(root.focusStartButton);
    }

    contentItem: Item {
        id: content

        width: root.backgroundImageWidth
        height: root.backgroundImageHeight

        Image {
            anchors.fill: parent
            source: root.backgroundImageSource
            fillMode: Image.PreserveAspectFit
            smooth: true
        }

        CButton {
            id: startButton

            anchors.left: parent.left
            anchors.bottom: parent.bottom
            anchors.leftMargin: 35
            anchors.bottomMargin: 35
            implicitWidth: 233
            implicitHeight: 48
            variant: "outlined"
            text: qsTr("잉클리 시작하기")
            font.pixelSize: 16
            font.bold: true
            focusPolicy: Qt.StrongFocus
            onClicked: root.start()
            Keys.onReturnPressed: root.start()
            Keys.onEnterPressed: root.start()
        }

        CButton {
            id: closeButton

            anchors.top: parent.top
            anchors.right: parent.right
            anchors.topMargin: 14
            anchors.rightMargin: 14
            implicitWidth: 28
            implicitHeight: 28
            leftPadding: 0
            rightPadding: 0
            topPadding: 0
            bottomPadding: 0
            borderRadius: 4
            icon.source: Theme.iconOverviewClose
            icon.width: 16
            icon.height: 16
            onClicked: root.close()
        }
    }
}
