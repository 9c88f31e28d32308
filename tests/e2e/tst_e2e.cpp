// The real program on a private X server, driven with xdotool and checked
// through its files, the server's window list and screenshots.

#include "tests/e2e/X11TestSession.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTest>

#include <algorithm>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kToolbarTitle = QStringLiteral("Inkly Floating Toolbar");
const QString kOverlayTitle = QStringLiteral("Inkly Drawing Overlay - DrawingOverlay_%1");
const QRect kLeftMonitor(0, 0, 1920, 1080);
const QRect kRightMonitor(1920, 0, 1920, 1080);
constexpr int kWaitMs = 20000;

// Centres of the vertical toolbar's buttons, from the window's top-left
// corner: shadow 8, padding 6, then grip 16, switch 70, spacer 8 and 40-high
// buttons with 2 between items.
constexpr int kToolbarCentreX = 34;
int toolbarItemCentreY(int buttonIndex)
{
    // buttonIndex 0 = pointer, 1 = pen, 2 = highlighter, ...
    return 8 + 6 + 16 + 2 + 70 + 2 + 8 + 2 + buttonIndex * 42 + 20;
}
constexpr int kSwitchCentreY = 8 + 6 + 16 + 2 + 35;
constexpr int kGripCentreY = 8 + 6 + 8;

QJsonArray storedItems(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("items")).toArray();
}

QJsonObject storedSettings(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

bool isRed(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 80 && qBlue(pixel) < 80;
}

// Red pixels near each point of the drag, searched in a small box so that
// smoothing and the line width do not matter.
int redPointsAlong(const QImage &image, const QList<QPoint> &points)
{
    int found = 0;
    for (const QPoint &p : points) {
        bool hit = false;
        for (int dy = -3; dy <= 3 && !hit; ++dy) {
            for (int dx = -3; dx <= 3 && !hit; ++dx) {
                const QPoint q = p + QPoint(dx, dy);
                if (image.rect().contains(q) && isRed(image.pixel(q)))
                    hit = true;
            }
        }
        found += hit ? 1 : 0;
    }
    return found;
}

// Share of sample points, away from `keepOut` and not black before, where
// `shot` shows what `desktop` showed before the program started.
double desktopShown(const QImage &desktop, const QImage &shot, const QList<QRect> &keepOut)
{
    int same = 0;
    int all = 0;
    for (int y = 40; y < desktop.height(); y += 80) {
        for (int x = 40; x < desktop.width(); x += 80) {
            const QPoint p(x, y);
            if (std::any_of(keepOut.cbegin(), keepOut.cend(), [&p](const QRect &r) { return r.contains(p); }))
                continue;
            const QRgb a = desktop.pixel(p);
            const QRgb b = shot.size() == desktop.size() ? shot.pixel(p) : 0;
            // Black proves nothing: it is what an unpainted window shows too.
            if (qRed(a) + qGreen(a) + qBlue(a) < 48)
                continue;
            ++all;
            same += qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b)) < 48;
        }
    }
    return all ? double(same) / all : 0;
}

// An L-shaped drag with many points on each leg: the window may merge
// motion events, which only drops points lying on the straight legs.
QList<QPoint> lShape(const QPoint &start)
{
    QList<QPoint> points;
    for (int i = 0; i <= 30; ++i)
        points.append(start + QPoint(i * 12, 0));
    for (int i = 1; i <= 15; ++i)
        points.append(start + QPoint(360, i * 12));
    return points;
}
} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private:
    static X11TestSession::Options twoMonitors()
    {
        X11TestSession::Options options;
        options.screenSize = QSize(3840, 1080);
        options.monitors = { kLeftMonitor, kRightMonitor };
        return options;
    }

    static QString waitForWindow(X11TestSession &session, const QString &title)
    {
        QString id;
        QTest::qWaitFor(
                [&] {
                    id = session.windowIds(title).value(0);
                    return !id.isEmpty();
                },
                kWaitMs);
        return id;
    }

    static bool waitForLog(X11TestSession &session, const QString &text, int timeoutMs = kWaitMs)
    {
        return QTest::qWaitFor([&] { return session.inklyLog().contains(text); }, timeoutMs);
    }

    // Visible windows of the program that are neither toolbar nor overlay.
    static QStringList otherWindows(X11TestSession &session)
    {
        const QString out = session.run(QStringLiteral("xdotool"),
                { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), QString::number(session.inkly()->processId()) });
        QStringList known = session.windowIds(kToolbarTitle);
        for (int i = 0; i < 4; ++i)
            known += session.windowIds(kOverlayTitle.arg(i));
        QStringList others;
        for (const QString &id : out.split('\n', Qt::SkipEmptyParts)) {
            if (!known.contains(id) && session.windowGeometry(id).width() > 1)
                others.append(id);
        }
        return others;
    }

    static QPoint toolbarPoint(X11TestSession &session, int buttonIndex)
    {
        const QRect toolbar = session.windowGeometry(waitForWindow(session, kToolbarTitle));
        return toolbar.topLeft() + QPoint(kToolbarCentreX, toolbarItemCentreY(buttonIndex));
    }

    // Pen chosen and one stroke dragged on the right monitor.
    static QList<QPoint> drawStroke(X11TestSession &session, const QPoint &start = QPoint(2300, 500))
    {
        session.click(toolbarPoint(session, 1));
        QTest::qWait(300);
        const QList<QPoint> points = lShape(start);
        session.dragMouse(points);
        return points;
    }

    // Whether `upper`'s frame lies above the frames of all of `lower`.
    static bool stackedAbove(X11TestSession &session, const QString &upper, const QStringList &lower)
    {
        const QStringList order = session.stackingOrder();
        const qsizetype top = order.indexOf(session.topLevel(upper));
        return top >= 0 && std::all_of(lower.cbegin(), lower.cend(), [&](const QString &id) {
            const qsizetype below = order.indexOf(session.topLevel(id));
            return below >= 0 && below < top;
        });
    }

    static QPoint trayIconPoint() { return QPoint(16, 1080 - 16); }

    // The program started by another user of the machine on the same display,
    // with directories of that user's own under `base`.
    static std::unique_ptr<QProcess> startInklyAs(const X11TestSession &session, uid_t uid, const QString &base)
    {
        QProcessEnvironment environment = session.environment();
        for (const char *name : { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR" }) {
            const QString dir = base + QLatin1Char('/') + QString::fromLatin1(name);
            QDir().mkpath(dir);
            ::chown(QFile::encodeName(dir).constData(), uid, uid);
            ::chmod(QFile::encodeName(dir).constData(), 0700);
            environment.insert(QString::fromLatin1(name), dir);
        }
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->start(QStringLiteral("setpriv"),
                { QStringLiteral("--reuid=%1").arg(uid), QStringLiteral("--regid=%1").arg(uid), QStringLiteral("--clear-groups"),
                        QStringLiteral(INKLY_BINARY) });
        process->waitForStarted(kWaitMs);
        return process;
    }

private slots:
    void initTestCase();
    void desktopMatrix_data();
    void desktopMatrix();
    void sessionEndKeepsTheLastStroke();
    void autostartWaitsForTheTrayAndQuitsFromIt();
    void commandsReachTheRunningInkly();
};

