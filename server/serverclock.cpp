#include "server/serverclock.h"

#include <QDateTime>

namespace ox8cloud {

qint64 ServerClock::now() const
{
    return QDateTime::currentSecsSinceEpoch() + m_offset.load();
}

} // namespace ox8cloud
