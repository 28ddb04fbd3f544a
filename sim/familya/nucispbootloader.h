#pragma once

#include "sim/emulatedhidbus.h"

#include <QByteArray>
#include <QQueue>
#include <QRecursiveMutex>

#include <array>
#include <memory>

class FamilyAMouse;

// ISP packet commands (first 32-bit word of a packet).
namespace NucIsp {
constexpr quint32 Sync = 0xA4;
constexpr quint32 UpdateProgram = 0xA0;
constexpr quint32 UpdateData = 0xC3;
constexpr quint32 Run = 0xAB;
constexpr quint32 Connect = 0xAE;
constexpr quint32 Continuation = 0x00;
constexpr quint32 Resend = 0xFF;

constexpr int PacketSize = 64;
constexpr int ReportSize = PacketSize + 1; // report id 0 in front
constexpr int FirstDataBytes = 48;
constexpr int ContinuationDataBytes = 56;
constexpr quint32 ProgramStart = 0;
constexpr quint32 DataStart = 0x1F000;
constexpr int MaxImageSize = 0x20000;

// The NUC123's flash: 64 KB of program memory (APROM) and 4 KB of data
// flash at DataStart. The 128 KB program memory is a variant for tests.
constexpr int ProgramMemory64K = 0x10000;
constexpr int ProgramMemory128K = 0x20000;
constexpr int DataFlashSize = 0x1000;
// User configuration words as a mouse leaves the factory: CONFIG0 with data
// flash enabled (bit 0 clear) and boot from the boot loader (bit 7 clear),
// CONFIG1 holding the data flash base.
constexpr quint32 DefaultConfig0 = 0xFFFFFF7E;
constexpr quint32 DefaultConfig1 = DataStart;
} // namespace NucIsp

// The NUC123 ISP boot loader of a family A mouse (PID_BOOTLOADER, product
// string "KORVAN <model> ISP"). It takes 64-byte packets as 65-byte output
// reports and answers each (65-byte input reports, read with
// HidDevice::read) the way the chip's boot loader does:
//
// - Packet numbers are never checked. The boot loader keeps its own
//   counter (1 after power-up and after connect; sync sets it from the
//   packet's data bytes 8..11) and answers every packet with counter + 1,
//   then counts on by two. A packet whose number was spoilt on the wire is
//   answered all the same; its byte sum tells the host.
// - Data is written to flash at once and read back into the packet before
//   the 16-bit byte sum of the answer is taken, so the sum also proves the
//   write. Bytes past the end of the memory cannot be written and read
//   back as 0.
// - The connect and sync answers carry CONFIG0 and CONFIG1 in packet bytes
//   8..15 (report bytes 9..16).
// - The start address of a first packet is ignored: program memory is
//   written from 0, data flash from DataStart. Update program memory erases
//   the program memory, update data memory the data flash.
// - A continuation continues the last command other than continuation and
//   resend; after any other command it writes nothing.
// - Resend takes back the data of the last packet (its flash is erased
//   again) so that the next continuation replaces it.
//
// Run after a complete program transfer brings the mouse back with the new
// image, reporting the version the image's tag names (emulatedfirmware.h);
// run without any transfer brings back the old firmware; run after a
// transfer that is half done or did not fit leaves the device in its boot
// loader (the firmware is incomplete).
//
// Thread-safe like the other emulators (own lock, bus lock held in handlers).
class NucIspBootloader final : public EmulatedDevice
{
    struct Key
    {
        explicit Key() = default;
    };

public:
    static constexpr int kDefaultRunDelayMs = 1000;

    // The boot loader of a family A model (nullptr for other type codes).
    // Without a mouse it is one stuck in its boot loader; run then brings a
    // factory-fresh mouse of the model.
    static std::shared_ptr<NucIspBootloader> create(int mouseType,
                                                    std::shared_ptr<FamilyAMouse> mouse = nullptr);

    NucIspBootloader(int mouseType, std::shared_ptr<FamilyAMouse> mouse, Key);
    ~NucIspBootloader() override;

    QVector<EmulatedInterface *> interfaces() override;
    const HidDeviceInfo &info() const;
    int mouseType() const { return m_type; }

