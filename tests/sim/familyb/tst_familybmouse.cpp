#include "platform/clock.h"
#include "tests/sim/familyb/familybhost.h"
#include "sim/familyb/familybmouse.h"
#include "discovery/models.h"

#include <QtTest>

using host::bytes;
using host::u8;

namespace {
// Image bytes i of a profile answer sit at answer byte 8 + i.
QByteArray imageOf(const QByteArray &answer)
{
    return answer.mid(8, 1024);
}

// A 1024-byte image: bytes at even positions 2..240 set to `even`, the
// rest 0 unless listed in `extra` (position, value).
QByteArray evenFixture(int even, std::initializer_list<std::pair<int, int>> extra = {})
{
    QByteArray p(1024, '\0');
    for (int i = 2; i <= 240; i += 2)
        p[i] = char(even);
    for (const auto &e : extra)
        p[e.first] = char(e.second);
    return p;
}
} // namespace

class TestFamilyBMouse : public QObject
{
    Q_OBJECT

private slots:
    void unknownTypesMakeNoMouse();
    void enumeration_data();
    void enumeration();
    void extraCollections();

    void defaultContents_data();
    void defaultContents();
    void cpiStages_data();
    void cpiStages();

    void answerChecksum_data();
    void answerChecksum();
    void handComputedSeed_data();
    void handComputedSeed();
    void settingsSumWrapsAt16Bits();
    void contentsWithoutSeedKeepStoredTrailer();

    void profileWrite_data();
    void profileWrite();
    void writtenProfileReadsBack();

    void statusPoll_data();
    void statusPoll();
    void pollRefusalOnlyWhereInjected();

    void refusedRequests_data();
    void refusedRequests();
    void commandCollectionIsNotReadable();

    void freshMacrosAreEmpty();
    void macroRoundTrip_data();
    void macroRoundTrip();
    void unknownMacroNumbers_data();
    void unknownMacroNumbers();
    void fullMacroHasNoTerminator();
    void unterminatedMacroFault();
    void macroBlock();
    void shortMacroBlockWriteIsRejected();

    void badChecksumFault_data();
    void badChecksumFault();
    void answerLengthFault_data();
    void answerLengthFault();
    void failedTransfersKeepTheAnswer();
    void unplugAfterTransfers();
    void latencyCountsOnTheDeviceClock();
    void countersByCommand();
};

void TestFamilyBMouse::unknownTypesMakeNoMouse()
{
    EmulatedHidBus bus;
    for (int t : {0, 1, 7, 11, 14, 15, 16, 17, 19}) {
        QVERIFY2(!FamilyBMouse::create(t), qPrintable(QString::number(t)));
        QVERIFY(!plugFamilyB(bus, t));
    }
    QVERIFY(bus.enumerate().isEmpty());
}

void TestFamilyBMouse::enumeration_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("pid");
    QTest::addColumn<QString>("model");
    QTest::newRow("OX2") << 2 << int(PID_OX2) << "OX2";
    QTest::newRow("OX6") << 3 << int(PID_OX6) << "OX6";
    QTest::newRow("OX1") << 4 << int(PID_OX1) << "OX1";
    QTest::newRow("OX2S") << 5 << int(PID_OX2S) << "OX2S";
    QTest::newRow("OX1S") << 6 << int(PID_OX1S) << "OX1S";
    QTest::newRow("OX5") << 13 << int(PID_OX5) << "OX5";
    QTest::newRow("OX8") << 18 << int(PID_OX8) << "OX8";
}

void TestFamilyBMouse::enumeration()
{
    QFETCH(int, type);
    QFETCH(int, pid);
    QFETCH(QString, model);

    EmulatedHidBus bus;
    auto mouse = plugFamilyB(bus, type);
    QVERIFY(mouse);
    QCOMPARE(mouse->mouseType(), type);
    QCOMPARE(mouse->isFamilyC(), type == 13);

    const QVector<HidDeviceInfo> list = bus.enumerate();
    QCOMPARE(list.size(), 2);
    QVector<int> lengths;
    for (const HidDeviceInfo &info : list) {
        QCOMPARE(info.vendorId, VID_KORVAN);
        QCOMPARE(int(info.productId), pid);
        QCOMPARE(info.releaseNumber, FamilyBMouse::defaultFirmwareVersion(type));
        QVERIFY(info.productString.contains(model));
        QCOMPARE(info.usagePage, quint16(0xFF00));
        QCOMPARE(info.usage, quint16(1));
        QCOMPARE(info.featureValueCaps.size(), 1);
        QCOMPARE(info.featureValueCaps.first().usagePage, quint16(0xFF00));
        QCOMPARE(info.featureValueCaps.first().usage, quint16(1));
        const int id = info.featureValueCaps.first().reportId;
        if (info.featureReportLength == 6)
            QCOMPARE(id, 5);
        else
            QCOMPARE(id, 6);
        lengths << info.featureReportLength;
    }
    QCOMPARE(lengths, (QVector<int>{6, 1032}));

    // The family B code of the model table leads to this mouse.
    const FamilySelection sel = selectFamilyForPid(quint16(pid));
    QCOMPARE(sel.mouseType, type);
}

