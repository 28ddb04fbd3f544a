#include "app/logging.h"

#include "platform/appdir.h"
#include "platform/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStringList>

QString logMessageText(QtMsgType type, const QString &message)
{
    switch (type) {
    case QtDebugMsg: return message;
    case QtWarningMsg: return QStringLiteral("Warning: ") + message;
    case QtCriticalMsg: return QStringLiteral("Critical: ") + message;
    case QtFatalMsg: return QStringLiteral("Fatal: ") + message;
    default: return QString();
    }
}

QString logFilePathFor(const QString &appDir, const QDateTime &when)
{
    return appDir + QStringLiteral("/Log/") + when.toString(QStringLiteral("yyyy_MM_dd_hh")) + QStringLiteral(".txt");
}

bool appendLogLine(const QString &appDir, const QDateTime &when, QtMsgType type, const QString &message)
{
    const QString text = logMessageText(type, message);
    const QString path = logFilePathFor(appDir, when);
    if (!QFileInfo::exists(path))
        QDir().mkpath(QFileInfo(path).absolutePath());
    // Never through a link, never into a FIFO (which would block every
    // message until something reads it).
    QFile file;
    if (!openForAppend(file, path))
        return false;
    const QString line = when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + QStringLiteral(": ") + text
        + QLatin1Char('\n');
    file.write(line.toUtf8());
    return true;
}

void fileMessageHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    static QMutex mutex;
    QMutexLocker lock(&mutex);
    appendLogLine(appDirectory(), QDateTime::currentDateTime(), type, message);
}

bool argumentsEnableLog(const QStringList &arguments)
{
    return arguments.contains(QStringLiteral("-d"), Qt::CaseSensitive);
}

LogRouting logRoutingFor(const QStringList &arguments, const QByteArray &loggingRules)
{
    LogRouting routing;
    routing.toFile = argumentsEnableLog(arguments);
    routing.debugToTerminal = routing.toFile || arguments.contains(QStringLiteral("--verbose"), Qt::CaseSensitive)
                              || !loggingRules.trimmed().isEmpty();
    return routing;
}

bool reachesTerminal(QtMsgType type, const LogRouting &routing)
{
    switch (type) {
    case QtDebugMsg:
    case QtInfoMsg:
        return routing.debugToTerminal;
    default:
        return true;
    }
}

namespace {
// Set once before the handler is installed, read from any thread after.
LogRouting g_routing;
QtMessageHandler g_terminalHandler = nullptr;

void routingMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (g_routing.toFile)
        fileMessageHandler(type, context, message);
    if (g_terminalHandler && reachesTerminal(type, g_routing))
        g_terminalHandler(type, context, message);
}
} // namespace

void installLogRouting(const LogRouting &routing)
{
    g_routing = routing;
    QtMessageHandler previous = qInstallMessageHandler(routingMessageHandler);
    // Installing twice must not make the handler call itself.
    if (previous != routingMessageHandler)
        g_terminalHandler = previous;
}
