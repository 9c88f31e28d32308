import QtQuick
import Zem.Inkly

// A row of tool options beside a toolbar button. The row runs away from the
// toolbar, so the first option is always the one nearest to it.
CPopover {
    id: root

    required property int drawingTool
    required property int selected
    // [{ drawingTool, source, tooltip }, ...] in order.
    required property var options
    property DrawingContext drawingContext: null

    readonly property string selectedIcon: root.iconOf(root.selected)
    readonly property int layoutDirection: root.finalSide === "left" ? Qt.RightToLeft : Qt.LeftToRight

    signal clicked(int drawingTool)
    signal openTooltip(string text)
    signal hideTooltip(string text)

    function iconOf(tool: int): string {
        if (!root.options)
            return "";
        for (let i = 0; i < root.options.length; ++i) {
            const option = root.options[i];
            if (option && option.drawingTool === tool)
                return String(option.source);
        }
        return "";
    }

    contentItem: Row {
        padding: 2
        layoutDirection: root.layoutDirection

        Repeater {
            model: root.options

            CToolButton {
                id: optionButton

                required property var modelData

                icon.source: optionButton.modelData.source
                checked: optionButton.modelData.drawingTool === root.selected
                // The remembered choice stays marked in a lighter tone while
                // another kind of tool is active.
                backgroundColorChecked: root.drawingTool === root.selected ? Theme.colorButtonChecked
                                                                           : Theme.colorButtonPressed

                onClicked: root.clicked(optionButton.modelData.drawingTool)
                onHoveredChanged: {
                    if (optionButton.hovered)
                        root.openTooltip(optionButton.modelData.tooltip);
                    else
                        root.hideTooltip(optionButton.modelData.tooltip);
                }
            }
        }

        LineWidthStepper {
            drawingContext: root.drawingContext
        }
    }
}
