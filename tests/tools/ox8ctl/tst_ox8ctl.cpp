// ox8ctl: its argument rules, and the built tool run end to end on emulated
// mice whose memory lives in state files under a temporary APP folder.

#include "sim/familya/emulatedfirmware.h"
#include "tests/common/cloudserver.h"
#include "tools/ox8ctl/ox8ctl.h"
#include "tools/ox8ctl/tool.h"

#include "device/devicetypes.h"
#include "platform/clock.h"
#include "sim/emulatedhidbus.h"
#include "sim/familya/familyascene.h"
#include "tests/common/fifoguard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QRegularExpression>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

namespace {

struct Run
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

QJsonArray ints(std::initializer_list<int> values)
{
    QJsonArray a;
    for (int v : values)
        a.append(v);
    return a;
}

} // namespace

class TstOx8ctl : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void cpiList_data();
    void cpiList();
    void buttonFunction_data();
    void buttonFunction();
    void reportRatesAndColours();

    void exitCodes_data();
    void exitCodes();
    void setAndReadBack_data();
    void setAndReadBack();
    void exportImportResetAndProfiles();
    void stateFileKeepsChangesPerFile();
    void buttonsAndLight_data();
    void buttonsAndLight();
    void showListsButtons();
    void showReportsTheLighting_data();
    void showReportsTheLighting();
    void flash_data();
    void flash();
    void pairing_data();
    void pairing();
    void checkAndUpdateFromTheService();
    void updateRefusals_data();
    void updateRefusals();
    void mouseWithoutPermission_data();
    void mouseWithoutPermission();

    // Faults found by trying the program as a user would.
    void refusedCpiValues_data();
    void refusedCpiValues();
    void importChecksTheProfile_data();
    void importChecksTheProfile();
    void changesGoToTheLoadedProfile();
    void changeCutShortIsPutInStep_data();
    void changeCutShortIsPutInStep();
    void unwritableProfileFilesFail_data();
    void unwritableProfileFilesFail();
    void damagedProfileIsKeptAside();
    void linksAndFifosInTheWay();
    void concurrentCommandsKeepBothChanges();

private:
    Run ctl(const QStringList &args, int timeoutMs = 300000);
    // The tool run inside this process, on the bus the test installed.
    Run ctlHere(const QStringList &args);
    QString profilePath(const QString &model, int number) const;
    QJsonObject show(const QString &model, const QStringList &extra = {});
    QString writeFile(const QString &name, const QByteArray &bytes);

    std::unique_ptr<QTemporaryDir> m_app;
    // Set for the tool's runs when not empty.
    QString m_serviceUrl;
};

void TstOx8ctl::init()
{
    m_app = std::make_unique<QTemporaryDir>();
    QVERIFY(m_app->isValid());
    m_serviceUrl.clear();
}

Run TstOx8ctl::ctl(const QStringList &args, int timeoutMs)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OX8_APP_DIR"), m_app->path());
    env.remove(QStringLiteral("OX8_CLOUD_URL"));
    if (!m_serviceUrl.isEmpty())
        env.insert(QStringLiteral("OX8_CLOUD_URL"), m_serviceUrl);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(OX8CTL_PATH), args);
    Run r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

Run TstOx8ctl::ctlHere(const QStringList &args)
{
    Run r;
    QTemporaryFile out, err;
    if (!out.open() || !err.open())
        return r;
    std::fflush(stdout);
    std::fflush(stderr);
    const int savedOut = ::dup(1);
    const int savedErr = ::dup(2);
    ::dup2(out.handle(), 1);
    ::dup2(err.handle(), 2);
    r.code = ox8ctl::run(args);
    std::fflush(stdout);
    std::fflush(stderr);
    ::dup2(savedOut, 1);
    ::dup2(savedErr, 2);
    ::close(savedOut);
    ::close(savedErr);
    out.seek(0);
    err.seek(0);
    r.out = out.readAll();
    r.err = err.readAll();
    return r;
}

QString TstOx8ctl::profilePath(const QString &model, int number) const
{
    return m_app->path() + QStringLiteral("/ConfigFiles/MouseFile/") + model
           + (number == 0 ? QStringLiteral("/OriginalFile/Config0.json")
                          : QStringLiteral("/AFile/ConfigJsonFile/Config%1.json").arg(number));
}

QJsonObject TstOx8ctl::show(const QString &model, const QStringList &extra)
{
    const Run r = ctl(QStringList{QStringLiteral("--simulate"), model} + extra
                      + QStringList{QStringLiteral("show"), QStringLiteral("--json")});
    if (r.code != 0) {
        qWarning() << "show failed" << r.code << r.err;
        return {};
    }
    return QJsonDocument::fromJson(r.out).object();
}

QString TstOx8ctl::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_app->filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

// --- Argument rules -------------------------------------------------------------------

void TstOx8ctl::cpiList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QList<int>>("values");

    QTest::newRow("short list padded with stages off") << "800,1600" << true << QList<int>{800, 1600, 0, 0, 0, 0, 0};
    QTest::newRow("seven values") << "1,2,3,4,5,6,7" << true << QList<int>{1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("zero in the middle switches a stage off") << " 800, 0 ,1600" << true
                                                             << QList<int>{800, 0, 1600, 0, 0, 0, 0};
    QTest::newRow("eight values refused") << "1,2,3,4,5,6,7,8" << false << QList<int>{};
    QTest::newRow("all stages off refused") << "0,0" << false << QList<int>{};
    QTest::newRow("negative refused") << "800,-1" << false << QList<int>{};
    QTest::newRow("beyond any sensor refused") << "99999" << false << QList<int>{};
    QTest::newRow("not a number refused") << "800,fast" << false << QList<int>{};
    QTest::newRow("empty entry refused") << "800,,1600" << false << QList<int>{};
    QTest::newRow("empty refused") << "" << false << QList<int>{};
}

void TstOx8ctl::cpiList()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QList<int>, values);
    QList<int> got;
    QString error;
    QCOMPARE(ox8ctl::parseCpiList(text, got, error), ok);
    if (ok)
        QCOMPARE(got, values);
    else
        QVERIFY(!error.isEmpty());
}

