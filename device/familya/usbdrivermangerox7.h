#pragma once

#include "config/jsonhandle.h"
#include "device/familya/familyacodec.h"
#include "device/familya/familyaimage.h"
#include "device/familya/familyaprofilefiles.h"
#include "device/usbdrivermanager.h"

#include <QByteArray>
#include <QImage>
#include <QMap>
#include <QString>
#include <QVector>

#include <atomic>

class USBDriverOX7;

// Manager of family A: keeps the image of the mouse's current configuration
// (the 128-byte profile record of familyacodec.h plus 14 macro buffers),
// turns user values into driver calls, and after every successful change
// saves the configuration file of the current number (ConfigN.json); a
// change whose file could not be saved fails (the mouse keeps it).
//
// How the record and the macro buffers sit in the files is
// familyaprofilefiles.h's business.
//
// Lives on the coordinator's thread; the driver is not owned. The only calls
// that may come from another thread are GetOLEDLightIntensity (an atomic) and
// the file conversions (TurnOldTxtFileToNewJsonFile), which the profile files'
// lock makes safe.
class UsbDriverMangerOX7 : public USBDriverManger
{
    Q_OBJECT

public:
    static constexpr int kMacroBuffers = familya::kMacroBufferCount;
    static constexpr int kFirstListBuffer = familya::kFirstListMacroBuffer;
    static constexpr int kListMacros = kMacroBuffers - kFirstListBuffer;
    static constexpr int kFirstButton = 4;
    static constexpr int kLastButton = 14;
    // OLED behaviour byte (byte 1 of word 0x4AC) and picture modes of 0x4A0.
    static constexpr int kBehaviourByte = 1;
    static constexpr int kPictureModeDefault = 7;
    static constexpr int kPictureModeCustom = 8;

    explicit UsbDriverMangerOX7(QObject *parent = nullptr);
    ~UsbDriverMangerOX7() override;

    // The model whose encodings apply; by default the process-wide current
    // type, or the one InitModelDefaults found for the product id.
    void SetMouseType(int mouseType) { m_mouseType = mouseType; }
    int MouseType() const;

    void SetDriver(KorvanUSBDriver *driver) override;
    USBDriverOX7 *Driver() const { return m_driver; }
    bool OpenDevice() override;
    void CloseDevice() override;
    void InitModelDefaults(quint16 productId, quint16 vendorId) override;

    int SetCurrentProfile(quint8 profile) override;
    int GetCurrentProfile(quint8 &profile) override;

    int GetUsbReportRate(int &index, int which) override;
    int SetUsbReportRate(int index, int which) override;
    int GetSilentHeight(int &value, int which) override;
    int SetSilentHeight(int value, int which) override;

    int GetCPIStageMatrix(QList<DWORD> &stages, int which) override;
    int SetDPIStageMatrix(int cpi, int stage, int which) override;
    int SetCPIListValue(const QList<DWORD> &values, int which) override;

    // Byte 1 of word 0x49C.
    int GetAuxiliaryByte(int &value, int which) override;
    int SetAuxiliaryByte(int value, int which) override;

    // Family A has one light zone; it travels as the logo zone.
    int SetLightParameter(const LightColorParam &param, int which) override;
    int GetLightParameter(LightColorParam &param, int which) override;
    int SetMouseColor(bool wheelZone, const QList<COLORREF> &colors, int which) override;
    int SetMouseLightMode(bool wheelZone, int mode, int which) override;
    int SetContinueLightDegree(bool wheelZone, int value, int which) override;
    int SetBreathSpeed(bool wheelZone, int value, int which) override;

    int SetChangeButtonToKey(int button, int changeType, int keyValue, int modifier, int which) override;
    int WriteSingleMacro(const QString &macroFilePath, int button) override;
    int WriteListMacro(const QStringList &macroFilePaths) override;
    using USBDriverManger::SetChangeButtonToMacro;
    // Assigns macro page pageIndex (first kind) to a button id 4..14.
    int SetChangeButtonToMacro(int button, int pageIndex, int macroType, int which);
    // Rapid-fire count: byte 1 of word 0x89C.
    int SetGunFireNumber(int count);

    int writeImageToMouse(int mouseType, const QString &pictureName, int pictureNumber, int which) override;
    int ReadOLEDPicture(int pictureNumber, QImage &image) override;
    int SetOLEDByte(int index, int value) override;
    int SetOLEDBehaviour(int value) override;
    int SetOLEDLightIntensity(int value) override;
    int GetOLEDBehaviour() override;
    int GetOLEDLightIntensity() override;

    // The 68-byte settings block of a slot, read from the mouse.
    int ReadSettingsRecord(QByteArray &record, int which) override;
    int GetMousePid(quint16 &productId) override;
    int GetFirmwareVersion(int &version) override;
    int GetBatteryPower(int &value, bool reportsPercent) override;

    void SetConfigPathPrefix(const QString &modelFolder) override;
    bool CompareMouseAndLocalFileData(int &configNumber, int preferred) override;
    bool GetProfileData() override;
    int SetProfileData() override;
    int SetCurrentConfigNumber(int number) override;
    bool LoadConfigFileByNumber(int number) override;
    bool LoadConfigFileWithoutButtons(int number) override;
    bool SaveConfigFileByConfigureNumber(int number) override;
    bool WriteCurrentConfigToMouse() override;
    // Converts the text profiles ConfigN.txt (N = 1..5) into ConfigN.json and
    // removes each text file once converted; a file that does not parse is
    // left alone. Nonzero when every file present was converted.
    int TurnOldTxtFileToNewJsonFile() override;
    // Writes ConfigN.txt (N = 1..5) from ConfigN.json.
    void SaveToOldTxtFiles() override;
    // Deletes the text profiles ConfigN.txt, N = 1..5.
    void RemoveOldConfigFiles() override;
    void GetMouseButtonState() override;

    // The image, for the coordinator and tests.
    QByteArray ProfileRecord() const { return m_record; }
    QByteArray MacroBuffer(int index) const;
    int CurrentConfigNumber() const { return m_configNumber; }
    quint32 ButtonWord(int button) const { return m_buttonMap.value(button, 0); }
    quint32 FactoryButtonWord(int button) const { return m_factoryWords.value(button, 0); }
    QString ConfigPathPrefix() const { return m_prefix; }
    // Macro page index of a button id (0 for ids without one).
    static int macroPageIndexForButton(int button);

signals:
    void sigUpdate();

private:
    bool haveDriver(const char *operation) const;
    bool touchesRecord(int which) const { return which == 1; }
    bool saveCurrentConfig();
    void adoptRecord(const QByteArray &record);
    void syncStoredValues();
    bool writeButtonWord(int button, quint32 word, int which);
    int lightByte(int index, int value, int which);
    bool setBehaviourByte(int value);
    bool loadConfig(int number, bool keepButtons);
    QString pictureFileOfCurrentConfig() const;

    USBDriverOX7 *m_driver = nullptr;
    JsonHandle m_json; // macro files
    familya::ProfileFiles m_files;
    int m_mouseType = 0;
    QString m_prefix;

    QByteArray m_record;
    QVector<QByteArray> m_macros; // kMacroBuffers buffers of 4096 bytes
    QMap<int, quint32> m_buttonMap;     // button id -> current word
    QMap<int, int> m_buttonAddress;     // button id -> offset in slot memory
    QMap<int, quint32> m_factoryWords;  // button id -> factory word

    int m_configNumber = 1;
    // Settings the GUI thread may ask for; everything else is read from the
    // record.
    std::atomic<int> m_oledBehaviour{0};
    std::atomic<int> m_oledBrightness{0};
};
