#include "app/firstpaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {
// Watches the window's events until its first paint.
class FirstPaintWatcher : public QObject
{
public:
    FirstPaintWatcher(QWidget *window, bool exitAfter)
        : QObject(window)
        , m_exitAfter(exitAfter)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            watched->removeEventFilter(this);
            // After this paint has reached the screen (the backing store is
            // flushed once the paint event returns).
            QTimer::singleShot(0, this, [this] {
                std::fputs("ox8-first-paint\n", stderr);
                std::fflush(stderr);
                if (m_exitAfter)
                    QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    bool m_exitAfter;
    bool m_seen = false;
};
} // namespace

void reportFirstPaint(QWidget *window)
{
    const QByteArray mode = qgetenv("OX8_BENCH_FIRST_PAINT");
    if (mode.isEmpty() || !window)
        return;
    new FirstPaintWatcher(window, mode == "exit");
}
