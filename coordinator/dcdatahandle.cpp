#include "coordinator/dcdatahandle.h"

#include "platform/clock.h"
#include "config/currentgear.h"
#include "device/familya/fwupdate.h"
#include "platform/hidbus.h"
#include "discovery/models.h"
#include "config/paths.h"
#include "device/familyb/usbdriver_ox5.h"
#include "device/familyb/usbdriver_ox6.h"
#include "device/familyb/usbdrivermanger_ox5.h"
#include "device/familyb/usbdrivermanger_ox6.h"
#include "device/familya/usbdrivermangerox7.h"
#include "device/familya/usbdriverox7.h"

#include <QDebug>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>
#include <QTime>

#include <algorithm>
#include <functional>

namespace {

// Analytics vocabulary of the operation events sent from here.
const char kCategoryOperation[] = "操作事件";
const char kScreenDevice[] = "设备";
const char kEventDeviceInserted[] = "设备插入";
const char kEventOpenFailed[] = "打开设备失败";
const char kEventOpenSucceeded[] = "打开设备成功";
const char kEventReceiverMismatch[] = "接收器与鼠标不匹配";
const char kEventReadFromMouse[] = "从鼠标读取数据";
const char kEventFactoryReset[] = "恢复出厂设置";
const char kEventReadWriteFailed[] = "读取或写入鼠标数据失败";
const char kEventUpdateSucceeded[] = "固件升级成功";
const char kEventUpdateFailed[] = "固件升级失败";
const char kEventPairingSucceeded[] = "对码成功";
const char kEventPairingFailed[] = "对码失败";
const char kEventPairingTimedOut[] = "对码超时";

constexpr int kFirstProfile = 1;
constexpr int kLastProfile = 5;
// OLED behaviour code "show the profile's picture".
constexpr int kOledShowsPicture = 8;
constexpr int kOledPictureModelType = 3;

qint64 distance(DWORD a, DWORD b)
{
    return qAbs(qint64(a) - qint64(b));
}

QString hex(quint16 value)
{
    return QString::asprintf("0x%x", unsigned(value));
}

// Type code of a family A model given by its folder name ("ox7", "OX7EU").
int familyATypeForName(const QString &name)
{
    const QString wanted = name.trimmed().toLower();
    for (const ModelIdentity &model : modelTable()) {
        if (model.family == ProtocolFamily::A && getModelFolderName(model.mouseType) == wanted)
            return model.mouseType;
    }
    return 0;
}

} // namespace

DCDataHandle::DCDataHandle(QObject *parent)
    : QObject(parent)
    , m_pairingTimer(this)
{
    m_pairingTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_pairingTimer, &QTimer::timeout, this, &DCDataHandle::slot_codetimerout);
    connect(this, &DCDataHandle::sig_startTimer, this, &DCDataHandle::onPairingTimerStart);
    connect(this, &DCDataHandle::sig_stopTimer, this, &DCDataHandle::onPairingTimerStop);
}

DCDataHandle::~DCDataHandle()
{
    stopFlasher();
    if (m_manager)
        m_manager->CloseDevice();
    m_manager.reset();
    m_ownedDriver.reset();
    m_driver = nullptr;
}

// --- Helpers -----------------------------------------------------------------------

void DCDataHandle::frame(Frame f)
{
    if (f == Frame::Show)
        emit sig_ShowLoadingDialog();
    else
        emit sig_EndLoadingDialog();
}

bool DCDataHandle::haveManager(const char *operation) const
{
    if (m_manager)
        return true;
    qDebug() << operation << "without a device";
    return false;
}

void DCDataHandle::resetBatteryFilter()
{
    m_batteryWarmUp = true;
    m_battery1 = m_battery2 = m_battery3 = 0;
    m_batteryCount = 0;
    m_batteryLevel = 0;
    m_batterySamples.clear();
}

void DCDataHandle::replaceGearObject(const QJsonObject &object)
{
    setCurrentGearObject(object);
    emit sig_GearObjectChanged();
}

void DCDataHandle::refreshCachedValues()
{
    m_oledLightIntensity = m_manager ? m_manager->GetOLEDLightIntensity() : 0;
}

void DCDataHandle::sendOperationEvent(const QString &text)
{
    const QString action = getModelFolderName(currentMouseType()) + QLatin1Char('_') + text;
    emit sig_SendOperationEventMessageToGA(QString::fromUtf8(kCategoryOperation), action, QString(),
                                           QString::fromUtf8(kScreenDevice));
}

