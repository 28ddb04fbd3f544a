#pragma once

#include <QWidget>

namespace Ui {
class CPIForm;
}

class CPISlider;
class USpinBox;

// One CPI level row of the main settings page: a check box that switches
// the level on, a slider and a number box that edit its value, and the
// scale of the model's range. Level 0..6 (shown as 1..7).
class CPIForm : public QWidget
{
    Q_OBJECT

public:
    explicit CPIForm(QWidget *parent = nullptr, int level = 0);
    ~CPIForm() override;

    int level() const { return m_level; }
    int mouseType() const { return m_mouseType; }
    int minimum() const { return m_minimum; }

    // Rebuilds the slider and number box for the model's range.
    void setMouseType(int mouseType);
    // Shows value and the on/off state without reporting anything.
    void setCPIValue(int value, bool enabled);
    // The number box's value, or the level's default when it is below the
    // range (a level that was off shows 0).
    int returnValue() const;
    void setCheckEnabled(bool checkable);
    void setIsCheckState(bool state);
    bool isCheckState() const { return m_isCheckState; }
    bool isChecked() const;

    CPISlider *slider() const { return m_slider; }
    USpinBox *spinBox() const { return m_spinBox; }

signals:
    void sig_CurrentCPIValue(int level, int value);
    void sig_CheckIsLastOneCpi(int level, int value);
    void sig_CpiSliderChange(bool type);

private slots:
    void on_CPICheckBox_stateChanged(int state);
    void on_CPICheckBox_clicked();
    void slot_ToSigCPISliderValue(int value);
    void slot_ToSigCPISpinboxValue(int value);
    void slot_SetCPISliderValue(int value);
    void slot_SetCPISpinboxValue(int value);

private:
    void setIsChangeable(bool changeable);

    Ui::CPIForm *m_ui;
    int m_level = 0;
    int m_minimum = 200;
    int m_mouseType = 0;
    CPISlider *m_slider = nullptr;
    USpinBox *m_spinBox = nullptr;
    bool m_isCheckState = false;
    bool m_checkable = true;
};
