#pragma once

#include <QApplication>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

// Where the lock file and the local socket live: the per-user runtime
// directory when it is private to us (XDG_RUNTIME_DIR: an absolute path to a
// directory we own that nobody else may enter), otherwise APP. Never the
// shared temp folder, where another user could take the name first and keep
// the program from ever starting.
QString singleInstanceDirectory(const QByteArray &runtimeDir, const QString &appDir);
QString singleInstanceDirectory(); // from the environment and appDirectory()

// Keeps one running instance per key and user: the first holds a lock file
// and listens on a local socket; later ones find the lock taken and hand
// their message to the first.
class SingleInstanceGuard : public QObject
{
    Q_OBJECT

public:
    // lockDir: where the lock file and the socket live
    // (singleInstanceDirectory() by default).
    explicit SingleInstanceGuard(const QString &key, const QString &lockDir = QString(),
                                 QObject *parent = nullptr);
    ~SingleInstanceGuard() override;

    // True when another instance holds the key.
    bool isRunning() const { return !m_primary; }
    // Sends message to the running instance; false when it did not arrive in time.
    bool sendMessage(const QString &message, int timeoutMs) const;
    // The name both files are built from; the full paths of the two.
    QString serverName() const { return m_serverName; }
    QString lockPath() const { return m_lockPath; }
    QString socketPath() const { return m_socketPath; }

signals:
    void messageReceived(const QString &message);

private:
    void listen();

    QString m_serverName;
    QString m_lockPath;
    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    bool m_primary = false;
};

// The application object with the single-instance guard.
class QtSingleApplication : public QApplication
{
    Q_OBJECT

public:
    QtSingleApplication(const QString &key, int &argc, char **argv);
    ~QtSingleApplication() override;

    bool isRunning() const { return m_guard->isRunning(); }
    bool sendMessage(const QString &message, int timeoutMs = 5000) const
    {
        return m_guard->sendMessage(message, timeoutMs);
    }

signals:
    void messageReceived(const QString &message);

private:
    SingleInstanceGuard *m_guard;
};
