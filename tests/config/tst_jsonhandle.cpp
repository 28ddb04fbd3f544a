#include "config/atomicfile.h"
#include "config/jsonhandle.h"
#include "config/paths.h"
#include "tests/common/fifoguard.h"
#include "tests/common/testutil.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QFile>
#include <QJsonDocument>
#include <QtTest>

#include <sys/stat.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(data), qint64(data.size()));
}

QJsonObject readObjectFile(const QString &path)
{
    return QJsonDocument::fromJson(readAll(path)).object();
}

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// The golden default blocks, written out from the model tables.
QMap<int, QByteArray> goldenBlocks()
{
    QMap<int, QByteArray> blocks;
    const QList<QByteArray> lines = readAll(QStringLiteral(OX8_TEST_DATA_DIR "/config/default_blocks.txt")).split('\n');
    for (const QByteArray &line : lines) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> f = line.split(' ');
        blocks.insert(f.at(0).toInt(), QByteArray::fromHex(f.at(1)));
    }
    return blocks;
}

QByteArray patternBlock(int size, int seed)
{
    QByteArray block(size, '\0');
    for (int i = 0; i < size; ++i)
        block[i] = char((i * 37 + seed) & 0xFF);
    return block;
}

QByteArray korvanRecord(quint16 size, quint16 repeat, const QByteArray &events)
{
    QByteArray record;
    record.append(char(size & 0xFF)).append(char(size >> 8));
    record.append(char(repeat & 0xFF)).append(char(repeat >> 8));
    record.append(events);
    return record;
}

// Names of the files in a folder (to see that no temporary file is left).
QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

enum class Dialect { Halden, Korvan };

} // namespace

Q_DECLARE_METATYPE(Dialect)

class TestJsonHandle : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { setAtomicWriteAbortBeforeCommit(false); }

    void readFileBytes();

    // Default blocks.
    void defaultBlocksMatchTheModelTables_data();
    void defaultBlocksMatchTheModelTables();
    void pinnedDefaultBytes_data();
    void pinnedDefaultBytes();
    void modelsSharingABlock_data();
    void modelsSharingABlock();
    void codeOutsideTheDialectLeavesTheBlock_data();
    void codeOutsideTheDialectLeavesTheBlock();

    // Profile files.
    void freshInstallationWritesTheDefaults_data();
    void freshInstallationWritesTheDefaults();
    void damagedProfileFiles_data();
    void damagedProfileFiles();
    void damagedProfileIsKeptAside_data();
    void damagedProfileIsKeptAside();
    void readOnlyProfileIsRead();
    void blockRoundTripKeepsOtherMembers_data();
    void blockRoundTripKeepsOtherMembers();
    void profileIsWrittenCompactly();
    void interruptedWriteKeepsTheOldFile_data();
    void interruptedWriteKeepsTheOldFile();
    void writeIntoMissingFolderFails();

    // Macros inside profiles.
    void haldenMacroRoundTrip();
    void haldenMacroFromFile_data();
    void haldenMacroFromFile();
    void korvanRecordToJson_data();
    void korvanRecordToJson();
    void korvanMacroRoundTrip();
    void korvanMacroFromFile_data();
    void korvanMacroFromFile();
    void savingOneMacroKeepsTheOthers_data();
    void savingOneMacroKeepsTheOthers();

    // Macro files.
    void missingMacroFile();
    void macroFileGetters_data();
    void macroFileGetters();
    void macroFileSetters_data();
    void macroFileSetters();
    void macroNodeListRoundTrip();
    void macroNodeListFromFile_data();
    void macroNodeListFromFile();
    void writeMacroNodeListNeedsAnObject();

    // Translation table.
    void translateTable_data();
    void translateTable();
};

// A missing file is created empty; special files and files over the size
// limit read as nothing (a FIFO would otherwise block the reader forever).
void TestJsonHandle::readFileBytes()
{
    TempAppDir app;
    const QString missing = app.path() + "/new.json";
    QCOMPARE(JsonHandle::readFileBytes(missing), QByteArray());
    QVERIFY(QFileInfo(missing).isFile());

    writeAll(missing, "{\"a\":1}");
    QCOMPARE(JsonHandle::readFileBytes(missing), QByteArray("{\"a\":1}"));

    QCOMPARE(JsonHandle::readFileBytes(app.path()), QByteArray());
    const QString fifo = app.path() + "/fifo.json";
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(JsonHandle::readFileBytes(fifo), QByteArray());
    JsonHandle handle;
    QCOMPARE(handle.getMacroName(fifo), QStringLiteral("ErrorName"));

    const QString big = app.path() + "/big.json";
    writeAll(big, QByteArray(4 * 1024 * 1024, ' '));
    QCOMPARE(JsonHandle::readFileBytes(big).size(), 4 * 1024 * 1024);
    writeAll(big, QByteArray(4 * 1024 * 1024 + 1, ' '));
    QCOMPARE(JsonHandle::readFileBytes(big), QByteArray());
}

// ------------------------------------------------------------ default blocks

void TestJsonHandle::defaultBlocksMatchTheModelTables_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<QByteArray>("expected");
    const QMap<int, QByteArray> golden = goldenBlocks();
    QCOMPARE(golden.keys(), (QList<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 18}));
    for (auto it = golden.cbegin(); it != golden.cend(); ++it)
        QTest::addRow("code %d", it.key()) << it.key() << it.value();
}

void TestJsonHandle::defaultBlocksMatchTheModelTables()
{
    QFETCH(int, mouseType);
    QFETCH(QByteArray, expected);
    JsonHandle handle;
    QByteArray block;
    if (expected.size() == JsonHandle::kHaldenBlockSize)
        handle.createAOriginalMouseDataFile_Halden(block, mouseType);
    else
        handle.createAOriginalMouseDataFile_Korvan(block, mouseType);
    QCOMPARE(block.toHex(' '), expected.toHex(' '));
}

