#pragma once

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

#ifndef OX8_CLOUD_PATH
#error "Add ox8_use_cloud_server(<test target>) to the test's CMakeLists.txt"
#endif

// Runs the built ox8cloud for a test: on 127.0.0.1 with a port the system
// picks, a fresh data folder, test mode (/test/ helpers, a clock the test can
// move) and no delay on wrong passwords unless the test passes its own
// options. The data folder lives as long as this object, so stop() and
// start() again give the same service a restart. Tests talk real HTTP to
// baseUrl(). Not thread-safe; use it from the test's thread.
class CloudServerProcess
{
public:
    CloudServerProcess() = default;
    ~CloudServerProcess() { stop(); }

    CloudServerProcess(const CloudServerProcess &) = delete;
    CloudServerProcess &operator=(const CloudServerProcess &) = delete;

    static QString program() { return QStringLiteral(OX8_CLOUD_PATH); }

    // A PostgreSQL database instead of SQLite, for start() and admin().
    void setDatabaseUrl(const QString &url) { m_database = url; }

    // extra: further ox8cloud options, e.g. {"--fail-delay-ms", "300"}.
    // Waits until the service says where it listens (at most 30 s).
    bool start(const QStringList &extra = {})
    {
        stop();
        if (!m_dir.isValid())
            return false;
        m_process = std::make_unique<QProcess>();
        m_process->setProgram(program());
        QStringList args = {QStringLiteral("--data"), dataDir(), QStringLiteral("--listen"),
                            QStringLiteral("127.0.0.1:0"), QStringLiteral("--test-mode"),
                            QStringLiteral("--fail-delay-ms"), QStringLiteral("0")};
        if (!m_database.isEmpty())
            args << QStringLiteral("--database") << m_database;
        m_process->setArguments(args + extra);
        m_process->start();
        if (!m_process->waitForStarted(30000))
            return false;
        static const QRegularExpression line(QStringLiteral("ox8cloud listening on (https?://\\S+)"));
        QByteArray out;
        const QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired()) {
            out += m_process->readAllStandardOutput();
            const QRegularExpressionMatch m = line.match(QString::fromUtf8(out));
            if (m.hasMatch()) {
                m_base = QUrl(m.captured(1));
                return true;
            }
            if (m_process->state() != QProcess::Running)
                break;
            m_process->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        }
        m_log += m_process->readAllStandardError();
        qWarning("ox8cloud did not start: %s", m_log.constData());
        return false;
    }

    // SIGTERM, then waits; true when the service ended by itself with code 0.
    bool stop()
    {
        if (!m_process)
            return true;
        bool clean = true;
        if (m_process->state() != QProcess::NotRunning) {
            m_process->terminate();
            if (!m_process->waitForFinished(30000)) {
                m_process->kill();
                m_process->waitForFinished(10000);
                clean = false;
            }
        }
        clean = clean && m_process->exitStatus() == QProcess::NormalExit && m_process->exitCode() == 0;
        m_log += m_process->readAllStandardError();
        m_process.reset();
        return clean;
    }

    // Waits for the service to end by itself (after a signal the test sent);
    // true when it ended with code 0.
    bool waitForExit(int timeoutMs = 30000)
    {
        if (!m_process)
            return true;
        if (!m_process->waitForFinished(timeoutMs) && m_process->state() != QProcess::NotRunning)
            return false;
        const bool clean = m_process->exitStatus() == QProcess::NormalExit && m_process->exitCode() == 0;
        m_log += m_process->readAllStandardError();
        m_process.reset();
        return clean;
    }

    // SIGKILL: the service dies on the spot, e.g. in the middle of a download.
    void kill()
    {
        if (!m_process)
            return;
        m_process->kill();
        m_process->waitForFinished(10000);
        m_log += m_process->readAllStandardError();
        m_process.reset();
    }

    bool isRunning() const { return m_process && m_process->state() == QProcess::Running; }
    qint64 processId() const { return m_process ? m_process->processId() : 0; }
    QUrl baseUrl() const { return m_base; }
    QUrl url(const QString &path) const { return QUrl(m_base.toString() + path); }
    QString dataDir() const { return m_dir.path() + QStringLiteral("/data"); }

    // Everything the service wrote to standard error so far.
    QByteArray log()
    {
        if (m_process)
            m_log += m_process->readAllStandardError();
        return m_log;
    }

    // The messages in the outbox, oldest first.
    QStringList outboxMessages() const
    {
        QDir outbox(dataDir() + QStringLiteral("/outbox"));
        QStringList messages;
        const QStringList names = outbox.entryList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name);
        for (const QString &name : names) {
            QFile f(outbox.filePath(name));
            if (f.open(QIODevice::ReadOnly))
                messages << QString::fromUtf8(f.readAll());
        }
        return messages;
    }

    // The newest six-digit code mailed to email, or empty.
    QString recoveryCode(const QString &email) const
    {
        const QStringList messages = outboxMessages();
        static const QRegularExpression code(QStringLiteral("\\b(\\d{6})\\b"));
        for (int i = messages.size() - 1; i >= 0; --i) {
            const QString &m = messages.at(i);
            if (!m.startsWith(QStringLiteral("To: ") + email.toLower() + QStringLiteral("\r\n")))
                continue;
            const QRegularExpressionMatch match = code.match(m.mid(m.indexOf(QStringLiteral("\r\n\r\n"))));
            if (match.hasMatch())
                return match.captured(1);
        }
        return {};
    }

    // The analytics hits the service recorded, oldest first: objects with
    // "method", "body", "userAgent", "connection", "contentType", "status", "time".
    QJsonArray collectedHits() const
    {
        QJsonArray hits;
        QFile f(dataDir() + QStringLiteral("/analytics/collect.jsonl"));
        if (!f.open(QIODevice::ReadOnly))
            return hits;
        const QList<QByteArray> lines = f.readAll().split('\n');
        for (const QByteArray &l : lines) {
            const QJsonDocument doc = QJsonDocument::fromJson(l);
            if (doc.isObject())
                hits.append(doc.object());
        }
        return hits;
    }

    // Runs an administration command on the same data folder and database,
    // e.g. {"publish-firmware", "ox7", "0032", file}; returns the exit code.
    int admin(const QStringList &command, QByteArray *output = nullptr) const
    {
        QProcess p;
        QStringList args = {QStringLiteral("--data"), dataDir()};
        if (!m_database.isEmpty())
            args << QStringLiteral("--database") << m_database;
        p.start(program(), args + command);
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished(10000);
            return -1;
        }
        if (output)
            *output = p.readAllStandardOutput() + p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

private:
    QTemporaryDir m_dir;
    QString m_database;
    std::unique_ptr<QProcess> m_process;
    QUrl m_base;
    QByteArray m_log;
};
