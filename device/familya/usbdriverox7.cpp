#include "device/familya/usbdriverox7.h"

#include "platform/clock.h"
#include "platform/hidparse.h"
#include "discovery/models.h"

#include <QDebug>
#include <QThread>

#include <atomic>
#include <initializer_list>

using namespace familya;

namespace {
std::atomic<bool> g_debugTraffic{false};

QString hex(quint32 v)
{
    return QString::number(v, 16);
}

QByteArray bytes(std::initializer_list<quint8> list)
{
    QByteArray out;
    for (quint8 b : list)
        out.append(char(b));
    return out;
}
} // namespace

USBDriverOX7::USBDriverOX7(QObject *parent)
    : KorvanUSBDriver(parent)
{
}

USBDriverOX7::~USBDriverOX7()
{
    UnInitDevice();
}

void USBDriverOX7::SetDebugTraffic(bool on)
{
    g_debugTraffic = on;
}

void USBDriverOX7::SetWiredWirelessString(const QString &wiredPath, const QString &wirelessPath)
{
    m_wiredPath = wiredPath;
    m_wirelessPath = wirelessPath;
}

bool USBDriverOX7::FindHIDDevice()
{
    qDebug() << "FindHIDDevice";
    UnInitDevice();
    // The library role is built in; "loading" it cannot fail.
    m_libraryLoaded = true;
    m_currentProfileKnown = false;
    if (m_connectionMode == 0) {
        qDebug() << "DeviceWiredDefault";
        m_handle = OpenHidDevice(FAMILY_A_USAGE_PAGE, FAMILY_A_USAGE, m_wiredPath);
    } else if (m_connectionMode == 1) {
        qDebug() << "DeviceWireless24G";
        m_handle = OpenHidDevice(FAMILY_A_USAGE_PAGE, FAMILY_A_USAGE, m_wirelessPath);
    } else {
        qDebug() << "DeviceWireless error";
    }
    return m_handle != nullptr;
}

void USBDriverOX7::UnInitDevice()
{
    qDebug() << "USBDriverOX7::UnInitDevice()";
    if (m_handle) {
        m_handle.reset();
        qDebug() << "UnInitDevice CloseHandle";
    }
    if (m_libraryLoaded) {
        m_libraryLoaded = false;
        qDebug() << "UnInitDevice FreeLibrary Result" << true;
    }
}

// --- Transport ----------------------------------------------------------------

int USBDriverOX7::writeRaw(const QByteArray &report)
{
    if (g_debugTraffic)
        qDebug() << "Send:" << report.toHex(' ');
    if (!m_handle->write(report)) {
        qDebug("WriteFile Failed, Error Code %d\n", m_handle->lastError());
        return 0;
    }
    return 1;
}

int USBDriverOX7::WriteReport(const QByteArray &command)
{
    QByteArray report;
    if (!m_handle || !buildMouseReport(m_connectionMode, command, report))
        return 0;
    return writeRaw(report);
}

int USBDriverOX7::SendCommandDongle(const QByteArray &command)
{
    QByteArray report;
    if (!m_handle || !buildReceiverReport(command, report))
        return 0;
    return writeRaw(report);
}

int USBDriverOX7::ReadInputReport(QByteArray &buffer, int n)
{
    if (!m_handle || n <= 0 || n > kReportLength || buffer.size() < n)
        return 0;
    unsigned char report[kReportLength] = {};
    report[0] = kReportId;
    int received = 0;
    if (!GetInputReport(m_handle.get(), report, kReportLength, &received)) {
        qDebug("GetInputReport Failed, Error Code %d\n", m_handle->lastError());
        return 0;
    }
    if (g_debugTraffic)
        qDebug() << "Receive:" << QByteArray(reinterpret_cast<const char *>(report), kReportLength).toHex(' ');
    // A cut-off answer would read as zeros; treat it as no answer.
    if (received < qMin(n, kReportLength - 1)) {
        qDebug() << "GetInputReport short answer" << received << n;
        return 0;
    }
    std::copy(report, report + n, buffer.begin());
    return 1;
}

