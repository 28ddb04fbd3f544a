#include "device/devicefactory.h"

#include "device/familya/familyaimage.h"
#include "device/familya/usbdrivermangerox7.h"
#include "device/familya/usbdriverox7.h"
#include "device/familyb/familybcodec.h"
#include "device/familyb/usbdriver_ox5.h"
#include "device/familyb/usbdriver_ox6.h"
#include "device/familyb/usbdrivermanger_ox5.h"
#include "device/familyb/usbdrivermanger_ox6.h"

namespace {

template<typename Driver, typename Manager>
void buildFamilyB(DevicePair &pair)
{
    auto driver = std::make_unique<Driver>();
    auto manager = std::make_unique<Manager>();
    manager->SetDriver(driver.get());
    pair.driver = std::move(driver);
    pair.manager = std::move(manager);
}

} // namespace

std::unique_ptr<UsbDriverMangerOX7> createFamilyAManager(USBDriverOX7 *driver, int mouseType,
                                                         const QString &wirelessPath, const QString &wiredPath,
                                                         bool wireless)
{
    if (!driver)
        return nullptr;
    driver->SetWiredWirelessString(wiredPath, wirelessPath);
    driver->SetConnectionMode(wireless ? 1 : 0);
    auto manager = std::make_unique<UsbDriverMangerOX7>();
    manager->SetMouseType(mouseType);
    manager->SetDriver(driver);
    return manager;
}

DevicePair createDevicePair(quint16 productId)
{
    const FamilySelection selection = selectFamilyForPid(productId);
    DevicePair pair;
    switch (selection.family) {
    case ProtocolFamily::A: {
        auto driver = std::make_unique<USBDriverOX7>();
        pair.manager = createFamilyAManager(driver.get(), selection.mouseType,
                                            wirelessPathFragment(selection.mouseType),
                                            wiredPathFragment(selection.mouseType), selection.wireless);
        // Only a receiver takes the pairing commands.
        pair.receiver = selection.wireless ? driver.get() : nullptr;
        pair.driver = std::move(driver);
        break;
    }
    case ProtocolFamily::B:
        buildFamilyB<USBDriver_OX6, UsbDriverManger_OX6>(pair);
        break;
    case ProtocolFamily::C:
        buildFamilyB<USBDriver_OX5, UsbDriverManger_OX5>(pair);
        break;
    case ProtocolFamily::None:
        return pair;
    }
    pair.family = selection.family;
    pair.mouseType = selection.mouseType;
    pair.wireless = selection.wireless;
    return pair;
}

bool checkProfileBlock(int mouseType, const QByteArray &block, QString *why)
{
    switch (modelRow(mouseType).family) {
    case ProtocolFamily::A:
        return familya::checkRecord(mouseType, block, why);
    case ProtocolFamily::B:
    case ProtocolFamily::C:
        return familyb::checkFileBlock(mouseType, block, why);
    case ProtocolFamily::None:
        break;
    }
    if (why)
        *why = QStringLiteral("type %1 is no model").arg(mouseType);
    return false;
}
