import QtQuick
import Zem.Inkly

// A short text at the mouse cursor, shown after a pause and gone by itself.
// It never takes a click, so it cannot get in the way of what lies below.
CPopup {
    id: root

    property string text: ""
    property font font: Qt.font({
        "family": Theme.fontFamily,
        "pixelSize": 12
    })
    property color textColor: Theme.colorTextInverse
    property string anchorVertical: "bottom"
    property string anchorHorizontal: "left"
    property string transformOriginVertical: "top"
    property string transformOriginHorizontal: "left"
    property string preferredSide: "below"
    property string finalSide: "below"
    property int gap: 14

    // The body position for the cursor at `cursor` inside `bounding`; the
    // side is kept even without room, the clamp keeps it on the screen.
    function positionAt(cursor: point, bounding: rect): point {
        const placed = Utils.anchorPosition(Qt.rect(cursor.x, cursor.y, 0, 0), bounding, root.anchorVertical,
                                            root.anchorHorizontal, root.transformOriginVertical,
                                            root.transformOriginHorizontal, root.preferredSide, false,
                                            root.contentWidth, root.contentHeight, root.gap);
        root.finalSide = placed.finalSide;
        return Qt.point(placed.x - root.shadowExtent, placed.y - root.shadowExtent);
    }

    function effectivePosition(): point {
        // The text may have changed since the last layout.
        label.forceLayout();
        row.forceLayout();
        const cursor = MouseHelper.globalMousePosition();
        const screen = ScreenMonitor.screenAt(cursor.x, cursor.y);
        if (!screen.isValid()) {
            root.finalSide = root.preferredSide;
            return Qt.point(0, 0);
        }
        const area = screen.geometry;
        const margin = AppConstants.screenBoundaryMargin;
        return root.positionAt(Qt.point(cursor.x, cursor.y),
                               Qt.rect(area.x + margin, area.y + margin, area.width - 2 * margin,
                                       area.height - 2 * margin));
    }

    flags: Qt.Tool | Qt.WindowStaysOnTopHint | Qt.FramelessWindowHint | Qt.WindowTransparentForInput
           | WindowHelper.unmanagedFlag()
           | Qt.WindowDoesNotAcceptFocus
    closeOnEscape: false
    closeOnPressOutside: true
    shadowEnabled: false
    backgroundColor: Utils.setAlpha(Theme.colorBackgroundInverse, 0.8)
    borderRadius: 6
    openDelay: 500
    autoCloseEnabled: true
    autoCloseTimeout: 3000

    contentItem: Row {
        id: row

        padding: 8

        CText {
            id: label

            text: root.text
            font: root.font
            color: root.textColor
        }
    }
}