void TestEndToEnd::initTestCase()
{
    for (const char *tool : { "Xvfb", "xdotool", "xwininfo", "xprop", "xrandr", "xsetroot", "xcompmgr", "trayer", "dbus-daemon", "dbus-send", "xev", "stdbuf",
                 "wmctrl", "xclip" }) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QFAIL(qPrintable(QStringLiteral("missing tool: ") + QString::fromLatin1(tool)));
    }
}

// The desktops people run, one program start each, driven through the same
// journeys; every journey is reported, and the case fails if any did.
void TestEndToEnd::desktopMatrix_data()
{
    QTest::addColumn<QStringList>("manager");
    QTest::addColumn<bool>("xcompmgr");
    QTest::addColumn<int>("monitors");
    // Every manager is in charge once it sets _NET_SUPPORTING_WM_CHECK on
    // the root (kwin takes up to ten seconds here); all get a session bus.
    // Without a session manager each is told not to look for one.
    QTest::newRow("mutter") << QStringList { "mutter", "--x11", "--replace", "--sm-disable" } << false << 2;
    QTest::newRow("kwin") << QStringList { "kwin_x11", "--replace" } << false << 2;
    // xfwm4 places new windows itself (the program below is moved back).
    // It takes Xvfb's one output for the whole screen and so sees only the
    // first of two virtual monitors (its compositor paints that one alone,
    // and it keeps windows inside it): one monitor there.
    QTest::newRow("xfwm4") << QStringList { "xfwm4", "--replace", "--compositor=on", "--sm-client-disable" } << false << 1;
    QTest::newRow("xfwm4-nocompositor") << QStringList { "xfwm4", "--replace", "--compositor=off", "--sm-client-disable" } << false << 1;
    QTest::newRow("openbox-xcompmgr") << QStringList { "openbox", "--replace" } << true << 2;
    // A user's own copy of the packaged configuration: without one, i3's
    // first-run wizard opens and grabs the keyboard.
    QTest::newRow("i3") << QStringList { "sh", "-c",
        R"(mkdir -p "$XDG_CONFIG_HOME/i3" && grep -v i3-config-wizard /etc/i3/config > "$XDG_CONFIG_HOME/i3/config" && exec i3)" }
                        << false << 2;
    QTest::newRow("none") << QStringList() << false << 2;
    QTest::newRow("none-one-monitor") << QStringList() << false << 1;
}

