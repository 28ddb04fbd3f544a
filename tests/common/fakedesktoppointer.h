#pragma once

#include "platform/desktoppointer.h"

#include <QList>

// A desktop whose pointer settings live in memory: installed while it
// exists, so no test ever runs a real desktop tool. By default a desktop
// without either setting.
class FakeDesktopPointer : public DesktopPointer
{
public:
    FakeDesktopPointer() { setDesktopPointer(this); }
    ~FakeDesktopPointer() override { setDesktopPointer(nullptr); }

    QString name() const override { return QStringLiteral("fake"); }
    bool hasMouseSpeed() const override { return speedKnown; }
    std::optional<int> readMouseSpeed() override { return speedKnown ? std::optional<int>(speed) : std::nullopt; }
    bool applyMouseSpeed(int s) override
    {
        appliedSpeeds << s;
        speed = s;
        return true;
    }
    bool hasWheelScrollLines() const override { return linesKnown; }
    bool hasWheelPagePerNotch() const override { return pagePerNotch; }
    std::optional<int> readWheelScrollLines() override
    {
        return linesKnown ? std::optional<int>(lines) : std::nullopt;
    }
    bool applyWheelScrollLines(int l) override
    {
        appliedLines << l;
        lines = l;
        return true;
    }

    bool speedKnown = false;
    bool linesKnown = false;
    bool pagePerNotch = false;
    int speed = 10;
    int lines = 3;
    QList<int> appliedSpeeds;
    QList<int> appliedLines;
};
