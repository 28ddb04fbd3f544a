#include "cloud/accountcalls.h"

#include "cloud/archive.h"
#include "cloud/cloudtexts.h"
#include "config/languagetable.h"

#include <QDebug>
#include <QFile>
#include <QJsonObject>
#include <QNetworkReply>
#include <QTimer>

#include <functional>

const char kLocalConfigKind[] = "LocalConfig";
const char kMacroConfigKind[] = "MacroConfig";

namespace {
constexpr int kLoginMissingCode = 10;
constexpr int kRegisterNetworkErrorText = 582;
constexpr int kServerErrorText = 581;
constexpr int kNetworkErrorText = 580;
constexpr int kTooLargeCode = 10012;
// The token goes into an INI file and every request header.
constexpr int kMaxTokenLength = 1024;

// A request that could not be sent is answered like one that failed, but
// only after the caller returned, as a real answer would be.
void answerLater(RPAccountManage *call, const std::function<void(int, const QString &)> &emitResult,
                 const QString &message)
{
    QTimer::singleShot(0, call, [emitResult, message] { emitResult(-1, message); });
}

QString unsentText(const RPAccountManage &call)
{
    return languageText(call.hasService() ? kNetworkErrorText : kNoServiceText);
}

// A token we keep: printable ASCII of a sane length (the main window counts
// a login from 11 characters on).
bool isUsableToken(const QByteArray &token)
{
    if (token.size() < 11 || token.size() > kMaxTokenLength)
        return false;
    for (const char c : token) {
        if (c < 0x21 || c > 0x7e)
            return false;
    }
    return true;
}

QString dataString(const ServiceReply &r, const char *key)
{
    return r.data.value(QLatin1String(key)).toString();
}
} // namespace

// ---------------------------------------------------------------- LoginAccount

LoginAccount::LoginAccount(QObject *parent)
    : RPAccountManage(parent)
{
    connect(this, &RPAccountManage::sigFinished, this, &LoginAccount::slots_onSigFinished);
}

void LoginAccount::RpPostLoginJson(const QString &email, const QString &password)
{
    m_email = email;
    if (!postJson(Login, {{QStringLiteral("email"), email}, {QStringLiteral("password"), password}}))
        answerLater(this, [this](int c, const QString &m) { emit sigLoginRet(c, m); }, unsentText(*this));
}

void LoginAccount::slots_onSigFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    qDebug() << "loginfo = "
             << "slots_onSigFinished " << reply->error();
    const ServiceReply r = readReply(reply, kLoginMissingCode);
    if (r.code != 0) {
        // A refused login keeps whatever login was stored before.
        emit sigLoginRet(r.code, r.message);
        return;
    }
    const QByteArray token = reply->rawHeader("Authorization");
    if (!isUsableToken(token)) {
        // "Success" without a token would close the dialog on a login that
        // cannot be used.
        qDebug() << "login answer without a usable token";
        emit sigLoginRet(-1, languageText(kServerErrorText));
        return;
    }
    const QString nickName = dataString(r, "nickname");
    tokenStore().SetToken(QString::fromLatin1(token));
    tokenStore().SetEmail(m_email);
    tokenStore().SetNickName(nickName);
    emit sigLoginRet(0, nickName);
}

// ------------------------------------------------------------- RegisterAccount

RegisterAccount::RegisterAccount(QObject *parent)
    : RPAccountManage(parent)
{
    connect(this, &RPAccountManage::sigFinished, this, &RegisterAccount::slots_onSigFinished);
}

void RegisterAccount::RpPostRegisiterJson(const QString &nickName, const QString &email, const QString &password,
                                          const QString &rePassword)
{
    const QJsonObject body{{QStringLiteral("nickname"), nickName},
                           {QStringLiteral("email"), email},
                           {QStringLiteral("password"), password},
                           {QStringLiteral("rePassword"), rePassword}};
    if (!postJson(Register, body)) {
        const QString text = hasService() ? languageText(kRegisterNetworkErrorText) : languageText(kNoServiceText);
        answerLater(this, [this](int c, const QString &m) { emit sigRegisterRet(c, m); }, text);
    }
}

void RegisterAccount::slots_onSigFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    const ServiceReply r = readReply(reply, 0, kRegisterNetworkErrorText);
    emit sigRegisterRet(r.code, r.message);
}

