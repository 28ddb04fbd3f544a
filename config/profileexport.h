#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QtGlobal>

// One profile of one model with its CPI table, as `ox8ctl export` writes it
// and `ox8ctl import` reads it back: a JSON object with "format"
// "ox8ctl-profile", "version" 1, the model folder name ("model"), its type
// code ("typeCode"), the profile number ("profile"), the profile file's root
// ("config") and the CPI table file's root ("cpiSetting").
struct ProfileExport
{
    QString model;
    int typeCode = 0;
    int profile = 0;
    QJsonObject config;
    QJsonObject cpiSetting;
};

// Anything larger is no exported profile.
constexpr qint64 kMaxProfileExportSize = 4 * 1024 * 1024;

// The bytes of the file (indented JSON).
QByteArray writeProfileExport(const ProfileExport &profile);

// False, and out untouched, for anything but such a file: larger than
// kMaxProfileExportSize, not a JSON object, another format, or a config
// without its gaming-mode object. A CPI table whose "GearData" is not seven
// entries long is left out (cpiSetting empty): the profile alone still
// imports. The model and numbers are read as they stand; the caller checks
// them against the mouse.
bool readProfileExport(const QByteArray &bytes, ProfileExport &out);

// The settings block of a profile file's root (an imported "config"), read
// strictly: "MouseDataOfGamingMode" must hold exactly the members "0" ..
// blockSize - 1, each a whole number 0..255, and "MacroDataOfGamingMode",
// when present, only macro objects whose numbers lie in range. False with
// the reason otherwise (block untouched). What the values mean is the
// model's business (device/devicefactory.h, checkProfileBlock).
bool readStrictProfileBlock(const QJsonObject &config, int blockSize, QByteArray &block, QString *why = nullptr);
