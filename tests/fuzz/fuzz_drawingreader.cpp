#include "storage/DrawItemCodec.h"
#include "storage/DrawingFileReader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include <cstdio>
#include <cstdlib>

// The quick reader of drawings.json against Qt's: whenever the quick one
// takes a text, both must give the same records, kept entries and counts.
namespace {

const DrawItemCodec::Rules kRules { { "None", "Pen", "Highlighter", "Rectangle", "Line" }, "DrawingOverlay_0", QColor(255, 0, 0), 5, 1, 100 };

// An entry that needed no repair keeps its own layout: compared as JSON.
QList<QJsonObject> texts(const DrawItemCodec::Decoded &decoded)
{
    QList<QJsonObject> out;
    for (const StoredDrawItem &form : decoded.storedForms + decoded.kept)
        out << QJsonDocument::fromJson(form.json().toByteArray()).object();
    return out;
}

void check(const QByteArray &file)
{
    DrawingFileReader::Result quick;
    if (!DrawingFileReader::read(file, &quick))
        return;
    QJsonParseError error {};
    const QJsonDocument json = QJsonDocument::fromJson(file, &error);
    DrawItemCodec::Decoded fast = DrawItemCodec::decode(quick.items, kRules, file);
    fast.storedCount += quick.skipped;
    fast.dropped += quick.skipped;
    const DrawItemCodec::Decoded general = DrawItemCodec::decode(json.object().value("items").toArray(), kRules);
    if (error.error != QJsonParseError::NoError || fast.storedCount != general.storedCount || fast.dropped != general.dropped || fast.items != general.items
            || texts(fast) != texts(general)) {
        std::fprintf(stderr, "readers disagree on: %s\n", file.constData());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    check(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}

#ifndef INKLY_LIBFUZZER
// Without libFuzzer: random edits of a few seed files for the given seconds.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3;
    const QList<QByteArray> seeds {
        R"({"items": [{"drawingTool": "Pen", "lineColor": {"a": 1, "b": 0, "g": 0, "r": 1}, "lineWidth": 5, "points": [{"x": 1, "y": 2}, {"x": 3.5, "y": -4e2}], "type": "stroke", "windowId": "DrawingOverlay_1"}, {"drawingTool": "Line", "endX": 3, "endY": 4, "lineColor": {"a": 1, "b": 0, "g": 0, "r": 1}, "lineWidth": 2, "startX": 1, "startY": 2, "type": "shape", "windowId": "DrawingOverlay_0"}, {"type": "text", "drawingTool": "Text", "x": [1, true, null]}, 7], "version": 1})",
        R"({"version": 1, "note": {"a": [1, 2]}, "items": [{"type": "stroke", "drawingTool": "Highlighter", "points": [{"x": 0, "y": 0, "p": 1}, 3]}]})",
    };
    const QByteArray alphabet = "{}[]:,\" -.0123456789eEtrufalsn\\xyab";
    QRandomGenerator random(qEnvironmentVariableIntValue("FUZZ_SEED"));
    QElapsedTimer clock;
    clock.start();
    qint64 runs = 0;
    while (clock.elapsed() < seconds * 1000) {
        QByteArray text = seeds.at(random.bounded(int(seeds.size())));
        for (int edits = 1 + random.bounded(8); edits > 0; --edits) {
            const int at = random.bounded(int(text.size()) + 1);
            switch (random.bounded(4)) {
            case 0:
                text.insert(at, alphabet.at(random.bounded(int(alphabet.size()))));
                break;
            case 1:
                text.remove(at, 1 + random.bounded(4));
                break;
            case 2:
                text.insert(at, text.mid(random.bounded(int(text.size())), random.bounded(40)));
                break;
            default:
                if (at < text.size())
                    text[at] = alphabet.at(random.bounded(int(alphabet.size())));
            }
        }
        check(text);
        ++runs;
    }
    std::printf("%lld inputs in %.1f s, readers agree\n", runs, clock.elapsed() / 1000.0);
    return 0;
}
#endif