int USBDriverOX7::PollStatus(QByteArray &buffer, int n)
{
    for (int i = 0; i < kPollCount; ++i) {
        deviceClock().sleepMs(kPollIntervalMs);
        if (!m_handle || n <= 0 || n > kReportLength || buffer.size() < n)
            continue;
        if (!ReadInputReport(buffer, n))
            continue;
        const quint8 status = quint8(buffer[0]);
        if (status == kStatusFailed)
            return 0;
        if (status == kStatusDone)
            return 1;
    }
    return 2;
}

int USBDriverOX7::Transact(QByteArray &buffer, int writeLength, int readLength)
{
    if (writeLength <= 0 || readLength <= 0 || readLength > kReportLength || buffer.size() < writeLength
        || buffer.size() < readLength)
        return 0;
    const QByteArray command = buffer.left(writeLength);
    buffer[0] = char(kStatusFailed);
    for (int attempt = 0; attempt < kAttemptCount; ++attempt) {
        const quint8 status = quint8(buffer[0]);
        qDebug() << "ReapeatCount:" << attempt << status << kAttemptCount;
        if (status == kStatusFailed) {
            qDebug("write func: %d", quint8(command[0]));
            if (!WriteReport(command)) {
                qDebug() << "wFunc error";
                continue;
            }
        } else if (status != kStatusBusy) {
            continue;
        }
        if (PollStatus(buffer, readLength) == 1)
            return 1;
    }
    return quint8(buffer[0]) == kStatusDone ? 1 : 0;
}

int USBDriverOX7::singleCommand(const QByteArray &command, int readLength, QByteArray &answer)
{
    answer = command;
    answer.resize(qMax(kReportLength, command.size()));
    return Transact(answer, command.size(), readLength);
}

// --- Commands -------------------------------------------------------------------

int USBDriverOX7::SetCurrentProfile(quint8 profile)
{
    QByteArray answer;
    if (!singleCommand(bytes({kCmdSetProfile, profile}), 1, answer))
        return 0;
    m_currentProfile = profile;
    m_currentProfileKnown = true;
    return 1;
}

int USBDriverOX7::GetCurrentProfile(quint8 &profile)
{
    QByteArray answer;
    if (!singleCommand(bytes({kCmdGetProfile, 0}), 2, answer))
        return 0;
    profile = quint8(answer[1]);
    m_currentProfile = profile;
    m_currentProfileKnown = true;
    return 1;
}

int USBDriverOX7::GetFirmwareVersion(quint32 &version)
{
    QByteArray answer;
    if (!singleCommand(bytes({kCmdFirmwareVersion, 0}), 5, answer))
        return 0;
    qDebug() << QStringLiteral("version: %1 %2 %3 %4")
                    .arg(quint8(answer[1]))
                    .arg(quint8(answer[2]))
                    .arg(quint8(answer[3]))
                    .arg(quint8(answer[4]));
    version = readLe32(answer, 1);
    return 1;
}

int USBDriverOX7::ReadWorkMode()
{
    QByteArray answer;
    return singleCommand(QByteArray(1, char(kCmdWorkMode)), 1, answer);
}

int USBDriverOX7::EnterBootloader()
{
    QByteArray answer;
    return singleCommand(QByteArray(1, char(kCmdEnterBootloader)), 1, answer);
}

int USBDriverOX7::ReadStatusWord(quint16 &value)
{
    QByteArray answer;
    if (!singleCommand(QByteArray(1, char(kCmdStatusWord)), 3, answer))
        return 0;
    value = readLe16(answer, 1);
    return 1;
}

int USBDriverOX7::ReadStatusDword(quint32 &value)
{
    QByteArray answer;
    if (!singleCommand(QByteArray(1, char(kCmdBattery)), 5, answer))
        return 0;
    value = readLe32(answer, 1);
    return 1;
}

