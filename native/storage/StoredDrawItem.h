#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMetaType>
#include <QtQml/qqmlregistration.h>

// The stored form of one drawing item: its JSON text as it stands among the
// "items" of drawings.json. The drawing state keeps one with each item (items
// never change once drawn), so a save only copies finished text into the
// file. Only the drawing store makes them; JavaScript can hold them but not
// forge their content.
class StoredDrawItem
{
    Q_GADGET
    QML_VALUE_TYPE(storedDrawItem)

public:
    StoredDrawItem() = default;
    explicit StoredDrawItem(const QByteArray &json)
        : m_buffer(json)
        , m_length(json.size())
    {
    }
    // A part of a larger text, such as the file the item was read from,
    // which stays shared instead of being copied.
    StoredDrawItem(const QByteArray &buffer, qsizetype offset, qsizetype length)
        : m_buffer(buffer)
        , m_offset(offset)
        , m_length(length)
    {
    }

    // The element's text from its opening to its closing brace, laid out for
    // its place in the file but without the indentation before it.
    QByteArrayView json() const { return QByteArrayView(m_buffer).sliced(m_offset, m_length); }
    bool isValid() const { return m_length > 0; }

private:
    QByteArray m_buffer;
    qsizetype m_offset = 0;
    qsizetype m_length = 0;
};
