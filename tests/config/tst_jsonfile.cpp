#include "config/jsonfile.h"
#include "tests/common/testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace {
bool writeAll(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}
} // namespace

// The one reader of a JSON file's root object: every store falls back on it,
// so what counts as unreadable is pinned here.
class TestJsonFile : public QObject
{
    Q_OBJECT

private slots:
    void rootObject_data();
    void rootObject();
    void missingFileIsCreatedEmpty();
    void folderIsUnreadable();
    void writeIsCompactAndReadsBack();
};

void TestJsonFile::rootObject_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("readable");

    QTest::newRow("an object") << QByteArray(R"({"a":1,"b":{"c":[1,2]}})") << true;
    QTest::newRow("an empty object") << QByteArray("{}") << true;
    QTest::newRow("an empty file") << QByteArray() << false;
    QTest::newRow("text that is not JSON") << QByteArray("hello") << false;
    QTest::newRow("an object cut short") << QByteArray(R"({"a":1,"b":{)") << false;
    QTest::newRow("text after the object") << QByteArray(R"({"a":1} x)") << false;
    QTest::newRow("an array root") << QByteArray(R"([{"a":1}])") << false;
    QTest::newRow("NUL bytes") << QByteArray("{\0}", 3) << false;
    QTest::newRow("at the size limit") << QByteArray("{}") + QByteArray(int(kMaxJsonFileSize) - 2, ' ') << true;
    QTest::newRow("one byte over the size limit") << QByteArray("{}") + QByteArray(int(kMaxJsonFileSize) - 1, ' ')
                                                  << false;
}

void TestJsonFile::rootObject()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, readable);

    TempAppDir app;
    const QString path = app.path() + "/file.json";
    QVERIFY(writeAll(path, content));

    QJsonObject root{{"left", "over"}};
    QCOMPARE(readJsonRootObject(path, root), readable);
    QCOMPARE(readJsonRootObject(path), root);
    if (readable)
        QCOMPARE(root, QJsonDocument::fromJson(content).object());
    else
        QVERIFY(root.isEmpty());
    // Reading never changes the file.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
}

void TestJsonFile::missingFileIsCreatedEmpty()
{
    TempAppDir app;
    const QString path = app.path() + "/missing.json";
    QJsonObject root;
    QVERIFY(!readJsonRootObject(path, root));
    QVERIFY(root.isEmpty());
    QVERIFY(QFileInfo(path).isFile());
    QCOMPARE(QFileInfo(path).size(), qint64(0));
}

void TestJsonFile::folderIsUnreadable()
{
    TempAppDir app;
    QVERIFY(QDir(app.path()).mkdir("folder.json"));
    QJsonObject root;
    QVERIFY(!readJsonRootObject(app.path() + "/folder.json", root));
    QVERIFY(readJsonDocument(app.path() + "/folder.json").isNull());
}

void TestJsonFile::writeIsCompactAndReadsBack()
{
    TempAppDir app;
    const QString path = app.path() + "/out.json";
    const QJsonObject object{{"b", 2}, {"a", QJsonArray{1, 2}}};
    QVERIFY(writeJsonFile(path, object));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray(R"({"a":[1,2],"b":2})"));
    QCOMPARE(readJsonRootObject(path), object);
    QVERIFY(!writeJsonFile(app.path() + "/no/such/folder/out.json", object));
}

QTEST_APPLESS_MAIN(TestJsonFile)
#include "tst_jsonfile.moc"
