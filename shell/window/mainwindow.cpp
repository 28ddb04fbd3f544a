#include "shell/window/mainwindow.h"

#include "discovery/checkdevice.h"
#include "coordinator/dcdatahandle.h"
#include "shell/dialogs/loadmessagedialog.h"
#include "shell/dialogs/needdevicedialog.h"
#include "shell/dialogs/warningdialog.h"
#include "shell/dialogs/warningtypes.h"
#include "discovery/findprocess.h"
#include "shell/window/indicators.h"
#include "config/inistores.h"
#include "config/languagetable.h"
#include "shell/mainsetting/mainsettingwidget.h"
#include "discovery/models.h"
#include "shell/pairing/codewidget.h"
#include "config/paths.h"
#include "platform/pointersettings.h"
#include "editors/textfit.h"
#include "shell/window/titlewidget.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimerEvent>

namespace {
constexpr int kWindowWidth = 960;
constexpr int kWindowHeight = 640;

// Title strip, tab row, page area (the main page needs 460), profile bar.
constexpr int kTitleHeight = 56;
constexpr int kTabY = 60;
constexpr int kTabWidth = 150;
constexpr int kTabHeight = 40;
constexpr int kPageY = 104;
constexpr int kPageHeight = 460;
constexpr int kBottomY = kPageY + kPageHeight;
constexpr int kProfileY = kBottomY + 20;
constexpr int kProfileWidth = 100;
constexpr int kProfileHeight = 36;
constexpr int kProfileGap = 16;

constexpr int kTabCount = 5;
constexpr int kProfileCount = 5;
// A token shorter than this is no login.
constexpr int kMinimumTokenLength = 11;
constexpr int kShownNickNameLength = 7;
// OX8 firmware below this misses functions the driver relies on.
constexpr int kOx8MinimumFirmware = 5;
constexpr int kOx8Type = 18;

const char kSoftwareVersionType[] = "ox8";
const char kNavigationCategory[] = "Navigation";
const char kUiEventCategory[] = "UI事件";
const char kButtonAction[] = "按钮";

const char *const kTabNames[kTabCount] = {"MainSettingButton", "LightSettingButton", "MacroEditButton",
                                          "SupportButton", "CloudSyncButton"};
const int kTabTexts[kTabCount] = {189, 190, 191, 192, 97};

QPushButton *makeButton(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *b = new QPushButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(geometry);
    b->setFocusPolicy(Qt::NoFocus);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

// A page of the stacked widget. The lighting, macro, support and cloud
// pages arrive with later parts of the program; until then they are empty
// but carry their names.
QWidget *placeholderPage(const char *name)
{
    auto *page = new QWidget;
    page->setObjectName(QLatin1String(name));
    return page;
}
} // namespace

MainWindow::MainWindow(QWidget *parent)
    : MainWindow(MainWindowOptions(), parent)
{
}

MainWindow::MainWindow(const MainWindowOptions &options, QWidget *parent)
    : QMainWindow(parent)
    , m_options(options)
    , m_exitHandler([](int code) { QCoreApplication::exit(code); })
{
    registerDeviceMetaTypes();

    // 1. Widgets and start values.
    buildWidgets();

    // 2. The process lister for the boot loader check.
    m_findProcess = std::make_unique<FindProcess>();

    // 3. The analytics adaptor comes with its own part of the program; the
    //    pages' analytics signals end in slot_SendMessageToGA already.

    // 4. Title, tray icon and its menu.
    setWindowTitle(QStringLiteral("OX8Driver"));
    setWindowIcon(QIcon(QStringLiteral(":/icon/picture/128-128.png")));
    buildTray();

    // 5. The busy overlay shows one turn at start-up.
    m_loadingDialog = new LoadMessageDialog(this);
    m_loadingDialog->move(0, 0);
    m_loadingDialog->slot_StopLoadingDialog();

    // 6. The coordinator on its own thread.
    initMouseDataHandle();

    // 7. No system frame.
    setWindowFlags(Qt::FramelessWindowHint);

    // 8. Bars as for the main page.
    leavePairingPage();
    for (QPushButton *b : m_configureButtons)
        b->show();
    m_quitUserButton->hide();
    m_resetButton->hide();

    // 9. Pages.
    connectPages();

    // 10. The version checker comes with its own part of the program.

    // 11.
    m_nameLabel->hide();

    // 12. The device watcher on its own thread; it scans at once.
    initCheckDevice();

    // 13. The no-device dialog covers the window until a mouse opens.
    initNeedDeviceDialog();

    // 14. Covers.
    m_hideTopWidget->hide();
    m_hideBottomWidget->hide();
    m_hideTopWidget->setStyleSheet(QStringLiteral("background-color:black;"));

    // 15.
    setLanguageTexts();

    // 16. There is no separate restart tool to stop on this platform.

    // 17.
    checkTokenIsExit();

    // Overlays stay on top of everything built after them.
    m_needDeviceDialog->raise();
    m_loadingDialog->raise();
}

MainWindow::~MainWindow()
{
    // The workers are deleted on their own threads once the loops end.
    m_checkDeviceThread.quit();
    m_dataThread.quit();
    m_checkDeviceThread.wait();
    m_dataThread.wait();
}

// --- Construction ------------------------------------------------------------------------

void MainWindow::buildWidgets()
{
    setFixedSize(kWindowWidth, kWindowHeight);

    m_centralWidget = new QWidget(this);
    m_centralWidget->setObjectName(QStringLiteral("centralWidget"));
    m_centralWidget->setAttribute(Qt::WA_StyledBackground);
    m_centralWidget->setStyleSheet(QStringLiteral("QWidget#centralWidget{background-color:#000000;}"));
    setCentralWidget(m_centralWidget);

    m_titleWidget = new TitleWidget(m_centralWidget);
    m_titleWidget->setGeometry(0, 0, kWindowWidth, kTitleHeight);

    m_titleLabel = new QLabel(m_titleWidget);
    m_titleLabel->setObjectName(QStringLiteral("TitleLabel"));
    m_titleLabel->setGeometry(16, 4, 320, 48);

    m_wiredWidget = new QWidget(m_titleWidget);
    m_wiredWidget->setObjectName(QStringLiteral("WiredWidget"));
    m_wiredWidget->setAttribute(Qt::WA_StyledBackground);
    m_wiredWidget->setGeometry(628, 16, 24, 24);
    m_wiredWidget->hide();

    m_batteryButton = makeButton(m_titleWidget, "BattaryButton", QRect(662, 20, 32, 16));
    m_batteryButton->setCursor(Qt::ArrowCursor);
    m_batteryButton->setStyleSheet(emptyBatteryStyle());
    m_batteryButton->hide();
    m_batteryLabel = new QLabel(m_titleWidget);
    m_batteryLabel->setObjectName(QStringLiteral("BatteryLabel"));
    m_batteryLabel->setGeometry(700, 18, 44, 20);
    m_batteryLabel->setStyleSheet(QStringLiteral("color:white;"));
    m_batteryLabel->hide();

    m_loginButton = makeButton(m_titleWidget, "LoginButton", QRect(752, 14, 120, 28));
    m_nameLabel = new QLabel(m_titleWidget);
    m_nameLabel->setObjectName(QStringLiteral("NameLabel"));
    m_nameLabel->setGeometry(752, 14, 120, 28);
    m_nameLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_minimumButton = makeButton(m_titleWidget, "minimumButton", QRect(888, 16, 24, 24));
    m_quitButton = makeButton(m_titleWidget, "quitButton", QRect(920, 16, 24, 24));

    const int tabsLeft = (kWindowWidth - kTabCount * kTabWidth) / 2;
    for (int i = 0; i < kTabCount; ++i)
        m_tabs[i] = makeButton(m_centralWidget, kTabNames[i],
                               QRect(tabsLeft + i * kTabWidth, kTabY, kTabWidth, kTabHeight));

    m_stackedWidget = new QStackedWidget(m_centralWidget);
    m_stackedWidget->setObjectName(QStringLiteral("stackedWidget"));
    m_stackedWidget->setGeometry(0, kPageY, kWindowWidth, kPageHeight);
    QWidget *mainPage = placeholderPage("MainSettingPage");
    m_mainSettingPage = new MainSettingWidget(mainPage);
    m_mainSettingPage->setGeometry(0, 0, kWindowWidth, kPageHeight);
    m_stackedWidget->addWidget(mainPage);
    // Lighting, macros, support and cloud sync arrive with their own parts.
    m_stackedWidget->addWidget(placeholderPage("LightSettingPage"));
    m_stackedWidget->addWidget(placeholderPage("MacroEditPage"));
    m_stackedWidget->addWidget(placeholderPage("SupportPage"));
    m_stackedWidget->addWidget(placeholderPage("CloudSyncPage"));
    QWidget *codePage = placeholderPage("CodePage");
    m_codeWidget = new CodeWidget(codePage);
    m_codeWidget->setGeometry(0, 0, kWindowWidth, kPageHeight);
    m_stackedWidget->addWidget(codePage);
    m_stackedWidget->setCurrentIndex(MainPage);

    const int profilesLeft = (kWindowWidth - kProfileCount * kProfileWidth - (kProfileCount - 1) * kProfileGap) / 2;
    for (int i = 0; i < kProfileCount; ++i) {
        const QByteArray name = "ConfigureButton_" + QByteArray::number(i + 1);
        m_configureButtons[i] = makeButton(m_centralWidget, name.constData(),
                                           QRect(profilesLeft + i * (kProfileWidth + kProfileGap), kProfileY,
                                                 kProfileWidth, kProfileHeight));
    }
    const QRect centreButton((kWindowWidth - 200) / 2, kProfileY, 200, kProfileHeight);
    m_resetButton = makeButton(m_centralWidget, "ResetToOriginalButton", centreButton);
    m_quitUserButton = makeButton(m_centralWidget, "QuitUserButton", centreButton);

    m_hideTopWidget = new QWidget(m_centralWidget);
    m_hideTopWidget->setObjectName(QStringLiteral("HideTopButtonWidget"));
    m_hideTopWidget->setAttribute(Qt::WA_StyledBackground);
    m_hideTopWidget->setGeometry(0, kTitleHeight, kWindowWidth, kPageY - kTitleHeight);
    m_hideBottomWidget = new QWidget(m_centralWidget);
    m_hideBottomWidget->setObjectName(QStringLiteral("HideBottomButtonWidget"));
    m_hideBottomWidget->setAttribute(Qt::WA_StyledBackground);
    m_hideBottomWidget->setGeometry(0, kBottomY, kWindowWidth, kWindowHeight - kBottomY);

    connect(m_tabs[0], &QPushButton::clicked, this, &MainWindow::on_MainSettingButton_clicked);
    connect(m_tabs[1], &QPushButton::clicked, this, &MainWindow::on_LightSettingButton_clicked);
    connect(m_tabs[2], &QPushButton::clicked, this, &MainWindow::on_MacroEditButton_clicked);
    connect(m_tabs[3], &QPushButton::clicked, this, &MainWindow::on_SupportButton_clicked);
    connect(m_tabs[4], &QPushButton::clicked, this, &MainWindow::on_CloudSyncButton_clicked);
    connect(m_configureButtons[0], &QPushButton::clicked, this, &MainWindow::on_ConfigureButton_1_clicked);
    connect(m_configureButtons[1], &QPushButton::clicked, this, &MainWindow::on_ConfigureButton_2_clicked);
    connect(m_configureButtons[2], &QPushButton::clicked, this, &MainWindow::on_ConfigureButton_3_clicked);
    connect(m_configureButtons[3], &QPushButton::clicked, this, &MainWindow::on_ConfigureButton_4_clicked);
    connect(m_configureButtons[4], &QPushButton::clicked, this, &MainWindow::on_ConfigureButton_5_clicked);
    connect(m_resetButton, &QPushButton::clicked, this, &MainWindow::on_ResetToOriginalButton_clicked);
    connect(m_loginButton, &QPushButton::clicked, this, &MainWindow::on_LoginButton_clicked);
    connect(m_quitUserButton, &QPushButton::clicked, this, &MainWindow::on_QuitUserButton_clicked);
    connect(m_minimumButton, &QPushButton::clicked, this, &MainWindow::on_minimumButton_clicked);
    connect(m_quitButton, &QPushButton::clicked, this, &MainWindow::on_quitButton_clicked);

    SetMenuButtonStyleSheet(MainPage);
    showCurrentConfigButton(m_currentConfigure);

    // The desktop's pointer values as the page shows them.
    const PointerSettings pointer(pointerSettingsPath());
    m_mainSettingPage->setPointerSettings(pointer.mouseSpeed(), pointer.wheelScrollLines());
}

void MainWindow::buildTray()
{
    m_trayMenu = new QMenu(this);
    m_trayMenu->setObjectName(QStringLiteral("TrayMenu"));
    m_showMainAction = new QAction(languageText(297), this);
    m_showMainAction->setObjectName(QStringLiteral("showMainAction"));
    m_exitAppAction = new QAction(languageText(298), this);
    m_exitAppAction->setObjectName(QStringLiteral("exitAppAction"));
    m_trayMenu->addAction(m_showMainAction);
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(m_exitAppAction);
    connect(m_showMainAction, &QAction::triggered, this, &MainWindow::on_showMainAction);
    connect(m_exitAppAction, &QAction::triggered, this, &MainWindow::on_exitAppAction);

    m_trayIcon = new QSystemTrayIcon(QIcon(QStringLiteral(":/icon/picture/128-128.png")), this);
    m_trayIcon->setToolTip(QStringLiteral("OX8Driver"));
    m_trayIcon->setContextMenu(m_trayMenu);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::on_activatedSysTrayIcon);
    // Without a tray (a bare X server, the offscreen tests) there is nothing to show.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        m_trayIcon->show();
}

