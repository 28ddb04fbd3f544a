#include "tools/benchdevice/benchcase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QTextStream>

#include <ctime>

namespace {
// The protocol code logs every transfer; printing them would measure the
// terminal, not the code.
void dropDebugMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    QTextStream(stderr) << message << '\n';
}

double processCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}
} // namespace

void measureHost(BenchResult &result, const std::function<void()> &work)
{
    QElapsedTimer wall;
    const double cpu0 = processCpuMs();
    wall.start();
    work();
    result.hostWallMs = double(wall.nsecsElapsed()) / 1e6;
    result.hostCpuMs = processCpuMs() - cpu0;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.contains(QStringLiteral("--help"))) {
        QTextStream(stdout) << "benchdevice [--repeat N] [--log]\n"
                               "Runs every device case against its emulator in virtual time and prints\n"
                               "host CPU and wall time beside the waits the protocol mandates.\n";
        return 0;
    }
    if (!args.contains(QStringLiteral("--log")))
        qInstallMessageHandler(dropDebugMessages);
    int repeats = 3;
    const int r = args.indexOf(QStringLiteral("--repeat"));
    if (r > 0 && r + 1 < args.size())
        repeats = qMax(1, args.at(r + 1).toInt());

    QVector<BenchCase> cases;
    cases += familyABenchCases();
    cases += familyBBenchCases();

    QTextStream out(stdout);
    out << "case | result | host CPU ms | host wall ms | mandated waits ms (waits) | CPU / waits | detail\n";
    for (const BenchCase &c : cases) {
        for (int i = 0; i < repeats; ++i) {
            const BenchResult res = c.run();
            const double share = res.mandatedWaitMs > 0 ? 100.0 * res.hostCpuMs / double(res.mandatedWaitMs) : 0.0;
            out << c.name << " | " << (res.ok ? "ok" : "FAILED") << " | " << QString::number(res.hostCpuMs, 'f', 1)
                << " | " << QString::number(res.hostWallMs, 'f', 1) << " | " << res.mandatedWaitMs << " ("
                << res.sleeps << ") | " << QString::number(share, 'f', 3) << " % | " << res.detail << '\n';
            out.flush();
        }
    }
    return 0;
}
