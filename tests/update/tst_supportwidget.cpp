// The support page against the local ox8cloud: the firmware check, the
// download into APP/Update/Clouds/<model>/ and what it asks the window for.
#include "config/paths.h"
#include "config/warningtype.h"
#include "discovery/models.h"
#include "tests/common/cloudserver.h"
#include "tests/common/httpstandin.h"
#include "tests/common/testutil.h"
#include "tests/common/widgettestutil.h"
#include "update/firmwarepackage.h"
#include "update/widgets/supportwidget.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {
QByteArray image(int size, int seed)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 11 + seed) & 0xFF);
    return b;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

// What the page asked for, in order.
struct Event
{
    QString kind; // "warning", "close" or "dialog"
    int type = -1;
    QString detail; // the warning's message; the dialog's flags
};

// A support page on a fresh APP folder, talking to the service at url.
struct PageFixture
{
    explicit PageFixture(const QUrl &service, int mouseType = Ox7)
    {
        qputenv("OX8_CLOUD_URL", service.toString().toUtf8());
        setCurrentMouseType(mouseType);
        page = std::make_unique<SupportWidget>();
        SupportWidget *p = page.get();
        QObject::connect(p, &SupportWidget::sig_ShowWarningWidgetOnSupportWidget,
                         [this](int t) { events.append({QStringLiteral("warning"), t, QString()}); });
        QObject::connect(p, &SupportWidget::sig_ShowWarningWidgetWithSpecifyMessageOnSupportWidget,
                         [this](int t, const QString &m) { events.append({QStringLiteral("warning"), t, m}); });
        QObject::connect(p, &SupportWidget::sig_closeUpdateWidget,
                         [this] { events.append({QStringLiteral("close"), -1, QString()}); });
        QObject::connect(p, &SupportWidget::sig_ShowUpdateWidget, [this](bool c, bool l, int type, bool now) {
            events.append({QStringLiteral("dialog"), type, QStringLiteral("%1 %2 %3").arg(c).arg(l).arg(now)});
        });
    }
    ~PageFixture()
    {
        page.reset();
        setCurrentMouseType(0);
        qunsetenv("OX8_CLOUD_URL");
    }

    bool waitForMore(int count) const
    {
        return QTest::qWaitFor([&] { return events.size() > count; }, 20000);
    }
    // Clicks the check button and waits for the warning it leads to.
    Event check(int mouseVersion)
    {
        page->setVersionNumber(mouseVersion);
        const int before = events.size();
        clickNamed(page.get(), QStringLiteral("CheckUpdateButton"));
        return waitForMore(before) ? events.last() : Event();
    }
    // Confirms warning 34 (as its OK button does) and waits until the
    // download has ended; the events from the confirmation on.
    QList<Event> download()
    {
        const int before = events.size();
        page->slot_StartUpdateFirmWare();
        if (!QTest::qWaitFor([&] { return !page->isDownloading(); }, 20000))
            return {{QStringLiteral("timeout"), -1, QString()}};
        QTest::qWait(0);
        return events.mid(before);
    }

    NumberedLanguageTable texts{800};
    TempAppDir app;
    std::unique_ptr<SupportWidget> page;
    QList<Event> events;
};

QStringList kinds(const QList<Event> &events)
{
    QStringList out;
    for (const Event &e : events)
        out << (e.kind == QLatin1String("close") ? e.kind : QStringLiteral("%1 %2").arg(e.kind).arg(e.type));
    return out;
}
} // namespace

class TstSupportWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void texts();
    void buttons();
    void checkOutcomes_data();
    void checkOutcomes();
    void clientFailures_data();
    void clientFailures();
    void downloadStoresPackageAndDate();
    void failedDownloadsKeepTheOldPackage_data();
    void failedDownloadsKeepTheOldPackage();
    void twoDownloadsBackToBack();
    void nothingToDownloadWithoutAnOffer();

private:
    // Publishes bytes as the model's firmware version.
    void publish(const QString &model, const QString &version, const QByteArray &bytes, const QString &date);

    CloudServerProcess m_server;
    QTemporaryDir m_files;
};

void TstSupportWidget::initTestCase()
{
    QVERIFY(m_server.start());
}

