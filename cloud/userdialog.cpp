#include "cloud/userdialog.h"

#include "cloud/accountcalls.h"
#include "cloud/cloudtexts.h"
#include "config/languagetable.h"
#include "config/warningtype.h"
#include "ui_userdialog.h"

#include <QDebug>

namespace {
constexpr int kMinPasswordLength = 6;
constexpr int kMaxPasswordLength = 16;
constexpr int kMaxNickNameLength = 7;
// The service would send this for an address whose code is already known.
constexpr int kCodeAlreadySentCode = 20004;

const char kActiveLoginTab[] =
    "QPushButton{border-top-left-radius:8px ; background:rgba(64,197,221,1);color:white;}";
const char kActiveRegisterTab[] =
    "QPushButton{border-top-right-radius:8px ; background:rgba(64,197,221,1);color:white;}";
const char kInactiveTab[] = "QPushButton{background:transparent;color:white;}";

const char kUiEventCategory[] = "UI事件";
const char kLoginAction[] = "登录";
const char kRegisterAction[] = "注册";
const char kSendCodeAction[] = "发送验证码至邮箱";
const char kCheckCodeAction[] = "验证找回密码";
const char kResetAction[] = "修改密码";
const char kSuccessLabel[] = "成功";
const char kFailureLabel[] = "失败";
const char kViewScreen[] = "UserDialog";

// The text of a result: the client's own text for code -1 (no service, no
// answer, an unreadable answer), else the table's text of the code.
QString resultText(int rCode, const QString &rMsg)
{
    if (rCode == -1 && !rMsg.isEmpty())
        return rMsg;
    return languageText(resultTextNumber(rCode));
}
} // namespace

UserDialog::UserDialog(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::UserDialog>())
    , m_login(new LoginAccount(this))
    , m_register(new RegisterAccount(this))
    , m_findPassword(new FindPasswd(this))
    , m_validatePassword(new ValidatePassword(this))
    , m_newPassword(new NewPassword(this))
{
    m_ui->setupUi(this);
    // Frameless alone makes the dialog a child laid over the whole window,
    // which blocks the window below it while it shows.
    setWindowFlags(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_StyledBackground);
    setModal(true);
    setTexts();

    connect(m_login, &LoginAccount::sigLoginRet, this, &UserDialog::slot_LoginMessage);
    connect(m_register, &RegisterAccount::sigRegisterRet, this, &UserDialog::slot_RegisterMessage);
    connect(m_findPassword, &FindPasswd::sigFindPwdRet, this, &UserDialog::slot_FindPasswordMessage);
    connect(m_validatePassword, &ValidatePassword::sigValidateCodeRet, this,
            &UserDialog::slot_ValidatePasswordMessage);
    connect(m_newPassword, &NewPassword::sigAlterPwdRet, this, &UserDialog::slot_ResetPasswordMessage);

    // Editing a field clears the message of its page.
    const QList<QPair<QLineEdit *, QLabel *>> fields = {
        {m_ui->UserLoginNameLineEdit, m_ui->LoginMessageLabel},
        {m_ui->UserLoginPasswordLineEdit, m_ui->LoginMessageLabel},
        {m_ui->UserRegisterNickNameLineEdit, m_ui->RegisterMessageLabel},
        {m_ui->UserRegisterEmailLineEdit, m_ui->RegisterMessageLabel},
        {m_ui->UserRegisterPasswordLineEdit, m_ui->RegisterMessageLabel},
        {m_ui->UserRegisterRePasswordLineEdit, m_ui->RegisterMessageLabel},
        {m_ui->UserIndentifyEmailLineEdit, m_ui->IdentifyEmailMessageLabel},
        {m_ui->UserIdentifyCodeLineEdit, m_ui->IdentifyCodeMessageLabel},
        {m_ui->UserNewPasswordLineEdit, m_ui->ResetPasswordMessageLabel},
        {m_ui->UserReNewPasswordLineEdit, m_ui->ResetPasswordMessageLabel},
    };
    for (const auto &f : fields)
        connect(f.first, &QLineEdit::textEdited, f.second, &QLabel::clear);

    showPage(LoginPage);
    setTabStyles(true);
    if (!m_login->hasService()) {
        // Every button would only fail: say why at once.
        for (QLabel *label : {m_ui->LoginMessageLabel, m_ui->RegisterMessageLabel, m_ui->IdentifyEmailMessageLabel})
            label->setText(languageText(kNoServiceText));
    }
}

UserDialog::~UserDialog() = default;

