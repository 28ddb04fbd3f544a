#include "discovery/cpiranges.h"

#include "discovery/models.h"

#include <QtGlobal>

CpiRange cpiRangeForModel(int mouseType)
{
    CpiRange r;
    switch (modelRow(mouseType).cpiRange) {
    case CpiRangeGroup::To16000:
        r.minimum = 50;
        r.maximum = 16000;
        r.step = r.coarseStep = 50;
        r.threshold = r.maximum;
        r.middle = 8000;
        break;
    case CpiRangeGroup::To6200:
        r.minimum = 200;
        r.maximum = 6200;
        r.step = r.coarseStep = 100;
        r.threshold = r.maximum;
        r.middle = 3000;
        break;
    case CpiRangeGroup::TwoStepsTo10000:
        r.minimum = 200;
        r.maximum = 10000;
        r.step = 100;
        r.coarseStep = 200;
        r.threshold = 5000;
        r.middle = 5000;
        r.twoSteps = true;
        break;
    case CpiRangeGroup::To5000:
        // The label under the middle of the slider is half the maximum, as
        // on the OX4.
        r.minimum = 200;
        r.maximum = 5000;
        r.step = r.coarseStep = 100;
        r.threshold = r.maximum;
        r.middle = 2500;
        break;
    }
    return r;
}

bool isCpiValueAllowed(int mouseType, int cpi)
{
    const CpiRange r = cpiRangeForModel(mouseType);
    if (cpi < r.minimum || cpi > r.maximum)
        return false;
    const int step = r.twoSteps && cpi >= r.threshold ? r.coarseStep : r.step;
    return step <= 0 || cpi % step == 0;
}

QString cpiRangeText(int mouseType)
{
    const CpiRange r = cpiRangeForModel(mouseType);
    if (!r.twoSteps)
        return QStringLiteral("%1..%2 in steps of %3").arg(r.minimum).arg(r.maximum).arg(r.step);
    return QStringLiteral("%1..%2 in steps of %3, %2..%4 in steps of %5")
        .arg(r.minimum)
        .arg(r.threshold)
        .arg(r.step)
        .arg(r.maximum)
        .arg(r.coarseStep);
}

int cpiStageLimit(int mouseType)
{
    return modelRow(mouseType).cpiStageLimit;
}

bool checkCpiList(int mouseType, const QList<int> &values, QString *why)
{
    const auto refuse = [why](const QString &text) {
        if (why)
            *why = text;
        return false;
    };
    const int limit = cpiStageLimit(mouseType);
    bool anyOn = false;
    for (int i = 0; i < values.size(); ++i) {
        const int v = values.at(i);
        if (v == 0)
            continue;
        if (i >= limit)
            return refuse(QStringLiteral("this model has %1 CPI stages, not %2").arg(limit).arg(i + 1));
        if (!isCpiValueAllowed(mouseType, v))
            return refuse(QStringLiteral("CPI %1 is not possible on this model: %2").arg(v).arg(cpiRangeText(mouseType)));
        anyOn = true;
    }
    if (!anyOn)
        return refuse(QStringLiteral("at least one CPI stage must stay on"));
    return true;
}

int getDefaultCpiValue(int mouseType, int level)
{
    if (level < 0 || level > 6)
        return 200;
    static const int ox6[7] = {800, 1000, 1500, 2000, 3000, 8000, 16000};
    static const int ox1[7] = {400, 800, 1200, 1600, 2000, 2400, 3000};
    static const int ox2[7] = {800, 1200, 1800, 3000, 6200, 200, 200};
    static const int ox2s[7] = {500, 800, 1600, 2000, 2500, 200, 200};
    static const int ox4[7] = {1000, 1500, 2000, 3000, 5000, 200, 200};
    static const int ox5[7] = {400, 800, 1200, 2000, 2500, 200, 200};
    static const int ox7eu[7] = {800, 1000, 1500, 2000, 3000, 4000, 5000};
    switch (modelRow(mouseType).cpiDefaults) {
    case CpiDefaults::Ox6: return ox6[level];
    case CpiDefaults::Ox1: return ox1[level];
    case CpiDefaults::Ox2: return ox2[level];
    case CpiDefaults::Ox2S: return ox2s[level];
    case CpiDefaults::Ox4: return ox4[level];
    case CpiDefaults::Ox5: return ox5[level];
    case CpiDefaults::Ox7EU: return ox7eu[level];
    case CpiDefaults::Flat200: break;
    }
    return 200;
}

int snapOneStepSlider(int value, int step)
{
    if (step <= 0)
        return value;
    return value - value % step;
}

int snapTwoStepSlider(int value, int minimum, int maximum, int fineStep, int coarseStep, int threshold)
{
    if (value < minimum)
        return minimum;
    if (value > maximum)
        return maximum;
    const int step = value < threshold ? fineStep : coarseStep;
    if (step <= 0)
        return value;
    const int remainder = value % step;
    return remainder > 0 ? value - remainder : value;
}

int recalculateOneStep(int value, int minimum, int maximum, int step)
{
    if (value < minimum)
        return minimum;
    if (value > maximum)
        return maximum;
    return step > 0 ? value - value % step : value;
}

int recalculateTwoStep(int value, int minimum, int maximum, int step, int coarseStep, int threshold)
{
    if (value < minimum)
        return minimum;
    if (value > maximum)
        return maximum;
    const int s = value > threshold ? coarseStep : step;
    return s > 0 ? value - value % s : value;
}

// The buttons never leave the range: a value that was off the grid (as a
// device may report it) would otherwise step past the maximum.
int stepUpOneStep(int value, int minimum, int maximum, int step)
{
    if (value >= maximum)
        return value;
    return qBound(minimum, value + step, maximum);
}

int stepDownOneStep(int value, int minimum, int maximum, int step)
{
    if (value <= minimum)
        return value;
    return qBound(minimum, value - step, maximum);
}

int stepUpTwoStep(int value, int minimum, int maximum, int step, int coarseStep, int threshold)
{
    if (value >= maximum)
        return value;
    return qBound(minimum, value + (value < threshold ? step : coarseStep), maximum);
}

int stepDownTwoStep(int value, int minimum, int maximum, int step, int coarseStep, int threshold)
{
    if (value <= minimum)
        return value;
    return qBound(minimum, value - (value > threshold ? coarseStep : step), maximum);
}

int sliderValueAtPosition(double x, int width, int minimum, int maximum)
{
    if (width <= 0)
        return minimum;
    const double clamped = qBound(0.0, x, double(width));
    return int(minimum + clamped / width * (maximum - minimum));
}
