#include "platform/hidbus.h"
#include "discovery/models.h"

#include <QSet>
#include <QtTest>

class TstModels : public QObject
{
    Q_OBJECT

private slots:
    void typeCodes_data();
    void typeCodes();
    void rowIdentity_data();
    void rowIdentity();
    void rowFilesAndFirmware_data();
    void rowFilesAndFirmware();
    void rowPages_data();
    void rowPages();
    void rowCpi_data();
    void rowCpi();
    void rowProgramMemory_data();
    void rowProgramMemory();
    void rowProfileChecksum_data();
    void rowProfileChecksum();
    void everyModelHasItsOwnFolder();
    void everyIdIsUniqueUnderItsVendor();
    void selectFamilyForPid_data();
    void selectFamilyForPid();
    void pathFragments();
    void turnDescriptorToMouseType_data();
    void turnDescriptorToMouseType();
    void chipBootloaderMouseType_data();
    void chipBootloaderMouseType();
    void wirelessPidsAndPartners();
    void setTests_data();
    void setTests();
    void lightingFlag_data();
    void lightingFlag();
    void batteryPercent_data();
    void batteryPercent();
};

namespace {

// Row names for the codes 0..20 the tables below cover.
QByteArray label(int t)
{
    static const char *const names[] = {
        "no model", "no model", "OX2", "OX6", "OX1", "OX2S", "OX1S", "OX4C", "OX4Q", "OX7C", "OX7Q",
        "OX7", "OX4", "OX5", "OX7EU", "OX6 picture code", "OX2 picture code", "no model", "OX8",
        "no model", "no model",
    };
    return QByteArray::number(t) + ' ' + names[t];
}

// Codes that name nothing and share one row.
const QList<int> kUnknownCodes = {0, 1, 17, 19, 20};

} // namespace

void TstModels::typeCodes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("expected");
    // The codes travel in signals and file paths; they never change.
    QTest::newRow("NoModel") << int(NoModel) << 0;
    QTest::newRow("Ox2") << int(Ox2) << 2;
    QTest::newRow("Ox6") << int(Ox6) << 3;
    QTest::newRow("Ox1") << int(Ox1) << 4;
    QTest::newRow("Ox2S") << int(Ox2S) << 5;
    QTest::newRow("Ox1S") << int(Ox1S) << 6;
    QTest::newRow("Ox4C") << int(Ox4C) << 7;
    QTest::newRow("Ox4Q") << int(Ox4Q) << 8;
    QTest::newRow("Ox7C") << int(Ox7C) << 9;
    QTest::newRow("Ox7Q") << int(Ox7Q) << 10;
    QTest::newRow("Ox7") << int(Ox7) << 11;
    QTest::newRow("Ox4") << int(Ox4) << 12;
    QTest::newRow("Ox5") << int(Ox5) << 13;
    QTest::newRow("Ox7EU") << int(Ox7EU) << 14;
    QTest::newRow("Ox6PictureCode") << int(Ox6PictureCode) << 15;
    QTest::newRow("Ox2PictureCode") << int(Ox2PictureCode) << 16;
    QTest::newRow("Ox8") << int(Ox8) << 18;
}

void TstModels::typeCodes()
{
    QFETCH(int, code);
    QFETCH(int, expected);
    QCOMPARE(code, expected);
}

