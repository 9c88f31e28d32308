import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "DrawingTool"

    readonly property var allNames: ["None", "Pen", "Highlighter", "Rectangle", "Ellipse", "Star", "Line", "Arrow", "DashedRectangle", "DashedEllipse", "DashedLine", "EraserBrush", "EraserRectangle"]

    // Tools for which a predicate is true; everything else must be false.
    function toolsWhere(predicate) {
        const result = [];
        for (let tool = -1; tool <= 13; ++tool) {
            if (predicate(tool))
                result.push(tool);
        }
        return result;
    }

    function test_namesAreTheStoredFormat() {
        compare(DrawingTool.None, 0);
        compare(DrawingTool.Pen, 1);
        compare(DrawingTool.DashedLine, 10);
        compare(DrawingTool.EraserRectangle, 12);
        for (let tool = 0; tool < testCase.allNames.length; ++tool) {
            const name = testCase.allNames[tool];
            compare(DrawingTool.toString(tool), name);
            compare(DrawingTool.fromString(name), tool, name);
            compare(DrawingTool.toString(DrawingTool.fromString(name)), name);
        }
        compare(DrawingTool.toString(13), "Unknown");
        compare(DrawingTool.toString(-1), "Unknown");
        compare(DrawingTool.toString(1.5), "Unknown");
        compare(DrawingTool.fromString("pen"), DrawingTool.None);
        compare(DrawingTool.fromString("Unknown"), DrawingTool.None);
        compare(DrawingTool.fromString(""), DrawingTool.None);
        compare(DrawingTool.fromString(" Pen"), DrawingTool.None);
    }

    function test_singleToolTests() {
        const tests = [DrawingTool.isNone, DrawingTool.isPen, DrawingTool.isHighlighter, DrawingTool.isRectangle, DrawingTool.isEllipse, DrawingTool.isStar, DrawingTool.isLine, DrawingTool.isArrow, DrawingTool.isDashedRectangle, DrawingTool.isDashedEllipse, DrawingTool.isDashedLine, DrawingTool.isEraserBrush, DrawingTool.isEraserRectangle];
        for (let i = 0; i < tests.length; ++i)
            compare(toolsWhere(tests[i]), [i], testCase.allNames[i]);
    }

    function test_groups() {
        const T = DrawingTool;
        compare(toolsWhere(T.isDrawable), [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12]);
        compare(toolsWhere(T.isStroke), [T.Pen, T.Highlighter]);
        compare(toolsWhere(T.isShape), [T.Rectangle, T.Ellipse, T.Star, T.Line, T.Arrow, T.DashedRectangle, T.DashedEllipse, T.DashedLine]);
        compare(toolsWhere(T.isDashedShape), [T.DashedRectangle, T.DashedEllipse, T.DashedLine]);
        compare(toolsWhere(T.isEraser), [T.EraserBrush, T.EraserRectangle]);
        compare(toolsWhere(T.drawsAsStroke), [T.Pen, T.Highlighter, T.EraserBrush]);
        compare(toolsWhere(T.drawsAsShape), [3, 4, 5, 6, 7, 8, 9, 10, T.EraserRectangle]);
        compare(toolsWhere(T.hasLineWidth), [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12]);
        compare(toolsWhere(T.hasLineColor), [1, 2, 3, 4, 5, 6, 7, 8, 9, 10]);
    }

    // The erasers borrow a geometry without joining the group that picks
    // settings and colour.
    function test_erasersDrawLikeButAreNotStrokesOrShapes() {
        verify(!DrawingTool.isStroke(DrawingTool.EraserBrush));
        verify(DrawingTool.drawsAsStroke(DrawingTool.EraserBrush));
        verify(!DrawingTool.isShape(DrawingTool.EraserRectangle));
        verify(DrawingTool.drawsAsShape(DrawingTool.EraserRectangle));
        verify(DrawingTool.hasLineWidth(DrawingTool.EraserRectangle));
        verify(!DrawingTool.hasLineColor(DrawingTool.EraserRectangle));
        verify(!DrawingTool.hasLineWidth(DrawingTool.None));
        verify(!DrawingTool.hasLineColor(DrawingTool.None));
    }
}
