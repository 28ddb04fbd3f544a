#include "shell/dialogs/warningdialog.h"

#include "config/inistores.h"
#include "config/languagetable.h"
#include "config/servicesettings.h"
#include "discovery/models.h"
#include "shell/dialogs/noticeframe.h"
#include "editors/textfit.h"
#include "platform/urlopener.h"
#include "shell/dialogs/vendorsite.h"

#include <QCheckBox>
#include <QDebug>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>

namespace {
const char kUiEventCategory[] = "UI事件";
const char kViewScreen[] = "WarningDialog";

using namespace noticeframe;
constexpr int kFrameX = noticeframe::kX;
constexpr int kFrameY = noticeframe::kY;
constexpr int kFrameWidth = noticeframe::kWidth;
constexpr int kFrameHeight = noticeframe::kHeight;
constexpr int kCancelX = kLeftButtonX;
constexpr int kOkX = kRightButtonX;
} // namespace

WarningDialog::WarningDialog(QWidget *parent)
    : OverlayDialog(parent)
{
    setUpOverlay(this, QStringLiteral("WarningDialog"));
    buildWidgets();
    resetToDefaults();

    m_warningWidget->hide();
    m_updateWidget->hide();
    m_batteryWidget->hide();
    m_wakeUp->hide();
    m_support->hide();
    m_noLongerRemind->hide();
}

void WarningDialog::buildWidgets()
{
    const Parts frame = build(this, 74);
    m_warningWidget = frame.frame;
    m_title = frame.title;
    m_text = frame.body;

    m_noLongerRemind = new QCheckBox(m_warningWidget);
    m_noLongerRemind->setObjectName(QStringLiteral("NoLongerRemindCheckBox"));
    m_noLongerRemind->setGeometry(20, 116, kFrameWidth - 40, 22);
    fitButtonText(m_noLongerRemind, languageText(368), 0.85);

    m_wakeUp = new QPushButton(m_warningWidget);
    m_wakeUp->setObjectName(QStringLiteral("WakeUpMouseFailePushButton"));
    m_wakeUp->setGeometry(20, 114, kFrameWidth - 40, 24);
    m_wakeUp->setFlat(true);
    m_wakeUp->setCursor(Qt::PointingHandCursor);
    fitButtonText(m_wakeUp, languageText(223), 1.2);

    m_support = new QPushButton(m_warningWidget);
    m_support->setObjectName(QStringLiteral("SupportButton"));
    m_support->setGeometry(20, 114, kFrameWidth - 40, 24);
    m_support->setFlat(true);
    m_support->setCursor(Qt::PointingHandCursor);
    fitButtonText(m_support, languageText(525));

    m_cancel = new QPushButton(m_warningWidget);
    m_cancel->setObjectName(QStringLiteral("Cancle_Button"));
    m_cancel->setGeometry(kCancelX, kButtonY, kButtonWidth, kButtonHeight);

    m_ok = new QPushButton(m_warningWidget);
    m_ok->setObjectName(QStringLiteral("OkButton"));
    m_ok->setGeometry(kOkX, kButtonY, kButtonWidth, kButtonHeight);
    m_ok->setDefault(true);

    m_updateWidget = new QWidget(this);
    m_updateWidget->setObjectName(QStringLiteral("UpdateWidget"));
    m_updateWidget->setAttribute(Qt::WA_StyledBackground);
    m_updateWidget->setGeometry(kFrameX, kFrameY, kFrameWidth, kFrameHeight);
    m_updatingLabel = new QLabel(m_updateWidget);
    m_updatingLabel->setObjectName(QStringLiteral("updatingLabel"));
    m_updatingLabel->setGeometry(20, 36, kFrameWidth - 40, 60);
    m_updatingLabel->setWordWrap(true);
    m_updatingLabel->setAlignment(Qt::AlignCenter);
    m_progressBar = new QProgressBar(m_updateWidget);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setGeometry(20, 112, kFrameWidth - 40, 18);
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);

    m_batteryWidget = new QWidget(this);
    m_batteryWidget->setObjectName(QStringLiteral("BattaryWidget"));
    m_batteryWidget->setAttribute(Qt::WA_StyledBackground);
    m_batteryWidget->setGeometry(kFrameX, kFrameY, kFrameWidth, kFrameHeight);
    auto *batteryText = new QLabel(m_batteryWidget);
    batteryText->setObjectName(QStringLiteral("label_3"));
    batteryText->setGeometry(20, 40, kFrameWidth - 40, 80);
    batteryText->setWordWrap(true);
    batteryText->setAlignment(Qt::AlignCenter);
    batteryText->setText(languageText(584));
    auto *closeBattery = new QPushButton(m_batteryWidget);
    closeBattery->setObjectName(QStringLiteral("CloseBattaryButton"));
    closeBattery->setGeometry(kFrameWidth - 32, 8, 24, 24);
    auto *closeBattery3 = new QPushButton(m_batteryWidget);
    closeBattery3->setObjectName(QStringLiteral("CloseBattaryButton_3"));
    closeBattery3->setGeometry(kFrameWidth - 32, kFrameHeight - 32, 24, 24);
    connect(closeBattery, &QPushButton::clicked, this, &QDialog::close);
    connect(closeBattery3, &QPushButton::clicked, this, &QDialog::close);

    connect(m_ok, &QPushButton::clicked, this, &WarningDialog::on_OkButton_clicked);
    connect(m_cancel, &QPushButton::clicked, this, &WarningDialog::on_Cancle_Button_clicked);
    connect(m_wakeUp, &QPushButton::clicked, this, &WarningDialog::on_WakeUpMouseFailePushButton_clicked);
    connect(m_support, &QPushButton::clicked, this, &WarningDialog::on_SupportButton_clicked);
}

