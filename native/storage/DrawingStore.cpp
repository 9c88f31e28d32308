#include "DrawingStore.h"

#include "FileUtils.h"

#include "DrawItemCodec.h"
#include "DrawingFileReader.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>
#include <QStandardPaths>

#include <utility>

namespace {

// The next save replaces the file; what could not be read is kept aside.
void keepDamaged(const QString &path)
{
    const QString copy = FileUtils::keepDamagedCopy(path);
    if (!copy.isEmpty())
        qWarning().noquote() << "[DrawingStore] Kept the unreadable file as" << copy;
}
const QString kVersionKey = QStringLiteral("version");
const QString kItemsKey = QStringLiteral("items");

QJsonObject emptyDocument()
{
    return QJsonObject { { kVersionKey, DrawingStore::kCurrentVersion },
        { kItemsKey, QJsonArray() } };
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
    return items().toVariantList();
}

void DrawingStore::setDrawings(const QVariantList &items)
{
    setItems(QJsonArray::fromVariantList(items));
}

QVariantMap DrawingStore::readDrawItems(const QVariantMap &rules) const
{
    DrawItemCodec::Rules codecRules;
    codecRules.toolNames = rules.value(QStringLiteral("toolNames")).toStringList();
    codecRules.defaultWindowId = rules.value(QStringLiteral("windowId")).toString();
    codecRules.defaultLineColor = rules.value(QStringLiteral("lineColor")).value<QColor>();
    codecRules.defaultLineWidth = rules.value(QStringLiteral("lineWidth")).toDouble();
    codecRules.minLineWidth = rules.value(QStringLiteral("minLineWidth")).toDouble();
    codecRules.maxLineWidth = rules.value(QStringLiteral("maxLineWidth")).toDouble();

    const DrawItemCodec::Decoded decoded = m_itemsHeld == ItemsHeld::AsRead
            ? DrawItemCodec::decode(m_readItems, codecRules, m_fileText)
            : DrawItemCodec::decode(items(), codecRules);
    QVariantList storedForms;
    storedForms.reserve(decoded.storedForms.size());
    for (const StoredDrawItem &form : decoded.storedForms)
        storedForms.append(QVariant::fromValue(form));
    return { { QStringLiteral("storedCount"), decoded.storedCount },
        { QStringLiteral("items"), decoded.items },
        { QStringLiteral("storedForms"), storedForms } };
}

StoredDrawItem DrawingStore::encodeDrawItem(
        const QVariantMap &item, const QString &type, const QString &toolName) const
{
    return StoredDrawItem(DrawItemCodec::element(item, type, toolName));
}

void DrawingStore::setStoredDrawItems(const QVariantList &storedForms)
{
    m_hasPending = false;
    m_pendingItems.clear();
    holdItems(ItemsHeld::AsStored);
    m_storedItems = storedItemsOf(storedForms);
    m_document.insert(kVersionKey, kCurrentVersion);
    save();
}

void DrawingStore::setPendingDrawItems(const QVariantList &storedForms)
{
    m_pendingItems = storedItemsOf(storedForms);
    m_hasPending = true;
}

bool DrawingStore::savePending()
{
    if (!m_hasPending)
        return false;
    m_hasPending = false;
    holdItems(ItemsHeld::AsStored);
    m_storedItems = std::exchange(m_pendingItems, {});
    m_document.insert(kVersionKey, kCurrentVersion);
    save();
    return true;
}

QList<StoredDrawItem> DrawingStore::storedItemsOf(const QVariantList &storedForms)
{
    QList<StoredDrawItem> forms;
    forms.reserve(storedForms.size());
    int skipped = 0;
    for (const QVariant &value : storedForms) {
        const StoredDrawItem *const form = value.metaType() == QMetaType::fromType<StoredDrawItem>()
                ? static_cast<const StoredDrawItem *>(value.constData())
                : nullptr;
        if (form && form->isValid())
            forms.append(*form);
        else
            ++skipped;
    }
    if (skipped > 0)
        qWarning()
                << "[DrawingStore] setStoredDrawItems: skipped entries that are not stored items:"
                << skipped;
    return forms;
}

QJsonArray DrawingStore::items() const
{
    switch (m_itemsHeld) {
    case ItemsHeld::InDocument:
        break;
    case ItemsHeld::AsRead:
        return QJsonDocument::fromJson(m_fileText.mid(m_itemsOffset, m_itemsLength)).array();
    case ItemsHeld::AsStored: {
        QJsonArray items;
        for (const StoredDrawItem &form : m_storedItems)
            items.append(QJsonDocument::fromJson(form.json().toByteArray()).object());
        return items;
    }
    }
    return m_document.value(kItemsKey).toArray();
}

void DrawingStore::setItems(const QJsonArray &items)
{
    m_hasPending = false;
    m_pendingItems.clear();
    holdItems(ItemsHeld::InDocument);
    m_document.insert(kVersionKey, kCurrentVersion);
    m_document.insert(kItemsKey, items);
    save();
}

void DrawingStore::holdItems(ItemsHeld held)
{
    m_itemsHeld = held;
    m_document.insert(kItemsKey, QJsonArray());
    if (held != ItemsHeld::AsRead) {
        m_fileText.clear();
        m_readItems.clear();
    }
    if (held != ItemsHeld::AsStored)
        m_storedItems.clear();
}

void DrawingStore::reload()
{
    m_hasPending = false;
    m_pendingItems.clear();
    load();
}

void DrawingStore::load()
{
    holdItems(ItemsHeld::InDocument);
    const QString path = filePath();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_document = emptyDocument();
        return;
    }
    const QByteArray data = file.readAll();
    file.close();

