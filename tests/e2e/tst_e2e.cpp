// The real program on a private X server, driven with xdotool and checked
// through its files, the server's window list and screenshots.

#include "X11TestSession.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
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
        for (int waited = 0; waited < kWaitMs && id.isEmpty(); waited += 100) {
            const QStringList ids = session.windowIds(title);
            if (!ids.isEmpty())
                id = ids.first();
            else
                QTest::qWait(100);
        }
        return id;
    }

    static bool waitForLog(X11TestSession &session, const QString &text, int timeoutMs = kWaitMs)
    {
        for (int waited = 0; waited < timeoutMs; waited += 100) {
            if (session.inklyLog().contains(text))
                return true;
            QTest::qWait(100);
        }
        return false;
    }

    // Visible windows of the program that are neither toolbar nor overlay.
    static QStringList otherWindows(X11TestSession &session)
    {
        const QString out = session.run(QStringLiteral("xdotool"),
                { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                        QString::number(session.inkly()->processId()) });
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

    static QPoint trayIconPoint() { return QPoint(16, 1080 - 16); }

    // The program started by another user of the machine on the same display,
    // with directories of that user's own under `base`.
    static std::unique_ptr<QProcess> startInklyAs(
            const X11TestSession &session, uid_t uid, const QString &base)
    {
        QProcessEnvironment environment = session.environment();
        for (const char *name : { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                     "XDG_RUNTIME_DIR" }) {
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
                { QStringLiteral("--reuid=%1").arg(uid), QStringLiteral("--regid=%1").arg(uid),
                        QStringLiteral("--clear-groups"), QStringLiteral(INKLY_BINARY) });
        process->waitForStarted(kWaitMs);
        return process;
    }

private slots:
    void initTestCase();
    void firstStartDocksAndSecondStartHandsOver();
    void drawingOnTheSecondMonitorIsStoredAndPainted();
    void pointerModeLetsClicksThrough();
    void quitFromTheTrayKeepsTheLastStroke();
    void sessionEndKeepsTheLastStroke();
    void autostartWaitsForTheTray();
    void sessionLockDestroysAndUnlockRebuilds();
    void damagedFilesAreReplacedOnTheNextSave();
};

void TestEndToEnd::initTestCase()
{
    for (const char *tool : { "Xvfb", "xdotool", "xwininfo", "xrandr", "import", "xcompmgr", "trayer",
                 "dbus-daemon", "dbus-send", "xev" }) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QFAIL(qPrintable(QStringLiteral("missing tool: ") + QString::fromLatin1(tool)));
    }
}

