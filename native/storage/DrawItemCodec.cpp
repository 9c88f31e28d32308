#include "storage/DrawItemCodec.h"

#include <QJsonDocument>
#include <QJsonValue>

#include <algorithm>
#include <cmath>
#include <functional>

namespace DrawItemCodec {

namespace {
const QString kType = QStringLiteral("type");
const QString kDrawingTool = QStringLiteral("drawingTool");
const QString kWindowId = QStringLiteral("windowId");
const QString kLineColor = QStringLiteral("lineColor");
const QString kLineWidth = QStringLiteral("lineWidth");
const QString kPoints = QStringLiteral("points");
const QString kStartX = QStringLiteral("startX");
const QString kStartY = QStringLiteral("startY");
const QString kEndX = QStringLiteral("endX");
const QString kEndY = QStringLiteral("endY");
const QString kX = QStringLiteral("x");
const QString kY = QStringLiteral("y");
const QString kR = QStringLiteral("r");
const QString kG = QStringLiteral("g");
const QString kB = QStringLiteral("b");
const QString kA = QStringLiteral("a");
const QString kStroke = QStringLiteral("stroke");
const QString kShape = QStringLiteral("shape");
const QString kTextType = QStringLiteral("text");
const QString kText = QStringLiteral("text");
const QString kFontSize = QStringLiteral("fontSize");
const QString kItems = QStringLiteral("items");

// What an item is drawn from, whichever side it comes from.
struct Fields
{
    bool stroke = false;
    bool isText = false;
    QStringView toolName;
    QStringView windowId;
    QColor lineColor;
    double lineWidth = 0;
    QList<double> points; // flat
    double startX = 0, startY = 0, endX = 0, endY = 0;
    QStringView text;
    double x = 0, y = 0, fontSize = 0;
};

// Numbers as QJsonValue(double) and Qt's writer give them: integral values up
// to 2^53 as integers, others in the shortest form that reads back exactly.
void appendNumber(QByteArray &out, double value)
{
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    if (std::abs(value) <= 9007199254740992.0 && value == std::floor(value)) {
        out += QByteArray::number(qint64(value));
        return;
    }
    out += QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

void appendString(QByteArray &out, QStringView text)
{
    bool plain = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u > 0x7e || u == '"' || u == '\\') {
            plain = false;
            break;
        }
    }
    if (plain) {
        out += '"';
        out += text.toLatin1();
        out += '"';
        return;
    }
    // Anything unusual (a window id from a hand-edited file) is escaped by
    // Qt itself, so the text is exactly what its writer would give.
    const QByteArray array
            = QJsonDocument(QJsonArray { text.toString() }).toJson(QJsonDocument::Compact);
    out.append(array.constData() + 1, array.size() - 2);
}

// One stored item as an element of "items", in the layout of Qt's indented
// writer (four blanks per level, the element at level 2) but without the
// indentation before its opening brace; keys in the ascending order in which
// QJsonObject keeps them.
QByteArray write(const Fields &item)
{
    QByteArray out;
    out.reserve(400 + item.points.size() * 48);
    out += "{\n"
           "            \"drawingTool\": ";
    appendString(out, item.toolName);
    if (item.isText) {
        out += ",\n            \"fontSize\": ";
        appendNumber(out, item.fontSize);
    } else if (!item.stroke) {
        out += ",\n            \"endX\": ";
        appendNumber(out, item.endX);
        out += ",\n            \"endY\": ";
        appendNumber(out, item.endY);
    }
    out += ",\n            \"lineColor\": {\n"
           "                \"a\": ";
    appendNumber(out, item.lineColor.alphaF());
    out += ",\n                \"b\": ";
    appendNumber(out, item.lineColor.blueF());
    out += ",\n                \"g\": ";
    appendNumber(out, item.lineColor.greenF());
    out += ",\n                \"r\": ";
    appendNumber(out, item.lineColor.redF());
    out += "\n            },\n"
           "            \"lineWidth\": ";
    appendNumber(out, item.lineWidth);
    if (item.stroke) {
        out += ",\n            \"points\": [\n";
        if (item.points.size() < 2) {
            out += "            ]";
        } else {
            for (qsizetype i = 0; i + 1 < item.points.size(); i += 2) {
                out += i == 0 ? "                {\n                    \"x\": "
                              : ",\n                {\n                    \"x\": ";
                appendNumber(out, item.points.at(i));
                out += ",\n                    \"y\": ";
                appendNumber(out, item.points.at(i + 1));
                out += "\n                }";
            }
            out += "\n            ]";
        }
    } else if (item.isText) {
        out += ",\n            \"text\": ";
        appendString(out, item.text);
    } else {
        out += ",\n            \"startX\": ";
        appendNumber(out, item.startX);
        out += ",\n            \"startY\": ";
        appendNumber(out, item.startY);
    }
    out += item.stroke    ? ",\n            \"type\": \"stroke\",\n            \"windowId\": "
            : item.isText ? ",\n            \"type\": \"text\",\n            \"windowId\": "
                          : ",\n            \"type\": \"shape\",\n            \"windowId\": ";
    appendString(out, item.windowId);
    if (item.isText) {
        out += ",\n            \"x\": ";
        appendNumber(out, item.x);
        out += ",\n            \"y\": ";
        appendNumber(out, item.y);
    }
    out += "\n        }";
    return out;
}

QColor variantColor(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QString)
        return QColor::fromString(value.toString());
    return value.value<QColor>();
}

