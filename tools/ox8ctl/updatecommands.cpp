// The commands that ask the web service: check-update and update.

#include "tools/ox8ctl/commands.h"
#include "tools/ox8ctl/session.h"

#include "cloud/filedownloader.h"
#include "config/paths.h"
#include "config/servicesettings.h"
#include "platform/windowsprograms.h"
#include "update/firmwarepackage.h"
#include "update/lastversion.h"
#include "update/updaterules.h"

#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace ox8ctl {

namespace {
// Longer than the checker's own transfer time-out, so it answers first.
constexpr int kCheckWaitMs = LastVersion::kTransferTimeoutMs + 5000;
// A download that receives nothing for this long has failed.
constexpr int kDownloadStallMs = 60000;

// The attached mouse as far as a version check needs it.
struct Attached
{
    int mouseType = 0;
    int version = -1; // -1: unknown (a mouse in its boot loader)
    bool wireless = false;
};

int findAttached(Attached &out)
{
    const Picked picked = pickDevice();
    if (picked.bootLoader) {
        if (picked.mouseType == NoModel)
            return fail(ExitNoDevice, QStringLiteral("a mouse in firmware-update mode, but its model is unknown"));
        out.mouseType = picked.mouseType;
        return ExitOk;
    }
    // The session closes the mouse again when it goes, before any flashing.
    Session s;
    if (const int rc = openSession(s, picked, false))
        return rc;
    out.mouseType = s.mouseType;
    out.version = s.version;
    out.wireless = s.isWireless;
    return ExitOk;
}

struct VersionAnswer
{
    bool answered = false;
    int code = -1;
    QString message;
    QString version;
    QString url;
    QString date;
};

VersionAnswer askFirmwareVersion(int mouseType)
{
    VersionAnswer a;
    LastVersion checker;
    QEventLoop loop;
    QObject::connect(&checker, &LastVersion::sigLastVersionRet,
                     [&](int code, const QString &msg, const QString &version, const QString &path,
                         const QString &date) {
                         a = {true, code, msg, version, path, date};
                         loop.quit();
                     });
    checker.RpLastFirmVersionJson(getModelFolderName(mouseType));
    QTimer::singleShot(kCheckWaitMs, &loop, &QEventLoop::quit);
    if (!a.answered)
        loop.exec();
    return a;
}

bool stderrIsTerminal()
{
    return isatty(fileno(stderr)) != 0;
}

void drawBar(const char *what, int percent)
{
    const int width = 40;
    const int filled = qBound(0, percent, 100) * width / 100;
    const QByteArray bar = QByteArray(filled, '#') + QByteArray(width - filled, '.');
    std::fprintf(stderr, "\r%s [%s] %3d%%", what, bar.constData(), percent);
    std::fflush(stderr);
}

QString versionText(int version)
{
    return version < 0 ? QStringLiteral("unknown (firmware-update mode)") : QString::number(version);
}

// Asks the service and says what it answered; the outcome, or -1 with the
// exit code in rc when the service could not tell.
int checkAgainstService(const Attached &mouse, VersionAnswer &answer, int &rc)
{
    if (serviceBaseUrl().isEmpty()) {
        rc = fail(ExitServiceFailure, QStringLiteral("no update service is configured (set OX8_CLOUD_URL, or the "
                                                     "key /SERVICE/url in %1; https, or http on this machine)")
                                          .arg(serviceIniPath()));
        return -1;
    }
    answer = askFirmwareVersion(mouse.mouseType);
    if (!answer.answered) {
        rc = fail(ExitServiceFailure, QStringLiteral("the update service did not answer"));
        return -1;
    }
    if (answer.code == -1) {
        // The client's own failure texts live in the program's language table.
        rc = fail(ExitServiceFailure, QStringLiteral("cannot reach the update service at %1, or it did not answer "
                                                     "with JSON")
                                          .arg(serviceBaseUrl().toDisplayString()));
        return -1;
    }
    if (answer.code != 0) {
        rc = fail(ExitServiceFailure, QStringLiteral("the update service says: %1 (code %2)")
                                          .arg(answer.message)
                                          .arg(answer.code));
        return -1;
    }
    const FirmwareCheckOutcome outcome = firmwareCheckOutcome(answer.code, answer.version, answer.url, mouse.version);
    if (outcome == FirmwareCheckOutcome::NoVersion) {
        rc = fail(ExitServiceFailure,
                  QStringLiteral("the update service named no valid firmware version (\"%1\")").arg(answer.version));
        return -1;
    }
    say(QStringLiteral("%1: firmware %2, the service offers %3%4")
            .arg(getModelFolderName(mouse.mouseType), versionText(mouse.version), answer.version,
                 answer.date.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(answer.date)));
    return int(outcome);
}
} // namespace

