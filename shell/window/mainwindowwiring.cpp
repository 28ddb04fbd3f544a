#include "shell/window/mainwindowwiring.h"

#include "cloud/cloudsyncwidget.h"
#include "cloud/userdialog.h"
#include "coordinator/dcdatahandle.h"
#include "discovery/checkdevice.h"
#include "editors/keysetting/keysettingdialog.h"
#include "editors/macro/macroeditwidget.h"
#include "editors/lighting/lightsettingwidget.h"
#include "editors/oled/drawdialog.h"
#include "shell/dialogs/loadmessagedialog.h"
#include "shell/dialogs/needdevicedialog.h"
#include "shell/dialogs/warningdialog.h"
#include "shell/mainsetting/mainsettingwidget.h"
#include "shell/pairing/codewidget.h"
#include "shell/window/mainwindow.h"
#include "shell/window/pagenavigator.h"
#include "shell/window/trayicon.h"
#include "update/lastversion.h"
#include "update/widgets/supportwidget.h"
#include "update/widgets/updatemousedialog.h"
#include "ui_mainwindow.h"

#include <QAction>
#include <QPushButton>

MainWindowWiring::MainWindowWiring(MainWindow *window)
    : m_window(window)
{
}

void MainWindowWiring::connectControls() const
{
    // The form connects nothing by name: the tray slots carry the on_ prefix
    // without a form object behind them, and by-name connection would warn
    // about each of them on every start.
    MainWindow *w = m_window;
    const Ui::MainWindow &ui = *w->m_ui;
    QObject::connect(ui.MainSettingButton, &QPushButton::clicked, w, &MainWindow::on_MainSettingButton_clicked);
    QObject::connect(ui.LightSettingButton, &QPushButton::clicked, w, &MainWindow::on_LightSettingButton_clicked);
    QObject::connect(ui.MacroEditButton, &QPushButton::clicked, w, &MainWindow::on_MacroEditButton_clicked);
    QObject::connect(ui.SupportButton, &QPushButton::clicked, w, &MainWindow::on_SupportButton_clicked);
    QObject::connect(ui.CloudSyncButton, &QPushButton::clicked, w, &MainWindow::on_CloudSyncButton_clicked);
    QObject::connect(ui.ConfigureButton_1, &QPushButton::clicked, w, &MainWindow::on_ConfigureButton_1_clicked);
    QObject::connect(ui.ConfigureButton_2, &QPushButton::clicked, w, &MainWindow::on_ConfigureButton_2_clicked);
    QObject::connect(ui.ConfigureButton_3, &QPushButton::clicked, w, &MainWindow::on_ConfigureButton_3_clicked);
    QObject::connect(ui.ConfigureButton_4, &QPushButton::clicked, w, &MainWindow::on_ConfigureButton_4_clicked);
    QObject::connect(ui.ConfigureButton_5, &QPushButton::clicked, w, &MainWindow::on_ConfigureButton_5_clicked);
    QObject::connect(ui.ResetToOriginalButton, &QPushButton::clicked, w,
                     &MainWindow::on_ResetToOriginalButton_clicked);
    QObject::connect(ui.LoginButton, &QPushButton::clicked, w, &MainWindow::on_LoginButton_clicked);
    QObject::connect(ui.QuitUserButton, &QPushButton::clicked, w, &MainWindow::on_QuitUserButton_clicked);
    QObject::connect(ui.minimumButton, &QPushButton::clicked, w, &MainWindow::on_minimumButton_clicked);
    QObject::connect(ui.quitButton, &QPushButton::clicked, w, &MainWindow::on_quitButton_clicked);

    QObject::connect(w->m_trayIcon->showMainAction(), &QAction::triggered, w, &MainWindow::on_showMainAction);
    QObject::connect(w->m_trayIcon->exitAppAction(), &QAction::triggered, w, &MainWindow::on_exitAppAction);
    QObject::connect(w->m_trayIcon, &QSystemTrayIcon::activated, w, &MainWindow::on_activatedSysTrayIcon);

    QObject::connect(w->m_pages, &PageNavigator::sig_PairingPageLeft, w, &MainWindow::sig_stopCode);
}

