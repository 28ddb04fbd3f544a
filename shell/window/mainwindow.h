#pragma once

#include "device/devicetypes.h"
#include "update/widgets/updatemousedialog.h"

#include <QMainWindow>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QThread>

#include <array>
#include <functional>
#include <memory>

namespace Ui {
class MainWindow;
}

class CheckDevice;
class CloudSyncWidget;
class CodeWidget;
class DCDataHandle;
class FindProcess;
class HidBus;
class KeySettingDialog;
class LastVersion;
class LightSettingWidget;
class LoadMessageDialog;
class MacroEditWidget;
class MainSettingWidget;
class NeedDeviceDialog;
class PageNavigator;
class QMenu;
class QPushButton;
class SupportWidget;
class TrayIcon;
class WarningDialog;

// What tests and tools may change about the window's workers; the
// defaults are the product's.
struct MainWindowOptions
{
    // Where the device watcher looks (the process-wide bus when nullptr).
    HidBus *watcherBus = nullptr;
    int watcherIntervalMs = 1000;
    int batteryIntervalMs = 3000;
};

// The frameless main window and the application's switchboard. It owns the
// data coordinator (on dataThread), the device watcher (on
// checkDeviceThread) and the software version checker (on
// lastVersionThread), the no-device dialog, the busy overlay and the tray
// icon; it holds the pages in one stacked widget with the tabs above and
// the profile bar below (its form: mainwindow.ui; switching pages:
// PageNavigator). Pages and workers never call each other: MainWindowWiring
// connects their signals through the window, which decides what follows.
// Everything here runs on the GUI thread; the coordinator is reached only
// through queued signals and its thread-safe accessors.
class MainWindow : public QMainWindow
{
    Q_OBJECT
    friend class MainWindowWiring;

public:
    // Stacked widget pages.
    enum Page { MainPage = 0, LightPage = 1, MacroPage = 2, SupportPage = 3, CloudPage = 4, CodePage = 5 };

    explicit MainWindow(QWidget *parent = nullptr);
    explicit MainWindow(const MainWindowOptions &options, QWidget *parent = nullptr);
    ~MainWindow() override;

    // How the exit paths end the process; the default leaves the event
    // loop with the code so main() can save state and stop the workers.
    void setExitHandler(std::function<void(int)> handler) { m_exitHandler = std::move(handler); }

    // Ends the worker threads, waiting at most timeoutMs for them, but for as
    // long as it takes while a firmware image is being written. False when a
    // worker is still busy (a device call stuck in a driver): the caller may
    // then leave without it rather than hang a logout.
    bool stopWorkers(int timeoutMs);

    DCDataHandle *dataHandle() const { return m_dataHandle; }
    CheckDevice *checkDevice() const { return m_checkDevice; }
    LoadMessageDialog *loadingDialog() const { return m_loadingDialog; }
    NeedDeviceDialog *needDeviceDialog() const { return m_needDeviceDialog; }
    MainSettingWidget *mainSettingPage() const { return m_mainSettingPage; }
    MacroEditWidget *macroEditPage() const { return m_macroPage; }
    // The key assignment dialog while it is open; nullptr otherwise.
    KeySettingDialog *keySettingDialog() const;
    LightSettingWidget *lightSettingPage() const { return m_lightSettingPage; }
    CodeWidget *codeWidget() const { return m_codeWidget; }
    SupportWidget *supportPage() const { return m_supportPage; }
    // The open firmware update dialog, or nullptr.
    UpdateMouseDialog *updateDialog() const { return m_updateDialog; }
    CloudSyncWidget *cloudSyncPage() const { return m_cloudSyncPage; }
    QSystemTrayIcon *trayIcon() const;
    QMenu *trayMenu() const;

