// Profile commands: load a profile into the mouse, save the mouse as one,
// factory reset, and a profile's file out and back in.

#include "tools/ox8ctl/commands.h"
#include "tools/ox8ctl/session.h"

#include "config/atomicfile.h"
#include "config/currentgear.h"
#include "config/gearhandle.h"
#include "config/jsonhandle.h"
#include "config/paths.h"
#include "config/profileexport.h"
#include "device/devicefactory.h"
#include "device/usbdrivermanager.h"
#include "platform/safefile.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace ox8ctl {

int cmdProfile(const QStringList &args)
{
    int number = 0;
    if (args.size() != 1)
        return fail(ExitBadArguments, QStringLiteral("usage: ox8ctl profile N"));
    if (const int rc = parseProfileNumber(args.first(), number))
        return rc;
    Session s;
    if (const int rc = openSession(s, pickDevice(), true))
        return rc;
    markUnfinishedChange(s.mouseType, ChangeKind::Apply, number);
    s.dc.slot_LoadLocalConfigFileAndWriteIntoMouse(number);
    return checkWrite(s, QStringLiteral("loading profile %1").arg(number));
}

int cmdSave(const QStringList &args)
{
    int number = 0;
    if (args.size() != 1)
        return fail(ExitBadArguments, QStringLiteral("usage: ox8ctl save N"));
    if (const int rc = parseProfileNumber(args.first(), number))
        return rc;
    Session s;
    if (const int rc = openSession(s, pickDevice(), true))
        return rc;
    markUnfinishedChange(s.mouseType, ChangeKind::Save, number);
    if (number == 1) {
        s.dc.slot_SaveProfileToConfig1();
        return checkWrite(s, QStringLiteral("saving profile 1"));
    }
    if (!s.dc.manager()->SaveConfigFileByConfigureNumber(number))
        return fail(ExitDeviceFailure, QStringLiteral("cannot write profile %1").arg(number));
    const QJsonObject gear = currentGearObject();
    if (!gear.isEmpty() && !JsonHandle::writeJsonFile(getCpiSettingFilePath(s.mouseType, number), gear))
        return fail(ExitDeviceFailure, QStringLiteral("cannot write the CPI table of profile %1").arg(number));
    return ExitOk;
}

int cmdReset(const QStringList &args)
{
    if (!args.isEmpty())
        return fail(ExitBadArguments, QStringLiteral("usage: ox8ctl reset"));
    Session s;
    if (const int rc = openSession(s, pickDevice(), false))
        return rc;
    markUnfinishedChange(s.mouseType, ChangeKind::Reset, 0);
    s.dc.slot_ResetConfigToOriginal();
    return checkWrite(s, QStringLiteral("the factory reset"));
}

int cmdExport(const QStringList &args)
{
    int number = 0;
    if (args.size() != 2)
        return fail(ExitBadArguments, QStringLiteral("usage: ox8ctl export N FILE"));
    if (const int rc = parseProfileNumber(args.at(0), number))
        return rc;
    const Picked picked = pickDevice();
    if (picked.productId == 0 || picked.bootLoader)
        return fail(ExitNoDevice, QStringLiteral("no supported mouse found"));
    const int type = picked.mouseType;
    // Reading through the stores leaves a missing profile with its defaults.
    JsonHandle json;
    if (isFamilyA(type))
        json.getMouseData_Korvan(type, number);
    else
        json.getMouseData_Halden(type, number);
    const QJsonDocument config = QJsonDocument::fromJson(JsonHandle::readFileBytes(getConfigJsonFilePath(type, number)));
    GearHandle gearHandle;
    QJsonObject gear = gearHandle.readGearFile(type, number);
    if (!gear.contains(QStringLiteral("GearData")))
        gear = gearHandle.createGearObject(type);

    ProfileExport exported;
    exported.model = getModelFolderName(type);
    exported.typeCode = type;
    exported.profile = number;
    exported.config = config.object();
    exported.cpiSetting = gear;
    // The files under APP are the program's own: an export onto one would
    // destroy it (a profile exported onto itself, say).
    if (isPathInside(args.at(1), getAppDir()))
        return fail(ExitBadArguments, QStringLiteral("%1 lies inside %2; export to a file outside it")
                                          .arg(args.at(1), getAppDir()));
    if (!writeFileAtomically(args.at(1), writeProfileExport(exported)))
        return fail(ExitBadArguments, QStringLiteral("cannot write %1 (not a regular file, or no such folder)").arg(args.at(1)));
    return ExitOk;
}

