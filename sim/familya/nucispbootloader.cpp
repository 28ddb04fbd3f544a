#include "sim/familya/nucispbootloader.h"

#include "platform/clock.h"
#include "sim/familya/familyamouse.h"
#include "discovery/models.h"

#include <QMutexLocker>

namespace {

quint8 byteAt(const QByteArray &b, int i)
{
    return i >= 0 && i < b.size() ? quint8(b.at(i)) : 0;
}

quint32 le32(const QByteArray &b, int i)
{
    return quint32(byteAt(b, i)) | quint32(byteAt(b, i + 1)) << 8
        | quint32(byteAt(b, i + 2)) << 16 | quint32(byteAt(b, i + 3)) << 24;
}

void putLe32(QByteArray &out, int at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = char((value >> (8 * i)) & 0xFF);
}

quint16 byteSum(const QByteArray &b)
{
    quint32 sum = 0;
    for (char c : b)
        sum += quint8(c);
    return quint16(sum & 0xFFFF);
}

} // namespace

class NucIspBootloader::Interface final : public EmulatedInterface
{
public:
    explicit Interface(NucIspBootloader *owner)
        : m_owner(owner)
    {
    }
    bool onWrite(const QByteArray &report) override { return m_owner->onWrite(report); }
    int onRead(QByteArray &report, int timeoutMs) override { return m_owner->onRead(report, timeoutMs); }

private:
    NucIspBootloader *m_owner;
};

std::shared_ptr<NucIspBootloader> NucIspBootloader::create(int mouseType,
                                                           std::shared_ptr<FamilyAMouse> mouse)
{
    if (!isFamilyA(mouseType) || !modelForType(mouseType))
        return nullptr;
    return std::make_shared<NucIspBootloader>(mouseType, std::move(mouse), Key());
}

NucIspBootloader::NucIspBootloader(int mouseType, std::shared_ptr<FamilyAMouse> mouse, Key)
    : m_interface(std::make_unique<Interface>(this))
    , m_type(mouseType)
    , m_mouse(std::move(mouse))
{
    HidDeviceInfo &i = m_interface->info;
    i.vendorId = VID_KORVAN;
    i.productId = PID_BOOTLOADER;
    i.releaseNumber = 0x0100;
    i.productString = QStringLiteral("KORVAN %1 ISP").arg(QLatin1String(modelForType(mouseType)->name));
    i.usagePage = 0xFF00;
    i.usage = 0x0001;
    i.inputReportLength = NucIsp::ReportSize;
    i.outputReportLength = NucIsp::ReportSize;
}

NucIspBootloader::~NucIspBootloader() = default;

QVector<EmulatedInterface *> NucIspBootloader::interfaces()
{
    return {m_interface.get()};
}

const HidDeviceInfo &NucIspBootloader::info() const
{
    return m_interface->info;
}

std::shared_ptr<FamilyAMouse> NucIspBootloader::mouse() const
{
    QMutexLocker locker(&m_mutex);
    return m_mouse;
}

void NucIspBootloader::setRunDelayMs(int ms)
{
    QMutexLocker locker(&m_mutex);
    m_runDelayMs = qMax(0, ms);
}

void NucIspBootloader::setVersionAfterUpdate(quint32 version)
{
    QMutexLocker locker(&m_mutex);
    m_changeVersion = true;
    m_versionAfterUpdate = version;
}

QByteArray NucIspBootloader::programImage() const
{
    QMutexLocker locker(&m_mutex);
    return m_program.bytes;
}

QByteArray NucIspBootloader::dataImage() const
{
    QMutexLocker locker(&m_mutex);
    return m_data.bytes;
}

int NucIspBootloader::programLength() const
{
    QMutexLocker locker(&m_mutex);
    return m_program.length;
}

int NucIspBootloader::dataLength() const
{
    QMutexLocker locker(&m_mutex);
    return m_data.length;
}

bool NucIspBootloader::programComplete() const
{
    QMutexLocker locker(&m_mutex);
    return m_program.length > 0 && m_program.bytes.size() == m_program.length;
}

int NucIspBootloader::packetCount(quint32 command) const
{
    QMutexLocker locker(&m_mutex);
    return command < m_packetCounts.size() ? m_packetCounts[command] : m_otherPackets;
}

int NucIspBootloader::outputReports() const
{
    QMutexLocker locker(&m_mutex);
    return m_outputReports;
}

int NucIspBootloader::packetNumberErrors() const
{
    QMutexLocker locker(&m_mutex);
    return m_numberErrors;
}

int NucIspBootloader::ignoredPackets() const
{
    QMutexLocker locker(&m_mutex);
    return m_ignored;
}

