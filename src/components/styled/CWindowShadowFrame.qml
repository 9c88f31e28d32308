import QtQuick
import Qt5Compat.GraphicalEffects
import Zem.Inkly

// The visible body of a frameless window: a rectangle one pixel larger than
// the content on every side, with a faint border and a drop shadow. Windows
// leave a transparent margin of `shadowExtent` round it; the margin is
// narrower than the shadow's reach because it takes the clicks instead of
// letting them through, so the shadow's outer fringe is cut off.
Rectangle {
    id: root

    required property real contentWidth
    required property real contentHeight
    property bool shadowEnabled: true
    readonly property real shadowExtent: root.shadowEnabled ? 8 : 0

    readonly property real shadowBlurMax: 10
    readonly property real shadowBlur: 1
    readonly property real shadowOffsetX: 0
    readonly property real shadowOffsetY: 2
    readonly property color shadowColor: Qt.rgba(0, 0, 0, 0.2)
    readonly property color frameBorderColor: Qt.rgba(0, 0, 0, 0.07)

    x: -1
    y: -1
    width: root.contentWidth + 2
    height: root.contentHeight + 2
    border.width: 1
    border.color: root.frameBorderColor

    // The software renderer cannot run the effect and would drop the body
    // with it; there the body is drawn without its shadow.
    layer.enabled: root.shadowEnabled && root.GraphicsInfo.api !== GraphicsInfo.Software
    layer.effect: DropShadow {
        transparentBorder: true
        radius: root.shadowBlurMax * root.shadowBlur
        samples: 2 * Math.ceil(radius) + 1
        horizontalOffset: root.shadowOffsetX
        verticalOffset: root.shadowOffsetY
        color: root.shadowColor
    }
}
