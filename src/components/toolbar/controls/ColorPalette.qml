import QtQuick
import Zem.Inkly

// The colour swatches of the toolbar. It only reports a click; the checked
// swatch follows `color`, which the owner binds to the drawing state.
Grid {
    id: root

    property color color
    property list<color> colors
    property int orientation: Qt.Vertical
    readonly property bool vertical: root.orientation === Qt.Vertical
    readonly property bool horizontal: root.orientation === Qt.Horizontal
    property int hoveredCount: 0
    readonly property bool hovered: root.hoveredCount > 0

    readonly property real swatchSize: 19
    // Placeholder colour of the swatch icons.
    readonly property string iconPlaceholderColor: "#ff0000"

    signal colorSelected(color color)

    columns: root.vertical ? 2 : Math.max(1, Math.ceil(root.colors.length / 2))
    spacing: 2

    Repeater {
        model: root.colors

        CToolButton {
            id: swatch

            required property color modelData
            required property int index
            // A copy: the model hands out a live reference.
            readonly property color swatchColor: Qt.color(swatch.modelData.toString())
            property bool counted: false

            function countHover(on: bool) {
                if (on === swatch.counted)
                    return;
                swatch.counted = on;
                root.hoveredCount = Math.max(0, root.hoveredCount + (on ? 1 : -1));
            }

            objectName: "swatch" + swatch.index
            width: root.swatchSize
            height: root.swatchSize
            leftPadding: 0
            rightPadding: 0
            topPadding: 0
            bottomPadding: 0
            icon.width: root.swatchSize
            icon.height: root.swatchSize
            icon.source: Theme.iconToolbarDrawingPaletteColor
            iconSourceHover: Theme.iconToolbarDrawingPaletteColorHover
            iconSourcePressed: Theme.iconToolbarDrawingPaletteColorHover
            iconSourceChecked: Theme.iconToolbarDrawingPaletteColorChecked
            svgReplacements: [{
                    "from": root.iconPlaceholderColor,
                    "to": swatch.swatchColor
                }]
            backgroundColorHover: "transparent"
            checkable: false
            checked: Qt.colorEqual(swatch.swatchColor, root.color)

            onHoveredChanged: swatch.countHover(swatch.hovered)
            onClicked: root.colorSelected(Qt.color(swatch.swatchColor.toString()))
            // A swatch removed under the pointer (new colour list) never sees
            // the pointer leave.
            Component.onDestruction: swatch.countHover(false)
        }
    }
}
