// GAnalytics and its adaptor against a real collector: ox8cloud's /collect,
// started on 127.0.0.1 by the test. Hits are dated by a virtual clock; the
// send timer ticks every few milliseconds so the queue drains at once.
#include "analytics/ganalytics.h"
#include "analytics/googleanalyticsadaptor.h"
#include "platform/clock.h"
#include "tests/common/cloudserver.h"
#include "tests/common/cloudtestclient.h"

#include <QGuiApplication>
#include <QNetworkAccessManager>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QScreen>
#include <QSettings>
#include <QtTest>

namespace {
const char kTid[] = "UA-1234-1";

using Pairs = QList<QPair<QString, QString>>;

Pairs parseBody(const QString &body)
{
    Pairs pairs;
    const QStringList items = body.split(QLatin1Char('&'), Qt::SkipEmptyParts);
    for (const QString &item : items) {
        const int eq = item.indexOf(QLatin1Char('='));
        pairs.append({QUrl::fromPercentEncoding(item.left(eq).toUtf8()),
                      QUrl::fromPercentEncoding(item.mid(eq + 1).toUtf8())});
    }
    return pairs;
}

QString value(const Pairs &pairs, const QString &key)
{
    for (const auto &p : pairs) {
        if (p.first == key)
            return p.second;
    }
    return QString();
}

bool hasKey(const Pairs &pairs, const QString &key)
{
    for (const auto &p : pairs) {
        if (p.first == key)
            return true;
    }
    return false;
}

QString keyValues(const Pairs &pairs)
{
    QStringList parts;
    for (const auto &p : pairs)
        parts << p.first + QLatin1Char('=') + p.second;
    return parts.join(QLatin1Char('&'));
}
} // namespace

class TstGAnalytics : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pageViewAndEventAtTheCollector();
    void nothingLeavesWithoutConsentAndConfiguration_data();
    void nothingLeavesWithoutConsentAndConfiguration();
    void turningOffDropsTheQueue();
    void staleHitsAreDropped_data();
    void staleHitsAreDropped();
    void connectionHeaderFollowsTheQueue();
    void httpErrorsKeepTheHit_data();
    void httpErrorsKeepTheHit();
    void transportErrorDropsTheHit();
    void identifiersSurviveARestart();
    void storedIdentifiers_data();
    void storedIdentifiers();
    void declaredInQml();
    void adaptorForwards();

private:
    // Tracking id, endpoint, consent, virtual clock and a fast timer.
    void collect(GAnalytics &ga, const QString &tid = QLatin1String(kTid));
    QList<Pairs> hitBodies() const;
    QString identityFile() const;

    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<CloudServerProcess> m_server;
    VirtualClock m_clock;
};

void TstGAnalytics::init()
{
    // The identifiers live in the per-user configuration: a fresh one per test.
    m_config = std::make_unique<QTemporaryDir>();
    QVERIFY(m_config->isValid());
    qputenv("XDG_CONFIG_HOME", m_config->path().toUtf8());
    m_server = std::make_unique<CloudServerProcess>();
    QVERIFY(m_server->start());
}

void TstGAnalytics::cleanup()
{
    m_server.reset();
    m_config.reset();
}

void TstGAnalytics::collect(GAnalytics &ga, const QString &tid)
{
    ga.setClock(&m_clock);
    ga.setTrackingID(tid);
    ga.setEndpoint(m_server->url(QStringLiteral("/collect")));
    ga.setEnabled(true);
    ga.setSendInterval(5);
}

QList<Pairs> TstGAnalytics::hitBodies() const
{
    QList<Pairs> bodies;
    const QJsonArray hits = m_server->collectedHits();
    for (const QJsonValue &h : hits)
        bodies.append(parseBody(h.toObject().value(QStringLiteral("body")).toString()));
    return bodies;
}

QString TstGAnalytics::identityFile() const
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/system/mouse.ini");
}

