#include "MouseHelper.h"
#include "WindowHelper.h"

#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

xcb_connection_t *connection()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// Children of the root, bottom to top.
QList<xcb_window_t> stack()
{
    QList<xcb_window_t> windows;
    xcb_connection_t *c = connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    if (xcb_query_tree_reply_t *tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr)) {
        const xcb_window_t *children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i)
            windows.append(children[i]);
        std::free(tree);
    }
    return windows;
}

// The root's child that holds the window: its frame under a window manager.
xcb_window_t topLevelOf(QWindow *window)
{
    xcb_connection_t *c = connection();
    xcb_window_t current = xcb_window_t(window->winId());
    for (;;) {
        xcb_query_tree_reply_t *tree = xcb_query_tree_reply(c, xcb_query_tree(c, current), nullptr);
        if (!tree)
            return XCB_WINDOW_NONE;
        const xcb_window_t parent = tree->parent;
        const xcb_window_t root = tree->root;
        std::free(tree);
        if (parent == root || parent == XCB_WINDOW_NONE)
            return current;
        current = parent;
    }
}

// Positive when a is above b in the root's stacking order.
int heightDifference(QWindow *a, QWindow *b)
{
    const QList<xcb_window_t> order = stack();
    return order.indexOf(topLevelOf(a)) - order.indexOf(topLevelOf(b));
}

std::unique_ptr<QQuickWindow> shownWindow(const QRect &geometry)
{
    auto window = std::make_unique<QQuickWindow>();
    window->setGeometry(geometry);
    window->show();
    return window;
}

} // namespace

class TstWindowHelper : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void nullWindows();
    void restackWithoutWindowManager();
    void restackUnderWindowManager();
    void windowIcon();
    void globalMousePosition();
};

void TstWindowHelper::initTestCase()
{
    if (!connection())
        QSKIP("needs an X server");
}

void TstWindowHelper::nullWindows()
{
    QQuickWindow window;
    WindowHelper *helper = WindowHelper::instance();
    QVERIFY(!helper->setWindowBelow(nullptr, &window));
    QVERIFY(!helper->setWindowBelow(&window, nullptr));
    QVERIFY(!helper->setWindowBelow(nullptr, nullptr));
}

void TstWindowHelper::restackWithoutWindowManager()
{
    auto toolbar = shownWindow(QRect(10, 10, 200, 100));
    QVERIFY(QTest::qWaitForWindowExposed(toolbar.get()));
    auto overlay = shownWindow(QRect(0, 0, 400, 300));
    QVERIFY(QTest::qWaitForWindowExposed(overlay.get()));
    QTRY_VERIFY(heightDifference(overlay.get(), toolbar.get()) > 0);
    QWindow *focused = QGuiApplication::focusWindow();

    QVERIFY(WindowHelper::instance()->setWindowBelow(toolbar.get(), overlay.get()));
    QCOMPARE(heightDifference(toolbar.get(), overlay.get()), 1);
    QCOMPARE(overlay->geometry(), QRect(0, 0, 400, 300));
    QCOMPARE(toolbar->geometry(), QRect(10, 10, 200, 100));

    // Works the other way round too, and neither window takes the focus.
    QVERIFY(WindowHelper::instance()->setWindowBelow(overlay.get(), toolbar.get()));
    QCOMPARE(heightDifference(overlay.get(), toolbar.get()), 1);
    QTest::qWait(100);
    QCOMPARE(QGuiApplication::focusWindow(), focused);

    // A window that was never shown gets its native window on the way.
    QQuickWindow hidden;
    QVERIFY(WindowHelper::instance()->setWindowBelow(toolbar.get(), &hidden));
    QCOMPARE(heightDifference(toolbar.get(), &hidden), 1);
}

void TstWindowHelper::restackUnderWindowManager()
{
    const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
    if (openbox.isEmpty())
        QSKIP("openbox is not installed");
    QTemporaryDir config;
    QProcess manager;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    manager.setProcessEnvironment(environment);
    manager.start(openbox, {QStringLiteral("--sm-disable")});
    QVERIFY(manager.waitForStarted());
    auto stop = qScopeGuard([&] {
        manager.terminate();
        if (!manager.waitForFinished(5000))
            manager.kill();
        manager.waitForFinished();
    });
    // Openbox draws a frame around the windows it manages.
    auto toolbar = shownWindow(QRect(50, 50, 200, 100));
    QTRY_VERIFY_WITH_TIMEOUT(topLevelOf(toolbar.get()) != xcb_window_t(toolbar->winId()), 10000);
    auto overlay = shownWindow(QRect(100, 100, 400, 300));
    QTRY_VERIFY_WITH_TIMEOUT(topLevelOf(overlay.get()) != xcb_window_t(overlay->winId()), 10000);
    QTRY_VERIFY(heightDifference(overlay.get(), toolbar.get()) > 0);

    QVERIFY(WindowHelper::instance()->setWindowBelow(toolbar.get(), overlay.get()));
    QTRY_VERIFY(heightDifference(toolbar.get(), overlay.get()) > 0);
    QVERIFY(WindowHelper::instance()->setWindowBelow(overlay.get(), toolbar.get()));
    QTRY_VERIFY(heightDifference(overlay.get(), toolbar.get()) > 0);
}

void TstWindowHelper::windowIcon()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("icon.png"));
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(path));

    WindowHelper::instance()->setWindowIcon(nullptr, path);
    QQuickWindow window;
    WindowHelper::instance()->setWindowIcon(&window, path);
    QVERIFY(!window.icon().isNull());
    WindowHelper::instance()->setWindowIcon(&window, dir.filePath(QStringLiteral("missing.png")));
    QVERIFY(window.icon().pixmap(16).isNull());
}

void TstWindowHelper::globalMousePosition()
{
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("123"), QStringLiteral("456")}), 0);
    QTRY_COMPARE(MouseHelper::instance()->globalMousePosition(), QPoint(123, 456));
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("7"), QStringLiteral("8")}), 0);
    QTRY_COMPARE(MouseHelper::instance()->globalMousePosition(), QPoint(7, 8));
}

QTEST_MAIN(TstWindowHelper)
#include "tst_windowhelper.moc"
