#pragma once

#include <QMutex>

#include <array>

// The faults an emulator can be asked to inject. Each emulator's header says
// which kinds it honours and what they do to its answers.
enum class Fault {
    BusyStatus,     // answers read "busy" before the result shows
    FailedStatus,   // the device reports that it failed or refused
    FailedTransfer, // the transfer itself fails
    NoAnswer,       // no answer comes: status stays "not ready", or the read times out
    AnswerLength,   // answers come back `value` bytes long
    WrongChecksum,  // answers carry a checksum that does not match
    Unterminated,   // list answers lack their terminator
    Unplug,         // the device drops off the bus
};

// Injected faults, counted: arm() spoils the next `count` chances of a kind
// (-1: every one until cleared). An emulator asks take() once per transfer
// that could carry the fault; a spoilt chance uses one up.
//
// Thread-safe, so a test may arm faults while a worker thread talks to the
// emulator.
class FaultPlan
{
public:
    static constexpr int kForever = -1;

    // The next `count` chances; `value` is what the fault needs to know
    // (AnswerLength: the length). Replaces whatever the kind had.
    void arm(Fault kind, int count, int value = 0);
    // The same, after letting `skip` chances pass unspoilt.
    void armAfter(Fault kind, int skip, int count, int value = 0);
    void clear(Fault kind);
    void clearAll();

    // Whether this chance of the kind is spoilt; uses it up. value (when
    // given) receives the armed value.
    bool take(Fault kind, int *value = nullptr);
    // Whether chances of the kind are still to be spoilt.
    bool armed(Fault kind) const;

private:
    struct Entry
    {
        int count = 0;
        int skip = 0;
        int value = 0;
    };
    static constexpr int kKinds = int(Fault::Unplug) + 1;

    mutable QMutex m_mutex;
    std::array<Entry, kKinds> m_entries{};
};
