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
#include "editors/cpi/cpiform.h"
#include "editors/cpi/uspinbox.h"
#include "discovery/checkdevice.h"
#include "discovery/models.h"
#include "editors/oled/drawborderwidget.h"
#include "editors/oled/drawdialog.h"
#include "shell/pairing/codewidget.h"
#include "config/paths.h"
#include "platform/pointersettings.h"
#include "platform/programlauncher.h"
#include "sim/familya/familyamouse.h"
#include "sim/familyb/familybmouse.h"
#include "sim/simulation.h"
#include "tests/common/fakedesktoppointer.h"
#include "tests/common/testutil.h"
#include "tests/common/widgettestutil.h"
#include "tests/common/windowfixture.h"
#include "analytics/ganalytics.h"
#include "analytics/googleanalyticsadaptor.h"
#include "config/servicesettings.h"
#include "shell/window/mainwindow.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTextEdit>
#include <QtTest>

#include <QMutex>
#include <QSemaphore>
#include <QWaitCondition>

#include <atomic>
#include <csignal>
#include <memory>

namespace {

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

// Virtual time that a test can hold: while held, every device wait of the
// threads not spared blocks until it is released, which keeps a firmware
// flash in flight while the coordinator goes on.
class HoldableClock final : public Clock
{
public:
    explicit HoldableClock(QThread *spared)
        : m_spared(spared)
    {
    }
    void sleepMs(int ms) override
    {
        QMutexLocker lock(&m_mutex);
        ++m_blocked;
        while (m_held && QThread::currentThread() != m_spared)
            m_released.wait(&m_mutex);
        --m_blocked;
        m_now += ms;
    }
    qint64 nowMs() const override { return m_now.load(); }
    void hold()
    {
        QMutexLocker lock(&m_mutex);
        m_held = true;
    }
    void release()
    {
        QMutexLocker lock(&m_mutex);
        m_held = false;
        m_released.wakeAll();
    }
    // Threads waiting for the release right now.
    int blockedCount()
    {
        QMutexLocker lock(&m_mutex);
        return m_blocked;
    }

private:
    QThread *m_spared;
    QMutex m_mutex;
    QWaitCondition m_released;
    bool m_held = false;
    int m_blocked = 0;
    std::atomic<qint64> m_now{0};
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
    void usageStatisticsSwitch();
    void profileButtonsLoadTheirProfile_data();
    void profileButtonsLoadTheirProfile();
    void batteryIndicator_data();
    void batteryIndicator();
    void connectionIndicator_data();
    void connectionIndicator();
    void opensTheEmulatedMouseAndAppliesTheModel_data();
    void opensTheEmulatedMouseAndAppliesTheModel();
    void profileSwitchReachesTheMouse();
    void cpiWritesGoOneAtATime();
    void lightingPageWritesTheEmulatedMouse_data();
    void lightingPageWritesTheEmulatedMouse();
    void oledEditorWritesThePictureAndGoesWithTheMouse();
    void removalBringsTheNoDeviceDialogBack();
    void mouseWithoutPermissionIsExplained();
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
    void terminationWaitsForARunningFirmwareUpdate();
    void stopWorkersDoesNotWaitForAStuckDevice();
    void restartRequestStartsTheRestartTool();
    void secondStartMessage_data();
    void secondStartMessage();
    void pointerSettingsFlashTheOverlay();
    void pointerControlsFollowTheDesktop_data();
    void pointerControlsFollowTheDesktop();
    void barsAndCovers();
    void overlaysKeepTheKeyboard();
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

void TstMainWindow::usageStatisticsSwitch()
{
    WindowFixture f;
    GAnalytics &analytics = GoogleAnalyticsAdaptor::analytics();
    auto *box = f.child<QCheckBox>("AnalyticsCheckBox");
    QVERIFY(box->isVisible());
    QVERIFY(!box->isChecked());
    QVERIFY(!analytics.isEnabled());
    QCOMPARE(analytics.sendInterval(), 5000);

    f.click("AnalyticsCheckBox");
    QVERIFY(box->isChecked());
    QVERIFY(analyticsEnabledSetting());
    QVERIFY(analytics.isEnabled());

    // The next start shows and applies the stored choice.
    f.window.reset();
    analytics.setEnabled(false);
    MainWindowOptions options;
    options.watcherBus = &f.simulation.bus();
    f.window = std::make_unique<MainWindow>(options);
    f.window->show();
    QVERIFY(f.child<QCheckBox>("AnalyticsCheckBox")->isChecked());
    QVERIFY(analytics.isEnabled());

    f.click("AnalyticsCheckBox");
    QVERIFY(!analyticsEnabledSetting());
    QVERIFY(!analytics.isEnabled());
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

void TstMainWindow::cpiWritesGoOneAtATime()
{
    WindowFixture f(QStringLiteral("ox7"));
    QVERIFY(waitForOpen(f, 11));
    QTRY_COMPARE_WITH_TIMEOUT(f.window->mainSettingPage()->cpiValues().size(), 7, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!f.window->loadingDialog()->isVisible(), 20000);
    f.closeWarnings();
    MainSettingWidget *page = f.window->mainSettingPage();
    QSignalSpy lists(page, &MainSettingWidget::sig_ChangeCPIListValue);

    // Three quick changes: one write goes out, the newest list follows it.
    for (const int value : {1000, 1100, 1200}) {
        USpinBox *spin = page->cpiRow(0)->spinBox();
        spin->lineEdit()->selectAll();
        QTest::keyClicks(spin->lineEdit(), QString::number(value));
        QTest::keyClick(spin->lineEdit(), Qt::Key_Return);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!page->isCpiWriteInFlight(), 20000);
    QVERIFY(lists.count() <= 2);
    QCOMPARE(lists.last().at(0).value<QList<DWORD>>().at(0), DWORD(1200));

    // The mouse holds the newest value.
    QMetaObject::invokeMethod(f.window->dataHandle(), "slot_GetProfileFromMouse", Qt::QueuedConnection);
    QTRY_COMPARE_WITH_TIMEOUT(page->cpiValues().value(0), DWORD(1200), 20000);
}

void TstMainWindow::mouseWithoutPermissionIsExplained()
{
    WindowFixture f(QStringLiteral("ox7"), true);
    QStringList texts;
    for (int i = 0; i < 700; ++i)
        texts << NumberedLanguageTable::text(i);
    texts[601] = QStringLiteral("T601 %1");
    setLanguageTexts(texts);
    QSignalSpy opens(f.window.get(), &MainWindow::sig_OpenDevice);
    NeedDeviceDialog *dialog = f.window->needDeviceDialog();

    // The open is tried again a few times, then the window says why it fails.
    QTRY_VERIFY_WITH_TIMEOUT(dialog->showsNoPermission(), 20000);
    QCOMPARE(opens.count(), 1 + CheckDevice::kOpenRetries);
    QVERIFY(dialog->isVisible());
    QCOMPARE(childNamed<QLabel>(dialog, QStringLiteral("Title_Label"))->toolTip(), NumberedLanguageTable::text(600));
    const QString body = childNamed<QTextEdit>(dialog, QStringLiteral("WarningTextEdit"))->toPlainText();
    QVERIFY2(body.startsWith(QLatin1String("T601 \n")) && body.contains(QLatin1String("sudo udevadm trigger"))
                 && body.contains(QLatin1String("70-ox8driver.rules")),
             qPrintable(body));
    // Everything still fits the window.
    QVERIFY(QRect(0, 0, 960, 640).contains(dialog->warningWidget()->geometry()));
    for (QPushButton *b : dialog->warningWidget()->findChildren<QPushButton *>())
        QVERIFY(dialog->warningWidget()->rect().contains(b->geometry()));

    // Once the rule is installed the mouse opens without being plugged again.
    for (const auto &device : f.simulation.bus().devices())
        f.simulation.bus().setAccessDenied(device.get(), false);
    QVERIFY(waitForOpen(f, 11));
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->isVisible(), 20000);
    QVERIFY(!dialog->showsNoPermission());
    QCOMPARE(childNamed<QLabel>(dialog, QStringLiteral("Title_Label"))->toolTip(), NumberedLanguageTable::text(252));
}

void TstMainWindow::lightingPageWritesTheEmulatedMouse_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("zoneButtons");
    QTest::newRow("OX7: the logo zone") << "ox7" << 11 << false;
    QTest::newRow("OX6: the wheel zone") << "ox6" << 3 << true;
}

void TstMainWindow::lightingPageWritesTheEmulatedMouse()
{
    QFETCH(QString, model);
    QFETCH(int, type);
    QFETCH(bool, zoneButtons);
    WindowFixture f(model);
    QVERIFY(waitForOpen(f, type));
    QTRY_VERIFY_WITH_TIMEOUT(!f.window->loadingDialog()->isVisible(), 20000);
    f.closeWarnings();

    f.click("LightSettingButton");
    QCOMPARE(f.page(), int(MainWindow::LightPage));
    QCOMPARE(f.visible("WheelLightButton"), zoneButtons);
    f.click("colorButton10"); // 67, 149, 255
    f.click("BrethModeRaioButton");

    if (auto mouse = f.simulation.familyAMouse()) {
        // The light word's mode byte and the first LED matrix entry of slot 1.
        QTRY_COMPARE_WITH_TIMEOUT(mouse->memory(0x8B8, 4).toHex(), QByteArray("4395ff00"), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(int(quint8(mouse->memory(0x898, 4).at(1))), 2, 20000);
    } else {
        auto b = f.simulation.familyBMouse();
        QTRY_COMPARE_WITH_TIMEOUT(b->lightRgb(1), quint32(0x4395FF), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(int(b->lightModeCode(1)), 0x82, 20000);
    }
}

void TstMainWindow::oledEditorWritesThePictureAndGoesWithTheMouse()
{
    WindowFixture f(QStringLiteral("ox7"));
    QVERIFY(waitForOpen(f, 11));
    QTRY_VERIFY_WITH_TIMEOUT(!f.window->loadingDialog()->isVisible(), 20000);
    f.closeWarnings();
    QVERIFY(f.visible("DrawButton"));

    f.click("DrawButton");
    auto *dialog = f.window->findChild<DrawDialog *>();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->geometry(), QRect(0, 0, 960, 640));
    QCOMPARE(dialog->configNumber(), QString::number(f.window->currentConfigure()));
    clickNamed(dialog, QStringLiteral("Brush_Button"));
    DrawBorderWidget *canvas = dialog->canvas();
    for (const auto &e : {std::make_pair(QEvent::MouseButtonPress, QPoint(0, 0)),
                          std::make_pair(QEvent::MouseMove, QPoint(191, 0)),
                          std::make_pair(QEvent::MouseButtonRelease, QPoint(191, 0))}) {
        QMouseEvent event(e.first, QPointF(e.second), QPointF(canvas->mapToGlobal(e.second)),
                          e.first == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          e.first == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas, &event);
    }
    clickNamed(dialog, QStringLiteral("DrawOkButton"));

    // Picture 0 of the mouse: the top row lit, the rest dark.
    auto mouse = f.simulation.familyAMouse();
    QTRY_COMPARE_WITH_TIMEOUT(mouse->memory(34 * 0x1000, 64).toHex(), QByteArray(64, '\x01').toHex(), 20000);
    QCOMPARE(mouse->memory(34 * 0x1000 + 64, 320), QByteArray(320, '\0'));
    QTRY_VERIFY(!f.window->findChild<DrawDialog *>());

    // An editor open when the mouse goes is closed with it.
    f.click("DrawButton");
    QVERIFY(f.window->findChild<DrawDialog *>());
    f.window->slot_WarningDeviceNotInsert(false, PID_OX7_WIRED, VID_KORVAN);
    QTRY_VERIFY(!f.window->findChild<DrawDialog *>());
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
    QTest::newRow("SIGTERM") << "sigterm";
    QTest::newRow("SIGINT") << "sigint";
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
    } else if (path == QLatin1String("sigterm")) {
        f.window->slot_TerminationRequested(SIGTERM);
    } else if (path == QLatin1String("sigint")) {
        f.window->slot_TerminationRequested(SIGINT);
    } else {
        f.window->slot_showWarningDialog(14);
        clickNamed(f.warnings().at(0), QStringLiteral("OkButton"));
    }
    QCOMPARE(f.exitCodes, QList<int>{0});
}

void TstMainWindow::terminationWaitsForARunningFirmwareUpdate()
{
    WindowFixture f(QStringLiteral("ox7"));
    QVERIFY(waitForOpen(f, 11));
    f.closeWarnings();
    const QString image = f.app.path() + QStringLiteral("/Nuc123.bin");
    QFile file(image);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(300, char(0x5A)));
    file.close();

