// The account and cloud calls against the real ox8cloud (started by the
// test on 127.0.0.1), and against a scripted stand-in where the service
// would never answer that way.
#include "cloud/accountcalls.h"
#include "config/inistores.h"
#include "tests/common/cloudserver.h"
#include "tests/common/cloudtestclient.h"
#include "tests/common/httpstandin.h"
#include "tests/common/languagetestutil.h"
#include "tests/common/silentserver.h"
#include "tests/common/testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

#include <functional>

namespace {
constexpr int kWaitMs = 30000;

// The arguments of the one result a call emitted.
template <typename Signal, typename Call>
QList<QVariant> resultOf(Call &call, Signal signal, const std::function<void()> &start)
{
    QSignalSpy spy(&call, signal);
    start();
    if (!spy.wait(kWaitMs) || spy.count() != 1)
        return {};
    return spy.takeFirst();
}

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

struct StoredAccount
{
    QString token;
    QString email;
    QString nickName;
    bool operator==(const StoredAccount &o) const
    {
        return token == o.token && email == o.email && nickName == o.nickName;
    }
};

StoredAccount storedAccount()
{
    OperateToken store;
    return {store.GetToken(), store.GetEmail(), store.GetNickName()};
}

QString uniqueEmail()
{
    static int n = 0;
    return QStringLiteral("user%1-%2@example.org").arg(++n).arg(QRandomGenerator::global()->generate() % 100000);
}
} // namespace

class TstAccountCalls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void loginStoresTheAccountPrivately();
    void refusedLoginsKeepTheStoredAccount_data();
    void refusedLoginsKeepTheStoredAccount();
    void registration_data();
    void registration();
    void passwordRecovery();
    void changePassword();
    void uploadSaveAndFindBothArchives();
    void uploadNeedsALogin();
    void archiveOverTheLimitIsNotSent();
    void unknownSaveKindSendsNothing();
    void macroPathAsksWithAnEmptyObject();
    void withoutAServiceEveryCallAnswersAtOnce();
    void abortEndsAPendingCall();

private:
    // Registers an account on the service and logs in through LoginAccount.
    bool logIn(const QString &email, const QString &password = QStringLiteral("secret12"));

    CloudServerProcess m_server;
    std::unique_ptr<TempAppDir> m_app;
    std::unique_ptr<NumberedLanguageTable> m_texts;
};

void TstAccountCalls::initTestCase()
{
    QVERIFY(m_server.start());
}

void TstAccountCalls::init()
{
    m_app.reset();
    m_app = std::make_unique<TempAppDir>();
    m_texts = std::make_unique<NumberedLanguageTable>(760);
    qputenv("OX8_CLOUD_URL", m_server.baseUrl().toString().toUtf8());
}

void TstAccountCalls::cleanup()
{
    qunsetenv("OX8_CLOUD_URL");
    m_texts.reset();
    m_app.reset();
}

bool TstAccountCalls::logIn(const QString &email, const QString &password)
{
    CloudTestClient client(m_server.baseUrl());
    if (client.registerAccount(email, password) != 0)
        return false;
    LoginAccount login;
    const QList<QVariant> r =
        resultOf(login, &LoginAccount::sigLoginRet, [&] { login.RpPostLoginJson(email, password); });
    return !r.isEmpty() && r.at(0).toInt() == 0;
}

void TstAccountCalls::loginStoresTheAccountPrivately()
{
    const QString email = uniqueEmail();
    CloudTestClient client(m_server.baseUrl());
    QCOMPARE(client.registerAccount(email, QStringLiteral("secret12"), QStringLiteral("Ann")), 0);

    LoginAccount login;
    const QList<QVariant> r = resultOf(login, &LoginAccount::sigLoginRet,
                                       [&] { login.RpPostLoginJson(email, QStringLiteral("secret12")); });
    QCOMPARE(r.value(0).toInt(), 0);
    QCOMPARE(r.value(1).toString(), QStringLiteral("Ann"));
    const StoredAccount stored = storedAccount();
    QCOMPARE(stored.token.size(), 64);
    QCOMPARE(stored.email, email);
    QCOMPARE(stored.nickName, QStringLiteral("Ann"));

    // Only the user may read the token.
    QCOMPARE(unixMode(systemIniPath()), 0600);
    QCOMPARE(unixMode(QFileInfo(systemIniPath()).absolutePath()), 0700);

    // The token works: the next call is accepted as this account's.
    CloudTestClient check(m_server.baseUrl());
    const CloudHttpResult get = check.postJson(QStringLiteral("/v1/driver/macro/config/get"), QJsonObject(),
                                               stored.token.toLatin1());
    QCOMPARE(get.code(), 0);
}

