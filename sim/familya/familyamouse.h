#pragma once

#include "sim/familya/familyaendpoint.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <array>
#include <memory>

class NucIspBootloader;

// An emulated family A mouse (type 7, 8, 9, 10, 11, 12 or 14): a flat
// byte-addressed memory, the command registers and the restart into its
// ISP boot loader. Plugged into a bus it is the mouse on its cable (mouse
// form with target 0xFF, plus the receiver-form restart {0xBA, 0xA8});
// paired with a FamilyAReceiver it answers the commands the receiver
// forwards over the air. Hold it in a std::shared_ptr (create()).
//
// A new mouse holds the Korvan default record of its model: the product id
// of its cable at address 4, the factory button words at 0x200 and 0x600,
// the settings block at 0x480 and 0x880; macro pages and pictures erased
// (0xFF), current profile 1.
class FamilyAMouse final : public FamilyAEndpoint,
                           public std::enable_shared_from_this<FamilyAMouse>
{
    struct Key
    {
        explicit Key() = default;
    };

public:
    // Enough for the settings slots, 11 + 11 macro pages and the OLED
    // pictures (n + 34) × 0x1000 up to picture 29.
    static constexpr int kMemorySize = 0x40000;
    // Writes below this address (device identity) are refused.
    static constexpr quint32 kWritableFrom = 0x200;
    static constexpr int kMaxTransfer = 24;
    static constexpr int kDefaultRestartDelayMs = 1500;

    // A factory-fresh mouse of the model, or nullptr for a type code that is
    // not family A.
    static std::shared_ptr<FamilyAMouse> create(int mouseType);
    // A mouse restored from saveState(); nullptr when the state is refused.
    static std::shared_ptr<FamilyAMouse> createFromState(const QByteArray &state);

    FamilyAMouse(int mouseType, Key);
    ~FamilyAMouse() override;

    int mouseType() const { return m_type; }
    quint16 wiredProductId() const;

    // Memory as the commands see it. memory() is empty when the range does
    // not lie inside; setMemory() refuses such a range (no partial write)
    // but, unlike command 0xA5, may also write the identity area.
    QByteArray memory(quint32 address, int length) const;
    bool setMemory(quint32 address, const QByteArray &bytes);

    // Registers: 0xA1/0xA2 current profile (0 or 1), 0xA3 firmware version,
    // 0xA9 16-bit value, 0xAA battery word (top byte 0: a percentage on the
    // models that report one, else a reading such as 640; 1, 2, 3: status
    // codes), last value of 0xAB.
    quint8 currentProfile() const;
    void setCurrentProfile(quint8 profile);
    quint32 firmwareVersion() const;
    void setFirmwareVersion(quint32 version);
    quint16 valueA9() const;
    void setValueA9(quint16 value);
    quint32 batteryValue() const;
    void setBatteryValue(quint32 value);
    quint8 lastAbValue() const;

    // Switched off, the mouse does not answer over the air (its cable
    // interface is a matter of plugging). Default on.
    void setPoweredOn(bool on);
    bool isPoweredOn() const;

    // Restart into the boot loader (command 0xA8 on the cable): the mouse
    // drops off the bus and its NucIspBootloader enumerates restartDelayMs
    // later on the device clock.
    void setRestartDelayMs(int ms);
    // Program memory of the mouse's chip, handed to its boot loader
    // (NucIsp::ProgramMemory64K unless set).
    void setProgramMemorySize(int bytes);
    bool inBootloader() const;
    std::shared_ptr<NucIspBootloader> bootloader() const;
    // The image the last completed update left, and how many there were.
    QByteArray flashedImage() const;
    int flashCount() const;

    // Counters since creation or resetCounters(): commands received (over
    // the cable and over the air) per command byte, memory writes carried
    // out (0xA5) and their bytes, and the last commands received (command
    // bytes without report id and target, 30 bytes each, at most 4096).
    int commandCount(quint8 command) const;
    int memoryWrites() const;
    int memoryWriteBytes() const;
    QVector<QByteArray> commandLog() const;
    void resetCounters();

    // Memory and registers as bytes, for the command-line tool and demo mode.
    // loadState() checks every size and value and changes nothing when it
    // refuses; the state must be of this mouse's model.
    QByteArray saveState() const;
    bool loadState(const QByteArray &state);
    bool saveStateToFile(const QString &path) const;
    bool loadStateFromFile(const QString &path);

    // Used by FamilyAReceiver: carries out a command received over the air
    // (command bytes without report id and target).
    FamilyAAnswer receiveOverTheAir(const QByteArray &command);

    // Used by NucIspBootloader when it starts the firmware again.
    void leaveBootloader(bool flashed, const QByteArray &image, quint32 newVersion,
                         bool changeVersion);

protected:
    FamilyAAnswer handleReport(const QByteArray &report) override;
    void noteReport(const QByteArray &report) override;

private:
    enum class Path { Cable, Air };

    void note(const QByteArray &command);
    FamilyAAnswer execute(const QByteArray &command, Path path);
    FamilyAAnswer readMemory(const QByteArray &command) const;
    FamilyAAnswer writeMemory(const QByteArray &command);
    void restartIntoBootloader();
    bool parseState(const QByteArray &state, QByteArray &memory, quint8 &profile,
                    quint32 &version, quint16 &a9, quint32 &battery, quint8 &ab) const;

    const int m_type;
    QByteArray m_memory;
    quint8 m_profile = 1;
    quint32 m_version = 25;
    quint16 m_a9 = 0;
    // The battery word answered: a percentage where the model reports one
    // at its current firmware version (discovery's reportsBatteryPercent),
    // else the record's reading; a word set by a test or a state file wins.
    quint32 batteryWord() const;
    quint32 m_batteryReading = 0;
    quint32 m_battery = 0;
    bool m_batterySet = false;
    quint8 m_ab = 0;
    bool m_poweredOn = true;

    int m_restartDelayMs = kDefaultRestartDelayMs;
    int m_programMemorySize = 0; // 0: the boot loader's default
    bool m_inBootloader = false;
    std::weak_ptr<NucIspBootloader> m_bootloader;
    QByteArray m_flashedImage;
    int m_flashCount = 0;

    std::array<int, 256> m_commandCounts{};
    int m_memoryWrites = 0;
    int m_memoryWriteBytes = 0;
    QVector<QByteArray> m_commandLog;
};
