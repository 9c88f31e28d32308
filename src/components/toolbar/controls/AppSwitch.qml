import QtQuick
import QtQuick.Controls.Basic
import Qt5Compat.GraphicalEffects
import Zem.Inkly

// The large on/off switch at the head of the toolbar. It is drawn as a
// horizontal switch and turned as a whole for the vertical toolbar; the
// labels and the handle image are turned back so that they read upright.
Switch {
    id: root

    property int orientation: Qt.Vertical
    readonly property bool vertical: root.orientation === Qt.Vertical
    readonly property bool horizontal: root.orientation === Qt.Horizontal
    property real trackLength: 70
    property real trackThickness: 40
    property real handleSize: 36
    property real handleMargin: 2
    property color trackOnColor: Theme.colorSwitchTrackOn
    property color trackOffColor: Theme.colorSwitchTrackOff
    property color handleColor: Theme.colorSwitchHandle
    property color textOnColor: Theme.colorAppSwitchTextOn
    property color textOffColor: Theme.colorAppSwitchTextOff
    property string handleImageSource: Theme.iconToolbarMiscApp
    property real handleImageWidth: 24
    property real handleImageHeight: 28
    property int animationDuration: Theme.animationDurationFast

    readonly property real cornerRadius: 9
    // Room for the handle's shadow on each side of its holder.
    readonly property real shadowAllowance: 2
    readonly property real labelMargin: 8

    implicitWidth: root.vertical ? root.trackThickness : root.trackLength
    implicitHeight: root.vertical ? root.trackLength : root.trackThickness
    padding: 0
    spacing: 0
    hoverEnabled: true
    focusPolicy: Qt.NoFocus

    background: null
    contentItem: null

    // Bound by reference: the ids inside would make a deferred assignment
    // immediate.
    indicator: indicatorItem

    Item {
        id: indicatorItem

        implicitWidth: root.implicitWidth
        implicitHeight: root.implicitHeight
        x: 0
        y: 0
        width: root.width
        height: root.height

        Rectangle {
            id: track

            objectName: "track"
            anchors.centerIn: parent
            width: root.trackLength
            height: root.trackThickness
            radius: root.cornerRadius
            // Turned this way the left end, where the unchecked handle
            // rests, lies at the bottom.
            rotation: root.vertical ? 270 : 0
            color: root.checked ? root.trackOnColor : root.trackOffColor

            Behavior on color {
                ColorAnimation {
                    duration: root.animationDuration
                    easing.type: Easing.OutCubic
                }
            }

            CText {
                objectName: "onLabel"
                // Lying along the track, a label wider than the room the
                // handle leaves keeps clear of the handle instead.
                x: root.vertical ? root.labelMargin
                                 : Math.min(root.labelMargin, root.trackLength - root.handleMargin - root.handleSize - 1 - width)
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("ON")
                font.pixelSize: 13
                font.bold: true
                color: root.textOnColor
                rotation: root.vertical ? 90 : 0
            }

            CText {
                objectName: "offLabel"
                x: root.vertical ? root.trackLength - width - (root.labelMargin - root.handleMargin)
                                 : Math.max(root.handleMargin + root.handleSize + 1,
                                            root.trackLength - width - (root.labelMargin - root.handleMargin))
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("OFF")
                font.pixelSize: 13
                font.bold: true
                color: root.textOffColor
                rotation: root.vertical ? 90 : 0
            }

            Rectangle {
                id: handleHolder

                objectName: "handleHolder"
                width: root.handleSize + 2 * root.shadowAllowance
                height: width
                radius: root.cornerRadius
                color: "transparent"
                anchors.verticalCenter: parent.verticalCenter
                x: root.checked ? root.trackLength - handleHolder.width - root.handleMargin + root.shadowAllowance
                                : root.handleMargin - root.shadowAllowance

                Behavior on x {
                    NumberAnimation {
                        duration: root.animationDuration
                        easing.type: Easing.OutCubic
                    }
                }

                Rectangle {
                    id: handle

                    objectName: "handle"
                    anchors.centerIn: parent
                    width: root.handleSize + 2
                    height: root.handleSize + 2
                    radius: root.cornerRadius
                    color: root.handleColor
                    border.width: 1
                    border.color: Qt.rgba(0, 0, 0, 0.03)
                    scale: root.pressed ? 0.94 : root.hovered ? 0.97 : 1.0
                    // The software renderer cannot run the effect and would
                    // drop the handle with it.
                    layer.enabled: handle.GraphicsInfo.api !== GraphicsInfo.Software
                    layer.effect: DropShadow {
                        transparentBorder: true
                        radius: 2
                        samples: 5
                        horizontalOffset: 0
                        verticalOffset: 2
                        color: Qt.rgba(0, 0, 0, 0.1)
                    }

                    Image {
                        objectName: "handleImage"
                        anchors.centerIn: parent
                        width: root.handleImageWidth
                        height: root.handleImageHeight
                        visible: root.handleImageSource !== ""
                        source: root.handleImageSource
                        sourceSize.width: Math.ceil(root.handleImageWidth * Screen.devicePixelRatio)
                        sourceSize.height: Math.ceil(root.handleImageHeight * Screen.devicePixelRatio)
                        fillMode: Image.PreserveAspectFit
                        rotation: root.vertical ? 90 : 0
                    }
                }
            }
        }
    }

    HoverHandler {
        cursorShape: Qt.PointingHandCursor
    }
}
