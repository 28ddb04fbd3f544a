#include "platform/clock.h"
#include "tests/device/familyb/familybtestdata.h"
#include "discovery/models.h"
#include "tests/common/bytesutil.h"
#include "tests/common/scriptedhidbus.h"
#include "device/familyb/usbdriver_ox5.h"
#include "device/familyb/usbdriver_ox6.h"

#include <QtTest>

using namespace familyb;
using namespace familybtest;

namespace {

struct Collection
{
    quint16 productId = PID_OX2;
    quint16 usagePage = 0xFF00;
    quint16 usage = 1;
    int featureLength = 6;
    quint8 capId = 5;
    bool hasCap = true;
    bool refuseOpen = false;
};

Collection command(quint8 id = 5)
{
    Collection c;
    c.capId = id;
    return c;
}

Collection data(quint8 id = 6)
{
    Collection c;
    c.featureLength = 1032;
    c.capId = id;
    return c;
}

template <typename F>
Collection with(Collection c, F &&f)
{
    f(c);
    return c;
}

HidDeviceInfo infoOf(const Collection &c)
{
    HidDeviceInfo info;
    info.vendorId = VID_KORVAN;
    info.productId = c.productId;
    info.releaseNumber = 0x0123;
    info.productString = QStringLiteral("OX2");
    info.usagePage = c.usagePage;
    info.usage = c.usage;
    info.featureReportLength = c.featureLength;
    if (c.hasCap)
        info.featureValueCaps.append({c.capId, c.usagePage, c.usage});
    return info;
}

QByteArray padded(const QByteArray &head, int length)
{
    return head + QByteArray(length - head.size(), '\0');
}

QByteArray macroAnswerOf(const Macro &m, bool terminate = true)
{
    QByteArray a(kDataFeatureLength, '\0');
    a[0] = 6;
    a[1] = char(0x84);
    a[8] = char(m.header[0]);
    a[9] = char(m.header[1]);
    int i = 10;
    for (quint16 e : m.entries) {
        a[i++] = char(e & 0xFF);
        a[i++] = char(e >> 8);
    }
    if (!terminate)
        for (; i < a.size(); ++i)
            a[i] = char(0x77);
    return a;
}

} // namespace

Q_DECLARE_METATYPE(QVector<Collection>)

// A driver opened on a scripted command (id 5) and data (id 6) collection.
class Rig : public ScriptedScene
{
public:
    explicit Rig(int modelType = 2, bool familyC = false)
    {
        bus.add(infoOf(command()));
        bus.add(infoOf(data()));
        driver.reset(familyC ? new USBDriver_OX5 : new USBDriver_OX6);
        driver->SetDeviceId(PID_OX2, VID_KORVAN);
        driver->setModelType(modelType);
        opened = driver->FindHIDDevice();
        bus.transfers.clear();
        clock.resetCounters();
    }
    ~Rig() { driver.reset(); }

    ScriptedInterface &commandIf() { return bus.interfaceAt(0); }
    ScriptedInterface &dataIf() { return bus.interfaceAt(1); }
    QList<ScriptedHidBus::Transfer> sets() const { return bus.transfersOf(ScriptedHidBus::Transfer::SetFeature); }

    std::unique_ptr<USBDriver_OX6> driver;
    bool opened = false;
};

class TstUsbDriverOX6 : public QObject
{
    Q_OBJECT

private slots:
    void open_data();
    void open();
    void readProfileSendsAndWaits();
    void readProfileRefusals_data();
    void readProfileRefusals();
    void writeProfileCompletesTrailer();
    void writeProfileRefusesBadChecksum_data();
    void writeProfileRefusesBadChecksum();
    void statusPoll_data();
    void statusPoll();
    void readMacro_data();
    void readMacro();
    void readAllMacrosAsksSeventeen();
    void setMacroStruct();
    void writeMacroListStopsAtFirstFailure();
    void macroBlock();
    void failedTransferEndsOperation();
};

