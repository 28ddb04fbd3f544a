// cloudload: a load run of ox8cloud on this machine. Starts the built service
// on 127.0.0.1 with a fresh SQLite data folder, registers one account per
// client, then lets the clients log in, upload, save, look up and download
// for the given time, and prints requests per second, latency percentiles
// and the number of failed or corrupted transfers.
//
//   cloudload [--clients 50] [--duration 30] [--size 65536] [--server PATH]

#include "tools/cloudload/loadclient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

double percentile(QVector<double> values, double p)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const int index = std::min(int(values.size()) - 1, int(p / 100.0 * values.size()));
    return values.at(index);
}

void print(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

int registerAccount(const QUrl &base, const QString &email, const QString &password)
{
    QNetworkAccessManager nam;
    QNetworkRequest request(QUrl(base.toString() + QStringLiteral("/v1/user/register")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    const QJsonObject body{{QStringLiteral("nickname"), QStringLiteral("load")},
                           {QStringLiteral("email"), email},
                           {QStringLiteral("password"), password},
                           {QStringLiteral("rePassword"), password}};
    QNetworkReply *reply = nam.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    const int code = QJsonDocument::fromJson(reply->readAll()).object().value(QStringLiteral("code")).toInt(-1);
    delete reply;
    return code;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int clients = 50;
    int duration = 30;
    int size = 64 * 1024;
    QString server = QStringLiteral(OX8_CLOUD_PATH);
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        const QString value = args.value(i + 1);
        bool ok = true;
        if (a == QLatin1String("--clients"))
            clients = value.toInt(&ok), ++i;
        else if (a == QLatin1String("--duration"))
            duration = value.toInt(&ok), ++i;
        else if (a == QLatin1String("--size"))
            size = value.toInt(&ok), ++i;
        else if (a == QLatin1String("--server"))
            server = value, ++i;
        else
            ok = false;
        if (!ok || clients < 1 || clients > 500 || duration < 1 || duration > 3600 || size < 16 || size > 8 * 1024 * 1024) {
            std::fprintf(stderr, "usage: cloudload [--clients 1..500] [--duration SECONDS] [--size BYTES] [--server PATH]\n");
            return 2;
        }
    }

    // The service: loopback only, its own data folder, threads for every client.
    QTemporaryDir data;
    QProcess service;
    service.setProcessChannelMode(QProcess::SeparateChannels);
    service.start(server, {QStringLiteral("--data"), data.path(), QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                           QStringLiteral("--threads"), QString::number(clients + 14)});
    QByteArray out;
    const QRegularExpression listening(QStringLiteral("listening on (http://\\S+)"));
    QRegularExpressionMatch match;
    QElapsedTimer startup;
    startup.start();
    while (startup.elapsed() < 30000 && !(match = listening.match(QString::fromUtf8(out))).hasMatch()) {
        service.waitForReadyRead(1000);
        out += service.readAllStandardOutput();
        if (service.state() != QProcess::Running)
            break;
    }
    if (!match.hasMatch()) {
        std::fprintf(stderr, "cloudload: %s did not start: %s\n", qPrintable(server), service.readAllStandardError().constData());
        return 1;
    }
    const QUrl base(match.captured(1));
    const QString password = QStringLiteral("load-test1");
    for (int i = 0; i < clients; ++i) {
        if (registerAccount(base, QStringLiteral("load%1@example.org").arg(i), password) != 0) {
            std::fprintf(stderr, "cloudload: cannot register the accounts\n");
            return 1;
        }
    }

    print(QStringLiteral("ox8cloud load: %1 clients, %2 s, SQLite, archives of %3 bytes, %4 cores")
              .arg(clients).arg(duration).arg(size).arg(QThread::idealThreadCount()));
    QElapsedTimer clock;
    std::vector<std::unique_ptr<LoadClient>> all;
    int running = clients;
    for (int i = 0; i < clients; ++i) {
        all.push_back(std::make_unique<LoadClient>(base, QStringLiteral("load%1@example.org").arg(i), password, size, i + 1));
        QObject::connect(all.back().get(), &LoadClient::finished, &app, [&running, &app] {
            if (--running == 0)
                app.quit();
        });
    }
    clock.start();
    for (auto &c : all)
        c->start(qint64(duration) * 1000, &clock);
    app.exec();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;

    QMap<QString, QVector<double>> byKind;
    QVector<double> every;
    int trips = 0;
    int failures = 0;
    int corrupted = 0;
    QStringList errors;
    for (const auto &c : all) {
        for (auto it = c->latencies().cbegin(); it != c->latencies().cend(); ++it) {
            byKind[it.key()] += it.value();
            every += it.value();
        }
        trips += c->roundTrips();
        failures += c->failures();
        corrupted += c->corrupted();
        errors += c->errors();
    }
    print(QStringLiteral("requests: %1 in %2 s = %3 requests/s")
              .arg(every.size()).arg(seconds, 0, 'f', 1).arg(every.size() / seconds, 0, 'f', 1));
    print(QStringLiteral("latency ms: p50 %1, p90 %2, p99 %3, max %4")
              .arg(percentile(every, 50), 0, 'f', 1).arg(percentile(every, 90), 0, 'f', 1)
              .arg(percentile(every, 99), 0, 'f', 1).arg(percentile(every, 100), 0, 'f', 1));
    for (const QString &kind : {QStringLiteral("login"), QStringLiteral("upload"), QStringLiteral("save"),
                                QStringLiteral("get"), QStringLiteral("download")}) {
        const QVector<double> &v = byKind.value(kind);
        print(QStringLiteral("  %1 %2 requests, p50 %3, p99 %4 ms")
                  .arg(kind, -8).arg(v.size(), 6).arg(percentile(v, 50), 7, 'f', 1).arg(percentile(v, 99), 7, 'f', 1));
    }
    print(QStringLiteral("transfers: %1 upload/download round trips, %2 failed requests, %3 corrupted")
              .arg(trips).arg(failures).arg(corrupted));
    for (const QString &e : errors.mid(0, 10))
        print(QStringLiteral("  ") + e);

    all.clear();
    service.terminate();
    if (!service.waitForFinished(30000))
        service.kill();
    return failures == 0 && corrupted == 0 ? 0 : 1;
}
