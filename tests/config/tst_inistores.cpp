#include "config/inistores.h"
#include "tests/common/fifoguard.h"
#include "tests/common/testutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QtTest>

#include <functional>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
    QVERIFY(file.commit());
}

// What another program (or a plain reader) finds in the INI file.
QVariant storedValue(const QString &path, const QString &key)
{
    QSettings settings(path, QSettings::IniFormat);
    useUtf8Ini(settings);
    return settings.value(key);
}

// One setter/getter pair of a store and the key it uses.
struct Accessor
{
    QString key;
    std::function<void(const QString &)> set;
    std::function<QString()> get;
};

} // namespace

Q_DECLARE_METATYPE(Accessor)

class TestIniStores : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_app = std::make_unique<TempAppDir>(); }
    void cleanup() { m_app.reset(); }

    void operateIniBeforeOpen();
    void operateIniValues_data();
    void operateIniValues();
    void instancesSeeEachOthersWrites();
    void anOutsideRewriteIsSeen();
    void firstWriteCreatesTheFile();

    void pathKeys_data();
    void pathKeys();
    void tokenKeys_data();
    void tokenKeys();
    void accountFileStaysPrivate_data();
    void accountFileStaysPrivate();
    void functionKeys_data();
    void functionKeys();
    void formatFunctionValue_data();
    void formatFunctionValue();
    void setDefaultEmptiesEveryKey();

    void notRemind();

    void highestFunctionSections_data();
    void highestFunctionSections();
    void readHighestFunction_data();
    void readHighestFunction();

    void removals_data();
    void removals();

    void fifoOrLinkIsLeftAlone_data();
    void fifoOrLinkIsLeftAlone();

private:
    std::unique_ptr<TempAppDir> m_app;
};

// --------------------------------------------------------------- OperateIni

void TestIniStores::operateIniBeforeOpen()
{
    OperateIni ini;
    QCOMPARE(ini.getValue("/INFO/token"), QStringLiteral("key error or unInit obj"));
    ini.setValue("/INFO/token", "x");
    QCOMPARE(ini.getValue("/INFO/token"), QStringLiteral("key error or unInit obj"));
    QVERIFY(!QFile::exists(systemIniPath()));
}

void TestIniStores::operateIniValues_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("read");
    QTest::newRow("plain") << "abc" << "abc";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("commas stay one text") << "a, b,c" << "a, b,c";
    QTest::newRow("UTF-8") << "名字 ünï" << "名字 ünï";
    QTest::newRow("looks like a variant") << "@Variant(x)" << "@Variant(x)";
    QTest::newRow("text NULL") << "NULL" << "NULL";
    QTest::newRow("64 KiB is kept") << QString(64 * 1024, 'k') << QString(64 * 1024, 'k');
    QTest::newRow("longer reads as absent") << QString(64 * 1024 + 1, 'k') << "NULL";
}

void TestIniStores::operateIniValues()
{
    QFETCH(QString, stored);
    QFETCH(QString, read);
    OperateIni ini;
    ini.open(systemIniPath());
    QCOMPARE(ini.getValue("/INFO/missing"), QStringLiteral("NULL"));
    ini.setValue("/INFO/value", stored);
    QCOMPARE(ini.getValue("/INFO/value"), read);
    if (stored == QStringLiteral("名字 ünï"))
        QVERIFY(readAll(systemIniPath()).contains(stored.toUtf8()));
}

void TestIniStores::instancesSeeEachOthersWrites()
{
    OperateToken a;
    OperateToken b;
    OpFunConfFile functions;
    QCOMPARE(b.GetToken(), QStringLiteral("NULL"));
    a.SetToken("first");
    QCOMPARE(b.GetToken(), QStringLiteral("first"));
    b.SetToken("second");
    QCOMPARE(a.GetToken(), QStringLiteral("second"));
    functions.SetMidKeyVal("Copy-3-k");
    // The other writers' keys survive each other's writes.
    a.SetEmail("a@b.c");
    QCOMPARE(b.GetToken(), QStringLiteral("second"));
    QCOMPARE(OpFunConfFile().GetMidKeyVal(), QStringLiteral("{\"name\":\"Copy\",\"index\":3,\"tag\":\"k\"}"));
}

