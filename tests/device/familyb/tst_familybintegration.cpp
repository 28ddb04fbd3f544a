#include "platform/clock.h"
#include "sim/emulatedhidbus.h"
#include "device/familyb/familybcodec.h"
#include "sim/familyb/familybmouse.h"
#include "config/jsonhandle.h"
#include "config/macronode.h"
#include "tests/common/macrotestutil.h"
#include "discovery/models.h"
#include "config/paths.h"
#include "tests/common/emulateddesk.h"
#include "tests/common/testutil.h"
#include "device/familyb/usbdriver_ox5.h"
#include "device/familyb/usbdriver_ox6.h"
#include "device/familyb/usbdrivermanger_ox5.h"
#include "device/familyb/usbdrivermanger_ox6.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QSignalSpy>
#include <QRegularExpression>
#include <QtTest>

// Driver and manager against the emulated family B and C mice, in virtual
// time, with APP in a temporary folder.

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray word(int b0, int b1, int b2, int b3)
{
    QByteArray w;
    w.append(char(b0)).append(char(b1)).append(char(b2)).append(char(b3));
    return w;
}

// Word index k of a button word's profile byte.
int wordIndex(int profileByte)
{
    return (profileByte - 332) / 4;
}

} // namespace

// One plugged mouse with its driver and manager, opened and read.
class Rig : public EmulatedDesk
{
public:
    explicit Rig(int type)
        : mouseType(type)
    {
        setCurrentMouseType(type);
        mouse = plugFamilyB(bus, type);
        const bool familyC = type == 13;
        driver.reset(familyC ? new USBDriver_OX5 : new USBDriver_OX6);
        manager.reset(familyC ? new UsbDriverManger_OX5 : new UsbDriverManger_OX6);
        manager->SetDriver(driver.get());
        manager->SetConfigPathPrefix(getModelFolderName(type));
        manager->InitModelDefaults(modelForType(type)->wiredPid, VID_KORVAN);
    }
    ~Rig()
    {
        manager.reset();
        driver.reset();
        setCurrentMouseType(0);
    }

    bool openAndRead() { return mouse && manager->OpenDevice() && manager->GetProfileData(); }

    QString configPath(int n) const { return getConfigJsonFilePath(mouseType, n); }
    QByteArray fileBlock(int n)
    {
        JsonHandle json;
        return json.getMouseData_Halden(mouseType, n);
    }
    QByteArray mouseWordAt(int profileByte) const { return mouse->buttonWord(wordIndex(profileByte)); }

    QString writeMacroFile(const QString &name, const QList<MacroNode> &nodes, int repeat, int type = 0)
    {
        const QString path = dir.path() + QStringLiteral("/macro_") + name + QStringLiteral(".json");
        JsonHandle json;
        json.setMacroName(path, name);
        json.setRepeatTimes(path, repeat);
        json.setMacroType(path, type);
        json.writeMacroNodeList(path, nodes);
        return path;
    }

    TempAppDir dir;
    int mouseType;
    std::shared_ptr<FamilyBMouse> mouse;
    std::unique_ptr<USBDriver_OX6> driver;
    std::unique_ptr<UsbDriverManger_OX6> manager;
};

class TstFamilyBIntegration : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void openAndReadEverything_data();
    void openAndReadEverything();
    void cpiList_data();
    void cpiList();
    void reportRateAndLiftOff_data();
    void reportRateAndLiftOff();
    void failedWriteKeepsFileAndImage_data();
    void failedWriteKeepsFileAndImage();
    void readFailuresAreCounted_data();
    void readFailuresAreCounted();
    void keyAssignment_data();
    void keyAssignment();
    void leftButtonGuard();
    void ox8OnlyButtons_data();
    void ox8OnlyButtons();
    void backToDefaultHonoursHighestFunction();
    void buttonStateReport();
    void singleMacro_data();
    void singleMacro();
    void macroOnOnlyLeftButtonWritesNothing();
    void listMacro();
    void lighting_data();
    void lighting();
    void lightParameterRecord();
    void oledBehaviourAndBrightness();
    void oledPicture();
    void oledOnModelWithoutScreen();
    void compareFindsTheMatchingFile();
    void loadAndSaveProfiles_data();
    void loadAndSaveProfiles();
    void loadWithoutButtons();
    void oldTextFilesRoundTrip();
    void damagedOldTextFileIsRefused();
    void familyCSpecifics();
};

void TstFamilyBIntegration::initTestCase()
{
    registerDeviceMetaTypes();
}

void TstFamilyBIntegration::openAndReadEverything_data()
{
    QTest::addColumn<int>("type");
    for (int type : {2, 3, 4, 5, 6, 13, 18})
        QTest::addRow("type %d", type) << type;
}

