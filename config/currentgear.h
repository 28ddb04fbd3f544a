#pragma once

#include <QJsonObject>

// The CPI gear table of the current profile, shared by the coordinator's
// thread (which loads, replaces and saves it) and the main settings page on
// the GUI thread (which reads it and changes gear values). Every access is
// serialised; callers get and give copies.
QJsonObject currentGearObject();
void setCurrentGearObject(const QJsonObject &object);
