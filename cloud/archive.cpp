#include "cloud/archive.h"

#include "config/atomicfile.h"

#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>
#include <quazipnewinfo.h>
#include <unzip.h>
#include <zip.h>

#include <QBuffer>
#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

#include <algorithm>

namespace {
constexpr int kMaxNameLength = 1024;
constexpr int kMaxSegmentBytes = 255;
constexpr int kMaxDepth = 64;
constexpr qint64 kChunk = 64 * 1024;

// Unix file types in the upper half of a zip entry's external attributes.
constexpr quint32 kTypeMask = 0170000;
constexpr quint32 kTypeLink = 0120000;
constexpr quint32 kTypeFile = 0100000;
constexpr quint32 kTypeFolder = 0040000;
// An archive without entries is this record alone (plus an optional comment).
const char kEndOfDirectory[] = "PK\x05\x06";
constexpr int kEndOfDirectorySize = 22;
// General purpose flag bit 0: the entry is encrypted.
constexpr quint16 kFlagEncrypted = 0x1;

const char kIncoming[] = ".incoming-";
const char kPrevious[] = ".previous-";

ArchiveResult failure(ArchiveError error, const QString &detail)
{
    ArchiveResult r;
    r.error = error;
    r.detail = detail;
    qDebug() << "archive:" << archiveErrorName(error) << detail;
    return r;
}

QString randomSuffix()
{
    return QString::number(QRandomGenerator::global()->generate64(), 16);
}

// Removes a folder we made, without following a link put in its place.
bool removeTree(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isDir())
        return QFile::remove(path);
    return QDir(path).removeRecursively();
}

struct Entry
{
    QString name;
    bool folder = false;
    qint64 size = 0;
};

// The entry's name without the trailing "/" of a folder.
QString plainName(const Entry &e)
{
    return e.folder && e.name.endsWith(QLatin1Char('/')) ? e.name.left(e.name.size() - 1) : e.name;
}

// Reads and checks every entry's header; nothing is written.
ArchiveResult checkEntries(QuaZip &zip, const ArchiveLimits &limits, QVector<Entry> &entries)
{
    qint64 declared = 0;
    QSet<QString> names;
    QSet<QString> files;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        if (entries.size() >= limits.maxEntries)
            return failure(ArchiveError::TooManyEntries, QString::number(entries.size() + 1));
        QuaZipFileInfo64 info;
        if (!zip.getCurrentFileInfo(&info))
            return failure(ArchiveError::Damaged, QStringLiteral("entry header %1").arg(entries.size()));
        const quint32 type = (info.externalAttr >> 16) & kTypeMask;
        if (type == kTypeLink)
            return failure(ArchiveError::Link, info.name);
        if (type != 0 && type != kTypeFile && type != kTypeFolder)
            return failure(ArchiveError::SpecialFile, info.name);
        if (!isSafeEntryName(info.name))
            return failure(ArchiveError::UnsafeName, info.name);
        if (info.flags & kFlagEncrypted)
            return failure(ArchiveError::Damaged, QStringLiteral("encrypted entry %1").arg(info.name));

        Entry e;
        e.name = info.name;
        e.folder = info.name.endsWith(QLatin1Char('/')) || type == kTypeFolder;
        if (e.folder && info.uncompressedSize != 0)
            return failure(ArchiveError::Damaged, QStringLiteral("folder with data %1").arg(info.name));
        if (info.uncompressedSize > quint64(limits.maxTotalBytes)
            || declared + qint64(info.uncompressedSize) > limits.maxTotalBytes)
            return failure(ArchiveError::TooLarge, info.name);
        e.size = qint64(info.uncompressedSize);
        declared += e.size;

        const QString plain = plainName(e);
        if (names.contains(plain))
            return failure(ArchiveError::Damaged, QStringLiteral("duplicate entry %1").arg(info.name));
        names.insert(plain);
        if (!e.folder)
            files.insert(plain);
        entries.append(e);
    }
    const int listError = zip.getZipError();
    if (listError != UNZ_OK && listError != UNZ_END_OF_LIST_OF_FILE)
        return failure(ArchiveError::Damaged, QStringLiteral("central directory, error %1").arg(listError));
    if (entries.isEmpty())
        return failure(ArchiveError::Empty, QString());
    // A file may not also be the folder of another entry.
    for (const Entry &e : entries) {
        const QStringList parts = plainName(e).split(QLatin1Char('/'));
        QString prefix;
        for (int i = 0; i + 1 < parts.size(); ++i) {
            prefix += (i ? QStringLiteral("/") : QString()) + parts.at(i);
            if (files.contains(prefix))
                return failure(ArchiveError::Damaged, QStringLiteral("file used as a folder %1").arg(e.name));
        }
    }
    return {};
}

