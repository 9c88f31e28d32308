import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "StyledControls"
    width: 400
    height: 300
    when: windowShown
    // TestCase is invisible by default, and hidden items get no input.
    visible: true

    readonly property string dataUrlPrefix: "data:image/svg+xml;base64,"

    Component {
        id: buttonComponent
        CButton {}
    }
    Component {
        id: toolButtonComponent
        CToolButton {}
    }
    Component {
        id: svgComponent
        CSvg {
            width: 24
            height: 24
        }
    }
    Component {
        id: sliderComponent
        CSlider {
            width: 220
            from: 1
            to: 100
            stepSize: 1
        }
    }
    Component {
        id: switchComponent
        CSwitch {}
    }
    Component {
        id: gripComponent
        CWindowGrip {}
    }
    Component {
        id: frameComponent
        CWindowShadowFrame {
            contentWidth: 120
            contentHeight: 40
            color: Theme.colorBackground
            radius: 14
        }
    }
    Component {
        id: windowComponent
        Window {
            width: 100
            height: 60
        }
    }

    SignalSpy {
        id: startedSpy
        signalName: "dragStarted"
    }
    SignalSpy {
        id: endedSpy
        signalName: "dragEnded"
    }

    function init() {
        // Park the pointer where no control is, so none starts hovered.
        mouseMove(testCase, testCase.width - 1, testCase.height - 1);
    }

    function decodedSvg(svg) {
        const source = String(svg.source);
        verify(source.startsWith(testCase.dataUrlPrefix), source.substring(0, 40));
        return Qt.atob(source.substring(testCase.dataUrlPrefix.length));
    }

    function sameColor(actual, expected, message) {
        verify(Qt.colorEqual(actual, expected), (message || "") + ": " + actual + " != " + expected);
    }

    function test_buttonStatePrecedence() {
        const button = createTemporaryObject(buttonComponent, testCase, { "text": "Button" });
        verify(button);
        sameColor(button.background.color, Theme.colorButton, "idle");
        mouseMove(button, button.width / 2, button.height / 2);
        tryCompare(button, "hovered", true);
        sameColor(button.background.color, Theme.colorButtonHover, "hovered");
        button.checked = true;
        sameColor(button.background.color, Theme.colorButtonChecked, "checked beats hovered");
        mousePress(button, button.width / 2, button.height / 2);
        sameColor(button.background.color, Theme.colorButtonPressed, "pressed beats checked");
        mouseRelease(button, button.width / 2, button.height / 2);
        sameColor(button.background.color, Theme.colorButtonChecked, "checked again after release");

        button.checked = false;
        button.variant = "contained";
        mouseMove(testCase, testCase.width - 1, testCase.height - 1);
        tryCompare(button, "hovered", false);
        sameColor(button.background.color, Theme.colorButtonContained, "contained idle");
        compare(button.background.border.width, 0);
        button.variant = "outlined";
        compare(button.background.border.width, 1);
    }

    function test_disabledButtonsAreTintedAndFaded() {
        const button = createTemporaryObject(buttonComponent, testCase, {
            "text": "Off",
            "variant": "contained",
            "enabled": false
        });
        sameColor(button.background.color, Theme.colorBackground, "page background");
        compare(button.background.opacity, Theme.effectDisabledOpacity);
        compare(button.contentItem.opacity, Theme.effectDisabledOpacity);

        const tool = createTemporaryObject(toolButtonComponent, testCase, { "extensible": true });
        tool.icon.source = Theme.iconToolbarHistoryUndo;
        compare(tool.width, 40);
        compare(tool.height, 40);
        let mark = null;
        for (let i = 0; i < tool.children.length; ++i) {
            if (String(tool.children[i].source) === Theme.iconToolbarMiscExtensionIndicator)
                mark = tool.children[i];
        }
        verify(mark, "extension mark present");
        compare(mark.visible, true);
        compare(mark.opacity, 1);
        tool.enabled = false;
        compare(mark.opacity, Theme.effectDisabledOpacity);
    }

    function test_svgRecolouring() {
        const svg = createTemporaryObject(svgComponent, testCase, {
            "svgSource": Theme.iconToolbarDrawingPen,
            "replacements": [{ "from": "#FF0000", "to": Qt.rgba(0, 0, 1, 1) }]
        });
        tryCompare(svg, "status", Image.Ready);
        let text = decodedSvg(svg);
        verify(text.indexOf("#0000ff") >= 0, "new colour present");
        verify(text.toLowerCase().indexOf("#ff0000") < 0, "no placeholder left");
        compare(svg.sourceSize.width, Math.ceil(24 * svg.devicePixelRatio));

        // Lower-case pattern against the file's upper-case placeholder; a
        // pattern with regular-expression syntax in it is taken literally.
        svg.replacements = [{ "from": "url(#shadow", "to": "none" }, { "from": "#ff0000", "to": "#00ff00" }];
        text = decodedSvg(svg);
        verify(text.indexOf("#00ff00") >= 0, "case-insensitive match");
        verify(text.toLowerCase().indexOf("#ff0000") < 0, "no placeholder left");

        svg.replacements = [];
        compare(String(svg.source), "", "nothing shown without replacements");
    }

    function test_svgSkipsIncompleteReplacements() {
        const svg = createTemporaryObject(svgComponent, testCase, {
            "svgSource": Theme.iconToolbarDrawingPen,
            "replacements": [{ "from": "#FF0000" }, { "to": "#00ff00" }, null, { "from": "", "to": "#00ff00" },
                { "from": "#FF0000", "to": "#123456" }]
        });
        const text = decodedSvg(svg);
        verify(text.indexOf("#123456") >= 0);
        verify(text.indexOf("#00ff00") < 0, "entries without from were not applied");
        verify(text.indexOf("#ff0000") < 0 && text.indexOf("#FF0000") < 0);
    }

    function test_svgMissingOrEmptyFile() {
        const missing = "/nonexistent-inkly-test/no-such-icon.svg";
        ignoreWarning(new RegExp("^\\[FileUtils\\] Failed to open file:"));
        ignoreWarning("[CSvg] Failed to load SVG: " + missing);
        const svg = createTemporaryObject(svgComponent, testCase, {
            "svgSource": missing,
            "replacements": [{ "from": "#FF0000", "to": "#0000ff" }]
        });
        verify(svg);
        compare(String(svg.source), "");
        compare(svg.status, Image.Null);

        const empty = "/dev/null";
        ignoreWarning("[CSvg] Failed to load SVG: " + empty);
        svg.svgSource = empty;
        compare(String(svg.source), "");
        compare(svg.status, Image.Null);
    }

    function test_sliderSteppingAndHandlePosition() {
        const slider = createTemporaryObject(sliderComponent, testCase, { "value": 1 });
        verify(slider);
        const handleCentre = () => slider.handle.x + slider.handle.width / 2;
        compare(handleCentre(), slider.background.x, "value 1 sits on the groove's start");
        slider.value = 100;
        compare(handleCentre(), slider.background.x + slider.background.width, "value 100 on its end");
        slider.increase();
        compare(slider.value, 100);
        slider.value = 50;
        slider.decrease();
        compare(slider.value, 49);

        // A click on the groove end reaches the maximum.
        slider.value = 50;
        mouseClick(slider, slider.width - slider.handleRadius, slider.height / 2);
        compare(slider.value, 100);
        tryCompare(slider.handle, "x", slider.background.x + slider.background.width - slider.handle.width / 2);

        // A drag follows the pointer without gliding.
        const y = slider.height / 2;
        let x = handleCentre();
        mousePress(slider, x, y);
        for (let i = 0; i < 5; ++i) {
            x -= 20;
            mouseMove(slider, x, y, -1, Qt.LeftButton);
        }
        // Within one step of the pointer, with no lag behind it.
        fuzzyCompare(handleCentre(), x, slider.background.width / 99 + 0.01);
        mouseRelease(slider, x, y);
        compare(slider.value, Math.round(1 + 99 * (x - slider.background.x) / slider.background.width));
        compare(slider.handle.children[0].border.width, 3);
    }

    function test_switchToggles() {
        const control = createTemporaryObject(switchComponent, testCase);
        compare(control.width, 36);
        compare(control.height, 20);
        const handle = control.indicator.children[0];
        compare(handle.x, 2);
        mouseClick(control);
        compare(control.checked, true);
        tryCompare(handle, "x", 36 - 16 - 2);
        mouseClick(control);
        compare(control.checked, false);
        tryCompare(handle, "x", 2);

        control.enabled = false;
        mouseClick(control);
        compare(control.checked, false, "a disabled switch does not toggle");
        compare(control.indicator.opacity, Theme.effectDisabledOpacity);
    }

    function test_windowGripDrag() {
        const target = createTemporaryObject(windowComponent, null);
        const grip = createTemporaryObject(gripComponent, testCase, {
            "targetWindow": target,
            "orientation": Qt.Horizontal
        });
        compare(grip.width, 40);
        compare(grip.height, 16);
        const bar = grip.contentItem.children[0];
        compare(bar.width, 24);
        compare(bar.height, 4);

        startedSpy.target = grip;
        endedSpy.target = grip;
        startedSpy.clear();
        endedSpy.clear();
        mousePress(grip, 20, 8);
        for (let i = 1; i <= 6; ++i)
            mouseMove(grip, 20 + i * 8, 8, -1, Qt.LeftButton);
        tryCompare(startedSpy, "count", 1);
        compare(grip.dragging, true);
        compare(endedSpy.count, 0);
        mouseRelease(grip, 68, 8);
        tryCompare(endedSpy, "count", 1);
        compare(grip.dragging, false);
        compare(startedSpy.count, 1);

        // A plain click is no drag.
        mouseClick(grip, 20, 8);
        compare(startedSpy.count, 1);
        compare(endedSpy.count, 1);
    }

    function test_shadowFrameWrapsTheContent() {
        const frame = createTemporaryObject(frameComponent, testCase);
        verify(frame, "the frame and its shadow effect load");
        compare(Qt.rect(frame.x, frame.y, frame.width, frame.height), Qt.rect(-1, -1, 122, 42));
        compare(frame.shadowExtent, 8);
        // The software renderer has no effects; the body must still show.
        compare(frame.layer.enabled, frame.GraphicsInfo.api !== GraphicsInfo.Software);
        verify(waitForRendering(frame));
        frame.shadowEnabled = false;
        compare(frame.shadowExtent, 0);
        compare(frame.layer.enabled, false);
    }
}
