// The Measurement Protocol hits as the collector sees them: which parameters,
// in which order, how the body is encoded and what the User-Agent says.
#include "analytics/hitbuilder.h"

#include <QtTest>

namespace {
HitContext context(const QString &userId)
{
    HitContext c;
    c.trackingId = QStringLiteral("UA-1234-1");
    c.clientId = QStringLiteral("{cid}");
    c.userId = userId;
    c.language = QStringLiteral("de-de");
    c.dataSource = QStringLiteral("web");
    c.viewportSize = QStringLiteral("960x640");
    c.screenResolution = QStringLiteral("1280x800");
    c.appName = QStringLiteral("ox8driver");
    c.appVersion = QStringLiteral("1.2.3");
    return c;
}

QString keyValues(const HitParameters &hit)
{
    QStringList parts;
    for (const auto &p : hit)
        parts << p.first + QLatin1Char('=') + p.second;
    return parts.join(QLatin1Char('&'));
}

const QString kHead = QStringLiteral("v=1&tid=UA-1234-1&cid={cid}&uid=u7&t=%1&ul=de-de&ds=web&vp=960x640&sr=1280x800");
const QString kHeadNoUid = QStringLiteral("v=1&tid=UA-1234-1&cid={cid}&t=%1&ul=de-de&ds=web&vp=960x640&sr=1280x800");
} // namespace

class TstHitBuilder : public QObject
{
    Q_OBJECT

private slots:
    void hitParameters_data();
    void hitParameters();
    void bodyEncoding_data();
    void bodyEncoding();
    void userAgentSystem_data();
    void userAgentSystem();
    void userAgentAndLanguage();
};

void TstHitBuilder::hitParameters_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("userId");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariantMap>("custom");
    QTest::addColumn<QString>("expected");

    const QVariantMap none;
    const QVariantMap custom{{QStringLiteral("cd1"), 5}, {QStringLiteral("sc"), QStringLiteral("start")}};
    QTest::newRow("page view: cd, an, av, then dp and dt")
        << "page" << "u7" << "Lighting" << "" << QVariant() << none
        << kHead.arg("pageview") + "&cd=Lighting&an=ox8driver&av=1.2.3&dp=Lighting&dt=Lighting";
    QTest::newRow("page view without a name has no dp or dt")
        << "page" << "u7" << "" << "" << QVariant() << none
        << kHead.arg("pageview") + "&cd=&an=ox8driver&av=1.2.3";
    QTest::newRow("page view: custom values come last")
        << "page" << "u7" << "Macro" << "" << QVariant() << custom
        << kHead.arg("pageview") + "&cd=Macro&an=ox8driver&av=1.2.3&dp=Macro&dt=Macro&cd1=5&sc=start";
    QTest::newRow("event with label and value")
        << "event" << "u7" << "" << "Slider" << QVariant(800) << none
        << kHead.arg("event") + "&an=ox8driver&av=1.2.3&ec=cat&ea=act&el=Slider&ev=800";
    QTest::newRow("event: an empty label sends no el")
        << "event" << "u7" << "" << "" << QVariant(3) << none
        << kHead.arg("event") + "&an=ox8driver&av=1.2.3&ec=cat&ea=act&ev=3";
    QTest::newRow("event: an invalid value sends no ev")
        << "event" << "u7" << "" << "Slider" << QVariant() << none
        << kHead.arg("event") + "&an=ox8driver&av=1.2.3&ec=cat&ea=act&el=Slider";
    QTest::newRow("event: value 0 is still a value")
        << "event" << "u7" << "" << "" << QVariant(0) << none
        << kHead.arg("event") + "&an=ox8driver&av=1.2.3&ec=cat&ea=act&ev=0";
    QTest::newRow("an empty user id sends no uid")
        << "event" << "" << "" << "" << QVariant() << custom
        << kHeadNoUid.arg("event") + "&an=ox8driver&av=1.2.3&ec=cat&ea=act&cd1=5&sc=start";
    QTest::newRow("fatal exception")
        << "fatal" << "u7" << "" << "" << QVariant() << none
        << kHead.arg("exception") + "&an=ox8driver&av=1.2.3&exd=boom&exf=1";
    QTest::newRow("exception that is not fatal")
        << "exception" << "u7" << "" << "" << QVariant() << none
        << kHead.arg("exception") + "&an=ox8driver&av=1.2.3&exd=boom&exf=0";
}

