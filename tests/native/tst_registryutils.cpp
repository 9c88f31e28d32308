#include "RegistryUtils.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using RegistryRules::Root;
using RegistryRules::View;

Q_DECLARE_METATYPE(RegistryRules::Root)

class TestRegistryUtils : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;

    QString userDir() const { return m_root.filePath(QStringLiteral("config")); }
    QString systemDir(int i) const { return m_root.filePath(QStringLiteral("xdg%1").arg(i)); }

    static void writeIni(const QString &dir, const QString &name, const QByteArray &content)
    {
        QVERIFY(QDir().mkpath(dir + QLatin1String("/registry")));
        QFile file(dir + QLatin1String("/registry/") + name);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    static QString read(const QString &path, const QString &value,
            RegistryUtils::ViewMode mode = RegistryUtils::All)
    {
        return RegistryUtils::instance()->readRegistryString(path, value, mode);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_root.isValid()); }

    void init()
    {
        QVERIFY(QDir(userDir()).removeRecursively());
        QVERIFY(QDir(systemDir(1)).removeRecursively());
        QVERIFY(QDir(systemDir(2)).removeRecursively());
        qputenv("XDG_CONFIG_HOME", userDir().toLocal8Bit());
        qputenv("XDG_CONFIG_DIRS", (systemDir(1) + QLatin1Char(':') + systemDir(2)).toLocal8Bit());
        // A failed read is an ordinary result and must stay silent.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    }

    void splitsPrefixes_data()
    {
        QTest::addColumn<QString>("fullPath");
        QTest::addColumn<Root>("root");
        QTest::addColumn<QString>("subKey");

        QTest::newRow("long machine")
                << "HKEY_LOCAL_MACHINE\\SOFTWARE\\A" << Root::LocalMachine << "SOFTWARE\\A";
        QTest::newRow("short machine lower")
                << "hklm\\SOFTWARE\\A" << Root::LocalMachine << "SOFTWARE\\A";
        QTest::newRow("long user mixed")
                << "Hkey_Current_User\\Software\\A" << Root::CurrentUser << "Software\\A";
        QTest::newRow("short user") << "HKCU\\Software" << Root::CurrentUser << "Software";
        QTest::newRow("no prefix") << "SOFTWARE\\A" << Root::LocalMachine << "SOFTWARE\\A";
        QTest::newRow("prefix without backslash") << "HKCU" << Root::LocalMachine << "HKCU";
        QTest::newRow("forward slash") << "HKCU/Software" << Root::LocalMachine << "HKCU/Software";
        QTest::newRow("longer word")
                << "HKCUX\\Software" << Root::LocalMachine << "HKCUX\\Software";
    }

    void splitsPrefixes()
    {
        QFETCH(QString, fullPath);
        QFETCH(Root, root);
        QFETCH(QString, subKey);
        const RegistryRules::KeyPath path = RegistryRules::splitFullPath(fullPath);
        QCOMPARE(path.root, root);
        QCOMPARE(path.subKey, subKey);
    }

    void readsUnderTheRightRoot()
    {
        writeIni(systemDir(1), QStringLiteral("HKLM.ini"),
                "[SOFTWARE/Zemworks/Grabbit]\nInstallPath=/opt/grabbit\n");
        writeIni(userDir(), QStringLiteral("HKCU.ini"),
                "; user hive\n[Software/Zemworks/Inkly]\nlevel = debug\n");

        for (const char *path : { "HKEY_LOCAL_MACHINE\\SOFTWARE\\Zemworks\\Grabbit",
                     "hklm\\SOFTWARE\\Zemworks\\Grabbit", "SOFTWARE\\Zemworks\\Grabbit",
                     "hklm\\software\\zemworks\\grabbit" }) {
            QCOMPARE(read(QString::fromLatin1(path), QStringLiteral("InstallPath")),
                    QStringLiteral("/opt/grabbit"));
        }
        QCOMPARE(read(QStringLiteral("HKLM\\SOFTWARE\\Zemworks\\Grabbit"),
                         QStringLiteral("installpath")),
                QStringLiteral("/opt/grabbit"));
        QCOMPARE(read(QStringLiteral("HKCU\\SOFTWARE\\Zemworks\\Grabbit"),
                         QStringLiteral("InstallPath")),
                QString());
        QCOMPARE(read(QStringLiteral("HKCU\\Software\\Zemworks\\Inkly"), QStringLiteral("level")),
                QStringLiteral("debug"));
        // Unknown prefixes are subkeys of the machine hive, not of the user one.
        QCOMPARE(read(QStringLiteral("HKCU/Software/Zemworks/Inkly"), QStringLiteral("level")),
                QString());
        QCOMPARE(read(QStringLiteral("Software\\Zemworks\\Inkly"), QStringLiteral("level")),
                QString());

        // The first system directory wins; later ones fill in what it lacks.
        writeIni(systemDir(2), QStringLiteral("HKLM.ini"),
                "[SOFTWARE/Zemworks/Grabbit]\nInstallPath=/usr/grabbit\nVersion=2.0\n");
        QCOMPARE(read(QStringLiteral("HKLM\\SOFTWARE\\Zemworks\\Grabbit"),
                         QStringLiteral("InstallPath")),
                QStringLiteral("/opt/grabbit"));
        QCOMPARE(read(QStringLiteral("HKLM\\SOFTWARE\\Zemworks\\Grabbit"),
                         QStringLiteral("Version")),
                QStringLiteral("2.0"));
    }

    void fallsBackToDefaultDirectories()
    {
        const QString home = m_root.filePath(QStringLiteral("home"));
        const QByteArray savedHome = qgetenv("HOME");
        qputenv("HOME", home.toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", "");
        writeIni(home + QLatin1String("/.config"), QStringLiteral("HKCU.ini"),
                "[Software]\nA=home\n");
        QCOMPARE(read(QStringLiteral("HKCU\\Software"), QStringLiteral("A")),
                QStringLiteral("home"));
        // A relative directory is no configuration directory.
        qputenv("XDG_CONFIG_HOME", "config");
        QCOMPARE(read(QStringLiteral("HKCU\\Software"), QStringLiteral("A")),
                QStringLiteral("home"));
        qputenv("HOME", savedHome);
    }

    void missingAndEmptyValues()
    {
        const QString key = QStringLiteral("HKLM\\SOFTWARE\\Zemworks\\Grabbit");
        QCOMPARE(read(key, QStringLiteral("InstallPath")), QString());

        writeIni(systemDir(1), QStringLiteral("HKLM.ini"),
                "[SOFTWARE/Zemworks/Grabbit]\nEmpty=\nQuoted=\"  spaced  \"\nNoEquals\n"
                "[SOFTWARE/Zemworks/Other]\nInstallPath=/elsewhere\n"
                "[SOFTWARE\\Zemworks\\Backslashed]\n@=default value\n");
        QCOMPARE(read(key, QStringLiteral("InstallPath")), QString());
        QCOMPARE(read(key, QStringLiteral("NoEquals")), QString());
        QCOMPARE(read(QStringLiteral("HKLM\\SOFTWARE\\Zemworks\\Missing"), QStringLiteral("Empty")),
                QString());
        QCOMPARE(read(key, QStringLiteral("Empty")), QString());
        QCOMPARE(read(key, QStringLiteral("Quoted")), QStringLiteral("  spaced  "));
        QCOMPARE(read(QStringLiteral("HKLM\\SOFTWARE\\Zemworks\\Backslashed"), QString()),
                QStringLiteral("default value"));

        // An empty value found in the 64-bit view decides; the 32-bit one is not consulted.
        writeIni(systemDir(1), QStringLiteral("HKLM-32.ini"),
                "[SOFTWARE/Zemworks/Grabbit]\nEmpty=32\n");
        QCOMPARE(read(key, QStringLiteral("Empty")), QString());
        QCOMPARE(read(key, QStringLiteral("Empty"), RegistryUtils::Force32), QStringLiteral("32"));

        // A hive that cannot be read is the same as a missing one.
        QVERIFY(QDir().mkpath(userDir() + QLatin1String("/registry/HKCU.ini")));
        QCOMPARE(read(QStringLiteral("HKCU\\Software"), QStringLiteral("A")), QString());
    }

    void triesViewsInOrder()
    {
        QCOMPARE(RegistryRules::viewsFor(RegistryUtils::All),
                (QList<View> { View::Wow64Key64, View::Wow64Key32, View::Default }));
        QCOMPARE(RegistryRules::viewsFor(RegistryUtils::Force64), QList<View> { View::Wow64Key64 });
        QCOMPARE(RegistryRules::viewsFor(RegistryUtils::Force32), QList<View> { View::Wow64Key32 });
        QCOMPARE(
                RegistryRules::viewsFor(RegistryUtils::DefaultView), QList<View> { View::Default });
        QCOMPARE(RegistryRules::viewsFor(7), RegistryRules::viewsFor(RegistryUtils::All));
        QCOMPARE(RegistryRules::viewsFor(-1), RegistryRules::viewsFor(RegistryUtils::All));

        const QString key = QStringLiteral("HKLM\\SOFTWARE\\Zemworks\\MaveloManager");
        writeIni(systemDir(1), QStringLiteral("HKLM-32.ini"),
                "[SOFTWARE/Zemworks/MaveloManager]\nOnly32=thirty-two\nBoth=from 32\n");
        writeIni(systemDir(1), QStringLiteral("HKLM.ini"),
                "[SOFTWARE/Zemworks/MaveloManager]\nBoth=from 64\n");

        QCOMPARE(read(key, QStringLiteral("Only32")), QStringLiteral("thirty-two"));
        QCOMPARE(RegistryUtils::instance()->readRegistryString(key, QStringLiteral("Only32")),
                QStringLiteral("thirty-two"));
        QCOMPARE(read(key, QStringLiteral("Only32"), RegistryUtils::Force32),
                QStringLiteral("thirty-two"));
        QCOMPARE(read(key, QStringLiteral("Only32"), RegistryUtils::Force64), QString());
        QCOMPARE(read(key, QStringLiteral("Only32"), RegistryUtils::DefaultView), QString());
        QCOMPARE(read(key, QStringLiteral("Only32"), RegistryUtils::ViewMode(9)),
                QStringLiteral("thirty-two"));

        QCOMPARE(read(key, QStringLiteral("Both")), QStringLiteral("from 64"));
        QCOMPARE(read(key, QStringLiteral("Both"), RegistryUtils::Force32),
                QStringLiteral("from 32"));
        QCOMPARE(read(key, QStringLiteral("Both"), RegistryUtils::DefaultView),
                QStringLiteral("from 64"));
    }

    void expandsEnvironmentReferences()
    {
        qputenv("INKLY_TEST_ROOT", "/srv/zem");
        qputenv("INKLY_TEST_EMPTY", "");
        qunsetenv("INKLY_TEST_UNSET");

        writeIni(userDir(), QStringLiteral("HKCU.ini"),
                "[Software/Zemworks]\n"
                "Expanded=@expand:%INKLY_TEST_ROOT%/bin/%INKLY_TEST_ROOT%\n"
                "Unset=@expand:%INKLY_TEST_UNSET%/bin\n"
                "Plain=%INKLY_TEST_ROOT%/bin\n"
                "PlainPrefix=@Expand:%INKLY_TEST_ROOT%\n");
        const QString key = QStringLiteral("HKCU\\Software\\Zemworks");
        QCOMPARE(read(key, QStringLiteral("Expanded")), QStringLiteral("/srv/zem/bin//srv/zem"));
        QCOMPARE(read(key, QStringLiteral("Unset")), QStringLiteral("%INKLY_TEST_UNSET%/bin"));
        // Only expandable strings are expanded.
        QCOMPARE(read(key, QStringLiteral("Plain")), QStringLiteral("%INKLY_TEST_ROOT%/bin"));
        QCOMPARE(read(key, QStringLiteral("PlainPrefix")),
                QStringLiteral("@Expand:%INKLY_TEST_ROOT%"));

        // Expansion reads the environment at the time of the read.
        qputenv("INKLY_TEST_UNSET", "late");
        QCOMPARE(read(key, QStringLiteral("Unset")), QStringLiteral("late/bin"));
        qunsetenv("INKLY_TEST_UNSET");

        using RegistryRules::expandEnvironmentReferences;
        QCOMPARE(expandEnvironmentReferences(QStringLiteral("100%")), QStringLiteral("100%"));
        QCOMPARE(expandEnvironmentReferences(QStringLiteral("%%")), QStringLiteral("%%"));
        QCOMPARE(expandEnvironmentReferences(QStringLiteral("a%INKLY_TEST_EMPTY%b")),
                QStringLiteral("ab"));
        QCOMPARE(expandEnvironmentReferences(QStringLiteral("%INKLY_TEST_UNSET%INKLY_TEST_ROOT%")),
                QStringLiteral("%INKLY_TEST_UNSET/srv/zem"));
        QCOMPARE(expandEnvironmentReferences(QStringLiteral("50% of %INKLY_TEST_ROOT")),
                QStringLiteral("50% of %INKLY_TEST_ROOT"));
    }
};

QTEST_GUILESS_MAIN(TestRegistryUtils)
#include "tst_registryutils.moc"