void MainWindow::initMouseDataHandle()
{
    m_dataHandle = new DCDataHandle;
    m_dataHandle->moveToThread(&m_dataThread);
    connect(&m_dataThread, &QThread::finished, m_dataHandle, &QObject::deleteLater);
    m_dataThread.setObjectName(QStringLiteral("dataThread"));
    m_dataThread.start();

    DCDataHandle *dc = m_dataHandle;
    const auto q = Qt::QueuedConnection;

    // Coordinator to window and pages.
    connect(dc, &DCDataHandle::sig_ShowWarningDialog, this, &MainWindow::slot_showWarningDialog, q);
    connect(dc, &DCDataHandle::sig_VersionNumber, this, &MainWindow::slot_GetCurrentFirmVersion, q);
    connect(dc, &DCDataHandle::sig_SetCurrentCpiListValueOnPage, m_mainSettingPage,
            &MainSettingWidget::slot_SetCpidListValueOnPage, q);
    connect(dc, &DCDataHandle::sig_SetCurrentReportRate, m_mainSettingPage,
            &MainSettingWidget::slot_SetUSBReportRateOnPage, q);
    connect(dc, &DCDataHandle::sig_CurrentButtonIsOriginalButton, m_mainSettingPage,
            &MainSettingWidget::slot_SetMouseButtonStyleSheetIsOriginal, q);
    connect(dc, &DCDataHandle::sig_TrueMouseValue, m_mainSettingPage, &MainSettingWidget::slot_SetKeyTrueValue, q);
    connect(dc, &DCDataHandle::sig_SetCurrentConfigure, this, &MainWindow::showCurrentConfigButton, q);
    connect(dc, &DCDataHandle::sig_startCode, this, &MainWindow::slot_startCode, q);
    connect(dc, &DCDataHandle::sig_finishCode, this, &MainWindow::slot_finishCode, q);
    connect(dc, &DCDataHandle::sig_OpenDeviceResult, this, &MainWindow::slot_OpenDeviceResult, q);
    connect(dc, &DCDataHandle::sig_BatteryPower, this, &MainWindow::slot_BatteryPower, q);
    connect(dc, &DCDataHandle::sig_ShowLoadingDialog, m_loadingDialog, &LoadMessageDialog::slot_StartLoadingDialog, q);
    connect(dc, &DCDataHandle::sig_EndLoadingDialog, m_loadingDialog, &LoadMessageDialog::slot_StopLoadingDialog, q);
    connect(dc, &DCDataHandle::sig_SendOperationEventMessageToGA, this, &MainWindow::slot_SendMessageToGA, q);
    connect(dc, &DCDataHandle::sig_ShowUpdateWidget, this, &MainWindow::slot_ShowUpdateFirmwareWidget, q);
    connect(dc, &DCDataHandle::sig_RemoveReloadWidget, this, &MainWindow::sig_RemoveReloadWidget, q);
    connect(dc, &DCDataHandle::sig_CloseUpdateMouseDialog, this, &MainWindow::sig_CloseUpdateMouseDialog, q);

    // Window to coordinator.
    connect(this, &MainWindow::sig_LoadFileAndeWriteIntoMouse, dc,
            &DCDataHandle::slot_LoadLocalConfigFileAndWriteIntoMouse, q);
    connect(this, &MainWindow::sig_LoadOnlyMouseFileIntoMouse, dc,
            &DCDataHandle::slot_LoadOnlyLocalMouseConfigFileAndWriteIntoMouse, q);
    connect(this, &MainWindow::sig_LoadCurrentConfigImage, dc, &DCDataHandle::slot_WriteImageToMouse, q);
    connect(this, &MainWindow::sig_ConstructAllThings, dc, &DCDataHandle::connectSignal, q);
    connect(this, &MainWindow::sig_DissMissAllThings, dc, &DCDataHandle::destroyUselessThings, q);
    connect(this, &MainWindow::sig_ResetAllConfigFile, dc, &DCDataHandle::slot_ResetConfigToOriginal, q);
    connect(this, &MainWindow::sig_startCode, dc, &DCDataHandle::slot_startCode, q);
    connect(this, &MainWindow::sig_stopCode, dc, &DCDataHandle::slot_stopCode, q);
    connect(this, &MainWindow::sig_OpenDevice, dc, &DCDataHandle::slot_OpenDevice, q);
    connect(this, &MainWindow::sig_GetBatteryPower, dc, &DCDataHandle::slot_GetBatteryPower, q);

    // Window to itself.
    connect(this, &MainWindow::sig_WarningTypeOnMainWindow, this, &MainWindow::slot_showWarningDialog);
    connect(this, &MainWindow::sig_ShowWarningWidgetWithSpecifyMessage, this,
            &MainWindow::slot_showWarningDialogWithSpecifyMessage);
}

