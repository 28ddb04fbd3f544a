#pragma once

#include <QString>

// Every stored file's path, built from the application directory (APP), the
// model folder name and a profile number. Some functions create the folder
// they return; creation failures surface later when the file is used.

QString getAppDir();
QString getConfigFilesDir();
QString getModelFolderName(int mouseType);
QString getFamilyFolderName(int mouseType);
int getDefaultFirmwareVersion(int mouseType);

QString getConfigJsonFilePath(int mouseType, int profile);
QString getConfigMouseLocalDir(int mouseType);
QString getCpiUiInterfaceDir(const QString &modelFolder, int profile);
QString getCpiSettingFilePath(int mouseType, int profile);
QString getPictureFilePath(int mouseType, const QString &profile);
QString getDefaultPictureFilePath(int mouseType);
QString getFirmwareDateFilePath(int mouseType);
QString getMacroFilesDir();
QString getPlayerCustomDir();
QString getTranslateFilePath();

// Older text-format profile files: profile 0 is the factory copy.
QString getOldTxtConfigFilePath(int mouseType, int profile);
