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

    Component { id: contextComponent; DrawingContext {} }
    Component { id: navigatorComponent; DrawingToolNavigator {} }
    Component {
        id: stepperHostComponent
        Rectangle {
            required property DrawingContext drawingContext
            width: 100; height: 100
            LineWidthStepper { drawingContext: parent.drawingContext }
        }
    }
    SignalSpy { id: openSpy; signalName: "openExtension" }
    SignalSpy { id: closeSpy; signalName: "closeExtension" }

    property DrawingContext context: null
    property DrawingToolNavigator navigator: null

    function init() {
        context = createTemporaryObject(contextComponent, testCase);
        navigator = createTemporaryObject(navigatorComponent, testCase, { drawingContext: context });
        for (const spy of [openSpy, closeSpy]) {
            spy.target = navigator;
            spy.clear();
        }
    }

    // Rows: 0 pointer, 1 pen, 2 highlighter, 3 shapes, 4 erasers. `used`
    // are the tools chosen before, the last one current.
    function test_navigate_data() {
        const T = DrawingTool, H = Qt.Horizontal;
        return [
            { tag: "up from row 0 wraps to the erasers", used: [T.None], direction: "up", expect: T.EraserBrush },
            { tag: "down", used: [T.None], direction: "down", expect: T.Pen },
            { tag: "vertical: left stays in a closed row", used: [T.None], direction: "left", expect: T.None },
            { tag: "down from the erasers wraps to row 0", used: [T.EraserRectangle], direction: "down", expect: T.None },
            { tag: "a row's most recent tool", used: [T.EraserRectangle, T.None], direction: "up", expect: T.EraserRectangle },
            { tag: "no shape used yet: the first", used: [T.Highlighter], direction: "down", expect: T.Rectangle },
            { tag: "the last shape used", used: [T.Star, T.Highlighter], direction: "down", expect: T.Star },
            { tag: "open panel: right wraps within the row", used: [T.Arrow], extended: true, direction: "right", expect: T.Rectangle },
            { tag: "open panel: left", used: [T.Arrow], extended: true, direction: "left", expect: T.Line },
            { tag: "open panel, vertical: up still changes the row", used: [T.Arrow], extended: true, direction: "up", expect: T.Highlighter },
            { tag: "mirrored panel reverses the keys", used: [T.Arrow], extended: true, backward: true, direction: "right", expect: T.Line },
            { tag: "horizontal: up stays", used: [T.Arrow], orientation: H, direction: "up", expect: T.Arrow },
            { tag: "horizontal, open panel: as in vertical", used: [T.Arrow], extended: true, orientation: H, direction: "right", expect: T.Rectangle },
            { tag: "horizontal, closed: next row", used: [T.Arrow], orientation: H, direction: "right", expect: T.EraserBrush },
            { tag: "a tool outside the grid stays", used: [T.DashedLine], direction: "down", expect: T.DashedLine }
        ];
    }

    function test_navigate(data) {
        for (const tool of data.used)
            context.setDrawingTool(tool);
        navigator.extended = !!data.extended;
        navigator.extensionForward = !data.backward;
        navigator.orientation = data.orientation || Qt.Vertical;
        compare(navigator.navigate(data.direction), data.expect);
    }

    function test_keysChangeToolOrToggleExtension() {
        context.setDrawingTool(DrawingTool.Ellipse);
        keyClick(Qt.Key_Left);
        compare(context.drawingTool, DrawingTool.Ellipse);
        compare(openSpy.signalArguments[0][0], DrawingTool.Ellipse, "a move in place opens the panel");
        navigator.extended = true;
        navigator.extensionForward = true;
        keyClick(Qt.Key_A);
        compare(context.drawingTool, DrawingTool.Rectangle, "inside the open panel");
        navigator.orientation = Qt.Horizontal;
        keyClick(Qt.Key_W);
        compare(closeSpy.signalArguments[0][0], DrawingTool.Rectangle, "a move in place closes an open panel");
        navigator.extended = false;
        keyClick(Qt.Key_D);
        compare(context.drawingTool, DrawingTool.EraserBrush);
        navigator.enabled = false;
        keyClick(Qt.Key_D);
        compare(context.drawingTool, DrawingTool.EraserBrush, "disabled");
        compare(openSpy.count, 1);
    }

    function test_lineWidthStepper() {
        const host = createTemporaryObject(stepperHostComponent, testCase, { drawingContext: context });
        context.setDrawingTool(DrawingTool.Pen);
        const widths = [];
        for (const [delta, modifiers, width] of [[120, Qt.ShiftModifier, 6], [-8, Qt.ShiftModifier, 5], [1200, Qt.ShiftModifier, 6],
                                                 [120, Qt.NoModifier, 6], [120, Qt.ShiftModifier | Qt.ControlModifier, 6]]) {
            mouseWheel(host, 50, 50, 0, delta, Qt.NoButton, modifiers);
            widths.push(context.lineWidth);
        }
        compare(widths, [6, 5, 6, 6, 6], "one step per event with Shift only");

        const changes = [];
        const record = () => changes.push(context.lineWidth);
        context.lineWidthManuallyChanged.connect(record);
        for (const [width, delta] of [[100, 120], [1, -120]]) {
            context.setLineWidth(width);
            mouseWheel(host, 50, 50, 0, delta, Qt.NoButton, Qt.ShiftModifier);
        }
        compare(changes, [100, 1], "nothing happens at either bound");
        context.lineWidthManuallyChanged.disconnect(record);

        // The pointer mode first brings back the last tool with a width.
        context.setDrawingTool(DrawingTool.EraserBrush);
        context.setDrawingTool(DrawingTool.None);
        mouseWheel(host, 50, 50, 0, 120, Qt.NoButton, Qt.ShiftModifier);
        compare([context.drawingTool, context.lineWidth, context.lineWidthForTool(DrawingTool.EraserRectangle)], [DrawingTool.EraserBrush, 31, 31]);
    }
}
