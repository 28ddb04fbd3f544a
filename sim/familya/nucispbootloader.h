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
constexpr quint32 Continuation = 0x00;
constexpr quint32 Resend = 0xFF;

constexpr int PacketSize = 64;
constexpr int ReportSize = PacketSize + 1; // report id 0 in front
constexpr int FirstDataBytes = 48;
constexpr int ContinuationDataBytes = 56;
constexpr quint32 ProgramStart = 0;
constexpr quint32 DataStart = 0x1F000;
constexpr int MaxImageSize = 0x20000;
} // namespace NucIsp

// The NUC123 ISP boot loader of a family A mouse (PID_BOOTLOADER, product
// string "KORVAN <model> ISP"). It takes 64-byte packets as 65-byte output
// reports, answers each with the 16-bit byte sum of the packet and its
// packet number + 1 (65-byte input reports, read with HidDevice::read),
// keeps the image it receives, and on the run command drops off the bus
// while the mouse comes back runDelayMs later on the device clock.
//
// Packet numbers are checked once a sync packet has set them: a packet
// whose number is not the last answer's + 1 is ignored (counted, not
// answered). The resend command takes back the data of the last packet so
// that the next continuation replaces it. Run after a complete program
// transfer brings the mouse back with the new image; run without any
// transfer brings back the old firmware; run after a half-done transfer
// leaves the device in its boot loader (the firmware is incomplete).
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
    // Firmware version the mouse reports after a completed update; without
    // this call the version stays as it was.
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
    void clearFaults() { m_faults.clearAll(); }

    // What arrived: program and data memory images (the bytes received so
    // far), their announced lengths, whether the program transfer is
    // complete, and counters.
    QByteArray programImage() const;
    QByteArray dataImage() const;
    int programLength() const;
    int dataLength() const;
    bool programComplete() const;
    int packetCount(quint32 command) const; // Sync, UpdateProgram, ..., Resend
    int outputReports() const;
    int packetNumberErrors() const;
    int ignoredPackets() const; // malformed first packets and data past the end
    bool hasRun() const;

private:
    class Interface;
    struct Transfer
    {
        quint32 start = 0;
        int length = -1; // -1: no transfer started
        QByteArray bytes;
        int lastChunk = 0;
    };

    bool onWrite(const QByteArray &report);
    int onRead(QByteArray &report, int timeoutMs);
    void queueAnswer(const QByteArray &packet, quint32 number);
    void startTransfer(Transfer &t, quint32 expectedStart, const QByteArray &packet);
    void continueTransfer(Transfer &t, const QByteArray &packet, int offset, int maxBytes);
    void run();

    mutable QRecursiveMutex m_mutex;
    std::unique_ptr<Interface> m_interface;
    const int m_type;
    std::shared_ptr<FamilyAMouse> m_mouse;

    int m_runDelayMs = kDefaultRunDelayMs;
    bool m_changeVersion = false;
    quint32 m_versionAfterUpdate = 0;

    FaultPlan m_faults; // WrongChecksum, AnswerLength (cut only), NoAnswer

    bool m_synced = false;
    quint32 m_expectedNumber = 0;
    Transfer m_program;
    Transfer m_data;
    Transfer *m_active = nullptr;
    QQueue<QByteArray> m_answers;

    std::array<int, 256> m_packetCounts{};
    int m_otherPackets = 0;
    int m_outputReports = 0;
    int m_numberErrors = 0;
    int m_ignored = 0;
    bool m_hasRun = false;
};
