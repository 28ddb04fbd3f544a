// Family B and C mice answering the coordinator with hostile bytes: profile
// and macro reports of both lengths, the status poll. The first byte
// picks the model (fuzz/common/deviceflows.cpp), the rest is the answer
// stream (fuzz/common/fuzzbus.h).
#include "fuzz/common/deviceflows.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    initDeviceAnswerHarness(familyBFuzzModels(), argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    runDeviceAnswerInput(data, size);
    return 0;
}
