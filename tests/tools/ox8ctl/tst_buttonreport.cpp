// What `ox8ctl show --json` reports about the buttons: assignments and macros
// written through the coordinator into an emulated mouse, read back by a
// second coordinator the way a later ox8ctl run reads them.
#include "config/jsonhandle.h"
#include "config/paths.h"
#include "coordinator/dcdatahandle.h"
#include "discovery/models.h"
#include "platform/clock.h"
#include "sim/simulation.h"
#include "tests/common/macrotestutil.h"
#include "tests/common/testutil.h"
#include "tools/ox8ctl/buttonreport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

// An emulated mouse of a model in virtual time, with an application folder.
struct Desk
{
    explicit Desk(const QString &model)
        : clockScope(&clock)
    {
        if (!simulation.setUp(model))
            qFatal("no simulation of %s", qPrintable(model));
        simulation.install();
    }
    quint16 productId() const
    {
        const ModelIdentity *m = modelForType(simulation.mouseType());
        return m ? m->wiredPid : 0;
    }
    // A coordinator that opened the mouse and read it.
    std::unique_ptr<DCDataHandle> open() const
    {
        auto dc = std::make_unique<DCDataHandle>();
        dc->slot_OpenDevice(productId(), VID_KORVAN);
        return dc;
    }

    TempAppDir app;
    VirtualClock clock;
    ScopedDeviceClock clockScope;
    Simulation simulation;
};

QJsonObject buttonOf(const QJsonArray &report, int button)
{
    for (const QJsonValue &v : report) {
        if (v.toObject().value(QStringLiteral("button")).toInt() == button)
            return v.toObject();
    }
    return QJsonObject();
}

QJsonArray json(const char *text)
{
    return QJsonDocument::fromJson(QByteArray(text)).array();
}

} // namespace

class TstButtonReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerDeviceMetaTypes(); }
    void factoryMouse_data();
    void factoryMouse();
    void keyAssignment_data();
    void keyAssignment();
    void macroAsTheMouseStoresIt_data();
    void macroAsTheMouseStoresIt();
};

void TstButtonReport::factoryMouse_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("buttons");
    QTest::newRow("OX7: ids 4..14") << "ox7" << 11;
    QTest::newRow("OX6: its own twelve") << "ox6" << 12;
}

void TstButtonReport::factoryMouse()
{
    QFETCH(QString, model);
    QFETCH(int, buttons);
    Desk desk(model);
    const auto dc = desk.open();
    const QJsonArray report = ox8ctl::buttonReport(dc->manager(), desk.simulation.mouseType());
    QCOMPARE(report.size(), buttons);
    for (const QJsonValue &v : report) {
        const QJsonObject b = v.toObject();
        QVERIFY2(b.value(QStringLiteral("factory")).toBool(), qPrintable(QJsonDocument(b).toJson()));
        QCOMPARE(b.value(QStringLiteral("changeType")).toInt(), -1);
        QVERIFY(!b.contains(QStringLiteral("macros")));
    }
    QCOMPARE(buttonOf(report, 7).value(QStringLiteral("name")).toString(), QStringLiteral("forward"));
}

void TstButtonReport::keyAssignment_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("button");
    QTest::newRow("family A") << "ox7" << 8;
    QTest::newRow("family B") << "ox6" << 8;
}

void TstButtonReport::keyAssignment()
{
    QFETCH(QString, model);
    QFETCH(int, button);
    Desk desk(model);
    desk.open()->slot_ChangeButtonToKey(button, 66, 1, 29);
    const auto dc = desk.open();
    const QJsonObject b = buttonOf(ox8ctl::buttonReport(dc->manager(), desk.simulation.mouseType()), button);
    QCOMPARE(b.value(QStringLiteral("factory")).toBool(), false);
    QCOMPARE(b.value(QStringLiteral("changeType")).toInt(), 29);
    QCOMPARE(b.value(QStringLiteral("trueValue")).toInt(), 66);
    QCOMPARE(b.value(QStringLiteral("modifier")).toInt(), 1);
}

void TstButtonReport::macroAsTheMouseStoresIt_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("button");
    QTest::addColumn<QJsonArray>("macros");

    // Family A: page 3 of the rear side button, mode = repeat count 3,
    // entries [control (delay << 1 | pressed), HID usage].
    QTest::newRow("family A page") << "ox7" << 8 << json(R"([{"page":3,"mode":3,"entries":[[101,4],[0,4]]}])");
    // Family B: the forward button's slot 4, repeat 3, press A, wait 50, release A.
    QTest::newRow("family B slot") << "ox6" << 7
                                   << json(R"([{"slot":4,"repeat":3,"entries":[260,16434,516]}])");
}

void TstButtonReport::macroAsTheMouseStoresIt()
{
    QFETCH(QString, model);
    QFETCH(int, button);
    QFETCH(QJsonArray, macros);
    Desk desk(model);
    const QString path = getPlayerCustomDir() + QStringLiteral("/a.json");
    JsonHandle files;
    files.setMacroName(path, QStringLiteral("a"));
    files.setRepeatTimes(path, 3);
    files.writeMacroNodeList(path, {keyNode(65, 0, 50), keyNode(65, 1, 0)});
    desk.open()->slot_WriteSingleMacro(button, path);

    const auto dc = desk.open();
    const QJsonObject b = buttonOf(ox8ctl::buttonReport(dc->manager(), desk.simulation.mouseType()), button);
    QCOMPARE(b.value(QStringLiteral("factory")).toBool(), false);
    QCOMPARE(b.value(QStringLiteral("changeType")).toInt(), 33);
    QCOMPARE(b.value(QStringLiteral("macros")).toArray(), macros);
}

QTEST_GUILESS_MAIN(TstButtonReport)
#include "tst_buttonreport.moc"
