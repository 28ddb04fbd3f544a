#pragma once

#include "device/devicetypes.h"

#include <QList>
#include <QMap>
#include <QWidget>

namespace Ui {
class MainSettingWidget;
}

class CPIForm;
class MyPushButton;
class QLabel;

// Page 0 of the main window: the mouse picture with one label per button,
// the CPI levels, the report rate, the system pointer speed and wheel
// scrolling, and the entry to the OLED editor. It edits nothing itself:
// every change leaves as a signal, every value arrives through a slot. Lives
// on the GUI thread; owned by the main window's stacked widget.
class MainSettingWidget : public QWidget
{
    Q_OBJECT

public:
    explicit MainSettingWidget(QWidget *parent = nullptr);
    ~MainSettingWidget() override;

    // Adapts picture, button labels, CPI ranges and the OLED entry to a model.
    void setMouseType(int mouseType);
    int mouseType() const { return m_mouseType; }
    // Profile 1..5 shown by the main window's profile bar.
    void setCurrentConfigure(int profile);
    int currentConfigure() const { return m_currentConfigure; }
    // The desktop's pointer speed (1..20) and wheel lines (-1 = one screen
    // per notch) as the main window read them; shown without signals.
    void setPointerSettings(int pointerSpeed, int wheelScrollLines);
    // Shows only the controls whose setting the desktop has (a control
    // without one would change nothing): the pointer speed (with the
    // precision box beside it), the wheel lines, and among those "one
    // screen per notch".
    void setPointerControlsShown(bool pointerSpeed, bool wheelLines, bool wheelPagePerNotch);
    // The usage statistics switch as stored; shown without signals.
    void setAnalyticsSwitch(bool on);
    bool analyticsSwitch() const;

    QList<DWORD> cpiValues() const { return m_cpiValues; }
    CPIForm *cpiRow(int level) const { return m_cpiRows.value(level); }
    MyPushButton *mouseButton(int button) const { return m_buttons.value(button); }
    QLabel *keyLabel(int button) const { return m_keyLabels.value(button); }
    // A CPI list was sent and the coordinator has not reported it done yet.
    bool isCpiWriteInFlight() const { return m_cpiWriteInFlight; }

signals:
    void sig_showDrawDialog();
    void sig_showKeySettingDialog(int changedKey, int buttonChangeType, int buttonTrueValue, int modifyKeyValue);
    void sig_ChangeCPIValue(int level, int value);
    void sig_ChangeCPIListValue(QList<DWORD> list);
    void sig_ChangeUSBReportRate(int value);
    void sig_SetPointSpeed(int value);
    void sig_SetTrolleySpeed(int value);
    void sig_SendEventMessageToGA(const QString &category, const QString &action, const QString &label,
                                  const QString &viewScreen);
    // The gear table of the current profile should remember value for the
    // level (0-based); the coordinator writes it on its own thread.
    void sig_SetGearCurrentValue(int index, int value);
    // The user turned the usage statistics switch on or off.
    void sig_AnalyticsSwitchChanged(bool on);

public slots:
    void slot_SetUSBReportRateOnPage(int index);
    // The coordinator finished the last CPI list: send the newest one held
    // back meanwhile, if any.
    void slot_CpiListWritten(bool ok);
    void slot_SetKeyTrueValue(int button, int changeType, int trueMosueValue, int modifyKey);
    void slot_SetCpidListValueOnPage(QList<DWORD> list);
    void slot_SetMouseButtonStyleSheetIsOriginal(bool state, int button);

private slots:
    void slot_CheckIsLastOneCpi(int level, int value);
    void slot_ChangeCPIValueOnMouse(int level, int value);
    void slot_ShowKeySettingDialog(int button, int changeType, int trueValue, int modifyKey);
    void slot_CpiChangeUIEvent(bool type);
    void slot_SetPointSpeed(int value);
    void slot_ShowMouseKeyLabel(bool state, int button);

    void on_USBReportRate_125RadioButton_clicked();
    void on_USBReportRate_250RadioButton_clicked();
    void on_USBReportRate_500RadioButton_clicked();
    void on_USBReportRate_1000RadioButton_clicked();
    void on_TrolleySpeed_RadioButton_1_clicked();
    void on_TrolleySpeed_RadioButton_2_clicked();
    void on_spinBox_valueChanged(int value);
    void on_DrawButton_clicked();
    void on_AnalyticsCheckBox_clicked(bool checked);

private:
    void setLanguageTexts();
    void changeReportRate(int index, const QString &name);
    void setTrolleySpeed(int value);
    void sendOperationEvent(const QString &action, const QString &label);
    void sendUiEvent(const QString &action);
    void sendCpiList();

    Ui::MainSettingWidget *m_ui;
    QMap<int, CPIForm *> m_cpiRows;
    QMap<int, MyPushButton *> m_buttons;
    QMap<int, QLabel *> m_keyLabels;
    QLabel *m_buttonOverlay = nullptr;
    QList<DWORD> m_cpiValues;
    int m_currentConfigure = 1;
    int m_mouseType = 0;
    // One CPI write at a time: changes made meanwhile wait, and only the
    // newest list is sent when the write in flight is done.
    bool m_cpiWriteInFlight = false;
    bool m_cpiListWaiting = false;
};
