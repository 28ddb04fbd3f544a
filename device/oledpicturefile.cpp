#include "device/oledpicturefile.h"

#include "config/atomicfile.h"
#include "platform/safefile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

namespace {

constexpr int kFileHeaderBytes = 14;
// BITMAPCOREHEADER; the others carry 32-bit sides from offset 18 on.
constexpr quint32 kCoreHeaderBytes = 12;
constexpr quint32 kKnownHeaderBytes[] = {kCoreHeaderBytes, 40, 52, 56, 64, 108, 124};
// The compressions the decoder reads: none, RLE8, RLE4, bit fields.
constexpr quint32 kBiRgb = 0;
constexpr quint32 kBiBitfields = 3;

quint32 le16(const QByteArray &b, int at)
{
    return quint32(quint8(b[at])) | (quint32(quint8(b[at + 1])) << 8);
}

quint32 le32(const QByteArray &b, int at)
{
    return le16(b, at) | (le16(b, at + 2) << 16);
}

bool knownHeaderSize(quint32 size)
{
    for (quint32 known : kKnownHeaderBytes)
        if (size == known)
            return true;
    return false;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

QString bmpProblem(const QByteArray &bytes, const PictureFileLimits &limits)
{
    if (bytes.size() < kFileHeaderBytes + 4 || bytes[0] != 'B' || bytes[1] != 'M')
        return QStringLiteral("not a BMP file");
    const quint32 headerSize = le32(bytes, kFileHeaderBytes);
    if (!knownHeaderSize(headerSize))
        return QStringLiteral("unknown BMP header size %1").arg(headerSize);
    if (qint64(bytes.size()) < kFileHeaderBytes + qint64(headerSize))
        return QStringLiteral("truncated BMP header");

    qint64 width = 0;
    qint64 height = 0;
    quint32 bitsPerPixel = 0;
    quint32 compression = kBiRgb;
    if (headerSize == kCoreHeaderBytes) {
        width = le16(bytes, 18);
        height = le16(bytes, 20);
        bitsPerPixel = le16(bytes, 24);
    } else {
        width = qint32(le32(bytes, 18));
        height = qint32(le32(bytes, 22)); // negative: rows top to bottom
        bitsPerPixel = le16(bytes, 28);
        compression = le32(bytes, 30);
    }
    height = qAbs(height);
    if (width <= 0 || height <= 0)
        return QStringLiteral("BMP without pixels (%1 x %2)").arg(width).arg(height);
    if (width > limits.maxSide || height > limits.maxSide || width * height > limits.maxPixels)
        return QStringLiteral("BMP of %1 x %2 pixels is too large").arg(width).arg(height);
    switch (bitsPerPixel) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return QStringLiteral("BMP with %1 bits per pixel").arg(bitsPerPixel);
    }
    if (compression > kBiBitfields)
        return QStringLiteral("BMP compression %1 is not supported").arg(compression);

    const qint64 pixelsAt = le32(bytes, 10);
    if (pixelsAt < kFileHeaderBytes + qint64(headerSize) || pixelsAt >= bytes.size())
        return QStringLiteral("truncated BMP: no pixel data");
    if (compression == kBiRgb || compression == kBiBitfields) {
        const qint64 rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
        if (pixelsAt + rowBytes * height > bytes.size())
            return QStringLiteral("truncated BMP: %1 of %2 pixel bytes")
                .arg(bytes.size() - pixelsAt)
                .arg(rowBytes * height);
    }
    return QString();
}

QImage readPictureFile(const QString &path, QString *error, const PictureFileLimits &limits)
{
    // Opened without following a link at the end and without blocking: a
    // link could lead anywhere, a device or a pipe would never end.
    QByteArray bytes;
    switch (readRegularFile(path, limits.maxFileBytes, bytes)) {
    case ReadResult::Ok:
        break;
    case ReadResult::Missing:
        setError(error, QStringLiteral("no such file"));
        return QImage();
    case ReadResult::NotRegular:
        setError(error, QStringLiteral("not a regular file (a link, folder or device is not read)"));
        return QImage();
    case ReadResult::TooLarge:
        setError(error, QStringLiteral("file larger than %1 bytes").arg(limits.maxFileBytes));
        return QImage();
    case ReadResult::Failed:
        setError(error, QStringLiteral("could not be read"));
        return QImage();
    }
    const QString problem = bmpProblem(bytes, limits);
    if (!problem.isEmpty()) {
        setError(error, problem);
        return QImage();
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setDecideFormatFromContent(false);
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        setError(error, reader.errorString());
        return QImage();
    }
    return image;
}

QImage toOledPictureSize(const QImage &image)
{
    if (image.isNull())
        return QImage();
    const QSize size(kOledPictureWidth, kOledPictureHeight);
    const QImage scaled =
        image.size() == size ? image : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return scaled.convertToFormat(QImage::Format_RGB32);
}

bool writeOledPictureFile(const QString &path, const QImage &picture, QString *error)
{
    const QImage image = toOledPictureSize(picture);
    if (image.isNull()) {
        setError(error, QStringLiteral("no picture"));
        return false;
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(image)) {
        setError(error, writer.errorString());
        return false;
    }
    if (!writeFileAtomically(path, buffer.data())) {
        setError(error, QStringLiteral("cannot write %1").arg(path));
        return false;
    }
    return true;
}
