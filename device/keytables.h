#pragma once

#include <QMap>
#include <QString>
#include <QVector>

// Fixed tables between key names, Windows virtual-key codes and USB HID
// keyboard usages. Lookups are linear scans in table order; the first match
// wins, which is what makes the duplicate entries below behave as they do.

struct UsageKeyPair
{
    int usage;
    int virtualKey;
};

// Family A: 107 pairs. Usages 0xF0/0xF1 appear twice (right Ctrl/Shift, then
// the left/right mouse buttons), so they map to 0xA3/0xA1 while virtual keys
// 1, 2 and 4 map to 0xF0, 0xF1 and 0xF2.
const QVector<UsageKeyPair> &familyAKeyTable();
int HidUsageToVirtualKey(int usage);
int VirtualKeyToHidUsage(int virtualKey);

// Family B: 103 pairs.
const QVector<UsageKeyPair> &familyBKeyTable();
int familyBUsageToVirtualKey(int usage);
int familyBVirtualKeyToUsage(int virtualKey);

// Names shown for virtual keys in lists (110 entries, first match).
struct VirtualKeyName
{
    int code;
    const char *name; // UTF-8
};
const QVector<VirtualKeyName> &virtualKeyNameTable();
QString virtualKeyName(int code);

// The button editor's name -> virtual key map (98 entries).
const QMap<QString, int> &keyNameMap();
// First name in ascending name order whose code equals virtualKey; empty if none.
QString keyNameForVirtualKey(int virtualKey);
