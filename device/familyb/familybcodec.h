#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QMap>
#include <QVector>

#include <array>

struct MacroNode;

// Family B and C byte layouts and the pure conversions between them and user
// values. No I/O, no clock, no logging: the drivers and managers call these
// and do the talking. The wire format is described in README.md beside this
// file.
namespace familyb {

// --------------------------------------------------------------- reports

// The two vendor collections, told apart by their feature report length
// (report id byte included).
constexpr quint16 kVendorUsagePage = 0xFF00;
constexpr quint16 kVendorUsage = 1;
constexpr int kCommandFeatureLength = 6;
constexpr int kDataFeatureLength = 1032;

// Byte 0 of every answer read from the data collection.
constexpr quint8 kAnswerId = 6;
// Answers carry their data from this byte on.
constexpr int kAnswerDataOffset = 8;

// Commands (byte 1 of a transfer, after the report id).
constexpr quint8 kCmdWriteProfile = 0x03;
constexpr quint8 kCmdWriteMacro = 0x04;
constexpr quint8 kCmdWriteMacroBlock = 0x05;
constexpr quint8 kCmdStatus = 0x82;
constexpr quint8 kCmdReadProfile = 0x83;
constexpr quint8 kCmdReadMacro = 0x84;
constexpr quint8 kCmdReadMacroBlock = 0x85;

// Status poll: answer length read, and the byte index per operation is
// n + 1 for these n.
constexpr int kStatusAnswerLength = 8;
constexpr int kStatusProfileWrite = 1;
constexpr int kStatusMacro = 2;
constexpr int kStatusMacroBlock = 3;
// Byte 7 = 1 in the first answer: the device refuses the poll.
constexpr int kStatusRefusedByte = 7;

// ---------------------------------------------------------------- profile

constexpr int kImageSize = 1024;    // profile image kept by the driver
constexpr int kProfileSize = 476;   // bytes 0..475 are the profile
constexpr int kChecksumSpan = 481;  // checksum reads and completes p[0..480]
constexpr int kTrailerOffset = 476; // sign flag, adjustment, 0, t low, t high
constexpr int kProfileWriteImageBytes = 504;
// The checksum seed travels in the read answer at these bytes.
constexpr int kSeedSignAnswerByte = 484;
constexpr int kSeedAdjustAnswerByte = 485;

// Settings block: profile bytes 242..473 (the manager's working copy).
constexpr int kSettingsOffset = 242;
constexpr int kSettingsSize = 232;
// The profile files keep two more bytes (profile 474..475).
constexpr int kFileBlockSize = 234;

// Profile bytes of the settings used by the managers.
constexpr int kReportRateByte = 242;
constexpr int kSilentHeightByte = 243;
constexpr int kAuxiliaryByte = 250;
constexpr int kAuxiliaryByte2 = 251;
constexpr int kDisplayModeByte = 253;
constexpr int kDisplayBrightnessByte = 254;
constexpr int kLightExtraByte1 = 271; // 0x03, 0x01 with light mode index 3
constexpr int kLightExtraByte2 = 272;
constexpr int kCpiStages = 7;
constexpr int kCpiLowBytes = 300;
constexpr int kCpiHighBytes = 308;
constexpr int kCpiLowBytesCopy = 316;
constexpr int kCpiHighBytesCopy = 324;
constexpr int kButtonWordsOffset = 332;
constexpr int kButtonWordCount = 16;

// One light zone's bytes. Zone 1 is the wheel zone, zone 2 the logo zone.
struct LightZoneLayout
{
    int mode;
    int brightness;
    int breath;
    int red;      // green and blue follow
    int colorPad; // byte after the colour triple, cleared with a new colour
    int extra;    // cleared with a new colour and with light mode index 2
};
constexpr LightZoneLayout kWheelZone{259, 260, 287, 281, 284, 286};
constexpr LightZoneLayout kLogoZone{256, 257, 268, 262, 265, 267};

static_assert(kSettingsOffset + kSettingsSize == 474, "settings block ends at profile byte 473");
static_assert(kSettingsOffset + kFileBlockSize == kProfileSize, "file block ends with the profile");
static_assert(kButtonWordsOffset + 4 * kButtonWordCount <= kSettingsOffset + kSettingsSize,
              "button words lie inside the settings block");
static_assert(7 + kProfileWriteImageBytes + 1 == 512, "profile write is a 512-byte report");

// Sign flag and adjustment kept from the last profile read.
struct ChecksumSeed
{
    quint8 signFlag = 0;
    quint8 adjustment = 0;
};

// Expected (x, y) of the family B checksum for a model type.
struct ChecksumTarget
{
    quint8 x;
    quint8 y;
};
ChecksumTarget checksumTarget(int modelType);

// Family B profile checksum over p[0..480]. Returns false (p unchanged) when
// p is shorter than kChecksumSpan or the check fails; on success fills the
// trailer p[476..480].
bool applyFamilyBChecksum(QByteArray &p, int modelType, ChecksumSeed seed);

// ------------------------------------------------------------ transfers

// A transfer buffer of an interface: report id, payload, zeros up to length.
// Empty when the payload does not fit.
QByteArray frameReport(quint8 reportId, int length, const QByteArray &payload);

QByteArray statusCommand();                 // {0x82}
QByteArray profileReadCommand();            // {0x83, 0x00}
QByteArray macroReadCommand(quint8 number); // {0x84, number, 0x00}
QByteArray macroBlockReadCommand();         // {0x85, 0x80}

// {0x03, 0, 0, 0x02, 0, 0, 0} + image[0..503]; image must hold 504 bytes.
QByteArray profileWritePayload(const QByteArray &image);
// {0x05, 0x80, 0, 0x04, 0, 0, 0} + 1024 block bytes (shorter blocks padded).
QByteArray macroBlockWritePayload(const QByteArray &block);

enum class StatusAnswer {
    Done,    // the polled operation has finished
    Busy,    // ask again
    Invalid, // wrong header, too short, or refused: give up at once
};
StatusAnswer parseStatusAnswer(const QByteArray &answer, int n, bool firstTry);

// A profile answer: checks the header (byte 0 = 6, byte 1 = 0x83) and the
// length, then copies answer[8..1031] to image and the seed bytes.
bool parseProfileAnswer(const QByteArray &answer, QByteArray &image, ChecksumSeed &seed);
// A macro block answer: header (6, 0x85) and length; answer[8..1031].
bool parseMacroBlockAnswer(const QByteArray &answer, QByteArray &block);

// ----------------------------------------------------------------- macros

// Macro numbers: 24 numbers 140, 144, ..., 232; the device's 16 macro slots
// use 140..184 (slots 0..11) and 208..220 (slots 12..15).
constexpr int kMacroNumberCount = 24;
constexpr int kMacroSlotCount = 16;
constexpr int kReadAllMacroCount = 17;
QVector<quint8> macroNumberList();
quint8 macroNumberForSlot(int slot); // 0 for a slot outside 0..15
int slotForMacroNumber(int number); // -1 when the number is not a slot's

// A macro on the device: 2 header bytes (the repeat count, high byte first)
// and 16-bit entries.
struct Macro
{
    std::array<quint8, 2> header{{0x00, 0x01}};
    QVector<quint16> entries;

