// Ranges, defaults and snapping of the CPI rows, per model.
#include "discovery/cpiranges.h"

#include <QtTest>

class TestCpiRules : public QObject
{
    Q_OBJECT

private slots:
    void rangePerModel_data();
    void rangePerModel();
    void defaultValue_data();
    void defaultValue();
    void sliderSnap_data();
    void sliderSnap();
    void typedValue_data();
    void typedValue();
    void stepButtons_data();
    void stepButtons();
    void positionToValue_data();
    void positionToValue();
    void allowedValues_data();
    void allowedValues();
    void stageLists_data();
    void stageLists();
};

void TestCpiRules::rangePerModel_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("twoSteps");
    QTest::addColumn<int>("middle");

    for (int t : {3, 5, 6, 11})
        QTest::addRow("fine grid of the 16000 sensors, type %d", t) << t << 50 << 16000 << 50 << false << 8000;
    for (int t : {2, 4, 13, 18})
        QTest::addRow("6200 sensors, type %d", t) << t << 200 << 6200 << 100 << false << 3000;
    QTest::newRow("OX4") << 12 << 200 << 5000 << 100 << false << 2500;
    for (int t : {0, 1, 7, 8, 9, 10, 15, 16, 17, 99, -1})
        QTest::addRow("5000 sensors and unknown codes, type %d", t) << t << 200 << 5000 << 100 << false << 2500;
    QTest::newRow("OX7EU has two steps") << 14 << 200 << 10000 << 100 << true << 5000;
}

void TestCpiRules::rangePerModel()
{
    QFETCH(int, mouseType);
    const CpiRange r = cpiRangeForModel(mouseType);
    QTEST(r.minimum, "minimum");
    QTEST(r.maximum, "maximum");
    QTEST(r.step, "step");
    QTEST(r.twoSteps, "twoSteps");
    QTEST(r.middle, "middle");
    QVERIFY(r.middle > r.minimum && r.middle < r.maximum);
    if (r.twoSteps) {
        QCOMPARE(r.coarseStep, 200);
        QCOMPARE(r.threshold, 5000);
    }
}

void TestCpiRules::defaultValue_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<QList<int>>("levels");

    const QList<int> ox6 = {800, 1000, 1500, 2000, 3000, 8000, 16000};
    const QList<int> ox1 = {400, 800, 1200, 1600, 2000, 2400, 3000};
    const QList<int> ox4 = {1000, 1500, 2000, 3000, 5000, 200, 200};
    const QList<int> eu = {800, 1000, 1500, 2000, 3000, 4000, 5000};
    const QList<int> plain = {200, 200, 200, 200, 200, 200, 200};
    QTest::newRow("OX6") << 3 << ox6;
    QTest::newRow("OX1S") << 6 << ox6;
    QTest::newRow("OX7") << 11 << ox6;
    QTest::newRow("OX1") << 4 << ox1;
    QTest::newRow("OX8") << 18 << ox1;
    QTest::newRow("OX2") << 2 << QList<int>{800, 1200, 1800, 3000, 6200, 200, 200};
    QTest::newRow("OX2S") << 5 << QList<int>{500, 800, 1600, 2000, 2500, 200, 200};
    QTest::newRow("OX4") << 12 << ox4;
    QTest::newRow("OX5") << 13 << QList<int>{400, 800, 1200, 2000, 2500, 200, 200};
    QTest::newRow("OX7EU") << 14 << eu;
    QTest::newRow("code 15") << 15 << eu;
    QTest::newRow("code 16") << 16 << ox4;
    QTest::newRow("OX7Q has no table") << 10 << plain;
    QTest::newRow("no model") << 0 << plain;
}

void TestCpiRules::defaultValue()
{
    QFETCH(int, mouseType);
    QFETCH(QList<int>, levels);
    for (int level = 0; level < 7; ++level)
        QCOMPARE(getDefaultCpiValue(mouseType, level), levels.at(level));
    QCOMPARE(getDefaultCpiValue(mouseType, -1), 200);
    QCOMPARE(getDefaultCpiValue(mouseType, 7), 200);
    QCOMPARE(getDefaultCpiValue(mouseType, 1000000), 200);
}

