#include "tests/common/bytesutil.h"
#include "platform/hidparse.h"
#include "tests/common/scriptedhidbus.h"

#include <QtTest>

class TestHidParse : public QObject
{
    Q_OBJECT

private slots:
    void openHidDevice_data();
    void openHidDevice();
    void findHidDevice();
    void getInputReport_data();
    void getInputReport();
    void getInputReportRefusesUnusableArguments();
};

void TestHidParse::openHidDevice_data()
{
    QTest::addColumn<quint16>("usagePage");
    QTest::addColumn<quint16>("usage");
    QTest::addColumn<QString>("fragment");
    QTest::addColumn<int>("opened"); // index of the interface written to, -1 none

    QTest::newRow("vendor collection by page and usage") << quint16(0xFF00) << quint16(14) << "VID_33F9&PID_021b" << 1;
    QTest::newRow("fragment matches in any case") << quint16(0xFF00) << quint16(14) << "vid_33f9&pid_021B" << 1;
    QTest::newRow("page and usage 0 take the first interface") << quint16(0) << quint16(0) << "VID_33F9&PID_021b"
                                                               << 0;
    QTest::newRow("usage 0 matches any usage on the page") << quint16(0xFF00) << quint16(0) << "VID_33F9&PID_021b"
                                                           << 1;
    QTest::newRow("wrong usage") << quint16(0xFF00) << quint16(15) << "VID_33F9&PID_021b" << -1;
    QTest::newRow("other product") << quint16(0xFF00) << quint16(14) << "VID_33F9&PID_0219" << -1;
    QTest::newRow("empty fragment") << quint16(0) << quint16(0) << "" << -1;
    QTest::newRow("a fragment is not a prefix") << quint16(0) << quint16(0) << "VID_33F9&PID_021" << -1;
}

void TestHidParse::openHidDevice()
{
    QFETCH(quint16, usagePage);
    QFETCH(quint16, usage);
    QFETCH(QString, fragment);
    QFETCH(int, opened);

    ScriptedScene s;
    std::shared_ptr<ScriptedInterface> interfaces[] = {
        s.bus.add(0x33F9, 0x021B, 0x0001, 0x0002),
        s.bus.add(0x33F9, 0x021B, 0xFF00, 14),
        s.bus.add(0x33F9, 0x020B, 0xFF00, 14),
    };
    std::unique_ptr<HidDevice> handle = OpenHidDevice(usagePage, usage, fragment);
    QCOMPARE(handle != nullptr, opened >= 0);
    if (!handle)
        return;
    QVERIFY(handle->write(QByteArray(32, '\x01')));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(interfaces[i]->writes.size(), i == opened ? 1 : 0);
}

void TestHidParse::findHidDevice()
{
    ScriptedScene s;
    s.bus.add(0x33F9, 0x02FF, 0xFF00, 1);
    QVERIFY(FindHidDevice(QStringLiteral("VID_33F9&PID_02ff")));
    QVERIFY(!FindHidDevice(QStringLiteral("VID_33F9&PID_021b")));
    QVERIFY(!FindHidDevice(QString()));
    QCOMPARE(s.bus.opens, 0); // finding opens nothing
}

void TestHidParse::getInputReport_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<int>("received");

    const QByteArray full = familyAAnswer(1, hexBytes("0203"));
    QTest::newRow("id byte dropped, status first") << full << true << full.mid(1) + QByteArray(1, '\0') << 31;
    QTest::newRow("short answer is zero-filled") << hexBytes("ba0102") << true
                                                 << hexBytes("0102") + QByteArray(30, '\0') << 2;
    QTest::newRow("long answer is cut") << hexBytes("ba") + QByteArray(40, '\x07') << true << QByteArray(32, '\x07')
                                        << 32;
    QTest::newRow("another report id fails") << hexBytes("bb01") + QByteArray(30, '\0') << false
                                             << QByteArray(32, '\x55') << 0;
    QTest::newRow("a transfer that fails") << QByteArray() << false << QByteArray(32, '\x55') << 0;
}

void TestHidParse::getInputReport()
{
    QFETCH(QByteArray, wire);
    QFETCH(bool, ok);
    QFETCH(QByteArray, buffer);
    QFETCH(int, received);

    ScriptedScene s;
    auto i = s.bus.add(0x33F9, 0x021B, 0xFF00, 14);
    i->answers.push_back(wire);
    std::unique_ptr<HidDevice> handle = OpenHidDevice(0xFF00, 14, QStringLiteral("VID_33F9&PID_021b"));
    QVERIFY(handle);
    // The caller's buffer sits between guard bytes that must stay untouched.
    QByteArray memory(40, '\x55');
    unsigned char *report = reinterpret_cast<unsigned char *>(memory.data()) + 4;
    report[0] = 0xBA;
    int got = -1;
    QCOMPARE(GetInputReport(handle.get(), report, 32, &got) != 0, ok);
    QCOMPARE(got, received);
    if (ok)
        QCOMPARE(memory.mid(4, 32).toHex(), buffer.toHex());
    else
        QCOMPARE(memory.mid(5, 31), QByteArray(31, '\x55'));
    QCOMPARE(memory.left(4), QByteArray(4, '\x55'));
    QCOMPARE(memory.mid(36), QByteArray(4, '\x55'));
}

void TestHidParse::getInputReportRefusesUnusableArguments()
{
    ScriptedScene s;
    auto i = s.bus.add(0x33F9, 0x021B, 0xFF00, 14);
    i->responder = [](const QByteArray &) { return familyAAnswer(1); };
    std::unique_ptr<HidDevice> handle = OpenHidDevice(0xFF00, 14, QStringLiteral("VID_33F9&PID_021b"));
    unsigned char buffer[32] = {0xBA};
    QCOMPARE(GetInputReport(nullptr, buffer, 32), 0);
    QCOMPARE(GetInputReport(handle.get(), nullptr, 32), 0);
    QCOMPARE(GetInputReport(handle.get(), buffer, 0), 0);
    QCOMPARE(i->inputReportRequests, 0);
    // The id asked for is buffer[0].
    QVERIFY(GetInputReport(handle.get(), buffer, 1));
    QCOMPARE(int(buffer[0]), 1);
}

QTEST_APPLESS_MAIN(TestHidParse)
#include "tst_hidparse.moc"
