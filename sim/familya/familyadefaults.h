#pragma once

#include <QByteArray>

// What a new family A mouse holds: the Korvan default profile record of its
// model (current profile, 0xA9 value, battery word, the 44 button bytes and
// the 68 settings bytes), as the factory ships it.
namespace FamilyADefaults {

constexpr int kRecordSize = 128;
constexpr int kButtonOffset = 16;  // record bytes 16..59
constexpr int kButtonSize = 44;
constexpr int kSettingsOffset = 60; // record bytes 60..127
constexpr int kSettingsSize = 68;

// The 128-byte record of a family A model; empty for any other type code.
QByteArray profileRecord(int mouseType);

} // namespace FamilyADefaults
