#include "device/familyb/familybcodec.h"
#include "tests/device/familyb/familybtestdata.h"
#include "config/macronode.h"
#include "tests/common/macrotestutil.h"

#include <QImage>
#include <QtTest>

using namespace familyb;
using namespace familybtest;

Q_DECLARE_METATYPE(QVector<quint16>)
Q_DECLARE_METATYPE(familyb::ButtonWord)
Q_DECLARE_METATYPE(QList<MacroNode>)

namespace {

int settingsWeightedSum(const QByteArray &p)
{
    int odd = 0, even = 0;
    for (int i = 242; i <= 475; ++i)
        (i % 2 ? odd : even) += quint8(p.at(i));
    return odd + 3 * even;
}

QByteArray macroAnswer(quint8 h0, quint8 h1, const QVector<quint16> &entries, int length = kDataFeatureLength,
                       bool terminate = true)
{
    QByteArray a(length, '\0');
    a[0] = char(kAnswerId);
    a[1] = char(kCmdReadMacro);
    if (length > 9) {
        a[8] = char(h0);
        a[9] = char(h1);
    }
    int i = 10;
    for (quint16 e : entries) {
        if (i + 1 >= length)
            break;
        a[i++] = char(e & 0xFF);
        a[i++] = char(e >> 8);
    }
    if (!terminate)
        for (; i < length; ++i)
            a[i] = char(0xAA);
    return a;
}

} // namespace

class TstFamilyBCodec : public QObject
{
    Q_OBJECT

private slots:
    void checksumAcceptsAndCompletes_data();
    void checksumAcceptsAndCompletes();
    void checksumRefusesWithoutChange_data();
    void checksumRefusesWithoutChange();
    void checksumType3SubtractsByte19();
    void checksumNeedsWholeSpan();

    void familyBTableRoundTrips();
    void familyCTableRoundTrips();
    void tablesPinned_data();
    void tablesPinned();
    void encodeCpiByModel_data();
    void encodeCpiByModel();
    void decodeCpiByModel_data();
    void decodeCpiByModel();

    void lightModes_data();
    void lightModes();
    void displayModes_data();
    void displayModes();

    void buttonWords_data();
    void buttonWords();
    void buttonWordsDescribeBack_data();
    void buttonWordsDescribeBack();
    void factoryWords_data();
    void factoryWords();
    void buttonOffsets_data();
    void buttonOffsets();
    void leftClickWords_data();
    void leftClickWords();
    void macroSlotsDoNotCollide_data();
    void macroSlotsDoNotCollide();
    void macroWords();

    void statusAnswers_data();
    void statusAnswers();
    void profileAnswers_data();
    void profileAnswers();
    void framing();
    void writePayloads();

    void macroAnswers_data();
    void macroAnswers();
    void macroBufferLimits();
    void macroWriteRoundTrip();
    void macroRecords_data();
    void macroRecords();
    void macroRecordRefusals_data();
    void macroRecordRefusals();
    void macroNumbers();
    void repeatHeader_data();
    void repeatHeader();
    void macroEntries_data();
    void macroEntries();

    void oledPacking();
};

// ------------------------------------------------------------------ checksum

void TstFamilyBCodec::checksumAcceptsAndCompletes_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("sign");
    QTest::addColumn<int>("adjust");
    for (int type : {2, 3, 4, 5, 6, 15, 16, 18, 13, 0, 7}) {
        QTest::addRow("type %d, added adjustment", type) << type << 0 << 45;
        QTest::addRow("type %d, subtracted adjustment", type) << type << 1 << 200;
    }
}

void TstFamilyBCodec::checksumAcceptsAndCompletes()
{
    QFETCH(int, type);
    QFETCH(int, sign);
    QFETCH(int, adjust);
    QByteArray p = buildValidProfile(type, quint8(sign), quint8(adjust), type == 3 ? 37 : 0);
    const QByteArray before = p;
    QVERIFY(applyFamilyBChecksum(p, type, {quint8(sign), quint8(adjust)}));

    const int t = settingsWeightedSum(before);
    QCOMPARE(quint8(p[476]), quint8(sign));
    QCOMPARE(quint8(p[477]), quint8(adjust));
    QCOMPARE(quint8(p[478]), quint8(0));
    QCOMPARE(quint8(p[479]), quint8(t & 0xFF));
    QCOMPARE(quint8(p[480]), quint8((t >> 8) & 0xFF));
    QCOMPARE(p.left(476), before.left(476));
    QCOMPARE(p.mid(481), before.mid(481));
}

void TstFamilyBCodec::checksumRefusesWithoutChange_data()
{
    QTest::addColumn<int>("builtFor");
    QTest::addColumn<int>("checkedAs");
    QTest::addColumn<int>("spoilByte"); // -1: none
    QTest::addColumn<int>("seedDelta");
    QTest::newRow("a byte of the factory area changed") << 2 << 2 << 2 << 0;
    QTest::newRow("an odd byte changed") << 5 << 5 << 101 << 0;
    QTest::newRow("other seed") << 4 << 4 << -1 << 1;
    QTest::newRow("OX2 profile checked as OX1") << 2 << 4 << -1 << 0;
    QTest::newRow("OX1 profile checked as OX2S") << 4 << 5 << -1 << 0;
    QTest::newRow("code 15 differs from OX6") << 15 << 3 << -1 << 0;
    QTest::newRow("code 16 differs from the fallback") << 16 << 13 << -1 << 0;
    QTest::newRow("OX8 is checked like OX1 and fails the same way") << 18 << 18 << 2 << 0;
}

void TstFamilyBCodec::checksumRefusesWithoutChange()
{
    QFETCH(int, builtFor);
    QFETCH(int, checkedAs);
    QFETCH(int, spoilByte);
    QFETCH(int, seedDelta);
    QByteArray p = buildValidProfile(builtFor, 0, 90);
    if (spoilByte >= 0)
        p[spoilByte] = char(quint8(p[spoilByte]) + 1);
    const QByteArray before = p;
    QVERIFY(!applyFamilyBChecksum(p, checkedAs, {0, quint8(90 + seedDelta)}));
    QCOMPARE(p, before);
}

