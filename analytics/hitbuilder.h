#pragma once

#include <QByteArray>
#include <QPair>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <QVector>

// The parameters of one Measurement Protocol hit, in the order they are sent.
using HitParameters = QVector<QPair<QString, QString>>;

// What every hit carries besides its own parameters.
struct HitContext
{
    QString trackingId;       // tid
    QString clientId;         // cid
    QString userId;           // uid, left out when empty
    QString language;         // ul
    QString dataSource;       // ds
    QString viewportSize;     // vp
    QString screenResolution; // sr
    QString appName;          // an
    QString appVersion;       // av
};

// v, tid, cid, uid (only when set), t, ul, ds, vp, sr: the head of every hit.
HitParameters commonHitParameters(const HitContext &context, const QString &hitType);
// cd, an, av, then dp and dt only for a named page, then the custom values.
HitParameters pageViewHit(const HitContext &context, const QString &pageName, const QVariantMap &customValues);
// an, av, ec, ea, then el only when not empty and ev only for a valid value.
HitParameters eventHit(const HitContext &context, const QString &category, const QString &action,
                       const QString &label, const QVariant &value, const QVariantMap &customValues);
HitParameters exceptionHit(const HitContext &context, const QString &description, bool fatal,
                           const QVariantMap &customValues);

// The form body: every key and value percent-encoded as UTF-8 (a "+" too,
// which a form decoder would otherwise read as a space).
QByteArray encodeHitBody(const HitParameters &parameters);

// "en_US" → "en-us".
QString analyticsLanguage(const QString &localeName);
// The operating-system part of the User-Agent from QSysInfo's kernel type,
// kernel version and CPU architecture: "X11; Linux x86_64" on Linux,
// "Windows; Windows NT 10.0" on Windows (the names a browser would give).
QString userAgentSystem(const QString &kernelType, const QString &kernelVersion, const QString &cpuArchitecture);
// "%1/%2 (%3; %4) GAnalytics/1.0 (Qt/5.9.8)": name_version/version (system; locale).
QString analyticsUserAgent(const QString &appName, const QString &appVersion, const QString &system,
                           const QString &localeName);
