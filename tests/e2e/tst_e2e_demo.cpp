// End to end: the real ox8driver in demo mode on its own X server, clicked
// with real X input (xdotool), then the emulated mouse's memory read back
// with ox8ctl. The program only tells where its widgets are (a map it
// writes when OX8_E2E_WIDGET_MAP is set); every click goes through X.
#include <QDir>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QImage>
#include <QtTest>

#include "sim/familya/familyamouse.h"
#include "sim/simulation.h"

#ifndef OX8DRIVER_BIN
#error OX8DRIVER_BIN must name the program under test
#endif

namespace {

constexpr int kStartTimeoutMs = 60000;
constexpr int kStepTimeoutMs = 30000;

QString tool(const char *name)
{
    return QStandardPaths::findExecutable(QLatin1String(name));
}

} // namespace

class TstE2eDemo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void profileAndCpiReachTheEmulatedMouse();
    void lightingAndOledPictureReachTheEmulatedMouse();

private:
    // Waits (polling, bounded) until check holds.
    bool waitFor(const std::function<bool()> &check, int timeoutMs);
    QString logText() const;
    QJsonObject widgetMap() const;
    QJsonObject widget(const QString &name) const;
    QString widgetKey(const QRegularExpression &pattern) const;
    bool isShown(const QString &name) const { return widget(name).value(QStringLiteral("visible")).toBool(); }
    // The window is idle: no overlay, no dialog.
    bool isIdle() const;
    // Idle in several maps written one after another, so a map written
    // before the last click cannot pass for the state after it.
    bool waitForIdle();
    void clickAt(const QString &name, double fx = 0.5, double fy = 0.5);
    // A stroke with the left button held through the points, given as
    // fractions of the widget's size.
    void dragAcross(const QString &name, const QList<QPointF> &fractions);
    void screenshot(const QString &file);
    void startProgram();
    QProcessEnvironment environment() const;
    QString run(const QString &program, const QStringList &args, int *exitCode = nullptr);

    QTemporaryDir m_dir;
    QString m_appDir;
    QString m_display;
    QProcess m_xserver;
    QProcess m_app;
};

bool TstE2eDemo::waitFor(const std::function<bool()> &check, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!check()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(100);
    }
    return true;
}

