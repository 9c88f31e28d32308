import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "Popups"
    width: 200
    height: 200
    when: windowShown
    visible: true

    Component {
        id: anchorWindowComponent
        Window {
            property alias anchor: anchor
            x: 300; y: 200; width: 60; height: 300; visible: true
            Rectangle { id: anchor; x: 10; y: 100; width: 40; height: 40 }
        }
    }
    Component { id: contextComponent; DrawingContext {} }
    Component {
        id: shapePanelComponent
        ShapePanel {
            drawingTool: DrawingTool.Pen; selected: DrawingTool.Rectangle
            anchorVertical: "center"; transformOriginVertical: "center"; preferredSide: "right"
        }
    }
    Component { id: eraserPanelComponent; EraserPanel { drawingTool: DrawingTool.EraserBrush; selected: DrawingTool.EraserBrush } }
    Component { id: lineWidthPanelComponent; LineWidthPanel {} }
    Component { id: morePanelComponent; MorePanel {} }
    Component { id: trayMenuComponent; TrayMenu {} }
    Component { id: spyComponent; SignalSpy {} }
    Component { id: popupComponent; CPopup { contentItem: Rectangle { implicitWidth: 100; implicitHeight: 50 } } }
    Component { id: messageBoxComponent; CMessageBox {} }

    function spyOn(target, signalName) {
        return createTemporaryObject(spyComponent, testCase, { "target": target, "signalName": signalName });
    }

    function createPanel(component, properties, windowProperties) {
        const window = createTemporaryObject(anchorWindowComponent, testCase, windowProperties || {});
        waitForRendering(window.contentItem);
        return createTemporaryObject(component, testCase, Object.assign({ anchorWindow: window, anchorItem: window.anchor }, properties || {}));
    }

    // The option buttons of a tool panel, in the order of its options.
    function optionButtons(panel) {
        return Array.from(panel.contentItem.children).filter(child => child.icon !== undefined);
    }

    function openAndWait(panel) {
        panel.open();
        tryCompare(panel, "visible", true);
        waitForRendering(panel.contentItem);
    }

    // Docked at the right edge the panel opens on the left, mirrored, with
    // the first option still nearest the toolbar.
    function test_rowRunsAwayFromTheToolbar_data() {
        return [{ tag: "left-docked", right: false, side: "right" }, { tag: "right-docked", right: true, side: "left" }];
    }

    function test_rowRunsAwayFromTheToolbar(data) {
        const area = ScreenMonitor.primaryScreen().availableGeometry;
        const panel = createPanel(shapePanelComponent, {}, { "x": data.right ? area.x + area.width - 60 : area.x });
        openAndWait(panel);
        compare(panel.finalSide, data.side);
        const buttons = optionButtons(panel);
        tryVerify(() => (buttons[0].x > buttons[6].x) === data.right);
        const nearest = data.right ? buttons[0].mapToGlobal(buttons[0].width, 0).x : buttons[0].mapToGlobal(0, 0).x;
        const toolbar = data.right ? panel.anchorItem.mapToGlobal(0, 0).x : panel.anchorItem.mapToGlobal(40, 0).x;
        verify(Math.abs(nearest - toolbar) < 20, "the first option is next to the button");
    }

    function test_checkedTonesAndClicks() {
        const panel = createPanel(shapePanelComponent, { "drawingTool": DrawingTool.Star, "selected": DrawingTool.Star });
        openAndWait(panel);
        const buttons = optionButtons(panel);
        const star = buttons[2];
        compare(buttons.filter(button => button.checked), [star]);
        verify(Qt.colorEqual(star.background.color, Theme.colorButtonChecked), "current tool: the full tone");
        // Another kind of tool is active: the remembered shape stays marked in the lighter tone.
        panel.drawingTool = DrawingTool.Pen;
        verify(star.checked && Qt.colorEqual(star.background.color, Theme.colorButtonPressed));
        compare(panel.selectedIcon, Theme.iconToolbarDrawingStar);

        const clicks = spyOn(panel, "clicked");
        const tips = spyOn(panel, "openTooltip");
        mouseMove(buttons[1], 20, 20);
        tryVerify(() => tips.count === 1 && tips.signalArguments[0][0] === "타원");
        mouseClick(buttons[1]);
        compare([clicks.count, clicks.signalArguments[0][0]], [1, DrawingTool.Ellipse]);
        verify(star.checked, "the panel waits for its owner to change the selection");
    }

    function test_shiftWheelStepsTheLineWidth_data() {
        return [{ tag: "shape", panel: shapePanelComponent }, { tag: "eraser", panel: eraserPanelComponent },
                { tag: "line width", panel: lineWidthPanelComponent }, { tag: "more", panel: morePanelComponent }];
    }

    function test_shiftWheelStepsTheLineWidth(data) {
        const context = createTemporaryObject(contextComponent, testCase);
        context.setDrawingTool(DrawingTool.Pen);
        context.setLineWidth(10);
        const panel = createPanel(data.panel, { "drawingContext": context });
        openAndWait(panel);
        mouseWheel(panel.contentItem, 10, 10, 0, 120, Qt.NoButton, Qt.ShiftModifier);
        mouseWheel(panel.contentItem, 10, 10, 0, 120);
        compare(context.lineWidth, 11, "one step with Shift, none without");
    }

    // A drag gives whole widths under the pointer; the owner's answer comes
    // back through `lineWidth`.
    function test_lineWidthSlider() {
        const panel = createPanel(lineWidthPanelComponent, { "lineWidth": 40 });
        openAndWait(panel);
        const slider = panel.slider;
        const label = findChild(panel.contentItem, "valueText");
        const moves = spyOn(panel, "moved");
        const start = slider.leftPadding + slider.visualPosition * slider.availableWidth;
        const end = slider.leftPadding + 0.75 * slider.availableWidth;
        mousePress(slider, start, 10);
        for (let step = 1; step <= 5; ++step)
            mouseMove(slider, start + (end - start) * step / 5, 10);
        mouseRelease(slider, end, 10);
        compare([moves.signalArguments[moves.count - 1][0], slider.value, label.text], [75, 75, "75"]);
        panel.lineWidth = 12;
        compare([slider.value, label.text], [12, "12"]);
    }

    // Every entry of the menus sends its own request, the menus close, and
    // the entries are equally wide.
    function test_menus_data() {
        return [
            { tag: "more", menu: morePanelComponent, texts: ["화이트보드", "블랙보드", "그림으로 저장", "그림 복사", "사용팁", "환경설정", "제품 정보", "마벨로 홈페이지", "닫기"],
              signals: ["whiteBoardRequested", "blackBoardRequested", "savePictureRequested", "copyPictureRequested", "usageTipsRequested",
                        "settingsRequested", "aboutRequested", "homepageRequested", "closeRequested"] },
            { tag: "tray", menu: trayMenuComponent, texts: ["잉클리 열기", "환경설정", "종료"],
              signals: ["openRequested", "settingsRequested", "quitRequested"] }
        ];
    }

    function test_menus(data) {
        const menu = data.menu === trayMenuComponent ? createTemporaryObject(trayMenuComponent, testCase) : createPanel(data.menu);
        const entries = Array.from(menu.contentItem.children);
        compare(entries.map(entry => entry.text), data.texts);
        const spies = data.signals.map(signalName => spyOn(menu, signalName));
        for (let i = 0; i < entries.length; ++i) {
            openAndWait(menu);
            verify(entries.every(entry => entry.width === entries[0].width && entry.width >= entry.implicitWidth));
            mouseClick(entries[i]);
            compare(spies.map(spy => spy.count), spies.map((spy, k) => k <= i ? 1 : 0), "after entry " + i);
            tryCompare(menu, "visible", false);
        }
    }

    function pressEscape() {
        RawInputHandler.keyPressed(Qt.Key_Escape, 1, false, 0);
    }

    function test_popupOpenDelayAndAutoClose() {
        const popup = createTemporaryObject(popupComponent, testCase, { "openDelay": 150, "autoCloseEnabled": true, "autoCloseTimeout": 300 });
        const shown = spyOn(popup, "aboutToShow");
        popup.open();
        popup.close();
        verify(!popup.waiting, "closed within the delay: never shows");
        popup.open();
        verify(!popup.visible && popup.waiting, "the delay holds it back");
        tryCompare(popup, "visible", true);
        compare([shown.count, popup.width, popup.height], [1, 116, 66], "content plus the shadow margin");
        tryCompare(popup, "visible", false, 3000, "auto-close");
        tryVerify(() => popup.width <= 1, 1000, "a closed popup has no size");
    }

    function test_popupClosesOnEscapeAndOutsidePress() {
        const popup = createTemporaryObject(popupComponent, testCase);
        const exclusion = createTemporaryObject(anchorWindowComponent, testCase, { "x": 20, "y": 20 });
        popup.closeOnPressOutsideExclusions = [exclusion.anchor];
        popup.open();
        const onExclusion = exclusion.anchor.mapToGlobal(5, 5);
        RawInputHandler.leftPressed(Qt.point(popup.x + popup.shadowExtent + 10, popup.y + popup.shadowExtent + 10));
        RawInputHandler.leftPressed(Qt.point(onExclusion.x, onExclusion.y));
        RawInputHandler.keyPressed(Qt.Key_A, 30, false, 0);
        verify(popup.visible, "a press on the content or an excluded item, another key");
        RawInputHandler.leftPressed(Qt.point(popup.x + 2, popup.y + 2));
        verify(!popup.visible, "a press on the shadow margin is outside");
        popup.open();
        pressEscape();
        verify(!popup.visible);
        Object.assign(popup, { closeOnEscape: false, closeOnPressOutside: false });
        popup.open();
        pressEscape();
        RawInputHandler.leftPressed(Qt.point(popup.x + 2, popup.y + 2));
        verify(popup.visible, "both ways of closing are off");
        popup.close();
    }

    // Return confirms and Escape cancels; a text too long for the narrow box
    // widens it, and a box without Cancel centres its one button.
    function test_messageBox_data() {
        return [
            { tag: "Return confirms", text: "캡처 프로그램을 설치할까요?", key: Qt.Key_Return, signal: "accepted", width: 380 },
            { tag: "Escape cancels", text: "저장했습니다.", key: Qt.Key_Escape, signal: "rejected", width: 380 },
            { tag: "long text, one button", text: "아주 긴 안내 문장입니다 ".repeat(40), showCancel: false, key: Qt.Key_Return, signal: "accepted", width: 760 }
        ];
    }

    function test_messageBox(data) {
        const box = createTemporaryObject(messageBoxComponent, testCase, { "text": data.text, "showCancel": data.showCancel !== false });
        const answer = spyOn(box, data.signal);
        box.open();
        tryCompare(box, "width", data.width);
        tryCompare(box.confirmButton, "activeFocus", true);
        const centre = box.confirmButton.mapToItem(null, box.confirmButton.width / 2, 0).x;
        verify(box.cancelButton.visible === (data.showCancel !== false) && (box.cancelButton.visible || Math.abs(centre - box.width / 2) <= 1));
        keyClick(data.key);
        compare([answer.count, box.visible], [1, false]);
    }
}
