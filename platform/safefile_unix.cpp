#include "platform/safefile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <atomic>
#include <ctime>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcFiles, "ox8.files")

namespace {

std::atomic<bool> g_abortBeforeCommit{false};

QByteArray nativeName(const QString &path)
{
    return QFile::encodeName(path);
}

bool lstatPath(const QString &path, struct stat &st)
{
    return ::lstat(nativeName(path).constData(), &st) == 0;
}

FileKind kindOf(const struct stat &st)
{
    if (S_ISREG(st.st_mode))
        return FileKind::Regular;
    if (S_ISDIR(st.st_mode))
        return FileKind::Directory;
    if (S_ISLNK(st.st_mode))
        return FileKind::Link;
    return FileKind::Other;
}

// close() that keeps errno of the failure being reported.
void closeQuietly(int fd)
{
    const int saved = errno;
    ::close(fd);
    errno = saved;
}

bool writeAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qint64 left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The canonical form of a path whose last component may be missing or a link.
QString canonicalEntry(const QString &path)
{
    const QFileInfo info(path);
    const QString parent = QFileInfo(info.absolutePath()).canonicalFilePath();
    const QString base = parent.isEmpty() ? QDir::cleanPath(info.absolutePath()) : parent;
    const QString name = info.fileName();
    if (name.isEmpty() || name == QLatin1String("."))
        return base;
    if (name == QLatin1String(".."))
        return QDir::cleanPath(base + QStringLiteral("/.."));
    return base == QLatin1String("/") ? base + name : base + QLatin1Char('/') + name;
}


// The temporary name of a replacement of fileName: "." + fileName + "." +
// eight hex digits + ".tmp".
bool isTemporaryOf(const char *entry, const QByteArray &fileName)
{
    const size_t prefix = size_t(fileName.size()) + 2;
    const size_t length = std::strlen(entry);
    if (length != prefix + 8 + 4 || entry[0] != '.' || std::memcmp(entry + 1, fileName.constData(), prefix - 2) != 0
        || entry[prefix - 1] != '.' || std::strcmp(entry + prefix + 8, ".tmp") != 0)
        return false;
    for (size_t i = prefix; i < prefix + 8; ++i) {
        if (!std::isxdigit(static_cast<unsigned char>(entry[i])))
            return false;
    }
    return true;
}

// A replacement killed between creating its temporary file and the rename
// leaves that file behind (the old content stays whole). The next
// replacement of the same file removes those older than kStaleTemporarySeconds:
// a younger one may belong to a writer in another process that is still busy.
void removeStaleTemporaries(const QString &folder, const QString &fileName)
{
    DIR *dir = ::opendir(nativeName(folder).constData());
    if (!dir)
        return;
    const QByteArray name = nativeName(fileName);
    const time_t now = std::time(nullptr);
    while (const dirent *entry = ::readdir(dir)) {
        if (!isTemporaryOf(entry->d_name, name))
            continue;
        struct stat st;
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (now - st.st_mtime < kStaleTemporarySeconds)
            continue;
        if (::unlinkat(::dirfd(dir), entry->d_name, 0) == 0)
            qCInfo(lcFiles).noquote() << QStringLiteral("removed %1/%2, left by an interrupted write")
                                             .arg(folder, QFile::decodeName(entry->d_name));
    }
    ::closedir(dir);
}

} // namespace

FileKind fileKind(const QString &path)
{
    struct stat st;
    if (!lstatPath(path, st))
        return FileKind::Missing;
    return kindOf(st);
}

bool isMissingOrRegularFile(const QString &path)
{
    const FileKind kind = fileKind(path);
    return kind == FileKind::Missing || kind == FileKind::Regular;
}

ReadResult readRegularFile(const QString &path, qint64 maxSize, QByteArray &data)
{
    data.clear();
    // Look before opening: opening a device node can do things of its own.
    struct stat st;
    if (!lstatPath(path, st))
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
    if (!S_ISREG(st.st_mode))
        return ReadResult::NotRegular;

    // The entry may have been swapped since; the flags and the second look
    // keep a FIFO or a link planted now from blocking or redirecting us.
    const int fd = ::open(nativeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ELOOP ? ReadResult::NotRegular : errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    if (::fstat(fd, &st) != 0) {
        closeQuietly(fd);
        return ReadResult::Failed;
    }
    if (!S_ISREG(st.st_mode)) {
        closeQuietly(fd);
        return ReadResult::NotRegular;
    }
    if (st.st_size > maxSize) {
        closeQuietly(fd);
        return ReadResult::TooLarge;
    }
    QByteArray out;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof(buffer));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            closeQuietly(fd);
            return ReadResult::Failed;
        }
        if (n == 0)
            break;
        out.append(buffer, int(n));
        // The file may grow while we read it.
        if (out.size() > maxSize) {
            closeQuietly(fd);
            return ReadResult::TooLarge;
        }
    }
    ::close(fd);
    data = out;
    return ReadResult::Ok;
}

bool createFileIfMissing(const QString &path)
{
    const int fd = ::open(nativeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC,
                          0666);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    return errno == EEXIST && fileKind(path) == FileKind::Regular;
}

void setReplaceAbortBeforeCommit(bool abort)
{
    g_abortBeforeCommit = abort;
}

