#pragma once

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

// What a family B or C mouse's firmware knows about its own profile memory
// and wire frames, written from the device's side. Pure functions over
// bytes: no I/O, no clock, no logging. Every function that reads an image
// checks its length first.
//
// Kept apart from the driver's codec on purpose: when both sides read a
// byte table differently, the integration tests fail instead of agreeing.
namespace FamilyBFirmware {

// Both vendor collections: usage page 0xFF00, usage 1.
constexpr quint16 kUsagePage = 0xFF00;
constexpr quint16 kUsage = 0x0001;
// Command collection: short requests from the host.
constexpr quint8 kCommandReportId = 0x05;
constexpr int kCommandFeatureLength = 6;
// Data collection: every answer, and every write that carries data.
constexpr quint8 kDataReportId = 0x06;
constexpr int kDataFeatureLength = 1032;
// Answers and data writes carry their payload from this report byte on.
constexpr int kPayloadOffset = 8;
constexpr int kPayloadLength = kDataFeatureLength - kPayloadOffset;
static_assert(kPayloadLength == 1024, "payload of a data report is 1024 bytes");

// Command bytes (report byte 1).
constexpr quint8 kCmdStatus = 0x82;          // command collection
constexpr quint8 kCmdReadProfile = 0x83;     // command collection, {0x83, 0x00}
constexpr quint8 kCmdReadMacro = 0x84;       // command collection, {0x84, number, 0x00}
constexpr quint8 kCmdReadMacroBlock = 0x85;  // command collection, {0x85, 0x80}
constexpr quint8 kCmdWriteProfile = 0x03;    // data collection
constexpr quint8 kCmdWriteMacro = 0x04;      // data collection
constexpr quint8 kCmdWriteMacroBlock = 0x05; // data collection
constexpr quint8 kMacroBlockSelector = 0x80;

// The fixed bytes after the command byte of each data write (report
// bytes 2..7); for a macro write byte 2 is the macro number instead.
constexpr quint8 kWriteProfileFrame[6] = {0x00, 0x00, 0x02, 0x00, 0x00, 0x00};
constexpr quint8 kWriteMacroFrame[5] = {0x00, 0x04, 0x00, 0x00, 0x00};
constexpr quint8 kWriteMacroBlockFrame[6] = {0x80, 0x00, 0x04, 0x00, 0x00, 0x00};

// A profile write carries image bytes 0..503 (report bytes 8..511).
constexpr int kProfileWriteImageBytes = 504;
constexpr int kProfileWriteMinReport = kPayloadOffset + kProfileWriteImageBytes;

// Status answer: report byte n + 1 is the state of operation n; byte 7 = 1
// means the device refuses the poll.
enum Operation { OpProfileWrite = 1, OpMacro = 2, OpMacroBlockWrite = 3 };
constexpr int kOperationCount = 5;
constexpr int kStatusRefusalByte = 7;
constexpr quint8 kStatusDone = 0x00;
constexpr quint8 kStatusBusy = 0x01;
constexpr quint8 kStatusRejected = 0x02;

// Profile memory.
constexpr int kImageSize = 1024;
constexpr int kProfileSize = 476;       // bytes the host works with
constexpr int kFactoryAreaSize = 242;   // bytes 0..241
constexpr int kSettingsOffset = 242;    // settings block, bytes 242..475
constexpr int kSettingsSize = 234;
static_assert(kSettingsOffset + kSettingsSize == kProfileSize, "settings block ends the profile");
// Checksum trailer: sign flag, adjustment, 0, settings sum low, high.
constexpr int kTrailerOffset = 476;
constexpr int kTrailerSize = 5;
constexpr int kCheckedSize = kTrailerOffset + kTrailerSize; // 481
// The two bytes of the factory area the model check looks at besides the sums.
constexpr int kCheckByte = 13;
constexpr int kOx6CheckByte = 19;

// Settings inside the profile (profile byte numbers).
constexpr int kReportRateByte = 242;
constexpr int kLiftOffByte = 243;
constexpr int kCpiLowBytes = 300;   // 7 stages, low bytes; high bytes at 308
constexpr int kCpiHighBytes = 308;
constexpr int kCpiCopyLowBytes = 316; // second copy, high bytes at 324
constexpr int kCpiCopyHighBytes = 324;
constexpr int kCpiStageCount = 7;
constexpr int kButtonWords = 332;   // 16 words of 4 bytes
constexpr int kButtonWordCount = 16;

// Macro memory: one 1024-byte record per macro number (header 2 bytes,
// 16-bit entries low byte first, ended by 0x0000) and one 1024-byte block.
constexpr int kMacroRecordSize = 1024;
constexpr int kMacroBlockSize = 1024;
constexpr int kMacroNumberCount = 24;
constexpr int kButtonMacroSlotCount = 16;

// The 24 macro numbers the device stores: 140, 144, ... 232.
const QVector<int> &macroNumbers();
// The 16 numbers buttons are bound to: 140..184 (slots 0..11) and
// 208..220 (slots 12..15).
const QVector<int> &buttonMacroSlotNumbers();
bool isMacroNumber(int number);

// Whether the code names a model this firmware family serves: 2, 3, 4, 5,
// 6, 18 (family B) or 13 (family C).
bool isFamilyBType(int mouseType);
bool isFamilyCType(int mouseType);

// The (x, y) pair of the model check. Family B types get their own pair;
// any other code the fallback pair.
void modelPair(int mouseType, int &x, int &y);

// odd + 3 * even over image bytes from..to (inclusive), odd and even by
// byte number, in 16 bits. Callers pass ranges inside the image.
quint16 weightedSum(const QByteArray &image, int from, int to);

// Whether (sign, adjustment) makes bytes 1..241 pass the model check.
// False when the image is shorter than the factory area.
bool seedMatches(const QByteArray &image, int mouseType, quint8 sign, quint8 adjustment);
// The seed that makes the current bytes 1..241 pass, if one exists (the
// adjustment is one byte, so contents far from the model's target have
// none). An adjustment of 0 comes with sign 0.
bool deriveSeed(const QByteArray &image, int mouseType, quint8 &sign, quint8 &adjustment);
// The 16-bit sum that trailer bytes 479..480 carry (settings block).
quint16 settingsSum(const QByteArray &image);
// Writes the whole trailer (bytes 476..480) for the given seed.
// False, and nothing written, when the image is shorter than 481 bytes.
bool completeTrailer(QByteArray &image, quint8 sign, quint8 adjustment);
// Whether bytes 476..480 form a trailer the model accepts: the seed passes
// the model check, byte 478 is 0 and the sum matches the settings block.
bool trailerValid(const QByteArray &image, int mouseType);

// The factory settings block (234 bytes) of a model; empty for codes the
// family does not serve.
QByteArray defaultSettingsBlock(int mouseType);
// A fresh 1024-byte image: factory area, default settings block and (for
// family B) a valid trailer whose seed is the model's own, chosen so both
// sign branches occur across the models. Empty for unknown codes.
QByteArray factoryImage(int mouseType, quint16 productId, quint16 firmwareVersion);
// The seed a fresh image of the model carries.
void factorySeed(int mouseType, quint8 &sign, quint8 &adjustment);

// CPI value of a stage code as the model's sensor reads it; 0 when the
// code means nothing to the model.
int cpiValue(int mouseType, quint8 low, quint8 high);

} // namespace FamilyBFirmware
