#include "DrawingStore.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>
#include <QStandardPaths>

namespace {
const QString kVersionKey = QStringLiteral("version");
const QString kItemsKey = QStringLiteral("items");

QJsonObject emptyDocument()
{
    return QJsonObject{{kVersionKey, DrawingStore::kCurrentVersion}, {kItemsKey, QJsonArray()}};
}

// "version" as an integer; anything that is not an integral number is 0.
int documentVersion(const QJsonObject &document)
{
    const QJsonValue value = document.value(kVersionKey);
    if (!value.isDouble())
        return 0;
    const double number = value.toDouble();
    const int version = value.toInt();
    return double(version) == number ? version : 0;
}
} // namespace

DrawingStore *DrawingStore::instance()
{
    static DrawingStore *const s_instance = new DrawingStore;
    return s_instance;
}

DrawingStore::DrawingStore()
{
    load();
}

QString DrawingStore::filePath()
{
    const QString directory = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!QDir().mkpath(directory))
        qWarning() << "[DrawingStore] Failed to create data directory";
    return directory + QStringLiteral("/drawings.json");
}

QVariantList DrawingStore::getDrawings() const
{
    const QJsonValue items = m_document.value(kItemsKey);
    if (!items.isArray())
        return {};
    return items.toArray().toVariantList();
}

void DrawingStore::setDrawings(const QVariantList &items)
{
    setItems(QJsonArray::fromVariantList(items));
}

QJsonArray DrawingStore::items() const
{
    return m_document.value(kItemsKey).toArray();
}

void DrawingStore::setItems(const QJsonArray &items)
{
    m_document.insert(kVersionKey, kCurrentVersion);
    m_document.insert(kItemsKey, items);
    save();
}

void DrawingStore::reload()
{
    load();
}

void DrawingStore::load()
{
    const QString path = filePath();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_document = emptyDocument();
        return;
    }
    const QByteArray data = file.readAll();
    file.close();

    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError) {
        qWarning() << "[DrawingStore] JSON parse error:" << error.errorString();
        m_document = emptyDocument();
        return;
    }
    if (!json.isObject()) {
        qWarning() << "[DrawingStore] Invalid JSON structure";
        m_document = emptyDocument();
        return;
    }

    m_document = json.object();
    const int version = documentVersion(m_document);
    if (version == kCurrentVersion) {
        if (!m_document.value(kItemsKey).isArray())
            m_document.insert(kItemsKey, QJsonArray());
        qInfo() << "[DrawingStore] Loaded drawings from" << path;
        return;
    }

    qWarning() << "[DrawingStore] Version mismatch: saved=" << version
               << "current=" << kCurrentVersion << "- discarding items";
    m_document.insert(kVersionKey, kCurrentVersion);
    m_document.insert(kItemsKey, QJsonArray());
}

void DrawingStore::save()
{
    const QString path = filePath();

    // QSaveFile writes beside the file and renames on commit, so a failed or
    // interrupted write never leaves a half-written drawings.json.
    QSaveFile file(path);
    file.setPermissions(QFileDevice::ReadUser | QFileDevice::WriteUser);
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning() << "[DrawingStore] Failed to save drawings to" << path;
        return;
    }
    file.write(QJsonDocument(m_document).toJson(QJsonDocument::Indented));
    if (!file.commit())
        qWarning() << "[DrawingStore] Failed to commit drawings to" << path;
}
