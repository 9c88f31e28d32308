import QtQuick
import QtQuick.Controls.Basic
import Zem.Inkly

// A modal message with a main text, an optional detail and one or two
// buttons. Its user learns of every close through `closing`; `accepted` and
// `rejected` tell which button closed it.
ApplicationWindow {
    id: root

    readonly property bool opened: root.visible
    property string text: ""
    property string detail: ""
    property string confirmText: qsTr("확인")
    property string cancelText: qsTr("취소")
    property bool showCancel: true
    property int minWidth: 380
    property int maxWidth: 760
    property bool isInvalidating: false

    readonly property int horizontalPadding: 20
    readonly property int verticalPadding: 24
    readonly property int minButtonWidth: 76
    readonly property alias confirmButton: confirmButton
    readonly property alias cancelButton: cancelButton

    signal accepted
    signal rejected

    function open() {
        mainText.forceLayout();
        detailText.forceLayout();
        buttonRow.forceLayout();
        column.forceLayout();
        const position = root.defaultPosition();
        root.x = position.x;
        root.y = position.y;
        // Sized before it is mapped: the change of `visible` is notified late.
        internal.showing = true;
        root.visible = true;
        root.invalidate();
        Qt.callLater(() => {
            if (!root.visible)
                return;
            root.raise();
            root.requestActivate();
            // The window is active only after it was raised.
            Qt.callLater(() => {
                if (root.visible)
                    confirmButton.forceActiveFocus();
            });
        });
    }

    // Height of the title bar that the window manager adds above the client
    // area, kept free when centring.
    function frameAllowance(): int {
        return (root.flags & Qt.FramelessWindowHint) ? 0 : 28;
    }

    function defaultPosition(): point {
        const cursor = MouseHelper.globalMousePosition();
        const screen = ScreenMonitor.screenAt(cursor.x, cursor.y);
        if (!screen.isValid())
            return Qt.point(0, 0);
        const area = screen.availableGeometry;
        // The window is still 0 x 0 here: it takes its size when it shows.
        return Qt.point(area.x + Math.round((area.width - container.implicitWidth) / 2),
                        area.y + Math.round((area.height - container.implicitHeight - root.frameAllowance()) / 2));
    }

    function invalidate() {
        root.isInvalidating = true;
        root.isInvalidating = false;
    }

    function confirm() {
        root.accepted();
        root.close();
    }

    function cancel() {
        root.rejected();
        root.close();
    }

    title: qsTr("잉클리")
    flags: Qt.Window | Qt.WindowStaysOnTopHint | Qt.WindowTitleHint | Qt.WindowSystemMenuHint
           | Qt.WindowCloseButtonHint | Qt.MSWindowsFixedSizeDialogHint
    modality: Qt.ApplicationModal
    color: Theme.colorBackground
    visible: false
    width: internal.showing && !root.isInvalidating ? container.implicitWidth : 0
    height: internal.showing && !root.isInvalidating ? container.implicitHeight : 0
    // The fixed-size hint is Windows' own; elsewhere equal size limits keep
    // the window manager from offering to maximise or resize it.
    minimumWidth: internal.showing ? container.implicitWidth : 0
    maximumWidth: internal.showing ? container.implicitWidth : internal.noLimit
    minimumHeight: internal.showing ? container.implicitHeight : 0
    maximumHeight: internal.showing ? container.implicitHeight : internal.noLimit

    onVisibleChanged: {
        if (!root.visible)
            internal.showing = false;
    }

    Shortcut {
        sequence: "Escape"
        onActivated: root.cancel()
    }

    QtObject {
        id: internal

        property bool showing: false
        // QWINDOWSIZE_MAX, Qt's own "no maximum".
        readonly property int noLimit: 16777215
    }

    Item {
        id: container

        // The widest line, but wrapped at the maximum width.
        readonly property real naturalColumnWidth: Math.min(root.maxWidth - 2 * root.horizontalPadding,
                                                            Math.max(mainText.implicitWidth,
                                                                     detailText.visible ? detailText.implicitWidth : 0,
                                                                     buttonRow.implicitWidth))

        anchors.fill: parent
        implicitWidth: Math.max(root.minWidth, Math.min(root.maxWidth, container.naturalColumnWidth
                                                        + 2 * root.horizontalPadding))
        implicitHeight: column.implicitHeight + 2 * root.verticalPadding

        Column {
            id: column

            x: root.horizontalPadding
            y: root.verticalPadding
            width: container.implicitWidth - 2 * root.horizontalPadding
            spacing: 8

            CText {
                id: mainText

                width: column.width
                text: root.text
                font.pixelSize: 14
                font.weight: Font.DemiBold
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
            }

            CText {
                id: detailText

                width: column.width
                visible: root.detail !== ""
                text: root.detail
                font.pixelSize: 12
                color: Theme.colorTextSecondary
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
            }

            Item {
                width: 1
                height: 8
            }

            Row {
                id: buttonRow

                readonly property real buttonWidth: Math.max(root.minButtonWidth, confirmButton.implicitWidth,
                                                             root.showCancel ? cancelButton.implicitWidth : 0)

                anchors.horizontalCenter: parent.horizontalCenter
                spacing: 8

                CButton {
                    id: confirmButton

                    width: buttonRow.buttonWidth
                    height: 34
                    variant: "contained"
                    text: root.confirmText
                    font.pixelSize: 14
                    font.bold: true
                    onClicked: root.confirm()
                    Keys.onReturnPressed: root.confirm()
                    Keys.onEnterPressed: root.confirm()
                }

                CButton {
                    id: cancelButton

                    width: buttonRow.buttonWidth
                    height: 34
                    visible: root.showCancel
                    variant: "outlined"
                    text: root.cancelText
                    font.pixelSize: 14
                    onClicked: root.cancel()
                }
            }
        }
    }
}
