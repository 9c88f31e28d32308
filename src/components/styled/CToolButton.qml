import QtQuick
import Zem.Inkly

// A square toolbar button; `extensible` adds the corner mark of a button that
// opens a panel.
CButton {
    id: root

    property bool extensible: false
    property url extensionIndicatorSource: Theme.iconToolbarMiscExtensionIndicator
    property url extensionIndicatorSourceHover: root.extensionIndicatorSource
    property url extensionIndicatorSourcePressed: root.extensionIndicatorSourceHover
    property url extensionIndicatorSourceChecked: root.extensionIndicatorSourcePressed
    property real extensionIndicatorX: 5
    property real extensionIndicatorY: 5
    property real extensionIndicatorWidth: 6
    property real extensionIndicatorHeight: 6

    leftPadding: 8
    rightPadding: 8
    topPadding: 8
    bottomPadding: 8

    Image {
        x: root.extensionIndicatorX
        y: root.extensionIndicatorY
        width: root.extensionIndicatorWidth
        height: root.extensionIndicatorHeight
        visible: root.extensible
        source: root.extensible ? root.byState(root.extensionIndicatorSource, root.extensionIndicatorSourceHover,
                                               root.extensionIndicatorSourcePressed,
                                               root.extensionIndicatorSourceChecked) : ""
        sourceSize.width: width
        sourceSize.height: height
        opacity: root.enabled ? 1 : Theme.effectDisabledOpacity
    }
}
