#include "device/familya/familyacodec.h"
#include "config/macronode.h"
#include "tests/common/macrotestutil.h"

#include <QtTest>

using namespace familya;

Q_DECLARE_METATYPE(familya::MacroError)

namespace {
QVector<quint32> events(std::initializer_list<quint32> list)
{
    return QVector<quint32>(list);
}

// A white 64 x 48 one-bit picture with the given pixels dark.
QImage pictureWithDarkPixels(const QVector<QPoint> &dark)
{
    QImage image(kOledWidth, kOledHeight, QImage::Format_MonoLSB);
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    image.fill(1);
    for (const QPoint &p : dark)
        image.setPixel(p, 0);
    return image;
}
} // namespace

class TestFamilyACodec : public QObject
{
    Q_OBJECT

private slots:
    void commandReports_data();
    void commandReports();
    void receiverCommands_data();
    void receiverCommands();

    void macroEncoding_data();
    void macroEncoding();
    void macroEncodingFailures_data();
    void macroEncodingFailures();
    void macroPageDecodesWhatWasEncoded();
    void macroPageHeader_data();
    void macroPageHeader();
    void macroNodes_data();
    void macroNodes();
    void macroModeWord_data();
    void macroModeWord();

    void oledPacking_data();
    void oledPacking();
    void oledPackingRoundTrip();
    void oledPackingRefusals_data();
    void oledPackingRefusals();
    void oledAnyPictureBecomesPackable();

    void cpiCodes_data();
    void cpiCodes();
    void cpiList_data();
    void cpiList();
    void cpiListWithoutStagesIsRefused();
    void cpiListWithAValueWithoutCodeIsRefused();
    void cpiStages_data();
    void cpiStages();

    void reportRate_data();
    void reportRate();

    void buttonWordEncoding_data();
    void buttonWordEncoding();
    void buttonWordRefusals_data();
    void buttonWordRefusals();
    void buttonWordDecoding_data();
    void buttonWordDecoding();

    void battery_data();
    void battery();
    void batteryOfPercentModels_data();
    void batteryOfPercentModels();
    void productId_data();
    void productId();
    void recordOffsets_data();
    void recordOffsets();

    void ispPackets();
};

// --- Reports -------------------------------------------------------------------

void TestFamilyACodec::commandReports_data()
{
    QTest::addColumn<bool>("receiverForm");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("head");

    QTest::newRow("wired mouse form targets 0xFF") << false << 0 << hexBytes("a200") << true << hexBytes("baffa200");
    QTest::newRow("receiver mode targets 0xA5") << false << 1 << hexBytes("aa") << true << hexBytes("baa5aa00");
    QTest::newRow("another mode targets 0x00") << false << 7 << hexBytes("aa") << true << hexBytes("ba00aa00");
    QTest::newRow("mouse form carries 30 command bytes") << false << 0 << QByteArray(30, '\x11') << true
                                                         << hexBytes("baff1111");
    QTest::newRow("mouse form refuses 31 command bytes") << false << 0 << QByteArray(31, '\x11') << false
                                                         << QByteArray();
    QTest::newRow("empty command refused") << false << 0 << QByteArray() << false << QByteArray();
    QTest::newRow("receiver form puts the command after the id") << true << 0 << hexBytes("a081") << true
                                                                 << hexBytes("baa08100");
    QTest::newRow("receiver form carries 31 command bytes") << true << 0 << QByteArray(31, '\x22') << true
                                                            << hexBytes("ba2222");
    QTest::newRow("receiver form refuses 32 command bytes") << true << 0 << QByteArray(32, '\x22') << false
                                                            << QByteArray();
}

void TestFamilyACodec::commandReports()
{
    QFETCH(bool, receiverForm);
    QFETCH(int, mode);
    QFETCH(QByteArray, command);
    QFETCH(bool, ok);
    QFETCH(QByteArray, head);

    QByteArray report;
    const bool built = receiverForm ? buildReceiverReport(command, report) : buildMouseReport(mode, command, report);
    QCOMPARE(built, ok);
    if (!ok)
        return;
    QCOMPARE(report.size(), kReportLength);
    QVERIFY(report.startsWith(head));
    const int used = (receiverForm ? 1 : 2) + command.size();
    QCOMPARE(report.mid(used), QByteArray(kReportLength - used, '\0'));
}

void TestFamilyACodec::receiverCommands_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("open for pairing") << dongleOpenCommand() << hexBytes("a081");
    QTest::newRow("link address, low byte first") << dongleAddressCommand(0x12345678u) << hexBytes("a18f78563412");
    QTest::newRow("link address 0 keeps its four bytes") << dongleAddressCommand(0) << hexBytes("a18f00000000");
    QTest::newRow("highest link address") << dongleAddressCommand(0xFFFFFFFFu) << hexBytes("a18fffffffff");
    QTest::newRow("end pairing") << dongleEndPairingCommand() << hexBytes("a181");
    QTest::newRow("work mode") << dongleWorkModeCommand() << hexBytes("a7");
}