void TstModels::rowIdentity_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("rowType"); // the row's own code; 0 for the shared row
    QTest::addColumn<bool>("isModel");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("family");
    QTest::addColumn<int>("wirelessPid");
    QTest::addColumn<int>("wiredPid");

    const int A = int(ProtocolFamily::A), B = int(ProtocolFamily::B), C = int(ProtocolFamily::C),
              none = int(ProtocolFamily::None);
    for (int t : kUnknownCodes)
        QTest::newRow(label(t).constData()) << t << 0 << false << "" << none << 0 << 0;
    QTest::newRow(label(2).constData()) << 2 << 2 << true << "OX2" << B << 0 << int(PID_OX2);
    QTest::newRow(label(3).constData()) << 3 << 3 << true << "OX6" << B << 0 << int(PID_OX6);
    QTest::newRow(label(4).constData()) << 4 << 4 << true << "OX1" << B << 0 << int(PID_OX1);
    QTest::newRow(label(5).constData()) << 5 << 5 << true << "OX2S" << B << 0 << int(PID_OX2S);
    QTest::newRow(label(6).constData()) << 6 << 6 << true << "OX1S" << B << 0 << int(PID_OX1S);
    QTest::newRow(label(7).constData()) << 7 << 7 << true << "OX4C"
        << A << int(PID_OX4C_RECEIVER) << int(PID_OX4C_WIRED);
    QTest::newRow(label(8).constData()) << 8 << 8 << true << "OX4Q"
        << A << int(PID_OX4Q_RECEIVER) << int(PID_OX4Q_WIRED);
    QTest::newRow(label(9).constData()) << 9 << 9 << true << "OX7C"
        << A << int(PID_OX7C_RECEIVER) << int(PID_OX7C_WIRED);
    QTest::newRow(label(10).constData()) << 10 << 10 << true << "OX7Q"
        << A << int(PID_OX7Q_RECEIVER) << int(PID_OX7Q_WIRED);
    QTest::newRow(label(11).constData()) << 11 << 11 << true << "OX7"
        << A << int(PID_OX7_RECEIVER) << int(PID_OX7_WIRED);
    QTest::newRow(label(12).constData()) << 12 << 12 << true << "OX4"
        << A << int(PID_OX4_WIRELESS) << int(PID_OX4_WIRED);
    QTest::newRow(label(13).constData()) << 13 << 13 << true << "OX5" << C << 0 << int(PID_OX5);
    QTest::newRow(label(14).constData()) << 14 << 14 << true << "OX7EU"
        << A << int(PID_OX7EU_RECEIVER) << int(PID_OX7EU_WIRED);
    QTest::newRow(label(15).constData()) << 15 << 15 << false << "" << none << 0 << 0;
    QTest::newRow(label(16).constData()) << 16 << 16 << false << "" << none << 0 << 0;
    QTest::newRow(label(18).constData()) << 18 << 18 << true << "OX8" << B << 0 << int(PID_OX8);
}

void TstModels::rowIdentity()
{
    QFETCH(int, type);
    QFETCH(bool, isModel);
    const ModelIdentity &row = modelRow(type);
    QTEST(row.mouseType, "rowType");
    QCOMPARE(modelForType(type) != nullptr, isModel);
    if (isModel)
        QCOMPARE(modelForType(type), &row);
    QTEST(QString::fromLatin1(row.name), "name");
    QTEST(int(row.family), "family");
    QTEST(int(row.wirelessPid), "wirelessPid");
    QTEST(int(row.wiredPid), "wiredPid");
}

void TstModels::rowFilesAndFirmware_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("pictures");
    QTest::addColumn<int>("defaultFirmware");
    QTest::addColumn<int>("minimumFirmware");

    for (int t : kUnknownCodes)
        QTest::newRow(label(t).constData()) << t << "ox6" << "ox6" << 1 << 0;
    QTest::newRow(label(2).constData()) << 2 << "ox2" << "ox2" << 8 << 0;
    QTest::newRow(label(3).constData()) << 3 << "ox6" << "ox6" << 10 << 0;
    QTest::newRow(label(4).constData()) << 4 << "ox1" << "ox1" << 4 << 0;
    QTest::newRow(label(5).constData()) << 5 << "ox2s" << "ox2s" << 3 << 0;
    QTest::newRow(label(6).constData()) << 6 << "ox1s" << "ox1s" << 4 << 0;
    QTest::newRow(label(7).constData()) << 7 << "ox4c" << "ox4c" << 5 << 0;
    QTest::newRow(label(8).constData()) << 8 << "ox4q" << "ox4q" << 5 << 0;
    QTest::newRow(label(9).constData()) << 9 << "ox7c" << "ox7c" << 5 << 0;
    QTest::newRow(label(10).constData()) << 10 << "ox7q" << "ox7q" << 5 << 0;
    QTest::newRow(label(11).constData()) << 11 << "ox7" << "ox7" << 32 << 0;
    QTest::newRow(label(12).constData()) << 12 << "ox4" << "ox4" << 13 << 0;
    QTest::newRow(label(13).constData()) << 13 << "ox5" << "ox5" << 2 << 0;
    QTest::newRow(label(14).constData()) << 14 << "ox7eu" << "ox7" << 1 << 0;
    QTest::newRow(label(15).constData()) << 15 << "ox6" << "ox6" << 1 << 0;
    QTest::newRow(label(16).constData()) << 16 << "ox6" << "ox2" << 1 << 0;
    // An OX8 that does not report its version counts as too old.
    QTest::newRow(label(18).constData()) << 18 << "ox8" << "ox8" << 4 << 5;
}

