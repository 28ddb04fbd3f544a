#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

// The small number box of one CPI row: a line edit with up and down buttons.
// Typed values are committed when editing finishes or the pointer leaves the
// box; the value then snaps to the model's grid and is reported.
class USpinBox : public QWidget
{
    Q_OBJECT

public:
    explicit USpinBox(QWidget *parent = nullptr);

    int value() const;
    // Shows value without reporting it.
    void setValue(int value);
    // Shows value (at least the minimum, at most the maximum) and reports it.
    void setValueAndNotify(int value);
    void setEnabled(bool enabled);
    bool isSpinEnabled() const { return m_enabled; }

    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int step() const { return m_step; }
    int coarseStep() const { return m_coarseStep; }
    int threshold() const { return m_threshold; }
    int lastValue() const { return m_lastValue; }

    QLineEdit *lineEdit() const { return m_lineEdit; }
    QPushButton *upButton() const { return m_upButton; }
    QPushButton *downButton() const { return m_downButton; }

signals:
    void sig_SpinBoxValueChange(int value);
    void sig_CpiSliderChange(bool type);

public slots:
    virtual void slot_UpButtonClicked();
    virtual void slot_DownButtonClicked();
    virtual void slot_LineEditEditFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // The value the snapping rule makes of a typed value.
    virtual int recalculateValue(int typed) const;
    int committedValue() const;

    int m_minimum = 1;
    int m_maximum = 100;
    int m_step = 1;
    int m_coarseStep = 1;
    int m_threshold = 1;
    int m_lastValue = 200;
    bool m_enabled = false;

private:
    void onEditingFinished();

    QLineEdit *m_lineEdit;
    QPushButton *m_upButton;
    QPushButton *m_downButton;
};

class OneKindStepUSpinBox : public USpinBox
{
    Q_OBJECT

public:
    OneKindStepUSpinBox(int minimum, int maximum, int step, QWidget *parent = nullptr);
};

class TwoKindsStepUSpinBox : public USpinBox
{
    Q_OBJECT

public:
    TwoKindsStepUSpinBox(int minimum, int maximum, int step, int coarseStep, int threshold,
                         QWidget *parent = nullptr);

public slots:
    void slot_UpButtonClicked() override;
    void slot_DownButtonClicked() override;
    void slot_LineEditEditFinished() override;

protected:
    int recalculateValue(int typed) const override;
};
