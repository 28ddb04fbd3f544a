#include "config/currentgear.h"

#include <QMutex>

namespace {
QMutex g_mutex;
QJsonObject g_object;
} // namespace

QJsonObject currentGearObject()
{
    QMutexLocker lock(&g_mutex);
    return g_object;
}

void setCurrentGearObject(const QJsonObject &object)
{
    QMutexLocker lock(&g_mutex);
    g_object = object;
}
