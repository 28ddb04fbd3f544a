// The language file (Language/translate.json): every language column, the
// way the program loads its texts at start-up.
#include "fuzz/common/fuzzsupport.h"

#include "config/jsonhandle.h"
#include "config/languagetable.h"

#include <QJsonArray>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    initFuzzProcess(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const int index = in.byte() % 8 - 1; // -1..6: past the columns on both sides
    const QString path = fuzzScratchPath(QStringLiteral("translate.json"));
    if (!putFuzzFile(path, in.rest()))
        return 0;
    QJsonArray column;
    JsonHandle().readTranslateTable(path, column, index);
    QStringList texts;
    for (const QJsonValue &v : column)
        texts.append(v.toString());
    setLanguageTexts(texts);
    (void)languageText(0);
    (void)languageText(int(texts.size()));
    (void)languageText(-1);
    return 0;
}
