#include "SingletonPublisher.h"
#include "SolidWindow.h"
#include "X11TestSupport.h"

#include <QJSValue>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtQml/qqmlextensionplugin.h>
#include <QtTest>

#include <memory>

Q_IMPORT_QML_PLUGIN(Zem_InklyPlugin)

namespace {

bool xdotool(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

struct PixelCheck
{
    QString what;
    QPoint at;
    QColor expected;
    int tolerance;
};

// A dashed outline shows both its colour and the window below along its path.
struct DashCheck
{
    QString what;
    QList<QPoint> path;
    QColor stroke;
};

} // namespace

class TstOverlayX11 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pointerToolLetsClicksThrough();
    void everyToolOverAnotherWindow();

private:
    std::unique_ptr<QQuickWindow> createOverlay(const QRect &geometry);
    int tool(QQuickWindow *overlay, const char *name);
    static QObject *contextOf(QQuickWindow *overlay);
    static QVariantList drawItems(QQuickWindow *overlay);

    QQmlEngine *m_engine = nullptr;
};

void TstOverlayX11::initTestCase()
{
    if (!X11TestSupport::connection())
        QSKIP("needs an X server");
    SingletonPublisher::publishSingletons();
    m_engine = new QQmlEngine(this);
    m_engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
}

std::unique_ptr<QQuickWindow> TstOverlayX11::createOverlay(const QRect &geometry)
{
    QQmlComponent component(m_engine);
    component.setData(R"(
        import QtQuick
        import Zem.Inkly

        DrawingOverlay {
            windowId: "DrawingOverlay_0"
            drawingContext: DrawingContext {}
        })",
            QUrl());
    std::unique_ptr<QObject> object(component.createWithInitialProperties(
            { { QStringLiteral("x"), geometry.x() }, { QStringLiteral("y"), geometry.y() },
                    { QStringLiteral("width"), geometry.width() },
                    { QStringLiteral("height"), geometry.height() } }));
    if (!object) {
        qWarning() << component.errors();
        return nullptr;
    }
    auto *window = qobject_cast<QQuickWindow *>(object.get());
    if (!window)
        return nullptr;
    object.release();
    // A drawing saved by an earlier test must not show up here.
    QMetaObject::invokeMethod(contextOf(window), "clear");
    return std::unique_ptr<QQuickWindow>(window);
}

int TstOverlayX11::tool(QQuickWindow *overlay, const char *name)
{
    QQmlExpression expression(
            qmlContext(overlay), overlay, QStringLiteral("DrawingTool.") + QLatin1String(name));
    bool ok = false;
    const int value = expression.evaluate().toInt(&ok);
    if (!ok || expression.hasError())
        qWarning() << "no tool" << name << expression.error();
    return value;
}

QObject *TstOverlayX11::contextOf(QQuickWindow *overlay)
{
    return overlay->property("drawingContext").value<QObject *>();
}

QVariantList TstOverlayX11::drawItems(QQuickWindow *overlay)
{
    const QVariant items = contextOf(overlay)->property("drawItems");
    if (items.canConvert<QJSValue>())
        return items.value<QJSValue>().toVariant().toList();
    return items.toList();
}

