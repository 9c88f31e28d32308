#include "RawInputHandler.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

using Button = RawInputHandler::Button;
using Modifier = RawInputHandler::Modifier;

namespace {
constexpr int kInterval = 400;
constexpr int kDistance = 4;

struct Step
{
    bool down;
    bool up;
    QPoint pos;
    qint64 time;
};

// Runs the steps on one button and counts what they produced.
QVector<int> run(RawInputHandler::ButtonState &state, const QVector<Step> &steps)
{
    int presses = 0, clicks = 0, doubles = 0;
    for (const Step &step : steps) {
        const auto result = RawInputHandler::advanceButton(
                state, step.down, step.up, step.pos, step.time, kInterval, kDistance);
        presses += result.pressed;
        clicks += result.clicked;
        doubles += result.doubleClicked;
    }
    return { presses, clicks, doubles };
}

// The trimmed output of a successful run; empty when it failed.
QByteArray xdotoolOutput(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit
            || process.exitCode() != 0)
        return {};
    const QByteArray output = process.readAllStandardOutput().trimmed();
    return output.isEmpty() ? QByteArray("ok") : output;
}

bool runXdotool(const QStringList &arguments)
{
    return !xdotoolOutput(arguments).isEmpty();
}

// Another program's window holding the keyboard focus: xev at the top left
// of the screen, which prints every button and key event it is given.
class OtherWindow
{
public:
    ~OtherWindow()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    bool open()
    {
        const QString title = QStringLiteral("tst_rawinput other window");
        m_process.start(QStringLiteral("xev"),
                { QStringLiteral("-geometry"), QStringLiteral("400x300+0+0"),
                        QStringLiteral("-name"), title, QStringLiteral("-event"),
                        QStringLiteral("button"), QStringLiteral("-event"),
                        QStringLiteral("keyboard") });
        if (!m_process.waitForStarted(10000))
            return false;
        m_windowId = xdotoolOutput({ QStringLiteral("search"), QStringLiteral("--sync"),
                QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                QLatin1Char('^') + title + QLatin1Char('$') });
        return !m_windowId.isEmpty()
                && runXdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"),
                        QString::fromLatin1(m_windowId) });
    }

    bool hasFocus() const
    {
        return !m_windowId.isEmpty()
                && xdotoolOutput({ QStringLiteral("getwindowfocus") }) == m_windowId;
    }

    // Real (not sent) events of one kind whose description contains `detail`.
    int received(const QByteArray &event, const QByteArray &detail)
    {
        m_output += m_process.readAllStandardOutput();
        // xev ends every event with an empty line.
        QByteArray text = m_output;
        int count = 0;
        for (const QByteArray &entry : text.replace("\n\n", "\x1e").split('\x1e')) {
            const QByteArray trimmed = entry.trimmed();
            count += trimmed.startsWith(event + " event") && trimmed.contains("synthetic NO")
                    && trimmed.contains(detail);
        }
        return count;
    }

private:
    QProcess m_process;
    QByteArray m_windowId;
    QByteArray m_output;
};
} // namespace

class TestRawInput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void clickRules();
    void buttonsAreSeparate();
    void enableFlags();
    void keyTables();
    void keyStream();
    void desktopInput();
};

