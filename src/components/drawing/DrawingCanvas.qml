import QtQuick
import Zem.Inkly

// The lasting picture of one overlay: every committed item of its window,
// oldest first, on a grid of tiles.
//
// Each tile holds the items of the first `upTo` entries of the context's
// list that reach into it. A paint first repairs the areas of items taken
// back by undo (cleared and painted again, clipped, from the items that
// reach into them, in order), then brings the tiles up to the end of the
// list, tile after tile. That second part runs in slices of a few frames'
// worth of work, so a picture of thousands of items never holds up the
// pointer: input keeps flowing between slices, and items pushed meanwhile
// are painted in their turn. Going tile after tile, a slice changes few
// tiles, and a frame only copies and blends the tiles that changed. Anything
// the canvas cannot account for (a first paint, a new size, clear) starts
// again from an empty picture.
//
// As a guard against a list replaced without a signal, each tile also checks
// that the last item it painted up to is still in its place.
Item {
    id: root

    required property string windowId
    required property DrawingContext drawingContext
    property bool incrementalRendering: false
    // Items every tile holds.
    property int drawItemStartIndex: 0
    property int renderStrategy: Canvas.Cooperative
    // Canvas units; the last row and column take what is left.
    property int tileSize: 256
    readonly property int tileColumns: Math.max(1, Math.ceil(root.width / root.tileSize))
    readonly property int tileRows: Math.max(1, Math.ceil(root.height / root.tileSize))
    readonly property alias tiles: tileRepeater
    property int readyTiles: 0
    readonly property bool available: tileRepeater.count > 0 && root.readyTiles === tileRepeater.count

    // For each tile, the indices of the items that reach it, ascending, for
    // the first `bucketedCount` items of `bucketedList`: a tile then looks
    // only at its own items instead of the whole list at every slice.
    property var tileBuckets: []
    property var bucketedList: null
    property int bucketedCount: 0
    property var bucketedLast: null

    // A paint is owed: requested, or a slice left work for the next one.
    property bool paintPending: false
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
    // A repair that replays more than this many slices' work starts the
    // tile over in slices instead.
    property real repairSliceLimit: 3

    signal sliceStarted
    signal painted

    Component.onCompleted: {
        console.info("[" + root.windowId + "] canvas width: " + root.width + " height: " + root.height + " scale: " + root.scale);
        // Items restored at start, or drawn before this overlay was rebuilt.
        if (root.hasOwnItems())
            Qt.callLater(root.refreshCanvas);
    }

    // A new size makes new tiles, which start from an empty picture.
    onWidthChanged: root.refreshCanvas()
    onHeightChanged: root.refreshCanvas()

    Repeater {
        id: tileRepeater

        model: root.tileColumns * root.tileRows

        DrawingTile {
            id: tileItem

            required property int index

            x: (tileItem.index % root.tileColumns) * root.tileSize
            y: Math.floor(tileItem.index / root.tileColumns) * root.tileSize
            width: Math.max(1, Math.min(root.tileSize, Math.ceil(root.width) - tileItem.x))
            height: Math.max(1, Math.min(root.tileSize, Math.ceil(root.height) - tileItem.y))
            paintScale: root.scale
            antialiasing: root.antialiasing
            renderStrategy: root.renderStrategy

            onAvailableChanged: root.readyTiles += tileItem.available ? 1 : -1
            Component.onDestruction: {
                if (tileItem.available)
                    root.readyTiles -= 1;
            }
            onStepsPainted: root.tilePainted()
            onPainted: root.painted()
            // Only this tile paints its picture again.
            onPictureLost: {
                tileItem.restart();
                root.schedulePaint();
            }
        }
    }

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

    function requestCanvasPaint(windowId: string, incrementalRendering: bool) {
        if (windowId !== root.windowId)
            return;
        root.incrementalRendering = root.paintPending ? root.incrementalRendering && incrementalRendering : incrementalRendering;
        root.schedulePaint();
    }

    function refreshCanvas() {
        root.incrementalRendering = false;
        root.schedulePaint();
    }

    function schedulePaint() {
        root.paintPending = true;
        Qt.callLater(root.paintSlice);
    }

    // The next slice waits until every tile painted the steps of the last.
    function tilePainted() {
        for (let i = 0; i < tileRepeater.count; ++i) {
            const tile = tileRepeater.itemAt(i);
            if (tile && tile.requested)
                return;
        }
        if (root.paintPending)
            Qt.callLater(root.paintSlice);
    }

    function paintSlice() {
        const tiles = root.tileList();
        if (tiles.length === 0 || !root.paintPending)
            return;
        if (tiles.some(tile => tile.requested))
            return; // tilePainted() goes on
        root.sliceStarted();
        const started = Date.now();
        if (root.sliceStartedAt >= 0) {
            const interval = Math.max(1, started - root.sliceStartedAt);
            const factor = Math.min(1.5, Math.max(0.5, root.sliceIntervalMs / interval));
            root.sliceBudget = Math.max(root.minimumSliceBudget, root.sliceBudget * factor);
        }
        const items = root.drawingContext ? root.drawingContext.drawItems : [];
        for (const tile of tiles) {
            const start = tile.upTo;
            if (!root.incrementalRendering || start > items.length || (start > 0 && items[start - 1] !== tile.lastItem))
                tile.restart();
        }
        // A new size or scale moves items between tiles.
        if (!root.incrementalRendering)
            root.bucketedList = null;
        root.incrementalRendering = true;
        let cost = root.repairDamagedAreas(tiles, items);
        const budget = root.sliceBudget;
        const scale = root.scale;
        const buckets = root.bucketItems(items);
        let painted = 0;
        // Tile after tile, so that a slice changes as few tiles as it can.
        for (const tile of tiles) {
            if (painted > 0 && cost >= budget)
                break;
            const bucket = buckets[tile.index];
            let position = root.firstAtOrAfter(bucket, tile.upTo);
            for (; position < bucket.length && (painted === 0 || cost < budget); ++position) {
                const item = items[bucket[position]];
                // Erasing an empty tile changes nothing.
                if (!tile.hasInk && DrawingTool.isEraser(item.drawingTool))
                    continue;
                tile.hasInk = true;
                tile.addStep(item);
                cost += DrawingRenderer.paintCost(item, scale);
                ++painted;
            }
            const index = position < bucket.length ? bucket[position] : items.length;
            tile.upTo = index;
            tile.lastItem = index > 0 ? items[index - 1] : null;
        }
        let done = items.length;
        for (const tile of tiles)
            done = Math.min(done, tile.upTo);
        console.debug("[" + root.windowId + "] draw count: " + painted);
        root.drawItemStartIndex = done;
        root.paintPending = done < items.length;
        root.sliceStartedAt = root.paintPending ? started : -1;
        if (root.paintPending && !tiles.some(tile => tile.requested))
            Qt.callLater(root.paintSlice);
    }

    // Undo took `removedItem` off the end of the list. Whatever its window,
    // the tiles now stand for one item fewer if they had painted it; in its
    // own window the tiles that had it repair the area it covered.
    function takeBackItem(windowId: string, removedItem: var) {
        const items = root.drawingContext ? root.drawingContext.drawItems : [];
        const count = items.length;
        let painted = false;
        for (const tile of root.tileList()) {
            if (tile.upTo <= count)
                continue;
            tile.upTo = count;
            tile.lastItem = count > 0 ? items[count - 1] : null;
            painted = true;
        }
        root.drawItemStartIndex = Math.min(root.drawItemStartIndex, count);
        root.forgetBucketsFrom(items, count);
        if (!painted || windowId !== root.windowId)
            return;
        const area = DrawingRenderer.itemBounds(removedItem, root.scale);
        if (area === null)
            return;
        root.damagedAreas.push(area);
        root.schedulePaint();
    }

    // Clears each damaged area and paints into it again the painted items
    // that reach it, in order, so erasers keep erasing what lies under them.
    // A tile whose repair would cost too much starts over instead. Returns
    // the cost spent.
    function repairDamagedAreas(tiles, items): real {
        const areas = root.damagedAreas;
        root.damagedAreas = [];
        if (areas.length === 0)
            return 0;
        const windowId = root.windowId;
        const scale = root.scale;
        const margin = DrawingRenderer.antialiasMargin;
        const limit = root.repairSliceLimit * root.sliceBudget;
        let cost = 0;
        for (const area of areas) {
            const rect = root.pixelRect(area);
            if (rect.width <= 0 || rect.height <= 0)
                continue;
            const left = rect.x;
            const top = rect.y;
            const right = rect.x + rect.width;
            const bottom = rect.y + rect.height;
            const touched = tiles.filter(tile => tile.hasInk && tile.x < right && left < tile.x + tile.width
                                         && tile.y < bottom && top < tile.y + tile.height);
            if (touched.length === 0)
                continue;
            let end = 0;
            for (const tile of touched)
                end = Math.max(end, tile.upTo);
            // This runs over every item of the picture: no property of a
            // QML object is read inside the loop.
            const replay = [];
            for (let i = 0; i < end; ++i) {
                const item = items[i];
                if (!item || item.windowId !== windowId)
                    continue;
                const g = item.paintGeometry !== undefined ? item.paintGeometry : DrawingRenderer.geometryOf(item);
                if (!g)
                    continue;
                const pad = g.reach * g.lineWidth / scale + margin;
                if (g.minX - pad < right && left < g.maxX + pad && g.minY - pad < bottom && top < g.maxY + pad)
                    replay.push({ index: i, item: item, geometry: g, pad: pad });
            }
            for (const tile of touched) {
                const x0 = Math.max(left, tile.x);
                const y0 = Math.max(top, tile.y);
                const x1 = Math.min(right, tile.x + tile.width);
                const y1 = Math.min(bottom, tile.y + tile.height);
                const upTo = tile.upTo;
                const own = [];
                let tileCost = 0;
                for (const entry of replay) {
                    const g = entry.geometry;
                    if (entry.index < upTo && g.minX - entry.pad < x1 && x0 < g.maxX + entry.pad
                            && g.minY - entry.pad < y1 && y0 < g.maxY + entry.pad) {
                        own.push(entry.item);
                        tileCost += DrawingRenderer.paintCost(entry.item, scale);
                    }
                }
                // Too much to replay at once: the tile paints again in slices.
                if (tileCost > limit) {
                    tile.restart();
                    continue;
                }
                tile.addStep({ area: { x: x0, y: y0, width: x1 - x0, height: y1 - y0 }, items: own });
                cost += tileCost;
            }
        }
        return cost;
    }

    // Brings the tiles' buckets up to the end of `items`, starting over when
    // the list is not the one they were made from.
    function bucketItems(items): var {
        const columns = root.tileColumns;
        const rows = root.tileRows;
        let count = root.bucketedCount;
        if (items !== root.bucketedList || root.tileBuckets.length !== columns * rows || count > items.length
                || (count > 0 && items[count - 1] !== root.bucketedLast)) {
            root.tileBuckets = Array.from({ length: columns * rows }, () => []);
            root.bucketedList = items;
            count = 0;
        }
        const buckets = root.tileBuckets;
        const windowId = root.windowId;
        const scale = root.scale;
        const margin = DrawingRenderer.antialiasMargin;
        const size = root.tileSize;
        const width = Math.ceil(root.width);
        const height = Math.ceil(root.height);
        for (let index = count; index < items.length; ++index) {
            const item = items[index];
            if (!item || item.windowId !== windowId)
                continue;
            const g = item.paintGeometry !== undefined ? item.paintGeometry : DrawingRenderer.geometryOf(item);
            if (!g)
                continue;
            const pad = g.reach * g.lineWidth / scale + margin;
            const left = g.minX - pad;
            const right = g.maxX + pad;
            const top = g.minY - pad;
            const bottom = g.maxY + pad;
            if (left >= width || right <= 0 || top >= height || bottom <= 0)
                continue;
            // The tiles whose rectangle the padded bounds overlap.
            const column0 = Math.max(0, Math.floor(left / size));
            const column1 = Math.min(columns - 1, Math.ceil(right / size) - 1);
            const row0 = Math.max(0, Math.floor(top / size));
            const row1 = Math.min(rows - 1, Math.ceil(bottom / size) - 1);
            for (let row = row0; row <= row1; ++row) {
                for (let column = column0; column <= column1; ++column)
                    buckets[row * columns + column].push(index);
            }
        }
        root.bucketedCount = items.length;
        root.bucketedLast = items.length > 0 ? items[items.length - 1] : null;
        return buckets;
    }

    // The list lost its items from `count` on.
    function forgetBucketsFrom(items, count) {
        if (items !== root.bucketedList || root.bucketedCount <= count)
            return;
        for (const bucket of root.tileBuckets) {
            while (bucket.length > 0 && bucket[bucket.length - 1] >= count)
                bucket.pop();
        }
        root.bucketedCount = count;
        root.bucketedLast = count > 0 ? items[count - 1] : null;
    }

    // Position of the first index in the ascending `bucket` not below `index`.
    function firstAtOrAfter(bucket, index): int {
        let low = 0;
        let high = bucket.length;
        while (low < high) {
            const middle = (low + high) >> 1;
            if (bucket[middle] < index)
                low = middle + 1;
            else
                high = middle;
        }
        return low;
    }

    function tileList() {
        const tiles = [];
        for (let i = 0; i < tileRepeater.count; ++i) {
            const tile = tileRepeater.itemAt(i);
            if (tile)
                tiles.push(tile);
        }
        return tiles;
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