void MainWindow::connectPages()
{
    DCDataHandle *dc = m_dataHandle;
    MainSettingWidget *page = m_mainSettingPage;
    const auto q = Qt::QueuedConnection;

    connect(page, &MainSettingWidget::sig_ChangeCPIListValue, dc, &DCDataHandle::slot_setCPIListValueOnMouse, q);
    connect(page, &MainSettingWidget::sig_ChangeUSBReportRate, dc, &DCDataHandle::slot_ChangeUsbReportRate, q);
    connect(page, &MainSettingWidget::sig_SetGearCurrentValue, dc, &DCDataHandle::slot_SetGearCurrentValue, q);
    connect(page, &MainSettingWidget::sig_showDrawDialog, this, &MainWindow::showDrawBorder);
    connect(page, &MainSettingWidget::sig_showKeySettingDialog, this, &MainWindow::slot_showKeySettingDialog);
    connect(page, &MainSettingWidget::sig_SetPointSpeed, this, &MainWindow::slot_SetSysPointSpeed);
    connect(page, &MainSettingWidget::sig_SetTrolleySpeed, this, &MainWindow::slot_SetSysTrolleyValue);
    connect(page, &MainSettingWidget::sig_SendEventMessageToGA, this, &MainWindow::slot_SendMessageToGA);

    connect(m_codeWidget, &CodeWidget::sig_startCode, this, &MainWindow::sig_startCode);
    connect(m_codeWidget, &CodeWidget::sig_stopCode, this, &MainWindow::slot_stopCode);
    connect(m_codeWidget, &CodeWidget::sig_SendUIEventMessageToGA, this, &MainWindow::slot_SendMessageToGA);
}

