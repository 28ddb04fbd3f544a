// LastVersion against the local ox8cloud and, for the answers ox8cloud never
// gives, a scripted HTTP stand-in.
#include "tests/common/cloudserver.h"
#include "tests/common/httpstandin.h"
#include "tests/common/languagetestutil.h"
#include "tests/common/testutil.h"
#include "update/lastversion.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Answer
{
    int code = 999;
    QString msg;
    QString version;
    QString path;
    QString date;
};

Answer ask(LastVersion &checker, const QString &name, bool software = false)
{
    QSignalSpy spy(&checker, &LastVersion::sigLastVersionRet);
    if (software)
        checker.RpLastSoftwareVersionJson(name);
    else
        checker.RpLastFirmVersionJson(name);
    if (!spy.wait(20000) || spy.count() != 1)
        return {};
    const QList<QVariant> a = spy.first();
    return {a.at(0).toInt(), a.at(1).toString(), a.at(2).toString(), a.at(3).toString(), a.at(4).toString()};
}
} // namespace

class TstLastVersion : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void publishedVersions();
    void failures_data();
    void failures();
    void requestShape();
    void replyMembers_data();
    void replyMembers();

private:
    CloudServerProcess m_server;
    QTemporaryDir m_files;
};

void TstLastVersion::initTestCase()
{
    QVERIFY(m_server.start());
    QFile image(m_files.filePath(QStringLiteral("Nuc123.bin")));
    QVERIFY(image.open(QIODevice::WriteOnly));
    image.write(QByteArray(700, char(0x5A)));
    image.close();
    QCOMPARE(m_server.admin({QStringLiteral("publish-firmware"), QStringLiteral("ox7"), QStringLiteral("0032"),
                             image.fileName(), QStringLiteral("--date"), QStringLiteral("2024-05-01")}),
             0);
    QCOMPARE(m_server.admin({QStringLiteral("publish-software"), QStringLiteral("ox8"), QStringLiteral("1.2.0"),
                             QStringLiteral("--url"), QStringLiteral("https://downloads.example.org/ox8-1.2.0.deb"),
                             QStringLiteral("--date"), QStringLiteral("2024-06-01")}),
             0);
}

void TstLastVersion::init()
{
    qunsetenv("OX8_CLOUD_URL");
}

void TstLastVersion::publishedVersions()
{
    NumberedLanguageTable texts(800);
    LastVersion checker;
    checker.setBaseUrl(m_server.baseUrl());

    const Answer firmware = ask(checker, QStringLiteral("ox7"));
    QCOMPARE(firmware.code, 0);
    QCOMPARE(firmware.version, QStringLiteral("0032"));
    QCOMPARE(firmware.date, QStringLiteral("2024-05-01"));
    QCOMPARE(firmware.path, m_server.baseUrl().toString() + QStringLiteral("/packages/ox7-firmware/0032/Nuc123.bin"));

    const Answer software = ask(checker, QStringLiteral("ox8"), true);
    QCOMPARE(software.code, 0);
    QCOMPARE(software.version, QStringLiteral("1.2.0"));
    QCOMPARE(software.path, QStringLiteral("https://downloads.example.org/ox8-1.2.0.deb"));
    QCOMPARE(software.date, QStringLiteral("2024-06-01"));

    // Nothing published: the service's code and message, no texts.
    const Answer none = ask(checker, QStringLiteral("ox4"));
    QCOMPARE(none.code, 10017);
    QVERIFY(none.msg.contains(QStringLiteral("ox4-firmware")));
    QVERIFY(none.version.isEmpty() && none.path.isEmpty() && none.date.isEmpty());
}

void TstLastVersion::failures_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("text");
    QTest::newRow("no service configured") << "none" << 760;
    QTest::newRow("nobody listens") << "closed" << 580;
    QTest::newRow("the connection drops") << "drop" << 580;
    QTest::newRow("an HTML page") << "html" << 581;
    QTest::newRow("JSON that is no object") << "array" << 581;
    QTest::newRow("an error status") << "status" << 580;
}

