// Answers about new versions: the version service's reply (the envelope,
// then the version, download address and date it carries) as the firmware
// and software checks judge it, and a downloaded firmware package as the
// support page stores it. The first byte picks which, and for a reply a
// failed transfer; the second the model a package is for.
#include "fuzz/common/fuzzsupport.h"

#include "config/servicesettings.h"
#include "discovery/models.h"
#include "fuzz/common/cannedreply.h"
#include "update/firmwarepackage.h"
#include "update/lastversion.h"
#include "update/updaterules.h"

#include <QFile>
#include <QUrl>

namespace {
int modelType(quint8 pick)
{
    const QVector<ModelIdentity> &models = modelTable();
    return models.at(pick % models.size()).mouseType;
}

void versionReply(FuzzInput &in, bool failed)
{
    const int mouseVersion = in.byte();
    auto *reply = new CannedReply(in.rest(), failed);
    LastVersion ask;
    int code = 1;
    QString version;
    QString url;
    int answers = 0;
    QObject::connect(&ask, &LastVersion::sigLastVersionRet, &ask,
                     [&](int rCode, const QString &, const QString &v, const QString &path, const QString &) {
                         ++answers;
                         code = rCode;
                         version = v;
                         url = path;
                     });
    ask.slots_onSigFinished(reply);
    delete reply; // its deleteLater has not run: deleting drops it
    if (answers != 1)
        __builtin_trap();
    // A failed transfer carries no version to act on.
    if (failed && (code == 0 || !version.isEmpty() || !url.isEmpty()))
        __builtin_trap();

    int parsed = -1;
    if (parseFirmwareVersion(version, parsed) && parsed < 0)
        __builtin_trap();
    const FirmwareCheckOutcome outcome = firmwareCheckOutcome(code, version, url, mouseVersion);
    // A download is offered only from an address the program may fetch.
    if (outcome == FirmwareCheckOutcome::NewerAvailable && !isAllowedRemoteUrl(QUrl(url, QUrl::StrictMode)))
        __builtin_trap();
    (void)isAllowedBrowserUrl(QUrl(url, QUrl::StrictMode));
}

void downloadedPackage(FuzzInput &in, int type)
{
    const QString contentType = QString::fromUtf8(in.take(in.byte() % 64));
    const QString versionDate = QString::fromUtf8(in.take(in.byte() % 32));
    const QByteArray body = in.rest();
    const PackageVerdict verdict = checkPackage(type, body, contentType);

    clearFuzzAppDirectory();
    QString error;
    const bool stored = storeCloudPackage(type, body, contentType, versionDate, &error);
    // Stored exactly when the body is a package, and then stored whole.
    if (stored != (verdict == PackageVerdict::Ok))
        __builtin_trap();
    if (!stored)
        return;
    const QString path = packagePath(type, PackageSource::Clouds);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.readAll() != body)
        __builtin_trap();
    if (checkPackageFile(type, path) != PackageVerdict::Ok)
        __builtin_trap();
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
    const int type = modelType(in.byte());
    if (flags & 0x80)
        downloadedPackage(in, type);
    else
        versionReply(in, flags & 1);
    return 0;
}