void MainWindow::initCheckDevice()
{
    m_checkDevice = new CheckDevice(m_options.watcherBus, m_options.watcherIntervalMs);
    m_checkDevice->moveToThread(&m_checkDeviceThread);
    connect(&m_checkDeviceThread, &QThread::finished, m_checkDevice, &QObject::deleteLater);
    m_checkDeviceThread.setObjectName(QStringLiteral("checkDeviceThread"));
    m_checkDeviceThread.start();

    const auto q = Qt::QueuedConnection;
    connect(m_checkDevice, &CheckDevice::sigFound, this, &MainWindow::slot_WarningDeviceNotInsert, q);
    connect(m_checkDevice, &CheckDevice::sigBlootDescriptor, this, &MainWindow::slot_SetKorvanMouseBooltDescriptor,
            q);
    connect(m_dataHandle, &DCDataHandle::sig_StartCheckDeviceTimer, m_checkDevice, &CheckDevice::startTheTimer, q);
    connect(m_dataHandle, &DCDataHandle::sig_StopCheckDeviceTimer, m_checkDevice, &CheckDevice::stopTheTimer, q);
}

void MainWindow::initNeedDeviceDialog()
{
    m_needDeviceDialog = new NeedDeviceDialog(this);
    connect(m_needDeviceDialog, &NeedDeviceDialog::sig_closeWindow, this, &MainWindow::slot_needDeviceDialogClienk);
    connect(m_needDeviceDialog, &NeedDeviceDialog::sig_ShowUpdateWidget, this,
            &MainWindow::slot_ShowUpdateFirmwareWidget);
    m_needDeviceDialog->move(0, 0);
    needDeviceDialogShow();
}

