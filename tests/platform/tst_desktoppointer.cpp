// The desktops' pointer settings through their tools, with a runner that
// answers for the tools: no real desktop tool is ever started.
#include "platform/desktoppointer.h"

#include <QtTest>

namespace {
// Stands in for the desktop tools: records each command line and answers
// with the output set for it ("program arg arg" -> output), or fails.
class ScriptedRunner : public DesktopCommandRunner
{
public:
    bool exists(const QString &program) const override { return tools.contains(program); }
    bool run(const QString &program, const QStringList &arguments, QString *output) override
    {
        const QString line = (QStringList{program} + arguments).join(QLatin1Char(' '));
        commands << line;
        if (!answers.contains(line))
            return !failUnknown;
        if (output)
            *output = answers.value(line);
        return true;
    }

    QStringList tools;
    QHash<QString, QString> answers;
    bool failUnknown = true;
    QStringList commands;
};

const QString kGnomeGet = QStringLiteral("gsettings get org.gnome.desktop.peripherals.mouse speed");
const QString kKdeSpeed = QStringLiteral("kreadconfig5 --file kcminputrc --group Mouse --key XLbInptPointerAcceleration");
const QString kKdeLines = QStringLiteral("kreadconfig5 --file kdeglobals --group KDE --key WheelScrollLines");
} // namespace

class TstDesktopPointer : public QObject
{
    Q_OBJECT

private slots:
    void detection_data();
    void detection();
    void speedScale_data();
    void speedScale();
    void gnomeReads_data();
    void gnomeReads();
    void gnomeApplies();
    void kdeReads_data();
    void kdeReads();
    void kdeApplies();
};

void TstDesktopPointer::detection_data()
{
    QTest::addColumn<QByteArray>("desktop");
    QTest::addColumn<QStringList>("tools");
    QTest::addColumn<QString>("chosen"); // empty: none

    const QStringList gnomeTools{"gsettings"};
    const QStringList kde5{"kreadconfig5", "kwriteconfig5", "gsettings"};
    QTest::newRow("GNOME") << QByteArray("GNOME") << gnomeTools << "GNOME";
    QTest::newRow("Ubuntu's GNOME") << QByteArray("ubuntu:GNOME") << gnomeTools << "GNOME";
    QTest::newRow("GNOME without gsettings") << QByteArray("GNOME") << QStringList() << "";
    QTest::newRow("KDE Plasma 5") << QByteArray("KDE") << kde5 << "KDE";
    QTest::newRow("KDE Plasma 6") << QByteArray("KDE") << QStringList{"kreadconfig6", "kwriteconfig6"} << "KDE";
    QTest::newRow("KDE with half the tools") << QByteArray("KDE") << QStringList{"kreadconfig5"} << "";
    QTest::newRow("another desktop, gsettings installed") << QByteArray("XFCE") << gnomeTools << "";
    QTest::newRow("no desktop (a bare X server)") << QByteArray() << kde5 << "";
}

void TstDesktopPointer::detection()
{
    QFETCH(QByteArray, desktop);
    QFETCH(QStringList, tools);
    QFETCH(QString, chosen);
    ScriptedRunner runner;
    runner.tools = tools;
    const std::unique_ptr<DesktopPointer> p = detectDesktopPointer(desktop, runner);
    QCOMPARE(p ? p->name() : QString(), chosen);
    QVERIFY(runner.commands.isEmpty()); // detection runs nothing
}

void TstDesktopPointer::speedScale_data()
{
    QTest::addColumn<int>("speed");
    QTest::addColumn<double>("acceleration");
    QTest::newRow("slowest") << 1 << -0.9;
    QTest::newRow("neutral") << 10 << 0.0;
    QTest::newRow("fastest") << 20 << 1.0;
}

void TstDesktopPointer::speedScale()
{
    QFETCH(int, speed);
    QFETCH(double, acceleration);
    QCOMPARE(desktopAcceleration(speed), acceleration);
    QCOMPARE(speedFromAcceleration(acceleration), speed);
}