// A few bytes of each block, read off the tables by hand: the first and last
// bytes and the bytes where the models differ from their neighbours.
void TestJsonHandle::pinnedDefaultBytes_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("2: first row") << 2 << 0 << QByteArray::fromHex("0380800000030502");
    QTest::newRow("2: CPI stages") << 2 << 58 << QByteArray::fromHex("121B28438C00");
    QTest::newRow("2: last bytes") << 2 << 224 << QByteArray::fromHex("FFFF0000000000000002");
    QTest::newRow("3: bytes 6..7") << 3 << 6 << QByteArray::fromHex("0703");
    QTest::newRow("3: stages") << 3 << 58 << QByteArray::fromHex("10141E283CA040");
    QTest::newRow("3: second stages") << 3 << 72 << QByteArray::fromHex("01001014");
    QTest::newRow("3: 124..128") << 3 << 124 << QByteArray::fromHex("2100080003");
    QTest::newRow("4: byte 14..18") << 4 << 14 << QByteArray::fromHex("85050A8304");
    QTest::newRow("4: stages") << 4 << 58 << QByteArray::fromHex("09121B242E3745");
    QTest::newRow("4: tail as 2") << 4 << 128 << QByteArray::fromHex("0000");
    QTest::newRow("4: button words") << 4 << 110 << QByteArray::fromHex("07000300");
    QTest::newRow("5: byte 6") << 5 << 6 << QByteArray::fromHex("05");
    QTest::newRow("5: bytes 14..18") << 5 << 14 << QByteArray::fromHex("8309008309");
    QTest::newRow("5: byte 51") << 5 << 51 << QByteArray::fromHex("01");
    QTest::newRow("5: stages") << 5 << 74 << QByteArray::fromHex("0C141820280000");
    QTest::newRow("5: byte 112") << 5 << 112 << QByteArray::fromHex("01");
    QTest::newRow("6: stages") << 6 << 58 << QByteArray::fromHex("0810182028303C");
    QTest::newRow("18: last byte") << 18 << 233 << QByteArray::fromHex("02");
    QTest::newRow("7: fill bytes") << 7 << 4 << QByteArray::fromHex("CDCDCDCDD007CDCDC802");
    QTest::newRow("7: last row") << 7 << 112 << QByteArray::fromHex("03000000FFFFFF00FFFFFF00FFFFFF00");
    QTest::newRow("10: byte 12") << 10 << 12 << QByteArray::fromHex("D702");
    QTest::newRow("10: colours") << 10 << 116 << QByteArray::fromHex("4B9F60000000FF000000FF00");
    QTest::newRow("14: as 10") << 14 << 59 << QByteArray::fromHex("01010000FF");
}

void TestJsonHandle::pinnedDefaultBytes()
{
    QFETCH(int, mouseType);
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    JsonHandle handle;
    QByteArray block;
    handle.createAOriginalMouseDataFile_Halden(block, mouseType);
    handle.createAOriginalMouseDataFile_Korvan(block, mouseType);
    QVERIFY(offset + bytes.size() <= block.size());
    QCOMPARE(block.mid(offset, bytes.size()).toHex(' '), bytes.toHex(' '));
}

// Models that share a block have identical defaults; those described as a
// variant differ exactly where their variant says.
void TestJsonHandle::modelsSharingABlock_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<QList<int>>("differingOffsets");
    QTest::newRow("18 is 4") << 4 << 18 << QList<int>{};
    QTest::newRow("8 is 7") << 7 << 8 << QList<int>{};
    QTest::newRow("9 is 7") << 7 << 9 << QList<int>{};
    QTest::newRow("12 is 7") << 7 << 12 << QList<int>{};
    // Models whose CPI codes follow another rule differ in their stages only.
    QTest::newRow("13 against 2: stages and their copy") << 2 << 13 << QList<int>{60, 61, 62, 76, 77, 78};
    QTest::newRow("10 against 11: the CPI matrix") << 11 << 10 << QList<int>{74, 78, 80, 81};
    QTest::newRow("14 against 11: the CPI matrix") << 11 << 14 << QList<int>{68, 70, 72, 74, 76, 78, 80, 81};
    QTest::newRow("3 against 2")
        << 2 << 3
        << QList<int>{6, 7, 58, 59, 60, 61, 62, 63, 64, 72, 74, 75, 76, 77, 78, 79, 80, 88, 124, 126, 128};
    QTest::newRow("5 against 4")
        << 4 << 5 << QList<int>{6, 14, 15, 16, 18, 51, 58, 59, 60, 61, 62, 63, 64, 74, 75, 76, 77, 78, 79, 80, 112};
    QTest::newRow("6 against 4") << 4 << 6
                                 << QList<int>{58, 59, 60, 61, 62, 63, 64, 74, 75, 76, 77, 78, 79, 80};
}

void TestJsonHandle::modelsSharingABlock()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(QList<int>, differingOffsets);
    JsonHandle handle;
    QByteArray blockA, blockB;
    handle.createAOriginalMouseDataFile_Halden(blockA, a);
    handle.createAOriginalMouseDataFile_Korvan(blockA, a);
    handle.createAOriginalMouseDataFile_Halden(blockB, b);
    handle.createAOriginalMouseDataFile_Korvan(blockB, b);
    QCOMPARE(blockA.size(), blockB.size());
    QList<int> differing;
    for (int i = 0; i < blockA.size(); ++i) {
        if (blockA.at(i) != blockB.at(i))
            differing << i;
    }
    QCOMPARE(differing, differingOffsets);
}

void TestJsonHandle::codeOutsideTheDialectLeavesTheBlock_data()
{
    QTest::addColumn<Dialect>("dialect");
    QTest::addColumn<int>("mouseType");
    for (int code : {0, 1, 7, 11, 14, 15, 16, 17, 19, -1})
        QTest::addRow("Halden, code %d", code) << Dialect::Halden << code;
    for (int code : {0, 1, 2, 3, 13, 15, 16, 17, 18, -1})
        QTest::addRow("Korvan, code %d", code) << Dialect::Korvan << code;
}

void TestJsonHandle::codeOutsideTheDialectLeavesTheBlock()
{
    QFETCH(Dialect, dialect);
    QFETCH(int, mouseType);
    JsonHandle handle;
    const QByteArray before = QByteArrayLiteral("untouched");
    QByteArray block = before;
    if (dialect == Dialect::Halden)
        handle.createAOriginalMouseDataFile_Halden(block, mouseType);
    else
        handle.createAOriginalMouseDataFile_Korvan(block, mouseType);
    QCOMPARE(block, before);
}