ArchiveResult extractFile(QuaZip &zip, const Entry &entry, const QString &path, const ArchiveLimits &limits,
                          qint64 &total)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return failure(out.exists() ? ArchiveError::Damaged : ArchiveError::WriteFailed, path);
    QuaZipFile in(&zip);
    if (!in.open(QIODevice::ReadOnly))
        return failure(ArchiveError::Damaged, entry.name);
    qint64 written = 0;
    QByteArray buffer;
    for (;;) {
        buffer = in.read(kChunk);
        if (buffer.isEmpty())
            break;
        written += buffer.size();
        total += buffer.size();
        // The header's size is only a claim: count what really comes.
        if (written > entry.size || total > limits.maxTotalBytes)
            return failure(ArchiveError::TooLarge, entry.name);
        if (out.write(buffer) != buffer.size())
            return failure(ArchiveError::WriteFailed, path);
    }
    const bool readError = in.getZipError() != UNZ_OK;
    in.close();
    if (readError || in.getZipError() != UNZ_OK || written != entry.size)
        return failure(ArchiveError::Damaged, entry.name);
    if (!out.flush())
        return failure(ArchiveError::WriteFailed, path);
    out.close();
    if (out.error() != QFileDevice::NoError)
        return failure(ArchiveError::WriteFailed, path);
    return {};
}

// After a crash between the two renames of a swap the target is missing and
// the old folder sits beside it: put it back. Leftover staging folders and
// old folders whose swap finished are removed.
void tidyAfterInterruptedSwap(const QString &parent, const QString &base, const QString &target)
{
    QDir dir(parent);
    const QString incoming = QLatin1Char('.') + base + QLatin1String(kIncoming);
    const QString previous = QLatin1Char('.') + base + QLatin1String(kPrevious);
    const QFileInfoList leftovers =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Time);
    bool restored = QFileInfo::exists(target) || QFileInfo(target).isSymLink();
    for (const QFileInfo &info : leftovers) {
        const QString name = info.fileName();
        if (name.startsWith(previous) && !restored && info.isDir() && !info.isSymLink()) {
            // Newest first (QDir::Time): the folder of the latest swap.
            restored = QDir().rename(info.absoluteFilePath(), target);
            qDebug() << "archive: restored" << target << "from" << name << restored;
            continue;
        }
        if (name.startsWith(previous) || name.startsWith(incoming))
            removeTree(info.absoluteFilePath());
    }
}

} // namespace

QString archiveErrorName(ArchiveError error)
{
    switch (error) {
    case ArchiveError::None:
        return QStringLiteral("ok");
    case ArchiveError::NotAnArchive:
        return QStringLiteral("not a zip archive");
    case ArchiveError::Empty:
        return QStringLiteral("empty archive");
    case ArchiveError::UnsafeName:
        return QStringLiteral("entry outside the folder");
    case ArchiveError::Link:
        return QStringLiteral("link entry");
    case ArchiveError::SpecialFile:
        return QStringLiteral("special file entry");
    case ArchiveError::TooManyEntries:
        return QStringLiteral("too many entries");
    case ArchiveError::TooLarge:
        return QStringLiteral("too large");
    case ArchiveError::Damaged:
        return QStringLiteral("damaged archive");
    case ArchiveError::WriteFailed:
        return QStringLiteral("cannot write");
    }
    return QString();
}