void TestEndToEnd::desktopMatrix()
{
    QFETCH(QStringList, manager);
    QFETCH(bool, xcompmgr);
    QFETCH(int, monitors);
    const QString binary = manager.value(0) == QLatin1String("sh") ? manager.last().section(QLatin1Char(' '), -1) : manager.value(0);
    if (!binary.isEmpty() && QStandardPaths::findExecutable(binary).isEmpty())
        QSKIP(qPrintable(binary + QStringLiteral(" is not installed")));

    X11TestSession::Options options;
    if (monitors == 2)
        options = twoMonitors();
    const QList<QRect> screens = monitors == 2 ? QList<QRect> { kLeftMonitor, kRightMonitor } : QList<QRect> { kLeftMonitor };
    const QRect home = screens.last();
    const int homeIndex = monitors - 1;
    options.windowManager = manager;
    options.compositor = xcompmgr;
    // Desktops keep their settings on the session bus; mutter does not start without one.
    options.sessionBus = true;
    options.rootColour = QStringLiteral("#2d5a7b");
    X11TestSession session;
    QVERIFY2(session.start(options), qPrintable(session.errorString()));
    session.setLogLevel(QStringLiteral("debug"));
    // Past the start window and the tips, which would cover the desktop.
    QDir().mkpath(session.dataDir());
    QFile seed(session.settingsPath());
    QVERIFY(seed.open(QIODevice::WriteOnly));
    seed.write(R"({"app": {"help": {"autoUsageTipsEnabled": false}, "runtime": {"overviewShowCount": 1}}})");
    seed.close();

    // The program below: a window that writes down its button presses.
    const QString report = session.filePath(QStringLiteral("xev.txt"));
    session.spawn(QStringLiteral("sh"),
            { QStringLiteral("-c"), QStringLiteral("exec stdbuf -oL xev -geometry 400x300+%1+300 -event button > '%2'").arg(home.x() + 180).arg(report) });
    auto presses = [&report] {
        QFile file(report);
        return file.open(QIODevice::ReadOnly) ? int(file.readAll().count("ButtonPress")) : 0;
    };
    const QString xev = waitForWindow(session, QStringLiteral("Event Tester"));
    QVERIFY(!xev.isEmpty());
    // Managers place new windows as they like; tiling ones keep them where they put them.
    session.xdotool({ QStringLiteral("windowmove"), xev, QString::number(home.x() + 180), QStringLiteral("300") });
    session.xdotool({ QStringLiteral("mousemove"), QString::number(home.x() + 1500), QStringLiteral("900") });
    QImage desktop;
    QVERIFY(QTest::qWaitFor(
            [&] {
                const QImage shot = session.screenshot();
                const bool settled = !shot.isNull() && shot == desktop;
                desktop = shot;
                return settled;
            },
            kWaitMs));
    const QRect xevRect = session.windowGeometry(xev);
    const QPoint clickPoint = xevRect.topLeft() + QPoint(60, 60);
    const QPoint strokeStart = xevRect.topLeft() + QPoint(200, 200);
    const QString tag = QString::fromLatin1(QTest::currentDataTag());

    QStringList failures;
    auto check = [&failures](const char *journey, bool ok, const QString &what) {
        qInfo("%s journey %s: %s", ok ? "PASS" : "FAIL", journey, qPrintable(what));
        if (!ok)
            failures.append(QString::fromLatin1(journey) + QStringLiteral(": ") + what);
    };
    QStringList overlays;
    auto waitForOverlays = [&] {
        overlays.clear();
        for (int i = 0; i < monitors; ++i)
            overlays.append(waitForWindow(session, kOverlayTitle.arg(i)));
        return !overlays.contains(QString());
    };
    auto clickPasses = [&](const char *journey, const QString &when) {
        const int before = presses();
        session.click(clickPoint);
        check(journey, QTest::qWaitFor([&] { return presses() == before + 1; }, 3000), QStringLiteral("a click passes through to the program below ") + when);
    };
    auto desktopVisible = [&](const char *name, const QList<QRect> &keepOut) {
        const QString path = QDir::tempPath() + QStringLiteral("/inkly-e2e-%1-%2.png").arg(tag, QString::fromLatin1(name));
        double shown = 0;
        QTest::qWaitFor([&] { return (shown = desktopShown(desktop, session.screenshot(path), keepOut)) > 0.9; }, 5000);
        check("2", shown > 0.9,
                QStringLiteral("the desktop shows through %1 (%2% of it, %3)").arg(QString::fromLatin1(name)).arg(qRound(shown * 100)).arg(path));
    };

    session.startInkly();
    const QString toolbar = waitForWindow(session, kToolbarTitle);
    QVERIFY2(!toolbar.isEmpty() && waitForOverlays(), qPrintable(session.inklyLog()));
    for (int i = 0; i < monitors; ++i) {
        check("7", QTest::qWaitFor([&] { return session.windowGeometry(overlays.at(i)) == screens.at(i); }, 5000),
                QStringLiteral("overlay %1 covers its monitor exactly (%2)").arg(i).arg(QDebug::toString(session.windowGeometry(overlays.at(i)))));
    }
    check("6", QTest::qWaitFor([&] { return stackedAbove(session, toolbar, overlays); }, 5000),
            QStringLiteral("the toolbar lies above both overlays after the start"));
    QRect bar;
    const bool startDocked = QTest::qWaitFor(
            [&] {
                bar = session.windowGeometry(toolbar);
                return bar.right() == home.right() - 8 && home.contains(bar);
            },
            5000);
    check("5", startDocked, QStringLiteral("the bar starts docked at the right edge of the monitor under the pointer (%1)").arg(QDebug::toString(bar)));
    // A hovered button shows its tooltip. That and every other window of ours
    // but the titled dialogs stay out of the manager's hands: no frame.
    // A tray icon docked before (i3bar's) is the tray's to hold.
    const QStringList inTray = otherWindows(session);
    const QPoint penButton = toolbarPoint(session, 1);
    session.xdotool({ QStringLiteral("mousemove"), QString::number(penButton.x()), QString::number(penButton.y()) });
    QStringList shown;
    const bool tooltip = QTest::qWaitFor(
            [&] {
                shown = otherWindows(session);
                for (const QString &id : inTray)
                    shown.removeAll(id);
                return !shown.isEmpty();
            },
            3000);
    QStringList framed;
    for (const QString &id : shown + overlays + QStringList { toolbar }) {
        if (session.topLevel(id).toULongLong(nullptr, 0) != id.toULongLong(nullptr, 0))
            framed.append(id + QStringLiteral(" ") + QDebug::toString(session.windowGeometry(id)));
    }
    check("6", tooltip && framed.isEmpty(), QStringLiteral("a tooltip shows (%1) and no window of ours is framed (%2)").arg(tooltip).arg(framed.join(u' ')));
    session.xdotool({ QStringLiteral("mousemove"), QString::number(home.x() + 1500), QStringLiteral("900") });
    clickPasses("1", QStringLiteral("right after the start"));
    desktopVisible("start", { bar.adjusted(-24, -24, 24, 24) });

    // Switched off and on: the overlays go and come back as new windows.
    // Where the switch is now: a collapsing bar may move.
    auto clickSwitch = [&] { session.click(session.windowGeometry(toolbar).topLeft() + QPoint(kToolbarCentreX, kSwitchCentreY)); };
    clickSwitch();
    // Off once the overlays are gone and the collapsed bar has come to rest.
    QRect collapsed;
    const bool off = QTest::qWaitFor(
            [&] {
                const QRect now = session.windowGeometry(toolbar);
                const bool resting = now == collapsed && now.height() < bar.height();
                collapsed = now;
                return resting && session.windowIds(kOverlayTitle.arg(0)).isEmpty();
            },
            5000);
    clickSwitch();
    const bool on = QTest::qWaitFor([&] { return session.windowGeometry(toolbar).size() == bar.size(); }, kWaitMs) && waitForOverlays();
    check("6", off && on, QStringLiteral("the toolbar's switch turns the overlays off (%1) and on (%2)").arg(off).arg(on));
    // Back on for the journeys that follow, whatever the switch did.
    if (!on)
        clickSwitch();
    QVERIFY2(waitForOverlays(), qPrintable(session.inklyLog().right(3000)));
    QTest::qWaitFor([&] { return stackedAbove(session, toolbar, overlays); }, 5000);
    if (off && on)
        clickPasses("1", QStringLiteral("after switching off and on"));
    // Pen: the overlay takes the mouse, stores the stroke and paints it.
    const int pressesBeforePen = presses();
    session.click(toolbarPoint(session, 1));
    const QList<QPoint> points = lShape(strokeStart);
    session.dragMouse(points);
    const QString overlayName = QStringLiteral("DrawingOverlay_%1").arg(homeIndex);
    check("3",
            QTest::qWaitFor([&] { return storedItems(session.drawingsPath()).size() == 1; }, kWaitMs)
                    && storedItems(session.drawingsPath()).first().toObject().value(QStringLiteral("windowId")).toString() == overlayName,
            QStringLiteral("the stroke is stored for ") + overlayName);
    check("3", presses() == pressesBeforePen, QStringLiteral("the pen's press does not reach the program below"));
    const QString strokeShot = QDir::tempPath() + QStringLiteral("/inkly-e2e-%1-stroke.png").arg(tag);
    int painted = 0;
    QTest::qWaitFor([&] { return (painted = redPointsAlong(session.screenshot(strokeShot), points)) >= points.size() * 8 / 10; }, 5000);
    check("3", painted >= points.size() * 8 / 10,
            QStringLiteral("the stroke is painted (%1 of %2 points, %3)").arg(painted).arg(points.size()).arg(strokeShot));

    // Its picture: the ink in, the bar out, one file per monitor.
    session.runInklyToEnd({ QStringLiteral("--save-picture") });
    const QDir pictures(session.environment().value(QStringLiteral("HOME")) + QStringLiteral("/Pictures/Inkly"));
    QStringList files;
    const bool savedAll
            = QTest::qWaitFor([&] { return (files = pictures.entryList({ QStringLiteral("*.png") }, QDir::Files, QDir::Name)).size() == monitors; }, kWaitMs);
    const QImage picture(pictures.filePath(files.value(homeIndex)));
    QList<QPoint> pointsThere;
    for (const QPoint &p : points)
        pointsThere.append(p - home.topLeft());
    const QPoint onBar = toolbarPoint(session, 1);
    const QRgb seen = picture.isNull() ? 0 : picture.pixel(onBar - home.topLeft());
    const QRgb below = desktop.pixel(onBar);
    const bool barOut = qAbs(qRed(seen) - qRed(below)) + qAbs(qGreen(seen) - qGreen(below)) + qAbs(qBlue(seen) - qBlue(below)) < 48;
    check("picture", savedAll && redPointsAlong(picture, pointsThere) >= points.size() * 8 / 10 && barOut,
            QStringLiteral("the saved picture of each monitor (%1 files) shows the ink and not the bar (%2)").arg(files.size()).arg(barOut));

    // Another program comes to the front over the ink; without a manager
    // there is no _NET_ACTIVE_WINDOW, so raise and focus it by hand.
    if (manager.isEmpty())
        session.xdotool({ QStringLiteral("windowraise"), xev, QStringLiteral("windowfocus"), xev });
    else
        session.xdotool({ QStringLiteral("windowactivate"), xev });
    check("4", QTest::qWaitFor([&] { return stackedAbove(session, overlays.first(), { xev }) && stackedAbove(session, overlays.last(), { xev }); }, 2000),
            QStringLiteral("the overlays rise above the activated program"));
    QTest::qWait(2500);
    const QString active = session.activeWindow();
    check("4", active == xev, QStringLiteral("the activated program keeps the keyboard (active: %1, program: %2)").arg(active, xev));
    check("6", stackedAbove(session, toolbar, overlays), QStringLiteral("the toolbar lies above both overlays after the activation"));
    // Inkly's key for the picture works while that program has the keyboard.
    session.xdotool({ QStringLiteral("key"), QStringLiteral("ctrl+alt+shift+s") });
    check("keys", QTest::qWaitFor([&] { return pictures.entryList({ QStringLiteral("*.png") }).size() == 2 * monitors; }, kWaitMs),
            QStringLiteral("the picture's key saves again while another program has the focus"));

    // A focused fullscreen program, a slide show say, covers neither the bar
    // nor the ink.
    if (!manager.isEmpty()) {
        const QStringList xevId { QStringLiteral("-i"), QStringLiteral("-r"), xev };
        session.run(QStringLiteral("wmctrl"), xevId + QStringList { QStringLiteral("-b"), QStringLiteral("add,fullscreen") });
        session.xdotool({ QStringLiteral("windowactivate"), xev });
        const bool barOnTop = QTest::qWaitFor([&] { return stackedAbove(session, toolbar, { xev }); }, 2500);
        const bool inkOnTop
                = QTest::qWaitFor([&] { return stackedAbove(session, overlays.first(), { xev }) && stackedAbove(session, overlays.last(), { xev }); }, 2500);
        check("4", barOnTop && inkOnTop,
                QStringLiteral("a focused fullscreen program leaves the bar (%1) and the ink (%2) above it").arg(barOnTop).arg(inkOnTop));
        session.run(QStringLiteral("wmctrl"), xevId + QStringList { QStringLiteral("-b"), QStringLiteral("remove,fullscreen") });
        QTest::qWaitFor([&] { return session.windowGeometry(xev).width() < home.width(); }, 3000);
    }

    // The bar dragged by its grip to the left edge of the left monitor.
    const QRect before = session.windowGeometry(toolbar);
    QList<QPoint> path;
    const QPoint grip = before.topLeft() + QPoint(kToolbarCentreX, kGripCentreY);
    const QPoint drop(kLeftMonitor.x() + 60, 300);
    // A hand starts slowly: past the drag threshold in small steps first.
    for (int dx : { 0, -3, -8, -16 })
        path.append(grip + QPoint(dx, 0));
    for (int i = 1; i <= 30; ++i)
        path.append(path.last() + (drop - path.last()) / (31 - i));
    session.dragMouse(path);
    const QRect docked(kLeftMonitor.x() + 8, 0, before.width(), before.height());
    QRect placed;
    const bool docks = QTest::qWaitFor(
            [&] {
                placed = session.windowGeometry(toolbar);
                return placed.left() == docked.left() && placed.size() == docked.size() && kLeftMonitor.contains(placed);
            },
            5000);
    check("5", docks, QStringLiteral("the bar docks at the left edge (%1)").arg(QDebug::toString(placed)));
    path.clear();
    for (int i = 1; i <= 12; ++i)
        path.append(drop + QPoint(i * 50, i * 25));
    for (const QPoint &p : path)
        session.xdotool({ QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()), QStringLiteral("sleep"), QStringLiteral("0.05") });
    QTest::qWait(2000);
    const QRect after = session.windowGeometry(toolbar);
    check("5", docks && after == placed, QStringLiteral("the bar stays put when the pointer moves on (%1)").arg(QDebug::toString(after)));

    // Its buttons work where it lies now: back to the pointer, clicks pass again.
    session.click(after.topLeft() + QPoint(kToolbarCentreX, toolbarItemCentreY(0)));
    clickPasses("6", QStringLiteral("after the pointer tool is picked on the moved bar"));
    QRect ink;
    for (const QPoint &p : points)
        ink |= QRect(p - QPoint(24, 24), QSize(48, 48));
    desktopVisible("ink", { after.adjusted(-24, -24, 24, 24), ink });

    // The screen saver takes the overlays away, leaves the bar, and brings them back.
    auto screenSaver = [&](const char *active) {
        session.run(QStringLiteral("dbus-send"),
                { QStringLiteral("--session"), QStringLiteral("--type=signal"), QStringLiteral("/org/freedesktop/ScreenSaver"),
                        QStringLiteral("org.freedesktop.ScreenSaver.ActiveChanged"), QStringLiteral("boolean:") + QString::fromLatin1(active) });
    };
    screenSaver("true");
    const bool gone = QTest::qWaitFor([&] { return session.windowIds(kOverlayTitle.arg(homeIndex)).isEmpty(); }, kWaitMs);
    const bool barStays = QTest::qWaitFor([&] { return !session.windowIds(kToolbarTitle).isEmpty(); }, 2000);
    screenSaver("false");
    const bool back = waitForOverlays();
    check("saver", gone && barStays && back,
            QStringLiteral("the screen saver takes the overlays away (%1), leaves the bar (%2), brings them back (%3)").arg(gone).arg(barStays).arg(back));

    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QStringLiteral("; "))));
}