void TestFamilyBMouse::extraCollections()
{
    EmulatedHidBus bus;
    auto mouse = FamilyBMouse::create(18);
    mouse->setPointerCollection(true);
    mouse->setStrayCollection(64);
    mouse->setDataCollectionFirst(true);
    mouse->setFirmwareVersion(4);
    bus.plug(mouse);

    const QVector<HidDeviceInfo> list = bus.enumerate();
    QCOMPARE(list.size(), 4);
    QCOMPARE(list[0].usagePage, quint16(0x0001));
    QCOMPARE(list[0].featureReportLength, 0);
    QVERIFY(list[0].featureValueCaps.isEmpty());
    QCOMPARE(list[1].usagePage, quint16(0xFF00));
    QCOMPARE(list[1].featureReportLength, 64);
    QCOMPARE(list[2].featureReportLength, 1032);
    QCOMPARE(list[3].featureReportLength, 6);
    for (const HidDeviceInfo &info : list)
        QCOMPARE(info.releaseNumber, quint16(4));

    // Neither extra collection answers anything.
    for (int i : {0, 1}) {
        auto h = bus.open(list[i].path);
        QVERIFY(h);
        QByteArray r(64, '\0');
        r[0] = 0x07;
        QVERIFY(!h->setFeature(r));
        QVERIFY(!h->getFeature(r));
    }

    bus.unplug(mouse.get());
    mouse->setPointerCollection(false);
    mouse->setStrayCollection(0);
    mouse->setDataCollectionFirst(false);
    bus.plug(mouse);
    QCOMPARE(bus.enumerate().size(), 2);
    QCOMPARE(bus.enumerate().first().featureReportLength, 6);
}

void TestFamilyBMouse::defaultContents_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("offset"); // profile byte number
    QTest::addColumn<QByteArray>("expected");

    // Profile byte = settings block byte + 242.
    QTest::newRow("OX2 report rate and lift-off") << 2 << 242 << bytes({0x03, 0x80});
    QTest::newRow("OX2 light zone 2 mode, brightness") << 2 << 256 << bytes({0x83, 0x09});
    QTest::newRow("OX2 light zone 1 mode, brightness") << 2 << 259 << bytes({0x83, 0x09});
    QTest::newRow("OX2 zone 1 colour") << 2 << 281 << bytes({0x00, 0x00, 0xFF, 0x00});
    QTest::newRow("OX2 CPI low bytes") << 2 << 300 << bytes({0x12, 0x1B, 0x28, 0x43, 0x8C, 0x00, 0x00});
    QTest::newRow("OX2 CPI copy") << 2 << 316 << bytes({0x12, 0x1B, 0x28, 0x43, 0x8C, 0x00, 0x00});
    QTest::newRow("OX2 left, right, middle") << 2 << 332
                                             << bytes({0x01, 0x00, 0xF0, 0x00, 0x01, 0x00, 0xF1, 0x00,
                                                       0x01, 0x00, 0xF2, 0x00});
    QTest::newRow("OX2 button 13") << 2 << 352 << bytes({0x07, 0x00, 0x01, 0x00});
    QTest::newRow("OX2 button 15") << 2 << 360 << bytes({0x11, 0x00, 0x00, 0x00});
    QTest::newRow("OX2 buttons 11 and 12") << 2 << 388
                                           << bytes({0x04, 0x00, 0x01, 0x00, 0x04, 0x00, 0x02, 0x00});
    QTest::newRow("OX2 last bytes") << 2 << 466 << bytes({0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02});
    QTest::newRow("OX6 bytes 6..7") << 3 << 248 << bytes({0x07, 0x03});
    QTest::newRow("OX6 CPI low bytes") << 3 << 300 << bytes({0x10, 0x14, 0x1E, 0x28, 0x3C, 0xA0, 0x40});
    QTest::newRow("OX6 CPI high bytes") << 3 << 308 << bytes({0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01});
    QTest::newRow("OX6 CPI copy high bytes") << 3 << 324 << bytes({0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01});
    QTest::newRow("OX6 buttons 16 and 17") << 3 << 364
                                           << bytes({0x00, 0x00, 0x21, 0x00, 0x08, 0x00, 0x03, 0x00});
    QTest::newRow("OX1 light zone 2") << 4 << 256 << bytes({0x85, 0x05, 0x0A, 0x83, 0x04});
    QTest::newRow("OX1 CPI low bytes") << 4 << 300 << bytes({0x09, 0x12, 0x1B, 0x24, 0x2E, 0x37, 0x45});
    QTest::newRow("OX1 button 13") << 4 << 352 << bytes({0x07, 0x00, 0x03, 0x00});
    QTest::newRow("OX1 tail like OX2") << 4 << 388
                                       << bytes({0x04, 0x00, 0x01, 0x00, 0x04, 0x00, 0x02, 0x00});
    QTest::newRow("OX2S byte 6") << 5 << 248 << bytes({0x05});
    QTest::newRow("OX2S light zone 2") << 5 << 256 << bytes({0x83, 0x09, 0x00, 0x83, 0x09});
    QTest::newRow("OX2S byte 51") << 5 << 293 << bytes({0x01});
    QTest::newRow("OX2S CPI") << 5 << 300 << bytes({0x0C, 0x14, 0x18, 0x20, 0x28, 0x00, 0x00});
    QTest::newRow("OX2S CPI copy") << 5 << 316 << bytes({0x0C, 0x14, 0x18, 0x20, 0x28, 0x00, 0x00});
    QTest::newRow("OX2S button 13") << 5 << 352 << bytes({0x07, 0x00, 0x01, 0x00});
    QTest::newRow("OX1S CPI") << 6 << 300 << bytes({0x08, 0x10, 0x18, 0x20, 0x28, 0x30, 0x3C});
    QTest::newRow("OX1S CPI copy") << 6 << 316 << bytes({0x08, 0x10, 0x18, 0x20, 0x28, 0x30, 0x3C});
    QTest::newRow("OX1S light zone 2 as OX1") << 6 << 256 << bytes({0x85, 0x05});
    QTest::newRow("OX5 stages of OX2 in its own codes") << 13 << 300 << bytes({0x12, 0x1B, 0x29, 0x45, 0x91, 0x00, 0x00});
    QTest::newRow("OX5 button 13 as OX2") << 13 << 352 << bytes({0x07, 0x00, 0x01, 0x00});
    QTest::newRow("OX8 as OX1") << 18 << 300 << bytes({0x09, 0x12, 0x1B, 0x24, 0x2E, 0x37, 0x45});
    QTest::newRow("OX8 buttons 4..7") << 18 << 332
                                      << bytes({0x01, 0x00, 0xF0, 0x00, 0x01, 0x00, 0xF1, 0x00, 0x01, 0x00,
                                                0xF2, 0x00, 0x01, 0x00, 0xF3, 0x00, 0x01, 0x00, 0xF4, 0x00});
}

