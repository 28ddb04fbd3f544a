#include "platform/hidparse.h"

#include <QByteArray>

#include <cstring>

namespace {
bool usageMatches(const HidDeviceInfo &info, quint16 usagePage, quint16 usage)
{
    return (usagePage == 0 || info.usagePage == usagePage) && (usage == 0 || info.usage == usage);
}
} // namespace

std::unique_ptr<HidDevice> OpenHidDevice(quint16 usagePage, quint16 usage, const QString &pathFragment)
{
    if (pathFragment.isEmpty())
        return nullptr;
    HidBus &bus = hidBus();
    const QVector<HidDeviceInfo> infos = bus.enumerate();
    for (const HidDeviceInfo &info : infos) {
        if (!hidInfoMatchesFragment(info, pathFragment) || !usageMatches(info, usagePage, usage))
            continue;
        if (std::unique_ptr<HidDevice> device = bus.open(info.path))
            return device;
    }
    return nullptr;
}

int GetInputReport(HidDevice *handle, unsigned char *buffer, int length, int *answerLength)
{
    if (answerLength)
        *answerLength = 0;
    if (!handle || !buffer || length <= 0)
        return 0;
    const char reportId = char(buffer[0]);
    QByteArray report(length, '\0');
    report[0] = reportId;
    if (!handle->getInputReport(report))
        return 0;
    // The first byte of the answer is its report id; anything else is not
    // the report we asked for.
    if (report.isEmpty() || report.at(0) != reportId)
        return 0;
    std::memset(buffer, 0, size_t(length));
    const int payload = qMin(report.size() - 1, length);
    if (payload > 0)
        std::memcpy(buffer, report.constData() + 1, size_t(payload));
    if (answerLength)
        *answerLength = qMax(payload, 0);
    return 1;
}

int FindHidDevice(const QString &pathFragment)
{
    if (pathFragment.isEmpty())
        return 0;
    const QVector<HidDeviceInfo> infos = hidBus().enumerate();
    for (const HidDeviceInfo &info : infos)
        if (hidInfoMatchesFragment(info, pathFragment))
            return 1;
    return 0;
}
