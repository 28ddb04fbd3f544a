#include "device/familya/usbdrivermangerox7.h"

#include "device/familya/familyacodec.h"
#include "device/familya/familyaimage.h"
#include "device/familya/familyaprofilefiles.h"
#include "discovery/models.h"
#include "config/paths.h"
#include "device/familya/usbdriverox7.h"
#include "device/oledpicturefile.h"

#include <QDebug>
#include <QFile>
#include <QThread>

using namespace familya;

static_assert(UsbDriverMangerOX7::kFirstButton == kFirstButtonId && UsbDriverMangerOX7::kLastButton == kLastButtonId,
              "the manager reports the buttons the image knows");

namespace {
QByteArray wordBytes(quint32 word)
{
    QByteArray b(4, '\0');
    putLe32(b, 0, word);
    return b;
}
} // namespace

UsbDriverMangerOX7::UsbDriverMangerOX7(QObject *parent)
    : USBDriverManger(parent)
    , m_record(kRecordSize, '\0')
    , m_macros(kMacroBuffers, emptyMacroBuffer())
{
}

UsbDriverMangerOX7::~UsbDriverMangerOX7() = default;

int UsbDriverMangerOX7::MouseType() const
{
    return m_mouseType ? m_mouseType : currentMouseType();
}

int UsbDriverMangerOX7::macroPageIndexForButton(int button)
{
    return familya::macroPageIndexForButton(button);
}

QByteArray UsbDriverMangerOX7::MacroBuffer(int index) const
{
    return index >= 0 && index < m_macros.size() ? m_macros[index] : QByteArray();
}

bool UsbDriverMangerOX7::haveDriver(const char *operation) const
{
    if (m_driver)
        return true;
    qDebug() << "UsbDriverMangerOX7" << operation << "without a driver";
    return false;
}

void UsbDriverMangerOX7::SetDriver(KorvanUSBDriver *driver)
{
    m_driver = qobject_cast<USBDriverOX7 *>(driver);
}

bool UsbDriverMangerOX7::OpenDevice()
{
    return haveDriver("OpenDevice") && m_driver->FindHIDDevice();
}

void UsbDriverMangerOX7::CloseDevice()
{
    if (m_driver)
        m_driver->UnInitDevice();
}

void UsbDriverMangerOX7::InitModelDefaults(quint16 productId, quint16 vendorId)
{
    Q_UNUSED(vendorId)
    const FamilySelection selection = selectFamilyForPid(productId);
    if (!m_mouseType && selection.family == ProtocolFamily::A)
        m_mouseType = selection.mouseType;

    QByteArray record(kRecordSize, '\0');
    m_json.createAOriginalMouseDataFile_Korvan(record, MouseType());
    m_buttonAddress.clear();
    m_factoryWords.clear();
    m_buttonMap.clear();
    if (selection.family == ProtocolFamily::A) {
        for (int button = kFirstButtonId; button <= kLastButtonId; ++button)
            m_buttonAddress.insert(button, buttonSlotOffset(button));
        m_factoryWords = factoryButtonWords(record);
    }
    adoptRecord(record);
}

// --- Record ----------------------------------------------------------------------

void UsbDriverMangerOX7::adoptRecord(const QByteArray &record)
{
    if (record.size() != kRecordSize)
        return;
    m_record = record;
    m_buttonMap = recordButtonWords(m_record, m_buttonAddress);
    syncStoredValues();
}

void UsbDriverMangerOX7::syncStoredValues()
{
    m_oledBrightness = recordByte(m_record, kOledWordOffset, 0);
    m_oledBehaviour = recordByte(m_record, kOledBehaviourOffset, kBehaviourByte);
}

bool UsbDriverMangerOX7::saveCurrentConfig()
{
    return SaveConfigFileByConfigureNumber(m_configNumber);
}

// --- Profile and simple settings ---------------------------------------------------

int UsbDriverMangerOX7::SetCurrentProfile(quint8 profile)
{
    if (!haveDriver("SetCurrentProfile") || !m_driver->SetCurrentProfile(profile))
        return 0;
    putLe32(m_record, kRecordProfileOffset, profile);
    return 1;
}

