import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "AppSwitch"
    width: 200
    height: 200
    when: windowShown
    visible: true

    Component {
        id: switchComponent

        AppSwitch {
            x: 40
            y: 40
        }
    }

    function createSwitch(properties) {
        return createTemporaryObject(switchComponent, testCase, properties || {});
    }

    // Centre of an item in the switch's own coordinates.
    function centreIn(item, control) {
        return item.mapToItem(control, item.width / 2, item.height / 2);
    }

    function test_sizesFollowOrientation() {
        const vertical = createSwitch();
        verify(vertical.vertical);
        compare(vertical.width, 40);
        compare(vertical.height, 70);
        const horizontal = createSwitch({
            "orientation": Qt.Horizontal
        });
        compare(horizontal.width, 70);
        compare(horizontal.height, 40);
    }

    function test_toggleMovesHandleAndRecolours() {
        const control = createSwitch({
            "orientation": Qt.Horizontal
        });
        const track = findChild(control, "track");
        const holder = findChild(control, "handleHolder");
        verify(!control.checked);
        compare(holder.x, 0, "off: at the left end, over the ON label");
        verify(Qt.colorEqual(track.color, Theme.colorSwitchTrackOff));

        mouseClick(control);
        verify(control.checked);
        tryCompare(holder, "x", 30);
        tryVerify(() => Qt.colorEqual(track.color, Theme.colorSwitchTrackOn));

        // The handle covers the OFF label when on, the ON label when off.
        const handle = findChild(control, "handle");
        const offLabel = findChild(control, "offLabel");
        const onLabel = findChild(control, "onLabel");
        verify(Math.abs(centreIn(handle, control).x - centreIn(offLabel, control).x) < 12);

        mouseClick(control);
        verify(!control.checked);
        tryCompare(holder, "x", 0);
        tryVerify(() => Qt.colorEqual(track.color, Theme.colorSwitchTrackOff));
        verify(Math.abs(centreIn(handle, control).x - centreIn(onLabel, control).x) < 12);

        // The label left showing is never cut by the handle, whatever the font.
        const handleRight = handle.mapToItem(track, handle.width, 0).x;
        verify(offLabel.x >= handleRight, "OFF clear of the handle: " + offLabel.x + " " + handleRight);
        control.checked = true;
        tryCompare(holder, "x", 30);
        const handleLeft = handle.mapToItem(track, 0, 0).x;
        verify(onLabel.x + onLabel.width <= handleLeft, "ON clear of the handle");
        verify(onLabel.x >= 0 && offLabel.x + offLabel.width <= track.width, "both inside the track");
    }

    function test_pressAndHoverScaleTheHandle() {
        const control = createSwitch();
        const handle = findChild(control, "handle");
        mouseMove(testCase, 190, 190);
        tryCompare(control, "hovered", false);
        compare(handle.scale, 1.0);

        mouseMove(control, 20, 35);
        tryCompare(control, "hovered", true);
        compare(handle.scale, 0.97);

        mousePress(control, 20, 35);
        compare(handle.scale, 0.94);
        mouseRelease(control, 20, 35);
        compare(handle.scale, 0.97);
        verify(control.checked, "a click toggles");
    }

    function test_verticalSwitchIsTurned() {
        const control = createSwitch();
        const handle = findChild(control, "handle");
        const onLabel = findChild(control, "onLabel");
        const image = findChild(control, "handleImage");
        const offLabel = findChild(control, "offLabel");
        // Off: the handle at the bottom over ON, OFF showing at the top.
        verify(centreIn(handle, control).y > control.height / 2);
        verify(centreIn(onLabel, control).y > control.height / 2);
        verify(centreIn(offLabel, control).y < control.height / 2);
        // The labels and the image are turned back so they read upright.
        compare((findChild(control, "track").rotation + onLabel.rotation) % 360, 0);
        compare((findChild(control, "track").rotation + image.rotation) % 360, 0);

        control.checked = true;
        tryVerify(() => centreIn(handle, control).y < control.height / 2, 1000, "on: the handle at the top");
        verify(centreIn(onLabel, control).y > control.height / 2, "ON at the bottom");

        control.handleImageSource = "";
        verify(!image.visible);
    }
}
