#include "MouseHelper.h"
#include "WindowHelper.h"
#include "X11TestSupport.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QImage>
#include <QProcess>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <xcb/shape.h>

#include <memory>
#include <utility>

namespace {

using X11TestSupport::connection;
using X11TestSupport::topLevelOf;

// Positive when a is above b in the stack that another client sees; 1 when
// it is directly above.
int heightDifference(
        QWindow *a, QWindow *b, X11TestSupport::Windows which = X11TestSupport::Windows::All)
{
    const QList<xcb_window_t> order = X11TestSupport::stackTopDown(which);
    const int ia = X11TestSupport::stackIndex(order, a);
    const int ib = X11TestSupport::stackIndex(order, b);
    if (ia < 0 || ib < 0)
        return 0;
    return ib - ia;
}

std::unique_ptr<QQuickWindow> shownWindow(const QRect &geometry, Qt::WindowFlags flags = Qt::Window)
{
    auto window = std::make_unique<QQuickWindow>();
    window->setFlags(flags);
    window->setGeometry(geometry);
    window->show();
    return window;
}

// The stacking flags of the floating toolbar and of a drawing overlay.
constexpr Qt::WindowFlags kToolbarFlags
        = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
constexpr Qt::WindowFlags kOverlayFlags = Qt::Tool | Qt::FramelessWindowHint
        | Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput;

} // namespace

