#include "device/familya/fwupdate.h"

#include "platform/clock.h"
#include "device/familya/familyacodec.h"
#include "platform/hidparse.h"
#include "platform/safefile.h"
#include "discovery/models.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QThread>

#include <atomic>

using namespace familya;

namespace {
// One counter for the whole process: a run picks up where the boot loader
// expects it.
std::atomic<quint32> g_packetNumber{1};

constexpr quint32 kProgramStart = 0;

const char kImageTooLarge[] = "image larger than the mouse's program memory";
} // namespace

FwUpdate::FwUpdate(QObject *parent)
    : QObject(parent)
{
}

FwUpdate::~FwUpdate()
{
    // A run in progress finishes before the handles go.
    QThread *worker = thread();
    const QCoreApplication *app = QCoreApplication::instance();
    if (worker && worker != QThread::currentThread() && (!app || worker != app->thread())) {
        worker->quit();
        worker->wait();
        delete worker;
    }
    closeHandles();
}

void FwUpdate::SetDevicePaths(const QString &mousePath, const QString &bootPath)
{
    m_mousePath = mousePath;
    m_bootPath = bootPath;
}

quint32 FwUpdate::PacketNumber()
{
    return g_packetNumber.load();
}

void FwUpdate::closeHandles()
{
    m_boot.reset();
}

bool FwUpdate::LoadImage(const QString &path, QByteArray &image)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot >= 0 ? name.mid(dot + 1) : QString();
    if (extension.contains(QLatin1String("hex"), Qt::CaseInsensitive)) {
        qDebug() << "Get file info fail" << path;
        return false;
    }
    // Only a regular file, read without blocking: a FIFO would hang the run.
    QByteArray bytes;
    switch (readRegularFile(path, kFirmwareMaxSize, bytes)) {
    case ReadResult::Ok:
        break;
    case ReadResult::TooLarge:
        qDebug() << "File size is too big" << path;
        qDebug() << "Get file info fail" << path;
        return false;
    default:
        qDebug() << "Get file info fail" << path;
        return false;
    }
    // Flashing nothing would leave the mouse without firmware.
    if (bytes.isEmpty()) {
        qDebug() << "Get file info fail" << path << "empty";
        return false;
    }
    image = bytes;
    return true;
}

bool FwUpdate::enterUpdateMode()
{
    if (FindHidDevice(m_bootPath)) {
        qDebug() << "EnterUpdateMode" << m_bootPath;
        m_boot = OpenHidDevice(0, 0, m_bootPath);
        return m_boot != nullptr;
    }
    if (!FindHidDevice(m_mousePath))
        return false;
    {
        std::unique_ptr<HidDevice> mouse = OpenHidDevice(FAMILY_A_USAGE_PAGE, FAMILY_A_USAGE, m_mousePath);
        if (!mouse)
            return false;
        QByteArray report;
        buildReceiverReport(QByteArray(1, char(kCmdEnterBootloader)), report);
        // Unasked, the mouse never restarts: waiting for its boot loader
        // would only end in a failure later.
        if (!mouse->write(report)) {
            qDebug("Failed to write data,error code: %d", mouse->lastError());
            return false;
        }
    }
    // The firmware restarts and the boot loader enumerates a while later.
    deviceClock().sleepMs(kRestartWaitMs);
    for (int i = 0; i < kBootPollCount; ++i) {
        deviceClock().sleepMs(kBootPollWaitMs);
        m_boot = OpenHidDevice(0, 0, m_bootPath);
        qDebug("m_hBoot = %x", m_boot ? 1 : 0);
        if (m_boot)
            return true;
    }
    return false;
}

bool FwUpdate::sendPacket(quint32 command, const QByteArray &data)
{
    const quint32 number = g_packetNumber++;
    const QByteArray report = buildIspPacket(command, number, data);
    m_expectedChecksum = byteSum(report, 1, kIspPacketSize);
    qDebug("WriteFile: %08x %08x %08x, gcksum= %x", command, number, readLe32(report, 9), m_expectedChecksum);
    if (!m_boot)
        return false;
    const qint64 start = deviceClock().nowMs();
    if (!m_boot->write(report)) {
        qDebug("Failed to write data,error code: %d", m_boot->lastError());
        m_lastError = DeviceGone;
        return false;
    }
    if (deviceClock().nowMs() - start > kWriteWaitMs) {
        qDebug() << "Timeout[Write PENDING]";
        m_lastError = TimedOut;
        return false;
    }
    return true;
}