void TestFamilyACodec::receiverCommands()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, bytes);

    QCOMPARE(command, bytes);
    // Every one fits the receiver form behind the report id.
    QByteArray report;
    QVERIFY(buildReceiverReport(command, report));
    QCOMPARE(report.left(1 + bytes.size()), QByteArray(1, char(kReportId)) + bytes);
}

// --- Macros --------------------------------------------------------------------

void TestFamilyACodec::macroEncoding_data()
{
    QTest::addColumn<QVector<quint32>>("input");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("page");

    // Virtual key 0x41 (A) is HID usage 0x04.
    QTest::newRow("press and release give one entry each")
        << events({keyEvent(true, 0x41), keyEvent(false, 0x41)}) << 1 << hexBytes("0a000100" "010004" "000004");
    QTest::newRow("delay goes into the last entry and keeps its press bit")
        << events({keyEvent(true, 0x41), delayEvent(50), keyEvent(false, 0x41)}) << 1
        << hexBytes("0a000100" "650004" "000004");
    QTest::newRow("a second delay replaces the first")
        << events({keyEvent(false, 0x41), delayEvent(50), delayEvent(3)}) << 1 << hexBytes("07000100" "060004");
    QTest::newRow("mode word is stored as given")
        << events({keyEvent(true, 0x1B)}) << 0xFFFE << hexBytes("0700feff" "010029");
    QTest::newRow("delay before the first entry is dropped")
        << events({delayEvent(40), keyEvent(true, 0x41)}) << 1 << hexBytes("07000100" "010004");
    QTest::newRow("delay above 32767 ms is clamped")
        << events({keyEvent(true, 0x41), delayEvent(40000)}) << 1 << hexBytes("07000100" "ffff04");
    QTest::newRow("move is 0xF7 then x and negated y")
        << events({moveEvent(3, -5)}) << 1 << hexBytes("0a000100" "0000f7" "000305");
    QTest::newRow("negative x and positive y in 12-bit two's complement")
        << events({moveEvent(-1, 2)}) << 1 << hexBytes("0a000100" "0000f7" "fffffe");
    QTest::newRow("x bits 8..11 go to control bits 4..7")
        << events({moveEvent(300, 0)}) << 1 << hexBytes("0a000100" "0000f7" "102c00");
    QTest::newRow("y bits 8..11 go to control bits 0..3")
        << events({moveEvent(0, -300)}) << 1 << hexBytes("0a000100" "0000f7" "01002c");
    QTest::newRow("delays after a move are OR-ed into its 0xF7 entry")
        << events({moveEvent(3, -5), delayEvent(10), delayEvent(5)}) << 1
        << hexBytes("0a000100" "1e00f7" "000305");
    QTest::newRow("a key after a move takes its own delay")
        << events({moveEvent(1, 0), keyEvent(true, 0x41), delayEvent(2)}) << 1
        << hexBytes("0d000100" "0000f7" "000100" "050004");
    QTest::newRow("empty macro is a bare header") << QVector<quint32>() << 5 << hexBytes("04000500");
}

void TestFamilyACodec::macroEncoding()
{
    QFETCH(QVector<quint32>, input);
    QFETCH(int, mode);
    QFETCH(QByteArray, page);

    QByteArray out;
    MacroError error = MacroError::TooManyEntries;
    QVERIFY(encodeMacroPage(input, quint16(mode), out, &error));
    QCOMPARE(error, MacroError::None);
    QCOMPARE(out.toHex(), page.toHex());
}

void TestFamilyACodec::macroEncodingFailures_data()
{
    QTest::addColumn<QVector<quint32>>("input");
    QTest::addColumn<MacroError>("error");
    QTest::addColumn<int>("failedEvent");

    QVector<quint32> tooMany;
    for (int i = 0; i < 682; ++i)
        tooMany.append(moveEvent(1, 1)); // two entries each: 1364

    QTest::newRow("a key without usage fails the whole macro")
        << events({keyEvent(true, 0x41), keyEvent(true, 0x07), keyEvent(false, 0x41)}) << MacroError::KeyWithoutUsage
        << 1;
    QTest::newRow("unknown event type") << events({keyEvent(true, 0x41), 0x80000001u}) << MacroError::UnknownEvent
                                        << 1;
    QTest::newRow("1364 entries are too many") << tooMany << MacroError::TooManyEntries << 681;
}

void TestFamilyACodec::macroEncodingFailures()
{
    QFETCH(QVector<quint32>, input);
    QFETCH(MacroError, error);
    QFETCH(int, failedEvent);

    QByteArray out("stale");
    MacroError e = MacroError::None;
    int failed = -1;
    QVERIFY(!encodeMacroPage(input, 1, out, &e, &failed));
    QCOMPARE(e, error);
    QCOMPARE(failed, failedEvent);
    QVERIFY(out.isEmpty());
}

