#include "device/familyb/familybcodec.h"

#include "device/keytables.h"
#include "config/macronode.h"
#include "discovery/cpiranges.h"
#include "discovery/models.h"

#include <QColor>

#include <algorithm>
#include <iterator>

namespace familyb {

namespace {

quint8 byteAt(const QByteArray &a, int i)
{
    return quint8(a.at(i));
}

} // namespace

// ---------------------------------------------------------------- checksum

ChecksumTarget checksumTarget(int modelType)
{
    const ProfileChecksum &c = modelRow(modelType).checksum;
    return {c.x, c.y};
}

bool applyFamilyBChecksum(QByteArray &p, int modelType, ChecksumSeed seed)
{
    if (p.size() < kChecksumSpan)
        return false;

    quint16 sOdd = 0;
    quint16 sEven = 0;
    for (int i = 1; i <= 241; ++i) {
        if (i % 2)
            sOdd = quint16(sOdd + byteAt(p, i));
        else
            sEven = quint16(sEven + byteAt(p, i));
    }
    const int adjust = seed.signFlag ? -int(seed.adjustment) : int(seed.adjustment);
    const quint16 e = quint16(sOdd + 3 * sEven + adjust);
    quint8 f = quint8(e & 0xFF);
    if (modelRow(modelType).checksum.minusByte19)
        f = quint8(f - byteAt(p, 19));

    const ChecksumTarget target = checksumTarget(modelType);
    if (quint8(f - byteAt(p, 13)) != target.x || quint8(e >> 8) != target.y)
        return false;

    p[kTrailerOffset] = char(seed.signFlag);
    p[kTrailerOffset + 1] = char(seed.adjustment);
    p[kTrailerOffset + 2] = 0;
    quint32 odd = 0;
    quint32 even = 0;
    for (int i = 242; i <= 475; ++i) {
        if (i % 2)
            odd += byteAt(p, i);
        else
            even += byteAt(p, i);
    }
    const quint32 t = odd + 3 * even;
    p[kTrailerOffset + 3] = char(t & 0xFF);
    p[kTrailerOffset + 4] = char((t >> 8) & 0xFF);
    return true;
}

// --------------------------------------------------------------- transfers

QByteArray frameReport(quint8 reportId, int length, const QByteArray &payload)
{
    if (length < 1 || payload.size() > length - 1)
        return QByteArray();
    QByteArray buffer(length, '\0');
    buffer[0] = char(reportId);
    std::copy(payload.cbegin(), payload.cend(), buffer.begin() + 1);
    return buffer;
}

QByteArray statusCommand()
{
    return QByteArray(1, char(kCmdStatus));
}

QByteArray profileReadCommand()
{
    return QByteArray::fromRawData("\x83\x00", 2);
}

QByteArray macroReadCommand(quint8 number)
{
    QByteArray c(3, '\0');
    c[0] = char(kCmdReadMacro);
    c[1] = char(number);
    return c;
}

QByteArray macroBlockReadCommand()
{
    return QByteArray::fromRawData("\x85\x80", 2);
}

QByteArray profileWritePayload(const QByteArray &image)
{
    if (image.size() < kProfileWriteImageBytes)
        return QByteArray();
    QByteArray payload = QByteArray::fromRawData("\x03\x00\x00\x02\x00\x00\x00", 7);
    payload.append(image.constData(), kProfileWriteImageBytes);
    return payload;
}

QByteArray macroBlockWritePayload(const QByteArray &block)
{
    if (block.size() > kMacroBufferSize)
        return QByteArray();
    QByteArray payload = QByteArray::fromRawData("\x05\x80\x00\x04\x00\x00\x00", 7);
    payload.append(block);
    payload.append(QByteArray(kMacroBufferSize - block.size(), '\0'));
    return payload;
}

StatusAnswer parseStatusAnswer(const QByteArray &answer, int n, bool firstTry)
{
    if (n < 1 || n + 1 >= kStatusAnswerLength || answer.size() < kStatusAnswerLength)
        return StatusAnswer::Invalid;
    if (byteAt(answer, 0) != kAnswerId || byteAt(answer, 1) != kCmdStatus)
        return StatusAnswer::Invalid;
    if (firstTry && byteAt(answer, kStatusRefusedByte) == 1)
        return StatusAnswer::Invalid;
    return byteAt(answer, n + 1) == 0 ? StatusAnswer::Done : StatusAnswer::Busy;
}

namespace {

bool answerHeaderIs(const QByteArray &answer, quint8 command, int minimumLength)
{
    return answer.size() >= minimumLength && byteAt(answer, 0) == kAnswerId && byteAt(answer, 1) == command;
}

} // namespace

bool parseProfileAnswer(const QByteArray &answer, QByteArray &image, ChecksumSeed &seed)
{
    if (!answerHeaderIs(answer, kCmdReadProfile, kAnswerDataOffset + kImageSize))
        return false;
    image = answer.mid(kAnswerDataOffset, kImageSize);
    seed.signFlag = byteAt(answer, kSeedSignAnswerByte);
    seed.adjustment = byteAt(answer, kSeedAdjustAnswerByte);
    return true;
}

bool parseMacroBlockAnswer(const QByteArray &answer, QByteArray &block)
{
    if (!answerHeaderIs(answer, kCmdReadMacroBlock, kAnswerDataOffset + kMacroBufferSize))
        return false;
    block = answer.mid(kAnswerDataOffset, kMacroBufferSize);
    return true;
}

// ------------------------------------------------------------------ macros

QVector<quint8> macroNumberList()
{
    QVector<quint8> numbers;
    numbers.reserve(kMacroNumberCount);
    for (int i = 0; i < kMacroNumberCount; ++i)
        numbers.append(quint8(140 + 4 * i));
    return numbers;
}

quint8 macroNumberForSlot(int slot)
{
    if (slot < 0 || slot >= kMacroSlotCount)
        return 0;
    return slot < 12 ? quint8(140 + 4 * slot) : quint8(208 + 4 * (slot - 12));
}

int slotForMacroNumber(int number)
{
    for (int slot = 0; slot < kMacroSlotCount; ++slot)
        if (macroNumberForSlot(slot) == number)
            return slot;
    return -1;
}

bool parseMacroAnswer(const QByteArray &answer, Macro &out)
{
    if (!answerHeaderIs(answer, kCmdReadMacro, kAnswerDataOffset + 2))
        return false;
    Macro macro;
    macro.header = {{byteAt(answer, kAnswerDataOffset), byteAt(answer, kAnswerDataOffset + 1)}};
    for (int i = kAnswerDataOffset + 2; i + 1 < answer.size(); i += 2) {
        const quint16 entry = quint16(byteAt(answer, i) | (byteAt(answer, i + 1) << 8));
        if (entry == 0) {
            out = macro;
            return true;
        }
        if (macro.entries.size() >= kMaxMacroEntries)
            return false;
        macro.entries.append(entry);
    }
    return false; // no terminating pair inside the answer
}

QByteArray macroBuffer(const Macro &macro)
{
    if (macro.entries.size() > kMaxMacroEntries)
        return QByteArray();
    QByteArray buffer(kMacroBufferSize, '\0');
    buffer[0] = char(macro.header[0]);
    buffer[1] = char(macro.header[1]);
    int i = 2;
    for (quint16 entry : macro.entries) {
        if (entry == 0)
            return QByteArray();
        buffer[i++] = char(entry & 0xFF);
        buffer[i++] = char(entry >> 8);
    }
    return buffer;
}

QByteArray macroWritePayload(quint8 number, const Macro &macro)
{
    const QByteArray buffer = macroBuffer(macro);
    if (buffer.isEmpty())
        return QByteArray();
    QByteArray payload(7, '\0');
    payload[0] = char(kCmdWriteMacro);
    payload[1] = char(number);
    payload[3] = 0x04;
    payload.append(buffer);
    return payload;
}

QByteArray packMacroRecord(const Macro &macro)
{
    if (macro.entries.size() > kMaxMacroEntries)
        return QByteArray();
    QByteArray record;
    record.reserve(2 + 2 * macro.entries.size());
    record.append(char(macro.header[0]));
    record.append(char(macro.header[1]));
    for (quint16 entry : macro.entries) {
        record.append(char(entry & 0xFF));
        record.append(char(entry >> 8));
    }
    return record;
}

bool unpackMacroRecord(const QByteArray &record, Macro &out)
{
    if (record.size() < 2 || record.size() % 2 != 0)
        return false;
    Macro macro;
    macro.header = {{byteAt(record, 0), byteAt(record, 1)}};
    macro.entries.reserve((record.size() - 2) / 2);
    for (int i = 2; i + 1 < record.size(); i += 2)
        macro.entries.append(quint16(byteAt(record, i) | (byteAt(record, i + 1) << 8)));
    out = macro;
    return true;
}

std::array<quint8, 2> macroHeaderForRepeat(int repeatTimes)
{
    const int r = std::clamp(repeatTimes, 1, 0xFFFF);
    return {{quint8(r >> 8), quint8(r & 0xFF)}};
}

MacroEncodeError encodeMacroEntries(const QList<MacroNode> &nodes, bool ignoreDelays, QVector<quint16> &entries,
                                    int *skipped)
{
    QVector<quint16> out;
    int left = 0;
    bool tooLong = false;
    auto add = [&](quint16 entry) {
        if (out.size() >= kMaxMacroEntries) {
            tooLong = true;
            return;
        }
        out.append(entry);
    };

    for (const MacroNode &node : nodes) {
        bool placed = false;
        if (node.ValueType == 3 && (node.State == 0 || node.State == 1)) {
            const int usage = familyBVirtualKeyToUsage(node.KeyValue);
            if (usage > 0 && usage <= 0xFF) {
                add(quint16((node.State == 0 ? kEntryPress : kEntryRelease) | usage));
                placed = true;
            }
        } else if (node.ValueType == 6) {
            const int x = std::clamp(node.CoordinateX, -127, 127);
            const int y = std::clamp(node.CoordinateY, -127, 127);
            add(quint16(kEntryMoveX | quint8(qint8(x))));
            add(quint16(kEntryMoveY | quint8(qint8(y))));
            placed = true;
        }
        if (!placed)
            ++left;
        // A left-out event keeps its delay so the timing of the rest holds.
        if (!ignoreDelays) {
            for (int ms = node.TimeLapse; ms > 0 && !tooLong; ms -= kMaxDelayPerEntry)
                add(quint16(kEntryDelay | std::min(ms, kMaxDelayPerEntry)));
        }
        if (tooLong)
            return MacroEncodeError::TooLong;
    }
    if (skipped)
        *skipped = left;
    const bool hasEvent = std::any_of(out.cbegin(), out.cend(), [](quint16 e) { return e < kEntryDelay; });
    if (!hasEvent)
        return MacroEncodeError::Empty;
    entries = out;
    return MacroEncodeError::None;
}

// --------------------------------------------------------------------- CPI

namespace {

QMap<int, int> buildFamilyBTable()
{
    // code -> CPI. 4200 sits between 4100 (92) and 4300 (97) like its
    // neighbours, so every CPI has a code of its own.
    static const int rows[][2] = {
        {200, 4},    {300, 6},    {400, 9},    {500, 11},   {600, 13},   {700, 15},   {800, 18},
        {900, 20},   {1000, 22},  {1100, 24},  {1200, 27},  {1300, 29},  {1400, 31},  {1500, 33},
        {1600, 36},  {1700, 38},  {1800, 40},  {1900, 43},  {2000, 45},  {2100, 47},  {2200, 49},
        {2300, 52},  {2400, 54},  {2500, 56},  {2600, 58},  {2700, 61},  {2800, 63},  {2900, 65},
        {3000, 67},  {3100, 70},  {3200, 72},  {3300, 74},  {3400, 77},  {3500, 79},  {3600, 81},
        {3700, 83},  {3800, 86},  {3900, 88},  {4000, 90},  {4100, 92},  {4200, 95},  {4300, 97},
        {4400, 99},  {4500, 102}, {4600, 104}, {4700, 106}, {4800, 108}, {4900, 111}, {5000, 113},
        {5100, 115}, {5200, 117}, {5300, 120}, {5400, 122}, {5500, 124}, {5600, 127}, {5700, 129},
        {5800, 131}, {5900, 133}, {6000, 135}, {6100, 138}, {6200, 140},
    };
    QMap<int, int> table;
    for (const auto &row : rows)
        table.insert(row[1], row[0]);
    return table;
}

QMap<int, int> buildFamilyCTable()
{
    static const int codes[] = {
        0x04, 0x06, 0x09, 0x0B, 0x0E, 0x10, 0x12, 0x15, // 200..900
        0x17, 0x19, 0x1B, 0x1D, 0x20, 0x22, 0x24, 0x27, // 1000..1700
        0x29, 0x2B, 0x2E, 0x30, 0x32, 0x34, 0x37, 0x39, // 1800..2500
        0x3B, 0x3E, 0x40, 0x42, 0x45, 0x48, 0x4A, 0x4D, // 2600..3300
        0x4E, 0x51, 0x54, 0x55, 0x58, 0x5B, 0x5D, 0x5F, // 3400..4100
        0x62, 0x64, 0x66, 0x69, 0x6B, 0x6D, 0x70, 0x72, // 4200..4900
        0x74, 0x77, 0x79, 0x7B, 0x7E, 0x80, 0x82, 0x85, // 5000..5700
        0x87, 0x89, 0x8C, 0x8E, 0x91,                   // 5800..6200
    };
    QMap<int, int> table;
    int cpi = 200;
    for (int code : codes) {
        table.insert(code, cpi);
        cpi += 100;
    }
    return table;
}

} // namespace

const QMap<int, int> &familyBCpiTable()
{
    static const QMap<int, int> table = buildFamilyBTable();
    return table;
}

const QMap<int, int> &familyCCpiTable()
{
    static const QMap<int, int> table = buildFamilyCTable();
    return table;
}

int cpiTableCode(const QMap<int, int> &table, int cpi)
{
    for (auto it = table.cbegin(); it != table.cend(); ++it)
        if (it.value() == cpi)
            return it.key();
    return 0;
}

int cpiTableValue(const QMap<int, int> &table, int code)
{
    return table.value(code, 0);
}

CpiEncoding cpiEncodingForModel(int modelType)
{
    switch (modelRow(modelType).cpiCoding) {
    case CpiCoding::Step50: return CpiEncoding::Step50;
    case CpiCoding::Sensor61: return CpiEncoding::FamilyCTable;
    default: return CpiEncoding::FamilyBTable;
    }
}

bool encodeCpi(int modelType, int cpi, CpiCode &code)
{
    if (cpi <= 0)
        return false;
    CpiCode c;
    switch (cpiEncodingForModel(modelType)) {
    case CpiEncoding::Step50:
        if (cpi / 12800 > 0xFF)
            return false;
        c.low = quint8((cpi / 50) & 0xFF);
        c.high = quint8(cpi / 12800);
        break;
    case CpiEncoding::FamilyCTable: c.low = quint8(cpiTableCode(familyCCpiTable(), cpi)); break;
    case CpiEncoding::FamilyBTable: c.low = quint8(cpiTableCode(familyBCpiTable(), cpi)); break;
    }
    // Code 0 is a stage switched off; a value off the grid would be
    // rounded to a neighbour.
    if ((c.low == 0 && c.high == 0) || decodeCpi(modelType, c) != cpi)
        return false;
    code = c;
    return true;
}

int decodeCpi(int modelType, CpiCode code)
{
    switch (cpiEncodingForModel(modelType)) {
    case CpiEncoding::Step50: return code.high * 12800 + code.low * 50;
    case CpiEncoding::FamilyCTable: return cpiTableValue(familyCCpiTable(), code.low);
    case CpiEncoding::FamilyBTable: return cpiTableValue(familyBCpiTable(), code.low);
    }
    return 0;
}

bool checkFileBlock(int modelType, const QByteArray &block, QString *why)
{
    const auto refuse = [why](const QString &text) {
        if (why)
            *why = text;
        return false;
    };
    if (block.size() != kFileBlockSize)
        return refuse(QStringLiteral("the block has %1 bytes, not %2").arg(block.size()).arg(kFileBlockSize));
    const auto at = [&block](int profileByte) { return quint8(block.at(profileByte - kSettingsOffset)); };
    if (at(kReportRateByte) > 3)
        return refuse(QStringLiteral("report rate %1 is unknown").arg(at(kReportRateByte)));
    bool anyOn = false;
    for (int i = 0; i < kCpiStages; ++i) {
        const CpiCode code{at(kCpiLowBytes + i), at(kCpiHighBytes + i)};
        if (code.low == 0 && code.high == 0)
            continue;
        const int cpi = decodeCpi(modelType, code);
        if (cpi == 0 || !isCpiValueAllowed(modelType, cpi))
            return refuse(QStringLiteral("CPI stage %1 (code %2) is none the model takes: %3")
                              .arg(i + 1)
                              .arg(code.low)
                              .arg(cpiRangeText(modelType)));
        anyOn = true;
    }
    if (!anyOn)
        return refuse(QStringLiteral("no CPI stage is on"));
    return true;
}

// ----------------------------------------------------------------- lighting

namespace {
constexpr int kLightCodes[] = {0x80, 0x81, 0x82, 0x84, 0x83, 0x85};
}

int lightModeIndexToCode(int index)
{
    if (index < 0 || index >= int(std::size(kLightCodes)))
        return 0;
    return kLightCodes[index];
}

int lightModeCodeToIndex(int code)
{
    for (int i = 0; i < int(std::size(kLightCodes)); ++i)
        if (kLightCodes[i] == code)
            return i;
    return code;
}

int displayBehaviourToCode(int behaviour)
{
    switch (behaviour) {
    case kBehaviourOff: return 4;
    case kBehaviourCpi: return 0;
    case kBehaviourApm: return 7;
    default: return 1;
    }
}

int displayCodeToBehaviour(int code)
{
    switch (code) {
    case 4: return kBehaviourOff;
    case 0: return kBehaviourCpi;
    case 7: return kBehaviourApm;
    case 1: return kBehaviourPicture;
    default: return kBehaviourCpi;
    }
}

QByteArray packOledPicture(const QImage &image)
{
    if (image.isNull())
        return QByteArray();
    QImage picture = image;
    if (picture.size() != QSize(kOledWidth, kOledHeight))
        picture = picture.scaled(kOledWidth, kOledHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    picture = picture.convertToFormat(QImage::Format_RGB32);

    QByteArray out(kOledBytes, '\0');
    for (int y = 0; y < kOledHeight; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        for (int x = 0; x < kOledWidth; ++x) {
            if (qGray(line[x]) < 128) {
                const int i = (y / 8) * kOledWidth + x;
                out[i] = char(quint8(out.at(i)) | (1 << (y % 8)));
            }
        }
    }
    return out;
}

QImage unpackOledPicture(const QByteArray &data)
{
    if (data.size() < kOledBytes)
        return QImage();
    QImage picture(kOledWidth, kOledHeight, QImage::Format_RGB32);
    for (int y = 0; y < kOledHeight; ++y) {
        for (int x = 0; x < kOledWidth; ++x) {
            const bool lit = quint8(data.at((y / 8) * kOledWidth + x)) & (1 << (y % 8));
            picture.setPixel(x, y, lit ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    }
    return picture;
}

// ------------------------------------------------------------------ buttons

int buttonWordOffset(int buttonId, int modelType)
{
    const bool ox8 = modelType == Ox8;
    switch (buttonId) {
    case 4: return 332;
    case 6: return 336;
    case 5: return 340;
    case 8: return 344;
    case 7: return 348;
    case 13: return 352;
    case 14: return 356;
    case 9: return ox8 ? 356 : -1;
    case 10: return ox8 ? 360 : -1;
    case 15: return ox8 ? 384 : 360;
    case 16: return ox8 ? 380 : 364;
    case 17: return 368;
    case 11: return 388;
    case 12: return 392;
    default: return -1;
    }
}

ButtonWord factoryButtonWord(int buttonId, int modelType)
{
    const bool ox8 = modelType == Ox8;
    const bool ox1Series = isOx1Series(modelType);
    if (buttonWordOffset(buttonId, modelType) < 0)
        return {{0, 0, 0, 0}};
    switch (buttonId) {
    case 4: return {{0x01, 0x00, 0xF0, 0x00}};
    case 6: return {{0x01, 0x00, 0xF1, 0x00}};
    case 5: return {{0x01, 0x00, 0xF2, 0x00}};
    case 8: return {{0x01, 0x00, 0xF3, 0x00}};
    case 7: return {{0x01, 0x00, 0xF4, 0x00}};
    case 13: return ox1Series ? ButtonWord{{0x07, 0x00, 0x03, 0x00}} : ButtonWord{{0x07, 0x00, 0x01, 0x00}};
    case 14: return {{0x07, 0x00, 0x02, 0x00}};
    case 9: return {{0x11, 0x00, 0x00, 0x00}};
    case 10: return {{0x00, 0x00, 0x5C, 0x00}};
    case 15: return ox8 ? ButtonWord{{0x03, 0x00, 0xEA, 0x00}} : ButtonWord{{0x11, 0x00, 0x00, 0x00}};
    case 16: return ox8 ? ButtonWord{{0x03, 0x00, 0xE9, 0x00}} : ButtonWord{{0x00, 0x00, 0x21, 0x00}};
    case 17: return {{0x08, 0x00, 0x03, 0x00}};
    case 11: return {{0x04, 0x00, 0x01, 0x00}};
    case 12: return {{0x04, 0x00, 0x02, 0x00}};
    default: return {{0, 0, 0, 0}};
    }
}

QVector<int> modelButtons(int modelType)
{
    if (modelType == Ox8)
        return {4, 6, 5, 8, 7, 13, 9, 10, 17, 16, 15, 11, 12};
    return {4, 6, 5, 8, 7, 13, 14, 15, 16, 17, 11, 12};
}

bool isLeftClickWord(const ButtonWord &word)
{
    return (word[0] == kKindKey || word[0] == kKindMouse) && word[2] == kLeftClickCode;
}

bool encodeButtonWord(int changeType, int keyValue, int modifier, ButtonWord &word)
{
    if (changeType == kChangeKey || changeType == kChangeKeyFunction) {
        const int usage = keyValue == 0 ? 0 : familyBVirtualKeyToUsage(keyValue);
        if (keyValue != 0 && usage == 0)
            return false; // a key the device has no usage for
        word = {{kKindKey, quint8(modifier), quint8(usage), 0x00}};
        return true;
    }
    if (changeType >= kChangeConsumerFirst && changeType <= kChangeConsumerLast) {
        word = {{kKindConsumer, 0x00, quint8(keyValue & 0xFF), quint8(modifier)}};
        return true;
    }
    switch (changeType) {
    case kChangeDisabled: word = {{kKindKey, 0x00, 0x00, 0x00}}; return true;
    case kChangeFireKey: word = {{kKindFunction, 0x00, 0x01, 0x00}}; return true;
    case kChangeCpiUp: word = {{kKindCpi, 0x00, 0x01, 0x00}}; return true;
    case kChangeCpiDown: word = {{kKindCpi, 0x00, 0x02, 0x00}}; return true;
    case kChangeCpiInstant: word = {{kKindCpiInstant, 0x00, 0x00, 0x00}}; return true;
    case kChangeLeftButton: word = {{kKindMouse, 0x00, 0xF0, 0x00}}; return true;
    case kChangeRightButton: word = {{kKindMouse, 0x00, 0xF1, 0x00}}; return true;
    case kChangeMiddleButton: word = {{kKindMouse, 0x00, 0xF2, 0x00}}; return true;
    case kChangeForwardButton: word = {{kKindMouse, 0x00, 0xF4, 0x00}}; return true;
    case kChangeBackButton: word = {{kKindMouse, 0x00, 0xF3, 0x00}}; return true;
    case kChangeProfileLoop: word = {{kKindFunction, 0x00, 0x03, 0x00}}; return true;
    case kChangeSwitchMacro: word = {{kKindSwitchMacro, 0x00, 0x00, 0x00}}; return true;
    default: return false;
    }
}

ButtonAssignment describeButtonWord(const ButtonWord &word)
{
    auto basic = [](int type) { return ButtonAssignment{kChangeBasicFunction, type, 0}; };
    const ButtonAssignment fixed{kChangeFixedText, 0, 0};
    switch (word[0]) {
    case kKindKey:
        if (word[1] == 0 && word[2] == 0)
            return {kChangeDisabled, 0, 0};
        return {kChangeKey, familyBUsageToVirtualKey(word[2]), word[1]};
    case kKindMouse:
        switch (word[2]) {
        case 0xF0: return basic(kChangeLeftButton);
        case 0xF1: return basic(kChangeRightButton);
        case 0xF2: return basic(kChangeMiddleButton);
        case 0xF4: return basic(kChangeForwardButton);
        case 0xF3: return basic(kChangeBackButton);
        default: return fixed;
        }
    case kKindConsumer:
        switch (word[2] | (word[3] << 8)) {
        case 0x00E2: return basic(35);
        case 0x00CD: return basic(36);
        case 0x00E9: return basic(37);
        case 0x00EA: return basic(38);
        case 0x0183: return basic(39);
        default: return fixed;
        }
    case kKindCpi:
        if (word[2] == 0x01)
            return basic(kChangeCpiUp);
        if (word[2] == 0x02)
            return basic(kChangeCpiDown);
        return fixed;
    case kKindFunction:
        if (word[2] == 0x01)
            return basic(kChangeFireKey);
        if (word[2] == 0x03)
            return basic(kChangeProfileLoop);
        return fixed;
    case kKindCpiInstant: return basic(kChangeCpiInstant);
    case kKindSwitchMacro: return basic(kChangeSwitchMacro);
    default: return fixed;
    }
}

ButtonWord singleMacroWord(int slot, int macroType)
{
    return {{kKindSingleMacro, quint8(macroType), quint8(slot), 0x00}};
}

ButtonWord macroListWord(int count)
{
    return {{kKindMacroList, 0x00, quint8(count), 0x00}};
}

QVector<int> macroSlotsOfWord(const ButtonWord &word)
{
    if (word[0] == kKindSingleMacro && word[2] < kMacroSlotCount)
        return {word[2]};
    if (word[0] == kKindMacroList)
        return listMacroSlots().mid(0, std::min<int>(word[2], kMaxListMacros));
    return {};
}

int singleMacroSlot(int buttonId)
{
    switch (buttonId) {
    case 4: return 0;
    case 6: return 1;
    case 5: return 2;
    case 8: return 3;
    case 7: return 4;
    case 13: return 5;
    case 14:
    case 9: return 6; // one word on type 18
    case 15: return 7;
    case 16: return 8;
    case 17: return 9;
    case 11: return 10;
    case 12: return 11;
    case 10: return 12;
    default: return -1;
    }
}

QVector<int> listMacroSlots()
{
    return {0, 13, 14, 15};
}

} // namespace familyb
