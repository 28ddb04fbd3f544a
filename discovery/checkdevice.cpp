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
    // Started from the event loop of the thread the watcher then lives in:
    // a timer running when the watcher is moved to its thread would be
    // re-registered by a queued call whose argument leaks when the thread
    // ends first.
    QMetaObject::invokeMethod(this, &CheckDevice::startTheTimer, Qt::QueuedConnection);
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
    m_deniedIds.clear();
    // Enumeration carries the ids, release number and product string of each
    // interface, so nothing has to be opened: a node the user may not open
    // (missing udev rule) is still seen.
    const QVector<HidDeviceInfo> interfaces = bus.enumerate();
    for (const HidDeviceInfo &info : interfaces) {
        if (info.vendorId == m_vendorId) {
            m_foundIds.append(info.productId);
            if (info.accessDenied && !m_deniedIds.contains(info.productId))
                m_deniedIds.append(info.productId);
        }
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

    if (m_found && m_reported && m_currentId == m_reportedId) {
        // The user may open the mouse now (the udev rule was installed):
        // it deserves a fresh try.
        if (m_gaveUp && m_gaveUpDenied && !m_deniedIds.contains(m_currentId)) {
            qDebug() << "CheckDevice access granted, trying again" << m_currentId;
            forgetOpenFailures();
            m_reportAgain = true;
        }
        if (m_reportAgain) {
            m_reportAgain = false;
            emit sigFound(true, uint(m_currentId), m_vendorId);
            return;
        }
    }

    if (m_found != m_reported) {
        if (!m_found || m_currentId != m_reportedId)
            forgetOpenFailures();
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

void CheckDevice::slot_OpenFailed(uint productId)
{
    if (!m_reported || int(productId) != m_reportedId || m_gaveUp)
        return; // a mouse that has gone, or one given up already
    ++m_openFailures;
    if (m_openFailures <= kOpenRetries) {
        qDebug() << "CheckDevice open failed, reporting again" << productId << m_openFailures;
        m_reportAgain = true;
        return;
    }
    m_gaveUp = true;
    m_gaveUpDenied = m_deniedIds.contains(int(productId));
    qWarning().noquote() << QStringLiteral("cannot open the mouse 0x%1%2")
                                .arg(productId, 4, 16, QLatin1Char('0'))
                                .arg(m_gaveUpDenied ? QStringLiteral(": no permission (is the udev rule installed?)")
                                                    : QString());
    if (m_gaveUpDenied)
        emit sigNoPermission(productId, m_vendorId);
}

void CheckDevice::forgetOpenFailures()
{
    m_openFailures = 0;
    m_reportAgain = false;
    m_gaveUp = false;
    m_gaveUpDenied = false;
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
