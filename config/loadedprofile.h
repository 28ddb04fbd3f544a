#pragma once

#include <QString>
#include <QVector>

// The profile (1..5) last loaded into each model's mouse, kept under APP so
// that the next reading of the mouse, in the window or in the next ox8ctl
// command, names that profile rather than the first profile file that
// happens to hold the same settings (all five do on a fresh installation).
// The mice themselves do not report it.

// APP/system/loadedprofiles.json: {"ox7": 3, ...} by model folder name.
QString loadedProfilesPath();
// 0 when none is recorded (or the file is unusable).
int loadedProfile(int mouseType);
// False when the file could not be written.
bool recordLoadedProfile(int mouseType, int number);

// The profiles 1..5 in the order a reading of the mouse tries them: the one
// loaded last (preferred, when 1..5) first, the others after it in order.
QVector<int> profileSearchOrder(int preferred);
