// Profile files (ConfigN.json) of both data dialects and the record of the
// loaded profiles: the first byte picks the model, the rest is the file.
#include "fuzz/common/deviceflows.h"
#include "fuzz/common/fuzzsupport.h"

#include "config/jsonhandle.h"
#include "config/loadedprofile.h"
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
    const bool asLoadedRecord = pick & 0x80;
    const QByteArray file = in.rest();

    clearFuzzAppDirectory();
    const QString path = asLoadedRecord ? loadedProfilesPath() : getConfigJsonFilePath(type, 1);
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!putFuzzFile(path, file))
        return 0;
    if (asLoadedRecord) {
        const int n = loadedProfile(type);
        if (n < 0 || n > 5)
            __builtin_trap();
        return 0;
    }

    JsonHandle json;
    if (isFamilyA(type)) {
        const QByteArray block = json.getMouseData_Korvan(type, 1);
        if (block.size() != JsonHandle::kKorvanBlockSize)
            __builtin_trap();
        for (int position = 0; position < 16; ++position) {
            const QByteArray macro = json.getMacroData_Korvan(type, 1, position);
            if (macro.size() != JsonHandle::kKorvanMacroBufferSize)
                __builtin_trap();
        }
    } else {
        const QByteArray block = json.getMouseData_Halden(type, 1);
        if (block.size() != JsonHandle::kHaldenBlockSize)
            __builtin_trap();
        for (int position = 0; position < 16; ++position)
            (void)json.getMacroData_Halden(type, 1, position);
    }
    return 0;
}