void TstSupportWidget::publish(const QString &model, const QString &version, const QByteArray &bytes,
                               const QString &date)
{
    const QString path = m_files.filePath(QStringLiteral("Nuc123.bin"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    QByteArray out;
    QVERIFY2(m_server.admin({QStringLiteral("publish-firmware"), model, version, path, QStringLiteral("--date"), date},
                            &out)
                 == 0,
             out.constData());
}

void TstSupportWidget::texts()
{
    QCoreApplication::setApplicationVersion(QStringLiteral("0.9.13950"));
    PageFixture f(m_server.baseUrl());
    QCOMPARE(childNamed<QLabel>(f.page.get(), QStringLiteral("SoftVareLabel"))->text(),
             QStringLiteral("T520: 0.9.13950"));
    QCOMPARE(childNamed<QPushButton>(f.page.get(), QStringLiteral("CheckUpdateButton"))->toolTip(),
             QStringLiteral("T522"));
    QCOMPARE(childNamed<QPushButton>(f.page.get(), QStringLiteral("CheckSoftwareUpdateButton"))->toolTip(),
             QStringLiteral("T523"));
    QCOMPARE(childNamed<QLabel>(f.page.get(), QStringLiteral("TanksLabel"))->text(), QStringLiteral("T524"));
    QCOMPARE(childNamed<QPushButton>(f.page.get(), QStringLiteral("OfficialWebsiteButton"))->toolTip(),
             QStringLiteral("T525"));
    QCOMPARE(childNamed<QLabel>(f.page.get(), QStringLiteral("Rightext"))->text(), QStringLiteral("T526"));
    f.page->setVersionNumber(32);
    QCOMPARE(f.page->versionNumber(), 32);
    QCOMPARE(childNamed<QLabel>(f.page.get(), QStringLiteral("VersionLabel"))->text(), QStringLiteral("T521: 0.0.32"));
}

void TstSupportWidget::buttons()
{
    PageFixture f(m_server.baseUrl());
    RecordingUrlOpener opener;
    QSignalSpy software(f.page.get(), &SupportWidget::sig_CheckSoftwareIsLastVersion);
    QSignalSpy analytics(f.page.get(), &SupportWidget::sig_SendUIEventMessageToGA);
    auto *softwareButton = childNamed<QPushButton>(f.page.get(), QStringLiteral("CheckSoftwareUpdateButton"));
    clickNamed(f.page.get(), QStringLiteral("CheckSoftwareUpdateButton"));
    QCOMPARE(software.count(), 1);
    QVERIFY(!softwareButton->isEnabled());
    f.page->slot_SoftwareCheckFinished();
    QVERIFY(softwareButton->isEnabled());

    // The website button opens web addresses only.
    clickNamed(f.page.get(), QStringLiteral("OfficialWebsiteButton"));
    QVERIFY(opener.urls.isEmpty());
    f.page->setOfficialWebsite(QUrl(QStringLiteral("file:///etc/passwd")));
    clickNamed(f.page.get(), QStringLiteral("OfficialWebsiteButton"));
    QVERIFY(opener.urls.isEmpty());
    f.page->setOfficialWebsite(QUrl(QStringLiteral("https://www.example.org")));
    clickNamed(f.page.get(), QStringLiteral("OfficialWebsiteButton"));
    QCOMPARE(opener.urls, QList<QUrl>{QUrl(QStringLiteral("https://www.example.org"))});
    QCOMPARE(analytics.count(), 3);

    // The check button waits for its answer.
    publish(QStringLiteral("ox7"), QStringLiteral("0032"), image(700, 1), QStringLiteral("2024-05-01"));
    auto *checkButton = childNamed<QPushButton>(f.page.get(), QStringLiteral("CheckUpdateButton"));
    f.page->setVersionNumber(32);
    clickNamed(f.page.get(), QStringLiteral("CheckUpdateButton"));
    QVERIFY(!checkButton->isEnabled());
    QVERIFY(f.waitForMore(0));
    QVERIFY(checkButton->isEnabled());
}

void TstSupportWidget::checkOutcomes_data()
{
    QTest::addColumn<QString>("published"); // empty: nothing published for the OX4
    QTest::addColumn<int>("mouseVersion");
    QTest::addColumn<int>("warning");
    QTest::addColumn<bool>("offers");

    QTest::newRow("\"0032\" is the mouse's 32: up to date") << "0032" << 32 << 11 << false;
    QTest::newRow("\"32\" and 32") << "32" << 32 << 11 << false;
    QTest::newRow("a higher version is offered") << "0040" << 32 << 34 << true;
    QTest::newRow("a lower version is offered too") << "0030" << 32 << 34 << true;
    QTest::newRow("a version that is no number fails") << "beta" << 32 << 9 << false;
    QTest::newRow("nothing published: the server's message") << "" << 32 << 9 << false;
}

void TstSupportWidget::checkOutcomes()
{
    QFETCH(QString, published);
    QFETCH(int, mouseVersion);
    QFETCH(int, warning);
    QFETCH(bool, offers);
    if (!published.isEmpty())
        publish(QStringLiteral("ox7"), published, image(700, 3), QStringLiteral("2024-05-01"));
    PageFixture f(m_server.baseUrl(), published.isEmpty() ? Ox4 : Ox7);

    const Event e = f.check(mouseVersion);
    QCOMPARE(e.kind, QStringLiteral("warning"));
    QCOMPARE(e.type, warning);
    QCOMPARE(f.events.size(), 1);
    QCOMPARE(f.page->downloadPath().isEmpty(), !offers);
    if (offers) {
        QCOMPARE(f.page->downloadPath(),
                 m_server.baseUrl().toString() + QStringLiteral("/packages/ox7-firmware/%1/Nuc123.bin").arg(published));
        QCOMPARE(f.page->versionDate(), QStringLiteral("2024-05-01"));
    }
    if (published.isEmpty())
        QVERIFY2(e.detail.contains(QStringLiteral("ox4-firmware")), qPrintable(e.detail));
    if (published == QLatin1String("beta"))
        QCOMPARE(e.detail, QStringLiteral("T761"));
}

void TstSupportWidget::clientFailures_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("message");
    QTest::newRow("nobody listens: the network text") << "closed" << "T580";
    QTest::newRow("not JSON: the server text") << "html" << "T581";
    QTest::newRow("a download address the program may not fetch") << "plain-http" << "T762";
}

void TstSupportWidget::clientFailures()
{
    QFETCH(QString, how);
    QFETCH(QString, message);
    HttpStandIn standIn;
    QUrl service = standIn.url();
    if (how == QLatin1String("closed")) {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        service = QUrl(QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort()));
    } else if (how == QLatin1String("html")) {
        standIn.answerWith({200, "text/html", "<html><body>" + QByteArray(400, 'x') + "</body></html>", {}, false});
    } else {
        standIn.answerWith(HttpStandIn::json(
            R"({"code":0,"msg":"success","data":{"version":"40","downloadUrl":"http://downloads.example.org/Nuc123.bin","versionDate":"2024-05-01"}})"));
    }
    PageFixture f(service);
    const Event e = f.check(32);
    QCOMPARE(e.kind, QStringLiteral("warning"));
    QCOMPARE(e.type, int(Warning::FirmwareCheckFailed));
    QCOMPARE(e.detail, message);
    QVERIFY(f.page->downloadPath().isEmpty());
    QVERIFY(childNamed<QPushButton>(f.page.get(), QStringLiteral("CheckUpdateButton"))->isEnabled());
}

void TstSupportWidget::downloadStoresPackageAndDate()
{
    const QByteArray served = image(3000, 7);
    publish(QStringLiteral("ox7"), QStringLiteral("0040"), served, QStringLiteral("2024-07-01"));
    PageFixture f(m_server.baseUrl());
    // Nothing below Update exists before: the page makes the model's folder.
    QVERIFY(!QFileInfo::exists(updateFolder()));
    QCOMPARE(f.check(32).type, int(Warning::NewerFirmware));
    QSignalSpy progress(f.page.get(), &SupportWidget::sig_DownloadProgress);

    const QList<Event> after = f.download();
    QCOMPARE(kinds(after), (QStringList{QStringLiteral("warning 12"), QStringLiteral("close"),
                                        QStringLiteral("dialog 11")}));
    // The dialog is asked for locked to the model, with the downloaded package.
    QCOMPARE(after.last().detail, QStringLiteral("0 0 0"));
    QCOMPARE(readAll(packagePath(Ox7, PackageSource::Clouds)), served);
    QCOMPARE(readAll(getFirmwareDateFilePath(Ox7)), QByteArray("2024-07-01"));
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().at(0).toInt(), 100);
}

void TstSupportWidget::failedDownloadsKeepTheOldPackage_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("message"); // empty: warning 9 with its own text
    QTest::newRow("404 with a long HTML page") << "404" << "";
    QTest::newRow("500 with a long HTML page") << "500" << "";
    QTest::newRow("an HTML page served as 200") << "html" << "T763";
    QTest::newRow("a short body") << "short" << "T763";
    QTest::newRow("larger than the mouse's program memory") << "large" << "";
    QTest::newRow("the server dies during the download") << "stall" << "";
}

