#pragma once

#include <QString>
#include <QVector>

// The supported models: type codes, protocol families, USB identities and
// the model table. Every USB id and every per-model fact the program knows
// lives in this file and models.cpp; adding a model means a type code, its
// ids and one table row.

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

// Type codes (mouseType). They name the model in signals, file paths and
// resource paths, so the numbers never change.
enum MouseType : int {
    NoModel = 0,
    Ox2 = 2,
    Ox6 = 3,
    Ox1 = 4,
    Ox2S = 5,
    Ox1S = 6,
    Ox4C = 7,
    Ox4Q = 8,
    Ox7C = 9,
    Ox7Q = 10,
    Ox7 = 11,
    Ox4 = 12,
    Ox5 = 13,
    Ox7EU = 14,
    // Not models: codes that only reach the folder and feature tests, each
    // with the picture set of the model it is named after.
    Ox6PictureCode = 15,
    Ox2PictureCode = 16,
    Ox8 = 18,
};

// The series the key assignment and lighting pages tell apart.
enum class ModelSeries { None, Ox1, Ox4, Ox7 };

// Models whose main settings page shares a button layout and label style.
enum class ButtonLayoutGroup { None, Ox2, Ox6, Ox1, Ox4, Ox7, Ox8 };

// The light zones of the lighting page.
enum class LightZones {
    WheelAndLogo,
    LogoOnly,     // one zone, carried as the logo zone (family A, codes 15 and 16)
    LogoAndStrip, // OX8: the wheel zone lights the logo, the logo zone the strip
};

// How the battery word of a wireless model reads.
enum class BatteryScale { Raw, Percent, PercentFromFirmware30 };

// Range and step grid of the CPI rows.
enum class CpiRangeGroup {
    To5000,          // 200..5000, step 100
    To6200,          // 200..6200, step 100
    To16000,         // 50..16000, step 50
    TwoStepsTo10000, // 200..10000, step 100 below 5000, 200 from 5000
};

// The values a CPI level falls back to (all 200 for Flat200).
enum class CpiDefaults { Flat200, Ox6, Ox1, Ox2, Ox2S, Ox4, Ox5, Ox7EU };

// How the mouse codes a CPI value. Each family's codec reads the values of
// its own family and has its own rule for the rest.
enum class CpiCoding {
    None,
    Ox2Table,   // family B: the CPI's code in the OX2 table
    Step50,     // family B: low = CPI / 50, high = CPI / 12800
    Sensor61,   // families B and C: the CPI's code in the 61-entry sensor table
    Wide50,     // family A: CPI / 50
    Ox4Steps,   // family A: (CPI - 200) / 100
    Ox7EUSteps, // family A: (CPI - 200) / 100 up to 5000, CPI / 200 + 23 above
};

// The factory profile a model starts from: a Halden block (families B and
// C) or a Korvan block (family A). Models whose CPI codes follow another
// encoding have a block of their own, whose stages decode by their rules.
enum class FactoryProfile {
    None,
    HaldenOx2,
    HaldenOx6,
    HaldenOx1,
    HaldenOx2S,
    HaldenOx1S,
    HaldenOx5,
    KorvanOx4,
    KorvanOx7,
    KorvanOx7Q,
    KorvanOx7EU,
};

// What the family B profile checksum over bytes 1..241 must come to.
struct ProfileChecksum
{
    quint8 x;
    quint8 y;
    bool minusByte19; // the OX6 also takes byte 19 off the low byte
    bool required;    // the OX8 takes and gives profiles whatever the sum
};

// One row of the model table: a model's identity and every per-model fact
// the program decides by type code.
struct ModelIdentity
{
    int mouseType;
    const char *name;       // "OX7"; empty for codes that name no model
    ProtocolFamily family;
    quint16 wirelessPid;    // receiver or wireless id, 0 when the model has none
    quint16 wiredPid;

    const char *folder;        // data folder below ConfigFiles/MouseFile
    const char *pictureFolder; // picture set in the resource tree
    // defaultFirmware stands in for a version the mouse did not report;
    // below minimumFirmware (0: none) the window asks for an update. They
    // differ for the OX8 (4 and 5), so an OX8 whose version cannot be read
    // is offered the update. Emulated mice report the higher of the two.
    int defaultFirmware;
    int minimumFirmware;

    ModelSeries series;
    ButtonLayoutGroup buttonLayout;
    LightZones lightZones;
    bool oled;
    BatteryScale battery;

    CpiRangeGroup cpiRange;
    CpiDefaults cpiDefaults;
    bool cpiGroupE; // listed as CPI group E; no rule reads it yet
    CpiCoding cpiCoding;
    int startStageLimit; // family A: highest CPI stage restored when a profile matches
    int cpiStageLimit;   // CPI stages the model takes: the first entries of a list

    FactoryProfile factoryProfile;
    ProfileChecksum checksum;
    // Bytes of program memory the boot loader can write; 0 when unknown.
    // A larger image fails part-way and leaves the mouse in its boot loader.
    int programMemory;
};

// The models, in type-code order.
const QVector<ModelIdentity> &modelTable();
// The row of a model, or nullptr for codes that name none.
const ModelIdentity *modelForType(int mouseType);
// The row of any code: a model's, that of picture code 15 or 16, or the one
// row every other code shares.
const ModelIdentity &modelRow(int mouseType);

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
// The family A manager's cap on the restored CPI stage: 2 for OX4, 3 otherwise.
int familyAModelVariant(int t);

// Process-wide type code of the open model; written only by the data
// coordinator, 0 when none.
int currentMouseType();
void setCurrentMouseType(int mouseType);
