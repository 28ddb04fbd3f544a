#include "device/keytables.h"

#include <QtTest>

class TstKeyTables : public QObject
{
    Q_OBJECT

private slots:
    void tableSizes();
    void familyA_data();
    void familyA();
    void familyB_data();
    void familyB();
    void keyName_data();
    void keyName();
    void nameMap_data();
    void nameMap();
};

void TstKeyTables::tableSizes()
{
    QCOMPARE(familyAKeyTable().size(), 107);
    QCOMPARE(familyBKeyTable().size(), 103);
    QCOMPARE(virtualKeyNameTable().size(), 110);
}

void TstKeyTables::familyA_data()
{
    QTest::addColumn<int>("usage");
    QTest::addColumn<int>("vk");
    QTest::addColumn<bool>("usageToKey");
    QTest::addColumn<bool>("keyToUsage");
    QTest::newRow("escape") << 0x29 << 0x1B << true << true;
    QTest::newRow("F1") << 0x3A << 0x70 << true << true;
    QTest::newRow("F12") << 0x45 << 0x7B << true << true;
    QTest::newRow("A") << 0x04 << 0x41 << true << true;
    QTest::newRow("Z") << 0x1D << 0x5A << true << true;
    QTest::newRow("1") << 0x1E << 0x31 << true << true;
    QTest::newRow("0") << 0x27 << 0x30 << true << true;
    QTest::newRow("keypad 9") << 0x61 << 0x69 << true << true;
    QTest::newRow("keypad 0") << 0x62 << 0x60 << true << true;
    QTest::newRow("menu") << 0x65 << 0x5D << true << true;
    // First match: the duplicated usages keep their keyboard meaning...
    QTest::newRow("0xF0 is right Ctrl") << 0xF0 << 0xA3 << true << true;
    QTest::newRow("0xF1 is right Shift") << 0xF1 << 0xA1 << true << true;
    // ...while the mouse buttons map only from virtual key to usage.
    QTest::newRow("left button") << 0xF0 << 0x01 << false << true;
    QTest::newRow("right button") << 0xF1 << 0x02 << false << true;
    QTest::newRow("middle button") << 0xF2 << 0x04 << true << true;
    // Return and keypad Enter share virtual key 0x0D: return comes first.
    QTest::newRow("keypad enter") << 0x58 << 0x0D << true << false;
    QTest::newRow("return") << 0x28 << 0x0D << true << true;
}

void TstKeyTables::familyA()
{
    QFETCH(int, usage);
    QFETCH(int, vk);
    QFETCH(bool, usageToKey);
    QFETCH(bool, keyToUsage);
    if (usageToKey)
        QCOMPARE(HidUsageToVirtualKey(usage), vk);
    else
        QVERIFY(HidUsageToVirtualKey(usage) != vk);
    if (keyToUsage)
        QCOMPARE(VirtualKeyToHidUsage(vk), usage);
    else
        QVERIFY(VirtualKeyToHidUsage(vk) != usage);
    QCOMPARE(HidUsageToVirtualKey(0), 0);
    QCOMPARE(VirtualKeyToHidUsage(0), 0);
    QCOMPARE(VirtualKeyToHidUsage(0xFFFF), 0);
}

void TstKeyTables::familyB_data()
{
    QTest::addColumn<int>("usage");
    QTest::addColumn<int>("vk");
    QTest::addColumn<bool>("usageToKey");
    QTest::addColumn<bool>("keyToUsage");
    QTest::newRow("escape") << 41 << 27 << true << true;
    QTest::newRow("F12") << 69 << 123 << true << true;
    QTest::newRow("left Win") << 227 << 91 << true << true;
    QTest::newRow("right Win maps to the same usage") << 227 << 92 << false << true;
    QTest::newRow("return") << 40 << 13 << true << true;
    QTest::newRow("keypad enter loses to return") << 88 << 13 << true << false;
    QTest::newRow("left button") << 240 << 1 << true << true;
    QTest::newRow("middle button") << 242 << 4 << true << true;
    QTest::newRow("keypad delete") << 99 << 110 << true << true;
}

void TstKeyTables::familyB()
{
    QFETCH(int, usage);
    QFETCH(int, vk);
    QFETCH(bool, usageToKey);
    QFETCH(bool, keyToUsage);
    if (usageToKey)
        QCOMPARE(familyBUsageToVirtualKey(usage), vk);
    if (keyToUsage)
        QCOMPARE(familyBVirtualKeyToUsage(vk), usage);
    QCOMPARE(familyBVirtualKeyToUsage(163), 0); // right Ctrl has no usage here
    QCOMPARE(familyBUsageToVirtualKey(0), 0);
}

void TstKeyTables::keyName_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("left Alt") << 164 << "L_Alt";
    QTest::newRow("right Alt") << 165 << "R_Alt";
    QTest::newRow("print") << 42 << "Print";
    QTest::newRow("44 has no name") << 44 << "";
    QTest::newRow("zero") << 0 << "";
    QTest::newRow("K") << 75 << "K";
    QTest::newRow("keypad enter") << 108 << "NUM Enter";
    QTest::newRow("middle button") << 4 << "Middle Button";
    QTest::newRow("unknown") << 999 << "";
}

void TstKeyTables::keyName()
{
    QFETCH(int, code);
    QFETCH(QString, name);
    QCOMPARE(::virtualKeyName(code), name);
}

void TstKeyTables::nameMap_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("code");
    QTest::newRow("escape") << "ESCAPE" << 27;
    QTest::newRow("F5") << "F5" << 116;
    QTest::newRow("quote") << "'\"" << 222;
    QTest::newRow("up arrow") << QString::fromUtf8("\xE2\x86\x91") << 38;
    QTest::newRow("shift spelling kept") << "Shfit" << 160;
    QTest::newRow("numpad 0") << "NUMPAD0" << 96;
}

void TstKeyTables::nameMap()
{
    QFETCH(QString, name);
    QFETCH(int, code);
    QCOMPARE(::keyNameMap().value(name, -1), code);
    QCOMPARE(::keyNameMap().value(name), code);
    // Virtual key 13 has two names; the first in name order wins.
    QCOMPARE(keyNameForVirtualKey(13), QStringLiteral("Enter"));
    QCOMPARE(keyNameForVirtualKey(161), QString());
    QCOMPARE(keyNameForVirtualKey(160), QStringLiteral("Shfit"));
}

QTEST_APPLESS_MAIN(TstKeyTables)
#include "tst_keytables.moc"
