#include "ScreenMonitor.h"
#include "SingletonPublisher.h"

#include <QGuiApplication>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QtQml/qqmlextensionplugin.h>
#include <QtTest>

#include <memory>

Q_IMPORT_QML_PLUGIN(Zem_InklyPlugin)

using ScreenOrdering::Monitor;
using ScreenOrdering::Screen;

namespace {

bool xrandr(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("xrandr"), arguments) == 0;
}

// The server's monitor order as xrandr prints it, e.g. " 0: *R 960/254x1080/286+960+0".
QList<QRect> serverMonitors()
{
    QProcess process;
    process.start(QStringLiteral("xrandr"), {QStringLiteral("--listmonitors")});
    process.waitForFinished();
    QList<QRect> rects;
    static const QRegularExpression line(QStringLiteral(R"(^\s*\d+:\s+\S+\s+(\d+)/\d+x(\d+)/\d+\+(-?\d+)\+(-?\d+))"),
                                         QRegularExpression::MultilineOption);
    auto it = line.globalMatch(QString::fromLocal8Bit(process.readAllStandardOutput()));
    while (it.hasNext()) {
        const auto match = it.next();
        rects.append(QRect(match.captured(3).toInt(), match.captured(4).toInt(),
                           match.captured(1).toInt(), match.captured(2).toInt()));
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
    void screenInfoValues();
    void declarativeSide();
    void randrMonitors();
};

void TstScreenMonitor::orderingRules()
{
    // 150 % scale: the origin stays, the size shrinks, halves round away from zero.
    const QRect scaled = ScreenOrdering::logicalMonitorRect(QRect(1920, 0, 2880, 1620), 144);
    QCOMPARE(scaled, QRect(1920, 0, 1920, 1080));
    QCOMPARE(scaled.center(), QPoint(2879, 539));
    QCOMPARE(ScreenOrdering::logicalMonitorRect(QRect(0, 0, 1001, 3), 192), QRect(0, 0, 501, 2));

    const Screen primary{QStringLiteral("primary"), QRect(0, 0, 1920, 1080)};
    const Screen secondary{QStringLiteral("secondary"), QRect(1920, 0, 1920, 1080)};
    const Monitor left{QStringLiteral("left"), QRect(0, 0, 1920, 1080)};
    const Monitor right{QStringLiteral("right"), scaled};

    // Qt lists the primary first; the monitor order wins.
    QCOMPARE(ScreenOrdering::orderScreens({primary, secondary}, {right, left}), QList<int>({1, 0}));

    // Mirrored screens: the second monitor takes the next free screen, a third is dropped.
    const Screen mirror{QStringLiteral("mirror"), QRect(0, 0, 1920, 1080)};
    QCOMPARE(ScreenOrdering::orderScreens({primary, mirror}, {left, left, left}), QList<int>({0, 1}));

    // Overlapping monitors: a screen of the monitor's own area beats a larger
    // one that merely holds its centre.
    const Screen whole{QStringLiteral("whole"), QRect(0, 0, 1920, 1080)};
    const Screen half{QStringLiteral("half"), QRect(0, 0, 960, 1080)};
    const Monitor halfMonitor{QStringLiteral("half"), QRect(0, 0, 960, 1080)};
    QCOMPARE(ScreenOrdering::orderScreens({whole, half}, {halfMonitor, left}), QList<int>({1, 0}));

    // A centre on the screen's last column still counts as inside.
    const Screen small{QStringLiteral("small"), QRect(0, 0, 100, 100)};
    QCOMPARE(ScreenOrdering::orderScreens({small}, {{QString(), QRect(0, 0, 199, 199)}}), QList<int>({0}));

    // No monitor for a screen: it follows the matched ones, with a warning naming it.
    QTest::ignoreMessage(QtWarningMsg, "[ScreenMonitor] Screen not matched by EnumDisplayMonitors: primary");
    QCOMPARE(ScreenOrdering::orderScreens({primary, secondary}, {right}), QList<int>({1, 0}));
    QTest::ignoreMessage(QtWarningMsg, "[ScreenMonitor] Screen not matched by EnumDisplayMonitors: small");
    QCOMPARE(ScreenOrdering::orderScreens({small}, {{QString(), QRect(200, 200, 10, 10)}}), QList<int>({0}));

    QVERIFY(!ScreenOrdering::configurationChanged({left, right}, {left, right}));
    QVERIFY(ScreenOrdering::configurationChanged({left, right}, {right, left}));
    QVERIFY(ScreenOrdering::configurationChanged({left, right}, {left}));
}

void TstScreenMonitor::screenInfoValues()
{
    const ScreenInfo none(nullptr);
    QVERIFY(!none.isValid());
    QCOMPARE(none.geometry(), QRect());
    QCOMPARE(none.devicePixelRatio(), 1.0);
    QCOMPARE(none.logicalDotsPerInch(), 96.0);

    ScreenMonitor *monitor = ScreenMonitor::instance();
    QVERIFY(!monitor->screenAt(nullptr).isValid());
    const ScreenInfo outside = monitor->screenAt(-100000, -100000);
    QVERIFY(!outside.isValid());
    QCOMPARE(outside.devicePixelRatio(), 1.0);
    QCOMPARE(outside.logicalDotsPerInch(), 96.0);

    const ScreenInfo primary = monitor->primaryScreen();
    QVERIFY(primary.isValid());
    QCOMPARE(primary.name(), QGuiApplication::primaryScreen()->name());
    const QPoint inside = primary.geometry().center();
    QVERIFY(monitor->screenAt(inside.x(), inside.y()).equals(primary));

    ScreenInfo a = primary;
    a.setDevicePixelRatio(1.25);
    ScreenInfo b = a;
    b.setDevicePixelRatio(1.2500000000001);
    QVERIFY(a.equals(b));
    b.setDevicePixelRatio(1.2501);
    QVERIFY(!a.equals(b));
    b = a;
    b.setAvailableGeometry(a.availableGeometry().adjusted(0, 0, 0, -40));
    QVERIFY(a != b);
    QCOMPARE(QList<ScreenInfo>({a, primary}), QList<ScreenInfo>({a, primary}));
    QVERIFY(QList<ScreenInfo>({a, primary}) != QList<ScreenInfo>({primary, a}));
    QVERIFY(QList<ScreenInfo>({a}) != QList<ScreenInfo>({a, a}));
}

void TstScreenMonitor::declarativeSide()
{
    SingletonPublisher::publishSingletons();
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData(R"(
        import QtQml
        import Zem.Inkly

        QtObject {
            property int count: ScreenMonitor.screens().length
            property int firstWidth: ScreenMonitor.screens()[0].geometry.width
            property bool primaryValid: ScreenMonitor.primaryScreen().isValid()
            property bool nullInvalid: !ScreenMonitor.screenAt(null).isValid()
            property real outsideDpi: ScreenMonitor.screenAt(-100000, -100000).logicalDotsPerInch
            property bool sameFirst: ScreenMonitor.screens()[0].equals(ScreenMonitor.screens()[0])
        })",
                      QUrl());
    std::unique_ptr<QObject> probe(component.create());
    QVERIFY2(probe, qPrintable(component.errorString()));
    const QList<ScreenInfo> screens = ScreenMonitor::instance()->screens();
    QCOMPARE(probe->property("count").toInt(), screens.size());
    QCOMPARE(probe->property("firstWidth").toInt(), screens.first().geometry().width());
    QVERIFY(probe->property("primaryValid").toBool());
    QVERIFY(probe->property("nullInvalid").toBool());
    QCOMPARE(probe->property("outsideDpi").toReal(), 96.0);
    QVERIFY(probe->property("sameFirst").toBool());
}