int USBDriverOX7::SendByteCommand(quint8 value)
{
    QByteArray answer;
    return singleCommand(bytes({kCmdByte, value}), 1, answer);
}

int USBDriverOX7::QuickStatusRead(quint16 &value)
{
    if (!WriteReport(QByteArray(1, char(kCmdBattery))))
        return 0;
    QByteArray buffer(kReportLength, '\0');
    // Every read is looked at, the last one included.
    for (int i = 0; i < kQuickReadCount; ++i) {
        deviceClock().sleepMs(kPollIntervalMs);
        if (!ReadInputReport(buffer, 4))
            continue;
        if (quint8(buffer[0]) == kStatusDone) {
            value = readLe16(buffer, 1);
            return 1;
        }
    }
    return 0;
}

// --- Memory ---------------------------------------------------------------------

int USBDriverOX7::ReadEEPROM(quint32 address, int length, QByteArray &out)
{
    qDebug("ReadEEPROM %x", address);
    if (length <= 0 || (address < kWordAlignedLimit && length % 4 != 0)
        || quint64(address) + quint64(length) > 0x100000000ULL)
        return 0;
    QByteArray result(length, '\0');
    int done = 0;
    quint32 addr = address;
    QByteArray buffer;
    while (length - done >= kChunkSize) {
        buffer = readMemoryCommand(addr, kChunkSize);
        buffer.resize(kReportLength);
        if (!Transact(buffer, 6, kChunkSize + 4)) {
            const QString text = QString::asprintf("ReadEEPROM Failed, FW return 0, Addr=%x, bytestoread=%d", addr,
                                                   kChunkSize);
            qDebug().noquote() << text;
            emit sigMsg(text);
            return 0;
        }
        std::copy(buffer.cbegin() + 4, buffer.cbegin() + 4 + kChunkSize, result.begin() + done);
        emit sigMsg(QStringLiteral("ReadEEPROM OK, Addr=%1, bytestoread=%2").arg(hex(addr)).arg(kChunkSize));
        addr += kChunkSize;
        done += kChunkSize;
    }
    const int rest = length - done;
    if (rest > 0) {
        buffer = readMemoryCommand(addr, rest);
        buffer.resize(kReportLength);
        if (!Transact(buffer, 6, rest + 4)) {
            const QString text = QString::asprintf("ReadEEPROM Failed, FW return 0, Addr=%x, BytesOfRest=%d", addr, rest);
            qDebug().noquote() << text;
            emit sigMsg(text);
            return 0;
        }
        std::copy(buffer.cbegin() + 4, buffer.cbegin() + 4 + rest, result.begin() + done);
        emit sigMsg(QStringLiteral("ReadEEPROM OK, Addr=%1, bytestoread=%2").arg(hex(addr)).arg(rest));
    }
    out = result;
    return 1;
}

