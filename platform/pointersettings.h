#pragma once

#include <QString>

// The desktop's pointer speed (1..20, 10 = neutral) and wheel scroll lines
// (-1 = one screen per notch). Kept in our own settings file and applied to
// the desktop where a standard way exists; failures to apply are ignored.
class PointerSettings
{
public:
    // settingsFile: INI file that keeps the values between runs; anything
    // there but a regular file (a link, a FIFO) is left alone.
    explicit PointerSettings(const QString &settingsFile);
    virtual ~PointerSettings();

    int mouseSpeed() const;           // 10 when never set
    void setMouseSpeed(int speed);    // clamped to 1..20
    int wheelScrollLines() const;     // 3 when never set
    void setWheelScrollLines(int lines); // -1 or 1..100

protected:
    // Pushes the values to the desktop. The default asks GNOME's settings
    // daemon (when present) and the running Qt application.
    virtual void applyMouseSpeed(int speed);
    virtual void applyWheelScrollLines(int lines);

private:
    QString m_file;
};

// Maps the 1..20 speed scale to GNOME's -1..1 pointer speed.
double gnomePointerSpeed(int speed);
