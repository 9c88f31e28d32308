import QtQuick
import Zem.Inkly

// A row of colour swatches and an add button. Its buttons do nothing yet and
// the toolbar does not show it.
CPopover {
    id: root

    property list<color> colors
    // Placeholder colour of the swatch icon.
    readonly property string iconPlaceholderColor: "#ff0000"

    contentItem: Row {
        padding: 2

        Repeater {
            model: root.colors

            CToolButton {
                id: swatch

                required property color modelData

                icon.source: Theme.iconToolbarDrawingColor
                svgReplacements: [{
                        "from": root.iconPlaceholderColor,
                        "to": Qt.color(swatch.modelData.toString())
                    }]
            }
        }

        CToolButton {
            objectName: "addColorButton"
            icon.source: Theme.iconToolbarDrawingColorAdd
        }
    }
}
