import QtQuick
import Zem.Inkly

// The toolbar's more menu. Every entry closes the menu; what it leads to is
// the toolbar's business.
CMenu {
    id: root

    property DrawingContext drawingContext: null

    signal closeRequested
    signal usageTipsRequested
    signal homepageRequested
    signal aboutRequested
    signal settingsRequested
    signal whiteBoardRequested
    signal blackBoardRequested
    signal savePictureRequested
    signal copyPictureRequested

    contentItem: Column {
        padding: 2
        spacing: 2

        // A board shown is switched off by its own entry.
        CMenuItem {
            objectName: "whiteBoardItem"
            text: qsTr("화이트보드") + (root.drawingContext && root.drawingContext.board === "white" ? " " + qsTr("끄기") : "")
            icon.source: Theme.iconToolbarMoreWhiteBoard
            onTriggered: {
                root.whiteBoardRequested();
                root.close();
            }
        }

        CMenuItem {
            objectName: "blackBoardItem"
            text: qsTr("블랙보드") + (root.drawingContext && root.drawingContext.board === "black" ? " " + qsTr("끄기") : "")
            icon.source: Theme.iconToolbarMoreBlackBoard
            onTriggered: {
                root.blackBoardRequested();
                root.close();
            }
        }

        // The menu leaves the screen first: the picture is taken without it.
        CMenuItem {
            objectName: "savePictureItem"
            text: qsTr("그림으로 저장")
            icon.source: Theme.iconToolbarMoreSavePicture
            onTriggered: {
                root.close();
                root.savePictureRequested();
            }
        }

        CMenuItem {
            objectName: "copyPictureItem"
            text: qsTr("그림 복사")
            icon.source: Theme.iconToolbarMoreCopyPicture
            onTriggered: {
                root.close();
                root.copyPictureRequested();
            }
        }

        CMenuItem {
            objectName: "usageTipsItem"
            text: qsTr("사용팁")
            icon.source: Theme.iconToolbarMoreTips
            onTriggered: {
                root.usageTipsRequested();
                root.close();
            }
        }

        CMenuItem {
            objectName: "settingsItem"
            text: qsTr("환경설정")
            icon.source: Theme.iconToolbarMoreSettings
            onTriggered: {
                root.settingsRequested();
                root.close();
            }
        }

        CMenuItem {
            objectName: "aboutItem"
            text: qsTr("제품 정보")
            icon.source: Theme.iconToolbarMoreAbout
            onTriggered: {
                root.aboutRequested();
                root.close();
            }
        }

        CMenuItem {
            objectName: "homepageItem"
            text: qsTr("마벨로 홈페이지")
            icon.source: Theme.iconToolbarMoreHomepage
            onTriggered: {
                root.homepageRequested();
                root.close();
            }
        }

        CMenuItem {
            objectName: "closeItem"
            text: qsTr("닫기")
            icon.source: Theme.iconToolbarMoreClose
            onTriggered: {
                root.close();
                root.closeRequested();
            }
        }

        LineWidthStepper {
            drawingContext: root.drawingContext
        }
    }
}
