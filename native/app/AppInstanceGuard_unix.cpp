#include "app/AppInstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

// The named mutex is a lock file of the same name in the user's runtime
// directory. QLockFile writes our PID into it and keeps a native lock on it, so
// the lock of a process that died is recognised and taken over.
//
// The server's socket lies beside it. A bare name would put it in /tmp, one
// for every user of the machine: a second user could neither listen there
// nor reach the first user's server, and ended unseen. So without a runtime
// directory that is ours alone there is no single instance at all.
bool AppInstanceGuard::resolveServerAddress()
{
    // Made user-only by Qt when it creates it (also its fallback under /tmp).
    const QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty() || !QDir().mkpath(directory)) {
        m_errorString
                = QStringLiteral("no private runtime directory (XDG_RUNTIME_DIR) for this user");
        return false;
    }
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(directory).constData(), &info) != 0 || !S_ISDIR(info.st_mode)
            || info.st_uid != ::geteuid() || (info.st_mode & 077) != 0) {
        m_errorString = QStringLiteral("the runtime directory %1 is not private to this user "
                                       "(it must be this user's own, mode 0700)")
                                .arg(directory);
        return false;
    }
    m_serverAddress = QDir(directory).filePath(m_serverName);
    return true;
}

AppInstanceGuard::MutexResult AppInstanceGuard::claimMutex()
{
    releaseMutex();
    const QString directory = QFileInfo(m_serverAddress).path();
    const QString lockPath = QDir(directory).filePath(m_mutexName + QLatin1String(".lock"));
    m_lockFile = std::make_unique<QLockFile>(lockPath);
    // A running first instance can hold the lock for days: only a dead owner
    // makes it stale, never its age.
    m_lockFile->setStaleLockTime(0);
    if (m_lockFile->tryLock(0))
        return MutexResult::Created;

    if (m_lockFile->error() != QLockFile::LockFailedError) {
        m_errorString = QStringLiteral("cannot create the lock file %1").arg(lockPath);
        return MutexResult::Failed;
    }

    // A lock file without a readable owner (a crash between creating and
    // writing it) would block every start. Removing it fails while its owner
    // still holds the native lock.
    qint64 pid = 0;
    QString hostName;
    QString application;
    if (m_lockFile->getLockInfo(&pid, &hostName, &application))
        return MutexResult::AlreadyExists;
    if (m_lockFile->removeStaleLockFile() && m_lockFile->tryLock(0))
        return MutexResult::Created;
    // Nobody holds it, yet it cannot be taken: not another instance.
    m_errorString = QStringLiteral("cannot use the lock file %1").arg(lockPath);
    return MutexResult::Failed;
}

void AppInstanceGuard::releaseMutex()
{
    if (m_lockFile && m_lockFile->isLocked())
        m_lockFile->unlock();
    m_lockFile.reset();
}

// X11 has no foreground lock of this kind to hand over.
void AppInstanceGuard::letServerActivate(QLocalSocket &) { }
