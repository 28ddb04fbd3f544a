#include "cloud/cloudsyncwidget.h"

#include "cloud/accountcalls.h"
#include "cloud/cloudtexts.h"
#include "cloud/filedownloader.h"
#include "config/languagetable.h"
#include "config/paths.h"
#include "config/servicesettings.h"
#include "config/warningtype.h"
#include "discovery/models.h"
#include "platform/clock.h"
#include "ui_cloudsyncwidget.h"

#include <QCoreApplication>
#include <QDebug>
#include <QPointer>

namespace {
constexpr int kStepTimeoutMs = 10000;
constexpr int kDownloadTimeoutMs = 20000;
// The account's whole cloud space; no archive of ours comes near it.
constexpr qint64 kMaxDownloadBytes = 32 * 1024 * 1024;

constexpr int kMinPasswordLength = 6;
constexpr int kMaxPasswordLength = 16;
constexpr int kLoginExpiredCode = 10011;
constexpr int kOldPasswordWrongCode = 10003;
constexpr int kNetworkErrorText = 580;

const char kUiEventCategory[] = "UI事件";
const char kChangePasswordAction[] = "修改密码";
const char kSuccessLabel[] = "成功";
const char kFailureLabel[] = "失败";
const char kViewScreen[] = "CloudSyncWidget";
const char kMacroConfigType[] = "macro";

Clock &realClock()
{
    static RealClock clock;
    return clock;
}

QString modelKey()
{
    return getModelFolderName(currentMouseType());
}
} // namespace

CloudSyncWidget::CloudSyncWidget(QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::CloudSyncWidget>())
    , m_updatePassword(new UpdatePasswdAccount(this))
    , m_upload(new UploadFile(this))
    , m_save(new SaveConfigInfo(this))
    , m_getPath(new GetDownLoadFilePath(this))
    , m_clock(&realClock())
{
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("CloudSyncWidget"));
    setAttribute(Qt::WA_StyledBackground);
    setTexts();

    for (QLineEdit *field : {m_ui->OldPasswordLineEdit, m_ui->NewPasswordLineEdit, m_ui->ReNewPasswordLineEdit}) {
        connect(field, &QLineEdit::textChanged, this, &CloudSyncWidget::checkPasswordIsDone);
        connect(field, &QLineEdit::textEdited, m_ui->PasswordMessageLabel, &QLabel::clear);
    }

    connect(this, &CloudSyncWidget::sig_UpdatePassword, m_updatePassword, &UpdatePasswdAccount::RpUpdatePasswdJson);
    connect(m_updatePassword, &UpdatePasswdAccount::sigUpdatePwdRet, this,
            &CloudSyncWidget::slot_changePasswordResult);
    connect(this, &CloudSyncWidget::sig_UploadConfigFile, m_upload, &UploadFile::RpUploadFile);
    connect(m_upload, &UploadFile::sigUploadFileRet, this, &CloudSyncWidget::slot_upLoadResult);
    connect(this, &CloudSyncWidget::sig_SaveConfig, m_save, &SaveConfigInfo::RpSaveConfigInfoJson);
    connect(m_save, &SaveConfigInfo::sigSaveConfRet, this, &CloudSyncWidget::slot_saveConfigResult);
    connect(this, &CloudSyncWidget::sig_GetDownLoadFilePath, m_getPath,
            &GetDownLoadFilePath::RpGetDownLoadFilePathJson);
    connect(m_getPath, &GetDownLoadFilePath::sig_DownLoadFilePathRet, this,
            &CloudSyncWidget::slot_getDownLoadFilePathResult);
    connect(this, &CloudSyncWidget::sig_StartDownload, this, &CloudSyncWidget::startDownload);

    checkPasswordIsDone();
    refreshServiceState();
}

CloudSyncWidget::~CloudSyncWidget() = default;

void CloudSyncWidget::setWaitClock(Clock *clock)
{
    m_clock = clock ? clock : &realClock();
}

