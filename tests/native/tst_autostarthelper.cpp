#include "AutoStartHelper.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Child mode: runs one operation and prints "<result>|<errorString>". With
// INKLY_AUTOSTART_AS_NOBODY it first gives up root, whose writes no
// permission bit can stop.
int runChild(const QByteArray &operation)
{
    if (qEnvironmentVariableIsSet("INKLY_AUTOSTART_AS_NOBODY") && ::geteuid() == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            std::fputs("cannot drop privileges", stdout);
            return 2;
        }
    }
    AutoStartHelper *const helper = AutoStartHelper::instance();
    const bool result = operation == "disable" ? helper->disable()
                                               : helper->enable(QStringLiteral("--autostart"));
    std::fputs(qPrintable((result ? QStringLiteral("true|") : QStringLiteral("false|"))
                       + helper->errorString()),
            stdout);
    return 0;
}

} // namespace

class TestAutoStartHelper : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;
    AutoStartHelper *m_helper = nullptr;

    QString entryPath() const
    {
        return m_config.filePath(QStringLiteral("autostart/Inkly.desktop"));
    }

    QString readEntry() const
    {
        QFile file(entryPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    void writeEntry(const QByteArray &content)
    {
        QVERIFY(QDir().mkpath(m_config.filePath(QStringLiteral("autostart"))));
        QFile file(entryPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    QStringList storedCommand() const
    {
        bool ok = false;
        const QStringList command
                = AutoStartHelper::parseExecLine(AutoStartHelper::execValueOf(readEntry()), &ok);
        return ok ? command : QStringList { QStringLiteral("<unterminated>") };
    }

    QString runChildProcess(const QString &program, const QString &operation, bool asNobody)
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("INKLY_AUTOSTART_CHILD"), operation);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        if (asNobody)
            env.insert(QStringLiteral("INKLY_AUTOSTART_AS_NOBODY"), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.start(program, {});
        if (!child.waitForFinished(30000)) {
            child.kill();
            child.waitForFinished();
            return QStringLiteral("timed out");
        }
        return QString::fromLocal8Bit(child.readAllStandardOutput());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        m_helper = AutoStartHelper::instance();
    }

    void init()
    {
        QDir(m_config.filePath(QStringLiteral("autostart"))).removeRecursively();
        QFile::remove(m_config.filePath(QStringLiteral("autostart")));
    }

    void runKeyData()
    {
        // The data is built by the Windows backend and checked under Wine.
        const QString data
                = QStringLiteral("\"C:\\Program Files\\Zemworks\\Inkly\\Inkly.exe\" --autostart");
        QVERIFY(AutoStartHelper::sameCommandLine(data, data));
        QVERIFY(AutoStartHelper::sameCommandLine(
                data.toLower(), data)); // Windows paths ignore case
        QVERIFY(!AutoStartHelper::sameCommandLine(
                data, data.left(data.lastIndexOf(QLatin1Char(' '))))); // the quoted path alone
        QVERIFY(!AutoStartHelper::sameCommandLine(data, data.toUpper()));
        QVERIFY(!AutoStartHelper::sameCommandLine(
                QStringLiteral("C:\\Other.exe --autostart"), data));
    }

    void execLine_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("exec");

        QTest::newRow("blanks") << QStringLiteral("/opt/My Apps/inkly")
                                << QStringLiteral("--autostart")
                                << QStringLiteral("\"/opt/My Apps/inkly\" --autostart");
        QTest::newRow("no arguments") << QStringLiteral("/usr/bin/inkly") << QString()
                                      << QStringLiteral("\"/usr/bin/inkly\"");
        QTest::newRow("quotes") << QStringLiteral("/tmp/it's \"odd\"/inkly")
                                << QStringLiteral("--autostart")
                                << QStringLiteral(
                                           "\"/tmp/it's \\\\\"odd\\\\\"/inkly\" --autostart");
        QTest::newRow("backslash") << QStringLiteral("/tmp/back\\slash/inkly") << QString()
                                   << QStringLiteral("\"/tmp/back\\\\\\\\slash/inkly\"");
        QTest::newRow("shell and field codes")
                << QStringLiteral("/tmp/$HOME/`id`/100%/inkly") << QString()
                << QStringLiteral("\"/tmp/\\\\$HOME/\\\\`id\\\\`/100%%/inkly\"");
        QTest::newRow("control characters")
                << QStringLiteral("/tmp/new\nline\ttab/inkly") << QString()
                << QStringLiteral("\"/tmp/new\\nline\\ttab/inkly\"");
        QTest::newRow("arguments with blanks")
                << QStringLiteral("/usr/bin/inkly") << QStringLiteral("--open \"my file;1\" 50%")
                << QStringLiteral("\"/usr/bin/inkly\" --open \"my file;1\" 50%%");
    }

    void execLine()
    {
        QFETCH(QString, program);
        QFETCH(QString, args);
        QFETCH(QString, exec);

        const QString built = AutoStartHelper::buildExecLine(program, args);
        QCOMPARE(built, exec);
        QVERIFY(!built.contains(QLatin1Char('\n')));

        bool ok = false;
        QCOMPARE(AutoStartHelper::parseExecLine(built, &ok),
                QStringList { program } + AutoStartHelper::splitArguments(args));
        QVERIFY(ok);
        QVERIFY(AutoStartHelper::sameExecLine(built, program, args));
        QVERIFY(!AutoStartHelper::sameExecLine(built, program + QLatin1Char('x'), args));
        QVERIFY(!AutoStartHelper::sameExecLine(built, program, args + QStringLiteral(" --more")));

        const QString entry = AutoStartHelper::desktopEntry(QStringLiteral("Inkly"), program, args);
        QCOMPARE(AutoStartHelper::execValueOf(entry), exec);
    }

    void damagedEntries()
    {
        bool ok = true;
        QVERIFY(AutoStartHelper::parseExecLine(QStringLiteral("\"/usr/bin/inkly --autostart"), &ok)
                        .isEmpty());
        QVERIFY(!ok);
        QVERIFY(!AutoStartHelper::sameExecLine(
                QStringLiteral("\"/usr/bin/inkly"), QStringLiteral("/usr/bin/inkly"), QString()));
        QVERIFY(AutoStartHelper::sameExecLine(QStringLiteral("  /usr/bin/inkly   --autostart "),
                QStringLiteral("/usr/bin/inkly"), QStringLiteral("--autostart")));

        // Only the Exec of the [Desktop Entry] group counts.
        QCOMPARE(AutoStartHelper::execValueOf(
                         QStringLiteral("[Desktop Action x]\nExec=/bin/a\n"
                                        "[Desktop Entry]\n# Exec=/bin/b\r\nExecX=/bin/c\n"
                                        "Exec = /bin/d --e\r\n")),
                QStringLiteral("/bin/d --e"));
        QCOMPARE(AutoStartHelper::execValueOf(QStringLiteral("Exec=/bin/a\n")), QString());
    }

    void registration()
    {
        const QString program = QCoreApplication::applicationFilePath();
        QVERIFY(!m_helper->isEnabled());
        QVERIFY(m_helper->disable());
        QVERIFY(!QFileInfo::exists(m_config.filePath(QStringLiteral("autostart"))));

        QVERIFY(m_helper->enable(QStringLiteral("--autostart")));
        QCOMPARE(m_helper->errorString(), QString());
        QVERIFY(m_helper->isEnabled());
        const QStringList lines = readEntry().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.value(0), QStringLiteral("[Desktop Entry]"));
        QVERIFY(lines.contains(QStringLiteral("Type=Application")));
        QVERIFY(lines.contains(QStringLiteral("Name=Inkly")));
        QCOMPARE(storedCommand(), QStringList({ program, QStringLiteral("--autostart") }));

        QVERIFY(m_helper->enable(QStringLiteral("--autostart")));
        QVERIFY(m_helper->enable());
        QCOMPARE(storedCommand(), QStringList { program });

        QVERIFY(m_helper->disable());
        QVERIFY(!m_helper->isEnabled());
        QVERIFY(!QFileInfo::exists(entryPath()));

        // Someone else's entry under our name counts, and is ours to replace.
        writeEntry("[Desktop Entry]\nType=Application\nName=Other\nExec=/usr/bin/other --flag\n");
        QVERIFY(m_helper->isEnabled());
        QVERIFY(m_helper->enable(QStringLiteral("--autostart")));
        QCOMPARE(storedCommand(), QStringList({ program, QStringLiteral("--autostart") }));
        writeEntry("garbage");
        QVERIFY(m_helper->isEnabled());
        QVERIFY(m_helper->disable());
        QVERIFY(!m_helper->isEnabled());
    }

    void failures()
    {
        // A file where the autostart directory should be.
        QFile blocker(m_config.filePath(QStringLiteral("autostart")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(!m_helper->enable(QStringLiteral("--autostart")));
        QCOMPARE(m_helper->errorString(), QStringLiteral("Failed to write registry entry"));
        QVERIFY(!m_helper->isEnabled());
        QVERIFY(m_helper->disable());
        QCOMPARE(m_helper->errorString(), QString()); // cleared by every call
        QVERIFY(blocker.remove());

        // A directory in the entry's place is no registration and cannot be
        // replaced.
        QVERIFY(QDir().mkpath(entryPath()));
        QVERIFY(!m_helper->enable());
        QCOMPARE(m_helper->errorString(), QStringLiteral("Failed to write registry entry"));
        QVERIFY(!m_helper->isEnabled());
        QVERIFY(m_helper->disable());
        QVERIFY(QDir(entryPath()).removeRecursively());

        // A directory that cannot be written: the entry stays and both
        // operations say so.
        const QByteArray foreign
                = "[Desktop Entry]\nType=Application\nName=Inkly\nExec=/usr/bin/other\n";
        writeEntry(foreign);
        const QString directory = m_config.filePath(QStringLiteral("autostart"));
        QCOMPARE(::chmod(QFile::encodeName(m_config.path()).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(directory).constData(), 0555), 0);
        const QString self = QCoreApplication::applicationFilePath();
        const QString disabled = runChildProcess(self, QStringLiteral("disable"), true);
        const QString enabled = runChildProcess(self, QStringLiteral("enable"), true);
        ::chmod(QFile::encodeName(directory).constData(), 0700);
        ::chmod(QFile::encodeName(m_config.path()).constData(), 0700);
        if (disabled == QLatin1String("cannot drop privileges"))
            QSKIP("cannot give up root here, so permissions do not stop writes");
        QCOMPARE(disabled, QStringLiteral("false|Failed to remove registry entry"));
        QCOMPARE(enabled, QStringLiteral("false|Failed to write registry entry"));
        QCOMPARE(readEntry().toUtf8(), foreign);
    }

    void programPathWithBlanksAndQuotes()
    {
        QTemporaryDir apps;
        const QString directory = apps.filePath(QStringLiteral("My \"Odd\" $Apps"));
        QVERIFY(QDir().mkpath(directory));
        const QString program = directory + QStringLiteral("/it's inkly");
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), program));
        QVERIFY(QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner));

        QCOMPARE(
                runChildProcess(program, QStringLiteral("enable"), false), QStringLiteral("true|"));
        QCOMPARE(storedCommand(), QStringList({ program, QStringLiteral("--autostart") }));
        QVERIFY(readEntry().contains(QStringLiteral("Exec=\"") + apps.path()
                + QStringLiteral("/My \\\\\"Odd\\\\\" \\\\$Apps/it's inkly\" --autostart\n")));
        QVERIFY(m_helper->isEnabled());
        QCOMPARE(runChildProcess(program, QStringLiteral("disable"), false),
                QStringLiteral("true|"));
        QVERIFY(!m_helper->isEnabled());
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Zemworks"));
    QCoreApplication::setApplicationName(QStringLiteral("Inkly"));
    const QByteArray child = qgetenv("INKLY_AUTOSTART_CHILD");
    if (!child.isEmpty())
        return runChild(child);
    TestAutoStartHelper test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_autostarthelper.moc"
