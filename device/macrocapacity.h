#pragma once

#include "config/macronode.h"

#include <QList>

// Whether a macro's events fit the macro memory of a model's mouse (a
// family A macro page, a family B macro slot). A macro that does not fit is
// refused as a whole; no device layer cuts it short. Other faults of a macro
// (a key the device has no code for) are not this function's concern.
bool macroFitsDevice(int mouseType, const QList<MacroNode> &nodes, bool ignoreDelays);
