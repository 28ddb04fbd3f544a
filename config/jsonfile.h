#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

// Whole-file JSON reading and writing, shared by every store. Readers never
// fail: a file that is missing, not a regular file, larger than the limit,
// not JSON, or (for the object readers) whose root is not an object counts as
// unreadable and gives the caller's fallback. Reading opens the file for
// reading and writing, so a missing file is created empty.

// Our JSON files are a few kilobytes; anything this large is damage.
constexpr qint64 kMaxJsonFileSize = 4 * 1024 * 1024;

// The bytes of a file; empty when unreadable.
QByteArray readJsonFileBytes(const QString &path, qint64 limit = kMaxJsonFileSize);
// The parsed document; a null document when unreadable.
QJsonDocument readJsonDocument(const QString &path, qint64 limit = kMaxJsonFileSize);
// The root object; false and an empty root when unreadable.
bool readJsonRootObject(const QString &path, QJsonObject &root);
// The root object, or an empty object when unreadable.
QJsonObject readJsonRootObject(const QString &path);

// Writes the object compactly, replacing the file atomically; false when the
// file could not be replaced.
bool writeJsonFile(const QString &path, const QJsonObject &object);
