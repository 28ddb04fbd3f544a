#include "shell/mainsetting/mainsettingwidget.h"

#include "editors/cpi/cpiform.h"
#include "config/currentgear.h"
#include "config/languagetable.h"
#include "discovery/models.h"
#include "shell/mainsetting/mousebuttonlayout.h"
#include "shell/mainsetting/mypushbutton.h"
#include "config/paths.h"
#include "editors/textfit.h"
#include "ui_mainsettingwidget.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonObject>
#include <QSignalBlocker>
#include <QSpinBox>

namespace {
constexpr int kCpiLevels = 7;
constexpr int kCpiRowPitch = 31;
// A shorter list would leave the mouse's other stages undefined.
constexpr int kMinimumCpiListSize = 5;

const char kOperationEvent[] = "操作事件";
const char kUiEvent[] = "UI事件";

// The remembered value of a gear in the current profile's gear table.
int rememberedGearValue(int level)
{
    const QJsonArray gears = currentGearObject().value(QStringLiteral("GearData")).toArray();
    if (level < 0 || level >= gears.size())
        return 0;
    return gears.at(level).toObject().value(QStringLiteral("GearCurrentValue")).toInt();
}

// Device values are unsigned 32-bit; anything beyond int shows as the
// largest int instead of turning negative.
int shownCpi(DWORD value)
{
    return int(qMin<DWORD>(value, DWORD(0x7FFFFFFF)));
}
} // namespace

MainSettingWidget::MainSettingWidget(QWidget *parent)
    : QWidget(parent)
    , m_ui(new Ui::MainSettingWidget)
{
    m_ui->setupUi(this);
    m_ui->TrolleySpeed_Label->hide();
    // Choices and scale texts use the small size; section titles keep the theme's.
    QFont small = font();
    small.setPixelSize(12);
    for (QWidget *w : m_ui->Downtempo->findChildren<QWidget *>()) {
        if (qobject_cast<QAbstractButton *>(w) || qobject_cast<QSpinBox *>(w)
            || (qobject_cast<QLabel *>(w) && !w->objectName().endsWith(QLatin1String("_TitleLabel"))))
            w->setFont(small);
    }
    m_ui->OLEDLabel->setFont(small);

    for (int level = 0; level < kCpiLevels; ++level) {
        auto *row = new CPIForm(m_ui->CPIListWidget, level);
        row->setObjectName(QStringLiteral("CPIForm_%1").arg(level));
        row->move(0, level * kCpiRowPitch);
        m_cpiRows.insert(level, row);
        connect(row, &CPIForm::sig_CurrentCPIValue, this, &MainSettingWidget::slot_ChangeCPIValueOnMouse);
        connect(row, &CPIForm::sig_CheckIsLastOneCpi, this, &MainSettingWidget::slot_CheckIsLastOneCpi);
        connect(row, &CPIForm::sig_CpiSliderChange, this, &MainSettingWidget::slot_CpiChangeUIEvent);
    }

    // Shows the hovered button on the picture where the model's set has it.
    m_buttonOverlay = new QLabel(m_ui->MouseWidget);
    m_buttonOverlay->setObjectName(QStringLiteral("MouseButtonOverlay"));
    m_buttonOverlay->setGeometry(0, 0, 420, 380);
    m_buttonOverlay->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_buttonOverlay->hide();

    for (int button : allMouseButtonNumbers()) {
        auto *label = new QLabel(m_ui->LeftWidget);
        label->setObjectName(keyLabelName(button));
        label->resize(kMarkerSize, kMarkerSize);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->hide();
        m_keyLabels.insert(button, label);

        auto *b = new MyPushButton(button, m_ui->LeftWidget);
        b->setObjectName(QStringLiteral("MouseButton_%1").arg(button));
        b->hide();
        m_buttons.insert(button, b);
        connect(b, &MyPushButton::sig_ShowKeySettingDialog, this, &MainSettingWidget::slot_ShowKeySettingDialog);
        connect(b, &MyPushButton::sig_ShowMouseLeftLabel, this, &MainSettingWidget::slot_ShowMouseKeyLabel);
    }

    m_ui->PointSpeed_Slider->setCPIType(1, 20, m_ui->PointSpeed_Slider->width(),
                                        m_ui->PointSpeed_Slider->height());
    connect(m_ui->PointSpeed_Slider, &MoveSlider::sig_ValueChange, this, &MainSettingWidget::slot_SetPointSpeed);

    setLanguageTexts();
    // Until the main window hands over the desktop's values: its defaults.
    setPointerSettings(10, 3);
    setMouseType(0);
}

