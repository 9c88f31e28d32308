// What painting costs on the GUI thread: full and incremental repaints of the
// drawing canvas, one pointer move of the stroke preview, the simplification
// of a finished stroke, and the drawing canvas's render strategies compared.
// The real DrawingCanvas and PreviewCanvas run in a 1920 x 1080 window, so a
// figure covers the script, the rasterisation and the frame that shows it.
// Prints medians; asserts nothing.
//
//   bench/bench_renderer [--runs N] [--quick] [--handwriting] [--creation]
//
// --quick runs each case twice on small drawings, to see that it works;
// --handwriting runs only the undo and new-overlay cases, --creation only
// the new overlay's.
// The render loop follows QSG_RENDER_LOOP (basic or threaded).

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QJSEngine>
#include <QJSValue>
#include <QMutex>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>

Q_IMPORT_QML_PLUGIN(Zem_InklyPlugin)

namespace {

constexpr int kCanvasWidth = 1920;
constexpr int kCanvasHeight = 1080;
constexpr int kPointsPerStroke = 50;
constexpr int kRdpPoints = 2000;
// A gap this long between two ticks of the 1 ms probe means the GUI thread
// was busy with something else.
constexpr double kBlockedGapMs = 2.0;
// Longest wait for one repaint before it counts as lost.
constexpr double kGiveUpMs = 180000.0;

// One overlay's canvases over one DrawingContext, the way DrawingOverlay
// stacks them, with the helpers that build the drawings.
const char kSceneQml[] = R"(
import QtQuick
import Zem.Inkly

Item {
    id: root

    property bool threaded: false
    property int pointsPerStroke: 50
    property int rdpPoints: 2000
    readonly property string windowId: "DrawingOverlay_0"
    readonly property DrawingContext drawingContext: DrawingContext {}
    readonly property alias drawingCanvas: drawingCanvas
    readonly property alias previewCanvas: previewCanvas
    readonly property bool ready: drawingCanvas.available && previewCanvas.available
    property int seed: 1
    property int previewStepIndex: 0
    property real learntSliceBudget: 0

    width: 1920
    height: 1080

    DrawingCanvas {
        id: drawingCanvas

        windowId: root.windowId
        drawingContext: root.drawingContext
        width: root.width
        height: root.height
        antialiasing: root.drawingContext.antialiasingEnabled
        renderStrategy: root.threaded ? Canvas.Threaded : Canvas.Cooperative
    }

    PreviewCanvas {
        id: previewCanvas

        windowId: root.windowId
        drawingContext: root.drawingContext
        width: root.width
        height: root.height
        antialiasing: root.drawingContext.antialiasingEnabled
        renderStrategy: Canvas.Cooperative
    }

    // Park-Miller, so every run paints the same strokes.
    function random(): real {
        root.seed = (root.seed * 48271) % 2147483647;
        return root.seed / 2147483647;
    }

    // A pointer drag: small steps from a random start, kept on the canvas.
    // The worst case jumps anywhere on the canvas at every point, so each
    // segment is a long line across the screen.
    function makeStroke(worstCase: bool) {
        const points = [];
        let x = root.random() * root.width;
        let y = root.random() * root.height;
        for (let i = 0; i < root.pointsPerStroke; ++i) {
            if (worstCase) {
                x = root.random() * root.width;
                y = root.random() * root.height;
            } else {
                x = Math.min(root.width, Math.max(0, x + (root.random() - 0.5) * 16));
                y = Math.min(root.height, Math.max(0, y + (root.random() - 0.5) * 16));
            }
            points.push(x, y);
        }
        return { drawingTool: DrawingTool.Pen, windowId: root.windowId,
                 lineColor: Qt.rgba(root.random(), root.random(), root.random(), 1),
                 lineWidth: AppConstants.defaultLineWidth, points: points };
    }

    // Replaces the drawing without painting it.
    function setStrokes(count: int, worstCase: bool) {
        root.seed = 1;
        const items = [];
        for (let i = 0; i < count; ++i)
            items.push(root.makeStroke(worstCase));
        root.drawingContext.drawItems = items;
    }

    function repaintAll() {
        drawingCanvas.refreshCanvas();
    }

    // The whole picture in one paint, as every full repaint was made before
    // it was cut into slices.
    function repaintAllAtOnce() {
        if (root.learntSliceBudget === 0)
            root.learntSliceBudget = drawingCanvas.sliceBudget;
        drawingCanvas.sliceBudget = 1e12;
        drawingCanvas.refreshCanvas();
    }

    // Back to the slices the canvas had learnt.
    function restoreSlices() {
        if (root.learntSliceBudget > 0)
            drawingCanvas.sliceBudget = root.learntSliceBudget;
        root.learntSliceBudget = 0;
    }

    // Smooth handwriting: 30 to 80 points a few pixels apart, turning gently.
    function makeHandwriting() {
        const count = 30 + Math.floor(root.random() * 51);
        const points = [];
        let x = 50 + root.random() * (root.width - 100);
        let y = 50 + root.random() * (root.height - 100);
        let heading = root.random() * 2 * Math.PI;
        for (let i = 0; i < count; ++i) {
            heading += (root.random() - 0.5) * 0.6;
            const step = 2 + root.random() * 2;
            x = Math.min(root.width, Math.max(0, x + step * Math.cos(heading)));
            y = Math.min(root.height, Math.max(0, y + step * Math.sin(heading)));
            points.push(x, y);
        }
        return { drawingTool: DrawingTool.Pen, windowId: root.windowId,
                 lineColor: Qt.rgba(root.random(), root.random(), root.random(), 1),
                 lineWidth: AppConstants.defaultLineWidth, points: points };
    }

    function setHandwriting(count: int) {
        root.seed = 3;
        const items = [];
        for (let i = 0; i < count; ++i)
            items.push(root.makeHandwriting());
        root.drawingContext.drawItems = items;
        root.drawingContext.undoStack = [];
    }

    // Undo as the user does it, the save snapshot included.
    function undoLast() {
        root.drawingContext.undo();
    }

    // The same undo, followed by the full repaint it used to cost.
    function undoLastWithFullRepaint() {
        root.drawingContext.undo();
        root.repaintAllAtOnce();
    }

    // Puts the undone stroke back and lets it paint.
    function redoLast() {
        root.drawingContext.redo();
    }

    // What a pushed stroke asks of the canvas, without the save it schedules.
    function appendStroke() {
        root.drawingContext.drawItems.push(root.makeStroke(false));
        drawingCanvas.requestCanvasPaint(root.windowId, true);
    }

    function startPreview() {
        root.drawingContext.drawingTool = DrawingTool.Pen;
        root.previewStepIndex = 0;
        previewCanvas.startDrawing(200, 540);
    }

    function previewStep() {
        const i = ++root.previewStepIndex;
        previewCanvas.updateDrawing(200 + (i * 3) % 1500, 540 + 200 * Math.sin(i / 20));
    }

    function stopPreview() {
        previewCanvas.drawItem = null;
        previewCanvas.requestPaint();
    }

    // A slow freehand scribble (sub-pixel to a few pixels a step, so most
    // points go), and a zigzag whose every point is a corner to keep.
    function makeRdpStroke(kind: string) {
        root.seed = 7;
        const points = [];
        let x = 100;
        let y = 500;
        let heading = 0;
        for (let i = 0; i < root.rdpPoints; ++i) {
            if (kind === "zigzag") {
                points.push(100 + i * 0.85, 500 + (i % 2 === 0 ? -40 : 40));
            } else {
                heading += (root.random() - 0.5) * 0.5;
                const step = 0.3 + root.random() * 2.5;
                x += step * Math.cos(heading);
                y += step * Math.sin(heading);
                points.push(x, y);
            }
        }
        return points;
    }
}
)";