void MainWindowWiring::connectCoordinator() const
{
    MainWindow *w = m_window;
    DCDataHandle *dc = w->m_dataHandle;
    MainSettingWidget *page = w->m_mainSettingPage;
    LoadMessageDialog *overlay = w->m_loadingDialog;
    const auto q = Qt::QueuedConnection;

    // Coordinator to window and pages.
    QObject::connect(dc, &DCDataHandle::sig_ShowWarningDialog, w, &MainWindow::slot_showWarningDialog, q);
    QObject::connect(dc, &DCDataHandle::sig_VersionNumber, w, &MainWindow::slot_GetCurrentFirmVersion, q);
    QObject::connect(dc, &DCDataHandle::sig_VersionNumber, w->m_supportPage, &SupportWidget::setVersionNumber, q);
    QObject::connect(dc, &DCDataHandle::sig_SetCurrentCpiListValueOnPage, page,
                     &MainSettingWidget::slot_SetCpidListValueOnPage, q);
    QObject::connect(dc, &DCDataHandle::sig_SetCurrentReportRate, page,
                     &MainSettingWidget::slot_SetUSBReportRateOnPage, q);
    QObject::connect(dc, &DCDataHandle::sig_CurrentButtonIsOriginalButton, page,
                     &MainSettingWidget::slot_SetMouseButtonStyleSheetIsOriginal, q);
    QObject::connect(dc, &DCDataHandle::sig_TrueMouseValue, page, &MainSettingWidget::slot_SetKeyTrueValue, q);
    QObject::connect(dc, &DCDataHandle::sig_CPIListValueWritten, page, &MainSettingWidget::slot_CpiListWritten, q);
    QObject::connect(dc, &DCDataHandle::sig_SetLightParameterOnPage, w->m_lightSettingPage,
                     &LightSettingWidget::slot_SetLightParameter, q);
    QObject::connect(dc, &DCDataHandle::sig_SetCurrentConfigure, w, &MainWindow::showCurrentConfigButton, q);
    QObject::connect(dc, &DCDataHandle::sig_startCode, w, &MainWindow::slot_startCode, q);
    QObject::connect(dc, &DCDataHandle::sig_finishCode, w, &MainWindow::slot_finishCode, q);
    QObject::connect(dc, &DCDataHandle::sig_OpenDeviceResult, w, &MainWindow::slot_OpenDeviceResult, q);
    QObject::connect(dc, &DCDataHandle::sig_BatteryPower, w, &MainWindow::slot_BatteryPower, q);
    QObject::connect(dc, &DCDataHandle::sig_ShowLoadingDialog, overlay, &LoadMessageDialog::slot_StartLoadingDialog,
                     q);
    QObject::connect(dc, &DCDataHandle::sig_EndLoadingDialog, overlay, &LoadMessageDialog::slot_StopLoadingDialog, q);
    QObject::connect(dc, &DCDataHandle::sig_SendOperationEventMessageToGA, w, &MainWindow::slot_SendMessageToGA, q);
    QObject::connect(dc, &DCDataHandle::sig_ShowUpdateWidget, w, &MainWindow::slot_ShowUpdateFirmwareWidget, q);
    QObject::connect(dc, &DCDataHandle::sig_RemoveReloadWidget, w, &MainWindow::sig_RemoveReloadWidget, q);
    QObject::connect(dc, &DCDataHandle::sig_CloseUpdateMouseDialog, w, &MainWindow::sig_CloseUpdateMouseDialog, q);
    QObject::connect(dc, &DCDataHandle::sig_closeUpdatingWidget, w, &MainWindow::slot_FirmwareFlashEnded, q);
    // The old-format files are written: the upload may start.
    QObject::connect(dc, &DCDataHandle::sig_StartToUploadFile, w->m_cloudSyncPage,
                     &CloudSyncWidget::slot_startToUploadConfigFiles, q);

    // Window to coordinator.
    QObject::connect(w, &MainWindow::sig_LoadFileAndeWriteIntoMouse, dc,
                     &DCDataHandle::slot_LoadLocalConfigFileAndWriteIntoMouse, q);
    QObject::connect(w, &MainWindow::sig_LoadOnlyMouseFileIntoMouse, dc,
                     &DCDataHandle::slot_LoadOnlyLocalMouseConfigFileAndWriteIntoMouse, q);
    QObject::connect(w, &MainWindow::sig_LoadCurrentConfigImage, dc, &DCDataHandle::slot_WriteImageToMouse, q);
    QObject::connect(w, &MainWindow::sig_ConstructAllThings, dc, &DCDataHandle::connectSignal, q);
    QObject::connect(w, &MainWindow::sig_DissMissAllThings, dc, &DCDataHandle::destroyUselessThings, q);
    QObject::connect(w, &MainWindow::sig_ResetAllConfigFile, dc, &DCDataHandle::slot_ResetConfigToOriginal, q);
    QObject::connect(w, &MainWindow::sig_startCode, dc, &DCDataHandle::slot_startCode, q);
    QObject::connect(w, &MainWindow::sig_stopCode, dc, &DCDataHandle::slot_stopCode, q);
    QObject::connect(w, &MainWindow::sig_OpenDevice, dc, &DCDataHandle::slot_OpenDevice, q);
    QObject::connect(w, &MainWindow::sig_GetBatteryPower, dc, &DCDataHandle::slot_GetBatteryPower, q);

    // Window to itself.
    QObject::connect(w, &MainWindow::sig_WarningTypeOnMainWindow, w, &MainWindow::slot_showWarningDialog);
    QObject::connect(w, &MainWindow::sig_ShowWarningWidgetWithSpecifyMessage, w,
                     &MainWindow::slot_showWarningDialogWithSpecifyMessage);
}

