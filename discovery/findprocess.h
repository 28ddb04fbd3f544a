#pragma once

#include <QObject>
#include <QStringList>

class ProcessList;

// Answers whether a process with a given executable file name is running.
class FindProcess : public QObject
{
    Q_OBJECT

public:
    explicit FindProcess(QObject *parent = nullptr);
    // For tests: list processes from another proc tree.
    explicit FindProcess(const QString &procRoot, QObject *parent = nullptr);
    ~FindProcess() override;

    QStringList getProcessList() const;
    QString getProcessName(qint64 pid) const;
    // Case-sensitive comparison of the executable file name.
    bool isProcessRunning(const QString &name) const;

private:
    QString m_procRoot;
};

// The separate updater program whose running tells a mouse being flashed on
// purpose from one stuck in its boot loader.
extern const char *const kUpdaterProcessName;

// True for the chip boot loader id when the updater is not running.
bool checkIsHaldenMouseEnter(quint16 productId, const FindProcess &processes);
