import QtQuick
import Zem.Inkly

// The root component: owns the shared state and every window.
QtObject {
    id: root

    Component.onCompleted: console.warn("[App] completed", CliConstants.autostartToken, DrawingStore.getDrawings().length)
}
