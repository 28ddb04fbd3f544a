#include "device/familyb/usbdriver_ox6.h"

#include "platform/clock.h"
#include "platform/hidbus.h"
#include "discovery/models.h"

#include <QDebug>

using namespace familyb;

USBDriver_OX6::USBDriver_OX6(QObject *parent)
    : KorvanUSBDriver(parent)
    , m_image(kImageSize, '\0')
    , m_macroNumbers(macroNumberList())
{
}

USBDriver_OX6::~USBDriver_OX6()
{
    closeDevice();
}

void USBDriver_OX6::SetDeviceId(quint16 productId, quint16 vendorId)
{
    m_productId = productId;
    m_vendorId = vendorId;
    const FamilySelection selection = selectFamilyForPid(productId);
    if (selection.family == ProtocolFamily::B || selection.family == ProtocolFamily::C)
        m_modelType = selection.mouseType;
}

void USBDriver_OX6::closeDevice()
{
    m_command = Endpoint();
    m_data = Endpoint();
}

bool USBDriver_OX6::isOpen() const
{
    return m_command.isOpen() && m_data.isOpen();
}

bool USBDriver_OX6::FindHIDDevice()
{
    closeDevice();
    HidBus &bus = hidBus();
    const QVector<HidDeviceInfo> infos = bus.enumerate();
    for (const HidDeviceInfo &info : infos) {
        qDebug() << "name:" << info.productString;
        if (info.vendorId != m_vendorId || info.productId != m_productId)
            continue;

        qDebug() << "Usage:" << info.usage;
        qDebug() << "UsagePage:" << info.usagePage;
        qDebug() << "Feature report:" << info.featureValueCaps.size();
        qDebug() << "FeatureReportByteLength:" << info.featureReportLength;
        qDebug() << "InputReportByteLength:" << info.inputReportLength;
        qDebug() << "OutputReportByteLength:" << info.outputReportLength;

        if (info.featureValueCaps.isEmpty()) {
            qDebug() << "NumberFeatureValueCaps == 0";
            continue;
        }
        // Both the page and the usage must be the vendor's: other
        // collections of the mouse (keyboard, consumer) share its ids.
        if (info.usage != kVendorUsage || info.usagePage != kVendorUsagePage) {
            qDebug() << "Usage  UsagePage  error";
            continue;
        }
        const HidValueCap *cap = nullptr;
        for (const HidValueCap &c : info.featureValueCaps) {
            if (c.usage == kVendorUsage && c.usagePage == kVendorUsagePage) {
                cap = &c;
                break;
            }
        }
        if (!cap) {
            qDebug() << "HIDP_STATUS_INVALID_PREPARSED_DATA";
            continue;
        }

        Endpoint endpoint;
        endpoint.read = bus.open(info.path);
        endpoint.readWrite = bus.open(info.path);
        if (!endpoint.isOpen()) {
            qDebug() << m_modelType << " INVALID_HANDLE_VALUE";
            continue;
        }
        endpoint.reportId = cap->reportId;
        endpoint.featureLength = info.featureReportLength;

        // The first collection of each length wins.
        if (info.featureReportLength == kDataFeatureLength && !m_data.isOpen())
            m_data = std::move(endpoint);
        else if (info.featureReportLength == kCommandFeatureLength && !m_command.isOpen())
            m_command = std::move(endpoint);
        else
            continue; // any other length: the handles close here

        if (isOpen()) {
            m_firmwareVersion = info.releaseNumber;
            return true;
        }
    }
    closeDevice();
    return false;
}

USBDriver_OX6::Endpoint &USBDriver_OX6::endpoint(Interface which)
{
    return which == Interface::Command ? m_command : m_data;
}

bool USBDriver_OX6::setFeatureWithWait(Interface which, const QByteArray &payload)
{
    deviceClock().sleepMs(kTransferWaitMs);
    Endpoint &ep = endpoint(which);
    if (!ep.isOpen())
        return false;
    const QByteArray report = frameReport(ep.reportId, ep.featureLength, payload);
    if (report.isEmpty())
        return false;
    if (!ep.readWrite->setFeature(report)) {
        qDebug() << "HidD_SetFeature fail: " << ep.readWrite->lastError();
        return false;
    }
    return true;
}

