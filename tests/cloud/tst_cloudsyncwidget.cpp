// The cloud page's transfers against the real ox8cloud: uploads and
// downloads with their waits, time-outs and warnings, refused archives, a
// service that dies in the middle of a download, and the password change.
// Waits that must run out do so on a virtual clock.
#include "cloud/cloudsyncwidget.h"
#include "cloud/filedownloader.h"
#include "config/inistores.h"
#include "config/paths.h"
#include "discovery/models.h"
#include "platform/clock.h"
#include "tests/common/cloudserver.h"
#include "tests/common/cloudtestclient.h"
#include "tests/common/httpstandin.h"
#include "tests/common/silentserver.h"
#include "tests/common/testutil.h"
#include "tests/common/widgettestutil.h"
#include "tests/common/zipwriter.h"

#include <QLabel>
#include <QNetworkReply>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {
constexpr int kOx7 = 11;

QString uniqueEmail()
{
    static int n = 0;
    return QStringLiteral("page%1-%2@example.org").arg(++n).arg(QRandomGenerator::global()->generate() % 100000);
}

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// The page on its own, with an ox7 "open", the user's files on disk and
// every warning it raises recorded.
struct PageFixture
{
    PageFixture()
    {
        setCurrentMouseType(kOx7);
        profiles = getConfigMouseLocalDir(kOx7);
        macros = getMacroFilesDir();
        writeFile(profiles + QStringLiteral("/ConfigJsonFile/Config1.json"), R"({"cpi":[400,800,1600]})");
        writeFile(profiles + QStringLiteral("/ConfigJsonFile/Config2.json"), R"({"cpi":[3200]})");
        writeFile(profiles + QStringLiteral("/CPIUIInterfaceFile/1/CpiSetting.json"), R"({"gear":1})");
        writeFile(macros + QStringLiteral("/PlayerCustom/") + QStringLiteral("宏一.json"), R"({"name":"宏一"})");
        QObject::connect(&page, &CloudSyncWidget::sig_ShowWarningDialogOnCloudSyncWidget, &page,
                         [this](int type) { warnings.append({type, QString()}); });
        QObject::connect(&page, &CloudSyncWidget::sig_ShowWarningDialogWithSpecifyMessageOnCloudSyncWidget, &page,
                         [this](int type, const QString &m) { warnings.append({type, m}); });
        page.show();
    }
    ~PageFixture() { setCurrentMouseType(0); }

    // The account's login, stored as a successful login stores it.
    void storeLogin(const QByteArray &token, const QString &email)
    {
        OperateToken store;
        store.SetToken(QString::fromLatin1(token));
        store.SetEmail(email);
    }
    QList<int> warningTypes() const
    {
        QList<int> out;
        for (const auto &w : warnings)
            out << w.first;
        return out;
    }
    QMap<QString, QByteArray> files() const
    {
        QMap<QString, QByteArray> out;
        const QMap<QString, QByteArray> p = snapshot(profiles);
        for (auto it = p.begin(); it != p.end(); ++it)
            out.insert(QStringLiteral("AFile/") + it.key(), it.value());
        const QMap<QString, QByteArray> m = snapshot(macros);
        for (auto it = m.begin(); it != m.end(); ++it)
            out.insert(QStringLiteral("MacroFiles/") + it.key(), it.value());
        return out;
    }
    template <typename T = QWidget>
    T *child(const char *name) const
    {
        return childNamed<T>(&page, QLatin1String(name));
    }

    NumberedLanguageTable texts{760};
    TempAppDir app;
    QString profiles;
    QString macros;
    CloudSyncWidget page;
    QList<QPair<int, QString>> warnings;
};

// Virtual time for a wait that must run out: it stands still until the test
// knows that the request the wait is for has gone out and will stay
// unanswered, so the wait cannot run out before the request was even sent.
// (A bound on the sleeps keeps a broken test from spinning for ever.)
class GatedClock : public Clock
{
public:
    explicit GatedClock(std::function<bool()> open = {})
        : m_open(std::move(open))
    {
    }
    void sleepMs(int ms) override
    {
        if ((m_open && m_open()) || ++m_closedSleeps > 2000000)
            m_now += ms;
    }
    qint64 nowMs() const override { return m_now; }

private:
    std::function<bool()> m_open;
    qint64 m_now = 0;
    qint64 m_closedSleeps = 0;
};

