#pragma once

#include "sim/emulatedhidbus.h"
#include "sim/familyb/familybfirmware.h"

#include <QByteArray>
#include <QMap>
#include <QRecursiveMutex>
#include <QString>
#include <QVector>

#include <memory>

// An emulated family B mouse (OX2, OX6, OX1, OX2S, OX1S, OX8; type codes
// 2, 3, 4, 5, 6, 18) or the family C mouse (OX5, code 13), seen from the
// USB side: two vendor collections (usage page 0xFF00, usage 1) told apart
// by their feature length, 6 bytes with report id 5 (commands) and 1032
// bytes with report id 6 (answers and data writes).
//
// The wire, as this device handles it (report bytes, id byte first):
//   command collection, set feature:
//     {5, 0x82}              prepare a status answer
//     {5, 0x83, 0x00}        prepare the profile answer
//     {5, 0x84, n, 0x00}     prepare macro n's answer (status of operation 2)
//     {5, 0x85, 0x80}        prepare the macro block answer
//   data collection, set feature (payload from byte 8):
//     {6, 0x03, 00 00 02 00 00 00, image bytes 0..503}    profile write (op 1)
//     {6, 0x04, n, 00 04 00 00 00, header, entries, ...}  macro write (op 2)
//     {6, 0x05, 80 00 04 00 00 00, 1024 block bytes}      macro block write (op 3)
//   data collection, get feature: the prepared answer {6, command, 0 x 6,
//     payload}; a status answer carries the state of operation n in byte
//     n + 1 and 1 in byte 7 when the device refuses the poll.
// Anything else on a collection (a wrong report id, an unknown command, a
// known command with wrong fixed bytes, a report longer than the
// collection's, a get feature on the command collection) fails as a
// transfer, the way firmware stalls a request it cannot parse; a set
// feature it cannot parse also drops the prepared answer, so no stale
// answer can pass for the new request. A known write whose contents the device refuses (a
// wrong checksum trailer, an unknown macro number, data cut short) is
// accepted on the wire and reported through the status poll (rejected).
//
// Profile checksum (family B): on every profile answer the device fills
// trailer bytes 476..480 (answer bytes 484..488) so that the host's model
// check passes for the current contents: the seed (sign flag, adjustment)
// it keeps when that still fits, otherwise one derived from the contents.
// A profile write must carry a trailer that passes the same check; OX8
// (code 18) takes any. Family C has no check and no trailer: its image is
// answered and stored as it is.
//
// Thread-safety: every public function takes the device's lock (the fault
// knobs the fault plan's), and the bus runs the handlers with its own lock
// held, so tests may turn knobs
// while a worker thread talks to the device. The identity knobs (firmware
// version, extra collections, order) change enumeration: use them only
// while the device is unplugged.
class FamilyBMouse : public EmulatedDevice
{
public:
    // The mouse of a type code, or nullptr for a code that is no family B
    // or C model.
    static std::shared_ptr<FamilyBMouse> create(int mouseType);
    static bool supportsType(int mouseType);
    // A mouse restored from saveState() (its model is in the state);
    // nullptr when the state is refused.
    static std::shared_ptr<FamilyBMouse> createFromState(const QByteArray &state);
    // Release number a fresh mouse of the type reports (its firmware version).
    static quint16 defaultFirmwareVersion(int mouseType);

    ~FamilyBMouse() override;

    QVector<EmulatedInterface *> interfaces() override;

    int mouseType() const { return m_mouseType; }
    bool isFamilyC() const;
    quint16 productId() const;
    const HidDeviceInfo &commandInfo() const;
    const HidDeviceInfo &dataInfo() const;

    // --- Identity (only while unplugged) -------------------------------
    void setFirmwareVersion(quint16 version);
    quint16 firmwareVersion() const;
    // A plain pointer collection (usage page 1, usage 2) listed first, as
    // a real mouse has. Default: absent.
    void setPointerCollection(bool present);
    // A third vendor collection (usage page 0xFF00, usage 1, report id 7)
    // with the given feature length, listed before the two real ones; the
    // host must pass it over. 0 removes it (default).
    void setStrayCollection(int featureLength);
    // Lists the data collection before the command collection.
    void setDataCollectionFirst(bool first);

    // --- Profile memory ------------------------------------------------
    // The stored 1024-byte image, trailer as last written or seeded.
    QByteArray profileImage() const;
    // Replaces the image; false (nothing changed) unless exactly 1024 bytes.
    bool setProfileImage(const QByteArray &image);
    quint8 profileByte(int index) const;       // 0 outside the image
    void setProfileByte(int index, quint8 value); // ignored outside the image
    // Profile bytes 242..475.
    QByteArray settingsBlock() const;
    // Button word k (0..15) at profile bytes 332 + 4k; empty outside.
    QByteArray buttonWord(int k) const;
    // Stage code (low | high << 8) of stage 0..6, first or second copy; -1
    // outside.
    int cpiStageCode(int stage, int copy = 0) const;
    // CPI the sensor runs at for stage 0..6 (first copy); 0 when the code
    // means nothing to this model.
    int cpiStageValue(int stage) const;
    // Light zone 1 (bytes 259, 260, 287, 281..283) or zone 2 (256, 257,
    // 268, 262..264); zero outside.
    quint8 lightModeCode(int zone) const;
    quint8 lightBrightness(int zone) const;
    quint8 breathSpeed(int zone) const;
    quint32 lightRgb(int zone) const; // 0x00RRGGBB
    // The seed the next profile answer will carry; false when the current
    // bytes 1..241 admit none (the answer then keeps the stored trailer and
    // the host's check fails). Always false for family C.
    bool answerSeed(quint8 &sign, quint8 &adjustment) const;