void TstFamilyBIntegration::openAndReadEverything()
{
    QFETCH(int, type);
    Rig rig(type);
    QVERIFY(rig.mouse);
    rig.bus.unplug(rig.mouse.get());
    rig.mouse->setStrayCollection(64);
    rig.mouse->setPointerCollection(true);
    rig.mouse->setDataCollectionFirst(true);
    rig.bus.plug(rig.mouse);
    QVERIFY(rig.openAndRead());
    QVERIFY(rig.manager->isOpened());
    QCOMPARE(rig.manager->settingsBlock(), rig.mouse->settingsBlock().left(232));
    int version = 0;
    QVERIFY(rig.manager->GetFirmwareVersion(version));
    QCOMPARE(version, int(rig.mouse->firmwareVersion()));
    QCOMPARE(rig.manager->GetProfileReadFailures(), 0);
    rig.manager->CloseDevice();
    QVERIFY(!rig.manager->isOpened());
    QCOMPARE(rig.bus.liveHandleCount(), 0);
}

void TstFamilyBIntegration::cpiList_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QList<DWORD>>("cpis");
    QTest::newRow("OX6 in steps of 50") << 3 << QList<DWORD>{800, 1650, 3200, 12800, 16000, 0, 0};
    QTest::newRow("OX2S in steps of 50") << 5 << QList<DWORD>{400, 50, 0, 0, 0, 0, 26000};
    QTest::newRow("OX1 table") << 4 << QList<DWORD>{3300, 3400, 3700, 6200, 200, 0, 0};
    QTest::newRow("OX8 table") << 18 << QList<DWORD>{200, 900, 4900, 0, 0, 0, 0};
    QTest::newRow("OX5 table") << 13 << QList<DWORD>{3300, 3400, 400, 5800, 0, 0, 0};
    QTest::newRow("OX2 table") << 2 << QList<DWORD>{4100, 4300, 4900, 6200, 0, 0, 0};
}

void TstFamilyBIntegration::cpiList()
{
    QFETCH(int, type);
    QFETCH(QList<DWORD>, cpis);
    Rig rig(type);
    QVERIFY(rig.openAndRead());
    QVERIFY(rig.manager->SetCPIListValue(cpis, 1));
    for (int i = 0; i < 7; ++i) {
        QCOMPARE(rig.mouse->cpiStageValue(i), int(cpis[i]));
        QCOMPARE(rig.mouse->cpiStageCode(i, 1), rig.mouse->cpiStageCode(i, 0));
    }
    QList<DWORD> back;
    QVERIFY(rig.manager->GetCPIStageMatrix(back, 1));
    QCOMPARE(back, cpis);

    // A fresh manager reads the same stages from the mouse.
    UsbDriverManger_OX6 *fresh = type == 13 ? new UsbDriverManger_OX5 : new UsbDriverManger_OX6;
    std::unique_ptr<UsbDriverManger_OX6> owner(fresh);
    fresh->SetDriver(rig.driver.get());
    fresh->InitModelDefaults(modelForType(type)->wiredPid, VID_KORVAN);
    QVERIFY(fresh->GetProfileData());
    QVERIFY(fresh->GetCPIStageMatrix(back, 1));
    QCOMPARE(back, cpis);
}

void TstFamilyBIntegration::reportRateAndLiftOff_data()
{
    QTest::addColumn<int>("type");
    for (int type : {3, 4, 13, 18})
        QTest::addRow("type %d", type) << type;
}

void TstFamilyBIntegration::reportRateAndLiftOff()
{
    QFETCH(int, type);
    Rig rig(type);
    QVERIFY(rig.openAndRead());
    rig.manager->SetCurrentConfigNumber(2);
    QVERIFY(rig.manager->SetUsbReportRate(1, 1));
    QVERIFY(rig.manager->SetSilentHeight(3, 1));
    QCOMPARE(rig.mouse->profileByte(242), quint8(1));
    QCOMPARE(rig.mouse->profileByte(243), quint8(3));
    int rate = -1, height = -1;
    QVERIFY(rig.manager->GetUsbReportRate(rate, 1));
    QVERIFY(rig.manager->GetSilentHeight(height, 1));
    QCOMPARE(rate, 1);
    QCOMPARE(height, 3);
    // Saved into the current configuration file.
    const QByteArray block = rig.fileBlock(2);
    QCOMPARE(quint8(block[0]), quint8(1));
    QCOMPARE(quint8(block[1]), quint8(3));
    QCOMPARE(block, rig.mouse->settingsBlock());

    QVERIFY(!rig.manager->SetUsbReportRate(4, 1));
    QVERIFY(!rig.manager->SetUsbReportRate(-1, 1));
    QCOMPARE(rig.mouse->profileByte(242), quint8(1));

    // A rate byte no rate has reads as the factory rate (1000 Hz), so the
    // mouse stays readable.
    rig.mouse->setProfileByte(242, 9);
    QVERIFY(rig.manager->GetProfileData());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("GetUsbReportRate unknown rate 9"));
    QVERIFY(rig.manager->GetUsbReportRate(rate, 1));
    QCOMPARE(rate, 3);
}

void TstFamilyBIntegration::failedWriteKeepsFileAndImage_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("fault");
    // 0: unplug in the middle of the write, 1: status never done, 2: status refused
    for (int type : {3, 4, 13, 18}) {
        QTest::addRow("type %d unplugged mid-write", type) << type << 0;
        QTest::addRow("type %d busy forever", type) << type << 1;
        QTest::addRow("type %d refused poll", type) << type << 2;
    }
}

