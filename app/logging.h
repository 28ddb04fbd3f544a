#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

// The "-d" debug log: APP/Log/yyyy_MM_dd_hh.txt, one file per clock hour,
// each line "yyyy-MM-dd hh:mm:ss: " + text.

// Text written for a message: debug unchanged, warnings, critical and fatal
// messages with their prefix, anything else empty.
QString logMessageText(QtMsgType type, const QString &message);
// Full path of the log file for a moment, under appDir.
QString logFilePathFor(const QString &appDir, const QDateTime &when);
// Appends one line; returns false when the file could not be opened.
bool appendLogLine(const QString &appDir, const QDateTime &when, QtMsgType type, const QString &message);

// The message handler "-d" installs. Appends from several threads are
// serialised so lines never interleave.
void fileMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message);

// True when the argument list (program path first) asks for the log: an
// argument equal to "-d", case-sensitive.
bool argumentsEnableLog(const QStringList &arguments);

// Where messages go. The device layers log every command they send, which
// is what the "-d" file is for; a terminal only sees that chatter when it
// was asked for.
struct LogRouting
{
    bool toFile = false;          // "-d": every message into the log file
    bool debugToTerminal = false; // debug and info lines on the terminal too
};

// "-d" and "--verbose" ask for debug lines on the terminal, and so does a
// non-empty QT_LOGGING_RULES (its rules then decide which lines get through).
LogRouting logRoutingFor(const QStringList &arguments, const QByteArray &loggingRules);
// Warnings, critical and fatal messages always reach the terminal.
bool reachesTerminal(QtMsgType type, const LogRouting &routing);
// Installs the handler for routing. Terminal lines go through the handler
// that was installed before (Qt's own), so QT_MESSAGE_PATTERN still applies.
void installLogRouting(const LogRouting &routing);