void TstFamilyBCodec::checksumType3SubtractsByte19()
{
    QByteArray withRule = buildValidProfile(3, 0, 10, 37);
    QVERIFY(applyFamilyBChecksum(withRule, 3, {0, 10}));

    // The same contents computed as if byte 19 did not count.
    QByteArray withoutRule = buildValidProfile(3, 0, 10, 37, true);
    QVERIFY(!applyFamilyBChecksum(withoutRule, 3, {0, 10}));
    // Byte 19 matters only for type 3.
    QByteArray other = buildValidProfile(2, 0, 10, 37);
    QVERIFY(applyFamilyBChecksum(other, 2, {0, 10}));
}

void TstFamilyBCodec::checksumNeedsWholeSpan()
{
    QByteArray p = buildValidProfile(2, 0, 10).left(480);
    QVERIFY(!applyFamilyBChecksum(p, 2, {0, 10}));
    QCOMPARE(p.size(), 480);
    QByteArray empty;
    QVERIFY(!applyFamilyBChecksum(empty, 2, {}));
}

// ---------------------------------------------------------------------- CPI

void TstFamilyBCodec::familyBTableRoundTrips()
{
    QCOMPARE(familyBCpiTable().size(), 61);
    for (int cpi = 200; cpi <= 6200; cpi += 100) {
        CpiCode code;
        QVERIFY2(encodeCpi(2, cpi, code), qPrintable(QString::number(cpi)));
        QVERIFY2(code.low != 0, qPrintable(QString::number(cpi)));
        QCOMPARE(code.high, quint8(0));
        QCOMPARE(decodeCpi(2, code), cpi);
    }
    // Codes rise with the CPI, so no row was copied into another.
    int last = 0;
    for (int cpi = 200; cpi <= 6200; cpi += 100) {
        CpiCode code;
        QVERIFY(encodeCpi(2, cpi, code));
        QVERIFY(code.low > last);
        last = code.low;
    }
}

void TstFamilyBCodec::familyCTableRoundTrips()
{
    QCOMPARE(familyCCpiTable().size(), 61);
    int last = 0;
    for (int cpi = 200; cpi <= 6200; cpi += 100) {
        CpiCode code;
        QVERIFY(encodeCpi(13, cpi, code));
        QVERIFY(code.low > last);
        last = code.low;
        QCOMPARE(decodeCpi(13, code), cpi);
        QCOMPARE(decodeCpi(4, code), cpi);
    }
}

void TstFamilyBCodec::tablesPinned_data()
{
    QTest::addColumn<bool>("familyC");
    QTest::addColumn<int>("cpi");
    QTest::addColumn<int>("code");
    QTest::newRow("B 200") << false << 200 << 4;
    QTest::newRow("B 4100") << false << 4100 << 92;
    QTest::newRow("B 4200 has a code of its own") << false << 4200 << 95;
    QTest::newRow("B 4300") << false << 4300 << 97;
    QTest::newRow("B 4900 keeps 111") << false << 4900 << 111;
    QTest::newRow("B 6200") << false << 6200 << 140;
    QTest::newRow("C 200") << true << 200 << 0x04;
    QTest::newRow("C 3300") << true << 3300 << 0x4D;
    QTest::newRow("C 3400") << true << 3400 << 0x4E;
    QTest::newRow("C 3700") << true << 3700 << 0x55;
    QTest::newRow("C 3800") << true << 3800 << 0x58;
    QTest::newRow("C 6200") << true << 6200 << 0x91;
}

void TstFamilyBCodec::tablesPinned()
{
    QFETCH(bool, familyC);
    QFETCH(int, cpi);
    QFETCH(int, code);
    const QMap<int, int> &table = familyC ? familyCCpiTable() : familyBCpiTable();
    QCOMPARE(cpiTableCode(table, cpi), code);
    QCOMPARE(cpiTableValue(table, code), cpi);
}

void TstFamilyBCodec::encodeCpiByModel_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("cpi");
    QTest::addColumn<bool>("encodes");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::newRow("OX6 steps of 50") << 3 << 800 << true << 16 << 0;
    QTest::newRow("OX6 above 12800") << 3 << 16000 << true << 64 << 1;
    QTest::newRow("OX2S at 12800") << 5 << 12800 << true << 0 << 1;
    QTest::newRow("OX1S smallest step") << 6 << 50 << true << 1 << 0;
    QTest::newRow("OX1 through the 61-row table") << 4 << 3300 << true << 0x4D << 0;
    QTest::newRow("OX8 through the 61-row table") << 18 << 6200 << true << 0x91 << 0;
    QTest::newRow("OX5 through the 61-row table") << 13 << 3400 << true << 0x4E << 0;
    QTest::newRow("OX2 through the family B table") << 2 << 4200 << true << 95 << 0;
    QTest::newRow("code 15 through the family B table") << 15 << 200 << true << 4 << 0;
    QTest::newRow("code 16 through the family B table") << 16 << 6200 << true << 140 << 0;
    // No code stands for these: refused, never written as a stage switched
    // off.
    QTest::newRow("CPI without a code") << 2 << 250 << false << 0 << 0;
    QTest::newRow("CPI between rows of the 61-row table") << 4 << 3350 << false << 0 << 0;
    QTest::newRow("OX6 off the 50 grid") << 3 << 1 << false << 0 << 0;
    QTest::newRow("OX2 past the table") << 2 << 26000 << false << 0 << 0;
    QTest::newRow("stage off is no CPI") << 3 << 0 << false << 0 << 0;
    QTest::newRow("negative") << 3 << -100 << false << 0 << 0;
}

void TstFamilyBCodec::encodeCpiByModel()
{
    QFETCH(int, type);
    QFETCH(int, cpi);
    QFETCH(bool, encodes);
    QFETCH(int, low);
    QFETCH(int, high);
    CpiCode code{0x77, 0x77};
    QCOMPARE(encodeCpi(type, cpi, code), encodes);
    if (!encodes) {
        QCOMPARE(code, (CpiCode{0x77, 0x77})); // untouched
        return;
    }
    QCOMPARE(int(code.low), low);
    QCOMPARE(int(code.high), high);
}

