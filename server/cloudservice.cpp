#include "server/cloudservice.h"

#include "server/collector.h"
#include "server/datafolder.h"
#include "server/mailer.h"
#include "server/multipart.h"
#include "server/passwordhasher.h"
#include "server/resultcode.h"
#include "server/securerandom.h"
#include "server/serverclock.h"
#include "server/serverlog.h"
#include "server/store.h"
#include "server/validation.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

#include <algorithm>
#include <chrono>
#include <thread>

namespace ox8cloud {

namespace {

const QString ConfigKind = QStringLiteral("config");
const QString MacroKind = QStringLiteral("macro");
const QString ConfigArchive = QStringLiteral("LocalFile.zip");
const QString MacroArchive = QStringLiteral("MacroFiles.zip");

ApiReply answer(int code, const QString &message, const QJsonObject &data = {})
{
    ApiReply reply;
    reply.body = CloudService::envelope(code, message, data);
    return reply;
}

ApiReply serverError()
{
    return answer(ServerError, QStringLiteral("The server could not complete the request. Please try again later."));
}

ApiReply plain(int status, const QByteArray &text)
{
    ApiReply reply;
    reply.status = status;
    reply.contentType = "text/plain; charset=utf-8";
    reply.body = text + '\n';
    return reply;
}

QString sha256Hex(const QByteArray &data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

// Compares two hashes without stopping at the first difference.
bool sameHash(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    ushort diff = 0;
    for (int i = 0; i < a.size(); ++i)
        diff |= a.at(i).unicode() ^ b.at(i).unicode();
    return diff == 0;
}

QString codeHash(const QString &userId, const QString &code)
{
    return sha256Hex((userId + QLatin1Char(':') + code).toUtf8());
}

// The request body as a JSON object; false for anything else.
bool jsonObject(const ApiRequest &r, QJsonObject *out)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.body, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    *out = doc.object();
    return true;
}

// A string member; false when absent (if required) or of another type.
bool stringField(const QJsonObject &o, const QString &name, QString *out, bool required = true)
{
    const QJsonValue v = o.value(name);
    if (v.isUndefined() || v.isNull()) {
        out->clear();
        return !required;
    }
    if (!v.isString())
        return false;
    *out = v.toString();
    return true;
}

ApiReply malformed(const QString &what)
{
    return answer(MalformedRequest, QStringLiteral("Malformed request: %1.").arg(what));
}

bool looksLikeZip(const QByteArray &data)
{
    // A local file header, or the end record alone (an empty archive).
    return data.startsWith(QByteArray("PK\x03\x04", 4)) || data.startsWith(QByteArray("PK\x05\x06", 4));
}

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
        return plain(200, "ox8cloud");
    return plain(404, "not found");
}

// --- Accounts ---------------------------------------------------------------------------

ApiReply CloudService::login(const ApiRequest &r)
{
    QJsonObject o;
    QString email;
    QString password;
    if (!jsonObject(r, &o))
        return malformed(QStringLiteral("the body is not a JSON object"));
    if (!stringField(o, QStringLiteral("email"), &email) || !stringField(o, QStringLiteral("password"), &password))
        return malformed(QStringLiteral("\"email\" and \"password\" must be strings"));

    const qint64 now = m_clock.now();
    const QString key = normaliseEmail(email);
    if (m_loginFailures.isBlocked(key, now)) {
        penaltyDelay();
        return answer(TooManyFailures, QStringLiteral("Too many wrong passwords. Try again in %1 seconds.")
                                           .arg(m_loginFailures.secondsUntilFree(key, now)));
    }
    UserRecord user;
    const DbStatus found = isValidEmail(key) ? m_store.userByEmail(key, &user) : DbStatus::NotFound;
    if (found == DbStatus::Failed)
        return serverError();
    const bool ok = found == DbStatus::Ok ? m_hasher.verify(user.passwordHash, password)
                                          : (m_hasher.spendVerificationTime(password), false);
    if (!ok) {
        m_loginFailures.record(key, now);
        penaltyDelay();
        return answer(LoginFailed, QStringLiteral("Wrong e-mail address or password."));
    }
    m_loginFailures.clear(key);

    const QString token = randomHex(32);
    if (token.isEmpty())
        return serverError();
    if (m_store.insertSession(sha256Hex(token.toLatin1()), user.id, now, now + m_config.sessionSeconds,
                              m_config.sessionsPerUser)
        != DbStatus::Ok)
        return serverError();
    purgeExpiredNow(now);
    ApiReply reply = answer(Success, QStringLiteral("success"),
                            {{QStringLiteral("nickname"), user.nickname},
                             {QStringLiteral("email"), user.email},
                             {QStringLiteral("expiresAt"), now + m_config.sessionSeconds}});
    reply.headers.append(qMakePair(QByteArray("Authorization"), QByteArray(token.toLatin1())));
    return reply;
}

ApiReply CloudService::registerAccount(const ApiRequest &r)
{
    QJsonObject o;
    QString nickname;
    QString email;
    QString password;
    QString rePassword;
    if (!jsonObject(r, &o))
        return malformed(QStringLiteral("the body is not a JSON object"));
    if (!stringField(o, QStringLiteral("nickname"), &nickname) || !stringField(o, QStringLiteral("email"), &email)
        || !stringField(o, QStringLiteral("password"), &password)
        || !stringField(o, QStringLiteral("rePassword"), &rePassword))
        return malformed(QStringLiteral("\"nickname\", \"email\", \"password\" and \"rePassword\" must be strings"));

    const QString key = normaliseEmail(email);
    if (!isValidEmail(key))
        return answer(InvalidEmail, QStringLiteral("This is not a valid e-mail address."));
    if (!isValidNickname(nickname))
        return answer(InvalidNickname, QStringLiteral("The nickname must have 1 to 7 characters."));
    if (!isValidNewPasswordLength(password))
        return answer(PasswordLength, QStringLiteral("The password must have 6 to 16 characters."));
    if (password != rePassword)
        return answer(PasswordsDiffer, QStringLiteral("The passwords do not match."));

    UserRecord user;
    user.id = randomHex(16);
    user.email = key;
    user.nickname = nickname;
    user.passwordHash = m_hasher.hash(password);
    user.createdAt = m_clock.now();
    if (user.id.isEmpty() || user.passwordHash.isEmpty())
        return serverError();
    switch (m_store.insertUser(user)) {
    case DbStatus::Ok:
        logLine(QStringLiteral("account %1 registered").arg(user.id));
        return answer(Success, QStringLiteral("success"));
    case DbStatus::Conflict:
        return answer(EmailTaken, QStringLiteral("An account with this e-mail address exists already."));
    default:
        return serverError();
    }
}

ApiReply CloudService::updatePassword(const ApiRequest &r)
{
    QString userId;
    QString tokenHash;
    ApiReply refusal;
    if (!authenticate(r.authorization, &userId, &tokenHash, &refusal))
        return refusal;
    QJsonObject o;
    QString email;
    QString oldPassword;
    QString newPassword;
    if (!jsonObject(r, &o))
        return malformed(QStringLiteral("the body is not a JSON object"));
    // The program sends the current password as "password" and the new one as "rePassword".
    if (!stringField(o, QStringLiteral("email"), &email) || !stringField(o, QStringLiteral("password"), &oldPassword)
        || !stringField(o, QStringLiteral("rePassword"), &newPassword))
        return malformed(QStringLiteral("\"email\", \"password\" and \"rePassword\" must be strings"));

    UserRecord user;
    const DbStatus found = m_store.userById(userId, &user);
    if (found == DbStatus::Failed)
        return serverError();
    if (found != DbStatus::Ok)
        return answer(NotLoggedIn, QStringLiteral("Please log in again."));
    if (normaliseEmail(email) != user.email)
        return malformed(QStringLiteral("\"email\" is not the address of the logged-in account"));
    if (!isValidNewPasswordLength(newPassword))
        return answer(PasswordLength, QStringLiteral("The password must have 6 to 16 characters."));

    const qint64 now = m_clock.now();
    if (m_loginFailures.isBlocked(user.email, now)) {
        penaltyDelay();
        return answer(TooManyFailures, QStringLiteral("Too many wrong passwords. Try again in %1 seconds.")
                                           .arg(m_loginFailures.secondsUntilFree(user.email, now)));
    }
    if (!m_hasher.verify(user.passwordHash, oldPassword)) {
        m_loginFailures.record(user.email, now);
        penaltyDelay();
        return answer(OldPasswordWrong, QStringLiteral("The current password is wrong."));
    }
    const QString hash = m_hasher.hash(newPassword);
    if (hash.isEmpty() || m_store.setPasswordHash(user.id, hash) != DbStatus::Ok)
        return serverError();
    // Other computers logged in with the old password have to log in again.
    m_store.deleteSessions(user.id, tokenHash);
    return answer(Success, QStringLiteral("success"));
}

ApiReply CloudService::findPassword(const ApiRequest &r)
{
    QJsonObject o;
    QString email;
    if (!jsonObject(r, &o))
        return malformed(QStringLiteral("the body is not a JSON object"));
    if (!stringField(o, QStringLiteral("email"), &email))
        return malformed(QStringLiteral("\"email\" must be a string"));
    const QString key = normaliseEmail(email);
    if (!isValidEmail(key))
        return answer(InvalidEmail, QStringLiteral("This is not a valid e-mail address."));

    const qint64 now = m_clock.now();
    // Counted for every address, known or not, so the limit tells nothing about accounts.
    if (m_codeMails.isBlocked(key, now))
        return answer(TooManyCodes, QStringLiteral("Too many codes were requested. Try again in %1 seconds.")
                                        .arg(m_codeMails.secondsUntilFree(key, now)));
    m_codeMails.record(key, now);

    const QString sent = QStringLiteral("If an account exists for this address, a verification code is on its way.");
    UserRecord user;
    const DbStatus found = m_store.userByEmail(key, &user);
    if (found == DbStatus::Failed)
        return serverError();
    if (found == DbStatus::NotFound)
        return answer(Success, sent);

    const QString code = randomDigits(6);
    if (code.isEmpty())
        return serverError();
    RecoveryRecord record;
    record.userId = user.id;
    record.codeHash = codeHash(user.id, code);
    record.expiresAt = now + m_config.codeSeconds;
    if (m_store.putRecoveryCode(record) != DbStatus::Ok)
        return serverError();
    const QString text = QStringLiteral("Hello %1,\r\n\r\nyour OX8Driver verification code is %2.\r\n"
                                        "It is valid for %3 minutes. If you did not ask for it, ignore this message.")
                             .arg(user.nickname, code)
                             .arg(m_config.codeSeconds / 60);
    if (!m_mailer.send(user.email, QStringLiteral("Your OX8Driver verification code"), text))
        return serverError();
    logLine(QStringLiteral("recovery code sent for account %1").arg(user.id));
    return answer(Success, sent);
}

int CloudService::checkRecoveryCode(const QString &email, const QString &code, QString *userId)
{
    UserRecord user;
    const DbStatus found = m_store.userByEmail(normaliseEmail(email), &user);
    if (found == DbStatus::Failed)
        return ServerError;
    if (found == DbStatus::NotFound)
        return CodeWrong;
    RecoveryRecord record;
    const DbStatus stored = m_store.recoveryCode(user.id, &record);
    if (stored == DbStatus::Failed)
        return ServerError;
    if (stored == DbStatus::NotFound)
        return CodeWrong;
    if (record.expiresAt <= m_clock.now() || record.failures >= m_config.codeAttempts) {
        m_store.deleteRecoveryCode(user.id);
        return CodeWrong;
    }
    if (code.size() > 64 || !sameHash(record.codeHash, codeHash(user.id, code))) {
        // A six-digit code must not be guessable: a few tries, then it is gone.
        if (record.failures + 1 >= m_config.codeAttempts)
            m_store.deleteRecoveryCode(user.id);
        else
            m_store.countRecoveryFailure(user.id);
        return CodeWrong;
    }
    *userId = user.id;
    return Success;
}

ApiReply CloudService::validatePassword(const ApiRequest &r)
{
    QJsonObject o;
    QString email;
    QString captcha;
    if (!jsonObject(r, &o))
        return malformed(QStringLiteral("the body is not a JSON object"));
    if (!stringField(o, QStringLiteral("email"), &email) || !stringField(o, QStringLiteral("captcha"), &captcha))
        return malformed(QStringLiteral("\"email\" and \"captcha\" must be strings"));
    QString userId;
    const int code = checkRecoveryCode(email, captcha.trimmed(), &userId);
    if (code == ServerError)
        return serverError();
    if (code != Success)
        return answer(code, QStringLiteral("The verification code is wrong or has expired."));
    return answer(Success, QStringLiteral("success"));
}

ApiReply CloudService::newPassword(const ApiRequest &r)
{
    QJsonObject o;
    QString email;
    QString captcha;
    QString password;
    if (!jsonObject(r, &o))
        return malformed(QStringLiteral("the body is not a JSON object"));
    if (!stringField(o, QStringLiteral("email"), &email) || !stringField(o, QStringLiteral("captcha"), &captcha)
        || !stringField(o, QStringLiteral("password"), &password))
        return malformed(QStringLiteral("\"email\", \"captcha\" and \"password\" must be strings"));
    if (!isValidNewPasswordLength(password))
        return answer(PasswordLength, QStringLiteral("The password must have 6 to 16 characters."));
    QString userId;
    const int code = checkRecoveryCode(email, captcha.trimmed(), &userId);
    if (code == ServerError)
        return serverError();
    if (code != Success)
        return answer(code, QStringLiteral("The verification code is wrong or has expired."));
    const QString hash = m_hasher.hash(password);
    if (hash.isEmpty() || m_store.setPasswordHash(userId, hash) != DbStatus::Ok)
        return serverError();
    m_store.deleteRecoveryCode(userId);
    m_store.deleteSessions(userId, QString());
    m_loginFailures.clear(normaliseEmail(email));
    logLine(QStringLiteral("password of account %1 reset with a recovery code").arg(userId));
    return answer(Success, QStringLiteral("success"));
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

// --- Archives and configuration records --------------------------------------------------

ApiReply CloudService::uploadFile(const ApiRequest &r)
{
    const QByteArray boundary = multipartBoundary(r.contentType);
    if (boundary.isEmpty())
        return answer(MalformedMultipart, QStringLiteral("Expected a multipart/form-data body with a boundary."));
    QList<MultipartPart> parts;
    const MultipartError error = parseMultipart(r.body, boundary, &parts);
    if (error != MultipartError::None)
        return answer(MalformedMultipart, QStringLiteral("The multipart body is malformed."));
    const MultipartPart *file = nullptr;
    for (const MultipartPart &part : qAsConst(parts)) {
        if (part.name == "file") {
            file = &part;
            break;
        }
    }
    // The program puts its token on the file part; a request header works too.
    QByteArray token = file ? file->headers.value("authorization") : QByteArray();
    if (token.trimmed().isEmpty())
        token = r.authorization;
    QString userId;
    QString tokenHash;
    ApiReply refusal;
    if (!authenticate(token, &userId, &tokenHash, &refusal))
        return refusal;
    if (!file)
        return answer(UploadRefused, QStringLiteral("The body has no part named \"file\"."));
    const QString name = QString::fromUtf8(file->fileName);
    if (name != ConfigArchive && name != MacroArchive)
        return answer(UploadRefused, QStringLiteral("Only LocalFile.zip and MacroFiles.zip are accepted."));
    if (file->body.size() > m_config.archiveLimit)
        return answer(UploadTooLarge, QStringLiteral("The archive is larger than %1 bytes.").arg(m_config.archiveLimit));
    if (!looksLikeZip(file->body))
        return answer(UploadRefused, QStringLiteral("The file is not a zip archive."));

    std::lock_guard<std::mutex> lock(userLock(userId));
    const qint64 now = m_clock.now();
    purgeStaleUploads(userId, now);
    QList<FileRecord> stored;
    if (m_store.filesOfUser(userId, &stored) != DbStatus::Ok)
        return serverError();
    qint64 used = 0;
    for (const FileRecord &f : qAsConst(stored))
        used += f.size;
    if (used + file->body.size() > m_config.userQuota)
        return answer(UploadTooLarge, QStringLiteral("The cloud space of this account is full (%1 bytes).")
                                          .arg(m_config.userQuota));

    FileRecord record;
    record.id = randomHex(16);
    record.userId = userId;
    record.name = name;
    record.size = file->body.size();
    record.sha256 = sha256Hex(file->body);
    record.createdAt = now;
    const QString path = m_data.archivePath(userId, record.id);
    if (path.isEmpty() || !DataFolder::writeAtomically(path, file->body))
        return serverError();
    if (m_store.insertFile(record) != DbStatus::Ok) {
        QFile::remove(path);
        return serverError();
    }
    return answer(Success, QStringLiteral("success"),
                  {{QStringLiteral("filePath"), archiveUrl(r, record.id, record.name)}});
}

ApiReply CloudService::saveConfig(const ApiRequest &r)
{
    return saveRecord(r, ConfigKind);
}

ApiReply CloudService::saveMacroConfig(const ApiRequest &r)
{
    return saveRecord(r, MacroKind);
}

ApiReply CloudService::saveRecord(const ApiRequest &r, const QString &kind)
{
    QString userId;
    QString tokenHash;
    ApiReply refusal;
    if (!authenticate(r.authorization, &userId, &tokenHash, &refusal))
        return refusal;
    QJsonObject o;
    QString filePath;
    QString configType;
    QString content;
    if (!jsonObject(r, &o))
        return malformed(QStringLiteral("the body is not a JSON object"));
    if (!stringField(o, QStringLiteral("filePath"), &filePath)
        || !stringField(o, QStringLiteral("configType"), &configType, kind == ConfigKind)
        || !stringField(o, QStringLiteral("configContent"), &content, false))
        return malformed(QStringLiteral("\"filePath\", \"configType\" and \"configContent\" must be strings"));
    if (kind == ConfigKind && !isSafeName(configType))
        return answer(InvalidConfigType, QStringLiteral("\"configType\" must be 1 to 64 letters, digits, '.', '_' or '-'."));
    // The macro record is one per account; the program sends an empty configType for it.
    if (kind == MacroKind && !configType.isEmpty() && configType != MacroKind)
        return answer(InvalidConfigType, QStringLiteral("The macro record takes an empty \"configType\"."));
    const QString recordType = kind == MacroKind ? MacroKind : configType;

    QString fileId;
    QString name;
    FileRecord file;
    const QString expectedName = kind == MacroKind ? MacroArchive : ConfigArchive;
    if (!parseArchivePath(filePath, &fileId, &name))
        return answer(InvalidFilePath, QStringLiteral("\"filePath\" is not an archive path of this service."));
    const DbStatus found = m_store.fileById(fileId, &file);
    if (found == DbStatus::Failed)
        return serverError();
    if (found != DbStatus::Ok || file.userId != userId || file.name != name || name != expectedName)
        return answer(InvalidFilePath, QStringLiteral("\"filePath\" is not a %1 this account uploaded.").arg(expectedName));

    std::lock_guard<std::mutex> lock(userLock(userId));
    QString previous;
    const DbStatus had = m_store.configRecord(userId, kind, recordType, &previous);
    if (had == DbStatus::Failed)
        return serverError();
    if (m_store.setConfigRecord(userId, kind, recordType, fileId, m_clock.now()) != DbStatus::Ok)
        return serverError();
    if (had == DbStatus::Ok && previous != fileId) {
        bool referenced = true;
        if (m_store.isFileReferenced(previous, &referenced) == DbStatus::Ok && !referenced)
            deleteArchive(userId, previous);
    }
    return answer(Success, QStringLiteral("success"));
}

ApiReply CloudService::getConfig(const ApiRequest &r)
{
    QString userId;
    QString tokenHash;
    ApiReply refusal;
    if (!authenticate(r.authorization, &userId, &tokenHash, &refusal))
        return refusal;
    QJsonObject o;
    QString configType;
    if (!jsonObject(r, &o))
        return malformed(QStringLiteral("the body is not a JSON object"));
    if (!stringField(o, QStringLiteral("configType"), &configType))
        return malformed(QStringLiteral("\"configType\" must be a string"));
    if (!isSafeName(configType))
        return answer(InvalidConfigType, QStringLiteral("\"configType\" must be 1 to 64 letters, digits, '.', '_' or '-'."));
    QString fileId;
    FileRecord file;
    QString url;
    const DbStatus had = m_store.configRecord(userId, ConfigKind, configType, &fileId);
    if (had == DbStatus::Failed)
        return serverError();
    if (had == DbStatus::Ok) {
        const DbStatus found = m_store.fileById(fileId, &file);
        if (found == DbStatus::Failed)
            return serverError();
        if (found == DbStatus::Ok)
            url = archiveUrl(r, file.id, file.name);
    }
    return answer(Success, QStringLiteral("success"),
                  {{QStringLiteral("configType"), configType}, {QStringLiteral("filePath"), url}});
}

ApiReply CloudService::getMacroConfig(const ApiRequest &r)
{
    QString userId;
    QString tokenHash;
    ApiReply refusal;
    if (!authenticate(r.authorization, &userId, &tokenHash, &refusal))
        return refusal;
    QJsonObject o;
    if (!jsonObject(r, &o))
        return malformed(QStringLiteral("the body is not a JSON object"));
    QString fileId;
    FileRecord file;
    QString url;
    const DbStatus had = m_store.configRecord(userId, MacroKind, MacroKind, &fileId);
    if (had == DbStatus::Failed)
        return serverError();
    if (had == DbStatus::Ok) {
        const DbStatus found = m_store.fileById(fileId, &file);
        if (found == DbStatus::Failed)
            return serverError();
        if (found == DbStatus::Ok)
            url = archiveUrl(r, file.id, file.name);
    }
    return answer(Success, QStringLiteral("success"),
                  {{QStringLiteral("configType"), MacroKind}, {QStringLiteral("filePath"), url}});
}

ApiReply CloudService::downloadArchive(const ApiRequest &r)
{
    QString fileId;
    QString name;
    FileRecord file;
    if (!parseArchivePath(QString::fromUtf8(r.path), &fileId, &name) || r.path.count('/') != 3)
        return plain(404, "not found");
    const DbStatus found = m_store.fileById(fileId, &file);
    if (found == DbStatus::Failed)
        return plain(500, "server error");
    const QString path = m_data.archivePath(file.userId, file.id);
    const QFileInfo info(path);
    if (found != DbStatus::Ok || file.name != name || path.isEmpty() || !info.isFile())
        return plain(404, "not found");
    ApiReply reply;
    reply.contentType = "application/zip";
    reply.filePath = path;
    reply.fileSize = info.size();
    // The URL is the only key to the file: keep it out of caches.
    reply.headers.append(qMakePair(QByteArray("Cache-Control"), QByteArray("private, no-store")));
    reply.headers.append(qMakePair(QByteArray("Content-Disposition"), QByteArray("attachment; filename=\"" + name.toLatin1() + '"')));
    return reply;
}

void CloudService::deleteArchive(const QString &userId, const QString &fileId)
{
    if (m_store.deleteFile(fileId) != DbStatus::Ok)
        return;
    const QString path = m_data.archivePath(userId, fileId);
    if (!path.isEmpty())
        QFile::remove(path);
}

void CloudService::purgeStaleUploads(const QString &userId, qint64 now)
{
    // Archives uploaded but never saved as a record; kept for a while in case
    // the save is on its way.
    QList<FileRecord> files;
    if (m_store.filesOfUser(userId, &files) != DbStatus::Ok)
        return;
    for (const FileRecord &f : qAsConst(files)) {
        if (f.createdAt > now - m_config.staleUploadSeconds)
            continue;
        bool referenced = true;
        if (m_store.isFileReferenced(f.id, &referenced) == DbStatus::Ok && !referenced)
            deleteArchive(userId, f.id);
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

QString CloudService::archiveUrl(const ApiRequest &r, const QString &fileId, const QString &name) const
{
    return baseUrl(r) + QStringLiteral("/files/") + fileId + QLatin1Char('/') + name;
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
        return plain(404, "not found");
    const QString path = m_data.packagePath(QString::fromUtf8(parts.at(2)), QString::fromUtf8(parts.at(3)),
                                            QString::fromUtf8(parts.at(4)));
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || info.isSymLink())
        return plain(404, "not found");
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
    return plain(status, status >= 200 && status < 300 ? "ok" : "failed on request");
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
            return plain(400, "status 200..599");
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
            return plain(400, "total 1..64 MiB, bytes below total");
        ApiReply reply;
        reply.contentType = "application/octet-stream";
        reply.stallTotal = total;
        reply.stallSent = sent;
        return reply;
    }
    return plain(404, "not found");
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