bool FwUpdate::receiveAnswer()
{
    if (!m_boot)
        return false;
    const qint64 start = deviceClock().nowMs();
    int strays = 0;
    for (;;) {
        const qint64 left = kReceiveLimitMs - (deviceClock().nowMs() - start);
        if (left <= 0 || strays > kMaxStrayAnswers) {
            m_lastError = TimedOut;
            return false;
        }
        QByteArray answer;
        const int n = m_boot->read(answer, int(left));
        if (n < 0) {
            qDebug() << "Failed to read data,error code:" << m_boot->lastError();
            qDebug() << "GetOverlappedResult error";
            m_lastError = DeviceGone;
            return false;
        }
        if (n == 0)
            continue; // nothing within the time given; the limit decides
        if (answer.size() < kIspReportSize) {
            qDebug() << "Wrong size:" << answer.size();
            ++g_packetNumber;
            m_lastError = ShortAnswer;
            return false;
        }
        quint16 checksum = 0;
        quint32 number = 0;
        parseIspAnswer(answer, checksum, number);
        qDebug("ReadFile: lcksum= %x curPacketNo= %x", checksum, number);
        if (number != g_packetNumber.load()) {
            ++strays; // an answer to something else; keep waiting for ours
            continue;
        }
        ++g_packetNumber;
        if (checksum != m_expectedChecksum) {
            qDebug() << "Checksum error:" << checksum << m_expectedChecksum;
            m_lastError = ChecksumMismatch;
            return false;
        }
        m_lastError = NoError;
        return true;
    }
}

// Whether the bytes [from, from + count) of the image cross the end of the
// program memory (the NUC123's 64 KB when the model did not say).
bool FwUpdate::reachesPastProgramMemory(int from, int count) const
{
    const int end = m_programMemorySize > 0 ? m_programMemorySize : kNuc123ProgramMemorySize;
    return from <= end && from + count > end;
}

bool FwUpdate::updateMemory(quint32 command, quint32 startAddress, const QByteArray &image)
{
    g_packetNumber = 1;
    QByteArray sync(4, '\0');
    putLe32(sync, 0, g_packetNumber.load());
    if (!sendPacket(kIspCmdSyncPacketNo, sync) || !receiveAnswer()) {
        qDebug() << "Send sync packno cmd fail";
        return false;
    }
    qDebug() << "Send sync packno cmd OK";

    const int length = image.size();
    QByteArray first(8, '\0');
    putLe32(first, 0, startAddress);
    putLe32(first, 4, quint32(length));
    first.append(image.left(kIspFirstDataSize));
    qDebug("Need to transfer  %d  bytes", length);
    if (!sendPacket(command, first) || !receiveAnswer())
        return false;

    int sent = qMin(length, kIspFirstDataSize);
    int resends = 0;
    while (sent < length) {
        emit sigPercent(int(sent * 100.0 / length * 0.8));
        const QByteArray chunk = image.mid(sent, kIspDataSize);
        qDebug("Send index %d:  %d bytes", sent, int(chunk.size()));
        qDebug() << "Sending next packets...";
        if (!sendPacket(kIspCmdContinue, chunk))
            return false;
        if (receiveAnswer()) {
            sent += chunk.size();
            resends = 0;
            continue;
        }
        if ((m_lastError != ShortAnswer && m_lastError != ChecksumMismatch) || ++resends > kMaxResends) {
            // Every packet before it went through, so the chip could not
            // read these bytes back: the image does not fit.
            if (m_lastError == ChecksumMismatch && reachesPastProgramMemory(sent, int(chunk.size()))) {
                qDebug() << kImageTooLarge;
                qDebug("failed at byte %d of %d", sent, length);
                m_lastError = ImageTooLarge;
            }
            return false;
        }
        qDebug() << "Resend this packet";
        if (!sendPacket(kIspCmdResend, QByteArray()))
            return false;
        // A spoilt answer to the resend request still means it arrived.
        if (!receiveAnswer() && m_lastError != ShortAnswer && m_lastError != ChecksumMismatch)
            return false;
    }
    return true;
}

void FwUpdate::slotUpdate(const QString &path)
{
    m_lastError = NoError;
    // The file is checked before the mouse leaves its firmware: a file that
    // cannot be flashed must not strand it in the boot loader.
    QByteArray image;
    if (!LoadImage(path, image)) {
        qDebug() << "update fw file failed";
        emit sigUpdateResult(0);
        return;
    }
    if (m_programMemorySize > 0 && image.size() > m_programMemorySize) {
        qDebug() << kImageTooLarge;
        qDebug("image %d bytes, program memory %d bytes", int(image.size()), m_programMemorySize);
        qDebug() << "update fw file failed";
        m_lastError = ImageTooLarge;
        emit sigUpdateResult(0);
        return;
    }
    if (!enterUpdateMode()) {
        qDebug() << " FW no enter updatemode ";
        closeHandles();
        emit sigUpdateResult(0);
        return;
    }
    if (!updateMemory(kIspCmdUpdateAprom, kProgramStart, image)) {
        qDebug() << "update fw file failed";
        closeHandles();
        emit sigUpdateResult(0);
        return;
    }
    qDebug() << "update fw file ok";
    // Without the run packet the mouse stays in its boot loader with the
    // image it received; a later run finds it there and starts again.
    if (!sendPacket(kIspCmdRun, QByteArray())) {
        qDebug() << "update fw file failed: the run packet did not go out";
        closeHandles();
        emit sigUpdateResult(0);
        return;
    }
    closeHandles();
    deviceClock().sleepMs(kRunWaitMs);
    for (int percent = 80; percent <= 100; percent += 5) {
        if (percent > 80)
            deviceClock().sleepMs(kProgressStepMs);
        emit sigPercent(percent);
    }
    emit sigUpdateResult(1);
}
