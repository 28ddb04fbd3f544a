#include "device/familyb/usbdrivermanger_ox6.h"

#include "config/inistores.h"
#include "config/jsonhandle.h"
#include "discovery/models.h"
#include "config/paths.h"
#include "config/profiledefaults.h"
#include "device/oledpicturefile.h"

#include <QDebug>
#include <QFile>
#include <QImage>

#include <algorithm>
#include <set>

using namespace familyb;

UsbDriverManger_OX6::UsbDriverManger_OX6(QObject *parent)
    : USBDriverManger(parent)
    , m_profile(kProfileSize, '\0')
    , m_settings(kSettingsSize, '\0')
{
    setModelType(currentMouseType());
}

UsbDriverManger_OX6::~UsbDriverManger_OX6() = default;

void UsbDriverManger_OX6::setModelType(int modelType)
{
    m_modelType = modelType;
    const QByteArray defaults = haldenDefaultBlock(modelType);
    if (defaults.size() == kFileBlockSize) {
        m_settings = defaults.left(kSettingsSize);
        m_profile.replace(kSettingsOffset, kFileBlockSize, defaults);
    }
    if (m_driver)
        m_driver->setModelType(modelType);
}

// ------------------------------------------------------------ working copy

bool UsbDriverManger_OX6::hasByte(int profileByte) const
{
    return profileByte >= kSettingsOffset && profileByte < kSettingsOffset + kSettingsSize;
}

quint8 UsbDriverManger_OX6::byte(int profileByte) const
{
    return hasByte(profileByte) ? quint8(m_settings.at(profileByte - kSettingsOffset)) : 0;
}

void UsbDriverManger_OX6::setByte(int profileByte, int value)
{
    if (hasByte(profileByte))
        m_settings[profileByte - kSettingsOffset] = char(quint8(value));
}

void UsbDriverManger_OX6::setWord(int profileByte, const ButtonWord &word)
{
    for (int i = 0; i < 4; ++i)
        setByte(profileByte + i, word[size_t(i)]);
}

ButtonWord UsbDriverManger_OX6::buttonWord(int button) const
{
    const int offset = buttonWordOffset(button, modelType());
    if (offset < 0)
        return {{0, 0, 0, 0}};
    return {{byte(offset), byte(offset + 1), byte(offset + 2), byte(offset + 3)}};
}

const LightZoneLayout &UsbDriverManger_OX6::zone(bool wheelZone) const
{
    return wheelZone ? kWheelZone : kLogoZone;
}

template <typename F>
int UsbDriverManger_OX6::changeAndWrite(F &&change)
{
    const QByteArray settings = m_settings;
    const QByteArray profile = m_profile;
    const QMap<int, Macro> macros = m_macros;
    change();
    switch (writeThrough()) {
    case WriteOutcome::Done:
        return 1;
    case WriteOutcome::FileNotSaved:
        // The mouse holds the change, so the working copy keeps it too; the
        // caller learns that the file does not.
        return 0;
    case WriteOutcome::DeviceRefused:
        break;
    }
    m_settings = settings;
    m_profile = profile;
    m_macros = macros;
    return 0;
}

UsbDriverManger_OX6::WriteOutcome UsbDriverManger_OX6::writeThrough()
{
    m_profileValue = 1;
    m_profile.replace(kSettingsOffset, kSettingsSize, m_settings);
    if (!m_driver || !m_driver->WriteProfileImage(m_profile)) {
        qDebug() << "WriteProfileIntoMouseAndSaveConfigFile failed";
        return WriteOutcome::DeviceRefused;
    }
    if (!saveConfigFile(m_configNumber)) {
        qDebug() << "saveConfigFile failed" << m_configNumber;
        qDebug() << "WriteProfileIntoMouseAndSaveConfigFile failed";
        return WriteOutcome::FileNotSaved;
    }
    qDebug() << "WriteProfileIntoMouseAndSaveConfigFile ok";
    return WriteOutcome::Done;
}

// ------------------------------------------------------------- the device

void UsbDriverManger_OX6::SetDriver(KorvanUSBDriver *driver)
{
    m_driver = qobject_cast<USBDriver_OX6 *>(driver);
    if (driver && !m_driver)
        qDebug() << "UsbDriverManger_OX6::SetDriver: not a family B driver";
    if (m_driver)
        m_driver->setModelType(modelType());
}

