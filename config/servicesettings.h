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

// Addresses the program may fetch from or send to: https anywhere, http only
// on this machine (tests and a local ox8cloud). Holds for the service, for
// download URLs the service hands out and for the analytics endpoint.
bool isAllowedRemoteUrl(const QUrl &url);
// Addresses the desktop may open for the user: http(s) only.
bool isAllowedBrowserUrl(const QUrl &url);
