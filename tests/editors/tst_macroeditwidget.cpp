// The macro page driven by object name: recording with the delays of the
// virtual clock, the length limit, editing by hand, the play options, the
// library (create, rename, delete) and macro files that are not what they seem.
#include "config/jsonhandle.h"
#include "config/paths.h"
#include "config/warningtype.h"
#include "discovery/models.h"
#include "editors/macro/macroeditwidget.h"
#include "editors/macro/macrolibrary.h"
#include "platform/clock.h"
#include "platform/keymap.h"
#include "tests/common/macrotestutil.h"
#include "tests/common/testutil.h"
#include "tests/common/widgettestutil.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest>

#include <memory>

using namespace macroevents;

namespace {

// The page on its own, in virtual time, with what it signals recorded.
struct PageFixture
{
    PageFixture()
        : clockScope(&clock)
    {
        page = std::make_unique<MacroEditWidget>();
        QObject::connect(page.get(), &MacroEditWidget::sig_ShowWarningWidgetOnMacroEditWidget,
                         [this](int w) { warnings.append(w); });
        QObject::connect(page.get(), &MacroEditWidget::sig_BanClickTopButton,
                         [this](bool state, bool transparent) { bans.append({state, transparent}); });
        QObject::connect(page.get(), &MacroEditWidget::sig_HeaderButtonEnable,
                         [this](bool state) { headers.append(state); });
        page->show();
        page->slot_reLoadMacroNamelist();
    }

    template <typename T = QWidget>
    T *child(const char *name) const
    {
        return childNamed<T>(page.get(), QLatin1String(name));
    }
    void click(const char *name) const { clickNamed(page.get(), QLatin1String(name)); }
    void press(int qtKey) const { QTest::keyPress(page.get(), Qt::Key(qtKey)); }
    void release(int qtKey) const { QTest::keyRelease(page.get(), Qt::Key(qtKey)); }
    void tap(int qtKey, int heldMs = 0)
    {
        press(qtKey);
        clock.advance(heldMs);
        release(qtKey);
    }
    QListWidget *macros() const { return child<QListWidget>("MacroNameListWidget"); }
    QListWidget *events() const { return child<QListWidget>("EventListWidget"); }

    // A new macro of the user's folder, current.
    QString create()
    {
        click("CreateButton");
        // Leave the name editor the page opened, keeping the name.
        if (auto *editor = macros()->viewport()->findChild<QLineEdit *>())
            QTest::keyClick(editor, Qt::Key_Escape);
        page->flushFileWrites();
        return page->currentMacroPath();
    }
    // A macro file of the user's folder with these nodes, chosen on the page.
    QString macroWith(const QList<MacroNode> &nodes, int type = 0, const QString &name = QStringLiteral("m"))
    {
        const QString path = getPlayerCustomDir() + QStringLiteral("/%1.json").arg(name);
        JsonHandle json;
        json.setMacroName(path, name);
        json.setMacroType(path, type);
        json.writeMacroNodeList(path, nodes);
        page->slot_reLoadMacroNamelist();
        const QList<QListWidgetItem *> found = macros()->findItems(name, Qt::MatchExactly);
        if (!found.isEmpty())
            macros()->setCurrentItem(found.first());
        return path;
    }
    QJsonObject file(const QString &path) const
    {
        page->flushFileWrites();
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
    }
    QList<MacroNode> nodes(const QString &path) const
    {
        page->flushFileWrites();
        JsonHandle json;
        return json.readMacroNodeList(path);
    }
    void selectRow(int row) const { events()->setCurrentRow(row); }

    NumberedLanguageTable texts;
    TempAppDir app;
    VirtualClock clock;
    ScopedDeviceClock clockScope;
    std::unique_ptr<MacroEditWidget> page;
    QList<int> warnings;
    QList<QPair<bool, bool>> bans;
    QList<bool> headers;
};

MacroNode named(MacroNode n, const char *text)
{
    n.Text = QString::fromLatin1(text);
    return n;
}

// Rows where every press has its release.
bool everyPressReleased(const QList<EventRow> &rows)
{
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).kind == KeyRow && rows.at(i).state == kPressed && partnerRow(rows, i) < 0)
            return false;
    }
    return true;
}

} // namespace

