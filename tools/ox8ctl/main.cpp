// ox8ctl: the command-line face of OX8Driver. It drives the same data
// coordinator, managers and drivers as the application, on the real HID bus
// or on an emulated mouse whose memory lives in a state file.

#include "tools/ox8ctl/ox8ctl.h"

#include "config/atomicfile.h"
#include "discovery/checkdevice.h"
#include "platform/clock.h"
#include "config/currentgear.h"
#include "coordinator/dcdatahandle.h"
#include "device/devicetypes.h"
#include "device/familya/fwupdate.h"
#include "config/gearhandle.h"
#include "platform/hidbus.h"
#include "config/jsonhandle.h"
#include "discovery/models.h"
#include "config/paths.h"
#include "config/warningtype.h"
#include "sim/simulation.h"
#include "device/usbdrivermanager.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <cstdio>
#include <memory>

using namespace ox8ctl;

namespace {

constexpr qint64 kMaxImportFileSize = 4 * 1024 * 1024;
constexpr int kBatteryReads = 3;
// Longest a pairing or an update may take before the tool gives up waiting
// (the coordinator ends pairing after 20 s itself).
constexpr int kPairingWaitMs = 30000;
constexpr int kFlashWaitMs = 15 * 60 * 1000;

bool g_verbose = false;

void messageHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (!g_verbose && type != QtFatalMsg)
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

void say(const QString &text)
{
    std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
}

int fail(int code, const QString &text)
{
    std::fprintf(stderr, "ox8ctl: %s\n", text.toLocal8Bit().constData());
    return code;
}

QString hex4(quint16 v)
{
    return QStringLiteral("0x%1").arg(v, 4, 16, QLatin1Char('0'));
}

// --- Which mouse -----------------------------------------------------------------------

struct Picked
{
    quint16 productId = 0;
    int mouseType = 0;
    bool wireless = false;
    bool bootLoader = false;
    int bootType = 0; // model of a family A mouse in its boot loader, 0 unknown
};

// The device watcher's choice, then (for the ids it does not watch, such as
// the OX5's) the first supported id on the bus.
Picked pickDevice()
{
    Picked picked;
    CheckDevice watcher(&hidBus(), 1000);
    watcher.stopTheTimer();
    bool found = false;
    uint foundId = 0;
    QObject::connect(&watcher, &CheckDevice::sigFound, [&](bool f, uint pid, uint) {
        found = f;
        foundId = pid;
    });
    QObject::connect(&watcher, &CheckDevice::sigBlootDescriptor, [&](int type) { picked.bootType = type; });
    watcher.tick();
    if (found && foundId == PID_BOOTLOADER) {
        picked.productId = PID_BOOTLOADER;
        picked.bootLoader = true;
        picked.mouseType = picked.bootType;
        return picked;
    }
    if (found && foundId != PID_CHIP_BOOTLOADER) {
        picked.productId = quint16(foundId);
    } else {
        for (const HidDeviceInfo &info : hidBus().enumerate()) {
            if (info.vendorId == VID_KORVAN && selectFamilyForPid(info.productId).isValid()) {
                picked.productId = info.productId;
                break;
            }
        }
    }
    const FamilySelection selection = selectFamilyForPid(picked.productId);
    if (!selection.isValid()) {
        picked.productId = 0;
        return picked;
    }
    picked.mouseType = selection.mouseType;
    picked.wireless = selection.wireless;
    return picked;
}

// --- A coordinator and what it reported ----------------------------------------------------

class Session
{
public:
    Session()
    {
        QObject::connect(&dc, &DCDataHandle::sig_OpenDeviceResult, [this](bool ok, int type, bool wireless) {
            opened = ok;
            mouseType = type;
            isWireless = wireless;
        });
        QObject::connect(&dc, &DCDataHandle::sig_ShowWarningDialog, [this](int w) { warnings.append(w); });
        QObject::connect(&dc, &DCDataHandle::sig_SetCurrentCpiListValueOnPage,
                         [this](const QList<DWORD> &v) { cpi = v; });
        QObject::connect(&dc, &DCDataHandle::sig_SetCurrentReportRate, [this](int v) { rateIndex = v; });
        QObject::connect(&dc, &DCDataHandle::sig_SetCurrentConfigure, [this](int n) { profile = n; });
        QObject::connect(&dc, &DCDataHandle::sig_VersionNumber, [this](int v) { version = v; });
        QObject::connect(&dc, &DCDataHandle::sig_BatteryPower, [this](DWORD v) { battery = qint64(v); });
    }

