#pragma once

#include <QtGlobal>

#include <atomic>

// Every wait a device protocol mandates (polls, settle times, time-outs) goes
// through one Clock, so tests and benchmarks can run the same code in virtual
// time while the product waits for real.
class Clock
{
public:
    virtual ~Clock();
    // Blocks the calling thread for ms milliseconds (virtual clocks only count).
    virtual void sleepMs(int ms) = 0;
    // Monotonic milliseconds since an arbitrary origin.
    virtual qint64 nowMs() const = 0;
};

class RealClock final : public Clock
{
public:
    RealClock();
    void sleepMs(int ms) override;
    qint64 nowMs() const override;

private:
    qint64 m_originNs;
};

// Time passes only when somebody sleeps. Thread-safe: sleeps from several
// threads add up on one time line.
class VirtualClock final : public Clock
{
public:
    void sleepMs(int ms) override;
    qint64 nowMs() const override { return m_now.load(); }

    void advance(qint64 ms) { m_now += ms; }
    qint64 totalSleptMs() const { return m_slept.load(); }
    qint64 sleepCount() const { return m_sleeps.load(); }
    void resetCounters()
    {
        m_slept = 0;
        m_sleeps = 0;
    }

private:
    std::atomic<qint64> m_now{0};
    std::atomic<qint64> m_slept{0};
    std::atomic<qint64> m_sleeps{0};
};

// The process-wide clock used by drivers, the flasher and the emulators.
// Defaults to a RealClock; setDeviceClock(nullptr) restores it. The caller
// keeps ownership of a clock it installs.
Clock &deviceClock();
void setDeviceClock(Clock *clock);

// Installs a clock for the lifetime of a scope (tests, benchmarks).
class ScopedDeviceClock
{
public:
    explicit ScopedDeviceClock(Clock *clock) { setDeviceClock(clock); }
    ~ScopedDeviceClock() { setDeviceClock(nullptr); }
    ScopedDeviceClock(const ScopedDeviceClock &) = delete;
    ScopedDeviceClock &operator=(const ScopedDeviceClock &) = delete;
};