class TstMacroEditWidget : public QObject
{
    Q_OBJECT

private slots:
    void recordsKeyDownDelayKeyUp();
    void delayCostRule_data();
    void delayCostRule();
    void heldKeyRecordedOnce_data();
    void heldKeyRecordedOnce();
    void rightCtrlRecordedAs163_data();
    void rightCtrlRecordedAs163();
    void onScreenMouseButtons();
    void recordingNeedsAMacro();
    void lengthLimitWhileRecording();
    void delaysEnteredOneAfterAnotherMerge();
    void handEditsKeepKeyPairs();
    void movementEdits();
    void editModeLocksThePage();
    void lengthLimitWhenAddingByHand_data();
    void lengthLimitWhenAddingByHand();
    void playOptionsWrittenAtOnce();
    void loadingShowsTheFileWithoutWriting();
    void createRenameDelete();
    void namesCannotEscapeTheFolder_data();
    void namesCannotEscapeTheFolder();
    void deleteOnlyInTheUserFolder();
    void hostileMacroFile_data();
    void hostileMacroFile();
    void libraryFolderThatIsAFile();
    void backgroundPerModel_data();
    void backgroundPerModel();
};

void TstMacroEditWidget::recordsKeyDownDelayKeyUp()
{
    PageFixture f;
    const QString path = f.create();
    QVERIFY(!path.isEmpty());
    QVERIFY(QFileInfo(path).absolutePath() == QFileInfo(getPlayerCustomDir()).absoluteFilePath());
    QCOMPARE(f.macros()->currentItem()->text(), NumberedLanguageTable::text(294));

    f.click("StartRecordButton");
    QVERIFY(f.page->isRecording());
    QCOMPARE(f.child<QPushButton>("StartRecordButton")->toolTip(), NumberedLanguageTable::text(296));
    QVERIFY(f.child("MacroBandingWidget")->isVisible());
    QVERIFY(f.child("LeftMouseButton")->isVisible());
    QVERIFY(!f.child("AddEventButton")->isVisible());
    QCOMPARE(f.bans, (QList<QPair<bool, bool>>{{true, true}}));

    f.tap(Qt::Key_A, 50);
    f.click("StartRecordButton");
    QVERIFY(!f.page->isRecording());
    QCOMPARE(f.bans.last(), qMakePair(false, false));
    QVERIFY(!f.child("MacroBandingWidget")->isVisible());
    QCOMPARE(f.child<QPushButton>("StartRecordButton")->toolTip(), NumberedLanguageTable::text(176));

    QCOMPARE(f.page->eventRows(), (QList<EventRow>{keyRow(65, kPressed, QStringLiteral("A")), delayRow(50),
                                                   keyRow(65, kReleased, QStringLiteral("A"))}));
    QCOMPARE(f.events()->item(1)->text(), QStringLiteral("50ms"));
    QCOMPARE(f.nodes(path), (QList<MacroNode>{named(keyNode(65, 0, 50), "A"), named(keyNode(65, 1, 0), "A")}));
    const QJsonObject file = f.file(path);
    QCOMPARE(file.value(QStringLiteral("Name")).toString(), NumberedLanguageTable::text(294));
    QCOMPARE(file.value(QStringLiteral("RepeatTimes")).toInt(), 1);
    QCOMPARE(file.value(QStringLiteral("MacroType")).toInt(), 0);
    QCOMPARE(file.value(QStringLiteral("MacroLength")).toInt(), 6);
}

void TstMacroEditWidget::delayCostRule_data()
{
    QTest::addColumn<int>("heldMs");
    QTest::addColumn<int>("length");
    QTest::newRow("127 ms: 3 + 3") << 127 << 6;
    QTest::newRow("128 ms: the release costs 7") << 128 << 10;
}

