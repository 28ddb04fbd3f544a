#pragma once

#include "server/attemptlimiter.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

#include <array>
#include <atomic>
#include <mutex>

// The service's answers: every /v1 call of the program's account, cloud and
// version client, the archive and package downloads, the analytics
// collector and, in test mode, the test helpers. Knows nothing of sockets;
// HttpFront turns requests into ApiRequest and ApiReply into bytes. Called
// on many threads at once: the state it keeps is either in the Store or
// behind its own locks.
namespace ox8cloud {

class Collector;
class DataFolder;
class Mailer;
class PasswordHasher;
class ServerClock;
class Store;

struct ApiRequest
{
    QByteArray method;
    QByteArray path;                 // decoded, without the query
    QByteArray rawQuery;             // as sent, still percent-encoded
    QMap<QByteArray, QByteArray> query;
    QByteArray body;
    QByteArray contentType;          // as the client sent it (also for multipart uploads)
    QByteArray authorization;
    QByteArray host;
    QByteArray userAgent;
    QByteArray connection;
};

struct ApiReply
{
    int status = 200;
    QByteArray contentType = "application/json";
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
    QString filePath;        // when set, the body is this file (fileSize bytes)
    qint64 fileSize = 0;
    qint64 stallTotal = -1;  // test mode: announce this many bytes...
    qint64 stallSent = 0;    // ...send this many, then hold the connection
};

struct ServiceConfig
{
    QString publicUrl;            // base of the URLs in answers; empty: from the Host header
    QString listenUrl;            // fallback base: the bound address
    bool tls = false;
    qint64 archiveLimit = 8 * 1024 * 1024;
    qint64 userQuota = 32 * 1024 * 1024;
    qint64 sessionSeconds = 30 * 24 * 3600;
    int sessionsPerUser = 20;
    qint64 codeSeconds = 15 * 60;
    int codeAttempts = 5;
    int loginFailures = 5;
    qint64 loginWindowSeconds = 60;
    int codeMails = 3;
    qint64 codeMailWindowSeconds = 15 * 60;
    int failDelayMs = 1000;
    int maxDelayed = 16;          // at most this many answers wait out the delay at once
    qint64 staleUploadSeconds = 3600;
    int jsonLimit = 64 * 1024;
    bool testMode = false;
};

class CloudService
{
public:
    CloudService(const ServiceConfig &config, Store &store, const PasswordHasher &hasher, ServerClock &clock,
                 Mailer &mailer, Collector &collector, const DataFolder &data);

    ApiReply handle(const ApiRequest &request);
    // The bound address, for URLs when a request has no usable Host header.
    // Set before the first request.
    void setListenUrl(const QString &url) { m_config.listenUrl = url; }

    // Set when the server shuts down: delays and stalled test answers end.
    void setStopping() { m_stopping = true; }
    bool isStopping() const { return m_stopping; }

    static QByteArray envelope(int code, const QString &message, const QJsonObject &data = {});

private:
    using Endpoint = ApiReply (CloudService::*)(const ApiRequest &);

    ApiReply login(const ApiRequest &r);
    ApiReply registerAccount(const ApiRequest &r);
    ApiReply updatePassword(const ApiRequest &r);
    ApiReply findPassword(const ApiRequest &r);
    ApiReply validatePassword(const ApiRequest &r);
    ApiReply newPassword(const ApiRequest &r);
    ApiReply uploadFile(const ApiRequest &r);
    ApiReply saveMacroConfig(const ApiRequest &r);
    ApiReply saveConfig(const ApiRequest &r);
    ApiReply getConfig(const ApiRequest &r);
    ApiReply getMacroConfig(const ApiRequest &r);
    ApiReply driverVersion(const ApiRequest &r);

    ApiReply downloadArchive(const ApiRequest &r);
    ApiReply downloadPackage(const ApiRequest &r);
    ApiReply collect(const ApiRequest &r);
    ApiReply testHelper(const ApiRequest &r);

    ApiReply saveRecord(const ApiRequest &r, const QString &kind);
    // The account the token in `header` belongs to; false with the refusal filled in.
    bool authenticate(const QByteArray &header, QString *userId, QString *tokenHash, ApiReply *refusal);
    // Checks a recovery code; counts a wrong one and ends a used-up one.
    int checkRecoveryCode(const QString &email, const QString &code, QString *userId);
    QString baseUrl(const ApiRequest &r) const;
    QString archiveUrl(const ApiRequest &r, const QString &fileId, const QString &name) const;
    void deleteArchive(const QString &userId, const QString &fileId);
    void purgeStaleUploads(const QString &userId, qint64 now);
    void penaltyDelay();
    void purgeExpiredNow(qint64 now);
    std::mutex &userLock(const QString &userId);

    ServiceConfig m_config;
    Store &m_store;
    const PasswordHasher &m_hasher;
    ServerClock &m_clock;
    Mailer &m_mailer;
    Collector &m_collector;
    const DataFolder &m_data;
    QMap<QByteArray, Endpoint> m_endpoints;
    AttemptLimiter m_loginFailures;
    AttemptLimiter m_codeMails;
    std::array<std::mutex, 64> m_userLocks;
    std::atomic<int> m_delayed{0};
    std::atomic<qint64> m_lastPurge{0};
    std::atomic<bool> m_stopping{false};
};

} // namespace ox8cloud