// ------------------------------------------------------------- profile files

void TestJsonHandle::freshInstallationWritesTheDefaults_data()
{
    QTest::addColumn<Dialect>("dialect");
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("profile");
    QTest::newRow("Halden profile 3") << Dialect::Halden << 2 << 3;
    QTest::newRow("Halden factory copy") << Dialect::Halden << 5 << 0;
    QTest::newRow("Korvan profile 3") << Dialect::Korvan << 11 << 3;
    QTest::newRow("Korvan factory copy") << Dialect::Korvan << 7 << 0;
}

void TestJsonHandle::freshInstallationWritesTheDefaults()
{
    QFETCH(Dialect, dialect);
    QFETCH(int, mouseType);
    QFETCH(int, profile);
    TempAppDir app;
    JsonHandle handle;
    const QByteArray expected = goldenBlocks().value(mouseType);

    const QByteArray block = dialect == Dialect::Halden ? handle.getMouseData_Halden(mouseType, profile)
                                                        : handle.getMouseData_Korvan(mouseType, profile);
    QCOMPARE(block.toHex(), expected.toHex());

    const QJsonObject root = readObjectFile(getConfigJsonFilePath(mouseType, profile));
    QCOMPARE(root.keys(), QStringList{"MouseDataOfGamingMode"});
    const QJsonObject data = root.value("MouseDataOfGamingMode").toObject();
    QCOMPARE(data.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(data.value(QString::number(i)).toInt(-1), int(quint8(expected.at(i))));
}

// What a damaged profile reads as, and whether the read repairs the file.
void TestJsonHandle::damagedProfileFiles_data()
{
    QTest::addColumn<Dialect>("dialect");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("expected"); // empty: the model's defaults
    QTest::addColumn<bool>("rewritten");

    const QByteArray defaults;
    QByteArray truncated(JsonHandle::kKorvanBlockSize, '\0');
    truncated[17] = char(0x2C);
    QByteArray odd(JsonHandle::kHaldenBlockSize, '\0');
    odd[0] = char(0xFF);
    odd[7] = char(0x07);

    for (Dialect d : {Dialect::Halden, Dialect::Korvan}) {
        const char *name = d == Dialect::Halden ? "Halden" : "Korvan";
        QTest::addRow("%s: empty file", name) << d << QByteArray() << defaults << true;
        QTest::addRow("%s: not JSON", name) << d << QByteArray("{\"MouseDataOf") << defaults << true;
        QTest::addRow("%s: root is an array", name) << d << QByteArray("[1,2,3]") << defaults << true;
        QTest::addRow("%s: root is a number", name) << d << QByteArray("7") << defaults << true;
        QTest::addRow("%s: deeply nested garbage", name)
            << d << QByteArray(200000, '[') << defaults << true;
        QTest::addRow("%s: no block member, file left alone", name)
            << d << QByteArray("{\"Other\":1}") << defaults << false;
        QTest::addRow("%s: block member not an object", name)
            << d << QByteArray("{\"MouseDataOfGamingMode\":[1,2,3]}") << defaults << false;
        // Over the size limit: unreadable, so the defaults replace it.
        QByteArray huge = "{\"MouseDataOfGamingMode\":{\"0\":1},\"Pad\":\"";
        huge += QByteArray(4 * 1024 * 1024, 'x') + "\"}";
        QTest::addRow("%s: file over 4 MiB", name) << d << huge << defaults << true;
    }
    QTest::newRow("value 300 truncates to 0x2C; missing members read 0")
        << Dialect::Korvan << QByteArray("{\"MouseDataOfGamingMode\":{\"17\":300}}") << truncated << false;
    QTest::newRow("negative, text, fraction, huge, null and array values")
        << Dialect::Halden
        << QByteArray("{\"MouseDataOfGamingMode\":{\"0\":-1,\"1\":\"5\",\"2\":2.5,\"3\":1e300,\"4\":null,"
                      "\"5\":[1],\"7\":7,\"999\":1,\"-1\":3}}")
        << odd << false;
}

void TestJsonHandle::damagedProfileFiles()
{
    QFETCH(Dialect, dialect);
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, expected);
    QFETCH(bool, rewritten);
    TempAppDir app;
    JsonHandle handle;
    const int type = dialect == Dialect::Halden ? 4 : 10;
    const QString path = getConfigJsonFilePath(type, 2);
    writeAll(path, content);
    const QByteArray defaults = goldenBlocks().value(type);

    const QByteArray block =
        dialect == Dialect::Halden ? handle.getMouseData_Halden(type, 2) : handle.getMouseData_Korvan(type, 2);
    QCOMPARE(block.toHex(), (expected.isEmpty() ? defaults : expected).toHex());

    if (rewritten) {
        const QJsonObject root = readObjectFile(path);
        QCOMPARE(root.keys(), QStringList{"MouseDataOfGamingMode"});
        const QByteArray again =
            dialect == Dialect::Halden ? handle.getMouseData_Halden(type, 2) : handle.getMouseData_Korvan(type, 2);
        QCOMPARE(again.toHex(), defaults.toHex());
    } else {
        QCOMPARE(readAll(path), content);
    }
}

// A profile that cannot be read is replaced by the defaults, but what was
// there is kept beside it (and said so): a truncated file, and whatever was
// planted in its place. A link's target is never read or written.
void TestJsonHandle::damagedProfileIsKeptAside_data()
{
    QTest::addColumn<Dialect>("dialect");
    QTest::addColumn<QString>("kind");
    for (Dialect d : {Dialect::Halden, Dialect::Korvan}) {
        const char *name = d == Dialect::Halden ? "Halden" : "Korvan";
        QTest::addRow("%s: truncated file", name) << d << "truncated";
        QTest::addRow("%s: link to a file elsewhere", name) << d << "link";
        QTest::addRow("%s: dangling link", name) << d << "dangling";
        QTest::addRow("%s: FIFO", name) << d << "fifo";
    }
}

