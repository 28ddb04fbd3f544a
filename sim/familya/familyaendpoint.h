#pragma once

#include "sim/emulatedhidbus.h"

#include <QByteArray>
#include <QRecursiveMutex>
#include <QString>

#include <memory>

// Status byte of a family A answer (byte 1 on the wire, byte 0 once the HID
// library role has dropped the report id).
namespace FamilyAStatus {
constexpr quint8 Failed = 0;
constexpr quint8 Done = 1;
constexpr quint8 Busy = 2;
// Anything else means "not ready"; this is what our devices send.
constexpr quint8 NotReady = 0xFF;
} // namespace FamilyAStatus

// Report id and length of the family A command and answer reports (id byte
// included).
constexpr quint8 FAMILY_A_REPORT_ID = 0xBA;
constexpr int FAMILY_A_REPORT_LENGTH = 32;

// What a family A device answers to one command: the status byte and the
// result bytes that follow it (result[0] is answer byte 1). A silent answer
// leaves the status at "not ready" until the next command.
struct FamilyAAnswer
{
    quint8 status = FamilyAStatus::Failed;
    QByteArray result;
    bool silent = false;

    static FamilyAAnswer done(const QByteArray &result = QByteArray())
    {
        return {FamilyAStatus::Done, result, false};
    }
    static FamilyAAnswer failed() { return {FamilyAStatus::Failed, QByteArray(), false}; }
    static FamilyAAnswer none() { return {FamilyAStatus::NotReady, QByteArray(), true}; }
};

// A family A device on the bus (mouse on its cable, or receiver): the
// vendor collection (usage page 0xFF00, usage 14, 32-byte reports with id
// 0xBA) with the command/answer handshake and the injectable faults, plus a
// plain pointer collection in front of it as real mice have.
//
// Thread-safe: the bus runs the handlers with its own lock held, and every
// knob and read-out below takes the device's lock (the fault knobs the fault
// plan's), so a test may turn knobs while a worker thread talks to the device.
//
// Fault knobs act on the answers this device gives on the bus; a mouse
// behind a receiver answers through the receiver, so arm the receiver to
// disturb that link. Counts are used up one per spoiled transfer; -1 keeps
// the fault on until cleared.
class FamilyAEndpoint : public EmulatedDevice
{
public:
    ~FamilyAEndpoint() override;

    QVector<EmulatedInterface *> interfaces() override;

    // Reads after each command that still answer pendingStatus (2 busy, or a
    // "not ready" value) before the result shows. Default: 0 reads.
    void setAnswerDelay(int reads, quint8 pendingStatus = FamilyAStatus::Busy);
    // The next n answer reads give status 2 (busy); the result comes after.
    void injectBusyReads(int n) { m_faults.arm(Fault::BusyStatus, n); }
    // The next n commands are not carried out and answer status 0.
    void injectFailedCommands(int n) { m_faults.arm(Fault::FailedStatus, n); }
    // The next n input-report requests fail as transfers (no answer at all).
    void injectFailedReads(int n) { m_faults.arm(Fault::FailedTransfer, n); }
    // The next n reads answer "not ready" (the device never gets to it).
    void injectSilentReads(int n) { m_faults.arm(Fault::NoAnswer, n); }
    // The next n answers come back `length` bytes long (id byte included;
    // shorter cuts the result, longer pads with zeros).
    void injectAnswerLength(int n, int length)
    {
        m_faults.arm(Fault::AnswerLength, n, qBound(0, length, 4096));
    }
    void clearFaults() { m_faults.clearAll(); }

    // Whether the pointer collection is listed before the vendor one
    // (default true). Change it only while the device is unplugged.
    void setPointerCollection(bool present);

    // Transfers seen on the vendor collection.
    int outputReports() const;
    int inputReports() const;

    const HidDeviceInfo &vendorInfo() const;

protected:
    FamilyAEndpoint(quint16 productId, const QString &productString);

    // Carries out one valid 32-byte command report; called with the lock held.
    virtual FamilyAAnswer handleReport(const QByteArray &report) = 0;
    // Sees every valid report before faults apply (for counters).
    virtual void noteReport(const QByteArray &report);
    // Forgets the last answer (a firmware that has just started).
    void resetHandshake();
    void resetTransferCounters();

    QRecursiveMutex &lock() const { return m_mutex; }

private:
    class VendorInterface;
    class PointerInterface;

    bool onWrite(const QByteArray &report);
    bool onGetInputReport(QByteArray &report);

    mutable QRecursiveMutex m_mutex;
    std::unique_ptr<VendorInterface> m_vendor;
    std::unique_ptr<PointerInterface> m_pointer;
    bool m_pointerPresent = true;

    FamilyAAnswer m_answer = FamilyAAnswer::none();
    int m_pendingLeft = 0;

    int m_delayReads = 0;
    quint8 m_delayStatus = FamilyAStatus::Busy;
    // BusyStatus, FailedStatus (commands), FailedTransfer and NoAnswer
    // (reads), AnswerLength.
    FaultPlan m_faults;

    int m_outputReports = 0;
    int m_inputReports = 0;
};
