#include "editors/lighting/lightsettingwidget.h"

#include "config/languagetable.h"
#include "discovery/models.h"
#include "editors/lighting/colorwheel.h"
#include "editors/lighting/lightrules.h"
#include "editors/textfit.h"
#include "ui_lightsettingwidget.h"

#include <QDebug>
#include <QMouseEvent>
#include <QWheelEvent>

using namespace lightrules;

namespace {

const char kUiEvent[] = "UI事件";
const char kOperationEvent[] = "操作事件";
const char kButtonSuffix[] = "按钮";

enum ColorKey { RedKey = 1, GreenKey = 2, BlueKey = 3 };

// What a colour slider's release logs and reports, by key.
struct ColorSliderNames
{
    const char *log;
    const char *control;
};
const ColorSliderNames kColorSliderNames[] = {{"", ""},
                                              {"on_Red_Slider_sliderReleased", "红色滑动条"},
                                              {"on_Green_Slider_sliderReleased", "绿色滑动条"},
                                              {"on_Blue_Slider_sliderReleased", "蓝色滑动条"}};

QString utf8(const char *text)
{
    return QString::fromUtf8(text);
}

// Where a left press on a slider puts its value.
int valueAtClick(const QSlider *slider, int x)
{
    if (slider->width() <= 0)
        return slider->value();
    const double span = slider->maximum() - slider->minimum();
    const int value = int(slider->minimum() + double(x) / slider->width() * span);
    return qBound(slider->minimum(), value, slider->maximum());
}

} // namespace

LightSettingWidget::LightSettingWidget(QWidget *parent)
    : QWidget(parent)
    , m_ui(new Ui::LightSettingWidget)
    , m_screenName(languageText(190))
{
    m_ui->setupUi(this);
    connect(m_ui->ColorWheel_Widget, &ColorWheel::sigColor, this, &LightSettingWidget::slot_GetWheelColor);

    m_colorSliders = {{RedKey, m_ui->Red_Slider}, {GreenKey, m_ui->Green_Slider}, {BlueKey, m_ui->Blue_Slider}};
    for (QSlider *slider : qAsConst(m_colorSliders))
        slider->installEventFilter(this);

    m_ui->ColorIntrigueRadioButton->hide();
    m_ui->ColorIntrigueRadioButton->setChecked(false);
    m_ui->ColorIntrigueCheckBox_2->setChecked(false);
    m_ui->ColorIntrigueCheckBox_2->hide();
    connect(m_ui->BreathSlider, &MoveSlider::sig_ValueChange, this, &LightSettingWidget::slot_BreathSliderChange);
    connect(m_ui->ContinueLightSlider, &MoveSlider::sig_ValueChange, this,
            &LightSettingWidget::slot_ContinueLightSliderChange);

    for (int n = 1; n <= kPresetCount; ++n) {
        auto *button = findChild<QPushButton *>(QStringLiteral("colorButton%1").arg(n));
        const Rgb c = presetColor(n);
        button->setStyleSheet(
            QStringLiteral("background-color: rgb(%1, %2, %3);").arg(c.red).arg(c.green).arg(c.blue));
        connect(button, &QPushButton::clicked, this, [this, c] { getButtonColor(c.red, c.green, c.blue); });
    }

    setLanguageTexts();
    setSliderRanges(true);
    setZoneLabels(0);
    showZone(true);
}

LightSettingWidget::~LightSettingWidget()
{
    delete m_ui;
}

void LightSettingWidget::setLanguageTexts()
{
    fitButtonText(m_ui->CloseLightModeRadioButton, languageText(modeText(0)), 0.85);
    fitButtonText(m_ui->ContinueLightModeRadioButton, languageText(modeText(1)), 0.85);
    fitButtonText(m_ui->BrethModeRaioButton, languageText(modeText(2)), 0.85);
    fitButtonText(m_ui->ApmBreathModeRaidoButton, languageText(modeText(3)), 0.85);
    fitButtonText(m_ui->LightCirleRaioButton, languageText(modeText(4)), 0.85);
    fitButtonText(m_ui->ColorIntrigueCheckBox_2, languageText(modeText(kColorChaseMode)), 0.85);
    fitButtonText(m_ui->CurrentLightLabel, languageText(444));
    fitButtonText(m_ui->PredictLightLabel, languageText(445));
    fitButtonText(m_ui->CustomLightLabel, languageText(446));
    fitButtonText(m_ui->BreathSpeedLabel, languageText(447));
    fitButtonText(m_ui->BrightnessLabel, languageText(448));
    fitButtonText(m_ui->LightModeLabel, languageText(449));
}