bool DCDataHandle::ImageToByteArr(const QImage &image, QByteArray &imageData, int imageDataLen)
{
    // The managers pack pictures themselves.
    Q_UNUSED(image)
    Q_UNUSED(imageData)
    Q_UNUSED(imageDataLen)
    return true;
}

// --- Pair lifecycle ------------------------------------------------------------------

void DCDataHandle::createAKorvanInitObject(USBDriverOX7 *pdriver, int mosueType, const QString &wireless,
                                           const QString &wired, bool isWireless)
{
    if (!pdriver)
        return;
    pdriver->SetWiredWirelessString(wired, wireless);
    pdriver->SetConnectionMode(isWireless ? 1 : 0);
    auto manager = std::make_unique<UsbDriverMangerOX7>();
    manager->SetMouseType(mosueType);
    manager->SetDriver(pdriver);
    m_manager = std::move(manager);
    // Only a receiver takes the pairing commands.
    m_driver = isWireless ? pdriver : nullptr;
    setCurrentMouseType(mosueType);
    m_isWireless = isWireless;
}

void DCDataHandle::teardownPair(bool closeFirst)
{
    if (closeFirst && m_manager)
        m_manager->CloseDevice();
    m_driver = nullptr;
    // The manager does not own its driver: manager first, then the driver,
    // whose destructor closes whatever is still open.
    m_manager.reset();
    m_ownedDriver.reset();
    m_productId = 0;
    m_oledLightIntensity = 0;
}

void DCDataHandle::releaseObject()
{
    teardownPair(false);
}

void DCDataHandle::destroyUselessThings()
{
    emit sig_RemoveReloadWidget();
    qDebug() << "DCDataHandle::destroyUselessThings()";
    // A mouse restarting into its boot loader disappears for a while; the
    // pair must survive that.
    if (m_updating.load() || !m_manager)
        return;
    if (m_pairingActive)
        emit sig_stopTimer();
    disconnect(m_manager.get(), nullptr, this, nullptr);
    teardownPair(true);
    qDebug() << "DCDataHandle::destroyUselessThings() End";
}

void DCDataHandle::connectSignal()
{
    if (!m_manager)
        return;
    USBDriverManger *m = m_manager.get();
    connect(m, &USBDriverManger::sig_CurrentButtonIsOriginalButton, this,
            &DCDataHandle::sig_CurrentButtonIsOriginalButton, Qt::UniqueConnection);
    connect(m, &USBDriverManger::sig_WarningOnlyLeftButton, this, &DCDataHandle::sig_ShowWarningDialog,
            Qt::UniqueConnection);
    connect(m, &USBDriverManger::sig_TrueMouseValue, this, &DCDataHandle::sig_TrueMouseValue,
            Qt::UniqueConnection);
    connect(m, &USBDriverManger::sig_KorvanMouseUpdateResult, this, &DCDataHandle::FirmWareUpdateResult,
            Qt::UniqueConnection);
}

// --- Opening -------------------------------------------------------------------------