void TestJsonHandle::damagedProfileIsKeptAside()
{
    QFETCH(Dialect, dialect);
    QFETCH(QString, kind);
    TempAppDir app;
    QTemporaryDir elsewhere;
    const int type = dialect == Dialect::Halden ? 2 : 11;
    const QString path = getConfigJsonFilePath(type, 1);
    const QString target = elsewhere.filePath("target.json");
    const QByteArray truncated = R"({"MouseDataOfGamingMode":{"0":1,"1":)";
    if (kind == "truncated") {
        writeAll(path, truncated);
    } else if (kind == "link") {
        writeAll(target, R"({"MouseDataOfGamingMode":{"0":7}})");
        QVERIFY(QFile::link(target, path));
    } else if (kind == "dangling") {
        QVERIFY(QFile::link(target, path));
    } else {
        QVERIFY(fifoguard::makeFifo(path));
    }
    const QByteArray targetBefore = readAll(target);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Config1.json was damaged .*moved aside as .*Config1.json.damaged-"));
    QByteArray block;
    JsonHandle handle;
    QVERIFY(fifoguard::finishesWithoutBlocking(path, [&] {
        block = dialect == Dialect::Halden ? handle.getMouseData_Halden(type, 1) : handle.getMouseData_Korvan(type, 1);
    }));
    QCOMPARE(block.toHex(), goldenBlocks().value(type).toHex());

    // The defaults are stored in a regular file of our own...
    QVERIFY(QFileInfo(path).isFile() && !QFileInfo(path).isSymLink());
    QCOMPARE(readObjectFile(path).keys(), QStringList{"MouseDataOfGamingMode"});
    // ... the damage is kept beside it, as it was ...
    const QStringList aside = QDir(QFileInfo(path).path()).entryList({"Config1.json.damaged-*"}, QDir::AllEntries | QDir::System);
    QCOMPARE(aside.size(), 1);
    const QFileInfo kept(QFileInfo(path).path() + "/" + aside.first());
    if (kind == "truncated")
        QCOMPARE(readAll(kept.filePath()), truncated);
    else if (kind == "fifo")
        QVERIFY(!kept.isFile() && !kept.isSymLink());
    else
        QCOMPARE(kept.symLinkTarget(), target);
    // ... and what a link pointed at is untouched (or still missing).
    QCOMPARE(readAll(target), targetBefore);
    QCOMPARE(QFileInfo::exists(target), kind == "link");
}

// Reading needs no write permission: a write-protected profile is read, not
// replaced by the defaults.
void TestJsonHandle::readOnlyProfileIsRead()
{
    TempAppDir app;
    JsonHandle handle;
    QByteArray mine = goldenBlocks().value(3);
    mine[0] = char(0x02);
    QVERIFY(handle.setMouseData_Halden(mine, 3, 4));
    const QString path = getConfigJsonFilePath(3, 4);
    const QByteArray before = readAll(path);
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QCOMPARE(handle.getMouseData_Halden(3, 4).toHex(), mine.toHex());
    QCOMPARE(readAll(path), before);
}

void TestJsonHandle::blockRoundTripKeepsOtherMembers_data()
{
    QTest::addColumn<Dialect>("dialect");
    QTest::newRow("Halden") << Dialect::Halden;
    QTest::newRow("Korvan") << Dialect::Korvan;
}

void TestJsonHandle::blockRoundTripKeepsOtherMembers()
{
    QFETCH(Dialect, dialect);
    TempAppDir app;
    JsonHandle handle;
    const bool halden = dialect == Dialect::Halden;
    const int type = halden ? 18 : 12;
    const int size = halden ? JsonHandle::kHaldenBlockSize : JsonHandle::kKorvanBlockSize;
    const QString path = getConfigJsonFilePath(type, 4);
    const QJsonObject macros{{"3", QJsonObject{{"RepeatTimes", 2}, {"Macro", QJsonArray{1, 2}}}}};
    writeAll(path, json({{"Other", "kept"}, {"MacroDataOfGamingMode", macros}}));

    const QByteArray block = patternBlock(size, 11);
    QVERIFY(halden ? handle.setMouseData_Halden(block, type, 4) : handle.setMouseData_Korvan(block, type, 4));

    const QJsonObject root = readObjectFile(path);
    QCOMPARE(root.value("Other").toString(), QStringLiteral("kept"));
    QCOMPARE(root.value("MacroDataOfGamingMode").toObject(), macros);
    QCOMPARE(root.value("MouseDataOfGamingMode").toObject().size(), size);
    QCOMPARE(halden ? handle.getMouseData_Halden(type, 4) : handle.getMouseData_Korvan(type, 4), block);
    // Another profile of the same model is untouched.
    QVERIFY(!QFile::exists(getConfigJsonFilePath(type, 5)));
}

void TestJsonHandle::profileIsWrittenCompactly()
{
    TempAppDir app;
    JsonHandle handle;
    QVERIFY(handle.setMouseData_Korvan(patternBlock(JsonHandle::kKorvanBlockSize, 1), 9, 1));
    const QByteArray bytes = readAll(getConfigJsonFilePath(9, 1));
    QVERIFY(bytes.startsWith("{\"MouseDataOfGamingMode\":{\"0\":1,"));
    QVERIFY(!bytes.contains('\n'));
    QVERIFY(!bytes.contains(' '));
}

// A write that stops before its commit (a crash, a full disk) leaves the old
// file whole, and no temporary file behind.
void TestJsonHandle::interruptedWriteKeepsTheOldFile_data()
{
    QTest::addColumn<int>("writer");
    QTest::newRow("Halden block") << 0;
    QTest::newRow("Korvan block") << 1;
    QTest::newRow("Halden macro") << 2;
    QTest::newRow("Korvan macro") << 3;
    QTest::newRow("defaults after an unreadable read") << 4;
}