void WarningDialog::resetToDefaults()
{
    m_title->clear();
    m_text->clear();
    fitButtonText(m_ok, languageText(116));
    fitButtonText(m_cancel, languageText(117));
    m_cancel->show();
    m_wakeUp->hide();
    m_support->hide();
    m_noLongerRemind->hide();
    m_noLongerRemind->setChecked(false);
    m_updateWidget->hide();
    m_batteryWidget->hide();
}

void WarningDialog::setWarningType(int type)
{
    m_warningType = type;
    resetToDefaults();

    const WarningTextNumbers t = warningTextNumbers(type);
    if (t.layout == WarningLayout::Progress) {
        m_warningWidget->hide();
        m_updateWidget->show();
        m_updatingLabel->setText(t.progressText >= 0 ? languageText(t.progressText) : QString());
        return;
    }

    m_warningWidget->show();
    if (t.layout == WarningLayout::Unknown)
        return;

    if (t.title >= 0)
        m_title->setText(languageText(t.title));
    if (t.body >= 0)
        m_text->setPlainText(languageText(t.body));
    if (t.okText >= 0)
        fitButtonText(m_ok, languageText(t.okText));
    // A type without a Cancel text of its own keeps the default one (117):
    // Cancel then only closes, so a notice never forces its OK action.
    if (t.cancelText >= 0)
        fitButtonText(m_cancel, languageText(t.cancelText));

    if (type == Warning::NewSoftwareAuto)
        m_noLongerRemind->show();
    // Waking up only concerns a mouse on its receiver.
    if (type == Warning::MouseNotResponding && isWirelessPid(m_currentPid))
        m_wakeUp->show();
    if (type == Warning::UpdateFailed)
        m_support->show();
}

void WarningDialog::setWarningTypeWithMessage(int type, const QString &message)
{
    setWarningType(type);
    if (!message.isEmpty() && !isProgressWarning(type))
        m_text->setPlainText(message);
}

void WarningDialog::setProgress(int percent)
{
    m_progressBar->setValue(qBound(0, percent, 100));
}

void WarningDialog::on_OkButton_clicked()
{
    close();
    runAction(warningOkAction(m_warningType));
    sendUiEvent(m_ok->toolTip());
}