void TstAccountCalls::refusedLoginsKeepTheStoredAccount_data()
{
    QTest::addColumn<QByteArray>("standInBody"); // empty: ask ox8cloud
    QTest::addColumn<bool>("withTokenHeader");
    QTest::addColumn<bool>("dropConnection");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");

    QTest::newRow("wrong password") << QByteArray() << false << false << 10004 << "";
    QTest::newRow("refusal that carries a token") << QByteArray(R"({"code":10004,"msg":"wrong"})") << true << false
                                                  << 10004 << "wrong";
    QTest::newRow("success without a token") << QByteArray(R"({"code":0,"msg":"ok","data":{"nickname":"Eve"}})")
                                             << false << false << -1 << "T581";
    QTest::newRow("an answer without a code is a refusal") << QByteArray(R"({"msg":"who?"})") << true << false << 10
                                                           << "who?";
    QTest::newRow("no answer") << QByteArray("{}") << false << true << -1 << "T580";
}

void TstAccountCalls::refusedLoginsKeepTheStoredAccount()
{
    QFETCH(QByteArray, standInBody);
    QFETCH(bool, withTokenHeader);
    QFETCH(bool, dropConnection);
    QFETCH(int, code);
    QFETCH(QString, message);

    const QString email = uniqueEmail();
    HttpStandIn standIn;
    if (standInBody.isEmpty()) {
        CloudTestClient client(m_server.baseUrl());
        QCOMPARE(client.registerAccount(email, QStringLiteral("secret12")), 0);
    } else {
        HttpStandIn::Answer answer = HttpStandIn::json(standInBody);
        if (withTokenHeader)
            answer.headers.append({"Authorization", QByteArray(64, 'f')});
        answer.dropConnection = dropConnection;
        standIn.answerWith(answer);
    }
    OperateToken store;
    store.SetToken(QStringLiteral("the-earlier-login-token"));
    store.SetEmail(QStringLiteral("earlier@example.org"));
    store.SetNickName(QStringLiteral("Earlier"));
    const StoredAccount before = storedAccount();

    LoginAccount login;
    if (!standInBody.isEmpty())
        login.setBaseUrl(standIn.url());
    const QList<QVariant> r = resultOf(login, &LoginAccount::sigLoginRet,
                                       [&] { login.RpPostLoginJson(email, QStringLiteral("wrong-one")); });
    QCOMPARE(r.value(0).toInt(), code);
    if (!message.isEmpty())
        QCOMPARE(r.value(1).toString(), message);
    QVERIFY(storedAccount() == before);
}

void TstAccountCalls::registration_data()
{
    QTest::addColumn<QString>("nickName");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<bool>("noServer");
    QTest::addColumn<int>("code");

    QTest::newRow("new account") << "Ann" << false << false << 0;
    QTest::newRow("address taken") << "Ann" << true << false << 10002;
    QTest::newRow("nickname too long for the service") << "Annabelle" << false << false << 10009;
    QTest::newRow("no answer: the registration's own text") << "Ann" << false << true << -1;
}

void TstAccountCalls::registration()
{
    QFETCH(QString, nickName);
    QFETCH(bool, existing);
    QFETCH(bool, noServer);
    QFETCH(int, code);

    const QString email = uniqueEmail();
    if (existing) {
        CloudTestClient client(m_server.baseUrl());
        QCOMPARE(client.registerAccount(email, QStringLiteral("secret12")), 0);
    }
    HttpStandIn standIn;
    HttpStandIn::Answer drop;
    drop.dropConnection = true;
    standIn.answerWith(drop);
    RegisterAccount reg;
    if (noServer)
        reg.setBaseUrl(standIn.url());
    const QList<QVariant> r = resultOf(reg, &RegisterAccount::sigRegisterRet, [&] {
        reg.RpPostRegisiterJson(nickName, email, QStringLiteral("secret12"), QStringLiteral("secret12"));
    });
    QCOMPARE(r.value(0).toInt(), code);
    if (noServer)
        QCOMPARE(r.value(1).toString(), QStringLiteral("T582"));
    // A registration never logs in.
    QCOMPARE(OperateToken().GetToken(), QStringLiteral("NULL"));
}

