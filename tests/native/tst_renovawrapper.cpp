#include "MaveloModulesGuard.h"
#include "RenovaWrapper.h"
#include "TallyWrapper.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The stand-in libraries append one line per call to the file named by
// INKLY_RENOVA_RECORD (updater) or INKLY_TALLY_RECORD (statistics): the entry
// point, then its arguments, tab-separated. Both point at one file here, so
// the order of calls across the two libraries shows.
namespace {

QString renovaStandIn(const char *variant)
{
    return RenovaWrapper::modulePathIn(
            QStringLiteral(INKLY_RENOVA_STANDINS "/") + QLatin1String(variant));
}

QString tallyStandIn(const char *variant)
{
    return TallyWrapper::modulePathIn(
            QStringLiteral(INKLY_TALLY_STANDINS "/") + QLatin1String(variant));
}

QStringList s_warnings;
QtMessageHandler s_previousHandler = nullptr;

void collectWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg)
        s_warnings.append(message);
    s_previousHandler(type, context, message);
}

} // namespace

class TstRenovaWrapper : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void lifecycle();
    void failingLibraries();
    void libraryWithoutExit();
    void guardWithoutLibraries();
    void guardWithLibraries();
    void guardWithRefusingUpdater();

private:
    QStringList recorded() const;
    // A directory laid out like the program's: the two libraries side by side.
    QString applicationDirWith(const char *renovaVariant, const char *tallyVariant);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_record;
};

void TstRenovaWrapper::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Zemworks"));
    QCoreApplication::setApplicationName(QStringLiteral("Inkly"));
    QVERIFY2(QFile::exists(renovaStandIn("ok")), qPrintable(renovaStandIn("ok")));
    QVERIFY2(QFile::exists(tallyStandIn("ok")), qPrintable(tallyStandIn("ok")));
}

void TstRenovaWrapper::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_record = m_dir->filePath(QStringLiteral("record.txt"));
    qputenv("INKLY_RENOVA_RECORD", QFile::encodeName(m_record));
    qputenv("INKLY_TALLY_RECORD", QFile::encodeName(m_record));
    s_warnings.clear();
}

void TstRenovaWrapper::cleanup()
{
    if (s_previousHandler) {
        qInstallMessageHandler(s_previousHandler);
        s_previousHandler = nullptr;
    }
    RenovaWrapper::instance()->finalized();
    TallyWrapper::instance()->finalize();
    qunsetenv("INKLY_RENOVA_RECORD");
    qunsetenv("INKLY_TALLY_RECORD");
    m_dir.reset();
}

