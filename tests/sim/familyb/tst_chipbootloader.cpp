#include "sim/emulatedhidbus.h"
#include "sim/familyb/chipbootloader.h"
#include "sim/familyb/familybmouse.h"
#include "discovery/models.h"

#include <QtTest>

class TestChipBootloader : public QObject
{
    Q_OBJECT

private slots:
    void enumeratesUnderTheChipIds_data();
    void enumeratesUnderTheChipIds();
    void notForOtherModels();
    void speaksNothing();
    void replacesTheMouseOnTheBus();
};

void TestChipBootloader::enumeratesUnderTheChipIds_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("pid");
    QTest::newRow("OX2") << 2 << int(PID_OX2);
    QTest::newRow("OX6") << 3 << int(PID_OX6);
    QTest::newRow("OX1") << 4 << int(PID_OX1);
    QTest::newRow("OX2S") << 5 << int(PID_OX2S);
    QTest::newRow("OX1S") << 6 << int(PID_OX1S);
    QTest::newRow("OX5") << 13 << int(PID_OX5);
    QTest::newRow("OX8") << 18 << int(PID_OX8);
}

void TestChipBootloader::enumeratesUnderTheChipIds()
{
    QFETCH(int, type);
    QFETCH(int, pid);
    EmulatedHidBus bus;
    auto loader = plugChipBootloader(bus, type);
    QVERIFY(loader);
    const QVector<HidDeviceInfo> list = bus.enumerate();
    QCOMPARE(list.size(), 1);
    QCOMPARE(list[0].vendorId, VID_CHIP_BOOTLOADER);
    QCOMPARE(list[0].productId, PID_CHIP_BOOTLOADER);
    // The release number names the model being updated.
    QCOMPARE(int(list[0].releaseNumber), pid);
    QCOMPARE(chipBootloaderMouseType(list[0].releaseNumber), type);
    QVERIFY(hidInfoMatchesFragment(list[0], hidPathFragment(VID_CHIP_BOOTLOADER, PID_CHIP_BOOTLOADER)));
    QVERIFY(!selectFamilyForPid(list[0].productId).isValid());
}

void TestChipBootloader::notForOtherModels()
{
    EmulatedHidBus bus;
    for (int t : {0, 7, 11, 12, 14, 15, 16})
        QVERIFY(!plugChipBootloader(bus, t));
    QVERIFY(bus.enumerate().isEmpty());
}

void TestChipBootloader::speaksNothing()
{
    EmulatedHidBus bus;
    plugChipBootloader(bus, 18);
    auto h = bus.open(bus.enumerate().first().path);
    QVERIFY(h);
    QByteArray r(65, '\0');
    QVERIFY(!h->setFeature(r));
    QVERIFY(!h->getFeature(r));
    QVERIFY(!h->write(r));
    QVERIFY(!h->getInputReport(r));
}

void TestChipBootloader::replacesTheMouseOnTheBus()
{
    // What a test of the watcher does: the mouse leaves, its boot loader
    // arrives, and the mouse comes back.
    EmulatedHidBus bus;
    auto mouse = plugFamilyB(bus, 3);
    bus.unplug(mouse.get());
    auto loader = plugChipBootloader(bus, 3);
    QCOMPARE(bus.enumerate().size(), 1);
    QCOMPARE(chipBootloaderMouseType(bus.enumerate().first().releaseNumber), 3);
    bus.unplug(loader.get());
    bus.plug(mouse);
    QCOMPARE(bus.enumerate().size(), 2);
    QCOMPARE(bus.enumerate().first().productId, PID_OX6);
}

QTEST_GUILESS_MAIN(TestChipBootloader)
#include "tst_chipbootloader.moc"
