#include "sim/familya/familyaendpoint.h"

#include "discovery/models.h"

#include <QMutexLocker>

class FamilyAEndpoint::VendorInterface final : public EmulatedInterface
{
public:
    explicit VendorInterface(FamilyAEndpoint *owner)
        : m_owner(owner)
    {
    }
    bool onWrite(const QByteArray &report) override { return m_owner->onWrite(report); }
    bool onGetInputReport(QByteArray &report) override { return m_owner->onGetInputReport(report); }

private:
    FamilyAEndpoint *m_owner;
};

// The mouse's ordinary pointer collection: nothing the configuration tool
// may talk to. Its reads time out and its writes fail.
class FamilyAEndpoint::PointerInterface final : public EmulatedInterface
{
};

FamilyAEndpoint::FamilyAEndpoint(quint16 productId, const QString &productString)
    : m_vendor(std::make_unique<VendorInterface>(this))
    , m_pointer(std::make_unique<PointerInterface>())
{
    HidDeviceInfo &v = m_vendor->info;
    v.vendorId = VID_KORVAN;
    v.productId = productId;
    v.releaseNumber = 0x0100;
    v.productString = productString;
    v.usagePage = FAMILY_A_USAGE_PAGE;
    v.usage = FAMILY_A_USAGE;
    v.inputReportLength = FAMILY_A_REPORT_LENGTH;
    v.outputReportLength = FAMILY_A_REPORT_LENGTH;

    HidDeviceInfo &p = m_pointer->info;
    p.vendorId = VID_KORVAN;
    p.productId = productId;
    p.releaseNumber = 0x0100;
    p.productString = productString;
    p.usagePage = 0x0001; // generic desktop
    p.usage = 0x0002;     // mouse
    p.inputReportLength = 8;
}

FamilyAEndpoint::~FamilyAEndpoint() = default;

QVector<EmulatedInterface *> FamilyAEndpoint::interfaces()
{
    QMutexLocker locker(&m_mutex);
    if (m_pointerPresent)
        return {m_pointer.get(), m_vendor.get()};
    return {m_vendor.get()};
}

void FamilyAEndpoint::setAnswerDelay(int reads, quint8 pendingStatus)
{
    QMutexLocker locker(&m_mutex);
    m_delayReads = qMax(0, reads);
    m_delayStatus = pendingStatus;
}

void FamilyAEndpoint::setPointerCollection(bool present)
{
    QMutexLocker locker(&m_mutex);
    m_pointerPresent = present;
}

int FamilyAEndpoint::outputReports() const
{
    QMutexLocker locker(&m_mutex);
    return m_outputReports;
}

int FamilyAEndpoint::inputReports() const
{
    QMutexLocker locker(&m_mutex);
    return m_inputReports;
}

const HidDeviceInfo &FamilyAEndpoint::vendorInfo() const
{
    return m_vendor->info;
}

void FamilyAEndpoint::noteReport(const QByteArray &) {}

void FamilyAEndpoint::resetHandshake()
{
    QMutexLocker locker(&m_mutex);
    m_answer = FamilyAAnswer::none();
    m_pendingLeft = 0;
}

void FamilyAEndpoint::resetTransferCounters()
{
    QMutexLocker locker(&m_mutex);
    m_outputReports = 0;
    m_inputReports = 0;
}

bool FamilyAEndpoint::onWrite(const QByteArray &report)
{
    QMutexLocker locker(&m_mutex);
    // The collection declares exactly one 32-byte output report; anything
    // else never reaches the firmware.
    if (report.size() != FAMILY_A_REPORT_LENGTH || quint8(report.at(0)) != FAMILY_A_REPORT_ID)
        return false;
    ++m_outputReports;
    noteReport(report);
    if (m_faults.take(Fault::FailedStatus))
        m_answer = FamilyAAnswer::failed();
    else
        m_answer = handleReport(report);
    m_pendingLeft = m_delayReads;
    return true;
}

bool FamilyAEndpoint::onGetInputReport(QByteArray &report)
{
    QMutexLocker locker(&m_mutex);
    if (report.isEmpty() || quint8(report.at(0)) != FAMILY_A_REPORT_ID)
        return false;
    ++m_inputReports;
    if (m_faults.take(Fault::FailedTransfer))
        return false;

    QByteArray wire(FAMILY_A_REPORT_LENGTH, '\0');
    wire[0] = char(FAMILY_A_REPORT_ID);
    if (m_faults.take(Fault::NoAnswer) || m_answer.silent) {
        wire[1] = char(FamilyAStatus::NotReady);
    } else if (m_pendingLeft > 0) {
        --m_pendingLeft;
        wire[1] = char(m_delayStatus);
    } else if (m_faults.take(Fault::BusyStatus)) {
        wire[1] = char(FamilyAStatus::Busy);
    } else {
        wire[1] = char(m_answer.status);
        const int n = qMin(m_answer.result.size(), FAMILY_A_REPORT_LENGTH - 2);
        for (int i = 0; i < n; ++i)
            wire[2 + i] = m_answer.result.at(i);
    }
    int length = 0;
    if (m_faults.take(Fault::AnswerLength, &length)) {
        if (length <= wire.size())
            wire.truncate(length);
        else
            wire.append(QByteArray(length - wire.size(), '\0'));
    }
    report = wire;
    return true;
}
