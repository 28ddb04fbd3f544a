#include "sim/familya/nucispbootloader.h"

#include "platform/clock.h"
#include "sim/familya/emulatedfirmware.h"
#include "sim/familya/familyamouse.h"
#include "discovery/models.h"

#include <QMutexLocker>

#include <climits>

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

void NucIspBootloader::setProgramMemorySize(int bytes)
{
    QMutexLocker locker(&m_mutex);
    m_programMemorySize = qBound(NucIsp::PacketSize, bytes, NucIsp::MaxImageSize);
}

int NucIspBootloader::programMemorySize() const
{
    QMutexLocker locker(&m_mutex);
    return m_programMemorySize;
}

void NucIspBootloader::setConfigWords(quint32 config0, quint32 config1)
{
    QMutexLocker locker(&m_mutex);
    m_config0 = config0;
    m_config1 = config1;
}

void NucIspBootloader::setVersionAfterUpdate(quint32 version)
{
    QMutexLocker locker(&m_mutex);
    m_changeVersion = true;
    m_versionAfterUpdate = version;
}

QByteArray NucIspBootloader::image(const Transfer &t)
{
    if (t.length < 0)
        return {};
    return t.flash.left(int(qMin<qint64>(t.written, t.flash.size())));
}

// Every announced byte written, and all of them inside the memory.
bool NucIspBootloader::complete(const Transfer &t)
{
    return t.length > 0 && t.written == t.length && t.length <= t.flash.size();
}

QByteArray NucIspBootloader::programImage() const
{
    QMutexLocker locker(&m_mutex);
    return image(m_program);
}

QByteArray NucIspBootloader::dataImage() const
{
    QMutexLocker locker(&m_mutex);
    return image(m_data);
}

int NucIspBootloader::programLength() const
{
    QMutexLocker locker(&m_mutex);
    return int(qMin<qint64>(m_program.length, INT_MAX));
}

int NucIspBootloader::dataLength() const
{
    QMutexLocker locker(&m_mutex);
    return int(qMin<qint64>(m_data.length, INT_MAX));
}

bool NucIspBootloader::programComplete() const
{
    QMutexLocker locker(&m_mutex);
    return complete(m_program);
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

int NucIspBootloader::failedReadBacks() const
{
    QMutexLocker locker(&m_mutex);
    return m_failedReadBacks;
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
    QByteArray packet = report.mid(1);
    const quint32 command = le32(packet, 0);
    const quint32 number = le32(packet, 4);
    if (command < m_packetCounts.size())
        ++m_packetCounts[command];
    else
        ++m_otherPackets;

    // The chip goes by its own count and never looks at the number the
    // host sent; only sync and connect set the count.
    if (command == NucIsp::Sync)
        m_counter = le32(packet, 8);
    else if (command == NucIsp::Connect)
        m_counter = 1;
    if (number != m_counter)
        ++m_numberErrors;

    bool withConfig = false;
    switch (command) {
    case NucIsp::Sync:
    case NucIsp::Connect:
        withConfig = true;
        m_active = nullptr;
        break;
    case NucIsp::UpdateProgram:
        m_program.flash = QByteArray(m_programMemorySize, char(0xFF));
        startTransfer(m_program, packet);
        break;
    case NucIsp::UpdateData:
        m_data.flash = QByteArray(NucIsp::DataFlashSize, char(0xFF));
        startTransfer(m_data, packet);
        break;
    case NucIsp::Continuation:
        if (m_active)
            continueTransfer(*m_active, packet, 8, NucIsp::ContinuationDataBytes);
        else
            ++m_ignored;
        break;
    case NucIsp::Resend:
        // Take back the last packet's data and erase its cells again; its
        // answer went wrong and the host sends it once more.
        if (m_active) {
            Transfer &t = *m_active;
            t.written -= t.lastChunk;
            for (qint64 i = t.written; i < t.written + t.lastChunk && i < t.flash.size(); ++i)
                t.flash[int(i)] = char(0xFF);
            t.lastChunk = 0;
        }
        break;
    case NucIsp::Run:
        // The chip resets at once; run has no answer.
        run();
        return true;
    default:
        m_active = nullptr; // acknowledged, nothing to do
        break;
    }
    queueAnswer(packet, m_counter + 1, withConfig);
    m_counter += 2;
    return true;
}

void NucIspBootloader::startTransfer(Transfer &t, QByteArray &packet)
{
    // Bytes 8..11 announce a start address; the chip ignores it and writes
    // each memory from its base.
    m_active = &t;
    t.length = le32(packet, 12);
    t.written = 0;
    t.lastChunk = 0;
    continueTransfer(t, packet, 16, NucIsp::FirstDataBytes);
}

// Writes the packet's next bytes and puts what the flash reads back in
// their place, so the answer's byte sum covers the write.
void NucIspBootloader::continueTransfer(Transfer &t, QByteArray &packet, int offset, int maxBytes)
{
    const int n = int(qMin<qint64>(maxBytes, t.length - t.written));
    if (n <= 0) {
        ++m_ignored;
        t.lastChunk = 0;
        return;
    }
    const bool takes = !m_faults.take(Fault::FailedTransfer);
    bool differs = false;
    for (int i = 0; i < n; ++i) {
        const qint64 cell = t.written + i;
        const quint8 sent = byteAt(packet, offset + i);
        quint8 back = 0; // past the end of the memory nothing reads back
        if (cell < t.flash.size()) {
            // Programming flash can only clear bits.
            if (takes)
                t.flash[int(cell)] = char(quint8(t.flash.at(int(cell))) & sent);
            back = quint8(t.flash.at(int(cell)));
        }
        differs = differs || back != sent;
        packet[offset + i] = char(back);
    }
    if (differs)
        ++m_failedReadBacks;
    t.written += n;
    t.lastChunk = n;
}

void NucIspBootloader::queueAnswer(const QByteArray &packet, quint32 number, bool withConfig)
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
    if (withConfig) {
        putLe32(answer, 9, m_config0);
        putLe32(answer, 13, m_config1);
    }
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
    // Update program memory erased it: anything but a complete image that
    // fitted leaves the chip without firmware, back in its boot loader.
    const bool started = m_program.length >= 0;
    const bool flashed = complete(m_program);
    if (started && !flashed)
        return;
    EmulatedHidBus *bus = this->bus();
    if (!bus)
        return;
    if (!m_mouse)
        m_mouse = FamilyAMouse::create(m_type);
    // The new firmware reports the version its image carries; an image
    // without a tag keeps the version set for the test, or the old one.
    const QByteArray flashedImage = image(m_program);
    quint32 version = m_versionAfterUpdate;
    bool changeVersion = m_changeVersion;
    quint32 tagged = 0;
    if (flashed && EmulatedFirmware::versionOf(flashedImage, tagged)) {
        version = tagged;
        changeVersion = true;
    }
    m_mouse->leaveBootloader(flashed, flashedImage, version, changeVersion);
    std::shared_ptr<FamilyAMouse> mouse = m_mouse;
    const qint64 visibleAt = deviceClock().nowMs() + m_runDelayMs;
    bus->unplug(this);
    bus->plug(mouse, visibleAt);
}
