#include "tests/platform/hid/descriptors.h"
#include "platform/hiddescriptor.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

struct ExpectedCollection
{
    quint16 usagePage = 0;
    quint16 usage = 0;
    int inputLength = 0;
    int outputLength = 0;
    int featureLength = 0;
    QVector<int> inputIds;
    QVector<int> outputIds;
    QVector<int> featureIds;
    QVector<HidValueCap> inputCaps;
    QVector<HidValueCap> featureCaps;
};

QVector<int> idsOf(const HidTopCollection &c, HidReportType type)
{
    QVector<int> ids;
    for (const HidReportLength &r : c.reportsOf(type))
        ids.append(r.reportId);
    return ids;
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

HidValueCap cap(int id, int page, int usage)
{
    return HidValueCap{quint8(id), quint16(page), quint16(usage)};
}

QByteArray repeated(const char *hex, int times)
{
    return QByteArray::fromHex(hex).repeated(times);
}

// The two collections of descriptors::familyA().
ExpectedCollection familyAMouse()
{
    ExpectedCollection mouse;
    mouse.usagePage = 0x01;
    mouse.usage = 0x02;
    mouse.inputLength = 7;
    mouse.inputIds = {1};
    mouse.inputCaps = {cap(1, 1, 0x30), cap(1, 1, 0x31), cap(1, 1, 0x38)};
    return mouse;
}

ExpectedCollection familyAVendor()
{
    ExpectedCollection vendor;
    vendor.usagePage = 0xFF00;
    vendor.usage = 14;
    vendor.inputLength = 32;
    vendor.outputLength = 32;
    vendor.inputIds = {0xBA};
    vendor.outputIds = {0xBA};
    vendor.inputCaps = {cap(0xBA, 0xFF00, 1)};
    return vendor;
}

} // namespace

Q_DECLARE_METATYPE(QVector<ExpectedCollection>)

class TestHidDescriptor : public QObject
{
    Q_OBJECT

private:
    static void compareCollections(const HidDescriptor &d, const QVector<ExpectedCollection> &expected);

private slots:
    void parsesCollections_data();
    void parsesCollections();
    void toleratesQuirkyItems_data();
    void toleratesQuirkyItems();
    void rejectsMalformed_data();
    void rejectsMalformed();
    void reportIdsOnTheWire_data();
    void reportIdsOnTheWire();
    void hostileBytesStayInBounds();
    void uevent_data();
    void uevent();
    void bcdDevice_data();
    void bcdDevice();
    void hidrawPaths_data();
    void hidrawPaths();
    void hidrawPathRoundTrip_data();
    void hidrawPathRoundTrip();
};