void TstScreenMonitor::randrMonitors()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server");
    ScreenMonitor *monitor = ScreenMonitor::instance();
    QSignalSpy changes(monitor, &ScreenMonitor::windowsDisplayChangeDetected);
    QSignalSpy added(monitor, &ScreenMonitor::screenAdded);
    QSignalSpy removed(monitor, &ScreenMonitor::screenRemoved);

    // One monitor: the list is that screen, equal to the primary one.
    QCOMPARE(monitor->screens().size(), 1);
    QVERIFY(monitor->screens().first().equals(monitor->primaryScreen()));

    auto settle = [&](int expectedScreens, int expectedChanges) {
        QTRY_COMPARE(monitor->screens().size(), expectedScreens);
        QTRY_COMPARE(geometries(monitor->screens()), serverMonitors());
        QTRY_COMPARE(changes.size(), expectedChanges);
        // Late events of the same change must not report it again.
        QTest::qWait(300);
        QCOMPARE(changes.size(), expectedChanges);
    };

    QVERIFY(xrandr({"--setmonitor", "L", "960/254x1080/286+0+0", "screen"}));
    settle(1, 1);
    const int addedBefore = added.size();
    QVERIFY(xrandr({"--setmonitor", "R", "960/254x1080/286+960+0", "none"}));
    settle(2, 2);
    QCOMPARE(added.size(), addedBefore + 1);
    QCOMPARE(geometries(monitor->screens()), QList<QRect>({QRect(0, 0, 960, 1080), QRect(960, 0, 960, 1080)}));

    const int removedBefore = removed.size();
    QVERIFY(xrandr({"--delmonitor", "R"}));
    settle(1, 3);
    QCOMPARE(removed.size(), removedBefore + 1);
    QCOMPARE(monitor->screens().first().geometry(), QRect(0, 0, 960, 1080));

    // R comes back as the primary one: the server lists it first, and so do we.
    QVERIFY(xrandr({"--setmonitor", "*R", "960/254x1080/286+960+0", "none"}));
    settle(2, 4);
    QCOMPARE(geometries(monitor->screens()), QList<QRect>({QRect(960, 0, 960, 1080), QRect(0, 0, 960, 1080)}));

    // Without L the server brings back its automatic monitor over the whole
    // screen; Qt appends a new L after it, the server lists L first.
    QVERIFY(xrandr({"--delmonitor", "L"}));
    settle(2, 5);
    QVERIFY(xrandr({"--setmonitor", "L", "960/254x1080/286+0+0", "none"}));
    settle(3, 6);
    QCOMPARE(geometries(monitor->screens()),
             QList<QRect>({QRect(960, 0, 960, 1080), QRect(0, 0, 960, 1080), QRect(0, 0, 1920, 1080)}));
}

QTEST_MAIN(TstScreenMonitor)
#include "tst_screenmonitor.moc"
