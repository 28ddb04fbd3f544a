#pragma once

#include <QString>

// The service's own log: one line per call on standard error, with the UTC
// time in front. Never given passwords, tokens or codes. Thread-safe.
namespace ox8cloud {

void logLine(const QString &text);

} // namespace ox8cloud