    bool open(const Picked &picked)
    {
        dc.slot_OpenDevice(picked.productId, VID_KORVAN);
        return opened;
    }

    // Warnings raised since the last call.
    QList<int> takeWarnings()
    {
        QList<int> out = warnings;
        warnings.clear();
        return out;
    }

    DCDataHandle dc;
    bool opened = false;
    int mouseType = 0;
    bool isWireless = false;
    QList<int> warnings;
    QList<DWORD> cpi;
    int rateIndex = -1;
    int profile = 0;
    int version = 0;
    qint64 battery = -1;
};

// Opens the picked mouse; on failure returns the exit code to use.
int openSession(Session &session, const Picked &picked, bool readMustSucceed)
{
    if (picked.productId == 0)
        return fail(ExitNoDevice, QStringLiteral("no supported mouse found"));
    if (picked.bootLoader)
        return fail(ExitNoDevice, QStringLiteral("the mouse is in its firmware-update mode; use: ox8ctl flash FILE"));
    if (!session.open(picked)) {
        if (session.warnings.contains(Warning::ReceiverMismatch))
            return fail(ExitDeviceFailure, QStringLiteral("the receiver is paired with a mouse of another model"));
        return fail(ExitDeviceFailure,
                    QStringLiteral("cannot open the mouse %1 (is the udev rule installed?)").arg(hex4(picked.productId)));
    }
    const QList<int> warnings = session.takeWarnings();
    if (readMustSucceed && warnings.contains(Warning::ReadWriteFailed))
        return fail(ExitDeviceFailure, QStringLiteral("reading the mouse failed"));
    return ExitOk;
}

int checkWrite(Session &session, const QString &what)
{
    const QList<int> warnings = session.takeWarnings();
    if (warnings.contains(Warning::ReadWriteFailed))
        return fail(ExitDeviceFailure, QStringLiteral("%1 failed: the mouse did not take it").arg(what));
    if (warnings.contains(Warning::OnlyLeftButton))
        return fail(ExitDeviceFailure, QStringLiteral("refused: the only button with a left click must keep it"));
    return ExitOk;
}

int parseProfileNumber(const QString &text, int &number)
{
    bool ok = false;
    number = text.toInt(&ok);
    if (!ok || number < 1 || number > 5)
        return fail(ExitBadArguments, QStringLiteral("profile number must be 1..5, not \"%1\"").arg(text));
    return ExitOk;
}

// --- Commands ------------------------------------------------------------------------------------

int cmdList()
{
    const Picked picked = pickDevice();
    QList<quint16> seen;
    int count = 0;
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
        say(line);
        ++count;
    }
    if (count == 0)
        return fail(ExitNoDevice, QStringLiteral("no supported mouse found"));
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
    say(QStringLiteral("Battery:      %1")
            .arg(batteryKnown ? QStringLiteral("%1 %").arg(s.battery) : QStringLiteral("unknown")));
    return ExitOk;
}

int cmdSetCpi(const QStringList &args)
{
    if (args.size() != 1)
        return fail(ExitBadArguments, QStringLiteral("usage: ox8ctl set-cpi V1,V2,..."));
    QList<int> values;
    QString error;
    if (!parseCpiList(args.first(), values, error))
        return fail(ExitBadArguments, error);
    Session s;
    if (const int rc = openSession(s, pickDevice(), true))
        return rc;
    QList<DWORD> list;
    for (int v : values)
        list.append(DWORD(v));
    s.dc.slot_setCPIListValueOnMouse(list);
    return checkWrite(s, QStringLiteral("setting the CPI stages"));
}

int cmdSetRate(const QStringList &args)
{
    const int index = args.size() == 1 ? reportRateIndex(args.first()) : -1;
    if (index < 0)
        return fail(ExitBadArguments, QStringLiteral("usage: ox8ctl set-rate 125|250|500|1000"));
    Session s;
    if (const int rc = openSession(s, pickDevice(), true))
        return rc;
    s.dc.slot_ChangeUsbReportRate(index);
    return checkWrite(s, QStringLiteral("setting the report rate"));
}

