// ox8cloud over real HTTP: the built service on 127.0.0.1 with its own data
// folder, driven the way the program drives it (compact JSON with the token
// header, the archive as a multipart part carrying the token). With
// OX8_CLOUD_TEST_DATABASE=postgresql the same cases run against a throwaway
// PostgreSQL cluster that the test sets up and removes.

#include "tests/common/cloudserver.h"
#include "tests/common/cloudtestclient.h"
#include "tests/common/postgrescluster.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QSslCertificate>
#include <QSslSocket>
#include <QStandardPaths>
#include <QtTest>

#include <signal.h>

namespace {

const QString Password = QStringLiteral("secret12");

QByteArray zipBytes(int size, int seed)
{
    QByteArray data("PK\x03\x04", 4);
    quint32 x = quint32(seed) * 2654435761u + 1;
    while (data.size() < size) {
        x = x * 1664525u + 1013904223u;
        data.append(char(x >> 24));
    }
    return data;
}

QJsonObject obj(std::initializer_list<QPair<QString, QJsonValue>> items)
{
    QJsonObject o;
    for (const auto &item : items)
        o.insert(item.first, item.second);
    return o;
}

bool isToken(const QByteArray &value)
{
    return QRegularExpression(QStringLiteral("^[0-9a-f]{64}$")).match(QString::fromLatin1(value)).hasMatch();
}

const QStringList JsonEndpoints = {
    QStringLiteral("/v1/user/login"), QStringLiteral("/v1/user/register"),
    QStringLiteral("/v1/user/updatePassword"), QStringLiteral("/v1/user/findPassword"),
    QStringLiteral("/v1/user/validatePassword"), QStringLiteral("/v1/user/newPassword"),
    QStringLiteral("/v1/driver/macro/config/save"), QStringLiteral("/v1/driver/config2/save"),
    QStringLiteral("/v1/driver/config2/get"), QStringLiteral("/v1/driver/macro/config/get"),
    QStringLiteral("/v1/driver/version")};

} // namespace

class TstCloudServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void registerAndLogin();
    void registerRefusals_data();
    void registerRefusals();
    void loginRefusals_data();
    void loginRefusals();
    void wrongPasswordsLockTheAccount();
    void parallelGuessesCountToo();
    void wrongPasswordAnswersWait();
    void malformedJson_data();
    void malformedJson();
    void protectedEndpointsNeedAValidToken_data();
    void protectedEndpointsNeedAValidToken();

    void passwordRecovery();
    void recoveryForAnUnknownAddressSendsNothing();
    void recoveryCodeExpires();
    void recoveryCodeAllowsFewTries();
    void recoveryMailsAreLimited();
    void mailCommand_data();
    void mailCommand();
    void changePassword();

    void uploadSaveAndDownload_data();
    void uploadSaveAndDownload();
    void savingANewArchiveDropsTheOldOne();
    void uploadRefusals_data();
    void uploadRefusals();
    void uploadLimits();
    void saveRefusals_data();
    void saveRefusals();
    void noCloudCopyYet();
    void concurrentTransfersStayIntact();

    void versionsAndPackages();
    void collectorRecordsHits();
    void unknownPathsAndMethods();
    void bodiesWithoutLengthOrTooLarge();
    void helpersForClientTests();
    void testHelpersOnlyInTestMode();
    void stopsCleanlyAndKeepsData_data();
    void stopsCleanlyAndKeepsData();
    void https();

private:
    bool useServer(const QStringList &options = {});
    QString newEmail();
    QByteArray newAccount(QString *email = nullptr);
    void advanceClock(qint64 seconds);
    QString uploadAndSave(const QByteArray &token, const QByteArray &data, bool macro, const QString &configType = QStringLiteral("OX7"));

    CloudServerProcess m_server;
    CloudTestClient m_client;
    PostgresCluster m_postgres;
    QStringList m_options;
    bool m_started = false;
    bool m_postgresMode = false;
    int m_accounts = 0;
};

void TstCloudServer::initTestCase()
{
    if (qEnvironmentVariable("OX8_CLOUD_TEST_DATABASE") == QLatin1String("postgresql")) {
        if (PostgresCluster::binDir().isEmpty())
            QSKIP("PostgreSQL is not installed (/usr/lib/postgresql/*/bin); scripts/setup-deps.sh installs it");
        QString error;
        QVERIFY2(m_postgres.start(&error), qPrintable(error));
        const QString url = m_postgres.createDatabase(QStringLiteral("ox8cloud_test"), &error);
        QVERIFY2(!url.isEmpty(), qPrintable(error));
        m_server.setDatabaseUrl(url);
        m_postgresMode = true;
    }
}

void TstCloudServer::cleanupTestCase()
{
    m_client.reset();
    QVERIFY2(m_server.stop(), m_server.log().constData());
    m_postgres.stop();
}

void TstCloudServer::init()
{
    QVERIFY(useServer());
}

void TstCloudServer::cleanup()
{
    // Drop kept-alive connections, so a restart does not wait for them.
    m_client.reset();
    if (QTest::currentTestFailed())
        qWarning("ox8cloud log:\n%s", m_server.log().constData());
}

bool TstCloudServer::useServer(const QStringList &options)
{
    if (m_started && m_server.isRunning() && options == m_options)
        return true;
    m_client.reset();
    m_options = options;
    m_started = m_server.start(options);
    m_client.setBaseUrl(m_server.baseUrl());
    return m_started;
}

QString TstCloudServer::newEmail()
{
    return QStringLiteral("user%1@example.org").arg(++m_accounts);
}

QByteArray TstCloudServer::newAccount(QString *email)
{
    const QString address = newEmail();
    if (email)
        *email = address;
    if (m_client.registerAccount(address, Password) != 0)
        return {};
    return m_client.login(address, Password);
}

void TstCloudServer::advanceClock(qint64 seconds)
{
    const CloudHttpResult r = m_client.postJson(QStringLiteral("/test/clock"), obj({{"advanceSeconds", double(seconds)}}));
    QCOMPARE(r.code(), 0);
}

QString TstCloudServer::uploadAndSave(const QByteArray &token, const QByteArray &data, bool macro, const QString &configType)
{
    const CloudHttpResult up = m_client.upload(data, macro ? QStringLiteral("MacroFiles.zip") : QStringLiteral("LocalFile.zip"), token);
    if (up.code() != 0)
        return {};
    const QString path = up.data().value(QStringLiteral("filePath")).toString();
    const CloudHttpResult save = macro
        ? m_client.postJson(QStringLiteral("/v1/driver/macro/config/save"),
                            obj({{"filePath", path}, {"configContent", ""}, {"configType", ""}}), token)
        : m_client.postJson(QStringLiteral("/v1/driver/config2/save"),
                            obj({{"filePath", path}, {"configContent", ""}, {"configType", configType}}), token);
    return save.code() == 0 ? path : QString();
}

