#include "platform/keymap.h"

#include <QGuiApplication>
#include <QKeyEvent>

#include <atomic>

namespace {

// Extended keys carry 0x100 in the scan code, as Windows reports them.
constexpr int kExtended = 0x100;
// XKB keycodes are evdev codes shifted by 8.
constexpr quint32 kXkbKeycodeOffset = 8;

enum class Block {
    Main,   // typing block: letters follow the keysym
    Fixed,  // modifiers, function and navigation keys: position only
    Keypad, // the keysym decides (NumLock)
};

struct PositionKey
{
    int evdev;
    int virtualKey;
    int scanCode;
    Block block;
};

// Every key of a PC keyboard by evdev code, with what a US-layout Windows
// keyboard reports for it (keypad keys: the NumLock-on code).
constexpr PositionKey kPositions[] = {
    {1, 27, 0x01, Block::Fixed},         // Escape
    {2, '1', 0x02, Block::Main},         {3, '2', 0x03, Block::Main},
    {4, '3', 0x04, Block::Main},         {5, '4', 0x05, Block::Main},
    {6, '5', 0x06, Block::Main},         {7, '6', 0x07, Block::Main},
    {8, '7', 0x08, Block::Main},         {9, '8', 0x09, Block::Main},
    {10, '9', 0x0A, Block::Main},        {11, '0', 0x0B, Block::Main},
    {12, 189, 0x0C, Block::Main},        // - _
    {13, 187, 0x0D, Block::Main},        // = +
    {14, 8, 0x0E, Block::Fixed},         // Backspace
    {15, 9, 0x0F, Block::Fixed},         // Tab
    {16, 'Q', 0x10, Block::Main},        {17, 'W', 0x11, Block::Main},
    {18, 'E', 0x12, Block::Main},        {19, 'R', 0x13, Block::Main},
    {20, 'T', 0x14, Block::Main},        {21, 'Y', 0x15, Block::Main},
    {22, 'U', 0x16, Block::Main},        {23, 'I', 0x17, Block::Main},
    {24, 'O', 0x18, Block::Main},        {25, 'P', 0x19, Block::Main},
    {26, 219, 0x1A, Block::Main},        // [ {
    {27, 221, 0x1B, Block::Main},        // ] }
    {28, 13, 0x1C, Block::Fixed},        // Enter
    {29, 162, 0x1D, Block::Fixed},       // left Ctrl
    {30, 'A', 0x1E, Block::Main},        {31, 'S', 0x1F, Block::Main},
    {32, 'D', 0x20, Block::Main},        {33, 'F', 0x21, Block::Main},
    {34, 'G', 0x22, Block::Main},        {35, 'H', 0x23, Block::Main},
    {36, 'J', 0x24, Block::Main},        {37, 'K', 0x25, Block::Main},
    {38, 'L', 0x26, Block::Main},
    {39, 186, 0x27, Block::Main},        // ; :
    {40, 222, 0x28, Block::Main},        // ' "
    {41, 192, 0x29, Block::Main},        // ` ~
    {42, 160, 0x2A, Block::Fixed},       // left Shift
    {43, 220, 0x2B, Block::Main},        // \ |
    {44, 'Z', 0x2C, Block::Main},        {45, 'X', 0x2D, Block::Main},
    {46, 'C', 0x2E, Block::Main},        {47, 'V', 0x2F, Block::Main},
    {48, 'B', 0x30, Block::Main},        {49, 'N', 0x31, Block::Main},
    {50, 'M', 0x32, Block::Main},
    {51, 188, 0x33, Block::Main},        // , <
    {52, 190, 0x34, Block::Main},        // . >
    {53, 191, 0x35, Block::Main},        // / ?
    {54, 161, 0x36, Block::Fixed},       // right Shift
    {55, 106, 0x37, Block::Fixed},       // keypad *
    {56, 164, 0x38, Block::Fixed},       // left Alt
    {57, 32, 0x39, Block::Fixed},        // Space
    {58, 20, 0x3A, Block::Fixed},        // Caps Lock
    {59, 112, 0x3B, Block::Fixed},       {60, 113, 0x3C, Block::Fixed}, // F1, F2
    {61, 114, 0x3D, Block::Fixed},       {62, 115, 0x3E, Block::Fixed},
    {63, 116, 0x3F, Block::Fixed},       {64, 117, 0x40, Block::Fixed},
    {65, 118, 0x41, Block::Fixed},       {66, 119, 0x42, Block::Fixed},
    {67, 120, 0x43, Block::Fixed},       {68, 121, 0x44, Block::Fixed}, // F9, F10
    {69, 144, 0x45 | kExtended, Block::Fixed}, // Num Lock
    {70, 145, 0x46, Block::Fixed},       // Scroll Lock
    {71, 103, 0x47, Block::Keypad},      {72, 104, 0x48, Block::Keypad}, // keypad 7, 8
    {73, 105, 0x49, Block::Keypad},      // keypad 9
    {74, 109, 0x4A, Block::Fixed},       // keypad -
    {75, 100, 0x4B, Block::Keypad},      {76, 101, 0x4C, Block::Keypad}, // keypad 4, 5
    {77, 102, 0x4D, Block::Keypad},      // keypad 6
    {78, 107, 0x4E, Block::Fixed},       // keypad +
    {79, 97, 0x4F, Block::Keypad},       {80, 98, 0x50, Block::Keypad}, // keypad 1, 2
    {81, 99, 0x51, Block::Keypad},       {82, 96, 0x52, Block::Keypad}, // keypad 3, 0
    {83, 110, 0x53, Block::Keypad},      // keypad .
    {86, 226, 0x56, Block::Main},        // the extra key of ISO keyboards
    {87, 122, 0x57, Block::Fixed},       {88, 123, 0x58, Block::Fixed}, // F11, F12
    {96, 13, 0x1C | kExtended, Block::Fixed},  // keypad Enter
    {97, 163, 0x1D | kExtended, Block::Fixed}, // right Ctrl
    {98, 111, 0x35 | kExtended, Block::Fixed}, // keypad /
    {99, 44, 0x37 | kExtended, Block::Fixed},  // Print Screen
    {100, 165, 0x38 | kExtended, Block::Fixed}, // right Alt (AltGr)
    {102, 36, 0x47 | kExtended, Block::Fixed}, // Home
    {103, 38, 0x48 | kExtended, Block::Fixed}, // Up
    {104, 33, 0x49 | kExtended, Block::Fixed}, // Page Up
    {105, 37, 0x4B | kExtended, Block::Fixed}, // Left
    {106, 39, 0x4D | kExtended, Block::Fixed}, // Right
    {107, 35, 0x4F | kExtended, Block::Fixed}, // End
    {108, 40, 0x50 | kExtended, Block::Fixed}, // Down
    {109, 34, 0x51 | kExtended, Block::Fixed}, // Page Down
    {110, 45, 0x52 | kExtended, Block::Fixed}, // Insert
    {111, 46, 0x53 | kExtended, Block::Fixed}, // Delete
    {119, 19, 0x45, Block::Fixed},             // Pause
    {125, 91, 0x5B | kExtended, Block::Fixed}, // left Super
    {126, 92, 0x5C | kExtended, Block::Fixed}, // right Super
    {127, 93, 0x5D | kExtended, Block::Fixed}, // Menu
};

const PositionKey *positionKey(int evdev)
{
    for (const PositionKey &k : kPositions) {
        if (k.evdev == evdev)
            return &k;
    }
    return nullptr;
}

// Keypad keysyms: digits with NumLock on, navigation keys with it off.
int keypadVirtualKey(quint32 keysym)
{
    struct Pair
    {
        quint32 keysym;
        int virtualKey;
    };
    static constexpr Pair kKeypad[] = {
        {0xffb0, 96},  {0xffb1, 97},  {0xffb2, 98},  {0xffb3, 99},  {0xffb4, 100}, // KP_0..KP_4
        {0xffb5, 101}, {0xffb6, 102}, {0xffb7, 103}, {0xffb8, 104}, {0xffb9, 105}, // KP_5..KP_9
        {0xffae, 110}, {0xffac, 110}, // KP_Decimal, KP_Separator
        {0xff9e, 45},  {0xff9f, 46},  // KP_Insert, KP_Delete
        {0xff9c, 35},  {0xff95, 36},  // KP_End, KP_Home
        {0xff9b, 34},  {0xff9a, 33},  // KP_Next, KP_Prior
        {0xff96, 37},  {0xff97, 38},  {0xff98, 39}, {0xff99, 40}, // KP_Left, Up, Right, Down
        {0xff9d, 12},  // KP_Begin: Windows reports VK_CLEAR
    };
    for (const Pair &p : kKeypad) {
        if (p.keysym == keysym)
            return p.virtualKey;
    }
    return 0;
}

// The scan code Windows gives a virtual key on a US keyboard; for keypad
// events the keypad key's.
int scanCodeForVirtualKey(int virtualKey, bool keypad)
{
    // Keys that exist twice: the keypad copy is non-extended.
    if (keypad) {
        for (const PositionKey &k : kPositions) {
            if (k.block == Block::Keypad && k.virtualKey == virtualKey)
                return k.scanCode;
        }
        static constexpr struct {
            int virtualKey;
            int scanCode;
        } kKeypadNavigation[] = {{45, 0x52}, {46, 0x53}, {35, 0x4F}, {36, 0x47}, {34, 0x51},
                                 {33, 0x49}, {37, 0x4B}, {38, 0x48}, {39, 0x4D}, {40, 0x50},
                                 {12, 0x4C}, {13, 0x1C | kExtended}};
        for (const auto &k : kKeypadNavigation) {
            if (k.virtualKey == virtualKey)
                return k.scanCode;
        }
    }
    for (const PositionKey &k : kPositions) {
        if (k.virtualKey == virtualKey && k.block != Block::Keypad)
            return k.scanCode;
    }
    return 0;
}

int fallbackVirtualKey(int key, bool keypad)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key; // Qt's letter keys are the upper-case ASCII codes, as VK_A..VK_Z
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return keypad ? 96 + (key - Qt::Key_0) : key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);

    if (keypad) {
        switch (key) {
        case Qt::Key_Asterisk: return 106;
        case Qt::Key_Plus: return 107;
        case Qt::Key_Minus: return 109;
        case Qt::Key_Period:
        case Qt::Key_Comma: return 110;
        case Qt::Key_Slash: return 111;
        default: break;
        }
    }

    struct Pair
    {
        int qtKey;
        int virtualKey;
    };
    static constexpr Pair kKeys[] = {
        {Qt::Key_Escape, 27},       {Qt::Key_Tab, 9},         {Qt::Key_Backtab, 9},
        {Qt::Key_Backspace, 8},     {Qt::Key_Return, 13},     {Qt::Key_Enter, 13},
        {Qt::Key_Insert, 45},       {Qt::Key_Delete, 46},     {Qt::Key_Pause, 19},
        {Qt::Key_Print, 44},        {Qt::Key_SysReq, 44},     {Qt::Key_Clear, 12},
        {Qt::Key_Home, 36},         {Qt::Key_End, 35},        {Qt::Key_Left, 37},
        {Qt::Key_Up, 38},           {Qt::Key_Right, 39},      {Qt::Key_Down, 40},
        {Qt::Key_PageUp, 33},       {Qt::Key_PageDown, 34},   {Qt::Key_Shift, 160},
        {Qt::Key_Control, 162},     {Qt::Key_Alt, 164},       {Qt::Key_AltGr, 165},
        {Qt::Key_Meta, 91},         {Qt::Key_Super_L, 91},    {Qt::Key_Super_R, 92},
        {Qt::Key_Menu, 93},         {Qt::Key_CapsLock, 20},   {Qt::Key_NumLock, 144},
        {Qt::Key_ScrollLock, 145},  {Qt::Key_Space, 32},
        // Punctuation, unshifted and shifted, at its US-layout key.
        {Qt::Key_Minus, 189},       {Qt::Key_Underscore, 189}, {Qt::Key_Equal, 187},
        {Qt::Key_Plus, 187},        {Qt::Key_BracketLeft, 219}, {Qt::Key_BraceLeft, 219},
        {Qt::Key_BracketRight, 221}, {Qt::Key_BraceRight, 221}, {Qt::Key_Semicolon, 186},
        {Qt::Key_Colon, 186},       {Qt::Key_Apostrophe, 222}, {Qt::Key_QuoteDbl, 222},
        {Qt::Key_QuoteLeft, 192},   {Qt::Key_AsciiTilde, 192}, {Qt::Key_Backslash, 220},
        {Qt::Key_Bar, 220},         {Qt::Key_Comma, 188},     {Qt::Key_Less, 188},
        {Qt::Key_Period, 190},      {Qt::Key_Greater, 190},   {Qt::Key_Slash, 191},
        {Qt::Key_Question, 191},
        // Shifted digits arrive as their symbols.
        {Qt::Key_Exclam, '1'},      {Qt::Key_At, '2'},        {Qt::Key_NumberSign, '3'},
        {Qt::Key_Dollar, '4'},      {Qt::Key_Percent, '5'},   {Qt::Key_AsciiCircum, '6'},
        {Qt::Key_Ampersand, '7'},   {Qt::Key_Asterisk, '8'},  {Qt::Key_ParenLeft, '9'},
        {Qt::Key_ParenRight, '0'},
    };
    for (const Pair &p : kKeys) {
        if (p.qtKey == key)
            return p.virtualKey;
    }
    return 0;
}

} // namespace

