#include "tools/cloudload/loadclient.h"

#include <QHttpMultiPart>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace {

const char *stepName(int step)
{
    static const char *const names[] = {"login", "upload", "save", "get", "download"};
    return names[step];
}

} // namespace

LoadClient::LoadClient(const QUrl &base, const QString &email, const QString &password, int archiveBytes, int seed,
                       QObject *parent)
    : QObject(parent)
    , m_base(base)
    , m_email(email)
    , m_password(password)
    , m_archiveBytes(archiveBytes)
    , m_seed(seed)
    , m_nam(std::make_unique<QNetworkAccessManager>())
{
    connect(m_nam.get(), &QNetworkAccessManager::finished, this, &LoadClient::onReply);
}

LoadClient::~LoadClient() = default;

void LoadClient::start(qint64 deadlineMs, const QElapsedTimer *clock)
{
    m_deadline = deadlineMs;
    m_clock = clock;
    send(Step::Login);
}

QByteArray LoadClient::archive(int round) const
{
    // A zip signature, then bytes unique to this client and round.
    QByteArray data("PK\x03\x04", 4);
    data.reserve(m_archiveBytes);
    quint32 x = quint32(m_seed) * 2654435761u ^ quint32(round) * 40503u;
    while (data.size() < m_archiveBytes) {
        x = x * 1664525u + 1013904223u;
        data.append(char(x >> 24));
    }
    return data;
}

void LoadClient::next()
{
    if (m_clock->elapsed() >= m_deadline) {
        emit finished();
        return;
    }
    send(Step(int(m_step) + 1 > int(Step::Download) ? 0 : int(m_step) + 1));
}

void LoadClient::send(Step step)
{
    m_step = step;
    m_sentAt = m_clock->nsecsElapsed();
    const auto json = [this](const QString &path, const QJsonObject &body) {
        QNetworkRequest request(QUrl(m_base.toString() + path));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        request.setRawHeader("Authorization", m_token);
        m_nam->post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
    };
    switch (step) {
    case Step::Login:
        json(QStringLiteral("/v1/user/login"),
             {{QStringLiteral("email"), m_email}, {QStringLiteral("password"), m_password}});
        break;
    case Step::Upload: {
        m_uploaded = archive(++m_round);
        auto *multi = new QHttpMultiPart(QHttpMultiPart::FormDataType);
        QHttpPart part;
        part.setRawHeader("Authorization", m_token);
        part.setHeader(QNetworkRequest::ContentDispositionHeader,
                       QStringLiteral("form-data; name=\"file\"; filename=\"LocalFile.zip\""));
        part.setBody(m_uploaded);
        multi->append(part);
        QNetworkReply *reply = m_nam->post(QNetworkRequest(QUrl(m_base.toString() + QStringLiteral("/v1/file/upload"))), multi);
        multi->setParent(reply);
        break;
    }
    case Step::Save:
        json(QStringLiteral("/v1/driver/config2/save"), {{QStringLiteral("filePath"), m_filePath},
                                                         {QStringLiteral("configContent"), QString()},
                                                         {QStringLiteral("configType"), QStringLiteral("OX7")}});
        break;
    case Step::Get:
        json(QStringLiteral("/v1/driver/config2/get"), {{QStringLiteral("configType"), QStringLiteral("OX7")}});
        break;
    case Step::Download:
        m_nam->get(QNetworkRequest(QUrl(m_filePath)));
        break;
    }
}

void LoadClient::fail(const QString &why)
{
    ++m_failures;
    if (m_errors.size() < 5)
        m_errors << QStringLiteral("%1 %2: %3").arg(m_email, QLatin1String(stepName(int(m_step))), why);
    // Start over with a fresh login.
    m_step = Step::Download;
}

void LoadClient::onReply(QNetworkReply *reply)
{
    reply->deleteLater();
    const double ms = double(m_clock->nsecsElapsed() - m_sentAt) / 1e6;
    m_latencies[QLatin1String(stepName(int(m_step)))].append(ms);
    const QByteArray body = reply->readAll();
    if (reply->error() != QNetworkReply::NoError) {
        fail(reply->errorString());
        next();
        return;
    }
    if (m_step == Step::Download) {
        ++m_roundTrips;
        if (body != m_uploaded) {
            ++m_corrupted;
            if (m_errors.size() < 5)
                m_errors << QStringLiteral("%1: downloaded %2 bytes that differ from the upload").arg(m_email).arg(body.size());
        }
        next();
        return;
    }
    const QJsonObject o = QJsonDocument::fromJson(body).object();
    const int code = o.value(QStringLiteral("code")).toInt(-1);
    if (code != 0) {
        fail(QStringLiteral("code %1 %2").arg(code).arg(o.value(QStringLiteral("msg")).toString()));
        next();
        return;
    }
    const QJsonObject data = o.value(QStringLiteral("data")).toObject();
    switch (m_step) {
    case Step::Login:
        m_token = reply->rawHeader("Authorization");
        break;
    case Step::Upload:
        m_filePath = data.value(QStringLiteral("filePath")).toString();
        break;
    case Step::Get:
        if (data.value(QStringLiteral("filePath")).toString() != m_filePath) {
            ++m_corrupted;
            if (m_errors.size() < 5)
                m_errors << QStringLiteral("%1: the record points at another archive").arg(m_email);
        }
        break;
    default:
        break;
    }
    next();
}
