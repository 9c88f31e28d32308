import QtQuick
import Zem.Inkly

// One action's key of the whole desktop: a label, the key, and what keeps it
// from working. A click listens for the next key with Ctrl, Alt or Meta;
// Escape stops listening, Backspace or Delete leaves the action without a key.
Item {
    id: root

    property string text: ""
    // Qt's portable form; empty: no key.
    property string sequence: ""
    // "invalid", "duplicate", "taken", "failed" or empty.
    property string problem: ""
    property bool listening: false

    readonly property string problemText: root.problem === "invalid" ? qsTr("쓸 수 없는 키입니다")
                                        : root.problem === "duplicate" ? qsTr("다른 동작과 같은 키입니다")
                                        : root.problem === "taken" ? qsTr("다른 프로그램이 이미 쓰고 있습니다")
                                        : root.problem === "failed" ? qsTr("키를 등록할 수 없습니다") : ""

    height: 28

    onListeningChanged: HotkeyHandler.setSuspended(root.listening)
    Component.onDestruction: {
        if (root.listening)
            HotkeyHandler.setSuspended(false);
    }

    Column {
        anchors.left: parent.left
        anchors.right: keyBox.left
        anchors.rightMargin: 8
        anchors.verticalCenter: parent.verticalCenter

        CText {
            width: parent.width
            text: root.text
            font.pixelSize: 12
            elide: Text.ElideRight
        }

        CText {
            width: parent.width
            visible: root.problemText !== "" && !root.listening
            text: root.problemText
            color: Theme.colorTextWarning
            font.pixelSize: 10
            elide: Text.ElideRight
        }
    }

    Rectangle {
        id: keyBox

        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        width: 170
        height: 26
        radius: 4
        color: root.listening ? Theme.colorSwitchTrackOn : Theme.colorBackground
        border.width: 1
        border.color: root.problem ? Theme.colorTextWarning : Theme.colorButtonOutlinedBorder
        focus: root.listening

        CText {
            anchors.fill: parent
            anchors.leftMargin: 6
            anchors.rightMargin: 6
            verticalAlignment: Text.AlignVCenter
            horizontalAlignment: Text.AlignHCenter
            text: root.listening ? qsTr("키를 누르세요") : root.sequence ? root.sequence : qsTr("없음")
            color: root.problem && !root.listening ? Theme.colorTextWarning : Theme.colorText
            font.pixelSize: 12
            elide: Text.ElideRight
        }

        MouseArea {
            anchors.fill: parent
            onClicked: {
                root.listening = !root.listening;
                if (root.listening)
                    keyBox.forceActiveFocus();
            }
        }

        Keys.onPressed: event => {
            event.accepted = true;
            if (event.key === Qt.Key_Escape) {
                root.listening = false;
                return;
            }
            if ((event.key === Qt.Key_Backspace || event.key === Qt.Key_Delete) && event.modifiers === Qt.NoModifier) {
                root.sequence = "";
                root.problem = "";
                root.listening = false;
                return;
            }
            const text = HotkeyHandler.textForKeyEvent(event.key, event.modifiers);
            if (text) {
                root.sequence = text;
                root.problem = "";
                root.listening = false;
            }
        }
        onActiveFocusChanged: {
            if (!keyBox.activeFocus)
                root.listening = false;
        }
    }
}
