#include "AppInfo.h"
#include "StartUp.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

// The log filter is checked in process; the command line by running the real
// program with its own HOME and XDG directories.
class TestStartUp : public QObject
{
    Q_OBJECT

private:
    struct Run
    {
        int exitCode = -100;
        QString out;
        QString err;
    };

    // Runs inkly with a fresh configuration; `level` is written to the stored
    // "log/level" unless empty. Without a display only WAYLAND_DISPLAY, if
    // given, is set.
    Run runInkly(const QStringList &arguments, const QString &level = QString(),
                 bool withDisplay = true, const QString &waylandDisplay = QString())
    {
        QTemporaryDir home;
        if (!home.isValid())
            return {};
        const QString config = home.filePath(QStringLiteral("config"));
        if (!level.isEmpty()) {
            QSettings stored(config + QStringLiteral("/Zemworks/Inkly.conf"), QSettings::IniFormat);
            stored.setValue(QStringLiteral("log/level"), level);
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        if (withDisplay)
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        else
            env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        if (!waylandDisplay.isEmpty())
            env.insert(QStringLiteral("WAYLAND_DISPLAY"), waylandDisplay);

        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(INKLY_BINARY), arguments);
        Run run;
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.exitCode = process.exitCode();
        run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.err = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

private Q_SLOTS:
    void storedLogLevel_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("level");

        QTest::newRow("absent") << QVariant() << 2;
        QTest::newRow("none") << QVariant(QStringLiteral("none")) << 0;
        QTest::newRow("off") << QVariant(QStringLiteral("off")) << 0;
        QTest::newRow("error") << QVariant(QStringLiteral("error")) << 1;
        QTest::newRow("capitals") << QVariant(QStringLiteral("INFO")) << 3;
        QTest::newRow("trace") << QVariant(QStringLiteral("Trace")) << 4;
        QTest::newRow("number") << QVariant(QStringLiteral("3")) << 3;
        QTest::newRow("above range") << QVariant(QStringLiteral("10")) << 4;
        QTest::newRow("negative") << QVariant(QStringLiteral("-3")) << 0;
        QTest::newRow("word") << QVariant(QStringLiteral("verbose")) << 2;
        QTest::newRow("leading blank") << QVariant(QStringLiteral(" info")) << 2;
        QTest::newRow("empty") << QVariant(QString()) << 2;
        QTest::newRow("fraction") << QVariant(QStringLiteral("3.5")) << 2;
    }

