import QtQuick
import Zem.Inkly

// The brush at the chosen width above the slider while it moves. It lets the
// pointer through, closes itself shortly after the last move and fades out.
CPopover {
    id: root

    property int drawingTool: DrawingTool.None
    property color lineColor: "transparent"
    property real lineWidth: AppConstants.defaultLineWidth
    readonly property int autoCloseDelay: 800

    // Closes at once, skipping the fade (also one already under way).
    function closeWithoutFade() {
        const fade = root.fadeOutEnabled;
        root.fadeOutEnabled = false;
        root.close();
        if (root.visible)
            root.hideWindow();
        root.fadeOutEnabled = fade;
    }

    flags: Qt.Tool | Qt.WindowStaysOnTopHint | Qt.FramelessWindowHint | Qt.WindowTransparentForInput
           | Qt.WindowDoesNotAcceptFocus | WindowHelper.unmanagedFlag()
    backgroundColor: "transparent"
    shadowEnabled: false
    // Square, the body's faint outline stays outside the window; rounded
    // corners would show it as arcs round the brush.
    borderRadius: 0
    anchorVertical: "top"
    anchorHorizontal: "center"
    transformOriginVertical: "bottom"
    transformOriginHorizontal: "center"
    preferredSide: "above"
    autoCloseEnabled: true
    autoCloseTimeout: root.autoCloseDelay
    fadeOutEnabled: true
    fadeOutDuration: Theme.animationDurationFast

    contentItem: Item {
        implicitWidth: AppConstants.maxLineWidth + 20
        implicitHeight: AppConstants.maxLineWidth + 20
        width: implicitWidth
        height: implicitHeight

        DrawingCursor {
            objectName: "cursor"
            anchors.centerIn: parent
            drawingTool: root.drawingTool
            lineColor: root.lineColor
            lineWidth: root.lineWidth
        }
    }
}