void TstFamilyBIntegration::failedWriteKeepsFileAndImage()
{
    QFETCH(int, type);
    QFETCH(int, fault);
    Rig rig(type);
    QVERIFY(rig.openAndRead());
    rig.manager->SetCurrentConfigNumber(1);
    QVERIFY(rig.manager->SetUsbReportRate(2, 1));
    const QByteArray fileBefore = fileBytes(rig.configPath(1));
    const QByteArray blockBefore = rig.manager->settingsBlock();
    const QByteArray mouseBefore = rig.mouse->settingsBlock();
    QVERIFY(!fileBefore.isEmpty());

    switch (fault) {
    case 0: rig.mouse->setUnplugAfterTransfers(1); break; // the data write goes, its status poll fails
    case 1: rig.mouse->setBusyPolls(-1); break;
    case 2: rig.mouse->injectPollRefusals(1); break;
    }
    QVERIFY(!rig.manager->SetCPIListValue({400, 800, 0, 0, 0, 0, 0}, 1));
    QCOMPARE(fileBytes(rig.configPath(1)), fileBefore);
    QCOMPARE(rig.manager->settingsBlock(), blockBefore);
    if (fault == 0)
        QVERIFY(!rig.bus.isPlugged(rig.mouse.get()));

    // The failed step is not carried into the next write.
    if (fault != 0) {
        rig.mouse->setBusyPolls(0);
        rig.mouse->clearFaults();
        QVERIFY(rig.manager->SetSilentHeight(5, 1));
        QCOMPARE(rig.mouse->settingsBlock().mid(58, 7), mouseBefore.mid(58, 7));
        QCOMPARE(rig.mouse->profileByte(243), quint8(5));
    }
}

void TstFamilyBIntegration::readFailuresAreCounted_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("OX6 refuses a bad checksum") << 3 << false;
    QTest::newRow("OX1 refuses a bad checksum") << 4 << false;
    QTest::newRow("OX8 takes it") << 18 << true;
}

void TstFamilyBIntegration::readFailuresAreCounted()
{
    QFETCH(int, type);
    QFETCH(bool, accepted);
    Rig rig(type);
    QVERIFY(rig.manager->OpenDevice());
    rig.mouse->injectBadChecksums(2);
    QCOMPARE(rig.manager->GetProfileData(), accepted);
    QCOMPARE(rig.manager->GetProfileData(), accepted);
    QCOMPARE(rig.manager->GetProfileReadFailures(), accepted ? 0 : 2);
    QVERIFY(rig.manager->GetProfileData());
    QCOMPARE(rig.manager->GetProfileReadFailures(), accepted ? 0 : 2);

    rig.mouse->injectAnswerLength(1, 600);
    QVERIFY(!rig.manager->GetProfileData());
    QCOMPARE(rig.manager->GetProfileReadFailures(), accepted ? 1 : 3);
}

void TstFamilyBIntegration::keyAssignment_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("changeType");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifier");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("OX6 right button to Ctrl+A") << 3 << 6 << 29 << 0x41 << 1 << word(0x00, 0x01, 0x04, 0x00);
    QTest::newRow("OX1 back button to volume up") << 4 << 8 << 37 << 0xE9 << 0 << word(0x03, 0x00, 0xE9, 0x00);
    QTest::newRow("OX8 middle to CPI up") << 18 << 5 << 45 << 0 << 0 << word(0x07, 0x00, 0x01, 0x00);
    QTest::newRow("OX5 wheel back disabled") << 13 << 12 << 41 << 0 << 0 << word(0, 0, 0, 0);
    QTest::newRow("OX6 forward to the middle button") << 3 << 7 << 50 << 0xF2 << 0 << word(0x01, 0x00, 0xF2, 0x00);
}

void TstFamilyBIntegration::keyAssignment()
{
    QFETCH(int, type);
    QFETCH(int, button);
    QFETCH(int, changeType);
    QFETCH(int, key);
    QFETCH(int, modifier);
    QFETCH(QByteArray, expected);
    Rig rig(type);
    QVERIFY(rig.openAndRead());
    QSignalSpy original(rig.manager.get(), &USBDriverManger::sig_CurrentButtonIsOriginalButton);
    QSignalSpy shown(rig.manager.get(), &USBDriverManger::sig_TrueMouseValue);
    QVERIFY(rig.manager->SetChangeButtonToKey(button, changeType, key, modifier, 1));
    const int offset = familyb::buttonWordOffset(button, type);
    QCOMPARE(rig.mouseWordAt(offset), expected);
    QCOMPARE(original.size(), 1);
    QCOMPARE(original[0][0].toBool(), false);
    QCOMPARE(original[0][1].toInt(), button);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0][0].toInt(), button);

    // Back to default restores the factory word.
    QVERIFY(rig.manager->SetChangeButtonToKey(button, 32, 0, 0, 1));
    const familyb::ButtonWord f = familyb::factoryButtonWord(button, type);
    QCOMPARE(rig.mouseWordAt(offset), word(f[0], f[1], f[2], f[3]));
    QCOMPARE(original.last()[0].toBool(), true);
}

