#pragma once

#include "device/familyb/familybcodec.h"
#include "device/familyb/familybprofilefiles.h"
#include "device/usbdrivermanager.h"
#include "device/familyb/usbdriver_ox6.h"

#include <QByteArray>
#include <QMap>
#include <QPointer>

#include <atomic>

// Manager of protocol family B. The device keeps the whole user
// configuration in one profile, so the manager keeps a working copy of its
// settings block (profile bytes 242..473), changes bytes in it for each user
// action and writes the complete profile back ("write-through"); the current
// configuration file is saved only after the device took the profile, and a
// refused write puts the working copy back as it was. A file that could not
// be saved makes the operation fail as well.
//
// Lives on the coordinator's thread. GetOLEDLightIntensity and
// TurnOldTxtFileToNewJsonFile may also be called from the GUI thread: the
// first reads an atomic, the second touches only files, under the lock of the
// profile files (familybprofilefiles.h). Does not own its driver.
class UsbDriverManger_OX6 : public USBDriverManger
{
    Q_OBJECT

public:
    explicit UsbDriverManger_OX6(QObject *parent = nullptr);
    ~UsbDriverManger_OX6() override;

    void SetDriver(KorvanUSBDriver *driver) override;
    bool OpenDevice() override;
    void CloseDevice() override;
    // Passes the ids to the driver and picks the model type from the product id.
    void InitModelDefaults(quint16 productId, quint16 vendorId) override;

    int SetCurrentProfile(quint8 profile) override;
    int GetCurrentProfile(quint8 &profile) override;

    int GetUsbReportRate(int &index, int which) override;
    int SetUsbReportRate(int index, int which) override;
    int GetSilentHeight(int &value, int which) override;
    int SetSilentHeight(int value, int which) override;

    int GetCPIStageMatrix(QList<DWORD> &stages, int which) override;
    int SetCPIListValue(const QList<DWORD> &values, int which) override;

    int GetAuxiliaryByte(int &value, int which) override;
    int SetAuxiliaryByte(int value, int which) override;
    int GetAuxiliaryByte2(int &value);
    int SetAuxiliaryByte2(int value);

    int SetLightParameter(const LightColorParam &param, int which) override;
    int GetLightParameter(LightColorParam &param, int which) override;
    int SetMouseColor(bool wheelZone, const QList<COLORREF> &colors, int which) override;
    int SetMouseLightMode(bool wheelZone, int mode, int which) override;
    int SetContinueLightDegree(bool wheelZone, int value, int which) override;
    int SetBreathSpeed(bool wheelZone, int value, int which) override;

    int SetChangeButtonToKey(int button, int changeType, int keyValue, int modifier, int which) override;
    int WriteSingleMacro(const QString &macroFilePath, int button) override;
    int WriteListMacro(const QStringList &macroFilePaths) override;
    // address: a macro number of the device; any other value means the
    // button's own macro slot.
    int SetChangeButtonToMacro(int button, int macroType, int address) override;

    int writeImageToMouse(int mouseType, const QString &pictureName, int pictureNumber, int which) override;
    // The screen holds one picture: the first bytes of the macro block.
    int ReadOLEDPicture(int pictureNumber, QImage &image) override;
    int SetOLEDBehaviour(int value) override;
    int SetOLEDLightIntensity(int value) override;
    int GetOLEDBehaviour() override;
    int GetOLEDLightIntensity() override;

    int GetFirmwareVersion(int &version) override;

    void SetConfigPathPrefix(const QString &modelFolder) override;
    bool CompareMouseAndLocalFileData(int &configNumber, int preferred) override;
    bool GetProfileData() override;
    int SetCurrentConfigNumber(int number) override;
    bool LoadConfigFileByNumber(int number) override;
    bool LoadConfigFileWithoutButtons(int number) override;
    bool SaveConfigFileByConfigureNumber(int number) override;
    bool WriteCurrentConfigToMouse() override;
    int TurnOldTxtFileToNewJsonFile() override;
    void SaveToOldTxtFiles() override;
    void RemoveOldConfigFiles() override;
    int GetProfileReadFailures() override;
    void GetMouseButtonState() override;

    // CPI encoding of the model; family C replaces these.
    virtual DWORD buildDPIValue(quint8 low, quint8 high);
    virtual familyb::CpiCode SetCPIStageMatrix(int modelType, DWORD cpi);
    virtual int returnDefaultDPIGear();

    int lightModeIndexToCode(int index) const { return familyb::lightModeIndexToCode(index); }
    int lightModeCodeToIndex(int code) const { return familyb::lightModeCodeToIndex(code); }

    // Reports every button of the model: whether it carries its factory
    // word, and what it does when it does not. Returns the number of buttons
    // that give a left click.
    int checkAllMouseButtonIsOriginalMouseButton();
    // Whether the button is the only one that gives a left click (it must
    // keep it).
    bool buttonIsOnlyLeftClick(int button) const;
    // Forgets the macros that no button refers to any more.
    void clearCorrespondingMacro();

    // Inspection (tests, the command-line tool).
    int modelType() const { return m_modelType.load(); }
    void setModelType(int modelType);
    bool isOpened() const { return m_opened; }
    int currentConfigNumber() const { return m_configNumber; }
    QByteArray settingsBlock() const { return m_settings; }
    QByteArray profile() const { return m_profile; }
    QMap<int, familyb::Macro> macros() const { return m_macros; }
    familyb::ButtonWord buttonWord(int button) const;

protected:
    USBDriver_OX6 *driver() const { return m_driver.data(); }

private:
    // Profile byte n in the settings block.
    quint8 byte(int profileByte) const;
    void setByte(int profileByte, int value);
    bool hasByte(int profileByte) const;
    void setWord(int profileByte, const familyb::ButtonWord &word);
    const familyb::LightZoneLayout &zone(bool wheelZone) const;

    // Runs change() on the working copy and writes it through; when the
    // mouse refuses, the working copy, the profile and the macros are
    // restored. Fails too when the file could not be saved (the mouse and
    // the working copy then keep the change).
    template <typename F>
    int changeAndWrite(F &&change);
    enum class WriteOutcome { Done, DeviceRefused, FileNotSaved };
    WriteOutcome writeThrough();

    int assignButtonWord(int button, const familyb::ButtonWord &word);
    int countLeftClickButtons() const;
    void reportButton(int button);
    bool macroFromFile(const QString &path, familyb::Macro &macro, int &macroType) const;
    bool saveConfigFile(int number);
    bool hasOledScreenModel() const;

    QPointer<USBDriver_OX6> m_driver;
    std::atomic<int> m_modelType{0};
    bool m_opened = false;
    quint8 m_profileValue = 1;
    int m_configNumber = 1;
    int m_readFailures = 0;
    std::atomic<int> m_oledIntensity{0};
    QString m_modelFolder;
    QByteArray m_profile;  // 476 bytes
    QByteArray m_settings; // 232 bytes: profile 242..473
    QMap<int, familyb::Macro> m_macros; // by macro slot
    familyb::ProfileFiles m_files;
};