class TstWindowHelper : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void nullWindows();
    void restackWithoutWindowManager();
    void restackUnderWindowManager();
    void opaqueRects_data();
    void opaqueRects();
    void shapeFollowsCompositor();
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
    auto toolbar = shownWindow(QRect(10, 10, 200, 100), kToolbarFlags);
    QVERIFY(QTest::qWaitForWindowExposed(toolbar.get()));
    auto overlay = shownWindow(QRect(0, 0, 400, 300), kOverlayFlags);
    QVERIFY(QTest::qWaitForWindowExposed(overlay.get()));
    // Another program's window, mapped last and so on top of both.
    auto other = shownWindow(QRect(300, 200, 300, 200));
    QVERIFY(QTest::qWaitForWindowExposed(other.get()));
    QTRY_VERIFY(heightDifference(overlay.get(), toolbar.get()) > 0);
    QTRY_VERIFY(heightDifference(other.get(), overlay.get()) > 0);
    QWindow *focused = QGuiApplication::focusWindow();

    QVERIFY(WindowHelper::instance()->setWindowBelow(toolbar.get(), overlay.get()));
    QCOMPARE(heightDifference(toolbar.get(), overlay.get()), 1);
    QVERIFY(heightDifference(other.get(), toolbar.get()) > 0);
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
        QSKIP("openbox is not installed: the restack under a window manager was not checked");
    QTemporaryDir config;
    QProcess manager;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    manager.setProcessEnvironment(environment);
    QVERIFY(X11TestSupport::startHelper(manager, openbox, { QStringLiteral("--sm-disable") }));
    auto stop = qScopeGuard([&] { X11TestSupport::stopHelper(manager); });

    // Openbox frames what it manages and puts a new window on top of its
    // layer. The toolbar and a panel float; the two overlays are kept out of
    // the manager's hands, as the program makes them; another program's
    // window is active.
    auto framed = [](QQuickWindow *window) {
        return topLevelOf(window) != xcb_window_t(window->winId());
    };
    auto toolbar = shownWindow(QRect(50, 50, 200, 100), kToolbarFlags);
    QTRY_VERIFY_WITH_TIMEOUT(framed(toolbar.get()), 10000);
    auto panel = shownWindow(QRect(300, 50, 100, 100), kToolbarFlags);
    QTRY_VERIFY_WITH_TIMEOUT(framed(panel.get()), 10000);
    auto lower = shownWindow(QRect(500, 300, 300, 200));
    QTRY_VERIFY_WITH_TIMEOUT(framed(lower.get()), 10000);
    const Qt::WindowFlags unmanaged = kOverlayFlags | Qt::X11BypassWindowManagerHint;
    auto first = shownWindow(QRect(0, 0, 960, 1080), unmanaged);
    auto second = shownWindow(QRect(960, 0, 960, 1080), unmanaged);
    QVERIFY(QTest::qWaitForWindowExposed(second.get()));
    auto upper = shownWindow(QRect(600, 400, 300, 200));
    QTRY_VERIFY_WITH_TIMEOUT(framed(upper.get()), 10000);
    upper->requestActivate();
    QTRY_COMPARE(QGuiApplication::focusWindow(), upper.get());

    // The windows named top to bottom, with "+" between two that are
    // directly one on the other. Openbox keeps a few unmapped windows of its
    // own in the stack; only the windows one can see count.
    const QList<std::pair<QWindow *, QString>> names = {
        { toolbar.get(), QStringLiteral("bar") }, { panel.get(), QStringLiteral("bar") },
        { upper.get(), QStringLiteral("upper") }, { first.get(), QStringLiteral("overlay") },
        { second.get(), QStringLiteral("overlay") }, { lower.get(), QStringLiteral("lower") }
    };
    const auto order = [&] {
        const QList<xcb_window_t> stack
                = X11TestSupport::stackTopDown(X11TestSupport::Windows::Viewable);
        QMap<int, QString> byHeight;
        for (const auto &[window, name] : names)
            byHeight.insert(X11TestSupport::stackIndex(stack, window), name);
        QString text;
        int previous = -2;
        for (auto it = byHeight.cbegin(); it != byHeight.cend(); ++it) {
            if (!text.isEmpty())
                text += it.key() == previous + 1 ? QLatin1String(" + ") : QLatin1String(" ... ");
            text += it.value();
            previous = it.key();
        }
        return text;
    };
    // Mapped last and unmanaged, the overlays start above everything.
    QTRY_VERIFY(order().startsWith(QLatin1String("overlay + overlay ... bar + bar")));

    const QVariantList overlays{ QVariant::fromValue<QObject *>(first.get()),
                                 QVariant::fromValue<QObject *>(second.get()) };
    const QString kept = QStringLiteral("bar + bar + overlay + overlay + upper + lower");
    QVERIFY(WindowHelper::instance()->keepWindowsBelow(toolbar.get(), overlays));
    QTRY_COMPARE(order(), kept);
    // In order already: nothing moves; the active program keeps the focus
    // and nobody changed size.
    QVERIFY(WindowHelper::instance()->keepWindowsBelow(toolbar.get(), overlays));
    QTest::qWait(200);
    QCOMPARE(order(), kept);
    QCOMPARE(QGuiApplication::focusWindow(), upper.get());
    QCOMPARE(first->geometry(), QRect(0, 0, 960, 1080));
    QCOMPARE(second->geometry(), QRect(960, 0, 960, 1080));

    // A managed window is restacked through the manager's own request.
    auto managed = shownWindow(QRect(100, 100, 400, 300), kOverlayFlags);
    QTRY_VERIFY_WITH_TIMEOUT(framed(managed.get()), 10000);
    QVERIFY(WindowHelper::instance()->setWindowBelow(toolbar.get(), managed.get()));
    QTRY_VERIFY(heightDifference(toolbar.get(), managed.get(), X11TestSupport::Windows::Viewable) > 0);
    QVERIFY(heightDifference(managed.get(), upper.get(), X11TestSupport::Windows::Viewable) > 0);
}

