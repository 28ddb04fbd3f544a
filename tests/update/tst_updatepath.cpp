// The update and repair paths end to end, in virtual device time: the main
// window with its real workers, the local ox8cloud as the vendor service,
// emulated family A mice and their NUC123 boot loader.
#include "config/paths.h"
#include "config/warningtype.h"
#include "coordinator/dcdatahandle.h"
#include "discovery/models.h"
#include "platform/clock.h"
#include "shell/dialogs/needdevicedialog.h"
#include "shell/dialogs/warningdialog.h"
#include "shell/window/mainwindow.h"
#include "sim/familya/emulatedfirmware.h"
#include "sim/familya/familyamouse.h"
#include "sim/familya/familyascene.h"
#include "sim/familya/nucispbootloader.h"
#include "sim/simulation.h"
#include "tests/common/cloudserver.h"
#include "tests/common/testutil.h"
#include "tests/common/windowfixture.h"
#include "tests/common/widgettestutil.h"
#include "update/firmwarepackage.h"
#include "update/widgets/supportwidget.h"
#include "update/widgets/updatemousedialog.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

constexpr int kWaitMs = 30000;

// The window on an emulated desk, opened once the test has set up the
// desk, against the local service.
struct PathFixture : WindowFixture
{
    explicit PathFixture(const QUrl &service)
        : WindowFixture(QString(), false, false)
    {
        qputenv("OX8_CLOUD_URL", service.toString().toUtf8());
    }
    ~PathFixture()
    {
        window.reset();
        qunsetenv("OX8_CLOUD_URL");
    }

    WarningDialog *waitForWarning(int type) const
    {
        WarningDialog *found = nullptr;
        // A timeout leaves found null, which the caller checks.
        (void)QTest::qWaitFor(
            [&] {
                for (WarningDialog *d : warnings()) {
                    if (d->warningType() == type)
                        found = d;
                }
                return found != nullptr;
            },
            kWaitMs);
        return found;
    }
    UpdateMouseDialog *waitForUpdateDialog() const
    {
        if (!QTest::qWaitFor([&] { return window->updateDialog() && window->updateDialog()->isVisible(); },
                             kWaitMs))
            return nullptr;
        return window->updateDialog();
    }
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TstUpdatePath : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void newerFirmwareFromTheServiceIsFlashed();
    void mouseStuckInItsBootLoaderIsRepaired();
    void noDeviceRepairButtonLeadsToTheUpdate();
    void softwareCheckAtStartAndOnRequest();

private:
    CloudServerProcess m_server;
    QTemporaryDir m_files;
};

void TstUpdatePath::initTestCase()
{
    registerDeviceMetaTypes();
    QVERIFY(m_server.start());
}

