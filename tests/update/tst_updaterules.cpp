// What a firmware check and an update come to: pure rules.
#include "discovery/models.h"
#include "update/updaterules.h"

#include <QtTest>

class TstUpdateRules : public QObject
{
    Q_OBJECT

private slots:
    void firmwareVersionText_data();
    void firmwareVersionText();
    void checkOutcome_data();
    void checkOutcome();
    void route_data();
    void route();
};

void TstUpdateRules::firmwareVersionText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("version");

    QTest::newRow("plain number") << "32" << true << 32;
    QTest::newRow("leading zeros") << "0032" << true << 32;
    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("all zeros") << "0000" << true << 0;
    QTest::newRow("spaces around") << " 40 " << true << 40;
    QTest::newRow("many leading zeros") << "0000000000000007" << true << 7;
    QTest::newRow("empty") << "" << false << -1;
    QTest::newRow("dotted version") << "1.2" << false << -1;
    QTest::newRow("letters") << "v32" << false << -1;
    QTest::newRow("sign") << "-3" << false << -1;
    QTest::newRow("plus sign") << "+3" << false << -1;
    QTest::newRow("too many digits") << "1234567890" << false << -1;
    QTest::newRow("other digits") << QString::fromUtf8("٣٢") << false << -1;
}

void TstUpdateRules::firmwareVersionText()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, version);
    int parsed = -1;
    QCOMPARE(parseFirmwareVersion(text, parsed), ok);
    QCOMPARE(parsed, version);
}

void TstUpdateRules::checkOutcome_data()
{
    QTest::addColumn<int>("rCode");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("url");
    QTest::addColumn<int>("mouse");
    QTest::addColumn<int>("outcome");

    const QString https = QStringLiteral("https://cloud.example.org/packages/ox7-firmware/0040/Nuc123.bin");
    const QString loopback = QStringLiteral("http://127.0.0.1:8080/packages/ox7-firmware/0040/Nuc123.bin");
    const int failed = int(FirmwareCheckOutcome::Failed);
    const int same = int(FirmwareCheckOutcome::UpToDate);
    const int newer = int(FirmwareCheckOutcome::NewerAvailable);
    const int noVersion = int(FirmwareCheckOutcome::NoVersion);
    const int noDownload = int(FirmwareCheckOutcome::NoDownload);
    QTest::newRow("\"0032\" is the mouse's 32") << 0 << "0032" << https << 32 << same;
    QTest::newRow("equal without a download is still up to date") << 0 << "32" << "" << 32 << same;
    QTest::newRow("higher offers the update") << 0 << "40" << https << 32 << newer;
    QTest::newRow("lower offers the update too") << 0 << "0030" << https << 32 << newer;
    QTest::newRow("plain http on this machine") << 0 << "40" << loopback << 32 << newer;
    QTest::newRow("unknown mouse version: anything differs") << 0 << "32" << https << -1 << newer;
    QTest::newRow("the service refused") << 10017 << "40" << https << 32 << failed;
    QTest::newRow("transport error") << -1 << "" << "" << 32 << failed;
    QTest::newRow("no version in the answer") << 0 << "" << https << 32 << noVersion;
    QTest::newRow("a version that is no number") << 0 << "abc" << https << 32 << noVersion;
    QTest::newRow("no download address") << 0 << "40" << "" << 32 << noDownload;
    QTest::newRow("plain http off this machine") << 0 << "40" << "http://cloud.example.org/Nuc123.bin" << 32
                                                 << noDownload;
    QTest::newRow("a local file") << 0 << "40" << "file:///etc/passwd" << 32 << noDownload;
    QTest::newRow("a relative path") << 0 << "40" << "/packages/Nuc123.bin" << 32 << noDownload;
}

void TstUpdateRules::checkOutcome()
{
    QFETCH(int, rCode);
    QFETCH(QString, version);
    QFETCH(QString, url);
    QFETCH(int, mouse);
    QFETCH(int, outcome);
    QCOMPARE(int(firmwareCheckOutcome(rCode, version, url, mouse)), outcome);
}

void TstUpdateRules::route_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("externalRuns");
    QTest::addColumn<int>("route");
    QTest::addColumn<bool>("asks");

    const int none = int(UpdateRoute::None);
    const int flasher = int(UpdateRoute::Flasher);
    const int external = int(UpdateRoute::ExternalUpdater);
    QTest::newRow("no model") << 0 << false << none << false;
    for (int t = Ox4C; t <= Ox4; ++t) {
        QTest::addRow("family A %d: the flasher", t) << t << false << flasher << false;
        QTest::addRow("family A %d: the flasher, updater or not", t) << t << true << flasher << false;
    }
    QTest::newRow("OX7EU where the updater runs") << int(Ox7EU) << true << external << true;
    QTest::newRow("OX7EU elsewhere: the flasher") << int(Ox7EU) << false << flasher << true;
    for (int t : {int(Ox2), int(Ox6), int(Ox1), int(Ox2S), int(Ox1S), int(Ox5), int(Ox8), int(Ox6PictureCode)})
        QTest::addRow("family B or C %d: the updater", t) << t << false << external << true;
    QTest::newRow("code 16: the updater without asking") << int(Ox2PictureCode) << true << external << false;
}

void TstUpdateRules::route()
{
    QFETCH(int, type);
    QFETCH(bool, externalRuns);
    QFETCH(int, route);
    QFETCH(bool, asks);
    QCOMPARE(int(updateRoute(type, externalRuns)), route);
    QCOMPARE(asksBeforeExternalUpdater(type), asks);
}

QTEST_APPLESS_MAIN(TstUpdateRules)
#include "tst_updaterules.moc"