void TestRawInput::clickRules()
{
    const QPoint origin(100, 100);
    {
        // |dx| + |dy| counts, limits inclusive.
        RawInputHandler::ButtonState state;
        QCOMPARE(
                run(state,
                        { { true, false, origin, 0 }, { false, true, origin + QPoint(2, 2), 10 } }),
                QVector<int>({ 1, 1, 0 }));
        RawInputHandler::ButtonState far;
        QCOMPARE(
                run(far,
                        { { true, false, origin, 0 }, { false, true, origin + QPoint(3, 2), 10 } }),
                QVector<int>({ 1, 0, 0 }));
        RawInputHandler::ButtonState slow;
        QCOMPARE(run(slow, { { true, false, origin, 0 }, { false, true, origin, kInterval } }),
                QVector<int>({ 1, 1, 0 }));
        QCOMPARE(run(slow,
                         { { true, false, origin, 1000 },
                                 { false, true, origin, 1001 + kInterval } }),
                QVector<int>({ 1, 0, 0 }));
    }
    {
        // Three quick clicks: the first is never a double click, each later one is.
        RawInputHandler::ButtonState state;
        QCOMPARE(run(state,
                         { { true, false, origin, 0 }, { false, true, origin, 10 },
                                 { true, false, origin, 50 }, { false, true, origin, 60 },
                                 { true, false, origin, 100 }, { false, true, origin, 110 } }),
                QVector<int>({ 3, 3, 2 }));
    }
    {
        // A release that is no click leaves the memory of the last click alone.
        RawInputHandler::ButtonState state;
        QCOMPARE(run(state,
                         { { true, false, origin, 0 }, { false, true, origin, 10 },
                                 { true, false, origin, 20 },
                                 { false, true, origin + QPoint(50, 0), 30 },
                                 { true, false, origin, 40 }, { false, true, origin, 50 } }),
                QVector<int>({ 3, 2, 1 }));
    }
    {
        // The second click must land near the first and come soon after it.
        RawInputHandler::ButtonState state;
        QCOMPARE(run(state,
                         { { true, false, origin, 0 }, { false, true, origin, 10 },
                                 { true, false, origin + QPoint(5, 0), 20 },
                                 { false, true, origin + QPoint(5, 0), 30 },
                                 { true, false, origin + QPoint(5, 0), 500 },
                                 { false, true, origin + QPoint(5, 0), 510 } }),
                QVector<int>({ 3, 3, 0 }));
    }
    {
        // A release without its press, then one event carrying both.
        RawInputHandler::ButtonState state;
        QCOMPARE(run(state, { { false, true, origin, 0 } }), QVector<int>({ 0, 0, 0 }));
        QCOMPARE(run(state, { { true, true, origin, 5 } }), QVector<int>({ 1, 1, 0 }));
        QCOMPARE(run(state, { { false, false, origin, 6 } }), QVector<int>({ 0, 0, 0 }));
    }
}

void TestRawInput::buttonsAreSeparate()
{
    RawInputHandler *handler = RawInputHandler::instance();
    QSignalSpy leftClicked(handler, &RawInputHandler::leftClicked);
    QSignalSpy rightClicked(handler, &RawInputHandler::rightClicked);
    QSignalSpy rightPressed(handler, &RawInputHandler::rightPressed);
    QSignalSpy leftDouble(handler, &RawInputHandler::leftDoubleClicked);
    QSignalSpy rightDouble(handler, &RawInputHandler::rightDoubleClicked);
    QSignalSpy middleDouble(handler, &RawInputHandler::middleDoubleClicked);

    const qint64 t = 10000000;
    const QPoint pos(300, 200);
    handler->handleMouseButton(Button::Left, true, true, pos, t, kInterval, kDistance);
    handler->handleMouseButton(Button::Right, true, false, pos, t + 20, kInterval, kDistance);
    handler->handleMouseButton(Button::Right, false, true, pos, t + 30, kInterval, kDistance);
    QCOMPARE(leftClicked.count(), 1);
    QCOMPARE(rightClicked.count(), 1);
    QCOMPARE(rightPressed.count(), 1);
    QCOMPARE(rightPressed.first().first().toPoint(), pos);
    QCOMPARE(leftDouble.count() + rightDouble.count(), 0);

    handler->handleMouseButton(Button::Middle, true, true, pos, t + 40, kInterval, kDistance);
    handler->handleMouseButton(Button::Middle, true, true, pos, t + 50, kInterval, kDistance);
    QCOMPARE(middleDouble.count(), 1);
    QCOMPARE(middleDouble.first().first().toPoint(), pos);
}

void TestRawInput::enableFlags()
{
    RawInputHandler *handler = RawInputHandler::instance();
    QSignalSpy mouseChanged(handler, &RawInputHandler::mouseEnabledChanged);
    QSignalSpy keyboardChanged(handler, &RawInputHandler::keyboardEnabledChanged);
    QSignalSpy pressed(handler, &RawInputHandler::leftPressed);
    QSignalSpy keyPressed(handler, &RawInputHandler::keyPressed);

    handler->setMouseEnabled(true);
    handler->setKeyboardEnabled(true);
    QCOMPARE(mouseChanged.count() + keyboardChanged.count(), 0);

    handler->setMouseEnabled(false);
    handler->setKeyboardEnabled(false);
    QCOMPARE(mouseChanged.count(), 1);
    QCOMPARE(keyboardChanged.count(), 1);
    QVERIFY(!handler->property("mouseEnabled").toBool());
    handler->handleMouseButton(Button::Left, true, true, {}, 20000000, kInterval, kDistance);
    handler->handleKey(0x26, Qt::Key_A, Modifier::None, 0x1E, false, true);
    QCOMPARE(pressed.count(), 0);
    QCOMPARE(keyPressed.count(), 0);

    // A write from the declarative side goes through the same slot.
    QVERIFY(handler->setProperty("mouseEnabled", true));
    handler->setKeyboardEnabled(true);
    QCOMPARE(mouseChanged.count(), 2);
    QCOMPARE(keyboardChanged.count(), 2);
    handler->handleMouseButton(Button::Left, true, true, {}, 20000100, kInterval, kDistance);
    QCOMPARE(pressed.count(), 1);
}

