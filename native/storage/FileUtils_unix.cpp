#include "storage/FileUtils.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool FileUtils::openRegularFile(QFile &file, QString *reason)
{
    // Non-blocking, so that a FIFO without a writer cannot stop the start;
    // what it is then decides whether it is read at all.
    const int fd = ::open(QFile::encodeName(file.fileName()).constData(),
            O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat status;
    const bool known = ::fstat(fd, &status) == 0;
    if (!known || !S_ISREG(status.st_mode)) {
        *reason = !known                  ? QString::fromLocal8Bit(std::strerror(errno))
                : S_ISDIR(status.st_mode) ? QStringLiteral("a directory")
                                          : QStringLiteral("not a regular file");
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        *reason = file.errorString();
        ::close(fd);
        return false;
    }
    return true;
}