void TstUpdatePath::newerFirmwareFromTheServiceIsFlashed()
{
    // The service offers version 40 of the OX7; the emulated mouse runs 25.
    const QByteArray served = EmulatedFirmware::makeImage(40, 9000);
    const QString file = m_files.filePath(QStringLiteral("Nuc123.bin"));
    writeFile(file, served);
    QCOMPARE(m_server.admin({QStringLiteral("publish-firmware"), QStringLiteral("ox7"), QStringLiteral("0040"), file,
                             QStringLiteral("--date"), QStringLiteral("2024-05-01")}),
             0);

    PathFixture f(m_server.baseUrl());
    QVERIFY(f.simulation.setUp(QStringLiteral("ox7")));
    std::shared_ptr<FamilyAMouse> mouse = f.simulation.familyAMouse();
    f.openWindow();
    SupportWidget *support = f.window->supportPage();
    QVERIFY(QTest::qWaitFor([&] { return f.window->openedMouseType() == Ox7 && support->versionNumber() == 25; },
                            kWaitMs));

    // Check: the service's version differs, warning 34.
    clickNamed(f.window.get(), QStringLiteral("SupportButton"));
    QCOMPARE(f.window->findChild<QStackedWidget *>(QStringLiteral("stackedWidget"))->currentIndex(),
             int(MainWindow::SupportPage));
    clickNamed(support, QStringLiteral("CheckUpdateButton"));
    WarningDialog *offer = f.waitForWarning(Warning::NewerFirmware);
    QVERIFY(offer);

    // Confirmed: the download from the local service, then the update dialog.
    clickNamed(offer, QStringLiteral("OkButton"));
    UpdateMouseDialog *dialog = f.waitForUpdateDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->pos(), QPoint(108, 144));
    QCOMPARE(dialog->selectedType(), int(Ox7));
    QVERIFY(dialog->isLocked());
    QVERIFY(!dialog->isLocalUpdate());
    QCOMPARE(childNamed<QLabel>(dialog, QStringLiteral("versionLabel"))->text(), QStringLiteral("T521: 25.0"));
    QVERIFY(f.warnings().isEmpty()); // the download display closed
    QFile package(packagePath(Ox7, PackageSource::Clouds));
    QVERIFY(package.open(QIODevice::ReadOnly));
    QCOMPARE(package.readAll(), served);

    // The update: warning 39 confirmed, the coordinator's flasher, the boot loader.
    const qint64 sleptBefore = f.clock.totalSleptMs();
    clickNamed(dialog, QStringLiteral("updateFirmwareButton"));
    WarningDialog *confirm = f.waitForWarning(Warning::UpdateLockedModel);
    QVERIFY(confirm);
    clickNamed(confirm, QStringLiteral("OkButton"));
    WarningDialog *done = f.waitForWarning(Warning::UpdateSucceeded);
    QVERIFY(done);
    QVERIFY(QTest::qWaitFor([&] { return !f.window->updateDialog(); }, kWaitMs));

    // The boot loader ran exactly the served image (what it hands the mouse
    // when it starts it is its whole program memory as written); every
    // device wait was virtual.
    QCOMPARE(mouse->flashCount(), 1);
    QCOMPARE(mouse->flashedImage(), served);
    QVERIFY(!mouse->inBootloader());
    QVERIFY(f.clock.totalSleptMs() - sleptBefore >= 3000);

    // Reconnect: the mouse reports the version its new image carries.
    clickNamed(done, QStringLiteral("OkButton"));
    QVERIFY(QTest::qWaitFor([&] { return support->versionNumber() == 40; }, kWaitMs));
    QCOMPARE(f.window->firmwareVersion(), 40);
    QCOMPARE(mouse->firmwareVersion(), 40u);
    QCOMPARE(childNamed<QLabel>(support, QStringLiteral("VersionLabel"))->text(), QStringLiteral("T521: 0.0.40"));

    // Checked again: up to date.
    clickNamed(support, QStringLiteral("CheckUpdateButton"));
    QVERIFY(f.waitForWarning(Warning::FirmwareUpToDate));
}

void TstUpdatePath::mouseStuckInItsBootLoaderIsRepaired()
{
    PathFixture f(m_server.baseUrl());
    // Only the boot loader of an OX4 on the bus, and the package installed with the program.
    std::shared_ptr<NucIspBootloader> bootLoader = plugNucIspBootloader(f.simulation.bus(), Ox4);
    QVERIFY(bootLoader);
    const QByteArray installed = EmulatedFirmware::makeImage(21, 7000);
    writeFile(packagePath(Ox4, PackageSource::Local), installed);
    f.openWindow();

    // The window offers the update of that model, locked, with the installed package.
    UpdateMouseDialog *dialog = f.waitForUpdateDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->selectedType(), int(Ox4));
    QVERIFY(dialog->isLocked());
    QVERIFY(dialog->isLocalUpdate());
    QVERIFY(f.window->needDeviceDialog()->isVisible());
    QVERIFY(!f.window->needDeviceDialog()->warningWidget()->isVisible());
    WarningDialog *confirm = f.waitForWarning(Warning::UpdateLockedModel);
    QVERIFY(confirm);
    clickNamed(confirm, QStringLiteral("OkButton"));

    // After the update the mouse comes up as itself, opened and working.
    QVERIFY(QTest::qWaitFor([&] { return f.window->openedMouseType() == Ox4; }, kWaitMs));
    QCOMPARE(bootLoader->programImage(), installed);
    QVERIFY(bootLoader->programComplete());
    QVERIFY(bootLoader->mouse());
    QCOMPARE(bootLoader->mouse()->firmwareVersion(), 21u);
    QVERIFY(QTest::qWaitFor([&] { return f.window->firmwareVersion() == 21; }, kWaitMs));
    QVERIFY(!f.window->needDeviceDialog()->isVisible());
    QVERIFY(!f.window->updateDialog());
    QCOMPARE(f.window->dataHandle()->currentProductId(), PID_OX4_WIRED);
}

