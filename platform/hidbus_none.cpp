#include "hidbus.h"

// Placeholder bus for systems without a HID backend yet: it sees nothing.
namespace {
class NoHidBus final : public HidBus
{
public:
    QVector<HidDeviceInfo> enumerate() override { return {}; }
    std::unique_ptr<HidDevice> open(const QString &) override { return nullptr; }
};
} // namespace

std::unique_ptr<HidBus> createSystemHidBus()
{
    return std::make_unique<NoHidBus>();
}
