#include "device/familya/familyacodec.h"

#include "device/keytables.h"
#include "config/macronode.h"
#include "discovery/models.h"

#include <QColor>

#include <algorithm>

namespace familya {

quint32 macroPageAddress(int index, MacroKind kind)
{
    const int base = kind == MacroKind::First ? 1 : 16;
    return quint32(index + base) * quint32(kMacroPageSize);
}

quint32 oledPictureAddress(int n)
{
    return quint32(n + 34) * quint32(kMacroPageSize);
}

// --- Command reports --------------------------------------------------------

bool buildMouseReport(int connectionMode, const QByteArray &command, QByteArray &report)
{
    if (command.isEmpty() || command.size() > kMaxCommandLength - 1)
        return false;
    quint8 target = 0x00;
    if (connectionMode == 0)
        target = kTargetWired;
    else if (connectionMode == 1)
        target = kTargetReceiver;
    report = QByteArray(kReportLength, '\0');
    report[0] = char(kReportId);
    report[1] = char(target);
    std::copy(command.cbegin(), command.cend(), report.begin() + 2);
    return true;
}

bool buildReceiverReport(const QByteArray &command, QByteArray &report)
{
    if (command.isEmpty() || command.size() > kMaxCommandLength)
        return false;
    report = QByteArray(kReportLength, '\0');
    report[0] = char(kReportId);
    std::copy(command.cbegin(), command.cend(), report.begin() + 1);
    return true;
}

quint32 readLe32(const QByteArray &bytes, int offset)
{
    if (offset < 0 || offset + 4 > bytes.size())
        return 0;
    return quint32(quint8(bytes[offset])) | (quint32(quint8(bytes[offset + 1])) << 8)
        | (quint32(quint8(bytes[offset + 2])) << 16) | (quint32(quint8(bytes[offset + 3])) << 24);
}

quint16 readLe16(const QByteArray &bytes, int offset)
{
    if (offset < 0 || offset + 2 > bytes.size())
        return 0;
    return quint16(quint8(bytes[offset]) | (quint8(bytes[offset + 1]) << 8));
}

void putLe32(QByteArray &bytes, int offset, quint32 value)
{
    if (offset < 0 || offset + 4 > bytes.size())
        return;
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = char(quint8(value >> (8 * i)));
}

void putLe16(QByteArray &bytes, int offset, quint16 value)
{
    if (offset < 0 || offset + 2 > bytes.size())
        return;
    bytes[offset] = char(quint8(value));
    bytes[offset + 1] = char(quint8(value >> 8));
}

QByteArray readMemoryCommand(quint32 address, int count)
{
    QByteArray cmd(6, '\0');
    cmd[0] = char(kCmdReadMemory);
    cmd[1] = char(quint8(count));
    putLe32(cmd, 2, address);
    return cmd;
}

QByteArray writeMemoryCommand(quint32 address, const QByteArray &data)
{
    QByteArray cmd(6, '\0');
    cmd[0] = char(kCmdWriteMemory);
    cmd[1] = char(quint8(data.size()));
    putLe32(cmd, 2, address);
    return cmd + data;
}

namespace {
template<int N>
QByteArray bytes(const quint8 (&fixed)[N])
{
    return QByteArray(reinterpret_cast<const char *>(fixed), N);
}
} // namespace

QByteArray dongleOpenCommand()
{
    return bytes(kDongleOpen);
}

QByteArray dongleAddressCommand(quint32 address)
{
    QByteArray cmd = bytes(kDongleAddressPrefix);
    cmd.resize(cmd.size() + 4);
    putLe32(cmd, 2, address);
    return cmd;
}

QByteArray dongleEndPairingCommand()
{
    return bytes(kDongleEndPairing);
}

QByteArray dongleWorkModeCommand()
{
    return QByteArray(1, char(kDongleWorkMode));
}

// --- Profile record -----------------------------------------------------------

int recordOffsetForSlotOffset(quint32 slotOffset, int size)
{
    if (size <= 0)
        return -1;
    const quint64 end = quint64(slotOffset) + quint64(size);
    if (slotOffset >= kSettingsOffset && end <= kSettingsOffset + kSettingsSize)
        return kRecordSettingsOffset + int(slotOffset - kSettingsOffset);
    if (slotOffset >= kButtonBlockOffset && end <= kButtonBlockOffset + kButtonBlockSize)
        return kRecordButtonsOffset + int(slotOffset - kButtonBlockOffset);
    return -1;
}

int buttonBlockOffset(int button)
{
    // Buttons 2 and 3 are swapped, and 8/9 come after 10/11.
    static const int offsets[kButtonCount] = {0x00, 0x08, 0x04, 0x0C, 0x10, 0x14, 0x18, 0x24, 0x28, 0x1C, 0x20};
    if (button < 1 || button > kButtonCount)
        return -1;
    return offsets[button - 1];
}

// --- Macros -------------------------------------------------------------------

quint32 keyEvent(bool press, int virtualKey)
{
    return ((press ? kEventKeyDown : kEventKeyUp) << 24) | (quint32(virtualKey) & 0xFFFFFF);
}

quint32 delayEvent(int ms)
{
    return (kEventDelay << 24) | quint32(qBound(0, ms, 0xFFFF));
}

quint32 moveEvent(int x, int y)
{
    x = qBound(-kMaxMoveComponent, x, kMaxMoveComponent);
    y = qBound(-kMaxMoveComponent, y, kMaxMoveComponent);
    quint32 e = kEventMove << 24;
    e |= quint32(qAbs(x)) & 0x7FF;
    if (x < 0)
        e |= 1u << 11;
    e |= (quint32(qAbs(y)) & 0x7FF) << 12;
    if (y < 0)
        e |= 1u << 23;
    return e;
}

bool encodeMacroPage(const QVector<quint32> &events, quint16 mode, QByteArray &page, MacroError *error,
                     int *failedEvent)
{
    page.clear();
    QVector<MacroEntry> entries;
    int moveHead = -1; // the 0xF7 entry when the last entry closes a move
    auto fail = [&](MacroError e, int index) {
        if (error)
            *error = e;
        if (failedEvent)
            *failedEvent = index;
        return false;
    };

    for (int i = 0; i < events.size(); ++i) {
        const quint32 e = events[i];
        const quint32 type = e >> 24;
        if (type == kEventKeyDown || type == kEventKeyUp) {
            const int usage = VirtualKeyToHidUsage(int(e & 0xFFFFFF));
            if (usage <= 0 || usage > 0xFF)
                return fail(MacroError::KeyWithoutUsage, i);
            entries.append({quint16(type == kEventKeyDown ? 1 : 0), quint8(usage)});
            moveHead = -1;
        } else if (type == kEventDelay) {
            if (entries.isEmpty())
                continue;
            const quint16 delay = quint16(qMin<quint32>(e & 0xFFFF, kMaxEntryDelay));
            if (moveHead >= 0) {
                entries[moveHead].control |= quint16(delay << 1);
            } else {
                MacroEntry &last = entries.last();
                last.control = quint16((last.control & 1) | (delay << 1));
            }
        } else if (type == kEventMove) {
            int x = int(e & 0x7FF);
            if (e & (1u << 11))
                x = -x;
            int y = int((e >> 12) & 0x7FF);
            if (e & (1u << 23))
                y = -y;
            const quint32 x12 = quint32(x) & 0xFFF;
            const quint32 ny12 = quint32(-y) & 0xFFF;
            MacroEntry coords;
            coords.control = quint16(((x12 & 0xFF) << 8) | (((x12 >> 8) & 0xF) << 4) | ((ny12 >> 8) & 0xF));
            coords.code = quint8(ny12 & 0xFF);
            entries.append({0, kMoveEntryCode});
            moveHead = entries.size() - 1;
            entries.append(coords);
        } else {
            return fail(MacroError::UnknownEvent, i);
        }
        if (entries.size() > kMacroMaxEntries)
            return fail(MacroError::TooManyEntries, i);
    }

    const int length = 4 + 3 * entries.size();
    page = QByteArray(length, '\0');
    putLe16(page, 0, quint16(length));
    putLe16(page, 2, mode);
    for (int k = 0; k < entries.size(); ++k) {
        putLe16(page, 4 + 3 * k, entries[k].control);
        page[6 + 3 * k] = char(entries[k].code);
    }
    if (error)
        *error = MacroError::None;
    if (failedEvent)
        *failedEvent = -1;
    return true;
}

bool decodeMacroPageHeader(const QByteArray &header, quint16 &length, quint16 &mode)
{
    if (header.size() < 4)
        return false;
    length = readLe16(header, 0);
    mode = readLe16(header, 2);
    return true;
}

bool isMacroPageFree(quint16 lengthField)
{
    return lengthField == 0 || lengthField > kMacroPageSize;
}

bool isValidMacroPageLength(int length)
{
    return length >= 4 && length <= kMacroPageSize && (length - 4) % 3 == 0;
}

bool decodeMacroPage(const QByteArray &page, quint16 &mode, QVector<MacroEntry> &entries)
{
    entries.clear();
    quint16 length = 0;
    if (!decodeMacroPageHeader(page, length, mode) || !isValidMacroPageLength(length) || length > page.size())
        return false;
    for (int off = 4; off + 3 <= length; off += 3)
        entries.append({readLe16(page, off), quint8(page[off + 2])});
    return true;
}

quint16 macroModeWord(int macroType, int repeatTimes)
{
    if (macroType == 2)
        return kMacroModeToggle;
    if (macroType == 4)
        return kMacroModeWhileHeld;
    return quint16(qBound(1, repeatTimes, 65533));
}

bool macroEventsFromNodes(const QList<MacroNode> &nodes, bool ignoreDelays, QVector<quint32> &events,
                          int *failedNode)
{
    events.clear();
    for (int i = 0; i < nodes.size(); ++i) {
        const MacroNode &n = nodes[i];
        if (n.ValueType == 3) {
            if ((n.State != 0 && n.State != 1) || n.KeyValue <= 0 || n.KeyValue > 0xFFFFFF) {
                if (failedNode)
                    *failedNode = i;
                events.clear();
                return false;
            }
            events.append(keyEvent(n.State == 0, n.KeyValue));
        } else if (n.ValueType == 6) {
            events.append(moveEvent(n.CoordinateX, n.CoordinateY));
        } else {
            if (failedNode)
                *failedNode = i;
            events.clear();
            return false;
        }
        if (!ignoreDelays && n.TimeLapse > 0)
            events.append(delayEvent(n.TimeLapse));
    }
    if (failedNode)
        *failedNode = -1;
    return true;
}

// --- OLED ---------------------------------------------------------------------

namespace {
bool isDarkPixel(const QImage &image, int x, int y)
{
    const int index = image.pixelIndex(x, y);
    const QVector<QRgb> table = image.colorTable();
    if (index < 0 || index >= table.size())
        return index == 0;
    return qGray(table[index]) < 128;
}
} // namespace

bool ImageToByteArr(const QImage &image, QByteArray &out, int imageDataLen, QString *error)
{
    out.clear();
    const qsizetype bytes = image.sizeInBytes();
    if (image.isNull() || image.depth() != 1 || image.width() != kOledWidth || image.height() != kOledHeight
        || bytes != kOledBytes || imageDataLen != kOledBytes) {
        if (error)
            *error = QStringLiteral("picture %1 x %2, depth %3, %4 bytes, data length %5: needs 64 x 48, "
                                    "one bit per pixel, 384 bytes")
                         .arg(image.width())
                         .arg(image.height())
                         .arg(image.depth())
                         .arg(qlonglong(bytes))
                         .arg(imageDataLen);
        return false;
    }
    out = QByteArray(kOledBytes, '\0');
    const QVector<QRgb> table = image.colorTable();
    for (int page = 0; page < kOledHeight / 8; ++page) {
        for (int col = 0; col < kOledWidth; ++col) {
            quint8 b = 0;
            for (int i = 0; i < 8; ++i)
                if (isDarkPixel(image, col, page * 8 + i))
                    b |= quint8(1u << i);
            out[page * kOledWidth + col] = char(b);
        }
    }
    return true;
}

QImage byteArrToImage(const QByteArray &data)
{
    if (data.size() != kOledBytes)
        return QImage();
    QImage image(kOledWidth, kOledHeight, QImage::Format_MonoLSB);
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int page = 0; page < kOledHeight / 8; ++page) {
        for (int col = 0; col < kOledWidth; ++col) {
            const quint8 b = quint8(data[page * kOledWidth + col]);
            for (int i = 0; i < 8; ++i)
                image.setPixel(col, page * 8 + i, (b >> i) & 1 ? 0 : 1);
        }
    }
    return image;
}

