// The demo's emulated mouse keeps its memory in APP/Simulation: a damaged or
// foreign state file is refused as ox8ctl refuses it, and kept. (The demo
// used to start a fresh mouse and write it over the file at exit.)
#include "sim/simulation.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TstDemoState : public QObject
{
    Q_OBJECT

private slots:
    void refusedStateFileIsKept_data();
    void refusedStateFileIsKept();
};

void TstDemoState::refusedStateFileIsKept_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("damaged") << "damaged";
    QTest::newRow("another model's") << "foreign";
}

void TstDemoState::refusedStateFileIsKept()
{
    QFETCH(QString, kind);
    QTemporaryDir tmp, app;
    const QString state = app.path() + QStringLiteral("/Simulation/ox7.state");
    QVERIFY(QDir().mkpath(app.path() + QStringLiteral("/Simulation")));
    if (kind == "damaged") {
        QFile f(state);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("OX8SIMFA, cut short");
    } else {
        Simulation other;
        QVERIFY(other.setUp(QStringLiteral("ox6")));
        QVERIFY(other.saveState(state));
    }
    QFile f(state);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), tmp.path()); // our own single-instance lock
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), tmp.path());
    env.insert(QStringLiteral("OX8_APP_DIR"), app.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess demo;
    demo.setProcessEnvironment(env);
    demo.start(QStringLiteral(OX8DRIVER_BIN), {QStringLiteral("--simulate"), QStringLiteral("ox7")});
    QVERIFY(demo.waitForStarted());
    if (!demo.waitForFinished(60000)) {
        demo.kill();
        demo.waitForFinished();
        QFAIL("the demo started on a state file it should refuse");
    }
    QCOMPARE(demo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(demo.exitCode(), 2);
    QVERIFY(demo.readAllStandardError().contains("damaged or of another model"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

QTEST_GUILESS_MAIN(TstDemoState)
#include "tst_demostate.moc"
