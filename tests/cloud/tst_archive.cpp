// Packing and unpacking of the cloud archives. Hostile archives are built
// byte by byte (tests/common/zipwriter.h), so every header field can lie:
// names that climb out of the folder, links, special files, bombs, wrong
// sizes and checksums.
#include "cloud/archive.h"
#include "tests/common/testutil.h"
#include "tests/common/zipwriter.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// A user's profile folder as the program keeps it, inside its own parent.
struct ProfileFolder
{
    ProfileFolder()
    {
        parent = dir.path() + QStringLiteral("/ox7");
        target = parent + QStringLiteral("/AFile");
        writeFile(target + QStringLiteral("/ConfigJsonFile/Config1.json"), R"({"cpi":[400,800]})");
        writeFile(target + QStringLiteral("/ConfigJsonFile/Config2.json"), R"({"cpi":[1600]})");
        writeFile(target + QStringLiteral("/PictureFile/1/drawImage.BMP"), QByteArray(384, '\x5a'));
    }
    QTemporaryDir dir;
    QString parent;
    QString target;
};

} // namespace

class TstArchive : public QObject
{
    Q_OBJECT

private slots:
    void entryNames_data();
    void entryNames();
    void refusedArchivesLeaveTheFolder_data();
    void refusedArchivesLeaveTheFolder();
    void roundTrip();
    void packingLeavesLinksOut();
    void packingLimits();
    void emptyFolderPacksToAnEmptyArchive();
    void replaceSwapsTheWholeFolder();
    void replaceCreatesAMissingFolder();
    void interruptedSwapIsRepaired();
    void extractWantsAnEmptyFolder();
};

void TstArchive::entryNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("safe");

    QTest::newRow("file") << "Config1.json" << true;
    QTest::newRow("nested file") << "ConfigJsonFile/Config1.json" << true;
    QTest::newRow("folder") << "PlayerCustom/" << true;
    QTest::newRow("hidden file") << ".keep" << true;
    QTest::newRow("dots inside a name") << "a..b/c...json" << true;
    QTest::newRow("Chinese name") << QStringLiteral("PlayerCustom/宏一.json") << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("parent") << "../evil" << false;
    QTest::newRow("parent inside") << "a/../../evil" << false;
    QTest::newRow("parent at the end") << "a/.." << false;
    QTest::newRow("dot segment") << "./a" << false;
    QTest::newRow("absolute") << "/etc/passwd" << false;
    QTest::newRow("drive letter") << "C:/evil" << false;
    QTest::newRow("drive letter without a slash") << "c:evil" << false;
    QTest::newRow("backslash") << "..\\evil" << false;
    QTest::newRow("empty segment") << "a//b" << false;
    QTest::newRow("only a slash") << "/" << false;
    QTest::newRow("two slashes at the end") << "a//" << false;
    QTest::newRow("control character") << "a\nb" << false;
    QTest::newRow("segment over 255 bytes") << QString(256, QLatin1Char('x')) << false;
    QTest::newRow("name over 1024 characters") << QString(1025, QLatin1Char('x')) << false;
}

void TstArchive::entryNames()
{
    QFETCH(QString, name);
    QFETCH(bool, safe);
    QCOMPARE(isSafeEntryName(name), safe);
}