void MainWindowWiring::connectPages() const
{
    MainWindow *w = m_window;
    DCDataHandle *dc = w->m_dataHandle;
    MainSettingWidget *page = w->m_mainSettingPage;
    CodeWidget *pairing = w->m_codeWidget;
    const auto q = Qt::QueuedConnection;

    QObject::connect(page, &MainSettingWidget::sig_ChangeCPIListValue, dc, &DCDataHandle::slot_setCPIListValueOnMouse,
                     q);
    QObject::connect(page, &MainSettingWidget::sig_ChangeUSBReportRate, dc, &DCDataHandle::slot_ChangeUsbReportRate,
                     q);
    QObject::connect(page, &MainSettingWidget::sig_SetGearCurrentValue, dc, &DCDataHandle::slot_SetGearCurrentValue,
                     q);
    QObject::connect(page, &MainSettingWidget::sig_showDrawDialog, w, &MainWindow::showDrawBorder);
    QObject::connect(page, &MainSettingWidget::sig_showKeySettingDialog, w, &MainWindow::slot_showKeySettingDialog);
    QObject::connect(page, &MainSettingWidget::sig_SetPointSpeed, w, &MainWindow::slot_SetSysPointSpeed);
    QObject::connect(page, &MainSettingWidget::sig_SetTrolleySpeed, w, &MainWindow::slot_SetSysTrolleyValue);
    QObject::connect(page, &MainSettingWidget::sig_SendEventMessageToGA, w, &MainWindow::slot_SendMessageToGA);

    SupportWidget *support = w->m_supportPage;
    QObject::connect(support, &SupportWidget::sig_ShowWarningWidgetOnSupportWidget, w,
                     &MainWindow::slot_showWarningDialog);
    QObject::connect(support, &SupportWidget::sig_ShowWarningWidgetWithSpecifyMessageOnSupportWidget, w,
                     &MainWindow::slot_showWarningDialogWithSpecifyMessage);
    QObject::connect(support, &SupportWidget::sig_ShowUpdateWidget, w, &MainWindow::slot_ShowUpdateFirmwareWidget);
    QObject::connect(support, &SupportWidget::sig_CheckSoftwareIsLastVersion, w,
                     &MainWindow::slot_SoftwareUpdateArrowsBySupprotWidget);
    QObject::connect(support, &SupportWidget::sig_SendUIEventMessageToGA, w, &MainWindow::slot_SendMessageToGA);

    CloudSyncWidget *cloud = w->m_cloudSyncPage;
    LoadMessageDialog *overlay = w->m_loadingDialog;
    QObject::connect(cloud, &CloudSyncWidget::sig_ShowWarningDialogOnCloudSyncWidget, w,
                     &MainWindow::slot_showWarningDialog);
    QObject::connect(cloud, &CloudSyncWidget::sig_ShowWarningDialogWithSpecifyMessageOnCloudSyncWidget, w,
                     &MainWindow::slot_showWarningDialogWithSpecifyMessage);
    QObject::connect(cloud, &CloudSyncWidget::sig_LoadConfigFileAfterDownloadSucced, w,
                     &MainWindow::slot_LoadConfigFileAfterDownloadSucced);
    QObject::connect(cloud, &CloudSyncWidget::sig_ShowLoadingDialog, overlay,
                     &LoadMessageDialog::slot_StartLoadingDialog);
    QObject::connect(cloud, &CloudSyncWidget::sig_EndLoadingDialog, overlay, &LoadMessageDialog::slot_StopLoadingDialog);
    QObject::connect(cloud, &CloudSyncWidget::sig_RemoveOldFile, dc, &DCDataHandle::slot_removeOldTxtFile, q);
    QObject::connect(cloud, &CloudSyncWidget::sig_ShowEditHeadImageDialogOnCloudSyncWidget, w,
                     &MainWindow::slot_showEditHeadImageDialog);
    QObject::connect(cloud, &CloudSyncWidget::sig_SendUIEventMessageToGA, w, &MainWindow::slot_SendMessageToGA);
    QObject::connect(w->m_pages, &PageNavigator::sig_ClearCloudPasswords, cloud,
                     &CloudSyncWidget::clearPasswordFields);

    MacroEditWidget *macros = w->m_macroPage;
    QObject::connect(macros, &MacroEditWidget::sig_ShowWarningWidgetOnMacroEditWidget, w,
                     &MainWindow::slot_showWarningDialog);
    QObject::connect(macros, &MacroEditWidget::sig_HeaderButtonEnable, w, &MainWindow::slot_SetHeaderButtonEnabled);
    QObject::connect(macros, &MacroEditWidget::sig_BanClickTopButton, w, &MainWindow::slot_BanTopButtonClick);
    QObject::connect(macros, &MacroEditWidget::sig_SendEventMessageToGA, w, &MainWindow::slot_SendMessageToGA);
    LightSettingWidget *light = w->m_lightSettingPage;
    QObject::connect(light, &LightSettingWidget::sig_MouseColor, dc, &DCDataHandle::slot_SetMouseColor, q);
    QObject::connect(light, &LightSettingWidget::sig_MouseLightMode, dc, &DCDataHandle::slot_setMouseLightMode, q);
    QObject::connect(light, &LightSettingWidget::sig_MouseContinueLightDegree, dc,
                     &DCDataHandle::slot_MouseContinueLightDegree, q);
    QObject::connect(light, &LightSettingWidget::sig_MouseBreathSpeed, dc, &DCDataHandle::slot_MouseBreathSpeed, q);
    QObject::connect(light, &LightSettingWidget::sig_SendEventMessageToGA, w, &MainWindow::slot_SendMessageToGA);

    QObject::connect(pairing, &CodeWidget::sig_startCode, w, &MainWindow::sig_startCode);
    QObject::connect(pairing, &CodeWidget::sig_stopCode, w, &MainWindow::slot_stopCode);
    QObject::connect(pairing, &CodeWidget::sig_SendUIEventMessageToGA, w, &MainWindow::slot_SendMessageToGA);
}