    // Only the flasher's own thread is held; the coordinator's goes on.
    HoldableClock held(f.window->dataHandle()->thread());
    held.hold();
    setDeviceClock(&held);
    // Whatever fails below, the workers must not stay blocked.
    struct Restore
    {
        HoldableClock &held;
        Clock &usual;
        ~Restore()
        {
            held.release();
            setDeviceClock(&usual);
        }
    } restore{held, f.clock};
    QMetaObject::invokeMethod(f.window->dataHandle(), "slot_UpdateFirmwareKorvan", Qt::QueuedConnection,
                              Q_ARG(QString, image), Q_ARG(QString, QStringLiteral("ox7")));
    QTRY_VERIFY_WITH_TIMEOUT(f.window->dataHandle()->isFlashing() && held.blockedCount() > 0, 20000);

    // A logout's SIGTERM must not cut the image off halfway.
    f.window->slot_TerminationRequested(SIGTERM);
    f.window->slot_TerminationRequested(SIGINT);
    QCoreApplication::processEvents();
    QVERIFY(f.exitCodes.isEmpty());

    held.release();
    QTRY_COMPARE_WITH_TIMEOUT(f.exitCodes, QList<int>{0}, 20000);
    QVERIFY(!f.window->dataHandle()->isFlashing());
    QCOMPARE(f.simulation.familyAMouse()->flashCount(), 1);
}