    void storedLogLevel()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, level);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QSettings settings(dir.filePath(QStringLiteral("Inkly.conf")), QSettings::IniFormat);
        if (stored.isValid())
            settings.setValue(QStringLiteral("log/level"), stored);

        StartUp::setLogLevel(2);
        StartUp::configureLogging(settings);
        const int configured = StartUp::logLevel();
        StartUp::setLogLevel(2);
        QCOMPARE(configured, level);
    }

    void messagesPassByLevel()
    {
        const QList<QtMsgType> types{QtDebugMsg, QtInfoMsg, QtWarningMsg, QtCriticalMsg, QtFatalMsg};
        // Lowest level at which each type passes.
        const QList<int> lowest{4, 3, 2, 1, 1};
        for (int level = 0; level <= 4; ++level) {
            for (int i = 0; i < types.size(); ++i)
                QCOMPARE(StartUp::messagePasses(types[i], level), level >= lowest[i]);
        }
    }

    void spuriousCycleWarning()
    {
        const QString ours = QStringLiteral(
                "Cyclic dependency detected between \"qrc:/qt/qml/Zem/Inkly/src/core/stats/Stats.qml\" "
                "and \"qrc:/qt/qml/Zem/Inkly/src/theme/Theme.qml\"");
        const QString foreign = QStringLiteral(
                "Cyclic dependency detected between \"qrc:/qt/qml/Zem/Inkly/src/App.qml\" "
                "and \"file:///home/user/Other.qml\"");
#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
        QVERIFY(StartUp::isSpuriousQmlCycleWarning(QtWarningMsg, ours));
#endif
        QVERIFY(!StartUp::isSpuriousQmlCycleWarning(QtWarningMsg, foreign));
        QVERIFY(!StartUp::isSpuriousQmlCycleWarning(QtCriticalMsg, ours));
        QVERIFY(!StartUp::isSpuriousQmlCycleWarning(QtWarningMsg, QStringLiteral("[App] quit called")));
    }

    // Only a software OpenGL renderer makes Qt Quick draw in software.
    void softwareRasteriserNames()
    {
        for (const char *name : { "llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Software Rasterizer" })
            QVERIFY2(StartUp::isSoftwareRasteriser(QString::fromLatin1(name)), name);
        for (const char *name : { "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "AMD Radeon RX 580", "" })
            QVERIFY2(!StartUp::isSoftwareRasteriser(QString::fromLatin1(name)), name);
    }

    void filterDropsBelowLevel()
    {
        // The filter sits in front of whatever handler was installed before.
        static QStringList seen;
        seen.clear();
        const QtMessageHandler original = qInstallMessageHandler(
                [](QtMsgType, const QMessageLogContext &, const QString &message) { seen << message; });

        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("Inkly.conf")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("log/level"), QStringLiteral("info"));
        StartUp::configureLogging(settings);
        StartUp::configureLogging(settings); // a second install must not loop

        qDebug("dropped debug");
        qInfo("kept info");
        qWarning("kept warning");
        StartUp::setLogLevel(0);
        qCritical("dropped critical");
        StartUp::setLogLevel(2);
        qInstallMessageHandler(original);

        QCOMPARE(seen, (QStringList{QStringLiteral("kept info"), QStringLiteral("kept warning")}));
    }

    void helpAndVersion()
    {
        const Run version = runInkly({QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out.trimmed(), QStringLiteral("Inkly ") + AppInfo::productVersion());

        const Run help = runInkly({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains(QStringLiteral("--autostart")));
        QVERIFY(help.out.contains(QStringLiteral("Performs installation-related setup tasks.")));
        QVERIFY(help.out.contains(QStringLiteral("--uninstall")));

        // "/silent" is a plain argument, accepted with any option.
        const Run silent = runInkly({QStringLiteral("/silent"), QStringLiteral("--version")});
        QCOMPARE(silent.exitCode, 0);
        QCOMPARE(silent.out.trimmed(), QStringLiteral("Inkly ") + AppInfo::productVersion());
    }

    void unknownOptions()
    {
        const Run bad = runInkly({QStringLiteral("--bogus")});
        QCOMPARE(bad.exitCode, 1);
        QVERIFY2(bad.err.contains(QStringLiteral("CLI parse error: \"Unknown option 'bogus'.\"")),
                 qPrintable(bad.err));
        QVERIFY(bad.out.contains(QStringLiteral("--install")));

        // A value given to an option that takes none is a parse error too.
        const Run valued = runInkly({QStringLiteral("--install=yes")});
        QCOMPARE(valued.exitCode, 1);

        // At level 0 even the parse error is silent, but help and code stay.
        const Run quiet = runInkly({QStringLiteral("-z")}, QStringLiteral("none"));
        QCOMPARE(quiet.exitCode, 1);
        QVERIFY(!quiet.err.contains(QStringLiteral("CLI parse error")));
        QVERIFY(quiet.out.contains(QStringLiteral("--autostart")));
    }

    void installerTasks()
    {
        // At the default level the installer's info lines are filtered out.
        const Run silent = runInkly({QStringLiteral("--install")});
        QCOMPARE(silent.exitCode, 0);
        QVERIFY(!silent.err.contains(QStringLiteral("[Installer] autoStartEnabled")));

        const Run install = runInkly({QStringLiteral("--install")}, QStringLiteral("info"));
        QCOMPARE(install.exitCode, 0);
        QVERIFY2(install.err.contains(QStringLiteral("[Installer] autoStartEnabled setting is true")),
                 qPrintable(install.err));
        QVERIFY(install.err.contains(QStringLiteral("[Installer] autostart registration succeeded")));

        // Both tasks asked for: only the install task runs.
        const Run both = runInkly({QStringLiteral("--install"), QStringLiteral("--uninstall")},
                                  QStringLiteral("info"));
        QCOMPARE(both.exitCode, 0);
        QVERIFY(both.err.contains(QStringLiteral("[Installer]")));
        QVERIFY(!both.err.contains(QStringLiteral("[Uninstaller]")));

        const Run uninstall = runInkly({QStringLiteral("--uninstall")}, QStringLiteral("info"));
        QCOMPARE(uninstall.exitCode, 0);
        QVERIFY(uninstall.err.contains(QStringLiteral("[Uninstaller] autostart removal succeeded")));
    }

    void noDisplay()
    {
        // The tasks work without an X display, also in a Wayland session; a
        // normal start says why it ends.
        for (const QString &wayland : {QString(), QStringLiteral("wayland-0")}) {
            for (const QString &task : {QStringLiteral("--version"), QStringLiteral("--help"),
                                        QStringLiteral("--install")}) {
                const Run run = runInkly({task}, QString(), false, wayland);
                QVERIFY2(run.exitCode == 0, qPrintable(task + wayland + run.err));
            }
            const Run start = runInkly({}, QStringLiteral("none"), false, wayland);
            QCOMPARE(start.exitCode, 1);
            QCOMPARE(start.err, QStringLiteral("Inkly needs an X11 display (XWayland)\n"));
        }
    }

    void secondInstanceHandsOver()
    {
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

        QProcess first;
        first.setProcessEnvironment(env);
        first.start(QStringLiteral(INKLY_BINARY), {QStringLiteral("/silent")});
        QVERIFY(first.waitForStarted());
        // A root component that fails to load ends the process with -1 at once.
        QVERIFY2(!first.waitForFinished(3000),
                 qPrintable(QString::fromLocal8Bit(first.readAllStandardError())));

        QProcess second;
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(INKLY_BINARY), {});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        // The installer task works beside a running instance.
        QProcess install;
        install.setProcessEnvironment(env);
        install.start(QStringLiteral(INKLY_BINARY), {QStringLiteral("--install")});
        QVERIFY(install.waitForFinished(20000));
        QCOMPARE(install.exitCode(), 0);
        QVERIFY(QFile::exists(home.filePath(QStringLiteral("config/autostart/Inkly.desktop"))));
        QCOMPARE(first.state(), QProcess::Running);

        first.terminate();
        first.waitForFinished(10000);
    }
};

QTEST_GUILESS_MAIN(TestStartUp)
#include "tst_startup.moc"