void TstFamilyBCodec::decodeCpiByModel_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("cpi");
    QTest::newRow("OX6 high byte counts 12800") << 3 << 64 << 1 << 16000;
    QTest::newRow("OX2S low byte") << 5 << 16 << 0 << 800;
    QTest::newRow("code 111 is 4900") << 2 << 111 << 0 << 4900;
    QTest::newRow("code 95 is 4200") << 2 << 95 << 0 << 4200;
    QTest::newRow("unknown code") << 2 << 1 << 0 << 0;
    QTest::newRow("table models ignore the high byte") << 4 << 0x4D << 3 << 3300;
    QTest::newRow("family C code 0x4D") << 13 << 0x4D << 0 << 3300;
    QTest::newRow("zero") << 18 << 0 << 0 << 0;
}

void TstFamilyBCodec::decodeCpiByModel()
{
    QFETCH(int, type);
    QFETCH(int, low);
    QFETCH(int, high);
    QFETCH(int, cpi);
    QCOMPARE(decodeCpi(type, CpiCode{quint8(low), quint8(high)}), cpi);
}

// ----------------------------------------------------------------- lighting

void TstFamilyBCodec::lightModes_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("back");
    QTest::newRow("off") << 0 << 0x80 << 0;
    QTest::newRow("constant") << 1 << 0x81 << 1;
    QTest::newRow("breathing") << 2 << 0x82 << 2;
    QTest::newRow("click-rate breathing is 0x84") << 3 << 0x84 << 3;
    QTest::newRow("colour cycle is 0x83") << 4 << 0x83 << 4;
    QTest::newRow("colour chase") << 5 << 0x85 << 5;
    QTest::newRow("index past the table") << 6 << 0 << 0;
    QTest::newRow("negative index") << -1 << 0 << 0;
}

void TstFamilyBCodec::lightModes()
{
    QFETCH(int, index);
    QFETCH(int, code);
    QFETCH(int, back);
    QCOMPARE(lightModeIndexToCode(index), code);
    QCOMPARE(lightModeCodeToIndex(code), back);
    // Codes outside the table come back unchanged.
    QCOMPARE(lightModeCodeToIndex(0x86), 0x86);
    QCOMPARE(lightModeCodeToIndex(0x7F), 0x7F);
}

void TstFamilyBCodec::displayModes_data()
{
    QTest::addColumn<int>("behaviour");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("back");
    QTest::newRow("screen off") << 3 << 4 << 3;
    QTest::newRow("CPI value") << 1 << 0 << 1;
    QTest::newRow("APM counter") << 2 << 7 << 2;
    QTest::newRow("picture") << 8 << 1 << 8;
    QTest::newRow("anything else is the picture code") << 5 << 1 << 8;
}

void TstFamilyBCodec::displayModes()
{
    QFETCH(int, behaviour);
    QFETCH(int, code);
    QFETCH(int, back);
    QCOMPARE(displayBehaviourToCode(behaviour), code);
    QCOMPARE(displayCodeToBehaviour(code), back);
    QCOMPARE(displayCodeToBehaviour(9), kBehaviourCpi);
}

// ------------------------------------------------------------------ buttons

void TstFamilyBCodec::buttonWords_data()
{
    QTest::addColumn<int>("changeType");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifier");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<ButtonWord>("word");
    QTest::newRow("key A with Shift") << 29 << 0x41 << 2 << true << ButtonWord{{0x00, 0x02, 0x04, 0x00}};
    QTest::newRow("right Win shares the left Win usage") << 29 << 92 << 0 << true << ButtonWord{{0x00, 0x00, 227, 0x00}};
    QTest::newRow("modifiers alone") << 29 << 0 << 9 << true << ButtonWord{{0x00, 0x09, 0x00, 0x00}};
    QTest::newRow("right Ctrl has no usage") << 29 << 163 << 0 << false << ButtonWord{};
    QTest::newRow("basic function Ctrl+W") << 30 << 0x57 << 1 << true << ButtonWord{{0x00, 0x01, 0x1A, 0x00}};
    QTest::newRow("mute") << 35 << 0xE2 << 0 << true << ButtonWord{{0x03, 0x00, 0xE2, 0x00}};
    QTest::newRow("media player carries the high byte") << 39 << 0x83 << 1 << true
                                                         << ButtonWord{{0x03, 0x00, 0x83, 0x01}};
    QTest::newRow("consumer code low byte only") << 34 << 0x1E9 << 0 << true << ButtonWord{{0x03, 0x00, 0xE9, 0x00}};
    QTest::newRow("disabled") << 41 << 0 << 0 << true << ButtonWord{{0x00, 0x00, 0x00, 0x00}};
    QTest::newRow("fire key") << 44 << 0 << 0 << true << ButtonWord{{0x08, 0x00, 0x01, 0x00}};
    QTest::newRow("CPI up") << 45 << 0 << 0 << true << ButtonWord{{0x07, 0x00, 0x01, 0x00}};
    QTest::newRow("CPI down") << 46 << 0 << 0 << true << ButtonWord{{0x07, 0x00, 0x02, 0x00}};
    QTest::newRow("CPI instant") << 47 << 0 << 0 << true << ButtonWord{{0x11, 0x00, 0x00, 0x00}};
    QTest::newRow("left button") << 48 << 0xF0 << 0 << true << ButtonWord{{0x01, 0x00, 0xF0, 0x00}};
    QTest::newRow("right button") << 49 << 0xF1 << 0 << true << ButtonWord{{0x01, 0x00, 0xF1, 0x00}};
    QTest::newRow("middle button") << 50 << 0xF2 << 0 << true << ButtonWord{{0x01, 0x00, 0xF2, 0x00}};
    QTest::newRow("forward is the button 7 code") << 51 << 0xF7 << 0 << true << ButtonWord{{0x01, 0x00, 0xF4, 0x00}};
    QTest::newRow("back is the button 8 code") << 52 << 0xF8 << 0 << true << ButtonWord{{0x01, 0x00, 0xF3, 0x00}};
    QTest::newRow("profile loop") << 55 << 0 << 0 << true << ButtonWord{{0x08, 0x00, 0x03, 0x00}};
    QTest::newRow("switch macro") << 56 << 0 << 0 << true << ButtonWord{{0x12, 0x00, 0x00, 0x00}};
    QTest::newRow("back to default is the manager's") << 32 << 0 << 0 << false << ButtonWord{};
    QTest::newRow("unknown change type") << 53 << 0 << 0 << false << ButtonWord{};
    QTest::newRow("fixed text only comes from the device") << 33 << 0 << 0 << false << ButtonWord{};
}