void TstMacroEditWidget::delayCostRule()
{
    QFETCH(int, heldMs);
    QFETCH(int, length);
    PageFixture f;
    const QString path = f.create();
    f.click("StartRecordButton");
    f.tap(Qt::Key_B, heldMs);
    f.click("StartRecordButton");
    QCOMPARE(f.file(path).value(QStringLiteral("MacroLength")).toInt(), length);
    QCOMPARE(calculateMacroListLength(f.nodes(path)), length);
}

void TstMacroEditWidget::heldKeyRecordedOnce_data()
{
    QTest::addColumn<bool>("markedAsRepeat");
    QTest::newRow("repeats marked as such") << true;
    QTest::newRow("repeats without the mark") << false;
}

void TstMacroEditWidget::heldKeyRecordedOnce()
{
    QFETCH(bool, markedAsRepeat);
    PageFixture f;
    f.create();
    f.click("StartRecordButton");
    f.press(Qt::Key_W);
    for (int i = 0; i < 5; ++i) {
        f.clock.advance(30);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_W, Qt::NoModifier, QStringLiteral("w"), markedAsRepeat);
        QApplication::sendEvent(f.page.get(), &repeat);
    }
    f.release(Qt::Key_W);
    f.click("StartRecordButton");
    QCOMPARE(f.page->eventRows(), (QList<EventRow>{keyRow(87, kPressed, QStringLiteral("W")), delayRow(150),
                                                   keyRow(87, kReleased, QStringLiteral("W"))}));
}

void TstMacroEditWidget::rightCtrlRecordedAs163_data()
{
    QTest::addColumn<bool>("xkb");
    QTest::addColumn<quint32>("keycode");
    QTest::addColumn<int>("recorded");
    // With the native codes of xcb the right key is known; without them the
    // left one is assumed.
    QTest::newRow("xcb: right Ctrl") << true << 105u << 163;
    QTest::newRow("xcb: left Ctrl") << true << 37u << 162;
    QTest::newRow("no native codes") << false << 0u << 162;
}

void TstMacroEditWidget::rightCtrlRecordedAs163()
{
    QFETCH(bool, xkb);
    QFETCH(quint32, keycode);
    QFETCH(int, recorded);
    PageFixture f;
    overrideNativeKeyCodes(xkb ? NativeKeyCodes::Xkb : NativeKeyCodes::None);
    f.create();
    f.click("StartRecordButton");
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, keycode, keycode == 105 ? 0xffe4 : 0xffe3, 0);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier, keycode, keycode == 105 ? 0xffe4 : 0xffe3, 0);
    QApplication::sendEvent(f.page.get(), &down);
    QApplication::sendEvent(f.page.get(), &up);
    f.click("StartRecordButton");
    clearNativeKeyCodesOverride();
    QCOMPARE(f.page->eventRows().size(), 3);
    QCOMPARE(f.page->eventRows().first().value, recorded);
    QCOMPARE(f.page->eventRows().last().value, recorded);

    // The scan-code correction names the right key even from the generic code.
    int code = 17;
    MacroEditWidget::turnShortCutScanCodeToVirtualCode(285, code);
    QCOMPARE(code, 163);
    code = 16;
    MacroEditWidget::turnShortCutScanCodeToVirtualCode(54, code);
    QCOMPARE(code, 161);
    code = 65;
    MacroEditWidget::turnShortCutScanCodeToVirtualCode(30, code);
    QCOMPARE(code, 65);
}

void TstMacroEditWidget::onScreenMouseButtons()
{
    PageFixture f;
    const QString path = f.create();
    f.click("StartRecordButton");
    f.click("LeftMouseButton");
    f.clock.advance(20);
    f.click("RightMouseButton");
    f.click("StartRecordButton");
    const QList<MacroNode> nodes = f.nodes(path);
    QCOMPARE(nodes.size(), 4);
    QCOMPARE(nodes.at(0).KeyValue, 1);
    QCOMPARE(nodes.at(0).State, 0);
    QCOMPARE(nodes.at(1).KeyValue, 1);
    QCOMPARE(nodes.at(1).State, 1);
    QCOMPARE(nodes.at(1).TimeLapse, 20);
    QCOMPARE(nodes.at(2).KeyValue, 2);
    QCOMPARE(nodes.at(0).Text, QStringLiteral("Left Button"));
}

