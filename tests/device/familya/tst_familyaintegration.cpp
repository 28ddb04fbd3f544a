#include "device/familya/familyacodec.h"
#include "sim/familya/familyascene.h"
#include "tests/common/macrotestutil.h"
#include "device/familya/usbdrivermangerox7.h"
#include "device/familya/usbdriverox7.h"

#include "platform/clock.h"
#include "sim/emulatedhidbus.h"
#include "config/jsonhandle.h"
#include "discovery/models.h"
#include "config/paths.h"
#include "tests/common/emulateddesk.h"
#include "tests/common/testutil.h"

#include <QRegularExpression>
#include <QtTest>

using namespace familya;

namespace {
QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The driver and manager of one model talking to its emulator, in virtual
// time, with APP in a temporary folder.
struct Rig : EmulatedDesk
{
    TempAppDir app;
    FamilyAScene scene;
    USBDriverOX7 driver;
    UsbDriverMangerOX7 manager;
    JsonHandle json;
    int type;

    Rig(int mouseType, bool throughReceiver)
        : type(mouseType)
    {
        scene = plugFamilyA(bus, mouseType, throughReceiver);
        attach(throughReceiver);
    }
    // A receiver of one model with a mouse of another model behind it.
    Rig(int receiverType, int pairedMouseType)
        : type(receiverType)
    {
        scene = plugFamilyAReceiver(bus, receiverType, pairedMouseType);
        attach(true);
    }
    ~Rig() { driver.UnInitDevice(); }

    void attach(bool throughReceiver)
    {
        driver.SetWiredWirelessString(wiredPathFragment(type), wirelessPathFragment(type));
        driver.SetConnectionMode(throughReceiver ? 1 : 0);
        manager.SetMouseType(type);
        manager.SetDriver(&driver);
        const ModelIdentity *m = modelForType(type);
        manager.InitModelDefaults(throughReceiver ? m->wirelessPid : m->wiredPid, VID_KORVAN);
    }

    bool openAndRead()
    {
        return manager.OpenDevice() && manager.SetCurrentProfile(1) && manager.GetProfileData();
    }
    FamilyAMouse &mouse() { return *scene.mouse; }
    QByteArray mem(quint32 address, int length) { return scene.mouse->memory(address, length); }
    QString configPath(int n) { return getConfigJsonFilePath(type, n); }
    QByteArray fileBlock(int n) { return json.getMouseData_Korvan(type, n); }
    QJsonObject fileMacro(int n, int position)
    {
        const QJsonObject root = QJsonDocument::fromJson(readFile(configPath(n))).object();
        return root.value(QStringLiteral("MacroDataOfGamingMode")).toObject().value(QString::number(position)).toObject();
    }
    QString macroFile(const QString &name, const QList<MacroNode> &nodes, int macroType = 0, int repeat = 1)
    {
        const QString path = getPlayerCustomDir() + QLatin1Char('/') + name + QStringLiteral(".json");
        json.setMacroName(path, name);
        json.writeMacroNodeList(path, nodes);
        json.setMacroType(path, macroType);
        json.setRepeatTimes(path, repeat);
        return path;
    }
};

QList<MacroNode> keyAMacro()
{
    return {keyNode(0x41, 0, 50), keyNode(0x41, 1, 0)};
}
} // namespace

class TestFamilyAIntegration : public QObject
{
    Q_OBJECT

private slots:
    void openAndReadTheWholeMouse_data();
    void openAndReadTheWholeMouse();
    void unreadableMacroPagesReadEmpty();
    void deviceMissing();

    void cpiList_data();
    void cpiList();
    void singleCpiStage_data();
    void singleCpiStage();
    void reportRate_data();
    void reportRate();
    void unknownReportIntervalReadsAsTheFactoryRate();

    void plainSettingsWords();

    void keyAssignment();
    void onlyLeftButtonGuard_data();
    void onlyLeftButtonGuard();
    void backToDefault();
    void factoryFreshMouseReadsUnchanged_data();
    void factoryFreshMouseReadsUnchanged();

    void singleMacro();
    void macroOnTheOnlyLeftButton();
    void macroWithoutUsageWritesNothing();
    void listMacros();

    void lighting();
    void oledPicture();
    void oledSettings();

    void battery_data();
    void battery();
    void foreignMouseBehindReceiver();
    void firmwareVersion();

    void compareWithLocalFiles_data();
    void compareWithLocalFiles();
    void compareFindsNothing();
    void loadProfile();
    void loadWithoutButtons();
    void factoryProfile();
    void saveKeepsOtherMembersAndSelectsProfile();

    void handshake_data();
    void handshake();

    void receiverPairingCommands();
    void receiverWithoutAcknowledge();
    void workModeDuringPairing_data();
    void workModeDuringPairing();

    void unplugMidWriteLeavesTheFile_data();
    void unplugMidWriteLeavesTheFile();
    void unplugDuringReadLeavesTheImage();

    void oldTextFilesRoundTrip();
    void brokenOldTextFileIsLeftAlone();
};

// --- Reading -------------------------------------------------------------------

void TestFamilyAIntegration::openAndReadTheWholeMouse_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("receiver");

    QTest::newRow("OX7 on its cable") << 11 << false;
    QTest::newRow("OX7 through its receiver") << 11 << true;
    QTest::newRow("OX4 wireless") << 12 << true;
    QTest::newRow("OX4C through its receiver") << 7 << true;
    QTest::newRow("OX7EU on its cable") << 14 << false;
}

void TestFamilyAIntegration::openAndReadTheWholeMouse()
{
    QFETCH(int, type);
    QFETCH(bool, receiver);

    Rig r(type, receiver);
    const QByteArray page1 = hexBytes("0a000100650004000004");
    const QByteArray list0 = hexBytes("07000200010029");
    QVERIFY(r.mouse().setMemory(0x2000, page1));
    QVERIFY(r.mouse().setMemory(0x10000, list0));
    r.mouse().setBatteryValue(640);

    QVERIFY(r.openAndRead());
    const QByteArray record = r.manager.ProfileRecord();
    QCOMPARE(record.mid(16, 44).toHex(), r.mem(0x600, 44).toHex());
    QCOMPARE(record.mid(60, 68).toHex(), r.mem(0x880, 68).toHex());
    QCOMPARE(readLe32(record, 0), 1u);
    QCOMPARE(readLe32(record, 12), 640u);
    QCOMPARE(r.manager.MacroBuffer(1).left(10), page1);
    QCOMPARE(r.manager.MacroBuffer(1).mid(10), QByteArray(4096 - 10, '\0'));
    QCOMPARE(r.manager.MacroBuffer(11).left(7), list0);
    for (int i : {0, 2, 10, 12, 13})
        QCOMPARE(r.manager.MacroBuffer(i), QByteArray(4096, '\0'));
    // Every command waited at least one poll interval.
    QVERIFY(r.clock.totalSleptMs() >= 10 * r.mouse().commandCount(kCmdReadMemory));
}