void TstOx8ctl::buttonFunction_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("trueValue");
    QTest::addColumn<int>("modifier");
    QTest::addColumn<int>("changeType");

    QTest::newRow("left click") << "left" << true << 0xF0 << 0 << 48;
    QTest::newRow("browser back") << "Back" << true << 0xF8 << 0 << 52;
    QTest::newRow("media player carries the high byte") << "media" << true << 0x83 << 1 << 39;
    QTest::newRow("disable") << "disable" << true << 0 << 0 << 41;
    QTest::newRow("factory function") << "default" << true << 0 << 0 << 32;
    QTest::newRow("plain key") << "key:A" << true << 0x41 << 0 << 29;
    QTest::newRow("key with modifiers") << "key:ctrl+shift+c" << true << 0x43 << 3 << 29;
    QTest::newRow("named key, any case") << "key:win+space" << true << 0x20 << 8 << 29;
    QTest::newRow("the plus key itself") << "key:ctrl++" << true << 187 << 1 << 29;
    QTest::newRow("modifiers alone") << "key:alt" << true << 0 << 4 << 29;
    QTest::newRow("key by code") << "key:0x2C" << true << 0x2C << 0 << 29;
    QTest::newRow("unknown key") << "key:ctrl+nokey" << false << 0 << 0 << 0;
    QTest::newRow("empty key") << "key:" << false << 0 << 0 << 0;
    QTest::newRow("unknown function") << "teleport" << false << 0 << 0 << 0;
}

void TstOx8ctl::buttonFunction()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, trueValue);
    QFETCH(int, modifier);
    QFETCH(int, changeType);
    ox8ctl::ButtonAssignment a;
    QString error;
    QCOMPARE(ox8ctl::parseButtonFunction(text, a, error), ok);
    if (!ok)
        return;
    QCOMPARE(a.trueValue, trueValue);
    QCOMPARE(a.modifier, modifier);
    QCOMPARE(a.changeType, changeType);
}

void TstOx8ctl::reportRatesAndColours()
{
    QCOMPARE(ox8ctl::reportRateIndex(QStringLiteral("125")), 0);
    QCOMPARE(ox8ctl::reportRateIndex(QStringLiteral("1000")), 3);
    QCOMPARE(ox8ctl::reportRateIndex(QStringLiteral("300")), -1);
    QCOMPARE(ox8ctl::reportRateIndex(QStringLiteral("")), -1);
    QCOMPARE(ox8ctl::reportRateHz(2), 500);
    QCOMPARE(ox8ctl::reportRateHz(4), 0);
    QCOMPARE(ox8ctl::buttonCode(QStringLiteral("wheel-up")), 11);
    QCOMPARE(ox8ctl::buttonCode(QStringLiteral("17")), 17);
    QCOMPARE(ox8ctl::buttonCode(QStringLiteral("3")), 0);
    quint32 c = 0;
    QVERIFY(ox8ctl::parseColor(QStringLiteral("#FF4500"), c));
    QCOMPARE(c, quint32(0x0045FF)); // 0x00BBGGRR
    QVERIFY(!ox8ctl::parseColor(QStringLiteral("#FF450"), c));
    QVERIFY(!ox8ctl::parseColor(QStringLiteral("red"), c));
    QCOMPARE(ox8ctl::lightMode(QStringLiteral("Breathing")), 2);
    QCOMPARE(ox8ctl::lightMode(QStringLiteral("disco")), -1);
    for (const QString &command : ox8ctl::commandNames())
        QVERIFY2(!ox8ctl::commandHelp(command).isEmpty(), qPrintable(command));
}

// --- The tool end to end ------------------------------------------------------------

void TstOx8ctl::exitCodes_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("says");

    const QString sim = QStringLiteral("--simulate");
    QTest::newRow("tool help") << QStringList{"--help"} << 0 << "Exit codes";
    QTest::newRow("help of a command") << QStringList{"help", "set-cpi"} << 0 << "Usage: ox8ctl set-cpi";
    QTest::newRow("--help after a command") << QStringList{"flash", "--help"} << 0 << "Usage: ox8ctl flash";
    QTest::newRow("help of an unknown command") << QStringList{"help", "dance"} << 2 << "unknown command";
    QTest::newRow("no command") << QStringList{} << 2 << "Usage";
    QTest::newRow("unknown command") << QStringList{sim, "ox7", "dance"} << 2 << "unknown command";
    QTest::newRow("unknown option") << QStringList{"--fast", "show"} << 2 << "unknown option";
    QTest::newRow("--simulate without a model") << QStringList{sim} << 2 << "needs a value";
    // A script's empty variable must not reach the real mice.
    QTest::newRow("--simulate with an empty model") << QStringList{sim, "", "reset"} << 2 << "empty";
    QTest::newRow("--simulate with a blank model") << QStringList{sim, " ", "show"} << 2 << "empty";
    QTest::newRow("--state with an empty --simulate") << QStringList{sim, "", "--state", "x.state", "show"} << 2
                                                      << "empty";
    QTest::newRow("--state without --simulate") << QStringList{"--state", "x.state", "show"} << 2 << "--simulate";
    QTest::newRow("unknown model") << QStringList{sim, "ox9", "show"} << 3 << "unknown model";
    QTest::newRow("receiver of a cable-only model") << QStringList{sim, "ox6:receiver", "show"} << 3 << "no receiver";
    QTest::newRow("bad report rate") << QStringList{sim, "ox7", "set-rate", "300"} << 2 << "set-rate";
    QTest::newRow("all CPI stages off") << QStringList{sim, "ox7", "set-cpi", "0,0"} << 2 << "stage";
    QTest::newRow("profile out of range") << QStringList{sim, "ox7", "profile", "6"} << 2 << "1..5";
    QTest::newRow("unknown button") << QStringList{sim, "ox7", "set-button", "nose", "left"} << 2 << "button";
    QTest::newRow("bad colour") << QStringList{sim, "ox7", "set-light", "steady", "#12345"} << 2 << "colour";
    QTest::newRow("wheel zone on a logo-only model")
        << QStringList{sim, "ox7", "set-light", "off", "--zone", "wheel"} << 2 << "wheel";
    QTest::newRow("import of a missing file") << QStringList{sim, "ox7", "import", "1", "/nonexistent/p.json"} << 2
                                              << "cannot read";
    QTest::newRow("flash of a missing file") << QStringList{sim, "ox7", "flash", "/nonexistent/fw.bin"} << 2
                                             << "firmware image";
    QTest::newRow("flash on family B") << QStringList{sim, "ox6", "flash", OX8_SOURCE_DIR "/CMakeLists.txt"} << 2
                                       << "family A";
    QTest::newRow("the only left button keeps its click")
        << QStringList{sim, "ox6", "set-button", "left", "disable"} << 1 << "left click";
    QTest::newRow("no mouse on the USB bus") << QStringList{"show"} << 4 << "no supported mouse";
}

