// The login dialog, driven by object name against the real ox8cloud.
#include "cloud/userdialog.h"
#include "config/inistores.h"
#include "tests/common/cloudserver.h"
#include "tests/common/cloudtestclient.h"
#include "tests/common/testutil.h"
#include "tests/common/widgettestutil.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QtTest>

namespace {
constexpr int kWaitMs = 30000;

QString uniqueEmail()
{
    static int n = 0;
    return QStringLiteral("dialog%1-%2@example.org").arg(++n).arg(QRandomGenerator::global()->generate() % 100000);
}

struct DialogFixture
{
    DialogFixture()
    {
        dialog.show();
    }
    template <typename T = QWidget>
    T *child(const char *name) const
    {
        return childNamed<T>(&dialog, QLatin1String(name));
    }
    void type(const char *field, const QString &text) const
    {
        auto *edit = child<QLineEdit>(field);
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    void click(const char *name) const { clickNamed(&dialog, QLatin1String(name)); }
    QString message(const char *label) const { return child<QLabel>(label)->text(); }

    NumberedLanguageTable texts{760};
    TempAppDir app;
    UserDialog dialog;
};
} // namespace

class TstUserDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void startsOnTheLoginPage();
    void tabsSwitchPagesAndStyles();
    void registrationChecks_data();
    void registrationChecks();
    void newPasswordChecks_data();
    void newPasswordChecks();
    void loginClosesTheDialog();
    void refusedLoginStaysOpen();
    void editingClearsTheMessage();
    void passwordRecovery();
    void withoutAServiceTheDialogSaysSo();

private:
    CloudServerProcess m_server;
};

void TstUserDialog::initTestCase()
{
    QVERIFY(m_server.start());
}

void TstUserDialog::init()
{
    qputenv("OX8_CLOUD_URL", m_server.baseUrl().toString().toUtf8());
}

void TstUserDialog::cleanupTestCase()
{
    qunsetenv("OX8_CLOUD_URL");
}

void TstUserDialog::startsOnTheLoginPage()
{
    DialogFixture f;
    QCOMPARE(f.dialog.currentPage(), int(UserDialog::LoginPage));
    QCOMPARE(f.dialog.size(), QSize(960, 640));
    QCOMPARE(f.child<QPushButton>("UserLoginButton")->text(), QStringLiteral("T540"));
    QCOMPARE(f.child<QLineEdit>("UserLoginPasswordLineEdit")->echoMode(), QLineEdit::Password);
    QCOMPARE(f.message("LoginMessageLabel"), QString());
    const QStringList pages{"LoginPage", "RegisterPage", "IdentifyEmailPage", "IdentifyCodePage", "NoticePage",
                            "ResetPasswordPage"};
    auto *stack = f.child<QStackedWidget>("stackedWidget");
    QCOMPARE(stack->count(), pages.size());
    for (int i = 0; i < pages.size(); ++i)
        QCOMPARE(stack->widget(i)->objectName(), pages.at(i));
}

void TstUserDialog::tabsSwitchPagesAndStyles()
{
    DialogFixture f;
    const QString active = QStringLiteral("background:rgba(64,197,221,1)");
    QVERIFY(f.child<QPushButton>("ChooseLoginButton")->styleSheet().contains(QStringLiteral("border-top-left-radius")));
    f.click("ChooseRegisterButton");
    QCOMPARE(f.dialog.currentPage(), int(UserDialog::RegisterPage));
    QVERIFY(f.child<QPushButton>("ChooseRegisterButton")->styleSheet().contains(active));
    QVERIFY(f.child<QPushButton>("ChooseRegisterButton")->styleSheet().contains(QStringLiteral("top-right")));
    QCOMPARE(f.child<QPushButton>("ChooseLoginButton")->styleSheet(),
             QStringLiteral("QPushButton{background:transparent;color:white;}"));
    f.click("ChooseLoginButton");
    QCOMPARE(f.dialog.currentPage(), int(UserDialog::LoginPage));
    QVERIFY(f.child<QPushButton>("ChooseLoginButton")->styleSheet().contains(active));
    f.click("ForgetPasswordButton");
    QCOMPARE(f.dialog.currentPage(), int(UserDialog::IdentifyEmailPage));
}

