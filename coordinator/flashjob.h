#pragma once

#include <QObject>
#include <QString>

class FwUpdate;
class QThread;

// One firmware flash of a family A mouse at a time: creates the flasher
// and the thread it runs on, relays its progress and its result, and stops
// it again. Also counts the update requests of this run, which are limited.
//
// Thread affinity: a child of the coordinator, on the coordinator's thread;
// the flasher runs on its own thread, which this job creates, and reports
// back through queued connections. stop() waits for a running flash to end.
class FlashJob : public QObject
{
    Q_OBJECT

public:
    // Requests refused from this one on.
    static constexpr int kAttemptLimit = 36;

    explicit FlashJob(QObject *parent = nullptr);
    ~FlashJob() override;

    // Counts one update request; false once the limit is reached.
    bool countAttempt();
    int attemptCount() const { return m_attempts; }

    bool isRunning() const { return m_flasher != nullptr; }
    // Starts flashing the file into the family A model named by its folder
    // name ("ox7"). False, with nothing started, for a name that is no
    // family A model.
    bool start(const QString &path, const QString &modelName);
    // Disconnects the flasher, lets its run end and deletes it and its thread.
    void stop();

signals:
    // Hands the package path to the flasher's thread, which starts flashing.
    void sig_Update(QString path);
    void sig_percent(int percent);
    // 1 success, 0 failure.
    void sig_result(int ok);

private:
    void onPercent(int percent);

    int m_attempts = 0;
    FwUpdate *m_flasher = nullptr;
    QThread *m_flasherThread = nullptr;
};
