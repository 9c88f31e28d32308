import QtQuick
import Zem.Inkly

// The lasting picture of one overlay: every committed item of its window,
// oldest first. Appended items are painted over the kept picture; anything
// else repaints it whole.
//
// An incremental paint starts at `drawItemStartIndex`, the list length at the
// last paint. Undo of another window's item shortens the list without asking
// this canvas to repaint, and items pushed afterwards land below that index.
// So the canvas keeps the shortest list length seen at any repaint signal of
// the context since its last paint (every change of the list is announced by
// one) and paints whole when it fell below the painted length. As a guard
// against a list replaced without a signal, it also checks that the last item
// it painted up to is still in its place.
Canvas {
    id: root

    required property string windowId
    required property DrawingContext drawingContext
    property bool incrementalRendering: false
    property int drawItemStartIndex: 0

    // A requested paint has not run yet; requests until then are merged.
    property bool paintPending: false
    property int shortestItemCountSincePaint: 0
    property var lastPaintedItem: null

    renderStrategy: Canvas.Cooperative

    Component.onCompleted: {
        console.info("[" + root.windowId + "] canvas width: " + root.width + " height: " + root.height + " scale: " + root.scale);
        // Items restored at start, or drawn before this overlay was rebuilt.
        if (root.hasOwnItems())
            Qt.callLater(root.refreshCanvas);
    }

    // A new size starts from an empty picture.
    onWidthChanged: root.refreshCanvas()
    onHeightChanged: root.refreshCanvas()

    Connections {
        target: root.drawingContext

        function onRepaintRequested(windowId: string, incrementalRendering: bool) {
            root.noteItemCount();
            root.requestCanvasPaint(windowId, incrementalRendering);
        }
        function onRepaintAllRequested() {
            root.noteItemCount();
            root.refreshCanvas();
        }
    }

    onPaint: {
        const ctx = root.getContext("2d");
        const items = root.drawingContext ? root.drawingContext.drawItems : [];
        const start = root.canPaintIncrementally(items) ? root.drawItemStartIndex : 0;
        if (start === 0)
            ctx.clearRect(0, 0, root.width, root.height);
        let count = 0;
        for (let i = start; i < items.length; ++i) {
            const item = items[i];
            if (item && item.windowId === root.windowId) {
                DrawingRenderer.renderDrawItem(ctx, item, root.scale);
                ++count;
            }
        }
        console.debug("[" + root.windowId + "] draw count: " + count);
        root.drawItemStartIndex = items.length;
        root.shortestItemCountSincePaint = items.length;
        root.lastPaintedItem = items.length > 0 ? items[items.length - 1] : null;
        root.paintPending = false;
    }

    function requestCanvasPaint(windowId: string, incrementalRendering: bool) {
        if (windowId !== root.windowId)
            return;
        root.incrementalRendering = root.paintPending ? root.incrementalRendering && incrementalRendering : incrementalRendering;
        root.paintPending = true;
        root.requestPaint();
    }

    function refreshCanvas() {
        root.incrementalRendering = false;
        root.paintPending = true;
        root.requestPaint();
    }

    function noteItemCount() {
        const count = root.drawingContext ? root.drawingContext.drawItems.length : 0;
        root.shortestItemCountSincePaint = Math.min(root.shortestItemCountSincePaint, count);
    }

    // A paint the canvas makes on its own (first show, new size) has lost
    // the kept picture, so only a requested one may build on it.
    function canPaintIncrementally(items): bool {
        const start = root.drawItemStartIndex;
        return root.paintPending && root.incrementalRendering && start > 0 && start <= items.length
               && root.shortestItemCountSincePaint >= start && items[start - 1] === root.lastPaintedItem;
    }

    function hasOwnItems(): bool {
        const items = root.drawingContext ? root.drawingContext.drawItems : [];
        return items.some(item => item && item.windowId === root.windowId);
    }
}
