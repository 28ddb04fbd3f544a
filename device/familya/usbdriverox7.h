#pragma once

#include "device/familya/familyacodec.h"
#include "device/korvanusbdriver.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QVector>

#include <memory>

class HidDevice;

// Transport of family A: 32-byte command reports and status-first answers on
// the vendor collection (usage page 0xFF00, usage 14) of the mouse's cable
// interface or of its receiver, reached through the HID library role
// (platform/hidparse.h). Memory-mapped reads and writes, the command set, the
// profile record, macro pages, OLED pictures and the receiver's own commands.
//
// Every operation returns nonzero on success and 0 on failure (with a log
// line); nothing throws. Every wait goes through deviceClock(). Lives on the
// coordinator's thread; the coordinator owns it.
class USBDriverOX7 : public KorvanUSBDriver
{
    Q_OBJECT

public:
    // Waits and repeats of the command handshake.
    static constexpr int kPollIntervalMs = 10;
    static constexpr int kPollCount = 25;
    static constexpr int kAttemptCount = 4;
    static constexpr int kQuickReadCount = 5;
    static constexpr int kDongleAckIntervalMs = 50;
    static constexpr int kDongleAckCount = 5;

    explicit USBDriverOX7(QObject *parent = nullptr);
    ~USBDriverOX7() override;

    // 0 = wired, 1 = through the receiver (the default); anything else makes
    // opening fail.
    void SetConnectionMode(int mode) { m_connectionMode = mode; }
    int ConnectionMode() const { return m_connectionMode; }
    void SetWiredWirelessString(const QString &wiredPath, const QString &wirelessPath) override;
    QString WiredPath() const { return m_wiredPath; }
    QString WirelessPath() const { return m_wirelessPath; }

    bool FindHIDDevice() override;
    void UnInitDevice() override;
    bool IsOpen() const { return m_handle != nullptr; }

    // When set, every report written logs "Send:" and every answer "Receive:"
    // (process-wide).
    static void SetDebugTraffic(bool on);

    // --- Transport ----------------------------------------------------------
    // Mouse form {0xBA, target, command...}; at most 30 command bytes.
    int WriteReport(const QByteArray &command);
    // Receiver form {0xBA, command...}; at most 31 command bytes.
    int SendCommandDongle(const QByteArray &command);
    // Reads answers 10 ms apart, 25 times at most, until a definite status;
    // copies the first n (<= 32) answer bytes into buffer. 1 done, 0 failed,
    // 2 no definite answer.
    int PollStatus(QByteArray &buffer, int n);
    // One input report, n (<= 32) bytes into buffer, no status interpretation.
    int ReadInputReport(QByteArray &buffer, int n);
    // Writes the writeLength command bytes held in buffer and leaves the
    // answer (status byte first, readLength bytes) in buffer. Status 0
    // rewrites the command, status 2 reads again without rewriting; four
    // attempts.
    int Transact(QByteArray &buffer, int writeLength, int readLength);

    // --- Commands -------------------------------------------------------------
    int SetCurrentProfile(quint8 profile) override;
    int GetCurrentProfile(quint8 &profile) override;
    quint8 CurrentProfile() const { return m_currentProfile; }
    int GetFirmwareVersion(quint32 &version) override;
    int ReadWorkMode() override;       // 0xA7 to the mouse
    int EnterBootloader() override;    // 0xA8: the firmware restarts into its boot loader
    int ReadStatusWord(quint16 &value) override;  // 0xA9
    int ReadStatusDword(quint32 &value) override; // 0xAA (battery)
    int SendByteCommand(quint8 value) override;   // 0xAB
    int QuickStatusRead(quint16 &value) override; // 0xAA, single reads

    // --- Memory ---------------------------------------------------------------
    // Any length in 24-byte chunks; below 0x1000 only whole words.
    int ReadEEPROM(quint32 address, int length, QByteArray &out);
    int WriteEEPROM(quint32 address, const QByteArray &data);

    // At (slot + 1) * 1024; slot 0 or 1. Writes take at most 32 bytes.
    int ReadMemory(QByteArray &out, int length, int slot) override;
    int WriteMemory(const QByteArray &data, int slot) override;
    // At slot * 1024 + offset.
    int ReadMemoryAt(QByteArray &out, int length, int slot, int offset) override;
    int WriteMemoryAt(const QByteArray &data, int slot, int offset) override;
    // Button words 1..11 at s * 1024 + 0x200 + the button's offset; reads
    // take s = 1 or 2, writes s = 0 or 1.
    int ReadButton(int button, quint32 &word, int slot) override;
    int WriteButton(int button, quint32 word, int slot) override;

    // Product id bytes at address 4.
    int GetMousePid(QByteArray &twoBytes);

