#include "device/familya/familyaimage.h"
#include "config/profiledefaults.h"
#include "tests/common/bytesutil.h"

#include <QtTest>

using namespace familya;

using ButtonWords = QMap<int, quint32>;
Q_DECLARE_METATYPE(ButtonWords)

class TestFamilyAImage : public QObject
{
    Q_OBJECT

private slots:
    void macroBuffers_data();
    void macroBuffers();
    void recordAccessors_data();
    void recordAccessors();
    void recordButtonWords();
    void onlyLeftClick_data();
    void onlyLeftClick();
    void factoryButtonWords_data();
    void factoryButtonWords();
    void cpiStageEdit_data();
    void cpiStageEdit();
    void lightZone_data();
    void lightZone();
};

// --- Macro buffers ---------------------------------------------------------------

void TestFamilyAImage::macroBuffers_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<bool>("holds");

    QTest::newRow("a page becomes a buffer padded with zeros")
        << hexBytes("0a000100" "650004" "000004") << hexBytes("0a000100" "650004" "000004" "0000") << true;
    QTest::newRow("bytes past the length field are not taken")
        << hexBytes("07000100" "650004" "ffffff") << hexBytes("07000100" "650004" "0000") << true;
    QTest::newRow("a length running past the page gives an empty buffer")
        << hexBytes("0d000100" "650004") << hexBytes("00000000") << false;
    QTest::newRow("a length of part entries gives an empty buffer")
        << hexBytes("08000100" "65000400") << hexBytes("00000000") << false;
    QTest::newRow("a header alone is not a macro") << hexBytes("04000100") << hexBytes("04000100") << false;
}

void TestFamilyAImage::macroBuffers()
{
    QFETCH(QByteArray, page);
    QFETCH(QByteArray, head);
    QFETCH(bool, holds);

    const QByteArray buffer = macroBufferFromPage(page);
    QCOMPARE(buffer.size(), kMacroPageSize);
    QCOMPARE(buffer.left(head.size()).toHex(), head.toHex());
    QCOMPARE(buffer.mid(head.size()), QByteArray(kMacroPageSize - head.size(), '\0'));
    QCOMPARE(holdsMacro(buffer), holds);
}

// --- Buttons -------------------------------------------------------------------

// --- Record accessors -------------------------------------------------------------

