#include "RenovaWrapper.h"
#include "TallyWrapper.h"
#include "UnixSignalWatcher.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/types.h>

// The end of a session arrives as a signal when no session manager runs. The
// program must take it like a quit: save, shut the companion libraries down
// once, and end with 0.
namespace {

const QString kShutdownLine
        = QStringLiteral("[App] System shutdown detected - closing application");

// Finds `key` anywhere in the settings, whatever group it is kept in.
QString findString(const QJsonObject &object, const QString &key)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key() == key && it.value().isString())
            return it.value().toString();
        if (it.value().isObject()) {
            const QString found = findString(it.value().toObject(), key);
            if (!found.isEmpty())
                return found;
        }
    }
    return QString();
}

} // namespace

class TstShutdown : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void watcherDeliversSignals();
    void signalEndsTheProgramCleanly_data();
    void signalEndsTheProgramCleanly();
};

void TstShutdown::watcherDeliversSignals()
{
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    QCOMPARE(::sigaction(SIGUSR1, &ignore, nullptr), 0);

    {
        UnixSignalWatcher watcher({ SIGUSR1 });
        QVERIFY(watcher.isWatching());
        QSignalSpy received(&watcher, &UnixSignalWatcher::signalReceived);

        // Only one watcher may own the handlers.
        QTest::ignoreMessage(
                QtWarningMsg, "[UnixSignalWatcher] Another watcher is already installed");
        UnixSignalWatcher second({ SIGUSR1 });
        QVERIFY(!second.isWatching());

        QCOMPARE(::raise(SIGUSR1), 0);
        QCOMPARE(::raise(SIGUSR1), 0);
        QTRY_COMPARE(received.count(), 2);
        QCOMPARE(received.at(0).at(0).toInt(), SIGUSR1);
        QCOMPARE(received.at(1).at(0).toInt(), SIGUSR1);
    }

    // Gone with the watcher: the disposition from before is back.
    struct sigaction now = {};
    QCOMPARE(::sigaction(SIGUSR1, nullptr, &now), 0);
    QVERIFY(now.sa_handler == SIG_IGN);

    // And a new watcher can take over.
    UnixSignalWatcher again({ SIGUSR1 });
    QVERIFY(again.isWatching());
}

void TstShutdown::signalEndsTheProgramCleanly_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("withLibraries");
    QTest::newRow("SIGTERM, no libraries") << int(SIGTERM) << false;
    QTest::newRow("SIGHUP, libraries") << int(SIGHUP) << true;
    QTest::newRow("SIGINT, libraries") << int(SIGINT) << true;
}

void TstShutdown::signalEndsTheProgramCleanly()
{
    QFETCH(int, signalNumber);
    QFETCH(bool, withLibraries);

    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString config = home.filePath(QStringLiteral("config"));
    const QString data = home.filePath(QStringLiteral("data"));
    {
        QSettings stored(config + QStringLiteral("/Zemworks/Inkly.conf"), QSettings::IniFormat);
        stored.setValue(QStringLiteral("log/level"), QStringLiteral("info"));
    }

    // With libraries the program runs from a copy that has the stand-ins
    // beside it, as the real ones would be.
    QString binary = QStringLiteral(INKLY_BINARY);
    const QString record = home.filePath(QStringLiteral("record.txt"));
    if (withLibraries) {
        const QString appDir = home.filePath(QStringLiteral("app"));
        QVERIFY(QDir().mkpath(appDir));
        binary = appDir + QStringLiteral("/inkly");
        QVERIFY(QFile::copy(QStringLiteral(INKLY_BINARY), binary));
        QVERIFY(QFile::copy(
                RenovaWrapper::modulePathIn(QStringLiteral(INKLY_RENOVA_STANDINS "/ok")),
                RenovaWrapper::modulePathIn(appDir)));
        QVERIFY(QFile::copy(TallyWrapper::modulePathIn(QStringLiteral(INKLY_TALLY_STANDINS "/ok")),
                TallyWrapper::modulePathIn(appDir)));
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.insert(QStringLiteral("XDG_DATA_HOME"), data);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    env.insert(QStringLiteral("INKLY_RENOVA_RECORD"), record);
    env.insert(QStringLiteral("INKLY_TALLY_RECORD"), record);

    QProcess process;
    process.setProcessEnvironment(env);
    QString err;
    connect(&process, &QProcess::readyReadStandardError, this,
            [&] { err += QString::fromLocal8Bit(process.readAllStandardError()); });
    process.start(binary, { QStringLiteral("--autostart") });
    QVERIFY(process.waitForStarted());

    // The signals are caught from before the libraries are loaded on; the
    // guard's last start-up line says the program is that far.
    const QString ready = withLibraries
            ? QStringLiteral("[TallyWrapper] initialize called")
            : QStringLiteral("[MaveloModulesGuard] Tally DLL not found");
    QTRY_VERIFY_WITH_TIMEOUT(err.contains(ready) || process.state() == QProcess::NotRunning, 30000);
    QVERIFY2(process.state() == QProcess::Running, qPrintable(err));
    // Give the root component time to load, so that the quit path has it.
    QTRY_VERIFY_WITH_TIMEOUT(err.contains(QStringLiteral("[TallyWrapper] executeAction called"))
                    || process.state() == QProcess::NotRunning,
            30000);

    QVERIFY2(process.state() == QProcess::Running, qPrintable(err));
    // Never 0 or less: kill() would then reach the whole process group.
    const qint64 pid = process.processId();
    QVERIFY(pid > 0);
    QCOMPARE(::kill(static_cast<pid_t>(pid), signalNumber), 0);
    QVERIFY(process.waitForFinished(30000));
    err += QString::fromLocal8Bit(process.readAllStandardError());

    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == 0, qPrintable(err));
    QCOMPARE(err.count(kShutdownLine), 1);
    // At level info only the native lines pass; the documents' own are debug.
    QVERIFY2(!err.contains(QStringLiteral("[App] Application prepareQuit called"))
                    && !err.contains(QStringLiteral("[Stats]")),
            qPrintable(err));

    if (withLibraries) {
        QFile file(record);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList calls
                = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(calls.count(QStringLiteral("Renova_Init\tInkly")), 1);
        QCOMPARE(calls.count(QStringLiteral("Tally_Initialize\tInkly")), 1);
        // Shut down by the handler, then skipped at teardown.
        QCOMPARE(calls.count(QStringLiteral("Renova_Exit\tInkly")), 1);
        QCOMPARE(calls.count(QStringLiteral("Tally_Finalize")), 1);
    } else {
        QCOMPARE(err.count(QStringLiteral("[MaveloModulesGuard] Renova DLL not found")), 1);
        QCOMPARE(err.count(QStringLiteral("[MaveloModulesGuard] Tally DLL not found")), 1);
    }

    // The quit path ran and stored the time of exit.
    QFile settings(data + QStringLiteral("/Zemworks/Inkly/settings.json"));
    QVERIFY2(settings.open(QIODevice::ReadOnly), qPrintable(err));
    const QJsonObject stored = QJsonDocument::fromJson(settings.readAll()).object();
    QVERIFY2(!findString(stored, QStringLiteral("lastExitAt")).isEmpty(), qPrintable(err));
}

QTEST_GUILESS_MAIN(TstShutdown)
#include "tst_shutdown.moc"
