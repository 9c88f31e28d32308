#pragma once

#include "storage/StoredDrawItem.h"

#include <QByteArray>
#include <QColor>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

// Converts drawing items between their stored form in drawings.json and the
// records the drawing state keeps in memory, whose stroke points are one flat
// number list [x0, y0, x1, y1, ...]. Flat lists cross into JavaScript cheaply;
// lists of {x, y} maps cost far more than linear time there, and the drawing
// is loaded at every start and saved after every stroke.
//
// Every record comes with its stored form, ready to be copied into the file:
// an item read from the file that needed no repair keeps its own text, any
// other is written once in the layout of Qt's indented JSON writer.
namespace DrawItemCodec {

// What the drawing state decides about items, handed over rather than kept
// here a second time.
struct Rules
{
    QStringList toolNames; // by tool value; value 0 is "no tool"
    QString defaultWindowId;
    QColor defaultLineColor;
    double defaultLineWidth = 0;
    // Widths the toolbar offers; a stored width outside is moved into them.
    // No limits while the maximum is 0.
    double minLineWidth = 0;
    double maxLineWidth = 0;
};

// What one stored entry holds, as far as the rules look at it. Members that
// are not of the expected kind count as missing.
struct StoredFields
{
    enum Key : unsigned {
        Type = 1u << 0,
        DrawingTool = 1u << 1,
        WindowId = 1u << 2,
        LineColor = 1u << 3,
        LineWidth = 1u << 4,
        Points = 1u << 5,
        StartX = 1u << 6,
        StartY = 1u << 7,
        EndX = 1u << 8,
        EndY = 1u << 9,
        Text = 1u << 10,
        X = 1u << 11,
        Y = 1u << 12,
        FontSize = 1u << 13,
    };

    bool isObject = false;
    unsigned present = 0; // keys present, whatever their values
    unsigned valid = 0; // keys whose value is of the expected kind
    bool otherKeys = false; // keys beyond these, here or in a colour or point
    QString type;
    QString toolName;
    QString windowId;
    double r = 0, g = 0, b = 0, a = 1;
    unsigned colorComponents = 0; // r, g, b, a as bits 0 to 3
    double lineWidth = 0;
    QList<double> points; // flat, from the entries with a number x and y
    bool pointsAllValid = true;
    double startX = 0, startY = 0, endX = 0, endY = 0;
    QString text;
    double x = 0, y = 0, fontSize = 0;
    // The entry's own text in `source`, when it was read from the file.
    qsizetype sourceOffset = 0;
    qsizetype sourceLength = 0;
};

StoredFields fieldsOf(const QJsonValue &stored);

struct Decoded
{
    int storedCount = 0; // entries in the stored list, dropped ones included
    QVariantList items; // in-memory records, in stored order
    QList<StoredDrawItem> storedForms; // one per record
    // Entries with a "type" and a "drawingTool" that this version cannot
    // draw, such as a newer version's items: kept for the file, in Qt's
    // layout, so that a save writes them back.
    QList<StoredDrawItem> kept;
    // Entries that are no drawing item of any version.
    int dropped = 0;
};

// Whether stored fields name an item at all: an object with a "type" and a
// "drawingTool" text.
bool isItem(const StoredFields &fields);

// Turns stored entries into in-memory records, repairing those that do not
// fit or keeping them aside. `source` is the text the fields' spans point into.
Decoded decode(
        const QList<StoredFields> &stored, const Rules &rules, const QByteArray &source = {});
Decoded decode(const QJsonArray &stored, const Rules &rules);

// The stored form of an in-memory record of `type` "stroke", "shape" or
// "text". Its points may be flat numbers or {x, y} maps.
QByteArray element(const QVariantMap &item, const QString &type, const QString &toolName);

// Writes the indented file text of `document` with the given elements as
// "items": exactly what QJsonDocument writes for the same content. Written
// piece by piece, as a whole drawing can run to tens of megabytes.
// False when a write fell short.
bool writeDocument(QIODevice &device, QJsonObject document, const QList<StoredDrawItem> &elements);

} // namespace DrawItemCodec
