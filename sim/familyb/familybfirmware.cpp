#include "sim/familyb/familybfirmware.h"

#include "discovery/models.h"

#include <initializer_list>

namespace FamilyBFirmware {

namespace {

// Factory settings blocks, 234 bytes each: the first 128 bytes differ by
// model, bytes 128..233 are common to every model.
constexpr quint8 kHeadOx2[] = {
    0x03, 0x80, 0x80, 0x00, 0x00, 0x03, 0x05, 0x02, 0x00, 0x04, 0x00, 0x01, 0x5A, 0x02, 0x83, 0x09,
    0x0A, 0x83, 0x09, 0x00, 0x00, 0xFF, 0x00, 0x08, 0x09, 0x09, 0x05, 0x08, 0x05, 0x08, 0x09, 0x09,
    0x05, 0x08, 0x01, 0x09, 0x09, 0x09, 0x09, 0x00, 0x00, 0xFF, 0x00, 0x09, 0x02, 0x05, 0x08, 0x05,
    0x03, 0x01, 0x08, 0x09, 0x08, 0x01, 0x09, 0x1E, 0x09, 0x1E, 0x12, 0x1B, 0x28, 0x43, 0x8C, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x12, 0x1B, 0x28, 0x43, 0x8C, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0xF0, 0x00, 0x01, 0x00,
    0xF1, 0x00, 0x01, 0x00, 0xF2, 0x00, 0x01, 0x00, 0xF3, 0x00, 0x01, 0x00, 0xF4, 0x00, 0x07, 0x00,
    0x01, 0x00, 0x07, 0x00, 0x02, 0x00, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
};

constexpr quint8 kHeadOx1[] = {
    0x03, 0x80, 0x80, 0x00, 0x00, 0x03, 0x07, 0x02, 0x00, 0x04, 0x00, 0x01, 0x5A, 0x02, 0x85, 0x05,
    0x0A, 0x83, 0x04, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x09, 0x00, 0x05, 0x08, 0x05, 0x03, 0x01, 0x08,
    0x03, 0x08, 0x01, 0x09, 0x09, 0x09, 0x09, 0x00, 0x00, 0xFF, 0x00, 0x09, 0x00, 0x05, 0x08, 0x05,
    0x03, 0x01, 0x08, 0x03, 0x08, 0x01, 0x09, 0x1E, 0x09, 0x1E, 0x09, 0x12, 0x1B, 0x24, 0x2E, 0x37,
    0x45, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x09, 0x12, 0x1B, 0x24, 0x2E, 0x37,
    0x45, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0xF0, 0x00, 0x01, 0x00,
    0xF1, 0x00, 0x01, 0x00, 0xF2, 0x00, 0x01, 0x00, 0xF3, 0x00, 0x01, 0x00, 0xF4, 0x00, 0x07, 0x00,
    0x03, 0x00, 0x07, 0x00, 0x02, 0x00, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
};

constexpr quint8 kCommonTail[] = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x04, 0x00, 0x01, 0x00, 0x04, 0x00, 0x02, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x60, 0x00,
    0xFF, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0x10,
    0x55, 0xAA, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0x00,
    0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x10, 0x55, 0xAA, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00,
    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02,
};

static_assert(sizeof(kHeadOx2) == 128, "model part of a settings block is 128 bytes");
static_assert(sizeof(kHeadOx1) == 128, "model part of a settings block is 128 bytes");
static_assert(sizeof(kHeadOx2) + sizeof(kCommonTail) == kSettingsSize, "settings block is 234 bytes");

// One change against a base block: bytes from `offset` on.
struct Patch
{
    int offset;
    QByteArray bytes;
};

void applyPatches(QByteArray &block, const QVector<Patch> &patches)
{
    for (const Patch &p : patches)
        for (int i = 0; i < p.bytes.size(); ++i)
            if (p.offset + i < block.size())
                block[p.offset + i] = p.bytes.at(i);
}

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray out;
    for (int b : list)
        out.append(char(b));
    return out;
}

QByteArray blockFrom(const quint8 (&head)[128])
{
    QByteArray block(reinterpret_cast<const char *>(head), int(sizeof(head)));
    block.append(reinterpret_cast<const char *>(kCommonTail), int(sizeof(kCommonTail)));
    return block;
}