QElapsedTimer g_clock;

double nowMs()
{
    return double(g_clock.nsecsElapsed()) / 1e6;
}

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

// One repaint, from the call that asks for it to the frame that shows it.
struct Sample
{
    double latencyMs = 0;
    double scriptMs = 0; // the onPaint handler, with the polish around it
    double blockedMs = 0; // sum of the GUI thread's busy stretches
    double longestBlockMs = 0;
    bool landed = false;
};

struct Figures
{
    QList<double> latency;
    QList<double> script;
    QList<double> blocked;
    QList<double> longest;
    int lost = 0;

    void add(const Sample &sample)
    {
        latency << sample.latencyMs;
        script << sample.scriptMs;
        blocked << sample.blockedMs;
        longest << sample.longestBlockMs;
        lost += sample.landed ? 0 : 1;
    }
};

// Repaints that never showed, over every case.
int g_lost = 0;

// Watches one window and one canvas while an action asks for a repaint.
// A 1 ms timer on the GUI thread ticks whenever the thread is free; the
// holes between its ticks are the time the thread was blocked.
class RepaintMeter : public QObject
{
    Q_OBJECT

public:
    RepaintMeter(QQuickWindow *window, QObject *canvas)
    {
        // Straight from the thread that presents, which is not the GUI
        // thread under the threaded render loop.
        connect(window, &QQuickWindow::frameSwapped, this, &RepaintMeter::noteFrame,
                Qt::DirectConnection);
        // The drawing canvas starts a slice of its tiles; a plain canvas paints.
        if (canvas->metaObject()->indexOfSignal("sliceStarted()") >= 0)
            connect(canvas, SIGNAL(sliceStarted()), this, SLOT(notePaint()));
        else
            connect(canvas, SIGNAL(paint(QRect)), this, SLOT(notePaint()));
        connect(canvas, SIGNAL(painted()), this, SLOT(notePainted()));
        m_probe.setTimerType(Qt::PreciseTimer);
        m_probe.setInterval(1);
        connect(&m_probe, &QTimer::timeout, this, &RepaintMeter::tick);
    }