QString TstE2eDemo::logText() const
{
    QString text;
    const QDir logs(m_appDir + QStringLiteral("/Log"));
    for (const QString &name : logs.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
        QFile f(logs.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(f.readAll());
    }
    return text;
}

QJsonObject TstE2eDemo::widgetMap() const
{
    QFile f(m_dir.filePath(QStringLiteral("widgets.json")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

QJsonObject TstE2eDemo::widget(const QString &name) const
{
    return widgetMap().value(name).toObject();
}

QString TstE2eDemo::widgetKey(const QRegularExpression &pattern) const
{
    const QStringList keys = widgetMap().keys();
    for (const QString &key : keys) {
        if (pattern.match(key).hasMatch())
            return key;
    }
    return QString();
}

bool TstE2eDemo::isIdle() const
{
    const QJsonObject map = widgetMap();
    auto shown = [&](const char *name) {
        return map.value(QLatin1String(name)).toObject().value(QStringLiteral("visible")).toBool();
    };
    return !map.isEmpty() && !shown("LoadMessageDialog") && !shown("NeedDeviceDialog") && !shown("WarningDialog");
}

bool TstE2eDemo::waitForIdle()
{
    const QString mapFile = m_dir.filePath(QStringLiteral("widgets.json"));
    int idleMaps = 0;
    QDateTime lastMap;
    return waitFor([&] {
        const QDateTime written = QFileInfo(mapFile).lastModified();
        if (written == lastMap)
            return false;
        lastMap = written;
        idleMaps = isIdle() ? idleMaps + 1 : 0;
        return idleMaps >= 4;
    }, kStepTimeoutMs);
}

void TstE2eDemo::clickAt(const QString &name, double fx, double fy)
{
    const QJsonObject w = widget(name);
    QVERIFY2(!w.isEmpty(), qPrintable(QStringLiteral("no widget %1 on the map").arg(name)));
    const int x = w.value(QStringLiteral("x")).toInt() + int(w.value(QStringLiteral("w")).toInt() * fx);
    const int y = w.value(QStringLiteral("y")).toInt() + int(w.value(QStringLiteral("h")).toInt() * fy);
    int rc = -1;
    const QString out = run(tool("xdotool"), {QStringLiteral("mousemove"), QString::number(x), QString::number(y),
                                              QStringLiteral("click"), QStringLiteral("1")},
                            &rc);
    QVERIFY2(rc == 0, qPrintable(out));
}

void TstE2eDemo::dragAcross(const QString &name, const QList<QPointF> &fractions)
{
    const QJsonObject w = widget(name);
    QVERIFY2(!w.isEmpty(), qPrintable(QStringLiteral("no widget %1 on the map").arg(name)));
    QStringList args;
    for (int i = 0; i < fractions.size(); ++i) {
        const int x = w.value(QStringLiteral("x")).toInt() + int(w.value(QStringLiteral("w")).toInt() * fractions[i].x());
        const int y = w.value(QStringLiteral("y")).toInt() + int(w.value(QStringLiteral("h")).toInt() * fractions[i].y());
        args << QStringLiteral("mousemove") << QString::number(x) << QString::number(y);
        // Pauses between the moves, or the window would see only the last.
        args << (i == 0 ? QStringLiteral("mousedown") : QStringLiteral("sleep"))
             << (i == 0 ? QStringLiteral("1") : QStringLiteral("0.1"));
    }
    args << QStringLiteral("mouseup") << QStringLiteral("1");
    int rc = -1;
    const QString out = run(tool("xdotool"), args, &rc);
    QVERIFY2(rc == 0, qPrintable(out));
}

void TstE2eDemo::screenshot(const QString &file)
{
    const QString shot = QStringLiteral(OX8_E2E_OUTPUT_DIR "/") + file;
    QFile::remove(shot);
    int rc = -1;
    const QString importOut = run(tool("import"), {QStringLiteral("-window"), QStringLiteral("root"), shot}, &rc);
    QVERIFY2(rc == 0 && QFile::exists(shot), qPrintable(importOut));
}

void TstE2eDemo::startProgram()
{
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("OX8_E2E_WIDGET_MAP"), m_dir.filePath(QStringLiteral("widgets.json")));
    m_app.setProcessEnvironment(env);
    m_app.setProcessChannelMode(QProcess::MergedChannels);
    m_app.start(QStringLiteral(OX8DRIVER_BIN), {QStringLiteral("--simulate"), QStringLiteral("ox7"), QStringLiteral("-d")});
    QVERIFY(m_app.waitForStarted());
}

QProcessEnvironment TstE2eDemo::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("OX8_APP_DIR"), m_appDir);
    env.insert(QStringLiteral("TMPDIR"), m_dir.filePath(QStringLiteral("tmp")));
    // The demo must not change the desktop's own pointer settings.
    env.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
    // The X libraries keep caches until exit; only our own faults matter here.
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    return env;
}

QString TstE2eDemo::run(const QString &program, const QStringList &args, int *exitCode)
{
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start(program, args);
    if (!p.waitForFinished(kStepTimeoutMs)) {
        p.kill();
        p.waitForFinished();
    }
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError());
}

