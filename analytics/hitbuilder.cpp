#include "analytics/hitbuilder.h"

#include <QUrl>

namespace {

void appendCustomValues(HitParameters &hit, const QVariantMap &customValues)
{
    for (auto it = customValues.constBegin(); it != customValues.constEnd(); ++it)
        hit.append({it.key(), it.value().toString()});
}

void appendApplication(HitParameters &hit, const HitContext &context)
{
    hit.append({QStringLiteral("an"), context.appName});
    hit.append({QStringLiteral("av"), context.appVersion});
}

struct WindowsName
{
    const char *kernelVersion;
    const char *name;
};

// Windows kernel versions as browsers name them in their User-Agent.
const WindowsName kWindowsNames[] = {
    {"4.0", "Win NT"},
    {"4.10", "Win 98"},
    {"4.90", "Win ME"},
    {"5.0", "Windows NT 5.0"},
    {"5.1", "Windows NT 5.1"},
    {"5.2", "Win Server 2003"},
    {"6.0", "Windows NT 6.0"},
    {"6.1", "Windows NT 6.1"},
    {"6.2", "Windows NT 6.2"},
    {"10.0", "Windows NT 10.0"},
};

} // namespace

HitParameters commonHitParameters(const HitContext &context, const QString &hitType)
{
    HitParameters hit;
    hit.append({QStringLiteral("v"), QStringLiteral("1")});
    hit.append({QStringLiteral("tid"), context.trackingId});
    hit.append({QStringLiteral("cid"), context.clientId});
    if (!context.userId.isEmpty())
        hit.append({QStringLiteral("uid"), context.userId});
    hit.append({QStringLiteral("t"), hitType});
    hit.append({QStringLiteral("ul"), context.language});
    hit.append({QStringLiteral("ds"), context.dataSource});
    hit.append({QStringLiteral("vp"), context.viewportSize});
    hit.append({QStringLiteral("sr"), context.screenResolution});
    return hit;
}

HitParameters pageViewHit(const HitContext &context, const QString &pageName, const QVariantMap &customValues)
{
    HitParameters hit = commonHitParameters(context, QStringLiteral("pageview"));
    hit.append({QStringLiteral("cd"), pageName});
    appendApplication(hit, context);
    if (!pageName.isEmpty()) {
        hit.append({QStringLiteral("dp"), pageName});
        hit.append({QStringLiteral("dt"), pageName});
    }
    appendCustomValues(hit, customValues);
    return hit;
}

HitParameters eventHit(const HitContext &context, const QString &category, const QString &action,
                       const QString &label, const QVariant &value, const QVariantMap &customValues)
{
    HitParameters hit = commonHitParameters(context, QStringLiteral("event"));
    appendApplication(hit, context);
    hit.append({QStringLiteral("ec"), category});
    hit.append({QStringLiteral("ea"), action});
    if (!label.isEmpty())
        hit.append({QStringLiteral("el"), label});
    if (value.isValid())
        hit.append({QStringLiteral("ev"), value.toString()});
    appendCustomValues(hit, customValues);
    return hit;
}

HitParameters exceptionHit(const HitContext &context, const QString &description, bool fatal,
                           const QVariantMap &customValues)
{
    HitParameters hit = commonHitParameters(context, QStringLiteral("exception"));
    appendApplication(hit, context);
    hit.append({QStringLiteral("exd"), description});
    hit.append({QStringLiteral("exf"), fatal ? QStringLiteral("1") : QStringLiteral("0")});
    appendCustomValues(hit, customValues);
    return hit;
}

QByteArray encodeHitBody(const HitParameters &parameters)
{
    QByteArray body;
    for (const auto &p : parameters) {
        if (!body.isEmpty())
            body += '&';
        body += QUrl::toPercentEncoding(p.first) + '=' + QUrl::toPercentEncoding(p.second);
    }
    return body;
}

QString analyticsLanguage(const QString &localeName)
{
    return localeName.toLower().replace(QLatin1Char('_'), QLatin1Char('-'));
}

QString userAgentSystem(const QString &kernelType, const QString &kernelVersion, const QString &cpuArchitecture)
{
    if (kernelType == QLatin1String("linux"))
        return QStringLiteral("X11; Linux %1").arg(cpuArchitecture);
    if (kernelType == QLatin1String("winnt")) {
        // "10.0.19045" is looked up as "10.0".
        const QString majorMinor = kernelVersion.section(QLatin1Char('.'), 0, 1);
        for (const WindowsName &w : kWindowsNames) {
            if (majorMinor == QLatin1String(w.kernelVersion))
                return QStringLiteral("Windows; %1").arg(QLatin1String(w.name));
        }
        return QStringLiteral("Windows; unknown");
    }
    if (kernelType == QLatin1String("darwin"))
        return QStringLiteral("Macintosh; %1").arg(cpuArchitecture);
    return QStringLiteral("%1; %2").arg(kernelType.isEmpty() ? QStringLiteral("unknown") : kernelType,
                                         cpuArchitecture);
}

QString analyticsUserAgent(const QString &appName, const QString &appVersion, const QString &system,
                           const QString &localeName)
{
    return QStringLiteral("%1/%2 (%3; %4) GAnalytics/1.0 (Qt/%5)")
        .arg(appName + QLatin1Char('_') + appVersion, appVersion, system, localeName, QStringLiteral("5.9.8"));
}