// --- Accounts ---------------------------------------------------------------------------

void TstCloudServer::registerAndLogin()
{
    const QString email = newEmail();
    QCOMPARE(m_client.registerAccount(email, Password, QStringLiteral("小明")), 0);
    QVERIFY(m_server.log().contains(m_postgresMode ? "PostgreSQL database" : "SQLite"));

    // The address is the account's key in any case and with spaces around it.
    const CloudHttpResult r = m_client.postJson(QStringLiteral("/v1/user/login"),
                                                obj({{"email", QStringLiteral(" ") + email.toUpper()}, {"password", Password}}));
    QCOMPARE(r.status, 200);
    QCOMPARE(r.code(), 0);
    QCOMPARE(r.data().value(QStringLiteral("nickname")).toString(), QStringLiteral("小明"));
    QCOMPARE(r.data().value(QStringLiteral("email")).toString(), email);
    const QByteArray token = r.header("Authorization");
    QVERIFY2(isToken(token), token.constData());
    QVERIFY2(!r.body.contains(token), "the token travels only in the header");
    QCOMPARE(r.header("Content-Type"), QByteArray("application/json"));

    QCOMPARE(m_client.postJson(QStringLiteral("/v1/driver/macro/config/get"), QByteArray("{}"), token).code(), 0);
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/driver/macro/config/get"), QByteArray("{}"), "Bearer " + token).code(), 0);
    // Each login is a session of its own.
    const QByteArray second = m_client.login(email, Password);
    QVERIFY(isToken(second));
    QVERIFY(second != token);
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/driver/macro/config/get"), QByteArray("{}"), token).code(), 0);
}

void TstCloudServer::registerRefusals_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("code");

    QTest::newRow("an address already taken")
        << QByteArray(R"({"nickname":"Bo","email":"Taken@example.org","password":"secret12","rePassword":"secret12"})") << 10002;
    QTest::newRow("not an e-mail address")
        << QByteArray(R"({"nickname":"Bo","email":"bo.example.org","password":"secret12","rePassword":"secret12"})") << 10008;
    QTest::newRow("an empty nickname")
        << QByteArray(R"({"nickname":"","email":"bo1@example.org","password":"secret12","rePassword":"secret12"})") << 10009;
    QTest::newRow("a nickname of 8 characters")
        << QByteArray(R"({"nickname":"12345678","email":"bo2@example.org","password":"secret12","rePassword":"secret12"})") << 10009;
    QTest::newRow("a nickname of 7 characters")
        << QByteArray(R"({"nickname":"1234567","email":"bo3@example.org","password":"secret12","rePassword":"secret12"})") << 0;
    QTest::newRow("a password of 5 characters")
        << QByteArray(R"({"nickname":"Bo","email":"bo4@example.org","password":"12345","rePassword":"12345"})") << 10006;
    QTest::newRow("a password of 6 characters")
        << QByteArray(R"({"nickname":"Bo","email":"bo5@example.org","password":"123456","rePassword":"123456"})") << 0;
    QTest::newRow("a password of 16 characters")
        << QByteArray(R"({"nickname":"Bo","email":"bo6@example.org","password":"1234567890123456","rePassword":"1234567890123456"})") << 0;
    QTest::newRow("a password of 17 characters")
        << QByteArray(R"({"nickname":"Bo","email":"bo7@example.org","password":"12345678901234567","rePassword":"12345678901234567"})") << 10006;
    QTest::newRow("passwords that differ")
        << QByteArray(R"({"nickname":"Bo","email":"bo8@example.org","password":"secret12","rePassword":"secret13"})") << 10007;
    QTest::newRow("a missing field") << QByteArray(R"({"nickname":"Bo","email":"bo9@example.org","password":"secret12"})") << 10001;
    QTest::newRow("a number for a string")
        << QByteArray(R"({"nickname":"Bo","email":"bo10@example.org","password":123456,"rePassword":123456})") << 10001;
}

void TstCloudServer::registerRefusals()
{
    QFETCH(QByteArray, body);
    QFETCH(int, code);
    m_client.registerAccount(QStringLiteral("taken@example.org"), Password);
    const CloudHttpResult r = m_client.postJson(QStringLiteral("/v1/user/register"), body);
    QCOMPARE(r.status, 200);
    QCOMPARE(r.code(), code);
    QVERIFY(!r.msg().isEmpty());
}

void TstCloudServer::loginRefusals_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("code");

    QTest::newRow("a wrong password") << QByteArray(R"({"email":"login@example.org","password":"secret13"})") << 10004;
    QTest::newRow("an unknown address") << QByteArray(R"({"email":"nobody@example.org","password":"secret12"})") << 10004;
    QTest::newRow("not an address") << QByteArray(R"({"email":"nobody","password":"secret12"})") << 10004;
    QTest::newRow("an empty password") << QByteArray(R"({"email":"login@example.org","password":""})") << 10004;
    QTest::newRow("no password") << QByteArray(R"({"email":"login@example.org"})") << 10001;
}

void TstCloudServer::loginRefusals()
{
    QFETCH(QByteArray, body);
    QFETCH(int, code);
    m_client.registerAccount(QStringLiteral("login@example.org"), Password);
    const CloudHttpResult r = m_client.postJson(QStringLiteral("/v1/user/login"), body);
    QCOMPARE(r.code(), code);
    // The program keeps its stored token when a login answer carries none.
    QVERIFY(!r.hasHeader("Authorization"));
}

void TstCloudServer::wrongPasswordsLockTheAccount()
{
    QVERIFY(useServer({QStringLiteral("--login-failures"), QStringLiteral("3"), QStringLiteral("--login-window"), QStringLiteral("60")}));
    const QString ann = newEmail();
    const QString bob = newEmail();
    QCOMPARE(m_client.registerAccount(ann, Password), 0);
    QCOMPARE(m_client.registerAccount(bob, Password), 0);
    const QJsonObject wrong = obj({{"email", ann}, {"password", "wrong-one"}});
    for (int i = 0; i < 3; ++i)
        QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/login"), wrong).code(), 10004);

    // Locked: even the right password is refused for the rest of the window.
    CloudHttpResult r = m_client.postJson(QStringLiteral("/v1/user/login"), obj({{"email", ann}, {"password", Password}}));
    QCOMPARE(r.code(), 10005);
    QVERIFY(!r.hasHeader("Authorization"));
    QVERIFY2(r.msg().contains(QStringLiteral("seconds")), qPrintable(r.msg()));
    // Another account is not affected.
    QVERIFY(!m_client.login(bob, Password).isEmpty());
    // A wrong current password on the change-password call counts as well.
    const QByteArray bobToken = m_client.login(bob, Password);
    const QJsonObject change = obj({{"email", bob}, {"password", "wrong-one"}, {"rePassword", "newsecret"}});
    for (int i = 0; i < 3; ++i)
        QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/updatePassword"), change, bobToken).code(), 10003);
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/updatePassword"),
                               obj({{"email", bob}, {"password", Password}, {"rePassword", "newsecret"}}), bobToken)
                 .code(),
             10005);

    advanceClock(61);
    QVERIFY(!m_client.login(ann, Password).isEmpty());
}

