#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QUrl>
#include <QVector>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

// One simulated user of the program: logs in, uploads a configuration
// archive, saves the record, asks for it back and downloads it, again and
// again until the deadline, checking every byte. Lives on the thread that
// runs the event loop; each client has its own connections.
class LoadClient : public QObject
{
    Q_OBJECT

public:
    LoadClient(const QUrl &base, const QString &email, const QString &password, int archiveBytes, int seed,
               QObject *parent = nullptr);
    ~LoadClient() override;

    void start(qint64 deadlineMs, const QElapsedTimer *clock);

    // Milliseconds of every request by kind: "login", "upload", "save", "get", "download".
    const QMap<QString, QVector<double>> &latencies() const { return m_latencies; }
    int roundTrips() const { return m_roundTrips; }
    int failures() const { return m_failures; }
    int corrupted() const { return m_corrupted; }
    QStringList errors() const { return m_errors; }

signals:
    void finished();

private:
    enum class Step { Login, Upload, Save, Get, Download };

    void next();
    void send(Step step);
    void onReply(QNetworkReply *reply);
    void fail(const QString &why);
    QByteArray archive(int round) const;

    QUrl m_base;
    QString m_email;
    QString m_password;
    int m_archiveBytes;
    int m_seed;
    std::unique_ptr<QNetworkAccessManager> m_nam;
    const QElapsedTimer *m_clock = nullptr;
    qint64 m_deadline = 0;
    qint64 m_sentAt = 0;
    Step m_step = Step::Login;
    QByteArray m_token;
    QByteArray m_uploaded;
    QString m_filePath;
    int m_round = 0;
    int m_roundTrips = 0;
    int m_failures = 0;
    int m_corrupted = 0;
    QStringList m_errors;
    QMap<QString, QVector<double>> m_latencies;
};
