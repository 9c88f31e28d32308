#include "AppInfo.h"

#include <QCoreApplication>

// The product version comes from the project's version in the build files,
// so the two cannot drift apart.
#ifndef INKLY_PRODUCT_VERSION
#error "INKLY_PRODUCT_VERSION must be defined by the build"
#endif

namespace {
const QString kFileVersion = QStringLiteral("26.3.3.25");
const QString kProductVersion = QStringLiteral(INKLY_PRODUCT_VERSION);
} // namespace

AppInfo *AppInfo::instance()
{
    static AppInfo *const s_instance = new AppInfo;
    return s_instance;
}

QString AppInfo::fileVersion() { return kFileVersion; }

QString AppInfo::productVersion() { return kProductVersion; }

QString AppInfo::appDir()
{
    if (!QCoreApplication::instance())
        return QString();
    return QCoreApplication::applicationDirPath();
}
