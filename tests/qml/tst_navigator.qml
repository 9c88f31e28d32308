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
            { tag: "vertical: left stays in a closed row", used: [T.None], direction: "left", expect: T.None },
            { tag: "down from the erasers wraps to row 0", used: [T.EraserRectangle], direction: "down", expect: T.None },
            { tag: "a row's most recent tool", used: [T.EraserRectangle, T.None], direction: "up", expect: T.EraserRectangle },
            { tag: "no shape used yet: the first", used: [T.Highlighter], direction: "down", expect: T.Rectangle },
            { tag: "the last shape used", used: [T.Star, T.Highlighter], direction: "down", expect: T.Star },
            { tag: "open panel: right wraps within the row", used: [T.Text], extended: true, direction: "right", expect: T.Rectangle },
            { tag: "open panel: left", used: [T.Arrow], extended: true, direction: "left", expect: T.Line },
            { tag: "open panel, vertical: up still changes the row", used: [T.Arrow], extended: true, direction: "up", expect: T.Highlighter },
            { tag: "mirrored panel reverses the keys", used: [T.Arrow], extended: true, backward: true, direction: "right", expect: T.Line },
            { tag: "horizontal: up stays", used: [T.Arrow], orientation: H, direction: "up", expect: T.Arrow },
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

    // A key that moves within the current place opens the panel, or closes
    // an open one; a disabled navigator ignores the keys.
    function test_keys() {
        context.setDrawingTool(DrawingTool.Ellipse);
        keyClick(Qt.Key_Left);
        navigator.extended = true;
        navigator.extensionForward = true;
        keyClick(Qt.Key_A);
        navigator.orientation = Qt.Horizontal;
        keyClick(Qt.Key_W);
        navigator.enabled = false;
        keyClick(Qt.Key_D);
        compare([context.drawingTool, openSpy.count, openSpy.signalArguments[0][0], closeSpy.count, closeSpy.signalArguments[0][0]],
                [DrawingTool.Rectangle, 1, DrawingTool.Ellipse, 1, DrawingTool.Rectangle]);
    }

    // Shift and the wheel step the width once per event, not past either
    // bound; from the pointer they first bring back the last tool with a width.
    function test_lineWidthStepper_data() {
        const T = DrawingTool;
        return [
            { tag: "up", tool: T.Pen, width: 5, delta: 120, expect: [T.Pen, 6] },
            { tag: "a small touchpad step down", tool: T.Pen, width: 5, delta: -8, expect: [T.Pen, 4] },
            { tag: "without Shift", tool: T.Pen, width: 5, delta: 120, modifiers: Qt.NoModifier, expect: [T.Pen, 5] },
            { tag: "at the maximum", tool: T.Pen, width: 100, delta: 120, expect: [T.Pen, 100] },
            { tag: "at the minimum", tool: T.Pen, width: 1, delta: -120, expect: [T.Pen, 1] },
            { tag: "from the pointer", tool: T.EraserBrush, width: 30, pointer: true, delta: 120, expect: [T.EraserBrush, 31] }
        ];
    }

    function test_lineWidthStepper(data) {
        const host = createTemporaryObject(stepperHostComponent, testCase, { drawingContext: context });
        context.setDrawingTool(data.tool);
        context.setLineWidth(data.width);
        if (data.pointer)
            context.setDrawingTool(DrawingTool.None);
        mouseWheel(host, 50, 50, 0, data.delta, Qt.NoButton, data.modifiers === undefined ? Qt.ShiftModifier : data.modifiers);
        compare([context.drawingTool, context.lineWidth], data.expect);
    }
}
