#include "analytics/identitystore.h"

#include "config/atomicfile.h"
#include "config/inistores.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QVariant>

namespace {
const char kClientIdKey[] = "GAnalytics-cid";
const char kUserIdKey[] = "GAnalytics-uid";
// A hostile file must not hand a megabyte into every hit.
constexpr int kMaxIdentifierLength = 256;

bool readKey(const QSettings &settings, const char *key, QString *out)
{
    const QVariant value = settings.value(QLatin1String(key));
    if (!value.isValid())
        return false;
    const QString text = value.toString();
    if (text.size() > kMaxIdentifierLength)
        return false;
    *out = text;
    return true;
}
} // namespace

QString analyticsIdentityPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/system/mouse.ini");
}

AnalyticsIdentity readAnalyticsIdentity(const QString &path)
{
    AnalyticsIdentity identity;
    if (!QFileInfo(path).isFile())
        return identity;
    QSettings settings(path, QSettings::IniFormat);
    useUtf8Ini(settings);
    identity.hasClientId = readKey(settings, kClientIdKey, &identity.clientId);
    identity.hasUserId = readKey(settings, kUserIdKey, &identity.userId);
    return identity;
}

bool writeAnalyticsIdentity(const QString &path, const QString &clientId, const QString &userId)
{
    // QSettings knows the INI escaping; it writes into a scratch folder, and
    // the finished bytes replace the real file in one rename.
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        qDebug() << "writeAnalyticsIdentity: no scratch folder" << scratch.errorString();
        return false;
    }
    const QString draft = scratch.filePath(QStringLiteral("mouse.ini"));
    {
        QSettings settings(draft, QSettings::IniFormat);
        useUtf8Ini(settings);
        settings.setValue(QLatin1String(kClientIdKey), clientId);
        settings.setValue(QLatin1String(kUserIdKey), userId);
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return false;
    }
    QFile file(draft);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        qDebug() << "writeAnalyticsIdentity: cannot create the folder of" << path;
        return false;
    }
    return writeFileAtomically(path, bytes);
}
