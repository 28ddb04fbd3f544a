// The main window with its real workers on their threads, an emulated
// mouse on an emulated bus and the device clock in virtual time; widgets
// are driven by object name.
#include "platform/clock.h"
#include "coordinator/dcdatahandle.h"
#include "shell/dialogs/loadmessagedialog.h"
#include "shell/dialogs/needdevicedialog.h"
#include "shell/dialogs/warningdialog.h"
#include "cloud/cloudsyncwidget.h"
#include "cloud/editheadimagedialog.h"
#include "cloud/userdialog.h"
#include "config/inistores.h"
#include "shell/mainsetting/mainsettingwidget.h"
#include "discovery/models.h"
#include "shell/pairing/codewidget.h"
#include "config/paths.h"
#include "platform/pointersettings.h"
#include "platform/programlauncher.h"
#include "sim/simulation.h"
#include "tests/common/testutil.h"
#include "tests/common/widgettestutil.h"
#include "shell/window/mainwindow.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTextEdit>
#include <QtTest>

#include <memory>

namespace {

// Everything a window needs around it. The window goes first on
// destruction: its threads stop before the bus and the clock go away.
struct WindowFixture
{
    explicit WindowFixture(const QString &model = QString())
        : clockScope(&clock)
    {
        if (!model.isEmpty() && !simulation.setUp(model))
            qFatal("no simulation of %s", qPrintable(model));
        simulation.install();
        MainWindowOptions options;
        options.watcherBus = &simulation.bus();
        options.watcherIntervalMs = 10;
        window = std::make_unique<MainWindow>(options);
        window->setExitHandler([this](int code) { exitCodes.append(code); });
        window->show();
    }

    template <typename T = QWidget>
    T *child(const char *name) const
    {
        return childNamed<T>(window.get(), QLatin1String(name));
    }
    void click(const char *name) const { clickNamed(window.get(), QLatin1String(name)); }
    int page() const { return child<QStackedWidget>("stackedWidget")->currentIndex(); }
    bool visible(const char *name) const { return child(name)->isVisible(); }

    // The warning dialogs on screen, oldest first.
    QList<WarningDialog *> warnings() const
    {
        QList<WarningDialog *> out;
        for (WarningDialog *d : window->findChildren<WarningDialog *>()) {
            if (d->isVisible())
                out.append(d);
        }
        return out;
    }
    QList<int> warningTypes() const
    {
        QList<int> out;
        for (WarningDialog *d : warnings())
            out.append(d->warningType());
        return out;
    }
    void closeWarnings()
    {
        for (WarningDialog *d : warnings())
            d->close();
    }

    NumberedLanguageTable texts;
    TempAppDir app;
    VirtualClock clock;
    ScopedDeviceClock clockScope;
    Simulation simulation;
    QList<int> exitCodes;
    std::unique_ptr<MainWindow> window;
};

QString pictureOf(const QString &style)
{
    const int start = style.indexOf(QLatin1String("url("));
    return start < 0 ? QString() : style.mid(start + 4, style.indexOf(QLatin1Char(')'), start) - start - 4);
}

// Records the programs the window would start instead of starting them.
struct RecordingLauncher : ProgramLauncher
{
    RecordingLauncher() { setProgramLauncher(this); }
    ~RecordingLauncher() override { setProgramLauncher(nullptr); }
    bool startDetached(const QString &program, const QStringList &arguments) override
    {
        started << (QStringList{program} + arguments);
        return true;
    }
    QList<QStringList> started;
};

// A cloud service is configured for the scope: a loopback address where
// nothing listens (these tests send nothing to it).
struct ScopedServiceUrl
{
    ScopedServiceUrl() { qputenv("OX8_CLOUD_URL", "http://127.0.0.1:9"); }
    ~ScopedServiceUrl() { qunsetenv("OX8_CLOUD_URL"); }
};

// The window has opened the model it was given.
bool waitForOpen(WindowFixture &f, int mouseType)
{
    return QTest::qWaitFor([&] { return f.window->openedMouseType() == mouseType; }, 20000);
}

} // namespace

class TstMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startsCoveredByTheNoDeviceDialog();
    void cloudTabNeedsLogin_data();
    void cloudTabNeedsLogin();
    void tabsShowTheirBars_data();
    void tabsShowTheirBars();
    void profileButtonsLoadTheirProfile_data();
    void profileButtonsLoadTheirProfile();
    void batteryIndicator_data();
    void batteryIndicator();
    void connectionIndicator_data();
    void connectionIndicator();
    void opensTheEmulatedMouseAndAppliesTheModel_data();
    void opensTheEmulatedMouseAndAppliesTheModel();
    void profileSwitchReachesTheMouse();
    void removalBringsTheNoDeviceDialogBack();
    void bootLoaderIsNotOpened();
    void pairingFlow();
    void pairingExitLeadsToAUsableSupportPage();
    void removalDuringPairingStopsIt();
    void ox8FirmwareCheck_data();
    void ox8FirmwareCheck();
    void softwareCheck_data();
    void softwareCheck();
    void resetToFactory();
    void logOut();
    void cloudTabWithoutAService_data();
    void cloudTabWithoutAService();
    void loginButtonOpensTheLoginDialog();
    void cloudPageAvatarAndPasswordFields();
    void exitPaths_data();
    void exitPaths();
    void restartRequestStartsTheRestartTool();
    void secondStartMessage_data();
    void secondStartMessage();
    void pointerSettingsFlashTheOverlay();
    void barsAndCovers();
};

void TstMainWindow::initTestCase()
{
    registerDeviceMetaTypes();
}