void LightSettingWidget::setSliderRanges(bool familyA)
{
    m_ui->ContinueLightSlider->setCPIType(0, m_brightnessMaximum, 200, 13);
    const int breathMaximum = familyA ? kFamilyABreathMaximum : kOtherBreathMaximum;
    m_ui->BreathSlider->setCPIType(0, breathMaximum, 200, 10);
    m_breathMaximum = breathMaximum;
}

void LightSettingWidget::setZoneLabels(int mouseType)
{
    m_mouseType = mouseType;
    fitButtonText(m_ui->WheelLightButton, languageText(wheelZoneText(mouseType)), 0.85);
    fitButtonText(m_ui->LogoLightButton, languageText(logoZoneText(mouseType)), 0.85);
    m_ui->ColorIntrigueCheckBox_2->setVisible(offersColorChase(mouseType));
    // The zones are the model's even before (or without) a reading of the mouse.
    const bool zoneButtons = showsZoneButtons(mouseType);
    m_ui->WheelLightButton->setVisible(zoneButtons);
    m_ui->LogoLightButton->setVisible(zoneButtons);
    showZone(zoneButtons);
}

// --- The mouse's values ------------------------------------------------------------------

void LightSettingWidget::slot_SetLightParameter(LightColorParam param)
{
    param.wheel = shownZone(param.wheel, m_mouseType, m_breathMaximum);
    param.logo = shownZone(param.logo, m_mouseType, m_breathMaximum);
    m_param = param;
    const bool zoneButtons = showsZoneButtons(m_mouseType);
    m_ui->WheelLightButton->setVisible(zoneButtons);
    m_ui->LogoLightButton->setVisible(zoneButtons);
    // A model with one zone carries it as the logo zone.
    showZone(zoneButtons);
}

void LightSettingWidget::on_WheelLightButton_clicked()
{
    showZone(true);
}

void LightSettingWidget::on_LogoLightButton_clicked()
{
    showZone(false);
}

void LightSettingWidget::showZone(bool wheelZone)
{
    m_isWheelLightChange = wheelZone;
    m_ui->WheelLightButton->setChecked(wheelZone);
    m_ui->LogoLightButton->setChecked(!wheelZone);
    const LightZoneParam &z = zone(wheelZone);
    setSpecialColorOnButton(z.color1[0], z.color1[1], z.color1[2]);
    switchLightMode(wheelZone ? ifOX1LogoModeIsColorIntrigue(z.mode) : z.mode);
    m_ui->BreathSlider->setValue(breathSliderValue(z.breathSpeed, m_breathMaximum));
    m_ui->ContinueLightSlider->setValue(qBound(0, int(z.brightness), m_brightnessMaximum));
    qDebug() << "on_LogoLightButton_clicked" << z.mode;
    qDebug() << "on_LogoLightButton_clicked breathRate" << z.breathSpeed;
}

// --- Modes -------------------------------------------------------------------------------

void LightSettingWidget::switchLightMode(int mode)
{
    qDebug() << "switchLightMode" << mode;
    QRadioButton *radios[] = {m_ui->CloseLightModeRadioButton, m_ui->ContinueLightModeRadioButton,
                              m_ui->BrethModeRaioButton, m_ui->ApmBreathModeRaidoButton,
                              m_ui->LightCirleRaioButton};
    if (mode == kColorChaseMode) {
        m_ui->ColorIntrigueCheckBox_2->setChecked(true);
        // The hidden radio button shares the five's group: checking it
        // clears them.
        m_ui->ColorIntrigueRadioButton->setChecked(true);
        return;
    }
    if (mode >= 0 && mode < kColorChaseMode)
        radios[mode]->setChecked(true);
    m_ui->ColorIntrigueCheckBox_2->setChecked(false);
}

void LightSettingWidget::on_CloseLightModeRadioButton_clicked() { setLightMode(0); }
void LightSettingWidget::on_ContinueLightModeRadioButton_clicked() { setLightMode(1); }
void LightSettingWidget::on_BrethModeRaioButton_clicked() { setLightMode(2); }
void LightSettingWidget::on_ApmBreathModeRaidoButton_clicked() { setLightMode(3); }
void LightSettingWidget::on_LightCirleRaioButton_clicked() { setLightMode(4); }