    int currentConfigure() const { return m_currentConfigure; }
    int firmwareVersion() const { return m_firmwareVersion; }
    bool isLogin() const { return m_isLogin; }
    quint16 currentPid() const { return m_currentPid; }
    int bootDescriptorType() const { return m_bootDescriptorType; }
    int batteryTimerId() const { return m_batteryTimerId; }
    int openedMouseType() const { return m_openedMouseType; }
    // Whether the lighting page is to treat the model as family A (-1 until
    // a model that decides it was applied).
    int lightingFamilyA() const { return m_lightingFamilyA; }
    QString downloadPath() const { return m_downloadPath; }
    bool isManualUpdateCheck() const { return m_isManualUpdateCheck; }

signals:
    void QuitTheApplication();
    void sig_WarningTypeOnMainWindow(int warningType);
    void sig_LoadFileAndeWriteIntoMouse(int configNumber);
    void sig_LoadOnlyMouseFileIntoMouse(int configNumber);
    void sig_LoadCurrentConfigImage(QString number);
    void sig_CheckLastSoftwareVersion(QString versionType);
    void sig_UpdateFirmwareNow();
    void sig_UpdateFirmwareNow_Halden();
    void sig_RemoveReloadWidget();
    void sig_RemoveWarningWidget();
    void sig_ConstructAllThings();
    void sig_DissMissAllThings();
    void sig_ResetAllConfigFile();
    void sig_startCode();
    void sig_stopCode();
    void sig_OpenDevice(uint Pid, uint Vid);
    void sig_GetBatteryPower();
    void sig_CloseUpdateMouseDialog();
    void sig_UpdateButtonEnable();
    void sig_ShowWarningWidgetWithSpecifyMessage(int type, QString message);
    void sig_CloseKeySettingDialog();

public slots:
    // Device arrival (isfind true) and removal from the watcher.
    void slot_WarningDeviceNotInsert(bool isfind, uint Pid, uint Vid);
    void slot_SetKorvanMouseBooltDescriptor(int mouseType);
    // A mouse keeps failing to open because this user may not open it.
    void slot_DeviceNotPermitted(uint Pid, uint Vid);
    void SetCurrentPid(USHORT pid);
    void slot_OpenDeviceResult(bool result, int mouseType, bool isWirelessState);
    void slot_GetCurrentFirmVersion(int version);
    void slot_SoftwareUpdateArrowsBySupprotWidget();
    void slot_LastSoftWareVersionRet(int rCode, QString rMsg, QString version, QString path, QString versionDate);

    void slot_showWarningDialog(int warningType);
    void slot_showWarningDialogWithSpecifyMessage(int warningType, QString warningMessage);

    void showCurrentConfigButton(int number);
    void slot_ShowCurrentConfigButton(int number);
    void setCurrentConfigButton(int number);
    void slot_LoadConfigFileAfterDownloadSucced(int number);

    void slot_ResetMouseToOriginal();
    void slot_quitUser();
    void checkTokenIsExit();

    void slot_GoToMatchCodePage();
    void slot_startCode(bool ok);
    void slot_finishCode(bool ok);
    void slot_stopCode();

    void slot_needDeviceDialogClienk();
    void slot_startWattingProcess();
    void slotMessageReceived(const QString &msg);
    // SIGTERM or SIGINT: leave the event loop the normal way, but only once a
    // running firmware update has finished.
    void slot_TerminationRequested(int signalNumber);
    void slot_FirmwareFlashEnded();

    // Tray, window controls and indicators.
    void on_activatedSysTrayIcon(QSystemTrayIcon::ActivationReason reason);
    void on_showMainAction();
    void on_exitAppAction();
    void on_minimumButton_clicked();
    void on_quitButton_clicked();
    void slot_BatteryPower(DWORD value);
    void wiredMouseOnSupportPage(bool isWirelessState);
    void slot_SetHeaderButtonEnabled(bool state);
    void slot_BanTopButtonClick(bool state, bool isTransparent);
    void slot_SetSysPointSpeed(int value);
    void slot_SetSysTrolleyValue(int value);
    // The key assignment dialog for a button, with what the button does now.
    void slot_showKeySettingDialog(int changedButton, int buttonChangeType, int buttonTrueValue, int modifyKeyValue);

