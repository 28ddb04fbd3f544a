#include "editors/cpi/cpiform.h"

#include "discovery/cpiranges.h"
#include "editors/cpi/cpislider.h"
#include "editors/cpi/uspinbox.h"
#include "ui_cpiform.h"

#include <QDebug>

CPIForm::CPIForm(QWidget *parent, int level)
    : QWidget(parent)
    , m_ui(new Ui::CPIForm)
    , m_level(level)
{
    m_ui->setupUi(this);
    m_ui->NumberLabel->setText(QString::number(level + 1));
}

CPIForm::~CPIForm()
{
    delete m_ui;
}

void CPIForm::setMouseType(int mouseType)
{
    m_mouseType = mouseType;
    // Slot connections die with the old pair.
    delete m_slider;
    delete m_spinBox;
    m_slider = nullptr;
    m_spinBox = nullptr;

    const CpiRange r = cpiRangeForModel(mouseType);
    m_minimum = r.minimum;
    if (r.twoSteps) {
        m_slider = new TwoKindStepCPISlider(r.minimum, r.maximum, r.step, r.coarseStep, r.threshold, m_ui->Downtempo);
        m_spinBox = new TwoKindsStepUSpinBox(r.minimum, r.maximum, r.step, r.coarseStep, r.threshold, m_ui->Downtempo);
    } else {
        m_slider = new OneKindSingleStepCPISlider(r.minimum, r.maximum, r.step, m_ui->Downtempo);
        m_spinBox = new OneKindStepUSpinBox(r.minimum, r.maximum, r.step, m_ui->Downtempo);
    }
    m_slider->setObjectName(QStringLiteral("CPISlider"));
    m_spinBox->setObjectName(QStringLiteral("CPISpinBox"));

    connect(m_spinBox, &USpinBox::sig_SpinBoxValueChange, this, &CPIForm::slot_SetCPISliderValue);
    connect(m_spinBox, &USpinBox::sig_SpinBoxValueShown, this, &CPIForm::slot_SetCPISliderValue);
    connect(m_spinBox, &USpinBox::sig_SpinBoxValueChange, this, &CPIForm::slot_ToSigCPISpinboxValue);
    connect(m_spinBox, &USpinBox::sig_CpiSliderChange, this, &CPIForm::sig_CpiSliderChange);
    connect(m_slider, &QSlider::valueChanged, this, &CPIForm::slot_SetCPISpinboxValue);
    connect(m_slider, &CPISlider::sig_SliderValueChange, this, &CPIForm::slot_ToSigCPISliderValue);
    connect(m_slider, &CPISlider::sig_CpiSliderChange, this, &CPIForm::sig_CpiSliderChange);

    m_slider->move(37, 3);
    m_spinBox->move(252, 0);
    m_slider->show();
    m_spinBox->show();
    setIsChangeable(m_ui->CPICheckBox->isChecked());

    m_ui->LeftLabel->setText(QString::number(r.minimum));
    m_ui->MiddleLabel->setText(QString::number(r.middle));
    m_ui->RightLabel->setText(QString::number(r.maximum));
}

void CPIForm::setCPIValue(int value, bool enabled)
{
    qDebug() << "CPIForm setCPIValue" << value << enabled << m_level;
    m_ui->CPICheckBox->setChecked(enabled);
    setIsChangeable(enabled);
    if (m_slider) {
        const bool blocked = m_slider->blockSignals(true);
        m_slider->setValue(value);
        m_slider->blockSignals(blocked);
    }
    if (m_spinBox)
        m_spinBox->setValue(value);
}

int CPIForm::returnValue() const
{
    const int v = m_spinBox ? m_spinBox->value() : 0;
    qDebug() << "CPIForm::returnValue" << v << m_minimum;
    if (v < m_minimum)
        return getDefaultCpiValue(m_mouseType, m_level);
    return v;
}

void CPIForm::setCheckEnabled(bool checkable)
{
    m_checkable = checkable;
    if (!checkable)
        m_isCheckState = false;
}

void CPIForm::setIsCheckState(bool state)
{
    m_isCheckState = m_checkable ? state : false;
    qDebug() << "CPIForm::setIsCheckState" << state << m_level;
}

bool CPIForm::isChecked() const
{
    return m_ui->CPICheckBox->isChecked();
}

void CPIForm::setIsChangeable(bool changeable)
{
    qDebug() << "CPIForm::setIsChangeable" << changeable << m_level;
    if (m_slider)
        m_slider->setEnabled(changeable);
    if (m_spinBox)
        m_spinBox->setEnabled(changeable);
}

void CPIForm::on_CPICheckBox_stateChanged(int state)
{
    if (state == Qt::Checked)
        setIsChangeable(true);
    else if (state == Qt::Unchecked)
        setIsChangeable(false);
}

void CPIForm::on_CPICheckBox_clicked()
{
    qDebug() << "on_CPICheckBox_clicked";
    if (!m_ui->CPICheckBox->isChecked()) {
        // The page decides whether the level may go off.
        emit sig_CheckIsLastOneCpi(m_level, returnValue());
        return;
    }
    const int v = returnValue();
    if (m_spinBox)
        m_spinBox->setValue(v);
    if (m_slider) {
        const bool blocked = m_slider->blockSignals(true);
        m_slider->setValue(v);
        m_slider->blockSignals(blocked);
    }
    emit sig_CurrentCPIValue(m_level, v);
    setIsCheckState(true);
}

void CPIForm::slot_ToSigCPISliderValue(int value)
{
    if (m_level >= 0 && m_level <= 6)
        emit sig_CurrentCPIValue(m_level, value);
}

void CPIForm::slot_ToSigCPISpinboxValue(int value)
{
    emit sig_CurrentCPIValue(m_level, value);
}

void CPIForm::slot_SetCPISliderValue(int value)
{
    if (m_slider)
        m_slider->setValue(value);
}

void CPIForm::slot_SetCPISpinboxValue(int value)
{
    if (m_spinBox)
        m_spinBox->setValue(value);
}
