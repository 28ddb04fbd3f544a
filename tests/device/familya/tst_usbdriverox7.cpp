#include "tests/common/bytesutil.h"
#include "tests/common/scriptedhidbus.h"
#include "device/familya/usbdriverox7.h"

#include "discovery/models.h"

#include <QtTest>

#include <functional>

using namespace familya;

namespace {
// Answers every command with status 1: memory reads with the byte pattern
// (address + i) & 0xFF, everything else with zero result bytes.
QByteArray patternAnswer(const QByteArray &lastWrite)
{
    if (lastWrite.size() >= 8 && quint8(lastWrite[2]) == kCmdReadMemory) {
        const int count = quint8(lastWrite[3]);
        const quint32 address = readLe32(lastWrite, 4);
        QByteArray data(3, '\0');
        for (int i = 0; i < count; ++i)
            data.append(char((address + quint32(i)) & 0xFF));
        return familyAAnswer(1, data);
    }
    return familyAAnswer(1);
}

// (count, address) of every memory command written.
QVector<QPair<int, quint32>> memoryCommands(const QVector<QByteArray> &writes, quint8 command)
{
    QVector<QPair<int, quint32>> out;
    for (const QByteArray &w : writes)
        if (w.size() >= 8 && quint8(w[2]) == command)
            out.append({quint8(w[3]), readLe32(w, 4)});
    return out;
}

using Op = std::function<int(USBDriverOX7 &)>;
using Commands = QVector<QPair<int, quint32>>;
} // namespace

Q_DECLARE_METATYPE(Op)

class TestUsbDriverOX7 : public QObject
{
    Q_OBJECT

private:
    // A wired OX7 with a mouse collection and the vendor collection, and an
    // OX7 receiver.
    struct Scene : ScriptedScene
    {
        std::shared_ptr<ScriptedInterface> mouseCollection;
        std::shared_ptr<ScriptedInterface> wired;
        std::shared_ptr<ScriptedInterface> receiver;
        USBDriverOX7 driver;

        explicit Scene(int mode = 0)
        {
            mouseCollection = bus.add(VID_KORVAN, PID_OX7_WIRED, 0x0001, 0x0002);
            wired = bus.add(VID_KORVAN, PID_OX7_WIRED, FAMILY_A_USAGE_PAGE, FAMILY_A_USAGE);
            receiver = bus.add(VID_KORVAN, PID_OX7_RECEIVER, FAMILY_A_USAGE_PAGE, FAMILY_A_USAGE);
            for (const auto &i : {mouseCollection, wired, receiver})
                i->responder = patternAnswer;
            driver.SetWiredWirelessString(hidPathFragment(VID_KORVAN, PID_OX7_WIRED),
                                          hidPathFragment(VID_KORVAN, PID_OX7_RECEIVER));
            driver.SetConnectionMode(mode);
        }
        ScriptedInterface &active() { return driver.ConnectionMode() == 0 ? *wired : *receiver; }
        bool open()
        {
            const bool ok = driver.FindHIDDevice();
            clock.resetCounters();
            return ok;
        }
    };

private slots:
    void opening_data();
    void opening();
    void closingReleasesTheHandle();

    void commandBytes_data();
    void commandBytes();
    void commandResults_data();
    void commandResults();

    void handshake_data();
    void handshake();

    void chunking_data();
    void chunking();
    void readDataLandsInPlace();
    void refusals_data();
    void refusals();
    void brokenAnswers_data();
    void brokenAnswers();
    void chunkFailureStopsTheTransfer();

    void quickStatusRead();
    void receiverAcknowledge_data();
    void receiverAcknowledge();
    void workModel_data();
    void workModel();

    void profileRecordRead();
    void profileRecordWrite();
    void cpiMatrixKeepsTheStageIndex();
    void byteWritesReadModifyWrite();
    void macroPages();
    void macroPageReadBack_data();
    void macroPageReadBack();
    void pictures();
};

// --- Opening -------------------------------------------------------------------

void TestUsbDriverOX7::opening_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("receiverPresent");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QString>("usedPath");
    QTest::addColumn<int>("enumerations");

    QTest::newRow("wired opens the cable's vendor collection") << 0 << true << true << "scripted:1" << 1;
    QTest::newRow("receiver mode opens the receiver") << 1 << true << true << "scripted:2" << 1;
    QTest::newRow("mode 2 does not call the library") << 2 << true << false << QString() << 0;
    QTest::newRow("receiver mode without a receiver fails") << 1 << false << false << QString() << 1;
}

