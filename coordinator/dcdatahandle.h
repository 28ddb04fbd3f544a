#pragma once

#include "device/devicetypes.h"
#include "config/gearhandle.h"
#include "config/jsonhandle.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <memory>

class FwUpdate;
class KorvanUSBDriver;
class QThread;
class USBDriverManger;
class USBDriverOX7;

// Stands between the pages and the device manager of the connected mouse:
// opens the model's driver and manager pair, turns every user action into
// manager calls framed by busy signals, keeps the CPI gear table of the
// current profile, filters the battery level and relays results, warnings
// and analytics events.
//
// Thread affinity: created without a parent and moved to a worker thread of
// its own; the manager, the driver and the pairing timer live there too, and
// every slot runs there (reach them through queued connections). The
// firmware flasher runs on a thread the coordinator creates for it.
// Only the accessors marked thread-safe may be called from other threads.
class DCDataHandle : public QObject
{
    Q_OBJECT

public:
    // Warning types raised here.
    static constexpr int kWarnUpdateFailed = 7;
    static constexpr int kWarnUpdateSucceeded = 8;
    static constexpr int kWarnTooManyUpdates = 14;
    static constexpr int kWarnReadOrWriteFailed = 32;
    static constexpr int kWarnMacroListWritten = 37;
    static constexpr int kWarnNoMatchingProfile = 38;
    static constexpr int kWarnUpdateNeedsCable = 40;
    static constexpr int kWarnReceiverMismatch = 44;

    static constexpr int kUpdateAttemptLimit = 36;
    static constexpr int kPairingIntervalMs = 100;
    static constexpr int kPairingTickLimit = 200;
    static constexpr int kProfileFailuresForUpdate = 4;
    // Battery level shown when the mouse cannot tell.
    static constexpr DWORD kBatteryUnknown = 103;
    static constexpr int kBatterySamples = 5;

    explicit DCDataHandle(QObject *parent = nullptr);
    ~DCDataHandle() override;

    // --- Thread-safe accessors (any thread) --------------------------------
    // A firmware update is in progress (the window asks on every arrival).
    bool isUpdating() const { return m_updating.load(); }
    // OLED brightness of the open model as last read on the coordinator's
    // thread; 0 without a device.
    int oledLightIntensity() const { return m_oledLightIntensity.load(); }
    // Product id of the adopted device, 0 when none.
    quint16 currentProductId() const { return m_productId.load(); }
    bool isWirelessDevice() const { return m_isWireless.load(); }
    int firmwareVersion() const { return m_firmwareVersion.load(); }
    int currentConfigNumber() const { return m_configNumber.load(); }

    // --- Coordinator's thread only ---------------------------------------------
    USBDriverManger *manager() const { return m_manager.get(); }
    int updateCount() const { return m_updateCount; }
    int pairingTickCount() const { return m_pairingTicks; }
    bool isPairing() const { return m_pairingActive; }
    // Tests drive the pairing ticks themselves: sig_startTimer then marks
    // pairing as running without starting the real 100 ms timer.
    void setPairingTimerManual(bool manual) { m_pairingTimerManual = manual; }

    void createAKorvanInitObject(USBDriverOX7 *pdriver, int mosueType, const QString &wireless,
                                 const QString &wired, bool isWireless);
    void releaseObject();
    void GetProfileFromMouse();
    void refreshPages();
    void ensureGearFile(int number);
    bool readFirmwareVersion();
    bool checkReceiverMatchesMouse(quint16 pid);
    bool sendDongleCommandWithAck(const QByteArray &bytes, int length);
    bool ReadWorkModel(int &mode);
    void setGearHanlePositionEnable(const QList<DWORD> &list);
    void FilterTheQuantityOfElectricCharge(DWORD value);
    void FirmwareUpdate(const QString &path, const QString &mouseType);
    void sendOperationEvent(const QString &text);
    bool ImageToByteArr(const QImage &image, QByteArray &imageData, int imageDataLen);

