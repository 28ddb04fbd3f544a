#pragma once

#include <QString>
#include <QStringList>

// The commands of ox8ctl. Each takes the arguments after its name and
// returns the tool's exit code, having said why on stderr when it fails. They
// talk to whatever mouse hidBus() offers: the USB bus or a simulation.
namespace ox8ctl {

// Runs a command by name; ExitBadArguments for an unknown one.
int runCommand(const QString &command, const QStringList &args);

// commands.cpp
int cmdList();
int cmdShow(const QStringList &args);
// settingcommands.cpp
int cmdSetCpi(const QStringList &args);
int cmdSetRate(const QStringList &args);
int cmdSetButton(const QStringList &args);
int cmdSetLight(const QStringList &args);
// profilecommands.cpp
int cmdProfile(const QStringList &args);
int cmdSave(const QStringList &args);
int cmdReset(const QStringList &args);
int cmdExport(const QStringList &args);
int cmdImport(const QStringList &args);
// pairflashcommands.cpp
int cmdPair(const QStringList &args);
int cmdFlash(const QStringList &args);
// updatecommands.cpp
int cmdCheckUpdate(const QStringList &args);
int cmdUpdate(const QStringList &args);

} // namespace ox8ctl
