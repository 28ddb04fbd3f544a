#include "shell/window/mainwindow.h"

#include "cloud/cloudsyncwidget.h"
#include "cloud/editheadimagedialog.h"
#include "cloud/userdialog.h"
#include "config/inistores.h"
#include "config/languagetable.h"
#include "config/paths.h"
#include "coordinator/dcdatahandle.h"
#include "discovery/checkdevice.h"
#include "discovery/findprocess.h"
#include "discovery/models.h"
#include "editors/keysetting/keysettingdialog.h"
#include "editors/macro/macroeditwidget.h"
#include "editors/lighting/lightsettingwidget.h"
#include "editors/oled/drawdialog.h"
#include "editors/textfit.h"
#include "platform/desktoppointer.h"
#include "platform/hidbus.h"
#include "platform/pointersettings.h"
#include "platform/programlauncher.h"
#include "shell/dialogs/loadmessagedialog.h"
#include "shell/dialogs/needdevicedialog.h"
#include "shell/dialogs/warningdialog.h"
#include "shell/dialogs/warningtypes.h"
#include "shell/mainsetting/mainsettingwidget.h"
#include "shell/pairing/codewidget.h"
#include "shell/window/indicators.h"
#include "shell/window/mainwindowwiring.h"
#include "shell/window/pagenavigator.h"
#include "shell/window/trayicon.h"
#include "shell/window/updatepolicy.h"
#include "shell/dialogs/vendorsite.h"
#include "update/firmwarepackage.h"
#include "update/lastversion.h"
#include "update/widgets/supportwidget.h"
#include "update/widgets/updatemousedialog.h"
#include "ui_mainwindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDebug>
#include <QMessageBox>
#include <QTimerEvent>