void TestFamilyAIntegration::unreadableMacroPagesReadEmpty()
{
    Rig r(11, false);
    QVERIFY(r.mouse().setMemory(0x2000, hexBytes("0800010001000400"))); // 8 is not 4 + 3n
    QVERIFY(r.mouse().setMemory(0x3000, hexBytes("88130100")));         // 5000: past a page
    QVERIFY(r.openAndRead());
    QCOMPARE(r.manager.MacroBuffer(1), QByteArray(4096, '\0'));
    QCOMPARE(r.manager.MacroBuffer(2), QByteArray(4096, '\0'));
}

void TestFamilyAIntegration::deviceMissing()
{
    Rig r(11, true);
    r.bus.unplugAll();
    QVERIFY(!r.manager.OpenDevice());
    QVERIFY(!r.manager.GetProfileData());
    int v = 0;
    QCOMPARE(r.manager.SetUsbReportRate(3, 1), 0);
    QCOMPARE(r.manager.GetBatteryPower(v, false), 0);
}

// --- CPI and report rate ---------------------------------------------------------

void TestFamilyAIntegration::cpiList_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QList<DWORD>>("values");
    QTest::addColumn<QByteArray>("matrix");
    QTest::addColumn<int>("currentStage");
    QTest::addColumn<QList<DWORD>>("readBack");

    QTest::newRow("OX4C 5000, 0, 800") << 7 << QList<DWORD>{5000, 0, 800}
                                       << hexBytes("3000060000000000000000000000" "0100") << 1
                                       << QList<DWORD>{5000, 800, 0, 0, 0, 0, 0};
    QTest::newRow("OX4 four stages") << 12 << QList<DWORD>{400, 800, 1600, 3200}
                                     << hexBytes("020006000e001e00000000000000" "0300") << 2
                                     << QList<DWORD>{400, 800, 1600, 3200, 0, 0, 0};
    QTest::newRow("OX7EU across 5000") << 14 << QList<DWORD>{1000, 5000, 6000, 16000}
                                       << hexBytes("0800300035006700000000000000" "0300") << 3
                                       << QList<DWORD>{1000, 5000, 6000, 16000, 0, 0, 0};
    QTest::newRow("OX7 seven stages") << 11 << QList<DWORD>{400, 800, 1600, 3200, 6400, 12800, 16000}
                                      << hexBytes("0800100020004000800000014001" "0600") << 3
                                      << QList<DWORD>{400, 800, 1600, 3200, 6400, 12800, 16000};
    QTest::newRow("OX7Q two stages") << 10 << QList<DWORD>{800, 0, 0, 1600}
                                     << hexBytes("1000200000000000000000000000" "0100") << 1
                                     << QList<DWORD>{800, 1600, 0, 0, 0, 0, 0};
}

void TestFamilyAIntegration::cpiList()
{
    QFETCH(int, type);
    QFETCH(QList<DWORD>, values);
    QFETCH(QByteArray, matrix);
    QFETCH(int, currentStage);
    QFETCH(QList<DWORD>, readBack);

    Rig r(type, true);
    QVERIFY(r.openAndRead());
    QVERIFY(r.manager.SetCPIListValue(values, 1));
    QCOMPARE(r.mem(0x888, 16).toHex(), matrix.toHex());
    QCOMPARE(int(quint8(r.mem(0x898, 1)[0])), currentStage);
    QList<DWORD> stages;
    QVERIFY(r.manager.GetCPIStageMatrix(stages, 1));
    QCOMPARE(stages, readBack);
    // The file follows the mouse.
    QCOMPARE(r.fileBlock(1).mid(68, 16).toHex(), matrix.toHex());
    QCOMPARE(int(quint8(r.fileBlock(1)[84])), currentStage);

    // A list without stages changes nothing.
    const int writes = r.mouse().memoryWrites();
    QCOMPARE(r.manager.SetCPIListValue({0, 0, 0, 0, 0, 0, 0}, 1), 0);
    QCOMPARE(r.mouse().memoryWrites(), writes);
}

void TestFamilyAIntegration::singleCpiStage_data()
{
    QTest::addColumn<int>("cpi");
    QTest::addColumn<int>("stage");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QList<DWORD>>("stages");

    // Starting from 400, 800, 1600 on an OX7.
    QTest::newRow("change the second stage") << 1000 << 2 << true << QList<DWORD>{400, 1000, 1600, 0, 0, 0, 0};
    QTest::newRow("add a fourth stage") << 3200 << 4 << true << QList<DWORD>{400, 800, 1600, 3200, 0, 0, 0};
    QTest::newRow("200 removes a stage and closes the gap") << 200 << 1 << true
                                                            << QList<DWORD>{800, 1600, 0, 0, 0, 0, 0};
    QTest::newRow("a stage past the end is refused") << 3200 << 6 << false
                                                     << QList<DWORD>{400, 800, 1600, 0, 0, 0, 0};
    QTest::newRow("removing a missing stage is refused") << 100 << 5 << false
                                                         << QList<DWORD>{400, 800, 1600, 0, 0, 0, 0};
}

void TestFamilyAIntegration::singleCpiStage()
{
    QFETCH(int, cpi);
    QFETCH(int, stage);
    QFETCH(bool, ok);
    QFETCH(QList<DWORD>, stages);

    Rig r(11, false);
    QVERIFY(r.openAndRead());
    QVERIFY(r.manager.SetCPIListValue({400, 800, 1600}, 1));
    QCOMPARE(bool(r.manager.SetDPIStageMatrix(cpi, stage, 1)), ok);
    QList<DWORD> read;
    QVERIFY(r.manager.GetCPIStageMatrix(read, 1));
    QCOMPARE(read, stages);
    int count = 0;
    for (DWORD s : stages)
        count += s ? 1 : 0;
    QCOMPARE(int(quint8(r.mem(0x894, 4)[2])), count - 1);
    QVERIFY(int(quint8(r.mem(0x898, 1)[0])) <= count - 1);
}

