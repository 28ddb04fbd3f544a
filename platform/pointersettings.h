#pragma once

#include <QString>

class DesktopPointer;

// The desktop's pointer speed (1..20, 10 = neutral) and wheel scroll lines
// (-1 = one screen per notch), read from and applied to the desktop where it
// offers a standard way (DesktopPointer), and kept in our own settings file
// as well, which answers where the desktop cannot. Failures to apply are
// ignored.
class PointerSettings
{
public:
    // settingsFile: INI file that keeps the values between runs; anything
    // there but a regular file (a link, a FIFO) is left alone. desktop: the
    // session's desktop, or nullptr for none.
    explicit PointerSettings(const QString &settingsFile, DesktopPointer *desktop = nullptr);
    virtual ~PointerSettings();

    // Whether the desktop has the setting at all; a control for one it
    // lacks would change nothing outside the program.
    bool hasMouseSpeed() const;
    bool hasWheelScrollLines() const;
    bool hasWheelPagePerNotch() const;

    int mouseSpeed() const;           // the desktop's, else the stored one, else 10
    void setMouseSpeed(int speed);    // clamped to 1..20
    int wheelScrollLines() const;     // the desktop's, else the stored one, else 3
    void setWheelScrollLines(int lines); // -1 or 1..100

protected:
    // Push the values to the desktop and to this program's own windows.
    virtual void applyMouseSpeed(int speed);
    virtual void applyWheelScrollLines(int lines);

private:
    int storedMouseSpeed() const;
    int storedWheelScrollLines() const;

    QString m_file;
    DesktopPointer *m_desktop;
};

// Maps the 1..20 speed scale to GNOME's -1..1 pointer speed.
double gnomePointerSpeed(int speed);
