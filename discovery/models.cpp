#include "discovery/models.h"

#include "platform/hidbus.h"

#include <QDebug>

#include <atomic>
#include <iterator>

namespace {

// Every family A model carries a NUC123 with 64 KB of program memory.
constexpr int kNuc123ProgramMemory = 64 * 1024;

std::atomic<int> g_currentMouseType{0};

constexpr ProtocolFamily A = ProtocolFamily::A;
constexpr ProtocolFamily B = ProtocolFamily::B;
constexpr ProtocolFamily C = ProtocolFamily::C;
constexpr ProtocolFamily NoFamily = ProtocolFamily::None;

// Checksum targets: most models share the default pair.
constexpr ProfileChecksum kChecksum{74, 121, false, true};
constexpr ProfileChecksum kOx2Checksum{231, 122, false, true};
constexpr ProfileChecksum kOx6Checksum{2, 124, true, true};
constexpr ProfileChecksum kOx1Checksum{214, 121, false, true};
constexpr ProfileChecksum kOx2SChecksum{183, 119, false, true};
constexpr ProfileChecksum kOx8Checksum{214, 121, false, false};

// Each row: identity; folders and firmware (default, minimum); pages
// (series, button layout, light zones, OLED, battery); CPI (range,
// defaults, group E, coding, family A stage limit, stages taken); factory
// profile and family B checksum.
const ModelIdentity kModels[] = {
    {Ox2, "OX2", B, 0, PID_OX2,
     "ox2", "ox2", 8, 0,
     ModelSeries::None, ButtonLayoutGroup::Ox2, LightZones::WheelAndLogo, false, BatteryScale::Raw,
     CpiRangeGroup::To6200, CpiDefaults::Ox2, false, CpiCoding::Ox2Table, 3, 7,
     FactoryProfile::HaldenOx2, kOx2Checksum, 0},
    {Ox6, "OX6", B, 0, PID_OX6,
     "ox6", "ox6", 10, 0,
     ModelSeries::None, ButtonLayoutGroup::Ox6, LightZones::WheelAndLogo, true, BatteryScale::Raw,
     CpiRangeGroup::To16000, CpiDefaults::Ox6, false, CpiCoding::Step50, 3, 7,
     FactoryProfile::HaldenOx6, kOx6Checksum, 0},
    {Ox1, "OX1", B, 0, PID_OX1,
     "ox1", "ox1", 4, 0,
     ModelSeries::Ox1, ButtonLayoutGroup::Ox1, LightZones::WheelAndLogo, false, BatteryScale::Raw,
     CpiRangeGroup::To6200, CpiDefaults::Ox1, false, CpiCoding::Sensor61, 3, 7,
     FactoryProfile::HaldenOx1, kOx1Checksum, 0},
    {Ox2S, "OX2S", B, 0, PID_OX2S,
     "ox2s", "ox2s", 3, 0,
     ModelSeries::None, ButtonLayoutGroup::Ox2, LightZones::WheelAndLogo, false, BatteryScale::Raw,
     CpiRangeGroup::To16000, CpiDefaults::Ox2S, false, CpiCoding::Step50, 3, 7,
     FactoryProfile::HaldenOx2S, kOx2SChecksum, 0},
    {Ox1S, "OX1S", B, 0, PID_OX1S,
     "ox1s", "ox1s", 4, 0,
     ModelSeries::Ox1, ButtonLayoutGroup::Ox1, LightZones::WheelAndLogo, false, BatteryScale::Raw,
     CpiRangeGroup::To16000, CpiDefaults::Ox6, false, CpiCoding::Step50, 3, 7,
     FactoryProfile::HaldenOx1S, kChecksum, 0},
    {Ox4C, "OX4C", A, PID_OX4C_RECEIVER, PID_OX4C_WIRED,
     "ox4c", "ox4c", 5, 0,
     ModelSeries::Ox4, ButtonLayoutGroup::Ox4, LightZones::LogoOnly, false, BatteryScale::Raw,
     CpiRangeGroup::To5000, CpiDefaults::Flat200, false, CpiCoding::Ox4Steps, 3, 5,
     FactoryProfile::KorvanOx4, kChecksum, kNuc123ProgramMemory},
    {Ox4Q, "OX4Q", A, PID_OX4Q_RECEIVER, PID_OX4Q_WIRED,
     "ox4q", "ox4q", 5, 0,
     ModelSeries::Ox4, ButtonLayoutGroup::Ox4, LightZones::LogoOnly, false, BatteryScale::Raw,
     CpiRangeGroup::To5000, CpiDefaults::Flat200, false, CpiCoding::Ox4Steps, 3, 5,
     FactoryProfile::KorvanOx4, kChecksum, kNuc123ProgramMemory},
    {Ox7C, "OX7C", A, PID_OX7C_RECEIVER, PID_OX7C_WIRED,
     "ox7c", "ox7c", 5, 0,
     ModelSeries::Ox7, ButtonLayoutGroup::Ox7, LightZones::LogoOnly, false, BatteryScale::Raw,
     CpiRangeGroup::To5000, CpiDefaults::Flat200, false, CpiCoding::Ox4Steps, 3, 5,
     FactoryProfile::KorvanOx4, kChecksum, kNuc123ProgramMemory},
    {Ox7Q, "OX7Q", A, PID_OX7Q_RECEIVER, PID_OX7Q_WIRED,
     "ox7q", "ox7q", 5, 0,
     ModelSeries::Ox7, ButtonLayoutGroup::Ox7, LightZones::LogoOnly, true, BatteryScale::Percent,
     CpiRangeGroup::To5000, CpiDefaults::Flat200, false, CpiCoding::Wide50, 3, 7,
     FactoryProfile::KorvanOx7Q, kChecksum, kNuc123ProgramMemory},
    {Ox7, "OX7", A, PID_OX7_RECEIVER, PID_OX7_WIRED,
     "ox7", "ox7", 32, 0,
     ModelSeries::Ox7, ButtonLayoutGroup::Ox7, LightZones::LogoOnly, true, BatteryScale::PercentFromFirmware30,
     CpiRangeGroup::To16000, CpiDefaults::Ox6, false, CpiCoding::Wide50, 3, 7,
     FactoryProfile::KorvanOx7, kChecksum, kNuc123ProgramMemory},
    {Ox4, "OX4", A, PID_OX4_WIRELESS, PID_OX4_WIRED,
     "ox4", "ox4", 13, 0,
     ModelSeries::Ox4, ButtonLayoutGroup::Ox4, LightZones::LogoOnly, false, BatteryScale::Raw,
     CpiRangeGroup::To5000, CpiDefaults::Ox4, false, CpiCoding::Ox4Steps, 2, 5,
     FactoryProfile::KorvanOx4, kChecksum, kNuc123ProgramMemory},
    {Ox5, "OX5", C, 0, PID_OX5,
     "ox5", "ox5", 2, 0,
     ModelSeries::None, ButtonLayoutGroup::Ox2, LightZones::WheelAndLogo, false, BatteryScale::Raw,
     CpiRangeGroup::To6200, CpiDefaults::Ox5, false, CpiCoding::Sensor61, 3, 7,
     FactoryProfile::HaldenOx5, kChecksum, 0},
    {Ox7EU, "OX7EU", A, PID_OX7EU_RECEIVER, PID_OX7EU_WIRED,
     "ox7eu", "ox7", 1, 0,
     ModelSeries::Ox7, ButtonLayoutGroup::Ox7, LightZones::LogoOnly, false, BatteryScale::Percent,
     CpiRangeGroup::TwoStepsTo10000, CpiDefaults::Ox7EU, true, CpiCoding::Ox7EUSteps, 3, 7,
     FactoryProfile::KorvanOx7EU, kChecksum, kNuc123ProgramMemory},
    {Ox8, "OX8", B, 0, PID_OX8,
     "ox8", "ox8", 4, 5,
     ModelSeries::Ox1, ButtonLayoutGroup::Ox8, LightZones::LogoAndStrip, false, BatteryScale::Raw,
     CpiRangeGroup::To6200, CpiDefaults::Ox1, false, CpiCoding::Sensor61, 3, 7,
     FactoryProfile::HaldenOx1, kOx8Checksum, 0},
};

// Codes that name no model: 15 and 16 keep the data folder of unknown codes
// but bring a picture set, CPI defaults and checksum of their own.
const ModelIdentity kOtherCodes[] = {
    {Ox6PictureCode, "", NoFamily, 0, 0,
     "ox6", "ox6", 1, 0,
     ModelSeries::None, ButtonLayoutGroup::None, LightZones::LogoOnly, false, BatteryScale::Raw,
     CpiRangeGroup::To5000, CpiDefaults::Ox7EU, false, CpiCoding::None, 3, 7,
     FactoryProfile::None, {38, 121, false, true}, 0},
    {Ox2PictureCode, "", NoFamily, 0, 0,
     "ox6", "ox2", 1, 0,
     ModelSeries::None, ButtonLayoutGroup::None, LightZones::LogoOnly, false, BatteryScale::Raw,
     CpiRangeGroup::To5000, CpiDefaults::Ox4, true, CpiCoding::None, 3, 7,
     FactoryProfile::None, {171, 119, false, true}, 0},
};

// Every other code (0, 1, 17, ...).
const ModelIdentity kUnknownCode = {
    NoModel, "", NoFamily, 0, 0,
    "ox6", "ox6", 1, 0,
    ModelSeries::None, ButtonLayoutGroup::None, LightZones::WheelAndLogo, false, BatteryScale::Raw,
    CpiRangeGroup::To5000, CpiDefaults::Flat200, false, CpiCoding::None, 3, 7,
    FactoryProfile::None, kChecksum, 0,
};

} // namespace

