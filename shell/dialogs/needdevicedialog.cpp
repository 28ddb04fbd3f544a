#include "needdevicedialog.h"

#include "languagetable.h"
#include "textfit.h"

#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

namespace {
constexpr int kFrameX = 314;
constexpr int kFrameY = 229;
constexpr int kFrameWidth = 332;
constexpr int kFrameHeight = 182;
constexpr int kButtonY = 142;
constexpr int kButtonWidth = 138;
constexpr int kButtonHeight = 28;
} // namespace

NeedDeviceDialog::NeedDeviceDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("NeedDeviceDialog"));
    setWindowFlags(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("NeedDeviceDialog { background-color: rgba(0, 0, 0, 0.6); }"));
    resize(960, 640);

    m_warningWidget = new QWidget(this);
    m_warningWidget->setObjectName(QStringLiteral("WarningWidget"));
    m_warningWidget->setAttribute(Qt::WA_StyledBackground);
    m_warningWidget->setGeometry(kFrameX, kFrameY, kFrameWidth, kFrameHeight);

    auto *title = new QLabel(m_warningWidget);
    title->setObjectName(QStringLiteral("Title_Label"));
    title->setGeometry(20, 12, kFrameWidth - 40, 26);
    fitButtonText(title, languageText(252));

    auto *text = new QTextEdit(m_warningWidget);
    text->setObjectName(QStringLiteral("WarningTextEdit"));
    text->setReadOnly(true);
    QFont bodyFont = text->font();
    bodyFont.setPixelSize(14);
    text->setFont(bodyFont);
    text->setFrameShape(QFrame::NoFrame);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text->setGeometry(16, 40, kFrameWidth - 32, 96);
    text->setPlainText(languageText(253));

    m_repair = new QPushButton(m_warningWidget);
    m_repair->setObjectName(QStringLiteral("FirmwareRepairPushButton"));
    m_repair->setGeometry(20, kButtonY, kButtonWidth, kButtonHeight);
    fitButtonText(m_repair, languageText(202));
    m_repair->hide();

    m_ok = new QPushButton(m_warningWidget);
    m_ok->setObjectName(QStringLiteral("OkButton"));
    m_ok->setGeometry(174, kButtonY, kButtonWidth, kButtonHeight);
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
