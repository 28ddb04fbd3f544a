#pragma once

#include <QtGlobal>

#include <atomic>

// Wall-clock seconds for expiries and rate windows. Only test mode moves the
// offset, so tests cover a token's expiry or a lock-out's end without
// waiting. Thread-safe.
namespace ox8cloud {

class ServerClock
{
public:
    qint64 now() const;
    void advance(qint64 seconds) { m_offset += seconds; }

private:
    std::atomic<qint64> m_offset{0};
};

} // namespace ox8cloud