int cmdSetButton(const QStringList &args)
{
    if (args.size() != 2)
        return fail(ExitBadArguments, QStringLiteral("usage: ox8ctl set-button BUTTON FUNCTION"));
    const int button = buttonCode(args.at(0));
    if (button == 0)
        return fail(ExitBadArguments, QStringLiteral("unknown button \"%1\"").arg(args.at(0)));
    ButtonAssignment assignment;
    QString error;
    if (!parseButtonFunction(args.at(1), assignment, error))
        return fail(ExitBadArguments, error);
    Session s;
    if (const int rc = openSession(s, pickDevice(), true))
        return rc;
    s.dc.slot_ChangeButtonToKey(button, assignment.trueValue, assignment.modifier, assignment.changeType);
    return checkWrite(s, QStringLiteral("assigning the button"));
}

int cmdSetLight(const QStringList &args)
{
    QStringList rest = args;
    QString zone;
    const int zoneAt = rest.indexOf(QStringLiteral("--zone"));
    if (zoneAt >= 0) {
        if (zoneAt + 1 >= rest.size())
            return fail(ExitBadArguments, QStringLiteral("--zone needs wheel or logo"));
        zone = rest.at(zoneAt + 1).toLower();
        rest.removeAt(zoneAt + 1);
        rest.removeAt(zoneAt);
        if (zone != QLatin1String("wheel") && zone != QLatin1String("logo"))
            return fail(ExitBadArguments, QStringLiteral("--zone needs wheel or logo"));
    }
    if (rest.isEmpty() || rest.size() > 2)
        return fail(ExitBadArguments, QStringLiteral("usage: ox8ctl set-light MODE [#RRGGBB] [--zone wheel|logo]"));
    const int mode = lightMode(rest.at(0));
    if (mode < 0)
        return fail(ExitBadArguments, QStringLiteral("unknown light mode \"%1\"").arg(rest.at(0)));
    quint32 color = 0;
    const bool haveColor = rest.size() == 2;
    if (haveColor && !parseColor(rest.at(1), color))
        return fail(ExitBadArguments, QStringLiteral("colour must be #RRGGBB, not \"%1\"").arg(rest.at(1)));

    const Picked picked = pickDevice();
    Session s;
    if (const int rc = openSession(s, picked, true))
        return rc;
    QList<bool> zones; // true = wheel zone
    if (isFamilyA(s.mouseType)) {
        if (zone == QLatin1String("wheel"))
            return fail(ExitBadArguments, QStringLiteral("this model has no wheel light zone"));
        zones << false;
    } else if (zone.isEmpty()) {
        zones << true << false;
    } else {
        zones << (zone == QLatin1String("wheel"));
    }
    for (bool wheel : zones) {
        s.dc.slot_setMouseLightMode(wheel, mode);
        if (haveColor)
            s.dc.slot_SetMouseColor(wheel, QList<COLORREF>{color});
    }
    return checkWrite(s, QStringLiteral("setting the light"));
}

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
    if (number == 1) {
        s.dc.slot_SaveProfileToConfig1();
        return checkWrite(s, QStringLiteral("saving profile 1"));
    }
    s.dc.manager()->SaveConfigFileByConfigureNumber(number);
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

    QJsonObject o;
    o.insert(QStringLiteral("format"), QStringLiteral("ox8ctl-profile"));
    o.insert(QStringLiteral("version"), 1);
    o.insert(QStringLiteral("model"), getModelFolderName(type));
    o.insert(QStringLiteral("typeCode"), type);
    o.insert(QStringLiteral("profile"), number);
    o.insert(QStringLiteral("config"), config.object());
    o.insert(QStringLiteral("cpiSetting"), gear);
    if (!writeFileAtomically(args.at(1), QJsonDocument(o).toJson(QJsonDocument::Indented)))
        return fail(ExitBadArguments, QStringLiteral("cannot write %1").arg(args.at(1)));
    return ExitOk;
}