void TstCloudServer::parallelGuessesCountToo()
{
    QVERIFY(useServer({QStringLiteral("--login-failures"), QStringLiteral("3")}));
    const QString email = newEmail();
    QCOMPARE(m_client.registerAccount(email, Password), 0);
    // Ten guesses at once, each on its own connection: only three get checked.
    std::vector<std::unique_ptr<QNetworkAccessManager>> managers;
    QList<QNetworkReply *> replies;
    const QByteArray body = QJsonDocument(obj({{"email", email}, {"password", "guess"}})).toJson(QJsonDocument::Compact);
    for (int i = 0; i < 10; ++i) {
        managers.push_back(std::make_unique<QNetworkAccessManager>());
        QNetworkRequest request(m_client.url(QStringLiteral("/v1/user/login")));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        replies << managers.back()->post(request, body);
    }
    QMap<int, int> codes;
    for (QNetworkReply *reply : qAsConst(replies)) {
        QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 60000);
        ++codes[QJsonDocument::fromJson(reply->readAll()).object().value(QStringLiteral("code")).toInt(-1)];
        reply->deleteLater();
    }
    QCOMPARE(codes.value(10004), 3);
    QCOMPARE(codes.value(10005), 7);
}

void TstCloudServer::wrongPasswordAnswersWait()
{
    QVERIFY(useServer({QStringLiteral("--fail-delay-ms"), QStringLiteral("300")}));
    const QString email = newEmail();
    QCOMPARE(m_client.registerAccount(email, Password), 0);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/login"), obj({{"email", email}, {"password", "wrong-one"}})).code(), 10004);
    // A lower bound only: the answer waits at least the configured delay.
    QVERIFY2(timer.elapsed() >= 300, qPrintable(QString::number(timer.elapsed())));
}

void TstCloudServer::malformedJson_data()
{
    QTest::addColumn<QString>("endpoint");
    QTest::addColumn<QByteArray>("body");

    const QList<QPair<const char *, QByteArray>> bodies = {
        {"cut short", QByteArray("{\"email\":")}, {"an array", QByteArray("[1,2]")}, {"empty", QByteArray()},
        {"null", QByteArray("null")}, {"not UTF-8", QByteArray("{\"email\":\"\xff\xfe\"")}};
    for (const QString &endpoint : JsonEndpoints) {
        for (const auto &b : bodies)
            QTest::newRow(qPrintable(endpoint + QStringLiteral(": ") + QLatin1String(b.first))) << endpoint << b.second;
    }
}

void TstCloudServer::malformedJson()
{
    QFETCH(QString, endpoint);
    QFETCH(QByteArray, body);
    static QByteArray token;
    if (token.isEmpty() || m_client.postJson(QStringLiteral("/v1/driver/macro/config/get"), QByteArray("{}"), token).code() != 0)
        token = newAccount();
    QVERIFY(!token.isEmpty());
    const CloudHttpResult r = m_client.postJson(endpoint, body, token);
    QCOMPARE(r.status, 200);
    QCOMPARE(r.code(), 10001);
}

void TstCloudServer::protectedEndpointsNeedAValidToken_data()
{
    QTest::addColumn<QString>("endpoint");
    QTest::addColumn<QString>("token");

    const QStringList endpoints = {QStringLiteral("/v1/user/updatePassword"), QStringLiteral("/v1/file/upload"),
                                   QStringLiteral("/v1/driver/macro/config/save"), QStringLiteral("/v1/driver/config2/save"),
                                   QStringLiteral("/v1/driver/config2/get"), QStringLiteral("/v1/driver/macro/config/get")};
    for (const QString &e : endpoints) {
        for (const char *kind : {"none", "malformed", "unknown", "expired"})
            QTest::newRow(qPrintable(e + QStringLiteral(": ") + QLatin1String(kind))) << e << QString::fromLatin1(kind);
    }
}

void TstCloudServer::protectedEndpointsNeedAValidToken()
{
    QFETCH(QString, endpoint);
    QFETCH(QString, token);
    QString email;
    const QByteArray valid = newAccount(&email);
    QVERIFY(!valid.isEmpty());
    // A well-formed request, so only the token can be the reason.
    const QString path = uploadAndSave(valid, zipBytes(100, 1), false);
    QVERIFY(!path.isEmpty());

    QByteArray sent;
    if (token == QLatin1String("malformed"))
        sent = "../../etc/passwd";
    else if (token == QLatin1String("unknown"))
        sent = QByteArray(64, 'a');
    else if (token == QLatin1String("expired")) {
        sent = valid;
        advanceClock(30 * 24 * 3600 + 1);
    }
    CloudHttpResult r;
    if (endpoint == QLatin1String("/v1/file/upload"))
        r = m_client.upload(zipBytes(100, 2), QStringLiteral("LocalFile.zip"), sent);
    else
        r = m_client.postJson(endpoint,
                              obj({{"email", email}, {"password", Password}, {"rePassword", "newsecret"}, {"filePath", path},
                                   {"configContent", ""}, {"configType", "OX7"}}),
                              sent);
    QCOMPARE(r.status, 200);
    QCOMPARE(r.code(), 10011);
}

// --- Password recovery and change -------------------------------------------------------

void TstCloudServer::passwordRecovery()
{
    QString email;
    const QByteArray oldToken = newAccount(&email);
    QVERIFY(!oldToken.isEmpty());

    const CloudHttpResult sent = m_client.postJson(QStringLiteral("/v1/user/findPassword"), obj({{"email", email.toUpper()}}));
    QCOMPARE(sent.code(), 0);
    const QString code = m_server.recoveryCode(email);
    QCOMPARE(code.size(), 6);
    QVERIFY2(!sent.body.contains(code.toLatin1()), "a code never appears in an answer");
    QVERIFY2(!m_server.log().contains(code.toLatin1()), "nor in the log");

    const QString wrong = code == QLatin1String("000000") ? QStringLiteral("111111") : QStringLiteral("000000");
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/validatePassword"), obj({{"email", email}, {"captcha", wrong}})).code(), 10010);
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/validatePassword"), obj({{"email", email}, {"captcha", code}})).code(), 0);
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/newPassword"),
                               obj({{"email", email}, {"captcha", code}, {"password", "12345"}}))
                 .code(),
             10006);
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/newPassword"),
                               obj({{"email", email}, {"captcha", code}, {"password", "brandnew1"}}))
                 .code(),
             0);

    QVERIFY(m_client.login(email, Password).isEmpty());
    QVERIFY(!m_client.login(email, QStringLiteral("brandnew1")).isEmpty());
    // Logins made with the old password end; the code is used up.
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/driver/macro/config/get"), QByteArray("{}"), oldToken).code(), 10011);
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/newPassword"),
                               obj({{"email", email}, {"captcha", code}, {"password", "another1"}}))
                 .code(),
             10010);
}

