#include "platform/lockfile.h"

#include <QDateTime>
#include <QDebug>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLockFile>

namespace {
// A live holder writes its id right after creating the file; anything older
// than this without one was left by a holder that died in between.
constexpr qint64 kUnwrittenLockGraceMs = 1000;
constexpr int kRetrySliceMs = 100;

bool holdsNothingReadable(const QLockFile &lock, const QString &path)
{
    qint64 pid = 0;
    QString host;
    QString app;
    if (lock.getLockInfo(&pid, &host, &app))
        return false;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile() || info.isSymLink())
        return false;
    const qint64 age = info.lastModified().msecsTo(QDateTime::currentDateTime());
    return age > kUnwrittenLockGraceMs;
}
} // namespace

bool lockTakingOverTheDead(QLockFile &lock, const QString &path, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        const qint64 left = timeoutMs - timer.elapsed();
        if (lock.tryLock(int(qBound(qint64(0), left, qint64(kRetrySliceMs)))))
            return true;
        if (lock.error() != QLockFile::LockFailedError)
            return false;
        if (holdsNothingReadable(lock, path)) {
            qWarning().noquote() << "taking over an empty lock file left by a killed process:" << path;
            lock.removeStaleLockFile();
            continue;
        }
        if (left <= 0)
            return false;
    }
}
