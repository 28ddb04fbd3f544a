#include "server/collector.h"

#include "server/serverlog.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace ox8cloud {

Collector::Collector(const QString &path, qint64 maxBytes)
    : m_path(path)
    , m_maxBytes(maxBytes)
{
}

int Collector::record(const Hit &hit, qint64 receivedAtMs)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    int status = 200;
    if (m_failCount > 0) {
        --m_failCount;
        status = m_failStatus;
    }
    const QJsonObject line{
        {QStringLiteral("time"), QDateTime::fromMSecsSinceEpoch(receivedAtMs, Qt::UTC).toString(Qt::ISODateWithMs)},
        {QStringLiteral("method"), QString::fromLatin1(hit.method)},
        {QStringLiteral("userAgent"), QString::fromUtf8(hit.userAgent)},
        {QStringLiteral("connection"), QString::fromUtf8(hit.connection)},
        {QStringLiteral("contentType"), QString::fromUtf8(hit.contentType)},
        {QStringLiteral("body"), QString::fromUtf8(hit.body)},
        {QStringLiteral("status"), status},
    };
    const QByteArray bytes = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
    QFile file(m_path);
    if (file.size() + bytes.size() > m_maxBytes) {
        if (!m_fullLogged)
            logLine(QStringLiteral("analytics file %1 is full; further hits are not recorded").arg(m_path));
        m_fullLogged = true;
        return status;
    }
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(bytes) != bytes.size())
        logLine(QStringLiteral("cannot record an analytics hit in %1").arg(m_path));
    return status;
}

QByteArray Collector::hitsJson() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QJsonArray hits;
    QFile file(m_path);
    if (file.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (const QByteArray &line : lines) {
            const QJsonDocument doc = QJsonDocument::fromJson(line);
            if (doc.isObject())
                hits.append(doc.object());
        }
    }
    return QJsonDocument(hits).toJson(QJsonDocument::Compact);
}

void Collector::failNext(int status, int count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failStatus = status;
    m_failCount = count;
}

} // namespace ox8cloud