void LightSettingWidget::setLightMode(int mode)
{
    qDebug() << "setLightMode value" << mode;
    const QString text = languageText(modeText(mode));
    sendUiEvent(text + utf8(kButtonSuffix));
    ifOX1SeriesChangeLightMode(m_isWheelLightChange, mode);
    setLightModeDetail(m_isWheelLightChange, mode);
    m_ui->ColorIntrigueCheckBox_2->setChecked(false);
    sendOperationEvent(QStringLiteral("改灯光模式"), text);
}

void LightSettingWidget::setLightModeDetail(bool wheelZone, int mode)
{
    emit sig_MouseLightMode(wheelZone, mode);
    zone(wheelZone).mode = quint8(mode);
}

int LightSettingWidget::ifOX1LogoModeIsColorIntrigue(int mode) const
{
    return isOx1Series(m_mouseType) && m_param.logo.mode == kColorChaseMode ? kColorChaseMode : mode;
}

int LightSettingWidget::ifOX1SeriesChangeLightMode(bool wheelZone, int mode)
{
    // Colour chase runs over both zones: leaving it changes the other zone too.
    if (isOx1Series(m_mouseType) && m_param.logo.mode == kColorChaseMode)
        setLightModeDetail(!wheelZone, mode);
    return mode;
}

void LightSettingWidget::on_ColorIntrigueCheckBox_2_clicked(bool checked)
{
    const int mode = checked ? kColorChaseMode : kColorCycleMode;
    setLightModeDetail(false, mode);
    setLightModeDetail(true, mode);
    switchLightMode(mode);
    sendUiEvent(languageText(modeText(kColorChaseMode)) + utf8(kButtonSuffix));
    sendOperationEvent(QStringLiteral("改灯光模式"), languageText(modeText(mode)));
}

// --- Colours -----------------------------------------------------------------------------

void LightSettingWidget::getButtonColor(int red, int green, int blue)
{
    sendUiEvent(QStringLiteral("按钮取色"));
    setSpecialColorOnButton(red, green, blue);
    setMouseColorParameter(red, green, blue);
}

void LightSettingWidget::slot_GetWheelColor(int red, int green, int blue)
{
    sendUiEvent(QStringLiteral("色轮取色"));
    setSpecialColorOnButton(red, green, blue);
    setMouseColorParameter(red, green, blue);
}

void LightSettingWidget::setSpecialColorOnButton(int red, int green, int blue)
{
    m_ui->Red_Slider->setValue(qBound(0, red, 255));
    m_ui->Green_Slider->setValue(qBound(0, green, 255));
    m_ui->Blue_Slider->setValue(qBound(0, blue, 255));
    // The labels follow valueChanged, which does not fire for an unchanged value.
    m_ui->RedValue_Label->setText(QString::number(m_ui->Red_Slider->value()));
    m_ui->GreenValue_Label->setText(QString::number(m_ui->Green_Slider->value()));
    m_ui->BlueValue_Label->setText(QString::number(m_ui->Blue_Slider->value()));
    qDebug() << "setSpecialColorOnButton" << red << green << blue;
    setShowColorButton();
}

void LightSettingWidget::setMouseColorParameter(int red, int green, int blue)
{
    const quint8 r = quint8(qBound(0, red, 255));
    const quint8 g = quint8(qBound(0, green, 255));
    const quint8 b = quint8(qBound(0, blue, 255));
    LightZoneParam &z = selectedZone();
    z.color1[0] = r;
    z.color1[1] = g;
    z.color1[2] = b;
    z.color1[3] = 0;
    emit sig_MouseColor(m_isWheelLightChange, QList<COLORREF>{makeColorRef(r, g, b)});
    sendOperationEvent(QStringLiteral("改颜色"), QStringLiteral("(%1,%2,%3)").arg(r).arg(g).arg(b));
}

