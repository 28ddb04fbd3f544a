#include "device/familya/familyaprofilefiles.h"

#include "config/jsonfile.h"
#include "config/jsonhandle.h"
#include "config/loadedprofile.h"
#include "config/jsonkeys.h"
#include "config/oldtxtprofile.h"
#include "config/paths.h"
#include "platform/safefile.h"
#include "device/familya/familyacodec.h"
#include "device/familya/familyaimage.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>

#include <algorithm>

namespace familya {

QJsonObject putConfigIntoRoot(QJsonObject root, const QByteArray &record, const QVector<QByteArray> &macros)
{
    const JsonHandle json;
    root.insert(jsonkeys::kMouseData, json.turnMouseDataJsonObject_Korvan(record));
    QJsonObject stored = root.value(jsonkeys::kMacroData).toObject();
    for (int i = 0; i < macros.size(); ++i)
        stored.insert(QString::number(i), json.turnMacroDataToJsonObject_Korvan(macros[i]));
    root.insert(jsonkeys::kMacroData, stored);
    return root;
}

QJsonObject putOldTxtProfileIntoRoot(QJsonObject root, const OldTxtProfile &profile)
{
    const JsonHandle json;
    root.insert(jsonkeys::kMouseData, json.turnMouseDataJsonObject_Korvan(profile.block));
    QJsonObject stored;
    for (int i = 0; i < kMacroBufferCount; ++i) {
        QByteArray buffer = emptyMacroBuffer();
        const QByteArray record = profile.macros.value(i);
        if (record.size() <= kMacroPageSize)
            std::copy(record.cbegin(), record.cend(), buffer.begin());
        stored.insert(QString::number(i), json.turnMacroDataToJsonObject_Korvan(buffer));
    }
    root.insert(jsonkeys::kMacroData, stored);
    return root;
}

OldTxtProfile oldTxtProfileOf(const QByteArray &record, const QVector<QByteArray> &macros)
{
    OldTxtProfile profile;
    profile.dialect = dialects::kKorvan;
    profile.block = record;
    for (int i = 0; i < macros.size(); ++i)
        if (holdsMacro(macros[i]))
            profile.macros.insert(i, macros[i]);
    return profile;
}

namespace {

// The factory copy is what a reset brings back: one the model cannot work
// with (damaged, or written by hand) is moved aside and rebuilt from the
// built-in default block.
void repairFactoryCopy(int mouseType)
{
    JsonHandle json;
    const QByteArray record = json.getMouseData_Korvan(mouseType, 0);
    QString why;
    if (checkRecord(mouseType, record, &why))
        return;
    const QString path = getConfigJsonFilePath(mouseType, 0);
    moveAsideDamaged(path, why);
    QByteArray defaults(kRecordSize, '\0');
    json.createAOriginalMouseDataFile_Korvan(defaults, mouseType);
    if (!json.setMouseData_Korvan(defaults, mouseType, 0))
        qDebug() << "cannot rebuild the factory copy" << path;
}

} // namespace

QByteArray ProfileFiles::readRecord(int mouseType, int number) const
{
    QMutexLocker lock(&m_mutex);
    if (number == 0)
        repairFactoryCopy(mouseType);
    JsonHandle json;
    return json.getMouseData_Korvan(mouseType, number);
}

int ProfileFiles::findMatchingConfig(int mouseType, const QByteArray &record, int preferred) const
{
    QMutexLocker lock(&m_mutex);
    // Profiles often share their settings (all five start as the defaults):
    // the one loaded last is the one the mouse holds.
    const QVector<int> order = profileSearchOrder(preferred);
    for (int n : order) {
        const QByteArray stored = readRecord(mouseType, n);
        qDebug() << ";;;;;" << n;
        bool same = stored.size() == kRecordSize && record.size() == kRecordSize;
        for (int i = kRecordCompareOffset; same && i < kRecordCompareOffset + kRecordCompareSize; ++i) {
            if (stored[i] != record[i]) {
                qDebug() << "wwww i " << i;
                qDebug() << "tmp1" << quint8(stored[i]) << quint8(record[i]);
                same = false;
            }
        }
        if (same)
            return n;
    }
    return 0;
}

bool ProfileFiles::read(int mouseType, int number, QByteArray &record, QVector<QByteArray> &macros) const
{
    QMutexLocker lock(&m_mutex);
    if (number == 0)
        repairFactoryCopy(mouseType);
    JsonHandle json;
    bool stored = true;
    record = json.getMouseData_Korvan(mouseType, number, &stored);
    macros = QVector<QByteArray>(kMacroBufferCount);
    for (int i = 0; i < kMacroBufferCount; ++i)
        macros[i] = json.getMacroData_Korvan(mouseType, number, i);
    return stored;
}

bool ProfileFiles::write(int mouseType, int number, const QByteArray &record, const QVector<QByteArray> &macros)
{
    QMutexLocker lock(&m_mutex);
    const QString path = getConfigJsonFilePath(mouseType, number);
    QJsonObject root;
    readJsonRootObject(path, root);
    return writeJsonFile(path, putConfigIntoRoot(root, record, macros));
}

int ProfileFiles::convertOldTxtFiles(int mouseType)
{
    QMutexLocker lock(&m_mutex);
    bool allConverted = true;
    for (int n = 1; n <= 5; ++n) {
        const QString txtPath = getOldTxtConfigFilePath(mouseType, n);
        if (fileKind(txtPath) == FileKind::Missing)
            continue;
        OldTxtProfile profile;
        QString error;
        if (!readOldTxtProfileFile(txtPath, dialects::kKorvan, kRecordSize, profile, &error)) {
            qDebug() << "TurnOldTxtFileToNewJsonFile" << txtPath << error;
            allConverted = false;
            continue;
        }
        const QString jsonPath = getConfigJsonFilePath(mouseType, n);
        QJsonObject root;
        readJsonRootObject(jsonPath, root);
        if (!writeJsonFile(jsonPath, putOldTxtProfileIntoRoot(root, profile))) {
            allConverted = false;
            continue;
        }
        // Converted once: a later run must not bring the old text back over
        // changes made since.
        QFile::remove(txtPath);
    }
    return allConverted ? 1 : 0;
}

void ProfileFiles::saveOldTxtFiles(int mouseType)
{
    QMutexLocker lock(&m_mutex);
    for (int n = 1; n <= 5; ++n) {
        qDebug() << "UsbDriverMangerOX7::saveToOldTxtFile" << n;
        QByteArray record;
        QVector<QByteArray> macros;
        read(mouseType, n, record, macros);
        const QString path = getOldTxtConfigFilePath(mouseType, n);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!writeOldTxtProfileFile(path, oldTxtProfileOf(record, macros)))
            qDebug() << "UsbDriverMangerOX7::saveToOldTxtFile failed" << path;
    }
}

void ProfileFiles::removeOldTxtFiles(int mouseType)
{
    QMutexLocker lock(&m_mutex);
    for (int n = 1; n <= 5; ++n)
        QFile::remove(getOldTxtConfigFilePath(mouseType, n));
}

} // namespace familya
