#pragma once

#include "sim/familya/familyamouse.h"
#include "sim/familya/familyareceiver.h"
#include "sim/familya/nucispbootloader.h"

#include <memory>

class EmulatedHidBus;

// Common family A set-ups on an emulated bus, for tests, the demo mode and
// the command-line simulation.
struct FamilyAScene
{
    std::shared_ptr<FamilyAMouse> mouse;       // null for a receiver without mouse
    std::shared_ptr<FamilyAReceiver> receiver; // null when only the cable is plugged
    bool isValid() const { return mouse || receiver; }
};

// How the mouse reaches the computer.
enum class FamilyALink {
    Cable,            // the mouse on its cable
    Receiver,         // the receiver plugged, the mouse paired with it
    CableAndReceiver, // both at once (one mouse, two ways in)
};

// A factory-fresh mouse of the model, on its cable or behind its receiver.
// An empty scene for a type code that is not family A.
FamilyAScene plugFamilyA(EmulatedHidBus &bus, int mouseType, bool throughReceiver);
FamilyAScene plugFamilyA(EmulatedHidBus &bus, int mouseType, FamilyALink link);

// The receiver of one model with a mouse of another model paired to it
// (GetMousePid through it reads the other model's cable id), or with no
// mouse at all when pairedMouseType is 0.
FamilyAScene plugFamilyAReceiver(EmulatedHidBus &bus, int receiverType, int pairedMouseType);

// A mouse stuck in its boot loader: only the boot loader is on the bus; run
// after a complete update brings a fresh mouse of the model.
std::shared_ptr<NucIspBootloader> plugNucIspBootloader(EmulatedHidBus &bus, int mouseType);