void TestEndToEnd::firstStartDocksAndSecondStartHandsOver()
{
    X11TestSession session;
    QVERIFY2(session.start(twoMonitors()), qPrintable(session.errorString()));
    session.setLogLevel(QStringLiteral("debug"));
    session.xdotool({ QStringLiteral("mousemove"), QStringLiteral("2500"), QStringLiteral("400") });

    session.startInkly();
    const QString toolbarId = waitForWindow(session, kToolbarTitle);
    QVERIFY2(!toolbarId.isEmpty(), qPrintable(session.inklyLog()));
    // Docked at the right edge of the monitor under the cursor, the body
    // 16 pixels from it (8 of them are the window's shadow margin).
    QTRY_COMPARE_WITH_TIMEOUT(session.windowGeometry(toolbarId).right() + 1, kRightMonitor.right() + 1 - 8,
            kWaitMs);
    const QRect toolbar = session.windowGeometry(toolbarId);
    QCOMPARE(toolbar.size(), QSize(68, 667));
    QVERIFY(kRightMonitor.contains(toolbar));

    // The start window opens by itself the first time only.
    QTRY_VERIFY_WITH_TIMEOUT(!otherWindows(session).isEmpty(), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(storedSettings(session.settingsPath())
                                      .value(QStringLiteral("app")).toObject()
                                      .value(QStringLiteral("runtime")).toObject()
                                      .value(QStringLiteral("overviewShowCount")).toInt(),
            1, kWaitMs);

    // A second start hands over to the first and ends with 0.
    QString secondLog;
    QCOMPARE(session.runInklyToEnd({}, &secondLog), 0);
    QTRY_COMPARE_WITH_TIMEOUT(session.inklyLog().count(QStringLiteral("[App] openApplication called")), 2,
            kWaitMs);
    QCOMPARE(session.windowIds(kToolbarTitle).size(), 1);

    if (::geteuid() == 0 && !QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty()) {
        // Another user on the same display gets an Inkly of their own, also
        // after this one crashed and left its socket behind.
        QTemporaryDir other(QStringLiteral("/tmp/inkly-e2e-user-XXXXXX"));
        QVERIFY(other.isValid());
        QFile::setPermissions(other.path(), QFile::permissions(other.path()) | QFile::ExeOther);
        const uid_t uid = 40000 + uid_t(QCoreApplication::applicationPid() % 20000);
        std::unique_ptr<QProcess> theirs = startInklyAs(session, uid, other.path());
        QTRY_VERIFY2_WITH_TIMEOUT(session.windowIds(kToolbarTitle).size() == 2,
                qPrintable(QString::fromLocal8Bit(theirs->readAll())), 2 * kWaitMs);
        QVERIFY(session.stopInkly(SIGKILL, nullptr));
        theirs->terminate();
        QVERIFY(theirs->waitForFinished(kWaitMs));
        theirs = startInklyAs(session, uid, other.path());
        QTRY_VERIFY_WITH_TIMEOUT(session.windowIds(kToolbarTitle).size() == 1, 2 * kWaitMs);
        QCOMPARE(theirs->state(), QProcess::Running);
        theirs->terminate();
        QVERIFY(theirs->waitForFinished(kWaitMs));
    } else {
        int exitCode = -1;
        QVERIFY(session.stopInkly(SIGTERM, &exitCode));
        QCOMPARE(exitCode, 0);
        qInfo("Not root: a second user's start is not tried");
    }

    // A later start does not show the start window again.
    session.startInkly();
    QVERIFY(!waitForWindow(session, kToolbarTitle).isEmpty());
    QVERIFY(waitForLog(session, QStringLiteral("[App] recreateDrawingOverlays")));
    QTest::qWait(1500);
    QVERIFY2(otherWindows(session).isEmpty(), qPrintable(session.inklyLog()));
}

void TestEndToEnd::drawingOnTheSecondMonitorIsStoredAndPainted()
{
    X11TestSession::Options options = twoMonitors();
    options.compositor = true;
    X11TestSession session;
    QVERIFY2(session.start(options), qPrintable(session.errorString()));
    session.startInkly();

    const QString first = waitForWindow(session, kOverlayTitle.arg(0));
    const QString second = waitForWindow(session, kOverlayTitle.arg(1));
    QVERIFY2(!first.isEmpty() && !second.isEmpty(), qPrintable(session.inklyLog()));
    QCOMPARE(session.windowGeometry(first), kLeftMonitor);
    QCOMPARE(session.windowGeometry(second), kRightMonitor);
    QVERIFY(session.windowIds(kOverlayTitle.arg(2)).isEmpty());

    // The overlays lie directly under the toolbar.
    const QString toolbarId = waitForWindow(session, kToolbarTitle);
    auto toHex = [](const QString &id) { return QStringLiteral("0x%1").arg(id.toULongLong(), 0, 16); };
    QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const QStringList order = session.stackingOrder();
                const qsizetype toolbarIndex = order.indexOf(toHex(toolbarId));
                const QStringList below = order.mid(toolbarIndex - 2, 2);
                return toolbarIndex >= 2 && below.contains(toHex(first)) && below.contains(toHex(second));
            }(),
            kWaitMs);

    const QList<QPoint> points = drawStroke(session);
    QTRY_COMPARE_WITH_TIMEOUT(storedItems(session.drawingsPath()).size(), 1, kWaitMs);
    const QJsonObject item = storedItems(session.drawingsPath()).first().toObject();
    QCOMPARE(item.value(QStringLiteral("windowId")).toString(), QStringLiteral("DrawingOverlay_1"));

    QTest::qWait(300);
    const QString shot = QDir::tempPath() + QStringLiteral("/inkly-e2e-stroke.png");
    const QImage image = session.screenshot(shot);
    QVERIFY(!image.isNull());
    QVERIFY2(redPointsAlong(image, points) >= points.size() * 8 / 10, qPrintable(shot));
    // Nothing red on the other monitor.
    QCOMPARE(redPointsAlong(image, lShape(QPoint(380, 500))), 0);
}

