// The key assignment dialog driven by object name: key capture, the macro
// library page with its check limits, the basic list, the disable override,
// the warnings it raises, and macro folders that are not what they seem.
#include "config/jsonhandle.h"
#include "config/paths.h"
#include "config/warningtype.h"
#include "discovery/models.h"
#include "editors/keysetting/form.h"
#include "editors/keysetting/keysettingdialog.h"
#include "tests/common/macrotestutil.h"
#include "tests/common/testutil.h"
#include "tests/common/widgettestutil.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QtTest>

#include <memory>

namespace {

struct KeyChange
{
    int button;
    uint trueValue;
    uint modifier;
    int changeType;
};

} // namespace

Q_DECLARE_METATYPE(KeyChange)

namespace {

// A dialog for a button of a model, with an application folder of its own
// and the signals it sends recorded.
struct DialogFixture
{
    explicit DialogFixture(int button = 7, int mouseType = Ox6)
    {
        dialog = std::make_unique<KeySettingDialog>(nullptr, mouseType);
        dialog->setChangedButton(button);
        QObject::connect(dialog.get(), &KeySettingDialog::sig_ButtonChangeToKey,
                         [this](int b, uint v, uint m, int t) { keys.append({b, v, m, t}); });
        QObject::connect(dialog.get(), &KeySettingDialog::sig_WriteSingleMacro,
                         [this](int b, const QString &path) { singles.append({QString::number(b), path}); });
        QObject::connect(dialog.get(), &KeySettingDialog::sig_WriteListMacro,
                         [this](const QStringList &paths) { lists.append(paths); });
        QObject::connect(dialog.get(), &KeySettingDialog::sig_ShowWarningDialog,
                         [this](int w) { warnings.append(w); });
        dialog->show();
    }

    template <typename T = QWidget>
    T *child(const char *name) const
    {
        return childNamed<T>(dialog.get(), QLatin1String(name));
    }
    void click(const char *name) const { clickNamed(dialog.get(), QLatin1String(name)); }
    void key(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        QTest::keyPress(dialog.get(), Qt::Key(qtKey), modifiers);
    }
    // Clicks the folder row with that name on the macro page.
    void openFolder(const QString &name) const
    {
        QListWidget *folders = child<QListWidget>("MacroTitleListWidget");
        const QList<QListWidgetItem *> found = folders->findItems(name, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(name));
        const QRect at = folders->visualItemRect(found.first());
        QTest::mouseClick(folders->viewport(), Qt::LeftButton, Qt::NoModifier, at.center());
    }
    // Clicks the check box of macro row n; rowArea clicks the row beside it.
    void clickMacro(int n, bool rowArea = false) const
    {
        QListWidget *list = child<QListWidget>("MacroNameListWidget");
        if (rowArea) {
            const QRect at = list->visualItemRect(list->item(n));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(at.left() + 4, at.center().y()));
            return;
        }
        auto *box = dialog->macroRows().at(n)->findChild<QCheckBox *>(QStringLiteral("checkBox"));
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(8, box->height() / 2));
    }
    QList<bool> checkedRows() const
    {
        QList<bool> out;
        for (const Form *row : dialog->macroRows())
            out.append(row->isChecked());
        return out;
    }

    NumberedLanguageTable texts;
    TempAppDir app;
    std::unique_ptr<KeySettingDialog> dialog;
    QList<KeyChange> keys;
    QList<QStringList> singles;
    QList<QStringList> lists;
    QList<int> warnings;
};

QString macroFolder(const QString &name)
{
    const QString dir = getMacroFilesDir() + QLatin1Char('/') + name;
    QDir().mkpath(dir);
    return dir;
}

// A macro file named name in folder, with n press/release pairs of A.
QString writeMacro(const QString &folder, const QString &file, const QString &name, int pairs, int type = 0)
{
    const QString path = folder + QLatin1Char('/') + file;
    JsonHandle json;
    json.setMacroName(path, name);
    json.setMacroType(path, type);
    QList<MacroNode> nodes;
    for (int i = 0; i < pairs; ++i)
        nodes << keyNode(65, 0, 20) << keyNode(65, 1, 20);
    json.writeMacroNodeList(path, nodes);
    return path;
}

} // namespace

