// The key map: XKB keycodes and keysyms (xcb, Wayland) and Qt's key and
// modifiers to the virtual-key and scan codes a Windows keyboard reports.
#include "platform/keymap.h"

#include <QKeyEvent>
#include <QtTest>

namespace {
// A few keysyms (X11/keysymdef.h) the rows use.
constexpr quint32 XK_Control_L = 0xffe3;
constexpr quint32 XK_Control_R = 0xffe4;
constexpr quint32 XK_Shift_L = 0xffe1;
constexpr quint32 XK_Shift_R = 0xffe2;
constexpr quint32 XK_Alt_L = 0xffe9;
constexpr quint32 XK_ISO_Level3_Shift = 0xfe03;
constexpr quint32 XK_Super_L = 0xffeb;
constexpr quint32 XK_Super_R = 0xffec;
constexpr quint32 XK_KP_1 = 0xffb1;
constexpr quint32 XK_KP_5 = 0xffb5;
constexpr quint32 XK_KP_End = 0xff9c;
constexpr quint32 XK_KP_Begin = 0xff9d;
constexpr quint32 XK_KP_Decimal = 0xffae;
constexpr quint32 XK_KP_Delete = 0xff9f;
constexpr quint32 XK_KP_Enter = 0xff8d;
constexpr quint32 XK_KP_Divide = 0xffaf;
constexpr quint32 XK_KP_Multiply = 0xffaa;
constexpr quint32 XK_KP_Subtract = 0xffad;
constexpr quint32 XK_KP_Add = 0xffab;
constexpr quint32 XK_Num_Lock = 0xff7f;
constexpr quint32 XK_F1 = 0xffbe;
constexpr quint32 XK_F12 = 0xffc9;
constexpr quint32 XK_Print = 0xff61;
constexpr quint32 XK_Scroll_Lock = 0xff14;
constexpr quint32 XK_Pause = 0xff13;
constexpr quint32 XK_Home = 0xff50;
constexpr quint32 XK_End = 0xff57;
constexpr quint32 XK_Prior = 0xff55;
constexpr quint32 XK_Next = 0xff56;
constexpr quint32 XK_Insert = 0xff63;
constexpr quint32 XK_Delete = 0xffff;
constexpr quint32 XK_Left = 0xff51;
constexpr quint32 XK_Up = 0xff52;
constexpr quint32 XK_Right = 0xff53;
constexpr quint32 XK_Down = 0xff54;
constexpr quint32 XK_Cyrillic_ef = 0x6c6;
constexpr quint32 XK_AudioMute = 0x1008ff12;

// The scan-code correction the macro editor applies (29 -> 162, ...).
int correctedByScanCode(int scanCode, int virtualKey)
{
    switch (scanCode) {
    case 29: return 162;
    case 42: return 160;
    case 54: return 161;
    case 56: return 164;
    case 285: return 163;
    case 312: return 165;
    default: return virtualKey;
    }
}
} // namespace

class TstKeyMap : public QObject
{
    Q_OBJECT

private slots:
    void xkb_data();
    void xkb();
    void scanCodeCorrectionAgreesWithTheMap_data();
    void scanCodeCorrectionAgreesWithTheMap();
    void qtFallback_data();
    void qtFallback();
    void eventPicksItsPath_data();
    void eventPicksItsPath();
};

