#include "coordinator/dcdatahandle.h"

#include "config/currentgear.h"
#include "config/loadedprofile.h"
#include "config/paths.h"
#include "device/devicefactory.h"
#include "device/familya/familyacodec.h"
#include "device/familya/usbdrivermangerox7.h"
#include "device/korvanusbdriver.h"
#include "device/macrocapacity.h"
#include "device/usbdrivermanager.h"
#include "discovery/models.h"
#include "platform/clock.h"

#include <QDebug>
#include <QFile>
#include <QJsonArray>

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

constexpr int kFirstProfile = 1;
constexpr int kLastProfile = 5;
// OLED behaviour code "show the profile's picture".
constexpr int kOledShowsPicture = 8;

QString hex(quint16 value)
{
    return QString::asprintf("0x%x", unsigned(value));
}

// Whether the macro of a file fits the open mouse's macro memory; one that
// does not is refused before anything is written.
bool macroFitsMouse(JsonHandle &json, const QString &path)
{
    return macroFitsDevice(currentMouseType(), json.readMacroNodeList(path), json.getIgnoreDelayTime(path) != 0);
}

} // namespace

DCDataHandle::DCDataHandle(QObject *parent)
    : QObject(parent)
    , m_pairing(this)
    , m_flash(this)
{
    // The parts report under this object's names; same thread, so direct.
    connect(&m_pairing, &PairingSession::sig_startTimer, this, &DCDataHandle::sig_startTimer);
    connect(&m_pairing, &PairingSession::sig_stopTimer, this, &DCDataHandle::sig_stopTimer);
    connect(&m_pairing, &PairingSession::sig_startCode, this, &DCDataHandle::sig_startCode);
    connect(&m_pairing, &PairingSession::sig_finishCode, this, &DCDataHandle::sig_finishCode);
    connect(&m_pairing, &PairingSession::sig_operationEvent, this, &DCDataHandle::sendOperationEvent);
    connect(&m_flash, &FlashJob::sig_Update, this, &DCDataHandle::sig_Update);
    connect(&m_flash, &FlashJob::sig_percent, this, &DCDataHandle::sig_ProcessVaule);
    connect(&m_flash, &FlashJob::sig_result, this, &DCDataHandle::FirmWareUpdateResult);
}