void TstMacroEditWidget::recordingNeedsAMacro()
{
    PageFixture f;
    QVERIFY(f.page->currentMacroPath().isEmpty());
    f.click("StartRecordButton");
    QVERIFY(!f.page->isRecording());
    QVERIFY(f.bans.isEmpty());
}

void TstMacroEditWidget::lengthLimitWhileRecording()
{
    PageFixture f;
    const QString path = f.create();
    f.click("StartRecordButton");
    // Shift stays down while the limit is reached.
    f.press(Qt::Key_Shift);
    int taps = 0;
    while (f.page->isRecording() && taps < 200) {
        f.clock.advance(200);
        f.tap(Qt::Key_A + taps % 26, 200);
        ++taps;
    }
    QVERIFY(!f.page->isRecording());
    QCOMPARE(f.warnings, QList<int>{Warning::MacroTooLong});
    QCOMPARE(f.bans.last(), qMakePair(false, false));
    const QList<EventRow> rows = f.page->eventRows();
    // What was recorded stays, and no key is left down.
    QVERIFY(rows.size() > 100);
    QVERIFY(everyPressReleased(rows));
    QCOMPARE(rows.last(), keyRow(160, kReleased, QStringLiteral("L_Shift")));
    const QList<MacroNode> nodes = f.nodes(path);
    QCOMPARE(nodes.size(), int(std::count_if(rows.cbegin(), rows.cend(), [](const EventRow &r) {
                 return r.kind == KeyRow;
             })));
    // The running length: the refused press counted, the releases added after it.
    QVERIFY(f.file(path).value(QStringLiteral("MacroLength")).toInt() >= MacroEditWidget::kMaxMacroLength);
}

void TstMacroEditWidget::delaysEnteredOneAfterAnotherMerge()
{
    PageFixture f;
    const QString path = f.macroWith({keyNode(65, 0, 0), keyNode(65, 1, 0)});
    QCOMPARE(f.page->eventRows().size(), 2);
    for (int ms : {30, 20}) {
        f.selectRow(0);
        f.click("AddEventButton");
        QVERIFY(f.page->isEditing());
        f.click("ChangeOrInsertDelayTimeRadioButton");
        QTest::keyClicks(f.child<QLineEdit>("lineEdit"), QString::number(ms));
        f.click("AddCertainButton");
        QVERIFY(!f.page->isEditing());
    }
    QCOMPARE(f.page->eventRows(), (QList<EventRow>{keyRow(65, kPressed, QStringLiteral("A")), delayRow(50),
                                                   keyRow(65, kReleased, QStringLiteral("A"))}));
    QCOMPARE(f.events()->item(1)->text(), QStringLiteral("50ms"));
    QCOMPARE(f.nodes(path).at(0).TimeLapse, 50);
    QCOMPARE(f.file(path).value(QStringLiteral("MacroLength")).toInt(), 6);
}