void MainWindowWiring::connectWatcher() const
{
    MainWindow *w = m_window;
    CheckDevice *watcher = w->m_checkDevice;
    const auto q = Qt::QueuedConnection;

    QObject::connect(watcher, &CheckDevice::sigFound, w, &MainWindow::slot_WarningDeviceNotInsert, q);
    QObject::connect(watcher, &CheckDevice::sigBlootDescriptor, w, &MainWindow::slot_SetKorvanMouseBooltDescriptor, q);
    QObject::connect(watcher, &CheckDevice::sigNoPermission, w, &MainWindow::slot_DeviceNotPermitted, q);
    // A failed open goes straight back to the watcher, which tries again.
    QObject::connect(w->m_dataHandle, &DCDataHandle::sig_OpenDeviceFailed, watcher, &CheckDevice::slot_OpenFailed, q);
    QObject::connect(w->m_dataHandle, &DCDataHandle::sig_StartCheckDeviceTimer, watcher, &CheckDevice::startTheTimer,
                     q);
    QObject::connect(w->m_dataHandle, &DCDataHandle::sig_StopCheckDeviceTimer, watcher, &CheckDevice::stopTheTimer, q);
}

void MainWindowWiring::connectVersionChecker() const
{
    MainWindow *w = m_window;
    const auto q = Qt::QueuedConnection;
    QObject::connect(w, &MainWindow::sig_CheckLastSoftwareVersion, w->m_lastVersion,
                     &LastVersion::RpLastSoftwareVersionJson, q);
    QObject::connect(w->m_lastVersion, &LastVersion::sigLastVersionRet, w, &MainWindow::slot_LastSoftWareVersionRet, q);
}