int UsbDriverMangerOX7::GetCurrentProfile(quint8 &profile)
{
    return haveDriver("GetCurrentProfile") && m_driver->GetCurrentProfile(profile);
}

int UsbDriverMangerOX7::GetUsbReportRate(int &index, int which)
{
    quint32 interval = 0;
    if (!haveDriver("GetUsbReportRate") || !m_driver->GetReportInterval(interval, which))
        return 0;
    int i = reportIndexForInterval(interval);
    if (i < 0) {
        // One unknown value must not make the whole mouse unreadable: show
        // the model's factory rate, which the next change writes back.
        QByteArray defaults(kRecordSize, '\0');
        m_json.createAOriginalMouseDataFile_Korvan(defaults, MouseType());
        i = reportIndexForInterval(recordByte(defaults, kReportIntervalOffset, 0));
        qWarning() << "GetUsbReportRate unknown interval" << interval << "- showing the factory rate" << i;
        if (i < 0)
            i = reportIndexForInterval(1);
    }
    index = i;
    return 1;
}

int UsbDriverMangerOX7::SetUsbReportRate(int index, int which)
{
    const int interval = reportIntervalForIndex(index);
    if (interval == 0) {
        qDebug() << "SetUsbReportRate index out of range" << index;
        return 0;
    }
    if (!haveDriver("SetUsbReportRate") || !m_driver->SetReportInterval(quint32(interval), which))
        return 0;
    if (touchesRecord(which))
        putRecordWord(m_record, kReportIntervalOffset, quint32(interval));
    return saveCurrentConfig() ? 1 : 0;
}

int UsbDriverMangerOX7::GetSilentHeight(int &value, int which)
{
    quint32 word = 0;
    if (!haveDriver("GetSilentHeight") || !m_driver->GetSilentHeightWord(word, which))
        return 0;
    value = int(word);
    return 1;
}

int UsbDriverMangerOX7::SetSilentHeight(int value, int which)
{
    if (!haveDriver("SetSilentHeight") || !m_driver->SetSilentHeightWord(quint32(value), which))
        return 0;
    if (touchesRecord(which))
        putRecordWord(m_record, kSilentHeightOffset, quint32(value));
    return saveCurrentConfig() ? 1 : 0;
}

int UsbDriverMangerOX7::GetAuxiliaryByte(int &value, int which)
{
    quint8 b = 0;
    if (!haveDriver("GetAuxiliaryByte") || !m_driver->GetOledWordByte(1, b, which))
        return 0;
    value = b;
    return 1;
}

int UsbDriverMangerOX7::SetAuxiliaryByte(int value, int which)
{
    if (!haveDriver("SetAuxiliaryByte") || !m_driver->SetOledWordByte(1, quint8(value), which))
        return 0;
    if (touchesRecord(which))
        putRecordByte(m_record, kOledWordOffset, 1, quint8(value));
    return saveCurrentConfig() ? 1 : 0;
}

// --- CPI --------------------------------------------------------------------------

int UsbDriverMangerOX7::GetCPIStageMatrix(QList<DWORD> &stages, int which)
{
    QByteArray matrix;
    if (!haveDriver("GetCPIStageMatrix") || !m_driver->GetCpiMatrix(matrix, which))
        return 0;
    stages = decodeCpiStages(MouseType(), matrix);
    return 1;
}

int UsbDriverMangerOX7::SetCPIListValue(const QList<DWORD> &values, int which)
{
    // A value without a code of its own is refused, not rounded or switched
    // off (the model's range is for the editors and ox8ctl to keep).
    CpiListEncoding enc;
    if (!encodeCpiList(MouseType(), values, enc)) {
        qDebug() << "SetCPIListValue no stage, or no code, in" << values;
        return 0;
    }
    if (!haveDriver("SetCPIListValue"))
        return 0;
    if (!m_driver->SetCpiStageCount(enc.lastIndex))
        return 0;
    putRecordByte(m_record, kCpiStageOffset, 2, quint8(enc.lastIndex));
    if (!m_driver->SetDpiLedRateLightIntensityByte(0, quint8(enc.currentStage)))
        return 0;
    putRecordByte(m_record, kLightWordOffset, 0, quint8(enc.currentStage));
    if (!m_driver->SetCpiMatrix(enc.matrix, which))
        return 0;
    if (touchesRecord(which))
        putRecordBytes(m_record, kCpiMatrixOffset, enc.matrix);
    return saveCurrentConfig() ? 1 : 0;
}

