#include "device/familya/familyaprofilefiles.h"
#include "config/jsonfile.h"
#include "config/jsonkeys.h"
#include "config/oldtxtprofile.h"
#include "config/paths.h"
#include "config/profiledefaults.h"
#include "device/familya/familyaimage.h"
#include "tests/common/bytesutil.h"
#include "tests/common/testutil.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtTest>

using namespace familya;

using Buffers = QVector<QByteArray>;
Q_DECLARE_METATYPE(Buffers)

namespace {
constexpr int kType = 11; // an OX7

// A buffer holding a macro page whose first bytes are the given ones.
QByteArray buffer(const char *hex)
{
    QByteArray b = emptyMacroBuffer();
    const QByteArray head = hexBytes(hex);
    std::copy(head.cbegin(), head.cend(), b.begin());
    return b;
}

Buffers emptyBuffers()
{
    return Buffers(kMacroBufferCount, emptyMacroBuffer());
}

QByteArray pattern(int size, int seed)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 53 + seed) & 0xFF);
    return b;
}

bool writeAll(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}
} // namespace

class TestFamilyAProfileFiles : public QObject
{
    Q_OBJECT

private slots:
    void unusableFactoryCopyIsRebuilt_data();
    void unusableFactoryCopyIsRebuilt();
    void roundTrip_data();
    void roundTrip();
    void damagedFileFallsBack_data();
    void damagedFileFallsBack();
    void writeKeepsForeignMembers();
    void oldTextIntoRoot_data();
    void oldTextIntoRoot();
    void oldTextOfTheImage();
    void matchingConfig_data();
    void matchingConfig();
};

// The factory copy is what a reset brings back: one the model cannot work
// with (a reset then failed, or left the mouse unreadable) is rebuilt from
// the built-in block, and what was there is kept beside it.
void TestFamilyAProfileFiles::unusableFactoryCopyIsRebuilt_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("an empty block") << QByteArray(R"({"MouseDataOfGamingMode":{}})");
    QTest::newRow("strings") << QByteArray(R"({"MouseDataOfGamingMode":{"0":"x","1":"y"}})");
    QTest::newRow("not JSON") << QByteArray(R"({"MouseDataOfGam)");
}

void TestFamilyAProfileFiles::unusableFactoryCopyIsRebuilt()
{
    QFETCH(QByteArray, content);
    TempAppDir app;
    const QString path = getConfigJsonFilePath(kType, 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    const QByteArray defaults = korvanDefaultBlock(kType);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Config0.json was damaged"));
    ProfileFiles files;
    QByteArray record;
    Buffers macros;
    QVERIFY(files.read(kType, 0, record, macros));
    QCOMPARE(record.toHex(), defaults.toHex());
    QCOMPARE(readJsonRootObject(path).keys(), QStringList{"MouseDataOfGamingMode"});
    const QStringList aside = QDir(QFileInfo(path).path()).entryList({"Config0.json.damaged-*"}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QFile kept(QFileInfo(path).path() + "/" + aside.first());
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), content);
}

void TestFamilyAProfileFiles::roundTrip_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<Buffers>("macros");
    QTest::addColumn<Buffers>("readBack");

    QTest::newRow("defaults without macros") << korvanDefaultBlock(kType) << emptyBuffers() << emptyBuffers();
    QTest::newRow("every record byte value") << pattern(kRecordSize, 7) << emptyBuffers() << emptyBuffers();

    Buffers macros = emptyBuffers();
    macros[1] = buffer("0a000100" "650004" "000004");
    macros[kFirstListMacroBuffer + 2] = buffer("07000300" "ff7f04");
    QTest::newRow("first-kind and list macros") << korvanDefaultBlock(kType) << macros << macros;

    Buffers broken = macros;
    broken[3] = buffer("05000100" "6500");
    QTest::newRow("a size of part entries is not stored") << korvanDefaultBlock(kType) << broken << macros;
}

void TestFamilyAProfileFiles::roundTrip()
{
    QFETCH(QByteArray, record);
    QFETCH(Buffers, macros);
    QFETCH(Buffers, readBack);

    TempAppDir app;
    ProfileFiles files;
    QVERIFY(files.write(kType, 2, record, macros));
    QByteArray record2;
    Buffers macros2;
    files.read(kType, 2, record2, macros2);
    QCOMPARE(record2.toHex(), record.toHex());
    QCOMPARE(macros2.size(), kMacroBufferCount);
    for (int i = 0; i < kMacroBufferCount; ++i)
        QVERIFY2(macros2[i] == readBack[i], qPrintable(QString("buffer %1").arg(i)));
    QCOMPARE(files.readRecord(kType, 2), record);
}

void TestFamilyAProfileFiles::damagedFileFallsBack_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not JSON") << QByteArray("Config2");
    QTest::newRow("an array root") << QByteArray(R"([{"MouseDataOfGamingMode":{}}])");
    QTest::newRow("members of the wrong kind")
        << QByteArray(R"({"MouseDataOfGamingMode":[1,2],"MacroDataOfGamingMode":7})");
}

void TestFamilyAProfileFiles::damagedFileFallsBack()
{
    QFETCH(QByteArray, content);

    TempAppDir app;
    QVERIFY(writeAll(getConfigJsonFilePath(kType, 2), content));
    ProfileFiles files;
    QByteArray record;
    Buffers macros;
    files.read(kType, 2, record, macros);
    QCOMPARE(record, korvanDefaultBlock(kType));
    QCOMPARE(macros, emptyBuffers());

    // A save over the damage leaves a file that reads back whole.
    Buffers saved = emptyBuffers();
    saved[4] = buffer("07000100" "650004");
    QVERIFY(files.write(kType, 2, pattern(kRecordSize, 1), saved));
    files.read(kType, 2, record, macros);
    QCOMPARE(record, pattern(kRecordSize, 1));
    QCOMPARE(macros, saved);
}

