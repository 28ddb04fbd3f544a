#pragma once

#include <QString>
#include <QStringList>

// The command line of ox8cloud: where the data lives, how to listen, and
// which job to do (serve, or an administration command).
namespace ox8cloud {

struct Options
{
    QString dataDir;
    QString listenHost = QStringLiteral("127.0.0.1");
    int listenPort = 8080;
    QString database;       // empty: SQLite in the data folder
    QString tlsCertificate;
    QString tlsKey;
    QString publicUrl;      // base of the URLs handed to clients; empty: from each request's Host
    QString mailCommand;
    qint64 archiveLimit = 8 * 1024 * 1024;
    qint64 userQuota = 32 * 1024 * 1024;
    int sessionDays = 30;
    int threads = 64;
    int failDelayMs = 1000;
    int loginFailures = 5;
    int loginWindowSeconds = 60;
    int keepAliveSeconds = 2;
    bool testMode = false;
    bool accessLog = false;

    QString command = QStringLiteral("serve"); // serve, publish-firmware, publish-software, versions
    QStringList commandArguments;
    QString date;           // publish: the versionDate text
    QString url;            // publish-software: an outside download URL
};

// Fills options from arguments (without the program name). On false, error
// holds a message for standard error. help is set for --help.
bool parseOptions(const QStringList &arguments, Options *options, bool *help, QString *error);
QString usageText();

} // namespace ox8cloud