bool USBDriver_OX6::getFeatureWithWait(Interface which, int n, QByteArray &answer)
{
    deviceClock().sleepMs(kTransferWaitMs);
    Endpoint &ep = endpoint(which);
    if (!ep.isOpen() || n < 1 || n > ep.featureLength)
        return false;
    QByteArray report(ep.featureLength, '\0');
    report[0] = char(ep.reportId);
    if (!ep.read->getFeature(report)) {
        qDebug().noquote() << QString::asprintf("HidD_GetFeature Failed, Error Code %d\n", ep.read->lastError());
        return false;
    }
    if (report.size() < n)
        return false;
    answer = report.left(n);
    return true;
}

bool USBDriver_OX6::writeReport(Interface which, const QByteArray &payload)
{
    Endpoint &ep = endpoint(which);
    if (!ep.isOpen())
        return false;
    const QByteArray report = frameReport(ep.reportId, ep.featureLength, payload);
    if (report.isEmpty())
        return false;
    if (!ep.readWrite->write(report)) {
        qDebug().noquote() << QString::asprintf("WriteFile Failed, Error Code %d\n", ep.readWrite->lastError());
        return false;
    }
    return true;
}

bool USBDriver_OX6::readReport(Interface which, int n, QByteArray &answer)
{
    Endpoint &ep = endpoint(which);
    if (!ep.isOpen() || n < 1 || n > ep.featureLength)
        return false;
    QByteArray report(ep.featureLength, '\0');
    report[0] = char(ep.reportId);
    if (!ep.read->getInputReport(report) || report.size() < n) {
        qDebug().noquote() << QString::asprintf("HidD_GetInputReport Failed, Error Code %d\n",
                                                ep.read->lastError());
        return false;
    }
    answer = report.left(n);
    return true;
}

bool USBDriver_OX6::GetStatus(int n)
{
    for (int attempt = 0; attempt < kStatusTries; ++attempt) {
        if (attempt > 0)
            deviceClock().sleepMs(kTransferWaitMs);
        qDebug() << "GetStatus" << n << attempt;
        QByteArray answer;
        if (!setFeatureWithWait(Interface::Command, statusCommand())
            || !getFeatureWithWait(Interface::Data, kStatusAnswerLength, answer))
            return false;
        switch (parseStatusAnswer(answer, n, attempt == 0)) {
        case StatusAnswer::Done: return true;
        case StatusAnswer::Invalid: return false;
        case StatusAnswer::Busy: break;
        }
    }
    return false;
}

bool USBDriver_OX6::checkProfileChecksum(QByteArray &p)
{
    return applyFamilyBChecksum(p, m_modelType, m_seed);
}

int USBDriver_OX6::ReadProfileImage(QByteArray &profile)
{
    deviceClock().sleepMs(kReadSettleMs);
    qDebug() << "GetProfileData len:" << m_data.featureLength;
    QByteArray answer;
    if (!setFeatureWithWait(Interface::Command, profileReadCommand())
        || !getFeatureWithWait(Interface::Data, kDataFeatureLength, answer))
        return 0;
    QByteArray image;
    ChecksumSeed seed;
    if (!parseProfileAnswer(answer, image, seed)) {
        qDebug() << "ReadProfileImage: unexpected answer";
        return 0;
    }
    m_image = image;
    m_seed = seed;
    qDebug() << "SetProfileData+++++";
    const bool valid = checkProfileChecksum(m_image);
    if (!valid && modelRow(m_modelType).checksum.required) {
        qDebug() << "ReadProfileImage: checksum mismatch for model" << m_modelType;
        return 0;
    }
    profile = m_image.left(kProfileSize);
    return 1;
}

int USBDriver_OX6::WriteProfileImage(const QByteArray &profile)
{
    if (profile.size() < kProfileSize)
        return 0;
    m_image.replace(0, kProfileSize, profile.left(kProfileSize));
    QByteArray payload = profileWritePayload(m_image);
    qDebug() << "SetProfileData+++++";
    QByteArray p = payload.mid(7);
    const bool valid = checkProfileChecksum(p);
    if (!valid && modelRow(m_modelType).checksum.required) {
        qDebug() << "WriteProfileImage: checksum mismatch for model" << m_modelType;
        return 0;
    }
    payload.replace(7, p.size(), p);
    if (!setFeatureWithWait(Interface::Data, payload))
        return 0;
    deviceClock().sleepMs(kTransferWaitMs);
    return GetStatus(kStatusProfileWrite) ? 1 : 0;
}