void TstMainWindow::startsCoveredByTheNoDeviceDialog()
{
    WindowFixture f;
    QCOMPARE(f.window->size(), QSize(960, 640));
    QVERIFY(f.window->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(f.window->windowTitle(), QStringLiteral("OX8Driver"));
    QVERIFY(f.window->needDeviceDialog()->isVisible());
    QCOMPARE(f.window->needDeviceDialog()->pos(), QPoint(0, 0));
    QCOMPARE(f.page(), int(MainWindow::MainPage));
    QCOMPARE(f.window->currentConfigure(), 1);
    QVERIFY(!f.visible("NameLabel"));
    QVERIFY(f.visible("LoginButton"));
    QVERIFY(!f.visible("HideTopButtonWidget"));
    QCOMPARE(f.child<QPushButton>("LoginButton")->toolTip(), NumberedLanguageTable::text(212));
    QCOMPARE(f.child<QPushButton>("CloudSyncButton")->toolTip(), NumberedLanguageTable::text(97));
    QCOMPARE(f.child<QPushButton>("ConfigureButton_5")->toolTip(), NumberedLanguageTable::text(197));
    QVERIFY(f.child<QStackedWidget>("stackedWidget")->height() >= 460);
    const QStringList pages{"MainSettingPage", "LightSettingPage", "MacroEditPage",
                            "SupportPage", "CloudSyncPage", "CodePage"};
    for (int i = 0; i < pages.size(); ++i)
        QCOMPARE(f.child<QStackedWidget>("stackedWidget")->widget(i)->objectName(), pages.at(i));
    // Without a desktop tray the menu still exists for a desktop that has one.
    QCOMPARE(f.window->trayMenu()->actions().size(), 3);
    QCOMPARE(f.window->trayMenu()->actions().at(0)->text(), NumberedLanguageTable::text(297));
    QCOMPARE(f.window->trayMenu()->actions().at(2)->text(), NumberedLanguageTable::text(298));
    QCOMPARE(f.window->trayIcon()->toolTip(), QStringLiteral("OX8Driver"));
}

void TstMainWindow::cloudTabNeedsLogin_data()
{
    QTest::addColumn<QString>("token");
    QTest::addColumn<bool>("opens");

    QTest::newRow("no token: warning 10, page kept") << "" << false;
    QTest::newRow("ten characters are no login") << "0123456789" << false;
    QTest::newRow("eleven characters are a login") << "0123456789A" << true;
}

void TstMainWindow::cloudTabNeedsLogin()
{
    QFETCH(QString, token);
    QFETCH(bool, opens);

    const ScopedServiceUrl service;
    auto f = std::make_unique<WindowFixture>();
    if (!token.isEmpty()) {
        OperateToken store;
        store.SetToken(token);
        store.SetNickName(QStringLiteral("LongNickName"));
        f->window->checkTokenIsExit();
    }
    f->click("SupportButton");
    QCOMPARE(f->page(), int(MainWindow::SupportPage));

    f->click("CloudSyncButton");
    if (opens) {
        QVERIFY(f->warnings().isEmpty());
        QCOMPARE(f->page(), int(MainWindow::CloudPage));
        QVERIFY(f->visible("QuitUserButton"));
        QVERIFY(f->visible("NameLabel"));
        QVERIFY(!f->visible("LoginButton"));
        QCOMPARE(f->child<QLabel>("NameLabel")->text(), QStringLiteral("LongNic..."));
    } else {
        QCOMPARE(f->warningTypes(), QList<int>{10});
        QCOMPARE(f->page(), int(MainWindow::SupportPage));
        QVERIFY(!f->visible("QuitUserButton"));
    }
}

void TstMainWindow::tabsShowTheirBars_data()
{
    QTest::addColumn<QString>("tab");
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("profiles");
    QTest::addColumn<bool>("reset");

    QTest::newRow("settings") << "MainSettingButton" << 0 << true << false;
    QTest::newRow("lighting") << "LightSettingButton" << 1 << true << false;
    QTest::newRow("macros") << "MacroEditButton" << 2 << false << false;
    QTest::newRow("support") << "SupportButton" << 3 << false << true;
}

void TstMainWindow::tabsShowTheirBars()
{
    QFETCH(QString, tab);
    QFETCH(int, page);
    QFETCH(bool, profiles);
    QFETCH(bool, reset);

    WindowFixture f;
    f.click("MacroEditButton"); // start away from the target
    f.click(tab.toLatin1().constData());
    QCOMPARE(f.page(), page);
    for (int i = 1; i <= 5; ++i)
        QCOMPARE(f.visible(QStringLiteral("ConfigureButton_%1").arg(i).toLatin1().constData()), profiles);
    QCOMPARE(f.visible("ResetToOriginalButton"), reset);
    QVERIFY(!f.visible("QuitUserButton"));
    // The chosen tab carries its selected picture, the others their plain one.
    for (const char *name : {"MainSettingButton", "LightSettingButton", "MacroEditButton", "SupportButton"}) {
        const bool selected = tab == QLatin1String(name);
        QCOMPARE(pictureOf(f.child(name)->styleSheet()).endsWith(QLatin1String("_s.png")), selected);
    }
}

void TstMainWindow::profileButtonsLoadTheirProfile_data()
{
    QTest::addColumn<int>("number");
    for (int n = 1; n <= 5; ++n)
        QTest::addRow("profile %d", n) << n;
}

void TstMainWindow::profileButtonsLoadTheirProfile()
{
    QFETCH(int, number);

    WindowFixture f;
    QSignalSpy load(f.window.get(), &MainWindow::sig_LoadFileAndeWriteIntoMouse);
    f.click(QStringLiteral("ConfigureButton_%1").arg(number).toLatin1().constData());

    QCOMPARE(load.count(), 1);
    QCOMPARE(load.at(0).at(0).toInt(), number);
    QCOMPARE(f.window->currentConfigure(), number);
    QCOMPARE(f.window->mainSettingPage()->currentConfigure(), number);
    for (int n = 1; n <= 5; ++n) {
        const QString picture = pictureOf(f.child(QStringLiteral("ConfigureButton_%1").arg(n).toLatin1())->styleSheet());
        const QString expected = QStringLiteral(":/picture/picture/set_btn_%1%2.png")
                                     .arg(n == 5 ? 2 : 1)
                                     .arg(n == number ? QStringLiteral("_s") : QString());
        QCOMPARE(picture, expected);
    }
}

void TstMainWindow::batteryIndicator_data()
{
    QTest::addColumn<qulonglong>("value");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("icon");

    QTest::newRow("0 is empty without text") << 0ull << "" << "top_icon_battery0";
    QTest::newRow("1") << 1ull << "1%" << "top_icon_battery";
    QTest::newRow("20 is the low icon") << 20ull << "20%" << "top_icon_battery";
    QTest::newRow("21 is the second icon") << 21ull << "21%" << "top_icon_battery2";
    QTest::newRow("40") << 40ull << "40%" << "top_icon_battery2";
    QTest::newRow("41") << 41ull << "41%" << "top_icon_battery3";
    QTest::newRow("60") << 60ull << "60%" << "top_icon_battery3";
    QTest::newRow("61") << 61ull << "61%" << "top_icon_battery4";
    QTest::newRow("80 is the fourth icon") << 80ull << "80%" << "top_icon_battery4";
    QTest::newRow("81 is the full icon") << 81ull << "81%" << "top_icon_battery5";
    QTest::newRow("100") << 100ull << "100%" << "top_icon_battery5";
    QTest::newRow("101 is charging") << 101ull << "" << "top_icon_charging";
    QTest::newRow("102 is charged") << 102ull << "" << "top_icon_charging_full";
    QTest::newRow("103 is no reading") << 103ull << "" << "top_icon_battery0";
    QTest::newRow("104 shows its number, full") << 104ull << "104%" << "top_icon_battery5";
    QTest::newRow("beyond 32 bits stays unsigned") << 0x1'0000'0005ull << "4294967301%" << "top_icon_battery5";
}

void TstMainWindow::batteryIndicator()
{
    QFETCH(qulonglong, value);
    QFETCH(QString, label);
    QFETCH(QString, icon);

    WindowFixture f;
    f.window->slot_BatteryPower(DWORD(50)); // something to overwrite
    f.window->slot_BatteryPower(DWORD(value));
    QCOMPARE(f.child<QLabel>("BatteryLabel")->text(), label);
    QCOMPARE(pictureOf(f.child("BattaryButton")->styleSheet()),
             QStringLiteral(":/picture/picture/%1.png").arg(icon));
}

void TstMainWindow::connectionIndicator_data()
{
    QTest::addColumn<bool>("wireless");
    QTest::newRow("cable hides the battery") << false;
    QTest::newRow("receiver shows the battery") << true;
}

void TstMainWindow::connectionIndicator()
{
    QFETCH(bool, wireless);

    WindowFixture f;
    f.window->wiredMouseOnSupportPage(!wireless);
    f.window->wiredMouseOnSupportPage(wireless);
    QCOMPARE(f.visible("BattaryButton"), wireless);
    QCOMPARE(f.visible("BatteryLabel"), wireless);
    QVERIFY(f.visible("WiredWidget"));
    QCOMPARE(pictureOf(f.child("WiredWidget")->styleSheet()),
             wireless ? QStringLiteral(":/picture/picture/OX7/wireless.png")
                      : QStringLiteral(":/picture/picture/OX7/wire.png"));
}

void TstMainWindow::opensTheEmulatedMouseAndAppliesTheModel_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("wireless");
    QTest::addColumn<int>("lightingFamilyA");

    QTest::newRow("OX7 by cable") << "ox7" << 11 << false << 1;
    QTest::newRow("OX7 through its receiver") << "ox7:receiver" << 11 << true << 1;
    QTest::newRow("OX6, family B") << "ox6" << 3 << false << 0;
}

