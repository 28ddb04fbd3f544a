// End to end on the demo: the whole main window on an emulated OX7 and a
// real ox8cloud. A user registers and logs in through the login dialog,
// uploads the profiles and macros of one APP folder, then, on a second
// computer (a fresh APP folder and a factory-fresh mouse), logs in and
// downloads them: the files match byte for byte and the mouse holds the
// active profile. Widgets are driven by object name; device waits run in
// virtual time.
#include "cloud/userdialog.h"
#include "config/paths.h"
#include "coordinator/dcdatahandle.h"
#include "discovery/models.h"
#include "editors/cpi/cpiform.h"
#include "editors/cpi/uspinbox.h"
#include "platform/clock.h"
#include "shell/dialogs/loadmessagedialog.h"
#include "shell/dialogs/warningdialog.h"
#include "shell/mainsetting/mainsettingwidget.h"
#include "shell/window/mainwindow.h"
#include "sim/familya/familyamouse.h"
#include "sim/simulation.h"
#include "tests/common/cloudserver.h"
#include "tests/common/testutil.h"
#include "tests/common/widgettestutil.h"
#include "tests/common/windowfixture.h"
#include "tests/common/zipwriter.h"

#include <QDir>
#include <QLineEdit>
#include <QSemaphore>
#include <QStackedWidget>
#include <QtTest>

#include <memory>

namespace {
constexpr int kOx7 = 11;
constexpr int kWaitMs = 30000;
constexpr DWORD kFirstCpi = 400;
const QString kEmail = QStringLiteral("demo@example.org");
const QString kPassword = QStringLiteral("secret12");

// One computer: its APP folder, its emulated mouse and the program's window.
// The window goes first: its threads stop before the bus and clock go.
struct Computer : WindowFixture
{
    Computer()
        : WindowFixture(QStringLiteral("ox7"))
    {
    }
    ~Computer()
    {
        window.reset();
        setCurrentMouseType(0);
    }

    using WindowFixture::child;
    template <typename T = QWidget>
    T *child(const QObject *root, const char *name) const
    {
        return childNamed<T>(root, QLatin1String(name));
    }

    bool waitUntilIdle() const
    {
        return QTest::qWaitFor([this] { return !window->loadingDialog()->isVisible(); }, kWaitMs);
    }
    // The warning dialog on screen of the type, or nullptr.
    WarningDialog *warning(int type) const
    {
        for (WarningDialog *d : warnings()) {
            if (d->warningType() == type)
                return d;
        }
        return nullptr;
    }
    bool waitForWarning(int type) const
    {
        return QTest::qWaitFor([this, type] { return warning(type) != nullptr; }, kWaitMs);
    }
    UserDialog *openLoginDialog() const
    {
        click("LoginButton");
        for (UserDialog *d : window->findChildren<UserDialog *>()) {
            if (d->isVisible())
                return d;
        }
        return nullptr;
    }
    void type(const QObject *root, const char *field, const QString &text) const
    {
        QTest::keyClicks(child<QLineEdit>(root, field), text);
    }
    QMap<QString, QByteArray> userFiles() const
    {
        QMap<QString, QByteArray> out;
        const QMap<QString, QByteArray> p = snapshot(getConfigMouseLocalDir(kOx7));
        for (auto it = p.begin(); it != p.end(); ++it)
            out.insert(QStringLiteral("AFile/") + it.key(), it.value());
        const QMap<QString, QByteArray> m = snapshot(getMacroFilesDir());
        for (auto it = m.begin(); it != m.end(); ++it)
            out.insert(QStringLiteral("MacroFiles/") + it.key(), it.value());
        return out;
    }
    // The mouse's profile area: button words and settings of both slots.
    QByteArray mouseProfile() const { return simulation.familyAMouse()->memory(0x200, 0x800); }
};

// Holds the coordinator's thread on a queued call until released (at the
// latest when it goes out of scope), so the test can look at the files
// between the program's steps: what the upload packed before the old-format
// copies are removed, and what the download unpacked before the reload
// converts them.
class CoordinatorGate
{
public:
    explicit CoordinatorGate(QObject *coordinator)
        : m_open(std::make_shared<QSemaphore>())
    {
        QMetaObject::invokeMethod(
            coordinator, [open = m_open] { open->acquire(); }, Qt::QueuedConnection);
    }
    ~CoordinatorGate() { release(); }
    void release()
    {
        if (!m_released)
            m_open->release();
        m_released = true;
    }

private:
    std::shared_ptr<QSemaphore> m_open;
    bool m_released = false;
};
} // namespace

class TstCloudSyncDemo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void profilesTravelThroughTheCloud();

private:
    bool logIn(Computer &c);

    CloudServerProcess m_server;
};

void TstCloudSyncDemo::initTestCase()
{
    registerDeviceMetaTypes();
    QVERIFY(m_server.start());
    qputenv("OX8_CLOUD_URL", m_server.baseUrl().toString().toUtf8());
}

void TstCloudSyncDemo::cleanupTestCase()
{
    qunsetenv("OX8_CLOUD_URL");
}

bool TstCloudSyncDemo::logIn(Computer &c)
{
    UserDialog *dialog = c.openLoginDialog();
    if (!dialog)
        return false;
    c.type(dialog, "UserLoginNameLineEdit", kEmail);
    c.type(dialog, "UserLoginPasswordLineEdit", kPassword);
    clickNamed(dialog, QStringLiteral("UserLoginButton"));
    return QTest::qWaitFor([&c] { return c.window->isLogin(); }, kWaitMs);
}

