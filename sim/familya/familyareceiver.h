#pragma once

#include "sim/familya/familyaendpoint.h"

#include <QByteArray>
#include <QVector>

#include <array>
#include <memory>

class FamilyAMouse;

// An emulated family A 2.4 GHz receiver (or the OX4's wireless id): the
// product id of the model's receiver, its own receiver-form commands
// {0xA0, 0x81} open for pairing, {0xA1, 0x8F, a0..a3} link address,
// {0xA1, 0x81} end pairing (acknowledged, link kept), {0xA7} work mode
// (status 1, value 0 working, 1 pairing, 2 no mouse), and the mouse form
// with target 0xA5 forwarded to the paired mouse, whose answer it passes
// on. Without a mouse, with the mouse switched off or while pairing, a
// forwarded command gets no answer (status stays "not ready"). Firmware
// restart (0xA8) is refused: an update needs the cable.
class FamilyAReceiver final : public FamilyAEndpoint
{
    struct Key
    {
        explicit Key() = default;
    };

public:
    enum class PairingOutcome {
        PairsAfterQueries, // work mode reads "pairing" for n queries, then 0
        NeverPairs,        // stays "pairing" for ever
    };

    // The receiver of a family A model; nullptr for other type codes.
    static std::shared_ptr<FamilyAReceiver> create(int mouseType);

    FamilyAReceiver(int mouseType, Key);
    ~FamilyAReceiver() override;

    int mouseType() const { return m_type; }

    // The mouse at the other end of the link (nullptr: none). A mouse of
    // another model makes a foreign mouse.
    void setPairedMouse(std::shared_ptr<FamilyAMouse> mouse);
    std::shared_ptr<FamilyAMouse> pairedMouse() const;
    // The mouse that pairs when pairing succeeds (default: the mouse
    // paired before; with neither, pairing never ends).
    void setPairingCandidate(std::shared_ptr<FamilyAMouse> mouse);

    // How the next pairing ends (default: after 3 queries).
    void setPairingOutcome(PairingOutcome outcome, int queries = 0);
    // Receiver commands starting with these bytes get no acknowledge: their
    // status stays "not ready".
    void setNoAck(const QByteArray &commandPrefix);
    void clearNoAck();

    bool isPairing() const;
    bool hasLinkAddress() const;
    quint32 linkAddress() const;

    // Counters: receiver-form commands per first byte, forwarded commands.
    int commandCount(quint8 command) const;
    int forwardedCount() const;
    void resetCounters();

protected:
    FamilyAAnswer handleReport(const QByteArray &report) override;
    void noteReport(const QByteArray &report) override;

private:
    FamilyAAnswer ownCommand(const QByteArray &command);
    quint8 workMode();

    const int m_type;
    std::shared_ptr<FamilyAMouse> m_mouse;
    std::shared_ptr<FamilyAMouse> m_candidate;
    PairingOutcome m_outcome = PairingOutcome::PairsAfterQueries;
    int m_pairingQueries = 3;
    int m_queriesLeft = 0;
    bool m_pairing = false;
    bool m_hasAddress = false;
    quint32 m_address = 0;
    QVector<QByteArray> m_noAck;

    std::array<int, 256> m_commandCounts{};
    int m_forwarded = 0;
};
