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

}
