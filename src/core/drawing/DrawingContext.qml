import QtQuick
import Zem.Inkly

// The one shared drawing state: the current tool, colour and width, the
// remembered settings of each tool group, every drawn item of every window and
// the undo/redo history.
//
// A drawing item is a plain record:
//   drawingTool, windowId, lineColor, lineWidth, and either
//   points: ONE FLAT LIST OF NUMBERS [x0, y0, x1, y1, ...] for tools that draw
//           as a stroke (not a list of {x, y}; read point i as
//           points[2 * i], points[2 * i + 1]), or
//   startX, startY, endX, endY for the shapes, or
//   text, x, y (its top left corner) and fontSize for a text.
// Flat lists cross between JavaScript and the native store cheaply, lists of
// small maps do not, and the drawing is loaded at every start and saved after
// every stroke. A record is never changed once pushed (pushDrawItem only
// replaces a live reference in lineColor by a copy of the colour): its stored
// form is made once, when it is loaded or first saved, and kept with it as a
// hidden property.
QtObject {
    id: root

    property int drawingTool: DrawingTool.None
    // Most recent first, each tool once; the pointer tool counts too.
    property var recentDrawingTools: []
    property color lineColor: AppConstants.defaultLineColor
    property int lineWidth: AppConstants.defaultLineWidth
    // {pen, highlighter, shape, text: {lineColor, lineWidth}, eraser: {lineWidth}}
    property var drawingToolSettings: root.defaultDrawingToolSettings()
    // Oldest first. Changed in place: canvases follow the repaint signals.
    property var drawItems: []
    // The last entry is the next one redo restores.
    property var undoStack: []
    property bool canUndo: false
    property bool canRedo: false
    property bool canClear: false
    // "" for each screen's own ink, or the board every screen shows instead.
    property string board: ""
    readonly property var boardNames: ["white", "black"]
    // The pages not shown, by board name ("" for the screens' own ink):
    // {drawItems, undoStack}.
    property var pages: ({})
    // A text is being typed: the tool keys leave the keyboard to it.
    property bool textEditing: false
    readonly property bool drawingModeEnabled: root.drawingTool !== DrawingTool.None
    readonly property bool antialiasingEnabled: true
    readonly property bool resolutionOptimizationEnabled: true
    property bool loaded: false

    readonly property Debounce saveDrawingSettingsDebounce: Debounce {
        delay: 1000
        callback: payload => SettingsStore.setObject("drawing", payload)
    }
    readonly property Debounce saveDrawingsDebounce: Debounce {
        delay: 1000
        callback: storedForms => DrawingStore.setStoredDrawItems(storedForms)
    }
    // About one notification per displayed frame while a slider is dragged.
    readonly property Throttle touchDrawingToolSettingsThrottle: Throttle {
        delay: 17
        callback: () => root.touchDrawingToolSettings()
    }

    signal repaintAllRequested
    signal repaintRequested(string windowId, bool incrementalRendering)
    // Undo took `removedItem` off the end of the list; its window repaints
    // the area the item covered.
    signal repaintAreaRequested(string windowId, var removedItem)
    signal drawingToolManuallyChanged
    // Texts being typed are committed to the page they were begun on.
    signal pageAboutToChange
    signal lineColorManuallyChanged
    signal lineWidthManuallyChanged

    onDrawingToolSettingsChanged: root.scheduleSettingsSave()
    onRecentDrawingToolsChanged: root.scheduleSettingsSave()

    Component.onCompleted: {
        console.debug("[DrawingContext] initialized");
        root.drawingToolSettings = root.defaultDrawingToolSettings();
        root.lineColor = AppConstants.defaultLineColor;
        root.lineWidth = AppConstants.defaultLineWidth;
        root.loadDrawingSettings();
        root.loadDrawings();
        root.loaded = true;
    }

    // --- Tools, colours and widths ----------------------------------------

    function setDrawingTool(tool: int) {
        if (tool === root.drawingTool)
            return;
        root.drawingTool = tool;
        // The pointer tool keeps showing the width and colour last in use.
        if (tool !== DrawingTool.None) {
            root.lineWidth = root.lineWidthForTool(tool);
            root.lineColor = root.lineColorForTool(tool);
        }
        const recent = root.recentDrawingTools.filter(entry => entry !== tool);
        recent.unshift(tool);
        root.recentDrawingTools = recent;
        root.drawingToolManuallyChanged();
    }

    function findRecentDrawingTool(filter = null, defaultTool = DrawingTool.None) {
        for (const tool of root.recentDrawingTools) {
            if (!filter || filter(tool))
                return tool;
        }
        return defaultTool;
    }

    function ensureLineWidthDrawingTool() {
        if (!DrawingTool.hasLineWidth(root.drawingTool))
            root.setDrawingTool(root.findRecentDrawingTool(tool => DrawingTool.hasLineWidth(tool), DrawingTool.Pen));
    }

    function ensureLineColorDrawingTool() {
        if (!DrawingTool.hasLineColor(root.drawingTool))
            root.setDrawingTool(root.findRecentDrawingTool(tool => DrawingTool.hasLineColor(tool), DrawingTool.Pen));
    }

    function setLineColor(color) {
        const value = root.colorValue(color);
        if (value === null) {
            console.warn("[DrawingContext] setLineColor: not a colour: " + color);
            return;
        }
        if (Qt.colorEqual(value, root.lineColor))
            return;
        root.lineColor = value;
        root.setLineColorForTool(root.drawingTool, value);
        root.lineColorManuallyChanged();
    }

    function setLineWidth(width: int) {
        if (width === root.lineWidth)
            return;
        root.lineWidth = width;
        root.setLineWidthForTool(root.drawingTool, width);
        root.lineWidthManuallyChanged();
    }

    function lineColorForTool(tool: int): color {
        const group = root.colorGroupOf(tool);
        return group.length > 0 ? root.drawingToolSettings[group].lineColor : AppConstants.defaultLineColor;
    }

    function lineWidthForTool(tool: int): int {
        const group = root.widthGroupOf(tool);
        return group.length > 0 ? root.drawingToolSettings[group].lineWidth : AppConstants.defaultLineWidth;
    }

    function setLineColorForTool(tool: int, color) {
        const group = root.colorGroupOf(tool);
        if (group.length === 0) {
            console.warn("[DrawingContext] setLineColorForTool: unhandled type " + DrawingTool.toString(tool));
            return;
        }
        const value = root.colorValue(color);
        const settings = root.drawingToolSettings[group];
        if (value === null || Qt.colorEqual(settings.lineColor, value))
            return;
        settings.lineColor = value;
        root.touchDrawingToolSettingsThrottle.trigger();
    }

    function setLineWidthForTool(tool: int, width: int) {
        const group = root.widthGroupOf(tool);
        if (group.length === 0) {
            console.warn("[DrawingContext] setLineWidthForTool: unhandled type " + DrawingTool.toString(tool));
            return;
        }
        const settings = root.drawingToolSettings[group];
        if (settings.lineWidth === width)
            return;
        settings.lineWidth = width;
        root.touchDrawingToolSettingsThrottle.trigger();
    }

    function touchDrawingToolSettings() {
        root.drawingToolSettings = Object.assign({}, root.drawingToolSettings);
    }

    function colorGroupOf(tool: int): string {
        if (DrawingTool.isPen(tool))
            return "pen";
        if (DrawingTool.isText(tool))
            return "text";
        if (DrawingTool.isHighlighter(tool))
            return "highlighter";
        if (DrawingTool.isShape(tool))
            return "shape";
        return "";
    }

    function widthGroupOf(tool: int): string {
        return DrawingTool.isEraser(tool) ? "eraser" : root.colorGroupOf(tool);
    }

    function defaultDrawingToolSettings() {
        return {
            pen: {
                lineColor: root.colorValue(AppConstants.defaultLineColor),
                lineWidth: AppConstants.defaultLineWidth
            },
            highlighter: {
                lineColor: root.colorValue(AppConstants.defaultHighlighterColor),
                lineWidth: AppConstants.defaultHighlighterLineWidth
            },
            shape: {
                lineColor: root.colorValue(AppConstants.defaultLineColor),
                lineWidth: AppConstants.defaultLineWidth
            },
            text: {
                lineColor: root.colorValue(AppConstants.defaultLineColor),
                lineWidth: AppConstants.defaultLineWidth
            },
            eraser: {
                lineWidth: AppConstants.defaultEraserLineWidth
            }
        };
    }

    // A colour value of its own, or null for something that names no colour.
    // Reading a colour property gives a live reference to it, which would
    // follow later changes of that property if it were kept as it is.
    function colorValue(value) {
        if (value === undefined || value === null)
            return null;
        try {
            if (typeof value === "string")
                return Qt.color(value);
            if (typeof value === "object" && typeof value.r === "number")
                return Qt.rgba(value.r, value.g, value.b, value.a);
        } catch (error) {}
        return null;
    }

    // --- History ----------------------------------------------------------

    function pushDrawItem(item) {
        if (!item)
            return;
        console.debug("[DrawingContext] pushDrawItem " + DrawingTool.toString(item.drawingTool));
        // The colour the item was drawn with, not a reference that would
        // follow the context's colour from now on.
        const ownColor = root.colorValue(item.lineColor);
        if (ownColor !== null)
            item.lineColor = ownColor;
        root.drawItems.push(item);
        root.undoStack = [];
        root.updateFlags();
        root.repaintRequested(item.windowId, !root.markReplaced(item, true));
        root.saveDrawings();
        const tool = item.drawingTool;
        Qt.callLater(() => Stats.drawingStat(tool));
    }

    function undo() {
        console.debug("[DrawingContext] undo");
        if (root.drawItems.length === 0)
            return;
        const item = root.drawItems.pop();
        root.undoStack.push(item);
        root.updateFlags();
        if (root.markReplaced(item, false))
            root.repaintRequested(item.windowId, false);
        else
            root.repaintAreaRequested(item.windowId, item);
        root.saveDrawings();
    }

    function redo() {
        console.debug("[DrawingContext] redo");
        if (root.undoStack.length === 0)
            return;
        const item = root.undoStack.pop();
        root.drawItems.push(item);
        root.updateFlags();
        root.repaintRequested(item.windowId, !root.markReplaced(item, true));
        root.saveDrawings();
    }

    // Redo brings the cleared items back oldest first.
    function clear() {
        console.debug("[DrawingContext] clear");
        root.undoStack = root.drawItems.slice().reverse();
        root.drawItems = [];
        root.updateFlags();
        root.repaintAllRequested();
        root.saveDrawings();
    }

    // An edited text: `item` takes the place of `oldItem` in one undo step.
    // The old record stays in the list, hidden while its successor is there.
    function replaceDrawItem(oldItem, item) {
        if (!item)
            return;
        if (oldItem) {
            try {
                Object.defineProperty(item, "replaces", { value: oldItem });
            } catch (error) {}
        }
        root.pushDrawItem(item);
    }

    // Hides (or shows again) the item `item` replaces; false when it
    // replaces none. `replacedBy` is the record that hides it, or any
    // other object while it is being edited.
    function markReplaced(item, hidden: bool): bool {
        const old = item ? item.replaces : undefined;
        if (!old)
            return false;
        root.setHidden(old, hidden ? item : null);
        return true;
    }

    function setHidden(item, by) {
        try {
            Object.defineProperty(item, "replacedBy", { value: by, writable: true, configurable: true });
        } catch (error) {}
    }

    // The topmost text of `windowId` on the current page that covers the
    // canvas point, or null.
    function textAt(windowId: string, x: real, y: real): var {
        const items = root.drawItems;
        for (let i = items.length - 1; i >= 0; --i) {
            const item = items[i];
            if (!item || item.windowId !== windowId || !DrawingTool.isText(item.drawingTool) || item.replacedBy)
                continue;
            const g = DrawingRenderer.geometryOf(item);
            if (g && x >= g.minX && x <= g.maxX && y >= g.minY && y <= g.maxY)
                return item;
        }
        return null;
    }

    // The picture of `windowId` is painted again whole.
    function requestCanvasRefresh(windowId: string) {
        root.repaintRequested(windowId, false);
    }

    // --- Boards -----------------------------------------------------------

    // Shows the board `name` on every screen ("" for the screens' own ink);
    // each page keeps its items and its history.
    function setBoard(name: string) {
        if (name !== "" && !root.boardNames.includes(name)) {
            console.warn("[DrawingContext] setBoard: unknown board " + name);
            return;
        }
        if (name === root.board)
            return;
        root.pageAboutToChange();
        const pages = root.pages;
        pages[root.board] = { drawItems: root.drawItems, undoStack: root.undoStack };
        const page = pages[name] ? pages[name] : { drawItems: [], undoStack: [] };
        delete pages[name];
        root.drawItems = page.drawItems;
        root.undoStack = page.undoStack;
        root.board = name;
        DrawingRenderer.pageColor = root.boardColor(name);
        root.updateFlags();
        root.repaintAllRequested();
    }

    function boardColor(name: string): color {
        if (name === "white")
            return Theme.colorBoardWhite;
        if (name === "black")
            return Theme.colorBoardBlack;
        return "transparent";
    }

    function toggleBoard(name: string) {
        root.setBoard(root.board === name ? "" : name);
    }

    function pageItems(name: string) {
        if (name === root.board)
            return root.drawItems;
        const page = root.pages[name];
        return page ? page.drawItems : [];
    }

    function updateFlags() {
        root.canUndo = root.drawItems.length > 0;
        root.canRedo = root.undoStack.length > 0;
        root.canClear = root.canUndo || root.canRedo;
    }

    // --- Persistence ------------------------------------------------------

    // A snapshot of every item's stored form; the store joins them into the
    // file when the debounce fires.
    function saveDrawings() {
        if (!root.loaded)
            return;
        const boards = {};
        for (const name of root.boardNames)
            boards[name] = root.storedFormsOf(root.pageItems(name));
        DrawingStore.setBoardItems(boards);
        const storedForms = root.storedFormsOf(root.pageItems(""));
        root.saveDrawingsDebounce.trigger(storedForms);
        // Written from there if the display goes away within the delay.
        DrawingStore.setPendingDrawItems(storedForms);
    }

    // An edited text is stored as its last version only.
    function storedFormsOf(items) {
        const storedForms = [];
        for (let i = 0; i < items.length; ++i) {
            // A text being typed again is kept as it was until it is done.
            const by = items[i].replacedBy;
            if (!by || by.drawingTool === undefined)
                storedForms.push(root.storedFormOf(items[i]));
        }
        return storedForms;
    }

    function storedFormOf(item) {
        if (item.storedForm !== undefined)
            return item.storedForm;
        const tool = item.drawingTool;
        const type = DrawingTool.drawsAsStroke(tool) ? "stroke" : DrawingTool.isText(tool) ? "text" : "shape";
        const storedForm = DrawingStore.encodeDrawItem(item, type, DrawingTool.toString(item.drawingTool));
        root.keepStoredForm(item, storedForm);
        return storedForm;
    }

    // Hidden from enumeration, so the record keeps exactly its own fields.
    function keepStoredForm(item, storedForm) {
        try {
            Object.defineProperty(item, "storedForm", { value: storedForm });
        } catch (error) {
            // A sealed record is encoded again on every save.
        }
    }

    function loadDrawings() {
        const toolNames = [];
        for (let tool = DrawingTool.None; tool <= DrawingTool.Text; ++tool)
            toolNames.push(DrawingTool.toString(tool));
        const rules = {
            toolNames: toolNames,
            windowId: "DrawingOverlay_0",
            lineColor: AppConstants.defaultLineColor,
            lineWidth: AppConstants.defaultLineWidth,
            minLineWidth: AppConstants.minLineWidth,
            maxLineWidth: AppConstants.maxLineWidth
        };
        const boards = DrawingStore.readBoardItems(rules);
        const pages = {};
        for (const name of root.boardNames) {
            const page = boards[name];
            if (!page)
                continue;
            for (let i = 0; i < page.items.length; ++i)
                root.keepStoredForm(page.items[i], page.storedForms[i]);
            pages[name] = { drawItems: page.items, undoStack: [] };
        }
        root.pages = pages;
        const stored = DrawingStore.readDrawItems(rules);
        if (stored.storedCount === 0) {
            console.debug("[DrawingContext] No saved drawings found");
            return;
        }
        const items = stored.items;
        const storedForms = stored.storedForms;
        for (let i = 0; i < items.length; ++i)
            root.keepStoredForm(items[i], storedForms[i]);
        root.drawItems = items;
        root.undoStack = [];
        root.updateFlags();
        console.debug("[DrawingContext] Loaded " + items.length + " draw items");
    }

    function loadDrawingSettings() {
        const stored = SettingsStore.getValue("drawing", null);
        if (!root.isObject(stored)) {
            console.debug("[DrawingContext] No saved settings found, using defaults");
            return;
        }

        const recent = [];
        const names = stored.recentDrawingTools;
        if (Array.isArray(names)) {
            for (const name of names) {
                const tool = DrawingTool.fromString(typeof name === "string" ? name : "");
                if (!recent.includes(tool))
                    recent.push(tool);
            }
        }

        const settings = root.defaultDrawingToolSettings();
        for (const group of ["pen", "highlighter", "shape", "text", "eraser"]) {
            const entry = stored[group];
            if (!root.isObject(entry))
                continue;
            // Kept within what the toolbar offers: a huge stored width would
            // make the brush cursor as large.
            if (Number.isInteger(entry.lineWidth) && entry.lineWidth >= 0)
                settings[group].lineWidth = Math.min(Math.max(entry.lineWidth, AppConstants.minLineWidth),
                                                     AppConstants.maxLineWidth);
            // A text that names no colour keeps the default.
            if (group !== "eraser" && typeof entry.lineColor === "string") {
                const color = root.colorValue(entry.lineColor);
                if (color !== null)
                    settings[group].lineColor = color;
            }
        }

        root.drawingToolSettings = settings;
        if (recent.length > 0)
            root.recentDrawingTools = recent;
        console.debug("[DrawingContext] Settings loaded successfully");
    }

    function buildPersistPayload() {
        const settings = root.drawingToolSettings;
        return {
            pen: {
                lineColor: settings.pen.lineColor,
                lineWidth: settings.pen.lineWidth
            },
            highlighter: {
                lineColor: settings.highlighter.lineColor,
                lineWidth: settings.highlighter.lineWidth
            },
            shape: {
                lineColor: settings.shape.lineColor,
                lineWidth: settings.shape.lineWidth
            },
            text: {
                lineColor: settings.text.lineColor,
                lineWidth: settings.text.lineWidth
            },
            eraser: {
                lineWidth: settings.eraser.lineWidth
            },
            recentDrawingTools: root.recentDrawingTools.map(tool => DrawingTool.toString(tool))
        };
    }

    function scheduleSettingsSave() {
        if (root.loaded)
            root.saveDrawingSettingsDebounce.trigger(root.buildPersistPayload());
    }

    function isObject(value): bool {
        return value !== null && typeof value === "object" && !Array.isArray(value);
    }
}
