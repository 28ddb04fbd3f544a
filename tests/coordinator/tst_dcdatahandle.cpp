// The device watcher and the data coordinator together, each on its own
// worker thread as in the application, against emulated mice in virtual time.

#include "discovery/checkdevice.h"
#include "platform/clock.h"
#include "config/currentgear.h"
#include "coordinator/dcdatahandle.h"
#include "sim/emulatedhidbus.h"
#include "sim/familya/familyascene.h"
#include "sim/familyb/chipbootloader.h"
#include "sim/familyb/familybmouse.h"
#include "config/gearhandle.h"
#include "platform/hidbus.h"
#include "config/jsonhandle.h"
#include "discovery/models.h"
#include "config/paths.h"
#include "config/atomicfile.h"
#include "tests/common/testutil.h"
#include "device/usbdrivermanager.h"

#include <QFile>
#include <QJsonArray>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include <functional>

namespace {

QList<DWORD> dwords(std::initializer_list<int> values)
{
    QList<DWORD> out;
    for (int v : values)
        out.append(DWORD(v));
    return out;
}

QList<bool> gearEnables(const QJsonObject &gear)
{
    QList<bool> out;
    for (const QJsonValue &entry : gear.value(QStringLiteral("GearData")).toArray())
        out.append(entry.toObject().value(QStringLiteral("GearEnable")).toBool());
    return out;
}

QJsonObject readJson(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// The coordinator's results, re-emitted on the test's thread so the spies
// are only ever read where they are filled.
class Mirror : public QObject
{
    Q_OBJECT

public:
    explicit Mirror(DCDataHandle *dc)
    {
        const auto q = Qt::QueuedConnection;
        connect(dc, &DCDataHandle::sig_OpenDeviceResult, this, &Mirror::openResult, q);
        connect(dc, &DCDataHandle::sig_ShowWarningDialog, this, &Mirror::warning, q);
        connect(dc, &DCDataHandle::sig_SetCurrentConfigure, this, &Mirror::configure, q);
        connect(dc, &DCDataHandle::sig_SetCurrentCpiListValueOnPage, this, &Mirror::cpi, q);
        connect(dc, &DCDataHandle::sig_SetCurrentReportRate, this, &Mirror::reportRate, q);
        connect(dc, &DCDataHandle::sig_BatteryPower, this, &Mirror::battery, q);
        connect(dc, &DCDataHandle::sig_startCode, this, &Mirror::startCode, q);
        connect(dc, &DCDataHandle::sig_finishCode, this, &Mirror::finishCode, q);
        connect(dc, &DCDataHandle::sig_startTimer, this, &Mirror::startTimer, q);
        connect(dc, &DCDataHandle::sig_ShowLoadingDialog, this, &Mirror::showLoading, q);
        connect(dc, &DCDataHandle::sig_EndLoadingDialog, this, &Mirror::endLoading, q);
        connect(dc, &DCDataHandle::sig_GearObjectChanged, this, &Mirror::gearChanged, q);
        connect(dc, &DCDataHandle::sig_closeUpdatingWidget, this, &Mirror::closeUpdating, q);
        connect(dc, &DCDataHandle::sig_StopCheckDeviceTimer, this, &Mirror::stopWatcher, q);
        connect(dc, &DCDataHandle::sig_StartCheckDeviceTimer, this, &Mirror::startWatcher, q);
        connect(dc, &DCDataHandle::sig_ProcessVaule, this, &Mirror::percent, q);
        connect(dc, &DCDataHandle::sig_CurrentButtonIsOriginalButton, this, &Mirror::originalButton, q);
        connect(dc, &DCDataHandle::sig_TrueMouseValue, this, &Mirror::trueValue, q);
    }

signals:
    void openResult(bool result, int mouseType, bool isWireless);
    void warning(int type);
    void configure(int number);
    void cpi(QList<DWORD> values);
    void reportRate(int index);
    void battery(DWORD level);
    void startCode(bool ok);
    void finishCode(bool ok);
    void startTimer(int ms);
    void showLoading();
    void endLoading();
    void gearChanged();
    void closeUpdating();
    void stopWatcher();
    void startWatcher();
    void percent(int value);
    void originalButton(bool state, int button);
    void trueValue(int button, int changeType, int value, int modifier);
};

// The part of the main window that turns watcher reports into coordinator
// calls: arrival opens (not a boot loader), removal tears down.
class Rig : public QObject
{
    Q_OBJECT

public:
    Rig()
        : m_clockScope(&m_clock)
    {
        setHidBus(&bus);
        dc = new DCDataHandle;
        dc->setPairingTimerManual(true);
        dc->moveToThread(&m_dataThread);
        watcher = new CheckDevice(&bus, 1000);
        watcher->stopTheTimer();
        watcher->moveToThread(&m_watchThread);
        mirror = std::make_unique<Mirror>(dc);
        connect(watcher, &CheckDevice::sigFound, this, &Rig::onFound, Qt::QueuedConnection);
        connect(watcher, &CheckDevice::sigFound, this, &Rig::found, Qt::QueuedConnection);
        connect(watcher, &CheckDevice::sigBlootDescriptor, this, &Rig::bootDescriptor, Qt::QueuedConnection);
        m_dataThread.start();
        m_watchThread.start();
    }

    ~Rig() override
    {
        run([this] { delete dc; });
        QMetaObject::invokeMethod(watcher, [this] { delete watcher; }, Qt::BlockingQueuedConnection);
        m_dataThread.quit();
        m_watchThread.quit();
        m_dataThread.wait();
        m_watchThread.wait();
        setHidBus(nullptr);
    }

    // Runs f on the coordinator's thread and delivers what it reported.
    void run(const std::function<void()> &f)
    {
        QMetaObject::invokeMethod(dc, f, Qt::BlockingQueuedConnection);
        settle();
    }

    // One watcher tick, with the window's reaction to it.
    void tick()
    {
        QMetaObject::invokeMethod(watcher, [this] { watcher->tick(); }, Qt::BlockingQueuedConnection);
        settle();
    }

    bool hasNoManager()
    {
        bool none = false;
        run([&] { none = dc->manager() == nullptr; });
        return none;
    }

    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    EmulatedHidBus bus;
    VirtualClock m_clock;
    DCDataHandle *dc = nullptr;
    CheckDevice *watcher = nullptr;
    std::unique_ptr<Mirror> mirror;

signals:
    void found(bool found, uint pid, uint vid);
    void bootDescriptor(int type);

private:
    void onFound(bool isFound, uint pid, uint vid)
    {
        if (isFound && pid != PID_BOOTLOADER)
            QMetaObject::invokeMethod(dc, [this, pid, vid] { dc->slot_OpenDevice(pid, vid); },
                                      Qt::BlockingQueuedConnection);
        else if (!isFound)
            QMetaObject::invokeMethod(dc, [this] { dc->destroyUselessThings(); }, Qt::BlockingQueuedConnection);
    }

    TempAppDir m_app;
    ScopedDeviceClock m_clockScope;
    QThread m_dataThread;
    QThread m_watchThread;
};

class TstDCDataHandle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerDeviceMetaTypes(); }