void TstUsbDriverOX6::open_data()
{
    QTest::addColumn<QVector<Collection>>("collections");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<int>("commandId");
    QTest::addColumn<int>("dataId");

    QTest::newRow("command and data") << QVector<Collection>{command(), data()} << true << 5 << 6;
    QTest::newRow("data listed first") << QVector<Collection>{data(), command()} << true << 5 << 6;
    QTest::newRow("report ids from the capabilities") << QVector<Collection>{command(9), data(10)} << true << 9
                                                      << 10;
    QTest::newRow("vendor collection of another length passed over")
        << QVector<Collection>{with(data(7), [](Collection &c) { c.featureLength = 64; }), command(), data()}
        << true << 5 << 6;
    QTest::newRow("first data collection wins") << QVector<Collection>{data(6), data(7), command()} << true << 5
                                                << 6;
    QTest::newRow("collection that cannot be opened passed over")
        << QVector<Collection>{with(data(7), [](Collection &c) { c.refuseOpen = true; }), command(), data(6)}
        << true << 5 << 6;
    QTest::newRow("other product") << QVector<Collection>{with(command(), [](Collection &c) { c.productId = PID_OX6; }),
                                                          data()}
                                   << false << 0 << 0;
    QTest::newRow("usage 2 on the vendor page")
        << QVector<Collection>{with(command(), [](Collection &c) { c.usage = 2; }), data()} << false << 0 << 0;
    QTest::newRow("usage 1 on another page")
        << QVector<Collection>{with(command(), [](Collection &c) { c.usagePage = 0xFF01; }), data()} << false << 0
        << 0;
    QTest::newRow("no feature value capability")
        << QVector<Collection>{with(command(), [](Collection &c) { c.hasCap = false; }), data()} << false << 0 << 0;
    QTest::newRow("only the command collection") << QVector<Collection>{command()} << false << 0 << 0;
    QTest::newRow("only collections of wrong lengths")
        << QVector<Collection>{with(command(), [](Collection &c) { c.featureLength = 8; }),
                               with(data(), [](Collection &c) { c.featureLength = 1024; })}
        << false << 0 << 0;
}

void TstUsbDriverOX6::open()
{
    QFETCH(QVector<Collection>, collections);
    QFETCH(bool, opens);
    QFETCH(int, commandId);
    QFETCH(int, dataId);

    ScriptedScene s;
    ScriptedHidBus &bus = s.bus;
    for (const Collection &c : collections) {
        auto i = bus.add(infoOf(c));
        i->refuseOpen = c.refuseOpen;
        i->answers.append(statusAnswer(2, 0));
    }
    {
        USBDriver_OX6 driver;
        driver.SetDeviceId(PID_OX2, VID_KORVAN);
        QCOMPARE(driver.FindHIDDevice(), opens);
        QCOMPARE(driver.isOpen(), opens);
        if (opens) {
            QCOMPARE(driver.firmwareVersion(), quint16(0x0123));
            bus.transfers.clear();
            // A macro block write shows both ids: the data write, then the
            // status command.
            driver.WriteMacroBlock(QByteArray(1024, '\0'));
            const auto sets = bus.transfersOf(ScriptedHidBus::Transfer::SetFeature);
            QVERIFY(sets.size() >= 2);
            QCOMPARE(int(quint8(sets[0].bytes[0])), dataId);
            QCOMPARE(sets[0].bytes.size(), 1032);
            QCOMPARE(int(quint8(sets[1].bytes[0])), commandId);
            QCOMPARE(sets[1].bytes.size(), 6);
        }
    }
}

void TstUsbDriverOX6::readProfileSendsAndWaits()
{
    Rig rig(2);
    QVERIFY(rig.opened);
    const QByteArray image = buildValidProfile(2, 1, 33);
    rig.dataIf().answers.append(profileAnswer(image, 1, 33));

    QByteArray profile;
    QVERIFY(rig.driver->ReadProfileImage(profile));
    QCOMPARE(profile, image.left(476));

    QCOMPARE(rig.sets().size(), 1);
    QCOMPARE(rig.sets()[0].bytes, bytes({5, 0x83, 0x00, 0, 0, 0}));
    QCOMPARE(rig.bus.transfersOf(ScriptedHidBus::Transfer::GetFeature).size(), 1);
    QCOMPARE(rig.bus.transfersOf(ScriptedHidBus::Transfer::GetFeature)[0].bytes.size(), 1032);
    // 50 ms settle, 100 ms before each of the two transfers.
    QCOMPARE(rig.clock.totalSleptMs(), qint64(250));

    // The kept image carries the completed trailer and the seed.
    const QByteArray kept = rig.driver->profileImage();
    QCOMPARE(kept.size(), 1024);
    QCOMPARE(quint8(kept[476]), quint8(1));
    QCOMPARE(quint8(kept[477]), quint8(33));
    QCOMPARE(rig.driver->checksumSeed().adjustment, quint8(33));
}

