#include "config/profiledefaults.h"

#include "discovery/models.h"

#include <initializer_list>

namespace {

constexpr int kHaldenSize = 234;
constexpr int kKorvanSize = 128;

QByteArray fromRows(std::initializer_list<const char *> rows)
{
    QByteArray hex;
    for (const char *row : rows)
        hex += QByteArray(row).replace(' ', QByteArray());
    return QByteArray::fromHex(hex);
}

struct Patch
{
    int offset;
    const char *bytes;
};

QByteArray patched(QByteArray block, std::initializer_list<Patch> patches)
{
    for (const Patch &p : patches) {
        const QByteArray bytes = fromRows({p.bytes});
        Q_ASSERT(p.offset >= 0 && p.offset + bytes.size() <= block.size());
        block.replace(p.offset, bytes.size(), bytes);
    }
    return block;
}

// Bytes 128..233 are shared by every Halden model.
const char *const kHaldenTail[] = {
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 04 00 01 00 04 00 02 00 FF 00 00 FF 60 00",
    "FF FF 00 00 FF 00 00 FF FF 00 00 FF FF 00 FF 10 55 AA FF 00 00 00 FF 00 00 00 FF FF FF 00 FF 00",
    "FF 00 FF FF FF FF FF 10 55 AA FF 00 00 00 FF 00 00 00 FF FF FF 00 FF 00 FF 00 FF FF FF FF FF FF",
    "FF FF 00 00 00 00 00 00 00 02",
};

// Codes 2 and 13.
const QByteArray &haldenOx2()
{
    static const QByteArray block = fromRows({
        "03 80 80 00 00 03 05 02 00 04 00 01 5A 02 83 09 0A 83 09 00 00 FF 00 08 09 09 05 08 05 08 09 09",
        "05 08 01 09 09 09 09 00 00 FF 00 09 02 05 08 05 03 01 08 09 08 01 09 1E 09 1E 12 1B 28 43 8C 00",
        "00 00 00 00 00 00 00 00 00 00 12 1B 28 43 8C 00 00 00 00 00 00 00 00 00 00 00 01 00 F0 00 01 00",
        "F1 00 01 00 F2 00 01 00 F3 00 01 00 F4 00 07 00 01 00 07 00 02 00 11 00 00 00 00 00 00 00 00 00",
        kHaldenTail[0], kHaldenTail[1], kHaldenTail[2], kHaldenTail[3],
    });
    return block;
}

// Codes 4 and 18.
const QByteArray &haldenOx1()
{
    static const QByteArray block = fromRows({
        "03 80 80 00 00 03 07 02 00 04 00 01 5A 02 85 05 0A 83 04 00 00 FF 00 00 09 00 05 08 05 03 01 08",
        "03 08 01 09 09 09 09 00 00 FF 00 09 00 05 08 05 03 01 08 03 08 01 09 1E 09 1E 09 12 1B 24 2E 37",
        "45 00 00 00 00 00 00 00 00 00 09 12 1B 24 2E 37 45 00 00 00 00 00 00 00 00 00 01 00 F0 00 01 00",
        "F1 00 01 00 F2 00 01 00 F3 00 01 00 F4 00 07 00 03 00 07 00 02 00 11 00 00 00 00 00 00 00 00 00",
        kHaldenTail[0], kHaldenTail[1], kHaldenTail[2], kHaldenTail[3],
    });
    return block;
}

const QByteArray &haldenOx6()
{
    static const QByteArray block = patched(haldenOx2(), {
        {6, "07 03"},
        {58, "10 14 1E 28 3C A0 40"},
        {72, "01"},
        {74, "10 14 1E 28 3C A0 40"},
        {88, "01"},
        {124, "21"},
        {126, "08"},
        {128, "03"},
    });
    return block;
}

const QByteArray &haldenOx2s()
{
    static const QByteArray block = patched(haldenOx1(), {
        {6, "05"},
        {14, "83 09 00"},
        {18, "09"},
        {51, "01"},
        {58, "0C 14 18 20 28 00 00"},
        {74, "0C 14 18 20 28 00 00"},
        {112, "01"},
    });
    return block;
}

const QByteArray &haldenOx1s()
{
    static const QByteArray block = patched(haldenOx1(), {
        {58, "08 10 18 20 28 30 3C"},
        {74, "08 10 18 20 28 30 3C"},
    });
    return block;
}

// Code 13: the block of codes 2 and 13 with its stages (800, 1200, 1800,
// 3000, 6200) in the OX5's own sensor codes, which differ from the OX2's.
const QByteArray &haldenOx5()
{
    static const QByteArray block = patched(haldenOx2(), {
        {58, "12 1B 29 45 91"},
        {74, "12 1B 29 45 91"},
    });
    return block;
}

// Codes 7, 8, 9 and 12. The CD bytes are fill bytes of the record.
const QByteArray &korvanOx4()
{
    static const QByteArray block = fromRows({
        "01 00 00 00 CD CD CD CD D0 07 CD CD C8 02 00 00 03 00 10 00 08 00 06 00 08 00 05 00 00 00 1E 00",
        "03 00 01 00 00 00 20 00 03 00 08 00 03 00 04 00 03 00 02 00 FF FF FF FF FF FF FF FF 01 00 00 00",
        "FF FF FF FF 08 00 0D 00 12 00 1C 00 30 00 26 00 26 00 04 00 02 04 02 04 32 00 00 00 07 00 00 00",
        "00 01 02 03 04 05 06 07 00 01 00 00 00 00 00 00 03 00 00 00 FF FF FF 00 FF FF FF 00 FF FF FF 00",
    });
    return block;
}

// Codes 10, 11 and 14.
const QByteArray &korvanOx7()
{
    static const QByteArray block = fromRows({
        "01 00 00 00 CD CD CD CD D0 07 CD CD D7 02 00 00 03 00 01 00 03 00 04 00 03 00 02 00 08 00 05 00",
        "08 00 06 03 03 10 10 03 03 08 08 03 03 10 10 03 03 08 08 FF FF FF FF FF FF FF FF 01 01 00 00 FF",
        "FF FF FF FF 10 00 14 00 1E 00 25 00 3C 00 82 00 40 01 06 00 03 03 02 04 32 00 00 00 07 00 00 00",
        "00 01 02 03 04 05 06 07 00 01 00 00 00 00 00 00 03 00 00 00 4B 9F 60 00 00 00 FF 00 00 00 FF 00",
    });
    return block;
}

// The CPI matrix of a Korvan record: 7 stage codes (16-bit), the last stage
// index and 0.
constexpr int kKorvanCpiMatrix = 68;

// Code 10: the block of codes 10, 11 and 14 with stages its 200..5000
// range holds: 800, 1000, 1500, 2000, 3000, 4000, 5000 as CPI / 50.
const QByteArray &korvanOx7q()
{
    static const QByteArray block = patched(korvanOx7(), {
        {kKorvanCpiMatrix, "10 00 14 00 1E 00 28 00 3C 00 50 00 64 00 06 00"},
    });
    return block;
}

// Code 14: the same stages in the OX7EU's codes, (CPI - 200) / 100 up to
// 5000.
const QByteArray &korvanOx7eu()
{
    static const QByteArray block = patched(korvanOx7(), {
        {kKorvanCpiMatrix, "06 00 08 00 0D 00 12 00 1C 00 26 00 30 00 06 00"},
    });
    return block;
}

} // namespace