void TstFamilyBCodec::buttonWords()
{
    QFETCH(int, changeType);
    QFETCH(int, key);
    QFETCH(int, modifier);
    QFETCH(bool, ok);
    QFETCH(ButtonWord, word);
    ButtonWord out{{0xEE, 0xEE, 0xEE, 0xEE}};
    QCOMPARE(encodeButtonWord(changeType, key, modifier, out), ok);
    if (ok)
        QCOMPARE(out, word);
    else
        QCOMPARE(out, (ButtonWord{{0xEE, 0xEE, 0xEE, 0xEE}}));
}

void TstFamilyBCodec::buttonWordsDescribeBack_data()
{
    QTest::addColumn<int>("changeType");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifier");
    QTest::addColumn<int>("shownType");
    QTest::addColumn<int>("shownValue");
    QTest::addColumn<int>("shownModifier");
    QTest::newRow("key combination") << 29 << 0x41 << 3 << 29 << 0x41 << 3;
    QTest::newRow("keypad key") << 29 << 0x61 << 0 << 29 << 0x61 << 0;
    QTest::newRow("basic Ctrl+W shows as a combination") << 30 << 0x57 << 1 << 29 << 0x57 << 1;
    QTest::newRow("disabled") << 41 << 0 << 0 << 41 << 0 << 0;
    QTest::newRow("mute") << 35 << 0xE2 << 0 << 31 << 35 << 0;
    QTest::newRow("volume up") << 37 << 0xE9 << 0 << 31 << 37 << 0;
    QTest::newRow("volume down") << 38 << 0xEA << 0 << 31 << 38 << 0;
    QTest::newRow("media player") << 39 << 0x83 << 1 << 31 << 39 << 0;
    for (int t : {44, 45, 46, 47, 48, 49, 50, 51, 52, 55, 56})
        QTest::addRow("basic %d", t) << t << 0 << 0 << 31 << t << 0;
}

void TstFamilyBCodec::buttonWordsDescribeBack()
{
    QFETCH(int, changeType);
    QFETCH(int, key);
    QFETCH(int, modifier);
    QFETCH(int, shownType);
    QFETCH(int, shownValue);
    QFETCH(int, shownModifier);
    ButtonWord word{};
    QVERIFY(encodeButtonWord(changeType, key, modifier, word));
    const ButtonAssignment a = describeButtonWord(word);
    QCOMPARE(a.changeType, shownType);
    QCOMPARE(a.trueValue, shownValue);
    QCOMPARE(a.modifier, shownModifier);
}

void TstFamilyBCodec::factoryWords_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("type");
    QTest::addColumn<ButtonWord>("word");
    QTest::newRow("left") << 4 << 2 << ButtonWord{{0x01, 0x00, 0xF0, 0x00}};
    QTest::newRow("right") << 6 << 2 << ButtonWord{{0x01, 0x00, 0xF1, 0x00}};
    QTest::newRow("middle") << 5 << 3 << ButtonWord{{0x01, 0x00, 0xF2, 0x00}};
    QTest::newRow("back") << 8 << 3 << ButtonWord{{0x01, 0x00, 0xF3, 0x00}};
    QTest::newRow("forward") << 7 << 3 << ButtonWord{{0x01, 0x00, 0xF4, 0x00}};
    QTest::newRow("CPI up on OX2") << 13 << 2 << ButtonWord{{0x07, 0x00, 0x01, 0x00}};
    QTest::newRow("CPI up on OX6") << 13 << 3 << ButtonWord{{0x07, 0x00, 0x01, 0x00}};
    QTest::newRow("CPI up on OX2S") << 13 << 5 << ButtonWord{{0x07, 0x00, 0x01, 0x00}};
    QTest::newRow("CPI up on OX1") << 13 << 4 << ButtonWord{{0x07, 0x00, 0x03, 0x00}};
    QTest::newRow("CPI up on OX1S") << 13 << 6 << ButtonWord{{0x07, 0x00, 0x03, 0x00}};
    QTest::newRow("CPI up on OX8") << 13 << 18 << ButtonWord{{0x07, 0x00, 0x03, 0x00}};
    QTest::newRow("CPI down") << 14 << 4 << ButtonWord{{0x07, 0x00, 0x02, 0x00}};
    QTest::newRow("custom 1 on OX8") << 9 << 18 << ButtonWord{{0x11, 0x00, 0x00, 0x00}};
    QTest::newRow("custom 2 on OX8") << 10 << 18 << ButtonWord{{0x00, 0x00, 0x5C, 0x00}};
    QTest::newRow("custom 1 elsewhere has none") << 9 << 4 << ButtonWord{{0, 0, 0, 0}};
    QTest::newRow("side wheel down on OX8") << 15 << 18 << ButtonWord{{0x03, 0x00, 0xEA, 0x00}};
    QTest::newRow("button 15 elsewhere") << 15 << 3 << ButtonWord{{0x11, 0x00, 0x00, 0x00}};
    QTest::newRow("side wheel up on OX8") << 16 << 18 << ButtonWord{{0x03, 0x00, 0xE9, 0x00}};
    QTest::newRow("button 16 elsewhere") << 16 << 3 << ButtonWord{{0x00, 0x00, 0x21, 0x00}};
    QTest::newRow("button 17") << 17 << 3 << ButtonWord{{0x08, 0x00, 0x03, 0x00}};
    QTest::newRow("wheel forward") << 11 << 2 << ButtonWord{{0x04, 0x00, 0x01, 0x00}};
    QTest::newRow("wheel back") << 12 << 2 << ButtonWord{{0x04, 0x00, 0x02, 0x00}};
    QTest::newRow("no such button") << 3 << 2 << ButtonWord{{0, 0, 0, 0}};
}