void TstKeyMap::xkb_data()
{
    QTest::addColumn<quint32>("keycode");
    QTest::addColumn<quint32>("keysym");
    QTest::addColumn<int>("virtualKey");
    QTest::addColumn<int>("scanCode");

    // Modifiers: left and right apart, by position.
    QTest::newRow("left Ctrl 37") << 37u << XK_Control_L << 162 << 0x1D;
    QTest::newRow("right Ctrl 105") << 105u << XK_Control_R << 163 << 0x11D;
    QTest::newRow("left Shift 50") << 50u << XK_Shift_L << 160 << 0x2A;
    QTest::newRow("right Shift 62") << 62u << XK_Shift_R << 161 << 0x36;
    QTest::newRow("left Alt 64") << 64u << XK_Alt_L << 164 << 0x38;
    QTest::newRow("right Alt as AltGr 108") << 108u << XK_ISO_Level3_Shift << 165 << 0x138;
    QTest::newRow("left Super 133") << 133u << XK_Super_L << 91 << 0x15B;
    QTest::newRow("right Super 134") << 134u << XK_Super_R << 92 << 0x15C;

    // Letters follow the layout, everything else in the block the position.
    QTest::newRow("A") << 38u << quint32('a') << 65 << 0x1E;
    QTest::newRow("A with Shift") << 38u << quint32('A') << 65 << 0x1E;
    QTest::newRow("AZERTY A on the Q key") << 24u << quint32('a') << 65 << 0x10;
    QTest::newRow("Cyrillic letter keeps the position") << 38u << XK_Cyrillic_ef << 65 << 0x1E;
    QTest::newRow("Shift+1 is still 1") << 10u << quint32('!') << 49 << 0x02;
    QTest::newRow("0") << 19u << quint32('0') << 48 << 0x0B;
    QTest::newRow("minus") << 20u << quint32('-') << 189 << 0x0C;
    QTest::newRow("equal") << 21u << quint32('=') << 187 << 0x0D;
    QTest::newRow("bracket left") << 34u << quint32('[') << 219 << 0x1A;
    QTest::newRow("bracket right") << 35u << quint32(']') << 221 << 0x1B;
    QTest::newRow("semicolon") << 47u << quint32(';') << 186 << 0x27;
    QTest::newRow("apostrophe") << 48u << quint32('\'') << 222 << 0x28;
    QTest::newRow("grave") << 49u << quint32('`') << 192 << 0x29;
    QTest::newRow("backslash") << 51u << quint32('\\') << 220 << 0x2B;
    QTest::newRow("comma") << 59u << quint32(',') << 188 << 0x33;
    QTest::newRow("period") << 60u << quint32('.') << 190 << 0x34;
    QTest::newRow("slash") << 61u << quint32('/') << 191 << 0x35;
    QTest::newRow("space") << 65u << quint32(' ') << 32 << 0x39;

    // Keypad: NumLock decides through the keysym.
    QTest::newRow("keypad 1, NumLock on") << 87u << XK_KP_1 << 97 << 0x4F;
    QTest::newRow("keypad 1, NumLock off") << 87u << XK_KP_End << 35 << 0x4F;
    QTest::newRow("keypad 5, NumLock on") << 84u << XK_KP_5 << 101 << 0x4C;
    QTest::newRow("keypad 5, NumLock off") << 84u << XK_KP_Begin << 12 << 0x4C;
    QTest::newRow("keypad point, NumLock on") << 91u << XK_KP_Decimal << 110 << 0x53;
    QTest::newRow("keypad point, NumLock off") << 91u << XK_KP_Delete << 46 << 0x53;
    QTest::newRow("keypad Enter") << 104u << XK_KP_Enter << 13 << 0x11C;
    QTest::newRow("keypad divide") << 106u << XK_KP_Divide << 111 << 0x135;
    QTest::newRow("keypad multiply") << 63u << XK_KP_Multiply << 106 << 0x37;
    QTest::newRow("keypad minus") << 82u << XK_KP_Subtract << 109 << 0x4A;
    QTest::newRow("keypad plus") << 86u << XK_KP_Add << 107 << 0x4E;
    QTest::newRow("NumLock") << 77u << XK_Num_Lock << 144 << 0x145;

    QTest::newRow("F1") << 67u << XK_F1 << 112 << 0x3B;
    QTest::newRow("F12") << 96u << XK_F12 << 123 << 0x58;
    QTest::newRow("Print") << 107u << XK_Print << 44 << 0x137;
    QTest::newRow("Scroll Lock") << 78u << XK_Scroll_Lock << 145 << 0x46;
    QTest::newRow("Pause") << 127u << XK_Pause << 19 << 0x45;

    QTest::newRow("Home") << 110u << XK_Home << 36 << 0x147;
    QTest::newRow("Up") << 111u << XK_Up << 38 << 0x148;
    QTest::newRow("Page Up") << 112u << XK_Prior << 33 << 0x149;
    QTest::newRow("Left") << 113u << XK_Left << 37 << 0x14B;
    QTest::newRow("Right") << 114u << XK_Right << 39 << 0x14D;
    QTest::newRow("End") << 115u << XK_End << 35 << 0x14F;
    QTest::newRow("Down") << 116u << XK_Down << 40 << 0x150;
    QTest::newRow("Page Down") << 117u << XK_Next << 34 << 0x151;
    QTest::newRow("Insert") << 118u << XK_Insert << 45 << 0x152;
    QTest::newRow("Delete") << 119u << XK_Delete << 46 << 0x153;

    QTest::newRow("a key without a Windows code") << 121u << XK_AudioMute << 0 << 0;
    QTest::newRow("keycode below the XKB range") << 5u << quint32('a') << 0 << 0;
}

