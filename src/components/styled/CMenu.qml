import QtQuick
import Zem.Inkly

// A popover of menu entries, all as wide as the widest one.
CPopover {
    id: root

    gap: 5

    onAboutToShow: root.equalizeContentWidths()
}
