#pragma once

#include <QByteArray>
#include <QString>

// Packing a folder into a zip archive for the cloud, and unpacking a
// downloaded archive in place of a local folder. The archives come from the
// network, so unpacking trusts nothing in them: every entry name is checked
// before anything is written, links and special files are refused, sizes are
// counted as the data comes (not taken from the headers), and the local
// folder is replaced only once the whole archive unpacked into a staging
// folder beside it. Pure file work: no signals, no network, any thread.

struct ArchiveLimits
{
    // What an archive may unpack to, in total and in number of entries
    // (files and folders). Far above what profiles and macros need.
    qint64 maxTotalBytes = 64 * 1024 * 1024;
    int maxEntries = 4096;
};

enum class ArchiveError {
    None,
    NotAnArchive,     // not a readable zip archive
    Empty,            // no entries at all
    UnsafeName,       // an entry that would land outside the folder
    Link,             // a symbolic link entry
    SpecialFile,      // a device, pipe or socket entry
    TooManyEntries,
    TooLarge,         // beyond maxTotalBytes, declared or actually read
    Damaged,          // unreadable data, a wrong checksum, a duplicate entry
    WriteFailed,      // the local disk refused (staging, packing or the swap)
};

// What a packing or unpacking did.
struct ArchiveResult
{
    ArchiveError error = ArchiveError::None;
    QString detail; // the entry or path concerned, for the log
    int files = 0;
    int folders = 0;
    qint64 bytes = 0; // unpacked bytes of all files

    bool ok() const { return error == ArchiveError::None; }
};

// A short English name of the error, for the log.
QString archiveErrorName(ArchiveError error);

// Whether a zip entry name may be unpacked below a folder: relative,
// "/"-separated, without "." or ".." segments, backslashes, drive letters,
// control characters or empty segments (a folder entry ends in one "/").
bool isSafeEntryName(const QString &name);

// Packs everything below folder (files and sub-folders, hidden ones too;
// links are left out) into a zip archive with UTF-8 names relative to
// folder. An empty folder gives an empty archive.
ArchiveResult compressFolder(const QString &folder, QByteArray &zip, const ArchiveLimits &limits = {});
// The same, written to zipPath atomically.
ArchiveResult compressFolderToFile(const QString &folder, const QString &zipPath, const ArchiveLimits &limits = {});

// Unpacks zip into folder, which must exist and be empty. Checks every entry
// before writing the first byte. On failure folder may hold a part of the
// archive: callers unpack into a staging folder they delete.
ArchiveResult extractArchive(const QByteArray &zip, const QString &folder, const ArchiveLimits &limits = {});

// Replaces the folder target with the archive's content: unpacks into a new
// staging folder beside target, then renames target aside, the staging
// folder into its place, and deletes the old folder only after that
// succeeded. An archive that is refused, unpacks to nothing or cannot be
// swapped in leaves target exactly as it was. Also restores a target that an
// interrupted earlier swap left renamed aside.
ArchiveResult replaceFolderFromArchive(const QByteArray &zip, const QString &target,
                                       const ArchiveLimits &limits = {});
