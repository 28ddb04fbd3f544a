#include "platform/pointersettings.h"

#include "platform/desktoppointer.h"
#include "platform/safefile.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSettings>
#include <QStyleHints>

#include <algorithm>
#include <optional>

namespace {
const char *kSpeedKey = "Pointer/speed";
const char *kLinesKey = "Pointer/wheelLines";
} // namespace

PointerSettings::PointerSettings(const QString &settingsFile, DesktopPointer *desktop)
    : m_file(settingsFile)
    , m_desktop(desktop)
{
}

PointerSettings::~PointerSettings() = default;

bool PointerSettings::hasMouseSpeed() const
{
    return m_desktop && m_desktop->hasMouseSpeed();
}

bool PointerSettings::hasWheelScrollLines() const
{
    return m_desktop && m_desktop->hasWheelScrollLines();
}

bool PointerSettings::hasWheelPagePerNotch() const
{
    return m_desktop && m_desktop->hasWheelPagePerNotch();
}

int PointerSettings::storedMouseSpeed() const
{
    // QSettings would block on a FIFO and follow a link.
    if (!isMissingOrRegularFile(m_file))
        return 10;
    const QSettings s(m_file, QSettings::IniFormat);
    bool ok = false;
    const int v = s.value(kSpeedKey, 10).toInt(&ok);
    return ok ? std::clamp(v, 1, 20) : 10;
}

int PointerSettings::mouseSpeed() const
{
    if (hasMouseSpeed()) {
        if (const std::optional<int> v = m_desktop->readMouseSpeed())
            return std::clamp(*v, 1, 20);
    }
    return storedMouseSpeed();
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

int PointerSettings::storedWheelScrollLines() const
{
    if (!isMissingOrRegularFile(m_file))
        return 3;
    const QSettings s(m_file, QSettings::IniFormat);
    const int v = s.value(kLinesKey, 3).toInt();
    return (v == -1 || (v >= 1 && v <= 100)) ? v : 3;
}

int PointerSettings::wheelScrollLines() const
{
    if (hasWheelScrollLines()) {
        if (const std::optional<int> v = m_desktop->readWheelScrollLines()) {
            if (*v == -1 || (*v >= 1 && *v <= 100))
                return *v;
        }
    }
    return storedWheelScrollLines();
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
    return desktopAcceleration(speed);
}

void PointerSettings::applyMouseSpeed(int speed)
{
    if (hasMouseSpeed())
        m_desktop->applyMouseSpeed(speed);
}

void PointerSettings::applyWheelScrollLines(int lines)
{
    if (hasWheelScrollLines())
        m_desktop->applyWheelScrollLines(lines);
    // This program's own windows follow at once, whatever the desktop does.
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        QGuiApplication::styleHints()->setWheelScrollLines(lines < 0 ? 20 : lines);
}