bool inUnitRange(double value)
{
    return value >= 0 && value <= 1;
}

// An object as an element of "items" in Qt's own indented layout.
StoredDrawItem qtElement(const QJsonObject &object)
{
    const QByteArray json
            = QJsonDocument(QJsonObject { { kItems, QJsonArray { object } } }).toJson();
    const qsizetype start = json.indexOf("[\n        {") + 10;
    return StoredDrawItem(json.mid(start, json.lastIndexOf("\n    ]") - start));
}

Decoded decodeFields(const QList<StoredFields> &stored, const Rules &rules,
        const QByteArray &source, const std::function<QJsonObject(qsizetype)> &objectAt);

} // namespace

StoredFields fieldsOf(const QJsonValue &stored)
{
    StoredFields fields;
    if (!stored.isObject())
        return fields;
    fields.isObject = true;
    const QJsonObject object = stored.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString key = it.key();
        const QJsonValue value = it.value();
        auto number = [&](StoredFields::Key bit, double *target) {
            fields.present |= bit;
            if (value.isDouble()) {
                fields.valid |= bit;
                *target = value.toDouble();
            }
        };
        auto text = [&](StoredFields::Key bit, QString *target) {
            fields.present |= bit;
            if (value.isString()) {
                fields.valid |= bit;
                *target = value.toString();
            }
        };
        if (key == kType) {
            text(StoredFields::Type, &fields.type);
        } else if (key == kDrawingTool) {
            text(StoredFields::DrawingTool, &fields.toolName);
        } else if (key == kWindowId) {
            text(StoredFields::WindowId, &fields.windowId);
        } else if (key == kLineWidth) {
            number(StoredFields::LineWidth, &fields.lineWidth);
        } else if (key == kStartX) {
            number(StoredFields::StartX, &fields.startX);
        } else if (key == kStartY) {
            number(StoredFields::StartY, &fields.startY);
        } else if (key == kEndX) {
            number(StoredFields::EndX, &fields.endX);
        } else if (key == kEndY) {
            number(StoredFields::EndY, &fields.endY);
        } else if (key == kText) {
            text(StoredFields::Text, &fields.text);
        } else if (key == kX) {
            number(StoredFields::X, &fields.x);
        } else if (key == kY) {
            number(StoredFields::Y, &fields.y);
        } else if (key == kFontSize) {
            number(StoredFields::FontSize, &fields.fontSize);
        } else if (key == kLineColor) {
            fields.present |= StoredFields::LineColor;
            if (!value.isObject())
                continue;
            fields.valid |= StoredFields::LineColor;
            const QJsonObject color = value.toObject();
            const QString names[] = { kR, kG, kB, kA };
            double *const targets[] = { &fields.r, &fields.g, &fields.b, &fields.a };
            for (int i = 0; i < 4; ++i) {
                const QJsonValue component = color.value(names[i]);
                if (component.isDouble()) {
                    *targets[i] = component.toDouble();
                    fields.colorComponents |= 1u << i;
                }
            }
            if (color.size() != 4 || fields.colorComponents != 0xf)
                fields.otherKeys = true;
        } else if (key == kPoints) {
            fields.present |= StoredFields::Points;
            if (!value.isArray())
                continue;
            fields.valid |= StoredFields::Points;
            const QJsonArray points = value.toArray();
            fields.points.reserve(points.size() * 2);
            for (const QJsonValue &entry : points) {
                const QJsonObject point = entry.toObject();
                const QJsonValue x = point.value(kX);
                const QJsonValue y = point.value(kY);
                if (x.isDouble() && y.isDouble()) {
                    fields.points << x.toDouble() << y.toDouble();
                    if (point.size() != 2)
                        fields.otherKeys = true;
                } else {
                    fields.pointsAllValid = false;
                }
            }
        } else {
            fields.otherKeys = true;
        }
    }
    return fields;
}

bool isItem(const StoredFields &fields)
{
    return fields.isObject && (fields.valid & StoredFields::Type) && !fields.type.isEmpty()
            && (fields.valid & StoredFields::DrawingTool) && !fields.toolName.isEmpty();
}

