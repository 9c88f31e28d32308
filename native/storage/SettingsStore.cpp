#include "storage/SettingsStore.h"

#include "app/LogCategories.h"
#include "storage/FileUtils.h"

#include <QAssociativeIterable>
#include <QByteArray>
#include <QColor>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJSValue>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>
#include <QSequentialIterable>
#include <QStandardPaths>

#include <cmath>
#include <limits>

namespace {

// The next save replaces the file; what could not be read is kept aside.
void keepDamaged(const QString &path)
{
    const QString copy = FileUtils::keepDamagedCopy(path);
    if (!copy.isEmpty())
        qCWarning(lcSettings).noquote() << "[SettingsStore] Kept the unreadable file as" << copy;
}

// A written key deeper than this would make a file that the JSON reader
// refuses (it stops at 1024 levels) and so lose every setting at the next
// start; real keys have four segments at most.
constexpr int kMaxWrittenSegments = 100;
// Settings are a few kilobytes; anything near this is not a settings file.
constexpr qint64 kMaxFileSize = qint64(16) << 20;
// While a save is failing it is tried again this often.
constexpr int kRetryIntervalMs = 30000;

QJsonValue textOrNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

} // namespace

SettingsStore *SettingsStore::instance()
{
    static SettingsStore *const s_instance = new SettingsStore;
    return s_instance;
}

SettingsStore::SettingsStore()
{
    m_save.retry.setInterval(kRetryIntervalMs);
    connect(&m_save.retry, &QTimer::timeout, this, &SettingsStore::save);
    load();
}

QString SettingsStore::filePath()
{
    const QString directory = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!QDir().mkpath(directory))
        qCWarning(lcSettings) << "[SettingsStore] Failed to create settings directory";
    return directory + QStringLiteral("/settings.json");
}

QStringList SettingsStore::keySegments(const QString &key)
{
    return key.split(QLatin1Char('.'), Qt::SkipEmptyParts);
}

QJsonValue SettingsStore::toJsonValue(const QVariant &value)
{
    if (!value.isValid())
        return QJsonValue::Null;

    const QMetaType type = value.metaType();
    switch (type.id()) {
    case QMetaType::Nullptr:
        return QJsonValue::Null;
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return QJsonValue(value.toLongLong());
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong number = value.toULongLong();
        if (number <= qulonglong(std::numeric_limits<qint64>::max()))
            return QJsonValue(qint64(number));
        return QJsonValue(double(number));
    }
    case QMetaType::Float:
    case QMetaType::Double: {
        // JSON has no NaN or infinity; the file would say null anyway, so
        // the document says it too.
        const double number = value.toDouble();
        return std::isfinite(number) ? QJsonValue(number) : QJsonValue(QJsonValue::Null);
    }
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    case QMetaType::QColor: {
        const QColor color = value.value<QColor>();
        if (!color.isValid())
            return QJsonValue::Null;
        return color.name(color.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb);
    }
    case QMetaType::QJsonValue:
        return value.toJsonValue();
    case QMetaType::QJsonObject:
        return value.toJsonObject();
    case QMetaType::QJsonArray:
        return value.toJsonArray();
    case QMetaType::QJsonDocument: {
        const QJsonDocument document = value.toJsonDocument();
        if (document.isObject())
            return document.object();
        if (document.isArray())
            return document.array();
        return QJsonValue::Null;
    }
    case QMetaType::QVariantMap: {
        QJsonObject object;
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            object.insert(it.key(), toJsonValue(it.value()));
        return object;
    }
    case QMetaType::QVariantHash: {
        QJsonObject object;
        const QVariantHash hash = value.toHash();
        for (auto it = hash.cbegin(); it != hash.cend(); ++it)
            object.insert(it.key(), toJsonValue(it.value()));
        return object;
    }
    case QMetaType::QVariantList: {
        QJsonArray array;
        const QVariantList list = value.toList();
        for (const QVariant &element : list)
            array.append(toJsonValue(element));
        return array;
    }
    case QMetaType::QStringList: {
        QJsonArray array;
        const QStringList list = value.toStringList();
        for (const QString &element : list)
            array.append(element);
        return array;
    }
    default:
        break;
    }

    // Values handed over from JavaScript may still be wrapped.
    if (type == QMetaType::fromType<QJSValue>())
        return toJsonValue(value.value<QJSValue>().toVariant());

    if (value.canView<QAssociativeIterable>()) {
        QJsonObject object;
        const QAssociativeIterable iterable = value.value<QAssociativeIterable>();
        for (auto it = iterable.begin(); it != iterable.end(); ++it)
            object.insert(it.key().toString(), toJsonValue(it.value()));
        return object;
    }
    if (value.canView<QSequentialIterable>()) {
        QJsonArray array;
        const QSequentialIterable iterable = value.value<QSequentialIterable>();
        for (const QVariant &element : iterable)
            array.append(toJsonValue(element));
        return array;
    }
    return textOrNull(value.toString());
}

