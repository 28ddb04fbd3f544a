#include "tools/ox8ctl/tool.h"

#include "tools/ox8ctl/commands.h"
#include "tools/ox8ctl/session.h"

#include "platform/appdir.h"
#include "platform/clock.h"
#include "platform/lockfile.h"
#include "platform/safefile.h"
#include "sim/simulation.h"

#include <QDir>
#include <QLockFile>

#include <cstdio>
#include <cstring>
#include <memory>

namespace ox8ctl {

namespace {
bool g_verbose = false;
// How long a command waits for another one to finish.
constexpr int kLockWaitMs = 60000;

QString appLockPath()
{
    return appDirectory() + QStringLiteral("/.lock");
}
} // namespace

void messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    // A damaged file moved aside is news to the user, whatever the options.
    const bool aboutFiles = context.category && std::strcmp(context.category, lcFiles().categoryName()) == 0
        && type != QtDebugMsg && type != QtInfoMsg;
    if (aboutFiles && !g_verbose) {
        std::fprintf(stderr, "ox8ctl: %s\n", qPrintable(message));
        return;
    }
    if (!g_verbose && type != QtFatalMsg)
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

int run(const QStringList &arguments)
{
    QStringList args = arguments;
    QString simulate;
    bool haveSimulate = false;
    QString statePath;
    bool haveState = false;
    bool realTime = false;
    // Global options come before the command.
    while (!args.isEmpty() && args.first().startsWith(QLatin1Char('-'))) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
            std::fprintf(stdout, "%s", qPrintable(generalHelp()));
            return ExitOk;
        } else if (option == QLatin1String("-v") || option == QLatin1String("--verbose")) {
            g_verbose = true;
        } else if (option == QLatin1String("--real-time")) {
            realTime = true;
        } else if (option == QLatin1String("--simulate") || option == QLatin1String("--state")) {
            if (args.isEmpty())
                return fail(ExitBadArguments, QStringLiteral("%1 needs a value").arg(option));
            if (option == QLatin1String("--simulate")) {
                // An empty model (a script's unset variable) must never fall
                // through to the real mice.
                simulate = args.takeFirst().trimmed();
                haveSimulate = true;
                if (simulate.isEmpty())
                    return fail(ExitBadArguments, QStringLiteral("--simulate needs a model name, not an empty one"));
            } else {
                statePath = args.takeFirst();
                haveState = true;
            }
        } else {
            return fail(ExitBadArguments, QStringLiteral("unknown option \"%1\"; try ox8ctl --help").arg(option));
        }
    }
    if (args.isEmpty()) {
        std::fprintf(stderr, "%s", qPrintable(generalHelp()));
        return ExitBadArguments;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("help")) {
        if (args.isEmpty()) {
            std::fprintf(stdout, "%s", qPrintable(generalHelp()));
            return ExitOk;
        }
        const QString text = commandHelp(args.first());
        if (text.isEmpty())
            return fail(ExitBadArguments, QStringLiteral("unknown command \"%1\"").arg(args.first()));
        std::fprintf(stdout, "%s", qPrintable(text));
        return ExitOk;
    }
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        const QString text = commandHelp(command);
        if (text.isEmpty())
            return fail(ExitBadArguments, QStringLiteral("unknown command \"%1\"").arg(command));
        std::fprintf(stdout, "%s", qPrintable(text));
        return ExitOk;
    }
    if (!commandNames().contains(command))
        return fail(ExitBadArguments, QStringLiteral("unknown command \"%1\"; try ox8ctl --help").arg(command));
    if (haveState && !haveSimulate)
        return fail(ExitBadArguments, QStringLiteral("--state needs --simulate"));
    if (realTime && !haveSimulate)
        return fail(ExitBadArguments, QStringLiteral("--real-time needs --simulate"));

    // The emulated desk outlives everything that talks to it.
    Simulation simulation;
    VirtualClock virtualClock;
    std::unique_ptr<ScopedDeviceClock> clockScope;
    if (haveSimulate) {
        QString error;
        if (!simulation.setUp(simulate, &error))
            return fail(ExitUnknownModel, error);
    }

    // One command at a time per APP, and per emulated mouse: every command
    // reads, changes and writes back the profile files (and the state file)
    // as a whole, so two at once would lose one's changes. The lock of a
    // command that died is taken over.
    QDir().mkpath(appDirectory());
    QLockFile appLock(appLockPath());
    appLock.setStaleLockTime(0);
    if (!lockTakingOverTheDead(appLock, appLockPath(), kLockWaitMs))
        return fail(ExitDeviceFailure, QStringLiteral("%1 is in use by another ox8ctl; try again").arg(appDirectory()));

    if (simulation.isValid()) {
        QString error;
        if (!haveState)
            statePath = Simulation::defaultStatePath(simulation.mouseType(), simulation.throughReceiver());
        if (!simulation.lockState(statePath, kLockWaitMs, &error))
            return fail(ExitDeviceFailure, error);
        if (!simulation.loadState(statePath, &error))
            return fail(ExitBadArguments, error);
        simulation.install();
        if (!realTime)
            clockScope = std::make_unique<ScopedDeviceClock>(&virtualClock);
    }

    // A change an earlier command did not finish is put in step before
    // anything else reads or changes the mouse.
    if (!QStringList{QStringLiteral("list"), QStringLiteral("export"), QStringLiteral("check-update"),
                     QStringLiteral("update"), QStringLiteral("flash"), QStringLiteral("pair")}
             .contains(command))
        finishUnfinishedChange();

    const int rc = runCommand(command, args);

    if (simulation.isValid()) {
        QString error;
        if (!simulation.saveState(statePath, &error))
            return fail(rc == ExitOk ? ExitDeviceFailure : rc, error);
    }
    settleUnfinishedChange();
    return rc;
}

} // namespace ox8ctl
