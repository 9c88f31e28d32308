#include "AppInstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QSysInfo>
#include <QUuid>
#include <QtTest>

#include <cstdio>
#include <memory>

class TestAppInstanceGuard : public QObject
{
    Q_OBJECT

private:
    QString m_serverName;
    QString m_mutexName;

    std::unique_ptr<AppInstanceGuard> makeGuard() const
    {
        return std::make_unique<AppInstanceGuard>(m_serverName, m_mutexName);
    }

    QString lockPath() const
    {
        return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
                .filePath(m_mutexName + QLatin1String(".lock"));
    }

    void writeLockFile(const QByteArray &content) const
    {
        QVERIFY(QDir().mkpath(QFileInfo(lockPath()).absolutePath()));
        QFile file(lockPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(content), content.size());
    }

    static qint64 deadProcessId()
    {
        QProcess process;
        process.start(QStringLiteral("true"), {});
        if (!process.waitForStarted())
            return -1;
        const qint64 pid = process.processId();
        process.waitForFinished();
        return pid;
    }

private Q_SLOTS:
    void init()
    {
        // Unique names, so parallel runs never meet each other's instance.
        const QString tag = QUuid::createUuid().toString(QUuid::Id128).left(12);
        m_serverName = AppInstanceGuard::defaultServerName(
                QStringLiteral("ZemworksTest"), QStringLiteral("Inkly") + tag);
        m_mutexName = QStringLiteral("InklyTestMutex") + tag;
    }

    void secondStartHandsOverToFirst()
    {
        QCOMPARE(AppInstanceGuard::defaultServerName(
                         QStringLiteral("Zemworks"), QStringLiteral("Inkly")),
                QStringLiteral("Zemworks.Inkly.SingleInstance"));

        auto first = makeGuard();
        QSignalSpy primarySpy(first.get(), &AppInstanceGuard::primaryChanged);
        QSignalSpy activated(first.get(), &AppInstanceGuard::activateRequested);
        QVERIFY(first->start());
        QVERIFY(first->isPrimary());
        QCOMPARE(primarySpy.count(), 1);

        auto second = makeGuard();
        QSignalSpy secondPrimary(second.get(), &AppInstanceGuard::primaryChanged);
        QVERIFY(!second->start());
        QVERIFY(!second->isPrimary());
        QCOMPARE(secondPrimary.count(), 1);

        QVERIFY(second->sendMessage(QStringLiteral("show")));
        QTRY_COMPARE(activated.count(), 1);
        QCOMPARE(activated.at(0).at(0).toString(), QStringLiteral("show"));

        // Any text arrives as written, in UTF-8.
        QVERIFY(second->sendMessage(QStringLiteral("열기 please")));
        QTRY_COMPARE(activated.count(), 2);
        QCOMPARE(activated.at(1).at(0).toString(), QStringLiteral("열기 please"));

        // An empty message opens and closes a connection and says nothing.
        QVERIFY(second->sendMessage(QString()));
        QVERIFY(second->sendMessage(QStringLiteral("last")));
        QTRY_COMPARE(activated.count(), 3);
        QCOMPARE(activated.at(2).at(0).toString(), QStringLiteral("last"));

        // The listening name is fixed; rewriting it is refused.
        QSignalSpy nameSpy(first.get(), &AppInstanceGuard::serverNameChanged);
        first->setServerName(m_serverName);
        QTest::ignoreMessage(
                QtWarningMsg, "AppInstanceGuard: Cannot change serverName after start()");
        first->setServerName(QStringLiteral("other"));
        QCOMPARE(first->serverName(), m_serverName);
        QCOMPARE(nameSpy.count(), 0);

        // Once the first instance has gone, the next start is the first again.
        second.reset();
        first.reset();
        QVERIFY(!QFile::exists(lockPath()));
        auto third = makeGuard();
        QVERIFY(third->start());
        auto fourth = makeGuard();
        QVERIFY(!fourth->start());
        QVERIFY(fourth->sendMessage(QStringLiteral("show")));
    }

    void aStartInAnotherProcessIsSecond()
    {
        auto first = makeGuard();
        QSignalSpy activated(first.get(), &AppInstanceGuard::activateRequested);
        QVERIFY(first->start());

        QProcess child;
        child.setProgram(QCoreApplication::applicationFilePath());
        child.setArguments({ QStringLiteral("--child"), m_serverName, m_mutexName });
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start();
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.readAllStandardOutput(), QByteArray("secondary sent"));
        QTRY_COMPARE(activated.count(), 1);
        QCOMPARE(activated.at(0).at(0).toString(), QStringLiteral("show"));
    }

    void lockOfDeadProcessIsTakenOver()
    {
        const qint64 pid = deadProcessId();
        QVERIFY(pid > 0);
        writeLockFile(QByteArray::number(pid) + "\ninkly\n" + QSysInfo::machineHostName().toUtf8()
                + "\n");
        auto guard = makeGuard();
        QVERIFY(guard->start());

        // The lock now names us, so a further start in this process is second.
        QFile file(lockPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readLine().trimmed(), QByteArray::number(QCoreApplication::applicationPid()));
        QVERIFY(!makeGuard()->start());
        guard.reset();

        // A lock file a crash left empty does not block every later start.
        writeLockFile(QByteArray());
        QVERIFY(makeGuard()->start());
    }

    void serverIsUserOnlyAndDropsSilentClients()
    {
        auto guard = makeGuard();
        QSignalSpy activated(guard.get(), &AppInstanceGuard::activateRequested);
        QVERIFY(guard->start());

        // In the user's own runtime directory, beside the lock, never in the
        // temporary directory that all users share.
        const QFileInfo socketFile(QFileInfo(lockPath()).dir().filePath(m_serverName));
        QVERIFY2(socketFile.exists(), qPrintable(socketFile.filePath()));
        QVERIFY(!QFile::exists(QDir::temp().filePath(m_serverName)));
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
                | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(socketFile.permissions() & others, QFile::Permissions());

        QLocalSocket silent;
        QSignalSpy disconnected(&silent, &QLocalSocket::disconnected);
        silent.connectToServer(socketFile.filePath());
        QVERIFY(silent.waitForConnected(5000));
        QTRY_COMPARE_WITH_TIMEOUT(disconnected.count(), 1, 15000);
        QCOMPARE(activated.count(), 0);

        // The server keeps serving after dropping one.
        auto second = makeGuard();
        QVERIFY(!second->start());
        QVERIFY(second->sendMessage(QStringLiteral("show")));
        QTRY_COMPARE(activated.count(), 1);
    }
};

int main(int argc, char **argv)
{
    // Child mode: a later start of the program, run in its own process.
    if (argc == 4 && qstrcmp(argv[1], "--child") == 0) {
        QCoreApplication app(argc, argv);
        AppInstanceGuard guard(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
        if (guard.start()) {
            std::fputs("primary", stdout);
            return 0;
        }
        std::fputs(guard.sendMessage(QStringLiteral("show")) ? "secondary sent" : "secondary lost",
                stdout);
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestAppInstanceGuard test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_appinstanceguard.moc"
