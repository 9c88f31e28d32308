#include "suite/RenovaWrapper.h"

#include "app/LogCategories.h"

#include <QByteArray>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

namespace {
// The name crosses as a NUL-terminated UTF-8 string; the update result is a
// one-byte bool.
using InitFn = qint32 (*)(const char *appName);
using ExitFn = void (*)(const char *appName);
using UpdateProductFn = bool (*)(const char *appName);

constexpr qint32 kInitSucceeded = 1;
} // namespace

RenovaWrapper *RenovaWrapper::instance()
{
    static RenovaWrapper *const s_instance = new RenovaWrapper;
    return s_instance;
}

RenovaWrapper::~RenovaWrapper()
{
    unload();
}

QString RenovaWrapper::modulePathIn(const QString &directory)
{
    return QDir(directory).filePath(moduleFileName());
}

int RenovaWrapper::initRenova(const QString &modFileName, const QString &appName)
{
    qCInfo(lcRenova) << "[RenovaWrapper] initRenova called:" << modFileName << appName;
    if (m_ready)
        return kInitSucceeded;

    // A bare name would send the loader through its search path and could
    // pick up a foreign library of that name.
    if (!QFileInfo(modFileName).isAbsolute()) {
        qCWarning(lcRenova) << "[RenovaWrapper] Library path is not absolute:" << modFileName;
        return 0;
    }

    m_library.setFileName(modFileName);
    if (!m_library.load())
        return 0;

    m_appName = appName;
    qint32 result = 0;
    if (const auto init = reinterpret_cast<InitFn>(m_library.resolve("Renova_Init"))) {
        const QByteArray name = m_appName.toUtf8();
        result = init(name.constData());
        if (result == kInitSucceeded) {
            m_ready = true;
            return result;
        }
    }
    unload();
    return result;
}

bool RenovaWrapper::exitRenova()
{
    qCInfo(lcRenova) << "[RenovaWrapper] exitRenova called";
    if (!m_ready)
        return true;
    if (const auto exit = reinterpret_cast<ExitFn>(m_library.resolve("Renova_Exit"))) {
        const QByteArray name = m_appName.toUtf8();
        exit(name.constData());
    }
    return true;
}

bool RenovaWrapper::updateProduct()
{
    qCInfo(lcRenova) << "[RenovaWrapper] updateProduct called";
    if (!m_ready)
        return false;
    const auto update
            = reinterpret_cast<UpdateProductFn>(m_library.resolve("Renova_UpdateProduct"));
    if (!update)
        return false;
    const QByteArray name = m_appName.toUtf8();
    return update(name.constData());
}

bool RenovaWrapper::initialized() const
{
    qCInfo(lcRenova) << "[RenovaWrapper] initialized called";
    return m_ready;
}

void RenovaWrapper::finalized()
{
    qCInfo(lcRenova) << "[RenovaWrapper] finalized called";
    if (m_ready)
        unload();
}

void RenovaWrapper::unload()
{
    if (m_library.isLoaded())
        m_library.unload();
    m_ready = false;
    m_appName.clear();
}