    // Settings words. Reads take the slot (0 or 1); writes go to the slot
    // given or to a fixed address of the working copy, as named.
    int GetReportInterval(quint32 &value, int slot);
    int SetReportInterval(quint32 value, int slot);
    int GetSilentHeightWord(quint32 &value, int slot);
    int SetSilentHeightWord(quint32 value, int slot);
    int GetCpiMatrix(QByteArray &matrix, int slot);
    // Copies byte 2 of word 0x894 (the stage index) into byte 14 and 0 into
    // byte 15 before writing the 16 bytes.
    int SetCpiMatrix(const QByteArray &matrix, int slot);
    int GetCpiStageCount(int &value, int slot); // byte 2 of base + 0x494
    int SetCpiStageCount(int value);            // byte 2 of 0x894
    // Word 0x498: current CPI stage, light mode, breathing speed, intensity.
    int GetDpiLedRateLightIntensity(quint32 &word, int slot);
    int GetDpiLedRateLightIntensityByte(int index, quint8 &value, int slot);
    int SetDpiLedRateLightIntensity(quint32 word);                // 0x898
    int SetDpiLedRateLightIntensityByte(int index, quint8 value); // 0x898
    // Word 0x49C: byte 0 OLED brightness, byte 1 rapid-fire related.
    int GetOledWord(quint32 &word, int slot);
    int SetOledWord(quint32 word, int slot);
    int GetOledWordByte(int index, quint8 &value, int slot);
    int SetOledWordByte(int index, quint8 value, int slot);
    int GetDisplayValue(quint32 &word);             // 0x8A0
    int SetDisplayValue(quint32 word);              // 0x8A0
    int GetDisplayParam(int index, quint8 &value, int slot); // base + 0x4A4 + index
    int SetDisplayParam(int index, quint8 value);            // 0x8A4 + index
    int GetOledBehaviourWord(quint32 &word, int slot);
    int SetOledBehaviourWord(quint32 word);         // 0x8AC
    int GetDisplayWord(quint32 offset, quint32 &word, int slot); // 0x4B0 or 0x4B4
    int SetDisplayWord(quint32 offset, quint32 word, int slot);
    // LED colour matrix, 4-byte entries 0x00BBGGRR (red, green, blue, 0).
    int GetLedColorMatrixAll(QList<quint32> &entries, int count, int slot);
    int GetLedColorMatrixEntry(int byteOffset, quint32 &entry, int slot);
    int SetLedColorMatrixAll(const QList<quint32> &entries); // 0x8B8
    int SetLedColorMatrixEntry(int byteOffset, quint32 entry);

    // --- Profile record (familyacodec.h) -----------------------------------
    // Fills words 0, 2 (low half), 3 and the button and settings blocks of a
    // 128-byte record; the other bytes are left as they were.
    int GetProfileData(QByteArray &record);
    // Writes the button block at 0x600 and the settings block at the current
    // profile's slot.
    int SetProfileData(const QByteArray &record);

    // --- Macro pages (usbdriverox7pages.cpp) ---------------------------------
    // Encodes and writes a macro; pageOut (when given) receives the page.
    int WriteMacro(int index, familya::MacroKind kind, const QVector<quint32> &events, quint16 mode,
                   QByteArray *pageOut = nullptr);
    // Writes an encoded page (4..4096 bytes).
    int WriteMacroPage(int index, familya::MacroKind kind, const QByteArray &page);
    // Reads a page into a 4096-byte buffer (zeros past its length; all zeros
    // when its length field is 0 or above 4096).
    int ReadMacroPage(int index, familya::MacroKind kind, QByteArray &buffer);
    int IsMacroPageFree(int index, familya::MacroKind kind, bool &isFree);

    // --- OLED pictures (usbdriverox7pages.cpp) ------------------------------
    int WritePicture(int n, const QByteArray &data);
    int ReadPicture(int n, QByteArray &data);
    // The packing of familyacodec.h with its log line.
    static bool ImageToByteArr(const QImage &image, QByteArray &out, int imageDataLen);

    // --- Receiver commands ------------------------------------------------------------
    // Receiver-form command, then up to five 2-byte reads 50 ms apart until the
    // status is 1.
    int SendCommandDongleWithAck(const QByteArray &command);
    // {0xA7} to the receiver; mode 0 = paired and working, nonzero = pairing.
    int ReadWorkModel(int &mode);

signals:
    void sigMsg(const QString &message);
    void sigWriteIntoMouseSucced();

private:
    int writeRaw(const QByteArray &report);
    int singleCommand(const QByteArray &command, int readLength, QByteArray &answer);
    int readWord(quint32 address, quint32 &word);
    int writeWord(quint32 address, quint32 word);
    int readWordByte(quint32 address, int index, quint8 &value);
    int writeWordByte(quint32 address, int index, quint8 value);
    static bool slotBase(int slot, quint32 &base);
    int macroPageAddressChecked(int index, familya::MacroKind kind, quint32 &address);

    std::unique_ptr<HidDevice> m_handle;
    int m_connectionMode = 1;
    QString m_wiredPath;
    QString m_wirelessPath;
    quint8 m_currentProfile = 0;
    bool m_currentProfileKnown = false;
    bool m_libraryLoaded = false;
};
