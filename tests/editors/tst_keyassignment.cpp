// The key assignment dialog's tables and rules, apart from the widgets: which
// basic rows a button gets, the names of buttons, combinations and current
// assignments, and the macro rules per button and family.
#include "editors/keysetting/keyassignment.h"
#include "discovery/models.h"
#include "tests/common/widgettestutil.h"

#include <QtTest>

using namespace keyassignment;

class TstKeyAssignment : public QObject
{
    Q_OBJECT

private slots:
    void basicRows_data();
    void basicRows();
    void basicRowsTranslateToTheirSignal_data();
    void basicRowsTranslateToTheirSignal();
    void basicFunctionNames_data();
    void basicFunctionNames();
    void combinationNames_data();
    void combinationNames();
    void buttonNames_data();
    void buttonNames();
    void trueMouseValueTexts_data();
    void trueMouseValueTexts();
    void macroRules_data();
    void macroRules();

private:
    NumberedLanguageTable m_texts;
};

void TstKeyAssignment::basicRows_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<QList<int>>("rows");

    const QList<int> all{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21};
    QList<int> familyA = all;
    familyA.removeAll(21);
    QList<int> wheel = all;
    wheel.removeAll(16);
    wheel.removeAll(17);
    QList<int> wheelFamilyA = wheel;
    wheelFamilyA.removeAll(21);
    QList<int> leftB = all;
    leftB.removeAll(20);
    QList<int> leftA = familyA;
    leftA.removeAll(20);

    QTest::newRow("side button, family B: all rows") << 7 << int(Ox6) << all;
    QTest::newRow("side button, family A: no light switch") << 7 << int(Ox7) << familyA;
    QTest::newRow("wheel up, family B: no sniper, no fire key") << 11 << int(Ox2) << wheel;
    QTest::newRow("wheel down, family A") << 12 << int(Ox7) << wheelFamilyA;
    QTest::newRow("left button, family B: position 20 (profile switch) out") << 4 << int(Ox8) << leftB;
    QTest::newRow("left button, family A: position 20 is the profile switch too") << 4 << int(Ox4) << leftA;
}

void TstKeyAssignment::basicRows()
{
    QFETCH(int, button);
    QFETCH(int, mouseType);
    QFETCH(QList<int>, rows);
    QCOMPARE(basicRowsForButton(button, mouseType), rows);
}

void TstKeyAssignment::basicRowsTranslateToTheirSignal_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("trueValue");
    QTest::addColumn<int>("modifier");
    QTest::addColumn<int>("changeType");
    QTest::addColumn<QString>("text");

    QTest::newRow("close window is Ctrl+W") << 0 << 0x57 << 1 << 30 << m_texts.text(125);
    QTest::newRow("lock is Win+L") << 1 << 0x4C << 8 << 30 << m_texts.text(126);
    QTest::newRow("zoom in is Ctrl and the plus key") << 4 << 0xBB << 1 << 30 << m_texts.text(129);
    QTest::newRow("left click") << 7 << 0xF0 << 0 << 48 << m_texts.text(132);
    QTest::newRow("back") << 11 << 0xF8 << 0 << 52 << m_texts.text(136);
    QTest::newRow("media player: consumer code 0x0183 split") << 12 << 0x83 << 1 << 39 << m_texts.text(137);
    QTest::newRow("mute") << 15 << 0xE2 << 0 << 35 << m_texts.text(140);
    QTest::newRow("CPI+ has a fixed name") << 18 << 0 << 0 << 45 << QStringLiteral("CPI+");
    QTest::newRow("light switch") << 21 << 0 << 0 << 56 << m_texts.text(238);
}

void TstKeyAssignment::basicRowsTranslateToTheirSignal()
{
    QFETCH(int, row);
    QFETCH(int, trueValue);
    QFETCH(int, modifier);
    QFETCH(int, changeType);
    QFETCH(QString, text);
    const BasicFunctionRow *r = basicFunctionRow(row);
    QVERIFY(r);
    QCOMPARE(r->trueValue, trueValue);
    QCOMPARE(r->modifier, modifier);
    QCOMPARE(r->changeType, changeType);
    QCOMPARE(basicFunctionRowText(*r), text);
    QVERIFY(!basicFunctionRow(22));
}

void TstKeyAssignment::basicFunctionNames_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("key-with-modifier row 0") << 0 << m_texts.text(125);
    QTest::newRow("key-with-modifier row 6") << 6 << m_texts.text(131);
    QTest::newRow("35 mute") << 35 << m_texts.text(140);
    QTest::newRow("36 play/pause") << 36 << m_texts.text(235);
    QTest::newRow("46 CPI-") << 46 << QStringLiteral("CPI-");
    QTest::newRow("56 light switch") << 56 << m_texts.text(238);
    QTest::newRow("7 has no name") << 7 << QString();
    QTest::newRow("30 has no name") << 30 << QString();
}

void TstKeyAssignment::basicFunctionNames()
{
    QFETCH(int, code);
    QFETCH(QString, name);
    QCOMPARE(basicFunctionName(code), name);
}

