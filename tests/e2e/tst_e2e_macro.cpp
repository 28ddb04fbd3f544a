// End to end: a macro recorded on the macro page of the real ox8driver with
// real X key events, bound to a side button through the key assignment
// dialog, and read back from the emulated mouse's memory with ox8ctl.
#include "tests/e2e/e2edesk.h"

#ifndef OX8DRIVER_BIN
#error OX8DRIVER_BIN must name the program under test
#endif

namespace {
// Rows of a list widget are 28 px high inside a 1 px frame.
constexpr int kFirstRowCentre = 15;
// Real time between the key's press and release, and what the recorded
// delay may come to on a busy machine.
constexpr double kHeldSeconds = 0.3;
constexpr int kMinHeldMs = 250;
constexpr int kMaxHeldMs = 5000;
} // namespace

class TstE2eMacro : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void recordedMacroReachesTheMouse_data();
    void recordedMacroReachesTheMouse();
};

void TstE2eMacro::initTestCase()
{
    const QString missing = E2eDesk::missingTool();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("%1 is not installed (scripts/setup-deps.sh installs it)").arg(missing)));
}

void TstE2eMacro::recordedMacroReachesTheMouse_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("button");
    QTest::newRow("OX7 (family A), rear side button") << "ox7" << 11 << 8;
    QTest::newRow("OX6 (family B), forward button") << "ox6" << 3 << 7;
}

void TstE2eMacro::recordedMacroReachesTheMouse()
{
    QFETCH(QString, model);
    QFETCH(int, mouseType);
    QFETCH(int, button);
    E2eDesk desk;
    QVERIFY(desk.startServer());
    QVERIFY2(desk.startProgram(model, mouseType), qPrintable(desk.programOutput()));

    // A new macro on the macro page, named by typing.
    QVERIFY(desk.clickAt(QStringLiteral("MacroEditButton")));
    QVERIFY(desk.waitShown(QStringLiteral("MacroEditWidget")));
    QVERIFY(desk.clickAt(QStringLiteral("CreateButton")));
    QVERIFY(desk.waitForLog(QStringLiteral("EventList")));
    QVERIFY(desk.xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("50"),
                          QStringLiteral("xmacro")}));
    QVERIFY(desk.xdotool({QStringLiteral("key"), QStringLiteral("Return")}));

    // Record: A held for a moment.
    QVERIFY(desk.clickAt(QStringLiteral("StartRecordButton")));
    QVERIFY(desk.waitShown(QStringLiteral("LeftMouseButton")));
    QVERIFY(desk.xdotool({QStringLiteral("keydown"), QStringLiteral("a"), QStringLiteral("sleep"),
                          QString::number(kHeldSeconds), QStringLiteral("keyup"), QStringLiteral("a")}));
    QVERIFY(desk.waitForLog(QStringLiteral("keyPressEvent 65")));
    QVERIFY(desk.clickAt(QStringLiteral("StartRecordButton")));
    QVERIFY(desk.waitForLog(QStringLiteral("updateMacroFile currentLength 3")));
    QVERIFY(desk.waitShown(QStringLiteral("LeftMouseButton"), false));
    QVERIFY(desk.screenshot(QStringLiteral(OX8_E2E_OUTPUT_DIR "/e2e-macro-%1.png").arg(model)));

    // Bind it to the button through the dialog.
    QVERIFY(desk.clickAt(QStringLiteral("MainSettingButton")));
    QVERIFY(desk.waitForIdle());
    QVERIFY(desk.clickAt(QStringLiteral("MouseButton_%1").arg(button)));
    QVERIFY(desk.waitShown(QStringLiteral("KeySettingDialog")));
    QVERIFY(desk.clickAt(QStringLiteral("MarcoEditButton")));
    QVERIFY(desk.waitShown(QStringLiteral("MacroTitleListWidget")));
    QVERIFY(desk.clickAtPixel(QStringLiteral("MacroTitleListWidget"), 40, kFirstRowCentre));
    QString box;
    QVERIFY(E2eDesk::waitFor([&] {
        box = desk.widgetKey(QRegularExpression(QStringLiteral("MacroNameListWidget/.*Form/checkBox$")));
        return !box.isEmpty() && desk.isShown(box);
    }));
    QVERIFY(desk.clickAtPixel(box, 8, desk.widget(box).value(QStringLiteral("h")).toInt() / 2));
    QVERIFY(desk.screenshot(QStringLiteral(OX8_E2E_OUTPUT_DIR "/e2e-keydialog-%1.png").arg(model)));
    QVERIFY(desk.clickAt(QStringLiteral("OKButton")));
    QVERIFY2(desk.waitForLog(QStringLiteral("slot_WriteSingleMacro True")), qPrintable(desk.logText().right(3000)));
    QVERIFY(desk.waitShown(QStringLiteral("KeySettingDialog"), false));
    QVERIFY(desk.waitForIdle());

    QCOMPARE(desk.quitProgram(), 0);

    // The emulated mouse holds the macro, encoded the family's way.
    const QJsonObject shown = desk.showJson(model);
    QVERIFY(!shown.isEmpty());
    QJsonObject bound;
    for (const QJsonValue &b : shown.value(QStringLiteral("buttons")).toArray()) {
        if (b.toObject().value(QStringLiteral("button")).toInt() == button)
            bound = b.toObject();
    }
    const QByteArray dump = QJsonDocument(bound).toJson(QJsonDocument::Compact);
    QCOMPARE(bound.value(QStringLiteral("factory")).toBool(), false);
    const QJsonArray macros = bound.value(QStringLiteral("macros")).toArray();
    QVERIFY2(macros.size() == 1, dump.constData());
    const QJsonObject macro = macros.at(0).toObject();
    const QJsonArray entries = macro.value(QStringLiteral("entries")).toArray();
    int heldMs = -1;
    if (macro.contains(QStringLiteral("page"))) {
        // Family A: [control, usage]; the press carries its delay in bits 1..15.
        QVERIFY2(entries.size() == 2, dump.constData());
        const QJsonArray press = entries.at(0).toArray();
        const QJsonArray release = entries.at(1).toArray();
        QCOMPARE(press.at(1).toInt(), 0x04);
        QCOMPARE(press.at(0).toInt() & 1, 1);
        QCOMPARE(release, (QJsonArray{0, 0x04}));
        heldMs = press.at(0).toInt() >> 1;
    } else {
        // Family B: press A, the wait, release A.
        QVERIFY2(entries.size() == 3, dump.constData());
        QCOMPARE(entries.at(0).toInt(), 0x0104);
        QCOMPARE(entries.at(1).toInt() & 0xC000, 0x4000);
        QCOMPARE(entries.at(2).toInt(), 0x0204);
        QCOMPARE(macro.value(QStringLiteral("repeat")).toInt(), 1);
        heldMs = entries.at(1).toInt() & 0x3FFF;
    }
    QVERIFY2(heldMs >= kMinHeldMs && heldMs <= kMaxHeldMs, dump.constData());

    // The macro file carries the typed name.
    const QDir custom(desk.appDir() + QStringLiteral("/ConfigFiles/MacroFiles/PlayerCustom"));
    const QStringList files = custom.entryList({QStringLiteral("*.json")}, QDir::Files);
    QCOMPARE(files.size(), 1);
    QFile file(custom.filePath(files.first()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("Name")).toString(),
             QStringLiteral("xmacro"));
}

QTEST_GUILESS_MAIN(TstE2eMacro)
#include "tst_e2e_macro.moc"