void TestHidDescriptor::parsesCollections_data()
{
    QTest::addColumn<QByteArray>("descriptor");
    QTest::addColumn<QVector<ExpectedCollection>>("expected");

    {
        ExpectedCollection mouse;
        mouse.usagePage = 0x01;
        mouse.usage = 0x02;
        mouse.inputLength = 5;
        mouse.inputIds = {0};
        mouse.inputCaps = {cap(0, 1, 0x30), cap(0, 1, 0x31), cap(0, 1, 0x38)};
        QTest::newRow("boot mouse without ids counts the absent id byte")
            << descriptors::bootMouse() << QVector<ExpectedCollection>{mouse};
    }
    {
        ExpectedCollection command;
        command.usagePage = 0xFF00;
        command.usage = 1;
        command.featureLength = 6;
        command.featureIds = {5};
        command.featureCaps = {cap(5, 0xFF00, 1)};
        ExpectedCollection data = command;
        data.featureLength = 1032;
        data.featureIds = {6};
        data.featureCaps = {cap(6, 0xFF00, 1)};
        QTest::newRow("family B command and data collections")
            << descriptors::familyB() << QVector<ExpectedCollection>{command, data};
    }
    QTest::newRow("family A collections keep their own lengths")
        << descriptors::familyA() << QVector<ExpectedCollection>{familyAMouse(), familyAVendor()};
    {
        ExpectedCollection isp;
        isp.usagePage = 0xFF00;
        isp.usage = 1;
        isp.inputLength = 65;
        isp.outputLength = 65;
        isp.inputIds = {0};
        isp.outputIds = {0};
        isp.inputCaps = {cap(0, 0xFF00, 1)};
        QTest::newRow("NUC123 boot loader, 64 bytes each way without ids")
            << descriptors::nuc123Isp() << QVector<ExpectedCollection>{isp};
        QTest::newRow("long items are skipped")
            << QByteArray::fromHex("FE 03 10 AA BB CC") + descriptors::nuc123Isp()
            << QVector<ExpectedCollection>{isp};
    }
    {
        ExpectedCollection kbd;
        kbd.usagePage = 0x01;
        kbd.usage = 0x06;
        kbd.inputLength = 9;
        kbd.outputLength = 2;
        kbd.inputIds = {0};
        kbd.outputIds = {0};
        QTest::newRow("keyboard: arrays and one-bit fields are no value caps")
            << descriptors::keyboard() << QVector<ExpectedCollection>{kbd};
    }
    {
        ExpectedCollection c;
        c.usagePage = 0xFF00;
        c.usage = 1;
        c.featureLength = 4;
        c.featureIds = {2};
        c.featureCaps = {cap(2, 0xFF00, 1)};
        QTest::newRow("a usage takes the page in force at its main item")
            << QByteArray::fromHex("09 01  06 00 FF  A1 01  85 02  09 01  75 08  95 03  B1 02  C0")
            << QVector<ExpectedCollection>{c};
    }
    {
        ExpectedCollection c;
        c.usagePage = 0xFF00;
        c.usage = 1;
        c.featureLength = 3;
        c.featureIds = {3};
        c.featureCaps = {cap(3, 0xFF00, 1)};
        QTest::newRow("an extended usage brings its own page")
            << QByteArray::fromHex("05 01  0B 01 00 00 FF  A1 01  85 03"
                                   "  0B 01 00 00 FF  75 08  95 02  B1 02  C0")
            << QVector<ExpectedCollection>{c};
    }
    {
        ExpectedCollection c;
        c.usagePage = 0xFF00;
        c.usage = 1;
        c.inputLength = 17;
        c.inputIds = {2, 1};
        c.inputCaps = {cap(2, 0xFF00, 1), cap(1, 0xFF00, 1)};
        QTest::newRow("pop restores report id, size and count")
            << QByteArray::fromHex("06 00 FF  09 01  A1 01  85 01  75 08  95 02"
                                   "  A4  85 02  95 10  09 01  81 02  B4"
                                   "  09 01  81 02  C0")
            << QVector<ExpectedCollection>{c};
    }
    {
        ExpectedCollection c;
        c.usagePage = 0xFF00;
        c.usage = 1;
        c.inputLength = 65;
        c.inputIds = {0};
        c.inputCaps = {cap(0, 0xFF00, 1)};
        QTest::newRow("a maximum before its minimum still forms one range")
            << QByteArray::fromHex("06 00 FF  09 01  A1 01  29 40  19 01  75 08  95 40  81 02  C0")
            << QVector<ExpectedCollection>{c};
    }
    {
        ExpectedCollection c;
        c.usagePage = 0xFF00;
        c.usage = 1;
        c.inputLength = 3;
        c.inputIds = {0};
        QTest::newRow("bits of a report round up to whole bytes")
            << QByteArray::fromHex("06 00 FF  09 01  A1 01  09 01  75 01  95 09  81 02  C0")
            << QVector<ExpectedCollection>{c};
    }
    {
        ExpectedCollection c;
        c.usagePage = 0xFF00;
        c.usage = 1;
        c.inputLength = 3;
        c.inputIds = {0};
        c.inputCaps = {cap(0, 0xFF00, 2)};
        QTest::newRow("constant fields are padding, not value caps")
            << QByteArray::fromHex("06 00 FF  09 01  A1 01  09 01  75 08  95 01  81 03"
                                   "  09 02  81 02  C0")
            << QVector<ExpectedCollection>{c};
    }
    {
        ExpectedCollection c;
        c.usagePage = 0xFF00;
        c.usage = 1;
        c.featureLength = HID_REPORT_MAX_BYTES + 1;
        c.featureIds = {7};
        c.featureCaps = {cap(7, 0xFF00, 1)};
        QTest::newRow("the longest report allowed is accepted")
            << QByteArray::fromHex("06 00 FF  09 01  A1 01  85 07  09 01  75 08  96 00 40  B1 02  C0")
            << QVector<ExpectedCollection>{c};
    }
    {
        ExpectedCollection c;
        c.usagePage = 0xFF00;
        c.usage = 1;
        c.inputLength = 4;
        c.inputIds = {1, 2};
        QTest::newRow("each report rounds up to whole bytes on its own")
            << QByteArray::fromHex("06 00 FF  09 01  A1 01  85 01  09 01  75 01  95 09  81 02"
                                   "  85 02  09 01  95 11  81 02  C0")
            << QVector<ExpectedCollection>{c};
    }
    {
        ExpectedCollection c;
        c.usagePage = 0x01;
        c.usage = 0x02;
        c.inputLength = 2;
        c.inputIds = {0};
        c.inputCaps = {cap(0, 1, 0x30)};
        QTest::newRow("the first of several usages names the collection")
            << QByteArray::fromHex("05 01  09 02  09 01  A1 01  09 30  75 08  95 01  81 02  C0")
            << QVector<ExpectedCollection>{c};
    }
    {
        ExpectedCollection inner;
        inner.usagePage = 0xFF00;
        inner.usage = 1;
        inner.inputLength = 2;
        inner.inputIds = {2};
        inner.inputCaps = {cap(2, 0xFF00, 1)};
        ExpectedCollection after = inner;
        after.inputIds = {1};
        after.inputCaps = {cap(1, 0xFF00, 1)};
        QTest::newRow("pop brings back the report id of the push for the next collection")
            << QByteArray::fromHex("06 00 FF  85 01  75 08  95 01  A4  85 02"
                                   "  09 01  A1 01  09 01  81 02  C0  B4"
                                   "  09 01  A1 01  09 01  81 02  C0")
            << QVector<ExpectedCollection>{inner, after};
    }
    {
        ExpectedCollection c;
        QTest::newRow("a top collection without usage has usage 0")
            << QByteArray::fromHex("A1 01  C0") << QVector<ExpectedCollection>{c};
    }
    QTest::newRow("an empty descriptor has no collections")
        << QByteArray() << QVector<ExpectedCollection>{};
}

