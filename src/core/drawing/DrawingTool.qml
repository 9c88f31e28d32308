pragma Singleton
import QtQuick

// The drawing tools and their traits. A tool travels as its integer value;
// only the stored forms (drawings.json, the recent-tools list) use its name.
QtObject {
    id: root

    // Add new tools at the BOTTOM: the names below are written to disk and the
    // navigation order follows this one. Inside this file the values are
    // written as numbers: the type name would resolve to this very file, not
    // to the module's singleton.
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
        EraserRectangle,
        Text,
        Laser
    }

    function isNone(tool: int): bool {
        return tool === 0;
    }
    function isPen(tool: int): bool {
        return tool === 1;
    }
    function isHighlighter(tool: int): bool {
        return tool === 2;
    }
    function isRectangle(tool: int): bool {
        return tool === 3;
    }
    function isEllipse(tool: int): bool {
        return tool === 4;
    }
    function isStar(tool: int): bool {
        return tool === 5;
    }
    function isLine(tool: int): bool {
        return tool === 6;
    }
    function isArrow(tool: int): bool {
        return tool === 7;
    }
    function isDashedRectangle(tool: int): bool {
        return tool === 8;
    }
    function isDashedEllipse(tool: int): bool {
        return tool === 9;
    }
    function isDashedLine(tool: int): bool {
        return tool === 10;
    }
    function isEraserBrush(tool: int): bool {
        return tool === 11;
    }
    function isEraserRectangle(tool: int): bool {
        return tool === 12;
    }

    function isText(tool: int): bool {
        return tool === 13;
    }
    // Shows a fading trail and leaves nothing behind.
    function isLaser(tool: int): bool {
        return tool === 14;
    }

    function isDrawable(tool: int): bool {
        return tool >= 1 && tool <= 14; // Pen .. Laser
    }
    // Tools whose work becomes an item of the drawing.
    function makesItems(tool: int): bool {
        return tool >= 1 && tool <= 13; // Pen .. Text
    }
    function isStroke(tool: int): bool {
        return tool === 1 || tool === 2; // Pen, Highlighter
    }
    // The area eraser is drawn like a shape but is not one: it has no shape
    // settings group and no colour.
    function isShape(tool: int): bool {
        return tool >= 3 && tool <= 10; // Rectangle .. DashedLine
    }
    function isDashedShape(tool: int): bool {
        return tool >= 8 && tool <= 10; // DashedRectangle .. DashedLine
    }
    function isEraser(tool: int): bool {
        return tool === 11 || tool === 12; // EraserBrush, EraserRectangle
    }
    // Geometry of an item: a list of points.
    function drawsAsStroke(tool: int): bool {
        return root.isStroke(tool) || tool === 11; // EraserBrush
    }
    // Geometry of an item: a start and an end point.
    function drawsAsShape(tool: int): bool {
        return root.isShape(tool) || tool === 12; // EraserRectangle
    }
    // The text's size follows the line width.
    function hasLineWidth(tool: int): bool {
        return root.drawsAsStroke(tool) || root.drawsAsShape(tool) || tool === 13;
    }
    function hasLineColor(tool: int): bool {
        return root.makesItems(tool) && !root.isEraser(tool);
    }
    // The tools offered in the shape panel.
    function inShapePanel(tool: int): bool {
        return root.isShape(tool) || tool === 13;
    }

    // Untyped on purpose: a fractional or non-numeric value is not coerced into
    // a valid tool.
    function toString(tool): string {
        switch (tool) {
        case 0:
            return "None";
        case 1:
            return "Pen";
        case 2:
            return "Highlighter";
        case 3:
            return "Rectangle";
        case 4:
            return "Ellipse";
        case 5:
            return "Star";
        case 6:
            return "Line";
        case 7:
            return "Arrow";
        case 8:
            return "DashedRectangle";
        case 9:
            return "DashedEllipse";
        case 10:
            return "DashedLine";
        case 11:
            return "EraserBrush";
        case 12:
            return "EraserRectangle";
        case 13:
            return "Text";
        case 14:
            return "Laser";
        }
        return "Unknown";
    }
    // Case-sensitive: the stored names are written exactly as toString gives them.
    function fromString(name: string): int {
        switch (name) {
        case "Pen":
            return 1;
        case "Highlighter":
            return 2;
        case "Rectangle":
            return 3;
        case "Ellipse":
            return 4;
        case "Star":
            return 5;
        case "Line":
            return 6;
        case "Arrow":
            return 7;
        case "DashedRectangle":
            return 8;
        case "DashedEllipse":
            return 9;
        case "DashedLine":
            return 10;
        case "EraserBrush":
            return 11;
        case "EraserRectangle":
            return 12;
        case "Text":
            return 13;
        case "Laser":
            return 14;
        }
        return 0;
    }
}