void TstUserDialog::registrationChecks_data()
{
    QTest::addColumn<QString>("nickName");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("repeated");
    QTest::addColumn<QString>("message"); // empty: accepted and registered

    QTest::newRow("passwords differ") << "Ann" << "secret12" << "secret13" << "T229";
    QTest::newRow("5 characters refused") << "Ann" << "12345" << "12345" << "T285";
    QTest::newRow("6 characters accepted") << "Ann" << "123456" << "123456" << "";
    QTest::newRow("16 characters accepted") << "Ann" << "1234567890123456" << "1234567890123456" << "";
    QTest::newRow("17 characters refused") << "Ann" << "12345678901234567" << "12345678901234567" << "T286";
    QTest::newRow("empty nickname") << "" << "secret12" << "secret12" << "T262";
    QTest::newRow("password rules come first") << "" << "123" << "123" << "T285";
    QTest::newRow("nickname of 8 refused") << "Annabell" << "secret12" << "secret12" << "T287";
    QTest::newRow("nickname of 7 accepted") << "Annabel" << "secret12" << "secret12" << "";
}

void TstUserDialog::registrationChecks()
{
    QFETCH(QString, nickName);
    QFETCH(QString, password);
    QFETCH(QString, repeated);
    QFETCH(QString, message);

    DialogFixture f;
    QSignalSpy warnings(&f.dialog, &UserDialog::sig_ShowWarningDialog);
    f.click("ChooseRegisterButton");
    const QString email = uniqueEmail();
    f.type("UserRegisterNickNameLineEdit", nickName);
    f.type("UserRegisterEmailLineEdit", email);
    f.type("UserRegisterPasswordLineEdit", password);
    f.type("UserRegisterRePasswordLineEdit", repeated);
    f.click("UserRegisterButton");

    if (!message.isEmpty()) {
        QCOMPARE(f.message("RegisterMessageLabel"), message);
        QVERIFY(f.dialog.isVisible());
        QCOMPARE(warnings.count(), 0);
        return;
    }
    QVERIFY(warnings.wait(kWaitMs));
    QCOMPARE(warnings.first().first().toInt(), 45);
    QVERIFY(!f.dialog.isVisible());
    QVERIFY(!CloudTestClient(m_server.baseUrl()).login(email, password).isEmpty());
}

void TstUserDialog::newPasswordChecks_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("repeated");
    QTest::addColumn<QString>("message");

    QTest::newRow("passwords differ") << "secret12" << "secret21" << "T229";
    QTest::newRow("5 characters refused") << "12345" << "12345" << "T285";
    // Accepted passwords reach the service, which refuses the missing code.
    QTest::newRow("6 characters accepted") << "123456" << "123456" << "T318";
    QTest::newRow("16 characters accepted") << "1234567890123456" << "1234567890123456" << "T318";
    QTest::newRow("17 characters refused") << "12345678901234567" << "12345678901234567" << "T286";
}

void TstUserDialog::newPasswordChecks()
{
    QFETCH(QString, password);
    QFETCH(QString, repeated);
    QFETCH(QString, message);

    DialogFixture f;
    f.type("UserNewPasswordLineEdit", password);
    f.type("UserReNewPasswordLineEdit", repeated);
    f.child<QLineEdit>("UserIdentifyCodeLineEdit")->setText(QStringLiteral("000000"));
    f.child<QLineEdit>("UserIndentifyEmailLineEdit")->setText(uniqueEmail());
    f.click("UserResetPasswordOkButton");
    QTRY_COMPARE_WITH_TIMEOUT(f.message("ResetPasswordMessageLabel"), message, kWaitMs);
}

void TstUserDialog::loginClosesTheDialog()
{
    const QString email = uniqueEmail();
    QCOMPARE(CloudTestClient(m_server.baseUrl()).registerAccount(email, QStringLiteral("secret12"),
                                                                 QStringLiteral("Bo")),
             0);
    DialogFixture f;
    QSignalSpy succeeded(&f.dialog, &UserDialog::loginSucced);
    QSignalSpy events(&f.dialog, &UserDialog::sig_SendUIEventMessageToGA);
    f.type("UserLoginNameLineEdit", email);
    f.type("UserLoginPasswordLineEdit", QStringLiteral("secret12"));
    f.click("UserLoginButton");
    QVERIFY(succeeded.wait(kWaitMs));
    QVERIFY(!f.dialog.isVisible());
    QCOMPARE(OperateToken().GetNickName(), QStringLiteral("Bo"));
    QCOMPARE(OperateToken().GetToken().size(), 64);
    // The click, then the result.
    QCOMPARE(events.count(), 2);
    QCOMPARE(events.at(1).at(2).toString(), QStringLiteral("成功"));
}

