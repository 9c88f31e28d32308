#include "suite/MaveloModulesGuard.h"

#include "app/AppInfo.h"
#include "app/LogCategories.h"
#include "suite/RenovaWrapper.h"
#include "suite/TallyWrapper.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>

namespace {
bool isLoadableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isAbsolute() && info.exists() && info.isFile();
}
} // namespace

MaveloModulesGuard::MaveloModulesGuard()
    : MaveloModulesGuard(AppInfo::appDir(), QCoreApplication::applicationName())
{
}

MaveloModulesGuard::MaveloModulesGuard(const QString &directory, const QString &appName)
{
    // The updater comes first, then the statistics library.
    const QString renovaPath = RenovaWrapper::modulePathIn(directory);
    if (isLoadableFile(renovaPath)) {
        RenovaWrapper::instance()->initRenova(QFileInfo(renovaPath).absoluteFilePath(), appName);
    } else {
        qCWarning(lcModules) << "[MaveloModulesGuard] Renova DLL not found at expected path:"
                             << QFileInfo(renovaPath).absoluteFilePath();
    }

    const QString tallyPath = TallyWrapper::modulePathIn(directory);
    if (isLoadableFile(tallyPath)) {
        TallyWrapper::instance()->initialize(QFileInfo(tallyPath).absoluteFilePath(), appName);
    } else {
        qCWarning(lcModules) << "[MaveloModulesGuard] Tally DLL not found at expected path:"
                             << QFileInfo(tallyPath).absoluteFilePath();
    }
}

MaveloModulesGuard::~MaveloModulesGuard()
{
    cleanup();
}

void MaveloModulesGuard::cleanup()
{
    RenovaWrapper *const renova = RenovaWrapper::instance();
    if (renova->initialized()) {
        renova->exitRenova();
        renova->finalized();
    }

    TallyWrapper *const tally = TallyWrapper::instance();
    if (tally->initialized())
        tally->finalize();
}
