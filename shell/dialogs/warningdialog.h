#pragma once

#include "shell/dialogs/warningtypes.h"

#include "shell/dialogs/overlaydialog.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTextEdit;
class QWidget;

// The overlay through which every question, notice and error reaches the
// user, chosen by a warning type number. A frameless child of the main
// window that covers its client area and keeps the keyboard to itself
// (Escape is Cancel); the main window builds one for each warning and
// connects the signals below. GUI thread only.
class WarningDialog : public OverlayDialog
{
    Q_OBJECT

public:
    explicit WarningDialog(QWidget *parent = nullptr);

    // Applies a type's texts, extras and button roles (the progress
    // display for 12, 13 and 42). Resets whatever an earlier type set.
    void setWarningType(int type);
    // The type's title with the caller's message as the body (an empty
    // message keeps the type's own body).
    void setWarningTypeWithMessage(int type, const QString &message);
    int warningType() const { return m_warningType; }

    void setCurrentPid(quint16 productId) { m_currentPid = productId; }
    quint16 currentPid() const { return m_currentPid; }
    void setDownloadPath(const QString &path) { m_downloadPath = path; }
    QString downloadPath() const { return m_downloadPath; }

    // Firmware progress in percent for the progress display.
    void setProgress(int percent);

signals:
    void sig_QuitUser();
    void sig_ResetMouseToOriginal();
    void sig_ChangeConfiFileBeforeStartToUploadFile();
    void sig_StarToDownloadFile();
    void sig_GetMouseProfileAgain();
    void sig_GoToMatchCodePage();
    void sig_DownloadAndUpdateFirmwareNow();
    void sig_UpdateFirmwareNow();
    void sig_UpdateFirmwareNow_Halden();
    void sig_SaveCurrentProfileFileToConfig1();
    void sig_ConfigRevcover(int i);
    void sig_GoToSupportWidget();
    void sig_ShowUpdateWidget(bool isChangeable, bool isLocalUpdateState, int mouseType, bool isUpdateNow);
    void sig_UpdateButtonEnable();
    void sig_OpenMouseAgain();
    void sig_exitSoftware();
    void sig_RestartSoftware();
    void sig_SendUIEventMessageToGA(const QString &category, const QString &action, const QString &label,
                                    const QString &viewScreen);

public slots:
    void on_OkButton_clicked();
    void on_Cancle_Button_clicked();
    void on_WakeUpMouseFailePushButton_clicked();
    void on_SupportButton_clicked();

protected:
    void escapePressed() override;

private:
    void buildWidgets();
    void resetToDefaults();
    void runAction(WarningAction action);
    void storeNoLongerRemind();
    void sendUiEvent(const QString &buttonText);

    int m_warningType = -1;
    quint16 m_currentPid = 0;
    QString m_downloadPath;
    // Reserved for messages the later pages hand over.
    QString m_message1;
    QString m_message2;
    QString m_message3;

    QWidget *m_warningWidget = nullptr;
    QLabel *m_title = nullptr;
    QTextEdit *m_text = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_wakeUp = nullptr;
    QPushButton *m_support = nullptr;
    QCheckBox *m_noLongerRemind = nullptr;
    QWidget *m_updateWidget = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QLabel *m_updatingLabel = nullptr;
    QWidget *m_batteryWidget = nullptr;
};
