#pragma once

#include <QSlider>

// The slider of one CPI row: jumps to the pointer while the left button is
// held and snaps to the model's grid on release, reporting the snapped value
// only then (the mouse is written once per drag, not on every pixel).
class CPISlider : public QSlider
{
    Q_OBJECT

public:
    explicit CPISlider(QWidget *parent = nullptr);

signals:
    void sig_SliderValueChange(int value);
    void sig_IsMovingSlider(bool state);
    void sig_CpiSliderChange(bool state);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    // The wheel would change the shown value without telling the mouse.
    void wheelEvent(QWheelEvent *event) override;

    // Snaps the current value, shows it and reports it.
    virtual void snapAndReport() = 0;

private:
    void jumpTo(int x);
    QString logName(const char *event) const;
};

// Fixed step over the whole range.
class OneKindSingleStepCPISlider : public CPISlider
{
    Q_OBJECT

public:
    OneKindSingleStepCPISlider(int minimum, int maximum, int singleStep, QWidget *parent = nullptr);

public slots:
    void slot_CPISliderValueChange(int value);

protected:
    void snapAndReport() override;

private:
    int m_step;
};

// Fine step below a threshold, coarse step from it upwards (OX7EU).
class TwoKindStepCPISlider : public CPISlider
{
    Q_OBJECT

public:
    TwoKindStepCPISlider(int minimum, int maximum, int fineStep, int coarseStep, int threshold,
                         QWidget *parent = nullptr);

    int fineStep() const { return m_fineStep; }
    int coarseStep() const { return m_coarseStep; }
    int threshold() const { return m_threshold; }

public slots:
    void sliderValueChange(int value);

protected:
    void snapAndReport() override;

private:
    int m_fineStep = 200;
    int m_coarseStep = 200;
    int m_threshold = 2000;
};