int cmdImport(const QStringList &args)
{
    int number = 0;
    if (args.size() != 2)
        return fail(ExitBadArguments, QStringLiteral("usage: ox8ctl import N FILE"));
    if (const int rc = parseProfileNumber(args.at(0), number))
        return rc;
    QFile file(args.at(1));
    if (!file.open(QIODevice::ReadOnly))
        return fail(ExitBadArguments, QStringLiteral("cannot read %1").arg(args.at(1)));
    if (file.size() > kMaxImportFileSize)
        return fail(ExitBadArguments, QStringLiteral("%1 is too large for a profile").arg(args.at(1)));
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.read(kMaxImportFileSize + 1), &parseError);
    const QJsonObject o = doc.object();
    const QJsonObject config = o.value(QStringLiteral("config")).toObject();
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()
        || o.value(QStringLiteral("format")).toString() != QLatin1String("ox8ctl-profile")
        || !config.value(QStringLiteral("MouseDataOfGamingMode")).isObject())
        return fail(ExitBadArguments, QStringLiteral("%1 is no profile written by ox8ctl export").arg(args.at(1)));

    const Picked picked = pickDevice();
    if (picked.productId == 0 || picked.bootLoader)
        return fail(ExitNoDevice, QStringLiteral("no supported mouse found"));
    const QString model = o.value(QStringLiteral("model")).toString();
    if (model != getModelFolderName(picked.mouseType))
        return fail(ExitBadArguments, QStringLiteral("the profile is for %1, the mouse is %2")
                                          .arg(model, getModelFolderName(picked.mouseType)));
    if (!JsonHandle::writeJsonFile(getConfigJsonFilePath(picked.mouseType, number), config))
        return fail(ExitDeviceFailure, QStringLiteral("cannot write profile %1").arg(number));
    const QJsonObject gear = o.value(QStringLiteral("cpiSetting")).toObject();
    const QJsonArray gearData = gear.value(QStringLiteral("GearData")).toArray();
    if (gearData.size() == 7
        && !JsonHandle::writeJsonFile(getCpiSettingFilePath(picked.mouseType, number), gear))
        return fail(ExitDeviceFailure, QStringLiteral("cannot write the CPI table of profile %1").arg(number));
    return ExitOk;
}

int cmdPair(const QStringList &args)
{
    if (!args.isEmpty())
        return fail(ExitBadArguments, QStringLiteral("usage: ox8ctl pair"));
    Session s;
    if (const int rc = openSession(s, pickDevice(), false))
        return rc;
    QEventLoop loop;
    bool started = false;
    bool paired = false;
    bool finished = false;
    QObject::connect(&s.dc, &DCDataHandle::sig_startCode, [&](bool ok) {
        started = ok;
        if (!ok)
            loop.quit();
    });
    QObject::connect(&s.dc, &DCDataHandle::sig_finishCode, [&](bool ok) {
        paired = ok;
        finished = true;
        loop.quit();
    });
    s.dc.slot_startCode();
    if (!started)
        return fail(ExitDeviceFailure, s.isWireless ? QStringLiteral("the receiver did not start pairing")
                                                    : QStringLiteral("pairing needs the mouse's receiver"));
    std::fprintf(stderr, "Pairing: switch the mouse on and press left, middle and right together...\n");
    QTimer::singleShot(kPairingWaitMs, &loop, &QEventLoop::quit);
    if (!finished)
        loop.exec();
    if (!paired)
        return fail(ExitDeviceFailure, QStringLiteral("pairing failed or timed out"));
    say(QStringLiteral("paired"));
    return ExitOk;
}

