#include "DrawingStore.h"
#include "SettingsStore.h"

#include <QColor>
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
#include <sys/stat.h>
#include <unistd.h>

// The two files the program keeps, drawings.json and settings.json: what a
// damaged, read-only or unreachable file does to them, and what survives.
namespace {

QVariantMap stroke(int points, double offset = 0)
{
    QVariantList list;
    for (int i = 0; i < points; ++i)
        list << QVariantMap { { "x", offset + i }, { "y", offset + i * 0.5 } };
    return { { "type", "stroke" }, { "drawingTool", "Pen" }, { "windowId", "DrawingOverlay_0" },
        { "lineColor", QVariantMap { { "r", 1.0 }, { "g", 0.0 }, { "b", 0.0 }, { "a", 1.0 } } },
        { "lineWidth", 5 }, { "points", list } };
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonObject readJson(const QString &path)
{
    return QJsonDocument::fromJson(readAll(path)).object();
}

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QJsonValue at(const QJsonObject &object, const QString &key)
{
    return SettingsStore::valueAt(object, SettingsStore::keySegments(key));
}

// Saves into `store` ("drawings" or "settings") whatever the next save brings.
void saveOne(const QString &store)
{
    if (store == QLatin1String("drawings"))
        DrawingStore::instance()->setDrawings({ stroke(5) });
    else
        SettingsStore::instance()->setValue(QStringLiteral("app.general.autoStartEnabled"), false);
}

} // namespace

class TestStores : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_data;
    QString path(const QString &store) const
    {
        return m_data.filePath(QStringLiteral("Zemworks/Inkly/") + store + QStringLiteral(".json"));
    }