void DCDataHandle::slot_OpenDevice(uint Pid, uint Vid)
{
    const quint16 pid = quint16(Pid);
    const quint16 vid = quint16(Vid);
    if (pid == PID_BOOTLOADER)
        return;

    m_isWireless = false;
    setCurrentMouseType(0);
    if (m_manager) {
        disconnect(m_manager.get(), nullptr, this, nullptr);
        releaseObject();
    }
    qDebug().noquote() << QString::asprintf("openDevice Pid 0x%x", unsigned(pid));
    m_productId = 0;
    ++m_openCount;
    qDebug() << "openDevice Count" << m_openCount;

    const FamilySelection selection = (Pid > 0xFFFF) ? FamilySelection() : selectFamilyForPid(pid);
    switch (selection.family) {
    case ProtocolFamily::A: {
        auto driver = std::make_unique<USBDriverOX7>();
        USBDriverOX7 *raw = driver.get();
        m_ownedDriver = std::move(driver);
        createAKorvanInitObject(raw, selection.mouseType, wirelessPathFragment(selection.mouseType),
                                wiredPathFragment(selection.mouseType), selection.wireless);
        break;
    }
    case ProtocolFamily::B: {
        auto driver = std::make_unique<USBDriver_OX6>();
        auto manager = std::make_unique<UsbDriverManger_OX6>();
        manager->SetDriver(driver.get());
        m_ownedDriver = std::move(driver);
        m_manager = std::move(manager);
        setCurrentMouseType(selection.mouseType);
        break;
    }
    case ProtocolFamily::C: {
        auto driver = std::make_unique<USBDriver_OX5>();
        auto manager = std::make_unique<UsbDriverManger_OX5>();
        manager->SetDriver(driver.get());
        m_ownedDriver = std::move(driver);
        m_manager = std::move(manager);
        setCurrentMouseType(selection.mouseType);
        break;
    }
    case ProtocolFamily::None:
        break;
    }

    if (!m_manager) {
        qDebug().noquote() << "openDevice unknown product id" << hex(pid);
        emit sig_OpenDeviceResult(false, currentMouseType(), m_isWireless.load());
        return;
    }

    const QString folder = getModelFolderName(currentMouseType());
    m_manager->SetConfigPathPrefix(folder);
    m_manager->InitModelDefaults(pid, vid);
    qDebug() << "openDevice" << folder;
    sendOperationEvent(QString::fromUtf8(kEventDeviceInserted));

    if (!m_manager->OpenDevice()) {
        sendOperationEvent(QString::fromUtf8(kEventOpenFailed));
        emit sig_OpenDeviceResult(false, currentMouseType(), m_isWireless.load());
        return;
    }

    m_manager->SetCurrentProfile(quint8(m_which));
    if (checkReceiverMatchesMouse(pid)) {
        connectSignal();
        m_productId = pid;
        emit sig_OpenDeviceResult(true, currentMouseType(), m_isWireless.load());
        GetProfileFromMouse();
    } else {
        // Never adopt a receiver that talks to a foreign mouse: its pair is
        // closed again and the caller learns that the open did not succeed.
        teardownPair(true);
        emit sig_OpenDeviceResult(false, currentMouseType(), m_isWireless.load());
    }
    sendOperationEvent(QString::fromUtf8(kEventOpenSucceeded));
}

void DCDataHandle::slot_OpenDeviceAgain()
{
    slot_OpenDevice(m_productId.load(), VID_KORVAN);
}

bool DCDataHandle::checkReceiverMatchesMouse(quint16 pid)
{
    if (!isWirelessPid(pid) || !m_manager)
        return true;
    const FamilySelection selection = selectFamilyForPid(pid);
    const ModelIdentity *model = modelForType(selection.mouseType);
    if (!model)
        return true;
    const quint16 expected = model->wiredPid;
    quint16 mousePid = 0;
    if (!m_manager->GetMousePid(mousePid))
        mousePid = 0; // no answer: the mouse may be off, which is no mismatch
    if (mousePid != 0 && mousePid != expected) {
        qDebug().noquote() << "checkReceiverMatchesMouse mouse" << hex(mousePid) << "expected" << hex(expected);
        sendDongleCommandWithAck(QByteArray::fromHex("A081"), 2);
        sendDongleCommandWithAck(QByteArray::fromHex("A181"), 2);
        emit sig_ShowWarningDialog(kWarnReceiverMismatch);
        sendOperationEvent(QString::fromUtf8(kEventReceiverMismatch));
        return false;
    }
    return true;
}

// The receiver's acknowledge and work-mode loops are the driver's.
bool DCDataHandle::sendDongleCommandWithAck(const QByteArray &bytes, int length)
{
    if (!m_driver)
        return false;
    if (length < 0 || length > bytes.size())
        length = bytes.size();
    return m_driver->SendCommandDongleWithAck(bytes.left(length)) != 0;
}

bool DCDataHandle::ReadWorkModel(int &mode)
{
    if (!m_driver) {
        qDebug() << "readWorkModel failed";
        return false;
    }
    return m_driver->ReadWorkModel(mode) != 0;
}

// --- Reading the mouse ---------------------------------------------------------------

void DCDataHandle::slot_GetProfileFromMouse()
{
    GetProfileFromMouse();
}

void DCDataHandle::GetProfileFromMouse()
{
    if (!haveManager("GetProfileFromMouse"))
        return;
    frame(Frame::Show);
    qDebug() << "GetProfileFromMouse";

    if (!m_manager->GetProfileData()) {
        warningReadOrWriteError();
        m_firmwareVersion = getDefaultFirmwareVersion(currentMouseType());
        emit sig_VersionNumber(m_firmwareVersion.load());
        qDebug() << "slot_GetProfileFromMouse failed";
    } else {
        readFirmwareVersion();
        m_manager->TurnOldTxtFileToNewJsonFile();
        int number = 0;
        if (!m_manager->CompareMouseAndLocalFileData(number) || number < kFirstProfile
            || number > kLastProfile) {
            replaceGearObject(m_gear.createGearObject(currentMouseType()));
            emit sig_ShowWarningDialog(kWarnNoMatchingProfile);
        } else {
            // The gear table edited from now on is the matching profile's.
            m_configNumber = number;
            emit sig_SetCurrentConfigure(number);
            ensureGearFile(number);
            refreshPages();
        }
    }

    resetBatteryFilter();
    refreshCachedValues();
    sendOperationEvent(QString::fromUtf8(kEventReadFromMouse));
    frame(Frame::End);
}