// Sensor codes of the 61-step table (200..6200 CPI in steps of 100) used by
// OX1, OX8 and OX5.
constexpr quint8 kSensorTable61[] = {
    0x04, 0x06, 0x09, 0x0B, 0x0E, 0x10, 0x12, 0x15, 0x17, 0x19, 0x1B, 0x1D, 0x20, 0x22, 0x24, 0x27,
    0x29, 0x2B, 0x2E, 0x30, 0x32, 0x34, 0x37, 0x39, 0x3B, 0x3E, 0x40, 0x42, 0x45, 0x48, 0x4A, 0x4D,
    0x4E, 0x51, 0x54, 0x55, 0x58, 0x5B, 0x5D, 0x5F, 0x62, 0x64, 0x66, 0x69, 0x6B, 0x6D, 0x70, 0x72,
    0x74, 0x77, 0x79, 0x7B, 0x7E, 0x80, 0x82, 0x85, 0x87, 0x89, 0x8C, 0x8E, 0x91,
};
static_assert(sizeof(kSensorTable61) == 61, "61 sensor codes");

// OX2's sensor: (CPI, code). 4200 reads as 95, between its neighbours.
struct CpiCode
{
    int cpi;
    quint8 code;
};
constexpr CpiCode kSensorTableOx2[] = {
    {200, 4}, {300, 6}, {400, 9}, {500, 11}, {600, 13}, {700, 15}, {800, 18}, {900, 20},
    {1000, 22}, {1100, 24}, {1200, 27}, {1300, 29}, {1400, 31}, {1500, 33}, {1600, 36},
    {1700, 38}, {1800, 40}, {1900, 43}, {2000, 45}, {2100, 47}, {2200, 49}, {2300, 52},
    {2400, 54}, {2500, 56}, {2600, 58}, {2700, 61}, {2800, 63}, {2900, 65}, {3000, 67},
    {3100, 70}, {3200, 72}, {3300, 74}, {3400, 77}, {3500, 79}, {3600, 81}, {3700, 83},
    {3800, 86}, {3900, 88}, {4000, 90}, {4100, 92}, {4200, 95}, {4300, 97}, {4400, 99}, {4500, 102},
    {4600, 104}, {4700, 106}, {4800, 108}, {4900, 111}, {5000, 113}, {5100, 115}, {5200, 117},
    {5300, 120}, {5400, 122}, {5500, 124}, {5600, 127}, {5700, 129}, {5800, 131}, {5900, 133},
    {6000, 135}, {6100, 138}, {6200, 140},
};

quint8 at(const QByteArray &image, int i)
{
    return (i >= 0 && i < image.size()) ? quint8(image.at(i)) : 0;
}

// The 16-bit value e must take for bytes 1..241 to pass.
quint16 targetValue(const QByteArray &image, int mouseType)
{
    int x = 0, y = 0;
    modelPair(mouseType, x, y);
    int low = x + at(image, kCheckByte);
    if (modelRow(mouseType).checksum.minusByte19)
        low += at(image, kOx6CheckByte);
    return quint16((y << 8) | (low & 0xFF));
}

} // namespace

const QVector<int> &macroNumbers()
{
    static const QVector<int> numbers = [] {
        QVector<int> n;
        for (int i = 0; i < kMacroNumberCount; ++i)
            n.append(140 + 4 * i);
        return n;
    }();
    return numbers;
}

const QVector<int> &buttonMacroSlotNumbers()
{
    static const QVector<int> numbers = [] {
        QVector<int> n;
        for (int i = 0; i < 12; ++i)
            n.append(140 + 4 * i);
        for (int i = 0; i < 4; ++i)
            n.append(208 + 4 * i);
        return n;
    }();
    return numbers;
}

bool isMacroNumber(int number)
{
    return macroNumbers().contains(number);
}

bool isFamilyBType(int mouseType)
{
    return modelRow(mouseType).family == ProtocolFamily::B;
}

bool isFamilyCType(int mouseType)
{
    return modelRow(mouseType).family == ProtocolFamily::C;
}

