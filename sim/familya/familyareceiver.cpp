#include "sim/familya/familyareceiver.h"

#include "sim/familya/familyamouse.h"
#include "discovery/models.h"

#include <QMutexLocker>

namespace {

constexpr quint8 kTargetMouse = 0xA5;
constexpr quint8 kOpen = 0xA0;
constexpr quint8 kLink = 0xA1;
constexpr quint8 kWorkMode = 0xA7;
constexpr quint8 kPairingKey = 0x81;
constexpr quint8 kAddressKey = 0x8F;

constexpr quint8 kModeWorking = 0;
constexpr quint8 kModePairing = 1;
constexpr quint8 kModeNoMouse = 2;

quint8 byteAt(const QByteArray &b, int i)
{
    return i >= 0 && i < b.size() ? quint8(b.at(i)) : 0;
}

} // namespace

std::shared_ptr<FamilyAReceiver> FamilyAReceiver::create(int mouseType)
{
    if (!isFamilyA(mouseType) || !modelForType(mouseType) || !modelForType(mouseType)->wirelessPid)
        return nullptr;
    return std::make_shared<FamilyAReceiver>(mouseType, Key());
}

FamilyAReceiver::FamilyAReceiver(int mouseType, Key)
    : FamilyAEndpoint(modelForType(mouseType)->wirelessPid,
                      QStringLiteral("KORVAN %1 Receiver").arg(QLatin1String(modelForType(mouseType)->name)))
    , m_type(mouseType)
{
}

FamilyAReceiver::~FamilyAReceiver() = default;

void FamilyAReceiver::setPairedMouse(std::shared_ptr<FamilyAMouse> mouse)
{
    QMutexLocker locker(&lock());
    m_mouse = std::move(mouse);
}

std::shared_ptr<FamilyAMouse> FamilyAReceiver::pairedMouse() const
{
    QMutexLocker locker(&lock());
    return m_mouse;
}

void FamilyAReceiver::setPairingCandidate(std::shared_ptr<FamilyAMouse> mouse)
{
    QMutexLocker locker(&lock());
    m_candidate = std::move(mouse);
}

void FamilyAReceiver::setPairingOutcome(PairingOutcome outcome, int queries)
{
    QMutexLocker locker(&lock());
    m_outcome = outcome;
    m_pairingQueries = qMax(0, queries);
}

void FamilyAReceiver::setNoAck(const QByteArray &commandPrefix)
{
    QMutexLocker locker(&lock());
    if (!commandPrefix.isEmpty())
        m_noAck.append(commandPrefix);
}

void FamilyAReceiver::clearNoAck()
{
    QMutexLocker locker(&lock());
    m_noAck.clear();
}

bool FamilyAReceiver::isPairing() const
{
    QMutexLocker locker(&lock());
    return m_pairing;
}

bool FamilyAReceiver::hasLinkAddress() const
{
    QMutexLocker locker(&lock());
    return m_hasAddress;
}

quint32 FamilyAReceiver::linkAddress() const
{
    QMutexLocker locker(&lock());
    return m_address;
}

int FamilyAReceiver::commandCount(quint8 command) const
{
    QMutexLocker locker(&lock());
    return m_commandCounts[command];
}

int FamilyAReceiver::forwardedCount() const
{
    QMutexLocker locker(&lock());
    return m_forwarded;
}

void FamilyAReceiver::resetCounters()
{
    QMutexLocker locker(&lock());
    m_commandCounts.fill(0);
    m_forwarded = 0;
    resetTransferCounters();
}

void FamilyAReceiver::noteReport(const QByteArray &report)
{
    if (byteAt(report, 1) == kTargetMouse)
        ++m_forwarded;
    else
        ++m_commandCounts[byteAt(report, 1)];
}

FamilyAAnswer FamilyAReceiver::handleReport(const QByteArray &report)
{
    if (byteAt(report, 1) != kTargetMouse)
        return ownCommand(report.mid(1));
    if (m_pairing || !m_mouse)
        return FamilyAAnswer::none();
    return m_mouse->receiveOverTheAir(report.mid(2));
}

FamilyAAnswer FamilyAReceiver::ownCommand(const QByteArray &command)
{
    for (const QByteArray &prefix : qAsConst(m_noAck)) {
        if (command.startsWith(prefix))
            return FamilyAAnswer::none();
    }
    const quint8 first = byteAt(command, 0);
    const quint8 second = byteAt(command, 1);
    // Answers of the receiver's own commands: status, then one value byte.
    const QByteArray zeroValue(1, '\0');
    if (first == kOpen && second == kPairingKey) {
        m_pairing = true;
        m_queriesLeft = m_pairingQueries;
        return FamilyAAnswer::done(zeroValue);
    }
    if (first == kLink && second == kAddressKey) {
        m_address = quint32(byteAt(command, 2)) | quint32(byteAt(command, 3)) << 8
            | quint32(byteAt(command, 4)) << 16 | quint32(byteAt(command, 5)) << 24;
        m_hasAddress = true;
        return FamilyAAnswer::done(zeroValue);
    }
    if (first == kLink && second == kPairingKey) {
        m_pairing = false;
        return FamilyAAnswer::done(zeroValue);
    }
    if (first == kWorkMode)
        return FamilyAAnswer::done(QByteArray(1, char(workMode())));
    return FamilyAAnswer::failed();
}

quint8 FamilyAReceiver::workMode()
{
    if (m_pairing) {
        const bool mouseAround = m_candidate || m_mouse;
        if (m_outcome == PairingOutcome::NeverPairs || !mouseAround)
            return kModePairing;
        if (m_queriesLeft > 0) {
            --m_queriesLeft;
            return kModePairing;
        }
        if (m_candidate)
            m_mouse = std::move(m_candidate);
        m_candidate.reset();
        m_pairing = false;
    }
    return m_mouse ? kModeWorking : kModeNoMouse;
}
