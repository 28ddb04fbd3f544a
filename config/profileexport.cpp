#include "config/profileexport.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {
const QString kFormat = QStringLiteral("ox8ctl-profile");
constexpr int kVersion = 1;
constexpr int kGearStages = 7;
// Macro positions of either dialect, and the largest macro they hold.
constexpr int kMaxMacroPosition = 63;
constexpr int kMaxMacroNumbers = 3 * 4096;

bool refuse(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return false;
}

// A JSON number that is a whole number within lo..hi.
bool isWholeIn(const QJsonValue &v, qint64 lo, qint64 hi)
{
    if (!v.isDouble())
        return false;
    const double d = v.toDouble();
    return d >= double(lo) && d <= double(hi) && d == double(qint64(d));
}

bool checkMacros(const QJsonValue &value, QString *why)
{
    if (value.isUndefined())
        return true;
    if (!value.isObject())
        return refuse(why, QStringLiteral("\"MacroDataOfGamingMode\" is not an object"));
    const QJsonObject macros = value.toObject();
    for (auto it = macros.constBegin(); it != macros.constEnd(); ++it) {
        bool ok = false;
        const int position = it.key().toInt(&ok);
        if (!ok || position < 0 || position > kMaxMacroPosition)
            return refuse(why, QStringLiteral("macro position \"%1\" is unknown").arg(it.key()));
        if (!it.value().isObject())
            return refuse(why, QStringLiteral("macro %1 is not an object").arg(position));
        const QJsonObject macro = it.value().toObject();
        if (macro.contains(QStringLiteral("RepeatTimes")) && !isWholeIn(macro.value(QStringLiteral("RepeatTimes")), 0, 0xFFFF))
            return refuse(why, QStringLiteral("macro %1: repeat count out of range").arg(position));
        if (macro.contains(QStringLiteral("MacroSize")) && !isWholeIn(macro.value(QStringLiteral("MacroSize")), 0, 4096))
            return refuse(why, QStringLiteral("macro %1: size out of range").arg(position));
        const QJsonValue events = macro.value(QStringLiteral("Macro"));
        if (events.isUndefined())
            continue;
        if (!events.isArray() || events.toArray().size() > kMaxMacroNumbers)
            return refuse(why, QStringLiteral("macro %1: events are not a list of bytes").arg(position));
        for (const QJsonValue &e : events.toArray())
            if (!isWholeIn(e, 0, 0xFF))
                return refuse(why, QStringLiteral("macro %1: an event byte is out of range").arg(position));
    }
    return true;
}

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

bool readStrictProfileBlock(const QJsonObject &config, int blockSize, QByteArray &block, QString *why)
{
    const QJsonValue data = config.value(QStringLiteral("MouseDataOfGamingMode"));
    if (!data.isObject())
        return refuse(why, QStringLiteral("\"MouseDataOfGamingMode\" is not an object"));
    const QJsonObject members = data.toObject();
    if (members.size() != blockSize)
        return refuse(why, QStringLiteral("the settings block has %1 values, not %2").arg(members.size()).arg(blockSize));
    QByteArray out(blockSize, '\0');
    for (int i = 0; i < blockSize; ++i) {
        const QJsonValue v = members.value(QString::number(i));
        if (v.isUndefined())
            return refuse(why, QStringLiteral("settings byte %1 is missing").arg(i));
        if (!isWholeIn(v, 0, 0xFF))
            return refuse(why, QStringLiteral("settings byte %1 is not a number 0..255").arg(i));
        out[i] = char(quint8(v.toInt()));
    }
    if (!checkMacros(config.value(QStringLiteral("MacroDataOfGamingMode")), why))
        return false;
    block = out;
    return true;
}
