#pragma once

#include "cloud/archive.h"
#include "config/inistores.h"

#include <QByteArray>
#include <QString>
#include <QWidget>

#include <memory>

namespace Ui {
class CloudSyncWidget;
}

class Clock;
class FileDownloader;
class GetDownLoadFilePath;
class SaveConfigInfo;
class UpdatePasswdAccount;
class UploadFile;

// The cloud-sync page: shows the logged-in user, changes the password,
// uploads the model's profile folder and the macro folder to the account's
// cloud space and downloads them back in place of the local files. It owns
// its service calls and the downloader. A transfer runs as a sequence of
// steps, each waiting for its answer while the event loop keeps the window
// alive; only one transfer runs at a time and both transfer buttons are off
// meanwhile. Without a configured service the page says so instead.
// GUI thread only.
class CloudSyncWidget : public QWidget
{
    Q_OBJECT

public:
    explicit CloudSyncWidget(QWidget *parent = nullptr);
    ~CloudSyncWidget() override;

    // The clock of the waits (tests give a virtual one); nullptr: real time.
    void setWaitClock(Clock *clock);
    // What a downloaded archive may unpack to.
    void setArchiveLimits(const ArchiveLimits &limits) { m_limits = limits; }

    // Reads the service setting again: the page, or the notice that no
    // service is configured. The window calls it before showing the page.
    void refreshServiceState();
    bool hasService() const;
    bool isTransferRunning() const { return m_transferRunning; }

    // Log-out: forgets the user shown and clears every field and message.
    void resetPage();
    // Leaving the page: the password fields are cleared.
    void clearPasswordFields();

signals:
    void sig_ShowWarningDialogOnCloudSyncWidget(int type);
    void sig_ShowWarningDialogWithSpecifyMessageOnCloudSyncWidget(int type, QString message);
    void sig_ShowEditHeadImageDialogOnCloudSyncWidget();
    void sig_LoadConfigFileAfterDownloadSucced(int i);
    void sig_LoadMacroFile();
    void sig_UpdatePassword(QString email, QString passwd, QString rePasswd);
    void sig_UploadConfigFile(QString fileName, bool state);
    void sig_SaveConfig(QString filePath, QString configType, QString kind);
    void sig_GetDownLoadFilePath(QString configType);
    void sig_StartDownload(QString path);
    void sig_DiscondenseFile(QString path);
    void sig_RemoveOldFile();
    void sig_ShowLoadingDialog();
    void sig_EndLoadingDialog();
    void sig_SendUIEventMessageToGA(const QString &category, const QString &action, const QString &Label,
                                    const QString &viewScreen);

public slots:
    void setUserNameLineEdit(const QString &text);
    void checkPasswordIsDone();
    void on_ChangePasswordButton_clicked();
    void slot_changePasswordResult(int rCode, QString rMsg);
    void on_UploadButton_clicked();
    void on_DownloadButton_clicked();
    void on_HeadImageButton_clicked();
    // Run after the confirmations (warning types 2 and 4).
    void slot_startToUploadConfigFiles();
    void slot_startToDownLoadFiles();

    void slot_upLoadResult(int rCode, QString rMsg, QString filePath);
    void slot_saveConfigResult(int rCode, QString rMsg);
    void slot_getDownLoadFilePathResult(int rCode, QString rConfigType, QString rMsg, QString path);
    void slot_saveFile();

private:
    // The step whose answer a wait expects; answers to any other are late
    // answers of a step that gave up, and are dropped.
    enum class Step { None, Upload, Save, DownloadPath, Download };

    void setTexts();
    void sendUiEvent(const QString &action, const QString &label);
    void showPasswordMessage(const QString &text);
    void warn(int type);
    // An expired login ends the loading dialog and says so, once.
    void noteLoginExpired();
    // The upload and the save step end alike: state, event, and the
    // login warning for an expired login.
    void finishUploadStep(int rCode);
    void warnWithMessage(int type, const QString &message);

    // The upload or download button: confirmation first, unless a transfer
    // runs or no mouse is there.
    void askForTransfer(int buttonText, int confirmation);
    bool beginTransfer(const char *what);
    void endTransfer();
    // Waits until the field is non-zero or timeoutMs passed; returns it.
    int waitFor(int CloudSyncWidget::*field, Step step, int timeoutMs);

    bool uploadArchive(bool macro);
    void uploadFailed();
    int askDownloadPath(const QString &configType);
    bool downloadInto(const QString &url, const QString &target);
    bool discondenseDownLoadFile(const QString &target);
    void startDownload(const QString &path);
    void dropDownloader();
    void failDownload();

    std::unique_ptr<Ui::CloudSyncWidget> m_ui;
    UpdatePasswdAccount *m_updatePassword;
    UploadFile *m_upload;
    SaveConfigInfo *m_save;
    GetDownLoadFilePath *m_getPath;
    FileDownloader *m_downloader = nullptr;
    OperateToken m_token;
    Clock *m_clock;
    ArchiveLimits m_limits;

    QString m_serverMessage;
    int m_uploadState = 0;       // 0 waiting, 1 success, 2 failure
    int m_downloadPathState = 0; // 0 waiting, 1 path, 2 failure, 3 no copy of the model, 4 network error
    int m_downloadedFlag = 0;    // 0 waiting, 1 downloaded, 2 the download failed
    QString m_uploadedPath;
    QString m_downloadPath;
    QByteArray m_downloadedData;
    bool m_isMacro = false;
    int m_extractCount = 0;

    Step m_waitingFor = Step::None;
    bool m_transferRunning = false;
    // Warning 18 was shown in this transfer: a second dialog would say less.
    bool m_loginWarningShown = false;
};
