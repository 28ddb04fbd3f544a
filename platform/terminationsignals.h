#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the requests to end the process (SIGTERM from a logout or a service
// manager, SIGINT from a terminal) into a Qt signal on the thread that
// created the object, so the program can leave its event loop the normal way
// (stopping its workers, saving what it keeps) instead of dying mid-write.
// One instance per process; the previous dispositions come back when it is
// destroyed. GUI thread.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // False when the signals could not be caught (they then act as before).
    bool isActive() const { return m_active; }

signals:
    void sig_TerminationRequested(int signalNumber);

private:
    void drain();

    QSocketNotifier *m_notifier = nullptr;
    bool m_active = false;
};
