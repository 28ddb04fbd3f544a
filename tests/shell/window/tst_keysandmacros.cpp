// The key assignment dialog and the macro page inside the main window, with
// the real coordinator on its thread and an emulated mouse: a button clicked
// on the main page opens the dialog, its choice reaches the mouse's memory,
// and a macro recorded on the macro page ends up in the mouse encoded the
// way its family stores macros.
#include "config/jsonhandle.h"
#include "config/paths.h"
#include "config/warningtype.h"
#include "coordinator/dcdatahandle.h"
#include "discovery/models.h"
#include "editors/keysetting/keysettingdialog.h"
#include "editors/macro/macroeditwidget.h"
#include "shell/dialogs/loadmessagedialog.h"
#include "shell/dialogs/needdevicedialog.h"
#include "shell/mainsetting/mainsettingwidget.h"
#include "shell/mainsetting/mypushbutton.h"
#include "sim/familya/familyamouse.h"
#include "sim/familyb/familybmouse.h"
#include "tests/common/macrotestutil.h"
#include "tests/common/windowfixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QStackedWidget>
#include <QtTest>

namespace {

constexpr int kTimeoutMs = 20000;

bool waitForOpen(WindowFixture &f, int mouseType)
{
    return QTest::qWaitFor([&] { return f.window->openedMouseType() == mouseType; }, kTimeoutMs)
        && QTest::qWaitFor([&] { return !f.window->loadingDialog()->isVisible(); }, kTimeoutMs);
}

bool waitForIdle(WindowFixture &f)
{
    // The overlay shows for every device operation; a few quiet turns of the
    // event loop let queued work start first.
    QTest::qWait(50);
    return QTest::qWaitFor([&] { return !f.window->loadingDialog()->isVisible(); }, kTimeoutMs);
}

// Clicks the label of a mouse button on the main page; the dialog it opens.
KeySettingDialog *openDialog(WindowFixture &f, int button)
{
    f.click("MainSettingButton");
    MyPushButton *label = f.window->mainSettingPage()->mouseButton(button);
    if (!label || !label->isVisible())
        return nullptr;
    QTest::mouseClick(label, Qt::LeftButton);
    KeySettingDialog *dialog = f.window->keySettingDialog();
    return dialog && dialog->isVisible() ? dialog : nullptr;
}

// Records "A down, 50 ms, A up" into a new macro of the macro page.
QString recordMacro(WindowFixture &f)
{
    f.click("MacroEditButton");
    MacroEditWidget *page = f.window->macroEditPage();
    clickNamed(page, QStringLiteral("CreateButton"));
    if (auto *editor = page->findChild<QListWidget *>(QStringLiteral("MacroNameListWidget"))
                           ->viewport()
                           ->findChild<QLineEdit *>())
        QTest::keyClick(editor, Qt::Key_Escape);
    clickNamed(page, QStringLiteral("StartRecordButton"));
    QTest::keyPress(page, Qt::Key_A);
    f.clock.advance(50);
    QTest::keyRelease(page, Qt::Key_A);
    clickNamed(page, QStringLiteral("StartRecordButton"));
    page->flushFileWrites();
    return page->currentMacroPath();
}

// Chooses the first macro of the user's folder in the dialog and confirms.
void chooseFirstMacro(KeySettingDialog *dialog)
{
    clickNamed(dialog, QStringLiteral("MarcoEditButton"));
    auto *folders = dialog->findChild<QListWidget *>(QStringLiteral("MacroTitleListWidget"));
    QListWidgetItem *user = folders->findItems(QStringLiteral("PlayerCustom"), Qt::MatchExactly).value(0);
    QVERIFY(user);
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, Qt::NoModifier, folders->visualItemRect(user).center());
    auto *macros = dialog->findChild<QListWidget *>(QStringLiteral("MacroNameListWidget"));
    QVERIFY(macros->count() > 0);
    QTest::mouseClick(macros->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(4, macros->visualItemRect(macros->item(0)).center().y()));
    clickNamed(dialog, QStringLiteral("OKButton"));
}

} // namespace

class TstKeysAndMacros : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void keyCombinationReachesTheMouse();
    void familyAMacroReachesItsPage();
    void familyBMacroReachesItsSlot();
    void tooLongForTheMouseIsRefused();
    void removalClosesTheDialog();
};

void TstKeysAndMacros::initTestCase()
{
    registerDeviceMetaTypes();
}

void TstKeysAndMacros::keyCombinationReachesTheMouse()
{
    WindowFixture f(QStringLiteral("ox7"));
    QVERIFY(waitForOpen(f, Ox7));
    KeySettingDialog *dialog = openDialog(f, 8);
    QVERIFY(dialog);
    QCOMPARE(dialog->changedButton(), 8);
    QCOMPARE(dialog->pos(), QPoint(0, 0));
    QVERIFY(!dialog->findChild<QLabel *>(QStringLiteral("TrueMouseValueLabel"))->isVisible());

    QTest::keyPress(dialog, Qt::Key_Control);
    QTest::keyPress(dialog, Qt::Key_B);
    clickNamed(dialog, QStringLiteral("OKButton"));
    QTRY_VERIFY(!f.window->keySettingDialog());
    QVERIFY(waitForIdle(f));

    // Button 8's word in the working copy: a combination {2, 0, Ctrl, usage of B}.
    QTRY_COMPARE_WITH_TIMEOUT(f.simulation.familyAMouse()->memory(0x618, 4), bytes({2, 0, 1, 0x05}), kTimeoutMs);
    // The page learns it, and the next dialog shows it.
    MyPushButton *label = f.window->mainSettingPage()->mouseButton(8);
    QTRY_VERIFY(!label->isFactory());
    QCOMPARE(label->changeType(), 29);
    QCOMPARE(label->trueValue(), 66);
    QCOMPARE(label->modifyKeys(), 1);
    dialog = openDialog(f, 8);
    QVERIFY(dialog);
    auto *current = dialog->findChild<QLabel *>(QStringLiteral("TrueMouseValueLabel"));
    QVERIFY(current->isVisible());
    QCOMPARE(current->toolTip(), NumberedLanguageTable::text(293) + QStringLiteral("CTRL + B"));
    clickNamed(dialog, QStringLiteral("BackToDefalutButton"));
    QVERIFY(waitForIdle(f));
    QTRY_VERIFY(label->isFactory());
    QVERIFY(f.warningTypes().isEmpty());
}

