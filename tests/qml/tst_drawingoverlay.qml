import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "DrawingOverlay"
    width: 100
    height: 100
    when: windowShown
    visible: true

    Component { id: contextComponent; DrawingContext {} }
    Component { id: overlayComponent; DrawingOverlay {} }
    Component { id: spyComponent; SignalSpy {} }

    property DrawingContext context: null

    // Nothing is saved, so no test sees another's items at start.
    function init() {
        context = createTemporaryObject(contextComponent, testCase);
        context.loaded = false;
        context.drawItems.length = 0;
    }

    function createOverlay(index: int, w: int, h: int, shown = true): var {
        const overlay = createTemporaryObject(overlayComponent, testCase, { windowId: "DrawingOverlay_" + index, drawingContext: context,
                                                                            x: 0, y: 0, width: w, height: h, visible: shown });
        tryVerify(() => overlay.drawingCanvas !== null && overlay.previewCanvas !== null, 2000, "both canvases created");
        return overlay;
    }

    function penStroke(index: int, x0: real, y0: real, x1: real, y1: real): var {
        return { drawingTool: DrawingTool.Pen, windowId: "DrawingOverlay_" + index, lineColor: Qt.rgba(1, 0, 0, 1), lineWidth: 20, points: [x0, y0, x1, y1] };
    }

    function isEmptyAt(overlay, x: int, y: int): bool {
        return countPixels(overlay, x, y, 1, 1, (r, g, b) => r < 30 && g < 30 && b < 30) === 1;
    }

    function isRedAt(overlay, x: int, y: int): bool {
        return countPixels(overlay, x, y, 1, 1, (r, g, b) => r > 200 && g < 50 && b < 50) === 1;
    }

    function test_canvasScale_data() {
        return [{ tag: "4K", size: [3840, 2160], scale: 2, canvas: [1920, 1080] }, { tag: "1440p", size: [2560, 1440], scale: 4 / 3, canvas: [1920, 1080] },
                { tag: "portrait", size: [1080, 1920], scale: 1, canvas: [1080, 1920] }, { tag: "1080p", size: [1920, 1080], scale: 1, canvas: [1920, 1080] }];
    }

    function test_canvasScale(data) {
        const overlay = createOverlay(0, data.size[0], data.size[1], false);
        const canvas = overlay.drawingCanvas;
        fuzzyCompare(overlay.canvasScale, data.scale, 1e-9);
        compare([overlay.canvasWidth, overlay.canvasHeight, canvas.width, overlay.previewCanvas.scale], data.canvas.concat([data.canvas[0], canvas.scale]));
        const corners = [canvas.mapToItem(overlay.contentItem, 0, 0), canvas.mapToItem(overlay.contentItem, canvas.width, canvas.height)];
        compare(corners.map(p => [Math.round(p.x), Math.round(p.y)]), [[0, 0], data.size]);
        context.setDrawingTool(DrawingTool.Highlighter);
        fuzzyCompare(overlay.previewCanvas.cursorItem.width * data.scale, 30, 1);
    }

    function test_eachWindowPaintsOnlyItsOwnItems() {
        const first = createOverlay(0, 400, 300);
        const second = createOverlay(1, 400, 300);
        // A grab renders a frame, which runs the canvases' first paints.
        verify(isEmptyAt(first, 150, 100) && isEmptyAt(second, 150, 100));
        const firstPaints = createTemporaryObject(spyComponent, testCase, { target: first.drawingCanvas, signalName: "painted" });
        const secondPaints = createTemporaryObject(spyComponent, testCase, { target: second.drawingCanvas, signalName: "painted" });

        context.pushDrawItem(penStroke(1, 100, 100, 200, 100));
        tryVerify(() => isRedAt(second, 150, 100), 3000, "painted on its own window");
        verify(isEmptyAt(first, 150, 100), "not on the other window");
        compare(firstPaints.count, 0, "the other window does not repaint");

        const before = secondPaints.count;
        context.pushDrawItem(penStroke(0, 100, 200, 200, 200));
        tryVerify(() => isRedAt(first, 150, 200), 3000);
        verify(isEmptyAt(second, 150, 200));
        verify(isRedAt(second, 150, 100), "the other window keeps its picture");
        compare(secondPaints.count, before);
        compare(first.drawingCanvas.drawItemStartIndex, 2);

        // Undo takes back the newest item whatever its window.
        context.undo();
        tryVerify(() => isEmptyAt(first, 150, 200), 3000);
        verify(isRedAt(second, 150, 100));
        compare(secondPaints.count, before);

        context.clear();
        tryVerify(() => isEmptyAt(second, 150, 100), 3000, "clear empties every window");
    }

    // Undo and redo repair only the areas that changed, tile by tile; the
    // picture must be the one a single paint of the whole gives, erasers and
    // translucent ink included.
    function test_areaRepairMatchesFullRepaint() {
        const overlay = createOverlay(0, 400, 300);
        const canvas = overlay.drawingCanvas;
        canvas.repairSliceLimit = 1e9; // never a full repaint instead
        const tools = [DrawingTool.Pen, DrawingTool.Highlighter, DrawingTool.Rectangle, DrawingTool.DashedRectangle,
                       DrawingTool.Ellipse, DrawingTool.DashedEllipse, DrawingTool.Line, DrawingTool.DashedLine,
                       DrawingTool.Arrow, DrawingTool.Star, DrawingTool.EraserBrush, DrawingTool.EraserRectangle];
        let seed = 11;
        const random = () => (seed = (seed * 48271) % 2147483647) / 2147483647;
        // Every requested paint ran and reached the canvas's image.
        const settle = () => {
            tryVerify(() => !canvas.paintPending, 5000);
            wait(50);
        };
        // What the tiles show, row by row; a hidden tile shows nothing.
        const picture = () => {
            const pixels = new Uint8ClampedArray(400 * 300 * 4);
            for (let t = 0; t < canvas.tiles.count; ++t) {
                const tile = canvas.tiles.itemAt(t);
                const data = tile.visible ? tile.getContext("2d").getImageData(0, 0, tile.width, tile.height).data : [];
                for (let i = 0; i < data.length; ++i)
                    pixels[((tile.y + Math.floor(i / 4 / tile.width)) * 400 + tile.x) * 4 + i % (4 * tile.width)] = data[i];
            }
            return pixels;
        };
        for (let round = 0; round < 4; ++round) {
            canvas.tileSize = 128; // items cross many tile borders
            context.clear();
            for (let i = 0; i < 60; ++i) {
                const tool = tools[Math.floor(random() * tools.length)];
                const item = { drawingTool: tool, windowId: "DrawingOverlay_0", lineWidth: 1 + Math.floor(random() * 30),
                               lineColor: Qt.rgba(random(), random(), random(), 1) };
                if (DrawingTool.drawsAsStroke(tool)) {
                    item.points = [];
                    for (let n = Math.floor(random() * 12); n >= 0; --n)
                        item.points.push(random() * 400, random() * 300);
                } else {
                    [item.startX, item.startY, item.endX, item.endY] = [random() * 400, random() * 300, random() * 400, random() * 300];
                }
                context.pushDrawItem(item);
            }
            settle();
            for (let step = 0; step < 12; ++step) {
                if (random() < 0.7)
                    context.undo();
                else
                    context.redo();
                if (random() < 0.4)
                    settle();
            }
            settle();
            const repaired = picture();
            canvas.tileSize = 512; // one tile, painted whole
            canvas.refreshCanvas();
            settle();
            const full = picture();
            // Qt rasterises an edge cut by the repair's clip with its own
            // rounding: a partly covered pixel may come out a few 1/255 apart;
            // a missing item would show as a whole step.
            let alpha = 0;
            let colour = 0;
            for (let i = 0; i < full.length; i += 4) {
                const a = repaired[i + 3];
                const b = full[i + 3];
                alpha = Math.max(alpha, Math.abs(a - b));
                for (let c = 0; c < 3; ++c)
                    colour = Math.max(colour, Math.abs(repaired[i + c] * a - full[i + c] * b) / 255);
            }
            verify(alpha <= 6 && colour <= 6, `round ${round}: area repair differs from a full repaint (alpha ${alpha}, colour ${colour})`);
        }
    }

    // What the ink looks like: a click is a dot as wide as the line, erasers
    // clear what lies below them (an area eraser its whole inside) but not
    // what comes after, and a highlighter keeps one tone where it crosses itself.
    function test_paints_data() {
        const item = (tool, width, color, points) => ({ drawingTool: tool, windowId: "DrawingOverlay_0", lineColor: Qt.color(color), lineWidth: width, points: points });
        const pen = item(DrawingTool.Pen, 10, "#FF0000", [10, 100, 190, 100]);
        const brush = item(DrawingTool.EraserBrush, 10, "#FF0000", [100, 70, 100, 130]);
        const area = Object.assign(item(DrawingTool.EraserRectangle, 1, "#FF0000"), { startX: 130, startY: 80, endX: 170, endY: 120 });
        const highlighter = item(DrawingTool.Highlighter, 10, "#FFF600", [40, 100, 160, 100, 160, 160, 100, 160, 100, 40]);
        const shape = (tool, width, sx, sy, ex, ey) => Object.assign(item(tool, width, "#FF0000"), { startX: sx, startY: sy, endX: ex, endY: ey });
        return [
            { tag: "rectangle: the outline only", items: [shape(DrawingTool.Rectangle, 4, 80, 80, 20, 20)], red: [[20, 50], [80, 50], [50, 80]], empty: [[50, 50], [100, 100]] },
            { tag: "ellipse", items: [shape(DrawingTool.Ellipse, 4, 180, 160, 20, 40)], red: [[20, 100], [100, 160]], empty: [[100, 100], [25, 45]] },
            { tag: "star", items: [shape(DrawingTool.Star, 4, 50, 50, 150, 150)], red: [[100, 52]], empty: [[100, 100], [100, 75]] },
            // Dashes of 4 + w and gaps of 4 + 2w, square caps of w / 2.
            { tag: "dashed line", items: [shape(DrawingTool.DashedLine, 4, 10, 150, 190, 150)], red: [[14, 150], [34, 150]], empty: [[24, 150]] },
            { tag: "arrow twice as long as wide has a head", items: [shape(DrawingTool.Arrow, 10, 20, 100, 40, 100)], red: [[22, 108]], empty: [] },
            { tag: "shorter arrow has none", items: [shape(DrawingTool.Arrow, 10, 20, 100, 39, 100)], red: [[30, 100]], empty: [[22, 108]] },
            { tag: "a click", items: [item(DrawingTool.Pen, 10, "#FF0000", [50, 50])], red: [[50, 50], [53, 50]], empty: [[57, 50]] },
            { tag: "eraser brush", items: [pen, brush], red: [[50, 100]], empty: [[100, 100]] },
            { tag: "painted after the eraser", items: [pen, brush, item(DrawingTool.Pen, 10, "#FF0000", [60, 100, 140, 100])], red: [[100, 100]], empty: [] },
            { tag: "area eraser", items: [pen, area], red: [[50, 100]], empty: [[150, 100]] },
            { tag: "highlighter", items: [highlighter], red: [], empty: [], sameRed: [[70, 100], [100, 100], [100, 130]] }
        ];
    }

    function test_paints(data) {
        const overlay = createOverlay(0, 400, 300);
        for (const item of data.items)
            context.pushDrawItem(item);
        tryVerify(() => !overlay.drawingCanvas.paintPending, 5000);
        tryVerify(() => data.red.every(([x, y]) => isRedAt(overlay, x, y)) && data.empty.every(([x, y]) => isEmptyAt(overlay, x, y)), 3000);
        // Over the black of the grab, the red channel gives the opacity.
        const reds = (data.sameRed || []).map(([x, y]) => grabImage(overlay.contentItem).red(x, y));
        verify(reds.every(red => red > 60 && Math.abs(red - reds[0]) <= 3), JSON.stringify(reds));
    }

    // Pixels of the window, every other one in the rectangle, that pass `test` (red by default).
    function countPixels(overlay, x: int, y: int, w: int, h: int, test = (r, g, b) => r > 150 && g < 90 && b < 90): int {
        const image = grabImage(overlay.contentItem);
        let count = 0;
        for (let i = x; i < x + w; i += 2)
            for (let j = y; j < y + h; j += 2)
                count += test(image.red(i, j), image.green(i, j), image.blue(i, j)) ? 1 : 0;
        return count;
    }

    // Composed inline, committed by a tool change or a click elsewhere; an
    // edit replaces the text in one undo step; an empty text leaves nothing.
    function test_textTypedInPlace() {
        const overlay = createOverlay(0, 400, 300);
        const editor = overlay.previewCanvas.textEditor;
        context.setDrawingTool(DrawingTool.Text);
        mouseClick(overlay.contentItem, 40, 40);
        inputMethod.compose(editor, "한", "");
        tryVerify(() => editor.composing && countPixels(overlay, 40, 40, 40, 30) > 5, 2000, "the composition shows inline");
        inputMethod.compose(editor, "", "한글");
        context.setDrawingTool(DrawingTool.Pen);
        compare(context.drawItems.map(item => [item.text, item.x, item.y, item.fontSize]), [["한글", 40, 40, Math.round(DrawingRenderer.textSizeFor(5, 1))]]);
        tryVerify(() => !editor.visible && countPixels(overlay, 40, 40, 40, 30) > 5, 2000, "the canvas paints it");
        context.setDrawingTool(DrawingTool.Text);
        mouseClick(overlay.contentItem, 50, 50);
        inputMethod.compose(editor, "", "!");
        for (let click = 0; click < 2; ++click)
            mouseClick(overlay.contentItem, 300, 250);
        context.setDrawingTool(DrawingTool.None);
        compare(context.drawItems.map(item => [item.text, !!item.replacedBy]), [["한글", true], ["한글!", false]]);
        context.undo();
        compare([context.drawItems.length, !!context.drawItems[0].replacedBy], [1, false]);
    }

    // The trail shows while the button is held and fades within the fade
    // time, even with the button still down; nothing is drawn or saved.
    function test_laserFadesAndLeavesNothing() {
        context.loaded = true;
        const overlay = createOverlay(0, 400, 300);
        context.setDrawingTool(DrawingTool.Laser);
        mousePress(overlay.contentItem, 100, 100);
        for (let x = 110; x <= 200; x += 10)
            mouseMove(overlay.contentItem, x, 100);
        tryVerify(() => countPixels(overlay, 100, 90, 100, 20) > 10, 1000, "the trail follows the pointer");
        wait(AppConstants.laserFadeDuration + 300);
        compare(countPixels(overlay, 90, 80, 120, 40, (r, g, b) => r + g + b > 30), 0, "faded");
        mouseRelease(overlay.contentItem, 200, 100);
        compare([context.drawItems.length, context.canUndo, context.saveDrawingsDebounce.timer.running], [0, false, false]);
    }

    // A board hides the desktop's ink behind its page and keeps its own, also
    // through a reload of the store; dark ink shows light on the black board.
    function test_boardsKeepTheirInk() {
        context.loaded = true;
        const overlay = createOverlay(0, 400, 300);
        const light = (r, g, b) => r > 200 && g > 200 && b > 200;
        context.pushDrawItem(penStroke(0, 50, 50, 150, 50));
        context.setBoard("black");
        context.pushDrawItem(Object.assign(penStroke(0, 50, 150, 150, 150), { lineColor: "#222222" }));
        tryVerify(() => countPixels(overlay, 100, 150, 1, 1, light) === 1 && isEmptyAt(overlay, 100, 50), 2000);
        context.setBoard("white");
        tryVerify(() => countPixels(overlay, 100, 150, 1, 1, light) === 1 && !context.canUndo, 2000, "a blank white page");
        context.setBoard("");
        tryVerify(() => isRedAt(overlay, 100, 50) && isEmptyAt(overlay, 100, 150), 2000, "the desktop's ink is back");
        context.saveDrawingsDebounce.flush();
        DrawingStore.reload();
        const reloaded = createTemporaryObject(contextComponent, testCase);
        reloaded.setBoard("black");
        compare([reloaded.drawItems.length, reloaded.drawItems[0].points, reloaded.pageItems("").length], [1, [50, 150, 150, 150], 1]);
        reloaded.setBoard("");
        DrawingStore.setBoardItems({ black: [] });
        DrawingStore.setDrawings([]);
    }
}
