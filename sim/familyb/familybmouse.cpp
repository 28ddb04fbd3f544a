#include "sim/familyb/familybmouse.h"

#include "discovery/models.h"
#include "sim/statefile.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>

using namespace FamilyBFirmware;

namespace {
constexpr quint8 kStrayReportId = 0x07;
constexpr qint64 kMaxStateFileSize = 1024 * 1024;
constexpr int kStateFormat = 1;

quint8 byteAt(const QByteArray &report, int i)
{
    return (i >= 0 && i < report.size()) ? quint8(report.at(i)) : 0;
}

bool framesMatch(const QByteArray &report, int from, const quint8 *frame, int length)
{
    for (int i = 0; i < length; ++i)
        if (byteAt(report, from + i) != frame[i])
            return false;
    return true;
}

HidDeviceInfo vendorInfo(quint16 productId, quint16 release, const QString &name, quint8 reportId,
                         int featureLength)
{
    HidDeviceInfo info;
    info.vendorId = VID_KORVAN;
    info.productId = productId;
    info.releaseNumber = release;
    info.productString = name;
    info.usagePage = kUsagePage;
    info.usage = kUsage;
    info.featureReportLength = featureLength;
    info.featureValueCaps = {HidValueCap{reportId, kUsagePage, kUsage}};
    return info;
}
} // namespace

// One HID collection of the mouse; forwards the host's transfers to it.
class FamilyBMouse::Collection final : public EmulatedInterface
{
public:
    enum class Role { Command, Data, Other };
    Collection(FamilyBMouse *owner, Role role)
        : m_owner(owner), m_role(role)
    {
    }
    bool onSetFeature(const QByteArray &report) override
    {
        switch (m_role) {
        case Role::Command: return m_owner->onCommandSet(report);
        case Role::Data: return m_owner->onDataSet(report);
        case Role::Other: return false;
        }
        return false;
    }
    bool onGetFeature(QByteArray &report) override
    {
        switch (m_role) {
        case Role::Command: return m_owner->refuseRead();
        case Role::Data: return m_owner->onDataGet(report);
        case Role::Other: return false;
        }
        return false;
    }

private:
    FamilyBMouse *m_owner;
    Role m_role;
};

std::shared_ptr<FamilyBMouse> FamilyBMouse::create(int mouseType)
{
    if (!supportsType(mouseType))
        return nullptr;
    return std::shared_ptr<FamilyBMouse>(new FamilyBMouse(mouseType));
}

std::shared_ptr<FamilyBMouse> FamilyBMouse::createFromState(const QByteArray &state)
{
    const QJsonDocument doc = QJsonDocument::fromJson(state);
    if (!doc.isObject())
        return nullptr;
    std::shared_ptr<FamilyBMouse> mouse = create(doc.object().value(QStringLiteral("mouseType")).toInt(-1));
    if (!mouse || !mouse->loadState(state))
        return nullptr;
    return mouse;
}

bool FamilyBMouse::supportsType(int mouseType)
{
    return isFamilyBType(mouseType) || isFamilyCType(mouseType);
}

quint16 FamilyBMouse::defaultFirmwareVersion(int mouseType)
{
    // The model's default version, raised to its minimum so that an emulated
    // OX8 opens without the firmware warning.
    const ModelIdentity &row = modelRow(supportsType(mouseType) ? mouseType : NoModel);
    return quint16(qMax(row.defaultFirmware, row.minimumFirmware));
}

FamilyBMouse::FamilyBMouse(int mouseType)
    : m_mouseType(mouseType)
    , m_command(std::make_unique<Collection>(this, Collection::Role::Command))
    , m_data(std::make_unique<Collection>(this, Collection::Role::Data))
    , m_pointer(std::make_unique<Collection>(this, Collection::Role::Other))
    , m_stray()
    , m_macroBlock(kMacroBlockSize, '\0')
{
    const ModelIdentity *model = modelForType(mouseType);
    const quint16 pid = model ? model->wiredPid : 0;
    const QString name = QStringLiteral("KORVAN %1 Gaming Mouse")
                             .arg(QString::fromLatin1(model ? model->name : "?"));
    const quint16 version = defaultFirmwareVersion(mouseType);

    m_command->info = vendorInfo(pid, version, name, kCommandReportId, kCommandFeatureLength);
    m_data->info = vendorInfo(pid, version, name, kDataReportId, kDataFeatureLength);

    HidDeviceInfo &p = m_pointer->info;
    p.vendorId = VID_KORVAN;
    p.productId = pid;
    p.releaseNumber = version;
    p.productString = name;
    p.usagePage = 0x0001; // generic desktop
    p.usage = 0x0002;     // mouse
    p.inputReportLength = 8;

    m_image = factoryImage(mouseType, pid, version);
    for (int number : FamilyBFirmware::macroNumbers())
        m_macros.insert(number, QByteArray(kMacroRecordSize, '\0'));
    m_answer = emptyAnswer(0);
}

