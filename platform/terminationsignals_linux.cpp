#include "platform/terminationsignals.h"

#include <QDebug>
#include <QEvent>
#include <QSocketNotifier>

#include <functional>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

// A handler may only do async-signal-safe things: it writes the signal
// number into a pipe, and a socket notifier on the other end delivers it to
// the event loop.

namespace {
constexpr int kSignals[] = {SIGTERM, SIGINT};
constexpr int kSignalCount = int(sizeof kSignals / sizeof kSignals[0]);

int g_pipe[2] = {-1, -1};
struct sigaction g_previous[kSignalCount];

// The notifier's activated() signal is spelt differently in Qt 5 and Qt 6
// (and is overloaded with a private tag in Qt 5); its event is the same.
class PipeNotifier final : public QSocketNotifier
{
public:
    PipeNotifier(int fd, std::function<void()> onReadable, QObject *parent)
        : QSocketNotifier(fd, QSocketNotifier::Read, parent)
        , m_onReadable(std::move(onReadable))
    {
    }

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::SockAct) {
            m_onReadable();
            return true;
        }
        return QSocketNotifier::event(e);
    }

private:
    std::function<void()> m_onReadable;
};

void onSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a request; losing this one changes nothing.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}
} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (g_pipe[0] >= 0) {
        qWarning() << "TerminationSignals: already installed";
        return;
    }
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning() << "TerminationSignals: no pipe" << errno;
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    m_notifier = new PipeNotifier(g_pipe[0], [this] { drain(); }, this);

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < kSignalCount; ++i)
        ::sigaction(kSignals[i], &action, &g_previous[i]);
    m_active = true;
}

TerminationSignals::~TerminationSignals()
{
    if (!m_active)
        return;
    for (int i = 0; i < kSignalCount; ++i)
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void TerminationSignals::drain()
{
    unsigned char bytes[16];
    ssize_t n;
    while ((n = ::read(g_pipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < n; ++i)
            emit sig_TerminationRequested(int(bytes[i]));
    }
}
