#include "update/firmwarepackage.h"

#include "config/atomicfile.h"
#include "config/paths.h"
#include "discovery/models.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

namespace {
const char kNuc123FileName[] = "Nuc123.bin";
const char kUpdaterPackageFileName[] = "UpdateCodeTool.mtp";
const char kUpdaterProgramName[] = "KorvanUpdataOnce.exe";
// Largest image the NUC123 boot loader takes, for a model whose program
// memory the table does not know.
constexpr qint64 kNuc123MaxImage = 0x20000;
constexpr qint64 kUpdaterPackageLimit = 16 * 1024 * 1024;
// How far into a body the text markers are looked for.
constexpr int kSniffBytes = 1024;

QString sourceFolder(PackageSource source)
{
    return source == PackageSource::Local ? QStringLiteral("Local/") : QStringLiteral("Clouds/");
}

// A media type no firmware package comes as.
bool isTextType(const QString &contentType)
{
    const QString type = contentType.section(QLatin1Char(';'), 0, 0).trimmed().toLower();
    return type.startsWith(QLatin1String("text/")) || type == QLatin1String("application/json")
        || type == QLatin1String("application/xml") || type == QLatin1String("application/xhtml+xml")
        || type.endsWith(QLatin1String("+xml")) || type.endsWith(QLatin1String("+json"));
}

// An error page or a service envelope, whatever type it was served as.
bool looksLikeText(const QByteArray &body)
{
    QByteArray head = body.left(kSniffBytes);
    if (head.startsWith("\xEF\xBB\xBF"))
        head = head.mid(3);
    head = head.trimmed();
    if (head.startsWith('<')) {
        const QByteArray lower = head.toLower();
        for (const char *marker : {"<!doctype", "<html", "<head", "<body", "<?xml", "<title"}) {
            if (lower.contains(marker))
                return true;
        }
    }
    if (head.startsWith('{') || head.startsWith('[')) {
        QJsonParseError error{};
        QJsonDocument::fromJson(body.trimmed(), &error);
        return error.error == QJsonParseError::NoError;
    }
    return false;
}
} // namespace

QString updateFolder()
{
    return getAppDir() + QStringLiteral("/Update/");
}

QString cloudDownloadFolder()
{
    return updateFolder() + sourceFolder(PackageSource::Clouds);
}

bool isNuc123Package(int mouseType)
{
    return (mouseType >= Ox4C && mouseType <= Ox4) || mouseType == Ox7EU;
}

QString packageFileName(int mouseType)
{
    return QLatin1String(isNuc123Package(mouseType) ? kNuc123FileName : kUpdaterPackageFileName);
}

QString packagePath(int mouseType, PackageSource source)
{
    return updateFolder() + sourceFolder(source) + getModelFolderName(mouseType).toLower() + QLatin1Char('/')
        + packageFileName(mouseType);
}

QString externalUpdaterPath(int mouseType, PackageSource source)
{
    return updateFolder() + sourceFolder(source) + getModelFolderName(mouseType) + QLatin1Char('/')
        + QLatin1String(kUpdaterProgramName);
}

qint64 packageSizeLimit(int mouseType)
{
    if (!isNuc123Package(mouseType))
        return kUpdaterPackageLimit;
    const int memory = modelRow(mouseType).programMemory;
    return memory > 0 ? qMin(qint64(memory), kNuc123MaxImage) : kNuc123MaxImage;
}

PackageVerdict checkPackage(int mouseType, const QByteArray &body, const QString &contentType)
{
    if (body.size() < kMinimumPackageBytes)
        return PackageVerdict::TooShort;
    if (body.size() > packageSizeLimit(mouseType))
        return PackageVerdict::TooLarge;
    if (isTextType(contentType) || looksLikeText(body))
        return PackageVerdict::NotFirmware;
    return PackageVerdict::Ok;
}

PackageVerdict checkPackageFile(int mouseType, const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return PackageVerdict::Missing;
    // Bounded before reading, so a huge file is never loaded.
    if (info.size() > packageSizeLimit(mouseType))
        return PackageVerdict::TooLarge;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return PackageVerdict::Missing;
    return checkPackage(mouseType, file.read(packageSizeLimit(mouseType) + 1));
}

bool storeCloudPackage(int mouseType, const QByteArray &body, const QString &contentType,
                       const QString &versionDate, QString *error)
{
    const auto failWith = [error](const QString &why) {
        qDebug() << "slot_saveFile FAILED" << why;
        if (error)
            *error = why;
        return false;
    };
    const PackageVerdict verdict = checkPackage(mouseType, body, contentType);
    if (verdict != PackageVerdict::Ok)
        return failWith(QStringLiteral("not a package (verdict %1, %2 bytes, type \"%3\")")
                            .arg(int(verdict))
                            .arg(body.size())
                            .arg(contentType));
    const QString path = packagePath(mouseType, PackageSource::Clouds);
    // The model's folder is made here: nothing installs it beforehand.
    if (!QDir().mkpath(QFileInfo(path).path()))
        return failWith(QStringLiteral("cannot create %1").arg(QFileInfo(path).path()));
    if (!writeFileAtomically(path, body))
        return failWith(QStringLiteral("cannot write %1").arg(path));
    if (!writeFileAtomically(getFirmwareDateFilePath(mouseType), versionDate.toUtf8()))
        qDebug() << "slot_saveFile: versiondate.txt not written for" << path;
    return true;
}