FamilyBMouse::~FamilyBMouse() = default;

QVector<EmulatedInterface *> FamilyBMouse::interfaces()
{
    QMutexLocker locker(&m_mutex);
    QVector<EmulatedInterface *> out;
    if (m_pointerPresent)
        out.append(m_pointer.get());
    if (m_stray)
        out.append(m_stray.get());
    if (m_dataFirst)
        out << m_data.get() << m_command.get();
    else
        out << m_command.get() << m_data.get();
    return out;
}

bool FamilyBMouse::isFamilyC() const
{
    return isFamilyCType(m_mouseType);
}

quint16 FamilyBMouse::productId() const
{
    return m_command->info.productId;
}

const HidDeviceInfo &FamilyBMouse::commandInfo() const
{
    return m_command->info;
}

const HidDeviceInfo &FamilyBMouse::dataInfo() const
{
    return m_data->info;
}

void FamilyBMouse::setFirmwareVersion(quint16 version)
{
    QMutexLocker locker(&m_mutex);
    m_command->info.releaseNumber = version;
    m_data->info.releaseNumber = version;
    m_pointer->info.releaseNumber = version;
    if (m_stray)
        m_stray->info.releaseNumber = version;
}

quint16 FamilyBMouse::firmwareVersion() const
{
    QMutexLocker locker(&m_mutex);
    return m_command->info.releaseNumber;
}

void FamilyBMouse::setPointerCollection(bool present)
{
    QMutexLocker locker(&m_mutex);
    m_pointerPresent = present;
}

void FamilyBMouse::setStrayCollection(int featureLength)
{
    QMutexLocker locker(&m_mutex);
    if (featureLength <= 0) {
        m_stray.reset();
        return;
    }
    m_stray = std::make_unique<Collection>(this, Collection::Role::Other);
    m_stray->info = vendorInfo(m_command->info.productId, m_command->info.releaseNumber,
                               m_command->info.productString, kStrayReportId, featureLength);
}

void FamilyBMouse::setDataCollectionFirst(bool first)
{
    QMutexLocker locker(&m_mutex);
    m_dataFirst = first;
}

// --- Profile memory ------------------------------------------------------

QByteArray FamilyBMouse::profileImage() const
{
    QMutexLocker locker(&m_mutex);
    return m_image;
}

bool FamilyBMouse::setProfileImage(const QByteArray &image)
{
    if (image.size() != kImageSize)
        return false;
    QMutexLocker locker(&m_mutex);
    m_image = image;
    return true;
}

quint8 FamilyBMouse::profileByte(int index) const
{
    QMutexLocker locker(&m_mutex);
    return byteAt(m_image, index);
}

void FamilyBMouse::setProfileByte(int index, quint8 value)
{
    QMutexLocker locker(&m_mutex);
    if (index >= 0 && index < m_image.size())
        m_image[index] = char(value);
}

QByteArray FamilyBMouse::settingsBlock() const
{
    QMutexLocker locker(&m_mutex);
    return m_image.mid(kSettingsOffset, kSettingsSize);
}

QByteArray FamilyBMouse::buttonWord(int k) const
{
    if (k < 0 || k >= kButtonWordCount)
        return QByteArray();
    QMutexLocker locker(&m_mutex);
    return m_image.mid(kButtonWords + 4 * k, 4);
}

