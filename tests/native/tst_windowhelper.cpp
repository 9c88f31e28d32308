#include "platform/InkMirror.h"
#include "platform/LayerShellClient.h"
#include "platform/WindowHelper.h"

#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QtTest>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <memory>

namespace {

xcb_connection_t *connection()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

bool startHelper(QProcess &process, const QString &program, const QStringList &arguments)
{
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStandardPaths::findExecutable(program), arguments);
    return process.waitForStarted(10000);
}

} // namespace

class TstWindowHelper : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void opaqueRects_data();
    void opaqueRects();
    void shapeFollowsCompositor();
    void inkMirrorCoversOnlyTheInk();
    void layerShellOutputs();
};

void TstWindowHelper::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server");
    // The mirror of a Wayland session, in its windows, on this X server.
    qputenv("INKLY_INK_MIRROR", "windows");
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

void TstWindowHelper::opaqueRects_data()
{
    QTest::addColumn<QList<QRect>>("painted");
    QTest::addColumn<int>("alpha");
    QTest::addColumn<QList<QRect>>("expected");
    QTest::newRow("nothing") << QList<QRect> {} << 255 << QList<QRect> {};
    QTest::newRow("too faint") << QList<QRect> { QRect(2, 2, 5, 5) } << 63 << QList<QRect> {};
    QTest::newRow("faint enough") << QList<QRect> { QRect(2, 2, 5, 5) } << 64 << QList<QRect> { QRect(2, 2, 5, 5) };
    // Two blobs side by side share their rows' band; an L's foot makes a band of its own.
    QTest::newRow("side by side") << QList<QRect> { QRect(0, 1, 3, 4), QRect(6, 1, 4, 4) } << 255 << QList<QRect> { QRect(0, 1, 3, 4), QRect(6, 1, 4, 4) };
    QTest::newRow("L shape") << QList<QRect> { QRect(1, 0, 2, 6), QRect(1, 6, 8, 2) } << 255 << QList<QRect> { QRect(1, 0, 2, 6), QRect(1, 6, 8, 2) };
    QTest::newRow("touching the edges") << QList<QRect> { QRect(0, 0, 12, 1), QRect(11, 9, 1, 1) } << 255
                                        << QList<QRect> { QRect(0, 0, 12, 1), QRect(11, 9, 1, 1) };
}

void TstWindowHelper::opaqueRects()
{
    QFETCH(QList<QRect>, painted);
    QFETCH(int, alpha);
    QFETCH(QList<QRect>, expected);
    QImage image(12, 10, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (const QRect &rect : painted)
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                image.setPixel(x, y, qRgba(200, 0, 0, alpha));
    QCOMPARE(WindowHelper::opaqueRects(image, WindowHelper::kShapeAlphaThreshold), expected);
}

// Without a compositor an overlay is cut to what it paints; a compositor
// starting and stopping is followed at run time.
void TstWindowHelper::shapeFollowsCompositor()
{
    WindowHelper *helper = WindowHelper::instance();
    QVERIFY(!helper->compositingActive());
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData("import QtQuick\nWindow { color: 'transparent'; x: 0; y: 0; width: 200; height: 100; visible: true\n"
                      "  Rectangle { x: 10; y: 20; width: 30; height: 40; color: 'red' } }",
            QUrl());
    std::unique_ptr<QQuickWindow> window(qobject_cast<QQuickWindow *>(component.create()));
    QVERIFY2(window, qPrintable(component.errorString()));
    xcb_connection_t *c = connection();
    const auto boundingRects = [&] {
        QList<QRect> rects;
        auto *reply = xcb_shape_get_rectangles_reply(c, xcb_shape_get_rectangles(c, xcb_window_t(window->winId()), XCB_SHAPE_SK_BOUNDING), nullptr);
        const xcb_rectangle_t *r = reply ? xcb_shape_get_rectangles_rectangles(reply) : nullptr;
        for (int i = 0; reply && i < xcb_shape_get_rectangles_rectangles_length(reply); ++i)
            rects.append(QRect(r[i].x, r[i].y, r[i].width, r[i].height));
        std::free(reply);
        return rects;
    };
    const QList<QRect> ink { QRect(10, 20, 30, 40) };
    QTRY_COMPARE(boundingRects(), ink);

    QSignalSpy changed(helper, &WindowHelper::compositingActiveChanged);
    QProcess compositor;
    if (!startHelper(compositor, QStringLiteral("xcompmgr"), {}))
        QSKIP("xcompmgr is not installed: following the compositor was not checked");
    QTRY_VERIFY_WITH_TIMEOUT(helper->compositingActive(), 10000);
    QTRY_COMPARE(boundingRects(), QList<QRect> { QRect(0, 0, 200, 100) });
    compositor.terminate();
    QVERIFY(compositor.waitForFinished(5000));
    QTRY_VERIFY_WITH_TIMEOUT(!helper->compositingActive(), 10000);
    QTRY_COMPARE(boundingRects(), ink);
    QCOMPARE(changed.count(), 2);
}

// In pointer mode the mirror shows the overlay's ink in windows that lie
// over the ink alone, so every other pixel stays with the programs below.
void TstWindowHelper::inkMirrorCoversOnlyTheInk()
{
    InkMirror *mirror = InkMirror::instance();
    QVERIFY(mirror->available());
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData("import QtQuick\nItem { width: 400; height: 300\n"
                      "  Rectangle { x: 10; y: 20; width: 30; height: 40; color: 'red' }\n"
                      "  Rectangle { x: 300; y: 250; width: 20; height: 20; color: '#800000ff' } }",
            QUrl());
    QQuickWindow overlay;
    overlay.setGeometry(100, 50, 400, 300);
    mirror->attach(&overlay, qobject_cast<QQuickItem *>(component.create()));
    mirror->setShown(&overlay, true);
    QTRY_VERIFY(!mirror->windows().isEmpty());
    QTRY_COMPARE(mirror->picture(&overlay).pixel(15, 25), qRgba(255, 0, 0, 255));

    QRegion covered;
    for (const QVariant &value : mirror->windows()) {
        auto *window = qobject_cast<QWindow *>(value.value<QObject *>());
        QVERIFY(window->flags() & Qt::WindowTransparentForInput);
        covered += window->geometry();
    }
    for (const QPoint &ink : { QPoint(110, 70), QPoint(139, 109), QPoint(410, 310) })
        QVERIFY2(covered.contains(ink), qPrintable(QStringLiteral("ink at %1,%2").arg(ink.x()).arg(ink.y())));
    for (const QPoint &free : { QPoint(300, 200), QPoint(110, 300), QPoint(450, 80) })
        QVERIFY2(!covered.contains(free), qPrintable(QStringLiteral("free at %1,%2").arg(free.x()).arg(free.y())));

    mirror->setShown(&overlay, false);
    QVERIFY(mirror->windows().isEmpty());
    mirror->detach(&overlay);
    QVERIFY(mirror->picture(&overlay).isNull());
}

void TstWindowHelper::layerShellOutputs()
{
    const QList<QRect> outputs { QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024) };
    QCOMPARE(LayerShellClient::outputIndexFor(outputs, QRect(1920, 0, 1280, 1024)), 1);
    // A screen XWayland reports a little off still finds its output.
    QCOMPARE(LayerShellClient::outputIndexFor(outputs, QRect(1900, 10, 1280, 1000)), 1);
    QCOMPARE(LayerShellClient::outputIndexFor(outputs, QRect(4000, 0, 800, 600)), -1);
}

QTEST_MAIN(TstWindowHelper)
#include "tst_windowhelper.moc"
