#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

// Whole-file JSON reading and writing, shared by every store. Readers never
// fail: a file that is missing, not a regular file (a link, FIFO or folder is
// never opened), larger than the limit, not JSON, or (for the object readers)
// whose root is not an object counts as unreadable and gives the caller's
// fallback. Reading opens an existing file read-only; a missing file is
// created empty.

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

// Why a root object could not be read, for stores that keep a damaged file.
enum class JsonFileState {
    Ok,
    Missing,  // nothing there, or an empty file (as a reader leaves it)
    Damaged,  // something that is not our JSON object: move it aside
    Unusable, // a folder, or a file that could not be read
};
// The root object (empty unless Ok) and, unless Ok, why in reason.
JsonFileState readJsonRootObjectState(const QString &path, QJsonObject &root, QString *reason = nullptr);

// Writes the object compactly, replacing the file atomically; false when the
// file could not be replaced. What it replaces, when damaged (Damaged
// above), is kept aside as path + ".damaged-<time>" and said so in the log,
// so a store falling back to its defaults never destroys a file without a
// trace.
bool writeJsonFile(const QString &path, const QJsonObject &object);