int USBDriverOX7::WriteEEPROM(quint32 address, const QByteArray &data)
{
    qDebug("WriteEEPROM %x", address);
    const int length = data.size();
    if (length <= 0 || (address < kWordAlignedLimit && length % 4 != 0)
        || quint64(address) + quint64(length) > 0x100000000ULL)
        return 0;
    int done = 0;
    quint32 addr = address;
    QByteArray buffer;
    while (length - done >= kChunkSize) {
        buffer = writeMemoryCommand(addr, data.mid(done, kChunkSize));
        buffer.resize(kReportLength);
        if (!Transact(buffer, 6 + kChunkSize, 1)) {
            qDebug("WriteEEPROM Failed, Addr=%x, bytestowrite=%d\n", addr, kChunkSize);
            emit sigMsg(QStringLiteral("WriteEEPROM Failed,Addr=%1, bytestowrite=%2 error = %3\n")
                            .arg(hex(addr))
                            .arg(kChunkSize)
                            .arg(m_handle ? m_handle->lastError() : 0));
            return 0;
        }
        addr += kChunkSize;
        done += kChunkSize;
        emit sigMsg(QStringLiteral("WriteEEPROM OK, dwAddr= %1, BytesOfRest= %2\n").arg(hex(addr)).arg(length - done));
    }
    const int rest = length - done;
    if (rest > 0) {
        buffer = writeMemoryCommand(addr, data.mid(done, rest));
        buffer.resize(kReportLength);
        if (!Transact(buffer, 6 + rest, 1)) {
            emit sigMsg(QStringLiteral("WriteEEPROM Failed, Addr=%1, bytestowrite=%2 error = %3 Cmd=%4\n")
                            .arg(hex(addr))
                            .arg(rest)
                            .arg(m_handle ? m_handle->lastError() : 0)
                            .arg(quint8(buffer[0])));
            qDebug("WriteEEPROM Failed, Addr=%x, bytestowrite=%d\n", addr, rest);
            return 0;
        }
        emit sigMsg(QStringLiteral("WriteEEPROM OK, dwAddr= %1, bytestowrite= %2,\n").arg(hex(addr)).arg(rest));
    }
    return 1;
}

bool USBDriverOX7::slotBase(int slot, quint32 &base)
{
    if (slot != 0 && slot != 1)
        return false;
    base = quint32(slot) * kSlotSize;
    return true;
}

int USBDriverOX7::ReadMemory(QByteArray &out, int length, int slot)
{
    if (slot != 0 && slot != 1)
        return 0;
    return ReadEEPROM(quint32(slot + 1) * kSlotSize, length, out);
}

int USBDriverOX7::WriteMemory(const QByteArray &data, int slot)
{
    if ((slot != 0 && slot != 1) || data.size() > kReportLength)
        return 0;
    return WriteEEPROM(quint32(slot + 1) * kSlotSize, data);
}

int USBDriverOX7::ReadMemoryAt(QByteArray &out, int length, int slot, int offset)
{
    if (slot < 0 || offset < 0)
        return 0;
    return ReadEEPROM(quint32(slot) * kSlotSize + quint32(offset), length, out);
}

int USBDriverOX7::WriteMemoryAt(const QByteArray &data, int slot, int offset)
{
    if (slot < 0 || offset < 0)
        return 0;
    return WriteEEPROM(quint32(slot) * kSlotSize + quint32(offset), data);
}

int USBDriverOX7::ReadButton(int button, quint32 &word, int slot)
{
    const int offset = buttonBlockOffset(button);
    if (offset < 0 || (slot != 1 && slot != 2))
        return 0;
    return readWord(quint32(slot) * kSlotSize + kButtonBlockOffset + quint32(offset), word);
}

int USBDriverOX7::WriteButton(int button, quint32 word, int slot)
{
    const int offset = buttonBlockOffset(button);
    if (offset < 0 || (slot != 0 && slot != 1))
        return 0;
    return writeWord(quint32(slot) * kSlotSize + kButtonBlockOffset + quint32(offset), word);
}

int USBDriverOX7::GetMousePid(QByteArray &twoBytes)
{
    qDebug() << "GetMousePid";
    QByteArray word;
    if (!ReadEEPROM(kProductIdAddress, 4, word))
        return 0;
    twoBytes = word.left(2);
    return 1;
}

int USBDriverOX7::readWord(quint32 address, quint32 &word)
{
    QByteArray bytes;
    if (!ReadEEPROM(address, 4, bytes))
        return 0;
    word = readLe32(bytes, 0);
    return 1;
}

int USBDriverOX7::writeWord(quint32 address, quint32 word)
{
    QByteArray bytes(4, '\0');
    putLe32(bytes, 0, word);
    return WriteEEPROM(address, bytes);
}

int USBDriverOX7::readWordByte(quint32 address, int index, quint8 &value)
{
    quint32 word = 0;
    if (index < 0 || index > 3 || !readWord(address, word))
        return 0;
    value = buttonWordByte(word, index);
    return 1;
}

