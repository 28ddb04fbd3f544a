// The commands that wait for the coordinator: pairing and firmware update.

#include "tools/ox8ctl/commands.h"
#include "tools/ox8ctl/session.h"

#include "config/warningtype.h"
#include "config/paths.h"
#include "device/familya/fwupdate.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

namespace ox8ctl {

namespace {
// Longest a pairing or an update may take before the tool gives up waiting
// (the coordinator ends pairing after 20 s itself).
constexpr int kPairingWaitMs = 30000;
constexpr int kFlashWaitMs = 15 * 60 * 1000;
} // namespace

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

} // namespace ox8ctl