void TestFamilyACodec::macroPageDecodesWhatWasEncoded()
{
    QVector<quint32> input;
    for (int i = 0; i < 1363; ++i)
        input.append(keyEvent(i % 2 == 0, 0x30 + i % 10));
    QByteArray page;
    QVERIFY(encodeMacroPage(input, 7, page));
    QCOMPARE(page.size(), 4093);

    quint16 mode = 0;
    QVector<MacroEntry> entries;
    QVERIFY(decodeMacroPage(page, mode, entries));
    QCOMPARE(mode, quint16(7));
    QCOMPARE(entries.size(), 1363);
    QCOMPARE(entries[0], (MacroEntry{1, 0x27})); // key 0
    QCOMPARE(entries[1], (MacroEntry{0, 0x1E})); // key 1

    // A length field past the bytes given, or not 4 + 3n, is refused.
    QVERIFY(!decodeMacroPage(page.left(100), mode, entries));
    QByteArray odd = page;
    putLe16(odd, 0, 8);
    QVERIFY(!decodeMacroPage(odd, mode, entries));
}

void TestFamilyACodec::macroPageHeader_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<bool>("decodes");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("isFree");

    QTest::newRow("zero length is free") << hexBytes("00000100") << true << 0 << true;
    QTest::newRow("a used page") << hexBytes("0a000100") << true << 10 << false;
    QTest::newRow("a whole page is used") << hexBytes("00100100") << true << 4096 << false;
    QTest::newRow("above a page is free") << hexBytes("01100100") << true << 4097 << true;
    QTest::newRow("erased memory is free") << hexBytes("ffffffff") << true << 0xFFFF << true;
    QTest::newRow("three bytes are no header") << hexBytes("0a0001") << false << 0 << false;
}

void TestFamilyACodec::macroPageHeader()
{
    QFETCH(QByteArray, header);
    QFETCH(bool, decodes);
    QFETCH(int, length);
    QFETCH(bool, isFree);

    quint16 len = 0, mode = 0;
    QCOMPARE(decodeMacroPageHeader(header, len, mode), decodes);
    if (!decodes)
        return;
    QCOMPARE(int(len), length);
    QCOMPARE(isMacroPageFree(len), isFree);
}

void TestFamilyACodec::macroNodes_data()
{
    QTest::addColumn<QList<MacroNode>>("nodes");
    QTest::addColumn<bool>("ignoreDelays");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QVector<quint32>>("expected");

    QTest::newRow("key press and release with a delay between")
        << QList<MacroNode>{keyNode(0x41, 0, 50), keyNode(0x41, 1, 0)} << false << true
        << events({0xC0000041u, 0xA0000032u, 0xE0000041u});
    QTest::newRow("mouse button keys are keys") << QList<MacroNode>{keyNode(0x01, 0, 0)} << false << true
                                                << events({0xC0000001u});
    QTest::newRow("movement in sign and magnitude") << QList<MacroNode>{moveNode(-3, 4, 0)} << false << true
                                                    << events({0x40004803u});
    QTest::newRow("movement is clamped to 2047") << QList<MacroNode>{moveNode(5000, -5000, 0)} << false << true
                                                 << events({0x40FFF7FFu});
    QTest::newRow("ignored delays are left out")
        << QList<MacroNode>{keyNode(0x41, 0, 50), keyNode(0x41, 1, 30)} << true << true
        << events({0xC0000041u, 0xE0000041u});
    QTest::newRow("delays above 65535 are capped") << QList<MacroNode>{keyNode(0x41, 0, 100000)} << false << true
                                                   << events({0xC0000041u, 0xA000FFFFu});
    QTest::newRow("unknown node kind fails") << QList<MacroNode>{keyNode(0x41, 0, 0), MacroNode()} << false << false
                                             << QVector<quint32>();
    QTest::newRow("unknown key state fails") << QList<MacroNode>{keyNode(0x41, 2, 0)} << false << false
                                             << QVector<quint32>();
    QTest::newRow("negative key code fails") << QList<MacroNode>{keyNode(-1, 0, 0)} << false << false
                                             << QVector<quint32>();
}

void TestFamilyACodec::macroNodes()
{
    QFETCH(QList<MacroNode>, nodes);
    QFETCH(bool, ignoreDelays);
    QFETCH(bool, ok);
    QFETCH(QVector<quint32>, expected);

    QVector<quint32> out;
    QCOMPARE(macroEventsFromNodes(nodes, ignoreDelays, out), ok);
    QCOMPARE(out, expected);
}

void TestFamilyACodec::macroModeWord_data()
{
    QTest::addColumn<int>("macroType");
    QTest::addColumn<int>("repeat");
    QTest::addColumn<int>("word");

    QTest::newRow("loop count carries the repeat count") << 0 << 12 << 12;
    QTest::newRow("loop count of 0 plays once") << 0 << 0 << 1;
    QTest::newRow("loop count stays below the special words") << 0 << 70000 << 65533;
    QTest::newRow("until pressed again") << 2 << 12 << 0xFFFE;
    QTest::newRow("while held") << 4 << 12 << 0xFFFF;
}

