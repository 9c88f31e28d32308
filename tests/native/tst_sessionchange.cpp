#include "SessionChangeHandler.h"

#include <QCoreApplication>
#include <QDBusConnection>
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

bool sendSignal(const QString &path, const QString &member, bool value)
{
    QProcess process;
    process.start(QStringLiteral("dbus-send"),
            { QStringLiteral("--session"), QStringLiteral("--type=signal"), path, member,
                    value ? QStringLiteral("boolean:true") : QStringLiteral("boolean:false") });
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit
            && process.exitCode() == 0;
}

bool screenSaverActive(const QString &path, bool active)
{
    return sendSignal(path, QStringLiteral("org.freedesktop.ScreenSaver.ActiveChanged"), active);
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
    void withoutSystemBus();
    void logindSignals();
    void screenSaverSignals();
    void stateChangesOnly();

private:
    bool logind(const QString &member);
    bool lockedHint(bool locked);

    QTemporaryDir m_dir;
    qint64 m_busPid = 0;
    FakeLogindManager m_manager;
};

bool TestSessionChange::logind(const QString &member)
{
    QDBusConnection fake(QStringLiteral("fake-logind"));
    return fake.send(QDBusMessage::createSignal(
            kSessionPath, QStringLiteral("org.freedesktop.login1.Session"), member));
}

bool TestSessionChange::lockedHint(bool locked)
{
    QDBusMessage changed = QDBusMessage::createSignal(kSessionPath,
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    changed << QStringLiteral("org.freedesktop.login1.Session")
            << QVariantMap { { QStringLiteral("LockedHint"), locked } } << QStringList();
    return QDBusConnection(QStringLiteral("fake-logind")).send(changed);
}

void TestSessionChange::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"),
            { QStringLiteral("--session"),
                    QStringLiteral("--address=unix:path=") + m_dir.filePath(QStringLiteral("bus")),
                    QStringLiteral("--fork"), QStringLiteral("--print-address=1"),
                    QStringLiteral("--print-pid=1") });
    QVERIFY(daemon.waitForFinished(30000));
    QCOMPARE(daemon.exitCode(), 0);
    const QStringList lines = QString::fromLocal8Bit(daemon.readAllStandardOutput())
                                      .split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    m_busPid = lines.at(1).trimmed().toLongLong();
    QVERIFY(m_busPid > 0);
    const QByteArray address = lines.at(0).trimmed().toLocal8Bit();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    // The private bus also stands in for the system bus, with logind on it.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
    QDBusConnection fake = QDBusConnection::connectToBus(
            QString::fromLocal8Bit(address), QStringLiteral("fake-logind"));
    QVERIFY(fake.isConnected());
    QVERIFY(fake.registerService(QStringLiteral("org.freedesktop.login1")));
    QVERIFY(fake.registerObject(QStringLiteral("/org/freedesktop/login1"), &m_manager,
            QDBusConnection::ExportAllSlots));
}

void TestSessionChange::cleanupTestCase()
{
    if (m_busPid > 0)
        ::kill(pid_t(m_busPid), SIGTERM);
}

void TestSessionChange::withoutSystemBus()
{
    // A process of its own: the bus a handler uses is fixed at its creation.
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kChildVariable), QStringLiteral("1"));
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
            QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("nothing")));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(child.readAllStandardError());
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(output.count(QStringLiteral("[SessionChangeHandler]")), 1);
    QVERIFY2(output.contains(QStringLiteral("System bus not available")), qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("child locked")), qPrintable(output));
}

