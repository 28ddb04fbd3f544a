#pragma once

#include <QString>
#include <QVector>

// The supported models: type codes, protocol families and USB identities.
// Every USB id the program knows lives in this file.

enum class ProtocolFamily { None, A, B, C };

// Vendor id of the maker; all mouse, receiver and boot loader ids below are
// product ids under it.
constexpr quint16 VID_KORVAN = 0x33F9;

constexpr quint16 PID_OX4C_RECEIVER = 0x0207;
constexpr quint16 PID_OX4Q_RECEIVER = 0x0208;
constexpr quint16 PID_OX7C_RECEIVER = 0x0209;
constexpr quint16 PID_OX7Q_RECEIVER = 0x020A;
constexpr quint16 PID_OX7_RECEIVER = 0x020B;
constexpr quint16 PID_OX4_WIRELESS = 0x020C;
constexpr quint16 PID_OX7EU_RECEIVER = 0x020E;

constexpr quint16 PID_OX4C_WIRED = 0x0217;
constexpr quint16 PID_OX4Q_WIRED = 0x0218;
constexpr quint16 PID_OX7C_WIRED = 0x0219;
constexpr quint16 PID_OX7Q_WIRED = 0x021A;
constexpr quint16 PID_OX7_WIRED = 0x021B;
constexpr quint16 PID_OX4_WIRED = 0x021C;
constexpr quint16 PID_OX7EU_WIRED = 0x021E;

constexpr quint16 PID_OX2 = 0x0102;
constexpr quint16 PID_OX6 = 0x0103;
constexpr quint16 PID_OX1 = 0x0104;
constexpr quint16 PID_OX2S = 0x0105;
constexpr quint16 PID_OX1S = 0x0106;
constexpr quint16 PID_OX5 = 0x0113;
constexpr quint16 PID_OX8 = 0x0118;

// Any family A mouse in its firmware-update mode (NUC123 ISP boot loader).
constexpr quint16 PID_BOOTLOADER = 0x02FF;

// A family B or C mouse in firmware-update mode enumerates under the
// controller maker's vendor id; its release number names the model.
constexpr quint16 VID_CHIP_BOOTLOADER = 0x33FA;
constexpr quint16 PID_CHIP_BOOTLOADER = 0x0B00;

// The vendor-defined collection family A speaks on.
constexpr quint16 FAMILY_A_USAGE_PAGE = 0xFF00;
constexpr quint16 FAMILY_A_USAGE = 14;

// One row of the model table.
struct ModelIdentity
{
    int mouseType;
    const char *name;       // "OX7"
    ProtocolFamily family;
    quint16 wirelessPid;    // receiver or wireless id, 0 when the model has none
    quint16 wiredPid;
};

// Rows in type-code order.
const QVector<ModelIdentity> &modelTable();
// The row of a type code, or nullptr.
const ModelIdentity *modelForType(int mouseType);

// What a detected product id selects.
struct FamilySelection
{
    ProtocolFamily family = ProtocolFamily::None;
    int mouseType = 0;
    bool wireless = false;
    bool isValid() const { return family != ProtocolFamily::None; }
};
FamilySelection selectFamilyForPid(quint16 productId);

// The two match strings of a family A model ("VID_...&PID_...").
QString wirelessPathFragment(int mouseType);
QString wiredPathFragment(int mouseType);

// Boot loader descriptors.
int turnDescriptorToMouseType(const QString &productString);
int chipBootloaderMouseType(quint16 releaseNumber);

// Partner id moved ahead of a wireless id when it arrives (0 when none).
quint16 wiredPartnerPid(quint16 productId);

bool isWirelessPid(quint16 productId);

// Set tests on type codes.
bool isFamilyA(int t);
bool isOx7Series(int t);
bool isOx4Series(int t);
bool isOx1Series(int t);
bool isFamilyAOr15Or16(int t);
bool reportsBatteryPercent(int t, int firmwareVersion);
bool isOx7OrOx7Q(int t);
bool isOx6(int t);
bool isOx7EU(int t);
bool isOx2PictureCode(int t);
bool isOx6PictureCode(int t);
bool isOx5(int t);
bool isOx4(int t);
bool isOx2(int t);
bool isOx2S(int t);
bool isCpiGroupA(int t);
bool isCpiGroupB(int t);
bool isCpiGroupC(int t);
bool isCpiGroupD(int t);
bool isCpiGroupE(int t);
bool hasOledScreen(int t);
bool isNotOx7EU(int t);
// Whether the lighting page treats the model as family A: 1 yes, 0 no,
// -1 leave the page unchanged (codes outside 2..18).
int lightingFamilyAFlag(int t);
// Value the family A manager keeps per model: 2 for OX4, 3 otherwise.
int familyAModelVariant(int t);

// Process-wide type code of the open model; written only by the data
// coordinator, 0 when none.
int currentMouseType();
void setCurrentMouseType(int mouseType);
