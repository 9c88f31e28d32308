#include "FileUtils.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestFileUtils : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    FileUtils *m_files = nullptr;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    static void write(const QString &filePath, const QByteArray &content)
    {
        QFile file(filePath);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_files = FileUtils::instance();
    }

    void mapsResourceUrls()
    {
        QCOMPARE(FileUtils::mapResourcePath(QStringLiteral("qrc:/a/b")), QStringLiteral(":/a/b"));
        QCOMPARE(
                FileUtils::mapResourcePath(QStringLiteral("QRC:/a/b")), QStringLiteral("QRC:/a/b"));
        QCOMPARE(FileUtils::mapResourcePath(QStringLiteral("/tmp/qrc:/a")),
                QStringLiteral("/tmp/qrc:/a"));

        const QString url = QStringLiteral("qrc:/qt/qml/Zem/Inkly/qmldir");
        const QString text = m_files->readFile(url);
        QVERIFY2(text.contains(QLatin1String("module Zem.Inkly")), qPrintable(text));
        QCOMPARE(text, m_files->readFile(QStringLiteral(":/qt/qml/Zem/Inkly/qmldir")));
        QVERIFY(m_files->fileExists(url));
        QVERIFY(m_files->fileExists(QStringLiteral("qrc:/qt/qml/Zem/Inkly")));
        QVERIFY(m_files->listFiles(QStringLiteral("qrc:/qt/qml/Zem/Inkly"))
                        .contains(QLatin1String("qmldir")));

        // An upper-case scheme is a relative file path that does not exist.
        const QString upper = QStringLiteral("QRC:/qt/qml/Zem/Inkly/qmldir");
        QTest::ignoreMessage(QtWarningMsg,
                QRegularExpression(QStringLiteral("Failed to open file: QRC:/qt/qml/Zem/"
                                                  "Inkly/qmldir Error: .+")));
        QCOMPARE(m_files->readFile(upper), QString());
        QVERIFY(!m_files->fileExists(upper));
    }

    void readsFiles()
    {
        const QByteArray content = "첫 줄\n<svg fill=\"#fff\"/>\n";
        write(path(QStringLiteral("icon.svg")), content);
        QCOMPARE(m_files->readFile(path(QStringLiteral("icon.svg"))), QString::fromUtf8(content));
        // Text mode: line ends come back as '\n'.
        write(path(QStringLiteral("crlf.txt")), "a\r\nb\r\n");
        QCOMPARE(m_files->readFile(path(QStringLiteral("crlf.txt"))), QStringLiteral("a\nb\n"));

        write(path(QStringLiteral("empty.txt")), QByteArray());
        QCOMPARE(m_files->readFile(path(QStringLiteral("empty.txt"))), QString());
        QVERIFY(m_files->fileExists(path(QStringLiteral("empty.txt"))));

        const QString missing = path(QStringLiteral("missing.txt"));
        QTest::ignoreMessage(QtWarningMsg,
                QRegularExpression(QStringLiteral("^\\[FileUtils\\] Failed to open file: ")
                        + QRegularExpression::escape(missing) + QStringLiteral(" Error: .+")));
        QCOMPARE(m_files->readFile(missing), QString());
        QVERIFY(!m_files->fileExists(missing));

        // Tests run as root, so a mode bit cannot make a file unreadable: a
        // directory where the file is expected and a dangling link stand in.
        const QString directory = path(QStringLiteral("folder.svg"));
        QVERIFY(QDir().mkpath(directory));
        QTest::ignoreMessage(QtWarningMsg,
                QRegularExpression(QStringLiteral("Failed to open file: .*folder\\.svg Error: ")));
        QCOMPARE(m_files->readFile(directory), QString());
        QVERIFY(m_files->fileExists(directory));

        const QString dangling = path(QStringLiteral("dangling.svg"));
        QVERIFY(QFile::link(path(QStringLiteral("gone.svg")), dangling));
        QTest::ignoreMessage(QtWarningMsg,
                QRegularExpression(
                        QStringLiteral("Failed to open file: .*dangling\\.svg Error: ")));
        QCOMPARE(m_files->readFile(dangling), QString());
        QVERIFY(!m_files->fileExists(dangling));
    }

    void listsRegularFilesSorted()
    {
        const QString dir = path(QStringLiteral("list"));
        QVERIFY(QDir().mkpath(dir + QLatin1String("/sub.txt")));
        write(dir + QLatin1String("/b.txt"), "b");
        write(dir + QLatin1String("/A.txt"), "a");
        write(dir + QLatin1String("/c.png"), "c");
        write(dir + QLatin1String("/D.PNG"), "d");
        write(dir + QLatin1String("/.hidden.txt"), "h");
        QVERIFY(QFile::link(dir + QLatin1String("/nowhere"), dir + QLatin1String("/broken.txt")));

        QCOMPARE(m_files->listFiles(dir), (QStringList { "A.txt", "b.txt", "c.png", "D.PNG" }));
        QCOMPARE(m_files->listFiles(dir, {}), m_files->listFiles(dir));
        QCOMPARE(m_files->listFiles(dir, { QStringLiteral("*.txt") }),
                (QStringList { "A.txt", "b.txt" }));
        QCOMPARE(m_files->listFiles(dir, { QStringLiteral("*.png") }),
                (QStringList { "c.png", "D.PNG" }));
        QCOMPARE(m_files->listFiles(dir, { QStringLiteral("*.png"), QStringLiteral("b*") }),
                (QStringList { "b.txt", "c.png", "D.PNG" }));
        QCOMPARE(m_files->listFiles(dir, { QStringLiteral("*.svg") }), QStringList());

        const QString missing = path(QStringLiteral("no/such/dir"));
        QTest::ignoreMessage(QtWarningMsg,
                QRegularExpression(QStringLiteral("^\\[FileUtils\\] Directory does not exist: ")
                        + QRegularExpression::escape(missing) + QLatin1Char('$')));
        QCOMPARE(m_files->listFiles(missing), QStringList());

        QTest::ignoreMessage(QtWarningMsg,
                QRegularExpression(QStringLiteral("Directory does not exist: .*b\\.txt$")));
        QCOMPARE(m_files->listFiles(dir + QLatin1String("/b.txt")), QStringList());

        // An empty path must not fall through to the working directory.
        QTest::ignoreMessage(
                QtWarningMsg, QRegularExpression(QStringLiteral("Directory does not exist: $")));
        QCOMPARE(m_files->listFiles(QString()), QStringList());
    }

    void buildsFileUrls()
    {
        const QUrl url = m_files->toFileUrl(QStringLiteral("/opt/Inkly/License file.txt"));
        QVERIFY(url.isLocalFile());
        QCOMPARE(url.toString(), QStringLiteral("file:///opt/Inkly/License file.txt"));
        QCOMPARE(url.toEncoded(), QByteArray("file:///opt/Inkly/License%20file.txt"));
        QCOMPARE(m_files->toFileUrl(QString()), QUrl());
    }
};

QTEST_GUILESS_MAIN(TestFileUtils)
#include "tst_fileutils.moc"