namespace {
constexpr int kTabCount = 5;
constexpr int kProfileCount = 5;
// A token shorter than this is no login.
constexpr int kMinimumTokenLength = 11;
constexpr int kShownNickNameLength = 7;

const char kSoftwareVersionType[] = "ox8";
const char kRestartTool[] = "/Relaunch3.exe";
const char kNavigationCategory[] = "Navigation";
const char kUiEventCategory[] = "UI事件";
const char kButtonAction[] = "按钮";

const int kTabTexts[kTabCount] = {189, 190, 191, 192, 97};

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : MainWindow(MainWindowOptions(), parent)
{
}

MainWindow::MainWindow(const MainWindowOptions &options, QWidget *parent)
    : QMainWindow(parent)
    , m_options(options)
    , m_exitHandler([](int code) { QCoreApplication::exit(code); })
    , m_ui(std::make_unique<Ui::MainWindow>())
{
    registerDeviceMetaTypes();
    const MainWindowWiring wiring(this);

    // The workers' reports are queued to this thread: none arrives before the
    // constructor has finished, whatever is built after a worker starts.
    setUpForm();
    m_findProcess = std::make_unique<FindProcess>();
    m_trayIcon = new TrayIcon(this);
    wiring.connectControls();

    // The busy overlay shows one turn at start-up.
    m_loadingDialog = new LoadMessageDialog(this);
    m_loadingDialog->move(0, 0);
    m_loadingDialog->slot_StopLoadingDialog();

    startCoordinator();
    wiring.connectCoordinator();

    setWindowFlags(Qt::FramelessWindowHint);
    m_pages->setBottomBar(MainPage);
    wiring.connectPages();
    m_ui->NameLabel->hide();

    startVersionChecker();
    wiring.connectVersionChecker();

    startWatcher();
    wiring.connectWatcher();

    // The no-device dialog covers the window until a mouse opens.
    m_needDeviceDialog = new NeedDeviceDialog(this);
    wiring.connectNeedDeviceDialog();
    m_needDeviceDialog->move(0, 0);
    needDeviceDialogShow();

    m_pages->setCovers(false, false);
    setLanguageTexts();
    // There is no separate restart tool to stop on this platform.
    checkTokenIsExit();

    // Overlays stay on top of everything built after them.
    m_needDeviceDialog->raise();
    m_loadingDialog->raise();
}

MainWindow::~MainWindow()
{
    // The workers are deleted on their own threads once the loops end.
    m_checkDeviceThread.quit();
    m_lastVersionThread.quit();
    m_dataThread.quit();
    m_checkDeviceThread.wait();
    m_lastVersionThread.wait();
    m_dataThread.wait();
}

bool MainWindow::stopWorkers(int timeoutMs)
{
    // Asked before the loops end: the coordinator is deleted with its thread.
    const bool flashing = m_dataThread.isRunning() && m_dataHandle->isFlashing();
    m_checkDeviceThread.quit();
    m_dataThread.quit();
    const QDeadlineTimer deadline = flashing ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
    const bool watcherStopped = m_checkDeviceThread.wait(deadline);
    const bool coordinatorStopped = m_dataThread.wait(deadline);
    return watcherStopped && coordinatorStopped;
}

// --- Construction ------------------------------------------------------------------------

void MainWindow::setUpForm()
{
    m_ui->setupUi(this);
    // Plain widgets paint their style sheet's background only with this.
    for (QWidget *w : {m_ui->centralWidget, m_ui->WiredWidget, m_ui->HideTopButtonWidget,
                       m_ui->HideBottomButtonWidget, m_ui->LightSettingPage})
        w->setAttribute(Qt::WA_StyledBackground);
    m_ui->WiredWidget->hide();
    m_ui->BattaryButton->setStyleSheet(emptyBatteryStyle());
    m_ui->BattaryButton->hide();
    m_ui->BatteryLabel->hide();

    m_pages = new PageNavigator(*m_ui, this);
    m_configureButtons = {m_ui->ConfigureButton_1, m_ui->ConfigureButton_2, m_ui->ConfigureButton_3,
                          m_ui->ConfigureButton_4, m_ui->ConfigureButton_5};

    // The pages the program has fill their named pages; each names itself
    // after its class, which a form cannot do.
    const QRect pageArea(QPoint(0, 0), m_ui->stackedWidget->size());
    m_mainSettingPage = new MainSettingWidget(m_ui->MainSettingPage);
    m_mainSettingPage->setGeometry(pageArea);
    m_macroPage = new MacroEditWidget(m_ui->MacroEditPage);
    m_macroPage->setGeometry(pageArea);
    m_lightSettingPage = new LightSettingWidget(m_ui->LightSettingPage);
    m_lightSettingPage->setGeometry(pageArea);
    m_codeWidget = new CodeWidget(m_ui->CodePage);
    m_codeWidget->setGeometry(pageArea);
    m_supportPage = new SupportWidget(m_ui->SupportPage);
    m_supportPage->setGeometry(pageArea);
    m_supportPage->setOfficialWebsite(vendorSiteUrl());
    m_cloudSyncPage = new CloudSyncWidget(m_ui->CloudSyncPage);
    m_cloudSyncPage->setGeometry(pageArea);

    m_pages->markTab(MainPage);
    showCurrentConfigButton(m_currentConfigure);

    // The desktop's pointer values as the page shows them, and only the
    // controls the desktop has a setting for.
    const PointerSettings pointer(pointerSettingsIniPath(), desktopPointer());
    m_mainSettingPage->setPointerSettings(pointer.mouseSpeed(), pointer.wheelScrollLines());
    m_mainSettingPage->setPointerControlsShown(pointer.hasMouseSpeed(), pointer.hasWheelScrollLines(),
                                               pointer.hasWheelPagePerNotch());
}

void MainWindow::startCoordinator()
{
    m_dataHandle = new DCDataHandle;
    m_dataHandle->moveToThread(&m_dataThread);
    connect(&m_dataThread, &QThread::finished, m_dataHandle, &QObject::deleteLater);
    m_dataThread.setObjectName(QStringLiteral("dataThread"));
    m_dataThread.start();
}

void MainWindow::startVersionChecker()
{
    m_lastVersion = new LastVersion;
    m_lastVersion->moveToThread(&m_lastVersionThread);
    connect(&m_lastVersionThread, &QThread::finished, m_lastVersion, &QObject::deleteLater);
    m_lastVersionThread.setObjectName(QStringLiteral("lastVersionThread"));
    m_lastVersionThread.start();
}

void MainWindow::startWatcher()
{
    m_checkDevice = new CheckDevice(m_options.watcherBus, m_options.watcherIntervalMs);
    m_checkDevice->moveToThread(&m_checkDeviceThread);
    connect(&m_checkDeviceThread, &QThread::finished, m_checkDevice, &QObject::deleteLater);
    m_checkDeviceThread.setObjectName(QStringLiteral("checkDeviceThread"));
    m_checkDeviceThread.start();
}

void MainWindow::setLanguageTexts()
{
    fitButtonText(m_ui->LoginButton, languageText(212), 1.0);
    for (int i = 0; i < kTabCount; ++i)
        fitButtonText(m_pages->tabs()[i], languageText(kTabTexts[i]), 0.8);
    for (int i = 0; i < kProfileCount; ++i)
        fitButtonText(m_configureButtons[i], languageText(193 + i), 0.8);
    fitButtonText(m_ui->QuitUserButton, languageText(199), 1.0);
    fitButtonText(m_ui->ResetToOriginalButton, languageText(198), 1.0);
}

// --- Tabs and bars -----------------------------------------------------------------------

void MainWindow::on_MainSettingButton_clicked()
{
    sendPageView(m_ui->MainSettingButton->toolTip());
    m_pages->goToMainPage();
}

void MainWindow::on_LightSettingButton_clicked()
{
    sendPageView(m_ui->LightSettingButton->toolTip());
    m_pages->showPage(LightPage);
}

void MainWindow::on_MacroEditButton_clicked()
{
    sendPageView(m_ui->MacroEditButton->toolTip());
    m_pages->showPage(MacroPage);
    m_macroPage->slot_reLoadMacroNamelist();
}

void MainWindow::on_SupportButton_clicked()
{
    sendPageView(m_ui->SupportButton->toolTip());
    m_pages->showPage(SupportPage);
}

void MainWindow::on_CloudSyncButton_clicked()
{
    sendPageView(m_ui->CloudSyncButton->toolTip());
    m_cloudSyncPage->refreshServiceState();
    if (!m_cloudSyncPage->hasService()) {
        // Without a service the page says so; logging in could only fail.
        m_pages->showPage(CloudPage);
        m_ui->QuitUserButton->setVisible(m_isLogin);
        return;
    }
    if (!m_isLogin) {
        slot_showWarningDialog(Warning::CloudNeedsLogin);
        return;
    }
    m_pages->showPage(CloudPage);
}

void MainWindow::slot_SetHeaderButtonEnabled(bool state)
{
    m_pages->setTabsEnabled(state);
}

void MainWindow::slot_BanTopButtonClick(bool state, bool isTransparent)
{
    m_pages->setCovers(state, isTransparent);
}

// --- Profile bar -------------------------------------------------------------------------

void MainWindow::on_ConfigureButton_1_clicked() { setCurrentConfigure(1); }
void MainWindow::on_ConfigureButton_2_clicked() { setCurrentConfigure(2); }
void MainWindow::on_ConfigureButton_3_clicked() { setCurrentConfigure(3); }
void MainWindow::on_ConfigureButton_4_clicked() { setCurrentConfigure(4); }
void MainWindow::on_ConfigureButton_5_clicked() { setCurrentConfigure(5); }

void MainWindow::setCurrentConfigure(int number)
{
    slot_SendMessageToGA(QString::fromUtf8(kUiEventCategory),
                         m_configureButtons[qBound(1, number, kProfileCount) - 1]->toolTip()
                             + QString::fromUtf8(kButtonAction),
                         QString(), QStringLiteral("MainWindow"));
    showCurrentConfigButton(number);
    emit sig_LoadFileAndeWriteIntoMouse(number);
}

void MainWindow::showCurrentConfigButton(int number)
{
    if (number < 1 || number > kProfileCount) {
        qDebug() << "showCurrentConfigButton ignores" << number;
        return;
    }
    m_currentConfigure = number;
    m_mainSettingPage->setCurrentConfigure(number);
    for (int i = 0; i < kProfileCount; ++i)
        m_configureButtons[i]->setStyleSheet(profileButtonStyle(i + 1, i + 1 == number));
}

void MainWindow::slot_ShowCurrentConfigButton(int number)
{
    showCurrentConfigButton(number);
    emit sig_LoadFileAndeWriteIntoMouse(number);
}

void MainWindow::setCurrentConfigButton(int number)
{
    showCurrentConfigButton(number);
    emit sig_LoadFileAndeWriteIntoMouse(number);
}

void MainWindow::slot_LoadConfigFileAfterDownloadSucced(int number)
{
    // Queued ahead of the load, so the conversion runs first on the coordinator's thread.
    QMetaObject::invokeMethod(m_dataHandle, &DCDataHandle::slot_TurnOldTxtFileToNewJsonFile, Qt::QueuedConnection);
    showCurrentConfigButton(number);
    emit sig_LoadFileAndeWriteIntoMouse(number);
}

// --- Device arrival and removal ----------------------------------------------------------

void MainWindow::slot_WarningDeviceNotInsert(bool isfind, uint Pid, uint Vid)
{
    qDebug() << "slot_WarningDeviceNotInsert";
    qDebug("vid %x, pid %x ", Vid, Pid);
    qDebug() << "=======================";
    m_currentPid = quint16(Pid);

    m_bootLoaderPresent = false;
    if (isfind) {
        const bool bootLoader = Pid == PID_BOOTLOADER && !m_dataHandle->isUpdating();
        if (bootLoader || checkIsHaldenMouseEnter(quint16(Pid), *m_findProcess)) {
            // A mouse stuck in its boot loader gets the update of its own
            // model when the boot loader names it, the choice otherwise.
            m_bootLoaderPresent = true;
            slot_ShowUpdateFirmwareWidget(m_bootDescriptorType == NoModel, true, m_bootDescriptorType, true);
            return;
        }
        m_macroPage->EditArrayEditable(false);
        emit sig_OpenDevice(Pid, Vid);
        startTimeCount();
        return;
    }

    m_pages->leavePairingPage();
    m_macroPage->slot_ResetPage();
    needDeviceDialogShow();
    emit sig_DissMissAllThings();
    emit sig_RemoveWarningWidget();
    emit sig_CloseKeySettingDialog();
    stopTimeCount();
}

void MainWindow::slot_SetKorvanMouseBooltDescriptor(int mouseType)
{
    qDebug() << "slot_SetKorvanMouseBooltDescriptor" << mouseType;
    m_bootDescriptorType = mouseType;
}

void MainWindow::slot_DeviceNotPermitted(uint Pid, uint Vid)
{
    qDebug("slot_DeviceNotPermitted vid %x, pid %x", Vid, Pid);
    m_needDeviceDialog->setNoPermissionHint(hidAccessFixCommands());
}

void MainWindow::SetCurrentPid(USHORT pid)
{
    m_currentPid = pid;
}

void MainWindow::needDeviceDialogShow()
{
    emit sig_RemoveReloadWidget();
    m_needDeviceDialog->setNoPermissionHint(QString());
    m_needDeviceDialog->setHiddenState(false);
    // An open update dialog (a repair in progress) stays above the cover.
    if (m_updateDialog && m_updateDialog->isVisible()) {
        m_needDeviceDialog->warningWidget()->hide();
        m_updateDialog->raise();
    }
    m_ui->BattaryButton->setStyleSheet(emptyBatteryStyle());
    m_ui->BatteryLabel->clear();
    m_firmwareVersion = 0;
}

void MainWindow::needDeviceDialogHide()
{
    m_needDeviceDialog->setHiddenState(true);
    m_needDeviceDialog->setNoPermissionHint(QString());
}

void MainWindow::slot_OpenDeviceResult(bool result, int mouseType, bool isWirelessState)
{
    qDebug() << "slot_OpenDeviceResult" << result << mouseType;
    if (!result)
        return;
    emit sig_CheckLastSoftwareVersion(QString::fromLatin1(kSoftwareVersionType));
    m_isManualUpdateCheck = false;
    needDeviceDialogHide();
    wiredMouseOnSupportPage(isWirelessState);
    m_pages->goToMainPage();
    applyModel(mouseType);
}

void MainWindow::applyModel(int mouseType)
{
    m_openedMouseType = mouseType;
    m_mainSettingPage->setMouseType(mouseType);
    m_macroPage->setMouseType(mouseType);
    m_ui->TitleLabel->setStyleSheet(titleLogoStyle(mouseType));
    m_lightSettingPage->setZoneLabels(mouseType);
    const int familyA = lightingFamilyAFlag(mouseType);
    if (familyA >= 0) {
        m_lightingFamilyA = familyA;
        m_lightSettingPage->setSliderRanges(familyA == 1);
    }
}

// --- Battery -----------------------------------------------------------------------------

void MainWindow::startTimeCount()
{
    // A second arrival without a removal (a reopen after pairing) must not
    // leave the first timer running where nothing can stop it.
    if (m_batteryTimerId != 0)
        killTimer(m_batteryTimerId);
    m_batteryTimerId = startTimer(m_options.batteryIntervalMs, Qt::CoarseTimer);
    qDebug() << "MainWindow::startTimeCount" << m_batteryTimerId;
}

void MainWindow::stopTimeCount()
{
    if (m_batteryTimerId != 0)
        killTimer(m_batteryTimerId);
    m_batteryTimerId = 0;
    qDebug() << "MainWindow::stopTimeCount";
}

void MainWindow::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_batteryTimerId) {
        emit sig_GetBatteryPower();
        return;
    }
    QMainWindow::timerEvent(event);
}