void TstFamilyBIntegration::leftButtonGuard()
{
    Rig rig(3);
    QVERIFY(rig.openAndRead());
    QSignalSpy warning(rig.manager.get(), &USBDriverManger::sig_WarningOnlyLeftButton);
    rig.mouse->resetCounters();

    // The only left button keeps its click.
    QVERIFY(rig.manager->SetChangeButtonToKey(4, 29, 0x41, 0, 1));
    QCOMPARE(warning.size(), 1);
    QCOMPARE(warning[0][0].toInt(), 6);
    QCOMPARE(rig.mouseWordAt(332), word(0x01, 0x00, 0xF0, 0x00));
    QCOMPARE(rig.mouse->featureSets(0x03), 0);
    // Back to default on the left button writes nothing either.
    QVERIFY(rig.manager->SetChangeButtonToKey(4, 32, 0, 0, 1));
    QCOMPARE(rig.mouse->featureSets(0x03), 0);

    // With a second left button the first may change, and then the second
    // is the only one.
    QVERIFY(rig.manager->SetChangeButtonToKey(6, 48, 0xF0, 0, 1));
    QVERIFY(rig.manager->SetChangeButtonToKey(4, 29, 0x41, 0, 1));
    QCOMPARE(rig.mouseWordAt(332), word(0x00, 0x00, 0x04, 0x00));
    QCOMPARE(warning.size(), 1);
    QVERIFY(rig.manager->SetChangeButtonToKey(6, 49, 0xF1, 0, 1));
    QCOMPARE(warning.size(), 2);
    QCOMPARE(rig.mouseWordAt(336), word(0x01, 0x00, 0xF0, 0x00));
}

void TstFamilyBIntegration::ox8OnlyButtons_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("offset"); // -1: refused
    QTest::newRow("custom 1 on OX8") << 18 << 9 << 356;
    QTest::newRow("custom 2 on OX8") << 18 << 10 << 360;
    QTest::newRow("side wheel on OX8") << 18 << 15 << 384;
    QTest::newRow("custom 1 on OX6") << 3 << 9 << -1;
    QTest::newRow("custom 2 on OX1") << 4 << 10 << -1;
    QTest::newRow("button 15 on OX1") << 4 << 15 << 360;
    QTest::newRow("no such button") << 18 << 19 << -1;
}

void TstFamilyBIntegration::ox8OnlyButtons()
{
    QFETCH(int, type);
    QFETCH(int, button);
    QFETCH(int, offset);
    Rig rig(type);
    QVERIFY(rig.openAndRead());
    const QByteArray before = rig.mouse->settingsBlock();
    const bool ok = rig.manager->SetChangeButtonToKey(button, 29, 0x42, 0, 1);
    QCOMPARE(ok, offset >= 0);
    if (offset < 0) {
        QCOMPARE(rig.mouse->settingsBlock(), before);
        return;
    }
    QCOMPARE(rig.mouseWordAt(offset), word(0x00, 0x00, 0x05, 0x00));
}

void TstFamilyBIntegration::backToDefaultHonoursHighestFunction()
{
    Rig rig(4);
    QVERIFY(rig.openAndRead());
    QVERIFY(rig.manager->SetChangeButtonToKey(5, 29, 0x41, 0, 1));
    {
        QDir().mkpath(rig.dir.path() + QStringLiteral("/keysetting"));
        QSettings ini(rig.dir.path() + QStringLiteral("/keysetting/HighestFunction.ini"), QSettings::IniFormat);
        ini.setValue(QStringLiteral("MidKey/state"), 1);
        ini.setValue(QStringLiteral("MidKey/function"), 46); // CPI down
        ini.setValue(QStringLiteral("MidKey/path"), QStringLiteral("x"));
        ini.setValue(QStringLiteral("RightKey/state"), 0);
        ini.setValue(QStringLiteral("RightKey/function"), 46);
    }
    QVERIFY(rig.manager->SetChangeButtonToKey(5, 32, 0, 0, 1));
    QCOMPARE(rig.mouseWordAt(340), word(0x07, 0x00, 0x02, 0x00));

    // An inactive entry leaves the factory word.
    QVERIFY(rig.manager->SetChangeButtonToKey(6, 29, 0x41, 0, 1));
    QVERIFY(rig.manager->SetChangeButtonToKey(6, 32, 0, 0, 1));
    QCOMPARE(rig.mouseWordAt(336), word(0x01, 0x00, 0xF1, 0x00));
}

void TstFamilyBIntegration::buttonStateReport()
{
    Rig rig(18);
    QVERIFY(rig.openAndRead());
    QVERIFY(rig.manager->SetChangeButtonToKey(8, 29, 0x43, 2, 1));
    QVERIFY(rig.manager->SetChangeButtonToKey(11, 46, 0, 0, 1));

    QSignalSpy original(rig.manager.get(), &USBDriverManger::sig_CurrentButtonIsOriginalButton);
    QSignalSpy shown(rig.manager.get(), &USBDriverManger::sig_TrueMouseValue);
    rig.manager->GetMouseButtonState();
    QCOMPARE(original.size(), familyb::modelButtons(18).size());
    QMap<int, QList<int>> changed;
    for (const auto &args : shown)
        changed.insert(args[0].toInt(), {args[1].toInt(), args[2].toInt(), args[3].toInt()});
    QCOMPARE(changed.value(8), (QList<int>{29, 0x43, 2}));
    QCOMPARE(changed.value(11), (QList<int>{31, 46, 0}));
    // Every button is reported once; exactly the changed ones come with
    // what they do now.
    QSet<int> reported;
    for (const auto &args : original) {
        const int b = args[1].toInt();
        QVERIFY(!reported.contains(b));
        reported.insert(b);
        QCOMPARE(args[0].toBool(), !changed.contains(b));
    }
}

