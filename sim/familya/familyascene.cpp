#include "sim/familya/familyascene.h"

#include "sim/emulatedhidbus.h"

FamilyAScene plugFamilyA(EmulatedHidBus &bus, int mouseType, bool throughReceiver)
{
    return plugFamilyA(bus, mouseType, throughReceiver ? FamilyALink::Receiver : FamilyALink::Cable);
}

FamilyAScene plugFamilyA(EmulatedHidBus &bus, int mouseType, FamilyALink link)
{
    FamilyAScene scene;
    scene.mouse = FamilyAMouse::create(mouseType);
    if (!scene.mouse)
        return {};
    if (link != FamilyALink::Cable) {
        scene.receiver = FamilyAReceiver::create(mouseType);
        if (!scene.receiver)
            return {};
        scene.receiver->setPairedMouse(scene.mouse);
        bus.plug(scene.receiver);
    }
    if (link != FamilyALink::Receiver)
        bus.plug(scene.mouse);
    return scene;
}

FamilyAScene plugFamilyAReceiver(EmulatedHidBus &bus, int receiverType, int pairedMouseType)
{
    FamilyAScene scene;
    scene.receiver = FamilyAReceiver::create(receiverType);
    if (!scene.receiver)
        return {};
    if (pairedMouseType != 0) {
        scene.mouse = FamilyAMouse::create(pairedMouseType);
        if (!scene.mouse)
            return {};
        scene.receiver->setPairedMouse(scene.mouse);
    }
    bus.plug(scene.receiver);
    return scene;
}

std::shared_ptr<NucIspBootloader> plugNucIspBootloader(EmulatedHidBus &bus, int mouseType)
{
    std::shared_ptr<NucIspBootloader> boot = NucIspBootloader::create(mouseType);
    if (boot)
        bus.plug(boot);
    return boot;
}