void TstModels::rowFilesAndFirmware()
{
    QFETCH(int, type);
    const ModelIdentity &row = modelRow(type);
    QTEST(QString::fromLatin1(row.folder), "folder");
    QTEST(QString::fromLatin1(row.pictureFolder), "pictures");
    QTEST(row.defaultFirmware, "defaultFirmware");
    QTEST(row.minimumFirmware, "minimumFirmware");
}

void TstModels::rowPages_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("series");
    QTest::addColumn<int>("buttonLayout");
    QTest::addColumn<int>("lightZones");
    QTest::addColumn<bool>("oled");
    QTest::addColumn<int>("battery");

    const int noSeries = int(ModelSeries::None), ox1 = int(ModelSeries::Ox1), ox4 = int(ModelSeries::Ox4),
              ox7 = int(ModelSeries::Ox7);
    using L = ButtonLayoutGroup;
    const int both = int(LightZones::WheelAndLogo), logo = int(LightZones::LogoOnly),
              strip = int(LightZones::LogoAndStrip);
    const int raw = int(BatteryScale::Raw), percent = int(BatteryScale::Percent),
              from30 = int(BatteryScale::PercentFromFirmware30);

    for (int t : kUnknownCodes)
        QTest::newRow(label(t).constData()) << t << noSeries << int(L::None) << both << false << raw;
    QTest::newRow(label(2).constData()) << 2 << noSeries << int(L::Ox2) << both << false << raw;
    QTest::newRow(label(3).constData()) << 3 << noSeries << int(L::Ox6) << both << true << raw;
    QTest::newRow(label(4).constData()) << 4 << ox1 << int(L::Ox1) << both << false << raw;
    QTest::newRow(label(5).constData()) << 5 << noSeries << int(L::Ox2) << both << false << raw;
    QTest::newRow(label(6).constData()) << 6 << ox1 << int(L::Ox1) << both << false << raw;
    QTest::newRow(label(7).constData()) << 7 << ox4 << int(L::Ox4) << logo << false << raw;
    QTest::newRow(label(8).constData()) << 8 << ox4 << int(L::Ox4) << logo << false << raw;
    QTest::newRow(label(9).constData()) << 9 << ox7 << int(L::Ox7) << logo << false << raw;
    QTest::newRow(label(10).constData()) << 10 << ox7 << int(L::Ox7) << logo << true << percent;
    QTest::newRow(label(11).constData()) << 11 << ox7 << int(L::Ox7) << logo << true << from30;
    QTest::newRow(label(12).constData()) << 12 << ox4 << int(L::Ox4) << logo << false << raw;
    QTest::newRow(label(13).constData()) << 13 << noSeries << int(L::Ox2) << both << false << raw;
    QTest::newRow(label(14).constData()) << 14 << ox7 << int(L::Ox7) << logo << false << percent;
    QTest::newRow(label(15).constData()) << 15 << noSeries << int(L::None) << logo << false << raw;
    QTest::newRow(label(16).constData()) << 16 << noSeries << int(L::None) << logo << false << raw;
    // The OX8 is OX1-series for keys and lighting but has a layout of its own.
    QTest::newRow(label(18).constData()) << 18 << ox1 << int(L::Ox8) << strip << false << raw;
}