void TstFamilyBIntegration::singleMacro_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("button");
    for (int type : {3, 4, 13, 18})
        QTest::addRow("type %d", type) << type << 6;
    QTest::newRow("OX8 custom 2") << 18 << 10;
}

void TstFamilyBIntegration::singleMacro()
{
    QFETCH(int, type);
    QFETCH(int, button);
    Rig rig(type);
    QVERIFY(rig.openAndRead());
    rig.manager->SetCurrentConfigNumber(3);
    const QString path = rig.writeMacroFile(
        QStringLiteral("a"), {keyNode(0x41, 0, 50), keyNode(0x41, 1, 200), keyNode(1, 0, 5), keyNode(1, 1, 0)}, 300, 2);
    QVERIFY(rig.manager->WriteSingleMacro(path, button));

    const int slot = familyb::singleMacroSlot(button);
    const int number = familyb::macroNumberForSlot(slot);
    QCOMPARE(rig.mouse->macroHeader(number), QByteArray("\x01\x2C", 2));
    QCOMPARE(rig.mouse->macroEntries(number),
             (QVector<quint16>{0x0104, 0x4032, 0x0204, 0x40C8, 0x01F0, 0x4005, 0x02F0}));
    const int offset = familyb::buttonWordOffset(button, type);
    QCOMPARE(rig.mouseWordAt(offset), word(0x05, 0x02, slot, 0x00));

    // The profile file keeps the macro.
    JsonHandle json;
    const HaldenMacroRecord record = json.getMacroData_Halden(type, 3, slot);
    QCOMPARE(record.repeatTimes(), 300);
    QCOMPARE(record.events, rig.mouse->macroEntries(number));

    // A fresh manager reads it back from the mouse with the profile.
    std::unique_ptr<UsbDriverManger_OX6> fresh(type == 13 ? new UsbDriverManger_OX5 : new UsbDriverManger_OX6);
    fresh->SetDriver(rig.driver.get());
    fresh->InitModelDefaults(modelForType(type)->wiredPid, VID_KORVAN);
    QVERIFY(fresh->GetProfileData());
    QCOMPARE(fresh->macros().keys(), QList<int>{slot});
    QCOMPARE(fresh->macros().value(slot).entries, rig.mouse->macroEntries(number));

    // Giving the button a key again forgets the macro in the file.
    QVERIFY(rig.manager->SetChangeButtonToKey(button, 29, 0x41, 0, 1));
    QVERIFY(rig.manager->macros().isEmpty());
    const QJsonObject root = QJsonDocument::fromJson(fileBytes(rig.configPath(3))).object();
    QVERIFY(root.value(QStringLiteral("MacroDataOfGamingMode")).toObject().isEmpty());
}

void TstFamilyBIntegration::macroOnOnlyLeftButtonWritesNothing()
{
    Rig rig(3);
    QVERIFY(rig.openAndRead());
    QSignalSpy warning(rig.manager.get(), &USBDriverManger::sig_WarningOnlyLeftButton);
    rig.mouse->resetCounters();
    const QString path = rig.writeMacroFile(QStringLiteral("b"), {keyNode(0x41, 0, 1), keyNode(0x41, 1, 0)}, 1);
    QVERIFY(rig.manager->WriteSingleMacro(path, 4));
    QCOMPARE(warning.size(), 1);
    QCOMPARE(warning[0][0].toInt(), 6);
    QVERIFY(rig.manager->WriteListMacro({path, path}));
    QCOMPARE(warning.size(), 2);
    QCOMPARE(rig.mouse->featureSets(0x04), 0);
    QCOMPARE(rig.mouse->featureSets(0x03), 0);

    // A macro file without playable events is refused.
    const QString empty = rig.writeMacroFile(QStringLiteral("c"), {}, 1);
    QVERIFY(!rig.manager->WriteSingleMacro(empty, 6));
    QCOMPARE(rig.mouse->featureSets(0x04), 0);
}

