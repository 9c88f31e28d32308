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