MainSettingWidget::~MainSettingWidget()
{
    delete m_ui;
}

void MainSettingWidget::setLanguageTexts()
{
    fitButtonText(m_ui->DPI_TitleLabel, languageText(400));
    fitButtonText(m_ui->Sensor_TitleLabel, languageText(401));
    fitButtonText(m_ui->TrolleySpeed_TitleLabel, languageText(402));
    fitButtonText(m_ui->PonitSpeed_TitleLabel, languageText(403));
    fitButtonText(m_ui->USBReportRate_TitleLabel, languageText(404));
    fitButtonText(m_ui->TrolleySpeed_RadioButton_1, languageText(405), 0.8);
    fitButtonText(m_ui->TrolleySpeed_RadioButton_2, languageText(406), 0.85);
    fitButtonText(m_ui->Ponit_SpeedLabel_1, languageText(407));
    fitButtonText(m_ui->Ponit_SpeedLabel_2, languageText(408));
    fitButtonText(m_ui->EnhancePointPrecisionLabel, languageText(409));
    fitButtonText(m_ui->OLEDLabel, languageText(410));
    fitButtonText(m_ui->DrawButton, languageText(411), 0.8);
    // The indicator and its spacing take the rest of the width.
    fitButtonText(m_ui->AnalyticsCheckBox, languageText(800), 0.9);
}

void MainSettingWidget::setMouseType(int mouseType)
{
    m_mouseType = mouseType;
    // A new device: nothing of the old one is in flight any more.
    m_cpiWriteInFlight = false;
    m_cpiListWaiting = false;

    const QString folder = getFamilyFolderName(mouseType);
    m_ui->MouseWidget->setStyleSheet(QStringLiteral("border-image: url(:/picture/%1/picture/%2/bg_main_mouse.png);")
                                         .arg(folder, folder.toUpper()));
    qDebug() << "setMouseWidgetOnPage" << mouseType;

    ButtonLayoutGroup group = buttonLayoutGroup(mouseType);
    if (group == ButtonLayoutGroup::None)
        group = kDefaultButtonLayoutGroup;
    for (MyPushButton *b : qAsConst(m_buttons)) {
        b->hide();
        b->setMouseType(mouseType);
        // A new model starts from its factory functions; the device reports
        // the changed ones right after.
        b->setMouseButtonStyleSheetIsOriginal(true);
    }
    for (QLabel *label : qAsConst(m_keyLabels))
        label->hide();
    m_buttonOverlay->hide();
    for (const MouseButtonPlace &p : mouseButtonLayout(group)) {
        if (MyPushButton *b = m_buttons.value(p.button)) {
            b->move(p.x, p.y);
            b->show();
        }
        if (QLabel *label = m_keyLabels.value(p.button)) {
            label->move(p.markerX, p.markerY);
            label->setStyleSheet(
                QStringLiteral("border-image: url(:/picture/picture/icon_um%1.png);").arg(p.marker));
        }
    }

    for (CPIForm *row : qAsConst(m_cpiRows))
        row->setMouseType(mouseType);

    const bool oled = hasOledScreen(mouseType);
    m_ui->DrawButton->setVisible(oled);
    m_ui->OLEDLabel->setVisible(oled);
}

void MainSettingWidget::setCurrentConfigure(int profile)
{
    m_currentConfigure = profile;
}

void MainSettingWidget::setPointerSettings(int pointerSpeed, int wheelScrollLines)
{
    {
        const QSignalBlocker blockSlider(m_ui->PointSpeed_Slider);
        m_ui->PointSpeed_Slider->setValue(qBound(1, pointerSpeed, 20));
    }
    const QSignalBlocker blockSpin(m_ui->spinBox);
    if (wheelScrollLines == -1) {
        m_ui->TrolleySpeed_RadioButton_2->setChecked(true);
        m_ui->spinBox->setEnabled(false);
    } else {
        m_ui->TrolleySpeed_RadioButton_1->setChecked(true);
        m_ui->spinBox->setValue(wheelScrollLines);
        m_ui->spinBox->setEnabled(true);
    }
}