// A logged-in account on the service.
struct Account
{
    QString email;
    QByteArray token;
};

} // namespace

class TstCloudSyncWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void buttonsAskForConfirmation_data();
    void buttonsAskForConfirmation();
    void uploadThenDownloadRestoresTheFiles();
    void loginExpired_data();
    void loginExpired();
    void noCloudCopyOfTheModelStillReloads();
    void noMacroCopyFails();
    void hostileArchivesAreRefused_data();
    void hostileArchivesAreRefused();
    void pathAnswerWithoutTransportEndsTheWaitAtOnce();
    void uploadTimesOut();
    void downloadTimesOut();
    void serviceKilledMidDownload();
    void secondStartDuringATransferIsIgnored();
    void changePassword_data();
    void changePassword();
    void changePasswordButtonNeedsAllFields();
    void withoutAServiceThePageSaysSo();

private:
    Account newAccount();
    // Uploads an archive and saves it as the account's record (kind "macro"
    // or a model key); returns the record's download path.
    QString storeArchive(const Account &account, const QByteArray &zip, bool macro, const QString &model = {});

    CloudServerProcess m_server;
};

void TstCloudSyncWidget::initTestCase()
{
    QVERIFY(m_server.start());
}

void TstCloudSyncWidget::init()
{
    if (!m_server.isRunning())
        QVERIFY(m_server.start());
    qputenv("OX8_CLOUD_URL", m_server.baseUrl().toString().toUtf8());
}

void TstCloudSyncWidget::cleanup()
{
    qunsetenv("OX8_CLOUD_URL");
}

Account TstCloudSyncWidget::newAccount()
{
    Account a{uniqueEmail(), {}};
    CloudTestClient client(m_server.baseUrl());
    if (client.registerAccount(a.email, QStringLiteral("secret12")) == 0)
        a.token = client.login(a.email, QStringLiteral("secret12"));
    return a;
}

QString TstCloudSyncWidget::storeArchive(const Account &account, const QByteArray &zip, bool macro,
                                         const QString &model)
{
    CloudTestClient client(m_server.baseUrl());
    const CloudHttpResult up = client.upload(zip, macro ? QStringLiteral("MacroFiles.zip")
                                                        : QStringLiteral("LocalFile.zip"),
                                             account.token);
    const QString path = up.data().value(QStringLiteral("filePath")).toString();
    const QJsonObject body{{QStringLiteral("filePath"), path},
                           {QStringLiteral("configContent"), QString()},
                           {QStringLiteral("configType"), macro ? QString() : model}};
    const CloudHttpResult saved = client.postJson(
        macro ? QStringLiteral("/v1/driver/macro/config/save") : QStringLiteral("/v1/driver/config2/save"), body,
        account.token);
    return up.code() == 0 && saved.code() == 0 ? path : QString();
}

void TstCloudSyncWidget::buttonsAskForConfirmation_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("warning");

    QTest::newRow("upload asks first") << "UploadButton" << kOx7 << 2;
    QTest::newRow("download asks first") << "DownloadButton" << kOx7 << 4;
    QTest::newRow("upload without a mouse") << "UploadButton" << 0 << 5;
    QTest::newRow("download without a mouse") << "DownloadButton" << 0 << 5;
}

void TstCloudSyncWidget::buttonsAskForConfirmation()
{
    QFETCH(QString, button);
    QFETCH(int, mouseType);
    QFETCH(int, warning);
    PageFixture f;
    setCurrentMouseType(mouseType);
    QSignalSpy events(&f.page, &CloudSyncWidget::sig_SendUIEventMessageToGA);
    clickNamed(&f.page, button);
    QCOMPARE(f.warningTypes(), QList<int>{warning});
    QCOMPARE(events.count(), 1);
    QCOMPARE(events.first().at(1).toString(),
             button == QLatin1String("UploadButton") ? QStringLiteral("T100") : QStringLiteral("T101"));
}

