#include "platform/clock.h"

#include <QThread>
#include <QtTest>

#include <vector>

class TstClock : public QObject
{
    Q_OBJECT

private slots:
    void virtualSleepsCountButDoNotWait();
    void sleepsFromSeveralThreadsAddUp();
    void scopedClockRestoresTheRealOne();
};

void TstClock::virtualSleepsCountButDoNotWait()
{
    VirtualClock clock;
    QElapsedTimer wall;
    wall.start();
    for (int i = 0; i < 1000; ++i)
        clock.sleepMs(3000);
    QVERIFY(wall.elapsed() < 1000);
    QCOMPARE(clock.nowMs(), qint64(3000000));
    QCOMPARE(clock.totalSleptMs(), qint64(3000000));
    QCOMPARE(clock.sleepCount(), qint64(1000));
    clock.sleepMs(-5); // a negative wait is no wait
    QCOMPARE(clock.nowMs(), qint64(3000000));
    clock.advance(10);
    QCOMPARE(clock.nowMs(), qint64(3000010));
    QCOMPARE(clock.totalSleptMs(), qint64(3000000));
}

void TstClock::sleepsFromSeveralThreadsAddUp()
{
    VirtualClock clock;
    std::vector<std::unique_ptr<QThread>> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back(QThread::create([&clock] {
            for (int i = 0; i < 10000; ++i)
                clock.sleepMs(1);
        }));
        threads.back()->start();
    }
    for (auto &t : threads)
        t->wait();
    QCOMPARE(clock.totalSleptMs(), qint64(40000));
}

void TstClock::scopedClockRestoresTheRealOne()
{
    Clock *before = &deviceClock();
    VirtualClock clock;
    {
        ScopedDeviceClock scope(&clock);
        QCOMPARE(&deviceClock(), static_cast<Clock *>(&clock));
        deviceClock().sleepMs(25);
    }
    QCOMPARE(&deviceClock(), before);
    QCOMPARE(clock.nowMs(), qint64(25));
    // The real clock moves forward on its own.
    const qint64 a = deviceClock().nowMs();
    QTRY_VERIFY(deviceClock().nowMs() > a);
}

QTEST_GUILESS_MAIN(TstClock)
#include "tst_clock.moc"
