#include "platform/clock.h"
#include "sim/emulatedhidbus.h"
#include "tests/common/emulateddesk.h"

#include <QThread>
#include <QtTest>

namespace {
// Echoes output reports back as input reports and keeps one feature report.
class EchoInterface : public EmulatedInterface
{
public:
    QList<QByteArray> pending;
    QByteArray feature;

    bool onWrite(const QByteArray &r) override
    {
        pending.append(r);
        return true;
    }
    int onRead(QByteArray &r, int timeoutMs) override
    {
        if (pending.isEmpty())
            return EmulatedInterface::onRead(r, timeoutMs);
        r = pending.takeFirst();
        return r.size();
    }
    bool onSetFeature(const QByteArray &r) override
    {
        feature = r;
        return true;
    }
    bool onGetFeature(QByteArray &r) override
    {
        r = feature;
        return true;
    }
};

class EchoDevice : public InterfaceListDevice<EchoInterface>
{
public:
    explicit EchoDevice(quint16 pid, int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            HidDeviceInfo info;
            info.vendorId = 0x1111;
            info.productId = pid;
            info.usage = quint16(i + 1);
            add(info);
        }
    }
};

// Unplugs itself when it receives a report: a firmware restarting.
class SelfUnplugInterface : public EmulatedInterface
{
public:
    std::shared_ptr<EmulatedDevice> replacement;
    EmulatedDevice *owner = nullptr;
    bool onWrite(const QByteArray &) override
    {
        EmulatedHidBus *bus = owner->bus();
        bus->unplug(owner);
        bus->plug(replacement, deviceClock().nowMs() + 1500);
        return true;
    }
};

class SelfUnplugDevice : public EmulatedDevice
{
public:
    SelfUnplugInterface iface;
    QVector<EmulatedInterface *> interfaces() override { return {&iface}; }
};
} // namespace

class TstEmulatedHidBus : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_clock.resetCounters();
        m_scope = std::make_unique<ScopedDeviceClock>(&m_clock);
    }
    void cleanup() { m_scope.reset(); }

    void enumerateAndOpen();
    void transfersReachTheInterface();
    void unplugFailsOpenHandles();
    void unplugAfterTransfers_data();
    void unplugAfterTransfers();
    void latencyPassesOnTheDeviceClock();
    void deviceReplacingItselfFromAHandler();
    void hostileThreadsDoNotCrash();

private:
    VirtualClock m_clock;
    std::unique_ptr<ScopedDeviceClock> m_scope;
};

void TstEmulatedHidBus::enumerateAndOpen()
{
    EmulatedHidBus bus;
    auto dev = std::make_shared<EchoDevice>(0x42, 2);
    bus.plug(dev);
    const QVector<HidDeviceInfo> infos = bus.enumerate();
    QCOMPARE(infos.size(), 2);
    QCOMPARE(infos[0].productId, quint16(0x42));
    QVERIFY(infos[0].path != infos[1].path);
    QCOMPARE(infos[1].usage, quint16(2));
    QVERIFY(bus.open(infos[1].path));
    QVERIFY(!bus.open(QStringLiteral("emulated:999:0")));
    QVERIFY(!bus.open(QStringLiteral("/dev/hidraw0")));
    QVERIFY(!bus.open(QStringLiteral("emulated:1:7")));
    QCOMPARE(bus.openCount(), 1);
    QCOMPARE(bus.liveHandleCount(), 0);
}

void TstEmulatedHidBus::transfersReachTheInterface()
{
    EmulatedHidBus bus;
    auto dev = std::make_shared<EchoDevice>(0x42, 2);
    bus.plug(dev);
    auto h = bus.open(bus.enumerate().at(1).path);
    QVERIFY(h->write(QByteArray("\x01\x02", 2)));
    QByteArray in;
    QCOMPARE(h->read(in, 100), 2);
    QCOMPARE(in, QByteArray("\x01\x02", 2));
    QCOMPARE(h->read(in, 100), 0); // nothing pending: the time-out passes
    QCOMPARE(m_clock.totalSleptMs(), qint64(100));
    QVERIFY(h->setFeature("abc"));
    QByteArray f(3, 0);
    QVERIFY(h->getFeature(f));
    QCOMPARE(f, QByteArray("abc"));
    QVERIFY(dev->iface(0)->pending.isEmpty()); // the other interface saw nothing
    QCOMPARE(dev->transferCount(), 5);
}

