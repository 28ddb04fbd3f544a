#include "config/jsonfile.h"

#include "config/atomicfile.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonParseError>

QByteArray readJsonFileBytes(const QString &path, qint64 limit)
{
    // Only regular files (a FIFO or a device node would block or never end).
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return QByteArray();
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return QByteArray();
    if (file.size() > limit)
        return QByteArray();
    QByteArray data = file.read(limit + 1);
    if (data.size() > limit)
        return QByteArray();
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

bool writeJsonFile(const QString &path, const QJsonObject &object)
{
    return writeFileAtomically(path, QJsonDocument(object).toJson(QJsonDocument::Compact));
}
