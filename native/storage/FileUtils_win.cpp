#include "storage/FileUtils.h"

#include <QFile>
#include <QFileInfo>

bool FileUtils::openRegularFile(QFile &file, QString *reason)
{
    // Devices and pipes have names outside the file system's folders.
    if (!QFileInfo(file.fileName()).isFile()) {
        *reason = QStringLiteral("not a regular file");
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return false;
    }
    return true;
}
