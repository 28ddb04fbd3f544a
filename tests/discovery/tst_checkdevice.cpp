#include "discovery/checkdevice.h"
#include "sim/emulatedhidbus.h"
#include "tests/common/emulateddesk.h"
#include "discovery/models.h"

#include <QSignalSpy>
#include <QThread>
#include <QtTest>

namespace {
// A device that only enumerates: the watcher never opens anything.
class IdDevice : public InterfaceListDevice<>
{
public:
    IdDevice(quint16 vid, quint16 pid, int interfaceCount = 1, quint16 release = 0, const QString &product = {})
    {
        HidDeviceInfo info;
        info.vendorId = vid;
        info.productId = pid;
        info.releaseNumber = release;
        info.productString = product;
        for (int i = 0; i < interfaceCount; ++i)
            add(info);
    }
};

std::shared_ptr<IdDevice> korvan(quint16 pid, int interfaces = 1)
{
    return std::make_shared<IdDevice>(VID_KORVAN, pid, interfaces);
}

using Report = QPair<bool, uint>;

QList<Report> reports(const QSignalSpy &spy)
{
    QList<Report> out;
    for (const QList<QVariant> &args : spy) {
        out.append({args.at(0).toBool(), args.at(1).toUInt()});
        Q_ASSERT(args.at(2).toUInt() == VID_KORVAN);
    }
    return out;
}
} // namespace

class TstCheckDevice : public QObject
{
    Q_OBJECT

private slots:
    void arrivalAndRemovalReportedOnce();
    void takeoverBetweenTicks();
    void cableWinsOverReceiverAfterArrival_data();
    void cableWinsOverReceiverAfterArrival();
    void bootLoadersTakePrecedence();
    void familyABootLoaderDescriptorEveryTick();
    void chipBootLoaderByReleaseNumber();
    void foreignVendorIgnored();
    void idsOutsideTheScanListAreNeverReported();
    void timerRunsOnItsThread();
    void failedOpenIsReportedAgainAFewTimes_data();
    void failedOpenIsReportedAgainAFewTimes();

private:
    EmulatedHidBus m_bus;
};

void TstCheckDevice::arrivalAndRemovalReportedOnce()
{
    m_bus.unplugAll();
    CheckDevice watcher(&m_bus);
    QSignalSpy spy(&watcher, &CheckDevice::sigFound);
    watcher.tick();
    QCOMPARE(spy.count(), 0); // nothing, nothing reported

    auto ox6 = korvan(PID_OX6, 2); // two interfaces, listed twice: no harm
    m_bus.plug(ox6);
    watcher.tick();
    watcher.tick();
    QCOMPARE(reports(spy), (QList<Report>{{true, PID_OX6}}));

    m_bus.unplug(ox6.get());
    watcher.tick();
    watcher.tick();
    QCOMPARE(reports(spy), (QList<Report>{{true, PID_OX6}, {false, PID_OX6}}));
}

void TstCheckDevice::takeoverBetweenTicks()
{
    m_bus.unplugAll();
    CheckDevice watcher(&m_bus);
    QSignalSpy spy(&watcher, &CheckDevice::sigFound);
    auto a = korvan(PID_OX2);
    auto b = korvan(PID_OX1);
    m_bus.plug(a);
    watcher.tick();
    m_bus.unplug(a.get());
    m_bus.plug(b);
    watcher.tick();
    QCOMPARE(reports(spy), (QList<Report>{{true, PID_OX2}, {false, PID_OX2}}));
    watcher.tick();
    QCOMPARE(reports(spy).last(), Report(true, PID_OX1));
    QCOMPARE(spy.count(), 3);
}

void TstCheckDevice::cableWinsOverReceiverAfterArrival_data()
{
    QTest::addColumn<int>("cable");
    QTest::addColumn<int>("wireless");
    QTest::newRow("OX7") << int(PID_OX7_WIRED) << int(PID_OX7_RECEIVER);
    QTest::newRow("OX4") << int(PID_OX4_WIRED) << int(PID_OX4_WIRELESS);
    QTest::newRow("OX4Q") << int(PID_OX4Q_WIRED) << int(PID_OX4Q_RECEIVER);
}

