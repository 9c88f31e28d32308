#include "SingletonPublisher.h"
#include "TallyWrapper.h"

#include <QFile>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QtQml/qqmlextensionplugin.h>
#include <QtTest>

#include <memory>

Q_IMPORT_QML_PLUGIN(Zem_InklyPlugin)

// The stand-in libraries append one line per call to the file named by
// INKLY_TALLY_RECORD: the entry point, then its arguments, tab-separated.
namespace {

QString standIn(const char *variant)
{
    return TallyWrapper::modulePathIn(
            QStringLiteral(INKLY_TALLY_STANDINS "/") + QLatin1String(variant));
}

QString action(const char *id)
{
    return QStringLiteral("Tally_ExecuteAction\t") + QLatin1String(id);
}

} // namespace

class TstTallyWrapper : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void lifecycle();
    void initializeEx();
    void missingOrBrokenLibrary();
    void missingRequiredExport();
    void refusedInitialization();
    void callsBeforeInitialization();
    void secondInitializationReplacesTheFirst();
    void statsReachTheLibrary();

private:
    QStringList recorded() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_record;
};

void TstTallyWrapper::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Zemworks"));
    QCoreApplication::setApplicationName(QStringLiteral("Inkly"));
    QVERIFY2(QFile::exists(standIn("ok")), qPrintable(standIn("ok")));
}

void TstTallyWrapper::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_record = m_dir->filePath(QStringLiteral("record.txt"));
    qputenv("INKLY_TALLY_RECORD", QFile::encodeName(m_record));
}

void TstTallyWrapper::cleanup()
{
    TallyWrapper::instance()->finalize();
    qunsetenv("INKLY_TALLY_RECORD");
    m_dir.reset();
}