void TstSupportWidget::failedDownloadsKeepTheOldPackage()
{
    QFETCH(QString, how);
    QFETCH(QString, message);
    HttpStandIn standIn;
    PageFixture f(m_server.baseUrl());
    QVERIFY(storeCloudPackage(Ox7, image(900, 1), QString(), QStringLiteral("2024-01-01")));

    QUrl url;
    if (how == QLatin1String("404") || how == QLatin1String("500")) {
        url = m_server.url(QStringLiteral("/test/status/") + how);
    } else if (how == QLatin1String("stall")) {
        // A second service that is killed while it holds the body back.
        url = QUrl();
    } else {
        url = standIn.url(QStringLiteral("/Nuc123.bin"));
        if (how == QLatin1String("html"))
            standIn.answerWith({200, "application/octet-stream",
                                "<!DOCTYPE html><html><head><title>Login</title></head>" + QByteArray(2000, 'x'),
                                {}, false});
        else if (how == QLatin1String("short"))
            standIn.answerWith({200, "application/octet-stream", image(60, 2), {}, false});
        else
            standIn.answerWith({200, "application/octet-stream", image(0x10001, 2), {}, false});
    }
    CloudServerProcess dying;
    if (how == QLatin1String("stall")) {
        QVERIFY(dying.start());
        url = dying.url(QStringLiteral("/test/stall?total=4000&bytes=1000"));
        QTimer::singleShot(300, f.page.get(), [&dying] { dying.kill(); });
    }
    // As the check would have left it.
    f.page->slot_LastVersionRet(0, QStringLiteral("success"), QStringLiteral("40"), url.toString(),
                                QStringLiteral("2030-01-01"));
    QCOMPARE(f.events.last().type, int(Warning::NewerFirmware));
    const QList<Event> after = f.download();
    QCOMPARE(kinds(after), (QStringList{QStringLiteral("warning 12"), QStringLiteral("close"),
                                        QStringLiteral("warning 9")}));
    QCOMPARE(after.last().detail, message);
    QCOMPARE(readAll(packagePath(Ox7, PackageSource::Clouds)), image(900, 1));
    QCOMPARE(readAll(getFirmwareDateFilePath(Ox7)), QByteArray("2024-01-01"));
}

