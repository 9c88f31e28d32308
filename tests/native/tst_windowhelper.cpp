#include "MouseHelper.h"
#include "WindowHelper.h"
#include "X11TestSupport.h"

#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

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

    // Openbox draws a frame around the windows it manages and puts a new
    // one on top of its layer. The toolbar stays above the layer of the
    // others; the overlay starts between two other programs' windows.
    auto framed = [](QQuickWindow *window) {
        return topLevelOf(window) != xcb_window_t(window->winId());
    };
    auto toolbar = shownWindow(QRect(50, 50, 200, 100), kToolbarFlags);
    QTRY_VERIFY_WITH_TIMEOUT(framed(toolbar.get()), 10000);
    auto lower = shownWindow(QRect(500, 300, 300, 200));
    QTRY_VERIFY_WITH_TIMEOUT(framed(lower.get()), 10000);
    auto overlay = shownWindow(QRect(100, 100, 400, 300), kOverlayFlags);
    QTRY_VERIFY_WITH_TIMEOUT(framed(overlay.get()), 10000);
    auto upper = shownWindow(QRect(600, 400, 300, 200));
    QTRY_VERIFY_WITH_TIMEOUT(framed(upper.get()), 10000);

    // Openbox keeps a few unmapped windows of its own in the stack; only the
    // windows one can see count.
    // The four windows named top to bottom, with "+" between two that are
    // directly one on the other.
    const QList<std::pair<QWindow *, QString>> names = {
        { toolbar.get(), QStringLiteral("toolbar") }, { upper.get(), QStringLiteral("upper") },
        { overlay.get(), QStringLiteral("overlay") }, { lower.get(), QStringLiteral("lower") }
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
    const QString before = QStringLiteral("toolbar + upper + overlay + lower");
    QTRY_COMPARE(order(), before);

    QVERIFY(WindowHelper::instance()->setWindowBelow(toolbar.get(), overlay.get()));
    QTRY_VERIFY(order() != before);
    // openbox ignores the sibling of a restack request; the overlay must
    // still land directly under the toolbar, above the other programs.
    QTRY_COMPARE(order(), QStringLiteral("toolbar + overlay + upper + lower"));
    QVERIFY(order().startsWith(QLatin1String("toolbar")));
    QCOMPARE(overlay->geometry(), QRect(100, 100, 400, 300));
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
