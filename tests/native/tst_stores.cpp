#include "storage/DrawingStore.h"
#include "storage/SettingsStore.h"
#include "tests/native/TestFiles.h"

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
#include <sys/resource.h>
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
        { "lineColor", QVariantMap { { "r", 1.0 }, { "g", 0.0 }, { "b", 0.0 }, { "a", 1.0 } } }, { "lineWidth", 5 }, { "points", list } };
}

using TestFiles::read;

QJsonObject readJson(const QString &path)
{
    return QJsonDocument::fromJson(read(path)).object();
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
    QString path(const QString &store) const { return m_data.filePath(QStringLiteral("Zemworks/Inkly/") + store + QStringLiteral(".json")); }

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
        QTest::newRow("drawings array") << "drawings" << QByteArray("[1, 2, 3]") << QStringLiteral("^\\[DrawingStore\\] Invalid JSON structure$");
        QTest::newRow("drawings version 2") << "drawings" << QByteArray(R"({"version": 2, "items": [{"type": "stroke"}]})")
                                            << QStringLiteral("^\\[DrawingStore\\] Version mismatch: saved= 2 current= 1 - discarding items$");
        QTest::newRow("drawings version as text") << "drawings" << QByteArray(R"({"version": "1", "items": [{}]})")
                                                  << QStringLiteral("^\\[DrawingStore\\] Version mismatch: saved= 0 current= 1 - discarding items$");
        // Nothing to lose: no warning and no copy.
        QTest::newRow("drawings items not an array") << "drawings" << QByteArray(R"({"version": 1, "items": {}})") << QString();
        QTest::newRow("settings trailing garbage") << "settings" << QByteArray("{\"app\": {}} x") << settingsParse;
        QTest::newRow("settings huge number") << "settings" << QByteArray(R"({"app": {"runtime": {"overviewShowCount": 1e400}}})") << settingsParse;
        QTest::newRow("settings deep nesting") << "settings" << deep << settingsParse;
        QTest::newRow("settings array") << "settings" << QByteArray(R"([{"app": {}}])") << QStringLiteral("^\\[SettingsStore\\] Invalid JSON structure$");
    }

    // Loading never rewrites a file; what the next save would destroy is
    // kept beside it, and that save writes a whole new file.
    void damagedFiles()
    {
        QFETCH(QString, store);
        QFETCH(QByteArray, content);
        QFETCH(QString, warning);

        QVERIFY(TestFiles::write(path(store), content));
        for (int start = 0; start < 2; ++start) { // one copy, however many starts
            if (!warning.isEmpty())
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
            DrawingStore::instance()->reload();
            SettingsStore::instance()->reload();
        }
        QVERIFY(DrawingStore::instance()->getDrawings().isEmpty());
        QCOMPARE(SettingsStore::instance()->getValue(QStringLiteral("app.general.autoStartEnabled"), true), QVariant(true));
        QCOMPARE(read(path(store)), content);
        const QFileInfoList copies = QFileInfo(path(store)).dir().entryInfoList({ store + QStringLiteral(".damaged-*.json") }, QDir::Files);
        QCOMPARE(copies.size(), warning.isEmpty() ? 0 : 1);
        if (!copies.isEmpty()) {
            QCOMPARE(read(copies.first().filePath()), content);
            QVERIFY(QFile::remove(copies.first().filePath()));
        }

        saveOne(store);
        if (store == QLatin1String("drawings"))
            QCOMPARE(readJson(path(store)).value("items").toArray().size(), 1);
        else
            QCOMPARE(at(readJson(path(store)), QStringLiteral("app.general.autoStartEnabled")), QJsonValue(false));
    }

    // What this version does not know survives its saves as it was, and the
    // file never holds one key twice.
    void drawingsKeepWhatTheyDoNotKnow_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QJsonObject>("frame");
        QTest::addColumn<QJsonArray>("kept");
        const QJsonObject text { { "type", "text" }, { "drawingTool", "Text" }, { "text", "hi" }, { "at", QJsonArray { 1, 2.5 } } };
        QTest::newRow("foreign key") << QByteArray(R"({"version": 1, "items": [], "owner": {"name": "kept"}})")
                                     << QJsonObject { { "version", 1 }, { "owner", QJsonObject { { "name", "kept" } } } } << QJsonArray();
        QTest::newRow("newer item")
                << QJsonDocument(QJsonObject { { "version", 1 }, { "items", QJsonArray { text, QJsonObject::fromVariantMap(stroke(2)) } } }).toJson()
                << QJsonObject { { "version", 1 } } << QJsonArray { text };
        QTest::newRow("newer item, a key twice") << QByteArray(R"({"version": 1, "items": [{"type": "text", "drawingTool": "Text", "a": 1, "a": 2}]})")
                                                 << QJsonObject { { "version", 1 } }
                                                 << QJsonArray { QJsonObject { { "type", "text" }, { "drawingTool", "Text" }, { "a", 2 } } };
        const QJsonObject boards { { "white", QJsonArray { QJsonObject::fromVariantMap(stroke(2)) } }, { "chalk", QJsonArray { 1 } } };
        QTest::newRow("boards") << QJsonDocument(QJsonObject { { "version", 1 }, { "items", QJsonArray() }, { "boards", boards } }).toJson()
                                << QJsonObject { { "version", 1 }, { "boards", boards } } << QJsonArray();
        QTest::newRow("marked items key") << QByteArray("{\"\\uFEFFitems\": [1], \"items\": [], \"version\": 1}") << QJsonObject { { "version", 1 } }
                                          << QJsonArray();
    }
    void drawingsKeepWhatTheyDoNotKnow()
    {
        QFETCH(QByteArray, content);
        QFETCH(QJsonObject, frame);
        QFETCH(QJsonArray, kept);
        DrawingStore *store = DrawingStore::instance();
        QVERIFY(TestFiles::write(path(QStringLiteral("drawings")), content));
        store->reload();
        QVariantList forms = store->readDrawItems({ { "toolNames", QStringList { "None", "Pen" } } }).value("storedForms").toList();
        forms << QVariant::fromValue(store->encodeDrawItem(stroke(3), "stroke", "Pen"));
        for (int save = 0; save < 2; ++save) {
            QVERIFY(store->setStoredDrawItems(forms));
            store->reload();
            forms = store->readDrawItems({ { "toolNames", QStringList { "None", "Pen" } } }).value("storedForms").toList();
        }
        const QByteArray written = read(path(QStringLiteral("drawings")));
        QCOMPARE(written.count("\"items\""), 1);
        QJsonObject document = QJsonDocument::fromJson(written).object();
        const QJsonArray items = document.take("items").toArray();
        QCOMPARE(document, frame);
        QCOMPARE(items.size(), kept.size() + forms.size());
        for (qsizetype i = 0; i < kept.size(); ++i)
            QCOMPARE(items.at(i), kept.at(i));
        QCOMPARE(items.last().toObject().value("points").toArray().size(), 3);
    }

    // Keys are dot paths; nothing a caller passes may damage what is stored.
    void settingsKeyPaths()
    {
        SettingsStore *store = SettingsStore::instance();
        const QString settings = path(QStringLiteral("settings"));
        QVERIFY(TestFiles::write(settings, R"({"app": {"general": [true], "runtime": {"overviewShowCount": " 3 "}},
                               "drawing": 7, "exact": 9007199254740993, "tiny": 5e-324})"));
        store->reload();
        QCOMPARE(store->getValue(QStringLiteral("app.general.autoStartEnabled"), true), QVariant(true)); // an array on the way
        QCOMPARE(store->getValue(QStringLiteral(".app..runtime.overviewShowCount.")), QVariant(QStringLiteral(" 3 ")));
        QCOMPARE(store->getValue(QStringLiteral("drawing.pen.lineColor"), true), QVariant(true));
        // Bad keys write nothing; an unrelated write keeps every number exact.
        const QByteArray before = read(settings);
        for (const QString &bad : { QString(), QStringLiteral(".."), QStringLiteral("a.").repeated(200) + "b" }) {
            QTest::ignoreMessage(QtWarningMsg, "[SettingsStore] Invalid key");
            store->setValue(bad, 1);
        }
        QCOMPARE(read(settings), before);
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
    // fails, says so once, and what the program holds is written by the
    // next change once the folder is there.
    void unwritableLocations()
    {
        SettingsStore::instance()->setValue(QStringLiteral("kept"), true);
        QTemporaryDir other;
        QVERIFY(TestFiles::write(other.filePath(QStringLiteral("Zemworks/Inkly")), "not a directory"));
        qputenv("XDG_DATA_HOME", other.path().toLocal8Bit());
        QTest::ignoreMessage(QtWarningMsg, "[DrawingStore] Failed to create data directory");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^\\[DrawingStore\\] Failed to save drawings to \".*drawings.json\" \"Not a directory\"$"));
        QTest::ignoreMessage(QtWarningMsg, "[DrawingStore] Failed to create data directory");
        DrawingStore::instance()->setDrawings({ stroke(5) });
        QVERIFY(!DrawingStore::instance()->setDrawings({ stroke(5), stroke(2) }));
        QTest::ignoreMessage(QtWarningMsg, "[SettingsStore] Failed to create settings directory");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^\\[SettingsStore\\] Failed to save settings to \".*settings.json\" \".+\"$"));
        SettingsStore::instance()->setValue(QStringLiteral("app.general.autoStartEnabled"), false);
        qputenv("XDG_DATA_HOME", m_data.path().toLocal8Bit());
        QVERIFY(!SettingsStore::instance()->isSaved());
        QCOMPARE(readJson(path(QStringLiteral("settings"))), QJsonObject({ { "kept", true } }));
        SettingsStore::instance()->saveOnExit();
        QVERIFY(SettingsStore::instance()->isSaved());
        QCOMPARE(at(readJson(path(QStringLiteral("settings"))), QStringLiteral("app.general.autoStartEnabled")), QJsonValue(false));
        QVERIFY(DrawingStore::instance()->setDrawings({ stroke(5), stroke(2), stroke(3) }));
        QCOMPARE(readJson(path(QStringLiteral("drawings"))).value("items").toArray().size(), 3);

        // A directory in the file's place cannot be written over; at quit
        // the drawing goes beside it.
        QVERIFY(QFile::remove(path(QStringLiteral("drawings"))) && QDir().mkpath(path(QStringLiteral("drawings"))));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^\\[DrawingStore\\] Failed to (save|commit) drawings to"));
        QVERIFY(!DrawingStore::instance()->setDrawings({ stroke(2) }));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^\\[DrawingStore\\] Kept the unsaved drawing in \".*/drawings.unsaved-[-0-9]+.json\"$"));
        DrawingStore::instance()->saveOnExit();
        const QFileInfoList kept = QFileInfo(path(QStringLiteral("drawings"))).dir().entryInfoList({ "drawings.unsaved-*" });
        QCOMPARE(kept.size(), 1);
        QCOMPARE(readJson(kept.first().filePath()).value("items").toArray().size(), 1);
        QVERIFY(QFileInfo(path(QStringLiteral("drawings"))).isDir());
        QVERIFY(QDir(path(QStringLiteral("drawings"))).removeRecursively() && QFile::remove(kept.first().filePath()));
    }

    // A disk that fills up during a save (a file size limit cuts the write
    // short as a full disk does): the old file stays whole, one warning,
    // and the save is made once there is room.
    void fullDisk_data()
    {
        QTest::addColumn<QString>("store");
        QTest::newRow("drawings") << "drawings";
        QTest::newRow("settings") << "settings";
    }
    void fullDisk()
    {
        QFETCH(QString, store);
        saveOne(store);
        const QByteArray before = read(path(store));
        const auto saveBig = [&](int n) {
            if (store == QLatin1String("drawings"))
                DrawingStore::instance()->setDrawings({ stroke(2000 + n) });
            else
                SettingsStore::instance()->setValue(QStringLiteral("big"), QString(100000 + n, 'x'));
        };
        struct rlimit limit;
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &limit), 0);
        const rlim_t unlimited = limit.rlim_cur;
        std::signal(SIGXFSZ, SIG_IGN);
        limit.rlim_cur = 60000;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^\\[(Drawing|Settings)Store\\] Failed to commit .* \".+\"$"));
        saveBig(0);
        saveBig(1); // no second warning
        limit.rlim_cur = unlimited;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        QCOMPARE(read(path(store)), before);
        QCOMPARE(QDir(QFileInfo(path(store)).path()).entryList(QDir::Files).size(), 1);
        DrawingStore::instance()->saveOnExit();
        SettingsStore::instance()->saveOnExit();
        const QJsonObject written = readJson(path(store));
        if (store == QLatin1String("drawings"))
            QCOMPARE(written.value("items")[0].toObject().value("points").toArray().size(), 2001);
        else
            QCOMPARE(written.value("big").toString().size(), 100001);
    }

    // What cannot be read is never read for long, nor written over: it is
    // refused and moved aside whole by the first save (entries that are no
    // items are copied aside); a read-only file is replaced. The saves run
    // as an ordinary user in a child, so that a hang fails the test.
    void unsafeFiles_data()
    {
        QTest::addColumn<QString>("store");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("aside");
        const QByteArray five = QJsonDocument(
                QJsonObject { { "version", 1 }, { "items", QJsonArray::fromVariantList({ stroke(3), stroke(3), stroke(3), stroke(3), stroke(3) }) } })
                                        .toJson();
        QTest::newRow("drawings fifo") << "drawings"
                                       << "fifo" << QByteArray() << "unreadable";
        QTest::newRow("settings fifo") << "settings"
                                       << "fifo" << QByteArray() << "unreadable";
        QTest::newRow("drawings link to /dev/zero") << "drawings"
                                                    << "/dev/zero" << QByteArray() << "unreadable";
        QTest::newRow("settings link to /dev/urandom") << "settings"
                                                       << "/dev/urandom" << QByteArray() << "unreadable";
        QTest::newRow("drawings of another user") << "drawings"
                                                  << "0600" << five << "unreadable";
        QTest::newRow("settings of another user") << "settings"
                                                  << "0600" << QByteArray(R"({"b": 1})") << "unreadable";
        QTest::newRow("drawings over the size limit") << "drawings"
                                                      << "sparse" << QByteArray() << "unreadable";
        QTest::newRow("drawings of 20 MB of numbers") << "drawings"
                                                      << "own"
                                                      << "{\"version\":1,\"items\":[" + QByteArray("1,").repeated(10'000'000) + "1]}"
                                                      << "damaged";
        QTest::newRow("drawings read-only") << "drawings"
                                            << "own 0444" << QByteArray(R"({"version": 1, "items": []})") << QString();
        QTest::newRow("settings read-only") << "settings"
                                            << "own 0444" << QByteArray(R"({"b": 1})") << QString();
    }
    void unsafeFiles()
    {
        QFETCH(QString, store);
        QFETCH(QString, kind);
        QFETCH(QByteArray, content);
        QFETCH(QString, aside);
        QTemporaryDir data;
        const QString directory = data.filePath(QStringLiteral("Zemworks/Inkly"));
        const QString file = directory + '/' + store + ".json";
        QVERIFY(QDir().mkpath(directory));
        QCOMPARE(::chmod(QFile::encodeName(data.path()).constData(), 0755), 0);
        if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        else if (kind.startsWith('/'))
            QVERIFY(QFile::link(kind, file));
        else
            QVERIFY(TestFiles::write(file, content));
        if (kind == "sparse")
            QVERIFY(QFile(file).resize(DrawingStore::kMaxFileSize + 1));
        if (kind.endsWith("0600") || kind.endsWith("0444"))
            QCOMPARE(::chmod(QFile::encodeName(file).constData(), kind.right(4).toUInt(nullptr, 8)), 0);
        for (const QString &owned : { data.filePath(QStringLiteral("Zemworks")), directory, kind.startsWith("own") ? file : directory })
            QVERIFY(::geteuid() != 0 || ::chown(QFile::encodeName(owned).constData(), 65534, 65534) == 0);
        const int exitCode = runChild(QStringLiteral("save"), data.path(), 0);
        if (exitCode == 2)
            QSKIP("cannot give up root here");
        QCOMPARE(exitCode, 0);

        const QFileInfoList kept = QDir(directory).entryInfoList({ store + '.' + aside + "-*" }, QDir::AllEntries | QDir::System);
        QCOMPARE(kept.size(), aside.isEmpty() ? 0 : 1);
        struct stat status;
        if (!kept.isEmpty())
            QCOMPARE(::lstat(QFile::encodeName(kept.first().filePath()).constData(), &status), 0);
        if (kind == "fifo")
            QVERIFY(S_ISFIFO(status.st_mode));
        else if (kind.startsWith('/'))
            QCOMPARE(kept.first().symLinkTarget(), kind);
        else if (kind == "sparse")
            QCOMPARE(kept.first().size(), DrawingStore::kMaxFileSize + 1);
        else if (!kept.isEmpty())
            QCOMPARE(read(kept.first().filePath()), content);
        QCOMPARE(::lstat(QFile::encodeName(file).constData(), &status), 0);
        QCOMPARE(status.st_mode, mode_t(S_IFREG | 0600));
        if (store == QLatin1String("drawings"))
            QCOMPARE(readJson(file).value("items").toArray().size(), 1);
        else if (kind.startsWith("own"))
            QCOMPARE(readJson(file), QJsonObject({ { "a", 2 }, { "b", 1 } }));
        else
            QCOMPARE(readJson(file), QJsonObject({ { "a", 2 } }));
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
            const QJsonDocument document = QJsonDocument::fromJson(read(path(QStringLiteral("drawings"))), &error);
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
        DrawingStore::instance()->readDrawItems({ { "toolNames", QStringList { "None", "Pen" } } });
        SettingsStore::instance()->setValue(QStringLiteral("a"), 2);
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
