#include "storage/DrawItemCodec.h"
#include "storage/DrawingFileReader.h"
#include "storage/DrawingStore.h"
#include "storage/StoredDrawItem.h"
#include "tests/native/TestFiles.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QStringList kToolNames { "None", "Pen", "Highlighter", "Rectangle", "Ellipse", "Star", "Line", "Arrow", "DashedRectangle", "DashedEllipse", "DashedLine",
    "EraserBrush", "EraserRectangle", "Text" };

DrawItemCodec::Rules rules()
{
    return { kToolNames, QStringLiteral("DrawingOverlay_0"), QColor(255, 0, 0), 5, 1, 100 };
}

QJsonObject color(double r, double g, double b, double a)
{
    return { { "r", r }, { "g", g }, { "b", b }, { "a", a } };
}

QJsonObject storedStroke(const QJsonArray &points, const QString &windowId = "DrawingOverlay_1")
{
    return { { "type", "stroke" }, { "drawingTool", "Pen" }, { "windowId", windowId }, { "lineColor", color(1, 0, 0, 1) }, { "lineWidth", 5 },
        { "points", points } };
}

QJsonObject point(double x, double y)
{
    return { { "x", x }, { "y", y } };
}

// What Qt's indented writer puts into "items" for this object, from its
// opening brace.
QByteArray qtElement(const QJsonObject &object)
{
    const QByteArray json = QJsonDocument(QJsonObject { { "items", QJsonArray { object } } }).toJson();
    const qsizetype start = json.indexOf("[\n        {") + 10;
    return json.mid(start, json.lastIndexOf("\n    ]") - start);
}

QByteArray textOf(const StoredDrawItem &form)
{
    return form.json().toByteArray();
}

DrawItemCodec::Decoded readQuickly(const QByteArray &file, bool *ok)
{
    DrawingFileReader::Result result;
    *ok = DrawingFileReader::read(file, &result);
    DrawItemCodec::Decoded decoded = DrawItemCodec::decode(result.items, rules(), file);
    decoded.storedCount += result.skipped;
    decoded.dropped += result.skipped;
    return decoded;
}

} // namespace

class TestDrawItemCodec : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_data;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_data.isValid());
        qputenv("XDG_DATA_HOME", m_data.path().toLocal8Bit());
#ifdef Q_OS_WIN
        // Windows reads no XDG directories; test mode keeps the store away
        // from the user's own drawing.
        QStandardPaths::setTestModeEnabled(true);
