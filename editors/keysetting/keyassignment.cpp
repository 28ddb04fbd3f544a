#include "editors/keysetting/keyassignment.h"

#include "config/languagetable.h"
#include "device/keytables.h"
#include "discovery/models.h"

namespace keyassignment {

namespace {
constexpr int kListMacrosButton = 4;
constexpr int kMaxListMacros = 4;
constexpr int kMaxListMacrosFamilyA = 3;
// Position of the row button 4 leaves out once the list is built.
constexpr int kButton4RemovedPosition = 20;
// The light switch exists only off family A.
constexpr int kLightSwitchRow = 21;

struct NamedCode
{
    int code;
    int textNumber;
    const char *fixedText;
};

// Basic-function names by change type.
constexpr NamedCode kBasicNames[] = {
    {35, 140, nullptr}, {36, 235, nullptr}, {37, 139, nullptr}, {38, 138, nullptr},
    {39, 137, nullptr}, {44, 142, nullptr}, {45, 0, "CPI+"},    {46, 0, "CPI-"},
    {47, 141, nullptr}, {48, 132, nullptr}, {49, 133, nullptr}, {50, 134, nullptr},
    {51, 135, nullptr}, {52, 136, nullptr}, {55, 143, nullptr}, {56, 238, nullptr},
};

// Button names by button code; 7 and 8 have their own names on OX7-series
// models, which name them by their place on the side.
struct ButtonName
{
    int button;
    int textNumber;
    int ox7SeriesTextNumber;
};
constexpr ButtonName kButtonNames[] = {
    {4, 263, 263},  {5, 264, 264},  {6, 265, 265},  {7, 266, 267},  {8, 268, 269},
    {9, 420, 420},  {10, 421, 421}, {11, 271, 271}, {12, 270, 270}, {13, 275, 275},
    {14, 276, 276}, {15, 422, 422}, {16, 423, 423}, {17, 273, 273},
};

QString namedText(int textNumber, const char *fixedText)
{
    return fixedText ? QString::fromLatin1(fixedText) : languageText(textNumber);
}
} // namespace

const QVector<BasicFunctionRow> &basicFunctionRows()
{
    static const QVector<BasicFunctionRow> rows = {
        {0, 125, nullptr, 0x57, 1, 30},  {1, 126, nullptr, 0x4C, 8, 30}, {2, 127, nullptr, 0x52, 8, 30},
        {3, 128, nullptr, 0x44, 8, 30},  {4, 129, nullptr, 0xBB, 1, 30}, {5, 130, nullptr, 0xBD, 1, 30},
        {6, 131, nullptr, 0x46, 1, 30},  {7, 132, nullptr, 0xF0, 0, 48}, {8, 133, nullptr, 0xF1, 0, 49},
        {9, 134, nullptr, 0xF2, 0, 50},  {10, 135, nullptr, 0xF7, 0, 51}, {11, 136, nullptr, 0xF8, 0, 52},
        // Consumer-control codes travel split: low byte as the value, high byte as the modifier.
        {12, 137, nullptr, 0x83, 1, 39}, {13, 138, nullptr, 0xEA, 0, 38}, {14, 139, nullptr, 0xE9, 0, 37},
        {15, 140, nullptr, 0xE2, 0, 35}, {16, 141, nullptr, 0, 0, 47},    {17, 142, nullptr, 0, 0, 44},
        {18, 0, "CPI+", 0, 0, 45},       {19, 0, "CPI-", 0, 0, 46},       {20, 143, nullptr, 0, 0, 55},
        {21, 238, nullptr, 0, 0, 56},
    };
    return rows;
}

const BasicFunctionRow *basicFunctionRow(int row)
{
    for (const BasicFunctionRow &r : basicFunctionRows()) {
        if (r.row == row)
            return &r;
    }
    return nullptr;
}

QString basicFunctionRowText(const BasicFunctionRow &row)
{
    return namedText(row.textNumber, row.fixedText);
}

QList<int> basicRowsForButton(int button, int mouseType)
{
    QList<int> rows;
    for (const BasicFunctionRow &r : basicFunctionRows()) {
        if ((r.row == 16 || r.row == 17) && (button == 11 || button == 12))
            continue;
        if (r.row == kLightSwitchRow && isFamilyA(mouseType))
            continue;
        rows.append(r.row);
    }
    if (button == kListMacrosButton && rows.size() > kButton4RemovedPosition)
        rows.removeAt(kButton4RemovedPosition);
    return rows;
}

QString basicFunctionName(int changeType)
{
    if (changeType >= 0 && changeType <= 6)
        return languageText(125 + changeType);
    for (const NamedCode &n : kBasicNames) {
        if (n.code == changeType)
            return namedText(n.textNumber, n.fixedText);
    }
    return QString();
}

QString combinationName(int modifierMask)
{
    if (modifierMask <= 0 || modifierMask > 15)
        return QString();
    // Mask 12 keeps the leading blank the table has always had; 13 reads
    // like its neighbours.
    if (modifierMask == kAlt + kWin)
        return QStringLiteral(" ALT + WIN");
    QStringList parts;
    if (modifierMask & kCtrl)
        parts << QStringLiteral("CTRL");
    if (modifierMask & kShift)
        parts << QStringLiteral("SHIFT");
    if (modifierMask & kAlt)
        parts << QStringLiteral("ALT");
    if (modifierMask & kWin)
        parts << QStringLiteral("WIN");
    return parts.join(QStringLiteral(" + "));
}

QString buttonName(int button, int mouseType)
{
    for (const ButtonName &b : kButtonNames) {
        if (b.button != button)
            continue;
        QString name = languageText(isOx7Series(mouseType) ? b.ox7SeriesTextNumber : b.textNumber);
        // The OX1 series prints its CPI button without the plus.
        if (button == 13 && isOx1Series(mouseType))
            name.remove(QLatin1Char('+'));
        return name;
    }
    return QString();
}

QString trueMouseValueText(int changeType, int trueValue, int modifyKey)
{
    switch (changeType) {
    case kCombination: {
        QString text = languageText(293) + combinationName(modifyKey);
        const QString key = keyNameForVirtualKey(trueValue);
        if (!key.isEmpty() && modifyKey != 0)
            text += QStringLiteral(" +");
        return text + QLatin1Char(' ') + key;
    }
    case kBasicFunction:
        return languageText(123) + QLatin1Char(':') + basicFunctionName(trueValue);
    case kDeviceFunction:
        return languageText(292);
    case kDisabled:
        return languageText(291);
    default:
        return QString();
    }
}

QString combinationDetail(int modifierMask, int virtualKey)
{
    const QString combination = combinationName(modifierMask);
    const QString key = virtualKeyName(virtualKey);
    if (!combination.isEmpty() && !key.isEmpty())
        return combination + QLatin1Char('+') + key;
    return combination + key;
}

int maxCheckedMacros(int button, int mouseType)
{
    if (button != kListMacrosButton)
        return 1;
    return isFamilyA(mouseType) ? kMaxListMacrosFamilyA : kMaxListMacros;
}

bool refusesWhileHeldMacro(int button, int mouseType)
{
    return button == 11 || button == 12 || ((button == 13 || button == 14) && isFamilyA(mouseType));
}

} // namespace keyassignment
