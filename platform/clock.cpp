#include "platform/clock.h"

#include <QThread>

#include <chrono>

Clock::~Clock() = default;

namespace {
qint64 steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

RealClock &realClock()
{
    static RealClock clock;
    return clock;
}

std::atomic<Clock *> g_clock{nullptr};
} // namespace

RealClock::RealClock()
    : m_originNs(steadyNs())
{
}

void RealClock::sleepMs(int ms)
{
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

qint64 RealClock::nowMs() const
{
    return (steadyNs() - m_originNs) / 1000000;
}

void VirtualClock::sleepMs(int ms)
{
    if (ms < 0)
        ms = 0;
    m_now += ms;
    m_slept += ms;
    ++m_sleeps;
}

Clock &deviceClock()
{
    Clock *c = g_clock.load();
    return c ? *c : realClock();
}

void setDeviceClock(Clock *clock)
{
    g_clock.store(clock);
}
