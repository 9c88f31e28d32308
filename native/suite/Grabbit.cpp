#include "suite/Grabbit.h"

#include "app/LogCategories.h"
#include "platform/RegistryUtils.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

namespace {

const QString kGrabbitKey = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Zemworks\\Grabbit");
const QString kMaveloManagerKey
        = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Zemworks\\MaveloManager");
const QString kRootDirValue = QStringLiteral("RootDir");

#if defined(Q_OS_WIN)
const QString kGrabbitFile = QStringLiteral("Grabbit.exe");
const QString kMaveloManagerFile = QStringLiteral("MaveloManager.exe");
#else
const QString kGrabbitFile = QStringLiteral("Grabbit");
const QString kMaveloManagerFile = QStringLiteral("MaveloManager");
#endif

} // namespace

Grabbit *Grabbit::instance()
{
    static Grabbit *const s_instance = new Grabbit;
    return s_instance;
}

QString Grabbit::executablePath(const QString &registryKey, const QString &fileName)
{
    const QString directory = RegistryUtils::instance()->readRegistryString(
            registryKey, kRootDirValue, RegistryUtils::All);
    if (directory.isEmpty())
        return QString();

    const QString path = QDir(directory).filePath(fileName);
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable() ? path : QString();
}

QString Grabbit::readGrabbitPath() const
{
    return executablePath(kGrabbitKey, kGrabbitFile);
}

QString Grabbit::readMaveloManagerPath() const
{
    return executablePath(kMaveloManagerKey, kMaveloManagerFile);
}

bool Grabbit::isGrabbitInstalled() const
{
    return !readGrabbitPath().isEmpty();
}

bool Grabbit::isMaveloManagerInstalled() const
{
    return !readMaveloManagerPath().isEmpty();
}

bool Grabbit::launchGrabbit() const
{
    const QString path = readGrabbitPath();
    if (path.isEmpty()) {
        qCInfo(lcGrabbit, "[Grabbit] Grabbit is not installed.");
        return false;
    }
    qCInfo(lcGrabbit).noquote() << "[Grabbit] Grabbit executable path:" << path;
    return QProcess::startDetached(path, QStringList(), QString());
}

bool Grabbit::installGrabbit() const
{
    const QString grabbitPath = readGrabbitPath();
    if (!grabbitPath.isEmpty()) {
        qCInfo(lcGrabbit).noquote()
                << "[Grabbit] Grabbit is already installed. path:" << grabbitPath;
        return true;
    }
    qCInfo(lcGrabbit, "[Grabbit] Grabbit is not installed.");

    const QString managerPath = readMaveloManagerPath();
    qCInfo(lcGrabbit).noquote() << "[Grabbit] MaveloManager executable path:" << managerPath;
    if (managerPath.isEmpty())
        return false;
    return QProcess::startDetached(
            managerPath, { QStringLiteral("--install"), QStringLiteral("grabbit") }, QString());
}
