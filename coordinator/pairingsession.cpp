#include "coordinator/pairingsession.h"

#include "device/familya/familyacodec.h"
#include "device/familya/usbdriverox7.h"

#include <QDebug>
#include <QRandomGenerator>
#include <QTime>

namespace {

// Analytics texts of the pairing outcomes.
const char kEventPairingSucceeded[] = "对码成功";
const char kEventPairingFailed[] = "对码失败";
const char kEventPairingTimedOut[] = "对码超时";

} // namespace

PairingSession::PairingSession(QObject *parent)
    : QObject(parent)
    , m_timer(this)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PairingSession::tick);
}

bool PairingSession::sendCommand(const QByteArray &command)
{
    if (!m_receiver)
        return false;
    return m_receiver->SendCommandDongleWithAck(command) != 0;
}

bool PairingSession::readWorkMode(int &mode)
{
    if (!m_receiver) {
        qDebug() << "readWorkModel failed";
        return false;
    }
    return m_receiver->ReadWorkModel(mode) != 0;
}

void PairingSession::start()
{
    m_ticks = 0;
    if (!m_receiver) {
        qDebug() << "slot_startCode without a receiver";
        emit sig_startCode(false);
        return;
    }
    bool ok = sendCommand(familya::dongleOpenCommand());
    if (ok) {
        // A fresh link address per pairing.
        QRandomGenerator generator(quint32(QTime::currentTime().msecsSinceStartOfDay() / 1000));
        const quint32 address = generator.generate();
        qDebug() << "addr:" << address;
        ok = sendCommand(familya::dongleAddressCommand(address));
    }
    if (!ok) {
        emit sig_startCode(false);
        return;
    }
    startTimer(kIntervalMs);
    emit sig_startCode(true);
}

void PairingSession::stop()
{
    m_active = false;
    m_timer.stop();
    emit sig_stopTimer();
}

void PairingSession::tick()
{
    // A tick that was already queued when pairing ended.
    if (!m_active)
        return;
    ++m_ticks;
    if (m_ticks >= kTickLimit) {
        finish(false, kEventPairingTimedOut);
        return;
    }
    int mode = 0;
    if (!readWorkMode(mode)) {
        finish(false, kEventPairingFailed);
        return;
    }
    if (mode != 0)
        return;
    finish(true, kEventPairingSucceeded);
}

void PairingSession::finish(bool paired, const char *event)
{
    stop();
    emit sig_operationEvent(QString::fromUtf8(event));
    emit sig_finishCode(paired);
}

void PairingSession::startTimer(int intervalMs)
{
    m_active = true;
    if (!m_timerManual)
        m_timer.start(intervalMs);
    emit sig_startTimer(intervalMs);
}