void TstMacroEditWidget::handEditsKeepKeyPairs()
{
    PageFixture f;
    const QString path = f.macroWith({keyNode(65, 0, 40), keyNode(65, 1, 0)});
    // Change the release of A into B: its press changes with it.
    f.selectRow(2);
    f.click("EditEventButton");
    QVERIFY(!f.child("ChangeOrInsertDelayTimeRadioButton")->isEnabled());
    f.press(Qt::Key_B);
    QCOMPARE(f.child<QLineEdit>("lineEdit")->text(), QStringLiteral("B"));
    f.click("AddCertainButton");
    QCOMPARE(f.page->eventRows(), (QList<EventRow>{keyRow(66, kPressed, QStringLiteral("B")), delayRow(40),
                                                   keyRow(66, kReleased, QStringLiteral("B"))}));

    // Insert a key after the delay: a press and a release.
    f.selectRow(1);
    f.click("AddEventButton");
    f.press(Qt::Key_C);
    f.click("AddCertainButton");
    QCOMPARE(f.page->eventRows().mid(2, 2),
             (QList<EventRow>{keyRow(67, kPressed, QStringLiteral("C")), keyRow(67, kReleased, QStringLiteral("C"))}));

    // An on-screen button in the key mode is a key like any other.
    f.selectRow(4);
    f.click("AddEventButton");
    f.click("MidMouseButton");
    f.click("AddCertainButton");
    QCOMPARE(f.page->eventRows().size(), 7);
    QCOMPARE(f.page->eventRows().at(5), keyRow(4, kPressed, QStringLiteral("Middle Button")));

    // Deleting the press of B deletes its release; the delay before C stays.
    f.selectRow(0);
    f.click("ReduceEventButton");
    QCOMPARE(f.page->eventRows(), (QList<EventRow>{delayRow(40), keyRow(67, kPressed, QStringLiteral("C")),
                                                   keyRow(67, kReleased, QStringLiteral("C")),
                                                   keyRow(4, kPressed, QStringLiteral("Middle Button")),
                                                   keyRow(4, kReleased, QStringLiteral("Middle Button"))}));
    QCOMPARE(f.nodes(path).size(), 4);

    // Without a current row nothing is inserted.
    f.events()->setCurrentRow(-1);
    f.click("AddEventButton");
    f.press(Qt::Key_D);
    f.click("AddCertainButton");
    QCOMPARE(f.page->eventRows().size(), 5);
}

void TstMacroEditWidget::movementEdits()
{
    PageFixture f;
    const QString path = f.macroWith({keyNode(65, 0, 0), keyNode(65, 1, 0)});
    f.selectRow(0);
    f.click("AddEventButton");
    f.click("ChangeOrInsetAMousePositionRadioButton");
    QVERIFY(f.child("XSpinBox")->isEnabled());
    f.child<QSpinBox>("XSpinBox")->setValue(12);
    f.child<QSpinBox>("YSpinBox")->setValue(-300); // held to the range
    f.click("AddCertainButton");
    QCOMPARE(f.page->eventRows().at(1), movementRow(12, -127));
    QCOMPARE(f.events()->item(1)->text(), QStringLiteral("(12,-127)"));
    QCOMPARE(f.child<QSpinBox>("XSpinBox")->value(), 0);

    f.selectRow(1);
    f.click("EditEventButton");
    QCOMPARE(f.child<QSpinBox>("XSpinBox")->value(), 12);
    f.child<QSpinBox>("XSpinBox")->setValue(-5);
    f.click("AddCertainButton");
    QCOMPARE(f.page->eventRows().at(1), movementRow(-5, -127));
    const QList<MacroNode> nodes = f.nodes(path);
    QCOMPARE(nodes.size(), 3);
    QCOMPARE(nodes.at(1).ValueType, 6);
    QCOMPARE(nodes.at(1).CoordinateX, -5);
    QCOMPARE(f.file(path).value(QStringLiteral("MacroLength")).toInt(), 3 + 7 + 3);
}

void TstMacroEditWidget::editModeLocksThePage()
{
    PageFixture f;
    f.macroWith({keyNode(65, 0, 0), keyNode(65, 1, 0)});
    f.headers.clear();
    f.page->EditArrayEditable(true);
    QCOMPARE(f.headers, QList<bool>{false});
    QVERIFY(!f.events()->isEnabled());
    QVERIFY(f.child("AddCertainButton")->isVisible());
    QVERIFY(!f.child("transparentWidget")->isVisible());
    QVERIFY(!f.child("StartRecordButton")->isEnabled());
    QVERIFY(f.child<QRadioButton>("ChangeOrInsertKeyRadioButton")->isChecked());
    f.page->slot_ResetPage();
    QCOMPARE(f.headers.last(), true);
    QVERIFY(f.events()->isEnabled());
    QVERIFY(!f.child("AddCertainButton")->isVisible());
    QVERIFY(f.child("transparentWidget")->isVisible());
    QVERIFY(!f.child<QRadioButton>("ChangeOrInsertKeyRadioButton")->isCheckable());
}

