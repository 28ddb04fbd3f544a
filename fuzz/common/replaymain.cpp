// Runs a harness over files and folders of inputs without libFuzzer, so
// that the seed corpora and the inputs of mended crashes replay as ordinary
// tests in every build (and under the sanitizers of the test builds).
//
//   fuzz_<harness> PATH...   (a folder stands for every file in it; a
//                             missing path is skipped)
//
// OX8_FUZZ_REPEAT=N runs every input N times, to watch a harness's memory
// over many runs (a heap profiler sees what an input leaves behind).

#include "fuzz/common/fuzzsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {
bool runFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return false;
    }
    const QByteArray bytes = f.readAll();
    std::fprintf(stderr, "input %s (%d bytes)\n", qPrintable(path), int(bytes.size()));
    const int repeat = qMax(1, qEnvironmentVariableIntValue("OX8_FUZZ_REPEAT"));
    for (int i = 0; i < repeat; ++i)
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    return true;
}
} // namespace

int main(int argc, char **argv)
{
    QStringList paths;
    for (int i = 1; i < argc; ++i)
        paths.append(QFile::decodeName(argv[i]));
    LLVMFuzzerInitialize(&argc, &argv);
    int inputs = 0;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (!info.exists())
            continue;
        QStringList files;
        if (info.isDir()) {
            for (const QString &name : QDir(path).entryList(QDir::Files, QDir::Name))
                files.append(path + QLatin1Char('/') + name);
        } else {
            files.append(path);
        }
        for (const QString &file : files) {
            if (!runFile(file))
                return 1;
            ++inputs;
        }
    }
    std::printf("%d inputs replayed\n", inputs);
    // A corpus that went missing would make the test pass on nothing.
    return inputs > 0 ? 0 : 1;
}
