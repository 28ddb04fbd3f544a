#pragma once

#include <QByteArray>
#include <QString>

// Checks on values that arrive from outside (JSON fields, URLs, headers,
// command-line addresses). Pure functions, no I/O.
namespace ox8cloud {

// The account key: trimmed and lower-cased.
QString normaliseEmail(const QString &email);
// An address after normaliseEmail: one '@', a dotted domain, no spaces or
// control characters, at most 254 characters.
bool isValidEmail(const QString &email);
// 1..7 characters (the program refuses 8 or more), none of them a control
// character, not only spaces.
bool isValidNickname(const QString &nickname);
// 6..16 characters, as the program's dialogs require.
bool isValidNewPasswordLength(const QString &password);

// A name that may become part of a stored key, URL or file name: 1..maxLength
// of letters, digits, '.', '_' and '-', not starting with '.' or '-' (so never
// "..", never a hidden file, never an option).
bool isSafeName(const QString &name, int maxLength = 64);
// The server's own random ids: exactly 32 lower-case hex digits.
bool isHexId(const QString &id);
// A session token as issued by login: exactly 64 lower-case hex digits.
bool isTokenSyntax(const QString &token);

// The file id and name in an archive URL or path ending in
// "/files/<id>/<name>"; false when it has another shape.
bool parseArchivePath(const QString &filePath, QString *fileId, QString *name);

// "host:port", "[v6]:port" or "port" (host 127.0.0.1); port 0..65535.
bool parseListenAddress(const QString &text, QString *host, int *port);
bool isLoopbackHost(const QString &host);
// A Host header worth echoing into URLs: host name, IPv4 or [IPv6], optional port.
bool isUsableHostHeader(const QByteArray &host);

} // namespace ox8cloud