void TestFamilyBMouse::defaultContents()
{
    QFETCH(int, type);
    QFETCH(int, offset);
    QFETCH(QByteArray, expected);

    host::Link link(type);
    QVERIFY(link.isOpen());
    const QByteArray answer = link.readProfileAnswer();
    QCOMPARE(answer.size(), 1032);
    QCOMPARE(u8(answer, 0), quint8(6));
    QCOMPARE(u8(answer, 1), quint8(0x83));
    QCOMPARE(answer.mid(2, 6), QByteArray(6, '\0'));
    QCOMPARE(answer.mid(8 + offset, expected.size()).toHex(' '), expected.toHex(' '));
    QCOMPARE(link.mouse->profileImage().mid(offset, expected.size()), expected);
}

void TestFamilyBMouse::cpiStages_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QVector<int>>("cpi");
    QTest::newRow("OX2 table") << 2 << QVector<int>{800, 1200, 1800, 3000, 6200, 0, 0};
    QTest::newRow("OX6 50 per step, 12800 per high step")
        << 3 << QVector<int>{800, 1000, 1500, 2000, 3000, 8000, 16000};
    QTest::newRow("OX1 61-step table") << 4 << QVector<int>{400, 800, 1200, 1600, 2000, 2400, 3000};
    QTest::newRow("OX2S") << 5 << QVector<int>{600, 1000, 1200, 1600, 2000, 0, 0};
    QTest::newRow("OX1S") << 6 << QVector<int>{400, 800, 1200, 1600, 2000, 2400, 3000};
    // OX5's factory stages are OX2's, in codes of its own table.
    QTest::newRow("OX5 61-step table") << 13 << QVector<int>{800, 1200, 1800, 3000, 6200, 0, 0};
    QTest::newRow("OX8 61-step table") << 18 << QVector<int>{400, 800, 1200, 1600, 2000, 2400, 3000};
}

void TestFamilyBMouse::cpiStages()
{
    QFETCH(int, type);
    QFETCH(QVector<int>, cpi);
    auto mouse = FamilyBMouse::create(type);
    for (int s = 0; s < 7; ++s) {
        QCOMPARE(mouse->cpiStageValue(s), cpi[s]);
        QCOMPARE(mouse->cpiStageCode(s, 1), mouse->cpiStageCode(s, 0));
    }
    QCOMPARE(mouse->cpiStageCode(7), -1);

    // A code from the other models' table means something else here.
    mouse->setProfileByte(300, 0x4D);
    const int expected = type == 2 ? 3400 : (type == 3 || type == 5 || type == 6) ? 3850 : 3300;
    QCOMPARE(mouse->cpiStageValue(0), expected);
}

void TestFamilyBMouse::answerChecksum_data()
{
    QTest::addColumn<int>("type");
    for (int t : {2, 3, 4, 5, 6, 18})
        QTest::newRow(qPrintable(QStringLiteral("type %1").arg(t))) << t;
}

void TestFamilyBMouse::answerChecksum()
{
    QFETCH(int, type);
    host::Link link(type);
    const QByteArray answer = link.readProfileAnswer();
    QCOMPARE(answer.size(), 1032);
    const QByteArray p = imageOf(answer);
    // The seed travels in answer bytes 484 and 485.
    QCOMPARE(u8(answer, 484), u8(p, 476));
    QCOMPARE(u8(answer, 485), u8(p, 477));
    QVERIFY(host::modelCheck(p, type, u8(answer, 484), u8(answer, 485)));
    // A seed one step off fails: the check is not vacuous.
    QVERIFY(!host::modelCheck(p, type, u8(answer, 484), quint8(u8(answer, 485) + 1)));
    QCOMPARE(u8(p, 478), quint8(0));
    const quint16 t = host::settingsSum(p);
    QCOMPARE(u8(p, 479), quint8(t & 0xFF));
    QCOMPARE(u8(p, 480), quint8(t >> 8));
}