class TstKeySettingDialog : public QObject
{
    Q_OBJECT

private slots:
    void startsOnTheCombinationPage();
    void captureOnTheCombinationPage_data();
    void captureOnTheCombinationPage();
    void keysOnOtherPagesChangeNothing_data();
    void keysOnOtherPagesChangeNothing();
    void emptyCombinationSendsNothing();
    void disableOverridesEveryPage_data();
    void disableOverridesEveryPage();
    void backToDefaultAndAdvancedPage();
    void basicListSendsItsRow_data();
    void basicListSendsItsRow();
    void currentAssignmentLabel_data();
    void currentAssignmentLabel();
    void macroChecksKeepTheNewest_data();
    void macroChecksKeepTheNewest();
    void macroChoiceIsWritten_data();
    void macroChoiceIsWritten();
    void whileHeldMacroRefused_data();
    void whileHeldMacroRefused();
    void hostileLibrary();
};

void TstKeySettingDialog::startsOnTheCombinationPage()
{
    DialogFixture f(8, Ox7);
    QCOMPARE(f.child<QStackedWidget>("stackedWidget")->currentIndex(), 0);
    QVERIFY(!f.child("HighestFunctionButton")->isVisible());
    QCOMPARE(f.child<QPushButton>("ShowTitleButton")->toolTip(), NumberedLanguageTable::text(269));
    QCOMPARE(f.child<QPushButton>("OKButton")->toolTip(), NumberedLanguageTable::text(116));
    QCOMPARE(f.child<QPushButton>("BackToDefalutButton")->toolTip(), NumberedLanguageTable::text(150));
    QCOMPARE(f.child<QCheckBox>("ForbidenPressKeyCheckBox")->toolTip(), NumberedLanguageTable::text(149));
    QCOMPARE(f.dialog->macroRoot(), getConfigFilesDir() + QStringLiteral("/MacroFiles/"));
    QCOMPARE(f.dialog->maxChecked(), 1);
    QVERIFY(f.dialog->windowFlags() & Qt::FramelessWindowHint);
    // The tabs show their pages.
    f.click("MarcoEditButton");
    QCOMPARE(f.child<QStackedWidget>("stackedWidget")->currentIndex(), 1);
    f.click("BasicFunctionButton");
    QCOMPARE(f.child<QStackedWidget>("stackedWidget")->currentIndex(), 2);
    QVERIFY(f.child<QPushButton>("BasicFunctionButton")->styleSheet().contains(QLatin1String("key_select.png")));
    QVERIFY(!f.child<QPushButton>("MarcoEditButton")->styleSheet().contains(QLatin1String("key_select.png")));
}

void TstKeySettingDialog::captureOnTheCombinationPage_data()
{
    QTest::addColumn<QList<int>>("qtKeys");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mask");
    QTest::addColumn<QString>("shown");

    QTest::newRow("Shift alone: the box, no key") << QList<int>{Qt::Key_Shift} << 0 << 2 << QString();
    QTest::newRow("A then Shift: no key is left") << QList<int>{Qt::Key_A, Qt::Key_Shift} << 0 << 2 << QString();
    QTest::newRow("Shift then A") << QList<int>{Qt::Key_Shift, Qt::Key_A} << 65 << 2 << QStringLiteral("A");
    QTest::newRow("Ctrl twice toggles back") << QList<int>{Qt::Key_Control, Qt::Key_Control, Qt::Key_F5} << 116 << 0
                                             << QStringLiteral("F5");
    QTest::newRow("Alt, Super and a key") << QList<int>{Qt::Key_Alt, Qt::Key_Super_L, Qt::Key_Delete} << 46 << 12
                                          << QStringLiteral("Delete");
    QTest::newRow("Tab is a key, not a focus move") << QList<int>{Qt::Key_Tab} << 9 << 0 << QStringLiteral("Tab");
    QTest::newRow("the last key wins") << QList<int>{Qt::Key_A, Qt::Key_B} << 66 << 0 << QStringLiteral("B");
}