void TestFamilyAIntegration::reportRate_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("interval");

    QTest::newRow("125 Hz") << 0 << 8;
    QTest::newRow("250 Hz") << 1 << 4;
    QTest::newRow("500 Hz") << 2 << 2;
    QTest::newRow("1000 Hz") << 3 << 1;
}

void TestFamilyAIntegration::reportRate()
{
    QFETCH(int, index);
    QFETCH(int, interval);

    Rig r(9, true);
    QVERIFY(r.openAndRead());
    QVERIFY(r.manager.SetUsbReportRate(index, 1));
    QCOMPARE(readLe32(r.mem(0x880, 4), 0), quint32(interval));
    int back = -1;
    QVERIFY(r.manager.GetUsbReportRate(back, 1));
    QCOMPARE(back, index);
    QCOMPARE(readLe32(r.fileBlock(1), 60), quint32(interval));
    QCOMPARE(r.manager.SetUsbReportRate(4, 1), 0);
}

// An interval no rate has (a bad profile loaded before, say) used to make
// every later read of the mouse fail; it reads as the factory rate now.
void TestFamilyAIntegration::unknownReportIntervalReadsAsTheFactoryRate()
{
    Rig r(11, false);
    QVERIFY(r.openAndRead());
    QVERIFY(r.mouse().setMemory(0x880, QByteArray(4, '\0')));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("GetUsbReportRate unknown interval 0"));
    int index = -1;
    QVERIFY(r.manager.GetUsbReportRate(index, 1));
    QCOMPARE(index, 3); // the OX7's factory block runs at 1000 Hz
}

void TestFamilyAIntegration::plainSettingsWords()
{
    Rig r(8, true);
    QVERIFY(r.openAndRead());
    QVERIFY(r.manager.SetSilentHeight(3, 1));
    QCOMPARE(readLe32(r.mem(0x884, 4), 0), 3u);
    int v = 0;
    QVERIFY(r.manager.GetSilentHeight(v, 1));
    QCOMPARE(v, 3);
    QVERIFY(r.manager.SetAuxiliaryByte(9, 1));
    QCOMPARE(int(quint8(r.mem(0x89D, 1)[0])), 9);
    QVERIFY(r.manager.GetAuxiliaryByte(v, 1));
    QCOMPARE(v, 9);
    QCOMPARE(readLe32(r.fileBlock(1), 64), 3u);
    // The factory copy is written where asked and stays out of the image.
    const QByteArray record = r.manager.ProfileRecord();
    QVERIFY(r.manager.SetSilentHeight(5, 0));
    QCOMPARE(readLe32(r.mem(0x484, 4), 0), 5u);
    QCOMPARE(r.manager.ProfileRecord(), record);
    QByteArray settings;
    QVERIFY(r.manager.ReadSettingsRecord(settings, 0));
    QCOMPARE(settings, r.mem(0x480, 68));
}

// --- Buttons -------------------------------------------------------------------

void TestFamilyAIntegration::keyAssignment()
{
    Rig r(11, false);
    QVERIFY(r.openAndRead());
    QSignalSpy values(&r.manager, &UsbDriverMangerOX7::sig_TrueMouseValue);
    QVERIFY(r.manager.SetChangeButtonToKey(6, 29, 0x41, 0, 1));
    QCOMPARE(r.mem(0x620, 4).toHex(), QByteArray("00000400"));
    QCOMPARE(r.fileBlock(1).mid(16 + 0x20, 4).toHex(), QByteArray("00000400"));
    bool reported = false;
    for (const QList<QVariant> &v : values)
        if (v.at(0).toInt() == 6) {
            QCOMPARE(v.at(1).toInt(), 29);
            QCOMPARE(v.at(2).toInt(), 0x41);
            reported = true;
        }
    QVERIFY(reported);

    QVERIFY(r.manager.SetChangeButtonToKey(9, 30, 0x44, 8, 1));
    QCOMPARE(r.mem(0x60C, 4).toHex(), QByteArray("02000807"));
    QVERIFY(r.manager.SetChangeButtonToKey(8, 38, 0xEA, 0, 1));
    QCOMPARE(r.mem(0x618, 4).toHex(), QByteArray("040000ea"));
    // A change type the mouse has no word for writes nothing.
    const int writes = r.mouse().memoryWrites();
    QCOMPARE(r.manager.SetChangeButtonToKey(8, 56, 0, 0, 1), 0);
    QCOMPARE(r.manager.SetChangeButtonToKey(15, 48, 0, 0, 1), 0);
    QCOMPARE(r.mouse().memoryWrites(), writes);
}

void TestFamilyAIntegration::onlyLeftButtonGuard_data()
{
    QTest::addColumn<int>("secondLeftButton"); // 0: none
    QTest::addColumn<int>("changeType");
    QTest::addColumn<bool>("warned");

    QTest::newRow("the only left button keeps its function") << 0 << 49 << true;
    QTest::newRow("a second left button frees the first") << 6 << 49 << false;
    QTest::newRow("left may be given left again") << 0 << 48 << false;
    QTest::newRow("disabling the only left button is refused") << 0 << 41 << true;
}

void TestFamilyAIntegration::onlyLeftButtonGuard()
{
    QFETCH(int, secondLeftButton);
    QFETCH(int, changeType);
    QFETCH(bool, warned);

    Rig r(7, false);
    QVERIFY(r.openAndRead());
    if (secondLeftButton)
        QVERIFY(r.manager.SetChangeButtonToKey(secondLeftButton, 48, 0xF0, 0, 1));
    QSignalSpy warnings(&r.manager, &USBDriverManger::sig_WarningOnlyLeftButton);
    const QByteArray before = r.mem(0x610, 4);
    QVERIFY(r.manager.SetChangeButtonToKey(4, changeType, 0, 0, 1));
    QCOMPARE(warnings.count(), warned ? 1 : 0);
    if (warned) {
        QCOMPARE(warnings.first().at(0).toInt(), 6);
        QCOMPARE(r.mem(0x610, 4), before);
    } else {
        quint32 expected = 0;
        QVERIFY(encodeButtonWord(changeType, 0, 0, expected));
        QCOMPARE(readLe32(r.mem(0x610, 4), 0), expected);
    }
}

