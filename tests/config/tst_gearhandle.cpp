#include "config/atomicfile.h"
#include "config/gearhandle.h"
#include "config/paths.h"
#include "tests/common/testutil.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

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
    file.write(data);
}
} // namespace

class TestGearHandle : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { setAtomicWriteAbortBeforeCommit(false); }
    void defaultObject_data();
    void defaultObject();
    void createAndReadBack();
    void unreadableFileReadsEmpty_data();
    void unreadableFileReadsEmpty();
    void currentValueIndexes_data();
    void currentValueIndexes();
    void settersWriteTheWholeObject_data();
    void settersWriteTheWholeObject();
    void settersIgnoreBadIndexes_data();
    void settersIgnoreBadIndexes();
    void interruptedWriteKeepsTheOldFile();
};

void TestGearHandle::defaultObject_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<bool>("korvan");
    for (int code : {7, 8, 9, 10, 11, 12, 14})
        QTest::addRow("code %d is Korvan", code) << code << true;
    for (int code : {0, 2, 3, 4, 5, 6, 13, 15, 16, 17, 18})
        QTest::addRow("code %d is not", code) << code << false;
}

void TestGearHandle::defaultObject()
{
    QFETCH(int, mouseType);
    QFETCH(bool, korvan);
    GearHandle handle;
    const QJsonObject object = handle.createGearObject(mouseType);
    QCOMPARE(object.value("GearVariable").toBool(!korvan), korvan);
    QVERIFY(object.value("GearVariable").isBool());
    const QJsonArray gears = object.value("GearData").toArray();
    QCOMPARE(gears.size(), 7);
    for (int i = 0; i < 7; ++i) {
        const QJsonObject entry = gears.at(i).toObject();
        QCOMPARE(entry.value("GearPosition").toInt(), i + 1);
        QCOMPARE(entry.value("GearCurrentValue").toInt(-1), 0);
        QCOMPARE(entry.value("GearEnable").toBool(false), true);
    }
}

void TestGearHandle::createAndReadBack()
{
    TempAppDir app;
    GearHandle handle;
    const QJsonObject created = handle.createGearFile(11, 2);
    QCOMPARE(created, handle.createGearObject(11));
    QVERIFY(QFile::exists(app.path() + "/ConfigFiles/MouseFile/ox7/AFile/CPIUIInterfaceFile/2/CpiSetting.json"));
    QCOMPARE(handle.readGearFile(11, 2), created);
    QVERIFY(!readAll(getCpiSettingFilePath(11, 2)).contains('\n'));
}

void TestGearHandle::unreadableFileReadsEmpty_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing") << QByteArray("<missing>");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not JSON") << QByteArray("GearData=1");
    QTest::newRow("root is an array") << QByteArray("[{}]");
    QTest::newRow("over 4 MiB") << "{\"GearData\":[],\"x\":\"" + QByteArray(4 * 1024 * 1024, 'x') + "\"}";
}

void TestGearHandle::unreadableFileReadsEmpty()
{
    QFETCH(QByteArray, content);
    TempAppDir app;
    GearHandle handle;
    if (content != "<missing>")
        writeAll(getCpiSettingFilePath(2, 1), content);
    QCOMPARE(handle.readGearFile(2, 1), QJsonObject());
}

void TestGearHandle::currentValueIndexes_data()
{
    QTest::addColumn<QByteArray>("object");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("value");
    const QByteArray gears = "{\"GearData\":[{\"GearCurrentValue\":800},{\"GearCurrentValue\":1600},{},5]}";
    QTest::newRow("first") << gears << 0 << 800;
    QTest::newRow("second") << gears << 1 << 1600;
    QTest::newRow("entry without a value") << gears << 2 << 0;
    QTest::newRow("entry not an object") << gears << 3 << 0;
    QTest::newRow("past the end") << gears << 4 << 0;
    QTest::newRow("negative") << gears << -1 << 0;
    QTest::newRow("huge") << gears << 2147483647 << 0;
    QTest::newRow("no GearData") << QByteArray("{}") << 0 << 0;
    QTest::newRow("GearData not an array") << QByteArray("{\"GearData\":{\"0\":{\"GearCurrentValue\":3}}}") << 0 << 0;
}

void TestGearHandle::currentValueIndexes()
{
    QFETCH(QByteArray, object);
    QFETCH(int, index);
    QFETCH(int, value);
    GearHandle handle;
    QCOMPARE(handle.getGearCurrentValue(QJsonDocument::fromJson(object).object(), index), value);
}

void TestGearHandle::settersWriteTheWholeObject_data()
{
    QTest::addColumn<bool>("enable");
    QTest::newRow("current value") << false;
    QTest::newRow("enable") << true;
}

void TestGearHandle::settersWriteTheWholeObject()
{
    QFETCH(bool, enable);
    TempAppDir app;
    GearHandle handle;
    QJsonObject object = handle.createGearObject(12);
    object.insert("Extra", 1);
    QVERIFY(enable ? handle.setGearEnable(12, 3, object, 6, false)
                   : handle.setGearCurrentValue(12, 3, object, 6, 26000));

    const QJsonObject onDisk = handle.readGearFile(12, 3);
    QCOMPARE(onDisk, object);
    QCOMPARE(onDisk.value("Extra").toInt(), 1);
    const QJsonObject last = onDisk.value("GearData").toArray().at(6).toObject();
    QCOMPARE(last.value("GearPosition").toInt(), 7);
    if (enable) {
        QCOMPARE(last.value("GearEnable").toBool(true), false);
        QCOMPARE(last.value("GearCurrentValue").toInt(-1), 0);
    } else {
        QCOMPARE(handle.getGearCurrentValue(onDisk, 6), 26000);
        QCOMPARE(last.value("GearEnable").toBool(false), true);
    }
    // The other entries are as they were.
    const QJsonArray before = handle.createGearObject(12).value("GearData").toArray();
    for (int i = 0; i < 6; ++i)
        QCOMPARE(onDisk.value("GearData").toArray().at(i), before.at(i));
}

void TestGearHandle::settersIgnoreBadIndexes_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("withGearData");
    QTest::newRow("index 7") << 7 << true;
    QTest::newRow("index -1") << -1 << true;
    QTest::newRow("no GearData") << 0 << false;
}

void TestGearHandle::settersIgnoreBadIndexes()
{
    QFETCH(int, index);
    QFETCH(bool, withGearData);
    TempAppDir app;
    GearHandle handle;
    QJsonObject object = handle.createGearObject(2);
    if (!withGearData)
        object.remove("GearData");
    const QJsonObject before = object;
    QVERIFY(!handle.setGearCurrentValue(2, 1, object, index, 400));
    QVERIFY(!handle.setGearEnable(2, 1, object, index, false));
    QCOMPARE(object, before);
    QVERIFY(!QFile::exists(getCpiSettingFilePath(2, 1)));
}

void TestGearHandle::interruptedWriteKeepsTheOldFile()
{
    TempAppDir app;
    GearHandle handle;
    QJsonObject object = handle.createGearFile(4, 1);
    const QByteArray old = readAll(getCpiSettingFilePath(4, 1));
    setAtomicWriteAbortBeforeCommit(true);
    QVERIFY(!handle.setGearCurrentValue(4, 1, object, 0, 1000));
    setAtomicWriteAbortBeforeCommit(false);
    QCOMPARE(readAll(getCpiSettingFilePath(4, 1)), old);
}

QTEST_GUILESS_MAIN(TestGearHandle)
#include "tst_gearhandle.moc"
