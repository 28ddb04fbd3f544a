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