void TestEndToEnd::pointerModeLetsClicksThrough()
{
    X11TestSession::Options options = twoMonitors();
    options.compositor = true;
    X11TestSession session;
    QVERIFY2(session.start(options), qPrintable(session.errorString()));
    // A window that reports its button events to a file, below where the
    // overlays will be.
    const QString report = QDir::tempPath() + QStringLiteral("/inkly-e2e-xev-%1.txt").arg(QCoreApplication::applicationPid());
    QFile::remove(report);
    session.spawn(QStringLiteral("sh"),
            { QStringLiteral("-c"),
                    QStringLiteral("exec stdbuf -oL xev -geometry 400x300+2100+300 -event button > '%1'").arg(report) });
    auto presses = [&report] {
        QFile file(report);
        return file.open(QIODevice::ReadOnly) ? int(file.readAll().count("ButtonPress")) : 0;
    };
    QTest::qWait(500);
    session.startInkly();
    QVERIFY(!waitForWindow(session, kOverlayTitle.arg(1)).isEmpty());
    QTest::qWait(500);

    // Pointer tool: the overlay lets the click through.
    session.click(toolbarPoint(session, 0));
    QTest::qWait(300);
    session.click(QPoint(2300, 450));
    QTRY_COMPARE_WITH_TIMEOUT(presses(), 1, 5000);

    // Pen: the overlay takes the mouse.
    session.click(toolbarPoint(session, 1));
    QTest::qWait(500);
    session.click(QPoint(2300, 450));
    QTest::qWait(1000);
    QCOMPARE(presses(), 1);
    QFile::remove(report);
}

void TestEndToEnd::quitFromTheTrayKeepsTheLastStroke()
{
    X11TestSession::Options options = twoMonitors();
    options.tray = true;
    options.compositor = true;
    X11TestSession session;
    QVERIFY2(session.start(options), qPrintable(session.errorString()));
    session.setLogLevel(QStringLiteral("debug"));
    session.startInkly();
    QVERIFY(!waitForWindow(session, kOverlayTitle.arg(1)).isEmpty());
    QTest::qWait(500);

    const QList<QPoint> points = drawStroke(session);
    // Well within the one-second save delay: open the tray menu and quit.
    // Panels sit above ordinary windows under a desktop's window manager;
    // here the tray is raised by hand over the overlay that covers it.
    const QString tray = session.run(QStringLiteral("xdotool"),
            { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--class"),
                    QStringLiteral("trayer") })
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
            5000);
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
    QTest::qWait(1500);
    QVERIFY(redPointsAlong(session.screenshot(), points) >= points.size() * 8 / 10);
}

void TestEndToEnd::sessionEndKeepsTheLastStroke()
{
    // 0: the X server goes away instead, and Qt ends the program with 1.
    for (int signal : { SIGTERM, SIGHUP, SIGINT, 0 }) {
        X11TestSession session;
        QVERIFY2(session.start(twoMonitors()), qPrintable(session.errorString()));
        session.setLogLevel(QStringLiteral("debug"));
        session.startInkly();
        QVERIFY(!waitForWindow(session, kOverlayTitle.arg(1)).isEmpty());
        QTest::qWait(500);
        drawStroke(session);
        // The stroke is committed; its save is still a second away.
        QVERIFY(waitForLog(session, QStringLiteral("[DrawingOverlay_1] draw Pen"), 5000));
        QVERIFY(!QFile::exists(session.drawingsPath()) || storedItems(session.drawingsPath()).isEmpty());
        int exitCode = -1;
        if (signal == 0) {
            session.stopXServer();
            QVERIFY(session.inkly()->waitForFinished(kWaitMs));
            exitCode = session.inkly()->exitCode();
        } else {
            QVERIFY(session.stopInkly(signal, &exitCode));
        }
        QCOMPARE(exitCode, signal == 0 ? 1 : 0);
        if (signal != 0)
            QVERIFY(session.inklyLog().contains(QStringLiteral("[App] System shutdown detected - closing application")));
        QCOMPARE(storedItems(session.drawingsPath()).size(), 1);
        QVERIFY(!storedSettings(session.settingsPath())
                         .value(QStringLiteral("app")).toObject()
                         .value(QStringLiteral("runtime")).toObject()
                         .value(QStringLiteral("lastExitAt")).toString().isEmpty());
    }
}