void TstAccountCalls::passwordRecovery()
{
    const QString email = uniqueEmail();
    CloudTestClient client(m_server.baseUrl());
    QCOMPARE(client.registerAccount(email, QStringLiteral("secret12")), 0);

    FindPasswd find;
    QCOMPARE(resultOf(find, &FindPasswd::sigFindPwdRet, [&] { find.RpFindPasswdJson(email); }).value(0).toInt(), 0);
    const QString code = m_server.recoveryCode(email);
    QCOMPARE(code.size(), 6);

    ValidatePassword validate;
    const QString wrong = code == QStringLiteral("000000") ? QStringLiteral("111111") : QStringLiteral("000000");
    QCOMPARE(resultOf(validate, &ValidatePassword::sigValidateCodeRet,
                      [&] { validate.RpValidatePasswordJson(email, wrong); })
                 .value(0)
                 .toInt(),
             10010);
    QCOMPARE(resultOf(validate, &ValidatePassword::sigValidateCodeRet,
                      [&] { validate.RpValidatePasswordJson(email, code); })
                 .value(0)
                 .toInt(),
             0);

    NewPassword newPassword;
    QCOMPARE(resultOf(newPassword, &NewPassword::sigAlterPwdRet,
                      [&] { newPassword.RpNewPasswordJson(email, code, QStringLiteral("brandnew1")); })
                 .value(0)
                 .toInt(),
             0);
    QVERIFY(!client.login(email, QStringLiteral("brandnew1")).isEmpty());
    QVERIFY(client.login(email, QStringLiteral("secret12")).isEmpty());
}

void TstAccountCalls::changePassword()
{
    const QString email = uniqueEmail();
    QVERIFY(logIn(email));
    UpdatePasswdAccount update;
    QCOMPARE(resultOf(update, &UpdatePasswdAccount::sigUpdatePwdRet,
                      [&] { update.RpUpdatePasswdJson(email, QStringLiteral("not-it"), QStringLiteral("other123")); })
                 .value(0)
                 .toInt(),
             10003);
    QCOMPARE(resultOf(update, &UpdatePasswdAccount::sigUpdatePwdRet,
                      [&] { update.RpUpdatePasswdJson(email, QStringLiteral("secret12"), QStringLiteral("other123")); })
                 .value(0)
                 .toInt(),
             0);
    CloudTestClient client(m_server.baseUrl());
    QVERIFY(!client.login(email, QStringLiteral("other123")).isEmpty());
}

void TstAccountCalls::uploadSaveAndFindBothArchives()
{
    QVERIFY(logIn(uniqueEmail()));
    const QString profiles = m_app->path() + QStringLiteral("/ConfigFiles/MouseFile/ox7/AFile");
    writeFile(profiles + QStringLiteral("/ConfigJsonFile/Config1.json"), R"({"cpi":[800]})");
    const QString macros = m_app->path() + QStringLiteral("/ConfigFiles/MacroFiles");
    writeFile(macros + QStringLiteral("/PlayerCustom/m.json"), R"({"name":"m"})");

    struct Case
    {
        QString folder;
        bool macro;
        QString configType;
        const char *kind;
        QString answeredType;
    };
    const QList<Case> cases = {{profiles, false, QStringLiteral("ox7"), kLocalConfigKind, QStringLiteral("ox7")},
                               {macros, true, QString(), kMacroConfigKind, QStringLiteral("macro")}};
    for (const Case &c : cases) {
        UploadFile upload;
        const QList<QVariant> up =
            resultOf(upload, &UploadFile::sigUploadFileRet, [&] { upload.RpUploadFile(c.folder, c.macro); });
        QCOMPARE(up.value(0).toInt(), 0);
        const QString path = up.value(2).toString();
        QVERIFY(path.endsWith(c.macro ? QStringLiteral("/MacroFiles.zip") : QStringLiteral("/LocalFile.zip")));
        // The archive was only the vehicle.
        QVERIFY(!QFile::exists(c.folder + QStringLiteral(".zip")));

        SaveConfigInfo save;
        QCOMPARE(resultOf(save, &SaveConfigInfo::sigSaveConfRet,
                          [&] { save.RpSaveConfigInfoJson(path, c.configType, QString::fromLatin1(c.kind)); })
                     .value(0)
                     .toInt(),
                 0);

        GetDownLoadFilePath get;
        const QList<QVariant> found = resultOf(get, &GetDownLoadFilePath::sig_DownLoadFilePathRet,
                                               [&] { get.RpGetDownLoadFilePathJson(c.configType); });
        QCOMPARE(found.value(0).toInt(), 0);
        QCOMPARE(found.value(1).toString(), c.answeredType);
        QCOMPARE(found.value(3).toString(), path);
    }

    // A model without a cloud copy: success with an empty path.
    GetDownLoadFilePath get;
    const QList<QVariant> none = resultOf(get, &GetDownLoadFilePath::sig_DownLoadFilePathRet,
                                          [&] { get.RpGetDownLoadFilePathJson(QStringLiteral("ox2")); });
    QCOMPARE(none.value(0).toInt(), 0);
    QCOMPARE(none.value(3).toString(), QString());
}