void TestFamilyAIntegration::factoryFreshMouseReadsUnchanged_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("leftButton"); // the button that ships with left click
    QTest::newRow("OX4C") << 7 << 4;
    QTest::newRow("OX4Q") << 8 << 4;
    QTest::newRow("OX7C") << 9 << 4;
    QTest::newRow("OX4") << 12 << 4;
    // These models lay their buttons out differently in their default block.
    QTest::newRow("OX7Q") << 10 << 7;
    QTest::newRow("OX7") << 11 << 7;
    QTest::newRow("OX7EU") << 14 << 7;
}

void TestFamilyAIntegration::factoryFreshMouseReadsUnchanged()
{
    QFETCH(int, type);
    QFETCH(int, leftButton);

    // A mouse as it leaves the factory: no button may show as reassigned,
    // and the guard protects the button that really carries left click.
    Rig r(type, false);
    QVERIFY(r.openAndRead());
    QSignalSpy changed(&r.manager, &USBDriverManger::sig_TrueMouseValue);
    r.manager.GetMouseButtonState();
    QCOMPARE(changed.count(), 0);

    QSignalSpy warnings(&r.manager, &USBDriverManger::sig_WarningOnlyLeftButton);
    QVERIFY(r.manager.SetChangeButtonToKey(leftButton, 41, 0, 0, 1));
    QCOMPARE(warnings.count(), 1);
}

void TestFamilyAIntegration::backToDefault()
{
    Rig r(7, false);
    QVERIFY(r.openAndRead());
    QVERIFY(r.manager.SetGunFireNumber(5));
    QCOMPARE(int(quint8(r.mem(0x89C, 4)[1])), 5);
    QVERIFY(r.manager.SetChangeButtonToKey(6, 48, 0xF0, 0, 1));
    QVERIFY(r.manager.SetChangeButtonToKey(4, 29, 0x41, 0, 1));
    QSignalSpy original(&r.manager, &USBDriverManger::sig_CurrentButtonIsOriginalButton);
    // Button 4 goes back to left click, which first resets rapid fire.
    QVERIFY(r.manager.SetChangeButtonToKey(4, 32, 0, 0, 1));
    QCOMPARE(r.mem(0x610, 4).toHex(), QByteArray("03000100"));
    QCOMPARE(int(quint8(r.mem(0x89C, 4)[1])), 0);
    // Button 4 is reported as back to factory, and never as anything else
    // (every button's state is reported after the save).
    QList<bool> button4;
    for (const QList<QVariant> &args : original)
        if (args.at(1).toInt() == 4)
            button4 << args.at(0).toBool();
    QVERIFY(!button4.isEmpty());
    QVERIFY(!button4.contains(false));
    QVERIFY(r.manager.SetChangeButtonToKey(6, 32, 0, 0, 1));
    QCOMPARE(r.mem(0x620, 4).toHex(), QByteArray("03000200"));
}

// --- Macros -------------------------------------------------------------------------

void TestFamilyAIntegration::singleMacro()
{
    Rig r(11, true);
    QVERIFY(r.openAndRead());
    const QString path = r.macroFile(QStringLiteral("keyA"), keyAMacro(), 0, 3);
    QVERIFY(r.manager.WriteSingleMacro(path, 6));
    QCOMPARE(r.mem(0x2000, 10).toHex(), QByteArray("0a000300650004000004"));
    QCOMPARE(r.mem(0x620, 4).toHex(), QByteArray("05000100"));
    const QJsonObject stored = r.fileMacro(1, 1);
    QCOMPARE(stored.value(QStringLiteral("MacroSize")).toInt(), 10);
    QCOMPARE(stored.value(QStringLiteral("RepeatTimes")).toInt(), 3);
    QCOMPARE(stored.value(QStringLiteral("Macro")).toArray().size(), 6);

    // Play while held: the mode word says so.
    const QString held = r.macroFile(QStringLiteral("held"), keyAMacro(), 4, 3);
    QVERIFY(r.manager.WriteSingleMacro(held, 13));
    QCOMPARE(r.mem(0x9000, 4).toHex(), QByteArray("0a00ffff"));
    QCOMPARE(r.mem(0x608, 4).toHex(), QByteArray("05000800"));
}

void TestFamilyAIntegration::macroOnTheOnlyLeftButton()
{
    Rig r(7, false);
    QVERIFY(r.openAndRead());
    const QString path = r.macroFile(QStringLiteral("keyA"), keyAMacro());
    QSignalSpy warnings(&r.manager, &USBDriverManger::sig_WarningOnlyLeftButton);
    const int writes = r.mouse().memoryWrites();
    QVERIFY(r.manager.WriteSingleMacro(path, 4));
    QCOMPARE(warnings.count(), 1);
    QCOMPARE(warnings.first().at(0).toInt(), 6);
    QCOMPARE(r.mouse().memoryWrites(), writes);
}

void TestFamilyAIntegration::macroWithoutUsageWritesNothing()
{
    Rig r(11, false);
    QVERIFY(r.openAndRead());
    const QString path = r.macroFile(QStringLiteral("noUsage"),
                                     {keyNode(0x41, 0, 10), keyNode(0x07, 0, 10), keyNode(0x41, 1, 0)});
    const QString missing = getPlayerCustomDir() + QStringLiteral("/missing.json");
    const int writes = r.mouse().memoryWrites();
    const QByteArray file = readFile(r.configPath(1));
    QCOMPARE(r.manager.WriteSingleMacro(path, 6), 0);
    QCOMPARE(r.manager.WriteSingleMacro(missing, 6), 0);
    QCOMPARE(r.mouse().memoryWrites(), writes);
    QCOMPARE(readFile(r.configPath(1)), file);
    QCOMPARE(r.manager.MacroBuffer(1), QByteArray(4096, '\0'));
}

