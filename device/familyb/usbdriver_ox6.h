#pragma once

#include "device/familyb/familybcodec.h"
#include "device/korvanusbdriver.h"

#include <QByteArray>
#include <QList>
#include <QVector>

#include <memory>

class HidDevice;

// Transport of protocol family B: feature reports on two vendor collections
// of the mouse, a 6-byte command collection and a 1032-byte data
// collection, opened on hidBus(). Every feature transfer waits 100 ms on the
// device clock first. Keeps the device's 1024-byte profile image and a
// buffer of up to 24 macros for upload. Lives on the coordinator's thread;
// owns its handles and closes them on close and destruction.
class USBDriver_OX6 : public KorvanUSBDriver
{
    Q_OBJECT

public:
    // One macro of the upload buffer: where it goes and what it holds.
    struct MacroEntry
    {
        quint8 number = 0;
        familyb::Macro macro;
    };

    static constexpr int kMacroBufferEntries = 24;
    static constexpr int kTransferWaitMs = 100;
    static constexpr int kReadSettleMs = 50;
    static constexpr int kStatusTries = 4;

    explicit USBDriver_OX6(QObject *parent = nullptr);
    ~USBDriver_OX6() override;

    // Opens the command and data collections of the configured ids.
    bool FindHIDDevice() override;
    void closeDevice();
    bool isOpen() const;
    // Also picks the model type (checksum) from the product id.
    void SetDeviceId(quint16 productId, quint16 vendorId) override;
    void setModelType(int modelType) { m_modelType = modelType; }
    int modelType() const { return m_modelType; }

    // Profile: 476 bytes out / in, checksum checked and completed.
    int ReadProfileImage(QByteArray &profile) override;
    int WriteProfileImage(const QByteArray &profile) override;
    QByteArray profileImage() const { return m_image; }
    familyb::ChecksumSeed checksumSeed() const { return m_seed; }

    // Macro block (command 0x05 / 0x85), 1024 bytes.
    int WriteMacroBlock(const QByteArray &block) override;
    int ReadMacroBlock(QByteArray &block) override;

    // Macros. setMacroBuffer fills the upload buffer (at most 24 entries);
    // WriteMacroList uploads the entries at the given buffer indexes.
    bool setMacroBuffer(const QList<MacroEntry> &entries);
    int WriteMacroList(const QList<int> &bufferIndexes) override;
    // Fills the buffer from the list and uploads all of it.
    int WriteMacroList(const QList<MacroEntry> &entries);
    int ReadMacro(quint8 number, familyb::Macro &macro);
    // The first 17 numbers of the macro number list, in turn.
    int ReadAllMacros(QList<MacroEntry> &macros);
    int SetMacroStruct(const familyb::Macro &macro, quint8 number);
    QVector<quint8> macroNumbers() const { return m_macroNumbers; }

    // The device's release number, remembered when it was opened.
    int GetFirmwareVersion(quint32 &version) override;
    quint16 firmwareVersion() const { return m_firmwareVersion; }

    // Status poll n (1 profile write, 2 macros, 3 macro block): true when
    // the device reports the operation done.
    bool GetStatus(int n);

    // Feature report primitives: wait 100 ms, then transfer. get copies the
    // first n bytes of the answer (report id included) and fails when the
    // answer is shorter.
    enum class Interface { Command, Data };
    bool setFeatureWithWait(Interface which, const QByteArray &payload);
    bool getFeatureWithWait(Interface which, int n, QByteArray &answer);
    // Plain reports on an interface, framed the same way.
    bool writeReport(Interface which, const QByteArray &payload);
    bool readReport(Interface which, int n, QByteArray &answer);

protected:
    // Checks and completes p[0..480]; family C replaces it.
    virtual bool checkProfileChecksum(QByteArray &p);

private:
    struct Endpoint
    {
        std::unique_ptr<HidDevice> read;
        std::unique_ptr<HidDevice> readWrite;
        quint8 reportId = 0;
        int featureLength = 0;
        bool isOpen() const { return read && readWrite; }
    };

    Endpoint &endpoint(Interface which);
    int uploadMacroBufferEntry(int index);

    quint16 m_vendorId = 0;
    quint16 m_productId = 0;
    int m_modelType = 0;
    quint16 m_firmwareVersion = 0;
    Endpoint m_command;
    Endpoint m_data;
    QByteArray m_image;
    familyb::ChecksumSeed m_seed;
    QList<MacroEntry> m_macroBuffer;
    QVector<quint8> m_macroNumbers;
};
