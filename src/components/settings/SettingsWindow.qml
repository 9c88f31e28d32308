import QtQuick
import QtQuick.Controls.Basic
import Zem.Inkly

// The three user-facing settings. The switches are a draft: nothing reaches
// the settings until the user saves.
ApplicationWindow {
    id: root

    required property AppSettings appSettings
    readonly property alias autoStartSwitch: autoStartSwitch
    readonly property alias wheelDoubleSwitch: wheelDoubleSwitch
    readonly property alias autoUsageTipsSwitch: autoUsageTipsSwitch
    readonly property alias saveButton: saveButton
    readonly property alias cancelButton: cancelButton
    // Elsewhere the entry starts the program at log-in, not with Windows.
    readonly property string autoStartText: Qt.platform.os === "windows" ? qsTr("Windows 시작 시 자동 실행")
                                                                         : qsTr("로그인 시 자동 실행")

    // Storing also registers or removes the start at log-on.
    function save() {
        root.appSettings.autoStartEnabled = autoStartSwitch.checked;
        root.appSettings.wheelDoubleEnabled = wheelDoubleSwitch.checked;
        root.appSettings.autoUsageTipsEnabled = autoUsageTipsSwitch.checked;
        root.appSettings.save();
    }

    function cancel() {
        root.close();
    }

    function loadSwitches() {
        autoStartSwitch.checked = root.appSettings.autoStartEnabled;
        wheelDoubleSwitch.checked = root.appSettings.wheelDoubleEnabled;
        autoUsageTipsSwitch.checked = root.appSettings.autoUsageTipsEnabled;
    }

    title: qsTr("환경설정")
    flags: Qt.Window | Qt.WindowStaysOnTopHint | Qt.WindowTitleHint | Qt.WindowSystemMenuHint
           | Qt.WindowCloseButtonHint | Qt.MSWindowsFixedSizeDialogHint
    width: 410
    height: 380
    // Fixed size on window systems that ignore the dialog hint.
    minimumWidth: 410
    maximumWidth: 410
    minimumHeight: 380
    maximumHeight: 380
    color: Theme.colorBackground
    background: Rectangle {
        color: Theme.colorBackground
    }

    Component.onCompleted: {
        root.loadSwitches();
        WindowHelper.setWindowIcon(root, ":/resources/settings/settings.svg");
    }

    Column {
        id: sections

        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.leftMargin: 20
        anchors.rightMargin: 20
        anchors.topMargin: 24
        spacing: 20

        SettingsSection {
            width: sections.width
            header: qsTr("일반")
            text: root.autoStartText

            CSwitch {
                id: autoStartSwitch
            }
        }

        CSeparator {
            orientation: Qt.Horizontal
            length: sections.width
        }

        SettingsSection {
            width: sections.width
            header: qsTr("입력")
            text: qsTr("마우스 휠 더블 클릭으로 최근 그리기 도구/커서 전환")

            CSwitch {
                id: wheelDoubleSwitch
            }
        }

        CSeparator {
            orientation: Qt.Horizontal
            length: sections.width
        }

        SettingsSection {
            width: sections.width
            header: qsTr("도움말")
            text: qsTr("사용팁 자동 실행")

            CSwitch {
                id: autoUsageTipsSwitch
            }
        }
    }

    Row {
        id: footer

        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 36
        spacing: 10

        CButton {
            id: saveButton

            width: 76
            height: 40
            variant: "contained"
            text: qsTr("저장")
            font.pixelSize: 14
            font.bold: true
            onClicked: {
                root.save();
                root.close();
            }
        }

        CButton {
            id: cancelButton

            width: 76
            height: 40
            variant: "outlined"
            text: qsTr("취소")
            font.pixelSize: 14
            onClicked: root.cancel()
        }
    }
}