void TestJsonHandle::interruptedWriteKeepsTheOldFile()
{
    QFETCH(int, writer);
    TempAppDir app;
    JsonHandle handle;
    const int type = writer == 1 || writer == 3 ? 11 : 2;
    const QString path = getConfigJsonFilePath(type, 1);
    const QByteArray old = writer == 4 ? QByteArray("not json, but the user's") : QByteArray("{\"Old\":true}");
    writeAll(path, old);

    setAtomicWriteAbortBeforeCommit(true);
    bool written = true;
    switch (writer) {
    case 0: written = handle.setMouseData_Halden(patternBlock(234, 3), type, 1); break;
    case 1: written = handle.setMouseData_Korvan(patternBlock(128, 3), type, 1); break;
    case 2: written = handle.saveMacroData_Halden(HaldenMacroRecord(), 1, type, 1); break;
    case 3: written = handle.saveMacroData_Korvan(korvanRecord(4, 1, {}), 1, type, 1); break;
    case 4:
        QCOMPARE(handle.getMouseData_Halden(type, 1), goldenBlocks().value(type));
        written = false;
        break;
    }
    setAtomicWriteAbortBeforeCommit(false);

    QVERIFY(!written);
    QCOMPARE(readAll(path), old);
    QCOMPARE(filesIn(QFileInfo(path).path()), QStringList{"Config1.json"});
}

void TestJsonHandle::writeIntoMissingFolderFails()
{
    TempAppDir app;
    const QString path = app.path() + "/missing/folder/x.json";
    QVERIFY(!JsonHandle::writeJsonFile(path, QJsonObject{{"a", 1}}));
    QVERIFY(!QFile::exists(path));
    QVERIFY(JsonHandle::writeJsonFile(app.path() + "/x.json", QJsonObject{{"a", 1}}));
    QCOMPARE(readAll(app.path() + "/x.json"), QByteArray("{\"a\":1}"));
}

// ----------------------------------------------------------- profile macros

void TestJsonHandle::haldenMacroRoundTrip()
{
    TempAppDir app;
    JsonHandle handle;
    HaldenMacroRecord record;
    record.repeat[0] = 0x01;
    record.repeat[1] = 0x02;
    record.events = {0x1234, 0xFFFF, 0x0000, 0x00A0};

    const QJsonObject object = handle.turnMacroDataToJsonObject_Halden(record);
    QCOMPARE(object.value("RepeatTimes").toInt(), 0x0102);
    QCOMPARE(object.value("Macro").toArray(), (QJsonArray{0x34, 0x12, 0xFF, 0xFF, 0, 0, 0xA0, 0}));

    QVERIFY(handle.saveMacroData_Halden(record, 144, 5, 2));
    QCOMPARE(handle.getMacroData_Halden(5, 2, 144), record);
}

// What a stored Halden macro loads as.
void TestJsonHandle::haldenMacroFromFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("repeatTimes");
    QTest::addColumn<QVector<quint16>>("events");

    const auto file = [](const QByteArray &macro) {
        return "{\"MacroDataOfGamingMode\":{\"7\":" + macro + "}}";
    };
    QTest::newRow("missing file: repeat 1, no events") << QByteArray() << 1 << QVector<quint16>{};
    QTest::newRow("no macro object: repeat 1") << QByteArray("{\"Other\":1}") << 1 << QVector<quint16>{};
    QTest::newRow("no macro at the position: repeat 0")
        << QByteArray("{\"MacroDataOfGamingMode\":{\"8\":{\"RepeatTimes\":5}}}") << 0 << QVector<quint16>{};
    QTest::newRow("odd length keeps the repeat count")
        << file("{\"RepeatTimes\":513,\"Macro\":[1,2,3]}") << 513 << QVector<quint16>{};
    QTest::newRow("bytes truncate to 8 bits")
        << file("{\"RepeatTimes\":2,\"Macro\":[300,1,-1,-1]}") << 2 << QVector<quint16>{0x012C, 0xFFFF};
    QTest::newRow("repeat count above 16 bits is clamped")
        << file("{\"RepeatTimes\":70000,\"Macro\":[]}") << 0xFFFF << QVector<quint16>{};
    QTest::newRow("negative repeat count reads 0") << file("{\"RepeatTimes\":-5}") << 0 << QVector<quint16>{};
    QTest::newRow("Macro not an array: no events") << file("{\"RepeatTimes\":3,\"Macro\":\"x\"}") << 3
                                                   << QVector<quint16>{};

    QByteArray full = "[";
    QVector<quint16> fullEvents;
    for (int i = 0; i < 512; ++i) {
        full += (i ? "," : "") + QByteArray::number(i & 0xFF) + "," + QByteArray::number(i >> 8);
        fullEvents << quint16(i);
    }
    QTest::newRow("512 events, as many as the device takes")
        << file("{\"RepeatTimes\":1,\"Macro\":" + full + "]}") << 1 << fullEvents;
    QTest::newRow("513 events: dropped, repeat kept")
        << file("{\"RepeatTimes\":4,\"Macro\":" + full + ",1,1]}") << 4 << QVector<quint16>{};
    QByteArray huge = "[0";
    for (int i = 1; i < 1000000; ++i)
        huge += ",0";
    QTest::newRow("a million numbers: dropped")
        << file("{\"RepeatTimes\":6,\"Macro\":" + huge + "]}") << 6 << QVector<quint16>{};
}

void TestJsonHandle::haldenMacroFromFile()
{
    QFETCH(QByteArray, content);
    QFETCH(int, repeatTimes);
    QFETCH(QVector<quint16>, events);
    TempAppDir app;
    JsonHandle handle;
    if (!content.isEmpty())
        writeAll(getConfigJsonFilePath(2, 1), content);
    const HaldenMacroRecord record = handle.getMacroData_Halden(2, 1, 7);
    QCOMPARE(record.repeatTimes(), repeatTimes);
    QCOMPARE(record.events, events);
}

