#include "app/SingletonPublisher.h"
#include "suite/MaveloModulesGuard.h"
#include "suite/RenovaWrapper.h"
#include "suite/TallyWrapper.h"
#include "tests/native/TestFiles.h"

#include <QFile>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QtQml/qqmlextensionplugin.h>
#include <QtTest>

#include <memory>

Q_IMPORT_QML_PLUGIN(Zem_InklyPlugin)

// The updater and statistics libraries beside the program, as stand-ins that
// append one line per call (entry point, then arguments, tab-separated) to
// one record file, so the order of calls across the two shows.
class TstCompanions : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_record;

    QStringList recorded() const { return QString::fromUtf8(TestFiles::read(m_record)).split('\n', Qt::SkipEmptyParts); }

    // A stand-in variant copied to `target`, or a damaged file named "junk".
    static void place(const QString &variant, const QString &standIns, const QString &target)
    {
        if (variant == QLatin1String("junk"))
            QVERIFY(TestFiles::write(target, "not a shared library\n"));
        else if (!variant.isEmpty())
            QVERIFY(QFile::copy(standIns + QLatin1Char('/') + variant + QLatin1Char('/') + QFileInfo(target).fileName(), target));
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_record = m_dir->filePath(QStringLiteral("record.txt"));
        qputenv("INKLY_RENOVA_RECORD", QFile::encodeName(m_record));
        qputenv("INKLY_TALLY_RECORD", QFile::encodeName(m_record));
    }

    void cleanup()
    {
        RenovaWrapper::instance()->finalized();
        TallyWrapper::instance()->finalize();
    }

    void guard_data()
    {
        QTest::addColumn<QString>("renova");
        QTest::addColumn<QString>("tally");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("warnings");
        const QStringList both { "Renova_Init\tInkly", "Tally_Initialize\tInkly" };
        QTest::newRow("none") << ""
                              << "" << QStringList() << QStringList { "Renova DLL not found", "Tally DLL not found" };
        QTest::newRow("both") << "ok"
                              << "ok" << both + QStringList { "Renova_Exit\tInkly", "Tally_Finalize" } << QStringList();
        // A refused updater is never told to exit; the statistics still finish.
        QTest::newRow("updater refuses") << "refuses"
                                         << "ok" << both + QStringList { "Tally_Finalize" } << QStringList();
        QTest::newRow("statistics refuse") << "ok"
                                           << "refuses" << both + QStringList { "Renova_Exit\tInkly" } << QStringList();
        // Incomplete or damaged libraries are never asked to start.
        QTest::newRow("incomplete") << "no_init"
                                    << "no_execute_action" << QStringList() << QStringList();
        QTest::newRow("no finalize") << "ok"
                                     << "no_finalize" << QStringList { "Renova_Init\tInkly", "Renova_Exit\tInkly" } << QStringList();
        QTest::newRow("damaged") << "junk"
                                 << "junk" << QStringList() << QStringList();
    }

    // Up for the program's lifetime, shut down once, whatever is missing.
    void guard()
    {
        QFETCH(QString, renova);
        QFETCH(QString, tally);
        QFETCH(QStringList, calls);
        QFETCH(QStringList, warnings);
        const QString directory = m_dir->filePath(QStringLiteral("app"));
        QVERIFY(QDir().mkpath(directory));
        place(renova, QStringLiteral(INKLY_RENOVA_STANDINS), RenovaWrapper::modulePathIn(directory));
        place(tally, QStringLiteral(INKLY_TALLY_STANDINS), TallyWrapper::modulePathIn(directory));
        for (const QString &warning : warnings)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^\\[MaveloModulesGuard\\] ") + warning + " at expected path: \".*/app/"));
        {
            MaveloModulesGuard guard(directory, QStringLiteral("Inkly"));
            QCOMPARE(TallyWrapper::instance()->initialized(), tally == QLatin1String("ok"));
            QCOMPARE(TallyWrapper::instance()->executeAction(QStringLiteral("inkly_100_001")), tally == QLatin1String("ok"));
            // As on a session end: the libraries go before the guard does.
            guard.cleanup();
            QVERIFY(!RenovaWrapper::instance()->initialized() && !TallyWrapper::instance()->initialized());
            guard.cleanup();
        }
        if (tally == QLatin1String("ok"))
            calls.insert(2, QStringLiteral("Tally_ExecuteAction\tinkly_100_001"));
        QCOMPARE(recorded(), calls);
    }

    // The declarative side talks to the very library the program loaded.
    void statsReachTheLibrary()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^\\[TallyWrapper\\] Library path is not absolute: ")));
        QVERIFY(!TallyWrapper::instance()->initialize(TallyWrapper::moduleFileName(), QStringLiteral("Inkly")));
        QVERIFY(TallyWrapper::instance()->initialize(TallyWrapper::modulePathIn(QStringLiteral(INKLY_TALLY_STANDINS "/ok")), QStringLiteral("잉클리")));
        SingletonPublisher::publishSingletons();
        QQmlEngine engine;
        engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        QQmlComponent component(&engine);
        component.setData(R"(
            import QtQml
            import Zem.Inkly
            QtObject {
                property string results: [Stats.runStat(), Stats.drawingStat(DrawingTool.EraserRectangle),
                                          Stats.drawingStat(DrawingTool.DashedLine), Stats.captureStat("run_failure")].join(",")
            })",
                QUrl());
        std::unique_ptr<QObject> probe(component.create());
        QVERIFY2(probe, qPrintable(component.errorString()));
        QCOMPARE(probe->property("results").toString(), QStringLiteral("true,true,false,true"));
        QCOMPARE(recorded(),
                QStringList({ "Tally_Initialize\t잉클리", "Tally_ExecuteAction\tinkly_100_001", "Tally_ExecuteAction\tinkly_100_012",
                        "Tally_ExecuteAction\tinkly_100_015" }));
    }
};

QTEST_MAIN(TstCompanions)
#include "tst_companions.moc"
