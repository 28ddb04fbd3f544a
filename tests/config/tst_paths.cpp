#include "config/paths.h"
#include "tests/common/testutil.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QtTest>

#include <functional>

namespace {
// Every message logged while the object lives.
class LogCapture
{
public:
    LogCapture()
    {
        s_messages.clear();
        m_previous = qInstallMessageHandler(&LogCapture::handler);
    }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    QStringList messages() const { return s_messages; }

private:
    static void handler(QtMsgType, const QMessageLogContext &, const QString &text) { s_messages << text; }
    static QStringList s_messages;
    QtMessageHandler m_previous = nullptr;
};
QStringList LogCapture::s_messages;

// Every directory below root, relative to it.
QStringList dirsBelow(const QString &root)
{
    QStringList dirs;
    QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        dirs << QDir(root).relativeFilePath(it.next());
    dirs.sort();
    return dirs;
}
} // namespace

using PathFunction = std::function<QString()>;
Q_DECLARE_METATYPE(PathFunction)

class TestPaths : public QObject
{
    Q_OBJECT

private slots:
    void modelFolderName_data();
    void modelFolderName();
    void familyFolderName_data();
    void familyFolderName();
    void defaultFirmwareVersion_data();
    void defaultFirmwareVersion();
    void pathFunctions_data();
    void pathFunctions();
    void existingDirectoryIsReused();
};

void TestPaths::modelFolderName_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<QString>("folder");
    const QList<QPair<int, QString>> known = {
        {2, "ox2"}, {4, "ox1"}, {5, "ox2s"}, {6, "ox1s"}, {7, "ox4c"}, {8, "ox4q"}, {9, "ox7c"},
        {10, "ox7q"}, {11, "ox7"}, {12, "ox4"}, {13, "ox5"}, {14, "ox7eu"}, {18, "ox8"},
    };
    for (const auto &row : known)
        QTest::addRow("code %d", row.first) << row.first << row.second;
    for (int unknown : {0, 1, 3, 15, 16, 17, 19, -1, 1000})
        QTest::addRow("unknown code %d is ox6", unknown) << unknown << QStringLiteral("ox6");
}

void TestPaths::modelFolderName()
{
    QFETCH(int, mouseType);
    QFETCH(QString, folder);
    QCOMPARE(getModelFolderName(mouseType), folder);
}

void TestPaths::familyFolderName_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<QString>("folder");
    QTest::newRow("14 pictures are ox7's") << 14 << "ox7";
    QTest::newRow("16 pictures are ox2's") << 16 << "ox2";
    QTest::newRow("15 pictures are ox6's") << 15 << "ox6";
    QTest::newRow("others follow the model folder: 2") << 2 << "ox2";
    QTest::newRow("others follow the model folder: 5") << 5 << "ox2s";
    QTest::newRow("others follow the model folder: 11") << 11 << "ox7";
    QTest::newRow("others follow the model folder: 18") << 18 << "ox8";
    QTest::newRow("unknown 0") << 0 << "ox6";
    QTest::newRow("unknown 17") << 17 << "ox6";
}

void TestPaths::familyFolderName()
{
    QFETCH(int, mouseType);
    QFETCH(QString, folder);
    QCOMPARE(getFamilyFolderName(mouseType), folder);
}

void TestPaths::defaultFirmwareVersion_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("version");
    const QList<QPair<int, int>> rows = {
        {2, 8}, {3, 10}, {4, 4}, {5, 3}, {6, 4}, {7, 5}, {8, 5}, {9, 5}, {10, 5},
        {11, 32}, {12, 13}, {13, 2}, {18, 4}, {0, 1}, {1, 1}, {14, 1}, {15, 1}, {16, 1}, {17, 1}, {-3, 1},
    };
    for (const auto &row : rows)
        QTest::addRow("code %d", row.first) << row.first << row.second;
}

void TestPaths::defaultFirmwareVersion()
{
    QFETCH(int, mouseType);
    QFETCH(int, version);
    QCOMPARE(getDefaultFirmwareVersion(mouseType), version);
}