void TestUsbDriverOX7::opening()
{
    QFETCH(int, mode);
    QFETCH(bool, receiverPresent);
    QFETCH(bool, opened);
    QFETCH(QString, usedPath);
    QFETCH(int, enumerations);

    Scene s(mode);
    if (!receiverPresent)
        s.receiver->info.vendorId = 0x1234;
    if (mode == 2)
        QTest::ignoreMessage(QtDebugMsg, "DeviceWireless error");
    QCOMPARE(s.driver.FindHIDDevice(), opened);
    QCOMPARE(s.driver.IsOpen(), opened);
    QCOMPARE(s.bus.enumerations, enumerations);
    QCOMPARE(s.bus.opens, opened ? 1 : 0);
    if (!opened) {
        QCOMPARE(s.driver.SetCurrentProfile(1), 0); // commands on a closed driver fail at the write
        return;
    }
    QVERIFY(s.driver.SetCurrentProfile(1));
    for (const auto &i : {s.mouseCollection, s.wired, s.receiver})
        QCOMPARE(i->writes.size(), i->info.path == usedPath ? 1 : 0);
}

void TestUsbDriverOX7::closingReleasesTheHandle()
{
    Scene s;
    QVERIFY(s.open());
    s.driver.UnInitDevice();
    QVERIFY(!s.driver.IsOpen());
    QCOMPARE(s.driver.SetCurrentProfile(1), 0);
    QCOMPARE(s.wired->writes.size(), 0);
    // Opening again first closes, and finds the device again.
    QVERIFY(s.open());
    QVERIFY(s.open());
    QCOMPARE(s.bus.opens, 3);
}

// --- Commands ------------------------------------------------------------------

void TestUsbDriverOX7::commandBytes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<Op>("op");
    QTest::addColumn<QByteArray>("report");

    QTest::newRow("select profile 1") << 0 << Op([](USBDriverOX7 &d) { return d.SetCurrentProfile(1); })
                                      << hexBytes("baffa101");
    QTest::newRow("select profile through the receiver")
        << 1 << Op([](USBDriverOX7 &d) { return d.SetCurrentProfile(1); }) << hexBytes("baa5a101");
    QTest::newRow("current profile") << 0 << Op([](USBDriverOX7 &d) {
        quint8 p;
        return d.GetCurrentProfile(p);
    }) << hexBytes("baffa200");
    QTest::newRow("firmware version") << 0 << Op([](USBDriverOX7 &d) {
        quint32 v;
        return d.GetFirmwareVersion(v);
    }) << hexBytes("baffa300");
    QTest::newRow("work mode of the mouse") << 0 << Op([](USBDriverOX7 &d) { return d.ReadWorkMode(); })
                                            << hexBytes("baffa7");
    QTest::newRow("restart into the boot loader") << 0 << Op([](USBDriverOX7 &d) { return d.EnterBootloader(); })
                                                  << hexBytes("baffa8");
    QTest::newRow("16-bit status") << 0 << Op([](USBDriverOX7 &d) {
        quint16 v;
        return d.ReadStatusWord(v);
    }) << hexBytes("baffa9");
    QTest::newRow("battery") << 1 << Op([](USBDriverOX7 &d) {
        quint32 v;
        return d.ReadStatusDword(v);
    }) << hexBytes("baa5aa");
    QTest::newRow("one-byte command") << 0 << Op([](USBDriverOX7 &d) { return d.SendByteCommand(5); })
                                      << hexBytes("baffab05");
    QTest::newRow("word read in slot 1") << 0 << Op([](USBDriverOX7 &d) {
        quint32 v;
        return d.GetReportInterval(v, 1);
    }) << hexBytes("baffa40480080000");
    QTest::newRow("word write in slot 0") << 0 << Op([](USBDriverOX7 &d) { return d.SetReportInterval(8, 0); })
                                          << hexBytes("baffa5048004000008000000");
    QTest::newRow("display value goes to the working copy")
        << 0 << Op([](USBDriverOX7 &d) { return d.SetDisplayValue(7); }) << hexBytes("baffa504a008000007000000");
    QTest::newRow("product id read at address 4") << 0 << Op([](USBDriverOX7 &d) {
        QByteArray b;
        return d.GetMousePid(b);
    }) << hexBytes("baffa40404000000");
    QTest::newRow("button 2 word of slot 1 comes after button 3")
        << 0 << Op([](USBDriverOX7 &d) { return d.WriteButton(2, 0x00040003, 1); })
        << hexBytes("baffa504080600000300" "0400");
    QTest::newRow("button 8 word of slot 1 follows button 11")
        << 0 << Op([](USBDriverOX7 &d) { return d.WriteButton(8, 0xFFFFFFFF, 1); })
        << hexBytes("baffa50424060000ffffffff");
}

void TestUsbDriverOX7::commandBytes()
{
    QFETCH(int, mode);
    QFETCH(Op, op);
    QFETCH(QByteArray, report);

    Scene s(mode);
    QVERIFY(s.open());
    QVERIFY(op(s.driver));
    ScriptedInterface &i = s.active();
    QVERIFY(!i.writes.isEmpty());
    const QByteArray written = i.writes.last();
    QCOMPARE(written.size(), 32);
    QCOMPARE(written.left(report.size()).toHex(), report.toHex());
    QCOMPARE(written.mid(report.size()), QByteArray(32 - report.size(), '\0'));
}