void TstAccountCalls::uploadNeedsALogin()
{
    const QString folder = m_app->path() + QStringLiteral("/ConfigFiles/MacroFiles");
    writeFile(folder + QStringLiteral("/a.json"), "{}");
    OperateToken().SetToken(QStringLiteral("0123456789abcdef-not-a-login"));
    UploadFile upload;
    const QList<QVariant> r = resultOf(upload, &UploadFile::sigUploadFileRet, [&] { upload.RpUploadFile(folder, true); });
    QCOMPARE(r.value(0).toInt(), 10011);
    QCOMPARE(r.value(2).toString(), QString());
}

void TstAccountCalls::archiveOverTheLimitIsNotSent()
{
    HttpStandIn standIn;
    standIn.answerWith(HttpStandIn::json(R"({"code":0,"msg":"ok","data":{"filePath":"x"}})"));
    const QString folder = m_app->path() + QStringLiteral("/big");
    QByteArray noise(int(kMaxUploadBytes) + 4096, '\0');
    QRandomGenerator generator(7);
    for (char &c : noise)
        c = char(generator.generate());
    writeFile(folder + QStringLiteral("/noise.bin"), noise);

    UploadFile upload;
    upload.setBaseUrl(standIn.url());
    const QList<QVariant> r = resultOf(upload, &UploadFile::sigUploadFileRet, [&] { upload.RpUploadFile(folder, false); });
    QCOMPARE(r.value(0).toInt(), 10012);
    QCOMPARE(r.value(1).toString(), QStringLiteral("T704"));
    QVERIFY(standIn.requests().isEmpty());
    QVERIFY(!QFile::exists(folder + QStringLiteral(".zip")));
}

void TstAccountCalls::unknownSaveKindSendsNothing()
{
    HttpStandIn standIn;
    standIn.answerWith(HttpStandIn::json(R"({"code":0,"msg":"ok"})"));
    SaveConfigInfo save;
    save.setBaseUrl(standIn.url());
    QSignalSpy results(&save, &SaveConfigInfo::sigSaveConfRet);
    save.RpSaveConfigInfoJson(QStringLiteral("x"), QStringLiteral("ox7"), QStringLiteral("OtherConfig"));
    // A known kind afterwards: its answer is the only one, its request the
    // only request.
    save.RpSaveConfigInfoJson(QStringLiteral("x"), QStringLiteral("ox7"), QString::fromLatin1(kLocalConfigKind));
    QVERIFY(results.wait(kWaitMs));
    QCOMPARE(results.count(), 1);
    QCOMPARE(standIn.requests().size(), 1);
    QCOMPARE(standIn.requests().first().path, QByteArray("/v1/driver/config2/save"));
    QCOMPARE(standIn.requests().first().body,
             QByteArray(R"({"configContent":"","configType":"ox7","filePath":"x"})"));

    save.RpSaveConfigInfoJson(QStringLiteral("y"), QString(), QString::fromLatin1(kMacroConfigKind));
    QVERIFY(results.wait(kWaitMs));
    QCOMPARE(standIn.requests().at(1).path, QByteArray("/v1/driver/macro/config/save"));
}

