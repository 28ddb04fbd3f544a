#include "shell/dialogs/needdevicedialog.h"

#include "config/languagetable.h"
#include "shell/dialogs/noticeframe.h"
#include "editors/textfit.h"

#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

using namespace noticeframe;

NeedDeviceDialog::NeedDeviceDialog(QWidget *parent)
    : OverlayDialog(parent)
{
    setUpOverlay(this, QStringLiteral("NeedDeviceDialog"));
    const Parts frame = build(this, 96);
    m_warningWidget = frame.frame;
    fitButtonText(frame.title, languageText(252));
    frame.body->setPlainText(languageText(253));

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
