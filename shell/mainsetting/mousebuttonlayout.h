#pragma once

#include "discovery/models.h"

#include <QString>
#include <QVector>

// Where the button labels and key markers of each model sit on the main
// settings page. Coordinates are those of the page's LeftWidget: the mouse
// picture (420 x 380) at (70, 10), label columns left and right of it, and
// the key markers in two rows below it.

// The model's group (the model table's button layout column).
ButtonLayoutGroup buttonLayoutGroup(int mouseType);
// The group used for codes outside every group (no model open yet).
constexpr ButtonLayoutGroup kDefaultButtonLayoutGroup = ButtonLayoutGroup::Ox7;

struct MouseButtonPlace
{
    int button = 0;        // the device's button number
    int x = 0;             // label position
    int y = 0;
    int width = 0;         // label picture width, 25 px high
    bool markRight = false; // leader mark on the right end ("_z" picture), for labels left of the mouse
    int marker = 0;        // 1..11: the numbered marker picture of the key label
    int markerX = 0;       // key label position
    int markerY = 0;       // 406 or 436
};

QVector<MouseButtonPlace> mouseButtonLayout(ButtonLayoutGroup group);
// The place of one button in a group; button 0 when the group has none.
MouseButtonPlace mouseButtonPlace(ButtonLayoutGroup group, int button);

// Every button number the page keeps a label for (4..17).
QVector<int> allMouseButtonNumbers();

// Language text of the button's factory function for the model, with the
// "+" of the CPI button removed on OX1-series models.
QString mouseButtonName(int button, int mouseType);

// Object name of the key label of a button ("LeftLabel", ...); empty for
// unknown numbers.
QString keyLabelName(int button);

// Resource path of a label picture: style is "BlueBorder", "WhiteBorder" or
// "BlueBackground".
QString buttonPicturePath(const QString &style, int width, bool markRight);

constexpr int kButtonLabelHeight = 25;
constexpr int kMarkerSize = 24;