void TstCheckDevice::cableWinsOverReceiverAfterArrival()
{
    QFETCH(int, cable);
    QFETCH(int, wireless);
    m_bus.unplugAll();
    CheckDevice watcher(&m_bus);
    QSignalSpy spy(&watcher, &CheckDevice::sigFound);

    // The receiver arrives first and is reported...
    auto receiver = korvan(quint16(wireless));
    m_bus.plug(receiver);
    watcher.tick();
    QCOMPARE(reports(spy), (QList<Report>{{true, uint(wireless)}}));
    // ...its cable partner now ranks first, the receiver second.
    QCOMPARE(watcher.scanOrder().at(0), int(PID_BOOTLOADER));
    QCOMPARE(watcher.scanOrder().at(1), cable);
    QCOMPARE(watcher.scanOrder().at(2), wireless);

    // Plugging the cable as well hands over to the cable.
    m_bus.plug(korvan(quint16(cable)));
    watcher.tick();
    watcher.tick();
    QCOMPARE(reports(spy).mid(1), (QList<Report>{{false, uint(wireless)}, {true, uint(cable)}}));
}

void TstCheckDevice::bootLoadersTakePrecedence()
{
    m_bus.unplugAll();
    CheckDevice watcher(&m_bus);
    QSignalSpy spy(&watcher, &CheckDevice::sigFound);
    m_bus.plug(korvan(PID_OX6));
    m_bus.plug(std::make_shared<IdDevice>(VID_CHIP_BOOTLOADER, PID_CHIP_BOOTLOADER, 1, PID_OX1));
    watcher.tick();
    QCOMPARE(reports(spy).last(), Report(true, PID_CHIP_BOOTLOADER));
    m_bus.plug(korvan(PID_BOOTLOADER));
    watcher.tick(); // removal of the chip boot loader's report first
    watcher.tick();
    QCOMPARE(reports(spy).last(), Report(true, PID_BOOTLOADER));
    // The boot loader keeps position 0 of the scan order.
    QCOMPARE(watcher.scanOrder().at(0), int(PID_BOOTLOADER));
}

void TstCheckDevice::familyABootLoaderDescriptorEveryTick()
{
    m_bus.unplugAll();
    CheckDevice watcher(&m_bus);
    QSignalSpy boot(&watcher, &CheckDevice::sigBlootDescriptor);
    QSignalSpy found(&watcher, &CheckDevice::sigFound);
    m_bus.plug(std::make_shared<IdDevice>(VID_KORVAN, PID_BOOTLOADER, 1, 0, "KORVAN OX7EU ISP"));
    for (int i = 0; i < 3; ++i)
        watcher.tick();
    QCOMPARE(boot.count(), 3);
    QCOMPARE(boot.at(2).at(0).toInt(), 14);
    QCOMPARE(reports(found), (QList<Report>{{true, PID_BOOTLOADER}}));

    // The descriptor is checked whatever the vendor; only the maker's vendor is found.
    m_bus.unplugAll();
    m_bus.plug(std::make_shared<IdDevice>(0x1234, PID_BOOTLOADER, 1, 0, "OX4 loader"));
    watcher.tick();
    QCOMPARE(boot.last().at(0).toInt(), 12);
    QCOMPARE(reports(found).last(), Report(false, PID_BOOTLOADER));
}

void TstCheckDevice::chipBootLoaderByReleaseNumber()
{
    m_bus.unplugAll();
    CheckDevice watcher(&m_bus);
    QSignalSpy boot(&watcher, &CheckDevice::sigBlootDescriptor);
    m_bus.plug(std::make_shared<IdDevice>(VID_CHIP_BOOTLOADER, PID_CHIP_BOOTLOADER, 1, PID_OX8));
    watcher.tick();
    QCOMPARE(boot.count(), 1);
    QCOMPARE(boot.at(0).at(0).toInt(), 18);
    QCOMPARE(watcher.currentId(), int(PID_CHIP_BOOTLOADER));
}

void TstCheckDevice::foreignVendorIgnored()
{
    m_bus.unplugAll();
    CheckDevice watcher(&m_bus);
    QSignalSpy spy(&watcher, &CheckDevice::sigFound);
    m_bus.plug(std::make_shared<IdDevice>(0x046D, PID_OX6));
    watcher.tick();
    QCOMPARE(spy.count(), 0);
}

void TstCheckDevice::idsOutsideTheScanListAreNeverReported()
{
    m_bus.unplugAll();
    CheckDevice watcher(&m_bus);
    QSignalSpy spy(&watcher, &CheckDevice::sigFound);
    m_bus.plug(korvan(PID_OX5));
    m_bus.plug(korvan(PID_OX7EU_RECEIVER));
    watcher.tick();
    QCOMPARE(spy.count(), 0);
    QVERIFY(watcher.foundIds().contains(PID_OX5));
}