bool DCDataHandle::readFirmwareVersion()
{
    if (!m_manager)
        return false;
    int version = 0;
    if (!m_manager->GetFirmwareVersion(version)) {
        // An unread version must not pass for version 0.
        version = getDefaultFirmwareVersion(currentMouseType());
        qDebug() << "GetProfileFromMouse GetFwVersion failed, using" << version;
        emit sig_VersionNumber(version);
        m_firmwareVersion = version;
        return false;
    }
    emit sig_VersionNumber(version);
    m_firmwareVersion = version;
    qDebug() << "GetProfileFromMouse GetFwVersion" << version;
    return true;
}

void DCDataHandle::refreshPages()
{
    if (!m_manager)
        return;
    setCPIValueOnPage();
    setUsbReportRateOnPage();
    setLightParameterOnPage();
    setMouseButtonOnPage();
}

void DCDataHandle::ensureGearFile(int number)
{
    const int type = currentMouseType();
    if (!QFile::exists(getCpiSettingFilePath(type, number)))
        replaceGearObject(m_gear.createGearFile(type, number));
    else
        replaceGearObject(m_gear.readGearFile(type, number));
}

void DCDataHandle::setCPIValueOnPage()
{
    if (!haveManager("setDPIValueOnPage"))
        return;
    QList<DWORD> stages;
    if (!m_manager->GetCPIStageMatrix(stages, m_which)) {
        qDebug() << "DCDataHandle setDPIValueOnPage false";
        warningReadOrWriteError();
        return;
    }
    // The pages always get seven stages.
    while (stages.size() < 7)
        stages.append(0);
    stages = stages.mid(0, 7);
    emit sig_SetCurrentCpiListValueOnPage(stages);
    qDebug() << "DCDataHandle setDPIValueOnPage" << stages;
}

void DCDataHandle::SetSilentHeightOnPage()
{
    if (!haveManager("SetSilentHeightOnPage"))
        return;
    int value = 0;
    m_manager->GetSilentHeight(value, m_which);
}

void DCDataHandle::slotSetMouseSilentHeigh(int value)
{
    if (!haveManager("slotSetMouseSilentHeigh"))
        return;
    m_manager->SetSilentHeight(value, m_which);
}

void DCDataHandle::setUsbReportRateOnPage()
{
    if (!haveManager("setUsbReportRateOnPage"))
        return;
    int value = 0;
    if (!m_manager->GetUsbReportRate(value, m_which)) {
        warningReadOrWriteError();
        return;
    }
    emit sig_SetCurrentReportRate(value);
}

void DCDataHandle::setLightParameterOnPage()
{
    if (!haveManager("setLightParameterOnPage"))
        return;
    frame(Frame::Show);
    m_manager->GetLightParameter(m_lightParam, m_which);
    emit sig_SetLightParameterOnPage(m_lightParam);
    frame(Frame::End);
}

void DCDataHandle::setMouseButtonOnPage()
{
    if (!haveManager("setMouseButtonOnPage"))
        return;
    frame(Frame::Show);
    m_manager->GetMouseButtonState();
    frame(Frame::End);
}

// --- Settings --------------------------------------------------------------------------

void DCDataHandle::slot_setCPIListValueOnMouse(QList<DWORD> dwordList)
{
    if (!haveManager("slot_setCPIListValueOnMouse"))
        return;
    frame(Frame::Show);
    if (!m_manager->SetCPIListValue(dwordList, m_which)) {
        qDebug() << "slot_setDPIValueOnMouse is False";
        warningReadOrWriteError();
    } else {
        setGearHanlePositionEnable(dwordList);
        qDebug() << "slot_setDPIValueOnMouse is True";
    }
    qDebug() << "slot_setCPIListValueOnMouse" << dwordList;
    frame(Frame::End);
}

void DCDataHandle::setGearHanlePositionEnable(const QList<DWORD> &list)
{
    QJsonObject gear = currentGearObject();
    const int type = currentMouseType();
    const int number = m_configNumber.load();
    for (int i = 0; i < list.size(); ++i) {
        qDebug() << "setGearHanlePositionEnable level value" << i << list.at(i);
        m_gear.setGearEnable(type, number, gear, i, list.at(i) != 0);
    }
    replaceGearObject(gear);
}

