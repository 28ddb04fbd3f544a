#include "update/updaterules.h"

#include "config/servicesettings.h"
#include "discovery/models.h"

#include <QUrl>

namespace {
// Versions are small numbers; more digits than this are no version.
constexpr int kMaxVersionDigits = 9;
} // namespace

bool parseFirmwareVersion(const QString &text, int &version)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    int i = 0;
    while (i < t.size() - 1 && t.at(i) == QLatin1Char('0'))
        ++i;
    const QString digits = t.mid(i);
    if (digits.size() > kMaxVersionDigits)
        return false;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    version = digits.toInt();
    return true;
}

FirmwareCheckOutcome firmwareCheckOutcome(int rCode, const QString &version, const QString &downloadUrl,
                                          int mouseVersion)
{
    if (rCode != 0)
        return FirmwareCheckOutcome::Failed;
    int offered = 0;
    if (!parseFirmwareVersion(version, offered))
        return FirmwareCheckOutcome::NoVersion;
    if (offered == mouseVersion)
        return FirmwareCheckOutcome::UpToDate;
    if (!isAllowedRemoteUrl(QUrl(downloadUrl, QUrl::StrictMode)))
        return FirmwareCheckOutcome::NoDownload;
    return FirmwareCheckOutcome::NewerAvailable;
}

UpdateRoute updateRoute(int mouseType, bool externalUpdaterRuns)
{
    if (mouseType == NoModel)
        return UpdateRoute::None;
    if (mouseType >= Ox4C && mouseType <= Ox4)
        return UpdateRoute::Flasher;
    if (mouseType == Ox7EU && !externalUpdaterRuns)
        return UpdateRoute::Flasher;
    return UpdateRoute::ExternalUpdater;
}

bool asksBeforeExternalUpdater(int mouseType)
{
    switch (mouseType) {
    case Ox2:
    case Ox6:
    case Ox1:
    case Ox2S:
    case Ox1S:
    case Ox5:
    case Ox7EU:
    case Ox6PictureCode:
    case Ox8:
        return true;
    default:
        return false;
    }
}