void CloudSyncWidget::setTexts()
{
    m_ui->AccountTitleLabel->setText(languageText(557));
    m_ui->LoggedInAsLabel->setText(languageText(kLoggedInAsText));
    m_ui->ChangePasswordTitleLabel->setText(languageText(555));
    m_ui->OldPasswordLineEdit->setPlaceholderText(languageText(554));
    m_ui->NewPasswordLineEdit->setPlaceholderText(languageText(553));
    m_ui->ReNewPasswordLineEdit->setPlaceholderText(languageText(545));
    m_ui->ChangePasswordButton->setText(languageText(555));
    m_ui->SyncTitleLabel->setText(languageText(97));
    m_ui->SyncExplainLabel->setText(languageText(556));
    m_ui->UploadButton->setText(languageText(100));
    m_ui->DownloadButton->setText(languageText(101));
    m_ui->HeadImageButton->setToolTip(languageText(kHeadImageTitle));
    m_ui->NoServiceTitleLabel->setText(languageText(kNoServiceTitle));
    m_ui->NoServiceLabel->setText(languageText(kNoServiceText));
}

bool CloudSyncWidget::hasService() const
{
    return !serviceBaseUrl().isEmpty();
}

void CloudSyncWidget::refreshServiceState()
{
    // The setting may have changed since the calls were made.
    const QUrl base = serviceBaseUrl();
    for (RPAccountManage *call : {static_cast<RPAccountManage *>(m_updatePassword),
                                  static_cast<RPAccountManage *>(m_upload), static_cast<RPAccountManage *>(m_save),
                                  static_cast<RPAccountManage *>(m_getPath)})
        call->setBaseUrl(base);
    const bool service = !base.isEmpty();
    m_ui->CloudContentWidget->setVisible(service);
    m_ui->NoServiceWidget->setVisible(!service);
}

void CloudSyncWidget::sendUiEvent(const QString &action, const QString &label)
{
    emit sig_SendUIEventMessageToGA(QString::fromUtf8(kUiEventCategory), action, label,
                                    QString::fromLatin1(kViewScreen));
}

void CloudSyncWidget::warn(int type)
{
    emit sig_ShowWarningDialogOnCloudSyncWidget(type);
}

void CloudSyncWidget::warnWithMessage(int type, const QString &message)
{
    emit sig_ShowWarningDialogWithSpecifyMessageOnCloudSyncWidget(type, message);
}

// --- Account ---------------------------------------------------------------------------------

void CloudSyncWidget::setUserNameLineEdit(const QString &text)
{
    m_ui->UserNameLineEdit->setText(text);
    m_ui->HeadImageButton->setText(text.isEmpty() ? QString() : text.left(1).toUpper());
}

void CloudSyncWidget::resetPage()
{
    setUserNameLineEdit(QString());
    clearPasswordFields();
    m_ui->CloudMessageLabel->clear();
}

void CloudSyncWidget::clearPasswordFields()
{
    m_ui->OldPasswordLineEdit->clear();
    m_ui->NewPasswordLineEdit->clear();
    m_ui->ReNewPasswordLineEdit->clear();
    m_ui->PasswordMessageLabel->clear();
}

void CloudSyncWidget::checkPasswordIsDone()
{
    m_ui->ChangePasswordButton->setVisible(!m_ui->OldPasswordLineEdit->text().isEmpty()
                                           && !m_ui->NewPasswordLineEdit->text().isEmpty()
                                           && !m_ui->ReNewPasswordLineEdit->text().isEmpty());
}

void CloudSyncWidget::showPasswordMessage(const QString &text)
{
    m_ui->PasswordMessageLabel->setText(text);
}

void CloudSyncWidget::on_ChangePasswordButton_clicked()
{
    sendUiEvent(QString::fromUtf8(kChangePasswordAction), QString());
    const QString newPassword = m_ui->NewPasswordLineEdit->text();
    if (newPassword != m_ui->ReNewPasswordLineEdit->text()) {
        showPasswordMessage(languageText(229));
        return;
    }
    if (newPassword.size() < kMinPasswordLength) {
        showPasswordMessage(languageText(285));
        return;
    }
    if (newPassword.size() > kMaxPasswordLength) {
        showPasswordMessage(languageText(286));
        return;
    }
    emit sig_UpdatePassword(m_token.GetEmail(), m_ui->OldPasswordLineEdit->text(), newPassword);
    showPasswordMessage(languageText(230));
}

void CloudSyncWidget::slot_changePasswordResult(int rCode, QString rMsg)
{
    qDebug() << "slot_changePasswordResult" << rCode << rMsg;
    if (rCode == kOldPasswordWrongCode) {
        showPasswordMessage(languageText(231));
    } else if (rCode != 0) {
        showPasswordMessage(languageText(resultTextNumber(rCode)));
    } else {
        clearPasswordFields();
        emit sig_EndLoadingDialog();
        warn(Warning::PasswordChanged);
    }
    sendUiEvent(QString::fromUtf8(kChangePasswordAction),
                QString::fromUtf8(rCode == 0 ? kSuccessLabel : kFailureLabel));
}

