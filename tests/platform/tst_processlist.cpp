#include "platform/processlist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

class TstProcessList : public QObject
{
    Q_OBJECT

private slots:
    void namesFromAFixtureTree_data();
    void namesFromAFixtureTree();
    void onlyNumericEntriesAreProcesses();
    void thisProcessIsListed();
};

namespace {
void makeProcess(const QString &root, const QString &pid, const QByteArray &cmdline, const QString &exe,
                 const QByteArray &comm)
{
    const QString dir = root + "/" + pid;
    QDir().mkpath(dir);
    if (!cmdline.isNull()) {
        QFile f(dir + "/cmdline");
        f.open(QIODevice::WriteOnly);
        f.write(cmdline);
    }
    if (!exe.isEmpty())
        QFile::link(exe, dir + "/exe");
    if (!comm.isNull()) {
        QFile f(dir + "/comm");
        f.open(QIODevice::WriteOnly);
        f.write(comm);
    }
}
} // namespace

void TstProcessList::namesFromAFixtureTree_data()
{
    QTest::addColumn<QByteArray>("cmdline");
    QTest::addColumn<QString>("exe");
    QTest::addColumn<QByteArray>("comm");
    QTest::addColumn<QString>("name");
    QTest::newRow("native program") << QByteArray("/usr/bin/foo\0--x\0", 17) << "/usr/bin/foo" << QByteArray("foo\n")
                                    << "foo";
    QTest::newRow("windows program under a loader")
        << QByteArray("C:\\Program Files\\Korvan\\KorvanUpdataOnce.exe\0", 46) << "/usr/bin/wine64-preloader"
        << QByteArray("KorvanUpdataOn\n") << "KorvanUpdataOnce.exe";
    QTest::newRow("kernel thread: comm only") << QByteArray("") << QString() << QByteArray("kworker/0:1\n")
                                              << "kworker/0:1";
    QTest::newRow("nothing readable") << QByteArray() << QString() << QByteArray() << "";
}

void TstProcessList::namesFromAFixtureTree()
{
    QFETCH(QByteArray, cmdline);
    QFETCH(QString, exe);
    QFETCH(QByteArray, comm);
    QFETCH(QString, name);
    QTemporaryDir root;
    makeProcess(root.path(), "42", cmdline, exe, comm);
    QCOMPARE(ProcessList(root.path()).processName(42), name);
}

void TstProcessList::onlyNumericEntriesAreProcesses()
{
    QTemporaryDir root;
    makeProcess(root.path(), "7", "a", QString(), "a");
    makeProcess(root.path(), "self", "a", QString(), "a");
    makeProcess(root.path(), "12x", "a", QString(), "a");
    QDir().mkpath(root.path() + "/9");
    const QVector<qint64> ids = ProcessList(root.path()).processIds();
    QCOMPARE(ids.size(), 2);
    QVERIFY(ids.contains(7) && ids.contains(9));
}

void TstProcessList::thisProcessIsListed()
{
    ProcessList list;
    QVERIFY(list.processIds().contains(getpid()));
    QCOMPARE(list.processName(getpid()), QStringLiteral("tst_processlist"));
}

QTEST_APPLESS_MAIN(TstProcessList)
#include "tst_processlist.moc"
