#include "shell/window/updatepolicy.h"

namespace {
// OX8 firmware below this misses functions the driver relies on.
constexpr int kOx8Type = 18;
constexpr int kOx8MinimumFirmware = 5;
} // namespace

SoftwareCheckOutcome softwareCheckOutcome(int rCode, const QString &offeredVersion,
                                          const QString &runningVersion, bool manualCheck, bool notRemind)
{
    if (rCode != 0)
        return manualCheck ? SoftwareCheckOutcome::CheckFailed : SoftwareCheckOutcome::Silent;
    const bool newer = !offeredVersion.isEmpty() && offeredVersion != runningVersion;
    if (!newer)
        return manualCheck ? SoftwareCheckOutcome::UpToDate : SoftwareCheckOutcome::Silent;
    if (manualCheck)
        return SoftwareCheckOutcome::NewVersionAsked;
    return notRemind ? SoftwareCheckOutcome::Silent : SoftwareCheckOutcome::NewVersionFound;
}

bool offersDownload(SoftwareCheckOutcome outcome)
{
    return outcome == SoftwareCheckOutcome::NewVersionAsked || outcome == SoftwareCheckOutcome::NewVersionFound;
}

bool isFirmwareTooOld(int mouseType, int firmwareVersion)
{
    return mouseType == kOx8Type && firmwareVersion < kOx8MinimumFirmware;
}