void TstUpdatePath::noDeviceRepairButtonLeadsToTheUpdate()
{
    // Without a mouse the repair offer opens the dialog for any model.
    {
        PathFixture f(m_server.baseUrl());
        f.openWindow();
        NeedDeviceDialog *noDevice = f.window->needDeviceDialog();
        noDevice->slot_TimeOut();
        clickNamed(noDevice, QStringLiteral("FirmwareRepairPushButton"));
        UpdateMouseDialog *dialog = f.waitForUpdateDialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->selectedType(), 0);
        QVERIFY(!dialog->isLocked());
        QVERIFY(dialog->isLocalUpdate());
        QVERIFY(!noDevice->warningWidget()->isVisible());
        // Closing it brings the no-device notice back.
        clickNamed(dialog, QStringLiteral("closeButton"));
        QVERIFY(QTest::qWaitFor([&] { return !f.window->updateDialog(); }, kWaitMs));
        QVERIFY(noDevice->warningWidget()->isVisible());
    }
    // With a mouse waiting in its boot loader it leads to that mouse's update.
    {
        PathFixture f(m_server.baseUrl());
        QVERIFY(plugNucIspBootloader(f.simulation.bus(), Ox7EU));
        f.openWindow();
        UpdateMouseDialog *first = f.waitForUpdateDialog();
        QVERIFY(first);
        for (WarningDialog *d : f.warnings())
            d->close();
        clickNamed(first, QStringLiteral("closeButton"));
        QVERIFY(QTest::qWaitFor([&] { return !f.window->updateDialog(); }, kWaitMs));
        f.window->needDeviceDialog()->slot_TimeOut();
        clickNamed(f.window->needDeviceDialog(), QStringLiteral("FirmwareRepairPushButton"));
        UpdateMouseDialog *dialog = f.waitForUpdateDialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->selectedType(), int(Ox7EU));
        QVERIFY(dialog->isLocked());
    }
}

void TstUpdatePath::softwareCheckAtStartAndOnRequest()
{
    // A service of its own: a published program version would show up in
    // the other cases as the start-up notice.
    CloudServerProcess server;
    QVERIFY(server.start());
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    const auto publish = [&server](const char *version) {
        return server.admin({QStringLiteral("publish-software"), QStringLiteral("ox8"), QLatin1String(version),
                             QStringLiteral("--url"), QStringLiteral("https://downloads.example.org/ox8driver.tar.gz")});
    };
    QCOMPARE(publish("1.1.0"), 0);

    PathFixture f(server.baseUrl());
    QVERIFY(f.simulation.setUp(QStringLiteral("ox7")));
    f.openWindow();
    // Once the mouse is open the window asks by itself: the notice that
    // offers the new version.
    WarningDialog *found = f.waitForWarning(Warning::NewSoftwareAuto);
    QVERIFY(found);
    found->close();

    // On request from the support page, and the button comes back.
    SupportWidget *support = f.window->supportPage();
    clickNamed(f.window.get(), QStringLiteral("SupportButton"));
    auto *button = childNamed<QPushButton>(support, QStringLiteral("CheckSoftwareUpdateButton"));
    clickNamed(support, QStringLiteral("CheckSoftwareUpdateButton"));
    QVERIFY(!button->isEnabled());
    WarningDialog *asked = f.waitForWarning(Warning::NewSoftwareManual);
    QVERIFY(asked);
    QVERIFY(button->isEnabled());
    asked->close();

    QCOMPARE(publish("1.0.0"), 0);
    clickNamed(support, QStringLiteral("CheckSoftwareUpdateButton"));
    QVERIFY(f.waitForWarning(Warning::SoftwareUpToDate));
}

QTEST_MAIN(TstUpdatePath)
#include "tst_updatepath.moc"