void TestFamilyACodec::macroModeWord()
{
    QFETCH(int, macroType);
    QFETCH(int, repeat);
    QFETCH(int, word);
    QCOMPARE(int(familya::macroModeWord(macroType, repeat)), word);
}

// --- OLED ----------------------------------------------------------------------

void TestFamilyACodec::oledPacking_data()
{
    QTest::addColumn<QVector<QPoint>>("dark");
    QTest::addColumn<int>("byteIndex");
    QTest::addColumn<int>("byteValue");

    QTest::newRow("top left is page 0 column 0 bit 0") << QVector<QPoint>{{0, 0}} << 0 << 0x01;
    QTest::newRow("row 7 is bit 7 of the same byte") << QVector<QPoint>{{0, 7}} << 0 << 0x80;
    QTest::newRow("row 9 column 5 is page 1 bit 1") << QVector<QPoint>{{5, 9}} << 64 + 5 << 0x02;
    QTest::newRow("bottom right is the last byte's bit 7") << QVector<QPoint>{{63, 47}} << 383 << 0x80;
    QTest::newRow("a column of eight fills a byte")
        << QVector<QPoint>{{10, 16}, {10, 17}, {10, 18}, {10, 19}, {10, 20}, {10, 21}, {10, 22}, {10, 23}}
        << 128 + 10 << 0xFF;
}

void TestFamilyACodec::oledPacking()
{
    QFETCH(QVector<QPoint>, dark);
    QFETCH(int, byteIndex);
    QFETCH(int, byteValue);

    QByteArray out;
    QVERIFY(familya::ImageToByteArr(pictureWithDarkPixels(dark), out, kOledBytes));
    QCOMPARE(out.size(), kOledBytes);
    QCOMPARE(int(quint8(out[byteIndex])), byteValue);
    out[byteIndex] = 0;
    QCOMPARE(out, QByteArray(kOledBytes, '\0')); // a white picture lights nothing
}

void TestFamilyACodec::oledPackingRoundTrip()
{
    QByteArray device(kOledBytes, '\0');
    for (int i = 0; i < kOledBytes; ++i)
        device[i] = char((i * 37 + 11) & 0xFF);
    const QImage image = byteArrToImage(device);
    QCOMPARE(image.size(), QSize(64, 48));
    QCOMPARE(image.format(), QImage::Format_MonoLSB);
    QCOMPARE(image.pixel(0, 0), qRgb(0, 0, 0)); // byte 0 bit 0 set: a lit pixel shows dark
    QByteArray back;
    QVERIFY(familya::ImageToByteArr(image, back, kOledBytes));
    QCOMPARE(back, device);

    // A colour table in the other order means the same picture.
    QImage inverted = image;
    inverted.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    inverted.invertPixels();
    QVERIFY(familya::ImageToByteArr(inverted, back, kOledBytes));
    QCOMPARE(back, device);
}

void TestFamilyACodec::oledPackingRefusals_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<int>("dataLength");

    QTest::newRow("data length other than 384") << pictureWithDarkPixels({}) << 383;
    QTest::newRow("picture one pixel wider") << QImage(65, 48, QImage::Format_MonoLSB) << 384;
    QTest::newRow("colour picture of the right size") << QImage(64, 48, QImage::Format_RGB32) << 384;
    QTest::newRow("null picture") << QImage() << 384;
}

void TestFamilyACodec::oledPackingRefusals()
{
    QFETCH(QImage, image);
    QFETCH(int, dataLength);
    QByteArray out("stale");
    QString error;
    QVERIFY(!familya::ImageToByteArr(image, out, dataLength, &error));
    QVERIFY(out.isEmpty());
    QVERIFY(!error.isEmpty());
    QVERIFY(byteArrToImage(QByteArray(383, '\0')).isNull());
    QVERIFY(byteArrToImage(QByteArray(385, '\0')).isNull());
}

void TestFamilyACodec::oledAnyPictureBecomesPackable()
{
    QImage colour(200, 100, QImage::Format_RGB32);
    colour.fill(Qt::white);
    for (int x = 0; x < 100; ++x)
        for (int y = 0; y < 100; ++y)
            colour.setPixel(x, y, qRgb(10, 10, 10)); // left half dark
    const QImage mono = toOledImage(colour);
    QByteArray out;
    QVERIFY(familya::ImageToByteArr(mono, out, kOledBytes));
    QCOMPARE(int(quint8(out[0])), 0xFF);   // column 0 lit
    QCOMPARE(int(quint8(out[63])), 0x00);  // column 63 dark on the OLED
}

// --- CPI -----------------------------------------------------------------------