void MainSettingWidget::setPointerControlsShown(bool pointerSpeed, bool wheelLines, bool wheelPagePerNotch)
{
    // The precision box belongs to the pointer speed; alone it would float.
    const QList<QWidget *> speedControls{m_ui->PonitSpeed_TitleLabel,      m_ui->PointSpeed_Slider,
                                         m_ui->Ponit_SpeedLabel_1,         m_ui->Ponit_SpeedLabel_2,
                                         m_ui->EnhancePointPrecisionCheckBox, m_ui->EnhancePointPrecisionLabel};
    for (QWidget *w : speedControls)
        w->setVisible(pointerSpeed);
    m_ui->TrolleySpeed_TitleLabel->setVisible(wheelLines);
    m_ui->TrolleySpeedWidget->setVisible(wheelLines);
    m_ui->TrolleySpeed_RadioButton_2->setVisible(wheelPagePerNotch);
}

void MainSettingWidget::slot_ShowMouseKeyLabel(bool state, int button)
{
    for (QLabel *label : qAsConst(m_keyLabels))
        label->hide();
    m_buttonOverlay->hide();
    if (!state)
        return;
    if (QLabel *label = m_keyLabels.value(button)) {
        label->show();
        label->raise();
    }
    const QString folder = getFamilyFolderName(m_mouseType);
    m_buttonOverlay->setStyleSheet(
        QStringLiteral("border-image: url(:/picture/%1/picture/%2/main_btn_key%3.png);")
            .arg(folder, folder.toUpper())
            .arg(button));
    m_buttonOverlay->show();
}

void MainSettingWidget::slot_SetCpidListValueOnPage(QList<DWORD> list)
{
    qDebug() << "slot_SetCpidListValueOnPage" << list;
    m_cpiValues = list.mid(0, kCpiLevels);
    for (CPIForm *row : qAsConst(m_cpiRows))
        row->setIsCheckState(false);
    for (int level = 0; level < kCpiLevels; ++level) {
        const DWORD v = level < m_cpiValues.size() ? m_cpiValues.at(level) : 0;
        // A level that is off keeps showing the value the gear table
        // remembers for it, so switching it on again brings that value back.
        const int shown = v != 0 ? shownCpi(v) : rememberedGearValue(level);
        qDebug() << "setCPIValueOnPage" << level << shown << (v != 0);
        m_cpiRows.value(level)->setCPIValue(shown, v != 0);
    }
}

void MainSettingWidget::slot_ChangeCPIValueOnMouse(int level, int value)
{
    if (level < 0 || level >= kCpiLevels)
        return;
    sendOperationEvent(QStringLiteral("改CPI_") + QString::number(level + 1), QString::number(value));
    // Levels the device did not report are off (0) on the page as well.
    while (m_cpiValues.size() <= level)
        m_cpiValues.append(0);
    m_cpiValues[level] = DWORD(qMax(0, value));
    if (value != 0)
        emit sig_SetGearCurrentValue(level, value);
    qDebug() << "slot_ChangeCPIValueOnMouse" << m_cpiValues;
    emit sig_ChangeCPIValue(level, value);
    if (m_cpiValues.size() >= kMinimumCpiListSize)
        sendCpiList();
}

void MainSettingWidget::sendCpiList()
{
    if (m_cpiWriteInFlight) {
        m_cpiListWaiting = true;
        return;
    }
    m_cpiWriteInFlight = true;
    emit sig_ChangeCPIListValue(m_cpiValues);
}

void MainSettingWidget::slot_CpiListWritten(bool ok)
{
    qDebug() << "slot_CpiListWritten" << ok;
    m_cpiWriteInFlight = false;
    if (!m_cpiListWaiting)
        return;
    m_cpiListWaiting = false;
    sendCpiList();
}

void MainSettingWidget::slot_CheckIsLastOneCpi(int level, int value)
{
    CPIForm *row = m_cpiRows.value(level);
    if (!row)
        return;
    // The row that asks is already unchecked; it counts as the one it was.
    int checked = 1;
    for (int i = 0; i < kCpiLevels; ++i) {
        const bool state = m_cpiRows.value(i)->isChecked();
        qDebug() << "slot_CheckIsLastOneCpi" << i << state;
        if (i != level && state)
            ++checked;
    }
    qDebug() << "slot_CheckIsLastOneCpi" << checked;
    if (checked < 2) {
        // At least one level always stays on.
        row->setCPIValue(value, true);
        return;
    }
    slot_ChangeCPIValueOnMouse(level, 0);
    row->setIsCheckState(false);
}

void MainSettingWidget::slot_CpiChangeUIEvent(bool type)
{
    sendUiEvent(type ? QStringLiteral("改CPI_Slider") : QStringLiteral("改CPI_SpinBox"));
}

