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

    implicitWidth: Math.max(root.implicitBackgroundWidth + root.leftPadding + root.rightPadding,
                            root.implicitHandleWidth + root.leftPadding + root.rightPadding)
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

    handle: Rectangle {
        x: root.leftPadding + root.visualPosition * root.availableWidth - width / 2
        y: root.topPadding + (root.availableHeight - height) / 2
        implicitWidth: root.handleRadius * 2
        implicitHeight: root.handleRadius * 2
        radius: width / 2
        color: root.handleFillColor
        border.color: root.handleBorderColor
        border.width: root.pressed ? 4 : root.hovered ? 3 : 2

        Behavior on x {
            enabled: root.gliding
            NumberAnimation {
                duration: Theme.animationDurationFast
                easing.type: Easing.OutCubic
            }
        }
    }

    HoverHandler {
        cursorShape: Qt.PointingHandCursor
    }
}
