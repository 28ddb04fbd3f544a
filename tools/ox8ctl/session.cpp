#include "tools/ox8ctl/session.h"

#include "config/warningtype.h"
#include "discovery/checkdevice.h"
#include "platform/hidbus.h"

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

} // namespace ox8ctl
