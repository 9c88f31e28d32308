import QtQuick
import Zem.Inkly

// A menu at the mouse cursor, all entries as wide as the widest one.
CPopup {
    id: root

    property string anchorVertical: "bottom"
    property string anchorHorizontal: "left"
    property string transformOriginVertical: "top"
    property string transformOriginHorizontal: "left"
    property string preferredSide: "below"
    property string finalSide: "below"
    property int gap: 0

    // The window position for the cursor at `cursor` inside `bounding`, which
    // already keeps the shadow and the screen margin free. Sets `finalSide`.
    function positionAt(cursor: point, bounding: rect): point {
        const placed = Utils.anchorPosition(Qt.rect(cursor.x, cursor.y, 0, 0), bounding, root.anchorVertical,
                                            root.anchorHorizontal, root.transformOriginVertical,
                                            root.transformOriginHorizontal, root.preferredSide, true,
                                            root.contentWidth, root.contentHeight, root.gap);
        root.finalSide = placed.finalSide;
        return Qt.point(placed.x - root.shadowExtent, placed.y - root.shadowExtent);
    }

    function effectivePosition(): point {
        const cursor = MouseHelper.globalMousePosition();
        const screen = ScreenMonitor.screenAt(cursor.x, cursor.y);
        if (!screen.isValid()) {
            root.finalSide = root.preferredSide;
            return Qt.point(0, 0);
        }
        const area = screen.availableGeometry;
        const margin = root.shadowExtent + AppConstants.screenBoundaryMargin;
        return root.positionAt(Qt.point(cursor.x, cursor.y),
                               Qt.rect(area.x + margin, area.y + margin, area.width - 2 * margin,
                                       area.height - 2 * margin));
    }

    flags: Qt.Tool | Qt.WindowStaysOnTopHint | Qt.FramelessWindowHint | Qt.WindowDoesNotAcceptFocus
           | WindowHelper.unmanagedFlag()

    onAboutToShow: root.equalizeContentWidths()
}
