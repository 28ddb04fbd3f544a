#pragma once

#include "device/devicetypes.h"

#include <QString>

// Style sheets and texts of the window's indicators and bars, as pure
// functions of the values they show.

struct BatteryIndicator
{
    QString labelText; // empty when the icon says it all
    QString iconStyle;
};

// 0 and 103 (no reading) empty, 101 charging, 102 charged, then five
// levels; values above 103 show the full icon with their number.
BatteryIndicator batteryIndicator(DWORD value);
QString emptyBatteryStyle();

QString connectionIndicatorStyle(bool isWireless);

// Page tab 0..4: the left, the three middle and the right picture.
QString tabButtonStyle(int tab, bool selected);
// Profile button 1..5.
QString profileButtonStyle(int profile, bool selected);

// Title logo of a model.
QString titleLogoStyle(int mouseType);
