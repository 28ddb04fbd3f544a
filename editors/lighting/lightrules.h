#pragma once

#include "device/devicetypes.h"

#include <QString>

// What the lighting page decides without its widgets: the preset colours,
// the per-model zone facts, the values a zone record is shown with, and the
// texts of its analytics events.
namespace lightrules {

constexpr int kPresetCount = 25;
constexpr int kColorChaseMode = 5;
constexpr int kColorCycleMode = 4;
constexpr int kModeCount = 6;
constexpr int kBrightnessMaximum = 9;
// Breathing speed steps: family A mice know 5, the others 10.
constexpr int kFamilyABreathMaximum = 4;
constexpr int kOtherBreathMaximum = 9;

struct Rgb
{
    int red;
    int green;
    int blue;
};

// Preset button n (1..25); black outside.
Rgb presetColor(int n);

// Zone facts of a model.
// Both zone buttons are shown (the model has a wheel and a logo zone).
bool showsZoneButtons(int mouseType);
// Language text numbers of the wheel and logo zone buttons.
int wheelZoneText(int mouseType);
int logoZoneText(int mouseType);
// The colour-chase box (mode 5) is offered.
bool offersColorChase(int mouseType);

// Language text of a light mode 0..5; -1 for any other value.
int modeText(int mode);

// The values a zone record is shown with. A mouse may report anything in
// its bytes (erased memory reads 0xFF): a mode the page cannot show (beyond
// 0..5, or colour chase on a model without it) shows as constant light, and
// speed and brightness are held to their scales.
constexpr int kDefaultShownMode = 1;
LightZoneParam shownZone(const LightZoneParam &zone, int mouseType, int breathMaximum);

// Breathing slider position for a stored speed, and the speed a position
// sends: the slider runs from slow to fast, the mouse counts the other way.
int breathSliderValue(int speed, int breathMaximum);
int breathSpeedForSlider(int sliderValue, int breathMaximum);

// "_滚轮" for the wheel zone, "_Logo" for the logo zone.
QString zoneSuffix(bool wheelZone);

} // namespace lightrules
