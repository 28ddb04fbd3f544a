#include "shell/dialogs/needdevicedialog.h"

#include "config/languagetable.h"
#include "shell/dialogs/noticeframe.h"
#include "editors/textfit.h"

#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

using namespace noticeframe;

namespace {
constexpr int kPlainBodyHeight = 96;
// The permission notice carries shell commands: a wider, taller frame.
constexpr QRect kWideFrame(170, 190, 620, 260);
constexpr int kWideBodyHeight = 168;
} // namespace

NeedDeviceDialog::NeedDeviceDialog(QWidget *parent)
    : OverlayDialog(parent)
{
    setUpOverlay(this, QStringLiteral("NeedDeviceDialog"));
    const Parts frame = build(this, kPlainBodyHeight);
    m_warningWidget = frame.frame;
    m_title = frame.title;
    m_body = frame.body;
    fitButtonText(m_title, languageText(252));
    m_body->setPlainText(languageText(253));

    m_repair = new QPushButton(m_warningWidget);
    m_repair->setObjectName(QStringLiteral("FirmwareRepairPushButton"));
    m_repair->setGeometry(kLeftButtonX, kButtonY, kButtonWidth, kButtonHeight);
    fitButtonText(m_repair, languageText(202));
    m_repair->hide();

    m_ok = new QPushButton(m_warningWidget);
    m_ok->setObjectName(QStringLiteral("OkButton"));
    m_ok->setGeometry(kRightButtonX, kButtonY, kButtonWidth, kButtonHeight);
    fitButtonText(m_ok, languageText(201));

    connect(m_ok, &QPushButton::clicked, this, &NeedDeviceDialog::on_OkButton_clicked);
    connect(m_repair, &QPushButton::clicked, this, &NeedDeviceDialog::on_FirmwareRepairPushButton_clicked);

    m_timer.setInterval(kRepairOfferMs);
    connect(&m_timer, &QTimer::timeout, this, &NeedDeviceDialog::slot_TimeOut);
    m_timer.start();
}

void NeedDeviceDialog::setNoPermissionHint(const QString &fixCommands)
{
    m_noPermission = !fixCommands.isEmpty();
    if (m_noPermission) {
        placeFrame(kWideFrame, kWideBodyHeight);
        fitButtonText(m_title, languageText(600));
        m_body->setPlainText(languageText(601).arg(QLatin1Char('\n') + fixCommands));
    } else {
        placeFrame(QRect(kX, kY, kWidth, kHeight), kPlainBodyHeight);
        fitButtonText(m_title, languageText(252));
        m_body->setPlainText(languageText(253));
    }
}

void NeedDeviceDialog::placeFrame(const QRect &frame, int bodyHeight)
{
    m_warningWidget->setGeometry(frame);
    m_title->setGeometry(20, 12, frame.width() - 40, 26);
    m_body->setGeometry(16, 40, frame.width() - 32, bodyHeight);
    const int buttonY = frame.height() - (kHeight - kButtonY);
    m_repair->move(kLeftButtonX, buttonY);
    m_ok->move(frame.width() - kLeftButtonX - kButtonWidth, buttonY);
}

void NeedDeviceDialog::setHiddenState(bool hide)
{
    if (hide) {
        QDialog::hide();
        m_timer.stop();
        m_repair->hide();
        return;
    }
    show();
    raise();
    m_timer.start(kRepairOfferMs);
}

void NeedDeviceDialog::slot_TimeOut()
{
    m_repair->show();
}

void NeedDeviceDialog::on_FirmwareRepairPushButton_clicked()
{
    emit sig_ShowUpdateWidget(true, true, 0, false);
}

void NeedDeviceDialog::on_OkButton_clicked()
{
    emit sig_closeWindow();
}
