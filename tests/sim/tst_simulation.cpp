// The demo's and ox8ctl's emulated mouse and its state file: what one run
// writes is never lost to another running at the same time, and a file that
// is not a state of this mouse is neither used nor replaced.
#include "sim/familya/familyamouse.h"
#include "sim/simulation.h"
#include "tests/common/fifoguard.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

// A byte of the family A mouse's working memory that the test changes.
constexpr quint32 kMarkAddress = 0x480;

} // namespace

class TstSimulation : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void aLaterWriterKeepsItsChanges();
    void savingTwiceWithoutOthersWorks();
    void refusedStateIsKept_data();
    void refusedStateIsKept();
    void lockExcludesOtherUsers();

private:
    QString statePath() const { return m_dir->filePath("Simulation/ox7.state"); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TstSimulation::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

// The window runs on the emulated mouse while ox8ctl changes the same
// state file: at its exit the window must not write its older copy over it.
void TstSimulation::aLaterWriterKeepsItsChanges()
{
    Simulation window;
    QVERIFY(window.setUp(QStringLiteral("ox7")));
    QVERIFY(window.loadState(statePath()));

    {
        Simulation tool;
        QVERIFY(tool.setUp(QStringLiteral("ox7")));
        QVERIFY(tool.lockState(statePath(), 0));
        QVERIFY(tool.loadState(statePath()));
        QVERIFY(tool.familyAMouse()->setMemory(kMarkAddress, QByteArray(1, char(0x02))));
        QVERIFY(tool.saveState(statePath()));
    }
    const QByteArray theTools = readAll(statePath());
    QVERIFY(!theTools.isEmpty());

    QVERIFY(window.familyAMouse()->setMemory(kMarkAddress, QByteArray(1, char(0x08))));
    QString error;
    QVERIFY(!window.saveState(statePath(), &error));
    QVERIFY(error.contains("another program"));
    QCOMPARE(readAll(statePath()), theTools);
}

void TstSimulation::savingTwiceWithoutOthersWorks()
{
    Simulation sim;
    QVERIFY(sim.setUp(QStringLiteral("ox7")));
    QVERIFY(sim.loadState(statePath()));
    QVERIFY(sim.saveState(statePath()));
    QVERIFY(sim.familyAMouse()->setMemory(kMarkAddress, QByteArray(1, char(0x04))));
    QVERIFY(sim.saveState(statePath()));

    Simulation next;
    QVERIFY(next.setUp(QStringLiteral("ox7")));
    QVERIFY(next.loadState(statePath()));
    QCOMPARE(next.familyAMouse()->memory(kMarkAddress, 1), QByteArray(1, char(0x04)));
}

// A damaged file, another model's state or a FIFO: refused without
// blocking, and kept as it is (nothing of the run replaces it).
void TstSimulation::refusedStateIsKept_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("damaged") << "damaged";
    QTest::newRow("another model's") << "foreign";
    QTest::newRow("a FIFO") << "fifo";
}

void TstSimulation::refusedStateIsKept()
{
    QFETCH(QString, kind);
    QVERIFY(QDir().mkpath(m_dir->filePath("Simulation")));
    if (kind == "damaged") {
        QVERIFY(writeAll(statePath(), "OX8SIMFA but cut short"));
    } else if (kind == "foreign") {
        Simulation other;
        QVERIFY(other.setUp(QStringLiteral("ox6")));
        QVERIFY(other.saveState(statePath()));
    } else {
        QVERIFY(fifoguard::makeFifo(statePath()));
    }
    const QByteArray before = kind == "fifo" ? QByteArray() : readAll(statePath());

    Simulation sim;
    QVERIFY(sim.setUp(QStringLiteral("ox7")));
    bool loaded = true;
    bool saved = true;
    QVERIFY(fifoguard::finishesWithoutBlocking(statePath(), [&] {
        loaded = sim.loadState(statePath());
        saved = sim.saveState(statePath());
    }));
    QVERIFY(!loaded);
    QVERIFY(!saved);
    if (kind != "fifo")
        QCOMPARE(readAll(statePath()), before);
}

void TstSimulation::lockExcludesOtherUsers()
{
    Simulation first;
    Simulation second;
    QVERIFY(first.setUp(QStringLiteral("ox7")));
    QVERIFY(second.setUp(QStringLiteral("ox7")));
    QVERIFY(first.lockState(statePath(), 0));
    QString error;
    QVERIFY(!second.lockState(statePath(), 0, &error));
    QVERIFY(error.contains("in use"));
    first.unlockState();
    QVERIFY(second.lockState(statePath(), 0));
}

QTEST_GUILESS_MAIN(TstSimulation)
#include "tst_simulation.moc"
