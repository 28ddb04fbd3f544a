#include "server/serverlog.h"

#include <QDateTime>

#include <cstdio>
#include <mutex>

namespace ox8cloud {

void logLine(const QString &text)
{
    static std::mutex mutex;
    const QByteArray line = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toUtf8() + " ox8cloud: "
        + text.toUtf8() + '\n';
    std::lock_guard<std::mutex> lock(mutex);
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
    std::fflush(stderr);
}

} // namespace ox8cloud