void TstOx8ctl::exitCodes()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, says);
    const Run r = ctl(args);
    QVERIFY2(r.code == code, r.err.constData());
    QVERIFY2(QString::fromLocal8Bit(r.out + r.err).contains(says), (r.out + r.err).constData());
}

void TstOx8ctl::setAndReadBack_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("cpi");
    QTest::addColumn<QJsonArray>("stages");
    QTest::addColumn<int>("typeCode");
    QTest::addColumn<bool>("wireless");

    QTest::newRow("family A by cable") << "ox7" << "400,800,1600" << ints({400, 800, 1600, 0, 0, 0, 0}) << 11 << false;
    QTest::newRow("family A through the receiver") << "ox7:receiver" << "400,800,1600"
                                                   << ints({400, 800, 1600, 0, 0, 0, 0}) << 11 << true;
    QTest::newRow("family B (OX6)") << "ox6" << "800,1000" << ints({800, 1000, 0, 0, 0, 0, 0}) << 3 << false;
    QTest::newRow("family B (OX8)") << "ox8" << "400,800,1200" << ints({400, 800, 1200, 0, 0, 0, 0}) << 18 << false;
    QTest::newRow("family C (OX5)") << "ox5" << "800,1200" << ints({800, 1200, 0, 0, 0, 0, 0}) << 13 << false;
}

void TstOx8ctl::setAndReadBack()
{
    QFETCH(QString, model);
    QFETCH(QString, cpi);
    QFETCH(QJsonArray, stages);
    QFETCH(int, typeCode);
    QFETCH(bool, wireless);

    const QJsonObject fresh = show(model);
    QCOMPARE(fresh.value(QStringLiteral("typeCode")).toInt(), typeCode);
    QCOMPARE(fresh.value(QStringLiteral("model")).toString(), model.section(QLatin1Char(':'), 0, 0));
    QCOMPARE(fresh.value(QStringLiteral("wireless")).toBool(), wireless);
    QCOMPARE(fresh.value(QStringLiteral("profile")).toInt(), 1);
    QVERIFY(fresh.value(QStringLiteral("firmwareVersion")).toInt() > 0);
    QCOMPARE(fresh.value(QStringLiteral("battery")).isNull(), !wireless);
    QVERIFY(fresh.value(QStringLiteral("cpi")).toArray() != stages);

    Run r = ctl({QStringLiteral("--simulate"), model, QStringLiteral("set-cpi"), cpi});
    QVERIFY2(r.code == 0, r.err.constData());
    r = ctl({QStringLiteral("--simulate"), model, QStringLiteral("set-rate"), QStringLiteral("500")});
    QVERIFY2(r.code == 0, r.err.constData());

    const QJsonObject changed = show(model);
    QCOMPARE(changed.value(QStringLiteral("cpi")).toArray(), stages);
    QCOMPARE(changed.value(QStringLiteral("reportRateHz")).toInt(), 500);
    QCOMPARE(changed.value(QStringLiteral("profile")).toInt(), 1);
    const QString state = m_app->path() + QStringLiteral("/Simulation/") + model.section(QLatin1Char(':'), 0, 0)
                          + (wireless ? QStringLiteral("-receiver") : QString()) + QStringLiteral(".state");
    QVERIFY2(QFile::exists(state), qPrintable(state));
}

void TstOx8ctl::exportImportResetAndProfiles()
{
    const QString sim = QStringLiteral("--simulate");
    const QString ox7 = QStringLiteral("ox7");
    const QJsonArray mine = ints({400, 1200, 0, 0, 0, 0, 0});
    QCOMPARE(ctl({sim, ox7, QStringLiteral("set-cpi"), QStringLiteral("400,1200")}).code, 0);
    // Exports go outside APP (the program's own files live there).
    QTemporaryDir outside;
    const QString exported = outside.filePath(QStringLiteral("profile1.json"));
    Run r = ctl({sim, ox7, QStringLiteral("export"), QStringLiteral("1"), exported});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY(QFile::exists(exported));

    r = ctl({sim, ox7, QStringLiteral("reset")});
    QVERIFY2(r.code == 0, r.err.constData());
    const QJsonObject afterReset = show(ox7);
    QVERIFY(afterReset.value(QStringLiteral("cpi")).toArray() != mine);
    QCOMPARE(afterReset.value(QStringLiteral("profile")).toInt(), 1);

    r = ctl({sim, ox7, QStringLiteral("import"), QStringLiteral("3"), exported});
    QVERIFY2(r.code == 0, r.err.constData());
    // Importing only changes the file; loading it changes the mouse.
    QCOMPARE(show(ox7).value(QStringLiteral("cpi")).toArray(), afterReset.value(QStringLiteral("cpi")).toArray());
    r = ctl({sim, ox7, QStringLiteral("profile"), QStringLiteral("3")});
    QVERIFY2(r.code == 0, r.err.constData());
    const QJsonObject loaded = show(ox7);
    QCOMPARE(loaded.value(QStringLiteral("cpi")).toArray(), mine);
    QCOMPARE(loaded.value(QStringLiteral("profile")).toInt(), 3);

    // Another model's profile and damaged files are refused.
    r = ctl({sim, QStringLiteral("ox7q"), QStringLiteral("import"), QStringLiteral("1"), exported});
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.contains("ox7"));
    const QString damaged = writeFile(QStringLiteral("damaged.json"), "{\"format\":\"ox8ctl-profile\",\"config\":[");
    QCOMPARE(ctl({sim, ox7, QStringLiteral("import"), QStringLiteral("2"), damaged}).code, 2);
    const QString foreign = writeFile(QStringLiteral("foreign.json"), "{\"MouseDataOfGamingMode\":{}}");
    QCOMPARE(ctl({sim, ox7, QStringLiteral("import"), QStringLiteral("2"), foreign}).code, 2);
    r = ctl({sim, ox7, QStringLiteral("profile"), QStringLiteral("2")});
    QCOMPARE(r.code, 0);
    QCOMPARE(show(ox7).value(QStringLiteral("cpi")).toArray(), afterReset.value(QStringLiteral("cpi")).toArray());
}