void TstKeyMap::xkb()
{
    QFETCH(quint32, keycode);
    QFETCH(quint32, keysym);
    QFETCH(int, virtualKey);
    QFETCH(int, scanCode);
    QCOMPARE(windowsKeyFromXkb(keycode, keysym), (WindowsKey{virtualKey, scanCode}));
}

void TstKeyMap::scanCodeCorrectionAgreesWithTheMap_data()
{
    QTest::addColumn<quint32>("keycode");
    QTest::addColumn<quint32>("keysym");
    QTest::addColumn<int>("genericVirtualKey");
    QTest::addColumn<int>("expected");

    // The editor corrects a generic modifier code from the scan code; the
    // map's scan codes must lead it to the code the map itself gives.
    QTest::newRow("left Ctrl") << 37u << XK_Control_L << 17 << 162;
    QTest::newRow("right Ctrl") << 105u << XK_Control_R << 17 << 163;
    QTest::newRow("left Shift") << 50u << XK_Shift_L << 16 << 160;
    QTest::newRow("right Shift") << 62u << XK_Shift_R << 16 << 161;
    QTest::newRow("left Alt") << 64u << XK_Alt_L << 18 << 164;
    QTest::newRow("right Alt") << 108u << XK_ISO_Level3_Shift << 18 << 165;
}

void TstKeyMap::scanCodeCorrectionAgreesWithTheMap()
{
    QFETCH(quint32, keycode);
    QFETCH(quint32, keysym);
    QFETCH(int, genericVirtualKey);
    QFETCH(int, expected);
    const WindowsKey key = windowsKeyFromXkb(keycode, keysym);
    QCOMPARE(key.virtualKey, expected);
    QCOMPARE(correctedByScanCode(key.scanCode, genericVirtualKey), expected);
    QCOMPARE(correctedByScanCode(key.scanCode, key.virtualKey), expected);

    // Without native codes the left key is assumed, and the correction agrees.
    const WindowsKey fallback = windowsKeyFromQt(
        expected == 162 || expected == 163 ? Qt::Key_Control
        : expected == 160 || expected == 161 ? Qt::Key_Shift
        : expected == 164 ? Qt::Key_Alt : Qt::Key_AltGr,
        Qt::NoModifier);
    QCOMPARE(correctedByScanCode(fallback.scanCode, fallback.virtualKey), fallback.virtualKey);
}

