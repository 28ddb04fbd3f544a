#include "sim/faultplan.h"

#include <QMutexLocker>

void FaultPlan::arm(Fault kind, int count, int value)
{
    armAfter(kind, 0, count, value);
}

void FaultPlan::armAfter(Fault kind, int skip, int count, int value)
{
    QMutexLocker locker(&m_mutex);
    Entry &e = m_entries[int(kind)];
    e.count = count < 0 ? kForever : count;
    e.skip = skip < 0 ? 0 : skip;
    e.value = value;
}

void FaultPlan::clear(Fault kind)
{
    QMutexLocker locker(&m_mutex);
    m_entries[int(kind)] = Entry();
}

void FaultPlan::clearAll()
{
    QMutexLocker locker(&m_mutex);
    m_entries.fill(Entry());
}

bool FaultPlan::take(Fault kind, int *value)
{
    QMutexLocker locker(&m_mutex);
    Entry &e = m_entries[int(kind)];
    if (e.count == 0)
        return false;
    if (e.skip > 0) {
        --e.skip;
        return false;
    }
    if (e.count > 0)
        --e.count;
    if (value)
        *value = e.value;
    return true;
}

bool FaultPlan::armed(Fault kind) const
{
    QMutexLocker locker(&m_mutex);
    return m_entries[int(kind)].count != 0;
}
