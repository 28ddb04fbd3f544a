#include "tools/benchdevice/benchcase.h"

#include "platform/clock.h"
#include "sim/emulatedhidbus.h"
#include "device/familya/familyacodec.h"
#include "sim/familya/familyascene.h"
#include "device/familya/fwupdate.h"
#include "discovery/models.h"
#include "device/familya/usbdrivermangerox7.h"
#include "device/familya/usbdriverox7.h"

#include <QFile>
#include <QTemporaryDir>

namespace {
constexpr int kType = Ox7;

// A full macro page: 1363 entries.
QByteArray fullMacroPage(int seed)
{
    QByteArray page(familya::kMacroPageSize, '\0');
    const int length = 4 + 3 * familya::kMacroMaxEntries;
    familya::putLe16(page, 0, quint16(length));
    familya::putLe16(page, 2, 1);
    for (int off = 4; off < length; ++off)
        page[off] = char((off * 13 + seed) & 0x7F);
    return page.left(length);
}

// Opening an OX7 through its receiver and reading everything: the profile
// record and all fourteen macro pages, each full.
BenchResult openAndReadFully()
{
    VirtualClock clock;
    ScopedDeviceClock clockScope(&clock);
    EmulatedHidBus bus;
    setHidBus(&bus);
    FamilyAScene scene = plugFamilyA(bus, kType, true);
    for (int i = 0; i < familya::kMacroPageIndexes; ++i)
        scene.mouse->setMemory(familya::macroPageAddress(i, familya::MacroKind::First), fullMacroPage(i));
    for (int i = 0; i < 3; ++i)
        scene.mouse->setMemory(familya::macroPageAddress(i, familya::MacroKind::Second), fullMacroPage(20 + i));

    BenchResult result;
    {
        USBDriverOX7 driver;
        driver.SetWiredWirelessString(wiredPathFragment(kType), wirelessPathFragment(kType));
        driver.SetConnectionMode(1);
        UsbDriverMangerOX7 manager;
        manager.SetMouseType(kType);
        manager.SetDriver(&driver);
        manager.InitModelDefaults(PID_OX7_RECEIVER, VID_KORVAN);
        measureHost(result, [&] {
            result.ok = manager.OpenDevice() && manager.SetCurrentProfile(1) && manager.GetProfileData();
        });
        for (int i = 0; i < UsbDriverMangerOX7::kMacroBuffers; ++i)
            result.ok = result.ok && familya::readLe16(manager.MacroBuffer(i), 0) == 4 + 3 * familya::kMacroMaxEntries;
    }
    result.mandatedWaitMs = clock.totalSleptMs();
    result.sleeps = clock.sleepCount();
    result.detail = QStringLiteral("%1 commands, %2 reports read")
                        .arg(scene.receiver->outputReports())
                        .arg(scene.receiver->inputReports());
    setHidBus(nullptr);
    return result;
}

// Flashing a 131072-byte image into an OX7 on its cable, restart included.
BenchResult flash128k()
{
    VirtualClock clock;
    ScopedDeviceClock clockScope(&clock);
    EmulatedHidBus bus;
    setHidBus(&bus);
    FamilyAScene scene = plugFamilyA(bus, kType, false);
    // The largest image the flasher takes needs the 128 KB chip variant.
    scene.mouse->setProgramMemorySize(NucIsp::ProgramMemory128K);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Nuc123.bin"));
    {
        QFile f(path);
        QByteArray image(familya::kFirmwareMaxSize, '\0');
        for (int i = 0; i < image.size(); ++i)
            image[i] = char((i * 31) >> 3);
        if (f.open(QIODevice::WriteOnly))
            f.write(image);
    }

    BenchResult result;
    {
        FwUpdate flasher;
        flasher.SetDevicePaths(wiredPathFragment(kType), hidPathFragment(VID_KORVAN, PID_BOOTLOADER));
        QObject::connect(&flasher, &FwUpdate::sigUpdateResult, [&result](int ok) { result.ok = ok == 1; });
        measureHost(result, [&] { flasher.slotUpdate(path); });
    }
    result.mandatedWaitMs = clock.totalSleptMs();
    result.sleeps = clock.sleepCount();
    result.detail = QStringLiteral("%1 packets, image %2 bytes")
                        .arg(FwUpdate::PacketNumber() - 1)
                        .arg(scene.mouse->flashedImage().size());
    setHidBus(nullptr);
    return result;
}
} // namespace

QVector<BenchCase> familyABenchCases()
{
    return {
        {QStringLiteral("family A: open and read OX7 fully"), openAndReadFully},
        {QStringLiteral("family A: flash 128 KB"), flash128k},
    };
}