const QVector<ModelIdentity> &modelTable()
{
    static const QVector<ModelIdentity> table(std::begin(kModels), std::end(kModels));
    return table;
}

const ModelIdentity *modelForType(int mouseType)
{
    for (const ModelIdentity &m : kModels)
        if (m.mouseType == mouseType)
            return &m;
    return nullptr;
}

const ModelIdentity &modelRow(int mouseType)
{
    if (const ModelIdentity *m = modelForType(mouseType))
        return *m;
    for (const ModelIdentity &row : kOtherCodes)
        if (row.mouseType == mouseType)
            return row;
    return kUnknownCode;
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
        return Ox7EU;
    if (text.contains(QLatin1String("OX4"), Qt::CaseSensitive))
        return Ox4;
    return NoModel;
}

int chipBootloaderMouseType(quint16 releaseNumber)
{
    for (const ModelIdentity &m : kModels)
        if ((m.family == B || m.family == C) && m.wiredPid == releaseNumber)
            return m.mouseType;
    return NoModel;
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

bool isFamilyA(int t) { return modelRow(t).family == A; }
bool isOx7Series(int t) { return modelRow(t).series == ModelSeries::Ox7; }
bool isOx4Series(int t) { return modelRow(t).series == ModelSeries::Ox4; }
bool isOx1Series(int t) { return modelRow(t).series == ModelSeries::Ox1; }
bool isFamilyAOr15Or16(int t) { return modelRow(t).lightZones == LightZones::LogoOnly; }

bool reportsBatteryPercent(int t, int firmwareVersion)
{
    switch (modelRow(t).battery) {
    case BatteryScale::Percent: return true;
    case BatteryScale::PercentFromFirmware30: return firmwareVersion >= 30;
    case BatteryScale::Raw: break;
    }
    return false;
}

bool isOx7OrOx7Q(int t) { return isFamilyA(t) && hasOledScreen(t); }
bool isOx6(int t) { return t == Ox6; }
bool isOx7EU(int t) { return t == Ox7EU; }
bool isOx2PictureCode(int t) { return t == Ox2PictureCode; }
bool isOx6PictureCode(int t) { return t == Ox6PictureCode; }
bool isOx5(int t) { return t == Ox5; }
bool isOx4(int t) { return t == Ox4; }
bool isOx2(int t) { return t == Ox2; }
bool isOx2S(int t) { return t == Ox2S; }
bool isCpiGroupA(int t) { return modelRow(t).cpiRange == CpiRangeGroup::To6200; }
bool isCpiGroupB(int t) { return modelRow(t).cpiRange == CpiRangeGroup::To16000; }
bool isCpiGroupC(int t) { return modelRow(t).cpiDefaults == CpiDefaults::Ox6; }
bool isCpiGroupD(int t) { return modelRow(t).cpiDefaults == CpiDefaults::Ox1; }
bool isCpiGroupE(int t) { return modelRow(t).cpiGroupE; }
bool hasOledScreen(int t) { return modelRow(t).oled; }
bool isNotOx7EU(int t) { return t != Ox7EU; }

int lightingFamilyAFlag(int t)
{
    // The window only knows the codes 2..18.
    if (t < Ox2 || t > Ox8)
        return -1;
    return isFamilyA(t) ? 1 : 0;
}

int familyAModelVariant(int t) { return modelRow(t).startStageLimit; }

int currentMouseType() { return g_currentMouseType.load(); }
void setCurrentMouseType(int mouseType) { g_currentMouseType.store(mouseType); }
