#include "fuzz/common/deviceflows.h"

#include "fuzz/common/fuzzbus.h"
#include "fuzz/common/fuzzsupport.h"

#include "coordinator/dcdatahandle.h"
#include "discovery/models.h"
#include "sim/simulation.h"

#include <memory>
#include <vector>

QStringList familyAFuzzModels()
{
    return {QStringLiteral("ox7"), QStringLiteral("ox7:receiver"), QStringLiteral("ox4"),
            QStringLiteral("ox4:receiver"), QStringLiteral("ox7c"), QStringLiteral("ox7eu")};
}

QStringList familyBFuzzModels()
{
    return {QStringLiteral("ox6"), QStringLiteral("ox2"), QStringLiteral("ox5"), QStringLiteral("ox8"),
            QStringLiteral("ox1s")};
}

const QVector<int> &fuzzModelTypes()
{
    static const QVector<int> types = {Ox7, Ox4, Ox7C, Ox6, Ox5, Ox8, Ox2};
    return types;
}

quint16 fuzzProductId(const QString &model)
{
    int type = 0;
    bool receiver = false;
    if (!Simulation::parseModel(model, type, receiver))
        return 0;
    const ModelIdentity *identity = modelForType(type);
    if (!identity)
        return 0;
    return receiver ? identity->wirelessPid : identity->wiredPid;
}

QVector<HidDeviceInfo> fuzzInterfaces(const QString &model)
{
    Simulation simulation;
    if (!simulation.setUp(model))
        return {};
    return simulation.bus().enumerate();
}

void runCoordinatorSession(quint16 productId)
{
    clearFuzzAppDirectory();
    DCDataHandle dc;
    dc.slot_OpenDevice(productId, VID_KORVAN);
    dc.slot_GetBatteryPower();
    dc.slot_setCPIListValueOnMouse({400, 800, 1600, 3200, 0, 0, 0});
    dc.slot_LoadLocalConfigFileAndWriteIntoMouse(2);
}

namespace {
struct AnswerModel
{
    quint16 productId;
    std::unique_ptr<FuzzHidBus> bus;
};
std::vector<AnswerModel> g_answerModels;
} // namespace

void initDeviceAnswerHarness(const QStringList &models, int *argc, char ***argv)
{
    initFuzzProcess(argc, argv);
    for (const QString &name : models)
        g_answerModels.push_back({fuzzProductId(name), std::make_unique<FuzzHidBus>(fuzzInterfaces(name))});
}

void runDeviceAnswerInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    AnswerModel &model = g_answerModels[in.byte() % g_answerModels.size()];
    model.bus->setAnswers(in.rest());
    setHidBus(model.bus.get());
    runCoordinatorSession(model.productId);
    setHidBus(nullptr);
}
