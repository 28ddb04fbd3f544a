#include "tools/benchdevice/benchcase.h"

#include "platform/appdir.h"
#include "platform/clock.h"
#include "sim/emulatedhidbus.h"
#include "device/familyb/familybcodec.h"
#include "sim/familyb/familybmouse.h"
#include "discovery/models.h"
#include "device/familyb/usbdriver_ox6.h"
#include "device/familyb/usbdrivermanger_ox6.h"

#include <QTemporaryDir>

#include <memory>

namespace {

// A plugged family B mouse with its driver and manager, APP in a temporary
// folder (the manager saves profile files).
struct FamilyBRig
{
    explicit FamilyBRig(int type)
        : clockScope(&clock)
    {
        setAppDirectory(dir.path());
        setHidBus(&bus);
        mouse = plugFamilyB(bus, type);
        manager.SetDriver(&driver);
        manager.InitModelDefaults(modelForType(type)->wiredPid, VID_KORVAN);
    }
    ~FamilyBRig()
    {
        setHidBus(nullptr);
        setAppDirectory(QString());
    }

    QTemporaryDir dir;
    VirtualClock clock;
    ScopedDeviceClock clockScope;
    EmulatedHidBus bus;
    std::shared_ptr<FamilyBMouse> mouse;
    USBDriver_OX6 driver;
    UsbDriverManger_OX6 manager;
};

QString transferDetail(const FamilyBMouse &mouse)
{
    int sets = 0, gets = 0;
    for (int c = 0; c < 256; ++c) {
        sets += mouse.featureSets(quint8(c));
        gets += mouse.featureGets(quint8(c));
    }
    return QStringLiteral("%1 feature sets, %2 gets").arg(sets).arg(gets);
}

// One settings change on an OX6: the whole profile written and the
// configuration file saved.
BenchResult writeProfile()
{
    FamilyBRig rig(3);
    BenchResult result;
    if (!rig.mouse || !rig.manager.OpenDevice() || !rig.manager.GetProfileData())
        return result;
    rig.clock.resetCounters();
    rig.mouse->resetCounters();
    measureHost(result, [&] { result.ok = rig.manager.SetCPIListValue({400, 800, 1600, 3200, 6400, 0, 0}, 1); });
    result.ok = result.ok && rig.mouse->cpiStageValue(4) == 6400;
    result.mandatedWaitMs = rig.clock.totalSleptMs();
    result.sleeps = rig.clock.sleepCount();
    result.detail = transferDetail(*rig.mouse);
    return result;
}

// Opening an OX8 and reading everything: the profile and a full macro
// (510 entries) behind every one of its 13 buttons.
BenchResult openAndReadFully()
{
    constexpr int type = Ox8;
    FamilyBRig rig(type);
    BenchResult result;
    if (!rig.mouse)
        return result;
    const QVector<int> buttons = familyb::modelButtons(type);
    for (int button : buttons) {
        const int slot = familyb::singleMacroSlot(button);
        const int offset = familyb::buttonWordOffset(button, type);
        const familyb::ButtonWord word = familyb::singleMacroWord(slot, 0);
        for (int i = 0; i < 4; ++i)
            rig.mouse->setProfileByte(offset + i, word[size_t(i)]);
        QVector<quint16> entries(familyb::kMaxMacroEntries);
        for (int i = 0; i < entries.size(); ++i)
            entries[i] = quint16(i % 2 ? 0x4000 + slot + 1 : 0x0104 + (i & 0x0F));
        rig.mouse->setMacro(familyb::macroNumberForSlot(slot), QByteArray("\x00\x02", 2), entries);
    }

    measureHost(result, [&] { result.ok = rig.manager.OpenDevice() && rig.manager.GetProfileData(); });
    result.ok = result.ok && rig.manager.macros().size() == buttons.size();
    for (const familyb::Macro &m : rig.manager.macros())
        result.ok = result.ok && m.entries.size() == familyb::kMaxMacroEntries;
    result.mandatedWaitMs = rig.clock.totalSleptMs();
    result.sleeps = rig.clock.sleepCount();
    result.detail = QStringLiteral("%1 macros, ").arg(rig.manager.macros().size()) + transferDetail(*rig.mouse);
    return result;
}

} // namespace

QVector<BenchCase> familyBBenchCases()
{
    return {
        {QStringLiteral("family B: write OX6 profile"), writeProfile},
        {QStringLiteral("family B: open and read OX8 with 13 full macros"), openAndReadFully},
    };
}
