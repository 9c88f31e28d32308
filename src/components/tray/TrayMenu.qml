import QtQuick
import Zem.Inkly

// The menu of the tray icon, opened at the mouse cursor and above it when
// there is room, since the tray usually sits at the bottom of the screen.
CContextMenu {
    id: root

    signal openRequested
    signal settingsRequested
    signal quitRequested

    preferredSide: "above"
    borderRadius: 4

    contentItem: Column {
        padding: 4
        spacing: 2

        CMenuItem {
            id: openItem

            objectName: "openItem"
            // Wider texts must not be cut off.
            implicitWidth: Math.max(100, openItem.implicitContentWidth + openItem.leftPadding + openItem.rightPadding)
            borderRadius: 4
            font.pixelSize: 12
            leftPadding: 8
            rightPadding: 8
            topPadding: 6
            bottomPadding: 6
            text: qsTr("잉클리 열기")
            onTriggered: {
                root.close();
                root.openRequested();
            }
        }

        CMenuItem {
            id: settingsItem

            objectName: "settingsItem"
            // Wider texts must not be cut off.
            implicitWidth: Math.max(100, settingsItem.implicitContentWidth + settingsItem.leftPadding + settingsItem.rightPadding)
            borderRadius: 4
            font.pixelSize: 12
            leftPadding: 8
            rightPadding: 8
            topPadding: 6
            bottomPadding: 6
            text: qsTr("환경설정")
            onTriggered: {
                root.close();
                root.settingsRequested();
            }
        }

        CMenuItem {
            id: quitItem

            objectName: "quitItem"
            // Wider texts must not be cut off.
            implicitWidth: Math.max(100, quitItem.implicitContentWidth + quitItem.leftPadding + quitItem.rightPadding)
            borderRadius: 4
            font.pixelSize: 12
            leftPadding: 8
            rightPadding: 8
            topPadding: 6
            bottomPadding: 6
            text: qsTr("종료")
            onTriggered: {
                root.close();
                root.quitRequested();
            }
        }
    }
}