void TestFamilyAIntegration::listMacros()
{
    Rig r(9, true);
    QVERIFY(r.openAndRead());
    const QString a = r.macroFile(QStringLiteral("a"), keyAMacro());
    const QString b = r.macroFile(QStringLiteral("b"), {keyNode(0x1B, 0, 0), keyNode(0x1B, 1, 0)}, 2);
    QVERIFY(r.manager.WriteListMacro({a, b}));
    QCOMPARE(r.mem(0x10000, 10).toHex(), QByteArray("0a000100650004000004"));
    QCOMPARE(r.mem(0x11000, 10).toHex(), QByteArray("0a00feff010029000029"));
    QCOMPARE(r.manager.MacroBuffer(11).left(10), r.mem(0x10000, 10));
    QCOMPARE(r.manager.MacroBuffer(12).left(10), r.mem(0x11000, 10));
    QCOMPARE(r.fileMacro(1, 12).value(QStringLiteral("MacroSize")).toInt(), 10);

    // Three list pages exist; a fourth macro does not fit.
    const int writes = r.mouse().memoryWrites();
    QCOMPARE(r.manager.WriteListMacro({a, b, a, b}), 0);
    QCOMPARE(r.mouse().memoryWrites(), writes);

    // The list pages are read back with the rest of the mouse.
    UsbDriverMangerOX7 again;
    again.SetMouseType(9);
    again.SetDriver(&r.driver);
    again.InitModelDefaults(PID_OX7C_RECEIVER, VID_KORVAN);
    QVERIFY(again.GetProfileData());
    QCOMPARE(again.MacroBuffer(12), r.manager.MacroBuffer(12));
}

// --- Lighting and OLED ---------------------------------------------------------------

void TestFamilyAIntegration::lighting()
{
    Rig r(11, true);
    QVERIFY(r.openAndRead());
    const QByteArray stage = r.mem(0x898, 1);
    QVERIFY(r.manager.SetMouseLightMode(false, 3, 1));
    QVERIFY(r.manager.SetBreathSpeed(false, 1, 1));
    QVERIFY(r.manager.SetContinueLightDegree(false, 7, 1));
    QCOMPARE(r.mem(0x898, 4).toHex(), (stage + hexBytes("030107")).toHex());
    QVERIFY(r.manager.SetMouseColor(false, {makeColorRef(10, 20, 30), makeColorRef(1, 2, 3)}, 1));
    QCOMPARE(r.mem(0x8B8, 8).toHex(), QByteArray("0a141e0001020300"));
    QCOMPARE(r.fileBlock(1).mid(116, 8).toHex(), QByteArray("0a141e0001020300"));

    LightColorParam param;
    QVERIFY(r.manager.GetLightParameter(param, 1));
    QCOMPARE(int(param.logo.mode), 3);
    QCOMPARE(int(param.logo.breathSpeed), 1);
    QCOMPARE(int(param.logo.brightness), 7);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(param.logo.color1), 4).toHex(), QByteArray("0a141e00"));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(param.logo.color2), 4).toHex(), QByteArray("01020300"));

    LightColorParam next = param;
    next.logo.mode = 2;
    next.logo.color3[0] = 0x55;
    next.logo.color3[1] = next.logo.color3[2] = next.logo.color3[3] = 0;
    QVERIFY(r.manager.SetLightParameter(next, 1));
    QCOMPARE(r.mem(0x898, 4).toHex(), (stage + hexBytes("020107")).toHex());
    QCOMPARE(r.mem(0x8C0, 4).toHex(), QByteArray("55000000"));
}

void TestFamilyAIntegration::oledPicture()
{
    Rig r(11, false);
    QVERIFY(r.openAndRead());
    QVERIFY(r.manager.SetCurrentConfigNumber(1));
    QImage drawn(64, 48, QImage::Format_RGB32);
    drawn.fill(Qt::white);
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 8; ++y)
            drawn.setPixel(x, y, qRgb(0, 0, 0));
    const QString file = getPictureFilePath(11, QStringLiteral("1"));
    QVERIFY(drawn.save(file, "BMP"));

    QVERIFY(r.manager.writeImageToMouse(11, QStringLiteral("1"), 0, 1));
    QByteArray expected(384, '\0');
    expected.replace(0, 8, QByteArray(8, '\xFF'));
    QCOMPARE(r.mem(0x22000, 384).toHex(), expected.toHex());
    QCOMPARE(readLe32(r.mem(0x8A0, 4), 0), 8u);
    QCOMPARE(int(quint8(r.mem(0x8AC, 4)[1])), 8);
    QCOMPARE(r.manager.GetOLEDBehaviour(), 8);
    QImage back;
    QVERIFY(r.manager.ReadOLEDPicture(0, back));
    QCOMPARE(back.pixel(0, 0), qRgb(0, 0, 0));
    QCOMPARE(back.pixel(20, 20), qRgb(255, 255, 255));

    // No custom picture: mode 7, behaviour 1, the stored picture goes.
    QVERIFY(r.manager.writeImageToMouse(11, QStringLiteral("0"), 0, 1));
    QCOMPARE(readLe32(r.mem(0x8A0, 4), 0), 7u);
    QCOMPARE(int(quint8(r.mem(0x8AC, 4)[1])), 1);
    QVERIFY(!QFile::exists(file));
    // A picture that is not there writes nothing.
    const int writes = r.mouse().memoryWrites();
    QCOMPARE(r.manager.writeImageToMouse(11, QStringLiteral("3"), 0, 1), 0);
    QCOMPARE(r.mouse().memoryWrites(), writes);
}

void TestFamilyAIntegration::oledSettings()
{
    Rig r(10, true);
    QVERIFY(r.openAndRead());
    QVERIFY(r.manager.SetOLEDBehaviour(3));
    QCOMPARE(int(quint8(r.mem(0x8AC, 4)[1])), 3);
    QCOMPARE(r.manager.GetOLEDBehaviour(), 3);
    QVERIFY(r.manager.SetOLEDLightIntensity(0x40));
    QCOMPARE(int(quint8(r.mem(0x89C, 4)[0])), 0x40);
    QCOMPARE(r.manager.GetOLEDLightIntensity(), 0x40);
    QVERIFY(r.manager.SetOLEDByte(5, 0x99));
    QCOMPARE(int(quint8(r.mem(0x8A9, 1)[0])), 0x99);
    QCOMPARE(int(quint8(r.fileBlock(1)[96 + 5])), 0x99);
}

// --- Values ------------------------------------------------------------------------

