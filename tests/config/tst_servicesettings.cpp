// Which web addresses the program talks to, and where the service URL comes from.
#include "config/servicesettings.h"
#include "tests/common/testutil.h"

#include <QtTest>

class TstServiceSettings : public QObject
{
    Q_OBJECT

private slots:
    void remoteAddresses_data();
    void remoteAddresses();
    void browserAddresses_data();
    void browserAddresses();
    void baseUrl_data();
    void baseUrl();
    void environmentOverridesTheFile();
    void analyticsEndpoint_data();
    void analyticsEndpoint();
    void analyticsSwitch_data();
    void analyticsSwitch();
    void analyticsEnvironmentOverridesTheFile();
};

void TstServiceSettings::remoteAddresses_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("allowed");

    QTest::newRow("https anywhere") << "https://cloud.example.org/v1" << true;
    QTest::newRow("http on 127.0.0.1") << "http://127.0.0.1:8080" << true;
    QTest::newRow("http on another loopback address") << "http://127.3.2.1" << true;
    QTest::newRow("http on localhost") << "http://localhost:9/x" << true;
    QTest::newRow("http on ::1") << "http://[::1]:8080" << true;
    QTest::newRow("plain http elsewhere") << "http://cloud.example.org" << false;
    QTest::newRow("loopback look-alike host") << "http://127.0.0.1.example.org" << false;
    QTest::newRow("out-of-range octet") << "http://127.0.0.300" << false;
    QTest::newRow("credentials in the address") << "https://user:pw@cloud.example.org" << false;
    QTest::newRow("ftp") << "ftp://127.0.0.1/x" << false;
    QTest::newRow("a local file") << "file:///etc/passwd" << false;
    QTest::newRow("no host") << "https:///v1" << false;
    QTest::newRow("not an address") << "javascript:alert(1)" << false;
}

void TstServiceSettings::remoteAddresses()
{
    QFETCH(QString, url);
    QFETCH(bool, allowed);
    QCOMPARE(isAllowedRemoteUrl(QUrl(url)), allowed);
}

void TstServiceSettings::browserAddresses_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("allowed");

    QTest::newRow("https") << "https://www.example.org/download" << true;
    QTest::newRow("http") << "http://www.example.org" << true;
    QTest::newRow("a program") << "file:///home/u/KorvanUpdataOnce.exe" << false;
    QTest::newRow("a script") << "javascript:alert(1)" << false;
    QTest::newRow("a bare path") << "/usr/bin/xterm" << false;
}

void TstServiceSettings::browserAddresses()
{
    QFETCH(QString, url);
    QFETCH(bool, allowed);
    QCOMPARE(isAllowedBrowserUrl(QUrl(url)), allowed);
}

void TstServiceSettings::baseUrl_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");

    QTest::newRow("nothing configured") << "" << "";
    QTest::newRow("https kept") << "https://cloud.example.org" << "https://cloud.example.org";
    QTest::newRow("trailing slashes trimmed") << "https://cloud.example.org/api//" << "https://cloud.example.org/api";
    QTest::newRow("local ox8cloud") << " http://127.0.0.1:8080 " << "http://127.0.0.1:8080";
    QTest::newRow("plain http refused") << "http://cloud.example.org" << "";
    QTest::newRow("a query refused") << "https://cloud.example.org/?x=1" << "";
}

void TstServiceSettings::baseUrl()
{
    QFETCH(QString, stored);
    QFETCH(QString, expected);
    TempAppDir app;
    qunsetenv("OX8_CLOUD_URL");
    setConfiguredServiceUrl(stored);
    QCOMPARE(configuredServiceUrl(), stored.trimmed());
    QCOMPARE(serviceBaseUrl().toString(), expected);
}