void TstKeySettingDialog::captureOnTheCombinationPage()
{
    QFETCH(QList<int>, qtKeys);
    QFETCH(int, key);
    QFETCH(int, mask);
    QFETCH(QString, shown);
    DialogFixture f;
    for (int k : qtKeys)
        f.key(k);
    QCOMPARE(f.dialog->capturedKey(), key);
    QCOMPARE(f.dialog->countModifyValue(), mask);
    QCOMPARE(f.child<QLineEdit>("KeyCombinationLineEdit")->text(), shown);

    f.click("OKButton");
    QCOMPARE(f.keys.size(), 1);
    QCOMPARE(f.keys.at(0).button, 7);
    QCOMPARE(int(f.keys.at(0).trueValue), key);
    QCOMPARE(int(f.keys.at(0).modifier), mask);
    QCOMPARE(f.keys.at(0).changeType, 29);
    QVERIFY(!f.dialog->isVisible());
}

void TstKeySettingDialog::keysOnOtherPagesChangeNothing_data()
{
    QTest::addColumn<int>("page");
    QTest::newRow("macro page") << 1;
    QTest::newRow("basic page") << 2;
    QTest::newRow("advanced page") << 3;
}

void TstKeySettingDialog::keysOnOtherPagesChangeNothing()
{
    QFETCH(int, page);
    DialogFixture f;
    f.dialog->setPage(page);
    for (int k : {int(Qt::Key_A), int(Qt::Key_Shift), int(Qt::Key_Control), int(Qt::Key_Escape)})
        f.key(k);
    QCOMPARE(f.dialog->capturedKey(), 0);
    QCOMPARE(f.dialog->countModifyValue(), 0);
    QVERIFY(f.child<QLineEdit>("KeyCombinationLineEdit")->text().isEmpty());
    QVERIFY(f.dialog->isVisible());
    QCOMPARE(f.child<QStackedWidget>("stackedWidget")->currentIndex(), page);
}

void TstKeySettingDialog::emptyCombinationSendsNothing()
{
    DialogFixture f;
    f.click("OKButton");
    QVERIFY(f.keys.isEmpty());
    QVERIFY(!f.dialog->isVisible());
}

void TstKeySettingDialog::disableOverridesEveryPage_data()
{
    QTest::addColumn<int>("page");
    QTest::newRow("combination, with a key captured") << 0;
    QTest::newRow("macro") << 1;
    QTest::newRow("basic, with a row chosen") << 2;
}

void TstKeySettingDialog::disableOverridesEveryPage()
{
    QFETCH(int, page);
    DialogFixture f(5);
    writeMacro(macroFolder(QStringLiteral("PlayerCustom")), QStringLiteral("m.json"), QStringLiteral("m"), 1);
    f.dialog->loadMacroTitleListWidget();
    f.key(Qt::Key_A);
    f.dialog->setPage(page);
    if (page == 1) {
        f.openFolder(QStringLiteral("PlayerCustom"));
        f.clickMacro(0);
    } else if (page == 2) {
        f.child<QListWidget>("BasicFuctionListWidget")->setCurrentRow(3);
    }
    f.click("ForbidenPressKeyCheckBox");
    f.click("OKButton");
    QCOMPARE(f.keys.size(), 1);
    QCOMPARE(f.keys.at(0).button, 5);
    QCOMPARE(f.keys.at(0).trueValue, 0u);
    QCOMPARE(f.keys.at(0).modifier, 0u);
    QCOMPARE(f.keys.at(0).changeType, 41);
    QVERIFY(f.singles.isEmpty());
}

void TstKeySettingDialog::backToDefaultAndAdvancedPage()
{
    {
        DialogFixture f(6);
        f.key(Qt::Key_B);
        f.click("BackToDefalutButton");
        QCOMPARE(f.keys.size(), 1);
        QCOMPARE(f.keys.at(0).changeType, 32);
        QCOMPARE(int(f.keys.at(0).trueValue), 66);
        QVERIFY(!f.dialog->isVisible());
    }
    {
        DialogFixture f(6);
        f.dialog->setPage(3);
        QVERIFY(!f.child("PlayMusicButton")->isEnabled());
        f.click("StartProgramCheckBox");
        QVERIFY(f.child("StartProgramButton")->isEnabled());
        QVERIFY(!f.child("PlayMusicButton")->isEnabled());
        f.click("OKButton");
        QCOMPARE(f.keys.size(), 1);
        QCOMPARE(f.keys.at(0).changeType, 32);
    }
    {
        DialogFixture f(6);
        f.key(Qt::Key_B);
        f.click("CloseBattaryButton");
        QVERIFY(f.keys.isEmpty());
        QVERIFY(!f.dialog->isVisible());
    }
}