void TstOx8ctl::stateFileKeepsChangesPerFile()
{
    const QString own = m_app->filePath(QStringLiteral("mine.state"));
    const QStringList withState{QStringLiteral("--state"), own};
    Run r = ctl(QStringList{QStringLiteral("--simulate"), QStringLiteral("ox8")} + withState
                + QStringList{QStringLiteral("set-rate"), QStringLiteral("125")});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY(QFile::exists(own));
    QCOMPARE(show(QStringLiteral("ox8"), withState).value(QStringLiteral("reportRateHz")).toInt(), 125);
    QCOMPARE(show(QStringLiteral("ox8")).value(QStringLiteral("reportRateHz")).toInt(), 1000);

    // A state file of another model is refused and left alone.
    const QByteArray before = [&] {
        QFile f(own);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    r = ctl(QStringList{QStringLiteral("--simulate"), QStringLiteral("ox7")} + withState + QStringList{QStringLiteral("show")});
    QCOMPARE(r.code, 2);
    QFile f(own);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TstOx8ctl::buttonsAndLight_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QStringList>("command");
    QTest::newRow("OX7C forward button to a key combination")
        << "ox7c" << QStringList{"set-button", "forward", "key:ctrl+c"};
    QTest::newRow("OX4 back button disabled") << "ox4" << QStringList{"set-button", "back", "disable"};
    QTest::newRow("OX6 wheel-up to volume up") << "ox6" << QStringList{"set-button", "wheel-up", "volume-up"};
    QTest::newRow("OX7 steady red") << "ox7" << QStringList{"set-light", "steady", "#FF0000"};
    QTest::newRow("OX6 breathing, both zones") << "ox6" << QStringList{"set-light", "breathing", "#00FF80"};
    QTest::newRow("OX8 logo zone off") << "ox8" << QStringList{"set-light", "off", "--zone", "logo"};
}

void TstOx8ctl::buttonsAndLight()
{
    QFETCH(QString, model);
    QFETCH(QStringList, command);
    const Run r = ctl(QStringList{QStringLiteral("--simulate"), model} + command);
    QVERIFY2(r.code == 0, r.err.constData());
    // The change went into the current profile file, which still matches the mouse.
    QCOMPARE(show(model).value(QStringLiteral("profile")).toInt(), 1);
}

void TstOx8ctl::showListsButtons()
{
    const QString model = QStringLiteral("ox7c");
    const Run r = ctl({QStringLiteral("--simulate"), model, QStringLiteral("set-button"), QStringLiteral("back"),
                       QStringLiteral("key:shift+F5")});
    QVERIFY2(r.code == 0, r.err.constData());
    const QJsonObject shown = show(model);
    // The members that were there stay; buttons come beside them.
    for (const char *member : {"model", "name", "typeCode", "wireless", "productId", "firmwareVersion", "profile",
                               "cpi", "reportRateHz", "battery"})
        QVERIFY2(shown.contains(QLatin1String(member)), member);
    QJsonObject back;
    for (const QJsonValue &b : shown.value(QStringLiteral("buttons")).toArray()) {
        if (b.toObject().value(QStringLiteral("name")).toString() == QLatin1String("back"))
            back = b.toObject();
    }
    QCOMPARE(back.value(QStringLiteral("button")).toInt(), 8);
    QCOMPARE(back.value(QStringLiteral("factory")).toBool(), false);
    QCOMPARE(back.value(QStringLiteral("changeType")).toInt(), 29);
    QCOMPARE(back.value(QStringLiteral("trueValue")).toInt(), 116);
    QCOMPARE(back.value(QStringLiteral("modifier")).toInt(), 2);
}

void TstOx8ctl::showReportsTheLighting_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QStringList>("zones");
    QTest::addColumn<QString>("changedZone");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("color");
    QTest::newRow("OX7: one zone, the logo") << "ox7" << QStringList{"set-light", "breathing", "#FF456E"}
                                             << QStringList{"logo"} << "logo" << "breathing" << "#FF456E";
    QTest::newRow("OX6: wheel and logo") << "ox6" << QStringList{"set-light", "reactive", "#00ff80", "--zone", "wheel"}
                                         << QStringList{"logo", "wheel"} << "wheel" << "reactive" << "#00FF80";
    QTest::newRow("OX1: colour chase") << "ox1" << QStringList{"set-light", "chase", "--zone", "logo"}
                                       << QStringList{"logo", "wheel"} << "logo" << "chase" << "";
}

