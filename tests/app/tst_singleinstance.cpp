#include "app/singleinstance.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TstSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondGuardFindsTheFirst();
    void keysAreIndependent();
    void lockOfADeadInstanceIsTakenOver();
    void secondProgramStartExitsWithMinusOne();
};

void TstSingleInstance::secondGuardFindsTheFirst()
{
    QTemporaryDir dir;
    SingleInstanceGuard first("OX6-test-a", dir.path());
    QVERIFY(!first.isRunning());
    QSignalSpy spy(&first, &SingleInstanceGuard::messageReceived);
    {
        SingleInstanceGuard second("OX6-test-a", dir.path());
        QVERIFY(second.isRunning());
        QVERIFY(second.sendMessage("OX6", 5000));
    }
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("OX6"));
}

void TstSingleInstance::keysAreIndependent()
{
    QTemporaryDir dir;
    SingleInstanceGuard a("OX6-test-b", dir.path());
    SingleInstanceGuard b("OX6-test-c", dir.path());
    QVERIFY(!a.isRunning());
    QVERIFY(!b.isRunning());
}

void TstSingleInstance::lockOfADeadInstanceIsTakenOver()
{
    // A crashed instance leaves its lock file behind; the next start must run.
    QTemporaryDir dir;
    QProcess child;
    child.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exit 0")});
    QVERIFY(child.waitForFinished());
    const qint64 deadPid = child.processId() > 0 ? child.processId() : 999999;

    const QString name = SingleInstanceGuard("OX6-test-d", dir.path() + "/probe").serverName();
    QFile lock(dir.path() + "/" + name + ".lock");
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(deadPid) + "\nox8driver\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();

    SingleInstanceGuard guard("OX6-test-d", dir.path());
    QVERIFY(!guard.isRunning());
}

void TstSingleInstance::secondProgramStartExitsWithMinusOne()
{
    QTemporaryDir tmp, app;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", tmp.path()); // our own lock and socket, whatever else runs
    env.insert("OX8_APP_DIR", app.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(OX8DRIVER_BIN), QStringList());
    QVERIFY(first.waitForStarted());
    // Wait until the first instance listens.
    QTRY_VERIFY_WITH_TIMEOUT(QDir(tmp.path()).entryList(QDir::System | QDir::Files).size() >= 2, 20000);

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(OX8DRIVER_BIN), QStringList());
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitCode(), 255); // -1 as a process exit status
    QCOMPARE(first.state(), QProcess::Running);

    first.terminate();
    QVERIFY(first.waitForFinished(10000));
}

QTEST_MAIN(TstSingleInstance)
#include "tst_singleinstance.moc"