void MainSettingWidget::slot_ShowKeySettingDialog(int button, int changeType, int trueValue, int modifyKey)
{
    emit sig_showKeySettingDialog(button, changeType, trueValue, modifyKey);
}

void MainSettingWidget::slot_SetKeyTrueValue(int button, int changeType, int trueMosueValue, int modifyKey)
{
    qDebug() << "slot_SetKeyTrueValue changeType" << button << changeType << trueMosueValue << modifyKey;
    if (MyPushButton *b = m_buttons.value(button))
        b->setButtonTrueValue(changeType, trueMosueValue, modifyKey);
}

void MainSettingWidget::slot_SetMouseButtonStyleSheetIsOriginal(bool state, int button)
{
    if (MyPushButton *b = m_buttons.value(button))
        b->setMouseButtonStyleSheetIsOriginal(state);
}

void MainSettingWidget::slot_SetUSBReportRateOnPage(int index)
{
    QRadioButton *buttons[] = {m_ui->USBReportRate_125RadioButton, m_ui->USBReportRate_250RadioButton,
                               m_ui->USBReportRate_500RadioButton, m_ui->USBReportRate_1000RadioButton};
    if (index < 0 || index > 3)
        return;
    buttons[index]->setChecked(true);
}

void MainSettingWidget::changeReportRate(int index, const QString &name)
{
    sendOperationEvent(QStringLiteral("改USB报告率"), name);
    emit sig_ChangeUSBReportRate(index);
}

void MainSettingWidget::on_USBReportRate_125RadioButton_clicked()
{
    changeReportRate(0, QStringLiteral("125Hz"));
}

void MainSettingWidget::on_USBReportRate_250RadioButton_clicked()
{
    changeReportRate(1, QStringLiteral("250Hz"));
}

void MainSettingWidget::on_USBReportRate_500RadioButton_clicked()
{
    changeReportRate(2, QStringLiteral("500Hz"));
}

void MainSettingWidget::on_USBReportRate_1000RadioButton_clicked()
{
    changeReportRate(3, QStringLiteral("1000Hz"));
}

void MainSettingWidget::slot_SetPointSpeed(int value)
{
    sendOperationEvent(QStringLiteral("改指针速度"), QString::number(value));
    qDebug() << "pointSpeedChange" << value;
    emit sig_SetPointSpeed(value);
}

void MainSettingWidget::on_TrolleySpeed_RadioButton_1_clicked()
{
    m_ui->spinBox->setEnabled(true);
    setTrolleySpeed(m_ui->spinBox->value());
}

void MainSettingWidget::on_TrolleySpeed_RadioButton_2_clicked()
{
    m_ui->spinBox->setEnabled(false);
    setTrolleySpeed(-1);
}

void MainSettingWidget::on_spinBox_valueChanged(int value)
{
    qDebug() << "on_spinBox_valueChanged" << value;
    setTrolleySpeed(value);
}

void MainSettingWidget::setTrolleySpeed(int value)
{
    qDebug() << "setTrolleySpeed" << value;
    emit sig_SetTrolleySpeed(value);
    sendOperationEvent(QStringLiteral("改滚轮速度"),
                       value == -1 ? m_ui->TrolleySpeed_RadioButton_2->toolTip() : QString::number(value));
}

void MainSettingWidget::on_DrawButton_clicked()
{
    emit sig_showDrawDialog();
    sendUiEvent(QStringLiteral("设置屏幕") + QStringLiteral("按钮"));
}

void MainSettingWidget::setAnalyticsSwitch(bool on)
{
    const QSignalBlocker quiet(m_ui->AnalyticsCheckBox);
    m_ui->AnalyticsCheckBox->setChecked(on);
}

bool MainSettingWidget::analyticsSwitch() const
{
    return m_ui->AnalyticsCheckBox->isChecked();
}

void MainSettingWidget::on_AnalyticsCheckBox_clicked(bool checked)
{
    emit sig_AnalyticsSwitchChanged(checked);
}

void MainSettingWidget::sendOperationEvent(const QString &action, const QString &label)
{
    emit sig_SendEventMessageToGA(QString::fromUtf8(kOperationEvent), action, label, QString());
}

void MainSettingWidget::sendUiEvent(const QString &action)
{
    const QString page = languageText(189);
    emit sig_SendEventMessageToGA(QString::fromUtf8(kUiEvent), action, page, page);
}
