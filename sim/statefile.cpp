#include "sim/statefile.h"

#include "platform/safefile.h"

bool writeStateFile(const QString &path, const QByteArray &state)
{
    return replaceFileAtomically(path, state);
}

bool readStateFile(const QString &path, qint64 maxSize, QByteArray &state)
{
    return readRegularFile(path, maxSize, state) == ReadResult::Ok;
}
