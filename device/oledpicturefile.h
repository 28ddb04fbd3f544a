#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// The picture files of the OLED screen: the BMP the editor saves per
// profile (64 x 48, what the managers pack into device bytes) and any BMP
// the user adds. Every read is bounded before anything is decoded, because
// the files come from the user, from a downloaded cloud archive or from a
// folder anyone can write to.

constexpr int kOledPictureWidth = 64;
constexpr int kOledPictureHeight = 48;

// What a picture file may be. A 24-bit BMP of 4000 x 3000 pixels still
// passes; a file that claims more, or that is larger on disk, is refused
// before it is decoded.
struct PictureFileLimits
{
    qint64 maxFileBytes = 64 * 1024 * 1024;
    int maxSide = 16384;
    qint64 maxPixels = 16 * 1024 * 1024;
};

// Checks the BMP file header and DIB header in bytes (the whole file):
// magic "BM", a known header size, positive sides within limits, 1/4/8/16/
// 24/32 bits per pixel, and for uncompressed pictures enough bytes for every
// row. Empty when acceptable, otherwise why not.
QString bmpProblem(const QByteArray &bytes, const PictureFileLimits &limits = PictureFileLimits());

// Reads a BMP file: refuses symbolic links, anything but a regular file, a
// file above the size limit and whatever bmpProblem finds; decodes only
// what passed. A null image (and the reason in error) on refusal.
QImage readPictureFile(const QString &path, QString *error = nullptr,
                       const PictureFileLimits &limits = PictureFileLimits());

// The picture as the screen gets it: stretched to 64 x 48 (aspect ratio
// ignored, smooth filtering), RGB. Null for a null image.
QImage toOledPictureSize(const QImage &image);

// Saves picture (stretched to 64 x 48 first when it has another size) as a
// 24-bit BMP, replacing the file atomically. False when it could not be
// written; an existing file then stays as it was.
bool writeOledPictureFile(const QString &path, const QImage &picture, QString *error = nullptr);
