#include "platform/SessionChangeHandler.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/types.h>

namespace {
const QString kSessionPath = QStringLiteral("/org/freedesktop/login1/session/_31");
const char kChildVariable[] = "INKLY_TST_SESSION_CHILD";

// "saver+/path" or "saver-/path" through dbus-send, "other+/path" the same
// member on another interface, "lock±" and "hint±" from logind, "system±" and
// "screensaver±" straight to the handler.
bool send(const QString &event)
{
    const QChar state = event.at(event.indexOf(QRegularExpression(QStringLiteral("[+-]"))));
    if (event.startsWith(QLatin1String("system")) || event.startsWith(QLatin1String("screensaver"))) {
        SessionChangeHandler::instance()->reportSessionLock(state == '+',
                event.startsWith('s') && event.at(1) == 'c' ? SessionChangeHandler::LockSource::ScreenSaver : SessionChangeHandler::LockSource::System);
        return true;
    }
    if (event.startsWith(QLatin1String("saver")) || event.startsWith(QLatin1String("other"))) {
        const QString member = event.startsWith(QLatin1String("saver")) ? QStringLiteral("org.freedesktop.ScreenSaver.ActiveChanged")
                                                                        : QStringLiteral("org.example.Other.ActiveChanged");
        return QProcess::execute(QStringLiteral("dbus-send"),
                       { QStringLiteral("--session"), QStringLiteral("--type=signal"), event.mid(6), member,
                               state == '+' ? QStringLiteral("boolean:true") : QStringLiteral("boolean:false") })
                == 0;
    }
    QDBusMessage message;
    if (event.startsWith(QLatin1String("hint"))) {
        message = QDBusMessage::createSignal(kSessionPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
        message << QStringLiteral("org.freedesktop.login1.Session") << QVariantMap { { QStringLiteral("LockedHint"), state == '+' } } << QStringList();
    } else {
        message = QDBusMessage::createSignal(kSessionPath, QStringLiteral("org.freedesktop.login1.Session"), event == "lock+" ? "Lock" : "Unlock");
    }
    // A blocking call after the signal: it has reached the bus when this returns.
    QDBusConnection fake(QStringLiteral("fake-logind"));
    return fake.send(message) && fake.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.login1")).value();
}
} // namespace

// Answers for logind on the private bus.
class FakeLogindManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    uint askedPid = 0;

public Q_SLOTS:
    QDBusObjectPath GetSessionByPID(uint pid)
    {
        askedPid = pid;
        return QDBusObjectPath(kSessionPath);
    }
};

class TestSessionChange : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void lockSources_data();
    void lockSources();
    void withoutSystemBus(); // last: its screen saver signal reaches this process too

private:
    QTemporaryDir m_dir;
    qint64 m_busPid = 0;
    FakeLogindManager m_manager;
};

void TestSessionChange::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"),
            { QStringLiteral("--session"), QStringLiteral("--address=unix:path=") + m_dir.filePath(QStringLiteral("bus")), QStringLiteral("--fork"),
                    QStringLiteral("--print-address=1"), QStringLiteral("--print-pid=1") });
    QVERIFY(daemon.waitForFinished(30000));
    const QStringList lines = QString::fromLocal8Bit(daemon.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    m_busPid = lines.at(1).trimmed().toLongLong();
    const QByteArray address = lines.at(0).trimmed().toLocal8Bit();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    // The private bus also stands in for the system bus, with logind on it.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
    QDBusConnection fake = QDBusConnection::connectToBus(QString::fromLocal8Bit(address), QStringLiteral("fake-logind"));
    QVERIFY(fake.registerService(QStringLiteral("org.freedesktop.login1")));
    QVERIFY(fake.registerObject(QStringLiteral("/org/freedesktop/login1"), &m_manager, QDBusConnection::ExportAllSlots));

    // The handler watches the session once logind has named it.
    SessionChangeHandler *handler = SessionChangeHandler::instance();
    QSignalSpy locked(handler, &SessionChangeHandler::sessionLocked);
    QVERIFY(QTest::qWaitFor([&] { return send(QStringLiteral("lock+")) && locked.count() > 0; }, 30000));
    QCOMPARE(m_manager.askedPid, uint(QCoreApplication::applicationPid()));
    QVERIFY(send(QStringLiteral("lock-")));
    QTRY_VERIFY(!handler->isLocked());
}