void TstUsbDriverOX6::readProfileRefusals_data()
{
    QTest::addColumn<bool>("familyC");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("ok");

    const QByteArray valid = profileAnswer(buildValidProfile(2, 0, 12), 0, 12);
    QByteArray wrongCommand = valid;
    wrongCommand[1] = char(0x84);
    QByteArray wrongId = valid;
    wrongId[0] = 5;
    QByteArray badSum = valid;
    badSum[10] = char(quint8(badSum[10]) + 1); // profile byte 2
    QTest::newRow("valid") << false << 2 << valid << true;
    QTest::newRow("answer to another command") << false << 2 << wrongCommand << false;
    QTest::newRow("wrong report id") << false << 2 << wrongId << false;
    QTest::newRow("short answer") << false << 2 << valid.left(1031) << false;
    QTest::newRow("checksum mismatch") << false << 2 << badSum << false;
    QTest::newRow("profile of another model") << false << 5 << valid << false;
    QTest::newRow("OX8 takes any checksum")
        << false << 18 << profileAnswer(buildValidProfile(2, 0, 12), 0, 12) << true;
    QByteArray garbage(1032, char(0x5A));
    garbage[0] = 6;
    garbage[1] = char(0x83);
    QTest::newRow("family C takes any profile") << true << 13 << garbage << true;
    QByteArray garbageWrong = garbage;
    garbageWrong[1] = char(0x85);
    QTest::newRow("family C still checks the header") << true << 13 << garbageWrong << false;
}

void TstUsbDriverOX6::readProfileRefusals()
{
    QFETCH(bool, familyC);
    QFETCH(int, type);
    QFETCH(QByteArray, answer);
    QFETCH(bool, ok);
    Rig rig(type, familyC);
    rig.dataIf().answers.append(answer);
    QByteArray profile("untouched");
    QCOMPARE(bool(rig.driver->ReadProfileImage(profile)), ok);
    if (!ok) {
        QCOMPARE(profile, QByteArray("untouched"));
        return;
    }
    QCOMPARE(profile, answer.mid(8, 476));
    if (familyC) // no trailer of its own: the image is kept as it came
        QCOMPARE(rig.driver->profileImage(), answer.mid(8, 1024));
}

void TstUsbDriverOX6::writeProfileCompletesTrailer()
{
    Rig rig(3);
    const QByteArray image = buildValidProfile(3, 1, 200, 9);
    rig.dataIf().answers.append(profileAnswer(image, 1, 200));
    QByteArray profile;
    QVERIFY(rig.driver->ReadProfileImage(profile));
    rig.bus.transfers.clear();
    rig.clock.resetCounters();

    profile[300] = char(0x42); // a CPI stage
    rig.dataIf().answers.append(statusAnswer(1, 0));
    QVERIFY(rig.driver->WriteProfileImage(profile));

    const auto sets = rig.sets();
    QCOMPARE(sets.size(), 2);
    const QByteArray sent = sets[0].bytes;
    QCOMPARE(sent.size(), 1032);
    QCOMPARE(sent.left(8), bytes({6, 0x03, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00}));
    QCOMPARE(sent.mid(8, 476), profile);
    // Trailer: seed, 0, settings sum.
    int odd = 0, even = 0;
    for (int i = 242; i <= 475; ++i)
        (i % 2 ? odd : even) += quint8(profile.at(i));
    const int t = odd + 3 * even;
    QCOMPARE(sent.mid(8 + 476, 5), bytes({1, 200, 0, t & 0xFF, (t >> 8) & 0xFF}));
    QCOMPARE(sent.mid(8 + 481, 23), image.mid(481, 23));
    QCOMPARE(sent.mid(512), QByteArray(520, '\0'));
    QCOMPARE(sets[1].bytes, bytes({5, 0x82, 0, 0, 0, 0}));
    // 100 before the write, 100 after it, 200 for one status poll.
    QCOMPARE(rig.clock.totalSleptMs(), qint64(400));
}

void TstUsbDriverOX6::writeProfileRefusesBadChecksum_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("sent");
    QTest::newRow("OX2 refuses") << 2 << false;
    QTest::newRow("OX8 writes anyway") << 18 << true;
}

void TstUsbDriverOX6::writeProfileRefusesBadChecksum()
{
    QFETCH(int, type);
    QFETCH(bool, sent);
    Rig rig(type);
    QByteArray profile = buildValidProfile(2, 0, 0).left(476);
    profile[2] = char(quint8(profile[2]) + 1);
    rig.dataIf().answers.append(statusAnswer(1, 0));
    QCOMPARE(bool(rig.driver->WriteProfileImage(profile)), sent);
    QCOMPARE(rig.sets().isEmpty(), !sent);
}

