#include "device/familya/familyaprofilefiles.h"

#include "config/jsonfile.h"
#include "config/jsonhandle.h"
#include "config/jsonkeys.h"
#include "config/oldtxtprofile.h"
#include "config/paths.h"
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

QByteArray ProfileFiles::readRecord(int mouseType, int number) const
{
    QMutexLocker lock(&m_mutex);
    JsonHandle json;
    return json.getMouseData_Korvan(mouseType, number);
}

int ProfileFiles::findMatchingConfig(int mouseType, const QByteArray &record) const
{
    QMutexLocker lock(&m_mutex);
    for (int n = 1; n <= 5; ++n) {
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

void ProfileFiles::read(int mouseType, int number, QByteArray &record, QVector<QByteArray> &macros) const
{
    QMutexLocker lock(&m_mutex);
    JsonHandle json;
    record = json.getMouseData_Korvan(mouseType, number);
    macros = QVector<QByteArray>(kMacroBufferCount);
    for (int i = 0; i < kMacroBufferCount; ++i)
        macros[i] = json.getMacroData_Korvan(mouseType, number, i);
}

bool ProfileFiles::write(int mouseType, int number, const QByteArray &record, const QVector<QByteArray> &macros)
{
    QMutexLocker lock(&m_mutex);
    const QString path = getConfigJsonFilePath(mouseType, number);
    return writeJsonFile(path, putConfigIntoRoot(readJsonRootObject(path), record, macros));
}

int ProfileFiles::convertOldTxtFiles(int mouseType)
{
    QMutexLocker lock(&m_mutex);
    bool allConverted = true;
    for (int n = 1; n <= 5; ++n) {
        const QString txtPath = getOldTxtConfigFilePath(mouseType, n);
        if (!QFileInfo::exists(txtPath))
            continue;
        OldTxtProfile profile;
        QString error;
        if (!readOldTxtProfileFile(txtPath, dialects::kKorvan, kRecordSize, profile, &error)) {
            qDebug() << "TurnOldTxtFileToNewJsonFile" << txtPath << error;
            allConverted = false;
            continue;
        }
        const QString jsonPath = getConfigJsonFilePath(mouseType, n);
        if (!writeJsonFile(jsonPath, putOldTxtProfileIntoRoot(readJsonRootObject(jsonPath), profile))) {
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
