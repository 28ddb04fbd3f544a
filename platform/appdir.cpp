#include "platform/appdir.h"

#include "platform/safefile.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStringList>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {
QMutex g_mutex;
QString g_override;
QString g_resolved;

// The folder of the running executable, also before the application object
// exists (the log handler may ask that early).
QString executableDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (!self.isEmpty())
        return QFileInfo(self).absolutePath();
    return QDir::currentPath();
}

QString installedDataDirectoryFor(const QString &exeDir)
{
    const QString candidate = QDir::cleanPath(exeDir + QStringLiteral("/../share/ox8driver"));
    return QFileInfo(candidate).isDir() ? candidate : QString();
}

QString resolve(QStringList &warnings)
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return resolveAppDirectory(executableDir(), base, &warnings);
}
} // namespace

QString resolveAppDirectory(const QString &exeDir, const QString &userDataBase, QStringList *warnings)
{
    // An installed program never keeps APP beside itself, even where it may
    // write there (root and /usr/bin).
    const QString seed = installedDataDirectoryFor(exeDir);
    if (seed.isEmpty() && isDirectoryWritable(exeDir))
        return exeDir;

    const QString user = QDir::cleanPath(userDataBase + QStringLiteral("/OX8Driver"));
    QDir().mkpath(user);
    QStringList problems;
    if (!seed.isEmpty() && !seedDirectory(seed, user, seededRefreshFolders()))
        problems << QStringLiteral("appDirectory: could not seed %1 from %2").arg(user, seed);
    if (!isDirectoryWritable(user))
        problems << QStringLiteral("appDirectory: application directory is not writable: %1").arg(user);
    if (warnings)
        *warnings << problems;
    return user;
}

bool isDirectoryWritable(const QString &dir)
{
    if (dir.isEmpty() || !QDir().mkpath(dir))
        return false;
    QTemporaryFile probe(dir + QStringLiteral("/.ox8-write-probe-XXXXXX"));
    return probe.open();
}

QString appDirectory()
{
    const QByteArray env = qgetenv("OX8_APP_DIR");
    if (!env.isEmpty())
        return QDir::cleanPath(QString::fromLocal8Bit(env));

    QStringList warnings;
    QString dir;
    {
        QMutexLocker lock(&g_mutex);
        if (!g_override.isEmpty())
            return g_override;
        if (g_resolved.isEmpty())
            g_resolved = resolve(warnings);
        dir = g_resolved;
    }
    for (const QString &w : warnings)
        qWarning().noquote() << w;
    return dir;
}

void setAppDirectory(const QString &dir)
{
    QMutexLocker lock(&g_mutex);
    g_override = dir.isEmpty() ? QString() : QDir::cleanPath(dir);
    g_resolved.clear();
}

QString installedDataDirectory()
{
    return installedDataDirectoryFor(executableDir());
}

QStringList seededRefreshFolders()
{
    return {QStringLiteral("Language"), QStringLiteral("Font")};
}

bool seedDirectory(const QString &from, const QString &to, const QStringList &refreshFolders)
{
    // Installed data is fonts and small files; anything larger is not ours.
    constexpr qint64 kMaxSeedFileSize = 128 * 1024 * 1024;
    bool ok = true;
    const QDir source(from);
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        if (QFileInfo(file).isSymLink())
            continue;
        const QString relative = source.relativeFilePath(file);
        const QString target = to + QLatin1Char('/') + relative;
        bool refresh = false;
        for (const QString &folder : refreshFolders)
            refresh = refresh || relative.startsWith(folder + QLatin1Char('/'));

        const FileKind kind = fileKind(target);
        if (kind == FileKind::Regular && !refresh)
            continue; // the user's own: profiles, macros, settings
        if (kind != FileKind::Missing && kind != FileKind::Regular) {
            ok = false; // a link or folder in the way is never written through
            continue;
        }
        QByteArray data;
        if (readRegularFile(file, kMaxSeedFileSize, data) != ReadResult::Ok) {
            ok = false;
            continue;
        }
        if (kind == FileKind::Regular) {
            QByteArray current;
            if (readRegularFile(target, kMaxSeedFileSize, current) == ReadResult::Ok && current == data)
                continue;
        }
        if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !replaceFileAtomically(target, data)) {
            ok = false;
            continue;
        }
        // Installed data is read-only; the user's copy must stay writable.
        QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner | QFile::ReadOwner);
    }
    return ok;
}