bool UsbDriverManger_OX6::OpenDevice()
{
    m_opened = m_driver && m_driver->FindHIDDevice();
    return m_opened;
}

void UsbDriverManger_OX6::CloseDevice()
{
    if (m_driver)
        m_driver->closeDevice();
    m_opened = false;
}

void UsbDriverManger_OX6::InitModelDefaults(quint16 productId, quint16 vendorId)
{
    const FamilySelection selection = selectFamilyForPid(productId);
    if (selection.family == ProtocolFamily::B || selection.family == ProtocolFamily::C)
        setModelType(selection.mouseType);
    if (m_driver) {
        m_driver->SetDeviceId(productId, vendorId);
        m_driver->setModelType(modelType());
    }
}

int UsbDriverManger_OX6::SetCurrentProfile(quint8 profile)
{
    m_profileValue = profile;
    return 1;
}

int UsbDriverManger_OX6::GetCurrentProfile(quint8 &profile)
{
    profile = m_profileValue;
    return 1;
}

int UsbDriverManger_OX6::GetFirmwareVersion(int &version)
{
    quint32 v = 0;
    if (!m_driver || !m_driver->GetFirmwareVersion(v))
        return 0;
    version = int(v);
    return 1;
}

bool UsbDriverManger_OX6::GetProfileData()
{
    QByteArray profile;
    if (!m_driver || !m_driver->ReadProfileImage(profile) || profile.size() != kProfileSize) {
        ++m_readFailures;
        qDebug() << "Failure";
        return false;
    }
    qDebug() << "UsbDriverManger_OX6::GetProfileData" << m_profileValue;
    m_profile = profile;
    m_settings = profile.mid(kSettingsOffset, kSettingsSize);
    m_oledIntensity = byte(kDisplayBrightnessByte);

    // The macros the profile's buttons refer to.
    std::set<int> macroSlots;
    for (int button : modelButtons(modelType()))
        for (int slot : macroSlotsOfWord(buttonWord(button)))
            macroSlots.insert(slot);
    QMap<int, Macro> macros;
    for (int slot : macroSlots) {
        Macro macro;
        if (!m_driver->ReadMacro(macroNumberForSlot(slot), macro)) {
            qDebug() << "Error Macro Number" << slot;
            continue;
        }
        if (!macro.isAbsent())
            macros.insert(slot, macro);
    }
    m_macros = macros;
    qDebug() << "Succseed";
    return true;
}

int UsbDriverManger_OX6::GetProfileReadFailures()
{
    return m_readFailures;
}

bool UsbDriverManger_OX6::WriteCurrentConfigToMouse()
{
    return writeThrough() == WriteOutcome::Done;
}

// ----------------------------------------------------------------- values

int UsbDriverManger_OX6::GetUsbReportRate(int &index, int)
{
    index = byte(kReportRateByte);
    if (index > 3) {
        // One unknown value must not make the mouse unreadable: show the
        // model's factory rate, which the next change writes back.
        const QByteArray defaults = haldenDefaultBlock(modelType());
        const int fallback = defaults.size() == kFileBlockSize ? quint8(defaults.at(kReportRateByte - kSettingsOffset)) : 3;
        qWarning() << "GetUsbReportRate unknown rate" << index << "- showing the factory rate" << fallback;
        index = fallback <= 3 ? fallback : 3;
    }
    return 1;
}

int UsbDriverManger_OX6::SetUsbReportRate(int index, int)
{
    if (index < 0 || index > 3)
        return 0;
    return changeAndWrite([&] { setByte(kReportRateByte, index); });
}

int UsbDriverManger_OX6::GetSilentHeight(int &value, int)
{
    value = byte(kSilentHeightByte);
    return 1;
}

int UsbDriverManger_OX6::SetSilentHeight(int value, int)
{
    if (value < 0 || value > 0xFF)
        return 0;
    return changeAndWrite([&] { setByte(kSilentHeightByte, value); });
}

int UsbDriverManger_OX6::GetAuxiliaryByte(int &value, int)
{
    value = byte(kAuxiliaryByte);
    return 1;
}

int UsbDriverManger_OX6::SetAuxiliaryByte(int value, int)
{
    if (value < 0 || value > 0xFF)
        return 0;
    return changeAndWrite([&] { setByte(kAuxiliaryByte, value); });
}

int UsbDriverManger_OX6::GetAuxiliaryByte2(int &value)
{
    value = byte(kAuxiliaryByte2);
    return 1;
}