QStringList TstTallyWrapper::recorded() const
{
    QFile file(m_record);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TstTallyWrapper::lifecycle()
{
    TallyWrapper *tally = TallyWrapper::instance();
    const QString path = standIn("ok");

    QTest::ignoreMessage(QtInfoMsg,
            qPrintable(QStringLiteral("[TallyWrapper] initialize called \"%1\" \"잉클리\"")
                               .arg(path)));
    QVERIFY(tally->initialize(path, QStringLiteral("잉클리")));
    QVERIFY(tally->initialized());

    QTest::ignoreMessage(
            QtInfoMsg, "[TallyWrapper] executeAction called with actionID: \"inkly_100_001\"");
    QVERIFY(tally->executeAction(QStringLiteral("inkly_100_001")));
    QVERIFY(tally->executeAction(QStringLiteral("inkly_100_013")));
    // The library's own answer comes back: the stand-in turns down an empty id.
    QVERIFY(!tally->executeAction(QString()));

    tally->finalize();
    QVERIFY(!tally->initialized());
    QVERIFY(!tally->executeAction(QStringLiteral("inkly_100_002")));
    tally->finalize();

    QCOMPARE(recorded(),
            QStringList({ QStringLiteral("Tally_Initialize\t잉클리"), action("inkly_100_001"),
                    action("inkly_100_013"), QStringLiteral("Tally_ExecuteAction\t"),
                    QStringLiteral("Tally_Finalize") }));
}

void TstTallyWrapper::initializeEx()
{
    TallyWrapper *tally = TallyWrapper::instance();

    QVERIFY(tally->initializeEx(
            standIn("ok"), QStringLiteral("Inkly"), QStringLiteral("Zemworks")));
    QVERIFY(tally->executeAction(QStringLiteral("inkly_100_004")));
    tally->finalize();
    QCOMPARE(recorded(),
            QStringList({ QStringLiteral("Tally_InitializeEx\tInkly\tZemworks"),
                    action("inkly_100_004"), QStringLiteral("Tally_Finalize") }));

    // Without the extended export the plain initialisation still works.
    QFile::remove(m_record);
    QVERIFY(!tally->initializeEx(
            standIn("no_initialize_ex"), QStringLiteral("Inkly"), QStringLiteral("Zemworks")));
    QVERIFY(!tally->initialized());
    QVERIFY(!tally->executeAction(QStringLiteral("inkly_100_004")));
    QVERIFY(tally->initialize(standIn("no_initialize_ex"), QStringLiteral("Inkly")));
    QVERIFY(tally->executeAction(QStringLiteral("inkly_100_005")));
    QCOMPARE(recorded(),
            QStringList({ QStringLiteral("Tally_Initialize\tInkly"), action("inkly_100_005") }));
}

void TstTallyWrapper::missingOrBrokenLibrary()
{
    TallyWrapper *tally = TallyWrapper::instance();

    QVERIFY(!tally->initialize(TallyWrapper::modulePathIn(m_dir->path()), QStringLiteral("Inkly")));
    QVERIFY(!tally->initialized());
    QVERIFY(!tally->executeAction(QStringLiteral("inkly_100_001")));

    // A damaged file under the library's name.
    QFile damaged(TallyWrapper::modulePathIn(m_dir->path()));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a shared library\n");
    damaged.close();
    QVERIFY(!tally->initialize(damaged.fileName(), QStringLiteral("Inkly")));
    QVERIFY(!tally->initializeEx(
            damaged.fileName(), QStringLiteral("Inkly"), QStringLiteral("Zemworks")));
    QVERIFY(!tally->initialized());

    // A bare name would be looked up along the loader's search path.
    const QString bareName = TallyWrapper::moduleFileName();
    QTest::ignoreMessage(QtWarningMsg,
            qPrintable(QStringLiteral("[TallyWrapper] Library path is not absolute: \"%1\"")
                               .arg(bareName)));
    QVERIFY(!tally->initialize(bareName, QStringLiteral("Inkly")));
    QVERIFY(!tally->initialized());

    QVERIFY(recorded().isEmpty());
}

void TstTallyWrapper::missingRequiredExport()
{
    TallyWrapper *tally = TallyWrapper::instance();

    for (const char *variant : { "no_finalize", "no_execute_action" }) {
        QVERIFY2(QFile::exists(standIn(variant)), variant);
        QVERIFY2(!tally->initialize(standIn(variant), QStringLiteral("Inkly")), variant);
        QVERIFY2(!tally->initializeEx(
                         standIn(variant), QStringLiteral("Inkly"), QStringLiteral("Zemworks")),
                variant);
        QVERIFY(!tally->initialized());
        QVERIFY(!tally->executeAction(QStringLiteral("inkly_100_001")));
    }
    // Incomplete libraries are never asked to start.
    QVERIFY(recorded().isEmpty());
}

void TstTallyWrapper::refusedInitialization()
{
    TallyWrapper *tally = TallyWrapper::instance();

    QVERIFY(!tally->initialize(standIn("refuses"), QStringLiteral("Inkly")));
    QVERIFY(!tally->initialized());
    QVERIFY(!tally->executeAction(QStringLiteral("inkly_100_001")));
    tally->finalize();
    QVERIFY(!tally->initializeEx(
            standIn("refuses"), QStringLiteral("Inkly"), QStringLiteral("Zemworks")));
    QVERIFY(!tally->executeAction(QStringLiteral("inkly_100_002")));

    // Asked to start, refused, and never used or finalised afterwards.
    QCOMPARE(recorded(),
            QStringList({ QStringLiteral("Tally_Initialize\tInkly"),
                    QStringLiteral("Tally_InitializeEx\tInkly\tZemworks") }));
}

void TstTallyWrapper::callsBeforeInitialization()
{
    TallyWrapper *tally = TallyWrapper::instance();

    QVERIFY(!tally->initialized());
    QVERIFY(!tally->executeAction(QStringLiteral("inkly_100_001")));
    tally->finalize();
    tally->finalize();
    QVERIFY(!tally->initialized());

    // Initialising afterwards is not disturbed by the calls before it.
    QVERIFY(tally->initialize(standIn("ok"), QStringLiteral("Inkly")));
    QVERIFY(tally->executeAction(QStringLiteral("inkly_100_003")));
    QCOMPARE(recorded(),
            QStringList({ QStringLiteral("Tally_Initialize\tInkly"), action("inkly_100_003") }));
}

void TstTallyWrapper::secondInitializationReplacesTheFirst()
{
    TallyWrapper *tally = TallyWrapper::instance();

    QVERIFY(tally->initialize(standIn("ok"), QStringLiteral("Inkly")));
    QVERIFY(tally->initialize(standIn("ok"), QStringLiteral("Inkly")));
    QVERIFY(tally->executeAction(QStringLiteral("inkly_100_006")));

    // A failed replacement leaves nothing half-started behind.
    QVERIFY(!tally->initialize(standIn("refuses"), QStringLiteral("Inkly")));
    QVERIFY(!tally->initialized());
    QVERIFY(!tally->executeAction(QStringLiteral("inkly_100_007")));
    tally->finalize();

    QCOMPARE(recorded(),
            QStringList({ QStringLiteral("Tally_Initialize\tInkly"),
                    QStringLiteral("Tally_Finalize"), QStringLiteral("Tally_Initialize\tInkly"),
                    action("inkly_100_006"), QStringLiteral("Tally_Finalize"),
                    QStringLiteral("Tally_Initialize\tInkly") }));
}

void TstTallyWrapper::statsReachTheLibrary()
{
    QVERIFY(TallyWrapper::instance()->initialize(standIn("ok"), QStringLiteral("Inkly")));
    SingletonPublisher::publishSingletons();

    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    QQmlComponent component(&engine);
    component.setData(R"(
        import QtQml
        import Zem.Inkly

        QtObject {
            id: root
            property AppSettings settings: AppSettings {
                autoStartEnabled: true
                wheelDoubleEnabled: true
                autoUsageTipsEnabled: true
            }
            property string results

            Component.onCompleted: {
                root.results = [Stats.runStat(),
                                Stats.drawingStat(DrawingTool.EraserRectangle),
                                Stats.drawingStat(DrawingTool.DashedLine),
                                Stats.captureStat("run_failure"),
                                Stats.settingsStat(root.settings)].join(",");
            }
        })",
            QUrl());
    QTest::ignoreMessage(QtDebugMsg,
            "[Stats] settings recorded: autoStartEnabled=true, "
            "wheelDoubleEnabled=true, autoUsageTipsEnabled=true");
    std::unique_ptr<QObject> probe(component.create());
    QVERIFY2(probe, qPrintable(component.errorString()));

    // The declarative side must talk to the very object the program holds.
    const int typeId = qmlTypeId("Zem.Inkly", 1, 0, "TallyWrapper");
    QCOMPARE(engine.singletonInstance<TallyWrapper *>(typeId), TallyWrapper::instance());

    QCOMPARE(probe->property("results").toString(), QStringLiteral("true,true,false,true,true"));
    QCOMPARE(recorded(),
            QStringList({ QStringLiteral("Tally_Initialize\tInkly"), action("inkly_100_001"),
                    action("inkly_100_012"), action("inkly_100_015"), action("inkly_100_018"),
                    action("inkly_100_020"), action("inkly_100_022") }));
}

QTEST_MAIN(TstTallyWrapper)

#include "tst_tallywrapper.moc"
