#include "update/widgets/supportwidget.h"

#include "config/languagetable.h"
#include "config/paths.h"
#include "config/servicesettings.h"
#include "config/warningtype.h"
#include "discovery/models.h"
#include "editors/textfit.h"
#include "platform/urlopener.h"
#include "update/firmwarepackage.h"
#include "update/lastversion.h"
#include "update/updaterules.h"
#include "ui_supportwidget.h"

#include <QCoreApplication>
#include <QDebug>

namespace {
const char kUiEventCategory[] = "UI事件";
const char kButtonAction[] = "按钮";
const char kViewScreen[] = "SupportWidget";

constexpr int kSoftwareVersionText = 520;
constexpr int kFirmwareVersionText = 521;
constexpr int kNoFirmwareVersionText = 761;
constexpr int kNoDownloadText = 762;
constexpr int kNotAPackageText = 763;
constexpr int kNotStoredText = 764;
// A download that stops sending for this long has failed.
constexpr int kDownloadStallMs = 60000;
} // namespace

SupportWidget::SupportWidget(QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::SupportWidget>())
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_StyledBackground);
    setTexts();

    m_lastVersion = new LastVersion;
    m_lastVersion->moveToThread(&m_lastVersionThread);
    connect(&m_lastVersionThread, &QThread::finished, m_lastVersion, &QObject::deleteLater);
    m_lastVersionThread.setObjectName(QStringLiteral("supportLastVersionThread"));
    m_lastVersionThread.start();
    const auto q = Qt::QueuedConnection;
    connect(this, &SupportWidget::sig_CheckLastFirmVersion, m_lastVersion, &LastVersion::RpLastFirmVersionJson, q);
    connect(m_lastVersion, &LastVersion::sigLastVersionRet, this, &SupportWidget::slot_LastVersionRet, q);

    m_downloader.setTransferTimeout(kDownloadStallMs);
    connect(&m_downloader, &FileDownloader::downloaded, this, &SupportWidget::slot_saveFile);
    connect(&m_downloader, &FileDownloader::sig_Progress, this, &SupportWidget::onDownloadProgress);
}

SupportWidget::~SupportWidget()
{
    m_lastVersionThread.quit();
    m_lastVersionThread.wait();
}

void SupportWidget::setTexts()
{
    m_ui->SoftVareLabel->setText(QStringLiteral("%1: %2")
                                     .arg(languageText(kSoftwareVersionText), QCoreApplication::applicationVersion()));
    m_ui->VersionLabel->setText(languageText(kFirmwareVersionText));
    fitButtonText(m_ui->CheckUpdateButton, languageText(522));
    fitButtonText(m_ui->CheckSoftwareUpdateButton, languageText(523));
    m_ui->TanksLabel->setText(languageText(524));
    fitButtonText(m_ui->OfficialWebsiteButton, languageText(525));
    m_ui->Rightext->setText(languageText(526));
}

void SupportWidget::sendUiEvent(const QString &buttonText)
{
    emit sig_SendUIEventMessageToGA(QString::fromUtf8(kUiEventCategory), buttonText + QString::fromUtf8(kButtonAction),
                                    QString(), QString::fromLatin1(kViewScreen));
}

void SupportWidget::setVersionNumber(int versionNumber)
{
    m_versionNumber = versionNumber;
    qDebug() << "setVersionNumber" << versionNumber;
    m_ui->VersionLabel->setText(QStringLiteral("%1: %2%3")
                                    .arg(languageText(kFirmwareVersionText), QStringLiteral("0.0."))
                                    .arg(versionNumber));
}

void SupportWidget::on_CheckUpdateButton_clicked()
{
    sendUiEvent(m_ui->CheckUpdateButton->toolTip());
    m_checkedType = currentMouseType();
    emit sig_CheckLastFirmVersion(getModelFolderName(m_checkedType));
    m_ui->CheckUpdateButton->setEnabled(false);
}

void SupportWidget::on_CheckSoftwareUpdateButton_clicked()
{
    emit sig_CheckSoftwareIsLastVersion();
    m_ui->CheckSoftwareUpdateButton->setEnabled(false);
}

void SupportWidget::slot_SoftwareCheckFinished()
{
    m_ui->CheckSoftwareUpdateButton->setEnabled(true);
}