void TstFamilyBIntegration::listMacro()
{
    Rig rig(18);
    QVERIFY(rig.openAndRead());
    QVERIFY(rig.manager->SetChangeButtonToKey(6, 48, 0xF0, 0, 1)); // a second left button
    const QString a = rig.writeMacroFile(QStringLiteral("a"), {keyNode(0x41, 0, 10), keyNode(0x41, 1, 0)}, 1);
    const QString b = rig.writeMacroFile(QStringLiteral("b"), {keyNode(0x42, 0, 10), keyNode(0x42, 1, 0)}, 2);
    const QString c = rig.writeMacroFile(QStringLiteral("c"), {keyNode(0x43, 0, 10), keyNode(0x43, 1, 0)}, 3);
    QVERIFY(rig.manager->WriteListMacro({a, b, c}));
    QCOMPARE(rig.mouse->macroEntries(140), (QVector<quint16>{0x0104, 0x400A, 0x0204}));
    QCOMPARE(rig.mouse->macroEntries(212), (QVector<quint16>{0x0105, 0x400A, 0x0205}));
    QCOMPARE(rig.mouse->macroEntries(216), (QVector<quint16>{0x0106, 0x400A, 0x0206}));
    QCOMPARE(rig.mouse->macroHeader(216), QByteArray("\x00\x03", 2));
    QCOMPARE(rig.mouseWordAt(332), word(0x06, 0x00, 0x03, 0x00));
    QCOMPARE(rig.manager->macros().keys(), (QList<int>{0, 13, 14}));

    QVERIFY(!rig.manager->WriteListMacro({a, b, c, a, b}));
    QVERIFY(!rig.manager->WriteListMacro({}));
}

void TstFamilyBIntegration::lighting_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("wheel");
    for (int type : {3, 4, 13, 18}) {
        QTest::addRow("type %d wheel zone", type) << type << true;
        QTest::addRow("type %d logo zone", type) << type << false;
    }
}

void TstFamilyBIntegration::lighting()
{
    QFETCH(int, type);
    QFETCH(bool, wheel);
    const int zone = wheel ? 1 : 2;
    Rig rig(type);
    QVERIFY(rig.openAndRead());
    QVERIFY(rig.manager->SetMouseLightMode(wheel, 3, 1));
    QCOMPARE(rig.mouse->lightModeCode(zone), quint8(0x84));
    QCOMPARE(rig.mouse->profileByte(271), quint8(0x03));
    QCOMPARE(rig.mouse->profileByte(272), quint8(0x01));
    QVERIFY(rig.manager->SetMouseLightMode(wheel, 4, 1));
    QCOMPARE(rig.mouse->lightModeCode(zone), quint8(0x83));
    QVERIFY(!rig.manager->SetMouseLightMode(wheel, 6, 1));
    QCOMPARE(rig.mouse->lightModeCode(zone), quint8(0x83));

    QVERIFY(rig.manager->SetMouseColor(wheel, {makeColorRef(10, 20, 30), makeColorRef(1, 1, 1)}, 1));
    QCOMPARE(rig.mouse->lightRgb(zone), quint32(0x0A141E));
    QVERIFY(rig.manager->SetMouseColor(wheel, {}, 1)); // nothing to change
    QCOMPARE(rig.mouse->lightRgb(zone), quint32(0x0A141E));

    QVERIFY(rig.manager->SetBreathSpeed(wheel, 7, 1));
    QCOMPARE(rig.mouse->breathSpeed(zone), quint8(7));
    QVERIFY(rig.manager->SetContinueLightDegree(wheel, 9, 1));
    QCOMPARE(rig.mouse->lightBrightness(zone), quint8(9));

    LightColorParam p;
    QVERIFY(rig.manager->GetLightParameter(p, 1));
    const LightZoneParam &z = wheel ? p.wheel : p.logo;
    QCOMPARE(z.mode, quint8(4));
    QCOMPARE(z.breathSpeed, quint8(7));
    QCOMPARE(z.brightness, quint8(9));
    QCOMPARE(z.color1[0], quint8(10));
    QCOMPARE(z.color1[1], quint8(20));
    QCOMPARE(z.color1[2], quint8(30));
}

void TstFamilyBIntegration::lightParameterRecord()
{
    Rig rig(4);
    QVERIFY(rig.openAndRead());
    LightColorParam p;
    p.wheel.mode = 5;
    p.wheel.breathSpeed = 2;
    p.wheel.brightness = 8;
    p.wheel.color1[0] = 255;
    p.logo.mode = 1;
    p.logo.brightness = 3;
    p.logo.color1[2] = 128;
    rig.mouse->resetCounters();
    QVERIFY(rig.manager->SetLightParameter(p, 1));
    QCOMPARE(rig.mouse->featureSets(0x03), 1); // one profile write for both zones
    QCOMPARE(rig.mouse->lightModeCode(1), quint8(0x85));
    QCOMPARE(rig.mouse->lightModeCode(2), quint8(0x81));
    QCOMPARE(rig.mouse->lightRgb(1), quint32(0xFF0000));
    QCOMPARE(rig.mouse->lightRgb(2), quint32(0x000080));
    LightColorParam back;
    QVERIFY(rig.manager->GetLightParameter(back, 1));
    QCOMPARE(back, p);
}

void TstFamilyBIntegration::oledBehaviourAndBrightness()
{
    Rig rig(3);
    QVERIFY(rig.openAndRead());
    QVERIFY(rig.manager->SetOLEDBehaviour(3));
    QCOMPARE(rig.mouse->profileByte(253), quint8(4));
    QCOMPARE(rig.manager->GetOLEDBehaviour(), 3);
    QVERIFY(rig.manager->SetOLEDBehaviour(2));
    QCOMPARE(rig.mouse->profileByte(253), quint8(7));
    QCOMPARE(rig.manager->GetOLEDBehaviour(), 2);
    QVERIFY(rig.manager->SetOLEDLightIntensity(6));
    QCOMPARE(rig.mouse->profileByte(254), quint8(6));
    QCOMPARE(rig.manager->GetOLEDLightIntensity(), 6);
    QVERIFY(!rig.manager->SetOLEDLightIntensity(300));
    QCOMPARE(rig.manager->GetOLEDLightIntensity(), 6);
}