void TstModels::rowPages()
{
    QFETCH(int, type);
    const ModelIdentity &row = modelRow(type);
    QTEST(int(row.series), "series");
    QTEST(int(row.buttonLayout), "buttonLayout");
    QTEST(int(row.lightZones), "lightZones");
    QTEST(row.oled, "oled");
    QTEST(int(row.battery), "battery");
}

void TstModels::rowCpi_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("defaults");
    QTest::addColumn<bool>("groupE");
    QTest::addColumn<int>("coding");
    QTest::addColumn<int>("stageLimit");

    const int r5000 = int(CpiRangeGroup::To5000), r6200 = int(CpiRangeGroup::To6200),
              r16000 = int(CpiRangeGroup::To16000), twoSteps = int(CpiRangeGroup::TwoStepsTo10000);
    using D = CpiDefaults;
    using K = CpiCoding;

    for (int t : kUnknownCodes)
        QTest::newRow(label(t).constData()) << t << r5000 << int(D::Flat200) << false << int(K::None) << 3;
    QTest::newRow(label(2).constData()) << 2 << r6200 << int(D::Ox2) << false << int(K::Ox2Table) << 3;
    QTest::newRow(label(3).constData()) << 3 << r16000 << int(D::Ox6) << false << int(K::Step50) << 3;
    QTest::newRow(label(4).constData()) << 4 << r6200 << int(D::Ox1) << false << int(K::Sensor61) << 3;
    QTest::newRow(label(5).constData()) << 5 << r16000 << int(D::Ox2S) << false << int(K::Step50) << 3;
    QTest::newRow(label(6).constData()) << 6 << r16000 << int(D::Ox6) << false << int(K::Step50) << 3;
    QTest::newRow(label(7).constData()) << 7 << r5000 << int(D::Flat200) << false << int(K::Ox4Steps) << 3;
    QTest::newRow(label(8).constData()) << 8 << r5000 << int(D::Flat200) << false << int(K::Ox4Steps) << 3;
    QTest::newRow(label(9).constData()) << 9 << r5000 << int(D::Flat200) << false << int(K::Ox4Steps) << 3;
    QTest::newRow(label(10).constData()) << 10 << r5000 << int(D::Flat200) << false << int(K::Wide50) << 3;
    QTest::newRow(label(11).constData()) << 11 << r16000 << int(D::Ox6) << false << int(K::Wide50) << 3;
    QTest::newRow(label(12).constData()) << 12 << r5000 << int(D::Ox4) << false << int(K::Ox4Steps) << 2;
    QTest::newRow(label(13).constData()) << 13 << r6200 << int(D::Ox5) << false << int(K::Sensor61) << 3;
    QTest::newRow(label(14).constData()) << 14 << twoSteps << int(D::Ox7EU) << true << int(K::Ox7EUSteps) << 3;
    QTest::newRow(label(15).constData()) << 15 << r5000 << int(D::Ox7EU) << false << int(K::None) << 3;
    QTest::newRow(label(16).constData()) << 16 << r5000 << int(D::Ox4) << true << int(K::None) << 3;
    QTest::newRow(label(18).constData()) << 18 << r6200 << int(D::Ox1) << false << int(K::Sensor61) << 3;
}

void TstModels::rowCpi()
{
    QFETCH(int, type);
    const ModelIdentity &row = modelRow(type);
    QTEST(int(row.cpiRange), "range");
    QTEST(int(row.cpiDefaults), "defaults");
    QTEST(row.cpiGroupE, "groupE");
    QTEST(int(row.cpiCoding), "coding");
    QTEST(row.startStageLimit, "stageLimit");
}

