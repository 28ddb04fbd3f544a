#pragma once

#include <QString>
#include <QVector>

// The running processes of the system, as the updater check needs them.
class ProcessList
{
public:
    // procRoot is the proc file system's mount point; tests pass a fixture.
    explicit ProcessList(const QString &procRoot = QStringLiteral("/proc"));

    // Ids of all processes, in the order the system lists them.
    QVector<qint64> processIds() const;
    // Executable file name (no folder) of one process; empty when it cannot
    // be inspected. A Windows program run through a compatibility layer
    // shows its own ".exe" name, not the loader's.
    QString processName(qint64 pid) const;

private:
    QString m_root;
};