void MainWindow::setLanguageTexts()
{
    fitButtonText(m_loginButton, languageText(212), 1.0);
    for (int i = 0; i < kTabCount; ++i)
        fitButtonText(m_tabs[i], languageText(kTabTexts[i]), 0.8);
    for (int i = 0; i < kProfileCount; ++i)
        fitButtonText(m_configureButtons[i], languageText(193 + i), 0.8);
    fitButtonText(m_quitUserButton, languageText(199), 1.0);
    fitButtonText(m_resetButton, languageText(198), 1.0);
}

QString MainWindow::pointerSettingsPath() const
{
    return getAppDir() + QStringLiteral("/system/pointer.ini");
}

// --- Tabs and bars -----------------------------------------------------------------------

void MainWindow::SetMenuButtonStyleSheet(int button)
{
    for (int i = 0; i < kTabCount; ++i)
        m_tabs[i]->setStyleSheet(tabButtonStyle(i, i == button));
    // Tabs 0..3 would reset the cloud page's password fields; that page comes later.
    setBottomButtonShowOrHide(button);
}

bool MainWindow::leavePairingPage()
{
    if (m_stackedWidget->currentIndex() != CodePage)
        return false;
    emit sig_stopCode();
    m_stackedWidget->setCurrentIndex(SupportPage);
    m_resetButton->show();
    return true;
}