void TstCloudServer::recoveryForAnUnknownAddressSendsNothing()
{
    const int before = m_server.outboxMessages().size();
    // The same answer as for an account, so the call tells nothing about accounts.
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/findPassword"), obj({{"email", "ghost@example.org"}})).code(), 0);
    QCOMPARE(m_server.outboxMessages().size(), before);
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/validatePassword"),
                               obj({{"email", "ghost@example.org"}, {"captcha", "123456"}}))
                 .code(),
             10010);
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/findPassword"), obj({{"email", "ghost"}})).code(), 10008);
}

void TstCloudServer::recoveryCodeExpires()
{
    QString email;
    QVERIFY(!newAccount(&email).isEmpty());
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/findPassword"), obj({{"email", email}})).code(), 0);
    const QString code = m_server.recoveryCode(email);
    advanceClock(15 * 60 + 1);
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/validatePassword"), obj({{"email", email}, {"captcha", code}})).code(), 10010);
}

void TstCloudServer::recoveryCodeAllowsFewTries()
{
    QString email;
    QVERIFY(!newAccount(&email).isEmpty());
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/findPassword"), obj({{"email", email}})).code(), 0);
    const QString code = m_server.recoveryCode(email);
    const QString wrong = code == QLatin1String("000000") ? QStringLiteral("111111") : QStringLiteral("000000");
    for (int i = 0; i < 5; ++i)
        QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/validatePassword"), obj({{"email", email}, {"captcha", wrong}})).code(), 10010);
    // Five wrong guesses end the code: the right one no longer works.
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/validatePassword"), obj({{"email", email}, {"captcha", code}})).code(), 10010);
    // A new code works again.
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/findPassword"), obj({{"email", email}})).code(), 0);
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/validatePassword"),
                               obj({{"email", email}, {"captcha", m_server.recoveryCode(email)}}))
                 .code(),
             0);
}

void TstCloudServer::recoveryMailsAreLimited()
{
    QString email;
    QVERIFY(!newAccount(&email).isEmpty());
    for (int i = 0; i < 3; ++i)
        QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/findPassword"), obj({{"email", email}})).code(), 0);
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/findPassword"), obj({{"email", email}})).code(), 10019);
    // Unknown addresses count the same way.
    for (int i = 0; i < 3; ++i)
        QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/findPassword"), obj({{"email", "ghost2@example.org"}})).code(), 0);
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/findPassword"), obj({{"email", "ghost2@example.org"}})).code(), 10019);
    advanceClock(15 * 60 + 1);
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/findPassword"), obj({{"email", email}})).code(), 0);
}

void TstCloudServer::mailCommand_data()
{
    QTest::addColumn<bool>("commandWorks");
    QTest::newRow("the command delivers the mail") << true;
    QTest::newRow("a failing command leaves the mail in the outbox") << false;
}

void TstCloudServer::mailCommand()
{
    QFETCH(bool, commandWorks);
    QTemporaryDir dir;
    const QString mailFile = dir.filePath(QStringLiteral("mail.txt"));
    const QString command = commandWorks ? QStringLiteral("sh -c \"cat > %1\"").arg(mailFile)
                                         : QStringLiteral("sh -c \"cat > /dev/null; exit 3\"");
    QVERIFY(useServer({QStringLiteral("--mail-command"), command}));
    QString email;
    QVERIFY(!newAccount(&email).isEmpty());
    const int before = m_server.outboxMessages().size();
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/findPassword"), obj({{"email", email}})).code(), 0);
    if (commandWorks) {
        QFile f(mailFile);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray mail = f.readAll();
        QVERIFY2(mail.startsWith("To: " + email.toUtf8() + "\r\nSubject: "), mail.constData());
        QVERIFY(QRegularExpression(QStringLiteral("code is \\d{6}\\.")).match(QString::fromUtf8(mail)).hasMatch());
        QCOMPARE(m_server.outboxMessages().size(), before);
    } else {
        QCOMPARE(m_server.outboxMessages().size(), before + 1);
        QCOMPARE(m_server.recoveryCode(email).size(), 6);
    }
}

void TstCloudServer::changePassword()
{
    QString email;
    const QByteArray token = newAccount(&email);
    const QByteArray otherComputer = m_client.login(email, Password);
    QVERIFY(!token.isEmpty() && !otherComputer.isEmpty());
    const QString path = QStringLiteral("/v1/user/updatePassword");

    // The program sends the current password as "password", the new one as "rePassword".
    QCOMPARE(m_client.postJson(path, obj({{"email", email}, {"password", "not-it"}, {"rePassword", "newsecret"}}), token).code(), 10003);
    QCOMPARE(m_client.postJson(path, obj({{"email", email}, {"password", Password}, {"rePassword", "short"}}), token).code(), 10006);
    QCOMPARE(m_client.postJson(path, obj({{"email", "someone@example.org"}, {"password", Password}, {"rePassword", "newsecret"}}), token).code(), 10001);
    QCOMPARE(m_client.postJson(path, obj({{"email", email}, {"password", Password}, {"rePassword", "newsecret"}}), token).code(), 0);

    QVERIFY(m_client.login(email, Password).isEmpty());
    QVERIFY(!m_client.login(email, QStringLiteral("newsecret")).isEmpty());
    // This computer stays logged in; the others have to log in again.
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/driver/macro/config/get"), QByteArray("{}"), token).code(), 0);
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/driver/macro/config/get"), QByteArray("{}"), otherComputer).code(), 10011);
}

// --- Archives ---------------------------------------------------------------------------

void TstCloudServer::uploadSaveAndDownload_data()
{
    QTest::addColumn<bool>("macro");
    QTest::addColumn<bool>("tokenOnPart");
    QTest::newRow("configuration archive, token on the part (as the program sends it)") << false << true;
    QTest::newRow("macro archive, token on the part") << true << true;
    QTest::newRow("configuration archive, token on the request") << false << false;
}