void TstOverlayX11::pointerToolLetsClicksThrough()
{
    SolidWindow below(QColor(40, 90, 160));
    below.setGeometry(0, 0, 400, 300);
    below.show();
    QVERIFY(QTest::qWaitForWindowExposed(&below));

    auto overlay = createOverlay(QRect(0, 0, 400, 300));
    QVERIFY(overlay);
    overlay->show();
    QVERIFY(QTest::qWaitForWindowExposed(overlay.get()));
    overlay->raise();
    QTRY_VERIFY(X11TestSupport::stackIndex(X11TestSupport::stackTopDown(), overlay.get())
            < X11TestSupport::stackIndex(X11TestSupport::stackTopDown(), &below));
    QTRY_VERIFY(overlay->property("previewCanvas").value<QObject *>() != nullptr);
    QSignalSpy restacks(overlay.get(), SIGNAL(restackRequested()));

    // The pointer tool: the click lands on the window below, at its place.
    QVERIFY(xdotool(words("mousemove 200 150 click 1")));
    QTRY_COMPARE(below.presses(), 1);
    QCOMPARE(below.lastPress(), QPoint(200, 150));
    QCOMPARE(drawItems(overlay.get()).size(), 0);

    // The pen: the overlay takes the drag and draws it; nothing reaches below.
    QObject *context = contextOf(overlay.get());
    QMetaObject::invokeMethod(context, "setDrawingTool", Q_ARG(int, tool(overlay.get(), "Pen")));
    QCOMPARE(restacks.size(), 1);
    QVERIFY(!(overlay->flags() & Qt::WindowTransparentForInput));
    QVERIFY(xdotool(words("mousemove 100 100 mousedown 1 mousemove 150 120 mousemove 200 150 "
                          "mousemove 250 180 mouseup 1")));
    QTRY_COMPARE(drawItems(overlay.get()).size(), 1);
    const QVariantMap stroke = drawItems(overlay.get()).constFirst().toMap();
    QCOMPARE(stroke.value(QStringLiteral("drawingTool")).toInt(), tool(overlay.get(), "Pen"));
    QCOMPARE(stroke.value(QStringLiteral("windowId")).toString(),
            QStringLiteral("DrawingOverlay_0"));
    const QVariantList points = stroke.value(QStringLiteral("points")).toList();
    QVERIFY(points.size() >= 4);
    QCOMPARE(QPointF(points.at(0).toReal(), points.at(1).toReal()), QPointF(100, 100));
    QCOMPARE(QPointF(points.at(points.size() - 2).toReal(), points.last().toReal()),
            QPointF(250, 180));
    QCOMPARE(below.presses(), 1);

    // Nothing composites here: away from the ink the window below shows,
    // not black, and the ink shows on it.
    QVERIFY(!X11TestSupport::compositorActive());
    QTemporaryDir shots;
    const QStringList problems = X11TestSupport::awaitCleanShot(
            shots.filePath(QStringLiteral("uncomposited.png")), QStringLiteral("uncomposited-stroke.png"),
            [&](const QImage &shot) {
                QStringList found;
                if (X11TestSupport::colorDistance(shot.pixel(60, 250), qRgb(40, 90, 160)) > 8)
                    found << QStringLiteral("no window below at (60, 250)");
                if (X11TestSupport::colorDistance(shot.pixel(175, 140), qRgb(255, 0, 0)) > 40)
                    found << QStringLiteral("no ink at (175, 140)");
                return found;
            });
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1String("; "))));

    // Back to the pointer: clicks pass again, and the overlay asks to be restacked.
    QMetaObject::invokeMethod(context, "setDrawingTool", Q_ARG(int, tool(overlay.get(), "None")));
    QCOMPARE(restacks.size(), 2);
    QVERIFY(xdotool(words("mousemove 300 250 click 1")));
    QTRY_COMPARE(below.presses(), 2);
    QCOMPARE(below.lastPress(), QPoint(300, 250));
    QCOMPARE(drawItems(overlay.get()).size(), 1);
}

