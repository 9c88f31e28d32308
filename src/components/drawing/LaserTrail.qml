import QtQuick
import Zem.Inkly

// The laser pointer's trail: follows the pointer while the button is held,
// and every part of it fades out on its own within the fade duration. It
// belongs to no drawing and to no history.
//
// Positions are canvas units; `paintScale` keeps the line as wide on the
// screen whatever the canvas resolution.
Canvas {
    id: root

    property real paintScale: 1
    property int fadeDuration: AppConstants.laserFadeDuration
    property real lineWidth: AppConstants.laserLineWidth
    // Runs of points, one per press: [x0, y0, t0, x1, y1, t1, ...].
    property var runs: []
    property bool pressed: false
    readonly property bool active: root.runs.length > 0
    readonly property real haloFactor: 2.4
    readonly property real haloAlpha: 0.35
    readonly property real coreFactor: 0.45

    renderStrategy: Canvas.Cooperative

    function press(x: real, y: real) {
        root.pressed = true;
        root.runs.push([x, y, Date.now()]);
        root.runsChanged();
        root.requestPaint();
    }

    function move(x: real, y: real) {
        if (!root.pressed || root.runs.length === 0)
            return;
        root.runs[root.runs.length - 1].push(x, y, Date.now());
        root.requestPaint();
    }

    function release() {
        root.pressed = false;
    }

    // Drops what has faded; a run whose last point has faded goes whole.
    function age() {
        const limit = Date.now() - root.fadeDuration;
        const kept = [];
        for (const run of root.runs) {
            let first = 0;
            while (first < run.length && run[first + 2] < limit)
                first += 3;
            // The segment into the oldest point left still shows, fading.
            first = Math.max(0, first - 3);
            if (run[run.length - 1] >= limit || (root.pressed && run === root.runs[root.runs.length - 1]))
                kept.push(first > 0 ? run.slice(first) : run);
        }
        root.runs = kept;
        root.requestPaint();
    }

    onPaint: {
        const ctx = root.getContext("2d");
        ctx.clearRect(0, 0, root.width, root.height);
        const now = Date.now();
        const width = root.lineWidth / Math.max(0.1, root.paintScale);
        ctx.save();
        ctx.lineCap = "round";
        ctx.lineJoin = "round";
        // Halo, body and core each in a pass of their own, so that a
        // segment's halo never dims the core of the one before.
        const passes = [[Theme.colorLaser, root.haloFactor, root.haloAlpha], [Theme.colorLaser, 1, 1],
                        [Theme.colorLaserCore, root.coreFactor, 1]];
        for (const [style, factor, alpha] of passes) {
            ctx.strokeStyle = style;
            ctx.lineWidth = width * factor;
            for (const run of root.runs) {
                for (let i = 0; i < run.length; i += 3) {
                    const fade = 1 - (now - run[i + 2]) / root.fadeDuration;
                    if (fade <= 0)
                        continue;
                    ctx.beginPath();
                    ctx.moveTo(i >= 3 ? run[i - 3] : run[i], i >= 3 ? run[i - 2] : run[i + 1]);
                    ctx.lineTo(run[i], run[i + 1] + (i >= 3 ? 0 : 0.01));
                    ctx.globalAlpha = fade * alpha;
                    ctx.stroke();
                }
            }
        }
        ctx.restore();
    }

    // About one step a frame while anything is left to fade.
    Timer {
        interval: 16
        repeat: true
        running: root.active
        onTriggered: root.age()
    }
}