void TstCloudServer::uploadSaveAndDownload()
{
    QFETCH(bool, macro);
    QFETCH(bool, tokenOnPart);
    const QByteArray token = newAccount();
    const QByteArray data = zipBytes(300 * 1024, 7);
    const QString name = macro ? QStringLiteral("MacroFiles.zip") : QStringLiteral("LocalFile.zip");

    const CloudHttpResult up = m_client.upload(data, name, token, tokenOnPart);
    QCOMPARE(up.code(), 0);
    const QString filePath = up.data().value(QStringLiteral("filePath")).toString();
    QVERIFY2(filePath.startsWith(m_server.baseUrl().toString() + QStringLiteral("/files/")), qPrintable(filePath));
    QVERIFY(filePath.endsWith(QLatin1Char('/') + name));

    const CloudHttpResult save = macro
        ? m_client.postJson(QStringLiteral("/v1/driver/macro/config/save"),
                            obj({{"filePath", filePath}, {"configContent", ""}, {"configType", ""}}), token)
        : m_client.postJson(QStringLiteral("/v1/driver/config2/save"),
                            obj({{"filePath", filePath}, {"configContent", ""}, {"configType", "OX7"}}), token);
    QCOMPARE(save.code(), 0);

    const CloudHttpResult get = macro
        ? m_client.postJson(QStringLiteral("/v1/driver/macro/config/get"), QByteArray("{}"), token)
        : m_client.postJson(QStringLiteral("/v1/driver/config2/get"), obj({{"configType", "OX7"}}), token);
    QCOMPARE(get.code(), 0);
    QCOMPARE(get.data().value(QStringLiteral("configType")).toString(), macro ? QStringLiteral("macro") : QStringLiteral("OX7"));
    QCOMPARE(get.data().value(QStringLiteral("filePath")).toString(), filePath);

    // The program downloads without any header of its own.
    const CloudHttpResult download = m_client.get(QUrl(filePath));
    QCOMPARE(download.status, 200);
    QCOMPARE(download.body, data);
    QCOMPARE(download.header("Content-Type"), QByteArray("application/zip"));
    QCOMPARE(download.header("Cache-Control"), QByteArray("private, no-store"));
}

void TstCloudServer::savingANewArchiveDropsTheOldOne()
{
    const QByteArray token = newAccount();
    const QString first = uploadAndSave(token, zipBytes(1000, 1), false);
    const QString macro = uploadAndSave(token, zipBytes(1000, 2), true);
    const QString otherModel = uploadAndSave(token, zipBytes(1000, 3), false, QStringLiteral("OX4"));
    const QString second = uploadAndSave(token, zipBytes(1000, 4), false);
    QVERIFY(!first.isEmpty() && !macro.isEmpty() && !otherModel.isEmpty() && !second.isEmpty());

    QCOMPARE(m_client.get(QUrl(first)).status, 404);
    QCOMPARE(m_client.get(QUrl(second)).body, zipBytes(1000, 4));
    QCOMPARE(m_client.get(QUrl(macro)).body, zipBytes(1000, 2));
    QCOMPARE(m_client.get(QUrl(otherModel)).body, zipBytes(1000, 3));
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/driver/config2/get"), obj({{"configType", "OX4"}}), token)
                 .data().value(QStringLiteral("filePath")).toString(),
             otherModel);
}

