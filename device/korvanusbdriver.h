#pragma once

#include "device/devicetypes.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

// Base of every protocol family's driver: owns the device's HID handles and
// speaks one report protocol. Every operation returns nonzero on success;
// the defaults do nothing and report success so a family overrides only what
// its protocol has. Drivers live on the coordinator's thread.
class KorvanUSBDriver : public QObject
{
    Q_OBJECT

public:
    explicit KorvanUSBDriver(QObject *parent = nullptr);
    ~KorvanUSBDriver() override;

    // Opens the device's interfaces; closes any open ones first.
    virtual bool FindHIDDevice() = 0;
    // Closes the handles (families that close elsewhere keep the default).
    virtual void UnInitDevice();
    // Product and vendor id to match when opening.
    virtual void SetDeviceId(quint16 productId, quint16 vendorId);

    // Macro blocks and the profile image (families with feature reports).
    virtual int WriteMacroList(const QList<int> &macroIndexes);
    virtual int WriteMacroBlock(const QByteArray &block);  // 1024 bytes
    virtual int ReadMacroBlock(QByteArray &block);         // 1024 bytes out
    virtual int ReadProfileImage(QByteArray &profile);     // 476 bytes out
    virtual int WriteProfileImage(const QByteArray &profile); // 476 bytes

    // One-byte commands (families with a command set).
    virtual int SetCurrentProfile(quint8 profile);
    virtual int GetCurrentProfile(quint8 &profile);
    virtual int GetFirmwareVersion(quint32 &version);
    virtual int PassThrough(int a, int b);
    virtual int ReadWorkMode();
    virtual int EnterBootloader();
    virtual int ReadStatusWord(quint16 &value);  // 16-bit status read
    virtual int ReadStatusDword(quint32 &value); // 32-bit status read (battery)
    virtual int SendByteCommand(quint8 value);   // one-byte command 0xAB
    virtual int QuickStatusRead(quint16 &value);

    // Memory at the profile base of a slot: (slot + 1) * 1024.
    virtual int ReadMemory(QByteArray &out, int length, int slot);
    virtual int WriteMemory(const QByteArray &data, int slot);
    // Memory at slot * 1024 + offset.
    virtual int ReadMemoryAt(QByteArray &out, int length, int slot, int offset);
    virtual int WriteMemoryAt(const QByteArray &data, int slot, int offset);
    // Button words 1..11.
    virtual int ReadButton(int button, quint32 &word, int slot);
    virtual int WriteButton(int button, quint32 word, int slot);

    // Device-path match strings for wired and receiver mode.
    virtual void SetWiredWirelessString(const QString &wiredPath, const QString &wirelessPath);
};