    // --- Macro memory ---------------------------------------------------
    // The 24 macro numbers the device stores (140, 144, ... 232); buttons
    // use the 16 of FamilyBFirmware::buttonMacroSlotNumbers().
    static const QVector<int> &macroNumbers();
    // Raw 1024-byte record of a macro number; empty for unknown numbers.
    QByteArray macroRecord(int number) const;
    bool setMacroRecord(int number, const QByteArray &record); // exactly 1024 bytes
    // The record split: header bytes 0..1 and the entries up to the first
    // 0x0000 (or the end of the record).
    QByteArray macroHeader(int number) const;
    QVector<quint16> macroEntries(int number) const;
    // Stores header + entries + terminator; false for unknown numbers, a
    // header other than 2 bytes, or more than 510 entries (the terminator
    // must fit).
    bool setMacro(int number, const QByteArray &header, const QVector<quint16> &entries);
    QByteArray macroBlock() const;
    bool setMacroBlock(const QByteArray &block); // exactly 1024 bytes

    // --- Status timing --------------------------------------------------
    // Every operation then reads busy (status 1) for n polls before its
    // result shows; -1 never finishes. Default 0.
    void setBusyPolls(int n);
    // State of operation 1..5 a status answer would show, ignoring busy.
    quint8 operationResult(int operation) const;

    // --- Faults (counts are used up one per spoiled transfer; -1 keeps
    // the fault on until cleared) ------------------------------------------
    // The next n status polls read busy in the byte of the last operation
    // (after any busy polls of setBusyPolls).
    void injectBusyPolls(int n) { m_faults.arm(Fault::BusyStatus, n); }
    // The next n status answers carry 1 in byte 7 (the device refuses).
    void injectPollRefusals(int n) { m_faults.arm(Fault::FailedStatus, n); }
    // The next n profile answers carry a seed that fails the model check.
    void injectBadChecksums(int n) { m_faults.arm(Fault::WrongChecksum, n); }
    // The next n data-collection answers come back `length` bytes long (id
    // byte included) whatever the host asked for; shorter cuts the answer,
    // longer pads with zeros past the 1032-byte report.
    void injectAnswerLength(int n, int length)
    {
        m_faults.arm(Fault::AnswerLength, n, qBound(0, length, 4 * FamilyBFirmware::kDataFeatureLength));
    }
    // The next n macro answers have no 0x0000 terminator: everything after
    // the last entry up to the end of the report is filled with 0xAA.
    void injectUnterminatedMacros(int n) { m_faults.arm(Fault::Unterminated, n); }
    // The next n feature transfers on either vendor collection fail.
    void injectFailedTransfers(int n) { m_faults.arm(Fault::FailedTransfer, n); }
    void clearFaults() { m_faults.clearAll(); }

    // --- Counters ---------------------------------------------------------
    // Set-feature transfers received with the right report id, by command
    // byte (report byte 1), including those the device refused.
    int featureSets(quint8 command) const;
    // Answers given, by the command they answer (answer byte 1; 0 for an
    // answer that nothing prepared).
    int featureGets(quint8 command) const;
    // Transfers failed on purpose (unparseable or injected).
    int failedTransfers() const;
    // Requests refused for their contents (status rejected): writes with a
    // wrong trailer or cut short, unknown macro numbers.
    int rejectedRequests() const;
    void resetCounters();

    // --- Persistence ------------------------------------------------------
    // Profile image, macros and macro block as compact JSON (sizes checked
    // on load; mouse type must match). loadState changes nothing unless the
    // whole state is valid.
    QByteArray saveState() const;
    bool loadState(const QByteArray &state);
    // The same through a file, replaced atomically on save; files larger
    // than 1 MiB are refused on load.
    bool saveStateToFile(const QString &path) const;
    bool loadStateFromFile(const QString &path);

private:
    class Collection;
    explicit FamilyBMouse(int mouseType);

    bool onCommandSet(const QByteArray &report);
    bool onDataSet(const QByteArray &report);
    bool onDataGet(QByteArray &report);
    // Fails a request the device cannot parse; the prepared answer is gone.
    bool stall();
    // Fails a transfer and keeps the prepared answer.
    bool refuseRead();
    void startOperation(int operation, quint8 result);
    void reject(int operation);
    QByteArray emptyAnswer(quint8 command) const;
    QByteArray statusAnswer();
    QByteArray profileAnswer();
    QByteArray macroAnswer(int number);
    void handleProfileWrite(const QByteArray &report);
    void handleMacroWrite(const QByteArray &report);
    void handleMacroBlockWrite(const QByteArray &report);

    mutable QRecursiveMutex m_mutex;
    const int m_mouseType;
    std::unique_ptr<Collection> m_command;
    std::unique_ptr<Collection> m_data;
    std::unique_ptr<Collection> m_pointer;
    std::unique_ptr<Collection> m_stray;
    bool m_pointerPresent = false;
    bool m_dataFirst = false;

    QByteArray m_image;
    QMap<int, QByteArray> m_macros;
    QByteArray m_macroBlock;
    QByteArray m_answer;

    quint8 m_results[FamilyBFirmware::kOperationCount + 1] = {};
    int m_activeOperation = 0;
    int m_busyPerOperation = 0;
    int m_busyLeft = 0;

    // BusyStatus and FailedStatus (polls), WrongChecksum (profile answers),
    // AnswerLength, Unterminated (macro answers), FailedTransfer.
    FaultPlan m_faults;

    QMap<int, int> m_sets;
    QMap<int, int> m_gets;
    int m_failedTransfers = 0;
    int m_rejectedRequests = 0;
};

// Creates the mouse of a type code and plugs it in; nullptr (nothing
// plugged) for a code that is no family B or C model.
std::shared_ptr<FamilyBMouse> plugFamilyB(EmulatedHidBus &bus, int mouseType);
