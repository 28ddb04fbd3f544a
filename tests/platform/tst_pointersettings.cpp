#include "platform/pointersettings.h"
#include "tests/common/fakedesktoppointer.h"
#include "tests/common/fifoguard.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
// Records what would reach the desktop instead of changing it.
class RecordingPointerSettings : public PointerSettings
{
public:
    using PointerSettings::PointerSettings;
    QList<int> speeds, lines;

protected:
    void applyMouseSpeed(int speed) override { speeds << speed; }
    void applyWheelScrollLines(int l) override { lines << l; }
};
} // namespace

class TstPointerSettings : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void speedIsClamped_data();
    void speedIsClamped();
    void wheelLines_data();
    void wheelLines();
    void brokenFileFallsBack();
    void fifoOrLinkIsLeftAlone();
    void gnomeScale();
    void desktopValuesComeFirst_data();
    void desktopValuesComeFirst();
};

void TstPointerSettings::defaults()
{
    QTemporaryDir dir;
    RecordingPointerSettings s(dir.path() + "/p.ini");
    QCOMPARE(s.mouseSpeed(), 10);
    QCOMPARE(s.wheelScrollLines(), 3);
}

void TstPointerSettings::speedIsClamped_data()
{
    QTest::addColumn<int>("in");
    QTest::addColumn<int>("out");
    QTest::newRow("low end") << 1 << 1;
    QTest::newRow("high end") << 20 << 20;
    QTest::newRow("below") << 0 << 1;
    QTest::newRow("above") << 400 << 20;
}

void TstPointerSettings::speedIsClamped()
{
    QFETCH(int, in);
    QFETCH(int, out);
    QTemporaryDir dir;
    RecordingPointerSettings s(dir.path() + "/p.ini");
    s.setMouseSpeed(in);
    QCOMPARE(s.mouseSpeed(), out);
    QCOMPARE(s.speeds, QList<int>{out});
    // Kept between runs.
    QCOMPARE(RecordingPointerSettings(dir.path() + "/p.ini").mouseSpeed(), out);
}

void TstPointerSettings::wheelLines_data()
{
    QTest::addColumn<int>("in");
    QTest::addColumn<int>("out");
    QTest::newRow("one screen per notch") << -1 << -1;
    QTest::newRow("one line") << 1 << 1;
    QTest::newRow("zero becomes one") << 0 << 1;
    QTest::newRow("huge") << 100000 << 100;
}

void TstPointerSettings::wheelLines()
{
    QFETCH(int, in);
    QFETCH(int, out);
    QTemporaryDir dir;
    RecordingPointerSettings s(dir.path() + "/p.ini");
    s.setWheelScrollLines(in);
    QCOMPARE(s.wheelScrollLines(), out);
    QCOMPARE(s.lines, QList<int>{out});
}

void TstPointerSettings::brokenFileFallsBack()
{
    QTemporaryDir dir;
    QFile f(dir.path() + "/p.ini");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[Pointer]\nspeed=banana\nwheelLines=-7\n");
    f.close();
    RecordingPointerSettings s(f.fileName());
    QCOMPARE(s.mouseSpeed(), 10);
    QCOMPARE(s.wheelScrollLines(), 3);
}

void TstPointerSettings::gnomeScale()
{
    QCOMPARE(gnomePointerSpeed(10), 0.0);
    QCOMPARE(gnomePointerSpeed(20), 1.0);
    QCOMPARE(gnomePointerSpeed(0), -0.9);
}

void TstPointerSettings::desktopValuesComeFirst_data()
{
    QTest::addColumn<bool>("desktopTells");
    QTest::newRow("the desktop's values are shown") << true;
    QTest::newRow("a desktop that cannot tell: the stored values") << false;
}

void TstPointerSettings::desktopValuesComeFirst()
{
    QFETCH(bool, desktopTells);
    QTemporaryDir dir;
    const QString ini = dir.path() + "/p.ini";
    PointerSettings(ini).setMouseSpeed(5);
    PointerSettings(ini).setWheelScrollLines(9);

    // A desktop with both settings, whose tools may fail to answer.
    struct Desktop : FakeDesktopPointer
    {
        bool tells = true;
        std::optional<int> readMouseSpeed() override { return tells ? std::optional<int>(16) : std::nullopt; }
        std::optional<int> readWheelScrollLines() override { return tells ? std::optional<int>(2) : std::nullopt; }
    } desktop;
    desktop.speedKnown = desktop.linesKnown = true;
    desktop.tells = desktopTells;

    PointerSettings s(ini, &desktop);
    QVERIFY(s.hasMouseSpeed() && s.hasWheelScrollLines() && !s.hasWheelPagePerNotch());
    QCOMPARE(s.mouseSpeed(), desktopTells ? 16 : 5);
    QCOMPARE(s.wheelScrollLines(), desktopTells ? 2 : 9);

    // A change reaches the desktop and is kept as well.
    s.setMouseSpeed(18);
    s.setWheelScrollLines(4);
    QCOMPARE(desktop.appliedSpeeds, QList<int>{18});
    QCOMPARE(desktop.appliedLines, QList<int>{4});
    QCOMPARE(PointerSettings(ini).mouseSpeed(), 18);
    QCOMPARE(PointerSettings(ini).wheelScrollLines(), 4);

    // Without a desktop nothing is claimed and nothing is applied.
    PointerSettings none(ini);
    QVERIFY(!none.hasMouseSpeed() && !none.hasWheelScrollLines());
}

// QSettings would block on a FIFO (the window never appears) and write
// through a link.
void TstPointerSettings::fifoOrLinkIsLeftAlone()
{
    QTemporaryDir dir;
    const QString fifo = dir.path() + "/pointer.ini";
    QVERIFY(fifoguard::makeFifo(fifo));
    RecordingPointerSettings s(fifo);
    int speed = 0;
    int lines = 0;
    QVERIFY(fifoguard::finishesWithoutBlocking(fifo, [&] {
        speed = s.mouseSpeed();
        lines = s.wheelScrollLines();
        s.setMouseSpeed(15);
    }));
    QCOMPARE(speed, 10);
    QCOMPARE(lines, 3);
    QCOMPARE(s.speeds, QList<int>{15}); // still applied to the desktop

    const QString target = dir.path() + "/elsewhere.ini";
    const QString link = dir.path() + "/linked.ini";
    QVERIFY(QFile::link(target, link));
    RecordingPointerSettings viaLink(link);
    viaLink.setWheelScrollLines(7);
    QVERIFY(!QFile::exists(target));
}

QTEST_GUILESS_MAIN(TstPointerSettings)
#include "tst_pointersettings.moc"