void TestFamilyACodec::cpiCodes_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("cpi");
    QTest::addColumn<bool>("encodes");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("decoded");

    QTest::newRow("OX4C 800") << 7 << 800 << true << 6 << 800;
    QTest::newRow("OX4C 5000") << 7 << 5000 << true << 48 << 5000;
    QTest::newRow("OX4C 200 is code 0") << 8 << 200 << true << 0 << 200;
    QTest::newRow("OX7EU 5000 keeps the 100 steps") << 14 << 5000 << true << 48 << 5000;
    QTest::newRow("OX7EU above 5000 takes 200 steps") << 14 << 5200 << true << 49 << 5200;
    QTest::newRow("OX7EU 16000") << 14 << 16000 << true << 103 << 16000;
    QTest::newRow("OX7 in steps of 50") << 11 << 16000 << true << 320 << 16000;
    QTest::newRow("OX7Q 850") << 10 << 850 << true << 17 << 850;
    QTest::newRow("unknown models use steps of 50") << 0 << 1000 << true << 20 << 1000;
    // No code stands for these: refused rather than rounded to a neighbour
    // (or to code 0, which is 200 CPI on some models).
    QTest::newRow("OX4 850 is between two codes") << 12 << 850 << false << 0 << 0;
    QTest::newRow("OX4C below 200 has no code") << 8 << 100 << false << 0 << 0;
    QTest::newRow("OX7EU 5100 is off the 200 steps") << 14 << 5100 << false << 0 << 0;
    QTest::newRow("OX7 1 is below the first step") << 11 << 1 << false << 0 << 0;
    QTest::newRow("OX7 25 would be code 0") << 11 << 25 << false << 0 << 0;
    QTest::newRow("zero is no CPI") << 11 << 0 << false << 0 << 0;
    QTest::newRow("negative") << 7 << -100 << false << 0 << 0;
    QTest::newRow("huge values do not fit 16 bits") << 11 << 0x7FFFFFFF << false << 0 << 0;
}

void TestFamilyACodec::cpiCodes()
{
    QFETCH(int, mouseType);
    QFETCH(int, cpi);
    QFETCH(bool, encodes);
    QFETCH(int, code);
    QFETCH(int, decoded);
    quint16 got = 0x1234;
    QCOMPARE(encodeCpi(mouseType, cpi, got), encodes);
    if (!encodes) {
        QCOMPARE(got, quint16(0x1234)); // untouched
        return;
    }
    QCOMPARE(int(got), code);
    QCOMPARE(decodeCpi(mouseType, quint16(code)), decoded);
}

void TestFamilyACodec::cpiList_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<QList<DWORD>>("values");
    QTest::addColumn<QByteArray>("matrix");
    QTest::addColumn<int>("lastIndex");
    QTest::addColumn<int>("currentStage");

    QTest::newRow("5000, 0, 800 on OX4C: two stages, current 1")
        << 7 << QList<DWORD>{5000, 0, 800} << hexBytes("3000" "0600" "0000" "0000" "0000" "0000" "0000" "0100") << 1
        << 1;
    QTest::newRow("OX4C looks at the first five entries only")
        << 7 << QList<DWORD>{400, 0, 0, 0, 0, 800, 1600} << hexBytes("0200" "0000" "0000" "0000" "0000" "0000" "0000" "0000")
        << 0 << 0;
    QTest::newRow("OX4 with three stages starts at stage 2")
        << 12 << QList<DWORD>{400, 800, 1600} << hexBytes("0200" "0600" "0e00" "0000" "0000" "0000" "0000" "0200") << 2
        << 2;
    QTest::newRow("OX7 with three stages starts at the last")
        << 11 << QList<DWORD>{400, 800, 1600} << hexBytes("0800" "1000" "2000" "0000" "0000" "0000" "0000" "0200") << 2
        << 2;
    QTest::newRow("OX7 with seven stages starts at stage 3")
        << 11 << QList<DWORD>{400, 800, 1600, 3200, 6400, 12800, 16000}
        << hexBytes("0800" "1000" "2000" "4000" "8000" "0001" "4001" "0600") << 6 << 3;
    QTest::newRow("OX7EU mixes both steps")
        << 14 << QList<DWORD>{1000, 5000, 6000, 16000}
        << hexBytes("0800" "3000" "3500" "6700" "0000" "0000" "0000" "0300") << 3 << 3;
    QTest::newRow("an eighth stage does not fit")
        << 11 << QList<DWORD>{50, 100, 150, 200, 250, 300, 350, 400}
        << hexBytes("0100" "0200" "0300" "0400" "0500" "0600" "0700" "0600") << 6 << 3;
}

void TestFamilyACodec::cpiList()
{
    QFETCH(int, mouseType);
    QFETCH(QList<DWORD>, values);
    QFETCH(QByteArray, matrix);
    QFETCH(int, lastIndex);
    QFETCH(int, currentStage);

    CpiListEncoding enc;
    QVERIFY(encodeCpiList(mouseType, values, enc));
    QCOMPARE(enc.matrix.toHex(), matrix.toHex());
    QCOMPARE(enc.lastIndex, lastIndex);
    QCOMPARE(enc.stageCount, lastIndex + 1);
    QCOMPARE(enc.currentStage, currentStage);
}

void TestFamilyACodec::cpiListWithoutStagesIsRefused()
{
    CpiListEncoding enc;
    QVERIFY(!encodeCpiList(11, {0, 0, 0, 0, 0, 0, 0}, enc));
    QVERIFY(!encodeCpiList(7, {}, enc));
    QVERIFY(!encodeCpiList(7, {0, 0, 0, 0, 0, 800}, enc)); // the only stage is past the fifth entry
}

