#include "config/servicesettings.h"

#include "config/inistores.h"
#include "config/paths.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace {
const char kEnvironmentOverride[] = "OX8_CLOUD_URL";
const char kUrlKey[] = "/SERVICE/url";
const char kAnalyticsUrlOverride[] = "OX8_ANALYTICS_URL";
const char kAnalyticsTidOverride[] = "OX8_ANALYTICS_TID";
const char kAnalyticsEndpointKey[] = "/ANALYTICS/endpoint";
const char kAnalyticsTrackingIdKey[] = "/ANALYTICS/trackingId";
const char kAnalyticsEnabledKey[] = "/ANALYTICS/enabled";

QVariant serviceIniValue(const char *key, const QVariant &fallback = QVariant())
{
    QSettings settings(serviceIniPath(), QSettings::IniFormat);
    useUtf8Ini(settings);
    return settings.value(QLatin1String(key), fallback);
}

void setServiceIniValue(const char *key, const QVariant &value)
{
    QSettings settings(serviceIniPath(), QSettings::IniFormat);
    useUtf8Ini(settings);
    settings.setValue(QLatin1String(key), value);
    settings.sync();
}

// The environment wins over the file, so a test never reads a user's setting.
QString overriddenText(const char *variable, const char *key)
{
    const QByteArray env = qgetenv(variable);
    if (!env.isEmpty())
        return QString::fromUtf8(env).trimmed();
    return serviceIniValue(key).toString().trimmed();
}

bool isLoopbackHost(const QString &host)
{
    const QString h = host.toLower();
    if (h == QLatin1String("localhost") || h == QLatin1String("::1"))
        return true;
    const QStringList parts = h.split(QLatin1Char('.'));
    if (parts.size() != 4 || parts.first() != QLatin1String("127"))
        return false;
    for (const QString &p : parts) {
        bool ok = false;
        const int v = p.toInt(&ok);
        if (!ok || v < 0 || v > 255)
            return false;
    }
    return true;
}
} // namespace

QString serviceIniPath()
{
    return getAppDir() + QStringLiteral("/system/service.ini");
}

QString configuredServiceUrl()
{
    const QByteArray env = qgetenv(kEnvironmentOverride);
    if (!env.isEmpty())
        return QString::fromUtf8(env).trimmed();
    QSettings settings(serviceIniPath(), QSettings::IniFormat);
    useUtf8Ini(settings);
    return settings.value(QLatin1String(kUrlKey)).toString().trimmed();
}

void setConfiguredServiceUrl(const QString &url)
{
    QSettings settings(serviceIniPath(), QSettings::IniFormat);
    useUtf8Ini(settings);
    settings.setValue(QLatin1String(kUrlKey), url.trimmed());
    settings.sync();
}

QString configuredAnalyticsEndpoint()
{
    return overriddenText(kAnalyticsUrlOverride, kAnalyticsEndpointKey);
}

QString configuredAnalyticsTrackingId()
{
    return overriddenText(kAnalyticsTidOverride, kAnalyticsTrackingIdKey);
}

void setConfiguredAnalyticsEndpoint(const QString &url)
{
    setServiceIniValue(kAnalyticsEndpointKey, url.trimmed());
}

void setConfiguredAnalyticsTrackingId(const QString &trackingId)
{
    setServiceIniValue(kAnalyticsTrackingIdKey, trackingId.trimmed());
}

bool analyticsEnabledSetting()
{
    // Only an explicit yes counts: a damaged value leaves collection off.
    const QString text = serviceIniValue(kAnalyticsEnabledKey).toString().trimmed().toLower();
    return text == QLatin1String("true") || text == QLatin1String("1");
}

void setAnalyticsEnabledSetting(bool enabled)
{
    setServiceIniValue(kAnalyticsEnabledKey, enabled);
}

QUrl analyticsEndpointUrl()
{
    const QString text = configuredAnalyticsEndpoint();
    if (text.isEmpty())
        return {};
    const QUrl url(text, QUrl::StrictMode);
    if (!isAllowedRemoteUrl(url) || url.hasQuery() || url.hasFragment())
        return {};
    return url;
}

QUrl serviceBaseUrl()
{
    const QString text = configuredServiceUrl();
    if (text.isEmpty())
        return {};
    QUrl url(text, QUrl::StrictMode);
    if (!isAllowedRemoteUrl(url) || url.hasQuery() || url.hasFragment())
        return {};
    // Paths are appended: "/v1/..." after the base, without a double slash.
    QString path = url.path();
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    url.setPath(path);
    return url;
}

bool isAllowedRemoteUrl(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return true;
    return scheme == QLatin1String("http") && isLoopbackHost(url.host());
}

bool isAllowedBrowserUrl(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty()
        && (scheme == QLatin1String("https") || scheme == QLatin1String("http"));
}