    bool isAbsent() const { return (header[0] == 0 && header[1] == 0) || entries.isEmpty(); }
    bool operator==(const Macro &o) const { return header == o.header && entries == o.entries; }
};

// One macro write carries its entries in 1022 bytes after the header. A
// 0x0000 pair must follow the last entry, or the macro cannot be read back.
constexpr int kMacroBufferSize = 1024; // header + entries in a macro block
constexpr int kMaxMacroEntries = (kMacroBufferSize - 2) / 2 - 1;
static_assert(kMaxMacroEntries == 510, "room for the terminating pair");

// A macro answer: header (6, 0x84), header bytes 8..9, entries from byte 10
// up to the first 0x0000 pair. Fails without that pair inside the answer.
bool parseMacroAnswer(const QByteArray &answer, Macro &out);
// Header bytes followed by the entries (low byte first), zero-padded to
// kMacroBufferSize. Empty when the macro has too many entries or an entry is
// 0x0000 (which would end it early).
QByteArray macroBuffer(const Macro &macro);
// {0x04, number, 0, 0x04, 0, 0, 0} + macroBuffer(); empty when refused.
QByteArray macroWritePayload(quint8 number, const Macro &macro);

// A macro as one record: the 2 header bytes, then the entries low byte first,
// without terminator or padding (the form the older text profiles keep).
// Empty when the macro has more entries than the device takes.
QByteArray packMacroRecord(const Macro &macro);
// The reverse; false (out unchanged) when the record is shorter than its
// header or ends inside an entry.
bool unpackMacroRecord(const QByteArray &record, Macro &out);

// Header bytes of a repeat count (high byte first); counts below 1 become 1
// so that a stored macro never reads back as absent.
std::array<quint8, 2> macroHeaderForRepeat(int repeatTimes);

// Macro file events -> 16-bit entries (README: "Macro entries").
// Events whose key has no usage in the family B key table are left out and
// counted in skipped.
enum class MacroEncodeError { None, Empty, TooLong };
MacroEncodeError encodeMacroEntries(const QList<MacroNode> &nodes, bool ignoreDelays,
                                    QVector<quint16> &entries, int *skipped = nullptr);
constexpr quint16 kEntryPress = 0x0100;   // | usage
constexpr quint16 kEntryRelease = 0x0200; // | usage
constexpr quint16 kEntryMoveX = 0x0300;   // | x as a signed byte
constexpr quint16 kEntryMoveY = 0x0400;   // | y as a signed byte
constexpr quint16 kEntryDelay = 0x4000;   // | milliseconds 1..16383
constexpr int kMaxDelayPerEntry = 0x3FFF;

// ------------------------------------------------------------------ CPI

// Code -> CPI tables, keyed by code.
const QMap<int, int> &familyBCpiTable(); // 61 rows, 200..6200
const QMap<int, int> &familyCCpiTable(); // 61 rows, 200..6200

// First code (ascending) whose CPI matches; 0 when none.
int cpiTableCode(const QMap<int, int> &table, int cpi);
// The table's CPI for a code; 0 when none.
int cpiTableValue(const QMap<int, int> &table, int code);

enum class CpiEncoding { Step50, FamilyCTable, FamilyBTable };
CpiEncoding cpiEncodingForModel(int modelType);

struct CpiCode
{
    quint8 low = 0;
    quint8 high = 0;
    bool operator==(const CpiCode &o) const { return low == o.low && high == o.high; }
};
// The stage bytes of a CPI for a model type; false (code untouched) for a
// CPI no code stands for exactly (not in the model's table, off the grid,
// 0 or less). A stage switched off is {0, 0}.
bool encodeCpi(int modelType, int cpi, CpiCode &code);
int decodeCpi(int modelType, CpiCode code);

// A 234-byte file block (settings block and the two bytes after it) that
// holds only values the model can work with: a report-rate index 0..3 and
// CPI stages the model takes (at least one; a stage without a code of its
// own is damage). False with the reason otherwise.
bool checkFileBlock(int modelType, const QByteArray &block, QString *why = nullptr);

// ---------------------------------------------------------------- lighting

// Light mode index 0..5 <-> device code 0x80..0x85.
int lightModeIndexToCode(int index);   // 0 for an index outside 0..5
int lightModeCodeToIndex(int code);    // other codes come back unchanged

// Display mode: the coordinator's behaviour code <-> the stored byte.
int displayBehaviourToCode(int behaviour);
int displayCodeToBehaviour(int code);
constexpr int kBehaviourCpi = 1;
constexpr int kBehaviourApm = 2;
constexpr int kBehaviourOff = 3;
constexpr int kBehaviourPicture = 8;

// 64 x 48 picture -> 384 bytes: 6 pages of 64 columns, bit i of byte
// page * 64 + x is the pixel (x, page * 8 + i); a dark source pixel lights
// the screen's pixel. Pictures of another size are scaled first. Empty for a
// null image.
constexpr int kOledWidth = 64;
constexpr int kOledHeight = 48;
constexpr int kOledBytes = kOledWidth * kOledHeight / 8;
QByteArray packOledPicture(const QImage &image);
// The reverse for the first 384 bytes of data: a 64 x 48 picture, black
// where the screen's pixel is lit, white elsewhere. Null when data is shorter.
QImage unpackOledPicture(const QByteArray &data);

// ----------------------------------------------------------------- buttons

using ButtonWord = std::array<quint8, 4>;

// Change types that have a word of their own (README: "Button words").
constexpr int kChangeKey = 29;
constexpr int kChangeKeyFunction = 30;
constexpr int kChangeBasicFunction = 31;
constexpr int kChangeDefault = 32;
constexpr int kChangeFixedText = 33;
constexpr int kChangeConsumerFirst = 34;
constexpr int kChangeConsumerLast = 39;
constexpr int kChangeDisabled = 41;
constexpr int kChangeFireKey = 44;
constexpr int kChangeCpiUp = 45;
constexpr int kChangeCpiDown = 46;
constexpr int kChangeCpiInstant = 47;
constexpr int kChangeLeftButton = 48;
constexpr int kChangeRightButton = 49;
constexpr int kChangeMiddleButton = 50;
constexpr int kChangeForwardButton = 51;
constexpr int kChangeBackButton = 52;
constexpr int kChangeProfileLoop = 55;
constexpr int kChangeSwitchMacro = 56;

// Word kinds (byte 0).
constexpr quint8 kKindKey = 0x00;
constexpr quint8 kKindMouse = 0x01;
constexpr quint8 kKindConsumer = 0x03;
constexpr quint8 kKindWheel = 0x04;
constexpr quint8 kKindSingleMacro = 0x05;
constexpr quint8 kKindMacroList = 0x06;
constexpr quint8 kKindCpi = 0x07;
constexpr quint8 kKindFunction = 0x08;
constexpr quint8 kKindCpiInstant = 0x11;
constexpr quint8 kKindSwitchMacro = 0x12;
constexpr quint8 kLeftClickCode = 0xF0;

// Profile byte of a button's word for a model type; -1 when the button has
// no word on that model (ids outside 4..17, 9 and 10 except on the OX8).
int buttonWordOffset(int buttonId, int modelType);
// The factory word of a button on a model type (zeros when it has none).
ButtonWord factoryButtonWord(int buttonId, int modelType);
// The buttons a model type has, in word order. On type 18 buttons 9 and 14
// share a word; the list names it 9 there.
QVector<int> modelButtons(int modelType);

// A word that gives a click of the left button.
bool isLeftClickWord(const ButtonWord &word);

// The word of a change type other than 32 (the factory word, which the
// manager handles) and the macro kinds. False for a type without a word.
bool encodeButtonWord(int changeType, int keyValue, int modifier, ButtonWord &word);

// What the button editor shows for a stored word.
struct ButtonAssignment
{
    int changeType = -1;
    int trueValue = 0;
    int modifier = 0;
};
ButtonAssignment describeButtonWord(const ButtonWord &word);

// Macro words.
ButtonWord singleMacroWord(int slot, int macroType);
ButtonWord macroListWord(int count);
// The slots a word refers to (empty for a word without a macro).
QVector<int> macroSlotsOfWord(const ButtonWord &word);

// Macro slot of a button's single macro; -1 when the button has none.
int singleMacroSlot(int buttonId);
// Slots of the list macros of the left button, in list order.
constexpr int kMaxListMacros = 4;
QVector<int> listMacroSlots();

} // namespace familyb