void TstMainWindow::opensTheEmulatedMouseAndAppliesTheModel()
{
    QFETCH(QString, model);
    QFETCH(int, type);
    QFETCH(bool, wireless);
    QFETCH(int, lightingFamilyA);

    WindowFixture f(model);
    QVERIFY(waitForOpen(f, type));

    QVERIFY(!f.window->needDeviceDialog()->isVisible());
    QCOMPARE(f.page(), int(MainWindow::MainPage));
    QCOMPARE(f.window->mainSettingPage()->mouseType(), type);
    const QString folder = getFamilyFolderName(type);
    QCOMPARE(pictureOf(f.child("TitleLabel")->styleSheet()),
             QStringLiteral(":/picture/%1/picture/%2/logo_korvan.png").arg(folder, folder.toUpper()));
    QCOMPARE(f.window->lightingFamilyA(), lightingFamilyA);
    QCOMPARE(f.visible("BattaryButton"), wireless);
    QVERIFY(f.window->batteryTimerId() != 0);
    QCOMPARE(f.window->currentPid(), wireless ? modelForType(type)->wirelessPid : modelForType(type)->wiredPid);

    // The coordinator's read of the mouse reaches the page.
    QTRY_COMPARE_WITH_TIMEOUT(f.window->mainSettingPage()->cpiValues().size(), 7, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(f.window->firmwareVersion() != 0, 20000);
    // The busy overlay ends its turn once the read is over.
    QTRY_VERIFY_WITH_TIMEOUT(!f.window->loadingDialog()->isVisible(), 20000);
}

void TstMainWindow::profileSwitchReachesTheMouse()
{
    WindowFixture f(QStringLiteral("ox7"));
    QVERIFY(waitForOpen(f, 11));
    QTRY_VERIFY_WITH_TIMEOUT(!f.window->loadingDialog()->isVisible(), 20000);
    f.closeWarnings();

    f.click("ConfigureButton_3");
    QTRY_COMPARE_WITH_TIMEOUT(f.window->dataHandle()->currentConfigNumber(), 3, 20000);
    QCOMPARE(f.window->currentConfigure(), 3);
}

void TstMainWindow::removalBringsTheNoDeviceDialogBack()
{
    WindowFixture f(QStringLiteral("ox7:receiver"));
    QVERIFY(waitForOpen(f, 11));
    // Unplugging in the middle of the read would rightly raise a warning.
    QTRY_COMPARE_WITH_TIMEOUT(f.window->mainSettingPage()->cpiValues().size(), 7, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!f.window->loadingDialog()->isVisible(), 20000);
    f.closeWarnings();
    f.window->slot_BatteryPower(DWORD(55));
    QSignalSpy dismiss(f.window.get(), &MainWindow::sig_DissMissAllThings);

    f.simulation.bus().unplugAll();

    QTRY_VERIFY_WITH_TIMEOUT(f.window->needDeviceDialog()->isVisible(), 20000);
    QCOMPARE(dismiss.count(), 1);
    QCOMPARE(f.window->batteryTimerId(), 0);
    QCOMPARE(f.window->firmwareVersion(), 0);
    QVERIFY(f.child<QLabel>("BatteryLabel")->text().isEmpty());
    QCOMPARE(pictureOf(f.child("BattaryButton")->styleSheet()),
             QStringLiteral(":/picture/picture/top_icon_battery0.png"));
    QVERIFY(f.warnings().isEmpty());
}

void TstMainWindow::bootLoaderIsNotOpened()
{
    WindowFixture f;
    QSignalSpy open(f.window.get(), &MainWindow::sig_OpenDevice);
    f.window->slot_SetKorvanMouseBooltDescriptor(14);
    f.window->slot_WarningDeviceNotInsert(true, PID_BOOTLOADER, VID_KORVAN);
    QCOMPARE(open.count(), 0);
    QCOMPARE(f.window->batteryTimerId(), 0);
    QCOMPARE(f.window->currentPid(), PID_BOOTLOADER);
    QCOMPARE(f.window->bootDescriptorType(), 14);

    f.window->slot_WarningDeviceNotInsert(true, PID_OX7_WIRED, VID_KORVAN);
    QCOMPARE(open.count(), 1);
    QCOMPARE(open.at(0), (QVariantList{uint(PID_OX7_WIRED), uint(VID_KORVAN)}));
    QVERIFY(f.window->batteryTimerId() != 0);
}

void TstMainWindow::pairingFlow()
{
    WindowFixture f;
    f.window->SetCurrentPid(PID_OX7_RECEIVER);
    QSignalSpy start(f.window.get(), &MainWindow::sig_startCode);
    QSignalSpy open(f.window.get(), &MainWindow::sig_OpenDevice);
    QSignalSpy load(f.window.get(), &MainWindow::sig_LoadFileAndeWriteIntoMouse);

    f.window->slot_GoToMatchCodePage();
    QCOMPARE(f.page(), int(MainWindow::CodePage));
    QCOMPARE(f.window->codeWidget()->currentSubPage(), 0);
    QVERIFY(f.visible("HideTopButtonWidget"));
    QVERIFY(f.visible("HideBottomButtonWidget"));

    clickNamed(f.window->codeWidget(), QStringLiteral("pushButton_code"));
    QCOMPARE(start.count(), 1);
    f.window->slot_startCode(true);
    QCOMPARE(f.window->codeWidget()->currentSubPage(), 1);

    f.window->slot_finishCode(true);
    QCOMPARE(f.page(), int(MainWindow::MainPage));
    QVERIFY(!f.visible("HideTopButtonWidget"));
    QCOMPARE(f.warningTypes(), QList<int>{30});
    QCOMPARE(f.window->currentConfigure(), 1);
    QCOMPARE(load.count(), 1);
    QCOMPARE(load.at(0).at(0).toInt(), 1);
    // The mouse is opened again through the arrival path.
    QCOMPARE(open.count(), 1);
    QCOMPARE(open.at(0), (QVariantList{uint(PID_OX7_RECEIVER), uint(VID_KORVAN)}));
    f.closeWarnings();

    // A refused start returns to the main page with warning 31.
    f.window->slot_GoToMatchCodePage();
    f.window->slot_startCode(false);
    QCOMPARE(f.page(), int(MainWindow::MainPage));
    QCOMPARE(f.warningTypes(), QList<int>{31});
    QVERIFY(!f.visible("HideBottomButtonWidget"));
    f.closeWarnings();

    // So does a failed pairing.
    f.window->slot_GoToMatchCodePage();
    f.window->slot_startCode(true);
    f.window->slot_finishCode(false);
    QCOMPARE(f.page(), int(MainWindow::MainPage));
    QCOMPARE(f.warningTypes(), QList<int>{31});
    // Its only button closes the notice and leaves the program running.
    clickNamed(f.warnings().at(0), QStringLiteral("OkButton"));
    QVERIFY(f.exitCodes.isEmpty());
}

void TstMainWindow::pairingExitLeadsToAUsableSupportPage()
{
    WindowFixture f;
    QSignalSpy stop(f.window.get(), &MainWindow::sig_stopCode);
    f.window->slot_GoToMatchCodePage();
    clickNamed(f.window->codeWidget(), QStringLiteral("pushButton_exit"));

    QCOMPARE(stop.count(), 1);
    QCOMPARE(f.page(), int(MainWindow::SupportPage));
    QVERIFY(f.visible("ResetToOriginalButton"));
    QVERIFY(!f.visible("HideTopButtonWidget"));
    QVERIFY(!f.visible("HideBottomButtonWidget"));
    QVERIFY(!f.visible("ConfigureButton_1"));
    QVERIFY(pictureOf(f.child("SupportButton")->styleSheet()).endsWith(QLatin1String("_s.png")));

    // Off the pairing page the exit does nothing more.
    f.window->slot_stopCode();
    QCOMPARE(stop.count(), 1);
}

void TstMainWindow::removalDuringPairingStopsIt()
{
    WindowFixture f;
    f.window->slot_WarningDeviceNotInsert(true, PID_OX7_RECEIVER, VID_KORVAN);
    f.window->slot_OpenDeviceResult(true, 11, true);
    f.window->slot_GoToMatchCodePage();
    QSignalSpy stop(f.window.get(), &MainWindow::sig_stopCode);

    f.window->slot_WarningDeviceNotInsert(false, PID_OX7_RECEIVER, VID_KORVAN);
    QCOMPARE(stop.count(), 1);
    QCOMPARE(f.page(), int(MainWindow::SupportPage));
    QVERIFY(f.visible("ResetToOriginalButton"));
    QVERIFY(f.window->needDeviceDialog()->isVisible());
}

void TstMainWindow::ox8FirmwareCheck_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("warns");

    QTest::newRow("OX8 with firmware 4 warns") << 18 << 4 << true;
    QTest::newRow("OX8 with firmware 5 is fine") << 18 << 5 << false;
    QTest::newRow("OX7 with firmware 4 is fine") << 11 << 4 << false;
}

