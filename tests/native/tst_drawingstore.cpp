#include "DrawingStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

QVariantMap stroke(int points, double offset = 0)
{
    QVariantList list;
    for (int i = 0; i < points; ++i)
        list << QVariantMap{{QStringLiteral("x"), offset + i}, {QStringLiteral("y"), offset + i * 0.5}};
    return {{QStringLiteral("type"), QStringLiteral("stroke")},
            {QStringLiteral("drawingTool"), QStringLiteral("Pen")},
            {QStringLiteral("windowId"), QStringLiteral("DrawingOverlay_0")},
            {QStringLiteral("lineColor"),
             QVariantMap{{QStringLiteral("r"), 1.0}, {QStringLiteral("g"), 0.0},
                         {QStringLiteral("b"), 0.0}, {QStringLiteral("a"), 1.0}}},
            {QStringLiteral("lineWidth"), 5},
            {QStringLiteral("points"), list}};
}

// Child mode: saves a large drawing over and over until killed.
int runWriter()
{
    QVariantList items;
    for (int i = 0; i < 400; ++i)
        items << stroke(200, i);
    for (int round = 0;; ++round) {
        items[0] = stroke(200, round);
        DrawingStore::instance()->setDrawings(items);
    }
}

} // namespace

class TestDrawingStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_data;
    DrawingStore *m_store = nullptr;

    QString path() const { return m_data.filePath(QStringLiteral("Zemworks/Inkly/drawings.json")); }

    void writeFile(const QByteArray &content)
    {
        QDir().mkpath(QFileInfo(path()).absolutePath());
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    QJsonObject readFile() const
    {
        QFile file(path());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_data.isValid());
        qputenv("XDG_DATA_HOME", m_data.path().toLocal8Bit());
        m_store = DrawingStore::instance();
    }

    void init()
    {
        QFile::remove(path());
        m_store->reload();
    }

    void missingFileStaysMissingUntilFirstSave()
    {
        QVERIFY(m_store->getDrawings().isEmpty());
        QVERIFY(!QFile::exists(path()));

        m_store->setDrawings({});
        const QJsonObject written = readFile();
        QCOMPARE(written.value(QStringLiteral("version")).toInt(), 1);
        QVERIFY(written.value(QStringLiteral("items")).isArray());
        QCOMPARE(written.value(QStringLiteral("items")).toArray().size(), 0);
    }

    void roundTripKeepsItemsAndExtraKeys()
    {
        writeFile(R"({"version": 1, "items": [], "owner": {"name": "kept"}})");
        m_store->reload();

        const QVariantList items{stroke(3), stroke(1, 10)};
        m_store->setDrawings(items);
        m_store->setDrawings(items);

        const QJsonObject written = readFile();
        QCOMPARE(written.value(QStringLiteral("owner")).toObject().value(QStringLiteral("name")).toString(),
                 QStringLiteral("kept"));
        m_store->reload();
        const QVariantList loaded = m_store->getDrawings();
        QCOMPARE(loaded.size(), 2);
        const QVariantMap first = loaded.first().toMap();
        QCOMPARE(first.value(QStringLiteral("drawingTool")).toString(), QStringLiteral("Pen"));
        QCOMPARE(first.value(QStringLiteral("points")).toList().size(), 3);
        QCOMPARE(first.value(QStringLiteral("points")).toList().at(2).toMap().value(QStringLiteral("y")).toDouble(),
                 1.0);
        QCOMPARE(first.value(QStringLiteral("lineColor")).toMap().value(QStringLiteral("r")).toDouble(), 1.0);

        // The file is indented JSON, as people may read it.
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("\n    \"items\": ["));
    }

    void damagedFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("warning");

        QTest::newRow("empty") << QByteArray() << QStringLiteral("^\\[DrawingStore\\] JSON parse error: \".+\"$");
        QTest::newRow("not json") << QByteArray("{\"version\": 1, \"items\": [")
                                  << QStringLiteral("^\\[DrawingStore\\] JSON parse error: \".+\"$");
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe garbage", 12)
                                << QStringLiteral("^\\[DrawingStore\\] JSON parse error: ");
        QTest::newRow("array") << QByteArray("[1, 2, 3]") << QStringLiteral("^\\[DrawingStore\\] Invalid JSON structure$");
        QTest::newRow("version 2")
                << QByteArray(R"({"version": 2, "items": [{"type": "stroke"}]})")
                << QStringLiteral("^\\[DrawingStore\\] Version mismatch: saved= 2 current= 1 - discarding items$");
        QTest::newRow("version as text")
                << QByteArray(R"({"version": "1", "items": [{"type": "stroke"}]})")
                << QStringLiteral("^\\[DrawingStore\\] Version mismatch: saved= 0 current= 1 - discarding items$");
        QTest::newRow("fractional version")
                << QByteArray(R"({"version": 1.5, "items": [{"type": "stroke"}]})")
                << QStringLiteral("Version mismatch: saved= 0");
        QTest::newRow("items not an array")
                << QByteArray(R"({"version": 1, "items": {"type": "stroke"}})") << QString();
        QTest::newRow("no items") << QByteArray(R"({"version": 1})") << QString();
    }

    void damagedFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, warning);

        writeFile(content);
        if (!warning.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
        m_store->reload();
        QVERIFY(m_store->getDrawings().isEmpty());

        // Loading never rewrites the file: a damaged file stays until a save,
        // and what the save would destroy is kept beside it.
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), content);
        file.close();
        const QFileInfoList copies = QFileInfo(path()).dir().entryInfoList(
                { QStringLiteral("drawings.damaged-*.json") }, QDir::Files);
        QCOMPARE(copies.size(), warning.isEmpty() ? 0 : 1);
        if (!copies.isEmpty()) {
            QFile copy(copies.first().filePath());
            QVERIFY(copy.open(QIODevice::ReadOnly));
            QCOMPARE(copy.readAll(), content);
            QVERIFY(copy.remove());
        }

        m_store->setDrawings({stroke(2)});
        const QJsonObject written = readFile();
        QCOMPARE(written.value(QStringLiteral("version")).toInt(), 1);
        QCOMPARE(written.value(QStringLiteral("items")).toArray().size(), 1);
    }

    void largeFileLoads()
    {
        QVariantList items;
        for (int i = 0; i < 2000; ++i)
            items << stroke(100, i);
        m_store->setDrawings(items);
        QVERIFY(QFileInfo(path()).size() > 8 * 1024 * 1024);
        m_store->reload();
        QCOMPARE(m_store->getDrawings().size(), 2000);
    }

    void readOnlyFileIsReplacedWritable()
    {
        m_store->setDrawings({stroke(2)});
        QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::ReadUser);
        m_store->setDrawings({stroke(2), stroke(4)});
        QCOMPARE(readFile().value(QStringLiteral("items")).toArray().size(), 2);
        const QFileDevice::Permissions permissions = QFileInfo(path()).permissions();
        QVERIFY(permissions & QFileDevice::WriteOwner);
        QVERIFY(permissions & QFileDevice::ReadOwner);
        QVERIFY(!(permissions & QFileDevice::ReadOther));
    }

    void unwritableLocationKeepsMemory()
    {
        // A file where the data directory should be: the directory cannot be
        // made (even as root) and the save fails without touching anything.
        QTemporaryDir other;
        QVERIFY(QDir().mkpath(other.filePath(QStringLiteral("Zemworks"))));
        QFile blocker(other.filePath(QStringLiteral("Zemworks/Inkly")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.write("not a directory");
        blocker.close();

        qputenv("XDG_DATA_HOME", other.path().toLocal8Bit());
        QTest::ignoreMessage(QtWarningMsg, "[DrawingStore] Failed to create data directory");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^\\[DrawingStore\\] Failed to save drawings to \".*drawings.json\"$"));
        m_store->setDrawings({stroke(5)});
        qputenv("XDG_DATA_HOME", m_data.path().toLocal8Bit());

        QCOMPARE(m_store->getDrawings().size(), 1);
        QCOMPARE(m_store->getDrawings().first().toMap().value(QStringLiteral("points")).toList().size(), 5);
    }

    void killedDuringSaveLeavesWholeFile()
    {
        QProcess writer;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("INKLY_STORE_WRITER"), QStringLiteral("1"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_data.path());
        writer.setProcessEnvironment(env);

        int checked = 0;
        for (int attempt = 0; attempt < 5; ++attempt) {
            writer.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(writer.waitForStarted());
            QTest::qWait(300 + QRandomGenerator::global()->bounded(700));
            ::kill(pid_t(writer.processId()), SIGKILL);
            QVERIFY(writer.waitForFinished());

            QFile file(path());
            if (!file.exists())
                continue; // killed before the first commit
            QVERIFY(file.open(QIODevice::ReadOnly));
            QJsonParseError error;
            const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
            QCOMPARE(error.error, QJsonParseError::NoError);
            QCOMPARE(document.object().value(QStringLiteral("items")).toArray().size(), 400);
            ++checked;
        }
        QVERIFY(checked > 0);
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Zemworks"));
    QCoreApplication::setApplicationName(QStringLiteral("Inkly"));
    if (qEnvironmentVariableIsSet("INKLY_STORE_WRITER"))
        return runWriter();
    TestDrawingStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_drawingstore.moc"
