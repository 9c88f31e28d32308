import QtQuick
import QtQuick.Controls.Basic
import Zem.Inkly

// A horizontal slider whose handle centre runs exactly from the groove's
// start to its end. A click on the groove glides the handle there; a drag
// follows the pointer directly.
Slider {
    id: root

    property real grooveHeight: 4
    property real handleRadius: 10
    property color grooveColor: Theme.colorSliderGroove
    property color fillColor: Theme.colorSliderFill
    property color handleFillColor: Theme.colorSliderHandleFill
    property color handleBorderColor: Theme.colorSliderHandleBorder

    readonly property bool gliding: root.hovered && !internal.dragging

    implicitWidth: root.implicitBackgroundWidth + root.leftPadding + root.rightPadding
    implicitHeight: Math.max(root.grooveHeight, root.implicitHandleHeight) + root.topPadding + root.bottomPadding

    leftPadding: root.handleRadius
    rightPadding: root.handleRadius
    topPadding: 0
    bottomPadding: 0
    hoverEnabled: true
    focusPolicy: Qt.NoFocus

    onMoved: {
        if (root.pressed)
            internal.dragging = true;
    }
    onPressedChanged: {
        if (!root.pressed)
            internal.dragging = false;
    }

    QtObject {
        id: internal

        // Set by the first move during a press, which only a drag produces: a
        // click moves the value on release, before the press ends.
        property bool dragging: false
    }

    background: Rectangle {
        x: root.leftPadding
        y: root.topPadding + Math.round((root.availableHeight - height) / 2)
        implicitWidth: 200
        implicitHeight: root.grooveHeight
        width: root.availableWidth
        height: root.grooveHeight
        radius: height / 2
        color: root.grooveColor

        Rectangle {
            width: root.visualPosition * parent.width
            height: parent.height
            radius: parent.radius
            color: root.fillColor

            Behavior on width {
                enabled: root.gliding
                NumberAnimation {
                    duration: Theme.animationDurationFast
                    easing.type: Easing.OutCubic
                }
            }
        }
    }

    // Zero wide to the control, so that a press maps over the whole groove
    // the handle's centre runs on; the circle overhangs into the padding.
    handle: Item {
        x: root.leftPadding + root.visualPosition * root.availableWidth
        y: root.topPadding + (root.availableHeight - height) / 2
        implicitWidth: 0
        implicitHeight: root.handleRadius * 2

        Behavior on x {
            enabled: root.gliding
            NumberAnimation {
                duration: Theme.animationDurationFast
                easing.type: Easing.OutCubic
            }
        }

        Rectangle {
            x: -width / 2
            width: root.handleRadius * 2
            height: root.handleRadius * 2
            radius: width / 2
            color: root.handleFillColor
            border.color: root.handleBorderColor
            border.width: root.pressed ? 4 : root.hovered ? 3 : 2
        }
    }

    HoverHandler {
        cursorShape: Qt.PointingHandCursor
    }
}