int UsbDriverMangerOX7::SetDPIStageMatrix(int cpi, int stage, int which)
{
    const int index = stage - 1;
    if (index < 0 || index >= kMaxCpiStages) {
        qDebug() << "SetDPIStageMatrix stage out of range" << stage;
        return 0;
    }
    QByteArray matrix;
    if (!haveDriver("SetDPIStageMatrix") || !m_driver->GetCpiMatrix(matrix, which))
        return 0;
    qDebug() << "SetDPIStageMatrix DpiMatrix" << matrix.toHex(' ');
    qDebug() << "SetDPIStageMatrix index" << index;
    int count = cpiStageCount(MouseType(), matrix);
    qDebug() << "SetDPIStageMatrix CurrentDpiCount" << count;
    qDebug() << "CurrentDPI" << recordByte(m_record, kLightWordOffset, 0);
    if (!setCpiStage(MouseType(), matrix, index, cpi, count)) {
        qDebug() << "SetDPIStageMatrix no stage to change at" << index << "of" << count;
        return 0;
    }
    qDebug() << "afterIndex " << matrix.toHex(' ');
    qDebug() << " SetDPIStageMatrix dpiCount" << count;

    const int lastIndex = count - 1;
    if (!m_driver->SetCpiStageCount(lastIndex))
        return 0;
    putRecordByte(m_record, kCpiStageOffset, 2, quint8(lastIndex));
    if (!m_driver->SetCpiMatrix(matrix, which))
        return 0;
    if (touchesRecord(which))
        putRecordBytes(m_record, kCpiMatrixOffset, matrix);
    if (recordByte(m_record, kLightWordOffset, 0) > lastIndex) {
        if (!m_driver->SetDpiLedRateLightIntensityByte(0, quint8(lastIndex)))
            return 0;
        putRecordByte(m_record, kLightWordOffset, 0, quint8(lastIndex));
    }
    return saveCurrentConfig() ? 1 : 0;
}

// --- Lighting ---------------------------------------------------------------------

int UsbDriverMangerOX7::GetLightParameter(LightColorParam &param, int which)
{
    quint32 word = 0;
    QList<quint32> entries;
    if (!haveDriver("GetLightParameter") || !m_driver->GetDpiLedRateLightIntensity(word, which)
        || !m_driver->GetLedColorMatrixAll(entries, kLightColorEntries, which))
        return 0;
    param.logo = decodeLightZone(word, entries);
    return 1;
}

int UsbDriverMangerOX7::SetLightParameter(const LightColorParam &param, int which)
{
    quint32 word = 0;
    if (!haveDriver("SetLightParameter") || !m_driver->GetDpiLedRateLightIntensity(word, which))
        return 0;
    word = lightWordForZone(word, param.logo);
    if (!m_driver->SetDpiLedRateLightIntensity(word))
        return 0;
    putRecordWord(m_record, kLightWordOffset, word);
    const QList<quint32> entries = ledEntriesForZone(param.logo);
    if (!m_driver->SetLedColorMatrixAll(entries))
        return 0;
    for (int i = 0; i < entries.size(); ++i)
        putRecordWord(m_record, kLedMatrixOffset + quint32(4 * i), entries[i]);
    return saveCurrentConfig() ? 1 : 0;
}