    void arrivalOpensReadsAndRemovalTearsDown_data();
    void arrivalOpensReadsAndRemovalTearsDown();
    void profileSwitchWritesTheProfileFile_data();
    void profileSwitchWritesTheProfileFile();
    void takeoverBetweenTicksReopens();
    void cableWinsOverReceiver();
    void bootLoadersAreNeverOpened_data();
    void bootLoadersAreNeverOpened();
    void receiverMouseMatch_data();
    void receiverMouseMatch();
    void batteryReadingsGoThroughTheFilter();
    void pairing_data();
    void pairing();
    void updateRequestsOverReceiverAndAttemptLimit();
    void firmwareUpdateRunsOnItsThreadAndSparesThePair();
    void factoryResetDeletesPicturesAndRewritesGearTables();
    void cpiOfZeroDisablesTheGear_data();
    void cpiOfZeroDisablesTheGear();
    void gearValueFromThePageIsWrittenHere();
    void oledBrightnessIsCachedForOtherThreads();
    void unplugDuringWriteKeepsFilesAndReopens_data();
    void unplugDuringWriteKeepsFilesAndReopens();
    void thousandPlugCyclesOpenOnceAndLeakNothing();
    void slotsWithoutDeviceDoNothing();

    // Faults found by trying the program as a user would.
    void buttonsReturnToFactoryAfterASwitch_data();
    void buttonsReturnToFactoryAfterASwitch();
    void batteryOfPercentModelsIsNotConverted_data();
    void batteryOfPercentModelsIsNotConverted();
    void unsavedProfileFilesAreReported_data();
    void unsavedProfileFilesAreReported();
    void theProfileLoadedLastIsTheOneInUse_data();
    void theProfileLoadedLastIsTheOneInUse();
    void oldTextProfilesAreConvertedOnce();
};

// --- Arrival, reading, removal ---------------------------------------------------------

void TstDCDataHandle::arrivalOpensReadsAndRemovalTearsDown_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<bool>("receiver");
    QTest::addColumn<bool>("watched"); // the watcher reports the id (not OX5, OX7EU)

    QTest::newRow("family A by cable (OX7)") << 11 << false << true;
    QTest::newRow("family A through the receiver (OX7)") << 11 << true << true;
    QTest::newRow("family B (OX6)") << 3 << false << true;
    QTest::newRow("family B (OX8)") << 18 << false << true;
    QTest::newRow("family C (OX5), opened without the watcher") << 13 << false << false;
}

void TstDCDataHandle::arrivalOpensReadsAndRemovalTearsDown()
{
    QFETCH(int, mouseType);
    QFETCH(bool, receiver);
    QFETCH(bool, watched);

    Rig rig;
    QSignalSpy found(&rig, &Rig::found);
    QSignalSpy opened(rig.mirror.get(), &Mirror::openResult);
    QSignalSpy configure(rig.mirror.get(), &Mirror::configure);
    QSignalSpy cpi(rig.mirror.get(), &Mirror::cpi);
    QSignalSpy warnings(rig.mirror.get(), &Mirror::warning);
    QSignalSpy shown(rig.mirror.get(), &Mirror::showLoading);
    QSignalSpy ended(rig.mirror.get(), &Mirror::endLoading);

    FamilyAScene scene;
    std::shared_ptr<FamilyBMouse> bMouse;
    if (isFamilyA(mouseType))
        scene = plugFamilyA(rig.bus, mouseType, receiver);
    else
        bMouse = plugFamilyB(rig.bus, mouseType);
    const ModelIdentity *model = modelForType(mouseType);
    const quint16 pid = receiver ? model->wirelessPid : model->wiredPid;

    if (watched) {
        rig.tick();
        QCOMPARE(found.count(), 1);
        QCOMPARE(found.at(0).at(0).toBool(), true);
        QCOMPARE(found.at(0).at(1).toUInt(), uint(pid));
    } else {
        rig.run([&] { rig.dc->slot_OpenDevice(pid, VID_KORVAN); });
    }

    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.at(0).at(0).toBool(), true);
    QCOMPARE(opened.at(0).at(1).toInt(), mouseType);
    QCOMPARE(opened.at(0).at(2).toBool(), receiver);
    QCOMPARE(rig.dc->currentProductId(), pid);
    // A factory-fresh mouse matches the default profile 1 of a fresh folder.
    QCOMPARE(configure.count(), 1);
    QCOMPARE(configure.at(0).at(0).toInt(), 1);
    QVERIFY(!cpi.isEmpty());
    QCOMPARE(cpi.last().at(0).value<QList<DWORD>>().size(), 7);
    QVERIFY(warnings.isEmpty());
    // Every busy frame is closed again.
    QVERIFY(shown.count() > 0);
    QCOMPARE(ended.count(), shown.count());
    QVERIFY(QFile::exists(getCpiSettingFilePath(mouseType, 1)));
    QVERIFY(rig.bus.liveHandleCount() > 0);

    // Removal: one report with the same id, and every handle closed.
    rig.bus.unplugAll();
    if (watched) {
        rig.tick();
        QCOMPARE(found.count(), 2);
        QCOMPARE(found.at(1).at(0).toBool(), false);
        QCOMPARE(found.at(1).at(1).toUInt(), uint(pid));
        rig.tick();
        QCOMPARE(found.count(), 2);
    } else {
        rig.run([&] { rig.dc->destroyUselessThings(); });
    }
    QCOMPARE(rig.bus.liveHandleCount(), 0);
    QCOMPARE(rig.dc->currentProductId(), quint16(0));
    QVERIFY(rig.hasNoManager());
}

void TstDCDataHandle::profileSwitchWritesTheProfileFile_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<QList<DWORD>>("changed");

    QTest::newRow("family A (OX7)") << 11 << dwords({400, 800, 1200, 0, 0, 0, 0});
    QTest::newRow("family B (OX6)") << 3 << dwords({800, 1000, 0, 0, 0, 0, 0});
    QTest::newRow("family C (OX5)") << 13 << dwords({800, 1200, 0, 0, 0, 0, 0});
}

