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
    return QLatin1String(modelRow(mouseType).folder);
}

QString getFamilyFolderName(int mouseType)
{
    return QLatin1String(modelRow(mouseType).pictureFolder);
}

int getDefaultFirmwareVersion(int mouseType)
{
    return modelRow(mouseType).defaultFirmware;
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
