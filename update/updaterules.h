#pragma once

#include <QString>

// What a firmware check or an update of a model comes to, as pure functions
// of the answer, the mouse and the platform.

// The service's firmware version text as a number: decimal digits only,
// leading zeros allowed ("0032" is 32). False for an empty text, anything
// but digits, or a number too large for a version.
bool parseFirmwareVersion(const QString &text, int &version);

enum class FirmwareCheckOutcome {
    Failed,         // the service said no (or could not be asked): warning 9 with its message
    UpToDate,       // warning 11
    NewerAvailable, // a different version to download: warning 34
    NoVersion,      // answered without a usable version: warning 9
    NoDownload,     // a different version, but no address the program may fetch: warning 9
};

// rCode, version and downloadUrl as the version reply gave them; any
// difference from the mouse's version (higher or lower) offers the update.
FirmwareCheckOutcome firmwareCheckOutcome(int rCode, const QString &version, const QString &downloadUrl,
                                          int mouseVersion);

enum class UpdateRoute {
    None,            // no model chosen
    Flasher,         // the package goes to the coordinator's flasher
    ExternalUpdater, // the maker's separate updater program
};

// How a model is updated. Codes 7 to 12 always go through the flasher; the
// OX7EU (14), a family A mouse whose package is a NUC123 image as well, goes
// to the separate updater where it runs and to the flasher elsewhere; every
// other model needs the separate updater.
UpdateRoute updateRoute(int mouseType, bool externalUpdaterRuns);

// Models whose update asks before starting the separate updater (warning 41).
bool asksBeforeExternalUpdater(int mouseType);
