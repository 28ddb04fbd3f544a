// The built ox8driver as a process on an emulated mouse: what its command
// line refuses, how it ends on SIGTERM and SIGINT, and what it prints.
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#ifndef OX8DRIVER_BIN
#error OX8DRIVER_BIN must name the program under test
#endif

namespace {
constexpr int kTimeoutMs = 60000;
} // namespace

class TstDriverProcess : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void emptyModelIsABadArgument();
    void helpNeedsNoDisplay_data();
    void helpNeedsNoDisplay();
    void terminationSavesTheDemoMouse_data();
    void terminationSavesTheDemoMouse();
    void terminalStaysQuiet_data();
    void terminalStaysQuiet();

private:
    void start(const QStringList &args);
    QString logText() const;
    bool mouseShown() const;
    QString statePath() const { return m_app->path() + QStringLiteral("/Simulation/ox7.state"); }

    std::unique_ptr<QTemporaryDir> m_app;
    std::unique_ptr<QTemporaryDir> m_run;
    std::unique_ptr<QProcess> m_program;
};

void TstDriverProcess::init()
{
    m_app = std::make_unique<QTemporaryDir>();
    m_run = std::make_unique<QTemporaryDir>();
    QVERIFY(m_app->isValid() && m_run->isValid());
    QVERIFY(QFile::setPermissions(m_run->path(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    QVERIFY(QDir().mkpath(m_app->path() + QStringLiteral("/Language")));
    QVERIFY(QFile::copy(QStringLiteral(OX8_SOURCE_DIR "/resources/language/translate.json"),
                        m_app->path() + QStringLiteral("/Language/translate.json")));
}

void TstDriverProcess::cleanup()
{
    if (m_program && m_program->state() != QProcess::NotRunning) {
        m_program->kill();
        m_program->waitForFinished();
    }
    m_program.reset();
}

void TstDriverProcess::start(const QStringList &args)
{
    m_program = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OX8_APP_DIR"), m_app->path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_run->path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("OX8_E2E_WIDGET_MAP"), m_app->path() + QStringLiteral("/widgets.json"));
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    env.remove(QStringLiteral("XDG_CURRENT_DESKTOP")); // never the desktop's own settings tools
    m_program->setProcessEnvironment(env);
    m_program->start(QStringLiteral(OX8DRIVER_BIN), args);
    QVERIFY(m_program->waitForStarted());
}

QString TstDriverProcess::logText() const
{
    QString text;
    const QDir logs(m_app->path() + QStringLiteral("/Log"));
    for (const QString &name : logs.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
        QFile f(logs.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(f.readAll());
    }
    return text;
}

// The emulated mouse is open: the no-device dialog has gone.
bool TstDriverProcess::mouseShown() const
{
    QFile f(m_app->path() + QStringLiteral("/widgets.json"));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QJsonObject map = QJsonDocument::fromJson(f.readAll()).object();
    const QJsonObject dialog = map.value(QStringLiteral("NeedDeviceDialog")).toObject();
    return !dialog.isEmpty() && !dialog.value(QStringLiteral("visible")).toBool();
}

void TstDriverProcess::emptyModelIsABadArgument()
{
    // A script's empty variable must not leave the program on the real mice.
    for (const QString &model : {QString(), QStringLiteral(" ")}) {
        start({QStringLiteral("--simulate"), model});
        QVERIFY(m_program->waitForFinished(kTimeoutMs));
        QCOMPARE(m_program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_program->exitCode(), 2);
    }
}

void TstDriverProcess::helpNeedsNoDisplay_data()
{
    // The man pages are made from this output at build time, where there is
    // no display and no running instance may be disturbed.
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("expected");
    QTest::newRow("--help") << "--help" << "Usage: ox8driver";
    QTest::newRow("-h") << "-h" << "--simulate MODEL[:receiver]";
    QTest::newRow("--version") << "--version" << "ox8driver 0.9.013950.0513";
}

void TstDriverProcess::helpNeedsNoDisplay()
{
    QFETCH(QString, argument);
    QFETCH(QString, expected);
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OX8_APP_DIR"), m_app->path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_run->path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")); // would fail without a display
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(OX8DRIVER_BIN), {argument});
    QVERIFY(program.waitForFinished(kTimeoutMs));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY2(QString::fromUtf8(program.readAllStandardOutput()).contains(expected), qPrintable(expected));
    // Nothing was started: no lock, no log, no emulated mouse.
    QCOMPARE(QDir(m_run->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QCOMPARE(QDir(m_app->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"Language"});
}

void TstDriverProcess::terminationSavesTheDemoMouse_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<QString>("after"); // the log line to wait for

    QTest::newRow("SIGTERM once the mouse is open") << int(SIGTERM) << "slot_OpenDeviceResult true 11";
    QTest::newRow("SIGINT once the mouse is open") << int(SIGINT) << "slot_OpenDeviceResult true 11";
    QTest::newRow("SIGTERM while the mouse opens") << int(SIGTERM) << "openDevice Pid";
}

void TstDriverProcess::terminationSavesTheDemoMouse()
{
    QFETCH(int, signalNumber);
    QFETCH(QString, after);

    start({QStringLiteral("--simulate"), QStringLiteral("ox7"), QStringLiteral("-d")});
    QTRY_VERIFY_WITH_TIMEOUT(logText().contains(after), kTimeoutMs);
    QVERIFY(!QFile::exists(statePath()));

    QCOMPARE(::kill(pid_t(m_program->processId()), signalNumber), 0);
    QVERIFY(m_program->waitForFinished(kTimeoutMs));
    QCOMPARE(m_program->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program->exitCode(), 0);
    QVERIFY2(QFile::exists(statePath()), "the demo mouse's memory was saved");
    QVERIFY(logText().contains(QStringLiteral("slot_TerminationRequested %1").arg(signalNumber)));
}

void TstDriverProcess::terminalStaysQuiet_data()
{
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<bool>("chatter");
    QTest::newRow("plain run prints no device traffic") << QStringList() << false;
    QTest::newRow("--verbose prints it") << QStringList{QStringLiteral("--verbose")} << true;
}

void TstDriverProcess::terminalStaysQuiet()
{
    QFETCH(QStringList, extra);
    QFETCH(bool, chatter);

    start(QStringList{QStringLiteral("--simulate"), QStringLiteral("ox7")} + extra);
    QTRY_VERIFY_WITH_TIMEOUT(mouseShown(), kTimeoutMs);
    m_program->terminate();
    QVERIFY(m_program->waitForFinished(kTimeoutMs));
    QCOMPARE(m_program->exitCode(), 0);
    const QString err = QString::fromLocal8Bit(m_program->readAllStandardError());
    QCOMPARE(err.contains(QLatin1String("write func")), chatter);
    QCOMPARE(err.contains(QLatin1String("slot_OpenDeviceResult")), chatter);
    QVERIFY(!QDir(m_app->path() + QStringLiteral("/Log")).exists()); // no file without -d
}

QTEST_GUILESS_MAIN(TstDriverProcess)
#include "tst_driverprocess.moc"