void TstDesktopPointer::gnomeReads_data()
{
    QTest::addColumn<QString>("answer"); // "fail": the tool fails
    QTest::addColumn<int>("speed");      // 0: no value
    QTest::newRow("neutral") << "0.0\n" << 10;
    QTest::newRow("slower") << "-0.5" << 5;
    QTest::newRow("fastest") << "1.0" << 20;
    QTest::newRow("beyond the range is clamped") << "7" << 20;
    QTest::newRow("slowest GNOME value") << "-1.0" << 1;
    QTest::newRow("not a number") << "@as []" << 0;
    QTest::newRow("tool fails (no such schema)") << "fail" << 0;
}

void TstDesktopPointer::gnomeReads()
{
    QFETCH(QString, answer);
    QFETCH(int, speed);
    ScriptedRunner runner;
    if (answer != QLatin1String("fail"))
        runner.answers.insert(kGnomeGet, answer);
    GnomeDesktopPointer gnome(runner);
    const std::optional<int> got = gnome.readMouseSpeed();
    QCOMPARE(got.value_or(0), speed);
    QCOMPARE(runner.commands, QStringList{kGnomeGet});
    // GNOME keeps no wheel lines: nothing to read, nothing to run.
    QVERIFY(!gnome.hasWheelScrollLines());
    QVERIFY(!gnome.readWheelScrollLines());
    QVERIFY(!gnome.applyWheelScrollLines(5));
    QCOMPARE(runner.commands.size(), 1);
}

void TstDesktopPointer::gnomeApplies()
{
    ScriptedRunner runner;
    runner.failUnknown = false;
    GnomeDesktopPointer gnome(runner);
    QVERIFY(gnome.applyMouseSpeed(15));
    QVERIFY(gnome.applyMouseSpeed(3));
    QCOMPARE(runner.commands, (QStringList{"gsettings set org.gnome.desktop.peripherals.mouse speed 0.5",
                                           "gsettings set org.gnome.desktop.peripherals.mouse speed -0.7"}));
}

void TstDesktopPointer::kdeReads_data()
{
    QTest::addColumn<QString>("speedAnswer");
    QTest::addColumn<QString>("linesAnswer");
    QTest::addColumn<int>("speed"); // 0: no value
    QTest::addColumn<int>("lines"); // 0: no value
    QTest::newRow("both set") << "0.2\n" << "5\n" << 12 << 5;
    QTest::newRow("never set: the desktop's default, not a guess") << "" << "" << 0 << 0;
    QTest::newRow("slowest speed, lines out of range") << "-1" << "0" << 1 << 0;
    QTest::newRow("garbage") << "fast" << "many" << 0 << 0;
}

void TstDesktopPointer::kdeReads()
{
    QFETCH(QString, speedAnswer);
    QFETCH(QString, linesAnswer);
    QFETCH(int, speed);
    QFETCH(int, lines);
    ScriptedRunner runner;
    runner.answers.insert(kKdeSpeed, speedAnswer);
    runner.answers.insert(kKdeLines, linesAnswer);
    KdeDesktopPointer kde(runner, 5);
    QCOMPARE(kde.readMouseSpeed().value_or(0), speed);
    QCOMPARE(kde.readWheelScrollLines().value_or(0), lines);
    QCOMPARE(runner.commands, (QStringList{kKdeSpeed, kKdeLines}));
}

void TstDesktopPointer::kdeApplies()
{
    ScriptedRunner runner;
    runner.failUnknown = false;
    KdeDesktopPointer kde(runner, 6);
    QVERIFY(kde.hasWheelScrollLines());
    QVERIFY(!kde.hasWheelPagePerNotch());
    QVERIFY(kde.applyMouseSpeed(5));
    QVERIFY(kde.applyWheelScrollLines(7));
    // KDE has no "one screen per notch": nothing is written for it.
    QVERIFY(!kde.applyWheelScrollLines(-1));
    QCOMPARE(runner.commands,
             (QStringList{"kwriteconfig6 --file kcminputrc --group Mouse --key XLbInptPointerAcceleration -0.5",
                          "kwriteconfig6 --file kdeglobals --group KDE --key WheelScrollLines 7"}));
}

QTEST_APPLESS_MAIN(TstDesktopPointer)
#include "tst_desktoppointer.moc"
