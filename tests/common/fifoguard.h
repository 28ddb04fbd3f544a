#pragma once

#include <QFile>
#include <QString>
#include <QThread>

#include <functional>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// For tests of code that must never block on a FIFO put where a file was
// expected: makes the FIFO, and runs the code on a thread of its own. Code
// that does block is released (the FIFO gets a peer that opens and closes
// it at once), so a fault fails the test instead of hanging it.
namespace fifoguard {

inline bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// True when f finished on its own within waitMs; a blocked f is released
// and waited for, and the result is false.
inline bool finishesWithoutBlocking(const QString &fifo, const std::function<void()> &f, int waitMs = 5000)
{
    // A released writer would otherwise die of SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    QThread *worker = QThread::create(f);
    worker->start();
    const bool finished = worker->wait(waitMs);
    // Reader and writer at once frees a blocked open of either kind; code
    // that opens the FIFO again and again is freed each time.
    for (int i = 0; !finished && i < 1000 && !worker->wait(20); ++i) {
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    if (!finished)
        worker->wait();
    delete worker;
    return finished;
}

} // namespace fifoguard
