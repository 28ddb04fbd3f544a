#pragma once

#include "device/devicetypes.h"

#include <QList>

#include <optional>

// Smooths the battery level a wireless mouse reports, which jitters by a
// few percent from one reading to the next. After a reset (or a failed
// read) three consistent readings are needed before a level is shown;
// from then on the level only moves after five readings that are clearly
// away from it. A plain value: no signals, no threads.
class BatteryFilter
{
public:
    // Shown while the mouse cannot tell.
    static constexpr DWORD kUnknown = 103;
    // Far readings gathered before the level moves.
    static constexpr int kSamples = 5;

    // One reading; returns the level to show, or nothing while the filter
    // holds the previous one.
    std::optional<DWORD> add(DWORD value);

    // Back to the state of a fresh connection: warm-up, no readings, level 0.
    void reset();
    // Warm-up again, keeping the last readings (after a failed read).
    void restartWarmUp() { m_warmUp = true; }

    bool isWarmingUp() const { return m_warmUp; }
    DWORD level() const { return m_level; }

private:
    bool m_warmUp = true;
    DWORD m_reading1 = 0; // oldest
    DWORD m_reading2 = 0;
    DWORD m_reading3 = 0;
    DWORD m_level = 0;
    int m_count = 0;
    QList<DWORD> m_samples;
};
