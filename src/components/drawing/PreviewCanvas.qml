import QtQuick
import Zem.Inkly

// Turns a left-button drag into one drawing item: shows it live, applies the
// Shift constraints, simplifies a finished stroke and hands the item to the
// drawing state, whose drawing canvas then paints it for good.
//
// Positions are this item's own units, the canvas units of the overlay.
// Stroke points are one flat list [x0, y0, x1, y1, ...], as the drawing
// state keeps them.
//
// The live item is painted on a canvas no larger than the area it covers:
// every frame that shows a change copies, blends and flushes the pixels of
// that canvas, so a screen-sized one made each pointer move cost as much as
// a full-screen repaint. The canvas grows ahead of the item, in steps, and
// is painted again whole only when it moves or grows.
Item {
    id: root

    required property string windowId
    required property DrawingContext drawingContext
    readonly property int drawingTool: root.drawingContext ? root.drawingContext.drawingTool : DrawingTool.None
    property var drawItem: null
    property int strokePointStartIndex: 0
    // Shift anywhere on the desktop: the overlay never takes the focus.
    property bool shiftHeld: false
    property point lastMousePos: Qt.point(0, 0)
    property int shiftAnchorIndex: -1

    // The brush cursor shown at the pointer. The loaded item receives
    // drawingTool, lineColor and lineWidth; it is centred on the pointer and
    // shown only while drawing, inside the canvas, with a tool that has one.
    property Component cursorComponent: null
    readonly property alias cursorItem: cursorLoader.item
    readonly property alias mouseArea: mouseArea
    readonly property alias inkCanvas: inkCanvas
    readonly property alias laserTrail: laserTrail
    readonly property alias textEditor: textEditor
    readonly property alias available: inkCanvas.available
    property alias renderStrategy: inkCanvas.renderStrategy
    // How far, at least, the ink canvas reaches past what it must hold.
    readonly property real growthMargin: 32

    // Pointer moves may come faster than the screen shows frames: each move
    // is kept, the picture is asked for about once a frame.
    readonly property Throttle paintThrottle: Throttle {
        delay: 17
        callback: () => inkCanvas.requestPaint()
    }

    // A caret was placed: the window should take the keyboard.
    signal textStarted

    readonly property real minimumEpsilon: 0.3
    readonly property real maximumEpsilon: 1.0
    readonly property real epsilonPerLineWidth: 0.05

    onShiftHeldChanged: {
        const item = root.drawItem;
        if (!item)
            return;
        if (DrawingTool.drawsAsStroke(item.drawingTool)) {
            root.shiftAnchorIndex = root.shiftHeld ? root.pointCount(item) - 1 : -1;
            root.strokePointStartIndex = 0;
        }
        root.updateDrawing(root.lastMousePos.x, root.lastMousePos.y);
    }

    Canvas {
        id: inkCanvas

        width: 1
        height: 1
        antialiasing: root.antialiasing
        renderStrategy: Canvas.Cooperative

        onPaint: {
            const ctx = inkCanvas.getContext("2d");
            const item = root.drawItem;
            const isStroke = item !== null && DrawingTool.drawsAsStroke(item.drawingTool);
            if (!isStroke || root.strokePointStartIndex === 0)
                ctx.clearRect(0, 0, inkCanvas.width, inkCanvas.height);
            if (item === null)
                return;
            ctx.save();
            ctx.translate(-inkCanvas.x, -inkCanvas.y);
            if (isStroke)
                root.strokePointStartIndex = DrawingRenderer.renderStrokePreview(ctx, item, root.scale, root.strokePointStartIndex);
            else if (DrawingTool.isEraserRectangle(item.drawingTool))
                DrawingRenderer.renderEraserRectanglePreview(ctx, item, root.scale);
            else
                DrawingRenderer.renderDrawItem(ctx, item, root.scale);
            ctx.restore();
        }
    }

    Connections {
        target: RawInputHandler

        function onKeyPressed(key: int, scanCode: int, isExtended: bool, modifiers: int) {
            root.shiftHeld = (modifiers & Qt.ShiftModifier) !== 0;
        }
        function onKeyReleased(key: int, scanCode: int, isExtended: bool, modifiers: int) {
            root.shiftHeld = (modifiers & Qt.ShiftModifier) !== 0;
        }
    }

    MouseArea {
        id: mouseArea

        anchors.fill: parent
        hoverEnabled: true
        acceptedButtons: Qt.LeftButton
        cursorShape: DrawingTool.isText(root.drawingTool) ? Qt.IBeamCursor
                   : DrawingTool.drawsAsShape(root.drawingTool) || DrawingTool.isLaser(root.drawingTool) ? Qt.CrossCursor
                   : Qt.ArrowCursor

        onPressed: mouse => {
            root.lastMousePos = Qt.point(mouse.x, mouse.y);
            if (mouse.button === Qt.LeftButton)
                root.startDrawing(mouse.x, mouse.y);
        }
        onPositionChanged: mouse => {
            root.lastMousePos = Qt.point(mouse.x, mouse.y);
            if (mouse.buttons & Qt.LeftButton) {
                laserTrail.move(mouse.x, mouse.y);
                root.updateDrawing(mouse.x, mouse.y);
            }
        }
        onReleased: mouse => {
            if (mouse.button === Qt.LeftButton) {
                laserTrail.release();
                root.finishDrawing();
            }
        }
        // A drag taken away by the system still keeps what was drawn.
        onCanceled: {
            laserTrail.release();
            root.finishDrawing();
        }
    }

    LaserTrail {
        id: laserTrail

        width: root.width
        height: root.height
        paintScale: root.scale
        antialiasing: root.antialiasing
        visible: laserTrail.active
    }

    // Above the mouse area: a click into the text moves its caret.
    DrawingTextEditor {
        id: textEditor

        windowId: root.windowId
        drawingContext: root.drawingContext
        onStarted: root.textStarted()
    }

    Loader {
        id: cursorLoader

        x: mouseArea.mouseX - width / 2
        y: mouseArea.mouseY - height / 2
        active: root.cursorComponent !== null
        sourceComponent: root.cursorComponent
        // Pictures of the screen show no cursor.
        visible: root.drawingContext !== null && root.drawingContext.drawingModeEnabled && mouseArea.containsMouse
                 && !DrawingTool.isEraserRectangle(root.drawingTool) && !DrawingTool.isText(root.drawingTool)
                 && !DrawingTool.isLaser(root.drawingTool) && !PictureHelper.grabbing

        Binding {
            target: cursorLoader.item
            when: cursorLoader.item !== null
            property: "drawingTool"
            value: root.drawingTool
        }
        Binding {
            target: cursorLoader.item
            when: cursorLoader.item !== null
            property: "lineColor"
            value: root.drawingContext ? root.drawingContext.lineColor : "transparent"
        }
        // The canvas is scaled, so this keeps the true on-screen width.
        Binding {
            target: cursorLoader.item
            when: cursorLoader.item !== null
            property: "lineWidth"
            value: root.drawingContext ? root.drawingContext.lineWidth / Math.max(0.1, root.scale) : 0
        }
    }

    function startDrawing(x: real, y: real) {
        const tool = root.drawingTool;
        if (DrawingTool.isNone(tool) || !root.drawingContext) {
            root.drawItem = null;
            root.requestPaint();
            return;
        }
        if (DrawingTool.isLaser(tool)) {
            laserTrail.press(x, y);
            return;
        }
        // A click elsewhere ends the text being typed; the next one places a
        // caret, or takes up the text under it again.
        if (DrawingTool.isText(tool)) {
            if (textEditor.editing)
                textEditor.commit();
            else
                textEditor.begin(x, y, root.drawingContext.textAt(root.windowId, x, y));
            return;
        }
        const width = DrawingTool.isEraserRectangle(tool) ? 1 : root.drawingContext.lineWidth;
        const c = root.drawingContext.lineColor;
        const item = {
            drawingTool: tool,
            windowId: root.windowId,
            lineColor: Qt.rgba(c.r, c.g, c.b, c.a),
            lineWidth: width
        };
        if (DrawingTool.drawsAsShape(tool)) {
            item.startX = x;
            item.startY = y;
            item.endX = x;
            item.endY = y;
        } else {
            item.points = [x, y];
            root.strokePointStartIndex = 0;
            root.shiftAnchorIndex = root.shiftHeld ? 0 : -1;
        }
        root.drawItem = item;
        root.placeInkCanvas(item, true);
        root.requestPaint();
    }

    function updateDrawing(x: real, y: real) {
        const item = root.drawItem;
        if (!item)
            return;
        if (DrawingTool.drawsAsStroke(item.drawingTool)) {
            const points = item.points;
            if (!points || points.length < 2)
                return;
            if (root.shiftHeld && root.shiftAnchorIndex >= 0) {
                const anchor = Math.min(root.shiftAnchorIndex, root.pointCount(item) - 1);
                const ax = points[2 * anchor];
                const ay = points[2 * anchor + 1];
                const end = root.snapTo45Degrees(ax, ay, x, y);
                points.length = 2 * (anchor + 1);
                points.push(end.x, end.y);
                root.strokePointStartIndex = 0;
            } else {
                points.push(x, y);
            }
            root.placeInkCanvas(item, false);
        } else if (!root.shiftHeld) {
            item.endX = x;
            item.endY = y;
        } else if (DrawingTool.isLine(item.drawingTool) || DrawingTool.isArrow(item.drawingTool)
                   || DrawingTool.isDashedLine(item.drawingTool)) {
            const end = root.snapTo45Degrees(item.startX, item.startY, x, y);
            item.endX = end.x;
            item.endY = end.y;
        } else {
            const dx = x - item.startX;
            const dy = y - item.startY;
            const size = Math.max(Math.abs(dx), Math.abs(dy));
            item.endX = dx >= 0 ? item.startX + size : item.startX - size;
            item.endY = dy >= 0 ? item.startY + size : item.startY - size;
        }
        if (!DrawingTool.drawsAsStroke(item.drawingTool))
            root.placeInkCanvas(item, false);
        root.paintThrottle.trigger();
    }

    function finishDrawing() {
        const item = root.drawItem;
        if (!item)
            return;
        if (DrawingTool.drawsAsStroke(item.drawingTool) && root.pointCount(item) > 2) {
            const before = root.pointCount(item);
            const epsilon = Math.min(root.maximumEpsilon,
                                     Math.max(root.minimumEpsilon, item.lineWidth * root.epsilonPerLineWidth));
            item.points = root.simplifyStroke(item.points, item.lineWidth, epsilon);
            const after = root.pointCount(item);
            const reduced = ((1 - after / before) * 100).toFixed(1);
            console.debug("[" + root.windowId + "] simplified: " + before + " -> " + after + " (" + reduced + "% reduced)");
        }
        root.logFinishDrawing(item);
        if (root.drawingContext)
            root.drawingContext.pushDrawItem(item);
        root.drawItem = null;
        root.shiftAnchorIndex = -1;
        root.strokePointStartIndex = 0;
        root.paintThrottle.cancel();
        root.requestPaint();
    }

    function requestPaint() {
        inkCanvas.requestPaint();
    }

    // Makes the ink canvas cover what the live item paints: for a stroke its
    // newest point, for a shape its whole box, each widened by the paint's
    // reach. A canvas that has to move or grow is painted again whole, in
    // the same frame as its new place. `restart` lets it shrink, for a new
    // item.
    function placeInkCanvas(item, restart: bool) {
        let minX;
        let minY;
        let maxX;
        let maxY;
        if (DrawingTool.drawsAsStroke(item.drawingTool)) {
            const points = item.points;
            const count = root.pointCount(item);
            if (count === 0)
                return;
            minX = maxX = points[2 * count - 2];
            minY = maxY = points[2 * count - 1];
        } else {
            minX = Math.min(item.startX, item.endX);
            minY = Math.min(item.startY, item.endY);
            maxX = Math.max(item.startX, item.endX);
            maxY = Math.max(item.startY, item.endY);
        }
        const scale = Math.max(0.1, root.scale);
        const reach = DrawingRenderer.reachFactor(item.drawingTool) * item.lineWidth / scale + DrawingRenderer.antialiasMargin;
        minX -= reach;
        minY -= reach;
        maxX += reach;
        maxY += reach;
        const left = inkCanvas.x;
        const top = inkCanvas.y;
        const right = left + inkCanvas.width;
        const bottom = top + inkCanvas.height;
        if (!restart && left <= minX && top <= minY && maxX <= right && maxY <= bottom)
            return;
        // A side that has to move goes ahead of the item by half the
        // canvas's extent, so a long stroke is painted again whole only a
        // few times; the other sides stay where they are.
        let x0 = minX - root.growthMargin;
        let y0 = minY - root.growthMargin;
        let x1 = maxX + root.growthMargin;
        let y1 = maxY + root.growthMargin;
        if (!restart) {
            const aheadX = Math.max(root.growthMargin, (right - left) / 2);
            const aheadY = Math.max(root.growthMargin, (bottom - top) / 2);
            x0 = minX < left ? minX - aheadX : left;
            y0 = minY < top ? minY - aheadY : top;
            x1 = maxX > right ? maxX + aheadX : right;
            y1 = maxY > bottom ? maxY + aheadY : bottom;
        }
        const x = Math.max(0, Math.floor(x0));
        const y = Math.max(0, Math.floor(y0));
        inkCanvas.x = x;
        inkCanvas.y = y;
        inkCanvas.width = Math.max(1, Math.min(Math.ceil(root.width), Math.ceil(x1)) - x);
        inkCanvas.height = Math.max(1, Math.min(Math.ceil(root.height), Math.ceil(y1)) - y);
        root.strokePointStartIndex = 0;
        inkCanvas.requestPaint();
    }

    function logFinishDrawing(item) {
        let line = "[" + root.windowId + "] draw " + DrawingTool.toString(item.drawingTool);
        if (DrawingTool.drawsAsStroke(item.drawingTool))
            line += " points: " + root.pointCount(item);
        console.debug(line);
    }

    function simplifyStroke(points, lineWidth: real, epsilon: real) {
        if (!points || points.length <= 4)
            return points ? points.slice() : [];
        return root.rdpSimplify(points, epsilon);
    }

    // Ramer-Douglas-Peucker on a flat list. The splits are walked with a
    // stack of ranges instead of recursion, so a long scribble cannot run
    // out of call stack; the kept points are the same.
    function rdpSimplify(points, epsilon: real) {
        const count = points ? Math.floor(points.length / 2) : 0;
        if (count <= 2)
            return points ? points.slice(0, 2 * count) : [];
        const keep = new Uint8Array(count);
        keep[0] = 1;
        keep[count - 1] = 1;
        const ranges = [0, count - 1];
        while (ranges.length > 0) {
            const last = ranges.pop();
            const first = ranges.pop();
            if (last - first < 2)
                continue;
            const ax = points[2 * first];
            const ay = points[2 * first + 1];
            const bx = points[2 * last];
            const by = points[2 * last + 1];
            let farthest = -1;
            let index = first + 1;
            for (let i = first + 1; i < last; ++i) {
                const d = root.segmentDistance(points[2 * i], points[2 * i + 1], ax, ay, bx, by);
                if (d > farthest) {
                    farthest = d;
                    index = i;
                }
            }
            if (farthest > epsilon) {
                keep[index] = 1;
                ranges.push(first, index, index, last);
            }
        }
        const result = [];
        for (let i = 0; i < count; ++i) {
            if (keep[i])
                result.push(points[2 * i], points[2 * i + 1]);
        }
        return result;
    }

    // Distance to the segment, not to the infinite line: the ends of a
    // back-and-forth scribble lie beyond the segment and must be kept.
    function perpendicularDistance(point, lineStart, lineEnd): real {
        return root.segmentDistance(point.x, point.y, lineStart.x, lineStart.y, lineEnd.x, lineEnd.y);
    }

    function segmentDistance(px: real, py: real, ax: real, ay: real, bx: real, by: real): real {
        const dx = bx - ax;
        const dy = by - ay;
        const lengthSquared = dx * dx + dy * dy;
        if (lengthSquared === 0)
            return Math.sqrt((px - ax) * (px - ax) + (py - ay) * (py - ay));
        const t = Math.max(0, Math.min(1, ((px - ax) * dx + (py - ay) * dy) / lengthSquared));
        const cx = ax + t * dx;
        const cy = ay + t * dy;
        return Math.sqrt((px - cx) * (px - cx) + (py - cy) * (py - cy));
    }

    // The point at the pointer's distance from (ax, ay) in the nearest
    // multiple of 45 degrees; halves round upwards.
    function snapTo45Degrees(ax: real, ay: real, x: real, y: real): point {
        const dx = x - ax;
        const dy = y - ay;
        const distance = Math.sqrt(dx * dx + dy * dy);
        const step = Math.PI / 4;
        const angle = Math.round(Math.atan2(dy, dx) / step) * step;
        return Qt.point(ax + distance * Math.cos(angle), ay + distance * Math.sin(angle));
    }

    function pointCount(item): int {
        return item && item.points ? Math.floor(item.points.length / 2) : 0;
    }
}
