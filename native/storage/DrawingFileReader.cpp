#include "storage/DrawingFileReader.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace DrawingFileReader {

namespace {

using DrawItemCodec::StoredFields;

constexpr int kMaxDepth = 32;

// Reads a QByteArray, whose text always ends in a NUL that no JSON token
// contains: the C string functions find the ends of runs without passing it.
class Reader
{
public:
    explicit Reader(const QByteArray &text)
        : m_begin(text.constData())
        , m_p(m_begin)
        , m_end(m_begin + text.size())
    {
    }

    qsizetype offset() const { return m_p - m_begin; }

    // Most of an indented file is blanks, in runs; most tokens have none
    // before them.
    void skipSpace()
    {
        if (uchar(*m_p) <= ' ')
            m_p += std::strspn(m_p, " \n\r\t");
    }

    // The next significant character, or 0 at the end.
    char peek()
    {
        skipSpace();
        return m_p < m_end ? *m_p : '\0';
    }

    bool consume(char c)
    {
        if (peek() != c)
            return false;
        ++m_p;
        return true;
    }

    bool atEnd()
    {
        skipSpace();
        return m_p == m_end;
    }

    static bool startsNumber(char c) { return c == '-' || (c >= '0' && c <= '9'); }

    // A string of printable ASCII; its decoded text goes to `out` if given.
    bool string(QByteArray *out)
    {
        if (!consume('"'))
            return false;
        if (out)
            out->resize(0); // keeps the buffer: a key is read for every member
        for (;;) {
            const char *run = m_p;
            while (m_p < m_end && *m_p != '"' && *m_p != '\\' && uchar(*m_p) >= 0x20
                    && uchar(*m_p) < 0x7f)
                ++m_p;
            if (out)
                out->append(run, m_p - run);
            if (m_p >= m_end)
                return false;
            if (*m_p == '"') {
                ++m_p;
                return true;
            }
            if (*m_p != '\\' || ++m_p >= m_end)
                return false;
            static const char escapes[] = "\"\\/bfnrt";
            static const char decoded[] = "\"\\/\b\f\n\r\t";
            const char *const escape = *m_p ? std::strchr(escapes, *m_p) : nullptr;
            if (!escape)
                return false; // \u and anything unusual: left to Qt
            if (out)
                out->append(decoded[escape - escapes]);
            ++m_p;
        }
    }

    bool number(double *out)
    {
        skipSpace();
        const char *const start = m_p;
        if (m_p < m_end && *m_p == '-')
            ++m_p;
        if (*m_p == '0')
            ++m_p;
        else if (!digits())
            return false;
        if (*m_p == '.') {
            ++m_p;
            if (!digits())
                return false;
        }
        if (*m_p == 'e' || *m_p == 'E') {
            ++m_p;
            if (*m_p == '+' || *m_p == '-')
                ++m_p;
            if (!digits())
                return false;
        }
        double value = 0;
        const std::from_chars_result parsed = std::from_chars(start, m_p, value);
        if (parsed.ec != std::errc() || parsed.ptr != m_p || !std::isfinite(value))
            return false;
        if (out)
            *out = value;
        return true;
    }

    bool literal()
    {
        skipSpace();
        for (const char *word : { "true", "false", "null" }) {
            const qsizetype length = qsizetype(std::strlen(word));
            if (m_end - m_p >= length && std::memcmp(m_p, word, size_t(length)) == 0) {
                m_p += length;
                return true;
            }
        }
        return false;
    }

    bool skipValue(int depth)
    {
        if (depth > kMaxDepth)
            return false;
        const char c = peek();
        if (c == '"')
            return string(nullptr);
        if (startsNumber(c))
            return number(nullptr);
        if (c == '{' || c == '[') {
            const char close = c == '{' ? '}' : ']';
            ++m_p;
            if (consume(close))
                return true;
            do {
                if (c == '{' && (!string(nullptr) || !consume(':')))
                    return false;
                if (!skipValue(depth + 1))
                    return false;
            } while (consume(','));
            return consume(close);
        }
        return literal();
    }

    // Walks the members of an object; `member` reads each value and returns
    // false to give up.
    template <typename Member> bool members(Member member)
    {
        if (!consume('{'))
            return false;
        if (consume('}'))
            return true;
        do {
            if (!string(&m_key) || !consume(':') || !member(m_key))
                return false;
        } while (consume(','));
        return consume('}');
    }

    // A text value, or any other value skipped.
    bool text(StoredFields &fields, unsigned bit, QString *target, int depth)
    {
        if (fields.present & bit)
            return false; // a key twice: Qt's choice between them is left to Qt
        fields.present |= bit;
        if (peek() != '"')
            return skipValue(depth);
        if (!string(&m_text))
            return false;
        fields.valid |= bit;
        *target = QString::fromLatin1(m_text);
        return true;
    }

    bool numeric(StoredFields &fields, unsigned bit, double *target, int depth)
    {
        if (fields.present & bit)
            return false;
        fields.present |= bit;
        if (!startsNumber(peek()))
            return skipValue(depth);
        fields.valid |= bit;
        return number(target);
    }

