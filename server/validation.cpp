#include "server/validation.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QUrl>

namespace ox8cloud {

namespace {

bool hasControlCharacter(const QString &s)
{
    for (const QChar c : s) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format
            || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return true;
    }
    return false;
}

bool isLowerHex(const QString &s, int length)
{
    if (s.size() != length)
        return false;
    for (const QChar c : s) {
        const ushort u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f')))
            return false;
    }
    return true;
}

} // namespace

QString normaliseEmail(const QString &email)
{
    return email.trimmed().toLower();
}

bool isValidEmail(const QString &email)
{
    if (email.isEmpty() || email.size() > 254 || hasControlCharacter(email))
        return false;
    static const QRegularExpression shape(
        QStringLiteral("^[^@\\s\"<>(),;:\\\\\\[\\]]{1,64}@[^@\\s\"<>(),;:\\\\\\[\\]]+\\.[^@\\s\"<>(),;:\\\\\\[\\].]+$"));
    if (!shape.match(email).hasMatch())
        return false;
    const QString domain = email.mid(email.indexOf(QLatin1Char('@')) + 1);
    return !domain.startsWith(QLatin1Char('.')) && !domain.contains(QStringLiteral(".."));
}

bool isValidNickname(const QString &nickname)
{
    return !nickname.isEmpty() && nickname.size() < 8 && !hasControlCharacter(nickname)
        && !nickname.trimmed().isEmpty();
}

bool isValidNewPasswordLength(const QString &password)
{
    return password.size() >= 6 && password.size() <= 16;
}

bool isSafeName(const QString &name, int maxLength)
{
    if (name.isEmpty() || name.size() > maxLength)
        return false;
    if (name.at(0) == QLatin1Char('.') || name.at(0) == QLatin1Char('-'))
        return false;
    for (const QChar c : name) {
        const ushort u = c.unicode();
        const bool ok = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9')
            || u == '.' || u == '_' || u == '-';
        if (!ok)
            return false;
    }
    return true;
}

bool isHexId(const QString &id)
{
    return isLowerHex(id, 32);
}

bool isTokenSyntax(const QString &token)
{
    return isLowerHex(token, 64);
}

bool parseArchivePath(const QString &filePath, QString *fileId, QString *name)
{
    if (filePath.isEmpty() || filePath.size() > 2048)
        return false;
    QString path = filePath;
    if (filePath.contains(QStringLiteral("://"))) {
        const QUrl url(filePath, QUrl::StrictMode);
        if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
            || url.hasQuery() || url.hasFragment())
            return false;
        path = url.path(QUrl::FullyEncoded);
    }
    const QStringList parts = path.split(QLatin1Char('/'));
    // "", ..., "files", id, name
    if (parts.size() < 4 || parts.at(parts.size() - 3) != QLatin1String("files"))
        return false;
    for (int i = 1; i < parts.size() - 3; ++i) {
        if (parts.at(i).isEmpty())
            return false;
    }
    const QString id = parts.at(parts.size() - 2);
    const QString file = parts.last();
    if (!isHexId(id) || !isSafeName(file))
        return false;
    *fileId = id;
    *name = file;
    return true;
}

bool parseListenAddress(const QString &text, QString *host, int *port)
{
    QString h;
    QString p;
    if (text.startsWith(QLatin1Char('['))) {
        const int close = text.indexOf(QLatin1Char(']'));
        if (close < 0 || text.mid(close + 1, 1) != QLatin1String(":"))
            return false;
        h = text.mid(1, close - 1);
        p = text.mid(close + 2);
        if (QHostAddress(h).protocol() != QAbstractSocket::IPv6Protocol)
            return false;
    } else if (text.contains(QLatin1Char(':'))) {
        const int colon = text.lastIndexOf(QLatin1Char(':'));
        h = text.left(colon);
        p = text.mid(colon + 1);
        if (h.isEmpty() || h.contains(QLatin1Char(':')))
            return false;
    } else {
        h = QStringLiteral("127.0.0.1");
        p = text;
    }
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    if (!digits.match(p).hasMatch())
        return false;
    const int value = p.toInt();
    if (value > 65535)
        return false;
    static const QRegularExpression hostName(QStringLiteral("^[A-Za-z0-9.:-]{1,253}$"));
    if (!hostName.match(h).hasMatch())
        return false;
    *host = h;
    *port = value;
    return true;
}

bool isLoopbackHost(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

bool isUsableHostHeader(const QByteArray &host)
{
    if (host.isEmpty() || host.size() > 260)
        return false;
    static const QRegularExpression name(
        QStringLiteral("^([A-Za-z0-9]([A-Za-z0-9.-]*[A-Za-z0-9])?|\\[[0-9A-Fa-f:.]+\\])(:[0-9]{1,5})?$"));
    return name.match(QString::fromLatin1(host)).hasMatch();
}

} // namespace ox8cloud
