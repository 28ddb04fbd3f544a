#include "config/jsonfile.h"

#include "config/atomicfile.h"
#include "platform/safefile.h"

#include <QJsonParseError>

namespace {

void setReason(QString *reason, const QString &text)
{
    if (reason)
        *reason = text;
}

// The bytes and how reading them went; a reader creates a missing file.
JsonFileState readBytes(const QString &path, qint64 limit, QByteArray &data, QString *reason,
                        bool createMissing = true)
{
    data.clear();
    switch (readRegularFile(path, limit, data)) {
    case ReadResult::Ok:
        if (data.isEmpty()) {
            setReason(reason, QStringLiteral("empty"));
            return JsonFileState::Missing;
        }
        return JsonFileState::Ok;
    case ReadResult::Missing:
        // As every reader of these files always has: a missing file is
        // created empty.
        if (createMissing)
            createFileIfMissing(path);
        setReason(reason, QStringLiteral("missing"));
        return JsonFileState::Missing;
    case ReadResult::NotRegular:
        if (fileKind(path) == FileKind::Directory) {
            setReason(reason, QStringLiteral("a folder"));
            return JsonFileState::Unusable;
        }
        setReason(reason, QStringLiteral("not a regular file"));
        return JsonFileState::Damaged;
    case ReadResult::TooLarge:
        setReason(reason, QStringLiteral("larger than %1 bytes").arg(limit));
        return JsonFileState::Damaged;
    case ReadResult::Failed:
        break;
    }
    setReason(reason, QStringLiteral("cannot be read"));
    return JsonFileState::Unusable;
}

} // namespace

QByteArray readJsonFileBytes(const QString &path, qint64 limit)
{
    QByteArray data;
    readBytes(path, limit, data, nullptr);
    return data;
}

QJsonDocument readJsonDocument(const QString &path, qint64 limit)
{
    const QByteArray data = readJsonFileBytes(path, limit);
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    if (doc.isNull() || error.error != QJsonParseError::NoError)
        return QJsonDocument();
    return doc;
}

bool readJsonRootObject(const QString &path, QJsonObject &root)
{
    const QJsonDocument doc = readJsonDocument(path);
    if (!doc.isObject()) {
        root = QJsonObject();
        return false;
    }
    root = doc.object();
    return true;
}

QJsonObject readJsonRootObject(const QString &path)
{
    QJsonObject root;
    readJsonRootObject(path, root);
    return root;
}

namespace {

// What a file holds as a root object; a reader creates a missing file, the
// writer only looks.
JsonFileState inspect(const QString &path, QJsonObject &root, QString *reason, bool createMissing)
{
    root = QJsonObject();
    QByteArray data;
    const JsonFileState state = readBytes(path, kMaxJsonFileSize, data, reason, createMissing);
    if (state != JsonFileState::Ok)
        return state;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    if (doc.isNull() || error.error != QJsonParseError::NoError) {
        setReason(reason, QStringLiteral("not JSON: %1 at byte %2").arg(error.errorString()).arg(error.offset));
        return JsonFileState::Damaged;
    }
    if (!doc.isObject()) {
        setReason(reason, QStringLiteral("not a JSON object"));
        return JsonFileState::Damaged;
    }
    root = doc.object();
    return JsonFileState::Ok;
}

} // namespace

JsonFileState readJsonRootObjectState(const QString &path, QJsonObject &root, QString *reason)
{
    return inspect(path, root, reason, true);
}

bool writeJsonFile(const QString &path, const QJsonObject &object)
{
    QJsonObject old;
    QString reason;
    const bool damaged = inspect(path, old, &reason, false) == JsonFileState::Damaged;
    return writeFileAtomically(path, QJsonDocument(object).toJson(QJsonDocument::Compact),
                               damaged ? reason : QString());
}