void TstCloudSyncWidget::uploadThenDownloadRestoresTheFiles()
{
    PageFixture f;
    const Account account = newAccount();
    QVERIFY(!account.token.isEmpty());
    f.storeLogin(account.token, account.email);
    const QMap<QString, QByteArray> uploaded = f.files();
    QSignalSpy removeOld(&f.page, &CloudSyncWidget::sig_RemoveOldFile);

    f.page.slot_startToUploadConfigFiles();
    QCOMPARE(f.warningTypes(), QList<int>{17});
    QCOMPARE(f.child<QLabel>("CloudMessageLabel")->text(), QStringLiteral("T103"));
    QCOMPARE(removeOld.count(), 1);
    QVERIFY(f.child<QPushButton>("UploadButton")->isEnabled());
    // No archive is left beside the folders.
    QVERIFY(!QFile::exists(f.profiles + QStringLiteral(".zip")));
    QVERIFY(!QFile::exists(f.macros + QStringLiteral(".zip")));

    // The local files change after the upload...
    QVERIFY(QFile::remove(f.profiles + QStringLiteral("/ConfigJsonFile/Config2.json")));
    writeFile(f.profiles + QStringLiteral("/ConfigJsonFile/Config1.json"), R"({"cpi":[100]})");
    writeFile(f.profiles + QStringLiteral("/ConfigJsonFile/Config9.json"), "later");
    writeFile(f.macros + QStringLiteral("/PlayerCustom/new.json"), "{}");
    f.warnings.clear();

    // ...and the download puts back exactly what was uploaded.
    QSignalSpy reload(&f.page, &CloudSyncWidget::sig_LoadConfigFileAfterDownloadSucced);
    QSignalSpy macrosReload(&f.page, &CloudSyncWidget::sig_LoadMacroFile);
    f.page.slot_startToDownLoadFiles();
    QCOMPARE(f.warningTypes(), QList<int>{22});
    QCOMPARE(reload.count(), 1);
    QCOMPARE(reload.first().first().toInt(), 1);
    QCOMPARE(macrosReload.count(), 1);
    QCOMPARE(f.files(), uploaded);
    QVERIFY(!f.page.isTransferRunning());
    QVERIFY(f.child<QPushButton>("DownloadButton")->isEnabled());
}

void TstCloudSyncWidget::loginExpired_data()
{
    QTest::addColumn<bool>("upload");
    QTest::newRow("upload") << true;
    QTest::newRow("download") << false;
}

void TstCloudSyncWidget::loginExpired()
{
    QFETCH(bool, upload);
    PageFixture f;
    f.storeLogin("0123456789abcdef0123456789abcdef", QStringLiteral("gone@example.org"));
    const QMap<QString, QByteArray> before = f.files();
    if (upload)
        f.page.slot_startToUploadConfigFiles();
    else
        f.page.slot_startToDownLoadFiles();
    // Warning 18 alone: a second dialog would only repeat it.
    QCOMPARE(f.warningTypes(), QList<int>{18});
    QCOMPARE(f.files(), before);
}

void TstCloudSyncWidget::noCloudCopyOfTheModelStillReloads()
{
    PageFixture f;
    const Account account = newAccount();
    f.storeLogin(account.token, account.email);
    QVERIFY(!storeArchive(account, buildZip({zipFolder("PlayerCustom/"), zipFile("PlayerCustom/cloud.json", "c")}),
                          true)
                 .isEmpty());
    const QMap<QString, QByteArray> profilesBefore = snapshot(f.profiles);
    QSignalSpy reload(&f.page, &CloudSyncWidget::sig_LoadConfigFileAfterDownloadSucced);

    f.page.slot_startToDownLoadFiles();
    QCOMPARE(f.warningTypes(), QList<int>{22});
    QCOMPARE(reload.count(), 1);
    QCOMPARE(snapshot(f.profiles), profilesBefore);
    const QMap<QString, QByteArray> expectedMacros{{"PlayerCustom", "/"}, {"PlayerCustom/cloud.json", "c"}};
    QCOMPARE(snapshot(f.macros), expectedMacros);
}

void TstCloudSyncWidget::noMacroCopyFails()
{
    PageFixture f;
    const Account account = newAccount();
    f.storeLogin(account.token, account.email);
    const QMap<QString, QByteArray> before = f.files();
    f.page.slot_startToDownLoadFiles();
    QCOMPARE(f.warnings.size(), 1);
    QCOMPARE(f.warnings.first().first, 19);
    QCOMPARE(f.warnings.first().second, QStringLiteral("T710"));
    QCOMPARE(f.files(), before);
}