void TstGAnalytics::pageViewAndEventAtTheCollector()
{
    GAnalytics ga;
    collect(ga);
    ga.setViewportSize(QStringLiteral("960x640"));
    ga.setUserID(QStringLiteral("user 1"));
    ga.sendPageView(QStringLiteral("Main settings"));
    m_clock.advance(1500);
    ga.sendEvent(QString::fromUtf8("操作事件"), QString::fromUtf8("改CPI_Slider"), QStringLiteral("1"));
    QTRY_COMPARE(m_server->collectedHits().size(), 2);
    QTRY_COMPARE(ga.queuedHitCount(), 0);

    const QJsonArray hits = m_server->collectedHits();
    const QList<Pairs> bodies = hitBodies();
    const QSettings ids(identityFile(), QSettings::IniFormat);
    const QString cid = ids.value(QStringLiteral("GAnalytics-cid")).toString();
    QVERIFY(!QUuid::fromString(cid).isNull());
    QCOMPARE(ids.value(QStringLiteral("GAnalytics-uid")).toString(), QStringLiteral("user 1"));

    const QScreen *screen = QGuiApplication::primaryScreen();
    const auto head = [&](const QString &type) {
        return QStringLiteral("v=1&tid=UA-1234-1&cid=%1&uid=user 1&t=%2&ul=%3&ds=web&vp=960x640&sr=%4x%5")
            .arg(cid, type, ga.language())
            .arg(screen->size().width())
            .arg(screen->size().height());
    };
    const QString app = QStringLiteral("&an=%1&av=%2").arg(QCoreApplication::applicationName(),
                                                          QCoreApplication::applicationVersion());
    // The page view waited 1500 ms in the queue by the virtual clock, the event none.
    QCOMPARE(keyValues(bodies.at(0)), head(QStringLiteral("pageview")) + QStringLiteral("&cd=Main settings") + app
                                          + QStringLiteral("&dp=Main settings&dt=Main settings&qt=1500"));
    QCOMPARE(keyValues(bodies.at(1)), head(QStringLiteral("event")) + app
                                          + QString::fromUtf8("&ec=操作事件&ea=改CPI_Slider&el=1&qt=0"));

    const QJsonObject first = hits.at(0).toObject();
    QCOMPARE(first.value(QStringLiteral("method")).toString(), QStringLiteral("POST"));
    QCOMPARE(first.value(QStringLiteral("contentType")).toString(), QStringLiteral("application/x-www-form-urlencoded"));
    QCOMPARE(first.value(QStringLiteral("userAgent")).toString(),
             QStringLiteral("%1_%2/%2 (X11; Linux %3; %4) GAnalytics/1.0 (Qt/5.9.8)")
                 .arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion(),
                      QSysInfo::currentCpuArchitecture(), QLocale::system().name()));
}

void TstGAnalytics::nothingLeavesWithoutConsentAndConfiguration_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("endpoint"); // "local" is the test's collector
    QTest::addColumn<QString>("tid");

    QTest::newRow("switch off") << false << "local" << kTid;
    QTest::newRow("no endpoint") << true << "" << kTid;
    QTest::newRow("no tracking id") << true << "local" << "";
    QTest::newRow("plain http off this machine") << true << "http://collector.example.org/collect" << kTid;
    QTest::newRow("not http at all") << true << "file:///tmp/collect" << kTid;
    QTest::newRow("endpoint with a query") << true << "local?x=1" << kTid;
}

void TstGAnalytics::nothingLeavesWithoutConsentAndConfiguration()
{
    QFETCH(bool, enabled);
    QFETCH(QString, endpoint);
    QFETCH(QString, tid);

    GAnalytics ga;
    ga.setClock(&m_clock);
    ga.setSendInterval(5);
    ga.setTrackingID(tid);
    ga.setEndpoint(QUrl(endpoint.replace(QStringLiteral("local"), m_server->url(QStringLiteral("/collect")).toString())));
    ga.setEnabled(enabled);
    QVERIFY(!ga.isCollecting());

    ga.sendPageView(QStringLiteral("Main settings"));
    ga.sendEvent(QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("l"), 1);
    ga.sendException(QStringLiteral("boom"));
    ga.startSession();
    QCOMPARE(ga.queuedHitCount(), 0);
    QVERIFY(!QFileInfo::exists(identityFile()));

    // Once collecting, only what was sent from then on arrives.
    collect(ga);
    ga.endSession();
    QTRY_COMPARE(m_server->collectedHits().size(), 1);
    QTRY_COMPARE(ga.queuedHitCount(), 0);
    QCOMPARE(value(hitBodies().at(0), QStringLiteral("sc")), QStringLiteral("end"));
    QVERIFY(QFileInfo::exists(identityFile()));
}