void TstKeySettingDialog::basicListSendsItsRow_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("position");
    QTest::addColumn<KeyChange>("sent");

    QTest::newRow("first row: Ctrl+W") << 7 << int(Ox6) << 0 << KeyChange{7, 0x57, 1, 30};
    // Rows 16 and 17 are not on the wheel's list: position 16 is CPI+.
    QTest::newRow("wheel: position 16 is row 18") << 11 << int(Ox6) << 16 << KeyChange{11, 0, 0, 45};
    // Button 4 has no profile switch: position 20 is the light switch.
    QTest::newRow("left button: position 20 is row 21") << 4 << int(Ox6) << 20 << KeyChange{4, 0, 0, 56};
    QTest::newRow("media player") << 8 << int(Ox7) << 12 << KeyChange{8, 0x83, 1, 39};
}

void TstKeySettingDialog::basicListSendsItsRow()
{
    QFETCH(int, button);
    QFETCH(int, mouseType);
    QFETCH(int, position);
    QFETCH(KeyChange, sent);
    DialogFixture f(button, mouseType);
    f.click("BasicFunctionButton");
    f.child<QListWidget>("BasicFuctionListWidget")->setCurrentRow(position);
    f.click("OKButton");
    QCOMPARE(f.keys.size(), 1);
    QCOMPARE(f.keys.at(0).button, sent.button);
    QCOMPARE(f.keys.at(0).trueValue, sent.trueValue);
    QCOMPARE(f.keys.at(0).modifier, sent.modifier);
    QCOMPARE(f.keys.at(0).changeType, sent.changeType);
}

void TstKeySettingDialog::currentAssignmentLabel_data()
{
    QTest::addColumn<int>("changeType");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing to show") << -1 << false << QString();
    QTest::newRow("disabled") << 41 << true << NumberedLanguageTable::text(291);
    QTest::newRow("macro") << 33 << true << NumberedLanguageTable::text(292);
    QTest::newRow("another code: empty") << 30 << true << QString();
}

void TstKeySettingDialog::currentAssignmentLabel()
{
    QFETCH(int, changeType);
    QFETCH(bool, visible);
    QFETCH(QString, text);
    DialogFixture f;
    f.dialog->setTrueMouseValue(41, 0, 0);
    f.dialog->setTrueMouseValue(changeType, 0, 0);
    QLabel *label = f.child<QLabel>("TrueMouseValueLabel");
    QCOMPARE(label->isVisible(), visible);
    QCOMPARE(label->text(), text);
}

void TstKeySettingDialog::macroChecksKeepTheNewest_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<QList<bool>>("afterFive");

    QTest::newRow("button 4, family B: the fifth unchecks the first")
        << 4 << int(Ox6) << QList<bool>{false, true, true, true, true};
    QTest::newRow("button 4, family A: three at most")
        << 4 << int(Ox7) << QList<bool>{false, false, true, true, true};
    QTest::newRow("other buttons: one") << 8 << int(Ox6) << QList<bool>{false, false, false, false, true};
}

void TstKeySettingDialog::macroChecksKeepTheNewest()
{
    QFETCH(int, button);
    QFETCH(int, mouseType);
    QFETCH(QList<bool>, afterFive);
    DialogFixture f(button, mouseType);
    const QString folder = macroFolder(QStringLiteral("PlayerCustom"));
    for (int i = 0; i < 5; ++i)
        writeMacro(folder, QStringLiteral("m%1.json").arg(i), QStringLiteral("macro %1").arg(i), 1);
    f.dialog->loadMacroTitleListWidget();
    f.click("MarcoEditButton");
    f.openFolder(QStringLiteral("PlayerCustom"));
    QCOMPARE(f.dialog->macroRows().size(), 5);
    QCOMPARE(f.dialog->macroRows().at(2)->text(), QStringLiteral("macro 2"));
    for (int i = 0; i < 5; ++i)
        f.clickMacro(i);
    QCOMPARE(f.checkedRows(), afterFive);
    QCOMPARE(f.child<QListWidget>("MacroNameListWidget")->currentRow(), 4);

    // At the limit a click on a row beside its box does nothing; a checked
    // row's own click unchecks it.
    const int first = int(afterFive.indexOf(false));
    f.clickMacro(first, true);
    QCOMPARE(f.checkedRows(), afterFive);
    f.clickMacro(4, true);
    QVERIFY(!f.checkedRows().at(4));
    f.clickMacro(first, true);
    QVERIFY(f.checkedRows().at(first));
}

