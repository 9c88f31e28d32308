#include "AppInstanceGuard.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

// The named mutex is a lock file of the same name in the user's runtime
// directory. QLockFile writes our PID into it and keeps a native lock on it, so
// the lock of a process that died is recognised and taken over.
//
// The server's socket lies beside it. A bare name would put it in /tmp, one
// for every user of the machine: a second user could neither listen there
// nor reach the first user's server, and ended unseen.
AppInstanceGuard::MutexResult AppInstanceGuard::claimMutex()
{
    releaseMutex();

    // Made user-only by Qt when it creates it.
    const QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty() || !QDir().mkpath(directory))
        return MutexResult::Failed;
    m_serverAddress = QDir(directory).filePath(m_serverName);

    m_lockFile = std::make_unique<QLockFile>(
            QDir(directory).filePath(m_mutexName + QLatin1String(".lock")));
    // A running first instance can hold the lock for days: only a dead owner
    // makes it stale, never its age.
    m_lockFile->setStaleLockTime(0);
    if (m_lockFile->tryLock(0))
        return MutexResult::Created;

    if (m_lockFile->error() != QLockFile::LockFailedError)
        return MutexResult::Failed;

    // A lock file without a readable owner (a crash between creating and
    // writing it) would block every start. Removing it fails while its owner
    // still holds the native lock.
    qint64 pid = 0;
    QString hostName;
    QString application;
    if (!m_lockFile->getLockInfo(&pid, &hostName, &application) && m_lockFile->removeStaleLockFile()
            && m_lockFile->tryLock(0)) {
        return MutexResult::Created;
    }
    return MutexResult::AlreadyExists;
}

void AppInstanceGuard::releaseMutex()
{
    if (m_lockFile && m_lockFile->isLocked())
        m_lockFile->unlock();
    m_lockFile.reset();
}

// X11 has no foreground lock of this kind to hand over.
void AppInstanceGuard::letServerActivate(QLocalSocket &) { }
