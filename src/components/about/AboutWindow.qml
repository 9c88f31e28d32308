import QtQuick
import QtQuick.Controls.Basic
import Zem.Inkly

// Logo, name and short version of the product, with the licence text.
ApplicationWindow {
    id: root

    // Where "License.txt" lies; the program's own directory.
    property string appDir: AppInfo.appDir
    // A version "1.2.3.4" is shown as "v1.2".
    readonly property string versionText: "v" + AppInfo.productVersion.split(".").slice(0, 2).join(".")
    readonly property alias licenseLink: licenseLink

    function openLicense() {
        if (root.appDir === "") {
            console.warn("[AboutWindow] Application directory is empty.");
            return;
        }
        const url = FileUtils.toFileUrl(root.appDir + "/License.txt");
        if (Qt.openUrlExternally(url))
            console.debug("[AboutWindow] Opened URL: " + url);
        else
            console.warn("[AboutWindow] Failed to open URL: " + url);
    }

    title: qsTr("제품 정보")
    flags: Qt.Window | Qt.WindowStaysOnTopHint | Qt.WindowTitleHint | Qt.WindowSystemMenuHint
           | Qt.WindowCloseButtonHint | Qt.MSWindowsFixedSizeDialogHint
    width: 380
    height: 356
    // Fixed size on window systems that ignore the dialog hint.
    minimumWidth: 380
    maximumWidth: 380
    minimumHeight: 356
    maximumHeight: 356
    color: Theme.colorBackground
    background: Rectangle {
        color: Theme.colorBackground
    }

    Column {
        anchors.centerIn: parent

        Image {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 64
            height: 64
            source: Theme.imageAppLogo
            sourceSize.width: 128
            sourceSize.height: 128
            fillMode: Image.PreserveAspectFit
            asynchronous: true
            smooth: true
        }

        Item {
            width: 1
            height: 20
        }

        CText {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("잉클리")
            font.pixelSize: 24
            font.weight: 700
        }

        Item {
            width: 1
            height: 6
        }

        CText {
            id: versionLabel

            anchors.horizontalCenter: parent.horizontalCenter
            text: root.versionText
            font.pixelSize: 16
            font.weight: 600
        }

        Item {
            width: 1
            height: 4
        }

        CTextLink {
            id: licenseLink

            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("라이선스 정보")
            font.pixelSize: 12
            onClicked: root.openLicense()
        }
    }
}
