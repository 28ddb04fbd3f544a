#pragma once

#include "device/familyb/familybcodec.h"

#include <QByteArray>

#include <algorithm>

// Test data shared by the family B tests: profiles that pass the model
// check, built from the check's definition rather than from the codec, and
// device answers.
namespace familybtest {

// The model pairs as the device documentation lists them, kept here on
// their own so a wrong row in the codec shows up.
struct Pair
{
    int x;
    int y;
};
inline Pair expectedPair(int type)
{
    switch (type) {
    case 2: return {231, 122};
    case 3: return {2, 124};
    case 4:
    case 18: return {214, 121};
    case 5: return {183, 119};
    case 15: return {38, 121};
    case 16: return {171, 119};
    default: return {74, 121};
    }
}

// A profile whose bytes 1..241 pass the model check for the seed: the
// wanted 16-bit value e is spread over the even bytes (weight 3) and byte 1,
// byte 13 is chosen for the low-byte condition. p19 only matters for type 3.
inline QByteArray buildValidProfile(int type, quint8 sign, quint8 adjust, quint8 p19 = 0, bool forgetByte19 = false)
{
    QByteArray p(familyb::kImageSize, '\0');
    const Pair pair = expectedPair(type);
    const quint8 p13 = 0x21;
    int low = (pair.x + p13) & 0xFF;
    if (type == 3 && !forgetByte19)
        low = (low + p19) & 0xFF;
    const int e = pair.y * 256 + low;
    // base + (sign ? -adjust : +adjust) == e (mod 65536), base = odd + 3 * even.
    int base = (sign ? e + adjust : e - adjust) & 0xFFFF;
    base -= p13 + p19; // both sit at odd positions
    Q_ASSERT(base > 0);
    p[13] = char(p13);
    p[19] = char(p19);
    p[1] = char(base % 3);
    int rest = base / 3;
    for (int i = 2; i <= 240 && rest > 0; i += 2) {
        const int v = std::min(rest, 255);
        p[i] = char(v);
        rest -= v;
    }
    Q_ASSERT(rest == 0);
    // Settings area: a recognisable pattern.
    for (int i = 242; i < 476; ++i)
        p[i] = char((i * 7 + 3) & 0xFF);
    return p;
}


// A profile answer of the data collection for an image and a seed.
inline QByteArray profileAnswer(const QByteArray &image, quint8 sign, quint8 adjust)
{
    QByteArray a(familyb::kDataFeatureLength, '\0');
    a[0] = 6;
    a[1] = char(0x83);
    std::copy(image.cbegin(), image.cbegin() + std::min<qsizetype>(image.size(), 1024), a.begin() + 8);
    a[484] = char(sign);
    a[485] = char(adjust);
    return a;
}

// A status answer with value in byte n + 1.
inline QByteArray statusAnswer(int n, int value, bool refuse = false)
{
    QByteArray a(8, '\0');
    a[0] = 6;
    a[1] = char(0x82);
    a[n + 1] = char(value);
    if (refuse)
        a[7] = 1;
    return a;
}

} // namespace familybtest