void TstWindowHelper::opaqueRects_data()
{
    QTest::addColumn<QList<QRect>>("painted");
    QTest::addColumn<int>("alpha");
    QTest::addColumn<QList<QRect>>("expected");

    QTest::newRow("nothing") << QList<QRect>{} << 255 << QList<QRect>{};
    QTest::newRow("too faint") << QList<QRect>{ QRect(2, 2, 5, 5) } << 63 << QList<QRect>{};
    QTest::newRow("faint enough") << QList<QRect>{ QRect(2, 2, 5, 5) } << 64
                                  << QList<QRect>{ QRect(2, 2, 5, 5) };
    // Two blobs side by side share their rows' band.
    QTest::newRow("side by side") << QList<QRect>{ QRect(0, 1, 3, 4), QRect(6, 1, 4, 4) } << 255
                                  << QList<QRect>{ QRect(0, 1, 3, 4), QRect(6, 1, 4, 4) };
    // An L: the rows where the foot sticks out make a band of their own.
    QTest::newRow("L shape") << QList<QRect>{ QRect(1, 0, 2, 6), QRect(1, 6, 8, 2) } << 255
                             << QList<QRect>{ QRect(1, 0, 2, 6), QRect(1, 6, 8, 2) };
    QTest::newRow("touching the edges") << QList<QRect>{ QRect(0, 0, 12, 1), QRect(11, 9, 1, 1) } << 255
                                        << QList<QRect>{ QRect(0, 0, 12, 1), QRect(11, 9, 1, 1) };
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
    component.setData("import QtQuick\n"
                      "Window { color: 'transparent'; x: 0; y: 0; width: 200; height: 100; visible: true\n"
                      "  Rectangle { x: 10; y: 20; width: 30; height: 40; color: 'red' } }",
                      QUrl());
    std::unique_ptr<QQuickWindow> window(qobject_cast<QQuickWindow *>(component.create()));
    QVERIFY2(window, qPrintable(component.errorString()));
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    xcb_connection_t *c = connection();
    const auto boundingRects = [&] {
        QList<QRect> rects;
        auto *reply = xcb_shape_get_rectangles_reply(
                c, xcb_shape_get_rectangles(c, xcb_window_t(window->winId()), XCB_SHAPE_SK_BOUNDING),
                nullptr);
        if (!reply)
            return rects;
        const xcb_rectangle_t *r = xcb_shape_get_rectangles_rectangles(reply);
        for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply); ++i)
            rects.append(QRect(r[i].x, r[i].y, r[i].width, r[i].height));
        std::free(reply);
        return rects;
    };

    // Cut to the one painted rectangle as soon as it has painted.
    const QList<QRect> ink{ QRect(10, 20, 30, 40) };
    QTRY_COMPARE(boundingRects(), ink);

    const QString xcompmgr = QStandardPaths::findExecutable(QStringLiteral("xcompmgr"));
    if (xcompmgr.isEmpty())
        QSKIP("xcompmgr is not installed: following the compositor was not checked");
    QSignalSpy changed(helper, &WindowHelper::compositingActiveChanged);
    QProcess compositor;
    QVERIFY(X11TestSupport::startHelper(compositor, xcompmgr, {}));
    QTRY_VERIFY_WITH_TIMEOUT(helper->compositingActive(), 10000);
    QTRY_COMPARE(boundingRects(), QList<QRect>{ QRect(0, 0, 200, 100) });
    X11TestSupport::stopHelper(compositor);
    QTRY_VERIFY_WITH_TIMEOUT(!helper->compositingActive(), 10000);
    QTRY_COMPARE(boundingRects(), ink);
    QCOMPARE(changed.count(), 2);
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
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"),
                     { QStringLiteral("mousemove"), QStringLiteral("123"), QStringLiteral("456") }),
            0);
    QTRY_COMPARE(MouseHelper::instance()->globalMousePosition(), QPoint(123, 456));
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"),
                     { QStringLiteral("mousemove"), QStringLiteral("7"), QStringLiteral("8") }),
            0);
    QTRY_COMPARE(MouseHelper::instance()->globalMousePosition(), QPoint(7, 8));
}

QTEST_MAIN(TstWindowHelper)
#include "tst_windowhelper.moc"
