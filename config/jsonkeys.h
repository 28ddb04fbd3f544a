#pragma once

#include <QLatin1String>

// Every spelling our stored files use, in one place: the members of the
// profile, macro and gear JSON files and the names of the two data dialects
// (Korvan: family A, Halden: families B and C). The readers, the writers and
// the older text format all take them from here, so a file written by one is
// read by the other.
namespace jsonkeys {

// Profile files (ConfigN.json).
constexpr QLatin1String kMouseData("MouseDataOfGamingMode");
constexpr QLatin1String kMacroData("MacroDataOfGamingMode");

// Macro data objects inside a profile; "MacroSize" only in the Korvan dialect.
constexpr QLatin1String kMacroSize("MacroSize");
constexpr QLatin1String kRepeatTimes("RepeatTimes");
constexpr QLatin1String kMacro("Macro");

// Macro files.
constexpr QLatin1String kName("Name");
constexpr QLatin1String kMacroType("MacroType");
constexpr QLatin1String kMacroLength("MacroLength");
constexpr QLatin1String kMacroLengthKorvan("MacroLength_KORVAN");
constexpr QLatin1String kIgnoreDelayTime("IgnoreDelayTime");
constexpr QLatin1String kId("id");

// Macro event nodes.
constexpr QLatin1String kValueType("ValueType");
constexpr QLatin1String kMouseValue("MouseValue");
constexpr QLatin1String kKeyValue("KeyValue");
constexpr QLatin1String kTimeLapse("TimeLapse");
constexpr QLatin1String kCoordinateX("CoordinateX");
constexpr QLatin1String kCoordinateY("CoordinateY");
constexpr QLatin1String kState("State");
constexpr QLatin1String kText("Text");

// CPI gear tables (CpiSetting.json).
constexpr QLatin1String kGearVariable("GearVariable");
constexpr QLatin1String kGearData("GearData");
constexpr QLatin1String kGearPosition("GearPosition");
constexpr QLatin1String kGearCurrentValue("GearCurrentValue");
constexpr QLatin1String kGearEnable("GearEnable");

} // namespace jsonkeys

// The data dialects, as the older text profiles name them.
namespace dialects {
constexpr QLatin1String kKorvan("Korvan");
constexpr QLatin1String kHalden("Halden");
} // namespace dialects