void TstEmulatedHidBus::unplugFailsOpenHandles()
{
    EmulatedHidBus bus;
    auto dev = std::make_shared<EchoDevice>(0x42);
    bus.plug(dev);
    auto h = bus.open(bus.enumerate().at(0).path);
    QVERIFY(h);
    QCOMPARE(bus.liveHandleCount(), 1);
    bus.unplug(dev.get());
    QVERIFY(!bus.isPlugged(dev.get()));
    QVERIFY(!h->write("x"));
    QVERIFY(h->lastError() != 0);
    QByteArray r;
    QCOMPARE(h->read(r, 10), -1);
    QVERIFY(bus.enumerate().isEmpty());
    // Plugged again, it is a new device: the old handle stays dead.
    bus.plug(dev);
    QVERIFY(!h->write("x"));
    QVERIFY(bus.open(bus.enumerate().at(0).path)->write("x"));
    h.reset();
    QCOMPARE(bus.liveHandleCount(), 0);
}

void TstEmulatedHidBus::unplugAfterTransfers_data()
{
    QTest::addColumn<int>("limit");
    QTest::addRow("at once") << 0;
    QTest::addRow("after three") << 3;
}

void TstEmulatedHidBus::unplugAfterTransfers()
{
    QFETCH(int, limit);
    EmulatedHidBus bus;
    auto dev = std::make_shared<EchoDevice>(0x42);
    bus.plug(dev);
    dev->setUnplugAfterTransfers(limit);
    auto h = bus.open(bus.enumerate().at(0).path);
    for (int i = 0; i < limit; ++i)
        QVERIFY(h->write("x"));
    QVERIFY(!h->write("x"));
    QVERIFY(!bus.isPlugged(dev.get()));
}

void TstEmulatedHidBus::latencyPassesOnTheDeviceClock()
{
    EmulatedHidBus bus;
    auto dev = std::make_shared<EchoDevice>(0x42);
    dev->setLatencyMs(2);
    bus.plug(dev);
    auto h = bus.open(bus.enumerate().at(0).path);
    for (int i = 0; i < 10; ++i)
        h->write("x");
    QCOMPARE(m_clock.totalSleptMs(), qint64(20));
}

void TstEmulatedHidBus::deviceReplacingItselfFromAHandler()
{
    EmulatedHidBus bus;
    auto first = std::make_shared<SelfUnplugDevice>();
    first->iface.owner = first.get();
    first->iface.replacement = std::make_shared<EchoDevice>(0x99);
    bus.plug(first);
    auto h = bus.open(bus.enumerate().at(0).path);
    QVERIFY(h->write("restart"));
    QVERIFY(!bus.isPlugged(first.get()));
    QVERIFY(bus.enumerate().isEmpty()); // not visible yet
    m_clock.advance(1500);
    QCOMPARE(bus.enumerate().size(), 1);
    QCOMPARE(bus.enumerate().at(0).productId, quint16(0x99));
}

void TstEmulatedHidBus::hostileThreadsDoNotCrash()
{
    // The watcher enumerates while another thread transfers and a third
    // plugs and unplugs: nothing may crash or deadlock.
    EmulatedHidBus bus;
    auto dev = std::make_shared<EchoDevice>(0x42);
    std::atomic<bool> stop{false};
    std::unique_ptr<QThread> watcher(QThread::create([&] {
        while (!stop)
            bus.enumerate();
    }));
    std::unique_ptr<QThread> user(QThread::create([&] {
        while (!stop) {
            const auto infos = bus.enumerate();
            if (infos.isEmpty())
                continue;
            if (auto h = bus.open(infos.at(0).path)) {
                h->write("x");
                QByteArray r;
                h->read(r, 1);
            }
        }
    }));
    watcher->start();
    user->start();
    for (int i = 0; i < 2000; ++i) {
        bus.plug(dev);
        bus.unplug(dev.get());
    }
    stop = true;
    watcher->wait();
    user->wait();
    QCOMPARE(bus.liveHandleCount(), 0);
}

QTEST_GUILESS_MAIN(TstEmulatedHidBus)
#include "tst_emulatedhidbus.moc"
