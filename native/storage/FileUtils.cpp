#include "storage/FileUtils.h"

#include "app/LogCategories.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QSaveFile>

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
        qCWarning(lcFiles).noquote()
                << "[FileUtils] Failed to open file:" << path << "Error:" << file.errorString();
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
        qCWarning(lcFiles).noquote() << "[FileUtils] Directory does not exist:" << path;
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
    QFile file(path);
    QString reason;
    if (!openRegularFile(file, &reason))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!hash.addData(&file))
        return {};
    const QFileInfo info(path);
    const QString copy = info.dir().filePath(info.completeBaseName() + QStringLiteral(".damaged-")
            + QString::fromLatin1(hash.result().toHex().left(12)) + QLatin1Char('.')
            + info.suffix());
    if (QFileInfo::exists(copy))
        return {};
    return QFile::copy(path, copy) ? copy : QString();
}

FileUtils::StoredFile FileUtils::readStoredFile(const QString &path, qint64 maxSize)
{
    StoredFile result;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return result;
    result.status = StoredFile::Refused;
    QFile file(path);
    if (!openRegularFile(file, &result.reason))
        return result;
    if (file.size() > maxSize) {
        result.reason = QStringLiteral("larger than %1 MB").arg(maxSize >> 20);
        return result;
    }
    // One byte more than its size, never more than one past the limit.
    result.data = file.read(qMin(file.size(), maxSize) + 1);
    if (file.error() != QFileDevice::NoError) {
        result.reason = file.errorString();
        result.data.clear();
    } else if (result.data.size() > maxSize) {
        result.reason = QStringLiteral("larger than %1 MB").arg(maxSize >> 20);
        result.data.clear();
    } else {
        result.status = StoredFile::Read;
    }
    return result;
}

bool FileUtils::isSpecialFile(const QString &path)
{
    const QFileInfo info(path);
    return (info.exists() || info.isSymLink()) && !info.isFile() && !info.isDir();
}

bool FileUtils::saveStoredFile(const QString &path, SaveState &state,
        const QLoggingCategory &category, const char *component, const char *what,
        const std::function<bool(QIODevice &)> &write)
{
    const QString tag = QStringLiteral("[%1]").arg(QLatin1String(component));
    QString error;
    bool opened = false;
    QString aside;
    if (!clearForSave(path, &state.refused, &aside))
        error = QStringLiteral("cannot move the unreadable file aside");
    if (!aside.isEmpty())
        qCWarning(category) << qPrintable(tag) << "Moved the unreadable file aside as" << aside;
    if (error.isEmpty() && writeStoredFile(path, write, &error, &opened)) {
        if (state.unsaved)
            qCInfo(category) << qPrintable(tag) << "Saved" << what << "to" << path << "after all";
        state.unsaved = false;
        state.retry.stop();
        return true;
    }
    if (!state.unsaved)
        qCWarning(category) << qPrintable(tag) << (opened ? "Failed to commit" : "Failed to save")
                            << what << "to" << path << error;
    state.unsaved = true;
    state.retry.start();
    return false;
}

bool FileUtils::clearForSave(const QString &path, bool *refused, QString *aside)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        *refused = false;
    if (!*refused && !isSpecialFile(path))
        return true;
    *aside = moveAside(path, QStringLiteral("unreadable"));
    *refused = aside->isEmpty();
    return !*refused;
}

QString FileUtils::moveAside(const QString &path, const QString &tag)
{
    const QFileInfo info(path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString stem
            = info.completeBaseName() + QLatin1Char('.') + tag + QLatin1Char('-') + stamp;
    QString aside = info.dir().filePath(stem + QLatin1Char('.') + info.suffix());
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = info.dir().filePath(
                stem + QLatin1Char('-') + QString::number(n) + QLatin1Char('.') + info.suffix());
    return QDir().rename(path, aside) ? aside : QString();
}

bool FileUtils::writeStoredFile(const QString &path, const std::function<bool(QIODevice &)> &write,
        QString *error, bool *opened)
{
    // QSaveFile writes beside the file and renames on commit, so a failed or
    // interrupted write never leaves a half-written file. It refuses to
    // replace a read-only file, so that one is made writable first; the new
    // one is the user's alone.
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner
            | QFileDevice::ReadUser | QFileDevice::WriteUser;
    if (QFileInfo(path).isFile())
        QFile::setPermissions(path, ownerOnly);
    QSaveFile file(path);
    *opened = file.open(QIODevice::WriteOnly);
    if (!*opened) {
        *error = file.errorString();
        return false;
    }
    file.setPermissions(ownerOnly);
    // A full disk shows as a short write, not always as an error: without
    // this check the commit would put a truncated file in place.
    if (!write(file) || !file.flush() || file.error() != QFileDevice::NoError) {
        *error = file.error() != QFileDevice::NoError ? file.errorString()
                                                      : QStringLiteral("short write");
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QJsonObject FileUtils::withoutLeadingMarks(const QJsonObject &object)
{
    const auto marked = [](const QString &key) { return key.startsWith(QChar(0xfeff)); };
    const std::function<QJsonValue(const QJsonValue &)> clean = [&](const QJsonValue &value) {
        if (value.isArray()) {
            QJsonArray array = value.toArray();
            for (qsizetype i = 0; i < array.size(); ++i)
                if (array.at(i).isObject() || array.at(i).isArray())
                    array.replace(i, clean(array.at(i)));
            return QJsonValue(array);
        }
        if (!value.isObject())
            return value;
        QJsonObject result;
        const QJsonObject source = value.toObject();
        for (auto it = source.begin(); it != source.end(); ++it) {
            QString key = it.key();
            while (marked(key))
                key.remove(0, 1);
            if (key.size() == it.key().size() || !source.contains(key))
                if (!result.contains(key) || !marked(it.key()))
                    result.insert(key, clean(it.value()));
        }
        return QJsonValue(result);
    };
    return clean(object).toObject();
}