    // `done`, when given, tells whether a painted frame is the last one the
    // action causes (a picture painted in slices shows in several frames).
    Sample measure(const std::function<void()> &action, const std::function<bool()> &done = {})
    {
        m_done = done;
        {
            QMutexLocker lock(&m_mutex);
            m_frames.clear();
        }
        m_ticks.clear();
        m_paintAt = -1;
        m_paintedAt = -1;
        m_start = nowMs();
        m_ticks << m_start;
        m_probe.start();
        action();
        m_loop.exec();
        m_probe.stop();

        Sample sample;
        const double shown = shownAt();
        sample.landed = shown >= 0;
        const double end = sample.landed ? shown : m_ticks.last();
        sample.latencyMs = end - m_start;
        double previous = m_start;
        double lastBeforePaint = m_start;
        for (const double tick : std::as_const(m_ticks)) {
            if (tick > end)
                break;
            if (tick <= m_paintAt)
                lastBeforePaint = tick;
            noteGap(sample, tick - previous);
            previous = tick;
        }
        // The work that ended with the frame, when that frame came on the
        // GUI thread before any further tick.
        noteGap(sample, end - previous);
        sample.scriptMs = m_paintAt >= 0 ? m_paintAt - lastBeforePaint : 0;
        return sample;
    }

private:
    // A free thread ticks every millisecond; what a gap has beyond that
    // was spent on other work.
    static void noteGap(Sample &sample, double gap)
    {
        if (gap < kBlockedGapMs)
            return;
        sample.blockedMs += gap - 1.0;
        sample.longestBlockMs = std::max(sample.longestBlockMs, gap);
    }

private Q_SLOTS:
    void notePaint()
    {
        if (m_paintAt < 0)
            m_paintAt = nowMs();
    }

    void notePainted()
    {
        if (m_paintAt >= 0 && m_paintedAt < 0 && (!m_done || m_done()))
            m_paintedAt = nowMs();
    }

    void noteFrame()
    {
        QMutexLocker lock(&m_mutex);
        m_frames << nowMs();
    }

    void tick()
    {
        const double now = nowMs();
        m_ticks << now;
        if (shownAt() >= 0 || now - m_start > kGiveUpMs)
            m_loop.quit();
    }