// --------------------------------------------------------- UpdatePasswdAccount

UpdatePasswdAccount::UpdatePasswdAccount(QObject *parent)
    : RPAccountManage(parent)
{
    connect(this, &RPAccountManage::sigFinished, this, &UpdatePasswdAccount::slots_onSigFinished);
}

void UpdatePasswdAccount::RpUpdatePasswdJson(const QString &email, const QString &passwd, const QString &rePasswd)
{
    const QJsonObject body{{QStringLiteral("email"), email},
                           {QStringLiteral("password"), passwd},
                           {QStringLiteral("rePassword"), rePasswd}};
    if (!postJson(UpdatePassword, body))
        answerLater(this, [this](int c, const QString &m) { emit sigUpdatePwdRet(c, m); }, unsentText(*this));
}

void UpdatePasswdAccount::slots_onSigFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    const ServiceReply r = readReply(reply);
    emit sigUpdatePwdRet(r.code, r.message);
}

// ------------------------------------------------------------------ FindPasswd

FindPasswd::FindPasswd(QObject *parent)
    : RPAccountManage(parent)
{
    connect(this, &RPAccountManage::sigFinished, this, &FindPasswd::slots_onSigFinished);
}

void FindPasswd::RpFindPasswdJson(const QString &email)
{
    if (!postJson(FindPassword, {{QStringLiteral("email"), email}}))
        answerLater(this, [this](int c, const QString &m) { emit sigFindPwdRet(c, m); }, unsentText(*this));
}

void FindPasswd::slots_onSigFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    const ServiceReply r = readReply(reply);
    emit sigFindPwdRet(r.code, r.message);
}

// ------------------------------------------------------------ ValidatePassword

ValidatePassword::ValidatePassword(QObject *parent)
    : RPAccountManage(parent)
{
    connect(this, &RPAccountManage::sigFinished, this, &ValidatePassword::slots_onSigFinished);
}

void ValidatePassword::RpValidatePasswordJson(const QString &email, const QString &captcha)
{
    const QJsonObject body{{QStringLiteral("email"), email}, {QStringLiteral("captcha"), captcha}};
    if (!postJson(RPAccountManage::ValidatePassword, body))
        answerLater(this, [this](int c, const QString &m) { emit sigValidateCodeRet(c, m); }, unsentText(*this));
}

void ValidatePassword::slots_onSigFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    const ServiceReply r = readReply(reply);
    emit sigValidateCodeRet(r.code, r.message);
}

// ----------------------------------------------------------------- NewPassword

NewPassword::NewPassword(QObject *parent)
    : RPAccountManage(parent)
{
    connect(this, &RPAccountManage::sigFinished, this, &NewPassword::slots_onSigFinished);
}

void NewPassword::RpNewPasswordJson(const QString &email, const QString &captcha, const QString &password)
{
    const QJsonObject body{{QStringLiteral("email"), email},
                           {QStringLiteral("captcha"), captcha},
                           {QStringLiteral("password"), password}};
    if (!postJson(RPAccountManage::NewPassword, body))
        answerLater(this, [this](int c, const QString &m) { emit sigAlterPwdRet(c, m); }, unsentText(*this));
}

void NewPassword::slots_onSigFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    const ServiceReply r = readReply(reply);
    emit sigAlterPwdRet(r.code, r.message);
}

// ------------------------------------------------------------------ UploadFile

UploadFile::UploadFile(QObject *parent)
    : RPAccountManage(parent)
{
    connect(this, &RPAccountManage::sigFinished, this, &UploadFile::slots_onSigFinished);
}

UploadFile::~UploadFile()
{
    // The replies go with the network access manager; the archive with us.
    abortPending();
    releaseFile();
}

void UploadFile::releaseFile()
{
    if (!m_file)
        return;
    m_file->close();
    if (!m_file->remove())
        qDebug() << "UploadFile: archive left at" << m_file->fileName();
    m_file.reset();
}