int UsbDriverMangerOX7::SetMouseColor(bool wheelZone, const QList<COLORREF> &colors, int which)
{
    Q_UNUSED(wheelZone)
    Q_UNUSED(which)
    if (colors.isEmpty())
        return 1;
    QList<quint32> entries;
    for (COLORREF c : colors)
        entries.append(c & 0x00FFFFFF);
    if (!haveDriver("SetMouseColor") || !m_driver->SetLedColorMatrixAll(entries))
        return 0;
    for (int i = 0; i < entries.size() && i < 3; ++i)
        putRecordWord(m_record, kLedMatrixOffset + quint32(4 * i), entries[i]);
    return saveCurrentConfig() ? 1 : 0;
}

int UsbDriverMangerOX7::lightByte(int index, int value, int which)
{
    Q_UNUSED(which) // the light word is always written to the working copy
    if (!haveDriver("light") || !m_driver->SetDpiLedRateLightIntensityByte(index, quint8(value)))
        return 0;
    putRecordByte(m_record, kLightWordOffset, index, quint8(value));
    return saveCurrentConfig() ? 1 : 0;
}

int UsbDriverMangerOX7::SetMouseLightMode(bool wheelZone, int mode, int which)
{
    Q_UNUSED(wheelZone)
    return lightByte(1, mode, which);
}

int UsbDriverMangerOX7::SetBreathSpeed(bool wheelZone, int value, int which)
{
    Q_UNUSED(wheelZone)
    return lightByte(2, value, which);
}

int UsbDriverMangerOX7::SetContinueLightDegree(bool wheelZone, int value, int which)
{
    Q_UNUSED(wheelZone)
    return lightByte(3, value, which);
}

// --- Buttons and macros -----------------------------------------------------------

bool UsbDriverMangerOX7::writeButtonWord(int button, quint32 word, int which)
{
    if (!m_buttonAddress.contains(button)) {
        qDebug() << "UsbDriverMangerOX7 no such button" << button;
        return false;
    }
    const int offset = m_buttonAddress.value(button);
    if (!haveDriver("button") || !m_driver->WriteMemoryAt(wordBytes(word), which, offset))
        return false;
    if (touchesRecord(which)) {
        putRecordWord(m_record, quint32(offset), word);
        m_buttonMap.insert(button, word);
    }
    const bool factory = word == m_factoryWords.value(button);
    emit sig_CurrentButtonIsOriginalButton(factory, button);
    // What the button does now, as a reading of the device would report it,
    // so the page knows it before the next read.
    if (!factory) {
        const ButtonAssignment a = decodeButtonWord(word);
        emit sig_TrueMouseValue(button, a.changeType, a.trueValue, a.modifier);
    }
    return true;
}

int UsbDriverMangerOX7::SetChangeButtonToKey(int button, int changeType, int keyValue, int modifier, int which)
{
    qDebug() << "SetChangeButtonToKey" << button << changeType << keyValue << modifier;
    if (!m_buttonAddress.contains(button)) {
        qDebug() << "SetChangeButtonToKey no such button" << button;
        return 0;
    }
    quint32 word = 0;
    if (changeType == 32) {
        // Back to default: the button's factory word.
        word = m_factoryWords.value(button, kUnassignedButtonWord);
        if (isLeftClickWord(word) && haveDriver("SetChangeButtonToKey")) {
            if (!m_driver->SetOledWordByte(1, 0, 1))
                return 0;
            putRecordByte(m_record, kOledWordOffset, 1, 0);
        }
    } else if (!encodeButtonWord(changeType, keyValue, modifier, word)) {
        qDebug() << "SetChangeButtonToKey refused change type" << changeType << keyValue;
        return 0;
    }
    if (!isLeftClickWord(word) && isOnlyLeftClick(m_buttonMap, button)) {
        emit sig_WarningOnlyLeftButton(Warning::OnlyLeftButton);
        return 1;
    }
    if (!writeButtonWord(button, word, which))
        return 0;
    return saveCurrentConfig() ? 1 : 0;
}

int UsbDriverMangerOX7::SetChangeButtonToMacro(int button, int pageIndex, int macroType, int which)
{
    qDebug() << "SetChangeButtonToMacro:" << button << pageIndex << macroType << which;
    if (pageIndex < 0 || pageIndex >= kMacroPageIndexes)
        return 0;
    if (isOnlyLeftClick(m_buttonMap, button)) {
        emit sig_WarningOnlyLeftButton(Warning::OnlyLeftButton);
        return 1;
    }
    if (!writeButtonWord(button, macroButtonWord(pageIndex), which))
        return 0;
    return saveCurrentConfig() ? 1 : 0;
}