void TestFamilyAImage::recordAccessors_data()
{
    QTest::addColumn<int>("recordSize");
    QTest::addColumn<uint>("slotOffset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("recordAt"); // -1: the record stays as it was

    const QByteArray word = hexBytes("11223344");
    QTest::newRow("first settings word follows the button block") << kRecordSize << 0x480u << word << 60;
    QTest::newRow("light word") << kRecordSize << 0x498u << word << 84;
    QTest::newRow("last settings byte ends the record") << kRecordSize << 0x4C3u << hexBytes("5a") << 127;
    QTest::newRow("button word") << kRecordSize << 0x204u << word << 20;
    QTest::newRow("last button byte") << kRecordSize << 0x22Bu << hexBytes("5a") << 59;
    QTest::newRow("a word running out of the button block") << kRecordSize << 0x22Au << word << -1;
    QTest::newRow("a word running out of the settings block") << kRecordSize << 0x4C2u << word << -1;
    QTest::newRow("between the blocks") << kRecordSize << 0x300u << hexBytes("5a") << -1;
    QTest::newRow("just below the button block") << kRecordSize << 0x1FFu << hexBytes("5a") << -1;
    QTest::newRow("a record too short for the offset") << 100 << 0x4C0u << word << -1;
}

void TestFamilyAImage::recordAccessors()
{
    QFETCH(int, recordSize);
    QFETCH(uint, slotOffset);
    QFETCH(QByteArray, bytes);
    QFETCH(int, recordAt);

    QByteArray expected(recordSize, '\0');
    if (recordAt >= 0)
        expected.replace(recordAt, bytes.size(), bytes);

    QByteArray record(recordSize, '\0');
    putRecordBytes(record, slotOffset, bytes);
    QCOMPARE(record.toHex(), expected.toHex());

    // The word and byte writers land in the same place.
    QByteArray other(recordSize, '\0');
    if (bytes.size() == 4)
        putRecordWord(other, slotOffset, readLe32(bytes, 0));
    else
        putRecordByte(other, slotOffset, 0, quint8(bytes[0]));
    QCOMPARE(other.toHex(), expected.toHex());

    for (int i = 0; i < bytes.size(); ++i)
        QCOMPARE(recordByte(record, slotOffset, i), recordAt >= 0 ? quint8(bytes[i]) : quint8(0));
}

void TestFamilyAImage::recordButtonWords()
{
    QByteArray record(kRecordSize, '\0');
    putLe32(record, kRecordButtonsOffset + 4, 0x01020304);
    putLe32(record, kRecordButtonsOffset + 0x28, 0xA1B2C3D4);
    const ButtonWords words = familya::recordButtonWords(record, {{4, 0x200}, {5, 0x204}, {14, 0x228}});
    QCOMPARE(words, (ButtonWords{{4, 0u}, {5, 0x01020304u}, {14, 0xA1B2C3D4u}}));
}

void TestFamilyAImage::onlyLeftClick_data()
{
    QTest::addColumn<ButtonWords>("words");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("only");

    const quint32 left = buttonWord(0x03, 0x00, 0x01, 0x00);
    const quint32 right = buttonWord(0x03, 0x00, 0x02, 0x00);
    QTest::newRow("the one left click") << ButtonWords{{4, left}, {6, right}} << 4 << true;
    QTest::newRow("a button without it") << ButtonWords{{4, left}, {6, right}} << 6 << false;
    QTest::newRow("one of two left clicks") << ButtonWords{{4, left}, {5, left}} << 4 << false;
    QTest::newRow("a button the mouse lacks") << ButtonWords{{4, left}} << 9 << false;
    QTest::newRow("no left click at all") << ButtonWords{{4, right}} << 4 << false;
}

void TestFamilyAImage::onlyLeftClick()
{
    QFETCH(ButtonWords, words);
    QFETCH(int, button);
    QFETCH(bool, only);
    QCOMPARE(isOnlyLeftClick(words, button), only);
}

void TestFamilyAImage::factoryButtonWords_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<ButtonWords>("words");

    const ButtonWords standard{
        {4, buttonWord(0x03, 0x00, 0x01, 0x00)},  {5, buttonWord(0x03, 0x00, 0x04, 0x00)},
        {6, buttonWord(0x03, 0x00, 0x02, 0x00)},  {7, buttonWord(0x03, 0x00, 0x10, 0x00)},
        {8, buttonWord(0x03, 0x00, 0x08, 0x00)},  {9, buttonWord(0x00, 0x00, 0x1E, 0x00)},
        {10, buttonWord(0x00, 0x00, 0x20, 0x00)}, {11, kUnassignedButtonWord},
        {12, kUnassignedButtonWord},              {13, buttonWord(0x08, 0x00, 0x05, 0x00)},
        {14, buttonWord(0x08, 0x00, 0x06, 0x00)},
    };
    QTest::newRow("an OX4 block carries the standard words") << korvanDefaultBlock(7) << standard;

    // The OX7 block lays its buttons out differently: its own words count.
    const ButtonWords ox7{
        {7, buttonWord(0x03, 0x00, 0x01, 0x00)},  {14, buttonWord(0x03, 0x00, 0x04, 0x00)},
        {13, buttonWord(0x03, 0x00, 0x02, 0x00)}, {9, buttonWord(0x08, 0x00, 0x05, 0x00)},
        {4, buttonWord(0x08, 0x00, 0x06, 0x03)},  {10, buttonWord(0x03, 0x10, 0x10, 0x03)},
        {8, buttonWord(0x03, 0x08, 0x08, 0x03)},  {5, buttonWord(0x03, 0x10, 0x10, 0x03)},
        {6, buttonWord(0x03, 0x08, 0x08, 0xFF)},  {11, kUnassignedButtonWord},
        {12, buttonWord(0xFF, 0xFF, 0xFF, 0x01)},
    };
    QTest::newRow("an OX7 block gives its own words") << korvanDefaultBlock(11) << ox7;

    QByteArray changed = korvanDefaultBlock(7);
    changed[kRecordButtonsOffset + 0x24] = 0x05; // the word at 0x224 no longer unassigned
    ButtonWords own = standard;
    own[11] = 0xFFFFFF05;
    QTest::newRow("one word off the standard makes every word the record's") << changed << own;
}

void TestFamilyAImage::factoryButtonWords()
{
    QFETCH(QByteArray, record);
    QFETCH(ButtonWords, words);
    QCOMPARE(familya::factoryButtonWords(record), words);
}