void TstCloudSyncWidget::hostileArchivesAreRefused_data()
{
    QTest::addColumn<QByteArray>("zip");
    QTest::addColumn<bool>("macro");

    RawEntry link = zipFile("PlayerCustom", "/etc");
    link.mode = 0120777;
    QTest::newRow("zip-slip macro archive")
        << buildZip({zipFile("PlayerCustom/ok.json", "{}"), zipFile("../../../escaped.txt", "x")}) << true;
    QTest::newRow("symlink macro archive") << buildZip({link, zipFile("PlayerCustom/passwd", "x")}) << true;
    QTest::newRow("zip-slip profile archive") << buildZip({zipFile("../../escaped.txt", "x")}) << false;
    QTest::newRow("absolute path in the profile archive") << buildZip({zipFile("/tmp/escaped.txt", "x")}) << false;
}

void TstCloudSyncWidget::hostileArchivesAreRefused()
{
    QFETCH(QByteArray, zip);
    QFETCH(bool, macro);
    PageFixture f;
    const Account account = newAccount();
    f.storeLogin(account.token, account.email);
    const QByteArray goodMacros = buildZip({zipFolder("PlayerCustom/"), zipFile("PlayerCustom/m.json", "m")});
    QVERIFY(!storeArchive(account, macro ? zip : goodMacros, true).isEmpty());
    if (!macro)
        QVERIFY(!storeArchive(account, zip, false, QStringLiteral("ox7")).isEmpty());
    const QMap<QString, QByteArray> before = f.files();
    const QMap<QString, QByteArray> appBefore = snapshot(f.app.path());

    f.page.slot_startToDownLoadFiles();
    QCOMPARE(f.warnings.size(), 1);
    QCOMPARE(f.warnings.first().first, 19);
    QCOMPARE(f.warnings.first().second, QStringLiteral("T702"));
    if (macro) {
        QCOMPARE(f.files(), before);
        QCOMPARE(snapshot(f.app.path()), appBefore);
    } else {
        // The macros came; the profiles stayed as they were.
        QMap<QString, QByteArray> profilesBefore;
        for (auto it = before.begin(); it != before.end(); ++it) {
            if (it.key().startsWith(QStringLiteral("AFile/")))
                profilesBefore.insert(it.key().mid(6), it.value());
        }
        QCOMPARE(snapshot(f.profiles), profilesBefore);
    }
    QVERIFY(!QFile::exists(f.app.path() + QStringLiteral("/escaped.txt")));
    QVERIFY(!QFile::exists(QStringLiteral("/tmp/escaped.txt")));
    QVERIFY(!QFileInfo::exists(QFileInfo(f.app.path()).absolutePath() + QStringLiteral("/escaped.txt")));
}

void TstCloudSyncWidget::pathAnswerWithoutTransportEndsTheWaitAtOnce()
{
    // An answer that is no envelope: the call reports code -1.
    HttpStandIn standIn;
    standIn.answerWith(HttpStandIn::json("<html>gateway busy</html>", 502));
    qputenv("OX8_CLOUD_URL", standIn.url().toString().toUtf8());
    PageFixture f;
    f.storeLogin("0123456789abcdef0123456789abcdef", QStringLiteral("a@example.org"));
    const QMap<QString, QByteArray> before = f.files();
    GatedClock clock; // time never moves: only the answer can end the wait
    f.page.setWaitClock(&clock);

    f.page.slot_startToDownLoadFiles();
    QCOMPARE(f.warningTypes(), QList<int>{19});
    QCOMPARE(standIn.requests().size(), 1);
    QCOMPARE(clock.nowMs(), 0);
    QCOMPARE(f.files(), before);
}

void TstCloudSyncWidget::uploadTimesOut()
{
    SilentServer silent;
    qputenv("OX8_CLOUD_URL", silent.url().toString().toUtf8());
    PageFixture f;
    f.storeLogin("0123456789abcdef0123456789abcdef", QStringLiteral("a@example.org"));
    GatedClock clock([&silent] { return silent.received().contains("LocalFile.zip"); });
    f.page.setWaitClock(&clock);
    QSignalSpy removeOld(&f.page, &CloudSyncWidget::sig_RemoveOldFile);

    f.page.slot_startToUploadConfigFiles();
    QCOMPARE(f.warningTypes(), QList<int>{16});
    QVERIFY(clock.nowMs() >= 10000);
    QCOMPARE(removeOld.count(), 1);
    QVERIFY(f.child<QPushButton>("UploadButton")->isEnabled());
    QVERIFY(!QFile::exists(f.profiles + QStringLiteral(".zip")));
    // The abandoned request ends quietly: no second warning.
    QCoreApplication::processEvents();
    QCOMPARE(f.warningTypes(), QList<int>{16});
}