void TestHidDescriptor::parsesCollections()
{
    QFETCH(QByteArray, descriptor);
    QFETCH(QVector<ExpectedCollection>, expected);

    HidDescriptor d;
    QString error;
    QStringList warnings{QStringLiteral("stale")};
    QVERIFY2(parseHidReportDescriptor(descriptor, d, &error, &warnings), qPrintable(error));
    QVERIFY(error.isEmpty());
    QCOMPARE(warnings, QStringList());
    compareCollections(d, expected);
}

void TestHidDescriptor::compareCollections(const HidDescriptor &d, const QVector<ExpectedCollection> &expected)
{
    QCOMPARE(d.collections.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const HidTopCollection &c = d.collections.at(i);
        const ExpectedCollection &e = expected.at(i);
        QCOMPARE(c.usagePage, e.usagePage);
        QCOMPARE(c.usage, e.usage);
        QCOMPARE(c.reportByteLength(HidReportType::Input), e.inputLength);
        QCOMPARE(c.reportByteLength(HidReportType::Output), e.outputLength);
        QCOMPARE(c.reportByteLength(HidReportType::Feature), e.featureLength);
        QCOMPARE(idsOf(c, HidReportType::Input), e.inputIds);
        QCOMPARE(idsOf(c, HidReportType::Output), e.outputIds);
        QCOMPARE(idsOf(c, HidReportType::Feature), e.featureIds);
        QCOMPARE(capsText(c.valueCaps(HidReportType::Input)), capsText(e.inputCaps));
        QCOMPARE(capsText(c.valueCaps(HidReportType::Feature)), capsText(e.featureCaps));
    }
}

