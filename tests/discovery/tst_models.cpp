#include "platform/hidbus.h"
#include "discovery/models.h"

#include <QSet>
#include <QtTest>

class TstModels : public QObject
{
    Q_OBJECT

private slots:
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

QTEST_APPLESS_MAIN(TstModels)
#include "tst_models.moc"
