#include "discovery/findprocess.h"

#include "discovery/models.h"
#include "platform/processlist.h"

#include <QDebug>

const char *const kUpdaterProcessName = "KorvanUpdataOnce.exe";

FindProcess::FindProcess(QObject *parent)
    : FindProcess(QStringLiteral("/proc"), parent)
{
}

FindProcess::FindProcess(const QString &procRoot, QObject *parent)
    : QObject(parent)
    , m_procRoot(procRoot)
{
}

FindProcess::~FindProcess() = default;

QStringList FindProcess::getProcessList() const
{
    const ProcessList list(m_procRoot);
    QStringList names;
    for (qint64 pid : list.processIds()) {
        const QString name = list.processName(pid);
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

QString FindProcess::getProcessName(qint64 pid) const
{
    return ProcessList(m_procRoot).processName(pid);
}

bool FindProcess::isProcessRunning(const QString &name) const
{
    const QStringList names = getProcessList();
    for (const QString &entry : names) {
        qDebug() << "processName" << entry;
        if (entry == name)
            return true;
    }
    return false;
}

bool checkIsHaldenMouseEnter(quint16 productId, const FindProcess &processes)
{
    if (productId != PID_CHIP_BOOTLOADER) {
        qDebug() << "checkIsHaldenMouseEnter" << false;
        return false;
    }
    const bool updaterRuns = processes.isProcessRunning(QString::fromLatin1(kUpdaterProcessName));
    qDebug() << "checkIsHaldenMouseEnter" << "updater running" << updaterRuns;
    return !updaterRuns;
}