int cmdImport(const QStringList &args)
{
    int number = 0;
    if (args.size() != 2)
        return fail(ExitBadArguments, QStringLiteral("usage: ox8ctl import N FILE"));
    if (const int rc = parseProfileNumber(args.at(0), number))
        return rc;
    // Only a regular file, read without blocking (a FIFO would hang here).
    QByteArray bytes;
    switch (readRegularFile(args.at(1), kMaxProfileExportSize, bytes)) {
    case ReadResult::Ok:
        break;
    case ReadResult::TooLarge:
        return fail(ExitBadArguments, QStringLiteral("%1 is too large for a profile").arg(args.at(1)));
    case ReadResult::NotRegular:
        return fail(ExitBadArguments, QStringLiteral("cannot read %1: not a regular file").arg(args.at(1)));
    default:
        return fail(ExitBadArguments, QStringLiteral("cannot read %1").arg(args.at(1)));
    }
    ProfileExport imported;
    if (!readProfileExport(bytes, imported))
        return fail(ExitBadArguments, QStringLiteral("%1 is no profile written by ox8ctl export").arg(args.at(1)));

    const Picked picked = pickDevice();
    if (picked.productId == 0 || picked.bootLoader)
        return fail(ExitNoDevice, QStringLiteral("no supported mouse found"));
    const QString model = imported.model;
    if (model != getModelFolderName(picked.mouseType))
        return fail(ExitBadArguments, QStringLiteral("the profile is for %1, the mouse is %2")
                                          .arg(model, getModelFolderName(picked.mouseType)));
    // Every value must be one the model can work with: a profile that is not
    // would be written into the mouse by the next "profile N".
    QByteArray block;
    QString why;
    const int blockSize = isFamilyA(picked.mouseType) ? JsonHandle::kKorvanBlockSize : JsonHandle::kHaldenBlockSize;
    if (!readStrictProfileBlock(imported.config, blockSize, block, &why)
        || !checkProfileBlock(picked.mouseType, block, &why))
        return fail(ExitBadArguments, QStringLiteral("%1 does not fit the %2: %3")
                                          .arg(args.at(1), QString::fromLatin1(modelRow(picked.mouseType).name), why));
    // The profile the mouse holds now is loaded again once replaced, or the
    // mouse would match none of its profiles; another profile only changes
    // its file.
    Session s;
    if (const int rc = openSession(s, picked, true))
        return rc;
    const bool active = s.profile == number;
    if (active)
        markUnfinishedChange(s.mouseType, ChangeKind::Apply, number);
    if (!JsonHandle::writeJsonFile(getConfigJsonFilePath(picked.mouseType, number), imported.config))
        return fail(ExitDeviceFailure, QStringLiteral("cannot write profile %1").arg(number));
    // The file's CPI table is written only when it is complete.
    if (!imported.cpiSetting.isEmpty()
        && !JsonHandle::writeJsonFile(getCpiSettingFilePath(picked.mouseType, number), imported.cpiSetting))
        return fail(ExitDeviceFailure, QStringLiteral("cannot write the CPI table of profile %1").arg(number));
    if (!active)
        return ExitOk;
    s.dc.slot_LoadLocalConfigFileAndWriteIntoMouse(number);
    return checkWrite(s, QStringLiteral("loading profile %1").arg(number));
}

} // namespace ox8ctl