void TestRawInput::keyTables()
{
    QCOMPARE(RawInputHandler::qtKeyFromVirtualKey(0x41), int(Qt::Key_A));
    QCOMPARE(RawInputHandler::qtKeyFromVirtualKey(0x39), int(Qt::Key_9));
    QCOMPARE(RawInputHandler::qtKeyFromVirtualKey(0x70), int(Qt::Key_F1));
    QCOMPARE(RawInputHandler::qtKeyFromVirtualKey(0x87), int(Qt::Key_F24));
    QCOMPARE(RawInputHandler::qtKeyFromVirtualKey(0x1B), int(Qt::Key_Escape));
    QCOMPARE(RawInputHandler::qtKeyFromVirtualKey(0x5C), int(Qt::Key_Meta));
    QCOMPARE(RawInputHandler::qtKeyFromVirtualKey(0x91), int(Qt::Key_ScrollLock));
    QCOMPARE(RawInputHandler::qtKeyFromVirtualKey(0xBA), 0xBA);
    QCOMPARE(RawInputHandler::modifierFromVirtualKey(0xA1), Modifier::Shift);
    QCOMPARE(RawInputHandler::modifierFromVirtualKey(0xA5), Modifier::Alt);
    QCOMPARE(RawInputHandler::modifierFromVirtualKey(0x41), Modifier::None);

    QCOMPARE(RawInputHandler::qtKeyFromKeysym('a'), int(Qt::Key_A));
    QCOMPARE(RawInputHandler::qtKeyFromKeysym('7'), int(Qt::Key_7));
    QCOMPARE(RawInputHandler::qtKeyFromKeysym(0xe9), int(Qt::Key_Eacute));
    QCOMPARE(RawInputHandler::qtKeyFromKeysym(0xff1b), int(Qt::Key_Escape));
    QCOMPARE(RawInputHandler::qtKeyFromKeysym(0xff52), int(Qt::Key_Up));
    QCOMPARE(RawInputHandler::qtKeyFromKeysym(0xffbe), int(Qt::Key_F1));
    QCOMPARE(RawInputHandler::qtKeyFromKeysym(0xffd5), int(Qt::Key_F24));
    QCOMPARE(RawInputHandler::qtKeyFromKeysym(0xffeb), int(Qt::Key_Meta));
    // Unicode keysyms would collide with Qt's own range.
    QCOMPARE(RawInputHandler::qtKeyFromKeysym(0x1000000 + 0x1b), int(Qt::Key_unknown));
    QCOMPARE(RawInputHandler::qtKeyFromKeysym(0), int(Qt::Key_unknown));
    QCOMPARE(RawInputHandler::modifierFromKeysym(0xffe4), Modifier::Control);
    QCOMPARE(RawInputHandler::modifierFromKeysym(0xffec), Modifier::Meta);

    bool extended = true;
    QCOMPARE(RawInputHandler::scanCodeFromEvdev(30, &extended), 0x1E);
    QVERIFY(!extended);
    QCOMPARE(RawInputHandler::scanCodeFromEvdev(103, &extended), 0x48);
    QVERIFY(extended);
}

