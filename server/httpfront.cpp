#include "server/httpfront.h"

#include "server/cloudservice.h"
#include "server/resultcode.h"
#include "server/serverlog.h"

#include <QFile>

#include <httplib.h>

#include <chrono>
#include <thread>

namespace ox8cloud {

namespace {

// Where the pre-routing step keeps a multipart request's real Content-Type.
const char *const OriginalTypeHeader = "X-Ox8cloud-Original-Content-Type";

QByteArray bytes(const std::string &s)
{
    return QByteArray(s.data(), int(s.size()));
}

std::string text(const QByteArray &b)
{
    return std::string(b.constData(), std::size_t(b.size()));
}

ApiRequest toApiRequest(const httplib::Request &req)
{
    ApiRequest a;
    a.method = bytes(req.method);
    a.path = bytes(req.path);
    const std::size_t question = req.target.find('?');
    if (question != std::string::npos)
        a.rawQuery = bytes(req.target.substr(question + 1));
    for (const auto &param : req.params) {
        const QByteArray key = bytes(param.first);
        if (!a.query.contains(key))
            a.query.insert(key, bytes(param.second));
    }
    // No copy: the request outlives the ApiRequest, which lives only in the handler.
    a.body = QByteArray::fromRawData(req.body.data(), int(req.body.size()));
    a.contentType = bytes(req.has_header(OriginalTypeHeader) ? req.get_header_value(OriginalTypeHeader)
                                                              : req.get_header_value("Content-Type"));
    a.authorization = bytes(req.get_header_value("Authorization"));
    a.host = bytes(req.get_header_value("Host"));
    a.userAgent = bytes(req.get_header_value("User-Agent"));
    a.connection = bytes(req.get_header_value("Connection"));
    return a;
}

void streamFile(httplib::Response &res, const ApiReply &reply)
{
    auto file = std::make_shared<QFile>(reply.filePath);
    if (!file->open(QIODevice::ReadOnly)) {
        res.status = 404;
        res.set_content("not found\n", "text/plain; charset=utf-8");
        return;
    }
    res.set_content_provider(std::size_t(reply.fileSize), text(reply.contentType),
                             [file](std::size_t offset, std::size_t length, httplib::DataSink &sink) {
                                 if (!file->seek(qint64(offset)))
                                     return false;
                                 const QByteArray chunk = file->read(qMin<qint64>(qint64(length), 64 * 1024));
                                 if (chunk.isEmpty())
                                     return false;
                                 return sink.write(chunk.constData(), std::size_t(chunk.size()));
                             });
}

} // namespace

HttpFront::HttpFront(CloudService &service, const FrontConfig &config)
    : m_service(service)
    , m_config(config)
{
    if (!config.certificateFile.isEmpty() && !config.keyFile.isEmpty()) {
        m_tls = true;
        m_server = std::make_unique<httplib::SSLServer>(QFile::encodeName(config.certificateFile).constData(),
                                                        QFile::encodeName(config.keyFile).constData());
    } else {
        m_server = std::make_unique<httplib::Server>();
    }
    const std::size_t threads = std::size_t(qBound(2, config.threads, 512));
    m_server->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    m_server->set_payload_max_length(std::size_t(config.payloadLimit));
    m_server->set_keep_alive_timeout(config.keepAliveSeconds);
    m_server->set_keep_alive_max_count(1000);
    m_server->set_read_timeout(10);
    m_server->set_write_timeout(10);
    m_server->set_tcp_nodelay(true);
    installHandlers();
}

HttpFront::~HttpFront() = default;

bool HttpFront::isValid(QString *error) const
{
    if (m_server->is_valid())
        return true;
    *error = QStringLiteral("cannot load the TLS certificate %1 and key %2").arg(m_config.certificateFile, m_config.keyFile);
    return false;
}

int HttpFront::bind(const QString &host, int port)
{
    const std::string h = host.toStdString();
    if (port == 0)
        return m_server->bind_to_any_port(h);
    return m_server->bind_to_port(h, port) ? port : -1;
}

void HttpFront::run()
{
    m_server->listen_after_bind();
}

bool HttpFront::isRunning() const
{
    return m_server->is_running();
}

void HttpFront::stop()
{
    m_service.setStopping();
    m_server->stop();
}

void HttpFront::installHandlers()
{
    const std::uint64_t payloadLimit = std::uint64_t(m_config.payloadLimit);
    m_server->set_pre_routing_handler([payloadLimit](const httplib::Request &req, httplib::Response &res) {
        const bool api = req.path.rfind("/v1/", 0) == 0;
        const auto refuse = [&](int code, const QString &message, int status) {
            res.status = api ? 200 : status;
            // The body stays unread, so this connection cannot carry another request.
            if (req.get_header_value("Connection") != "close")
                res.set_header("Connection", "close");
            res.set_content(text(CloudService::envelope(code, message)), "application/json");
            return httplib::Server::HandlerResponse::Handled;
        };
        // httplib bounds only bodies with a Content-Length; the program always sends one.
        if (req.has_header("Transfer-Encoding"))
            return refuse(BodyTooLarge, QStringLiteral("Send the body with a Content-Length."), 411);
        // Refused before reading: httplib would otherwise read and drop the
        // whole announced body, however large, however slowly it comes.
        if (req.get_header_value<std::uint64_t>("Content-Length") > payloadLimit)
            return refuse(req.path == "/v1/file/upload" ? UploadTooLarge : BodyTooLarge,
                          QStringLiteral("The request body is too large."), 413);
        // The request object is ours until routing; it is const here only by
        // the handler's signature. Multipart bodies stay raw for our own
        // parser, which keeps the part headers (the token rides on one).
        auto &request = const_cast<httplib::Request &>(req);
        request.headers.erase(OriginalTypeHeader);
        if (req.is_multipart_form_data()) {
            const std::string type = req.get_header_value("Content-Type");
            request.headers.erase("Content-Type");
            request.set_header("Content-Type", "application/octet-stream");
            request.set_header(OriginalTypeHeader, type);
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });

    const auto handler = [this](const httplib::Request &req, httplib::Response &res) {
        const ApiReply reply = m_service.handle(toApiRequest(req));
        res.status = reply.status;
        res.set_header("X-Content-Type-Options", "nosniff");
        for (const auto &h : reply.headers)
            res.set_header(text(h.first), text(h.second));
        if (!reply.filePath.isEmpty()) {
            streamFile(res, reply);
        } else if (reply.stallTotal > 0) {
            // Test mode: a download that stops halfway and keeps the connection
            // open, until the server stops or two minutes have passed.
            const qint64 sent = reply.stallSent;
            CloudService *service = &m_service;
            res.set_content_provider(std::size_t(reply.stallTotal), text(reply.contentType),
                                     [sent, service](std::size_t offset, std::size_t length, httplib::DataSink &sink) {
                                         if (qint64(offset) < sent) {
                                             const std::size_t n = std::size_t(qMin<qint64>(qint64(length), qMin<qint64>(sent - qint64(offset), 65536)));
                                             const std::string chunk(n, 'x');
                                             return sink.write(chunk.data(), chunk.size());
                                         }
                                         for (int i = 0; i < 6000 && !service->isStopping(); ++i)
                                             std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                         return false;
                                     });
        } else {
            res.set_content(text(reply.body), text(reply.contentType));
        }
    };
    m_server->Get(".*", handler);
    m_server->Post(".*", handler);
    m_server->Put(".*", handler);
    m_server->Patch(".*", handler);
    m_server->Delete(".*", handler);
    m_server->Options(".*", handler);

    m_server->set_error_handler([](const httplib::Request &req, httplib::Response &res) {
        if (!res.body.empty())
            return;
        if (req.path.rfind("/v1/", 0) == 0) {
            int code = ServerError;
            QString message = QStringLiteral("The server could not complete the request.");
            if (res.status == 413) {
                code = req.path == "/v1/file/upload" ? UploadTooLarge : BodyTooLarge;
                message = QStringLiteral("The request body is too large.");
            } else if (res.status == 400) {
                code = MalformedRequest;
                message = QStringLiteral("Malformed request.");
            }
            // Answered in the envelope so the program shows the reason; the
            // unread rest of the body makes this connection unusable.
            if (res.status == 413 || res.status == 400) {
                res.status = 200;
                if (req.get_header_value("Connection") != "close") // else httplib says so itself
                    res.set_header("Connection", "close");
            }
            res.set_content(text(CloudService::envelope(code, message)), "application/json");
            return;
        }
        res.set_content(std::to_string(res.status) + "\n", "text/plain; charset=utf-8");
    });

    m_server->set_exception_handler([](const httplib::Request &, httplib::Response &res, std::exception_ptr) {
        res.status = 500;
        res.set_content(text(CloudService::envelope(ServerError, QStringLiteral("The server could not complete the request."))),
                        "application/json");
    });

    if (m_config.accessLog) {
        m_server->set_logger([](const httplib::Request &req, const httplib::Response &res) {
            logLine(QStringLiteral("%1 %2 %3 %4").arg(QString::fromStdString(req.remote_addr),
                                                      QString::fromStdString(req.method),
                                                      QString::fromStdString(req.path)).arg(res.status));
        });
    }
}

} // namespace ox8cloud
