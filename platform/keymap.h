#pragma once

#include <Qt>

class QKeyEvent;

// What a Windows keyboard driver would report for a key: the virtual-key code
// the editors store and the set-1 scan code (0x100 added for the extended
// keys: right Ctrl 0x11D, right Alt 0x138, the navigation block, ...). Left and
// right modifiers get their own codes (160..165, 91/92), never the generic
// 16/17/18. Zero when the key has no Windows code.
struct WindowsKey
{
    int virtualKey = 0;
    int scanCode = 0;
    bool operator==(const WindowsKey &o) const { return virtualKey == o.virtualKey && scanCode == o.scanCode; }
};

// Where the native codes of a key event come from.
enum class NativeKeyCodes {
    None, // only Qt's key and modifiers are to be trusted (offscreen, tests, unknown platforms)
    Xkb,  // native scan code = XKB keycode (evdev code + 8), native virtual key = keysym (xcb, Wayland)
};

// The kind of native codes the running platform plugin delivers.
NativeKeyCodes nativeKeyCodesOfPlatform();
// Test hook: makes nativeKeyCodesOfPlatform() answer codes (the offscreen
// platform of the widget tests delivers none) until cleared with
// clearNativeKeyCodesOverride().
void overrideNativeKeyCodes(NativeKeyCodes codes);
void clearNativeKeyCodesOverride();

// The Windows key of a key event. Uses the native keycode and keysym where
// the platform delivers them (telling left from right modifiers and keypad
// keys apart), and Qt's key and modifiers otherwise or for keys the native
// tables do not know.
WindowsKey windowsKeyForEvent(const QKeyEvent &event);
WindowsKey windowsKeyForEvent(const QKeyEvent &event, NativeKeyCodes codes);

// The two paths on their own. keycode is the XKB keycode (8..255), keysym the
// keysym of the event (the level the modifiers chose). Letters follow the
// keysym, so the virtual key follows the layout as it does on Windows; every
// other key of the main block follows the key's position (US layout), so
// Shift+1 stays '1'; keypad keys follow the keysym, so NumLock decides
// between digits and navigation keys.
WindowsKey windowsKeyFromXkb(quint32 keycode, quint32 keysym);
// Without native codes left and right cannot be told apart: modifiers read
// as the left ones. Qt::KeypadModifier marks keypad keys.
WindowsKey windowsKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers);