void TstModels::rowProfileChecksum_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("factoryProfile");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("minusByte19");
    QTest::addColumn<bool>("required");

    using P = FactoryProfile;
    for (int t : kUnknownCodes)
        QTest::newRow(label(t).constData()) << t << int(P::None) << 74 << 121 << false << true;
    QTest::newRow(label(2).constData()) << 2 << int(P::HaldenOx2) << 231 << 122 << false << true;
    QTest::newRow(label(3).constData()) << 3 << int(P::HaldenOx6) << 2 << 124 << true << true;
    QTest::newRow(label(4).constData()) << 4 << int(P::HaldenOx1) << 214 << 121 << false << true;
    QTest::newRow(label(5).constData()) << 5 << int(P::HaldenOx2S) << 183 << 119 << false << true;
    QTest::newRow(label(6).constData()) << 6 << int(P::HaldenOx1S) << 74 << 121 << false << true;
    QTest::newRow(label(7).constData()) << 7 << int(P::KorvanOx4) << 74 << 121 << false << true;
    QTest::newRow(label(8).constData()) << 8 << int(P::KorvanOx4) << 74 << 121 << false << true;
    QTest::newRow(label(9).constData()) << 9 << int(P::KorvanOx4) << 74 << 121 << false << true;
    QTest::newRow(label(10).constData()) << 10 << int(P::KorvanOx7Q) << 74 << 121 << false << true;
    QTest::newRow(label(11).constData()) << 11 << int(P::KorvanOx7) << 74 << 121 << false << true;
    QTest::newRow(label(12).constData()) << 12 << int(P::KorvanOx4) << 74 << 121 << false << true;
    QTest::newRow(label(13).constData()) << 13 << int(P::HaldenOx5) << 74 << 121 << false << true;
    QTest::newRow(label(14).constData()) << 14 << int(P::KorvanOx7EU) << 74 << 121 << false << true;
    QTest::newRow(label(15).constData()) << 15 << int(P::None) << 38 << 121 << false << true;
    QTest::newRow(label(16).constData()) << 16 << int(P::None) << 171 << 119 << false << true;
    QTest::newRow(label(18).constData()) << 18 << int(P::HaldenOx1) << 214 << 121 << false << false;
}

void TstModels::rowProfileChecksum()
{
    QFETCH(int, type);
    const ModelIdentity &row = modelRow(type);
    QTEST(int(row.factoryProfile), "factoryProfile");
    QTEST(int(row.checksum.x), "x");
    QTEST(int(row.checksum.y), "y");
    QTEST(row.checksum.minusByte19, "minusByte19");
    QTEST(row.checksum.required, "required");
}

void TstModels::everyModelHasItsOwnFolder()
{
    // Two models in one folder would read each other's profiles.
    QSet<QString> seen;
    for (const ModelIdentity &m : modelTable()) {
        const QString folder = QString::fromLatin1(m.folder);
        QVERIFY2(!seen.contains(folder), m.name);
        seen.insert(folder);
    }
    QCOMPARE(seen.size(), 14);
}

void TstModels::everyIdIsUniqueUnderItsVendor()
{
    // A duplicate id would make two models indistinguishable on the bus.
    QSet<quint16> seen;
    for (const ModelIdentity &m : modelTable()) {
        for (quint16 pid : {m.wirelessPid, m.wiredPid}) {
            if (pid == 0)
                continue;
            QVERIFY2(!seen.contains(pid), qPrintable(QString::number(pid, 16)));
            seen.insert(pid);
        }
    }
    QVERIFY(!seen.contains(PID_BOOTLOADER));
    QVERIFY(VID_CHIP_BOOTLOADER != VID_KORVAN);
}

