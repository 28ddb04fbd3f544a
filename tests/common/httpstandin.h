#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <functional>

// A small HTTP/1.1 server on 127.0.0.1 with a free port, for client tests:
// it records every request and answers from a script (or a handler). One
// request per connection; answers close the connection. Requests are
// bounded (64 KiB of headers, 16 MiB of body).
class HttpStandIn : public QObject
{
public:
    struct Request
    {
        QByteArray method;
        QByteArray path; // with the query
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };
    struct Answer
    {
        int status = 200;
        QByteArray contentType = "application/json";
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
        bool dropConnection = false; // close without answering
    };

    HttpStandIn()
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] { accept(); });
        m_server.listen(QHostAddress::LocalHost, 0);
    }

    bool isListening() const { return m_server.isListening(); }
    QUrl url(const QString &path = {}) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }

    // Answers in order; when the script runs out the last answer repeats.
    void script(const QList<Answer> &answers) { m_script = answers; }
    void answerWith(const Answer &answer) { m_script = {answer}; }
    // A handler overrides the script.
    void setHandler(std::function<Answer(const Request &)> handler) { m_handler = std::move(handler); }

    const QList<Request> &requests() const { return m_requests; }

    static Answer json(const QByteArray &body, int status = 200) { return Answer{status, "application/json", body, {}, false}; }

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void readFrom(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        const int end = buffer.indexOf("\r\n\r\n");
        if (end < 0) {
            if (buffer.size() > 64 * 1024)
                socket->abort();
            return;
        }
        Request request;
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.method = first.value(0);
        request.path = first.value(1);
        for (int i = 1; i < lines.size(); ++i) {
            const int colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
        }
        const qint64 length = request.headers.value("content-length").toLongLong();
        if (length < 0 || length > 16 * 1024 * 1024) {
            socket->abort();
            return;
        }
        if (buffer.size() - end - 4 < length)
            return;
        request.body = buffer.mid(end + 4, int(length));
        m_buffers.remove(socket);
        m_requests.append(request);

        Answer answer;
        if (m_handler)
            answer = m_handler(request);
        else if (!m_script.isEmpty())
            answer = m_script.size() > 1 ? m_script.takeFirst() : m_script.first();
        if (answer.dropConnection) {
            socket->abort();
            return;
        }
        QByteArray out = "HTTP/1.1 " + QByteArray::number(answer.status) + " Status\r\n";
        out += "Content-Type: " + answer.contentType + "\r\n";
        out += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
        for (const auto &h : answer.headers)
            out += h.first + ": " + h.second + "\r\n";
        out += "Connection: close\r\n\r\n";
        out += answer.body;
        socket->write(out);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QMap<QTcpSocket *, QByteArray> m_buffers;
    QList<Answer> m_script;
    std::function<Answer(const Request &)> m_handler;
    QList<Request> m_requests;
};