void DCDataHandle::slot_SetGearCurrentValue(int index, int value)
{
    QJsonObject gear = currentGearObject();
    m_gear.setGearCurrentValue(currentMouseType(), m_configNumber.load(), gear, index, value);
    setCurrentGearObject(gear);
}

void DCDataHandle::slot_ChangeUsbReportRate(int value)
{
    if (!haveManager("slot_ChangeUsbReportRate"))
        return;
    frame(Frame::Show);
    if (!m_manager->SetUsbReportRate(value, m_which))
        warningReadOrWriteError();
    frame(Frame::End);
}

void DCDataHandle::slot_SetMouseColor(bool isWheelLightChange, QList<COLORREF> colorList)
{
    if (!haveManager("slot_SetMouseColor"))
        return;
    frame(Frame::Show);
    qDebug() << "slot_SetMouseColor";
    if (!m_manager->SetMouseColor(isWheelLightChange, colorList, m_which))
        warningReadOrWriteError();
    frame(Frame::End);
}

void DCDataHandle::slot_setMouseLightMode(bool isWheelLightChange, int value)
{
    if (!haveManager("slot_setMouseLightMode"))
        return;
    frame(Frame::Show);
    if (!m_manager->SetMouseLightMode(isWheelLightChange, value, m_which))
        warningReadOrWriteError();
    frame(Frame::End);
}

void DCDataHandle::slot_MouseContinueLightDegree(bool isWheelLightChange, int value)
{
    if (!haveManager("slot_MouseContinueLightDegree"))
        return;
    frame(Frame::Show);
    if (!m_manager->SetContinueLightDegree(isWheelLightChange, value, m_which))
        warningReadOrWriteError();
    frame(Frame::End);
}

void DCDataHandle::slot_MouseBreathSpeed(bool isWheelLightChange, int value)
{
    if (!haveManager("slot_MouseBreathSpeed"))
        return;
    frame(Frame::Show);
    if (!m_manager->SetBreathSpeed(isWheelLightChange, value, m_which))
        warningReadOrWriteError();
    frame(Frame::End);
}

void DCDataHandle::slot_ChangeButtonToKey(int button, int vkCode, int modifyKey, int changeType)
{
    if (!haveManager("slot_ChangeButtonToKey"))
        return;
    frame(Frame::Show);
    if (!m_manager->SetChangeButtonToKey(button, changeType, vkCode, modifyKey, m_which)) {
        warningReadOrWriteError();
        qDebug() << "slot_ChangeButtonToKey failed";
    }
    frame(Frame::End);
}

void DCDataHandle::slot_ChangeButtonToMacro(int macroType, int button, int address)
{
    Q_UNUSED(address)
    if (!haveManager("slot_ChangeButtonToMacro"))
        return;
    frame(Frame::Show);
    m_manager->SetChangeButtonToMacro(button, 0, macroType);
    frame(Frame::End);
}

void DCDataHandle::slot_WriteSingleMacro(int button, QString path)
{
    if (!haveManager("slot_WriteSingleMacro"))
        return;
    frame(Frame::Show);
    if (m_manager->WriteSingleMacro(path, button)) {
        qDebug() << "slot_WriteSingleMacro True";
    } else {
        qDebug() << "slot_WriteSingleMacro False";
        warningReadOrWriteError();
    }
    frame(Frame::End);
}

void DCDataHandle::slot_WriteListMacro(QStringList macroList)
{
    if (!haveManager("slot_WriteListMacro"))
        return;
    frame(Frame::Show);
    if (m_manager->WriteListMacro(macroList))
        emit sig_ShowWarningDialog(kWarnMacroListWritten);
    frame(Frame::End);
}

// --- Profiles ------------------------------------------------------------------------------

void DCDataHandle::slot_LoadLocalConfigFileAndWriteIntoMouse(int number)
{
    loadProfileAndWrite(number, true);
}

void DCDataHandle::slot_LoadOnlyLocalMouseConfigFileAndWriteIntoMouse(int number)
{
    loadProfileAndWrite(number, false);
}

