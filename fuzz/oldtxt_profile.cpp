// The older text profile files (ConfigN.txt) of both dialects; the first
// byte picks the dialect the reader expects.
#include "fuzz/common/fuzzsupport.h"

#include "config/jsonhandle.h"
#include "config/jsonkeys.h"
#include "config/oldtxtprofile.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    initFuzzProcess(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const bool korvan = in.byte() & 1;
    const QByteArray text = in.rest();
    const QString dialect = korvan ? QString(dialects::kKorvan) : QString(dialects::kHalden);
    const int blockSize = korvan ? JsonHandle::kKorvanBlockSize : JsonHandle::kHaldenBlockSize;
    OldTxtProfile profile;
    QString error;
    if (parseOldTxtProfile(text, dialect, blockSize, profile, &error)) {
        // What was accepted must survive being written out again: the managers
        // rewrite the files they read.
        OldTxtProfile again;
        if (!parseOldTxtProfile(writeOldTxtProfile(profile), dialect, blockSize, again, &error))
            __builtin_trap();
    }
    return 0;
}