void TestSessionChange::cleanupTestCase()
{
    if (m_busPid > 0)
        ::kill(pid_t(m_busPid), SIGTERM);
}

// Without logind the screen saver still gets through, in a process of its
// own: the bus a handler uses is fixed at its creation.
void TestSessionChange::withoutSystemBus()
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kChildVariable), QStringLiteral("1"));
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("nothing")));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(child.readAllStandardError());
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(output.count(QStringLiteral("[SessionChangeHandler]")), 1);
    QVERIFY2(output.contains(QStringLiteral("System bus not available")) && output.contains(QStringLiteral("child locked")), qPrintable(output));
}

void TestSessionChange::lockSources_data()
{
    QTest::addColumn<QString>("events");
    QTest::addColumn<int>("locks");
    QTest::addColumn<int>("unlocks");
    QTest::newRow("logind") << "lock+ lock+ lock- lock+ lock-" << 2 << 2;
    QTest::newRow("logind's LockedHint") << "hint+ hint-" << 1 << 1;
    // Desktops emit from different paths; the same member elsewhere is not ours.
    QTest::newRow("screen saver paths") << "saver+/org/freedesktop/ScreenSaver other-/ScreenSaver "
                                           "saver+/org/gnome/ScreenSaver saver-/org/gnome/ScreenSaver"
                                        << 1 << 1;
    // Messages from two buses may come in either order: the rule between the
    // two sources is told straight. A lock from two sources is one; the screen
    // saver going off is no unlock while logind says locked.
    QTest::newRow("two sources") << "screensaver+ system+ screensaver- system+ system-" << 1 << 1;
    QTest::newRow("saver off under a logind lock") << "system+ screensaver+ screensaver- screensaver+ system- screensaver-" << 1 << 1;
}

void TestSessionChange::lockSources()
{
    QFETCH(QString, events);
    QFETCH(int, locks);
    QFETCH(int, unlocks);
    SessionChangeHandler *handler = SessionChangeHandler::instance();
    QSignalSpy locked(handler, &SessionChangeHandler::sessionLocked);
    QSignalSpy unlocked(handler, &SessionChangeHandler::sessionUnlocked);
    for (const QString &event : events.split(QLatin1Char(' ')))
        QVERIFY(send(event));
    // A last lock from the same source comes after all of them.
    const QString last = events.contains(QLatin1String("saver+/")) ? QStringLiteral("saver±/ScreenSaver")
            : events.contains(QLatin1String("system"))             ? QStringLiteral("system±")
                                                                   : QStringLiteral("hint±");
    QVERIFY(send(QString(last).replace(QStringLiteral("±"), QStringLiteral("+"))));
    QTRY_COMPARE(locked.count(), locks + 1);
    QCOMPARE(unlocked.count(), unlocks);
    QVERIFY(send(QString(last).replace(QStringLiteral("±"), QStringLiteral("-"))));
    QTRY_VERIFY(!handler->isLocked());
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kChildVariable)) {
        QObject::connect(SessionChangeHandler::instance(), &SessionChangeHandler::sessionLocked, &app, [] {
            qInfo("child locked");
            QCoreApplication::quit();
        });
        QTimer::singleShot(0, [] { send(QStringLiteral("saver+/org/freedesktop/ScreenSaver")); });
        QTimer::singleShot(30000, &app, [] { QCoreApplication::exit(1); });
        return app.exec();
    }
    TestSessionChange test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_sessionchange.moc"
