#include "platform/appdir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

class TstAppDir : public QObject
{
    Q_OBJECT

private slots:
    void environmentWins();
    void overrideAndReset();
    void seedCopiesOnlyWhatIsMissing();
    void seedOverAnInstalledVersion_data();
    void seedOverAnInstalledVersion();
    void seedNeverWritesThroughLinks();
    void whereAppIs_data();
    void whereAppIs();
    void laterVersionOfAnInstalledProgram();
    void writableCheck();
};

namespace {
void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

void TstAppDir::environmentWins()
{
    QTemporaryDir a, b;
    setAppDirectory(a.path());
    qputenv("OX8_APP_DIR", b.path().toLocal8Bit());
    QCOMPARE(appDirectory(), QDir::cleanPath(b.path()));
    qunsetenv("OX8_APP_DIR");
    QCOMPARE(appDirectory(), QDir::cleanPath(a.path()));
    setAppDirectory(QString());
}

void TstAppDir::overrideAndReset()
{
    QTemporaryDir a;
    setAppDirectory(a.path() + "/sub/../");
    QCOMPARE(appDirectory(), QDir::cleanPath(a.path()));
    setAppDirectory(QString());
    // Without an application object a portable run still resolves to the
    // executable's own folder (the build tree is writable).
    QCOMPARE(appDirectory(), QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget().section('/', 0, -2));
}

void TstAppDir::seedCopiesOnlyWhatIsMissing()
{
    QTemporaryDir from, to;
    writeFile(from.path() + "/Language/translate.json", "[[]]");
    writeFile(from.path() + "/Font/a.ttf", "font");
    writeFile(to.path() + "/Font/a.ttf", "user's own");
    QVERIFY(QFile::link(from.path() + "/Font/a.ttf", from.path() + "/Font/link.ttf"));

    QVERIFY(seedDirectory(from.path(), to.path()));
    QCOMPARE(readFile(to.path() + "/Language/translate.json"), QByteArray("[[]]"));
    QCOMPARE(readFile(to.path() + "/Font/a.ttf"), QByteArray("user's own"));
    QVERIFY(!QFileInfo::exists(to.path() + "/Font/link.ttf"));
    // Installed data is read-only; the seeded copy must be writable by the user.
    QVERIFY(QFileInfo(to.path() + "/Language/translate.json").isWritable());
}

void TstAppDir::seedOverAnInstalledVersion_data()
{
    // A later version's shipped file against what the user's APP holds
    // (null: nothing there yet).
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QByteArray>("shipped");
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("new shipped file is added")
        << "ConfigFiles/RecoverFile/PictureFile/ox8/drawImage.BMP" << QByteArray("picture") << QByteArray()
        << QByteArray("picture");
    QTest::newRow("profile is the user's")
        << "ConfigFiles/MouseFile/ox7/AFile/ConfigJsonFile/Config1.json" << QByteArray("factory")
        << QByteArray("mine") << QByteArray("mine");
    QTest::newRow("macro is the user's") << "ConfigFiles/MacroFiles/PlayerCustom/m.json" << QByteArray("shipped")
                                         << QByteArray("mine") << QByteArray("mine");
    QTest::newRow("settings are the user's") << "system/system.ini" << QByteArray("shipped") << QByteArray("mine")
                                             << QByteArray("mine");
    QTest::newRow("language file follows the installed version")
        << "Language/translate.json" << QByteArray("[[\"new\"]]") << QByteArray("[[\"old\"]]")
        << QByteArray("[[\"new\"]]");
    QTest::newRow("shipped font follows the installed version") << "Font/a.ttf" << QByteArray("new font")
                                                                << QByteArray("old") << QByteArray("new font");
    QTest::newRow("a folder merely named like the language folder is the user's")
        << "LanguageNotes/x.txt" << QByteArray("shipped") << QByteArray("mine") << QByteArray("mine");
}

void TstAppDir::seedOverAnInstalledVersion()
{
    QFETCH(QString, relative);
    QFETCH(QByteArray, shipped);
    QFETCH(QByteArray, existing);
    QFETCH(QByteArray, expected);
    QTemporaryDir from, to;
    writeFile(from.path() + "/" + relative, shipped);
    QFile::setPermissions(from.path() + "/" + relative, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    if (!existing.isNull())
        writeFile(to.path() + "/" + relative, existing);

    QVERIFY(seedDirectory(from.path(), to.path(), seededRefreshFolders()));
    QCOMPARE(readFile(to.path() + "/" + relative), expected);
    QVERIFY(QFileInfo(to.path() + "/" + relative).isWritable());
    // A second start changes nothing.
    QVERIFY(seedDirectory(from.path(), to.path(), seededRefreshFolders()));
    QCOMPARE(readFile(to.path() + "/" + relative), expected);
}

void TstAppDir::seedNeverWritesThroughLinks()
{
    QTemporaryDir from, to, elsewhere;
    writeFile(from.path() + "/Language/translate.json", "new");
    writeFile(from.path() + "/Font/a.ttf", "font");
    writeFile(from.path() + "/ConfigFiles/x.json", "shipped");
    writeFile(elsewhere.path() + "/victim", "untouched");
    QDir().mkpath(to.path() + "/Language");
    QDir().mkpath(to.path() + "/Font");
    QDir().mkpath(to.path() + "/ConfigFiles");
    QVERIFY(QFile::link(elsewhere.path() + "/victim", to.path() + "/Language/translate.json"));
    QVERIFY(QFile::link(elsewhere.path() + "/dangling", to.path() + "/Font/a.ttf"));
    QVERIFY(QFile::link(elsewhere.path() + "/dangling2", to.path() + "/ConfigFiles/x.json"));

    QVERIFY(!seedDirectory(from.path(), to.path(), seededRefreshFolders()));
    QCOMPARE(readFile(elsewhere.path() + "/victim"), QByteArray("untouched"));
    QVERIFY(!QFileInfo::exists(elsewhere.path() + "/dangling"));
    QVERIFY(!QFileInfo::exists(elsewhere.path() + "/dangling2"));
    QVERIFY(QFileInfo(to.path() + "/Language/translate.json").isSymLink());
}

void TstAppDir::whereAppIs_data()
{
    QTest::addColumn<bool>("installed"); // <prefix>/share/ox8driver beside bin/
    QTest::addColumn<bool>("readOnlyBin");
    QTest::addColumn<bool>("inHome");
    QTest::newRow("build tree: beside the executable") << false << false << false;
    QTest::newRow("installed: the home folder, even where bin/ is writable (root)") << true << false << true;
    QTest::newRow("installed, read-only bin/: the home folder") << true << true << true;
    QTest::newRow("read-only folder without installed data: the home folder") << false << true << true;
}

void TstAppDir::whereAppIs()
{
    QFETCH(bool, installed);
    QFETCH(bool, readOnlyBin);
    QFETCH(bool, inHome);
    if (readOnlyBin && geteuid() == 0)
        QSKIP("root writes anywhere");
    QTemporaryDir prefix, home;
    const QString bin = prefix.path() + "/bin";
    QVERIFY(QDir().mkpath(bin));
    if (installed)
        writeFile(prefix.path() + "/share/ox8driver/Language/translate.json", "[[\"shipped\"]]");
    if (readOnlyBin)
        QVERIFY(QFile::setPermissions(bin, QFile::ReadOwner | QFile::ExeOwner));

    QStringList warnings;
    const QString app = resolveAppDirectory(bin, home.path() + "/.local/share", &warnings);
    QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(app, inHome ? QDir::cleanPath(home.path() + "/.local/share/OX8Driver") : bin);
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    // First start of the installed program: APP has the shipped data.
    QCOMPARE(readFile(app + "/Language/translate.json"), installed ? QByteArray("[[\"shipped\"]]") : QByteArray());
}

void TstAppDir::laterVersionOfAnInstalledProgram()
{
    QTemporaryDir prefix, home;
    const QString bin = prefix.path() + "/bin";
    const QString share = prefix.path() + "/share/ox8driver";
    QVERIFY(QDir().mkpath(bin));
    writeFile(share + "/Language/translate.json", "version 1");
    const QString app = resolveAppDirectory(bin, home.path());
    QCOMPARE(readFile(app + "/Language/translate.json"), QByteArray("version 1"));

    // The user works with the program...
    const QString profile = app + "/ConfigFiles/MouseFile/ox7/AFile/ConfigJsonFile/Config1.json";
    writeFile(profile, "my profile");
    writeFile(app + "/system/system.ini", "my account");
    // ...and a later version is installed over the first.
    writeFile(share + "/Language/translate.json", "version 2");
    writeFile(share + "/ConfigFiles/MouseFile/ox7/AFile/ConfigJsonFile/Config1.json", "shipped profile");
    writeFile(share + "/ConfigFiles/RecoverFile/PictureFile/ox8/drawImage.BMP", "new picture");

    QCOMPARE(resolveAppDirectory(bin, home.path()), app);
    QCOMPARE(readFile(app + "/Language/translate.json"), QByteArray("version 2"));
    QCOMPARE(readFile(profile), QByteArray("my profile"));
    QCOMPARE(readFile(app + "/system/system.ini"), QByteArray("my account"));
    QCOMPARE(readFile(app + "/ConfigFiles/RecoverFile/PictureFile/ox8/drawImage.BMP"), QByteArray("new picture"));
}

void TstAppDir::writableCheck()
{
    QTemporaryDir dir;
    QVERIFY(isDirectoryWritable(dir.path()));
    QVERIFY(isDirectoryWritable(dir.path() + "/new/deeper"));
    QVERIFY(!isDirectoryWritable(QString()));
    if (geteuid() != 0) { // root writes anywhere
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(!isDirectoryWritable(dir.path()));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

QTEST_APPLESS_MAIN(TstAppDir)
#include "tst_appdir.moc"