int UsbDriverMangerOX7::SetGunFireNumber(int count)
{
    qDebug() << " UsbDriverMangerOX7::SetGunFireNumber" << count;
    if (!haveDriver("SetGunFireNumber") || !m_driver->SetOledWordByte(1, quint8(count), 1))
        return 0;
    putRecordByte(m_record, kOledWordOffset, 1, quint8(count));
    return saveCurrentConfig() ? 1 : 0;
}

int UsbDriverMangerOX7::WriteSingleMacro(const QString &macroFilePath, int button)
{
    if (isOnlyLeftClick(m_buttonMap, button)) {
        emit sig_WarningOnlyLeftButton(Warning::OnlyLeftButton);
        return 1;
    }
    if (!m_buttonAddress.contains(button)) {
        qDebug() << "WriteSingleMacro no such button" << button;
        return 0;
    }
    const int macroType = m_json.getMacroType(macroFilePath);
    qDebug() << "WriteSingleMacro" << macroFilePath;
    const QList<MacroNode> nodes = m_json.readMacroNodeList(macroFilePath);
    QVector<quint32> events;
    if (nodes.isEmpty() || !macroEventsFromNodes(nodes, m_json.getIgnoreDelayTime(macroFilePath) != 0, events)) {
        qDebug() << "WriteSingleMacro macro" << macroFilePath;
        return 0;
    }
    const int index = macroPageIndexForButton(button);
    qDebug() << " WriteSingleMacro macro index id:" << index;
    const quint16 mode = macroModeWord(macroType, m_json.getMacroRepeatTimes(macroFilePath));
    QByteArray page;
    if (!haveDriver("WriteSingleMacro") || !m_driver->WriteMacro(index, MacroKind::First, events, mode, &page))
        return 0;
    m_macros[index] = macroBufferFromPage(page);
    qDebug() << "getmacroid:" << index << page.size();
    qDebug() << "fill macro";
    return SetChangeButtonToMacro(button, index, macroType, 1);
}

int UsbDriverMangerOX7::WriteListMacro(const QStringList &macroFilePaths)
{
    qDebug() << "UsbDriverMangerOX7::WriteListMacro macroListLength" << macroFilePaths.size();
    if (macroFilePaths.isEmpty() || macroFilePaths.size() > kListMacros) {
        qDebug() << "UsbDriverMangerOX7::WriteListMacro list does not fit" << macroFilePaths.size();
        return 0;
    }
    if (!haveDriver("WriteListMacro"))
        return 0;
    int written = 0;
    for (int h = 0; h < macroFilePaths.size(); ++h) {
        const QString &path = macroFilePaths[h];
        qDebug() << "WriteListMacroPath" << path;
        QVector<quint32> events;
        const QList<MacroNode> nodes = m_json.readMacroNodeList(path);
        if (nodes.isEmpty() || !macroEventsFromNodes(nodes, m_json.getIgnoreDelayTime(path) != 0, events)) {
            qDebug() << "WriteListMacroPath no macro in" << path;
            break;
        }
        const int buffer = kFirstListBuffer + h;
        qDebug() << "UsbDriverMangerOX7::WriteListMacro macroId " << buffer;
        qDebug() << "macro id:" << h;
        const quint16 mode = macroModeWord(m_json.getMacroType(path), m_json.getMacroRepeatTimes(path));
        QByteArray page;
        if (!m_driver->WriteMacro(h, MacroKind::Second, events, mode, &page))
            break;
        m_macros[buffer] = macroBufferFromPage(page);
        ++written;
    }
    // The pages that went in are saved even when a later one failed.
    const bool saved = written == 0 || saveCurrentConfig();
    return written == macroFilePaths.size() && saved ? 1 : 0;
}

// --- OLED -------------------------------------------------------------------------

