#pragma once

#include "cloud/rpaccountmanage.h"

#include <QString>

#include <memory>

class QFile;
class QNetworkReply;

// The calls of the account and cloud service, one small class each. Every
// call is fire-and-forget: the class emits its result signal once per
// request, with the envelope's code and message (code -1 and a client text
// when the request could not be sent or its answer not read). A request
// that cannot be sent at all (no service configured) is answered the same
// way, after the caller has returned. GUI thread; the page or dialog that
// uses a call owns it.

// Kind names of SaveConfigInfo.
extern const char kLocalConfigKind[];
extern const char kMacroConfigKind[];

// Largest archive sent to the service; larger ones are refused here, before
// the service would close the connection on them.
constexpr qint64 kMaxUploadBytes = 8 * 1024 * 1024;

// Logs in; a successful login stores the token, the e-mail and the nick name.
class LoginAccount : public RPAccountManage
{
    Q_OBJECT

public:
    explicit LoginAccount(QObject *parent = nullptr);
    void RpPostLoginJson(const QString &email, const QString &password);

signals:
    // On success rMsg is the account's nick name.
    void sigLoginRet(int rCode, QString rMsg);

private slots:
    void slots_onSigFinished(QNetworkReply *reply);

private:
    QString m_email;
};

// Creates an account (no login follows).
class RegisterAccount : public RPAccountManage
{
    Q_OBJECT

public:
    explicit RegisterAccount(QObject *parent = nullptr);
    void RpPostRegisiterJson(const QString &nickName, const QString &email, const QString &password,
                             const QString &rePassword);

signals:
    void sigRegisterRet(int rCode, QString rMsg);

private slots:
    void slots_onSigFinished(QNetworkReply *reply);
};

// Changes the password of the logged-in account: passwd is the current
// password, rePasswd the new one.
class UpdatePasswdAccount : public RPAccountManage
{
    Q_OBJECT

public:
    explicit UpdatePasswdAccount(QObject *parent = nullptr);

public slots:
    void RpUpdatePasswdJson(const QString &email, const QString &passwd, const QString &rePasswd);

signals:
    void sigUpdatePwdRet(int rCode, QString rMsg);

private slots:
    void slots_onSigFinished(QNetworkReply *reply);
};

// Asks for a recovery code to be mailed to the address.
class FindPasswd : public RPAccountManage
{
    Q_OBJECT

public:
    explicit FindPasswd(QObject *parent = nullptr);
    void RpFindPasswdJson(const QString &email);

signals:
    void sigFindPwdRet(int rCode, QString rMsg);

private slots:
    void slots_onSigFinished(QNetworkReply *reply);
};

// Checks a recovery code.
class ValidatePassword : public RPAccountManage
{
    Q_OBJECT

public:
    explicit ValidatePassword(QObject *parent = nullptr);
    void RpValidatePasswordJson(const QString &email, const QString &captcha);

signals:
    void sigValidateCodeRet(int rCode, QString rMsg);

private slots:
    void slots_onSigFinished(QNetworkReply *reply);
};

// Sets a new password with a recovery code.
class NewPassword : public RPAccountManage
{
    Q_OBJECT

public:
    explicit NewPassword(QObject *parent = nullptr);
    void RpNewPasswordJson(const QString &email, const QString &captcha, const QString &password);

signals:
    void sigAlterPwdRet(int rCode, QString rMsg);

private slots:
    void slots_onSigFinished(QNetworkReply *reply);
};

// Packs a folder into folder + ".zip" and uploads it as the configuration
// archive ("LocalFile.zip") or the macro archive ("MacroFiles.zip"). The
// archive is removed again once its reply has been handled.
class UploadFile : public RPAccountManage
{
    Q_OBJECT

public:
    explicit UploadFile(QObject *parent = nullptr);
    ~UploadFile() override;

public slots:
    void RpUploadFile(const QString &dirPath, bool isMacro);

signals:
    // On success path is where the service keeps the archive.
    void sigUploadFileRet(int rCode, QString rMsg, QString path);

private slots:
    void slots_onSigFinished(QNetworkReply *reply);

private:
    void releaseFile();

    std::unique_ptr<QFile> m_file;
};

// Points the account's configuration record of a model ("LocalConfig") or
// its macro record ("MacroConfig") at an uploaded archive. Any other kind
// sends nothing and answers nothing.
class SaveConfigInfo : public RPAccountManage
{
    Q_OBJECT

public:
    explicit SaveConfigInfo(QObject *parent = nullptr);

public slots:
    void RpSaveConfigInfoJson(const QString &filePath, const QString &configType, const QString &kind);

signals:
    void sigSaveConfRet(int rCode, QString rMsg);

private slots:
    void slots_onSigFinished(QNetworkReply *reply);
};

// Asks where the account's archive of a model (configType) or, for an empty
// configType, its macro archive can be downloaded.
class GetDownLoadFilePath : public RPAccountManage
{
    Q_OBJECT

public:
    explicit GetDownLoadFilePath(QObject *parent = nullptr);

public slots:
    void RpGetDownLoadFilePathJson(const QString &configType);

signals:
    // path is empty when the account holds no such archive.
    void sig_DownLoadFilePathRet(int rCode, QString rConfigType, QString rMsg, QString path);

private slots:
    void slots_onSigFinished(QNetworkReply *reply);
};
