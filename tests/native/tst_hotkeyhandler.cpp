// Reading the keys of the whole desktop from their stored text.

#include "platform/HotkeyHandler.h"

#include <QTest>

class TestHotkeyHandler : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
};

void TestHotkeyHandler::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    // The text written back, empty for none.
    QTest::addColumn<QString>("canonical");
    QTest::addColumn<quint32>("keysym");
    QTest::addColumn<uint>("virtualKey");

    QTest::newRow("default") << "Ctrl+Alt+Shift+P" << true << "Ctrl+Alt+Shift+P" << 0x70u << 0x50u;
    QTest::newRow("any order, any case") << " shift+ctrl+alt+s " << true << "Ctrl+Alt+Shift+S" << 0x73u << 0x53u;
    QTest::newRow("super") << "Meta+F9" << true << "Meta+F9" << 0xffc6u << 0x78u;
    QTest::newRow("digit") << "Ctrl+Alt+1" << true << "Ctrl+Alt+1" << 0x31u << 0x31u;
    QTest::newRow("named key") << "Alt+PgDown" << true << "Alt+PgDown" << 0xff56u << 0x22u;
    QTest::newRow("none") << "" << true << "" << 0u << 0u;
    QTest::newRow("blank") << "   " << true << "" << 0u << 0u;
    QTest::newRow("no modifier") << "P" << false << "" << 0u << 0u;
    QTest::newRow("shift only") << "Shift+P" << false << "" << 0u << 0u;
    QTest::newRow("only modifiers") << "Ctrl+Alt" << false << "" << 0u << 0u;
    QTest::newRow("two keys") << "Ctrl+K, Ctrl+C" << false << "" << 0u << 0u;
    QTest::newRow("unknown key") << "Ctrl+Alt+Frobnicate" << false << "" << 0u << 0u;
    QTest::newRow("key we cannot grab") << "Ctrl+Alt+VolumeUp" << false << "" << 0u << 0u;
    QTest::newRow("keypad modifier") << "Ctrl+Num+5" << false << "" << 0u << 0u;
    QTest::newRow("garbage") << "+++" << false << "" << 0u << 0u;
}

void TestHotkeyHandler::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, canonical);
    QFETCH(quint32, keysym);
    QFETCH(uint, virtualKey);

    HotkeyHandler::Hotkey hotkey;
    QString error;
    QCOMPARE(HotkeyHandler::parse(text, &hotkey, &error), valid);
    QCOMPARE(error.isEmpty(), valid);
    QCOMPARE(HotkeyHandler::toText(hotkey), canonical);
    QCOMPARE(HotkeyHandler::keysymForKey(hotkey.key), keysym);
    QCOMPARE(HotkeyHandler::virtualKeyForKey(hotkey.key), virtualKey);
    if (!canonical.isEmpty()) {
        // What the settings window records from a key press reads back the same.
        QCOMPARE(HotkeyHandler::instance()->textForKeyEvent(hotkey.key, int(hotkey.modifiers)), canonical);
    }
}

QTEST_GUILESS_MAIN(TestHotkeyHandler)
#include "tst_hotkeyhandler.moc"
