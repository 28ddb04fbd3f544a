// The rules for files others may have put in our way: only regular files
// are read, nothing blocks, no link at the end of a path is followed, and
// damaged files are kept aside instead of being replaced without a trace.
#include "platform/safefile.h"
#include "tests/common/fifoguard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

bool writeAll(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool makeLink(const QString &target, const QString &link)
{
    return QFile::link(target, link);
}

// The entries of a folder, hidden ones included (no temporary file may stay).
QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Dates an entry (a link itself, not its target) ageSeconds into the past.
bool age(const QString &path, int ageSeconds)
{
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = time(nullptr) - ageSeconds;
    times[0].tv_nsec = times[1].tv_nsec = 0;
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

} // namespace

class TstSafeFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { setReplaceAbortBeforeCommit(false); }

    void readKinds_data();
    void readKinds();
    void readOfAFifoDoesNotBlock();
    void readOnlyFileIsReadable();
    void sizeLimit();

    void replaceKeepsTargetsOfLinks_data();
    void replaceKeepsTargetsOfLinks();
    void replaceRefusesSpecialFiles_data();
    void replaceRefusesSpecialFiles();
    void replaceKeepsPermissions();
    void interruptedReplaceLeavesTheOldFile();
    void staleTemporariesAreRemoved_data();
    void staleTemporariesAreRemoved();
    void damagedFileIsKeptAside();
    void damagedFileStaysWhenTheWriteFails();
    void moveAsideNamesAreUnique();

    void appendRefusesLinksAndFifos();
    void insideFolder_data();
    void insideFolder();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TstSafeFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TstSafeFile::readKinds_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("result");
    QTest::newRow("a regular file") << "file" << int(ReadResult::Ok);
    QTest::newRow("nothing there") << "missing" << int(ReadResult::Missing);
    QTest::newRow("a folder") << "folder" << int(ReadResult::NotRegular);
    QTest::newRow("a link to a regular file is not followed") << "link" << int(ReadResult::NotRegular);
    QTest::newRow("a dangling link") << "dangling" << int(ReadResult::NotRegular);
    QTest::newRow("a FIFO") << "fifo" << int(ReadResult::NotRegular);
}

void TstSafeFile::readKinds()
{
    QFETCH(QString, kind);
    QFETCH(int, result);
    const QString target = path("target");
    QVERIFY(writeAll(target, "secret"));
    const QString p = path("entry");
    if (kind == "file")
        QVERIFY(writeAll(p, "content"));
    else if (kind == "folder")
        QVERIFY(QDir().mkdir(p));
    else if (kind == "link")
        QVERIFY(makeLink(target, p));
    else if (kind == "dangling")
        QVERIFY(makeLink(path("nowhere"), p));
    else if (kind == "fifo")
        QVERIFY(fifoguard::makeFifo(p));

    QByteArray data = "left over";
    QCOMPARE(int(readRegularFile(p, 1024, data)), result);
    QCOMPARE(data, result == int(ReadResult::Ok) ? QByteArray("content") : QByteArray());
    QCOMPARE(isMissingOrRegularFile(p), kind == "file" || kind == "missing");
    // Reading changes nothing and creates nothing.
    QCOMPARE(readAll(target), QByteArray("secret"));
    QVERIFY(!QFileInfo::exists(path("nowhere")));
}

void TstSafeFile::readOfAFifoDoesNotBlock()
{
    const QString fifo = path("state");
    QVERIFY(fifoguard::makeFifo(fifo));
    ReadResult result = ReadResult::Ok;
    QVERIFY(fifoguard::finishesWithoutBlocking(fifo, [&] {
        QByteArray data;
        result = readRegularFile(fifo, 1024, data);
    }));
    QCOMPARE(int(result), int(ReadResult::NotRegular));
}