void TstServiceSettings::environmentOverridesTheFile()
{
    TempAppDir app;
    setConfiguredServiceUrl(QStringLiteral("https://cloud.example.org"));
    qputenv("OX8_CLOUD_URL", "http://127.0.0.1:4242");
    QCOMPARE(serviceBaseUrl().toString(), QStringLiteral("http://127.0.0.1:4242"));
    qunsetenv("OX8_CLOUD_URL");
    QCOMPARE(serviceBaseUrl().toString(), QStringLiteral("https://cloud.example.org"));
}

void TstServiceSettings::analyticsEndpoint_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");

    QTest::newRow("nothing configured: no collector") << "" << "";
    QTest::newRow("https kept") << "https://stats.example.org/collect" << "https://stats.example.org/collect";
    QTest::newRow("local collector") << " http://127.0.0.1:9/collect " << "http://127.0.0.1:9/collect";
    QTest::newRow("plain http elsewhere refused") << "http://stats.example.org/collect" << "";
    QTest::newRow("a query refused") << "https://stats.example.org/collect?tid=1" << "";
    QTest::newRow("a fragment refused") << "https://stats.example.org/collect#x" << "";
    QTest::newRow("not an address") << "::::" << "";
}

void TstServiceSettings::analyticsEndpoint()
{
    QFETCH(QString, stored);
    QFETCH(QString, expected);
    TempAppDir app;
    qunsetenv("OX8_ANALYTICS_URL");
    setConfiguredAnalyticsEndpoint(stored);
    QCOMPARE(configuredAnalyticsEndpoint(), stored.trimmed());
    QCOMPARE(analyticsEndpointUrl().toString(), expected);
}

void TstServiceSettings::analyticsSwitch_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("no file: off") << QByteArray() << false;
    QTest::newRow("no key: off") << QByteArray("[SERVICE]\nurl=https://x.example.org\n") << false;
    QTest::newRow("true") << QByteArray("[ANALYTICS]\nenabled=true\n") << true;
    QTest::newRow("1") << QByteArray("[ANALYTICS]\nenabled=1\n") << true;
    QTest::newRow("false") << QByteArray("[ANALYTICS]\nenabled=false\n") << false;
    QTest::newRow("damaged value: off") << QByteArray("[ANALYTICS]\nenabled=tru\xff\n") << false;
}

void TstServiceSettings::analyticsSwitch()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, enabled);
    TempAppDir app;
    if (!file.isEmpty()) {
        QVERIFY(QDir().mkpath(QFileInfo(serviceIniPath()).absolutePath()));
        QFile f(serviceIniPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file);
    }
    QCOMPARE(analyticsEnabledSetting(), enabled);

    // The switch's choice round-trips and leaves the other settings alone.
    setConfiguredServiceUrl(QStringLiteral("https://cloud.example.org"));
    setAnalyticsEnabledSetting(!enabled);
    QCOMPARE(analyticsEnabledSetting(), !enabled);
    QCOMPARE(configuredServiceUrl(), QStringLiteral("https://cloud.example.org"));
}

void TstServiceSettings::analyticsEnvironmentOverridesTheFile()
{
    TempAppDir app;
    setConfiguredAnalyticsEndpoint(QStringLiteral("https://stats.example.org/collect"));
    setConfiguredAnalyticsTrackingId(QStringLiteral("UA-1-1"));
    qputenv("OX8_ANALYTICS_URL", "http://127.0.0.1:4242/collect");
    qputenv("OX8_ANALYTICS_TID", "UA-2-2");
    QCOMPARE(analyticsEndpointUrl().toString(), QStringLiteral("http://127.0.0.1:4242/collect"));
    QCOMPARE(configuredAnalyticsTrackingId(), QStringLiteral("UA-2-2"));
    qunsetenv("OX8_ANALYTICS_URL");
    qunsetenv("OX8_ANALYTICS_TID");
    QCOMPARE(analyticsEndpointUrl().toString(), QStringLiteral("https://stats.example.org/collect"));
    QCOMPARE(configuredAnalyticsTrackingId(), QStringLiteral("UA-1-1"));
}

QTEST_APPLESS_MAIN(TstServiceSettings)
#include "tst_servicesettings.moc"
