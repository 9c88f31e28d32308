#include "app/AppInstanceGuard.h"

#include "app/LogCategories.h"
#include "platform/Win32Core.h"

#include <QLocalSocket>

bool AppInstanceGuard::resolveServerAddress()
{
    m_serverAddress
            = QString::fromStdWString(Win32Core::sessionScopedName(m_serverName.toStdWString()));
    return true;
}

AppInstanceGuard::MutexResult AppInstanceGuard::claimMutex()
{
    // A later try asks afresh: the first instance may have ended meanwhile.
    releaseMutex();

    HANDLE handle = nullptr;
    const Win32Core::MutexClaim claim = Win32Core::claimMutex(
            Win32Core::sessionMutexName(m_mutexName.toStdWString()), &handle);
    // The handle stays open even when the mutex existed; it is closed with the guard.
    m_mutexHandle = handle;
    switch (claim) {
    case Win32Core::MutexClaim::Created:
        return MutexResult::Created;
    case Win32Core::MutexClaim::AlreadyExists:
        return MutexResult::AlreadyExists;
    case Win32Core::MutexClaim::Failed:
        break;
    }
    m_errorString = QStringLiteral("cannot create the mutex %1").arg(m_mutexName);
    return MutexResult::Failed;
}

void AppInstanceGuard::releaseMutex()
{
    Win32Core::releaseMutex(static_cast<HANDLE>(m_mutexHandle));
    m_mutexHandle = nullptr;
}

void AppInstanceGuard::letServerActivate(QLocalSocket &socket)
{
    // Without this the first instance may not raise its toolbar.
    if (!Win32Core::allowPipeServerForeground(reinterpret_cast<HANDLE>(socket.socketDescriptor())))
        qCWarning(lcInstanceGuard,
                "[AppInstanceGuard] The first instance cannot be let to the front: %lu",
                GetLastError());
}
