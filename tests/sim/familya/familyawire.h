#pragma once

#include "sim/emulatedhidbus.h"
#include "tests/common/bytesutil.h"

#include <QByteArray>
#include <QString>

#include <initializer_list>
#include <memory>

// Wire helpers for the family A emulator tests: the host side written out
// by hand, byte by byte.
namespace wire {

inline QByteArray hex(const char *text)
{
    return hexBytes(text);
}

inline QByteArray le16(quint16 v)
{
    return bytes({v & 0xFF, v >> 8});
}

// A 32-byte command report: 0xBA, then the given bytes, zero padded.
inline QByteArray report(const QByteArray &afterId)
{
    QByteArray r(32, '\0');
    r[0] = char(0xBA);
    for (int i = 0; i < afterId.size() && i + 1 < r.size(); ++i)
        r[i + 1] = afterId.at(i);
    return r;
}

inline QByteArray report(std::initializer_list<int> afterId)
{
    return report(bytes(afterId));
}

// Opens the interface of a product id with the given usage page.
inline std::unique_ptr<HidDevice> open(EmulatedHidBus &bus, quint16 productId, quint16 usagePage)
{
    for (const HidDeviceInfo &info : bus.enumerate()) {
        if (info.productId == productId && info.usagePage == usagePage)
            return bus.open(info.path);
    }
    return nullptr;
}

inline int countProduct(EmulatedHidBus &bus, quint16 productId)
{
    int n = 0;
    for (const HidDeviceInfo &info : bus.enumerate())
        n += info.productId == productId ? 1 : 0;
    return n;
}

// One answer as it arrives on the wire (id byte first); empty when the
// transfer failed.
inline QByteArray ask(HidDevice &device)
{
    QByteArray r(32, '\0');
    r[0] = char(0xBA);
    if (!device.getInputReport(r))
        return QByteArray();
    return r;
}

inline quint8 status(const QByteArray &answer)
{
    return answer.size() > 1 ? quint8(answer.at(1)) : 0xEE;
}

} // namespace wire
