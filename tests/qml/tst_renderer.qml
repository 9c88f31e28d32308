import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "DrawingRenderer"
    width: 240
    height: 240
    when: windowShown

    Canvas {
        id: canvas

        property var job: null
        property bool done: false

        width: 240
        height: 240
        renderStrategy: Canvas.Immediate
        onPaint: {
            const ctx = canvas.getContext("2d");
            ctx.clearRect(0, 0, canvas.width, canvas.height);
            if (canvas.job)
                canvas.job(ctx);
            canvas.done = true;
        }
    }

    // Paints through `job(ctx)` on a cleared canvas and waits for it.
    function paint(job) {
        tryVerify(() => canvas.available);
        canvas.job = job;
        canvas.done = false;
        canvas.requestPaint();
        tryVerify(() => canvas.done);
    }

    function paintItems(items, scale = 1) {
        paint(ctx => {
            for (const item of items)
                DrawingRenderer.renderDrawItem(ctx, item, scale);
        });
    }

    function pixel(x: int, y: int): var {
        const data = canvas.getContext("2d").getImageData(x, y, 1, 1).data;
        return { r: data[0], g: data[1], b: data[2], a: data[3] };
    }

    function verifyRed(x: int, y: int, message: string) {
        const p = pixel(x, y);
        verify(p.a === 255 && p.r === 255 && p.g === 0 && p.b === 0,
               message + ` (${x}, ${y}) = ${p.r},${p.g},${p.b},${p.a}`);
    }

    function verifyClear(x: int, y: int, message: string) {
        compare(pixel(x, y).a, 0, message + ` (${x}, ${y})`);
    }

    function shape(tool: int, sx: real, sy: real, ex: real, ey: real, width: int): var {
        return {
            drawingTool: tool,
            windowId: "DrawingOverlay_0",
            lineColor: Qt.color("#FF0000"),
            lineWidth: width,
            startX: sx,
            startY: sy,
            endX: ex,
            endY: ey
        };
    }

    function stroke(tool: int, points: var, width: int, color: string): var {
        return {
            drawingTool: tool,
            windowId: "DrawingOverlay_0",
            lineColor: Qt.color(color || "#FF0000"),
            lineWidth: width,
            points: points
        };
    }

    function test_rectangleOutlineOnly() {
        for (const corners of [[20, 20, 80, 80], [80, 80, 20, 20]]) {
            paintItems([shape(DrawingTool.Rectangle, corners[0], corners[1], corners[2], corners[3], 4)]);
            verifyRed(20, 50, "left edge");
            verifyRed(80, 50, "right edge");
            verifyRed(50, 80, "bottom edge");
            verifyClear(50, 50, "inside");
            verifyClear(100, 100, "outside");
        }
    }

    function test_erasers() {
        const pen = stroke(DrawingTool.Pen, [10, 100, 190, 100], 10);
        const brush = stroke(DrawingTool.EraserBrush, [100, 70, 100, 130], 10);
        paintItems([pen, brush]);
        verifyClear(100, 100, "erased by the brush");
        verifyRed(50, 100, "untouched part");

        // An item painted after the eraser shows over the erased area.
        paintItems([pen, brush, stroke(DrawingTool.Pen, [60, 100, 140, 100], 10)]);
        verifyRed(100, 100, "painted after the eraser");

        // The area eraser clears its whole inside, not only its outline.
        paintItems([pen, shape(DrawingTool.EraserRectangle, 130, 80, 170, 120, 1)]);
        verifyClear(150, 100, "inside the area eraser");
        verifyRed(50, 100, "outside the area eraser");
    }

    function test_dashedLineHasGaps() {
        function coverage() {
            let painted = 0;
            let clear = 0;
            for (let x = 20; x < 180; ++x) {
                if (pixel(x, 150).a > 200)
                    ++painted;
                else if (pixel(x, 150).a === 0)
                    ++clear;
            }
            return { painted: painted, clear: clear };
        }
        paintItems([shape(DrawingTool.Line, 10, 150, 190, 150, 2)]);
        compare(coverage().clear, 0, "solid line");
        paintItems([shape(DrawingTool.DashedLine, 10, 150, 190, 150, 2)]);
        const dashed = coverage();
        // Width 2: visible dashes of 8 and gaps of 6 units.
        verify(dashed.painted > 60 && dashed.clear > 40, JSON.stringify(dashed));

        paintItems([shape(DrawingTool.DashedRectangle, 20, 20, 200, 200, 2)]);
        let gaps = 0;
        for (let x = 30; x < 190; ++x) {
            if (pixel(x, 20).a === 0)
                ++gaps;
        }
        verify(gaps > 40, "dashed rectangle edge gaps: " + gaps);
    }

    function test_arrowHeadOnlyWhenLongEnough() {
        // Width 10: a head needs a length of at least 20.
        paintItems([shape(DrawingTool.Arrow, 20, 100, 39, 100, 10)]);
        verifyRed(30, 100, "shaft of the short arrow");
        verifyClear(22, 108, "no head on a short arrow");

        paintItems([shape(DrawingTool.Arrow, 20, 100, 40, 100, 10)]);
        verifyRed(22, 108, "head of an arrow exactly twice the width");

        paintItems([shape(DrawingTool.Arrow, 20, 20, 120, 20, 4)]);
        verifyRed(112, 23, "filled head beside the shaft");
        verifyRed(60, 20, "shaft");
        verifyClear(122, 20, "nothing beyond the tip");
    }

    function test_strokes() {
        // One point is a dot as wide as the line.
        paintItems([stroke(DrawingTool.Pen, [50, 50], 10)]);
        verifyRed(50, 50, "dot centre");
        verifyRed(53, 50, "dot inside the radius");
        verifyClear(57, 50, "dot outside the radius");

        // The canvas scale divides the width: 10 at scale 2 is 5 units.
        paintItems([stroke(DrawingTool.Pen, [20, 100, 200, 100], 10)], 2);
        verifyRed(100, 101, "inside half the scaled width");
        verifyClear(100, 104, "outside half the scaled width");

        paintItems([stroke(DrawingTool.Pen, [20, 100, 200, 100], 10)], 0);
        verifyClear(100, 100, "scale 0 paints nothing");
        paintItems([stroke(DrawingTool.Pen, [], 10), { drawingTool: DrawingTool.None }, null]);
        verifyClear(100, 100, "nothing to paint");
    }

    function test_highlighterKeepsOneOpacity() {
        // Crosses itself at (100, 100).
        const points = [40, 100, 160, 100, 160, 160, 100, 160, 100, 40];
        paintItems([stroke(DrawingTool.Highlighter, points, 10, "#FFF600")]);
        const expected = Math.round(AppConstants.highlighterAlpha * 255);
        for (const at of [[70, 100], [100, 100], [100, 130]]) {
            const p = pixel(at[0], at[1]);
            fuzzyCompare(p.a, expected, 3, "alpha at " + at);
        }
    }

    function test_strokePreviewIsIncremental() {
        const item = stroke(DrawingTool.Highlighter, [20, 60, 120, 60], 10, "#FFF600");
        let next = -1;
        paint(ctx => { next = DrawingRenderer.renderStrokePreview(ctx, item, 1, 0); });
        compare(next, 1);

        // The next piece is painted over the picture, starting at the last
        // painted point, and the overlap does not darken.
        item.points.push(120, 160);
        canvas.done = false;
        canvas.job = null;
        const ctx = canvas.getContext("2d");
        next = DrawingRenderer.renderStrokePreview(ctx, item, 1, next);
        compare(next, 2);
        const expected = Math.round(AppConstants.highlighterAlpha * 255);
        fuzzyCompare(pixel(60, 60).a, expected, 3, "first piece kept");
        fuzzyCompare(pixel(120, 60).a, expected, 3, "joint");
        fuzzyCompare(pixel(120, 120).a, expected, 3, "second piece");

        compare(DrawingRenderer.renderStrokePreview(ctx, item, 0, 2), 2, "scale 0");
        compare(DrawingRenderer.renderStrokePreview(ctx, shape(DrawingTool.Line, 0, 0, 1, 1, 1), 1, 3), 3, "not a stroke");
    }

    function test_eraserPreviews() {
        const brush = stroke(DrawingTool.EraserBrush, [20, 60, 200, 60], 10);
        paint(ctx => DrawingRenderer.renderStrokePreview(ctx, brush, 1, 0));
        const fill = Theme.colorEraserDrawPreviewFill;
        let p = pixel(100, 60);
        verify(p.g > 200 && p.b > 200 && p.r < 30, "cyan brush preview " + JSON.stringify(p));
        fuzzyCompare(p.a, Math.round(fill.a * 255), 3, "translucent brush preview");

        // Half-pixel corners put the one-pixel outline on whole pixel rows.
        const area = shape(DrawingTool.EraserRectangle, 40.5, 40.5, 200.5, 200.5, 1);
        paint(ctx => DrawingRenderer.renderEraserRectanglePreview(ctx, area, 1));
        p = pixel(120, 120);
        fuzzyCompare(p.a, Math.round(fill.a * 255), 3, "translucent area");
        verify(p.g > 200 && p.r < 30, "cyan area " + JSON.stringify(p));
        let white = 0;
        for (let x = 50; x < 190; ++x) {
            const q = pixel(x, 40);
            if (q.r > 200 && q.g > 200 && q.b > 200 && q.a > 100)
                ++white;
        }
        verify(white > 20 && white < 130, "dashed white outline: " + white);

        paint(ctx => DrawingRenderer.renderEraserRectanglePreview(ctx, shape(DrawingTool.Rectangle, 40, 40, 200, 200, 1), 1));
        verifyClear(120, 120, "only for the area eraser");
    }

    function test_star() {
        paintItems([shape(DrawingTool.Star, 50, 50, 150, 150, 2)]);
        verifyClear(100, 100, "centre");
        verify(pixel(100, 51).a > 100, "top tip on the outer circle");
        // Inner corners lie on a circle of radius 20.
        const angle = Math.PI / 5 - Math.PI / 2;
        const x = Math.round(100 + 20 * Math.cos(angle));
        const y = Math.round(100 + 20 * Math.sin(angle));
        verify(pixel(x, y).a > 100, `inner corner at ${x}, ${y}`);
        verifyClear(100, 75, "inside, between the inner corners");
    }

    function test_ellipse() {
        paintItems([shape(DrawingTool.Ellipse, 180, 160, 20, 40, 4)]);
        verifyRed(20, 100, "left of the ellipse");
        verifyRed(100, 160, "bottom of the ellipse");
        verifyClear(100, 100, "centre");
        verifyClear(25, 45, "corner of the box");
    }
}