void TstCloudServer::uploadRefusals_data()
{
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("code");

    const QByteArray ct = "multipart/form-data; boundary=\"b0und\"";
    const auto part = [](const QByteArray &disposition, const QByteArray &content) {
        return QByteArray("--b0und\r\nAuthorization: TOKEN\r\nContent-Disposition: " + disposition + "\r\n\r\n" + content
                          + "\r\n--b0und--\r\n");
    };
    const QByteArray zip = zipBytes(200, 5);
    QTest::newRow("not a zip archive") << ct << part("form-data; name=\"file\"; filename=\"LocalFile.zip\"", "just text") << 10013;
    QTest::newRow("another file name") << ct << part("form-data; name=\"file\"; filename=\"../../x.zip\"", zip) << 10013;
    QTest::newRow("no part named file") << ct << part("form-data; name=\"archive\"; filename=\"LocalFile.zip\"", zip) << 10013;
    QTest::newRow("no closing boundary") << ct << part("form-data; name=\"file\"; filename=\"LocalFile.zip\"", zip).replace("--b0und--", "") << 10014;
    QTest::newRow("a boundary other than announced")
        << QByteArray("multipart/form-data; boundary=other") << part("form-data; name=\"file\"; filename=\"LocalFile.zip\"", zip) << 10014;
    QTest::newRow("not multipart at all") << QByteArray("application/zip") << zip << 10014;
    QTest::newRow("binary noise") << ct << QByteArray("\x00\xff--b0und\r\n\r\n\x01", 12) << 10014;
    QTest::newRow("an empty zip archive is fine")
        << ct << part("form-data; name=\"file\"; filename=\"MacroFiles.zip\"", QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0')) << 0;
}

void TstCloudServer::uploadRefusals()
{
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, body);
    QFETCH(int, code);
    const QByteArray token = newAccount();
    QNetworkRequest request(m_client.url(QStringLiteral("/v1/file/upload")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    request.setRawHeader("Authorization", token);
    const CloudHttpResult r = m_client.send(request, "POST", QByteArray(body).replace("TOKEN", token));
    QCOMPARE(r.status, 200);
    QCOMPARE(r.code(), code);
}

void TstCloudServer::uploadLimits()
{
    QVERIFY(useServer({QStringLiteral("--archive-limit"), QStringLiteral("64K"), QStringLiteral("--user-quota"),
                       QStringLiteral("100K")}));
    const QByteArray token = newAccount();
    QCOMPARE(m_client.upload(zipBytes(64 * 1024 + 1, 1), QStringLiteral("LocalFile.zip"), token).code(), 10012);
    QCOMPARE(m_client.upload(zipBytes(60 * 1024, 2), QStringLiteral("LocalFile.zip"), token).code(), 0);
    // Uploaded but not yet saved still counts against the account's space.
    QCOMPARE(m_client.upload(zipBytes(60 * 1024, 3), QStringLiteral("MacroFiles.zip"), token).code(), 10012);
    // Another account has its own space.
    QCOMPARE(m_client.upload(zipBytes(60 * 1024, 4), QStringLiteral("LocalFile.zip"), newAccount()).code(), 0);
    // Uploads never saved are dropped after an hour, and the space is free again.
    advanceClock(3601);
    QCOMPARE(m_client.upload(zipBytes(60 * 1024, 5), QStringLiteral("MacroFiles.zip"), token).code(), 0);
    // Far over the limit: answered without waiting for the announced body
    // (the service would otherwise wait out its 10 s read time-out first).
    const QByteArray huge = CloudTestClient::rawExchange(
        m_server.baseUrl(),
        "POST /v1/file/upload HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Type: multipart/form-data; boundary=b\r\n"
        "Content-Length: 900000000\r\n\r\n",
        5000);
    QVERIFY2(huge.startsWith("HTTP/1.1 200"), huge.constData());
    QVERIFY2(huge.contains("\"code\":10012"), huge.constData());
}

void TstCloudServer::saveRefusals_data()
{
    QTest::addColumn<QString>("endpoint");
    QTest::addColumn<QString>("configType");
    QTest::addColumn<QString>("filePath"); // "own", "own-macro", "foreign" or a literal
    QTest::addColumn<int>("code");

    const QString config = QStringLiteral("/v1/driver/config2/save");
    const QString macro = QStringLiteral("/v1/driver/macro/config/save");
    QTest::newRow("a config type climbing out") << config << "../../x" << "own" << 10015;
    QTest::newRow("a config type with a slash") << config << "a/b" << "own" << 10015;
    QTest::newRow("a hidden config type") << config << ".ox7" << "own" << 10015;
    QTest::newRow("an empty config type") << config << "" << "own" << 10015;
    QTest::newRow("a config type of 65 characters") << config << QString(65, QLatin1Char('a')) << "own" << 10015;
    QTest::newRow("a macro record with a type") << macro << "OX7" << "own-macro" << 10015;
    QTest::newRow("another account's archive") << config << "OX7" << "foreign" << 10016;
    QTest::newRow("a file of the system") << config << "OX7" << "/etc/passwd" << 10016;
    QTest::newRow("an archive id that does not exist")
        << config << "OX7" << "http://127.0.0.1/files/0123456789abcdef0123456789abcdef/LocalFile.zip" << 10016;
    QTest::newRow("the macro archive as a configuration") << config << "OX7" << "own-macro" << 10016;
    QTest::newRow("the configuration archive as macros") << macro << "" << "own" << 10016;
}

void TstCloudServer::saveRefusals()
{
    QFETCH(QString, endpoint);
    QFETCH(QString, configType);
    QFETCH(QString, filePath);
    QFETCH(int, code);
    const QByteArray token = newAccount();
    const QByteArray stranger = newAccount();
    const auto uploaded = [this](const QByteArray &t, const QString &name) {
        return m_client.upload(zipBytes(100, 9), name, t).data().value(QStringLiteral("filePath")).toString();
    };
    QString path = filePath;
    if (filePath == QLatin1String("own"))
        path = uploaded(token, QStringLiteral("LocalFile.zip"));
    else if (filePath == QLatin1String("own-macro"))
        path = uploaded(token, QStringLiteral("MacroFiles.zip"));
    else if (filePath == QLatin1String("foreign"))
        path = uploaded(stranger, QStringLiteral("LocalFile.zip"));
    QVERIFY(!path.isEmpty());
    const CloudHttpResult r = m_client.postJson(endpoint, obj({{"filePath", path}, {"configContent", ""}, {"configType", configType}}), token);
    QCOMPARE(r.code(), code);
    // Nothing was recorded for the account.
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/driver/config2/get"), obj({{"configType", "OX7"}}), token)
                 .data().value(QStringLiteral("filePath")).toString(),
             QString());
}

void TstCloudServer::noCloudCopyYet()
{
    const QByteArray token = newAccount();
    // The program reads an empty path as "no cloud copy of this model".
    const CloudHttpResult config = m_client.postJson(QStringLiteral("/v1/driver/config2/get"), obj({{"configType", "OX7Q"}}), token);
    QCOMPARE(config.code(), 0);
    QCOMPARE(config.data().value(QStringLiteral("configType")).toString(), QStringLiteral("OX7Q"));
    QVERIFY(config.data().contains(QStringLiteral("filePath")));
    QCOMPARE(config.data().value(QStringLiteral("filePath")).toString(), QString());
    const CloudHttpResult macro = m_client.postJson(QStringLiteral("/v1/driver/macro/config/get"), QByteArray("{}"), token);
    QCOMPARE(macro.code(), 0);
    QCOMPARE(macro.data().value(QStringLiteral("configType")).toString(), QStringLiteral("macro"));
    QCOMPARE(macro.data().value(QStringLiteral("filePath")).toString(), QString());
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/driver/config2/get"), obj({{"configType", "../x"}}), token).code(), 10015);
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/driver/config2/get"), QByteArray("{}"), token).code(), 10001);
}

void TstCloudServer::concurrentTransfersStayIntact()
{
    // Eight clients at once, each with its own account and connections.
    constexpr int Clients = 8;
    std::vector<std::unique_ptr<QNetworkAccessManager>> managers;
    QList<QByteArray> tokens;
    for (int i = 0; i < Clients; ++i) {
        managers.push_back(std::make_unique<QNetworkAccessManager>());
        tokens << newAccount();
        QVERIFY(!tokens.last().isEmpty());
    }
    QList<QNetworkReply *> replies;
    for (int i = 0; i < Clients; ++i) {
        auto *multi = new QHttpMultiPart(QHttpMultiPart::FormDataType);
        QHttpPart part;
        part.setRawHeader("Authorization", tokens.at(i));
        part.setHeader(QNetworkRequest::ContentDispositionHeader, QStringLiteral("form-data; name=\"file\"; filename=\"LocalFile.zip\""));
        part.setBody(zipBytes(200 * 1024 + i, 100 + i));
        multi->append(part);
        QNetworkReply *reply = managers[std::size_t(i)]->post(QNetworkRequest(m_client.url(QStringLiteral("/v1/file/upload"))), multi);
        multi->setParent(reply);
        replies << reply;
    }
    QStringList paths;
    for (QNetworkReply *reply : qAsConst(replies)) {
        QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 60000);
        const QJsonObject o = QJsonDocument::fromJson(reply->readAll()).object();
        QCOMPARE(o.value(QStringLiteral("code")).toInt(-1), 0);
        paths << o.value(QStringLiteral("data")).toObject().value(QStringLiteral("filePath")).toString();
        reply->deleteLater();
    }
    replies.clear();
    for (int i = 0; i < Clients; ++i)
        replies << managers[std::size_t(i)]->get(QNetworkRequest(QUrl(paths.at(i))));
    for (int i = 0; i < Clients; ++i) {
        QTRY_VERIFY_WITH_TIMEOUT(replies.at(i)->isFinished(), 60000);
        QCOMPARE(replies.at(i)->readAll(), zipBytes(200 * 1024 + i, 100 + i));
        replies.at(i)->deleteLater();
    }
}

// --- Versions, analytics, the HTTP edges ----------------------------------------------

