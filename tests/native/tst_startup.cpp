#include "app/AppInstanceGuard.h"
#include "app/LogCategories.h"
#include "app/StartUp.h"
#include "app/UiLanguage.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTranslator>
#include <QUuid>
#include <QtTest>

#include <cstdio>
#include <memory>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(AppInstanceGuard::Command)

// The single instance is checked in process; the command line and the log
// filter by running the real program with its own HOME and XDG directories.
class TestStartUp : public QObject
{
    Q_OBJECT

private:
    QString m_serverName;
    QString m_mutexName;

    std::unique_ptr<AppInstanceGuard> makeGuard() const { return std::make_unique<AppInstanceGuard>(m_serverName, m_mutexName); }

    QString lockPath() const { return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)).filePath(m_mutexName + QLatin1String(".lock")); }

private Q_SLOTS:
    void init()
    {
        // Unique names, so parallel runs never meet each other's instance.
        const QString tag = QUuid::createUuid().toString(QUuid::Id128).left(12);
        m_serverName = AppInstanceGuard::defaultServerName(QStringLiteral("ZemworksTest"), QStringLiteral("Inkly") + tag);
        m_mutexName = QStringLiteral("InklyTestMutex") + tag;
    }

    // What a start of the whole program does not show: messages arrive as
    // written, a silent client is dropped, the socket is the user's own, and
    // a lock file a crash left empty does not block later starts.
    void instanceGuard()
    {
        auto first = makeGuard();
        QSignalSpy activated(first.get(), &AppInstanceGuard::activateRequested);
        QVERIFY(first->start());
        const QFileInfo socketFile(QFileInfo(lockPath()).dir().filePath(m_serverName));
        QVERIFY(!QFile::exists(QDir::temp().filePath(m_serverName)));
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(socketFile.permissions() & others, QFile::Permissions());
        QLocalSocket silent;
        QSignalSpy disconnected(&silent, &QLocalSocket::disconnected);
        silent.connectToServer(socketFile.filePath());
        QVERIFY(silent.waitForConnected(5000));
        QTRY_COMPARE_WITH_TIMEOUT(disconnected.count(), 1, 15000);
        auto second = makeGuard();
        QVERIFY(!second->start());
        QVERIFY(second->errorString().isEmpty());
        for (const QString &message : { QString(), QStringLiteral("show") })
            QVERIFY(second->sendMessage(message));
        QTRY_COMPARE(activated.count(), 1);
        QCOMPARE(activated.at(0).at(0).toString(), QStringLiteral("show"));
        second.reset();
        first.reset();
        QVERIFY(!QFile::exists(lockPath()));

        QFile file(lockPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        auto guard = makeGuard();
        QVERIFY(guard->start());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readLine().trimmed(), QByteArray::number(QCoreApplication::applicationPid()));
        QVERIFY(!makeGuard()->start());
    }

    // What the first instance makes of what a client writes: one line, a
    // known command or an answered refusal, nothing else reaches the program.
    void channel_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<bool>("hangUp"); // closes after writing, as a plain start does
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("received"); // "show", "name argument" or nothing
        QTest::newRow("show from a start") << QByteArray("show") << true << QByteArray() << "show";
        QTest::newRow("tool") << QByteArray("tool Pen\n") << false << QByteArray("ok\n") << "tool Pen";
        QTest::newRow("tool in any case, CRLF") << QByteArray("tool eraserBRUSH\r\n") << false << QByteArray("ok\n") << "tool EraserBrush";
        QTest::newRow("pointer") << QByteArray("tool Pointer\n") << false << QByteArray("ok\n") << "tool Pointer";
        QTest::newRow("undo") << QByteArray("undo\n") << false << QByteArray("ok\n") << "undo";
        QTest::newRow("one line only") << QByteArray("toggle\nclear\n") << false << QByteArray("ok\n") << "toggle";
        QTest::newRow("bad tool") << QByteArray("tool Crayon\n") << false << QByteArray("error unknown tool\n") << "";
        QTest::newRow("argument too many") << QByteArray("undo 3\n") << false << QByteArray("error undo takes no argument\n") << "";
        QTest::newRow("other text") << QByteArray("열기 please") << true << QByteArray() << "";
        QTest::newRow("not UTF-8") << QByteArray("tool \xff\xfePen\n") << false << QByteArray("error not a command\n") << "";
        QTest::newRow("control characters") << QByteArray("on\x1b[2J\n") << false << QByteArray("error not a command\n") << "";
        QTest::newRow("endless line") << QByteArray(100000, 'a') << false << QByteArray("error not a command\n") << "";
        QTest::newRow("nothing, then hung up") << QByteArray() << true << QByteArray() << "";
        // Dropped after the idle time; the wait below allows for it.
        QTest::newRow("half a command, then silence") << QByteArray("tool Pe") << false << QByteArray() << "";
    }

    void channel()
    {
        QFETCH(QByteArray, sent);
        QFETCH(bool, hangUp);
        QFETCH(QByteArray, reply);
        QFETCH(QString, received);
        auto first = makeGuard();
        QVERIFY(first->start());
        QSignalSpy activated(first.get(), &AppInstanceGuard::activateRequested);
        QSignalSpy commands(first.get(), &AppInstanceGuard::commandReceived);
        QLocalSocket client;
        QSignalSpy disconnected(&client, &QLocalSocket::disconnected);
        client.connectToServer(QFileInfo(lockPath()).dir().filePath(m_serverName));
        QVERIFY(client.waitForConnected(5000));
        QByteArray answer;
        connect(&client, &QLocalSocket::readyRead, this, [&] { answer += client.readAll(); });
        client.write(sent);
        if (hangUp)
            client.disconnectFromServer();
        else
            QTRY_COMPARE_WITH_TIMEOUT(disconnected.count(), 1, 15000);
        // A later client is served all the same.
        QLocalSocket later;
        later.connectToServer(QFileInfo(lockPath()).dir().filePath(m_serverName));
        QVERIFY(later.waitForConnected(5000));
        later.write("redo\n");
        QTRY_VERIFY(commands.count() > 0 && commands.last().at(0).toString() == QLatin1String("redo"));
        if (received == QLatin1String("show"))
            QTRY_COMPARE(activated.count(), 1);
        QCOMPARE(answer, reply);
        QStringList got;
        for (const QList<QVariant> &args : std::as_const(activated))
            got.append(args.at(0).toString());
        for (const QList<QVariant> &args : std::as_const(commands).mid(0, commands.size() - 1))
            got.append((args.at(0).toString() + QLatin1Char(' ') + args.at(1).toString()).trimmed());
        QCOMPARE(got, received.isEmpty() ? QStringList() : QStringList { received });
    }

    // Silent clients by the hundred, held by another process while ours is
    // near its limit of open files, and a server the system closed: a later
    // command is still answered.
    void channelUnderLoad()
    {
        auto first = makeGuard();
        QVERIFY(first->start());
        QSignalSpy commands(first.get(), &AppInstanceGuard::commandReceived);
        const QString address = QFileInfo(lockPath()).dir().filePath(m_serverName);
        const auto served = [&] {
            QLocalSocket client;
            client.connectToServer(address);
            if (!client.waitForConnected(1000))
                return false;
            const qsizetype before = commands.count();
            client.write("clear\n");
            return QTest::qWaitFor([&] { return commands.count() > before; }, 5000);
        };

        QProcess pile;
        pile.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--hold-connections"), address, QStringLiteral("200") });
        QVERIFY(pile.waitForStarted());
        rlimit saved {};
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
        auto restore = qScopeGuard([&] { ::setrlimit(RLIMIT_NOFILE, &saved); });
        rlimit tight = saved;
        tight.rlim_cur = QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size() + 40;
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &tight) == 0);
        QByteArray held;
        QTRY_VERIFY2_WITH_TIMEOUT((held += pile.readAllStandardOutput()).contains("held"), qPrintable(pile.readAllStandardError()), 60000);
        qInfo("%s", held.trimmed().constData());
        QVERIFY(served());
        pile.kill();
        pile.waitForFinished();
        restore.dismiss();
        ::setrlimit(RLIMIT_NOFILE, &saved);

        QLocalServer *const server = first->findChild<QLocalServer *>();
        QVERIFY(server);
        server->close();
        QVERIFY(QTest::qWaitFor(served, 10000));
    }

    // The command a command line asks the running instance for.
    void commandFromArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<AppInstanceGuard::Command>("command");
        QTest::addColumn<QString>("error");
        using C = AppInstanceGuard::Command;
        QTest::newRow("none") << QStringList { "inkly", "/silent" } << C {} << "";
        for (const char *name : { "toggle", "on", "off", "undo", "redo", "clear", "save-picture", "copy-picture" })
            QTest::newRow(name) << QStringList { "inkly", QStringLiteral("--") + QLatin1String(name) } << C { name, {} } << "";
        QTest::newRow("with autostart") << QStringList { "inkly", "--autostart", "--on" } << C { "on", {} } << "";
        QTest::newRow("tool") << QStringList { "inkly", "--tool", "Highlighter" } << C { "tool", "Highlighter" } << "";
        QTest::newRow("tool in lower case") << QStringList { "inkly", "--tool=dashedline" } << C { "tool", "DashedLine" } << "";
        QTest::newRow("pointer") << QStringList { "inkly", "--tool", "POINTER" } << C { "tool", "Pointer" } << "";
        QTest::newRow("bad tool") << QStringList { "inkly", "--tool", "Crayon" } << C { "tool", {} } << "Unknown tool 'Crayon'. Tools: None, Pen,";
        QTest::newRow("tool without a name") << QStringList { "inkly", "--tool" } << C {} << "Missing value after '--tool'.";
        QTest::newRow("two commands") << QStringList { "inkly", "--undo", "--clear" } << C { "undo", {} } << "Only one command at a time: --undo and --clear";
        QTest::newRow("two tools") << QStringList { "inkly", "--tool", "Pen", "--tool", "Star" } << C {} << "Only one command at a time";
    }

    void commandFromArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(AppInstanceGuard::Command, command);
        QFETCH(QString, error);
        AppInstanceGuard::Command got;
        QString reason;
        QCOMPARE(StartUp::commandFromArguments(arguments, &got, &reason), error.isEmpty());
        QVERIFY2(error.isEmpty() ? reason.isEmpty() : reason.startsWith(error), qPrintable(reason));
        QCOMPARE(got.name, command.name);
        QCOMPARE(got.argument, command.argument);
        // What the client sends, the server reads back as it was meant.
        AppInstanceGuard::Command read;
        if (error.isEmpty() && !got.name.isEmpty()) {
            QVERIFY(AppInstanceGuard::parseCommand(AppInstanceGuard::encodeCommand(got).chopped(1), &read, &reason));
            QCOMPARE(read.name + read.argument, got.name + got.argument);
        }
    }

    void uiLanguageChoice_data()
    {
        QTest::addColumn<QString>("requested");
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<QString>("chosen");
        const QStringList korean { "ko-KR", "en-US" };
        QTest::newRow("Korean locale") << "" << korean << "ko";
        QTest::newRow("other locale") << "" << QStringList { "de-DE", "fr" } << "en";
        QTest::newRow("C locale") << "" << QStringList { "C" } << "en";
        QTest::newRow("later preference served") << "" << QStringList { "de-DE", "ko_KR" } << "ko";
        QTest::newRow("override") << "EN_gb" << korean << "en";
        QTest::newRow("override to Korean") << " ko " << QStringList { "en-US" } << "ko";
        QTest::newRow("unknown override") << "xx" << korean << "ko";
    }

    void uiLanguageChoice()
    {
        QFETCH(QString, requested);
        QFETCH(QStringList, preferred);
        QFETCH(QString, chosen);
        QCOMPARE(UiLanguage::choose(requested, preferred, { "ko", "en" }), chosen);
    }

    // The English translation is compiled in and serves the tray's texts;
    // the environment wins over the stored choice.
    void uiLanguageInstall()
    {
        QCOMPARE(UiLanguage::available(), QStringList({ "ko", "en" }));
        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("Inkly.conf")), QSettings::IniFormat);
        settings.setValue(QLatin1String(UiLanguage::kSettingsKey), QStringLiteral("ko"));
        qputenv(UiLanguage::kOverrideVariable, "en");
        auto restore = qScopeGuard([] {
            qunsetenv(UiLanguage::kOverrideVariable);
            qDeleteAll(QCoreApplication::instance()->findChildren<QTranslator *>());
        });
        QCOMPARE(UiLanguage::install(QCoreApplication::instance(), settings), QStringLiteral("en"));
        QCOMPARE(QCoreApplication::translate("TrayMenu", "종료"), QStringLiteral("Quit"));
        qunsetenv(UiLanguage::kOverrideVariable);
        qDeleteAll(QCoreApplication::instance()->findChildren<QTranslator *>());
        QCOMPARE(UiLanguage::install(QCoreApplication::instance(), settings), QStringLiteral("ko"));
        QCOMPARE(QCoreApplication::translate("TrayMenu", "종료"), QStringLiteral("종료"));
    }

    // The program's categories are switched off where they log, at the levels
    // the message filter would drop their lines; Qt's own are left to the filter.
    void categoryRules_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("written");
        QTest::newRow("none") << 0 << "";
        QTest::newRow("error") << 1 << "critical";
        QTest::newRow("warning") << 2 << "warning critical";
        QTest::newRow("info") << 3 << "info warning critical";
        QTest::newRow("debug") << 4 << "debug info warning critical";
    }

    void categoryRules()
    {
        QFETCH(int, level);
        QFETCH(QString, written);
        auto restore = qScopeGuard([] { StartUp::setLogLevel(4); });
        StartUp::setLogLevel(level);
        for (const QLoggingCategory *category : { &lcStartUp(), &lcDrawings(), &lcRawInput() }) {
            QStringList enabled;
            if (category->isDebugEnabled())
                enabled << QStringLiteral("debug");
            if (category->isInfoEnabled())
                enabled << QStringLiteral("info");
            if (category->isWarningEnabled())
                enabled << QStringLiteral("warning");
            if (category->isCriticalEnabled())
                enabled << QStringLiteral("critical");
            QCOMPARE(enabled.join(QLatin1Char(' ')), written);
        }
        QVERIFY(QLoggingCategory("qt.qml.binding.removal", QtWarningMsg).isInfoEnabled());
        QVERIFY(QLoggingCategory("qt.scenegraph.general").isWarningEnabled());
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("display"); // offscreen, none or a Wayland socket
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QString>("notInErr");
        QTest::addColumn<bool>("beside"); // run while another instance is up
        QTest::addColumn<QString>("runtime"); // what stands in the runtime directory
        const QString version = QStringLiteral("Inkly " INKLY_PROJECT_VERSION);
        QTest::newRow("version") << QStringList { "--version" } << ""
                                 << "offscreen" << 0 << version << ""
                                 << "" << false << "";
        QTest::newRow("help") << QStringList { "--help" } << ""
                              << "offscreen" << 0 << "Performs installation-related setup tasks."
                              << ""
                              << "" << false << "";
        QTest::newRow("unknown option") << QStringList { "--bogus" } << ""
                                        << "offscreen" << 1 << "--install"
                                        << "CLI parse error: \"Unknown option 'bogus'.\""
                                        << "" << false << "";
        QTest::newRow("value for a flag") << QStringList { "--install=yes" } << ""
                                          << "offscreen" << 1 << ""
                                          << "CLI parse error"
                                          << "" << false << "";
        // At level 0 even the parse error is silent, but help and code stay.
        QTest::newRow("unknown option, level none") << QStringList { "-z" } << "none"
                                                    << "offscreen" << 1 << "--autostart"
                                                    << ""
                                                    << "CLI parse error" << false << "";
        QTest::newRow("install, default level") << QStringList { "--install" } << ""
                                                << "offscreen" << 0 << ""
                                                << ""
                                                << "[Installer]" << false << "";
        // The stored level is read regardless of case.
        QTest::newRow("install") << QStringList { "--install" } << "INFO"
                                 << "offscreen" << 0 << ""
                                 << "[Installer] autostart registration succeeded"
                                 << "" << false << "";
        QTest::newRow("install and uninstall") << QStringList { "--install", "--uninstall" } << "info"
                                               << "offscreen" << 0 << ""
                                               << "[Installer] autoStartEnabled setting is true"
                                               << "[Uninstaller]" << false << "";
        QTest::newRow("uninstall") << QStringList { "--uninstall" } << "info"
                                   << "offscreen" << 0 << ""
                                   << "[Uninstaller] autostart removal succeeded"
                                   << "" << false << "";
        QTest::newRow("install beside a running instance") << QStringList { "--install" } << ""
                                                           << "offscreen" << 0 << ""
                                                           << ""
                                                           << "" << true << "";
        // Commands to the running instance, and what becomes of them without one.
        QTest::newRow("help lists the commands") << QStringList { "--help" } << ""
                                                 << "offscreen" << 0 << "--tool <name>"
                                                 << ""
                                                 << "" << false << "";
        QTest::newRow("command, none running") << QStringList { "--undo" } << ""
                                               << "offscreen" << 2 << ""
                                               << "Inkly is not running; --undo needs a running Inkly\n"
                                               << "" << false << "";
        QTest::newRow("command, none running, no display") << QStringList { "--off" } << ""
                                                           << "none" << 2 << ""
                                                           << "Inkly is not running"
                                                           << "" << false << "";
        QTest::newRow("bad tool") << QStringList { "--tool", "Crayon" } << ""
                                  << "offscreen" << 1 << ""
                                  << "Unknown tool 'Crayon'"
                                  << "" << true << "";
        QTest::newRow("tool, beside") << QStringList { "--tool", "pen" } << ""
                                      << "offscreen" << 0 << ""
                                      << ""
                                      << "Inkly" << true << "";
        QTest::newRow("toggle, beside") << QStringList { "--toggle" } << ""
                                        << "offscreen" << 0 << ""
                                        << ""
                                        << "Inkly" << true << "";
        // No single instance to be had is an error, never "another instance".
        QTest::newRow("lock cannot be made") << QStringList { "/silent" } << ""
                                             << "offscreen" << 4 << ""
                                             << "cannot use the lock file"
                                             << "" << false << "lock";
        QTest::newRow("socket cannot be made") << QStringList { "/silent" } << ""
                                               << "offscreen" << 4 << ""
                                               << "cannot listen on"
                                               << "" << false << "socket";
        // The tasks work without an X display, also in a Wayland session; a
        // normal start says why it ends.
        for (const QString &display : { QStringLiteral("none"), QStringLiteral("wayland-0") }) {
            QTest::addRow("install, %s", qPrintable(display)) << QStringList { "--install" } << "" << display << 0 << ""
                                                              << ""
                                                              << "" << false << "";
            QTest::addRow("help, %s", qPrintable(display)) << QStringList { "--help" } << "" << display << 0 << "--autostart"
                                                           << ""
                                                           << "" << false << "";
            QTest::addRow("start, %s", qPrintable(display)) << QStringList() << "none" << display << 1 << ""
                                                            << "Inkly needs an X11 display (XWayland)\n"
                                                            << "" << false << "";
        }
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, level);
        QFETCH(QString, display);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QString, notInErr);
        QFETCH(bool, beside);
        QFETCH(QString, runtime);

        QTemporaryDir home;
        const QString config = home.filePath(QStringLiteral("config"));
        if (!level.isEmpty())
            QSettings(config + QStringLiteral("/Zemworks/Inkly.conf"), QSettings::IniFormat).setValue(QStringLiteral("log/level"), level);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        if (display == QLatin1String("offscreen"))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), display);
        else if (display != QLatin1String("none"))
            env.insert(QStringLiteral("WAYLAND_DISPLAY"), display);
        QProcess first;
        auto stop = qScopeGuard([&] {
            first.terminate();
            first.waitForFinished(10000);
        });
        if (beside) {
            first.setProcessEnvironment(env);
            first.start(QStringLiteral(INKLY_BINARY), { QStringLiteral("/silent") });
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home.filePath(QStringLiteral("InklyMutex.lock"))), 20000);
        }
        if (runtime == QLatin1String("lock"))
            QVERIFY(QDir(home.path()).mkdir(QStringLiteral("InklyMutex.lock")));
        else if (runtime == QLatin1String("socket"))
            QVERIFY(QDir(home.path()).mkdir(QStringLiteral("Zemworks.Inkly.SingleInstance")));
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(INKLY_BINARY), arguments);
        QVERIFY(process.waitForFinished(30000));
        const QString stdOut = QString::fromLocal8Bit(process.readAllStandardOutput());
        const QString stdErr = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(process.exitCode() == exitCode, qPrintable(stdErr));
        QVERIFY2(stdOut.contains(out), qPrintable(stdOut));
        QVERIFY2(stdErr.contains(err) && (notInErr.isEmpty() || !stdErr.contains(notInErr)), qPrintable(stdErr));
        // The program's lines begin with their bracketed name, not a category.
        QVERIFY2(!stdErr.contains(QRegularExpression(QStringLiteral("^inkly\\."), QRegularExpression::MultilineOption)), qPrintable(stdErr));
        if (arguments.contains(QStringLiteral("--version")))
            QCOMPARE(stdOut.trimmed(), out);
        if (err.endsWith(QLatin1Char('\n')))
            QCOMPARE(stdErr, err);
        if (arguments.contains(QStringLiteral("--install")) && exitCode == 0)
            QVERIFY(QFile::exists(config + QStringLiteral("/autostart/Inkly.desktop")));
        QCOMPARE(first.state(), beside ? QProcess::Running : QProcess::NotRunning);
    }
};

// The other process of channelUnderLoad: connects and stays silent.
static int holdConnections(const QString &address, int count)
{
    std::vector<std::unique_ptr<QLocalSocket>> sockets;
    for (int i = 0; i < count; ++i) {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(address);
        if (socket->waitForConnected(500))
            sockets.push_back(std::move(socket));
    }
    std::printf("held %d\n", int(sockets.size()));
    std::fflush(stdout);
    ::pause();
    return 0;
}

int main(int argc, char *argv[])
{
    if (argc == 4 && qstrcmp(argv[1], "--hold-connections") == 0) {
        QCoreApplication app(argc, argv);
        return holdConnections(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    }
    QCoreApplication app(argc, argv);
    TestStartUp test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_startup.moc"