void TstKeyMap::qtFallback_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("virtualKey");
    QTest::addColumn<int>("scanCode");

    const int none = int(Qt::NoModifier);
    const int keypad = int(Qt::KeypadModifier);
    QTest::newRow("A") << int(Qt::Key_A) << none << 65 << 0x1E;
    QTest::newRow("Z with Shift") << int(Qt::Key_Z) << int(Qt::ShiftModifier) << 90 << 0x2C;
    QTest::newRow("digit 5") << int(Qt::Key_5) << none << 53 << 0x06;
    QTest::newRow("Shift+1 arrives as !") << int(Qt::Key_Exclam) << int(Qt::ShiftModifier) << 49 << 0x02;
    QTest::newRow("keypad 5") << int(Qt::Key_5) << keypad << 101 << 0x4C;
    QTest::newRow("keypad End") << int(Qt::Key_End) << keypad << 35 << 0x4F;
    QTest::newRow("End") << int(Qt::Key_End) << none << 35 << 0x14F;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << keypad << 13 << 0x11C;
    QTest::newRow("Return") << int(Qt::Key_Return) << none << 13 << 0x1C;
    QTest::newRow("keypad plus") << int(Qt::Key_Plus) << keypad << 107 << 0x4E;
    QTest::newRow("plus") << int(Qt::Key_Plus) << int(Qt::ShiftModifier) << 187 << 0x0D;
    QTest::newRow("keypad asterisk") << int(Qt::Key_Asterisk) << keypad << 106 << 0x37;
    QTest::newRow("keypad point") << int(Qt::Key_Period) << keypad << 110 << 0x53;
    QTest::newRow("keypad slash") << int(Qt::Key_Slash) << keypad << 111 << 0x135;
    QTest::newRow("question mark") << int(Qt::Key_Question) << int(Qt::ShiftModifier) << 191 << 0x35;
    QTest::newRow("tilde") << int(Qt::Key_AsciiTilde) << int(Qt::ShiftModifier) << 192 << 0x29;
    QTest::newRow("Ctrl reads as left Ctrl") << int(Qt::Key_Control) << int(Qt::ControlModifier) << 162 << 0x1D;
    QTest::newRow("Shift reads as left Shift") << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << 160 << 0x2A;
    QTest::newRow("Alt reads as left Alt") << int(Qt::Key_Alt) << int(Qt::AltModifier) << 164 << 0x38;
    QTest::newRow("AltGr") << int(Qt::Key_AltGr) << none << 165 << 0x138;
    QTest::newRow("left Super") << int(Qt::Key_Super_L) << none << 91 << 0x15B;
    QTest::newRow("right Super") << int(Qt::Key_Super_R) << none << 92 << 0x15C;
    QTest::newRow("F12") << int(Qt::Key_F12) << none << 123 << 0x58;
    QTest::newRow("Print") << int(Qt::Key_Print) << none << 44 << 0x137;
    QTest::newRow("Pause") << int(Qt::Key_Pause) << none << 19 << 0x45;
    QTest::newRow("Scroll Lock") << int(Qt::Key_ScrollLock) << none << 145 << 0x46;
    QTest::newRow("Page Down") << int(Qt::Key_PageDown) << none << 34 << 0x151;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << none << 27 << 0x01;
    QTest::newRow("Backtab is Tab") << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << 9 << 0x0F;
    QTest::newRow("volume key has no code") << int(Qt::Key_VolumeUp) << none << 0 << 0;
    QTest::newRow("unknown key") << int(Qt::Key_unknown) << none << 0 << 0;
}

void TstKeyMap::qtFallback()
{
    QFETCH(int, qtKey);
    QFETCH(int, modifiers);
    QFETCH(int, virtualKey);
    QFETCH(int, scanCode);
    QCOMPARE(windowsKeyFromQt(qtKey, Qt::KeyboardModifiers(modifiers)), (WindowsKey{virtualKey, scanCode}));
}

void TstKeyMap::eventPicksItsPath_data()
{
    QTest::addColumn<int>("codes");
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<quint32>("keycode");
    QTest::addColumn<quint32>("keysym");
    QTest::addColumn<int>("virtualKey");

    const int xkb = int(NativeKeyCodes::Xkb);
    const int none = int(NativeKeyCodes::None);
    QTest::newRow("xkb codes tell the right Ctrl") << xkb << int(Qt::Key_Control) << 105u << XK_Control_R << 163;
    QTest::newRow("without native codes Ctrl is left") << none << int(Qt::Key_Control) << 105u << XK_Control_R
                                                       << 162;
    QTest::newRow("xkb platform, event without codes") << xkb << int(Qt::Key_Control) << 0u << 0u << 162;
    QTest::newRow("key unknown to the xkb table uses Qt's key") << xkb << int(Qt::Key_F13) << 191u << 0u << 124;
}

void TstKeyMap::eventPicksItsPath()
{
    QFETCH(int, codes);
    QFETCH(int, qtKey);
    QFETCH(quint32, keycode);
    QFETCH(quint32, keysym);
    QFETCH(int, virtualKey);
    const QKeyEvent event(QEvent::KeyPress, qtKey, Qt::NoModifier, keycode, keysym, 0);
    QCOMPARE(windowsKeyForEvent(event, NativeKeyCodes(codes)).virtualKey, virtualKey);
}

QTEST_GUILESS_MAIN(TstKeyMap)
#include "tst_keymap.moc"