void TestIniStores::anOutsideRewriteIsSeen()
{
    OperateToken token;
    token.SetToken("old");
    QCOMPARE(token.GetToken(), QStringLiteral("old"));
    writeAll(systemIniPath(), "[INFO]\ntoken=rewritten elsewhere\n");
    QCOMPARE(token.GetToken(), QStringLiteral("rewritten elsewhere"));
}

void TestIniStores::firstWriteCreatesTheFile()
{
    QVERIFY(!QFile::exists(systemIniPath()));
    OperateToken token;
    QCOMPARE(token.GetNickName(), QStringLiteral("NULL"));
    token.SetNickName("Neo");
    QCOMPARE(systemIniPath(), m_app->path() + "/system/system.ini");
    QVERIFY(readAll(systemIniPath()).contains("[INFO]"));
    QCOMPARE(storedValue(systemIniPath(), "INFO/nickName").toString(), QStringLiteral("Neo"));
}

// ------------------------------------------------------------ store classes

// Rows of accessors; each call works on a store of its own, as the REST
// call objects and the main window each own theirs.
#define ACCESSOR(Store, key, Setter, Getter)                                                                   \
    QTest::newRow(key) << Accessor{QStringLiteral(key), [](const QString &v) { Store().Setter(v); },            \
                                   [] { return Store().Getter(); }}

void TestIniStores::pathKeys_data()
{
    QTest::addColumn<Accessor>("accessor");
    ACCESSOR(OpConfPath, "PATH/mid_web_url", SetMidWebUrl, GetMidWebUrl);
    ACCESSOR(OpConfPath, "PATH/mid_file_path", SetMidFilePath, GetMidFilePath);
    ACCESSOR(OpConfPath, "PATH/mid_folder_path", SetMidFolderPath, GetMidFloderPath);
    ACCESSOR(OpConfPath, "PATH/mid_app_path", SetMidAppPath, GetMidAppPath);
    ACCESSOR(OpConfPath, "PATH/slider_up_web_url", SetSliderUpWebUrl, GetSliderUpWebUrl);
    ACCESSOR(OpConfPath, "PATH/slider_up_file_path", SetSliderUpFilePath, GetSliderUpFilePath);
    ACCESSOR(OpConfPath, "PATH/slider_up_folder_path", SetSliderUpFolderPath, GetSliderUpFloderPath);
    ACCESSOR(OpConfPath, "PATH/slider_up_app_path", SetSliderUpAppPath, GetSliderUpAppPath);
    ACCESSOR(OpConfPath, "PATH/slider_down_web_url", SetSliderDownWebUrl, GetSliderDownWebUrl);
    ACCESSOR(OpConfPath, "PATH/slider_down_file_path", SetSliderDownFilePath, GetSliderDownFilePath);
    ACCESSOR(OpConfPath, "PATH/slider_down_folder_path", SetSliderDownFolderPath, GetSliderDownFloderPath);
    ACCESSOR(OpConfPath, "PATH/slider_down_app_path", SetSliderDownAppPath, GetSliderDownAppPath);
}

// Each setter writes its own key (and nothing else), and its getter reads
// that key back.
void TestIniStores::pathKeys()
{
    QFETCH(Accessor, accessor);
    QCOMPARE(accessor.get(), QStringLiteral("NULL"));
    const QString value = QStringLiteral("/home/user/Ünï code/%1 file").arg(accessor.key);
    accessor.set(value);
    QCOMPARE(storedValue(systemIniPath(), accessor.key).toString(), value);
    QCOMPARE(accessor.get(), value);
    QSettings settings(systemIniPath(), QSettings::IniFormat);
    QCOMPARE(settings.allKeys(), QStringList{accessor.key});
}

void TestIniStores::tokenKeys_data()
{
    QTest::addColumn<Accessor>("accessor");
    ACCESSOR(OperateToken, "INFO/token", SetToken, GetToken);
    ACCESSOR(OperateToken, "INFO/email", SetEmail, GetEmail);
    ACCESSOR(OperateToken, "INFO/nickName", SetNickName, GetNickName);
}

void TestIniStores::tokenKeys()
{
    pathKeys();
}

void TestIniStores::accountFileStaysPrivate_data()
{
    QTest::addColumn<bool>("fileExistedOpen"); // written first by another store, readable by all
    QTest::newRow("new file") << false;
    QTest::newRow("file made earlier without care") << true;
}