void DCDataHandle::loadProfileAndWrite(int number, bool withButtons)
{
    if (!haveManager("LoadLocalConfigFile"))
        return;
    // Only the five user profiles may be loaded this way.
    if (number < kFirstProfile || number > kLastProfile) {
        qDebug() << "LoadLocalConfigFile refuses profile" << number;
        return;
    }
    frame(Frame::Show);
    m_configNumber = number;
    qDebug() << (withButtons ? "slot_LoadLocalConfigFileAndWriteIntoMouse m_configNumber"
                             : "slot_LoadOnlyLocalMouseConfigFileAndWriteIntoMouse m_configNumber")
             << number;
    ensureGearFile(number);

    frame(Frame::Show);
    m_manager->SetCurrentConfigNumber(number);
    const bool loaded = withButtons ? m_manager->LoadConfigFileByNumber(number)
                                    : m_manager->LoadConfigFileWithoutButtons(number);
    if (!loaded) {
        warningReadOrWriteError();
    } else {
        refreshPages();
        frame(Frame::End);
    }

    const int type = currentMouseType();
    if (loaded && (type == kOledPictureModelType || isOx7OrOx7Q(type))
        && m_manager->GetOLEDBehaviour() == kOledShowsPicture) {
        frame(Frame::Show);
        m_manager->writeImageToMouse(type, QString::number(number), 0, 1);
        frame(Frame::End);
    }
    refreshCachedValues();
    frame(Frame::End);
}

void DCDataHandle::slot_SaveProfileToConfig1()
{
    if (!haveManager("slot_SaveProfileToConfig1"))
        return;
    frame(Frame::Show);
    qDebug() << "slot_SaveProfileToConfig1";
    m_manager->SaveConfigFileByConfigureNumber(1);
    if (!m_manager->WriteCurrentConfigToMouse())
        warningReadOrWriteError();
    refreshPages();
    refreshCachedValues();
    frame(Frame::End);
}

void DCDataHandle::slot_ResetConfigToOriginal()
{
    if (!haveManager("slot_ResetConfigToOriginal"))
        return;
    sendOperationEvent(QString::fromUtf8(kEventFactoryReset));
    frame(Frame::Show);
    if (!m_manager->LoadConfigFileByNumber(0)) {
        warningReadOrWriteError();
        frame(Frame::End);
        return;
    }
    const int type = currentMouseType();
    QJsonObject gear;
    for (int n = kFirstProfile; n <= kLastProfile; ++n) {
        m_manager->SaveConfigFileByConfigureNumber(n);
        gear = m_gear.createGearFile(type, n);
        if (n == m_configNumber.load())
            setCurrentGearObject(gear);
        const QString picture = getPictureFilePath(type, QString::number(n));
        qDebug() << "slot_ResetConfigToOriginal" << picture;
        QFile::remove(picture);
    }
    emit sig_GearObjectChanged();
    if (type == kOledPictureModelType) {
        frame(Frame::Show);
        m_manager->writeImageToMouse(type, QStringLiteral("0"), 0, 1);
        frame(Frame::End);
    }
    refreshPages();
    refreshCachedValues();
    frame(Frame::End);
}

// --- Battery -------------------------------------------------------------------------------

void DCDataHandle::slot_GetBatteryPower()
{
    if (!m_manager || !m_isWireless.load() || m_productId.load() == 0)
        return;
    int value = 0;
    if (!m_manager->GetBatteryPower(value)) {
        qDebug() << "slot_GetBatteryPower failed";
        emit sig_BatteryPower(kBatteryUnknown);
        setBatteryWarmUp();
        return;
    }
    if (value < 0)
        value = 0;
    if (reportsBatteryPercent(currentMouseType(), m_firmwareVersion.load())) {
        emit sig_BatteryPower(DWORD(value));
        return;
    }
    FilterTheQuantityOfElectricCharge(DWORD(value));
}

void DCDataHandle::FilterTheQuantityOfElectricCharge(DWORD value)
{
    qDebug() << "FilterTheQuantityOfElectricCharge value" << value;
    if (m_batteryWarmUp) {
        m_battery1 = m_battery2;
        m_battery2 = m_battery3;
        m_battery3 = value;
        if (m_battery1 == 0 && m_battery2 == 0 && m_battery3 == 0) {
            emit sig_BatteryPower(kBatteryUnknown);
            return;
        }
        if (distance(m_battery2, m_battery1) < 2 && distance(m_battery3, m_battery2) < 2) {
            m_batteryLevel = value;
            m_batteryWarmUp = false;
            m_batteryCount = 0;
            m_batterySamples.clear();
            emit sig_BatteryPower(value);
            qDebug() << "+++FilterTheQuantityOfElectricCharge getCorrectValue+++" << m_battery1 << m_battery2
                     << m_battery3;
        }
        return;
    }

    if (value == m_batteryLevel) {
        m_batteryCount = 0;
        m_batterySamples.clear();
        return;
    }
    if (distance(value, m_batteryLevel) < 3)
        return;
    m_batterySamples.append(value);
    ++m_batteryCount;
    qDebug() << "Now filter times is " << m_batteryCount;
    qDebug() << "Now current battery value is" << m_batteryLevel;
    if (m_batteryCount >= kBatterySamples) {
        std::sort(m_batterySamples.begin(), m_batterySamples.end(), std::greater<DWORD>());
        m_batteryLevel = m_batterySamples.at(3);
        emit sig_BatteryPower(m_batteryLevel);
        m_batteryCount = 0;
        m_batterySamples.clear();
    }
}

