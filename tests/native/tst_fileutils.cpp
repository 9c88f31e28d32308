#include "storage/FileUtils.h"
#include "tests/native/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestFileUtils : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsAndLists()
    {
        QTemporaryDir dir;
        FileUtils *files = FileUtils::instance();
        // Resources by their qrc: URL; an upper-case scheme is a relative path.
        QVERIFY(files->readFile(QStringLiteral("qrc:/qt/qml/Zem/Inkly/qmldir")).contains(QLatin1String("module Zem.Inkly")));
        QVERIFY(files->listFiles(QStringLiteral("qrc:/qt/qml/Zem/Inkly")).contains(QLatin1String("qmldir")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^\\[FileUtils\\] Failed to open file: QRC:/qt/qml/Zem/Inkly/qmldir Error: .+"));
        QCOMPARE(files->readFile(QStringLiteral("QRC:/qt/qml/Zem/Inkly/qmldir")), QString());

        // Text mode, UTF-8; a directory or a dangling link in a file's place reads as nothing.
        QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("crlf.txt")), "첫 줄\r\nb\r\n"));
        QCOMPARE(files->readFile(dir.filePath(QStringLiteral("crlf.txt"))), QStringLiteral("첫 줄\nb\n"));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("folder.svg"))));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone.svg")), dir.filePath(QStringLiteral("dangling.svg"))));
        for (const QString &name : { QStringLiteral("missing.svg"), QStringLiteral("folder.svg"), QStringLiteral("dangling.svg") }) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^\\[FileUtils\\] Failed to open file: .*" + name + " Error: .+"));
            QCOMPARE(files->readFile(dir.filePath(name)), QString());
        }
        QVERIFY(!files->fileExists(dir.filePath(QStringLiteral("dangling.svg"))));

        // Regular visible files only, sorted regardless of case.
        for (const char *name : { "b.txt", "A.txt", "c.png", "D.PNG", ".hidden.txt" })
            QVERIFY(TestFiles::write(dir.filePath(QString::fromLatin1(name)), "x"));
        QCOMPARE(files->listFiles(dir.path()), (QStringList { "A.txt", "b.txt", "c.png", "crlf.txt", "D.PNG" }));
        QCOMPARE(files->listFiles(dir.path(), { QStringLiteral("*.png"), QStringLiteral("b*") }), (QStringList { "b.txt", "c.png", "D.PNG" }));
        // An empty path must not fall through to the working directory.
        for (const QString &missing : { dir.filePath(QStringLiteral("no/such")), dir.filePath(QStringLiteral("b.txt")), QString() }) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^\\[FileUtils\\] Directory does not exist: " + QRegularExpression::escape(missing) + '$'));
            QCOMPARE(files->listFiles(missing), QStringList());
        }
        QCOMPARE(files->toFileUrl(QStringLiteral("/opt/Inkly/License file.txt")).toEncoded(), QByteArray("file:///opt/Inkly/License%20file.txt"));
        QCOMPARE(files->toFileUrl(QString()), QUrl());
    }
};

QTEST_GUILESS_MAIN(TestFileUtils)
#include "tst_fileutils.moc"
