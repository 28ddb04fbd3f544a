// End to end: usage statistics from the real ox8driver on the demo mouse to a
// local collector (ox8cloud's /collect). Nothing is sent before the user
// turns the switch on; afterwards the tabs clicked arrive as page views and a
// CPI level moved with the pointer arrives as its events.
#include "tests/common/cloudserver.h"
#include "tests/e2e/e2edesk.h"

#include <QDirIterator>
#include <QSettings>

#ifndef OX8DRIVER_BIN
#error OX8DRIVER_BIN must name the program under test
#endif

namespace {
QString parameter(const QString &body, const QString &key)
{
    const QStringList items = body.split(QLatin1Char('&'));
    for (const QString &item : items) {
        const int eq = item.indexOf(QLatin1Char('='));
        if (QUrl::fromPercentEncoding(item.left(eq).toUtf8()) == key)
            return QUrl::fromPercentEncoding(item.mid(eq + 1).toUtf8());
    }
    return QString();
}
} // namespace

class TstE2eAnalytics : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void tabsAndCpiReachTheCollector();
};

void TstE2eAnalytics::initTestCase()
{
    const QString missing = E2eDesk::missingTool();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("%1 is not installed (scripts/setup-deps.sh installs it)").arg(missing)));
}

void TstE2eAnalytics::tabsAndCpiReachTheCollector()
{
    CloudServerProcess collector;
    QVERIFY(collector.start());
    QTemporaryDir userConfig;
    QVERIFY(userConfig.isValid());

    E2eDesk desk;
    desk.setEnvironmentVariable(QStringLiteral("OX8_ANALYTICS_URL"), collector.url(QStringLiteral("/collect")).toString());
    desk.setEnvironmentVariable(QStringLiteral("OX8_ANALYTICS_TID"), QStringLiteral("UA-424242-1"));
    desk.setEnvironmentVariable(QStringLiteral("XDG_CONFIG_HOME"), userConfig.path());
    // English tab names.
    desk.setEnvironmentVariable(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));
    desk.setEnvironmentVariable(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
    QVERIFY(desk.startServer());
    QVERIFY2(desk.startProgram(QStringLiteral("ox7"), 11), qPrintable(desk.programOutput()));

    // Off by default: a tab clicked now is not reported, and no identifiers exist.
    QVERIFY(desk.isShown(QStringLiteral("AnalyticsCheckBox")));
    QVERIFY(desk.clickAt(QStringLiteral("SupportButton")));
    QVERIFY(desk.waitShown(QStringLiteral("MainSettingWidget"), false));
    QVERIFY(desk.clickAt(QStringLiteral("MainSettingButton")));
    QVERIFY(desk.waitShown(QStringLiteral("MainSettingWidget")));
    QVERIFY(desk.waitForIdle());

    // The switch: a click on its text turns it on and the choice is stored.
    QVERIFY(desk.clickAt(QStringLiteral("AnalyticsCheckBox"), 0.3));
    const QString serviceIni = desk.appDir() + QStringLiteral("/system/service.ini");
    QVERIFY(E2eDesk::waitFor([&] {
        return QSettings(serviceIni, QSettings::IniFormat).value(QStringLiteral("ANALYTICS/enabled")).toString()
               == QLatin1String("true");
    }));
    QVERIFY(desk.screenshot(QStringLiteral(OX8_E2E_OUTPUT_DIR "/e2e-analytics-switch.png")));

    QVERIFY(desk.clickAt(QStringLiteral("LightSettingButton")));
    QVERIFY(desk.waitShown(QStringLiteral("MainSettingWidget"), false));
    QVERIFY(desk.clickAt(QStringLiteral("MacroEditButton")));
    QVERIFY(desk.waitShown(QStringLiteral("MacroEditWidget")));
    QVERIFY(desk.clickAt(QStringLiteral("MainSettingButton")));
    QVERIFY(desk.waitShown(QStringLiteral("MainSettingWidget")));
    QVERIFY(desk.waitForIdle());

    const QString slider = desk.widgetKey(QRegularExpression(QStringLiteral("CPIForm_2/.*CPISlider$")));
    QVERIFY2(!slider.isEmpty(), "no slider of the third CPI level on the map");
    QVERIFY(desk.clickAt(slider, 0.75));
    QVERIFY(desk.waitForLog(QStringLiteral("slot_setCPIListValueOnMouse")));

    // The send timer posts every 5 s; every hit of the run arrives in order.
    QStringList pages;
    QStringList events;
    QJsonArray hits;
    const bool arrived = E2eDesk::waitFor([&] {
        hits = collector.collectedHits();
        pages.clear();
        events.clear();
        for (const QJsonValue &h : qAsConst(hits)) {
            const QString body = h.toObject().value(QStringLiteral("body")).toString();
            if (parameter(body, QStringLiteral("t")) == QLatin1String("pageview"))
                pages << parameter(body, QStringLiteral("dp"));
            else
                events << parameter(body, QStringLiteral("ea"));
        }
        // Both events of the move, whichever the queue sends first.
        return events.contains(QStringLiteral("改CPI_3")) && events.contains(QStringLiteral("改CPI_Slider"));
    });
    QVERIFY2(arrived, qPrintable(desk.logText().right(3000)));
    QCOMPARE(pages, (QStringList{QStringLiteral("Lighting"), QStringLiteral("Macros"), QStringLiteral("Settings")}));
    QVERIFY2(events.contains(QStringLiteral("改CPI_Slider")), qPrintable(events.join(QLatin1Char(','))));

    QString clientId;
    for (const QJsonValue &h : qAsConst(hits)) {
        const QJsonObject hit = h.toObject();
        const QString body = hit.value(QStringLiteral("body")).toString();
        QCOMPARE(parameter(body, QStringLiteral("tid")), QStringLiteral("UA-424242-1"));
        QCOMPARE(hit.value(QStringLiteral("status")).toInt(), 200);
        QVERIFY2(hit.value(QStringLiteral("userAgent")).toString().contains(QLatin1String("(X11; Linux ")),
                 qPrintable(hit.value(QStringLiteral("userAgent")).toString()));
        if (clientId.isEmpty())
            clientId = parameter(body, QStringLiteral("cid"));
        QCOMPARE(parameter(body, QStringLiteral("cid")), clientId);
        if (parameter(body, QStringLiteral("ea")) == QLatin1String("改CPI_3"))
            QVERIFY2(parameter(body, QStringLiteral("el")).toInt() > 8000, qPrintable(body));
    }

    // The client id is kept in the user's configuration, not in APP.
    QStringList idFiles;
    QDirIterator it(userConfig.path(), {QStringLiteral("mouse.ini")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        idFiles << it.next();
    QCOMPARE(idFiles.size(), 1);
    QVERIFY(idFiles.first().endsWith(QLatin1String("/system/mouse.ini")));
    QCOMPARE(QSettings(idFiles.first(), QSettings::IniFormat).value(QStringLiteral("GAnalytics-cid")).toString(),
             clientId);

    // Off again: stored, and nothing more is sent.
    QVERIFY(desk.clickAt(QStringLiteral("AnalyticsCheckBox"), 0.3));
    QVERIFY(E2eDesk::waitFor([&] {
        return QSettings(serviceIni, QSettings::IniFormat).value(QStringLiteral("ANALYTICS/enabled")).toString()
               == QLatin1String("false");
    }));
    QCOMPARE(desk.quitProgram(), 0);
}

QTEST_GUILESS_MAIN(TstE2eAnalytics)
#include "tst_e2e_analytics.moc"