void TstCloudSyncDemo::profilesTravelThroughTheCloud()
{
    QMap<QString, QByteArray> uploaded;
    QByteArray mouseBefore;
    QList<DWORD> cpiBefore;
    {
        Computer first;
        QVERIFY(QTest::qWaitFor([&] { return first.window->openedMouseType() == kOx7; }, kWaitMs));
        QVERIFY(first.waitUntilIdle());
        first.closeWarnings();

        // Register, then log in.
        UserDialog *dialog = first.openLoginDialog();
        QVERIFY(dialog);
        clickNamed(dialog, QStringLiteral("ChooseRegisterButton"));
        first.type(dialog, "UserRegisterNickNameLineEdit", QStringLiteral("Demo"));
        first.type(dialog, "UserRegisterEmailLineEdit", kEmail);
        first.type(dialog, "UserRegisterPasswordLineEdit", kPassword);
        first.type(dialog, "UserRegisterRePasswordLineEdit", kPassword);
        clickNamed(dialog, QStringLiteral("UserRegisterButton"));
        QVERIFY(first.waitForWarning(45));
        first.closeWarnings();
        QVERIFY(logIn(first));

        // Something of the user's own: a new first CPI level, typed on the
        // main page, and a recorded macro.
        MainSettingWidget *page = first.window->mainSettingPage();
        QTRY_COMPARE_WITH_TIMEOUT(page->cpiValues().size(), 7, kWaitMs);
        const QByteArray factoryProfile = first.mouseProfile();
        QVERIFY(page->cpiValues().value(0) != kFirstCpi);
        USpinBox *spin = page->cpiRow(0)->spinBox();
        spin->lineEdit()->selectAll();
        QTest::keyClicks(spin->lineEdit(), QString::number(kFirstCpi));
        QTest::keyClick(spin->lineEdit(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(!page->isCpiWriteInFlight(), kWaitMs);
        QVERIFY(first.waitUntilIdle());
        QVERIFY(first.mouseProfile() != factoryProfile);
        const QString macro = getPlayerCustomDir() + QStringLiteral("/宏一.json");
        QFile macroFile(macro);
        QVERIFY(macroFile.open(QIODevice::WriteOnly));
        macroFile.write(R"({"name":"宏一","events":[{"key":65,"down":true},{"delay":20},{"key":65,"down":false}]})");
        macroFile.close();

        // Upload through the cloud page and its confirmation.
        first.click("CloudSyncButton");
        QCOMPARE(first.child<QStackedWidget>(first.window.get(), "stackedWidget")->currentIndex(),
                 int(MainWindow::CloudPage));
        first.click("UploadButton");
        QVERIFY(first.warning(2));
        clickNamed(first.warning(2), QStringLiteral("OkButton"));
        {
            // Queued behind the conversion to the old format that the
            // confirmation asked for, ahead of the removal after the upload.
            CoordinatorGate gate(first.window->dataHandle());
            QVERIFY(first.waitForWarning(17));
            uploaded = first.userFiles();
        }
        QVERIFY(first.waitUntilIdle());
        QVERIFY(uploaded.contains(QStringLiteral("MacroFiles/PlayerCustom/宏一.json")));
        QVERIFY(uploaded.contains(QStringLiteral("AFile/ConfigJsonFile/Config1.json")));
        QVERIFY(uploaded.contains(QStringLiteral("AFile/") + QDir(getConfigMouseLocalDir(kOx7))
                                      .relativeFilePath(getOldTxtConfigFilePath(kOx7, 1))));
        // The old-format files made for the upload are gone again.
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(getOldTxtConfigFilePath(kOx7, 1)), kWaitMs);
        mouseBefore = first.mouseProfile();
        cpiBefore = first.window->mainSettingPage()->cpiValues();
        QCOMPARE(cpiBefore.value(0), kFirstCpi);
    }

    Computer second;
    QVERIFY(QTest::qWaitFor([&] { return second.window->openedMouseType() == kOx7; }, kWaitMs));
    QVERIFY(second.waitUntilIdle());
    second.closeWarnings();
    QVERIFY(second.mouseProfile() != mouseBefore);
    QVERIFY(second.userFiles() != uploaded);
    QVERIFY(logIn(second));

    second.click("CloudSyncButton");
    second.click("DownloadButton");
    QVERIFY(second.warning(4));
    {
        // The reload after the download waits at the gate: the files are
        // exactly what the first computer uploaded.
        CoordinatorGate gate(second.window->dataHandle());
        clickNamed(second.warning(4), QStringLiteral("OkButton"));
        QVERIFY(second.waitForWarning(22));
        QCOMPARE(second.warningTypes(), QList<int>{22});
        const QMap<QString, QByteArray> downloaded = second.userFiles();
        QCOMPARE(downloaded.keys(), uploaded.keys());
        for (auto it = uploaded.cbegin(); it != uploaded.cend(); ++it)
            QVERIFY2(downloaded.value(it.key()) == it.value(), qPrintable(it.key()));
    }

    // The coordinator converts the old-format copies, reloads profile 1 from
    // the downloaded files and writes it into the mouse.
    QTRY_COMPARE_WITH_TIMEOUT(second.mouseProfile(), mouseBefore, kWaitMs);
    QVERIFY(second.waitUntilIdle());
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(getOldTxtConfigFilePath(kOx7, 1)), kWaitMs);
    QCOMPARE(second.window->currentConfigure(), 1);
    QCOMPARE(second.window->mainSettingPage()->cpiValues(), cpiBefore);
    const QMap<QString, QByteArray> after = second.userFiles();
    for (auto it = uploaded.cbegin(); it != uploaded.cend(); ++it) {
        if (it.key().startsWith(QLatin1String("MacroFiles/")))
            QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
    }
}

QTEST_MAIN(TstCloudSyncDemo)
#include "tst_cloudsync_demo.moc"