int UserDialog::currentPage() const
{
    return m_ui->stackedWidget->currentIndex();
}

void UserDialog::setTexts()
{
    m_ui->ChooseLoginButton->setText(languageText(540));
    m_ui->ChooseRegisterButton->setText(languageText(541));
    m_ui->UserCloseButton->setToolTip(languageText(279));
    m_ui->UserLoginNameLineEdit->setPlaceholderText(languageText(542));
    m_ui->UserLoginPasswordLineEdit->setPlaceholderText(languageText(543));
    m_ui->ForgetPasswordButton->setText(languageText(546));
    m_ui->UserLoginButton->setText(languageText(540));
    m_ui->UserRegisterNickNameLineEdit->setPlaceholderText(languageText(544));
    m_ui->UserRegisterEmailLineEdit->setPlaceholderText(languageText(542));
    m_ui->UserRegisterPasswordLineEdit->setPlaceholderText(languageText(543));
    m_ui->UserRegisterRePasswordLineEdit->setPlaceholderText(languageText(545));
    m_ui->UserRegisterButton->setText(languageText(541));
    m_ui->IdentifyEmailTitleLabel->setText(languageText(546));
    m_ui->UserIndentifyEmailLineEdit->setPlaceholderText(languageText(542));
    m_ui->UserIdentifyEmailButton->setText(languageText(547));
    m_ui->IdentifyCodeTitleLabel->setText(languageText(548));
    m_ui->UserIdentifyCodeLineEdit->setPlaceholderText(languageText(548));
    m_ui->UserSendIdetifyCodeButton->setText(languageText(549));
    m_ui->SeeNoticeDetialButton->setText(languageText(550));
    m_ui->NoticeLabel->setText(languageText(551));
    m_ui->UserBackToIdentifyButton->setText(languageText(552));
    m_ui->ResetPasswordTitleLabel->setText(languageText(553));
    m_ui->UserNewPasswordLineEdit->setPlaceholderText(languageText(553));
    m_ui->UserReNewPasswordLineEdit->setPlaceholderText(languageText(545));
    m_ui->UserResetPasswordOkButton->setText(languageText(116));
}

void UserDialog::showPage(int page)
{
    m_ui->stackedWidget->setCurrentIndex(page);
}

void UserDialog::setTabStyles(bool loginActive)
{
    m_ui->ChooseLoginButton->setStyleSheet(QString::fromLatin1(loginActive ? kActiveLoginTab : kInactiveTab));
    m_ui->ChooseRegisterButton->setStyleSheet(QString::fromLatin1(loginActive ? kInactiveTab : kActiveRegisterTab));
}

void UserDialog::sendUiEvent(const char *action, const QString &label)
{
    emit sig_SendUIEventMessageToGA(QString::fromUtf8(kUiEventCategory), QString::fromUtf8(action), label,
                                    QString::fromLatin1(kViewScreen));
}

void UserDialog::sendResultEvent(const char *action, int rCode)
{
    sendUiEvent(action, QString::fromUtf8(rCode == 0 ? kSuccessLabel : kFailureLabel));
}

int UserDialog::passwordRuleText(const QString &password, const QString &repeated)
{
    if (password != repeated)
        return 229;
    if (password.size() < kMinPasswordLength)
        return 285;
    if (password.size() > kMaxPasswordLength)
        return 286;
    return 0;
}

// --- Navigation --------------------------------------------------------------------------------

void UserDialog::on_ChooseLoginButton_clicked()
{
    showPage(LoginPage);
    setTabStyles(true);
}

void UserDialog::on_ChooseRegisterButton_clicked()
{
    showPage(RegisterPage);
    setTabStyles(false);
}

void UserDialog::on_ForgetPasswordButton_clicked()
{
    showPage(IdentifyEmailPage);
}

void UserDialog::on_SeeNoticeDetialButton_clicked()
{
    showPage(NoticePage);
}

void UserDialog::on_UserBackToIdentifyButton_clicked()
{
    showPage(IdentifyCodePage);
}

void UserDialog::on_UserCloseButton_clicked()
{
    reject();
}

// --- Requests ----------------------------------------------------------------------------------

void UserDialog::on_UserLoginButton_clicked()
{
    sendUiEvent(kLoginAction, QString());
    m_login->RpPostLoginJson(m_ui->UserLoginNameLineEdit->text().trimmed(), m_ui->UserLoginPasswordLineEdit->text());
}