void TestFamilyBMouse::handComputedSeed_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<int>("sign");
    QTest::addColumn<int>("adjustment");

    // 120 even bytes of 0x56 weigh 3 x 86 x 120 = 30960; OX1's target is
    // 121 x 256 + 214 = 31190, so the seed adds 230.
    QTest::newRow("OX1 adds 230") << 4 << evenFixture(0x56) << 0 << 230;
    // 0x57: 31320, 130 above OX8's target of 31190.
    QTest::newRow("OX8 subtracts 130") << 18 << evenFixture(0x57) << 1 << 130;
    // 0x58: 31680. OX6's target is 124 x 256 + (2 + p[13] + p[19]); bytes 13
    // and 19 also count once in the sum: 31680 + 48 against 31744 + 50.
    QTest::newRow("OX6 counts byte 19 in the target")
        << 3 << evenFixture(0x58, {{13, 0x10}, {19, 0x20}}) << 0 << 66;
    // OX2: 122 x 256 + 231 = 31463; 0x57 gives 31320: adds 143.
    QTest::newRow("OX2 adds 143") << 2 << evenFixture(0x57) << 0 << 143;
    // OX2S: 119 x 256 + 183 = 30647; 0x55 gives 30600: adds 47.
    QTest::newRow("OX2S adds 47") << 5 << evenFixture(0x55) << 0 << 47;
    // OX1S falls back to (74, 121): 31050; 0x56 gives 30960: adds 90.
    QTest::newRow("OX1S uses the fallback pair") << 6 << evenFixture(0x56) << 0 << 90;
    // Exactly on target: no adjustment.
    QTest::newRow("OX1 on target") << 4 << evenFixture(0x56, {{1, 230}}) << 0 << 0;
}

void TestFamilyBMouse::handComputedSeed()
{
    QFETCH(int, type);
    QFETCH(QByteArray, image);
    QFETCH(int, sign);
    QFETCH(int, adjustment);

    host::Link link(type);
    QVERIFY(link.mouse->setProfileImage(image));
    const QByteArray answer = link.readProfileAnswer();
    QCOMPARE(int(u8(answer, 484)), sign);
    QCOMPARE(int(u8(answer, 485)), adjustment);
    QVERIFY(host::modelCheck(imageOf(answer), type, quint8(sign), quint8(adjustment)));
    // Settings block all zero: sum 0.
    QCOMPARE(answer.mid(8 + 478, 3), QByteArray(3, '\0'));
}

void TestFamilyBMouse::settingsSumWrapsAt16Bits()
{
    host::Link link(4);
    QByteArray image = evenFixture(0x56);
    // 117 x 255 + 3 x 117 x 255 = 119340, kept in 16 bits: 0xD22C.
    for (int i = 242; i <= 475; ++i)
        image[i] = char(0xFF);
    QVERIFY(link.mouse->setProfileImage(image));
    QByteArray answer = link.readProfileAnswer();
    QCOMPARE(u8(answer, 8 + 479), quint8(0x2C));
    QCOMPARE(u8(answer, 8 + 480), quint8(0xD2));

    // Byte 242 = 1 (three times), 243 = 2, 475 = 0x10: 3 + 2 + 16 = 21.
    image.replace(242, 234, QByteArray(234, '\0'));
    image[242] = 1;
    image[243] = 2;
    image[475] = 0x10;
    QVERIFY(link.mouse->setProfileImage(image));
    answer = link.readProfileAnswer();
    QCOMPARE(u8(answer, 8 + 479), quint8(21));
    QCOMPARE(u8(answer, 8 + 480), quint8(0));
}

void TestFamilyBMouse::contentsWithoutSeedKeepStoredTrailer()
{
    // All zero: the sum is 0, far from any target; no one-byte seed fits.
    host::Link link(2);
    QByteArray image(1024, '\0');
    image[476] = 0x01;
    image[477] = 0x23;
    image[479] = 0x45;
    QVERIFY(link.mouse->setProfileImage(image));
    quint8 sign = 0, adjustment = 0;
    QVERIFY(!link.mouse->answerSeed(sign, adjustment));
    const QByteArray answer = link.readProfileAnswer();
    QCOMPARE(answer.mid(8 + 476, 5), bytes({0x01, 0x23, 0x00, 0x45, 0x00}));
    QVERIFY(!host::modelCheck(imageOf(answer), 2, 0x01, 0x23));
}

void TestFamilyBMouse::profileWrite_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("OX1 trailer completed") << 4 << "good" << true;
    QTest::newRow("OX6 trailer completed") << 3 << "good" << true;
    QTest::newRow("OX2 trailer completed, 512-byte report") << 2 << "good512" << true;
    QTest::newRow("OX1 stale settings sum refused") << 4 << "staleSum" << false;
    QTest::newRow("OX2 seed one off refused") << 2 << "seedOff" << false;
    QTest::newRow("OX2S sign flipped refused") << 5 << "signFlip" << false;
    QTest::newRow("OX1S byte 478 nonzero refused") << 6 << "byte478" << false;
    QTest::newRow("OX6 factory byte changed without new seed refused") << 3 << "factoryByte" << false;
    QTest::newRow("OX1 cut short refused") << 4 << "short" << false;
    QTest::newRow("OX8 takes a stale sum") << 18 << "staleSum" << true;
    QTest::newRow("OX8 takes a wrong seed") << 18 << "seedOff" << true;
    QTest::newRow("OX5 has no trailer to check") << 13 << "garbageTrailer" << true;
    QTest::newRow("OX5 takes a stale sum") << 13 << "staleSum" << true;
}