void TestUsbDriverOX7::commandResults_data()
{
    QTest::addColumn<QByteArray>("result");
    QTest::addColumn<Op>("op");
    QTest::addColumn<quint32>("expected");

    QTest::newRow("version bytes 1..4 little-endian") << hexBytes("20000000") << Op([](USBDriverOX7 &d) {
        quint32 v = 0;
        return d.GetFirmwareVersion(v) ? int(v) : -1;
    }) << 32u;
    QTest::newRow("current profile byte 1") << hexBytes("01") << Op([](USBDriverOX7 &d) {
        quint8 p = 9;
        return d.GetCurrentProfile(p) && d.CurrentProfile() == p ? int(p) : -1;
    }) << 1u;
    QTest::newRow("status word bytes 1..2") << hexBytes("d007") << Op([](USBDriverOX7 &d) {
        quint16 v = 0;
        return d.ReadStatusWord(v) ? int(v) : -1;
    }) << 2000u;
    QTest::newRow("battery bytes 1..4") << hexBytes("80020000") << Op([](USBDriverOX7 &d) {
        quint32 v = 0;
        return d.ReadStatusDword(v) ? int(v) : -1;
    }) << 640u;
    QTest::newRow("stage count is byte 2 of the word") << hexBytes("000000" "08000600") << Op([](USBDriverOX7 &d) {
        int v = 0;
        return d.GetCpiStageCount(v, 1) ? v : -1;
    }) << 6u;
    QTest::newRow("one display parameter byte") << hexBytes("000000" "0a0b0c0d") << Op([](USBDriverOX7 &d) {
        quint8 v = 0;
        return d.GetDisplayParam(6, v, 1) ? int(v) : -1;
    }) << 0x0Cu;
}

void TestUsbDriverOX7::commandResults()
{
    QFETCH(QByteArray, result);
    QFETCH(Op, op);
    QFETCH(quint32, expected);

    Scene s;
    QVERIFY(s.open());
    s.wired->responder = [result](const QByteArray &) { return familyAAnswer(1, result); };
    QCOMPARE(op(s.driver), int(expected));
}

// --- Status handshake ------------------------------------------------------------

void TestUsbDriverOX7::handshake_data()
{
    QTest::addColumn<QVector<int>>("statuses"); // -1: the read fails
    QTest::addColumn<int>("repeatLast");        // the last status repeats this often
    QTest::addColumn<bool>("failWrites");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("writes");
    QTest::addColumn<int>("reads");
    QTest::addColumn<int>("waitedMs");

    QTest::newRow("done at once") << QVector<int>{1} << 0 << false << true << 1 << 1 << 10;
    QTest::newRow("status 2 reads again without rewriting") << QVector<int>{2, 1} << 0 << false << true << 1 << 2
                                                            << 20;
    QTest::newRow("status 0 rewrites") << QVector<int>{0, 1} << 0 << false << true << 2 << 2 << 20;
    QTest::newRow("not ready reads again") << QVector<int>{3, 7, 1} << 0 << false << true << 1 << 3 << 30;
    QTest::newRow("busy past one attempt keeps reading")
        << QVector<int>{2} << 30 << false << false << 1 << 100 << 1000;
    QTest::newRow("failed every time rewrites four times") << QVector<int>{0} << 10 << false << false << 4 << 4
                                                           << 40;
    QTest::newRow("no answer rewrites four times") << QVector<int>{-1} << 200 << false << false << 4 << 100 << 1000;
    QTest::newRow("not ready for a whole attempt ends the command")
        << QVector<int>{3} << 30 << false << false << 1 << 25 << 250;
    QTest::newRow("busy then failed rewrites") << QVector<int>{2, 2, 0, 1} << 0 << false << true << 2 << 4 << 40;
    QTest::newRow("a write that fails is tried four times") << QVector<int>{1} << 0 << true << false << 4 << 0 << 0;
}

void TestUsbDriverOX7::handshake()
{
    QFETCH(QVector<int>, statuses);
    QFETCH(int, repeatLast);
    QFETCH(bool, failWrites);
    QFETCH(bool, ok);
    QFETCH(int, writes);
    QFETCH(int, reads);
    QFETCH(int, waitedMs);

    Scene s;
    QVERIFY(s.open());
    s.wired->responder = nullptr;
    s.wired->failWrites = failWrites;
    QVector<int> script = statuses;
    for (int k = 0; k < repeatLast; ++k)
        script.append(statuses.last());
    for (int st : script)
        s.wired->answers.push_back(st < 0 ? QByteArray() : familyAAnswer(quint8(st), hexBytes("01")));

    quint8 profile = 0;
    QCOMPARE(bool(s.driver.GetCurrentProfile(profile)), ok);
    QCOMPARE(s.wired->writes.size(), writes);
    for (const QByteArray &w : s.wired->writes)
        QCOMPARE(w.left(4).toHex(), QByteArray("baffa200"));
    QCOMPARE(s.wired->inputReportRequests, reads);
    QCOMPARE(s.clock.totalSleptMs(), qint64(waitedMs));
    if (ok)
        QCOMPARE(int(profile), 1);
}

// --- Memory transfers -------------------------------------------------------------