void TestFamilyAIntegration::battery_data()
{
    QTest::addColumn<quint32>("raw");
    QTest::addColumn<bool>("percent");
    QTest::addColumn<int>("value");

    QTest::newRow("640 reads 67 %") << 640u << false << 67;
    QTest::newRow("0 reads 0 %") << 0u << false << 0;
    QTest::newRow("top byte 2 reads 102") << 0x02000000u << false << 102;
    QTest::newRow("top byte 1 reads 101") << 0x01000000u << false << 101;
    QTest::newRow("a percentage passes unconverted") << 85u << true << 85;
    QTest::newRow("a percentage keeps the status codes") << 0x01000000u << true << 101;
}

void TestFamilyAIntegration::battery()
{
    QFETCH(quint32, raw);
    QFETCH(bool, percent);
    QFETCH(int, value);

    Rig r(11, true);
    QVERIFY(r.manager.OpenDevice());
    r.mouse().setBatteryValue(raw);
    int v = -1;
    QVERIFY(r.manager.GetBatteryPower(v, percent));
    QCOMPARE(v, value);
}

void TestFamilyAIntegration::foreignMouseBehindReceiver()
{
    quint16 pid = 0;
    {
        Rig r(11, 9);
        QVERIFY(r.manager.OpenDevice());
        QVERIFY(r.manager.GetMousePid(pid));
        QCOMPARE(pid, PID_OX7C_WIRED);
    }

    Rig own(11, true);
    QVERIFY(own.manager.OpenDevice());
    QVERIFY(own.manager.GetMousePid(pid));
    QCOMPARE(pid, PID_OX7_WIRED);
}

void TestFamilyAIntegration::firmwareVersion()
{
    Rig r(11, false);
    r.mouse().setFirmwareVersion(32);
    QVERIFY(r.manager.OpenDevice());
    int v = 0;
    QVERIFY(r.manager.GetFirmwareVersion(v));
    QCOMPARE(v, 32);
}

// --- Profiles and files ------------------------------------------------------------

void TestFamilyAIntegration::compareWithLocalFiles_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("lastIndex");
    QTest::addColumn<int>("stage");

    QTest::newRow("OX4 starts at its limit 2") << 12 << 4 << 2;
    QTest::newRow("OX7 starts at its limit 3") << 11 << 6 << 3;
    QTest::newRow("below the limit the last stage") << 11 << 1 << 1;
}

void TestFamilyAIntegration::compareWithLocalFiles()
{
    QFETCH(int, type);
    QFETCH(int, lastIndex);
    QFETCH(int, stage);

    Rig r(type, true);
    QByteArray stageWord = r.mem(0x894, 4);
    stageWord[2] = char(lastIndex);
    QVERIFY(r.mouse().setMemory(0x894, stageWord));
    QVERIFY(r.openAndRead());
    QVERIFY(r.manager.SetCurrentConfigNumber(3));
    r.manager.SaveConfigFileByConfigureNumber(3);
    // Profiles 1, 2, 4 and 5 differ in one button byte or one setting.
    for (int n : {1, 2, 4, 5}) {
        QByteArray other = r.manager.ProfileRecord();
        other[n < 3 ? 20 + n : 100 + n] = char(0x5A);
        QVERIFY(r.json.setMouseData_Korvan(other, type, n));
    }
    // Bytes outside the compared range do not matter.
    QByteArray three = r.fileBlock(3);
    three[12] = char(0x11);
    three[125] = char(0x22);
    QVERIFY(r.json.setMouseData_Korvan(three, type, 3));

    QVERIFY(r.manager.SetCurrentConfigNumber(1));
    int found = 0;
    QVERIFY(r.manager.CompareMouseAndLocalFileData(found, 0));
    QCOMPARE(found, 3);
    QCOMPARE(r.manager.CurrentConfigNumber(), 3);
    QCOMPARE(int(quint8(r.mem(0x898, 1)[0])), stage);
}

void TestFamilyAIntegration::compareFindsNothing()
{
    Rig r(11, false);
    QVERIFY(r.openAndRead());
    for (int n = 1; n <= 5; ++n) {
        QByteArray other = r.manager.ProfileRecord();
        other[70] = char(other[70] + 1);
        QVERIFY(r.json.setMouseData_Korvan(other, 11, n));
    }
    int found = 0;
    QVERIFY(!r.manager.CompareMouseAndLocalFileData(found, 0));
    QCOMPARE(found, 0);
    QCOMPARE(r.manager.CurrentConfigNumber(), 1);
}

void TestFamilyAIntegration::loadProfile()
{
    Rig r(11, false);
    QVERIFY(r.openAndRead());
    // Profile 2: report interval 8, button 6 on key A, a macro on page 1.
    QByteArray block = r.manager.ProfileRecord();
    putLe32(block, 60, 8);
    putLe32(block, 16 + 0x20, buttonWord(0x05, 0x00, 0x01, 0x00));
    QVERIFY(r.json.setMouseData_Korvan(block, 11, 2));
    QByteArray page(4096, '\0');
    page.replace(0, 10, hexBytes("0a000100650004000004"));
    QVERIFY(r.json.saveMacroData_Korvan(page, 1, 11, 2));

    QSignalSpy values(&r.manager, &UsbDriverMangerOX7::sig_TrueMouseValue);
    QVERIFY(r.manager.SetCurrentConfigNumber(2));
    QVERIFY(r.manager.LoadConfigFileByNumber(2));
    QCOMPARE(readLe32(r.mem(0x880, 4), 0), 8u);
    QCOMPARE(r.mem(0x620, 4).toHex(), QByteArray("05000100"));
    QCOMPARE(r.mem(0x2000, 10).toHex(), QByteArray("0a000100650004000004"));
    QCOMPARE(r.manager.ProfileRecord(), block);
    bool macroReported = false;
    for (const QList<QVariant> &v : values)
        macroReported |= v.at(0).toInt() == 6 && v.at(1).toInt() == 33 && v.at(2).toInt() == 1;
    QVERIFY(macroReported);

    // Loading the same profile again leaves the macro page alone.
    const int writes = r.mouse().memoryWrites();
    QVERIFY(r.manager.LoadConfigFileByNumber(2));
    QCOMPARE(r.mouse().memoryWrites() - writes, 5); // the record's five chunks
}

