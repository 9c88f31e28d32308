#include "platform/RawInputHandler.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

using Button = RawInputHandler::Button;
using Modifier = RawInputHandler::Modifier;

namespace {
constexpr int kInterval = 400;
constexpr int kDistance = 4;

// The trimmed output of a successful run; empty when it failed.
QByteArray xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    const QByteArray output = process.readAllStandardOutput().trimmed();
    return output.isEmpty() ? QByteArray("ok") : output;
}

// Real (not sent) events of one kind in xev's output whose text holds `detail`.
int received(const QByteArray &output, const QByteArray &event, const QByteArray &detail)
{
    int count = 0;
    for (const QByteArray &entry : QByteArray(output).replace("\n\n", "\x1e").split('\x1e')) {
        const QByteArray trimmed = entry.trimmed();
        count += trimmed.startsWith(event + " event") && trimmed.contains("synthetic NO") && trimmed.contains(detail);
    }
    return count;
}
} // namespace

class TestRawInput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void clickRules_data();
    void clickRules();
    void keyTables();
    void handlerSignals();
    void desktopInput();
};

void TestRawInput::clickRules_data()
{
    // Steps on one button: "v" down, "^" up, "b" both in one event, "-"
    // neither; then x,y@time. Counted: presses, clicks, double clicks.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QList<int>>("counts");
    QTest::newRow("|dx| + |dy| within the limit") << "v0,0@0 ^2,2@10" << QList<int> { 1, 1, 0 };
    QTest::newRow("too far for a click") << "v0,0@0 ^3,2@10" << QList<int> { 1, 0, 0 };
    QTest::newRow("slow, limit inclusive") << "v0,0@0 ^0,0@400" << QList<int> { 1, 1, 0 };
    QTest::newRow("too slow") << "v0,0@1000 ^0,0@1401" << QList<int> { 1, 0, 0 };
    QTest::newRow("three quick clicks") << "v0,0@0 ^0,0@10 v0,0@50 ^0,0@60 v0,0@100 ^0,0@110" << QList<int> { 3, 3, 2 };
    // A release that is no click leaves the memory of the last click alone.
    QTest::newRow("dragged between") << "v0,0@0 ^0,0@10 v0,0@20 ^50,0@30 v0,0@40 ^0,0@50" << QList<int> { 3, 2, 1 };
    QTest::newRow("second click away, then late") << "v0,0@0 ^0,0@10 v5,0@20 ^5,0@30 v5,0@500 ^5,0@510" << QList<int> { 3, 3, 0 };
    QTest::newRow("release without press, then both at once") << "^0,0@0 b0,0@5 -0,0@6" << QList<int> { 1, 1, 0 };
}

void TestRawInput::clickRules()
{
    QFETCH(QString, steps);
    QFETCH(QList<int>, counts);
    RawInputHandler::ButtonState state;
    QList<int> seen { 0, 0, 0 };
    for (const QString &step : steps.split(QLatin1Char(' '))) {
        const QStringList parts = step.mid(1).split(QRegularExpression(QStringLiteral("[,@]")));
        const QChar kind = step.at(0);
        const auto result = RawInputHandler::advanceButton(state, kind == 'v' || kind == 'b', kind == '^' || kind == 'b',
                QPoint(100 + parts[0].toInt(), 100 + parts[1].toInt()), parts[2].toLongLong(), kInterval, kDistance);
        seen[0] += result.pressed;
        seen[1] += result.clicked;
        seen[2] += result.doubleClicked;
    }
    QCOMPARE(seen, counts);
}

// Keys outside the tables pass through, or are unknown where they would
// collide with Qt's own range.
void TestRawInput::keyTables()
{
    QCOMPARE(RawInputHandler::qtKeyFromVirtualKey(0x87), int(Qt::Key_F24));
    QCOMPARE(RawInputHandler::qtKeyFromVirtualKey(0xBA), 0xBA);
    QCOMPARE(RawInputHandler::qtKeyFromKeysym(0xe9), int(Qt::Key_Eacute));
    QCOMPARE(RawInputHandler::qtKeyFromKeysym(0xffd5), int(Qt::Key_F24));
    QCOMPARE(RawInputHandler::qtKeyFromKeysym(0x1000000 + 0x1b), int(Qt::Key_unknown));
    bool extended = false;
    QCOMPARE(RawInputHandler::scanCodeFromEvdev(103, &extended), 0x48);
    QVERIFY(extended);
}