void TstFamilyBCodec::factoryWords()
{
    QFETCH(int, button);
    QFETCH(int, type);
    QFETCH(ButtonWord, word);
    QCOMPARE(factoryButtonWord(button, type), word);
}

void TstFamilyBCodec::buttonOffsets_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("offset");
    QTest::newRow("left") << 4 << 3 << 332;
    QTest::newRow("right") << 6 << 3 << 336;
    QTest::newRow("middle") << 5 << 3 << 340;
    QTest::newRow("back") << 8 << 3 << 344;
    QTest::newRow("forward") << 7 << 3 << 348;
    QTest::newRow("CPI up") << 13 << 3 << 352;
    QTest::newRow("CPI down") << 14 << 3 << 356;
    QTest::newRow("custom 1 on OX8 shares the CPI down word") << 9 << 18 << 356;
    QTest::newRow("custom 2 on OX8") << 10 << 18 << 360;
    QTest::newRow("custom 1 only on OX8") << 9 << 3 << -1;
    QTest::newRow("custom 2 only on OX8") << 10 << 4 << -1;
    QTest::newRow("15 on OX8") << 15 << 18 << 384;
    QTest::newRow("15 elsewhere") << 15 << 4 << 360;
    QTest::newRow("16 on OX8") << 16 << 18 << 380;
    QTest::newRow("16 elsewhere") << 16 << 2 << 364;
    QTest::newRow("17") << 17 << 2 << 368;
    QTest::newRow("wheel forward") << 11 << 2 << 388;
    QTest::newRow("wheel back") << 12 << 2 << 392;
    QTest::newRow("below the range") << 3 << 2 << -1;
    QTest::newRow("above the range") << 18 << 18 << -1;
}

void TstFamilyBCodec::buttonOffsets()
{
    QFETCH(int, button);
    QFETCH(int, type);
    QFETCH(int, offset);
    QCOMPARE(buttonWordOffset(button, type), offset);
}

void TstFamilyBCodec::leftClickWords_data()
{
    QTest::addColumn<ButtonWord>("word");
    QTest::addColumn<bool>("left");
    QTest::newRow("factory left") << ButtonWord{{0x01, 0x00, 0xF0, 0x00}} << true;
    QTest::newRow("left button as a key") << ButtonWord{{0x00, 0x00, 0xF0, 0x00}} << true;
    QTest::newRow("right") << ButtonWord{{0x01, 0x00, 0xF1, 0x00}} << false;
    QTest::newRow("consumer code 0xF0") << ButtonWord{{0x03, 0x00, 0xF0, 0x00}} << false;
    QTest::newRow("macro") << ButtonWord{{0x05, 0x00, 0x00, 0x00}} << false;
}

void TstFamilyBCodec::leftClickWords()
{
    QFETCH(ButtonWord, word);
    QFETCH(bool, left);
    QCOMPARE(isLeftClickWord(word), left);
}

void TstFamilyBCodec::macroSlotsDoNotCollide_data()
{
    QTest::addColumn<int>("type");
    for (int type : {2, 3, 4, 5, 6, 13, 18})
        QTest::addRow("type %d", type) << type;
}

void TstFamilyBCodec::macroSlotsDoNotCollide()
{
    QFETCH(int, type);
    QMap<int, int> slotToOffset;
    const QVector<int> list = listMacroSlots();
    for (int button : modelButtons(type)) {
        const int slot = singleMacroSlot(button);
        const int offset = buttonWordOffset(button, type);
        QVERIFY(slot >= 0 && slot < kMacroSlotCount);
        QVERIFY(offset >= 0);
        // Two buttons share a slot only when they share a word.
        if (slotToOffset.contains(slot))
            QCOMPARE(slotToOffset.value(slot), offset);
        slotToOffset.insert(slot, offset);
        // List slots other than the left button's own stay free.
        if (button != 4)
            QVERIFY(!list.contains(slot));
    }
    QCOMPARE(singleMacroSlot(4), list.first());
}

void TstFamilyBCodec::macroWords()
{
    QCOMPARE(macroSlotsOfWord(singleMacroWord(5, 2)), QVector<int>{5});
    QCOMPARE(singleMacroWord(5, 2), (ButtonWord{{0x05, 0x02, 0x05, 0x00}}));
    QCOMPARE(macroSlotsOfWord(macroListWord(3)), (QVector<int>{0, 13, 14}));
    QCOMPARE(macroSlotsOfWord(macroListWord(9)), listMacroSlots());
    QCOMPARE(macroSlotsOfWord(ButtonWord{{0x05, 0x00, 200, 0x00}}), QVector<int>{});
    QCOMPARE(macroSlotsOfWord(factoryButtonWord(4, 2)), QVector<int>{});
    QCOMPARE(describeButtonWord(singleMacroWord(1, 0)).changeType, kChangeFixedText);
}

// ---------------------------------------------------------------- transfers