QByteArray haldenDefaultBlock(int mouseType)
{
    QByteArray block;
    switch (modelRow(mouseType).factoryProfile) {
    case FactoryProfile::HaldenOx2: block = haldenOx2(); break;
    case FactoryProfile::HaldenOx6: block = haldenOx6(); break;
    case FactoryProfile::HaldenOx1: block = haldenOx1(); break;
    case FactoryProfile::HaldenOx2S: block = haldenOx2s(); break;
    case FactoryProfile::HaldenOx1S: block = haldenOx1s(); break;
    case FactoryProfile::HaldenOx5: block = haldenOx5(); break;
    default: return QByteArray();
    }
    Q_ASSERT(block.size() == kHaldenSize);
    return block;
}

QByteArray korvanDefaultBlock(int mouseType)
{
    QByteArray block;
    switch (modelRow(mouseType).factoryProfile) {
    case FactoryProfile::KorvanOx4: block = korvanOx4(); break;
    case FactoryProfile::KorvanOx7: block = korvanOx7(); break;
    case FactoryProfile::KorvanOx7Q: block = korvanOx7q(); break;
    case FactoryProfile::KorvanOx7EU: block = korvanOx7eu(); break;
    default: return QByteArray();
    }
    Q_ASSERT(block.size() == kKorvanSize);
    return block;
}

bool isKorvanDialect(int mouseType)
{
    return !korvanDefaultBlock(mouseType).isEmpty();
}
