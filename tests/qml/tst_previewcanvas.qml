import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "PreviewCanvas"
    // TestCase is invisible by default, and hidden items get no input.
    visible: true
    width: 400
    height: 300
    when: windowShown

    Component { id: contextComponent; DrawingContext {} }
    Component { id: canvasComponent; PreviewCanvas { width: 400; height: 300; windowId: "DrawingOverlay_1" } }
    property DrawingContext context: null
    property PreviewCanvas canvas: null

    function init() {
        context = createTemporaryObject(contextComponent, testCase);
        canvas = createTemporaryObject(canvasComponent, testCase, { drawingContext: context });
    }

    function cleanup() {
        setShift(false);
    }

    function setShift(down: bool) {
        RawInputHandler[down ? "keyPressed" : "keyReleased"](Qt.Key_Shift, 42, false, down ? Qt.ShiftModifier : Qt.NoModifier);
    }

    function drag(points, button = Qt.LeftButton) {
        mousePress(canvas, points[0][0], points[0][1], button);
        for (let i = 1; i < points.length; ++i)
            mouseMove(canvas, points[i][0], points[i][1], -1, button);
        mouseRelease(canvas, points[points.length - 1][0], points[points.length - 1][1], button);
    }

    function lastItem(): var {
        return context.drawItems[context.drawItems.length - 1];
    }

    // The points a drag of the pen stores, one flat list of numbers: a
    // straight line its two ends, a click or a short drag every point; a bump
    // of 1 unit stays at width 1 (epsilon 0.3), is smoothed away at width 100
    // (epsilon 1.0, and only a larger distance is kept).
    function test_strokePoints_data() {
        const straight = Array.from({ length: 200 }, (_, i) => [10 + i * 1.5, 100 + (i % 2 === 0 ? 0.2 : -0.2)]);
        const bumped = [[20, 50], [60, 51], [100, 50]];
        return [
            { tag: "straight", drag: straight, points: [10, 100, 10 + 199 * 1.5, 100] },
            { tag: "a click", drag: [[50, 60]], points: [50, 60] },
            { tag: "short", drag: [[10, 10], [12, 10]], points: [10, 10, 12, 10] },
            { tag: "bump at width 1", width: 1, drag: bumped, points: [20, 50, 60, 51, 100, 50] },
            { tag: "bump at width 100", width: 100, drag: bumped, points: [20, 50, 100, 50] }
        ];
    }

    function test_strokePoints(data) {
        context.setDrawingTool(DrawingTool.Pen);
        if (data.width)
            context.setLineWidth(data.width);
        drag(data.drag);
        const item = lastItem();
        compare([context.drawItems.length, item.drawingTool, item.windowId, item.lineWidth, item.points.length, typeof item.points[0]],
                [1, DrawingTool.Pen, "DrawingOverlay_1", data.width || 5, data.points.length, "number"]);
        verify(Qt.colorEqual(item.lineColor, "#FF0000"));
        item.points.forEach((value, i) => fuzzyCompare(value, data.points[i], 1));
        compare([canvas.drawItem, canvas.shiftAnchorIndex], [null, -1]);
    }

    // A drag out and back keeps its farthest point, and so does one past its end.
    function test_simplifyKeepsTheFarPoints() {
        compare(canvas.rdpSimplify([0, 0, 1, 0, 10, 0, 5, 0, 0, 0], 0.3), [0, 0, 10, 0, 0, 0]);
        compare(canvas.rdpSimplify([0, 0, 5, 0, 15, 0, 10, 0], 0.3), [0, 0, 15, 0, 10, 0]);
    }

    function test_shiftConstrainsShapes() {
        setShift(true);
        compare(canvas.shiftHeld, true);

        context.setDrawingTool(DrawingTool.Rectangle);
        drag([[10, 10], [40, 20]]);
        compare([lastItem().endX, lastItem().endY], [40, 40]);
        drag([[100, 100], [70, 105]]);
        compare([lastItem().endX, lastItem().endY], [70, 130]);

        context.setDrawingTool(DrawingTool.Line);
        drag([[50, 50], [60, 54]]);
        fuzzyCompare(lastItem().endX, 50 + Math.sqrt(116), 0.01);
        fuzzyCompare(lastItem().endY, 50, 0.01);

        // Exactly between two directions rounds upwards: 22.5 degrees snaps to 45.
        context.setDrawingTool(DrawingTool.Arrow);
        const angle = Math.PI / 8;
        canvas.startDrawing(0, 0);
        canvas.updateDrawing(100 * Math.cos(angle), 100 * Math.sin(angle));
        fuzzyCompare(canvas.drawItem.endX, canvas.drawItem.endY, 0.001);
        canvas.finishDrawing();

        // Releasing Shift mid-drag frees the end point without a move.
        context.setDrawingTool(DrawingTool.Ellipse);
        mousePress(canvas, 10, 10);
        mouseMove(canvas, 40, 20, -1, Qt.LeftButton);
        compare([canvas.drawItem.endX, canvas.drawItem.endY], [40, 40]);
        setShift(false);
        compare([canvas.drawItem.endX, canvas.drawItem.endY], [40, 20]);
        mouseRelease(canvas, 40, 20);
        compare(lastItem().drawingTool, DrawingTool.Ellipse);
    }

}