int USBDriver_OX6::WriteMacroBlock(const QByteArray &block)
{
    const QByteArray payload = macroBlockWritePayload(block);
    if (payload.isEmpty() || !setFeatureWithWait(Interface::Data, payload))
        return 0;
    deviceClock().sleepMs(kTransferWaitMs);
    return GetStatus(kStatusMacroBlock) ? 1 : 0;
}

int USBDriver_OX6::ReadMacroBlock(QByteArray &block)
{
    deviceClock().sleepMs(kReadSettleMs);
    QByteArray answer;
    if (!setFeatureWithWait(Interface::Command, macroBlockReadCommand())
        || !getFeatureWithWait(Interface::Data, kDataFeatureLength, answer))
        return 0;
    return parseMacroBlockAnswer(answer, block) ? 1 : 0;
}

int USBDriver_OX6::ReadMacro(quint8 number, Macro &macro)
{
    QByteArray answer;
    if (!setFeatureWithWait(Interface::Command, macroReadCommand(number))
        || !getFeatureWithWait(Interface::Data, kDataFeatureLength, answer))
        return 0;
    Macro parsed;
    if (!parseMacroAnswer(answer, parsed)) {
        qDebug() << "ReadMacro: unusable answer for macro" << number;
        return 0;
    }
    deviceClock().sleepMs(kReadSettleMs);
    if (!GetStatus(kStatusMacro))
        return 0;
    macro = parsed;
    return 1;
}

int USBDriver_OX6::ReadAllMacros(QList<MacroEntry> &macros)
{
    QList<MacroEntry> out;
    for (int i = 0; i < kReadAllMacroCount; ++i) {
        MacroEntry entry;
        entry.number = m_macroNumbers.at(i);
        if (!ReadMacro(entry.number, entry.macro))
            return 0;
        out.append(entry);
    }
    macros = out;
    return 1;
}

int USBDriver_OX6::SetMacroStruct(const Macro &macro, quint8 number)
{
    qDebug() << "SetMacroStruct" << number;
    const QByteArray payload = macroWritePayload(number, macro);
    if (payload.isEmpty()) {
        qDebug() << "SetMacroStruct: macro refused, entries:" << macro.entries.size();
        return 0;
    }
    qDebug() << "MacroItemLength" << 2 + 2 * macro.entries.size();
    if (!setFeatureWithWait(Interface::Data, payload))
        return 0;
    deviceClock().sleepMs(kTransferWaitMs);
    return GetStatus(kStatusMacro) ? 1 : 0;
}

bool USBDriver_OX6::setMacroBuffer(const QList<MacroEntry> &entries)
{
    if (entries.size() > kMacroBufferEntries)
        return false;
    for (const MacroEntry &e : entries)
        if (macroBuffer(e.macro).isEmpty())
            return false;
    m_macroBuffer = entries;
    return true;
}

int USBDriver_OX6::uploadMacroBufferEntry(int index)
{
    if (index < 0 || index >= m_macroBuffer.size())
        return 0;
    const MacroEntry &entry = m_macroBuffer.at(index);
    const QByteArray payload = macroWritePayload(entry.number, entry.macro);
    if (payload.isEmpty() || !setFeatureWithWait(Interface::Data, payload))
        return 0;
    deviceClock().sleepMs(kReadSettleMs);
    return GetStatus(kStatusMacro) ? 1 : 0;
}

int USBDriver_OX6::WriteMacroList(const QList<int> &bufferIndexes)
{
    for (int index : bufferIndexes)
        if (!uploadMacroBufferEntry(index))
            return 0;
    return 1;
}

int USBDriver_OX6::WriteMacroList(const QList<MacroEntry> &entries)
{
    if (!setMacroBuffer(entries))
        return 0;
    QList<int> indexes;
    for (int i = 0; i < entries.size(); ++i)
        indexes.append(i);
    return WriteMacroList(indexes);
}

int USBDriver_OX6::GetFirmwareVersion(quint32 &version)
{
    version = m_firmwareVersion;
    return 1;
}
