#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// A throwaway PostgreSQL cluster for tests: initdb in a temporary folder,
// a server that listens only on a Unix socket inside that folder (no TCP),
// stopped and removed again by stop() or the destructor. When the test runs
// as root, the PostgreSQL programs run as the "postgres" system user, as
// they refuse to run as root.
class PostgresCluster
{
public:
    PostgresCluster() = default;
    ~PostgresCluster() { stop(); }

    PostgresCluster(const PostgresCluster &) = delete;
    PostgresCluster &operator=(const PostgresCluster &) = delete;

    // Debian's newest /usr/lib/postgresql/<version>/bin with initdb, or empty.
    static QString binDir()
    {
        QDir root(QStringLiteral("/usr/lib/postgresql"));
        QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        std::sort(versions.begin(), versions.end(),
                  [](const QString &a, const QString &b) { return a.toInt() > b.toInt(); });
        for (const QString &v : versions) {
            const QString bin = root.filePath(v + QStringLiteral("/bin"));
            if (QFile::exists(bin + QStringLiteral("/initdb")) && QFile::exists(bin + QStringLiteral("/pg_ctl")))
                return bin;
        }
        return {};
    }

    bool start(QString *error)
    {
        m_bin = binDir();
        if (m_bin.isEmpty()) {
            *error = QStringLiteral("no PostgreSQL programs in /usr/lib/postgresql/*/bin");
            return false;
        }
        m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/ox8pg-XXXXXX"));
        if (!m_dir->isValid()) {
            *error = QStringLiteral("cannot create a temporary folder");
            return false;
        }
        if (geteuid() == 0) {
            const passwd *pw = getpwnam("postgres");
            if (!pw) {
                *error = QStringLiteral("running as root, but there is no \"postgres\" user");
                return false;
            }
            if (chown(QFile::encodeName(m_dir->path()).constData(), pw->pw_uid, pw->pw_gid) != 0) {
                *error = QStringLiteral("cannot hand the temporary folder to the postgres user");
                return false;
            }
            m_asPostgres = true;
        }
        QString out;
        if (!run(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), dataPath(), QStringLiteral("-U"), QStringLiteral("postgres"),
                  QStringLiteral("--auth=trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                  QStringLiteral("--locale=C"), QStringLiteral("--no-sync")},
                 &out)) {
            *error = QStringLiteral("initdb failed: ") + out;
            return false;
        }
        if (!run(QStringLiteral("mkdir"), {socketDir()}, &out, true)) {
            *error = QStringLiteral("cannot create the socket folder: ") + out;
            return false;
        }
        const QString serverOptions = QStringLiteral("-k %1 -p %2 -c listen_addresses= -c fsync=off -c full_page_writes=off")
                                          .arg(socketDir())
                                          .arg(port());
        if (!run(QStringLiteral("pg_ctl"),
                 {QStringLiteral("-D"), dataPath(), QStringLiteral("-l"), m_dir->path() + QStringLiteral("/server.log"),
                  QStringLiteral("-o"), serverOptions, QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"),
                  QStringLiteral("start")},
                 &out)) {
            *error = QStringLiteral("pg_ctl start failed: ") + out;
            return false;
        }
        m_running = true;
        return true;
    }

    void stop()
    {
        if (m_running) {
            QString out;
            run(QStringLiteral("pg_ctl"),
                {QStringLiteral("-D"), dataPath(), QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w"),
                 QStringLiteral("stop")},
                &out);
            m_running = false;
        }
        m_dir.reset();
    }

    // Creates an empty database and returns the URL ox8cloud takes for it.
    QString createDatabase(const QString &name, QString *error)
    {
        QString out;
        if (!run(QStringLiteral("createdb"),
                 {QStringLiteral("-h"), socketDir(), QStringLiteral("-p"), QString::number(port()),
                  QStringLiteral("-U"), QStringLiteral("postgres"), name},
                 &out)) {
            *error = QStringLiteral("createdb failed: ") + out;
            return {};
        }
        return QStringLiteral("postgresql://postgres@localhost/%1?host=%2&port=%3").arg(name, socketDir()).arg(port());
    }

private:
    QString dataPath() const { return m_dir->path() + QStringLiteral("/cluster"); }
    QString socketDir() const { return m_dir->path() + QStringLiteral("/socket"); }
    // Only a socket file in our own folder carries the number, so any works.
    static int port() { return 5432; }

    bool run(const QString &tool, const QStringList &args, QString *output, bool systemTool = false)
    {
        const QString program = systemTool ? tool : m_bin + QLatin1Char('/') + tool;
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.setWorkingDirectory(m_dir->path());
        if (m_asPostgres)
            p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), program} + args);
        else
            p.start(program, args);
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished(10000);
            *output = QStringLiteral("timed out");
            return false;
        }
        *output = QString::fromLocal8Bit(p.readAll());
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    QString m_bin;
    std::unique_ptr<QTemporaryDir> m_dir;
    bool m_asPostgres = false;
    bool m_running = false;
};
