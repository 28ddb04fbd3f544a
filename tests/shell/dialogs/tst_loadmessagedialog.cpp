// The busy overlay's spinner and its finish-the-turn stop rule, stepped by
// hand instead of waiting for the 180 ms timer.
#include "shell/dialogs/loadmessagedialog.h"

#include <QLabel>
#include <QtTest>

namespace {
// Steps until the overlay hides, at most limit.
int stepsUntilHidden(LoadMessageDialog &d, int limit = 20)
{
    for (int i = 1; i <= limit; ++i) {
        d.transform();
        if (!d.isVisible())
            return i;
    }
    return -1;
}
} // namespace

class TstLoadMessageDialog : public QObject
{
    Q_OBJECT

private slots:
    void constructionStartsTheOverlay();
    void stopWaitsForTheTurn_data();
    void stopWaitsForTheTurn();
    void startClearsAPendingStop();
    void flashShowsOneTurn();
    void spinnerTurnsInQuarters();
};

void TstLoadMessageDialog::constructionStartsTheOverlay()
{
    QWidget host;
    host.resize(960, 640);
    auto *d = new LoadMessageDialog(&host);
    host.show();
    QVERIFY(d->isVisible());
    QVERIFY(d->isTurning());
    QCOMPARE(d->stepTimer().interval(), 180);
    QCOMPARE(d->geometry(), QRect(0, 0, 960, 640));
    QCOMPARE(d->findChild<QLabel *>(QStringLiteral("label"))->geometry(), QRect(480, 320, 26, 26));
    QVERIFY(!d->isWindow());
}

void TstLoadMessageDialog::stopWaitsForTheTurn_data()
{
    QTest::addColumn<int>("quartersBeforeStop");
    QTest::addColumn<int>("stepsToHide"); // 0: hidden at once

    QTest::newRow("stop before the first quarter") << 0 << 5;
    QTest::newRow("stop in the first quarter keeps it for the turn") << 1 << 4;
    QTest::newRow("stop in the second quarter") << 2 << 3;
    QTest::newRow("stop in the last quarter") << 3 << 2;
    QTest::newRow("stop after a whole turn hides at once") << 4 << 0;
}

void TstLoadMessageDialog::stopWaitsForTheTurn()
{
    QFETCH(int, quartersBeforeStop);
    QFETCH(int, stepsToHide);

    QWidget host;
    auto *d = new LoadMessageDialog(&host);
    host.show();
    for (int i = 0; i < quartersBeforeStop; ++i)
        d->transform();

    d->slot_StopLoadingDialog();
    if (stepsToHide == 0) {
        QVERIFY(!d->isVisible());
        QVERIFY(!d->isTurning());
        QVERIFY(!d->isStopRequested());
        return;
    }
    QVERIFY(d->isVisible());
    QVERIFY(d->isStopRequested());
    QCOMPARE(stepsUntilHidden(*d), stepsToHide);
    QVERIFY(!d->isTurning());
    QVERIFY(!d->isStopRequested());
}

void TstLoadMessageDialog::startClearsAPendingStop()
{
    QWidget host;
    auto *d = new LoadMessageDialog(&host);
    host.show();
    d->transform();
    d->slot_StopLoadingDialog();
    d->slot_StartLoadingDialog(); // a new operation began before the turn ended
    QVERIFY(!d->isStopRequested());
    QCOMPARE(stepsUntilHidden(*d, 12), -1);
    QVERIFY(d->isTurning());
}

void TstLoadMessageDialog::flashShowsOneTurn()
{
    QWidget host;
    auto *d = new LoadMessageDialog(&host);
    host.show();
    d->slot_StopLoadingDialog();
    QVERIFY(stepsUntilHidden(*d) > 0);

    d->flash();
    QVERIFY(d->isVisible());
    QVERIFY(d->isTurning());
    const int steps = stepsUntilHidden(*d);
    QVERIFY2(steps >= 3 && steps <= 5, qPrintable(QString::number(steps)));
}

void TstLoadMessageDialog::spinnerTurnsInQuarters()
{
    QWidget host;
    auto *d = new LoadMessageDialog(&host);
    host.show();
    auto *label = d->findChild<QLabel *>(QStringLiteral("label"));
    QList<QImage> quarters;
    for (int i = 0; i < 5; ++i) {
        d->transform();
        QVERIFY(!label->pixmap(Qt::ReturnByValue).isNull());
        quarters << label->pixmap(Qt::ReturnByValue).toImage();
        QCOMPARE(d->stepCount(), i < 4 ? i + 1 : 1);
    }
    QCOMPARE(quarters.at(0).size(), QSize(26, 26));
    QVERIFY(quarters.at(0) != quarters.at(1));
    QCOMPARE(quarters.at(4), quarters.at(0)); // the fifth step starts the next turn
}

QTEST_MAIN(TstLoadMessageDialog)
#include "tst_loadmessagedialog.moc"
