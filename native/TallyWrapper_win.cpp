#include "TallyWrapper.h"

#include <QDir>

#include <windows.h>

QString TallyWrapper::moduleFileName()
{
    return QStringLiteral("Tally_x64.dll");
}

void *TallyWrapper::loadModule(const QString &path)
{
    // The wide loader: the ANSI one would misread a UTF-8 path that is not
    // plain ASCII (a user name in Korean, say).
    const QString nativePath = QDir::toNativeSeparators(path);

    // A broken or missing library must never put a dialog in front of the user.
    DWORD previousMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    HMODULE module = LoadLibraryW(reinterpret_cast<const wchar_t *>(nativePath.utf16()));
    SetThreadErrorMode(previousMode, nullptr);
    return module;
}

QFunctionPointer TallyWrapper::resolveEntry(void *module, const char *name)
{
    return reinterpret_cast<QFunctionPointer>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void TallyWrapper::unloadModule(void *module)
{
    FreeLibrary(static_cast<HMODULE>(module));
}
