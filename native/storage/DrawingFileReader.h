#pragma once

#include "storage/DrawItemCodec.h"

#include <QByteArray>
#include <QList>

// Reads drawings.json in one pass, straight into the fields of its items,
// when the file keeps to a strict subset of JSON: ASCII strings with the
// simple escapes, finite numbers, modest nesting, no key twice where it
// matters. Every such text is valid JSON that QJsonDocument reads the same
// way; anything else is left to QJsonDocument, which then decides about the
// whole file. Parsing a drawing of ten thousand strokes into a QJsonDocument
// first would take most of a second.
namespace DrawingFileReader {

struct Result
{
    // The file with the value of its top-level "items" replaced by [].
    QByteArray frame;
    bool itemsIsArray = false;
    // Where the value of "items" stands in the file.
    qsizetype itemsOffset = 0;
    qsizetype itemsLength = 0;
    // The entries of "items" that are items, with their spans in the file.
    QList<DrawItemCodec::StoredFields> items;
    int skipped = 0; // the other entries
};

// False when the text is outside the subset.
bool read(const QByteArray &file, Result *result);

} // namespace DrawingFileReader
