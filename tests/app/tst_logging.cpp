#include "app/logging.h"
#include "tests/common/fifoguard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

class TstLogging : public QObject
{
    Q_OBJECT

private slots:
    void messageText_data();
    void messageText();
    void lineFormat();
    void hoursSplitFiles();
    void unwritableDirectoryDropsTheMessage();
    void switchOnlyWithExactDashD_data();
    void switchOnlyWithExactDashD();
    void concurrentLinesDoNotInterleave();
    void routing_data();
    void routing();
    void handlerKeepsTheTerminalQuiet();
    void fifoOrLinkInPlaceOfTheFile();
};

namespace {
// Stands in for Qt's own handler, which the routing hands terminal lines to.
QStringList g_terminal;
void terminalCapture(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    g_terminal << QString::number(int(type)) + QLatin1Char(' ') + message;
}
} // namespace

void TstLogging::messageText_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::newRow("debug") << int(QtDebugMsg) << "hello";
    QTest::newRow("warning") << int(QtWarningMsg) << "Warning: hello";
    QTest::newRow("critical") << int(QtCriticalMsg) << "Critical: hello";
    QTest::newRow("fatal") << int(QtFatalMsg) << "Fatal: hello";
    QTest::newRow("info has no text") << int(QtInfoMsg) << "";
}

void TstLogging::messageText()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    QCOMPARE(logMessageText(QtMsgType(type), QStringLiteral("hello")), text);
}

void TstLogging::lineFormat()
{
    QTemporaryDir dir;
    const QDateTime t(QDate(2026, 3, 4), QTime(5, 6, 7));
    QVERIFY(appendLogLine(dir.path(), t, QtWarningMsg, "disk full"));
    QVERIFY(appendLogLine(dir.path(), t.addSecs(1), QtDebugMsg, "second"));
    QFile f(dir.path() + "/Log/2026_03_04_05.txt");
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("2026-03-04 05:06:07: Warning: disk full\n2026-03-04 05:06:08: second\n"));
}

void TstLogging::hoursSplitFiles()
{
    QTemporaryDir dir;
    const QDateTime before(QDate(2026, 12, 31), QTime(23, 59, 59));
    QVERIFY(appendLogLine(dir.path(), before, QtDebugMsg, "old year"));
    QVERIFY(appendLogLine(dir.path(), before.addSecs(1), QtDebugMsg, "new year"));
    const QStringList files = QDir(dir.path() + "/Log").entryList(QDir::Files, QDir::Name);
    QCOMPARE(files, (QStringList{"2026_12_31_23.txt", "2027_01_01_00.txt"}));
    QCOMPARE(logFilePathFor("/x", before), QStringLiteral("/x/Log/2026_12_31_23.txt"));
}

void TstLogging::unwritableDirectoryDropsTheMessage()
{
    QTemporaryDir dir;
    QFile blocker(dir.path() + "/Log");
    QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    QVERIFY(!appendLogLine(dir.path(), QDateTime::currentDateTime(), QtDebugMsg, "lost"));
}

void TstLogging::switchOnlyWithExactDashD_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("on");
    QTest::newRow("none") << QStringList{"ox8driver"} << false;
    QTest::newRow("-d") << QStringList{"ox8driver", "-d"} << true;
    QTest::newRow("-d anywhere") << QStringList{"ox8driver", "--simulate", "ox7", "-d"} << true;
    QTest::newRow("-D") << QStringList{"ox8driver", "-D"} << false;
    QTest::newRow("--d") << QStringList{"ox8driver", "--d"} << false;
    QTest::newRow("-dd") << QStringList{"ox8driver", "-dd"} << false;
}

void TstLogging::switchOnlyWithExactDashD()
{
    QFETCH(QStringList, args);
    QFETCH(bool, on);
    QCOMPARE(argumentsEnableLog(args), on);
}

void TstLogging::concurrentLinesDoNotInterleave()
{
    QTemporaryDir dir;
    qputenv("OX8_APP_DIR", dir.path().toLocal8Bit());
    const QString line(200, QLatin1Char('x'));
    std::vector<std::unique_ptr<QThread>> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back(QThread::create([&line] {
            for (int i = 0; i < 200; ++i)
                fileMessageHandler(QtDebugMsg, QMessageLogContext(), line);
        }));
        threads.back()->start();
    }
    for (auto &t : threads)
        t->wait();
    qunsetenv("OX8_APP_DIR");
    int lines = 0;
    for (const QString &name : QDir(dir.path() + "/Log").entryList(QDir::Files)) {
        QFile f(dir.path() + "/Log/" + name);
        QVERIFY(f.open(QIODevice::ReadOnly));
        while (!f.atEnd()) {
            const QByteArray l = f.readLine();
            QCOMPARE(l.size(), 19 + 2 + 200 + 1);
            ++lines;
        }
    }
    QCOMPARE(lines, 800);
}