Decoded decode(const QList<StoredFields> &stored, const Rules &rules, const QByteArray &source)
{
    return decodeFields(stored, rules, source, [&](qsizetype i) {
        const StoredFields &entry = stored.at(i);
        return QJsonDocument::fromJson(source.mid(entry.sourceOffset, entry.sourceLength)).object();
    });
}

namespace {
Decoded decodeFields(const QList<StoredFields> &stored, const Rules &rules,
        const QByteArray &source, const std::function<QJsonObject(qsizetype)> &objectAt)
{
    using Key = StoredFields::Key;
    constexpr unsigned common
            = Key::Type | Key::DrawingTool | Key::WindowId | Key::LineColor | Key::LineWidth;
    constexpr unsigned strokeKeys = common | Key::Points;
    constexpr unsigned shapeKeys = common | Key::StartX | Key::StartY | Key::EndX | Key::EndY;
    constexpr unsigned textKeys = common | Key::Text | Key::X | Key::Y | Key::FontSize;

    Decoded result;
    result.storedCount = int(stored.size());
    result.items.reserve(stored.size());
    result.storedForms.reserve(stored.size());

    for (qsizetype index = 0; index < stored.size(); ++index) {
        const StoredFields &entry = stored.at(index);
        const auto keep = [&] { result.kept.append(qtElement(objectAt(index))); };
        if (!isItem(entry)) {
            ++result.dropped;
            continue;
        }
        const int tool = int(rules.toolNames.indexOf(entry.toolName));
        if (tool <= 0) {
            keep();
            continue;
        }

        Fields fields;
        fields.toolName = entry.toolName;
        // An entry that needs no repair is written back as it was read.
        bool unchanged = entry.sourceLength > 0 && !entry.otherKeys;

        fields.windowId = entry.windowId;
        if (!(entry.valid & Key::WindowId)) {
            fields.windowId = rules.defaultWindowId;
            unchanged = false;
        }
        if ((entry.valid & Key::LineColor) && (entry.colorComponents & 1u)) {
            // Missing or out-of-range components would make an invalid colour.
            fields.lineColor = QColor::fromRgbF(float(std::clamp(entry.r, 0.0, 1.0)),
                    float(std::clamp(entry.g, 0.0, 1.0)), float(std::clamp(entry.b, 0.0, 1.0)),
                    float(std::clamp(entry.a, 0.0, 1.0)));
            unchanged = unchanged && entry.colorComponents == 0xf && inUnitRange(entry.r)
                    && inUnitRange(entry.g) && inUnitRange(entry.b) && inUnitRange(entry.a);
        } else {
            fields.lineColor = rules.defaultLineColor;
            unchanged = false;
        }
        if ((entry.valid & Key::LineWidth) && entry.lineWidth > 0
                && std::isfinite(entry.lineWidth)) {
            fields.lineWidth = entry.lineWidth;
            // A hand-edited width of thousands would paint over the whole screen.
            if (rules.maxLineWidth > 0 && rules.minLineWidth <= rules.maxLineWidth) {
                fields.lineWidth
                        = std::clamp(entry.lineWidth, rules.minLineWidth, rules.maxLineWidth);
                unchanged = unchanged && fields.lineWidth == entry.lineWidth;
            }
        } else {
            fields.lineWidth = rules.defaultLineWidth;
            unchanged = false;
        }

        QVariantMap item;
        if (entry.type == kStroke) {
            fields.stroke = true;
            // One point is a dot, drawn by a click of the pen; a point without
            // both coordinates cannot be drawn, the rest of the stroke can.
            if (!(entry.valid & Key::Points) || entry.points.isEmpty()) {
                keep();
                continue;
            }
            fields.points = entry.points;
            unchanged = unchanged && entry.pointsAllValid && entry.present == strokeKeys
                    && entry.valid == strokeKeys;
            QVariantList flat;
            flat.reserve(entry.points.size());
            for (const double coordinate : entry.points)
                flat.append(coordinate);
            item.insert(kPoints, flat);
        } else if (entry.type == kShape) {
            constexpr unsigned corners = Key::StartX | Key::StartY | Key::EndX | Key::EndY;
            if ((entry.valid & corners) != corners) {
                keep();
                continue;
            }
            fields.startX = entry.startX;
            fields.startY = entry.startY;
            fields.endX = entry.endX;
            fields.endY = entry.endY;
            unchanged = unchanged && entry.present == shapeKeys && entry.valid == shapeKeys;
            item.insert(kStartX, fields.startX);
            item.insert(kStartY, fields.startY);
            item.insert(kEndX, fields.endX);
            item.insert(kEndY, fields.endY);
        } else if (entry.type == kTextType) {
            constexpr unsigned needed = Key::Text | Key::X | Key::Y | Key::FontSize;
            if ((entry.valid & needed) != needed || entry.text.isEmpty() || !(entry.fontSize > 0)
                    || !std::isfinite(entry.fontSize)) {
                keep();
                continue;
            }
            fields.isText = true;
            fields.text = entry.text;
            fields.x = entry.x;
            fields.y = entry.y;
            fields.fontSize = entry.fontSize;
            unchanged = unchanged && entry.present == textKeys && entry.valid == textKeys;
            item.insert(kText, entry.text);
            item.insert(kX, fields.x);
            item.insert(kY, fields.y);
            item.insert(kFontSize, fields.fontSize);
        } else {
            keep();
            continue;
        }
        item.insert(kDrawingTool, tool);
        item.insert(kWindowId, fields.windowId.toString());
        item.insert(kLineColor, fields.lineColor);
        item.insert(kLineWidth, fields.lineWidth);

        result.items.append(item);
        result.storedForms.append(unchanged
                        ? StoredDrawItem(source, entry.sourceOffset, entry.sourceLength)
                        : StoredDrawItem(write(fields)));
    }
    return result;
}
} // namespace

