#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The whole of ox8ctl behind main(): global options, help, the simulated
// mouse and its state file, then the command.
namespace ox8ctl {

// Runs the tool on its arguments (without the program name); returns the
// exit code. Needs a QCoreApplication and the device meta types.
int run(const QStringList &arguments);

// Prints debug output on stderr only once --verbose was given (fatal
// messages always).
void messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message);

} // namespace ox8ctl
