#pragma once

#include "platform/hidbus.h"
#include "sim/faultplan.h"

#include <QByteArray>
#include <QRecursiveMutex>
#include <QString>
#include <QVector>

#include <memory>

class EmulatedHidBus;

// The device side of one emulated HID interface. An emulator derives from
// it and answers the host's transfers the way the real firmware would.
// Every handler runs with the bus locked, so emulator state needs no locks
// of its own. Buffers follow the HidDevice conventions (id byte first).
class EmulatedInterface
{
public:
    virtual ~EmulatedInterface();

    // What enumeration reports; the bus fills in the path.
    HidDeviceInfo info;

    virtual bool onWrite(const QByteArray &report);
    // Return the report length, 0 when nothing arrives before timeoutMs (the
    // emulator should let that time pass on the device clock), -1 on error.
    virtual int onRead(QByteArray &report, int timeoutMs);
    virtual bool onGetInputReport(QByteArray &report);
    virtual bool onSetFeature(const QByteArray &report);
    virtual bool onGetFeature(QByteArray &report);
};

// A physical device: one or more interfaces that come and go together.
class EmulatedDevice
{
public:
    virtual ~EmulatedDevice();

    // The interfaces, owned by the device; stable while it is plugged.
    virtual QVector<EmulatedInterface *> interfaces() = 0;

    // Generic faults and timing, applied by the bus to every transfer.
    void setLatencyMs(int ms) { m_latencyMs = ms; }
    int latencyMs() const { return m_latencyMs; }
    // The device drops off the bus when the host starts transfer n + 1
    // (counted from now); that transfer and all later ones fail. -1 = never.
    void setUnplugAfterTransfers(int n);
    int transferCount() const { return m_transfers; }

    // The bus this device is plugged into, or nullptr.
    EmulatedHidBus *bus() const { return m_bus; }

private:
    friend class EmulatedHidBus;
    int m_latencyMs = 0;
    FaultPlan m_linkFaults; // Fault::Unplug, applied by the bus
    int m_transfers = 0;
    EmulatedHidBus *m_bus = nullptr;
};

// An in-process HID bus for tests, the demo mode and the command-line
// simulation. Thread-safe: the watcher may enumerate while the coordinator
// and the flasher transfer.
class EmulatedHidBus final : public HidBus
{
public:
    EmulatedHidBus();
    ~EmulatedHidBus() override;

    // Attaches a device. With visibleAtMs (device clock) in the future the
    // device enumerates only from then on (a firmware restarting, say).
    void plug(const std::shared_ptr<EmulatedDevice> &device, qint64 visibleAtMs = 0);
    // Detaches a device; open handles on it fail from now on. Safe to call
    // from inside a handler of that very device.
    void unplug(EmulatedDevice *device);
    void unplugAll();
    bool isPlugged(const EmulatedDevice *device) const;
    // Makes every interface of a plugged device one this user may not open
    // (a node without the udev rule); it still enumerates, flagged.
    void setAccessDenied(EmulatedDevice *device, bool denied);
    QVector<std::shared_ptr<EmulatedDevice>> devices() const;

    QVector<HidDeviceInfo> enumerate() override;
    std::unique_ptr<HidDevice> open(const QString &path) override;

    // Number of handles opened so far and open right now (leak checks).
    int openCount() const;
    int liveHandleCount() const;

private:
    class Handle;
    struct Slot
    {
        std::shared_ptr<EmulatedDevice> device;
        qint64 visibleAtMs = 0;
        quint64 serial = 0;
    };

    bool visible(const Slot &s) const;
    // Runs one transfer against the interface, applying the device's generic
    // faults; returns false when the device is gone.
    template <typename F>
    bool transfer(quint64 serial, int interfaceIndex, F &&f);

    mutable QRecursiveMutex m_mutex;
    QVector<Slot> m_slots;
    quint64 m_nextSerial = 1;
    int m_openCount = 0;
    int m_liveHandles = 0;
};
