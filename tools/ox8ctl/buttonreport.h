#pragma once

#include <QJsonArray>

class USBDriverManger;

// What the buttons of the open mouse do, as `show --json` reports it: one
// object per button of the model with its number, name, whether it carries
// its factory function, the assignment in the editor's terms (changeType,
// trueValue, modifier) and, for a macro, the macro as the mouse stores it.
namespace ox8ctl {

QJsonArray buttonReport(USBDriverManger *manager, int mouseType);

} // namespace ox8ctl
