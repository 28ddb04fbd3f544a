#pragma once

#include <QImage>
#include <QList>
#include <QMap>
#include <QMetaType>
#include <QtGlobal>

#include <cstring>

// Value types that cross the manager interface and thread boundaries.
typedef ushort USHORT;
typedef ulong DWORD;
typedef quint32 COLORREF; // 0x00BBGGRR, red in the low byte

inline COLORREF makeColorRef(quint8 r, quint8 g, quint8 b)
{
    return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
inline quint8 colorRefRed(COLORREF c) { return quint8(c & 0xFF); }
inline quint8 colorRefGreen(COLORREF c) { return quint8((c >> 8) & 0xFF); }
inline quint8 colorRefBlue(COLORREF c) { return quint8((c >> 16) & 0xFF); }

#pragma pack(push, 1)
// One light zone as the lighting page keeps it.
struct LightZoneParam
{
    quint8 mode;        // 0..5
    quint8 breathSpeed; // as stored in the mouse
    quint8 brightness;  // constant-light brightness 0..9
    quint8 color1[4];   // red, green, blue, 0
    quint8 color2[4];
    quint8 color3[4];
};

// The lighting record: wheel zone first, logo zone second (30 bytes).
struct LightColorParam
{
    LightZoneParam wheel;
    LightZoneParam logo;

    LightColorParam() { std::memset(this, 0, sizeof(*this)); }
    bool operator==(const LightColorParam &o) const { return std::memcmp(this, &o, sizeof(*this)) == 0; }
    bool operator!=(const LightColorParam &o) const { return !(*this == o); }
};
#pragma pack(pop)

static_assert(sizeof(LightZoneParam) == 15, "light zone record is 15 bytes");
static_assert(sizeof(LightColorParam) == 30, "lighting record is 30 bytes");

Q_DECLARE_METATYPE(LightColorParam)

// Registers the six value types used in queued signals. Idempotent.
void registerDeviceMetaTypes();
