#pragma once

#include <QElapsedTimer>
#include <QHttpMultiPart>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QUrl>

#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

// One answer of the service as a test sees it.
struct CloudHttpResult
{
    int status = 0; // HTTP status; 0 when the transfer failed
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
    QJsonObject json; // the body, when it is a JSON object
    QList<QNetworkReply::RawHeaderPair> headers;

    int code() const { return json.contains(QStringLiteral("code")) ? json.value(QStringLiteral("code")).toInt() : -1; }
    QString msg() const { return json.value(QStringLiteral("msg")).toString(); }
    QJsonObject data() const { return json.value(QStringLiteral("data")).toObject(); }
    QByteArray header(const QByteArray &name) const
    {
        for (const auto &h : headers) {
            if (h.first.toLower() == name.toLower())
                return h.second;
        }
        return {};
    }
    bool hasHeader(const QByteArray &name) const
    {
        for (const auto &h : headers) {
            if (h.first.toLower() == name.toLower())
                return true;
        }
        return false;
    }
};

// A plain HTTP client for tests against ox8cloud: the requests are built the
// way the program builds them (compact JSON with an Authorization header;
// the archive as one multipart part carrying the token), each call waits
// for its answer (at most 30 s). reset() drops kept-alive connections.
class CloudTestClient
{
public:
    explicit CloudTestClient(const QUrl &base = {})
        : m_base(base)
    {
        reset();
    }

    void setBaseUrl(const QUrl &base) { m_base = base; }
    void setSslConfiguration(const QSslConfiguration &config) { m_ssl = config; m_useSsl = true; }
    void reset() { m_nam = std::make_unique<QNetworkAccessManager>(); }
    QNetworkAccessManager *manager() { return m_nam.get(); }

    QUrl url(const QString &path) const { return QUrl(m_base.toString() + path); }

    CloudHttpResult postJson(const QString &path, const QByteArray &body, const QByteArray &token = {})
    {
        QNetworkRequest request = makeRequest(url(path));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        request.setRawHeader("Authorization", token);
        return wait(m_nam->post(request, body));
    }

    CloudHttpResult postJson(const QString &path, const QJsonObject &body, const QByteArray &token = {})
    {
        return postJson(path, QJsonDocument(body).toJson(QJsonDocument::Compact), token);
    }

    // The archive as the program sends it: one form-data part named "file"
    // with the token as a header of that part (or of the request).
    CloudHttpResult upload(const QByteArray &data, const QString &fileName, const QByteArray &token,
                           bool tokenOnPart = true)
    {
        auto *multi = new QHttpMultiPart(QHttpMultiPart::FormDataType);
        QHttpPart part;
        if (tokenOnPart)
            part.setRawHeader("Authorization", token);
        part.setHeader(QNetworkRequest::ContentDispositionHeader,
                       QStringLiteral("form-data; name=\"file\"; filename=\"%1\"").arg(fileName));
        part.setBody(data);
        multi->append(part);
        QNetworkRequest request = makeRequest(url(QStringLiteral("/v1/file/upload")));
        if (!tokenOnPart)
            request.setRawHeader("Authorization", token);
        QNetworkReply *reply = m_nam->post(request, multi);
        multi->setParent(reply);
        return wait(reply);
    }

    CloudHttpResult get(const QUrl &target)
    {
        return wait(m_nam->get(makeRequest(target)));
    }

    CloudHttpResult send(const QNetworkRequest &request, const QByteArray &verb, const QByteArray &body = {})
    {
        return wait(m_nam->sendCustomRequest(request, verb, body));
    }

    // Conveniences for tests that need an account and a login.
    int registerAccount(const QString &email, const QString &password, const QString &nickname = QStringLiteral("Ann"))
    {
        return postJson(QStringLiteral("/v1/user/register"),
                        QJsonObject{{QStringLiteral("nickname"), nickname},
                                    {QStringLiteral("email"), email},
                                    {QStringLiteral("password"), password},
                                    {QStringLiteral("rePassword"), password}})
            .code();
    }

    // The token of a successful login, or empty.
    QByteArray login(const QString &email, const QString &password)
    {
        const CloudHttpResult r = postJson(QStringLiteral("/v1/user/login"),
                                           QJsonObject{{QStringLiteral("email"), email},
                                                       {QStringLiteral("password"), password}});
        return r.code() == 0 ? r.header("Authorization") : QByteArray();
    }

    // Sends bytes on a fresh TCP connection and returns what comes back until
    // the service closes it (or timeoutMs passes): for requests a
    // well-behaved HTTP client would not send.
    static QByteArray rawExchange(const QUrl &base, const QByteArray &request, int timeoutMs = 10000)
    {
        // Plain POSIX sockets: every byte the service sent before closing is
        // read, however the closing races with the reading.
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (fd < 0)
            return {};
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(quint16(base.port()));
        ::inet_pton(AF_INET, base.host().toLatin1().constData(), &address.sin_addr);
        QByteArray answer;
        if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
            && ::send(fd, request.constData(), std::size_t(request.size()), MSG_NOSIGNAL) == request.size()) {
            QElapsedTimer timer;
            timer.start();
            char buffer[4096];
            while (timer.elapsed() < timeoutMs && !isComplete(answer)) {
                pollfd p{fd, POLLIN, 0};
                if (::poll(&p, 1, 100) <= 0)
                    continue;
                const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                answer.append(buffer, int(n));
            }
        }
        ::close(fd);
        return answer;
    }

private:
    // A whole response with a Content-Length has arrived.
    static bool isComplete(const QByteArray &answer)
    {
        const int end = answer.indexOf("\r\n\r\n");
        if (end < 0)
            return false;
        const QList<QByteArray> lines = answer.left(end).split('\n');
        for (const QByteArray &line : lines) {
            if (line.toLower().startsWith("content-length:"))
                return answer.size() - end - 4 >= line.mid(15).trimmed().toLongLong();
        }
        return false;
    }

    QNetworkRequest makeRequest(const QUrl &target) const
    {
        QNetworkRequest request(target);
        if (m_useSsl)
            request.setSslConfiguration(m_ssl);
        return request;
    }

    static CloudHttpResult wait(QNetworkReply *reply)
    {
        QSignalSpy finished(reply, &QNetworkReply::finished);
        if (!reply->isFinished())
            finished.wait(30000);
        CloudHttpResult r;
        r.error = reply->error();
        r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        r.body = reply->readAll();
        r.headers = reply->rawHeaderPairs();
        const QJsonDocument doc = QJsonDocument::fromJson(r.body);
        if (doc.isObject())
            r.json = doc.object();
        reply->deleteLater();
        return r;
    }

    QUrl m_base;
    std::unique_ptr<QNetworkAccessManager> m_nam;
    QSslConfiguration m_ssl;
    bool m_useSsl = false;
};
