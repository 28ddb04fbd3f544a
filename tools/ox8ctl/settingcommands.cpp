// Commands that change one setting of the mouse and its current profile file.

#include "tools/ox8ctl/commands.h"
#include "tools/ox8ctl/session.h"

#include "discovery/cpiranges.h"

namespace ox8ctl {

int cmdSetCpi(const QStringList &args)
{
    if (args.size() != 1)
        return fail(ExitBadArguments, QStringLiteral("usage: ox8ctl set-cpi V1,V2,..."));
    QList<int> values;
    QString error;
    if (!parseCpiList(args.first(), values, error))
        return fail(ExitBadArguments, error);
    // The model's own rules, before anything reaches the mouse: a value it
    // cannot take would otherwise switch its stage off.
    const Picked picked = pickDevice();
    if (picked.productId != 0 && !picked.bootLoader && !checkCpiList(picked.mouseType, values, &error))
        return fail(ExitBadArguments, QStringLiteral("%1 (%2)").arg(error, QString::fromLatin1(modelRow(picked.mouseType).name)));
    Session s;
    if (const int rc = openSession(s, picked, true))
        return rc;
    markUnfinishedChange(s.mouseType, ChangeKind::Apply, s.profile);
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
    markUnfinishedChange(s.mouseType, ChangeKind::Apply, s.profile);
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
    markUnfinishedChange(s.mouseType, ChangeKind::Apply, s.profile);
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
    markUnfinishedChange(s.mouseType, ChangeKind::Apply, s.profile);
    for (bool wheel : zones) {
        s.dc.slot_setMouseLightMode(wheel, mode);
        if (haveColor)
            s.dc.slot_SetMouseColor(wheel, QList<COLORREF>{color});
    }
    return checkWrite(s, QStringLiteral("setting the light"));
}

} // namespace ox8ctl
