#include "app/AppInfo.h"

#include <QCoreApplication>

// Both versions come from the project's versions in the build files, the
// same ones the Windows resource is written from, so they cannot drift apart.
#if !defined(INKLY_PRODUCT_VERSION) || !defined(INKLY_FILE_VERSION)
#error "INKLY_PRODUCT_VERSION and INKLY_FILE_VERSION must be defined by the build"
#endif

namespace {
const QString kFileVersion = QStringLiteral(INKLY_FILE_VERSION);
const QString kProductVersion = QStringLiteral(INKLY_PRODUCT_VERSION);
} // namespace

AppInfo *AppInfo::instance()
{
    static AppInfo *const s_instance = new AppInfo;
    return s_instance;
}

QString AppInfo::fileVersion()
{
    return kFileVersion;
}

QString AppInfo::productVersion()
{
    return kProductVersion;
}

QString AppInfo::appDir()
{
    if (!QCoreApplication::instance())
        return QString();
    return QCoreApplication::applicationDirPath();
}
