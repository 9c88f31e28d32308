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

    Component {
        id: contextComponent
        DrawingContext {}
    }
    Component {
        id: overlayComponent
        DrawingOverlay {}
    }
    SignalSpy {
        id: restackSpy
        signalName: "restackRequested"
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    property DrawingContext context: null

    // Nothing is saved, so no test sees another's items at start.
    function init() {
        context = createTemporaryObject(contextComponent, testCase);
        verify(context !== null);
        context.loaded = false;
        context.drawItems.length = 0;
    }

    function createOverlay(index: int, w: int, h: int, shown = true): var {
        const overlay = createTemporaryObject(overlayComponent, testCase, {
            windowId: "DrawingOverlay_" + index,
            drawingContext: context,
            x: 0,
            y: 0,
            width: w,
            height: h,
            visible: shown
        });
        verify(overlay !== null);
        tryVerify(() => overlay.drawingCanvas !== null && overlay.previewCanvas !== null, 2000, "both canvases created");
        return overlay;
    }

    function penStroke(index: int, x0: real, y0: real, x1: real, y1: real): var {
        return {
            drawingTool: DrawingTool.Pen,
            windowId: "DrawingOverlay_" + index,
            lineColor: Qt.rgba(1, 0, 0, 1),
            lineWidth: 20,
            points: [x0, y0, x1, y1]
        };
    }

    // The grabbed window is opaque: transparent parts read as black.
    function redAt(overlay, x: int, y: int): int {
        return grabImage(overlay.contentItem).red(x, y);
    }

    function isEmptyAt(overlay, x: int, y: int): bool {
        const image = grabImage(overlay.contentItem);
        return image.red(x, y) < 30 && image.green(x, y) < 30 && image.blue(x, y) < 30;
    }

    function isRedAt(overlay, x: int, y: int): bool {
        const image = grabImage(overlay.contentItem);
        return image.red(x, y) > 200 && image.green(x, y) < 50 && image.blue(x, y) < 50;
    }

    function test_inputTransparencyFollowsTheTool() {
        const overlay = createOverlay(0, 400, 300);
        compare(overlay.title, "Inkly Drawing Overlay - DrawingOverlay_0");
        const always = Qt.Tool | Qt.FramelessWindowHint | Qt.WindowDoesNotAcceptFocus;
        compare(overlay.flags & always, always);
        verify(overlay.flags & Qt.WindowTransparentForInput, "the pointer tool lets clicks through");
        restackSpy.target = overlay;
        restackSpy.clear();

        context.setDrawingTool(DrawingTool.Pen);
        verify(!(overlay.flags & Qt.WindowTransparentForInput), "a tool takes the mouse");
        compare(overlay.flags, overlay.effectiveFlags());
        compare(restackSpy.count, 1);
        context.setDrawingTool(DrawingTool.Rectangle);
        compare(restackSpy.count, 1, "no restack while the stacking bits stay");
        context.setDrawingTool(DrawingTool.None);
        verify(overlay.flags & Qt.WindowTransparentForInput);
        compare(restackSpy.count, 2);
    }

    function test_shiftWheelOverTheOverlayStepsTheWidth() {
        const overlay = createOverlay(0, 400, 300);
        context.setDrawingTool(DrawingTool.Pen);
        mouseWheel(overlay.contentItem, 200, 150, 0, 120, Qt.NoButton, Qt.ShiftModifier);
        compare(context.lineWidth, 6);
        mouseWheel(overlay.contentItem, 200, 150, 0, 120);
        compare(context.lineWidth, 6, "no step without Shift");
    }

    function test_canvasScale() {
        const overlay = createOverlay(0, 3840, 2160, false);
        compare(overlay.effectiveCanvasScale(), 2);
        compare(overlay.canvasWidth, 1920);
        compare(overlay.canvasHeight, 1080);
        const canvas = overlay.drawingCanvas;
        compare(canvas.width, 1920);
        compare(canvas.scale, 2);
        compare(overlay.previewCanvas.scale, 2);
        // Centred and scaled about its centre, the canvas covers the window.
        const topLeft = canvas.mapToItem(overlay.contentItem, 0, 0);
        const bottomRight = canvas.mapToItem(overlay.contentItem, canvas.width, canvas.height);
        compare(Qt.point(topLeft.x, topLeft.y), Qt.point(0, 0));
        compare(Qt.point(bottomRight.x, bottomRight.y), Qt.point(3840, 2160));

        // The cursor keeps the true on-screen width inside the scaled canvas.
        context.setDrawingTool(DrawingTool.Highlighter);
        compare(overlay.previewCanvas.cursorItem.width, 15);

        overlay.width = 2560;
        overlay.height = 1440;
        fuzzyCompare(overlay.canvasScale, 4 / 3, 1e-9);
        compare(overlay.canvasWidth, 1920);
        compare(overlay.canvasHeight, 1080);
        overlay.width = 1080;
        overlay.height = 1920;
        compare(overlay.canvasScale, 1, "portrait screen");
        overlay.width = 1920;
        overlay.height = 1080;
        compare(overlay.canvasScale, 1);
        compare(overlay.canvasWidth, 1920);
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

    function test_appendAfterUndoInAnotherWindowIsPainted() {
        const overlay = createOverlay(0, 400, 300);
        context.pushDrawItem(penStroke(0, 50, 50, 150, 50));
        context.pushDrawItem(penStroke(1, 50, 150, 150, 150));
        tryVerify(() => isRedAt(overlay, 100, 50), 3000);
        tryCompare(overlay.drawingCanvas, "drawItemStartIndex", 2);

        // The list falls below what this canvas painted without telling it
        // to repaint; the next item lands at an index it already counted.
        context.undo();
        context.pushDrawItem(penStroke(0, 50, 250, 150, 250));
        tryVerify(() => isRedAt(overlay, 100, 250), 3000, "the appended item is painted");
        verify(isRedAt(overlay, 100, 50), "and the earlier one kept");

        // Items on two screens, both undone, then a new one.
        context.clear();
        tryVerify(() => isEmptyAt(overlay, 100, 250), 3000);
        context.pushDrawItem(penStroke(1, 50, 150, 150, 150));
        context.pushDrawItem(penStroke(0, 250, 50, 350, 50));
        tryVerify(() => isRedAt(overlay, 300, 50), 3000);
        context.undo();
        context.undo();
        tryVerify(() => isEmptyAt(overlay, 300, 50), 3000);
        context.pushDrawItem(penStroke(0, 250, 150, 350, 150));
        tryVerify(() => isRedAt(overlay, 300, 150), 3000);
    }

    function test_appendedItemsPaintIncrementally() {
        const overlay = createOverlay(0, 400, 300);
        const item = penStroke(0, 50, 50, 150, 50);
        context.pushDrawItem(item);
        tryVerify(() => isRedAt(overlay, 100, 50), 3000);
        // Moving the painted record behind the canvas's back shows whether a
        // paint starts over: an incremental one keeps the old picture.
        item.points = [50, 250, 150, 250];
        const second = penStroke(0, 250, 150, 350, 150);
        context.pushDrawItem(second);
        tryVerify(() => isRedAt(overlay, 300, 150), 3000);
        verify(isRedAt(overlay, 100, 50), "the kept picture was not redrawn");
        verify(isEmptyAt(overlay, 100, 250));

        // Undo repaints only the area of the item taken back.
        context.pushDrawItem(penStroke(0, 250, 250, 350, 250));
        tryVerify(() => isRedAt(overlay, 300, 250), 3000);
        context.undo();
        tryVerify(() => isEmptyAt(overlay, 300, 250), 3000, "the area of the item taken back is cleared");
        verify(isRedAt(overlay, 100, 50), "the rest is kept");
        verify(isEmptyAt(overlay, 100, 250));
        verify(isRedAt(overlay, 300, 150));

        // A full request stays full when an incremental one follows it.
        second.points = [250, 50, 350, 50];
        overlay.drawingCanvas.refreshCanvas();
        overlay.drawingCanvas.requestCanvasPaint("DrawingOverlay_0", true);
        overlay.drawingCanvas.requestCanvasPaint("DrawingOverlay_1", false);
        tryVerify(() => isRedAt(overlay, 300, 50), 3000);
        verify(isEmptyAt(overlay, 300, 150));
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

    function test_newOverlayShowsExistingItems() {
        context.pushDrawItem(penStroke(2, 50, 50, 150, 50));
        context.pushDrawItem(penStroke(3, 50, 150, 150, 150));
        const overlay = createOverlay(2, 400, 300);
        tryVerify(() => isRedAt(overlay, 100, 50), 3000);
        verify(isEmptyAt(overlay, 100, 150));
    }

    function test_cursorFollowsTheTool() {
        const overlay = createOverlay(0, 400, 300);
        const preview = overlay.previewCanvas;
        const cursor = preview.cursorItem;
        verify(cursor !== null);
        context.setDrawingTool(DrawingTool.Pen);
        mouseMove(preview, 200, 150);
        tryVerify(() => cursor.visible);
        compare(cursor.drawingTool, DrawingTool.Pen);
        compare(cursor.width, 5);
        verify(Qt.colorEqual(cursor.fillColor, "#FF0000"));
        compare(cursor.borderWidth, 0);
        tryVerify(() => isRedAt(overlay, 200, 150), 3000, "a solid disc at the pointer");
        compare(context.drawItems.length, 0, "hovering draws nothing");

        context.setDrawingTool(DrawingTool.Highlighter);
        compare(cursor.state, "highlighter");
        compare(cursor.width, 30);
        fuzzyCompare(cursor.fillColor.a, 0.4, 0.01);
        // Over the black of the grab, 0.4 of full red.
        tryVerify(() => Math.abs(redAt(overlay, 200, 150) - 102) <= 3, 3000, "translucent disc");

        context.setDrawingTool(DrawingTool.EraserBrush);
        compare(cursor.state, "eraser");
        verify(Qt.colorEqual(cursor.fillColor, Theme.colorEraserDrawPreviewFill));
        verify(Qt.colorEqual(cursor.borderColor, Theme.colorEraserDrawPreviewBorder));
        compare(cursor.borderWidth, 1);
        verify(cursor.dashEnabled);

        context.setDrawingTool(DrawingTool.Rectangle);
        compare(cursor.state, "");
        verify(cursor.visible);
        context.setDrawingTool(DrawingTool.EraserRectangle);
        verify(!cursor.visible, "the area eraser shows no brush");
        context.setDrawingTool(DrawingTool.None);
        verify(!cursor.visible, "the pointer tool shows no brush");
        tryVerify(() => isEmptyAt(overlay, 200, 150), 3000);
    }
}
