#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// Runs the desktops' settings tools. Replaceable, so tests see the commands
// without ever starting a real tool.
class DesktopCommandRunner
{
public:
    virtual ~DesktopCommandRunner();
    // The program is on PATH.
    virtual bool exists(const QString &program) const;
    // Runs it and waits (a few seconds at most); true when it exited with 0.
    // Its standard output goes to output when given.
    virtual bool run(const QString &program, const QStringList &arguments, QString *output = nullptr);
};

// The pointer speed (our scale: 1..20, 10 neutral) and the wheel scroll
// lines as one desktop keeps them: read from and written to its own settings.
// GUI thread.
class DesktopPointer
{
public:
    virtual ~DesktopPointer();
    virtual QString name() const = 0;

    virtual bool hasMouseSpeed() const = 0;
    virtual std::optional<int> readMouseSpeed() = 0;
    virtual bool applyMouseSpeed(int speed) = 0;

    virtual bool hasWheelScrollLines() const = 0;
    // Whether "one screen per notch" (-1) exists there besides a line count.
    virtual bool hasWheelPagePerNotch() const = 0;
    virtual std::optional<int> readWheelScrollLines() = 0;
    virtual bool applyWheelScrollLines(int lines) = 0;
};

// GNOME: gsettings, org.gnome.desktop.peripherals.mouse "speed" (-1..1).
// GNOME has no setting for the wheel's lines per notch.
class GnomeDesktopPointer final : public DesktopPointer
{
public:
    explicit GnomeDesktopPointer(DesktopCommandRunner &runner);
    QString name() const override { return QStringLiteral("GNOME"); }
    bool hasMouseSpeed() const override { return true; }
    std::optional<int> readMouseSpeed() override;
    bool applyMouseSpeed(int speed) override;
    bool hasWheelScrollLines() const override { return false; }
    bool hasWheelPagePerNotch() const override { return false; }
    std::optional<int> readWheelScrollLines() override { return std::nullopt; }
    bool applyWheelScrollLines(int) override { return false; }

private:
    DesktopCommandRunner &m_runner;
};

// KDE Plasma: kreadconfig/kwriteconfig (6, else 5). The pointer speed is
// "XLbInptPointerAcceleration" (-1..1) in kcminputrc, group "Mouse", where
// the mouse settings module keeps it; the wheel lines are "WheelScrollLines"
// in kdeglobals, group "KDE", which every KDE and Qt program follows. KDE has
// no "one screen per notch". Plasma applies written values when its settings
// are next loaded (a new login at the latest).
class KdeDesktopPointer final : public DesktopPointer
{
public:
    // version: 5 or 6, the suffix of the tools to use.
    KdeDesktopPointer(DesktopCommandRunner &runner, int version);
    QString name() const override { return QStringLiteral("KDE"); }
    bool hasMouseSpeed() const override { return true; }
    std::optional<int> readMouseSpeed() override;
    bool applyMouseSpeed(int speed) override;
    bool hasWheelScrollLines() const override { return true; }
    bool hasWheelPagePerNotch() const override { return false; }
    std::optional<int> readWheelScrollLines() override;
    bool applyWheelScrollLines(int lines) override;

private:
    std::optional<QString> read(const QString &file, const QString &group, const QString &key);
    bool write(const QString &file, const QString &group, const QString &key, const QString &value);

    DesktopCommandRunner &m_runner;
    QString m_read;
    QString m_write;
};

// The desktop of this session by XDG_CURRENT_DESKTOP (a colon-separated
// list such as "ubuntu:GNOME") and the tools present; nullptr where no
// desktop with a standard way is running (libinput alone has no global
// wheel setting, and other desktops keep theirs elsewhere).
std::unique_ptr<DesktopPointer> detectDesktopPointer(const QByteArray &currentDesktop, DesktopCommandRunner &runner);

// Our 1..20 scale and the -1..1 acceleration both desktops use.
double desktopAcceleration(int speed);
int speedFromAcceleration(double acceleration);

// The session's desktop, detected on first use; nullptr when there is none.
// setDesktopPointer installs another (tests); nullptr detects again.
DesktopPointer *desktopPointer();
void setDesktopPointer(DesktopPointer *pointer);