void TestUsbDriverOX7::chunking_data()
{
    QTest::addColumn<bool>("write");
    QTest::addColumn<quint32>("address");
    QTest::addColumn<int>("length");
    QTest::addColumn<Commands>("commands");

    using C = Commands;
    QTest::newRow("48-byte read is exactly two chunks") << false << 0x1000u << 48 << C{{24, 0x1000}, {24, 0x1018}};
    QTest::newRow("50-byte read adds a 2-byte rest")
        << false << 0x1000u << 50 << C{{24, 0x1000}, {24, 0x1018}, {2, 0x1030}};
    QTest::newRow("20-byte read is one rest command") << false << 0x880u << 20 << C{{20, 0x880}};
    QTest::newRow("44-byte button block read") << false << 0x600u << 44 << C{{24, 0x600}, {20, 0x618}};
    QTest::newRow("48-byte write is exactly two chunks") << true << 0x2000u << 48 << C{{24, 0x2000}, {24, 0x2018}};
    QTest::newRow("50-byte write adds a 2-byte rest")
        << true << 0x2000u << 50 << C{{24, 0x2000}, {24, 0x2018}, {2, 0x2030}};
    QTest::newRow("6-byte write at 0x1000 is carried out") << true << 0x1000u << 6 << C{{6, 0x1000}};
    QTest::newRow("384-byte picture is sixteen chunks") << true << 0x22000u << 384
                                                        << C{{24, 0x22000}, {24, 0x22018}, {24, 0x22030},
                                                             {24, 0x22048}, {24, 0x22060}, {24, 0x22078},
                                                             {24, 0x22090}, {24, 0x220A8}, {24, 0x220C0},
                                                             {24, 0x220D8}, {24, 0x220F0}, {24, 0x22108},
                                                             {24, 0x22120}, {24, 0x22138}, {24, 0x22150},
                                                             {24, 0x22168}};
}

void TestUsbDriverOX7::chunking()
{
    QFETCH(bool, write);
    QFETCH(quint32, address);
    QFETCH(int, length);
    QFETCH(Commands, commands);

    Scene s;
    QVERIFY(s.open());
    QByteArray data(length, '\0');
    for (int i = 0; i < length; ++i)
        data[i] = char(i + 1);
    if (write) {
        QVERIFY(s.driver.WriteEEPROM(address, data));
        QCOMPARE(memoryCommands(s.wired->writes, kCmdWriteMemory), commands);
        // Each chunk carries its own slice of the data right after the address.
        int offset = 0;
        for (const QByteArray &w : s.wired->writes) {
            const int n = quint8(w[3]);
            QCOMPARE(w.mid(8, n), data.mid(offset, n));
            QCOMPARE(w.mid(8 + n), QByteArray(32 - 8 - n, '\0'));
            offset += n;
        }
    } else {
        QByteArray out;
        QVERIFY(s.driver.ReadEEPROM(address, length, out));
        QCOMPARE(out.size(), length);
        QCOMPARE(memoryCommands(s.wired->writes, kCmdReadMemory), commands);
    }
    QCOMPARE(s.wired->writes.size(), commands.size());
}

void TestUsbDriverOX7::readDataLandsInPlace()
{
    Scene s;
    QVERIFY(s.open());
    QByteArray out;
    QVERIFY(s.driver.ReadEEPROM(0x10F0, 50, out));
    QByteArray expected;
    for (int i = 0; i < 50; ++i)
        expected.append(char((0x10F0 + i) & 0xFF));
    QCOMPARE(out.toHex(), expected.toHex());
}