void TestEndToEnd::autostartWaitsForTheTray()
{
    X11TestSession session;
    QVERIFY2(session.start({}), qPrintable(session.errorString()));
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
    QTest::qWait(2000);

    session.click(trayIconPoint(), 1, 2);
    QVERIFY2(!waitForWindow(session, kToolbarTitle).isEmpty(), qPrintable(session.inklyLog()));
    QVERIFY(!waitForWindow(session, kOverlayTitle.arg(0)).isEmpty());
}

void TestEndToEnd::sessionLockDestroysAndUnlockRebuilds()
{
    X11TestSession::Options options = twoMonitors();
    options.sessionBus = true;
    X11TestSession session;
    QVERIFY2(session.start(options), qPrintable(session.errorString()));
    session.setLogLevel(QStringLiteral("debug"));
    session.startInkly();
    QVERIFY(!waitForWindow(session, kOverlayTitle.arg(1)).isEmpty());
    QTest::qWait(1000);

    auto screenSaver = [&](bool active) {
        int code = -1;
        session.run(QStringLiteral("dbus-send"),
                { QStringLiteral("--session"), QStringLiteral("--type=signal"),
                        QStringLiteral("/org/freedesktop/ScreenSaver"),
                        QStringLiteral("org.freedesktop.ScreenSaver.ActiveChanged"),
                        active ? QStringLiteral("boolean:true") : QStringLiteral("boolean:false") },
                &code);
        return code == 0;
    };
    QVERIFY(screenSaver(true));
    QTRY_VERIFY_WITH_TIMEOUT(session.windowIds(kOverlayTitle.arg(0)).isEmpty()
                    && session.windowIds(kOverlayTitle.arg(1)).isEmpty(),
            kWaitMs);
    QVERIFY(waitForLog(session, QStringLiteral("[App] destroyDrawingOverlays")));
    QVERIFY(!session.windowIds(kToolbarTitle).isEmpty());

    QVERIFY(screenSaver(false));
    QVERIFY(!waitForWindow(session, kOverlayTitle.arg(0)).isEmpty());
    QVERIFY(!waitForWindow(session, kOverlayTitle.arg(1)).isEmpty());
}

void TestEndToEnd::damagedFilesAreReplacedOnTheNextSave()
{
    X11TestSession session;
    QVERIFY2(session.start(twoMonitors()), qPrintable(session.errorString()));
    QDir().mkpath(session.dataDir());
    for (const QString &path : { session.drawingsPath(), session.settingsPath() }) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{\"version\": 1, \"items\": [ {\"drawingTool\": \"Pen\", ");
    }
    session.startInkly();
    QVERIFY2(!waitForWindow(session, kOverlayTitle.arg(1)).isEmpty(), qPrintable(session.inklyLog()));
    QVERIFY(waitForLog(session, QStringLiteral("[DrawingStore] JSON parse error:")));
    QVERIFY(waitForLog(session, QStringLiteral("[SettingsStore] JSON parse error:")));

    drawStroke(session);
    QTRY_COMPARE_WITH_TIMEOUT(storedItems(session.drawingsPath()).size(), 1, kWaitMs);
    int exitCode = -1;
    QVERIFY(session.stopInkly(SIGTERM, &exitCode));
    QCOMPARE(exitCode, 0);
    QJsonParseError error;
    QFile settings(session.settingsPath());
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QVERIFY(QJsonDocument::fromJson(settings.readAll(), &error).isObject());
    QCOMPARE(error.error, QJsonParseError::NoError);
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