void TestJsonHandle::korvanRecordToJson_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("size 5 is not whole events: {}") << korvanRecord(5, 1, "\x01\x02\x03") << QByteArray("{}");
    QTest::newRow("size 4: empty Macro") << korvanRecord(4, 3, {})
                                         << QByteArray("{\"Macro\":[],\"MacroSize\":4,\"RepeatTimes\":3}");
    QTest::newRow("size 10: two events, bytes after the size ignored")
        << korvanRecord(10, 0x0102, QByteArray::fromHex("0100410A0B42EEEEEE"))
        << QByteArray("{\"Macro\":[1,0,65,10,11,66],\"MacroSize\":10,\"RepeatTimes\":258}");
    QTest::newRow("size 1: no events") << korvanRecord(1, 0, {})
                                       << QByteArray("{\"Macro\":[],\"MacroSize\":1,\"RepeatTimes\":0}");
    QTest::newRow("size beyond the record: {}") << korvanRecord(13, 1, QByteArray::fromHex("010203"))
                                                << QByteArray("{}");
    QTest::newRow("record shorter than its header: {}") << QByteArray("\x04") << QByteArray("{}");
}

void TestJsonHandle::korvanRecordToJson()
{
    QFETCH(QByteArray, record);
    QFETCH(QByteArray, expected);
    JsonHandle handle;
    QCOMPARE(json(handle.turnMacroDataToJsonObject_Korvan(record)), expected);
}

void TestJsonHandle::korvanMacroRoundTrip()
{
    TempAppDir app;
    JsonHandle handle;
    // A whole page as the manager keeps it: the macro, then leftovers.
    QByteArray page = korvanRecord(13, 0xABCD, QByteArray::fromHex("0100411100412A0142"));
    page.append(QByteArray(JsonHandle::kKorvanMacroBufferSize - page.size(), char(0x77)));
    QVERIFY(handle.saveMacroData_Korvan(page, 3, 11, 1));

    const QByteArray loaded = handle.getMacroData_Korvan(11, 1, 3);
    QCOMPARE(loaded.size(), JsonHandle::kKorvanMacroBufferSize);
    QCOMPARE(loaded.left(13), page.left(13));
    QCOMPARE(loaded.mid(13), QByteArray(JsonHandle::kKorvanMacroBufferSize - 13, '\0'));
}

// A stored Korvan macro loads into a 4096-byte buffer whatever the file says.
void TestJsonHandle::korvanMacroFromFile_data()
{
    QTest::addColumn<QByteArray>("macro");   // the object at position 2; empty: no file
    QTest::addColumn<QByteArray>("head");    // expected first bytes; the rest is zero
    QTest::addColumn<int>("lastIndex");      // a byte beyond head that must be set, or -1
    QTest::addColumn<int>("lastValue");

    QTest::newRow("missing file: zeros") << QByteArray() << QByteArray() << -1 << 0;
    QTest::newRow("bytes truncate to 8 bits")
        << QByteArray("{\"MacroSize\":7,\"RepeatTimes\":1,\"Macro\":[257,-1,65]}")
        << QByteArray::fromHex("07000100" "01FF41") << -1 << 0;
    QTest::newRow("a trailing partial event is ignored")
        << QByteArray("{\"MacroSize\":7,\"RepeatTimes\":1,\"Macro\":[1,2,3,4,5]}")
        << QByteArray::fromHex("07000100" "010203") << -1 << 0;
    QTest::newRow("repeat count clamped to 16 bits")
        << QByteArray("{\"MacroSize\":4,\"RepeatTimes\":99999}") << QByteArray::fromHex("0400FFFF") << -1 << 0;
    QTest::newRow("size beyond the buffer: dropped")
        << QByteArray("{\"MacroSize\":5000,\"RepeatTimes\":1,\"Macro\":[1,2,3]}") << QByteArray() << -1 << 0;
    QTest::newRow("size 65535: dropped")
        << QByteArray("{\"MacroSize\":65535,\"RepeatTimes\":1}") << QByteArray() << -1 << 0;
    QTest::newRow("negative size: dropped") << QByteArray("{\"MacroSize\":-4,\"Macro\":[1,2,3]}") << QByteArray()
                                            << -1 << 0;
    QTest::newRow("size not a number: dropped") << QByteArray("{\"MacroSize\":\"7\",\"Macro\":[1,2,3]}")
                                                << QByteArray() << -1 << 0;
    QTest::newRow("no size: header zero, events kept")
        << QByteArray("{\"Macro\":[1,2,3]}") << QByteArray::fromHex("00000000" "010203") << -1 << 0;

    QByteArray full = "[";
    for (int k = 0; k < 1364; ++k)
        full += (k ? "," : "") + QByteArray("1,2,") + QByteArray::number(k == 1363 ? 99 : 3);
    QTest::newRow("1364 events fill the buffer exactly")
        << QByteArray("{\"MacroSize\":4096,\"RepeatTimes\":1,\"Macro\":" + full + "]}")
        << QByteArray::fromHex("00100100" "010203") << 4095 << 99;
    QTest::newRow("1365 events do not fit: dropped")
        << QByteArray("{\"MacroSize\":4096,\"RepeatTimes\":1,\"Macro\":" + full + ",7,7,7]}") << QByteArray()
        << -1 << 0;
    QByteArray huge = "[0";
    for (int i = 1; i < 1000000; ++i)
        huge += ",0";
    QTest::newRow("a million numbers: dropped")
        << QByteArray("{\"MacroSize\":4,\"Macro\":" + huge + "]}") << QByteArray() << -1 << 0;
}

void TestJsonHandle::korvanMacroFromFile()
{
    QFETCH(QByteArray, macro);
    QFETCH(QByteArray, head);
    QFETCH(int, lastIndex);
    QFETCH(int, lastValue);
    TempAppDir app;
    JsonHandle handle;
    if (!macro.isEmpty())
        writeAll(getConfigJsonFilePath(7, 1), "{\"MacroDataOfGamingMode\":{\"2\":" + macro + "}}");

    const QByteArray buffer = handle.getMacroData_Korvan(7, 1, 2);
    QCOMPARE(buffer.size(), JsonHandle::kKorvanMacroBufferSize);
    QCOMPARE(buffer.left(head.size()).toHex(), head.toHex());
    QByteArray rest = buffer.mid(head.size());
    if (lastIndex >= 0) {
        QCOMPARE(int(quint8(buffer.at(lastIndex))), lastValue);
        return;
    }
    QCOMPARE(rest, QByteArray(rest.size(), '\0'));
}

