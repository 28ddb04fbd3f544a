#include "editors/lighting/lightrules.h"

#include "discovery/models.h"

#include <QtGlobal>

namespace lightrules {

namespace {

const Rgb kPresets[kPresetCount] = {
    {255, 69, 110}, {255, 94, 67},  {255, 150, 67}, {206, 255, 66}, {154, 255, 67},
    {67, 255, 66},  {75, 159, 96},  {68, 210, 188}, {69, 198, 233}, {67, 149, 255},
    {69, 119, 255}, {66, 103, 255}, {102, 65, 255}, {127, 74, 223}, {149, 74, 221},
    {216, 74, 221}, {186, 255, 108}, {63, 177, 87}, {255, 116, 118}, {186, 105, 80},
    {216, 71, 64},  {75, 116, 166}, {63, 177, 87},  {101, 100, 181}, {135, 101, 239},
};

// Radio button texts of modes 0..5.
const int kModeTexts[kModeCount] = {156, 153, 154, 155, 152, 341};

} // namespace

Rgb presetColor(int n)
{
    if (n < 1 || n > kPresetCount)
        return {0, 0, 0};
    return kPresets[n - 1];
}

bool showsZoneButtons(int mouseType)
{
    return modelRow(mouseType).lightZones != LightZones::LogoOnly;
}

int wheelZoneText(int mouseType)
{
    return modelRow(mouseType).lightZones == LightZones::LogoAndStrip ? 440 : 442;
}

int logoZoneText(int mouseType)
{
    return modelRow(mouseType).lightZones == LightZones::LogoAndStrip ? 441 : 443;
}

bool offersColorChase(int mouseType)
{
    return isOx1Series(mouseType);
}

int modeText(int mode)
{
    return mode >= 0 && mode < kModeCount ? kModeTexts[mode] : -1;
}

LightZoneParam shownZone(const LightZoneParam &zone, int mouseType, int breathMaximum)
{
    LightZoneParam shown = zone;
    const bool showable = zone.mode < kModeCount && (zone.mode != kColorChaseMode || offersColorChase(mouseType));
    if (!showable)
        shown.mode = kDefaultShownMode;
    shown.breathSpeed = quint8(qBound(0, int(zone.breathSpeed), breathMaximum));
    shown.brightness = quint8(qBound(0, int(zone.brightness), kBrightnessMaximum));
    return shown;
}

int breathSliderValue(int speed, int breathMaximum)
{
    return breathMaximum - qBound(0, speed, breathMaximum);
}

int breathSpeedForSlider(int sliderValue, int breathMaximum)
{
    return qBound(0, breathMaximum - sliderValue, breathMaximum);
}

QString zoneSuffix(bool wheelZone)
{
    return wheelZone ? QStringLiteral("_滚轮") : QStringLiteral("_Logo");
}

} // namespace lightrules
