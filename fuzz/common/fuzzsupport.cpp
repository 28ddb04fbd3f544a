#include "fuzz/common/fuzzsupport.h"

#include "platform/appdir.h"
#include "platform/clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {
// Inputs produce thousands of warnings a second; printing them would be
// most of the harness's time.
void quietMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

struct FuzzProcess
{
    QTemporaryDir root;
    QString app;
    QString scratch;
    VirtualClock clock;
    QCoreApplication *application = nullptr;
};

FuzzProcess *process()
{
    static FuzzProcess *p = new FuzzProcess; // lives until exit; the folder goes with atexit below
    return p;
}

void removeRoot()
{
    process()->root.remove();
}
} // namespace

void initFuzzProcess(int *argc, char ***argv)
{
    FuzzProcess *p = process();
    if (p->application)
        return;
    if (!std::getenv("OX8_FUZZ_VERBOSE"))
        qInstallMessageHandler(quietMessages);
    // Qt keeps argc by reference for the application's life.
    static int keptArgc = 1;
    static char name[] = "ox8fuzz";
    static char *keptArgv[] = {name, nullptr};
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    p->application = new QCoreApplication(keptArgc, keptArgv);
    p->app = p->root.filePath(QStringLiteral("app"));
    p->scratch = p->root.filePath(QStringLiteral("scratch"));
    QDir().mkpath(p->app);
    QDir().mkpath(p->scratch);
    // The environment variable wins over everything else in appDirectory().
    qputenv("OX8_APP_DIR", QFile::encodeName(p->app));
    // Files kept per user (the analytics identifiers) stay in the scratch
    // folder too, never in the home folder of whoever runs the harness.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(p->scratch + QStringLiteral("/config")));
    setAppDirectory(p->app);
    setDeviceClock(&p->clock);
    std::atexit(removeRoot);
}

QString fuzzAppDirectory()
{
    return process()->app;
}

void clearFuzzAppDirectory()
{
    QDir app(process()->app);
    app.removeRecursively();
    QDir().mkpath(process()->app);
}

QString fuzzScratchPath(const QString &name)
{
    return process()->scratch + QLatin1Char('/') + name;
}

bool putFuzzFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}
