#include "server/attemptlimiter.h"

#include <algorithm>

namespace ox8cloud {

AttemptLimiter::AttemptLimiter(int limit, qint64 windowSeconds, int maxKeys)
    : m_limit(std::max(1, limit))
    , m_window(std::max<qint64>(1, windowSeconds))
    , m_maxKeys(std::max(1, maxKeys))
{
}

QVector<qint64> AttemptLimiter::recentLocked(const QString &key, qint64 now) const
{
    QVector<qint64> recent;
    const auto it = m_events.constFind(key);
    if (it == m_events.constEnd())
        return recent;
    for (const qint64 t : it.value()) {
        if (t > now - m_window && t <= now)
            recent.append(t);
    }
    return recent;
}

bool AttemptLimiter::isBlocked(const QString &key, qint64 now) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return recentLocked(key, now).size() >= m_limit;
}

qint64 AttemptLimiter::secondsUntilFree(const QString &key, qint64 now) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const QVector<qint64> recent = recentLocked(key, now);
    if (recent.size() < m_limit)
        return 0;
    // Free once the oldest counted event leaves the window.
    return recent.at(recent.size() - m_limit) + m_window - now;
}

void AttemptLimiter::record(const QString &key, qint64 now)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    recordLocked(key, now);
}

bool AttemptLimiter::recordIfFree(const QString &key, qint64 now)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (recentLocked(key, now).size() >= m_limit)
        return false;
    recordLocked(key, now);
    return true;
}

void AttemptLimiter::recordLocked(const QString &key, qint64 now)
{
    if (!m_events.contains(key) && m_events.size() >= m_maxKeys)
        forgetOldestLocked(now);
    QVector<qint64> recent = recentLocked(key, now);
    recent.append(now);
    while (recent.size() > m_limit)
        recent.removeFirst();
    m_events.insert(key, recent);
}

void AttemptLimiter::clear(const QString &key)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.remove(key);
}

void AttemptLimiter::forgetOldestLocked(qint64 now)
{
    // Expired keys first; if none, the key whose newest event is oldest.
    for (auto it = m_events.begin(); it != m_events.end();) {
        if (it.value().isEmpty() || it.value().last() <= now - m_window)
            it = m_events.erase(it);
        else
            ++it;
    }
    if (m_events.size() < m_maxKeys)
        return;
    auto oldest = m_events.begin();
    for (auto it = m_events.begin(); it != m_events.end(); ++it) {
        if (it.value().last() < oldest.value().last())
            oldest = it;
    }
    m_events.erase(oldest);
}

} // namespace ox8cloud
