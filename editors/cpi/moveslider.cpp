#include "editors/cpi/moveslider.h"

#include "discovery/cpiranges.h"

#include <QDebug>
#include <QMouseEvent>

MoveSlider::MoveSlider(QWidget *parent)
    : QSlider(Qt::Horizontal, parent)
{
    setFocusPolicy(Qt::NoFocus);
    setStyleSheet(QStringLiteral(
        "QSlider::groove:horizontal{height:2px;background:#616161;border:none;}"
        "QSlider::sub-page:horizontal{height:2px;background:#40C5DD;border:none;}"
        "QSlider::add-page:horizontal{height:2px;background:#616161;border:none;}"
        "QSlider::handle:horizontal{width:10px;height:10px;margin:-4px 0;border-radius:5px;"
        "background:#40C5DD;}"
        "QSlider::handle:horizontal:disabled{background:#616161;}"));
    installEventFilter(this);
    setCPIType(5, 100, 200, 10);
}

void MoveSlider::setCPIType(int minimum, int maximum, int width, int height)
{
    resize(width, height);
    setMaximum(maximum);
    setMinimum(minimum);
    setSingleStep(1);
    setPageStep(1);
    m_minimum = minimum;
    m_maximum = maximum;
    qDebug() << "MoveSlider::setCPIType minimum maximum" << minimum << maximum;
}

void MoveSlider::slot_MoveSliderValueChange(int value)
{
    if (value < m_minimum || value > m_maximum)
        return;
    setValue(value);
    emit sig_ValueChange(value);
}

bool MoveSlider::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != this || !isEnabled())
        return QSlider::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (e->button() == Qt::LeftButton) {
            setValue(sliderValueAtPosition(e->pos().x(), width(), minimum(), maximum()));
            return true;
        }
        break; // the middle button keeps the standard behaviour
    }
    case QEvent::MouseMove: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (e->buttons() & (Qt::LeftButton | Qt::MiddleButton)) {
            setValue(sliderValueAtPosition(e->pos().x(), width(), minimum(), maximum()));
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (e->button() == Qt::LeftButton || e->button() == Qt::MiddleButton) {
            qDebug() << "MoveSlider release" << value() << m_minimum << m_maximum;
            slot_MoveSliderValueChange(value());
            if (e->button() == Qt::LeftButton)
                return true;
        }
        break;
    }
    case QEvent::Wheel:
        // A wheel turn would move the slider without reporting the value.
        return true;
    default:
        break;
    }
    return QSlider::eventFilter(watched, event);
}
