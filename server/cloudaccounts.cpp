// The account endpoints of CloudService: log-in with its lock-out,
// registration, password change, and recovery by a mailed code.

#include "server/cloudservice.h"

#include "server/apianswer.h"
#include "server/mailer.h"
#include "server/passwordhasher.h"
#include "server/resultcode.h"
#include "server/securerandom.h"
#include "server/serverclock.h"
#include "server/serverlog.h"
#include "server/store.h"
#include "server/validation.h"

namespace ox8cloud {

namespace {

QString codeHash(const QString &userId, const QString &code)
{
    return sha256Hex((userId + QLatin1Char(':') + code).toUtf8());
}

} // namespace

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
    // Counted before the check, so parallel guesses cannot slip past the limit;
    // a right password clears the count again.
    if (!m_loginFailures.recordIfFree(key, now)) {
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
    if (!m_loginFailures.recordIfFree(user.email, now)) {
        penaltyDelay();
        return answer(TooManyFailures, QStringLiteral("Too many wrong passwords. Try again in %1 seconds.")
                                           .arg(m_loginFailures.secondsUntilFree(user.email, now)));
    }
    if (!m_hasher.verify(user.passwordHash, oldPassword)) {
        penaltyDelay();
        return answer(OldPasswordWrong, QStringLiteral("The current password is wrong."));
    }
    m_loginFailures.clear(user.email);
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

} // namespace ox8cloud
