#include "fuzz/common/fuzzbus.h"

#include "platform/clock.h"

namespace {
constexpr int kFailedRecord = 0xFFFF;

class FuzzHandle final : public HidDevice
{
public:
    explicit FuzzHandle(std::shared_ptr<FuzzHidBus::Stream> stream)
        : m_stream(std::move(stream))
    {
    }
    bool write(const QByteArray &) override { return true; }
    int read(QByteArray &report, int timeoutMs) override
    {
        QByteArray answer;
        if (!m_stream->next(answer)) {
            m_error = 5;
            return -1;
        }
        if (answer.isEmpty()) { // an empty record is a time-out here
            deviceClock().sleepMs(timeoutMs);
            return 0;
        }
        report = answer;
        return report.size();
    }
    bool getInputReport(QByteArray &report) override { return answer(report); }
    bool setFeature(const QByteArray &) override { return true; }
    bool getFeature(QByteArray &report) override { return answer(report); }
    int lastError() const override { return m_error; }

private:
    bool answer(QByteArray &report)
    {
        QByteArray bytes;
        if (!m_stream->next(bytes)) {
            m_error = 5;
            return false;
        }
        report = bytes;
        return true;
    }

    std::shared_ptr<FuzzHidBus::Stream> m_stream;
    int m_error = 0;
};

class RecordingHandle final : public HidDevice
{
public:
    RecordingHandle(std::unique_ptr<HidDevice> inner, std::shared_ptr<QList<FuzzAnswer>> answers)
        : m_inner(std::move(inner))
        , m_answers(std::move(answers))
    {
    }
    bool write(const QByteArray &report) override { return m_inner->write(report); }
    int read(QByteArray &report, int timeoutMs) override
    {
        const int n = m_inner->read(report, timeoutMs);
        if (n < 0)
            m_answers->append({false, QByteArray()});
        else
            m_answers->append({true, n == 0 ? QByteArray() : report});
        return n;
    }
    bool getInputReport(QByteArray &report) override { return note(m_inner->getInputReport(report), report); }
    bool setFeature(const QByteArray &report) override { return m_inner->setFeature(report); }
    bool getFeature(QByteArray &report) override { return note(m_inner->getFeature(report), report); }
    int lastError() const override { return m_inner->lastError(); }

private:
    bool note(bool ok, const QByteArray &report)
    {
        m_answers->append({ok, ok ? report : QByteArray()});
        return ok;
    }

    std::unique_ptr<HidDevice> m_inner;
    std::shared_ptr<QList<FuzzAnswer>> m_answers;
};
} // namespace

QByteArray encodeFuzzAnswers(const QList<FuzzAnswer> &answers)
{
    QByteArray out;
    for (const FuzzAnswer &a : answers) {
        const int length = a.ok ? qMin(int(a.bytes.size()), kFailedRecord - 1) : kFailedRecord;
        out.append(char(length & 0xFF));
        out.append(char(length >> 8));
        if (a.ok)
            out.append(a.bytes.left(length));
    }
    return out;
}

bool FuzzHidBus::Stream::next(QByteArray &answer)
{
    if (pos + 2 > bytes.size())
        return false;
    const int length = quint8(bytes[pos]) | (quint8(bytes[pos + 1]) << 8);
    pos += 2;
    if (length == kFailedRecord)
        return false;
    answer = bytes.mid(pos, length);
    pos += int(answer.size());
    return true;
}

FuzzHidBus::FuzzHidBus(const QVector<HidDeviceInfo> &interfaces)
    : m_interfaces(interfaces)
    , m_stream(std::make_shared<Stream>())
{
}

FuzzHidBus::~FuzzHidBus() = default;

void FuzzHidBus::setAnswers(const QByteArray &stream)
{
    m_stream->bytes = stream;
    m_stream->pos = 0;
}

QVector<HidDeviceInfo> FuzzHidBus::enumerate()
{
    return m_interfaces;
}

std::unique_ptr<HidDevice> FuzzHidBus::open(const QString &path)
{
    for (const HidDeviceInfo &info : m_interfaces)
        if (info.path == path)
            return std::make_unique<FuzzHandle>(m_stream);
    return nullptr;
}

RecordingHidBus::RecordingHidBus(HidBus &inner)
    : m_inner(inner)
    , m_answers(std::make_shared<QList<FuzzAnswer>>())
{
}

RecordingHidBus::~RecordingHidBus() = default;

QVector<HidDeviceInfo> RecordingHidBus::enumerate()
{
    return m_inner.enumerate();
}

std::unique_ptr<HidDevice> RecordingHidBus::open(const QString &path)
{
    std::unique_ptr<HidDevice> inner = m_inner.open(path);
    if (!inner)
        return nullptr;
    return std::make_unique<RecordingHandle>(std::move(inner), m_answers);
}
