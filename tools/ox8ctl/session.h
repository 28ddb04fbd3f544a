#pragma once

#include "tools/ox8ctl/ox8ctl.h"

#include "coordinator/dcdatahandle.h"
#include "device/devicetypes.h"
#include "discovery/models.h"

#include <QList>
#include <QString>

// What the commands of ox8ctl share: their output, the choice of mouse, and
// a coordinator opened on it that records what it reported.
namespace ox8ctl {

// A line on stdout.
void say(const QString &text);
// "ox8ctl: text" on stderr; returns code, for "return fail(...)".
int fail(int code, const QString &text);
QString hex4(quint16 v);

// --- Which mouse -----------------------------------------------------------------------

struct Picked
{
    quint16 productId = 0;
    int mouseType = 0;
    bool wireless = false;
    bool bootLoader = false;
    int bootType = 0; // model of a family A mouse in its boot loader, 0 unknown
};

// The device watcher's choice, then (for the ids it does not watch, such as
// the OX5's) the first supported id on the bus.
Picked pickDevice();

// --- A coordinator and what it reported ----------------------------------------------------

class Session
{
public:
    Session()
    {
        QObject::connect(&dc, &DCDataHandle::sig_OpenDeviceResult, [this](bool ok, int type, bool wireless) {
            opened = ok;
            mouseType = type;
            isWireless = wireless;
        });
        QObject::connect(&dc, &DCDataHandle::sig_ShowWarningDialog, [this](int w) { warnings.append(w); });
        QObject::connect(&dc, &DCDataHandle::sig_SetCurrentCpiListValueOnPage,
                         [this](const QList<DWORD> &v) { cpi = v; });
        QObject::connect(&dc, &DCDataHandle::sig_SetCurrentReportRate, [this](int v) { rateIndex = v; });
        QObject::connect(&dc, &DCDataHandle::sig_SetCurrentConfigure, [this](int n) { profile = n; });
        QObject::connect(&dc, &DCDataHandle::sig_VersionNumber, [this](int v) { version = v; });
        QObject::connect(&dc, &DCDataHandle::sig_BatteryPower, [this](DWORD v) { battery = qint64(v); });
    }

    bool open(const Picked &picked)
    {
        dc.slot_OpenDevice(picked.productId, VID_KORVAN);
        return opened;
    }

    // Warnings raised since the last call.
    QList<int> takeWarnings()
    {
        QList<int> out = warnings;
        warnings.clear();
        return out;
    }

    DCDataHandle dc;
    bool opened = false;
    int mouseType = 0;
    bool isWireless = false;
    QList<int> warnings;
    QList<DWORD> cpi;
    int rateIndex = -1;
    int profile = 0;
    int version = 0;
    qint64 battery = -1;
};

// True when a Korvan interface with this product id is on the bus but this
// user may not open it (no udev rule yet).
bool isAccessDenied(quint16 productId);
// "found, no permission" and how to fix it, for stderr.
QString noPermissionHint();

// Opens the picked mouse; on failure returns the exit code to use.
int openSession(Session &session, const Picked &picked, bool readMustSucceed);
// The exit code for the warnings a write raised.
int checkWrite(Session &session, const QString &what);
int parseProfileNumber(const QString &text, int &number);

// --- Changes cut short ---------------------------------------------------------------------

// A change reaches the mouse and a profile file one after the other; a
// command killed in between leaves them apart (the mouse then matches no
// profile). While a change is under way a mark says what it was
// (APP/system/unfinished.json), and the next command first puts the two back
// in step: the profile file is loaded into the mouse again (which completes
// the change when its file was written, and takes it back otherwise), a cut
// short save is done again, a cut short reset is repeated.
enum class ChangeKind { Apply, Save, Reset };

// Marks a change as under way. profile 1..5; a change to a mouse that
// matches no profile is not marked.
void markUnfinishedChange(int mouseType, ChangeKind kind, int profile);

// Puts the attached mouse and its profile files back in step when a mark is
// left for its model; a mark for another model waits for that mouse.
void finishUnfinishedChange();

// Removes the mark this command made or finished, once the command's work
// has been kept as a whole (the emulated mouse's state file included).
void settleUnfinishedChange();

QString unfinishedChangePath();

} // namespace ox8ctl