void TstMainWindow::stopWorkersDoesNotWaitForAStuckDevice()
{
    WindowFixture f;
    QSemaphore entered, leave;
    QMetaObject::invokeMethod(
        f.window->dataHandle(),
        [&] {
            entered.release();
            leave.acquire(); // a device call stuck in its driver
        },
        Qt::QueuedConnection);
    QVERIFY(entered.tryAcquire(1, 20000));
    QVERIFY(!f.window->stopWorkers(0));
    leave.release();
    QVERIFY(f.window->stopWorkers(20000));
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

void TstMainWindow::pointerControlsFollowTheDesktop_data()
{
    QTest::addColumn<bool>("speed");
    QTest::addColumn<bool>("lines");
    QTest::addColumn<bool>("pagePerNotch");

    QTest::newRow("no desktop setting: both controls hidden") << false << false << false;
    QTest::newRow("GNOME: pointer speed only") << true << false << false;
    QTest::newRow("KDE: speed and lines, no screen per notch") << true << true << false;
    QTest::newRow("a desktop with every choice") << true << true << true;
}

void TstMainWindow::pointerControlsFollowTheDesktop()
{
    QFETCH(bool, speed);
    QFETCH(bool, lines);
    QFETCH(bool, pagePerNotch);

    // The desktop's values, set before the window reads them.
    TempAppDir app;
    FakeDesktopPointer desktop;
    desktop.speedKnown = speed;
    desktop.linesKnown = lines;
    desktop.pagePerNotch = pagePerNotch;
    desktop.speed = 17;
    desktop.lines = 6;
    EmulatedHidBus bus; // nothing plugged
    MainWindowOptions options;
    options.watcherBus = &bus;
    MainWindow window(options);
    window.show();
    MainSettingWidget *page = window.mainSettingPage();
    auto shown = [page](const char *name) { return childNamed<QWidget>(page, QLatin1String(name))->isVisible(); };

    QCOMPARE(shown("PointSpeed_Slider"), speed);
    QCOMPARE(shown("PonitSpeed_TitleLabel"), speed);
    QCOMPARE(shown("Ponit_SpeedLabel_1"), speed);
    QCOMPARE(shown("EnhancePointPrecisionCheckBox"), speed);
    QCOMPARE(shown("spinBox"), lines);
    QCOMPARE(shown("TrolleySpeed_RadioButton_1"), lines);
    QCOMPARE(shown("TrolleySpeed_TitleLabel"), lines);
    QCOMPARE(shown("TrolleySpeed_RadioButton_2"), lines && pagePerNotch);
    // The sensor choices beside them stay.
    QVERIFY(shown("TrolleySpeed_RadioButton_3"));

    // What is shown is the desktop's value, and a change goes back to it.
    if (speed) {
        QCOMPARE(childNamed<QSlider>(page, QStringLiteral("PointSpeed_Slider"))->value(), 17);
        window.slot_SetSysPointSpeed(12);
        QCOMPARE(desktop.appliedSpeeds, QList<int>{12});
    }
    if (lines) {
        QCOMPARE(childNamed<QSpinBox>(page, QStringLiteral("spinBox"))->value(), 6);
        childNamed<QSpinBox>(page, QStringLiteral("spinBox"))->setValue(8);
        QCOMPARE(desktop.appliedLines, QList<int>{8});
    }
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

void TstMainWindow::overlaysKeepTheKeyboard()
{
    WindowFixture f;
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    NeedDeviceDialog *noDevice = f.window->needDeviceDialog();
    QVERIFY(noDevice->isVisible());
    auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };
    auto inside = [](QWidget *overlay) {
        QWidget *focus = QApplication::focusWidget();
        return focus == overlay || overlay->isAncestorOf(focus);
    };

    // Tab, Tab, Escape once hid the no-device dialog over a window without a mouse.
    QVERIFY(inside(noDevice));
    press(Qt::Key_Tab);
    QVERIFY(inside(noDevice));
    press(Qt::Key_Tab);
    QVERIFY(inside(noDevice));
    press(Qt::Key_Escape);
    QVERIFY(noDevice->isVisible());
    QVERIFY(f.exitCodes.isEmpty());

    // A key sent to the profile bar beneath is dropped.
    auto *profile3 = f.child<QPushButton>("ConfigureButton_3");
    QTest::keyClick(profile3, Qt::Key_Space);
    QCOMPARE(f.window->currentConfigure(), 1);

    // Without an overlay the same key works.
    f.window->slot_OpenDeviceResult(true, 11, false);
    QVERIFY(!noDevice->isVisible());
    QTRY_VERIFY(!f.window->loadingDialog()->isVisible()); // the start-up turn
    QTest::keyClick(profile3, Qt::Key_Space);
    QCOMPARE(f.window->currentConfigure(), 3);

    // The busy overlay blocks keys as well.
    f.window->loadingDialog()->slot_StartLoadingDialog();
    QTest::keyClick(f.child<QPushButton>("ConfigureButton_2"), Qt::Key_Space);
    QCOMPARE(f.window->currentConfigure(), 3);
    f.window->loadingDialog()->hide();

    // Escape on warning 38 is its Cancel: back to profile 1.
    f.window->slot_showWarningDialog(38);
    QCOMPARE(f.warningTypes(), QList<int>{38});
    QVERIFY(inside(f.warnings().at(0)));
    press(Qt::Key_Escape);
    QVERIFY(f.warnings().isEmpty());
    QCOMPARE(f.window->currentConfigure(), 1);
}

QTEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