void TstDCDataHandle::profileSwitchWritesTheProfileFile()
{
    QFETCH(int, mouseType);
    QFETCH(QList<DWORD>, changed);

    Rig rig;
    if (isFamilyA(mouseType))
        plugFamilyA(rig.bus, mouseType, false);
    else
        plugFamilyB(rig.bus, mouseType);
    const quint16 pid = modelForType(mouseType)->wiredPid;
    QSignalSpy cpi(rig.mirror.get(), &Mirror::cpi);
    QSignalSpy warnings(rig.mirror.get(), &Mirror::warning);
    QSignalSpy gear(rig.mirror.get(), &Mirror::gearChanged);
    QSignalSpy shown(rig.mirror.get(), &Mirror::showLoading);
    QSignalSpy ended(rig.mirror.get(), &Mirror::endLoading);
    rig.run([&] { rig.dc->slot_OpenDevice(pid, VID_KORVAN); });
    QVERIFY(!cpi.isEmpty());
    const QList<DWORD> factory = cpi.last().at(0).value<QList<DWORD>>();
    QVERIFY(factory != changed);

    // Profile 1 takes the new stages; profile 2 still has the defaults.
    rig.run([&] { rig.dc->slot_setCPIListValueOnMouse(changed); });
    QVERIFY(warnings.isEmpty());
    cpi.clear();
    gear.clear();
    rig.run([&] { rig.dc->slot_LoadLocalConfigFileAndWriteIntoMouse(2); });
    QVERIFY(warnings.isEmpty());
    QCOMPARE(rig.dc->currentConfigNumber(), 2);
    QVERIFY(gear.count() >= 1);
    QVERIFY(QFile::exists(getCpiSettingFilePath(mouseType, 2)));
    QCOMPARE(cpi.last().at(0).value<QList<DWORD>>(), factory);

    cpi.clear();
    rig.run([&] { rig.dc->slot_LoadLocalConfigFileAndWriteIntoMouse(1); });
    QVERIFY(warnings.isEmpty());
    QCOMPARE(cpi.last().at(0).value<QList<DWORD>>(), changed);
    QCOMPARE(ended.count(), shown.count());

    // The mouse itself holds profile 1 now: a fresh read finds it.
    QSignalSpy configure(rig.mirror.get(), &Mirror::configure);
    rig.run([&] { rig.dc->slot_GetProfileFromMouse(); });
    QCOMPARE(configure.count(), 1);
    QCOMPARE(configure.at(0).at(0).toInt(), 1);

    // Numbers outside the five user profiles are refused without a device call.
    shown.clear();
    rig.run([&] { rig.dc->slot_LoadLocalConfigFileAndWriteIntoMouse(0); });
    rig.run([&] { rig.dc->slot_LoadOnlyLocalMouseConfigFileAndWriteIntoMouse(6); });
    QCOMPARE(shown.count(), 0);
    QCOMPARE(rig.dc->currentConfigNumber(), 1);
}

void TstDCDataHandle::takeoverBetweenTicksReopens()
{
    Rig rig;
    QSignalSpy found(&rig, &Rig::found);
    QSignalSpy opened(rig.mirror.get(), &Mirror::openResult);
    auto first = plugFamilyB(rig.bus, 3);
    rig.tick();
    QCOMPARE(opened.count(), 1);

    rig.bus.unplug(first.get());
    plugFamilyB(rig.bus, 18);
    rig.tick();
    QCOMPARE(found.count(), 2);
    QCOMPARE(found.at(1).at(0).toBool(), false);
    QCOMPARE(found.at(1).at(1).toUInt(), uint(PID_OX6));
    QCOMPARE(rig.dc->currentProductId(), quint16(0));
    rig.tick();
    QCOMPARE(found.count(), 3);
    QCOMPARE(found.at(2).at(1).toUInt(), uint(PID_OX8));
    QCOMPARE(opened.count(), 2);
    QCOMPARE(opened.at(1).at(0).toBool(), true);
    QCOMPARE(opened.at(1).at(1).toInt(), 18);
    QCOMPARE(currentMouseType(), 18);
}

void TstDCDataHandle::cableWinsOverReceiver()
{
    Rig rig;
    plugFamilyA(rig.bus, 11, FamilyALink::CableAndReceiver);
    QSignalSpy opened(rig.mirror.get(), &Mirror::openResult);
    rig.tick();
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.at(0).at(0).toBool(), true);
    QCOMPARE(opened.at(0).at(2).toBool(), false);
    QCOMPARE(rig.dc->currentProductId(), PID_OX7_WIRED);
    QVERIFY(!rig.dc->isWirelessDevice());
}

void TstDCDataHandle::bootLoadersAreNeverOpened_data()
{
    QTest::addColumn<bool>("chip");
    QTest::addColumn<int>("mouseType");
    QTest::newRow("family A boot loader (OX7EU)") << false << 14;
    QTest::newRow("family A boot loader (OX4)") << false << 12;
    QTest::newRow("chip boot loader (OX6)") << true << 3;
}

void TstDCDataHandle::bootLoadersAreNeverOpened()
{
    QFETCH(bool, chip);
    QFETCH(int, mouseType);

    Rig rig;
    QSignalSpy descriptor(&rig, &Rig::bootDescriptor);
    QSignalSpy found(&rig, &Rig::found);
    QSignalSpy opened(rig.mirror.get(), &Mirror::openResult);
    if (chip)
        plugChipBootloader(rig.bus, mouseType);
    else
        plugNucIspBootloader(rig.bus, mouseType);
    rig.tick();
    rig.tick();
    QCOMPARE(descriptor.count(), 2); // on every tick
    QCOMPARE(descriptor.at(0).at(0).toInt(), mouseType);
    QCOMPARE(found.count(), 1);
    QCOMPARE(found.at(0).at(1).toUInt(), uint(chip ? PID_CHIP_BOOTLOADER : PID_BOOTLOADER));

    // Even asked directly, the coordinator leaves a family A boot loader alone.
    rig.run([&] { rig.dc->slot_OpenDevice(PID_BOOTLOADER, VID_KORVAN); });
    if (!chip)
        QCOMPARE(opened.count(), 0);
    QCOMPARE(rig.bus.openCount(), 0);
}

void TstDCDataHandle::receiverMouseMatch_data()
{
    QTest::addColumn<int>("pairedType");
    QTest::addColumn<bool>("adopted");
    QTest::newRow("foreign mouse (OX7Q behind an OX7 receiver)") << 10 << false;
    QTest::newRow("foreign mouse (OX4C behind an OX7 receiver)") << 7 << false;
    QTest::newRow("own mouse") << 11 << true;
    QTest::newRow("no mouse answers (product id 0)") << 0 << true;
}

