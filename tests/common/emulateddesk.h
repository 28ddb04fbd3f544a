#pragma once

#include "platform/clock.h"
#include "platform/hidbus.h"
#include "sim/emulatedhidbus.h"

#include <QVector>

#include <memory>
#include <vector>

// An emulated HID bus in virtual time for the lifetime of a test: while the
// object lives the device clock is its clock and hidBus() is its bus.
struct EmulatedDesk
{
    EmulatedDesk() { setHidBus(&bus); }
    ~EmulatedDesk() { setHidBus(nullptr); }
    EmulatedDesk(const EmulatedDesk &) = delete;
    EmulatedDesk &operator=(const EmulatedDesk &) = delete;

    VirtualClock clock;
    ScopedDeviceClock clockScope{&clock};
    EmulatedHidBus bus;
};

// A device made of interfaces of one type, added by the test: for tests of
// the bus itself and of what enumerates.
template <typename Interface = EmulatedInterface>
class InterfaceListDevice : public EmulatedDevice
{
public:
    // A new interface, listed after the others; owned by the device.
    Interface *add(const HidDeviceInfo &info)
    {
        m_ifaces.push_back(std::make_unique<Interface>());
        m_ifaces.back()->info = info;
        return m_ifaces.back().get();
    }
    Interface *iface(int i) { return m_ifaces[size_t(i)].get(); }

    QVector<EmulatedInterface *> interfaces() override
    {
        QVector<EmulatedInterface *> out;
        for (auto &i : m_ifaces)
            out.append(i.get());
        return out;
    }

private:
    std::vector<std::unique_ptr<Interface>> m_ifaces;
};
