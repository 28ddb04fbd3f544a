#pragma once

#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

// A server on 127.0.0.1 (free port) that accepts connections, reads what
// comes and never answers: for the waits that must end by their time-out.
// Connections close when the object goes.
class SilentServer : public QObject
{
public:
    SilentServer()
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                m_sockets.append(socket);
                QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                    m_received += socket->readAll();
                    // Bounded: a test never needs more than this.
                    if (m_received.size() > 64 * 1024 * 1024)
                        socket->abort();
                });
            }
        });
        m_server.listen(QHostAddress::LocalHost, 0);
    }

    bool isListening() const { return m_server.isListening(); }
    QUrl url(const QString &path = {}) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }
    int connections() const { return m_sockets.size(); }
    QByteArray received() const { return m_received; }

private:
    QTcpServer m_server;
    QList<QPointer<QTcpSocket>> m_sockets;
    QByteArray m_received;
};
