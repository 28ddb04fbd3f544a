#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// Fetches one file over HTTP(S) and keeps its body for the owner. Only
// addresses the program may fetch from are requested (https, or http on
// this machine), redirects never lower the scheme, and a reply counts only
// when the transfer succeeded with an HTTP 2xx status within the size
// limit: an error page is never handed on as a file.
class FileDownloader : public QObject
{
    Q_OBJECT

public:
    explicit FileDownloader(QObject *parent = nullptr);
    ~FileDownloader() override;

    // Bodies above this many bytes are abandoned (0: no limit).
    void setMaximumSize(qint64 bytes) { m_maximumSize = bytes; }
    // A transfer that receives nothing for this many milliseconds fails
    // (0: it may wait for ever, the default).
    void setTransferTimeout(int ms);

    void startDownlod(const QUrl &url);
    // The body of the download that finished last; empty when it failed.
    QByteArray downloadedData() const { return m_data; }
    bool succeeded() const { return m_succeeded; }
    // Why the last download failed, for the log.
    QString errorString() const { return m_error; }
    int httpStatus() const { return m_httpStatus; }
    QString contentType() const { return m_contentType; }

signals:
    void downloaded();
    void sig_Progress(qint64 received, qint64 total);

public slots:
    void fileDownloaded(QNetworkReply *pReply);

private:
    void fail(const QString &why);

    QNetworkAccessManager *m_network;
    QByteArray m_data;
    bool m_succeeded = false;
    QString m_error;
    int m_httpStatus = 0;
    QString m_contentType;
    qint64 m_maximumSize = 0;
};