    // Tabs and bars.
    void on_MainSettingButton_clicked();
    void on_LightSettingButton_clicked();
    void on_MacroEditButton_clicked();
    void on_SupportButton_clicked();
    void on_CloudSyncButton_clicked();
    void on_ConfigureButton_1_clicked();
    void on_ConfigureButton_2_clicked();
    void on_ConfigureButton_3_clicked();
    void on_ConfigureButton_4_clicked();
    void on_ConfigureButton_5_clicked();
    void on_ResetToOriginalButton_clicked();
    void on_QuitUserButton_clicked();

    // The login dialog and the avatar dialog, over the window.
    void on_LoginButton_clicked();
    void slot_showEditHeadImageDialog();

    // The OLED editor over the window, for the open model and profile.
    void showDrawBorder();

    // Opens the firmware update dialog (one at a time): locked to mouseType
    // unless isChangeable, with the Local/ package when isLocalUpdateState
    // (or the other one when only that is there), starting at once when
    // isUpdateNow and a model is given.
    void slot_ShowUpdateFirmwareWidget(bool isChangeable, bool isLocalUpdateState, int mouseType, bool isUpdateNow);

    // Entry points whose dialogs and clients the program does not have:
    // each logs what it was asked and does nothing else.
    void slot_SendMessageToGA(const QString &category, const QString &action, const QString &label,
                              const QString &viewScreen);

protected:
    void timerEvent(QTimerEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void setUpForm();
    void startCoordinator();
    void startWatcher();
    void startVersionChecker();
    void setLanguageTexts();

    void setCurrentConfigure(int number);
    void applyModel(int mouseType);
    void compareFirmWareVersion();
    void needDeviceDialogShow();
    void needDeviceDialogHide();
    void startTimeCount();
    void stopTimeCount();
    void bringToFront();
    void exitApplication();
    void sendPageView(const QString &pageName);
    WarningDialog *createWarningDialog(int warningType);

    MainWindowOptions m_options;
    std::function<void(int)> m_exitHandler;
    std::unique_ptr<Ui::MainWindow> m_ui;

    // Workers and their threads.
    DCDataHandle *m_dataHandle = nullptr;
    QThread m_dataThread;
    CheckDevice *m_checkDevice = nullptr;
    QThread m_checkDeviceThread;
    LastVersion *m_lastVersion = nullptr;
    QThread m_lastVersionThread;
    std::unique_ptr<FindProcess> m_findProcess;

    NeedDeviceDialog *m_needDeviceDialog = nullptr;
    LoadMessageDialog *m_loadingDialog = nullptr;
    TrayIcon *m_trayIcon = nullptr;

    // Pages, the page switching and the profile buttons in profile order.
    MainSettingWidget *m_mainSettingPage = nullptr;
    MacroEditWidget *m_macroPage = nullptr;
    LightSettingWidget *m_lightSettingPage = nullptr;
    CodeWidget *m_codeWidget = nullptr;
    SupportWidget *m_supportPage = nullptr;
    QPointer<UpdateMouseDialog> m_updateDialog;
    CloudSyncWidget *m_cloudSyncPage = nullptr;
    QPointer<KeySettingDialog> m_keySettingDialog;
    PageNavigator *m_pages = nullptr;
    std::array<QPushButton *, 5> m_configureButtons = {};

    // State.
    int m_firmwareVersion = 0;
    bool m_isLogin = false;
    int m_currentConfigure = 1;
    QString m_downloadPath;
    int m_bootDescriptorType = 0;
    // The current device is a mouse waiting in its boot loader.
    bool m_bootLoaderPresent = false;
    quint16 m_currentPid = 0;
    bool m_isManualUpdateCheck = false;
    int m_batteryTimerId = 0;
    int m_openedMouseType = 0;
    int m_lightingFamilyA = -1;
    bool m_quitWhenFlashed = false;
};