    void setCPIValueOnPage();
    void SetSilentHeightOnPage();
    void setUsbReportRateOnPage();
    void setLightParameterOnPage();
    void setMouseButtonOnPage();
    LightColorParam lightParameter() const { return m_lightParam; }

signals:
    void sig_SetCurrentCpiListValueOnPage(QList<DWORD> values);
    void sig_SetCurrentReportRate(int value);
    void sig_SetLightParameterOnPage(LightColorParam param);
    void sig_ShowWarningDialog(int warningType);
    void sig_closeUpdatingWidget();
    void sig_VersionNumber(int version);
    void sig_SetCurrentConfigure(int number);
    void sig_CoverFirstConfigure(int number);
    void sig_CurrentButtonIsOriginalButton(bool state, int button);
    void sig_OpenDeviceResult(bool result, int mouseType, bool isWireless);
    void sig_RemoveReloadWidget();
    void sig_startTimer(int intervalMs);
    void sig_stopTimer();
    void sig_startCode(bool started);
    void sig_finishCode(bool paired);
    void sig_BatteryPower(DWORD level);
    void sig_Update(QString path);
    void sig_ProcessVaule(int percent);
    void sig_CloseUpdateMouseDialog();
    void sig_StartCheckDeviceTimer();
    void sig_StopCheckDeviceTimer();
    void sig_ShowLoadingDialog();
    void sig_EndLoadingDialog();
    void sig_TrueMouseValue(int currentButton, int changeType, int trueMouseValue, int modifyKey);
    void sig_StartToUploadFile();
    void sig_SendOperationEventMessageToGA(QString category, QString action, QString Label,
                                           QString viewScreen);
    void sig_ShowUpdateWidget(bool isChangeable, bool isLocalUpdateState, int mouseType, bool isUpdateNow);
    // The shared gear table (currentGearObject()) was replaced: re-read it.
    void sig_GearObjectChanged();

public slots:
    void slot_OpenDevice(uint Pid, uint Vid);
    void slot_OpenDeviceAgain();
    void destroyUselessThings();
    void connectSignal();
    void slot_GetProfileFromMouse();

    void slotSetMouseSilentHeigh(int value);
    void slot_setCPIListValueOnMouse(QList<DWORD> dwordList);
    void slot_ChangeUsbReportRate(int value);
    void slot_SetMouseColor(bool isWheelLightChange, QList<COLORREF> colorList);
    void slot_setMouseLightMode(bool isWheelLightChange, int value);
    void slot_MouseContinueLightDegree(bool isWheelLightChange, int value);
    void slot_MouseBreathSpeed(bool isWheelLightChange, int value);
    void slot_ChangeButtonToKey(int button, int vkCode, int modifyKey, int changeType);
    void slot_ChangeButtonToMacro(int macroType, int button, int address);
    void slot_WriteSingleMacro(int button, QString path);
    void slot_WriteListMacro(QStringList macroList);
    void slot_LoadLocalConfigFileAndWriteIntoMouse(int number);
    void slot_LoadOnlyLocalMouseConfigFileAndWriteIntoMouse(int number);
    void slot_SaveProfileToConfig1();
    void slot_GetBatteryPower();
    void slot_ResetConfigToOriginal();
    void slot_WriteImageToMouse(QString configNumber);
    void slot_OLEDScreenpParameter(int behaviour);
    void slot_SetOLEDScreenLightIntensity(int intensity);
    void slot_removeOldTxtFile();
    void slot_TurnNewFileToOldFile();
    // The GUI thread's old-file conversion, run here (queue it).
    void slot_TurnOldTxtFileToNewJsonFile();
    void slot_UpdateFirmwareKorvan(QString path, QString mouseType);
    void slot_startCode();
    void slot_stopCode();
    void slot_codetimerout();
    // The main settings page records a gear value; the file is written here.
    void slot_SetGearCurrentValue(int index, int value);
    void warningReadOrWriteError();
    void FirmWareUpdateResult(int ok);

private:
    enum class Frame { Show, End };
    void frame(Frame f);
    bool haveManager(const char *operation) const;
    void resetBatteryFilter();
    void setBatteryWarmUp() { m_batteryWarmUp = true; }
    void replaceGearObject(const QJsonObject &object);
    void refreshCachedValues();
    void teardownPair(bool closeFirst);
    void loadProfileAndWrite(int number, bool withButtons);
    void onFlasherPercent(int percent);
    void stopFlasher();
    void onPairingTimerStart(int intervalMs);
    void onPairingTimerStop();

    std::unique_ptr<USBDriverManger> m_manager;
    std::unique_ptr<KorvanUSBDriver> m_ownedDriver;
    USBDriverOX7 *m_driver = nullptr; // the family A driver in receiver mode, for pairing

    std::atomic<int> m_configNumber{1};
    int m_which = 1;
    LightColorParam m_lightParam;
    std::atomic<quint16> m_productId{0};
    std::atomic<bool> m_isWireless{false};
    std::atomic<bool> m_updating{false};
    int m_updateCount = 0;
    int m_openCount = 0;
    int m_pairingTicks = 0;
    bool m_pairingActive = false;
    bool m_pairingTimerManual = false;
    QTimer m_pairingTimer;
    std::atomic<int> m_firmwareVersion{1};
    std::atomic<int> m_oledLightIntensity{0};

    // Battery filter.
    bool m_batteryWarmUp = true;
    DWORD m_battery1 = 0; // oldest
    DWORD m_battery2 = 0;
    DWORD m_battery3 = 0;
    DWORD m_batteryLevel = 0;
    int m_batteryCount = 0;
    QList<DWORD> m_batterySamples;

    JsonHandle m_json;
    GearHandle m_gear;

    FwUpdate *m_flasher = nullptr;
    QThread *m_flasherThread = nullptr;
};