void TstHitBuilder::hitParameters()
{
    QFETCH(QString, kind);
    QFETCH(QString, userId);
    QFETCH(QString, name);
    QFETCH(QString, label);
    QFETCH(QVariant, value);
    QFETCH(QVariantMap, custom);
    QFETCH(QString, expected);

    HitParameters hit;
    if (kind == QLatin1String("page"))
        hit = pageViewHit(context(userId), name, custom);
    else if (kind == QLatin1String("event"))
        hit = eventHit(context(userId), QStringLiteral("cat"), QStringLiteral("act"), label, value, custom);
    else
        hit = exceptionHit(context(userId), QStringLiteral("boom"), kind == QLatin1String("fatal"), custom);
    QCOMPARE(keyValues(hit), expected);
}

void TstHitBuilder::bodyEncoding_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("encoded");

    QTest::newRow("plain") << "abc-1.2_~" << QByteArray("k=abc-1.2_~");
    QTest::newRow("a plus is not a space") << "a+b c" << QByteArray("k=a%2Bb%20c");
    QTest::newRow("separators inside a value") << "x&y=z" << QByteArray("k=x%26y%3Dz");
    QTest::newRow("braces of a uuid") << "{ab}" << QByteArray("k=%7Bab%7D");
    QTest::newRow("Chinese as UTF-8") << QString::fromUtf8("改键") << QByteArray("k=%E6%94%B9%E9%94%AE");
}

void TstHitBuilder::bodyEncoding()
{
    QFETCH(QString, value);
    QFETCH(QByteArray, encoded);
    QCOMPARE(encodeHitBody({{QStringLiteral("k"), value}}), encoded);
    QCOMPARE(encodeHitBody({{QStringLiteral("v"), QStringLiteral("1")}, {QStringLiteral("k"), value}}),
             QByteArray("v=1&") + encoded);
}

void TstHitBuilder::userAgentSystem_data()
{
    QTest::addColumn<QString>("kernelType");
    QTest::addColumn<QString>("kernelVersion");
    QTest::addColumn<QString>("arch");
    QTest::addColumn<QString>("expected");

    QTest::newRow("Linux names X11 and the CPU") << "linux" << "6.1.0-13-amd64" << "x86_64" << "X11; Linux x86_64";
    QTest::newRow("Linux on ARM") << "linux" << "6.1.0" << "arm64" << "X11; Linux arm64";
    QTest::newRow("Windows 10 and 11 by major.minor") << "winnt" << "10.0.22631" << "x86_64" << "Windows; Windows NT 10.0";
    QTest::newRow("Windows 7") << "winnt" << "6.1.7601" << "x86_64" << "Windows; Windows NT 6.1";
    QTest::newRow("Windows Server 2003") << "winnt" << "5.2.3790" << "i386" << "Windows; Win Server 2003";
    QTest::newRow("6.10 is not 6.1") << "winnt" << "6.10.1" << "x86_64" << "Windows; unknown";
    QTest::newRow("an unknown Windows") << "winnt" << "3.51" << "i386" << "Windows; unknown";
    QTest::newRow("no kernel type") << "" << "" << "x86_64" << "unknown; x86_64";
}

void TstHitBuilder::userAgentSystem()
{
    QFETCH(QString, kernelType);
    QFETCH(QString, kernelVersion);
    QFETCH(QString, arch);
    QFETCH(QString, expected);
    QCOMPARE(::userAgentSystem(kernelType, kernelVersion, arch), expected);
}

void TstHitBuilder::userAgentAndLanguage()
{
    QCOMPARE(analyticsUserAgent(QStringLiteral("ox8driver"), QStringLiteral("1.2.3"),
                                QStringLiteral("X11; Linux x86_64"), QStringLiteral("zh_CN")),
             QStringLiteral("ox8driver_1.2.3/1.2.3 (X11; Linux x86_64; zh_CN) GAnalytics/1.0 (Qt/5.9.8)"));
    QCOMPARE(analyticsLanguage(QStringLiteral("zh_CN")), QStringLiteral("zh-cn"));
    QCOMPARE(analyticsLanguage(QStringLiteral("C")), QStringLiteral("c"));
}

QTEST_APPLESS_MAIN(TstHitBuilder)
#include "tst_hitbuilder.moc"