void MainWindow::slot_BatteryPower(DWORD value)
{
    qDebug() << "slot_BatteryPower" << quint64(value);
    const BatteryIndicator indicator = batteryIndicator(value);
    m_ui->BatteryLabel->setText(indicator.labelText);
    m_ui->BattaryButton->setStyleSheet(indicator.iconStyle);
}

void MainWindow::wiredMouseOnSupportPage(bool isWirelessState)
{
    m_ui->BattaryButton->setVisible(isWirelessState);
    m_ui->BatteryLabel->setVisible(isWirelessState);
    m_ui->WiredWidget->setStyleSheet(connectionIndicatorStyle(isWirelessState));
    m_ui->WiredWidget->show();
}

// --- Firmware and software versions ------------------------------------------------------

void MainWindow::slot_GetCurrentFirmVersion(int version)
{
    qDebug() << "slot_GetCurrentFirmVersion" << version;
    m_firmwareVersion = version;
    compareFirmWareVersion();
}

void MainWindow::compareFirmWareVersion()
{
    const int type = currentMouseType();
    qDebug() << "compareFirmWareVersion" << type << m_firmwareVersion;
    if (isFirmwareTooOld(type, m_firmwareVersion))
        emit sig_WarningTypeOnMainWindow(Warning::Ox8FirmwareTooOld);
}

