import QtQuick
import Zem.Inkly

// Moves the current tool through a fixed grid with the arrow keys (or W, A,
// S, D). Rows wrap around; entering a row returns to the tool last used in
// it. A move that stays in place opens or closes the row's extension panel,
// and inside an open panel the keys follow the panel's own direction.
Item {
    id: root

    required property DrawingContext drawingContext
    readonly property int drawingTool: root.drawingContext ? root.drawingContext.drawingTool : DrawingTool.None
    property int context: Qt.ApplicationShortcut
    property int orientation: Qt.Vertical
    readonly property bool horizontal: root.orientation === Qt.Horizontal
    readonly property bool vertical: root.orientation === Qt.Vertical
    // The current row's extension panel is open.
    property bool extended: false
    // That panel lists its tools left to right; false when it is mirrored.
    property bool extensionForward: false

    // The pointer, shape and eraser rows list their tools in the order of
    // their panels.
    readonly property var rows: [
        [DrawingTool.None, DrawingTool.Laser],
        [DrawingTool.Pen],
        [DrawingTool.Highlighter],
        [DrawingTool.Rectangle, DrawingTool.Ellipse, DrawingTool.Star, DrawingTool.DashedRectangle,
         DrawingTool.DashedEllipse, DrawingTool.Line, DrawingTool.Arrow, DrawingTool.Text],
        [DrawingTool.EraserBrush, DrawingTool.EraserRectangle]
    ]

    signal openExtension(int drawingTool)
    signal closeExtension(int drawingTool)
    signal toggleExpansion(int drawingTool)

    DirectionShortcut {
        enabled: root.enabled
        context: root.context
        onNavigated: direction => root.handleNavigated(direction)
    }

    function handleNavigated(direction: string) {
        if (!root.drawingContext)
            return;
        const tool = root.drawingTool;
        if (root.findPosition(tool) === null)
            return;
        const target = root.navigate(direction);
        if (target !== tool)
            root.drawingContext.setDrawingTool(target);
        else if (root.extended)
            root.closeExtension(tool);
        else
            root.openExtension(tool);
    }

    function navigate(direction: string): int {
        const position = root.findPosition(root.drawingTool);
        if (position === null)
            return root.drawingTool;
        const row = position.row;
        const column = position.column;
        const inPanel = root.isRowExtensible(row) && root.extended;
        let target = position;
        switch (direction) {
        case "up":
            if (root.vertical)
                target = root.prev(row, column);
            break;
        case "down":
            if (root.vertical)
                target = root.next(row, column);
            break;
        case "left":
            if (inPanel)
                target = root.extensionForward ? root.expansionPrev(row, column) : root.expansionNext(row, column);
            else if (root.horizontal)
                target = root.prev(row, column);
            break;
        case "right":
            if (inPanel)
                target = root.extensionForward ? root.expansionNext(row, column) : root.expansionPrev(row, column);
            else if (root.horizontal)
                target = root.next(row, column);
            break;
        }
        return root.rows[target.row][target.column];
    }

    // {row, column}, or null for a tool that has no place in the grid.
    function findPosition(tool: int): var {
        for (let row = 0; row < root.rows.length; ++row) {
            const column = root.rows[row].indexOf(tool);
            if (column >= 0)
                return { row: row, column: column };
        }
        return null;
    }

    function isRowExtensible(row: int): bool {
        return row >= 0 && row < root.rows.length && root.rows[row].length > 1;
    }

    function findRecentDrawingToolColumn(row: int): int {
        if (!root.isRowExtensible(row) || !root.drawingContext)
            return 0;
        const tools = root.rows[row];
        const recent = root.drawingContext.findRecentDrawingTool(tool => tools.includes(tool), tools[0]);
        return Math.max(0, tools.indexOf(recent));
    }

    function prev(row: int, column: int): var {
        const target = (row - 1 + root.rows.length) % root.rows.length;
        return { row: target, column: root.findRecentDrawingToolColumn(target) };
    }

    function next(row: int, column: int): var {
        const target = (row + 1) % root.rows.length;
        return { row: target, column: root.findRecentDrawingToolColumn(target) };
    }

    function expansionPrev(row: int, column: int): var {
        const count = root.rows[row].length;
        return { row: row, column: (column - 1 + count) % count };
    }

    function expansionNext(row: int, column: int): var {
        const count = root.rows[row].length;
        return { row: row, column: (column + 1) % count };
    }
}