QString UsbDriverMangerOX7::pictureFileOfCurrentConfig() const
{
    return getPictureFilePath(MouseType(), QString::number(m_configNumber));
}

bool UsbDriverMangerOX7::setBehaviourByte(int value)
{
    quint32 word = 0;
    if (!m_driver->GetOledBehaviourWord(word, 1))
        return false;
    word = (word & ~(0xFFu << (8 * kBehaviourByte))) | (quint32(quint8(value)) << (8 * kBehaviourByte));
    if (!m_driver->SetOledBehaviourWord(word))
        return false;
    putRecordWord(m_record, kOledBehaviourOffset, word);
    m_oledBehaviour = value;
    return true;
}

int UsbDriverMangerOX7::writeImageToMouse(int mouseType, const QString &pictureName, int pictureNumber, int which)
{
    Q_UNUSED(which)
    if (!haveDriver("writeImageToMouse"))
        return 0;
    if (pictureName == QLatin1String("0")) {
        if (!m_driver->SetDisplayValue(kPictureModeDefault))
            return 0;
        putRecordWord(m_record, kDisplayValueOffset, kPictureModeDefault);
        if (!setBehaviourByte(1))
            return 0;
        const bool saved = saveCurrentConfig();
        QFile::remove(pictureFileOfCurrentConfig());
        return saved ? 1 : 0;
    }
    QString problem;
    const QImage source =
        readPictureFile(getPictureFilePath(mouseType ? mouseType : MouseType(), pictureName), &problem);
    QByteArray bytes;
    if (source.isNull()) {
        qDebug() << "writeImageToMouse no picture for" << pictureName << problem;
        return 0;
    }
    if (!USBDriverOX7::ImageToByteArr(toOledImage(source), bytes, kOledBytes))
        return 0;
    if (!m_driver->WritePicture(pictureNumber, bytes) || !m_driver->SetDisplayValue(kPictureModeCustom))
        return 0;
    putRecordWord(m_record, kDisplayValueOffset, kPictureModeCustom);
    if (!setBehaviourByte(8))
        return 0;
    return saveCurrentConfig() ? 1 : 0;
}

int UsbDriverMangerOX7::ReadOLEDPicture(int pictureNumber, QImage &image)
{
    QByteArray bytes;
    if (!haveDriver("ReadOLEDPicture") || !m_driver->ReadPicture(pictureNumber, bytes))
        return 0;
    const QImage picture = byteArrToImage(bytes);
    if (picture.isNull())
        return 0;
    image = picture;
    return 1;
}

int UsbDriverMangerOX7::SetOLEDByte(int index, int value)
{
    if (!haveDriver("SetOLEDByte") || !m_driver->SetDisplayParam(index, quint8(value)))
        return 0;
    putRecordByte(m_record, kDisplayParamsOffset, index, quint8(value));
    return saveCurrentConfig() ? 1 : 0;
}

int UsbDriverMangerOX7::SetOLEDBehaviour(int value)
{
    if (!haveDriver("SetOLEDBehaviour") || !setBehaviourByte(value))
        return 0;
    return saveCurrentConfig() ? 1 : 0;
}

int UsbDriverMangerOX7::SetOLEDLightIntensity(int value)
{
    if (!haveDriver("SetOLEDLightIntensity") || !m_driver->SetOledWordByte(0, quint8(value), 1))
        return 0;
    putRecordByte(m_record, kOledWordOffset, 0, quint8(value));
    m_oledBrightness = value;
    return saveCurrentConfig() ? 1 : 0;
}

int UsbDriverMangerOX7::GetOLEDBehaviour()
{
    return m_oledBehaviour;
}

int UsbDriverMangerOX7::GetOLEDLightIntensity()
{
    return m_oledBrightness;
}

// --- Read-outs --------------------------------------------------------------------

int UsbDriverMangerOX7::ReadSettingsRecord(QByteArray &record, int which)
{
    if (which != 0 && which != 1)
        return 0;
    return haveDriver("ReadSettingsRecord")
        && m_driver->ReadEEPROM(quint32(which) * kSlotSize + kSettingsOffset, kSettingsSize, record);
}