// Each way a session ends keeps a stroke whose save was still pending. The
// first start finds both files damaged and replaces them on its next save,
// shows the start window; later starts skip it, and one takes over from a
// second start.
void TestEndToEnd::sessionEndKeepsTheLastStroke()
{
    X11TestSession session;
    QVERIFY2(session.start(twoMonitors()), qPrintable(session.errorString()));
    session.setLogLevel(QStringLiteral("debug"));
    QDir().mkpath(session.dataDir());
    for (const QString &path : { session.drawingsPath(), session.settingsPath() }) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{\"version\": 1, \"items\": [ {\"drawingTool\": \"Pen\", ");
    }
    int stored = 0;
    // 0: the X server goes away instead, and Qt ends the program with 1.
    for (int signal : { SIGTERM, SIGHUP, SIGINT, 0 }) {
        session.startInkly();
        QVERIFY2(!waitForWindow(session, kOverlayTitle.arg(1)).isEmpty(), qPrintable(session.inklyLog()));
        if (signal == SIGTERM) {
            QVERIFY(waitForLog(session, QStringLiteral("[DrawingStore] JSON parse error:")));
            QVERIFY(waitForLog(session, QStringLiteral("[SettingsStore] JSON parse error:")));
            QTRY_VERIFY_WITH_TIMEOUT(!otherWindows(session).isEmpty(), kWaitMs);
        } else {
            QTest::qWait(1500);
            QVERIFY2(otherWindows(session).isEmpty(), qPrintable(session.inklyLog()));
        }
        if (signal == SIGHUP) {
            QString secondLog;
            QVERIFY2(session.runInklyToEnd({}, &secondLog) == 0, qPrintable(secondLog));
            QVERIFY2(QTest::qWaitFor([&] { return session.inklyLog().count(QStringLiteral("[App] openApplication called")) == 2; }, kWaitMs),
                    qPrintable(session.inklyLog().right(4000)));
            QCOMPARE(session.windowIds(kToolbarTitle).size(), 1);
            if (::geteuid() == 0 && !QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty()) {
                // Another user on the same display gets an Inkly of their own, also
                // after this one crashed and left its socket behind.
                QTemporaryDir other(QStringLiteral("/tmp/inkly-e2e-user-XXXXXX"));
                QVERIFY(other.isValid());
                QFile::setPermissions(other.path(), QFile::permissions(other.path()) | QFile::ExeOther);
                const uid_t uid = 40000 + uid_t(QCoreApplication::applicationPid() % 20000);
                std::unique_ptr<QProcess> theirs = startInklyAs(session, uid, other.path());
                QTRY_VERIFY2_WITH_TIMEOUT(session.windowIds(kToolbarTitle).size() == 2, qPrintable(QString::fromLocal8Bit(theirs->readAll())), 2 * kWaitMs);
                QVERIFY(session.stopInkly(SIGKILL, nullptr));
                theirs->terminate();
                QVERIFY(theirs->waitForFinished(kWaitMs));
                theirs = startInklyAs(session, uid, other.path());
                QTRY_VERIFY_WITH_TIMEOUT(session.windowIds(kToolbarTitle).size() == 1, 2 * kWaitMs);
                QCOMPARE(theirs->state(), QProcess::Running);
                theirs->terminate();
                QVERIFY(theirs->waitForFinished(kWaitMs));
                // Ours again, over the lock the crash left.
                session.startInkly();
                QVERIFY2(!waitForWindow(session, kOverlayTitle.arg(1)).isEmpty(), qPrintable(session.inklyLog()));
            } else {
                qInfo("Not root: a second user's start is not tried");
            }
        }
        drawStroke(session, QPoint(2300, 300 + stored * 200));
        // The stroke is committed; its save is still a second away.
        QVERIFY(waitForLog(session, QStringLiteral("[DrawingOverlay_1] draw Pen"), 5000));
        QCOMPARE(storedItems(session.drawingsPath()).size(), stored);
        int exitCode = -1;
        if (signal == 0) {
            session.stopXServer();
            QVERIFY(session.inkly()->waitForFinished(kWaitMs));
            exitCode = session.inkly()->exitCode();
        } else {
            QVERIFY(session.stopInkly(signal, &exitCode));
            QVERIFY(session.inklyLog().contains(QStringLiteral("[App] System shutdown detected - closing application")));
        }
        QCOMPARE(exitCode, signal == 0 ? 1 : 0);
        QCOMPARE(storedItems(session.drawingsPath()).size(), ++stored);
        QVERIFY(!storedSettings(session.settingsPath())
                         .value(QStringLiteral("app"))
                         .toObject()
                         .value(QStringLiteral("runtime"))
                         .toObject()
                         .value(QStringLiteral("lastExitAt"))
                         .toString()
                         .isEmpty());
    }
}