void TstSupportWidget::twoDownloadsBackToBack()
{
    PageFixture f(m_server.baseUrl());
    publish(QStringLiteral("ox7"), QStringLiteral("0041"), image(1200, 4), QStringLiteral("2024-08-01"));
    QCOMPARE(f.check(32).type, int(Warning::NewerFirmware));
    QCOMPARE(kinds(f.download()).last(), QStringLiteral("dialog 11"));
    publish(QStringLiteral("ox7"), QStringLiteral("0042"), image(800, 5), QStringLiteral("2024-09-01"));
    QCOMPARE(f.check(41).type, int(Warning::NewerFirmware));
    QCOMPARE(kinds(f.download()).last(), QStringLiteral("dialog 11"));
    QCOMPARE(readAll(packagePath(Ox7, PackageSource::Clouds)), image(800, 5));
    QCOMPARE(readAll(getFirmwareDateFilePath(Ox7)), QByteArray("2024-09-01"));

    // A second confirmation while a download runs starts nothing more.
    publish(QStringLiteral("ox7"), QStringLiteral("0043"), image(900, 6), QStringLiteral("2024-10-01"));
    QCOMPARE(f.check(42).type, int(Warning::NewerFirmware));
    const int before = f.events.size();
    f.page->slot_StartUpdateFirmWare();
    f.page->slot_StartUpdateFirmWare();
    QVERIFY(QTest::qWaitFor([&] { return !f.page->isDownloading(); }, 20000));
    QTest::qWait(0);
    QCOMPARE(kinds(f.events.mid(before)), (QStringList{QStringLiteral("warning 12"), QStringLiteral("close"),
                                                       QStringLiteral("dialog 11")}));
}

void TstSupportWidget::nothingToDownloadWithoutAnOffer()
{
    PageFixture f(m_server.baseUrl());
    f.page->slot_StartUpdateFirmWare();
    QCOMPARE(kinds(f.events), QStringList{QStringLiteral("warning 9")});
    QVERIFY(!f.page->isDownloading());

    // An offer while no mouse is attached: no model to hold the body to, so
    // nothing is fetched and nothing stored.
    PageFixture none(m_server.baseUrl(), NoModel);
    none.page->slot_LastVersionRet(0, QStringLiteral("success"), QStringLiteral("40"),
                                   m_server.url(QStringLiteral("/packages/ox7-firmware/0040/Nuc123.bin")).toString(),
                                   QStringLiteral("2030-01-01"));
    none.page->slot_StartUpdateFirmWare();
    QCOMPARE(kinds(none.events), (QStringList{QStringLiteral("warning 34"), QStringLiteral("warning 9")}));
    QVERIFY(!none.page->isDownloading());
    QVERIFY(!QFileInfo::exists(updateFolder()));
}

QTEST_MAIN(TstSupportWidget)
#include "tst_supportwidget.moc"
