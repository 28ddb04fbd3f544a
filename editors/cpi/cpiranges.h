#pragma once

// CPI ranges and snapping rules of the CPI rows, per model type code. Pure
// functions so the rules are testable without widgets.

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
