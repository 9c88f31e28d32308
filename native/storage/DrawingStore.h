#pragma once

#include "app/QmlSingleton.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include "storage/DrawItemCodec.h"
#include "storage/FileUtils.h"
#include "storage/StoredDrawItem.h"

// Keeps the drawing items of every screen in drawings.json. getDrawings and
// setDrawings take the items in their stored form and never look inside them.
// The drawing state uses the faster faces below: its records carry stroke
// points as flat number lists, and it keeps each item's stored form ready, so
// that a save after a stroke does not convert the whole drawing again.
class DrawingStore : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(DrawingStore)

public:
    static constexpr int kCurrentVersion = 1;
    // Far above a real drawing (10,000 strokes are about 55 MB), low enough
    // that reading never exhausts memory.
    static constexpr qint64 kMaxFileSize = qint64(256) << 20;
    // While a save is failing it is tried again this often.
    static constexpr int kRetryIntervalMs = 30000;

    static DrawingStore *instance();
    Q_INVOKABLE QVariantList getDrawings() const;
    // False when the file could not be written: the items are kept and the
    // save is tried again.
    Q_INVOKABLE bool setDrawings(const QVariantList &items);

    // The stored items as in-memory records, by the rules the drawing state
    // gives: {toolNames (by tool value), windowId, lineColor, lineWidth (the
    // defaults), minLineWidth, maxLineWidth}. Returns {storedCount, items,
    // storedForms}.
    // Entries of other versions are kept for the file.
    Q_INVOKABLE QVariantMap readDrawItems(const QVariantMap &rules);
    // The items of each board kept in the file ("boards", by board name), by
    // the same rules: {name: {storedCount, items, storedForms}}.
    Q_INVOKABLE QVariantMap readBoardItems(const QVariantMap &rules);
    // Replaces the items of the named boards by these stored forms (a map of
    // lists); they are written with the next save. An empty board leaves the
    // file, boards not named stay as they are.
    Q_INVOKABLE void setBoardItems(const QVariantMap &boards);
    // The stored form of one in-memory record.
    Q_INVOKABLE StoredDrawItem encodeDrawItem(
            const QVariantMap &item, const QString &type, const QString &toolName) const;
    // Replaces the items by these stored forms and writes the file.
    Q_INVOKABLE bool setStoredDrawItems(const QVariantList &storedForms);
    // The items the drawing state is about to save, held so that they can
    // still be written when the process has to end before the save is due.
    Q_INVOKABLE void setPendingDrawItems(const QVariantList &storedForms);
    // Writes the pending items, if any; true when there were some.
    bool savePending();
    // Before the process ends: writes what is not saved yet, and when the
    // file cannot be written, a copy in the first place that takes it.
    void saveOnExit();
    // Whether the file holds everything the store holds.
    bool isSaved() const { return !m_save.unsaved; }

    // The same document, without the round trip through variants.
    QJsonArray items() const;
    bool setItems(const QJsonArray &items);

    // Computes the file path, creating the data directory on the way.
    Q_INVOKABLE static QString filePath();

    // Reads the file again, replacing the document.
    Q_INVOKABLE void reload();

private:
    DrawingStore();
    Q_DISABLE_COPY_MOVE(DrawingStore)

    // Where the items are. As read from the file they stay in the file's own
    // text, already split into entries, and are parsed into JSON values only
    // if asked for; after a save by the drawing state they are its stored
    // forms; otherwise they are the document's "items".
    enum class ItemsHeld { InDocument, AsRead, AsStored };

    void load();
    bool save();
    bool writeTo(const QString &path);
    bool writeDocument(QIODevice &file) const;
    // Switches to `held`, dropping what the other ways held.
    void holdItems(ItemsHeld held);
    static QList<StoredDrawItem> storedItemsOf(const QVariantList &storedForms);
    static DrawItemCodec::Rules rulesOf(const QVariantMap &rules);
    static QVariantMap decodedMap(const DrawItemCodec::Decoded &decoded);

    QJsonObject m_document;

    ItemsHeld m_itemsHeld = ItemsHeld::InDocument;
    QByteArray m_fileText;
    qsizetype m_itemsOffset = 0;
    qsizetype m_itemsLength = 0;
    QList<DrawItemCodec::StoredFields> m_readItems;
    int m_skippedEntries = 0;
    QList<StoredDrawItem> m_storedItems;
    QList<StoredDrawItem> m_pendingItems;
    bool m_hasPending = false;
    // Other versions' entries, written before the items.
    QList<StoredDrawItem> m_keptItems;
    // The same for each board, and the forms each board was last given.
    QHash<QString, QList<StoredDrawItem>> m_keptBoardItems;
    QHash<QString, QList<StoredDrawItem>> m_boardItems;
    FileUtils::SaveState m_save;
};
