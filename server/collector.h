#pragma once

#include <QByteArray>
#include <QString>

#include <mutex>

// Records the analytics hits posted to /collect: one JSON line per hit in
// the data folder with the raw body and the User-Agent, Connection and
// Content-Type headers, for a look at what the program sends and for the
// analytics client's tests. Test mode can make the next answers fail.
// Appends only (a crash can cut the last line, which readers skip); stops
// recording at maxBytes. Thread-safe.
namespace ox8cloud {

struct Hit
{
    QByteArray method;
    QByteArray body; // POST body, or the query of a GET
    QByteArray userAgent;
    QByteArray connection;
    QByteArray contentType;
};

class Collector
{
public:
    explicit Collector(const QString &path, qint64 maxBytes = 64 * 1024 * 1024);

    // Stores the hit; returns the HTTP status to answer with.
    int record(const Hit &hit, qint64 receivedAtMs);
    // Every recorded hit, oldest first, as a JSON array.
    QByteArray hitsJson() const;
    // The next `count` hits are answered with `status` (still recorded).
    void failNext(int status, int count);

private:
    QString m_path;
    qint64 m_maxBytes;
    mutable std::mutex m_mutex;
    int m_failStatus = 0;
    int m_failCount = 0;
    bool m_fullLogged = false;
};

} // namespace ox8cloud