int cmdFlash(const QStringList &args)
{
    if (args.size() != 1)
        return fail(ExitBadArguments, QStringLiteral("usage: ox8ctl flash FILE"));
    QByteArray image;
    if (!QFileInfo(args.first()).isFile() || !FwUpdate::LoadImage(args.first(), image))
        return fail(ExitBadArguments,
                    QStringLiteral("%1 is no firmware image (1 byte..128 KiB, not .hex)").arg(args.first()));

    const Picked picked = pickDevice();
    Session s;
    int type = picked.mouseType;
    if (picked.bootLoader) {
        if (type == NoModel)
            return fail(ExitNoDevice, QStringLiteral("a mouse in firmware-update mode, but its model is unknown"));
    } else {
        if (const int rc = openSession(s, picked, false))
            return rc;
        type = s.mouseType;
    }
    if (!isFamilyA(type))
        return fail(ExitBadArguments, QStringLiteral("flashing is offered for family A models only"));

    QEventLoop loop;
    bool done = false;
    int lastPercent = -1;
    QObject::connect(&s.dc, &DCDataHandle::sig_ProcessVaule, [&](int percent) {
        if (percent == lastPercent)
            return;
        lastPercent = percent;
        const int width = 40;
        const int filled = qBound(0, percent, 100) * width / 100;
        const QByteArray bar = QByteArray(filled, '#') + QByteArray(width - filled, '.');
        std::fprintf(stderr, "\r[%s] %3d%%", bar.constData(), percent);
        std::fflush(stderr);
    });
    auto finish = [&]() {
        done = true;
        loop.quit();
    };
    QObject::connect(&s.dc, &DCDataHandle::sig_closeUpdatingWidget, finish);
    QObject::connect(&s.dc, &DCDataHandle::sig_ShowWarningDialog, [&](int w) {
        if (w == Warning::TooManyUpdates || w == Warning::UpdateNeedsCable)
            finish();
    });
    s.takeWarnings();
    s.dc.slot_UpdateFirmwareKorvan(args.first(), getModelFolderName(type));
    QTimer::singleShot(kFlashWaitMs, &loop, &QEventLoop::quit);
    if (!done)
        loop.exec();
    if (lastPercent >= 0)
        std::fprintf(stderr, "\n");
    const QList<int> warnings = s.takeWarnings();
    if (warnings.contains(Warning::UpdateNeedsCable))
        return fail(ExitDeviceFailure, QStringLiteral("a firmware update needs the cable connection"));
    if (warnings.contains(Warning::TooManyUpdates))
        return fail(ExitDeviceFailure, QStringLiteral("too many update attempts"));
    if (!warnings.contains(Warning::UpdateSucceeded))
        return fail(ExitDeviceFailure, QStringLiteral("the firmware update failed"));
    say(QStringLiteral("firmware updated"));
    return ExitOk;
}

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
    return fail(ExitBadArguments, QStringLiteral("unknown command \"%1\"; try ox8ctl --help").arg(command));
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(messageHandler);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ox8ctl"));
    registerDeviceMetaTypes();

    QStringList args = QCoreApplication::arguments().mid(1);
    QString simulate;
    QString statePath;
    bool haveState = false;
    bool realTime = false;
    // Global options come before the command.
    while (!args.isEmpty() && args.first().startsWith(QLatin1Char('-'))) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
            std::fprintf(stdout, "%s", qPrintable(generalHelp()));
            return ExitOk;
        } else if (option == QLatin1String("-v") || option == QLatin1String("--verbose")) {
            g_verbose = true;
        } else if (option == QLatin1String("--real-time")) {
            realTime = true;
        } else if (option == QLatin1String("--simulate") || option == QLatin1String("--state")) {
            if (args.isEmpty())
                return fail(ExitBadArguments, QStringLiteral("%1 needs a value").arg(option));
            if (option == QLatin1String("--simulate")) {
                simulate = args.takeFirst();
            } else {
                statePath = args.takeFirst();
                haveState = true;
            }
        } else {
            return fail(ExitBadArguments, QStringLiteral("unknown option \"%1\"; try ox8ctl --help").arg(option));
        }
    }
    if (args.isEmpty()) {
        std::fprintf(stderr, "%s", qPrintable(generalHelp()));
        return ExitBadArguments;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("help")) {
        if (args.isEmpty()) {
            std::fprintf(stdout, "%s", qPrintable(generalHelp()));
            return ExitOk;
        }
        const QString text = commandHelp(args.first());
        if (text.isEmpty())
            return fail(ExitBadArguments, QStringLiteral("unknown command \"%1\"").arg(args.first()));
        std::fprintf(stdout, "%s", qPrintable(text));
        return ExitOk;
    }
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        const QString text = commandHelp(command);
        if (text.isEmpty())
            return fail(ExitBadArguments, QStringLiteral("unknown command \"%1\"").arg(command));
        std::fprintf(stdout, "%s", qPrintable(text));
        return ExitOk;
    }
    if (!commandNames().contains(command))
        return fail(ExitBadArguments, QStringLiteral("unknown command \"%1\"; try ox8ctl --help").arg(command));
    if (haveState && simulate.isEmpty())
        return fail(ExitBadArguments, QStringLiteral("--state needs --simulate"));
    if (realTime && simulate.isEmpty())
        return fail(ExitBadArguments, QStringLiteral("--real-time needs --simulate"));

    // The emulated desk outlives everything that talks to it.
    Simulation simulation;
    VirtualClock virtualClock;
    std::unique_ptr<ScopedDeviceClock> clockScope;
    if (!simulate.isEmpty()) {
        QString error;
        if (!simulation.setUp(simulate, &error))
            return fail(ExitUnknownModel, error);
        if (!haveState)
            statePath = Simulation::defaultStatePath(simulation.mouseType(), simulation.throughReceiver());
        if (!simulation.loadState(statePath, &error))
            return fail(ExitBadArguments, error);
        simulation.install();
        if (!realTime)
            clockScope = std::make_unique<ScopedDeviceClock>(&virtualClock);
    }

    const int rc = runCommand(command, args);

    if (simulation.isValid()) {
        QString error;
        if (!simulation.saveState(statePath, &error))
            return fail(rc == ExitOk ? ExitDeviceFailure : rc, error);
    }
    return rc;
}