void TstMacroEditWidget::lengthLimitWhenAddingByHand_data()
{
    QTest::addColumn<int>("pairs");
    QTest::addColumn<bool>("entersEditing");
    // 149 pairs without delays cost 894: room for one more pair of 6 bytes
    // would make 900, which is refused.
    QTest::newRow("894 bytes: the edit starts, the pair is refused") << 149 << true;
    QTest::newRow("900 bytes: no edit at all") << 150 << false;
}

void TstMacroEditWidget::lengthLimitWhenAddingByHand()
{
    QFETCH(int, pairs);
    QFETCH(bool, entersEditing);
    PageFixture f;
    QList<MacroNode> nodes;
    for (int i = 0; i < pairs; ++i)
        nodes << keyNode(65, 0, 0) << keyNode(65, 1, 0);
    const QString path = f.macroWith(nodes);
    const QList<EventRow> before = f.page->eventRows();
    f.selectRow(0);
    f.click("AddEventButton");
    QCOMPARE(f.page->isEditing(), entersEditing);
    if (entersEditing) {
        QVERIFY(f.warnings.isEmpty());
        f.press(Qt::Key_Z);
        f.click("AddCertainButton");
    }
    QCOMPARE(f.warnings, QList<int>{Warning::MacroTooLong});
    QCOMPARE(f.page->eventRows(), before);
    QVERIFY(!f.page->isEditing());
    QCOMPARE(f.nodes(path).size(), pairs * 2);
}

void TstMacroEditWidget::playOptionsWrittenAtOnce()
{
    PageFixture f;
    const QString path = f.create();
    f.click("PlayUntilPressAgain_RadioButton");
    QCOMPARE(f.file(path).value(QStringLiteral("MacroType")).toInt(), 2);
    f.click("PlayWhenItPressed_RadioButton");
    QCOMPARE(f.file(path).value(QStringLiteral("MacroType")).toInt(), 4);
    f.click("LoopCount_RadioButton");
    QCOMPARE(f.file(path).value(QStringLiteral("MacroType")).toInt(), 0);
    f.child<QSpinBox>("RepeatTimesSpinBox")->setValue(7);
    QCOMPARE(f.file(path).value(QStringLiteral("RepeatTimes")).toInt(), 7);
    QCOMPARE(f.child<QSpinBox>("RepeatTimesSpinBox")->maximum(), 65533);
    f.click("IgnoreEventWaiteTimeCheckBox");
    QCOMPARE(f.file(path).value(QStringLiteral("IgnoreDelayTime")).toInt(), 1);
    f.click("IgnoreEventWaiteTimeCheckBox");
    QCOMPARE(f.file(path).value(QStringLiteral("IgnoreDelayTime")).toInt(), 0);
}

void TstMacroEditWidget::loadingShowsTheFileWithoutWriting()
{
    PageFixture f;
    const QString path = getPlayerCustomDir() + QStringLiteral("/kept.json");
    const QByteArray bytes =
        R"({"Name":"kept","MacroType":2,"RepeatTimes":40,"IgnoreDelayTime":1,"Macro":[{"ValueType":3,"KeyValue":65,"State":0,"TimeLapse":10,"Text":"A"}]})";
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    f.page->slot_reLoadMacroNamelist();
    f.macros()->setCurrentItem(f.macros()->findItems(QStringLiteral("kept"), Qt::MatchExactly).value(0));
    QVERIFY(f.child<QRadioButton>("PlayUntilPressAgain_RadioButton")->isChecked());
    QCOMPARE(f.child<QSpinBox>("RepeatTimesSpinBox")->value(), 40);
    QVERIFY(f.child<QCheckBox>("IgnoreEventWaiteTimeCheckBox")->isChecked());
    QCOMPARE(f.page->eventRows(), (QList<EventRow>{keyRow(65, kPressed, QStringLiteral("A")), delayRow(10)}));
    f.page->flushFileWrites();
    QFile again(path);
    QVERIFY(again.open(QIODevice::ReadOnly));
    QCOMPARE(again.readAll(), bytes);
}