// --- OLED and files ------------------------------------------------------------------------

void DCDataHandle::slot_WriteImageToMouse(QString configNumber)
{
    if (!haveManager("slot_WriteImageToMouse"))
        return;
    frame(Frame::Show);
    m_manager->writeImageToMouse(currentMouseType(), configNumber, 0, 1);
    frame(Frame::End);
}

void DCDataHandle::slot_OLEDScreenpParameter(int behaviour)
{
    if (!haveManager("slot_OLEDScreenpParameter"))
        return;
    frame(Frame::Show);
    if (!m_manager->SetOLEDBehaviour(behaviour))
        warningReadOrWriteError();
    frame(Frame::End);
}

void DCDataHandle::slot_SetOLEDScreenLightIntensity(int intensity)
{
    if (!haveManager("slot_SetOLEDScreenLightIntensity"))
        return;
    frame(Frame::Show);
    if (!m_manager->SetOLEDLightIntensity(intensity))
        warningReadOrWriteError();
    refreshCachedValues();
    frame(Frame::End);
}

void DCDataHandle::slot_removeOldTxtFile()
{
    if (haveManager("slot_removeOldTxtFile"))
        m_manager->RemoveOldConfigFiles();
}

void DCDataHandle::slot_TurnNewFileToOldFile()
{
    qDebug() << "slot_TurnNewFileToOldFile Start";
    if (m_manager)
        m_manager->SaveToOldTxtFiles();
    emit sig_StartToUploadFile();
    qDebug() << "slot_TurnNewFileToOldFile End";
}

void DCDataHandle::slot_TurnOldTxtFileToNewJsonFile()
{
    if (haveManager("slot_TurnOldTxtFileToNewJsonFile"))
        m_manager->TurnOldTxtFileToNewJsonFile();
}

// --- Failures -----------------------------------------------------------------------------

void DCDataHandle::warningReadOrWriteError()
{
    setBatteryWarmUp();
    emit sig_ShowWarningDialog(kWarnReadOrWriteFailed);
    if (m_manager && m_manager->GetProfileReadFailures() >= kProfileFailuresForUpdate)
        emit sig_ShowUpdateWidget(true, true, currentMouseType(), false);
    sendOperationEvent(QString::fromUtf8(kEventReadWriteFailed));
}

// --- Pairing ------------------------------------------------------------------------------

void DCDataHandle::onPairingTimerStart(int intervalMs)
{
    m_pairingActive = true;
    if (!m_pairingTimerManual)
        m_pairingTimer.start(intervalMs);
}

void DCDataHandle::onPairingTimerStop()
{
    m_pairingActive = false;
    m_pairingTimer.stop();
}

void DCDataHandle::slot_startCode()
{
    m_pairingTicks = 0;
    if (!m_driver || !m_isWireless.load()) {
        qDebug() << "slot_startCode without a receiver";
        emit sig_startCode(false);
        return;
    }
    bool ok = sendDongleCommandWithAck(QByteArray::fromHex("A081"), 2);
    if (ok) {
        // A fresh link address per pairing.
        QRandomGenerator generator(quint32(QTime::currentTime().msecsSinceStartOfDay() / 1000));
        const quint32 address = generator.generate();
        qDebug() << "addr:" << address;
        QByteArray command = QByteArray::fromHex("A18F");
        for (int i = 0; i < 4; ++i)
            command.append(char((address >> (8 * i)) & 0xFF));
        ok = sendDongleCommandWithAck(command, command.size());
    }
    if (!ok) {
        emit sig_startCode(false);
        return;
    }
    emit sig_startTimer(kPairingIntervalMs);
    emit sig_startCode(true);
}

void DCDataHandle::slot_stopCode()
{
    emit sig_stopTimer();
    qDebug() << "slot_stopCode";
}