void MainWindow::slot_SoftwareUpdateArrowsBySupprotWidget()
{
    emit sig_CheckLastSoftwareVersion(QString::fromLatin1(kSoftwareVersionType));
    m_isManualUpdateCheck = true;
}

void MainWindow::slot_LastSoftWareVersionRet(int rCode, QString rMsg, QString version, QString path,
                                             QString versionDate)
{
    const QString appVersion = QCoreApplication::applicationVersion();
    qDebug() << "Software slot_LastVersionRet " << rCode;
    qDebug() << "Software slot_LastVersionRet " << rMsg;
    qDebug() << "Software slot_LastVersionRet " << version;
    qDebug() << "Software slot_LastVersionRet " << path;
    qDebug() << "Software slot_LastVersionRet " << versionDate;
    qDebug() << "Software slot_LastVersionRet " << appVersion;
    m_supportPage->slot_SoftwareCheckFinished();

    const SoftwareCheckOutcome outcome =
        softwareCheckOutcome(rCode, version, appVersion, m_isManualUpdateCheck, readNotRemind());
    if (offersDownload(outcome))
        m_downloadPath = path;
    switch (outcome) {
    case SoftwareCheckOutcome::Silent:
        break;
    case SoftwareCheckOutcome::CheckFailed:
        emit sig_ShowWarningWidgetWithSpecifyMessage(Warning::SoftwareCheckFailed, rMsg);
        break;
    case SoftwareCheckOutcome::UpToDate:
        slot_showWarningDialog(Warning::SoftwareUpToDate);
        break;
    case SoftwareCheckOutcome::NewVersionAsked:
        slot_showWarningDialog(Warning::NewSoftwareManual);
        break;
    case SoftwareCheckOutcome::NewVersionFound:
        slot_showWarningDialog(Warning::NewSoftwareAuto);
        break;
    }
}