void TstDCDataHandle::receiverMouseMatch()
{
    QFETCH(int, pairedType);
    QFETCH(bool, adopted);

    Rig rig;
    FamilyAScene scene = plugFamilyAReceiver(rig.bus, 11, pairedType);
    QVERIFY(scene.receiver);
    QSignalSpy opened(rig.mirror.get(), &Mirror::openResult);
    QSignalSpy warnings(rig.mirror.get(), &Mirror::warning);
    rig.tick();

    bool everTrue = false;
    for (const QList<QVariant> &args : opened)
        everTrue = everTrue || args.at(0).toBool();
    QCOMPARE(everTrue, adopted);
    QCOMPARE(warnings.contains(QList<QVariant>{Warning::ReceiverMismatch}), !adopted);
    if (!adopted) {
        // The two receiver commands went out, and nothing of the pair stays open.
        QCOMPARE(scene.receiver->commandCount(0xA0), 1);
        QCOMPARE(scene.receiver->commandCount(0xA1), 1);
        QCOMPARE(rig.bus.liveHandleCount(), 0);
        QCOMPARE(rig.dc->currentProductId(), quint16(0));
        // The next tick reports nothing new, so nothing is opened again.
        rig.tick();
        QCOMPARE(opened.count(), 1);
    } else {
        QCOMPARE(rig.dc->currentProductId(), PID_OX7_RECEIVER);
    }
}

// --- Battery -------------------------------------------------------------------------

// The filter's own cases are in tst_batteryfilter; this checks the wiring.
void TstDCDataHandle::batteryReadingsGoThroughTheFilter()
{
    TempAppDir app;
    DCDataHandle dc;
    QSignalSpy battery(&dc, &DCDataHandle::sig_BatteryPower);
    auto shown = [&] {
        QList<DWORD> got;
        for (const QList<QVariant> &args : battery)
            got.append(args.at(0).value<DWORD>());
        battery.clear();
        return got;
    };
    for (DWORD r : dwords({55, 55, 56}))
        dc.FilterTheQuantityOfElectricCharge(r);
    QCOMPARE(shown(), dwords({56}));
    // Settled: a far reading alone changes nothing.
    for (DWORD r : dwords({30, 30, 30}))
        dc.FilterTheQuantityOfElectricCharge(r);
    QCOMPARE(shown(), dwords({}));

    // A failed read or write sends the filter back to warm-up, where three
    // agreeing readings are shown at once.
    dc.warningReadOrWriteError();
    for (DWORD r : dwords({30, 30, 30}))
        dc.FilterTheQuantityOfElectricCharge(r);
    QCOMPARE(shown(), dwords({30}));
}

// --- Pairing ---------------------------------------------------------------------------

void TstDCDataHandle::pairing_data()
{
    QTest::addColumn<bool>("receiver");
    QTest::addColumn<bool>("neverPairs");
    QTest::addColumn<QByteArray>("noAck");
    QTest::addColumn<bool>("started");
    QTest::addColumn<int>("finishTick"); // tick that ends pairing, 0: none expected
    QTest::addColumn<bool>("paired");

    QTest::newRow("receiver pairs after a few queries") << true << false << QByteArray() << true << 4 << true;
    QTest::newRow("never reaching mode 0 ends at the 200th tick")
        << true << true << QByteArray() << true << 200 << false;
    QTest::newRow("address command without acknowledge refuses")
        << true << false << QByteArray::fromHex("A18F") << false << 0 << false;
    QTest::newRow("open command without acknowledge refuses")
        << true << false << QByteArray::fromHex("A081") << false << 0 << false;
    QTest::newRow("cable connection refuses") << false << false << QByteArray() << false << 0 << false;
}

void TstDCDataHandle::pairing()
{
    QFETCH(bool, receiver);
    QFETCH(bool, neverPairs);
    QFETCH(QByteArray, noAck);
    QFETCH(bool, started);
    QFETCH(int, finishTick);
    QFETCH(bool, paired);

    Rig rig;
    FamilyAScene scene = plugFamilyA(rig.bus, 11, receiver);
    rig.tick();
    QCOMPARE(rig.dc->currentProductId(), receiver ? PID_OX7_RECEIVER : PID_OX7_WIRED);
    if (neverPairs)
        scene.receiver->setPairingOutcome(FamilyAReceiver::PairingOutcome::NeverPairs);
    if (!noAck.isEmpty())
        scene.receiver->setNoAck(noAck);
    const int mouseCommands = scene.mouse->commandLog().size();

    QSignalSpy start(rig.mirror.get(), &Mirror::startCode);
    QSignalSpy timer(rig.mirror.get(), &Mirror::startTimer);
    QSignalSpy finish(rig.mirror.get(), &Mirror::finishCode);
    rig.run([&] { rig.dc->slot_startCode(); });
    QCOMPARE(start.count(), 1);
    QCOMPARE(start.at(0).at(0).toBool(), started);
    QCOMPARE(timer.count(), started ? 1 : 0);
    if (started)
        QCOMPARE(timer.at(0).at(0).toInt(), DCDataHandle::kPairingIntervalMs);
    if (!receiver)
        QCOMPARE(scene.mouse->commandLog().size(), mouseCommands); // nothing sent
    if (!started) {
        rig.run([&] { rig.dc->slot_codetimerout(); });
        QCOMPARE(finish.count(), 0);
        return;
    }

    int ticks = 0;
    while (finish.isEmpty() && ticks < 250) {
        ++ticks;
        rig.run([&] { rig.dc->slot_codetimerout(); });
    }
    QCOMPARE(finish.count(), 1);
    QCOMPARE(finish.at(0).at(0).toBool(), paired);
    if (neverPairs)
        QCOMPARE(ticks, finishTick);
    else
        QVERIFY(ticks <= finishTick);
    bool pairing = true;
    rig.run([&] { pairing = rig.dc->isPairing(); });
    QVERIFY(!pairing);
    // Ticks after the end change nothing.
    rig.run([&] { rig.dc->slot_codetimerout(); });
    QCOMPARE(finish.count(), 1);
}

// --- Firmware update ------------------------------------------------------------------