void TstCloudServer::versionsAndPackages()
{
    const QString path = QStringLiteral("/v1/driver/version");
    QCOMPARE(m_client.postJson(path, obj({{"versionType", "ox7q-firmware"}})).code(), 10017);

    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("Nuc123.bin"));
    QByteArray bytes;
    for (int i = 0; i < 20000; ++i)
        bytes.append(char(i * 7));
    QFile f(image);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    QByteArray output;
    QCOMPARE(m_server.admin({QStringLiteral("publish-firmware"), QStringLiteral("ox7q"), QStringLiteral("0032"), image,
                             QStringLiteral("--date"), QStringLiteral("2024-05-01")},
                            &output),
             0);
    // No token needed: the program checks at start-up, logged in or not.
    const CloudHttpResult r = m_client.postJson(path, obj({{"versionType", "ox7q-firmware"}}));
    QCOMPARE(r.code(), 0);
    QCOMPARE(r.data().value(QStringLiteral("version")).toString(), QStringLiteral("0032"));
    QCOMPARE(r.data().value(QStringLiteral("versionDate")).toString(), QStringLiteral("2024-05-01"));
    const QString url = r.data().value(QStringLiteral("downloadUrl")).toString();
    QCOMPARE(url, m_server.baseUrl().toString() + QStringLiteral("/packages/ox7q-firmware/0032/Nuc123.bin"));
    const CloudHttpResult package = m_client.get(QUrl(url));
    QCOMPARE(package.status, 200);
    QCOMPARE(package.body, bytes);

    // A newer version replaces the record; software versions may point elsewhere.
    QCOMPARE(m_server.admin({QStringLiteral("publish-firmware"), QStringLiteral("ox7q"), QStringLiteral("0033"), image}), 0);
    QCOMPARE(m_client.postJson(path, obj({{"versionType", "ox7q-firmware"}})).data().value(QStringLiteral("version")).toString(),
             QStringLiteral("0033"));
    QCOMPARE(m_server.admin({QStringLiteral("publish-software"), QStringLiteral("OX8Driver"), QStringLiteral("1.2.0"),
                             QStringLiteral("--url"), QStringLiteral("https://downloads.example.org/ox8driver-1.2.0.tar.gz")}),
             0);
    const CloudHttpResult software = m_client.postJson(path, obj({{"versionType", "OX8Driver-software"}}));
    QCOMPARE(software.data().value(QStringLiteral("downloadUrl")).toString(),
             QStringLiteral("https://downloads.example.org/ox8driver-1.2.0.tar.gz"));

    QByteArray listing;
    QCOMPARE(m_server.admin({QStringLiteral("versions")}, &listing), 0);
    QVERIFY2(listing.contains("ox7q-firmware\t0033"), listing.constData());

    // Bad names never reach the data folder or the database.
    QCOMPARE(m_server.admin({QStringLiteral("publish-firmware"), QStringLiteral("../ox7"), QStringLiteral("1"), image}), 2);
    QCOMPARE(m_server.admin({QStringLiteral("publish-firmware"), QStringLiteral("ox7"), QStringLiteral("1/2"), image}), 2);
    QCOMPARE(m_server.admin({QStringLiteral("publish-firmware"), QStringLiteral("ox7"), QStringLiteral("1"),
                             dir.filePath(QStringLiteral("missing.bin"))}),
             2);
    QCOMPARE(m_client.postJson(path, obj({{"versionType", "../../etc"}})).code(), 10001);
    QCOMPARE(m_client.get(m_client.url(QStringLiteral("/packages/ox7q-firmware/0032/..%2F..%2Fox8cloud.sqlite"))).status, 404);
    QCOMPARE(m_client.get(m_client.url(QStringLiteral("/packages/ox7q-firmware/0099/Nuc123.bin"))).status, 404);
}

