#include "editors/oled/drawdialog.h"

#include "config/languagetable.h"
#include "config/paths.h"
#include "config/warningtype.h"
#include "device/oledpicturefile.h"
#include "editors/oled/drawborderwidget.h"
#include "editors/textfit.h"
#include "ui_drawdialog.h"

#include <QDebug>
#include <QFileDialog>

namespace {

// Display behaviours the coordinator hands to SetOLEDBehaviour.
constexpr int kShowCpi = 1;
constexpr int kShowApm = 2;
constexpr int kScreenOff = 3;
// The brightness is one byte in both families' settings.
constexpr int kMaximumLightIntensity = 255;
const char kFactoryPicture[] = "0";

const char kUiEvent[] = "UI事件";
const char kButtonSuffix[] = "按钮";
const char kScreen[] = "DrawDialog";

QString choosePictureFile(QWidget *parent)
{
    return QFileDialog::getOpenFileName(parent, languageText(494), QString(), QStringLiteral("Images (*.bmp)"));
}

} // namespace

DrawDialog::DrawDialog(QWidget *parent)
    : QDialog(parent)
    , m_ui(new Ui::DrawDialog)
    , m_chooser(choosePictureFile)
{
    m_ui->setupUi(this);
    // Frameless alone makes the dialog a child widget laid over the window.
    setWindowFlags(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("DrawDialog { background-color: rgba(0, 0, 0, 0.6); }"
                                 "QWidget#DrawWidget { background-color: #0F1215; border: 1px solid #006477;"
                                 " border-radius: 8px; }"
                                 "QFrame#DrawBorderFrame { border: 2px solid #2A3036; }"
                                 "QLabel#FontSizeLabel, QLabel#LightIntensityLabel { color: #848484; }"));
    m_ui->DrawWidget->setAttribute(Qt::WA_StyledBackground);
    setGeometry(0, 0, 960, 640);

    {
        // White background at the start; the box's Checked state means white.
        const QSignalBlocker block(m_ui->ChangeBackground_CheckBox);
        m_ui->ChangeBackground_CheckBox->setChecked(true);
    }
    {
        // The program's own font, not whichever the font list starts with.
        const QSignalBlocker block(m_ui->fontComboBox);
        m_ui->fontComboBox->setCurrentFont(font());
    }
    // Return in the text field must not press a button that closes the editor.
    for (QPushButton *button : findChildren<QPushButton *>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    m_ui->LightIntensity_Slider->setCPIType(0, kMaximumLightIntensity, 200, 13);
    connect(m_ui->LightIntensity_Slider, &MoveSlider::sig_ValueChange, this, &DrawDialog::slot_LightIntensityChange);

    setLanguageTexts();
    initText();
}

DrawDialog::~DrawDialog()
{
    delete m_ui;
}

DrawBorderWidget *DrawDialog::canvas() const
{
    return m_ui->DrawBorder_Widget;
}

void DrawDialog::setLanguageTexts()
{
    fitButtonText(m_ui->Title_Label, languageText(501));
    m_ui->Brush_Button->setToolTip(languageText(490));
    m_ui->TextEditButton->setToolTip(languageText(491));
    m_ui->Recall_Button->setToolTip(languageText(492));
    m_ui->Erase_Button->setToolTip(languageText(493));
    m_ui->AddPictureButton->setToolTip(languageText(494));
    fitButtonText(m_ui->ChangeBackground_CheckBox, languageText(495), 0.85);
    fitButtonText(m_ui->ShowCpiValueButton, languageText(496), 0.8);
    fitButtonText(m_ui->ShowApmButton, languageText(497), 0.8);
    fitButtonText(m_ui->CloseOLEDScreenButton, languageText(498), 0.8);
    fitButtonText(m_ui->LightIntensityLabel, languageText(499));
    fitButtonText(m_ui->FontSizeLabel, languageText(500));
    fitButtonText(m_ui->DrawOkButton, languageText(116), 0.8);
    fitButtonText(m_ui->DrawCancleButton, languageText(117), 0.8);
}

void DrawDialog::setConfigNumber(int number)
{
    m_configNumber = QString::number(number);
    m_ui->DrawBorder_Widget->setProfileNumber(m_configNumber);
}

void DrawDialog::setLightIntensity(int intensity)
{
    m_ui->LightIntensity_Slider->setValue(qBound(0, intensity, kMaximumLightIntensity));
}

void DrawDialog::initText()
{
    m_ui->DrawBorder_Widget->setTextFont(m_ui->fontComboBox->currentFont().family(), m_ui->spinBox->value());
    m_ui->DrawBorder_Widget->setDarkBackground(!m_ui->ChangeBackground_CheckBox->isChecked());
}

// --- Tools -------------------------------------------------------------------------------

void DrawDialog::on_Brush_Button_clicked()
{
    brushButtonSelected(!m_ui->DrawBorder_Widget->brushMode());
}

void DrawDialog::brushButtonSelected(bool brushButtonClick)
{
    m_ui->DrawBorder_Widget->setBrushMode(brushButtonClick);
    m_ui->Brush_Button->setChecked(brushButtonClick);
    m_ui->TextEditButton->setChecked(m_ui->DrawBorder_Widget->textMode());
}

void DrawDialog::on_TextEditButton_clicked()
{
    textEditButtonSelected(!m_ui->DrawBorder_Widget->textMode());
}

void DrawDialog::textEditButtonSelected(bool textEditButtonClick)
{
    m_ui->DrawBorder_Widget->setTextMode(textEditButtonClick);
    m_ui->TextEditButton->setChecked(textEditButtonClick);
    m_ui->Brush_Button->setChecked(m_ui->DrawBorder_Widget->brushMode());
}

void DrawDialog::on_Recall_Button_clicked()
{
    m_ui->DrawBorder_Widget->recall();
}

void DrawDialog::on_Erase_Button_clicked()
{
    m_ui->DrawBorder_Widget->eraseText();
}

void DrawDialog::on_ChangeBackground_CheckBox_stateChanged(int arg1)
{
    if (arg1 == Qt::Unchecked)
        m_ui->DrawBorder_Widget->setDarkBackground(true);
    else if (arg1 == Qt::Checked)
        m_ui->DrawBorder_Widget->setDarkBackground(false);
}

void DrawDialog::on_fontComboBox_currentFontChanged(const QFont &font)
{
    m_ui->DrawBorder_Widget->setTextFont(font.family(), m_ui->spinBox->value());
}

void DrawDialog::on_spinBox_valueChanged(int arg1)
{
    m_ui->DrawBorder_Widget->setTextFont(m_ui->fontComboBox->currentFont().family(), arg1);
}

void DrawDialog::on_AddPictureButton_clicked()
{
    const QString path = m_chooser ? m_chooser(this) : QString();
    qDebug() << "on_AddPictureButton_clicked" << path;
    if (!path.isEmpty())
        slot_loadImage(path);
}

void DrawDialog::slot_loadImage(const QString &path)
{
    m_ui->DrawBorder_Widget->setPicturePath(path);
}

// --- Leaving -----------------------------------------------------------------------------

bool DrawDialog::saveDrawImage()
{
    const QString path = getPictureFilePath(m_mouseType, m_configNumber);
    qDebug() << "saveDrawImage filePathName" << path;
    QString error;
    const bool saved = writeOledPictureFile(path, m_ui->DrawBorder_Widget->picture(true), &error);
    if (saved)
        qDebug() << "save widget screen succed";
    else
        qDebug() << "save widget screen failed" << error;
    return saved;
}

void DrawDialog::on_DrawOkButton_clicked()
{
    sendUiEvent(m_ui->DrawOkButton);
    if (saveDrawImage()) {
        emit sig_SetImageOnMouse(m_configNumber);
    } else {
        emit sig_WarningTypeOnMainWindow(Warning::PictureNotSaved);
        emit sig_SetImageOnMouse(QString::fromLatin1(kFactoryPicture));
    }
    close();
}

void DrawDialog::on_DrawCancleButton_clicked()
{
    sendUiEvent(m_ui->DrawCancleButton);
    close();
}

void DrawDialog::on_closeButton_clicked()
{
    sendUiEvent(m_ui->closeButton);
    close();
}

void DrawDialog::on_ShowCpiValueButton_clicked()
{
    chooseDisplay(kShowCpi, m_ui->ShowCpiValueButton);
}

void DrawDialog::on_ShowApmButton_clicked()
{
    chooseDisplay(kShowApm, m_ui->ShowApmButton);
}

void DrawDialog::on_CloseOLEDScreenButton_clicked()
{
    chooseDisplay(kScreenOff, m_ui->CloseOLEDScreenButton);
}

void DrawDialog::chooseDisplay(int behaviour, QAbstractButton *button)
{
    sendUiEvent(button);
    close();
    emit sig_OLEDScreenParameter(behaviour);
}

void DrawDialog::slot_LightIntensityChange(int value)
{
    emit sig_SendEventMessageToGA(QString::fromUtf8(kUiEvent), languageText(499), QString::number(value),
                                  QString::fromLatin1(kScreen));
    emit sig_OLEDScreenLightIntensity(value);
}

void DrawDialog::sendUiEvent(const QAbstractButton *button)
{
    const QString name = button->toolTip().isEmpty() ? button->objectName() : button->toolTip();
    emit sig_SendEventMessageToGA(QString::fromUtf8(kUiEvent), name + QString::fromUtf8(kButtonSuffix), QString(),
                                  QString::fromLatin1(kScreen));
}
