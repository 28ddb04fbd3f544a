// The archive endpoints of CloudService: the upload with its limits, the
// configuration and macro records that point at archives, and the download.

#include "server/cloudservice.h"

#include "server/apianswer.h"
#include "server/datafolder.h"
#include "server/multipart.h"
#include "server/resultcode.h"
#include "server/securerandom.h"
#include "server/serverclock.h"
#include "server/store.h"
#include "server/validation.h"

#include <QFile>
#include <QFileInfo>

namespace ox8cloud {

namespace {

const QString ConfigKind = QStringLiteral("config");
const QString MacroKind = QStringLiteral("macro");
const QString ConfigArchive = QStringLiteral("LocalFile.zip");
const QString MacroArchive = QStringLiteral("MacroFiles.zip");

bool looksLikeZip(const QByteArray &data)
{
    // A local file header, or the end record alone (an empty archive).
    return data.startsWith(QByteArray("PK\x03\x04", 4)) || data.startsWith(QByteArray("PK\x05\x06", 4));
}

} // namespace

ApiReply CloudService::uploadFile(const ApiRequest &r)
{
    const QByteArray boundary = multipartBoundary(r.contentType);
    if (boundary.isEmpty())
        return answer(MalformedMultipart, QStringLiteral("Expected a multipart/form-data body with a boundary."));
    QList<MultipartPart> parts;
    const MultipartError error = parseMultipart(r.body, boundary, &parts);
    if (error != MultipartError::None)
        return answer(MalformedMultipart, QStringLiteral("The multipart body is malformed."));
    const MultipartPart *file = nullptr;
    for (const MultipartPart &part : qAsConst(parts)) {
        if (part.name == "file") {
            file = &part;
            break;
        }
    }
    // The program puts its token on the file part; a request header works too.
    QByteArray token = file ? file->headers.value("authorization") : QByteArray();
    if (token.trimmed().isEmpty())
        token = r.authorization;
    QString userId;
    QString tokenHash;
    ApiReply refusal;
    if (!authenticate(token, &userId, &tokenHash, &refusal))
        return refusal;
    if (!file)
        return answer(UploadRefused, QStringLiteral("The body has no part named \"file\"."));
    const QString name = QString::fromUtf8(file->fileName);
    if (name != ConfigArchive && name != MacroArchive)
        return answer(UploadRefused, QStringLiteral("Only LocalFile.zip and MacroFiles.zip are accepted."));
    if (file->body.size() > m_config.archiveLimit)
        return answer(UploadTooLarge, QStringLiteral("The archive is larger than %1 bytes.").arg(m_config.archiveLimit));
    if (!looksLikeZip(file->body))
        return answer(UploadRefused, QStringLiteral("The file is not a zip archive."));

    std::lock_guard<std::mutex> lock(userLock(userId));
    const qint64 now = m_clock.now();
    purgeStaleUploads(userId, now);
    QList<FileRecord> stored;
    if (m_store.filesOfUser(userId, &stored) != DbStatus::Ok)
        return serverError();
    qint64 used = 0;
    for (const FileRecord &f : qAsConst(stored))
        used += f.size;
    if (used + file->body.size() > m_config.userQuota)
        return answer(UploadTooLarge, QStringLiteral("The cloud space of this account is full (%1 bytes).")
                                          .arg(m_config.userQuota));

    FileRecord record;
    record.id = randomHex(16);
    record.userId = userId;
    record.name = name;
    record.size = file->body.size();
    record.sha256 = sha256Hex(file->body);
    record.createdAt = now;
    const QString path = m_data.archivePath(userId, record.id);
    if (path.isEmpty() || !DataFolder::writeAtomically(path, file->body))
        return serverError();
    if (m_store.insertFile(record) != DbStatus::Ok) {
        QFile::remove(path);
        return serverError();
    }
    return answer(Success, QStringLiteral("success"),
                  {{QStringLiteral("filePath"), archiveUrl(r, record.id, record.name)}});
}

ApiReply CloudService::saveConfig(const ApiRequest &r)
{
    return saveRecord(r, ConfigKind);
}

ApiReply CloudService::saveMacroConfig(const ApiRequest &r)
{
    return saveRecord(r, MacroKind);
}

ApiReply CloudService::saveRecord(const ApiRequest &r, const QString &kind)
{
    QString userId;
    QString tokenHash;
    ApiReply refusal;
    if (!authenticate(r.authorization, &userId, &tokenHash, &refusal))
        return refusal;
    QJsonObject o;
    QString filePath;
    QString configType;
    QString content;
    if (!jsonObject(r, &o))
        return malformed(QStringLiteral("the body is not a JSON object"));
    if (!stringField(o, QStringLiteral("filePath"), &filePath)
        || !stringField(o, QStringLiteral("configType"), &configType, kind == ConfigKind)
        || !stringField(o, QStringLiteral("configContent"), &content, false))
        return malformed(QStringLiteral("\"filePath\", \"configType\" and \"configContent\" must be strings"));
    if (kind == ConfigKind && !isSafeName(configType))
        return answer(InvalidConfigType, QStringLiteral("\"configType\" must be 1 to 64 letters, digits, '.', '_' or '-'."));
    // The macro record is one per account; the program sends an empty configType for it.
    if (kind == MacroKind && !configType.isEmpty() && configType != MacroKind)
        return answer(InvalidConfigType, QStringLiteral("The macro record takes an empty \"configType\"."));
    const QString recordType = kind == MacroKind ? MacroKind : configType;

    QString fileId;
    QString name;
    FileRecord file;
    const QString expectedName = kind == MacroKind ? MacroArchive : ConfigArchive;
    if (!parseArchivePath(filePath, &fileId, &name))
        return answer(InvalidFilePath, QStringLiteral("\"filePath\" is not an archive path of this service."));
    const DbStatus found = m_store.fileById(fileId, &file);
    if (found == DbStatus::Failed)
        return serverError();
    if (found != DbStatus::Ok || file.userId != userId || file.name != name || name != expectedName)
        return answer(InvalidFilePath, QStringLiteral("\"filePath\" is not a %1 this account uploaded.").arg(expectedName));

    std::lock_guard<std::mutex> lock(userLock(userId));
    QString previous;
    const DbStatus had = m_store.configRecord(userId, kind, recordType, &previous);
    if (had == DbStatus::Failed)
        return serverError();
    if (m_store.setConfigRecord(userId, kind, recordType, fileId, m_clock.now()) != DbStatus::Ok)
        return serverError();
    if (had == DbStatus::Ok && previous != fileId) {
        bool referenced = true;
        if (m_store.isFileReferenced(previous, &referenced) == DbStatus::Ok && !referenced)
            deleteArchive(userId, previous);
    }
    return answer(Success, QStringLiteral("success"));
}

ApiReply CloudService::getConfig(const ApiRequest &r)
{
    QString userId;
    QString tokenHash;
    ApiReply refusal;
    if (!authenticate(r.authorization, &userId, &tokenHash, &refusal))
        return refusal;
    QJsonObject o;
    QString configType;
    if (!jsonObject(r, &o))
        return malformed(QStringLiteral("the body is not a JSON object"));
    if (!stringField(o, QStringLiteral("configType"), &configType))
        return malformed(QStringLiteral("\"configType\" must be a string"));
    if (!isSafeName(configType))
        return answer(InvalidConfigType, QStringLiteral("\"configType\" must be 1 to 64 letters, digits, '.', '_' or '-'."));
    QString fileId;
    FileRecord file;
    QString url;
    const DbStatus had = m_store.configRecord(userId, ConfigKind, configType, &fileId);
    if (had == DbStatus::Failed)
        return serverError();
    if (had == DbStatus::Ok) {
        const DbStatus found = m_store.fileById(fileId, &file);
        if (found == DbStatus::Failed)
            return serverError();
        if (found == DbStatus::Ok)
            url = archiveUrl(r, file.id, file.name);
    }
    return answer(Success, QStringLiteral("success"),
                  {{QStringLiteral("configType"), configType}, {QStringLiteral("filePath"), url}});
}

ApiReply CloudService::getMacroConfig(const ApiRequest &r)
{
    QString userId;
    QString tokenHash;
    ApiReply refusal;
    if (!authenticate(r.authorization, &userId, &tokenHash, &refusal))
        return refusal;
    QJsonObject o;
    if (!jsonObject(r, &o))
        return malformed(QStringLiteral("the body is not a JSON object"));
    QString fileId;
    FileRecord file;
    QString url;
    const DbStatus had = m_store.configRecord(userId, MacroKind, MacroKind, &fileId);
    if (had == DbStatus::Failed)
        return serverError();
    if (had == DbStatus::Ok) {
        const DbStatus found = m_store.fileById(fileId, &file);
        if (found == DbStatus::Failed)
            return serverError();
        if (found == DbStatus::Ok)
            url = archiveUrl(r, file.id, file.name);
    }
    return answer(Success, QStringLiteral("success"),
                  {{QStringLiteral("configType"), MacroKind}, {QStringLiteral("filePath"), url}});
}

ApiReply CloudService::downloadArchive(const ApiRequest &r)
{
    QString fileId;
    QString name;
    FileRecord file;
    if (!parseArchivePath(QString::fromUtf8(r.path), &fileId, &name) || r.path.count('/') != 3)
        return plainText(404, "not found");
    const DbStatus found = m_store.fileById(fileId, &file);
    if (found == DbStatus::Failed)
        return plainText(500, "server error");
    const QString path = m_data.archivePath(file.userId, file.id);
    const QFileInfo info(path);
    if (found != DbStatus::Ok || file.name != name || path.isEmpty() || !info.isFile())
        return plainText(404, "not found");
    ApiReply reply;
    reply.contentType = "application/zip";
    reply.filePath = path;
    reply.fileSize = info.size();
    // The URL is the only key to the file: keep it out of caches.
    reply.headers.append(qMakePair(QByteArray("Cache-Control"), QByteArray("private, no-store")));
    reply.headers.append(qMakePair(QByteArray("Content-Disposition"), QByteArray("attachment; filename=\"" + name.toLatin1() + '"')));
    return reply;
}

void CloudService::deleteArchive(const QString &userId, const QString &fileId)
{
    if (m_store.deleteFile(fileId) != DbStatus::Ok)
        return;
    const QString path = m_data.archivePath(userId, fileId);
    if (!path.isEmpty())
        QFile::remove(path);
}

void CloudService::purgeStaleUploads(const QString &userId, qint64 now)
{
    // Archives uploaded but never saved as a record; kept for a while in case
    // the save is on its way.
    QList<FileRecord> files;
    if (m_store.filesOfUser(userId, &files) != DbStatus::Ok)
        return;
    for (const FileRecord &f : qAsConst(files)) {
        if (f.createdAt > now - m_config.staleUploadSeconds)
            continue;
        bool referenced = true;
        if (m_store.isFileReferenced(f.id, &referenced) == DbStatus::Ok && !referenced)
            deleteArchive(userId, f.id);
    }
}

QString CloudService::archiveUrl(const ApiRequest &r, const QString &fileId, const QString &name) const
{
    return baseUrl(r) + QStringLiteral("/files/") + fileId + QLatin1Char('/') + name;
}

} // namespace ox8cloud