void TstKeyAssignment::combinationNames_data()
{
    QTest::addColumn<int>("mask");
    QTest::addColumn<QString>("name");
    QTest::newRow("none") << 0 << QString();
    QTest::newRow("Ctrl") << 1 << QStringLiteral("CTRL");
    QTest::newRow("Ctrl Shift") << 3 << QStringLiteral("CTRL + SHIFT");
    QTest::newRow("Shift Alt") << 6 << QStringLiteral("SHIFT + ALT");
    QTest::newRow("Win") << 8 << QStringLiteral("WIN");
    QTest::newRow("Ctrl Shift Win") << 11 << QStringLiteral("CTRL + SHIFT + WIN");
    QTest::newRow("Alt Win keeps its leading blank") << 12 << QStringLiteral(" ALT + WIN");
    QTest::newRow("Ctrl Alt Win") << 13 << QStringLiteral("CTRL + ALT + WIN");
    QTest::newRow("all four") << 15 << QStringLiteral("CTRL + SHIFT + ALT + WIN");
    QTest::newRow("out of range") << 16 << QString();
}

void TstKeyAssignment::combinationNames()
{
    QFETCH(int, mask);
    QFETCH(QString, name);
    QCOMPARE(combinationName(mask), name);
}

void TstKeyAssignment::buttonNames_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<QString>("name");
    QTest::newRow("left") << 4 << int(Ox6) << m_texts.text(263);
    QTest::newRow("forward elsewhere") << 7 << int(Ox6) << m_texts.text(266);
    QTest::newRow("forward on OX7 series") << 7 << int(Ox7Q) << m_texts.text(267);
    QTest::newRow("back on OX7 series") << 8 << int(Ox7EU) << m_texts.text(269);
    QTest::newRow("custom key 1") << 9 << int(Ox8) << m_texts.text(420);
    QTest::newRow("side wheel up") << 16 << int(Ox8) << m_texts.text(423);
    QTest::newRow("function") << 17 << int(Ox8) << m_texts.text(273);
    QTest::newRow("unknown button") << 3 << int(Ox8) << QString();
}

void TstKeyAssignment::buttonNames()
{
    QFETCH(int, button);
    QFETCH(int, mouseType);
    QFETCH(QString, name);
    QCOMPARE(buttonName(button, mouseType), name);
}

void TstKeyAssignment::trueMouseValueTexts_data()
{
    QTest::addColumn<int>("changeType");
    QTest::addColumn<int>("trueValue");
    QTest::addColumn<int>("modifyKey");
    QTest::addColumn<QString>("text");

    const QString key = m_texts.text(293);
    QTest::newRow("combination with a key") << 29 << 65 << 1 << key + QStringLiteral("CTRL + A");
    QTest::newRow("key alone") << 29 << 65 << 0 << key + QStringLiteral(" A");
    QTest::newRow("modifiers alone") << 29 << 0 << 2 << key + QStringLiteral("SHIFT ");
    // Table 1 names 13 "Enter" (before "RETURN" in name order).
    QTest::newRow("Enter by table order") << 29 << 13 << 0 << key + QStringLiteral(" Enter");
    QTest::newRow("basic function") << 31 << 48 << 0 << m_texts.text(123) + QStringLiteral(":") + m_texts.text(132);
    QTest::newRow("basic key-with-modifier row") << 31 << 3 << 0
                                                 << m_texts.text(123) + QStringLiteral(":") + m_texts.text(128);
    QTest::newRow("macro or device function") << 33 << 0 << 0 << m_texts.text(292);
    QTest::newRow("disabled") << 41 << 0 << 0 << m_texts.text(291);
    QTest::newRow("other codes show nothing") << 30 << 65 << 1 << QString();
}

void TstKeyAssignment::trueMouseValueTexts()
{
    QFETCH(int, changeType);
    QFETCH(int, trueValue);
    QFETCH(int, modifyKey);
    QFETCH(QString, text);
    QCOMPARE(trueMouseValueText(changeType, trueValue, modifyKey), text);
}

void TstKeyAssignment::macroRules_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("maxChecked");
    QTest::addColumn<bool>("refusesWhileHeld");

    QTest::newRow("left button, family B: four") << 4 << int(Ox6) << 4 << false;
    QTest::newRow("left button, family A: three") << 4 << int(Ox7) << 3 << false;
    QTest::newRow("side button: one") << 8 << int(Ox7) << 1 << false;
    QTest::newRow("wheel up refuses while held") << 11 << int(Ox6) << 1 << true;
    QTest::newRow("wheel down refuses while held") << 12 << int(Ox7) << 1 << true;
    QTest::newRow("CPI up on family A refuses") << 13 << int(Ox4C) << 1 << true;
    QTest::newRow("CPI down on family B plays") << 14 << int(Ox2) << 1 << false;
}

void TstKeyAssignment::macroRules()
{
    QFETCH(int, button);
    QFETCH(int, mouseType);
    QFETCH(int, maxChecked);
    QFETCH(bool, refusesWhileHeld);
    QCOMPARE(maxCheckedMacros(button, mouseType), maxChecked);
    QCOMPARE(refusesWhileHeldMacro(button, mouseType), refusesWhileHeld);
}

QTEST_GUILESS_MAIN(TstKeyAssignment)
#include "tst_keyassignment.moc"
