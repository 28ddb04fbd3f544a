#include "device/keytables.h"

namespace {
void addRange(QVector<UsageKeyPair> &t, int usageFirst, int usageLast, int keyFirst)
{
    for (int u = usageFirst; u <= usageLast; ++u)
        t.append({u, keyFirst + (u - usageFirst)});
}

int usageToKey(const QVector<UsageKeyPair> &t, int usage)
{
    for (const UsageKeyPair &p : t)
        if (p.usage == usage)
            return p.virtualKey;
    return 0;
}

int keyToUsage(const QVector<UsageKeyPair> &t, int key)
{
    for (const UsageKeyPair &p : t)
        if (p.virtualKey == key)
            return p.usage;
    return 0;
}

QVector<UsageKeyPair> buildFamilyA()
{
    QVector<UsageKeyPair> t;
    t.append({0x29, 0x1B});
    addRange(t, 0x3A, 0x45, 0x70); // F1..F12
    addRange(t, 0x04, 0x1D, 0x41); // A..Z
    addRange(t, 0x1E, 0x26, 0x31); // 1..9
    t.append({0x27, 0x30});
    const UsageKeyPair rest[] = {
        {0x2B, 0x09}, {0x39, 0x14}, {0x28, 0x0D}, {0x2A, 0x08}, {0x2C, 0x20}, {0x2F, 0xDB},
        {0x30, 0xDD}, {0x31, 0xDC}, {0x33, 0xBA}, {0x34, 0xDE}, {0x36, 0xBC}, {0x37, 0xBE},
        {0x38, 0xBF}, {0x35, 0xC0}, {0x2E, 0xBB}, {0x2D, 0xBD}, {0x46, 0x2C}, {0x47, 0x91},
        {0x48, 0x13}, {0x49, 0x2D}, {0x4A, 0x24}, {0x4B, 0x21}, {0x4C, 0x2E}, {0x4D, 0x23},
        {0x4E, 0x22}, {0x52, 0x26}, {0x51, 0x28}, {0x50, 0x25}, {0x4F, 0x27},
    };
    for (const UsageKeyPair &p : rest)
        t.append(p);
    addRange(t, 0x59, 0x61, 0x61); // keypad 1..9
    const UsageKeyPair tail[] = {
        {0x62, 0x60}, {0x57, 0x6B}, {0x56, 0x6D}, {0x55, 0x6A}, {0x54, 0x6F}, {0x53, 0x90},
        {0x58, 0x0D}, {0x63, 0x6E}, {0xE0, 0xA2}, {0xE1, 0xA0}, {0xE2, 0xA4}, {0xE3, 0x5B},
        {0xF0, 0xA3}, {0xF1, 0xA1}, {0xE6, 0xA5}, {0xE7, 0x5C}, {0x65, 0x5D}, {0xF0, 0x01},
        {0xF1, 0x02}, {0xF2, 0x04},
    };
    for (const UsageKeyPair &p : tail)
        t.append(p);
    return t;
}

QVector<UsageKeyPair> buildFamilyB()
{
    QVector<UsageKeyPair> t;
    t.append({41, 27});
    addRange(t, 58, 69, 112); // F1..F12
    addRange(t, 4, 29, 65);   // A..Z
    addRange(t, 30, 38, 49);  // 1..9
    t.append({39, 48});
    const UsageKeyPair mid[] = {
        {43, 9}, {57, 20}, {40, 13}, {42, 8}, {44, 32}, {47, 219}, {48, 221}, {49, 220},
        {51, 186}, {52, 222}, {54, 188}, {55, 190}, {56, 191}, {53, 192}, {46, 187}, {45, 189},
        {70, 44}, {71, 145}, {72, 19}, {73, 45}, {74, 36}, {75, 33}, {76, 46}, {77, 35},
        {78, 34}, {82, 38}, {81, 40}, {80, 37}, {79, 39},
    };
    for (const UsageKeyPair &p : mid)
        t.append(p);
    addRange(t, 89, 97, 97); // keypad 1..9
    const UsageKeyPair tail[] = {
        {98, 96}, {87, 107}, {86, 109}, {85, 106}, {84, 111}, {83, 144}, {88, 13}, {99, 110},
        {224, 162}, {225, 160}, {226, 164}, {227, 91}, {227, 92}, {240, 1}, {241, 2}, {242, 4},
    };
    for (const UsageKeyPair &p : tail)
        t.append(p);
    return t;
}
} // namespace

const QVector<UsageKeyPair> &familyAKeyTable()
{
    static const QVector<UsageKeyPair> t = buildFamilyA();
    return t;
}

int HidUsageToVirtualKey(int usage) { return usageToKey(familyAKeyTable(), usage); }
int VirtualKeyToHidUsage(int virtualKey) { return keyToUsage(familyAKeyTable(), virtualKey); }

const QVector<UsageKeyPair> &familyBKeyTable()
{
    static const QVector<UsageKeyPair> t = buildFamilyB();
    return t;
}

int familyBUsageToVirtualKey(int usage) { return usageToKey(familyBKeyTable(), usage); }
int familyBVirtualKeyToUsage(int virtualKey) { return keyToUsage(familyBKeyTable(), virtualKey); }

