#pragma once

#include "tests/common/bytesutil.h"
#include "config/macronode.h"

// Small builders shared by the device tests.

// A key or mouse-button event of a macro file (state 0 pressed, 1 released).
inline MacroNode keyNode(int vk, int state, int delay)
{
    MacroNode n;
    n.ValueType = 3;
    n.KeyValue = vk;
    n.State = state;
    n.TimeLapse = delay;
    return n;
}

// A relative pointer movement of a macro file.
inline MacroNode moveNode(int x, int y, int delay)
{
    MacroNode n;
    n.ValueType = 6;
    n.CoordinateX = x;
    n.CoordinateY = y;
    n.TimeLapse = delay;
    return n;
}