void TestUsbDriverOX7::refusals_data()
{
    QTest::addColumn<Op>("op");

    QTest::newRow("6-byte write below 0x1000") << Op([](USBDriverOX7 &d) {
        return d.WriteEEPROM(0x480, QByteArray(6, '\1'));
    });
    QTest::newRow("6-byte read below 0x1000") << Op([](USBDriverOX7 &d) {
        QByteArray out;
        return d.ReadEEPROM(0xFFC, 6, out);
    });
    QTest::newRow("zero-length read") << Op([](USBDriverOX7 &d) {
        QByteArray out;
        return d.ReadEEPROM(0x1000, 0, out);
    });
    QTest::newRow("empty write") << Op([](USBDriverOX7 &d) { return d.WriteEEPROM(0x1000, QByteArray()); });
    QTest::newRow("read past the address space") << Op([](USBDriverOX7 &d) {
        QByteArray out;
        return d.ReadEEPROM(0xFFFFFFF0u, 24, out);
    });
    QTest::newRow("settings of slot 2") << Op([](USBDriverOX7 &d) { return d.SetReportInterval(1, 2); });
    QTest::newRow("button 12") << Op([](USBDriverOX7 &d) { return d.WriteButton(12, 0, 1); });
    QTest::newRow("button write to slot 2") << Op([](USBDriverOX7 &d) { return d.WriteButton(1, 0, 2); });
    QTest::newRow("button read from slot 0") << Op([](USBDriverOX7 &d) {
        quint32 w;
        return d.ReadButton(1, w, 0);
    });
    QTest::newRow("profile-base write over 32 bytes") << Op([](USBDriverOX7 &d) {
        return d.WriteMemory(QByteArray(36, '\0'), 0);
    });
    QTest::newRow("display parameter 8") << Op([](USBDriverOX7 &d) { return d.SetDisplayParam(8, 1); });
    QTest::newRow("CPI matrix of 15 bytes") << Op([](USBDriverOX7 &d) { return d.SetCpiMatrix(QByteArray(15, 0), 1); });
    QTest::newRow("LED entry at an odd offset") << Op([](USBDriverOX7 &d) { return d.SetLedColorMatrixEntry(2, 0); });
    QTest::newRow("empty LED matrix") << Op([](USBDriverOX7 &d) { return d.SetLedColorMatrixAll({}); });
    QTest::newRow("command of 31 bytes in mouse form") << Op([](USBDriverOX7 &d) {
        return d.WriteReport(QByteArray(31, '\xA5'));
    });
    QTest::newRow("macro page index 11") << Op([](USBDriverOX7 &d) {
        return d.WriteMacro(11, MacroKind::First, {keyEvent(true, 0x41)}, 1);
    });
    QTest::newRow("a key without usage writes nothing") << Op([](USBDriverOX7 &d) {
        return d.WriteMacro(0, MacroKind::First, {keyEvent(true, 0x41), keyEvent(true, 0x07)}, 1);
    });
    QTest::newRow("page whose length field disagrees") << Op([](USBDriverOX7 &d) {
        return d.WriteMacroPage(0, MacroKind::First, hexBytes("0a000100010004"));
    });
    QTest::newRow("picture of 383 bytes") << Op([](USBDriverOX7 &d) { return d.WritePicture(0, QByteArray(383, 0)); });
    QTest::newRow("picture of 385 bytes") << Op([](USBDriverOX7 &d) { return d.WritePicture(0, QByteArray(385, 0)); });
    QTest::newRow("picture number -1") << Op([](USBDriverOX7 &d) {
        QByteArray out;
        return d.ReadPicture(-1, out);
    });
    QTest::newRow("record of 127 bytes") << Op([](USBDriverOX7 &d) {
        return d.SetProfileData(QByteArray(127, 0));
    });
}

void TestUsbDriverOX7::refusals()
{
    QFETCH(Op, op);
    Scene s;
    QVERIFY(s.open());
    QCOMPARE(op(s.driver), 0);
    QCOMPARE(s.wired->writes.size(), 0);
    QCOMPARE(s.wired->inputReportRequests, 0);
}

void TestUsbDriverOX7::brokenAnswers_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("ok");

    QByteArray longAnswer = familyAAnswer(1, QByteArray(3, '\0') + QByteArray(24, '\x5A'), 64);
    longAnswer.append(QByteArray(40, '\x77'));
    QTest::newRow("answer cut before its data") << familyAAnswer(1, QByteArray(3, '\0') + QByteArray(4, '\x5A'), 0)
                                                << false;
    QTest::newRow("only the report id") << QByteArray(1, char(0xBA)) << false;
    QTest::newRow("answer carrying another report id") << QByteArray(32, '\x01') << false;
    QTest::newRow("garbage status") << familyAAnswer(0x77, QByteArray(27, '\x5A')) << false;
    QTest::newRow("over-long answer is cut") << longAnswer << true;
}

void TestUsbDriverOX7::brokenAnswers()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, ok);

    Scene s;
    QVERIFY(s.open());
    s.wired->responder = [answer](const QByteArray &) { return answer; };
    QByteArray out("stale");
    QCOMPARE(bool(s.driver.ReadEEPROM(0x1000, 24, out)), ok);
    if (ok)
        QCOMPARE(out, QByteArray(24, '\x5A'));
    else
        QCOMPARE(out, QByteArray("stale"));
    QVERIFY(s.clock.totalSleptMs() <= 1000);
}

void TestUsbDriverOX7::chunkFailureStopsTheTransfer()
{
    Scene s;
    QVERIFY(s.open());
    int commands = 0;
    s.wired->responder = [&commands](const QByteArray &) {
        ++commands;
        return commands == 2 ? familyAAnswer(0) : familyAAnswer(1);
    };
    QSignalSpy messages(&s.driver, &USBDriverOX7::sigMsg);
    // The second chunk fails once, is written again and then succeeds: one
    // chunk written twice, three chunks in all.
    QVERIFY(s.driver.WriteEEPROM(0x3000, QByteArray(72, '\1')));
    QCOMPARE(memoryCommands(s.wired->writes, kCmdWriteMemory).size(), 4);

    s.wired->writes.clear();
    s.wired->responder = [](const QByteArray &w) {
        return readLe32(w, 4) >= 0x3018 ? familyAAnswer(0) : familyAAnswer(1);
    };
    messages.clear();
    QVERIFY(!s.driver.WriteEEPROM(0x3000, QByteArray(72, '\1')));
    // First chunk once, second chunk four times, third never.
    QCOMPARE(memoryCommands(s.wired->writes, kCmdWriteMemory),
             (QVector<QPair<int, quint32>>{{24, 0x3000}, {24, 0x3018}, {24, 0x3018}, {24, 0x3018}, {24, 0x3018}}));
    QVERIFY(!messages.isEmpty());
    QVERIFY(messages.last().at(0).toString().startsWith(QLatin1String("WriteEEPROM Failed,Addr=3018")));
}

