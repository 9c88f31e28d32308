import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "DrawingContext"

    Component {
        id: contextComponent
        DrawingContext {}
    }

    SignalSpy {
        id: repaintSpy
        signalName: "repaintRequested"
    }
    SignalSpy {
        id: repaintAreaSpy
        signalName: "repaintAreaRequested"
    }
    SignalSpy {
        id: repaintAllSpy
        signalName: "repaintAllRequested"
    }
    SignalSpy {
        id: toolSpy
        signalName: "drawingToolManuallyChanged"
    }
    SignalSpy {
        id: settingsSpy
        signalName: "drawingToolSettingsChanged"
    }
    SignalSpy {
        id: statsSpy
        target: Stats
        signalName: "actionSent"
    }

    readonly property string drawingsPath: DrawingStore.filePath()

    function createContext() {
        const context = createTemporaryObject(contextComponent, testCase);
        verify(context !== null);
        for (const spy of [repaintSpy, repaintAreaSpy, repaintAllSpy, toolSpy, settingsSpy]) {
            spy.target = context;
            spy.clear();
        }
        return context;
    }

    function stroke(windowId, points) {
        return {
            drawingTool: DrawingTool.Pen,
            windowId: windowId,
            lineColor: Qt.color("#ff0000"),
            lineWidth: 5,
            points: points
        };
    }

    function shape(windowId, tool) {
        return {
            drawingTool: tool,
            windowId: windowId,
            lineColor: Qt.color("#00ff00"),
            lineWidth: 3,
            startX: 1,
            startY: 2,
            endX: 30.5,
            endY: 40.25
        };
    }

    function storedStroke(fields) {
        return Object.assign({
            type: "stroke",
            drawingTool: "Pen",
            windowId: "DrawingOverlay_1",
            lineColor: { r: 1, g: 0, b: 0, a: 1 },
            lineWidth: 4,
            points: [{ x: 1, y: 2 }, { x: 3, y: 4 }]
        }, fields);
    }

    function writeDrawingsFile(text) {
        let done = false;
        const request = new XMLHttpRequest();
        request.onreadystatechange = () => done = request.readyState === XMLHttpRequest.DONE;
        request.open("PUT", "file://" + testCase.drawingsPath);
        request.send(text);
        tryVerify(() => done);
        compare(FileUtils.readFile(testCase.drawingsPath), text);
        DrawingStore.reload();
    }

    function repaint(index) {
        return Array.from(repaintSpy.signalArguments[index]);
    }

    function readDrawingsFile() {
        return JSON.parse(FileUtils.readFile(testCase.drawingsPath));
    }

    function waitForSave(context) {
        tryVerify(() => !context.saveDrawingsDebounce.timer.running, 5000);
    }

    function init() {
        wait(10); // statistics still due from the previous test
        writeDrawingsFile("{\"items\": [], \"version\": 1}\n");
        SettingsStore.setObject("drawing", {});
        statsSpy.clear();
    }

    function test_historySequences() {
        const context = createContext();
        const a = stroke("DrawingOverlay_1", [1, 1, 2, 2]);
        const b = stroke("DrawingOverlay_0", [3, 3]);
        const c = shape("DrawingOverlay_0", DrawingTool.Rectangle);
        verify(!context.canUndo && !context.canRedo && !context.canClear);

        context.pushDrawItem(a);
        context.pushDrawItem(b);
        context.pushDrawItem(c);
        compare(context.drawItems.length, 3);
        verify(context.drawItems[0] === a);
        compare(repaintSpy.count, 3);
        compare(repaint(0), ["DrawingOverlay_1", true]);
        verify(context.canUndo && !context.canRedo && context.canClear);

        // The most recent item goes first, whatever its window; its window
        // repaints the area it covered.
        context.undo();
        compare(repaintSpy.count, 3);
        compare(repaintAreaSpy.count, 1);
        verify(repaintAreaSpy.signalArguments[0][0] === "DrawingOverlay_0" && repaintAreaSpy.signalArguments[0][1] === c);
        verify(context.undoStack[0] === c);
        verify(context.canRedo);

        context.redo();
        compare(repaint(3), ["DrawingOverlay_0", true]);
        compare(context.drawItems.length, 3);
        verify(!context.canRedo);

        // Clear, then redo brings the items back oldest first.
        context.clear();
        compare(repaintAllSpy.count, 1);
        compare(context.drawItems.length, 0);
        verify(!context.canUndo && context.canRedo && context.canClear);
        context.redo();
        compare(context.drawItems.length, 1);
        verify(context.drawItems[0] === a);
        compare(repaint(repaintSpy.count - 1), ["DrawingOverlay_1", true]);
        context.redo();
        verify(context.drawItems[1] === b);

        const d = stroke("DrawingOverlay_2", [9, 9]);
        context.pushDrawItem(d);
        compare(context.undoStack.length, 0);
        verify(!context.canRedo);
        compare(context.drawItems.length, 3);
        verify(context.drawItems[2] === d);

        // Undo with an empty list does nothing at all.
        context.clear();
        context.clear();
        verify(!context.canClear);
        const signalsBefore = repaintSpy.count + repaintAreaSpy.count;
        context.undo();
        context.redo();
        compare(repaintSpy.count + repaintAreaSpy.count, signalsBefore);
    }

    function test_clearAfterUndoDropsTheRedoList() {
        const context = createContext();
        const a = stroke("DrawingOverlay_0", [1, 1]);
        const b = stroke("DrawingOverlay_0", [2, 2]);
        context.pushDrawItem(a);
        context.pushDrawItem(b);
        context.undo();
        context.clear();
        compare(context.undoStack.length, 1);
        verify(context.undoStack[0] === a);
        context.redo();
        context.redo();
        compare(context.drawItems.length, 1);

        // Undo then a new item: the undone item is gone for good.
        context.undo();
        context.pushDrawItem(b);
        verify(!context.canRedo);
        compare(context.drawItems.length, 1);
        verify(context.drawItems[0] === b);
    }

    function test_pushedItemsKeepTheirColourAndFields() {
        const context = createContext();
        context.setDrawingTool(DrawingTool.Pen);
        // Reading a colour property gives a live reference to it.
        const item = stroke("DrawingOverlay_0", [1, 2, 3, 4]);
        item.lineColor = context.lineColor;
        context.pushDrawItem(item);
        context.setLineColor("#0000ff");
        verify(Qt.colorEqual(context.drawItems[0].lineColor, "#ff0000"));

        // Saving does not add visible fields to the record.
        context.saveDrawingsDebounce.flush();
        compare(Object.keys(item).sort(), ["drawingTool", "lineColor", "lineWidth", "points", "windowId"]);

        // The statistics event follows on the next turn of the event loop.
        compare(statsSpy.count, 0);
        tryCompare(statsSpy, "count", 1);
        compare(statsSpy.signalArguments[0][0], "inkly_100_002");
    }

    function test_toolSwitching() {
        const context = createContext();
        compare(context.drawingTool, DrawingTool.None);
        verify(!context.drawingModeEnabled);

        context.setDrawingTool(DrawingTool.Highlighter);
        compare(context.lineWidth, 30);
        verify(Qt.colorEqual(context.lineColor, "#FFF600"));
        verify(context.drawingModeEnabled);
        compare(toolSpy.count, 1);

        context.setDrawingTool(DrawingTool.None);
        compare(context.lineWidth, 30);
        verify(Qt.colorEqual(context.lineColor, "#FFF600"));
        compare(toolSpy.count, 2);
        context.setDrawingTool(DrawingTool.None);
        compare(toolSpy.count, 2);
        compare(context.recentDrawingTools, [DrawingTool.None, DrawingTool.Highlighter]);

        // Each group remembers its own colour and width.
        context.setDrawingTool(DrawingTool.Pen);
        context.setLineColor("#00ff00");
        context.setLineWidth(12);
        context.setDrawingTool(DrawingTool.Star);
        compare(context.lineWidth, 5);
        verify(Qt.colorEqual(context.lineColor, "#FF0000"));
        context.setLineColor("#123456");
        context.setDrawingTool(DrawingTool.DashedLine);
        verify(Qt.colorEqual(context.lineColor, "#123456"));
        context.setDrawingTool(DrawingTool.EraserBrush);
        context.setLineWidth(44);
        compare(context.lineWidthForTool(DrawingTool.EraserRectangle), 44);
        verify(Qt.colorEqual(context.lineColorForTool(DrawingTool.EraserBrush), "#FF0000"));
        context.setDrawingTool(DrawingTool.Pen);
        compare(context.lineWidth, 12);
        verify(Qt.colorEqual(context.lineColor, "#00ff00"));
        compare(context.recentDrawingTools, [DrawingTool.Pen, DrawingTool.EraserBrush, DrawingTool.DashedLine,
                                             DrawingTool.Star, DrawingTool.None, DrawingTool.Highlighter]);
        verify(Qt.colorEqual(context.lineColorForTool(DrawingTool.None), "#FF0000"));
        compare(context.lineWidthForTool(DrawingTool.None), 5);

        ignoreWarning("[DrawingContext] setLineColorForTool: unhandled type EraserRectangle");
        context.setLineColorForTool(DrawingTool.EraserRectangle, "#0000ff");
        ignoreWarning("[DrawingContext] setLineWidthForTool: unhandled type None");
        context.setLineWidthForTool(DrawingTool.None, 9);
        compare(context.lineWidthForTool(DrawingTool.None), 5);
    }

    function test_ensureTools() {
        const context = createContext();
        context.setDrawingTool(DrawingTool.Pen);
        context.setDrawingTool(DrawingTool.EraserBrush);
        context.setDrawingTool(DrawingTool.None);
        compare(context.recentDrawingTools, [DrawingTool.None, DrawingTool.EraserBrush, DrawingTool.Pen]);
        context.ensureLineWidthDrawingTool();
        compare(context.drawingTool, DrawingTool.EraserBrush);
        context.ensureLineWidthDrawingTool();
        compare(context.drawingTool, DrawingTool.EraserBrush);

        // An eraser has a width but no colour.
        context.ensureLineColorDrawingTool();
        compare(context.drawingTool, DrawingTool.Pen);

        const fresh = createContext();
        fresh.ensureLineWidthDrawingTool();
        compare(fresh.drawingTool, DrawingTool.Pen);
        const other = createContext();
        other.ensureLineColorDrawingTool();
        compare(other.drawingTool, DrawingTool.Pen);
        compare(other.findRecentDrawingTool(tool => DrawingTool.isShape(tool)), DrawingTool.None);
        compare(other.findRecentDrawingTool(), DrawingTool.Pen);
    }

    function test_throttledSettingsNotificationAndSave() {
        const context = createContext();
        for (let width = 6; width <= 15; ++width)
            context.setLineWidthForTool(DrawingTool.Pen, width);
        // At once for the first change, once more at the end of the window.
        compare(settingsSpy.count, 1);
        tryCompare(settingsSpy, "count", 2);
        wait(100);
        compare(settingsSpy.count, 2);
        compare(context.drawingToolSettings.pen.lineWidth, 15);

        context.setLineColorForTool(DrawingTool.Rectangle, "#00FF00");
        compare(settingsSpy.count, 3);
        context.setDrawingTool(DrawingTool.Highlighter);

        // Written once, a second after the last change.
        compare(SettingsStore.getValue("drawing.pen.lineWidth", null), null);
        tryCompare(context.saveDrawingSettingsDebounce.timer, "running", false, 5000);
        compare(SettingsStore.getValue("drawing.pen.lineWidth", null), 15);
        compare(SettingsStore.getValue("drawing.shape.lineColor", null), "#00ff00");
        compare(SettingsStore.getValue("drawing.highlighter.lineColor", null), "#fff600");
        compare(SettingsStore.getValue("drawing.eraser", null), { lineWidth: 30 });
        compare(SettingsStore.getValue("drawing.recentDrawingTools", null), ["Highlighter"]);
    }

    function test_loadDrawingSettings() {
        SettingsStore.setObject("drawing", {
            recentDrawingTools: ["Pen", "Laser", "Pen", "Chalk"],
            pen: { lineWidth: 0, lineColor: "#00ff00" },
            highlighter: { lineWidth: 2.5, lineColor: "no colour" },
            shape: { lineWidth: "12", lineColor: "#80123456" },
            eraser: { lineWidth: 1000000, lineColor: "#0000ff" }
        });
        const context = createContext();
        compare(context.recentDrawingTools, [DrawingTool.Pen, DrawingTool.None]);
        compare(context.lineWidthForTool(DrawingTool.Pen), 1);
        verify(Qt.colorEqual(context.lineColorForTool(DrawingTool.Pen), "#00ff00"));
        compare(context.lineWidthForTool(DrawingTool.Highlighter), 30);
        verify(Qt.colorEqual(context.lineColorForTool(DrawingTool.Highlighter), "#FFF600"));
        compare(context.lineWidthForTool(DrawingTool.Ellipse), 5);
        verify(Qt.colorEqual(context.lineColorForTool(DrawingTool.Ellipse), "#80123456"));
        compare(context.lineWidthForTool(DrawingTool.EraserBrush), 100);
        // The current values stay the pen's defaults until a tool is chosen,
        // and loading schedules no save.
        verify(Qt.colorEqual(context.lineColor, "#FF0000"));
        compare(context.lineWidth, 5);
        verify(!context.saveDrawingSettingsDebounce.timer.running);

        SettingsStore.setValue("drawing", "broken");
        const defaults = createContext();
        compare(defaults.recentDrawingTools, []);
        compare(defaults.lineWidthForTool(DrawingTool.Highlighter), 30);
    }

    function test_loadRepairsStoredItems() {
        DrawingStore.setDrawings([
            storedStroke({}),
            storedStroke({ points: [{ x: 7, y: 8 }] }), // a click of the pen
            storedStroke({ drawingTool: "Laser" }),
            storedStroke({ drawingTool: "" }),
            storedStroke({ type: undefined }),
            storedStroke({ type: "text" }),
            storedStroke({ windowId: 3 }),
            storedStroke({ lineWidth: -2 }),
            storedStroke({ lineColor: "red" }),
            storedStroke({ lineColor: { r: 0, g: 0.5, b: 1, a: 0.5 } }),
            storedStroke({ points: [] }),
            storedStroke({ points: "1,2" }),
            storedStroke({ points: [{ x: "a", y: 1 }, { x: 5, y: 6 }] }),
            storedStroke({ drawingTool: "Rectangle", lineWidth: 3000 }),
            { type: "shape", drawingTool: "EraserRectangle", windowId: "DrawingOverlay_2", lineWidth: 1,
              lineColor: { r: 1, g: 1, b: 1, a: 1 }, startX: 1, startY: 2, endX: 3, endY: 4 },
            { type: "shape", drawingTool: "Ellipse", startX: 1, startY: 2, endX: 3 }
        ]);
        DrawingStore.reload();
        const context = createContext();
        const items = context.drawItems;
        compare(items.length, 9);

        compare(items[0].drawingTool, DrawingTool.Pen);
        compare(items[0].windowId, "DrawingOverlay_1");
        compare(items[0].lineWidth, 4);
        compare(items[0].points, [1, 2, 3, 4]);
        compare(items[1].points, [7, 8]);
        compare(items[2].windowId, "DrawingOverlay_0");
        compare(items[3].lineWidth, 5);
        verify(Qt.colorEqual(items[4].lineColor, "#FF0000"));
        compare(items[5].lineColor.b, 1);
        fuzzyCompare(items[5].lineColor.a, 0.5, 0.001);
        compare(items[6].points, [5, 6]);
        // Type and tool are not compared with each other.
        compare(items[7].drawingTool, DrawingTool.Rectangle);
        compare(items[7].points, [1, 2, 3, 4]);
        compare(items[7].lineWidth, 100);
        compare(items[8].drawingTool, DrawingTool.EraserRectangle);
        compare([items[8].startX, items[8].startY, items[8].endX, items[8].endY], [1, 2, 3, 4]);
        verify(!context.canRedo && context.canUndo);

        // The next save writes a clean file that keeps every valid item.
        context.pushDrawItem(stroke("DrawingOverlay_3", [0.5, 0.25]));
        waitForSave(context);
        const file = readDrawingsFile();
        compare(file.version, 1);
        compare(file.items.length, 10);
        compare(file.items[1].points, [{ x: 7, y: 8 }]);
        compare(file.items[2].windowId, "DrawingOverlay_0");
        compare(file.items[4].lineColor, { a: 1, b: 0, g: 0, r: 1 });
        compare(file.items[7].type, "stroke");
        compare(file.items[8], { type: "shape", drawingTool: "EraserRectangle", windowId: "DrawingOverlay_2",
                                 lineWidth: 1, lineColor: { r: 1, g: 1, b: 1, a: 1 },
                                 startX: 1, startY: 2, endX: 3, endY: 4 });
        compare(file.items[9], { type: "stroke", drawingTool: "Pen", windowId: "DrawingOverlay_3", lineWidth: 5,
                                  lineColor: { r: 1, g: 0, b: 0, a: 1 }, points: [{ x: 0.5, y: 0.25 }] });
    }

    function test_damagedFileIsReplacedBySave() {
        const damaged = "{\"version\": 1, \"items\": [{\"type\": \"stroke\", \"drawingTo";
        ignoreWarning(/^\[DrawingStore\] JSON parse error:/);
        writeDrawingsFile(damaged);
        const context = createContext();
        compare(context.drawItems.length, 0);
        verify(!context.canClear);

        // The damaged file stays until the first save replaces it.
        context.pushDrawItem(shape("DrawingOverlay_0", DrawingTool.Arrow));
        compare(FileUtils.readFile(testCase.drawingsPath), damaged);
        waitForSave(context);
        const file = readDrawingsFile();
        compare(file.items.length, 1);
        compare(file.items[0].drawingTool, "Arrow");

        writeDrawingsFile("{\"version\": 1, \"extra\": [1], \"items\": [" +
                          "{\"type\": \"shape\", \"drawingTool\": \"Line\", \"windowId\": null, " +
                          "\"startX\": 0, \"startY\": 0, \"endX\": 10, \"endY\": 0}, 42, \"text\", null]}");
        const restored = createContext();
        compare(restored.drawItems.length, 1);
        compare(restored.drawItems[0].windowId, "DrawingOverlay_0");
        restored.undo();
        waitForSave(restored);
        const rewritten = readDrawingsFile();
        compare(rewritten.items, []);
        compare(rewritten.extra, [1]);
    }

    function test_savesAreDebouncedSnapshotsRestoredAtStart() {
        const context = createContext();
        const points = [];
        for (let i = 0; i < 50; ++i)
            points.push(i * 1.5, 100 - i / 3);
        context.pushDrawItem(stroke("DrawingOverlay_1", points));
        context.pushDrawItem(shape("DrawingOverlay_0", DrawingTool.Star));
        context.pushDrawItem(stroke("DrawingOverlay_0", [4, 4]));
        context.undo();
        // Nothing is written before the burst is over.
        compare(readDrawingsFile().items.length, 0);
        waitForSave(context);
        compare(readDrawingsFile().items.length, 2);

        // The file is the store's indented layout.
        const text = FileUtils.readFile(testCase.drawingsPath);
        verify(text.startsWith("{\n    \"items\": [\n        {\n            \"drawingTool\": \"Pen\",\n"), text.slice(0, 80));
        verify(text.endsWith("\n    ],\n    \"version\": 1\n}\n"));

        // A pending save is written at once by a flush, and only once.
        context.redo();
        context.saveDrawingsDebounce.flush();
        compare(readDrawingsFile().items.length, 3);
        verify(!context.saveDrawingsDebounce.timer.running);

        DrawingStore.reload();
        const restored = createContext();
        compare(restored.drawItems.length, 3);
        for (let i = 0; i < 3; ++i) {
            const before = context.drawItems[i];
            const after = restored.drawItems[i];
            for (const key of Object.keys(before)) {
                if (key === "lineColor")
                    verify(Qt.colorEqual(after.lineColor, before.lineColor), key);
                else
                    compare(after[key], before[key], key);
            }
        }
        compare(restored.undoStack.length, 0);
    }
}
