#include "device/familyb/familybprofilefiles.h"
#include "config/jsonfile.h"
#include "config/jsonkeys.h"
#include "config/oldtxtprofile.h"
#include "config/paths.h"
#include "config/profiledefaults.h"
#include "tests/common/testutil.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QFile>
#include <QtTest>

using namespace familyb;

using Macros = QMap<int, Macro>;
Q_DECLARE_METATYPE(Macros)

namespace {
constexpr int kType = 3; // an OX2

QByteArray pattern(int size, int seed)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 53 + seed) & 0xFF);
    return b;
}

Macro macro(quint8 high, quint8 low, const QVector<quint16> &entries)
{
    Macro m;
    m.header = {{high, low}};
    m.entries = entries;
    return m;
}

// The block with a button's word replaced.
QByteArray withButtonWord(QByteArray block, int button, const ButtonWord &word)
{
    const int at = buttonWordOffset(button, kType) - kSettingsOffset;
    for (int i = 0; i < 4; ++i)
        block[at + i] = char(word[size_t(i)]);
    return block;
}
} // namespace

class TestFamilyBProfileFiles : public QObject
{
    Q_OBJECT

private slots:
    void unusableFactoryCopyIsRebuilt_data();
    void unusableFactoryCopyIsRebuilt();
    void roundTrip_data();
    void roundTrip();
    void macroMemberKeys_data();
    void macroMemberKeys();
    void workingCopyAndFileBlock_data();
    void workingCopyAndFileBlock();
    void macrosTheButtonsUse_data();
    void macrosTheButtonsUse();
    void oldTextIntoRoot_data();
    void oldTextIntoRoot();
    void matchingConfig_data();
    void matchingConfig();
};

// The factory copy is what a reset brings back: one the model cannot work
// with (a reset then failed, or left the mouse unreadable) is rebuilt from
// the built-in block, and what was there is kept beside it.
void TestFamilyBProfileFiles::unusableFactoryCopyIsRebuilt_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("an empty block") << QByteArray(R"({"MouseDataOfGamingMode":{}})");
    QTest::newRow("strings") << QByteArray(R"({"MouseDataOfGamingMode":{"0":"x","1":"y"}})");
    QTest::newRow("not JSON") << QByteArray(R"({"MouseDataOfGam)");
}

void TestFamilyBProfileFiles::unusableFactoryCopyIsRebuilt()
{
    QFETCH(QByteArray, content);
    TempAppDir app;
    const QString path = getConfigJsonFilePath(kType, 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    const QByteArray defaults = haldenDefaultBlock(kType);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Config0.json was damaged"));
    ProfileFiles files;
    QCOMPARE(files.readBlock(kType, 0).toHex(), defaults.toHex());
    QCOMPARE(readJsonRootObject(path).keys(), QStringList{"MouseDataOfGamingMode"});
    const QStringList aside = QDir(QFileInfo(path).path()).entryList({"Config0.json.damaged-*"}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QFile kept(QFileInfo(path).path() + "/" + aside.first());
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), content);
}

void TestFamilyBProfileFiles::roundTrip_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<Macros>("macros");
    QTest::addColumn<Macros>("readBack");

    QTest::newRow("defaults without macros") << haldenDefaultBlock(kType) << Macros{} << Macros{};
    QTest::newRow("every block byte value") << pattern(kFileBlockSize, 5) << Macros{} << Macros{};
    const Macros two{{0, macro(0x00, 0x02, {0x0104, 0x4032, 0x0204})},
                     {kMacroSlotCount - 1, macro(0x01, 0x2C, {0x0105, 0x0205})}};
    QTest::newRow("the first and the last slot") << haldenDefaultBlock(kType) << two << two;
    Macros unusable = two;
    unusable.insert(3, macro(0x00, 0x01, {0x0104, 0x0000, 0x0204})); // ends early on the device
    unusable.insert(4, macro(0x00, 0x00, {0x0104}));                 // reads back as absent
    unusable.insert(5, macro(0x00, 0x01, QVector<quint16>(kMaxMacroEntries + 1, 0x4001)));
    QTest::newRow("macros the device could not take back are left out") << haldenDefaultBlock(kType) << unusable
                                                                        << two;
}

