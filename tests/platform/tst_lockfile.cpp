// Taking a lock file whose holder may have been killed: an ox8ctl killed
// between creating its lock file and writing its id into it blocked every
// later command for good.

#include "platform/lockfile.h"

#include <QDateTime>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <QtTest>

class TstLockFile : public QObject
{
    Q_OBJECT

private slots:
    void leftLockFiles_data();
    void leftLockFiles();
    void liveHolderKeepsItsLock();
};

void TstLockFile::leftLockFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("ageMs");
    QTest::addColumn<bool>("taken");

    QTest::newRow("empty file of a holder killed at once is taken over") << QByteArray() << 5000 << true;
    QTest::newRow("id half written before the kill is taken over") << QByteArray("4711\n") << 5000 << true;
    QTest::newRow("fresh empty file: its holder may be writing its id") << QByteArray() << 0 << false;
    QTest::newRow("dead holder with a readable id is taken over")
        << QByteArray("999999999\nox8ctl\n" + QSysInfo::machineHostName().toUtf8() + "\n") << 0 << true;
}

void TstLockFile::leftLockFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(int, ageMs);
    QFETCH(bool, taken);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral(".lock"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addMSecs(-ageMs), QFileDevice::FileModificationTime));
    }
    QLockFile lock(path);
    lock.setStaleLockTime(0);
    QCOMPARE(lockTakingOverTheDead(lock, path, 300), taken);
    QCOMPARE(lock.isLocked(), taken);
}

void TstLockFile::liveHolderKeepsItsLock()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral(".lock"));
    QLockFile holder(path);
    holder.setStaleLockTime(0);
    QVERIFY(holder.tryLock(0));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    f.close();

    QLockFile second(path);
    second.setStaleLockTime(0);
    QVERIFY(!lockTakingOverTheDead(second, path, 300));
    holder.unlock();
    QVERIFY(lockTakingOverTheDead(second, path, 300));
}

QTEST_GUILESS_MAIN(TstLockFile)
#include "tst_lockfile.moc"
