#include "app/singleinstance.h"

#include <QLockFile>
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
    void instanceDirectory_data();
    void instanceDirectory();
    void secondProgramStartExitsWithMinusOne();
    void foreignLockInTheTempFolderDoesNotBlockTheProgram();

private:
    // A private runtime directory, as a login session has one.
    static bool makePrivate(const QString &dir)
    {
        return QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
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

void TstSingleInstance::instanceDirectory_data()
{
    QTest::addColumn<QString>("runtime"); // "private", "open", "file", "missing", "relative" or empty
    QTest::addColumn<bool>("usesRuntime");
    QTest::newRow("private runtime directory") << "private" << true;
    QTest::newRow("no runtime directory: APP") << "" << false;
    QTest::newRow("runtime directory others may enter: APP") << "open" << false;
    QTest::newRow("runtime directory that is a file: APP") << "file" << false;
    QTest::newRow("missing runtime directory: APP") << "missing" << false;
    QTest::newRow("relative runtime directory: APP") << "relative" << false;
}

void TstSingleInstance::instanceDirectory()
{
    QFETCH(QString, runtime);
    QFETCH(bool, usesRuntime);
    QTemporaryDir dir;
    const QString app = dir.path() + "/app";
    QString path = dir.path() + "/run";
    if (runtime == "private") {
        QVERIFY(QDir().mkpath(path));
        QVERIFY(makePrivate(path));
    } else if (runtime == "open") {
        QVERIFY(QDir().mkpath(path));
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                | QFileDevice::ReadOther | QFileDevice::WriteOther
                                                | QFileDevice::ExeOther));
    } else if (runtime == "file") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    } else if (runtime == "relative") {
        path = "run";
    } else if (runtime.isEmpty()) {
        path.clear();
    }
    const QString chosen = singleInstanceDirectory(QFile::encodeName(path), app);
    QCOMPARE(chosen, usesRuntime ? path : app);
    QVERIFY(!chosen.startsWith(QDir::tempPath() + "/ox8"));
}

void TstSingleInstance::secondProgramStartExitsWithMinusOne()
{
    QTemporaryDir tmp, app, run;
    QVERIFY(makePrivate(run.path()));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", tmp.path());
    env.insert("XDG_RUNTIME_DIR", run.path()); // our own lock and socket, whatever else runs
    env.insert("OX8_APP_DIR", app.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("XDG_CURRENT_DESKTOP"); // never the desktop's own settings tools

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(OX8DRIVER_BIN), QStringList());
    QVERIFY(first.waitForStarted());
    // Wait until the first instance listens: lock and socket in the runtime directory.
    QTRY_VERIFY_WITH_TIMEOUT(QDir(run.path()).entryList(QDir::System | QDir::Files).size() >= 2, 20000);
    QVERIFY(QDir(tmp.path()).entryList({"ox8-single-*"}, QDir::System | QDir::Files).isEmpty());

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(OX8DRIVER_BIN), QStringList());
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitCode(), 255); // -1 as a process exit status
    QCOMPARE(first.state(), QProcess::Running);

    first.terminate();
    QVERIFY(first.waitForFinished(10000));
}

void TstSingleInstance::foreignLockInTheTempFolderDoesNotBlockTheProgram()
{
    // Another user may create any name in the shared temp folder; a lock
    // held there by a running process must not keep the program from starting.
    QTemporaryDir tmp, app, run;
    QVERIFY(makePrivate(run.path()));
    const QString name = SingleInstanceGuard("OX6", run.path() + "/probe").serverName();
    QLockFile squatter(tmp.path() + "/" + name + ".lock");
    QVERIFY(squatter.tryLock(0)); // held by a live process for as long as the test runs

    for (const bool withRuntimeDir : {true, false}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TMPDIR", tmp.path());
        if (withRuntimeDir)
            env.insert("XDG_RUNTIME_DIR", run.path());
        else
            env.remove("XDG_RUNTIME_DIR");
        env.insert("OX8_APP_DIR", app.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove("XDG_CURRENT_DESKTOP");
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(OX8DRIVER_BIN), QStringList());
        QVERIFY(program.waitForStarted());
        const QString dir = withRuntimeDir ? run.path() : app.path();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir + "/" + name + ".socket") || program.state() != QProcess::Running,
                                 20000);
        QVERIFY2(program.state() == QProcess::Running,
                 qPrintable(QStringLiteral("exited with %1: %2")
                                .arg(program.exitCode())
                                .arg(QString::fromLocal8Bit(program.readAllStandardError()))));
        QVERIFY(QFile::exists(dir + "/" + name + ".lock"));
        program.terminate();
        QVERIFY(program.waitForFinished(10000));
    }
}

QTEST_MAIN(TstSingleInstance)
#include "tst_singleinstance.moc"