void TstMacroEditWidget::createRenameDelete()
{
    PageFixture f;
    // Two macros made in the same millisecond get files of their own.
    const QDateTime now = QDateTime::currentDateTime();
    const QString first = macrolibrary::newMacroFilePath(getPlayerCustomDir(), now);
    QFile(first).open(QIODevice::WriteOnly);
    const QString second = macrolibrary::newMacroFilePath(getPlayerCustomDir(), now);
    QVERIFY(second != first);
    QVERIFY(second.endsWith(QLatin1String(".json")));
    QFile::remove(first);

    const QString a = f.create();
    const QString b = f.create();
    QVERIFY(a != b);
    QCOMPARE(f.macros()->count(), 2);

    QListWidgetItem *item = f.macros()->currentItem();
    item->setText(QStringLiteral("  Reload  "));
    QCOMPARE(item->text(), QStringLiteral("Reload"));
    QCOMPARE(f.file(b).value(QStringLiteral("Name")).toString(), QStringLiteral("Reload"));

    // An empty name keeps the old one.
    item->setText(QStringLiteral("   "));
    QCOMPARE(item->text(), QStringLiteral("Reload"));
    QCOMPARE(f.file(b).value(QStringLiteral("Name")).toString(), QStringLiteral("Reload"));

    f.click("DeleteButton");
    f.page->flushFileWrites();
    QVERIFY(!QFile::exists(b));
    QVERIFY(QFile::exists(a));
    QCOMPARE(f.macros()->count(), 1);
}

void TstMacroEditWidget::namesCannotEscapeTheFolder_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("path separators stay text") << QStringLiteral("../../evil/x") << QStringLiteral("../../evil/x");
    QTest::newRow("control characters go") << QStringLiteral("a\nb\tc\x1b") << QStringLiteral("abc");
    QTest::newRow("overlong names are cut")
        << QString(200, QLatin1Char('n')) << QString(macrolibrary::kMaxMacroNameLength, QLatin1Char('n'));
}

void TstMacroEditWidget::namesCannotEscapeTheFolder()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    PageFixture f;
    const QString path = f.create();
    const QStringList before = QDir(getPlayerCustomDir()).entryList(QDir::Files | QDir::Hidden);
    f.macros()->currentItem()->setText(typed);
    QCOMPARE(f.file(path).value(QStringLiteral("Name")).toString(), stored);
    // The name lives in the file; no file is made, moved or named after it.
    QCOMPARE(QDir(getPlayerCustomDir()).entryList(QDir::Files | QDir::Hidden), before);
    QVERIFY(!QFileInfo::exists(getMacroFilesDir() + QStringLiteral("/../evil")));
    QVERIFY(!QFileInfo::exists(getPlayerCustomDir() + QStringLiteral("/../../evil")));
}

void TstMacroEditWidget::deleteOnlyInTheUserFolder()
{
    PageFixture f;
    const QString library = getMacroFilesDir() + QStringLiteral("/Library");
    QDir().mkpath(library);
    const QString path = library + QStringLiteral("/vendor.json");
    JsonHandle().setMacroName(path, QStringLiteral("vendor"));
    f.page->slot_reLoadMacroNamelist();
    auto *folders = f.child<QComboBox>("MacroTitleComboBox");
    folders->setCurrentIndex(folders->findText(QStringLiteral("Library")));
    QCOMPARE(f.macros()->count(), 1);
    // Not editable outside the user's folder.
    QVERIFY(!(f.macros()->item(0)->flags() & Qt::ItemIsEditable));
    f.macros()->setCurrentRow(0);
    f.click("DeleteButton");
    f.page->flushFileWrites();
    QVERIFY(QFile::exists(path));
    QCOMPARE(f.macros()->count(), 1);
    // A new macro goes to the user's folder, which the page then shows.
    const QString created = f.create();
    QVERIFY(macrolibrary::isDirectlyInside(created, getPlayerCustomDir()));
    QCOMPARE(folders->currentText(), QStringLiteral("PlayerCustom"));
}