void TstDCDataHandle::updateRequestsOverReceiverAndAttemptLimit()
{
    Rig rig;
    plugFamilyA(rig.bus, 11, true);
    rig.tick();
    QSignalSpy warnings(rig.mirror.get(), &Mirror::warning);
    QSignalSpy stopWatcher(rig.mirror.get(), &Mirror::stopWatcher);
    QSignalSpy startWatcher(rig.mirror.get(), &Mirror::startWatcher);

    for (int i = 1; i < DCDataHandle::kUpdateAttemptLimit; ++i) {
        rig.run([&] { rig.dc->slot_UpdateFirmwareKorvan(QStringLiteral("/nonexistent.bin"), QStringLiteral("ox7")); });
        QCOMPARE(warnings.count(), i);
        QCOMPARE(warnings.last().at(0).toInt(), Warning::UpdateNeedsCable);
        QVERIFY(!rig.dc->isUpdating());
    }
    // The watcher was paused and resumed around every refusal.
    QCOMPARE(stopWatcher.count(), DCDataHandle::kUpdateAttemptLimit - 1);
    QCOMPARE(startWatcher.count(), DCDataHandle::kUpdateAttemptLimit - 1);

    rig.run([&] { rig.dc->slot_UpdateFirmwareKorvan(QStringLiteral("/nonexistent.bin"), QStringLiteral("ox7")); });
    QCOMPARE(warnings.last().at(0).toInt(), Warning::TooManyUpdates);
    QCOMPARE(stopWatcher.count(), DCDataHandle::kUpdateAttemptLimit - 1);
    QVERIFY(rig.dc->isUpdating());
}

void TstDCDataHandle::firmwareUpdateRunsOnItsThreadAndSparesThePair()
{
    Rig rig;
    FamilyAScene scene = plugFamilyA(rig.bus, 11, false);
    rig.tick();
    QCOMPARE(rig.dc->currentProductId(), PID_OX7_WIRED);

    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("Nuc123.bin"));
    QByteArray bytes;
    for (int i = 0; i < 300; ++i)
        bytes.append(char(i * 7));
    QFile f(image);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();

    QSignalSpy warnings(rig.mirror.get(), &Mirror::warning);
    QSignalSpy closed(rig.mirror.get(), &Mirror::closeUpdating);
    QSignalSpy stopWatcher(rig.mirror.get(), &Mirror::stopWatcher);
    QSignalSpy startWatcher(rig.mirror.get(), &Mirror::startWatcher);
    QSignalSpy percent(rig.mirror.get(), &Mirror::percent);
    rig.m_clock.resetCounters();
    rig.run([&] { rig.dc->slot_UpdateFirmwareKorvan(image, QStringLiteral("ox7")); });
    QCOMPARE(stopWatcher.count(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, 60000);
    QCOMPARE(warnings.count(), 1);
    QCOMPARE(warnings.at(0).at(0).toInt(), Warning::UpdateSucceeded);
    QCOMPARE(startWatcher.count(), 1);
    QVERIFY(!rig.dc->isUpdating());
    QCOMPARE(percent.last().at(0).toInt(), 100);
    QCOMPARE(scene.mouse->flashCount(), 1);
    QCOMPARE(scene.mouse->flashedImage(), bytes);
    // The waits around the result went through the device clock.
    QVERIFY(rig.m_clock.totalSleptMs() >= 600);

    // A broken image ends in warning 7 and resumes the watcher.
    warnings.clear();
    rig.run([&] { rig.dc->slot_UpdateFirmwareKorvan(dir.filePath(QStringLiteral("missing.bin")), QStringLiteral("ox7")); });
    QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 2, 60000);
    QCOMPARE(warnings.count(), 1);
    QCOMPARE(warnings.at(0).at(0).toInt(), Warning::UpdateFailed);
    QCOMPARE(startWatcher.count(), 2);

    // A model without a boot loader of this kind fails at once.
    rig.run([&] { rig.dc->slot_UpdateFirmwareKorvan(image, QStringLiteral("ox2")); });
    QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 3, 60000);
    QCOMPARE(warnings.last().at(0).toInt(), Warning::UpdateFailed);
    QCOMPARE(scene.mouse->flashCount(), 1);

    // An image larger than the model's 64 KB program memory fails before
    // the mouse leaves its firmware.
    const QString tooLarge = dir.filePath(QStringLiteral("Large.bin"));
    {
        QFile big(tooLarge);
        QVERIFY(big.open(QIODevice::WriteOnly));
        big.write(QByteArray(0x10001, char(0x5A)));
    }
    rig.run([&] { rig.dc->slot_UpdateFirmwareKorvan(tooLarge, QStringLiteral("ox7")); });
    QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 4, 60000);
    QCOMPARE(warnings.last().at(0).toInt(), Warning::UpdateFailed);
    QCOMPARE(scene.mouse->commandCount(0xA8), 1); // the first update's restart only
    QCOMPARE(scene.mouse->flashCount(), 1);

    // While an update runs, a removal report leaves the pair alone (the
    // result can only arrive after this block on the coordinator's thread).
    bool updating = false;
    bool keptManager = false;
    quint16 keptPid = 0;
    rig.run([&] {
        rig.dc->slot_UpdateFirmwareKorvan(image, QStringLiteral("ox7"));
        updating = rig.dc->isUpdating();
        rig.dc->destroyUselessThings();
        keptManager = rig.dc->manager() != nullptr;
        keptPid = rig.dc->currentProductId();
    });
    QVERIFY(updating);
    QVERIFY(keptManager);
    QCOMPARE(keptPid, PID_OX7_WIRED);
    QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 5, 60000);
    QCOMPARE(warnings.last().at(0).toInt(), Warning::UpdateSucceeded);
    QCOMPARE(scene.mouse->flashCount(), 2);
    // Afterwards a removal tears the pair down as usual.
    rig.run([&] { rig.dc->destroyUselessThings(); });
    QVERIFY(rig.hasNoManager());
}

// --- Factory reset, gear tables ---------------------------------------------------------

void TstDCDataHandle::factoryResetDeletesPicturesAndRewritesGearTables()
{
    Rig rig;
    plugFamilyA(rig.bus, 11, false);
    rig.tick();
    QCOMPARE(rig.dc->currentProductId(), PID_OX7_WIRED);

    GearHandle gearHandle;
    for (int n = 1; n <= 5; ++n) {
        QFile picture(getPictureFilePath(11, QString::number(n)));
        QVERIFY(picture.open(QIODevice::WriteOnly));
        picture.write("BM");
        picture.close();
        QJsonObject gear = gearHandle.createGearFile(11, n);
        gearHandle.setGearEnable(11, n, gear, 2, false);
        gearHandle.setGearCurrentValue(11, n, gear, 0, 1234);
    }
    QSignalSpy gearChanged(rig.mirror.get(), &Mirror::gearChanged);
    QSignalSpy warnings(rig.mirror.get(), &Mirror::warning);
    rig.run([&] { rig.dc->slot_ResetConfigToOriginal(); });
    QVERIFY(warnings.isEmpty());
    QVERIFY(gearChanged.count() >= 1);
    const QJsonObject defaults = gearHandle.createGearObject(11);
    for (int n = 1; n <= 5; ++n) {
        QVERIFY2(!QFile::exists(getPictureFilePath(11, QString::number(n))), qPrintable(QString::number(n)));
        QCOMPARE(readJson(getCpiSettingFilePath(11, n)), defaults);
    }
    QCOMPARE(currentGearObject(), defaults);
}

