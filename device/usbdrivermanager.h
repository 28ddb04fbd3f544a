#pragma once

#include "config/warningtype.h"
#include "device/devicetypes.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class KorvanUSBDriver;

// Base of every protocol family's manager: turns user-level settings into
// driver calls and keeps the current configuration file in step with the
// mouse. `which` selects the copy on family A (0 = factory, 1 = working);
// other families ignore it. Operations return nonzero on success; the
// defaults do nothing and succeed. Managers do not own their driver and live
// on the coordinator's thread.
class USBDriverManger : public QObject
{
    Q_OBJECT

public:
    explicit USBDriverManger(QObject *parent = nullptr);
    ~USBDriverManger() override;

    virtual void SetDriver(KorvanUSBDriver *driver) = 0;
    virtual bool OpenDevice() = 0;
    virtual void CloseDevice();
    virtual void InitModelDefaults(quint16 productId, quint16 vendorId) = 0;

    virtual int SetCurrentProfile(quint8 profile);
    virtual int GetCurrentProfile(quint8 &profile);

    // Report rate index 0..3 = 125, 250, 500, 1000 Hz.
    virtual int GetUsbReportRate(int &index, int which);
    virtual int SetUsbReportRate(int index, int which);
    virtual int GetSilentHeight(int &value, int which);
    virtual int SetSilentHeight(int value, int which);

    // CPI stages: 7 values, 0 = stage off.
    virtual int GetCPIStageMatrix(QList<DWORD> &stages, int which);
    virtual int SetDPIStageMatrix(int cpi, int stage, int which);
    virtual int SetCPIListValue(const QList<DWORD> &values, int which);

    // A one-byte setting whose purpose the devices do not reveal.
    virtual int GetAuxiliaryByte(int &value, int which);
    virtual int SetAuxiliaryByte(int value, int which);

    // Lighting. wheelZone selects the wheel zone, else the logo zone.
    virtual int SetLightParameter(const LightColorParam &param, int which);
    virtual int GetLightParameter(LightColorParam &param, int which);
    virtual int SetMouseColor(bool wheelZone, const QList<COLORREF> &colors, int which);
    virtual int SetMouseLightMode(bool wheelZone, int mode, int which);
    virtual int SetContinueLightDegree(bool wheelZone, int value, int which);
    virtual int SetBreathSpeed(bool wheelZone, int value, int which);

    // Buttons and macros.
    virtual int SetChangeButtonToKey(int button, int changeType, int keyValue, int modifier, int which);
    virtual int WriteSingleMacro(const QString &macroFilePath, int button);
    virtual int WriteListMacro(const QStringList &macroFilePaths);
    virtual int SetChangeButtonToMacro(int button, int macroType, int address);

    // OLED screen.
    virtual int writeImageToMouse(int mouseType, const QString &pictureName, int pictureNumber, int which);
    virtual int ReadOLEDPicture(int pictureNumber, QImage &image);
    virtual int SetOLEDByte(int index, int value);
    virtual int SetOLEDBehaviour(int value);
    virtual int SetOLEDLightIntensity(int value);
    virtual int GetOLEDBehaviour();
    virtual int GetOLEDLightIntensity();

    virtual int ReadSettingsRecord(QByteArray &record, int which);
    virtual int GetMousePid(quint16 &productId);
    virtual int GetFirmwareVersion(int &version);
    // Battery level in percent, or the status codes 101..103. reportsPercent:
    // the mouse reports a percentage (discovery's reportsBatteryPercent),
    // which passes unconverted; other readings go through the model's table.
    virtual int GetBatteryPower(int &value, bool reportsPercent);

    // Configuration files (the model folder name is the path prefix).
    virtual void SetConfigPathPrefix(const QString &modelFolder);
    // The configuration file (1..5) whose settings the mouse holds: preferred
    // (the profile last loaded, 0 for none) when it matches, else the first
    // that does.
    virtual bool CompareMouseAndLocalFileData(int &configNumber, int preferred);
    virtual bool GetProfileData();
    virtual int SetProfileData();
    virtual int SetCurrentConfigNumber(int number);
    virtual bool LoadConfigFileByNumber(int number);
    virtual bool LoadConfigFileWithoutButtons(int number);
    // False when the configuration file could not be written.
    virtual bool SaveConfigFileByConfigureNumber(int number);
    virtual bool WriteCurrentConfigToMouse();
    virtual int TurnOldTxtFileToNewJsonFile();
    virtual void SaveToOldTxtFiles();
    virtual void RemoveOldConfigFiles();
    virtual int GetProfileReadFailures();
    // Reports every button: sig_CurrentButtonIsOriginalButton, and for one
    // that is not on its factory word sig_TrueMouseValue.
    virtual void GetMouseButtonState();

signals:
    void sig_CurrentButtonIsOriginalButton(bool state, int button);
    // Carries the warning type to show (Warning::OnlyLeftButton).
    void sig_WarningOnlyLeftButton(int warningType);
    void sig_KorvanMouseUpdateResult(int result);
    void sig_TrueMouseValue(int currentButton, int changeType, int trueValue, int modifyValue);
    void sig_ShowUpdateWidget(bool isChangeable, bool isLocalUpdateState, int mouseType, bool isUpdateNow);
};