void TstMainWindow::ox8FirmwareCheck()
{
    QFETCH(int, type);
    QFETCH(int, version);
    QFETCH(bool, warns);

    WindowFixture f;
    setCurrentMouseType(type);
    QSignalSpy warning(f.window.get(), &MainWindow::sig_WarningTypeOnMainWindow);
    f.window->slot_GetCurrentFirmVersion(version);
    f.window->slot_GetCurrentFirmVersion(version);
    setCurrentMouseType(0);
    QCOMPARE(f.window->firmwareVersion(), version);
    QCOMPARE(warning.count(), warns ? 2 : 0); // once per report
    QCOMPARE(f.warningTypes(), warns ? (QList<int>{26, 26}) : QList<int>());
}

void TstMainWindow::softwareCheck_data()
{
    QTest::addColumn<bool>("manual");
    QTest::addColumn<bool>("notRemind");
    QTest::addColumn<int>("rCode");
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("warning"); // -1: none
    QTest::addColumn<bool>("storesPath");

    const QString same = QStringLiteral("0.9.013950.0513");
    QTest::newRow("automatic, newer") << false << false << 0 << "1.0.0" << 1 << true;
    QTest::newRow("automatic, newer but not to be reminded") << false << true << 0 << "1.0.0" << -1 << false;
    QTest::newRow("automatic, up to date") << false << false << 0 << same << -1 << false;
    QTest::newRow("automatic, empty version") << false << false << 0 << "" << -1 << false;
    QTest::newRow("automatic, failure stays silent") << false << false << 3 << "1.0.0" << -1 << false;
    QTest::newRow("manual, newer") << true << true << 0 << "1.0.0" << 52 << true;
    QTest::newRow("manual, up to date") << true << false << 0 << same << 53 << false;
    QTest::newRow("manual, failure shows the message") << true << false << 3 << "" << 54 << false;
}