int FamilyBMouse::cpiStageCode(int stage, int copy) const
{
    if (stage < 0 || stage >= kCpiStageCount || copy < 0 || copy > 1)
        return -1;
    QMutexLocker locker(&m_mutex);
    const int low = (copy ? kCpiCopyLowBytes : kCpiLowBytes) + stage;
    const int high = (copy ? kCpiCopyHighBytes : kCpiHighBytes) + stage;
    return byteAt(m_image, low) | (byteAt(m_image, high) << 8);
}

int FamilyBMouse::cpiStageValue(int stage) const
{
    const int code = cpiStageCode(stage);
    if (code < 0)
        return 0;
    return cpiValue(m_mouseType, quint8(code & 0xFF), quint8(code >> 8));
}

namespace {
// Profile byte of a light setting: zone 1 first, zone 2 second.
int zoneByte(int zone, int zone1, int zone2)
{
    return zone == 1 ? zone1 : zone == 2 ? zone2 : -1;
}
} // namespace

quint8 FamilyBMouse::lightModeCode(int zone) const
{
    return profileByte(zoneByte(zone, 259, 256));
}

quint8 FamilyBMouse::lightBrightness(int zone) const
{
    return profileByte(zoneByte(zone, 260, 257));
}

quint8 FamilyBMouse::breathSpeed(int zone) const
{
    return profileByte(zoneByte(zone, 287, 268));
}

quint32 FamilyBMouse::lightRgb(int zone) const
{
    const int first = zoneByte(zone, 281, 262);
    if (first < 0)
        return 0;
    QMutexLocker locker(&m_mutex);
    return (quint32(byteAt(m_image, first)) << 16) | (quint32(byteAt(m_image, first + 1)) << 8)
        | byteAt(m_image, first + 2);
}

bool FamilyBMouse::answerSeed(quint8 &sign, quint8 &adjustment) const
{
    QMutexLocker locker(&m_mutex);
    if (isFamilyC())
        return false;
    const quint8 keptSign = byteAt(m_image, kTrailerOffset);
    const quint8 keptAdjustment = byteAt(m_image, kTrailerOffset + 1);
    if (seedMatches(m_image, m_mouseType, keptSign, keptAdjustment)) {
        sign = keptSign;
        adjustment = keptAdjustment;
        return true;
    }
    return deriveSeed(m_image, m_mouseType, sign, adjustment);
}

// --- Macro memory ----------------------------------------------------------

const QVector<int> &FamilyBMouse::macroNumbers()
{
    return FamilyBFirmware::macroNumbers();
}

QByteArray FamilyBMouse::macroRecord(int number) const
{
    QMutexLocker locker(&m_mutex);
    return m_macros.value(number);
}

bool FamilyBMouse::setMacroRecord(int number, const QByteArray &record)
{
    if (!isMacroNumber(number) || record.size() != kMacroRecordSize)
        return false;
    QMutexLocker locker(&m_mutex);
    m_macros[number] = record;
    return true;
}

QByteArray FamilyBMouse::macroHeader(int number) const
{
    return macroRecord(number).left(2);
}

QVector<quint16> FamilyBMouse::macroEntries(int number) const
{
    const QByteArray record = macroRecord(number);
    QVector<quint16> entries;
    for (int i = 2; i + 1 < record.size(); i += 2) {
        const quint16 entry = quint16(byteAt(record, i) | (byteAt(record, i + 1) << 8));
        if (entry == 0)
            break;
        entries.append(entry);
    }
    return entries;
}

bool FamilyBMouse::setMacro(int number, const QByteArray &header, const QVector<quint16> &entries)
{
    constexpr int kMaxEntries = (kMacroRecordSize - 4) / 2;
    if (!isMacroNumber(number) || header.size() != 2 || entries.size() > kMaxEntries)
        return false;
    QByteArray record(kMacroRecordSize, '\0');
    record[0] = header.at(0);
    record[1] = header.at(1);
    for (int i = 0; i < entries.size(); ++i) {
        record[2 + 2 * i] = char(entries.at(i) & 0xFF);
        record[3 + 2 * i] = char(entries.at(i) >> 8);
    }
    QMutexLocker locker(&m_mutex);
    m_macros[number] = record;
    return true;
}

QByteArray FamilyBMouse::macroBlock() const
{
    QMutexLocker locker(&m_mutex);
    return m_macroBlock;
}

