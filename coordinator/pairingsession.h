#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class USBDriverOX7;

// Pairs a family A mouse with its 2.4 GHz receiver: opens the receiver for
// pairing, gives it a fresh link address, then asks for its work mode on a
// 100 ms timer until the mouse is paired, a read fails or 200 ticks pass.
//
// Thread affinity: a child of the coordinator, on the coordinator's thread
// with the receiver driver it talks to; the timer ticks arrive there. The
// driver is not owned: the coordinator sets it while a receiver is open and
// clears it before the driver goes.
class PairingSession : public QObject
{
    Q_OBJECT

public:
    static constexpr int kIntervalMs = 100;
    static constexpr int kTickLimit = 200;

    explicit PairingSession(QObject *parent = nullptr);

    // The family A driver opened through the receiver; nullptr refuses pairing.
    void setReceiver(USBDriverOX7 *receiver) { m_receiver = receiver; }
    USBDriverOX7 *receiver() const { return m_receiver; }

    // Tests drive the ticks themselves: starting then marks pairing as
    // running without starting the real timer.
    void setTimerManual(bool manual) { m_timerManual = manual; }

    bool isActive() const { return m_active; }
    int tickCount() const { return m_ticks; }

    // One receiver command, acknowledged by status 1 (the driver's handshake).
    bool sendCommand(const QByteArray &command);
    // The receiver's work mode: 0 paired and working, nonzero still pairing.
    bool readWorkMode(int &mode);

    // Opens the receiver and sends the link address; on success the timer
    // runs. Emits sig_startCode either way.
    void start();
    // Stops the timer and ends pairing; nothing goes to the receiver.
    void stop();
    // One timer tick; the timer calls it, tests may too.
    void tick();

signals:
    // The coordinator relays these under the same names.
    void sig_startTimer(int intervalMs);
    void sig_stopTimer();
    void sig_startCode(bool started);
    void sig_finishCode(bool paired);
    // An analytics operation event's text.
    void sig_operationEvent(const QString &text);

private:
    void startTimer(int intervalMs);
    void finish(bool paired, const char *event);

    USBDriverOX7 *m_receiver = nullptr;
    QTimer m_timer;
    int m_ticks = 0;
    bool m_active = false;
    bool m_timerManual = false;
};
