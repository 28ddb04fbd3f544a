// Archives downloaded from the cloud, unpacked in place of a local folder.
// The first byte picks how the input becomes an archive: its bytes as they
// are (the reader's own checks), or a list of entries (name, Unix type and
// mode, flags, data) written into a well-formed archive, so that names and
// entry types reach the checks past the zip reader's checksums. Then the
// archive replaces a folder holding one known file, under small limits or
// the usual ones.
#include "fuzz/common/fuzzsupport.h"

#include "cloud/archive.h"

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {
const char kMarkerName[] = "Config1.json";
const QByteArray kMarker = QByteArrayLiteral("{\"kept\":true}");

QByteArray archiveFromEntries(FuzzInput &in)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    zip.setUtf8Enabled(in.byte() & 1);
    if (!zip.open(QuaZip::mdCreate))
        return {};
    const int count = in.byte() % 12;
    for (int i = 0; i < count && !in.atEnd(); ++i) {
        QuaZipNewInfo info(QString::fromUtf8(in.take(in.byte() % 48)));
        info.externalAttr = quint32(in.word()) << 16;
        const quint8 method = in.byte();
        const QByteArray data = in.take(in.byte());
        QuaZipFile out(&zip);
        // Stored or deflated; an empty name is refused by the writer itself.
        if (!out.open(QIODevice::WriteOnly, info, nullptr, 0, (method & 1) ? Z_DEFLATED : 0))
            continue;
        out.write(data);
        out.close();
    }
    zip.close();
    return bytes;
}

// Every file below folder, relative, with its bytes.
QMap<QString, QByteArray> contents(const QString &folder)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        out.insert(QDir(folder).relativeFilePath(path), f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
    }
    return out;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    initFuzzProcess(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const quint8 flags = in.byte();
    const QByteArray zip = (flags & 1) ? archiveFromEntries(in) : in.rest();
    ArchiveLimits limits;
    if (flags & 2) {
        limits.maxTotalBytes = 300;
        limits.maxEntries = 5;
    }

    clearFuzzAppDirectory();
    const QString parent = fuzzAppDirectory() + QStringLiteral("/Cloud");
    const QString target = parent + QStringLiteral("/ConfigFiles");
    QDir().mkpath(target);
    if (!putFuzzFile(target + QLatin1Char('/') + QLatin1String(kMarkerName), kMarker))
        return 0;

    const ArchiveResult result = replaceFolderFromArchive(zip, target, limits);
    // Nothing but the folder itself may be left beside it: no staging
    // folder, no old copy, and nothing an entry name led outside.
    if (QDir(parent).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
        != QStringList{QStringLiteral("ConfigFiles")})
        __builtin_trap();
    const QMap<QString, QByteArray> now = contents(target);
    if (!result.ok()) {
        // A refused archive leaves the folder exactly as it was.
        if (now.size() != 1 || now.value(QLatin1String(kMarkerName)) != kMarker)
            __builtin_trap();
        return 0;
    }
    if (result.files != now.size() || result.files + result.folders > limits.maxEntries
        || result.bytes > limits.maxTotalBytes)
        __builtin_trap();
    qint64 bytes = 0;
    for (const QByteArray &file : now)
        bytes += file.size();
    if (bytes != result.bytes)
        __builtin_trap();
    // No link or special file came out of it.
    QDirIterator all(target, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                     QDirIterator::Subdirectories);
    while (all.hasNext()) {
        const QFileInfo info(all.next());
        if (info.isSymLink() || !(info.isFile() || info.isDir()))
            __builtin_trap();
    }
    return 0;
}