void TstUsbDriverOX6::statusPoll_data()
{
    QTest::addColumn<QList<QByteArray>>("answers");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("polls");
    QTest::addColumn<int>("ms");
    const QByteArray done = statusAnswer(1, 0), busy = statusAnswer(1, 1);
    QTest::newRow("done at once") << QList<QByteArray>{done} << true << 1 << 200;
    QTest::newRow("done on the fourth poll") << QList<QByteArray>{busy, busy, busy, done} << true << 4 << 1100;
    QTest::newRow("busy four times fails") << QList<QByteArray>{busy, busy, busy, busy, done} << false << 4 << 1100;
    QTest::newRow("refused on the first answer") << QList<QByteArray>{statusAnswer(1, 0, true)} << false << 1 << 200;
    QTest::newRow("byte 7 later is ignored") << QList<QByteArray>{busy, statusAnswer(1, 0, true)} << true << 2
                                             << 500;
    QTest::newRow("another operation busy does not count")
        << QList<QByteArray>{bytes({6, 0x82, 0, 1, 1, 1, 1, 0})} << true << 1 << 200;
    QTest::newRow("wrong header") << QList<QByteArray>{bytes({6, 0x83, 0, 0, 0, 0, 0, 0}), done} << false << 1
                                  << 200;
    QTest::newRow("short answer") << QList<QByteArray>{bytes({6, 0x82, 0, 0}), done} << false << 1 << 200;
    QTest::newRow("no answer") << QList<QByteArray>{} << false << 1 << 200;
}

void TstUsbDriverOX6::statusPoll()
{
    QFETCH(QList<QByteArray>, answers);
    QFETCH(bool, ok);
    QFETCH(int, polls);
    QFETCH(int, ms);
    Rig rig;
    rig.dataIf().answers = answers;
    QCOMPARE(rig.driver->GetStatus(1), ok);
    const auto sets = rig.sets();
    QCOMPARE(sets.size(), polls);
    for (const auto &s : sets)
        QCOMPARE(s.bytes, bytes({5, 0x82, 0, 0, 0, 0}));
    QCOMPARE(rig.clock.totalSleptMs(), qint64(ms));
}

void TstUsbDriverOX6::readMacro_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("polls");
    Macro m;
    m.header = {{0x00, 0x02}};
    m.entries = {0x0104, 0x4010, 0x0204};
    QTest::newRow("terminated and done") << macroAnswerOf(m) << statusAnswer(2, 0) << true << 1;
    QTest::newRow("no terminator") << macroAnswerOf(m, false) << statusAnswer(2, 0) << false << 0;
    QTest::newRow("status refused") << macroAnswerOf(m) << statusAnswer(2, 0, true) << false << 1;
    QByteArray other = macroAnswerOf(m);
    other[1] = char(0x83);
    QTest::newRow("answer to another command") << other << statusAnswer(2, 0) << false << 0;
}

void TstUsbDriverOX6::readMacro()
{
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, status);
    QFETCH(bool, ok);
    QFETCH(int, polls);
    Rig rig;
    rig.dataIf().answers = {answer, status};
    Macro macro;
    macro.entries = {0x1111};
    QCOMPARE(bool(rig.driver->ReadMacro(148, macro)), ok);
    const auto sets = rig.sets();
    QCOMPARE(sets[0].bytes, bytes({5, 0x84, 148, 0x00, 0, 0}));
    QCOMPARE(sets.size(), 1 + polls);
    if (ok)
        QCOMPARE(macro.entries, (QVector<quint16>{0x0104, 0x4010, 0x0204}));
    else
        QCOMPARE(macro.entries, QVector<quint16>{0x1111});
}

void TstUsbDriverOX6::readAllMacrosAsksSeventeen()
{
    Rig rig;
    Macro m;
    m.entries = {0x0104};
    for (int i = 0; i < 17; ++i)
        rig.dataIf().answers << macroAnswerOf(m) << statusAnswer(2, 0);
    QList<USBDriver_OX6::MacroEntry> macros;
    QVERIFY(rig.driver->ReadAllMacros(macros));
    QCOMPARE(macros.size(), 17);
    QVector<int> asked;
    for (const auto &s : rig.sets())
        if (quint8(s.bytes[1]) == 0x84)
            asked.append(quint8(s.bytes[2]));
    QVector<int> expected;
    for (int n = 140; n <= 204; n += 4)
        expected.append(n);
    QCOMPARE(asked, expected);
    QCOMPARE(int(macros.last().number), 204);
}