void TestFamilyBMouse::profileWrite()
{
    QFETCH(int, type);
    QFETCH(QString, change);
    QFETCH(bool, accepted);

    host::Link link(type);
    const QByteArray answer = link.readProfileAnswer();
    const quint8 sign = u8(answer, 484), adjustment = u8(answer, 485);
    QByteArray p = imageOf(answer);
    p[243] = char(u8(p, 243) + 7); // a new lift-off height
    host::completeTrailer(p, sign, adjustment);

    int length = 1032;
    if (change == QLatin1String("good512"))
        length = 512;
    else if (change == QLatin1String("staleSum"))
        p[479] = char(u8(p, 479) - 7);
    else if (change == QLatin1String("seedOff"))
        p[477] = char(adjustment + 1);
    else if (change == QLatin1String("signFlip"))
        p[476] = char(sign ? 0 : 1);
    else if (change == QLatin1String("byte478"))
        p[478] = 1;
    else if (change == QLatin1String("factoryByte"))
        p[20] = char(u8(p, 20) + 1);
    else if (change == QLatin1String("short"))
        length = 400;
    else if (change == QLatin1String("garbageTrailer"))
        p.replace(476, 5, bytes({0x5A, 0x5A, 0x5A, 0x5A, 0x5A}));

    const QByteArray before = link.mouse->profileImage();
    QVERIFY(link.writeProfile(p, length));
    const QByteArray status = link.poll();
    QCOMPARE(status.size(), 8);
    QCOMPARE(u8(status, 0), quint8(6));
    QCOMPARE(u8(status, 1), quint8(0x82));
    // The profile write is operation 1: byte 2.
    QCOMPARE(u8(status, 2) == 0, accepted);
    QCOMPARE(u8(status, 3), quint8(0));
    QCOMPARE(u8(status, 4), quint8(0));
    QCOMPARE(u8(status, 7), quint8(0));

    if (accepted) {
        QCOMPARE(link.mouse->profileImage().left(504), p.left(504));
        QCOMPARE(link.mouse->rejectedRequests(), 0);
    } else {
        QCOMPARE(link.mouse->profileImage(), before);
        QCOMPARE(link.mouse->rejectedRequests(), 1);
    }
}

void TestFamilyBMouse::writtenProfileReadsBack()
{
    // Changing the factory area with a seed worked out for the new
    // contents is accepted, and the next answer carries that seed.
    host::Link link(4);
    QByteArray p = evenFixture(0x56);
    p.replace(242, 234, link.mouse->settingsBlock());
    p[300] = 0x24; // stage 1 at 1600 CPI
    host::completeTrailer(p, 0, 230);
    QVERIFY(link.writeProfile(p));
    QCOMPARE(u8(link.poll(), 2), quint8(0));
    QCOMPARE(link.mouse->cpiStageValue(0), 1600);

    const QByteArray answer = link.readProfileAnswer();
    QCOMPARE(imageOf(answer).left(481), p.left(481));
    QCOMPARE(link.mouse->buttonWord(0), bytes({0x01, 0x00, 0xF0, 0x00}));
}

void TestFamilyBMouse::statusPoll_data()
{
    QTest::addColumn<int>("busyPolls");     // setBusyPolls
    QTest::addColumn<int>("injected");      // injectBusyPolls
    QTest::addColumn<int>("operation");     // 1 profile, 2 macro, 3 block
    QTest::addColumn<int>("pollsUntilDone"); // -1 never within 12 polls

    QTest::newRow("profile write done at once") << 0 << 0 << 1 << 1;
    QTest::newRow("profile write busy twice") << 2 << 0 << 1 << 3;
    QTest::newRow("macro write busy once") << 1 << 0 << 2 << 2;
    QTest::newRow("macro block write busy three times") << 3 << 0 << 3 << 4;
    QTest::newRow("injected busy on top") << 1 << 2 << 2 << 4;
    QTest::newRow("injected busy alone") << 0 << 4 << 1 << 5;
    QTest::newRow("never finishes") << -1 << 0 << 3 << -1;
    QTest::newRow("injected for ever") << 0 << -1 << 1 << -1;
}

void TestFamilyBMouse::statusPoll()
{
    QFETCH(int, busyPolls);
    QFETCH(int, injected);
    QFETCH(int, operation);
    QFETCH(int, pollsUntilDone);

    host::Link link(4);
    link.mouse->setBusyPolls(busyPolls);
    link.mouse->injectBusyPolls(injected);
    const QByteArray p = imageOf(link.readProfileAnswer());
    if (operation == 1)
        QVERIFY(link.writeProfile(p));
    else if (operation == 2)
        QVERIFY(link.writeMacro(144, bytes({0x00, 0x01}), {0x0104}));
    else
        QVERIFY(link.sendData(bytes({0x05, 0x80, 0x00, 0x04, 0x00, 0x00, 0x00}) + QByteArray(1024, '\x11')));

    int done = -1;
    for (int i = 1; i <= 12 && done < 0; ++i) {
        const QByteArray s = link.poll();
        QCOMPARE(s.size(), 8);
        // Only the operation's own byte shows busy.
        for (int op = 1; op <= 5; ++op)
            if (op != operation)
                QCOMPARE(u8(s, op + 1), quint8(0));
        QCOMPARE(u8(s, 7), quint8(0));
        if (u8(s, operation + 1) == 0)
            done = i;
    }
    QCOMPARE(done, pollsUntilDone);
    QCOMPARE(link.mouse->operationResult(operation), quint8(0));
}

