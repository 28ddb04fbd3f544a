#include "shell/window/titlewidget.h"

#include <QApplication>
#include <QMouseEvent>

TitleWidget::TitleWidget(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Title_Widget"));
    setAttribute(Qt::WA_StyledBackground);
}

QWidget *TitleWidget::movedWindow() const
{
    QWidget *p = parentWidget();
    return p && p->parentWidget() ? p->parentWidget() : nullptr;
}

void TitleWidget::mousePressEvent(QMouseEvent *event)
{
    QWidget *window = movedWindow();
    if (!window) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    m_offset = mapToGlobal(event->pos()) - window->pos();
    event->accept();
}

void TitleWidget::mouseMoveEvent(QMouseEvent *event)
{
    QWidget *window = movedWindow();
    if (!window || !m_pressed || event->buttons() == Qt::NoButton) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint target = mapToGlobal(event->pos()) - m_offset;
    if (target.manhattanLength() > QApplication::startDragDistance())
        window->move(target);
    event->accept();
}

void TitleWidget::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressed = false;
    QWidget::mouseReleaseEvent(event);
}
