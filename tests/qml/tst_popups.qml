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

    Component { id: popupComponent; CPopup { contentItem: Rectangle { implicitWidth: 100; implicitHeight: 50 } } }
    Component { id: popoverComponent; CPopover { contentItem: Rectangle { implicitWidth: 120; implicitHeight: 80 } } }
    Component {
        id: anchorWindowComponent
        Window {
            property alias anchor: anchor
            x: 300; y: 200; width: 200; height: 100; visible: true
            Rectangle { id: anchor; x: 50; y: 40; width: 40; height: 20 }
        }
    }
    Component { id: messageBoxComponent; CMessageBox {} }
    Component { id: spyComponent; SignalSpy {} }

    function spyOn(target, signalName) {
        return createTemporaryObject(spyComponent, testCase, { "target": target, "signalName": signalName });
    }

    function pressEscape() {
        RawInputHandler.keyPressed(Qt.Key_Escape, 1, false, 0);
    }

    function test_popupOpenDelayAndAutoClose() {
        const popup = createTemporaryObject(popupComponent, testCase, { "openDelay": 150, "autoCloseEnabled": true, "autoCloseTimeout": 300 });
        const shown = spyOn(popup, "aboutToShow");
        // Closed again within the delay: never shows.
        popup.open();
        popup.close();
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

        popup.closeOnEscape = false;
        popup.closeOnPressOutside = false;
        popup.open();
        pressEscape();
        RawInputHandler.leftPressed(Qt.point(popup.x + 2, popup.y + 2));
        verify(popup.visible, "both ways of closing are off");
        popup.close();
    }

    function test_popoverPlacement_data() {
        // Anchor at (a.x, a.y), 40 by 20; content 120 by 80; gap 6; shadow 8.
        return [
            { tag: "below", side: "bottom", bounds: a => Qt.rect(0, 0, 1000, 1000), finalSide: "below", at: a => [a.x - 8, a.y + 20 + 6 - 8] },
            { tag: "no room below: above", side: "bottom", bounds: a => Qt.rect(0, 0, 1000, a.y + 40), finalSide: "above", at: a => [a.x - 8, a.y - 6 - 80 - 8] },
            { tag: "room on neither side: clamped", side: "bottom", bounds: a => Qt.rect(0, a.y - 30, 1000, 90), finalSide: "below", at: a => [a.x - 8, a.y - 30 + 90 - 80 - 8] },
            { tag: "right edge: opens on the left", side: "right", bounds: a => Qt.rect(0, 0, a.x + 50, 1000), finalSide: "left", at: a => [a.x - 6 - 120 - 8, a.y + 10 - 40 - 8] }
        ];
    }

    function test_popoverPlacement(data) {
        const anchorWindow = createTemporaryObject(anchorWindowComponent, testCase);
        const popover = createTemporaryObject(popoverComponent, testCase, { "anchorWindow": anchorWindow, "anchorItem": anchorWindow.anchor });
        if (data.side === "right") {
            popover.preferredSide = "right";
            popover.anchorVertical = "center";
            popover.transformOriginVertical = "center";
        }
        const anchor = anchorWindow.anchor.mapToGlobal(0, 0);
        const position = popover.anchoredPosition(data.bounds(anchor));
        compare([popover.finalSide, position.x, position.y], [data.finalSide].concat(data.at(anchor)));
    }

    function test_popoverFollowsAndClosesWithItsAnchorWindow() {
        const anchorWindow = createTemporaryObject(anchorWindowComponent, testCase);
        const popover = createTemporaryObject(popoverComponent, testCase, { "anchorWindow": anchorWindow, "anchorItem": anchorWindow.anchor });
        const shown = spyOn(popover, "aboutToShow");
        const anchor = anchorWindow.anchor.mapToGlobal(0, 0);
        popover.open();
        compare([popover.x, popover.y], [anchor.x - 8, anchor.y + 20 + 6 - 8]);
        anchorWindow.x += 30;
        anchorWindow.y += 20;
        tryCompare(popover, "x", anchor.x + 30 - 8, 2000, "moved along with the anchor window");
        tryCompare(popover, "y", anchor.y + 20 + 20 + 6 - 8);

        // A display change places it afresh on the next turn.
        ScreenMonitor.windowsDisplayChangeDetected();
        verify(!popover.visible);
        tryCompare(shown, "count", 2);
        anchorWindow.visible = false;
        tryVerify(() => !popover.visible, 2000, "closes with the anchor window");
        anchorWindow.visible = true;
        tryCompare(anchorWindow, "visible", true);
        verify(!popover.visible, "stays closed when the anchor window returns");
    }

    function test_messageBox_data() {
        let longText = "";
        for (let i = 0; i < 40; ++i)
            longText += "아주 긴 안내 문장입니다 ";
        return [
            { tag: "Return confirms", text: "캡처 프로그램을 설치할까요?", key: Qt.Key_Return, accepted: 1, rejected: 0, width: 380 },
            { tag: "Escape cancels", text: "저장했습니다.", key: Qt.Key_Escape, accepted: 0, rejected: 1, width: 380 },
            { tag: "long text, one button", text: longText, showCancel: false, key: Qt.Key_Return, accepted: 1, rejected: 0, width: 760 }
        ];
    }

    function test_messageBox(data) {
        const box = createTemporaryObject(messageBoxComponent, testCase, { "text": data.text, "showCancel": data.showCancel !== false });
        const accepted = spyOn(box, "accepted");
        const rejected = spyOn(box, "rejected");
        box.open();
        tryCompare(box, "width", data.width);
        tryCompare(box.confirmButton, "activeFocus", true);
        compare(box.cancelButton.visible, data.showCancel !== false);
        verify(box.confirmButton.width >= 76);
        if (data.showCancel === false) {
            const centre = box.confirmButton.mapToItem(null, box.confirmButton.width / 2, 0);
            fuzzyCompare(centre.x, box.width / 2, 1, "the one button is centred");
        }
        keyClick(data.key);
        compare([accepted.count, rejected.count, box.visible], [data.accepted, data.rejected, false]);
    }
}