void TstFamilyBIntegration::oledPicture()
{
    Rig rig(3);
    QVERIFY(rig.openAndRead());
    rig.manager->SetCurrentConfigNumber(2);
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int x = 0; x < 64; ++x)
        picture.setPixel(x, 10, qRgb(0, 0, 0));
    const QString path = getPictureFilePath(3, QStringLiteral("2"));
    QVERIFY(picture.save(path, "BMP"));

    QVERIFY(rig.manager->writeImageToMouse(3, QStringLiteral("2"), 0, 1));
    const QByteArray block = rig.mouse->macroBlock();
    QCOMPARE(block.left(384), familyb::packOledPicture(picture));
    QCOMPARE(quint8(block[64 + 5]), quint8(0x04)); // row 10 is page 1, bit 2
    QCOMPARE(rig.manager->GetOLEDBehaviour(), 8);
    QCOMPARE(rig.mouse->profileByte(253), quint8(1));

    // No picture of the user's own: the stored one goes, the CPI is shown.
    QVERIFY(rig.manager->writeImageToMouse(3, QStringLiteral("0"), 0, 1));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(rig.manager->GetOLEDBehaviour(), 1);

    // A picture that cannot be read fails and changes nothing.
    rig.mouse->resetCounters();
    QVERIFY(!rig.manager->writeImageToMouse(3, QStringLiteral("4"), 0, 1));
    QCOMPARE(rig.mouse->featureSets(0x05), 0);
    QCOMPARE(rig.manager->GetOLEDBehaviour(), 1);
}

void TstFamilyBIntegration::oledOnModelWithoutScreen()
{
    Rig rig(4);
    QVERIFY(rig.openAndRead());
    const QByteArray before = rig.mouse->settingsBlock();
    rig.mouse->resetCounters();
    QVERIFY(rig.manager->SetOLEDBehaviour(3));
    QVERIFY(rig.manager->writeImageToMouse(4, QStringLiteral("1"), 0, 1));
    QCOMPARE(rig.mouse->settingsBlock(), before);
    QCOMPARE(rig.mouse->featureSets(0x03) + rig.mouse->featureSets(0x05), 0);
}

void TstFamilyBIntegration::compareFindsTheMatchingFile()
{
    Rig rig(3);
    QVERIFY(rig.openAndRead());
    // Files 1..5 hold the defaults; make the mouse differ from them and
    // save the result as file 4.
    rig.manager->SetCurrentConfigNumber(4);
    QVERIFY(rig.manager->SetUsbReportRate(0, 1));
    QVERIFY(rig.manager->SetCPIListValue({400, 800, 1600, 0, 0, 0, 0}, 1));

    std::unique_ptr<UsbDriverManger_OX6> fresh(new UsbDriverManger_OX6);
    fresh->SetDriver(rig.driver.get());
    fresh->InitModelDefaults(PID_OX6, VID_KORVAN);
    QVERIFY(fresh->GetProfileData());
    int number = 0;
    QVERIFY(fresh->CompareMouseAndLocalFileData(number, 0));
    QCOMPARE(number, 4);
    QCOMPARE(fresh->currentConfigNumber(), 4);

    // Nothing matches once file 4 is gone and the mouse is no default.
    QVERIFY(QFile::remove(rig.configPath(4)));
    number = 0;
    QVERIFY(!fresh->CompareMouseAndLocalFileData(number, 0));
    QCOMPARE(number, 0);
}

void TstFamilyBIntegration::loadAndSaveProfiles_data()
{
    QTest::addColumn<int>("type");
    for (int type : {3, 4, 13, 18})
        QTest::addRow("type %d", type) << type;
}

void TstFamilyBIntegration::loadAndSaveProfiles()
{
    QFETCH(int, type);
    Rig rig(type);
    QVERIFY(rig.openAndRead());

    // Profile 2: a macro on the right button and a report rate.
    rig.manager->SetCurrentConfigNumber(2);
    const QString path = rig.writeMacroFile(QStringLiteral("m"), {keyNode(0x44, 0, 20), keyNode(0x44, 1, 0)}, 4);
    QVERIFY(rig.manager->WriteSingleMacro(path, 6));
    QVERIFY(rig.manager->SetUsbReportRate(2, 1));
    const QByteArray profile2 = rig.mouse->settingsBlock();

    // Profile 1: the factory data.
    rig.manager->SetCurrentConfigNumber(1);
    QVERIFY(rig.manager->LoadConfigFileByNumber(0));
    rig.manager->SaveConfigFileByConfigureNumber(1);
    QCOMPARE(rig.fileBlock(1), rig.fileBlock(0));
    QCOMPARE(rig.mouse->settingsBlock(), rig.fileBlock(0));

    // Wipe the macro on the mouse, then switch to profile 2: the macro
    // comes back before the profile that refers to it.
    QVERIFY(rig.mouse->setMacro(144, QByteArray(2, '\0'), {}));
    rig.manager->SetCurrentConfigNumber(2);
    QVERIFY(rig.manager->LoadConfigFileByNumber(2));
    QCOMPARE(rig.mouse->settingsBlock(), profile2);
    QCOMPARE(rig.mouse->macroEntries(144), (QVector<quint16>{0x0107, 0x4014, 0x0207}));
    QCOMPARE(rig.mouse->macroHeader(144), QByteArray("\x00\x04", 2));
    QCOMPARE(rig.manager->macros().keys(), QList<int>{1});

    QVERIFY(!rig.manager->LoadConfigFileByNumber(6));
    QVERIFY(!rig.manager->LoadConfigFileByNumber(-1));
}