void TstUserDialog::refusedLoginStaysOpen()
{
    DialogFixture f;
    QSignalSpy succeeded(&f.dialog, &UserDialog::loginSucced);
    f.type("UserLoginNameLineEdit", uniqueEmail());
    f.type("UserLoginPasswordLineEdit", QStringLiteral("whatever1"));
    f.click("UserLoginButton");
    QTRY_COMPARE_WITH_TIMEOUT(f.message("LoginMessageLabel"), QStringLiteral("T312"), kWaitMs);
    QVERIFY(f.dialog.isVisible());
    QCOMPARE(succeeded.count(), 0);
    QCOMPARE(OperateToken().GetToken(), QStringLiteral("NULL"));
}

void TstUserDialog::editingClearsTheMessage()
{
    DialogFixture f;
    f.click("ChooseRegisterButton");
    f.click("UserRegisterButton");
    QCOMPARE(f.message("RegisterMessageLabel"), QStringLiteral("T285"));
    QTest::keyClicks(f.child<QLineEdit>("UserRegisterEmailLineEdit"), QStringLiteral("a"));
    QCOMPARE(f.message("RegisterMessageLabel"), QString());
}

void TstUserDialog::passwordRecovery()
{
    const QString email = uniqueEmail();
    QCOMPARE(CloudTestClient(m_server.baseUrl()).registerAccount(email, QStringLiteral("secret12")), 0);
    DialogFixture f;
    QSignalSpy warnings(&f.dialog, &UserDialog::sig_ShowWarningDialog);

    f.click("ForgetPasswordButton");
    f.click("UserIdentifyEmailButton");
    QCOMPARE(f.message("IdentifyEmailMessageLabel"), QStringLiteral("T259"));
    f.type("UserIndentifyEmailLineEdit", email);
    f.click("UserIdentifyEmailButton");
    QCOMPARE(f.message("IdentifyEmailMessageLabel"), QStringLiteral("T260"));
    QTRY_COMPARE_WITH_TIMEOUT(f.dialog.currentPage(), int(UserDialog::IdentifyCodePage), kWaitMs);

    f.click("SeeNoticeDetialButton");
    QCOMPARE(f.dialog.currentPage(), int(UserDialog::NoticePage));
    QCOMPARE(f.message("NoticeLabel"), QStringLiteral("T551"));
    f.click("UserBackToIdentifyButton");
    QCOMPARE(f.dialog.currentPage(), int(UserDialog::IdentifyCodePage));

    f.click("UserSendIdetifyCodeButton");
    QCOMPARE(f.message("IdentifyCodeMessageLabel"), QStringLiteral("T261"));
    const QString code = m_server.recoveryCode(email);
    QCOMPARE(code.size(), 6);
    f.type("UserIdentifyCodeLineEdit", code == QStringLiteral("999999") ? QStringLiteral("000000")
                                                                       : QStringLiteral("999999"));
    f.click("UserSendIdetifyCodeButton");
    QTRY_COMPARE_WITH_TIMEOUT(f.message("IdentifyCodeMessageLabel"), QStringLiteral("T318"), kWaitMs);
    QCOMPARE(f.dialog.currentPage(), int(UserDialog::IdentifyCodePage));
    f.type("UserIdentifyCodeLineEdit", code);
    f.click("UserSendIdetifyCodeButton");
    QTRY_COMPARE_WITH_TIMEOUT(f.dialog.currentPage(), int(UserDialog::ResetPasswordPage), kWaitMs);

    f.type("UserNewPasswordLineEdit", QStringLiteral("brandnew1"));
    f.type("UserReNewPasswordLineEdit", QStringLiteral("brandnew1"));
    f.click("UserResetPasswordOkButton");
    QVERIFY(warnings.wait(kWaitMs));
    QCOMPARE(warnings.first().first().toInt(), 46);
    QVERIFY(!f.dialog.isVisible());
    QVERIFY(!CloudTestClient(m_server.baseUrl()).login(email, QStringLiteral("brandnew1")).isEmpty());
}

void TstUserDialog::withoutAServiceTheDialogSaysSo()
{
    qunsetenv("OX8_CLOUD_URL");
    DialogFixture f;
    QCOMPARE(f.message("LoginMessageLabel"), QStringLiteral("T700"));
    QCOMPARE(f.message("RegisterMessageLabel"), QStringLiteral("T700"));
    f.type("UserLoginNameLineEdit", QStringLiteral("a@b.c"));
    QCOMPARE(f.message("LoginMessageLabel"), QString());
    f.type("UserLoginPasswordLineEdit", QStringLiteral("secret12"));
    f.click("UserLoginButton");
    QTRY_COMPARE_WITH_TIMEOUT(f.message("LoginMessageLabel"), QStringLiteral("T700"), kWaitMs);
    QVERIFY(f.dialog.isVisible());
}

QTEST_MAIN(TstUserDialog)
#include "tst_userdialog.moc"
