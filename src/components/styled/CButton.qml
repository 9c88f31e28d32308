import QtQuick
import QtQuick.Controls.Basic
import Zem.Inkly

// The button every other button is made from: flat, contained or outlined,
// coloured by state with the precedence pressed, checked, hovered, idle.
AbstractButton {
    id: root

    property string variant: "flat"
    readonly property bool flat: root.variant === "flat"
    readonly property bool contained: root.variant === "contained"
    readonly property bool outlined: root.variant === "outlined"

    property url iconSourceHover: root.icon.source
    property url iconSourcePressed: root.iconSourceHover
    property url iconSourceChecked: root.iconSourcePressed
    // [{ from, to }, ...] colour replacements for an SVG icon.
    property var svgReplacements: []

    property color textColor: root.contained ? Theme.colorTextInverse : Theme.colorText
    property color textColorHover: root.textColor
    property color textColorPressed: root.textColorHover
    property color textColorChecked: Theme.colorTextInverse

    property color backgroundColor: root.contained ? Theme.colorButtonContained : Theme.colorButton
    property color backgroundColorHover: root.contained ? Theme.colorButtonContainedHover : Theme.colorButtonHover
    property color backgroundColorPressed: root.contained ? Theme.colorButtonContainedPressed : Theme.colorButtonPressed
    property color backgroundColorChecked: root.contained ? Theme.colorButtonContainedChecked : Theme.colorButtonChecked

    property string alignment: "center"
    property real borderRadius: 10

    readonly property url currentIconSource: root.byState(root.icon.source, root.iconSourceHover,
                                                          root.iconSourcePressed, root.iconSourceChecked)

    // Picks the value for the current state: pressed, then checked, then
    // hovered, then idle.
    function byState(idle, hover, pressedValue, checkedValue) {
        if (root.pressed)
            return pressedValue;
        if (root.checked)
            return checkedValue;
        if (root.hovered)
            return hover;
        return idle;
    }

    function isSvg(source: url): bool {
        return String(source).toLowerCase().endsWith(".svg");
    }

    implicitWidth: Math.max(root.implicitBackgroundWidth + root.leftInset + root.rightInset,
                            root.implicitContentWidth + root.leftPadding + root.rightPadding)
    implicitHeight: Math.max(root.implicitBackgroundHeight + root.topInset + root.bottomInset,
                             root.implicitContentHeight + root.topPadding + root.bottomPadding)

    leftPadding: 10
    rightPadding: 10
    topPadding: 8
    bottomPadding: 8
    spacing: 6
    hoverEnabled: true
    focusPolicy: Qt.NoFocus
    font.family: Theme.fontFamily
    font.pixelSize: 12
    icon.width: 24
    icon.height: 24
    icon.color: "transparent"

    background: Rectangle {
        readonly property color stateColor: root.byState(root.backgroundColor, root.backgroundColorHover,
                                                         root.backgroundColorPressed, root.backgroundColorChecked)

        radius: root.borderRadius
        border.width: root.outlined ? 1 : 0
        border.color: Theme.colorButtonOutlinedBorder
        color: root.enabled ? stateColor : Qt.tint(stateColor, Theme.colorBackground)
        opacity: root.enabled ? 1 : Theme.effectDisabledOpacity

        // Buttons take the keyboard focus only when given it (a dialog's
        // default button): then Return acts on it, so show where it is.
        Rectangle {
            anchors.fill: parent
            anchors.margins: -3
            visible: root.activeFocus
            radius: root.borderRadius + 3
            color: "transparent"
            border.width: 2
            border.color: Theme.colorButtonContained
        }
    }

    // Bound by reference: an id inside an object written into the deferred
    // property would make its creation immediate.
    contentItem: content

    Item {
        id: content

        readonly property bool hasIcon: String(root.currentIconSource) !== ""
        readonly property bool hasText: root.text !== ""
        readonly property real rowWidth: (content.hasIcon ? root.icon.width : 0)
                                         + (content.hasIcon && content.hasText ? root.spacing : 0)
                                         + (content.hasText ? label.implicitWidth : 0)
        readonly property real rowX: root.alignment === "left" ? 0
                                     : root.alignment === "right" ? content.width - content.rowWidth
                                     : Math.round((content.width - content.rowWidth) / 2)

        implicitWidth: content.rowWidth
        implicitHeight: Math.max(content.hasIcon ? root.icon.height : 0, content.hasText ? label.implicitHeight : 0)
        opacity: root.enabled ? 1 : Theme.effectDisabledOpacity

        Item {
            id: iconBox

            readonly property bool recoloured: root.isSvg(root.currentIconSource) && !!root.svgReplacements
                                               && root.svgReplacements.length > 0

            x: content.rowX
            y: Math.round((content.height - height) / 2)
            width: root.icon.width
            height: root.icon.height
            visible: content.hasIcon

            CSvg {
                anchors.fill: parent
                visible: iconBox.recoloured
                svgSource: iconBox.recoloured ? String(root.currentIconSource) : ""
                replacements: root.svgReplacements
            }

            Image {
                anchors.fill: parent
                visible: !iconBox.recoloured
                source: iconBox.recoloured ? "" : root.currentIconSource
                sourceSize.width: width
                sourceSize.height: height
                fillMode: Image.PreserveAspectFit
            }
        }

        Text {
            id: label

            readonly property color stateColor: root.byState(root.textColor, root.textColorHover,
                                                             root.textColorPressed, root.textColorChecked)

            x: content.rowX + (content.hasIcon ? root.icon.width + root.spacing : 0)
            anchors.verticalCenter: parent.verticalCenter
            visible: content.hasText
            text: root.text
            font: root.font
            color: root.enabled ? label.stateColor : Qt.tint(label.stateColor, Theme.colorText)
        }
    }

    HoverHandler {
        cursorShape: Qt.PointingHandCursor
    }
}