    // The program's stores in a process of their own: "save" once as an
    // ordinary user, or "write" over and over until killed after `killAfterMs`.
    static int runChild(const QString &mode, const QString &dataHome, int killAfterMs)
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("INKLY_STORES_CHILD"), mode);
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        if (killAfterMs > 0 && child.waitForStarted()) {
            QTest::qWait(killAfterMs);
            ::kill(pid_t(child.processId()), SIGKILL);
        }
        return child.waitForFinished(30000) ? child.exitCode() : -1;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_data.isValid());
        qputenv("XDG_DATA_HOME", m_data.path().toLocal8Bit());
    }

    void init()
    {
        QFile::remove(path(QStringLiteral("drawings")));
        QFile::remove(path(QStringLiteral("settings")));
        DrawingStore::instance()->reload();
        SettingsStore::instance()->reload();
    }

    void damagedFiles_data()
    {
        QTest::addColumn<QString>("store");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("warning");

        const QString drawingsParse = QStringLiteral("^\\[DrawingStore\\] JSON parse error: \".+\"$");
        const QString settingsParse = QStringLiteral("^\\[SettingsStore\\] JSON parse error: \".+\"$");
        QByteArray deep = QByteArray("{\"a\":").repeated(3000) + "1" + QByteArray(3000, '}');
        QTest::newRow("drawings truncated") << "drawings" << QByteArray("{\"version\": 1, \"items\": [") << drawingsParse;
        QTest::newRow("drawings binary") << "drawings" << QByteArray("\x00\xff\xfe garbage", 12) << drawingsParse;
        QTest::newRow("drawings array") << "drawings" << QByteArray("[1, 2, 3]")
                                        << QStringLiteral("^\\[DrawingStore\\] Invalid JSON structure$");
        QTest::newRow("drawings version 2") << "drawings" << QByteArray(R"({"version": 2, "items": [{"type": "stroke"}]})")
                << QStringLiteral("^\\[DrawingStore\\] Version mismatch: saved= 2 current= 1 - discarding items$");
        QTest::newRow("drawings version as text") << "drawings" << QByteArray(R"({"version": "1", "items": [{}]})")
                << QStringLiteral("^\\[DrawingStore\\] Version mismatch: saved= 0 current= 1 - discarding items$");
        // Nothing to lose: no warning and no copy.
        QTest::newRow("drawings items not an array") << "drawings" << QByteArray(R"({"version": 1, "items": {}})") << QString();
        QTest::newRow("settings trailing garbage") << "settings" << QByteArray("{\"app\": {}} x") << settingsParse;
        QTest::newRow("settings huge number") << "settings"
                << QByteArray(R"({"app": {"runtime": {"overviewShowCount": 1e400}}})") << settingsParse;
        QTest::newRow("settings deep nesting") << "settings" << deep << settingsParse;
        QTest::newRow("settings array") << "settings" << QByteArray(R"([{"app": {}}])")
                                        << QStringLiteral("^\\[SettingsStore\\] Invalid JSON structure$");
    }

    // Loading never rewrites a file; what the next save would destroy is
    // kept beside it, and that save writes a whole new file.
    void damagedFiles()
    {
        QFETCH(QString, store);
        QFETCH(QByteArray, content);
        QFETCH(QString, warning);

        writeFile(path(store), content);
        if (!warning.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
        DrawingStore::instance()->reload();
        SettingsStore::instance()->reload();
        QVERIFY(DrawingStore::instance()->getDrawings().isEmpty());
        QCOMPARE(SettingsStore::instance()->getValue(QStringLiteral("app.general.autoStartEnabled"), true), QVariant(true));
        QCOMPARE(readAll(path(store)), content);
        const QFileInfoList copies = QFileInfo(path(store)).dir().entryInfoList(
                { store + QStringLiteral(".damaged-*.json") }, QDir::Files);
        QCOMPARE(copies.size(), warning.isEmpty() ? 0 : 1);
        if (!copies.isEmpty()) {
            QCOMPARE(readAll(copies.first().filePath()), content);
            QVERIFY(QFile::remove(copies.first().filePath()));
        }

        saveOne(store);
        if (store == QLatin1String("drawings"))
            QCOMPARE(readJson(path(store)).value("items").toArray().size(), 1);
        else
            QCOMPARE(at(readJson(path(store)), QStringLiteral("app.general.autoStartEnabled")), QJsonValue(false));
    }

    // Keys the program does not know survive its saves.
    void drawingsKeepForeignKeys()
    {
        writeFile(path(QStringLiteral("drawings")), R"({"version": 1, "items": [], "owner": {"name": "kept"}})");
        DrawingStore::instance()->reload();
        DrawingStore::instance()->setDrawings({ stroke(3) });
        DrawingStore::instance()->reload();
        QCOMPARE(DrawingStore::instance()->getDrawings().first().toMap().value("points").toList().size(), 3);
        QCOMPARE(readJson(path(QStringLiteral("drawings"))).value("owner").toObject().value("name").toString(), QStringLiteral("kept"));
    }

    // Keys are dot paths; nothing a caller passes may damage what is stored.
    void settingsKeyPaths()
    {
        SettingsStore *store = SettingsStore::instance();
        const QString settings = path(QStringLiteral("settings"));
        writeFile(settings, R"({"app": {"general": [true], "runtime": {"overviewShowCount": " 3 "}},
                               "drawing": 7, "exact": 9007199254740993, "tiny": 5e-324})");
        store->reload();
        QCOMPARE(store->getValue(QStringLiteral("app.general.autoStartEnabled"), true), QVariant(true)); // an array on the way
        QCOMPARE(store->getValue(QStringLiteral(".app..runtime.overviewShowCount.")), QVariant(QStringLiteral(" 3 ")));
        QCOMPARE(store->getValue(QStringLiteral("drawing.pen.lineColor"), true), QVariant(true));
        // Bad keys write nothing; an unrelated write keeps every number exact.
        const QByteArray before = readAll(settings);
        for (const QString &bad : { QString(), QStringLiteral(".."), QStringLiteral("a.").repeated(200) + "b" }) {
            QTest::ignoreMessage(QtWarningMsg, "[SettingsStore] Invalid key");
            store->setValue(bad, 1);
        }
        QCOMPARE(readAll(settings), before);
        store->setObject(QStringLiteral("app"), { { "input", QVariantMap { { "wheelDoubleEnabled", true } } } });
        store->setValue(QStringLiteral("drawing.pen.lineColor"), QColor(0x12, 0x34, 0x56, 0x80));
        store->setValue(QStringLiteral("nan"), qQNaN());
        store->reload();
        const QJsonObject written = readJson(settings);
        QCOMPARE(store->getValue(QStringLiteral("exact")).toLongLong(), Q_INT64_C(9007199254740993));
        QCOMPARE(store->getValue(QStringLiteral("tiny")).toDouble(), 5e-324);
        QVERIFY(!at(written, QStringLiteral("app.general")).isArray());
        QCOMPARE(at(written, QStringLiteral("app.input.wheelDoubleEnabled")), QJsonValue(true));
        QCOMPARE(at(written, QStringLiteral("drawing.pen.lineColor")), QJsonValue(QStringLiteral("#80123456")));
        QVERIFY(written.value("nan").isNull());
        QCOMPARE(store->getValue(QStringLiteral("nan"), 1), QVariant(1));
    }

    // A file where the data directory should be stops even root: the save
    // fails, says so, and what the program holds stays.
    void unwritableLocations()
    {
        SettingsStore::instance()->setValue(QStringLiteral("kept"), true);
        QTemporaryDir other;
        writeFile(other.filePath(QStringLiteral("Zemworks/Inkly")), "not a directory");
        qputenv("XDG_DATA_HOME", other.path().toLocal8Bit());
        QTest::ignoreMessage(QtWarningMsg, "[DrawingStore] Failed to create data directory");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^\\[DrawingStore\\] Failed to save drawings to \".*drawings.json\"$"));
        DrawingStore::instance()->setDrawings({ stroke(5) });
        QTest::ignoreMessage(QtWarningMsg, "[SettingsStore] Failed to create settings directory");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^\\[SettingsStore\\] Failed to save settings to \".*settings.json\"$"));
        SettingsStore::instance()->setValue(QStringLiteral("app.general.autoStartEnabled"), false);
        qputenv("XDG_DATA_HOME", m_data.path().toLocal8Bit());
        QCOMPARE(DrawingStore::instance()->getDrawings().size(), 1);
        QCOMPARE(SettingsStore::instance()->getValue(QStringLiteral("app.general.autoStartEnabled"), true), QVariant(false));
        QCOMPARE(readJson(path(QStringLiteral("settings"))), QJsonObject({ { "kept", true } }));

        // Something unreadable in the file's place is reported, not written over.
        QVERIFY(QDir().mkpath(path(QStringLiteral("drawings"))));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^\\[DrawingStore\\] Failed to save drawings to"));
        DrawingStore::instance()->setDrawings({ stroke(2) });
        QVERIFY(QFileInfo(path(QStringLiteral("drawings"))).isDir());
        QVERIFY(QDir(path(QStringLiteral("drawings"))).removeRecursively());
    }

    // Root writes whatever the permission bits say, so the saves run in a
    // child that gives root up.
    void readOnlyFilesAreReplaced()
    {
        QTemporaryDir data;
        const QString directory = data.filePath(QStringLiteral("Zemworks/Inkly"));
        writeFile(directory + QStringLiteral("/settings.json"), R"({"a": 1})");
        writeFile(directory + QStringLiteral("/drawings.json"), R"({"version": 1, "items": []})");
        QCOMPARE(::chmod(QFile::encodeName(data.path()).constData(), 0755), 0);
        for (const QString &file : { directory + "/settings.json", directory + "/drawings.json" }) {
            QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0444), 0);
            for (const QString &owned : { data.filePath(QStringLiteral("Zemworks")), directory, file })
                QVERIFY(::geteuid() != 0 || ::chown(QFile::encodeName(owned).constData(), 65534, 65534) == 0);
        }
        const int exitCode = runChild(QStringLiteral("save"), data.path(), 0);
        if (exitCode == 2)
            QSKIP("cannot give up root here, so permissions do not stop writes");
        QCOMPARE(exitCode, 0);
        QCOMPARE(readJson(directory + "/settings.json"), QJsonObject({ { "a", 1 }, { "b", 2 } }));
        QCOMPARE(readJson(directory + "/drawings.json").value("items").toArray().size(), 1);
        for (const QString &file : { directory + "/settings.json", directory + "/drawings.json" }) {
            struct stat status;
            QCOMPARE(::stat(QFile::encodeName(file).constData(), &status), 0);
            QCOMPARE(status.st_mode & 0777, mode_t(0600));
        }
    }

    void killedDuringSaveLeavesWholeFile()
    {
        int checked = 0;
        for (int attempt = 0; attempt < 5; ++attempt) {
            // Killed at some moment of its saves, whichever.
            runChild(QStringLiteral("write"), m_data.path(), 300 + QRandomGenerator::global()->bounded(700));
            if (!QFile::exists(path(QStringLiteral("drawings"))))
                continue;
            QJsonParseError error;
            const QJsonDocument document = QJsonDocument::fromJson(readAll(path(QStringLiteral("drawings"))), &error);
            QCOMPARE(error.error, QJsonParseError::NoError);
            QCOMPARE(document.object().value("items").toArray().size(), 400);
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
    const QByteArray child = qgetenv("INKLY_STORES_CHILD");
    if (child == "save") {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 2;
        SettingsStore::instance()->setValue(QStringLiteral("b"), 2);
        DrawingStore::instance()->setDrawings({ stroke(2) });
        return 0;
    }
    if (child == "write") {
        QVariantList items;
        for (int i = 0; i < 400; ++i)
            items << stroke(200, i);
        for (int round = 0;; ++round) {
            items[0] = stroke(200, round);
            DrawingStore::instance()->setDrawings(items);
        }
    }
    TestStores test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_stores.moc"
