#pragma once

#include "device/devicetypes.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QVector>

struct MacroNode;

// Family A byte layouts and the pure conversions between them and user
// values. No I/O, no clock, no logging: the driver and the manager call these
// and do the talking. The wire format is described in README.md beside this
// file.
namespace familya {

// Reports of the vendor collection.
constexpr int kReportLength = 32;
constexpr quint8 kReportId = 0xBA;
constexpr int kMaxCommandLength = 31; // a command fills the report after the id
constexpr quint8 kTargetWired = 0xFF;
constexpr quint8 kTargetReceiver = 0xA5;

// Status byte of an answer (byte 0 after GetInputReport).
constexpr quint8 kStatusFailed = 0;
constexpr quint8 kStatusDone = 1;
constexpr quint8 kStatusBusy = 2;

// Commands.
constexpr quint8 kCmdSetProfile = 0xA1;
constexpr quint8 kCmdGetProfile = 0xA2;
constexpr quint8 kCmdFirmwareVersion = 0xA3;
constexpr quint8 kCmdReadMemory = 0xA4;
constexpr quint8 kCmdWriteMemory = 0xA5;
constexpr quint8 kCmdWorkMode = 0xA7;
constexpr quint8 kCmdEnterBootloader = 0xA8;
constexpr quint8 kCmdStatusWord = 0xA9;
constexpr quint8 kCmdBattery = 0xAA;
constexpr quint8 kCmdByte = 0xAB;

// Receiver commands (receiver form).
constexpr quint8 kDongleOpen[] = {0xA0, 0x81};
constexpr quint8 kDongleAddressPrefix[] = {0xA1, 0x8F};
constexpr quint8 kDongleEndPairing[] = {0xA1, 0x81};
constexpr quint8 kDongleWorkMode = 0xA7;

// Memory moves 24 bytes per command.
constexpr int kChunkSize = 24;
// Below this address transfers must be whole 32-bit words.
constexpr quint32 kWordAlignedLimit = 0x1000;

// Memory map. Settings live in two copies ("slots"); slot s starts at
// s * kSlotSize and its settings words at s * kSlotSize + offset.
constexpr quint32 kProductIdAddress = 0x0004;
constexpr quint32 kSlotSize = 0x400;
constexpr quint32 kButtonBlockOffset = 0x200;
constexpr int kButtonBlockSize = 44;
constexpr int kButtonCount = 11;
constexpr quint32 kSettingsOffset = 0x480;
constexpr int kSettingsSize = 68;
constexpr quint32 kReportIntervalOffset = 0x480;
constexpr quint32 kSilentHeightOffset = 0x484;
constexpr quint32 kCpiMatrixOffset = 0x488;
constexpr int kCpiMatrixSize = 16;
constexpr quint32 kCpiStageOffset = 0x494;
constexpr quint32 kLightWordOffset = 0x498;
constexpr quint32 kOledWordOffset = 0x49C;
constexpr quint32 kDisplayValueOffset = 0x4A0;
constexpr quint32 kDisplayParamsOffset = 0x4A4;
constexpr int kDisplayParamCount = 8;
constexpr quint32 kOledBehaviourOffset = 0x4AC;
constexpr quint32 kDisplayWord4B0Offset = 0x4B0;
constexpr quint32 kDisplayWord4B4Offset = 0x4B4;
constexpr quint32 kLedMatrixOffset = 0x4B8;
// The matrix may run to the end of its slot.
constexpr int kLedMatrixMaxEntries = int((kSlotSize - (kLedMatrixOffset - kSlotSize)) / 4);
// Writes that always go to the working copy.
constexpr quint32 kWorkingSlot = 1;
constexpr quint32 workingAddress(quint32 offset) { return kWorkingSlot * kSlotSize + offset; }

// Macro pages: first kind at (index + 1) * 4096, second kind at
// (index + 16) * 4096, index 0..10.
constexpr int kMacroPageSize = 0x1000;
constexpr int kMacroPageIndexes = 11;
constexpr int kMacroMaxEntries = 1363; // 4 + 3 * 1363 = 4093 bytes
enum class MacroKind { First = 0, Second = 1 };
quint32 macroPageAddress(int index, MacroKind kind);

// OLED pictures: 64 x 48 pixels, one bit each, at (n + 34) * 4096.
constexpr int kOledWidth = 64;
constexpr int kOledHeight = 48;
constexpr int kOledBytes = 384;
constexpr int kOledPictureCount = 16; // pictures below the 0x32000 page
quint32 oledPictureAddress(int n);

// --- Command reports --------------------------------------------------------

// Mouse form: {0xBA, target, command...}; target 0xFF wired (mode 0), 0xA5
// through the receiver (mode 1), 0x00 for any other mode. At most 30
// command bytes fit; false for longer or empty commands.
bool buildMouseReport(int connectionMode, const QByteArray &command, QByteArray &report);
// Receiver form: {0xBA, command...}; at most 31 command bytes.
bool buildReceiverReport(const QByteArray &command, QByteArray &report);

quint32 readLe32(const QByteArray &bytes, int offset); // 0 when out of range
quint16 readLe16(const QByteArray &bytes, int offset); // 0 when out of range
void putLe32(QByteArray &bytes, int offset, quint32 value); // ignored when out of range
void putLe16(QByteArray &bytes, int offset, quint16 value);

// {0xA4, count, address LE32} and {0xA5, count, address LE32, data...}.
QByteArray readMemoryCommand(quint32 address, int count);
QByteArray writeMemoryCommand(quint32 address, const QByteArray &data);

// Receiver commands, without the report id of the receiver form:
// {0xA0, 0x81} opens the receiver for pairing, {0xA1, 0x8F, address LE32}
// gives it a new link address, {0xA1, 0x81} ends pairing (the link stays),
// {0xA7} asks for its work mode.
QByteArray dongleOpenCommand();
QByteArray dongleAddressCommand(quint32 address);
QByteArray dongleEndPairingCommand();
QByteArray dongleWorkModeCommand();

// --- Profile record -----------------------------------------------------------
//
// The record the manager keeps is 32 little-endian words, 128 bytes, and is
// stored byte for byte as the 128-byte "MouseDataOfGamingMode" block of
// ConfigN.json:
//   bytes   0..3    word 0: current profile (command 0xA2)
//   bytes   4..7    word 1: unused fill, kept as read from the file
//   bytes   8..9    word 2: 16-bit value of command 0xA9 (bytes 10..11 fill)
//   bytes  12..15   word 3: 32-bit value of command 0xAA
//   bytes  16..59   words 4..14: button block (slot offset 0x200..0x22B)
//   bytes  60..127  words 15..31: settings block (slot offset 0x480..0x4C3)
constexpr int kRecordSize = 128;
constexpr int kRecordProfileOffset = 0;
constexpr int kRecordStatusWordOffset = 8;
constexpr int kRecordBatteryOffset = 12;
constexpr int kRecordButtonsOffset = 16;
constexpr int kRecordSettingsOffset = 60;
// The part of the record that identifies a stored configuration.
constexpr int kRecordCompareOffset = 16;
constexpr int kRecordCompareSize = 108;
static_assert(kRecordButtonsOffset + kButtonBlockSize == kRecordSettingsOffset, "button block ends where settings start");
static_assert(kRecordSettingsOffset + kSettingsSize == kRecordSize, "settings block ends the record");
static_assert(kRecordCompareOffset + kRecordCompareSize == 124, "compare range");

// Record byte offset of a settings offset (0x480..0x4C3) or of a button
// block offset (0x200..0x22B); -1 for anything else.
int recordOffsetForSlotOffset(quint32 slotOffset, int size);

// Offset of button 1..11's word in the 44-byte button block; -1 otherwise.
int buttonBlockOffset(int button);

// --- Macros -------------------------------------------------------------------
//
// A macro record for the device is a list of 32-bit events, type in the top
// byte: 0xC0 key press and 0xE0 key release (low 24 bits: Windows virtual
// key), 0xA0 delay (low 16 bits: milliseconds), 0x40 pointer move (bits 0..10
// |x|, bit 11 x negative, bits 12..22 |y|, bit 23 y negative); plus a 16-bit
// mode word.
constexpr quint32 kEventKeyDown = 0xC0;
constexpr quint32 kEventKeyUp = 0xE0;
constexpr quint32 kEventDelay = 0xA0;
constexpr quint32 kEventMove = 0x40;
constexpr quint8 kMoveEntryCode = 0xF7;
constexpr int kMaxMoveComponent = 2047;
constexpr int kMaxEntryDelay = 0x7FFF;

quint32 keyEvent(bool press, int virtualKey);
quint32 delayEvent(int ms);
quint32 moveEvent(int x, int y);

enum class MacroError { None, KeyWithoutUsage, UnknownEvent, TooManyEntries };

// Encodes events into a page image of 4 + 3 * entries bytes:
//   0..1 total length (LE), 2..3 mode word, then per entry a 16-bit control
//   word (bit 0 press, bits 1..15 delay after the entry) and a code byte (HID
//   usage, or 0xF7 for the first entry of a move).
// A delay sets the delay bits of the last entry; after a move it is OR-ed
// into the move's 0xF7 entry (the second entry carries the coordinates). A
// delay before any entry has nothing to attach to and is dropped; delays
// above 32767 ms are clamped to it. On failure page is left empty and
// failedEvent (when given) is the index of the offending event.
bool encodeMacroPage(const QVector<quint32> &events, quint16 mode, QByteArray &page,
                     MacroError *error = nullptr, int *failedEvent = nullptr);

struct MacroEntry
{
    quint16 control = 0;
    quint8 code = 0;
    bool operator==(const MacroEntry &o) const { return control == o.control && code == o.code; }
};

// Header of a page: total length and mode word. False when fewer than 4
// bytes are given.
bool decodeMacroPageHeader(const QByteArray &header, quint16 &length, quint16 &mode);
// A page is free when its length field is 0 or larger than a page.
bool isMacroPageFree(quint16 lengthField);
// A page length that can be read back: 4..4096 with whole entries.
bool isValidMacroPageLength(int length);
// Splits a page into its entries; false when the length field does not fit
// the bytes given or is not 4 + 3n.
bool decodeMacroPage(const QByteArray &page, quint16 &mode, QVector<MacroEntry> &entries);

// Mode word of a macro file: its repeat count (1..65533) for play type 0
// (loop count); 0xFFFE for play type 2 (until pressed again); 0xFFFF for
// play type 4 (while held).
constexpr quint16 kMacroModeToggle = 0xFFFE;
constexpr quint16 kMacroModeWhileHeld = 0xFFFF;
quint16 macroModeWord(int macroType, int repeatTimes);

// Editor nodes to device events: a key node (ValueType 3) gives a press
// (State 0) or release (State 1) of its KeyValue, a movement node (ValueType 6)
// a move of (CoordinateX, CoordinateY) clamped to +-2047; a node's TimeLapse
// above 0 adds a delay event after it unless delays are ignored. False for
// any other node (unknown kind or state, key code outside 1..0xFFFFFF).
bool macroEventsFromNodes(const QList<MacroNode> &nodes, bool ignoreDelays, QVector<quint32> &events,
                          int *failedNode = nullptr);

// --- OLED ---------------------------------------------------------------------

// Packs a 64 x 48 one-bit picture (QImage::Format_MonoLSB, 8 bytes per scan
// line, least significant bit = leftmost pixel) into the device's 384 bytes:
// 6 pages of 64 columns, byte page * 64 + column holding rows page * 8 + i in
// bit i; a dark source pixel lights the OLED pixel. Needs the image's byte
// count and imageDataLen both to be 384; error says why otherwise.
bool ImageToByteArr(const QImage &image, QByteArray &out, int imageDataLen, QString *error = nullptr);
// The reverse: exactly 384 bytes to a 64 x 48 MonoLSB picture with the colour
// table {black, white} (a lit OLED pixel is black). A null image otherwise.
QImage byteArrToImage(const QByteArray &data);
// Any picture scaled to 64 x 48 and reduced to MonoLSB {black, white}.
QImage toOledImage(const QImage &image);

// --- CPI ----------------------------------------------------------------------
//
// Stage codes are 16-bit values in the 16-byte matrix; byte 14 of the matrix
// (byte 2 of word 0x494) holds the last stage index, byte 15 is 0. At most 7
// stages fit.
constexpr int kMaxCpiStages = 7;
enum class CpiGroup {
    Ox4,   // types 7, 8, 9, 12: (CPI - 200) / 100
    Ox7EU, // type 14: (CPI - 200) / 100 up to 5000, CPI / 200 + 23 above
    Wide,  // types 10, 11, 13 and others: CPI / 50
};
CpiGroup cpiGroupFor(int mouseType);
// The code of a CPI; false (code untouched) for a value no code stands for
// exactly: 0 or less, off the group's grid, or beyond 16 bits.
bool encodeCpi(int mouseType, int cpi, quint16 &code);
int decodeCpi(int mouseType, quint16 code);

struct CpiListEncoding
{
    QByteArray matrix; // 16 bytes: codes, then last index and 0
    int stageCount = 0;
    int lastIndex = 0;
    int currentStage = 0;
};
// The nonzero entries in order, of the model's first cpiStageLimit entries
// (types 7, 8, 9, 12 look at the first five only), at most 7. False when no
// stage is left (a mouse needs one) or a value has no code of its own.
bool encodeCpiList(int mouseType, const QList<DWORD> &values, CpiListEncoding &out);
// Current stage after a list write: 2 when 3 or more stages on types 7, 8, 9,
// 12, else 3 when 4 or more stages, else the last index.
int currentStageAfterListWrite(int mouseType, int stageCount);
// The last index a group assumes when the stored one is unusable.
int defaultLastCpiIndex(int mouseType);
// Seven CPI values from a matrix; stages past the last index read 0 on types
// 7, 8, 9, 12 and 14. A missing or out-of-range last index (the matrix's
// byte 14) falls back to the group's default.
QList<DWORD> decodeCpiStages(int mouseType, const QByteArray &matrix);

// --- Report rate ----------------------------------------------------------------

// Index 0..3 <-> report interval 8, 4, 2, 1 ms (125..1000 Hz).
int reportIntervalForIndex(int index); // 0 for an invalid index
int reportIndexForInterval(quint32 intervalWord); // -1 when unknown

// --- Buttons --------------------------------------------------------------------
//
// A button word is 4 bytes; as a little-endian quint32 byte 0 (the kind) is
// the low byte.
constexpr quint32 kUnassignedButtonWord = 0xFFFFFFFF;
constexpr quint32 buttonWord(quint8 b0, quint8 b1, quint8 b2, quint8 b3)
{
    return quint32(b0) | (quint32(b1) << 8) | (quint32(b2) << 16) | (quint32(b3) << 24);
}
constexpr quint8 buttonWordByte(quint32 word, int i) { return quint8(word >> (8 * i)); }
quint32 macroButtonWord(int pageIndex);
bool isLeftClickWord(quint32 word);

// The word for an editor change type (29, 30, 34..52, 55). Type 32 (back to
// default) depends on the button and is the manager's business; false for it
// and for every unknown type, and for a key without a HID usage.
bool encodeButtonWord(int changeType, int key, int modifier, quint32 &word);

struct ButtonAssignment
{
    int changeType = -1;
    int trueValue = 0;
    int modifier = 0;
    bool operator==(const ButtonAssignment &o) const
    {
        return changeType == o.changeType && trueValue == o.trueValue && modifier == o.modifier;
    }
};
// What the button editor shows for a stored word: 29 key (with modifiers),
// 31 a basic function (trueValue = its change type, or its row 0..6 for the
// key-with-modifier rows), 33 a macro or another device function, 41
// disabled, -1 unassigned.
ButtonAssignment decodeButtonWord(quint32 word);

// --- Other values -----------------------------------------------------------------

// Battery word of command 0xAA: top byte 1/2/>=3 -> status 101/102/103,
// otherwise the reading in percent.
int batteryPercent(quint32 value);
// The same for any model: a model that reports a percentage (reportsPercent)
// has it passed on (at most 100), the others' readings go through the table.
int batteryLevel(quint32 value, bool reportsPercent);
// Product id from the two bytes at address 4: second * 256 + first.
quint16 productIdFromBytes(const QByteArray &bytes);

// --- Firmware update (NUC123 ISP boot loader) -------------------------------------

constexpr int kIspPacketSize = 64;
constexpr int kIspReportSize = 65; // report id 0 + packet
constexpr int kIspDataSize = 56;
constexpr int kIspFirstDataSize = 48;
constexpr quint32 kIspCmdSyncPacketNo = 0xA4;
constexpr quint32 kIspCmdUpdateAprom = 0xA0;
constexpr quint32 kIspCmdUpdateData = 0xC3;
constexpr quint32 kIspCmdRun = 0xAB;
constexpr quint32 kIspCmdContinue = 0x00;
constexpr quint32 kIspCmdResend = 0xFF;
constexpr int kFirmwareMaxSize = 0x20000;
// Program memory (APROM) of the NUC123 in the family A mice; its 4 KB of
// data flash lie apart at 0x1F000. Writes past the end cannot be read back.
constexpr int kNuc123ProgramMemorySize = 0x10000;

// Plain byte sum modulo 65536.
quint16 byteSum(const QByteArray &bytes, int from = 0, int count = -1);
// A 65-byte output report: id 0, command LE32, packet number LE32, up to 56
// data bytes (the rest zero). Data beyond 56 bytes is cut.
QByteArray buildIspPacket(quint32 command, quint32 packetNo, const QByteArray &data);
// Answer: byte 0 id, bytes 1..2 checksum, bytes 5..8 packet number. False
// for answers shorter than 65 bytes.
bool parseIspAnswer(const QByteArray &answer, quint16 &checksum, quint32 &packetNo);

} // namespace familya