void TstKeysAndMacros::familyAMacroReachesItsPage()
{
    WindowFixture f(QStringLiteral("ox7"));
    QVERIFY(waitForOpen(f, Ox7));
    const QString path = recordMacro(f);
    QVERIFY(!path.isEmpty());
    QCOMPARE(f.window->macroEditPage()->eventRows().size(), 3);

    // The rear side button (8) plays first-kind macro page 3.
    KeySettingDialog *dialog = openDialog(f, 8);
    QVERIFY(dialog);
    chooseFirstMacro(dialog);
    QVERIFY(waitForIdle(f));

    // Page 3 at 0x4000: length 10, mode 1 (one repetition), A pressed with
    // its 50 ms after it, A released.
    QTRY_COMPARE_WITH_TIMEOUT(f.simulation.familyAMouse()->memory(0x4000, 10),
                              bytes({0x0A, 0x00, 0x01, 0x00, 101, 0x00, 0x04, 0x00, 0x00, 0x04}), kTimeoutMs);
    QCOMPARE(f.simulation.familyAMouse()->memory(0x618, 4), bytes({5, 0, 3, 0}));
    QTRY_COMPARE(f.window->mainSettingPage()->mouseButton(8)->changeType(), 33);
    QVERIFY(f.warningTypes().isEmpty());
}

void TstKeysAndMacros::familyBMacroReachesItsSlot()
{
    WindowFixture f(QStringLiteral("ox6"));
    QVERIFY(waitForOpen(f, Ox6));
    f.closeWarnings();
    recordMacro(f);

    KeySettingDialog *dialog = openDialog(f, 7);
    QVERIFY(dialog);
    chooseFirstMacro(dialog);
    QVERIFY(waitForIdle(f));

    // The forward button's own slot 4 is macro number 156: repeat count 1,
    // press A (usage 4), wait 50 ms, release A.
    QTRY_COMPARE_WITH_TIMEOUT(f.simulation.familyBMouse()->macroEntries(156),
                              (QVector<quint16>{0x0104, 0x4032, 0x0204}), kTimeoutMs);
    QCOMPARE(f.simulation.familyBMouse()->macroHeader(156), bytes({0x00, 0x01}));
    // Button word 4 (forward): a single macro {5, play type 0, slot 4, 0}.
    QCOMPARE(f.simulation.familyBMouse()->buttonWord(4), bytes({5, 0, 4, 0}));
    QTRY_COMPARE(f.window->mainSettingPage()->mouseButton(7)->changeType(), 33);
    QVERIFY(f.warningTypes().isEmpty());
}

void TstKeysAndMacros::tooLongForTheMouseIsRefused()
{
    WindowFixture f(QStringLiteral("ox6"));
    QVERIFY(waitForOpen(f, Ox6));
    f.closeWarnings();
    // Within the editor's 900 bytes, but with a delay after every event the
    // family B slot (510 entries) cannot hold it.
    QList<MacroNode> nodes;
    for (int i = 0; i < 140; ++i)
        nodes << keyNode(65, 0, 30) << keyNode(65, 1, 30);
    QVERIFY(MacroEditWidget::calculateMacroListLength(nodes) < MacroEditWidget::kMaxMacroLength);
    JsonHandle json;
    const QString path = getPlayerCustomDir() + QStringLiteral("/long.json");
    json.setMacroName(path, QStringLiteral("long"));
    json.writeMacroNodeList(path, nodes);
    const QVector<quint16> before = f.simulation.familyBMouse()->macroEntries(156);

    KeySettingDialog *dialog = openDialog(f, 7);
    QVERIFY(dialog);
    chooseFirstMacro(dialog);
    QTRY_COMPARE_WITH_TIMEOUT(f.warningTypes(), QList<int>{Warning::MacroTooLong}, kTimeoutMs);
    QVERIFY(waitForIdle(f));
    QCOMPARE(f.simulation.familyBMouse()->macroEntries(156), before);
    QCOMPARE(f.simulation.familyBMouse()->buttonWord(4), bytes({1, 0, 0xF4, 0}));
}

void TstKeysAndMacros::removalClosesTheDialog()
{
    WindowFixture f(QStringLiteral("ox7"));
    QVERIFY(waitForOpen(f, Ox7));
    KeySettingDialog *dialog = openDialog(f, 5);
    QVERIFY(dialog);
    QPointer<KeySettingDialog> watched(dialog);
    f.simulation.bus().unplugAll();
    QTRY_VERIFY_WITH_TIMEOUT(!watched, kTimeoutMs);
    QVERIFY(f.window->needDeviceDialog()->isVisible());
}

QTEST_MAIN(TstKeysAndMacros)
#include "tst_keysandmacros.moc"
