#include "discovery/findprocess.h"
#include "discovery/models.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TstFindProcess : public QObject
{
    Q_OBJECT

private slots:
    void updaterDecidesTheBootLoaderCase_data();
    void updaterDecidesTheBootLoaderCase();
};

void TstFindProcess::updaterDecidesTheBootLoaderCase_data()
{
    QTest::addColumn<QStringList>("running");
    QTest::addColumn<int>("pid");
    QTest::addColumn<bool>("showUpdate");
    QTest::newRow("stuck in the boot loader") << QStringList{"bash", "ox8driver"} << int(PID_CHIP_BOOTLOADER) << true;
    QTest::newRow("updater flashing it") << QStringList{"KorvanUpdataOnce.exe"} << int(PID_CHIP_BOOTLOADER) << false;
    QTest::newRow("name differs in case only")
        << QStringList{"korvanupdataonce.exe"} << int(PID_CHIP_BOOTLOADER) << true;
    QTest::newRow("ordinary mouse") << QStringList{} << int(PID_OX6) << false;
}

void TstFindProcess::updaterDecidesTheBootLoaderCase()
{
    QFETCH(QStringList, running);
    QFETCH(int, pid);
    QFETCH(bool, showUpdate);
    QTemporaryDir proc;
    int id = 100;
    for (const QString &name : running) {
        const QString dir = proc.path() + "/" + QString::number(id++);
        QDir().mkpath(dir);
        QFile cmd(dir + "/cmdline");
        QVERIFY(cmd.open(QIODevice::WriteOnly));
        cmd.write((name.endsWith(".exe") ? "C:\\x\\" + name : "/usr/bin/" + name).toUtf8() + '\0');
        QFile comm(dir + "/comm");
        QVERIFY(comm.open(QIODevice::WriteOnly));
        comm.write(name.left(15).toUtf8() + "\n");
    }
    FindProcess processes(proc.path());
    QCOMPARE(processes.getProcessList().size(), running.size());
    QCOMPARE(checkIsHaldenMouseEnter(quint16(pid), processes), showUpdate);
}

QTEST_GUILESS_MAIN(TstFindProcess)
#include "tst_findprocess.moc"