void TstCloudServer::collectorRecordsHits()
{
    const int before = m_server.collectedHits().size();
    QNetworkRequest request(m_client.url(QStringLiteral("/collect")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setRawHeader("User-Agent", "OX8Driver_1.0/1.0 (X11; Linux x86_64; en_US) GAnalytics/1.0 (Qt/5.9.8)");
    request.setRawHeader("Connection", "keep-alive");
    const QByteArray hit = "v=1&tid=UA-1-1&cid=%7Babc%7D&t=pageview&dp=Main&qt=12";
    QCOMPARE(m_client.send(request, "POST", hit).status, 200);

    // A test can make the next answers fail; the hit is recorded anyway.
    QCOMPARE(m_client.postJson(QStringLiteral("/test/collect/fail"), obj({{"status", 500}, {"count", 1}})).code(), 0);
    QCOMPARE(m_client.send(request, "POST", "v=1&t=event").status, 500);
    QCOMPARE(m_client.send(request, "POST", "v=1&t=event").status, 200);

    const QJsonArray hits = m_server.collectedHits();
    QCOMPARE(hits.size(), before + 3);
    const QJsonObject first = hits.at(before).toObject();
    QCOMPARE(first.value(QStringLiteral("body")).toString(), QString::fromLatin1(hit));
    QCOMPARE(first.value(QStringLiteral("userAgent")).toString(),
             QStringLiteral("OX8Driver_1.0/1.0 (X11; Linux x86_64; en_US) GAnalytics/1.0 (Qt/5.9.8)"));
    QCOMPARE(first.value(QStringLiteral("connection")).toString(), QStringLiteral("keep-alive"));
    QCOMPARE(first.value(QStringLiteral("method")).toString(), QStringLiteral("POST"));
    QCOMPARE(hits.at(before + 1).toObject().value(QStringLiteral("status")).toInt(), 500);
    // The same list over HTTP.
    const CloudHttpResult listed = m_client.get(m_client.url(QStringLiteral("/test/collect")));
    QCOMPARE(QJsonDocument::fromJson(listed.body).array(), hits);
}

void TstCloudServer::unknownPathsAndMethods()
{
    const CloudHttpResult unknown = m_client.postJson(QStringLiteral("/v1/user/delete"), QByteArray("{}"));
    QCOMPARE(unknown.status, 404);
    QCOMPARE(unknown.code(), 10021);
    QNetworkRequest get(m_client.url(QStringLiteral("/v1/user/login")));
    const CloudHttpResult wrongMethod = m_client.send(get, "GET");
    QCOMPARE(wrongMethod.status, 405);
    QCOMPARE(wrongMethod.header("Allow"), QByteArray("POST"));
    QCOMPARE(m_client.get(m_client.url(QStringLiteral("/"))).status, 200);
    QCOMPARE(m_client.get(m_client.url(QStringLiteral("/files/../ox8cloud.sqlite"))).status, 404);
    QCOMPARE(m_client.get(m_client.url(QStringLiteral("/files/0123456789abcdef0123456789abcdef/LocalFile.zip"))).status, 404);
    QCOMPARE(m_client.get(m_client.url(QStringLiteral("/nothing"))).status, 404);
}

void TstCloudServer::bodiesWithoutLengthOrTooLarge()
{
    const QByteArray chunked = CloudTestClient::rawExchange(
        m_server.baseUrl(),
        "POST /v1/user/login HTTP/1.1\r\nHost: x\r\nConnection: close\r\nTransfer-Encoding: chunked\r\n"
        "Content-Type: application/json\r\n\r\n5\r\n{\"a\":\r\n0\r\n\r\n");
    QVERIFY2(chunked.startsWith("HTTP/1.1 200"), chunked.constData());
    QVERIFY2(chunked.contains("\"code\":10018"), chunked.constData());

    const QByteArray big = "{\"email\":\"" + QByteArray(70 * 1024, 'a') + "\"}";
    QCOMPARE(m_client.postJson(QStringLiteral("/v1/user/findPassword"), big).code(), 10018);

    const QByteArray garbage = CloudTestClient::rawExchange(m_server.baseUrl(), "\x16\x03\x01 not http at all\r\n\r\n");
    QVERIFY2(garbage.startsWith("HTTP/1.1 400") || garbage.isEmpty(), garbage.constData());
    // The service still answers.
    QCOMPARE(m_client.get(m_client.url(QStringLiteral("/"))).status, 200);
}

void TstCloudServer::helpersForClientTests()
{
    // An error page with a long HTML body, as a broken server would send one.
    const CloudHttpResult page = m_client.get(m_client.url(QStringLiteral("/test/status/500")));
    QCOMPARE(page.status, 500);
    QVERIFY(page.body.size() >= 1000);
    QVERIFY(page.body.startsWith("<!DOCTYPE html>"));

    // A download that stops halfway: the client waits until the service dies.
    QNetworkReply *reply = m_client.manager()->get(QNetworkRequest(m_client.url(QStringLiteral("/test/stall?total=100000&bytes=1000"))));
    // (downloadProgress is throttled by Qt and may stay silent for a burst this short.)
    QTRY_VERIFY_WITH_TIMEOUT(reply->bytesAvailable() >= 1000, 20000);
    QVERIFY(!reply->isFinished());
    m_server.kill();
    QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 20000);
    // Qt does not always flag a body cut short as an error; a client has to
    // compare what arrived with the announced length.
    QVERIFY(reply->error() != QNetworkReply::NoError || reply->readAll().size() < 100000);
    QCOMPARE(reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(), 100000);
    reply->deleteLater();
}

void TstCloudServer::testHelpersOnlyInTestMode()
{
    QTemporaryDir dir;
    // Only on loopback.
    QProcess refused;
    refused.start(CloudServerProcess::program(), {QStringLiteral("--data"), dir.path(), QStringLiteral("--listen"),
                                                  QStringLiteral("0.0.0.0:0"), QStringLiteral("--test-mode")});
    QVERIFY(refused.waitForFinished(30000));
    QCOMPARE(refused.exitCode(), 2);

    QProcess plain;
    plain.start(CloudServerProcess::program(), {QStringLiteral("--data"), dir.path(), QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
    QVERIFY(plain.waitForStarted());
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += plain.readAllStandardOutput()).contains("listening on"), 30000);
    const QUrl base(QString::fromUtf8(out.mid(out.indexOf("http")).trimmed()));
    CloudTestClient client(base);
    QCOMPARE(client.postJson(QStringLiteral("/test/clock"), obj({{"advanceSeconds", 100}})).status, 404);
    QCOMPARE(client.get(client.url(QStringLiteral("/test/collect"))).status, 404);
    client.reset();
    plain.terminate();
    QVERIFY(plain.waitForFinished(30000));
    QCOMPARE(plain.exitCode(), 0);
}

void TstCloudServer::stopsCleanlyAndKeepsData_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TstCloudServer::stopsCleanlyAndKeepsData()
{
    QFETCH(int, signalNumber);
    QString email;
    const QByteArray token = newAccount(&email);
    const QString path = uploadAndSave(token, zipBytes(5000, 11), false);
    QVERIFY(!path.isEmpty());
    m_client.reset();

    QCOMPARE(::kill(pid_t(m_server.processId()), signalNumber), 0);
    QVERIFY2(m_server.waitForExit(), m_server.log().constData());
    QVERIFY(m_server.log().contains("stopped"));

    QVERIFY(useServer({QStringLiteral("--keep-alive"), QStringLiteral("1")})); // a restart on the same data
    const QByteArray again = m_client.login(email, Password);
    QVERIFY(!again.isEmpty());
    const QString stored = m_client.postJson(QStringLiteral("/v1/driver/config2/get"), obj({{"configType", "OX7"}}), again)
                               .data().value(QStringLiteral("filePath")).toString();
    QCOMPARE(QUrl(stored).path(), QUrl(path).path());
    QCOMPARE(m_client.get(QUrl(stored)).body, zipBytes(5000, 11));
}

void TstCloudServer::https()
{
    if (!QSslSocket::supportsSsl())
        QSKIP("Qt has no TLS backend here");
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (openssl.isEmpty())
        QSKIP("no openssl program to make a test certificate; scripts/setup-deps.sh installs it");
    QTemporaryDir dir;
    const QString cert = dir.filePath(QStringLiteral("cert.pem"));
    const QString key = dir.filePath(QStringLiteral("key.pem"));
    QProcess make;
    make.start(openssl, {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
                         QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                         QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                         QStringLiteral("subjectAltName=IP:127.0.0.1"), QStringLiteral("-days"), QStringLiteral("2"),
                         QStringLiteral("-keyout"), key, QStringLiteral("-out"), cert});
    QVERIFY(make.waitForFinished(60000));
    QCOMPARE(make.exitCode(), 0);

    QVERIFY(useServer({QStringLiteral("--tls-cert"), cert, QStringLiteral("--tls-key"), key}));
    QCOMPARE(m_server.baseUrl().scheme(), QStringLiteral("https"));
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    ssl.setCaCertificates(QSslCertificate::fromPath(cert));
    m_client.setSslConfiguration(ssl);
    QString email;
    const QByteArray token = newAccount(&email);
    QVERIFY(!token.isEmpty());
    const QString path = uploadAndSave(token, zipBytes(4000, 12), false);
    QVERIFY2(path.startsWith(QStringLiteral("https://")), qPrintable(path));
    QCOMPARE(m_client.get(QUrl(path)).body, zipBytes(4000, 12));
    m_client.setSslConfiguration(QSslConfiguration::defaultConfiguration());
    // Plain HTTP on the TLS port gets nothing.
    QUrl plainUrl = m_server.baseUrl();
    plainUrl.setScheme(QStringLiteral("http"));
    CloudTestClient plain(plainUrl);
    QVERIFY(plain.postJson(QStringLiteral("/v1/user/login"), obj({{"email", email}, {"password", Password}})).code() != 0);
    plain.reset();
}

QTEST_GUILESS_MAIN(TstCloudServer)
#include "tst_cloudserver.moc"