void TstArchive::refusedArchivesLeaveTheFolder_data()
{
    QTest::addColumn<QByteArray>("zip");
    QTest::addColumn<int>("error");

    const auto row = [](const char *name, const QList<RawEntry> &entries, ArchiveError error) {
        QTest::newRow(name) << buildZip(entries) << int(error);
    };
    const RawEntry good = zipFile("ConfigJsonFile/Config1.json", "{}");

    row("zip-slip with ../", {good, zipFile("../evil.txt", "x")}, ArchiveError::UnsafeName);
    row("zip-slip deep inside", {zipFile("a/../../evil.txt", "x")}, ArchiveError::UnsafeName);
    row("absolute path", {zipFile("/tmp/evil.txt", "x")}, ArchiveError::UnsafeName);
    row("drive letter", {zipFile("C:/evil.txt", "x")}, ArchiveError::UnsafeName);
    row("backslash climb", {zipFile("..\\evil.txt", "x")}, ArchiveError::UnsafeName);
    RawEntry link = zipFile("ConfigJsonFile", "/etc");
    link.mode = 0120777;
    row("symlink entry", {link, zipFile("ConfigJsonFile/passwd", "x")}, ArchiveError::Link);
    RawEntry fifo = zipFile("pipe", QByteArray());
    fifo.mode = 0010644;
    row("fifo entry", {good, fifo}, ArchiveError::SpecialFile);
    RawEntry bomb = zipFile("zeros.bin", QByteArray(2 * 1024 * 1024, '\0'));
    bomb.deflate = true;
    row("bomb over the size limit", {good, bomb}, ArchiveError::TooLarge);
    RawEntry liar = zipFile("liar.bin", QByteArray(4096, '\x42'));
    liar.declaredSize = 10;
    row("entry that claims to be smaller", {liar}, ArchiveError::Damaged);
    RawEntry deflatedLiar = zipFile("zeros.bin", QByteArray(2 * 1024 * 1024, '\0'));
    deflatedLiar.deflate = true;
    deflatedLiar.declaredSize = 100;
    row("compressed entry that claims to be small", {deflatedLiar}, ArchiveError::Damaged);
    QList<RawEntry> many;
    for (int i = 0; i < 11; ++i)
        many << zipFile("m" + QByteArray::number(i), "x");
    row("more entries than allowed", many, ArchiveError::TooManyEntries);
    RawEntry wrongCrc = good;
    wrongCrc.wrongCrc = true;
    row("wrong checksum", {wrongCrc}, ArchiveError::Damaged);
    row("duplicate entry", {good, good}, ArchiveError::Damaged);
    row("file used as a folder", {zipFile("a", "x"), zipFile("a/b", "y")}, ArchiveError::Damaged);
    RawEntry encrypted = good;
    encrypted.flags = 1;
    row("encrypted entry", {encrypted}, ArchiveError::Damaged);
    RawEntry folderWithData = zipFolder("dir/");
    folderWithData.data = "x";
    row("folder with data", {folderWithData}, ArchiveError::Damaged);
    row("empty archive", {}, ArchiveError::Empty);
    QTest::newRow("not an archive") << QByteArray("<html>404 not found</html>") << int(ArchiveError::NotAnArchive);
    QTest::newRow("nothing at all") << QByteArray() << int(ArchiveError::NotAnArchive);
    const QByteArray whole = buildZip({good, zipFile("b.json", QByteArray(1000, 'b'))});
    QTest::newRow("cut short") << whole.left(whole.size() / 2) << int(ArchiveError::NotAnArchive);
}

void TstArchive::refusedArchivesLeaveTheFolder()
{
    QFETCH(QByteArray, zip);
    QFETCH(int, error);
    ProfileFolder profiles;
    const QMap<QString, QByteArray> before = snapshot(profiles.dir.path());

    ArchiveLimits limits;
    limits.maxTotalBytes = 1024 * 1024;
    limits.maxEntries = 10;
    const ArchiveResult r = replaceFolderFromArchive(zip, profiles.target, limits);

    QCOMPARE(int(r.error), error);
    // Nothing changed anywhere below the temporary root: no staging
    // folder left, no file outside the folder, the profiles as they were.
    QCOMPARE(snapshot(profiles.dir.path()), before);
}

void TstArchive::roundTrip()
{
    QTemporaryDir dir;
    const QString source = dir.path() + QStringLiteral("/MacroFiles");
    writeFile(source + QStringLiteral("/PlayerCustom/") + QStringLiteral("宏一.json"), R"({"name":"宏一"})");
    writeFile(source + QStringLiteral("/PlayerCustom/.hidden"), "h");
    writeFile(source + QStringLiteral("/binary.bin"), QByteArray::fromHex("00ff10807f") + QByteArray(70000, 'q'));
    writeFile(source + QStringLiteral("/empty.json"), QByteArray());
    QVERIFY(QDir().mkpath(source + QStringLiteral("/EmptyFolder")));

    QByteArray zip;
    const ArchiveResult packed = compressFolder(source, zip);
    QVERIFY(packed.ok());
    QCOMPARE(packed.files, 4);
    QCOMPARE(packed.folders, 2);
    QVERIFY(zip.startsWith("PK\x03\x04"));

    const QString copy = dir.path() + QStringLiteral("/copy");
    QVERIFY(QDir().mkpath(copy));
    const ArchiveResult unpacked = extractArchive(zip, copy);
    QVERIFY(unpacked.ok());
    QCOMPARE(unpacked.files, 4);
    QCOMPARE(unpacked.folders, 2);
    QCOMPARE(unpacked.bytes, packed.bytes);
    QCOMPARE(snapshot(copy), snapshot(source));
}

void TstArchive::packingLeavesLinksOut()
{
    QTemporaryDir dir;
    const QString source = dir.path() + QStringLiteral("/AFile");
    writeFile(source + QStringLiteral("/Config1.json"), "{}");
    writeFile(dir.path() + QStringLiteral("/secret.txt"), "not for the cloud");
    QVERIFY(QFile::link(dir.path() + QStringLiteral("/secret.txt"), source + QStringLiteral("/link.txt")));
    QVERIFY(QFile::link(dir.path(), source + QStringLiteral("/up")));

    QByteArray zip;
    const ArchiveResult packed = compressFolder(source, zip);
    QVERIFY(packed.ok());
    QCOMPARE(packed.files, 1);
    QCOMPARE(packed.folders, 0);
    QVERIFY(!zip.contains("secret"));
    QVERIFY(!zip.contains("link.txt"));
}