bool FamilyBMouse::setMacroBlock(const QByteArray &block)
{
    if (block.size() != kMacroBlockSize)
        return false;
    QMutexLocker locker(&m_mutex);
    m_macroBlock = block;
    return true;
}

// --- Status timing and faults ------------------------------------------------

void FamilyBMouse::setBusyPolls(int n)
{
    QMutexLocker locker(&m_mutex);
    m_busyPerOperation = n < 0 ? -1 : n;
}

quint8 FamilyBMouse::operationResult(int operation) const
{
    if (operation < 1 || operation > kOperationCount)
        return 0;
    QMutexLocker locker(&m_mutex);
    return m_results[operation];
}

int FamilyBMouse::featureSets(quint8 command) const
{
    QMutexLocker locker(&m_mutex);
    return m_sets.value(command);
}

int FamilyBMouse::featureGets(quint8 command) const
{
    QMutexLocker locker(&m_mutex);
    return m_gets.value(command);
}

int FamilyBMouse::failedTransfers() const
{
    QMutexLocker locker(&m_mutex);
    return m_failedTransfers;
}

int FamilyBMouse::rejectedRequests() const
{
    QMutexLocker locker(&m_mutex);
    return m_rejectedRequests;
}

void FamilyBMouse::resetCounters()
{
    QMutexLocker locker(&m_mutex);
    m_sets.clear();
    m_gets.clear();
    m_failedTransfers = 0;
    m_rejectedRequests = 0;
}

// --- The wire ----------------------------------------------------------------

bool FamilyBMouse::stall()
{
    ++m_failedTransfers;
    m_answer = emptyAnswer(0);
    return false;
}

bool FamilyBMouse::refuseRead()
{
    QMutexLocker locker(&m_mutex);
    ++m_failedTransfers;
    return false;
}

QByteArray FamilyBMouse::emptyAnswer(quint8 command) const
{
    QByteArray answer(kDataFeatureLength, '\0');
    answer[0] = char(kDataReportId);
    answer[1] = char(command);
    return answer;
}

void FamilyBMouse::startOperation(int operation, quint8 result)
{
    m_results[operation] = result;
    m_activeOperation = operation;
    m_busyLeft = m_busyPerOperation;
}

void FamilyBMouse::reject(int operation)
{
    ++m_rejectedRequests;
    startOperation(operation, kStatusRejected);
}

bool FamilyBMouse::onCommandSet(const QByteArray &report)
{
    QMutexLocker locker(&m_mutex);
    if (m_faults.take(Fault::FailedTransfer))
        return refuseRead();
    if (report.size() < 2 || report.size() > kCommandFeatureLength
        || byteAt(report, 0) != kCommandReportId)
        return stall();
    const quint8 command = byteAt(report, 1);
    ++m_sets[command];
    switch (command) {
    case kCmdStatus:
        m_answer = statusAnswer();
        return true;
    case kCmdReadProfile:
        if (byteAt(report, 2) != 0x00)
            return stall();
        m_answer = profileAnswer();
        return true;
    case kCmdReadMacro: {
        if (byteAt(report, 3) != 0x00)
            return stall();
        const int number = byteAt(report, 2);
        if (!isMacroNumber(number)) {
            reject(OpMacro);
            m_answer = emptyAnswer(kCmdReadMacro);
            return true;
        }
        startOperation(OpMacro, kStatusDone);
        m_answer = macroAnswer(number);
        return true;
    }
    case kCmdReadMacroBlock:
        if (byteAt(report, 2) != kMacroBlockSelector)
            return stall();
        m_answer = emptyAnswer(kCmdReadMacroBlock);
        m_answer.replace(kPayloadOffset, kMacroBlockSize, m_macroBlock);
        return true;
    default:
        return stall();
    }
}

