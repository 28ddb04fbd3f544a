#pragma once

#include <QList>
#include <QObject>

class HidBus;

// Finds out once a second which supported mouse is attached, decides which
// one is current when several are, and reports changes. Lives on a worker
// thread of its own; its timer fires there and its signals reach the window
// queued. Starts scanning as soon as it exists.
//
// A reported mouse that could not be opened is reported again on the next
// ticks, a few times (right after plug-in the node's permissions may not be
// set yet). When it keeps failing while this user may not open it, that is
// reported once; it is tried again as soon as the access changes.
class CheckDevice : public QObject
{
    Q_OBJECT

public:
    // Arrival reports repeated for one mouse whose open failed.
    static constexpr int kOpenRetries = 3;

    // bus: where to look (the process-wide bus when nullptr); it must
    // outlive the watcher. intervalMs: time between scans (1000 in the product).
    explicit CheckDevice(HidBus *bus = nullptr, int intervalMs = 1000, QObject *parent = nullptr);
    ~CheckDevice() override;

    // One scan: fills the found id list. False when the scan failed.
    bool FindHIDDevice();
    // One timer tick: scan, choose, report.
    void tick();

    QList<int> scanOrder() const { return m_scanOrder; }
    QList<int> foundIds() const { return m_foundIds; }
    // Ids of the current scan whose interfaces this user may not open.
    QList<int> deniedIds() const { return m_deniedIds; }
    int currentId() const { return m_currentId; }
    bool isRunning() const { return m_timerId != 0; }

signals:
    void sigFound(bool found, uint productId, uint vendorId);
    void sigBlootDescriptor(int mouseType);
    // The mouse keeps failing to open because this user may not open it.
    void sigNoPermission(uint productId, uint vendorId);

public slots:
    void startTheTimer();
    void stopTheTimer();
    // The reported mouse could not be opened: report it again, or give up.
    void slot_OpenFailed(uint productId);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    void reorderAfterArrival(int productId);
    void forgetOpenFailures();

    HidBus *m_bus;
    int m_intervalMs;
    uint m_vendorId;
    bool m_reported = false;
    bool m_found = false;
    QList<int> m_foundIds;
    QList<int> m_deniedIds;
    QList<int> m_scanOrder;
    int m_currentId = 0;
    int m_reportedId = 0;
    int m_timerId = 0;
    // Open failures of the reported mouse.
    int m_openFailures = 0;
    bool m_reportAgain = false;
    bool m_gaveUp = false;
    bool m_gaveUpDenied = false;
};
