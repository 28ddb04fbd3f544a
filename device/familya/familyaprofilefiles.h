#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QRecursiveMutex>
#include <QVector>

struct OldTxtProfile;

namespace familya {

// A profile file keeps the manager's image: the 128-byte record as
// "MouseDataOfGamingMode" byte for byte, and macro buffer i (familyaimage.h:
// kMacroBufferCount buffers of one page) as the member "i" of
// "MacroDataOfGamingMode".

// Pure mapping between the image and the file's root object.
// The root with the record and the buffers put in; other root members and
// macro positions past the buffers stay as they were.
QJsonObject putConfigIntoRoot(QJsonObject root, const QByteArray &record, const QVector<QByteArray> &macros);
// The root with an older text profile put in: its block, and its macros as
// the whole macro member (positions 0..13; a record longer than a buffer
// leaves that buffer empty).
QJsonObject putOldTxtProfileIntoRoot(QJsonObject root, const OldTxtProfile &profile);
// The older text profile of a record and its buffers; buffers without a
// macro are left out.
OldTxtProfile oldTxtProfileOf(const QByteArray &record, const QVector<QByteArray> &macros);

// The profile files of a family A mouse: ConfigN.json and the older text
// profiles ConfigN.txt. Readers fall back to the model's defaults as the
// JSON store does. Every call holds the lock, since the coordinator converts
// the old files from the GUI thread while the manager saves from its own.
class ProfileFiles
{
public:
    // The record of profile number: the model's default block when the file
    // is unreadable (and then written into it).
    QByteArray readRecord(int mouseType, int number) const;
    // The configuration number 1..5 whose stored record holds the same
    // buttons and settings as record (the compare range of familyacodec.h):
    // preferred when it does, else the first that does; 0 when none does.
    int findMatchingConfig(int mouseType, const QByteArray &record, int preferred = 0) const;
    // The record and the kMacroBufferCount buffers, read under one lock.
    // False when the file neither held them nor could take the defaults
    // (the outputs then hold the defaults).
    bool read(int mouseType, int number, QByteArray &record, QVector<QByteArray> &macros) const;
    // Replaces record and macros in one write, so the file never holds a
    // record without its macros.
    bool write(int mouseType, int number, const QByteArray &record, const QVector<QByteArray> &macros);

    // Converts ConfigN.txt (N = 1..5) into ConfigN.json and removes each text
    // file once converted; a file that does not parse is left alone. Nonzero
    // when every file present was converted.
    int convertOldTxtFiles(int mouseType);
    // Writes ConfigN.txt (N = 1..5) from ConfigN.json.
    void saveOldTxtFiles(int mouseType);
    // Deletes ConfigN.txt, N = 1..5.
    void removeOldTxtFiles(int mouseType);

private:
    mutable QRecursiveMutex m_mutex;
};

} // namespace familya