void TstModels::selectFamilyForPid_data()
{
    QTest::addColumn<int>("pid");
    QTest::addColumn<int>("family");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("wireless");

    const int A = int(ProtocolFamily::A), B = int(ProtocolFamily::B), C = int(ProtocolFamily::C),
              none = int(ProtocolFamily::None);
    QTest::newRow("OX7 receiver") << int(PID_OX7_RECEIVER) << A << 11 << true;
    QTest::newRow("OX7 cable") << int(PID_OX7_WIRED) << A << 11 << false;
    QTest::newRow("OX7C receiver") << int(PID_OX7C_RECEIVER) << A << 9 << true;
    QTest::newRow("OX7Q cable") << int(PID_OX7Q_WIRED) << A << 10 << false;
    QTest::newRow("OX4C receiver") << int(PID_OX4C_RECEIVER) << A << 7 << true;
    QTest::newRow("OX4Q cable") << int(PID_OX4Q_WIRED) << A << 8 << false;
    QTest::newRow("OX7EU receiver, not in the watcher list") << int(PID_OX7EU_RECEIVER) << A << 14 << true;
    QTest::newRow("OX4 wireless") << int(PID_OX4_WIRELESS) << A << 12 << true;
    QTest::newRow("OX4 cable") << int(PID_OX4_WIRED) << A << 12 << false;
    QTest::newRow("OX2") << int(PID_OX2) << B << 2 << false;
    QTest::newRow("OX6") << int(PID_OX6) << B << 3 << false;
    QTest::newRow("OX1") << int(PID_OX1) << B << 4 << false;
    QTest::newRow("OX2S") << int(PID_OX2S) << B << 5 << false;
    QTest::newRow("OX1S") << int(PID_OX1S) << B << 6 << false;
    QTest::newRow("OX8") << int(PID_OX8) << B << 18 << false;
    QTest::newRow("OX5 is family C") << int(PID_OX5) << C << 13 << false;
    QTest::newRow("boot loader opens nothing") << int(PID_BOOTLOADER) << none << 0 << false;
    QTest::newRow("chip boot loader opens nothing") << int(PID_CHIP_BOOTLOADER) << none << 0 << false;
    QTest::newRow("unknown id") << 0x1234 << none << 0 << false;
    QTest::newRow("zero") << 0 << none << 0 << false;
}

void TstModels::selectFamilyForPid()
{
    QFETCH(int, pid);
    QFETCH(int, family);
    QFETCH(int, type);
    QFETCH(bool, wireless);
    const FamilySelection s = ::selectFamilyForPid(quint16(pid));
    QCOMPARE(int(s.family), family);
    QCOMPARE(s.mouseType, type);
    QCOMPARE(s.wireless, wireless);
}

void TstModels::pathFragments()
{
    const QString wired = wiredPathFragment(11);
    QCOMPARE(wired, hidPathFragment(VID_KORVAN, PID_OX7_WIRED));
    QVERIFY(wired.startsWith(QLatin1String("VID_33F9&PID_")));
    // Product digits are written with lower-case letters, vendor digits upper case.
    QCOMPARE(hidPathFragment(0xABCD, 0x0A1B), QStringLiteral("VID_ABCD&PID_0a1b"));
    QCOMPARE(wirelessPathFragment(12), hidPathFragment(VID_KORVAN, PID_OX4_WIRELESS));
    QVERIFY(wirelessPathFragment(3).isEmpty()); // wired-only model
    QVERIFY(wiredPathFragment(99).isEmpty());
}

void TstModels::turnDescriptorToMouseType_data()
{
    QTest::addColumn<QString>("product");
    QTest::addColumn<int>("type");
    QTest::newRow("OX7EU") << "KORVAN OX7EU ISP" << 14;
    QTest::newRow("OX4") << "KORVAN OX4 ISP" << 12;
    QTest::newRow("OX7EU wins over OX4 text") << "OX4 OX7EU" << 14;
    QTest::newRow("plain OX7 names no model") << "KORVAN OX7 ISP" << 0;
    QTest::newRow("case-sensitive") << "korvan ox7eu" << 0;
    QTest::newRow("zero characters are dropped") << QString("OX") + QChar(0) + QString("7EU") << 14;
    QTest::newRow("only the first 25 characters count") << QString(23, QLatin1Char(' ')) + "OX4" << 0;
    QTest::newRow("25th character still counts") << QString(22, QLatin1Char(' ')) + "OX4" << 12;
    QTest::newRow("empty") << QString() << 0;
}