void TestFamilyBProfileFiles::roundTrip()
{
    QFETCH(QByteArray, block);
    QFETCH(Macros, macros);
    QFETCH(Macros, readBack);

    TempAppDir app;
    ProfileFiles files;
    QVERIFY(files.write(kType, 4, block, macros));
    QCOMPARE(files.readBlock(kType, 4).toHex(), block.toHex());
    QCOMPARE(files.readMacros(kType, 4), readBack);
}

void TestFamilyBProfileFiles::macroMemberKeys_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("slot");

    QTest::newRow("a slot") << "7" << 7;
    QTest::newRow("the last slot") << "15" << 15;
    QTest::newRow("past the slots") << "16" << -1;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("not a number") << "x" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestFamilyBProfileFiles::macroMemberKeys()
{
    QFETCH(QString, key);
    QFETCH(int, slot);

    QCOMPARE(macroSlotOfKey(key), slot);
    TempAppDir app;
    const QJsonObject stored{{key, QJsonObject{{"RepeatTimes", 1}, {"Macro", QJsonArray{4, 1, 4, 2}}}}};
    QVERIFY(writeJsonFile(getConfigJsonFilePath(kType, 1), QJsonObject{{jsonkeys::kMacroData, stored}}));
    ProfileFiles files;
    const Macros read = files.readMacros(kType, 1);
    QCOMPARE(read.keys(), slot < 0 ? QList<int>{} : QList<int>{slot});
    if (slot >= 0)
        QCOMPARE(read.value(slot), macro(0x00, 0x01, {0x0104, 0x0204}));
}

void TestFamilyBProfileFiles::workingCopyAndFileBlock_data()
{
    QTest::addColumn<bool>("keepButtons");
    QTest::newRow("everything from the file") << false;
    QTest::newRow("the buttons stay") << true;
}

void TestFamilyBProfileFiles::workingCopyAndFileBlock()
{
    QFETCH(bool, keepButtons);

    const QByteArray oldSettings = pattern(kSettingsSize, 1);
    const QByteArray oldProfile = pattern(kProfileSize, 2);
    const QByteArray block = pattern(kFileBlockSize, 9);
    QByteArray settings = oldSettings;
    QByteArray profile = oldProfile;
    applyFileBlock(block, keepButtons, settings, profile);

    const int buttons = kButtonWordsOffset - kSettingsOffset;
    const int buttonBytes = 4 * kButtonWordCount;
    for (int i = 0; i < kSettingsSize; ++i) {
        const bool button = i >= buttons && i < buttons + buttonBytes;
        const char expected = keepButtons && button ? oldSettings[i] : block[i];
        QVERIFY2(settings[i] == expected, qPrintable(QString("settings byte %1").arg(i)));
    }
    // The two bytes after the settings block live in the profile.
    QCOMPARE(profile.left(kProfileSize - 2), oldProfile.left(kProfileSize - 2));
    QCOMPARE(profile.right(2), block.right(2));
    QCOMPARE(profile.size(), kProfileSize);
    if (!keepButtons)
        QCOMPARE(fileBlockOf(settings, profile), block);
}

void TestFamilyBProfileFiles::macrosTheButtonsUse_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QList<int>>("usedSlots");

    const QByteArray defaults = haldenDefaultBlock(kType);
    QTest::newRow("factory buttons use none") << defaults << QList<int>{};
    QTest::newRow("a single macro on the right button")
        << withButtonWord(defaults, 6, singleMacroWord(1, 0)) << QList<int>{1};
    QTest::newRow("a list of three on the left button")
        << withButtonWord(defaults, 4, macroListWord(3)) << QList<int>{0, 13, 14};
    QTest::newRow("a slot the file does not hold") << withButtonWord(defaults, 6, singleMacroWord(9, 0))
                                                    << QList<int>{};
}