bool isSafeEntryName(const QString &name)
{
    if (name.isEmpty() || name.size() > kMaxNameLength)
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QLatin1Char('\\'))
            return false;
    }
    if (name.startsWith(QLatin1Char('/')))
        return false;
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter())
        return false;
    QString body = name;
    if (body.endsWith(QLatin1Char('/')))
        body.chop(1);
    const QStringList segments = body.split(QLatin1Char('/'));
    if (segments.size() > kMaxDepth)
        return false;
    for (const QString &s : segments) {
        if (s.isEmpty() || s == QLatin1String(".") || s == QLatin1String(".."))
            return false;
        if (s.toUtf8().size() > kMaxSegmentBytes)
            return false;
    }
    return true;
}

ArchiveResult compressFolder(const QString &folder, QByteArray &zipBytes, const ArchiveLimits &limits)
{
    zipBytes.clear();
    const QFileInfo rootInfo(folder);
    if (!rootInfo.isDir())
        return failure(ArchiveError::WriteFailed, QStringLiteral("no folder %1").arg(folder));
    const QDir root(rootInfo.absoluteFilePath());

    // Sorted, so the same folder always packs the same way.
    QStringList names;
    QDirIterator it(root.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        // A link could point anywhere on the machine: it is not ours to send.
        if (info.isSymLink() || (!info.isDir() && !info.isFile()))
            continue;
        names << root.relativeFilePath(info.absoluteFilePath());
    }
    std::sort(names.begin(), names.end());
    if (names.size() > limits.maxEntries)
        return failure(ArchiveError::TooManyEntries, QString::number(names.size()));

    ArchiveResult result;
    QBuffer buffer(&zipBytes);
    QuaZip zip(&buffer);
    zip.setUtf8Enabled(true);
    zip.setFileNameCodec("UTF-8");
    if (!zip.open(QuaZip::mdCreate))
        return failure(ArchiveError::WriteFailed, QStringLiteral("zip writer %1").arg(zip.getZipError()));
    for (const QString &name : names) {
        const QString path = root.filePath(name);
        const bool isFolder = QFileInfo(path).isDir();
        QuaZipFile out(&zip);
        if (!out.open(QIODevice::WriteOnly, QuaZipNewInfo(isFolder ? name + QLatin1Char('/') : name, path)))
            return failure(ArchiveError::WriteFailed, name);
        if (isFolder) {
            ++result.folders;
        } else {
            QFile in(path);
            if (!in.open(QIODevice::ReadOnly))
                return failure(ArchiveError::WriteFailed, path);
            for (;;) {
                const QByteArray chunk = in.read(kChunk);
                if (chunk.isEmpty())
                    break;
                result.bytes += chunk.size();
                if (result.bytes > limits.maxTotalBytes)
                    return failure(ArchiveError::TooLarge, name);
                if (out.write(chunk) != chunk.size())
                    return failure(ArchiveError::WriteFailed, name);
            }
            if (in.error() != QFileDevice::NoError)
                return failure(ArchiveError::WriteFailed, path);
            ++result.files;
        }
        out.close();
        if (out.getZipError() != ZIP_OK)
            return failure(ArchiveError::WriteFailed, name);
    }
    zip.close();
    if (zip.getZipError() != ZIP_OK)
        return failure(ArchiveError::WriteFailed, QStringLiteral("zip writer %1").arg(zip.getZipError()));
    return result;
}

ArchiveResult compressFolderToFile(const QString &folder, const QString &zipPath, const ArchiveLimits &limits)
{
    QByteArray bytes;
    ArchiveResult r = compressFolder(folder, bytes, limits);
    if (!r.ok())
        return r;
    if (!writeFileAtomically(zipPath, bytes))
        return failure(ArchiveError::WriteFailed, zipPath);
    return r;
}

