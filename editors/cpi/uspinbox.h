#pragma once

#include <QTimer>
#include <QWidget>

class QLineEdit;
class QPushButton;

// The small number box of one CPI row: a line edit with up and down buttons.
// Typed values are committed when editing finishes or the pointer leaves the
// box; the value then snaps to the model's grid and is reported. While an
// arrow is held down its steps are only shown: every report costs a device
// write, so the value is reported once, when the arrow is released or the
// steps have paused for a short quiet time.
class USpinBox : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kQuietMs = 400;

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

    // Held-arrow steps waiting to be reported, and the quiet-time timer.
    bool hasPendingSteps() const { return m_pendingSteps; }
    const QTimer &quietTimer() const { return m_quietTimer; }
    void setQuietTimeMs(int ms) { m_quietTimer.setInterval(ms); }

    QLineEdit *lineEdit() const { return m_lineEdit; }
    QPushButton *upButton() const { return m_upButton; }
    QPushButton *downButton() const { return m_downButton; }

signals:
    void sig_SpinBoxValueChange(int value);
    void sig_CpiSliderChange(bool type);
    // A held arrow stepped to value; it is reported later.
    void sig_SpinBoxValueShown(int value);

public slots:
    virtual void slot_UpButtonClicked();
    virtual void slot_DownButtonClicked();
    virtual void slot_LineEditEditFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // The value the snapping rule makes of a typed value.
    virtual int recalculateValue(int typed) const;
    int committedValue() const;
    // An arrow's step to value: reported now for a single click, held back
    // while the arrow repeats.
    void stepTo(int value);
    // Reports the value held-arrow steps reached, if there were any.
    void reportPendingSteps();

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
    QTimer m_quietTimer;
    bool m_pendingSteps = false;
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