int UsbDriverMangerOX7::GetMousePid(quint16 &productId)
{
    QByteArray bytes;
    if (!haveDriver("GetMousePid") || !m_driver->GetMousePid(bytes) || bytes.size() < 2)
        return 0;
    qDebug("UsbDriverMangerOX7::GetMousePid %x %x", quint8(bytes[0]), quint8(bytes[1]));
    productId = productIdFromBytes(bytes);
    qDebug("UsbDriverMangerOX7::GetMousePid %x", productId);
    return 1;
}

int UsbDriverMangerOX7::GetFirmwareVersion(int &version)
{
    quint32 v = 0;
    if (!haveDriver("GetFirmwareVersion") || !m_driver->GetFirmwareVersion(v))
        return 0;
    version = int(v);
    return 1;
}

int UsbDriverMangerOX7::GetBatteryPower(int &value, bool reportsPercent)
{
    quint32 raw = 0;
    if (!haveDriver("GetBatteryPower") || !m_driver->ReadStatusDword(raw))
        return 0;
    value = batteryLevel(raw, reportsPercent);
    return 1;
}

// --- Reading the mouse ------------------------------------------------------------

bool UsbDriverMangerOX7::GetProfileData()
{
    qDebug() << "UsbDriverMangerOX7 GetProfileData currentThreadId" << QThread::currentThreadId();
    if (!haveDriver("GetProfileData"))
        return false;
    QByteArray record = m_record;
    if (!m_driver->GetProfileData(record)) {
        qDebug() << "wwww";
        return false;
    }
    // Everything is read before the image changes, so a mouse that goes away
    // half-way leaves the image as it was.
    QVector<QByteArray> macros(kMacroBuffers, emptyMacroBuffer());
    for (int i = 0; i < kMacroBuffers; ++i) {
        int index = 0;
        MacroKind kind = MacroKind::First;
        pageOfMacroBuffer(i, index, kind);
        bool isFree = true;
        if (!m_driver->IsMacroPageFree(index, kind, isFree))
            return false;
        if (!isFree) {
            QByteArray buffer;
            if (!m_driver->ReadMacroPage(index, kind, buffer))
                return false;
            // A page whose length is not whole entries is not a macro.
            macros[i] = holdsMacro(buffer) ? buffer : emptyMacroBuffer();
        }
        qDebug() << "GetProfileData  m_MACRO_CONFIGFILE.macroData[i].MacroSize" << i << readLe16(macros[i], 0);
    }
    adoptRecord(record);
    m_macros = macros;
    GetMouseButtonState();
    return true;
}

int UsbDriverMangerOX7::SetProfileData()
{
    return haveDriver("SetProfileData") && m_driver->SetProfileData(m_record);
}

bool UsbDriverMangerOX7::WriteCurrentConfigToMouse()
{
    return SetProfileData() != 0;
}

void UsbDriverMangerOX7::GetMouseButtonState()
{
    for (int button = kFirstButton; button <= kLastButton; ++button) {
        if (!m_buttonMap.contains(button))
            continue;
        const quint32 word = m_buttonMap.value(button);
        // Every button is reported, so one that is back to its factory word
        // (after a profile switch or a reset) is shown as such again.
        const bool original = word == m_factoryWords.value(button);
        emit sig_CurrentButtonIsOriginalButton(original, button);
        if (original)
            continue;
        qDebug() << "checkButton++++" << buttonWordByte(word, 0);
        const ButtonAssignment a = decodeButtonWord(word);
        emit sig_TrueMouseValue(button, a.changeType, a.trueValue, a.modifier);
    }
}

// --- Configuration files ----------------------------------------------------------

void UsbDriverMangerOX7::SetConfigPathPrefix(const QString &modelFolder)
{
    m_prefix = modelFolder;
}

int UsbDriverMangerOX7::SetCurrentConfigNumber(int number)
{
    if (number < 1 || number > 5)
        return 0;
    m_configNumber = number;
    return 1;
}

