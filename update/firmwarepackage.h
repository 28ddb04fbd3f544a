#pragma once

#include <QByteArray>
#include <QString>

// Firmware packages below APP/Update: where each model's package lives, what
// a body must look like to be one, and how a downloaded one is stored. A
// package is replaced only as a whole (written aside, then renamed), so a
// failed or refused download never touches the package that was there.

// Where the update dialog takes a package from: "Local/" (installed with
// the program) or "Clouds/" (downloaded on the support page).
enum class PackageSource { Local, Clouds };

// APP + "/Update/" and APP + "/Update/Clouds/".
QString updateFolder();
QString cloudDownloadFolder();

// Models whose package is a NUC123 image, "Nuc123.bin" (codes 7 to 12 and
// 14); every other model's is the separate updater's "UpdateCodeTool.mtp".
bool isNuc123Package(int mouseType);
QString packageFileName(int mouseType);
// update folder + "Local/" or "Clouds/" + model folder + "/" + file name.
QString packagePath(int mouseType, PackageSource source);
// The separate updater beside the model's package ("KorvanUpdataOnce.exe").
QString externalUpdaterPath(int mouseType, PackageSource source);

// Fewer bytes than this are no package (an error text, a cut-off body).
constexpr int kMinimumPackageBytes = 100;
// The largest package of the model: for a NUC123 image the program memory
// the flasher writes into that model, otherwise a bound no updater package
// comes near.
qint64 packageSizeLimit(int mouseType);

enum class PackageVerdict {
    Ok,
    Missing,     // no such file
    TooShort,    // fewer than kMinimumPackageBytes
    TooLarge,    // more than packageSizeLimit
    NotFirmware, // a web page, JSON or other text, by its type or its first bytes
};

// Judges a body (with the Content-Type it came with, when known).
PackageVerdict checkPackage(int mouseType, const QByteArray &body, const QString &contentType = QString());
// Judges a package file before it is flashed or handed to the updater.
PackageVerdict checkPackageFile(int mouseType, const QString &path);

// Stores a downloaded body as the model's package in Clouds/, creating the
// model's folder, then writes its "versiondate.txt". Refuses (false, error
// set, nothing written) a body checkPackage does not accept; false when the
// package could not be written (the old one stays). A failed date file is
// logged only: the package it belongs to is in place.
bool storeCloudPackage(int mouseType, const QByteArray &body, const QString &contentType,
                       const QString &versionDate, QString *error = nullptr);
