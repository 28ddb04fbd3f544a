#include "server/datafolder.h"

#include "server/serverlog.h"
#include "server/validation.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace ox8cloud {

DataFolder::DataFolder(const QString &root)
    : m_root(QDir(root).absolutePath())
{
}

bool DataFolder::prepare(QString *error) const
{
    const QStringList subfolders = {QStringLiteral("files"), QStringLiteral("packages"), QStringLiteral("outbox"),
                                    QStringLiteral("analytics")};
    QDir dir(m_root);
    if (!dir.mkpath(QStringLiteral("."))) {
        *error = QStringLiteral("cannot create the data folder %1").arg(m_root);
        return false;
    }
    for (const QString &sub : subfolders) {
        if (!dir.mkpath(sub)) {
            *error = QStringLiteral("cannot create %1").arg(dir.filePath(sub));
            return false;
        }
    }
    const QFile::Permissions privateDir = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    QFile::setPermissions(m_root, privateDir);
    QFile::setPermissions(dir.filePath(QStringLiteral("outbox")), privateDir);
    return true;
}

QString DataFolder::outboxDir() const
{
    return m_root + QStringLiteral("/outbox");
}

QString DataFolder::analyticsFile() const
{
    return m_root + QStringLiteral("/analytics/collect.jsonl");
}

QString DataFolder::archivePath(const QString &userId, const QString &fileId) const
{
    if (!isHexId(userId) || !isHexId(fileId))
        return {};
    return QStringLiteral("%1/files/%2/%3.zip").arg(m_root, userId, fileId);
}

QString DataFolder::packagePath(const QString &versionType, const QString &version, const QString &fileName) const
{
    if (!isSafeName(versionType) || !isSafeName(version, 32) || !isSafeName(fileName, 128))
        return {};
    return QStringLiteral("%1/packages/%2/%3/%4").arg(m_root, versionType, version, fileName);
}

bool DataFolder::writeAtomically(const QString &path, const QByteArray &data)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        logLine(QStringLiteral("cannot create the folder of %1").arg(path));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        logLine(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    if (file.write(data) != data.size()) {
        logLine(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        logLine(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

} // namespace ox8cloud