void TestHidDescriptor::toleratesQuirkyItems_data()
{
    QTest::addColumn<QByteArray>("descriptor");
    QTest::addColumn<QVector<ExpectedCollection>>("expected");
    QTest::addColumn<int>("warnings");

    const QVector<ExpectedCollection> familyA{familyAMouse(), familyAVendor()};
    ExpectedCollection quirky;
    quirky.usagePage = 0xFF00;
    quirky.usage = 0x20;
    quirky.inputLength = 6;
    quirky.inputIds = {3};

    QTest::newRow("a usage maximum below its minimum loses its range")
        << QByteArray::fromHex("06 00 FF  09 20  A1 01  85 03  19 05  29 01  75 08  95 05  81 02  C0")
               + descriptors::familyA()
        << QVector<ExpectedCollection>{quirky} + familyA << 1;
    ExpectedCollection cut = quirky;
    cut.inputCaps = {cap(3, 0xFF00, 1)};
    QTest::newRow("a usage range across two pages is cut at the end of the first")
        << QByteArray::fromHex("06 00 FF  09 20  A1 01  85 03  1B 01 00 00 FF  2B 05 00 01 FF"
                               "  75 08  95 05  81 02  C0")
               + descriptors::familyA()
        << QVector<ExpectedCollection>{cut} + familyA << 1;
    QTest::newRow("a quirky range naming a collection leaves it without usage")
        << QByteArray::fromHex("06 00 FF  19 05  29 01  A1 01  85 03  75 08  95 05  81 03  C0")
               + descriptors::familyA()
        << QVector<ExpectedCollection>{[] {
               ExpectedCollection c;
               c.inputLength = 6;
               c.inputIds = {3};
               return c;
           }()} + familyA
        << 1;

    QTest::newRow("an item outside any collection with a report of its own shows nowhere")
        << QByteArray::fromHex("85 07  75 08  95 04  81 02") + descriptors::familyA() << familyA << 1;
    ExpectedCollection longer = familyAVendor();
    longer.inputLength = 34;
    QTest::newRow("an item outside after a collection counts at the end of its report")
        << descriptors::familyA() + QByteArray::fromHex("85 BA  75 08  95 02  81 03")
        << QVector<ExpectedCollection>{familyAMouse(), longer} << 1;
    ExpectedCollection shifted = familyAVendor();
    shifted.inputLength = 33;
    QTest::newRow("an item outside before a collection comes first in its report")
        << QByteArray::fromHex("85 BA  75 08  95 01  81 03") + descriptors::familyA()
        << QVector<ExpectedCollection>{familyAMouse(), shifted} << 1;
    ExpectedCollection padded;
    padded.usagePage = 0x01;
    padded.usage = 0x02;
    padded.inputLength = 6;
    padded.inputIds = {0};
    padded.inputCaps = {cap(0, 1, 0x30), cap(0, 1, 0x31), cap(0, 1, 0x38)};
    QTest::newRow("padding after the last End Collection, without ids")
        << descriptors::bootMouse() + QByteArray::fromHex("75 08  95 01  81 03")
        << QVector<ExpectedCollection>{padded} << 1;
    QTest::newRow("nothing but an item outside any collection")
        << QByteArray::fromHex("75 08  95 01  81 02") << QVector<ExpectedCollection>{} << 1;
    QTest::newRow("every quirk at once")
        << QByteArray::fromHex("85 07  75 08  95 04  81 02"
                               "  06 00 FF  09 20  A1 01  85 03  1B 01 00 00 FF  2B 05 00 01 FF"
                               "  75 08  95 05  81 02  C0")
               + QByteArray::fromHex("06 00 FF  09 20  A1 01  85 03  19 05  29 01  91 02  C0")
               + descriptors::familyA()
        << QVector<ExpectedCollection>{cut, [] {
               ExpectedCollection c;
               c.usagePage = 0xFF00;
               c.usage = 0x20;
               c.outputLength = 6;
               c.outputIds = {3};
               return c;
           }()} + familyA
        << 3;
}

// Like the kernel: a quirky item is skipped or cut with a warning, and every
// other collection keeps its usage and its lengths.
void TestHidDescriptor::toleratesQuirkyItems()
{
    QFETCH(QByteArray, descriptor);
    QFETCH(QVector<ExpectedCollection>, expected);
    QFETCH(int, warnings);

    HidDescriptor d;
    QString error;
    QStringList said;
    QVERIFY2(parseHidReportDescriptor(descriptor, d, &error, &said), qPrintable(error));
    QCOMPARE(said.size(), warnings);
    for (const QString &w : qAsConst(said))
        QVERIFY2(w.contains(QLatin1String("(item at ")), qPrintable(w));
    compareCollections(d, expected);
}