void TstFamilyBIntegration::loadWithoutButtons()
{
    Rig rig(4);
    QVERIFY(rig.openAndRead());
    rig.manager->SetCurrentConfigNumber(5);
    QVERIFY(rig.manager->SetChangeButtonToKey(7, 29, 0x45, 0, 1));
    QVERIFY(rig.manager->SetUsbReportRate(0, 1));
    // File 3 holds the defaults: report rate 3, factory buttons.
    QVERIFY(rig.manager->LoadConfigFileWithoutButtons(3));
    QCOMPARE(rig.mouse->profileByte(242), quint8(rig.fileBlock(3).at(0)));
    QCOMPARE(rig.mouseWordAt(348), word(0x00, 0x00, 0x08, 0x00));
}

void TstFamilyBIntegration::oldTextFilesRoundTrip()
{
    Rig rig(18);
    QVERIFY(rig.openAndRead());
    rig.manager->SetCurrentConfigNumber(2);
    const QString path = rig.writeMacroFile(QStringLiteral("m"), {keyNode(0x44, 0, 20), keyNode(0x44, 1, 0)}, 4);
    QVERIFY(rig.manager->WriteSingleMacro(path, 6));
    QVERIFY(rig.manager->SetUsbReportRate(1, 1));
    QByteArray blocks[6];
    for (int n = 1; n <= 5; ++n)
        blocks[n] = rig.fileBlock(n);
    JsonHandle json;
    const HaldenMacroRecord macro = json.getMacroData_Halden(18, 2, 1);
    QVERIFY(!macro.events.isEmpty());

    rig.manager->SaveToOldTxtFiles();
    for (int n = 1; n <= 5; ++n) {
        QVERIFY(QFile::exists(getOldTxtConfigFilePath(18, n)));
        QVERIFY(QFile::remove(rig.configPath(n)));
    }
    QVERIFY(rig.manager->TurnOldTxtFileToNewJsonFile());
    for (int n = 1; n <= 5; ++n)
        QCOMPARE(rig.fileBlock(n), blocks[n]);
    QCOMPARE(json.getMacroData_Halden(18, 2, 1), macro);

    rig.manager->RemoveOldConfigFiles();
    for (int n = 1; n <= 5; ++n)
        QVERIFY(!QFile::exists(getOldTxtConfigFilePath(18, n)));
    QVERIFY(rig.manager->TurnOldTxtFileToNewJsonFile()); // nothing to convert
}

void TstFamilyBIntegration::damagedOldTextFileIsRefused()
{
    Rig rig(3);
    QVERIFY(rig.openAndRead());
    rig.manager->SaveToOldTxtFiles();
    const QString txt = getOldTxtConfigFilePath(3, 2);
    QByteArray text = fileBytes(txt);
    const int at = text.indexOf("block ") + 6;
    text[at] = text[at] == '0' ? '1' : '0'; // the byte sum no longer holds
    {
        QFile f(txt);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    rig.manager->SetCurrentConfigNumber(2);
    QVERIFY(rig.manager->SetUsbReportRate(0, 1)); // file 2 now differs from its text
    const QByteArray json = fileBytes(rig.configPath(2));
    QVERIFY(!rig.manager->TurnOldTxtFileToNewJsonFile());
    QCOMPARE(fileBytes(rig.configPath(2)), json);
}

void TstFamilyBIntegration::familyCSpecifics()
{
    Rig rig(13);
    rig.mouse->setProfileByte(5, 0x99);
    rig.mouse->setProfileByte(13, 0x42);
    QVERIFY(rig.openAndRead());
    QCOMPARE(rig.manager->returnDefaultDPIGear(), 2);
    QCOMPARE(rig.manager->SetCPIStageMatrix(13, 3300).low, quint8(0x4D));
    QCOMPARE(rig.manager->SetCPIStageMatrix(13, 3400).low, quint8(0x4E));
    QCOMPARE(rig.manager->buildDPIValue(0x4D, 0), DWORD(3300));
    QCOMPARE(rig.manager->buildDPIValue(0x01, 0), DWORD(0));
    QVERIFY(rig.manager->SetUsbReportRate(0, 1));
    // The factory area is written back as it came.
    QCOMPARE(rig.mouse->profileByte(5), quint8(0x99));
    QCOMPARE(rig.mouse->profileByte(13), quint8(0x42));
}

QTEST_GUILESS_MAIN(TstFamilyBIntegration)
#include "tst_familybintegration.moc"
