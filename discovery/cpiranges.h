#pragma once

#include <QList>
#include <QString>

// CPI ranges, grids and snapping rules, per model type code: what the CPI
// rows offer, what ox8ctl accepts and what the managers write. Pure
// functions, below both the widgets and the tool.

struct CpiRange
{
    int minimum = 200;
    int maximum = 5000;
    int step = 100;        // the step below threshold (the only one when !twoSteps)
    int coarseStep = 100;  // the step from threshold upwards
    int threshold = 5000;
    int middle = 2500;     // value shown under the middle of the slider
    bool twoSteps = false;
};

CpiRange cpiRangeForModel(int mouseType);

// Whether a CPI value may be set on the model: inside its range and on the
// grid of the step that applies at the value. 0 (a stage switched off) is
// no value.
bool isCpiValueAllowed(int mouseType, int cpi);
// The range in words, for messages: "200..5000 in steps of 100", or for two
// steps "200..5000 in steps of 100, 5000..10000 in steps of 200".
QString cpiRangeText(int mouseType);
// The most CPI stages the model takes (the first entries of a list).
int cpiStageLimit(int mouseType);
// A list of stages (0 = off) the model can take: every value allowed, none
// switched on past the stage limit, at least one on. False with the reason
// otherwise.
bool checkCpiList(int mouseType, const QList<int> &values, QString *why = nullptr);

// Value a level falls back to when its own value lies below the minimum.
// Levels outside 0..6 give 200.
int getDefaultCpiValue(int mouseType, int level);

// Slider release, one step: the grid is anchored at 0, not at the minimum.
int snapOneStepSlider(int value, int step);
// Slider release, two steps: clamp into [minimum, maximum], otherwise round
// down to the step that applies at value (fine below threshold).
int snapTwoStepSlider(int value, int minimum, int maximum, int fineStep, int coarseStep, int threshold);

// Spin box after typing: clamp, otherwise round down to the step.
int recalculateOneStep(int value, int minimum, int maximum, int step);
// Two steps: the coarse step applies above threshold.
int recalculateTwoStep(int value, int minimum, int maximum, int step, int coarseStep, int threshold);

// Value reached by the up and down buttons (unchanged at the ends of the range).
int stepUpOneStep(int value, int minimum, int maximum, int step);
int stepDownOneStep(int value, int minimum, int maximum, int step);
int stepUpTwoStep(int value, int minimum, int maximum, int step, int coarseStep, int threshold);
int stepDownTwoStep(int value, int minimum, int maximum, int step, int coarseStep, int threshold);

// Position-to-value rule of the jumping sliders: minimum + x / width of the
// range, truncated. x is clamped to the widget so a drag past either end
// yields the end value.
int sliderValueAtPosition(double x, int width, int minimum, int maximum);
