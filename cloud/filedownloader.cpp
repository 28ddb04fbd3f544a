#include "cloud/filedownloader.h"

#include "config/servicesettings.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QTimer>

FileDownloader::FileDownloader(QObject *parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
{
    connect(m_network, &QNetworkAccessManager::finished, this, &FileDownloader::fileDownloaded);
}

FileDownloader::~FileDownloader() = default;

void FileDownloader::setTransferTimeout(int ms)
{
    m_network->setTransferTimeout(qMax(0, ms));
}

void FileDownloader::fail(const QString &why)
{
    m_data.clear();
    m_succeeded = false;
    m_error = why;
    qDebug() << "fileDownloaded failed:" << why;
}

void FileDownloader::startDownlod(const QUrl &url)
{
    qDebug() << "FileDownloader::startDownlod" << QThread::currentThread();
    if (!isAllowedRemoteUrl(url)) {
        // Answer asynchronously like a real reply, so callers see one path.
        QTimer::singleShot(0, this, [this, url] {
            m_httpStatus = 0;
            m_contentType.clear();
            fail(QStringLiteral("refused address %1").arg(url.toDisplayString()));
            emit downloaded();
        });
        return;
    }
    QNetworkRequest request(url);
    // Every redirect is checked here: never to an address we would not fetch
    // from, and never from https down to plain http.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    QNetworkReply *reply = m_network->get(request);
    const qint64 limit = m_maximumSize;
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply, limit](qint64 received, qint64 total) {
        if (limit > 0 && (received > limit || total > limit)) {
            reply->setProperty("ox8TooLarge", true);
            reply->abort();
            return;
        }
        emit sig_Progress(received, total);
    });
    connect(reply, &QNetworkReply::redirected, this, [reply, url](const QUrl &target) {
        const bool lowersScheme = url.scheme() == QLatin1String("https") && target.scheme() != QLatin1String("https");
        if (isAllowedRemoteUrl(target) && !lowersScheme) {
            emit reply->redirectAllowed();
            return;
        }
        qDebug() << "fileDownloaded refused redirect to" << target.toDisplayString();
        reply->abort();
    });
}

void FileDownloader::fileDownloaded(QNetworkReply *pReply)
{
    qDebug() << "fileDownloaded";
    pReply->deleteLater();
    m_httpStatus = pReply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_contentType = pReply->header(QNetworkRequest::ContentTypeHeader).toString();
    if (pReply->property("ox8TooLarge").toBool()) {
        fail(QStringLiteral("larger than %1 bytes").arg(m_maximumSize));
    } else if (pReply->error() != QNetworkReply::NoError) {
        fail(pReply->errorString());
    } else if (m_httpStatus < 200 || m_httpStatus > 299) {
        fail(QStringLiteral("HTTP status %1").arg(m_httpStatus));
    } else {
        m_data = pReply->readAll();
        // A connection that closes early can end without an error: what
        // came must be what was announced (unless the body was re-encoded
        // on the way, which changes its length).
        const QVariant announced = pReply->header(QNetworkRequest::ContentLengthHeader);
        const QByteArray encoding = pReply->rawHeader("Content-Encoding").trimmed().toLower();
        const bool cutShort = announced.isValid() && (encoding.isEmpty() || encoding == "identity")
                              && announced.toLongLong() != m_data.size();
        if (m_maximumSize > 0 && m_data.size() > m_maximumSize) {
            fail(QStringLiteral("larger than %1 bytes").arg(m_maximumSize));
        } else if (cutShort) {
            fail(QStringLiteral("body cut short: %1 of %2 bytes").arg(m_data.size()).arg(announced.toLongLong()));
        } else {
            m_succeeded = true;
            m_error.clear();
        }
    }
    emit downloaded();
}