void TestIniStores::accountFileStaysPrivate()
{
    QFETCH(bool, fileExistedOpen);
    const QString folder = QFileInfo(systemIniPath()).absolutePath();
    if (fileExistedOpen) {
        OpFunConfFile().SetMidKeyVal(QStringLiteral("Copy-3-k"));
        QVERIFY(QFile::setPermissions(systemIniPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                                           | QFile::ReadOther));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                  | QFile::ReadOther | QFile::ExeOther));
    }
    OperateToken().SetToken(QStringLiteral("a-token-of-some-length"));
    QCOMPARE(unixMode(systemIniPath()), 0600);
    QCOMPARE(unixMode(folder), 0700);
    // Later rewrites by any store keep the mode.
    OpFunConfFile().SetMidWheelVal(QStringLiteral("Copy-4-k"));
    OperateToken().SetNickName(QStringLiteral("Ann"));
    QCOMPARE(unixMode(systemIniPath()), 0600);
    QCOMPARE(OperateToken().GetToken(), QStringLiteral("a-token-of-some-length"));
    if (fileExistedOpen)
        QCOMPARE(OpFunConfFile().GetMidKeyVal(), QStringLiteral("{\"name\":\"Copy\",\"index\":3,\"tag\":\"k\"}"));
}

void TestIniStores::functionKeys_data()
{
    QTest::addColumn<Accessor>("accessor");
    ACCESSOR(OpFunConfFile, "SET/Mid_key", SetMidKeyVal, GetMidKeyVal);
    ACCESSOR(OpFunConfFile, "SET/Mid_wheel", SetMidWheelVal, GetMidWheelVal);
    ACCESSOR(OpFunConfFile, "SET/Side_upkey", SetSideUpkeyVal, GetSideUpkeyVal);
    ACCESSOR(OpFunConfFile, "SET/Side_downkey", SetSideDownkeyVal, GetSideDownkeyVal);
    ACCESSOR(OpFunConfFile, "SET/Side_wheel", SetSideWheel, GetSideWheel);
}

void TestIniStores::functionKeys()
{
    QFETCH(Accessor, accessor);
    QCOMPARE(accessor.get(), QString()); // absent: "NULL" has one part
    accessor.set("Copy-3-k");
    QCOMPARE(storedValue(systemIniPath(), accessor.key).toString(), QStringLiteral("Copy-3-k"));
    QCOMPARE(accessor.get(), QStringLiteral("{\"name\":\"Copy\",\"index\":3,\"tag\":\"k\"}"));
    QSettings settings(systemIniPath(), QSettings::IniFormat);
    QCOMPARE(settings.allKeys(), QStringList{accessor.key});
}

void TestIniStores::formatFunctionValue_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("text");
    QTest::newRow("name-index-tag") << "Copy-3-k" << "{\"name\":\"Copy\",\"index\":3,\"tag\":\"k\"}";
    QTest::newRow("absent (NULL)") << "NULL" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("two parts") << "a-1" << "";
    QTest::newRow("four parts") << "a-b-c-d" << "";
    QTest::newRow("empty parts: no index") << "--" << "";
    QTest::newRow("empty name and tag") << "-7-" << "{\"name\":\"\",\"index\":7,\"tag\":\"\"}";
    QTest::newRow("index not a number") << "a-x-c" << "";
    QTest::newRow("index smuggling JSON") << "a-1,\"evil\":true-c" << "";
    QTest::newRow("quotes and backslashes are escaped")
        << "say \"hi\"\\-12-t\"" << "{\"name\":\"say \\\"hi\\\"\\\\\",\"index\":12,\"tag\":\"t\\\"\"}";
    QTest::newRow("placeholders are not substituted twice") << "%2-1-%1"
                                                            << "{\"name\":\"%2\",\"index\":1,\"tag\":\"%1\"}";
    QTest::newRow("UTF-8 text") << "复制-2-标签" << "{\"name\":\"复制\",\"index\":2,\"tag\":\"标签\"}";
}

void TestIniStores::formatFunctionValue()
{
    QFETCH(QString, stored);
    QFETCH(QString, text);
    QCOMPARE(OpFunConfFile::formatFunctionValue(stored), text);
}

