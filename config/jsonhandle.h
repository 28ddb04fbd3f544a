#pragma once

#include "config/jsonkeys.h"
#include "config/macronode.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QVector>

// A macro as the family B devices store it: a big-endian repeat count and
// 16-bit event words.
struct HaldenMacroRecord
{
    quint8 repeat[2] = {0x00, 0x01}; // byte 0 = high byte of the repeat count
    QVector<quint16> events;

    int repeatTimes() const { return repeat[0] * 256 + repeat[1]; }
    bool operator==(const HaldenMacroRecord &o) const
    {
        return repeat[0] == o.repeat[0] && repeat[1] == o.repeat[1] && events == o.events;
    }
};

// Reads and writes the profile files (ConfigN.json, both data dialects), the
// macro files and the translation table. Readers never fail: they fall back
// to the documented defaults. Writers replace the whole file atomically.
class JsonHandle : public QObject
{
    Q_OBJECT

public:
    static constexpr int kHaldenBlockSize = 234;
    static constexpr int kKorvanBlockSize = 128;
    static constexpr int kKorvanMacroBufferSize = 4096;

    explicit JsonHandle(QObject *parent = nullptr);

    // File primitives (jsonfile.h). readFileBytes creates a missing file
    // empty (as every reader does); writeJsonFile replaces the file
    // atomically and returns false when it could not.
    static QByteArray readFileBytes(const QString &path);
    static bool writeJsonFile(const QString &path, const QJsonObject &object);

    // Profiles, Halden dialect (family B and C: 234-byte settings block).
    void createAOriginalMouseDataFile_Halden(QByteArray &block, int mouseType) const;
    // stored (when given): whether the file holds the returned block now,
    // read from it or the defaults written into it.
    QByteArray getMouseData_Halden(int mouseType, int profile, bool *stored = nullptr);
    bool setMouseData_Halden(const QByteArray &block, int mouseType, int profile);
    QJsonObject turnMouseDataJsonObject_Halden(const QByteArray &block) const;
    HaldenMacroRecord getMacroData_Halden(int mouseType, int profile, int position);
    bool saveMacroData_Halden(const HaldenMacroRecord &record, int position, int mouseType, int profile);
    QJsonObject turnMacroDataToJsonObject_Halden(const HaldenMacroRecord &record) const;

    // Profiles, Korvan dialect (family A: 128-byte settings block, macros in
    // 4096-byte buffers: 16-bit size, 16-bit repeat count, 3-byte events).
    void createAOriginalMouseDataFile_Korvan(QByteArray &block, int mouseType) const;
    QByteArray getMouseData_Korvan(int mouseType, int profile, bool *stored = nullptr);
    bool setMouseData_Korvan(const QByteArray &block, int mouseType, int profile);
    QJsonObject turnMouseDataJsonObject_Korvan(const QByteArray &block) const;
    QByteArray getMacroData_Korvan(int mouseType, int profile, int position); // always 4096 bytes
    bool saveMacroData_Korvan(const QByteArray &record, int position, int mouseType, int profile);
    QJsonObject turnMacroDataToJsonObject_Korvan(const QByteArray &record) const;

    // Macro files.
    QString getMacroName(const QString &path);
    int getMacroType(const QString &path);
    int getMacroLength(const QString &path);
    int getMacroRepeatTimes(const QString &path);
    int getIgnoreDelayTime(const QString &path);
    int getMacroCount(const QString &path);
    QList<MacroNode> readMacroNodeList(const QString &path);
    bool setMacroName(const QString &path, const QString &name);
    bool setMacroType(const QString &path, int type);
    bool setMacroLength(const QString &path, int length);
    bool setRepeatTimes(const QString &path, int times);
    bool setIgnoreDelayTime(const QString &path, int ignore);
    bool writeMacroNodeList(const QString &path, const QList<MacroNode> &nodes);
    QJsonArray TurnMacroNodeListToJsonArray(const QList<MacroNode> &nodes) const;

    // Element index of the translation table's root array; false (and out
    // empty) when the file is not an array of arrays at that index.
    bool readTranslateTable(const QString &path, QJsonArray &out, int index);

    // The key strings, built once (spellings from jsonkeys.h).
    const QString MacroType = jsonkeys::kMacroType;
    const QString MacroLength = jsonkeys::kMacroLength;
    const QString MacroLength_KORVAN = jsonkeys::kMacroLengthKorvan;
    const QString MouseDataOfGamingMode = jsonkeys::kMouseData;
    const QString MacroDataOfGamingMode = jsonkeys::kMacroData;
    const QString Name = jsonkeys::kName;
    const QString Macro = jsonkeys::kMacro;
    const QString MacroSize = jsonkeys::kMacroSize;
    const QString ValueType = jsonkeys::kValueType;
    const QString MouseValue = jsonkeys::kMouseValue;
    const QString KeyValue = jsonkeys::kKeyValue;
    const QString TimeLapse = jsonkeys::kTimeLapse;
    const QString CoordinateX = jsonkeys::kCoordinateX;
    const QString CoordinateY = jsonkeys::kCoordinateY;
    const QString State = jsonkeys::kState;
    const QString Text = jsonkeys::kText;
    const QString RepeatTimes = jsonkeys::kRepeatTimes;
    const QString id = jsonkeys::kId;
    const QString IgnoreDelayTime = jsonkeys::kIgnoreDelayTime;
};