void MainWindow::setBottomButtonShowOrHide(int page)
{
    leavePairingPage();
    bool profiles = false;
    bool reset = false;
    bool quitUser = false;
    switch (page) {
    case MainPage:
    case LightPage:
        profiles = true;
        break;
    case MacroPage:
        break;
    case SupportPage:
        reset = true;
        break;
    case CloudPage:
        quitUser = true;
        break;
    default:
        return;
    }
    for (QPushButton *b : m_configureButtons)
        b->setVisible(profiles);
    m_resetButton->setVisible(reset);
    m_quitUserButton->setVisible(quitUser);
}

void MainWindow::goToMainPage()
{
    SetMenuButtonStyleSheet(MainPage);
    m_stackedWidget->setCurrentIndex(MainPage);
    m_hideTopWidget->hide();
    m_hideBottomWidget->hide();
    m_hideTopWidget->setStyleSheet(QStringLiteral("background-color:black;"));
}

void MainWindow::sendPageView(const QString &pageName)
{
    qDebug() << "sendPageView" << pageName;
}

void MainWindow::on_MainSettingButton_clicked()
{
    sendPageView(m_tabs[MainPage]->toolTip());
    goToMainPage();
}

void MainWindow::on_LightSettingButton_clicked()
{
    sendPageView(m_tabs[LightPage]->toolTip());
    SetMenuButtonStyleSheet(LightPage);
    m_stackedWidget->setCurrentIndex(LightPage);
}

void MainWindow::on_MacroEditButton_clicked()
{
    sendPageView(m_tabs[MacroPage]->toolTip());
    SetMenuButtonStyleSheet(MacroPage);
    m_stackedWidget->setCurrentIndex(MacroPage);
    // The macro page reloads its name list here once it exists.
}

void MainWindow::on_SupportButton_clicked()
{
    sendPageView(m_tabs[SupportPage]->toolTip());
    SetMenuButtonStyleSheet(SupportPage);
    m_stackedWidget->setCurrentIndex(SupportPage);
}

void MainWindow::on_CloudSyncButton_clicked()
{
    sendPageView(m_tabs[CloudPage]->toolTip());
    if (!m_isLogin) {
        slot_showWarningDialog(Warning::CloudNeedsLogin);
        return;
    }
    SetMenuButtonStyleSheet(CloudPage);
    m_stackedWidget->setCurrentIndex(CloudPage);
}

void MainWindow::slot_SetHeaderButtonEnabled(bool state)
{
    for (QPushButton *tab : m_tabs)
        tab->setEnabled(state);
}

