#include "tools/ox8ctl/session.h"

#include "config/paths.h"
#include "config/warningtype.h"
#include "device/usbdrivermanager.h"
#include "discovery/checkdevice.h"
#include "platform/hidbus.h"
#include "platform/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace ox8ctl {

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

bool isAccessDenied(quint16 productId)
{
    for (const HidDeviceInfo &info : hidBus().enumerate()) {
        if (info.productId == productId && info.accessDenied
            && (info.vendorId == VID_KORVAN || info.vendorId == VID_CHIP_BOOTLOADER))
            return true;
    }
    return false;
}

QString noPermissionHint()
{
    return QStringLiteral("found, no permission: this user may not open the mouse. Install the udev rule (as root), "
                          "then unplug the mouse and plug it in again:\n")
           + hidAccessFixCommands();
}

int openSession(Session &session, const Picked &picked, bool readMustSucceed)
{
    if (picked.productId == 0)
        return fail(ExitNoDevice, QStringLiteral("no supported mouse found"));
    if (isAccessDenied(picked.productId))
        return fail(ExitNoDevice, QStringLiteral("mouse %1 %2").arg(hex4(picked.productId), noPermissionHint()));
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

namespace {
const char *const kChangeNames[] = {"apply", "save", "reset"};
// This command made a mark, or put a left one in step.
bool g_markInPlay = false;
} // namespace

QString unfinishedChangePath()
{
    return getAppDir() + QStringLiteral("/system/unfinished.json");
}

void markUnfinishedChange(int mouseType, ChangeKind kind, int profile)
{
    if (mouseType == 0 || (kind != ChangeKind::Reset && (profile < 1 || profile > 5)))
        return;
    const QJsonObject mark{{QStringLiteral("model"), getModelFolderName(mouseType)},
                           {QStringLiteral("change"), QLatin1String(kChangeNames[int(kind)])},
                           {QStringLiteral("profile"), profile}};
    // Written in place, not through a temporary file: a mark cut short is
    // written before its change began, and is dropped as unreadable.
    const QString path = unfinishedChangePath();
    QDir().mkpath(QFileInfo(path).path());
    if (!isMissingOrRegularFile(path))
        return;
    QFile file(path);
    const QByteArray bytes = QJsonDocument(mark).toJson(QJsonDocument::Compact);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush())
        g_markInPlay = true;
}

void settleUnfinishedChange()
{
    if (g_markInPlay)
        QFile::remove(unfinishedChangePath());
    g_markInPlay = false;
}

void finishUnfinishedChange()
{
    const QString path = unfinishedChangePath();
    QByteArray bytes;
    const ReadResult read = readRegularFile(path, 4096, bytes);
    if (read == ReadResult::Missing || read == ReadResult::NotRegular)
        return;
    const QJsonObject mark = QJsonDocument::fromJson(bytes).object();
    const QString model = mark.value(QStringLiteral("model")).toString();
    const QString change = mark.value(QStringLiteral("change")).toString();
    const int profile = mark.value(QStringLiteral("profile")).toInt();
    int kind = -1;
    for (int i = 0; i < 3; ++i)
        if (change == QLatin1String(kChangeNames[i]))
            kind = i;
    if (read != ReadResult::Ok || model.isEmpty() || kind < 0
        || (kind != int(ChangeKind::Reset) && (profile < 1 || profile > 5))) {
        QFile::remove(path); // half a mark says nothing
        return;
    }
    const Picked picked = pickDevice();
    if (picked.productId == 0 || picked.bootLoader || isAccessDenied(picked.productId)
        || model != getModelFolderName(picked.mouseType))
        return;
    Session s;
    if (!s.open(picked))
        return;
    s.takeWarnings();
    switch (ChangeKind(kind)) {
    case ChangeKind::Apply:
        s.dc.slot_LoadLocalConfigFileAndWriteIntoMouse(profile);
        break;
    case ChangeKind::Save:
        if (profile == 1)
            s.dc.slot_SaveProfileToConfig1();
        else
            s.dc.manager()->SaveConfigFileByConfigureNumber(profile);
        break;
    case ChangeKind::Reset:
        s.dc.slot_ResetConfigToOriginal();
        break;
    }
    if (s.takeWarnings().contains(Warning::ReadWriteFailed))
        return; // the mark stays for the next try
    g_markInPlay = true;
    std::fprintf(stderr, "ox8ctl: an earlier command was cut short; the mouse and profile %d are in step again\n",
                 ChangeKind(kind) == ChangeKind::Reset ? 1 : profile);
}

} // namespace ox8ctl
