#include "tests/platform/hid/descriptors.h"
#include "platform/hidbus_linux.h"
#include "platform/hiddescriptor.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A sysfs tree laid out like the kernel's: the class entry is a symlink into
// the device tree, and its "device" link points back up to the HID device,
// which sits below the USB interface and the USB device.
class SysfsFixture
{
public:
    SysfsFixture()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("sys/class/hidraw"));
        QDir(m_dir.path()).mkpath(QStringLiteral("dev"));
    }
    bool isValid() const { return m_dir.isValid(); }
    QString sys() const { return m_dir.path() + QStringLiteral("/sys"); }
    QString dev() const { return m_dir.path() + QStringLiteral("/dev"); }

    struct Node
    {
        int number = 0;
        QString parent;          // folder of the HID device, relative to sys/devices
        QString hidName;         // "0003:33F9:0102.0001"
        QByteArray uevent;       // not written when null
        QByteArray descriptor;   // not written when null
        QByteArray bcdDevice;    // written into the USB device folder when not null
        QByteArray product;      // the same
    };

    // parent is "usb1/1-2/1-2:1.0" for a USB device: the interface folder.
    void add(const Node &n)
    {
        const QString hidDir = sys() + QStringLiteral("/devices/") + n.parent + QLatin1Char('/') + n.hidName;
        const QString nodeDir = hidDir + QStringLiteral("/hidraw/hidraw") + QString::number(n.number);
        QDir().mkpath(nodeDir);
        if (!n.uevent.isNull())
            write(hidDir + QStringLiteral("/uevent"), n.uevent);
        if (!n.descriptor.isNull())
            write(hidDir + QStringLiteral("/report_descriptor"), n.descriptor);
        const QString usbDir = QFileInfo(hidDir + QStringLiteral("/../..")).absoluteFilePath();
        if (!n.bcdDevice.isNull())
            write(usbDir + QStringLiteral("/bcdDevice"), n.bcdDevice);
        if (!n.product.isNull())
            write(usbDir + QStringLiteral("/product"), n.product);
        link(QStringLiteral("../../../") + n.hidName, nodeDir + QStringLiteral("/device"));
        link(QStringLiteral("../../devices/") + n.parent + QLatin1Char('/') + n.hidName
                 + QStringLiteral("/hidraw/hidraw") + QString::number(n.number),
             sys() + QStringLiteral("/class/hidraw/hidraw") + QString::number(n.number));
    }

    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(bytes), qint64(bytes.size()));
    }
    static void link(const QString &target, const QString &linkPath)
    {
        QCOMPARE(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(linkPath).constData()), 0);
    }

private:
    QTemporaryDir m_dir;
};

QByteArray ueventFor(const char *id, const char *name)
{
    QByteArray text = "DRIVER=hid-generic\nHID_ID=" + QByteArray(id) + "\n";
    if (name)
        text += "HID_NAME=" + QByteArray(name) + "\n";
    return text + "HID_PHYS=usb-0000:00:14.0-2/input0\n";
}

QString capsText(const QVector<HidValueCap> &caps)
{
    QStringList parts;
    for (const HidValueCap &c : caps)
        parts << QStringLiteral("%1:%2/%3")
                     .arg(c.reportId, 0, 16)
                     .arg(c.usagePage, 0, 16)
                     .arg(c.usage, 0, 16);
    return parts.join(QLatin1Char(' '));
}

const char *const Usb = "pci0000:00/0000:00:14.0/usb1";

// Two connected sockets that keep message boundaries the way hidraw keeps
// report boundaries.
struct SocketPair
{
    int fds[2] = {-1, -1};
    SocketPair() { ::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds); }
    ~SocketPair()
    {
        if (fds[1] >= 0)
            ::close(fds[1]);
    }
    // The device end; the HidDevice owns it from here on.
    int take()
    {
        const int fd = fds[0];
        fds[0] = -1;
        return fd;
    }
    void closePeer()
    {
        ::close(fds[1]);
        fds[1] = -1;
    }
    QByteArray receive()
    {
        QByteArray buf(20000, '\0');
        const ssize_t n = ::recv(fds[1], buf.data(), size_t(buf.size()), MSG_DONTWAIT);
        return n < 0 ? QByteArray() : buf.left(int(n));
    }
};

} // namespace

