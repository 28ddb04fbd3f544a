#pragma once

#include "platform/clock.h"
#include "platform/hidbus.h"
#include "sim/emulatedhidbus.h"

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