void TestFamilyBProfileFiles::macrosTheButtonsUse()
{
    QFETCH(QByteArray, block);
    QFETCH(QList<int>, usedSlots);

    Macros inFile;
    for (int slot : {0, 1, 2, 13, 14, 15})
        inFile.insert(slot, macro(0x00, quint8(slot + 1), {quint16(0x0104 + slot)}));
    const Macros used = macrosUsedByBlock(block, inFile, kType);
    QCOMPARE(used.keys(), usedSlots);
    for (int slot : usedSlots)
        QCOMPARE(used.value(slot), inFile.value(slot));
}

void TestFamilyBProfileFiles::oldTextIntoRoot_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<bool>("kept");

    QTest::newRow("a record ending inside an entry") << 2 << QByteArray::fromHex("00030401050240") << false;
    QTest::newRow("repeat and two entries") << 2 << QByteArray::fromHex("000304010402") << true;
    QTest::newRow("the last slot") << kMacroSlotCount - 1 << QByteArray::fromHex("01000401") << true;
    QTest::newRow("a position past the slots") << kMacroSlotCount << QByteArray::fromHex("00010401") << false;
    QTest::newRow("shorter than the repeat bytes") << 2 << QByteArray::fromHex("00") << false;
}

void TestFamilyBProfileFiles::oldTextIntoRoot()
{
    QFETCH(int, position);
    QFETCH(QByteArray, record);
    QFETCH(bool, kept);

    OldTxtProfile profile;
    profile.dialect = dialects::kHalden;
    profile.block = pattern(kFileBlockSize, 4);
    profile.macros.insert(position, record);
    profile.macros.insert(0, QByteArray::fromHex("00010501"));
    const QJsonObject root = putOldTxtProfileIntoRoot(QJsonObject{{"Extra", 1}}, profile);
    QCOMPARE(root.value("Extra").toInt(), 1);

    TempAppDir app;
    QVERIFY(writeJsonFile(getConfigJsonFilePath(kType, 1), root));
    ProfileFiles files;
    QCOMPARE(files.readBlock(kType, 1), profile.block);
    Macros expected{{0, macro(0x00, 0x01, {0x0105})}};
    if (kept) {
        Macro m;
        QVERIFY(unpackMacroRecord(record, m));
        expected.insert(position, m);
    }
    QCOMPARE(files.readMacros(kType, 1), expected);
}

void TestFamilyBProfileFiles::matchingConfig_data()
{
    QTest::addColumn<int>("changedByte");
    QTest::addColumn<int>("found");

    // Files 1..5 hold blocks 1..5; the working copy is block 3, changed in one byte.
    QTest::newRow("the same settings") << -1 << 3;
    QTest::newRow("the first settings byte") << 0 << 0;
    QTest::newRow("the last settings byte") << kSettingsSize - 1 << 0;
}

void TestFamilyBProfileFiles::matchingConfig()
{
    QFETCH(int, changedByte);
    QFETCH(int, found);

    TempAppDir app;
    ProfileFiles files;
    for (int n = 1; n <= 5; ++n)
        QVERIFY(files.write(kType, n, pattern(kFileBlockSize, n), Macros{}));
    // The two bytes after the settings are not part of the match.
    QByteArray settings = pattern(kFileBlockSize, 3).left(kSettingsSize);
    if (changedByte >= 0)
        settings[changedByte] = char(settings[changedByte] ^ 0x10);
    QCOMPARE(files.findMatchingConfig(kType, settings), found);
}

QTEST_APPLESS_MAIN(TestFamilyBProfileFiles)
#include "tst_familybprofilefiles.moc"
