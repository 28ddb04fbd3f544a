// CPI gear tables (CpiSetting.json): the first byte picks the model, the
// rest is the file; then what the CPI page does with a table.
#include "fuzz/common/deviceflows.h"
#include "fuzz/common/fuzzsupport.h"

#include "config/gearhandle.h"
#include "config/paths.h"
#include "discovery/models.h"

#include <QDir>
#include <QFileInfo>


extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    initFuzzProcess(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const quint8 pick = in.byte();
    const QVector<int> &types = fuzzModelTypes();
    const int type = types.at(pick % types.size());
    const int index = in.byte() % 9 - 1; // -1..7: one out of range each side
    const QByteArray file = in.rest();

    clearFuzzAppDirectory();
    const QString path = getCpiSettingFilePath(type, 1);
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!putFuzzFile(path, file))
        return 0;
    GearHandle gears;
    QJsonObject table = gears.readGearFile(type, 1);
    for (int i = -1; i <= 7; ++i)
        (void)gears.getGearCurrentValue(table, i);
    gears.setGearCurrentValue(type, 1, table, index, 1600);
    gears.setGearEnable(type, 1, table, index, pick & 0x80);
    return 0;
}
