import QtQuick
import Zem.Inkly

// Shortcut hints shown for a while in a corner of the screen. The window lets
// the mouse through, so the user can keep drawing underneath it.
CPopup {
    id: root

    property var anchorCornerPriority: ["bottomRight"]
    property int margin: 16
    // { x, y, width, height } of the area to keep clear, usually the
    // toolbar's body; null when nothing is in the way.
    property var avoidRect: null
    readonly property Debounce repositionDebounce: Debounce {
        delay: 66
        callback: root.reposition
    }
    readonly property var tips: [
        { hints: ["double", "middleClick"], description: qsTr("최근 그리기 도구 / 커서 전환") },
        { hints: ["W", "A", "S", "D"], description: qsTr("그리기 도구 전환") },
        { hints: ["Shift", "wheelScroll"], description: qsTr("선 굵기 변경") },
        { hints: ["Ctrl", "T"], description: qsTr("텍스트 입력") },
        { hints: ["Ctrl", "L"], description: qsTr("레이저 포인터") },
        { hints: ["Ctrl", "Shift", "W"], description: qsTr("화이트보드") },
        { hints: ["Ctrl", "Shift", "B"], description: qsTr("블랙보드") }
    ]
    readonly property var defaultCornerPriority: ["bottomRight", "topRight", "bottomLeft", "topLeft"]
    readonly property var hintImages: ({
        double: { source: Theme.iconTipsDouble, width: 21, height: 14 },
        middleClick: { source: Theme.iconTipsMiddleClick, width: 16, height: 28 },
        wheelScroll: { source: Theme.iconTipsWheelScroll, width: 16, height: 28 }
    })

    function effectivePosition(): point {
        return root.anchorPosition();
    }

    // Window position for the tips on the given screen, or on the screen
    // under the mouse.
    function anchorPosition(screen): point {
        const cursor = MouseHelper.globalMousePosition();
        const target = screen ? screen : ScreenMonitor.screenAt(cursor.x, cursor.y);
        if (!target || !target.isValid())
            return Qt.point(0, 0);
        const priorities = Array.isArray(root.anchorCornerPriority) && root.anchorCornerPriority.length > 0
                           ? root.anchorCornerPriority : root.defaultCornerPriority;
        let chosen = root.cornerPosition(target.availableGeometry, priorities[0]);
        for (let i = 0; i < priorities.length; ++i) {
            const position = root.cornerPosition(target.availableGeometry, priorities[i]);
            if (!root.avoidRect || !root.coversAvoidRect(position)) {
                chosen = position;
                break;
            }
        }
        return chosen;
    }

    function cornerPosition(area, corner: string): point {
        const se = root.shadowExtent;
        // Windows sit on whole pixels; text makes the body fractional.
        const right = Math.round(area.x + area.width - root.contentWidth - se - root.margin);
        const left = Math.round(area.x - se + root.margin);
        const top = Math.round(area.y - se + root.margin);
        const bottom = Math.round(area.y + area.height - root.contentHeight - se - root.margin);
        switch (corner) {
        case "topRight":
            return Qt.point(right, top);
        case "topLeft":
            return Qt.point(left, top);
        case "bottomLeft":
            return Qt.point(left, bottom);
        default:
            return Qt.point(right, bottom);
        }
    }

    function coversAvoidRect(position: point): bool {
        const body = {
            x: position.x + root.shadowExtent,
            y: position.y + root.shadowExtent,
            width: root.contentWidth,
            height: root.contentHeight
        };
        return Utils.rectsIntersect(body, root.avoidRect);
    }

    function reposition() {
        if (!root.visible)
            return;
        root.invalidate();
        const position = root.anchorPosition(ScreenMonitor.screenAt(root));
        root.x = position.x;
        root.y = position.y;
    }

    flags: Qt.Tool | Qt.WindowStaysOnTopHint | Qt.FramelessWindowHint | Qt.WindowTransparentForInput
           | WindowHelper.unmanagedFlag()
           | Qt.WindowDoesNotAcceptFocus
    closeOnEscape: false
    closeOnPressOutside: false
    shadowEnabled: false
    backgroundColor: Theme.colorUsageTipsBackground
    borderRadius: 6
    autoCloseEnabled: true
    autoCloseTimeout: 8000
    fadeInEnabled: true
    fadeOutEnabled: true

    // Filtered in the handler: binding `enabled` to the window's visibility
    // did not deliver the signal.
    Connections {
        target: ScreenMonitor

        function onWindowsDisplayChangeDetected() {
            if (root.visible)
                root.repositionDebounce.trigger();
        }
    }

    contentItem: Column {
        id: column

        padding: 16
        spacing: 10

        Repeater {
            model: root.tips

            Row {
                id: tipRow

                required property var modelData

                spacing: 14

                Item {
                    width: 92
                    height: hintRow.height

                    Row {
                        id: hintRow

                        anchors.right: parent.right
                        spacing: 4

                        Repeater {
                            model: tipRow.modelData.hints

                            Item {
                                id: hint

                                required property string modelData
                                readonly property var image: root.hintImages[hint.modelData] || null

                                width: hint.image ? hint.image.width : keyCap.width
                                height: hint.image ? hint.image.height : keyCap.height
                                anchors.verticalCenter: parent.verticalCenter

                                Image {
                                    anchors.fill: parent
                                    visible: !!hint.image
                                    source: hint.image ? hint.image.source : ""
                                    sourceSize.width: width
                                    sourceSize.height: height
                                    fillMode: Image.PreserveAspectFit
                                }

                                Rectangle {
                                    id: keyCap

                                    visible: !hint.image
                                    width: Math.max(20, keyText.implicitWidth + 8)
                                    height: 20
                                    radius: 6
                                    color: "transparent"
                                    border.width: 1
                                    border.color: Theme.colorBorderInverse

                                    CText {
                                        id: keyText

                                        anchors.centerIn: parent
                                        text: hint.modelData
                                        color: Theme.colorTextInverse
                                        font.pixelSize: 12
                                    }
                                }
                            }
                        }
                    }
                }

                CText {
                    anchors.verticalCenter: parent.verticalCenter
                    text: tipRow.modelData.description
                    color: Theme.colorTextInverse
                    font.pixelSize: 14
                }
            }
        }
    }
}
