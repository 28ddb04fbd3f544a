#include "platform/desktoppointer.h"

#include <QDebug>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kToolTimeoutMs = 3000;
const QString kGnomeSchema = QStringLiteral("org.gnome.desktop.peripherals.mouse");

std::optional<double> parseNumber(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}
} // namespace

DesktopCommandRunner::~DesktopCommandRunner() = default;

bool DesktopCommandRunner::exists(const QString &program) const
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

bool DesktopCommandRunner::run(const QString &program, const QStringList &arguments, QString *output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments, QIODevice::ReadOnly);
    if (!process.waitForFinished(kToolTimeoutMs)) {
        qDebug() << "DesktopCommandRunner: no answer from" << program << arguments;
        process.kill();
        process.waitForFinished(kToolTimeoutMs);
        return false;
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput().left(4096));
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

DesktopPointer::~DesktopPointer() = default;

double desktopAcceleration(int speed)
{
    return (std::clamp(speed, 1, 20) - 10) / 10.0;
}

int speedFromAcceleration(double acceleration)
{
    return std::clamp(int(std::lround(std::clamp(acceleration, -1.0, 1.0) * 10.0 + 10.0)), 1, 20);
}

// --- GNOME -------------------------------------------------------------------------------

GnomeDesktopPointer::GnomeDesktopPointer(DesktopCommandRunner &runner)
    : m_runner(runner)
{
}

std::optional<int> GnomeDesktopPointer::readMouseSpeed()
{
    QString out;
    if (!m_runner.run(QStringLiteral("gsettings"), {QStringLiteral("get"), kGnomeSchema, QStringLiteral("speed")},
                      &out))
        return std::nullopt;
    const std::optional<double> v = parseNumber(out);
    if (!v)
        return std::nullopt;
    return speedFromAcceleration(*v);
}

bool GnomeDesktopPointer::applyMouseSpeed(int speed)
{
    return m_runner.run(QStringLiteral("gsettings"),
                        {QStringLiteral("set"), kGnomeSchema, QStringLiteral("speed"),
                         QString::number(desktopAcceleration(speed))});
}

// --- KDE ---------------------------------------------------------------------------------

KdeDesktopPointer::KdeDesktopPointer(DesktopCommandRunner &runner, int version)
    : m_runner(runner)
    , m_read(QStringLiteral("kreadconfig%1").arg(version))
    , m_write(QStringLiteral("kwriteconfig%1").arg(version))
{
}

std::optional<QString> KdeDesktopPointer::read(const QString &file, const QString &group, const QString &key)
{
    QString out;
    if (!m_runner.run(m_read,
                      {QStringLiteral("--file"), file, QStringLiteral("--group"), group, QStringLiteral("--key"), key},
                      &out))
        return std::nullopt;
    out = out.trimmed();
    if (out.isEmpty())
        return std::nullopt; // never set: the desktop's default, which we do not guess
    return out;
}

bool KdeDesktopPointer::write(const QString &file, const QString &group, const QString &key, const QString &value)
{
    return m_runner.run(m_write, {QStringLiteral("--file"), file, QStringLiteral("--group"), group,
                                  QStringLiteral("--key"), key, value});
}

std::optional<int> KdeDesktopPointer::readMouseSpeed()
{
    const std::optional<QString> text =
        read(QStringLiteral("kcminputrc"), QStringLiteral("Mouse"), QStringLiteral("XLbInptPointerAcceleration"));
    if (!text)
        return std::nullopt;
    const std::optional<double> v = parseNumber(*text);
    if (!v)
        return std::nullopt;
    return speedFromAcceleration(*v);
}

bool KdeDesktopPointer::applyMouseSpeed(int speed)
{
    return write(QStringLiteral("kcminputrc"), QStringLiteral("Mouse"), QStringLiteral("XLbInptPointerAcceleration"),
                 QString::number(desktopAcceleration(speed)));
}

std::optional<int> KdeDesktopPointer::readWheelScrollLines()
{
    const std::optional<QString> text =
        read(QStringLiteral("kdeglobals"), QStringLiteral("KDE"), QStringLiteral("WheelScrollLines"));
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int lines = text->toInt(&ok);
    if (!ok || lines < 1 || lines > 100)
        return std::nullopt;
    return lines;
}

bool KdeDesktopPointer::applyWheelScrollLines(int lines)
{
    if (lines < 1 || lines > 100)
        return false; // KDE knows no "one screen per notch"
    return write(QStringLiteral("kdeglobals"), QStringLiteral("KDE"), QStringLiteral("WheelScrollLines"),
                 QString::number(lines));
}

// --- Detection -----------------------------------------------------------------------------

std::unique_ptr<DesktopPointer> detectDesktopPointer(const QByteArray &currentDesktop, DesktopCommandRunner &runner)
{
    const QStringList desktops = QString::fromLocal8Bit(currentDesktop).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    auto names = [&](const char *name) { return desktops.contains(QLatin1String(name), Qt::CaseInsensitive); };
    if (names("KDE")) {
        for (const int version : {6, 5}) {
            if (runner.exists(QStringLiteral("kreadconfig%1").arg(version))
                && runner.exists(QStringLiteral("kwriteconfig%1").arg(version)))
                return std::make_unique<KdeDesktopPointer>(runner, version);
        }
    }
    if (names("GNOME") && runner.exists(QStringLiteral("gsettings")))
        return std::make_unique<GnomeDesktopPointer>(runner);
    return nullptr;
}

namespace {
DesktopPointer *g_installed = nullptr;
bool g_detected = false;
std::unique_ptr<DesktopPointer> g_session;
} // namespace

DesktopPointer *desktopPointer()
{
    if (g_installed)
        return g_installed;
    if (!g_detected) {
        static DesktopCommandRunner runner;
        g_session = detectDesktopPointer(qgetenv("XDG_CURRENT_DESKTOP"), runner);
        g_detected = true;
        qDebug() << "desktopPointer" << (g_session ? g_session->name() : QStringLiteral("none"));
    }
    return g_session.get();
}

void setDesktopPointer(DesktopPointer *pointer)
{
    g_installed = pointer;
    if (!pointer) {
        g_detected = false;
        g_session.reset();
    }
}
