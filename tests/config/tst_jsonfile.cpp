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
    void fileStates_data();
    void fileStates();
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

// What the stores do with a file follows from its state: damage is kept
// aside when the file is rewritten, a folder is left alone, a missing or
// empty file is simply written.
void TestJsonFile::fileStates_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("reason");
    QTest::newRow("an object") << "object" << int(JsonFileState::Ok) << "";
    QTest::newRow("missing") << "missing" << int(JsonFileState::Missing) << "missing";
    QTest::newRow("empty") << "empty" << int(JsonFileState::Missing) << "empty";
    QTest::newRow("not JSON") << "text" << int(JsonFileState::Damaged) << "not JSON";
    QTest::newRow("an array root") << "array" << int(JsonFileState::Damaged) << "not a JSON object";
    QTest::newRow("a link") << "link" << int(JsonFileState::Damaged) << "not a regular file";
    QTest::newRow("a folder") << "folder" << int(JsonFileState::Unusable) << "a folder";
}

void TestJsonFile::fileStates()
{
    QFETCH(QString, kind);
    QFETCH(int, state);
    QFETCH(QString, reason);
    TempAppDir app;
    const QString path = app.path() + "/file.json";
    if (kind == "object")
        QVERIFY(writeAll(path, "{\"a\":1}"));
    else if (kind == "empty")
        QVERIFY(writeAll(path, ""));
    else if (kind == "text")
        QVERIFY(writeAll(path, "hello"));
    else if (kind == "array")
        QVERIFY(writeAll(path, "[1]"));
    else if (kind == "link")
        QVERIFY(QFile::link(app.path() + "/elsewhere.json", path));
    else if (kind == "folder")
        QVERIFY(QDir(app.path()).mkdir("file.json"));
    QJsonObject root{{"left", "over"}};
    QString why;
    QCOMPARE(int(readJsonRootObjectState(path, root, &why)), state);
    QVERIFY2(why.contains(reason), qPrintable(why));
    QCOMPARE(root.isEmpty(), state != int(JsonFileState::Ok));
}

QTEST_APPLESS_MAIN(TestJsonFile)
#include "tst_jsonfile.moc"