bool UsbDriverMangerOX7::SaveConfigFileByConfigureNumber(int number)
{
    qDebug() << "UsbDriverMangerOX7 SaveConfigFileByConfigureNumber currentThreadId" << QThread::currentThreadId();
    if (number < 0 || number > 5) {
        qDebug() << "SaveConfigFileByConfigureNumber no such configuration" << number;
        return false;
    }
    const bool saved = m_files.write(MouseType(), number, m_record, m_macros);
    if (!saved)
        qDebug() << "SaveConfigFileByConfigureNumber could not write" << number;
    GetMouseButtonState();
    quint8 profile = 0;
    if (m_driver && m_driver->GetCurrentProfile(profile) && profile == 0)
        m_driver->SetCurrentProfile(1);
    return saved;
}

bool UsbDriverMangerOX7::loadConfig(int number, bool keepButtons)
{
    if (number < 0 || number > 5 || !haveDriver("LoadConfigFileByNumber"))
        return false;
    QByteArray record;
    QVector<QByteArray> macros;
    // A profile that can be neither read nor stored is not loaded: the
    // mouse would take settings that are kept nowhere.
    if (!m_files.read(MouseType(), number, record, macros)) {
        qDebug() << "LoadConfigFileByNumber: profile file" << number << "can be neither read nor written";
        return false;
    }
    if (record.size() != kRecordSize)
        return false;
    if (keepButtons)
        std::copy(m_record.cbegin() + kRecordButtonsOffset, m_record.cbegin() + kRecordSettingsOffset,
                  record.begin() + kRecordButtonsOffset);
    if (!m_driver->SetProfileData(record))
        return false;
    adoptRecord(record);

    // The buttons of the profile point at macro pages; bring the pages the
    // profile keeps back into the mouse where they differ.
    for (int i = 0; i < kMacroBuffers; ++i) {
        const QByteArray &stored = macros[i];
        if (!holdsMacro(stored) || stored == m_macros[i])
            continue;
        int index = 0;
        MacroKind kind = MacroKind::First;
        pageOfMacroBuffer(i, index, kind);
        if (!m_driver->WriteMacroPage(index, kind, stored.left(readLe16(stored, 0))))
            return false;
        m_macros[i] = stored;
    }
    GetMouseButtonState();
    qDebug() << "LoadConfigNumber OLEDPictureNumber" << recordByte(m_record, kDisplayValueOffset, 0);
    qDebug() << "LoadConfigNumber currentPictureIndex" << m_configNumber;
    return true;
}

bool UsbDriverMangerOX7::LoadConfigFileByNumber(int number)
{
    qDebug() << "UsbDriverMangerOX7 LoadConfigFileByNumber number" << number;
    return loadConfig(number, false);
}

bool UsbDriverMangerOX7::LoadConfigFileWithoutButtons(int number)
{
    qDebug() << "UsbDriverMangerOX7 LoadConfigFileWithoutButtons number" << number;
    return loadConfig(number, true);
}

bool UsbDriverMangerOX7::CompareMouseAndLocalFileData(int &configNumber, int preferred)
{
    const int n = m_files.findMatchingConfig(MouseType(), m_record, preferred);
    if (n == 0)
        return false;
    m_configNumber = n;
    configNumber = n;
    // Start on the stored last stage, within the model's limit.
    const int limit = familyAModelVariant(MouseType());
    const int last = recordByte(m_record, kCpiStageOffset, 2);
    const int stage = last >= limit ? limit : last;
    if (m_driver && m_driver->SetDpiLedRateLightIntensityByte(0, quint8(stage)))
        putRecordByte(m_record, kLightWordOffset, 0, quint8(stage));
    return true;
}

int UsbDriverMangerOX7::TurnOldTxtFileToNewJsonFile()
{
    return m_files.convertOldTxtFiles(MouseType());
}

void UsbDriverMangerOX7::SaveToOldTxtFiles()
{
    m_files.saveOldTxtFiles(MouseType());
}

void UsbDriverMangerOX7::RemoveOldConfigFiles()
{
    m_files.removeOldTxtFiles(MouseType());
}
