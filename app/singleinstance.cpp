#include "app/singleinstance.h"

#include "platform/appdir.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QFile>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include <sys/stat.h>
#include <unistd.h>

namespace {
// One name per key and user, safe as a socket and file name.
QString instanceName(const QString &key)
{
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("ox8-single-%1-%2").arg(QString::fromLatin1(hash)).arg(getuid());
}
// A directory of our own that no other user may enter or write to.
bool isPrivateDirectory(const QByteArray &path)
{
    struct stat st;
    if (::stat(path.constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}
} // namespace

QString singleInstanceDirectory(const QByteArray &runtimeDir, const QString &appDir)
{
    if (runtimeDir.startsWith('/') && isPrivateDirectory(runtimeDir))
        return QDir::cleanPath(QFile::decodeName(runtimeDir));
    return appDir;
}

QString singleInstanceDirectory()
{
    return singleInstanceDirectory(qgetenv("XDG_RUNTIME_DIR"), appDirectory());
}

SingleInstanceGuard::SingleInstanceGuard(const QString &key, const QString &lockDir, QObject *parent)
    : QObject(parent)
    , m_serverName(instanceName(key))
{
    const QString dir = lockDir.isEmpty() ? singleInstanceDirectory() : lockDir;
    QDir().mkpath(dir);
    m_lockPath = dir + QLatin1Char('/') + m_serverName + QStringLiteral(".lock");
    // A path, not a bare name: a bare name would put the socket in the temp folder.
    m_socketPath = dir + QLatin1Char('/') + m_serverName + QStringLiteral(".socket");
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    m_lock->setStaleLockTime(0); // a lock whose owner died is stale however young
    m_primary = m_lock->tryLock(0);
    if (!m_primary && m_lock->error() == QLockFile::LockFailedError) {
        // Owner gone without cleaning up: take over.
        if (m_lock->removeStaleLockFile())
            m_primary = m_lock->tryLock(0);
    }
    if (m_primary)
        listen();
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (m_server)
        m_server->close();
    if (m_primary)
        m_lock->unlock();
}

void SingleInstanceGuard::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(m_socketPath); // left over by a crashed instance
    if (!m_server->listen(m_socketPath)) {
        qWarning() << "SingleInstanceGuard: cannot listen on" << m_socketPath << m_server->errorString();
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                // Messages are one UTF-8 line each; a line over 64 KiB is dropped.
                while (socket->canReadLine()) {
                    const QByteArray line = socket->readLine(65536);
                    emit messageReceived(QString::fromUtf8(line).trimmed());
                }
                if (socket->bytesAvailable() > 65536)
                    socket->abort();
            });
        }
    });
}

bool SingleInstanceGuard::sendMessage(const QString &message, int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray data = message.toUtf8();
    data.replace('\n', ' ');
    data.append('\n');
    socket.write(data);
    const bool ok = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return ok;
}

QtSingleApplication::QtSingleApplication(const QString &key, int &argc, char **argv)
    : QApplication(argc, argv)
    , m_guard(new SingleInstanceGuard(key, QString(), this))
{
    connect(m_guard, &SingleInstanceGuard::messageReceived, this, &QtSingleApplication::messageReceived);
}

QtSingleApplication::~QtSingleApplication() = default;
