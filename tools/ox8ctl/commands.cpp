// The command table, and the commands that only read.

#include "tools/ox8ctl/buttonreport.h"
#include "tools/ox8ctl/commands.h"
#include "tools/ox8ctl/session.h"

#include "config/paths.h"
#include "platform/hidbus.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace ox8ctl {

namespace {
constexpr int kBatteryReads = 3;

QString colorText(const quint8 rgb[3])
{
    return QStringLiteral("#%1%2%3")
        .arg(rgb[0], 2, 16, QLatin1Char('0'))
        .arg(rgb[1], 2, 16, QLatin1Char('0'))
        .arg(rgb[2], 2, 16, QLatin1Char('0'))
        .toUpper();
}

QJsonObject lightZoneJson(const LightZoneParam &zone)
{
    return QJsonObject{{QStringLiteral("mode"), lightModeName(zone.mode)},
                       {QStringLiteral("color"), colorText(zone.color1)},
                       {QStringLiteral("speed"), int(zone.breathSpeed)},
                       {QStringLiteral("brightness"), int(zone.brightness)}};
}

// The zones the model has: family A mice and codes 15, 16 light only the logo.
QJsonObject lightingJson(const LightColorParam &light, int mouseType)
{
    QJsonObject zones{{QStringLiteral("logo"), lightZoneJson(light.logo)}};
    if (modelRow(mouseType).lightZones != LightZones::LogoOnly)
        zones.insert(QStringLiteral("wheel"), lightZoneJson(light.wheel));
    return zones;
}
} // namespace

int runCommand(const QString &command, const QStringList &args)
{
    if (command == QLatin1String("list"))
        return args.isEmpty() ? cmdList() : fail(ExitBadArguments, QStringLiteral("usage: ox8ctl list"));
    if (command == QLatin1String("show"))
        return cmdShow(args);
    if (command == QLatin1String("set-cpi"))
        return cmdSetCpi(args);
    if (command == QLatin1String("set-rate"))
        return cmdSetRate(args);
    if (command == QLatin1String("set-button"))
        return cmdSetButton(args);
    if (command == QLatin1String("set-light"))
        return cmdSetLight(args);
    if (command == QLatin1String("profile"))
        return cmdProfile(args);
    if (command == QLatin1String("save"))
        return cmdSave(args);
    if (command == QLatin1String("reset"))
        return cmdReset(args);
    if (command == QLatin1String("export"))
        return cmdExport(args);
    if (command == QLatin1String("import"))
        return cmdImport(args);
    if (command == QLatin1String("pair"))
        return cmdPair(args);
    if (command == QLatin1String("flash"))
        return cmdFlash(args);
    if (command == QLatin1String("check-update"))
        return cmdCheckUpdate(args);
    if (command == QLatin1String("update"))
        return cmdUpdate(args);
    return fail(ExitBadArguments, QStringLiteral("unknown command \"%1\"; try ox8ctl --help").arg(command));
}

int cmdList()
{
    const Picked picked = pickDevice();
    QList<quint16> seen;
    int count = 0;
    int denied = 0;
    for (const HidDeviceInfo &info : hidBus().enumerate()) {
        const bool boot = info.productId == PID_BOOTLOADER
                          || (info.vendorId == VID_CHIP_BOOTLOADER && info.productId == PID_CHIP_BOOTLOADER);
        const FamilySelection selection = selectFamilyForPid(info.productId);
        if (seen.contains(info.productId) || (!boot && (info.vendorId != VID_KORVAN || !selection.isValid())))
            continue;
        seen.append(info.productId);
        const bool chosen = info.productId == picked.productId;
        QString line;
        if (boot) {
            line = QStringLiteral("%1 bootloader\tfirmware-update mode\t%2:%3")
                       .arg(chosen ? QStringLiteral("*") : QStringLiteral(" "))
                       .arg(info.vendorId, 4, 16, QLatin1Char('0'))
                       .arg(info.productId, 4, 16, QLatin1Char('0'));
        } else {
            const ModelIdentity *model = modelForType(selection.mouseType);
            line = QStringLiteral("%1 %2\t%3\ttype %4\t%5\t%6:%7")
                       .arg(chosen ? QStringLiteral("*") : QStringLiteral(" "))
                       .arg(getModelFolderName(selection.mouseType))
                       .arg(QString::fromLatin1(model ? model->name : "?"))
                       .arg(selection.mouseType)
                       .arg(selection.wireless ? QStringLiteral("receiver") : QStringLiteral("cable"))
                       .arg(info.vendorId, 4, 16, QLatin1Char('0'))
                       .arg(info.productId, 4, 16, QLatin1Char('0'));
        }
        if (isAccessDenied(info.productId)) {
            line += QStringLiteral("\tfound, no permission");
            ++denied;
        }
        say(line);
        ++count;
    }
    if (count == 0)
        return fail(ExitNoDevice, QStringLiteral("no supported mouse found"));
    if (denied > 0) {
        // None of them can be used until the rule is there: as good as no mouse.
        const int code = denied == count ? ExitNoDevice : ExitOk;
        fail(code, noPermissionHint());
        return code;
    }
    return ExitOk;
}