void TestFamilyBMouse::pollRefusalOnlyWhereInjected()
{
    host::Link link(2);
    QCOMPARE(u8(link.poll(), 7), quint8(0));
    link.mouse->injectPollRefusals(1);
    const QByteArray first = link.poll();
    QCOMPARE(u8(first, 1), quint8(0x82));
    QCOMPARE(u8(first, 7), quint8(1));
    QCOMPARE(u8(link.poll(), 7), quint8(0));

    link.mouse->injectPollRefusals(-1);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(u8(link.poll(), 7), quint8(1));
    link.mouse->clearFaults();
    QCOMPARE(u8(link.poll(), 7), quint8(0));
}

void TestFamilyBMouse::refusedRequests_data()
{
    QTest::addColumn<bool>("onData");
    QTest::addColumn<QByteArray>("report"); // id byte included
    QTest::newRow("unknown command") << false << bytes({0x05, 0x86, 0, 0, 0, 0});
    QTest::newRow("profile read with a wrong selector") << false << bytes({0x05, 0x83, 0x01, 0, 0, 0});
    QTest::newRow("macro read with byte 3 set") << false << bytes({0x05, 0x84, 140, 0x01, 0, 0});
    QTest::newRow("macro block read without 0x80") << false << bytes({0x05, 0x85, 0x00, 0, 0, 0});
    QTest::newRow("write sent on the command collection") << false << bytes({0x05, 0x03, 0, 0, 0x02, 0});
    QTest::newRow("data report id on the command collection") << false << bytes({0x06, 0x83, 0, 0, 0, 0});
    QTest::newRow("command longer than 6 bytes") << false << bytes({0x05, 0x83, 0, 0, 0, 0, 0});
    QTest::newRow("read request on the data collection")
        << true << bytes({0x06, 0x83, 0x00}) + QByteArray(1029, '\0');
    QTest::newRow("profile write with a wrong frame")
        << true << bytes({0x06, 0x03, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00}) + QByteArray(1024, '\0');
    QTest::newRow("macro write with a wrong frame")
        << true << bytes({0x06, 0x04, 140, 0x00, 0x02, 0x00, 0x00, 0x00}) + QByteArray(1024, '\0');
    QTest::newRow("macro block write without 0x80")
        << true << bytes({0x06, 0x05, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00}) + QByteArray(1024, '\0');
    QTest::newRow("data report longer than 1032 bytes")
        << true << bytes({0x06, 0x05, 0x80, 0x00, 0x04, 0x00, 0x00, 0x00}) + QByteArray(1025, '\0');
}

void TestFamilyBMouse::refusedRequests()
{
    QFETCH(bool, onData);
    QFETCH(QByteArray, report);

    host::Link link(3);
    const QByteArray block = link.mouse->macroBlock();
    const QByteArray image = link.mouse->profileImage();
    // A prepared answer is waiting; a refused request must not leave it
    // to pass for its own.
    QVERIFY(link.send({0x83, 0x00}));
    HidDevice &target = onData ? *link.data : *link.command;
    QVERIFY(!target.setFeature(report));
    QCOMPARE(link.mouse->failedTransfers(), 1);
    const QByteArray answer = link.answer();
    QCOMPARE(answer.size(), 1032);
    QCOMPARE(u8(answer, 1), quint8(0));
    QCOMPARE(link.mouse->macroBlock(), block);
    QCOMPARE(link.mouse->profileImage(), image);

    // The device still works afterwards.
    QCOMPARE(u8(link.readProfileAnswer(), 1), quint8(0x83));
}

void TestFamilyBMouse::commandCollectionIsNotReadable()
{
    host::Link link(2);
    QVERIFY(link.send({0x83, 0x00}));
    QByteArray r(6, '\0');
    r[0] = 0x05;
    QVERIFY(!link.command->getFeature(r));
    // A get with the wrong id on the data collection fails too.
    QByteArray d(1032, '\0');
    d[0] = 0x05;
    QVERIFY(!link.data->getFeature(d));
    // Neither spoils the prepared answer.
    QCOMPARE(u8(link.answer(), 1), quint8(0x83));
}

void TestFamilyBMouse::freshMacrosAreEmpty()
{
    host::Link link(18);
    // The 24 numbers 140..232 all answer; none holds a macro yet.
    for (int number = 140; number <= 232; number += 4) {
        QVERIFY(link.send({0x84, number, 0x00}));
        const QByteArray a = link.answer();
        QCOMPARE(u8(a, 0), quint8(6));
        QCOMPARE(u8(a, 1), quint8(0x84));
        QCOMPARE(a.mid(8, 4), QByteArray(4, '\0'));
        QCOMPARE(u8(link.poll(), 3), quint8(0));
    }
    QCOMPARE(FamilyBMouse::macroNumbers().size(), 24);
}

void TestFamilyBMouse::macroRoundTrip_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QVector<quint16>>("entries");

    QTest::newRow("slot 0") << 140 << bytes({0x00, 0x01}) << QVector<quint16>{0x0104, 0x0004, 0x8032};
    QTest::newRow("slot 11") << 184 << bytes({0x01, 0x02}) << QVector<quint16>{0xFFFF};
    QTest::newRow("number between the slot ranges") << 188 << bytes({0x00, 0x05}) << QVector<quint16>{0x1234};
    QTest::newRow("slot 15") << 220 << bytes({0x12, 0x34}) << QVector<quint16>{0x00FF, 0xFF00};
    QTest::newRow("last number of the list") << 232 << bytes({0x00, 0x01}) << QVector<quint16>{0x0001};
    QVector<quint16> many;
    for (int i = 0; i < 510; ++i)
        many << quint16(0x0100 + i);
    QTest::newRow("510 entries leave room for the terminator") << 148 << bytes({0x00, 0x02}) << many;
}

