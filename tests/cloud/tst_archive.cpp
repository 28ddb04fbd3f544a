// Packing and unpacking of the cloud archives. Hostile archives are built
// byte by byte here (a small zip writer of the test's own), so every header
// field can lie: names that climb out of the folder, links, special files,
// bombs, wrong sizes and checksums.
#include "cloud/archive.h"
#include "tests/common/testutil.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <sys/stat.h>

namespace {

// ---- A zip writer that writes whatever it is told ----------------------------------------

quint32 crc32Of(const QByteArray &data)
{
    static quint32 table[256];
    static bool ready = false;
    if (!ready) {
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        ready = true;
    }
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : data)
        crc = table[(crc ^ quint8(ch)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

struct RawEntry
{
    QByteArray name;
    QByteArray data;
    quint32 mode = 0100644; // Unix mode in the upper half of the external attributes
    quint16 flags = 0;
    bool deflate = false;
    qint64 declaredSize = -1; // -1: the true size
    bool wrongCrc = false;
};

void put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// Raw deflate data: qCompress is a 4-byte length, a zlib header of 2 bytes,
// the deflate stream and a 4-byte checksum.
QByteArray rawDeflate(const QByteArray &data)
{
    const QByteArray z = qCompress(data, 9);
    return z.mid(6, z.size() - 10);
}

QByteArray buildZip(const QList<RawEntry> &entries)
{
    QByteArray out;
    QByteArray central;
    for (const RawEntry &e : entries) {
        const quint32 offset = quint32(out.size());
        const QByteArray stored = e.deflate ? rawDeflate(e.data) : e.data;
        const quint32 crc = crc32Of(e.data) ^ (e.wrongCrc ? 0x1u : 0u);
        const quint32 usize = quint32(e.declaredSize >= 0 ? e.declaredSize : e.data.size());
        const quint16 method = e.deflate ? 8 : 0;

        put32(out, 0x04034b50);
        put16(out, 20);
        put16(out, e.flags);
        put16(out, method);
        put16(out, 0);
        put16(out, 0x21);
        put32(out, crc);
        put32(out, quint32(stored.size()));
        put32(out, usize);
        put16(out, quint16(e.name.size()));
        put16(out, 0);
        out += e.name;
        out += stored;

        put32(central, 0x02014b50);
        put16(central, (3 << 8) | 20); // made on Unix
        put16(central, 20);
        put16(central, e.flags);
        put16(central, method);
        put16(central, 0);
        put16(central, 0x21);
        put32(central, crc);
        put32(central, quint32(stored.size()));
        put32(central, usize);
        put16(central, quint16(e.name.size()));
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put32(central, e.mode << 16);
        put32(central, offset);
        central += e.name;
    }
    const quint32 centralOffset = quint32(out.size());
    out += central;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, quint16(entries.size()));
    put16(out, quint16(entries.size()));
    put32(out, quint32(central.size()));
    put32(out, centralOffset);
    put16(out, 0);
    return out;
}

RawEntry file(const QByteArray &name, const QByteArray &data)
{
    RawEntry e;
    e.name = name;
    e.data = data;
    return e;
}

RawEntry folder(const QByteArray &name)
{
    RawEntry e;
    e.name = name;
    e.mode = 040755;
    return e;
}

// ---- Folder snapshots ---------------------------------------------------------------------

// Every entry below root (hidden ones too) with its bytes; folders map to "/".
QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir base(root);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        const QString rel = base.relativeFilePath(info.filePath());
        if (info.isSymLink()) {
            out.insert(rel, "->" + info.symLinkTarget().toUtf8());
        } else if (info.isDir()) {
            out.insert(rel, "/");
        } else {
            QFile f(info.filePath());
            f.open(QIODevice::ReadOnly);
            out.insert(rel, f.readAll());
        }
    }
    return out;
}

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
    const RawEntry good = file("ConfigJsonFile/Config1.json", "{}");

    row("zip-slip with ../", {good, file("../evil.txt", "x")}, ArchiveError::UnsafeName);
    row("zip-slip deep inside", {file("a/../../evil.txt", "x")}, ArchiveError::UnsafeName);
    row("absolute path", {file("/tmp/evil.txt", "x")}, ArchiveError::UnsafeName);
    row("drive letter", {file("C:/evil.txt", "x")}, ArchiveError::UnsafeName);
    row("backslash climb", {file("..\\evil.txt", "x")}, ArchiveError::UnsafeName);
    RawEntry link = file("ConfigJsonFile", "/etc");
    link.mode = 0120777;
    row("symlink entry", {link, file("ConfigJsonFile/passwd", "x")}, ArchiveError::Link);
    RawEntry fifo = file("pipe", QByteArray());
    fifo.mode = 0010644;
    row("fifo entry", {good, fifo}, ArchiveError::SpecialFile);
    RawEntry bomb = file("zeros.bin", QByteArray(2 * 1024 * 1024, '\0'));
    bomb.deflate = true;
    row("bomb over the size limit", {good, bomb}, ArchiveError::TooLarge);
    RawEntry liar = file("liar.bin", QByteArray(4096, '\x42'));
    liar.declaredSize = 10;
    row("entry that claims to be smaller", {liar}, ArchiveError::Damaged);
    RawEntry deflatedLiar = file("zeros.bin", QByteArray(2 * 1024 * 1024, '\0'));
    deflatedLiar.deflate = true;
    deflatedLiar.declaredSize = 100;
    row("compressed entry that claims to be small", {deflatedLiar}, ArchiveError::Damaged);
    QList<RawEntry> many;
    for (int i = 0; i < 11; ++i)
        many << file("m" + QByteArray::number(i), "x");
    row("more entries than allowed", many, ArchiveError::TooManyEntries);
    RawEntry wrongCrc = good;
    wrongCrc.wrongCrc = true;
    row("wrong checksum", {wrongCrc}, ArchiveError::Damaged);
    row("duplicate entry", {good, good}, ArchiveError::Damaged);
    row("file used as a folder", {file("a", "x"), file("a/b", "y")}, ArchiveError::Damaged);
    RawEntry encrypted = good;
    encrypted.flags = 1;
    row("encrypted entry", {encrypted}, ArchiveError::Damaged);
    RawEntry folderWithData = folder("dir/");
    folderWithData.data = "x";
    row("folder with data", {folderWithData}, ArchiveError::Damaged);
    row("empty archive", {}, ArchiveError::Empty);
    QTest::newRow("not an archive") << QByteArray("<html>404 not found</html>") << int(ArchiveError::NotAnArchive);
    QTest::newRow("nothing at all") << QByteArray() << int(ArchiveError::NotAnArchive);
    const QByteArray whole = buildZip({good, file("b.json", QByteArray(1000, 'b'))});
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
    const QByteArray zip = buildZip({folder("ConfigJsonFile/"), file("ConfigJsonFile/Config1.json", "new one"),
                                     file("ConfigJsonFile/Config5.json", "five")});
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
    const ArchiveResult r = replaceFolderFromArchive(buildZip({folder("PlayerCustom/")}), target);
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

    QCOMPARE(replaceFolderFromArchive(buildZip({file("../x", "x")}), profiles.target).error,
             ArchiveError::UnsafeName);
    QCOMPARE(snapshot(profiles.target), before);
    QCOMPARE(QDir(profiles.parent).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"AFile"});

    // A finished swap's old folder that could not be deleted goes next time.
    QVERIFY(QDir().mkpath(profiles.parent + QStringLiteral("/.AFile.previous-5678/x")));
    QVERIFY(replaceFolderFromArchive(buildZip({file("a.json", "a")}), profiles.target).ok());
    QCOMPARE(QDir(profiles.parent).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"AFile"});
}

void TstArchive::extractWantsAnEmptyFolder()
{
    QTemporaryDir dir;
    writeFile(dir.path() + QStringLiteral("/already"), "x");
    QCOMPARE(extractArchive(buildZip({file("a", "a")}), dir.path()).error, ArchiveError::WriteFailed);
    QCOMPARE(extractArchive(buildZip({file("a", "a")}), dir.path() + QStringLiteral("/missing")).error,
             ArchiveError::WriteFailed);
}

QTEST_GUILESS_MAIN(TstArchive)
#include "tst_archive.moc"
