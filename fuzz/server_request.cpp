// Requests reaching ox8cloud: every endpoint of the service as HttpFront
// hands them over (method, path, query, content type, authorization, body),
// against one running service with an account, a session, an uploaded
// archive and a published package. The first byte picks the endpoint (or a
// path from the input), the second the method and whether the request
// carries the valid token (as a header, or in place of "@TOKEN@" in the
// body, where a multipart part header carries it). Every answer must be a
// well-formed HTTP status; JSON answers the envelope with its code; a file
// answer a regular file inside the data folder, of the size announced.
#include "fuzz/common/fuzzsupport.h"

#include "server/cloudservice.h"
#include "server/collector.h"
#include "server/datafolder.h"
#include "server/mailer.h"
#include "server/passwordhasher.h"
#include "server/publish.h"
#include "server/serverclock.h"
#include "server/store.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

using namespace ox8cloud;

namespace {
const char kBoundary[] = "ox8fuzzboundary";

const char *const kPaths[] = {
    "/v1/user/login",        "/v1/user/register",          "/v1/user/updatePassword",
    "/v1/user/findPassword", "/v1/user/validatePassword",  "/v1/user/newPassword",
    "/v1/file/upload",       "/v1/driver/macro/config/save", "/v1/driver/config2/save",
    "/v1/driver/config2/get", "/v1/driver/macro/config/get", "/v1/driver/version",
};
constexpr int kPathCount = int(sizeof kPaths / sizeof kPaths[0]);

struct Service
{
    QString root;
    DataFolder data;
    std::unique_ptr<Store> store;
    PasswordHasher hasher{Argon2Cost{1, 64, 1}, 1}; // the cheapest cost: one hash per login, not the point here
    ServerClock clock;
    std::unique_ptr<Mailer> mailer;
    std::unique_ptr<Collector> collector;
    std::unique_ptr<CloudService> service;
    QByteArray token;

    explicit Service(const QString &folder)
        : root(folder)
        , data(folder)
    {
    }
};

ApiRequest post(const char *path, const QByteArray &body)
{
    ApiRequest r;
    r.method = "POST";
    r.path = path;
    r.body = body;
    r.contentType = "application/json";
    r.host = "127.0.0.1:8080";
    return r;
}

Service *service()
{
    static Service *s = nullptr;
    if (s)
        return s;
    s = new Service(fuzzScratchPath(QStringLiteral("ox8cloud")));
    QString error;
    DatabaseConfig db;
    if (!s->data.prepare(&error) || !parseDatabaseUrl(QString(), s->root, &db, &error))
        qFatal("server data folder: %s", qPrintable(error));
    s->store = std::make_unique<Store>(db);
    if (!s->store->open(&error))
        qFatal("server store: %s", qPrintable(error));
    s->mailer = std::make_unique<Mailer>(s->data.outboxDir(), QString());
    s->collector = std::make_unique<Collector>(s->data.analyticsFile(), 1024 * 1024);
    ServiceConfig config;
    config.failDelayMs = 0;
    config.loginFailures = 1000000;
    config.codeMails = 1000000;
    config.archiveLimit = 64 * 1024;
    s->service = std::make_unique<CloudService>(config, *s->store, s->hasher, s->clock, *s->mailer, *s->collector,
                                                s->data);

    s->service->handle(post("/v1/user/register", R"({"nickname":"P","email":"player@example.org",)"
                                                 R"("password":"secret1","rePassword":"secret1"})"));
    const ApiReply login =
        s->service->handle(post("/v1/user/login", R"({"email":"player@example.org","password":"secret1"})"));
    // The session token comes back as a header of the answer.
    for (const auto &header : login.headers) {
        if (header.first == "Authorization")
            s->token = header.second;
    }
    if (s->token.isEmpty())
        qFatal("no session for the fuzzed requests: %s", login.body.constData());
    const QString package = fuzzScratchPath(QStringLiteral("package.bin"));
    putFuzzFile(package, QByteArray(256, '\x5a'));
    QString message;
    if (publishVersion(*s->store, s->data, QStringLiteral("ox7-firmware"), QStringLiteral("32"), package, QString(),
                       QStringLiteral("2026-11-02"), s->clock.now(), &message)
        != 0)
        qFatal("publish: %s", qPrintable(message));
    return s;
}

bool insideFolder(const QString &path, const QString &folder)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QString root = QFileInfo(folder).canonicalFilePath();
    return !canonical.isEmpty() && canonical.startsWith(root + QLatin1Char('/'));
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    initFuzzProcess(argc, argv);
    service();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Service *s = service();
    FuzzInput in(data, size);
    const quint8 target = in.byte();
    const quint8 flags = in.byte();

    ApiRequest r;
    r.method = (flags & 1) ? "POST" : ((flags & 2) ? "HEAD" : "GET");
    const QByteArray tail = in.take(in.byte() % 64);
    if (target < kPathCount)
        r.path = kPaths[target];
    else if (target < kPathCount + 4)
        r.path = QByteArray(target == kPathCount ? "/files/" : target == kPathCount + 1 ? "/packages/" : "/") + tail;
    else if (target == kPathCount + 4)
        r.path = "/collect";
    else
        r.path = tail;
    r.rawQuery = in.take(in.byte() % 64);
    for (const QByteArray &item : r.rawQuery.split('&')) {
        const int eq = item.indexOf('=');
        r.query.insert(item.left(eq), eq < 0 ? QByteArray() : item.mid(eq + 1));
    }
    const QByteArray contentType = in.take(in.byte() % 64);
    r.contentType = (flags & 8) ? QByteArray("multipart/form-data; boundary=") + kBoundary : contentType;
    const QByteArray authorization = in.take(in.byte() % 64);
    r.authorization = (flags & 4) ? "Bearer " + s->token : authorization;
    r.host = (flags & 16) ? QByteArray("127.0.0.1:8080") : in.take(in.byte() % 32);
    r.body = in.rest();
    if (flags & 32)
        r.body.replace("@TOKEN@", s->token);

    const ApiReply reply = s->service->handle(r);
    static const bool verbose = qEnvironmentVariableIsSet("OX8_FUZZ_VERBOSE");
    if (verbose)
        qDebug() << r.method << r.path << reply.status << reply.body.left(160) << reply.filePath;
    if (reply.status < 100 || reply.status > 599)
        __builtin_trap();
    if (!reply.filePath.isEmpty()) {
        // A file answer never leaves the data folder, and announces its size.
        const QFileInfo file(reply.filePath);
        if (!insideFolder(reply.filePath, s->root) || !file.isFile() || file.isSymLink()
            || file.size() != reply.fileSize)
            __builtin_trap();
    } else if (reply.contentType == "application/json" && !reply.body.isEmpty()) {
        const QJsonDocument doc = QJsonDocument::fromJson(reply.body);
        if (!doc.isObject() || !doc.object().value(QStringLiteral("code")).isDouble())
            __builtin_trap();
    }
    return 0;
}