int UsbDriverManger_OX6::SetAuxiliaryByte2(int value)
{
    if (value < 0 || value > 0xFF)
        return 0;
    return changeAndWrite([&] { setByte(kAuxiliaryByte2, value); });
}

// -------------------------------------------------------------------- CPI

DWORD UsbDriverManger_OX6::buildDPIValue(quint8 low, quint8 high)
{
    const int cpi = decodeCpi(modelType(), CpiCode{low, high});
    qDebug().noquote() << QString::asprintf("buildDPIValue %x", cpi);
    return DWORD(cpi);
}

CpiCode UsbDriverManger_OX6::SetCPIStageMatrix(int modelType, DWORD cpi)
{
    CpiCode code;
    if (cpi == 0 || cpi > 0xFFFFFF)
        return code;
    if (!encodeCpi(modelType, int(cpi), code))
        qDebug() << "SetCPIStageMatrix 300CPIValue" << cpi << "has no code";
    return code;
}

int UsbDriverManger_OX6::returnDefaultDPIGear()
{
    return 2;
}

int UsbDriverManger_OX6::GetCPIStageMatrix(QList<DWORD> &stages, int)
{
    QList<DWORD> out;
    for (int i = 0; i < kCpiStages; ++i)
        out.append(buildDPIValue(byte(kCpiLowBytes + i), byte(kCpiHighBytes + i)));
    stages = out;
    return 1;
}

int UsbDriverManger_OX6::SetCPIListValue(const QList<DWORD> &values, int)
{
    // Every stage is coded before anything changes: a value without a code
    // of its own refuses the whole list rather than switch its stage off
    // (the model's range is for the editors and ox8ctl to keep).
    QVector<CpiCode> codes;
    bool anyOn = false;
    for (int i = 0; i < kCpiStages; ++i) {
        const DWORD cpi = i < values.size() ? values.at(i) : 0;
        CpiCode code;
        if (cpi != 0) {
            code = SetCPIStageMatrix(modelType(), cpi);
            if (cpi > 0xFFFFFF || buildDPIValue(code.low, code.high) != cpi) {
                qDebug() << "SetCPIListValue refuses" << cpi << "for stage" << i + 1;
                return 0;
            }
            anyOn = true;
        }
        codes.append(code);
    }
    if (!anyOn) {
        qDebug() << "SetCPIListValue no stage in" << values;
        return 0;
    }
    return changeAndWrite([&] {
        for (int i = 0; i < kCpiStages; ++i) {
            setByte(kCpiLowBytes + i, codes.at(i).low);
            setByte(kCpiHighBytes + i, codes.at(i).high);
            setByte(kCpiLowBytesCopy + i, codes.at(i).low);
            setByte(kCpiHighBytesCopy + i, codes.at(i).high);
        }
    });
}

// --------------------------------------------------------------- lighting

int UsbDriverManger_OX6::SetLightParameter(const LightColorParam &param, int)
{
    return changeAndWrite([&] {
        const auto put = [this](const LightZoneLayout &z, const LightZoneParam &p) {
            const int code = familyb::lightModeIndexToCode(p.mode);
            if (code != 0)
                setByte(z.mode, code);
            setByte(z.brightness, p.brightness);
            setByte(z.breath, p.breathSpeed);
            for (int i = 0; i < 3; ++i)
                setByte(z.red + i, p.color1[i]);
            setByte(z.colorPad, 0);
            setByte(z.extra, 0);
        };
        put(kWheelZone, param.wheel);
        put(kLogoZone, param.logo);
    });
}

int UsbDriverManger_OX6::GetLightParameter(LightColorParam &param, int)
{
    const auto get = [this](const LightZoneLayout &z, LightZoneParam &p) {
        p = LightZoneParam{};
        p.mode = quint8(familyb::lightModeCodeToIndex(byte(z.mode)));
        p.breathSpeed = byte(z.breath);
        p.brightness = byte(z.brightness);
        for (int i = 0; i < 3; ++i)
            p.color1[i] = byte(z.red + i);
    };
    LightColorParam out;
    get(kWheelZone, out.wheel);
    get(kLogoZone, out.logo);
    param = out;
    return 1;
}