    // The quick reader takes what this program writes; the rest of the file
    // is then parsed without its items. For anything else QJsonDocument has
    // the last word, and its messages.
    DrawingFileReader::Result quick;
    QJsonParseError error {};
    QJsonDocument json;
    bool readQuickly = DrawingFileReader::read(data, &quick);
    if (readQuickly) {
        json = QJsonDocument::fromJson(quick.frame, &error);
        readQuickly = error.error == QJsonParseError::NoError;
    }
    if (!readQuickly)
        json = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError) {
        qWarning() << "[DrawingStore] JSON parse error:" << error.errorString();
        keepDamaged(path);
        m_document = emptyDocument();
        return;
    }
    if (!json.isObject()) {
        qWarning() << "[DrawingStore] Invalid JSON structure";
        keepDamaged(path);
        m_document = emptyDocument();
        return;
    }

    m_document = json.object();
    const int version = documentVersion(m_document);
    if (version == kCurrentVersion) {
        if (!m_document.value(kItemsKey).isArray())
            m_document.insert(kItemsKey, QJsonArray());
        if (readQuickly && quick.itemsIsArray) {
            holdItems(ItemsHeld::AsRead);
            m_fileText = data;
            m_itemsOffset = quick.itemsOffset;
            m_itemsLength = quick.itemsLength;
            m_readItems = std::move(quick.items);
        }
        qInfo() << "[DrawingStore] Loaded drawings from" << path;
        return;
    }

    qWarning() << "[DrawingStore] Version mismatch: saved=" << version
               << "current=" << kCurrentVersion << "- discarding items";
    keepDamaged(path);
    m_document.insert(kVersionKey, kCurrentVersion);
    m_document.insert(kItemsKey, QJsonArray());
}

void DrawingStore::save()
{
    const QString path = filePath();

    // QSaveFile writes beside the file and renames on commit, so a failed or
    // interrupted write never leaves a half-written drawings.json.
    // A read-only drawings.json would make the save file refuse to open.
    if (QFileInfo(path).isFile())
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning() << "[DrawingStore] Failed to save drawings to" << path;
        return;
    }
    // Owner read and write for the file that replaces the old one, whatever
    // the old one had. A QSaveFile only has a file to set them on once open.
    file.setPermissions(QFileDevice::ReadUser | QFileDevice::WriteUser);
    if (m_itemsHeld == ItemsHeld::AsStored)
        DrawItemCodec::writeDocument(file, m_document, m_storedItems);
    else
        file.write(QJsonDocument(m_document).toJson(QJsonDocument::Indented));
    if (!file.commit())
        qWarning() << "[DrawingStore] Failed to commit drawings to" << path;
}