void TstOverlayX11::everyToolOverAnotherWindow()
{
    QProcess compositor;
    if (!X11TestSupport::startHelper(
                compositor, QStringLiteral("xcompmgr"), { QStringLiteral("-n") }))
        QSKIP("xcompmgr is not installed: transparency cannot be seen without a compositor");
    auto stop = qScopeGuard([&] { X11TestSupport::stopHelper(compositor); });
    QTRY_VERIFY_WITH_TIMEOUT(X11TestSupport::compositorActive(), 10000);

    const QColor background(40, 90, 160);
    SolidWindow below(background);
    below.setGeometry(0, 0, 1000, 600);
    below.show();
    QVERIFY(QTest::qWaitForWindowExposed(&below));

    auto overlay = createOverlay(QRect(0, 0, 960, 540));
    QVERIFY(overlay);
    overlay->show();
    QVERIFY(QTest::qWaitForWindowExposed(overlay.get()));
    overlay->raise();
    QTRY_VERIFY(overlay->property("drawingCanvas").value<QObject *>() != nullptr);
    QObject *context = contextOf(overlay.get());

    const auto push
            = [&](const char *toolName, const QColor &color, int width, QVariantMap geometry) {
                  geometry.insert(QStringLiteral("drawingTool"), tool(overlay.get(), toolName));
                  geometry.insert(QStringLiteral("windowId"), QStringLiteral("DrawingOverlay_0"));
                  geometry.insert(QStringLiteral("lineColor"), color);
                  geometry.insert(QStringLiteral("lineWidth"), width);
                  QMetaObject::invokeMethod(context, "pushDrawItem", Q_ARG(QVariant, geometry));
              };
    const auto stroke = [](std::initializer_list<qreal> xy) {
        QVariantList points;
        for (qreal value : xy)
            points.append(value);
        return QVariantMap { { QStringLiteral("points"), points } };
    };
    const auto shape = [](qreal x0, qreal y0, qreal x1, qreal y1) {
        return QVariantMap { { QStringLiteral("startX"), x0 }, { QStringLiteral("startY"), y0 },
            { QStringLiteral("endX"), x1 }, { QStringLiteral("endY"), y1 } };
    };

    const QColor red(255, 0, 0), yellow(255, 255, 0), green(0, 192, 0), magenta(255, 0, 255),
            orange(255, 128, 0), white(255, 255, 255), black(0, 0, 0);
    push("Pen", red, 8, stroke({ 40, 60, 140, 60, 240, 100 }));
    push("Highlighter", yellow, 24, stroke({ 40, 130, 240, 130 }));
    push("Rectangle", green, 6, shape(300, 30, 420, 130));
    push("Ellipse", magenta, 6, shape(460, 30, 580, 130));
    push("Star", orange, 6, shape(620, 30, 740, 130));
    push("Line", white, 6, shape(40, 180, 240, 280));
    push("Arrow", black, 6, shape(300, 230, 440, 230));
    push("DashedRectangle", green, 4, shape(460, 180, 580, 280));
    push("DashedEllipse", magenta, 4, shape(620, 180, 740, 280));
    push("DashedLine", white, 4, shape(40, 330, 240, 330));
    // Erasers cut through strokes drawn before them.
    push("Pen", red, 16, stroke({ 300, 400, 700, 400 }));
    push("EraserBrush", red, 30, stroke({ 500, 360, 500, 440 }));
    push("Pen", red, 16, stroke({ 40, 470, 400, 470 }));
    push("EraserRectangle", red, 1, shape(180, 440, 260, 500));

    // The highlighter lays its colour over the window below at 0.4.
    const auto mix = [&](const QColor &top, qreal alpha) {
        return QColor::fromRgbF(top.redF() * alpha + background.redF() * (1 - alpha),
                top.greenF() * alpha + background.greenF() * (1 - alpha),
                top.blueF() * alpha + background.blueF() * (1 - alpha));
    };
    const QList<PixelCheck> pixels = {
        { QStringLiteral("pen, first segment"), { 90, 60 }, red, 10 },
        { QStringLiteral("pen, second segment"), { 190, 80 }, red, 10 },
        { QStringLiteral("highlighter"), { 140, 130 }, mix(yellow, 0.4), 10 },
        { QStringLiteral("rectangle, left side"), { 300, 80 }, green, 10 },
        { QStringLiteral("rectangle, top side"), { 360, 30 }, green, 10 },
        { QStringLiteral("inside the rectangle"), { 360, 80 }, background, 4 },
        { QStringLiteral("ellipse, left end"), { 460, 80 }, magenta, 10 },
        { QStringLiteral("ellipse, top"), { 520, 30 }, magenta, 10 },
        { QStringLiteral("inside the ellipse"), { 520, 80 }, background, 4 },
        { QStringLiteral("star, top point"), { 680, 34 }, orange, 10 },
        { QStringLiteral("inside the star"), { 680, 85 }, background, 4 },
        { QStringLiteral("line"), { 140, 230 }, white, 10 },
        { QStringLiteral("arrow shaft"), { 340, 230 }, black, 10 },
        { QStringLiteral("arrow head"), { 428, 234 }, black, 10 },
        { QStringLiteral("arrow head, beside the shaft"), { 426, 236 }, black, 10 },
        { QStringLiteral("stroke left of the brush eraser"), { 450, 400 }, red, 10 },
        { QStringLiteral("stroke right of the brush eraser"), { 550, 400 }, red, 10 },
        { QStringLiteral("brush eraser cut"), { 500, 400 }, background, 4 },
        { QStringLiteral("stroke left of the area eraser"), { 150, 470 }, red, 10 },
        { QStringLiteral("stroke right of the area eraser"), { 290, 470 }, red, 10 },
        { QStringLiteral("area eraser cut"), { 220, 470 }, background, 4 },
        { QStringLiteral("area eraser cut, near its edge"), { 185, 470 }, background, 4 },
        { QStringLiteral("nothing drawn, right"), { 880, 100 }, background, 4 },
        { QStringLiteral("nothing drawn, bottom"), { 800, 510 }, background, 4 },
        { QStringLiteral("the window below, beside the overlay"), { 980, 300 }, background, 4 },
    };

    QList<DashCheck> dashes;
    {
        QList<QPoint> top, ellipse, line;
        for (int x = 470; x <= 570; ++x)
            top.append({ x, 180 });
        for (int i = 0; i < 360; ++i) {
            const qreal angle = qDegreesToRadians(qreal(i));
            ellipse.append(
                    QPointF(680 + 60 * std::cos(angle), 230 + 50 * std::sin(angle)).toPoint());
        }
        for (int x = 50; x <= 230; ++x)
            line.append({ x, 330 });
        dashes = { { QStringLiteral("dashed rectangle, top side"), top, green },
            { QStringLiteral("dashed ellipse"), ellipse, magenta },
            { QStringLiteral("dashed line"), line, white } };
    }

    const auto problems = [&](const QImage &shot) {
        QStringList found;
        if (shot.isNull())
            return QStringList { QStringLiteral("no screenshot") };
        for (const PixelCheck &check : pixels) {
            const QRgb actual = shot.pixel(check.at);
            if (X11TestSupport::colorDistance(actual, check.expected.rgb()) > check.tolerance)
                found << QStringLiteral("%1 at (%2, %3): %4, expected %5")
                                 .arg(check.what)
                                 .arg(check.at.x())
                                 .arg(check.at.y())
                                 .arg(QColor(actual).name(), check.expected.name());
        }
        for (const DashCheck &check : dashes) {
            int strokePixels = 0;
            int backgroundPixels = 0;
            for (const QPoint &point : check.path) {
                const QRgb actual = shot.pixel(point);
                strokePixels += X11TestSupport::colorDistance(actual, check.stroke.rgb()) <= 40;
                backgroundPixels += X11TestSupport::colorDistance(actual, background.rgb()) <= 40;
            }
            // Dashes and gaps both take a good share of the outline.
            const int share = int(check.path.size()) / 5;
            if (strokePixels < share || backgroundPixels < share)
                found << QStringLiteral("%1: %2 stroke and %3 background pixels of %4")
                                 .arg(check.what)
                                 .arg(strokePixels)
                                 .arg(backgroundPixels)
                                 .arg(check.path.size());
        }
        return found;
    };

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("overlay-tools.png"));
    const QStringList found =
            X11TestSupport::awaitCleanShot(path, QStringLiteral("overlay-tools.png"), problems);
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1String("; "))));
}

QTEST_MAIN(TstOverlayX11)
#include "tst_overlay_x11.moc"
