#include "suite/TallyWrapper.h"

#include "app/LogCategories.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QJSEngine>
#include <QMutex>
#include <QMutexLocker>

#include <atomic>

namespace {
// Strings cross as NUL-terminated UTF-8; bools are one byte.
using InitializeFn = bool (*)(const char *productName);
using InitializeExFn = bool (*)(const char *productName, const char *companyName);
using FinalizeFn = void (*)();
using ExecuteActionFn = bool (*)(const char *actionId);

template <typename Fn> Fn entryCast(QFunctionPointer entry)
{
    return reinterpret_cast<Fn>(entry);
}
} // namespace

struct TallyWrapper::TallyLibrary
{
    void *module = nullptr;
    InitializeFn initialize = nullptr;
    InitializeExFn initializeEx = nullptr;
    FinalizeFn finalize = nullptr;
    ExecuteActionFn executeAction = nullptr;
    QMutex lock;
    // Read without the lock by initialized().
    std::atomic<bool> initialized { false };
};

TallyWrapper *TallyWrapper::instance()
{
    static TallyWrapper *const s_instance = new TallyWrapper;
    return s_instance;
}

TallyWrapper::TallyLibrary &TallyWrapper::library()
{
    // Never destroyed: a late caller at process exit must still find the lock.
    static TallyLibrary *const s_library = new TallyLibrary;
    return *s_library;
}

QString TallyWrapper::modulePathIn(const QString &directory)
{
    return QDir(directory).filePath(moduleFileName());
}

QString TallyWrapper::defaultModulePath()
{
    return modulePathIn(QCoreApplication::applicationDirPath());
}

bool TallyWrapper::load(TallyLibrary &library, const QString &modulePath)
{
    // A second initialisation replaces the library held so far: finalised and
    // freed first, so that no handle leaks and every start has its finish.
    release(library);

    // A bare name would send the loader through its search path.
    if (!QFileInfo(modulePath).isAbsolute()) {
        qCWarning(lcTally) << "[TallyWrapper] Library path is not absolute:" << modulePath;
        return false;
    }

    library.module = loadModule(modulePath);
    if (!library.module)
        return false;

    library.initialize = entryCast<InitializeFn>(resolveEntry(library.module, "Tally_Initialize"));
    library.initializeEx
            = entryCast<InitializeExFn>(resolveEntry(library.module, "Tally_InitializeEx"));
    library.finalize = entryCast<FinalizeFn>(resolveEntry(library.module, "Tally_Finalize"));
    library.executeAction
            = entryCast<ExecuteActionFn>(resolveEntry(library.module, "Tally_ExecuteAction"));

    if (library.initialize && library.finalize && library.executeAction)
        return true;
    release(library);
    return false;
}

void TallyWrapper::release(TallyLibrary &library)
{
    if (library.initialized.load()) {
        library.finalize();
        library.initialized.store(false);
    }
    if (library.module)
        unloadModule(library.module);
    library.module = nullptr;
    library.initialize = nullptr;
    library.initializeEx = nullptr;
    library.finalize = nullptr;
    library.executeAction = nullptr;
}

bool TallyWrapper::initialize(const QString &modulePath, const QString &productName)
{
    qCInfo(lcTally) << "[TallyWrapper] initialize called" << modulePath << productName;
    const QByteArray product = productName.toUtf8();

    TallyLibrary &tally = library();
    const QMutexLocker locker(&tally.lock);
    if (!load(tally, modulePath))
        return false;
    // A library that refuses stays loaded until the next initialisation.
    if (!tally.initialize(product.constData()))
        return false;
    tally.initialized.store(true);
    return true;
}

bool TallyWrapper::initializeEx(
        const QString &modulePath, const QString &productName, const QString &companyName)
{
    qCInfo(lcTally) << "[TallyWrapper] initializeEx called" << modulePath << productName
                    << companyName;
    const QByteArray product = productName.toUtf8();
    const QByteArray company = companyName.toUtf8();

    TallyLibrary &tally = library();
    const QMutexLocker locker(&tally.lock);
    if (!load(tally, modulePath))
        return false;
    if (!tally.initializeEx || !tally.initializeEx(product.constData(), company.constData()))
        return false;
    tally.initialized.store(true);
    return true;
}

void TallyWrapper::finalize()
{
    qCInfo(lcTally) << "[TallyWrapper] finalize called";

    TallyLibrary &tally = library();
    const QMutexLocker locker(&tally.lock);
    if (tally.initialized.load())
        release(tally);
}

bool TallyWrapper::initialized() const
{
    qCInfo(lcTally) << "[TallyWrapper] initialized called";
    return library().initialized.load();
}

bool TallyWrapper::executeAction(const QString &actionID)
{
    qCInfo(lcTally) << "[TallyWrapper] executeAction called with actionID:" << actionID;
    const QByteArray action = actionID.toUtf8();

    TallyLibrary &tally = library();
    const QMutexLocker locker(&tally.lock);
    if (!tally.initialized.load() || !tally.executeAction)
        return false;
    return tally.executeAction(action.constData());
}