void WarningDialog::on_Cancle_Button_clicked()
{
    close();
    runAction(warningCancelAction(m_warningType));
    sendUiEvent(m_cancel->toolTip());
}

void WarningDialog::escapePressed()
{
    // The progress display has no buttons: nothing to cancel there.
    if (m_warningWidget->isHidden() || m_cancel->isHidden())
        return;
    on_Cancle_Button_clicked();
}

void WarningDialog::on_WakeUpMouseFailePushButton_clicked()
{
    emit sig_SendUIEventMessageToGA(QString::fromUtf8(kUiEventCategory), m_title->text(), languageText(223),
                                    QString::fromLatin1(kViewScreen));
    setWarningType(Warning::WakeUpHelp);
}

void WarningDialog::on_SupportButton_clicked()
{
    emit sig_SendUIEventMessageToGA(QString::fromUtf8(kUiEventCategory), m_title->text(), m_support->toolTip(),
                                    QString::fromLatin1(kViewScreen));
    urlOpener().open(vendorSiteUrl());
}

void WarningDialog::runAction(WarningAction action)
{
    switch (action) {
    case WarningAction::None:
        break;
    case WarningAction::ResetMouse:
        emit sig_ResetMouseToOriginal();
        break;
    case WarningAction::StoreRemind:
        storeNoLongerRemind();
        break;
    case WarningAction::StoreRemindAndOpen: {
        storeNoLongerRemind();
        // The path comes from the server: only a web address goes to the
        // browser, anything else falls back to the download centre.
        const QUrl download(m_downloadPath, QUrl::StrictMode);
        urlOpener().open(isAllowedBrowserUrl(download) ? download
                                                       : vendorSiteUrl(QStringLiteral("/downloadcenter")));
        break;
    }
    case WarningAction::PrepareUpload:
        emit sig_ChangeConfiFileBeforeStartToUploadFile();
        break;
    case WarningAction::QuitUser:
        emit sig_QuitUser();
        break;
    case WarningAction::StartDownload:
        emit sig_StarToDownloadFile();
        break;
    case WarningAction::UpdateButtonEnable:
        emit sig_UpdateButtonEnable();
        break;
    case WarningAction::OpenMouseAgain:
        emit sig_OpenMouseAgain();
        break;
    case WarningAction::ExitSoftware:
        emit sig_exitSoftware();
        break;
    case WarningAction::ShowUpdateWidget:
        m_warningWidget->hide();
        emit sig_ShowUpdateWidget(false, true, currentMouseType(), false);
        break;
    case WarningAction::GetProfileAgain:
        emit sig_GetMouseProfileAgain();
        break;
    case WarningAction::GoToMatchCode:
        emit sig_GoToMatchCodePage();
        break;
    case WarningAction::DownloadAndUpdate:
        m_warningWidget->hide();
        emit sig_DownloadAndUpdateFirmwareNow();
        break;
    case WarningAction::GoToSupport:
        emit sig_GoToSupportWidget();
        break;
    case WarningAction::SaveProfileToConfig1:
        emit sig_SaveCurrentProfileFileToConfig1();
        break;
    case WarningAction::UpdateFirmware:
        emit sig_UpdateFirmwareNow();
        break;
    case WarningAction::UpdateFirmwareHalden:
        emit sig_UpdateFirmwareNow_Halden();
        break;
    case WarningAction::Restart:
        emit sig_RestartSoftware();
        break;
    case WarningAction::RecoverConfig1:
        emit sig_ConfigRevcover(1);
        break;
    }
}

void WarningDialog::storeNoLongerRemind()
{
    if (m_noLongerRemind->isChecked())
        writeNotRemind(1);
}

void WarningDialog::sendUiEvent(const QString &buttonText)
{
    emit sig_SendUIEventMessageToGA(QString::fromUtf8(kUiEventCategory), m_title->text(), buttonText,
                                    QString::fromLatin1(kViewScreen));
}