DCDataHandle::~DCDataHandle()
{
    m_flash.stop();
    if (m_manager)
        m_manager->CloseDevice();
    m_pairing.setReceiver(nullptr);
    m_manager.reset();
    m_ownedDriver.reset();
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

void DCDataHandle::framedWrite(const char *operation, const std::function<int()> &write)
{
    if (!haveManager(operation))
        return;
    frame(Frame::Show);
    if (!write())
        warningReadOrWriteError();
    frame(Frame::End);
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
    m_manager = createFamilyAManager(pdriver, mosueType, wireless, wired, isWireless);
    // Only a receiver takes the pairing commands.
    m_pairing.setReceiver(isWireless ? pdriver : nullptr);
    setCurrentMouseType(mosueType);
    m_isWireless = isWireless;
}

void DCDataHandle::teardownPair(bool closeFirst)
{
    if (closeFirst && m_manager)
        m_manager->CloseDevice();
    m_pairing.setReceiver(nullptr);
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
    if (m_pairing.isActive())
        m_pairing.stop();
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

    // A uint that is no 16-bit id selects nothing.
    DevicePair pair = (Pid > 0xFFFF) ? DevicePair() : createDevicePair(pid);
    if (pair.isValid()) {
        m_ownedDriver = std::move(pair.driver);
        m_manager = std::move(pair.manager);
        m_pairing.setReceiver(pair.receiver);
        setCurrentMouseType(pair.mouseType);
        m_isWireless = pair.wireless;
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
        emit sig_OpenDeviceFailed(pid);
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
        const QByteArray open = familya::dongleOpenCommand();
        const QByteArray end = familya::dongleEndPairingCommand();
        sendDongleCommandWithAck(open, open.size());
        sendDongleCommandWithAck(end, end.size());
        warn(Warning::ReceiverMismatch);
        sendOperationEvent(QString::fromUtf8(kEventReceiverMismatch));
        return false;
    }
    return true;
}

// The receiver's acknowledge and work-mode loops are the driver's.
bool DCDataHandle::sendDongleCommandWithAck(const QByteArray &bytes, int length)
{
    if (length < 0 || length > bytes.size())
        length = bytes.size();
    return m_pairing.sendCommand(bytes.left(length));
}

bool DCDataHandle::ReadWorkModel(int &mode)
{
    return m_pairing.readWorkMode(mode);
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
        // Several profiles may hold the same settings; the one loaded last
        // is the one the mouse holds.
        const int loaded = loadedProfile(currentMouseType());
        if (!m_manager->CompareMouseAndLocalFileData(number, loaded) || number < kFirstProfile
            || number > kLastProfile) {
            replaceGearObject(m_gear.createGearObject(currentMouseType()));
            warn(Warning::NoMatchingProfile);
        } else {
            // The gear table edited from now on is the matching profile's.
            m_configNumber = number;
            if (number != loaded && !recordLoadedProfile(currentMouseType(), number))
                qDebug() << "GetProfileFromMouse cannot record profile" << number;
            emit sig_SetCurrentConfigure(number);
            ensureGearFile(number);
            refreshPages();
        }
    }

    m_battery.reset();
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

bool DCDataHandle::ensureGearFile(int number)
{
    const int type = currentMouseType();
    if (QFile::exists(getCpiSettingFilePath(type, number))) {
        replaceGearObject(m_gear.readGearFile(type, number));
        return true;
    }
    bool written = false;
    replaceGearObject(m_gear.createGearFile(type, number, &written));
    return written;
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
    if (!haveManager("slot_setCPIListValueOnMouse")) {
        emit sig_CPIListValueWritten(false);
        return;
    }
    frame(Frame::Show);
    const bool ok = m_manager->SetCPIListValue(dwordList, m_which);
    if (!ok) {
        qDebug() << "slot_setDPIValueOnMouse is False";
        warningReadOrWriteError();
    } else if (!setGearHanlePositionEnable(dwordList)) {
        qDebug() << "slot_setDPIValueOnMouse: the gear table was not saved";
        warningReadOrWriteError();
    } else {
        qDebug() << "slot_setDPIValueOnMouse is True";
    }
    qDebug() << "slot_setCPIListValueOnMouse" << dwordList;
    frame(Frame::End);
    emit sig_CPIListValueWritten(ok);
}

bool DCDataHandle::setGearHanlePositionEnable(const QList<DWORD> &list)
{
    QJsonObject gear = currentGearObject();
    const int type = currentMouseType();
    const int number = m_configNumber.load();
    bool saved = true;
    for (int i = 0; i < list.size(); ++i) {
        qDebug() << "setGearHanlePositionEnable level value" << i << list.at(i);
        // Entries past the table (none on a table read from disk) write nothing.
        if (i < gear.value(QStringLiteral("GearData")).toArray().size())
            saved = m_gear.setGearEnable(type, number, gear, i, list.at(i) != 0) && saved;
    }
    replaceGearObject(gear);
    return saved;
}

void DCDataHandle::slot_SetGearCurrentValue(int index, int value)
{
    QJsonObject gear = currentGearObject();
    m_gear.setGearCurrentValue(currentMouseType(), m_configNumber.load(), gear, index, value);
    setCurrentGearObject(gear);
}

void DCDataHandle::slot_ChangeUsbReportRate(int value)
{
    framedWrite("slot_ChangeUsbReportRate", [&] { return m_manager->SetUsbReportRate(value, m_which); });
}

void DCDataHandle::slot_SetMouseColor(bool isWheelLightChange, QList<COLORREF> colorList)
{
    framedWrite("slot_SetMouseColor", [&] {
        qDebug() << "slot_SetMouseColor";
        return m_manager->SetMouseColor(isWheelLightChange, colorList, m_which);
    });
}

void DCDataHandle::slot_setMouseLightMode(bool isWheelLightChange, int value)
{
    framedWrite("slot_setMouseLightMode", [&] { return m_manager->SetMouseLightMode(isWheelLightChange, value, m_which); });
}

void DCDataHandle::slot_MouseContinueLightDegree(bool isWheelLightChange, int value)
{
    framedWrite("slot_MouseContinueLightDegree", [&] { return m_manager->SetContinueLightDegree(isWheelLightChange, value, m_which); });
}

void DCDataHandle::slot_MouseBreathSpeed(bool isWheelLightChange, int value)
{
    framedWrite("slot_MouseBreathSpeed", [&] { return m_manager->SetBreathSpeed(isWheelLightChange, value, m_which); });
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
    if (!macroFitsMouse(m_json, path)) {
        qDebug() << "slot_WriteSingleMacro macro too long for the mouse" << path;
        warn(Warning::MacroTooLong);
        return;
    }
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
    for (const QString &path : qAsConst(macroList)) {
        if (!macroFitsMouse(m_json, path)) {
            qDebug() << "slot_WriteListMacro macro too long for the mouse" << path;
            warn(Warning::MacroTooLong);
            return;
        }
    }
    frame(Frame::Show);
    if (m_manager->WriteListMacro(macroList))
        warn(Warning::MacroListWritten);
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
    const bool gearKept = ensureGearFile(number);

    frame(Frame::Show);
    m_manager->SetCurrentConfigNumber(number);
    const bool loaded = withButtons ? m_manager->LoadConfigFileByNumber(number)
                                    : m_manager->LoadConfigFileWithoutButtons(number);
    if (!loaded) {
        warningReadOrWriteError();
    } else {
        if (!recordLoadedProfile(currentMouseType(), number))
            qDebug() << "LoadLocalConfigFile cannot record profile" << number;
        refreshPages();
        if (!gearKept) {
            qDebug() << "LoadLocalConfigFile: the gear table of profile" << number << "was not saved";
            warningReadOrWriteError();
        }
        frame(Frame::End);
    }

    const int type = currentMouseType();
    if (loaded && hasOledScreen(type) && m_manager->GetOLEDBehaviour() == kOledShowsPicture) {
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
    const bool saved = m_manager->SaveConfigFileByConfigureNumber(1);
    if (!m_manager->WriteCurrentConfigToMouse() || !saved)
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
    bool saved = true;
    for (int n = kFirstProfile; n <= kLastProfile; ++n) {
        saved = m_manager->SaveConfigFileByConfigureNumber(n) && saved;
        bool gearWritten = false;
        gear = m_gear.createGearFile(type, n, &gearWritten);
        saved = saved && gearWritten;
        if (n == m_configNumber.load())
            setCurrentGearObject(gear);
        const QString picture = getPictureFilePath(type, QString::number(n));
        qDebug() << "slot_ResetConfigToOriginal" << picture;
        QFile::remove(picture);
    }
    emit sig_GearObjectChanged();
    if (!saved) {
        qDebug() << "slot_ResetConfigToOriginal: not every profile file was saved";
        warningReadOrWriteError();
    }
    // The OX6 also gets its factory picture back.
    if (type == Ox6) {
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
    // Models that report a percentage have it passed on unconverted and
    // unfiltered; only the others' readings go through the table and the
    // filter.
    const bool percent = reportsBatteryPercent(currentMouseType(), m_firmwareVersion.load());
    int value = 0;
    if (!m_manager->GetBatteryPower(value, percent)) {
        qDebug() << "slot_GetBatteryPower failed";
        emit sig_BatteryPower(BatteryFilter::kUnknown);
        m_battery.restartWarmUp();
        return;
    }
    if (value < 0)
        value = 0;
    if (percent) {
        emit sig_BatteryPower(DWORD(value));
        return;
    }
    FilterTheQuantityOfElectricCharge(DWORD(value));
}

void DCDataHandle::FilterTheQuantityOfElectricCharge(DWORD value)
{
    if (const std::optional<DWORD> shown = m_battery.add(value))
        emit sig_BatteryPower(*shown);
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
    framedWrite("slot_OLEDScreenpParameter", [&] { return m_manager->SetOLEDBehaviour(behaviour); });
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
    m_battery.restartWarmUp();
    warn(Warning::ReadWriteFailed);
    if (m_manager && m_manager->GetProfileReadFailures() >= kProfileFailuresForUpdate)
        emit sig_ShowUpdateWidget(true, true, currentMouseType(), false);
    sendOperationEvent(QString::fromUtf8(kEventReadWriteFailed));
}

// --- Pairing ---------------------------------------------------------------------------------

void DCDataHandle::slot_startCode()
{
    m_pairing.start();
}

void DCDataHandle::slot_stopCode()
{
    m_pairing.stop();
    qDebug() << "slot_stopCode";
}

void DCDataHandle::slot_codetimerout()
{
    m_pairing.tick();
}

// --- Firmware update ------------------------------------------------------------------

void DCDataHandle::slot_UpdateFirmwareKorvan(QString path, QString mouseType)
{
    m_updating = true;
    qDebug() << "slot_UpdateFirmwareKorvan" << path << mouseType;
    if (!m_flash.countAttempt()) {
        warn(Warning::TooManyUpdates);
        return;
    }
    emit sig_StopCheckDeviceTimer();
    if (m_isWireless.load()) {
        emit sig_StartCheckDeviceTimer();
        emit sig_CloseUpdateMouseDialog();
        warn(Warning::UpdateNeedsCable);
        m_updating = false;
        return;
    }
    // The flag stays up until the flasher reports: the mouse leaves the bus
    // while it restarts, and its pair must survive that.
    FirmwareUpdate(path, mouseType);
}

void DCDataHandle::FirmwareUpdate(const QString &path, const QString &mouseType)
{
    if (m_flash.isRunning()) {
        qDebug() << "FirmwareUpdate already running";
        return;
    }
    m_flashing = true;
    if (!m_flash.start(path, mouseType))
        FirmWareUpdateResult(0);
}

void DCDataHandle::FirmWareUpdateResult(int ok)
{
    m_flash.stop();
    m_flashing = false;
    qDebug() << "FirmWareUpdateResult" << ok;
    deviceClock().sleepMs(500);
    emit sig_closeUpdatingWidget();
    if (!ok) {
        qDebug() << "firmWareUpdateResult FALSE";
        warn(Warning::UpdateFailed);
        sendOperationEvent(QString::fromUtf8(kEventUpdateFailed));
    } else {
        qDebug() << "firmWareUpdateResult TRUE";
        warn(Warning::UpdateSucceeded);
        emit sig_CloseUpdateMouseDialog();
        sendOperationEvent(QString::fromUtf8(kEventUpdateSucceeded));
    }
    m_updating = false;
    emit sig_StartCheckDeviceTimer();
    deviceClock().sleepMs(100);
}
