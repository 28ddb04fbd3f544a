#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class UserDialog;
}

class FindPasswd;
class LoginAccount;
class NewPassword;
class QLabel;
class RegisterAccount;
class ValidatePassword;

// The login dialog: log in, register, and recover a password (send a code
// to the e-mail address, check it, set a new password). A frameless overlay
// over the main window with its pages in one stacked widget; it checks the
// fields, calls the service and shows each answer's text. Closes itself
// after a login, a registration or a password reset. GUI thread only.
class UserDialog : public QDialog
{
    Q_OBJECT

public:
    // Page indexes of the stacked widget.
    enum Page { LoginPage = 0, RegisterPage = 1, IdentifyEmailPage = 2, IdentifyCodePage = 3, NoticePage = 4,
                ResetPasswordPage = 5 };

    explicit UserDialog(QWidget *parent = nullptr);
    ~UserDialog() override;

    int currentPage() const;

signals:
    void loginSucced();
    void sig_ShowWarningDialog(int warningType);
    void sig_SendUIEventMessageToGA(const QString &category, const QString &action, const QString &label,
                                    const QString &viewScreen);

public slots:
    void on_ChooseLoginButton_clicked();
    void on_ChooseRegisterButton_clicked();
    void on_ForgetPasswordButton_clicked();
    void on_SeeNoticeDetialButton_clicked();
    void on_UserBackToIdentifyButton_clicked();
    void on_UserLoginButton_clicked();
    void on_UserRegisterButton_clicked();
    void on_UserIdentifyEmailButton_clicked();
    void on_UserSendIdetifyCodeButton_clicked();
    void on_UserResetPasswordOkButton_clicked();
    void on_UserCloseButton_clicked();

    void slot_LoginMessage(int rCode, QString rMsg);
    void slot_RegisterMessage(int rCode, QString rMsg);
    void slot_FindPasswordMessage(int rCode, QString rMsg);
    void slot_ValidatePasswordMessage(int rCode, QString rMsg);
    void slot_ResetPasswordMessage(int rCode, QString rMsg);

private:
    void setTexts();
    void showPage(int page);
    void setTabStyles(bool loginActive);
    void sendUiEvent(const char *action, const QString &label);
    void sendResultEvent(const char *action, int rCode);
    // The text number of the first rule a new password breaks, or 0.
    static int passwordRuleText(const QString &password, const QString &repeated);

    std::unique_ptr<Ui::UserDialog> m_ui;
    LoginAccount *m_login;
    RegisterAccount *m_register;
    FindPasswd *m_findPassword;
    ValidatePassword *m_validatePassword;
    NewPassword *m_newPassword;
};