void MainWindowWiring::connectUpdateDialog(UpdateMouseDialog *dialog) const
{
    MainWindow *w = m_window;
    DCDataHandle *dc = w->m_dataHandle;
    const auto q = Qt::QueuedConnection;

    // The window's relays of the warning dialog's answers and of the
    // coordinator's request to close (sig_CloseUpdateMouseDialog).
    QObject::connect(w, &MainWindow::sig_UpdateFirmwareNow, dialog, &UpdateMouseDialog::slot_UpdateFirmware);
    QObject::connect(w, &MainWindow::sig_UpdateFirmwareNow_Halden, dialog, &UpdateMouseDialog::slot_runUpdateExe);
    QObject::connect(w, &MainWindow::sig_UpdateButtonEnable, dialog, &UpdateMouseDialog::slot_UpdateButtonEnable);
    QObject::connect(w, &MainWindow::sig_CloseUpdateMouseDialog, dialog, &QDialog::close);

    QObject::connect(dialog, &UpdateMouseDialog::sig_ShowWarningDialog, w, &MainWindow::slot_showWarningDialog);
    QObject::connect(dialog, &UpdateMouseDialog::sig_SendUIEventMessageToGA, w, &MainWindow::slot_SendMessageToGA);
    QObject::connect(dialog, &UpdateMouseDialog::sig_UpdateFirmwareKorvan, dc, &DCDataHandle::slot_UpdateFirmwareKorvan,
                     q);
    QObject::connect(dc, &DCDataHandle::sig_ProcessVaule, dialog, &UpdateMouseDialog::slot_UpdateProgress, q);
    QObject::connect(dc, &DCDataHandle::sig_closeUpdatingWidget, dialog, &UpdateMouseDialog::slot_UpdateFinished, q);
}

void MainWindowWiring::connectNeedDeviceDialog() const
{
    MainWindow *w = m_window;
    NeedDeviceDialog *dialog = w->m_needDeviceDialog;
    QObject::connect(dialog, &NeedDeviceDialog::sig_closeWindow, w, &MainWindow::slot_needDeviceDialogClienk);
    QObject::connect(dialog, &NeedDeviceDialog::sig_ShowUpdateWidget, w, &MainWindow::slot_ShowUpdateFirmwareWidget);
}

void MainWindowWiring::connectUserDialog(UserDialog *dialog) const
{
    MainWindow *w = m_window;
    QObject::connect(dialog, &UserDialog::loginSucced, w, &MainWindow::checkTokenIsExit);
    QObject::connect(dialog, &UserDialog::sig_ShowWarningDialog, w, &MainWindow::slot_showWarningDialog);
    QObject::connect(dialog, &UserDialog::sig_SendUIEventMessageToGA, w, &MainWindow::slot_SendMessageToGA);
}

