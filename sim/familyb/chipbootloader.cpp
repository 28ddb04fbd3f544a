#include "sim/familyb/chipbootloader.h"

#include "discovery/models.h"
#include "sim/familyb/familybfirmware.h"

ChipBootloaderDevice::ChipBootloaderDevice(quint16 modelProductId)
    : m_interface(std::make_unique<EmulatedInterface>())
{
    HidDeviceInfo &info = m_interface->info;
    info.vendorId = VID_CHIP_BOOTLOADER;
    info.productId = PID_CHIP_BOOTLOADER;
    info.releaseNumber = modelProductId;
    info.productString = QStringLiteral("USB Bootloader");
    info.usagePage = 0xFF00;
    info.usage = 0x0001;
    info.inputReportLength = 65;
    info.outputReportLength = 65;
}

ChipBootloaderDevice::~ChipBootloaderDevice() = default;

QVector<EmulatedInterface *> ChipBootloaderDevice::interfaces()
{
    return {m_interface.get()};
}

const HidDeviceInfo &ChipBootloaderDevice::info() const
{
    return m_interface->info;
}

std::shared_ptr<ChipBootloaderDevice> plugChipBootloader(EmulatedHidBus &bus, int mouseType)
{
    if (!FamilyBFirmware::isFamilyBType(mouseType) && !FamilyBFirmware::isFamilyCType(mouseType))
        return nullptr;
    const ModelIdentity *model = modelForType(mouseType);
    if (!model)
        return nullptr;
    auto device = std::make_shared<ChipBootloaderDevice>(model->wiredPid);
    bus.plug(device);
    return device;
}
