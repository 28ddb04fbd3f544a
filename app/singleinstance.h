#pragma once

#include <QApplication>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

// Keeps one running instance per key and user: the first holds a lock file
// and listens on a local socket; later ones find the lock taken and hand
// their message to the first.
class SingleInstanceGuard : public QObject
{
    Q_OBJECT

public:
    // lockDir: where the lock file lives (the temp folder by default).
    explicit SingleInstanceGuard(const QString &key, const QString &lockDir = QString(),
                                 QObject *parent = nullptr);
    ~SingleInstanceGuard() override;

    // True when another instance holds the key.
    bool isRunning() const { return !m_primary; }
    // Sends message to the running instance; false when it did not arrive in time.
    bool sendMessage(const QString &message, int timeoutMs) const;
    QString serverName() const { return m_serverName; }

signals:
    void messageReceived(const QString &message);

private:
    void listen();

    QString m_serverName;
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
