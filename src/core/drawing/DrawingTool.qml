pragma Singleton
import QtQuick
import Zem.Inkly

// The drawing tools and their traits. A tool travels as its integer value;
// only the stored forms (drawings.json, the recent-tools list) use its name.
QtObject {
    id: root

    // Add new tools at the BOTTOM: the names below are written to disk and the
    // navigation order follows this one.
    enum DrawingTool {
        None,
        Pen,
        Highlighter,
        Rectangle,
        Ellipse,
        Star,
        Line,
        Arrow,
        DashedRectangle,
        DashedEllipse,
        DashedLine,
        EraserBrush,
        EraserRectangle
    }

    function isNone(tool: int): bool {
        return tool === DrawingTool.None;
    }
    function isPen(tool: int): bool {
        return tool === DrawingTool.Pen;
    }
    function isHighlighter(tool: int): bool {
        return tool === DrawingTool.Highlighter;
    }
    function isRectangle(tool: int): bool {
        return tool === DrawingTool.Rectangle;
    }
    function isEllipse(tool: int): bool {
        return tool === DrawingTool.Ellipse;
    }
    function isLine(tool: int): bool {
        return tool === DrawingTool.Line;
    }
    function isArrow(tool: int): bool {
        return tool === DrawingTool.Arrow;
    }
    function isStar(tool: int): bool {
        return tool === DrawingTool.Star;
    }
    function isDashedRectangle(tool: int): bool {
        return tool === DrawingTool.DashedRectangle;
    }
    function isDashedEllipse(tool: int): bool {
        return tool === DrawingTool.DashedEllipse;
    }
    function isDashedLine(tool: int): bool {
        return tool === DrawingTool.DashedLine;
    }
    function isEraserBrush(tool: int): bool {
        return tool === DrawingTool.EraserBrush;
    }
    function isEraserRectangle(tool: int): bool {
        return tool === DrawingTool.EraserRectangle;
    }

    function isDrawable(tool: int): bool {
        return tool >= DrawingTool.Pen && tool <= DrawingTool.EraserRectangle;
    }
    function isStroke(tool: int): bool {
        return tool === DrawingTool.Pen || tool === DrawingTool.Highlighter;
    }
    // The area eraser is drawn like a shape but is not one: it has no shape
    // settings group and no colour.
    function isShape(tool: int): bool {
        return tool >= DrawingTool.Rectangle && tool <= DrawingTool.DashedLine;
    }
    function isDashedShape(tool: int): bool {
        return tool === DrawingTool.DashedRectangle || tool === DrawingTool.DashedEllipse || tool === DrawingTool.DashedLine;
    }
    function isEraser(tool: int): bool {
        return tool === DrawingTool.EraserBrush || tool === DrawingTool.EraserRectangle;
    }
    // Geometry of an item: a list of points.
    function drawsAsStroke(tool: int): bool {
        return root.isStroke(tool) || tool === DrawingTool.EraserBrush;
    }
    // Geometry of an item: a start and an end point.
    function drawsAsShape(tool: int): bool {
        return root.isShape(tool) || tool === DrawingTool.EraserRectangle;
    }
    function hasLineWidth(tool: int): bool {
        return root.drawsAsStroke(tool) || root.drawsAsShape(tool);
    }
    function hasLineColor(tool: int): bool {
        return root.isDrawable(tool) && !root.isEraser(tool);
    }

    function toString(tool: int): string {
        switch (tool) {
        case DrawingTool.None:
            return "None";
        case DrawingTool.Pen:
            return "Pen";
        case DrawingTool.Highlighter:
            return "Highlighter";
        case DrawingTool.Rectangle:
            return "Rectangle";
        case DrawingTool.Ellipse:
            return "Ellipse";
        case DrawingTool.Star:
            return "Star";
        case DrawingTool.Line:
            return "Line";
        case DrawingTool.Arrow:
            return "Arrow";
        case DrawingTool.DashedRectangle:
            return "DashedRectangle";
        case DrawingTool.DashedEllipse:
            return "DashedEllipse";
        case DrawingTool.DashedLine:
            return "DashedLine";
        case DrawingTool.EraserBrush:
            return "EraserBrush";
        case DrawingTool.EraserRectangle:
            return "EraserRectangle";
        }
        return "Unknown";
    }
    // Case-sensitive: the stored names are written exactly as toString gives them.
    function fromString(name: string): int {
        for (let tool = DrawingTool.Pen; tool <= DrawingTool.EraserRectangle; ++tool) {
            if (root.toString(tool) === name)
                return tool;
        }
        return DrawingTool.None;
    }
}