void modelPair(int mouseType, int &x, int &y)
{
    const ProfileChecksum &c = modelRow(mouseType).checksum;
    x = c.x;
    y = c.y;
}

quint16 weightedSum(const QByteArray &image, int from, int to)
{
    quint32 sum = 0;
    for (int i = qMax(0, from); i <= to && i < image.size(); ++i)
        sum += (i % 2 ? 1u : 3u) * quint8(image.at(i));
    return quint16(sum);
}

bool seedMatches(const QByteArray &image, int mouseType, quint8 sign, quint8 adjustment)
{
    if (image.size() < kFactoryAreaSize)
        return false;
    const quint16 base = weightedSum(image, 1, kFactoryAreaSize - 1);
    const quint16 e = sign ? quint16(base - adjustment) : quint16(base + adjustment);
    return e == targetValue(image, mouseType);
}

bool deriveSeed(const QByteArray &image, int mouseType, quint8 &sign, quint8 &adjustment)
{
    if (image.size() < kFactoryAreaSize)
        return false;
    const quint16 base = weightedSum(image, 1, kFactoryAreaSize - 1);
    const quint16 up = quint16(targetValue(image, mouseType) - base);
    if (up <= 0xFF) {
        sign = 0;
        adjustment = quint8(up);
        return true;
    }
    const quint16 down = quint16(base - targetValue(image, mouseType));
    if (down <= 0xFF) {
        sign = 1;
        adjustment = quint8(down);
        return true;
    }
    return false;
}

quint16 settingsSum(const QByteArray &image)
{
    return weightedSum(image, kSettingsOffset, kSettingsOffset + kSettingsSize - 1);
}

bool completeTrailer(QByteArray &image, quint8 sign, quint8 adjustment)
{
    if (image.size() < kCheckedSize)
        return false;
    const quint16 t = settingsSum(image);
    image[kTrailerOffset] = char(sign);
    image[kTrailerOffset + 1] = char(adjustment);
    image[kTrailerOffset + 2] = 0;
    image[kTrailerOffset + 3] = char(t & 0xFF);
    image[kTrailerOffset + 4] = char(t >> 8);
    return true;
}

bool trailerValid(const QByteArray &image, int mouseType)
{
    if (image.size() < kCheckedSize)
        return false;
    const quint16 t = settingsSum(image);
    return seedMatches(image, mouseType, at(image, kTrailerOffset), at(image, kTrailerOffset + 1))
        && at(image, kTrailerOffset + 2) == 0
        && at(image, kTrailerOffset + 3) == (t & 0xFF)
        && at(image, kTrailerOffset + 4) == (t >> 8);
}

QByteArray defaultSettingsBlock(int mouseType)
{
    switch (modelRow(mouseType).factoryProfile) {
    case FactoryProfile::HaldenOx2:
        return blockFrom(kHeadOx2);
    case FactoryProfile::HaldenOx6: {
        QByteArray b = blockFrom(kHeadOx2);
        const QByteArray cpi = bytes({0x10, 0x14, 0x1E, 0x28, 0x3C, 0xA0, 0x40});
        applyPatches(b, {{6, bytes({0x07, 0x03})}, {58, cpi}, {72, bytes({0x01})}, {74, cpi},
                         {88, bytes({0x01})}, {124, bytes({0x21})}, {126, bytes({0x08})},
                         {128, bytes({0x03})}});
        return b;
    }
    case FactoryProfile::HaldenOx5: {
        // The OX2's stages in the OX5's own sensor codes.
        QByteArray b = blockFrom(kHeadOx2);
        const QByteArray cpi = bytes({0x12, 0x1B, 0x29, 0x45, 0x91});
        applyPatches(b, {{58, cpi}, {74, cpi}});
        return b;
    }
    case FactoryProfile::HaldenOx1:
        return blockFrom(kHeadOx1);
    case FactoryProfile::HaldenOx2S: {
        QByteArray b = blockFrom(kHeadOx1);
        const QByteArray cpi = bytes({0x0C, 0x14, 0x18, 0x20, 0x28, 0x00, 0x00});
        applyPatches(b, {{6, bytes({0x05})}, {14, bytes({0x83, 0x09, 0x00})}, {18, bytes({0x09})},
                         {51, bytes({0x01})}, {58, cpi}, {74, cpi}, {112, bytes({0x01})}});
        return b;
    }
    case FactoryProfile::HaldenOx1S: {
        QByteArray b = blockFrom(kHeadOx1);
        const QByteArray cpi = bytes({0x08, 0x10, 0x18, 0x20, 0x28, 0x30, 0x3C});
        applyPatches(b, {{58, cpi}, {74, cpi}});
        return b;
    }
    default:
        return QByteArray();
    }
}

