import QtQuick

// The arrow keys and W, A, S, D as four direction signals.
Item {
    id: root

    property int context: Qt.ApplicationShortcut

    signal navigated(string direction)

    Shortcut {
        sequences: ["Up", "W"]
        context: root.context
        enabled: root.enabled
        onActivated: root.navigated("up")
    }
    Shortcut {
        sequences: ["Down", "S"]
        context: root.context
        enabled: root.enabled
        onActivated: root.navigated("down")
    }
    Shortcut {
        sequences: ["Left", "A"]
        context: root.context
        enabled: root.enabled
        onActivated: root.navigated("left")
    }
    Shortcut {
        sequences: ["Right", "D"]
        context: root.context
        enabled: root.enabled
        onActivated: root.navigated("right")
    }
}