// A value no code stands for used to become code 0, which switched the
// stage off (or set 200 CPI); now the whole list is refused.
void TestFamilyACodec::cpiListWithAValueWithoutCodeIsRefused()
{
    CpiListEncoding enc;
    QVERIFY(!encodeCpiList(11, {800, 1, 1600}, enc));
    QVERIFY(!encodeCpiList(7, {800, 850}, enc));
    QVERIFY(!encodeCpiList(14, {800, 5100}, enc));
    QVERIFY(encodeCpiList(14, {800, 5200}, enc));
}

void TestFamilyACodec::cpiStages_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<QByteArray>("matrix");
    QTest::addColumn<QList<DWORD>>("stages");

    const QByteArray seven = hexBytes("0800" "1000" "2000" "4000" "0800" "1000" "2000");
    QTest::newRow("OX4C stops at the stored last index")
        << 7 << seven + hexBytes("0100") << QList<DWORD>{1000, 1800, 0, 0, 0, 0, 0};
    QTest::newRow("OX4C never reads a seventh stage")
        << 7 << seven + hexBytes("0600") << QList<DWORD>{1000, 1800, 3400, 6600, 1000, 1800, 0};
    QTest::newRow("OX4C falls back to six stages on a bad index")
        << 7 << seven + hexBytes("ff00") << QList<DWORD>{1000, 1800, 3400, 6600, 1000, 1800, 0};
    QTest::newRow("OX7EU stops at the stored last index")
        << 14 << seven + hexBytes("0200") << QList<DWORD>{1000, 1800, 3400, 0, 0, 0, 0};
    QTest::newRow("OX7EU falls back to all stages on a bad index")
        << 14 << seven + hexBytes("0900") << QList<DWORD>{1000, 1800, 3400, 8200, 1000, 1800, 3400};
    QTest::newRow("OX7 reads all seven stages")
        << 11 << seven + hexBytes("0100") << QList<DWORD>{400, 800, 1600, 3200, 400, 800, 1600};
    QTest::newRow("a short matrix reads zeros") << 11 << hexBytes("0800") << QList<DWORD>{400, 0, 0, 0, 0, 0, 0};
}

void TestFamilyACodec::cpiStages()
{
    QFETCH(int, mouseType);
    QFETCH(QByteArray, matrix);
    QFETCH(QList<DWORD>, stages);
    QCOMPARE(decodeCpiStages(mouseType, matrix), stages);
}

// --- Report rate ---------------------------------------------------------------

void TestFamilyACodec::reportRate_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("interval");

    QTest::newRow("125 Hz") << 0 << 8;
    QTest::newRow("250 Hz") << 1 << 4;
    QTest::newRow("500 Hz") << 2 << 2;
    QTest::newRow("1000 Hz") << 3 << 1;
}

void TestFamilyACodec::reportRate()
{
    QFETCH(int, index);
    QFETCH(int, interval);
    QCOMPARE(reportIntervalForIndex(index), interval);
    QCOMPARE(reportIndexForInterval(quint32(interval)), index);
    QCOMPARE(reportIndexForInterval(0xFF000000u | quint32(interval)), index); // fill in the upper bytes
    QCOMPARE(reportIntervalForIndex(4), 0);
    QCOMPARE(reportIntervalForIndex(-1), 0);
    QCOMPARE(reportIndexForInterval(3), -1);
    QCOMPARE(reportIndexForInterval(0), -1);
}

// --- Buttons -------------------------------------------------------------------

void TestFamilyACodec::buttonWordEncoding_data()
{
    QTest::addColumn<int>("changeType");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifier");
    QTest::addColumn<QByteArray>("word");

    QTest::newRow("29 key alone") << 29 << 0x41 << 0 << hexBytes("00000400");
    QTest::newRow("29 key with Ctrl+Shift") << 29 << 0x41 << 3 << hexBytes("02000304");
    QTest::newRow("29 modifiers only") << 29 << 0 << 8 << hexBytes("02000800");
    QTest::newRow("30 combination") << 30 << 0x57 << 1 << hexBytes("0200011a");
    QTest::newRow("34 consumer usage from low and high byte") << 34 << 0x83 << 1 << hexBytes("04000183");
    QTest::newRow("35 mute") << 35 << 0xE2 << 0 << hexBytes("040000e2");
    QTest::newRow("36 play/pause") << 36 << 0 << 0 << hexBytes("040000cd");
    QTest::newRow("37 volume up") << 37 << 0xE9 << 0 << hexBytes("040000e9");
    QTest::newRow("38 volume down") << 38 << 0xEA << 0 << hexBytes("040000ea");
    QTest::newRow("39 media player") << 39 << 0x83 << 1 << hexBytes("04000183");
    QTest::newRow("40 mouse function from a key code") << 40 << 0x10 << 2 << hexBytes("03001002");
    QTest::newRow("41 disabled") << 41 << 0 << 0 << hexBytes("07000000");
    QTest::newRow("42") << 42 << 0x05 << 0 << hexBytes("08000500");
    QTest::newRow("43 value high byte first") << 43 << 0x1234 << 0 << hexBytes("09001234");
    QTest::newRow("44") << 44 << 0 << 0 << hexBytes("03000101");
    QTest::newRow("45 CPI+") << 45 << 0 << 0 << hexBytes("08000500");
    QTest::newRow("46 CPI-") << 46 << 0 << 0 << hexBytes("08000600");
    QTest::newRow("47") << 47 << 0 << 0 << hexBytes("09000100");
    QTest::newRow("48 left") << 48 << 0xF0 << 0 << hexBytes("03000100");
    QTest::newRow("49 right") << 49 << 0xF1 << 0 << hexBytes("03000200");
    QTest::newRow("50 middle") << 50 << 0xF2 << 0 << hexBytes("03000400");
    QTest::newRow("51 forward") << 51 << 0xF7 << 0 << hexBytes("03001000");
    QTest::newRow("52 back") << 52 << 0xF8 << 0 << hexBytes("03000800");
    QTest::newRow("55") << 55 << 0 << 0 << hexBytes("09000300");
}

