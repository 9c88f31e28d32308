#include "platform/RegistryUtils.h"
#include "suite/Grabbit.h"
#include "tests/native/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The registry on Linux: INI hives under the XDG configuration directories,
// and the capture program found and started through it.
class TestRegistryUtils : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;

    // Files given as "relative/path|content" under the test's root.
    void writeFiles(const QStringList &files)
    {
        for (const QString &entry : files)
            QVERIFY(TestFiles::write(m_root.filePath(entry.section(QLatin1Char('|'), 0, 0)), entry.section(QLatin1Char('|'), 1).toUtf8()));
    }

private Q_SLOTS:
    void init()
    {
        for (const QString &dir : QDir(m_root.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            QVERIFY(QDir(m_root.filePath(dir)).removeRecursively());
        qputenv("HOME", m_root.filePath(QStringLiteral("home")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_root.filePath(QStringLiteral("user")).toLocal8Bit());
        qputenv("XDG_CONFIG_DIRS", (m_root.filePath(QStringLiteral("sys1")) + ':' + m_root.filePath(QStringLiteral("sys2"))).toLocal8Bit());
        qputenv("INKLY_TEST_ROOT", "/srv/zem");
        qputenv("INKLY_TEST_EMPTY", "");
        qunsetenv("INKLY_TEST_UNSET");
    }

    void reads_data()
    {
        QTest::addColumn<QStringList>("hives");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("expected");
        const QStringList grabbit { "sys1/registry/HKLM.ini|[SOFTWARE/Zemworks/Grabbit]\nInstallPath=/opt/grabbit\n" };
        const QStringList inkly { "user/registry/HKCU.ini|; user hive\n[Software/Zemworks/Inkly]\nlevel = debug\n" };
        const int all = RegistryUtils::All;
        QTest::newRow("long prefix") << grabbit << "HKEY_LOCAL_MACHINE\\SOFTWARE\\Zemworks\\Grabbit"
                                     << "InstallPath" << all << "/opt/grabbit";
        QTest::newRow("names ignore case") << grabbit << "hklm\\software\\zemworks\\grabbit"
                                           << "installpath" << all << "/opt/grabbit";
        QTest::newRow("no prefix: the machine") << grabbit << "SOFTWARE\\Zemworks\\Grabbit"
                                                << "InstallPath" << all << "/opt/grabbit";
        QTest::newRow("not the user's") << grabbit << "HKCU\\SOFTWARE\\Zemworks\\Grabbit"
                                        << "InstallPath" << all << "";
        QTest::newRow("user hive") << inkly << "Hkey_Current_User\\Software\\Zemworks\\Inkly"
                                   << "level" << all << "debug";
        QTest::newRow("slash is no prefix") << inkly << "HKCU/Software/Zemworks/Inkly"
                                            << "level" << all << "";
        QTest::newRow("HOME/.config without XDG_CONFIG_HOME") << QStringList { "home/.config/registry/HKCU.ini|[Software]\nA=home\n" } << "HKCU\\Software"
                                                              << "A" << -1 << "home";
        QTest::newRow("unreadable hive") << QStringList { "user/registry/HKCU.ini/x|" } << "HKCU\\Software"
                                         << "A" << all << "";
        // The first system directory wins; later ones fill in what it lacks.
        const QStringList twoDirs = grabbit + QStringList { "sys2/registry/HKLM.ini|[SOFTWARE/Zemworks/Grabbit]\nInstallPath=/usr\nVersion=2.0\n" };
        QTest::newRow("first directory wins") << twoDirs << "HKLM\\SOFTWARE\\Zemworks\\Grabbit"
                                              << "InstallPath" << all << "/opt/grabbit";
        QTest::newRow("later directory fills in") << twoDirs << "HKLM\\SOFTWARE\\Zemworks\\Grabbit"
                                                  << "Version" << all << "2.0";
        const QStringList odd { "sys1/registry/HKLM.ini|[SOFTWARE/Zemworks/Grabbit]\nEmpty=\nQuoted=\"  spaced  \"\nNoEquals\n"
                                "[SOFTWARE\\Zemworks\\Backslashed]\n@=default value\n",
            "sys1/registry/HKLM-32.ini|[SOFTWARE/Zemworks/Grabbit]\nEmpty=32\nOnly32=thirty-two\n" };
        QTest::newRow("no equals sign") << odd << "HKLM\\SOFTWARE\\Zemworks\\Grabbit"
                                        << "NoEquals" << all << "";
        QTest::newRow("quoted") << odd << "HKLM\\SOFTWARE\\Zemworks\\Grabbit"
                                << "Quoted" << all << "  spaced  ";
        QTest::newRow("default value") << odd << "HKLM\\SOFTWARE\\Zemworks\\Backslashed"
                                       << "" << all << "default value";
        // An empty value found in the 64-bit view decides.
        QTest::newRow("empty in 64 decides") << odd << "HKLM\\SOFTWARE\\Zemworks\\Grabbit"
                                             << "Empty" << all << "";
        QTest::newRow("32-bit view") << odd << "HKLM\\SOFTWARE\\Zemworks\\Grabbit"
                                     << "Empty" << int(RegistryUtils::Force32) << "32";
        QTest::newRow("only in 32, all views") << odd << "HKLM\\SOFTWARE\\Zemworks\\Grabbit"
                                               << "Only32" << all << "thirty-two";
        QTest::newRow("only in 32, unknown mode") << odd << "HKLM\\SOFTWARE\\Zemworks\\Grabbit"
                                                  << "Only32" << 9 << "thirty-two";
        QTest::newRow("only in 32, 64-bit view") << odd << "HKLM\\SOFTWARE\\Zemworks\\Grabbit"
                                                 << "Only32" << int(RegistryUtils::Force64) << "";
        const QList<std::pair<const char *, const char *>> expansions = { { "@expand:%INKLY_TEST_ROOT%/bin/%INKLY_TEST_ROOT%", "/srv/zem/bin//srv/zem" },
            { "@expand:%INKLY_TEST_UNSET%/bin", "%INKLY_TEST_UNSET%/bin" }, { "%INKLY_TEST_ROOT%/bin", "%INKLY_TEST_ROOT%/bin" },
            { "@expand:a%INKLY_TEST_EMPTY%b", "ab" }, { "@expand:%INKLY_TEST_UNSET%INKLY_TEST_ROOT%", "%INKLY_TEST_UNSET/srv/zem" },
            { "@expand:50% of %INKLY_TEST_ROOT", "50% of %INKLY_TEST_ROOT" } };
        for (const auto &[stored, expected] : expansions)
            QTest::addRow("%s", stored) << QStringList { QStringLiteral("user/registry/HKCU.ini|[Software]\nV=") + stored + '\n' } << "HKCU\\Software"
                                        << "V" << all << expected;
    }

    // A failed read is an ordinary result and stays silent.
    void reads()
    {
        QFETCH(QStringList, hives);
        QFETCH(QString, path);
        QFETCH(QString, value);
        QFETCH(int, mode);
        QFETCH(QString, expected);
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        writeFiles(hives);
        if (mode < 0)
            qputenv("XDG_CONFIG_HOME", "relative");
        QCOMPARE(RegistryUtils::instance()->readRegistryString(path, value, RegistryUtils::ViewMode(qMax(mode, 0))), expected);
    }

    void grabbit_data()
    {
        QTest::addColumn<QString>("registry");
        QTest::addColumn<QStringList>("programs"); // name, '*' when it may run
        QTest::addColumn<bool>("launched");
        QTest::addColumn<QStringList>("recorded"); // "name: arguments" of what ran
        QTest::newRow("installed") << "HKLM.ini|[SOFTWARE/Zemworks/Grabbit]\nRootDir=$P\n" << QStringList { "Grabbit*" } << true << QStringList { "Grabbit: " };
        // Only the 32-bit view knows the manager, through an expandable string.
        QTest::newRow("through the manager") << "HKLM-32.ini|[SOFTWARE/Zemworks/MaveloManager]\nRootDir=@expand:%INKLY_TEST_PROGRAMS%\n"
                                             << QStringList { "MaveloManager*" } << false << QStringList { "MaveloManager: --install grabbit" };
        QTest::newRow("no key") << "HKLM.ini|" << QStringList { "Grabbit*", "MaveloManager*" } << false << QStringList();
        QTest::newRow("keys without RootDir") << "HKLM.ini|[SOFTWARE/Zemworks/Grabbit]\nInstallDir=$P\n[SOFTWARE/Zemworks/MaveloManager]\nRootDir=\n"
                                              << QStringList { "Grabbit*", "MaveloManager*" } << false << QStringList();
        QTest::newRow("not executable") << "HKLM.ini|[SOFTWARE/Zemworks/Grabbit]\nRootDir=$P\n[SOFTWARE/Zemworks/MaveloManager]\nRootDir=$P\n"
                                        << QStringList { "Grabbit", "MaveloManager" } << false << QStringList();
        QTest::newRow("a directory") << "HKLM.ini|[SOFTWARE/Zemworks/Grabbit]\nRootDir=$P\n" << QStringList { "Grabbit/" } << false << QStringList();
    }

    void grabbit()
    {
        QFETCH(QString, registry);
        QFETCH(QStringList, programs);
        QFETCH(bool, launched);
        QFETCH(QStringList, recorded);
        const QString dir = m_root.filePath(QStringLiteral("programs"));
        qputenv("INKLY_TEST_PROGRAMS", dir.toLocal8Bit());
        writeFiles({ QStringLiteral("sys1/registry/") + QString(registry).replace(QStringLiteral("$P"), dir) });
        // Stand-ins write their arguments and then rename the record into place.
        for (const QString &program : programs) {
            const QString name = program.chopped(program.endsWith('*') || program.endsWith('/') ? 1 : 0);
            QVERIFY(QDir().mkpath(program.endsWith('/') ? dir + '/' + name : dir));
            if (program.endsWith('/'))
                continue;
            writeFiles({ "programs/" + name + "|#!/bin/sh\necho \"$@\" > \"$0.tmp\"\nmv \"$0.tmp\" \"$0.args\"\n" });
            QVERIFY(QFile::setPermissions(
                    dir + '/' + name, QFile::ReadOwner | QFile::WriteOwner | (program.endsWith('*') ? QFile::ExeOwner : QFile::Permissions())));
        }
        Grabbit *grabbit = Grabbit::instance();
        QCOMPARE(grabbit->launchGrabbit(), launched);
        QCOMPARE(grabbit->isGrabbitInstalled(), launched);
        QCOMPARE(grabbit->installGrabbit(), launched || !recorded.isEmpty());
        const auto ran = [&] {
            QStringList found;
            for (const QString &record : QDir(dir).entryList({ QStringLiteral("*.args") }))
                found << record.chopped(5) + ": " + QString::fromUtf8(TestFiles::read(dir + '/' + record)).trimmed();
            return found;
        };
        QTRY_COMPARE(ran(), recorded);
    }
};

QTEST_GUILESS_MAIN(TestRegistryUtils)
#include "tst_registryutils.moc"
