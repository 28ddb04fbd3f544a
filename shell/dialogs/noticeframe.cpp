#include "shell/dialogs/noticeframe.h"

#include <QDialog>
#include <QLabel>
#include <QTextEdit>

namespace noticeframe {

void setUpOverlay(QDialog *dialog, const QString &objectName)
{
    dialog->setObjectName(objectName);
    // Frameless alone makes the dialog a child widget laid over the window.
    dialog->setWindowFlags(Qt::FramelessWindowHint);
    dialog->setAttribute(Qt::WA_StyledBackground);
    dialog->setStyleSheet(objectName + QStringLiteral(" { background-color: rgba(0, 0, 0, 0.6); }"));
    dialog->setGeometry(0, 0, kOverlayWidth, kOverlayHeight);
}

Parts build(QWidget *overlay, int bodyHeight)
{
    Parts p{};
    p.frame = new QWidget(overlay);
    p.frame->setObjectName(QStringLiteral("WarningWidget"));
    p.frame->setAttribute(Qt::WA_StyledBackground);
    p.frame->setGeometry(kX, kY, kWidth, kHeight);

    p.title = new QLabel(p.frame);
    p.title->setObjectName(QStringLiteral("Title_Label"));
    p.title->setGeometry(20, 12, kWidth - 40, 26);

    p.body = new QTextEdit(p.frame);
    p.body->setObjectName(QStringLiteral("WarningTextEdit"));
    p.body->setReadOnly(true);
    // Text to read (and copy), not a stop for Tab between the buttons.
    p.body->setFocusPolicy(Qt::ClickFocus);
    QFont bodyFont = p.body->font();
    bodyFont.setPixelSize(14);
    p.body->setFont(bodyFont);
    p.body->setFrameShape(QFrame::NoFrame);
    p.body->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    p.body->setGeometry(16, 40, kWidth - 32, bodyHeight);
    return p;
}

} // namespace noticeframe