QImage toOledImage(const QImage &image)
{
    if (image.isNull())
        return QImage();
    const QImage scaled = image.size() == QSize(kOledWidth, kOledHeight)
        ? image
        : image.scaled(kOledWidth, kOledHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return scaled.convertToFormat(QImage::Format_MonoLSB, {qRgb(0, 0, 0), qRgb(255, 255, 255)},
                                  Qt::ThresholdDither | Qt::AvoidDither);
}

// --- CPI ----------------------------------------------------------------------

CpiGroup cpiGroupFor(int mouseType)
{
    switch (modelRow(mouseType).cpiCoding) {
    case CpiCoding::Ox4Steps: return CpiGroup::Ox4;
    case CpiCoding::Ox7EUSteps: return CpiGroup::Ox7EU;
    default: return CpiGroup::Wide;
    }
}

bool encodeCpi(int mouseType, int cpi, quint16 &code)
{
    if (cpi <= 0)
        return false;
    qint64 c = 0;
    switch (cpiGroupFor(mouseType)) {
    case CpiGroup::Ox4:
        c = (qint64(cpi) - 200) / 100;
        break;
    case CpiGroup::Ox7EU:
        c = cpi > 5000 ? qint64(cpi) / 200 + 23 : (qint64(cpi) - 200) / 100;
        break;
    case CpiGroup::Wide:
        c = qint64(cpi) / 50;
        break;
    }
    // Only a code that stands for exactly this CPI: rounding would set
    // another value, and a value below the lowest code would read as it.
    if (c < 0 || c > 0xFFFF || decodeCpi(mouseType, quint16(c)) != cpi)
        return false;
    code = quint16(c);
    return true;
}

int decodeCpi(int mouseType, quint16 code)
{
    switch (cpiGroupFor(mouseType)) {
    case CpiGroup::Ox4:
        return code * 100 + 200;
    case CpiGroup::Ox7EU:
        return code > 48 ? code * 200 - 4600 : code * 100 + 200;
    case CpiGroup::Wide:
        break;
    }
    return code * 50;
}

int currentStageAfterListWrite(int mouseType, int stageCount)
{
    const int lastIndex = stageCount - 1;
    if (cpiGroupFor(mouseType) == CpiGroup::Ox4)
        return stageCount >= 3 ? 2 : lastIndex;
    return stageCount >= 4 ? 3 : lastIndex;
}

int defaultLastCpiIndex(int mouseType)
{
    switch (cpiGroupFor(mouseType)) {
    case CpiGroup::Ox4:
        return 5;
    case CpiGroup::Ox7EU:
    case CpiGroup::Wide:
        break;
    }
    return kMaxCpiStages - 1;
}

bool encodeCpiList(int mouseType, const QList<DWORD> &values, CpiListEncoding &out)
{
    const int considered = qMin(modelRow(mouseType).cpiStageLimit, values.size());
    QVector<quint16> codes;
    for (int i = 0; i < considered && codes.size() < kMaxCpiStages; ++i) {
        if (values[i] == 0)
            continue;
        quint16 code = 0;
        if (values[i] > 0x7FFFFFFF || !encodeCpi(mouseType, int(values[i]), code))
            return false;
        codes.append(code);
    }
    if (codes.isEmpty())
        return false;
    out.matrix = QByteArray(kCpiMatrixSize, '\0');
    for (int i = 0; i < codes.size(); ++i)
        putLe16(out.matrix, 2 * i, codes[i]);
    out.stageCount = codes.size();
    out.lastIndex = codes.size() - 1;
    out.matrix[14] = char(quint8(out.lastIndex));
    out.matrix[15] = 0;
    out.currentStage = currentStageAfterListWrite(mouseType, out.stageCount);
    return true;
}

QList<DWORD> decodeCpiStages(int mouseType, const QByteArray &matrix)
{
    QList<DWORD> stages;
    const CpiGroup group = cpiGroupFor(mouseType);
    int last = matrix.size() > 14 ? quint8(matrix[14]) : -1;
    if (last < 0 || last >= kMaxCpiStages)
        last = defaultLastCpiIndex(mouseType);
    if (group == CpiGroup::Ox4)
        last = qMin(last, 5);
    else if (group == CpiGroup::Wide)
        last = kMaxCpiStages - 1;
    for (int i = 0; i < kMaxCpiStages; ++i) {
        if (i > last || 2 * i + 2 > matrix.size())
            stages.append(0);
        else
            stages.append(DWORD(decodeCpi(mouseType, readLe16(matrix, 2 * i))));
    }
    return stages;
}

// --- Report rate ----------------------------------------------------------------

namespace {
const int kIntervals[4] = {8, 4, 2, 1};
}

int reportIntervalForIndex(int index)
{
    return index >= 0 && index < 4 ? kIntervals[index] : 0;
}

int reportIndexForInterval(quint32 intervalWord)
{
    // The interval is small; only the low byte carries it (some stored
    // blocks have fill in the upper bytes).
    const int interval = int(intervalWord & 0xFF);
    for (int i = 0; i < 4; ++i)
        if (kIntervals[i] == interval)
            return i;
    return -1;
}

// --- Buttons --------------------------------------------------------------------

quint32 macroButtonWord(int pageIndex)
{
    return buttonWord(0x05, 0x00, quint8(pageIndex), 0x00);
}

bool isLeftClickWord(quint32 word)
{
    return buttonWordByte(word, 0) == 0x03 && buttonWordByte(word, 2) == 0x01;
}

namespace {
struct FixedWord
{
    int changeType;
    quint32 word;
};

const FixedWord kFixedWords[] = {
    {35, buttonWord(0x04, 0x00, 0x00, 0xE2)}, {36, buttonWord(0x04, 0x00, 0x00, 0xCD)},
    {37, buttonWord(0x04, 0x00, 0x00, 0xE9)}, {38, buttonWord(0x04, 0x00, 0x00, 0xEA)},
    {39, buttonWord(0x04, 0x00, 0x01, 0x83)}, {41, buttonWord(0x07, 0x00, 0x00, 0x00)},
    {44, buttonWord(0x03, 0x00, 0x01, 0x01)}, {45, buttonWord(0x08, 0x00, 0x05, 0x00)},
    {46, buttonWord(0x08, 0x00, 0x06, 0x00)}, {47, buttonWord(0x09, 0x00, 0x01, 0x00)},
    {48, buttonWord(0x03, 0x00, 0x01, 0x00)}, {49, buttonWord(0x03, 0x00, 0x02, 0x00)},
    {50, buttonWord(0x03, 0x00, 0x04, 0x00)}, {51, buttonWord(0x03, 0x00, 0x10, 0x00)},
    {52, buttonWord(0x03, 0x00, 0x08, 0x00)}, {55, buttonWord(0x09, 0x00, 0x03, 0x00)},
};

// The key-with-modifier rows of the editor's basic list (row = index).
struct KeyRow
{
    int virtualKey;
    int modifier;
};
const KeyRow kBasicKeyRows[] = {
    {0x57, 1}, {0x4C, 8}, {0x52, 8}, {0x44, 8}, {0xBB, 1}, {0xBD, 1}, {0x46, 1},
};
} // namespace

bool encodeButtonWord(int changeType, int key, int modifier, quint32 &word)
{
    for (const FixedWord &f : kFixedWords) {
        if (f.changeType == changeType) {
            word = f.word;
            return true;
        }
    }
    const quint8 mask = quint8(modifier);
    switch (changeType) {
    case 29:
    case 30: {
        int usage = 0;
        if (key != 0) {
            usage = VirtualKeyToHidUsage(key);
            if (usage <= 0 || usage > 0xFF)
                return false;
        }
        if (changeType == 29 && mask == 0) {
            if (usage == 0)
                return false; // neither key nor modifier: nothing to assign
            word = buttonWord(0x00, 0x00, quint8(usage), 0x00);
        } else {
            word = buttonWord(0x02, 0x00, mask, quint8(usage));
        }
        return true;
    }
    case 34: {
        const int usage = ((modifier & 0xFF) << 8) | (key & 0xFF);
        word = buttonWord(0x04, 0x00, quint8(usage >> 8), quint8(usage));
        return true;
    }
    case 40:
        word = buttonWord(0x03, 0x00, quint8(key), quint8(modifier));
        return true;
    case 42:
        word = buttonWord(0x08, 0x00, quint8(key), 0x00);
        return true;
    case 43:
        word = buttonWord(0x09, 0x00, quint8(key >> 8), quint8(key));
        return true;
    default:
        return false;
    }
}

ButtonAssignment decodeButtonWord(quint32 word)
{
    if (word == kUnassignedButtonWord)
        return {-1, 0, 0};
    const quint8 kind = buttonWordByte(word, 0);
    const quint8 b2 = buttonWordByte(word, 2);
    const quint8 b3 = buttonWordByte(word, 3);
    switch (kind) {
    case 0x00:
        return {29, HidUsageToVirtualKey(b2), 0};
    case 0x02: {
        const int vk = b3 ? HidUsageToVirtualKey(b3) : 0;
        for (int row = 0; row < int(sizeof(kBasicKeyRows) / sizeof(kBasicKeyRows[0])); ++row)
            if (kBasicKeyRows[row].virtualKey == vk && kBasicKeyRows[row].modifier == b2)
                return {31, row, 0};
        return {29, vk, b2};
    }
    case 0x05:
        return {33, b2, 0};
    case 0x07:
        return {41, 0, 0};
    default:
        break;
    }
    // Fixed device functions the basic list offers (mouse buttons, media,
    // CPI steps, ...). Left click is kind 3 usage 1 with byte 3 zero; the
    // double click differs only in byte 3.
    for (const FixedWord &f : kFixedWords) {
        if (f.word == word && f.changeType != 41)
            return {31, f.changeType, 0};
    }
    return {33, int(word & 0xFFFF), 0};
}

// --- Other values -----------------------------------------------------------------

int batteryPercent(quint32 value)
{
    const quint8 top = quint8(value >> 24);
    if (top == 1)
        return 101;
    if (top == 2)
        return 102;
    if (top >= 3)
        return 103;
    struct Step
    {
        quint32 upTo;
        int percent;
    };
    static const Step steps[] = {
        {0, 0},    {540, 1},  {549, 2},  {557, 3},  {565, 4},  {574, 6},  {582, 7},  {591, 8},  {595, 10},
        {599, 12}, {607, 14}, {610, 16}, {613, 19}, {615, 21}, {623, 23}, {625, 25}, {626, 28}, {628, 30},
        {630, 33}, {632, 35}, {634, 37}, {635, 41}, {637, 45}, {638, 51}, {640, 67}, {641, 71}, {643, 74},
        {646, 76}, {647, 78}, {648, 81}, {650, 84}, {652, 86}, {653, 87}, {655, 88}, {657, 89}, {659, 90},
        {661, 91}, {662, 93}, {664, 94}, {665, 95}, {667, 96}, {669, 97}, {671, 98}, {725, 99},
    };
    for (const Step &s : steps)
        if (value <= s.upTo)
            return s.percent;
    return 100;
}

int batteryLevel(quint32 value, bool reportsPercent)
{
    if (!reportsPercent || (value >> 24) != 0)
        return batteryPercent(value);
    return int(qMin<quint32>(value, 100));
}

quint16 productIdFromBytes(const QByteArray &bytes)
{
    if (bytes.size() < 2)
        return 0;
    return quint16(quint8(bytes[1]) * 256 + quint8(bytes[0]));
}

// --- Firmware update ------------------------------------------------------------------

quint16 byteSum(const QByteArray &bytes, int from, int count)
{
    if (from < 0)
        from = 0;
    int end = count < 0 ? bytes.size() : qMin(bytes.size(), from + count);
    quint32 sum = 0;
    for (int i = from; i < end; ++i)
        sum += quint8(bytes[i]);
    return quint16(sum);
}

QByteArray buildIspPacket(quint32 command, quint32 packetNo, const QByteArray &data)
{
    QByteArray report(kIspReportSize, '\0');
    putLe32(report, 1, command);
    putLe32(report, 5, packetNo);
    const int n = qMin(data.size(), kIspDataSize);
    std::copy(data.cbegin(), data.cbegin() + n, report.begin() + 9);
    return report;
}

bool parseIspAnswer(const QByteArray &answer, quint16 &checksum, quint32 &packetNo)
{
    if (answer.size() < kIspReportSize)
        return false;
    checksum = readLe16(answer, 1);
    packetNo = readLe32(answer, 5);
    return true;
}

} // namespace familya
