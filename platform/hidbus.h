#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <memory>

// One value item of a report as the interface's report descriptor declares it.
struct HidValueCap
{
    quint8 reportId = 0; // 0 when the interface uses no report ids
    quint16 usagePage = 0;
    quint16 usage = 0;
};

// One HID interface (top-level collection) present on the bus.
//
// Report lengths are counted the way the mice's protocols count them: the
// report id byte is included, and it is present (as 0) even when the
// interface declares no report ids. A 6-byte command feature report is 1 id
// byte + 5 data bytes.
struct HidDeviceInfo
{
    QString path; // opaque, unique per interface
    quint16 vendorId = 0;
    quint16 productId = 0;
    quint16 releaseNumber = 0; // bcdDevice
    QString productString;
    quint16 usagePage = 0;
    quint16 usage = 0;
    int inputReportLength = 0;
    int outputReportLength = 0;
    int featureReportLength = 0;
    QVector<HidValueCap> featureValueCaps;
    // The interface is there but this user may not open it (on Linux: no
    // read and write access to its hidraw node, as before the udev rule).
    bool accessDenied = false;
};

// An open HID interface. Used by one thread at a time; the bus implementation
// takes care of anything shared between interfaces.
//
// Every buffer starts with the report id byte. A transfer to a device that has
// gone away fails; so does everything after it.
class HidDevice
{
public:
    virtual ~HidDevice();

    // Sends an output report (interrupt OUT, or the control pipe when none).
    virtual bool write(const QByteArray &report) = 0;
    // Waits up to timeoutMs for the next input report; returns its length,
    // 0 on time-out, -1 on error. report holds what arrived (id byte first).
    virtual int read(QByteArray &report, int timeoutMs) = 0;
    // Asks for an input report over the control pipe. report[0] is the id
    // to ask for and report.size() the length wanted; on success report
    // holds the answer, possibly shorter or longer than asked.
    virtual bool getInputReport(QByteArray &report) = 0;
    // Feature reports, the same conventions as above.
    virtual bool setFeature(const QByteArray &report) = 0;
    virtual bool getFeature(QByteArray &report) = 0;

    // System error of the last failed call (errno on Linux), 0 if none.
    virtual int lastError() const = 0;
};

class HidBus
{
public:
    virtual ~HidBus();
    // The HID interfaces present right now, in a stable order.
    virtual QVector<HidDeviceInfo> enumerate() = 0;
    // Opens one interface by its path; nullptr when it is gone or not ours.
    virtual std::unique_ptr<HidDevice> open(const QString &path) = 0;
};

// The process-wide bus. Defaults to the operating system's bus; the demo
// mode and the tests install an emulated one. The caller keeps ownership of
// a bus it installs and must outlive every device opened through it.
HidBus &hidBus();
void setHidBus(HidBus *bus);

// Creates the operating system's bus (hidraw on Linux).
std::unique_ptr<HidBus> createSystemHidBus();

// How the logged-in user gets access to interfaces flagged accessDenied:
// shell commands, one per line (on Linux, installing the udev rule).
QString hidAccessFixCommands();

// "VID_vvvv&PID_pppp" as Windows writes it in device paths: vendor digits
// upper case, product digits lower case. Matching is case-insensitive.
QString hidPathFragment(quint16 vendorId, quint16 productId);
bool hidInfoMatchesFragment(const HidDeviceInfo &info, const QString &fragment);