    bool color(StoredFields &fields, int depth)
    {
        double *const targets[] = { &fields.r, &fields.g, &fields.b, &fields.a };
        unsigned keys = 0;
        return members([&](const QByteArray &key) {
            const int index = key.size() != 1 ? -1
                    : key == "r"              ? 0
                    : key == "g"              ? 1
                    : key == "b"              ? 2
                    : key == "a"              ? 3
                                              : -1;
            if (index < 0) {
                fields.otherKeys = true;
                return skipValue(depth + 1);
            }
            // A key twice, whatever its values: Qt takes the last, left to Qt.
            const unsigned bit = 1u << index;
            if (keys & bit)
                return false;
            keys |= bit;
            if (!startsNumber(peek())) {
                fields.otherKeys = true;
                return skipValue(depth + 1);
            }
            fields.colorComponents |= bit;
            return number(targets[index]);
        });
    }

    bool points(StoredFields &fields, int depth)
    {
        if (!consume('['))
            return false;
        if (consume(']'))
            return true;
        fields.points.reserve(128);
        do {
            if (peek() != '{') {
                fields.pointsAllValid = false;
                if (!skipValue(depth + 1))
                    return false;
                continue;
            }
            double x = 0;
            double y = 0;
            unsigned keys = 0;
            unsigned seen = 0;
            const bool read = members([&](const QByteArray &key) {
                const unsigned bit = key == "x" ? 1u : key == "y" ? 2u : 0u;
                if (keys & bit)
                    return false;
                keys |= bit;
                if (bit == 0 || !startsNumber(peek())) {
                    fields.otherKeys = true;
                    return skipValue(depth + 2);
                }
                seen |= bit;
                return number(bit == 1u ? &x : &y);
            });
            if (!read)
                return false;
            if (seen == 3u)
                fields.points << x << y;
            else
                fields.pointsAllValid = false;
        } while (consume(','));
        return consume(']');
    }

    bool entry(StoredFields &fields)
    {
        skipSpace();
        const qsizetype start = offset();
        if (peek() != '{')
            return skipValue(2);
        fields.isObject = true;
        const bool read = members([&](const QByteArray &key) {
            if (key == "type")
                return text(fields, StoredFields::Type, &fields.type, 3);
            if (key == "drawingTool")
                return text(fields, StoredFields::DrawingTool, &fields.toolName, 3);
            if (key == "windowId")
                return text(fields, StoredFields::WindowId, &fields.windowId, 3);
            if (key == "lineWidth")
                return numeric(fields, StoredFields::LineWidth, &fields.lineWidth, 3);
            if (key == "startX")
                return numeric(fields, StoredFields::StartX, &fields.startX, 3);
            if (key == "startY")
                return numeric(fields, StoredFields::StartY, &fields.startY, 3);
            if (key == "endX")
                return numeric(fields, StoredFields::EndX, &fields.endX, 3);
            if (key == "endY")
                return numeric(fields, StoredFields::EndY, &fields.endY, 3);
            if (key == "text")
                return text(fields, StoredFields::Text, &fields.text, 3);
            if (key == "x")
                return numeric(fields, StoredFields::X, &fields.x, 3);
            if (key == "y")
                return numeric(fields, StoredFields::Y, &fields.y, 3);
            if (key == "fontSize")
                return numeric(fields, StoredFields::FontSize, &fields.fontSize, 3);
            if (key == "lineColor" || key == "points") {
                const unsigned bit
                        = key == "points" ? StoredFields::Points : StoredFields::LineColor;
                if (fields.present & bit)
                    return false;
                fields.present |= bit;
                const char expected = bit == StoredFields::Points ? '[' : '{';
                if (peek() != expected)
                    return skipValue(3);
                fields.valid |= bit;
                return bit == StoredFields::Points ? points(fields, 3) : color(fields, 3);
            }
            fields.otherKeys = true;
            return skipValue(3);
        });
        fields.sourceOffset = start;
        fields.sourceLength = offset() - start;
        return read;
    }

    // Only entries that are items are kept: a file of millions of anything
    // else costs no more than its count.
    bool items(QList<StoredFields> &items, int *skipped)
    {
        if (!consume('['))
            return false;
        if (consume(']'))
            return true;
        do {
            items.append(StoredFields());
            if (!entry(items.last()))
                return false;
            if (!DrawItemCodec::isItem(items.last())) {
                items.removeLast();
                ++*skipped;
            }
        } while (consume(','));
        return consume(']');
    }

private:
    // Skips a run of at least one digit.
    bool digits()
    {
        const char *const start = m_p;
        while (*m_p >= '0' && *m_p <= '9')
            ++m_p;
        return m_p > start;
    }

    const char *m_begin;
    const char *m_p;
    const char *m_end;
    QByteArray m_key;
    QByteArray m_text;
};

} // namespace

bool read(const QByteArray &file, Result *result)
{
    Reader reader(file);
    bool seenItems = false;
    const bool read = reader.members([&](const QByteArray &key) {
        if (key != "items")
            return reader.skipValue(1);
        if (seenItems)
            return false;
        seenItems = true;
        reader.skipSpace();
        result->itemsOffset = reader.offset();
        result->itemsIsArray = reader.peek() == '[';
        const bool valueRead = result->itemsIsArray ? reader.items(result->items, &result->skipped)
                                                    : reader.skipValue(1);
        result->itemsLength = reader.offset() - result->itemsOffset;
        return valueRead;
    });
    if (!read || !reader.atEnd())
        return false;

    if (seenItems) {
        result->frame = file.left(result->itemsOffset) + "[]"
                + file.mid(result->itemsOffset + result->itemsLength);
    } else {
        result->frame = file;
    }
    return true;
}

} // namespace DrawingFileReader
