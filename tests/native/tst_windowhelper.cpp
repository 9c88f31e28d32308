#include "WindowHelper.h"

#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QTemporaryDir>
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

// The root's child that holds the window: its frame under a window manager.
xcb_window_t topLevelOf(QWindow *window)
{
    xcb_window_t current = xcb_window_t(window->winId());
    for (;;) {
        auto *tree = xcb_query_tree_reply(connection(), xcb_query_tree(connection(), current), nullptr);
        if (!tree)
            return XCB_WINDOW_NONE;
        const bool top = tree->parent == tree->root;
        const xcb_window_t parent = tree->parent;
        std::free(tree);
        if (top)
            return current;
        current = parent;
    }
}

// The windows top to bottom, as the server stacks the root's mapped children.
QList<QWindow *> stack(const QList<QWindow *> &windows)
{
    xcb_connection_t *c = connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto *tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    QList<QWindow *> order;
    const xcb_window_t *children = xcb_query_tree_children(tree);
    for (int i = xcb_query_tree_children_length(tree) - 1; i >= 0; --i) {
        auto *attributes = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr);
        const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        for (QWindow *window : windows) {
            if (viewable && topLevelOf(window) == children[i])
                order.append(window);
        }
    }
    std::free(tree);
    return order;
}

std::unique_ptr<QQuickWindow> shownWindow(const QRect &geometry, Qt::WindowFlags flags = Qt::Window)
{
    auto window = std::make_unique<QQuickWindow>();
    window->setFlags(flags);
    window->setGeometry(geometry);
    window->show();
    return window;
}

bool startHelper(QProcess &process, const QString &program, const QStringList &arguments)
{
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStandardPaths::findExecutable(program), arguments);
    return process.waitForStarted(10000);
}

// The stacking flags of the floating toolbar and of a drawing overlay.
constexpr Qt::WindowFlags kToolbarFlags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
constexpr Qt::WindowFlags kOverlayFlags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput;

} // namespace

class TstWindowHelper : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void restackWithoutWindowManager();
    void restackUnderWindowManager();
    void opaqueRects_data();
    void opaqueRects();
    void shapeFollowsCompositor();
};

void TstWindowHelper::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server");
}

void TstWindowHelper::restackWithoutWindowManager()
{
    WindowHelper *helper = WindowHelper::instance();
    auto toolbar = shownWindow(QRect(10, 10, 200, 100), kToolbarFlags);
    auto overlay = shownWindow(QRect(0, 0, 400, 300), kOverlayFlags);
    // Another program's window, mapped last and so on top of both.
    auto other = shownWindow(QRect(300, 200, 300, 200));
    QVERIFY(QTest::qWaitForWindowExposed(other.get()));
    const QList<QWindow *> all { toolbar.get(), overlay.get(), other.get() };
    QTRY_COMPARE(stack(all), QList<QWindow *>({ other.get(), overlay.get(), toolbar.get() }));
    QWindow *focused = QGuiApplication::focusWindow();
    QVERIFY(!helper->setWindowBelow(nullptr, overlay.get()));
    QVERIFY(!helper->setWindowBelow(toolbar.get(), nullptr));

    // Directly below, either way round; nobody moves or takes the focus.
    QVERIFY(helper->setWindowBelow(toolbar.get(), overlay.get()));
    QCOMPARE(stack(all), QList<QWindow *>({ other.get(), toolbar.get(), overlay.get() }));
    QVERIFY(helper->setWindowBelow(overlay.get(), toolbar.get()));
    QCOMPARE(stack(all), QList<QWindow *>({ other.get(), overlay.get(), toolbar.get() }));
    QCOMPARE(overlay->geometry(), QRect(0, 0, 400, 300));
    QCOMPARE(QGuiApplication::focusWindow(), focused);

    // A window that was never shown gets its native window on the way.
    QQuickWindow hidden;
    QVERIFY(helper->setWindowBelow(toolbar.get(), &hidden));
}

