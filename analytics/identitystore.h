#pragma once

#include <QString>

// The analytics client id and user id, kept per user (not per APP folder) in
// an INI file: (application configuration location)/system/mouse.ini with
// the keys "GAnalytics-cid" and "GAnalytics-uid".
QString analyticsIdentityPath();

struct AnalyticsIdentity
{
    QString clientId;
    QString userId;
    bool hasClientId = false; // the key was present (an empty user id is a choice)
    bool hasUserId = false;
};

// What the file holds; missing keys (or a missing or unreadable file) read
// as absent. Values longer than any identifier we write read as absent too.
AnalyticsIdentity readAnalyticsIdentity(const QString &path);
// Replaces the file as a whole (temporary file, then rename); false when it
// could not be written, the old file left as it was.
bool writeAnalyticsIdentity(const QString &path, const QString &clientId, const QString &userId);