    // The mouse that run brings back (created on run when there was none).
    std::shared_ptr<FamilyAMouse> mouse() const;

    void setRunDelayMs(int ms);
    // Size of the program memory (ProgramMemory64K unless set); the next
    // program update uses it.
    void setProgramMemorySize(int bytes);
    int programMemorySize() const;
    void setConfigWords(quint32 config0, quint32 config1);
    // Firmware version the mouse reports after a completed update of an
    // image without a version tag (see emulatedfirmware.h: a tagged image
    // brings its own); without this call such an update keeps the version.
    void setVersionAfterUpdate(quint32 version);

    // Faults for the next n packets that would be answered (-1: all):
    // answer with a wrong byte sum, answer with `length` bytes only (id
    // byte included), or do not answer at all (the read times out).
    void injectWrongChecksum(int n) { m_faults.arm(Fault::WrongChecksum, n); }
    void injectShortAnswers(int n, int length = 33)
    {
        m_faults.arm(Fault::AnswerLength, n, qBound(0, length, NucIsp::ReportSize));
    }
    void injectNoAnswer(int n) { m_faults.arm(Fault::NoAnswer, n); }
    // The flash writes of the next n data packets do not take (the cells
    // keep what they held); the read-back sum shows it.
    void injectFailedWrites(int n) { m_faults.arm(Fault::FailedTransfer, n); }
    void clearFaults() { m_faults.clearAll(); }

    // What arrived: program and data memory as far as the transfer wrote
    // them (bytes that did not fit are not there), their announced
    // lengths (-1: no transfer), whether the program transfer is complete
    // with every byte in flash, and counters.
    QByteArray programImage() const;
    QByteArray dataImage() const;
    int programLength() const;
    int dataLength() const;
    bool programComplete() const;
    int packetCount(quint32 command) const; // Sync, UpdateProgram, ..., Resend
    int outputReports() const;
    // Packets whose number was not the boot loader's count (answered all
    // the same).
    int packetNumberErrors() const;
    int ignoredPackets() const; // continuations with nothing to continue or past the end
    int failedReadBacks() const; // data packets whose flash did not read back as sent
    bool hasRun() const;

private:
    class Interface;
    // One memory (program or data flash) and the transfer into it.
    struct Transfer
    {
        QByteArray flash;   // the cells from the memory's base, 0xFF when erased
        qint64 length = -1; // announced; -1: no transfer started
        qint64 written = 0; // bytes the host has sent so far (taken or not)
        int lastChunk = 0;
    };

    bool onWrite(const QByteArray &report);
    int onRead(QByteArray &report, int timeoutMs);
    void queueAnswer(const QByteArray &packet, quint32 number, bool withConfig);
    void startTransfer(Transfer &t, QByteArray &packet);
    void continueTransfer(Transfer &t, QByteArray &packet, int offset, int maxBytes);
    static QByteArray image(const Transfer &t);
    static bool complete(const Transfer &t);
    void run();

    mutable QRecursiveMutex m_mutex;
    std::unique_ptr<Interface> m_interface;
    const int m_type;
    std::shared_ptr<FamilyAMouse> m_mouse;

    int m_runDelayMs = kDefaultRunDelayMs;
    bool m_changeVersion = false;
    quint32 m_versionAfterUpdate = 0;

    int m_programMemorySize = NucIsp::ProgramMemory64K;
    quint32 m_config0 = NucIsp::DefaultConfig0;
    quint32 m_config1 = NucIsp::DefaultConfig1;

    FaultPlan m_faults; // WrongChecksum, AnswerLength (cut only), NoAnswer, FailedTransfer

    quint32 m_counter = 1; // the boot loader's packet count
    Transfer m_program;
    Transfer m_data;
    Transfer *m_active = nullptr;
    QQueue<QByteArray> m_answers;

    std::array<int, 256> m_packetCounts{};
    int m_otherPackets = 0;
    int m_outputReports = 0;
    int m_numberErrors = 0;
    int m_ignored = 0;
    int m_failedReadBacks = 0;
    bool m_hasRun = false;
};