void TestRawInput::keyStream()
{
    RawInputHandler *handler = RawInputHandler::instance();
    QSignalSpy pressed(handler, &RawInputHandler::keyPressed);
    QSignalSpy released(handler, &RawInputHandler::keyReleased);

    handler->handleKey(0x11, Qt::Key_Control, Modifier::Control, 0x1D, false, true);
    handler->handleKey(0x41, Qt::Key_A, Modifier::None, 0x1E, false, true);
    QCOMPARE(pressed.count(), 2);
    QCOMPARE(
            pressed.at(1), QVariantList({ int(Qt::Key_A), 0x1E, false, int(Qt::ControlModifier) }));
    handler->handleKey(0x41, Qt::Key_A, Modifier::None, 0x1E, false, false);
    handler->handleKey(0x11, Qt::Key_Control, Modifier::Control, 0x1D, false, false);
    QCOMPARE(released.count(), 2);
    QCOMPARE(released.at(1).at(3).toInt(), int(Qt::NoModifier));

    // Shift reports itself while going down, not while coming up.
    handler->handleKey(0x10, Qt::Key_Shift, Modifier::Shift, 0x2A, false, true);
    handler->handleKey(0x10, Qt::Key_Shift, Modifier::Shift, 0x2A, false, false);
    QCOMPARE(pressed.last().at(3).toInt(), int(Qt::ShiftModifier));
    QCOMPARE(released.last().at(3).toInt(), int(Qt::NoModifier));

    // One press and two releases, as injected keys can report.
    pressed.clear();
    released.clear();
    handler->handleKey(0x09, Qt::Key_Escape, Modifier::None, 0x01, false, true);
    handler->handleKey(0x09, Qt::Key_Escape, Modifier::None, 0x01, false, false);
    handler->handleKey(0x09, Qt::Key_Escape, Modifier::None, 0x01, false, false);
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(released.count(), 1);
    QCOMPARE(released.first().first().toInt(), int(Qt::Key_Escape));
    QVERIFY(!handler->modifiers().ctrl && !handler->modifiers().shift);
}

void TestRawInput::desktopInput()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server");
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xev")).isEmpty(),
            "xev (x11-utils) must be installed");
    RawInputHandler *handler = RawInputHandler::instance();
    QSignalSpy middlePressed(handler, &RawInputHandler::middlePressed);
    QSignalSpy middleClicked(handler, &RawInputHandler::middleClicked);
    QSignalSpy middleDouble(handler, &RawInputHandler::middleDoubleClicked);
    QSignalSpy leftPressed(handler, &RawInputHandler::leftPressed);
    QSignalSpy keyPressed(handler, &RawInputHandler::keyPressed);
    QSignalSpy keyReleased(handler, &RawInputHandler::keyReleased);

    // Everything below happens in another program's window, which has the
    // focus and must still get every click and key: nothing is consumed.
    OtherWindow other;
    QVERIFY(other.open());
    QVERIFY(other.hasFocus());

    QVERIFY(runXdotool({ "mousemove", "100", "100", "click", "2", "click", "2" }));
    QTRY_COMPARE(middleClicked.count(), 2);
    QCOMPARE(middlePressed.count(), 2);
    QCOMPARE(middleDouble.count(), 1);
    QCOMPARE(middleDouble.first().first().toPoint(), QPoint(100, 100));
    QTRY_COMPARE(other.received("ButtonPress", "button 2,"), 2);
    QTRY_COMPARE(other.received("ButtonRelease", "button 2,"), 2);

    // A click while the mouse is off is never seen, the next one is.
    handler->setMouseEnabled(false);
    QVERIFY(runXdotool({ "click", "1" }));
    handler->setMouseEnabled(true);
    QVERIFY(runXdotool({ "mousemove", "140", "120", "click", "1" }));
    QTRY_COMPARE(leftPressed.count(), 1);
    QCOMPARE(leftPressed.first().first().toPoint(), QPoint(140, 120));
    QTRY_COMPARE(other.received("ButtonPress", "button 1,"), 2);

    // A press outside every window, on the bare desktop.
    QVERIFY(runXdotool({ "mousemove", "900", "700", "click", "1" }));
    QTRY_COMPARE(leftPressed.count(), 2);
    QCOMPARE(leftPressed.last().first().toPoint(), QPoint(900, 700));

    QVERIFY(other.hasFocus());
    QVERIFY(runXdotool({ "key", "Escape" }));
    QTRY_COMPARE(keyReleased.count(), 1);
    QCOMPARE(keyPressed.count(), 1);
    QCOMPARE(keyPressed.first().first().toInt(), int(Qt::Key_Escape));
    QTRY_COMPARE(other.received("KeyPress", "Escape)"), 1);
    QTRY_COMPARE(other.received("KeyRelease", "Escape)"), 1);

    QVERIFY(runXdotool({ "key", "ctrl+a" }));
    QTRY_COMPARE(keyReleased.count(), 3);
    QCOMPARE(keyPressed.count(), 3);
    QCOMPARE(keyPressed.at(2),
            QVariantList({ int(Qt::Key_A), 0x1E, false, int(Qt::ControlModifier) }));
    QVERIFY(!handler->modifiers().ctrl);
    QTRY_COMPARE(other.received("KeyPress", "(keysym 0x61, a)"), 1);
    // The first click went to the other window as well, and no further one.
    QCOMPARE(other.received("ButtonPress", "button 1,"), 2);
}

QTEST_MAIN(TestRawInput)
#include "tst_rawinput.moc"
