// Painting cost of the drawing renderer on a real Canvas: a full repaint of a
// busy screen and the incremental preview of one stroke. Figures only.

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>
#include <QtTest>

Q_IMPORT_QML_PLUGIN(Zem_InklyPlugin)

namespace {

// Every call ends with a one-pixel read-back, which makes the canvas execute
// the recorded commands at once, so a call measures scripting and raster work.
const char kCanvasQml[] = R"(
import QtQuick
import Zem.Inkly

Canvas {
    id: root
    width: 1920
    height: 1080
    renderStrategy: Canvas.Immediate

    property var items: []
    property var preview: null
    property int previewIndex: 0

    function makeStrokes(count, pointsPerStroke) {
        const list = [];
        for (let s = 0; s < count; ++s) {
            const points = [];
            const baseX = (s * 37) % 1800 + 40;
            const baseY = (s * 53) % 1000 + 40;
            for (let i = 0; i < pointsPerStroke; ++i)
                points.push(baseX + i * 3, baseY + 20 * Math.sin(i / 4 + s));
            list.push({ drawingTool: DrawingTool.Pen, windowId: "DrawingOverlay_0",
                        lineColor: Qt.color("#FF0000"), lineWidth: 5, points: points });
        }
        root.items = list;
    }

    function flush(ctx) {
        return ctx.getImageData(0, 0, 1, 1).data[3];
    }

    function repaintAll() {
        const ctx = root.getContext("2d");
        ctx.clearRect(0, 0, root.width, root.height);
        const items = root.items;
        for (let i = 0; i < items.length; ++i)
            DrawingRenderer.renderDrawItem(ctx, items[i], 1);
        return root.flush(ctx);
    }

    function startPreview() {
        const ctx = root.getContext("2d");
        ctx.clearRect(0, 0, root.width, root.height);
        root.preview = { drawingTool: DrawingTool.Highlighter, windowId: "DrawingOverlay_0",
                         lineColor: Qt.color("#FFF600"), lineWidth: 30, points: [100, 500] };
        root.previewIndex = DrawingRenderer.renderStrokePreview(ctx, root.preview, 1, 0);
    }

    // One pointer movement: one new point, painted from the last painted one.
    function previewStep(i) {
        const ctx = root.getContext("2d");
        root.preview.points.push(100 + (i % 1700), 500 + 200 * Math.sin(i / 10));
        root.previewIndex = DrawingRenderer.renderStrokePreview(ctx, root.preview, 1, root.previewIndex);
        return root.flush(ctx);
    }

    function paintOne(index) {
        const ctx = root.getContext("2d");
        DrawingRenderer.renderDrawItem(ctx, root.items[index % root.items.length], 1);
        return root.flush(ctx);
    }
}
)";

} // namespace

class BenchRenderer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        QQmlComponent component(&m_engine);
        component.setData(kCanvasQml, QUrl(QStringLiteral("qrc:/bench/BenchCanvas.qml")));
        QObject *object = component.create();
        QVERIFY2(object, qPrintable(component.errorString()));
        m_canvas = qobject_cast<QQuickItem *>(object);
        QVERIFY(m_canvas);
        m_window.resize(1920, 1080);
        m_canvas->setParentItem(m_window.contentItem());
        m_window.show();
        QTRY_VERIFY(m_canvas->property("available").toBool());
        QMetaObject::invokeMethod(m_canvas, "makeStrokes", Q_ARG(QVariant, 1000), Q_ARG(QVariant, 50));
    }

    void cleanupTestCase() { delete m_canvas; }

    void fullRepaint1000Strokes()
    {
        QVariant alpha;
        QBENCHMARK {
            QMetaObject::invokeMethod(m_canvas, "repaintAll", Q_RETURN_ARG(QVariant, alpha));
        }
    }

    void incrementalCommittedStroke()
    {
        QVariant alpha;
        int runs = 0;
        QBENCHMARK {
            QMetaObject::invokeMethod(m_canvas, "paintOne", Q_RETURN_ARG(QVariant, alpha),
                    Q_ARG(QVariant, runs));
            ++runs;
        }
    }

    void strokePreviewStep()
    {
        QMetaObject::invokeMethod(m_canvas, "startPreview");
        QVariant alpha;
        int runs = 0;
        QBENCHMARK {
            QMetaObject::invokeMethod(m_canvas, "previewStep", Q_RETURN_ARG(QVariant, alpha),
                    Q_ARG(QVariant, runs));
            ++runs;
        }
    }

private:
    QQmlEngine m_engine;
    QQuickWindow m_window;
    QQuickItem *m_canvas = nullptr;
};

QTEST_MAIN(BenchRenderer)

#include "bench_renderer.moc"
