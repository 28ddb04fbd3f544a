#include "cloud/rpaccountmanage.h"

#include "config/languagetable.h"
#include "config/servicesettings.h"

#include <QDebug>
#include <QFile>
#include <QHttpMultiPart>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {
constexpr int kNetworkErrorText = 580;
constexpr int kServerErrorText = 581;
// Replies larger than this are no envelope of ours.
constexpr qint64 kMaxEnvelopeBytes = 1 << 20;

const char *const kPaths[] = {
    "/v1/user/login",
    "/v1/user/register",
    "/v1/user/updatePassword",
    "/v1/user/findPassword",
    "/v1/user/validatePassword",
    "/v1/user/newPassword",
    "/v1/file/upload",
    "/v1/driver/macro/config/save",
    "/v1/driver/config2/save",
    "/v1/driver/config2/get",
    "/v1/driver/macro/config/get",
    "/v1/driver/version",
};
constexpr int kPathCount = int(sizeof(kPaths) / sizeof(kPaths[0]));
} // namespace

int resultTextNumber(int code)
{
    if (code >= 0 && code <= 7)
        return 301 + code;
    if (code >= 10001 && code <= 10031)
        return 309 + (code - 10001);
    if (code == 10050)
        return 340;
    if (code == -1)
        return 300;
    return 299;
}

RPAccountManage::RPAccountManage(QObject *parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
    , m_baseUrl(serviceBaseUrl())
{
    connect(m_network, &QNetworkAccessManager::finished, this, &RPAccountManage::sigFinished);
}

RPAccountManage::~RPAccountManage() = default;

QString RPAccountManage::endpointPath(int index)
{
    if (index < 0 || index >= kPathCount)
        return {};
    return QString::fromLatin1(kPaths[index]);
}

QUrl RPAccountManage::endpointUrl(int index) const
{
    const QString path = endpointPath(index);
    if (path.isEmpty() || !hasService())
        return {};
    QUrl url = m_baseUrl;
    url.setPath(m_baseUrl.path() + path);
    return url;
}

void RPAccountManage::setBaseUrl(const QUrl &url)
{
    m_baseUrl = isAllowedRemoteUrl(url) ? url : QUrl();
    if (m_baseUrl.path().endsWith(QLatin1Char('/'))) {
        QString path = m_baseUrl.path();
        while (path.endsWith(QLatin1Char('/')))
            path.chop(1);
        m_baseUrl.setPath(path);
    }
}

QString RPAccountManage::storedToken()
{
    // The store answers "NULL" for a missing key: logged out sends nothing.
    const QString token = m_token.GetToken();
    return token == QLatin1String("NULL") ? QString() : token;
}

namespace {
// The header is sent even when empty (a null value would drop it).
QByteArray tokenHeader(const QString &token)
{
    const QByteArray value = token.toUtf8();
    return value.isNull() ? QByteArray("") : value;
}
} // namespace

QNetworkReply *RPAccountManage::postJson(int index, const QJsonObject &body)
{
    const QUrl url = endpointUrl(index);
    if (url.isEmpty()) {
        qDebug() << "no web service for" << endpointPath(index);
        return nullptr;
    }
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setRawHeader("Authorization", tokenHeader(storedToken()));
    return m_network->post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
}

QNetworkReply *RPAccountManage::postArchive(QFile *file, Archive kind)
{
    const QUrl url = endpointUrl(FileUpload);
    if (url.isEmpty() || !file || !file->isOpen()) {
        qDebug() << "upLoadError" << (url.isEmpty() ? "no web service" : "archive not open");
        return nullptr;
    }
    auto *multiPart = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    QHttpPart part;
    part.setRawHeader("Authorization", tokenHeader(storedToken()));
    const char *name = kind == Archive::Macros ? "MacroFiles.zip" : "LocalFile.zip";
    part.setHeader(QNetworkRequest::ContentDispositionHeader,
                   QStringLiteral("form-data; name=\"file\"; filename=\"%1\"").arg(QLatin1String(name)));
    part.setBodyDevice(file);
    multiPart->append(part);

    QNetworkReply *reply = m_network->post(QNetworkRequest(url), multiPart);
    multiPart->setParent(reply);
    return reply;
}

void RPAccountManage::abortPending()
{
    // The replies of the network access manager are its children.
    const QList<QNetworkReply *> replies = m_network->findChildren<QNetworkReply *>(QString(), Qt::FindDirectChildrenOnly);
    for (QNetworkReply *reply : replies) {
        if (reply->isRunning())
            reply->abort();
    }
}

ServiceReply RPAccountManage::readReply(QNetworkReply *reply, int defaultCode, int networkErrorText)
{
    ServiceReply out;
    if (!reply || reply->error() != QNetworkReply::NoError) {
        out.transportFailed = true;
        out.message = languageText(networkErrorText > 0 ? networkErrorText : kNetworkErrorText);
        return out;
    }
    const QByteArray body = reply->read(kMaxEnvelopeBytes + 1);
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    if (body.size() > kMaxEnvelopeBytes || error.error != QJsonParseError::NoError || !doc.isObject()) {
        out.message = languageText(kServerErrorText);
        return out;
    }
    const QJsonObject root = doc.object();
    const QJsonValue code = root.value(QLatin1String("code"));
    out.code = code.isUndefined() ? defaultCode : code.toInt(defaultCode);
    out.message = root.value(QLatin1String("msg")).toString();
    out.data = root.value(QLatin1String("data")).toObject();
    return out;
}
