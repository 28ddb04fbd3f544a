#include "device/usbdrivermanager.h"

USBDriverManger::USBDriverManger(QObject *parent)
    : QObject(parent)
{
}

USBDriverManger::~USBDriverManger() = default;

void USBDriverManger::CloseDevice() {}
int USBDriverManger::SetCurrentProfile(quint8) { return 1; }
int USBDriverManger::GetCurrentProfile(quint8 &) { return 1; }
int USBDriverManger::GetUsbReportRate(int &, int) { return 1; }
int USBDriverManger::SetUsbReportRate(int, int) { return 1; }
int USBDriverManger::GetSilentHeight(int &, int) { return 1; }
int USBDriverManger::SetSilentHeight(int, int) { return 1; }
int USBDriverManger::GetCPIStageMatrix(QList<DWORD> &, int) { return 1; }
int USBDriverManger::SetDPIStageMatrix(int, int, int) { return 1; }
int USBDriverManger::SetCPIListValue(const QList<DWORD> &, int) { return 1; }
int USBDriverManger::GetAuxiliaryByte(int &, int) { return 1; }
int USBDriverManger::SetAuxiliaryByte(int, int) { return 1; }
int USBDriverManger::SetLightParameter(const LightColorParam &, int) { return 1; }
int USBDriverManger::GetLightParameter(LightColorParam &, int) { return 1; }
int USBDriverManger::SetMouseColor(bool, const QList<COLORREF> &, int) { return 1; }
int USBDriverManger::SetMouseLightMode(bool, int, int) { return 1; }
int USBDriverManger::SetContinueLightDegree(bool, int, int) { return 1; }
int USBDriverManger::SetBreathSpeed(bool, int, int) { return 1; }
int USBDriverManger::SetChangeButtonToKey(int, int, int, int, int) { return 1; }
int USBDriverManger::WriteSingleMacro(const QString &, int) { return 1; }
int USBDriverManger::WriteListMacro(const QStringList &) { return 1; }
int USBDriverManger::SetChangeButtonToMacro(int, int, int) { return 1; }
int USBDriverManger::writeImageToMouse(int, const QString &, int, int) { return 1; }
int USBDriverManger::ReadOLEDPicture(int, QImage &) { return 1; }
int USBDriverManger::SetOLEDByte(int, int) { return 1; }
int USBDriverManger::SetOLEDBehaviour(int) { return 1; }
int USBDriverManger::SetOLEDLightIntensity(int) { return 1; }
int USBDriverManger::GetOLEDBehaviour() { return 1; }
int USBDriverManger::GetOLEDLightIntensity() { return 1; }
int USBDriverManger::ReadSettingsRecord(QByteArray &, int) { return 1; }
int USBDriverManger::GetMousePid(quint16 &) { return 1; }
int USBDriverManger::GetFirmwareVersion(int &) { return 1; }
int USBDriverManger::GetBatteryPower(int &, bool) { return 1; }
void USBDriverManger::SetConfigPathPrefix(const QString &) {}
bool USBDriverManger::CompareMouseAndLocalFileData(int &, int) { return true; }
bool USBDriverManger::GetProfileData() { return true; }
int USBDriverManger::SetProfileData() { return 1; }
int USBDriverManger::SetCurrentConfigNumber(int) { return 1; }
bool USBDriverManger::LoadConfigFileByNumber(int) { return true; }
bool USBDriverManger::LoadConfigFileWithoutButtons(int) { return true; }
bool USBDriverManger::SaveConfigFileByConfigureNumber(int) { return true; }
bool USBDriverManger::WriteCurrentConfigToMouse() { return true; }
int USBDriverManger::TurnOldTxtFileToNewJsonFile() { return 1; }
void USBDriverManger::SaveToOldTxtFiles() {}
void USBDriverManger::RemoveOldConfigFiles() {}
int USBDriverManger::GetProfileReadFailures() { return 1; }
void USBDriverManger::GetMouseButtonState() {}
