#include "discovery/models.h"

#include "platform/hidbus.h"

#include <QDebug>

#include <algorithm>
#include <atomic>
#include <initializer_list>

namespace {
bool in(int t, std::initializer_list<int> set)
{
    return std::find(set.begin(), set.end(), t) != set.end();
}

std::atomic<int> g_currentMouseType{0};
} // namespace

const QVector<ModelIdentity> &modelTable()
{
    static const QVector<ModelIdentity> table = {
        {2, "OX2", ProtocolFamily::B, 0, PID_OX2},
        {3, "OX6", ProtocolFamily::B, 0, PID_OX6},
        {4, "OX1", ProtocolFamily::B, 0, PID_OX1},
        {5, "OX2S", ProtocolFamily::B, 0, PID_OX2S},
        {6, "OX1S", ProtocolFamily::B, 0, PID_OX1S},
        {7, "OX4C", ProtocolFamily::A, PID_OX4C_RECEIVER, PID_OX4C_WIRED},
        {8, "OX4Q", ProtocolFamily::A, PID_OX4Q_RECEIVER, PID_OX4Q_WIRED},
        {9, "OX7C", ProtocolFamily::A, PID_OX7C_RECEIVER, PID_OX7C_WIRED},
        {10, "OX7Q", ProtocolFamily::A, PID_OX7Q_RECEIVER, PID_OX7Q_WIRED},
        {11, "OX7", ProtocolFamily::A, PID_OX7_RECEIVER, PID_OX7_WIRED},
        {12, "OX4", ProtocolFamily::A, PID_OX4_WIRELESS, PID_OX4_WIRED},
        {13, "OX5", ProtocolFamily::C, 0, PID_OX5},
        {14, "OX7EU", ProtocolFamily::A, PID_OX7EU_RECEIVER, PID_OX7EU_WIRED},
        {18, "OX8", ProtocolFamily::B, 0, PID_OX8},
    };
    return table;
}

const ModelIdentity *modelForType(int mouseType)
{
    for (const ModelIdentity &m : modelTable())
        if (m.mouseType == mouseType)
            return &m;
    return nullptr;
}

FamilySelection selectFamilyForPid(quint16 productId)
{
    if (productId == 0)
        return {};
    for (const ModelIdentity &m : modelTable()) {
        if (m.wirelessPid == productId)
            return {m.family, m.mouseType, true};
        if (m.wiredPid == productId)
            return {m.family, m.mouseType, false};
    }
    return {};
}

QString wirelessPathFragment(int mouseType)
{
    const ModelIdentity *m = modelForType(mouseType);
    return m && m->wirelessPid ? hidPathFragment(VID_KORVAN, m->wirelessPid) : QString();
}

QString wiredPathFragment(int mouseType)
{
    const ModelIdentity *m = modelForType(mouseType);
    return m ? hidPathFragment(VID_KORVAN, m->wiredPid) : QString();
}

int turnDescriptorToMouseType(const QString &productString)
{
    // The descriptor is read into a 50-byte buffer: 25 UTF-16 characters.
    QString text;
    for (const QChar c : productString.left(25))
        if (!c.isNull())
            text.append(c);
    qDebug() << "turnDescriptorToMouseType" << text;
    if (text.contains(QLatin1String("OX7EU"), Qt::CaseSensitive))
        return 14;
    if (text.contains(QLatin1String("OX4"), Qt::CaseSensitive))
        return 12;
    return 0;
}

int chipBootloaderMouseType(quint16 releaseNumber)
{
    switch (releaseNumber) {
    case PID_OX2S: return 5;
    case PID_OX2: return 2;
    case PID_OX6: return 3;
    case PID_OX1: return 4;
    case PID_OX8: return 18;
    case PID_OX1S: return 6;
    case PID_OX5: return 13;
    default: return 0;
    }
}

quint16 wiredPartnerPid(quint16 productId)
{
    for (const ModelIdentity &m : modelTable())
        if (m.family == ProtocolFamily::A && m.wirelessPid == productId)
            return m.wiredPid;
    return 0;
}

bool isWirelessPid(quint16 productId)
{
    return productId != 0 && wiredPartnerPid(productId) != 0;
}

bool isFamilyA(int t) { return in(t, {7, 8, 9, 10, 11, 12, 14}); }
bool isOx7Series(int t) { return in(t, {9, 10, 11, 14}); }
bool isOx4Series(int t) { return in(t, {7, 8, 12}); }
bool isOx1Series(int t) { return in(t, {4, 6, 18}); }
bool isFamilyAOr15Or16(int t) { return isFamilyA(t) || t == 15 || t == 16; }
bool reportsBatteryPercent(int t, int firmwareVersion)
{
    return t == 10 || t == 14 || (t == 11 && firmwareVersion >= 30);
}
bool isOx7OrOx7Q(int t) { return t == 10 || t == 11; }
bool isOx6(int t) { return t == 3; }
bool isOx7EU(int t) { return t == 14; }
bool isOx2PictureCode(int t) { return t == 16; }
bool isOx6PictureCode(int t) { return t == 15; }
bool isOx5(int t) { return t == 13; }
bool isOx4(int t) { return t == 12; }
bool isOx2(int t) { return t == 2; }
bool isOx2S(int t) { return t == 5; }
bool isCpiGroupA(int t) { return in(t, {2, 4, 13, 18}); }
bool isCpiGroupB(int t) { return in(t, {3, 5, 6, 11}); }
bool isCpiGroupC(int t) { return in(t, {3, 6, 11}); }
bool isCpiGroupD(int t) { return t == 4 || t == 18; }
bool isCpiGroupE(int t) { return t == 14 || t == 16; }
bool hasOledScreen(int t) { return in(t, {3, 10, 11}); }
bool isNotOx7EU(int t) { return t != 14; }

int lightingFamilyAFlag(int t)
{
    if (isFamilyA(t))
        return 1;
    if (in(t, {2, 3, 4, 5, 6, 13, 15, 16, 17, 18}))
        return 0;
    return -1;
}

int familyAModelVariant(int t) { return t == 12 ? 2 : 3; }

int currentMouseType() { return g_currentMouseType.load(); }
void setCurrentMouseType(int mouseType) { g_currentMouseType.store(mouseType); }