void UserDialog::on_UserRegisterButton_clicked()
{
    sendUiEvent(kRegisterAction, QString());
    const QString nickName = m_ui->UserRegisterNickNameLineEdit->text();
    const QString email = m_ui->UserRegisterEmailLineEdit->text().trimmed();
    const QString password = m_ui->UserRegisterPasswordLineEdit->text();
    const QString repeated = m_ui->UserRegisterRePasswordLineEdit->text();
    int text = passwordRuleText(password, repeated);
    if (text == 0 && (nickName.isEmpty() || email.isEmpty() || password.isEmpty() || repeated.isEmpty()))
        text = 262;
    if (text == 0 && nickName.size() > kMaxNickNameLength)
        text = 287;
    if (text != 0) {
        m_ui->RegisterMessageLabel->setText(languageText(text));
        return;
    }
    m_register->RpPostRegisiterJson(nickName, email, password, repeated);
}

void UserDialog::on_UserIdentifyEmailButton_clicked()
{
    sendUiEvent(kSendCodeAction, QString());
    const QString email = m_ui->UserIndentifyEmailLineEdit->text().trimmed();
    if (email.isEmpty()) {
        m_ui->IdentifyEmailMessageLabel->setText(languageText(259));
        return;
    }
    m_ui->IdentifyEmailMessageLabel->setText(languageText(260));
    m_findPassword->RpFindPasswdJson(email);
}

void UserDialog::on_UserSendIdetifyCodeButton_clicked()
{
    const QString code = m_ui->UserIdentifyCodeLineEdit->text().trimmed();
    if (code.isEmpty()) {
        m_ui->IdentifyCodeMessageLabel->setText(languageText(261));
        return;
    }
    m_validatePassword->RpValidatePasswordJson(m_ui->UserIndentifyEmailLineEdit->text().trimmed(), code);
}

void UserDialog::on_UserResetPasswordOkButton_clicked()
{
    const QString password = m_ui->UserNewPasswordLineEdit->text();
    const int text = passwordRuleText(password, m_ui->UserReNewPasswordLineEdit->text());
    if (text != 0) {
        m_ui->ResetPasswordMessageLabel->setText(languageText(text));
        return;
    }
    m_newPassword->RpNewPasswordJson(m_ui->UserIndentifyEmailLineEdit->text().trimmed(),
                                     m_ui->UserIdentifyCodeLineEdit->text().trimmed(), password);
}

// --- Answers -----------------------------------------------------------------------------------

void UserDialog::slot_LoginMessage(int rCode, QString rMsg)
{
    qDebug() << "slot_LoginMessage" << rCode;
    m_ui->LoginMessageLabel->setText(resultText(rCode, rMsg));
    sendResultEvent(kLoginAction, rCode);
    if (rCode == 0) {
        accept();
        emit loginSucced();
    }
}

void UserDialog::slot_RegisterMessage(int rCode, QString rMsg)
{
    qDebug() << "slot_RegisterMessage" << rCode;
    m_ui->RegisterMessageLabel->setText(resultText(rCode, rMsg));
    sendResultEvent(kRegisterAction, rCode);
    if (rCode == 0) {
        accept();
        emit sig_ShowWarningDialog(Warning::RegistrationDone);
    }
}

void UserDialog::slot_FindPasswordMessage(int rCode, QString rMsg)
{
    qDebug() << "slot_FindPasswordMessage" << rCode;
    m_ui->IdentifyEmailMessageLabel->setText(resultText(rCode, rMsg));
    sendResultEvent(kSendCodeAction, rCode);
    if (rCode == 0)
        showPage(IdentifyCodePage);
    else if (rCode == kCodeAlreadySentCode)
        showPage(ResetPasswordPage);
}

void UserDialog::slot_ValidatePasswordMessage(int rCode, QString rMsg)
{
    qDebug() << "slot_ValidatePasswordMessage" << rCode;
    m_ui->IdentifyCodeMessageLabel->setText(resultText(rCode, rMsg));
    sendResultEvent(kCheckCodeAction, rCode);
    if (rCode == 0)
        showPage(ResetPasswordPage);
}

void UserDialog::slot_ResetPasswordMessage(int rCode, QString rMsg)
{
    qDebug() << "slot_ResetPasswordMessage" << rCode;
    m_ui->ResetPasswordMessageLabel->setText(resultText(rCode, rMsg));
    sendResultEvent(kResetAction, rCode);
    if (rCode == 0) {
        accept();
        emit sig_ShowWarningDialog(Warning::PasswordResetDone);
    }
}