void TstOx8ctl::showReportsTheLighting()
{
    QFETCH(QString, model);
    QFETCH(QStringList, command);
    QFETCH(QStringList, zones);
    QFETCH(QString, changedZone);
    QFETCH(QString, mode);
    QFETCH(QString, color);
    const Run r = ctl(QStringList{QStringLiteral("--simulate"), model} + command);
    QVERIFY2(r.code == 0, r.err.constData());
    const QJsonObject shown = show(model);
    // The other members stay as they were.
    QVERIFY(shown.contains(QStringLiteral("cpi")) && shown.contains(QStringLiteral("battery")));
    const QJsonObject lighting = shown.value(QStringLiteral("lighting")).toObject();
    QCOMPARE(lighting.keys(), zones);
    const QJsonObject zone = lighting.value(changedZone).toObject();
    QCOMPARE(zone.value(QStringLiteral("mode")).toString(), mode);
    if (!color.isEmpty())
        QCOMPARE(zone.value(QStringLiteral("color")).toString(), color);
    QVERIFY(QRegularExpression(QStringLiteral("^#[0-9A-F]{6}$")).match(zone.value(QStringLiteral("color")).toString()).hasMatch());
    QVERIFY(zone.value(QStringLiteral("speed")).isDouble());
    QVERIFY(zone.value(QStringLiteral("brightness")).isDouble());

    // The plain listing names the zone too.
    const Run text = ctl({QStringLiteral("--simulate"), model, QStringLiteral("show")});
    QVERIFY(text.out.contains(QStringLiteral("Light %1:").arg(changedZone).toUtf8()));
}

void TstOx8ctl::flash_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("code");
    QTest::newRow("family A by cable") << "ox7" << "Nuc123.bin" << 0;
    QTest::newRow("family A through the receiver is refused") << "ox7:receiver" << "Nuc123.bin" << 1;
    QTest::newRow("hex file refused") << "ox7" << "Nuc123.hex" << 2;
}

void TstOx8ctl::flash()
{
    QFETCH(QString, model);
    QFETCH(QString, fileName);
    QFETCH(int, code);
    QByteArray image;
    for (int i = 0; i < 700; ++i)
        image.append(char(i * 13 + 1));
    const QString path = writeFile(fileName, image);
    const Run r = ctl({QStringLiteral("--simulate"), model, QStringLiteral("flash"), path});
    QVERIFY2(r.code == code, r.err.constData());
    if (code == 0) {
        QVERIFY(r.err.contains("100%"));
        QVERIFY(r.out.contains("firmware updated"));
        // The mouse came back and works.
        QCOMPARE(show(model).value(QStringLiteral("typeCode")).toInt(), 11);
    }
}

void TstOx8ctl::pairing_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("code");
    QTest::newRow("through the receiver") << "ox4q:receiver" << 0;
    QTest::newRow("by cable there is nothing to pair") << "ox4q" << 1;
}

void TstOx8ctl::pairing()
{
    QFETCH(QString, model);
    QFETCH(int, code);
    const Run r = ctl({QStringLiteral("--simulate"), model, QStringLiteral("pair")});
    QVERIFY2(r.code == code, r.err.constData());
}

void TstOx8ctl::checkAndUpdateFromTheService()
{
    CloudServerProcess server;
    QVERIFY(server.start());
    m_serviceUrl = server.baseUrl().toString();
    const QByteArray served = EmulatedFirmware::makeImage(40, 5000);
    QCOMPARE(server.admin({QStringLiteral("publish-firmware"), QStringLiteral("ox7"), QStringLiteral("0040"),
                           writeFile(QStringLiteral("served.bin"), served), QStringLiteral("--date"),
                           QStringLiteral("2024-05-01")}),
             0);
    const QStringList ox7{QStringLiteral("--simulate"), QStringLiteral("ox7")};

    Run r = ctl(ox7 + QStringList{QStringLiteral("check-update")});
    QVERIFY2(r.code == 10, r.err.constData());
    QVERIFY2(r.out.contains("ox7: firmware 25, the service offers 0040 (2024-05-01)"), r.out.constData());

    r = ctl(ox7 + QStringList{QStringLiteral("update")});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY(r.out.contains("firmware updated"));
    QVERIFY(r.err.contains("100%"));
    QFile package(m_app->filePath(QStringLiteral("Update/Clouds/ox7/Nuc123.bin")));
    QVERIFY(package.open(QIODevice::ReadOnly));
    QCOMPARE(package.readAll(), served);
    QFile date(m_app->filePath(QStringLiteral("Update/Clouds/ox7/versiondate.txt")));
    QVERIFY(date.open(QIODevice::ReadOnly));
    QCOMPARE(date.readAll(), QByteArray("2024-05-01"));

    // The mouse runs the new image and reports its version.
    QCOMPARE(show(QStringLiteral("ox7")).value(QStringLiteral("firmwareVersion")).toInt(), 40);
    r = ctl(ox7 + QStringList{QStringLiteral("check-update")});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY(r.out.contains("up to date"));
    r = ctl(ox7 + QStringList{QStringLiteral("update")});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY(r.out.contains("nothing to do"));
}

void TstOx8ctl::updateRefusals_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("service");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("says");

    QTest::newRow("family B: the Windows tool") << "ox6" << "update" << true << 1 << QByteArray("Windows");
    QTest::newRow("through the receiver: the cable") << "ox7:receiver" << "update" << true << 1
                                                     << QByteArray("cable");
    QTest::newRow("nothing published for the model") << "ox4" << "check-update" << true << 5
                                                     << QByteArray("ox4-firmware");
    QTest::newRow("no service configured") << "ox7" << "check-update" << false << 5
                                           << QByteArray("no update service");
    QTest::newRow("arguments are refused") << "ox7" << "check-update now" << true << 2 << QByteArray("usage");
}

void TstOx8ctl::updateRefusals()
{
    QFETCH(QString, model);
    QFETCH(QString, command);
    QFETCH(bool, service);
    QFETCH(int, code);
    QFETCH(QByteArray, says);
    CloudServerProcess server;
    if (service) {
        QVERIFY(server.start());
        m_serviceUrl = server.baseUrl().toString();
    }
    const Run r = ctl(QStringList{QStringLiteral("--simulate"), model} + command.split(QLatin1Char(' ')));
    QVERIFY2(r.code == code, r.err.constData());
    QVERIFY2(r.err.contains(says), r.err.constData());
    QVERIFY(!QFileInfo::exists(m_app->filePath(QStringLiteral("Update"))));
}