// --- Reset, account ----------------------------------------------------------------------

void MainWindow::on_ResetToOriginalButton_clicked()
{
    slot_SendMessageToGA(QString::fromUtf8(kUiEventCategory),
                         m_ui->ResetToOriginalButton->toolTip() + QString::fromUtf8(kButtonAction), QString(),
                         QStringLiteral("MainWindow"));
    slot_showWarningDialog(Warning::ResetConfirm);
}

void MainWindow::slot_ResetMouseToOriginal()
{
    qDebug() << "ResetMouse";
    emit sig_ResetAllConfigFile();
    if (removeHighestFunctionIni())
        qDebug() << "deleteHighestFile ok";
}

void MainWindow::checkTokenIsExit()
{
    OperateToken token;
    if (token.GetToken().size() < kMinimumTokenLength)
        return;
    qDebug() << "TokenIsExit";
    const QString nickName = token.GetNickName();
    QString name = nickName;
    if (name.size() > kShownNickNameLength)
        name = name.left(kShownNickNameLength) + QStringLiteral("...");
    m_ui->NameLabel->setText(name);
    m_isLogin = true;
    m_ui->LoginButton->hide();
    m_ui->NameLabel->show();
    m_cloudSyncPage->setUserNameLineEdit(nickName);
}

void MainWindow::on_QuitUserButton_clicked()
{
    slot_showWarningDialog(Warning::LogoutConfirm);
}

