#pragma once

#include "app/QmlSingleton.h"
#include "storage/FileUtils.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

// Keeps settings.json as one nested JSON object and reads and writes it by
// dotted key paths such as "app.general.autoStartEnabled". Every setter
// writes the whole file at once.
class SettingsStore : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(SettingsStore)

public:
    static SettingsStore *instance();

    Q_INVOKABLE QVariant getValue(
            const QString &key, const QVariant &defaultValue = QVariant()) const;
    Q_INVOKABLE void setValue(const QString &key, const QVariant &value);
    Q_INVOKABLE void setValues(const QVariantMap &values);
    // `key` names a top-level member as it is, dots and all.
    Q_INVOKABLE void setObject(const QString &key, const QVariantMap &object);
    // False when the file could not be written: the settings are kept and
    // the save is tried again, also at the next change.
    Q_INVOKABLE bool save();
    Q_INVOKABLE void reload();
    // Before the process ends: one more try if a save is still failing.
    void saveOnExit();
    bool isSaved() const { return !m_save.unsaved; }

    QJsonObject document() const { return m_document; }

    // Computes the file path, creating the data directory on the way.
    static QString filePath();

    // The segments of a dotted key, empty ones dropped.
    static QStringList keySegments(const QString &key);
    // What a variant is stored as: maps become objects, lists arrays,
    // colours "#rrggbb" (or "#aarrggbb" when not opaque), other values their
    // text; null, empty text forms and non-finite numbers become null.
    static QJsonValue toJsonValue(const QVariant &value);
    // The value under `segments`, undefined when the path does not exist.
    static QJsonValue valueAt(const QJsonObject &document, const QStringList &segments);
    // `document` with `value` stored under `segments`; members in the way
    // that are not objects are replaced by objects.
    static QJsonObject withValueAt(
            const QJsonObject &document, const QStringList &segments, const QJsonValue &value);

private:
    SettingsStore();
    Q_DISABLE_COPY_MOVE(SettingsStore)

    void load();
    // Stores one value without saving; false (and a warning) for a key that
    // names nothing.
    bool store(const QString &key, const QVariant &value);

    QJsonObject m_document;
    FileUtils::SaveState m_save;
};