void TstOx8ctl::mouseWithoutPermission_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("denied");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");

    QTest::newRow("list marks it and says how to fix it") << QStringList{"list"} << true << 4
                                                          << "found, no permission";
    QTest::newRow("list of a mouse that may be opened") << QStringList{"list"} << false << 0 << "ox7";
    QTest::newRow("show names the missing permission") << QStringList{"show"} << true << 4 << "";
}

void TstOx8ctl::mouseWithoutPermission()
{
    QFETCH(QStringList, args);
    QFETCH(bool, denied);
    QFETCH(int, code);
    QFETCH(QString, out);

    registerDeviceMetaTypes();
    qputenv("OX8_APP_DIR", m_app->path().toLocal8Bit());
    VirtualClock clock;
    ScopedDeviceClock clockScope(&clock);
    EmulatedHidBus bus;
    const FamilyAScene scene = plugFamilyA(bus, 11, false);
    for (const auto &device : bus.devices())
        bus.setAccessDenied(device.get(), denied);
    setHidBus(&bus);
    const Run r = ctlHere(args);
    setHidBus(nullptr);
    qunsetenv("OX8_APP_DIR");

    QVERIFY2(r.code == code, r.err.constData());
    QVERIFY2(QString::fromLocal8Bit(r.out).contains(out), r.out.constData());
    QCOMPARE(QString::fromLocal8Bit(r.out).contains(QLatin1String("no permission")), denied && !out.isEmpty());
    const QString err = QString::fromLocal8Bit(r.err);
    QCOMPARE(err.contains(QLatin1String("found, no permission")), denied);
    QCOMPARE(err.contains(QLatin1String("sudo udevadm trigger")), denied);
    QCOMPARE(err.contains(QLatin1String("70-ox8driver.rules")), denied);
}

// --- Faults found in use -------------------------------------------------------------

// Values a model cannot take switched stages off (ox2 set-cpi 450 showed
// [0,0,0,0,0,0,0]) or were stored as they were (26000 on an OX4): refused
// now, naming the range, before the mouse is touched.
void TstOx8ctl::refusedCpiValues_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("cpi");
    QTest::addColumn<QString>("says");
    QTest::newRow("ox2 450 is off the grid") << "ox2" << "450" << "200..6200 in steps of 100";
    QTest::newRow("ox7 1") << "ox7" << "1" << "50..16000 in steps of 50";
    QTest::newRow("ox1 50") << "ox1" << "50" << "200..6200 in steps of 100";
    QTest::newRow("ox5 250") << "ox5" << "250" << "200..6200 in steps of 100";
    QTest::newRow("ox8 26000") << "ox8" << "26000" << "200..6200";
    QTest::newRow("ox4 26000") << "ox4" << "26000" << "200..5000 in steps of 100";
    QTest::newRow("ox7eu 5100") << "ox7eu" << "5100" << "5000..10000 in steps of 200";
    QTest::newRow("ox4 seven stages") << "ox4" << "400,800,1200,1600,2000,2400,3000" << "5 CPI stages";
}

void TstOx8ctl::refusedCpiValues()
{
    QFETCH(QString, model);
    QFETCH(QString, cpi);
    QFETCH(QString, says);
    const QJsonArray before = show(model).value(QStringLiteral("cpi")).toArray();
    QVERIFY(!before.isEmpty());
    const Run r = ctl({QStringLiteral("--simulate"), model, QStringLiteral("set-cpi"), cpi});
    QVERIFY2(r.code == 2, r.err.constData());
    QVERIFY2(r.err.contains(says.toUtf8()), r.err.constData());
    QCOMPARE(show(model).value(QStringLiteral("cpi")).toArray(), before);
}

// A profile with values the model cannot work with used to import, and the
// mouse could not be read again after "profile 2" until a factory reset.
void TstOx8ctl::importChecksTheProfile_data()
{
    QTest::addColumn<QString>("block"); // what replaces "MouseDataOfGamingMode"
    QTest::newRow("an empty block") << "{}";
    QTest::newRow("strings") << "strings";
    QTest::newRow("-1") << "-1";
    QTest::newRow("1e300") << "1e300";
    QTest::newRow("report interval 0") << "interval0";
}

void TstOx8ctl::importChecksTheProfile()
{
    QFETCH(QString, block);
    const QString sim = QStringLiteral("--simulate");
    const QString ox7 = QStringLiteral("ox7");
    QTemporaryDir outside;
    const QString file = outside.filePath(QStringLiteral("p.json"));
    Run r = ctl({sim, ox7, QStringLiteral("export"), QStringLiteral("2"), file});
    QVERIFY2(r.code == 0, r.err.constData());
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QJsonObject root = QJsonDocument::fromJson(f.readAll()).object();
    f.close();
    QJsonObject config = root.value(QStringLiteral("config")).toObject();
    QJsonObject data = config.value(QStringLiteral("MouseDataOfGamingMode")).toObject();
    if (block == "{}") {
        data = QJsonObject();
    } else if (block == "strings") {
        for (const QString &key : data.keys())
            data.insert(key, QStringLiteral("x"));
    } else if (block == "interval0") {
        data.insert(QStringLiteral("60"), 0);
    } else {
        data.insert(QStringLiteral("60"), block.toDouble());
    }
    config.insert(QStringLiteral("MouseDataOfGamingMode"), data);
    root.insert(QStringLiteral("config"), config);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QJsonDocument(root).toJson());
    f.close();

    const QByteArray before = [&] {
        QFile p(profilePath(ox7, 2));
        return p.open(QIODevice::ReadOnly) ? p.readAll() : QByteArray();
    }();
    r = ctl({sim, ox7, QStringLiteral("import"), QStringLiteral("2"), file});
    QVERIFY2(r.code == 2, r.err.constData());
    QVERIFY2(r.err.contains("does not fit the OX7"), r.err.constData());
    QFile p(profilePath(ox7, 2));
    QVERIFY(p.open(QIODevice::ReadOnly));
    QCOMPARE(p.readAll(), before);
    r = ctl({sim, ox7, QStringLiteral("profile"), QStringLiteral("2")});
    QVERIFY2(r.code == 0, r.err.constData());
    QCOMPARE(show(ox7).value(QStringLiteral("profile")).toInt(), 2);
}