bool FamilyBMouse::onDataSet(const QByteArray &report)
{
    QMutexLocker locker(&m_mutex);
    if (m_faults.take(Fault::FailedTransfer))
        return refuseRead();
    if (report.size() < 2 || report.size() > kDataFeatureLength || byteAt(report, 0) != kDataReportId)
        return stall();
    const quint8 command = byteAt(report, 1);
    ++m_sets[command];
    switch (command) {
    case kCmdWriteProfile:
        if (!framesMatch(report, 2, kWriteProfileFrame, sizeof(kWriteProfileFrame)))
            return stall();
        handleProfileWrite(report);
        break;
    case kCmdWriteMacro:
        if (!framesMatch(report, 3, kWriteMacroFrame, sizeof(kWriteMacroFrame)))
            return stall();
        handleMacroWrite(report);
        break;
    case kCmdWriteMacroBlock:
        if (!framesMatch(report, 2, kWriteMacroBlockFrame, sizeof(kWriteMacroBlockFrame)))
            return stall();
        handleMacroBlockWrite(report);
        break;
    default:
        return stall();
    }
    // A write leaves nothing to read until the next request.
    m_answer = emptyAnswer(0);
    return true;
}

bool FamilyBMouse::onDataGet(QByteArray &report)
{
    QMutexLocker locker(&m_mutex);
    // A failed read leaves the prepared answer for the next one.
    if (m_faults.take(Fault::FailedTransfer) || report.isEmpty() || byteAt(report, 0) != kDataReportId)
        return refuseRead();
    // The host gets at most what it asked for, and never more than the
    // report is long.
    int length = qMin(report.size(), kDataFeatureLength);
    m_faults.take(Fault::AnswerLength, &length); // an injected length wins
    QByteArray out = m_answer.left(length);
    if (out.size() < length)
        out.append(QByteArray(length - out.size(), '\0'));
    ++m_gets[byteAt(m_answer, 1)];
    report = out;
    return true;
}

QByteArray FamilyBMouse::statusAnswer()
{
    QByteArray answer = emptyAnswer(kCmdStatus);
    for (int op = 1; op <= kOperationCount; ++op)
        answer[op + 1] = char(m_results[op]);
    if (m_activeOperation > 0) {
        bool busy = false;
        if (m_busyLeft != 0) {
            busy = true;
            if (m_busyLeft > 0)
                --m_busyLeft;
        } else if (m_faults.take(Fault::BusyStatus)) {
            busy = true;
        }
        if (busy)
            answer[m_activeOperation + 1] = char(kStatusBusy);
    }
    if (m_faults.take(Fault::FailedStatus))
        answer[kStatusRefusalByte] = 1;
    return answer;
}

QByteArray FamilyBMouse::profileAnswer()
{
    QByteArray image = m_image;
    if (!isFamilyC()) {
        quint8 sign = 0, adjustment = 0;
        if (answerSeed(sign, adjustment))
            completeTrailer(image, sign, adjustment);
        // A one-step change of the adjustment moves the low byte of the
        // host's sum, so the model check cannot pass.
        if (m_faults.take(Fault::WrongChecksum))
            image[kTrailerOffset + 1] = char(quint8(image.at(kTrailerOffset + 1)) ^ 0x01);
    } else {
        m_faults.take(Fault::WrongChecksum);
    }
    QByteArray answer = emptyAnswer(kCmdReadProfile);
    answer.replace(kPayloadOffset, kImageSize, image);
    return answer;
}

QByteArray FamilyBMouse::macroAnswer(int number)
{
    QByteArray answer = emptyAnswer(kCmdReadMacro);
    answer.replace(kPayloadOffset, kMacroRecordSize, m_macros.value(number, QByteArray(kMacroRecordSize, '\0')));
    if (m_faults.take(Fault::Unterminated)) {
        for (int i = kPayloadOffset + 2; i + 1 < answer.size(); i += 2) {
            if (answer.at(i) == 0 && answer.at(i + 1) == 0) {
                for (int j = i; j < answer.size(); ++j)
                    answer[j] = char(0xAA);
                break;
            }
        }
    }
    return answer;
}

void FamilyBMouse::handleProfileWrite(const QByteArray &report)
{
    if (report.size() < kProfileWriteMinReport) {
        reject(OpProfileWrite);
        return;
    }
    QByteArray image = m_image;
    image.replace(0, kProfileWriteImageBytes, report.mid(kPayloadOffset, kProfileWriteImageBytes));
    // OX8 stores whatever it is sent; family C has no trailer to check.
    if (isFamilyBType(m_mouseType) && modelRow(m_mouseType).checksum.required && !trailerValid(image, m_mouseType)) {
        reject(OpProfileWrite);
        return;
    }
    m_image = image;
    startOperation(OpProfileWrite, kStatusDone);
}

