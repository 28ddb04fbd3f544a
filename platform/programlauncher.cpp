#include "platform/programlauncher.h"

#include <QFile>
#include <QProcess>

#include <atomic>

ProgramLauncher::~ProgramLauncher() = default;

bool ProgramLauncher::startDetached(const QString &program, const QStringList &arguments)
{
    return QFile::exists(program) && QProcess::startDetached(program, arguments);
}

namespace {
std::atomic<ProgramLauncher *> g_launcher{nullptr};
}

ProgramLauncher &programLauncher()
{
    static ProgramLauncher system;
    ProgramLauncher *l = g_launcher.load();
    return l ? *l : system;
}

void setProgramLauncher(ProgramLauncher *launcher)
{
    g_launcher.store(launcher);
}