void TstDCDataHandle::cpiOfZeroDisablesTheGear_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<QList<DWORD>>("stages");
    QTest::addColumn<QList<bool>>("enabled");

    QTest::newRow("family A (OX7)") << 11 << dwords({800, 0, 1600, 0, 0, 0, 3200})
                                    << QList<bool>{true, false, true, false, false, false, true};
    QTest::newRow("family B (OX6)") << 3 << dwords({800, 1000, 0, 0, 0, 0, 0})
                                    << QList<bool>{true, true, false, false, false, false, false};
}

void TstDCDataHandle::cpiOfZeroDisablesTheGear()
{
    QFETCH(int, mouseType);
    QFETCH(QList<DWORD>, stages);
    QFETCH(QList<bool>, enabled);

    Rig rig;
    if (isFamilyA(mouseType))
        plugFamilyA(rig.bus, mouseType, false);
    else
        plugFamilyB(rig.bus, mouseType);
    rig.tick();
    // Work on profile 3 so the table of the current profile is the one changed.
    rig.run([&] { rig.dc->slot_LoadLocalConfigFileAndWriteIntoMouse(3); });
    QSignalSpy warnings(rig.mirror.get(), &Mirror::warning);
    QSignalSpy gearChanged(rig.mirror.get(), &Mirror::gearChanged);
    rig.run([&] { rig.dc->slot_setCPIListValueOnMouse(stages); });
    QVERIFY(warnings.isEmpty());
    QCOMPARE(gearChanged.count(), 1);
    QCOMPARE(gearEnables(readJson(getCpiSettingFilePath(mouseType, 3))), enabled);
    QCOMPARE(gearEnables(currentGearObject()), enabled);
    QCOMPARE(gearEnables(readJson(getCpiSettingFilePath(mouseType, 1))), (QList<bool>{true, true, true, true, true, true, true}));
}

void TstDCDataHandle::gearValueFromThePageIsWrittenHere()
{
    Rig rig;
    plugFamilyB(rig.bus, 18);
    rig.tick();
    rig.run([&] { rig.dc->slot_SetGearCurrentValue(4, 2400); });
    GearHandle gearHandle;
    QCOMPARE(gearHandle.getGearCurrentValue(readJson(getCpiSettingFilePath(18, 1)), 4), 2400);
    QCOMPARE(gearHandle.getGearCurrentValue(currentGearObject(), 4), 2400);
    // An index outside the table changes nothing.
    const QByteArray before = readBytes(getCpiSettingFilePath(18, 1));
    rig.run([&] { rig.dc->slot_SetGearCurrentValue(7, 1); });
    rig.run([&] { rig.dc->slot_SetGearCurrentValue(-1, 1); });
    QCOMPARE(readBytes(getCpiSettingFilePath(18, 1)), before);
}

void TstDCDataHandle::oledBrightnessIsCachedForOtherThreads()
{
    Rig rig;
    plugFamilyA(rig.bus, 11, false);
    rig.tick();
    QSignalSpy warnings(rig.mirror.get(), &Mirror::warning);
    rig.run([&] { rig.dc->slot_SetOLEDScreenLightIntensity(7); });
    QVERIFY(warnings.isEmpty());
    QCOMPARE(rig.dc->oledLightIntensity(), 7);
    rig.bus.unplugAll();
    rig.tick();
    QCOMPARE(rig.dc->oledLightIntensity(), 0);
}

// --- Faults and stress ------------------------------------------------------------------

void TstDCDataHandle::unplugDuringWriteKeepsFilesAndReopens_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("transfersBeforeUnplug");
    QTest::newRow("family A, first transfer of the write") << 11 << 0;
    QTest::newRow("family A, in the middle of the write") << 11 << 3;
    QTest::newRow("family B, first transfer of the write") << 3 << 0;
    QTest::newRow("family B, in the middle of the write") << 3 << 2;
}

void TstDCDataHandle::unplugDuringWriteKeepsFilesAndReopens()
{
    QFETCH(int, mouseType);
    QFETCH(int, transfersBeforeUnplug);

    Rig rig;
    std::shared_ptr<EmulatedDevice> device;
    if (isFamilyA(mouseType))
        device = plugFamilyA(rig.bus, mouseType, false).mouse;
    else
        device = plugFamilyB(rig.bus, mouseType);
    rig.tick();
    QVERIFY(rig.dc->currentProductId() != 0);
    // Every profile file exists before the fault, as after some use.
    JsonHandle json;
    GearHandle gearHandle;
    QStringList files;
    QList<QByteArray> before;
    for (int n = 1; n <= 5; ++n) {
        if (isFamilyA(mouseType))
            json.getMouseData_Korvan(mouseType, n);
        else
            json.getMouseData_Halden(mouseType, n);
        if (!QFile::exists(getCpiSettingFilePath(mouseType, n)))
            gearHandle.createGearFile(mouseType, n);
        files << getConfigJsonFilePath(mouseType, n) << getCpiSettingFilePath(mouseType, n);
    }
    for (const QString &file : files)
        before << readBytes(file);

    QSignalSpy warnings(rig.mirror.get(), &Mirror::warning);
    device->setUnplugAfterTransfers(transfersBeforeUnplug);
    rig.run([&] { rig.dc->slot_LoadLocalConfigFileAndWriteIntoMouse(2); });
    QVERIFY(warnings.contains(QList<QVariant>{Warning::ReadWriteFailed}));
    for (int i = 0; i < files.size(); ++i)
        QVERIFY2(readBytes(files.at(i)) == before.at(i), qPrintable(files.at(i)));

    rig.tick(); // removal
    QCOMPARE(rig.bus.liveHandleCount(), 0);
    QSignalSpy opened(rig.mirror.get(), &Mirror::openResult);
    if (isFamilyA(mouseType))
        plugFamilyA(rig.bus, mouseType, false);
    else
        plugFamilyB(rig.bus, mouseType);
    rig.tick();
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.at(0).at(0).toBool(), true);
}