void TstFamilyBCodec::statusAnswers_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("n");
    QTest::addColumn<bool>("firstTry");
    QTest::addColumn<int>("result");
    const int done = int(StatusAnswer::Done), busy = int(StatusAnswer::Busy), bad = int(StatusAnswer::Invalid);
    QTest::newRow("profile write done") << bytes({6, 0x82, 0, 5, 5, 5, 5, 0}) << 1 << true << done;
    QTest::newRow("macro busy") << bytes({6, 0x82, 0, 1, 0, 0, 0, 0}) << 2 << true << busy;
    QTest::newRow("macro block reads byte 4") << bytes({6, 0x82, 1, 1, 0, 1, 1, 0}) << 3 << false << done;
    QTest::newRow("refused on the first try") << bytes({6, 0x82, 0, 0, 0, 0, 0, 1}) << 1 << true << bad;
    QTest::newRow("byte 7 later is no refusal") << bytes({6, 0x82, 0, 0, 0, 0, 0, 1}) << 1 << false << done;
    QTest::newRow("wrong report id") << bytes({5, 0x82, 0, 0, 0, 0, 0, 0}) << 1 << true << bad;
    QTest::newRow("answer to another command") << bytes({6, 0x83, 0, 0, 0, 0, 0, 0}) << 1 << true << bad;
    QTest::newRow("short answer") << bytes({6, 0x82, 0, 0, 0, 0, 0}) << 1 << true << bad;
    QTest::newRow("operation 0 does not exist") << bytes({6, 0x82, 0, 0, 0, 0, 0, 0}) << 0 << true << bad;
    QTest::newRow("operation past the answer") << bytes({6, 0x82, 0, 0, 0, 0, 0, 0}) << 7 << true << bad;
}

void TstFamilyBCodec::statusAnswers()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, n);
    QFETCH(bool, firstTry);
    QFETCH(int, result);
    QCOMPARE(int(parseStatusAnswer(answer, n, firstTry)), result);
}

void TstFamilyBCodec::profileAnswers_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("ok");
    QByteArray good(kDataFeatureLength, '\0');
    good[0] = 6;
    good[1] = char(0x83);
    for (int i = 8; i < good.size(); ++i)
        good[i] = char(i & 0xFF);
    good[484] = 1;
    good[485] = 77;
    QTest::newRow("good") << good << true;
    QByteArray wrongId = good;
    wrongId[0] = 5;
    QTest::newRow("wrong report id") << wrongId << false;
    QByteArray wrongCommand = good;
    wrongCommand[1] = char(0x84);
    QTest::newRow("answer to another command") << wrongCommand << false;
    QTest::newRow("one byte short") << good.left(kDataFeatureLength - 1) << false;
    QTest::newRow("header only") << good.left(8) << false;
    QTest::newRow("longer than the report") << good + QByteArray(16, 'x') << true;
}

void TstFamilyBCodec::profileAnswers()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, ok);
    QByteArray image("untouched");
    ChecksumSeed seed;
    QCOMPARE(parseProfileAnswer(answer, image, seed), ok);
    if (!ok) {
        QCOMPARE(image, QByteArray("untouched"));
        return;
    }
    QCOMPARE(image, answer.mid(8, kImageSize));
    QCOMPARE(seed.signFlag, quint8(1));
    QCOMPARE(seed.adjustment, quint8(77));
}

void TstFamilyBCodec::framing()
{
    const QByteArray f = frameReport(5, 6, profileReadCommand());
    QCOMPARE(f, bytes({5, 0x83, 0x00, 0, 0, 0}));
    QCOMPARE(frameReport(5, 6, bytes({1, 2, 3, 4, 5})), bytes({5, 1, 2, 3, 4, 5}));
    QVERIFY(frameReport(5, 6, bytes({1, 2, 3, 4, 5, 6})).isEmpty());
    QVERIFY(frameReport(5, 0, QByteArray()).isEmpty());
    QCOMPARE(macroReadCommand(144), bytes({0x84, 144, 0}));
    QCOMPARE(macroBlockReadCommand(), bytes({0x85, 0x80}));
    QCOMPARE(statusCommand(), bytes({0x82}));
}

void TstFamilyBCodec::writePayloads()
{
    QByteArray image(kImageSize, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char((i * 3) & 0xFF);
    const QByteArray p = profileWritePayload(image);
    QCOMPARE(p.size(), 511);
    QCOMPARE(p.left(7), bytes({0x03, 0, 0, 0x02, 0, 0, 0}));
    QCOMPARE(p.mid(7), image.left(504));
    QVERIFY(profileWritePayload(image.left(503)).isEmpty());

    const QByteArray block(100, char(0x5A));
    const QByteArray m = macroBlockWritePayload(block);
    QCOMPARE(m.size(), 7 + 1024);
    QCOMPARE(m.left(7), bytes({0x05, 0x80, 0, 0x04, 0, 0, 0}));
    QCOMPARE(m.mid(7, 100), block);
    QCOMPARE(m.mid(107), QByteArray(924, '\0'));
    QVERIFY(macroBlockWritePayload(QByteArray(1025, 'x')).isEmpty());
}

// ------------------------------------------------------------------- macros

void TstFamilyBCodec::macroAnswers_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QVector<quint16>>("entries");
    QTest::addColumn<bool>("absent");
    const QVector<quint16> three{0x0104, 0x4032, 0x0204};
    QTest::newRow("entries up to the terminator") << macroAnswer(0, 5, three) << true << three << false;
    QTest::newRow("empty list is absent") << macroAnswer(0, 1, {}) << true << QVector<quint16>{} << true;
    QTest::newRow("zero header is absent") << macroAnswer(0, 0, three) << true << three << true;
    QTest::newRow("no terminator fails") << macroAnswer(0, 1, three, kDataFeatureLength, false) << false
                                         << QVector<quint16>{} << false;
    QByteArray wrongCommand = macroAnswer(0, 1, three);
    wrongCommand[1] = char(0x83);
    QTest::newRow("answer to another command") << wrongCommand << false << QVector<quint16>{} << false;
    QByteArray wrongId = macroAnswer(0, 1, three);
    wrongId[0] = 5;
    QTest::newRow("wrong report id") << wrongId << false << QVector<quint16>{} << false;
    QTest::newRow("cut inside the header") << macroAnswer(0, 1, {}).left(9) << false << QVector<quint16>{} << false;
    QTest::newRow("cut before the terminator") << macroAnswer(0, 1, three).left(14) << false << QVector<quint16>{}
                                               << false;
    QTest::newRow("odd length leaves half a terminator") << macroAnswer(0, 1, three).left(17) << false
                                                         << QVector<quint16>{} << false;
    const QVector<quint16> full(510, 0x0104);
    QTest::newRow("510 entries and the terminator fill the report") << macroAnswer(0, 1, full) << true << full
                                                                     << false;
    QTest::newRow("511 entries leave no room for the terminator")
        << macroAnswer(0, 1, QVector<quint16>(511, 0x0104)) << false << QVector<quint16>{} << false;
}

