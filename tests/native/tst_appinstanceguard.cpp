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

private Q_SLOTS:
    void init()
    {
        // Unique names, so parallel runs never meet each other's instance.
        const QString tag = QUuid::createUuid().toString(QUuid::Id128).left(12);
        m_serverName = AppInstanceGuard::defaultServerName(QStringLiteral("ZemworksTest"), QStringLiteral("Inkly") + tag);
        m_mutexName = QStringLiteral("InklyTestMutex") + tag;
    }

    void secondStartHandsOverToFirst()
    {
        auto first = makeGuard();
        QSignalSpy activated(first.get(), &AppInstanceGuard::activateRequested);
        QVERIFY(first->start());
        QVERIFY(first->isPrimary());

        // Any text arrives as written; an empty message says nothing.
        auto second = makeGuard();
        QVERIFY(!second->start());
        QVERIFY(!second->isPrimary());
        for (const QString &message : { QStringLiteral("열기 please"), QString(), QStringLiteral("show") })
            QVERIFY(second->sendMessage(message));
        QTRY_COMPARE(activated.count(), 2);
        QCOMPARE(activated.at(0).at(0).toString(), QStringLiteral("열기 please"));
        QCOMPARE(activated.at(1).at(0).toString(), QStringLiteral("show"));

        // A later start in another process is second too.
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--child"), m_serverName, m_mutexName });
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.readAllStandardOutput(), QByteArray("secondary sent"));
        QTRY_COMPARE(activated.count(), 3);

        // In the user's own runtime directory, beside the lock, never in the
        // temporary directory that all users share.
        const QFileInfo socketFile(QFileInfo(lockPath()).dir().filePath(m_serverName));
        QVERIFY2(socketFile.exists(), qPrintable(socketFile.filePath()));
        QVERIFY(!QFile::exists(QDir::temp().filePath(m_serverName)));
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
                | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(socketFile.permissions() & others, QFile::Permissions());

        // A client that says nothing is dropped, and the server keeps serving.
        QLocalSocket silent;
        QSignalSpy disconnected(&silent, &QLocalSocket::disconnected);
        silent.connectToServer(socketFile.filePath());
        QVERIFY(silent.waitForConnected(5000));
        QTRY_COMPARE_WITH_TIMEOUT(disconnected.count(), 1, 15000);
        QVERIFY(second->sendMessage(QStringLiteral("show")));
        QTRY_COMPARE(activated.count(), 4);

        // Once the first instance has gone, the next start is the first again.
        second.reset();
        first.reset();
        QVERIFY(!QFile::exists(lockPath()));
        auto third = makeGuard();
        QVERIFY(third->start());
        QVERIFY(!makeGuard()->start());
    }

    void staleLocksAreTakenOver()
    {
        QProcess process;
        process.start(QStringLiteral("true"), {});
        QVERIFY(process.waitForStarted());
        const qint64 deadPid = process.processId();
        process.waitForFinished();

        // A lock of a dead process, and one a crash left empty.
        const QByteArray deadLock = QByteArray::number(deadPid) + "\ninkly\n" + QSysInfo::machineHostName().toUtf8() + "\n";
        for (const QByteArray &content : { deadLock, QByteArray() }) {
            QVERIFY(QDir().mkpath(QFileInfo(lockPath()).absolutePath()));
            QFile file(lockPath());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(content);
            file.close();
            auto guard = makeGuard();
            QVERIFY(guard->start());
            // The lock now names us, so a further start in this process is second.
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readLine().trimmed(), QByteArray::number(QCoreApplication::applicationPid()));
            QVERIFY(!makeGuard()->start());
        }
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // Child mode: a later start of the program, run in its own process.
    if (argc == 4 && qstrcmp(argv[1], "--child") == 0) {
        AppInstanceGuard guard(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
        if (guard.start())
            std::fputs("primary", stdout);
        else
            std::fputs(guard.sendMessage(QStringLiteral("show")) ? "secondary sent" : "secondary lost", stdout);
        return 0;
    }
    TestAppInstanceGuard test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_appinstanceguard.moc"