void TstE2eDemo::initTestCase()
{
    for (const char *needed : {"Xvfb", "xdotool", "import"}) {
        if (tool(needed).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed (scripts/setup-deps.sh installs it)")
                                 .arg(QLatin1String(needed))));
    }
    QVERIFY(m_dir.isValid());
    m_appDir = m_dir.filePath(QStringLiteral("app"));
    QVERIFY(QDir().mkpath(m_appDir + QStringLiteral("/Language")));
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("tmp"))));
    QVERIFY(QFile::copy(QStringLiteral(OX8_SOURCE_DIR "/resources/language/translate.json"),
                        m_appDir + QStringLiteral("/Language/translate.json")));

    // A private X server; it names its display on the descriptor we give it.
    m_xserver.setProcessChannelMode(QProcess::SeparateChannels);
    m_xserver.start(tool("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                   QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                                   QStringLiteral("tcp")});
    QVERIFY(m_xserver.waitForStarted());
    QVERIFY(waitFor([this] { return m_xserver.canReadLine() || m_xserver.waitForReadyRead(100); }, 20000));
    const QByteArray number = m_xserver.readLine().trimmed();
    QVERIFY2(!number.isEmpty(), "Xvfb gave no display number");
    m_display = QStringLiteral(":") + QString::fromLatin1(number);
}

void TstE2eDemo::cleanupTestCase()
{
    if (m_app.state() != QProcess::NotRunning) {
        m_app.kill();
        m_app.waitForFinished();
    }
    if (m_xserver.state() != QProcess::NotRunning) {
        m_xserver.terminate();
        if (!m_xserver.waitForFinished(5000))
            m_xserver.kill();
    }
}

void TstE2eDemo::profileAndCpiReachTheEmulatedMouse()
{
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("OX8_E2E_WIDGET_MAP"), m_dir.filePath(QStringLiteral("widgets.json")));
    m_app.setProcessEnvironment(env);
    m_app.setProcessChannelMode(QProcess::MergedChannels);
    m_app.start(QStringLiteral(OX8DRIVER_BIN), {QStringLiteral("--simulate"), QStringLiteral("ox7"), QStringLiteral("-d")});
    QVERIFY(m_app.waitForStarted());

    // The demo mouse opens and the main page shows it.
    QVERIFY2(waitFor([this] { return logText().contains(QLatin1String("slot_OpenDeviceResult true 11")); },
                     kStartTimeoutMs),
             qPrintable(QString::fromUtf8(m_app.readAll())));
    QVERIFY(waitForIdle());
    QVERIFY(isShown(QStringLiteral("ConfigureButton_3")));

    // Profile 3, then a CPI level moved with the mouse pointer.
    clickAt(QStringLiteral("ConfigureButton_3"));
    QVERIFY(waitFor([this] {
        return logText().contains(QLatin1String("slot_LoadLocalConfigFileAndWriteIntoMouse m_configNumber 3"));
    }, kStepTimeoutMs));
    QVERIFY(waitForIdle());

    const QString slider = widgetKey(QRegularExpression(QStringLiteral("CPIForm_2/.*CPISlider$")));
    QVERIFY2(!slider.isEmpty(), "no slider of the third CPI level on the map");
    clickAt(slider, 0.75);
    QVERIFY(waitFor([this] { return logText().contains(QLatin1String("slot_setCPIListValueOnMouse")); },
                    kStepTimeoutMs));
    QVERIFY(waitForIdle());

    const QString shot = QStringLiteral(OX8_E2E_OUTPUT_DIR "/e2e-main.png");
    QFile::remove(shot);
    int rc = -1;
    const QString importOut = run(tool("import"), {QStringLiteral("-window"), QStringLiteral("root"), shot}, &rc);
    QVERIFY2(rc == 0 && QFile::exists(shot), qPrintable(importOut));

    // The close button ends the program where no tray can keep it.
    clickAt(QStringLiteral("quitButton"));
    QVERIFY(m_app.waitForFinished(kStepTimeoutMs));
    QCOMPARE(m_app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_app.exitCode(), 0);
    QVERIFY(QFile::exists(m_appDir + QStringLiteral("/Simulation/ox7.state")));

    // The emulated mouse kept what the clicks wrote.
    const QString json = run(QStringLiteral(OX8CTL_BIN), {QStringLiteral("--simulate"), QStringLiteral("ox7"),
                                                          QStringLiteral("show"), QStringLiteral("--json")},
                             &rc);
    QCOMPARE(rc, 0);
    QJsonObject shown;
    for (const QString &line : json.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('{')))
            shown = QJsonDocument::fromJson(line.toUtf8()).object();
    }
    QVERIFY2(!shown.isEmpty(), qPrintable(json));
    QCOMPARE(shown.value(QStringLiteral("profile")).toInt(), 3);
    const QJsonArray cpi = shown.value(QStringLiteral("cpi")).toArray();
    QCOMPARE(cpi.size(), 7);
    // Three quarters along the OX7's 50..16000 scale, far above its factory 1500.
    QVERIFY2(cpi.at(2).toInt() > 8000, qPrintable(json));
    QCOMPARE(cpi.at(0).toInt(), 800);
}

