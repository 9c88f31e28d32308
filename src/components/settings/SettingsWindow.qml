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
    readonly property alias hotkeysSwitch: hotkeysSwitch
    readonly property alias hotkeyFields: hotkeyFields
    readonly property var hotkeyLabels: ({
        "toggle": qsTr("켜기/끄기"),
        "pointer": qsTr("마우스 포인터/최근 그리기 도구 전환"),
        "pen": qsTr("펜"),
        "highlighter": qsTr("형광펜"),
        "undo": qsTr("실행 취소"),
        "redo": qsTr("다시 실행"),
        "clear": qsTr("모두 지우기"),
        "savePicture": qsTr("그림으로 저장")
    })
    // Elsewhere the entry starts the program at log-in, not with Windows.
    readonly property string autoStartText: AutoStartHelper.startsWithWindows ? qsTr("Windows 시작 시 자동 실행")
                                                                              : qsTr("로그인 시 자동 실행")

    // Storing also registers or removes the start at log-on.
    function save() {
        root.appSettings.autoStartEnabled = autoStartSwitch.checked;
        root.appSettings.wheelDoubleEnabled = wheelDoubleSwitch.checked;
        root.appSettings.autoUsageTipsEnabled = autoUsageTipsSwitch.checked;
        const keys = {};
        for (let i = 0; i < hotkeyFields.count; ++i) {
            const field = hotkeyFields.itemAt(i);
            keys[field.action] = field.sequence;
        }
        // The keys are taken again at once, so their problems show below.
        root.appSettings.hotkeysEnabled = hotkeysSwitch.checked;
        root.appSettings.hotkeys = keys;
        root.appSettings.save();
        root.showHotkeyProblems();
    }

    function hasHotkeyProblems(): bool {
        return hotkeysSwitch.checked && Object.keys(HotkeyHandler.problems).length > 0;
    }

    function showHotkeyProblems() {
        for (let i = 0; i < hotkeyFields.count; ++i) {
            const field = hotkeyFields.itemAt(i);
            field.problem = hotkeysSwitch.checked ? (HotkeyHandler.problems[field.action] || "") : "";
        }
    }

    function cancel() {
        root.close();
    }

    function loadSwitches() {
        autoStartSwitch.checked = root.appSettings.autoStartEnabled;
        wheelDoubleSwitch.checked = root.appSettings.wheelDoubleEnabled;
        autoUsageTipsSwitch.checked = root.appSettings.autoUsageTipsEnabled;
        hotkeysSwitch.checked = root.appSettings.hotkeysEnabled;
        for (let i = 0; i < hotkeyFields.count; ++i) {
            const field = hotkeyFields.itemAt(i);
            field.sequence = root.appSettings.hotkeys[field.action] || "";
        }
        root.showHotkeyProblems();
    }

    title: qsTr("환경설정")
    flags: Qt.Window | Qt.WindowStaysOnTopHint | Qt.WindowTitleHint | Qt.WindowSystemMenuHint
           | Qt.WindowCloseButtonHint | Qt.MSWindowsFixedSizeDialogHint
    width: root.fixedWidth
    height: root.fixedHeight
    // Fixed size on window systems that ignore the dialog hint.
    minimumWidth: root.fixedWidth
    maximumWidth: root.fixedWidth
    minimumHeight: root.fixedHeight
    maximumHeight: root.fixedHeight
    readonly property int fixedWidth: 520
    readonly property int fixedHeight: 380 + root.hotkeysHeight
    readonly property int hotkeysHeight: 330 + (hotkeysNote.visible ? 30 : 0)
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

        CSeparator {
            orientation: Qt.Horizontal
            length: sections.width
        }

        Column {
            id: hotkeysSection

            width: sections.width
            spacing: 8

            SettingsSection {
                width: hotkeysSection.width
                header: qsTr("전역 단축키")
                text: qsTr("다른 프로그램을 쓰는 중에도 단축키 사용")

                CSwitch {
                    id: hotkeysSwitch

                    enabled: HotkeyHandler.available
                }
            }

            // Under Wayland an X grab only sees the keys of X programs.
            CText {
                id: hotkeysNote

                width: hotkeysSection.width
                visible: WindowHelper.waylandSession || !HotkeyHandler.available
                text: WindowHelper.waylandSession
                      ? qsTr("Wayland 세션에서는 이 단축키가 다른 프로그램 위에서 동작하지 않습니다. 데스크톱의 단축키 설정에서 inkly --toggle, inkly --save-picture 같은 명령을 연결하세요.")
                      : qsTr("이 환경에서는 전역 단축키를 쓸 수 없습니다.")
                wrapMode: Text.WordWrap
                font.pixelSize: 11
                color: Theme.colorTextSecondary
            }

            Column {
                width: hotkeysSection.width
                spacing: 4
                opacity: hotkeysSwitch.checked ? 1 : 0.5

                Repeater {
                    id: hotkeyFields

                    model: root.appSettings ? root.appSettings.hotkeyActions : []

                    HotkeyField {
                        required property string modelData
                        readonly property string action: modelData

                        width: hotkeysSection.width
                        text: root.hotkeyLabels[modelData] || modelData
                        sequence: root.appSettings ? root.appSettings.hotkeys[modelData] || "" : ""
                        problem: HotkeyHandler.problems[modelData] || ""
                        enabled: hotkeysSwitch.checked
                    }
                }
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
                // A key that could not be taken stays in view, with the reason.
                if (!root.hasHotkeyProblems())
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