void TstCloudSyncWidget::downloadTimesOut()
{
    SilentServer silent;
    HttpStandIn standIn;
    standIn.setHandler([&silent](const HttpStandIn::Request &request) {
        const bool macro = request.path.contains("macro");
        return HttpStandIn::json(QStringLiteral(R"({"code":0,"msg":"ok","data":{"configType":"%1","filePath":"%2"}})")
                                     .arg(macro ? QStringLiteral("macro") : QStringLiteral("ox7"),
                                          silent.url(QStringLiteral("/files/x/MacroFiles.zip")).toString())
                                     .toUtf8());
    });
    qputenv("OX8_CLOUD_URL", standIn.url().toString().toUtf8());
    PageFixture f;
    f.storeLogin("0123456789abcdef0123456789abcdef", QStringLiteral("a@example.org"));
    const QMap<QString, QByteArray> before = f.files();
    GatedClock clock([&silent] { return silent.received().startsWith("GET /files/x/MacroFiles.zip"); });
    f.page.setWaitClock(&clock);

    f.page.slot_startToDownLoadFiles();
    QCOMPARE(f.warningTypes(), QList<int>{19});
    QVERIFY(clock.nowMs() >= 20000);
    QCOMPARE(standIn.requests().size(), 1);
    QCOMPARE(f.files(), before);
    QVERIFY(silent.connections() >= 1);
}

void TstCloudSyncWidget::serviceKilledMidDownload()
{
    // The service hands out a download that stalls after a few bytes; the
    // service then dies with the transfer under way.
    HttpStandIn standIn;
    const QUrl stall = m_server.url(QStringLiteral("/test/stall?total=200000&bytes=4000"));
    standIn.setHandler([&stall](const HttpStandIn::Request &) {
        return HttpStandIn::json(
            QStringLiteral(R"({"code":0,"msg":"ok","data":{"configType":"macro","filePath":"%1"}})")
                .arg(stall.toString())
                .toUtf8());
    });
    qputenv("OX8_CLOUD_URL", standIn.url().toString().toUtf8());
    PageFixture f;
    f.storeLogin("0123456789abcdef0123456789abcdef", QStringLiteral("a@example.org"));
    const QMap<QString, QByteArray> before = f.files();

    // Kills the service once the first bytes of the archive have arrived.
    bool killed = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &f.page, [&] {
        const QList<QNetworkReply *> replies = f.page.findChildren<QNetworkReply *>();
        for (QNetworkReply *reply : replies) {
            if (!killed && reply->url().path() == QLatin1String("/test/stall") && reply->bytesAvailable() > 0) {
                killed = true;
                m_server.kill();
            }
        }
    });
    watch.start(1);

    f.page.slot_startToDownLoadFiles();
    watch.stop();
    QVERIFY(killed);
    // The download failed; the short body was not taken for an archive.
    QCOMPARE(f.warnings, (QList<QPair<int, QString>>{{19, QStringLiteral("T580")}}));
    QCOMPARE(f.files(), before);
    QVERIFY(m_server.start()); // for the tests that follow
}

void TstCloudSyncWidget::secondStartDuringATransferIsIgnored()
{
    SilentServer silent;
    qputenv("OX8_CLOUD_URL", silent.url().toString().toUtf8());
    PageFixture f;
    f.storeLogin("0123456789abcdef0123456789abcdef", QStringLiteral("a@example.org"));
    GatedClock clock([&silent] { return silent.received().contains("/v1/driver/macro/config/get"); });
    f.page.setWaitClock(&clock);

    // While the first download waits, the buttons are off and every
    // further start is ignored.
    bool checked = false;
    QTimer::singleShot(0, &f.page, [&] {
        QVERIFY(f.page.isTransferRunning());
        QVERIFY(!f.child<QPushButton>("UploadButton")->isEnabled());
        QVERIFY(!f.child<QPushButton>("DownloadButton")->isEnabled());
        f.page.slot_startToDownLoadFiles();
        f.page.slot_startToUploadConfigFiles();
        f.page.on_UploadButton_clicked();
        checked = true;
    });
    f.page.slot_startToDownLoadFiles();
    QVERIFY(checked);
    QCOMPARE(silent.connections(), 1);
    QCOMPARE(f.warningTypes(), QList<int>{19});
    QVERIFY(f.child<QPushButton>("DownloadButton")->isEnabled());
}