int USBDriverOX7::writeWordByte(quint32 address, int index, quint8 value)
{
    quint32 word = 0;
    if (index < 0 || index > 3 || !readWord(address, word))
        return 0;
    word = (word & ~(0xFFu << (8 * index))) | (quint32(value) << (8 * index));
    return writeWord(address, word);
}

// --- Settings words -------------------------------------------------------------

int USBDriverOX7::GetReportInterval(quint32 &value, int slot)
{
    quint32 base = 0;
    return slotBase(slot, base) && readWord(base + kReportIntervalOffset, value);
}

int USBDriverOX7::SetReportInterval(quint32 value, int slot)
{
    quint32 base = 0;
    return slotBase(slot, base) && writeWord(base + kReportIntervalOffset, value);
}

int USBDriverOX7::GetSilentHeightWord(quint32 &value, int slot)
{
    quint32 base = 0;
    return slotBase(slot, base) && readWord(base + kSilentHeightOffset, value);
}

int USBDriverOX7::SetSilentHeightWord(quint32 value, int slot)
{
    quint32 base = 0;
    return slotBase(slot, base) && writeWord(base + kSilentHeightOffset, value);
}

int USBDriverOX7::GetCpiMatrix(QByteArray &matrix, int slot)
{
    quint32 base = 0;
    return slotBase(slot, base) && ReadEEPROM(base + kCpiMatrixOffset, kCpiMatrixSize, matrix);
}

int USBDriverOX7::SetCpiMatrix(const QByteArray &matrix, int slot)
{
    quint32 base = 0;
    if (matrix.size() != kCpiMatrixSize || !slotBase(slot, base))
        return 0;
    // Bytes 14..15 overlap the stage word; keep the stored stage index.
    quint8 stageIndex = 0;
    if (!readWordByte(workingAddress(kCpiStageOffset), 2, stageIndex))
        return 0;
    QByteArray block = matrix;
    block[14] = char(stageIndex);
    block[15] = 0;
    return WriteEEPROM(base + kCpiMatrixOffset, block);
}

int USBDriverOX7::GetCpiStageCount(int &value, int slot)
{
    quint32 base = 0;
    quint8 b = 0;
    if (!slotBase(slot, base) || !readWordByte(base + kCpiStageOffset, 2, b))
        return 0;
    value = b;
    return 1;
}

int USBDriverOX7::SetCpiStageCount(int value)
{
    if (value < 0 || value > 0xFF)
        return 0;
    return writeWordByte(workingAddress(kCpiStageOffset), 2, quint8(value));
}

int USBDriverOX7::GetDpiLedRateLightIntensity(quint32 &word, int slot)
{
    qDebug() << "GetDpiLedRateLightIntensity";
    quint32 base = 0;
    return slotBase(slot, base) && readWord(base + kLightWordOffset, word);
}

int USBDriverOX7::GetDpiLedRateLightIntensityByte(int index, quint8 &value, int slot)
{
    quint32 base = 0;
    return slotBase(slot, base) && readWordByte(base + kLightWordOffset, index, value);
}

int USBDriverOX7::SetDpiLedRateLightIntensity(quint32 word)
{
    return writeWord(workingAddress(kLightWordOffset), word);
}

int USBDriverOX7::SetDpiLedRateLightIntensityByte(int index, quint8 value)
{
    return writeWordByte(workingAddress(kLightWordOffset), index, value);
}

int USBDriverOX7::GetOledWord(quint32 &word, int slot)
{
    quint32 base = 0;
    return slotBase(slot, base) && readWord(base + kOledWordOffset, word);
}

int USBDriverOX7::SetOledWord(quint32 word, int slot)
{
    quint32 base = 0;
    return slotBase(slot, base) && writeWord(base + kOledWordOffset, word);
}

