#pragma once

#include <QString>
#include <QStringList>

// Starts other programs detached from this one (the restart tool).
// Replaceable so tests can see what would have been started.
class ProgramLauncher
{
public:
    virtual ~ProgramLauncher();
    // False when the program file does not exist or could not be started.
    virtual bool startDetached(const QString &program, const QStringList &arguments);
};

ProgramLauncher &programLauncher();
void setProgramLauncher(ProgramLauncher *launcher); // nullptr restores the system's