// Reading must not need write permission (a 0444 profile is readable).
void TstSafeFile::readOnlyFileIsReadable()
{
    const QString p = path("Config1.json");
    QVERIFY(writeAll(p, "{}"));
    QVERIFY(QFile::setPermissions(p, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QByteArray data;
    QCOMPARE(int(readRegularFile(p, 1024, data)), int(ReadResult::Ok));
    QCOMPARE(data, QByteArray("{}"));
}

void TstSafeFile::sizeLimit()
{
    const QString p = path("big");
    QVERIFY(writeAll(p, QByteArray(100, 'x')));
    QByteArray data;
    QCOMPARE(int(readRegularFile(p, 100, data)), int(ReadResult::Ok));
    QCOMPARE(data.size(), 100);
    QCOMPARE(int(readRegularFile(p, 99, data)), int(ReadResult::TooLarge));
    QVERIFY(data.isEmpty());
}

// A link planted where we write (APP/…/Config2.json -> a file elsewhere,
// even a root-owned one) is replaced itself; its target is never written,
// and a dangling link never creates its target.
void TstSafeFile::replaceKeepsTargetsOfLinks_data()
{
    QTest::addColumn<bool>("dangling");
    QTest::newRow("link to a file") << false;
    QTest::newRow("dangling link") << true;
}

void TstSafeFile::replaceKeepsTargetsOfLinks()
{
    QFETCH(bool, dangling);
    const QString target = path("elsewhere");
    if (!dangling)
        QVERIFY(writeAll(target, "not ours"));
    const QString p = path("Config2.json");
    QVERIFY(makeLink(target, p));

    QString error;
    QVERIFY2(replaceFileAtomically(p, "{\"ours\":1}", &error), qPrintable(error));
    QCOMPARE(int(fileKind(p)), int(FileKind::Regular));
    QCOMPARE(readAll(p), QByteArray("{\"ours\":1}"));
    if (dangling)
        QVERIFY(!QFileInfo::exists(target));
    else
        QCOMPARE(readAll(target), QByteArray("not ours"));
}

void TstSafeFile::replaceRefusesSpecialFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("a FIFO stays a FIFO") << "fifo";
    QTest::newRow("a folder stays a folder") << "folder";
}

void TstSafeFile::replaceRefusesSpecialFiles()
{
    QFETCH(QString, kind);
    const QString p = path("export.json");
    if (kind == "fifo")
        QVERIFY(fifoguard::makeFifo(p));
    else
        QVERIFY(QDir().mkdir(p));
    const FileKind before = fileKind(p);
    bool replaced = true;
    QVERIFY(fifoguard::finishesWithoutBlocking(p, [&] { replaced = replaceFileAtomically(p, "data"); }));
    QVERIFY(!replaced);
    QCOMPARE(int(fileKind(p)), int(before));
    QCOMPARE(entries(m_dir->path()), QStringList{"export.json"});
}

void TstSafeFile::replaceKeepsPermissions()
{
    const QString p = path("system.ini");
    QVERIFY(writeAll(p, "old"));
    QVERIFY(QFile::setPermissions(p, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QVERIFY(replaceFileAtomically(p, "new"));
    QCOMPARE(readAll(p), QByteArray("new"));
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(p).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0600);
}

void TstSafeFile::interruptedReplaceLeavesTheOldFile()
{
    const QString p = path("Config1.json");
    QVERIFY(writeAll(p, "old"));
    setReplaceAbortBeforeCommit(true);
    QVERIFY(!replaceFileAtomically(p, "new"));
    setReplaceAbortBeforeCommit(false);
    QCOMPARE(readAll(p), QByteArray("old"));
    QCOMPARE(entries(m_dir->path()), QStringList{"Config1.json"});
}

void TstSafeFile::staleTemporariesAreRemoved_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("ageSeconds");
    QTest::addColumn<bool>("removed");
    const QString temp = QStringLiteral(".Config1.json.0a1b2c3d.tmp");
    QTest::newRow("an old temporary file of the same file") << temp << "file" << 3600 << true;
    QTest::newRow("a young one: its writer may still be busy") << temp << "file" << 5 << false;
    QTest::newRow("another file's") << ".Config2.json.0a1b2c3d.tmp" << "file" << 3600 << false;
    QTest::newRow("not our pattern") << ".Config1.json.0a1b2c3g.tmp" << "file" << 3600 << false;
    QTest::newRow("a longer name") << ".Config1.json.0a1b2c3d4.tmp" << "file" << 3600 << false;
    QTest::newRow("a folder with that name") << temp << "folder" << 3600 << false;
    QTest::newRow("a link with that name") << temp << "link" << 3600 << false;
}

void TstSafeFile::staleTemporariesAreRemoved()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(int, ageSeconds);
    QFETCH(bool, removed);
    const QString leftover = path(name);
    if (kind == QLatin1String("file"))
        QVERIFY(writeAll(leftover, "half"));
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(leftover));
    else
        QVERIFY(makeLink(path("elsewhere"), leftover));
    QVERIFY(age(leftover, ageSeconds));

    QVERIFY(replaceFileAtomically(path("Config1.json"), "new"));
    QCOMPARE(readAll(path("Config1.json")), QByteArray("new"));
    QCOMPARE(entries(m_dir->path()).contains(name), !removed);
}