int USBDriverOX7::GetOledWordByte(int index, quint8 &value, int slot)
{
    quint32 base = 0;
    return slotBase(slot, base) && readWordByte(base + kOledWordOffset, index, value);
}

int USBDriverOX7::SetOledWordByte(int index, quint8 value, int slot)
{
    quint32 base = 0;
    return slotBase(slot, base) && writeWordByte(base + kOledWordOffset, index, value);
}

int USBDriverOX7::GetDisplayValue(quint32 &word)
{
    return readWord(workingAddress(kDisplayValueOffset), word);
}

int USBDriverOX7::SetDisplayValue(quint32 word)
{
    return writeWord(workingAddress(kDisplayValueOffset), word);
}

int USBDriverOX7::GetDisplayParam(int index, quint8 &value, int slot)
{
    quint32 base = 0;
    if (index < 0 || index >= kDisplayParamCount || !slotBase(slot, base))
        return 0;
    return readWordByte(base + kDisplayParamsOffset + quint32(index / 4) * 4, index % 4, value);
}

int USBDriverOX7::SetDisplayParam(int index, quint8 value)
{
    if (index < 0 || index >= kDisplayParamCount)
        return 0;
    return writeWordByte(workingAddress(kDisplayParamsOffset) + quint32(index / 4) * 4, index % 4, value);
}

int USBDriverOX7::GetOledBehaviourWord(quint32 &word, int slot)
{
    quint32 base = 0;
    return slotBase(slot, base) && readWord(base + kOledBehaviourOffset, word);
}

int USBDriverOX7::SetOledBehaviourWord(quint32 word)
{
    return writeWord(workingAddress(kOledBehaviourOffset), word);
}

int USBDriverOX7::GetDisplayWord(quint32 offset, quint32 &word, int slot)
{
    quint32 base = 0;
    if ((offset != kDisplayWord4B0Offset && offset != kDisplayWord4B4Offset) || !slotBase(slot, base))
        return 0;
    return readWord(base + offset, word);
}

int USBDriverOX7::SetDisplayWord(quint32 offset, quint32 word, int slot)
{
    quint32 base = 0;
    if ((offset != kDisplayWord4B0Offset && offset != kDisplayWord4B4Offset) || !slotBase(slot, base))
        return 0;
    return writeWord(base + offset, word);
}

int USBDriverOX7::GetLedColorMatrixAll(QList<quint32> &entries, int count, int slot)
{
    quint32 base = 0;
    if (count <= 0 || count > kLedMatrixMaxEntries || !slotBase(slot, base))
        return 0;
    qDebug("GetLedColorMatrixAll %x", base + kLedMatrixOffset);
    QByteArray bytes;
    if (!ReadEEPROM(base + kLedMatrixOffset, 4 * count, bytes))
        return 0;
    entries.clear();
    for (int i = 0; i < count; ++i)
        entries.append(readLe32(bytes, 4 * i));
    return 1;
}

int USBDriverOX7::GetLedColorMatrixEntry(int byteOffset, quint32 &entry, int slot)
{
    quint32 base = 0;
    if (byteOffset < 0 || byteOffset % 4 != 0 || byteOffset >= 4 * kLedMatrixMaxEntries || !slotBase(slot, base))
        return 0;
    return readWord(base + kLedMatrixOffset + quint32(byteOffset), entry);
}

int USBDriverOX7::SetLedColorMatrixAll(const QList<quint32> &entries)
{
    if (entries.isEmpty() || entries.size() > kLedMatrixMaxEntries)
        return 0;
    qDebug("SetLedColorMatrixAll %x", workingAddress(kLedMatrixOffset));
    QByteArray bytes(4 * entries.size(), '\0');
    for (int i = 0; i < entries.size(); ++i)
        putLe32(bytes, 4 * i, entries[i]);
    return WriteEEPROM(workingAddress(kLedMatrixOffset), bytes);
}

