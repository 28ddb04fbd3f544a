// The emulated mice's state files (APP/Simulation/*.state): the first byte
// picks the family whose loader reads the rest. A state that loads must
// save back to the same state.
#include "fuzz/common/fuzzsupport.h"

#include "sim/familya/familyamouse.h"
#include "sim/familyb/familybmouse.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    initFuzzProcess(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const bool familyA = in.byte() & 1;
    const QByteArray state = in.rest();
    if (familyA) {
        const std::shared_ptr<FamilyAMouse> mouse = FamilyAMouse::createFromState(state);
        if (mouse && !FamilyAMouse::createFromState(mouse->saveState()))
            __builtin_trap();
    } else {
        const std::shared_ptr<FamilyBMouse> mouse = FamilyBMouse::createFromState(state);
        if (mouse && !FamilyBMouse::createFromState(mouse->saveState()))
            __builtin_trap();
    }
    return 0;
}