// --- CPI stages ----------------------------------------------------------------

void TestFamilyAImage::cpiStageEdit_data()
{
    QTest::addColumn<QByteArray>("matrix");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("cpi");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("after");

    // An OX7 (CPI / 50) holding 400, 800, 1600.
    const QByteArray three = hexBytes("0800" "1000" "2000" "0000" "0000" "0000" "0000" "0200");
    QTest::newRow("a stage changes in place")
        << three << 1 << 1000 << true << hexBytes("0800" "1400" "2000" "0000" "0000" "0000" "0000" "0200");
    QTest::newRow("a stage after the last one is added")
        << three << 3 << 3200 << true << hexBytes("0800" "1000" "2000" "4000" "0000" "0000" "0000" "0300");
    QTest::newRow("200 removes the first stage and the others move down")
        << three << 0 << 200 << true << hexBytes("1000" "2000" "0000" "0000" "0000" "0000" "0000" "0100");
    QTest::newRow("removing the last stage clears its code")
        << three << 2 << 100 << true << hexBytes("0800" "1000" "0000" "0000" "0000" "0000" "0000" "0100");
    QTest::newRow("a seventh stage fills the matrix")
        << hexBytes("0100" "0200" "0300" "0400" "0500" "0600" "0000" "0500") << 6 << 350 << true
        << hexBytes("0100" "0200" "0300" "0400" "0500" "0600" "0700" "0600");
    QTest::newRow("a stage past the end is refused") << three << 4 << 3200 << false << three;
    QTest::newRow("removing a missing stage is refused") << three << 3 << 200 << false << three;
    const QByteArray one = hexBytes("0800" "0000" "0000" "0000" "0000" "0000" "0000" "0000");
    QTest::newRow("the only stage stays") << one << 0 << 200 << false << one;
    QTest::newRow("a short matrix is refused") << three.left(14) << 0 << 1000 << false << three.left(14);
    QTest::newRow("an index past seven stages is refused") << three << 7 << 1000 << false << three;
}

void TestFamilyAImage::cpiStageEdit()
{
    QFETCH(QByteArray, matrix);
    QFETCH(int, index);
    QFETCH(int, cpi);
    QFETCH(bool, ok);
    QFETCH(QByteArray, after);

    int count = cpiStageCount(11, matrix);
    const int before = count;
    QCOMPARE(setCpiStage(11, matrix, index, cpi, count), ok);
    QCOMPARE(matrix.toHex(), after.toHex());
    QCOMPARE(count, ok ? quint8(after[14]) + 1 : before);
}

// --- Lighting ------------------------------------------------------------------

void TestFamilyAImage::lightZone_data()
{
    QTest::addColumn<quint32>("word");
    QTest::addColumn<QList<quint32>>("entries");
    QTest::addColumn<QByteArray>("zone"); // the 15 record bytes

    QTest::newRow("word bytes 1..3 and three colours")
        << buttonWord(0x02, 0x04, 0x05, 0x09) << QList<quint32>{0x00332211, 0x00665544, 0x00998877}
        << hexBytes("040509" "11223300" "44556600" "77889900");
    QTest::newRow("missing entries read as black") << buttonWord(0x06, 0x01, 0x00, 0x03)
                                                   << QList<quint32>{0x00FF0000}
                                                   << hexBytes("010003" "0000ff00" "00000000" "00000000");
}

void TestFamilyAImage::lightZone()
{
    QFETCH(quint32, word);
    QFETCH(QList<quint32>, entries);
    QFETCH(QByteArray, zone);

    const LightZoneParam decoded = decodeLightZone(word, entries);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(&decoded), sizeof(decoded)).toHex(), zone.toHex());
    // Back again: the stage byte of the current word stays, the colours
    // come back with their fourth byte cleared.
    QCOMPARE(lightWordForZone(buttonWord(0x05, 0xAA, 0xBB, 0xCC), decoded),
             buttonWord(0x05, buttonWordByte(word, 1), buttonWordByte(word, 2), buttonWordByte(word, 3)));
    QList<quint32> back = entries;
    while (back.size() < kLightColorEntries)
        back.append(0);
    QCOMPARE(ledEntriesForZone(decoded), back);
}

QTEST_APPLESS_MAIN(TestFamilyAImage)
#include "tst_familyaimage.moc"
