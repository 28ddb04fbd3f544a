#include "config/paths.h"

#include "platform/appdir.h"
#include "discovery/models.h"

#include <QDebug>
#include <QDir>

namespace {
QString mouseFileDir(int mouseType)
{
    return getConfigFilesDir() + QStringLiteral("/MouseFile/") + getModelFolderName(mouseType);
}

void ensureDir(const QString &dir)
{
    if (!QDir(dir).exists())
        QDir().mkpath(dir);
}
} // namespace

QString getAppDir()
{
    return appDirectory();
}

QString getConfigFilesDir()
{
    return getAppDir() + QStringLiteral("/ConfigFiles");
}

QString getModelFolderName(int mouseType)
{
    switch (mouseType) {
    case 2: return QStringLiteral("ox2");
    case 4: return QStringLiteral("ox1");
    case 5: return QStringLiteral("ox2s");
    case 6: return QStringLiteral("ox1s");
    case 7: return QStringLiteral("ox4c");
    case 8: return QStringLiteral("ox4q");
    case 9: return QStringLiteral("ox7c");
    case 10: return QStringLiteral("ox7q");
    case 11: return QStringLiteral("ox7");
    case 12: return QStringLiteral("ox4");
    case 13: return QStringLiteral("ox5");
    case 14: return QStringLiteral("ox7eu");
    case 18: return QStringLiteral("ox8");
    default: return QStringLiteral("ox6");
    }
}

QString getFamilyFolderName(int mouseType)
{
    if (isOx7EU(mouseType))
        return QStringLiteral("ox7");
    if (isOx2PictureCode(mouseType))
        return QStringLiteral("ox2");
    if (isOx6PictureCode(mouseType))
        return QStringLiteral("ox6");
    return getModelFolderName(mouseType);
}

int getDefaultFirmwareVersion(int mouseType)
{
    switch (mouseType) {
    case 2: return 8;
    case 3: return 10;
    case 4: return 4;
    case 5: return 3;
    case 6: return 4;
    case 7:
    case 8:
    case 9:
    case 10: return 5;
    case 11: return 32;
    case 12: return 13;
    case 13: return 2;
    case 18: return 4;
    default: return 1;
    }
}

QString getConfigJsonFilePath(int mouseType, int profile)
{
    const QString dir = mouseFileDir(mouseType)
        + (profile == 0 ? QStringLiteral("/OriginalFile") : QStringLiteral("/AFile/ConfigJsonFile"));
    ensureDir(dir);
    const QString path = dir + QStringLiteral("/Config") + QString::number(profile) + QStringLiteral(".json");
    qDebug() << "currentConfigJsonFilePath" << path;
    return path;
}

QString getConfigMouseLocalDir(int mouseType)
{
    const QString dir = mouseFileDir(mouseType) + QStringLiteral("/AFile");
    qDebug() << "currentConfigMouseLocalFilePath " << dir;
    return dir;
}

QString getCpiUiInterfaceDir(const QString &modelFolder, int profile)
{
    return getConfigFilesDir() + QStringLiteral("/MouseFile/") + modelFolder
        + QStringLiteral("/AFile/CPIUIInterfaceFile/") + QString::number(profile);
}

QString getCpiSettingFilePath(int mouseType, int profile)
{
    const QString dir = getCpiUiInterfaceDir(getModelFolderName(mouseType), profile);
    ensureDir(dir);
    return dir + QStringLiteral("/CpiSetting.json");
}

QString getPictureFilePath(int mouseType, const QString &profile)
{
    const QString dir = mouseFileDir(mouseType) + QStringLiteral("/AFile/PictureFile/") + profile;
    QDir().mkpath(dir);
    qDebug() << "currentPicturePath" << dir;
    return dir + QStringLiteral("/drawImage.BMP");
}

QString getDefaultPictureFilePath(int mouseType)
{
    const QString path = getConfigFilesDir() + QStringLiteral("/RecoverFile/PictureFile/")
        + getModelFolderName(mouseType) + QStringLiteral("/drawImage.BMP");
    qDebug() << "currentDefaultPicturePath" << path;
    return path;
}

QString getFirmwareDateFilePath(int mouseType)
{
    const QString path = getAppDir() + QStringLiteral("/Update/Clouds/") + getModelFolderName(mouseType)
        + QStringLiteral("/versiondate.txt");
    qDebug() << "currentFirmWareDate" << path;
    return path;
}

QString getMacroFilesDir()
{
    ensureDir(getConfigFilesDir() + QStringLiteral("/MacroFiles"));
    return getConfigFilesDir() + QStringLiteral("/MacroFiles");
}

QString getPlayerCustomDir()
{
    ensureDir(getConfigFilesDir() + QStringLiteral("/MacroFiles/PlayerCustom"));
    return getConfigFilesDir() + QStringLiteral("/MacroFiles/PlayerCustom");
}

QString getTranslateFilePath()
{
    return getAppDir() + QStringLiteral("/Language/translate.json");
}

QString getOldTxtConfigFilePath(int mouseType, int profile)
{
    return mouseFileDir(mouseType)
        + (profile == 0 ? QStringLiteral("/OriginalFile/Config0.txt")
                        : QStringLiteral("/AFile/Config") + QString::number(profile) + QStringLiteral(".txt"));
}
