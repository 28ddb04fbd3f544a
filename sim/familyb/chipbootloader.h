#pragma once

#include "sim/emulatedhidbus.h"

#include <memory>

// A family B or C mouse in firmware-update mode: enumerates under the chip
// maker's ids with the product id of the model being updated as its release
// number. It speaks nothing; every transfer fails. The bus's link faults
// (unplug after n transfers, latency) apply as to any device.
class ChipBootloaderDevice : public EmulatedDevice
{
public:
    explicit ChipBootloaderDevice(quint16 modelProductId);
    ~ChipBootloaderDevice() override;

    QVector<EmulatedInterface *> interfaces() override;
    const HidDeviceInfo &info() const;

private:
    std::unique_ptr<EmulatedInterface> m_interface;
};

// Plugs the boot loader of a family B or C model; nullptr for other codes.
std::shared_ptr<ChipBootloaderDevice> plugChipBootloader(EmulatedHidBus &bus, int mouseType);
