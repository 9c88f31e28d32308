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
        id: popupComponent

        CPopup {
            contentItem: Rectangle {
                implicitWidth: 100
                implicitHeight: 50
            }
        }
    }

    Component {
        id: anchorWindowComponent

        Window {
            property alias anchor: anchor

            x: 300
            y: 200
            width: 200
            height: 100
            visible: true

            Rectangle {
                id: anchor

                x: 50
                y: 40
                width: 40
                height: 20
            }
        }
    }

    Component {
        id: popoverComponent

        CPopover {
            contentItem: Rectangle {
                implicitWidth: 120
                implicitHeight: 80
            }
        }
    }

    Component {
        id: tooltipComponent

        CTooltip {
            text: "도구"
        }
    }

    Component {
        id: menuComponent

        CMenu {
            contentItem: Column {
                CMenuItem {
                    text: "A"
                }
                CMenuItem {
                    text: "사용 팁 보기와 아주 긴 메뉴 항목"
                }
                CMenuItem {
                    text: "설정"
                }
            }
        }
    }

    Component {
        id: contextMenuComponent

        CContextMenu {
            contentItem: Column {
                CMenuItem {
                    text: "열기"
                }
                CMenuItem {
                    text: "조금 더 긴 항목"
                }
            }
        }
    }

    Component {
        id: messageBoxComponent

        CMessageBox {}
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

    function screenArea() {
        return ScreenMonitor.primaryScreen().availableGeometry;
    }

    function pressEscape() {
        RawInputHandler.keyPressed(Qt.Key_Escape, 1, false, 0);
    }

    function test_popupOpenDelayAndAutoClose() {
        const popup = createTemporaryObject(popupComponent, testCase, {
            "openDelay": 150,
            "autoCloseEnabled": true,
            "autoCloseTimeout": 300
        });
        const shown = spyOn(popup, "aboutToShow");
        const hidden = spyOn(popup, "aboutToHide");
        // Platforms keep at least one pixel of a window.
        verify(popup.width <= 1, "a closed popup has no size");

        popup.open();
        verify(!popup.visible, "the delay holds it back");
        verify(popup.waiting);
        tryCompare(popup, "visible", true);
        compare(shown.count, 1);
        compare(popup.shadowExtent, 8);
        compare(popup.width, 116, "content plus the shadow margin on both sides");
        compare(popup.height, 66);
        tryCompare(popup, "visible", false, 3000, "auto-close");
        compare(hidden.count, 1);
        tryVerify(() => popup.width <= 1);

        // Closed again within the delay: never shows.
        popup.open();
        popup.close();
        wait(400);
        verify(!popup.visible);
        compare(shown.count, 1);
        compare(hidden.count, 1, "nothing was shown, so nothing hides");
    }

    function test_popupCentresOnItsParentInsideTheScreen() {
        const parentWindow = createTemporaryObject(anchorWindowComponent, testCase, {
            "x": 100,
            "y": 100,
            "width": 400,
            "height": 300
        });
        const popup = createTemporaryObject(popupComponent, testCase, {
            "parentWindow": parentWindow
        });
        compare(popup.transientParent, parentWindow);
        let position = popup.effectivePosition();
        compare(position.x, 100 + 150 - 8);
        compare(position.y, 100 + 125 - 8);

        const area = screenArea();
        parentWindow.x = area.x + area.width - 100;
        parentWindow.y = area.y + area.height - 50;
        position = popup.effectivePosition();
        compare(position.x, area.x + area.width - 100 - 8, "body kept inside the screen");
        compare(position.y, area.y + area.height - 50 - 8);

        const noShadow = createTemporaryObject(popupComponent, testCase, {
            "shadowEnabled": false
        });
        compare(noShadow.shadowExtent, 0);
    }

    function test_popupClosesOnEscapeAndOutsidePress() {
        const popup = createTemporaryObject(popupComponent, testCase);
        const exclusion = createTemporaryObject(anchorWindowComponent, testCase, {
            "x": 20,
            "y": 20
        });
        popup.closeOnPressOutsideExclusions = [exclusion.anchor];
        popup.open();
        verify(popup.visible, "no delay: open at once");
        const bodyX = popup.x + popup.shadowExtent;
        const bodyY = popup.y + popup.shadowExtent;

        RawInputHandler.leftPressed(Qt.point(bodyX + 10, bodyY + 10));
        verify(popup.visible, "a press on the content");
        const onExclusion = exclusion.anchor.mapToGlobal(5, 5);
        RawInputHandler.leftPressed(Qt.point(onExclusion.x, onExclusion.y));
        verify(popup.visible, "a press on an excluded item");
        RawInputHandler.leftPressed(Qt.point(popup.x + 2, popup.y + 2));
        verify(!popup.visible, "a press on the shadow margin is outside");

        popup.open();
        RawInputHandler.keyPressed(Qt.Key_A, 30, false, 0);
        verify(popup.visible);
        pressEscape();
        verify(!popup.visible);

        popup.closeOnEscape = false;
        popup.closeOnPressOutside = false;
        popup.open();
        pressEscape();
        RawInputHandler.leftPressed(Qt.point(popup.x + 2, popup.y + 2));
        verify(popup.visible, "both ways of closing are off");
        popup.close();
        verify(!popup.visible);
    }

    function test_popupFades() {
        const popup = createTemporaryObject(popupComponent, testCase, {
            "fadeInEnabled": true,
            "fadeOutEnabled": true
        });
        popup.open();
        verify(popup.visible);
        verify(popup.opacity < 1, "starts transparent");
        tryCompare(popup, "opacity", 1);
        popup.close();
        verify(popup.visible, "still fading out");
        tryCompare(popup, "visible", false);
        compare(popup.opacity, 1, "ready for the next fade-in");
    }

    function test_popoverPlacementAndFallback() {
        const anchorWindow = createTemporaryObject(anchorWindowComponent, testCase);
        const popover = createTemporaryObject(popoverComponent, testCase, {
            "anchorWindow": anchorWindow,
            "anchorItem": anchorWindow.anchor
        });
        compare(popover.parentWindow, anchorWindow);
        compare(popover.backgroundColor, Theme.colorPopoverBackground);
        const anchor = anchorWindow.anchor.mapToGlobal(0, 0);

        let position = popover.anchoredPosition(Qt.rect(0, 0, 1000, 1000));
        compare(popover.finalSide, "below");
        compare(position.x, anchor.x - 8);
        compare(position.y, anchor.y + 20 + 6 - 8);

        // No room below: the opposite side.
        position = popover.anchoredPosition(Qt.rect(0, 0, 1000, anchor.y + 40));
        compare(popover.finalSide, "above");
        compare(position.y, anchor.y - 6 - 80 - 8);

        // Room on neither side: the roomier one, clamped into the rectangle.
        position = popover.anchoredPosition(Qt.rect(0, anchor.y - 30, 1000, 90));
        compare(popover.finalSide, "below");
        compare(position.y, anchor.y - 30 + 90 - 80 - 8);

        // At the right edge the popover opens on the left.
        popover.preferredSide = "right";
        popover.anchorVertical = "center";
        popover.transformOriginVertical = "center";
        position = popover.anchoredPosition(Qt.rect(0, 0, anchor.x + 50, 1000));
        compare(popover.finalSide, "left");
        compare(position.x, anchor.x - 6 - 120 - 8);
        compare(position.y, anchor.y + 10 - 40 - 8);
    }

    function test_popoverFollowsAndClosesWithItsAnchorWindow() {
        const anchorWindow = createTemporaryObject(anchorWindowComponent, testCase);
        const popover = createTemporaryObject(popoverComponent, testCase, {
            "anchorWindow": anchorWindow,
            "anchorItem": anchorWindow.anchor
        });
        const shown = spyOn(popover, "aboutToShow");
        const hidden = spyOn(popover, "aboutToHide");
        const anchor = anchorWindow.anchor.mapToGlobal(0, 0);
        const area = screenArea();
        verify(anchor.y + 20 + 6 + 80 < area.y + area.height, "the test needs room below the anchor");

        popover.open();
        verify(popover.visible);
        compare(popover.finalSide, "below");
        compare(popover.x, anchor.x - 8);
        compare(popover.y, anchor.y + 20 + 6 - 8);

        anchorWindow.x += 30;
        anchorWindow.y += 20;
        tryCompare(popover, "x", anchor.x + 30 - 8, 2000, "moved along with the anchor window");
        tryCompare(popover, "y", anchor.y + 20 + 20 + 6 - 8);

        // A display change places it afresh on the next turn.
        ScreenMonitor.windowsDisplayChangeDetected();
        verify(!popover.visible);
        compare(hidden.count, 1);
        tryCompare(popover, "visible", true);
        compare(shown.count, 2);

        anchorWindow.visible = false;
        tryVerify(() => !popover.visible, 2000, "closes with the anchor window");
        compare(hidden.count, 2);
        anchorWindow.visible = true;
        tryCompare(anchorWindow, "visible", true);
        wait(50);
        verify(!popover.visible, "stays closed when the anchor window returns");
    }

    function test_tooltipTimingAndInput() {
        const tooltip = createTemporaryObject(tooltipComponent, testCase);
        const shown = spyOn(tooltip, "aboutToShow");
        const hidden = spyOn(tooltip, "aboutToHide");
        verify(tooltip.flags & Qt.WindowTransparentForInput, "never takes a click");
        compare(tooltip.shadowExtent, 0);
        compare(tooltip.openDelay, 500);
        compare(tooltip.autoCloseTimeout, 3000);

        tooltip.open();
        wait(100);
        tooltip.close();
        wait(700);
        compare(shown.count, 0, "closed within the delay: never shown");

        tooltip.open();
        tryCompare(tooltip, "visible", true, 3000);
        verify(tooltip.contentWidth > 16, "the label is laid out");
        pressEscape();
        verify(tooltip.visible, "Escape leaves the tooltip alone");
        tryCompare(tooltip, "visible", false, 8000, "closes by itself");
        compare(shown.count, 1);
        compare(hidden.count, 1);

        // Near the bottom with no room below: kept below, clamped 1 pixel
        // from the border.
        const position = tooltip.positionAt(Qt.point(100, 590), Qt.rect(1, 1, 798, 598));
        compare(tooltip.finalSide, "below");
        compare(position.y, 599 - tooltip.contentHeight);
        compare(position.x, 100);
    }

    function test_menusHaveEqualWidths() {
        const anchorWindow = createTemporaryObject(anchorWindowComponent, testCase);
        const menu = createTemporaryObject(menuComponent, testCase, {
            "anchorWindow": anchorWindow,
            "anchorItem": anchorWindow.anchor
        });
        compare(menu.gap, 5);
        const entries = menu.contentItem.children;
        verify(entries[1].implicitWidth > entries[0].implicitWidth);
        menu.open();
        for (let i = 0; i < entries.length; ++i)
            compare(entries[i].width, entries[1].implicitWidth, "entry " + i);
        compare(menu.contentWidth, entries[1].implicitWidth);
        pressEscape();
        verify(!menu.visible);

        const contextMenu = createTemporaryObject(contextMenuComponent, testCase);
        compare(contextMenu.gap, 0);
        contextMenu.open();
        const items = contextMenu.contentItem.children;
        compare(items[0].width, items[1].width);
        verify(items[0].width > items[0].implicitWidth);
        verify(contextMenu.contentHeight > 30);
        const position = contextMenu.positionAt(Qt.point(500, 590), Qt.rect(9, 9, 600, 600));
        compare(contextMenu.finalSide, "above", "no room below the cursor");
        compare(position.y, 590 - contextMenu.contentHeight - 8);
    }

    function test_messageBoxWidthRules() {
        const shortBox = createTemporaryObject(messageBoxComponent, testCase, {
            "text": "저장했습니다."
        });
        verify(shortBox.width <= 1, "closed");
        shortBox.open();
        verify(shortBox.visible);
        tryCompare(shortBox, "width", 380);
        verify(shortBox.cancelButton.visible);
        verify(shortBox.confirmButton.width >= 76);
        compare(shortBox.confirmButton.width, shortBox.cancelButton.width);
        tryVerify(() => shortBox.height > 48);
        const shortHeight = shortBox.height;
        shortBox.close();

        let longText = "";
        for (let i = 0; i < 40; ++i)
            longText += "아주 긴 안내 문장입니다 ";
        const longBox = createTemporaryObject(messageBoxComponent, testCase, {
            "text": longText,
            "detail": "자세한 내용",
            "showCancel": false
        });
        longBox.open();
        tryCompare(longBox, "width", 760);
        tryVerify(() => longBox.height > shortHeight + 20, 2000, "the long text wraps onto more lines");
        verify(!longBox.cancelButton.visible);
        verify(longBox.confirmButton.width >= 76);
        const centre = longBox.confirmButton.mapToItem(null, longBox.confirmButton.width / 2, 0);
        fuzzyCompare(centre.x, longBox.width / 2, 1, "the one button is centred");
        longBox.close();
    }

    function test_messageBoxKeys_data() {
        return [{ tag: "Return confirms", key: Qt.Key_Return, accepted: 1, rejected: 0 },
                { tag: "Escape cancels", key: Qt.Key_Escape, accepted: 0, rejected: 1 }];
    }

    function test_messageBoxKeys(data) {
        const box = createTemporaryObject(messageBoxComponent, testCase, {
            "text": "캡처 프로그램을 설치할까요?"
        });
        const accepted = spyOn(box, "accepted");
        const rejected = spyOn(box, "rejected");
        box.open();
        tryCompare(box.confirmButton, "activeFocus", true);
        verify(box.confirmButton.background.children[0].visible, "the focus shows");
        compare(Qt.size(box.maximumWidth, box.maximumHeight), Qt.size(box.width, box.height), "fixed size");
        compare(Qt.size(box.minimumWidth, box.minimumHeight), Qt.size(box.width, box.height), "fixed size");
        keyClick(data.key);
        compare(accepted.count, data.accepted);
        compare(rejected.count, data.rejected);
        verify(!box.visible);
    }
}