void TestFamilyACodec::buttonWordEncoding()
{
    QFETCH(int, changeType);
    QFETCH(int, key);
    QFETCH(int, modifier);
    QFETCH(QByteArray, word);

    quint32 w = 0;
    QVERIFY(encodeButtonWord(changeType, key, modifier, w));
    QByteArray bytes(4, '\0');
    putLe32(bytes, 0, w);
    QCOMPARE(bytes.toHex(), word.toHex());
}

void TestFamilyACodec::buttonWordRefusals_data()
{
    QTest::addColumn<int>("changeType");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifier");

    QTest::newRow("back to default needs the button") << 32 << 0 << 0;
    QTest::newRow("unknown change type") << 56 << 0 << 0;
    QTest::newRow("31 is only reported") << 31 << 0 << 0;
    QTest::newRow("key without usage") << 29 << 0x07 << 0;
    QTest::newRow("combination key without usage") << 30 << 0x07 << 1;
    QTest::newRow("neither key nor modifier") << 29 << 0 << 0;
}

void TestFamilyACodec::buttonWordRefusals()
{
    QFETCH(int, changeType);
    QFETCH(int, key);
    QFETCH(int, modifier);
    quint32 w = 0x12345678;
    QVERIFY(!encodeButtonWord(changeType, key, modifier, w));
}

void TestFamilyACodec::buttonWordDecoding_data()
{
    QTest::addColumn<quint32>("word");
    QTest::addColumn<int>("changeType");
    QTest::addColumn<int>("trueValue");
    QTest::addColumn<int>("modifier");

    QTest::newRow("keyboard key") << buttonWord(0, 0, 0x1E, 0) << 29 << 0x31 << 0;
    QTest::newRow("combination") << buttonWord(2, 0, 0x05, 0x04) << 29 << 0x41 << 5;
    QTest::newRow("combination of a basic row") << buttonWord(2, 0, 0x08, 0x0F) << 31 << 1 << 0;
    QTest::newRow("left button") << buttonWord(3, 0, 1, 0) << 31 << 48 << 0;
    QTest::newRow("double click") << buttonWord(3, 0, 1, 1) << 31 << 44 << 0;
    QTest::newRow("back") << buttonWord(3, 0, 8, 0) << 31 << 52 << 0;
    QTest::newRow("volume down") << buttonWord(4, 0, 0, 0xEA) << 31 << 38 << 0;
    QTest::newRow("media player") << buttonWord(4, 0, 1, 0x83) << 31 << 39 << 0;
    QTest::newRow("CPI+") << buttonWord(8, 0, 5, 0) << 31 << 45 << 0;
    QTest::newRow("function 55") << buttonWord(9, 0, 3, 0) << 31 << 55 << 0;
    QTest::newRow("macro") << macroButtonWord(3) << 33 << 3 << 0;
    QTest::newRow("disabled") << buttonWord(7, 0, 0, 0) << 41 << 0 << 0;
    QTest::newRow("unassigned") << kUnassignedButtonWord << -1 << 0 << 0;
    QTest::newRow("another device function") << buttonWord(3, 0, 0x20, 0) << 33 << 0x0003 << 0;
}

void TestFamilyACodec::buttonWordDecoding()
{
    QFETCH(quint32, word);
    QFETCH(int, changeType);
    QFETCH(int, trueValue);
    QFETCH(int, modifier);
    QCOMPARE(decodeButtonWord(word), (ButtonAssignment{changeType, trueValue, modifier}));
}

// --- Other values ----------------------------------------------------------------

