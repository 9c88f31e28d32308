import QtQuick
import Zem.Inkly

// The lasting picture of one overlay: every committed item of its window,
// oldest first.
//
// The picture holds this window's items of the first `drawItemStartIndex`
// entries of the context's list. A paint first repairs the areas of items
// taken back by undo (cleared and painted again, clipped, from the items that
// reach into them, in order), then paints the items from that index on. That
// second part runs in slices of a few frames' worth of work, so a picture of
// thousands of items never holds up the pointer: input keeps flowing between
// slices, and items pushed meanwhile are painted in their turn. Anything the
// canvas cannot account for (a first paint, a new size, clear) starts again
// from an empty picture.
//
// As a guard against a list replaced without a signal, the canvas also checks
// that the last item it painted up to is still in its place.
Canvas {
    id: root

    required property string windowId
    required property DrawingContext drawingContext
    property bool incrementalRendering: false
    property int drawItemStartIndex: 0

    // A requested paint has not run yet; requests until then are merged.
    property bool paintPending: false
    property var lastPaintedItem: null
    // Canvas rectangles whose paint must be rebuilt from the items left.
    property var damagedAreas: []
    // Renderer cost units one slice paints, learnt from the time between
    // slices: the slice's script, its rasterisation and the frame that
    // shows it.
    property real sliceBudget: 1500
    property real sliceStartedAt: -1
    // A slice and its frame may hold up the pointer about this long.
    readonly property real sliceIntervalMs: 30
    readonly property real minimumSliceBudget: 100
    // A repair that replays more than this many slices' work starts over in
    // slices instead.
    property real repairSliceLimit: 3

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
            root.requestCanvasPaint(windowId, incrementalRendering);
        }
        function onRepaintAreaRequested(windowId: string, removedItem: var) {
            root.takeBackItem(windowId, removedItem);
        }
        function onRepaintAllRequested() {
            root.refreshCanvas();
        }
    }

    onPaint: {
        const started = Date.now();
        if (root.sliceStartedAt >= 0) {
            const interval = Math.max(1, started - root.sliceStartedAt);
            const factor = Math.min(1.5, Math.max(0.5, root.sliceIntervalMs / interval));
            root.sliceBudget = Math.max(root.minimumSliceBudget, root.sliceBudget * factor);
        }
        const ctx = root.getContext("2d");
        const items = root.drawingContext ? root.drawingContext.drawItems : [];
        if (!root.canKeepPicture(items)) {
            ctx.clearRect(0, 0, root.width, root.height);
            root.drawItemStartIndex = 0;
            root.damagedAreas = [];
        }
        let cost = root.repairDamagedAreas(ctx, items);
        const budget = root.sliceBudget;
        let index = root.drawItemStartIndex;
        let count = 0;
        for (; index < items.length && (count === 0 || cost < budget); ++index) {
            const item = items[index];
            if (item && item.windowId === root.windowId) {
                DrawingRenderer.renderDrawItem(ctx, item, root.scale);
                cost += DrawingRenderer.paintCost(item, root.scale);
                ++count;
            }
        }
        console.debug("[" + root.windowId + "] draw count: " + count);
        root.drawItemStartIndex = index;
        root.lastPaintedItem = index > 0 ? items[index - 1] : null;
        root.paintPending = index < items.length;
        root.sliceStartedAt = root.paintPending ? started : -1;
        root.incrementalRendering = true;
        if (root.paintPending)
            Qt.callLater(root.requestPaint);
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

    // Undo took `removedItem` off the end of the list. Whatever its window,
    // the picture now stands for one item fewer if it had been painted; its
    // own window repairs the area it covered.
    function takeBackItem(windowId: string, removedItem: var) {
        const count = root.drawingContext ? root.drawingContext.drawItems.length : 0;
        if (root.drawItemStartIndex <= count)
            return;
        root.drawItemStartIndex = count;
        root.lastPaintedItem = count > 0 ? root.drawingContext.drawItems[count - 1] : null;
        if (windowId !== root.windowId)
            return;
        const area = DrawingRenderer.itemBounds(removedItem, root.scale);
        if (area === null)
            return;
        root.damagedAreas.push(area);
        root.paintPending = true;
        root.requestPaint();
    }

    // A paint the canvas makes on its own (first show, new size) has lost
    // the kept picture, so only a requested one may build on it.
    function canKeepPicture(items): bool {
        const start = root.drawItemStartIndex;
        return root.paintPending && root.incrementalRendering && start <= items.length
               && (start === 0 || items[start - 1] === root.lastPaintedItem);
    }

    // Clears each damaged area and paints into it again the painted items
    // that reach it, in order, so erasers keep erasing what lies under them.
    // Returns the cost spent.
    function repairDamagedAreas(ctx, items): real {
        const areas = root.damagedAreas;
        root.damagedAreas = [];
        if (areas.length === 0)
            return 0;
        const end = root.drawItemStartIndex;
        const windowId = root.windowId;
        const scale = root.scale;
        const margin = DrawingRenderer.antialiasMargin;
        const limit = root.repairSliceLimit * root.sliceBudget;
        const plans = [];
        let cost = 0;
        for (const area of areas) {
            const rect = root.pixelRect(area);
            if (rect.width <= 0 || rect.height <= 0)
                continue;
            const replay = [];
            const left = rect.x;
            const top = rect.y;
            const right = rect.x + rect.width;
            const bottom = rect.y + rect.height;
            // This runs over every item of the picture: no property of a
            // QML object is read inside the loop.
            for (let i = 0; i < end; ++i) {
                const item = items[i];
                if (!item || item.windowId !== windowId)
                    continue;
                const g = item.paintGeometry !== undefined ? item.paintGeometry : DrawingRenderer.geometryOf(item);
                if (!g)
                    continue;
                const pad = g.reach * g.lineWidth / scale + margin;
                if (g.minX - pad < right && left < g.maxX + pad && g.minY - pad < bottom && top < g.maxY + pad) {
                    replay.push(item);
                    cost += DrawingRenderer.paintCost(item, root.scale);
                }
            }
            plans.push({ rect: rect, replay: replay });
        }
        // Too much to replay at once: paint the whole picture in slices.
        if (cost > limit) {
            ctx.clearRect(0, 0, root.width, root.height);
            root.drawItemStartIndex = 0;
            return 0;
        }
        for (const plan of plans) {
            const r = plan.rect;
            ctx.save();
            ctx.beginPath();
            ctx.rect(r.x, r.y, r.width, r.height);
            ctx.clip();
            ctx.clearRect(r.x, r.y, r.width, r.height);
            for (const item of plan.replay)
                DrawingRenderer.renderDrawItem(ctx, item, root.scale);
            ctx.restore();
        }
        return cost;
    }

    // Whole pixels, inside the canvas.
    function pixelRect(area): var {
        const x = Math.max(0, Math.floor(area.x));
        const y = Math.max(0, Math.floor(area.y));
        const right = Math.min(root.width, Math.ceil(area.x + area.width));
        const bottom = Math.min(root.height, Math.ceil(area.y + area.height));
        return { x: x, y: y, width: right - x, height: bottom - y };
    }

    function hasOwnItems(): bool {
        const items = root.drawingContext ? root.drawingContext.drawItems : [];
        return items.some(item => item && item.windowId === root.windowId);
    }
}