void TstLogging::routing_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("rules");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("terminal");
    QTest::addColumn<bool>("file");

    const QStringList plain{"ox8driver", "--simulate", "ox7"};
    QTest::newRow("plain run keeps debug lines off the terminal") << plain << QByteArray() << int(QtDebugMsg)
                                                                  << false << false;
    QTest::newRow("plain run keeps info lines off the terminal") << plain << QByteArray() << int(QtInfoMsg)
                                                                 << false << false;
    QTest::newRow("plain run still shows warnings") << plain << QByteArray() << int(QtWarningMsg) << true << false;
    QTest::newRow("plain run still shows errors") << plain << QByteArray() << int(QtCriticalMsg) << true << false;
    QTest::newRow("-d writes the file and talks") << QStringList{"ox8driver", "-d"} << QByteArray() << int(QtDebugMsg)
                                                  << true << true;
    QTest::newRow("-d keeps warnings on the terminal") << QStringList{"ox8driver", "-d"} << QByteArray()
                                                       << int(QtWarningMsg) << true << true;
    QTest::newRow("--verbose talks without a file") << QStringList{"ox8driver", "--verbose"} << QByteArray()
                                                    << int(QtDebugMsg) << true << false;
    QTest::newRow("QT_LOGGING_RULES lets its rules decide") << plain << QByteArray("*.debug=true")
                                                            << int(QtDebugMsg) << true << false;
    QTest::newRow("blank QT_LOGGING_RULES counts as none") << plain << QByteArray("  ") << int(QtDebugMsg) << false
                                                           << false;
    QTest::newRow("-D asks for nothing") << QStringList{"ox8driver", "-D"} << QByteArray() << int(QtDebugMsg) << false
                                         << false;
}

void TstLogging::routing()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, rules);
    QFETCH(int, type);
    QFETCH(bool, terminal);
    QFETCH(bool, file);
    const LogRouting r = logRoutingFor(args, rules);
    QCOMPARE(reachesTerminal(QtMsgType(type), r), terminal);
    QCOMPARE(r.toFile, file);
}

void TstLogging::handlerKeepsTheTerminalQuiet()
{
    QTemporaryDir dir;
    qputenv("OX8_APP_DIR", dir.path().toLocal8Bit());
    g_terminal.clear();
    const QtMessageHandler original = qInstallMessageHandler(terminalCapture);
    LogRouting routing;
    routing.toFile = true;
    installLogRouting(routing);
    installLogRouting(routing); // a second install must not loop
    qDebug("write func: %d", 164);
    qWarning("disk full");
    qInstallMessageHandler(original);
    qunsetenv("OX8_APP_DIR");

    QCOMPARE(g_terminal, QStringList{QString::number(int(QtWarningMsg)) + " disk full"});
    // The file keeps every line in its own format.
    QByteArray text;
    for (const QString &name : QDir(dir.path() + "/Log").entryList(QDir::Files, QDir::Name)) {
        QFile f(dir.path() + "/Log/" + name);
        QVERIFY(f.open(QIODevice::ReadOnly));
        text += f.readAll();
    }
    const QList<QByteArray> lines = text.split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).endsWith(": write func: 164"));
    QVERIFY(lines.at(1).endsWith(": Warning: disk full"));
}

// A FIFO where the hour's log goes would block every message (and the window
// would never appear); a link would have the log written elsewhere.
void TstLogging::fifoOrLinkInPlaceOfTheFile()
{
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    const QDateTime t(QDate(2026, 3, 4), QTime(5, 6, 7));
    const QString path = logFilePathFor(dir.path(), t);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QVERIFY(fifoguard::makeFifo(path));
    bool written = true;
    QVERIFY(fifoguard::finishesWithoutBlocking(path, [&] { written = appendLogLine(dir.path(), t, QtDebugMsg, "x"); }));
    QVERIFY(!written);

    QVERIFY(QFile::remove(path));
    const QString target = elsewhere.filePath("other.txt");
    QVERIFY(QFile::link(target, path));
    QVERIFY(!appendLogLine(dir.path(), t, QtDebugMsg, "x"));
    QVERIFY(!QFileInfo::exists(target));
}

QTEST_APPLESS_MAIN(TstLogging)
#include "tst_logging.moc"