void factorySeed(int mouseType, quint8 &sign, quint8 &adjustment)
{
    switch (mouseType) {
    case Ox2: sign = 0; adjustment = 0x2C; break;
    case Ox6: sign = 1; adjustment = 0x5A; break;
    case Ox1: sign = 0; adjustment = 0x11; break;
    case Ox2S: sign = 1; adjustment = 0x07; break;
    case Ox1S: sign = 0; adjustment = 0x9E; break;
    case Ox8: sign = 1; adjustment = 0x33; break;
    default: sign = 0; adjustment = 0; break;
    }
}

QByteArray factoryImage(int mouseType, quint16 productId, quint16 firmwareVersion)
{
    const QByteArray settings = defaultSettingsBlock(mouseType);
    if (settings.isEmpty())
        return QByteArray();

    QByteArray image(kImageSize, '\0');
    // Factory area: a small header, then calibration-like bytes from a
    // fixed generator so every model has its own, repeatable contents.
    image[0] = 0x01;
    image[1] = char(productId & 0xFF);
    image[2] = char(productId >> 8);
    image[3] = char(mouseType);
    image[4] = char(firmwareVersion & 0xFF);
    image[5] = char(firmwareVersion >> 8);
    quint32 state = 0x9E3779B9u ^ (quint32(productId) << 8) ^ quint32(mouseType);
    constexpr int kBalanceFrom = 200;
    for (int i = 6; i < kBalanceFrom; ++i) {
        state = state * 1664525u + 1013904223u;
        image[i] = char(0x18 + (state >> 24) % 0x50);
    }

    // Bytes 200..241 are balanced so the model check holds with the
    // model's seed: 21 bytes weigh 1 and 21 weigh 3 in the sum.
    quint8 sign = 0, adjustment = 0;
    factorySeed(mouseType, sign, adjustment);
    const quint16 target = targetValue(image, mouseType);
    const quint16 wanted = sign ? quint16(target + adjustment) : quint16(target - adjustment);
    const int fill = quint16(wanted - weightedSum(image, 1, kBalanceFrom - 1));
    constexpr int kWeight = 21 * 1 + 21 * 3;
    if (fill <= kWeight * 255) {
        const int base = fill / kWeight;
        int rest = fill % kWeight;
        for (int i = kBalanceFrom; i < kFactoryAreaSize; ++i)
            image[i] = char(base);
        for (int i = kBalanceFrom; i < kFactoryAreaSize && rest >= 3; i += 2, rest -= 3)
            image[i] = char(base + 1);
        for (int i = kBalanceFrom + 1; i < kFactoryAreaSize && rest > 0; i += 2, --rest)
            image[i] = char(base + 1);
    }

    for (int i = 0; i < kSettingsSize; ++i)
        image[kSettingsOffset + i] = settings.at(i);
    if (isFamilyBType(mouseType))
        completeTrailer(image, sign, adjustment);
    return image;
}

int cpiValue(int mouseType, quint8 low, quint8 high)
{
    switch (modelRow(mouseType).cpiCoding) {
    case CpiCoding::Step50:
        return high * 12800 + low * 50;
    case CpiCoding::Sensor61:
        for (int i = 0; i < int(sizeof(kSensorTable61)); ++i)
            if (kSensorTable61[i] == low)
                return 200 + 100 * i;
        return 0;
    default:
        for (const CpiCode &c : kSensorTableOx2)
            if (c.code == low)
                return c.cpi;
        return 0;
    }
}

} // namespace FamilyBFirmware
