#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

// One event of a macro as the editor and the macro files hold it.
//   ValueType 3: key or mouse button (KeyValue = virtual key; mouse buttons
//                1 left, 2 right, 4 middle), State 0 pressed / 1 released.
//   ValueType 6: relative movement CoordinateX/CoordinateY in -127..127.
// TimeLapse is the delay in ms after the event, 0 when none follows.
struct MacroNode
{
    int ValueType = -1;
    int MouseValue = -1;
    int KeyValue = -1;
    int TimeLapse = 1;
    int CoordinateX = -1;
    int CoordinateY = -1;
    int State = -1;
    QString Text;

    bool operator==(const MacroNode &o) const
    {
        return ValueType == o.ValueType && MouseValue == o.MouseValue && KeyValue == o.KeyValue
            && TimeLapse == o.TimeLapse && CoordinateX == o.CoordinateX && CoordinateY == o.CoordinateY
            && State == o.State && Text == o.Text;
    }
};

Q_DECLARE_METATYPE(MacroNode)