bool replaceFileAtomically(const QString &path, const QByteArray &data, QString *error, const QString &damageReason)
{
    struct stat old;
    bool keepMode = false;
    if (lstatPath(path, old)) {
        switch (kindOf(old)) {
        case FileKind::Regular: keepMode = true; break;
        case FileKind::Link: break; // the link goes, its target stays as it is
        case FileKind::Other:
            if (!damageReason.isEmpty())
                break; // kept aside below, never opened
            Q_FALLTHROUGH();
        default:
            setError(error, QStringLiteral("%1 is not a regular file").arg(path));
            return false;
        }
    } else if (errno != ENOENT) {
        setError(error, QStringLiteral("%1: %2").arg(path, errnoText()));
        return false;
    }

    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    removeStaleTemporaries(folder, info.fileName());
    int fd = -1;
    QString temp;
    for (int attempt = 0; attempt < 64 && fd < 0; ++attempt) {
        temp = QStringLiteral("%1/.%2.%3.tmp")
                   .arg(folder, info.fileName())
                   .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        fd = ::open(nativeName(temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC,
                    0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        setError(error, QStringLiteral("cannot create a file in %1: %2").arg(folder, errnoText()));
        return false;
    }
    const auto discard = [&](const QString &why) {
        closeQuietly(fd);
        ::unlink(nativeName(temp).constData());
        setError(error, why);
        return false;
    };
    if (!writeAll(fd, data))
        return discard(QStringLiteral("cannot write %1: %2").arg(path, errnoText()));
    if (keepMode && ::fchmod(fd, old.st_mode & 07777) != 0)
        return discard(QStringLiteral("cannot keep the permissions of %1: %2").arg(path, errnoText()));
    if (::fsync(fd) != 0)
        return discard(QStringLiteral("cannot write %1: %2").arg(path, errnoText()));
    if (g_abortBeforeCommit)
        return discard(QStringLiteral("aborted before replacing %1").arg(path));
    if (::close(fd) != 0) {
        ::unlink(nativeName(temp).constData());
        setError(error, QStringLiteral("cannot write %1: %2").arg(path, errnoText()));
        return false;
    }
    // A damaged file gets a second name first, so it outlives the rename;
    // where hard links are not to be had, it is renamed and put back should
    // the new content fail to take its place.
    QString aside;
    bool asideIsLink = false;
    const bool keepOld = !damageReason.isEmpty() && fileKind(path) != FileKind::Missing;
    if (keepOld) {
        aside = damagedFileName(path);
        asideIsLink = !aside.isEmpty() && ::link(nativeName(path).constData(), nativeName(aside).constData()) == 0;
        if (!asideIsLink && !aside.isEmpty()
            && ::rename(nativeName(path).constData(), nativeName(aside).constData()) != 0)
            aside.clear();
    }
    if (::rename(nativeName(temp).constData(), nativeName(path).constData()) != 0) {
        const QString why = QStringLiteral("cannot replace %1: %2").arg(path, errnoText());
        ::unlink(nativeName(temp).constData());
        if (!aside.isEmpty()) {
            if (asideIsLink)
                ::unlink(nativeName(aside).constData());
            else
                ::rename(nativeName(aside).constData(), nativeName(path).constData());
        }
        setError(error, why);
        return false;
    }
    if (!aside.isEmpty())
        qCWarning(lcFiles).noquote()
            << QStringLiteral("%1 was damaged (%2); moved aside as %3").arg(path, damageReason, aside);
    else if (keepOld)
        qCWarning(lcFiles).noquote() << QStringLiteral("%1 was damaged (%2) and could not be kept").arg(path, damageReason);
    return true;
}

QString damagedFileName(const QString &path)
{
    const QString stem = path + QStringLiteral(".damaged-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString target = stem;
    for (int n = 2; fileKind(target) != FileKind::Missing; ++n) {
        if (n > 1000)
            return QString();
        target = stem + QStringLiteral("-%1").arg(n);
    }
    return target;
}

QString moveAsideDamaged(const QString &path, const QString &reason)
{
    const FileKind kind = fileKind(path);
    if (kind == FileKind::Missing || kind == FileKind::Directory)
        return QString();
    const QString target = damagedFileName(path);
    if (target.isEmpty())
        return QString();
    if (::rename(nativeName(path).constData(), nativeName(target).constData()) != 0) {
        qCWarning(lcFiles).noquote() << QStringLiteral("%1 is damaged (%2) but could not be moved aside: %3")
                                            .arg(path, reason, errnoText());
        return QString();
    }
    qCWarning(lcFiles).noquote()
        << QStringLiteral("%1 was damaged (%2); moved aside as %3").arg(path, reason, target);
    return target;
}

bool openForAppend(QFile &file, const QString &path)
{
    const FileKind kind = fileKind(path);
    if (kind != FileKind::Missing && kind != FileKind::Regular)
        return false;
    const int fd = ::open(nativeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Append, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

bool isPathInside(const QString &path, const QString &folder)
{
    const QString inner = canonicalEntry(path);
    QString outer = QFileInfo(folder).canonicalFilePath();
    if (outer.isEmpty())
        outer = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (inner == outer)
        return true;
    return inner.startsWith(outer.endsWith(QLatin1Char('/')) ? outer : outer + QLatin1Char('/'));
}
