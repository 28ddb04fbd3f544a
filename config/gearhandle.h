#pragma once

#include <QJsonObject>
#include <QObject>

// Reads and writes the CPI gear tables (CpiSetting.json, one per model and
// profile): seven gears with their shown value and whether they are on.
class GearHandle : public QObject
{
    Q_OBJECT

public:
    explicit GearHandle(QObject *parent = nullptr);

    QJsonObject createGearObject(int mouseType) const;
    // written (when given): whether the file could be written.
    QJsonObject createGearFile(int mouseType, int profile, bool *written = nullptr);
    QJsonObject readGearFile(int mouseType, int profile);
    // index is 0-based; out-of-range indexes read 0 and write nothing.
    int getGearCurrentValue(const QJsonObject &object, int index) const;
    bool setGearCurrentValue(int mouseType, int profile, QJsonObject &object, int index, int value);
    bool setGearEnable(int mouseType, int profile, QJsonObject &object, int index, bool enable);
};