void TstCheckDevice::timerRunsOnItsThread()
{
    m_bus.unplugAll();
    auto *watcher = new CheckDevice(&m_bus, 20);
    QThread thread;
    watcher->moveToThread(&thread);
    QObject::connect(&thread, &QThread::finished, watcher, &QObject::deleteLater);
    QSignalSpy spy(watcher, &CheckDevice::sigFound);
    thread.start();

    auto ox2 = korvan(PID_OX2);
    m_bus.plug(ox2);
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 5000);
    QCOMPARE(spy.at(0).at(1).toUInt(), uint(PID_OX2));
    m_bus.unplug(ox2.get());
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 2, 5000);

    QMetaObject::invokeMethod(watcher, &CheckDevice::stopTheTimer, Qt::BlockingQueuedConnection);
    QVERIFY(!watcher->isRunning());
    m_bus.plug(ox2);
    QTest::qWait(100);
    QCOMPARE(spy.count(), 2); // paused: no report
    thread.quit();
    thread.wait();
}

void TstCheckDevice::failedOpenIsReportedAgainAFewTimes_data()
{
    QTest::addColumn<bool>("denied");
    QTest::newRow("this user may not open the node") << true;
    QTest::newRow("the open fails for another reason") << false;
}

void TstCheckDevice::failedOpenIsReportedAgainAFewTimes()
{
    QFETCH(bool, denied);
    m_bus.unplugAll();
    CheckDevice watcher(&m_bus);
    watcher.stopTheTimer();
    QSignalSpy found(&watcher, &CheckDevice::sigFound);
    QSignalSpy noPermission(&watcher, &CheckDevice::sigNoPermission);
    const Report arrival{true, PID_OX7_WIRED};

    auto ox7 = korvan(PID_OX7_WIRED, 2);
    m_bus.plug(ox7);
    m_bus.setAccessDenied(ox7.get(), denied);
    watcher.tick();
    QCOMPARE(reports(found), QList<Report>{arrival});
    QCOMPARE(watcher.deniedIds(), denied ? QList<int>{PID_OX7_WIRED} : QList<int>{});

    // Each failure brings the arrival back on the next tick, a few times.
    for (int i = 1; i <= CheckDevice::kOpenRetries; ++i) {
        watcher.slot_OpenFailed(PID_OX7_WIRED);
        watcher.tick();
        watcher.tick();
        QCOMPARE(found.count(), 1 + i);
        QCOMPARE(reports(found).last(), arrival);
    }
    watcher.slot_OpenFailed(PID_OX7_WIRED);
    watcher.tick();
    QCOMPARE(found.count(), 1 + CheckDevice::kOpenRetries);
    QCOMPARE(noPermission.count(), denied ? 1 : 0);
    if (denied)
        QCOMPARE(noPermission.at(0), (QVariantList{uint(PID_OX7_WIRED), uint(VID_KORVAN)}));
    // Reports about a mouse that is not the reported one change nothing.
    watcher.slot_OpenFailed(PID_OX6);
    watcher.tick();
    QCOMPARE(found.count(), 1 + CheckDevice::kOpenRetries);

    if (denied) {
        // The udev rule arrives: a fresh try without unplugging.
        m_bus.setAccessDenied(ox7.get(), false);
        watcher.tick();
        QCOMPARE(found.count(), 2 + CheckDevice::kOpenRetries);
        QCOMPARE(reports(found).last(), arrival);
        watcher.slot_OpenFailed(PID_OX7_WIRED);
        watcher.tick();
        QCOMPARE(found.count(), 3 + CheckDevice::kOpenRetries);
    }

    // Unplugged, it is reported gone once; plugged in again, counting starts afresh.
    const int before = found.count();
    m_bus.unplug(ox7.get());
    watcher.tick();
    watcher.tick();
    QCOMPARE(found.count(), before + 1);
    QCOMPARE(reports(found).last(), (Report{false, PID_OX7_WIRED}));
    m_bus.plug(ox7);
    watcher.tick();
    for (int i = 0; i < CheckDevice::kOpenRetries; ++i) {
        watcher.slot_OpenFailed(PID_OX7_WIRED);
        watcher.tick();
    }
    QCOMPARE(found.count(), before + 2 + CheckDevice::kOpenRetries);
    QCOMPARE(noPermission.count(), denied ? 1 : 0);
}

QTEST_GUILESS_MAIN(TstCheckDevice)
#include "tst_checkdevice.moc"
