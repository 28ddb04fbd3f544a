#include "sim/emulatedhidbus.h"

#include "platform/clock.h"

#include <QMutexLocker>
#include <QStringList>

EmulatedInterface::~EmulatedInterface() = default;
bool EmulatedInterface::onWrite(const QByteArray &) { return false; }
int EmulatedInterface::onRead(QByteArray &, int timeoutMs)
{
    deviceClock().sleepMs(timeoutMs);
    return 0;
}
bool EmulatedInterface::onGetInputReport(QByteArray &) { return false; }
bool EmulatedInterface::onSetFeature(const QByteArray &) { return false; }
bool EmulatedInterface::onGetFeature(QByteArray &) { return false; }

EmulatedDevice::~EmulatedDevice() = default;

void EmulatedDevice::setUnplugAfterTransfers(int n)
{
    if (n < 0)
        m_linkFaults.clear(Fault::Unplug);
    else
        m_linkFaults.armAfter(Fault::Unplug, n, FaultPlan::kForever);
    m_transfers = 0;
}

namespace {
// Paths look like the Linux ones but cannot be mistaken for them.
QString makePath(quint64 serial, int index)
{
    return QStringLiteral("emulated:%1:%2").arg(serial).arg(index);
}

bool parsePath(const QString &path, quint64 &serial, int &index)
{
    const QStringList parts = path.split(QLatin1Char(':'));
    if (parts.size() != 3 || parts[0] != QLatin1String("emulated"))
        return false;
    bool ok1 = false, ok2 = false;
    serial = parts[1].toULongLong(&ok1);
    index = parts[2].toInt(&ok2);
    return ok1 && ok2 && index >= 0;
}
} // namespace

class EmulatedHidBus::Handle final : public HidDevice
{
public:
    Handle(EmulatedHidBus *bus, quint64 serial, int index)
        : m_bus(bus), m_serial(serial), m_index(index)
    {
    }
    ~Handle() override
    {
        QMutexLocker lock(&m_bus->m_mutex);
        --m_bus->m_liveHandles;
    }

    bool write(const QByteArray &report) override
    {
        bool ok = false;
        return run([&](EmulatedInterface *i) { ok = i->onWrite(report); }) && ok;
    }
    int read(QByteArray &report, int timeoutMs) override
    {
        int n = -1;
        if (!run([&](EmulatedInterface *i) { n = i->onRead(report, timeoutMs); }))
            return -1;
        return n;
    }
    bool getInputReport(QByteArray &report) override
    {
        bool ok = false;
        return run([&](EmulatedInterface *i) { ok = i->onGetInputReport(report); }) && ok;
    }
    bool setFeature(const QByteArray &report) override
    {
        bool ok = false;
        return run([&](EmulatedInterface *i) { ok = i->onSetFeature(report); }) && ok;
    }
    bool getFeature(QByteArray &report) override
    {
        bool ok = false;
        return run([&](EmulatedInterface *i) { ok = i->onGetFeature(report); }) && ok;
    }
    int lastError() const override { return m_error; }

private:
    template <typename F>
    bool run(F &&f)
    {
        const bool alive = m_bus->transfer(m_serial, m_index, f);
        m_error = alive ? 0 : 19; // ENODEV
        return alive;
    }

    EmulatedHidBus *m_bus;
    quint64 m_serial;
    int m_index;
    int m_error = 0;
};

EmulatedHidBus::EmulatedHidBus() = default;

EmulatedHidBus::~EmulatedHidBus()
{
    unplugAll();
}

void EmulatedHidBus::plug(const std::shared_ptr<EmulatedDevice> &device, qint64 visibleAtMs)
{
    if (!device)
        return;
    QMutexLocker lock(&m_mutex);
    unplug(device.get());
    device->m_bus = this;
    m_slots.append({device, visibleAtMs, m_nextSerial++});
}

void EmulatedHidBus::unplug(EmulatedDevice *device)
{
    QMutexLocker lock(&m_mutex);
    for (int i = 0; i < m_slots.size(); ++i) {
        if (m_slots[i].device.get() == device) {
            device->m_bus = nullptr;
            m_slots.removeAt(i);
            return;
        }
    }
}

void EmulatedHidBus::unplugAll()
{
    QMutexLocker lock(&m_mutex);
    for (Slot &s : m_slots)
        s.device->m_bus = nullptr;
    m_slots.clear();
}

bool EmulatedHidBus::isPlugged(const EmulatedDevice *device) const
{
    QMutexLocker lock(&m_mutex);
    for (const Slot &s : m_slots)
        if (s.device.get() == device)
            return visible(s);
    return false;
}

void EmulatedHidBus::setAccessDenied(EmulatedDevice *device, bool denied)
{
    QMutexLocker lock(&m_mutex);
    for (EmulatedInterface *i : device->interfaces())
        i->info.accessDenied = denied;
}

QVector<std::shared_ptr<EmulatedDevice>> EmulatedHidBus::devices() const
{
    QMutexLocker lock(&m_mutex);
    QVector<std::shared_ptr<EmulatedDevice>> out;
    for (const Slot &s : m_slots)
        out.append(s.device);
    return out;
}

bool EmulatedHidBus::visible(const Slot &s) const
{
    return s.visibleAtMs <= 0 || deviceClock().nowMs() >= s.visibleAtMs;
}

QVector<HidDeviceInfo> EmulatedHidBus::enumerate()
{
    QMutexLocker lock(&m_mutex);
    QVector<HidDeviceInfo> out;
    for (const Slot &s : m_slots) {
        if (!visible(s))
            continue;
        const QVector<EmulatedInterface *> ifaces = s.device->interfaces();
        for (int i = 0; i < ifaces.size(); ++i) {
            HidDeviceInfo info = ifaces[i]->info;
            info.path = makePath(s.serial, i);
            out.append(info);
        }
    }
    return out;
}

std::unique_ptr<HidDevice> EmulatedHidBus::open(const QString &path)
{
    quint64 serial = 0;
    int index = 0;
    if (!parsePath(path, serial, index))
        return nullptr;
    QMutexLocker lock(&m_mutex);
    for (const Slot &s : m_slots) {
        if (s.serial == serial && visible(s) && index < s.device->interfaces().size()) {
            if (s.device->interfaces().at(index)->info.accessDenied)
                return nullptr;
            ++m_openCount;
            ++m_liveHandles;
            return std::make_unique<Handle>(this, serial, index);
        }
    }
    return nullptr;
}

int EmulatedHidBus::openCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_openCount;
}

int EmulatedHidBus::liveHandleCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_liveHandles;
}

template <typename F>
bool EmulatedHidBus::transfer(quint64 serial, int interfaceIndex, F &&f)
{
    QMutexLocker lock(&m_mutex);
    for (const Slot &s : m_slots) {
        if (s.serial != serial || !visible(s))
            continue;
        std::shared_ptr<EmulatedDevice> device = s.device; // survives an unplug inside f
        const QVector<EmulatedInterface *> ifaces = device->interfaces();
        if (interfaceIndex >= ifaces.size())
            return false;
        if (device->m_linkFaults.take(Fault::Unplug)) {
            unplug(device.get());
            return false;
        }
        ++device->m_transfers;
        if (device->m_latencyMs > 0)
            deviceClock().sleepMs(device->m_latencyMs);
        f(ifaces[interfaceIndex]);
        return true;
    }
    return false;
}
