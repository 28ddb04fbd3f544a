#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file's content as a whole: the bytes go to a temporary file
// beside it, which is renamed over the old file only once fully written, so a
// crash or a full disk leaves either the old or the new content, never half.
// Returns false (old file untouched) when the file could not be replaced.
bool writeFileAtomically(const QString &path, const QByteArray &data);

// Test hook: while set, every atomic write stops just before the rename, as a
// crash at that point would, and returns false.
void setAtomicWriteAbortBeforeCommit(bool abort);