void MainWindowWiring::connectWarningDialog(WarningDialog *dialog, bool closesWhenFlashingEnds,
                                            bool closesOnReload, bool showsDownload) const
{
    MainWindow *w = m_window;
    DCDataHandle *dc = w->m_dataHandle;
    const auto q = Qt::QueuedConnection;

    QObject::connect(dialog, &WarningDialog::sig_QuitUser, w, &MainWindow::slot_quitUser);
    QObject::connect(dialog, &WarningDialog::sig_ResetMouseToOriginal, w, &MainWindow::slot_ResetMouseToOriginal);
    QObject::connect(dialog, &WarningDialog::sig_ChangeConfiFileBeforeStartToUploadFile, dc,
                     &DCDataHandle::slot_TurnNewFileToOldFile, q);
    QObject::connect(dialog, &WarningDialog::sig_StarToDownloadFile, w->m_cloudSyncPage,
                     &CloudSyncWidget::slot_startToDownLoadFiles);
    QObject::connect(dialog, &WarningDialog::sig_GetMouseProfileAgain, dc, &DCDataHandle::slot_GetProfileFromMouse, q);
    QObject::connect(dialog, &WarningDialog::sig_SaveCurrentProfileFileToConfig1, dc,
                     &DCDataHandle::slot_SaveProfileToConfig1, q);
    QObject::connect(dialog, &WarningDialog::sig_OpenMouseAgain, dc, &DCDataHandle::slot_OpenDeviceAgain, q);
    QObject::connect(dialog, &WarningDialog::sig_UpdateFirmwareNow, w, &MainWindow::sig_UpdateFirmwareNow);
    QObject::connect(dialog, &WarningDialog::sig_UpdateFirmwareNow_Halden, w, &MainWindow::sig_UpdateFirmwareNow_Halden);
    QObject::connect(dialog, &WarningDialog::sig_UpdateButtonEnable, w, &MainWindow::sig_UpdateButtonEnable);
    QObject::connect(dialog, &WarningDialog::sig_ConfigRevcover, w, &MainWindow::on_ConfigureButton_1_clicked);
    QObject::connect(dialog, &WarningDialog::sig_GoToMatchCodePage, w, &MainWindow::slot_GoToMatchCodePage);
    QObject::connect(dialog, &WarningDialog::sig_GoToSupportWidget, w, &MainWindow::on_SupportButton_clicked);
    QObject::connect(dialog, &WarningDialog::sig_ShowUpdateWidget, w, &MainWindow::slot_ShowUpdateFirmwareWidget);
    QObject::connect(dialog, &WarningDialog::sig_exitSoftware, w, &MainWindow::exitApplication);
    QObject::connect(dialog, &WarningDialog::sig_RestartSoftware, w, &MainWindow::slot_startWattingProcess);
    QObject::connect(dialog, &WarningDialog::sig_SendUIEventMessageToGA, w, &MainWindow::slot_SendMessageToGA);

    QObject::connect(dialog, &WarningDialog::sig_DownloadAndUpdateFirmwareNow, w->m_supportPage,
                     &SupportWidget::slot_StartUpdateFirmWare);

    QObject::connect(w, &MainWindow::sig_RemoveWarningWidget, dialog, &QDialog::close);
    QObject::connect(w->m_supportPage, &SupportWidget::sig_closeUpdateWidget, dialog, &QDialog::close);
    if (showsDownload)
        QObject::connect(w->m_supportPage, &SupportWidget::sig_DownloadProgress, dialog, &WarningDialog::setProgress);
    if (closesWhenFlashingEnds)
        QObject::connect(dc, &DCDataHandle::sig_closeUpdatingWidget, dialog, &QDialog::close, q);
    if (closesOnReload)
        QObject::connect(w, &MainWindow::sig_RemoveReloadWidget, dialog, &QDialog::close);
}

void MainWindowWiring::connectKeySettingDialog(KeySettingDialog *dialog) const
{
    MainWindow *w = m_window;
    DCDataHandle *dc = w->m_dataHandle;
    const auto q = Qt::QueuedConnection;

    // The true value and the modifier travel unsigned from the dialog.
    QObject::connect(dialog, &KeySettingDialog::sig_ButtonChangeToKey, dc,
                     [dc](int button, uint trueValue, uint modifier, int changeType) {
                         dc->slot_ChangeButtonToKey(button, int(trueValue), int(modifier), changeType);
                     },
                     q);
    QObject::connect(dialog, &KeySettingDialog::sig_WriteSingleMacro, dc, &DCDataHandle::slot_WriteSingleMacro, q);
    QObject::connect(dialog, &KeySettingDialog::sig_WriteListMacro, dc, &DCDataHandle::slot_WriteListMacro, q);
    QObject::connect(dialog, &KeySettingDialog::sig_ShowWarningDialog, w, &MainWindow::slot_showWarningDialog);
    QObject::connect(dialog, &KeySettingDialog::sig_SendEventMessageToGA, w, &MainWindow::slot_SendMessageToGA);
    QObject::connect(w, &MainWindow::sig_CloseKeySettingDialog, dialog, &QDialog::close);
}

void MainWindowWiring::connectDrawDialog(DrawDialog *dialog) const
{
    MainWindow *w = m_window;
    DCDataHandle *dc = w->m_dataHandle;
    const auto q = Qt::QueuedConnection;

    QObject::connect(dialog, &DrawDialog::sig_SetImageOnMouse, dc, &DCDataHandle::slot_WriteImageToMouse, q);
    QObject::connect(dialog, &DrawDialog::sig_OLEDScreenParameter, dc, &DCDataHandle::slot_OLEDScreenpParameter, q);
    QObject::connect(dialog, &DrawDialog::sig_OLEDScreenLightIntensity, dc,
                     &DCDataHandle::slot_SetOLEDScreenLightIntensity, q);
    QObject::connect(dialog, &DrawDialog::sig_WarningTypeOnMainWindow, w, &MainWindow::sig_WarningTypeOnMainWindow);
    QObject::connect(dialog, &DrawDialog::sig_SendEventMessageToGA, w, &MainWindow::slot_SendMessageToGA);
    QObject::connect(w, &MainWindow::sig_DissMissAllThings, dialog, &QDialog::close);
}
