#include "FileUtils.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

FileUtils *FileUtils::instance()
{
    static FileUtils *const s_instance = new FileUtils;
    return s_instance;
}

QString FileUtils::mapResourcePath(const QString &path)
{
    // Only the exact lower-case scheme names a resource; "QRC:/x" is a file path.
    if (path.startsWith(QLatin1String("qrc:/")))
        return path.mid(3);
    return path;
}

QString FileUtils::readFile(const QString &filePath)
{
    const QString path = mapResourcePath(filePath);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qWarning().noquote() << "[FileUtils] Failed to open file:" << path
                             << "Error:" << file.errorString();
        return QString();
    }
    const QString text = QString::fromUtf8(file.readAll());
    file.close();
    return text;
}

bool FileUtils::fileExists(const QString &filePath)
{
    return QFileInfo::exists(mapResourcePath(filePath));
}

QStringList FileUtils::listFiles(const QString &dirPath, const QStringList &filters)
{
    const QString path = mapResourcePath(dirPath);
    const QDir dir(path);
    // An empty path would otherwise list the working directory.
    if (path.isEmpty() || !dir.exists()) {
        qWarning().noquote() << "[FileUtils] Directory does not exist:" << path;
        return {};
    }
    const QStringList nameFilters
            = filters.isEmpty() ? QStringList { QStringLiteral("*") } : filters;
    return dir.entryList(nameFilters, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

QStringList FileUtils::listFiles(const QString &dirPath)
{
    return listFiles(dirPath, QStringList());
}

QUrl FileUtils::toFileUrl(const QString &localPath) const
{
    return QUrl::fromLocalFile(QDir::fromNativeSeparators(localPath));
}

QString FileUtils::keepDamagedCopy(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString copy = info.dir().filePath(info.completeBaseName() + QStringLiteral(".damaged-") + stamp
                                       + QLatin1Char('.') + info.suffix());
    for (int n = 2; QFileInfo::exists(copy); ++n)
        copy = info.dir().filePath(info.completeBaseName() + QStringLiteral(".damaged-") + stamp
                                   + QLatin1Char('-') + QString::number(n) + QLatin1Char('.') + info.suffix());
    return QFile::copy(path, copy) ? copy : QString();
}