void TestFamilyBMouse::macroRoundTrip()
{
    QFETCH(int, number);
    QFETCH(QByteArray, header);
    QFETCH(QVector<quint16>, entries);

    host::Link link(4);
    QVERIFY(link.writeMacro(number, header, entries));
    QCOMPARE(u8(link.poll(), 3), quint8(0));
    QCOMPARE(link.mouse->macroHeader(number), header);
    QCOMPARE(link.mouse->macroEntries(number), entries);

    QVERIFY(link.send({0x84, number, 0x00}));
    const QByteArray a = link.answer();
    QCOMPARE(u8(a, 1), quint8(0x84));
    QCOMPARE(a.mid(8, 2), header);
    for (int i = 0; i < entries.size(); ++i) {
        QCOMPARE(u8(a, 10 + 2 * i), quint8(entries[i] & 0xFF));
        QCOMPARE(u8(a, 11 + 2 * i), quint8(entries[i] >> 8));
    }
    const int end = 10 + 2 * entries.size();
    QCOMPARE(u8(a, end), quint8(0));
    QCOMPARE(u8(a, end + 1), quint8(0));
    QCOMPARE(u8(link.poll(), 3), quint8(0));

    // Other numbers are untouched.
    const int other = number == 140 ? 144 : 140;
    QCOMPARE(link.mouse->macroRecord(other), QByteArray(1024, '\0'));
}

void TestFamilyBMouse::unknownMacroNumbers_data()
{
    QTest::addColumn<int>("number");
    QTest::newRow("between two numbers") << 141;
    QTest::newRow("below the list") << 136;
    QTest::newRow("past the list") << 236;
    QTest::newRow("zero") << 0;
}

void TestFamilyBMouse::unknownMacroNumbers()
{
    QFETCH(int, number);
    host::Link link(2);

    QVERIFY(link.send({0x84, number, 0x00}));
    const QByteArray a = link.answer();
    QCOMPARE(u8(a, 1), quint8(0x84));
    QCOMPARE(a.mid(8, 4), QByteArray(4, '\0'));
    QVERIFY(u8(link.poll(), 3) != 0);

    QVERIFY(link.writeMacro(number, bytes({0x00, 0x01}), {0x0104}));
    QVERIFY(u8(link.poll(), 3) != 0);
    QVERIFY(link.mouse->macroRecord(number).isEmpty());
    QCOMPARE(link.mouse->rejectedRequests(), 2);

    // A good request after it clears the state of operation 2.
    QVERIFY(link.writeMacro(140, bytes({0x00, 0x01}), {0x0104}));
    QCOMPARE(u8(link.poll(), 3), quint8(0));
}

void TestFamilyBMouse::fullMacroHasNoTerminator()
{
    // 511 entries fill the 1022 bytes after the header: the record ends
    // without a terminator and the answer stops at the end of the report.
    host::Link link(4);
    QVector<quint16> entries;
    for (int i = 0; i < 511; ++i)
        entries << quint16(0x0200 + i);
    QVERIFY(link.writeMacro(152, bytes({0x00, 0x01}), entries));
    QCOMPARE(u8(link.poll(), 3), quint8(0));
    QCOMPARE(link.mouse->macroEntries(152).size(), 511);
    QVERIFY(link.send({0x84, 152, 0x00}));
    const QByteArray a = link.answer();
    QCOMPARE(a.size(), 1032);
    QCOMPARE(u8(a, 1030), quint8(0xFE));
    QCOMPARE(u8(a, 1031), quint8(0x03));
}

void TestFamilyBMouse::unterminatedMacroFault()
{
    host::Link link(3);
    QVERIFY(link.writeMacro(140, bytes({0x00, 0x01}), {0x0104, 0x0004}));
    QCOMPARE(u8(link.poll(), 3), quint8(0));
    link.mouse->injectUnterminatedMacros(1);

    QVERIFY(link.send({0x84, 140, 0x00}));
    QByteArray a = link.answer();
    QCOMPARE(a.mid(8, 6), bytes({0x00, 0x01, 0x04, 0x01, 0x04, 0x00}));
    for (int i = 10; i + 1 < a.size(); i += 2)
        QVERIFY2(u8(a, i) != 0 || u8(a, i + 1) != 0, qPrintable(QString::number(i)));

    // One answer only; storage is untouched.
    QVERIFY(link.send({0x84, 140, 0x00}));
    a = link.answer();
    QCOMPARE(a.mid(14, 2), QByteArray(2, '\0'));
    QCOMPARE(link.mouse->macroEntries(140), (QVector<quint16>{0x0104, 0x0004}));
}

