import QtQuick
import Zem.Inkly

// One tile of the drawing canvas: the part of the picture inside its own
// rectangle, painted from the steps the canvas hands it. A tile's pixels are
// copied and blended on their own, so a change shows at the cost of the
// tiles it touches rather than of the whole screen; a tile without ink is
// hidden and costs nothing.
//
// Steps run in order at the tile's next paint: an item to paint, an area
// to clear and paint again from a list of items, or a clear of the tile.
Canvas {
    id: tile

    // Position and size are canvas units, as item coordinates are.
    property real paintScale: 1
    // How many items of the context's list the picture holds, and the last
    // of them, to see that the list was not replaced under the tile.
    property int upTo: 0
    property var lastItem: null
    property var steps: []
    // Shown once it may hold ink; hidden again when it starts over.
    property bool hasInk: false
    property bool requested: false

    signal stepsPainted
    signal pictureLost

    visible: tile.hasInk
    renderStrategy: Canvas.Cooperative

    onPaint: {
        if (!tile.requested) {
            // Painting on its own: the image it had may be gone.
            if (tile.upTo > 0)
                tile.pictureLost();
            return;
        }
        tile.requested = false;
        const steps = tile.steps;
        tile.steps = [];
        const ctx = tile.getContext("2d");
        const scale = tile.paintScale;
        const area = { x: tile.x, y: tile.y, width: tile.width, height: tile.height };
        ctx.save();
        ctx.translate(-tile.x, -tile.y);
        for (const step of steps) {
            if (step.clear) {
                ctx.clearRect(tile.x, tile.y, tile.width, tile.height);
            } else if (step.area) {
                const r = step.area;
                ctx.save();
                ctx.beginPath();
                ctx.rect(r.x, r.y, r.width, r.height);
                ctx.clip();
                ctx.clearRect(r.x, r.y, r.width, r.height);
                for (const item of step.items)
                    DrawingRenderer.renderDrawItem(ctx, item, scale, r);
                ctx.restore();
            } else {
                DrawingRenderer.renderDrawItem(ctx, step, scale, area);
            }
        }
        ctx.restore();
        tile.stepsPainted();
    }

    function addStep(step) {
        tile.steps.push(step);
        if (!tile.requested) {
            tile.requested = true;
            tile.requestPaint();
        }
    }

    // Back to an empty picture; the tile hides until ink comes again. A
    // paint already asked for still runs, and clears it.
    function restart() {
        tile.steps = [{ clear: true }];
        tile.hasInk = false;
        tile.upTo = 0;
        tile.lastItem = null;
    }
}
