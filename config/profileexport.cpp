#include "config/profileexport.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {
const QString kFormat = QStringLiteral("ox8ctl-profile");
constexpr int kVersion = 1;
constexpr int kGearStages = 7;
} // namespace

QByteArray writeProfileExport(const ProfileExport &profile)
{
    QJsonObject o;
    o.insert(QStringLiteral("format"), kFormat);
    o.insert(QStringLiteral("version"), kVersion);
    o.insert(QStringLiteral("model"), profile.model);
    o.insert(QStringLiteral("typeCode"), profile.typeCode);
    o.insert(QStringLiteral("profile"), profile.profile);
    o.insert(QStringLiteral("config"), profile.config);
    o.insert(QStringLiteral("cpiSetting"), profile.cpiSetting);
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

bool readProfileExport(const QByteArray &bytes, ProfileExport &out)
{
    if (bytes.size() > kMaxProfileExportSize)
        return false;
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    const QJsonObject o = doc.object();
    const QJsonObject config = o.value(QStringLiteral("config")).toObject();
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()
        || o.value(QStringLiteral("format")).toString() != kFormat
        || !config.value(QStringLiteral("MouseDataOfGamingMode")).isObject())
        return false;

    ProfileExport read;
    read.model = o.value(QStringLiteral("model")).toString();
    read.typeCode = o.value(QStringLiteral("typeCode")).toInt();
    read.profile = o.value(QStringLiteral("profile")).toInt();
    read.config = config;
    const QJsonObject gear = o.value(QStringLiteral("cpiSetting")).toObject();
    if (gear.value(QStringLiteral("GearData")).toArray().size() == kGearStages)
        read.cpiSetting = gear;
    out = read;
    return true;
}
