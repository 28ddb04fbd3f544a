// The REST call base: paths, the two request builders, the reply rules and
// the result-code texts, against a local HTTP stand-in.
#include "cloud/rpaccountmanage.h"
#include "tests/common/httpstandin.h"
#include "tests/common/languagetestutil.h"
#include "tests/common/testutil.h"

#include <QFile>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QtTest>

namespace {
// The reply the call object reports for one request (waits for sigFinished).
ServiceReply send(RPAccountManage &api, int index, const QJsonObject &body, int defaultCode = 0, int errorText = 580)
{
    QSignalSpy finished(&api, &RPAccountManage::sigFinished);
    QNetworkReply *reply = api.postJson(index, body);
    if (!reply || !finished.wait(5000))
        return {};
    ServiceReply r = RPAccountManage::readReply(reply, defaultCode, errorText);
    reply->deleteLater();
    return r;
}
} // namespace

class TstRpAccountManage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void endpoints_data();
    void endpoints();
    void resultTexts_data();
    void resultTexts();
    void jsonRequest_data();
    void jsonRequest();
    void replies_data();
    void replies();
    void transportErrors_data();
    void transportErrors();
    void archiveUpload_data();
    void archiveUpload();
    void nothingSentWithoutAService();

private:
    std::unique_ptr<TempAppDir> m_app;
    NumberedLanguageTable m_texts;
};

void TstRpAccountManage::init()
{
    m_app.reset(); // the old one resets APP when it goes
    m_app = std::make_unique<TempAppDir>();
    qunsetenv("OX8_CLOUD_URL");
}

void TstRpAccountManage::endpoints_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("path");

    QTest::newRow("login") << 0 << "/v1/user/login";
    QTest::newRow("register") << 1 << "/v1/user/register";
    QTest::newRow("change password") << 2 << "/v1/user/updatePassword";
    QTest::newRow("recovery code") << 3 << "/v1/user/findPassword";
    QTest::newRow("check the code") << 4 << "/v1/user/validatePassword";
    QTest::newRow("new password") << 5 << "/v1/user/newPassword";
    QTest::newRow("upload") << 6 << "/v1/file/upload";
    QTest::newRow("save macros") << 7 << "/v1/driver/macro/config/save";
    QTest::newRow("save profiles") << 8 << "/v1/driver/config2/save";
    QTest::newRow("get profiles") << 9 << "/v1/driver/config2/get";
    QTest::newRow("get macros") << 10 << "/v1/driver/macro/config/get";
    QTest::newRow("version") << 11 << "/v1/driver/version";
    QTest::newRow("below the table") << -1 << "";
    QTest::newRow("above the table") << 12 << "";
}

void TstRpAccountManage::endpoints()
{
    QFETCH(int, index);
    QFETCH(QString, path);
    QCOMPARE(RPAccountManage::endpointPath(index), path);
    RPAccountManage api;
    api.setBaseUrl(QUrl(QStringLiteral("https://cloud.example.org/api/")));
    QCOMPARE(api.endpointUrl(index).toString(), path.isEmpty() ? QString() : "https://cloud.example.org/api" + path);
}

void TstRpAccountManage::resultTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("text");

    QTest::newRow("success") << 0 << 301;
    QTest::newRow("last small code") << 7 << 308;
    QTest::newRow("small code past the table") << 8 << 299;
    QTest::newRow("first server code") << 10001 << 309;
    QTest::newRow("wrong old password") << 10003 << 311;
    QTest::newRow("not logged in") << 10011 << 319;
    QTest::newRow("last server code") << 10031 << 339;
    QTest::newRow("server code past the range") << 10032 << 299;
    QTest::newRow("10050") << 10050 << 340;
    QTest::newRow("transport or parse error") << -1 << 300;
    QTest::newRow("-2") << -2 << 299;
    QTest::newRow("unknown") << 42 << 299;
}

void TstRpAccountManage::resultTexts()
{
    QFETCH(int, code);
    QFETCH(int, text);
    QCOMPARE(resultTextNumber(code), text);
}

void TstRpAccountManage::jsonRequest_data()
{
    QTest::addColumn<QString>("token");
    QTest::addColumn<QByteArray>("sentToken");

    QTest::newRow("logged in") << "abc123" << QByteArray("abc123");
    QTest::newRow("logged out sends an empty token") << "" << QByteArray();
}

void TstRpAccountManage::jsonRequest()
{
    QFETCH(QString, token);
    QFETCH(QByteArray, sentToken);
    HttpStandIn server;
    server.answerWith(HttpStandIn::json(R"({"code":0,"msg":"ok"})"));
    RPAccountManage api;
    api.setBaseUrl(server.url());
    if (!token.isEmpty())
        api.tokenStore().SetToken(token);

    const ServiceReply r = send(api, RPAccountManage::FindPassword, {{"email", "a@b.c"}});
    QCOMPARE(r.code, 0);
    QCOMPARE(server.requests().size(), 1);
    const HttpStandIn::Request &req = server.requests().first();
    QCOMPARE(req.method, QByteArray("POST"));
    QCOMPARE(req.path, QByteArray("/v1/user/findPassword"));
    QCOMPARE(req.headers.value("content-type"), QByteArray("application/json"));
    QVERIFY(req.headers.contains("authorization"));
    QCOMPARE(req.headers.value("authorization"), sentToken);
    QCOMPARE(req.body, QByteArray(R"({"email":"a@b.c"})")); // compact
}