int cmdShow(const QStringList &args)
{
    bool json = false;
    for (const QString &a : args) {
        if (a == QLatin1String("--json"))
            json = true;
        else
            return fail(ExitBadArguments, QStringLiteral("show: unknown argument \"%1\"").arg(a));
    }
    const Picked picked = pickDevice();
    Session s;
    LightColorParam light;
    bool lightRead = false;
    QObject::connect(&s.dc, &DCDataHandle::sig_SetLightParameterOnPage, [&](const LightColorParam &p) {
        light = p;
        lightRead = true;
    });
    if (const int rc = openSession(s, picked, true))
        return rc;
    // A mouse whose settings match no profile file is read all the same.
    if (s.profile == 0)
        s.dc.refreshPages();
    if (s.isWireless) {
        // The battery filter needs three steady readings.
        for (int i = 0; i < kBatteryReads; ++i)
            s.dc.slot_GetBatteryPower();
    }
    const bool batteryKnown = s.isWireless && s.battery >= 0 && s.battery != qint64(DCDataHandle::kBatteryUnknown);

    QJsonArray cpi;
    for (int i = 0; i < 7; ++i)
        cpi.append(i < s.cpi.size() ? double(s.cpi.at(i)) : 0.0);
    const ModelIdentity *model = modelForType(s.mouseType);
    if (json) {
        QJsonObject o;
        o.insert(QStringLiteral("model"), getModelFolderName(s.mouseType));
        o.insert(QStringLiteral("name"), QString::fromLatin1(model ? model->name : ""));
        o.insert(QStringLiteral("typeCode"), s.mouseType);
        o.insert(QStringLiteral("wireless"), s.isWireless);
        o.insert(QStringLiteral("productId"), hex4(picked.productId));
        o.insert(QStringLiteral("firmwareVersion"), s.version);
        o.insert(QStringLiteral("profile"), s.profile);
        o.insert(QStringLiteral("cpi"), cpi);
        o.insert(QStringLiteral("reportRateHz"), reportRateHz(s.rateIndex));
        o.insert(QStringLiteral("battery"), batteryKnown ? QJsonValue(double(s.battery)) : QJsonValue());
        o.insert(QStringLiteral("buttons"), buttonReport(s.dc.manager(), s.mouseType));
        o.insert(QStringLiteral("lighting"), lightRead ? QJsonValue(lightingJson(light, s.mouseType)) : QJsonValue());
        std::fprintf(stdout, "%s\n", QJsonDocument(o).toJson(QJsonDocument::Compact).constData());
        return ExitOk;
    }
    QStringList stages;
    for (const QJsonValue &v : cpi)
        stages << (v.toInt() == 0 ? QStringLiteral("off") : QString::number(v.toInt()));
    say(QStringLiteral("Model:        %1 (%2, type %3)")
            .arg(QString::fromLatin1(model ? model->name : "?"), getModelFolderName(s.mouseType))
            .arg(s.mouseType));
    say(QStringLiteral("Connection:   %1").arg(s.isWireless ? QStringLiteral("receiver") : QStringLiteral("cable")));
    say(QStringLiteral("Firmware:     %1").arg(s.version));
    say(QStringLiteral("Profile:      %1")
            .arg(s.profile ? QString::number(s.profile) : QStringLiteral("none matches the profile files")));
    say(QStringLiteral("CPI stages:   %1").arg(stages.join(QStringLiteral(", "))));
    say(QStringLiteral("Report rate:  %1 Hz").arg(reportRateHz(s.rateIndex)));
    if (lightRead) {
        const QJsonObject zones = lightingJson(light, s.mouseType);
        for (auto it = zones.constBegin(); it != zones.constEnd(); ++it) {
            const QJsonObject z = it.value().toObject();
            say(QStringLiteral("Light %1:%2%3 %4, speed %5, brightness %6")
                    .arg(it.key(), QString(7 - it.key().size(), QLatin1Char(' ')),
                         z.value(QStringLiteral("mode")).toString(), z.value(QStringLiteral("color")).toString())
                    .arg(z.value(QStringLiteral("speed")).toInt())
                    .arg(z.value(QStringLiteral("brightness")).toInt()));
        }
    }
    say(QStringLiteral("Battery:      %1")
            .arg(batteryKnown ? QStringLiteral("%1 %").arg(s.battery) : QStringLiteral("unknown")));
    return ExitOk;
}

} // namespace ox8ctl