void TestHidDescriptor::rejectsMalformed_data()
{
    QTest::addColumn<QByteArray>("descriptor");

    const QByteArray open = QByteArray::fromHex("06 00 FF  09 01  A1 01");
    const QByteArray close = QByteArray::fromHex("C0");

    QTest::newRow("truncated short item") << QByteArray::fromHex("06 00");
    QTest::newRow("truncated four-byte item") << QByteArray::fromHex("27 FF FF");
    QTest::newRow("truncated long item header") << QByteArray::fromHex("FE 05");
    QTest::newRow("truncated long item data") << QByteArray::fromHex("FE 05 00 01 02");
    QTest::newRow("report id 0") << QByteArray::fromHex("85 00");
    QTest::newRow("report id above 255") << QByteArray::fromHex("86 00 01");
    QTest::newRow("usage page above 16 bits") << QByteArray::fromHex("07 00 00 01 00");
    QTest::newRow("end of a collection never opened") << QByteArray::fromHex("C0");
    QTest::newRow("collection left open") << open;
    QTest::newRow("collections nested too deep")
        << repeated("A1 01", HID_COLLECTION_DEPTH_MAX + 1) + repeated("C0", HID_COLLECTION_DEPTH_MAX + 1);
    QTest::newRow("push stack overflow") << open + repeated("A4", HID_GLOBAL_STACK_MAX + 1) + close;
    QTest::newRow("pop without push") << open + QByteArray::fromHex("B4") + close;
    QTest::newRow("4 GiB field")
        << open + QByteArray::fromHex("77 FF FF FF FF  97 FF FF FF FF  81 02") + close;
    QTest::newRow("one byte past the longest report")
        << open + QByteArray::fromHex("75 08  96 01 40  B1 02") + close;
    QTest::newRow("items outside a collection past the longest report")
        << QByteArray::fromHex("85 09  75 08  96 00 20  B1 02  96 01 20  B1 02") + open + close;
    QTest::newRow("an item outside pushing a collection's report past the limit")
        << open + QByteArray::fromHex("85 09  75 08  96 00 40  B1 02") + close
               + QByteArray::fromHex("95 01  B1 03");
    QTest::newRow("items of one report summed past the limit")
        << open + QByteArray::fromHex("85 09  75 08  96 00 20  B1 02  96 01 20  B1 02") + close;
    QTest::newRow("too many usages")
        << open + repeated("09 01", HID_LOCAL_USAGES_MAX + 1) + QByteArray::fromHex("75 08  95 01  81 02")
               + close;
    QTest::newRow("descriptor over the size bound") << QByteArray(HID_DESCRIPTOR_MAX_BYTES + 1, '\0');
}

