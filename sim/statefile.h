#pragma once

#include <QByteArray>
#include <QString>

// Where the emulated mice keep their memory between runs.

// Replaces path atomically with state.
bool writeStateFile(const QString &path, const QByteArray &state);
// Reads at most maxSize bytes; false for a missing file or a larger one
// (the file may be anything).
bool readStateFile(const QString &path, qint64 maxSize, QByteArray &state);