void TestUsbDriverOX7::quickStatusRead()
{
    Scene s;
    QVERIFY(s.open());
    s.wired->responder = nullptr;
    s.wired->answers = {familyAAnswer(3), QByteArray(), familyAAnswer(2), familyAAnswer(1, hexBytes("3412"))};
    quint16 v = 0;
    QVERIFY(s.driver.QuickStatusRead(v));
    QCOMPARE(v, quint16(0x1234));
    QCOMPARE(s.wired->writes.size(), 1);
    QCOMPARE(s.wired->writes[0].left(3).toHex(), QByteArray("baffaa"));
    QCOMPARE(s.clock.totalSleptMs(), qint64(40));

    // Five reads without a status of 1 fail; the fifth read is looked at too.
    s.wired->answers = {familyAAnswer(2), familyAAnswer(2), familyAAnswer(2), familyAAnswer(2),
                        familyAAnswer(1, hexBytes("0100"))};
    QVERIFY(s.driver.QuickStatusRead(v));
    QCOMPARE(v, quint16(1));
    s.wired->answers = {familyAAnswer(2), familyAAnswer(2), familyAAnswer(2), familyAAnswer(2), familyAAnswer(2),
                        familyAAnswer(1, hexBytes("0100"))};
    QVERIFY(!s.driver.QuickStatusRead(v));
}

// --- Receiver commands -------------------------------------------------------------

void TestUsbDriverOX7::receiverAcknowledge_data()
{
    QTest::addColumn<QVector<int>>("statuses");
    QTest::addColumn<bool>("failWrite");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("reads");
    QTest::addColumn<int>("waitedMs");

    QTest::newRow("acknowledged on the first read") << QVector<int>{1} << false << true << 1 << 50;
    QTest::newRow("acknowledged on the third read") << QVector<int>{0, -1, 1} << false << true << 3 << 150;
    QTest::newRow("acknowledged on the fifth read") << QVector<int>{2, 2, 2, 2, 1} << false << true << 5 << 250;
    QTest::newRow("no acknowledge in five reads") << QVector<int>{0, 0, 0, 0, 0, 1} << false << false << 5 << 250;
    QTest::newRow("write fails") << QVector<int>{1} << true << false << 0 << 0;
}

void TestUsbDriverOX7::receiverAcknowledge()
{
    QFETCH(QVector<int>, statuses);
    QFETCH(bool, failWrite);
    QFETCH(bool, ok);
    QFETCH(int, reads);
    QFETCH(int, waitedMs);

    Scene s(1);
    QVERIFY(s.open());
    s.receiver->responder = nullptr;
    s.receiver->failWrites = failWrite;
    for (int st : statuses)
        s.receiver->answers.push_back(st < 0 ? QByteArray() : familyAAnswer(quint8(st)));
    if (failWrite)
        QTest::ignoreMessage(QtDebugMsg, "SendCommandDONGLE write Failed");
    else if (!ok)
        QTest::ignoreMessage(QtDebugMsg, "GetCommand ACK != 1 Failed");
    else
        QTest::ignoreMessage(QtDebugMsg, "GetCommand ACK == 1 OK");

    QCOMPARE(bool(s.driver.SendCommandDongleWithAck(hexBytes("a18f78563412"))), ok);
    QCOMPARE(s.receiver->writes.size(), 1);
    QCOMPARE(s.receiver->writes[0].toHex(), (hexBytes("baa18f78563412") + QByteArray(25, '\0')).toHex());
    QCOMPARE(s.receiver->inputReportRequests, reads);
    QCOMPARE(s.clock.totalSleptMs(), qint64(waitedMs));
}

void TestUsbDriverOX7::workModel_data()
{
    QTest::addColumn<QVector<QByteArray>>("answers");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("mode");

    QTest::newRow("paired") << QVector<QByteArray>{familyAAnswer(1, hexBytes("00"))} << true << 0;
    QTest::newRow("still pairing after a busy read")
        << QVector<QByteArray>{familyAAnswer(2, hexBytes("09")), familyAAnswer(1, hexBytes("03"))} << true << 3;
    QTest::newRow("never acknowledged") << QVector<QByteArray>(5, familyAAnswer(0, hexBytes("00"))) << false << -1;
}