void TstMacroEditWidget::hostileMacroFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("rows");
    QTest::newRow("not JSON") << QByteArray("\x00\x01garbage", 9) << QStringLiteral("ErrorName") << 0;
    QTest::newRow("an array") << QByteArray("[{}]") << QStringLiteral("ErrorName") << 0;
    QTest::newRow("Macro not an array") << QByteArray(R"({"Name":"x","Macro":{"a":1}})") << QStringLiteral("x") << 0;
    QTest::newRow("wrong kinds of nodes")
        << QByteArray(R"({"Name":"y","Macro":[1,"s",{"ValueType":3,"KeyValue":-4,"State":0},{"ValueType":3,"KeyValue":65,"State":9},{"ValueType":6,"CoordinateX":99999,"CoordinateY":-5,"TimeLapse":-3}]})")
        << QStringLiteral("y") << 1;
    QTest::newRow("a huge name") << QByteArray("{\"Name\":\"") + QByteArray(100000, 'z') + QByteArray("\"}")
                                 << QString(macrolibrary::kMaxMacroNameLength, QLatin1Char('z')) << 0;
}

void TstMacroEditWidget::hostileMacroFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QFETCH(int, rows);
    PageFixture f;
    QFile file(getPlayerCustomDir() + QStringLiteral("/bad.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    f.page->slot_reLoadMacroNamelist();
    QCOMPARE(f.macros()->count(), 1);
    QCOMPARE(f.macros()->item(0)->text(), name);
    f.macros()->setCurrentRow(0);
    QCOMPARE(f.page->eventRows().size(), rows);
}

void TstMacroEditWidget::libraryFolderThatIsAFile()
{
    NumberedLanguageTable texts;
    TempAppDir app;
    QDir().mkpath(getConfigFilesDir());
    QFile plain(getConfigFilesDir() + QStringLiteral("/MacroFiles"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    MacroEditWidget page;
    page.slot_reLoadMacroNamelist();
    QCOMPARE(page.findChild<QComboBox *>(QStringLiteral("MacroTitleComboBox"))->count(), 0);
    clickNamed(&page, QStringLiteral("CreateButton"));
    page.flushFileWrites();
    QCOMPARE(page.findChild<QListWidget *>(QStringLiteral("MacroNameListWidget"))->count(), 0);
    QVERIFY(QFileInfo(getConfigFilesDir() + QStringLiteral("/MacroFiles")).isFile());
}

void TstMacroEditWidget::backgroundPerModel_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<QString>("picture");
    QTest::newRow("OX1") << int(Ox1) << QStringLiteral(":/picture/ox1/picture/OX1/bg_macro.png");
    QTest::newRow("OX1S") << int(Ox1S) << QStringLiteral(":/picture/ox1s/picture/OX1S/bg_macro.png");
    QTest::newRow("OX4C") << int(Ox4C) << QStringLiteral(":/picture/ox4/picture/OX4/bg_macro.png");
    QTest::newRow("OX4") << int(Ox4) << QStringLiteral(":/picture/ox4/picture/OX4/bg_macro.png");
    QTest::newRow("OX7Q") << int(Ox7Q) << QStringLiteral(":/picture/ox7/picture/OX7/bg_macro.png");
    QTest::newRow("OX7EU") << int(Ox7EU) << QStringLiteral(":/picture/ox7/picture/OX7/bg_macro.png");
    QTest::newRow("OX8") << int(Ox8) << QStringLiteral(":/picture/ox8/picture/OX8/bg_macro.png");
    QTest::newRow("OX6: the common one") << int(Ox6) << QStringLiteral(":/picture/picture/bg_macro.png");
    QTest::newRow("code 17 keeps what is shown") << 17 << QStringLiteral(":/picture/ox8/picture/OX8/bg_macro.png");
}

void TstMacroEditWidget::backgroundPerModel()
{
    QFETCH(int, mouseType);
    QFETCH(QString, picture);
    PageFixture f;
    f.page->setMouseType(Ox8);
    f.page->setMouseType(mouseType);
    QVERIFY2(f.page->styleSheet().contains(QStringLiteral("border-image: url(%1)").arg(picture)),
             qPrintable(f.page->styleSheet()));
    QVERIFY(QFile::exists(picture));
}

QTEST_MAIN(TstMacroEditWidget)
#include "tst_macroeditwidget.moc"
