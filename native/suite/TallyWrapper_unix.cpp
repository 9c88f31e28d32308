#include "suite/TallyWrapper.h"

#include <QLibrary>

#include <memory>

QString TallyWrapper::moduleFileName()
{
    return QStringLiteral("Tally_x64.so");
}

void *TallyWrapper::loadModule(const QString &path)
{
    auto module = std::make_unique<QLibrary>(path);
    if (!module->load())
        return nullptr;
    return module.release();
}

QFunctionPointer TallyWrapper::resolveEntry(void *module, const char *name)
{
    return static_cast<QLibrary *>(module)->resolve(name);
}

void TallyWrapper::unloadModule(void *module)
{
    auto *library = static_cast<QLibrary *>(module);
    library->unload();
    delete library;
}
