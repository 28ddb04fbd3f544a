// Macro files of the macro library (MacroFiles/, PlayerCustom/): every
// getter the macro page and the managers use on a file.
#include "fuzz/common/fuzzsupport.h"

#include "config/jsonhandle.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    initFuzzProcess(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzzScratchPath(QStringLiteral("macro.json"));
    if (!putFuzzFile(path, QByteArray(reinterpret_cast<const char *>(data), int(size))))
        return 0;
    JsonHandle json;
    (void)json.getMacroName(path);
    (void)json.getMacroType(path);
    (void)json.getMacroLength(path);
    (void)json.getMacroRepeatTimes(path);
    (void)json.getIgnoreDelayTime(path);
    const int count = json.getMacroCount(path);
    const QList<MacroNode> nodes = json.readMacroNodeList(path);
    (void)count;
    // The macro page writes back what it read.
    (void)json.TurnMacroNodeListToJsonArray(nodes);
    return 0;
}
