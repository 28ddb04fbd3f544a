#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Pieces of the command-line tool that have no I/O of their own, kept apart
// from main() so their parsing rules are easy to read in one place.
namespace ox8ctl {

// Exit codes (documented in --help; scripts rely on them).
enum ExitCode {
    ExitOk = 0,
    ExitDeviceFailure = 1,
    ExitBadArguments = 2,
    ExitUnknownModel = 3,
    ExitNoDevice = 4,
    ExitServiceFailure = 5,  // the update service failed or answered nothing usable
    ExitNewerAvailable = 10, // check-update: the service offers another firmware
};

// "800,1600,0" -> up to 7 values, padded with 0 (stage off). False with a
// message for anything else.
bool parseCpiList(const QString &text, QList<int> &values, QString &error);

// 125, 250, 500, 1000 Hz -> report-rate index 0..3; -1 otherwise.
int reportRateIndex(const QString &text);
int reportRateHz(int index);

// A button by name ("left", "wheel-up", …) or number 4..17; 0 when unknown.
int buttonCode(const QString &text);
// The name of a button code ("forward"); the number as text for a button
// without a name.
QString buttonCodeName(int button);

// What a button assignment sends to the coordinator.
struct ButtonAssignment
{
    int trueValue = 0;
    int modifier = 0;
    int changeType = 0;
};
// "left", "disable", "key:ctrl+c", … False with a message when unknown.
bool parseButtonFunction(const QString &text, ButtonAssignment &out, QString &error);
QStringList buttonFunctionNames();

// Light modes: off, steady, breathing, reactive, cycle, chase -> 0..5; -1 otherwise.
int lightMode(const QString &text);
// The name lightMode reads for a mode 0..5; "unknown" for any other value.
QString lightModeName(int mode);
// "#RRGGBB" -> 0x00BBGGRR. False when malformed.
bool parseColor(const QString &text, quint32 &colorRef);

// Help texts.
QString generalHelp();
// Empty for an unknown command.
QString commandHelp(const QString &command);
QStringList commandNames();

} // namespace ox8ctl
