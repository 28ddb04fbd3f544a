#include "server/apianswer.h"

#include "server/resultcode.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

namespace ox8cloud {

ApiReply answer(int code, const QString &message, const QJsonObject &data)
{
    ApiReply reply;
    reply.body = CloudService::envelope(code, message, data);
    return reply;
}

ApiReply serverError()
{
    return answer(ServerError, QStringLiteral("The server could not complete the request. Please try again later."));
}

ApiReply malformed(const QString &what)
{
    return answer(MalformedRequest, QStringLiteral("Malformed request: %1.").arg(what));
}

ApiReply plainText(int status, const QByteArray &text)
{
    ApiReply reply;
    reply.status = status;
    reply.contentType = "text/plain; charset=utf-8";
    reply.body = text + '\n';
    return reply;
}

bool jsonObject(const ApiRequest &request, QJsonObject *out)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(request.body, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    *out = doc.object();
    return true;
}

bool stringField(const QJsonObject &object, const QString &name, QString *out, bool required)
{
    const QJsonValue v = object.value(name);
    if (v.isUndefined() || v.isNull()) {
        out->clear();
        return !required;
    }
    if (!v.isString())
        return false;
    *out = v.toString();
    return true;
}

QString sha256Hex(const QByteArray &data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

bool sameHash(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    ushort diff = 0;
    for (int i = 0; i < a.size(); ++i)
        diff |= a.at(i).unicode() ^ b.at(i).unicode();
    return diff == 0;
}

} // namespace ox8cloud