void TestHidDescriptor::rejectsMalformed()
{
    QFETCH(QByteArray, descriptor);

    HidDescriptor d;
    d.collections.resize(3); // a failed parse must not leave stale results
    QString error;
    QVERIFY(!parseHidReportDescriptor(descriptor, d, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(d.collections.isEmpty());
}

void TestHidDescriptor::reportIdsOnTheWire_data()
{
    QTest::addColumn<QByteArray>("descriptor");
    QTest::addColumn<bool>("input");
    QTest::addColumn<bool>("output");
    QTest::addColumn<bool>("feature");

    QTest::newRow("boot mouse") << descriptors::bootMouse() << false << false << false;
    QTest::newRow("NUC123 boot loader") << descriptors::nuc123Isp() << false << false << false;
    QTest::newRow("family A") << descriptors::familyA() << true << true << false;
    QTest::newRow("family B") << descriptors::familyB() << false << false << true;
}

void TestHidDescriptor::reportIdsOnTheWire()
{
    QFETCH(QByteArray, descriptor);
    QFETCH(bool, input);
    QFETCH(bool, output);
    QFETCH(bool, feature);

    HidDescriptor d;
    QVERIFY(parseHidReportDescriptor(descriptor, d));
    QCOMPARE(d.hasReportIds(HidReportType::Input), input);
    QCOMPARE(d.hasReportIds(HidReportType::Output), output);
    QCOMPARE(d.hasReportIds(HidReportType::Feature), feature);
}

// Under the sanitizers: every cut of a real descriptor and a batch of random
// bytes either parse or fail, without reading past the buffer.
void TestHidDescriptor::hostileBytesStayInBounds()
{
    const QVector<QByteArray> samples = {descriptors::bootMouse(), descriptors::familyA(),
                                         descriptors::familyB(), descriptors::nuc123Isp(),
                                         descriptors::keyboard()};
    for (const QByteArray &full : samples) {
        for (int n = 0; n < full.size(); ++n) {
            // Detached copy so ASan sees the exact end of the buffer.
            const QByteArray cut(full.constData(), n);
            HidDescriptor d;
            parseHidReportDescriptor(cut, d);
        }
    }
    QRandomGenerator rng(0x0CE8);
    for (int i = 0; i < 3000; ++i) {
        QByteArray bytes(int(rng.bounded(1, 96)), '\0');
        for (char &c : bytes)
            c = char(rng.bounded(256));
        HidDescriptor d;
        QString error;
        if (!parseHidReportDescriptor(bytes, d, &error))
            QVERIFY(!error.isEmpty());
    }
}

void TestHidDescriptor::uevent_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<uint>("bus");
    QTest::addColumn<uint>("vendor");
    QTest::addColumn<uint>("product");
    QTest::addColumn<QString>("name");

    QTest::newRow("USB mouse")
        << QByteArray("DRIVER=hid-generic\nHID_ID=0003:000033F9:00000102\nHID_NAME=Korvan OX2\n"
                      "HID_PHYS=usb-0000:00:14.0-1/input1\nMODALIAS=hid:b0003g0001v000033F9p00000102\n")
        << true << 3u << 0x33F9u << 0x0102u << QStringLiteral("Korvan OX2");
    QTest::newRow("lower-case hex, Bluetooth")
        << QByteArray("HID_ID=0005:0000046d:0000b01a\nHID_NAME=MX Anywhere\n") << true << 5u
        << 0x046Du << 0xB01Au << QStringLiteral("MX Anywhere");
    QTest::newRow("no name") << QByteArray("HID_ID=0003:000033FA:00000B00\n") << true << 3u
                             << 0x33FAu << 0x0B00u << QString();
    QTest::newRow("CRLF line ends") << QByteArray("HID_ID=0003:000033F9:0000021B\r\nHID_NAME=OX7\r\n")
                                    << true << 3u << 0x33F9u << 0x021Bu << QStringLiteral("OX7");
    QTest::newRow("missing HID_ID") << QByteArray("HID_NAME=OX7\n") << false << 0u << 0u << 0u << QString();
    QTest::newRow("vendor above 16 bits") << QByteArray("HID_ID=0003:00010000:00000001\n") << false
                                          << 0u << 0u << 0u << QString();
    QTest::newRow("two fields") << QByteArray("HID_ID=0003:33F9\n") << false << 0u << 0u << 0u << QString();
    QTest::newRow("not hex") << QByteArray("HID_ID=0003:0000XYZ0:00000001\n") << false << 0u << 0u
                             << 0u << QString();
    QTest::newRow("nine digits") << QByteArray("HID_ID=0003:0000033F9:00000102\n") << false << 0u
                                 << 0u << 0u << QString();
    QTest::newRow("empty field") << QByteArray("HID_ID=0003::00000102\n") << false << 0u << 0u << 0u
                                 << QString();
    QTest::newRow("empty file") << QByteArray() << false << 0u << 0u << 0u << QString();
}

void TestHidDescriptor::uevent()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(uint, bus);
    QFETCH(uint, vendor);
    QFETCH(uint, product);
    QFETCH(QString, name);

    HidUevent u;
    QCOMPARE(parseHidUevent(text, u), ok);
    QCOMPARE(uint(u.bus), bus);
    QCOMPARE(uint(u.vendorId), vendor);
    QCOMPARE(uint(u.productId), product);
    QCOMPARE(u.name, name);
}

