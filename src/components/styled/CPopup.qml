import QtQuick
import Zem.Inkly

// The base of every transient surface: a frameless, always-on-top tool window
// of its own, so that it can be raised above other programs, with a
// transparent margin that carries the body's drop shadow. Presses outside it
// and Escape are seen through the global raw input, so it also closes while
// another program has the focus.
Window {
    id: root

    readonly property bool opened: root.visible
    property Window parentWindow: null
    property bool closeOnEscape: true
    property bool closeOnPressOutside: true
    // Items on which a press does not close, typically the opening button.
    property list<Item> closeOnPressOutsideExclusions
    property Item contentItem: null
    property bool shadowEnabled: true
    readonly property real shadowExtent: frame.shadowExtent
    readonly property real contentWidth: root.contentItem ? root.contentItem.width : 0
    readonly property real contentHeight: root.contentItem ? root.contentItem.height : 0
    property color backgroundColor: Theme.colorBackground
    property int borderRadius: 12
    property int openDelay: 0
    property bool autoCloseEnabled: false
    property int autoCloseTimeout: 0
    property bool fadeInEnabled: false
    property bool fadeOutEnabled: false
    property int fadeInDuration: Theme.animationDurationFast
    property int fadeOutDuration: Theme.animationDurationFast
    property bool isInvalidating: false

    readonly property bool autoCloseActive: root.autoCloseEnabled && root.autoCloseTimeout > 0
    // True from open() until the delay has run out.
    readonly property bool waiting: openDelayTimer.running

    signal aboutToShow
    signal aboutToHide

    function open() {
        openDelayTimer.stop();
        autoCloseTimer.stop();
        if (root.openDelay > 0)
            openDelayTimer.restart();
        else
            root.openAt(root.effectivePosition());
    }

    function show() {
        root.open();
    }

    function openAt(position: point) {
        openDelayTimer.stop();
        fadeOut.stop();
        root.x = position.x;
        root.y = position.y;
        root.aboutToShow();
        // Sized before it is mapped: the change of `visible` is notified late.
        internal.showing = true;
        if (!root.visible && root.fadeInEnabled) {
            root.opacity = 0;
            root.visible = true;
            fadeIn.restart();
        } else {
            fadeIn.stop();
            root.opacity = 1;
            root.visible = true;
        }
        // The window has to be mapped before it can be raised.
        Qt.callLater(root.raiseIfOpen);
        if (root.autoCloseActive)
            autoCloseTimer.restart();
        else
            autoCloseTimer.stop();
    }

    function close() {
        openDelayTimer.stop();
        autoCloseTimer.stop();
        if (!root.visible || fadeOut.running)
            return;
        root.aboutToHide();
        fadeIn.stop();
        if (root.fadeOutEnabled) {
            fadeOut.restart();
        } else {
            root.hideWindow();
        }
    }

    function hideWindow() {
        internal.showing = false;
        root.visible = false;
        // Qt Quick holds a window's visibility back while its transient parent
        // is hidden, but a popup must go with its anchor window.
        if (root.visible)
            root.visibility = Window.Hidden;
        root.opacity = 1;
    }

    function hide() {
        root.close();
    }

    function raiseIfOpen() {
        if (root.visible)
            root.raise();
    }

    // Window position for an opening without an explicit one; the popup kinds
    // built on this one replace it.
    function effectivePosition(): point {
        let screen = null;
        let bodyX = 0;
        let bodyY = 0;
        if (root.parentWindow) {
            bodyX = root.parentWindow.x + Math.round((root.parentWindow.width - root.contentWidth) / 2);
            bodyY = root.parentWindow.y + Math.round((root.parentWindow.height - root.contentHeight) / 2);
            screen = ScreenMonitor.screenAt(root.parentWindow);
            if (!screen.isValid())
                screen = ScreenMonitor.primaryScreen();
        } else {
            const cursor = MouseHelper.globalMousePosition();
            screen = ScreenMonitor.screenAt(cursor.x, cursor.y);
            if (!screen.isValid())
                screen = ScreenMonitor.primaryScreen();
            const area = screen.availableGeometry;
            bodyX = area.x + Math.round((area.width - root.contentWidth) / 2);
            bodyY = area.y + Math.round((area.height - root.contentHeight) / 2);
        }
        if (screen.isValid()) {
            const area = screen.availableGeometry;
            bodyX = Math.max(area.x, Math.min(area.x + area.width - root.contentWidth, bodyX));
            bodyY = Math.max(area.y, Math.min(area.y + area.height - root.contentHeight, bodyY));
        }
        return Qt.point(bodyX - root.shadowExtent, bodyY - root.shadowExtent);
    }

    // Drops the window's size to 0 and back, so that the platform window
    // takes the current size again.
    function invalidate() {
        root.isInvalidating = true;
        root.isInvalidating = false;
    }

    // Gives every entry of the content the width of the widest one.
    function equalizeContentWidths() {
        if (!root.contentItem)
            return;
        const entries = root.contentItem.children;
        let widest = 0;
        for (let i = 0; i < entries.length; ++i)
            widest = Math.max(widest, entries[i].implicitWidth);
        for (let j = 0; j < entries.length; ++j)
            entries[j].width = widest;
    }

    function isExcluded(globalPos: point): bool {
        for (let i = 0; i < root.closeOnPressOutsideExclusions.length; ++i) {
            const item = root.closeOnPressOutsideExclusions[i];
            if (item && item.visible && Utils.isPointInItem(item, globalPos))
                return true;
        }
        return false;
    }

    function handleGlobalPress(globalPos: point) {
        if (!root.visible || !root.closeOnPressOutside || root.isExcluded(globalPos))
            return;
        // The shadow margin belongs to the outside.
        if (!root.contentItem || !Utils.isPointInItem(root.contentItem, globalPos))
            root.close();
    }

    function attachContent() {
        if (root.contentItem && root.contentItem.parent !== body) {
            root.contentItem.parent = body;
            root.contentItem.x = 0;
            root.contentItem.y = 0;
        }
    }

    flags: Qt.Tool | Qt.WindowStaysOnTopHint | Qt.FramelessWindowHint | WindowHelper.unmanagedFlag()
    transientParent: root.parentWindow
    color: "transparent"
    visible: false
    width: internal.showing && !root.isInvalidating ? container.implicitWidth : 0
    height: internal.showing && !root.isInvalidating ? container.implicitHeight : 0

    onContentItemChanged: root.attachContent()
    onVisibleChanged: {
        if (!root.visible)
            internal.showing = false;
    }
    Component.onCompleted: root.attachContent()

    QtObject {
        id: internal

        property bool showing: false
    }

    Item {
        id: container

        anchors.fill: parent
        implicitWidth: root.contentWidth + 2 * root.shadowExtent
        implicitHeight: root.contentHeight + 2 * root.shadowExtent

        Item {
            id: body

            x: root.shadowExtent
            y: root.shadowExtent
            width: root.contentWidth
            height: root.contentHeight

            CWindowShadowFrame {
                id: frame

                contentWidth: body.width
                contentHeight: body.height
                color: root.backgroundColor
                radius: root.borderRadius
                shadowEnabled: root.shadowEnabled
            }
        }
    }

    Timer {
        id: openDelayTimer

        interval: root.openDelay
        repeat: false
        onTriggered: root.openAt(root.effectivePosition())
    }

    Timer {
        id: autoCloseTimer

        interval: root.autoCloseTimeout
        repeat: false
        onTriggered: root.close()
    }

    NumberAnimation {
        id: fadeIn

        target: root
        property: "opacity"
        from: 0
        to: 1
        duration: root.fadeInDuration
    }

    SequentialAnimation {
        id: fadeOut

        NumberAnimation {
            target: root
            property: "opacity"
            to: 0
            duration: root.fadeOutDuration
        }
        ScriptAction {
            script: root.hideWindow()
        }
    }

    // The handlers check `visible` themselves: its change notification
    // arrives a turn late, and a press right after opening must count.
    Connections {
        target: RawInputHandler

        function onLeftPressed(globalPos) {
            root.handleGlobalPress(Qt.point(globalPos.x, globalPos.y));
        }

        function onKeyPressed(key, scanCode, isExtended, modifiers) {
            if (key === Qt.Key_Escape && root.visible && root.closeOnEscape)
                root.close();
        }
    }
}