ArchiveResult extractArchive(const QByteArray &zipBytes, const QString &folder, const ArchiveLimits &limits)
{
    const QDir root(folder);
    if (!root.exists() || !root.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        return failure(ArchiveError::WriteFailed, QStringLiteral("not an empty folder %1").arg(folder));
    const QString rootPath = root.absolutePath();

    QByteArray copy = zipBytes;
    QBuffer buffer(&copy);
    QuaZip zip(&buffer);
    zip.setFileNameCodec("UTF-8");
    if (!zip.open(QuaZip::mdUnzip)) {
        // The zip reader will not open an archive without entries; the
        // end-of-directory record alone is one.
        if (zipBytes.startsWith(kEndOfDirectory) && zipBytes.size() >= kEndOfDirectorySize)
            return failure(ArchiveError::Empty, QString());
        return failure(ArchiveError::NotAnArchive, QStringLiteral("error %1").arg(zip.getZipError()));
    }

    QVector<Entry> entries;
    ArchiveResult checked = checkEntries(zip, limits, entries);
    if (!checked.ok())
        return checked;

    ArchiveResult result;
    qint64 total = 0;
    int index = 0;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile(), ++index) {
        if (index >= entries.size())
            return failure(ArchiveError::Damaged, QStringLiteral("entry list changed"));
        const Entry &entry = entries.at(index);
        const QString path = QDir::cleanPath(rootPath + QLatin1Char('/') + plainName(entry));
        // The names were checked; this holds the rule itself, whatever a
        // check may have missed.
        if (!path.startsWith(rootPath + QLatin1Char('/')))
            return failure(ArchiveError::UnsafeName, entry.name);
        if (entry.folder) {
            if (!QDir().mkpath(path))
                return failure(ArchiveError::WriteFailed, path);
            ++result.folders;
            continue;
        }
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            return failure(ArchiveError::WriteFailed, path);
        const ArchiveResult file = extractFile(zip, entry, path, limits, total);
        if (!file.ok())
            return file;
        ++result.files;
    }
    const int listError = zip.getZipError();
    if (index != entries.size() || (listError != UNZ_OK && listError != UNZ_END_OF_LIST_OF_FILE))
        return failure(ArchiveError::Damaged, QStringLiteral("entry list changed"));
    result.bytes = total;
    return result;
}

ArchiveResult replaceFolderFromArchive(const QByteArray &zip, const QString &target, const ArchiveLimits &limits)
{
    const QFileInfo targetInfo(target);
    const QString parent = targetInfo.absolutePath();
    const QString base = targetInfo.fileName();
    const QString targetPath = targetInfo.absoluteFilePath();
    if (base.isEmpty() || !QDir().mkpath(parent))
        return failure(ArchiveError::WriteFailed, target);
    tidyAfterInterruptedSwap(parent, base, targetPath);

    // Beside the target, so both renames stay on one file system.
    QTemporaryDir staging(parent + QLatin1Char('/') + QLatin1Char('.') + base + QLatin1String(kIncoming)
                          + QStringLiteral("XXXXXX"));
    if (!staging.isValid())
        return failure(ArchiveError::WriteFailed, staging.errorString());
    ArchiveResult result = extractArchive(zip, staging.path(), limits);
    if (!result.ok())
        return result;
    if (result.files + result.folders == 0)
        return failure(ArchiveError::Empty, QString());

    const bool hadTarget = QFileInfo::exists(targetPath) || QFileInfo(targetPath).isSymLink();
    QFile::setPermissions(staging.path(), hadTarget ? QFile::permissions(targetPath)
                                                    : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                          | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
                                                          | QFile::ExeOther);
    QString aside;
    if (hadTarget) {
        do {
            aside = parent + QLatin1Char('/') + QLatin1Char('.') + base + QLatin1String(kPrevious) + randomSuffix();
        } while (QFileInfo::exists(aside));
        if (!QDir().rename(targetPath, aside))
            return failure(ArchiveError::WriteFailed, QStringLiteral("cannot move %1 aside").arg(targetPath));
    }
    if (!QDir().rename(staging.path(), targetPath)) {
        if (!aside.isEmpty() && !QDir().rename(aside, targetPath))
            qDebug() << "archive: could not put back" << targetPath << "from" << aside;
        return failure(ArchiveError::WriteFailed, QStringLiteral("cannot move the new folder to %1").arg(targetPath));
    }
    staging.setAutoRemove(false);
    if (!aside.isEmpty() && !removeTree(aside))
        qDebug() << "archive: old folder left at" << aside;
    return result;
}