void TestJsonHandle::savingOneMacroKeepsTheOthers_data()
{
    QTest::addColumn<Dialect>("dialect");
    QTest::newRow("Halden") << Dialect::Halden;
    QTest::newRow("Korvan") << Dialect::Korvan;
}

void TestJsonHandle::savingOneMacroKeepsTheOthers()
{
    QFETCH(Dialect, dialect);
    TempAppDir app;
    JsonHandle handle;
    const bool halden = dialect == Dialect::Halden;
    const int type = halden ? 13 : 8;
    const QString path = getConfigJsonFilePath(type, 5);
    const QJsonObject block{{"0", 9}};
    const QJsonObject first{{"RepeatTimes", 1}, {"Macro", QJsonArray{}}};
    writeAll(path, json({{"MouseDataOfGamingMode", block},
                         {"MacroDataOfGamingMode", QJsonObject{{"1", first}}},
                         {"Other", 5}}));

    HaldenMacroRecord halrec;
    halrec.events = {0x0203};
    QVERIFY(halden ? handle.saveMacroData_Halden(halrec, 2, type, 5)
                   : handle.saveMacroData_Korvan(korvanRecord(7, 1, "\x01\x02\x03"), 2, type, 5));

    const QJsonObject root = readObjectFile(path);
    QCOMPARE(root.value("MouseDataOfGamingMode").toObject(), block);
    QCOMPARE(root.value("Other").toInt(), 5);
    const QJsonObject macros = root.value("MacroDataOfGamingMode").toObject();
    QCOMPARE(macros.keys(), (QStringList{"1", "2"}));
    QCOMPARE(macros.value("1").toObject(), first);
}

// --------------------------------------------------------------- macro files

void TestJsonHandle::missingMacroFile()
{
    TempAppDir app;
    JsonHandle handle;
    const QString path = getPlayerCustomDir() + "/20240101120000000.json";
    QCOMPARE(handle.getMacroName(path), QStringLiteral("ErrorName"));
    QCOMPARE(handle.getMacroType(path), 0);
    QCOMPARE(handle.getMacroLength(path), 0);
    QCOMPARE(handle.getMacroRepeatTimes(path), 0);
    QCOMPARE(handle.getIgnoreDelayTime(path), 0);
    QCOMPARE(handle.getMacroCount(path), 0);
    QVERIFY(handle.readMacroNodeList(path).isEmpty());
    // Reading opens the file for writing too: it now exists, empty.
    QVERIFY(QFile::exists(path));
    QCOMPARE(QFileInfo(path).size(), 0);
}

void TestJsonHandle::macroFileGetters_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<int>>("numbers"); // type, length, repeat, ignore delay, count

    QTest::newRow("a whole file")
        << QByteArray("{\"Name\":\"Reload\",\"MacroType\":2,\"MacroLength\":30,\"RepeatTimes\":4,"
                      "\"IgnoreDelayTime\":1,\"Macro\":[{},{},3]}")
        << "Reload" << QList<int>{2, 30, 4, 1, 3};
    QTest::newRow("not JSON") << QByteArray("Name=Reload") << "ErrorName" << QList<int>{0, 0, 0, 0, 0};
    QTest::newRow("root is an array") << QByteArray("[{\"Name\":\"x\"}]") << "ErrorName"
                                      << QList<int>{0, 0, 0, 0, 0};
    QTest::newRow("name not a string") << QByteArray("{\"Name\":5}") << "ErrorName" << QList<int>{0, 0, 0, 0, 0};
    QTest::newRow("numbers out of range are bounded")
        << QByteArray("{\"Name\":\"\",\"MacroLength\":-3,\"RepeatTimes\":1e12,\"MacroType\":\"2\"}") << ""
        << QList<int>{0, 0, 0, 0, 0};
    QTest::newRow("repeat count above 16 bits is clamped")
        << QByteArray("{\"RepeatTimes\":65536,\"MacroLength\":100000}") << "ErrorName"
        << QList<int>{0, 65535, 65535, 0, 0};
}

void TestJsonHandle::macroFileGetters()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, name);
    QFETCH(QList<int>, numbers);
    TempAppDir app;
    JsonHandle handle;
    const QString path = app.path() + "/m.json";
    writeAll(path, content);
    QCOMPARE(handle.getMacroName(path), name);
    QCOMPARE(handle.getMacroType(path), numbers.at(0));
    QCOMPARE(handle.getMacroLength(path), numbers.at(1));
    QCOMPARE(handle.getMacroRepeatTimes(path), numbers.at(2));
    QCOMPARE(handle.getIgnoreDelayTime(path), numbers.at(3));
    QCOMPARE(handle.getMacroCount(path), numbers.at(4));
}

// Each setter on each kind of file: the file afterwards.
void TestJsonHandle::macroFileSetters_data()
{
    QTest::addColumn<int>("setter");
    QTest::addColumn<QByteArray>("before"); // "<missing>" for no file
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<bool>("written");

    QTest::newRow("name into a missing file creates it") << 0 << QByteArray("<missing>")
                                                         << QByteArray("{\"Name\":\"Jump\"}") << true;
    QTest::newRow("type into an empty file") << 1 << QByteArray() << QByteArray("{\"MacroType\":3}") << true;
    QTest::newRow("length into garbage replaces it") << 2 << QByteArray("{oops") << QByteArray("{\"MacroLength\":40}")
                                                     << true;
    QTest::newRow("repeat count keeps the other members")
        << 3 << QByteArray("{\"Name\":\"a\",\"RepeatTimes\":1,\"Macro\":[]}")
        << QByteArray("{\"Macro\":[],\"Name\":\"a\",\"RepeatTimes\":9}") << true;
    QTest::newRow("ignore delay into an object") << 4 << QByteArray("{\"Name\":\"a\"}")
                                                 << QByteArray("{\"IgnoreDelayTime\":1,\"Name\":\"a\"}") << true;
    QTest::newRow("valid JSON that is not an object is left alone")
        << 0 << QByteArray("[1,2]") << QByteArray("[1,2]") << false;
}

