#pragma once

#include <QImage>
#include <QString>

struct MouseModel;

// Title logo: emblem, "KORVAN" and the model name.
QImage logoPicture(const QString &modelName);
// Busy spinner; turned in quarter steps by the overlay.
QImage spinnerPicture();

enum class Battery { Empty, Level1, Level2, Level3, Level4, Level5, Charging, ChargingFull };
QImage batteryPicture(Battery state);

QImage connectionPicture(bool wireless);
// Numbered marker for the button labels beside the mouse picture.
QImage badgePicture(int number);

enum class TabPosition { Left, Centre, Right };
QImage tabPicture(TabPosition position, bool selected);
QImage profilePicture(bool last, bool selected);
QImage keySelectPicture();
QImage colourWheelPicture();

enum class MacroIcon { KeyDown, KeyUp, Delay, Movement };
QImage macroIcon(MacroIcon icon);

enum class Page { Macro, Light, Support };
// model may be null for the shared page background.
QImage pageBackground(Page page, const MouseModel *model);

QImage popupPicture();

enum class TitleButton { Minimise, Close };
QImage titleButtonPicture(TitleButton button, bool hover);

enum class Indicator { CheckOff, CheckOn, CheckHover, CheckDisabled, RadioOff, RadioOn, RadioHover, RadioDisabled };
QImage indicatorPicture(Indicator kind);

QImage arrowPicture(bool up, int width, int height, bool dim = false);
QImage chevronPicture(bool right);

enum class Tool { Brush, Text, Erase, Undo, Picture };
QImage toolPicture(Tool tool, bool selected);

// Steps 1..5 of pairing a mouse with its receiver.
QImage pairingPicture(int step);

QImage trayPicture();
// The application icon, s × s pixels (the desktop menu and software centres).
QImage appIconPicture(int s);

// Firmware update warning with the text in one language.
QImage bannerPicture(const QString &text, const QString &fontFamily);

enum class TagStyle { BlueBorder, WhiteBorder, BlueBackground };
// Button label of the main settings page; pointerRight puts the leader mark at the right end.
QImage tagPicture(TagStyle style, int width, bool pointerRight);
