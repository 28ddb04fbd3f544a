#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// What every harness shares: a quiet Qt application, APP in a scratch
// folder that is emptied between inputs (so one input never shapes the
// next), device waits in virtual time, and a reader over the input bytes.

// Once per process, from LLVMFuzzerInitialize (or the replay runner).
void initFuzzProcess(int *argc, char ***argv);

// APP of this process (a temporary folder, removed at exit).
QString fuzzAppDirectory();
// Removes everything below APP, so the next input starts from nothing.
void clearFuzzAppDirectory();
// A path in a scratch folder beside APP (not cleared between inputs).
QString fuzzScratchPath(const QString &name);
// Replaces the file with bytes (plain write: the readers are under test,
// not the writer). False when it could not be written.
bool putFuzzFile(const QString &path, const QByteArray &bytes);

// Consumes a fuzzer input from the front. Past the end every read gives 0 or
// empty bytes, so a harness never needs to check the length first.
class FuzzInput
{
public:
    FuzzInput(const uint8_t *data, size_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    bool atEnd() const { return m_pos >= m_size; }
    size_t remaining() const { return m_size - m_pos; }
    quint8 byte() { return atEnd() ? 0 : m_data[m_pos++]; }
    quint16 word() // little-endian
    {
        const quint16 low = byte();
        return quint16(low | (quint16(byte()) << 8));
    }
    QByteArray take(size_t n)
    {
        n = n < remaining() ? n : remaining();
        QByteArray out(reinterpret_cast<const char *>(m_data + m_pos), int(n));
        m_pos += n;
        return out;
    }
    QByteArray rest() { return take(remaining()); }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// The harness entry points every harness defines (libFuzzer's names).
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
