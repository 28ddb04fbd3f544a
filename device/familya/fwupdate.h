#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class HidDevice;

// Flashes a new firmware image into a family A mouse through its NUC123 ISP
// boot loader: asks the running firmware to restart into the boot loader
// (unless it is already there), streams the image in 64-byte packets, each
// answered with the packet's byte sum and the next packet number, then
// starts the new firmware. Every wait goes through deviceClock().
//
// Threads: the caller moves the object to a QThread of its own and starts
// the run with a queued call of slotUpdate; results come back through the
// two signals. The flasher then owns that thread: its destructor quits it,
// waits for it and deletes it. It leaves alone the thread the destructor
// runs on and the application's main thread, so an object that never left
// its creator's thread is simply deleted.
class FwUpdate : public QObject
{
    Q_OBJECT

public:
    // Waits the boot loader and the firmware need.
    static constexpr int kRestartWaitMs = 3000;
    static constexpr int kBootPollWaitMs = 2000;
    static constexpr int kBootPollCount = 5;
    static constexpr int kReceiveLimitMs = 20000;
    static constexpr int kWriteWaitMs = 5000;
    static constexpr int kRunWaitMs = 2000;
    static constexpr int kProgressStepMs = 100;
    // Consecutive resends of one packet before the update is given up.
    static constexpr int kMaxResends = 5;
    // Answers to other packets tolerated while waiting for one; a device
    // that keeps sending them counts as not answering.
    static constexpr int kMaxStrayAnswers = 256;

    // Last error of a packet exchange, or of the whole update for
    // ImageTooLarge (the image does not fit the mouse's program memory).
    enum Error {
        NoError = 0,
        ShortAnswer = -1,
        ChecksumMismatch = -2,
        TimedOut = -3,
        DeviceGone = -4,
        ImageTooLarge = -5,
    };

    explicit FwUpdate(QObject *parent = nullptr);
    ~FwUpdate() override;

    // Device-path fragments ("VID_xxxx&PID_xxxx") of the running mouse's
    // cable interface and of the boot loader.
    void SetDevicePaths(const QString &mousePath, const QString &bootPath);
    QString MousePath() const { return m_mousePath; }
    QString BootPath() const { return m_bootPath; }
    // Program memory of the mouse to be flashed, in bytes; 0 (the default)
    // when unknown. A larger image is refused before the mouse leaves its
    // firmware.
    void SetProgramMemorySize(int bytes) { m_programMemorySize = qMax(0, bytes); }
    int ProgramMemorySize() const { return m_programMemorySize; }

    int LastError() const { return m_lastError; }

    // The process-wide packet counter (reset to 1 by every update).
    static quint32 PacketNumber();

    // Checks and reads a firmware file: not a ".hex"-like file, 1..0x20000
    // bytes. False (with a log line) otherwise.
    static bool LoadImage(const QString &path, QByteArray &image);

public slots:
    // The whole run for one firmware file; ends with sigUpdateResult.
    void slotUpdate(const QString &path);

signals:
    void sigPercent(int percent);
    void sigUpdateResult(int result); // 1 success, 0 failure

private:
    bool enterUpdateMode();
    bool updateMemory(quint32 command, quint32 startAddress, const QByteArray &image);
    bool sendPacket(quint32 command, const QByteArray &data);
    bool receiveAnswer();
    void closeHandles();
    bool reachesPastProgramMemory(int from, int count) const;

    QString m_mousePath;
    QString m_bootPath;
    std::unique_ptr<HidDevice> m_boot;
    int m_programMemorySize = 0;
    quint16 m_expectedChecksum = 0;
    int m_lastError = NoError;
};
