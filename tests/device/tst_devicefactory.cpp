// Which driver and manager a product id gets, and how they are joined.

#include "device/devicefactory.h"

#include "device/familya/usbdrivermangerox7.h"
#include "device/familya/usbdriverox7.h"
#include "device/korvanusbdriver.h"
#include "device/usbdrivermanager.h"
#include "discovery/models.h"
#include "platform/hidbus.h"
#include "tests/common/testutil.h"

#include <QtTest>

Q_DECLARE_METATYPE(ProtocolFamily)

class TstDeviceFactory : public QObject
{
    Q_OBJECT

private slots:
    void pairForProductId_data();
    void pairForProductId();
    void familyAManagerForAGivenDriver_data();
    void familyAManagerForAGivenDriver();
};

void TstDeviceFactory::pairForProductId_data()
{
    QTest::addColumn<int>("productId");
    QTest::addColumn<ProtocolFamily>("family");
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<bool>("wireless");
    QTest::addColumn<QString>("driverClass");
    QTest::addColumn<QString>("managerClass");

    const QString a = QStringLiteral("USBDriverOX7");
    const QString aManager = QStringLiteral("UsbDriverMangerOX7");
    QTest::newRow("OX7 by cable") << int(PID_OX7_WIRED) << ProtocolFamily::A << 11 << false << a << aManager;
    QTest::newRow("OX7 receiver") << int(PID_OX7_RECEIVER) << ProtocolFamily::A << 11 << true << a << aManager;
    QTest::newRow("OX4 wireless id") << int(PID_OX4_WIRELESS) << ProtocolFamily::A << 12 << true << a << aManager;
    QTest::newRow("OX7EU by cable") << int(PID_OX7EU_WIRED) << ProtocolFamily::A << 14 << false << a << aManager;
    QTest::newRow("OX6 (family B)") << int(PID_OX6) << ProtocolFamily::B << 3 << false
                                    << QStringLiteral("USBDriver_OX6") << QStringLiteral("UsbDriverManger_OX6");
    QTest::newRow("OX8 (family B)") << int(PID_OX8) << ProtocolFamily::B << 18 << false
                                    << QStringLiteral("USBDriver_OX6") << QStringLiteral("UsbDriverManger_OX6");
    QTest::newRow("OX5 (family C)") << int(PID_OX5) << ProtocolFamily::C << 13 << false
                                    << QStringLiteral("USBDriver_OX5") << QStringLiteral("UsbDriverManger_OX5");
    QTest::newRow("unknown id") << 0x7777 << ProtocolFamily::None << 0 << false << QString() << QString();
    QTest::newRow("id 0") << 0 << ProtocolFamily::None << 0 << false << QString() << QString();
    QTest::newRow("family A boot loader") << int(PID_BOOTLOADER) << ProtocolFamily::None << 0 << false << QString()
                                          << QString();
    QTest::newRow("chip boot loader") << int(PID_CHIP_BOOTLOADER) << ProtocolFamily::None << 0 << false
                                      << QString() << QString();
}

void TstDeviceFactory::pairForProductId()
{
    QFETCH(int, productId);
    QFETCH(ProtocolFamily, family);
    QFETCH(int, mouseType);
    QFETCH(bool, wireless);
    QFETCH(QString, driverClass);
    QFETCH(QString, managerClass);

    TempAppDir app;
    const DevicePair pair = createDevicePair(quint16(productId));
    QCOMPARE(pair.family, family);
    QCOMPARE(pair.mouseType, mouseType);
    QCOMPARE(pair.wireless, wireless);
    if (family == ProtocolFamily::None) {
        QVERIFY(!pair.isValid());
        QVERIFY(!pair.driver);
        QVERIFY(!pair.receiver);
        return;
    }
    QVERIFY(pair.isValid());
    QVERIFY(pair.driver);
    // The exact classes: family C's derive from family B's.
    QCOMPARE(QString::fromLatin1(pair.driver->metaObject()->className()), driverClass);
    QCOMPARE(QString::fromLatin1(pair.manager->metaObject()->className()), managerClass);

    if (family != ProtocolFamily::A) {
        QVERIFY(!pair.receiver);
        return;
    }
    auto *driver = qobject_cast<USBDriverOX7 *>(pair.driver.get());
    auto *manager = qobject_cast<UsbDriverMangerOX7 *>(pair.manager.get());
    QVERIFY(driver && manager);
    QCOMPARE(manager->Driver(), driver);
    QCOMPARE(manager->MouseType(), mouseType);
    QCOMPARE(driver->ConnectionMode(), wireless ? 1 : 0);
    QCOMPARE(driver->WiredPath(), wiredPathFragment(mouseType));
    QCOMPARE(driver->WirelessPath(), wirelessPathFragment(mouseType));
    // Only a receiver takes the pairing commands.
    QCOMPARE(pair.receiver, wireless ? driver : nullptr);
}

void TstDeviceFactory::familyAManagerForAGivenDriver_data()
{
    QTest::addColumn<bool>("wireless");
    QTest::newRow("through the receiver") << true;
    QTest::newRow("by cable") << false;
}

void TstDeviceFactory::familyAManagerForAGivenDriver()
{
    QFETCH(bool, wireless);

    TempAppDir app;
    USBDriverOX7 driver;
    const QString wirelessPath = hidPathFragment(VID_KORVAN, 0x1111);
    const QString wiredPath = hidPathFragment(VID_KORVAN, 0x2222);
    const std::unique_ptr<UsbDriverMangerOX7> manager =
        createFamilyAManager(&driver, 10, wirelessPath, wiredPath, wireless);
    QVERIFY(manager);
    QCOMPARE(manager->Driver(), &driver);
    QCOMPARE(manager->MouseType(), 10);
    QCOMPARE(driver.ConnectionMode(), wireless ? 1 : 0);
    // The two match strings are not swapped on the way.
    QCOMPARE(driver.WiredPath(), wiredPath);
    QCOMPARE(driver.WirelessPath(), wirelessPath);

    QVERIFY(!createFamilyAManager(nullptr, 10, wirelessPath, wiredPath, wireless));
}

QTEST_GUILESS_MAIN(TstDeviceFactory)
#include "tst_devicefactory.moc"
