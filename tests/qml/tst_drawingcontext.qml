import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "DrawingContext"

    Component { id: contextComponent; DrawingContext {} }
    SignalSpy { id: settingsSpy; signalName: "drawingToolSettingsChanged" }

    readonly property string drawingsPath: DrawingStore.filePath()

    function createContext() {
        const context = createTemporaryObject(contextComponent, testCase);
        settingsSpy.target = context;
        settingsSpy.clear();
        return context;
    }

    function stroke(windowId, points) {
        return { drawingTool: DrawingTool.Pen, windowId: windowId, lineColor: Qt.color("#ff0000"), lineWidth: 5, points: points };
    }

    function shape(windowId, tool) {
        return { drawingTool: tool, windowId: windowId, lineColor: Qt.color("#00ff00"), lineWidth: 3,
                 startX: 1, startY: 2, endX: 30.5, endY: 40.25 };
    }

    function storedStroke(fields) {
        return Object.assign({ type: "stroke", drawingTool: "Pen", windowId: "DrawingOverlay_1", lineColor: { r: 0, g: 0, b: 1, a: 1 },
                               lineWidth: 4, points: [{ x: 1, y: 2 }, { x: 3, y: 4 }] }, fields);
    }

    function readDrawingsFile() {
        return JSON.parse(FileUtils.readFile(testCase.drawingsPath));
    }

    function waitForSave(context) {
        tryVerify(() => !context.saveDrawingsDebounce.timer.running, 5000);
    }

    function init() {
        DrawingStore.setDrawings([]);
        SettingsStore.setObject("drawing", {});
    }

    function test_history() {
        const context = createContext();
        const items = { a: stroke("DrawingOverlay_1", [1, 1, 2, 2]), b: stroke("DrawingOverlay_0", [3, 3]), c: shape("DrawingOverlay_0", DrawingTool.Rectangle) };
        const names = list => list.map(item => Object.keys(items).find(key => items[key] === item)).join("");
        // Each step, then what is drawn, what redo can bring back, and
        // whether undo, redo and clear are offered.
        const steps = [["a", "a", "", "u-c"], ["b", "ab", "", "u-c"], ["c", "abc", "", "u-c"], ["undo", "ab", "c", "urc"], ["redo", "abc", "", "u-c"],
                       ["clear", "", "abc", "-rc"], ["redo", "a", "bc", "urc"], ["redo", "ab", "c", "urc"], ["c", "abc", "", "u-c"],
                       ["undo", "ab", "c", "urc"], ["clear", "", "ab", "-rc"], ["clear", "", "", "---"], ["undo", "", "", "---"], ["redo", "", "", "---"]];
        for (const [step, drawn, redo, flags] of steps) {
            if (items[step])
                context.pushDrawItem(items[step]);
            else
                context[step]();
            const offered = (context.canUndo ? "u" : "-") + (context.canRedo ? "r" : "-") + (context.canClear ? "c" : "-");
            compare([names(context.drawItems), names(context.undoStack).split("").sort().join(""), offered], [drawn, redo, flags], step);
        }
    }

    function test_pushedItemsKeepTheirColour() {
        const context = createContext();
        context.setDrawingTool(DrawingTool.Pen);
        // Reading a colour property gives a live reference to it.
        const item = stroke("DrawingOverlay_0", [1, 2, 3, 4]);
        item.lineColor = context.lineColor;
        context.pushDrawItem(item);
        context.setLineColor("#0000ff");
        verify(Qt.colorEqual(context.drawItems[0].lineColor, "#ff0000"));
    }

    // Pen, highlighter, shapes and erasers each keep their own width and
    // colour; the pointer keeps the last values.
    function test_eachGroupRemembersItsSettings() {
        const context = createContext();
        const T = DrawingTool;
        const steps = [[T.Highlighter, null, null, 30, "#FFF600"], [T.None, null, null, 30, "#FFF600"], [T.Pen, "#00ff00", 12, 12, "#00ff00"],
                       [T.Star, "#123456", null, 5, "#123456"], [T.DashedLine, null, null, 5, "#123456"], [T.EraserBrush, null, 44, 44, null],
                       [T.EraserRectangle, null, null, 44, null], [T.Pen, null, null, 12, "#00ff00"]];
        for (const [tool, color, width, expectWidth, expectColor] of steps) {
            context.setDrawingTool(tool);
            if (color)
                context.setLineColor(color);
            if (width)
                context.setLineWidth(width);
            compare(context.lineWidth, expectWidth, DrawingTool.toString(tool));
            verify(!expectColor || Qt.colorEqual(context.lineColor, expectColor), DrawingTool.toString(tool));
        }
        compare(context.recentDrawingTools, [T.Pen, T.EraserRectangle, T.EraserBrush, T.DashedLine, T.Star, T.None, T.Highlighter]);
    }

    // The most recent tool of a kind, the pen when there is none; an eraser
    // has a width but no colour.
    function test_ensureTools_data() {
        const T = DrawingTool;
        return [
            { tag: "width after an eraser", used: [T.Pen, T.EraserBrush, T.None], ensure: "ensureLineWidthDrawingTool", expect: T.EraserBrush },
            { tag: "colour after an eraser", used: [T.Pen, T.EraserBrush, T.None], ensure: "ensureLineColorDrawingTool", expect: T.Pen },
            { tag: "colour after a shape", used: [T.Star, T.None], ensure: "ensureLineColorDrawingTool", expect: T.Star },
            { tag: "colour, nothing used", used: [], ensure: "ensureLineColorDrawingTool", expect: T.Pen }
        ];
    }

    function test_ensureTools(data) {
        const context = createContext();
        for (const tool of data.used)
            context.setDrawingTool(tool);
        context[data.ensure]();
        compare(context.drawingTool, data.expect);
    }

    function test_settingsAreThrottledAndSavedOnce() {
        const context = createContext();
        for (let width = 6; width <= 15; ++width)
            context.setLineWidthForTool(DrawingTool.Pen, width);
        // At once for the first change, once more at the end of the window.
        compare(settingsSpy.count, 1);
        tryVerify(() => settingsSpy.count === 2 && context.drawingToolSettings.pen.lineWidth === 15);
        context.setLineColorForTool(DrawingTool.Rectangle, "#00FF00");
        context.setDrawingTool(DrawingTool.Highlighter);

        compare(SettingsStore.getValue("drawing.pen.lineWidth", null), null, "written after the burst");
        tryCompare(context.saveDrawingSettingsDebounce.timer, "running", false, 5000);
        compare(SettingsStore.getValue("drawing", null), {
            pen: { lineWidth: 15, lineColor: "#ff0000" }, highlighter: { lineWidth: 30, lineColor: "#fff600" },
            shape: { lineWidth: 5, lineColor: "#00ff00" }, text: { lineWidth: 5, lineColor: "#ff0000" }, eraser: { lineWidth: 30 }, recentDrawingTools: ["Highlighter"]
        });
    }

    function test_loadRepairsStoredSettings() {
        SettingsStore.setObject("drawing", {
            recentDrawingTools: ["Pen", "Chalk", "Pen", "Laser"],
            pen: { lineWidth: 0, lineColor: "#00ff00" },
            highlighter: { lineWidth: 2.5, lineColor: "no colour" },
            shape: { lineWidth: "12", lineColor: "#80123456" },
            eraser: { lineWidth: 1000000, lineColor: "#0000ff" }
        });
        const context = createContext();
        compare(context.recentDrawingTools, [DrawingTool.Pen, DrawingTool.None, DrawingTool.Laser]);
        compare([DrawingTool.Pen, DrawingTool.Highlighter, DrawingTool.Ellipse, DrawingTool.EraserBrush].map(t => context.lineWidthForTool(t)),
                [1, 30, 5, 100]);
        compare([DrawingTool.Pen, DrawingTool.Highlighter, DrawingTool.Ellipse].map(t => context.lineColorForTool(t).toString()), ["#00ff00", "#fff600", "#80123456"]);
        // Loading schedules no save.
        verify(!context.saveDrawingSettingsDebounce.timer.running);

        SettingsStore.setValue("drawing", "broken");
        const defaults = createContext();
        compare([defaults.recentDrawingTools, defaults.lineWidthForTool(DrawingTool.Highlighter)], [[], 30]);
    }

    // Records the program cannot draw (the laser's, with this program's
    // tools) are kept for the file as they were, others are mended with its
    // defaults; the next save writes them all.
    function test_loadRepairsStoredItems() {
        DrawingStore.setDrawings([
            storedStroke({}),
            storedStroke({ points: [{ x: 7, y: 8 }] }), // a click of the pen
            storedStroke({ drawingTool: "Laser" }),
            storedStroke({ windowId: 3, lineWidth: -2, lineColor: "red" }),
            storedStroke({ drawingTool: "Rectangle", lineWidth: 3000 }),
            { type: "shape", drawingTool: "EraserRectangle", windowId: "DrawingOverlay_2", lineWidth: 1,
              lineColor: { r: 1, g: 1, b: 1, a: 1 }, startX: 1, startY: 2, endX: 3, endY: 4 }
        ]);
        DrawingStore.reload();
        const context = createContext();
        compare(context.drawItems.map(item => [item.drawingTool, item.windowId, item.lineWidth, item.points]), [
            [DrawingTool.Pen, "DrawingOverlay_1", 4, [1, 2, 3, 4]], [DrawingTool.Pen, "DrawingOverlay_1", 4, [7, 8]],
            [DrawingTool.Pen, "DrawingOverlay_0", 5, [1, 2, 3, 4]], [DrawingTool.Rectangle, "DrawingOverlay_1", 100, [1, 2, 3, 4]],
            [DrawingTool.EraserRectangle, "DrawingOverlay_2", 1, undefined]]);
        verify(Qt.colorEqual(context.drawItems[2].lineColor, "#FF0000"));
        verify(!context.canRedo && context.canUndo);

        context.pushDrawItem(stroke("DrawingOverlay_3", [0.5, 0.25]));
        compare(readDrawingsFile().items.length, 6, "nothing is written before the burst is over");
        waitForSave(context);
        const file = readDrawingsFile();
        compare([file.version, file.items.length, file.items[0], file.items[2].points, file.items[3].lineColor],
                [1, 7, storedStroke({ drawingTool: "Laser" }), [{ x: 7, y: 8 }], { a: 1, b: 0, g: 0, r: 1 }]);
        compare(file.items[5], { type: "shape", drawingTool: "EraserRectangle", windowId: "DrawingOverlay_2",
                                 lineWidth: 1, lineColor: { r: 1, g: 1, b: 1, a: 1 }, startX: 1, startY: 2, endX: 3, endY: 4 });
        compare(file.items[6], { type: "stroke", drawingTool: "Pen", windowId: "DrawingOverlay_3", lineWidth: 5,
                                 lineColor: { r: 1, g: 0, b: 0, a: 1 }, points: [{ x: 0.5, y: 0.25 }] });
    }

}
