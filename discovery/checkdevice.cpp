#include "discovery/checkdevice.h"

#include "platform/hidbus.h"
#include "discovery/models.h"

#include <QDebug>
#include <QTimerEvent>

CheckDevice::CheckDevice(HidBus *bus, int intervalMs, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_intervalMs(intervalMs)
    , m_vendorId(VID_KORVAN)
    , m_scanOrder{PID_BOOTLOADER,     PID_CHIP_BOOTLOADER, PID_OX6,           PID_OX2,
                  PID_OX7_WIRED,      PID_OX7_RECEIVER,    PID_OX4_WIRELESS,  PID_OX4_WIRED,
                  PID_OX1,            PID_OX8,             PID_OX2S,          PID_OX1S,
                  PID_OX7C_WIRED,     PID_OX7C_RECEIVER,   PID_OX7Q_WIRED,    PID_OX7Q_RECEIVER,
                  PID_OX4C_WIRED,     PID_OX4C_RECEIVER,   PID_OX4Q_WIRED,    PID_OX4Q_RECEIVER}
{
    startTheTimer();
}

CheckDevice::~CheckDevice() = default;

void CheckDevice::startTheTimer()
{
    qDebug() << "startTheTimer";
    if (m_timerId != 0)
        return; // already scanning: one timer is enough
    m_timerId = startTimer(m_intervalMs, Qt::CoarseTimer);
}

void CheckDevice::stopTheTimer()
{
    qDebug() << "stopTheTimer";
    if (m_timerId != 0)
        killTimer(m_timerId);
    m_timerId = 0;
}

void CheckDevice::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_timerId)
        tick();
}

bool CheckDevice::FindHIDDevice()
{
    HidBus &bus = m_bus ? *m_bus : hidBus();
    m_foundIds.clear();
    // Enumeration carries the ids, release number and product string of each
    // interface, so nothing has to be opened: a node the user may not open
    // (missing udev rule) is still seen.
    const QVector<HidDeviceInfo> interfaces = bus.enumerate();
    for (const HidDeviceInfo &info : interfaces) {
        if (info.vendorId == m_vendorId)
            m_foundIds.append(info.productId);
        if (info.productId == PID_BOOTLOADER)
            emit sigBlootDescriptor(turnDescriptorToMouseType(info.productString));
        if (info.vendorId == VID_CHIP_BOOTLOADER && info.productId == PID_CHIP_BOOTLOADER) {
            m_foundIds.append(info.productId);
            emit sigBlootDescriptor(chipBootloaderMouseType(info.releaseNumber));
        }
    }
    return true;
}

void CheckDevice::tick()
{
    if (!FindHIDDevice())
        return;

    m_found = false;
    if (m_foundIds.contains(PID_BOOTLOADER)) {
        m_currentId = PID_BOOTLOADER;
        m_found = true;
    } else if (m_foundIds.contains(PID_CHIP_BOOTLOADER)) {
        m_currentId = PID_CHIP_BOOTLOADER;
        m_found = true;
    } else {
        for (int id : qAsConst(m_scanOrder)) {
            if (m_foundIds.contains(id)) {
                m_currentId = id;
                m_found = true;
                break;
            }
        }
    }

    if (m_found != m_reported) {
        m_reported = m_found;
        m_reportedId = m_currentId;
        emit sigFound(m_found, uint(m_currentId), m_vendorId);
        if (m_found)
            reorderAfterArrival(m_currentId);
    } else if (m_reportedId != m_currentId) {
        // Another supported mouse took over between two ticks: report the
        // removal now, the arrival on the next tick.
        m_reported = false;
        emit sigFound(false, uint(m_reportedId), m_vendorId);
    }
}

void CheckDevice::reorderAfterArrival(int productId)
{
    int nextFree = 1; // position 0 (the boot loader) is never moved
    const int partner = wiredPartnerPid(quint16(productId));
    if (partner != 0) {
        const int p = m_scanOrder.indexOf(partner);
        if (p >= 0 && nextFree < m_scanOrder.size()) {
            m_scanOrder.swapItemsAt(p, nextFree);
            ++nextFree;
        }
    }
    const int i = m_scanOrder.indexOf(productId);
    if (i >= 1 && nextFree < m_scanOrder.size())
        m_scanOrder.swapItemsAt(i, nextFree);
}