void TstDCDataHandle::thousandPlugCyclesOpenOnceAndLeakNothing()
{
    Rig rig;
    QSignalSpy found(&rig, &Rig::found);
    QSignalSpy opened(rig.mirror.get(), &Mirror::openResult);
    int arrivals = 0;
    for (int cycle = 0; cycle < 1000; ++cycle) {
        // Mostly mice that vanish somewhere during the open or the read,
        // now and then one that stays for a full open.
        std::shared_ptr<EmulatedDevice> device;
        if (cycle % 2 == 0) {
            const FamilyAScene scene = plugFamilyA(rig.bus, 11, cycle % 4 == 0);
            device = scene.receiver ? std::shared_ptr<EmulatedDevice>(scene.receiver)
                                    : std::shared_ptr<EmulatedDevice>(scene.mouse);
        } else {
            device = plugFamilyB(rig.bus, 18);
        }
        if (cycle % 50 != 0)
            device->setUnplugAfterTransfers(cycle % 37);
        rig.tick();
        ++arrivals;
        QCOMPARE(opened.count(), arrivals);
        rig.bus.unplugAll();
        rig.tick();
        QCOMPARE(rig.bus.liveHandleCount(), 0);
        QCOMPARE(rig.dc->currentProductId(), quint16(0));
    }
    QCOMPARE(found.count(), 2 * arrivals);
    QVERIFY(rig.hasNoManager());
}

void TstDCDataHandle::slotsWithoutDeviceDoNothing()
{
    TempAppDir app;
    DCDataHandle dc;
    QSignalSpy shown(&dc, &DCDataHandle::sig_ShowLoadingDialog);
    QSignalSpy warnings(&dc, &DCDataHandle::sig_ShowWarningDialog);
    QSignalSpy battery(&dc, &DCDataHandle::sig_BatteryPower);
    QSignalSpy opened(&dc, &DCDataHandle::sig_OpenDeviceResult);
    QSignalSpy cpiWritten(&dc, &DCDataHandle::sig_CPIListValueWritten);
    dc.slot_setCPIListValueOnMouse(dwords({800}));
    // The page waits for this before it sends another list.
    QCOMPARE(cpiWritten.count(), 1);
    QCOMPARE(cpiWritten.at(0).at(0).toBool(), false);
    dc.slot_ChangeUsbReportRate(3);
    dc.slot_LoadLocalConfigFileAndWriteIntoMouse(1);
    dc.slot_ResetConfigToOriginal();
    dc.slot_GetBatteryPower();
    dc.slot_GetProfileFromMouse();
    dc.destroyUselessThings();
    QCOMPARE(shown.count(), 0);
    QCOMPARE(warnings.count(), 0);
    QCOMPARE(battery.count(), 0);

    // An unknown product id opens nothing and says so.
    dc.slot_OpenDevice(0x7777, VID_KORVAN);
    dc.slot_OpenDevice(0x1021B, VID_KORVAN); // not a 16-bit id
    QCOMPARE(opened.count(), 2);
    QCOMPARE(opened.at(0).at(0).toBool(), false);
    QCOMPARE(opened.at(1).at(0).toBool(), false);
    QCOMPARE(currentMouseType(), 0);
    QVERIFY(dc.manager() == nullptr);
}

// --- Faults found in use --------------------------------------------------------------------

namespace {

// Opens the model by cable (or through its receiver) and reads it.
void plugAndOpen(Rig &rig, int mouseType, bool receiver = false)
{
    if (isFamilyA(mouseType))
        plugFamilyA(rig.bus, mouseType, receiver);
    else
        plugFamilyB(rig.bus, mouseType);
    const ModelIdentity *model = modelForType(mouseType);
    const quint16 pid = receiver ? model->wirelessPid : model->wiredPid;
    rig.run([&] { rig.dc->slot_OpenDevice(pid, VID_KORVAN); });
}

// The last state reported for a button, -1 when none was.
int lastOriginalState(const QSignalSpy &spy, int button)
{
    int state = -1;
    for (const QList<QVariant> &args : spy)
        if (args.at(1).toInt() == button)
            state = args.at(0).toBool() ? 1 : 0;
    return state;
}

bool reportsButton(const QSignalSpy &spy, int button)
{
    for (const QList<QVariant> &args : spy)
        if (args.at(0).toInt() == button)
            return true;
    return false;
}

} // namespace

// A button assigned in one profile must show its factory function again
// after a profile where it has it is loaded (or after a reset): family A
// reported only changed buttons, so the page kept the old assignment.
void TstDCDataHandle::buttonsReturnToFactoryAfterASwitch_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::newRow("family A (OX7)") << 11;
    QTest::newRow("family B (OX6)") << 3;
}

void TstDCDataHandle::buttonsReturnToFactoryAfterASwitch()
{
    QFETCH(int, mouseType);
    constexpr int kBack = 8;
    Rig rig;
    plugAndOpen(rig, mouseType);
    QSignalSpy warnings(rig.mirror.get(), &Mirror::warning);
    QSignalSpy original(rig.mirror.get(), &Mirror::originalButton);
    QSignalSpy values(rig.mirror.get(), &Mirror::trueValue);
    // Back button to ctrl+C in profile 1.
    rig.run([&] { rig.dc->slot_ChangeButtonToKey(kBack, 0x43, 1, 29); });
    rig.run([&] { rig.dc->slot_SaveProfileToConfig1(); });
    QVERIFY(warnings.isEmpty());
    QCOMPARE(lastOriginalState(original, kBack), 0);
    QVERIFY(reportsButton(values, kBack));

    original.clear();
    values.clear();
    rig.run([&] { rig.dc->slot_LoadLocalConfigFileAndWriteIntoMouse(2); });
    QVERIFY(warnings.isEmpty());
    QCOMPARE(lastOriginalState(original, kBack), 1);
    QVERIFY(!reportsButton(values, kBack));

    rig.run([&] { rig.dc->slot_LoadLocalConfigFileAndWriteIntoMouse(1); });
    QCOMPARE(lastOriginalState(original, kBack), 0);
    original.clear();
    rig.run([&] { rig.dc->slot_ResetConfigToOriginal(); });
    QVERIFY(warnings.isEmpty());
    QCOMPARE(lastOriginalState(original, kBack), 1);
}

// Models that report a percentage (OX7Q, OX7EU, the OX7 from firmware 30)
// have it shown as it is; it went through the reading table and showed 1 %.
// The others' readings go through the table and the filter.
void TstDCDataHandle::batteryOfPercentModelsIsNotConverted_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("firmware");
    QTest::addColumn<QList<DWORD>>("shown"); // after three reads

    QTest::newRow("OX7Q reports percent") << 10 << 25 << dwords({85, 85, 85});
    QTest::newRow("OX7EU reports percent") << 14 << 25 << dwords({85, 85, 85});
    QTest::newRow("OX7 from firmware 30 reports percent") << 11 << 32 << dwords({85, 85, 85});
    QTest::newRow("OX7 before firmware 30: reading, table, filter") << 11 << 25 << dwords({100});
    QTest::newRow("OX4Q: reading, table, filter") << 8 << 25 << dwords({99});
}

