// Replies of the web service: the common envelope {"code", "msg", "data"}
// every call reads first. The first byte picks a failed transfer or the
// default code; the rest is the body.
#include "fuzz/common/fuzzsupport.h"

#include "cloud/rpaccountmanage.h"
#include "fuzz/common/cannedreply.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    initFuzzProcess(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const quint8 flags = in.byte();
    CannedReply reply(in.rest(), flags & 1);
    const ServiceReply out = RPAccountManage::readReply(&reply, (flags & 2) ? 10 : 0, (flags & 4) ? 582 : 580);
    (void)resultTextNumber(out.code);
    return 0;
}