int UsbDriverManger_OX6::SetMouseColor(bool wheelZone, const QList<COLORREF> &colors, int)
{
    qDebug() << "SetMouseColor" << wheelZone << colors.size();
    if (colors.isEmpty())
        return 1;
    const COLORREF c = colors.first();
    const LightZoneLayout &z = zone(wheelZone);
    return changeAndWrite([&] {
        setByte(z.red, colorRefRed(c));
        setByte(z.red + 1, colorRefGreen(c));
        setByte(z.red + 2, colorRefBlue(c));
        setByte(z.colorPad, 0);
        setByte(z.extra, 0);
    });
}

int UsbDriverManger_OX6::SetMouseLightMode(bool wheelZone, int mode, int)
{
    qDebug() << "SetMouseLightMode" << wheelZone << mode;
    const int code = familyb::lightModeIndexToCode(mode);
    if (code == 0)
        return 0;
    const LightZoneLayout &z = zone(wheelZone);
    return changeAndWrite([&] {
        setByte(z.mode, code);
        if (mode == 2)
            setByte(kWheelZone.extra, 0);
        if (mode == 3) {
            setByte(kLightExtraByte1, 0x03);
            setByte(kLightExtraByte2, 0x01);
        }
    });
}

int UsbDriverManger_OX6::SetContinueLightDegree(bool wheelZone, int value, int)
{
    qDebug() << "slot_MouseContinueLightDegree" << value;
    if (value < 0 || value > 0xFF)
        return 0;
    const LightZoneLayout &z = zone(wheelZone);
    return changeAndWrite([&] { setByte(z.brightness, value); });
}

int UsbDriverManger_OX6::SetBreathSpeed(bool wheelZone, int value, int)
{
    qDebug() << "SetBreathSpeed" << wheelZone << value;
    if (value < 0 || value > 0xFF)
        return 0;
    const LightZoneLayout &z = zone(wheelZone);
    return changeAndWrite([&] { setByte(z.breath, value); });
}

// ---------------------------------------------------------------- buttons

int UsbDriverManger_OX6::countLeftClickButtons() const
{
    std::set<int> offsets;
    for (int button : modelButtons(modelType()))
        if (isLeftClickWord(buttonWord(button)))
            offsets.insert(buttonWordOffset(button, modelType()));
    const int count = int(offsets.size());
    qDebug() << "LeftKeyNumber is" << count;
    return count;
}

bool UsbDriverManger_OX6::buttonIsOnlyLeftClick(int button) const
{
    if (buttonWordOffset(button, modelType()) < 0 || !isLeftClickWord(buttonWord(button)))
        return false;
    qDebug() << "CheckIsLeftButton is LeftKey" << button;
    if (countLeftClickButtons() != 1)
        return false;
    qDebug() << "You Only Have One Left Key";
    return true;
}

void UsbDriverManger_OX6::reportButton(int button)
{
    const ButtonWord word = buttonWord(button);
    const bool original = word == factoryButtonWord(button, modelType());
    emit sig_CurrentButtonIsOriginalButton(original, button);
    if (original)
        return;
    qDebug() << "ButtonChanged" << button;
    const ButtonAssignment a = describeButtonWord(word);
    emit sig_TrueMouseValue(button, a.changeType, a.trueValue, a.modifier);
}

int UsbDriverManger_OX6::checkAllMouseButtonIsOriginalMouseButton()
{
    for (int button : modelButtons(modelType()))
        reportButton(button);
    return countLeftClickButtons();
}

void UsbDriverManger_OX6::GetMouseButtonState()
{
    checkAllMouseButtonIsOriginalMouseButton();
}

void UsbDriverManger_OX6::clearCorrespondingMacro()
{
    std::set<int> used;
    for (int button : modelButtons(modelType()))
        for (int slot : macroSlotsOfWord(buttonWord(button)))
            used.insert(slot);
    for (auto it = m_macros.begin(); it != m_macros.end();) {
        if (used.count(it.key()) == 0) {
            qDebug() << "clearCorrespondingMacro" << it.key();
            it = m_macros.erase(it);
        } else {
            ++it;
        }
    }
}

int UsbDriverManger_OX6::assignButtonWord(int button, const ButtonWord &word)
{
    const int offset = buttonWordOffset(button, modelType());
    if (offset < 0)
        return 0;
    const int ok = changeAndWrite([&] {
        setWord(offset, word);
        clearCorrespondingMacro();
    });
    if (ok)
        reportButton(button);
    return ok;
}

