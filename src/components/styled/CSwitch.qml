import QtQuick
import QtQuick.Controls.Basic
import Zem.Inkly

// The settings switch: a rounded track with a sliding round handle.
Switch {
    id: root

    property real trackWidth: 36
    property real trackHeight: 20
    property real handleSize: 16
    property real handleMargin: 2
    property color trackColorOn: Theme.colorSwitchTrackOn
    property color trackColorOff: Theme.colorSwitchTrackOff
    property color handleColor: Theme.colorSwitchHandle

    implicitWidth: root.trackWidth
    implicitHeight: root.trackHeight
    padding: 0
    spacing: 0
    hoverEnabled: true
    focusPolicy: Qt.NoFocus

    background: null
    contentItem: Item {}

    indicator: Rectangle {
        x: 0
        y: 0
        width: root.width
        height: root.height
        radius: height / 2
        color: root.checked ? root.trackColorOn : root.trackColorOff
        opacity: root.enabled ? 1 : Theme.effectDisabledOpacity

        Behavior on color {
            ColorAnimation {
                duration: Theme.animationDurationFast
                easing.type: Easing.OutCubic
            }
        }

        Rectangle {
            x: root.checked ? parent.width - width - root.handleMargin : root.handleMargin
            y: Math.round((parent.height - height) / 2)
            width: root.handleSize
            height: root.handleSize
            radius: width / 2
            color: root.handleColor
            scale: root.pressed ? 0.75 : root.hovered ? 0.875 : 1

            Behavior on x {
                NumberAnimation {
                    duration: Theme.animationDurationFast
                    easing.type: Easing.OutCubic
                }
            }
            Behavior on scale {
                NumberAnimation {
                    duration: Theme.animationDurationFast
                    easing.type: Easing.OutCubic
                }
            }
        }
    }

    HoverHandler {
        cursorShape: Qt.PointingHandCursor
    }
}
