import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "InputUtils"
    width: 300
    height: 300
    when: windowShown
    // TestCase is invisible by default, and hidden items get no input.
    visible: true

    Component {
        id: stepperHostComponent

        Rectangle {
            id: host

            property int current: 50
            property alias stepper: stepper

            width: 100
            height: 100

            WheelStepper {
                id: stepper

                value: host.current
                onStepped: newValue => host.current = newValue
            }
        }
    }

    Component {
        id: directionComponent

        DirectionShortcut {}
    }

    Component {
        id: windowComponent

        Window {
            width: 100
            height: 80
        }
    }

    Component {
        id: attachedComponent

        AttachedWindow {}
    }

    SignalSpy {
        id: steppedSpy
        signalName: "stepped"
    }

    SignalSpy {
        id: navigatedSpy
        signalName: "navigated"
    }

    function createStepper(properties) {
        const host = createTemporaryObject(stepperHostComponent, testCase, properties);
        verify(host);
        steppedSpy.clear();
        steppedSpy.target = host.stepper;
        return host;
    }

    function test_wheelStepperClampsAtTheBounds() {
        const host = createStepper({ "current": 100 });
        mouseWheel(host, 50, 50, 0, 120);
        compare(steppedSpy.count, 0, "no step past the maximum");
        mouseWheel(host, 50, 50, 0, -120);
        compare(steppedSpy.count, 1);
        compare(steppedSpy.signalArguments[0][0], 99);
        compare(host.current, 99);

        host.stepper.minValue = 10;
        host.stepper.stepSize = 5;
        host.current = 12;
        mouseWheel(host, 50, 50, 0, -120);
        compare(host.current, 10, "a large step stops at the minimum");
        mouseWheel(host, 50, 50, 0, -120);
        compare(steppedSpy.count, 2, "nothing at the minimum");
    }

    function test_wheelStepperStepsOncePerEvent() {
        const host = createStepper({ "current": 50 });
        mouseWheel(host, 50, 50, 0, 120);
        compare(host.current, 51, "one notch");
        mouseWheel(host, 50, 50, 0, 8);
        compare(host.current, 52, "one small touchpad event is still one step");
        mouseWheel(host, 50, 50, 0, 1200);
        compare(host.current, 53, "a large delta is one step too");
        mouseWheel(host, 50, 50, 0, -8);
        compare(host.current, 52);
        mouseWheel(host, 50, 50, 120, 0);
        compare(host.current, 52, "horizontal wheel ignored");
        compare(steppedSpy.count, 4);
    }

    function test_directionShortcutEmitsDirections() {
        const shortcut = createTemporaryObject(directionComponent, testCase);
        verify(shortcut);
        navigatedSpy.target = shortcut;
        navigatedSpy.clear();
        const keys = [Qt.Key_Up, Qt.Key_W, Qt.Key_Down, Qt.Key_S, Qt.Key_Left, Qt.Key_A, Qt.Key_Right, Qt.Key_D];
        for (const key of keys)
            keyClick(key);
        compare(navigatedSpy.count, 8);
        const seen = [];
        for (let i = 0; i < navigatedSpy.count; ++i)
            seen.push(navigatedSpy.signalArguments[i][0]);
        compare(seen, ["up", "up", "down", "down", "left", "left", "right", "right"]);

        shortcut.enabled = false;
        navigatedSpy.clear();
        for (const key of keys)
            keyClick(key);
        compare(navigatedSpy.count, 0, "a disabled shortcut reacts to none of the keys");
    }

    function test_attachedWindowFollowsWithOffsets() {
        const reference = createTemporaryObject(windowComponent, null, { "x": 1000, "y": 500 });
        const follower = createTemporaryObject(windowComponent, null, { "x": 0, "y": 0 });
        reference.show();
        follower.show();
        verify(waitForRendering(follower.contentItem));
        tryCompare(reference, "x", 1000);
        tryCompare(reference, "y", 500);

        const attached = createTemporaryObject(attachedComponent, testCase, {
            "referenceWindow": reference,
            "window": follower
        });
        verify(attached);
        attached.offsetX = -200;
        attached.offsetY = 10;
        tryCompare(follower, "x", 800);
        tryCompare(follower, "y", 510);

        reference.y = 600;
        tryCompare(follower, "y", 610);
        compare(follower.x, 800);

        follower.hide();
        reference.x = 1200;
        reference.y = 700;
        tryCompare(reference, "y", 700);
        wait(50);
        compare(follower.x, 800, "a hidden follower stays where it is");
        compare(follower.y, 610);

        follower.show();
        attached.enabled = false;
        reference.x = 900;
        tryCompare(reference, "x", 900);
        wait(50);
        compare(follower.x, 800, "no following while disabled");
    }
}