void TstMainWindow::softwareCheck()
{
    QFETCH(bool, manual);
    QFETCH(bool, notRemind);
    QFETCH(int, rCode);
    QFETCH(QString, version);
    QFETCH(int, warning);
    QFETCH(bool, storesPath);

    WindowFixture f;
    QCoreApplication::setApplicationVersion(QStringLiteral("0.9.013950.0513"));
    if (notRemind)
        writeNotRemind(1);
    QSignalSpy check(f.window.get(), &MainWindow::sig_CheckLastSoftwareVersion);
    if (manual)
        f.window->slot_SoftwareUpdateArrowsBySupprotWidget();
    else
        f.window->slot_OpenDeviceResult(true, 11, false);
    QCOMPARE(check.count(), 1);
    QCOMPARE(check.at(0).at(0).toString(), QStringLiteral("ox8"));

    const QString path = QStringLiteral("https://downloads.example/new.deb");
    f.window->slot_LastSoftWareVersionRet(rCode, QStringLiteral("server message"), version, path,
                                          QStringLiteral("2024-01-01"));
    QCOMPARE(f.warningTypes(), warning < 0 ? QList<int>{} : QList<int>{warning});
    QCOMPARE(f.window->downloadPath(), storesPath ? path : QString());
    if (warning == 54)
        QCOMPARE(childNamed<QTextEdit>(f.warnings().at(0), QStringLiteral("WarningTextEdit"))->toPlainText(),
                 QStringLiteral("server message"));
    if (warning == 1 || warning == 52)
        QCOMPARE(f.warnings().at(0)->downloadPath(), path);
}