class TestHidrawBus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void enumeratesInOrder();
    void enumeratedInterface_data();
    void enumeratedInterface();
    void accessDeniedFollowsTheNode();
    void open_data();
    void open();
    void openDeviceUsesTheNode();
    void openWarnsAboutQuirkyItems();
    void readPutsTheIdByteFirst_data();
    void readPutsTheIdByteFirst();
    void readTimesOut();
    void readFailsWhenTheDeviceIsGone();
    void writeSendsTheBufferAsIs_data();
    void writeSendsTheBufferAsIs();
    void refusesUnsafeLengths_data();
    void refusesUnsafeLengths();
    void controlTransfersReportTheSystemError();

private:
    SysfsFixture m_fixture;
    std::unique_ptr<HidBus> m_bus;
};

void TestHidrawBus::initTestCase()
{
    QVERIFY(m_fixture.isValid());
    const QString usb = QString::fromLatin1(Usb);

    SysfsFixture::Node n;
    // A family B mouse: two vendor collections on one node.
    n.number = 0;
    n.parent = usb + QStringLiteral("/1-2/1-2:1.1");
    n.hidName = QStringLiteral("0003:33F9:0102.0001");
    n.uevent = ueventFor("0003:000033F9:00000102", "Korvan OX2");
    n.descriptor = descriptors::familyB();
    n.bcdDevice = "0102\n";
    n.product = "OX2 Gaming Mouse\n";
    m_fixture.add(n);

    // Another maker's mouse.
    n = {};
    n.number = 1;
    n.parent = usb + QStringLiteral("/1-3/1-3:1.0");
    n.hidName = QStringLiteral("0003:046D:C077.0002");
    n.uevent = ueventFor("0003:0000046D:0000C077", "Logitech USB Optical Mouse");
    n.descriptor = descriptors::bootMouse();
    n.bcdDevice = "7200\n";
    n.product = "USB Optical Mouse\n";
    m_fixture.add(n);

    // A family A mouse by cable: mouse and vendor collection on one node.
    n = {};
    n.number = 2;
    n.parent = usb + QStringLiteral("/1-4/1-4:1.0");
    n.hidName = QStringLiteral("0003:33F9:021B.0003");
    n.uevent = ueventFor("0003:000033F9:0000021B", "Korvan OX7");
    n.descriptor = descriptors::familyA();
    n.bcdDevice = "0100\n";
    n.product = "OX7 Wired";
    m_fixture.add(n);

    // A broken descriptor: the ids are still worth reporting.
    n = {};
    n.number = 3;
    n.parent = usb + QStringLiteral("/1-5/1-5:1.0");
    n.hidName = QStringLiteral("0003:33F9:0118.0004");
    n.uevent = ueventFor("0003:000033F9:00000118", "Korvan OX8");
    n.descriptor = descriptors::familyB().left(20);
    n.bcdDevice = "0203\n";
    n.product = "OX8\n";
    m_fixture.add(n);

    // No uevent: nothing is known, so it is skipped.
    n = {};
    n.number = 4;
    n.parent = usb + QStringLiteral("/1-6/1-6:1.0");
    n.hidName = QStringLiteral("0003:33F9:0104.0005");
    n.descriptor = descriptors::familyB();
    m_fixture.add(n);

    // The chip boot loader: no product attribute, so HID_NAME names it.
    n = {};
    n.number = 5;
    n.parent = usb + QStringLiteral("/1-7/1-7:1.0");
    n.hidName = QStringLiteral("0003:33FA:0B00.0006");
    n.uevent = ueventFor("0003:000033FA:00000B00", "CHIP BOOT");
    n.descriptor = descriptors::nuc123Isp();
    n.bcdDevice = "0118\n";
    m_fixture.add(n);

    // A malformed HID_ID: skipped.
    n = {};
    n.number = 6;
    n.parent = usb + QStringLiteral("/1-8/1-8:1.0");
    n.hidName = QStringLiteral("0003:33F9:0102.0007");
    n.uevent = ueventFor("0003:000133F9:00000102", "too wide");
    n.descriptor = descriptors::familyB();
    m_fixture.add(n);

    // No descriptor in sysfs and no node to ask: ids only.
    n = {};
    n.number = 8;
    n.parent = usb + QStringLiteral("/1-9/1-9:1.0");
    n.hidName = QStringLiteral("0003:33F9:02FF.0008");
    n.uevent = ueventFor("0003:000033F9:000002FF", "ISP");
    n.bcdDevice = "0001\n";
    n.product = "OX4 Boot";
    m_fixture.add(n);

    // A bad bcdDevice and an over-long product string.
    n = {};
    n.number = 9;
    n.parent = usb + QStringLiteral("/1-10/1-10:1.0");
    n.hidName = QStringLiteral("0003:33F9:0217.0009");
    n.uevent = ueventFor("0003:000033F9:00000217", "Korvan OX4C");
    n.descriptor = descriptors::familyA();
    n.bcdDevice = "zz\n";
    n.product = QByteArray(300, 'A');
    m_fixture.add(n);

    // A Bluetooth keyboard: no USB parent, so no release number.
    n = {};
    n.number = 10;
    n.parent = QStringLiteral("virtual/misc/uhid");
    n.hidName = QStringLiteral("0005:04E8:7021.000A");
    n.uevent = ueventFor("0005:000004E8:00007021", "BT Keyboard");
    n.descriptor = descriptors::keyboard();
    m_fixture.add(n);

    // A family A mouse whose descriptor starts with a main item outside any
    // collection: tolerated, its collections show as usual.
    n = {};
    n.number = 11;
    n.parent = usb + QStringLiteral("/1-11/1-11:1.0");
    n.hidName = QStringLiteral("0003:33F9:021B.000B");
    n.uevent = ueventFor("0003:000033F9:0000021B", "Korvan OX7");
    n.descriptor = QByteArray::fromHex("85 07  75 08  95 04  81 02") + descriptors::familyA();
    n.bcdDevice = "0100\n";
    n.product = "OX7 Wired";
    m_fixture.add(n);

    // Entries that are not hidraw nodes, and a node whose device is gone.
    SysfsFixture::write(m_fixture.sys() + QStringLiteral("/class/hidraw/README"), "x");
    QVERIFY(QDir().mkpath(m_fixture.sys() + QStringLiteral("/class/hidraw/hidrawfoo")));
    QVERIFY(QDir().mkpath(m_fixture.sys() + QStringLiteral("/class/hidraw/hidraw07")));
    QVERIFY(QDir().mkpath(m_fixture.sys() + QStringLiteral("/class/hidraw/hidraw7")));
    SysfsFixture::link(QStringLiteral("../../../nowhere"),
                       m_fixture.sys() + QStringLiteral("/class/hidraw/hidraw7/device"));

    // Device nodes: /dev/null stands in for a character device; hidraw1 is
    // a plain file.
    if (QFileInfo(QStringLiteral("/dev/null")).exists()) {
        SysfsFixture::link(QStringLiteral("/dev/null"), m_fixture.dev() + QStringLiteral("/hidraw0"));
        SysfsFixture::link(QStringLiteral("/dev/null"), m_fixture.dev() + QStringLiteral("/hidraw3"));
        SysfsFixture::link(QStringLiteral("/dev/null"), m_fixture.dev() + QStringLiteral("/hidraw11"));
    }
    SysfsFixture::write(m_fixture.dev() + QStringLiteral("/hidraw1"), "not a device");

    m_bus = createHidrawBus(m_fixture.sys(), m_fixture.dev());
}