void CloudSyncWidget::on_HeadImageButton_clicked()
{
    emit sig_ShowEditHeadImageDialogOnCloudSyncWidget();
}

// --- Transfers -------------------------------------------------------------------------------

void CloudSyncWidget::on_UploadButton_clicked()
{
    askForTransfer(100, Warning::UploadConfirm);
}

void CloudSyncWidget::on_DownloadButton_clicked()
{
    askForTransfer(101, Warning::DownloadConfirm);
}

void CloudSyncWidget::askForTransfer(int buttonText, int confirmation)
{
    sendUiEvent(languageText(buttonText), QString());
    emit sig_EndLoadingDialog();
    if (m_transferRunning)
        return;
    if (currentMouseType() == 0) {
        warn(Warning::CloudNeedsMouse);
        return;
    }
    warn(confirmation);
}

bool CloudSyncWidget::beginTransfer(const char *what)
{
    // The waits run the event loop: a second start (a second confirmation,
    // a queued request) must not begin a transfer inside the first.
    if (m_transferRunning) {
        qDebug() << what << "ignored: a transfer is running";
        return false;
    }
    if (currentMouseType() == 0) {
        qDebug() << what << "ignored: no mouse";
        warn(Warning::CloudNeedsMouse);
        return false;
    }
    m_transferRunning = true;
    m_loginWarningShown = false;
    m_serverMessage.clear();
    m_ui->UploadButton->setEnabled(false);
    m_ui->DownloadButton->setEnabled(false);
    return true;
}

void CloudSyncWidget::endTransfer()
{
    m_waitingFor = Step::None;
    m_transferRunning = false;
    m_ui->UploadButton->setEnabled(true);
    m_ui->DownloadButton->setEnabled(true);
}

int CloudSyncWidget::waitFor(int CloudSyncWidget::*field, Step step, int timeoutMs)
{
    QPointer<CloudSyncWidget> self(this);
    m_waitingFor = step;
    const qint64 deadline = m_clock->nowMs() + timeoutMs;
    while (self && this->*field == 0 && m_clock->nowMs() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
        if (!self || this->*field != 0)
            break;
        m_clock->sleepMs(5);
    }
    if (!self)
        return 0;
    m_waitingFor = Step::None;
    return this->*field;
}

// Upload --------------------------------------------------------------------------------------

void CloudSyncWidget::slot_startToUploadConfigFiles()
{
    if (!beginTransfer("slot_startToUploadConfigFiles"))
        return;
    QPointer<CloudSyncWidget> self(this);
    emit sig_ShowLoadingDialog();
    qDebug() << "slot_startToUploadConfigFiles";
    m_uploadedPath.clear();

    const bool done = uploadArchive(false) && self && uploadArchive(true);
    if (!self)
        return;
    if (done)
        m_ui->CloudMessageLabel->setText(languageText(103));
    emit sig_RemoveOldFile();
    emit sig_EndLoadingDialog();
    endTransfer();
}

bool CloudSyncWidget::uploadArchive(bool macro)
{
    QPointer<CloudSyncWidget> self(this);
    m_isMacro = macro;
    QString folder;
    if (macro) {
        // The macro folder always has its user folder; an archive of it is
        // never empty, and an empty one would not unpack again.
        getPlayerCustomDir();
        folder = getMacroFilesDir();
        qDebug() << "macroUploadFilePath  MacroFile " << folder;
    } else {
        folder = getConfigMouseLocalDir(currentMouseType());
        qDebug() << "upLoadConfigLocalFileToServer  LocalFile " << folder;
    }

    m_uploadState = 0;
    m_waitingFor = Step::Upload;
    emit sig_UploadConfigFile(folder, macro);
    int state = waitFor(&CloudSyncWidget::m_uploadState, Step::Upload, kStepTimeoutMs);
    if (!self)
        return false;
    if (state == 1) {
        m_uploadState = 0;
        m_waitingFor = Step::Save;
        emit sig_SaveConfig(m_uploadedPath, macro ? QString() : modelKey(),
                            QString::fromLatin1(macro ? kMacroConfigKind : kLocalConfigKind));
        state = waitFor(&CloudSyncWidget::m_uploadState, Step::Save, kStepTimeoutMs);
        if (!self)
            return false;
    }
    if (state == 0) {
        qDebug() << "checkUploadState waitFlagTimeOut";
        emit sig_EndLoadingDialog();
        warnWithMessage(Warning::UploadTimedOut, m_serverMessage);
        // A late answer must not finish a later transfer's step.
        m_upload->abortPending();
        m_save->abortPending();
        return false;
    }
    if (state != 1) {
        uploadFailed();
        return false;
    }
    if (macro) {
        emit sig_EndLoadingDialog();
        warn(Warning::UploadDone);
    }
    return true;
}

