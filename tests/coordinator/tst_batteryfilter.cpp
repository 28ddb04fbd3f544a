// The battery filter alone: readings in, levels to show out, no threads.

#include "coordinator/batteryfilter.h"

#include <QtTest>

namespace {

QList<DWORD> dwords(std::initializer_list<int> values)
{
    QList<DWORD> out;
    for (int v : values)
        out.append(DWORD(v));
    return out;
}

// A filter that has settled on a level, as after three equal readings.
BatteryFilter settledAt(DWORD level)
{
    BatteryFilter filter;
    for (int i = 0; i < 3; ++i)
        filter.add(level);
    return filter;
}

QList<DWORD> feed(BatteryFilter &filter, const QList<DWORD> &readings)
{
    QList<DWORD> shown;
    for (DWORD r : readings) {
        if (const std::optional<DWORD> level = filter.add(r))
            shown.append(*level);
    }
    return shown;
}

} // namespace

class TstBatteryFilter : public QObject
{
    Q_OBJECT

private slots:
    void readings_data();
    void readings();
    void warmUpAgain_data();
    void warmUpAgain();
};

void TstBatteryFilter::readings_data()
{
    QTest::addColumn<int>("steadyLevel"); // 0: straight after a reset of the filter
    QTest::addColumn<QList<DWORD>>("readings");
    QTest::addColumn<QList<DWORD>>("emitted");
    QTest::addColumn<bool>("warmingUp"); // afterwards

    QTest::newRow("three close readings after a reset emit the last")
        << 0 << dwords({55, 55, 56}) << dwords({56}) << false;
    QTest::newRow("zero after zeros means unknown") << 0 << dwords({0}) << dwords({103}) << true;
    QTest::newRow("unknown only once three zeros follow each other")
        << 0 << dwords({50, 0, 0, 0}) << dwords({103}) << true;
    QTest::newRow("every further zero is unknown again") << 0 << dwords({0, 0}) << dwords({103, 103}) << true;
    QTest::newRow("scattered readings during warm-up emit nothing")
        << 0 << dwords({20, 50, 80}) << dwords({}) << true;
    QTest::newRow("warm-up needs both steps below 2") << 0 << dwords({50, 52, 53, 53}) << dwords({53}) << false;
    QTest::newRow("steady level ignores changes below 3") << 60 << dwords({58, 62, 61}) << dwords({}) << false;
    QTest::newRow("a change of 3 counts as far")
        << 60 << dwords({57, 57, 57, 57, 57}) << dwords({57}) << false;
    QTest::newRow("four far readings keep the level") << 60 << dwords({40, 41, 45, 39}) << dwords({}) << false;
    QTest::newRow("five far readings emit the second smallest")
        << 60 << dwords({40, 41, 45, 39, 50}) << dwords({40}) << false;
    QTest::newRow("a reading equal to the level discards the samples")
        << 60 << dwords({40, 41, 60, 45, 39, 50, 38}) << dwords({}) << false;
    QTest::newRow("samples count again after the discard")
        << 60 << dwords({40, 41, 60, 45, 39, 50, 38, 44}) << dwords({39}) << false;
    QTest::newRow("the new level is the reference afterwards")
        << 60 << dwords({40, 41, 45, 39, 50, 41, 39, 38, 20, 25, 22, 21, 24}) << dwords({40, 21}) << false;
}

void TstBatteryFilter::readings()
{
    QFETCH(int, steadyLevel);
    QFETCH(QList<DWORD>, readings);
    QFETCH(QList<DWORD>, emitted);
    QFETCH(bool, warmingUp);

    BatteryFilter filter;
    if (steadyLevel != 0) {
        filter = settledAt(DWORD(steadyLevel));
        QVERIFY(!filter.isWarmingUp());
        QCOMPARE(filter.level(), DWORD(steadyLevel));
    }
    QCOMPARE(feed(filter, readings), emitted);
    QCOMPARE(filter.isWarmingUp(), warmingUp);
    if (!warmingUp && !emitted.isEmpty())
        QCOMPARE(filter.level(), emitted.last());
}

void TstBatteryFilter::warmUpAgain_data()
{
    QTest::addColumn<bool>("fullReset"); // reset() as on a new connection, else restartWarmUp() as after a failed read
    QTest::addColumn<QList<DWORD>>("readings");
    QTest::addColumn<QList<DWORD>>("emitted");

    QTest::newRow("after a failed read one close reading is enough") << false << dwords({61}) << dwords({61});
    QTest::newRow("after a failed read a far level needs three readings")
        << false << dwords({30, 30, 30}) << dwords({30});
    QTest::newRow("after a reset one reading is not enough") << true << dwords({61}) << dwords({});
    QTest::newRow("after a reset three close readings are") << true << dwords({61, 61, 61}) << dwords({61});
}

void TstBatteryFilter::warmUpAgain()
{
    QFETCH(bool, fullReset);
    QFETCH(QList<DWORD>, readings);
    QFETCH(QList<DWORD>, emitted);

    BatteryFilter filter = settledAt(60);
    if (fullReset) {
        filter.reset();
        QCOMPARE(filter.level(), DWORD(0));
    } else {
        filter.restartWarmUp();
        QCOMPARE(filter.level(), DWORD(60));
    }
    QVERIFY(filter.isWarmingUp());
    QCOMPARE(feed(filter, readings), emitted);
}

QTEST_APPLESS_MAIN(TstBatteryFilter)
#include "tst_batteryfilter.moc"
