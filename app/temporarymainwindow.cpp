#include "temporarymainwindow.h"

#include <QVBoxLayout>

TemporaryMainWindow::TemporaryMainWindow(QWidget *parent)
    : QWidget(parent)
    , m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("MainWindow"));
    setFixedSize(960, 640);
    setWindowTitle(QStringLiteral("OX8Driver"));
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral("OX8Driver"), this);
    title->setObjectName(QStringLiteral("TitleLabel"));
    title->setAlignment(Qt::AlignCenter);
    m_status->setAlignment(Qt::AlignCenter);
    m_status->setText(tr("The configuration pages are not built yet."));
    layout->addStretch();
    layout->addWidget(title);
    layout->addWidget(m_status);
    layout->addStretch();
}

void TemporaryMainWindow::slotMessageReceived(const QString &message)
{
    Q_UNUSED(message)
    showNormal();
    raise();
    activateWindow();
}
