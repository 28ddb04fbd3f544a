#pragma once

#include "device/devicetypes.h"

#include <QList>
#include <QMap>
#include <QWidget>

namespace Ui {
class LightSettingWidget;
}

class QSlider;

// The lighting page (page 1 of the main window): the light zones of the
// model, the light modes, the preset colours, the colour wheel and RGB
// sliders, breathing speed and brightness. Every change leaves at once as a
// signal for the data coordinator, carrying the selected zone (true = wheel
// zone); the coordinator's reading of the mouse arrives through
// slot_SetLightParameter. Lives on the GUI thread.
class LightSettingWidget : public QWidget
{
    Q_OBJECT

public:
    explicit LightSettingWidget(QWidget *parent = nullptr);
    ~LightSettingWidget() override;

    // Breathing speed scale of the model: 0..4 for family A, 0..9 otherwise.
    void setSliderRanges(bool familyA);
    // Zone button texts and the colour-chase box of the model.
    void setZoneLabels(int mouseType);

    bool isWheelLightChange() const { return m_isWheelLightChange; }
    int breathMaximum() const { return m_breathMaximum; }
    // The page's copy of the lighting record, as it shows it.
    LightColorParam lightParameter() const { return m_param; }

signals:
    void sig_MouseColor(bool isWheelLightChange, QList<COLORREF> colorList);
    void sig_MouseLightMode(bool isWheelLightChange, int value);
    void sig_MouseContinueLightDegree(bool isWheelLightChange, int value);
    void sig_MouseBreathSpeed(bool isWheelLightChange, int value);
    void sig_SendEventMessageToGA(const QString &category, const QString &action, const QString &label,
                                  const QString &viewScreen);

public slots:
    void slot_SetLightParameter(LightColorParam param);

private slots:
    void slot_BreathSliderChange(int value);
    void slot_ContinueLightSliderChange(int value);
    void slot_GetWheelColor(int red, int green, int blue);

    void on_WheelLightButton_clicked();
    void on_LogoLightButton_clicked();
    void on_CloseLightModeRadioButton_clicked();
    void on_ContinueLightModeRadioButton_clicked();
    void on_BrethModeRaioButton_clicked();
    void on_ApmBreathModeRaidoButton_clicked();
    void on_LightCirleRaioButton_clicked();
    void on_ColorIntrigueCheckBox_2_clicked(bool checked);
    void on_Red_Slider_sliderReleased();
    void on_Green_Slider_sliderReleased();
    void on_Blue_Slider_sliderReleased();
    void on_Red_Slider_valueChanged(int value);
    void on_Green_Slider_valueChanged(int value);
    void on_Blue_Slider_valueChanged(int value);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setLanguageTexts();
    void showZone(bool wheelZone);
    LightZoneParam &zone(bool wheelZone) { return wheelZone ? m_param.wheel : m_param.logo; }
    LightZoneParam &selectedZone() { return zone(m_isWheelLightChange); }

    void switchLightMode(int mode);
    void setLightMode(int mode);
    void setLightModeDetail(bool wheelZone, int mode);
    int ifOX1LogoModeIsColorIntrigue(int mode) const;
    int ifOX1SeriesChangeLightMode(bool wheelZone, int mode);
    void getButtonColor(int red, int green, int blue);
    void setSpecialColorOnButton(int red, int green, int blue);
    void setMouseColorParameter(int red, int green, int blue);
    void setShowColorButton();
    void setBreathSpeed(int sliderValue);
    void changeMouseLightDegree(int value);
    // Sends the three sliders' colour after slider key (1 red, 2 green, 3 blue) moved.
    void sendSliderColor(int key);

    void sendUiEvent(const QString &control);
    void sendOperationEvent(const QString &operation, const QString &detail);

    Ui::LightSettingWidget *m_ui;
    // The RGB sliders by key (1 red, 2 green, 3 blue), filtered by this page.
    QMap<int, QSlider *> m_colorSliders;
    bool m_isWheelLightChange = true;
    LightColorParam m_param;
    int m_breathMaximum = 4;
    int m_brightnessMaximum = 9;
    int m_mouseType = 0;
    // Label and screen of the UI events: the lighting tab's name as the
    // language table had it when the page was built.
    QString m_screenName;
};