void TestJsonHandle::macroFileSetters()
{
    QFETCH(int, setter);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(bool, written);
    TempAppDir app;
    JsonHandle handle;
    const QString path = app.path() + "/m.json";
    if (before != "<missing>")
        writeAll(path, before);
    bool ok = false;
    switch (setter) {
    case 0: ok = handle.setMacroName(path, "Jump"); break;
    case 1: ok = handle.setMacroType(path, 3); break;
    case 2: ok = handle.setMacroLength(path, 40); break;
    case 3: ok = handle.setRepeatTimes(path, 9); break;
    case 4: ok = handle.setIgnoreDelayTime(path, 1); break;
    }
    QCOMPARE(ok, written);
    QCOMPARE(readAll(path), after);
}

void TestJsonHandle::macroNodeListRoundTrip()
{
    TempAppDir app;
    JsonHandle handle;
    const QString path = app.path() + "/m.json";
    QVERIFY(handle.setMacroName(path, "Combo"));

    QList<MacroNode> nodes;
    MacroNode press;
    press.ValueType = 3;
    press.KeyValue = 0x41;
    press.State = 0;
    press.TimeLapse = 25;
    press.Text = QStringLiteral("A ↓ 按下");
    MacroNode move;
    move.ValueType = 6;
    move.CoordinateX = -127;
    move.CoordinateY = 127;
    move.TimeLapse = 0;
    nodes << press << move << MacroNode();

    QVERIFY(handle.writeMacroNodeList(path, nodes));
    QCOMPARE(handle.readMacroNodeList(path), nodes);
    QCOMPARE(handle.getMacroCount(path), 3);
    QCOMPARE(handle.getMacroName(path), QStringLiteral("Combo"));

    const QJsonObject first = handle.TurnMacroNodeListToJsonArray({press}).at(0).toObject();
    QCOMPARE(first.keys(), (QStringList{"CoordinateX", "CoordinateY", "KeyValue", "MouseValue", "State", "Text",
                                        "TimeLapse", "ValueType"}));
}

void TestJsonHandle::macroNodeListFromFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("firstKey");
    QTest::addColumn<int>("firstTimeLapse");

    QTest::newRow("non-objects skipped, absent members default")
        << QByteArray("{\"Macro\":[1,\"x\",{\"KeyValue\":65},null,{}]}") << 2 << 65 << 1;
    QTest::newRow("Macro not an array") << QByteArray("{\"Macro\":{\"KeyValue\":65}}") << 0 << 0 << 0;
    QTest::newRow("no Macro") << QByteArray("{\"Name\":\"a\"}") << 0 << 0 << 0;
    QTest::newRow("root is an array") << QByteArray("[{\"KeyValue\":65}]") << 0 << 0 << 0;

    QByteArray many = "{\"Macro\":[{\"KeyValue\":1}";
    for (int i = 1; i < 8192; ++i)
        many += ",{}";
    QTest::newRow("8192 nodes are read") << many + "]}" << 8192 << 1 << 1;
    QTest::newRow("8193 nodes: too long, nothing read") << many + ",{}]}" << 0 << 0 << 0;
}

void TestJsonHandle::macroNodeListFromFile()
{
    QFETCH(QByteArray, content);
    QFETCH(int, count);
    QFETCH(int, firstKey);
    QFETCH(int, firstTimeLapse);
    TempAppDir app;
    JsonHandle handle;
    const QString path = app.path() + "/m.json";
    writeAll(path, content);
    if (content.contains("\"Macro\":{"))
        QTest::ignoreMessage(QtDebugMsg, "isn't array");
    const QList<MacroNode> nodes = handle.readMacroNodeList(path);
    QCOMPARE(nodes.size(), count);
    QCOMPARE(handle.getMacroCount(path), content.contains("\"Macro\":[1") ? 5 : count);
    if (count > 0) {
        QCOMPARE(nodes.first().KeyValue, firstKey);
        QCOMPARE(nodes.first().TimeLapse, firstTimeLapse);
        QCOMPARE(nodes.last(), MacroNode());
    }
}

void TestJsonHandle::writeMacroNodeListNeedsAnObject()
{
    TempAppDir app;
    JsonHandle handle;
    const QString path = app.path() + "/m.json";
    QVERIFY(!handle.writeMacroNodeList(path, {MacroNode()}));
    QCOMPARE(readAll(path), QByteArray());
    writeAll(path, "[]");
    QVERIFY(!handle.writeMacroNodeList(path, {MacroNode()}));
    QCOMPARE(readAll(path), QByteArray("[]"));
}

// --------------------------------------------------------- translation table

void TestJsonHandle::translateTable_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QStringList>("texts");

    const QByteArray table = "[[\"中文\",\"b\"],[\"English\",\"Exit\"],\"not an array\"]";
    QTest::newRow("index 1") << table << 1 << true << QStringList{"English", "Exit"};
    QTest::newRow("index 0") << table << 0 << true << QStringList{"中文", "b"};
    QTest::newRow("element not an array") << table << 2 << false << QStringList{};
    QTest::newRow("index past the end") << table << 3 << false << QStringList{};
    QTest::newRow("negative index") << table << -1 << false << QStringList{};
    QTest::newRow("root is an object") << QByteArray("{\"0\":[\"a\"]}") << 0 << false << QStringList{};
    QTest::newRow("empty file") << QByteArray() << 0 << false << QStringList{};
}

void TestJsonHandle::translateTable()
{
    QFETCH(QByteArray, content);
    QFETCH(int, index);
    QFETCH(bool, found);
    QFETCH(QStringList, texts);
    TempAppDir app;
    JsonHandle handle;
    const QString path = app.path() + "/translate.json";
    writeAll(path, content);
    if (!content.startsWith('['))
        QTest::ignoreMessage(QtDebugMsg, "NoArray");
    QJsonArray out{QStringLiteral("stale")};
    QCOMPARE(handle.readTranslateTable(path, out, index), found);
    QStringList got;
    for (const QJsonValue &v : out)
        got << v.toString();
    QCOMPARE(got, texts);
}

QTEST_GUILESS_MAIN(TestJsonHandle)
#include "tst_jsonhandle.moc"