void LightSettingWidget::setShowColorButton()
{
    const QString rgb = QStringLiteral("%1,%2,%3")
                            .arg(m_ui->Red_Slider->value())
                            .arg(m_ui->Green_Slider->value())
                            .arg(m_ui->Blue_Slider->value());
    m_ui->ShowColor_Button->setStyleSheet(QStringLiteral("QPushButton{border:0px;background:rgb(") + rgb
                                          + QStringLiteral(");}"));
    qDebug() << "setShowColorButton" << rgb;
}

void LightSettingWidget::on_Red_Slider_valueChanged(int value)
{
    m_ui->RedValue_Label->setText(QString::number(value));
}

void LightSettingWidget::on_Green_Slider_valueChanged(int value)
{
    m_ui->GreenValue_Label->setText(QString::number(value));
}

void LightSettingWidget::on_Blue_Slider_valueChanged(int value)
{
    m_ui->BlueValue_Label->setText(QString::number(value));
}

void LightSettingWidget::on_Red_Slider_sliderReleased()
{
    sendSliderColor(RedKey);
}

void LightSettingWidget::on_Green_Slider_sliderReleased()
{
    sendSliderColor(GreenKey);
}

void LightSettingWidget::on_Blue_Slider_sliderReleased()
{
    sendSliderColor(BlueKey);
}

void LightSettingWidget::sendSliderColor(int key)
{
    qDebug() << kColorSliderNames[key].log;
    sendUiEvent(utf8(kColorSliderNames[key].control));
    setShowColorButton();
    setMouseColorParameter(m_ui->Red_Slider->value(), m_ui->Green_Slider->value(), m_ui->Blue_Slider->value());
}

bool LightSettingWidget::eventFilter(QObject *watched, QEvent *event)
{
    auto *slider = qobject_cast<QSlider *>(watched);
    const int key = slider ? m_colorSliders.key(slider, 0) : 0;
    if (key == 0)
        return QWidget::eventFilter(watched, event);

    if (event->type() == QEvent::MouseButtonPress) {
        auto *e = static_cast<QMouseEvent *>(event);
        if (e->button() == Qt::LeftButton) {
            // Jump to the click; the press then goes on to the slider,
            // which finds its handle under the pointer and can drag it.
            const int value = valueAtClick(slider, e->pos().x());
            if (value != slider->value())
                slider->setValue(value);
        }
    } else if (event->type() == QEvent::Wheel) {
        auto *e = static_cast<QWheelEvent *>(event);
        if (e->angleDelta().y() > 0) {
            qDebug() << "forward";
            slider->setValue(slider->value() - 1);
        } else {
            qDebug() << "back";
            slider->setValue(slider->value() + 1);
        }
        // The slider's own wheel handling would step again, and the
        // mouse would never hear of either step.
        sendSliderColor(key);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// --- Speed and brightness --------------------------------------------------------------

void LightSettingWidget::slot_BreathSliderChange(int value)
{
    sendUiEvent(QStringLiteral("呼吸模式速度滑动条"));
    setBreathSpeed(value);
}

void LightSettingWidget::setBreathSpeed(int sliderValue)
{
    const int speed = breathSpeedForSlider(sliderValue, m_breathMaximum);
    qDebug() << "setBreathSpeed" << speed;
    selectedZone().breathSpeed = quint8(speed);
    emit sig_MouseBreathSpeed(m_isWheelLightChange, speed);
}

void LightSettingWidget::slot_ContinueLightSliderChange(int value)
{
    sendUiEvent(QStringLiteral("灯光常亮模式亮度滑动条"));
    changeMouseLightDegree(value);
}

void LightSettingWidget::changeMouseLightDegree(int value)
{
    const int degree = qBound(0, value, m_brightnessMaximum);
    selectedZone().brightness = quint8(degree);
    emit sig_MouseContinueLightDegree(m_isWheelLightChange, degree);
    sendOperationEvent(QStringLiteral("改灯光常亮亮度"), QString::number(degree));
}

// --- Analytics ---------------------------------------------------------------------------

void LightSettingWidget::sendUiEvent(const QString &control)
{
    emit sig_SendEventMessageToGA(utf8(kUiEvent), control + zoneSuffix(m_isWheelLightChange), m_screenName,
                                  m_screenName);
}

void LightSettingWidget::sendOperationEvent(const QString &operation, const QString &detail)
{
    const QString action = operation + zoneSuffix(m_isWheelLightChange);
    emit sig_SendEventMessageToGA(utf8(kOperationEvent), action, action + QLatin1Char('_') + detail, QString());
}
