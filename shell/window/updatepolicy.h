#pragma once

#include "update/firmwarepackage.h"

#include <QString>

// What the main window tells the user after a software or firmware version
// check, as pure functions of the versions and flags it holds.

enum class SoftwareCheckOutcome {
    Silent,           // nothing to show
    CheckFailed,      // the server's message (asked for on the support page)
    UpToDate,         // asked for on the support page
    NewVersionAsked,  // a newer version, asked for on the support page
    NewVersionFound,  // a newer version found after a device opened
};

// rCode: the version query's result code (0 = answered). Any offered
// version that differs from the running one counts as newer. notRemind:
// the user asked not to hear about new versions; it silences only the check
// that runs after a device opened.
SoftwareCheckOutcome softwareCheckOutcome(int rCode, const QString &offeredVersion,
                                          const QString &runningVersion, bool manualCheck, bool notRemind);

// Whether the window keeps the offered package's path for the download.
bool offersDownload(SoftwareCheckOutcome outcome);

// True when the model's firmware lacks functions the driver relies on.
bool isFirmwareTooOld(int mouseType, int firmwareVersion);

// Where the update dialog takes its package from: the source the caller
// asked for when its package is there, else the other one when that is,
// else the one asked for (the dialog then reports the package missing).
PackageSource updatePackageSource(bool preferLocal, bool localExists, bool cloudExists);