void TestFamilyAProfileFiles::writeKeepsForeignMembers()
{
    TempAppDir app;
    const QString path = getConfigJsonFilePath(kType, 3);
    const QJsonObject later{{"MacroSize", 4}, {"RepeatTimes", 1}, {"Macro", QJsonArray{}}};
    QVERIFY(writeJsonFile(path, QJsonObject{{"Extra", 7}, {"MacroDataOfGamingMode", QJsonObject{{"20", later}}}}));
    ProfileFiles files;
    QVERIFY(files.write(kType, 3, korvanDefaultBlock(kType), emptyBuffers()));
    const QJsonObject root = readJsonRootObject(path);
    QCOMPARE(root.value("Extra").toInt(), 7);
    const QJsonObject macros = root.value(jsonkeys::kMacroData).toObject();
    QCOMPARE(macros.value("20").toObject(), later);
    QCOMPARE(macros.size(), kMacroBufferCount + 1);
}

void TestFamilyAProfileFiles::oldTextIntoRoot_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<bool>("kept");

    QTest::newRow("a first-kind page") << 0 << hexBytes("0a000100" "650004" "000004") << true;
    QTest::newRow("the last list page") << kMacroBufferCount - 1 << hexBytes("07000100" "650004") << true;
    QTest::newRow("a position past the buffers") << kMacroBufferCount << hexBytes("07000100" "650004") << false;
    QTest::newRow("a record longer than a page") << 2 << QByteArray(kMacroPageSize + 1, '\x01') << false;
}

void TestFamilyAProfileFiles::oldTextIntoRoot()
{
    QFETCH(int, position);
    QFETCH(QByteArray, record);
    QFETCH(bool, kept);

    OldTxtProfile profile;
    profile.dialect = dialects::kKorvan;
    profile.block = pattern(kRecordSize, 3);
    profile.macros.insert(position, record);
    const QJsonObject root = putOldTxtProfileIntoRoot(QJsonObject{{"Extra", 1}, {"MacroDataOfGamingMode",
                                                                   QJsonObject{{"20", QJsonObject{}}}}},
                                                      profile);

    TempAppDir app;
    QVERIFY(writeJsonFile(getConfigJsonFilePath(kType, 1), root));
    ProfileFiles files;
    QByteArray block;
    Buffers macros;
    files.read(kType, 1, block, macros);
    QCOMPARE(block, profile.block);
    Buffers expected = emptyBuffers();
    if (kept)
        expected[position] = macroBufferFromPage(record);
    QCOMPARE(macros, expected);
    // The text replaces the macros as a whole; other members stay.
    QCOMPARE(root.value(jsonkeys::kMacroData).toObject().size(), kMacroBufferCount);
    QCOMPARE(root.value("Extra").toInt(), 1);
}

void TestFamilyAProfileFiles::oldTextOfTheImage()
{
    Buffers macros = emptyBuffers();
    macros[5] = buffer("0a000100" "650004" "000004");
    macros[6] = buffer("05000100" "6500"); // not whole entries
    macros[12] = buffer("04000100");        // a header alone
    const OldTxtProfile profile = oldTxtProfileOf(pattern(kRecordSize, 9), macros);
    QCOMPARE(profile.dialect, QStringLiteral("Korvan"));
    QCOMPARE(profile.block, pattern(kRecordSize, 9));
    QCOMPARE(profile.macros.keys(), QList<int>{5});

    // What the text keeps comes back the same.
    OldTxtProfile parsed;
    QVERIFY(parseOldTxtProfile(writeOldTxtProfile(profile), dialects::kKorvan, kRecordSize, parsed));
    QCOMPARE(putOldTxtProfileIntoRoot({}, parsed), putOldTxtProfileIntoRoot({}, profile));
}

void TestFamilyAProfileFiles::matchingConfig_data()
{
    QTest::addColumn<int>("changedByte");
    QTest::addColumn<int>("found");

    // Files 1..5 hold records 1..5; the mouse holds record 3, changed in one byte.
    QTest::newRow("the same record") << -1 << 3;
    QTest::newRow("the current profile word is not compared") << 0 << 3;
    QTest::newRow("the battery word is not compared") << kRecordBatteryOffset << 3;
    QTest::newRow("the first button byte is compared") << kRecordCompareOffset << 0;
    QTest::newRow("the last compared byte") << kRecordCompareOffset + kRecordCompareSize - 1 << 0;
    QTest::newRow("the last four bytes are not compared") << kRecordCompareOffset + kRecordCompareSize << 3;
}

void TestFamilyAProfileFiles::matchingConfig()
{
    QFETCH(int, changedByte);
    QFETCH(int, found);

    TempAppDir app;
    ProfileFiles files;
    for (int n = 1; n <= 5; ++n)
        QVERIFY(files.write(kType, n, pattern(kRecordSize, n), emptyBuffers()));
    QByteArray record = pattern(kRecordSize, 3);
    if (changedByte >= 0)
        record[changedByte] = char(record[changedByte] ^ 0x40);
    QCOMPARE(files.findMatchingConfig(kType, record), found);
}

QTEST_APPLESS_MAIN(TestFamilyAProfileFiles)
#include "tst_familyaprofilefiles.moc"