void TstMainWindow::resetToFactory()
{
    WindowFixture f;
    QDir().mkpath(QFileInfo(highestFunctionIniPath()).path());
    {
        QFile ini(highestFunctionIniPath());
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[4]\n");
    }
    QSignalSpy reset(f.window.get(), &MainWindow::sig_ResetAllConfigFile);
    f.click("SupportButton");
    f.click("ResetToOriginalButton");
    QCOMPARE(f.warningTypes(), QList<int>{0});
    QCOMPARE(reset.count(), 0);

    clickNamed(f.warnings().at(0), QStringLiteral("OkButton"));
    QCOMPARE(reset.count(), 1);
    QVERIFY(!QFile::exists(highestFunctionIniPath()));
}

void TstMainWindow::logOut()
{
    const ScopedServiceUrl service;
    WindowFixture f;
    OperateToken store;
    store.SetToken(QStringLiteral("a-token-of-some-length"));
    store.SetNickName(QStringLiteral("Ann"));
    f.window->checkTokenIsExit();
    QVERIFY(f.window->isLogin());
    f.click("CloudSyncButton");
    QCOMPARE(f.page(), int(MainWindow::CloudPage));

    f.click("QuitUserButton");
    QCOMPARE(f.warningTypes(), QList<int>{3});
    clickNamed(f.warnings().at(0), QStringLiteral("OkButton"));

    QVERIFY(!f.window->isLogin());
    QVERIFY(f.visible("LoginButton"));
    QVERIFY(!f.visible("NameLabel"));
    QVERIFY(!QFile::exists(systemIniPath()));
    // The cloud page forgot the user.
    QCOMPARE(f.child<QLineEdit>("UserNameLineEdit")->text(), QString());
    QCOMPARE(f.page(), int(MainWindow::MainPage));
    f.click("CloudSyncButton");
    QCOMPARE(f.warningTypes(), QList<int>{10});
}

void TstMainWindow::cloudTabWithoutAService_data()
{
    QTest::addColumn<bool>("loggedIn");
    QTest::newRow("logged out") << false;
    QTest::newRow("logged in") << true;
}

void TstMainWindow::cloudTabWithoutAService()
{
    QFETCH(bool, loggedIn);
    WindowFixture f;
    if (loggedIn) {
        OperateToken store;
        store.SetToken(QStringLiteral("a-token-of-some-length"));
        store.SetNickName(QStringLiteral("Ann"));
        f.window->checkTokenIsExit();
    }
    f.click("CloudSyncButton");
    // The page says there is no service instead of asking for a login.
    QVERIFY(f.warnings().isEmpty());
    QCOMPARE(f.page(), int(MainWindow::CloudPage));
    QVERIFY(f.visible("NoServiceWidget"));
    QVERIFY(!f.visible("CloudContentWidget"));
    QCOMPARE(f.visible("QuitUserButton"), loggedIn);
}

void TstMainWindow::loginButtonOpensTheLoginDialog()
{
    const ScopedServiceUrl service;
    WindowFixture f;
    f.click("LoginButton");
    auto *dialog = f.window->findChild<UserDialog *>();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->pos(), QPoint(0, 0));

    // A login stored by the dialog's call, then its success signal.
    OperateToken store;
    store.SetToken(QStringLiteral("a-token-of-some-length"));
    store.SetNickName(QStringLiteral("Bartholomew"));
    emit dialog->loginSucced();
    QVERIFY(f.window->isLogin());
    QVERIFY(!f.visible("LoginButton"));
    QCOMPARE(f.child<QLabel>("NameLabel")->text(), QStringLiteral("Barthol..."));
    QCOMPARE(f.child<QLineEdit>("UserNameLineEdit")->text(), QStringLiteral("Bartholomew"));

    // Its warnings reach the warning dialog.
    emit dialog->sig_ShowWarningDialog(45);
    QCOMPARE(f.warningTypes(), QList<int>{45});
}

void TstMainWindow::cloudPageAvatarAndPasswordFields()
{
    const ScopedServiceUrl service;
    WindowFixture f;
    OperateToken store;
    store.SetToken(QStringLiteral("a-token-of-some-length"));
    store.SetNickName(QStringLiteral("Ann"));
    f.window->checkTokenIsExit();
    f.click("CloudSyncButton");
    QCOMPARE(f.page(), int(MainWindow::CloudPage));

    f.click("HeadImageButton");
    auto *avatar = f.window->findChild<EditHeadImageDialog *>();
    QVERIFY(avatar);
    QVERIFY(avatar->isVisible());
    clickNamed(avatar, QStringLiteral("CloseButton"));
    QTRY_VERIFY(!f.window->findChild<EditHeadImageDialog *>());

    // Leaving the page clears what was typed into the password fields.
    QTest::keyClicks(f.child<QLineEdit>("OldPasswordLineEdit"), QStringLiteral("secret12"));
    f.click("SupportButton");
    QCOMPARE(f.child<QLineEdit>("OldPasswordLineEdit")->text(), QString());
}