void CloudSyncWidget::uploadFailed()
{
    emit sig_EndLoadingDialog();
    if (m_loginWarningShown)
        return;
    // "Upload failed" with the reason; "timed out" would be wrong here.
    warnWithMessage(Warning::UploadFailed, m_serverMessage);
}

void CloudSyncWidget::slot_upLoadResult(int rCode, QString rMsg, QString filePath)
{
    qDebug() << "slot_upLoadResult" << rCode << rMsg << filePath;
    if (m_waitingFor != Step::Upload) {
        qDebug() << "slot_upLoadResult: late answer dropped";
        return;
    }
    m_serverMessage = rMsg;
    if (rCode == 0)
        m_uploadedPath = filePath;
    finishUploadStep(rCode);
}

void CloudSyncWidget::slot_saveConfigResult(int rCode, QString rMsg)
{
    qDebug() << "slot_saveConfigResult" << rCode << rMsg;
    if (m_waitingFor != Step::Save) {
        qDebug() << "slot_saveConfigResult: late answer dropped";
        return;
    }
    m_serverMessage = rMsg;
    finishUploadStep(rCode);
}

void CloudSyncWidget::noteLoginExpired()
{
    emit sig_EndLoadingDialog();
    warn(Warning::NotLoggedIn);
    m_loginWarningShown = true;
}

void CloudSyncWidget::finishUploadStep(int rCode)
{
    if (rCode == kLoginExpiredCode)
        noteLoginExpired();
    m_uploadState = rCode == 0 ? 1 : 2;
    sendUiEvent(languageText(100), QString::fromUtf8(rCode == 0 ? kSuccessLabel : kFailureLabel));
}

// Download ------------------------------------------------------------------------------------

void CloudSyncWidget::slot_startToDownLoadFiles()
{
    if (!beginTransfer("slot_startToDownLoadFiles"))
        return;
    QPointer<CloudSyncWidget> self(this);
    emit sig_ShowLoadingDialog();
    qDebug() << "slot_startToDownLoadFiles";

    bool macrosReplaced = false;
    bool reload = false;
    if (askDownloadPath(QString()) == 1 && self && downloadInto(m_downloadPath, getMacroFilesDir()) && self) {
        macrosReplaced = true;
        const int state = askDownloadPath(modelKey());
        if (!self)
            return;
        if (state == 1) {
            reload = downloadInto(m_downloadPath, getConfigMouseLocalDir(currentMouseType()));
        } else if (state == 3) {
            // No cloud copy of this model: the macros came, the profiles stay.
            reload = true;
        }
    }
    if (!self)
        return;
    if (reload) {
        emit sig_LoadConfigFileAfterDownloadSucced(1);
        emit sig_LoadMacroFile();
        emit sig_EndLoadingDialog();
        warn(Warning::DownloadDone);
    } else {
        if (macrosReplaced)
            emit sig_LoadMacroFile();
        failDownload();
    }
    endTransfer();
}

void CloudSyncWidget::failDownload()
{
    emit sig_EndLoadingDialog();
    if (!m_loginWarningShown)
        warnWithMessage(Warning::DownloadFailed, m_serverMessage);
}

int CloudSyncWidget::askDownloadPath(const QString &configType)
{
    QPointer<CloudSyncWidget> self(this);
    m_downloadPathState = 0;
    m_downloadPath.clear();
    m_waitingFor = Step::DownloadPath;
    emit sig_GetDownLoadFilePath(configType);
    const int state = waitFor(&CloudSyncWidget::m_downloadPathState, Step::DownloadPath, kStepTimeoutMs);
    if (!self)
        return 0;
    if (state != 1)
        qDebug() << "sig_GetDownLoadFilePath waitFlagTimeOut" << state;
    if (state == 0)
        m_getPath->abortPending();
    if (state == 4 && m_serverMessage.isEmpty())
        m_serverMessage = languageText(kNetworkErrorText);
    return state;
}