// Each path function on a fresh APP: its result, the directories it leaves
// behind and its log lines. %1 in the log stands for APP.
void TestPaths::pathFunctions_data()
{
    QTest::addColumn<PathFunction>("function");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("createdDir");
    QTest::addColumn<QString>("log");

    const QString user = QStringLiteral("ConfigFiles/MouseFile/ox7/AFile");
    QTest::newRow("app dir") << PathFunction([] { return getAppDir(); }) << "" << "" << "";
    QTest::newRow("config files dir") << PathFunction([] { return getConfigFilesDir(); }) << "ConfigFiles" << ""
                                      << "";
    QTest::newRow("profile 0 is the factory copy")
        << PathFunction([] { return getConfigJsonFilePath(11, 0); })
        << "ConfigFiles/MouseFile/ox7/OriginalFile/Config0.json" << "ConfigFiles/MouseFile/ox7/OriginalFile"
        << "currentConfigJsonFilePath \"%1/ConfigFiles/MouseFile/ox7/OriginalFile/Config0.json\"";
    QTest::newRow("profile 3 creates the whole chain")
        << PathFunction([] { return getConfigJsonFilePath(11, 3); }) << user + "/ConfigJsonFile/Config3.json"
        << user + "/ConfigJsonFile"
        << "currentConfigJsonFilePath \"%1/" + user + "/ConfigJsonFile/Config3.json\"";
    QTest::newRow("unknown code profiles go to ox6")
        << PathFunction([] { return getConfigJsonFilePath(17, 5); })
        << "ConfigFiles/MouseFile/ox6/AFile/ConfigJsonFile/Config5.json"
        << "ConfigFiles/MouseFile/ox6/AFile/ConfigJsonFile"
        << "currentConfigJsonFilePath \"%1/ConfigFiles/MouseFile/ox6/AFile/ConfigJsonFile/Config5.json\"";
    QTest::newRow("code 14 data lives in ox7eu")
        << PathFunction([] { return getConfigJsonFilePath(14, 1); })
        << "ConfigFiles/MouseFile/ox7eu/AFile/ConfigJsonFile/Config1.json"
        << "ConfigFiles/MouseFile/ox7eu/AFile/ConfigJsonFile"
        << "currentConfigJsonFilePath \"%1/ConfigFiles/MouseFile/ox7eu/AFile/ConfigJsonFile/Config1.json\"";
    QTest::newRow("mouse local dir is not created")
        << PathFunction([] { return getConfigMouseLocalDir(11); }) << user << ""
        << "currentConfigMouseLocalFilePath  \"%1/" + user + "\"";
    QTest::newRow("cpi interface dir is not created")
        << PathFunction([] { return getCpiUiInterfaceDir(QStringLiteral("ox2"), 4); })
        << "ConfigFiles/MouseFile/ox2/AFile/CPIUIInterfaceFile/4" << "" << "";
    QTest::newRow("cpi setting file creates its dir")
        << PathFunction([] { return getCpiSettingFilePath(2, 4); })
        << "ConfigFiles/MouseFile/ox2/AFile/CPIUIInterfaceFile/4/CpiSetting.json"
        << "ConfigFiles/MouseFile/ox2/AFile/CPIUIInterfaceFile/4" << "";
    QTest::newRow("picture creates its dir and logs the dir")
        << PathFunction([] { return getPictureFilePath(11, QStringLiteral("2")); })
        << user + "/PictureFile/2/drawImage.BMP" << user + "/PictureFile/2"
        << "currentPicturePath \"%1/" + user + "/PictureFile/2\"";
    QTest::newRow("default picture: model folder after the picture folder")
        << PathFunction([] { return getDefaultPictureFilePath(14); })
        << "ConfigFiles/RecoverFile/PictureFile/ox7eu/drawImage.BMP" << ""
        << "currentDefaultPicturePath \"%1/ConfigFiles/RecoverFile/PictureFile/ox7eu/drawImage.BMP\"";
    QTest::newRow("firmware date")
        << PathFunction([] { return getFirmwareDateFilePath(9); }) << "Update/Clouds/ox7c/versiondate.txt" << ""
        << "currentFirmWareDate \"%1/Update/Clouds/ox7c/versiondate.txt\"";
    QTest::newRow("macro files dir is created")
        << PathFunction([] { return getMacroFilesDir(); }) << "ConfigFiles/MacroFiles" << "ConfigFiles/MacroFiles"
        << "";
    QTest::newRow("player custom dir is created")
        << PathFunction([] { return getPlayerCustomDir(); }) << "ConfigFiles/MacroFiles/PlayerCustom"
        << "ConfigFiles/MacroFiles/PlayerCustom" << "";
    QTest::newRow("translate file")
        << PathFunction([] { return getTranslateFilePath(); }) << "Language/translate.json" << "" << "";
    QTest::newRow("old text profile 0")
        << PathFunction([] { return getOldTxtConfigFilePath(4, 0); })
        << "ConfigFiles/MouseFile/ox1/OriginalFile/Config0.txt" << "" << "";
    QTest::newRow("old text profile 2")
        << PathFunction([] { return getOldTxtConfigFilePath(4, 2); }) << "ConfigFiles/MouseFile/ox1/AFile/Config2.txt"
        << "" << "";
}

void TestPaths::pathFunctions()
{
    QFETCH(PathFunction, function);
    QFETCH(QString, path);
    QFETCH(QString, createdDir);
    QFETCH(QString, log);

    TempAppDir app;
    QVERIFY(app.isValid());
    QString result;
    QStringList messages;
    {
        LogCapture capture;
        result = function();
        messages = capture.messages();
    }

    QCOMPARE(result, path.isEmpty() ? app.path() : app.path() + QLatin1Char('/') + path);

    QStringList expectedDirs;
    if (!createdDir.isEmpty()) {
        // The directory and every missing parent.
        for (QString d = createdDir; !d.isEmpty() && d != QLatin1String(".");
             d = QFileInfo(d).path() == QLatin1String(".") ? QString() : QFileInfo(d).path())
            expectedDirs << d;
        expectedDirs.sort();
    }
    QCOMPARE(dirsBelow(app.path()), expectedDirs);

    QCOMPARE(messages, log.isEmpty() ? QStringList() : QStringList{log.arg(app.path())});
}

void TestPaths::existingDirectoryIsReused()
{
    TempAppDir app;
    const QString first = getConfigJsonFilePath(2, 1);
    QFile file(first);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep");
    file.close();
    QCOMPARE(getConfigJsonFilePath(2, 1), first);
    QCOMPARE(getCpiSettingFilePath(2, 1), getCpiSettingFilePath(2, 1));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep"));
}

QTEST_GUILESS_MAIN(TestPaths)
#include "tst_paths.moc"