void TstCloudSyncWidget::changePassword_data()
{
    QTest::addColumn<QString>("oldPassword");
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("repeated");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("warning"); // -1: none

    QTest::newRow("passwords differ") << "secret12" << "newpass1" << "newpass2" << "T229" << -1;
    QTest::newRow("5 characters refused") << "secret12" << "12345" << "12345" << "T285" << -1;
    QTest::newRow("17 characters refused") << "secret12" << "12345678901234567" << "12345678901234567" << "T286" << -1;
    QTest::newRow("wrong old password") << "wrong123" << "newpass1" << "newpass1" << "T231" << -1;
    QTest::newRow("6 characters accepted") << "secret12" << "123456" << "123456" << "" << 28;
    QTest::newRow("16 characters accepted") << "secret12" << "1234567890123456" << "1234567890123456" << "" << 28;
}

void TstCloudSyncWidget::changePassword()
{
    QFETCH(QString, oldPassword);
    QFETCH(QString, newPassword);
    QFETCH(QString, repeated);
    QFETCH(QString, message);
    QFETCH(int, warning);
    PageFixture f;
    const Account account = newAccount();
    f.storeLogin(account.token, account.email);

    QTest::keyClicks(f.child<QLineEdit>("OldPasswordLineEdit"), oldPassword);
    QTest::keyClicks(f.child<QLineEdit>("NewPasswordLineEdit"), newPassword);
    QTest::keyClicks(f.child<QLineEdit>("ReNewPasswordLineEdit"), repeated);
    clickNamed(&f.page, QStringLiteral("ChangePasswordButton"));
    if (warning < 0) {
        QTRY_COMPARE_WITH_TIMEOUT(f.child<QLabel>("PasswordMessageLabel")->text(), message, 30000);
        QVERIFY(f.warnings.isEmpty());
        return;
    }
    QCOMPARE(f.child<QLabel>("PasswordMessageLabel")->text(), QStringLiteral("T230"));
    QTRY_COMPARE_WITH_TIMEOUT(f.warningTypes(), QList<int>{warning}, 30000);
    QCOMPARE(f.child<QLineEdit>("OldPasswordLineEdit")->text(), QString());
    QCOMPARE(f.child<QLineEdit>("NewPasswordLineEdit")->text(), QString());
    QVERIFY(!CloudTestClient(m_server.baseUrl()).login(account.email, newPassword).isEmpty());
}

void TstCloudSyncWidget::changePasswordButtonNeedsAllFields()
{
    PageFixture f;
    auto *button = f.child<QPushButton>("ChangePasswordButton");
    QVERIFY(!button->isVisible());
    QTest::keyClicks(f.child<QLineEdit>("OldPasswordLineEdit"), QStringLiteral("a"));
    QTest::keyClicks(f.child<QLineEdit>("NewPasswordLineEdit"), QStringLiteral("b"));
    QVERIFY(!button->isVisible());
    QTest::keyClicks(f.child<QLineEdit>("ReNewPasswordLineEdit"), QStringLiteral("c"));
    QVERIFY(button->isVisible());
    f.page.clearPasswordFields();
    QVERIFY(!button->isVisible());
}

void TstCloudSyncWidget::withoutAServiceThePageSaysSo()
{
    qunsetenv("OX8_CLOUD_URL");
    PageFixture f;
    QVERIFY(f.child("NoServiceWidget")->isVisible());
    QVERIFY(!f.child("CloudContentWidget")->isVisible());
    QCOMPARE(f.child<QLabel>("NoServiceLabel")->text(), QStringLiteral("T700"));

    qputenv("OX8_CLOUD_URL", m_server.baseUrl().toString().toUtf8());
    f.page.refreshServiceState();
    QVERIFY(!f.child("NoServiceWidget")->isVisible());
    QVERIFY(f.child("CloudContentWidget")->isVisible());
}

QTEST_MAIN(TstCloudSyncWidget)
#include "tst_cloudsyncwidget.moc"