int cmdCheckUpdate(const QStringList &args)
{
    if (!args.isEmpty())
        return fail(ExitBadArguments, QStringLiteral("usage: ox8ctl check-update"));
    Attached mouse;
    if (const int rc = findAttached(mouse))
        return rc;
    VersionAnswer answer;
    int rc = ExitOk;
    const int outcome = checkAgainstService(mouse, answer, rc);
    if (outcome < 0)
        return rc;
    if (outcome == int(FirmwareCheckOutcome::UpToDate)) {
        say(QStringLiteral("up to date"));
        return ExitOk;
    }
    say(QStringLiteral("another firmware is available"));
    return ExitNewerAvailable;
}

int cmdUpdate(const QStringList &args)
{
    if (!args.isEmpty())
        return fail(ExitBadArguments, QStringLiteral("usage: ox8ctl update"));
    Attached mouse;
    if (const int rc = findAttached(mouse))
        return rc;
    if (updateRoute(mouse.mouseType, canRunWindowsPrograms()) != UpdateRoute::Flasher)
        return fail(ExitDeviceFailure, QStringLiteral("the %1 is updated with Korvan's firmware tool for Windows; "
                                                      "please update it on a Windows computer")
                                           .arg(getModelFolderName(mouse.mouseType)));
    if (mouse.wireless)
        return fail(ExitDeviceFailure, QStringLiteral("a firmware update needs the cable connection"));

    VersionAnswer answer;
    int rc = ExitOk;
    const int outcome = checkAgainstService(mouse, answer, rc);
    if (outcome < 0)
        return rc;
    if (outcome == int(FirmwareCheckOutcome::UpToDate)) {
        say(QStringLiteral("up to date, nothing to do"));
        return ExitOk;
    }
    if (outcome == int(FirmwareCheckOutcome::NoDownload))
        return fail(ExitServiceFailure, QStringLiteral("the update service offers no download address it may be "
                                                       "fetched from (\"%1\")")
                                            .arg(answer.url));

    FileDownloader downloader;
    downloader.setMaximumSize(packageSizeLimit(mouse.mouseType));
    downloader.setTransferTimeout(kDownloadStallMs);
    const bool bar = stderrIsTerminal();
    QEventLoop loop;
    QObject::connect(&downloader, &FileDownloader::sig_Progress, [bar](qint64 received, qint64 total) {
        if (bar && total > 0)
            drawBar("download", int(received * 100 / total));
    });
    QObject::connect(&downloader, &FileDownloader::downloaded, &loop, &QEventLoop::quit);
    downloader.startDownlod(QUrl(answer.url, QUrl::StrictMode));
    loop.exec();
    if (bar)
        std::fprintf(stderr, "\n");
    if (!downloader.succeeded())
        return fail(ExitServiceFailure, QStringLiteral("the download failed: %1").arg(downloader.errorString()));
    const QByteArray body = downloader.downloadedData();
    if (checkPackage(mouse.mouseType, body, downloader.contentType()) != PackageVerdict::Ok)
        return fail(ExitServiceFailure, QStringLiteral("the download (%1 bytes, \"%2\") is no firmware package for "
                                                       "the %3; nothing was stored or flashed")
                                            .arg(body.size())
                                            .arg(downloader.contentType(), getModelFolderName(mouse.mouseType)));
    if (!storeCloudPackage(mouse.mouseType, body, downloader.contentType(), answer.date))
        return fail(ExitDeviceFailure, QStringLiteral("cannot store the package below %1").arg(cloudDownloadFolder()));
    const QString package = packagePath(mouse.mouseType, PackageSource::Clouds);
    say(QStringLiteral("downloaded %1 (%2 bytes)").arg(package).arg(body.size()));
    return cmdFlash({package});
}

} // namespace ox8ctl