void TestSessionChange::logindSignals()
{
    SessionChangeHandler *handler = SessionChangeHandler::instance();
    QSignalSpy locked(handler, &SessionChangeHandler::sessionLocked);
    QSignalSpy unlocked(handler, &SessionChangeHandler::sessionUnlocked);

    // The handler watches the session once logind has named it; repeated
    // locks before that are one lock all the same.
    QVERIFY(QTest::qWaitFor(
            [&] {
                logind(QStringLiteral("Lock"));
                return locked.count() > 0;
            },
            30000));
    QCOMPARE(m_manager.askedPid, uint(QCoreApplication::applicationPid()));
    QVERIFY(logind(QStringLiteral("Unlock")));
    QTRY_COMPARE(unlocked.count(), 1);
    QVERIFY(logind(QStringLiteral("Lock")));
    QTRY_COMPARE(locked.count(), 2);
    QVERIFY(logind(QStringLiteral("Unlock")));
    QTRY_COMPARE(unlocked.count(), 2);
    QCOMPARE(locked.count(), 2);

    // GNOME says it only through the session's LockedHint.
    QVERIFY(lockedHint(true));
    QTRY_COMPARE(locked.count(), 3);
    QVERIFY(lockedHint(false));
    QTRY_COMPARE(unlocked.count(), 3);
    QCOMPARE(locked.count(), 3);
}

void TestSessionChange::screenSaverSignals()
{
    SessionChangeHandler *handler = SessionChangeHandler::instance();
    QSignalSpy locked(handler, &SessionChangeHandler::sessionLocked);
    QSignalSpy unlocked(handler, &SessionChangeHandler::sessionUnlocked);

    // Same member name, another interface: not ours.
    QVERIFY(sendSignal(QStringLiteral("/org/freedesktop/ScreenSaver"),
            QStringLiteral("org.example.Other.ActiveChanged"), true));
    QVERIFY(screenSaverActive(QStringLiteral("/org/freedesktop/ScreenSaver"), true));
    QTRY_COMPARE(locked.count(), 1);
    QCOMPARE(unlocked.count(), 0);

    // Desktops emit from different paths.
    QVERIFY(screenSaverActive(QStringLiteral("/ScreenSaver"), false));
    QTRY_COMPARE(unlocked.count(), 1);
    QCOMPARE(locked.count(), 1);

    QVERIFY(screenSaverActive(QStringLiteral("/org/gnome/ScreenSaver"), true));
    QTRY_COMPARE(locked.count(), 2);
    QVERIFY(screenSaverActive(QStringLiteral("/org/gnome/ScreenSaver"), false));
    QTRY_COMPARE(unlocked.count(), 2);
    QCOMPARE(locked.count(), 2);
}

void TestSessionChange::stateChangesOnly()
{
    SessionChangeHandler *handler = SessionChangeHandler::instance();
    QSignalSpy locked(handler, &SessionChangeHandler::sessionLocked);
    QSignalSpy unlocked(handler, &SessionChangeHandler::sessionUnlocked);

    // A lock reported by two sources is one lock.
    QVERIFY(screenSaverActive(QStringLiteral("/org/freedesktop/ScreenSaver"), true));
    QVERIFY(screenSaverActive(QStringLiteral("/ScreenSaver"), true));
    QVERIFY(screenSaverActive(QStringLiteral("/ScreenSaver"), false));
    QTRY_COMPARE(unlocked.count(), 1);
    QCOMPARE(locked.count(), 1);
    QVERIFY(!handler->isLocked());

    handler->reportSessionLock(false);
    QCOMPARE(unlocked.count(), 1);
    handler->reportSessionLock(true);
    QCOMPARE(locked.count(), 2);

    // The screen saver going off is no unlock while logind says locked.
    using Source = SessionChangeHandler::LockSource;
    handler->reportSessionLock(true, Source::ScreenSaver);
    handler->reportSessionLock(false, Source::ScreenSaver);
    QVERIFY(handler->isLocked());
    QCOMPARE(unlocked.count(), 1);
    handler->reportSessionLock(false);
    QCOMPARE(unlocked.count(), 2);
    QCOMPARE(locked.count(), 2);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kChildVariable)) {
        // Without logind the screen saver still gets through.
        SessionChangeHandler *handler = SessionChangeHandler::instance();
        QObject::connect(handler, &SessionChangeHandler::sessionLocked, &app, [] {
            qInfo("child locked");
            QCoreApplication::quit();
        });
        QTimer::singleShot(
                0, [] { screenSaverActive(QStringLiteral("/org/freedesktop/ScreenSaver"), true); });
        QTimer::singleShot(30000, &app, [] { QCoreApplication::exit(1); });
        return app.exec();
    }
    TestSessionChange test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_sessionchange.moc"
