#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QRecursiveMutex>
#include <QVector>

struct OldTxtProfile;

namespace familya {

// The manager's image keeps 14 macro buffers of 4096 bytes: buffers 0..10 are
// the first-kind pages 0..10, buffers 11..13 the second-kind pages 0..2 (the
// pages of a macro list). In a profile file buffer i is the member "i" of
// "MacroDataOfGamingMode"; the record is "MouseDataOfGamingMode" byte for byte.
constexpr int kProfileMacroBuffers = 14;

// A buffer without a macro.
QByteArray emptyMacroBuffer();
// A macro buffer that can be stored and written back: a valid length field
// with at least one entry.
bool holdsMacro(const QByteArray &buffer);

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
    // The record and the kProfileMacroBuffers buffers, read under one lock.
    void read(int mouseType, int number, QByteArray &record, QVector<QByteArray> &macros) const;
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