namespace {
// -1: none; otherwise the NativeKeyCodes value tests asked for.
std::atomic<int> g_nativeCodesOverride{-1};
} // namespace

void overrideNativeKeyCodes(NativeKeyCodes codes)
{
    g_nativeCodesOverride = int(codes);
}

void clearNativeKeyCodesOverride()
{
    g_nativeCodesOverride = -1;
}

NativeKeyCodes nativeKeyCodesOfPlatform()
{
    const int forced = g_nativeCodesOverride.load();
    if (forced >= 0)
        return NativeKeyCodes(forced);
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland")))
        return NativeKeyCodes::Xkb;
    return NativeKeyCodes::None;
}

WindowsKey windowsKeyFromXkb(quint32 keycode, quint32 keysym)
{
    if (keycode < kXkbKeycodeOffset)
        return {};
    const PositionKey *key = positionKey(int(keycode - kXkbKeycodeOffset));
    if (!key)
        return {};
    WindowsKey out{key->virtualKey, key->scanCode};
    switch (key->block) {
    case Block::Main:
        // A Latin letter follows the layout (AZERTY's A key is VK_A), like
        // Windows; everything else keeps its position.
        if (keysym >= 'a' && keysym <= 'z')
            out.virtualKey = int(keysym - 'a' + 'A');
        else if (keysym >= 'A' && keysym <= 'Z')
            out.virtualKey = int(keysym);
        break;
    case Block::Keypad:
        if (const int vk = keypadVirtualKey(keysym))
            out.virtualKey = vk;
        break;
    case Block::Fixed:
        break;
    }
    return out;
}

WindowsKey windowsKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    const int vk = fallbackVirtualKey(qtKey, keypad);
    if (vk == 0)
        return {};
    return {vk, scanCodeForVirtualKey(vk, keypad)};
}

WindowsKey windowsKeyForEvent(const QKeyEvent &event)
{
    return windowsKeyForEvent(event, nativeKeyCodesOfPlatform());
}

WindowsKey windowsKeyForEvent(const QKeyEvent &event, NativeKeyCodes codes)
{
    if (codes == NativeKeyCodes::Xkb && event.nativeScanCode() >= kXkbKeycodeOffset) {
        const WindowsKey native = windowsKeyFromXkb(event.nativeScanCode(), event.nativeVirtualKey());
        if (native.virtualKey != 0)
            return native;
    }
    return windowsKeyFromQt(event.key(), event.modifiers());
}
