#pragma once

#include "QmlSingleton.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

// File access for the declarative side. Paths may be plain paths or resource
// URLs starting with "qrc:/". Stateless.
class FileUtils : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(FileUtils)

public:
    static FileUtils *instance();

    // "qrc:/a/b" becomes the resource path ":/a/b"; anything else is unchanged.
    static QString mapResourcePath(const QString &path);
    // Copies a stored file that could not be read to a name of its own
    // beside it ("drawings.json" becomes "drawings.damaged-<time>.json"), so
    // the next save does not destroy what may still be rescued by hand.
    // Returns the copy's path, or empty when nothing was copied.
    static QString keepDamagedCopy(const QString &path);

    Q_INVOKABLE QString readFile(const QString &filePath);
    Q_INVOKABLE bool fileExists(const QString &filePath);
    Q_INVOKABLE QStringList listFiles(const QString &dirPath, const QStringList &filters);
    Q_INVOKABLE QStringList listFiles(const QString &dirPath);
    Q_INVOKABLE QUrl toFileUrl(const QString &localPath) const;

private:
    FileUtils() = default;
    Q_DISABLE_COPY_MOVE(FileUtils)
};
