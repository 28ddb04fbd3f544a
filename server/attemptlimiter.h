#pragma once

#include <QHash>
#include <QString>
#include <QVector>

#include <mutex>

// Counts events per key (wrong passwords per account, recovery mails per
// e-mail) within a sliding window and says when a key has reached its
// limit. Kept in memory: limits hold per server process. The number of keys
// is bounded; the oldest are forgotten first. Thread-safe.
namespace ox8cloud {

class AttemptLimiter
{
public:
    AttemptLimiter(int limit, qint64 windowSeconds, int maxKeys = 100000);

    // True while key has `limit` events within the window ending at now.
    bool isBlocked(const QString &key, qint64 now) const;
    // Seconds until isBlocked turns false; 0 when not blocked.
    qint64 secondsUntilFree(const QString &key, qint64 now) const;
    void record(const QString &key, qint64 now);
    // record() unless the key is blocked, in one step; false when blocked.
    bool recordIfFree(const QString &key, qint64 now);
    void clear(const QString &key);

private:
    QVector<qint64> recentLocked(const QString &key, qint64 now) const;
    void recordLocked(const QString &key, qint64 now);
    void forgetOldestLocked(qint64 now);

    int m_limit;
    qint64 m_window;
    int m_maxKeys;
    mutable std::mutex m_mutex;
    QHash<QString, QVector<qint64>> m_events; // oldest first, at most m_limit each
};

} // namespace ox8cloud