void TestCpiRules::sliderSnap_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("released");
    QTest::addColumn<int>("expected");

    QTest::newRow("step 50 rounds 1234 down") << 11 << 1234 << 1200;
    QTest::newRow("step 50 keeps a grid value") << 11 << 16000 << 16000;
    QTest::newRow("step 100 rounds 250 down") << 2 << 250 << 200;
    QTest::newRow("step 100 rounds 6199 down") << 2 << 6199 << 6100;
    QTest::newRow("OX7EU 4950 takes the fine step") << 14 << 4950 << 4900;
    QTest::newRow("OX7EU 5150 takes the coarse step") << 14 << 5150 << 5000;
    QTest::newRow("OX7EU 10000 stays") << 14 << 10000 << 10000;
    QTest::newRow("OX7EU 5000 stays") << 14 << 5000 << 5000;
    QTest::newRow("OX7EU below the range clamps") << 14 << 100 << 200;
    QTest::newRow("OX7EU above the range clamps") << 14 << 12000 << 10000;
}

void TestCpiRules::sliderSnap()
{
    QFETCH(int, mouseType);
    QFETCH(int, released);
    const CpiRange r = cpiRangeForModel(mouseType);
    const int snapped = r.twoSteps
        ? snapTwoStepSlider(released, r.minimum, r.maximum, r.step, r.coarseStep, r.threshold)
        : snapOneStepSlider(released, r.step);
    QTEST(snapped, "expected");
}

void TestCpiRules::typedValue_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("typed");
    QTest::addColumn<int>("expected");

    QTest::newRow("below the minimum becomes the minimum") << 11 << 17 << 50;
    QTest::newRow("7777 with step 50") << 11 << 7777 << 7750;
    QTest::newRow("above the maximum becomes the maximum") << 2 << 9000 << 6200;
    QTest::newRow("maximum itself") << 2 << 6200 << 6200;
    QTest::newRow("OX7EU below the threshold, fine step") << 14 << 4999 << 4900;
    QTest::newRow("OX7EU at the threshold, fine step") << 14 << 5000 << 5000;
    QTest::newRow("OX7EU above the threshold, coarse step") << 14 << 5100 << 5000;
    QTest::newRow("OX7EU 9999") << 14 << 9999 << 9800;
    QTest::newRow("OX7EU zero") << 14 << 0 << 200;
}

void TestCpiRules::typedValue()
{
    QFETCH(int, mouseType);
    QFETCH(int, typed);
    const CpiRange r = cpiRangeForModel(mouseType);
    const int v = r.twoSteps ? recalculateTwoStep(typed, r.minimum, r.maximum, r.step, r.coarseStep, r.threshold)
                             : recalculateOneStep(typed, r.minimum, r.maximum, r.step);
    QTEST(v, "expected");
}

void TestCpiRules::stepButtons_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("up");
    QTest::addColumn<int>("down");

    QTest::newRow("OX7EU 5000 goes up coarse and down fine") << 14 << 5000 << 5200 << 4900;
    QTest::newRow("OX7EU 4900 goes up fine") << 14 << 4900 << 5000 << 4800;
    QTest::newRow("OX7EU 5200 goes down coarse") << 14 << 5200 << 5400 << 5000;
    QTest::newRow("OX7EU ends stay") << 14 << 10000 << 10000 << 9800;
    QTest::newRow("OX7EU minimum stays") << 14 << 200 << 300 << 200;
    QTest::newRow("step 50 middle") << 3 << 800 << 850 << 750;
    QTest::newRow("step 50 ends") << 3 << 50 << 100 << 50;
    QTest::newRow("an off-grid value never passes the maximum") << 3 << 15990 << 16000 << 15940;
    QTest::newRow("an off-grid value never passes the minimum") << 2 << 230 << 330 << 200;
    QTest::newRow("a switched-off level (0) steps to the minimum") << 2 << 0 << 200 << 0;
}

void TestCpiRules::stepButtons()
{
    QFETCH(int, mouseType);
    QFETCH(int, value);
    const CpiRange r = cpiRangeForModel(mouseType);
    if (r.twoSteps) {
        QTEST(stepUpTwoStep(value, r.minimum, r.maximum, r.step, r.coarseStep, r.threshold), "up");
        QTEST(stepDownTwoStep(value, r.minimum, r.maximum, r.step, r.coarseStep, r.threshold), "down");
    } else {
        QTEST(stepUpOneStep(value, r.minimum, r.maximum, r.step), "up");
        QTEST(stepDownOneStep(value, r.minimum, r.maximum, r.step), "down");
    }
}

