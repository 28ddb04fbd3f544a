#pragma once

#include "cloud/filedownloader.h"

#include <QString>
#include <QThread>
#include <QUrl>
#include <QWidget>

#include <memory>

namespace Ui {
class SupportWidget;
}

class LastVersion;

// The support page: the program's and the mouse's versions, the firmware
// check against the web service, the download of a newer package into
// APP/Update/Clouds/<model>/, and the request to open the update dialog
// once the package is stored. Warnings and the update dialog are the main
// window's: the page only asks for them through its signals.
//
// Threads: the page and its downloader live on the GUI thread; its version
// checker lives on a worker thread the page starts at construction and stops
// (quit, then wait) in its destructor, reached only through queued signals.
class SupportWidget : public QWidget
{
    Q_OBJECT

public:
    explicit SupportWidget(QWidget *parent = nullptr);
    ~SupportWidget() override;

    // The maker's site for the website button; only http(s) addresses open.
    void setOfficialWebsite(const QUrl &url) { m_website = url; }

    int versionNumber() const { return m_versionNumber; }
    // From the last reply that offered a newer firmware; empty otherwise.
    QString downloadPath() const { return m_downloadPath; }
    QString versionDate() const { return m_versionDate; }
    // The model the last check asked for; its package is what gets stored.
    int checkedMouseType() const { return m_checkedType; }
    bool isDownloading() const { return m_downloading; }
    FileDownloader &downloader() { return m_downloader; }

signals:
    void sig_ShowWarningWidgetOnSupportWidget(int type);
    void sig_ShowWarningWidgetWithSpecifyMessageOnSupportWidget(int type, QString message);
    void sig_closeUpdateWidget();
    void sig_CheckLastFirmVersion(QString modelName);
    void sig_ShowUpdateWidget(bool isChangeable, bool isLocalUpdateState, int mouseType, bool isUpdateNow);
    void sig_CheckSoftwareIsLastVersion();
    void sig_SendUIEventMessageToGA(QString category, QString action, QString Label, QString viewScreen);
    // Percent of the running download, for the download progress display.
    void sig_DownloadProgress(int percent);

public slots:
    void setVersionNumber(int versionNumber);
    void slot_StartUpdateFirmWare();
    void on_CheckUpdateButton_clicked();
    void slot_LastVersionRet(int rCode, QString rMsg, QString version, QString path, QString versionDate);
    void slot_saveFile();
    void on_OfficialWebsiteButton_clicked();
    void on_CheckSoftwareUpdateButton_clicked();
    // The main window has the answer to the software check.
    void slot_SoftwareCheckFinished();

private:
    void sendUiEvent(const QString &buttonText);
    void setTexts();
    void onDownloadProgress(qint64 received, qint64 total);
    void failDownload(int messageText);

    std::unique_ptr<Ui::SupportWidget> m_ui;
    LastVersion *m_lastVersion = nullptr;
    QThread m_lastVersionThread;
    FileDownloader m_downloader;

    int m_versionNumber = 0;
    int m_checkedType = 0;
    QString m_downloadPath;
    QString m_versionDate;
    bool m_downloading = false;
    QUrl m_website;
};