void TstGAnalytics::turningOffDropsTheQueue()
{
    GAnalytics ga;
    collect(ga);
    ga.setSendInterval(3600000);
    ga.sendPageView(QStringLiteral("a"));
    ga.sendPageView(QStringLiteral("b"));
    QCOMPARE(ga.queuedHitCount(), 2);
    ga.setEnabled(false);
    QCOMPARE(ga.queuedHitCount(), 0);

    ga.setEnabled(true);
    ga.setSendInterval(5);
    ga.sendPageView(QStringLiteral("c"));
    QTRY_COMPARE(ga.queuedHitCount(), 0);
    QTRY_COMPARE(m_server->collectedHits().size(), 1);
    QCOMPARE(value(hitBodies().at(0), QStringLiteral("cd")), QStringLiteral("c"));
}

void TstGAnalytics::staleHitsAreDropped_data()
{
    QTest::addColumn<qint64>("age");
    QTest::addColumn<QStringList>("arrived");

    QTest::newRow("ten minutes old is still sent") << qint64(600000) << QStringList{"old", "new"};
    QTest::newRow("a millisecond older is dropped unsent") << qint64(600001) << QStringList{"new"};
}

void TstGAnalytics::staleHitsAreDropped()
{
    QFETCH(qint64, age);
    QFETCH(QStringList, arrived);

    GAnalytics ga;
    collect(ga);
    ga.sendPageView(QStringLiteral("old"));
    m_clock.advance(age);
    ga.sendPageView(QStringLiteral("new"));
    QTRY_COMPARE(ga.queuedHitCount(), 0);
    QTRY_COMPARE(m_server->collectedHits().size(), arrived.size());

    QStringList pages;
    QStringList ages;
    for (const Pairs &body : hitBodies()) {
        pages << value(body, QStringLiteral("cd"));
        ages << value(body, QStringLiteral("qt"));
    }
    QCOMPARE(pages, arrived);
    QCOMPARE(ages.first(), arrived.size() == 2 ? QString::number(age) : QStringLiteral("0"));
}

void TstGAnalytics::connectionHeaderFollowsTheQueue()
{
    GAnalytics ga;
    collect(ga);
    ga.sendPageView(QStringLiteral("first"));
    ga.sendPageView(QStringLiteral("second"));
    QTRY_COMPARE(m_server->collectedHits().size(), 2);
    const QJsonArray hits = m_server->collectedHits();
    QCOMPARE(hits.at(0).toObject().value(QStringLiteral("connection")).toString(), QStringLiteral("keep-alive"));
    QCOMPARE(hits.at(1).toObject().value(QStringLiteral("connection")).toString(), QStringLiteral("close"));
    QCOMPARE(value(hitBodies().at(1), QStringLiteral("cd")), QStringLiteral("second"));
}

void TstGAnalytics::httpErrorsKeepTheHit_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("failures");

    QTest::newRow("a 500 is retried on the next tick") << 500 << 1;
    QTest::newRow("a 503 twice") << 503 << 2;
    QTest::newRow("a 404 too") << 404 << 1;
}

void TstGAnalytics::httpErrorsKeepTheHit()
{
    QFETCH(int, status);
    QFETCH(int, failures);

    CloudTestClient client(m_server->baseUrl());
    QCOMPARE(client.postJson(QStringLiteral("/test/collect/fail"),
                             QJsonObject{{QStringLiteral("status"), status}, {QStringLiteral("count"), failures}})
                 .status,
             200);

    GAnalytics ga;
    collect(ga);
    ga.sendEvent(QStringLiteral("c"), QStringLiteral("a"));
    QTRY_COMPARE(m_server->collectedHits().size(), failures + 1);
    QTRY_COMPARE(ga.queuedHitCount(), 0);

    // The same hit each time (the virtual clock stood still), answered with
    // the failures first and then 200; after that nothing more is posted.
    const QJsonArray hits = m_server->collectedHits();
    const QString body = hits.at(0).toObject().value(QStringLiteral("body")).toString();
    for (int i = 0; i <= failures; ++i) {
        const QJsonObject hit = hits.at(i).toObject();
        QCOMPARE(hit.value(QStringLiteral("body")).toString(), body);
        QCOMPARE(hit.value(QStringLiteral("status")).toInt(), i < failures ? status : 200);
    }
    ga.sendEvent(QStringLiteral("c"), QStringLiteral("next"));
    QTRY_COMPARE(m_server->collectedHits().size(), failures + 2);
    QCOMPARE(value(hitBodies().last(), QStringLiteral("ea")), QStringLiteral("next"));
}