void TstRpAccountManage::replies_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("defaultCode");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("nickname");

    QTest::newRow("success with data") << QByteArray(R"({"code":0,"msg":"ok","data":{"nickname":"Ann"}})") << 0
                                       << 0 << "ok" << "Ann";
    QTest::newRow("server refusal") << QByteArray(R"({"code":10011,"msg":"login expired"})") << 0 << 10011
                                    << "login expired" << "";
    QTest::newRow("no code counts as success") << QByteArray(R"({"msg":"x"})") << 0 << 0 << "x" << "";
    QTest::newRow("no code on a login is failure 10") << QByteArray(R"({"msg":"x"})") << 10 << 10 << "x" << "";
    QTest::newRow("not JSON") << QByteArray("<html>busy</html>") << 0 << -1 << "T581" << "";
    QTest::newRow("JSON but no object") << QByteArray("[1,2]") << 0 << -1 << "T581" << "";
    QTest::newRow("data of the wrong type") << QByteArray(R"({"code":0,"data":"x"})") << 0 << 0 << "" << "";
}

void TstRpAccountManage::replies()
{
    QFETCH(QByteArray, body);
    QFETCH(int, defaultCode);
    QFETCH(int, code);
    QFETCH(QString, message);
    QFETCH(QString, nickname);
    HttpStandIn server;
    server.answerWith(HttpStandIn::json(body));
    RPAccountManage api;
    api.setBaseUrl(server.url());

    const ServiceReply r = send(api, RPAccountManage::Login, {}, defaultCode);
    QCOMPARE(r.code, code);
    QCOMPARE(r.message, message);
    QCOMPARE(r.data.value(QLatin1String("nickname")).toString(), nickname);
    QVERIFY(!r.transportFailed);
}

void TstRpAccountManage::transportErrors_data()
{
    QTest::addColumn<int>("errorText");
    QTest::newRow("most calls") << 580;
    QTest::newRow("the registration") << 582;
}

void TstRpAccountManage::transportErrors()
{
    QFETCH(int, errorText);
    HttpStandIn server;
    HttpStandIn::Answer drop;
    drop.dropConnection = true;
    server.answerWith(drop);
    RPAccountManage api;
    api.setBaseUrl(server.url());

    const ServiceReply r = send(api, RPAccountManage::Register, {}, 0, errorText);
    QCOMPARE(r.code, -1);
    QVERIFY(r.transportFailed);
    QCOMPARE(r.message, NumberedLanguageTable::text(errorText));
}

void TstRpAccountManage::archiveUpload_data()
{
    QTest::addColumn<bool>("macros");
    QTest::addColumn<QByteArray>("fileName");
    QTest::newRow("profiles") << false << QByteArray("LocalFile.zip");
    QTest::newRow("macros") << true << QByteArray("MacroFiles.zip");
}

void TstRpAccountManage::archiveUpload()
{
    QFETCH(bool, macros);
    QFETCH(QByteArray, fileName);
    HttpStandIn server;
    server.answerWith(HttpStandIn::json(R"({"code":0,"data":{"filePath":"f"}})"));
    RPAccountManage api;
    api.setBaseUrl(server.url());
    api.tokenStore().SetToken(QStringLiteral("tok"));

    const QString path = m_app->path() + QStringLiteral("/a.zip");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("PK\x03\x04 archive bytes");
    }
    auto *file = new QFile(path);
    QVERIFY(file->open(QIODevice::ReadOnly));
    QSignalSpy finished(&api, &RPAccountManage::sigFinished);
    QPointer<QFile> guard(file);
    QNetworkReply *reply = api.postArchive(file, macros ? RPAccountManage::Archive::Macros
                                                        : RPAccountManage::Archive::Configuration);
    QVERIFY(reply);
    file->setParent(reply); // the caller keeps the file alive with the reply
    QVERIFY(finished.wait(5000));
    QCOMPARE(RPAccountManage::readReply(reply).data.value("filePath").toString(), QStringLiteral("f"));
    delete reply;
    QVERIFY(guard.isNull());

    const HttpStandIn::Request &req = server.requests().first();
    QCOMPARE(req.path, QByteArray("/v1/file/upload"));
    QVERIFY(req.headers.value("content-type").startsWith("multipart/form-data; boundary="));
    QVERIFY(req.body.contains("Authorization: tok\r\n"));
    QVERIFY(req.body.contains("form-data; name=\"file\"; filename=\"" + fileName + "\""));
    QVERIFY(req.body.contains("PK\x03\x04 archive bytes"));
}

void TstRpAccountManage::nothingSentWithoutAService()
{
    RPAccountManage api; // nothing configured in a fresh APP
    QVERIFY(!api.hasService());
    QVERIFY(!api.postJson(RPAccountManage::Login, {}));
    api.setBaseUrl(QUrl(QStringLiteral("http://cloud.example.org"))); // plain http off this machine
    QVERIFY(!api.hasService());
}

QTEST_GUILESS_MAIN(TstRpAccountManage)
#include "tst_rpaccountmanage.moc"