void TstSafeFile::damagedFileIsKeptAside()
{
    const QString p = path("Config1.json");
    QVERIFY(writeAll(p, "{\"MouseDataOf"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Config1.json was damaged \\(cut short\\); moved aside as .*Config1.json.damaged-"));
    QVERIFY(replaceFileAtomically(p, "{}", nullptr, QStringLiteral("cut short")));
    QCOMPARE(readAll(p), QByteArray("{}"));
    const QStringList names = entries(m_dir->path());
    QCOMPARE(names.size(), 2);
    QVERIFY(names.at(1).startsWith("Config1.json.damaged-"));
    QCOMPARE(readAll(path(names.at(1))), QByteArray("{\"MouseDataOf"));
}

void TstSafeFile::damagedFileStaysWhenTheWriteFails()
{
    const QString p = path("Config1.json");
    QVERIFY(writeAll(p, "damaged"));
    setReplaceAbortBeforeCommit(true);
    QVERIFY(!replaceFileAtomically(p, "{}", nullptr, QStringLiteral("not JSON")));
    setReplaceAbortBeforeCommit(false);
    QCOMPARE(readAll(p), QByteArray("damaged"));
    QCOMPARE(entries(m_dir->path()), QStringList{"Config1.json"});
}

void TstSafeFile::moveAsideNamesAreUnique()
{
    const QString p = path("Config1.json");
    QStringList moved;
    for (int i = 0; i < 3; ++i) {
        QVERIFY(writeAll(p, QByteArray::number(i)));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("moved aside"));
        const QString aside = moveAsideDamaged(p, QStringLiteral("test"));
        QVERIFY(!aside.isEmpty());
        QVERIFY(!moved.contains(aside));
        moved << aside;
        QCOMPARE(readAll(aside), QByteArray::number(i));
    }
    QVERIFY(!QFileInfo::exists(p));
    // A link is moved itself; a folder and nothing are left alone.
    QVERIFY(writeAll(path("target"), "kept"));
    QVERIFY(makeLink(path("target"), p));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("moved aside"));
    const QString aside = moveAsideDamaged(p, QStringLiteral("a link"));
    QCOMPARE(int(fileKind(aside)), int(FileKind::Link));
    QCOMPARE(readAll(path("target")), QByteArray("kept"));
    QVERIFY(moveAsideDamaged(p, QStringLiteral("nothing")).isEmpty());
    QVERIFY(QDir().mkdir(p));
    QVERIFY(moveAsideDamaged(p, QStringLiteral("a folder")).isEmpty());
}

// The -d log: a link or a FIFO in its place is never written to (the FIFO
// would block every message).
void TstSafeFile::appendRefusesLinksAndFifos()
{
    const QString log = path("2024_01_01_10.txt");
    QFile file;
    QVERIFY(openForAppend(file, log));
    file.write("one\n");
    file.close();
    QVERIFY(openForAppend(file, log));
    file.write("two\n");
    file.close();
    QCOMPARE(readAll(log), QByteArray("one\ntwo\n"));

    const QString target = path("target");
    QVERIFY(writeAll(target, "kept"));
    const QString link = path("link.txt");
    QVERIFY(makeLink(target, link));
    QVERIFY(!openForAppend(file, link));
    QCOMPARE(readAll(target), QByteArray("kept"));

    const QString fifo = path("fifo.txt");
    QVERIFY(fifoguard::makeFifo(fifo));
    bool opened = true;
    QVERIFY(fifoguard::finishesWithoutBlocking(fifo, [&] {
        QFile f;
        opened = openForAppend(f, fifo);
    }));
    QVERIFY(!opened);
}

void TstSafeFile::insideFolder_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("inside");
    QTest::newRow("a profile deep inside") << "app/ConfigFiles/MouseFile/ox7/AFile/ConfigJsonFile/Config1.json" << true;
    QTest::newRow("a new file inside") << "app/new.json" << true;
    QTest::newRow("the folder itself") << "app" << true;
    QTest::newRow("a sibling folder with a common prefix") << "app2/x.json" << false;
    QTest::newRow("outside") << "out/x.json" << false;
    QTest::newRow("back out with ..") << "app/../out/x.json" << false;
    QTest::newRow("through a linked folder") << "alias/ConfigFiles/x.json" << true;
}

void TstSafeFile::insideFolder()
{
    QFETCH(QString, relative);
    QFETCH(bool, inside);
    QVERIFY(QDir().mkpath(path("app/ConfigFiles/MouseFile/ox7/AFile/ConfigJsonFile")));
    QVERIFY(QDir().mkpath(path("app2")));
    QVERIFY(QDir().mkpath(path("out")));
    QVERIFY(makeLink(path("app"), path("alias")));
    QCOMPARE(isPathInside(path(relative), path("app")), inside);
}

QTEST_GUILESS_MAIN(TstSafeFile)
#include "tst_safefile.moc"
