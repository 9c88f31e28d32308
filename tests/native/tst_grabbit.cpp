#include "Grabbit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestGrabbit : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;

    QString systemDir() const { return m_root.filePath(QStringLiteral("etc-xdg")); }
    QString installDir() const { return m_root.filePath(QStringLiteral("programs")); }

    void writeRegistry(const QString &name, const QByteArray &content) const
    {
        QVERIFY(QDir().mkpath(systemDir() + QLatin1String("/registry")));
        QFile file(systemDir() + QLatin1String("/registry/") + name);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    // A stand-in program that writes its arguments, one a line, to
    // "<name>.args" and then renames it into place, so a reader never sees
    // half a file.
    void writeProgram(const QString &name, bool executable) const
    {
        QVERIFY(QDir().mkpath(installDir()));
        const QString path = QDir(installDir()).filePath(name);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("#!/bin/sh\n"
                   ": > \"$0.tmp\"\n"
                   "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$0.tmp\"; done\n"
                   "mv \"$0.tmp\" \"$0.args\"\n");
        file.close();
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            permissions |= QFile::ExeOwner;
        QVERIFY(file.setPermissions(permissions));
    }

    QString argsPath(const QString &name) const
    {
        return QDir(installDir()).filePath(name + QLatin1String(".args"));
    }

    QByteArray recordedArgs(const QString &name) const
    {
        QFile file(argsPath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }

    QByteArray bothKeys(const QByteArray &grabbitDir, const QByteArray &managerDir) const
    {
        return "[SOFTWARE/Zemworks/Grabbit]\nRootDir=" + grabbitDir
                + "\n[SOFTWARE/Zemworks/MaveloManager]\nRootDir=" + managerDir + "\n";
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        qputenv("XDG_CONFIG_DIRS", systemDir().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_root.filePath(QStringLiteral("home-config")).toLocal8Bit());
    }

    void init()
    {
        QVERIFY(QDir(systemDir()).removeRecursively());
        QVERIFY(QDir(installDir()).removeRecursively());
    }

    void launchesAnInstalledProduct()
    {
        writeProgram(QStringLiteral("Grabbit"), true);
        writeRegistry(QStringLiteral("HKLM.ini"), bothKeys(installDir().toUtf8(), "/nowhere"));

        Grabbit *const grabbit = Grabbit::instance();
        const QString expected = QDir(installDir()).filePath(QStringLiteral("Grabbit"));
        QCOMPARE(grabbit->readGrabbitPath(), expected);
        QVERIFY(grabbit->isGrabbitInstalled());
        QVERIFY(!grabbit->isMaveloManagerInstalled());

        QTest::ignoreMessage(QtInfoMsg,
                qPrintable(QLatin1String("[Grabbit] Grabbit executable path: ") + expected));
        QVERIFY(grabbit->launchGrabbit());
        QTRY_COMPARE(recordedArgs(QStringLiteral("Grabbit")), QByteArray());

        // Installing what is there starts nothing, even without the manager.
        QTest::ignoreMessage(QtInfoMsg,
                qPrintable(QLatin1String("[Grabbit] Grabbit is already installed. path: ")
                        + expected));
        QVERIFY(grabbit->installGrabbit());
    }

    void installsThroughTheManager()
    {
        // Only the 32-bit view knows the manager, through an expandable string.
        writeProgram(QStringLiteral("MaveloManager"), true);
        qputenv("INKLY_TEST_PROGRAMS", installDir().toLocal8Bit());
        writeRegistry(QStringLiteral("HKLM-32.ini"),
                "[SOFTWARE/Zemworks/MaveloManager]\nRootDir=@expand:%INKLY_TEST_PROGRAMS%\n");

        Grabbit *const grabbit = Grabbit::instance();
        QVERIFY(!grabbit->isGrabbitInstalled());
        const QString manager = QDir(installDir()).filePath(QStringLiteral("MaveloManager"));
        QCOMPARE(grabbit->readMaveloManagerPath(), manager);

        QTest::ignoreMessage(QtInfoMsg, "[Grabbit] Grabbit is not installed.");
        QTest::ignoreMessage(QtInfoMsg,
                qPrintable(QLatin1String("[Grabbit] MaveloManager executable path: ") + manager));
        QVERIFY(grabbit->installGrabbit());
        QTRY_COMPARE(
                recordedArgs(QStringLiteral("MaveloManager")), QByteArray("--install\ngrabbit\n"));
    }

    void missingOrUnusableInstallsCountAsAbsent()
    {
        Grabbit *const grabbit = Grabbit::instance();

        // No key at all.
        QTest::ignoreMessage(QtInfoMsg, "[Grabbit] Grabbit is not installed.");
        QVERIFY(!grabbit->launchGrabbit());
        QTest::ignoreMessage(QtInfoMsg, "[Grabbit] Grabbit is not installed.");
        QTest::ignoreMessage(QtInfoMsg, "[Grabbit] MaveloManager executable path: ");
        QVERIFY(!grabbit->installGrabbit());

        // Keys without a RootDir value, or with an empty one.
        writeRegistry(QStringLiteral("HKLM.ini"),
                "[SOFTWARE/Zemworks/Grabbit]\nInstallDir=" + installDir().toUtf8()
                        + "\n[SOFTWARE/Zemworks/MaveloManager]\nRootDir=\n");
        writeProgram(QStringLiteral("Grabbit"), true);
        writeProgram(QStringLiteral("MaveloManager"), true);
        QVERIFY(!grabbit->isGrabbitInstalled());
        QVERIFY(!grabbit->isMaveloManagerInstalled());

        // Files named like the programs that cannot be run, and a directory.
        writeRegistry(
                QStringLiteral("HKLM.ini"), bothKeys(installDir().toUtf8(), installDir().toUtf8()));
        writeProgram(QStringLiteral("Grabbit"), false);
        writeProgram(QStringLiteral("MaveloManager"), false);
        QVERIFY(!grabbit->isGrabbitInstalled());
        QVERIFY(!grabbit->isMaveloManagerInstalled());
        QTest::ignoreMessage(QtInfoMsg, "[Grabbit] Grabbit is not installed.");
        QVERIFY(!grabbit->launchGrabbit());
        QTest::ignoreMessage(QtInfoMsg, "[Grabbit] Grabbit is not installed.");
        QTest::ignoreMessage(QtInfoMsg, "[Grabbit] MaveloManager executable path: ");
        QVERIFY(!grabbit->installGrabbit());

        QVERIFY(QFile::remove(QDir(installDir()).filePath(QStringLiteral("Grabbit"))));
        QVERIFY(QDir(installDir()).mkdir(QStringLiteral("Grabbit")));
        QVERIFY(!grabbit->isGrabbitInstalled());

        QVERIFY(!QFile::exists(argsPath(QStringLiteral("Grabbit"))));
        QVERIFY(!QFile::exists(argsPath(QStringLiteral("MaveloManager"))));
    }
};

QTEST_GUILESS_MAIN(TestGrabbit)
#include "tst_grabbit.moc"
