import QtQuick
import Zem.Inkly

// One screen's transparent drawing window: the lasting picture of that
// screen's items under the live preview. While the pointer tool is chosen
// it lets every click through to the windows below.
Window {
    id: root

    required property string windowId
    required property DrawingContext drawingContext
    property real canvasScale: root.effectiveCanvasScale()
    property int canvasWidth: Math.round(root.width / root.canvasScale)
    property int canvasHeight: Math.round(root.height / root.canvasScale)
    // The flag bits that change the window's place in the stack.
    readonly property int zMask: Qt.Tool | Qt.WindowTransparentForInput | Qt.WindowDoesNotAcceptFocus
    // Window.flags has no change signal; the flags are bound to effectiveFlags().
    property int zBits: root.effectiveFlags() & root.zMask
    property bool loaded: false
    property bool previewCanvasActive: false

    readonly property alias drawingCanvas: drawingCanvasLoader.item
    readonly property alias previewCanvas: previewCanvasLoader.item
    readonly property alias lineWidthStepper: lineWidthStepper

    // Where nothing composites, the window is cut down to the ink it paints.
    readonly property bool shapedToInk: WindowHelper.windowsCutToInk
    // Presses where a shaped window paints nothing must still draw.
    readonly property bool routesClicks: root.shapedToInk && root.visible && root.drawingContext !== null
                                         && root.drawingContext.drawingModeEnabled

    // What the root asks for: this screen's overlay on screen. Under
    // XWayland the compositor gives every press inside the window's
    // rectangle to it, whatever its input shape, and never to a native
    // program below; in pointer mode the window then steps aside for a
    // mirror of its ink that takes no input (InkMirror).
    property bool shown: false
    readonly property bool mirrored: root.shown && InkMirror.available
                                     && !(root.drawingContext && root.drawingContext.drawingModeEnabled)

    // Screens above this short side paint at a reduced resolution, enlarged.
    readonly property int optimizedShortSide: 1080

    signal restackRequested

    title: "Inkly Drawing Overlay - " + root.windowId
    color: "transparent"
    visible: false
    flags: root.effectiveFlags()

    onZBitsChanged: {
        console.debug("[" + root.windowId + "] restackRequested");
        root.restackRequested();
    }

    Component.onCompleted: {
        console.debug("[" + root.windowId + "] x: " + root.x + " y: " + root.y + " w: " + root.width + " h: " + root.height);
        Qt.callLater(root.markLoaded);
        if (InkMirror.available)
            InkMirror.attach(root, mirrorPictureComponent.createObject(null));
    }

    onShownChanged: root.syncVisibility()
    onMirroredChanged: root.syncVisibility()

    // The mirror shows first, so the ink never leaves the screen.
    function syncVisibility() {
        InkMirror.setShown(root, root.mirrored);
        root.visible = root.shown && !root.mirrored;
    }

    onRoutesClicksChanged: WindowHelper.setClicksRouted(root, root.routesClicks)
    Component.onDestruction: {
        WindowHelper.setClicksRouted(root, false);
        InkMirror.detach(root);
    }

    function effectiveFlags(): int {
        let flags = Qt.Tool | Qt.FramelessWindowHint;
        // Only the text tool types into the overlay.
        if (!root.drawingContext || !DrawingTool.isText(root.drawingContext.drawingTool))
            flags |= Qt.WindowDoesNotAcceptFocus;
        // The root keeps an unmanaged overlay in its place in the stack.
        flags |= WindowHelper.unmanagedFlag();
        if (!root.drawingContext || !root.drawingContext.drawingModeEnabled)
            flags |= Qt.WindowTransparentForInput;
        return flags;
    }

    function effectiveCanvasScale(): real {
        if (!root.drawingContext || !root.drawingContext.resolutionOptimizationEnabled)
            return 1;
        return Math.max(1, Math.min(root.width, root.height) / root.optimizedShortSide);
    }

    // Under XWayland the compositor decides, on the click itself.
    function activateForTyping() {
        if (!WindowHelper.waylandSession)
            root.requestActivate();
    }

    function markLoaded() {
        root.loaded = true;
    }

    function syncPreviewCanvasActive() {
        root.previewCanvasActive = drawingCanvasLoader.active;
    }

    Item {
        id: canvasArea

        // The window's own size: its content item follows it only once shown.
        width: root.width
        height: root.height

        // A board hides the desktop behind its own page of ink.
        Rectangle {
            anchors.fill: parent
            color: DrawingRenderer.pageColor
            visible: root.drawingContext !== null && root.drawingContext.board !== ""
        }

        // The loaders take their canvas's size, so centring them centres the
        // canvases, and each canvas scales about its own centre.
        Loader {
            id: drawingCanvasLoader

            anchors.centerIn: parent
            active: root.loaded
            onActiveChanged: Qt.callLater(root.syncPreviewCanvasActive)

            sourceComponent: DrawingCanvas {
                windowId: root.windowId
                drawingContext: root.drawingContext
                width: root.canvasWidth
                height: root.canvasHeight
                scale: root.canvasScale
                antialiasing: root.drawingContext ? root.drawingContext.antialiasingEnabled : true
                renderStrategy: Canvas.Cooperative
            }
        }

        Loader {
            id: previewCanvasLoader

            anchors.centerIn: parent
            active: root.previewCanvasActive

            sourceComponent: PreviewCanvas {
                windowId: root.windowId
                drawingContext: root.drawingContext
                width: root.canvasWidth
                height: root.canvasHeight
                scale: root.canvasScale
                antialiasing: root.drawingContext ? root.drawingContext.antialiasingEnabled : true
                renderStrategy: Canvas.Cooperative
                cursorComponent: drawingCursorComponent
                onTextStarted: root.activateForTyping()
            }
        }

        LineWidthStepper {
            id: lineWidthStepper

            drawingContext: root.drawingContext
        }
    }

    // The mirror's own picture of this screen's ink, painted offscreen.
    Component {
        id: mirrorPictureComponent

        Item {
            width: root.width
            height: root.height

            Rectangle {
                anchors.fill: parent
                color: DrawingRenderer.pageColor
                visible: root.drawingContext !== null && root.drawingContext.board !== ""
            }

            DrawingCanvas {
                anchors.centerIn: parent
                windowId: root.windowId
                drawingContext: root.drawingContext
                width: root.canvasWidth
                height: root.canvasHeight
                scale: root.canvasScale
                antialiasing: root.drawingContext ? root.drawingContext.antialiasingEnabled : true
                renderStrategy: Canvas.Cooperative
            }
        }
    }

    Component {
        id: drawingCursorComponent

        DrawingCursor {}
    }
}