void TestFamilyAIntegration::loadWithoutButtons()
{
    Rig r(11, false);
    QVERIFY(r.openAndRead());
    QByteArray block = r.manager.ProfileRecord();
    putLe32(block, 60, 4);
    putLe32(block, 16 + 0x20, buttonWord(0x00, 0x00, 0x04, 0x00));
    QVERIFY(r.json.setMouseData_Korvan(block, 11, 2));
    const QByteArray buttons = r.mem(0x600, 44);
    QVERIFY(r.manager.LoadConfigFileWithoutButtons(2));
    QCOMPARE(readLe32(r.mem(0x880, 4), 0), 4u);
    QCOMPARE(r.mem(0x600, 44), buttons);
}

void TestFamilyAIntegration::factoryProfile()
{
    Rig r(7, true);
    QVERIFY(r.openAndRead());
    QVERIFY(r.manager.SetChangeButtonToKey(6, 29, 0x41, 0, 1));
    QVERIFY(r.manager.SetUsbReportRate(0, 1));
    // Profile 0 does not exist yet: the model's defaults are written.
    QVERIFY(r.manager.LoadConfigFileByNumber(0));
    const QByteArray defaults = r.fileBlock(0);
    QVERIFY(QFile::exists(r.configPath(0)));
    QCOMPARE(r.mem(0x600, 44).toHex(), defaults.mid(16, 44).toHex());
    QCOMPARE(r.mem(0x880, 68).toHex(), defaults.mid(60, 68).toHex());
    QCOMPARE(r.mem(0x620, 4).toHex(), QByteArray("03000200"));
    // The factory data become a user profile when saved as one.
    r.manager.SaveConfigFileByConfigureNumber(4);
    QCOMPARE(r.fileBlock(4).mid(16), defaults.mid(16));
}

void TestFamilyAIntegration::saveKeepsOtherMembersAndSelectsProfile()
{
    Rig r(14, false);
    QVERIFY(r.openAndRead());
    {
        QFile f(r.configPath(4));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(R"({"Extra":7,"MacroDataOfGamingMode":{"20":{"MacroSize":4}}})");
    }
    r.mouse().setCurrentProfile(0);
    r.manager.SaveConfigFileByConfigureNumber(4);
    const QJsonObject root = QJsonDocument::fromJson(readFile(r.configPath(4))).object();
    QCOMPARE(root.value(QStringLiteral("Extra")).toInt(), 7);
    QCOMPARE(r.fileBlock(4), r.manager.ProfileRecord());
    const QJsonObject macros = root.value(QStringLiteral("MacroDataOfGamingMode")).toObject();
    QVERIFY(macros.contains(QStringLiteral("20")));
    for (int i = 0; i < 14; ++i)
        QVERIFY(macros.contains(QString::number(i)));
    QCOMPARE(int(r.mouse().currentProfile()), 1);
}

// --- Handshake against the emulator ---------------------------------------------------

void TestFamilyAIntegration::handshake_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("n");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("reportsWritten");

    QTest::newRow("busy answers are waited out") << "delay" << 20 << true << 1;
    QTest::newRow("a failed command is written again") << "failed" << 1 << true << 2;
    QTest::newRow("a mouse that always fails") << "failed" << -1 << false << 4;
    QTest::newRow("lost answers are read again") << "lostReads" << 3 << true << 1;
    QTest::newRow("a cut-off answer is read again") << "short" << 1 << true << 1;
    QTest::newRow("cut-off answers only") << "short" << -1 << false << 4;
    QTest::newRow("busy past one attempt is read on") << "busy" << 30 << true << 1;
    QTest::newRow("not ready for a whole attempt") << "silent" << 30 << false << 1;
}

void TestFamilyAIntegration::handshake()
{
    QFETCH(QString, fault);
    QFETCH(int, n);
    QFETCH(bool, ok);
    QFETCH(int, reportsWritten);

    Rig r(11, false);
    QVERIFY(r.manager.OpenDevice());
    r.mouse().setBatteryValue(640);
    if (fault == QLatin1String("delay"))
        r.mouse().setAnswerDelay(n, 2);
    else if (fault == QLatin1String("failed"))
        r.mouse().injectFailedCommands(n);
    else if (fault == QLatin1String("lostReads"))
        r.mouse().injectFailedReads(n);
    else if (fault == QLatin1String("short"))
        r.mouse().injectAnswerLength(n, 4);
    else if (fault == QLatin1String("busy"))
        r.mouse().injectBusyReads(n);
    else if (fault == QLatin1String("silent"))
        r.mouse().injectSilentReads(n);
    const int before = r.mouse().outputReports();
    int value = 0;
    QCOMPARE(bool(r.manager.GetBatteryPower(value, false)), ok);
    QCOMPARE(r.mouse().outputReports() - before, reportsWritten);
    if (ok)
        QCOMPARE(value, 67);
    QVERIFY(r.clock.totalSleptMs() <= 1000);
}

// --- Receiver commands ---------------------------------------------------------------

void TestFamilyAIntegration::receiverPairingCommands()
{
    Rig r(11, true);
    QVERIFY(r.manager.OpenDevice());
    QVERIFY(r.driver.SendCommandDongleWithAck(hexBytes("a081")));
    QVERIFY(r.scene.receiver->isPairing());
    QVERIFY(r.driver.SendCommandDongleWithAck(hexBytes("a18f78563412")));
    QVERIFY(r.scene.receiver->hasLinkAddress());
    QCOMPARE(r.scene.receiver->linkAddress(), 0x12345678u);
    QVERIFY(r.driver.SendCommandDongleWithAck(hexBytes("a181")));
    QVERIFY(!r.scene.receiver->isPairing());
}

void TestFamilyAIntegration::receiverWithoutAcknowledge()
{
    Rig r(11, true);
    QVERIFY(r.manager.OpenDevice());
    r.scene.receiver->setNoAck(hexBytes("a18f"));
    QVERIFY(r.driver.SendCommandDongleWithAck(hexBytes("a081")));
    r.clock.resetCounters();
    QVERIFY(!r.driver.SendCommandDongleWithAck(hexBytes("a18f01020304")));
    QVERIFY(!r.scene.receiver->hasLinkAddress());
    QCOMPARE(r.clock.totalSleptMs(), qint64(250));
}

