#include "storage/DrawingStore.h"

#include "storage/FileUtils.h"

#include "app/LogCategories.h"
#include "storage/DrawItemCodec.h"
#include "storage/DrawingFileReader.h"

#include <QDateTime>
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
        qCWarning(lcDrawings).noquote() << "[DrawingStore] Kept the unreadable file as" << copy;
}
const QString kVersionKey = QStringLiteral("version");
const QString kItemsKey = QStringLiteral("items");
const QString kBoardsKey = QStringLiteral("boards");

bool sameForms(const QList<StoredDrawItem> &a, const QList<StoredDrawItem> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a.at(i).json().data() != b.at(i).json().data()
                || a.at(i).json().size() != b.at(i).json().size())
            return false;
    }
    return true;
}

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
    m_save.retry.setInterval(kRetryIntervalMs);
    connect(&m_save.retry, &QTimer::timeout, this, &DrawingStore::save);
    load();
}

QString DrawingStore::filePath()
{
    const QString directory = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!QDir().mkpath(directory))
        qCWarning(lcDrawings) << "[DrawingStore] Failed to create data directory";
    return directory + QStringLiteral("/drawings.json");
}

QVariantList DrawingStore::getDrawings() const
{
    return items().toVariantList();
}

bool DrawingStore::setDrawings(const QVariantList &items)
{
    return setItems(QJsonArray::fromVariantList(items));
}

DrawItemCodec::Rules DrawingStore::rulesOf(const QVariantMap &rules)
{
    DrawItemCodec::Rules codecRules;
    codecRules.toolNames = rules.value(QStringLiteral("toolNames")).toStringList();
    codecRules.defaultWindowId = rules.value(QStringLiteral("windowId")).toString();
    codecRules.defaultLineColor = rules.value(QStringLiteral("lineColor")).value<QColor>();
    codecRules.defaultLineWidth = rules.value(QStringLiteral("lineWidth")).toDouble();
    codecRules.minLineWidth = rules.value(QStringLiteral("minLineWidth")).toDouble();
    codecRules.maxLineWidth = rules.value(QStringLiteral("maxLineWidth")).toDouble();
    return codecRules;
}

QVariantMap DrawingStore::decodedMap(const DrawItemCodec::Decoded &decoded)
{
    QVariantList storedForms;
    storedForms.reserve(decoded.storedForms.size());
    for (const StoredDrawItem &form : decoded.storedForms)
        storedForms.append(QVariant::fromValue(form));
    return { { QStringLiteral("storedCount"), decoded.storedCount },
        { QStringLiteral("items"), decoded.items },
        { QStringLiteral("storedForms"), storedForms } };
}

QVariantMap DrawingStore::readBoardItems(const QVariantMap &rules)
{
    const DrawItemCodec::Rules codecRules = rulesOf(rules);
    const QJsonObject boards = m_document.value(kBoardsKey).toObject();
    QVariantMap result;
    m_keptBoardItems.clear();
    m_boardItems.clear();
    for (auto it = boards.begin(); it != boards.end(); ++it) {
        if (!it.value().isArray()) {
            qCWarning(lcDrawings) << "[DrawingStore] Board" << it.key() << "holds no list of items";
            continue;
        }
        const DrawItemCodec::Decoded decoded
                = DrawItemCodec::decode(it.value().toArray(), codecRules);
        if (decoded.dropped > 0)
            qCWarning(lcDrawings) << "[DrawingStore] Dropped" << decoded.dropped
                                  << "entries of board" << it.key() << "that are not drawing items";
        m_keptBoardItems.insert(it.key(), decoded.kept);
        m_boardItems.insert(it.key(), decoded.storedForms);
        result.insert(it.key(), decodedMap(decoded));
    }
    return result;
}

void DrawingStore::setBoardItems(const QVariantMap &boards)
{
    QJsonObject stored = m_document.value(kBoardsKey).toObject();
    const bool wasThere = m_document.contains(kBoardsKey);
    bool changed = false;
    for (auto it = boards.begin(); it != boards.end(); ++it) {
        const QList<StoredDrawItem> forms = storedItemsOf(it.value().toList());
        if (sameForms(forms, m_boardItems.value(it.key()))
                && stored.contains(it.key()) == !forms.isEmpty())
            continue;
        m_boardItems.insert(it.key(), forms);
        QJsonArray items;
        for (const StoredDrawItem &form : m_keptBoardItems.value(it.key()) + forms)
            items.append(QJsonDocument::fromJson(form.json().toByteArray()).object());
        if (items.isEmpty())
            stored.remove(it.key());
        else
            stored.insert(it.key(), items);
        changed = true;
    }
    if (!changed)
        return;
    if (stored.isEmpty()) {
        if (wasThere)
            m_document.remove(kBoardsKey);
    } else {
        m_document.insert(kBoardsKey, stored);
    }
}

