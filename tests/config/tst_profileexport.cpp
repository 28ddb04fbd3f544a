#include "config/profileexport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

namespace {

QJsonObject gearTable(int stages)
{
    QJsonArray data;
    for (int i = 0; i < stages; ++i)
        data.append(QJsonObject{{QStringLiteral("Value"), 400 * (i + 1)}});
    return QJsonObject{{QStringLiteral("GearData"), data}, {QStringLiteral("CurrentGear"), 2}};
}

ProfileExport sample()
{
    ProfileExport e;
    e.model = QStringLiteral("ox7");
    e.typeCode = 11;
    e.profile = 3;
    e.config = QJsonObject{{QStringLiteral("MouseDataOfGamingMode"), QJsonObject{{QStringLiteral("Dpi"), 800}}},
                           {QStringLiteral("Macro"), QJsonArray{1, 2}}};
    e.cpiSetting = gearTable(7);
    return e;
}

// The sample written out, with one member of the root replaced (or removed
// when the value is undefined).
QByteArray sampleWith(const QString &key, const QJsonValue &value)
{
    QJsonObject o = QJsonDocument::fromJson(writeProfileExport(sample())).object();
    if (value.isUndefined())
        o.remove(key);
    else
        o.insert(key, value);
    return QJsonDocument(o).toJson();
}

} // namespace

class TstProfileExport : public QObject
{
    Q_OBJECT

private slots:
    void writtenFile();
    void read_data();
    void read();
};

void TstProfileExport::writtenFile()
{
    const QByteArray bytes = writeProfileExport(sample());
    const QJsonObject o = QJsonDocument::fromJson(bytes).object();
    QCOMPARE(o.value(QStringLiteral("format")).toString(), QStringLiteral("ox8ctl-profile"));
    QCOMPARE(o.value(QStringLiteral("version")).toInt(), 1);
    QCOMPARE(o.value(QStringLiteral("model")).toString(), QStringLiteral("ox7"));
    QCOMPARE(o.value(QStringLiteral("typeCode")).toInt(), 11);
    QCOMPARE(o.value(QStringLiteral("profile")).toInt(), 3);
    QCOMPARE(o.value(QStringLiteral("config")).toObject(), sample().config);
    QCOMPARE(o.value(QStringLiteral("cpiSetting")).toObject(), sample().cpiSetting);
    QCOMPARE(o.size(), 7);
    // Indented, so a person can read and edit it.
    QVERIFY(bytes.contains("\n    \"config\""));
}

void TstProfileExport::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("withCpiTable");

    const QByteArray written = writeProfileExport(sample());
    QTest::newRow("what export writes") << written << true << "ox7" << true;
    QTest::newRow("compact JSON") << QJsonDocument::fromJson(written).toJson(QJsonDocument::Compact) << true << "ox7"
                                  << true;
    QTest::newRow("model left to the caller") << sampleWith(QStringLiteral("model"), QStringLiteral("ox6")) << true
                                              << "ox6" << true;
    QTest::newRow("no model reads empty") << sampleWith(QStringLiteral("model"), QJsonValue::Undefined) << true << ""
                                          << true;
    QTest::newRow("no version is accepted") << sampleWith(QStringLiteral("version"), QJsonValue::Undefined) << true
                                            << "ox7" << true;
    QTest::newRow("CPI table of six stages left out")
        << sampleWith(QStringLiteral("cpiSetting"), gearTable(6)) << true << "ox7" << false;
    QTest::newRow("CPI table of eight stages left out")
        << sampleWith(QStringLiteral("cpiSetting"), gearTable(8)) << true << "ox7" << false;
    QTest::newRow("CPI table that is no object left out")
        << sampleWith(QStringLiteral("cpiSetting"), QJsonArray{1, 2, 3, 4, 5, 6, 7}) << true << "ox7" << false;
    QTest::newRow("no CPI table") << sampleWith(QStringLiteral("cpiSetting"), QJsonValue::Undefined) << true << "ox7"
                                  << false;

    QTest::newRow("empty file") << QByteArray() << false << "" << false;
    QTest::newRow("cut off") << QByteArray("{\"format\":\"ox8ctl-profile\",\"config\":[") << false << "" << false;
    QTest::newRow("cut in half") << written.left(written.size() / 2) << false << "" << false;
    QTest::newRow("garbage after the object") << written + "}" << false << "" << false;
    QTest::newRow("not JSON") << QByteArray("format=ox8ctl-profile") << false << "" << false;
    QTest::newRow("an array") << QByteArray("[{\"format\":\"ox8ctl-profile\"}]") << false << "" << false;
    QTest::newRow("a bare profile file") << QByteArray("{\"MouseDataOfGamingMode\":{}}") << false << "" << false;
    QTest::newRow("another format") << sampleWith(QStringLiteral("format"), QStringLiteral("ox8ctl-macro")) << false
                                    << "" << false;
    QTest::newRow("format in other case") << sampleWith(QStringLiteral("format"), QStringLiteral("OX8CTL-PROFILE"))
                                          << false << "" << false;
    QTest::newRow("format as a number") << sampleWith(QStringLiteral("format"), 1) << false << "" << false;
    QTest::newRow("no config") << sampleWith(QStringLiteral("config"), QJsonValue::Undefined) << false << "" << false;
    QTest::newRow("config that is no object") << sampleWith(QStringLiteral("config"), QStringLiteral("x")) << false
                                              << "" << false;
    QTest::newRow("config without its gaming-mode object")
        << sampleWith(QStringLiteral("config"), QJsonObject{{QStringLiteral("Macro"), QJsonArray()}}) << false << ""
        << false;
    QTest::newRow("gaming mode that is no object")
        << sampleWith(QStringLiteral("config"), QJsonObject{{QStringLiteral("MouseDataOfGamingMode"), 5}}) << false
        << "" << false;
    QByteArray huge = written;
    huge.append(QByteArray(int(kMaxProfileExportSize) - huge.size() + 1, ' '));
    QTest::newRow("one byte over the size limit") << huge << false << "" << false;
    QByteArray atLimit = written;
    atLimit.append(QByteArray(int(kMaxProfileExportSize) - atLimit.size(), ' '));
    QTest::newRow("exactly at the size limit") << atLimit << true << "ox7" << true;
}

void TstProfileExport::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    QFETCH(QString, model);
    QFETCH(bool, withCpiTable);

    ProfileExport out;
    out.model = QStringLiteral("untouched");
    out.typeCode = -1;
    QCOMPARE(readProfileExport(bytes, out), ok);
    if (!ok) {
        QCOMPARE(out.model, QStringLiteral("untouched"));
        QCOMPARE(out.typeCode, -1);
        QVERIFY(out.config.isEmpty());
        return;
    }
    QCOMPARE(out.model, model);
    QCOMPARE(out.typeCode, 11);
    QCOMPARE(out.profile, 3);
    QCOMPARE(out.config, sample().config);
    QCOMPARE(out.cpiSetting, withCpiTable ? sample().cpiSetting : QJsonObject());
}

QTEST_APPLESS_MAIN(TstProfileExport)
#include "tst_profileexport.moc"