void TstUsbDriverOX6::setMacroStruct()
{
    Rig rig;
    Macro m;
    m.header = {{0x01, 0x02}};
    m.entries = {0x0104, 0x4FFF};
    rig.dataIf().answers.append(statusAnswer(2, 0));
    QVERIFY(rig.driver->SetMacroStruct(m, 212));
    const auto sets = rig.sets();
    QCOMPARE(sets.size(), 2);
    QCOMPARE(sets[0].bytes, padded(bytes({6, 0x04, 212, 0x00, 0x04, 0, 0, 0, 0x01, 0x02, 0x04, 0x01, 0xFF, 0x4F}),
                                   1032));
    QCOMPARE(sets[1].bytes, bytes({5, 0x82, 0, 0, 0, 0}));

    rig.bus.transfers.clear();
    m.entries = QVector<quint16>(511, 0x0104);
    QVERIFY(!rig.driver->SetMacroStruct(m, 212));
    QVERIFY(rig.sets().isEmpty());
}

void TstUsbDriverOX6::writeMacroListStopsAtFirstFailure()
{
    Rig rig;
    USBDriver_OX6::MacroEntry a, b, c;
    a.number = 140;
    a.macro.entries = {0x0104};
    b.number = 212;
    b.macro.entries = {0x0105};
    c.number = 216;
    c.macro.entries = {0x0106};
    rig.dataIf().answers = {statusAnswer(2, 0), statusAnswer(2, 0, true)};
    QVERIFY(!rig.driver->WriteMacroList(QList<USBDriver_OX6::MacroEntry>{a, b, c}));
    QList<int> written;
    for (const auto &s : rig.sets())
        if (quint8(s.bytes[1]) == 0x04) {
            written.append(quint8(s.bytes[2]));
            QCOMPARE(s.bytes.mid(3, 5), bytes({0x00, 0x04, 0, 0, 0}));
        }
    QCOMPARE(written, (QList<int>{140, 212}));

    // The buffer stays filled: the base operation uploads by index.
    rig.bus.transfers.clear();
    rig.dataIf().answers = {statusAnswer(2, 0)};
    QVERIFY(rig.driver->WriteMacroList(QList<int>{2}));
    QCOMPARE(int(quint8(rig.sets()[0].bytes[2])), 216);
    QVERIFY(!rig.driver->WriteMacroList(QList<int>{3}));

    QList<USBDriver_OX6::MacroEntry> tooMany;
    for (int i = 0; i < 25; ++i)
        tooMany.append(a);
    QVERIFY(!rig.driver->setMacroBuffer(tooMany));
}

void TstUsbDriverOX6::macroBlock()
{
    Rig rig;
    QByteArray block(1024, '\0');
    block[0] = 0x11;
    block[1023] = 0x22;
    rig.dataIf().answers.append(statusAnswer(3, 0));
    QVERIFY(rig.driver->WriteMacroBlock(block));
    QCOMPARE(rig.sets()[0].bytes, bytes({6, 0x05, 0x80, 0x00, 0x04, 0, 0, 0}) + block);
    QCOMPARE(rig.sets()[1].bytes, bytes({5, 0x82, 0, 0, 0, 0}));

    rig.bus.transfers.clear();
    QByteArray answer = bytes({6, 0x85, 0, 0, 0, 0, 0, 0}) + block;
    rig.dataIf().answers.append(answer);
    QByteArray back;
    QVERIFY(rig.driver->ReadMacroBlock(back));
    QCOMPARE(back, block);
    QCOMPARE(rig.sets()[0].bytes, bytes({5, 0x85, 0x80, 0, 0, 0}));

    rig.dataIf().answers.append(answer.left(1000));
    QVERIFY(!rig.driver->ReadMacroBlock(back));
}

void TstUsbDriverOX6::failedTransferEndsOperation()
{
    Rig rig(2);
    rig.commandIf().failSetsAfter = 0;
    rig.dataIf().answers.append(profileAnswer(buildValidProfile(2, 0, 1), 0, 1));
    QByteArray profile;
    QVERIFY(!rig.driver->ReadProfileImage(profile));
    QVERIFY(rig.bus.transfersOf(ScriptedHidBus::Transfer::GetFeature).isEmpty());

    rig.driver->closeDevice();
    QVERIFY(!rig.driver->isOpen());
    QVERIFY(!rig.driver->GetStatus(1));
}

QTEST_GUILESS_MAIN(TstUsbDriverOX6)
#include "tst_usbdriver_ox6.moc"
