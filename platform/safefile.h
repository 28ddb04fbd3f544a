#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

class QFile;

// Reading and writing files that someone else may have put in our way. The
// last component of a path is never followed when it is a symbolic link,
// only regular files are opened for reading (a FIFO or a device would block
// or never end), and nothing is written through into an entry we did not
// create. Folders along the path are resolved as usual.
//
// Every store, the emulated mice's state files and the log go through these
// few functions, so the rules live in one place.

// Messages about damaged files moved aside; ox8ctl prints them on stderr.
Q_DECLARE_LOGGING_CATEGORY(lcFiles)

// What a path names, without following a link at its end.
enum class FileKind { Missing, Regular, Directory, Link, Other };
FileKind fileKind(const QString &path);

// Missing, or a regular file (not a link): safe to hand to QSettings, which
// opens files its own blocking, link-following way.
bool isMissingOrRegularFile(const QString &path);

enum class ReadResult {
    Ok,
    Missing,
    NotRegular, // a link, folder, FIFO, socket or device
    TooLarge,   // more than maxSize bytes
    Failed,     // could not be opened or read
};
// The whole file, opened read-only and non-blocking without following a
// link at the end of the path; data is left empty unless the result is Ok.
ReadResult readRegularFile(const QString &path, qint64 maxSize, QByteArray &data);

// Creates an empty file when nothing is at the path; true when a regular
// file is there afterwards (made now or before). Never follows a link.
bool createFileIfMissing(const QString &path);

// Replaces the file's content as a whole: the bytes go to a new file beside
// it, which is renamed over the path only once fully written and synced, so
// a crash or a full disk leaves either the old or the new content. A link at
// the path is replaced itself, its target never touched; a folder, FIFO,
// socket or device at the path is refused. A replaced regular file keeps its
// permission bits. False (and the old entry untouched) on any failure.
//
// With a damageReason, what was at the path (a FIFO or device too, never
// opened) is damage worth keeping: it goes to the name moveAsideDamaged
// would give it (said so on lcFiles) as the new content takes its place, and
// stays where it was when the write fails.
//
// Temporary files of earlier replacements of the same file that were killed
// before their rename are removed once older than kStaleTemporarySeconds.
constexpr long kStaleTemporarySeconds = 600;
bool replaceFileAtomically(const QString &path, const QByteArray &data, QString *error = nullptr,
                           const QString &damageReason = QString());

// Test hook: while set, every atomic replacement stops just before the
// rename, as a crash at that point would, and returns false.
void setReplaceAbortBeforeCommit(bool abort);

// Renames whatever is at path (a link itself, never its target) to
// path + ".damaged-yyyyMMdd-hhmmss" (with "-2", "-3", ... when taken) and says
// so on lcFiles with the reason. The new path, or an empty string when
// nothing was moved (nothing there, a folder, or the rename failed).
QString moveAsideDamaged(const QString &path, const QString &reason);
// The name moveAsideDamaged would give path now (free at the moment).
QString damagedFileName(const QString &path);

// Opens a file for appending, created when missing: never through a link,
// never anything but a regular file, without blocking. False otherwise.
bool openForAppend(QFile &file, const QString &path);

// Whether path (which need not exist) names an entry inside folder or the
// folder itself, with links among the folders resolved.
bool isPathInside(const QString &path, const QString &folder);
