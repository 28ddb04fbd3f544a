// Files given to `ox8ctl import`: the export format, then the strict reading
// of its settings block against the model it names, then what the program
// reads back once the import has written the profile and CPI table files.
#include "fuzz/common/fuzzsupport.h"

#include "config/gearhandle.h"
#include "config/jsonhandle.h"
#include "config/paths.h"
#include "config/profileexport.h"
#include "device/devicefactory.h"
#include "discovery/models.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    initFuzzProcess(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    ProfileExport imported;
    if (!readProfileExport(bytes, imported))
        return 0;
    const ModelIdentity *model = modelForType(imported.typeCode);
    const int type = model ? imported.typeCode : int(Ox7);
    const int blockSize = isFamilyA(type) ? JsonHandle::kKorvanBlockSize : JsonHandle::kHaldenBlockSize;
    QByteArray block;
    QString why;
    if (!readStrictProfileBlock(imported.config, blockSize, block, &why) || !checkProfileBlock(type, block, &why))
        return 0;

    clearFuzzAppDirectory();
    if (!JsonHandle::writeJsonFile(getConfigJsonFilePath(type, 1), imported.config))
        return 0;
    if (!imported.cpiSetting.isEmpty())
        JsonHandle::writeJsonFile(getCpiSettingFilePath(type, 1), imported.cpiSetting);
    JsonHandle json;
    const QByteArray stored = isFamilyA(type) ? json.getMouseData_Korvan(type, 1) : json.getMouseData_Halden(type, 1);
    // The block that passed the strict reading is the one the profile holds.
    if (stored != block)
        __builtin_trap();
    GearHandle gears;
    const QJsonObject table = gears.readGearFile(type, 1);
    for (int i = 0; i < 7; ++i)
        (void)gears.getGearCurrentValue(table, i);
    return 0;
}