void MainWindow::slot_BanTopButtonClick(bool state, bool isTransparent)
{
    m_hideBottomWidget->setVisible(state);
    m_hideTopWidget->setVisible(state);
    m_hideTopWidget->setStyleSheet(isTransparent ? QStringLiteral("background-color:transparent;")
                                                 : QStringLiteral("background-color:black;"));
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

    if (isfind) {
        const bool bootLoader = Pid == PID_BOOTLOADER && !m_dataHandle->isUpdating();
        if (bootLoader || checkIsHaldenMouseEnter(quint16(Pid), *m_findProcess)) {
            slot_ShowUpdateFirmwareWidget(true, true, m_bootDescriptorType, true);
            return;
        }
        // The macro page stops editing here once it exists.
        emit sig_OpenDevice(Pid, Vid);
        startTimeCount();
        return;
    }

    leavePairingPage();
    // The macro page resets here once it exists.
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

void MainWindow::SetCurrentPid(USHORT pid)
{
    m_currentPid = pid;
}

void MainWindow::needDeviceDialogShow()
{
    emit sig_RemoveReloadWidget();
    m_needDeviceDialog->setHiddenState(false);
    m_batteryButton->setStyleSheet(emptyBatteryStyle());
    m_batteryLabel->clear();
    m_firmwareVersion = 0;
}

void MainWindow::needDeviceDialogHide()
{
    m_needDeviceDialog->setHiddenState(true);
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
    goToMainPage();
    applyModel(mouseType);
}

void MainWindow::applyModel(int mouseType)
{
    m_openedMouseType = mouseType;
    // The macro and lighting pages take the model here once they exist.
    m_mainSettingPage->setMouseType(mouseType);
    m_titleLabel->setStyleSheet(titleLogoStyle(mouseType));
    const int familyA = lightingFamilyAFlag(mouseType);
    if (familyA >= 0)
        m_lightingFamilyA = familyA;
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
    m_batteryLabel->setText(indicator.labelText);
    m_batteryButton->setStyleSheet(indicator.iconStyle);
}

void MainWindow::wiredMouseOnSupportPage(bool isWirelessState)
{
    m_batteryButton->setVisible(isWirelessState);
    m_batteryLabel->setVisible(isWirelessState);
    m_wiredWidget->setStyleSheet(connectionIndicatorStyle(isWirelessState));
    m_wiredWidget->show();
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
    if (type == kOx8Type && m_firmwareVersion < kOx8MinimumFirmware)
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
    // The support page's check button is enabled again here once it exists.

    if (rCode != 0) {
        if (m_isManualUpdateCheck)
            emit sig_ShowWarningWidgetWithSpecifyMessage(Warning::SoftwareCheckFailed, rMsg);
        return;
    }
    const bool newer = !version.isEmpty() && version != appVersion;
    if (!newer) {
        if (m_isManualUpdateCheck)
            slot_showWarningDialog(Warning::SoftwareUpToDate);
        return;
    }
    if (m_isManualUpdateCheck) {
        m_downloadPath = path;
        slot_showWarningDialog(Warning::NewSoftwareManual);
        return;
    }
    if (readNotRemind())
        return;
    m_downloadPath = path;
    slot_showWarningDialog(Warning::NewSoftwareAuto);
}

// --- Reset, account ----------------------------------------------------------------------

void MainWindow::on_ResetToOriginalButton_clicked()
{
    slot_SendMessageToGA(QString::fromUtf8(kUiEventCategory),
                         m_resetButton->toolTip() + QString::fromUtf8(kButtonAction), QString(),
                         QStringLiteral("MainWindow"));
    slot_showWarningDialog(Warning::ResetConfirm);
}

void MainWindow::slot_ResetMouseToOriginal()
{
    qDebug() << "ResetMouse";
    emit sig_ResetAllConfigFile();
    const QString highest = highestFunctionIniPath();
    if (QFile::exists(highest) && QFile::remove(highest))
        qDebug() << "deleteHighestFile ok";
}

void MainWindow::checkTokenIsExit()
{
    OperateToken token;
    if (token.GetToken().size() < kMinimumTokenLength)
        return;
    qDebug() << "TokenIsExit";
    QString name = token.GetNickName();
    if (name.size() > kShownNickNameLength)
        name = name.left(kShownNickNameLength) + QStringLiteral("...");
    m_nameLabel->setText(name);
    m_isLogin = true;
    m_loginButton->hide();
    m_nameLabel->show();
    // The cloud page gets the name here once it exists.
}

void MainWindow::on_LoginButton_clicked()
{
    // The login dialog comes with the cloud part of the program.
    qDebug() << "on_LoginButton_clicked: no login dialog yet";
}

void MainWindow::on_QuitUserButton_clicked()
{
    slot_showWarningDialog(Warning::LogoutConfirm);
}

void MainWindow::slot_quitUser()
{
    m_loginButton->show();
    m_nameLabel->hide();
    m_isLogin = false;
    QFile::remove(systemIniPath());
    // The cloud page resets here once it exists.
    goToMainPage();
}

void MainWindow::slot_showEditHeadImageDialog()
{
    qDebug() << "slot_showEditHeadImageDialog: no avatar dialog yet";
}

// --- Pairing -----------------------------------------------------------------------------

void MainWindow::slot_GoToMatchCodePage()
{
    m_hideTopWidget->setStyleSheet(QStringLiteral("background-color:black;"));
    m_hideTopWidget->show();
    m_hideBottomWidget->show();
    m_stackedWidget->setCurrentIndex(CodePage);
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
    goToMainPage();
}

void MainWindow::slot_finishCode(bool ok)
{
    if (!ok) {
        slot_showWarningDialog(Warning::PairingFailed);
        goToMainPage();
        return;
    }
    qDebug() << "对码完成 slot_finishCode";
    goToMainPage();
    setCurrentConfigure(1);
    slot_showWarningDialog(Warning::PairingDone);
    slot_WarningDeviceNotInsert(true, m_currentPid, VID_KORVAN);
}

void MainWindow::slot_stopCode()
{
    if (!leavePairingPage())
        return;
    // The covers of the pairing page would leave the support page without
    // tabs or bar: show it as if its tab had been chosen.
    SetMenuButtonStyleSheet(SupportPage);
    m_hideTopWidget->hide();
    m_hideBottomWidget->hide();
}

// --- Dialogs -----------------------------------------------------------------------------

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

    DCDataHandle *dc = m_dataHandle;
    const auto q = Qt::QueuedConnection;
    connect(dialog, &WarningDialog::sig_QuitUser, this, &MainWindow::slot_quitUser);
    connect(dialog, &WarningDialog::sig_ResetMouseToOriginal, this, &MainWindow::slot_ResetMouseToOriginal);
    connect(dialog, &WarningDialog::sig_ChangeConfiFileBeforeStartToUploadFile, dc,
            &DCDataHandle::slot_TurnNewFileToOldFile, q);
    connect(dialog, &WarningDialog::sig_GetMouseProfileAgain, dc, &DCDataHandle::slot_GetProfileFromMouse, q);
    connect(dialog, &WarningDialog::sig_SaveCurrentProfileFileToConfig1, dc, &DCDataHandle::slot_SaveProfileToConfig1,
            q);
    connect(dialog, &WarningDialog::sig_OpenMouseAgain, dc, &DCDataHandle::slot_OpenDeviceAgain, q);
    connect(dialog, &WarningDialog::sig_UpdateFirmwareNow, this, &MainWindow::sig_UpdateFirmwareNow);
    connect(dialog, &WarningDialog::sig_UpdateFirmwareNow_Halden, this, &MainWindow::sig_UpdateFirmwareNow_Halden);
    connect(dialog, &WarningDialog::sig_UpdateButtonEnable, this, &MainWindow::sig_UpdateButtonEnable);
    connect(dialog, &WarningDialog::sig_ConfigRevcover, this, &MainWindow::on_ConfigureButton_1_clicked);
    connect(dialog, &WarningDialog::sig_GoToMatchCodePage, this, &MainWindow::slot_GoToMatchCodePage);
    connect(dialog, &WarningDialog::sig_GoToSupportWidget, this, &MainWindow::on_SupportButton_clicked);
    connect(dialog, &WarningDialog::sig_ShowUpdateWidget, this, &MainWindow::slot_ShowUpdateFirmwareWidget);
    connect(dialog, &WarningDialog::sig_exitSoftware, this, &MainWindow::exitApplication);
    connect(dialog, &WarningDialog::sig_RestartSoftware, this, &MainWindow::slot_startWattingProcess);
    connect(dialog, &WarningDialog::sig_SendUIEventMessageToGA, this, &MainWindow::slot_SendMessageToGA);
    // The cloud page's download and the support page's firmware download
    // are connected here once those pages exist.

    connect(this, &MainWindow::sig_RemoveWarningWidget, dialog, &QDialog::close);
    if (isProgressWarning(warningType))
        connect(dc, &DCDataHandle::sig_closeUpdatingWidget, dialog, &QDialog::close, q);
    if (warningType == Warning::ReadWriteFailed)
        connect(this, &MainWindow::sig_RemoveReloadWidget, dialog, &QDialog::close);
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

void MainWindow::slot_ShowUpdateFirmwareWidget(bool isChangeable, bool isLocalUpdateState, int mouseType,
                                               bool isUpdateNow)
{
    qDebug() << "slot_ShowUpdateFirmwareWidget" << isChangeable << isLocalUpdateState << mouseType << isUpdateNow;
    // The firmware update dialog comes with the update part of the program.
}

void MainWindow::showDrawBorder()
{
    qDebug() << "showDrawBorder: no OLED editor yet; brightness" << m_dataHandle->oledLightIntensity();
}

void MainWindow::slot_showKeySettingDialog(int changedButton, int buttonChangeType, int buttonTrueValue,
                                           int modifyKeyValue)
{
    qDebug() << "slot_showKeySettingDialog: no key dialog yet" << changedButton << buttonChangeType
             << buttonTrueValue << modifyKeyValue;
}

// --- Tray, window controls, system settings ----------------------------------------------

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
    PointerSettings(pointerSettingsPath()).setMouseSpeed(value);
}

void MainWindow::slot_SetSysTrolleyValue(int value)
{
    PointerSettings(pointerSettingsPath()).setWheelScrollLines(value);
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

void MainWindow::slot_startWattingProcess()
{
    needDeviceDialogShow();
    const QString tool = getAppDir() + QStringLiteral("/Relaunch3.exe");
    if (!QFile::exists(tool) || !QProcess::startDetached(tool, {}))
        qDebug() << "slot_startWattingProcess: no restart tool" << tool;
}

void MainWindow::slot_SendMessageToGA(const QString &category, const QString &action, const QString &label,
                                      const QString &viewScreen)
{
    // The analytics client comes with its own part of the program.
    qDebug() << "slot_SendMessageToGA" << category << action << label << viewScreen;
}
