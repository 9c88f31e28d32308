#include "AppInstanceGuard.h"

#include <string>

#include <windows.h>

AppInstanceGuard::MutexResult AppInstanceGuard::claimMutex()
{
    // A later try asks afresh: the first instance may have ended meanwhile.
    releaseMutex();

    const std::wstring name = m_mutexName.toStdWString();
    HANDLE handle = CreateMutexW(nullptr, TRUE, name.c_str());
    const DWORD error = GetLastError();
    m_mutexHandle = handle;
    if (!handle)
        return MutexResult::Failed;
    // The handle stays open even then; it is closed with the guard.
    if (error == ERROR_ALREADY_EXISTS)
        return MutexResult::AlreadyExists;
    return MutexResult::Created;
}

void AppInstanceGuard::releaseMutex()
{
    if (!m_mutexHandle)
        return;
    HANDLE handle = static_cast<HANDLE>(m_mutexHandle);
    ReleaseMutex(handle);
    CloseHandle(handle);
    m_mutexHandle = nullptr;
}