void TestHidrawBus::enumeratesInOrder()
{
    QStringList paths;
    for (const HidDeviceInfo &info : m_bus->enumerate())
        paths << info.path.mid(m_fixture.dev().size());
    const QStringList expected = {
        QStringLiteral("/hidraw0"), QStringLiteral("/hidraw0#1"), QStringLiteral("/hidraw1"),
        QStringLiteral("/hidraw2"), QStringLiteral("/hidraw2#1"), QStringLiteral("/hidraw3"),
        QStringLiteral("/hidraw5"), QStringLiteral("/hidraw8"), QStringLiteral("/hidraw9"),
        QStringLiteral("/hidraw9#1"), QStringLiteral("/hidraw10"), QStringLiteral("/hidraw11"),
        QStringLiteral("/hidraw11#1"),
    };
    QCOMPARE(paths, expected);
}

void TestHidrawBus::enumeratedInterface_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<uint>("vendor");
    QTest::addColumn<uint>("product");
    QTest::addColumn<uint>("release");
    QTest::addColumn<QString>("productString");
    QTest::addColumn<uint>("usagePage");
    QTest::addColumn<uint>("usage");
    QTest::addColumn<int>("input");
    QTest::addColumn<int>("output");
    QTest::addColumn<int>("feature");
    QTest::addColumn<QString>("featureCaps");

    QTest::newRow("family B command interface")
        << "/hidraw0" << 0x33F9u << 0x0102u << 0x0102u << "OX2 Gaming Mouse" << 0xFF00u << 1u << 0 << 0
        << 6 << "5:ff00/1";
    QTest::newRow("family B data interface")
        << "/hidraw0#1" << 0x33F9u << 0x0102u << 0x0102u << "OX2 Gaming Mouse" << 0xFF00u << 1u << 0
        << 0 << 1032 << "6:ff00/1";
    QTest::newRow("another maker's mouse is listed too")
        << "/hidraw1" << 0x046Du << 0xC077u << 0x7200u << "USB Optical Mouse" << 1u << 2u << 5 << 0
        << 0 << "";
    QTest::newRow("family A mouse collection")
        << "/hidraw2" << 0x33F9u << 0x021Bu << 0x0100u << "OX7 Wired" << 1u << 2u << 7 << 0 << 0 << "";
    QTest::newRow("family A vendor collection")
        << "/hidraw2#1" << 0x33F9u << 0x021Bu << 0x0100u << "OX7 Wired" << 0xFF00u << 14u << 32 << 32
        << 0 << "";
    QTest::newRow("broken descriptor keeps the ids")
        << "/hidraw3" << 0x33F9u << 0x0118u << 0x0203u << "OX8" << 0u << 0u << 0 << 0 << 0 << "";
    QTest::newRow("boot loader named by HID_NAME")
        << "/hidraw5" << 0x33FAu << 0x0B00u << 0x0118u << "CHIP BOOT" << 0xFF00u << 1u << 65 << 65 << 0
        << "";
    QTest::newRow("no descriptor anywhere keeps the ids")
        << "/hidraw8" << 0x33F9u << 0x02FFu << 0x0001u << "OX4 Boot" << 0u << 0u << 0 << 0 << 0 << "";
    QTest::newRow("bad bcdDevice reads 0, long product string is cut")
        << "/hidraw9" << 0x33F9u << 0x0217u << 0u << QString(126, QLatin1Char('A')) << 1u << 2u << 7
        << 0 << 0 << "";
    QTest::newRow("Bluetooth keyboard without USB parent")
        << "/hidraw10" << 0x04E8u << 0x7021u << 0u << "BT Keyboard" << 1u << 6u << 9 << 2 << 0 << "";
    QTest::newRow("a quirky item leaves the mouse collection")
        << "/hidraw11" << 0x33F9u << 0x021Bu << 0x0100u << "OX7 Wired" << 1u << 2u << 7 << 0 << 0 << "";
    QTest::newRow("and the vendor collection")
        << "/hidraw11#1" << 0x33F9u << 0x021Bu << 0x0100u << "OX7 Wired" << 0xFF00u << 14u << 32 << 32
        << 0 << "";
}