void TestIniStores::setDefaultEmptiesEveryKey()
{
    OpFunConfFile functions;
    OpConfPath paths;
    OperateToken token;
    token.SetToken("kept");
    functions.SetMidKeyVal("a-1-b");
    paths.SetMidWebUrl("http://x");
    functions.SetDefault();
    paths.SetDefault();

    QSettings settings(systemIniPath(), QSettings::IniFormat);
    QStringList keys = settings.allKeys();
    keys.sort();
    QCOMPARE(keys, (QStringList{"INFO/token", "PATH/mid_app_path", "PATH/mid_file_path", "PATH/mid_folder_path",
                                "PATH/mid_web_url", "PATH/slider_down_app_path", "PATH/slider_down_file_path",
                                "PATH/slider_down_folder_path", "PATH/slider_down_web_url",
                                "PATH/slider_up_app_path", "PATH/slider_up_file_path",
                                "PATH/slider_up_folder_path", "PATH/slider_up_web_url", "SET/Mid_key",
                                "SET/Mid_wheel", "SET/Side_downkey", "SET/Side_upkey", "SET/Side_wheel"}));
    for (const QString &key : keys) {
        if (key != QLatin1String("INFO/token"))
            QCOMPARE(settings.value(key).toString(), QString());
    }
    QCOMPARE(token.GetToken(), QStringLiteral("kept"));
    QCOMPARE(functions.GetMidKeyVal(), QString());
    QCOMPARE(paths.GetMidWebUrl(), QString());
}

// ----------------------------------------------------------- NoLongerRemind

void TestIniStores::notRemind()
{
    QVERIFY(!readNotRemind());
    QVERIFY(!QFile::exists(noLongerRemindIniPath()));
    writeNotRemind(1);
    QCOMPARE(noLongerRemindIniPath(), m_app->path() + "/NoLongerRemind.ini");
    QVERIFY(readAll(noLongerRemindIniPath()).contains("NotRemind=1"));
    QVERIFY(readNotRemind());
    writeNotRemind(2);
    QVERIFY(!readNotRemind());
    writeAll(noLongerRemindIniPath(), "[General]\nNotRemind=yes\n");
    QVERIFY(!readNotRemind());
}

// ---------------------------------------------------------- HighestFunction

void TestIniStores::highestFunctionSections_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("section");
    const QList<QPair<int, QString>> rows = {
        {4, "LeftKey"}, {5, "MidKey"}, {6, "RightKey"}, {7, "FowardKey"}, {8, "BackKey"},
        {11, "WheelFoward"}, {12, "WheelBack"}, {13, "DPIAdd"}, {14, "DPIReduce"},
        {15, "Custom1"}, {16, "Custom2"}, {17, "Custom3"},
        {0, ""}, {3, ""}, {9, ""}, {10, ""}, {18, ""}, {-1, ""},
    };
    for (const auto &r : rows)
        QTest::addRow("button %d", r.first) << r.first << r.second;
}

void TestIniStores::highestFunctionSections()
{
    QFETCH(int, button);
    QFETCH(QString, section);
    QCOMPARE(highestFunctionSection(button), section);
}

void TestIniStores::readHighestFunction_data()
{
    QTest::addColumn<QByteArray>("content"); // "<missing>": no file
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("active");
    QTest::addColumn<int>("function");
    QTest::addColumn<QString>("path");

    const QByteArray file = "[LeftKey]\nstate=0\nfunction=3\npath=/left\n"
                            "[MidKey]\nstate=1\nfunction=5\npath=/usr/bin/game launcher\n"
                            "[Custom3]\nstate=2\npath=/x\n"
                            "[BackKey]\nstate=abc\nfunction=1\n"
                            "[DPIAdd]\nstate=1\nfunction=4\npath=/home/用户/音乐.mp3\n"
                            "[General]\nstate=1\nfunction=9\npath=top\n";
    QTest::newRow("no file") << QByteArray("<missing>") << 5 << false << -7 << "keep";
    QTest::newRow("state 0: outputs untouched") << file << 4 << false << -7 << "keep";
    QTest::newRow("active entry") << file << 5 << true << 5 << "/usr/bin/game launcher";
    QTest::newRow("any non-zero state; no function reads 0") << file << 17 << true << 0 << "/x";
    QTest::newRow("state not a number") << file << 8 << false << -7 << "keep";
    QTest::newRow("section absent") << file << 6 << false << -7 << "keep";
    QTest::newRow("UTF-8 path") << file << 13 << true << 4 << "/home/用户/音乐.mp3";
    QTest::newRow("unknown button reads the top level") << file << 99 << true << 9 << "top";
    QTest::newRow("over-long path is refused")
        << "[MidKey]\nstate=1\nfunction=5\npath=/" + QByteArray(5000, 'p') + "\n" << 5 << false << -7 << "keep";
}