QJsonValue SettingsStore::valueAt(const QJsonObject &document, const QStringList &segments)
{
    if (segments.isEmpty())
        return QJsonValue(QJsonValue::Undefined);
    QJsonObject object = document;
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const auto it = object.constFind(segments.at(i));
        if (it == object.constEnd())
            return QJsonValue(QJsonValue::Undefined);
        if (i == segments.size() - 1)
            return it.value();
        if (!it.value().isObject())
            return QJsonValue(QJsonValue::Undefined);
        object = it.value().toObject();
    }
    return QJsonValue(QJsonValue::Undefined);
}

QJsonObject SettingsStore::withValueAt(
        const QJsonObject &document, const QStringList &segments, const QJsonValue &value)
{
    if (segments.isEmpty())
        return document;

    // Walk down keeping every object on the way, then store the changed
    // child back into each parent on the way up.
    QList<QJsonObject> parents;
    parents.reserve(segments.size());
    QJsonObject current = document;
    for (qsizetype i = 0; i + 1 < segments.size(); ++i) {
        const QJsonValue child = current.value(segments.at(i));
        parents.append(current);
        current = child.isObject() ? child.toObject() : QJsonObject();
    }
    current.insert(segments.last(), value);
    for (qsizetype i = parents.size() - 1; i >= 0; --i) {
        QJsonObject parent = parents.at(i);
        parent.insert(segments.at(i), current);
        current = parent;
    }
    return current;
}

QVariant SettingsStore::getValue(const QString &key, const QVariant &defaultValue) const
{
    if (key.trimmed().isEmpty()) {
        qCWarning(lcSettings) << "[SettingsStore] Invalid key";
        return defaultValue;
    }
    const QJsonValue value = valueAt(m_document, keySegments(key));
    if (value.isUndefined() || value.isNull())
        return defaultValue;
    return value.toVariant();
}

bool SettingsStore::store(const QString &key, const QVariant &value)
{
    // Empty segments are dropped here as well as when reading, so that what
    // is written under a key is what that key reads back.
    const QStringList segments = keySegments(key);
    if (key.trimmed().isEmpty() || segments.isEmpty() || segments.size() > kMaxWrittenSegments) {
        qCWarning(lcSettings) << "[SettingsStore] Invalid key";
        return false;
    }
    m_document = withValueAt(m_document, segments, toJsonValue(value));
    return true;
}

void SettingsStore::setValue(const QString &key, const QVariant &value)
{
    if (store(key, value))
        save();
}

void SettingsStore::setValues(const QVariantMap &values)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        store(it.key(), it.value());
    save();
}

void SettingsStore::setObject(const QString &key, const QVariantMap &object)
{
    if (key.trimmed().isEmpty()) {
        qCWarning(lcSettings) << "[SettingsStore] Invalid key";
        return;
    }
    m_document.insert(key, toJsonValue(QVariant(object)));
    save();
}

void SettingsStore::reload()
{
    load();
}

void SettingsStore::load()
{
    m_save.unsaved = false;
    m_save.retry.stop();
    const QString path = filePath();
    const FileUtils::StoredFile stored = FileUtils::readStoredFile(path, kMaxFileSize);
    m_save.refused = stored.status == FileUtils::StoredFile::Refused;
    m_document = QJsonObject();
    if (m_save.refused)
        qCWarning(lcSettings) << "[SettingsStore] Cannot read settings from" << path
                              << stored.reason << "- using defaults, the file is kept";
    if (stored.status != FileUtils::StoredFile::Read)
        return;

    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(stored.data, &error);
    if (error.error != QJsonParseError::NoError) {
        qCWarning(lcSettings) << "[SettingsStore] JSON parse error:" << error.errorString();
        keepDamaged(path);
        return;
    }
    if (!json.isObject()) {
        qCWarning(lcSettings) << "[SettingsStore] Invalid JSON structure";
        keepDamaged(path);
        return;
    }
    m_document = FileUtils::withoutLeadingMarks(json.object());
}

bool SettingsStore::save()
{
    const QByteArray text = QJsonDocument(m_document).toJson(QJsonDocument::Indented);
    return FileUtils::saveStoredFile(filePath(), m_save, lcSettings(), "SettingsStore", "settings",
            [&](QIODevice &file) { return file.write(text) == text.size(); });
}

void SettingsStore::saveOnExit()
{
    m_save.retry.stop();
    if (m_save.unsaved)
        save();
    m_save.retry.stop();
}