void TstDCDataHandle::batteryOfPercentModelsIsNotConverted()
{
    QFETCH(int, mouseType);
    QFETCH(int, firmware);
    QFETCH(QList<DWORD>, shown);
    Rig rig;
    FamilyAScene scene = plugFamilyA(rig.bus, mouseType, true);
    scene.mouse->setFirmwareVersion(quint32(firmware));
    rig.run([&] { rig.dc->slot_OpenDevice(modelForType(mouseType)->wirelessPid, VID_KORVAN); });
    QCOMPARE(rig.dc->firmwareVersion(), firmware);
    if (mouseType == Ox4Q)
        scene.mouse->setBatteryValue(700); // a reading
    QSignalSpy battery(rig.mirror.get(), &Mirror::battery);
    for (int i = 0; i < 3; ++i)
        rig.run([&] { rig.dc->slot_GetBatteryPower(); });
    QList<DWORD> got;
    for (const QList<QVariant> &args : battery)
        got.append(args.at(0).value<DWORD>());
    QCOMPARE(got, shown);
}

// A profile file that could not be written was reported as success (the
// managers' save returned nothing): every such write now raises warning 32.
void TstDCDataHandle::unsavedProfileFilesAreReported_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<QString>("operation");
    for (int type : {11, 3}) {
        const char *family = type == 11 ? "family A" : "family B";
        for (const char *op : {"CPI", "report rate", "button", "profile 2", "save to profile 1", "reset"})
            QTest::addRow("%s, %s", family, op) << type << QString::fromLatin1(op);
    }
}

void TstDCDataHandle::unsavedProfileFilesAreReported()
{
    QFETCH(int, mouseType);
    QFETCH(QString, operation);
    Rig rig;
    plugAndOpen(rig, mouseType);
    QSignalSpy warnings(rig.mirror.get(), &Mirror::warning);
    setAtomicWriteAbortBeforeCommit(true);
    rig.run([&] {
        if (operation == "CPI")
            rig.dc->slot_setCPIListValueOnMouse(dwords({800, 1600, 0, 0, 0, 0, 0}));
        else if (operation == "report rate")
            rig.dc->slot_ChangeUsbReportRate(1);
        else if (operation == "button")
            rig.dc->slot_ChangeButtonToKey(8, 0x43, 0, 29);
        else if (operation == "profile 2")
            rig.dc->slot_LoadLocalConfigFileAndWriteIntoMouse(2);
        else if (operation == "save to profile 1")
            rig.dc->slot_SaveProfileToConfig1();
        else
            rig.dc->slot_ResetConfigToOriginal();
    });
    setAtomicWriteAbortBeforeCommit(false);
    QVERIFY(warnings.contains(QList<QVariant>{Warning::ReadWriteFailed}));
}

// Profiles often hold the same settings (all five do on a fresh
// installation): the one loaded last is the one in use, for the next read
// of the mouse and for the changes after it, which went into profile 1.
void TstDCDataHandle::theProfileLoadedLastIsTheOneInUse_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::newRow("family A (OX7)") << 11;
    QTest::newRow("family B (OX6)") << 3;
}

void TstDCDataHandle::theProfileLoadedLastIsTheOneInUse()
{
    QFETCH(int, mouseType);
    Rig rig;
    plugAndOpen(rig, mouseType);
    rig.run([&] { rig.dc->slot_LoadLocalConfigFileAndWriteIntoMouse(3); });
    JsonHandle json;
    const auto block = [&](int n) {
        return isFamilyA(mouseType) ? json.getMouseData_Korvan(mouseType, n) : json.getMouseData_Halden(mouseType, n);
    };
    const QByteArray one = block(1);
    QCOMPARE(block(3), one);

    // The next open (the next start, the next ox8ctl command) finds 3.
    rig.run([&] { rig.dc->destroyUselessThings(); });
    QSignalSpy configure(rig.mirror.get(), &Mirror::configure);
    rig.run([&] { rig.dc->slot_OpenDevice(modelForType(mouseType)->wiredPid, VID_KORVAN); });
    QCOMPARE(configure.count(), 1);
    QCOMPARE(configure.at(0).at(0).toInt(), 3);
    QCOMPARE(rig.dc->currentConfigNumber(), 3);

    // Changes land in profile 3.
    QSignalSpy warnings(rig.mirror.get(), &Mirror::warning);
    rig.run([&] { rig.dc->slot_setCPIListValueOnMouse(dwords({400, 800, 0, 0, 0, 0, 0})); });
    QVERIFY(warnings.isEmpty());
    QCOMPARE(block(1), one);
    QVERIFY(block(3) != one);
}

// Family B converted the old text profiles at every start and so wrote them
// over newer JSON; like family A it converts each once.
void TstDCDataHandle::oldTextProfilesAreConvertedOnce()
{
    Rig rig;
    plugAndOpen(rig, Ox6);
    rig.run([&] { rig.dc->manager()->SaveToOldTxtFiles(); });
    for (int n = 1; n <= 5; ++n)
        QVERIFY(QFile::exists(getOldTxtConfigFilePath(Ox6, n)));
    rig.run([&] { rig.dc->slot_GetProfileFromMouse(); });
    for (int n = 1; n <= 5; ++n)
        QVERIFY(!QFile::exists(getOldTxtConfigFilePath(Ox6, n)));

    QSignalSpy warnings(rig.mirror.get(), &Mirror::warning);
    QSignalSpy cpi(rig.mirror.get(), &Mirror::cpi);
    rig.run([&] { rig.dc->slot_setCPIListValueOnMouse(dwords({850, 1700, 0, 0, 0, 0, 0})); });
    const QByteArray newer = readBytes(getConfigJsonFilePath(Ox6, 1));
    rig.run([&] { rig.dc->slot_GetProfileFromMouse(); });
    QCOMPARE(readBytes(getConfigJsonFilePath(Ox6, 1)), newer);
    QVERIFY(warnings.isEmpty()); // the mouse still matches profile 1
    QCOMPARE(cpi.last().at(0).value<QList<DWORD>>(), dwords({850, 1700, 0, 0, 0, 0, 0}));
}

QTEST_GUILESS_MAIN(TstDCDataHandle)
#include "tst_dcdatahandle.moc"
