import QtQuick
import Zem.Inkly

// A popup anchored to an item of another window, placed on the preferred side
// of it when there is room, and following that window while it moves.
CPopup {
    id: root

    required property Window anchorWindow
    required property Item anchorItem
    property string anchorVertical: "bottom"
    property string anchorHorizontal: "left"
    property string transformOriginVertical: "top"
    property string transformOriginHorizontal: "left"
    property string preferredSide: "below"
    property string finalSide: "below"
    property int gap: 6

    // The window position that puts the body next to the anchor item inside
    // `bounding`, which is in global coordinates and already keeps the
    // shadow and the screen margin free. Sets `finalSide`.
    function anchoredPosition(bounding: rect): point {
        const topLeft = root.anchorItem.mapToGlobal(0, 0);
        const anchor = Qt.rect(topLeft.x, topLeft.y, root.anchorItem.width, root.anchorItem.height);
        const placed = Utils.anchorPosition(anchor, bounding, root.anchorVertical, root.anchorHorizontal,
                                            root.transformOriginVertical, root.transformOriginHorizontal,
                                            root.preferredSide, true, root.contentWidth, root.contentHeight,
                                            root.gap);
        root.finalSide = placed.finalSide;
        return Qt.point(placed.x - root.shadowExtent, placed.y - root.shadowExtent);
    }

    function effectivePosition(): point {
        const topLeft = root.anchorItem ? root.anchorItem.mapToGlobal(0, 0) : null;
        const screen = topLeft ? ScreenMonitor.screenAt(topLeft.x, topLeft.y) : null;
        if (!screen || !screen.isValid()) {
            root.finalSide = root.preferredSide;
            return Qt.point(0, 0);
        }
        const area = screen.availableGeometry;
        const margin = root.shadowExtent + AppConstants.screenBoundaryMargin;
        return root.anchoredPosition(Qt.rect(area.x + margin, area.y + margin, area.width - 2 * margin,
                                             area.height - 2 * margin));
    }

    // Another screen may have another scale and room: place it afresh there.
    function reopen() {
        if (!root.visible)
            return;
        root.close();
        Qt.callLater(root.open);
    }

    // A panel that took the focus would cancel the press under way in the
    // window it belongs to.
    flags: Qt.Tool | Qt.WindowStaysOnTopHint | Qt.FramelessWindowHint | Qt.WindowDoesNotAcceptFocus
           | WindowHelper.unmanagedFlag()
    parentWindow: root.anchorWindow
    backgroundColor: Theme.colorPopoverBackground

    onAboutToShow: {
        if (!root.anchorWindow)
            return;
        follower.offsetX = root.x - root.anchorWindow.x;
        follower.offsetY = root.y - root.anchorWindow.y;
    }
    onScreenChanged: root.reopen()

    AttachedWindow {
        id: follower

        referenceWindow: root.anchorWindow
        window: root
        enabled: root.visible
    }

    Connections {
        target: root.anchorWindow

        function onVisibleChanged() {
            if (!root.anchorWindow.visible)
                root.close();
        }
    }

    Connections {
        target: ScreenMonitor

        function onWindowsDisplayChangeDetected() {
            root.reopen();
        }
    }
}