// Started at log-on, the program waits for a tray that comes late; quit from the tray menu
// within the save delay, it keeps the stroke and paints it at the next start.
void TestEndToEnd::autostartWaitsForTheTrayAndQuitsFromIt()
{
    X11TestSession::Options options = twoMonitors();
    options.compositor = true;
    X11TestSession session;
    QVERIFY2(session.start(options), qPrintable(session.errorString()));
    session.setLogLevel(QStringLiteral("debug"));
    session.startInkly({ QStringLiteral("--autostart") });
    QVERIFY(waitForLog(session, QStringLiteral("[App] Starting application in autostart mode")));
    QVERIFY(session.inklyLog().contains(QStringLiteral("System tray is not available")));
    // The panel of a desktop comes up a few seconds after the programs
    // started with the session; the icon docks then.
    QTest::qWait(3000);
    QVERIFY(session.windowIds(kToolbarTitle).isEmpty());
    QVERIFY(session.windowIds(kOverlayTitle.arg(0)).isEmpty());
    session.startTray();
    // Double-clicked until the icon has docked and answers.
    QVERIFY2(QTest::qWaitFor(
                     [&] {
                         session.click(trayIconPoint(), 1, 2);
                         return QTest::qWaitFor([&] { return !session.windowIds(kToolbarTitle).isEmpty(); }, 1500);
                     },
                     kWaitMs),
            qPrintable(session.inklyLog()));
    QVERIFY(!waitForWindow(session, kOverlayTitle.arg(1)).isEmpty());
    QTest::qWait(500);

    const QList<QPoint> points = drawStroke(session);
    // Well within the one-second save delay: open the tray menu and quit.
    // Panels sit above ordinary windows under a desktop's window manager;
    // here the tray is raised by hand over the overlay that covers it.
    const QString tray = session.run(QStringLiteral("xdotool"),
                                        { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--class"), QStringLiteral("trayer") })
                                 .split('\n', Qt::SkipEmptyParts)
                                 .value(0);
    QVERIFY(!tray.isEmpty());
    session.xdotool({ QStringLiteral("windowraise"), tray });
    session.click(trayIconPoint(), 3);
    QString menuId;
    QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const QStringList others = otherWindows(session);
                // The menu opens above the tray icon, at the cursor.
                for (const QString &id : others) {
                    const QRect rect = session.windowGeometry(id);
                    if (rect.width() > 60 && rect.height() < 300 && rect.left() < 200 && rect.bottom() > 900)
                        menuId = id;
                }
                return !menuId.isEmpty();
            }(),
            kWaitMs);
    // Past its opening delay and fade-in.
    QTest::qWait(600);
    const QRect menu = session.windowGeometry(menuId);
    session.screenshot(QDir::tempPath() + QStringLiteral("/inkly-e2e-traymenu.png"));
    // The last of three equal entries.
    session.click(QPoint(menu.center().x(), menu.bottom() - menu.height() / 6 - 2));
    const bool ended = session.inkly()->waitForFinished(kWaitMs);
    QVERIFY(ended);
    QCOMPARE(session.inkly()->exitCode(), 0);
    const QString log = session.inklyLog();
    QVERIFY(log.contains(QStringLiteral("[App] quit called")));
    QCOMPARE(log.count(QStringLiteral("[App] Application prepareQuit called")), 1);
    QCOMPARE(storedItems(session.drawingsPath()).size(), 1);

    // Started again, the stroke is painted where it was drawn.
    session.startInkly();
    QVERIFY(!waitForWindow(session, kOverlayTitle.arg(1)).isEmpty());
    QVERIFY(QTest::qWaitFor([&] { return redPointsAlong(session.screenshot(), points) >= points.size() * 8 / 10; }, kWaitMs));
}