void TstAccountCalls::macroPathAsksWithAnEmptyObject()
{
    HttpStandIn standIn;
    standIn.answerWith(HttpStandIn::json(R"({"code":0,"msg":"ok","data":{"configType":"macro","filePath":""}})"));
    GetDownLoadFilePath get;
    get.setBaseUrl(standIn.url());
    const QList<QVariant> r =
        resultOf(get, &GetDownLoadFilePath::sig_DownLoadFilePathRet, [&] { get.RpGetDownLoadFilePathJson(QString()); });
    QCOMPARE(r.value(0).toInt(), 0);
    QCOMPARE(r.value(1).toString(), QStringLiteral("macro"));
    QCOMPARE(standIn.requests().first().path, QByteArray("/v1/driver/macro/config/get"));
    QCOMPARE(standIn.requests().first().body, QByteArray("{}"));
}

void TstAccountCalls::withoutAServiceEveryCallAnswersAtOnce()
{
    qunsetenv("OX8_CLOUD_URL");
    const QString folder = m_app->path() + QStringLiteral("/f");
    writeFile(folder + QStringLiteral("/a"), "a");
    const auto check = [](const QList<QVariant> &r, int messageAt) {
        QCOMPARE(r.value(0).toInt(), -1);
        QCOMPARE(r.value(messageAt).toString(), QStringLiteral("T700"));
    };
    LoginAccount login;
    check(resultOf(login, &LoginAccount::sigLoginRet, [&] { login.RpPostLoginJson("a@b.c", "secret12"); }), 1);
    RegisterAccount reg;
    check(resultOf(reg, &RegisterAccount::sigRegisterRet,
                   [&] { reg.RpPostRegisiterJson("A", "a@b.c", "secret12", "secret12"); }),
          1);
    FindPasswd find;
    check(resultOf(find, &FindPasswd::sigFindPwdRet, [&] { find.RpFindPasswdJson("a@b.c"); }), 1);
    ValidatePassword validate;
    check(resultOf(validate, &ValidatePassword::sigValidateCodeRet,
                   [&] { validate.RpValidatePasswordJson("a@b.c", "123456"); }),
          1);
    NewPassword newPassword;
    check(resultOf(newPassword, &NewPassword::sigAlterPwdRet,
                   [&] { newPassword.RpNewPasswordJson("a@b.c", "123456", "secret12"); }),
          1);
    UpdatePasswdAccount update;
    check(resultOf(update, &UpdatePasswdAccount::sigUpdatePwdRet,
                   [&] { update.RpUpdatePasswdJson("a@b.c", "secret12", "secret34"); }),
          1);
    UploadFile upload;
    check(resultOf(upload, &UploadFile::sigUploadFileRet, [&] { upload.RpUploadFile(folder, false); }), 1);
    QVERIFY(!QFile::exists(folder + QStringLiteral(".zip")));
    SaveConfigInfo save;
    check(resultOf(save, &SaveConfigInfo::sigSaveConfRet,
                   [&] { save.RpSaveConfigInfoJson("x", "ox7", QString::fromLatin1(kLocalConfigKind)); }),
          1);
    GetDownLoadFilePath get;
    check(resultOf(get, &GetDownLoadFilePath::sig_DownLoadFilePathRet, [&] { get.RpGetDownLoadFilePathJson("ox7"); }),
          2);
}

void TstAccountCalls::abortEndsAPendingCall()
{
    SilentServer silent;
    GetDownLoadFilePath get;
    get.setBaseUrl(silent.url());
    QSignalSpy results(&get, &GetDownLoadFilePath::sig_DownLoadFilePathRet);
    get.RpGetDownLoadFilePathJson(QStringLiteral("ox7"));
    QTRY_VERIFY_WITH_TIMEOUT(!silent.received().isEmpty(), kWaitMs);
    QCOMPARE(results.count(), 0);
    get.abortPending();
    QTRY_COMPARE_WITH_TIMEOUT(results.count(), 1, kWaitMs);
    QCOMPARE(results.first().value(0).toInt(), -1);
}

QTEST_GUILESS_MAIN(TstAccountCalls)
#include "tst_accountcalls.moc"