const QVector<VirtualKeyName> &virtualKeyNameTable()
{
    static const QVector<VirtualKeyName> t = {
        {81, "Q"}, {87, "W"}, {69, "E"}, {82, "R"}, {84, "T"}, {89, "Y"}, {85, "U"}, {73, "I"},
        {79, "O"}, {80, "P"}, {65, "A"}, {83, "S"}, {68, "D"}, {70, "F"}, {71, "G"}, {72, "H"},
        {74, "J"}, {75, "K"}, {76, "L"}, {90, "Z"}, {75, "K"}, {76, "L"}, {90, "Z"}, {88, "X"},
        {67, "C"}, {86, "V"}, {66, "B"}, {78, "N"}, {77, "M"}, {192, "~"}, {49, "1"}, {50, "2"},
        {51, "3"}, {52, "4"}, {53, "5"}, {54, "6"}, {55, "7"}, {56, "8"}, {57, "9"}, {48, "0"},
        {189, "-"}, {187, "="}, {8, "Backspace"}, {220, "|"}, {219, "["}, {221, "]"}, {186, ";"},
        {222, "'"}, {13, "Enter"}, {188, "<"}, {190, ">"}, {191, "?"}, {9, "Tab"}, {20, "Cap"},
        {160, "L_Shift"}, {162, "L_Ctrl"}, {164, "L_Alt"}, {91, "L_Win"}, {161, "R_Shift"},
        {163, "R_Ctrl"}, {165, "R_Alt"}, {164, "L_Alt"}, {92, "R_Win"}, {32, "Space"}, {27, "ESC"},
        {112, "F1"}, {113, "F2"}, {114, "F3"}, {115, "F4"}, {116, "F5"}, {117, "F6"}, {118, "F7"},
        {119, "F8"}, {120, "F9"}, {121, "F10"}, {122, "F11"}, {123, "F12"}, {97, "NUM 1"},
        {98, "NUM 2"}, {99, "NUM 3"}, {100, "NUM 4"}, {101, "NUM 5"}, {102, "NUM 6"}, {103, "NUM 7"},
        {104, "NUM 8"}, {105, "NUM 9"}, {96, "NUM 0"}, {109, "NUM -"}, {107, "NUM +"}, {106, "NUM *"},
        {111, "NUM /"}, {108, "NUM Enter"}, {110, "NUM Del"}, {144, "NUM Lock"}, {42, "Print"},
        {145, "Scroll"}, {19, "Pause"}, {45, "Insert"}, {36, "Home"}, {46, "Delete"}, {35, "End"},
        {33, "Page Up"}, {34, "Page Down"}, {38, "UP"}, {40, "DOWN"}, {37, "LEFT"}, {39, "RIGHT"},
        {1, "Left Button"}, {2, "Right Button"}, {4, "Middle Button"},
    };
    return t;
}

QString virtualKeyName(int code)
{
    if (code == 0)
        return QString();
    for (const VirtualKeyName &e : virtualKeyNameTable())
        if (e.code == code)
            return QString::fromUtf8(e.name);
    return QString();
}

const QMap<QString, int> &keyNameMap()
{
    static const QMap<QString, int> map = [] {
        QMap<QString, int> m;
        m.insert(QStringLiteral("ESCAPE"), 27);
        for (int i = 1; i <= 12; ++i)
            m.insert(QStringLiteral("F%1").arg(i), 111 + i);
        for (int c = 'A'; c <= 'Z'; ++c)
            m.insert(QString(QChar(c)), c);
        for (int d = 1; d <= 9; ++d)
            m.insert(QString::number(d), 48 + d);
        m.insert(QStringLiteral("0"), 48);
        const struct { const char *name; int code; } rest[] = {
            {"TAB", 9}, {"CAPITAL", 20}, {"RETURN", 13}, {"BACK", 8}, {"SPACE", 32}, {";:", 186},
            {"+", 187}, {",", 188}, {"-", 189}, {".", 190}, {"/?", 191}, {"`~", 192}, {"[{", 219},
            {"|", 220}, {"]}", 221}, {"'\"", 222}, {"PrintScreen", 44}, {"Scroll Lock", 145},
            {"Pause Break", 19}, {"INSERT", 45}, {"HOME", 36}, {"PageUp", 33}, {"DELETE", 46},
            {"END", 35}, {"PageDown", 34}, {"\xE2\x86\x91", 38}, {"\xE2\x86\x93", 40},
            {"\xE2\x86\x90", 37}, {"\xE2\x86\x92", 39},
        };
        for (const auto &e : rest)
            m.insert(QString::fromUtf8(e.name), e.code);
        for (int i = 1; i <= 9; ++i)
            m.insert(QStringLiteral("NUMPAD%1").arg(i), 96 + i);
        const struct { const char *name; int code; } tail[] = {
            {"NUMPAD0", 96}, {"ADD", 107}, {"SUB", 109}, {"*", 106}, {"/", 111}, {"NumLock", 144},
            {"Enter", 13}, {"Del", 110}, {"Ctrl", 162}, {"Shfit", 160}, {"Alt", 164}, {"Win", 91},
        };
        for (const auto &e : tail)
            m.insert(QString::fromUtf8(e.name), e.code);
        return m;
    }();
    return map;
}

QString keyNameForVirtualKey(int virtualKey)
{
    const QMap<QString, int> &m = keyNameMap();
    for (auto it = m.cbegin(); it != m.cend(); ++it)
        if (it.value() == virtualKey)
            return it.key();
    return QString();
}
