#include "sim/faultplan.h"

#include <QtTest>

namespace {
// The chances of one kind as a string: 'x' spoilt, '.' passed.
QString takes(FaultPlan &plan, Fault kind, int chances)
{
    QString out;
    for (int i = 0; i < chances; ++i)
        out += plan.take(kind) ? QLatin1Char('x') : QLatin1Char('.');
    return out;
}
} // namespace

class TstFaultPlan : public QObject
{
    Q_OBJECT

private slots:
    void spoilsTheArmedChances_data();
    void spoilsTheArmedChances();
    void kindsAreCountedApart();
    void valueComesWithTheSpoiltChance();
    void armingAgainReplaces();
    void clearing();
};

void TstFaultPlan::spoilsTheArmedChances_data()
{
    QTest::addColumn<int>("skip");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("pattern");

    QTest::newRow("nothing armed spoils nothing") << 0 << 0 << "........";
    QTest::newRow("two spoil the next two") << 0 << 2 << "xx......";
    QTest::newRow("-1 spoils every chance") << 0 << -1 << "xxxxxxxx";
    QTest::newRow("any negative count is for ever") << 0 << -7 << "xxxxxxxx";
    QTest::newRow("skipped chances pass first") << 3 << 1 << "...x....";
    QTest::newRow("for ever after the third (unplug after n)") << 3 << -1 << "...xxxxx";
    QTest::newRow("a skip without a count does nothing") << 3 << 0 << "........";
    QTest::newRow("a negative skip is none") << -4 << 2 << "xx......";
}

void TstFaultPlan::spoilsTheArmedChances()
{
    QFETCH(int, skip);
    QFETCH(int, count);
    QFETCH(QString, pattern);

    FaultPlan plan;
    plan.armAfter(Fault::NoAnswer, skip, count);
    QCOMPARE(plan.armed(Fault::NoAnswer), count != 0);
    QCOMPARE(takes(plan, Fault::NoAnswer, pattern.size()), pattern);
    // Once the last spoilt chance is used up the kind is no longer armed.
    QCOMPARE(plan.armed(Fault::NoAnswer), count < 0);
    if (skip <= 0) {
        FaultPlan direct;
        direct.arm(Fault::NoAnswer, count);
        QCOMPARE(takes(direct, Fault::NoAnswer, pattern.size()), pattern);
    }
}

void TstFaultPlan::kindsAreCountedApart()
{
    FaultPlan plan;
    plan.arm(Fault::BusyStatus, 2);
    plan.armAfter(Fault::AnswerLength, 1, 1, 33);
    QCOMPARE(takes(plan, Fault::FailedStatus, 3), QStringLiteral("..."));
    QCOMPARE(takes(plan, Fault::BusyStatus, 1), QStringLiteral("x"));
    QCOMPARE(takes(plan, Fault::AnswerLength, 3), QStringLiteral(".x."));
    QCOMPARE(takes(plan, Fault::BusyStatus, 2), QStringLiteral("x."));
}

void TstFaultPlan::valueComesWithTheSpoiltChance()
{
    FaultPlan plan;
    plan.arm(Fault::AnswerLength, 1, 20);
    int length = 32;
    QVERIFY(plan.take(Fault::AnswerLength, &length));
    QCOMPARE(length, 20);
    // An unspoilt chance leaves the caller's value alone.
    length = 32;
    QVERIFY(!plan.take(Fault::AnswerLength, &length));
    QCOMPARE(length, 32);
    plan.arm(Fault::AnswerLength, -1, 0);
    QVERIFY(plan.take(Fault::AnswerLength, &length));
    QCOMPARE(length, 0);
}

void TstFaultPlan::armingAgainReplaces()
{
    FaultPlan plan;
    plan.armAfter(Fault::WrongChecksum, 5, -1);
    plan.arm(Fault::WrongChecksum, 1);
    QCOMPARE(takes(plan, Fault::WrongChecksum, 3), QStringLiteral("x.."));
    plan.armAfter(Fault::WrongChecksum, 1, 2);
    plan.arm(Fault::WrongChecksum, 0);
    QVERIFY(!plan.armed(Fault::WrongChecksum));
    QCOMPARE(takes(plan, Fault::WrongChecksum, 3), QStringLiteral("..."));
}

void TstFaultPlan::clearing()
{
    FaultPlan plan;
    plan.armAfter(Fault::Unplug, 2, -1);
    plan.arm(Fault::FailedTransfer, -1);
    plan.arm(Fault::AnswerLength, 4, 5);

    plan.clear(Fault::FailedTransfer);
    QCOMPARE(takes(plan, Fault::FailedTransfer, 2), QStringLiteral(".."));
    QVERIFY(plan.armed(Fault::Unplug));

    plan.clearAll();
    for (Fault kind : {Fault::Unplug, Fault::AnswerLength, Fault::FailedTransfer}) {
        QVERIFY(!plan.armed(kind));
        QCOMPARE(takes(plan, kind, 4), QStringLiteral("...."));
    }
}

QTEST_APPLESS_MAIN(TstFaultPlan)
#include "tst_faultplan.moc"