void TstKeySettingDialog::macroChoiceIsWritten_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QList<int>>("pairs"); // events of the macros checked, in row order
    QTest::addColumn<int>("singles");
    QTest::addColumn<int>("lists");
    QTest::addColumn<int>("warning");

    QTest::newRow("one macro on a side button") << 7 << QList<int>{2} << 1 << 0 << -1;
    QTest::newRow("empty macro alone: warning 50") << 7 << QList<int>{0} << 0 << 0 << int(Warning::EmptyMacro);
    QTest::newRow("button 4, one macro: a single write") << 4 << QList<int>{1} << 1 << 0 << -1;
    QTest::newRow("button 4, empty macro alone: warning 50") << 4 << QList<int>{0} << 0 << 0 << int(Warning::EmptyMacro);
    QTest::newRow("button 4, three macros: a list") << 4 << QList<int>{1, 2, 3} << 0 << 1 << -1;
    QTest::newRow("button 4, an empty one among others: warning 51")
        << 4 << QList<int>{1, 0, 3} << 0 << 0 << int(Warning::EmptyMacroInList);
    QTest::newRow("nothing checked: nothing") << 4 << QList<int>{} << 0 << 0 << -1;
}

void TstKeySettingDialog::macroChoiceIsWritten()
{
    QFETCH(int, button);
    QFETCH(QList<int>, pairs);
    QFETCH(int, singles);
    QFETCH(int, lists);
    QFETCH(int, warning);
    DialogFixture f(button, Ox6);
    const QString folder = macroFolder(QStringLiteral("Library"));
    QStringList paths;
    for (int i = 0; i < pairs.size(); ++i)
        paths << writeMacro(folder, QStringLiteral("m%1.json").arg(i), QStringLiteral("m%1").arg(i), pairs.at(i));
    if (paths.isEmpty())
        writeMacro(folder, QStringLiteral("unchecked.json"), QStringLiteral("u"), 1);
    f.dialog->loadMacroTitleListWidget();
    f.click("MarcoEditButton");
    f.openFolder(QStringLiteral("Library"));
    for (int i = 0; i < pairs.size(); ++i)
        f.clickMacro(i);
    f.click("OKButton");

    QCOMPARE(f.singles.size(), singles);
    QCOMPARE(f.lists.size(), lists);
    QCOMPARE(f.warnings, warning < 0 ? QList<int>{} : QList<int>{warning});
    QVERIFY(f.keys.isEmpty());
    if (singles)
        QCOMPARE(f.singles.at(0), (QStringList{QString::number(button), paths.at(0)}));
    if (lists)
        QCOMPARE(f.lists.at(0), paths);
    QVERIFY(!f.dialog->isVisible());
}

void TstKeySettingDialog::whileHeldMacroRefused_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("refused");
    QTest::newRow("wheel up, while held") << 11 << int(Ox6) << 4 << true;
    QTest::newRow("wheel up, toggle") << 11 << int(Ox6) << 2 << false;
    QTest::newRow("CPI up on family A, while held") << 13 << int(Ox7) << 4 << true;
    QTest::newRow("CPI up on family B, while held") << 13 << int(Ox6) << 4 << false;
    QTest::newRow("side button, while held") << 8 << int(Ox7) << 4 << false;
}