void TestUsbDriverOX7::workModel()
{
    QFETCH(QVector<QByteArray>, answers);
    QFETCH(bool, ok);
    QFETCH(int, mode);

    Scene s(1);
    QVERIFY(s.open());
    s.receiver->responder = nullptr;
    for (const QByteArray &a : answers)
        s.receiver->answers.push_back(a);
    if (!ok)
        QTest::ignoreMessage(QtDebugMsg, "readWorkModel failed");
    int m = -1;
    QCOMPARE(bool(s.driver.ReadWorkModel(m)), ok);
    QCOMPARE(m, mode);
    QCOMPARE(s.receiver->writes.size(), 1);
    QCOMPARE(s.receiver->writes[0].left(3).toHex(), QByteArray("baa700"));
}

// --- Records, matrices, pages -------------------------------------------------------

void TestUsbDriverOX7::profileRecordRead()
{
    Scene s;
    QVERIFY(s.open());
    s.wired->responder = [](const QByteArray &w) {
        switch (quint8(w[2])) {
        case kCmdGetProfile: return familyAAnswer(1, hexBytes("01"));
        case kCmdStatusWord: return familyAAnswer(1, hexBytes("d007"));
        case kCmdBattery: return familyAAnswer(1, hexBytes("c8020000"));
        default: return patternAnswer(w);
        }
    };
    QByteArray record(kRecordSize, '\xCD');
    QVERIFY(s.driver.GetProfileData(record));

    QVector<quint8> commands;
    for (const QByteArray &w : s.wired->writes)
        commands.append(quint8(w[2]));
    QCOMPARE(commands, (QVector<quint8>{0xA2, 0xA9, 0xAA, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4}));
    QCOMPARE(memoryCommands(s.wired->writes, kCmdReadMemory),
             (QVector<QPair<int, quint32>>{{24, 0x600}, {20, 0x618}, {24, 0x880}, {24, 0x898}, {20, 0x8B0}}));

    QCOMPARE(record.left(16).toHex(), QByteArray("01000000cdcdcdcdd007cdcdc8020000"));
    QCOMPARE(int(quint8(record[16])), 0x00);  // 0x600 & 0xFF
    QCOMPARE(int(quint8(record[59])), 0x2B);  // 0x62B
    QCOMPARE(int(quint8(record[60])), 0x80);  // 0x880
    QCOMPARE(int(quint8(record[127])), 0xC3); // 0x8C3

    // A failed block read fails the record.
    s.wired->responder = [](const QByteArray &w) {
        if (quint8(w[2]) == kCmdGetProfile)
            return familyAAnswer(1, hexBytes("01"));
        return quint8(w[2]) == kCmdReadMemory && readLe32(w, 4) == 0x898 ? familyAAnswer(0) : patternAnswer(w);
    };
    QVERIFY(!s.driver.GetProfileData(record));
}

void TestUsbDriverOX7::profileRecordWrite()
{
    Scene s;
    QVERIFY(s.open());
    s.wired->responder = [](const QByteArray &w) {
        return quint8(w[2]) == kCmdGetProfile ? familyAAnswer(1, hexBytes("00")) : patternAnswer(w);
    };
    QSignalSpy written(&s.driver, &USBDriverOX7::sigWriteIntoMouseSucced);
    QByteArray record(kRecordSize, '\0');
    for (int i = 0; i < kRecordSize; ++i)
        record[i] = char(i);
    QVERIFY(s.driver.SetProfileData(record));
    QCOMPARE(written.count(), 1);
    // The current profile is asked first; buttons go to 0x600 whatever it is.
    QCOMPARE(quint8(s.wired->writes[0][2]), kCmdGetProfile);
    QCOMPARE(memoryCommands(s.wired->writes, kCmdWriteMemory),
             (QVector<QPair<int, quint32>>{{24, 0x600}, {20, 0x618}, {24, 0x480}, {24, 0x498}, {20, 0x4B0}}));
    QCOMPARE(s.wired->writes[1].mid(8, 24), record.mid(16, 24));
    QCOMPARE(s.wired->writes.last().mid(8, 20), record.mid(108, 20));
}

void TestUsbDriverOX7::cpiMatrixKeepsTheStageIndex()
{
    Scene s;
    QVERIFY(s.open());
    s.wired->responder = [](const QByteArray &w) {
        if (quint8(w[2]) == kCmdReadMemory && readLe32(w, 4) == 0x894)
            return familyAAnswer(1, hexBytes("000000" "11220433"));
        return familyAAnswer(1);
    };
    QVERIFY(s.driver.SetCpiMatrix(hexBytes("0800100020004000800000014001ffff"), 1));
    QCOMPARE(s.wired->writes.size(), 2);
    QCOMPARE(s.wired->writes[0].left(8).toHex(), QByteArray("baffa40494080000"));
    QCOMPARE(s.wired->writes[1].left(24).toHex(),
             QByteArray("baffa51088080000" "0800100020004000800000014001" "0400"));
}

