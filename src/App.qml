import QtQuick

// The root component: owns the shared state and every window. The windows
// arrive with the toolbar and the overlays; until then the program runs with
// its tray icon only.
QtObject {
    id: root

    Component.onCompleted: console.debug("[App] completed")
}
