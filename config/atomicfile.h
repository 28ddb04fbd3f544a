#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file's content as a whole: the bytes go to a temporary file
// beside it, which is renamed over the old file only once fully written, so a
// crash or a full disk leaves either the old or the new content, never half.
// A link at the path is replaced itself (its target is never written); a
// folder, FIFO or device there is refused (platform/safefile.h has the rules).
// Returns false (old file untouched) when the file could not be replaced.
// With a damageReason, the old file is damage to keep: it is moved aside as
// path + ".damaged-<time>" when the new content takes its place (and said so
// in the log).
bool writeFileAtomically(const QString &path, const QByteArray &data, const QString &damageReason = QString());

// Test hook: while set, every atomic write stops just before the rename, as a
// crash at that point would, and returns false.
void setAtomicWriteAbortBeforeCommit(bool abort);