QVariantMap DrawingStore::readDrawItems(const QVariantMap &rules)
{
    const DrawItemCodec::Rules codecRules = rulesOf(rules);

    DrawItemCodec::Decoded decoded = m_itemsHeld == ItemsHeld::AsRead
            ? DrawItemCodec::decode(m_readItems, codecRules, m_fileText)
            : DrawItemCodec::decode(items(), codecRules);
    if (m_itemsHeld == ItemsHeld::AsRead) {
        decoded.storedCount += m_skippedEntries;
        decoded.dropped += m_skippedEntries;
    }
    m_keptItems = decoded.kept;
    if (!decoded.kept.isEmpty())
        qCInfo(lcDrawings) << "[DrawingStore] Keeping" << decoded.kept.size()
                           << "items this version cannot draw";
    if (decoded.dropped > 0) {
        qCWarning(lcDrawings) << "[DrawingStore] Dropped" << decoded.dropped
                              << "entries that are not drawing items";
        keepDamaged(filePath());
    }
    return decodedMap(decoded);
}

StoredDrawItem DrawingStore::encodeDrawItem(
        const QVariantMap &item, const QString &type, const QString &toolName) const
{
    return StoredDrawItem(DrawItemCodec::element(item, type, toolName));
}

bool DrawingStore::setStoredDrawItems(const QVariantList &storedForms)
{
    m_hasPending = false;
    m_pendingItems.clear();
    holdItems(ItemsHeld::AsStored);
    m_storedItems = storedItemsOf(storedForms);
    m_document.insert(kVersionKey, kCurrentVersion);
    return save();
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

void DrawingStore::saveOnExit()
{
    if (!savePending() && m_save.unsaved)
        save();
    m_save.retry.stop();
    if (!m_save.unsaved)
        return;
    // Beside the file, beside its folder, at home, in the temporary folder:
    // the first that can be written.
    const QFileInfo file(filePath());
    const QString name = QStringLiteral("drawings.unsaved-")
            + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))
            + QStringLiteral(".json");
    for (const QString &folder :
            { file.absolutePath(), QFileInfo(file.absolutePath()).absolutePath(), QDir::homePath(),
                    QDir::tempPath() }) {
        const QString path = QDir(folder).filePath(name);
        if (writeTo(path)) {
            qCWarning(lcDrawings) << "[DrawingStore] Kept the unsaved drawing in" << path;
            return;
        }
    }
    qCCritical(lcDrawings) << "[DrawingStore] Could not keep the unsaved drawing anywhere";
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
        qCWarning(lcDrawings)
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
        for (const StoredDrawItem &form : m_keptItems + m_storedItems)
            items.append(QJsonDocument::fromJson(form.json().toByteArray()).object());
        return items;
    }
    }
    return m_document.value(kItemsKey).toArray();
}

bool DrawingStore::setItems(const QJsonArray &items)
{
    m_hasPending = false;
    m_pendingItems.clear();
    m_keptItems.clear(); // the caller hands over every entry
    holdItems(ItemsHeld::InDocument);
    m_document.insert(kVersionKey, kCurrentVersion);
    m_document.insert(kItemsKey, items);
    return save();
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
    m_keptItems.clear();
    m_keptBoardItems.clear();
    m_boardItems.clear();
    m_save.unsaved = false;
    m_save.retry.stop();
    load();
}

void DrawingStore::load()
{
    holdItems(ItemsHeld::InDocument);
    const QString path = filePath();
    const FileUtils::StoredFile stored = FileUtils::readStoredFile(path, kMaxFileSize);
    m_save.refused = stored.status == FileUtils::StoredFile::Refused;
    if (m_save.refused)
        qCWarning(lcDrawings) << "[DrawingStore] Cannot read drawings from" << path << stored.reason
                              << "- starting with an empty page, the file is kept";
    if (stored.status != FileUtils::StoredFile::Read) {
        m_document = emptyDocument();
        return;
    }
    const QByteArray &data = stored.data;

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
        qCWarning(lcDrawings) << "[DrawingStore] JSON parse error:" << error.errorString();
        keepDamaged(path);
        m_document = emptyDocument();
        return;
    }
    if (!json.isObject()) {
        qCWarning(lcDrawings) << "[DrawingStore] Invalid JSON structure";
        keepDamaged(path);
        m_document = emptyDocument();
        return;
    }

    // Quickly read text is plain ASCII; anything else may hold keys that
    // would merge with others once written.
    m_document = readQuickly ? json.object() : FileUtils::withoutLeadingMarks(json.object());
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
            m_skippedEntries = quick.skipped;
        }
        qCInfo(lcDrawings) << "[DrawingStore] Loaded drawings from" << path;
        return;
    }

    qCWarning(lcDrawings) << "[DrawingStore] Version mismatch: saved=" << version
                          << "current=" << kCurrentVersion << "- discarding items";
    keepDamaged(path);
    m_document.insert(kVersionKey, kCurrentVersion);
    m_document.insert(kItemsKey, QJsonArray());
    m_document.remove(kBoardsKey);
}

bool DrawingStore::save()
{
    return FileUtils::saveStoredFile(filePath(), m_save, lcDrawings(), "DrawingStore", "drawings",
            [this](QIODevice &file) { return writeDocument(file); });
}

bool DrawingStore::writeTo(const QString &path)
{
    QString error;
    bool opened = false;
    return FileUtils::writeStoredFile(
            path, [this](QIODevice &file) { return writeDocument(file); }, &error, &opened);
}

bool DrawingStore::writeDocument(QIODevice &file) const
{
    if (m_itemsHeld == ItemsHeld::AsStored)
        return DrawItemCodec::writeDocument(file, m_document, m_keptItems + m_storedItems);
    const QByteArray text = QJsonDocument(m_document).toJson(QJsonDocument::Indented);
    return file.write(text) == text.size();
}
