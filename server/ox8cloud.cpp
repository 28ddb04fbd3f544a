#include "server/ox8cloud.h"

#include "server/cloudservice.h"
#include "server/collector.h"
#include "server/datafolder.h"
#include "server/httpfront.h"
#include "server/mailer.h"
#include "server/options.h"
#include "server/passwordhasher.h"
#include "server/publish.h"
#include "server/serverclock.h"
#include "server/serverlog.h"
#include "server/store.h"

#include <QThread>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <thread>

namespace ox8cloud {

namespace {

void printOut(const QString &text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void printError(const QString &text)
{
    const QByteArray bytes = "ox8cloud: " + text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

QString urlHost(const QString &host)
{
    return host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
}

sigset_t stopSignalSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

int serve(const Options &o, Store &store, const DataFolder &data, ServerClock &clock)
{
    const sigset_t stopSignals = stopSignalSet();
    const int cores = QThread::idealThreadCount();
    const PasswordHasher hasher(Argon2Cost{}, cores < 2 ? 2 : cores);
    Mailer mailer(data.outboxDir(), o.mailCommand);
    Collector collector(data.analyticsFile());

    ServiceConfig config;
    config.publicUrl = o.publicUrl;
    config.tls = !o.tlsCertificate.isEmpty();
    config.archiveLimit = o.archiveLimit;
    config.userQuota = o.userQuota;
    config.sessionSeconds = qint64(o.sessionDays) * 24 * 3600;
    config.loginFailures = o.loginFailures;
    config.loginWindowSeconds = o.loginWindowSeconds;
    config.failDelayMs = o.failDelayMs;
    config.testMode = o.testMode;

    FrontConfig front;
    front.certificateFile = o.tlsCertificate;
    front.keyFile = o.tlsKey;
    front.threads = o.threads;
    front.payloadLimit = o.archiveLimit + 256 * 1024;
    front.keepAliveSeconds = o.keepAliveSeconds;
    front.accessLog = o.accessLog;

    CloudService service(config, store, hasher, clock, mailer, collector, data);
    HttpFront http(service, front);
    QString error;
    if (!http.isValid(&error)) {
        printError(error);
        return 1;
    }
    const int port = http.bind(o.listenHost, o.listenPort);
    if (port < 0) {
        printError(QStringLiteral("cannot listen on %1:%2").arg(urlHost(o.listenHost)).arg(o.listenPort));
        return 1;
    }
    const QString scheme = http.isTls() ? QStringLiteral("https") : QStringLiteral("http");
    const QString listenUrl = QStringLiteral("%1://%2:%3").arg(scheme, urlHost(o.listenHost)).arg(port);
    service.setListenUrl(listenUrl);

    logLine(QStringLiteral("data folder %1, %2%3").arg(data.root(), store.describe(),
                                                      o.testMode ? QStringLiteral(", test mode") : QString()));
    printOut(QStringLiteral("ox8cloud listening on %1").arg(listenUrl));

    // A stop signal may come before run() has started listening: the waiter
    // stops the server once it runs. When run() ends by itself, the main
    // thread wakes the waiter; `woken` makes sure only one side acts.
    std::atomic<bool> woken{false};
    std::atomic<bool> finished{false};
    std::thread signalWaiter([&http, &stopSignals, &woken, &finished] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        if (woken.exchange(true))
            return;
        for (int i = 0; i < 3000 && !finished; ++i) {
            if (http.isRunning()) {
                http.stop();
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    http.run();
    finished = true;
    if (!woken.exchange(true))
        pthread_kill(signalWaiter.native_handle(), SIGTERM);
    signalWaiter.join();
    logLine(QStringLiteral("stopped"));
    return 0;
}

} // namespace

void blockStopSignals()
{
    const sigset_t set = stopSignalSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    // A client that goes away mid-answer must not end the process.
    signal(SIGPIPE, SIG_IGN);
}

int runOx8cloud(const QStringList &arguments)
{
    Options o;
    bool help = false;
    QString error;
    if (!parseOptions(arguments, &o, &help, &error)) {
        printError(error);
        std::fputs(usageText().toUtf8().constData(), stderr);
        return 2;
    }
    if (help) {
        std::fputs(usageText().toUtf8().constData(), stdout);
        return 0;
    }

    // Accounts, archives and mails with codes: nothing here is for other users.
    umask(077);
    const DataFolder data(o.dataDir);
    if (!data.prepare(&error)) {
        printError(error);
        return 1;
    }
    DatabaseConfig db;
    if (!parseDatabaseUrl(o.database, data.root(), &db, &error)) {
        printError(error);
        return 2;
    }
    Store store(db);
    if (!store.open(&error)) {
        printError(error);
        return 1;
    }
    ServerClock clock;
    int code = 0;
    if (o.command == QLatin1String("serve")) {
        code = serve(o, store, data, clock);
    } else if (o.command == QLatin1String("versions")) {
        QString listing;
        code = listVersions(store, &listing);
        if (code == 0)
            std::fputs(listing.toUtf8().constData(), stdout);
        else
            printError(listing);
    } else {
        const QStringList &a = o.commandArguments;
        const bool firmware = o.command == QLatin1String("publish-firmware");
        const QString versionType = a.at(0) + (firmware ? QStringLiteral("-firmware") : QStringLiteral("-software"));
        QString message;
        code = publishVersion(store, data, versionType, a.at(1), a.value(2), o.url, o.date, clock.now(), &message);
        if (code == 0)
            printOut(message);
        else
            printError(message);
    }
    store.closeThreadConnection();
    return code;
}

} // namespace ox8cloud