// Commands from later starts change the stored drawing; garbage on the
// channel and a client that never speaks change nothing and hold nothing up.
void TestEndToEnd::commandsReachTheRunningInkly()
{
    X11TestSession session;
    X11TestSession::Options options = twoMonitors();
    options.rootColour = QStringLiteral("#2d5a7b");
    QVERIFY2(session.start(options), qPrintable(session.errorString()));
    session.setLogLevel(QStringLiteral("debug"));
    QString log;
    for (const QStringList &command : { QStringList { "--undo" }, QStringList { "--tool", "Pen" }, QStringList { "--off" }, QStringList { "--save-picture" },
                 QStringList { "--copy-picture" } })
        QVERIFY2(session.runInklyToEnd(command, &log) == 2, qPrintable(log));
    // Another client holds the highlighter's key before Inkly comes.
    QProcess *holder = session.spawn(QCoreApplication::applicationFilePath(), { QStringLiteral("--hold-key"), QStringLiteral("h") });
    QVERIFY(QTest::qWaitFor([&] { return QFile(session.filePath(QStringLiteral("tst_e2e.log"))).size() > 0; }, kWaitMs));

    // Started in the background, switched on by the command it was started with.
    session.startInkly({ QStringLiteral("--on"), QStringLiteral("/silent") });
    QVERIFY2(!waitForWindow(session, kOverlayTitle.arg(1)).isEmpty(), qPrintable(session.inklyLog()));
    QVERIFY2(session.runInklyToEnd({ "--tool", "pen" }, &log) == 0, qPrintable(log));
    QVERIFY(waitForLog(session, QStringLiteral("[App] command: tool Pen")));
    session.dragMouse(lShape(QPoint(2300, 500)));
    QTRY_COMPARE_WITH_TIMEOUT(storedItems(session.drawingsPath()).size(), 1, kWaitMs);

    const QString address = session.environment().value(QStringLiteral("XDG_RUNTIME_DIR")) + QStringLiteral("/Zemworks.Inkly.SingleInstance");
    QLocalSocket silent;
    silent.connectToServer(address);
    QVERIFY(silent.waitForConnected(kWaitMs));
    for (const QByteArray &garbage : { QByteArray("tool Crayon\n"), QByteArray(65536, '\x01'), QByteArray("clear please\n") }) {
        QLocalSocket hostile;
        hostile.connectToServer(address);
        QVERIFY(hostile.waitForConnected(kWaitMs));
        hostile.write(garbage);
        QVERIFY(hostile.waitForReadyRead(kWaitMs));
        QVERIFY(hostile.readLine().startsWith("error "));
    }
    QVERIFY2(session.runInklyToEnd({ "--tool", "Crayon" }, &log) == 1, qPrintable(log));
    QTest::qWait(1500);
    QCOMPARE(storedItems(session.drawingsPath()).size(), 1);

    // The pictures: every screen as shown, ink in, toolbar out; the screen
    // under the pointer on the clipboard.
    const QImage shown = session.screenshot();
    const QRect toolbar = session.windowGeometry(waitForWindow(session, kToolbarTitle));
    const QPoint onToolbar = toolbarPoint(session, 1);
    QVERIFY(shown.pixel(onToolbar) != shown.pixel(QPoint(100, 100)));
    QVERIFY2(session.runInklyToEnd({ "--save-picture" }, &log) == 0, qPrintable(log));
    QDir pictures(session.environment().value(QStringLiteral("HOME")) + QStringLiteral("/Pictures/Inkly"));
    QTRY_COMPARE_WITH_TIMEOUT(pictures.entryList({ QStringLiteral("*_screen?.png") }).size(), 2, kWaitMs);
    const QStringList saved = pictures.entryList({ QStringLiteral("*.png") }, QDir::Files, QDir::Name);
    const QImage left(pictures.filePath(saved.value(0)));
    const QImage right(pictures.filePath(saved.value(1)));
    QCOMPARE(left.size(), kLeftMonitor.size());
    QCOMPARE(right.size(), kRightMonitor.size());
    QCOMPARE(left.pixel(100, 100), shown.pixel(100, 100));
    const QImage &toolbarScreen = toolbar.x() >= kRightMonitor.x() ? right : left;
    const QPoint onToolbarThere = onToolbar - (toolbar.x() >= kRightMonitor.x() ? kRightMonitor.topLeft() : QPoint());
    QCOMPARE(toolbarScreen.pixel(onToolbarThere), shown.pixel(QPoint(100, 100)));
    QList<QPoint> strokeThere;
    for (const QPoint &p : lShape(QPoint(2300, 500)))
        strokeThere.append(p - kRightMonitor.topLeft());
    QVERIFY(redPointsAlong(right, strokeThere) >= strokeThere.size() * 8 / 10);
    // The bar came back.
    QTRY_VERIFY_WITH_TIMEOUT(session.screenshot().pixel(onToolbar) == shown.pixel(onToolbar), kWaitMs);

    QVERIFY2(session.runInklyToEnd({ "--copy-picture" }, &log) == 0, qPrintable(log));
    const QString pasted = session.filePath(QStringLiteral("pasted.png"));
    QVERIFY(QTest::qWaitFor(
            [&] {
                session.run(QStringLiteral("sh"), { QStringLiteral("-c"), QStringLiteral("xclip -selection clipboard -t image/png -o > ") + pasted });
                return !QImage(pasted).isNull();
            },
            kWaitMs));
    QVERIFY(redPointsAlong(QImage(pasted), strokeThere) >= strokeThere.size() * 8 / 10);

    // Desktop keys work while another program has the focus; the one
    // another client holds is reported, and the others still work.
    QVERIFY(waitForLog(session, QStringLiteral("Cannot take Ctrl+Alt+Shift+H for highlighter : taken")));
    session.spawn(QStringLiteral("xev"), { QStringLiteral("-geometry"), QStringLiteral("300x200+200+200") });
    const QString xev = waitForWindow(session, QStringLiteral("Event Tester"));
    QVERIFY(session.xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), xev }));
    QCOMPARE(session.activeWindow(), xev);
    QVERIFY(session.xdotool({ QStringLiteral("key"), QStringLiteral("ctrl+alt+shift+z") }));
    QTRY_COMPARE_WITH_TIMEOUT(storedItems(session.drawingsPath()).size(), 0, kWaitMs);
    QVERIFY(session.xdotool({ QStringLiteral("key"), QStringLiteral("ctrl+alt+shift+s") }));
    QTRY_COMPARE_WITH_TIMEOUT(pictures.entryList({ QStringLiteral("*.png") }).size(), 4, kWaitMs);
    holder->kill();

    for (const auto &[command, items] : { std::pair { "--undo", 0 }, { "--redo", 1 }, { "--clear", 0 } }) {
        QVERIFY2(session.runInklyToEnd({ QString::fromLatin1(command) }, &log) == 0, qPrintable(log));
        QTRY_COMPARE_WITH_TIMEOUT(storedItems(session.drawingsPath()).size(), items, kWaitMs);
    }

    // A text typed in place on the second screen, kept through a restart.
    QVERIFY2(session.runInklyToEnd({ "--tool", "text" }, &log) == 0, qPrintable(log));
    QVERIFY(waitForLog(session, QStringLiteral("[App] command: tool Text")));
    session.click(QPoint(2300, 400));
    QTest::qWait(500);
    for (const QString &keys : { "type Hello", "key Return", "type w2", "key Escape" })
        session.xdotool(keys.split(QLatin1Char(' ')));
    QTRY_COMPARE_WITH_TIMEOUT(storedItems(session.drawingsPath()).at(0).toObject().value("text").toString(), QStringLiteral("Hello\nw2"), kWaitMs);
    QVERIFY(session.stopInkly(SIGTERM, nullptr));
    session.startInkly({ QStringLiteral("--on"), QStringLiteral("/silent") });
    QVERIFY2(!waitForWindow(session, kOverlayTitle.arg(1)).isEmpty(), qPrintable(session.inklyLog()));
    QVERIFY(waitForLog(session, QStringLiteral("[DrawingContext] Loaded 1 draw items")));

    QVERIFY2(session.runInklyToEnd({ "--toggle" }, &log) == 0, qPrintable(log));
    QTRY_VERIFY_WITH_TIMEOUT(session.windowIds(kOverlayTitle.arg(1)).isEmpty(), kWaitMs);
    QVERIFY2(session.runInklyToEnd({ "--on" }, &log) == 0, qPrintable(log));
    QVERIFY(!waitForWindow(session, kOverlayTitle.arg(1)).isEmpty());
    QCOMPARE(session.inklyLog().count(QStringLiteral("[App] openApplication called")), 1);

    QVERIFY(session.stopInkly(SIGTERM, nullptr));
    QVERIFY2(session.runInklyToEnd({ "--redo" }, &log) == 2, qPrintable(log));
}

// Another client's grab of Ctrl+Alt+Shift and a letter, with the lock
// variants, held until the helper is ended.
int holdKey(const char *letter)
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection))
        return 1;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(connection);
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, xcb_keysym_t(letter[0]));
    const uint16_t mask = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
    for (const int lock : { 0, int(XCB_MOD_MASK_LOCK), int(XCB_MOD_MASK_2), int(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2) })
        xcb_grab_key(connection, 0, root, uint16_t(mask | lock), codes[0], XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    std::free(codes);
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    std::puts("held");
    std::fflush(stdout);
    while (xcb_generic_event_t *event = xcb_wait_for_event(connection))
        std::free(event);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--hold-key") == 0)
        return holdKey(argv[2]);
    if (argc == 3 && qstrcmp(argv[1], "--grab") == 0) {
        QGuiApplication app(argc, argv);
        return X11TestSession::grab(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    TestEndToEnd test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_e2e.moc"
