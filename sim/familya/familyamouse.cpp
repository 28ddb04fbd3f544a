#include "sim/familya/familyamouse.h"

#include "platform/clock.h"
#include "sim/familya/familyadefaults.h"
#include "discovery/models.h"
#include "sim/familya/nucispbootloader.h"
#include "sim/statefile.h"

#include <QMutexLocker>

namespace {

// Command bytes of the mouse form.
constexpr quint8 kTargetCable = 0xFF;
constexpr quint8 kSetProfile = 0xA1;
constexpr quint8 kGetProfile = 0xA2;
constexpr quint8 kGetVersion = 0xA3;
constexpr quint8 kReadMemory = 0xA4;
constexpr quint8 kWriteMemory = 0xA5;
constexpr quint8 kWorkMode = 0xA7;
constexpr quint8 kRestart = 0xA8;
constexpr quint8 kValueA9 = 0xA9;
constexpr quint8 kBattery = 0xAA;
constexpr quint8 kCommandAB = 0xAB;

constexpr int kCommandBytes = FAMILY_A_REPORT_LENGTH - 2; // after id and target
constexpr int kCommandLogLimit = 4096;
constexpr quint32 kProductIdAddress = 4;
constexpr quint8 kProfileCount = 2;

// Layout of a saved state: a 32-byte header, then the memory.
constexpr char kStateMagic[8] = {'O', 'X', '8', 'S', 'I', 'M', 'F', 'A'};
constexpr quint32 kStateFormat = 1;
constexpr int kStateHeaderSize = 32;
constexpr int kStateSize = kStateHeaderSize + FamilyAMouse::kMemorySize;

quint8 byteAt(const QByteArray &b, int i)
{
    return i >= 0 && i < b.size() ? quint8(b.at(i)) : 0;
}

quint32 le32(const QByteArray &b, int i)
{
    return quint32(byteAt(b, i)) | quint32(byteAt(b, i + 1)) << 8
        | quint32(byteAt(b, i + 2)) << 16 | quint32(byteAt(b, i + 3)) << 24;
}

quint16 le16(const QByteArray &b, int i)
{
    return quint16(byteAt(b, i) | byteAt(b, i + 1) << 8);
}

void putLe(QByteArray &out, quint64 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

bool rangeInside(quint32 address, int length)
{
    return length >= 0 && quint64(address) + quint64(length) <= quint64(FamilyAMouse::kMemorySize);
}

} // namespace

std::shared_ptr<FamilyAMouse> FamilyAMouse::create(int mouseType)
{
    if (!isFamilyA(mouseType) || !modelForType(mouseType))
        return nullptr;
    return std::make_shared<FamilyAMouse>(mouseType, Key());
}

std::shared_ptr<FamilyAMouse> FamilyAMouse::createFromState(const QByteArray &state)
{
    if (state.size() < kStateHeaderSize)
        return nullptr;
    std::shared_ptr<FamilyAMouse> mouse = create(int(le32(state, 12)));
    if (!mouse || !mouse->loadState(state))
        return nullptr;
    return mouse;
}

FamilyAMouse::FamilyAMouse(int mouseType, Key)
    : FamilyAEndpoint(modelForType(mouseType)->wiredPid,
                      QStringLiteral("KORVAN %1").arg(QLatin1String(modelForType(mouseType)->name)))
    , m_type(mouseType)
    , m_memory(kMemorySize, char(0xFF))
{
    // Identity area: zeros and the cable's product id.
    m_memory.replace(0, int(kWritableFrom), QByteArray(int(kWritableFrom), '\0'));
    const quint16 pid = modelForType(mouseType)->wiredPid;
    m_memory[kProductIdAddress] = char(pid & 0xFF);
    m_memory[kProductIdAddress + 1] = char(pid >> 8);

    const QByteArray record = FamilyADefaults::profileRecord(mouseType);
    const QByteArray buttons = record.mid(FamilyADefaults::kButtonOffset, FamilyADefaults::kButtonSize);
    const QByteArray settings = record.mid(FamilyADefaults::kSettingsOffset, FamilyADefaults::kSettingsSize);
    for (quint32 slot = 0; slot < kProfileCount; ++slot) {
        m_memory.replace(int(slot * 0x400 + 0x200), buttons.size(), buttons);
        m_memory.replace(int(slot * 0x400 + 0x480), settings.size(), settings);
    }
    m_profile = byteAt(record, 0);
    m_a9 = le16(record, 8);
    m_batteryReading = le32(record, 12);
}

FamilyAMouse::~FamilyAMouse() = default;

quint16 FamilyAMouse::wiredProductId() const
{
    return modelForType(m_type)->wiredPid;
}

QByteArray FamilyAMouse::memory(quint32 address, int length) const
{
    QMutexLocker locker(&lock());
    if (!rangeInside(address, length))
        return QByteArray();
    return m_memory.mid(int(address), length);
}

bool FamilyAMouse::setMemory(quint32 address, const QByteArray &bytes)
{
    QMutexLocker locker(&lock());
    if (!rangeInside(address, bytes.size()))
        return false;
    m_memory.replace(int(address), bytes.size(), bytes);
    return true;
}

quint8 FamilyAMouse::currentProfile() const
{
    QMutexLocker locker(&lock());
    return m_profile;
}

void FamilyAMouse::setCurrentProfile(quint8 profile)
{
    QMutexLocker locker(&lock());
    m_profile = profile;
}

quint32 FamilyAMouse::firmwareVersion() const
{
    QMutexLocker locker(&lock());
    return m_version;
}

void FamilyAMouse::setFirmwareVersion(quint32 version)
{
    QMutexLocker locker(&lock());
    m_version = version;
}

quint16 FamilyAMouse::valueA9() const
{
    QMutexLocker locker(&lock());
    return m_a9;
}

void FamilyAMouse::setValueA9(quint16 value)
{
    QMutexLocker locker(&lock());
    m_a9 = value;
}

quint32 FamilyAMouse::batteryWord() const
{
    // Models that report their battery in percent (the OX7 from firmware
    // 30 on) give a percentage; the others a raw reading from the record.
    constexpr quint32 kPercent = 85;
    if (m_batterySet)
        return m_battery;
    return reportsBatteryPercent(m_type, int(m_version)) ? kPercent : m_batteryReading;
}

quint32 FamilyAMouse::batteryValue() const
{
    QMutexLocker locker(&lock());
    return batteryWord();
}

void FamilyAMouse::setBatteryValue(quint32 value)
{
    QMutexLocker locker(&lock());
    m_battery = value;
    m_batterySet = true;
}

quint8 FamilyAMouse::lastAbValue() const
{
    QMutexLocker locker(&lock());
    return m_ab;
}

void FamilyAMouse::setPoweredOn(bool on)
{
    QMutexLocker locker(&lock());
    m_poweredOn = on;
}

bool FamilyAMouse::isPoweredOn() const
{
    QMutexLocker locker(&lock());
    return m_poweredOn;
}

void FamilyAMouse::setRestartDelayMs(int ms)
{
    QMutexLocker locker(&lock());
    m_restartDelayMs = qMax(0, ms);
}

void FamilyAMouse::setProgramMemorySize(int bytes)
{
    QMutexLocker locker(&lock());
    m_programMemorySize = qMax(0, bytes);
}

bool FamilyAMouse::inBootloader() const
{
    QMutexLocker locker(&lock());
    return m_inBootloader;
}

std::shared_ptr<NucIspBootloader> FamilyAMouse::bootloader() const
{
    QMutexLocker locker(&lock());
    return m_bootloader.lock();
}

QByteArray FamilyAMouse::flashedImage() const
{
    QMutexLocker locker(&lock());
    return m_flashedImage;
}

int FamilyAMouse::flashCount() const
{
    QMutexLocker locker(&lock());
    return m_flashCount;
}

int FamilyAMouse::commandCount(quint8 command) const
{
    QMutexLocker locker(&lock());
    return m_commandCounts[command];
}

int FamilyAMouse::memoryWrites() const
{
    QMutexLocker locker(&lock());
    return m_memoryWrites;
}

int FamilyAMouse::memoryWriteBytes() const
{
    QMutexLocker locker(&lock());
    return m_memoryWriteBytes;
}

QVector<QByteArray> FamilyAMouse::commandLog() const
{
    QMutexLocker locker(&lock());
    return m_commandLog;
}

void FamilyAMouse::resetCounters()
{
    QMutexLocker locker(&lock());
    m_commandCounts.fill(0);
    m_memoryWrites = 0;
    m_memoryWriteBytes = 0;
    m_commandLog.clear();
    resetTransferCounters();
}

void FamilyAMouse::note(const QByteArray &command)
{
    QByteArray c = command.left(kCommandBytes);
    c.append(QByteArray(kCommandBytes - c.size(), '\0'));
    ++m_commandCounts[byteAt(c, 0)];
    if (m_commandLog.size() >= kCommandLogLimit)
        m_commandLog.removeFirst();
    m_commandLog.append(c);
}

void FamilyAMouse::noteReport(const QByteArray &report)
{
    // The receiver-form restart carries its command byte where the mouse
    // form has the target.
    if (byteAt(report, 1) == kRestart)
        note(report.mid(1));
    else
        note(report.mid(2));
}

FamilyAAnswer FamilyAMouse::handleReport(const QByteArray &report)
{
    const quint8 target = byteAt(report, 1);
    if (target == kTargetCable)
        return execute(report.mid(2), Path::Cable);
    if (target == kRestart) {
        restartIntoBootloader();
        return FamilyAAnswer::done();
    }
    // 0xA5 belongs to a receiver; a mouse on its cable refuses it.
    return FamilyAAnswer::failed();
}

FamilyAAnswer FamilyAMouse::receiveOverTheAir(const QByteArray &command)
{
    QMutexLocker locker(&lock());
    if (!m_poweredOn || m_inBootloader)
        return FamilyAAnswer::none();
    note(command);
    return execute(command, Path::Air);
}

FamilyAAnswer FamilyAMouse::execute(const QByteArray &command, Path path)
{
    switch (byteAt(command, 0)) {
    case kSetProfile: {
        const quint8 profile = byteAt(command, 1);
        if (profile >= kProfileCount)
            return FamilyAAnswer::failed();
        m_profile = profile;
        return FamilyAAnswer::done();
    }
    case kGetProfile:
        return FamilyAAnswer::done(QByteArray(1, char(m_profile)));
    case kGetVersion: {
        QByteArray r;
        putLe(r, m_version, 4);
        return FamilyAAnswer::done(r);
    }
    case kReadMemory:
        return readMemory(command);
    case kWriteMemory:
        return writeMemory(command);
    case kWorkMode:
        return FamilyAAnswer::done();
    case kRestart:
        // A firmware update needs the cable: over the air there is no USB
        // boot loader to come back as.
        if (path == Path::Air)
            return FamilyAAnswer::failed();
        restartIntoBootloader();
        return FamilyAAnswer::done();
    case kValueA9: {
        QByteArray r;
        putLe(r, m_a9, 2);
        return FamilyAAnswer::done(r);
    }
    case kBattery: {
        QByteArray r;
        putLe(r, batteryWord(), 4);
        return FamilyAAnswer::done(r);
    }
    case kCommandAB:
        m_ab = byteAt(command, 1);
        return FamilyAAnswer::done();
    default:
        return FamilyAAnswer::failed();
    }
}

FamilyAAnswer FamilyAMouse::readMemory(const QByteArray &command) const
{
    const int count = byteAt(command, 1);
    const quint32 address = le32(command, 2);
    if (count < 1 || count > kMaxTransfer || !rangeInside(address, count))
        return FamilyAAnswer::failed();
    // Bytes 1..3: the count and the low half of the address, then the data.
    QByteArray r;
    r.append(char(count));
    putLe(r, address & 0xFFFF, 2);
    r.append(m_memory.mid(int(address), count));
    return FamilyAAnswer::done(r);
}

FamilyAAnswer FamilyAMouse::writeMemory(const QByteArray &command)
{
    const int count = byteAt(command, 1);
    const quint32 address = le32(command, 2);
    if (count < 1 || count > kMaxTransfer || address < kWritableFrom || !rangeInside(address, count)
        || command.size() < 6 + count)
        return FamilyAAnswer::failed();
    m_memory.replace(int(address), count, command.mid(6, count));
    ++m_memoryWrites;
    m_memoryWriteBytes += count;
    return FamilyAAnswer::done();
}

void FamilyAMouse::restartIntoBootloader()
{
    EmulatedHidBus *bus = this->bus();
    if (!bus || m_inBootloader)
        return;
    std::shared_ptr<NucIspBootloader> boot = NucIspBootloader::create(m_type, shared_from_this());
    if (!boot)
        return;
    if (m_programMemorySize > 0)
        boot->setProgramMemorySize(m_programMemorySize);
    m_bootloader = boot;
    m_inBootloader = true;
    bus->unplug(this);
    bus->plug(boot, deviceClock().nowMs() + m_restartDelayMs);
}

void FamilyAMouse::leaveBootloader(bool flashed, const QByteArray &image, quint32 newVersion,
                                   bool changeVersion)
{
    QMutexLocker locker(&lock());
    m_inBootloader = false;
    if (flashed) {
        m_flashedImage = image;
        ++m_flashCount;
        if (changeVersion)
            m_version = newVersion;
    }
    resetHandshake();
}

QByteArray FamilyAMouse::saveState() const
{
    QMutexLocker locker(&lock());
    QByteArray out;
    out.reserve(kStateSize);
    out.append(kStateMagic, sizeof(kStateMagic));
    putLe(out, kStateFormat, 4);
    putLe(out, quint32(m_type), 4);
    putLe(out, quint32(kMemorySize), 4);
    putLe(out, m_profile, 1);
    putLe(out, m_version, 4);
    putLe(out, m_a9, 2);
    putLe(out, batteryWord(), 4);
    putLe(out, m_ab, 1);
    Q_ASSERT(out.size() == kStateHeaderSize);
    out.append(m_memory);
    return out;
}

bool FamilyAMouse::parseState(const QByteArray &state, QByteArray &memory, quint8 &profile,
                              quint32 &version, quint16 &a9, quint32 &battery, quint8 &ab) const
{
    if (state.size() != kStateSize)
        return false;
    if (state.left(sizeof(kStateMagic)) != QByteArray(kStateMagic, sizeof(kStateMagic)))
        return false;
    if (le32(state, 8) != kStateFormat || le32(state, 12) != quint32(m_type)
        || le32(state, 16) != quint32(kMemorySize))
        return false;
    profile = byteAt(state, 20);
    if (profile >= kProfileCount)
        return false;
    version = le32(state, 21);
    a9 = le16(state, 25);
    battery = le32(state, 27);
    ab = byteAt(state, 31);
    memory = state.mid(kStateHeaderSize);
    return memory.size() == kMemorySize;
}

bool FamilyAMouse::loadState(const QByteArray &state)
{
    QByteArray memory;
    quint8 profile = 0;
    quint32 version = 0;
    quint16 a9 = 0;
    quint32 battery = 0;
    quint8 ab = 0;
    QMutexLocker locker(&lock());
    if (!parseState(state, memory, profile, version, a9, battery, ab))
        return false;
    m_memory = memory;
    m_profile = profile;
    m_version = version;
    m_a9 = a9;
    // A word that is what the model would answer anyway keeps following the
    // firmware version.
    m_batterySet = false;
    m_battery = battery;
    m_batterySet = battery != batteryWord();
    m_ab = ab;
    return true;
}

bool FamilyAMouse::saveStateToFile(const QString &path) const
{
    return writeStateFile(path, saveState());
}

bool FamilyAMouse::loadStateFromFile(const QString &path)
{
    QByteArray state;
    return readStateFile(path, kStateSize, state) && loadState(state);
}
