#include "suite/TallyWrapper.h"

#include "platform/Win32Core.h"

#include <QDir>

QString TallyWrapper::moduleFileName()
{
    return QStringLiteral("Tally_x64.dll");
}

void *TallyWrapper::loadModule(const QString &path)
{
    // The wide loader: the ANSI one would misread a path that is not plain
    // ASCII (a user name in Korean, say).
    return Win32Core::loadLibrary(QDir::toNativeSeparators(path).toStdWString());
}

QFunctionPointer TallyWrapper::resolveEntry(void *module, const char *name)
{
    return reinterpret_cast<QFunctionPointer>(
            Win32Core::resolveExport(static_cast<HMODULE>(module), name));
}

void TallyWrapper::unloadModule(void *module)
{
    Win32Core::freeLibrary(static_cast<HMODULE>(module));
}