void MainWindow::slot_quitUser()
{
    m_ui->LoginButton->show();
    m_ui->NameLabel->hide();
    m_isLogin = false;
    removeSystemIni();
    m_cloudSyncPage->resetPage();
    m_pages->goToMainPage();
}

// --- Pairing -----------------------------------------------------------------------------

void MainWindow::slot_GoToMatchCodePage()
{
    m_pages->enterPairingPage();
    m_codeWidget->showStepPage();
}

void MainWindow::slot_startCode(bool ok)
{
    if (ok) {
        qDebug() << "切换界面";
        m_codeWidget->showProgressPage();
        return;
    }
    slot_showWarningDialog(Warning::PairingFailed);
    m_pages->goToMainPage();
}

void MainWindow::slot_finishCode(bool ok)
{
    if (!ok) {
        slot_showWarningDialog(Warning::PairingFailed);
        m_pages->goToMainPage();
        return;
    }
    qDebug() << "对码完成 slot_finishCode";
    m_pages->goToMainPage();
    setCurrentConfigure(1);
    slot_showWarningDialog(Warning::PairingDone);
    slot_WarningDeviceNotInsert(true, m_currentPid, VID_KORVAN);
}

void MainWindow::slot_stopCode()
{
    if (!m_pages->leavePairingPage())
        return;
    // The covers of the pairing page would leave the support page without
    // tabs or bar: show it as if its tab had been chosen.
    m_pages->markTab(SupportPage);
    m_pages->hideCovers();
}

// --- Warning dialogs ---------------------------------------------------------------------

WarningDialog *MainWindow::createWarningDialog(int warningType)
{
    // A warning also brings a window hidden in the tray back.
    show();

    if (warningType == Warning::ReadWriteFailed)
        emit sig_RemoveReloadWidget();

    auto *dialog = new WarningDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->move(0, 0);
    dialog->setCurrentPid(m_currentPid);
    dialog->setDownloadPath(m_downloadPath);
    MainWindowWiring(this).connectWarningDialog(dialog, isProgressWarning(warningType),
                                                warningType == Warning::ReadWriteFailed,
                                                warningType == Warning::DownloadProgress);
    return dialog;
}

