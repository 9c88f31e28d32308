#include "platform/ScreenMonitor.h"

#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

using ScreenOrdering::Monitor;
using ScreenOrdering::Screen;

namespace {

// The server's monitor order as xrandr prints it, e.g. " 0: *R 960/254x1080/286+960+0".
QList<QRect> serverMonitors()
{
    QProcess process;
    process.start(QStringLiteral("xrandr"), { QStringLiteral("--listmonitors") });
    process.waitForFinished();
    QList<QRect> rects;
    static const QRegularExpression line(QStringLiteral(R"(^\s*\d+:\s+\S+\s+(\d+)/\d+x(\d+)/\d+\+(-?\d+)\+(-?\d+))"), QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(QString::fromLocal8Bit(process.readAllStandardOutput())); it.hasNext();) {
        const auto match = it.next();
        rects.append(QRect(match.captured(3).toInt(), match.captured(4).toInt(), match.captured(1).toInt(), match.captured(2).toInt()));
    }
    return rects;
}

QList<QRect> geometries(const QList<ScreenInfo> &screens)
{
    QList<QRect> rects;
    for (const ScreenInfo &screen : screens)
        rects.append(screen.geometry());
    return rects;
}

} // namespace

class TstScreenMonitor : public QObject
{
    Q_OBJECT

private slots:
    void orderingRules();
    void randrMonitors();
};

void TstScreenMonitor::orderingRules()
{
    // 150 % scale: the origin stays, the size shrinks, halves round away from zero.
    const QRect scaled = ScreenOrdering::logicalMonitorRect(QRect(1920, 0, 2880, 1620), 144);
    QCOMPARE(scaled, QRect(1920, 0, 1920, 1080));
    QCOMPARE(ScreenOrdering::logicalMonitorRect(QRect(0, 0, 1001, 3), 192), QRect(0, 0, 501, 2));

    const Screen primary { QStringLiteral("primary"), QRect(0, 0, 1920, 1080) };
    const Screen secondary { QStringLiteral("secondary"), QRect(1920, 0, 1920, 1080) };
    const Screen small { QStringLiteral("small"), QRect(0, 0, 100, 100) };
    const Monitor left { QStringLiteral("left"), QRect(0, 0, 1920, 1080) };
    const Monitor right { QStringLiteral("right"), scaled };
    const Monitor halfMonitor { QStringLiteral("half"), QRect(0, 0, 960, 1080) };
    // Qt lists the primary first; the monitor order wins. Mirrored screens:
    // the second monitor takes the next free screen, a third is dropped. A
    // screen of the monitor's own area beats a larger one holding its centre;
    // a centre on the screen's last column still counts as inside.
    QCOMPARE(ScreenOrdering::orderScreens({ primary, secondary }, { right, left }), QList<int>({ 1, 0 }));
    QCOMPARE(ScreenOrdering::orderScreens({ primary, primary }, { left, left, left }), QList<int>({ 0, 1 }));
    QCOMPARE(ScreenOrdering::orderScreens({ primary, Screen { QStringLiteral("half"), halfMonitor.rect } }, { halfMonitor, left }), QList<int>({ 1, 0 }));
    QCOMPARE(ScreenOrdering::orderScreens({ small }, { { QString(), QRect(0, 0, 199, 199) } }), QList<int>({ 0 }));
    // No monitor for a screen: it follows the matched ones, with a warning naming it.
    QTest::ignoreMessage(QtWarningMsg, "[ScreenMonitor] Screen not matched by EnumDisplayMonitors: primary");
    QCOMPARE(ScreenOrdering::orderScreens({ primary, secondary }, { right }), QList<int>({ 1, 0 }));
    QVERIFY(!ScreenOrdering::configurationChanged({ left, right }, { left, right }));
    QVERIFY(ScreenOrdering::configurationChanged({ left, right }, { right, left }));
    // Outside every screen: nothing, at the default scale.
    const ScreenInfo outside = ScreenMonitor::instance()->screenAt(-100000, -100000);
    QVERIFY(!outside.isValid());
    QCOMPARE(outside.logicalDotsPerInch(), 96.0);
}

// Monitors come and go at run time: each change is reported once, and the
// list follows the server's order.
void TstScreenMonitor::randrMonitors()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server");
    ScreenMonitor *monitor = ScreenMonitor::instance();
    QSignalSpy changes(monitor, &ScreenMonitor::windowsDisplayChangeDetected);
    QSignalSpy added(monitor, &ScreenMonitor::screenAdded);
    QSignalSpy removed(monitor, &ScreenMonitor::screenRemoved);
    QCOMPARE(monitor->screens().size(), 1);
    QVERIFY(monitor->screens().first().equals(monitor->primaryScreen()));

    const struct
    {
        QStringList xrandr;
        int screens;
        int added;
        int removed;
    } steps[] = {
        { { "--setmonitor", "L", "960/254x1080/286+0+0", "screen" }, 1, -1, -1 },
        { { "--setmonitor", "R", "960/254x1080/286+960+0", "none" }, 2, 1, 0 },
        { { "--delmonitor", "R" }, 1, 1, 1 },
        // R comes back as the primary one: the server lists it first, and so do we.
        { { "--setmonitor", "*R", "960/254x1080/286+960+0", "none" }, 2, -1, -1 },
        // Without L the server brings back its automatic monitor over the whole screen.
        { { "--delmonitor", "L" }, 2, -1, -1 },
        { { "--setmonitor", "L", "960/254x1080/286+0+0", "none" }, 3, -1, -1 },
    };
    qsizetype addedBefore = 0;
    qsizetype removedBefore = 0;
    int expectedChanges = 0;
    for (const auto &step : steps) {
        QCOMPARE(QProcess::execute(QStringLiteral("xrandr"), step.xrandr), 0);
        ++expectedChanges;
        QTRY_COMPARE(monitor->screens().size(), step.screens);
        QTRY_COMPARE(geometries(monitor->screens()), serverMonitors());
        QTRY_COMPARE(changes.size(), expectedChanges);
        QVERIFY(step.added < 0 || added.size() == addedBefore + step.added);
        QVERIFY(step.removed < 0 || removed.size() == removedBefore + step.removed);
        if (&step == steps) {
            addedBefore = added.size();
            removedBefore = removed.size();
        }
    }
    QCOMPARE(geometries(monitor->screens()), QList<QRect>({ QRect(960, 0, 960, 1080), QRect(0, 0, 960, 1080), QRect(0, 0, 1920, 1080) }));
}

QTEST_MAIN(TstScreenMonitor)
#include "tst_screenmonitor.moc"
