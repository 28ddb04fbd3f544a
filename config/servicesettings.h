#pragma once

#include <QString>
#include <QUrl>

// Where the program finds its web service (account, cloud, versions).
// APP/system/service.ini, key "/SERVICE/url"; the environment variable
// OX8_CLOUD_URL overrides it (tests point the program at a local ox8cloud).
// Nothing is built in: without a setting the network features say so.
QString serviceIniPath();
QString configuredServiceUrl();
void setConfiguredServiceUrl(const QString &url);

// The service URL to use: https, or plain http only to a loopback host;
// empty when none is configured or the configured one is not allowed.
QUrl serviceBaseUrl();

// Usage statistics, in the same file under [ANALYTICS]: "endpoint" (the
// collector's address, e.g. an ox8cloud's ".../collect"), "trackingId" and
// "enabled" (the user's choice, off unless turned on). OX8_ANALYTICS_URL and
// OX8_ANALYTICS_TID override the first two (tests point them at a local
// collector). Nothing is built in: without both nothing is collected.
QString configuredAnalyticsEndpoint();
QString configuredAnalyticsTrackingId();
void setConfiguredAnalyticsEndpoint(const QString &url);
void setConfiguredAnalyticsTrackingId(const QString &trackingId);
bool analyticsEnabledSetting();
void setAnalyticsEnabledSetting(bool enabled);
// The collector to post to: an allowed address (below) without query or
// fragment; empty when none is configured or it is not allowed.
QUrl analyticsEndpointUrl();

// Addresses the program may fetch from or send to: https anywhere, http only
// on this machine (tests and a local ox8cloud). Holds for the service, for
// download URLs the service hands out and for the analytics endpoint.
bool isAllowedRemoteUrl(const QUrl &url);
// Addresses the desktop may open for the user: http(s) only.
bool isAllowedBrowserUrl(const QUrl &url);
