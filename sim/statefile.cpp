#include "sim/statefile.h"

#include <QFile>
#include <QSaveFile>

bool writeStateFile(const QString &path, const QByteArray &state)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(state) != state.size())
        return false;
    return file.commit();
}

bool readStateFile(const QString &path, qint64 maxSize, QByteArray &state)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxSize)
        return false;
    state = file.read(maxSize + 1);
    return state.size() <= maxSize;
}