void TestHidrawBus::enumeratedInterface()
{
    QFETCH(QString, path);
    QFETCH(uint, vendor);
    QFETCH(uint, product);
    QFETCH(uint, release);
    QFETCH(QString, productString);
    QFETCH(uint, usagePage);
    QFETCH(uint, usage);
    QFETCH(int, input);
    QFETCH(int, output);
    QFETCH(int, feature);
    QFETCH(QString, featureCaps);

    const QVector<HidDeviceInfo> infos = m_bus->enumerate();
    const auto it = std::find_if(infos.begin(), infos.end(), [&](const HidDeviceInfo &i) {
        return i.path == m_fixture.dev() + path;
    });
    QVERIFY2(it != infos.end(), qPrintable(path));
    QCOMPARE(uint(it->vendorId), vendor);
    QCOMPARE(uint(it->productId), product);
    QCOMPARE(uint(it->releaseNumber), release);
    QCOMPARE(it->productString, productString);
    QCOMPARE(uint(it->usagePage), usagePage);
    QCOMPARE(uint(it->usage), usage);
    QCOMPARE(it->inputReportLength, input);
    QCOMPARE(it->outputReportLength, output);
    QCOMPARE(it->featureReportLength, feature);
    QCOMPARE(capsText(it->featureValueCaps), featureCaps);
}