int UsbDriverManger_OX6::SetChangeButtonToKey(int button, int changeType, int keyValue, int modifier, int)
{
    qDebug() << "SetChangeButtonToKey" << button << changeType;
    qDebug().noquote() << QString::asprintf("SetChangeButtonToKey key %x modify %x", keyValue, modifier);
    if (buttonWordOffset(button, modelType()) < 0) {
        qDebug() << "SetChangeButtonToKey: the model has no button" << button;
        return 0;
    }
    if (button == 6)
        qDebug() << "RightKeyChange";
    const ButtonWord current = buttonWord(button);
    if (button == 4 && changeType == kChangeDefault && current[2] == kLeftClickCode)
        return 1; // already the left button

    ButtonWord word{};
    if (changeType == kChangeDefault) {
        word = factoryButtonWord(button, modelType());
        int function = 0;
        QString path;
        if (readHighestFunction(button, function, path)) {
            ButtonWord advanced{};
            if (function != kChangeDefault && encodeButtonWord(function, 0, 0, advanced)) {
                qDebug() << "readHighestFunction" << button << function << path;
                word = advanced;
            }
        }
    } else if (!encodeButtonWord(changeType, keyValue, modifier, word)) {
        qDebug() << "SetChangeButtonToKey: no word for change type" << changeType;
        return 0;
    }

    switch (changeType) {
    case kChangeLeftButton: qDebug() << "MouseButtonChangeToLeftKey"; break;
    case kChangeCpiInstant: qDebug() << "MouseButtonChangeToDpiInstant"; break;
    case kChangeSwitchMacro: qDebug() << "MouseButtonChangeToSwitchMacroKey"; break;
    case kChangeProfileLoop: qDebug() << "MouseButtonChangeToProfileLoop"; break;
    case kChangeDisabled: qDebug() << "MouseButtonChangeToForbidden"; break;
    case kChangeRightButton:
    case kChangeMiddleButton:
    case kChangeForwardButton:
    case kChangeBackButton: qDebug() << "setPhiysicalButtonToAnotherMouseButton"; break;
    default: break;
    }

    if (!isLeftClickWord(word) && buttonIsOnlyLeftClick(button)) {
        emit sig_WarningOnlyLeftButton(Warning::OnlyLeftButton);
        return 1;
    }
    return assignButtonWord(button, word);
}

bool UsbDriverManger_OX6::macroFromFile(const QString &path, Macro &macro, int &macroType) const
{
    JsonHandle json;
    const int repeat = json.getMacroRepeatTimes(path);
    macroType = json.getMacroType(path);
    const bool ignoreDelays = json.getIgnoreDelayTime(path) != 0;
    Macro out;
    out.header = macroHeaderForRepeat(repeat);
    qDebug().noquote() << QString::asprintf("valueSplit2BYTE:value %x low %x high%x", repeat, out.header[1],
                                            out.header[0]);
    int skipped = 0;
    switch (encodeMacroEntries(json.readMacroNodeList(path), ignoreDelays, out.entries, &skipped)) {
    case MacroEncodeError::None: break;
    case MacroEncodeError::Empty: qDebug() << "macro has no events the device can play:" << path; return false;
    case MacroEncodeError::TooLong: qDebug() << "macro too long for the device:" << path; return false;
    }
    if (skipped > 0)
        qDebug() << "macro events without a device key left out:" << skipped;
    macro = out;
    return true;
}

int UsbDriverManger_OX6::WriteSingleMacro(const QString &macroFilePath, int button)
{
    qDebug() << "slot_WriteSingleMacro" << macroFilePath << button;
    const int slot = singleMacroSlot(button);
    if (buttonWordOffset(button, modelType()) < 0 || slot < 0)
        return 0;
    if (buttonIsOnlyLeftClick(button)) {
        emit sig_WarningOnlyLeftButton(Warning::OnlyLeftButton);
        return 1;
    }
    Macro macro;
    int macroType = 0;
    if (!macroFromFile(macroFilePath, macro, macroType))
        return 0;
    qDebug() << "slot_WriteSingleMacromacroType" << macroType;
    const quint8 number = macroNumberForSlot(slot);
    qDebug().noquote() << QString::asprintf("getButtonMacroAddress:%x", number);
    if (!m_opened || !m_driver || !m_driver->SetMacroStruct(macro, number))
        return 0;

    const QMap<int, Macro> before = m_macros;
    m_macros.insert(slot, macro);
    const int ok = SetChangeButtonToMacro(button, macroType, number);
    if (!ok)
        m_macros = before;
    return ok;
}