void TestCpiRules::positionToValue_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("expected");

    // Range 1..20 over 200 pixels.
    QTest::newRow("left end") << 0.0 << 200 << 1;
    QTest::newRow("truncates, never rounds") << 199.0 << 200 << 19;
    QTest::newRow("right end") << 200.0 << 200 << 20;
    QTest::newRow("dragged past the left end") << -50.0 << 200 << 1;
    QTest::newRow("dragged past the right end") << 900.0 << 200 << 20;
    QTest::newRow("a widget without width") << 10.0 << 0 << 1;
}

void TestCpiRules::positionToValue()
{
    QFETCH(double, x);
    QFETCH(int, width);
    QTEST(sliderValueAtPosition(x, width, 1, 20), "expected");
}

// What ox8ctl accepts: the values the rows offer (in range, on the grid
// of the step that applies), so nothing reaches an encoder that has no code
// for it.
void TestCpiRules::allowedValues_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("cpi");
    QTest::addColumn<bool>("allowed");

    QTest::newRow("OX2 450 is off the 100 grid") << 2 << 450 << false;
    QTest::newRow("OX2 4200") << 2 << 4200 << true;
    QTest::newRow("OX7 1 is below 50") << 11 << 1 << false;
    QTest::newRow("OX7 16000") << 11 << 16000 << true;
    QTest::newRow("OX7 16050 is past the range") << 11 << 16050 << false;
    QTest::newRow("OX1 50 is below 200") << 4 << 50 << false;
    QTest::newRow("OX5 250 is off the grid") << 13 << 250 << false;
    QTest::newRow("OX8 26000 is past 6200") << 18 << 26000 << false;
    QTest::newRow("OX4 26000 is past 5000") << 12 << 26000 << false;
    QTest::newRow("OX4 5000") << 12 << 5000 << true;
    QTest::newRow("OX7Q 850 is off its 100 grid") << 10 << 850 << false;
    QTest::newRow("OX7EU 4900 in steps of 100") << 14 << 4900 << true;
    QTest::newRow("OX7EU 5100 is off the 200 steps") << 14 << 5100 << false;
    QTest::newRow("OX7EU 5200") << 14 << 5200 << true;
    QTest::newRow("OX7EU 10000") << 14 << 10000 << true;
    QTest::newRow("zero is no value") << 3 << 0 << false;
    QTest::newRow("negative") << 3 << -50 << false;
}

void TestCpiRules::allowedValues()
{
    QFETCH(int, mouseType);
    QFETCH(int, cpi);
    QFETCH(bool, allowed);
    QCOMPARE(isCpiValueAllowed(mouseType, cpi), allowed);
}

void TestCpiRules::stageLists_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QString>("refusal"); // empty: accepted

    QTest::newRow("seven stages on an OX7") << 11 << QList<int>{50, 100, 800, 1600, 3200, 6400, 16000} << "";
    QTest::newRow("stages off in between") << 2 << QList<int>{800, 0, 1600, 0, 0, 0, 0} << "";
    QTest::newRow("a sixth stage on an OX4") << 12 << QList<int>{400, 800, 1200, 1600, 2000, 2400, 3000}
                                             << "this model has 5 CPI stages, not 6";
    QTest::newRow("a stage past the fifth on an OX4C") << 7 << QList<int>{400, 0, 0, 0, 0, 0, 800}
                                                       << "this model has 5 CPI stages, not 7";
    QTest::newRow("off-grid value names the range") << 2 << QList<int>{800, 450}
                                                    << "CPI 450 is not possible on this model: 200..6200 in steps of 100";
    QTest::newRow("the OX7EU's two steps") << 14 << QList<int>{5100}
                                           << "200..5000 in steps of 100, 5000..10000 in steps of 200";
    QTest::newRow("every stage off") << 3 << QList<int>{0, 0, 0} << "at least one CPI stage";
}

void TestCpiRules::stageLists()
{
    QFETCH(int, mouseType);
    QFETCH(QList<int>, values);
    QFETCH(QString, refusal);
    QString why;
    QCOMPARE(checkCpiList(mouseType, values, &why), refusal.isEmpty());
    if (!refusal.isEmpty())
        QVERIFY2(why.contains(refusal), qPrintable(why));
}

QTEST_APPLESS_MAIN(TestCpiRules)
#include "tst_cpirules.moc"