int USBDriverOX7::SetLedColorMatrixEntry(int byteOffset, quint32 entry)
{
    if (byteOffset < 0 || byteOffset % 4 != 0 || byteOffset >= 4 * kLedMatrixMaxEntries)
        return 0;
    return writeWord(workingAddress(kLedMatrixOffset) + quint32(byteOffset), entry);
}

// --- Profile record ---------------------------------------------------------------

int USBDriverOX7::GetProfileData(QByteArray &record)
{
    qDebug() << "USBDriverOX7 GetProfileData currentThreadId" << QThread::currentThreadId();
    qDebug() << "USBDriverOX7::GetProfileData";
    if (record.size() != kRecordSize)
        return 0;
    quint8 profile = 0;
    // The blocks are read from the current profile's slot, so it must be known.
    if (!GetCurrentProfile(profile) || profile > 2)
        return 0;
    putLe32(record, kRecordProfileOffset, profile);
    quint16 statusWord = 0;
    if (ReadStatusWord(statusWord))
        putLe16(record, kRecordStatusWordOffset, statusWord);
    quint32 battery = 0;
    if (ReadStatusDword(battery))
        putLe32(record, kRecordBatteryOffset, battery);
    const quint32 base = quint32(profile) * kSlotSize;
    QByteArray buttons;
    QByteArray settings;
    if (!ReadEEPROM(base + kButtonBlockOffset, kButtonBlockSize, buttons)
        || !ReadEEPROM(base + kSettingsOffset, kSettingsSize, settings))
        return 0;
    std::copy(buttons.cbegin(), buttons.cend(), record.begin() + kRecordButtonsOffset);
    std::copy(settings.cbegin(), settings.cend(), record.begin() + kRecordSettingsOffset);
    return 1;
}

int USBDriverOX7::SetProfileData(const QByteArray &record)
{
    qDebug() << " USBDriverOX7 SetProfileData currentThreadId" << QThread::currentThreadId();
    if (record.size() != kRecordSize)
        return 0;
    if (!m_currentProfileKnown) {
        quint8 profile = 0;
        if (!GetCurrentProfile(profile))
            return 0;
    }
    if (m_currentProfile > 2)
        return 0;
    if (!WriteEEPROM(workingAddress(kButtonBlockOffset), record.mid(kRecordButtonsOffset, kButtonBlockSize))
        || !WriteEEPROM(quint32(m_currentProfile) * kSlotSize + kSettingsOffset,
                        record.mid(kRecordSettingsOffset, kSettingsSize)))
        return 0;
    emit sigWriteIntoMouseSucced();
    return 1;
}

// --- Receiver commands ------------------------------------------------------------------

int USBDriverOX7::SendCommandDongleWithAck(const QByteArray &command)
{
    if (!SendCommandDongle(command)) {
        qDebug() << "SendCommandDONGLE write Failed";
        return 0;
    }
    QByteArray answer(2, '\0');
    for (int i = 0; i < kDongleAckCount; ++i) {
        deviceClock().sleepMs(kDongleAckIntervalMs);
        if (ReadInputReport(answer, 2) && quint8(answer[0]) == kStatusDone) {
            qDebug() << "GetCommand ACK == 1 OK";
            return 1;
        }
    }
    qDebug() << "GetCommand ACK != 1 Failed";
    return 0;
}

int USBDriverOX7::ReadWorkModel(int &mode)
{
    if (!SendCommandDongle(dongleWorkModeCommand())) {
        qDebug() << "readWorkModel failed";
        return 0;
    }
    QByteArray answer(2, '\0');
    for (int i = 0; i < kDongleAckCount; ++i) {
        deviceClock().sleepMs(kDongleAckIntervalMs);
        if (ReadInputReport(answer, 2) && quint8(answer[0]) == kStatusDone) {
            mode = quint8(answer[1]);
            return 1;
        }
    }
    qDebug() << "readWorkModel failed";
    return 0;
}