void TstKeySettingDialog::whileHeldMacroRefused()
{
    QFETCH(int, button);
    QFETCH(int, mouseType);
    QFETCH(int, type);
    QFETCH(bool, refused);
    DialogFixture f(button, mouseType);
    writeMacro(macroFolder(QStringLiteral("PlayerCustom")), QStringLiteral("m.json"), QStringLiteral("m"), 1, type);
    f.dialog->loadMacroTitleListWidget();
    f.click("MarcoEditButton");
    f.openFolder(QStringLiteral("PlayerCustom"));
    f.clickMacro(0);
    f.click("OKButton");
    QCOMPARE(f.warnings, refused ? QList<int>{Warning::MacroPlayModeRefused} : QList<int>{});
    QCOMPARE(f.singles.size(), refused ? 0 : 1);
}

void TstKeySettingDialog::hostileLibrary()
{
    NumberedLanguageTable texts;
    TempAppDir app;
    const QString root = getMacroFilesDir();
    const QString custom = macroFolder(QStringLiteral("PlayerCustom"));
    // Damaged files: not JSON, JSON that is no object, a name of the wrong
    // type, a name with control characters, a FIFO-like directory entry.
    auto put = [&](const QString &name, const QByteArray &bytes) {
        QFile file(custom + QLatin1Char('/') + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    put(QStringLiteral("a_notjson.json"), "{not json");
    put(QStringLiteral("b_array.json"), "[1,2,3]");
    put(QStringLiteral("c_number.json"), "{\"Name\":7,\"Macro\":\"x\"}");
    put(QStringLiteral("d_control.json"), "{\"Name\":\"\\u0007bell\\nline\",\"Macro\":[]}");
    put(QStringLiteral(".hidden.json"), "{\"Name\":\"hidden\"}");
    QVERIFY(QDir().mkpath(custom + QStringLiteral("/subfolder")));
    // Links: one out of the library, one to itself.
    QTemporaryDir outside;
    QFile::link(outside.path(), root + QStringLiteral("/escape"));
    QFile::link(root + QStringLiteral("/loop"), root + QStringLiteral("/loop"));
    QFile::link(outside.path() + QStringLiteral("/x.json"), custom + QStringLiteral("/link.json"));
    // A folder of ten thousand files.
    const QString big = macroFolder(QStringLiteral("Big"));
    for (int i = 0; i < 10000; ++i) {
        QFile file(big + QStringLiteral("/%1.json").arg(i, 5, 10, QLatin1Char('0')));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    KeySettingDialog dialog(nullptr, Ox6);
    dialog.setChangedButton(7);
    QListWidget *folders = dialog.findChild<QListWidget *>(QStringLiteral("MacroTitleListWidget"));
    QStringList names;
    for (int i = 0; i < folders->count(); ++i)
        names << folders->item(i)->text();
    QCOMPARE(names, (QStringList{QStringLiteral("Big"), QStringLiteral("PlayerCustom")}));

    auto open = [&](const QString &name) {
        QListWidgetItem *item = folders->findItems(name, Qt::MatchExactly).value(0);
        QVERIFY(item);
        QMetaObject::invokeMethod(&dialog, "on_MacroTitleListWidget_itemClicked", Q_ARG(QListWidgetItem *, item));
    };
    open(QStringLiteral("PlayerCustom"));
    QStringList shown;
    for (const Form *row : dialog.macroRows())
        shown << row->text();
    QCOMPARE(shown, (QStringList{QStringLiteral("hidden"), QStringLiteral("ErrorName"), QStringLiteral("ErrorName"),
                                 QStringLiteral("ErrorName"), QStringLiteral("bellline")}));

    open(QStringLiteral("Big"));
    QCOMPARE(dialog.macroRows().size(), 1000);
    QCOMPARE(dialog.macroRows().first()->text(), QStringLiteral("ErrorName"));

    // The library folder a plain file: nothing to list, nothing breaks.
    TempAppDir other;
    QDir().mkpath(getConfigFilesDir());
    QFile plain(getConfigFilesDir() + QStringLiteral("/MacroFiles"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    KeySettingDialog second(nullptr, Ox6);
    QCOMPARE(second.findChild<QListWidget *>(QStringLiteral("MacroTitleListWidget"))->count(), 0);
}

QTEST_MAIN(TstKeySettingDialog)
#include "tst_keysettingdialog.moc"
