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
    void strictBlock_data();
    void strictBlock();
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

// An imported profile's block, read strictly: a block the readers would take
// as zeros or truncated bytes (and the mouse then could not be read again)
// is refused.
void TstProfileExport::strictBlock_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QString>("refusal"); // empty: accepted

    QByteArray members;
    for (int i = 0; i < 4; ++i)
        members += (i ? "," : "") + QByteArray("\"") + QByteArray::number(i) + "\":" + QByteArray::number(i * 60);
    const QByteArray good = "{\"MouseDataOfGamingMode\":{" + members + "}}";
    QTest::newRow("four whole bytes") << good << "";
    QTest::newRow("with macros in range")
        << QByteArray("{\"MouseDataOfGamingMode\":{" + members
                      + "},\"MacroDataOfGamingMode\":{\"3\":{\"RepeatTimes\":2,\"MacroSize\":7,\"Macro\":[1,2,255]}}}")
        << "";
    QTest::newRow("an empty block") << QByteArray(R"({"MouseDataOfGamingMode":{}})") << "has 0 values";
    QTest::newRow("a block that is no object") << QByteArray(R"({"MouseDataOfGamingMode":[1,2,3,4]})") << "not an object";
    QTest::newRow("text") << QByteArray(R"({"MouseDataOfGamingMode":{"0":"1","1":2,"2":3,"3":4}})") << "byte 0";
    QTest::newRow("negative") << QByteArray(R"({"MouseDataOfGamingMode":{"0":1,"1":-1,"2":3,"3":4}})") << "byte 1";
    QTest::newRow("huge") << QByteArray(R"({"MouseDataOfGamingMode":{"0":1,"1":2,"2":1e300,"3":4}})") << "byte 2";
    QTest::newRow("a fraction") << QByteArray(R"({"MouseDataOfGamingMode":{"0":1,"1":2,"2":3,"3":2.5}})") << "byte 3";
    QTest::newRow("a member out of place") << QByteArray(R"({"MouseDataOfGamingMode":{"0":1,"1":2,"2":3,"9":4}})")
                                           << "byte 3 is missing";
    QTest::newRow("a macro byte out of range")
        << QByteArray("{\"MouseDataOfGamingMode\":{" + members + "},\"MacroDataOfGamingMode\":{\"1\":{\"Macro\":[1,300]}}}")
        << "macro 1";
    QTest::newRow("macros that are no object")
        << QByteArray("{\"MouseDataOfGamingMode\":{" + members + "},\"MacroDataOfGamingMode\":7}") << "not an object";
}

void TstProfileExport::strictBlock()
{
    QFETCH(QByteArray, config);
    QFETCH(QString, refusal);
    const QJsonObject root = QJsonDocument::fromJson(config).object();
    QByteArray block = "untouched";
    QString why;
    QCOMPARE(readStrictProfileBlock(root, 4, block, &why), refusal.isEmpty());
    if (refusal.isEmpty()) {
        QCOMPARE(block, QByteArray::fromHex("003C78B4"));
    } else {
        QCOMPARE(block, QByteArray("untouched"));
        QVERIFY2(why.contains(refusal), qPrintable(why));
    }
}

QTEST_APPLESS_MAIN(TstProfileExport)
#include "tst_profileexport.moc"