void TestUsbDriverOX7::byteWritesReadModifyWrite()
{
    Scene s;
    QVERIFY(s.open());
    s.wired->responder = [](const QByteArray &w) {
        if (quint8(w[2]) == kCmdReadMemory)
            return familyAAnswer(1, hexBytes("000000" "02040204"));
        return familyAAnswer(1);
    };
    QVERIFY(s.driver.SetDpiLedRateLightIntensityByte(1, 0x09));
    QCOMPARE(s.wired->writes[0].left(8).toHex(), QByteArray("baffa40498080000"));
    QCOMPARE(s.wired->writes[1].left(12).toHex(), QByteArray("baffa50498080000" "02090204"));

    s.wired->writes.clear();
    QVERIFY(s.driver.SetCpiStageCount(3));
    QCOMPARE(s.wired->writes[1].left(12).toHex(), QByteArray("baffa50494080000" "02040304"));

    s.wired->writes.clear();
    QVERIFY(s.driver.SetOledWordByte(0, 0x20, 0));
    QCOMPARE(s.wired->writes[1].left(12).toHex(), QByteArray("baffa5049c040000" "20040204"));
}

void TestUsbDriverOX7::macroPages()
{
    Scene s;
    QVERIFY(s.open());
    QByteArray page;
    QVERIFY(s.driver.WriteMacro(2, MacroKind::First, {keyEvent(true, 0x41), delayEvent(50), keyEvent(false, 0x41)}, 1,
                                &page));
    QCOMPARE(page.toHex(), QByteArray("0a000100650004000004"));
    QCOMPARE(memoryCommands(s.wired->writes, kCmdWriteMemory), (QVector<QPair<int, quint32>>{{10, 0x3000}}));
    QCOMPARE(s.wired->writes[0].mid(8, 10), page);

    s.wired->writes.clear();
    QVERIFY(s.driver.WriteMacroPage(0, MacroKind::Second, page));
    QCOMPARE(memoryCommands(s.wired->writes, kCmdWriteMemory), (QVector<QPair<int, quint32>>{{10, 0x10000}}));

    // The free test reads the length field alone.
    s.wired->writes.clear();
    s.wired->responder = [](const QByteArray &) { return familyAAnswer(1, hexBytes("000000" "0000")); };
    bool isFree = false;
    QVERIFY(s.driver.IsMacroPageFree(10, MacroKind::First, isFree));
    QVERIFY(isFree);
    QCOMPARE(memoryCommands(s.wired->writes, kCmdReadMemory), (QVector<QPair<int, quint32>>{{2, 0xB000}}));
    s.wired->responder = [](const QByteArray &) { return familyAAnswer(1, hexBytes("000000" "0a00")); };
    QVERIFY(s.driver.IsMacroPageFree(10, MacroKind::First, isFree));
    QVERIFY(!isFree);
}

void TestUsbDriverOX7::macroPageReadBack_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<int>("bytesRead");

    QTest::newRow("used page is read to its length") << hexBytes("0a000100") << 10;
    QTest::newRow("length beyond a page reads nothing more") << hexBytes("88130100") << 0;
    QTest::newRow("free page reads nothing more") << hexBytes("00000000") << 0;
    QTest::newRow("a whole page") << hexBytes("00100100") << 4096;
}

void TestUsbDriverOX7::macroPageReadBack()
{
    QFETCH(QByteArray, header);
    QFETCH(int, bytesRead);

    Scene s;
    QVERIFY(s.open());
    s.wired->responder = [header](const QByteArray &w) {
        const int count = quint8(w[3]);
        QByteArray data = header + QByteArray(24, '\x42');
        data = data.left(count);
        return familyAAnswer(1, QByteArray(3, '\0') + data);
    };
    QByteArray buffer;
    QVERIFY(s.driver.ReadMacroPage(4, MacroKind::First, buffer));
    QCOMPARE(buffer.size(), 4096);
    const auto commands = memoryCommands(s.wired->writes, kCmdReadMemory);
    QCOMPARE(commands.first(), (QPair<int, quint32>{4, 0x5000}));
    int total = 0;
    for (int i = 1; i < commands.size(); ++i)
        total += commands[i].first;
    QCOMPARE(total, bytesRead);
    if (bytesRead == 0)
        QCOMPARE(buffer, QByteArray(4096, '\0'));
    else
        QCOMPARE(buffer.left(4), header);
    QVERIFY(buffer.mid(qMax(bytesRead, 0)) == QByteArray(4096 - bytesRead, '\0'));
}

void TestUsbDriverOX7::pictures()
{
    Scene s;
    QVERIFY(s.open());
    QByteArray picture(384, '\x3C');
    QVERIFY(s.driver.WritePicture(1, picture));
    const auto writes = memoryCommands(s.wired->writes, kCmdWriteMemory);
    QCOMPARE(writes.size(), 16);
    QCOMPARE(writes.first().second, 0x23000u);
    QCOMPARE(writes.last().second, 0x23000u + 15 * 24);

    QByteArray back;
    QVERIFY(s.driver.ReadPicture(0, back));
    QCOMPARE(back.size(), 384);
    QCOMPARE(memoryCommands(s.wired->writes, kCmdReadMemory).first().second, 0x22000u);
}

QTEST_GUILESS_MAIN(TestUsbDriverOX7)
#include "tst_usbdriverox7.moc"
