#include "AppInstanceGuard.h"
#include "UiLanguage.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTranslator>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

#include <memory>

// The single instance is checked in process; the command line and the log
// filter by running the real program with its own HOME and XDG directories.
class TestStartUp : public QObject
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
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
                | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(socketFile.permissions() & others, QFile::Permissions());
        QLocalSocket silent;
        QSignalSpy disconnected(&silent, &QLocalSocket::disconnected);
        silent.connectToServer(socketFile.filePath());
        QVERIFY(silent.waitForConnected(5000));
        QTRY_COMPARE_WITH_TIMEOUT(disconnected.count(), 1, 15000);
        auto second = makeGuard();
        QVERIFY(!second->start());
        for (const QString &message : { QStringLiteral("열기 please"), QString(), QStringLiteral("show") })
            QVERIFY(second->sendMessage(message));
        QTRY_COMPARE(activated.count(), 2);
        QCOMPARE(activated.at(0).at(0).toString(), QStringLiteral("열기 please"));
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
        const QString version = QStringLiteral("Inkly " INKLY_PROJECT_VERSION);
        QTest::newRow("version") << QStringList { "--version" } << "" << "offscreen" << 0 << version << "" << "" << false;
        QTest::newRow("help") << QStringList { "--help" } << "" << "offscreen" << 0
                              << "Performs installation-related setup tasks." << "" << "" << false;
        QTest::newRow("unknown option") << QStringList { "--bogus" } << "" << "offscreen" << 1 << "--install"
                                        << "CLI parse error: \"Unknown option 'bogus'.\"" << "" << false;
        QTest::newRow("value for a flag") << QStringList { "--install=yes" } << "" << "offscreen" << 1 << "" << "CLI parse error" << "" << false;
        // At level 0 even the parse error is silent, but help and code stay.
        QTest::newRow("unknown option, level none") << QStringList { "-z" } << "none" << "offscreen" << 1 << "--autostart" << "" << "CLI parse error" << false;
        QTest::newRow("install, default level") << QStringList { "--install" } << "" << "offscreen" << 0 << "" << "" << "[Installer]" << false;
        // The stored level is read regardless of case.
        QTest::newRow("install") << QStringList { "--install" } << "INFO" << "offscreen" << 0 << ""
                                 << "[Installer] autostart registration succeeded" << "" << false;
        QTest::newRow("install and uninstall") << QStringList { "--install", "--uninstall" } << "info" << "offscreen" << 0 << ""
                                               << "[Installer] autoStartEnabled setting is true" << "[Uninstaller]" << false;
        QTest::newRow("uninstall") << QStringList { "--uninstall" } << "info" << "offscreen" << 0 << ""
                                   << "[Uninstaller] autostart removal succeeded" << "" << false;
        QTest::newRow("install beside a running instance") << QStringList { "--install" } << "" << "offscreen" << 0 << "" << "" << "" << true;
        // The tasks work without an X display, also in a Wayland session; a
        // normal start says why it ends.
        for (const QString &display : { QStringLiteral("none"), QStringLiteral("wayland-0") }) {
            QTest::addRow("install, %s", qPrintable(display)) << QStringList { "--install" } << "" << display << 0 << "" << "" << "" << false;
            QTest::addRow("help, %s", qPrintable(display)) << QStringList { "--help" } << "" << display << 0 << "--autostart" << "" << "" << false;
            QTest::addRow("start, %s", qPrintable(display)) << QStringList() << "none" << display << 1 << ""
                                                            << "Inkly needs an X11 display (XWayland)\n" << "" << false;
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
        auto stop = qScopeGuard([&] { first.terminate(); first.waitForFinished(10000); });
        if (beside) {
            first.setProcessEnvironment(env);
            first.start(QStringLiteral(INKLY_BINARY), { QStringLiteral("/silent") });
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home.filePath(QStringLiteral("InklyMutex.lock"))), 20000);
        }
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(INKLY_BINARY), arguments);
        QVERIFY(process.waitForFinished(30000));
        const QString stdOut = QString::fromLocal8Bit(process.readAllStandardOutput());
        const QString stdErr = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(process.exitCode() == exitCode, qPrintable(stdErr));
        QVERIFY2(stdOut.contains(out), qPrintable(stdOut));
        QVERIFY2(stdErr.contains(err) && (notInErr.isEmpty() || !stdErr.contains(notInErr)), qPrintable(stdErr));
        if (arguments.contains(QStringLiteral("--version")))
            QCOMPARE(stdOut.trimmed(), out);
        if (err.endsWith(QLatin1Char('\n')))
            QCOMPARE(stdErr, err);
        if (arguments.contains(QStringLiteral("--install")) && exitCode == 0)
            QVERIFY(QFile::exists(config + QStringLiteral("/autostart/Inkly.desktop")));
        QCOMPARE(first.state(), beside ? QProcess::Running : QProcess::NotRunning);
    }
};

QTEST_GUILESS_MAIN(TestStartUp)
#include "tst_startup.moc"