void TstArchive::packingLimits()
{
    QTemporaryDir dir;
    for (int i = 0; i < 3; ++i)
        writeFile(dir.path() + QStringLiteral("/f%1").arg(i), QByteArray(600, 'x'));
    QByteArray zip;
    ArchiveLimits fewEntries;
    fewEntries.maxEntries = 2;
    QCOMPARE(compressFolder(dir.path(), zip, fewEntries).error, ArchiveError::TooManyEntries);
    ArchiveLimits fewBytes;
    fewBytes.maxTotalBytes = 1000;
    QCOMPARE(compressFolder(dir.path(), zip, fewBytes).error, ArchiveError::TooLarge);
    QCOMPARE(compressFolder(dir.path() + QStringLiteral("/missing"), zip).error, ArchiveError::WriteFailed);

    // The file variant replaces the archive only when packing worked.
    const QString zipPath = dir.path() + QStringLiteral("/out.zip");
    writeFile(zipPath, "old");
    QVERIFY(!compressFolderToFile(dir.path(), zipPath, fewEntries).ok());
    QFile old(zipPath);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old"));
}

void TstArchive::emptyFolderPacksToAnEmptyArchive()
{
    ProfileFolder profiles;
    QTemporaryDir empty;
    QByteArray zip;
    const ArchiveResult packed = compressFolder(empty.path(), zip);
    QVERIFY(packed.ok());
    QVERIFY(zip.startsWith("PK\x05\x06"));

    // An archive that unpacks to nothing leaves the folder as it was.
    const QMap<QString, QByteArray> before = snapshot(profiles.dir.path());
    QCOMPARE(replaceFolderFromArchive(zip, profiles.target).error, ArchiveError::Empty);
    QCOMPARE(snapshot(profiles.dir.path()), before);
}

void TstArchive::replaceSwapsTheWholeFolder()
{
    ProfileFolder profiles;
    QVERIFY(::chmod(QFile::encodeName(profiles.target).constData(), 0750) == 0);
    const QByteArray zip = buildZip({zipFolder("ConfigJsonFile/"), zipFile("ConfigJsonFile/Config1.json", "new one"),
                                     zipFile("ConfigJsonFile/Config5.json", "five")});
    const ArchiveResult r = replaceFolderFromArchive(zip, profiles.target);
    QVERIFY(r.ok());
    QCOMPARE(r.files, 2);

    // The archive's tree, nothing of the old one; no helper folder left.
    const QMap<QString, QByteArray> expected{{"ConfigJsonFile", "/"},
                                             {"ConfigJsonFile/Config1.json", "new one"},
                                             {"ConfigJsonFile/Config5.json", "five"}};
    QCOMPARE(snapshot(profiles.target), expected);
    QCOMPARE(QDir(profiles.parent).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"AFile"});
    QCOMPARE(unixMode(profiles.target), 0750);
}

void TstArchive::replaceCreatesAMissingFolder()
{
    QTemporaryDir dir;
    const QString target = dir.path() + QStringLiteral("/fresh/MacroFiles");
    const ArchiveResult r = replaceFolderFromArchive(buildZip({zipFolder("PlayerCustom/")}), target);
    QVERIFY(r.ok());
    QVERIFY(QFileInfo(target + QStringLiteral("/PlayerCustom")).isDir());
}

void TstArchive::interruptedSwapIsRepaired()
{
    // The old folder was moved aside and the process died before the new
    // one took its place: the next replacement puts it back first, even
    // when the new archive is then refused.
    ProfileFolder profiles;
    const QMap<QString, QByteArray> before = snapshot(profiles.target);
    const QString aside = profiles.parent + QStringLiteral("/.AFile.previous-1234");
    QVERIFY(QDir().rename(profiles.target, aside));
    QVERIFY(QDir().mkpath(profiles.parent + QStringLiteral("/.AFile.incoming-abcdef/half")));

    QCOMPARE(replaceFolderFromArchive(buildZip({zipFile("../x", "x")}), profiles.target).error,
             ArchiveError::UnsafeName);
    QCOMPARE(snapshot(profiles.target), before);
    QCOMPARE(QDir(profiles.parent).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"AFile"});

    // A finished swap's old folder that could not be deleted goes next time.
    QVERIFY(QDir().mkpath(profiles.parent + QStringLiteral("/.AFile.previous-5678/x")));
    QVERIFY(replaceFolderFromArchive(buildZip({zipFile("a.json", "a")}), profiles.target).ok());
    QCOMPARE(QDir(profiles.parent).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"AFile"});
}

void TstArchive::extractWantsAnEmptyFolder()
{
    QTemporaryDir dir;
    writeFile(dir.path() + QStringLiteral("/already"), "x");
    QCOMPARE(extractArchive(buildZip({zipFile("a", "a")}), dir.path()).error, ArchiveError::WriteFailed);
    QCOMPARE(extractArchive(buildZip({zipFile("a", "a")}), dir.path() + QStringLiteral("/missing")).error,
             ArchiveError::WriteFailed);
}

QTEST_GUILESS_MAIN(TstArchive)
#include "tst_archive.moc"