void SupportWidget::on_OfficialWebsiteButton_clicked()
{
    sendUiEvent(m_ui->OfficialWebsiteButton->toolTip());
    if (isAllowedBrowserUrl(m_website))
        urlOpener().open(m_website);
    else
        qDebug() << "on_OfficialWebsiteButton_clicked: no web site to open" << m_website;
}

void SupportWidget::slot_LastVersionRet(int rCode, QString rMsg, QString version, QString path, QString versionDate)
{
    m_ui->CheckUpdateButton->setEnabled(true);
    m_downloadPath.clear();
    m_versionDate.clear();
    // An answer that no click here asked for is about the mouse now attached.
    if (m_checkedType == NoModel)
        m_checkedType = currentMouseType();
    qDebug() << "slot_LastVersionRet" << rCode << rMsg << version << path << versionDate;
    qDebug() << "slot_LastVersionRet versionNumber" << m_versionNumber;

    switch (firmwareCheckOutcome(rCode, version, path, m_versionNumber)) {
    case FirmwareCheckOutcome::UpToDate:
        emit sig_ShowWarningWidgetOnSupportWidget(Warning::FirmwareUpToDate);
        break;
    case FirmwareCheckOutcome::NewerAvailable:
        m_downloadPath = path;
        m_versionDate = versionDate;
        emit sig_ShowWarningWidgetOnSupportWidget(Warning::NewerFirmware);
        break;
    case FirmwareCheckOutcome::Failed:
        emit sig_ShowWarningWidgetWithSpecifyMessageOnSupportWidget(Warning::FirmwareCheckFailed, rMsg);
        break;
    case FirmwareCheckOutcome::NoVersion:
        emit sig_ShowWarningWidgetWithSpecifyMessageOnSupportWidget(Warning::FirmwareCheckFailed,
                                                                     languageText(kNoFirmwareVersionText));
        break;
    case FirmwareCheckOutcome::NoDownload:
        emit sig_ShowWarningWidgetWithSpecifyMessageOnSupportWidget(Warning::FirmwareCheckFailed,
                                                                     languageText(kNoDownloadText));
        break;
    }
}

void SupportWidget::slot_StartUpdateFirmWare()
{
    qDebug() << "slot_StartUpdateFirmWare" << m_downloadPath;
    // One download at a time, and only of what a check offered.
    if (m_downloading)
        return;
    // Without a model there is no size limit to hold a body to, and no
    // folder to store it in.
    if (m_downloadPath.isEmpty() || m_checkedType == NoModel) {
        emit sig_ShowWarningWidgetOnSupportWidget(Warning::FirmwareCheckFailed);
        return;
    }
    m_downloading = true;
    m_downloader.setMaximumSize(packageSizeLimit(m_checkedType));
    m_downloader.startDownlod(QUrl(m_downloadPath, QUrl::StrictMode));
    emit sig_ShowWarningWidgetOnSupportWidget(Warning::DownloadProgress);
}

void SupportWidget::onDownloadProgress(qint64 received, qint64 total)
{
    if (total > 0)
        emit sig_DownloadProgress(int(qBound(qint64(0), received * 100 / total, qint64(100))));
}

void SupportWidget::failDownload(int messageText)
{
    qDebug() << "slot_saveFile FAILED";
    // The progress display goes first, so the failure notice stays.
    emit sig_closeUpdateWidget();
    if (messageText > 0)
        emit sig_ShowWarningWidgetWithSpecifyMessageOnSupportWidget(Warning::FirmwareCheckFailed,
                                                                     languageText(messageText));
    else
        emit sig_ShowWarningWidgetOnSupportWidget(Warning::FirmwareCheckFailed);
}

void SupportWidget::slot_saveFile()
{
    m_downloading = false;
    const int type = m_checkedType;
    qDebug() << "slot_saveFile" << packagePath(type, PackageSource::Clouds);
    if (!m_downloader.succeeded()) {
        qDebug() << "slot_saveFile download failed:" << m_downloader.errorString();
        failDownload(0);
        return;
    }
    const QByteArray data = m_downloader.downloadedData();
    if (checkPackage(type, data, m_downloader.contentType()) != PackageVerdict::Ok) {
        failDownload(kNotAPackageText);
        return;
    }
    if (!storeCloudPackage(type, data, m_downloader.contentType(), m_versionDate)) {
        failDownload(kNotStoredText);
        return;
    }
    qDebug() << "slot_saveFile TRUE";
    emit sig_closeUpdateWidget();
    emit sig_ShowUpdateWidget(false, false, type, false);
}
