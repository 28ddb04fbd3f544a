#pragma once

#include <QByteArray>
#include <QString>

// Where the emulated mice keep their memory between runs.

// Replaces path atomically with state (a link at the path is replaced, never
// written through).
bool writeStateFile(const QString &path, const QByteArray &state);
// Reads at most maxSize bytes of a regular file, without blocking and
// without following a link; false for a missing file, a larger one or
// anything that is not a regular file (the path may hold anything).
bool readStateFile(const QString &path, qint64 maxSize, QByteArray &state);
