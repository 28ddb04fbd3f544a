#pragma once

#include <QStringList>

// The ox8cloud program: parses the command line, then serves or runs an
// administration command. Returns the exit code.
namespace ox8cloud {

// Call first in main(), before any thread starts: every thread inherits the
// mask, and one thread of the server waits for SIGTERM and SIGINT.
void blockStopSignals();
int runOx8cloud(const QStringList &arguments);

} // namespace ox8cloud