// A command killed between the mouse and its profile file leaves a mark; the
// next command puts the two in step first. A mark for another model waits,
// half a mark is dropped.
void TstOx8ctl::changeCutShortIsPutInStep_data()
{
    QTest::addColumn<QByteArray>("mark");
    QTest::addColumn<int>("profileAfter");
    QTest::addColumn<bool>("markStays");
    QTest::newRow("profile 2 was being loaded") << QByteArray(R"({"model":"ox7","change":"apply","profile":2})") << 2
                                                << false;
    QTest::newRow("a mark of another model") << QByteArray(R"({"model":"ox6","change":"apply","profile":2})") << 3
                                             << true;
    QTest::newRow("half a mark") << QByteArray(R"({"model":"ox7","chan)") << 3 << false;
    QTest::newRow("a profile out of range") << QByteArray(R"({"model":"ox7","change":"apply","profile":9})") << 3
                                            << false;
}

void TstOx8ctl::changeCutShortIsPutInStep()
{
    QFETCH(QByteArray, mark);
    QFETCH(int, profileAfter);
    QFETCH(bool, markStays);
    const QString sim = QStringLiteral("--simulate");
    const QString ox7 = QStringLiteral("ox7");
    // Profile 2 differs from the others, profile 3 is loaded.
    Run r = ctl({sim, ox7, QStringLiteral("profile"), QStringLiteral("2")});
    QVERIFY2(r.code == 0, r.err.constData());
    r = ctl({sim, ox7, QStringLiteral("set-rate"), QStringLiteral("250")});
    QVERIFY2(r.code == 0, r.err.constData());
    r = ctl({sim, ox7, QStringLiteral("profile"), QStringLiteral("3")});
    QVERIFY2(r.code == 0, r.err.constData());

    QVERIFY(QDir().mkpath(m_app->filePath(QStringLiteral("system"))));
    const QString markPath = writeFile(QStringLiteral("system/unfinished.json"), mark);
    r = ctl({sim, ox7, QStringLiteral("show"), QStringLiteral("--json")});
    QVERIFY2(r.code == 0, r.err.constData());
    const QJsonObject shown = QJsonDocument::fromJson(r.out).object();
    QCOMPARE(shown.value(QStringLiteral("profile")).toInt(), profileAfter);
    QCOMPARE(shown.value(QStringLiteral("reportRateHz")).toInt(), profileAfter == 2 ? 250 : 1000);
    QCOMPARE(r.err.contains("cut short"), profileAfter == 2);
    QCOMPARE(QFile::exists(markPath), markStays);
}

// "profile 3" then a change went into profile 1, and show said 1: all five
// profiles start alike, and the first that matched won.
void TstOx8ctl::changesGoToTheLoadedProfile()
{
    const QString sim = QStringLiteral("--simulate");
    const QString ox7 = QStringLiteral("ox7");
    QVERIFY(show(ox7).value(QStringLiteral("profile")).toInt() == 1);
    const QByteArray one = [&] {
        QFile f(profilePath(ox7, 1));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    Run r = ctl({sim, ox7, QStringLiteral("profile"), QStringLiteral("3")});
    QVERIFY2(r.code == 0, r.err.constData());
    r = ctl({sim, ox7, QStringLiteral("set-cpi"), QStringLiteral("450,900")});
    QVERIFY2(r.code == 0, r.err.constData());
    const QJsonObject shown = show(ox7);
    QCOMPARE(shown.value(QStringLiteral("profile")).toInt(), 3);
    QCOMPARE(shown.value(QStringLiteral("cpi")).toArray(), ints({450, 900, 0, 0, 0, 0, 0}));
    QFile f(profilePath(ox7, 1));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), one);
}

// Nothing saved, yet exit 0: a profile file that cannot be written fails
// the command.
void TstOx8ctl::unwritableProfileFilesFail_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("blocked"); // the profile file made a folder
    for (const char *model : {"ox7", "ox6"}) {
        QTest::addRow("%s set-cpi", model) << model << QStringList{"set-cpi", "800,1600"} << 1;
        QTest::addRow("%s set-rate", model) << model << QStringList{"set-rate", "250"} << 1;
        QTest::addRow("%s profile 2", model) << model << QStringList{"profile", "2"} << 2;
        QTest::addRow("%s reset", model) << model << QStringList{"reset"} << 4;
        QTest::addRow("%s save 5", model) << model << QStringList{"save", "5"} << 5;
    }
}

void TstOx8ctl::unwritableProfileFilesFail()
{
    QFETCH(QString, model);
    QFETCH(QStringList, command);
    QFETCH(int, blocked);
    QVERIFY(!show(model).isEmpty()); // the files exist
    const QString path = profilePath(model, blocked);
    QFile::remove(path); // profiles past the matching one need not exist yet
    QVERIFY(QDir().mkpath(path));
    QVERIFY(QFile::copy(QStringLiteral(OX8_SOURCE_DIR "/CMakeLists.txt"), path + QStringLiteral("/keep")));
    const Run r = ctl(QStringList{QStringLiteral("--simulate"), model} + command);
    QVERIFY2(r.code == 1, (r.out + r.err).constData());
}

// A damaged profile used to become the defaults without a trace, even by
// "show": it is kept beside the new file now, and the tool says so.
void TstOx8ctl::damagedProfileIsKeptAside()
{
    const QString ox7 = QStringLiteral("ox7");
    QVERIFY(!show(ox7).isEmpty());
    const QString path = profilePath(ox7, 1);
    QByteArray content;
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        content = f.readAll().left(100);
    }
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    const Run r = ctl({QStringLiteral("--simulate"), ox7, QStringLiteral("show")});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY2(r.err.contains("Config1.json was damaged") && r.err.contains("moved aside as"), r.err.constData());
    const QStringList aside = QDir(QFileInfo(path).path()).entryList({QStringLiteral("Config1.json.damaged-*")});
    QCOMPARE(aside.size(), 1);
    QFile kept(QFileInfo(path).path() + QLatin1Char('/') + aside.first());
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), content);
}

