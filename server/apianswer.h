#pragma once

#include "server/cloudservice.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// The small pieces every endpoint of CloudService uses: envelope answers,
// reading the JSON body, hashes for tokens and codes.
namespace ox8cloud {

ApiReply answer(int code, const QString &message, const QJsonObject &data = {});
ApiReply serverError();
ApiReply malformed(const QString &what);
ApiReply plainText(int status, const QByteArray &text);

// The request body as a JSON object; false for anything else.
bool jsonObject(const ApiRequest &request, QJsonObject *out);
// A string member; false when it is absent (if required) or of another type.
bool stringField(const QJsonObject &object, const QString &name, QString *out, bool required = true);

QString sha256Hex(const QByteArray &data);
// Compares two hashes without stopping at the first difference.
bool sameHash(const QString &a, const QString &b);

} // namespace ox8cloud