void MainWindow::slot_showWarningDialog(int warningType)
{
    qDebug() << "slot_showWarningDialog" << warningType;
    WarningDialog *dialog = createWarningDialog(warningType);
    dialog->setWarningType(warningType);
    dialog->show();
    dialog->raise();
}

void MainWindow::slot_showWarningDialogWithSpecifyMessage(int warningType, QString warningMessage)
{
    qDebug() << "slot_showWarningDialogWithSpecifyMessage" << warningType << warningMessage;
    WarningDialog *dialog = createWarningDialog(warningType);
    dialog->setWarningTypeWithMessage(warningType, warningMessage);
    dialog->show();
    dialog->raise();
}

// --- Tray, window controls, system settings ----------------------------------------------

QSystemTrayIcon *MainWindow::trayIcon() const
{
    return m_trayIcon;
}

QMenu *MainWindow::trayMenu() const
{
    return m_trayIcon->menu();
}

void MainWindow::bringToFront()
{
    const Qt::WindowFlags flags = windowFlags();
    setWindowFlags(flags | Qt::WindowStaysOnTopHint);
    show();
    setWindowFlags(flags);
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::on_activatedSysTrayIcon(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger)
        bringToFront();
}

void MainWindow::on_showMainAction()
{
    raise();
    showNormal();
}

void MainWindow::on_exitAppAction()
{
    exitApplication();
}

void MainWindow::slot_needDeviceDialogClienk()
{
    exitApplication();
}

void MainWindow::exitApplication()
{
    qDebug() << "exit";
    m_exitHandler(0);
}

void MainWindow::on_minimumButton_clicked()
{
    slot_SendMessageToGA(QString::fromLatin1(kNavigationCategory), QStringLiteral("最小化"), QString(),
                         QStringLiteral("MainWindow"));
    showMinimized();
}

