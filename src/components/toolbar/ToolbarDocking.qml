import QtQuick
import Zem.Inkly

// Where the toolbar window stands: the screens and the cursor it is placed
// by, and the position it was last put at, held for a moment after it is
// shown against window managers that place it by their own rules.
QtObject {
    id: root

    required property Window window
    // Screens and the cursor; tests put their own in, null means the real
    // services.
    property var screenSource: null
    // While the grip drags, the platform moves the window and is not undone.
    property bool dragging: false
    property point placedPosition: Qt.point(0, 0)

    readonly property Timer placementGuard: Timer {
        interval: AppConstants.managerPlacementGrace
    }

    function cursorPosition(): point {
        if (root.screenSource && root.screenSource.globalMousePosition)
            return root.screenSource.globalMousePosition();
        return MouseHelper.globalMousePosition();
    }

    function screenAtPoint(x: real, y: real): var {
        if (root.screenSource)
            return root.screenSource.screenAt(x, y);
        return ScreenMonitor.screenAt(Math.round(x), Math.round(y));
    }

    function windowScreen(): var {
        if (root.screenSource)
            return root.screenSource.screenOfWindow(root.window);
        return ScreenMonitor.screenAt(root.window);
    }

    function primaryScreen(): var {
        if (root.screenSource)
            return root.screenSource.primaryScreen();
        return ScreenMonitor.primaryScreen();
    }

    function allScreens(): var {
        if (root.screenSource)
            return root.screenSource.screens();
        return ScreenMonitor.screens();
    }

    function isUsable(screen): bool {
        return !!screen && screen.isValid();
    }

    // The given screen, or the window's own for null.
    function resolveScreen(screen): var {
        const resolved = screen ? screen : root.windowScreen();
        if (!root.isUsable(resolved)) {
            console.warn("[FloatingToolbar] No screen available for the current window position");
            return null;
        }
        return resolved;
    }

    function moveTo(x: real, y: real) {
        // First, so that the moves below are known as ours.
        root.placedPosition = Qt.point(Math.round(x), Math.round(y));
        root.window.x = root.placedPosition.x;
        root.window.y = root.placedPosition.y;
    }

    // Some window managers (xfwm4) place a window by their own rules when
    // it is mapped; for a moment after it is shown, the bar goes back to
    // where it was put.
    function keepPlacement() {
        if (!root.placementGuard.running || root.dragging)
            return;
        if (root.window.x !== root.placedPosition.x || root.window.y !== root.placedPosition.y) {
            console.debug("[FloatingToolbar] moved by the window manager; placed again");
            root.window.x = root.placedPosition.x;
            root.window.y = root.placedPosition.y;
        }
    }
}
