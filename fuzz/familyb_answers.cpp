// Family B and C mice answering the coordinator with hostile bytes: profile
// and macro reports of both lengths, the status poll. The first byte
// picks the model (fuzz/common/deviceflows.cpp), the rest is the answer
// stream (fuzz/common/fuzzbus.h).
#include "fuzz/common/deviceflows.h"
#include "fuzz/common/fuzzbus.h"
#include "fuzz/common/fuzzsupport.h"

#include <memory>
#include <vector>

namespace {
struct Model
{
    quint16 productId;
    std::unique_ptr<FuzzHidBus> bus;
};
std::vector<Model> g_models;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    initFuzzProcess(argc, argv);
    for (const QString &name : familyBFuzzModels())
        g_models.push_back({fuzzProductId(name), std::make_unique<FuzzHidBus>(fuzzInterfaces(name))});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    Model &model = g_models[in.byte() % g_models.size()];
    model.bus->setAnswers(in.rest());
    setHidBus(model.bus.get());
    runCoordinatorSession(model.productId);
    setHidBus(nullptr);
    return 0;
}
