#include "device/familyb/familybprofilefiles.h"

#include "config/atomicfile.h"
#include "config/jsonfile.h"
#include "config/jsonhandle.h"
#include "config/loadedprofile.h"
#include "config/jsonkeys.h"
#include "config/oldtxtprofile.h"
#include "config/paths.h"
#include "platform/safefile.h"

#include <QDebug>
#include <QFile>
#include <QMutexLocker>

namespace familyb {

HaldenMacroRecord toHaldenRecord(const Macro &macro)
{
    HaldenMacroRecord record;
    record.repeat[0] = macro.header[0];
    record.repeat[1] = macro.header[1];
    record.events = macro.entries;
    return record;
}

Macro fromHaldenRecord(const HaldenMacroRecord &record)
{
    Macro macro;
    macro.header = {{record.repeat[0], record.repeat[1]}};
    macro.entries = record.events;
    return macro;
}

int macroSlotOfKey(const QString &key)
{
    bool ok = false;
    const int slot = key.toInt(&ok);
    return ok && slot >= 0 && slot < kMacroSlotCount ? slot : -1;
}

bool isStorableMacro(const Macro &macro)
{
    return !macro.isAbsent() && !macroBuffer(macro).isEmpty();
}

QByteArray fileBlockOf(const QByteArray &settings, const QByteArray &profile)
{
    return settings + profile.mid(kSettingsOffset + kSettingsSize, kFileBlockSize - kSettingsSize);
}

void applyFileBlock(const QByteArray &block, bool keepButtons, QByteArray &settings, QByteArray &profile)
{
    QByteArray fromFile = block.left(kSettingsSize);
    if (keepButtons) {
        const int from = kButtonWordsOffset - kSettingsOffset;
        fromFile.replace(from, 4 * kButtonWordCount, settings.mid(from, 4 * kButtonWordCount));
    }
    settings = fromFile;
    profile.replace(kSettingsOffset + kSettingsSize, kFileBlockSize - kSettingsSize,
                    block.mid(kSettingsSize, kFileBlockSize - kSettingsSize));
}

QMap<int, Macro> macrosUsedByBlock(const QByteArray &block, const QMap<int, Macro> &macros, int modelType)
{
    QMap<int, Macro> used;
    for (int button : modelButtons(modelType)) {
        const int offset = buttonWordOffset(button, modelType) - kSettingsOffset;
        if (offset < 0 || offset + 4 > block.size())
            continue;
        const ButtonWord word{{quint8(block.at(offset)), quint8(block.at(offset + 1)), quint8(block.at(offset + 2)),
                               quint8(block.at(offset + 3))}};
        for (int slot : macroSlotsOfWord(word))
            if (macros.contains(slot))
                used.insert(slot, macros.value(slot));
    }
    return used;
}

QJsonObject putConfigIntoRoot(QJsonObject root, const QByteArray &block, const QMap<int, Macro> &macros)
{
    const JsonHandle json;
    root.insert(jsonkeys::kMouseData, json.turnMouseDataJsonObject_Halden(block));
    QJsonObject stored;
    for (auto it = macros.cbegin(); it != macros.cend(); ++it)
        stored.insert(QString::number(it.key()), json.turnMacroDataToJsonObject_Halden(toHaldenRecord(it.value())));
    root.insert(jsonkeys::kMacroData, stored);
    return root;
}

QJsonObject putOldTxtProfileIntoRoot(QJsonObject root, const OldTxtProfile &profile)
{
    const JsonHandle json;
    QJsonObject stored;
    for (auto it = profile.macros.cbegin(); it != profile.macros.cend(); ++it) {
        Macro macro;
        if (it.key() >= kMacroSlotCount || !unpackMacroRecord(it.value(), macro)) {
            qDebug() << "Error List Length" << it.key() << it.value().size();
            continue;
        }
        const HaldenMacroRecord record = toHaldenRecord(macro);
        qDebug() << "reapeat " << record.repeatTimes();
        stored.insert(QString::number(it.key()), json.turnMacroDataToJsonObject_Halden(record));
    }
    root.insert(jsonkeys::kMouseData, json.turnMouseDataJsonObject_Halden(profile.block));
    root.insert(jsonkeys::kMacroData, stored);
    return root;
}

namespace {

// The factory copy is what a reset brings back: one the model cannot work
// with (damaged, or written by hand) is moved aside and rebuilt from the
// built-in default block.
void repairFactoryCopy(int modelType)
{
    JsonHandle json;
    const QByteArray block = json.getMouseData_Halden(modelType, 0);
    QString why;
    if (checkFileBlock(modelType, block, &why))
        return;
    const QString path = getConfigJsonFilePath(modelType, 0);
    moveAsideDamaged(path, why);
    QByteArray defaults(kFileBlockSize, '\0');
    json.createAOriginalMouseDataFile_Halden(defaults, modelType);
    if (!json.setMouseData_Halden(defaults, modelType, 0))
        qDebug() << "cannot rebuild the factory copy" << path;
}

} // namespace

QByteArray ProfileFiles::readBlock(int modelType, int number) const
{
    QMutexLocker lock(&m_mutex);
    if (number == 0)
        repairFactoryCopy(modelType);
    JsonHandle json;
    return json.getMouseData_Halden(modelType, number);
}

int ProfileFiles::findMatchingConfig(int modelType, const QByteArray &settings, int preferred) const
{
    QMutexLocker lock(&m_mutex);
    // Profiles often share their settings (all five start as the defaults):
    // the one loaded last is the one the mouse holds.
    const QVector<int> order = profileSearchOrder(preferred);
    for (int number : order) {
        const QByteArray block = readBlock(modelType, number);
        qDebug() << "test compare value" << number;
        int differences = 0;
        for (int i = 0; i < kSettingsSize; ++i)
            if (i >= block.size() || i >= settings.size() || block.at(i) != settings.at(i))
                ++differences;
        qDebug() << "compareValue" << differences;
        if (differences == 0) {
            qDebug() << "find  the config" << number;
            return number;
        }
    }
    qDebug() << "didnt find  the config";
    return 0;
}

QMap<int, Macro> ProfileFiles::readMacros(int modelType, int number) const
{
    QMutexLocker lock(&m_mutex);
    JsonHandle json;
    QMap<int, Macro> out;
    const QJsonObject root = readJsonRootObject(getConfigJsonFilePath(modelType, number));
    const QJsonObject stored = root.value(jsonkeys::kMacroData).toObject();
    for (auto it = stored.constBegin(); it != stored.constEnd(); ++it) {
        const int slot = macroSlotOfKey(it.key());
        if (slot < 0) {
            qDebug() << "ErrorPostion" << it.key();
            continue;
        }
        const Macro macro = fromHaldenRecord(json.getMacroData_Halden(modelType, number, slot));
        if (!isStorableMacro(macro)) {
            qDebug() << "Error List Length" << slot;
            continue;
        }
        out.insert(slot, macro);
    }
    return out;
}

bool ProfileFiles::write(int modelType, int number, const QByteArray &block, const QMap<int, Macro> &macros)
{
    QMutexLocker lock(&m_mutex);
    const QString path = getConfigJsonFilePath(modelType, number);
    QJsonObject root;
    readJsonRootObject(path, root);
    return writeJsonFile(path, putConfigIntoRoot(root, block, macros));
}

int ProfileFiles::convertOldTxtFiles(int modelType)
{
    QMutexLocker lock(&m_mutex);
    bool allGood = true;
    for (int number = 1; number <= 5; ++number) {
        const QString txtPath = getOldTxtConfigFilePath(modelType, number);
        if (fileKind(txtPath) == FileKind::Missing)
            continue;
        qDebug() << "file get:" << txtPath;
        OldTxtProfile profile;
        QString error;
        if (!readOldTxtProfileFile(txtPath, dialects::kHalden, kFileBlockSize, profile, &error)) {
            qDebug() << "get file error" << txtPath << error;
            allGood = false;
            continue;
        }
        const QString path = getConfigJsonFilePath(modelType, number);
        QJsonObject root;
        readJsonRootObject(path, root);
        if (!writeJsonFile(path, putOldTxtProfileIntoRoot(root, profile))) {
            qDebug() << "get file error: cannot write" << path;
            allGood = false;
            continue;
        }
        // Converted once: a later start must not bring the old text back
        // over changes made since.
        QFile::remove(txtPath);
    }
    return allGood ? 1 : 0;
}

void ProfileFiles::saveOldTxtFiles(int modelType)
{
    QMutexLocker lock(&m_mutex);
    JsonHandle json;
    for (int number = 1; number <= 5; ++number) {
        OldTxtProfile profile;
        profile.dialect = dialects::kHalden;
        profile.block = json.getMouseData_Halden(modelType, number);
        if (profile.block.size() != kFileBlockSize)
            continue;
        const QJsonObject root = readJsonRootObject(getConfigJsonFilePath(modelType, number));
        const QJsonObject stored = root.value(jsonkeys::kMacroData).toObject();
        for (auto it = stored.constBegin(); it != stored.constEnd(); ++it) {
            const int slot = macroSlotOfKey(it.key());
            if (slot < 0)
                continue;
            const QByteArray record = packMacroRecord(fromHaldenRecord(json.getMacroData_Halden(modelType, number, slot)));
            if (record.isEmpty())
                continue; // more entries than the device takes
            profile.macros.insert(slot, record);
        }

        const QString path = getOldTxtConfigFilePath(modelType, number);
        const QByteArray text = writeOldTxtProfile(profile);
        qDebug() << "saveConfigFile" << path;
        qDebug() << "ba len:" << text.size();
        if (!writeFileAtomically(path, text)) {
            qDebug() << "saveConfigFile failed" << path;
            continue;
        }
        // Read the file back: its byte sum must hold.
        QByteArray back;
        readOldTxtProfileText(path, back);
        qDebug() << "file len:" << back.size();
        OldTxtProfile check;
        QString error;
        if (back != text || !parseOldTxtProfile(back, dialects::kHalden, kFileBlockSize, check, &error))
            qDebug() << "sumByte error" << path << error;
        else
            qDebug() << "sumByte" << "ok" << path;
    }
}

void ProfileFiles::removeOldTxtFiles(int modelType)
{
    QMutexLocker lock(&m_mutex);
    for (int number = 1; number <= 5; ++number)
        QFile::remove(getOldTxtConfigFilePath(modelType, number));
}

} // namespace familyb