void TstWindowHelper::restackUnderWindowManager()
{
    if (QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty())
        QSKIP("openbox is not installed: the restack under a window manager was not checked");
    QTemporaryDir config;
    QProcess manager;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    manager.setProcessEnvironment(environment);
    QVERIFY(startHelper(manager, QStringLiteral("openbox"), { QStringLiteral("--sm-disable") }));
    auto stop = qScopeGuard([&] { manager.terminate(); manager.waitForFinished(5000); });

    // Openbox frames what it manages and puts a new window on top of its
    // layer. The toolbar and a panel float; the two overlays are kept out of
    // the manager's hands, as the program makes them; another program's
    // window is active.
    auto framed = [](QQuickWindow *window) { return topLevelOf(window) != xcb_window_t(window->winId()); };
    auto toolbar = shownWindow(QRect(50, 50, 200, 100), kToolbarFlags);
    QTRY_VERIFY_WITH_TIMEOUT(framed(toolbar.get()), 10000);
    auto panel = shownWindow(QRect(300, 50, 100, 100), kToolbarFlags);
    auto lower = shownWindow(QRect(500, 300, 300, 200));
    QTRY_VERIFY_WITH_TIMEOUT(framed(panel.get()) && framed(lower.get()), 10000);
    auto first = shownWindow(QRect(0, 0, 960, 1080), kOverlayFlags | Qt::X11BypassWindowManagerHint);
    auto second = shownWindow(QRect(960, 0, 960, 1080), kOverlayFlags | Qt::X11BypassWindowManagerHint);
    auto upper = shownWindow(QRect(600, 400, 300, 200));
    QTRY_VERIFY_WITH_TIMEOUT(framed(upper.get()), 10000);
    upper->requestActivate();
    QTRY_COMPARE(QGuiApplication::focusWindow(), upper.get());
    const QList<QWindow *> all { toolbar.get(), panel.get(), first.get(), second.get(), upper.get(), lower.get() };
    // Mapped last and unmanaged, the overlays start above everything.
    using Set = QSet<QWindow *>;
    const auto topTwo = [&] {
        const QList<QWindow *> order = stack(all);
        return Set(order.cbegin(), order.cbegin() + qMin<qsizetype>(2, order.size()));
    };
    QTRY_COMPARE(topTwo(), Set({ first.get(), second.get() }));

    // In order already, a second call moves nothing; the active program
    // keeps the focus and nobody changed size.
    const QVariantList overlays { QVariant::fromValue<QObject *>(first.get()), QVariant::fromValue<QObject *>(second.get()) };
    for (int call = 0; call < 2; ++call) {
        QVERIFY(WindowHelper::instance()->keepWindowsBelow(toolbar.get(), overlays));
        QTRY_COMPARE(stack(all).mid(4), QList<QWindow *>({ upper.get(), lower.get() }));
        QCOMPARE(topTwo(), Set({ toolbar.get(), panel.get() }));
        const QList<QWindow *> overlaysBelow = stack(all).mid(2, 2);
        QCOMPARE(Set(overlaysBelow.cbegin(), overlaysBelow.cend()), Set({ first.get(), second.get() }));
    }
    QCOMPARE(QGuiApplication::focusWindow(), upper.get());
    QCOMPARE(second->geometry(), QRect(960, 0, 960, 1080));

    // A managed window is restacked through the manager's own request.
    auto managed = shownWindow(QRect(100, 100, 400, 300), kOverlayFlags);
    QTRY_VERIFY_WITH_TIMEOUT(framed(managed.get()), 10000);
    QVERIFY(WindowHelper::instance()->setWindowBelow(toolbar.get(), managed.get()));
    QTRY_COMPARE(stack({ toolbar.get(), managed.get(), upper.get() }), QList<QWindow *>({ toolbar.get(), managed.get(), upper.get() }));
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
    QTest::newRow("side by side") << QList<QRect> { QRect(0, 1, 3, 4), QRect(6, 1, 4, 4) } << 255
                                  << QList<QRect> { QRect(0, 1, 3, 4), QRect(6, 1, 4, 4) };
    QTest::newRow("L shape") << QList<QRect> { QRect(1, 0, 2, 6), QRect(1, 6, 8, 2) } << 255
                             << QList<QRect> { QRect(1, 0, 2, 6), QRect(1, 6, 8, 2) };
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
                      "  Rectangle { x: 10; y: 20; width: 30; height: 40; color: 'red' } }", QUrl());
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

QTEST_MAIN(TstWindowHelper)
#include "tst_windowhelper.moc"
