#include "update/lastversion.h"

#include "config/languagetable.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace {
constexpr int kNoServiceText = 760;

// A member of "data" as text: strings as they are, whole numbers written
// out (a server that sends 32 instead of "32" still means 32), else empty.
QString textOf(const QJsonObject &data, const char *key)
{
    const QJsonValue v = data.value(QLatin1String(key));
    if (v.isString())
        return v.toString();
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (d >= 0 && d <= 2147483647.0 && d == double(qint64(d)))
            return QString::number(qint64(d));
    }
    return {};
}
} // namespace

LastVersion::LastVersion(QObject *parent)
    : RPAccountManage(parent)
{
    // A server that stops answering must not leave a check hanging.
    network()->setTransferTimeout(kTransferTimeoutMs);
    connect(this, &RPAccountManage::sigFinished, this, &LastVersion::slots_onSigFinished);
}

void LastVersion::RpLastFirmVersionJson(QString versionType)
{
    ask(versionType + QStringLiteral("-firmware"));
}

void LastVersion::RpLastSoftwareVersionJson(QString versionType)
{
    ask(versionType + QStringLiteral("-software"));
}

void LastVersion::ask(const QString &versionType)
{
    QJsonObject body;
    body.insert(QStringLiteral("versionType"), versionType);
    qDebug() << "LastFirmVersionJson" << QJsonDocument(body).toJson(QJsonDocument::Compact);
    if (postJson(Version, body))
        return;
    // Answered like a reply, after the caller has returned, so every request
    // ends the same way.
    const QString message = languageText(kNoServiceText);
    QMetaObject::invokeMethod(
        this, [this, message] { emit sigLastVersionRet(-1, message, QString(), QString(), QString()); },
        Qt::QueuedConnection);
}

void LastVersion::slots_onSigFinished(QNetworkReply *reply)
{
    qDebug() << "slots_onSigFinished" << reply->error();
    reply->deleteLater();
    const ServiceReply r = readReply(reply);
    qDebug() << "slots_onSigFinished" << r.code << r.message << r.data;
    // A failed reply carries no data, so its texts stay empty.
    emit sigLastVersionRet(r.code, r.message, textOf(r.data, "version"), textOf(r.data, "downloadUrl"),
                           textOf(r.data, "versionDate"));
}