void TstModels::turnDescriptorToMouseType()
{
    QFETCH(QString, product);
    QFETCH(int, type);
    QCOMPARE(::turnDescriptorToMouseType(product), type);
}

void TstModels::chipBootloaderMouseType_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<int>("type");
    QTest::newRow("OX2S") << int(PID_OX2S) << 5;
    QTest::newRow("OX2") << int(PID_OX2) << 2;
    QTest::newRow("OX6") << int(PID_OX6) << 3;
    QTest::newRow("OX1") << int(PID_OX1) << 4;
    QTest::newRow("OX8") << int(PID_OX8) << 18;
    QTest::newRow("OX1S") << int(PID_OX1S) << 6;
    QTest::newRow("OX5") << int(PID_OX5) << 13;
    QTest::newRow("family A id names nothing") << int(PID_OX7_WIRED) << 0;
    QTest::newRow("zero") << 0 << 0;
}

void TstModels::chipBootloaderMouseType()
{
    QFETCH(int, release);
    QFETCH(int, type);
    QCOMPARE(::chipBootloaderMouseType(quint16(release)), type);
}

void TstModels::wirelessPidsAndPartners()
{
    const QList<QPair<quint16, quint16>> pairs = {
        {PID_OX7_RECEIVER, PID_OX7_WIRED},   {PID_OX7C_RECEIVER, PID_OX7C_WIRED},
        {PID_OX7Q_RECEIVER, PID_OX7Q_WIRED}, {PID_OX4C_RECEIVER, PID_OX4C_WIRED},
        {PID_OX4Q_RECEIVER, PID_OX4Q_WIRED}, {PID_OX7EU_RECEIVER, PID_OX7EU_WIRED},
        {PID_OX4_WIRELESS, PID_OX4_WIRED},
    };
    for (const auto &p : pairs) {
        QVERIFY(isWirelessPid(p.first));
        QVERIFY(!isWirelessPid(p.second));
        QCOMPARE(wiredPartnerPid(p.first), p.second);
        QCOMPARE(wiredPartnerPid(p.second), quint16(0));
    }
    for (quint16 pid : {PID_OX2, PID_OX6, PID_OX5, PID_BOOTLOADER, quint16(0)})
        QVERIFY(!isWirelessPid(pid));
}

void TstModels::setTests_data()
{
    QTest::addColumn<QString>("test");
    QTest::addColumn<QList<int>>("trueFor");
    QTest::newRow("isFamilyA") << "isFamilyA" << QList<int>{7, 8, 9, 10, 11, 12, 14};
    QTest::newRow("isOx7Series") << "isOx7Series" << QList<int>{9, 10, 11, 14};
    QTest::newRow("isOx4Series") << "isOx4Series" << QList<int>{7, 8, 12};
    QTest::newRow("isOx1Series") << "isOx1Series" << QList<int>{4, 6, 18};
    QTest::newRow("isFamilyAOr15Or16") << "isFamilyAOr15Or16" << QList<int>{7, 8, 9, 10, 11, 12, 14, 15, 16};
    QTest::newRow("isOx7OrOx7Q") << "isOx7OrOx7Q" << QList<int>{10, 11};
    QTest::newRow("isOx6") << "isOx6" << QList<int>{3};
    QTest::newRow("isOx7EU") << "isOx7EU" << QList<int>{14};
    QTest::newRow("isOx2PictureCode") << "isOx2PictureCode" << QList<int>{16};
    QTest::newRow("isOx6PictureCode") << "isOx6PictureCode" << QList<int>{15};
    QTest::newRow("isOx5") << "isOx5" << QList<int>{13};
    QTest::newRow("isOx4") << "isOx4" << QList<int>{12};
    QTest::newRow("isOx2") << "isOx2" << QList<int>{2};
    QTest::newRow("isOx2S") << "isOx2S" << QList<int>{5};
    QTest::newRow("isCpiGroupA") << "isCpiGroupA" << QList<int>{2, 4, 13, 18};
    QTest::newRow("isCpiGroupB") << "isCpiGroupB" << QList<int>{3, 5, 6, 11};
    QTest::newRow("isCpiGroupC") << "isCpiGroupC" << QList<int>{3, 6, 11};
    QTest::newRow("isCpiGroupD") << "isCpiGroupD" << QList<int>{4, 18};
    QTest::newRow("isCpiGroupE") << "isCpiGroupE" << QList<int>{14, 16};
    QTest::newRow("hasOledScreen") << "hasOledScreen" << QList<int>{3, 10, 11};
}

