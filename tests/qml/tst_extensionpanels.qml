import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "ExtensionPanels"
    width: 200
    height: 200
    when: windowShown
    visible: true

    Component {
        id: anchorWindowComponent

        Window {
            property alias anchor: anchor

            x: 300
            y: 200
            width: 60
            height: 300
            visible: true

            Rectangle {
                id: anchor

                x: 10
                y: 100
                width: 40
                height: 40
            }
        }
    }

    Component {
        id: contextComponent

        DrawingContext {}
    }

    Component {
        id: shapePanelComponent

        ShapePanel {
            drawingTool: DrawingTool.Pen
            selected: DrawingTool.Rectangle
            anchorVertical: "center"
            transformOriginVertical: "center"
            preferredSide: "right"
        }
    }

    Component {
        id: eraserPanelComponent

        EraserPanel {
            drawingTool: DrawingTool.EraserBrush
            selected: DrawingTool.EraserBrush
        }
    }

    Component {
        id: lineWidthPanelComponent

        LineWidthPanel {}
    }

    Component {
        id: previewComponent

        LineWidthPreviewPanel {
            drawingTool: DrawingTool.Pen
            lineColor: "#339AEE"
            lineWidth: 40
        }
    }

    Component {
        id: morePanelComponent

        MorePanel {}
    }

    Component {
        id: colorPanelComponent

        ColorPanel {
            colors: ["#FF0000", "#339AEE"]
        }
    }

    Component {
        id: spyComponent

        SignalSpy {}
    }

    function spyOn(target, signalName) {
        return createTemporaryObject(spyComponent, testCase, {
            "target": target,
            "signalName": signalName
        });
    }

    function anchorWindow(properties) {
        const window = createTemporaryObject(anchorWindowComponent, testCase, properties || {});
        waitForRendering(window.contentItem);
        return window;
    }

    function createPanel(component, window, properties) {
        const all = properties || {};
        all.anchorWindow = window;
        all.anchorItem = window.anchor;
        return createTemporaryObject(component, testCase, all);
    }

    // The option buttons of a tool panel, in the order of its options.
    function optionButtons(panel) {
        const buttons = [];
        const children = panel.contentItem.children;
        for (let i = 0; i < children.length; ++i) {
            if (children[i].icon !== undefined)
                buttons.push(children[i]);
        }
        return buttons;
    }

    function openAndWait(panel) {
        panel.open();
        tryCompare(panel, "visible", true);
        waitForRendering(panel.contentItem);
    }

    function test_shapePanelOptionsAndSelectedIcon() {
        const panel = createPanel(shapePanelComponent, anchorWindow());
        compare(optionButtons(panel).length, 7);
        compare(panel.selectedIcon, Theme.iconToolbarDrawingRectangle);
        panel.selected = DrawingTool.Star;
        compare(panel.selectedIcon, Theme.iconToolbarDrawingStar);
        panel.selected = DrawingTool.Pen;
        compare(panel.selectedIcon, "", "a tool of another group has no icon here");

        const eraser = createPanel(eraserPanelComponent, anchorWindow());
        compare(eraser.selectedIcon, Theme.iconToolbarDrawingEraser);
        eraser.selected = DrawingTool.EraserRectangle;
        compare(eraser.selectedIcon, Theme.iconToolbarDrawingEraserRectangle);
    }

    function test_rowRunsAwayFromTheToolbar() {
        const area = ScreenMonitor.primaryScreen().availableGeometry;
        // Room on the right: the row runs left to right.
        const leftDocked = anchorWindow({
            "x": area.x
        });
        const panel = createPanel(shapePanelComponent, leftDocked);
        openAndWait(panel);
        compare(panel.finalSide, "right");
        compare(panel.layoutDirection, Qt.LeftToRight);
        let buttons = optionButtons(panel);
        verify(buttons[0].x < buttons[6].x, "Rectangle first from the left");
        panel.close();

        // Docked at the right edge: the panel opens on the left, mirrored,
        // with Rectangle still nearest the toolbar.
        const rightDocked = anchorWindow({
            "x": area.x + area.width - 60
        });
        const mirrored = createPanel(shapePanelComponent, rightDocked);
        openAndWait(mirrored);
        compare(mirrored.finalSide, "left");
        compare(mirrored.layoutDirection, Qt.RightToLeft);
        buttons = optionButtons(mirrored);
        tryVerify(() => buttons[0].x > buttons[6].x);
        const nearest = buttons[0].mapToGlobal(buttons[0].width, 0).x;
        const toolbarLeft = rightDocked.anchor.mapToGlobal(0, 0).x;
        verify(nearest <= toolbarLeft && nearest > toolbarLeft - 20, "the first option is next to the button");
    }

    function test_checkedTonesAndClicks() {
        const panel = createPanel(shapePanelComponent, anchorWindow(), {
            "drawingTool": DrawingTool.Star,
            "selected": DrawingTool.Star
        });
        openAndWait(panel);
        const buttons = optionButtons(panel);
        const star = buttons[2];
        verify(star.checked);
        compare(buttons.filter(button => button.checked).length, 1);
        verify(Qt.colorEqual(star.background.color, Theme.colorButtonChecked), "current tool: the full tone");

        // Another kind of tool is active: the remembered shape stays marked
        // in the lighter tone.
        panel.drawingTool = DrawingTool.Pen;
        verify(star.checked);
        verify(Qt.colorEqual(star.background.color, Theme.colorButtonPressed));

        const clicks = spyOn(panel, "clicked");
        const tips = spyOn(panel, "openTooltip");
        const hides = spyOn(panel, "hideTooltip");
        mouseMove(buttons[1], 20, 20);
        tryCompare(tips, "count", 1);
        compare(tips.signalArguments[0][0], "타원");
        mouseClick(buttons[1]);
        compare(clicks.count, 1);
        compare(clicks.signalArguments[0][0], DrawingTool.Ellipse);
        verify(star.checked, "the panel waits for its owner to change the selection");
        mouseMove(buttons[3], 20, 20);
        tryCompare(hides, "count", 1);
        compare(hides.signalArguments[0][0], "타원");
        tryCompare(tips, "count", 2);
        compare(tips.signalArguments[1][0], "점선 사각형");
    }

    function test_panelsStepTheLineWidth() {
        const context = createTemporaryObject(contextComponent, testCase);
        context.setDrawingTool(DrawingTool.Pen);
        context.setLineWidth(10);
        const window = anchorWindow();
        const panels = [createPanel(shapePanelComponent, window, {
                                        "drawingContext": context
                                    }), createPanel(eraserPanelComponent, window, {
                                                        "drawingContext": context
                                                    }), createPanel(lineWidthPanelComponent, window, {
                                                                        "drawingContext": context
                                                                    }), createPanel(morePanelComponent, window, {
                                                                                        "drawingContext": context
                                                                                    })];
        let expected = 10;
        for (let i = 0; i < panels.length; ++i) {
            openAndWait(panels[i]);
            mouseWheel(panels[i].contentItem, 10, 10, 0, 120, Qt.NoButton, Qt.ShiftModifier);
            compare(context.lineWidth, ++expected, "Shift and the wheel over panel " + i);
            mouseWheel(panels[i].contentItem, 10, 10, 0, 120);
            compare(context.lineWidth, expected, "the wheel alone does nothing");
            panels[i].close();
        }
    }

    function test_lineWidthPanel() {
        const panel = createPanel(lineWidthPanelComponent, anchorWindow(), {
            "lineWidth": 40
        });
        openAndWait(panel);
        const slider = panel.slider;
        const label = findChild(panel.contentItem, "valueText");
        compare(slider.from, AppConstants.minLineWidth);
        compare(slider.to, AppConstants.maxLineWidth);
        compare(slider.width, 120);
        compare(slider.value, 40);
        compare(label.text, "40");
        compare(panel.contentWidth, 6 + 120 + 2 + 20 + 16);
        compare(panel.contentHeight, 12 + 20 + 12);

        const moves = spyOn(panel, "moved");
        // A drag from the handle to the groove's three-quarter point.
        const start = slider.leftPadding + slider.visualPosition * slider.availableWidth;
        const end = slider.leftPadding + 0.75 * slider.availableWidth;
        mousePress(slider, start, 10);
        for (let step = 1; step <= 5; ++step)
            mouseMove(slider, start + (end - start) * step / 5, 10);
        mouseRelease(slider, end, 10);
        verify(moves.count > 0);
        const last = moves.signalArguments[moves.count - 1][0];
        compare(last, 75, "the value under the pointer");
        compare(last, slider.value, "moved with the slider's value, a whole width");
        compare(label.text, String(last));
        for (const [fraction, expected] of [[0.2, 21], [0.8, 80]]) {
            mouseClick(slider, slider.leftPadding + fraction * slider.availableWidth, 10);
            compare(slider.value, expected);
        }

        // The owner's answer comes back through `lineWidth`.
        panel.lineWidth = 12;
        compare(slider.value, 12);
        compare(label.text, "12");
    }

    function test_previewClosesByItself() {
        const window = anchorWindow();
        const preview = createPanel(previewComponent, window);
        verify(preview.flags & Qt.WindowTransparentForInput, "the pointer passes through");
        verify(!preview.shadowEnabled);
        const cursor = findChild(preview.contentItem, "cursor");
        compare(cursor.lineWidth, 40);
        compare(preview.contentWidth, AppConstants.maxLineWidth + 20);

        const hides = spyOn(preview, "aboutToHide");
        let fadedWhileVisible = false;
        const watch = () => {
            if (preview.visible && preview.opacity < 1)
                fadedWhileVisible = true;
        };
        preview.opacityChanged.connect(watch);

        preview.open();
        verify(preview.visible);
        // Each move reopens it: the close counts from the last opening.
        wait(300);
        preview.open();
        const lastOpen = Date.now();
        verify(preview.visible);
        tryCompare(hides, "count", 1, 5000);
        verify(Date.now() - lastOpen >= 700, "not before 800 ms after the last opening");
        tryCompare(preview, "visible", false, 3000);
        verify(fadedWhileVisible, "it fades out");
        compare(preview.opacity, 1, "ready for the next opening");
        preview.opacityChanged.disconnect(watch);
    }

    function test_previewClosesAtOnceWhenAsked() {
        const preview = createPanel(previewComponent, anchorWindow());
        preview.open();
        verify(preview.visible);
        preview.closeWithoutFade();
        verify(!preview.visible, "no fade");
        verify(preview.fadeOutEnabled, "the fade is on again for the next close");

        // Also while a fade is already under way.
        preview.open();
        preview.close();
        verify(preview.visible, "fading");
        preview.closeWithoutFade();
        verify(!preview.visible);
        wait(Theme.animationDurationFast * 2);
        verify(!preview.visible);
        compare(preview.opacity, 1);
        preview.open();
        verify(preview.visible, "it opens again after an interrupted fade");
        compare(preview.opacity, 1);
    }

    function test_moreMenuEntries() {
        const menu = createPanel(morePanelComponent, anchorWindow());
        compare(menu.gap, 5);
        const entries = menu.contentItem.children;
        compare(entries.length, 5);
        compare(Array.from(entries).map(entry => entry.text), ["사용팁", "환경설정", "제품 정보", "마벨로 홈페이지", "닫기"]);
        compare(entries[3].icon.source, Qt.url(Theme.iconToolbarMoreHomepage));

        const signalNames = ["usageTipsRequested", "settingsRequested", "aboutRequested", "homepageRequested",
                             "closeRequested"];
        const spies = signalNames.map(signalName => spyOn(menu, signalName));
        for (let i = 0; i < entries.length; ++i) {
            openAndWait(menu);
            const widest = Math.max(...Array.from(entries).map(entry => entry.implicitWidth));
            for (let j = 0; j < entries.length; ++j)
                compare(entries[j].width, widest, "entries are equally wide");
            compare(menu.contentWidth, widest + 4);
            mouseClick(entries[i]);
            for (let k = 0; k < spies.length; ++k)
                compare(spies[k].count, k <= i ? 1 : 0, signalNames[k] + " after entry " + i);
            tryCompare(menu, "visible", false);
        }
    }

    function test_colorPanel() {
        const panel = createPanel(colorPanelComponent, anchorWindow());
        const list = Array.from(panel.contentItem.children).filter(child => child.icon !== undefined);
        compare(list.length, 3, "a swatch per colour and the add button");
        compare(list[1].svgReplacements[0].to.toString(), "#339aee");
    }
}