void FamilyBMouse::handleMacroWrite(const QByteArray &report)
{
    const int number = byteAt(report, 2);
    if (!isMacroNumber(number) || report.size() < kPayloadOffset + 2) {
        reject(OpMacro);
        return;
    }
    QByteArray record = report.mid(kPayloadOffset, kMacroRecordSize);
    record.append(QByteArray(kMacroRecordSize - record.size(), '\0'));
    m_macros[number] = record;
    startOperation(OpMacro, kStatusDone);
}

void FamilyBMouse::handleMacroBlockWrite(const QByteArray &report)
{
    if (report.size() < kPayloadOffset + kMacroBlockSize) {
        reject(OpMacroBlockWrite);
        return;
    }
    m_macroBlock = report.mid(kPayloadOffset, kMacroBlockSize);
    startOperation(OpMacroBlockWrite, kStatusDone);
}

// --- Persistence ---------------------------------------------------------------

QByteArray FamilyBMouse::saveState() const
{
    QMutexLocker locker(&m_mutex);
    QJsonObject macros;
    for (auto it = m_macros.constBegin(); it != m_macros.constEnd(); ++it)
        macros.insert(QString::number(it.key()), QString::fromLatin1(it.value().toBase64()));
    QJsonObject root;
    root.insert(QStringLiteral("format"), kStateFormat);
    root.insert(QStringLiteral("mouseType"), m_mouseType);
    root.insert(QStringLiteral("profile"), QString::fromLatin1(m_image.toBase64()));
    root.insert(QStringLiteral("macroBlock"), QString::fromLatin1(m_macroBlock.toBase64()));
    root.insert(QStringLiteral("macros"), macros);
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

namespace {
// Decodes a base64 member of exactly `size` bytes.
bool decodeExact(const QJsonValue &value, int size, QByteArray &out)
{
    if (!value.isString())
        return false;
    const auto result = QByteArray::fromBase64Encoding(value.toString().toLatin1(),
                                                       QByteArray::AbortOnBase64DecodingErrors);
    if (!result || result.decoded.size() != size)
        return false;
    out = result.decoded;
    return true;
}
} // namespace

bool FamilyBMouse::loadState(const QByteArray &state)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(state, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toInt(-1) != kStateFormat
        || root.value(QStringLiteral("mouseType")).toInt(-1) != m_mouseType)
        return false;

    QByteArray image, block;
    if (!decodeExact(root.value(QStringLiteral("profile")), kImageSize, image)
        || !decodeExact(root.value(QStringLiteral("macroBlock")), kMacroBlockSize, block))
        return false;

    const QJsonValue macrosValue = root.value(QStringLiteral("macros"));
    if (!macrosValue.isObject())
        return false;
    const QJsonObject macrosObject = macrosValue.toObject();
    QMap<int, QByteArray> macros;
    for (int number : FamilyBFirmware::macroNumbers())
        macros.insert(number, QByteArray(kMacroRecordSize, '\0'));
    for (auto it = macrosObject.constBegin(); it != macrosObject.constEnd(); ++it) {
        bool ok = false;
        const int number = it.key().toInt(&ok);
        QByteArray record;
        if (!ok || !isMacroNumber(number) || !decodeExact(it.value(), kMacroRecordSize, record))
            return false;
        macros[number] = record;
    }

    QMutexLocker locker(&m_mutex);
    m_image = image;
    m_macroBlock = block;
    m_macros = macros;
    return true;
}

bool FamilyBMouse::saveStateToFile(const QString &path) const
{
    return writeStateFile(path, saveState());
}

bool FamilyBMouse::loadStateFromFile(const QString &path)
{
    QByteArray state;
    return readStateFile(path, kMaxStateFileSize, state) && loadState(state);
}

// --- Scene helpers ----------------------------------------------------------------

std::shared_ptr<FamilyBMouse> plugFamilyB(EmulatedHidBus &bus, int mouseType)
{
    std::shared_ptr<FamilyBMouse> mouse = FamilyBMouse::create(mouseType);
    if (mouse)
        bus.plug(mouse);
    return mouse;
}
