#include "platform/pointersettings.h"

#include "platform/safefile.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QStyleHints>

#include <algorithm>

namespace {
const char *kSpeedKey = "Pointer/speed";
const char *kLinesKey = "Pointer/wheelLines";
} // namespace

PointerSettings::PointerSettings(const QString &settingsFile)
    : m_file(settingsFile)
{
}

PointerSettings::~PointerSettings() = default;

int PointerSettings::mouseSpeed() const
{
    // QSettings would block on a FIFO and follow a link.
    if (!isMissingOrRegularFile(m_file))
        return 10;
    const QSettings s(m_file, QSettings::IniFormat);
    bool ok = false;
    const int v = s.value(kSpeedKey, 10).toInt(&ok);
    return ok ? std::clamp(v, 1, 20) : 10;
}

void PointerSettings::setMouseSpeed(int speed)
{
    speed = std::clamp(speed, 1, 20);
    if (isMissingOrRegularFile(m_file)) {
        QSettings s(m_file, QSettings::IniFormat);
        s.setValue(kSpeedKey, speed);
        s.sync();
    }
    applyMouseSpeed(speed);
}

int PointerSettings::wheelScrollLines() const
{
    if (!isMissingOrRegularFile(m_file))
        return 3;
    const QSettings s(m_file, QSettings::IniFormat);
    const int v = s.value(kLinesKey, 3).toInt();
    return (v == -1 || (v >= 1 && v <= 100)) ? v : 3;
}

void PointerSettings::setWheelScrollLines(int lines)
{
    if (lines != -1)
        lines = std::clamp(lines, 1, 100);
    if (isMissingOrRegularFile(m_file)) {
        QSettings s(m_file, QSettings::IniFormat);
        s.setValue(kLinesKey, lines);
        s.sync();
    }
    applyWheelScrollLines(lines);
}

double gnomePointerSpeed(int speed)
{
    return (std::clamp(speed, 1, 20) - 10) / 10.0;
}

void PointerSettings::applyMouseSpeed(int speed)
{
    if (QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty())
        return;
    QProcess::startDetached(QStringLiteral("gsettings"),
                            {QStringLiteral("set"), QStringLiteral("org.gnome.desktop.peripherals.mouse"),
                             QStringLiteral("speed"), QString::number(gnomePointerSpeed(speed))});
}

void PointerSettings::applyWheelScrollLines(int lines)
{
    // Desktops on Linux have no common wheel-lines setting; our own windows follow it.
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        QGuiApplication::styleHints()->setWheelScrollLines(lines < 0 ? 20 : lines);
}
