#pragma once

// The host's side of the family B wire for the emulator tests, written from
// the byte tables with literal numbers, so that the tests do not repeat the
// emulator's own constants.

#include "sim/emulatedhidbus.h"
#include "sim/familyb/familybmouse.h"
#include "tests/common/bytesutil.h"

#include <QByteArray>
#include <QVector>

#include <initializer_list>
#include <memory>

namespace host {

using ::bytes;

inline quint8 u8(const QByteArray &b, int i)
{
    return (i >= 0 && i < b.size()) ? quint8(b.at(i)) : 0;
}

// The model check the host runs over profile bytes 1..241 with a seed.
inline bool modelCheck(const QByteArray &p, int mouseType, quint8 sign, quint8 adjustment)
{
    int x = 74, y = 121;
    if (mouseType == 2) { x = 231; y = 122; }
    if (mouseType == 3) { x = 2; y = 124; }
    if (mouseType == 4 || mouseType == 18) { x = 214; y = 121; }
    if (mouseType == 5) { x = 183; y = 119; }
    quint16 sOdd = 0, sEven = 0;
    for (int i = 1; i <= 241; ++i) {
        if (i % 2)
            sOdd = quint16(sOdd + u8(p, i));
        else
            sEven = quint16(sEven + u8(p, i));
    }
    const int signedAdjustment = sign ? -int(adjustment) : int(adjustment);
    const quint16 e = quint16(sOdd + 3 * sEven + signedAdjustment);
    quint8 f = quint8(e & 0xFF);
    if (mouseType == 3)
        f = quint8(f - u8(p, 19));
    return quint8(f - u8(p, 13)) == x && (e >> 8) == y;
}

// Odd bytes once, even bytes three times, profile bytes 242..475, 16 bits.
inline quint16 settingsSum(const QByteArray &p)
{
    quint16 odd = 0, even = 0;
    for (int i = 242; i <= 475; ++i) {
        if (i % 2)
            odd = quint16(odd + u8(p, i));
        else
            even = quint16(even + u8(p, i));
    }
    return quint16(odd + 3 * even);
}

// Puts the trailer the host writes: seed, 0, settings sum.
inline void completeTrailer(QByteArray &p, quint8 sign, quint8 adjustment)
{
    const quint16 t = settingsSum(p);
    p[476] = char(sign);
    p[477] = char(adjustment);
    p[478] = 0;
    p[479] = char(t & 0xFF);
    p[480] = char(t >> 8);
}

// An open mouse on its own bus: both vendor collections, found by their
// feature lengths.
struct Link
{
    EmulatedHidBus bus;
    std::shared_ptr<FamilyBMouse> mouse;
    std::unique_ptr<HidDevice> command;
    std::unique_ptr<HidDevice> data;

    explicit Link(int mouseType)
    {
        mouse = plugFamilyB(bus, mouseType);
        for (const HidDeviceInfo &info : bus.enumerate()) {
            if (info.usagePage != 0xFF00 || info.usage != 1)
                continue;
            if (info.featureReportLength == 6)
                command = bus.open(info.path);
            else if (info.featureReportLength == 1032)
                data = bus.open(info.path);
        }
    }
    bool isOpen() const { return mouse && command && data; }

    // A command report: id 5, the bytes, zeros to 6 bytes.
    bool send(std::initializer_list<int> cmd)
    {
        QByteArray r(6, '\0');
        r[0] = 0x05;
        int i = 1;
        for (int b : cmd)
            if (i < r.size())
                r[i++] = char(b);
        return command->setFeature(r);
    }
    // A data report: id 6, the bytes, zeros to `length` bytes.
    bool sendData(const QByteArray &payload, int length = 1032)
    {
        QByteArray r(length, '\0');
        r[0] = 0x06;
        for (int i = 0; i < payload.size() && 1 + i < length; ++i)
            r[1 + i] = payload.at(i);
        return data->setFeature(r);
    }
    // Reads the data feature; empty when the transfer fails.
    QByteArray answer(int length = 1032)
    {
        QByteArray r(length, '\0');
        r[0] = 0x06;
        if (!data->getFeature(r))
            return QByteArray();
        return r;
    }
    // One status poll: the whole (8-byte) answer.
    QByteArray poll()
    {
        if (!send({0x82}))
            return QByteArray();
        return answer(8);
    }
    // The profile answer (1032 bytes) or empty.
    QByteArray readProfileAnswer()
    {
        if (!send({0x83, 0x00}))
            return QByteArray();
        return answer();
    }
    // Profile write: {0x03, 00 00 02 00 00 00, image bytes 0..503}.
    bool writeProfile(const QByteArray &image, int length = 1032)
    {
        QByteArray payload = bytes({0x03, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00});
        payload.append(image.left(504));
        return sendData(payload, length);
    }
    bool writeMacro(int number, const QByteArray &header, const QVector<quint16> &entries)
    {
        QByteArray payload = bytes({0x04, number, 0x00, 0x04, 0x00, 0x00, 0x00});
        payload.append(header);
        for (quint16 e : entries) {
            payload.append(char(e & 0xFF));
            payload.append(char(e >> 8));
        }
        return sendData(payload);
    }
};

} // namespace host