void TestHidDescriptor::bcdDevice_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<uint>("value");

    QTest::newRow("sysfs form") << QByteArray("0102\n") << true << 0x0102u;
    QTest::newRow("one digit") << QByteArray("2") << true << 2u;
    QTest::newRow("surrounding blanks") << QByteArray(" 0b00 \n") << true << 0x0B00u;
    QTest::newRow("empty") << QByteArray() << false << 0u;
    QTest::newRow("five digits") << QByteArray("10102") << false << 0u;
    QTest::newRow("not hex") << QByteArray("01g2") << false << 0u;
}

void TestHidDescriptor::bcdDevice()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(uint, value);

    quint16 v = 0xAAAA;
    QCOMPARE(parseBcdDevice(text, v), ok);
    if (ok)
        QCOMPARE(uint(v), value);
}

void TestHidDescriptor::hidrawPaths_data()
{
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("node");
    QTest::addColumn<int>("collection");

    const QString dev = QStringLiteral("/dev");
    QTest::newRow("first collection") << dev << QStringLiteral("/dev/hidraw3") << true << 3 << 0;
    QTest::newRow("second collection") << dev << QStringLiteral("/dev/hidraw3#1") << true << 3 << 1;
    QTest::newRow("node 0") << dev << QStringLiteral("/dev/hidraw0") << true << 0 << 0;
    QTest::newRow("root folder") << QStringLiteral("/") << QStringLiteral("/hidraw2#4") << true << 2 << 4;
    QTest::newRow("#0 is spelled without suffix") << dev << QStringLiteral("/dev/hidraw3#0") << false << 0 << 0;
    QTest::newRow("leading zero") << dev << QStringLiteral("/dev/hidraw03") << false << 0 << 0;
    QTest::newRow("no number") << dev << QStringLiteral("/dev/hidraw") << false << 0 << 0;
    QTest::newRow("empty suffix") << dev << QStringLiteral("/dev/hidraw1#") << false << 0 << 0;
    QTest::newRow("two suffixes") << dev << QStringLiteral("/dev/hidraw1#2#3") << false << 0 << 0;
    QTest::newRow("trailing newline") << dev << QStringLiteral("/dev/hidraw1\n") << false << 0 << 0;
    QTest::newRow("other folder") << dev << QStringLiteral("/devx/hidraw1") << false << 0 << 0;
    QTest::newRow("subfolder") << dev << QStringLiteral("/dev/sub/hidraw1") << false << 0 << 0;
    QTest::newRow("climbing out") << dev << QStringLiteral("/dev/../etc/passwd") << false << 0 << 0;
    QTest::newRow("another device") << dev << QStringLiteral("/dev/sda") << false << 0 << 0;
}

void TestHidDescriptor::hidrawPaths()
{
    QFETCH(QString, root);
    QFETCH(QString, path);
    QFETCH(bool, ok);
    QFETCH(int, node);
    QFETCH(int, collection);

    int n = -1;
    int c = -1;
    QCOMPARE(splitHidrawPath(root, path, n, c), ok);
    if (ok) {
        QCOMPARE(n, node);
        QCOMPARE(c, collection);
    }
}

void TestHidDescriptor::hidrawPathRoundTrip_data()
{
    QTest::addColumn<QString>("root");
    QTest::addColumn<int>("node");
    QTest::addColumn<int>("collection");

    QTest::newRow("/dev, first") << QStringLiteral("/dev") << 0 << 0;
    QTest::newRow("/dev/, second") << QStringLiteral("/dev/") << 12 << 1;
    QTest::newRow("/") << QStringLiteral("/") << 7 << 2;
    QTest::newRow("relative") << QStringLiteral("tmp/dev") << 4 << 0;
}

void TestHidDescriptor::hidrawPathRoundTrip()
{
    QFETCH(QString, root);
    QFETCH(int, node);
    QFETCH(int, collection);

    const QString path = hidrawPath(root, node, collection);
    int n = -1;
    int c = -1;
    QVERIFY2(splitHidrawPath(root, path, n, c), qPrintable(path));
    QCOMPARE(n, node);
    QCOMPARE(c, collection);
}

QTEST_APPLESS_MAIN(TestHidDescriptor)
#include "tst_hiddescriptor.moc"
