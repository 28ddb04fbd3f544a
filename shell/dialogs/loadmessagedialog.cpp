#include "shell/dialogs/loadmessagedialog.h"

#include <QDebug>
#include <QLabel>
#include <QPixmap>
#include <QTransform>

namespace {
// The step counter runs 0..3 within a turn; 4 means the turn is complete.
constexpr int kStepsPerTurn = 4;
const char kSpinnerPicture[] = ":/picture/picture/load.png";
} // namespace

LoadMessageDialog::LoadMessageDialog(QWidget *parent)
    : OverlayDialog(parent, false)
{
    setObjectName(QStringLiteral("LoadMessageDialog"));
    // Frameless alone: a child widget laid over the window, not a window.
    setWindowFlags(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_StyledBackground);
    resize(960, 640);
    setStyleSheet(QStringLiteral("background-color: rgba(0, 0, 0,0.3);"));

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setGeometry(480, 320, 26, 26);
    m_label->setStyleSheet(QStringLiteral("background:transparent;"));
    m_label->setAlignment(Qt::AlignCenter);

    m_timer.setInterval(kStepIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &LoadMessageDialog::transform);

    slot_StartLoadingDialog();
}

void LoadMessageDialog::slot_StartLoadingDialog()
{
    qDebug() << "slot_StartLoadingDialog";
    m_timer.start(kStepIntervalMs);
    show();
    raise();
    m_stopRequested = false;
}

void LoadMessageDialog::slot_StopLoadingDialog()
{
    if (m_step < kStepsPerTurn) {
        m_stopRequested = true;
        return;
    }
    stopNow();
}

void LoadMessageDialog::flash()
{
    slot_StartLoadingDialog();
    slot_StopLoadingDialog();
}

void LoadMessageDialog::transform()
{
    if (m_step >= kStepsPerTurn) {
        if (m_stopRequested)
            stopNow();
        m_step = 0;
    }
    QPixmap spinner(QString::fromLatin1(kSpinnerPicture));
    if (!spinner.isNull())
        spinner = spinner.transformed(QTransform().rotate(m_step * 90), Qt::SmoothTransformation);
    m_label->setPixmap(spinner);
    ++m_step;
}

void LoadMessageDialog::stopNow()
{
    m_stopRequested = false;
    m_timer.stop();
    hide();
    qDebug() << "-----------";
}
