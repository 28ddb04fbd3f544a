#pragma once

#include "config/gearhandle.h"
#include "config/jsonhandle.h"
#include "config/warningtype.h"
#include "coordinator/batteryfilter.h"
#include "coordinator/flashjob.h"
#include "coordinator/pairingsession.h"
#include "device/devicetypes.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

class KorvanUSBDriver;
class USBDriverManger;
class USBDriverOX7;

// Stands between the pages and the device manager of the connected mouse:
// opens the model's driver and manager pair (built by createDevicePair),
// turns every user action into manager calls framed by busy signals, keeps
// the CPI gear table of the current profile and relays results, warnings
// (Warning::Type, carried as int) and analytics events. The battery filter,
// the receiver pairing and the firmware flash are parts of their own that
// this class drives and relays.
//
// Thread affinity: created without a parent and moved to a worker thread of
// its own; the manager, the driver, the pairing session with its timer and
// the flash job (children of this object) live there too, and every slot
// runs there (reach them through queued connections). The firmware flasher
// runs on a thread the flash job creates for it. Only the accessors marked
// thread-safe may be called from other threads.
class DCDataHandle : public QObject
{
    Q_OBJECT

public:
    static constexpr int kUpdateAttemptLimit = FlashJob::kAttemptLimit;
    static constexpr int kPairingIntervalMs = PairingSession::kIntervalMs;
    static constexpr int kPairingTickLimit = PairingSession::kTickLimit;
    static constexpr int kProfileFailuresForUpdate = 4;
    // Battery level shown when the mouse cannot tell.
    static constexpr DWORD kBatteryUnknown = BatteryFilter::kUnknown;
    static constexpr int kBatterySamples = BatteryFilter::kSamples;

    explicit DCDataHandle(QObject *parent = nullptr);
    ~DCDataHandle() override;

    // --- Thread-safe accessors (any thread) --------------------------------
    // A firmware update is in progress (the window asks on every arrival).
    bool isUpdating() const { return m_updating.load(); }
    // A firmware image is being written into the mouse right now; cutting
    // that off could leave the mouse without firmware.
    bool isFlashing() const { return m_flashing.load(); }
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
    int updateCount() const { return m_flash.attemptCount(); }
    int pairingTickCount() const { return m_pairing.tickCount(); }
    bool isPairing() const { return m_pairing.isActive(); }
    // Tests drive the pairing ticks themselves: sig_startTimer then marks
    // pairing as running without starting the real 100 ms timer.
    void setPairingTimerManual(bool manual) { m_pairing.setTimerManual(manual); }

    void createAKorvanInitObject(USBDriverOX7 *pdriver, int mosueType, const QString &wireless,
                                 const QString &wired, bool isWireless);
    void releaseObject();
    void GetProfileFromMouse();
    void refreshPages();
    // False when the gear file was missing and could not be written.
    bool ensureGearFile(int number);
    bool readFirmwareVersion();
    bool checkReceiverMatchesMouse(quint16 pid);
    bool sendDongleCommandWithAck(const QByteArray &bytes, int length);
    bool ReadWorkModel(int &mode);
    // False when the gear file could not be written.
    bool setGearHanlePositionEnable(const QList<DWORD> &list);
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
    // The device could not be opened (it may open on a later try); the
    // watcher decides whether to report it again.
    void sig_OpenDeviceFailed(uint productId);
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
    // slot_setCPIListValueOnMouse has finished (ok: the mouse took the list),
    // so the page may send the next one.
    void sig_CPIListValueWritten(bool ok);

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
    // One manager write framed by busy signals; a failure warns.
    void framedWrite(const char *operation, const std::function<int()> &write);
    void warn(Warning::Type type) { emit sig_ShowWarningDialog(type); }
    void replaceGearObject(const QJsonObject &object);
    void refreshCachedValues();
    void teardownPair(bool closeFirst);
    void loadProfileAndWrite(int number, bool withButtons);

    std::unique_ptr<USBDriverManger> m_manager;
    std::unique_ptr<KorvanUSBDriver> m_ownedDriver;

    std::atomic<int> m_configNumber{1};
    int m_which = 1;
    LightColorParam m_lightParam;
    std::atomic<quint16> m_productId{0};
    std::atomic<bool> m_isWireless{false};
    std::atomic<bool> m_updating{false};
    std::atomic<bool> m_flashing{false};
    int m_openCount = 0;
    std::atomic<int> m_firmwareVersion{1};
    std::atomic<int> m_oledLightIntensity{0};

    BatteryFilter m_battery;
    JsonHandle m_json;
    GearHandle m_gear;

    // Children of this object (they move to its thread with it).
    PairingSession m_pairing;
    FlashJob m_flash;
};