void TstGAnalytics::transportErrorDropsTheHit()
{
    GAnalytics ga;
    collect(ga);
    // Nobody listens on the collector's port any more: the connection is refused.
    QVERIFY(m_server->stop());
    ga.sendEvent(QStringLiteral("c"), QStringLiteral("lost"));
    QTRY_COMPARE(ga.queuedHitCount(), 0);

    QVERIFY(m_server->start());
    ga.setEndpoint(m_server->url(QStringLiteral("/collect")));
    ga.sendEvent(QStringLiteral("c"), QStringLiteral("after"));
    QTRY_COMPARE(m_server->collectedHits().size(), 1);
    QTRY_COMPARE(ga.queuedHitCount(), 0);
    QCOMPARE(value(hitBodies().at(0), QStringLiteral("ea")), QStringLiteral("after"));
}

void TstGAnalytics::identifiersSurviveARestart()
{
    QString cid;
    QString uid;
    {
        GAnalytics ga;
        collect(ga);
        ga.sendPageView(QStringLiteral("one"));
        QTRY_COMPARE(m_server->collectedHits().size(), 1);
        cid = value(hitBodies().at(0), QStringLiteral("cid"));
        uid = value(hitBodies().at(0), QStringLiteral("uid"));
        QVERIFY(!QUuid::fromString(cid).isNull());
        QVERIFY(!QUuid::fromString(uid).isNull());
        QVERIFY(cid != uid);
    }
    {
        GAnalytics ga;
        collect(ga);
        ga.sendPageView(QStringLiteral("two"));
        QTRY_COMPARE(m_server->collectedHits().size(), 2);
        QCOMPARE(value(hitBodies().at(1), QStringLiteral("cid")), cid);
        QCOMPARE(value(hitBodies().at(1), QStringLiteral("uid")), uid);
        // A user id set later is stored at once; an empty one sends no uid.
        ga.setUserID(QString());
        ga.sendPageView(QStringLiteral("three"));
        QTRY_COMPARE(m_server->collectedHits().size(), 3);
        QVERIFY(!hasKey(hitBodies().at(2), QStringLiteral("uid")));
        ga.setUserID(QStringLiteral("account-7"));
    }
    GAnalytics ga;
    collect(ga);
    ga.sendPageView(QStringLiteral("four"));
    QTRY_COMPARE(m_server->collectedHits().size(), 4);
    QCOMPARE(value(hitBodies().at(3), QStringLiteral("cid")), cid);
    QCOMPARE(value(hitBodies().at(3), QStringLiteral("uid")), QStringLiteral("account-7"));
}

void TstGAnalytics::storedIdentifiers_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("cid"); // "new": a fresh uuid
    QTest::addColumn<QString>("uid"); // "new": a fresh uuid, "-": none sent

    QTest::newRow("both stored") << QByteArray("[General]\nGAnalytics-cid=abc\nGAnalytics-uid=def\n") << "abc"
                                 << "def";
    QTest::newRow("only the client id") << QByteArray("[General]\nGAnalytics-cid=abc\n") << "abc" << "new";
    QTest::newRow("an empty user id is kept") << QByteArray("[General]\nGAnalytics-cid=abc\nGAnalytics-uid=\n")
                                              << "abc" << "-";
    QTest::newRow("an over-long client id is replaced")
        << QByteArray("[General]\nGAnalytics-cid=" + QByteArray(5000, 'x') + "\nGAnalytics-uid=def\n") << "new"
        << "def";
    QTest::newRow("garbage") << QByteArray("\x01\x02[[[=\n\xff") << "new" << "new";
}

