import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "DrawingToolNavigator"
    width: 300
    height: 300
    when: windowShown
    // TestCase is invisible by default, and hidden items get no input.
    visible: true

    Component {
        id: contextComponent
        DrawingContext {}
    }
    Component {
        id: navigatorComponent
        DrawingToolNavigator {}
    }
    Component {
        id: stepperHostComponent
        Rectangle {
            property alias stepper: stepper
            required property DrawingContext drawingContext
            width: 100
            height: 100
            LineWidthStepper {
                id: stepper
                drawingContext: parent.drawingContext
            }
        }
    }

    SignalSpy {
        id: openSpy
        signalName: "openExtension"
    }
    SignalSpy {
        id: closeSpy
        signalName: "closeExtension"
    }

    property DrawingContext context: null
    property DrawingToolNavigator navigator: null

    function init() {
        context = createTemporaryObject(contextComponent, testCase);
        navigator = createTemporaryObject(navigatorComponent, testCase, { drawingContext: context });
        verify(navigator !== null);
        openSpy.target = navigator;
        closeSpy.target = navigator;
        openSpy.clear();
        closeSpy.clear();
    }

    function test_rowsWrapAndRememberTheirTool() {
        compare(navigator.drawingTool, DrawingTool.None);
        compare(navigator.navigate("up"), DrawingTool.EraserBrush, "row 0 wraps to the eraser row");
        compare(navigator.navigate("down"), DrawingTool.Pen);
        compare(navigator.navigate("left"), DrawingTool.None, "vertical: left stays in a closed row");

        context.setDrawingTool(DrawingTool.EraserRectangle);
        compare(navigator.navigate("down"), DrawingTool.None, "the eraser row wraps to row 0");
        context.setDrawingTool(DrawingTool.None);
        compare(navigator.navigate("up"), DrawingTool.EraserRectangle, "the row's most recent tool");

        context.setDrawingTool(DrawingTool.Highlighter);
        compare(navigator.navigate("down"), DrawingTool.Rectangle, "no shape used yet");
        context.setDrawingTool(DrawingTool.Star);
        context.setDrawingTool(DrawingTool.Highlighter);
        compare(navigator.navigate("down"), DrawingTool.Star);
        compare(navigator.findRecentDrawingToolColumn(3), 2);
        compare(navigator.findRecentDrawingToolColumn(1), 0);

        compare(navigator.findPosition(DrawingTool.Arrow), { row: 3, column: 6 });
        compare(navigator.findPosition(DrawingTool.DashedLine), null);
        verify(navigator.isRowExtensible(3) && navigator.isRowExtensible(4));
        verify(!navigator.isRowExtensible(0) && !navigator.isRowExtensible(1) && !navigator.isRowExtensible(2));
    }

    function test_openPanelFollowsItsDirection() {
        context.setDrawingTool(DrawingTool.Arrow);
        navigator.extended = true;
        navigator.extensionForward = true;
        compare(navigator.navigate("right"), DrawingTool.Rectangle, "wraps within the row");
        compare(navigator.navigate("left"), DrawingTool.Line);
        compare(navigator.navigate("up"), DrawingTool.Highlighter, "vertical: up still changes the row");
        navigator.extensionForward = false;
        compare(navigator.navigate("right"), DrawingTool.Line, "a mirrored panel reverses the keys");
        compare(navigator.navigate("left"), DrawingTool.Rectangle);

        navigator.orientation = Qt.Horizontal;
        verify(navigator.horizontal && !navigator.vertical);
        compare(navigator.navigate("up"), DrawingTool.Arrow, "horizontal: up stays");
        compare(navigator.navigate("right"), DrawingTool.Line, "horizontal, open panel: as in vertical");
        navigator.extended = false;
        compare(navigator.navigate("right"), DrawingTool.EraserBrush, "horizontal, closed: next row");
        compare(navigator.navigate("left"), DrawingTool.Highlighter);
    }

    function test_keysChangeToolOrToggleExtension() {
        context.setDrawingTool(DrawingTool.Ellipse);
        keyClick(Qt.Key_Left);
        compare(context.drawingTool, DrawingTool.Ellipse);
        compare(openSpy.count, 1, "a move in place opens the panel");
        compare(openSpy.signalArguments[0][0], DrawingTool.Ellipse);

        navigator.extended = true;
        navigator.extensionForward = true;
        keyClick(Qt.Key_A);
        compare(context.drawingTool, DrawingTool.Rectangle, "inside the open panel");
        compare(openSpy.count, 1);
        compare(closeSpy.count, 0);

        navigator.orientation = Qt.Horizontal;
        keyClick(Qt.Key_W);
        compare(closeSpy.count, 1, "a move in place closes an open panel");
        compare(closeSpy.signalArguments[0][0], DrawingTool.Rectangle);

        navigator.extended = false;
        context.setDrawingTool(DrawingTool.Pen);
        keyClick(Qt.Key_Up);
        compare(openSpy.count, 2);
        compare(openSpy.signalArguments[1][0], DrawingTool.Pen);
        keyClick(Qt.Key_D);
        compare(context.drawingTool, DrawingTool.Highlighter);

        context.setDrawingTool(DrawingTool.DashedLine);
        keyClick(Qt.Key_Down);
        keyClick(Qt.Key_Up);
        compare(context.drawingTool, DrawingTool.DashedLine, "a tool outside the grid does not move");
        compare(openSpy.count + closeSpy.count, 3);

        context.setDrawingTool(DrawingTool.Pen);
        navigator.enabled = false;
        keyClick(Qt.Key_Right);
        compare(context.drawingTool, DrawingTool.Pen, "disabled");
    }

    function test_lineWidthStepper() {
        const host = createTemporaryObject(stepperHostComponent, testCase, { drawingContext: context });
        verify(host);
        compare(host.stepper.minValue, 1);
        compare(host.stepper.maxValue, 100);

        context.setDrawingTool(DrawingTool.Pen);
        mouseWheel(host, 50, 50, 0, 120, Qt.NoButton, Qt.ShiftModifier);
        compare(context.lineWidth, 6);
        mouseWheel(host, 50, 50, 0, -8, Qt.NoButton, Qt.ShiftModifier);
        compare(context.lineWidth, 5, "one step per event whatever its size");
        mouseWheel(host, 50, 50, 0, 120);
        compare(context.lineWidth, 5, "no step without Shift");
        mouseWheel(host, 50, 50, 0, 120, Qt.NoButton, Qt.ShiftModifier | Qt.ControlModifier);
        compare(context.lineWidth, 5, "Shift only");

        context.setLineWidth(100);
        const changes = [];
        const record = () => changes.push(context.lineWidth);
        context.lineWidthManuallyChanged.connect(record);
        mouseWheel(host, 50, 50, 0, 120, Qt.NoButton, Qt.ShiftModifier);
        compare(context.lineWidth, 100);
        context.setLineWidth(1);
        mouseWheel(host, 50, 50, 0, -120, Qt.NoButton, Qt.ShiftModifier);
        compare(context.lineWidth, 1);
        compare(changes, [1], "nothing happens at either bound");
        context.lineWidthManuallyChanged.disconnect(record);

        // The pointer mode first brings back the last tool with a width.
        context.setDrawingTool(DrawingTool.EraserBrush);
        context.setDrawingTool(DrawingTool.None);
        compare(context.lineWidth, 30);
        mouseWheel(host, 50, 50, 0, 120, Qt.NoButton, Qt.ShiftModifier);
        compare(context.drawingTool, DrawingTool.EraserBrush);
        compare(context.lineWidth, 31);
        compare(context.lineWidthForTool(DrawingTool.EraserRectangle), 31);
    }
}
