import QtQuick
import Zem.Inkly

// The root component: owns the shared drawing state and the settings, the
// toolbar, one overlay per screen and the secondary windows. It is no window
// itself; the engine owns it and every window it creates has it as parent.
QtObject {
    id: root

    property DrawingContext drawingContext: DrawingContext {}
    property AppSettings appSettings: AppSettings {}
    readonly property PictureNotice pictureNotice: PictureNotice {}

    property var floatingToolbar: null
    property Component floatingToolbarComponent: Component {
        FloatingToolbar {}
    }

    property var drawingOverlays: []
    property Component drawingOverlayComponent: Component {
        DrawingOverlay {}
    }
    property var lastScreens: []

    property var trayMenu: null
    property var usageTips: null
    property var settingsWindow: null
    property var aboutWindow: null
    property var overview: null
    property Component trayMenuComponent: Component {
        TrayMenu {}
    }
    property Component usageTipsComponent: Component {
        UsageTips {}
    }
    property Component settingsWindowComponent: Component {
        SettingsWindow {}
    }
    property Component aboutWindowComponent: Component {
        AboutWindow {}
    }
    property Component overviewComponent: Component {
        Overview {}
    }

    property bool isQuitPrepared: false
    property int pendingOverlayDestroyCount: 0
    // Behind the lock screen nothing is rebuilt; the unlock rebuilds once.
    property bool sessionLocked: false

    readonly property Debounce recreateDrawingOverlaysDebounce: Debounce {
        delay: 66
        callback: function () {
            // Never rebuild while old overlays still wait for destruction.
            if (root.pendingOverlayDestroyCount > 0) {
                root.recreateDrawingOverlaysDebounce.trigger();
                return;
            }
            root.recreateDrawingOverlays();
        }
    }

    // Screens settle late after a start or a resume; look again a few times.
    readonly property Repeat recreateDrawingOverlaysDebounceRepeat: Repeat {
        interval: 1000
        count: 5
        immediate: false
        callback: function () {
            root.recreateDrawingOverlaysDebounce.trigger();
        }
    }

    readonly property Debounce disposeDrawingOverlaysDebounce: Debounce {
        delay: 60000
        callback: function () {
            if (root.floatingToolbar && root.floatingToolbar.appOn)
                return;
            root.destroyDrawingOverlays();
        }
    }

    readonly property Connections floatingToolbarConnections: Connections {
        target: root.floatingToolbar

        function onAppOnChanged() {
            const toolbar = root.floatingToolbar;
            console.debug("[App] floatingToolbar.appOnChanged: " + toolbar.appOn);
            if (toolbar.appOn) {
                // While the switch animates, the rebuild waits for the end
                // of the expansion.
                if (!toolbar.appSwitchAnimationPending)
                    root.recreateDrawingOverlaysDebounce.trigger();
            } else {
                root.recreateDrawingOverlaysDebounce.cancel();
                root.recreateDrawingOverlaysDebounceRepeat.stop();
                root.hideDrawingOverlays();
                root.disposeDrawingOverlaysDebounce.trigger();
            }
        }
        function onAppSwitchExpandCompleted() {
            root.recreateDrawingOverlaysDebounce.trigger();
        }
        function onVisibleChanged() {
            console.debug("[App] floatingToolbar.visibleChanged: " + root.floatingToolbar.visible);
            if (!root.floatingToolbar.visible)
                root.destroyDrawingOverlays();
        }
        function onRestackRequested() {
            root.restack();
        }
        function onUsageTipsRequested() {
            root.openUsageTips();
        }
        function onAboutRequested() {
            root.openAboutWindow();
        }
        function onSettingsRequested() {
            root.openSettingsWindow();
        }
    }

    readonly property Connections trayMenuConnections: Connections {
        target: root.trayMenu

        function onOpenRequested() {
            root.openApplication();
        }
        function onSettingsRequested() {
            root.openSettingsWindow();
        }
        function onQuitRequested() {
            root.quit();
        }
    }

    readonly property Connections overviewConnections: Connections {
        target: root.overview

        function onOpenRequested() {
            root.openApplication();
        }
    }

    function openApplication() {
        console.debug("[App] openApplication called");
        if (!root.floatingToolbar) {
            const toolbar = root.createFloatingToolbar();
            if (!toolbar)
                return;
            root.floatingToolbar = toolbar;
        }

        const toolbar = root.floatingToolbar;
        const wasVisible = toolbar.visible;
        toolbar.show();
        // Under XWayland the compositor decides; asking would take the
        // keyboard from the program the user works in.
        if (!WindowHelper.waylandSession)
            toolbar.requestActivate();

        if (toolbar.appOn) {
            root.recreateDrawingOverlaysDebounce.trigger();
            root.recreateDrawingOverlaysDebounceRepeat.restart();
        }

        if (!wasVisible)
            Qt.callLater(root.openOverviewOnFirstShow);
    }

    // The application switch turned as a click turns it; switching on opens
    // the toolbar when it is not shown.
    function switchApplication(on: bool) {
        if (on && !(root.floatingToolbar && root.floatingToolbar.visible))
            root.openApplication();
        const toolbar = root.floatingToolbar;
        if (toolbar && toolbar.visible && toolbar.appSwitch.checked !== on)
            toolbar.appSwitch.toggle();
    }

    // Commands from the command line, already checked by the instance guard.
    function handleCommand(command: string, argument: string) {
        console.debug("[App] command: " + command + (argument ? " " + argument : ""));
        const context = root.drawingContext;
        switch (command) {
        case "on":
        case "off":
            root.switchApplication(command === "on");
            break;
        case "toggle":
            root.switchApplication(!(root.floatingToolbar && root.floatingToolbar.appOn));
            break;
        case "tool": {
            const tool = argument === "Pointer" ? DrawingTool.None : DrawingTool.fromString(argument);
            if (tool === DrawingTool.None && argument !== "Pointer" && argument !== "None")
                console.warn("[App] unknown tool: " + argument);
            else
                context.setDrawingTool(tool);
            break;
        }
        case "undo":
            if (context.canUndo)
                context.undo();
            break;
        case "redo":
            if (context.canRedo)
                context.redo();
            break;
        case "clear":
            if (context.canClear)
                context.clear();
            break;
        case "save-picture":
            PictureHelper.savePicture();
            break;
        case "copy-picture":
            PictureHelper.copyPicture();
            break;
        default:
            console.warn("[App] unknown command: " + command);
        }
    }

    // Keys of the whole desktop follow the settings at once.
    function applyHotkeys() {
        HotkeyHandler.setHotkeys(root.appSettings.hotkeysEnabled ? root.appSettings.hotkeys : {});
    }

    function handleHotkey(action: string) {
        const context = root.drawingContext;
        switch (action) {
        case "pointer":
            if (DrawingTool.isNone(context.drawingTool))
                context.setDrawingTool(context.findRecentDrawingTool(tool => DrawingTool.isDrawable(tool),
                                                                     DrawingTool.Pen));
            else
                context.setDrawingTool(DrawingTool.None);
            break;
        case "pen":
            root.handleCommand("tool", "Pen");
            break;
        case "highlighter":
            root.handleCommand("tool", "Highlighter");
            break;
        case "savePicture":
            root.handleCommand("save-picture", "");
            break;
        default:
            root.handleCommand(action, "");
        }
    }

    function openOverviewOnFirstShow() {
        if (root.appSettings.overviewShowCount >= 1)
            return;
        root.appSettings.overviewShowCount += 1;
        root.openOverview();
        root.appSettings.save(false);
    }

    function openTrayMenu() {
        if (!root.trayMenu) {
            root.trayMenu = root.trayMenuComponent.createObject(root);
            if (!root.trayMenu) {
                console.warn("[App] Failed to create the tray menu:", root.trayMenuComponent.errorString());
                return;
            }
        }
        root.trayMenu.open();
    }

    function openUsageTips() {
        if (!root.usageTips) {
            root.usageTips = root.usageTipsComponent.createObject(root);
            if (!root.usageTips) {
                console.warn("[App] Failed to create the usage tips:", root.usageTipsComponent.errorString());
                return;
            }
        }
        const toolbar = root.floatingToolbar;
        if (toolbar) {
            root.usageTips.avoidRect = Qt.rect(toolbar.x + toolbar.shadowExtent, toolbar.y + toolbar.shadowExtent,
                                               toolbar.contentWidth, toolbar.contentHeight);
        }
        root.usageTips.open();
    }

    // The secondary windows: created on demand, their close refused and the
    // window destroyed one turn later, so a close never ends the program.
    function openSecondaryWindow(propertyName: string, component: Component, initialProperties) {
        let window = root[propertyName];
        if (!window) {
            window = component.createObject(root, initialProperties);
            if (!window) {
                console.warn("[App] Failed to create " + propertyName + ":", component.errorString());
                return null;
            }
            root[propertyName] = window;
            window.closing.connect(function (close) {
                close.accepted = false;
                Qt.callLater(function () {
                    if (root[propertyName] !== window)
                        return;
                    root[propertyName] = null;
                    window.destroy();
                    Qt.callLater(root.restack);
                });
            });
        }
        window.show();
        Qt.callLater(function () {
            if (root[propertyName] === window)
                window.raise();
        });
        return window;
    }

    function openAboutWindow() {
        root.openSecondaryWindow("aboutWindow", root.aboutWindowComponent, {});
    }

    function openSettingsWindow() {
        root.openSecondaryWindow("settingsWindow", root.settingsWindowComponent, {
            appSettings: root.appSettings
        });
    }

    function openOverview() {
        root.openSecondaryWindow("overview", root.overviewComponent, {});
    }

    function quit() {
        console.debug("[App] quit called");
        Qt.quit();
    }

    function prepareQuit() {
        if (root.isQuitPrepared)
            return;
        console.debug("[App] Application prepareQuit called");
        Stats.settingsStat(root.appSettings);
        root.appSettings.lastExitAt = Utils.isoNow();
        console.debug("[App] Last Exit At: " + root.appSettings.lastExitAt);
        root.drawingContext.saveDrawingsDebounce.flush();
        // A colour or width chosen in the last second is kept too.
        root.drawingContext.saveDrawingSettingsDebounce.flush();
        root.appSettings.save(false);
        HotkeyHandler.releaseAll();
        root.isQuitPrepared = true;
    }

    function restack() {
        if (!root.floatingToolbar)
            return;
        if (WindowHelper.raisesToStayOnTop)
            root.floatingToolbar.raise();
        Qt.callLater(root.restackOverlays);
    }

    // Only restacks when something came between, so the regular check while
    // another program is active costs nothing.
    function restackOverlays() {
        if (!root.floatingToolbar || !root.floatingToolbar.visible)
            return;
        WindowHelper.keepWindowsBelow(root.floatingToolbar, root.drawingOverlays.concat(InkMirror.windows));
    }

    function createFloatingToolbar() {
        const toolbar = root.floatingToolbarComponent.createObject(root, {
            drawingContext: root.drawingContext,
            appSettings: root.appSettings
        });
        if (!toolbar)
            console.warn("[App] Failed to create the floating toolbar:", root.floatingToolbarComponent.errorString());
        return toolbar;
    }

    function createDrawingOverlay(screen, drawingOverlayId: string) {
        const geometry = screen.geometry;
        const overlay = root.drawingOverlayComponent.createObject(root, {
            windowId: drawingOverlayId,
            drawingContext: root.drawingContext,
            x: geometry.x,
            y: geometry.y,
            width: geometry.width,
            height: geometry.height
        });
        if (!overlay)
            console.warn("[App] Failed to create " + drawingOverlayId + ":", root.drawingOverlayComponent.errorString());
        return overlay;
    }

    function createDrawingOverlays() {
        const screens = ScreenMonitor.screens();
        console.debug("[App] createDrawingOverlays: screens count: " + screens.length);
        const overlays = [];
        const count = Math.min(screens.length, AppConstants.maxScreenCount);
        for (let i = 0; i < count; ++i) {
            const overlay = root.createDrawingOverlay(screens[i], root.generateDrawingOverlayId(i));
            if (!overlay)
                continue;
            overlay.restackRequested.connect(root.restack);
            overlay.shown = true;
            overlays.push(overlay);
        }
        root.lastScreens = screens.slice(0, AppConstants.maxScreenCount);
        return overlays;
    }

    function generateDrawingOverlayId(index: int): string {
        return "DrawingOverlay_" + index;
    }

    function screensEqual(first, second): bool {
        if (!first && !second)
            return true;
        if (!first || !second)
            return false;
        if (first.length !== second.length)
            return false;
        try {
            for (let i = 0; i < first.length; ++i) {
                if (!second[i].equals(first[i]))
                    return false;
            }
        } catch (error) {
            // An entry that cannot be compared counts as a change.
            return false;
        }
        return true;
    }

    function destroyDrawingOverlays() {
        console.debug("[App] destroyDrawingOverlays");
        const overlays = root.drawingOverlays;
        root.drawingOverlays = [];
        root.lastScreens = [];
        for (const overlay of overlays) {
            root.pendingOverlayDestroyCount += 1;
            overlay.shown = false;
            // Destroying a shown window breaks its rendering: hide first,
            // destroy on the next turn, each overlay with its own call.
            Qt.callLater(function () {
                overlay.destroy();
                root.pendingOverlayDestroyCount -= 1;
            });
        }
    }

    function showDrawingOverlays() {
        console.debug("[App] showDrawingOverlays");
        for (const overlay of root.drawingOverlays)
            overlay.shown = true;
    }

    function hideDrawingOverlays() {
        console.debug("[App] hideDrawingOverlays");
        for (const overlay of root.drawingOverlays)
            overlay.shown = false;
    }

    function recreateDrawingOverlays() {
        const screens = ScreenMonitor.screens();
        console.debug("[App] recreateDrawingOverlays: screens count: " + screens.length
                     + " drawingOverlays count: " + root.drawingOverlays.length);
        root.showDrawingOverlays();
        if (root.screensEqual(screens.slice(0, AppConstants.maxScreenCount), root.lastScreens))
            return;
        console.debug("[App] recreateDrawingOverlays: screens changed - recreating overlays");
        root.destroyDrawingOverlays();
        Qt.callLater(root.buildDrawingOverlays);
    }

    function buildDrawingOverlays() {
        root.drawingOverlays = root.createDrawingOverlays();
        Qt.callLater(root.restack);
    }

    function triggerDrawingOverlaysRecreation() {
        root.destroyDrawingOverlays();
        if (root.floatingToolbar && root.floatingToolbar.appOn) {
            root.recreateDrawingOverlaysDebounce.trigger();
            root.recreateDrawingOverlaysDebounceRepeat.restart();
        }
    }

    readonly property Connections inkMirrorConnections: Connections {
        target: InkMirror

        function onWindowsChanged() {
            Qt.callLater(root.restackOverlays);
        }
    }

    readonly property Connections screenMonitorConnections: Connections {
        target: ScreenMonitor

        function onWindowsDisplayChangeDetected() {
            if (root.sessionLocked)
                console.debug("[App] display change while locked, overlays follow at unlock");
            else
                root.triggerDrawingOverlaysRecreation();
        }
    }

    readonly property Connections sessionChangeHandlerConnections: Connections {
        target: SessionChangeHandler

        function onSessionUnlocked() {
            root.sessionLocked = false;
            root.triggerDrawingOverlaysRecreation();
        }
        function onSessionLocked() {
            root.sessionLocked = true;
            root.recreateDrawingOverlaysDebounce.cancel();
            root.recreateDrawingOverlaysDebounceRepeat.stop();
            root.destroyDrawingOverlays();
        }
    }

    readonly property Connections appInstanceGuardConnections: Connections {
        target: AppInstanceGuard

        function onActivateRequested() {
            root.openApplication();
        }
        function onCommandReceived(command, argument) {
            root.handleCommand(command, argument);
        }
    }

    readonly property Connections trayIconConnections: Connections {
        target: TrayIcon

        function onOpenRequested() {
            root.openApplication();
        }
        function onMenuOpenRequested() {
            root.openTrayMenu();
        }
    }

    readonly property Connections hotkeyHandlerConnections: Connections {
        target: HotkeyHandler

        function onActivated(action) {
            root.handleHotkey(action);
        }
    }

    // At once, so that the settings window sees what could not be taken.
    readonly property Connections appSettingsConnections: Connections {
        target: root.appSettings

        function onHotkeysChanged() {
            root.applyHotkeys();
        }
        function onHotkeysEnabledChanged() {
            root.applyHotkeys();
        }
    }

    readonly property Connections appControllerConnections: Connections {
        target: AppController

        function onShutdownRequested() {
            root.prepareQuit();
        }
    }

    readonly property Connections applicationConnections: Connections {
        target: Qt.application

        function onAboutToQuit() {
            root.prepareQuit();
        }
    }

    function hasArgument(token: string): bool {
        const args = Qt.application.arguments;
        for (let i = 1; i < args.length; ++i) {
            if (args[i] === token)
                return true;
        }
        return false;
    }

    Component.onCompleted: {
        console.debug("[App] File Version: " + AppInfo.fileVersion);
        console.debug("[App] Product Version: " + AppInfo.productVersion);

        root.appSettings.load();
        root.appSettings.lastRunAt = Utils.isoNow();
        console.debug("[App] Last Run At: " + root.appSettings.lastRunAt);

        AppController.root = root;

        root.applyHotkeys();

        Stats.runStat();

        if (root.hasArgument(CliConstants.autostartToken))
            console.debug("[App] Starting application in autostart mode");
        else if (root.hasArgument(CliConstants.silentToken))
            console.debug("[App] Starting application in silent mode");
        else
            root.openApplication();
    }
}