void DCDataHandle::slot_codetimerout()
{
    // A tick that was already queued when pairing ended.
    if (!m_pairingActive)
        return;
    ++m_pairingTicks;
    if (m_pairingTicks >= kPairingTickLimit) {
        emit sig_stopTimer();
        sendOperationEvent(QString::fromUtf8(kEventPairingTimedOut));
        emit sig_finishCode(false);
        return;
    }
    int mode = 0;
    if (!ReadWorkModel(mode)) {
        emit sig_stopTimer();
        sendOperationEvent(QString::fromUtf8(kEventPairingFailed));
        emit sig_finishCode(false);
        return;
    }
    if (mode != 0)
        return;
    emit sig_stopTimer();
    sendOperationEvent(QString::fromUtf8(kEventPairingSucceeded));
    emit sig_finishCode(true);
}

// --- Firmware update ------------------------------------------------------------------

void DCDataHandle::slot_UpdateFirmwareKorvan(QString path, QString mouseType)
{
    m_updating = true;
    qDebug() << "slot_UpdateFirmwareKorvan" << path << mouseType;
    ++m_updateCount;
    qDebug() << "UpdateTimes" << m_updateCount;
    if (m_updateCount >= kUpdateAttemptLimit) {
        emit sig_ShowWarningDialog(kWarnTooManyUpdates);
        return;
    }
    emit sig_StopCheckDeviceTimer();
    if (m_isWireless.load()) {
        emit sig_StartCheckDeviceTimer();
        emit sig_CloseUpdateMouseDialog();
        emit sig_ShowWarningDialog(kWarnUpdateNeedsCable);
        m_updating = false;
        return;
    }
    // The flag stays up until the flasher reports: the mouse leaves the bus
    // while it restarts, and its pair must survive that.
    FirmwareUpdate(path, mouseType);
}

void DCDataHandle::FirmwareUpdate(const QString &path, const QString &mouseType)
{
    if (m_flasher) {
        qDebug() << "FirmwareUpdate already running";
        return;
    }
    const int type = familyATypeForName(mouseType);
    if (type == 0) {
        qDebug() << "FirmwareUpdate no family A model named" << mouseType;
        FirmWareUpdateResult(0);
        return;
    }
    m_flasher = new FwUpdate;
    m_flasher->SetDevicePaths(wiredPathFragment(type), hidPathFragment(VID_KORVAN, PID_BOOTLOADER));
    m_flasherThread = new QThread;
    m_flasher->moveToThread(m_flasherThread);
    connect(this, &DCDataHandle::sig_Update, m_flasher, &FwUpdate::slotUpdate);
    connect(m_flasher, &FwUpdate::sigPercent, this, &DCDataHandle::onFlasherPercent);
    connect(m_flasher, &FwUpdate::sigUpdateResult, this, &DCDataHandle::FirmWareUpdateResult);
    m_flasherThread->start();
    emit sig_Update(path);
}

void DCDataHandle::onFlasherPercent(int percent)
{
    qDebug() << "updateFirmwareOX7 percent" << percent;
    emit sig_ProcessVaule(percent);
}

void DCDataHandle::stopFlasher()
{
    if (!m_flasher)
        return;
    disconnect(this, &DCDataHandle::sig_Update, m_flasher, nullptr);
    disconnect(m_flasher, nullptr, this, nullptr);
    // Let the run finish before the flasher goes; its destructor then
    // deletes the stopped thread.
    m_flasherThread->quit();
    m_flasherThread->wait();
    delete m_flasher;
    m_flasher = nullptr;
    m_flasherThread = nullptr;
}

void DCDataHandle::FirmWareUpdateResult(int ok)
{
    stopFlasher();
    qDebug() << "FirmWareUpdateResult" << ok;
    deviceClock().sleepMs(500);
    emit sig_closeUpdatingWidget();
    if (!ok) {
        qDebug() << "firmWareUpdateResult FALSE";
        emit sig_ShowWarningDialog(kWarnUpdateFailed);
        sendOperationEvent(QString::fromUtf8(kEventUpdateFailed));
    } else {
        qDebug() << "firmWareUpdateResult TRUE";
        emit sig_ShowWarningDialog(kWarnUpdateSucceeded);
        emit sig_CloseUpdateMouseDialog();
        sendOperationEvent(QString::fromUtf8(kEventUpdateSucceeded));
    }
    m_updating = false;
    emit sig_StartCheckDeviceTimer();
    deviceClock().sleepMs(100);
}
