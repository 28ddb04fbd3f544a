// CloudService: the dispatch of requests, the token check, versions and
// packages, the analytics collector and the test-mode helpers.

#include "server/cloudservice.h"

#include "server/apianswer.h"
#include "server/collector.h"
#include "server/datafolder.h"
#include "server/resultcode.h"
#include "server/serverclock.h"
#include "server/serverlog.h"
#include "server/store.h"
#include "server/validation.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonDocument>

#include <algorithm>
#include <chrono>
#include <thread>

namespace ox8cloud {

namespace {

QByteArray longHtmlPage(int status)
{
    QByteArray page = "<!DOCTYPE html>\n<html><head><title>" + QByteArray::number(status)
        + "</title></head><body>\n<h1>Error " + QByteArray::number(status) + "</h1>\n";
    for (int i = 0; i < 40; ++i)
        page += "<p>This page is an error page of the test server, not a firmware image.</p>\n";
    return page + "</body></html>\n";
}

} // namespace

CloudService::CloudService(const ServiceConfig &config, Store &store, const PasswordHasher &hasher,
                           ServerClock &clock, Mailer &mailer, Collector &collector, const DataFolder &data)
    : m_config(config)
    , m_store(store)
    , m_hasher(hasher)
    , m_clock(clock)
    , m_mailer(mailer)
    , m_collector(collector)
    , m_data(data)
    , m_loginFailures(config.loginFailures, config.loginWindowSeconds)
    , m_codeMails(config.codeMails, config.codeMailWindowSeconds)
{
    m_endpoints.insert("/v1/user/login", &CloudService::login);
    m_endpoints.insert("/v1/user/register", &CloudService::registerAccount);
    m_endpoints.insert("/v1/user/updatePassword", &CloudService::updatePassword);
    m_endpoints.insert("/v1/user/findPassword", &CloudService::findPassword);
    m_endpoints.insert("/v1/user/validatePassword", &CloudService::validatePassword);
    m_endpoints.insert("/v1/user/newPassword", &CloudService::newPassword);
    m_endpoints.insert("/v1/file/upload", &CloudService::uploadFile);
    m_endpoints.insert("/v1/driver/macro/config/save", &CloudService::saveMacroConfig);
    m_endpoints.insert("/v1/driver/config2/save", &CloudService::saveConfig);
    m_endpoints.insert("/v1/driver/config2/get", &CloudService::getConfig);
    m_endpoints.insert("/v1/driver/macro/config/get", &CloudService::getMacroConfig);
    m_endpoints.insert("/v1/driver/version", &CloudService::driverVersion);
}

QByteArray CloudService::envelope(int code, const QString &message, const QJsonObject &data)
{
    QJsonObject o{{QStringLiteral("code"), code}, {QStringLiteral("msg"), message}};
    if (!data.isEmpty())
        o.insert(QStringLiteral("data"), data);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

ApiReply CloudService::handle(const ApiRequest &r)
{
    if (r.path.startsWith("/v1/")) {
        const auto it = m_endpoints.constFind(r.path);
        if (it == m_endpoints.constEnd()) {
            ApiReply reply = answer(UnknownEndpoint, QStringLiteral("Unknown endpoint."));
            reply.status = 404;
            return reply;
        }
        if (r.method != "POST") {
            ApiReply reply = answer(UnknownEndpoint, QStringLiteral("This endpoint takes POST requests only."));
            reply.status = 405;
            reply.headers.append(qMakePair(QByteArray("Allow"), QByteArray("POST")));
            return reply;
        }
        if (it.value() != &CloudService::uploadFile && r.body.size() > m_config.jsonLimit)
            return answer(BodyTooLarge, QStringLiteral("The request body is too large."));
        return (this->*it.value())(r);
    }
    const bool read = r.method == "GET" || r.method == "HEAD";
    if (r.path.startsWith("/files/") && read)
        return downloadArchive(r);
    if (r.path.startsWith("/packages/") && read)
        return downloadPackage(r);
    if (r.path == "/collect" && (r.method == "POST" || r.method == "GET"))
        return collect(r);
    if (m_config.testMode && r.path.startsWith("/test/"))
        return testHelper(r);
    if (r.path == "/" && read)
        return plainText(200, "ox8cloud");
    return plainText(404, "not found");
}

bool CloudService::authenticate(const QByteArray &header, QString *userId, QString *tokenHash, ApiReply *refusal)
{
    QByteArray token = header.trimmed();
    if (token.size() > 7 && token.left(7).toLower() == "bearer ")
        token = token.mid(7).trimmed();
    const QString text = QString::fromLatin1(token);
    if (!isTokenSyntax(text)) {
        *refusal = answer(NotLoggedIn, QStringLiteral("Not logged in, or the login has expired."));
        return false;
    }
    *tokenHash = sha256Hex(token);
    switch (m_store.sessionUser(*tokenHash, m_clock.now(), userId)) {
    case DbStatus::Ok:
        return true;
    case DbStatus::Failed:
        *refusal = serverError();
        return false;
    default:
        *refusal = answer(NotLoggedIn, QStringLiteral("Not logged in, or the login has expired."));
        return false;
    }
}

std::mutex &CloudService::userLock(const QString &userId)
{
    return m_userLocks[qHash(userId) % m_userLocks.size()];
}

QString CloudService::baseUrl(const ApiRequest &r) const
{
    if (!m_config.publicUrl.isEmpty())
        return m_config.publicUrl;
    if (isUsableHostHeader(r.host))
        return (m_config.tls ? QStringLiteral("https://") : QStringLiteral("http://")) + QString::fromLatin1(r.host);
    return m_config.listenUrl;
}

// --- Versions and packages ---------------------------------------------------------------

ApiReply CloudService::driverVersion(const ApiRequest &r)
{
    QJsonObject o;
    QString versionType;
    if (!jsonObject(r, &o))
        return malformed(QStringLiteral("the body is not a JSON object"));
    if (!stringField(o, QStringLiteral("versionType"), &versionType))
        return malformed(QStringLiteral("\"versionType\" must be a string"));
    if (!isSafeName(versionType))
        return malformed(QStringLiteral("\"versionType\" must be 1 to 64 letters, digits, '.', '_' or '-'"));
    VersionRecord v;
    const DbStatus found = m_store.version(versionType, &v);
    if (found == DbStatus::Failed)
        return serverError();
    if (found == DbStatus::NotFound)
        return answer(NoVersion, QStringLiteral("No version is published for %1.").arg(versionType));
    QString url = v.downloadUrl;
    if (!v.fileName.isEmpty())
        url = baseUrl(r) + QStringLiteral("/packages/%1/%2/%3").arg(v.versionType, v.version, v.fileName);
    return answer(Success, QStringLiteral("success"),
                  {{QStringLiteral("version"), v.version},
                   {QStringLiteral("downloadUrl"), url},
                   {QStringLiteral("versionDate"), v.versionDate}});
}

ApiReply CloudService::downloadPackage(const ApiRequest &r)
{
    const QList<QByteArray> parts = r.path.split('/'); // "", "packages", type, version, file
    if (parts.size() != 5)
        return plainText(404, "not found");
    const QString path = m_data.packagePath(QString::fromUtf8(parts.at(2)), QString::fromUtf8(parts.at(3)),
                                            QString::fromUtf8(parts.at(4)));
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || info.isSymLink())
        return plainText(404, "not found");
    ApiReply reply;
    reply.contentType = "application/octet-stream";
    reply.filePath = path;
    reply.fileSize = info.size();
    return reply;
}

// --- Analytics and test helpers -----------------------------------------------------------

ApiReply CloudService::collect(const ApiRequest &r)
{
    Hit hit;
    hit.method = r.method;
    hit.body = r.method == "GET" ? r.rawQuery : r.body;
    hit.userAgent = r.userAgent;
    hit.connection = r.connection;
    hit.contentType = r.contentType;
    const int status = m_collector.record(hit, QDateTime::currentMSecsSinceEpoch());
    return plainText(status, status >= 200 && status < 300 ? "ok" : "failed on request");
}

ApiReply CloudService::testHelper(const ApiRequest &r)
{
    QJsonObject o;
    if (r.path == "/test/collect" && r.method == "GET") {
        ApiReply reply;
        reply.body = m_collector.hitsJson();
        return reply;
    }
    if (r.path == "/test/collect/fail" && r.method == "POST" && jsonObject(r, &o)) {
        const int status = o.value(QStringLiteral("status")).toInt(500);
        const int count = o.value(QStringLiteral("count")).toInt(1);
        if (status < 100 || status > 599 || count < 0 || count > 1000)
            return malformed(QStringLiteral("status 100..599, count 0..1000"));
        m_collector.failNext(status, count);
        return answer(Success, QStringLiteral("success"));
    }
    if (r.path == "/test/clock" && r.method == "POST" && jsonObject(r, &o)) {
        const qint64 seconds = qint64(o.value(QStringLiteral("advanceSeconds")).toDouble(0));
        if (seconds < 0 || seconds > 10LL * 365 * 24 * 3600)
            return malformed(QStringLiteral("advanceSeconds 0..10 years"));
        m_clock.advance(seconds);
        return answer(Success, QStringLiteral("success"), {{QStringLiteral("now"), m_clock.now()}});
    }
    if (r.path.startsWith("/test/status/") && (r.method == "GET" || r.method == "HEAD")) {
        bool ok = false;
        const int status = r.path.mid(int(qstrlen("/test/status/"))).toInt(&ok);
        if (!ok || status < 200 || status > 599)
            return plainText(400, "status 200..599");
        ApiReply reply;
        reply.status = status;
        reply.contentType = "text/html; charset=utf-8";
        reply.body = longHtmlPage(status);
        return reply;
    }
    if (r.path == "/test/stall" && r.method == "GET") {
        bool totalOk = false;
        bool sentOk = false;
        const qint64 total = r.query.value("total").toLongLong(&totalOk);
        const qint64 sent = r.query.value("bytes").toLongLong(&sentOk);
        if (!totalOk || !sentOk || total <= 0 || total > 64 * 1024 * 1024 || sent < 0 || sent >= total)
            return plainText(400, "total 1..64 MiB, bytes below total");
        ApiReply reply;
        reply.contentType = "application/octet-stream";
        reply.stallTotal = total;
        reply.stallSent = sent;
        return reply;
    }
    return plainText(404, "not found");
}

void CloudService::penaltyDelay()
{
    if (m_config.failDelayMs <= 0)
        return;
    // A wrong password costs the caller time; the number of answers waiting at
    // once is bounded so that waiting cannot take every worker thread.
    if (m_delayed.fetch_add(1) >= m_config.maxDelayed) {
        --m_delayed;
        return;
    }
    for (int waited = 0; waited < m_config.failDelayMs && !m_stopping; waited += 20)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(20, m_config.failDelayMs - waited)));
    --m_delayed;
}

void CloudService::purgeExpiredNow(qint64 now)
{
    qint64 last = m_lastPurge.load();
    if (now - last < 600 || !m_lastPurge.compare_exchange_strong(last, now))
        return;
    m_store.purgeExpired(now);
}

} // namespace ox8cloud
