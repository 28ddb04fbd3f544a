// How long the GUI thread stalls while the window opens an emulated mouse
// with realistic USB latency and switches profiles, all in real time.
// A 5 ms timer on the GUI thread records the largest gap between its ticks;
// the device work runs on the coordinator's thread and should not show.
//
//   guibench [MODEL] [LATENCY_MS] [SWITCHES]   (defaults: ox7 1 5)
//
// Runs offscreen unless QT_QPA_PLATFORM says otherwise.

#include "coordinator/dcdatahandle.h"
#include "shell/dialogs/loadmessagedialog.h"
#include "shell/dialogs/needdevicedialog.h"
#include "config/languagetable.h"
#include "sim/simulation.h"
#include "shell/window/mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

// Largest gap between ticks of a 5 ms timer, measured per phase.
class StallMeter : public QObject
{
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            if (m_last >= 0)
                m_worst = qMax(m_worst, now - m_last);
            m_last = now;
            ++m_ticks;
        });
        m_clock.start();
        m_timer.start();
    }
    void reset()
    {
        m_last = -1;
        m_worst = 0;
        m_ticks = 0;
    }
    double worstMs() const { return m_worst / 1e6; }
    int ticks() const { return m_ticks; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = -1;
    qint64 m_worst = 0;
    int m_ticks = 0;
};

// Runs the event loop until done holds or timeoutMs passed; returns the time taken.
double runUntil(const std::function<bool()> &done, int timeoutMs, bool *ok)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    *ok = done();
    return t.nsecsElapsed() / 1e6;
}

void report(const char *phase, double durationMs, const StallMeter &meter, bool ok)
{
    std::printf("%-28s %9.1f ms   longest GUI stall %6.1f ms   (%d ticks)%s\n", phase, durationMs, meter.worstMs(),
                meter.ticks(), ok ? "" : "   TIMED OUT");
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString model = args.value(1, QStringLiteral("ox7"));
    const int latencyMs = args.value(2, QStringLiteral("1")).toInt();
    const int switches = args.value(3, QStringLiteral("5")).toInt();

    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    registerDeviceMetaTypes();
    QTemporaryDir appDir;
    qputenv("OX8_APP_DIR", appDir.path().toLocal8Bit());

    Simulation simulation;
    QString error;
    if (!simulation.setUp(model, &error)) {
        std::fprintf(stderr, "guibench: %s\n", qPrintable(error));
        return 2;
    }
    simulation.setLatencyMs(latencyMs);
    simulation.install();

    std::printf("guibench: %s, %d ms per report, real clock, timer every 5 ms on the GUI thread\n",
                qPrintable(Simulation::modelArgument(simulation.mouseType(), simulation.throughReceiver())), latencyMs);

    QElapsedTimer built;
    built.start();
    MainWindowOptions options;
    options.watcherBus = &simulation.bus();
    MainWindow window(options);
    window.show();
    std::printf("%-28s %9.1f ms   (one piece of GUI work, before the loop runs)\n", "window built and shown",
                built.nsecsElapsed() / 1e6);

    StallMeter meter;
    bool ok = false;
    auto idle = [&] {
        return !window.loadingDialog()->isVisible() && !window.needDeviceDialog()->isVisible();
    };

    meter.reset();
    double ms = runUntil([&] { return window.openedMouseType() == simulation.mouseType() && idle(); }, 60000, &ok);
    report("mouse found, opened, read", ms, meter, ok);
    double worst = meter.worstMs();

    for (int i = 0; i < switches; ++i) {
        const int profile = 2 + i % 4;
        meter.reset();
        QMetaObject::invokeMethod(&window, QStringLiteral("on_ConfigureButton_%1_clicked").arg(profile).toLatin1());
        ms = runUntil([&] { return window.dataHandle()->currentConfigNumber() == profile; }, 60000, &ok);
        const double started = ms;
        bool idleOk = false;
        ms = started + runUntil(idle, 60000, &idleOk);
        const QByteArray phase = "profile switch to " + QByteArray::number(profile);
        report(phase.constData(), ms, meter, ok && idleOk);
        worst = qMax(worst, meter.worstMs());
    }
    std::printf("longest GUI stall overall: %.1f ms (goal: under 50 ms)\n", worst);
    return 0;
}