Decoded decode(const QJsonArray &stored, const Rules &rules)
{
    // Only the items are gathered: a huge list of anything else costs no
    // more than the count.
    QList<StoredFields> fields;
    QList<qsizetype> indices;
    int dropped = 0;
    for (qsizetype i = 0; i < stored.size(); ++i) {
        StoredFields entry = fieldsOf(stored.at(i));
        if (!isItem(entry)) {
            ++dropped;
            continue;
        }
        fields.append(std::move(entry));
        indices.append(i);
    }
    Decoded decoded = decodeFields(
            fields, rules, {}, [&](qsizetype i) { return stored.at(indices.at(i)).toObject(); });
    decoded.storedCount += dropped;
    decoded.dropped += dropped;
    return decoded;
}

QByteArray element(const QVariantMap &item, const QString &type, const QString &toolName)
{
    Fields fields;
    fields.stroke = type == kStroke;
    fields.isText = type == kTextType;
    fields.toolName = toolName;
    const QString windowId = item.value(kWindowId).toString();
    fields.windowId = windowId;
    const QString text = item.value(kText).toString();
    fields.lineColor = variantColor(item.value(kLineColor));
    fields.lineWidth = item.value(kLineWidth).toDouble();
    if (fields.stroke) {
        const QVariantList points = item.value(kPoints).toList();
        fields.points.reserve(points.size());
        for (const QVariant &point : points) {
            if (point.metaType().id() == QMetaType::QVariantMap) {
                const QVariantMap map = point.toMap();
                fields.points << map.value(kX).toDouble() << map.value(kY).toDouble();
            } else {
                fields.points << point.toDouble();
            }
        }
    } else if (fields.isText) {
        fields.text = text;
        fields.x = item.value(kX).toDouble();
        fields.y = item.value(kY).toDouble();
        fields.fontSize = item.value(kFontSize).toDouble();
    } else {
        fields.startX = item.value(kStartX).toDouble();
        fields.startY = item.value(kStartY).toDouble();
        fields.endX = item.value(kEndX).toDouble();
        fields.endY = item.value(kEndY).toDouble();
    }
    return write(fields);
}

bool writeDocument(QIODevice &device, QJsonObject document, const QList<StoredDrawItem> &elements)
{
    const auto write = [&](const QByteArray &text) { return device.write(text) == text.size(); };
    document.insert(kItems, QJsonArray());
    const QByteArray frame = QJsonDocument(document).toJson(QJsonDocument::Indented);
    if (elements.isEmpty())
        return write(frame);

    // Qt writes the empty array as "[\n    ]"; the elements go in between.
    // Raw line breaks never occur inside JSON strings, so this only matches
    // the top-level key.
    static const QByteArray opening = QByteArrayLiteral("\n    \"items\": [\n");
    const qsizetype split = frame.indexOf(opening) + opening.size();
    Q_ASSERT(split >= opening.size());

    // Gathered into pieces of about a megabyte: few writes, no buffer the
    // size of the file.
    constexpr qsizetype pieceSize = 1 << 20;
    QByteArray piece;
    piece.reserve(pieceSize + 64 * 1024);
    piece.append(frame.constData(), split);
    for (qsizetype i = 0; i < elements.size(); ++i) {
        piece.append(i == 0 ? "        " : ",\n        ");
        piece.append(elements.at(i).json());
        if (piece.size() >= pieceSize) {
            if (!write(piece))
                return false;
            piece.resize(0);
        }
    }
    piece.append('\n');
    piece.append(frame.constData() + split, frame.size() - split);
    return write(piece);
}

} // namespace DrawItemCodec