void TestFamilyACodec::battery_data()
{
    QTest::addColumn<quint32>("value");
    QTest::addColumn<int>("percent");

    QTest::newRow("0 reads 0") << 0u << 0;
    QTest::newRow("1 reads 1") << 1u << 1;
    QTest::newRow("540 reads 1") << 540u << 1;
    QTest::newRow("541 reads 2") << 541u << 2;
    QTest::newRow("574 reads 6") << 574u << 6;
    QTest::newRow("626 reads 28") << 626u << 28;
    QTest::newRow("639 reads 67") << 639u << 67;
    QTest::newRow("640 reads 67") << 640u << 67;
    QTest::newRow("641 reads 71") << 641u << 71;
    QTest::newRow("662 reads 93") << 662u << 93;
    QTest::newRow("672 reads 99") << 672u << 99;
    QTest::newRow("725 reads 99") << 725u << 99;
    QTest::newRow("726 reads 100") << 726u << 100;
    QTest::newRow("a large reading is full") << 0x00FFFFFFu << 100;
    QTest::newRow("top byte 1 is 101") << 0x01000280u << 101;
    QTest::newRow("top byte 2 is 102") << 0x02000000u << 102;
    QTest::newRow("top byte 3 is 103") << 0x03000000u << 103;
    QTest::newRow("higher top bytes are 103") << 0xFF000000u << 103;
}

void TestFamilyACodec::battery()
{
    QFETCH(quint32, value);
    QFETCH(int, percent);
    QCOMPARE(batteryPercent(value), percent);
    QCOMPARE(batteryLevel(value, false), percent);
}

// A mouse that reports a percentage (OX7Q, OX7EU, OX7 from firmware 30) has
// it passed on; the table would turn 85 % into 1 %.
void TestFamilyACodec::batteryOfPercentModels_data()
{
    QTest::addColumn<quint32>("value");
    QTest::addColumn<int>("level");

    QTest::newRow("85 % stays 85") << 85u << 85;
    QTest::newRow("0 % stays 0") << 0u << 0;
    QTest::newRow("100 % stays 100") << 100u << 100;
    QTest::newRow("more than 100 is full") << 727u << 100;
    QTest::newRow("status codes keep their meaning") << 0x02000000u << 102;
}

void TestFamilyACodec::batteryOfPercentModels()
{
    QFETCH(quint32, value);
    QFETCH(int, level);
    QCOMPARE(batteryLevel(value, true), level);
}

void TestFamilyACodec::productId_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("pid");

    QTest::newRow("second byte is the high byte") << hexBytes("1b02") << 0x021B;
    QTest::newRow("extra bytes are ignored") << hexBytes("0e02ffff") << 0x020E;
    QTest::newRow("one byte is no id") << hexBytes("1b") << 0;
}

void TestFamilyACodec::productId()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, pid);
    QCOMPARE(int(productIdFromBytes(bytes)), pid);
}

void TestFamilyACodec::recordOffsets_data()
{
    QTest::addColumn<int>("slotOffset");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("recordOffset");

    QTest::newRow("report interval is word 15") << 0x480 << 4 << 60;
    QTest::newRow("CPI matrix") << 0x488 << 16 << 68;
    QTest::newRow("light word") << 0x498 << 4 << 84;
    QTest::newRow("last LED entry ends the record") << 0x4C0 << 4 << 124;
    QTest::newRow("past the settings block") << 0x4C4 << 4 << -1;
    QTest::newRow("straddling the end") << 0x4C0 << 8 << -1;
    QTest::newRow("first button word") << 0x200 << 4 << 16;
    QTest::newRow("button 4 of the editor") << 0x210 << 4 << 32;
    QTest::newRow("last button word") << 0x228 << 4 << 56;
    QTest::newRow("outside both blocks") << 0x300 << 4 << -1;
}

void TestFamilyACodec::recordOffsets()
{
    QFETCH(int, slotOffset);
    QFETCH(int, size);
    QFETCH(int, recordOffset);
    QCOMPARE(recordOffsetForSlotOffset(quint32(slotOffset), size), recordOffset);
}

// --- Firmware update ----------------------------------------------------------------

void TestFamilyACodec::ispPackets()
{
    const QByteArray packet = buildIspPacket(kIspCmdUpdateAprom, 3, QByteArray(60, '\x01'));
    QCOMPARE(packet.size(), 65);
    QCOMPARE(packet.left(9).toHex(), QByteArray("00a000000003000000"));
    QCOMPARE(packet.mid(9), QByteArray(56, '\x01')); // data past 56 bytes is cut
    QCOMPARE(int(byteSum(packet, 1)), 0xA0 + 3 + 56);

    QByteArray answer(65, '\0');
    putLe16(answer, 1, 0x1234);
    putLe32(answer, 5, 4);
    quint16 sum = 0;
    quint32 no = 0;
    QVERIFY(parseIspAnswer(answer, sum, no));
    QCOMPARE(sum, quint16(0x1234));
    QCOMPARE(no, 4u);
    QVERIFY(!parseIspAnswer(answer.left(64), sum, no));

    QCOMPARE(int(byteSum(QByteArray(600, '\xff'))), (600 * 255) & 0xFFFF);
}

QTEST_APPLESS_MAIN(TestFamilyACodec)
#include "tst_familyacodec.moc"
