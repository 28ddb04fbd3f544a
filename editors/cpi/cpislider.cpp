#include "editors/cpi/cpislider.h"

#include "discovery/cpiranges.h"

#include <QDebug>
#include <QMouseEvent>
#include <QWheelEvent>

namespace {
const char kGrooveStyle[] =
    "QSlider::groove:horizontal{height:2px;background:#616161;border:none;}"
    "QSlider::sub-page:horizontal{height:2px;background:#40C5DD;border:none;}"
    "QSlider::add-page:horizontal{height:2px;background:#616161;border:none;}"
    "QSlider::handle:horizontal{width:10px;height:10px;margin:-4px 0;border-radius:5px;"
    "background:#40C5DD;}"
    "QSlider::handle:horizontal:disabled{background:#616161;}"
    "QSlider::sub-page:horizontal:disabled{background:#616161;}";
}

CPISlider::CPISlider(QWidget *parent)
    : QSlider(Qt::Horizontal, parent)
{
    resize(200, 10);
    setFocusPolicy(Qt::NoFocus);
    setStyleSheet(QString::fromLatin1(kGrooveStyle));
}

QString CPISlider::logName(const char *event) const
{
    return QString::fromLatin1(metaObject()->className()) + QStringLiteral("::") + QLatin1String(event);
}

void CPISlider::jumpTo(int x)
{
    setValue(sliderValueAtPosition(x, width(), minimum(), maximum()));
}

void CPISlider::mousePressEvent(QMouseEvent *event)
{
    qDebug() << logName("mousePressEvent");
    emit sig_IsMovingSlider(true);
    if (event->button() == Qt::LeftButton)
        jumpTo(event->pos().x());
    event->accept();
}

void CPISlider::mouseMoveEvent(QMouseEvent *event)
{
    qDebug() << logName("mouseMoveEvent");
    if (event->buttons() & Qt::LeftButton)
        jumpTo(event->pos().x());
    event->accept();
}

void CPISlider::mouseReleaseEvent(QMouseEvent *event)
{
    qDebug() << logName("mouseReleaseEvent");
    emit sig_IsMovingSlider(false);
    if (event->button() == Qt::LeftButton)
        snapAndReport();
    event->accept();
}

void CPISlider::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}

OneKindSingleStepCPISlider::OneKindSingleStepCPISlider(int minimum, int maximum, int singleStep, QWidget *parent)
    : CPISlider(parent)
    , m_step(singleStep)
{
    setRange(minimum, maximum);
    setSingleStep(singleStep);
    setPageStep(singleStep);
}

void OneKindSingleStepCPISlider::slot_CPISliderValueChange(int value)
{
    const int snapped = snapOneStepSlider(value, m_step);
    setValue(snapped);
    qDebug() << "slot_CPISliderValueChange" << snapped;
    emit sig_SliderValueChange(snapped);
    emit sig_CpiSliderChange(true);
}

void OneKindSingleStepCPISlider::snapAndReport()
{
    slot_CPISliderValueChange(value());
}

TwoKindStepCPISlider::TwoKindStepCPISlider(int minimum, int maximum, int fineStep, int coarseStep, int threshold,
                                           QWidget *parent)
    : CPISlider(parent)
    , m_fineStep(fineStep)
    , m_coarseStep(coarseStep)
    , m_threshold(threshold)
{
    setRange(minimum, maximum);
    setSingleStep(fineStep);
    setPageStep(fineStep);
}

void TwoKindStepCPISlider::sliderValueChange(int value)
{
    const int snapped = snapTwoStepSlider(value, minimum(), maximum(), m_fineStep, m_coarseStep, m_threshold);
    const int step = value < m_threshold ? m_fineStep : m_coarseStep;
    const int remainder = step > 0 && value >= minimum() && value <= maximum() ? value % step : 0;
    qDebug() << "sliderValueChange" << value << m_fineStep << m_coarseStep << remainder << snapped;
    setValue(snapped);
    emit sig_SliderValueChange(snapped);
    emit sig_CpiSliderChange(true);
}

void TwoKindStepCPISlider::snapAndReport()
{
    sliderValueChange(value());
}