void TstFamilyBCodec::macroAnswers()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, ok);
    QFETCH(QVector<quint16>, entries);
    QFETCH(bool, absent);
    Macro macro;
    macro.entries = {0x9999};
    QCOMPARE(parseMacroAnswer(answer, macro), ok);
    if (!ok) {
        QCOMPARE(macro.entries, QVector<quint16>{0x9999});
        return;
    }
    QCOMPARE(macro.entries, entries);
    QCOMPARE(macro.isAbsent(), absent);
    QCOMPARE(macro.header[0], quint8(answer.at(8)));
    QCOMPARE(macro.header[1], quint8(answer.at(9)));
}

void TstFamilyBCodec::macroBufferLimits()
{
    Macro m;
    m.header = {{0x01, 0x2C}};
    m.entries = QVector<quint16>(kMaxMacroEntries, 0x4001);
    const QByteArray full = macroBuffer(m);
    QCOMPARE(full.size(), kMacroBufferSize);
    QCOMPARE(full.left(4), bytes({0x01, 0x2C, 0x01, 0x40}));
    QCOMPARE(full.right(2), bytes({0, 0})); // the terminator fits

    m.entries.append(0x4001);
    QVERIFY(macroBuffer(m).isEmpty());
    QVERIFY(macroWritePayload(140, m).isEmpty());

    Macro zero;
    zero.entries = {0x0104, 0x0000, 0x0204};
    QVERIFY(macroBuffer(zero).isEmpty());
}

void TstFamilyBCodec::macroWriteRoundTrip()
{
    Macro m;
    m.header = {{0x00, 0x03}};
    m.entries = {0x0104, 0x4032, 0x0204, 0x03FF, 0x0401};
    const QByteArray payload = macroWritePayload(208, m);
    QCOMPARE(payload.size(), 1031);
    QCOMPARE(payload.left(11), bytes({0x04, 208, 0, 0x04, 0, 0, 0, 0x00, 0x03, 0x04, 0x01}));

    // What the device would answer for it: id, command, six bytes, then
    // the stored buffer.
    QByteArray answer = bytes({6, 0x84, 0, 0, 0, 0, 0, 0}) + payload.mid(7);
    answer.append('\0');
    Macro back;
    QVERIFY(parseMacroAnswer(answer, back));
    QCOMPARE(back, m);
}

void TstFamilyBCodec::macroRecords_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QVector<quint16>>("entries");
    QTest::addColumn<QByteArray>("record");

    QTest::newRow("header high byte first, entries low byte first")
        << bytes({0x01, 0x2C}) << QVector<quint16>{0x0104, 0x4032, 0x0204}
        << bytes({0x01, 0x2C, 0x04, 0x01, 0x32, 0x40, 0x04, 0x02});
    QTest::newRow("no entries is the header alone") << bytes({0x00, 0x01}) << QVector<quint16>{}
                                                    << bytes({0x00, 0x01});
    QTest::newRow("a 0x0000 entry is kept, not taken as the end")
        << bytes({0x00, 0x02}) << QVector<quint16>{0x0104, 0x0000, 0x0204}
        << bytes({0x00, 0x02, 0x04, 0x01, 0x00, 0x00, 0x04, 0x02});
    QByteArray full = bytes({0x00, 0x01});
    for (int i = 0; i < kMaxMacroEntries; ++i)
        full += bytes({0x01, 0x40});
    QTest::newRow("as many entries as the device takes") << bytes({0x00, 0x01})
                                                         << QVector<quint16>(kMaxMacroEntries, 0x4001) << full;
}

void TstFamilyBCodec::macroRecords()
{
    QFETCH(QByteArray, header);
    QFETCH(QVector<quint16>, entries);
    QFETCH(QByteArray, record);

    Macro macro;
    macro.header = {{quint8(header[0]), quint8(header[1])}};
    macro.entries = entries;
    QCOMPARE(packMacroRecord(macro).toHex(), record.toHex());
    Macro back;
    QVERIFY(unpackMacroRecord(record, back));
    QCOMPARE(back, macro);
}

void TstFamilyBCodec::macroRecordRefusals_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("shorter than its header") << bytes({0x00});
    QTest::newRow("ends inside an entry") << bytes({0x00, 0x01, 0x04, 0x01, 0x32});
}

void TstFamilyBCodec::macroRecordRefusals()
{
    QFETCH(QByteArray, record);
    Macro macro;
    macro.entries = {0x9999};
    QVERIFY(!unpackMacroRecord(record, macro));
    QCOMPARE(macro.entries, QVector<quint16>{0x9999});

    Macro tooLong;
    tooLong.entries = QVector<quint16>(kMaxMacroEntries + 1, 0x4001);
    QVERIFY(packMacroRecord(tooLong).isEmpty());
}

void TstFamilyBCodec::macroNumbers()
{
    const QVector<quint8> numbers = macroNumberList();
    QCOMPARE(numbers.size(), 24);
    QCOMPARE(numbers.first(), quint8(140));
    QCOMPARE(numbers.last(), quint8(232));
    QCOMPARE(macroNumberForSlot(0), quint8(140));
    QCOMPARE(macroNumberForSlot(11), quint8(184));
    QCOMPARE(macroNumberForSlot(12), quint8(208));
    QCOMPARE(macroNumberForSlot(15), quint8(220));
    QCOMPARE(macroNumberForSlot(16), quint8(0));
    QCOMPARE(macroNumberForSlot(-1), quint8(0));
    QCOMPARE(slotForMacroNumber(220), 15);
    QCOMPARE(slotForMacroNumber(188), -1);
    QCOMPARE(slotForMacroNumber(0), -1);
}

