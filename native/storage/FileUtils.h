#pragma once

#include "app/QmlSingleton.h"

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <functional>

class QFile;
class QIODevice;
class QLoggingCategory;

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
    // beside it ("drawings.json" becomes "drawings.damaged-<hash>.json"), so
    // the next save does not destroy what may still be rescued by hand. The
    // name comes from the content: the same file is kept once, however often
    // it is read. Returns the new copy's path, or empty when none was made.
    static QString keepDamagedCopy(const QString &path);

    // A stored file as read by the stores: only a regular file (a FIFO, a
    // device or a directory could block, never end or not be a file at all),
    // and no more than `maxSize` bytes.
    struct StoredFile
    {
        enum Status { Read, Missing, Refused } status = Missing;
        QByteArray data;
        QString reason; // why it was refused
    };
    static StoredFile readStoredFile(const QString &path, qint64 maxSize);
    // Whether whatever is at `path` must not be replaced by a save: anything
    // there that is neither a regular file (or a link to one) nor a directory,
    // which a save cannot replace anyway.
    static bool isSpecialFile(const QString &path);
    // Before a save: what is at `path` goes aside, whole, when it could not
    // be read (`refused`) or is a special file, so that the save never
    // replaces it. False when it had to go and could not.
    static bool clearForSave(const QString &path, bool *refused, QString *aside);
    // Renames what is at `path` to "<name>.<tag>-<time>.<suffix>" beside it.
    // Returns the new path, or empty on failure.
    static QString moveAside(const QString &path, const QString &tag);
    // Replaces `path` by the text `write` puts into the device, or leaves it
    // as it was: every write is checked. On failure `error` says why and
    // `opened` whether the new file could be made at all.
    static bool writeStoredFile(const QString &path, const std::function<bool(QIODevice &)> &write,
            QString *error, bool *opened);
    // What a store knows about saving its file.
    struct SaveState
    {
        bool refused = false; // the file could not be read: it goes aside first
        bool unsaved = false; // the last save failed
        QTimer retry; // runs while a save is failing
    };
    // One save of a store's file: what could not be read goes aside whole
    // first, a failure is logged once per run of failures (as "[component]
    // Failed to save what to", in the store's category), and the retry timer
    // runs until a save works.
    static bool saveStoredFile(const QString &path, SaveState &state,
            const QLoggingCategory &category, const char *component, const char *what,
            const std::function<bool(QIODevice &)> &write);
    // A copy of `object` whose keys no longer begin with a byte order mark.
    // Qt writes such a mark and drops it when reading the text again, which
    // would turn two keys into one key written twice. The key without the
    // mark wins.
    static QJsonObject withoutLeadingMarks(const QJsonObject &object);

    Q_INVOKABLE QString readFile(const QString &filePath);
    Q_INVOKABLE bool fileExists(const QString &filePath);
    Q_INVOKABLE QStringList listFiles(const QString &dirPath, const QStringList &filters);
    Q_INVOKABLE QStringList listFiles(const QString &dirPath);
    Q_INVOKABLE QUrl toFileUrl(const QString &localPath) const;

private:
    FileUtils() = default;
    // Opens `file` for reading when it is a regular file, without blocking
    // on anything else; the platform's part.
    static bool openRegularFile(QFile &file, QString *reason);
    Q_DISABLE_COPY_MOVE(FileUtils)
};
