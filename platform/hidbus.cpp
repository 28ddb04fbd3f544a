#include "platform/hidbus.h"

#include <atomic>

HidDevice::~HidDevice() = default;
HidBus::~HidBus() = default;

namespace {
std::atomic<HidBus *> g_bus{nullptr};

HidBus &systemBus()
{
    static std::unique_ptr<HidBus> bus = createSystemHidBus();
    return *bus;
}
} // namespace

HidBus &hidBus()
{
    HidBus *b = g_bus.load();
    return b ? *b : systemBus();
}

void setHidBus(HidBus *bus)
{
    g_bus.store(bus);
}

QString hidPathFragment(quint16 vendorId, quint16 productId)
{
    return QStringLiteral("VID_%1&PID_%2")
        .arg(QString::number(vendorId, 16).rightJustified(4, QLatin1Char('0')).toUpper(),
             QString::number(productId, 16).rightJustified(4, QLatin1Char('0')).toLower());
}

bool hidInfoMatchesFragment(const HidDeviceInfo &info, const QString &fragment)
{
    return hidPathFragment(info.vendorId, info.productId).compare(fragment, Qt::CaseInsensitive) == 0;
}