    // The canvas says `painted` once its texture holds the new picture,
    // whichever thread painted it; the next frame shows it.
    double shownAt()
    {
        if (m_paintedAt < 0)
            return -1;
        QMutexLocker lock(&m_mutex);
        for (const double t : std::as_const(m_frames)) {
            if (t >= m_paintedAt)
                return t;
        }
        return -1;
    }

private:
    QTimer m_probe;
    QEventLoop m_loop;
    QMutex m_mutex;
    QList<double> m_frames;
    QList<double> m_ticks;
    std::function<bool()> m_done;
    double m_start = 0;
    double m_paintAt = -1;
    double m_paintedAt = -1;
};

// One scene in a window of its own.
class Scene
{
public:
    Scene(QQmlEngine &engine, bool threaded)
    {
        QQmlComponent component(&engine);
        component.setData(kSceneQml, QUrl(QStringLiteral("qrc:/bench/BenchScene.qml")));
        m_root.reset(qobject_cast<QQuickItem *>(
                component.createWithInitialProperties({ { "threaded", threaded },
                        { "pointsPerStroke", kPointsPerStroke }, { "rdpPoints", kRdpPoints } })));
        if (!m_root) {
            std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
            return;
        }
        m_window.resize(kCanvasWidth, kCanvasHeight);
        m_root->setParentItem(m_window.contentItem());
        m_window.show();
        QElapsedTimer wait;
        wait.start();
        while (!m_root->property("ready").toBool() && wait.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        m_canvas = m_root->property("drawingCanvas").value<QObject *>();
        // The preview paints on a canvas of its own, sized to the live item.
        m_preview = m_root->property("previewCanvas")
                            .value<QObject *>()
                            ->property("inkCanvas")
                            .value<QObject *>();
        m_drawingMeter = std::make_unique<RepaintMeter>(&m_window, m_canvas);
        m_previewMeter = std::make_unique<RepaintMeter>(&m_window, m_preview);
        repaint("repaintAll");
    }

    bool isValid() const { return m_root && m_root->property("ready").toBool(); }

    void call(const char *function) { QMetaObject::invokeMethod(m_root.get(), function); }

    void setStrokes(int count, bool worstCase)
    {
        QMetaObject::invokeMethod(
                m_root.get(), "setStrokes", Q_ARG(int, count), Q_ARG(bool, worstCase));
    }

    Sample repaint(const char *function)
    {
        return m_drawingMeter->measure([this, function] { call(function); });
    }

    // Until the last slice of the picture is on the screen.
    Sample repaintWhole(const char *function)
    {
        return m_drawingMeter->measure([this, function] { call(function); },
                [this] { return !m_canvas->property("paintPending").toBool(); });
    }

    Sample previewStep()
    {
        return m_previewMeter->measure([this] { call("previewStep"); });
    }

    // What the canvas runs with: it may refuse the strategy it was given.
    QString strategyName() const
    {
        switch (m_canvas->property("renderStrategy").toInt()) {
        case 0:
            return QStringLiteral("Immediate");
        case 1:
            return QStringLiteral("Threaded");
        case 2:
            return QStringLiteral("Cooperative");
        default:
            return QStringLiteral("unknown");
        }
    }

    QQuickItem *root() const { return m_root.get(); }
    QQuickWindow &window() { return m_window; }

private:
    QQuickWindow m_window;
    std::unique_ptr<QQuickItem> m_root;
    QObject *m_canvas = nullptr;
    QObject *m_preview = nullptr;
    std::unique_ptr<RepaintMeter> m_drawingMeter;
    std::unique_ptr<RepaintMeter> m_previewMeter;
};

void printHeader()
{
    std::printf("%-58s %5s %9s %9s %9s %9s\n", "case (median of runs, ms)", "runs", "total",
            "onPaint", "GUI busy", "longest");
}

void printRow(const QString &name, const Figures &figures)
{
    g_lost += figures.lost;
    std::printf("%-58s %5d %9.1f %9.1f %9.1f %9.1f\n", qPrintable(name),
            int(figures.latency.size()), median(figures.latency), median(figures.script),
            median(figures.blocked), median(figures.longest));
    std::fflush(stdout);
}

Figures fullRepaint(Scene &scene, int strokes, bool worstCase, int runs)
{
    scene.setStrokes(strokes, worstCase);
    Figures figures;
    scene.repaintWhole("repaintAll"); // warm-up: the script engine compiles on first use
    for (int run = 0; run < runs; ++run)
        figures.add(scene.repaintWhole("repaintAll"));
    return figures;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.info=false;*.debug=false");
    // The drawing context reads and writes its stores; keep them away from
    // the user's own files.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toLocal8Bit());

    QGuiApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Zemworks"));
    QCoreApplication::setApplicationName(QStringLiteral("Inkly"));
    g_clock.start();

    const QStringList arguments = app.arguments();
    const bool quick = arguments.contains(QStringLiteral("--quick"));
    // Only the handwriting cases: undo and a new overlay's picture.
    const bool creationOnly = arguments.contains(QStringLiteral("--creation"));
    const bool handwritingOnly
            = creationOnly || arguments.contains(QStringLiteral("--handwriting"));
    int runs = quick ? 2 : 7;
    const qsizetype runsAt = arguments.indexOf(QStringLiteral("--runs"));
    if (runsAt > 0 && runsAt + 1 < arguments.size())
        runs = std::max(1, arguments.at(runsAt + 1).toInt());
    const QList<int> sizes = quick ? QList<int> { 10, 100 } : QList<int> { 100, 1000, 5000 };
    const QList<int> worstSizes = quick ? QList<int> { 2 } : QList<int> { 10 };
    const int appendBase = quick ? 100 : 1000;
    const int strategyStrokes = quick ? 100 : 1000;

    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));

    if (!handwritingOnly) {
        Scene scene(engine, false);
        if (!scene.isValid())
            return 1;
        std::atomic<bool> renderThread = false;
        const QMetaObject::Connection probe = QObject::connect(
                &scene.window(), &QQuickWindow::beforeRendering, &scene.window(),
                [&renderThread] { renderThread = QThread::currentThread() != qApp->thread(); },
                Qt::DirectConnection);
        scene.repaint("repaintAll");
        QObject::disconnect(probe);
        std::printf("Canvas %d x %d, strokes of %d points, line width 5; scene graph \"%s\", "
                    "platform \"%s\", rendering on %s\n\n",
                kCanvasWidth, kCanvasHeight, kPointsPerStroke,
                qPrintable(QQuickWindow::sceneGraphBackend()),
                qPrintable(QGuiApplication::platformName()),
                renderThread ? "a render thread" : "the GUI thread");
        printHeader();

        for (const int strokes : sizes) {
            printRow(QStringLiteral("full repaint, %1 random-walk strokes").arg(strokes),
                    fullRepaint(scene, strokes, false, runs));
        }
        for (const int strokes : worstSizes) {
            printRow(QStringLiteral("full repaint, %1 strokes jumping across the canvas")
                             .arg(strokes),
                    fullRepaint(scene, strokes, true, std::min(runs, 3)));
        }

        // Each new stroke lands on the picture of the ones before it.
        scene.setStrokes(appendBase, false);
        scene.repaint("repaintAll");
        Figures appended;
        scene.repaint("appendStroke");
        for (int run = 0; run < std::max(runs, 15); ++run)
            appended.add(scene.repaint("appendStroke"));
        printRow(QStringLiteral("incremental paint of 1 stroke on %1").arg(appendBase), appended);

        // The preview over the same picture: one pointer move adds one segment.
        QMetaObject::invokeMethod(scene.root(), "startPreview");
        scene.previewStep();
        Figures preview;
        for (int run = 0; run < std::max(runs, 30); ++run)
            preview.add(scene.previewStep());
        QMetaObject::invokeMethod(scene.root(), "stopPreview");
        printRow(QStringLiteral("stroke preview, one pointer move"), preview);

        // Simplifying a finished stroke, as PreviewCanvas does on release.
        QJSEngine::setObjectOwnership(scene.root(), QJSEngine::CppOwnership);
        const QJSValue rootValue = engine.newQObject(scene.root());
        const QJSValue previewCanvas = rootValue.property(QStringLiteral("previewCanvas"));
        const QJSValue simplify = previewCanvas.property(QStringLiteral("simplifyStroke"));
        const QJSValue makeStroke = rootValue.property(QStringLiteral("makeRdpStroke"));
        std::printf("\n%-58s %5s %9s %9s\n", "simplifyStroke of PreviewCanvas (median, ms)", "runs",
                "time", "kept");
        for (const QString kind : { QStringLiteral("scribble"), QStringLiteral("zigzag") }) {
            const QJSValue points = makeStroke.callWithInstance(rootValue, { kind });
            QList<double> times;
            int kept = 0;
            // The first call compiles; it is left out.
            for (int run = 0; run < (quick ? 2 : std::max(runs, 15)) + 1; ++run) {
                const double start = nowMs();
                const QJSValue result
                        = simplify.callWithInstance(previewCanvas, { points, 5, 0.3 });
                if (run > 0)
                    times << nowMs() - start;
                kept = result.property(QStringLiteral("length")).toInt() / 2;
            }
            std::printf("%-58s %5d %9.2f %9d\n",
                    qPrintable(QStringLiteral("%1 points, %2, width 5, epsilon 0.3")
                                       .arg(kRdpPoints)
                                       .arg(kind)),
                    int(times.size()), median(times), kept);
        }
        std::fflush(stdout);
    }

    {
        // Undo of one stroke of handwriting, and a new overlay's first
        // picture, each beside what it cost when every such paint was full.
        Scene scene(engine, false);
        if (!scene.isValid())
            return 1;
        std::printf(
                "\nhandwriting (30-80 points a stroke), against the full repaint it replaces\n");
        printHeader();
        const QList<int> undoSizes = creationOnly ? QList<int> {}
                : quick                           ? QList<int> { 100 }
                                                  : QList<int> { 1000, 10000 };
        for (const int strokes : undoSizes) {
            QMetaObject::invokeMethod(scene.root(), "setHandwriting", Q_ARG(int, strokes));
            scene.repaintWhole("repaintAllAtOnce");
            scene.call("restoreSlices");
            scene.call("undoLast"); // the first save encodes every item
            scene.repaintWhole("redoLast");
            for (const bool full : { true, false }) {
                Figures figures;
                for (int run = 0; run < runs; ++run) {
                    figures.add(scene.repaintWhole(full ? "undoLastWithFullRepaint" : "undoLast"));
                    scene.call("restoreSlices");
                    scene.repaintWhole("redoLast");
                }
                printRow(QStringLiteral("undo of 1 stroke on %1: %2")
                                 .arg(strokes)
                                 .arg(full ? QStringLiteral("full repaint (before)")
                                           : QStringLiteral("area repair")),
                        figures);
            }
        }
        // The save that the last redo scheduled is left to pass first.
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 1500)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        const int creationStrokes = quick ? 500 : 10000;
        QMetaObject::invokeMethod(scene.root(), "setHandwriting", Q_ARG(int, creationStrokes));
        for (const bool once : { true, false }) {
            Figures figures;
            for (int run = 0; run < std::min(runs, 3); ++run) {
                figures.add(scene.repaintWhole(once ? "repaintAllAtOnce" : "repaintAll"));
                scene.call("restoreSlices");
            }
            printRow(QStringLiteral("whole picture of %1: %2")
                             .arg(creationStrokes)
                             .arg(once ? QStringLiteral("one paint (before)")
                                       : QStringLiteral("in slices")),
                    figures);
        }
    }

    std::printf("\nrender strategy of the drawing canvas, full repaint of %d random-walk strokes\n",
            strategyStrokes);
    printHeader();
    for (const bool threaded : { false, true }) {
        if (handwritingOnly)
            break;
        Scene scene(engine, threaded);
        if (!scene.isValid())
            return 1;
        const Figures figures = fullRepaint(scene, strategyStrokes, false, runs);
        printRow(QStringLiteral("Canvas.%1").arg(scene.strategyName()), figures);
    }

    std::printf("\ntotal: from the request to the frame that shows the new picture; onPaint: "
                "the canvas's paint\nhandler with its polish; GUI busy: time in which the GUI "
                "thread could not handle events\n(gaps of %.0f ms or more in a 1 ms timer); "
                "longest: the longest such gap\n",
            kBlockedGapMs);
    if (g_lost > 0)
        std::printf("\nWARNING: %d repaints never reached the window; their figures are "
                    "meaningless\n",
                g_lost);
    return 0;
}

#include "bench_renderer.moc"
