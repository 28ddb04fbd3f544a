#pragma once

#include <QDialog>
#include <QString>

#include <functional>

namespace Ui {
class DrawDialog;
}

class DrawBorderWidget;
class QAbstractButton;

// The OLED screen editor, laid over the main window: a canvas for the
// screen's 64 x 48 picture (brush, one line of text, a BMP underneath), the
// three display modes and the screen brightness. OK saves the picture as
// the profile's BMP and asks for it on the mouse; when it cannot be saved the
// mouse gets its factory picture ("0") and the user is told. Every request
// leaves as a signal for the data coordinator. Lives on the GUI thread.
class DrawDialog : public QDialog
{
    Q_OBJECT

public:
    // Asks the user for a BMP to add; an empty path when none was chosen.
    using PictureChooser = std::function<QString(QWidget *parent)>;

    explicit DrawDialog(QWidget *parent = nullptr);
    ~DrawDialog() override;

    void setMouseType(int mouseType) { m_mouseType = mouseType; }
    // The profile (1..5) whose picture is edited.
    void setConfigNumber(int number);
    QString configNumber() const { return m_configNumber; }
    // Shows the screen brightness the mouse has, without sending it.
    void setLightIntensity(int intensity);
    // Tests choose the picture themselves.
    void setPictureChooser(PictureChooser chooser) { m_chooser = std::move(chooser); }

    DrawBorderWidget *canvas() const;
    // Saves the picture as the profile's BMP (folder created); true when it
    // is on disk.
    bool saveDrawImage();

signals:
    void sig_SetImageOnMouse(QString configNumber);
    void sig_OLEDScreenParameter(int behaviour);
    void sig_OLEDScreenLightIntensity(int intensity);
    void sig_WarningTypeOnMainWindow(int warningType);
    void sig_SendEventMessageToGA(const QString &category, const QString &action, const QString &label,
                                  const QString &viewScreen);

public slots:
    void slot_loadImage(const QString &path);

private slots:
    void on_closeButton_clicked();
    void on_DrawCancleButton_clicked();
    void on_DrawOkButton_clicked();
    void on_Brush_Button_clicked();
    void on_Recall_Button_clicked();
    void on_TextEditButton_clicked();
    void on_ChangeBackground_CheckBox_stateChanged(int arg1);
    void on_fontComboBox_currentFontChanged(const QFont &font);
    void on_spinBox_valueChanged(int arg1);
    void on_AddPictureButton_clicked();
    void on_Erase_Button_clicked();
    void on_ShowCpiValueButton_clicked();
    void on_ShowApmButton_clicked();
    void on_CloseOLEDScreenButton_clicked();
    void slot_LightIntensityChange(int value);

private:
    void setLanguageTexts();
    void brushButtonSelected(bool brushButtonClick);
    void textEditButtonSelected(bool textEditButtonClick);
    void initText();
    void chooseDisplay(int behaviour, QAbstractButton *button);
    void sendUiEvent(const QAbstractButton *button);

    Ui::DrawDialog *m_ui;
    int m_mouseType = 0;
    QString m_configNumber = QStringLiteral("1");
    PictureChooser m_chooser;
};
