#pragma once

#include <QNetworkReply>

#include <cstring>

// A network reply served from memory, for harnesses that hand the service's
// answers to the code that reads them. Finished at once when built with a
// body; finish() ends one that a fake network access manager handed out
// unfinished, with the HTTP status and transport error the input picked.
class CannedReply final : public QNetworkReply
{
public:
    CannedReply(const QByteArray &body, bool failed)
        : m_body(body)
    {
        setOpenMode(QIODevice::ReadOnly);
        if (failed)
            setError(QNetworkReply::ConnectionRefusedError, QStringLiteral("refused"));
        setFinished(true);
    }
    // An unfinished reply to a request.
    CannedReply(QNetworkAccessManager::Operation op, const QNetworkRequest &request)
    {
        setOpenMode(QIODevice::ReadOnly);
        setRequest(request);
        setUrl(request.url());
        setOperation(op);
    }

    // httpStatus 0 means no HTTP status at all (the transfer never got one).
    void finish(int httpStatus, QNetworkReply::NetworkError error, const QByteArray &body)
    {
        if (isFinished())
            return;
        m_body = body;
        if (httpStatus)
            setAttribute(QNetworkRequest::HttpStatusCodeAttribute, httpStatus);
        if (error != QNetworkReply::NoError)
            setError(error, QStringLiteral("error %1").arg(int(error)));
        setFinished(true);
        emit finished();
    }
    bool aborted() const { return m_aborted; }

    void abort() override
    {
        if (isFinished())
            return;
        m_aborted = true;
        finish(0, QNetworkReply::OperationCanceledError, QByteArray());
    }
    qint64 bytesAvailable() const override { return m_body.size() - m_pos + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = qMin<qint64>(maxSize, m_body.size() - m_pos);
        if (n <= 0)
            return -1;
        std::memcpy(data, m_body.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }

private:
    QByteArray m_body;
    qint64 m_pos = 0;
    bool m_aborted = false;
};