// Links in APP were followed (a link at Config2.json had its target
// overwritten, a dangling one created it), export wrote through links,
// replaced FIFOs and destroyed profile 1 when aimed at it, and reading a
// FIFO hung the tool.
void TstOx8ctl::linksAndFifosInTheWay()
{
    const QString sim = QStringLiteral("--simulate");
    const QString ox7 = QStringLiteral("ox7");
    QVERIFY(!show(ox7).isEmpty());
    QTemporaryDir outside;
    constexpr int kShort = 30000;

    // A link at a profile file: its target stays as it is.
    const QString target = outside.filePath(QStringLiteral("precious"));
    {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a profile");
    }
    QFile::remove(profilePath(ox7, 2));
    QVERIFY(QFile::link(target, profilePath(ox7, 2)));
    const QString dangling = outside.filePath(QStringLiteral("created?"));
    QFile::remove(profilePath(ox7, 4));
    QVERIFY(QFile::link(dangling, profilePath(ox7, 4)));
    Run r = ctl({sim, ox7, QStringLiteral("profile"), QStringLiteral("2")}, kShort);
    QVERIFY2(r.code == 0, r.err.constData());
    r = ctl({sim, ox7, QStringLiteral("profile"), QStringLiteral("4")}, kShort);
    QVERIFY2(r.code == 0, r.err.constData());
    QFile t(target);
    QVERIFY(t.open(QIODevice::ReadOnly));
    QCOMPARE(t.readAll(), QByteArray("not a profile"));
    QVERIFY(!QFileInfo::exists(dangling));
    QVERIFY(!QFileInfo(profilePath(ox7, 2)).isSymLink());

    // Export: through a link the link itself is replaced; a FIFO and a file
    // inside APP are refused.
    const QString linked = outside.filePath(QStringLiteral("linked.json"));
    QVERIFY(QFile::link(target, linked));
    r = ctl({sim, ox7, QStringLiteral("export"), QStringLiteral("1"), linked}, kShort);
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY(!QFileInfo(linked).isSymLink());
    QVERIFY(t.seek(0));
    QCOMPARE(t.readAll(), QByteArray("not a profile"));
    const QString fifo = outside.filePath(QStringLiteral("fifo.json"));
    QVERIFY(fifoguard::makeFifo(fifo));
    r = ctl({sim, ox7, QStringLiteral("export"), QStringLiteral("1"), fifo}, kShort);
    QCOMPARE(r.code, 2);
    QCOMPARE(int(QFileInfo(fifo).isFile()), 0);
    const QByteArray one = [&] {
        QFile f(profilePath(ox7, 1));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    r = ctl({sim, ox7, QStringLiteral("export"), QStringLiteral("1"), profilePath(ox7, 1)}, kShort);
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.contains("inside"));
    QFile p(profilePath(ox7, 1));
    QVERIFY(p.open(QIODevice::ReadOnly));
    QCOMPARE(p.readAll(), one);

    // Import from a FIFO and a FIFO as the state file: refused at once.
    r = ctl({sim, ox7, QStringLiteral("import"), QStringLiteral("1"), fifo}, kShort);
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.contains("not a regular file"));
    const QString stateFifo = outside.filePath(QStringLiteral("mouse.state"));
    QVERIFY(fifoguard::makeFifo(stateFifo));
    r = ctl({sim, ox7, QStringLiteral("--state"), stateFifo, QStringLiteral("show")}, kShort);
    QCOMPARE(r.code, 2);
    // HighestFunction.ini as a FIFO: a button set back to default reads it.
    QVERIFY(QDir().mkpath(m_app->path() + QStringLiteral("/keysetting")));
    QVERIFY(fifoguard::makeFifo(m_app->path() + QStringLiteral("/keysetting/HighestFunction.ini")));
    r = ctl({sim, QStringLiteral("ox6"), QStringLiteral("set-button"), QStringLiteral("back"), QStringLiteral("default")},
            kShort);
    QVERIFY2(r.code == 0, r.err.constData());
}

// Two commands at once on one mouse: one change was lost in 10 of 10 rounds.
void TstOx8ctl::concurrentCommandsKeepBothChanges()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OX8_APP_DIR"), m_app->path());
    const QList<QPair<QString, int>> rounds = {{QStringLiteral("3250,6500"), 250}, {QStringLiteral("400,800"), 500},
                                               {QStringLiteral("1600"), 125}, {QStringLiteral("50,100,150"), 1000}};
    for (const auto &round : rounds) {
        QProcess cpi, rate;
        for (QProcess *p : {&cpi, &rate})
            p->setProcessEnvironment(env);
        cpi.start(QStringLiteral(OX8CTL_PATH),
                  {QStringLiteral("--simulate"), QStringLiteral("ox7"), QStringLiteral("set-cpi"), round.first});
        rate.start(QStringLiteral(OX8CTL_PATH), {QStringLiteral("--simulate"), QStringLiteral("ox7"),
                                                 QStringLiteral("set-rate"), QString::number(round.second)});
        QVERIFY(cpi.waitForFinished(120000));
        QVERIFY(rate.waitForFinished(120000));
        QCOMPARE(cpi.exitCode(), 0);
        QCOMPARE(rate.exitCode(), 0);
        const QJsonObject shown = show(QStringLiteral("ox7"));
        QCOMPARE(shown.value(QStringLiteral("reportRateHz")).toInt(), round.second);
        QJsonArray expected;
        const QStringList values = round.first.split(QLatin1Char(','));
        for (int i = 0; i < 7; ++i)
            expected.append(i < values.size() ? values.at(i).toInt() : 0);
        QCOMPARE(shown.value(QStringLiteral("cpi")).toArray(), expected);
    }
}

QTEST_GUILESS_MAIN(TstOx8ctl)
#include "tst_ox8ctl.moc"