void TstModels::setTests()
{
    QFETCH(QString, test);
    QFETCH(QList<int>, trueFor);
    const QMap<QString, bool (*)(int)> tests = {
        {"isFamilyA", isFamilyA}, {"isOx7Series", isOx7Series}, {"isOx4Series", isOx4Series},
        {"isOx1Series", isOx1Series}, {"isFamilyAOr15Or16", isFamilyAOr15Or16}, {"isOx7OrOx7Q", isOx7OrOx7Q},
        {"isOx6", isOx6}, {"isOx7EU", isOx7EU}, {"isOx2PictureCode", isOx2PictureCode},
        {"isOx6PictureCode", isOx6PictureCode}, {"isOx5", isOx5}, {"isOx4", isOx4}, {"isOx2", isOx2},
        {"isOx2S", isOx2S}, {"isCpiGroupA", isCpiGroupA}, {"isCpiGroupB", isCpiGroupB},
        {"isCpiGroupC", isCpiGroupC}, {"isCpiGroupD", isCpiGroupD}, {"isCpiGroupE", isCpiGroupE},
        {"hasOledScreen", hasOledScreen},
    };
    bool (*f)(int) = tests.value(test);
    QVERIFY(f);
    for (int t = -2; t <= 40; ++t)
        QVERIFY2(f(t) == trueFor.contains(t), qPrintable(QStringLiteral("%1(%2)").arg(test).arg(t)));
    for (int t = -2; t <= 40; ++t)
        QCOMPARE(isNotOx7EU(t), t != 14);
}

void TstModels::lightingFlag_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("flag");
    for (int t : {7, 8, 9, 10, 11, 12, 14})
        QTest::addRow("family A %d", t) << t << 1;
    for (int t : {2, 3, 4, 5, 6, 13, 15, 16, 17, 18})
        QTest::addRow("not family A %d", t) << t << 0;
    for (int t : {0, 1, 19, -1})
        QTest::addRow("unchanged %d", t) << t << -1;
}

void TstModels::lightingFlag()
{
    QFETCH(int, type);
    QFETCH(int, flag);
    QCOMPARE(lightingFamilyAFlag(type), flag);
}

void TstModels::batteryPercent_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("firmware");
    QTest::addColumn<bool>("percent");
    QTest::newRow("OX7Q always") << 10 << 1 << true;
    QTest::newRow("OX7EU always") << 14 << 0 << true;
    QTest::newRow("OX7 firmware 29") << 11 << 29 << false;
    QTest::newRow("OX7 firmware 30") << 11 << 30 << true;
    QTest::newRow("OX4 never") << 12 << 99 << false;
}

void TstModels::batteryPercent()
{
    QFETCH(int, type);
    QFETCH(int, firmware);
    QFETCH(bool, percent);
    QCOMPARE(reportsBatteryPercent(type, firmware), percent);
}

void TstModels::rowProgramMemory_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("bytes");

    // Every family A model carries a NUC123 with 64 KB; the others are unknown.
    for (int type : {7, 8, 9, 10, 11, 12, 14})
        QTest::addRow("family A code %d", type) << type << 0x10000;
    for (int type : {0, 1, 2, 3, 4, 5, 6, 13, 15, 16, 17, 18, 19})
        QTest::addRow("code %d", type) << type << 0;
}

void TstModels::rowProgramMemory()
{
    QFETCH(int, type);
    QFETCH(int, bytes);
    QCOMPARE(modelRow(type).programMemory, bytes);
}

QTEST_APPLESS_MAIN(TstModels)
#include "tst_models.moc"
