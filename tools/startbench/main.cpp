// What the program costs a user outside the device protocols, on the release
// build: how long the window takes to appear, how long an ox8ctl command
// takes when its device waits cost nothing, what the idle window costs in
// CPU, and how much memory it holds with a mouse open. Prints figures beside
// their targets; asserts nothing. The idle window has an OX7 behind its
// receiver open, so the device watcher ticks and the battery is polled.
//
//   startbench [--runs N] [--idle SECONDS]     (defaults: 10 runs, 60 s)
//
// ox8driver runs on the offscreen platform unless QT_QPA_PLATFORM (or a
// DISPLAY with QT_QPA_PLATFORM=xcb) says otherwise; every run gets a fresh
// APP folder, so each start is a first start.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

struct Figures
{
    QVector<double> ms;
    double median() const
    {
        QVector<double> v = ms;
        std::sort(v.begin(), v.end());
        return v.isEmpty() ? -1 : v.at(v.size() / 2);
    }
    double best() const { return ms.isEmpty() ? -1 : *std::min_element(ms.begin(), ms.end()); }
};

QProcessEnvironment environmentFor(const QString &app)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OX8_APP_DIR"), app);
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // A second instance would only wake the first; each run is on its own.
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), app);
    return env;
}

// Waits (in the event loop) until the process writes the line or ends.
bool waitForLine(QProcess &p, const QByteArray &line, int timeoutMs)
{
    QByteArray seen;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        const bool more = p.waitForReadyRead(50);
        seen += p.readAllStandardError();
        if (seen.contains(line))
            return true;
        if (!more && p.state() == QProcess::NotRunning)
            return false;
    }
    return false;
}

qint64 cpuNs(qint64 pid);

// Milliseconds from exec to the first paint of the main window; cpuMs gets
// the CPU time the program used until then (on a busy machine the better
// measure of what the start itself costs).
double coldStartMs(double &cpuMs)
{
    QTemporaryDir app;
    QProcess p;
    QProcessEnvironment env = environmentFor(app.path());
    env.insert(QStringLiteral("OX8_BENCH_FIRST_PAINT"), QStringLiteral("stay"));
    p.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    p.start(QStringLiteral(OX8DRIVER_PATH), {QStringLiteral("--simulate"), QStringLiteral("ox7")});
    const bool painted = waitForLine(p, "ox8-first-paint", 60000);
    const double ms = timer.nsecsElapsed() / 1e6;
    cpuMs = cpuNs(p.processId()) / 1e6;
    p.terminate();
    if (!p.waitForFinished(30000))
        p.kill();
    return painted ? ms : -1;
}

// Whole-process milliseconds of `ox8ctl --simulate ox7 show --json`; in
// virtual time its device waits take no time, so this is all overhead.
double ctlShowMs(const QString &app)
{
    QProcess p;
    p.setProcessEnvironment(environmentFor(app));
    QElapsedTimer timer;
    timer.start();
    p.start(QStringLiteral(OX8CTL_PATH),
            {QStringLiteral("--simulate"), QStringLiteral("ox7"), QStringLiteral("show"), QStringLiteral("--json")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e6;
}

// CPU time of every thread of a process so far, in nanoseconds (the
// scheduler's own count; /proc/PID/stat counts in 10 ms ticks, too coarse
// for an idle process).
qint64 cpuNs(qint64 pid)
{
    QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    qint64 sum = 0;
    const QStringList ids = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (ids.isEmpty())
        return -1;
    for (const QString &id : ids) {
        QFile f(tasks.filePath(id + QStringLiteral("/schedstat")));
        if (f.open(QIODevice::ReadOnly))
            sum += f.readAll().split(' ').value(0).toLongLong();
    }
    return sum;
}

qint64 statusKb(qint64 pid, const QByteArray &key)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void line(const char *what, double value, const char *unit, double target)
{
    std::printf("%-44s %10.2f %-3s (target < %g %s)%s\n", what, value, unit, target, unit,
                value < 0 ? "  FAILED TO MEASURE" : value < target ? "" : "  MISSED");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int runs = 10;
    int idleSeconds = 60;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--runs"))
            runs = qMax(1, args.at(i + 1).toInt());
        else if (args.at(i) == QLatin1String("--idle"))
            idleSeconds = qMax(1, args.at(i + 1).toInt());
    }

    Figures start;
    Figures startCpu;
    int unpainted = 0;
    for (int i = 0; i < runs; ++i) {
        double cpu = 0;
        const double ms = coldStartMs(cpu);
        if (ms < 0) {
            ++unpainted;
        } else {
            start.ms.append(ms);
            startCpu.ms.append(cpu);
        }
    }
    std::printf("cold start to first paint, %d runs (%d without a paint): best %.1f ms, CPU used %.1f ms (median)\n",
                runs, unpainted, start.best(), startCpu.median());
    line("cold start to first paint (median)", start.median(), "ms", 300);

    Figures show;
    {
        QTemporaryDir ctlApp;
        ctlShowMs(ctlApp.path()); // the first run creates the profile files
        for (int i = 0; i < runs; ++i)
            show.ms.append(ctlShowMs(ctlApp.path()));
    }
    std::printf("ox8ctl show --json in virtual time, %d runs: best %.1f ms\n", runs, show.best());
    line("ox8ctl show --json overhead (median)", show.median(), "ms", 100);

    // The window with the emulated mouse open, left alone.
    QTemporaryDir idleApp;
    QProcess window;
    QProcessEnvironment env = environmentFor(idleApp.path());
    env.insert(QStringLiteral("OX8_BENCH_FIRST_PAINT"), QStringLiteral("stay"));
    window.setProcessEnvironment(env);
    // Through the receiver: a wireless mouse has its battery polled.
    window.start(QStringLiteral(OX8DRIVER_PATH), {QStringLiteral("--simulate"), QStringLiteral("ox7:receiver")});
    if (!waitForLine(window, "ox8-first-paint", 60000)) {
        std::printf("the window did not appear\n");
        return 1;
    }
    wait(5000); // the mouse is opened and read after the first paint
    const qint64 pid = window.processId();
    const qint64 rssKb = statusKb(pid, "VmRSS");
    const qint64 cpu0 = cpuNs(pid);
    QElapsedTimer timer;
    timer.start();
    wait(idleSeconds * 1000);
    const qint64 cpu1 = cpuNs(pid);
    const double seconds = timer.nsecsElapsed() / 1e9;
    const double cpuPercent = cpu0 < 0 || cpu1 < 0 ? -1 : 100.0 * double(cpu1 - cpu0) / 1e9 / seconds;
    std::printf("idle window with an emulated OX7 behind its receiver: %.1f ms CPU in %.1f s\n",
                (cpu1 - cpu0) / 1e6, seconds);
    line("idle CPU (percent of a core)", cpuPercent, "%", 0.2);
    line("resident memory after opening a mouse", rssKb / 1024.0, "MB", 80);
    std::printf("peak resident memory: %.1f MB\n", statusKb(pid, "VmHWM") / 1024.0);
    window.terminate();
    if (!window.waitForFinished(10000))
        window.kill();
    return 0;
}
