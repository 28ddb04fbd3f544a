#include "device/familya/familyaimage.h"

#include "discovery/cpiranges.h"

#include <algorithm>
#include <cstring>

namespace familya {

// --- Macro buffers ------------------------------------------------------------

bool pageOfMacroBuffer(int buffer, int &index, MacroKind &kind)
{
    if (buffer < 0 || buffer >= kMacroBufferCount)
        return false;
    if (buffer < kFirstListMacroBuffer) {
        index = buffer;
        kind = MacroKind::First;
    } else {
        index = buffer - kFirstListMacroBuffer;
        kind = MacroKind::Second;
    }
    return true;
}

QByteArray emptyMacroBuffer()
{
    return QByteArray(kMacroPageSize, '\0');
}

QByteArray macroBufferFromPage(const QByteArray &page)
{
    QByteArray buffer = emptyMacroBuffer();
    const int length = readLe16(page, 0);
    if (isValidMacroPageLength(length) && page.size() >= length)
        std::copy(page.cbegin(), page.cbegin() + length, buffer.begin());
    return buffer;
}

bool holdsMacro(const QByteArray &buffer)
{
    return buffer.size() == kMacroPageSize && isValidMacroPageLength(readLe16(buffer, 0))
        && readLe16(buffer, 0) > 4;
}

// --- Record accessors ---------------------------------------------------------

namespace {
// Record offset of size bytes at a slot offset, -1 when they do not fit.
int recordSpan(const QByteArray &record, quint32 slotOffset, int size)
{
    const int at = recordOffsetForSlotOffset(slotOffset, size);
    return at >= 0 && at + size <= record.size() ? at : -1;
}
} // namespace

void putRecordBytes(QByteArray &record, quint32 slotOffset, const QByteArray &bytes)
{
    const int at = recordSpan(record, slotOffset, bytes.size());
    if (at >= 0)
        std::copy(bytes.cbegin(), bytes.cend(), record.begin() + at);
}

void putRecordWord(QByteArray &record, quint32 slotOffset, quint32 word)
{
    QByteArray bytes(4, '\0');
    putLe32(bytes, 0, word);
    putRecordBytes(record, slotOffset, bytes);
}

void putRecordByte(QByteArray &record, quint32 slotOffset, int byteIndex, quint8 value)
{
    const int at = recordSpan(record, slotOffset + quint32(byteIndex), 1);
    if (at >= 0)
        record[at] = char(value);
}

quint8 recordByte(const QByteArray &record, quint32 slotOffset, int byteIndex)
{
    const int at = recordSpan(record, slotOffset + quint32(byteIndex), 1);
    return at >= 0 ? quint8(record[at]) : 0;
}

// --- Buttons ------------------------------------------------------------------

namespace {
// Button id of the editors -> offset of its word in slot memory.
struct ButtonSlot
{
    int button;
    int offset;
};
const ButtonSlot kButtonSlots[] = {
    {4, 0x210}, {5, 0x21C}, {6, 0x220}, {7, 0x200}, {8, 0x218}, {9, 0x20C},
    {10, 0x214}, {11, 0x224}, {12, 0x228}, {13, 0x208}, {14, 0x204},
};

// The standard factory word at each offset of the button block.
struct FactoryWord
{
    int offset;
    quint32 word;
};
const FactoryWord kFactoryWords[] = {
    {0x200, buttonWord(0x03, 0x00, 0x10, 0x00)}, {0x204, buttonWord(0x08, 0x00, 0x06, 0x00)},
    {0x208, buttonWord(0x08, 0x00, 0x05, 0x00)}, {0x20C, buttonWord(0x00, 0x00, 0x1E, 0x00)},
    {0x210, buttonWord(0x03, 0x00, 0x01, 0x00)}, {0x214, buttonWord(0x00, 0x00, 0x20, 0x00)},
    {0x218, buttonWord(0x03, 0x00, 0x08, 0x00)}, {0x21C, buttonWord(0x03, 0x00, 0x04, 0x00)},
    {0x220, buttonWord(0x03, 0x00, 0x02, 0x00)}, {0x224, kUnassignedButtonWord},
    {0x228, kUnassignedButtonWord},
};

int recordOffsetOfButtonWord(int slotOffset)
{
    return kRecordButtonsOffset + (slotOffset - int(kButtonBlockOffset));
}
} // namespace

int buttonSlotOffset(int buttonId)
{
    for (const ButtonSlot &b : kButtonSlots)
        if (b.button == buttonId)
            return b.offset;
    return -1;
}

QMap<int, quint32> factoryButtonWords(const QByteArray &defaultRecord)
{
    bool standardLayout = true;
    for (const FactoryWord &f : kFactoryWords)
        if (readLe32(defaultRecord, recordOffsetOfButtonWord(f.offset)) != f.word)
            standardLayout = false;
    QMap<int, quint32> words;
    for (const ButtonSlot &b : kButtonSlots) {
        if (!standardLayout) {
            words.insert(b.button, readLe32(defaultRecord, recordOffsetOfButtonWord(b.offset)));
            continue;
        }
        for (const FactoryWord &f : kFactoryWords)
            if (f.offset == b.offset)
                words.insert(b.button, f.word);
    }
    return words;
}

int macroPageIndexForButton(int buttonId)
{
    switch (buttonId) {
    case 4: return 10;
    case 6: return 1;
    case 7: return 2;
    case 8: return 3;
    case 9: return 4;
    case 10: return 5;
    case 11: return 6;
    case 12: return 7;
    case 13: return 8;
    case 14: return 9;
    default: return 0;
    }
}

QMap<int, quint32> recordButtonWords(const QByteArray &record, const QMap<int, int> &buttonOffsets)
{
    QMap<int, quint32> words;
    for (auto it = buttonOffsets.cbegin(); it != buttonOffsets.cend(); ++it)
        words.insert(it.key(), readLe32(record, kRecordButtonsOffset + (it.value() - int(kButtonBlockOffset))));
    return words;
}

bool isOnlyLeftClick(const QMap<int, quint32> &words, int buttonId)
{
    if (!isLeftClickWord(words.value(buttonId, 0)))
        return false;
    int leftClicks = 0;
    for (quint32 w : words)
        if (isLeftClickWord(w))
            ++leftClicks;
    return leftClicks == 1;
}

// --- CPI stages ---------------------------------------------------------------

int cpiStageCount(int mouseType, const QByteArray &matrix)
{
    const int count = (matrix.size() > 14 ? quint8(matrix[14]) : 0xFF) + 1;
    return count > kMaxCpiStages ? defaultLastCpiIndex(mouseType) + 1 : count;
}

bool setCpiStage(int mouseType, QByteArray &matrix, int index, int cpi, int &count)
{
    if (matrix.size() != kCpiMatrixSize || index < 0 || index >= kMaxCpiStages || count < 1
        || count > kMaxCpiStages)
        return false;
    QByteArray edited = matrix;
    int newCount = count;
    if (cpi <= 200) {
        if (index >= count || count <= 1)
            return false;
        for (int i = index; i < count - 1; ++i)
            putLe16(edited, 2 * i, readLe16(edited, 2 * (i + 1)));
        putLe16(edited, 2 * (count - 1), 0);
        --newCount;
    } else {
        if (index > count)
            return false;
        // A value without a code of its own changes nothing (the stored one
        // keeps its place rather than a neighbour's code taking it).
        quint16 code = 0;
        if (!encodeCpi(mouseType, cpi, code))
            return false;
        putLe16(edited, 2 * index, code);
        if (index == count)
            ++newCount;
    }
    edited[14] = char(newCount - 1);
    edited[15] = 0;
    matrix = edited;
    count = newCount;
    return true;
}

// --- Checks -------------------------------------------------------------------

bool checkRecord(int mouseType, const QByteArray &record, QString *why)
{
    const auto refuse = [why](const QString &text) {
        if (why)
            *why = text;
        return false;
    };
    if (record.size() != kRecordSize)
        return refuse(QStringLiteral("the block has %1 bytes, not %2").arg(record.size()).arg(kRecordSize));
    const quint32 interval = quint32(recordByte(record, kReportIntervalOffset, 0));
    if (reportIndexForInterval(interval) < 0)
        return refuse(QStringLiteral("report interval %1 is unknown").arg(interval));
    QByteArray matrix;
    for (int i = 0; i < kCpiMatrixSize; ++i)
        matrix.append(char(recordByte(record, kCpiMatrixOffset, i)));
    const int last = quint8(matrix[14]);
    if (last >= kMaxCpiStages)
        return refuse(QStringLiteral("last CPI stage %1 is past the seventh").arg(last + 1));
    bool anyOn = false;
    const QList<DWORD> stages = decodeCpiStages(mouseType, matrix);
    for (int i = 0; i < stages.size(); ++i) {
        const DWORD cpi = stages.at(i);
        if (cpi == 0)
            continue;
        if (!isCpiValueAllowed(mouseType, int(cpi)))
            return refuse(QStringLiteral("CPI stage %1 is %2, outside %3").arg(i + 1).arg(cpi).arg(cpiRangeText(mouseType)));
        anyOn = true;
    }
    if (!anyOn)
        return refuse(QStringLiteral("no CPI stage is on"));
    return true;
}

// --- Lighting -----------------------------------------------------------------

LightZoneParam decodeLightZone(quint32 lightWord, const QList<quint32> &entries)
{
    LightZoneParam zone;
    std::memset(&zone, 0, sizeof(zone));
    zone.mode = buttonWordByte(lightWord, 1);
    zone.breathSpeed = buttonWordByte(lightWord, 2);
    zone.brightness = buttonWordByte(lightWord, 3);
    quint8 *colors[kLightColorEntries] = {zone.color1, zone.color2, zone.color3};
    for (int i = 0; i < kLightColorEntries; ++i)
        for (int b = 0; b < 4; ++b)
            colors[i][b] = buttonWordByte(entries.value(i, 0), b);
    return zone;
}

quint32 lightWordForZone(quint32 currentWord, const LightZoneParam &zone)
{
    return buttonWord(buttonWordByte(currentWord, 0), zone.mode, zone.breathSpeed, zone.brightness);
}

QList<quint32> ledEntriesForZone(const LightZoneParam &zone)
{
    const quint8 *colors[kLightColorEntries] = {zone.color1, zone.color2, zone.color3};
    QList<quint32> entries;
    for (const quint8 *c : colors)
        entries.append(buttonWord(c[0], c[1], c[2], 0));
    return entries;
}

} // namespace familya