#endif
    }

    // The stored forms must be exactly what Qt's writer gives, or the joined
    // file would differ from the store's own.
    void elementMatchesQtWriter()
    {
        QRandomGenerator random(7);
        QVariantList flat;
        QJsonArray points;
        for (int i = 0; i < 200; ++i) {
            const double x = i % 3 == 0 ? i : random.bounded(4000.0) - 100;
            const double y = i % 7 == 0 ? -random.bounded(1e-6) : random.bounded(1e17);
            flat << x << y;
            points.append(point(x, y));
        }
        const QColor translucent = QColor::fromRgbF(0.2f, 0.4f, 0.6f, 0.5f);
        const QString windowId = QString::fromUtf8("Overlay \"\xc3\xa9\"\\\n\x01");
        const QVariantMap item { { "drawingTool", 1 }, { "windowId", windowId }, { "lineColor", translucent }, { "lineWidth", 2.5 }, { "points", flat } };
        QJsonObject expected = storedStroke(points, windowId);
        expected["lineColor"] = color(translucent.redF(), translucent.greenF(), translucent.blueF(), translucent.alphaF());
        expected["lineWidth"] = 2.5;
        QCOMPARE(DrawItemCodec::element(item, "stroke", "Pen"), qtElement(expected));

        const QVariantMap shape { { "drawingTool", 3 }, { "windowId", "DrawingOverlay_2" }, { "lineColor", QColor(0, 255, 0) }, { "lineWidth", 1 },
            { "startX", -0.0 }, { "startY", 1e16 }, { "endX", 9007199254740992.0 }, { "endY", 0.1 } };
        const QJsonObject storedShape { { "type", "shape" }, { "drawingTool", "EraserRectangle" }, { "windowId", "DrawingOverlay_2" },
            { "lineColor", color(0, 1, 0, 1) }, { "lineWidth", 1 }, { "startX", -0.0 }, { "startY", 1e16 }, { "endX", 9007199254740992.0 }, { "endY", 0.1 } };
        QCOMPARE(DrawItemCodec::element(shape, "shape", "EraserRectangle"), qtElement(storedShape));

        // A text reads back as the record it was written from, in both readers.
        QVariantMap text { { "drawingTool", 13 }, { "windowId", "DrawingOverlay_1" }, { "lineColor", QColor(0, 0, 255) }, { "lineWidth", 5.0 },
            { "text", "plain \"hi\"\n2" }, { "x", 12.5 }, { "y", 40.0 }, { "fontSize", 23.0 } };
        for (const QString &words : { QStringLiteral("plain \"hi\"\n2"), QString::fromUtf8("\xec\x95\x88\xeb\x85\x95") }) {
            text["text"] = words;
            const QJsonObject stored { { "type", "text" }, { "drawingTool", "Text" }, { "windowId", "DrawingOverlay_1" }, { "lineColor", color(0, 0, 1, 1) },
                { "lineWidth", 5 }, { "text", words }, { "x", 12.5 }, { "y", 40 }, { "fontSize", 23 } };
            QCOMPARE(DrawItemCodec::element(text, "text", "Text"), qtElement(stored));
            bool quick = false;
            DrawItemCodec::Decoded decoded = readQuickly(QJsonDocument(QJsonObject { { "items", QJsonArray { stored } } }).toJson(), &quick);
            QCOMPARE(quick, words.startsWith("plain")); // Hangul is left to Qt's reader
            QCOMPARE((quick ? decoded : DrawItemCodec::decode(QJsonArray { stored }, rules())).items.value(0).toMap(), text);
        }
    }

    void decodeRepairsAndDrops()
    {
        const QJsonArray stored {
            storedStroke({ point(1, 2), point(3, 4) }),
            storedStroke({ point(5, 6) }), // a click of the pen is a dot, not nothing
            storedStroke({ QJsonObject { { "x", "1" }, { "y", 2 } }, 3, point(9, 10) }),
            storedStroke({}),
            QJsonObject { { "type", "stroke" }, { "drawingTool", "Pen" }, { "points", "1,2" } },
            QJsonObject { { "type", "shape" }, { "drawingTool", "Line" }, { "windowId", 4 }, { "lineWidth", -1 }, { "lineColor", "red" }, { "startX", 1 },
                    { "startY", 2 }, { "endX", 3 }, { "endY", 4 } },
            QJsonObject { { "type", "shape" }, { "drawingTool", "Line" }, { "startX", 1 }, { "startY", 2 }, { "endX", 3 } },
            QJsonObject { { "type", "shape" }, { "drawingTool", "None" }, { "startX", 1 }, { "startY", 2 }, { "endX", 3 }, { "endY", 4 } },
            QJsonObject { { "type", "stroke" }, { "drawingTool", "pen" }, { "points", QJsonArray { point(1, 1) } } },
            QJsonObject { { "type", "text" }, { "drawingTool", "Pen" } },
            QJsonObject { { "drawingTool", "Pen" }, { "points", QJsonArray { point(1, 1) } } },
            QJsonObject { { "type", "stroke" }, { "drawingTool", "Highlighter" }, { "lineWidth", 0 }, { "lineColor", QJsonObject { { "r", 2 }, { "g", -1 } } },
                    { "points", QJsonArray { point(0, 0) } } },
            QJsonObject { { "type", "shape" }, { "drawingTool", "Rectangle" }, { "lineWidth", 3000 }, { "startX", 1 }, { "startY", 2 }, { "endX", 3 },
                    { "endY", 4 } },
            QJsonValue(42),
        };
        const DrawItemCodec::Decoded decoded = DrawItemCodec::decode(stored, rules());
        QCOMPARE(decoded.storedCount, int(stored.size()));
        QCOMPARE(decoded.items.size(), 6);
        QCOMPARE(decoded.storedForms.size(), 6);

        QCOMPARE(decoded.items.at(0).toMap().value("points").toList(), (QVariantList { 1.0, 2.0, 3.0, 4.0 }));
        QCOMPARE(decoded.items.at(1).toMap().value("points").toList(), (QVariantList { 5.0, 6.0 }));
        QCOMPARE(decoded.items.at(2).toMap().value("points").toList(), (QVariantList { 9.0, 10.0 }));
        QCOMPARE(decoded.items.at(4).toMap().value("lineColor").value<QColor>(), QColor::fromRgbF(1, 0, 0, 1));
        // Widths stay within what the toolbar offers.
        QVERIFY(textOf(decoded.storedForms.at(5)).contains("\"lineWidth\": 100"));

        // Each stored form is that of the repaired record.
        const QJsonObject lineText = QJsonDocument::fromJson(textOf(decoded.storedForms.at(3))).object();
        QCOMPARE(lineText,
                (QJsonObject { { "type", "shape" }, { "drawingTool", "Line" }, { "windowId", "DrawingOverlay_0" }, { "lineWidth", 5 },
                        { "lineColor", color(1, 0, 0, 1) }, { "startX", 1 }, { "startY", 2 }, { "endX", 3 }, { "endY", 4 } }));
        QCOMPARE(textOf(decoded.storedForms.at(0)), qtElement(stored.at(0).toObject()));

        // The quick reader of the file gives the very same records, and keeps
        // the text of an entry that needed no repair.
        const QByteArray file = QJsonDocument(QJsonObject { { "version", 1 }, { "items", stored } }).toJson();
        bool quick = false;
        const DrawItemCodec::Decoded fromFile = readQuickly(file, &quick);
        QVERIFY(quick);
        QCOMPARE(fromFile.storedCount, decoded.storedCount);
        QCOMPARE(fromFile.items, decoded.items);
        for (qsizetype i = 0; i < decoded.storedForms.size(); ++i)
            QCOMPARE(textOf(fromFile.storedForms.at(i)), textOf(decoded.storedForms.at(i)));
    }

    void quickReaderLeavesTheUnusualToQt()
    {
        const QByteArray plain = R"({"a": [1, {"b": null}], "items": [ {"type":"shape","drawingTool":"Line",
            "windowId":"w","lineColor":{"r":1,"g":0,"b":0.5,"a":1},"lineWidth":2.50,"startX":-0,"startY":1E2,
            "endX":3.125e-1,"endY":4, "note": [true, false]} ], "version": 1})";
        DrawingFileReader::Result result;
        QVERIFY(DrawingFileReader::read(plain, &result));
        QCOMPARE(QJsonDocument::fromJson(result.frame).object(),
                (QJsonObject { { "a", QJsonArray { 1, QJsonObject { { "b", QJsonValue() } } } }, { "items", QJsonArray() }, { "version", 1 } }));
        QCOMPARE(result.items.size(), 1);
        const DrawItemCodec::StoredFields &shape = result.items.first();
        QCOMPARE(shape.startY, 100.0);
        QCOMPARE(shape.endX, 0.3125);
        QCOMPARE(shape.lineWidth, 2.5);
        QVERIFY(shape.otherKeys);
        QCOMPARE(plain.mid(shape.sourceOffset, 1), QByteArray("{"));
        QCOMPARE(plain.mid(shape.sourceOffset + shape.sourceLength - 1, 1), QByteArray("}"));

        const QList<QByteArray> unusual {
            "\xef\xbb\xbf{\"items\": []}", // byte order mark
            R"({"items": [{"windowId": "\u0041"}]})",
            "{\"items\": [{\"windowId\": \"\xc3\xa9\"}]}",
            R"({"items": [], "items": []})",
            R"({"items": [{"type": "shape", "type": "stroke"}]})",
            R"({"items": [{"points": [{"x": 1, "x": 2}]}]})",
            R"({"items": [{"points": [{"x": 1, "x": "a", "y": 2}]}]})",
            R"({"items": [{"lineColor": {"r": 1, "r": "a"}}]})",
            R"({"items": [01]})",
            R"({"items": [1e400]})",
            R"({"items": [1.]})",
            R"({"items": [-]})",
            R"({"items": [tru]})",
            R"({"items": [1,]})",
            R"({"items": []} x)",
            R"({"items" []})",
            R"([{"items": []}])",
            QByteArray(40, '[') + QByteArray(40, ']'),
            "{\"a\": " + QByteArray(40, '[') + QByteArray(40, ']') + "}",
            "",
        };
        for (const QByteArray &text : unusual) {
            DrawingFileReader::Result ignored;
            QVERIFY2(!DrawingFileReader::read(text, &ignored), text.constData());
        }
    }

    void storeWritesStoredFormsLikeItsOwnWriter()
    {
        DrawingStore *store = DrawingStore::instance();
        QJsonArray items;
        QVariantList forms;
        for (int i = 0; i < 30; ++i) {
            QJsonArray points;
            for (int j = 0; j < 50; ++j)
                points.append(point(i + j * 0.37, j - i * 1.5));
            items.append(storedStroke(points));
            forms << QVariant::fromValue(StoredDrawItem(qtElement(items.last().toObject())));
        }
        store->setItems(items);
        const QByteArray written = TestFiles::read(DrawingStore::filePath());
        QVERIFY(!written.isEmpty());
        store->setStoredDrawItems(forms);
        QCOMPARE(TestFiles::read(DrawingStore::filePath()), written);
        QCOMPARE(store->items(), items);
        QCOMPARE(store->getDrawings().size(), 30);
        store->reload();
        QCOMPARE(store->items(), items);

        // Anything else in the list is left out rather than written.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^\\[DrawingStore\\] setStoredDrawItems: skipped"));
        store->setStoredDrawItems({ forms.first(), QStringLiteral("{\"type\": \"stroke\""), QVariant(), QVariant::fromValue(StoredDrawItem()) });
        store->reload();
        QCOMPARE(store->items(), (QJsonArray { items.first() }));
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Zemworks"));
    QCoreApplication::setApplicationName(QStringLiteral("Inkly"));
    TestDrawItemCodec test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_drawitemcodec.moc"