bool NucIspBootloader::hasRun() const
{
    QMutexLocker locker(&m_mutex);
    return m_hasRun;
}

bool NucIspBootloader::onWrite(const QByteArray &report)
{
    QMutexLocker locker(&m_mutex);
    if (report.size() != NucIsp::ReportSize || byteAt(report, 0) != 0)
        return false;
    ++m_outputReports;
    const QByteArray packet = report.mid(1);
    const quint32 command = le32(packet, 0);
    const quint32 number = le32(packet, 4);
    if (command < m_packetCounts.size())
        ++m_packetCounts[command];
    else
        ++m_otherPackets;

    if (command == NucIsp::Sync) {
        m_synced = true;
    } else if (m_synced && number != m_expectedNumber) {
        ++m_numberErrors;
        return true; // taken off the wire, never answered
    }

    switch (command) {
    case NucIsp::Sync:
        break;
    case NucIsp::UpdateProgram:
        startTransfer(m_program, NucIsp::ProgramStart, packet);
        break;
    case NucIsp::UpdateData:
        startTransfer(m_data, NucIsp::DataStart, packet);
        break;
    case NucIsp::Continuation:
        if (m_active)
            continueTransfer(*m_active, packet, 8, NucIsp::ContinuationDataBytes);
        else
            ++m_ignored;
        break;
    case NucIsp::Resend:
        // Take back the last packet's data; its answer went wrong and the
        // host sends it again.
        if (m_active) {
            m_active->bytes.chop(m_active->lastChunk);
            m_active->lastChunk = 0;
        }
        break;
    case NucIsp::Run:
        // The chip resets at once; run has no answer.
        run();
        return true;
    default:
        break; // acknowledged, nothing to do
    }
    queueAnswer(packet, number + 1);
    m_expectedNumber = number + 2;
    return true;
}

void NucIspBootloader::startTransfer(Transfer &t, quint32 expectedStart, const QByteArray &packet)
{
    const quint32 start = le32(packet, 8);
    const quint32 length = le32(packet, 12);
    m_active = &t;
    t = Transfer();
    if (start != expectedStart || length == 0 || length > quint32(NucIsp::MaxImageSize)) {
        ++m_ignored;
        m_active = nullptr;
        return;
    }
    t.start = start;
    t.length = int(length);
    continueTransfer(t, packet, 16, NucIsp::FirstDataBytes);
}

void NucIspBootloader::continueTransfer(Transfer &t, const QByteArray &packet, int offset, int maxBytes)
{
    const int n = qMin(maxBytes, t.length - t.bytes.size());
    if (n <= 0) {
        ++m_ignored;
        t.lastChunk = 0;
        return;
    }
    t.bytes.append(packet.mid(offset, n));
    t.lastChunk = n;
}

void NucIspBootloader::queueAnswer(const QByteArray &packet, quint32 number)
{
    if (m_faults.take(Fault::NoAnswer))
        return;
    quint16 sum = byteSum(packet);
    if (m_faults.take(Fault::WrongChecksum))
        sum = quint16(sum + 1);
    QByteArray answer(NucIsp::ReportSize, '\0');
    answer[1] = char(sum & 0xFF);
    answer[2] = char(sum >> 8);
    putLe32(answer, 5, number);
    int length = 0;
    if (m_faults.take(Fault::AnswerLength, &length))
        answer.truncate(length);
    m_answers.enqueue(answer);
}

int NucIspBootloader::onRead(QByteArray &report, int timeoutMs)
{
    QMutexLocker locker(&m_mutex);
    if (!m_answers.isEmpty()) {
        report = m_answers.dequeue();
        return report.size();
    }
    // Nothing will come: let the host's time-out pass. A wait without limit
    // cannot be kept inside the bus lock, so it returns at once.
    if (timeoutMs > 0)
        deviceClock().sleepMs(timeoutMs);
    report.clear();
    return 0;
}

void NucIspBootloader::run()
{
    m_hasRun = true;
    const bool started = m_program.length > 0;
    const bool complete = started && m_program.bytes.size() == m_program.length;
    if (started && !complete)
        return; // half a firmware: the chip falls back into its boot loader
    EmulatedHidBus *bus = this->bus();
    if (!bus)
        return;
    if (!m_mouse)
        m_mouse = FamilyAMouse::create(m_type);
    m_mouse->leaveBootloader(complete, m_program.bytes, m_versionAfterUpdate, m_changeVersion);
    std::shared_ptr<FamilyAMouse> mouse = m_mouse;
    const qint64 visibleAt = deviceClock().nowMs() + m_runDelayMs;
    bus->unplug(this);
    bus->plug(mouse, visibleAt);
}