void TstFamilyBCodec::repeatHeader_data()
{
    QTest::addColumn<int>("repeat");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("low");
    QTest::newRow("once") << 1 << 0 << 1;
    QTest::newRow("high byte first") << 300 << 1 << 0x2C;
    QTest::newRow("zero would read back as absent") << 0 << 0 << 1;
    QTest::newRow("negative") << -5 << 0 << 1;
    QTest::newRow("past 16 bits") << 70000 << 0xFF << 0xFF;
}

void TstFamilyBCodec::repeatHeader()
{
    QFETCH(int, repeat);
    QFETCH(int, high);
    QFETCH(int, low);
    const auto header = macroHeaderForRepeat(repeat);
    QCOMPARE(int(header[0]), high);
    QCOMPARE(int(header[1]), low);
}

void TstFamilyBCodec::macroEntries_data()
{
    QTest::addColumn<QList<MacroNode>>("nodes");
    QTest::addColumn<bool>("ignoreDelays");
    QTest::addColumn<int>("error");
    QTest::addColumn<QVector<quint16>>("entries");
    QTest::addColumn<int>("skipped");
    const int none = int(MacroEncodeError::None), empty = int(MacroEncodeError::Empty),
              tooLong = int(MacroEncodeError::TooLong);

    QTest::newRow("A down, 50 ms, A up") << QList<MacroNode>{keyNode(0x41, 0, 50), keyNode(0x41, 1, 0)} << false
                                         << none << QVector<quint16>{0x0104, 0x4032, 0x0204} << 0;
    QTest::newRow("delays ignored") << QList<MacroNode>{keyNode(0x41, 0, 50), keyNode(0x41, 1, 0)} << true << none
                                    << QVector<quint16>{0x0104, 0x0204} << 0;
    QTest::newRow("left mouse button") << QList<MacroNode>{keyNode(1, 0, 1), keyNode(1, 1, 0)} << false << none
                                       << QVector<quint16>{0x01F0, 0x4001, 0x02F0} << 0;
    QTest::newRow("long delay split") << QList<MacroNode>{keyNode(0x41, 0, 20000), keyNode(0x41, 1, 0)} << false
                                      << none << QVector<quint16>{0x0104, 0x7FFF, 0x4E21, 0x0204} << 0;
    QTest::newRow("movement clamped") << QList<MacroNode>{moveNode(-1, 200, 0)} << false << none
                                      << QVector<quint16>{0x03FF, 0x047F} << 0;
    QTest::newRow("key without a usage left out, its delay kept")
        << QList<MacroNode>{keyNode(163, 0, 10), keyNode(0x41, 0, 5), keyNode(163, 1, 0)} << false << none
        << QVector<quint16>{0x400A, 0x0104, 0x4005} << 2;
    QTest::newRow("negative delay") << QList<MacroNode>{keyNode(0x41, 0, -3)} << false << none
                                    << QVector<quint16>{0x0104} << 0;
    QTest::newRow("nothing playable") << QList<MacroNode>{keyNode(163, 0, 10)} << false << empty
                                      << QVector<quint16>{} << 1;
    QTest::newRow("no events") << QList<MacroNode>{} << false << empty << QVector<quint16>{} << 0;
    QList<MacroNode> many;
    for (int i = 0; i < 300; ++i)
        many << keyNode(0x41, i % 2, 10);
    QTest::newRow("more than the device holds") << many << false << tooLong << QVector<quint16>{} << 0;
    QTest::newRow("absurd delay") << QList<MacroNode>{keyNode(0x41, 0, 2000000000)} << false << tooLong
                                  << QVector<quint16>{} << 0;
}

void TstFamilyBCodec::macroEntries()
{
    QFETCH(QList<MacroNode>, nodes);
    QFETCH(bool, ignoreDelays);
    QFETCH(int, error);
    QFETCH(QVector<quint16>, entries);
    QFETCH(int, skipped);
    QVector<quint16> out{0x9999};
    int left = -1;
    QCOMPARE(int(encodeMacroEntries(nodes, ignoreDelays, out, &left)), error);
    if (error == int(MacroEncodeError::None)) {
        QCOMPARE(out, entries);
        QCOMPARE(left, skipped);
        QVERIFY(!out.contains(0));
    } else {
        QCOMPARE(out, QVector<quint16>{0x9999});
    }
}

// --------------------------------------------------------------------- OLED

void TstFamilyBCodec::oledPacking()
{
    QImage white(64, 48, QImage::Format_RGB32);
    white.fill(Qt::white);
    QCOMPARE(packOledPicture(white), QByteArray(kOledBytes, '\0'));

    QImage dots = white;
    dots.setPixel(0, 0, qRgb(0, 0, 0));
    dots.setPixel(63, 47, qRgb(0, 0, 0));
    dots.setPixel(5, 9, qRgb(0, 0, 0));
    const QByteArray packed = packOledPicture(dots);
    QCOMPARE(packed.size(), 384);
    QCOMPARE(quint8(packed.at(0)), quint8(0x01));
    QCOMPARE(quint8(packed.at(5 * 64 + 63)), quint8(0x80));
    QCOMPARE(quint8(packed.at(1 * 64 + 5)), quint8(0x02));
    int lit = 0;
    for (char c : packed)
        lit += qPopulationCount(quint8(c));
    QCOMPARE(lit, 3);

    QImage big(128, 96, QImage::Format_RGB32);
    big.fill(Qt::black);
    QCOMPARE(packOledPicture(big), QByteArray(kOledBytes, char(0xFF)));
    QVERIFY(packOledPicture(QImage()).isEmpty());

    // Unpacking gives the picture back: lit pixels black, the rest white.
    const QImage back = unpackOledPicture(packed + QByteArray(640, '\x55'));
    QCOMPARE(back.size(), QSize(64, 48));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            QCOMPARE(back.pixel(x, y), dots.pixel(x, y));
    QCOMPARE(packOledPicture(back), packed);
    QVERIFY(unpackOledPicture(packed.left(383)).isNull());
}

QTEST_APPLESS_MAIN(TstFamilyBCodec)
#include "tst_familybcodec.moc"