void TestFamilyBMouse::macroBlock()
{
    host::Link link(6);
    QByteArray block(1024, '\0');
    for (int i = 0; i < block.size(); ++i)
        block[i] = char(i * 7 + 3);
    QVERIFY(link.sendData(bytes({0x05, 0x80, 0x00, 0x04, 0x00, 0x00, 0x00}) + block));
    // The macro block write is operation 3: byte 4.
    const QByteArray s = link.poll();
    QCOMPARE(u8(s, 4), quint8(0));
    QCOMPARE(link.mouse->macroBlock(), block);

    QVERIFY(link.send({0x85, 0x80}));
    const QByteArray a = link.answer();
    QCOMPARE(u8(a, 0), quint8(6));
    QCOMPARE(u8(a, 1), quint8(0x85));
    QCOMPARE(a.mid(8), block);
}

void TestFamilyBMouse::shortMacroBlockWriteIsRejected()
{
    host::Link link(6);
    const QByteArray before = link.mouse->macroBlock();
    QVERIFY(link.sendData(bytes({0x05, 0x80, 0x00, 0x04, 0x00, 0x00, 0x00}) + QByteArray(500, '\x22'), 508));
    QVERIFY(u8(link.poll(), 4) != 0);
    QCOMPARE(link.mouse->macroBlock(), before);
}

void TestFamilyBMouse::badChecksumFault_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("OX1") << 4;
    QTest::newRow("OX6") << 3;
    QTest::newRow("OX8") << 18;
}

void TestFamilyBMouse::badChecksumFault()
{
    QFETCH(int, type);
    host::Link link(type);
    link.mouse->injectBadChecksums(1);
    QByteArray a = link.readProfileAnswer();
    QVERIFY(!host::modelCheck(imageOf(a), type, u8(a, 484), u8(a, 485)));
    a = link.readProfileAnswer();
    QVERIFY(host::modelCheck(imageOf(a), type, u8(a, 484), u8(a, 485)));
}

void TestFamilyBMouse::answerLengthFault_data()
{
    QTest::addColumn<int>("asked");
    QTest::addColumn<int>("injected");
    QTest::newRow("profile answer cut to 100 bytes") << 1032 << 100;
    QTest::newRow("profile answer of the id byte alone") << 1032 << 1;
    QTest::newRow("status asked for 8, full report comes") << 8 << 1032;
    QTest::newRow("longer than the report") << 1032 << 1100;
}

void TestFamilyBMouse::answerLengthFault()
{
    QFETCH(int, asked);
    QFETCH(int, injected);
    host::Link link(2);
    const QByteArray full = link.readProfileAnswer();

    QVERIFY(link.send({0x83, 0x00}));
    link.mouse->injectAnswerLength(1, injected);
    QByteArray a = link.answer(asked);
    QCOMPARE(a.size(), injected);
    QCOMPARE(a.left(qMin(injected, 1032)), full.left(qMin(injected, 1032)));
    if (injected > 1032)
        QCOMPARE(a.mid(1032), QByteArray(injected - 1032, '\0'));

    // The next answer is whole again.
    a = link.answer(asked);
    QCOMPARE(a.size(), asked);
}

void TestFamilyBMouse::failedTransfersKeepTheAnswer()
{
    host::Link link(5);
    QVERIFY(link.send({0x83, 0x00}));
    link.mouse->injectFailedTransfers(2);
    QVERIFY(link.answer().isEmpty());
    QVERIFY(!link.send({0x82}));
    QCOMPARE(u8(link.answer(), 1), quint8(0x83));
    QCOMPARE(link.mouse->failedTransfers(), 2);
}

void TestFamilyBMouse::unplugAfterTransfers()
{
    host::Link link(2);
    link.mouse->setUnplugAfterTransfers(2);
    QVERIFY(link.send({0x83, 0x00}));
    QCOMPARE(link.answer().size(), 1032);
    QVERIFY(!link.send({0x82}));
    QVERIFY(link.bus.enumerate().isEmpty());
    QCOMPARE(link.command->lastError(), 19);
}

void TestFamilyBMouse::latencyCountsOnTheDeviceClock()
{
    VirtualClock clock;
    ScopedDeviceClock scoped(&clock);
    host::Link link(18);
    link.mouse->setLatencyMs(7);
    clock.resetCounters();
    QCOMPARE(link.poll().size(), 8);
    QCOMPARE(clock.totalSleptMs(), qint64(14));
    QCOMPARE(clock.nowMs(), qint64(14));
}

void TestFamilyBMouse::countersByCommand()
{
    host::Link link(4);
    const QByteArray p = imageOf(link.readProfileAnswer());
    QVERIFY(link.writeProfile(p));
    link.poll();
    link.poll();
    QVERIFY(link.send({0x84, 140, 0x00}));
    link.answer();
    QVERIFY(!link.send({0x99}));

    QCOMPARE(link.mouse->featureSets(0x83), 1);
    QCOMPARE(link.mouse->featureGets(0x83), 1);
    QCOMPARE(link.mouse->featureSets(0x03), 1);
    QCOMPARE(link.mouse->featureSets(0x82), 2);
    QCOMPARE(link.mouse->featureGets(0x82), 2);
    QCOMPARE(link.mouse->featureSets(0x84), 1);
    QCOMPARE(link.mouse->featureGets(0x84), 1);
    QCOMPARE(link.mouse->featureSets(0x99), 1);
    QCOMPARE(link.mouse->failedTransfers(), 1);

    link.mouse->resetCounters();
    QCOMPARE(link.mouse->featureSets(0x83), 0);
    QCOMPARE(link.mouse->failedTransfers(), 0);
}

QTEST_GUILESS_MAIN(TestFamilyBMouse)
#include "tst_familybmouse.moc"
