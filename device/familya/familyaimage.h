#pragma once

#include "device/devicetypes.h"
#include "device/familya/familyacodec.h"

#include <QByteArray>
#include <QList>
#include <QMap>

// The family A manager's image of a mouse's configuration (the profile record
// of familyacodec.h, the macro buffers, the buttons the editors address) and
// the pure conversions between it and user values. No I/O, no logging.
namespace familya {

// --- Macro buffers ------------------------------------------------------------
//
// The image keeps 14 macro buffers of one page each: buffers 0..10 hold the
// first-kind pages 0..10, buffers 11..13 the second-kind pages 0..2 (the pages
// of a macro list).
constexpr int kMacroBufferCount = 14;
constexpr int kFirstListMacroBuffer = 11;
// The page a buffer holds; false for a buffer outside 0..13.
bool pageOfMacroBuffer(int buffer, int &index, MacroKind &kind);
// A buffer without a macro: one zeroed page.
QByteArray emptyMacroBuffer();
// The buffer of a page image: the bytes its length field covers, zeros after
// them; an empty buffer when the length field is not valid or runs past the
// image.
QByteArray macroBufferFromPage(const QByteArray &page);
// A buffer that can be stored and written back: one page with a valid length
// field and at least one entry.
bool holdsMacro(const QByteArray &buffer);

// --- Record accessors ---------------------------------------------------------
//
// The profile record (familyacodec.h) addressed by slot-memory offsets: the
// button block (0x200..0x22B) and the settings block (0x480..0x4C3). A write
// that does not lie wholly inside one block, or runs past the record,
// changes nothing; a read outside gives 0.
void putRecordBytes(QByteArray &record, quint32 slotOffset, const QByteArray &bytes);
void putRecordWord(QByteArray &record, quint32 slotOffset, quint32 word);
void putRecordByte(QByteArray &record, quint32 slotOffset, int byteIndex, quint8 value);
quint8 recordByte(const QByteArray &record, quint32 slotOffset, int byteIndex);

// --- Buttons ------------------------------------------------------------------

// The button ids the editors use.
constexpr int kFirstButtonId = 4;
constexpr int kLastButtonId = 14;
// Offset of a button id's word in slot memory (0x200..0x228); -1 for ids
// outside 4..14.
int buttonSlotOffset(int buttonId);
// The words a model's buttons carry from the factory, by button id 4..14,
// given the model's default record. A mouse straight from the factory must
// read as unchanged: the OX4 series and the OX7C ship the standard words,
// which are also their default block's button block; the OX7, OX7Q and OX7EU
// blocks lay their buttons out differently, so for those (any record that
// does not carry the standard words) the record's words are the factory ones.
QMap<int, quint32> factoryButtonWords(const QByteArray &defaultRecord);
// Macro page index of a button id (first kind); 0 for ids without one.
int macroPageIndexForButton(int buttonId);
// The words a record carries for buttons at the given slot offsets, by id.
QMap<int, quint32> recordButtonWords(const QByteArray &record, const QMap<int, int> &buttonOffsets);
// Whether the button holds the only left click among the words: taking it
// away would leave the mouse without one.
bool isOnlyLeftClick(const QMap<int, quint32> &words, int buttonId);

// --- Checks -------------------------------------------------------------------

// Whether a record holds only values the model can work with: a known report
// interval, a stage count the matrix can hold and CPI stages the model takes
// (at least one). False with the reason otherwise. Records come from files
// anyone may have written; the mouse must not be left with values that read
// back as unknown.
bool checkRecord(int mouseType, const QByteArray &record, QString *why = nullptr);

// --- CPI stages ---------------------------------------------------------------

// The stage count a matrix gives (its last index + 1); the group's default
// when the last index is missing or more than 7 stages.
int cpiStageCount(int mouseType, const QByteArray &matrix);
// Changes stage index (0-based) of a 16-byte matrix holding count stages: a
// CPI of 200 or less removes the stage (the stages after it move down), a
// larger CPI sets it, or adds it when index equals count. On success bytes
// 14..15 of the matrix hold the new last index and 0, and count is the new
// count. False (matrix and count unchanged) when there is no stage to remove,
// the only stage would go, the index lies past the end, or the CPI has no
// code of its own.
bool setCpiStage(int mouseType, QByteArray &matrix, int index, int cpi, int &count);

// --- Lighting -----------------------------------------------------------------
//
// Family A has one light zone; it travels as the logo zone of the lighting
// record. The light word (0x498) holds the current CPI stage, the mode, the
// breathing speed and the brightness (bytes 0..3); the first three LED matrix
// entries hold the zone's colours as red, green, blue, 0.
constexpr int kLightColorEntries = 3;
// The zone of a light word and its matrix entries (missing entries read 0).
LightZoneParam decodeLightZone(quint32 lightWord, const QList<quint32> &entries);
// The light word for a zone; byte 0 (the current CPI stage) is kept.
quint32 lightWordForZone(quint32 currentWord, const LightZoneParam &zone);
// The matrix entries of the zone's three colours.
QList<quint32> ledEntriesForZone(const LightZoneParam &zone);

} // namespace familya
