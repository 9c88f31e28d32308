import QtQuick

// Keeps `window` at a fixed offset from `referenceWindow` while the reference
// moves. A hidden follower stays where it is; its owner sets fresh offsets
// when it shows it again.
Item {
    id: root

    required property Window referenceWindow
    required property Window window
    property int offsetX: 0
    property int offsetY: 0

    readonly property bool following: root.enabled && root.window !== null && root.window.visible
                                      && root.referenceWindow !== null

    function followX() {
        if (root.following)
            root.window.x = root.referenceWindow.x + root.offsetX;
    }

    function followY() {
        if (root.following)
            root.window.y = root.referenceWindow.y + root.offsetY;
    }

    onOffsetXChanged: root.followX()
    onOffsetYChanged: root.followY()

    Connections {
        target: root.referenceWindow

        function onXChanged() {
            root.followX();
        }

        function onYChanged() {
            root.followY();
        }
    }
}
