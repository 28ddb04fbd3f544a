// The NUC123 ISP boot loader answering the flasher with hostile bytes, and
// the firmware image reader. Input: a 16-bit little-endian image length, the
// image, then the answer stream (fuzz/common/fuzzbus.h).
#include "fuzz/common/fuzzbus.h"
#include "fuzz/common/fuzzsupport.h"

#include "device/familya/fwupdate.h"
#include "discovery/models.h"
#include "sim/emulatedhidbus.h"
#include "sim/familya/familyascene.h"

#include <memory>

namespace {
std::unique_ptr<FuzzHidBus> g_bus;
// Images beyond a few packets add time, not paths.
constexpr int kLargestImage = 2048;

// The boot loader's interfaces as the emulated desk lists them.
QVector<HidDeviceInfo> bootLoaderInterfaces()
{
    EmulatedHidBus bus;
    plugNucIspBootloader(bus, Ox7);
    return bus.enumerate();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    initFuzzProcess(argc, argv);
    g_bus = std::make_unique<FuzzHidBus>(bootLoaderInterfaces());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const int length = in.word() % (kLargestImage + 1);
    const QString image = fuzzScratchPath(QStringLiteral("Nuc123.bin"));
    if (!putFuzzFile(image, in.take(size_t(length))))
        return 0;
    g_bus->setAnswers(in.rest());
    setHidBus(g_bus.get());
    FwUpdate flasher;
    flasher.SetDevicePaths(wiredPathFragment(Ox7), hidPathFragment(VID_KORVAN, PID_BOOTLOADER));
    flasher.SetProgramMemorySize(0x10000);
    flasher.slotUpdate(image);
    setHidBus(nullptr);
    return 0;
}
