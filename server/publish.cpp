#include "server/publish.h"

#include "server/datafolder.h"
#include "server/store.h"
#include "server/validation.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

namespace ox8cloud {

namespace {

constexpr qint64 MaxPackageBytes = 256LL * 1024 * 1024;

bool copyAtomically(const QString &from, const QString &to, QString *message)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        *message = QStringLiteral("cannot read %1: %2").arg(from, in.errorString());
        return false;
    }
    if (!QDir().mkpath(QFileInfo(to).absolutePath())) {
        *message = QStringLiteral("cannot create the folder of %1").arg(to);
        return false;
    }
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly)) {
        *message = QStringLiteral("cannot write %1: %2").arg(to, out.errorString());
        return false;
    }
    qint64 copied = 0;
    while (!in.atEnd() && copied <= MaxPackageBytes) {
        const QByteArray chunk = in.read(1024 * 1024);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            *message = QStringLiteral("cannot copy %1 to %2").arg(from, to);
            return false;
        }
        copied += chunk.size();
    }
    if (copied > MaxPackageBytes || !out.commit()) {
        *message = QStringLiteral("cannot copy %1 to %2").arg(from, to);
        return false;
    }
    return true;
}

} // namespace

int publishVersion(Store &store, const DataFolder &data, const QString &versionType, const QString &version,
                   const QString &sourceFile, const QString &downloadUrl, const QString &date, qint64 now,
                   QString *message)
{
    if (!isSafeName(versionType)) {
        *message = QStringLiteral("the model or product name may hold only letters, digits, '.', '_' and '-'");
        return 2;
    }
    if (!isSafeName(version, 32)) {
        *message = QStringLiteral("the version may hold only letters, digits, '.', '_' and '-' (up to 32)");
        return 2;
    }
    const QString versionDate = date.isEmpty() ? QDate::currentDate().toString(Qt::ISODate) : date;
    if (versionDate.size() > 32 || versionDate.contains(QLatin1Char('\n')) || versionDate.contains(QLatin1Char('\r'))) {
        *message = QStringLiteral("--date takes a short text such as 2024-05-01");
        return 2;
    }
    if (!downloadUrl.isEmpty()) {
        const QUrl url(downloadUrl, QUrl::StrictMode);
        if (!url.isValid() || (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http"))
            || url.host().isEmpty()) {
            *message = QStringLiteral("--url takes an http(s) URL");
            return 2;
        }
    }

    VersionRecord record;
    record.versionType = versionType;
    record.version = version;
    record.versionDate = versionDate;
    record.downloadUrl = downloadUrl;
    record.publishedAt = now;
    if (!sourceFile.isEmpty()) {
        const QFileInfo info(sourceFile);
        if (!info.isFile()) {
            *message = QStringLiteral("%1 is not a file").arg(sourceFile);
            return 2;
        }
        if (info.size() <= 0 || info.size() > MaxPackageBytes) {
            *message = QStringLiteral("%1 must hold 1 byte to 256 MiB").arg(sourceFile);
            return 2;
        }
        record.fileName = info.fileName();
        const QString target = data.packagePath(versionType, version, record.fileName);
        if (target.isEmpty()) {
            *message = QStringLiteral("the file name %1 may hold only letters, digits, '.', '_' and '-'").arg(record.fileName);
            return 2;
        }
        if (!copyAtomically(sourceFile, target, message))
            return 1;
    }
    if (store.setVersion(record) != DbStatus::Ok) {
        *message = QStringLiteral("cannot store the version record");
        return 1;
    }
    *message = QStringLiteral("published %1 %2 (%3)%4")
                   .arg(versionType, version, versionDate,
                        record.fileName.isEmpty() ? (downloadUrl.isEmpty() ? QString() : QStringLiteral(": ") + downloadUrl)
                                                  : QStringLiteral(": packages/%1/%2/%3").arg(versionType, version, record.fileName));
    return 0;
}

int listVersions(Store &store, QString *listing)
{
    QList<VersionRecord> all;
    if (store.versions(&all) != DbStatus::Ok) {
        *listing = QStringLiteral("cannot read the version records");
        return 1;
    }
    listing->clear();
    for (const VersionRecord &v : qAsConst(all)) {
        *listing += QStringLiteral("%1\t%2\t%3\t%4\n")
                        .arg(v.versionType, v.version, v.versionDate, v.fileName.isEmpty() ? v.downloadUrl : v.fileName);
    }
    return 0;
}

} // namespace ox8cloud
