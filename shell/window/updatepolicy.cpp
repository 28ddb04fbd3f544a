#include "shell/window/updatepolicy.h"

#include "discovery/models.h"

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
    // Firmware below the model's minimum misses functions the driver relies on.
    const int minimum = modelRow(mouseType).minimumFirmware;
    return minimum > 0 && firmwareVersion < minimum;
}

PackageSource updatePackageSource(bool preferLocal, bool localExists, bool cloudExists)
{
    const bool preferredExists = preferLocal ? localExists : cloudExists;
    const bool otherExists = preferLocal ? cloudExists : localExists;
    if (preferredExists || !otherExists)
        return preferLocal ? PackageSource::Local : PackageSource::Clouds;
    return preferLocal ? PackageSource::Clouds : PackageSource::Local;
}
