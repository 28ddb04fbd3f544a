#pragma once

#include "device/familyb/familybcodec.h"

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QRecursiveMutex>

struct HaldenMacroRecord;
struct OldTxtProfile;

namespace familyb {

// A profile file keeps the 234-byte file block (kFileBlockSize: the settings
// block and the two profile bytes after it) as "MouseDataOfGamingMode", and
// the macros by slot as the members "0".."15" of "MacroDataOfGamingMode".

// Between the device's macro and the file's macro record (same bytes).
HaldenMacroRecord toHaldenRecord(const Macro &macro);
Macro fromHaldenRecord(const HaldenMacroRecord &record);

// The slot a macro member's key names; -1 when it names none.
int macroSlotOfKey(const QString &key);
// A macro from a file is used only when the device could take it back.
bool isStorableMacro(const Macro &macro);

// The file block of the manager's working copy (settings block) and profile.
QByteArray fileBlockOf(const QByteArray &settings, const QByteArray &profile);
// Puts a file block into the working copy and the profile; with keepButtons
// the working copy keeps its button words.
void applyFileBlock(const QByteArray &block, bool keepButtons, QByteArray &settings, QByteArray &profile);
// The macros a file block's buttons refer to, taken from macros.
QMap<int, Macro> macrosUsedByBlock(const QByteArray &block, const QMap<int, Macro> &macros, int modelType);

// Pure mapping between the manager's values and the file's root object.
// The root with the block and the macros put in; the macro member is
// replaced as a whole, other root members stay.
QJsonObject putConfigIntoRoot(QJsonObject root, const QByteArray &block, const QMap<int, Macro> &macros);
// The root with an older text profile put in, the same way; macro records
// outside the slots or not made of whole entries are left out.
QJsonObject putOldTxtProfileIntoRoot(QJsonObject root, const OldTxtProfile &profile);

// The profile files of a family B or C mouse: ConfigN.json and the older text
// profiles ConfigN.txt. Readers fall back to the model's defaults as the
// JSON store does. Every call holds the lock, since the coordinator converts
// the old files from the GUI thread while the manager saves from its own.
class ProfileFiles
{
public:
    // The file block of profile number: the model's default block when the
    // file is unreadable (and then written into it).
    QByteArray readBlock(int modelType, int number) const;
    // The configuration number 1..5 whose stored block starts with the
    // working copy settings: preferred when it does, else the first that
    // does; 0 when none does.
    int findMatchingConfig(int modelType, const QByteArray &settings, int preferred = 0) const;
    // The storable macros of profile number, by slot.
    QMap<int, Macro> readMacros(int modelType, int number) const;
    bool write(int modelType, int number, const QByteArray &block, const QMap<int, Macro> &macros);

    // Converts ConfigN.txt (N = 1..5) into ConfigN.json and removes each text
    // file once converted; a file that does not parse is left alone. Nonzero
    // when every file present was converted.
    int convertOldTxtFiles(int modelType);
    // Writes ConfigN.txt (N = 1..5) from ConfigN.json and reads each back to
    // check its byte sum (the outcome is logged).
    void saveOldTxtFiles(int modelType);
    // Deletes ConfigN.txt, N = 1..5.
    void removeOldTxtFiles(int modelType);

private:
    mutable QRecursiveMutex m_mutex;
};

} // namespace familyb
