#pragma once

#include <QByteArray>

// Report descriptors written out by hand in the shape real devices use.
// fromHex skips the spaces, so each group is one item.
namespace descriptors {

// Boot-protocol mouse without report ids: 3 buttons, 5 padding bits, X, Y
// and wheel as signed bytes (4 bytes of input).
inline QByteArray bootMouse()
{
    return QByteArray::fromHex(
        "05 01  09 02  A1 01"           // Generic Desktop, Mouse, Application
        "  09 01  A1 00"                // Pointer, Physical
        "    05 09  19 01  29 03"       // Buttons 1..3
        "    15 00  25 01  95 03  75 01  81 02"
        "    95 01  75 05  81 01"       // padding
        "    05 01  09 30  09 31  09 38" // X, Y, Wheel
        "    15 81  25 7F  75 08  95 03  81 06"
        "  C0"
        "C0");
}

// Two vendor collections on one interface, each with its own report id:
// a 5-byte command feature report (id 5) and a 1031-byte data one (id 6).
inline QByteArray familyB()
{
    return QByteArray::fromHex(
        "06 00 FF  09 01  A1 01"
        "  85 05  09 01  15 00  26 FF 00  75 08  95 05  B1 02"
        "C0"
        "06 00 FF  09 01  A1 01"
        "  85 06  09 01  15 00  26 FF 00  75 08  96 07 04  B1 02"
        "C0");
}

// A mouse collection with report id 1 beside the vendor collection 0xFF00/14
// with report id 0xBA and 31 data bytes each way.
inline QByteArray familyA()
{
    return QByteArray::fromHex(
        "05 01  09 02  A1 01  85 01"
        "  09 01  A1 00"
        "    05 09  19 01  29 05  15 00  25 01  95 05  75 01  81 02"
        "    95 01  75 03  81 01"
        "    05 01  09 30  09 31  16 01 80  26 FF 7F  75 10  95 02  81 06"
        "    09 38  15 81  25 7F  75 08  95 01  81 06"
        "  C0"
        "C0"
        "06 00 FF  09 0E  A1 01  85 BA"
        "  09 01  15 00  26 FF 00  75 08  95 1F  81 02"
        "  09 02  95 1F  91 02"
        "C0");
}

// The NUC123 ISP boot loader: no report ids, 64 bytes each way, usages as
// ranges.
inline QByteArray nuc123Isp()
{
    return QByteArray::fromHex(
        "06 00 FF  09 01  A1 01"
        "  19 01  29 40  15 00  26 FF 00  75 08  95 40  81 02"
        "  19 01  29 40  91 02"
        "C0");
}

// Boot keyboard: 8 modifier bits, a reserved byte, 6 key slots (an array)
// in; 5 LED bits and 3 padding bits out.
inline QByteArray keyboard()
{
    return QByteArray::fromHex(
        "05 01  09 06  A1 01"
        "  05 07  19 E0  29 E7  15 00  25 01  75 01  95 08  81 02"
        "  95 01  75 08  81 01"
        "  95 05  75 01  05 08  19 01  29 05  91 02"
        "  95 01  75 03  91 01"
        "  95 06  75 08  15 00  25 65  05 07  19 00  29 65  81 00"
        "C0");
}

} // namespace descriptors
