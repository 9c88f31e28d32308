#include "SettingsStore.h"

#include <QColor>
#include <QCoreApplication>
#include <QFile>
#include <QJSEngine>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

class TestSettingsStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_data;
    SettingsStore *m_store = nullptr;

    QString path() const { return m_data.filePath(QStringLiteral("Zemworks/Inkly/settings.json")); }

    void writeFile(const QByteArray &content)
    {
        QDir().mkpath(QFileInfo(path()).absolutePath());
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    QByteArray readRaw() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QJsonObject readFile() const
    {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(readRaw(), &error);
        return error.error == QJsonParseError::NoError ? document.object() : QJsonObject();
    }

    static QJsonValue at(const QJsonObject &object, const QString &key)
    {
        return SettingsStore::valueAt(object, SettingsStore::keySegments(key));
    }

    void expectInvalidKey() { QTest::ignoreMessage(QtWarningMsg, "[SettingsStore] Invalid key"); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_data.isValid());
        QCoreApplication::setOrganizationName(QStringLiteral("Zemworks"));
        QCoreApplication::setApplicationName(QStringLiteral("Inkly"));
        qputenv("XDG_DATA_HOME", m_data.path().toLocal8Bit());
        m_store = SettingsStore::instance();
    }

    void init()
    {
        // Every warning a case expects is announced with ignoreMessage.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        QFile::remove(path());
        m_store->reload();
    }

    void readingByKeyPath()
    {
        const QString key = QStringLiteral("app.general.autoStartEnabled");
        QCOMPARE(m_store->getValue(key, true), QVariant(true));
        QVERIFY(!QFile::exists(path())); // reading never writes

        m_store->setObject(QStringLiteral("app"),
                { { QStringLiteral("general"),
                        QVariantMap { { QStringLiteral("autoStartEnabled"), false } } } });
        QCOMPARE(m_store->getValue(key, true), QVariant(false));
        QCOMPARE(m_store->getValue(QStringLiteral("app..general.autoStartEnabled"), true),
                QVariant(false));
        QCOMPARE(m_store->getValue(QStringLiteral(".app.general.autoStartEnabled."), true),
                QVariant(false));
        QCOMPARE(m_store->getValue(QStringLiteral("app.general"))
                         .toMap()
                         .value(QStringLiteral("autoStartEnabled")),
                QVariant(false));
        QCOMPARE(m_store->getValue(QStringLiteral("app.general.autoStartEnabled.deeper"), 1),
                QVariant(1));
        QCOMPARE(m_store->getValue(QStringLiteral("App.general.autoStartEnabled"), 1), QVariant(1));

        expectInvalidKey();
        QCOMPARE(m_store->getValue(QStringLiteral("   "), 5), QVariant(5));
        expectInvalidKey();
        QCOMPARE(m_store->getValue(QString(), 5), QVariant(5));
        QCOMPARE(m_store->getValue(QStringLiteral("..."), 5), QVariant(5)); // no warning
        QVERIFY(!m_store->getValue(QStringLiteral("missing")).isValid());

        // A stored null reads as missing.
        m_store->setValue(QStringLiteral("app.general.autoStartEnabled"), QVariant());
        QVERIFY(readFile()
                        .value(QStringLiteral("app"))
                        .toObject()
                        .value(QStringLiteral("general"))
                        .toObject()
                        .value(QStringLiteral("autoStartEnabled"))
                        .isNull());
        QCOMPARE(m_store->getValue(key, true), QVariant(true));

        m_store->setValue(QStringLiteral("app"), 3);
        const QVariant nothing = QVariant::fromValue(nullptr);
        QCOMPARE(m_store->getValue(QStringLiteral("app.general"), nothing), nothing);
    }

    void writingByKeyPath()
    {
        m_store->setValue(QStringLiteral("app"), QStringLiteral("text"));
        m_store->setValue(QStringLiteral("app.general.autoStartEnabled"), false);
        QCOMPARE(at(readFile(), QStringLiteral("app.general.autoStartEnabled")), QJsonValue(false));

        // Empty segments are dropped when writing too, so the key reads back.
        m_store->setValue(QStringLiteral(".app..help.autoUsageTipsEnabled."), true);
        QCOMPARE(
                m_store->getValue(QStringLiteral("app.help.autoUsageTipsEnabled")), QVariant(true));
        QVERIFY(!readFile().value(QStringLiteral("app")).toObject().contains(QString()));

        const QByteArray before = readRaw();
        const QString tooDeep = QStringLiteral("a.").repeated(200) + QStringLiteral("b");
        for (const QString &bad :
                { QString(), QStringLiteral("  "), QStringLiteral(".."), tooDeep }) {
            expectInvalidKey();
            m_store->setValue(bad, 1);
        }
        expectInvalidKey();
        m_store->setObject(QStringLiteral(" "), { { QStringLiteral("x"), 1 } });
        QCOMPARE(readRaw(), before);
        QCOMPARE(m_store->document(), readFile());

        // Ascending key order: the longer key wins over the value it extends.
        m_store->setValues({ { QStringLiteral("z.b"), 2 }, { QStringLiteral("z"), 1 },
                { QStringLiteral("y.c"), QStringLiteral("x") } });
        QCOMPARE(at(readFile(), QStringLiteral("z")),
                QJsonValue(QJsonObject { { QStringLiteral("b"), 2 } }));
        QCOMPARE(at(readFile(), QStringLiteral("y.c")), QJsonValue(QStringLiteral("x")));

        // A subtree replaces its whole owner and nothing else; its key is
        // taken as it is.
        m_store->setValue(QStringLiteral("drawing.pen.lineWidth"), 4);
        m_store->setObject(QStringLiteral("app"),
                { { QStringLiteral("input"),
                        QVariantMap { { QStringLiteral("wheelDoubleEnabled"), true } } } });
        m_store->setObject(QStringLiteral("x.y"), { { QStringLiteral("k"), 1 } });
        const QJsonObject written = readFile();
        QCOMPARE(at(written, QStringLiteral("drawing.pen.lineWidth")), QJsonValue(4));
        QVERIFY(!at(written, QStringLiteral("app.general")).isObject());
        QCOMPARE(at(written, QStringLiteral("app.input.wheelDoubleEnabled")), QJsonValue(true));
        QCOMPARE(written.value(QStringLiteral("x.y")).toObject().value(QStringLiteral("k")),
                QJsonValue(1));
        QVERIFY(readRaw().contains("\n    \"app\": {")); // indented for people
    }

    void damagedFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("warning");

        const QString parseError = QStringLiteral("^\\[SettingsStore\\] JSON parse error: \".+\"$");
        QByteArray deep;
        for (int i = 0; i < 3000; ++i)
            deep += "{\"a\":";
        deep += "1" + QByteArray(3000, '}');

        QTest::newRow("empty") << QByteArray() << parseError;
        QTest::newRow("truncated") << QByteArray("{\"app\": {\"general\": ") << parseError;
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe{\"app\"", 9) << parseError;
        QTest::newRow("trailing garbage") << QByteArray("{\"app\": {}} x") << parseError;
        QTest::newRow("number") << QByteArray("42") << parseError;
        QTest::newRow("huge number")
                << QByteArray(R"({"app": {"runtime": {"overviewShowCount": 1e400}}})")
                << parseError;
        QTest::newRow("deep nesting") << deep << parseError;
        QTest::newRow("array") << QByteArray(R"([{"app": {}}])")
                               << QStringLiteral("^\\[SettingsStore\\] Invalid JSON structure$");
    }

    void damagedFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, warning);

        writeFile(content);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
        QTest::ignoreMessage(QtWarningMsg,
                QRegularExpression(QStringLiteral("^\\[SettingsStore\\] Kept the unreadable file as ")));
        m_store->reload();
        QVERIFY(m_store->document().isEmpty());
        QCOMPARE(m_store->getValue(QStringLiteral("app.general.autoStartEnabled"), true),
                QVariant(true));
        QCOMPARE(readRaw(), content); // loading never rewrites
        const QFileInfoList copies = QFileInfo(path()).dir().entryInfoList(
                { QStringLiteral("settings.damaged-*.json") }, QDir::Files);
        QCOMPARE(copies.size(), 1);
        QVERIFY(QFile::remove(copies.first().filePath()));

        m_store->setValue(QStringLiteral("app.general.autoStartEnabled"), false);
        QCOMPARE(readFile(),
                QJsonObject({ { QStringLiteral("app"),
                        QJsonObject { { QStringLiteral("general"),
                                QJsonObject {
                                        { QStringLiteral("autoStartEnabled"), false } } } } } }));
    }

    void wrongTypesAlongThePath()
    {
        writeFile(R"({"app": {"general": [true], "input": "yes",
                     "help": {"autoUsageTipsEnabled": {"nested": 1}},
                     "runtime": {"overviewShowCount": " 3 ", "lastRunAt": 12}},
                     "drawing": 7, "big": 123456789012345678901234567890,
                     "exact": 9007199254740993, "tiny": 5e-324})");
        m_store->reload();

        QCOMPARE(m_store->getValue(QStringLiteral("app.general.autoStartEnabled"), true),
                QVariant(true));
        QCOMPARE(m_store->getValue(QStringLiteral("app.input.wheelDoubleEnabled"), true),
                QVariant(true));
        QCOMPARE(m_store->getValue(QStringLiteral("app.help.autoUsageTipsEnabled"))
                         .toMap()
                         .value(QStringLiteral("nested"))
                         .toInt(),
                1);
        QCOMPARE(m_store->getValue(QStringLiteral("app.runtime.overviewShowCount")),
                QVariant(QStringLiteral(" 3 ")));
        QCOMPARE(m_store->getValue(QStringLiteral("app.runtime.lastRunAt")).toInt(), 12);
        QCOMPARE(m_store->getValue(QStringLiteral("drawing.pen.lineColor"), QStringLiteral("d")),
                QVariant(QStringLiteral("d")));
        QCOMPARE(m_store->getValue(QStringLiteral("big")).toDouble(), 1.2345678901234568e29);
        QCOMPARE(m_store->getValue(QStringLiteral("exact")).toLongLong(),
                Q_INT64_C(9007199254740993));

        // An unrelated write keeps every number as it was read.
        m_store->setObject(QStringLiteral("app"), {});
        m_store->reload();
        QCOMPARE(m_store->getValue(QStringLiteral("drawing")).toInt(), 7);
        QCOMPARE(m_store->getValue(QStringLiteral("exact")).toLongLong(),
                Q_INT64_C(9007199254740993));
        QCOMPARE(m_store->getValue(QStringLiteral("tiny")).toDouble(), 5e-324);

        // JSON cannot hold these; they are stored as null and read as missing.
        m_store->setValue(QStringLiteral("nan"), qQNaN());
        m_store->setValue(QStringLiteral("inf"), qInf());
        QVERIFY(readFile().value(QStringLiteral("nan")).isNull());
        QCOMPARE(m_store->getValue(QStringLiteral("inf"), 1), QVariant(1));
    }

    void coloursRoundTrip()
    {
        const QColor opaque(255, 0, 0);
        const QColor translucent(0x12, 0x34, 0x56, 0x80);
        m_store->setValue(QStringLiteral("drawing.pen.lineColor"), opaque);
        m_store->setObject(QStringLiteral("palette"),
                { { QStringLiteral("highlight"), translucent },
                        { QStringLiteral("recent"),
                                QVariantList { QColor(Qt::blue), QColor(0, 0, 0, 0) } },
                        { QStringLiteral("broken"), QColor() } });

        const QJsonObject written = readFile();
        QCOMPARE(at(written, QStringLiteral("drawing.pen.lineColor")),
                QJsonValue(QStringLiteral("#ff0000")));
        QCOMPARE(at(written, QStringLiteral("palette.highlight")),
                QJsonValue(QStringLiteral("#80123456")));
        QCOMPARE(at(written, QStringLiteral("palette.recent")),
                QJsonValue(QJsonArray { QStringLiteral("#0000ff"), QStringLiteral("#00000000") }));
        QVERIFY(at(written, QStringLiteral("palette.broken")).isNull());

        m_store->reload();
        QCOMPARE(QColor(m_store->getValue(QStringLiteral("drawing.pen.lineColor")).toString()),
                opaque);
        QCOMPARE(QColor(m_store->getValue(QStringLiteral("palette.highlight")).toString()).rgba(),
                translucent.rgba());
        QCOMPARE(QColor(m_store->getValue(QStringLiteral("palette.recent"))
                                 .toList()
                                 .at(1)
                                 .toString())
                         .alpha(),
                0);
        QCOMPARE(m_store->getValue(QStringLiteral("palette.broken"), QStringLiteral("#000001")),
                QVariant(QStringLiteral("#000001")));
    }

    void valuesFromJavaScript()
    {
        QJSEngine engine;
        QJSEngine::setObjectOwnership(m_store, QJSEngine::CppOwnership);
        engine.globalObject().setProperty(QStringLiteral("store"), engine.newQObject(m_store));
        const QJSValue result = engine.evaluate(QStringLiteral(
                "store.setObject('app', {general: {autoStartEnabled: false},"
                "                        runtime: {overviewShowCount: 3, lastPlaceAtScreenEdge: '',"
                "                                  tags: ['a', 1, null]}});"
                "store.setValue('drawing.recentDrawingTools', ['Pen', 'Rectangle']);"
                "[store.getValue('app.general.autoStartEnabled', true),"
                " store.getValue('app.runtime').overviewShowCount,"
                " store.getValue('app.missing', 5), store.getValue('app', null) !== null]"));
        QVERIFY2(!result.isError(), qPrintable(result.toString()));
        QCOMPARE(result.property(0).toBool(), false);
        QCOMPARE(result.property(1).toInt(), 3);
        QCOMPARE(result.property(2).toInt(), 5);
        QCOMPARE(result.property(3).toBool(), true);

        const QJsonObject written = readFile();
        QCOMPARE(at(written, QStringLiteral("app.runtime.lastPlaceAtScreenEdge")),
                QJsonValue(QString()));
        QCOMPARE(at(written, QStringLiteral("app.runtime.tags")),
                QJsonValue(QJsonArray { QStringLiteral("a"), 1, QJsonValue() }));
        QCOMPARE(at(written, QStringLiteral("drawing.recentDrawingTools")),
                QJsonValue(QJsonArray { QStringLiteral("Pen"), QStringLiteral("Rectangle") }));
    }

    void readOnlyFileIsReplaced()
    {
        // Root writes whatever the permission bits say, so the save runs in
        // a child that gives root up.
        QTemporaryDir data;
        const QString directory = data.filePath(QStringLiteral("Zemworks/Inkly"));
        const QString file = directory + QStringLiteral("/settings.json");
        QVERIFY(QDir().mkpath(directory));
        QFile existing(file);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write(R"({"a": 1})");
        existing.close();
        QCOMPARE(::chmod(QFile::encodeName(data.path()).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0444), 0);
        if (::geteuid() == 0) {
            for (const QString &owned :
                    { data.filePath(QStringLiteral("Zemworks")), directory, file })
                QCOMPARE(::chown(QFile::encodeName(owned).constData(), 65534, 65534), 0);
        }

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("INKLY_SETTINGS_CHILD"), QStringLiteral("1"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(30000));
        if (child.exitCode() == 2)
            QSKIP("cannot give up root here, so permissions do not stop writes");
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(child.readAllStandardError()), QString());

        QVERIFY(existing.open(QIODevice::ReadOnly));
        QCOMPARE(QJsonDocument::fromJson(existing.readAll()).object(),
                QJsonObject({ { QStringLiteral("a"), 1 }, { QStringLiteral("b"), 2 } }));
        struct stat status;
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, mode_t(0600));
    }

    void unwritableLocations()
    {
        m_store->setValue(QStringLiteral("kept"), true);

        // A file where the data directory should be stops even root.
        QTemporaryDir other;
        QVERIFY(QDir().mkpath(other.filePath(QStringLiteral("Zemworks"))));
        QFile blocker(other.filePath(QStringLiteral("Zemworks/Inkly")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("XDG_DATA_HOME", other.path().toLocal8Bit());
        QTest::ignoreMessage(QtWarningMsg, "[SettingsStore] Failed to create settings directory");
        QTest::ignoreMessage(QtWarningMsg,
                QRegularExpression("^\\[SettingsStore\\] Failed to save settings to "
                                   "\".*/Zemworks/Inkly/settings.json\"$"));
        m_store->setValue(QStringLiteral("app.general.autoStartEnabled"), false);
        qputenv("XDG_DATA_HOME", m_data.path().toLocal8Bit());
        QCOMPARE(m_store->getValue(QStringLiteral("app.general.autoStartEnabled"), true),
                QVariant(false));
        QCOMPARE(readFile(), QJsonObject({ { QStringLiteral("kept"), true } }));

        // Something unreadable in the file's place: reported, not written over.
        QVERIFY(QFile::remove(path()));
        QVERIFY(QDir().mkpath(path()));
        const QString quoted = QLatin1Char('"') + path() + QLatin1Char('"');
        QTest::ignoreMessage(QtWarningMsg,
                qPrintable(
                        QStringLiteral("[SettingsStore] Failed to read settings from ") + quoted));
        m_store->reload();
        QVERIFY(m_store->document().isEmpty());
        QTest::ignoreMessage(QtWarningMsg,
                qPrintable(QStringLiteral("[SettingsStore] Failed to save settings to ") + quoted));
        m_store->save();
        QVERIFY(QFileInfo(path()).isDir());
        QVERIFY(QDir(path()).removeRecursively());
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("INKLY_SETTINGS_CHILD")) {
        // Child mode: one save as an ordinary user, over a read-only file.
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 2;
        QCoreApplication::setOrganizationName(QStringLiteral("Zemworks"));
        QCoreApplication::setApplicationName(QStringLiteral("Inkly"));
        SettingsStore::instance()->setValue(QStringLiteral("b"), 2);
        return 0;
    }
    TestSettingsStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsstore.moc"