void TestFamilyAIntegration::workModeDuringPairing_data()
{
    QTest::addColumn<bool>("pairs");
    QTest::addColumn<int>("queries");
    QTest::addColumn<QVector<int>>("modes");

    QTest::newRow("pairs after two queries") << true << 2 << QVector<int>{1, 1, 0, 0};
    QTest::newRow("never pairs") << false << 0 << QVector<int>{1, 1, 1, 1};
}

void TestFamilyAIntegration::workModeDuringPairing()
{
    QFETCH(bool, pairs);
    QFETCH(int, queries);
    QFETCH(QVector<int>, modes);

    Rig r(14, true);
    QVERIFY(r.manager.OpenDevice());
    r.scene.receiver->setPairingOutcome(pairs ? FamilyAReceiver::PairingOutcome::PairsAfterQueries
                                              : FamilyAReceiver::PairingOutcome::NeverPairs,
                                        queries);
    QVERIFY(r.driver.SendCommandDongleWithAck(hexBytes("a081")));
    QVector<int> seen;
    for (int i = 0; i < modes.size(); ++i) {
        int mode = -1;
        QVERIFY(r.driver.ReadWorkModel(mode));
        seen.append(mode);
    }
    QCOMPARE(seen, modes);
}

// --- Failures --------------------------------------------------------------------------

void TestFamilyAIntegration::unplugMidWriteLeavesTheFile_data()
{
    QTest::addColumn<int>("transfers");

    QTest::newRow("during the first word") << 3;
    QTest::newRow("after the stage count") << 6;
    QTest::newRow("while reading the stage word again") << 8;
    QTest::newRow("during the matrix") << 10;
}

void TestFamilyAIntegration::unplugMidWriteLeavesTheFile()
{
    QFETCH(int, transfers);

    Rig r(11, false);
    QVERIFY(r.openAndRead());
    r.manager.SaveConfigFileByConfigureNumber(1);
    const QByteArray file = readFile(r.configPath(1));
    QVERIFY(!file.isEmpty());
    const QByteArray matrix = r.manager.ProfileRecord().mid(68, 14);

    r.mouse().setUnplugAfterTransfers(transfers);
    QCOMPARE(r.manager.SetCPIListValue({400, 800}, 1), 0);
    QCOMPARE(readFile(r.configPath(1)), file);
    QCOMPARE(r.manager.ProfileRecord().mid(68, 14), matrix);

    const QString path = r.macroFile(QStringLiteral("keyA"), keyAMacro());
    QCOMPARE(r.manager.WriteSingleMacro(path, 6), 0);
    QCOMPARE(readFile(r.configPath(1)), file);
    QCOMPARE(r.manager.MacroBuffer(1), QByteArray(4096, '\0'));
}

void TestFamilyAIntegration::unplugDuringReadLeavesTheImage()
{
    Rig r(11, true);
    QVERIFY(r.openAndRead());
    const QByteArray record = r.manager.ProfileRecord();
    QVERIFY(r.mouse().setMemory(0x880, QByteArray(4, '\x08')));
    // The receiver goes away while the macro pages are read.
    r.scene.receiver->setUnplugAfterTransfers(40);
    QVERIFY(!r.manager.GetProfileData());
    QCOMPARE(r.manager.ProfileRecord(), record);
}

void TestFamilyAIntegration::oldTextFilesRoundTrip()
{
    Rig r(11, false);
    QVERIFY(r.openAndRead());
    const QString path = r.macroFile(QStringLiteral("keyA"), keyAMacro());
    for (int n = 1; n <= 5; ++n) {
        QVERIFY(r.manager.SetCurrentConfigNumber(n));
        QVERIFY(r.manager.SetUsbReportRate(n % 4, 1));
        if (n == 2)
            QVERIFY(r.manager.WriteSingleMacro(path, 6));
    }
    r.manager.SaveToOldTxtFiles();
    QVector<QByteArray> texts;
    for (int n = 1; n <= 5; ++n) {
        texts.append(readFile(getOldTxtConfigFilePath(11, n)));
        QVERIFY(texts.last().startsWith("OX8PROFILE"));
    }
    QVERIFY(texts[1].contains("\nmacro 1 0A000100650004000004\n"));
    QVERIFY(!texts[0].contains("\nmacro "));

    // The JSON files go; the text files bring them back.
    for (int n = 1; n <= 5; ++n)
        QVERIFY(QFile::remove(r.configPath(n)));
    QVERIFY(r.manager.TurnOldTxtFileToNewJsonFile());
    for (int n = 1; n <= 5; ++n) {
        QVERIFY(!QFile::exists(getOldTxtConfigFilePath(11, n)));
        QCOMPARE(readLe32(r.fileBlock(n), 60), quint32(reportIntervalForIndex(n % 4)));
    }
    QCOMPARE(r.fileMacro(2, 1).value(QStringLiteral("MacroSize")).toInt(), 10);

    // And back to text: the same files.
    r.manager.SaveToOldTxtFiles();
    for (int n = 1; n <= 5; ++n)
        QCOMPARE(readFile(getOldTxtConfigFilePath(11, n)), texts[n - 1]);

    // Removing the old files keeps the profiles.
    r.manager.RemoveOldConfigFiles();
    for (int n = 1; n <= 5; ++n) {
        QVERIFY(!QFile::exists(getOldTxtConfigFilePath(11, n)));
        QVERIFY(QFile::exists(r.configPath(n)));
    }
}

void TestFamilyAIntegration::brokenOldTextFileIsLeftAlone()
{
    Rig r(11, false);
    QVERIFY(r.openAndRead());
    r.manager.SaveConfigFileByConfigureNumber(2);
    const QByteArray json = readFile(r.configPath(2));
    const QString txt = getOldTxtConfigFilePath(11, 2);
    QDir().mkpath(QFileInfo(txt).absolutePath());
    {
        QFile f(txt);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("OX8PROFILE 1\ndialect Korvan\nblock 0102\nsum 3\n");
    }
    QCOMPARE(r.manager.TurnOldTxtFileToNewJsonFile(), 0);
    QVERIFY(QFile::exists(txt));
    QCOMPARE(readFile(r.configPath(2)), json);
}

QTEST_GUILESS_MAIN(TestFamilyAIntegration)
#include "tst_familyaintegration.moc"