void CloudSyncWidget::slot_getDownLoadFilePathResult(int rCode, QString rConfigType, QString rMsg, QString path)
{
    qDebug() << "slot_getDownLoadFilePathResult" << rCode << rConfigType << rMsg << path;
    if (m_waitingFor != Step::DownloadPath) {
        qDebug() << "slot_getDownLoadFilePathResult: late answer dropped";
        return;
    }
    m_serverMessage = rMsg;
    if (rCode == kLoginExpiredCode) {
        qDebug() << "slot_getDownLoadFilePathResult Login Failed";
        noteLoginExpired();
        m_downloadPathState = 2;
        return;
    }
    if (rCode == -1) {
        m_downloadPathState = 4;
        return;
    }
    if (rCode != 0) {
        m_downloadPathState = 2;
        sendUiEvent(languageText(101), QString::fromUtf8(kFailureLabel));
        return;
    }
    m_downloadPath = path;
    if (path.isEmpty()) {
        // The service's "success" is no reason to show for a failed step.
        const bool macros = rConfigType == QLatin1String(kMacroConfigType);
        m_serverMessage = macros ? languageText(kNoMacroCopyText) : QString();
        m_downloadPathState = macros ? 2 : 3;
        return;
    }
    m_downloadPathState = 1;
    sendUiEvent(languageText(101), QString::fromUtf8(kSuccessLabel));
}

void CloudSyncWidget::dropDownloader()
{
    if (!m_downloader)
        return;
    // Its network access manager ends a transfer still under way.
    m_downloader->disconnect(this);
    delete m_downloader;
    m_downloader = nullptr;
}

void CloudSyncWidget::startDownload(const QString &path)
{
    // A fresh downloader per archive: no answer of an abandoned download can
    // pass for this one's.
    dropDownloader();
    m_downloader = new FileDownloader(this);
    m_downloader->setMaximumSize(kMaxDownloadBytes);
    connect(m_downloader, &FileDownloader::downloaded, this, &CloudSyncWidget::slot_saveFile);
    m_downloader->startDownlod(QUrl(path));
}

bool CloudSyncWidget::downloadInto(const QString &url, const QString &target)
{
    QPointer<CloudSyncWidget> self(this);
    m_downloadedFlag = 0;
    m_downloadedData.clear();
    m_waitingFor = Step::Download;
    emit sig_StartDownload(url);
    const int flag = waitFor(&CloudSyncWidget::m_downloadedFlag, Step::Download, kDownloadTimeoutMs);
    if (!self)
        return false;
    if (flag != 1) {
        qDebug() << "download failed" << flag << url;
        dropDownloader();
        m_serverMessage = languageText(kNetworkErrorText);
        return false;
    }
    const bool unpacked = discondenseDownLoadFile(target);
    m_downloadedData.clear();
    return unpacked;
}

void CloudSyncWidget::slot_saveFile()
{
    if (m_waitingFor != Step::Download || !m_downloader) {
        qDebug() << "slot_saveFile: late answer dropped";
        return;
    }
    const bool ok = m_downloader->succeeded();
    m_downloadedData = m_downloader->downloadedData();
    qDebug() << "saveFile fileUrlPath" << m_downloadPath;
    qDebug() << "saveFile file size " << m_downloadedData.size() << (ok ? "" : m_downloader->errorString());
    m_downloadedFlag = ok ? 1 : 2;
}

bool CloudSyncWidget::discondenseDownLoadFile(const QString &target)
{
    emit sig_DiscondenseFile(target);
    qDebug() << "discondenseDownLoadFile" << target;
    const ArchiveResult result = replaceFolderFromArchive(m_downloadedData, target, m_limits);
    ++m_extractCount;
    if (result.ok()) {
        sendUiEvent(languageText(101), QString::fromUtf8(kSuccessLabel));
        qDebug() << "Succed to discondenseFile " << m_extractCount << result.files << result.folders;
        return true;
    }
    sendUiEvent(languageText(101), QString::fromUtf8(kFailureLabel));
    qDebug() << "Failed to discondenseFile " << m_extractCount << archiveErrorName(result.error) << result.detail;
    qDebug() << "Failed to discondenseFile " << target;
    m_serverMessage = languageText(result.error == ArchiveError::WriteFailed ? kSwapFailedText : kArchiveRefusedText);
    return false;
}