void UploadFile::RpUploadFile(const QString &dirPath, bool isMacro)
{
    qDebug() << "path" << dirPath;
    const auto answer = [this](int c, const QString &m) { emit sigUploadFileRet(c, m, QString()); };
    if (!hasService()) {
        answerLater(this, answer, languageText(kNoServiceText));
        return;
    }
    const QString zipPath = dirPath + QStringLiteral(".zip");
    const ArchiveResult packed = compressFolderToFile(dirPath, zipPath);
    if (!packed.ok()) {
        // Nothing is sent; the page learns it at once instead of timing out.
        qDebug() << "compressDir file failed" << archiveErrorName(packed.error) << packed.detail;
        answerLater(this, answer, languageText(kPackFailedText));
        return;
    }
    releaseFile();
    m_file = std::make_unique<QFile>(zipPath);
    if (m_file->size() > kMaxUploadBytes) {
        qDebug() << "upLoadError archive too large" << m_file->size();
        releaseFile();
        QTimer::singleShot(0, this, [this] {
            emit sigUploadFileRet(kTooLargeCode, languageText(kArchiveTooLargeText), QString());
        });
        return;
    }
    QNetworkReply *reply = nullptr;
    if (m_file->open(QIODevice::ReadOnly))
        reply = postArchive(m_file.get(), isMacro ? Archive::Macros : Archive::Configuration);
    if (!reply) {
        qDebug() << "upLoadError cannot send" << zipPath;
        releaseFile();
        answerLater(this, answer, unsentText(*this));
        return;
    }
    connect(reply, &QNetworkReply::uploadProgress, this,
            [](qint64 sent, qint64 total) { qDebug() << "OnUploadProgress" << sent << total; });
    connect(reply, &QNetworkReply::errorOccurred, this,
            [](QNetworkReply::NetworkError error) { qDebug() << "upLoadError" << error; });
}

void UploadFile::slots_onSigFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    const ServiceReply r = readReply(reply);
    const QString path = r.code == 0 ? dataString(r, "filePath") : QString();
    releaseFile();
    emit sigUploadFileRet(r.code, r.message, path);
}

// -------------------------------------------------------------- SaveConfigInfo

SaveConfigInfo::SaveConfigInfo(QObject *parent)
    : RPAccountManage(parent)
{
    connect(this, &RPAccountManage::sigFinished, this, &SaveConfigInfo::slots_onSigFinished);
}

void SaveConfigInfo::RpSaveConfigInfoJson(const QString &filePath, const QString &configType, const QString &kind)
{
    int endpoint = -1;
    if (kind == QLatin1String(kLocalConfigKind))
        endpoint = SaveConfig;
    else if (kind == QLatin1String(kMacroConfigKind))
        endpoint = SaveMacroConfig;
    if (endpoint < 0) {
        qDebug() << "SaveConfigInfo: unknown kind" << kind;
        return;
    }
    const QJsonObject body{{QStringLiteral("filePath"), filePath},
                           {QStringLiteral("configContent"), QString()},
                           {QStringLiteral("configType"), configType}};
    if (!postJson(endpoint, body))
        answerLater(this, [this](int c, const QString &m) { emit sigSaveConfRet(c, m); }, unsentText(*this));
}

void SaveConfigInfo::slots_onSigFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    const ServiceReply r = readReply(reply);
    emit sigSaveConfRet(r.code, r.message);
}

// --------------------------------------------------------- GetDownLoadFilePath

GetDownLoadFilePath::GetDownLoadFilePath(QObject *parent)
    : RPAccountManage(parent)
{
    connect(this, &RPAccountManage::sigFinished, this, &GetDownLoadFilePath::slots_onSigFinished);
}

void GetDownLoadFilePath::RpGetDownLoadFilePathJson(const QString &configType)
{
    const bool macros = configType.isEmpty();
    const QJsonObject body = macros ? QJsonObject() : QJsonObject{{QStringLiteral("configType"), configType}};
    if (!postJson(macros ? GetMacroConfig : GetConfig, body)) {
        answerLater(
            this,
            [this, configType](int c, const QString &m) { emit sig_DownLoadFilePathRet(c, configType, m, QString()); },
            unsentText(*this));
    }
}

void GetDownLoadFilePath::slots_onSigFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    const ServiceReply r = readReply(reply);
    emit sig_DownLoadFilePathRet(r.code, dataString(r, "configType"), r.message, dataString(r, "filePath"));
}