void TstGAnalytics::storedIdentifiers()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, cid);
    QFETCH(QString, uid);

    QVERIFY(QDir().mkpath(QFileInfo(identityFile()).absolutePath()));
    QFile f(identityFile());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(file);
    f.close();

    GAnalytics ga;
    collect(ga);
    ga.sendPageView(QStringLiteral("p"));
    QTRY_COMPARE(m_server->collectedHits().size(), 1);
    const Pairs body = hitBodies().at(0);
    if (cid == QLatin1String("new"))
        QVERIFY(!QUuid::fromString(value(body, QStringLiteral("cid"))).isNull());
    else
        QCOMPARE(value(body, QStringLiteral("cid")), cid);
    if (uid == QLatin1String("-"))
        QVERIFY(!hasKey(body, QStringLiteral("uid")));
    else if (uid == QLatin1String("new"))
        QVERIFY(!QUuid::fromString(value(body, QStringLiteral("uid"))).isNull());
    else
        QCOMPARE(value(body, QStringLiteral("uid")), uid);

    // What was sent is what is stored for the next start.
    const QSettings ids(identityFile(), QSettings::IniFormat);
    QCOMPARE(ids.value(QStringLiteral("GAnalytics-cid")).toString(), value(body, QStringLiteral("cid")));
    QCOMPARE(ids.value(QStringLiteral("GAnalytics-uid")).toString(), value(body, QStringLiteral("uid")));
}

void TstGAnalytics::declaredInQml()
{
    registerAnalyticsQmlType();
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData("import OX8.Analytics 1.0\n"
                      "GAnalytics { trackingID: \"UA-77-1\"; sendInterval: 5; logLevel: GAnalytics.Info }\n",
                      QUrl());
    std::unique_ptr<QObject> object(component.create());
    QVERIFY2(object, qPrintable(component.errorString()));
    auto *ga = qobject_cast<GAnalytics *>(object.get());
    QVERIFY(ga);
    QCOMPARE(ga->trackingID(), QStringLiteral("UA-77-1"));
    QCOMPARE(ga->sendInterval(), 5);
    QCOMPARE(ga->logLevel(), GAnalytics::Info);
    QCOMPARE(ga->networkAccessManager(), engine.networkAccessManager());

    ga->setClock(&m_clock);
    ga->setEndpoint(m_server->url(QStringLiteral("/collect")));
    ga->setEnabled(true);
    ga->sendPageView(QStringLiteral("qml"));
    QTRY_COMPARE(m_server->collectedHits().size(), 1);
    QCOMPARE(value(hitBodies().at(0), QStringLiteral("tid")), QStringLiteral("UA-77-1"));
}

void TstGAnalytics::adaptorForwards()
{
    GoogleAnalyticsAdaptor adaptor(QStringLiteral("UA-55-2"));
    QCOMPARE(GoogleAnalyticsAdaptor::analytics().trackingID(), QStringLiteral("UA-55-2"));
    adaptor.setSendInterval(5);
    QCOMPARE(GoogleAnalyticsAdaptor::analytics().sendInterval(), 5);
    adaptor.setEndpoint(m_server->url(QStringLiteral("/collect")));
    adaptor.setEnabled(true);
    QVERIFY(adaptor.isCollecting());

    adaptor.sendEvent(QStringLiteral("MainWindow"), QStringLiteral("cat"), QStringLiteral("act"), QString(),
                      QVariant(), QVariantMap());
    adaptor.sendScreenView(QStringLiteral("Lighting"), QVariantMap());
    QTRY_COMPARE(m_server->collectedHits().size(), 2);
    const QList<Pairs> bodies = hitBodies();
    QCOMPARE(value(bodies.at(0), QStringLiteral("t")), QStringLiteral("event"));
    QCOMPARE(value(bodies.at(0), QStringLiteral("ec")), QStringLiteral("cat"));
    QCOMPARE(value(bodies.at(0), QStringLiteral("ea")), QStringLiteral("act"));
    QVERIFY(!hasKey(bodies.at(0), QStringLiteral("el")));
    QVERIFY(!keyValues(bodies.at(0)).contains(QStringLiteral("MainWindow")));
    QCOMPARE(value(bodies.at(1), QStringLiteral("t")), QStringLiteral("pageview"));
    QCOMPARE(value(bodies.at(1), QStringLiteral("dp")), QStringLiteral("Lighting"));
    // The collector has the hit before its answer reaches the queue.
    QTRY_COMPARE(GoogleAnalyticsAdaptor::analytics().queuedHitCount(), 0);
    adaptor.setEnabled(false);
}

QTEST_MAIN(TstGAnalytics)
#include "tst_ganalytics.moc"