int UsbDriverManger_OX6::WriteListMacro(const QStringList &macroFilePaths)
{
    qDebug() << "slot_WriteListMacro" << macroFilePaths.size();
    constexpr int button = 4;
    if (macroFilePaths.isEmpty() || macroFilePaths.size() > kMaxListMacros)
        return 0;
    if (buttonIsOnlyLeftClick(button)) {
        emit sig_WarningOnlyLeftButton(Warning::OnlyLeftButton);
        return 1;
    }
    const QVector<int> macroSlots = listMacroSlots();
    QList<USBDriver_OX6::MacroEntry> entries;
    for (int i = 0; i < macroFilePaths.size(); ++i) {
        USBDriver_OX6::MacroEntry entry;
        int macroType = 0;
        if (!macroFromFile(macroFilePaths.at(i), entry.macro, macroType))
            return 0;
        entry.number = macroNumberForSlot(macroSlots.at(i));
        qDebug().noquote() << QString::asprintf("getMulitpulMacroAddress:%x", entry.number);
        entries.append(entry);
    }
    if (!m_opened || !m_driver || !m_driver->WriteMacroList(entries))
        return 0;

    const QMap<int, Macro> before = m_macros;
    for (int i = 0; i < entries.size(); ++i)
        m_macros.insert(macroSlots.at(i), entries.at(i).macro);
    const int ok = assignButtonWord(button, macroListWord(entries.size()));
    if (!ok)
        m_macros = before;
    return ok;
}

int UsbDriverManger_OX6::SetChangeButtonToMacro(int button, int macroType, int address)
{
    qDebug() << "SetChangeButtonToMacro" << button << macroType << address;
    if (button == 8)
        qDebug() << "SetChangeButtonToMacro BackKeyChange_Left";
    int slot = slotForMacroNumber(address);
    if (slot < 0)
        slot = singleMacroSlot(button);
    if (slot < 0 || buttonWordOffset(button, modelType()) < 0)
        return 0;
    if (buttonIsOnlyLeftClick(button)) {
        emit sig_WarningOnlyLeftButton(Warning::OnlyLeftButton);
        return 1;
    }
    return assignButtonWord(button, singleMacroWord(slot, macroType));
}

// ------------------------------------------------------------------ OLED

bool UsbDriverManger_OX6::hasOledScreenModel() const
{
    return hasOledScreen(modelType());
}

int UsbDriverManger_OX6::SetOLEDBehaviour(int value)
{
    qDebug() << "SetOLEDBehaviour" << value;
    if (!hasOledScreenModel())
        return 1;
    return changeAndWrite([&] { setByte(kDisplayModeByte, displayBehaviourToCode(value)); });
}

int UsbDriverManger_OX6::GetOLEDBehaviour()
{
    return displayCodeToBehaviour(byte(kDisplayModeByte));
}

int UsbDriverManger_OX6::SetOLEDLightIntensity(int value)
{
    qDebug() << "SetOLEDLightIntensity" << value;
    if (value < 0 || value > 0xFF)
        return 0;
    if (!hasOledScreenModel())
        return 1;
    const int ok = changeAndWrite([&] { setByte(kDisplayBrightnessByte, value); });
    if (ok)
        m_oledIntensity = value;
    return ok;
}

int UsbDriverManger_OX6::GetOLEDLightIntensity()
{
    return m_oledIntensity.load();
}

int UsbDriverManger_OX6::writeImageToMouse(int mouseType, const QString &pictureName, int pictureNumber, int)
{
    qDebug() << "writeImageToMouse" << mouseType << pictureName << pictureNumber;
    if (!hasOledScreenModel())
        return 1;

    const bool factory = pictureName == QLatin1String("0");
    QString path;
    if (factory) {
        // No picture of the user's own: the model's default picture, and
        // the screen shows the CPI value.
        QFile::remove(getPictureFilePath(modelType(), QString::number(m_configNumber)));
        path = getDefaultPictureFilePath(modelType());
    } else {
        path = getPictureFilePath(modelType(), pictureName);
    }

    const QImage image = readPictureFile(path, nullptr); // the OLED reader: BMP checked before decoding
    if (image.isNull() && !factory) {
        qDebug() << "slot_WriteImageToMouse SetPicture failed" << path;
        return 0;
    }
    if (!image.isNull()) {
        if (!m_driver || !m_driver->WriteMacroBlock(packOledPicture(image))) {
            qDebug() << "slot_WriteImageToMouse SetPicture failed";
            return 0;
        }
    }
    const int behaviour = factory ? kBehaviourCpi : kBehaviourPicture;
    if (!changeAndWrite([&] { setByte(kDisplayModeByte, displayBehaviourToCode(behaviour)); })) {
        qDebug() << "slot_WriteImageToMouse SetPicture failed";
        return 0;
    }
    qDebug() << "slot_WriteImageToMouse succed";
    return 1;
}

