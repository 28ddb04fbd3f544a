#pragma once

#include <QList>
#include <QString>
#include <QVector>

// What the key assignment dialog offers and how it names things, apart from
// the widgets that show it: the basic-function table, the rules that depend
// on the button and the model, and the texts for buttons, combinations and
// current assignments. Texts come from the language table.
namespace keyassignment {

// Change types of sig_ButtonChangeToKey.
enum ChangeType : int {
    kCombination = 29,
    kBasicFunction = 31, // only reported by the device layer
    kBasicKeyWithModifier = 30,
    kBackToDefault = 32,
    kDeviceFunction = 33, // only reported: a macro or another device function
    kDisabled = 41,
};

// Modifier mask bits (countModifyValue).
enum ModifierBit : int {
    kCtrl = 1,
    kShift = 2,
    kAlt = 4,
    kWin = 8,
};

// A row of the basic list; the row number travels as the item's data, so
// rows left out never shift the mapping.
struct BasicFunctionRow
{
    int row;
    int textNumber;        // 0 when fixedText applies
    const char *fixedText; // "CPI+" / "CPI-"
    int trueValue;
    int modifier;
    int changeType;
};
const QVector<BasicFunctionRow> &basicFunctionRows();
// The row with that number; nullptr when there is none.
const BasicFunctionRow *basicFunctionRow(int row);
QString basicFunctionRowText(const BasicFunctionRow &row);
// The rows the list shows for a button, in list order: rows 16 and 17 not for
// buttons 11 and 12, row 21 only off family A, and for button 4 the row at
// position 20 of the built list taken out.
QList<int> basicRowsForButton(int button, int mouseType);

// Name of a basic function by change type (codes 0..6: the key-with-modifier
// rows); empty for other codes.
QString basicFunctionName(int changeType);
// "CTRL + SHIFT", ...; empty for 0 and for masks outside 1..15.
QString combinationName(int modifierMask);
// The button's name for the title and analytics; empty for unknown codes.
QString buttonName(int button, int mouseType);
// What TrueMouseValueLabel shows for a reported assignment; empty when
// nothing (the label is hidden for -1 by the dialog).
QString trueMouseValueText(int changeType, int trueValue, int modifyKey);
// The analytics detail of a combination: name, "+" when both parts exist,
// the key's name.
QString combinationDetail(int modifierMask, int virtualKey);

// How many macros may be checked at once: 4 on button 4 (3 on family A), else 1.
int maxCheckedMacros(int button, int mouseType);
// Buttons that cannot play a macro while held (play type 4).
bool refusesWhileHeldMacro(int button, int mouseType);

} // namespace keyassignment