void TstLastVersion::failures()
{
    QFETCH(QString, how);
    QFETCH(int, text);
    NumberedLanguageTable texts(800);
    TempAppDir app;
    HttpStandIn standIn;
    LastVersion checker;
    if (how == QLatin1String("closed")) {
        // A port that was free a moment ago.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        checker.setBaseUrl(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port)));
    } else if (how != QLatin1String("none")) {
        checker.setBaseUrl(standIn.url());
        HttpStandIn::Answer a;
        if (how == QLatin1String("drop"))
            a.dropConnection = true;
        else if (how == QLatin1String("html"))
            a = {200, "text/html", "<html><body>" + QByteArray(300, 'x') + "</body></html>", {}, false};
        else if (how == QLatin1String("array"))
            a = HttpStandIn::json("[1,2,3]");
        else
            a = {500, "text/html", "<html>" + QByteArray(2000, 'x') + "</html>", {}, false};
        standIn.answerWith(a);
    }
    const Answer r = ask(checker, QStringLiteral("ox7"));
    QCOMPARE(r.code, -1);
    QCOMPARE(r.msg, NumberedLanguageTable::text(text));
    QVERIFY(r.version.isEmpty() && r.path.isEmpty() && r.date.isEmpty());
}

void TstLastVersion::requestShape()
{
    HttpStandIn standIn;
    standIn.answerWith(HttpStandIn::json(R"({"code":0,"msg":"success","data":{"version":"1"}})"));
    LastVersion checker;
    checker.setBaseUrl(standIn.url(QStringLiteral("/api")));
    ask(checker, QStringLiteral("ox7eu"));
    ask(checker, QStringLiteral("ox8"), true);
    QCOMPARE(standIn.requests().size(), 2);
    for (const HttpStandIn::Request &r : standIn.requests()) {
        QCOMPARE(r.method, QByteArray("POST"));
        QCOMPARE(r.path, QByteArray("/api/v1/driver/version"));
        QCOMPARE(r.headers.value("content-type"), QByteArray("application/json"));
    }
    QCOMPARE(standIn.requests().at(0).body, QByteArray(R"({"versionType":"ox7eu-firmware"})"));
    QCOMPARE(standIn.requests().at(1).body, QByteArray(R"({"versionType":"ox8-software"})"));
}

void TstLastVersion::replyMembers_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("msg");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("date");

    QTest::newRow("code 0 without data") << QByteArray(R"({"code":0,"msg":"success"})") << 0 << "success" << ""
                                         << "" << "";
    QTest::newRow("numbers are written out")
        << QByteArray(R"({"code":0,"msg":"ok","data":{"version":32,"downloadUrl":"https://x.example/a","versionDate":20240501}})")
        << 0 << "ok" << "32" << "https://x.example/a" << "20240501";
    QTest::newRow("what is neither text nor a whole number is empty")
        << QByteArray(R"({"code":0,"msg":"ok","data":{"version":3.5,"downloadUrl":{"a":1},"versionDate":null}})")
        << 0 << "ok" << "" << "" << "";
    QTest::newRow("a missing code counts as 0") << QByteArray(R"({"msg":"m","data":{"version":"7"}})") << 0 << "m"
                                               << "7" << "" << "";
    QTest::newRow("a refusal keeps the server's message")
        << QByteArray(R"({"code":10015,"msg":"The model name is not accepted."})") << 10015
        << "The model name is not accepted." << "" << "" << "";
}

void TstLastVersion::replyMembers()
{
    QFETCH(QByteArray, body);
    QFETCH(int, code);
    QFETCH(QString, msg);
    QFETCH(QString, version);
    QFETCH(QString, path);
    QFETCH(QString, date);
    HttpStandIn standIn;
    standIn.answerWith(HttpStandIn::json(body));
    LastVersion checker;
    checker.setBaseUrl(standIn.url());
    const Answer r = ask(checker, QStringLiteral("ox7"));
    QCOMPARE(r.code, code);
    QCOMPARE(r.msg, msg);
    QCOMPARE(r.version, version);
    QCOMPARE(r.path, path);
    QCOMPARE(r.date, date);
}

QTEST_GUILESS_MAIN(TstLastVersion)
#include "tst_lastversion.moc"