int UsbDriverManger_OX6::ReadOLEDPicture(int pictureNumber, QImage &image)
{
    Q_UNUSED(pictureNumber)
    QByteArray block;
    if (!hasOledScreenModel() || !m_driver || !m_driver->ReadMacroBlock(block))
        return 0;
    const QImage picture = unpackOledPicture(block);
    if (picture.isNull())
        return 0;
    image = picture;
    return 1;
}

// ----------------------------------------------------- configuration files

void UsbDriverManger_OX6::SetConfigPathPrefix(const QString &modelFolder)
{
    m_modelFolder = modelFolder;
}

int UsbDriverManger_OX6::SetCurrentConfigNumber(int number)
{
    if (number < 0 || number > 5)
        return 0;
    m_configNumber = number;
    return 1;
}

bool UsbDriverManger_OX6::saveConfigFile(int number)
{
    return m_files.write(modelType(), number, fileBlockOf(m_settings, m_profile), m_macros);
}

bool UsbDriverManger_OX6::SaveConfigFileByConfigureNumber(int number)
{
    qDebug() << "UsbDriverManger_OX6 SaveConfigFileByConfigureNumber" << number;
    if (number < 0 || number > 5)
        return false;
    return saveConfigFile(number);
}

bool UsbDriverManger_OX6::LoadConfigFileByNumber(int number)
{
    qDebug() << "UsbDriverManger_OX6 LoadConfigFileByNumber number" << number;
    if (number < 0 || number > 5)
        return false;
    const QByteArray block = m_files.readBlock(modelType(), number);
    if (block.size() != kFileBlockSize)
        return false;

    // Upload the macros the loaded buttons refer to, before the profile
    // that points at them.
    const QMap<int, Macro> used = macrosUsedByBlock(block, m_files.readMacros(modelType(), number), modelType());
    if (!used.isEmpty()) {
        QList<USBDriver_OX6::MacroEntry> entries;
        for (auto it = used.cbegin(); it != used.cend(); ++it)
            entries.append({macroNumberForSlot(it.key()), it.value()});
        if (!m_driver || !m_driver->WriteMacroList(entries))
            return false;
    }
    const int ok = changeAndWrite([&] {
        applyFileBlock(block, false, m_settings, m_profile);
        m_macros = used;
    });
    if (ok)
        m_oledIntensity = byte(kDisplayBrightnessByte);
    return ok != 0;
}

bool UsbDriverManger_OX6::LoadConfigFileWithoutButtons(int number)
{
    qDebug() << "UsbDriverManger_OX6 LoadConfigFileWithoutButtons number" << number;
    if (number < 0 || number > 5)
        return false;
    const QByteArray block = m_files.readBlock(modelType(), number);
    if (block.size() != kFileBlockSize)
        return false;
    const int ok = changeAndWrite([&] { applyFileBlock(block, true, m_settings, m_profile); });
    if (ok) {
        m_oledIntensity = byte(kDisplayBrightnessByte);
        GetMouseButtonState();
    }
    return ok != 0;
}

bool UsbDriverManger_OX6::CompareMouseAndLocalFileData(int &configNumber, int preferred)
{
    const int number = m_files.findMatchingConfig(modelType(), m_settings, preferred);
    if (number == 0)
        return false;
    m_configNumber = number;
    configNumber = number;
    return true;
}

int UsbDriverManger_OX6::TurnOldTxtFileToNewJsonFile()
{
    return m_files.convertOldTxtFiles(modelType());
}

void UsbDriverManger_OX6::SaveToOldTxtFiles()
{
    m_files.saveOldTxtFiles(modelType());
}

void UsbDriverManger_OX6::RemoveOldConfigFiles()
{
    m_files.removeOldTxtFiles(modelType());
}
