pragma Singleton
import QtQuick
import Zem.Inkly

// Paints drawing items onto the 2D context of a Canvas. Holds no drawing
// state: every call sets up its own style between save() and restore(). The
// extent and cost of each item are worked out once and kept with the item.
//
// Item coordinates are canvas units and are used as they are; only the width
// is divided by the canvas scale, so a line is as wide on the screen as the
// user chose whatever the canvas resolution. Stroke points are one flat list
// [x0, y0, x1, y1, ...].
QtObject {
    id: root

    readonly property color fallbackStrokeColor: AppConstants.defaultLineColor
    // Erasers only use the coverage of what they paint; the colour never shows.
    readonly property color eraserPaintColor: "#FF0000"
    readonly property color noFillColor: "transparent"
    readonly property real arrowHeadLengthFactor: 3
    readonly property real arrowHeadHalfAngle: Math.PI / 6
    readonly property real arrowMinimumLengthFactor: 2
    readonly property int starPointCount: 5
    readonly property real starInnerRadiusFactor: 0.4
    // The canvas's default; a sharper corner is bevelled.
    readonly property real miterLimit: 10
    // Antialiasing reaches about a pixel beyond the geometry.
    readonly property real antialiasMargin: 2
    // Paint cost units: one per point, one per this many pixels of stroke area.
    readonly property real costAreaPerUnit: 64
    readonly property real costPerItem: 4
    // The page under the ink: transparent over the desktop, or a board's
    // colour. Grey ink too close to it is shown with its lightness mirrored.
    property color pageColor: "transparent"
    readonly property real readableContrast: 0.5
    readonly property real greySaturation: 0.2
    // Text sizes in logical pixels, from the line width.
    readonly property real textBaseSize: 16
    readonly property real textSizePerLineWidth: 1.4
    // The canvas takes only installed families, or a generic one.
    readonly property string textFamily: Qt.fontFamilies().includes(Theme.fontFamily) ? Theme.fontFamily : "sans-serif"
    readonly property FontMetrics textMetrics: FontMetrics {
        font.family: root.textFamily
        font.pixelSize: root.textMetricsSize
    }
    readonly property real textMetricsSize: 100

    // `clip`, when given, is the only area {x, y, width, height} whose
    // pixels matter: a stroke then leaves out the runs of segments that
    // cannot reach it, which costs the least in a tile of a long stroke.
    function renderDrawItem(ctx, item, scale: real, clip) {
        // An edited text shows only as its newest version.
        if (!ctx || !item || !(scale > 0) || item.replacedBy)
            return;
        const tool = item.drawingTool;
        ctx.save();
        ctx.beginPath();
        root.setCommonStyle(ctx, item, scale);
        ctx.globalCompositeOperation = DrawingTool.isEraser(tool) ? "destination-out" : "source-over";
        switch (tool) {
        case DrawingTool.Rectangle:
        case DrawingTool.EraserRectangle:
            root.drawRectangle(ctx, item);
            break;
        case DrawingTool.DashedRectangle:
            root.setDashPattern(ctx);
            root.drawRectangle(ctx, item);
            break;
        case DrawingTool.Ellipse:
            root.drawEllipse(ctx, item);
            break;
        case DrawingTool.DashedEllipse:
            root.setDashPattern(ctx);
            root.drawEllipse(ctx, item);
            break;
        case DrawingTool.Line:
            root.drawLine(ctx, item);
            break;
        case DrawingTool.DashedLine:
            root.setDashPattern(ctx);
            root.drawLine(ctx, item);
            break;
        case DrawingTool.Arrow:
            root.drawArrowLine(ctx, item);
            break;
        case DrawingTool.Star:
            root.drawStar(ctx, item);
            break;
        case DrawingTool.Text:
            root.drawText(ctx, item);
            break;
        case DrawingTool.Pen:
        case DrawingTool.Highlighter:
        case DrawingTool.EraserBrush:
            if (clip)
                root.drawStrokeNear(ctx, item, clip);
            else
                root.drawStroke(ctx, item, 0);
            break;
        default:
            break;
        }
        ctx.restore();
    }

    // Paints the segments from startIndex on and returns the index the next
    // call continues from: the last point painted, so the pieces join.
    function renderStrokePreview(ctx, item, scale: real, startIndex: int): int {
        if (!ctx || !item || !DrawingTool.drawsAsStroke(item.drawingTool) || !(scale > 0))
            return startIndex;
        ctx.save();
        ctx.beginPath();
        root.setCommonStyle(ctx, item, scale);
        // New segments replace the pixels under them, so where consecutive
        // segments of a translucent stroke overlap they do not add up.
        ctx.globalCompositeOperation = "copy";
        if (DrawingTool.isEraserBrush(item.drawingTool))
            ctx.strokeStyle = Theme.colorEraserDrawPreviewFill;
        const next = root.drawStroke(ctx, item, startIndex);
        ctx.restore();
        return next;
    }

    function renderEraserRectanglePreview(ctx, item, scale: real) {
        if (!ctx || !item || !DrawingTool.isEraserRectangle(item.drawingTool) || !(scale > 0))
            return;
        ctx.save();
        ctx.beginPath();
        root.setCommonStyle(ctx, item, scale);
        ctx.globalCompositeOperation = "source-over";
        ctx.strokeStyle = Theme.colorEraserDrawPreviewBorder;
        ctx.fillStyle = Theme.colorEraserDrawPreviewFill;
        root.setDashPattern(ctx);
        root.drawRectangle(ctx, item);
        ctx.restore();
    }

    // The canvas rectangle {x, y, width, height} an item can touch, caps,
    // joins, arrow heads and antialiasing included; null for an item without
    // geometry.
    function itemBounds(item, scale: real): var {
        const g = root.geometryOf(item);
        if (!g || !(scale > 0))
            return null;
        const pad = root.paintReach(g, scale);
        return {
            x: g.minX - pad,
            y: g.minY - pad,
            width: g.maxX - g.minX + 2 * pad,
            height: g.maxY - g.minY + 2 * pad
        };
    }

    // How far paint reaches past the points of an item's geometry.
    function paintReach(g, scale: real): real {
        return g.reach * g.lineWidth / scale + root.antialiasMargin;
    }

    // How far paint can reach past the item's points, in line widths.
    function reachFactor(tool: int): real {
        if (DrawingTool.isText(tool))
            return 0;
        if (DrawingTool.isStar(tool))
            return root.miterLimit / 2;
        if (DrawingTool.isArrow(tool))
            return root.arrowHeadLengthFactor;
        // Square caps and right-angled mitres stick out by half a diagonal.
        if (DrawingTool.drawsAsShape(tool))
            return Math.SQRT2 / 2;
        return 0.5;
    }

    // A rough measure of the time an item takes to paint: its points plus the
    // area its line covers.
    function paintCost(item, scale: real): real {
        const g = root.geometryOf(item);
        if (!g || !(scale > 0))
            return root.costPerItem;
        return root.costPerItem + g.count + g.length * (g.lineWidth / scale + 1) / root.costAreaPerUnit;
    }

    function geometryOf(item): var {
        if (!item || typeof item !== "object")
            return null;
        if (item.paintGeometry !== undefined)
            return item.paintGeometry;
        let g = null;
        if (DrawingTool.drawsAsStroke(item.drawingTool)) {
            const points = item.points;
            const count = points ? Math.floor(points.length / 2) : 0;
            if (count === 0)
                return null;
            g = { minX: points[0], minY: points[1], maxX: points[0], maxY: points[1], length: 0, count: count };
            for (let i = 1; i < count; ++i) {
                const x = points[2 * i];
                const y = points[2 * i + 1];
                g.minX = Math.min(g.minX, x);
                g.maxX = Math.max(g.maxX, x);
                g.minY = Math.min(g.minY, y);
                g.maxY = Math.max(g.maxY, y);
                g.length += Math.abs(x - points[2 * i - 2]) + Math.abs(y - points[2 * i - 1]);
            }
        } else if (DrawingTool.drawsAsShape(item.drawingTool)) {
            const minX = Math.min(item.startX, item.endX);
            const minY = Math.min(item.startY, item.endY);
            const maxX = Math.max(item.startX, item.endX);
            const maxY = Math.max(item.startY, item.endY);
            if (![minX, minY, maxX, maxY].every(Number.isFinite))
                return null;
            g = { minX: minX, minY: minY, maxX: maxX, maxY: maxY, length: 2 * (maxX - minX + maxY - minY), count: 4 };
        } else if (DrawingTool.isText(item.drawingTool)) {
            const size = item.fontSize;
            if (![item.x, item.y, size].every(Number.isFinite) || typeof item.text !== "string")
                return null;
            const box = root.textBox(item.text, size);
            // Glyphs may lean a little past their advance.
            g = { minX: item.x, minY: item.y, maxX: item.x + box.width + size * 0.2, maxY: item.y + box.height,
                  length: 0, count: item.text.length };
        } else {
            return null;
        }
        g.reach = root.reachFactor(item.drawingTool);
        g.lineWidth = Number.isFinite(item.lineWidth) ? item.lineWidth : 0;
        // Kept with the item, hidden from enumeration like its stored form;
        // items never change once pushed.
        try {
            Object.defineProperty(item, "paintGeometry", { value: g });
        } catch (error) {}
        return g;
    }

    // The size of a text typed with `lineWidth` on a canvas of `scale`.
    function textSizeFor(lineWidth: real, scale: real): real {
        return (root.textBaseSize + root.textSizePerLineWidth * lineWidth) / Math.max(0.1, scale);
    }

    function textLineSpacing(size: real): real {
        return root.textMetrics.lineSpacing * size / root.textMetricsSize;
    }

    // {width, height} of a text's lines at the pixel size `size`.
    function textBox(text: string, size: real): var {
        const lines = text.split("\n");
        let width = 0;
        for (const line of lines)
            width = Math.max(width, root.textMetrics.advanceWidth(line));
        return { width: width * size / root.textMetricsSize, height: lines.length * root.textLineSpacing(size) };
    }

    function textFont(size: real): string {
        return size + "px " + (root.textFamily === "sans-serif" ? "sans-serif" : "\"" + root.textFamily + "\"");
    }

    // The colour ink shows in on the current page.
    function inkColor(value): color {
        if (!value)
            return root.fallbackStrokeColor;
        const page = root.pageColor;
        if (page.a === 0)
            return value;
        const c = typeof value === "string" ? Qt.color(value) : value;
        if (c.hslSaturation > root.greySaturation
                || Math.abs(c.hslLightness - page.hslLightness) >= root.readableContrast)
            return c;
        return Qt.hsla(c.hslHue, c.hslSaturation, 1 - c.hslLightness, c.a);
    }

    function drawText(ctx, item) {
        const size = item.fontSize;
        ctx.fillStyle = ctx.strokeStyle;
        ctx.font = root.textFont(size);
        ctx.textBaseline = "top";
        const lines = String(item.text).split("\n");
        const spacing = root.textLineSpacing(size);
        for (let i = 0; i < lines.length; ++i)
            ctx.fillText(lines[i], item.x, item.y + i * spacing);
    }

    function setCommonStyle(ctx, item, scale: real) {
        const tool = item.drawingTool;
        ctx.strokeStyle = root.inkColor(item.lineColor);
        ctx.fillStyle = root.noFillColor;
        ctx.lineWidth = item.lineWidth / scale;
        if (DrawingTool.isHighlighter(tool))
            ctx.globalAlpha = AppConstants.highlighterAlpha;
        if (DrawingTool.isEraser(tool)) {
            ctx.strokeStyle = root.eraserPaintColor;
            ctx.fillStyle = root.eraserPaintColor;
        }
        if (DrawingTool.drawsAsShape(tool)) {
            ctx.lineCap = "square";
            ctx.lineJoin = "miter";
        } else {
            ctx.lineCap = "round";
            ctx.lineJoin = "round";
        }
    }

    // The canvas measures dashes in line widths: a dash of 4 + w and a gap
    // of 4 + 2w canvas units before the square caps.
    function setDashPattern(ctx) {
        const w = ctx.lineWidth;
        ctx.setLineDash([4 / w + 1, 4 / w + 2]);
    }

    // Only the area eraser and its preview carry a fill, so the area eraser
    // clears the inside as well as the outline.
    function drawRectangle(ctx, item) {
        const x = Math.min(item.startX, item.endX);
        const y = Math.min(item.startY, item.endY);
        const width = Math.abs(item.endX - item.startX);
        const height = Math.abs(item.endY - item.startY);
        if (DrawingTool.isEraserRectangle(item.drawingTool))
            ctx.fillRect(x, y, width, height);
        ctx.strokeRect(x, y, width, height);
    }

    function drawEllipse(ctx, item) {
        const x = Math.min(item.startX, item.endX);
        const y = Math.min(item.startY, item.endY);
        ctx.ellipse(x, y, Math.abs(item.endX - item.startX), Math.abs(item.endY - item.startY));
        ctx.stroke();
    }

    function drawLine(ctx, item) {
        ctx.moveTo(item.startX, item.startY);
        ctx.lineTo(item.endX, item.endY);
        ctx.stroke();
    }

    function drawArrowLine(ctx, item) {
        const w = ctx.lineWidth;
        const dx = item.endX - item.startX;
        const dy = item.endY - item.startY;
        const distance = Math.sqrt(dx * dx + dy * dy);
        if (distance < root.arrowMinimumLengthFactor * w) {
            root.drawLine(ctx, item);
            return;
        }
        const angle = Math.atan2(dy, dx);
        const headLength = root.arrowHeadLengthFactor * w;
        // The shaft stops half a head short of the tip, so its square cap
        // stays hidden under the head.
        const shaftBack = headLength / 2;
        ctx.moveTo(item.startX, item.startY);
        ctx.lineTo(item.endX - shaftBack * Math.cos(angle), item.endY - shaftBack * Math.sin(angle));
        ctx.stroke();

        ctx.beginPath();
        ctx.moveTo(item.endX, item.endY);
        ctx.lineTo(item.endX - headLength * Math.cos(angle - root.arrowHeadHalfAngle),
                   item.endY - headLength * Math.sin(angle - root.arrowHeadHalfAngle));
        ctx.lineTo(item.endX - headLength * Math.cos(angle + root.arrowHeadHalfAngle),
                   item.endY - headLength * Math.sin(angle + root.arrowHeadHalfAngle));
        ctx.closePath();
        ctx.fillStyle = ctx.strokeStyle;
        ctx.fill();
    }

    // Starts at the top tip and runs clockwise, stretched to the drag box.
    function drawStar(ctx, item) {
        const cx = (item.startX + item.endX) / 2;
        const cy = (item.startY + item.endY) / 2;
        const rx = Math.abs(item.endX - item.startX) / 2;
        const ry = Math.abs(item.endY - item.startY) / 2;
        const corners = root.starPointCount * 2;
        ctx.moveTo(cx, cy - ry);
        for (let i = 0; i < corners; ++i) {
            const angle = (Math.PI / root.starPointCount) * i - Math.PI / 2;
            const factor = i % 2 === 0 ? 1 : root.starInnerRadiusFactor;
            ctx.lineTo(cx + rx * factor * Math.cos(angle), cy + ry * factor * Math.sin(angle));
        }
        ctx.closePath();
        ctx.stroke();
    }

    // The segments whose paint can reach `clip`, each run of them a subpath
    // of one path stroked once: where a run is cut, the cap lies as far from
    // the area as the segment left out, so the area's pixels stay the same.
    // Lines of a pixel or less are drawn by another rasteriser, whose
    // pixels depend on where a subpath starts: those are drawn whole.
    function drawStrokeNear(ctx, item, clip) {
        const points = item.points;
        const count = points ? Math.floor(points.length / 2) : 0;
        if (count <= 2 || !(ctx.lineWidth > 1)) {
            root.drawStroke(ctx, item, 0);
            return;
        }
        const pad = ctx.lineWidth / 2 + root.antialiasMargin;
        const left = clip.x - pad;
        const top = clip.y - pad;
        const right = clip.x + clip.width + pad;
        const bottom = clip.y + clip.height + pad;
        let open = false;
        let drawn = false;
        let x0 = points[0];
        let y0 = points[1];
        for (let i = 1; i < count; ++i) {
            const x1 = points[2 * i];
            const y1 = points[2 * i + 1];
            if (Math.min(x0, x1) < right && left < Math.max(x0, x1) && Math.min(y0, y1) < bottom && top < Math.max(y0, y1)) {
                if (!open)
                    ctx.moveTo(x0, y0);
                ctx.lineTo(x1, y1);
                open = true;
                drawn = true;
            } else {
                open = false;
            }
            x0 = x1;
            y0 = y1;
        }
        if (drawn)
            ctx.stroke();
    }

    // One path stroked once, so a translucent stroke that crosses itself
    // keeps one even opacity. A lone point is painted as a dot.
    function drawStroke(ctx, item, startIndex: int): int {
        const points = item.points;
        const count = points ? Math.floor(points.length / 2) : 0;
        if (count === 0)
            return startIndex;
        const from = Math.max(0, startIndex);
        const remaining = count - from;
        if (remaining > 1) {
            ctx.moveTo(points[2 * from], points[2 * from + 1]);
            for (let i = from + 1; i < count; ++i)
                ctx.lineTo(points[2 * i], points[2 * i + 1]);
            ctx.stroke();
            return count - 1;
        }
        if (remaining === 1) {
            ctx.arc(points[2 * from], points[2 * from + 1], ctx.lineWidth / 2, 0, 2 * Math.PI);
            ctx.fillStyle = ctx.strokeStyle;
            ctx.fill();
        }
        return startIndex;
    }
}