void MainWindow::on_quitButton_clicked()
{
    slot_SendMessageToGA(QString::fromLatin1(kNavigationCategory), QStringLiteral("关闭"), QString(),
                         QStringLiteral("MainWindow"));
    // Without a tray a hidden window could never come back: close instead.
    if (!m_trayIcon->isVisible()) {
        exitApplication();
        return;
    }
    hide();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_trayIcon->isVisible()) {
        hide();
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::slot_SetSysPointSpeed(int value)
{
    m_loadingDialog->flash();
    PointerSettings(pointerSettingsIniPath(), desktopPointer()).setMouseSpeed(value);
}

void MainWindow::slot_SetSysTrolleyValue(int value)
{
    PointerSettings(pointerSettingsIniPath(), desktopPointer()).setWheelScrollLines(value);
    m_loadingDialog->flash();
}

void MainWindow::slotMessageReceived(const QString &msg)
{
    bringToFront();
    qDebug() << msg;
    if (msg == QCoreApplication::applicationFilePath())
        return;
    auto *box = new QMessageBox(QMessageBox::Warning, languageText(343), languageText(342), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("AlreadyRunningBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void MainWindow::slot_TerminationRequested(int signalNumber)
{
    qDebug() << "slot_TerminationRequested" << signalNumber;
    if (m_dataThread.isRunning() && m_dataHandle->isFlashing()) {
        if (!m_quitWhenFlashed)
            qWarning() << "firmware update running: the program ends when it has finished";
        m_quitWhenFlashed = true;
        return;
    }
    exitApplication();
}

void MainWindow::slot_FirmwareFlashEnded()
{
    if (!m_quitWhenFlashed || m_dataHandle->isFlashing())
        return;
    m_quitWhenFlashed = false;
    qDebug() << "firmware update finished: ending as asked";
    exitApplication();
}

void MainWindow::slot_startWattingProcess()
{
    needDeviceDialogShow();
    const QString tool = getAppDir() + QLatin1String(kRestartTool);
    if (!programLauncher().startDetached(tool, {}))
        qDebug() << "slot_startWattingProcess: no restart tool" << tool;
}

// --- Login and avatar dialogs ------------------------------------------------------------

void MainWindow::on_LoginButton_clicked()
{
    auto *dialog = new UserDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->move(0, 0);
    MainWindowWiring(this).connectUserDialog(dialog);
    dialog->open();
    dialog->raise();
}

void MainWindow::slot_showEditHeadImageDialog()
{
    auto *dialog = new EditHeadImageDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->move(0, 0);
    dialog->open();
    dialog->raise();
}

KeySettingDialog *MainWindow::keySettingDialog() const
{
    return m_keySettingDialog.data();
}

void MainWindow::slot_showKeySettingDialog(int changedButton, int buttonChangeType, int buttonTrueValue,
                                           int modifyKeyValue)
{
    qDebug() << "slot_showKeySettingDialog" << changedButton << buttonChangeType << buttonTrueValue << modifyKeyValue;
    // One at a time: the open dialog covers the buttons that open it.
    if (m_keySettingDialog)
        m_keySettingDialog->close();
    auto *dialog = new KeySettingDialog(this, m_openedMouseType);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->move(0, 0);
    dialog->setChangedButton(changedButton);
    dialog->setTrueMouseValue(buttonChangeType, buttonTrueValue, modifyKeyValue);
    MainWindowWiring(this).connectKeySettingDialog(dialog);
    m_keySettingDialog = dialog;
    dialog->show();
    dialog->raise();
    dialog->setFocus();
}

// --- OLED editor -------------------------------------------------------------------------

void MainWindow::showDrawBorder()
{
    // Laid over the window like the warnings; it goes when closed, and with
    // the mouse it edits.
    auto *dialog = new DrawDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->move(0, 0);
    dialog->setMouseType(m_openedMouseType);
    dialog->setConfigNumber(m_currentConfigure);
    dialog->setLightIntensity(m_dataHandle->oledLightIntensity());
    MainWindowWiring(this).connectDrawDialog(dialog);
    dialog->show();
    dialog->raise();
}

// --- Firmware update dialog --------------------------------------------------------------

void MainWindow::slot_ShowUpdateFirmwareWidget(bool isChangeable, bool isLocalUpdateState, int mouseType,
                                               bool isUpdateNow)
{
    qDebug() << "slot_ShowUpdateFirmwareWidget" << isChangeable << isLocalUpdateState << mouseType << isUpdateNow;
    // The repair offer while a mouse waits in its boot loader is for that mouse.
    if (mouseType == NoModel && m_bootLoaderPresent && m_bootDescriptorType != NoModel) {
        mouseType = m_bootDescriptorType;
        isChangeable = false;
    }
    if (m_updateDialog)
        m_updateDialog->close();

    auto *dialog = new UpdateMouseDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_updateDialog = dialog;
    const bool localExists = mouseType != NoModel
                             && checkPackageFile(mouseType, packagePath(mouseType, PackageSource::Local))
                                    == PackageVerdict::Ok;
    const bool cloudExists = mouseType != NoModel
                             && checkPackageFile(mouseType, packagePath(mouseType, PackageSource::Clouds))
                                    == PackageVerdict::Ok;
    dialog->setLocalUpdateState(updatePackageSource(isLocalUpdateState, localExists, cloudExists)
                                == PackageSource::Local);
    dialog->setCurrentMouseType(mouseType);
    dialog->setLockedState(!isChangeable && mouseType != NoModel);
    if (m_firmwareVersion != 0)
        dialog->setFirmwareVersion(QString::number(m_firmwareVersion));
    MainWindowWiring(this).connectUpdateDialog(dialog);

    m_needDeviceDialog->warningWidget()->hide();
    connect(dialog, &QDialog::finished, m_needDeviceDialog, [this] { m_needDeviceDialog->warningWidget()->show(); });
    dialog->show();
    dialog->raise();
    if (mouseType != NoModel && isUpdateNow)
        dialog->startUpdateNow();
}

void MainWindow::sendPageView(const QString &pageName)
{
    qDebug() << "sendPageView" << pageName;
}

void MainWindow::slot_SendMessageToGA(const QString &category, const QString &action, const QString &label,
                                      const QString &viewScreen)
{
    qDebug() << "slot_SendMessageToGA" << category << action << label << viewScreen;
}