void TestHidrawBus::accessDeniedFollowsTheNode()
{
    auto denied = [this](const QString &path) {
        for (const HidDeviceInfo &info : m_bus->enumerate()) {
            if (info.path == m_fixture.dev() + path)
                return info.accessDenied;
        }
        return true;
    };
    const QString node = m_fixture.dev() + QStringLiteral("/hidraw1");
    QVERIFY(!denied(QStringLiteral("/hidraw1")));
    QVERIFY(QFile::setPermissions(node, QFileDevice::Permissions()));
    // Root may open anything; anybody else is now shut out (the node still enumerates).
    const bool shutOut = denied(QStringLiteral("/hidraw1"));
    QVERIFY(QFile::setPermissions(node, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QCOMPARE(shutOut, ::geteuid() != 0);
    QVERIFY(!denied(QStringLiteral("/hidraw1")));
}

void TestHidrawBus::open_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("opens");

    const bool haveNull = QFileInfo(QStringLiteral("/dev/null")).exists();
    QTest::newRow("first collection of a node") << m_fixture.dev() + "/hidraw0" << haveNull;
    QTest::newRow("second collection of the same node") << m_fixture.dev() + "/hidraw0#1" << haveNull;
    QTest::newRow("a collection the node lacks") << m_fixture.dev() + "/hidraw0#2" << false;
    QTest::newRow("a plain file is no device") << m_fixture.dev() + "/hidraw1" << false;
    QTest::newRow("a node that is gone") << m_fixture.dev() + "/hidraw5" << false;
    QTest::newRow("a node whose descriptor is broken") << m_fixture.dev() + "/hidraw3" << false;
    QTest::newRow("a path outside the device folder") << QStringLiteral("/dev/null") << false;
    QTest::newRow("not a hidraw path") << m_fixture.dev() + "/../dev/hidraw0" << false;
    QTest::newRow("empty") << QString() << false;
}

void TestHidrawBus::open()
{
    QFETCH(QString, path);
    QFETCH(bool, opens);
    QCOMPARE(bool(m_bus->open(path)), opens);
}

void TestHidrawBus::openWarnsAboutQuirkyItems()
{
    if (!QFileInfo(QStringLiteral("/dev/null")).exists())
        QSKIP("no /dev/null");
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("report descriptor of .*/hidraw11 main item outside "
                                                           "a collection.*\\(item at 6\\)")));
    QVERIFY(m_bus->open(m_fixture.dev() + QStringLiteral("/hidraw11#1")));
}

// The stand-in node takes writes and has nothing to read; the control
// transfers fail with the system's error.
void TestHidrawBus::openDeviceUsesTheNode()
{
    if (!QFileInfo(QStringLiteral("/dev/null")).exists())
        QSKIP("no /dev/null");
    const std::unique_ptr<HidDevice> device = m_bus->open(m_fixture.dev() + QStringLiteral("/hidraw0#1"));
    QVERIFY(device);
    QCOMPARE(device->lastError(), 0);
    QVERIFY(device->write(QByteArray::fromHex("0600112233")));
    QByteArray report(1032, '\0');
    report[0] = 6;
    QVERIFY(!device->getFeature(report));
    QCOMPARE(device->lastError(), ENOTTY);
}

void TestHidrawBus::readPutsTheIdByteFirst_data()
{
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("without ids a 0 id byte is added")
        << false << QByteArray::fromHex("01 02 03 04") << QByteArray::fromHex("00 01 02 03 04");
    QTest::newRow("with ids the report arrives as it is")
        << true << QByteArray::fromHex("BA 01 02 03") << QByteArray::fromHex("BA 01 02 03");
    QTest::newRow("a 64-byte boot loader answer becomes 65 bytes")
        << false << QByteArray(64, '\x5A') << QByteArray(1, '\0') + QByteArray(64, '\x5A');
}

