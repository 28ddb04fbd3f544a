#include "config/gearhandle.h"

#include "config/jsonfile.h"
#include "config/jsonkeys.h"
#include "config/paths.h"
#include "config/profiledefaults.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>

namespace {
using jsonkeys::kGearCurrentValue;
using jsonkeys::kGearData;
using jsonkeys::kGearEnable;
using jsonkeys::kGearPosition;
using jsonkeys::kGearVariable;
constexpr int kGearCount = 7;

// Replaces one member of the gear entry at index and writes the object;
// false (object and file untouched) when there is no such entry.
bool setEntryMember(int mouseType, int profile, QJsonObject &object, int index, const QString &key,
                    const QJsonValue &value)
{
    if (!object.value(kGearData).isArray())
        return false;
    QJsonArray gears = object.value(kGearData).toArray();
    if (index < 0 || index >= gears.size())
        return false;
    QJsonObject entry = gears.at(index).toObject();
    entry.insert(key, value);
    gears.replace(index, entry);
    object.insert(kGearData, gears);
    return writeJsonFile(getCpiSettingFilePath(mouseType, profile), object);
}
} // namespace

GearHandle::GearHandle(QObject *parent)
    : QObject(parent)
{
}

QJsonObject GearHandle::createGearObject(int mouseType) const
{
    QJsonArray gears;
    for (int position = 1; position <= kGearCount; ++position) {
        QJsonObject entry;
        entry.insert(kGearPosition, position);
        entry.insert(kGearCurrentValue, 0);
        entry.insert(kGearEnable, true);
        gears.append(entry);
    }
    QJsonObject object;
    object.insert(kGearVariable, isKorvanDialect(mouseType));
    object.insert(kGearData, gears);
    qDebug() << "createGearObject" << QJsonDocument(object).toJson(QJsonDocument::Compact);
    return object;
}

QJsonObject GearHandle::createGearFile(int mouseType, int profile, bool *written)
{
    const QJsonObject object = createGearObject(mouseType);
    const bool ok = writeJsonFile(getCpiSettingFilePath(mouseType, profile), object);
    if (written)
        *written = ok;
    return object;
}

QJsonObject GearHandle::readGearFile(int mouseType, int profile)
{
    return readJsonRootObject(getCpiSettingFilePath(mouseType, profile));
}

int GearHandle::getGearCurrentValue(const QJsonObject &object, int index) const
{
    const QJsonArray gears = object.value(kGearData).toArray();
    if (index < 0 || index >= gears.size())
        return 0;
    return gears.at(index).toObject().value(kGearCurrentValue).toInt();
}

bool GearHandle::setGearCurrentValue(int mouseType, int profile, QJsonObject &object, int index, int value)
{
    return setEntryMember(mouseType, profile, object, index, kGearCurrentValue, value);
}

bool GearHandle::setGearEnable(int mouseType, int profile, QJsonObject &object, int index, bool enable)
{
    return setEntryMember(mouseType, profile, object, index, kGearEnable, enable);
}