void TestRawInput::handlerSignals()
{
    RawInputHandler *handler = RawInputHandler::instance();
    QSignalSpy leftClicked(handler, &RawInputHandler::leftClicked);
    QSignalSpy rightClicked(handler, &RawInputHandler::rightClicked);
    QSignalSpy middleDouble(handler, &RawInputHandler::middleDoubleClicked);
    QSignalSpy leftPressed(handler, &RawInputHandler::leftPressed);
    QSignalSpy pressed(handler, &RawInputHandler::keyPressed);
    QSignalSpy released(handler, &RawInputHandler::keyReleased);

    // Each button counts its own clicks.
    const qint64 t = 10000000;
    const QPoint pos(300, 200);
    handler->handleMouseButton(Button::Left, true, true, pos, t, kInterval, kDistance);
    handler->handleMouseButton(Button::Right, true, true, pos, t + 20, kInterval, kDistance);
    handler->handleMouseButton(Button::Middle, true, true, pos, t + 40, kInterval, kDistance);
    handler->handleMouseButton(Button::Middle, true, true, pos, t + 50, kInterval, kDistance);
    QCOMPARE(leftClicked.count() + rightClicked.count(), 2);
    QCOMPARE(middleDouble.count(), 1);
    QCOMPARE(middleDouble.first().first().toPoint(), pos);

    // Modifiers ride along while held; Shift reports itself going down only;
    // a second release of a key is dropped.
    handler->handleKey(0x11, Qt::Key_Control, Modifier::Control, 0x1D, false, true);
    handler->handleKey(0x41, Qt::Key_A, Modifier::None, 0x1E, false, true);
    handler->handleKey(0x41, Qt::Key_A, Modifier::None, 0x1E, false, false);
    handler->handleKey(0x11, Qt::Key_Control, Modifier::Control, 0x1D, false, false);
    handler->handleKey(0x10, Qt::Key_Shift, Modifier::Shift, 0x2A, false, true);
    handler->handleKey(0x10, Qt::Key_Shift, Modifier::Shift, 0x2A, false, false);
    handler->handleKey(0x10, Qt::Key_Shift, Modifier::Shift, 0x2A, false, false);
    QCOMPARE(pressed.at(1), QVariantList({ int(Qt::Key_A), 0x1E, false, int(Qt::ControlModifier) }));
    QCOMPARE(pressed.last().at(3).toInt(), int(Qt::ShiftModifier));
    QCOMPARE(released.count(), 3);
    QCOMPARE(released.last().at(3).toInt(), int(Qt::NoModifier));
    QVERIFY(!handler->modifiers().ctrl && !handler->modifiers().shift);

    // Switched off, nothing is reported; a write from the declarative side
    // switches it on again.
    handler->setMouseEnabled(false);
    handler->setKeyboardEnabled(false);
    handler->handleMouseButton(Button::Left, true, true, {}, t + 1000, kInterval, kDistance);
    handler->handleKey(0x26, Qt::Key_A, Modifier::None, 0x1E, false, true);
    QCOMPARE(leftPressed.count(), 1);
    QCOMPARE(pressed.count(), 3);
    QVERIFY(handler->setProperty("mouseEnabled", true));
    handler->setKeyboardEnabled(true);
    handler->handleMouseButton(Button::Left, true, true, {}, t + 2000, kInterval, kDistance);
    QCOMPARE(leftPressed.count(), 2);
}

// Another program's window has the focus and must still get every click and
// key: the handler only looks.
void TestRawInput::desktopInput()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server");
    RawInputHandler *handler = RawInputHandler::instance();
    QSignalSpy middleDouble(handler, &RawInputHandler::middleDoubleClicked);
    QSignalSpy leftPressed(handler, &RawInputHandler::leftPressed);
    QSignalSpy keyPressed(handler, &RawInputHandler::keyPressed);
    QSignalSpy keyReleased(handler, &RawInputHandler::keyReleased);

    QProcess xev;
    const QString title = QStringLiteral("tst_rawinput other window");
    xev.start(QStringLiteral("xev"), { "-geometry", "400x300+0+0", "-name", title, "-event", "button", "-event", "keyboard" });
    QVERIFY2(xev.waitForStarted(10000), "xev (x11-utils) must be installed");
    auto stop = qScopeGuard([&] {
        xev.kill();
        xev.waitForFinished(5000);
    });
    const QByteArray window = xdotool({ "search", "--sync", "--onlyvisible", "--name", '^' + title + '$' });
    QVERIFY(!window.isEmpty() && !xdotool({ "windowfocus", "--sync", QString::fromLatin1(window) }).isEmpty());
    QByteArray output;
    auto xevSaw = [&](const QByteArray &event, const QByteArray &detail) {
        output += xev.readAllStandardOutput();
        return received(output, event, detail);
    };

    QVERIFY(!xdotool({ "mousemove", "100", "100", "click", "2", "click", "2" }).isEmpty());
    QTRY_COMPARE(middleDouble.count(), 1);
    QTRY_COMPARE(xevSaw("ButtonRelease", "button 2,"), 2);
    // A click while the mouse is off is never seen, the next one is.
    handler->setMouseEnabled(false);
    QVERIFY(!xdotool({ "click", "1" }).isEmpty());
    handler->setMouseEnabled(true);
    QVERIFY(!xdotool({ "mousemove", "900", "700", "click", "1" }).isEmpty());
    QTRY_COMPARE(leftPressed.count(), 1);
    QCOMPARE(leftPressed.first().first().toPoint(), QPoint(900, 700));

    QVERIFY(!xdotool({ "key", "ctrl+a" }).isEmpty());
    QTRY_COMPARE(keyReleased.count(), 2);
    QCOMPARE(keyPressed.at(1), QVariantList({ int(Qt::Key_A), 0x1E, false, int(Qt::ControlModifier) }));
    QTRY_COMPARE(xevSaw("KeyPress", "(keysym 0x61, a)"), 1);
    QCOMPARE(xdotool({ "getwindowfocus" }), window);
    QCOMPARE(xevSaw("ButtonPress", "button 1,"), 1);
}

QTEST_MAIN(TestRawInput)
#include "tst_rawinput.moc"