void TstE2eDemo::lightingAndOledPictureReachTheEmulatedMouse()
{
    // A second start on the mouse the first test left behind.
    const qsizetype logBefore = logText().size();
    auto logSince = [&] { return logText().mid(logBefore); };
    startProgram();
    QVERIFY2(waitFor([&] { return logSince().contains(QLatin1String("slot_OpenDeviceResult true 11")); },
                     kStartTimeoutMs),
             qPrintable(QString::fromUtf8(m_app.readAll())));
    QVERIFY(waitForIdle());

    // Lighting page: a preset colour (67, 149, 255), then breathing.
    clickAt(QStringLiteral("LightSettingButton"));
    QVERIFY(waitFor([this] { return isShown(QStringLiteral("colorButton10")); }, kStepTimeoutMs));
    QVERIFY(!isShown(QStringLiteral("WheelLightButton"))); // the OX7 lights its logo only
    clickAt(QStringLiteral("colorButton10"));
    QVERIFY(waitFor([&] { return logSince().contains(QLatin1String("slot_SetMouseColor")); }, kStepTimeoutMs));
    QVERIFY(waitForIdle());
    clickAt(QStringLiteral("BrethModeRaioButton"), 0.05);
    QVERIFY(waitFor([&] { return logSince().contains(QLatin1String("setLightMode value 2")); }, kStepTimeoutMs));
    QVERIFY(waitForIdle());
    screenshot(QStringLiteral("e2e-lighting.png"));

    // The OLED editor from the main page: a line along the top of the picture.
    clickAt(QStringLiteral("MainSettingButton"));
    QVERIFY(waitFor([this] { return isShown(QStringLiteral("DrawButton")); }, kStepTimeoutMs));
    clickAt(QStringLiteral("DrawButton"));
    QVERIFY(waitFor([this] { return isShown(QStringLiteral("DrawBorder_Widget")); }, kStepTimeoutMs));
    clickAt(QStringLiteral("Brush_Button"));
    dragAcross(QStringLiteral("DrawBorder_Widget"),
               {{0.02, 0.02}, {0.25, 0.02}, {0.5, 0.02}, {0.75, 0.02}, {0.98, 0.02}, {0.98, 0.5}});
    screenshot(QStringLiteral("e2e-oled.png"));
    clickAt(QStringLiteral("DrawOkButton"));
    QVERIFY(waitFor([&] { return logSince().contains(QLatin1String("save widget screen succed")); }, kStepTimeoutMs));
    QVERIFY(waitFor([this] { return !isShown(QStringLiteral("DrawBorder_Widget")); }, kStepTimeoutMs));
    QVERIFY(waitForIdle());

    clickAt(QStringLiteral("quitButton"));
    QVERIFY(m_app.waitForFinished(kStepTimeoutMs));
    QCOMPARE(m_app.exitCode(), 0);

    // The light as ox8ctl reads it from the emulated mouse.
    int rc = -1;
    const QString json = run(QStringLiteral(OX8CTL_BIN), {QStringLiteral("--simulate"), QStringLiteral("ox7"),
                                                          QStringLiteral("show"), QStringLiteral("--json")},
                             &rc);
    QCOMPARE(rc, 0);
    QJsonObject shown;
    for (const QString &line : json.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('{')))
            shown = QJsonDocument::fromJson(line.toUtf8()).object();
    }
    const QJsonObject logo = shown.value(QStringLiteral("lighting")).toObject().value(QStringLiteral("logo")).toObject();
    QCOMPARE(logo.value(QStringLiteral("mode")).toString(), QStringLiteral("breathing"));
    QCOMPARE(logo.value(QStringLiteral("color")).toString(), QStringLiteral("#4395FF"));
    const int profile = shown.value(QStringLiteral("profile")).toInt();
    QVERIFY(profile >= 1 && profile <= 5);

    // The picture the editor saved, packed here (one bit per pixel, bit i of
    // byte page x 64 + x the pixel (x, page x 8 + i), set when dark) ...
    const QImage saved(m_appDir + QStringLiteral("/ConfigFiles/MouseFile/ox7/AFile/PictureFile/%1/drawImage.BMP").arg(profile));
    QCOMPARE(saved.size(), QSize(64, 48));
    QByteArray expected(384, '\0');
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            if (qGray(saved.pixel(x, y)) < 128)
                expected[(y / 8) * 64 + x] = char(quint8(expected.at((y / 8) * 64 + x)) | (1 << (y % 8)));
    QVERIFY(expected.count('\0') < 384);
    // ... is what the emulated mouse holds as picture 0 at 34 x 0x1000.
    Simulation mouse;
    QVERIFY(mouse.setUp(QStringLiteral("ox7")));
    QString error;
    QVERIFY2(mouse.loadState(m_appDir + QStringLiteral("/Simulation/ox7.state"), &error), qPrintable(error));
    QCOMPARE(mouse.familyAMouse()->memory(34 * 0x1000, 384).toHex(), expected.toHex());
}

QTEST_GUILESS_MAIN(TstE2eDemo)
#include "tst_e2e_demo.moc"
