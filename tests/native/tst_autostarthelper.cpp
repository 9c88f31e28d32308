#include "app/AutoStartHelper.h"
#include "tests/native/TestFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

class TestAutoStartHelper : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;

    QString entryPath() const { return m_config.filePath(QStringLiteral("autostart/Inkly.desktop")); }

    QByteArray readEntry() const { return TestFiles::read(entryPath()); }

    QStringList storedCommand() const
    {
        bool ok = false;
        const QStringList command = AutoStartHelper::parseExecLine(AutoStartHelper::execValueOf(QString::fromUtf8(readEntry())), &ok);
        return ok ? command : QStringList { QStringLiteral("<unterminated>") };
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    }

    void execLine_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("exec");
        QTest::newRow("blanks") << "/opt/My Apps/inkly"
                                << "--autostart"
                                << "\"/opt/My Apps/inkly\" --autostart";
        QTest::newRow("quotes") << "/tmp/it's \"odd\"/inkly"
                                << "--autostart"
                                << "\"/tmp/it's \\\\\"odd\\\\\"/inkly\" --autostart";
        QTest::newRow("backslash") << "/tmp/back\\slash/inkly"
                                   << ""
                                   << "\"/tmp/back\\\\\\\\slash/inkly\"";
        QTest::newRow("shell and field codes") << "/tmp/$HOME/`id`/100%/inkly"
                                               << ""
                                               << "\"/tmp/\\\\$HOME/\\\\`id\\\\`/100%%/inkly\"";
        QTest::newRow("control characters") << "/tmp/new\nline\ttab/inkly"
                                            << ""
                                            << "\"/tmp/new\\nline\\ttab/inkly\"";
        QTest::newRow("arguments with blanks") << "/usr/bin/inkly"
                                               << "--open \"my file;1\" 50%"
                                               << "\"/usr/bin/inkly\" --open \"my file;1\" 50%%";
    }

    // What is written reads back as the same program and arguments.
    void execLine()
    {
        QFETCH(QString, program);
        QFETCH(QString, args);
        QFETCH(QString, exec);
        const QString built = AutoStartHelper::buildExecLine(program, args);
        QCOMPARE(built, exec);
        bool ok = false;
        QCOMPARE(AutoStartHelper::parseExecLine(built, &ok), QStringList { program } + AutoStartHelper::splitArguments(args));
        QVERIFY(ok);
        QVERIFY(AutoStartHelper::sameExecLine(built, program, args));
        QVERIFY(!AutoStartHelper::sameExecLine(built, program + QLatin1Char('x'), args));
        QVERIFY(!AutoStartHelper::sameExecLine(built, program, args + QStringLiteral(" --more")));
        QCOMPARE(AutoStartHelper::execValueOf(AutoStartHelper::desktopEntry(QStringLiteral("Inkly"), program, args)), exec);
    }

    void damagedEntries()
    {
        bool ok = true;
        QVERIFY(AutoStartHelper::parseExecLine(QStringLiteral("\"/usr/bin/inkly --autostart"), &ok).isEmpty());
        QVERIFY(!ok);
        QVERIFY(AutoStartHelper::sameExecLine(
                QStringLiteral("  /usr/bin/inkly   --autostart "), QStringLiteral("/usr/bin/inkly"), QStringLiteral("--autostart")));
        // Only the Exec of the [Desktop Entry] group counts.
        QCOMPARE(AutoStartHelper::execValueOf(QStringLiteral("[Desktop Action x]\nExec=/bin/a\n"
                                                             "[Desktop Entry]\n# Exec=/bin/b\r\nExecX=/bin/c\nExec = /bin/d --e\r\n")),
                QStringLiteral("/bin/d --e"));
        // The Run key data the Windows backend builds: Windows paths ignore case.
        const QString data = QStringLiteral("\"C:\\Program Files\\Inkly\\Inkly.exe\" --autostart");
        QVERIFY(AutoStartHelper::sameCommandLine(data.toLower(), data) && !AutoStartHelper::sameCommandLine(data, data.toUpper()));
    }

    void registration()
    {
        AutoStartHelper *helper = AutoStartHelper::instance();
        const QString program = QCoreApplication::applicationFilePath();
        // Someone else's entry under our name counts, and is ours to replace.
        QVERIFY(!helper->isEnabled());
        QVERIFY(TestFiles::write(entryPath(), "[Desktop Entry]\nType=Application\nName=Other\nExec=/usr/bin/other --flag\n"));
        QVERIFY(helper->isEnabled());
        QVERIFY(helper->enable(QStringLiteral("--autostart")));
        QVERIFY(readEntry().startsWith("[Desktop Entry]\n") && readEntry().contains("\nType=Application\n"));
        QCOMPARE(storedCommand(), QStringList({ program, QStringLiteral("--autostart") }));
        QVERIFY(helper->disable());
        QVERIFY(!helper->isEnabled() && !QFileInfo::exists(entryPath()));

        // A file where the directory should be, a directory in the entry's place.
        QVERIFY(QDir(m_config.filePath(QStringLiteral("autostart"))).removeRecursively());
        for (const QString &blocker : { m_config.filePath(QStringLiteral("autostart")), entryPath() }) {
            if (blocker == entryPath())
                QVERIFY(QDir().mkpath(blocker));
            else
                QVERIFY(QFile(blocker).open(QIODevice::WriteOnly));
            QVERIFY(!helper->enable(QStringLiteral("--autostart")));
            QCOMPARE(helper->errorString(), QStringLiteral("Failed to write registry entry"));
            QVERIFY(!helper->isEnabled());
            QVERIFY(helper->disable());
            QCOMPARE(helper->errorString(), QString()); // cleared by every call
            QVERIFY(QFile::remove(blocker) || QDir(m_config.filePath(QStringLiteral("autostart"))).removeRecursively());
        }

        // A directory that cannot be written: the entry stays and both
        // operations say so. Root writes anyway, so a child gives it up.
        const QByteArray foreign = "[Desktop Entry]\nType=Application\nName=Inkly\nExec=/usr/bin/other\n";
        QVERIFY(TestFiles::write(entryPath(), foreign));
        const QString directory = m_config.filePath(QStringLiteral("autostart"));
        QCOMPARE(::chmod(QFile::encodeName(m_config.path()).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(directory).constData(), 0555), 0);
        QStringList results;
        for (const QString &operation : { QStringLiteral("disable"), QStringLiteral("enable") }) {
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("INKLY_AUTOSTART_CHILD"), operation);
            child.setProcessEnvironment(env);
            child.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(child.waitForFinished(30000));
            results << QString::fromLocal8Bit(child.readAllStandardOutput());
        }
        ::chmod(QFile::encodeName(directory).constData(), 0700);
        ::chmod(QFile::encodeName(m_config.path()).constData(), 0700);
        if (results.first() == QLatin1String("cannot drop privileges"))
            QSKIP("cannot give up root here, so permissions do not stop writes");
        QCOMPARE(results, QStringList({ "false|Failed to remove registry entry", "false|Failed to write registry entry" }));
        QCOMPARE(readEntry(), foreign);
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Zemworks"));
    QCoreApplication::setApplicationName(QStringLiteral("Inkly"));
    // Child mode: one operation as an ordinary user, printing "<result>|<errorString>".
    const QByteArray operation = qgetenv("INKLY_AUTOSTART_CHILD");
    if (!operation.isEmpty()) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            std::fputs("cannot drop privileges", stdout);
            return 2;
        }
        AutoStartHelper *const helper = AutoStartHelper::instance();
        const bool result = operation == "disable" ? helper->disable() : helper->enable(QStringLiteral("--autostart"));
        std::fputs(qPrintable((result ? QStringLiteral("true|") : QStringLiteral("false|")) + helper->errorString()), stdout);
        return 0;
    }
    TestAutoStartHelper test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_autostarthelper.moc"