void TestIniStores::readHighestFunction()
{
    QFETCH(QByteArray, content);
    QFETCH(int, button);
    QFETCH(bool, active);
    QFETCH(int, function);
    QFETCH(QString, path);
    if (content != "<missing>")
        writeAll(highestFunctionIniPath(), content);
    QCOMPARE(highestFunctionIniPath(), m_app->path() + "/keysetting/HighestFunction.ini");

    int gotFunction = -7;
    QString gotPath = QStringLiteral("keep");
    QCOMPARE(::readHighestFunction(button, gotFunction, gotPath), active);
    QCOMPARE(gotFunction, function);
    QCOMPARE(gotPath, path);
}

// ------------------------------------------------------------------ Removals

void TestIniStores::removals_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("relativePath");

    QTest::newRow("log-out deletes the system file") << "system" << "system/system.ini";
    QTest::newRow("factory reset deletes the highest-function file") << "highest" << "keysetting/HighestFunction.ini";
}

void TestIniStores::removals()
{
    QFETCH(QString, file);
    QFETCH(QString, relativePath);
    const bool system = file == QLatin1String("system");
    const auto remove = [system] { return system ? removeSystemIni() : removeHighestFunctionIni(); };
    const QString path = m_app->path() + QLatin1Char('/') + relativePath;

    QVERIFY(!remove()); // nothing there yet
    writeAll(path, "[INFO]\ntoken=0123456789AB\n");
    const QString other = m_app->path() + QStringLiteral("/system/pointer.ini");
    writeAll(other, "[pointer]\nspeed=4\n");

    QVERIFY(remove());
    QVERIFY(!QFile::exists(path));
    QVERIFY(QFile::exists(other)); // its neighbour stays
    QCOMPARE(pointerSettingsIniPath(), other);
}

// ---------------------------------------------------- Files that are not ours

// QSettings blocks on a FIFO (the window never appeared with one in place of
// HighestFunction.ini) and writes through a link: neither is read or written.
void TestIniStores::fifoOrLinkIsLeftAlone_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("fifo");
    for (const char *file : {"highest", "remind", "system"}) {
        QTest::addRow("%s as a FIFO", file) << file << true;
        QTest::addRow("%s as a link", file) << file << false;
    }
}

void TestIniStores::fifoOrLinkIsLeftAlone()
{
    QFETCH(QString, file);
    QFETCH(bool, fifo);
    const QString path = file == "highest" ? highestFunctionIniPath()
                         : file == "remind" ? noLongerRemindIniPath() : systemIniPath();
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath("target.ini");
    writeAll(target, "[LeftKey]\nstate=1\nfunction=48\n[General]\nNotRemind=1\n[INFO]\ntoken=theirs\n");
    const QByteArray before = readAll(target);
    if (fifo)
        QVERIFY(fifoguard::makeFifo(path));
    else
        QVERIFY(QFile::link(target, path));

    bool active = true;
    int function = -7;
    QString token;
    QVERIFY(fifoguard::finishesWithoutBlocking(path, [&] {
        if (file == "highest") {
            QString where;
            active = ::readHighestFunction(4, function, where);
        } else if (file == "remind") {
            active = readNotRemind();
            writeNotRemind(1);
        } else {
            OperateToken ini;
            token = ini.GetToken();
            ini.SetToken("ours");
            active = false;
        }
    }));
    QVERIFY(!active);
    QCOMPARE(function, -7);
    if (file == "system")
        QCOMPARE(token, QStringLiteral("NULL"));
    QCOMPARE(readAll(target), before);
}

QTEST_GUILESS_MAIN(TestIniStores)
#include "tst_inistores.moc"