void TstMainWindow::exitPaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("tray menu exit") << "tray";
    QTest::newRow("no-device dialog OK") << "noDevice";
    QTest::newRow("close button without a tray") << "close";
    QTest::newRow("warning 14 OK") << "warning14";
}

void TstMainWindow::exitPaths()
{
    QFETCH(QString, path);

    WindowFixture f;
    if (path == QLatin1String("tray")) {
        f.window->trayMenu()->actions().at(2)->trigger();
    } else if (path == QLatin1String("noDevice")) {
        clickNamed(f.window->needDeviceDialog(), QStringLiteral("OkButton"));
    } else if (path == QLatin1String("close")) {
        QVERIFY(!f.window->trayIcon()->isVisible()); // the offscreen desktop has no tray
        f.click("quitButton");
    } else {
        f.window->slot_showWarningDialog(14);
        clickNamed(f.warnings().at(0), QStringLiteral("OkButton"));
    }
    QCOMPARE(f.exitCodes, QList<int>{0});
}

void TstMainWindow::restartRequestStartsTheRestartTool()
{
    RecordingLauncher launcher;
    WindowFixture f;
    f.window->slot_OpenDeviceResult(true, 11, false);
    QVERIFY(!f.window->needDeviceDialog()->isVisible());

    f.window->slot_showWarningDialog(47);
    QVERIFY(launcher.started.isEmpty());
    clickNamed(f.warnings().at(0), QStringLiteral("OkButton"));

    // The no-device dialog covers the window while the tool restarts it.
    QVERIFY(f.window->needDeviceDialog()->isVisible());
    QCOMPARE(launcher.started, (QList<QStringList>{{f.app.path() + QStringLiteral("/Relaunch3.exe")}}));
    QVERIFY(f.exitCodes.isEmpty());
}

void TstMainWindow::secondStartMessage_data()
{
    QTest::addColumn<bool>("ownPath");
    QTest::newRow("the key text gets the notice") << false;
    QTest::newRow("the own executable path gets none") << true;
}

void TstMainWindow::secondStartMessage()
{
    QFETCH(bool, ownPath);

    WindowFixture f;
    f.window->hide();
    f.window->slotMessageReceived(ownPath ? QCoreApplication::applicationFilePath() : QStringLiteral("OX6"));
    QVERIFY(f.window->isVisible());
    auto *box = f.window->findChild<QMessageBox *>(QStringLiteral("AlreadyRunningBox"));
    QCOMPARE(box != nullptr, !ownPath);
    if (box) {
        QVERIFY(box->isVisible());
        QCOMPARE(box->windowTitle(), NumberedLanguageTable::text(343));
        QCOMPARE(box->text(), NumberedLanguageTable::text(342));
        box->close();
    }
}

void TstMainWindow::pointerSettingsFlashTheOverlay()
{
    WindowFixture f;
    LoadMessageDialog *overlay = f.window->loadingDialog();
    const PointerSettings stored(f.app.path() + QStringLiteral("/system/pointer.ini"));

    f.window->slot_SetSysPointSpeed(14);
    QVERIFY(overlay->isVisible());
    QVERIFY(overlay->isStopRequested() || overlay->stepCount() >= 4);
    QCOMPARE(stored.mouseSpeed(), 14);

    f.window->slot_SetSysTrolleyValue(-1);
    QVERIFY(overlay->isVisible());
    QCOMPARE(stored.wheelScrollLines(), -1);

    // The page's spin box reaches the same place.
    f.window->mainSettingPage()->findChild<QSpinBox *>(QStringLiteral("spinBox"))->setValue(7);
    QTRY_COMPARE(stored.wheelScrollLines(), 7);
}

void TstMainWindow::barsAndCovers()
{
    WindowFixture f;
    f.window->slot_SetHeaderButtonEnabled(false);
    for (const char *tab : {"MainSettingButton", "LightSettingButton", "MacroEditButton", "SupportButton", "CloudSyncButton"})
        QVERIFY(!f.child(tab)->isEnabled());
    f.window->slot_SetHeaderButtonEnabled(true);
    QVERIFY(f.child("CloudSyncButton")->isEnabled());

    f.window->slot_BanTopButtonClick(true, true);
    QVERIFY(f.visible("HideTopButtonWidget"));
    QVERIFY(f.visible("HideBottomButtonWidget"));
    QCOMPARE(f.child("HideTopButtonWidget")->styleSheet(), QStringLiteral("background-color:transparent;"));
    f.window->slot_BanTopButtonClick(false, false);
    QVERIFY(!f.visible("HideTopButtonWidget"));
    QCOMPARE(f.child("HideTopButtonWidget")->styleSheet(), QStringLiteral("background-color:black;"));
}

QTEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
