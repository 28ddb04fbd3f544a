// Family A mice and receivers answering the coordinator with hostile bytes:
// status bytes, memory reads, macro pages, the battery word. The first byte
// picks the model (fuzz/common/deviceflows.cpp), the rest is the answer
// stream (fuzz/common/fuzzbus.h).
#include "fuzz/common/deviceflows.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    initDeviceAnswerHarness(familyAFuzzModels(), argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    runDeviceAnswerInput(data, size);
    return 0;
}