QStringList TstRenovaWrapper::recorded() const
{
    QFile file(m_record);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString TstRenovaWrapper::applicationDirWith(const char *renovaVariant, const char *tallyVariant)
{
    const QString directory = m_dir->filePath(QStringLiteral("app"));
    QDir().mkpath(directory);
    if (renovaVariant)
        QFile::copy(renovaStandIn(renovaVariant), RenovaWrapper::modulePathIn(directory));
    if (tallyVariant)
        QFile::copy(tallyStandIn(tallyVariant), TallyWrapper::modulePathIn(directory));
    return directory;
}

void TstRenovaWrapper::lifecycle()
{
    RenovaWrapper *const renova = RenovaWrapper::instance();

    // Before any library: harmless answers and no calls.
    QVERIFY(!renova->initialized());
    QVERIFY(!renova->updateProduct());
    QVERIFY(renova->exitRenova());
    QVERIFY(recorded().isEmpty());

    // The name crosses as UTF-8, not in the local 8-bit encoding.
    const QString name = QStringLiteral("잉클리");
    QCOMPARE(renova->initRenova(renovaStandIn("ok"), name), 1);
    QVERIFY(renova->initialized());
    QCOMPARE(renova->initRenova(renovaStandIn("ok"), QStringLiteral("Other")), 1);
    QVERIFY(renova->updateProduct());
    QVERIFY(renova->exitRenova());
    QCOMPARE(recorded(),
            QStringList({ QStringLiteral("Renova_Init\t") + name,
                    QStringLiteral("Renova_UpdateProduct\t") + name,
                    QStringLiteral("Renova_Exit\t") + name }));

    // Exiting does not unload; finishing does, and forgets the name.
    QVERIFY(renova->initialized());
    renova->finalized();
    QVERIFY(!renova->initialized());
    QVERIFY(!renova->updateProduct());
    QVERIFY(renova->exitRenova());
    QCOMPARE(recorded().size(), 3);

    // A finished wrapper can start again.
    QCOMPARE(renova->initRenova(renovaStandIn("ok"), QStringLiteral("Inkly")), 1);
    QCOMPARE(recorded().last(), QStringLiteral("Renova_Init\tInkly"));
}

void TstRenovaWrapper::failingLibraries()
{
    RenovaWrapper *const renova = RenovaWrapper::instance();

    // Refused: the refusal comes back and nothing stays loaded.
    QCOMPARE(renova->initRenova(renovaStandIn("refuses"), QStringLiteral("Inkly")), 7);
    QVERIFY(!renova->initialized());
    QVERIFY(!renova->updateProduct());
    QCOMPARE(recorded(), QStringList { QStringLiteral("Renova_Init\tInkly") });

    QCOMPARE(renova->initRenova(renovaStandIn("no_init"), QStringLiteral("Inkly")), 0);
    QVERIFY(!renova->initialized());

    QCOMPARE(renova->initRenova(
                     m_dir->filePath(QStringLiteral("missing.so")), QStringLiteral("Inkly")),
            0);

    QFile junk(m_dir->filePath(RenovaWrapper::moduleFileName()));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a library");
    junk.close();
    QCOMPARE(renova->initRenova(junk.fileName(), QStringLiteral("Inkly")), 0);

    // A bare name is never handed to the loader's search path.
    QTest::ignoreMessage(QtWarningMsg,
            QRegularExpression(QStringLiteral("^\\[RenovaWrapper\\] Library path is "
                                              "not absolute:")));
    QCOMPARE(renova->initRenova(RenovaWrapper::moduleFileName(), QStringLiteral("Inkly")), 0);

    QVERIFY(!renova->initialized());
    QCOMPARE(recorded().size(), 1);

    // None of this spoils a later good start.
    QCOMPARE(renova->initRenova(renovaStandIn("ok"), QStringLiteral("Inkly")), 1);
    QVERIFY(renova->initialized());
}

void TstRenovaWrapper::libraryWithoutExit()
{
    RenovaWrapper *const renova = RenovaWrapper::instance();
    QCOMPARE(renova->initRenova(renovaStandIn("no_exit"), QStringLiteral("Inkly")), 1);
    QVERIFY(renova->exitRenova());
    QVERIFY(renova->initialized());
    QCOMPARE(recorded(), QStringList { QStringLiteral("Renova_Init\tInkly") });
}

void TstRenovaWrapper::guardWithoutLibraries()
{
    const QString directory = applicationDirWith(nullptr, nullptr);
    s_previousHandler = qInstallMessageHandler(collectWarnings);
    {
        MaveloModulesGuard guard(directory, QStringLiteral("Inkly"));
        QVERIFY(!RenovaWrapper::instance()->initialized());
        QVERIFY(!TallyWrapper::instance()->initialized());
    }
    qInstallMessageHandler(s_previousHandler);
    s_previousHandler = nullptr;

    QCOMPARE(s_warnings,
            QStringList({ QStringLiteral("[MaveloModulesGuard] Renova DLL not found at expected "
                                         "path: \"%1\"")
                                  .arg(RenovaWrapper::modulePathIn(directory)),
                    QStringLiteral("[MaveloModulesGuard] Tally DLL not found at expected "
                                   "path: \"%1\"")
                            .arg(TallyWrapper::modulePathIn(directory)) }));
    QVERIFY(recorded().isEmpty());
}

void TstRenovaWrapper::guardWithLibraries()
{
    const QString directory = applicationDirWith("ok", "ok");
    {
        MaveloModulesGuard guard(directory, QStringLiteral("Inkly"));
        QVERIFY(RenovaWrapper::instance()->initialized());
        QVERIFY(TallyWrapper::instance()->initialized());
        QCOMPARE(recorded(),
                QStringList({ QStringLiteral("Renova_Init\tInkly"),
                        QStringLiteral("Tally_Initialize\tInkly") }));

        // As on a session end: the libraries go before the guard does.
        guard.cleanup();
        QVERIFY(!RenovaWrapper::instance()->initialized());
        QVERIFY(!TallyWrapper::instance()->initialized());
        guard.cleanup();
    }
    QCOMPARE(recorded(),
            QStringList({ QStringLiteral("Renova_Init\tInkly"),
                    QStringLiteral("Tally_Initialize\tInkly"), QStringLiteral("Renova_Exit\tInkly"),
                    QStringLiteral("Tally_Finalize") }));
}

void TstRenovaWrapper::guardWithRefusingUpdater()
{
    const QString directory = applicationDirWith("refuses", "ok");
    {
        MaveloModulesGuard guard(directory, QStringLiteral("Inkly"));
        QVERIFY(!RenovaWrapper::instance()->initialized());
        QVERIFY(TallyWrapper::instance()->initialized());
    }
    // The refused updater is never told to exit; the statistics still finish.
    QCOMPARE(recorded(),
            QStringList({ QStringLiteral("Renova_Init\tInkly"),
                    QStringLiteral("Tally_Initialize\tInkly"), QStringLiteral("Tally_Finalize") }));
}

QTEST_GUILESS_MAIN(TstRenovaWrapper)
#include "tst_renovawrapper.moc"
