#pragma once

#include <QLatin1String>

// Every spelling our stored files use, in one place: the members of the
// profile, macro and gear JSON files and the names of the two data dialects
// (Korvan: family A, Halden: families B and C). The readers, the writers and
// the older text format all take them from here, so a file written by one is
// read by the other.
namespace jsonkeys {

// QLatin1String(const char *) counts with strlen, which only GCC evaluates at
// compile time; the array's own length works with every compiler.
template <int N>
constexpr QLatin1String latin1Key(const char (&text)[N])
{
    return QLatin1String(text, N - 1);
}

// Profile files (ConfigN.json).
constexpr QLatin1String kMouseData = latin1Key("MouseDataOfGamingMode");
constexpr QLatin1String kMacroData = latin1Key("MacroDataOfGamingMode");

// Macro data objects inside a profile; "MacroSize" only in the Korvan dialect.
constexpr QLatin1String kMacroSize = latin1Key("MacroSize");
constexpr QLatin1String kRepeatTimes = latin1Key("RepeatTimes");
constexpr QLatin1String kMacro = latin1Key("Macro");

// Macro files.
constexpr QLatin1String kName = latin1Key("Name");
constexpr QLatin1String kMacroType = latin1Key("MacroType");
constexpr QLatin1String kMacroLength = latin1Key("MacroLength");
constexpr QLatin1String kMacroLengthKorvan = latin1Key("MacroLength_KORVAN");
constexpr QLatin1String kIgnoreDelayTime = latin1Key("IgnoreDelayTime");
constexpr QLatin1String kId = latin1Key("id");

// Macro event nodes.
constexpr QLatin1String kValueType = latin1Key("ValueType");
constexpr QLatin1String kMouseValue = latin1Key("MouseValue");
constexpr QLatin1String kKeyValue = latin1Key("KeyValue");
constexpr QLatin1String kTimeLapse = latin1Key("TimeLapse");
constexpr QLatin1String kCoordinateX = latin1Key("CoordinateX");
constexpr QLatin1String kCoordinateY = latin1Key("CoordinateY");
constexpr QLatin1String kState = latin1Key("State");
constexpr QLatin1String kText = latin1Key("Text");

// CPI gear tables (CpiSetting.json).
constexpr QLatin1String kGearVariable = latin1Key("GearVariable");
constexpr QLatin1String kGearData = latin1Key("GearData");
constexpr QLatin1String kGearPosition = latin1Key("GearPosition");
constexpr QLatin1String kGearCurrentValue = latin1Key("GearCurrentValue");
constexpr QLatin1String kGearEnable = latin1Key("GearEnable");

} // namespace jsonkeys

// The data dialects, as the older text profiles name them.
namespace dialects {
constexpr QLatin1String kKorvan = jsonkeys::latin1Key("Korvan");
constexpr QLatin1String kHalden = jsonkeys::latin1Key("Halden");
} // namespace dialects
