#pragma once

#include <QString>

#include <memory>

namespace httplib {
class Server;
}

// The HTTP(S) side of ox8cloud on cpp-httplib: a pool of worker threads,
// bounds on what a request may hold (body size, no bodies without a
// length), and the translation between httplib's requests and
// CloudService's. run() blocks the calling thread until stop().
namespace ox8cloud {

class CloudService;

struct FrontConfig
{
    QString certificateFile; // both set: HTTPS
    QString keyFile;
    int threads = 64;
    qint64 payloadLimit = 8 * 1024 * 1024 + 256 * 1024;
    int keepAliveSeconds = 2;
    bool accessLog = false;
};

class HttpFront
{
public:
    HttpFront(CloudService &service, const FrontConfig &config);
    ~HttpFront();

    HttpFront(const HttpFront &) = delete;
    HttpFront &operator=(const HttpFront &) = delete;

    // False (with the reason) when the certificate or key do not load.
    bool isValid(QString *error) const;
    bool isTls() const { return m_tls; }
    // Port 0 picks a free port; returns the bound port or -1.
    int bind(const QString &host, int port);
    void run();
    bool isRunning() const;
    // Safe from any thread: finishes the requests in progress, then run() returns.
    void stop();

private:
    void installHandlers();

    CloudService &m_service;
    FrontConfig m_config;
    bool m_tls = false;
    std::unique_ptr<httplib::Server> m_server;
};

} // namespace ox8cloud