void TestHidrawBus::readPutsTheIdByteFirst()
{
    QFETCH(bool, numbered);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, expected);

    SocketPair pair;
    const std::unique_ptr<HidDevice> device = createHidrawDevice(pair.take(), numbered);
    QCOMPARE(::send(pair.fds[1], sent.constData(), size_t(sent.size()), 0), ssize_t(sent.size()));
    QByteArray report;
    QCOMPARE(device->read(report, 0), expected.size());
    QCOMPARE(report, expected);
}

void TestHidrawBus::readTimesOut()
{
    SocketPair pair;
    const std::unique_ptr<HidDevice> device = createHidrawDevice(pair.take(), false);
    QByteArray report("stale");
    QCOMPARE(device->read(report, 0), 0);
    QVERIFY(report.isEmpty());
    QCOMPARE(device->lastError(), 0);
}

void TestHidrawBus::readFailsWhenTheDeviceIsGone()
{
    SocketPair pair;
    const std::unique_ptr<HidDevice> device = createHidrawDevice(pair.take(), true);
    pair.closePeer();
    QByteArray report;
    QCOMPARE(device->read(report, 0), -1);
    QVERIFY(device->lastError() != 0);
}

void TestHidrawBus::writeSendsTheBufferAsIs_data()
{
    QTest::addColumn<QByteArray>("report");

    QByteArray familyA(32, '\0');
    familyA[0] = char(0xBA);
    familyA[1] = char(0xFF);
    familyA[2] = char(0xA2);
    QTest::newRow("family A command, id 0xBA") << familyA;
    QTest::newRow("boot loader packet keeps the 0 id byte") << QByteArray(1, '\0') + QByteArray(64, '\x11');
}

void TestHidrawBus::writeSendsTheBufferAsIs()
{
    QFETCH(QByteArray, report);

    SocketPair pair;
    const std::unique_ptr<HidDevice> device = createHidrawDevice(pair.take(), false);
    QVERIFY(device->write(report));
    QCOMPARE(pair.receive(), report);
}

void TestHidrawBus::refusesUnsafeLengths_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<int>("length");

    // A control transfer's length rides in 14 bits of the request number.
    for (int op = 0; op < 3; ++op) {
        const char *name = op == 0 ? "get input" : op == 1 ? "set feature" : "get feature";
        QTest::addRow("%s, empty", name) << op << 0;
        QTest::addRow("%s, 16384 bytes", name) << op << 16384;
    }
    QTest::newRow("write, empty") << 3 << 0;
    QTest::newRow("write, longer than any report") << 3 << HID_REPORT_MAX_BYTES + 2;
}

void TestHidrawBus::refusesUnsafeLengths()
{
    QFETCH(int, operation);
    QFETCH(int, length);

    SocketPair pair;
    const std::unique_ptr<HidDevice> device = createHidrawDevice(pair.take(), false);
    QByteArray report(length, '\0');
    bool ok = true;
    switch (operation) {
    case 0: ok = device->getInputReport(report); break;
    case 1: ok = device->setFeature(report); break;
    case 2: ok = device->getFeature(report); break;
    default: ok = device->write(report); break;
    }
    QVERIFY(!ok);
    QCOMPARE(device->lastError(), EINVAL);
    QVERIFY(pair.receive().isEmpty());
}

// A socket knows no hidraw requests: the call reaches the system and its
// error comes back unchanged, and the buffer keeps its size.
void TestHidrawBus::controlTransfersReportTheSystemError()
{
    SocketPair pair;
    const std::unique_ptr<HidDevice> device = createHidrawDevice(pair.take(), false);
    QByteArray report(6, '\0');
    report[0] = 5;
    QVERIFY(!device->getFeature(report));
    QCOMPARE(device->lastError(), ENOTTY);
    QCOMPARE(report.size(), 6);
    QVERIFY(!device->setFeature(report));
    QVERIFY(!device->getInputReport(report));
    QCOMPARE(device->lastError(), ENOTTY);
}

QTEST_APPLESS_MAIN(TestHidrawBus)
#include "tst_hidrawbus.moc"
